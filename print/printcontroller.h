#pragma once

#include "platform/printoperation.h"
#include "print/printhost.h"

#include <QList>
#include <QString>

#include <functional>
#include <initializer_list>
#include <optional>

class Form9;
class Platform;
class PrinterChoiceWindow;
class SecondaryWindows;

// Printing the receipt the main window shows: on paper, one or two copies a
// page, as a PDF file and in the print preview; and the windows that choose
// the print font and the printer. The main window's print buttons and its
// menu entries call the handlers here.
class PrintController
{
public:
    PrintController(Platform &platform, PrintHost &host, SecondaryWindows &windows);

    // "1 drucken" and "2 drucken".
    void printOneCopy();
    void printTwoCopies();

    void schrifti_Click();
    void pdfspeichern_Click();
    void druckvorschau_Click();
    void druckerwahl_Click();

    // The receipt's page as "1 drucken" lays it out, without the end of the
    // document: the page of an e-invoice.
    QList<PrintOperation> receiptPage() { return layoutPage({ 0 }); }

    Form9 *fontWindow() const;
    PrinterChoiceWindow *printerWindow() const;

private:
    std::optional<QString> printFont();
    bool printerReady();
    QList<PrintOperation> layoutPage(std::initializer_list<float> offsets);
    QString suggestedPdfPath() const;
    bool printPage(QWidget *parent, const QList<PrintOperation> &page, const QString &pdfPath);
    bool savePdf(QWidget *parent, const std::function<QList<PrintOperation>()> &layout, const QString &pdfPath);

    Platform &m_platform;
    PrintHost &m_host;
    SecondaryWindows &m_windows;
};
