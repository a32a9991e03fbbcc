#pragma once

#include "platform/platform.h"

#include <QList>

#include <functional>
#include <optional>

// A platform for tests: answers dialogs from a script, records what the
// program showed and printed, and keeps a fixed date. Nothing blocks.
class ScriptedPlatform : public Platform
{
public:
    struct Message
    {
        QString text;
        QString title; // the program's title when none was given
        Buttons buttons;
        Icon icon;
    };
    struct Input
    {
        QString prompt;
        QString title;
        QString defaultText;
    };

    explicit ScriptedPlatform(const QString &workingDirectory, QDate today = QDate(2026, 12, 7));

    // Answers to message boxes, in order; Ok when the queue is empty.
    QList<Answer> messageAnswers;
    // Answers to input boxes, in order: a text confirms, nothing cancels.
    // When the queue is empty the default text is confirmed.
    QList<std::optional<QString>> inputAnswers;
    // Answers to save dialogs, in order: a path confirms, nothing cancels.
    // When the queue is empty the suggested path is confirmed.
    QList<std::optional<QString>> saveAnswers;
    // Answers to folder dialogs, in order; an empty one cancels, as does an
    // empty queue.
    QStringList folderAnswers;
    struct SaveRequest
    {
        QString title;
        QString suggestedPath;
        QString filter;
    };
    QList<SaveRequest> saveRequests;
    // Runs while a message box is "open", before it is answered.
    std::function<void(const Message &)> onMessage;

    QList<Message> messages;
    QList<Input> inputs;
    int beeps = 0;

    QDate date;
    QSize screen = QSize(1280 * 15, 1024 * 15);

    // Printers: their queue names, their fonts; an error at the end of a page.
    QStringList printers = { QStringLiteral("Büro") };
    QStringList fonts;
    QString printerError;
    // Every page begun on a printer, with its operations including the end of
    // the document, and the printer it went to (empty: the default printer).
    QList<QList<PrintOperation>> pages;
    QStringList pagePrinters;
    // PDF files are written for real, to be read back; their names in order.
    QStringList pdfFiles;
    // Every preview opened; a test presses its buttons through the callbacks.
    QList<PrintPreview> previews;

    QStringList messageTexts() const;

    struct Question
    {
        QString text;
        QStringList buttons;
        int defaultButton;
        int escapeButton;
    };
    QList<Question> questions;
    // Answers to questions by the caption of a button, in order; the default
    // button when the queue is empty.
    QStringList questionAnswers;
    QStringList fieldAnswers;

    // Waits for a file another copy of the program holds (see
    // WorkDir::setWaitHook): the names waited for, in order, and the longest
    // wait seen. Nothing is shown; the wait is given up, as by the user's
    // "Abbrechen", once it has lasted cancelLockWaitAfterMs (never when
    // negative: the lock is waited for as long as the program waits).
    QStringList lockWaits;
    qint64 longestLockWaitMs = 0;
    qint64 cancelLockWaitAfterMs = -1;

    Answer messageBox(QWidget *parent, const QString &text, const QString &title, Buttons buttons,
                      Icon icon) override;
    std::optional<QString> inputBox(QWidget *parent, const QString &prompt, const QString &title,
                     const QString &defaultText) override;
    QString saveFileName(QWidget *parent, const QString &title, const QString &suggestedPath,
                         const QString &filter) override;
    void beep() override { ++beeps; }
    QDate today() const override { return date; }
    QSize screenSizeTwips() const override { return screen; }
    QStringList printerFonts() override { return fonts; }
    QStringList printerNames() override { return printers; }
    std::unique_ptr<PrintSurface> beginPrint(const QString &printer, QString *error) override;
    std::unique_ptr<PrintSurface> beginPdf(const QString &path) override;
    QWidget *showPrintPreview(QWidget *parent, const PrintPreview &preview) override;
    int question(QWidget *parent, const QString &text, const QStringList &buttons, int defaultButton,
                 int escapeButton) override;
    // Asked as a question (in questions, answered from questionAnswers);
    // the field gets the next of fieldAnswers, or stays empty.
    QString existingFolder(QWidget *, const QString &, const QString &) override
    {
        return folderAnswers.isEmpty() ? QString() : folderAnswers.takeFirst();
    }
    int questionWithField(QWidget *parent, const QString &text, const QString &fieldLabel, QString *fieldText,
                          const QStringList &buttons, int defaultButton, int escapeButton) override;

private:
    bool m_lockWaiting = false;
};
