#pragma once

#include "archive/receipthost.h"

class Form7;
class Form8;
class Platform;
class QWidget;
class ReceiptEvaluationWindow;
class SecondaryWindows;
class WorkDir;

// The windows over the saved receipts: search and load, search and delete,
// and the evaluation. The main window connects its menu entries to the
// handlers here.
class ArchiveController
{
public:
    ArchiveController(Platform &platform, ReceiptHost &host, SecondaryWindows &windows);

    Platform &platform() { return m_platform; }
    WorkDir &files();

    void suchequitt_Click();
    void loeschen_Click();
    void auswertung_Click();
    void stornieren_Click();
    void pruefen_Click();
    void betriebspruefung_Click();

    Form7 *searchWindow() const;
    Form8 *deleteWindow() const;
    ReceiptEvaluationWindow *evaluationWindow() const;

    // Takes a saved receipt into the main window, as a double-click in the
    // search window or the evaluation window does, and asks to mind the
    // date where the receipt has none of its own; a receipt that is gone
    // changes nothing. False when the main window keeps its receipt.
    bool loadReceiptFile(const QString &fileName, QWidget *parent);

private:
    Platform &m_platform;
    ReceiptHost &m_host;
    SecondaryWindows &m_windows;
};
