#include "editor/quitt.h"
#include "archive/form7.h"
#include "archive/form8.h"
#include "text/textlines.h"

Form7::Form7(quitt &main)
    : ReceiptSearchWindow(main, { "Form7", QStringLiteral("Suchen einer ausgestellten Quittung"),
                                  QStringLiteral("Klicken Sie eine Zeile doppelt in der Liste an, wenn Sie die "
                                                 "Daten übernehmen wollen!"),
                                  QSize(9015, 6570), QPoint(330, 240), QPoint(300, 1140), QPoint(180, 300),
                                  QPoint(300, 4560), QPoint(300, 5910) })
{
}

void Form7::List1_DblClick()
{
    const qsizetype line = selectedLine();
    m_main.loadReceiptFile(line >= 0 ? results().fileName(line) : QString(), this);
    close();
}

Form8::Form8(quitt &main)
    : ReceiptSearchWindow(main, { "Form8", QStringLiteral("Löschen einer erstellten Quittung"),
                                  QStringLiteral("Klicken Sie eine Zeile doppelt in der Liste an, wenn  die "
                                                 "Daten gelöscht werden sollen!!!"),
                                  QSize(9105, 6615), QPoint(420, 210), QPoint(390, 1110), QPoint(210, 300),
                                  QPoint(390, 4530), QPoint(390, 5880) })
{
}

void Form8::List1_DblClick()
{
    const qsizetype line = selectedLine();
    QString error;
    const DeleteResult result = line >= 0 ? DeleteReceipt(m_main.files(), results().fileName(line), &error)
                                          : DeleteResult::Missing;
    if (result == DeleteResult::Failed)
        m_main.platform().messageBox(this, QStringLiteral("Die markierte Quittung wurde nicht gelöscht!")
                                               + textlines::lineEnd + error);
    else
        m_main.platform().messageBox(this, QStringLiteral("Markierte Quittung gelöscht! "));
    File1 = receiptFileList(m_main.files());
    Command2_Click();
}

void quitt::loadReceiptFile(const QString &fileName, QWidget *parent)
{
    if (!fileName.isEmpty()) {
        if (const auto record = LoadReceipt(files(), fileName)) {
            showStoredFields(*record);
            Command1->setEnabled(false);
        }
    }
    platform().messageBox(parent, QStringLiteral("Bitte Datum beachten!"));
}

void quitt::suchequitt_Click()
{
    showModeless(m_form7, [this] { return new Form7(*this); });
}

void quitt::loeschen_Click()
{
    showModeless(m_form8, [this] { return new Form8(*this); });
}

Form7 *quitt::searchWindow() const
{
    return m_form7;
}

Form8 *quitt::deleteWindow() const
{
    return m_form8;
}
