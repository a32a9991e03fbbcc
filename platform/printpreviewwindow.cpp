#include "platform/printpreviewwindow.h"

#include "platform/controls.h"
#include "platform/qtprintsurface.h"

#include <QBoxLayout>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QShortcut>

PrintPreviewWindow::PrintPreviewWindow(const PrintPreview &preview, QWidget *mainWindow)
    : QWidget(mainWindow, Qt::Window), m_preview(preview)
{
    setObjectName(QStringLiteral("PrintPreviewWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::ApplicationModal);
    setWindowTitle(QStringLiteral("Druckvorschau"));
    setFont(uiFont(QStringLiteral("MS Sans Serif"), 8.25));

    m_paper = std::make_unique<QPrinter>(QPrinter::HighResolution);
    // A file printer asks no print server, and has the PDF file's page.
    m_paper->setOutputFormat(QPrinter::PdfFormat);
    m_paper->setPageLayout(pdfPageLayout());

    const auto button = [this](const char *name, const QString &text) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    OneCopy = new QRadioButton(QStringLiteral("&1 Quittung auf der Seite"), this);
    OneCopy->setObjectName(QStringLiteral("OneCopy"));
    OneCopy->setChecked(true);
    TwoCopies = new QRadioButton(QStringLiteral("&2 Quittungen auf der Seite"), this);
    TwoCopies->setObjectName(QStringLiteral("TwoCopies"));
    ZoomIn = button("ZoomIn", QStringLiteral("Ver&größern"));
    ZoomOut = button("ZoomOut", QStringLiteral("Ver&kleinern"));
    FitPage = button("FitPage", QStringLiteral("Ganze &Seite"));
    FitWidth = button("FitWidth", QStringLiteral("Seiten&breite"));
    Page = new QPrintPreviewWidget(m_paper.get(), this);
    Page->setObjectName(QStringLiteral("Page"));
    Page->setAccessibleName(QStringLiteral("Vorschau der Seite"));
    PrinterLabel = new QLabel(QStringLiteral("Drucker: ") + preview.printerCaption, this);
    PrinterLabel->setObjectName(QStringLiteral("PrinterLabel"));
    PrinterLabel->setTextFormat(Qt::PlainText);
    PrintButton = button("PrintButton", QStringLiteral("&Drucken"));
    PdfButton = button("PdfButton", QStringLiteral("Als &PDF speichern..."));
    CloseButton = button("CloseButton", QStringLiteral("Schl&ießen"));

    auto *top = new QHBoxLayout;
    top->addWidget(OneCopy);
    top->addWidget(TwoCopies);
    top->addStretch();
    for (QPushButton *b : { ZoomIn, ZoomOut, FitPage, FitWidth })
        top->addWidget(b);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(PrinterLabel);
    bottom->addStretch();
    for (QPushButton *b : { PrintButton, PdfButton, CloseButton })
        bottom->addWidget(b);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(Page, 1);
    layout->addLayout(bottom);
    resize(680, 900);

    connect(OneCopy, &QRadioButton::clicked, this, &PrintPreviewWindow::OneCopy_Click);
    connect(TwoCopies, &QRadioButton::clicked, this, &PrintPreviewWindow::TwoCopies_Click);
    // Each step is a quarter larger or smaller, as in Qt's own preview dialog.
    connect(ZoomIn, &QPushButton::clicked, this, [this] { Page->zoomIn(1.25); });
    connect(ZoomOut, &QPushButton::clicked, this, [this] { Page->zoomOut(1.25); });
    connect(FitPage, &QPushButton::clicked, this, [this] { Page->fitInView(); });
    connect(FitWidth, &QPushButton::clicked, this, [this] { Page->fitToWidth(); });
    connect(Page, &QPrintPreviewWidget::paintRequested, this, &PrintPreviewWindow::Page_PaintRequested);
    connect(PrintButton, &QPushButton::clicked, this, &PrintPreviewWindow::PrintButton_Click);
    connect(PdfButton, &QPushButton::clicked, this, &PrintPreviewWindow::PdfButton_Click);
    connect(CloseButton, &QPushButton::clicked, this, &PrintPreviewWindow::CloseButton_Click);
    // Escape closes, as it does Qt's own dialogs.
    connect(new QShortcut(QKeySequence::Cancel, this), &QShortcut::activated, this,
            &PrintPreviewWindow::CloseButton_Click);
    Page->fitInView();
}

PrintPreviewWindow::~PrintPreviewWindow()
{
    // The preview draws on the paper until it is gone.
    delete Page;
}

const QList<PrintOperation> &PrintPreviewWindow::shownPage() const
{
    return TwoCopies->isChecked() ? m_preview.twoCopies : m_preview.oneCopy;
}

void PrintPreviewWindow::OneCopy_Click()
{
    Page->updatePreview();
}

void PrintPreviewWindow::TwoCopies_Click()
{
    Page->updatePreview();
}

void PrintPreviewWindow::Page_PaintRequested(QPrinter *printer)
{
    QPainter painter(printer);
    for (const PrintOperation &op : shownPage())
        paintOperation(painter, op);
}

void PrintPreviewWindow::PrintButton_Click()
{
    if (m_preview.print && m_preview.print(this, shownPage()))
        close();
}

void PrintPreviewWindow::PdfButton_Click()
{
    if (m_preview.savePdf && m_preview.savePdf(this, shownPage()))
        close();
}

void PrintPreviewWindow::CloseButton_Click()
{
    close();
}
