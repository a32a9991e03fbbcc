#pragma once

#include "platform/workdir.h"
#include "platform/printoperation.h"

#include <QDate>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QWidget;

// A page being printed: operations in order, then the end of the document,
// which sends the page to the printer. The first operation starts the job.
class PrintSurface
{
public:
    virtual ~PrintSurface() = default;
    virtual void execute(const PrintOperation &op) = 0;
    // False, with a German message, when the page could not be printed.
    virtual bool endDocument(QString *error) = 0;
};

// What the print preview shows and what its buttons do. The pages are laid
// out once when the preview opens, so that what is printed or saved from it
// is the page the user looked at.
struct PrintPreview
{
    // The page with one copy and with two, without the end of the document.
    QList<PrintOperation> oneCopy;
    QList<PrintOperation> twoCopies;
    // Where "Drucken" sends the page, as the user knows it.
    QString printerCaption;
    // Called with the preview window and the page as shown; true when the
    // page went out, and the preview closes.
    std::function<bool(QWidget *window, const QList<PrintOperation> &page)> print;
    std::function<bool(QWidget *window, const QList<PrintOperation> &page)> savePdf;
};

// What the program takes from the desktop: dialogs, the beep, the clock, the
// screen, the printer and its working directory. The windows reach all of it
// through this interface, so a scripted stand-in can drive them in tests.
class Platform
{
public:
    enum class Buttons { Ok, OkCancel };
    enum class Icon { None, Question, Critical };
    enum class Answer { Ok, Cancel };

    explicit Platform(const QString &workingDirectory);
    virtual ~Platform();

    WorkDir &files() { return m_files; }

    // The title of message boxes that have none of their own.
    static QString programTitle();
    // The maker's line after the version in the title bars.
    static QString makersLine();

    // Modal message box; closing it counts as Cancel. An empty title means the
    // program's own. A question with other answers than OK and Cancel is
    // asked by question() below.
    virtual Answer messageBox(QWidget *parent, const QString &text, const QString &title = QString(),
                              Buttons buttons = Buttons::Ok, Icon icon = Icon::None) = 0;
    // What the input box lets the user type or paste; the rest is refused
    // with the beep. Set by whoever knows what can be stored.
    void setInputRule(std::function<bool(const QString &text)> acceptable) { m_inputRule = std::move(acceptable); }
    // Modal input box: the confirmed text, which may be empty, or nothing on
    // Cancel.
    virtual std::optional<QString> inputBox(QWidget *parent, const QString &prompt, const QString &title,
                             const QString &defaultText) = 0;
    // Modal German "save as" dialog offering suggestedPath (folder and file
    // name), files shown by a filter such as "CSV-Dateien (*.csv)". Replacing
    // an existing file is asked first. The chosen path, or empty on Cancel.
    virtual QString saveFileName(QWidget *parent, const QString &title, const QString &suggestedPath,
                                 const QString &filter) = 0;
    virtual void beep() = 0;
    virtual QDate today() const = 0;
    virtual QSize screenSizeTwips() const = 0;

    // The names of the fonts the printer offers, in the printer's order.
    virtual QStringList printerFonts() = 0;
    // The queue names of the installed printers, in the system's order.
    virtual QStringList printerNames() = 0;
    // A surface on the printer of that queue name, or on the system's default
    // printer when the name is empty. Nothing, with a German message, when
    // there is no such printer.
    virtual std::unique_ptr<PrintSurface> beginPrint(const QString &printer, QString *error) = 0;
    // A surface writing the page as an A4 PDF/A-1b file. The file appears
    // under that name whole at the end of the document, or not at all.
    virtual std::unique_ptr<PrintSurface> beginPdf(const QString &path) = 0;
    // Opens the print preview without waiting for it to close. The window, or
    // nothing where no window is shown.
    virtual QWidget *showPrintPreview(QWidget *parent, const PrintPreview &preview) = 0;

    // Modal question with a question icon, the program's title and buttons of
    // the given captions, left to right. Enter answers defaultButton; Escape
    // and the close box answer escapeButton. The index of the answer.
    virtual int question(QWidget *parent, const QString &text, const QStringList &buttons, int defaultButton,
                         int escapeButton) = 0;
    // The same with a one-line field under the text, labelled fieldLabel (a
    // "&" marks its key); *fieldText gets what was typed in it.
    // Qt's folder dialog: an existing folder, or an empty string on cancel.
    virtual QString existingFolder(QWidget *parent, const QString &title, const QString &startPath) = 0;
    virtual int questionWithField(QWidget *parent, const QString &text, const QString &fieldLabel,
                                  QString *fieldText, const QStringList &buttons, int defaultButton,
                                  int escapeButton) = 0;

protected:
    std::function<bool(const QString &text)> m_inputRule;

private:
    WorkDir m_files;
};

// Sends a Tab keystroke to the control that has the focus, with the same
// effect as the user pressing Tab.
void sendTab();
