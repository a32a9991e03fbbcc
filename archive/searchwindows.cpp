#include "archive/archivecontroller.h"
#include "archive/cancellation.h"
#include "archive/form7.h"
#include "archive/form8.h"
#include "platform/platform.h"
#include "platform/twips.h"
#include "text/textlines.h"
#include "settings/settings.h"

Form7::Form7(ArchiveController &archive, QWidget *mainWindow)
    : ReceiptSearchWindow(archive, mainWindow, { "Form7", QStringLiteral("Suchen einer ausgestellten Quittung"),
                                  QStringLiteral("Klicken Sie eine Zeile doppelt in der Liste an, wenn Sie die "
                                                 "Daten übernehmen wollen!"),
                                  QSize(9015, 6570), QPoint(330, 240), QPoint(300, 1140), QPoint(180, 300),
                                  QPoint(300, 4560), QPoint(300, 5910) })
{
}

void Form7::List1_DblClick()
{
    const qsizetype line = selectedLine();
    // The search stays open while the main window keeps its receipt.
    if (m_archive.loadReceiptFile(line >= 0 ? results().fileName(line) : QString(), this))
        close();
}

Form8::Form8(ArchiveController &archive, QWidget *mainWindow)
    : ReceiptSearchWindow(archive, mainWindow, { "Form8", QStringLiteral("Löschen einer erstellten Quittung"),
                                  QStringLiteral("Klicken Sie eine Zeile doppelt in der Liste an, wenn  die "
                                                 "Daten gelöscht werden sollen!!!"),
                                  QSize(9105, 7095), QPoint(420, 210), QPoint(390, 1110), QPoint(210, 300),
                                  QPoint(390, 4530), QPoint(390, 5880) })
{
    Command3 = new QPushButton(QStringLiteral("&Stornieren"), this);
    Command3->setObjectName(QStringLiteral("Command3"));
    Command3->setGeometry(twips::rect(390, 6390, 8475, 405));
    Command3->setAutoDefault(true);
    Command3->setAccessibleName(QStringLiteral("Stornieren"));
    connect(Command3, &QPushButton::clicked, this, &Form8::Command3_Click);
}

void Form8::List1_DblClick()
{
    const qsizetype line = selectedLine();
    QString error;
    DeleteResult result = DeleteResult::Missing;
    if (line >= 0) {
        const QString fileName = results().fileName(line);
        // Only a receipt that is there is asked about; one gone meanwhile
        // is answered as before.
        if (m_archive.files().exists(fileName)) {
            const auto reason = confirmDeletion(fileName);
            if (!reason)
                return;
            if (reason->isEmpty()) {
                m_archive.platform().messageBox(this, QStringLiteral("Zum Löschen ist ein Grund nötig. Die Quittung "
                                                                     "wurde nicht gelöscht."));
                return;
            }
            result = DeleteReceipt(m_archive.files(), fileName, &error, *reason);
        }
    }
    if (result == DeleteResult::Failed)
        m_archive.platform().messageBox(this, QStringLiteral("Die markierte Quittung wurde nicht gelöscht!")
                                               + textlines::lineEnd + error);
    else
        m_archive.platform().messageBox(this, QStringLiteral("Markierte Quittung gelöscht! "));
    File1 = receiptFileList(m_archive.files());
    Command2_Click();
}

std::optional<QString> Form8::confirmDeletion(const QString &fileName)
{
    enum { Yes, No };
    QString text;
    if (const auto record = LoadReceipt(m_archive.files(), fileName)) {
        QString total = record->totalUnits.trimmed();
        if (!record->totalPennies.trimmed().isEmpty())
            total += QLatin1Char(',') + record->totalPennies.trimmed();
        const QString currency = settingValue(m_archive.files(), settingsfile::dm).value_or(QStringLiteral("DM"));
        text = QStringLiteral("Quittung Nr. %1 (Erhalten von %2, Gesamt %3 %4) löschen?")
                   .arg(record->number, record->payer, total, currency);
    } else {
        // A file that cannot be read is named by its number alone.
        text = QStringLiteral("Quittung Nr. %1 löschen?").arg(fileName.chopped(4));
    }
    QString reason;
    if (m_archive.platform().questionWithField(this, text, QStringLiteral("&Grund:"), &reason,
                                               { QStringLiteral("&Ja"), QStringLiteral("&Nein") }, No, No)
        != Yes)
        return std::nullopt;
    return reason.trimmed();
}

void Form8::Command3_Click()
{
    const qsizetype line = selectedLine();
    if (line < 0) {
        m_archive.platform().messageBox(this, QStringLiteral("Bitte markieren Sie zuerst in der Liste die Quittung, "
                                                             "die storniert werden soll."));
        return;
    }
    const QString fileName = results().fileName(line);
    enum { Yes, No };
    if (m_archive.platform().question(this, QStringLiteral("Quittung Nr. %1 stornieren?").arg(fileName.chopped(4)),
                                      { QStringLiteral("&Ja"), QStringLiteral("&Nein") }, No, No)
        != Yes)
        return;
    const cancellation::Outcome done = cancellation::cancel(m_archive.files(), fileName, m_archive.platform().today());
    if (done.save.result == SaveOutcome::Result::Saved) {
        // Shown in the main window, so that it goes out on paper and the
        // number it took is no longer offered there; a typed receipt there is
        // asked about first.
        const bool shown = m_archive.loadReceiptFile(receiptfile::fileName(done.number), this);
        m_archive.platform().messageBox(this, QStringLiteral("Quittung Nr. %1 wurde mit Quittung Nr. %2 storniert.")
                                                      .arg(fileName.chopped(4), done.number)
                                                  + (shown ? QStringLiteral(" Die Storno-Quittung steht jetzt im "
                                                                            "Hauptfenster, zum Drucken bereit.")
                                                           : QString()));
    } else {
        m_archive.platform().messageBox(this, done.save.message);
    }
    File1 = receiptFileList(m_archive.files());
    Command2_Click();
}
