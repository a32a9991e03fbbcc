#pragma once

#include "platform/platform.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

#include <memory>

class QPrinter;
class QPrintPreviewWidget;

// The print preview: the page as it will be printed, with one or two
// receipts, zoomed by the user; from here it goes to the printer or into a
// PDF file. The main window waits while it is open, so the page shown stays
// the receipt on the screen behind it.
class PrintPreviewWindow : public QWidget
{
public:
    PrintPreviewWindow(const PrintPreview &preview, QWidget *mainWindow);
    ~PrintPreviewWindow() override;

    QPrintPreviewWidget *Page;
    QRadioButton *OneCopy;
    QRadioButton *TwoCopies;
    QPushButton *ZoomIn;
    QPushButton *ZoomOut;
    QPushButton *FitPage;
    QPushButton *FitWidth;
    QLabel *PrinterLabel;
    QPushButton *PrintButton;
    QPushButton *PdfButton;
    QPushButton *CloseButton;

    // The page as shown: one copy or two.
    const QList<PrintOperation> &shownPage() const;

    void OneCopy_Click();
    void TwoCopies_Click();
    void Page_PaintRequested(QPrinter *printer);
    void PrintButton_Click();
    void PdfButton_Click();
    void CloseButton_Click();

private:
    PrintPreview m_preview;
    // The page's paper: the PDF file's, whatever printer is chosen.
    std::unique_ptr<QPrinter> m_paper;
};
