#include "archive/archivecontroller.h"

#include "archive/auditexportwindow.h"
#include "archive/checkwindow.h"
#include "archive/evaluationwindow.h"
#include "archive/form7.h"
#include "archive/form8.h"
#include "archive/search.h"
#include "platform/platform.h"
#include "platform/secondarywindows.h"

ArchiveController::ArchiveController(Platform &platform, ReceiptHost &host, SecondaryWindows &windows)
    : m_platform(platform), m_host(host), m_windows(windows)
{
}

WorkDir &ArchiveController::files()
{
    return m_platform.files();
}

void ArchiveController::suchequitt_Click()
{
    m_windows.open<Form7>([this] { return new Form7(*this, m_host.hostWindow()); });
}

void ArchiveController::loeschen_Click()
{
    m_windows.open<Form8>([this] { return new Form8(*this, m_host.hostWindow()); });
}

void ArchiveController::auswertung_Click()
{
    m_windows.open<ReceiptEvaluationWindow>([this] { return new ReceiptEvaluationWindow(*this, m_host.hostWindow()); });
}

void ArchiveController::stornieren_Click()
{
    loeschen_Click();
}

void ArchiveController::pruefen_Click()
{
    m_windows.open<CheckWindow>([this] { return new CheckWindow(*this, m_host.hostWindow()); });
}

void ArchiveController::betriebspruefung_Click()
{
    m_windows.open<AuditExportWindow>([this] { return new AuditExportWindow(*this, m_host.hostWindow()); });
}

Form7 *ArchiveController::searchWindow() const
{
    return m_windows.find<Form7>();
}

Form8 *ArchiveController::deleteWindow() const
{
    return m_windows.find<Form8>();
}

ReceiptEvaluationWindow *ArchiveController::evaluationWindow() const
{
    return m_windows.find<ReceiptEvaluationWindow>();
}

bool ArchiveController::loadReceiptFile(const QString &fileName, QWidget *parent)
{
    if (!fileName.isEmpty()) {
        if (!m_host.mayReplaceReceipt())
            return false;
        if (files().isLink(fileName)) {
            m_platform.messageBox(parent, WorkDir::linkMessage(files().storedName(fileName)));
            return false;
        }
        if (const auto record = LoadReceipt(files(), fileName)) {
            m_host.showLoadedReceipt(*record);
            // A receipt that keeps its date is shown with it.
            if (!record->date.isEmpty())
                return true;
        }
    }
    m_platform.messageBox(parent, QStringLiteral("Bitte Datum beachten!"));
    return true;
}
