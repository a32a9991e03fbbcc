#pragma once

#include "platform/platform.h"

// The platform of the running program: Qt's dialogs, the screen, the clock
// and the printers. A wait for a file another desk holds shows itself (see
// lockWaitHook).
class QtPlatform : public Platform
{
public:
    explicit QtPlatform(const QString &workingDirectory);

    Answer messageBox(QWidget *parent, const QString &text, const QString &title, Buttons buttons,
                      Icon icon) override;
    std::optional<QString> inputBox(QWidget *parent, const QString &prompt, const QString &title,
                     const QString &defaultText) override;
    QString saveFileName(QWidget *parent, const QString &title, const QString &suggestedPath,
                         const QString &filter) override;
    void beep() override;
    QDate today() const override;
    QSize screenSizeTwips() const override;
    QStringList printerFonts() override;
    QStringList printerNames() override;
    std::unique_ptr<PrintSurface> beginPrint(const QString &printer, QString *error) override;
    std::unique_ptr<PrintSurface> beginPdf(const QString &path) override;
    QWidget *showPrintPreview(QWidget *parent, const PrintPreview &preview) override;
    int question(QWidget *parent, const QString &text, const QStringList &buttons, int defaultButton,
                 int escapeButton) override;
    QString existingFolder(QWidget *parent, const QString &title, const QString &startPath) override;
    int questionWithField(QWidget *parent, const QString &text, const QString &fieldLabel, QString *fieldText,
                          const QStringList &buttons, int defaultButton, int escapeButton) override;
};

// Qt's own save dialog in German, as saveFileName() shows it.
QString askSaveFileName(QWidget *parent, const QString &title, const QString &suggestedPath,
                        const QString &filter);
