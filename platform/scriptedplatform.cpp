#include "platform/scriptedplatform.h"

#include "platform/qtprintsurface.h"

namespace {

class RecordingSurface : public PrintSurface
{
public:
    RecordingSurface(QList<QList<PrintOperation>> &pages, qsizetype page, const QString &error)
        : m_pages(pages), m_page(page), m_error(error)
    {
    }
    void execute(const PrintOperation &op) override { m_pages[m_page].append(op); }
    bool endDocument(QString *error) override
    {
        m_pages[m_page].append(PrintOperation::endOfDocument());
        if (m_error.isEmpty())
            return true;
        if (error)
            *error = m_error;
        return false;
    }

private:
    QList<QList<PrintOperation>> &m_pages;
    qsizetype m_page;
    QString m_error;
};

} // namespace

ScriptedPlatform::ScriptedPlatform(const QString &workingDirectory, QDate today)
    : Platform(workingDirectory), date(today)
{
    files().setWaitHook([this](const QString &name, qint64 waitedMs) {
        if (waitedMs < 0) {
            m_lockWaiting = false;
            return true;
        }
        if (!m_lockWaiting)
            lockWaits.append(name);
        m_lockWaiting = true;
        longestLockWaitMs = qMax(longestLockWaitMs, waitedMs);
        return cancelLockWaitAfterMs < 0 || waitedMs < cancelLockWaitAfterMs;
    });
}

QStringList ScriptedPlatform::messageTexts() const
{
    QStringList texts;
    for (const Message &m : messages)
        texts.append(m.text);
    return texts;
}

Platform::Answer ScriptedPlatform::messageBox(QWidget *, const QString &text, const QString &title,
                                              Buttons buttons, Icon icon)
{
    const Message message { text, title.isEmpty() ? programTitle() : title, buttons, icon };
    messages.append(message);
    if (onMessage)
        onMessage(message);
    if (messageAnswers.isEmpty())
        return Answer::Ok;
    return messageAnswers.takeFirst();
}

std::optional<QString> ScriptedPlatform::inputBox(QWidget *, const QString &prompt, const QString &title,
                                                  const QString &defaultText)
{
    inputs.append({ prompt, title, defaultText });
    if (inputAnswers.isEmpty())
        return defaultText;
    return inputAnswers.takeFirst();
}

QString ScriptedPlatform::saveFileName(QWidget *, const QString &title, const QString &suggestedPath,
                                       const QString &filter)
{
    saveRequests.append({ title, suggestedPath, filter });
    if (saveAnswers.isEmpty())
        return suggestedPath;
    return saveAnswers.takeFirst().value_or(QString());
}

std::unique_ptr<PrintSurface> ScriptedPlatform::beginPrint(const QString &printer, QString *error)
{
    if (printers.isEmpty() || (!printer.isEmpty() && !printers.contains(printer))) {
        if (error)
            *error = QStringLiteral("Den Drucker „%1“ gibt es nicht.").arg(printer);
        return nullptr;
    }
    pages.append(QList<PrintOperation>());
    pagePrinters.append(printer);
    return std::make_unique<RecordingSurface>(pages, pages.size() - 1, printerError);
}

std::unique_ptr<PrintSurface> ScriptedPlatform::beginPdf(const QString &path)
{
    pdfFiles.append(path);
    return openPdfPrintSurface(path);
}

QWidget *ScriptedPlatform::showPrintPreview(QWidget *, const PrintPreview &preview)
{
    previews.append(preview);
    return nullptr;
}

int ScriptedPlatform::question(QWidget *, const QString &text, const QStringList &buttons, int defaultButton,
                               int escapeButton)
{
    questions.append({ text, buttons, defaultButton, escapeButton });
    if (questionAnswers.isEmpty())
        return defaultButton;
    const qsizetype answer = buttons.indexOf(questionAnswers.takeFirst());
    // A caption the question does not offer is a fault of the test.
    if (answer < 0)
        qFatal("The question \"%s\" has no button of that caption", qPrintable(text));
    return int(answer);
}

int ScriptedPlatform::questionWithField(QWidget *parent, const QString &text, const QString &, QString *fieldText,
                                        const QStringList &buttons, int defaultButton, int escapeButton)
{
    *fieldText = fieldAnswers.isEmpty() ? QString() : fieldAnswers.takeFirst();
    return question(parent, text, buttons, defaultButton, escapeButton);
}
