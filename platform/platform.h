#pragma once

#include "platform/workdir.h"
#include "print/printoperation.h"

#include <QDate>
#include <QSize>
#include <QString>
#include <QStringList>

#include <memory>

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
    // program's own.
    virtual Answer messageBox(QWidget *parent, const QString &text, const QString &title = QString(),
                              Buttons buttons = Buttons::Ok, Icon icon = Icon::None) = 0;
    // Modal input box; Cancel gives the empty text.
    virtual QString inputBox(QWidget *parent, const QString &prompt, const QString &title,
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
    // A surface on the default printer, or on a file the user picks when there
    // is no printer. Nothing (and an empty error) when the user declined.
    virtual std::unique_ptr<PrintSurface> beginPrint(QWidget *parent, QString *error) = 0;

private:
    WorkDir m_files;
};

// Sends a Tab keystroke to the control that has the focus, with the same
// effect as the user pressing Tab.
void sendTab();
