#include "archive/checkwindow.h"

#include "archive/archivecheck.h"
#include "archive/archivecontroller.h"
#include "archive/evaluation.h"
#include "platform/controls.h"
#include "platform/platform.h"

#include <QBoxLayout>
#include <QDate>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QPdfWriter>
#include <QPlainTextEdit>
#include <QPushButton>

CheckWindow::CheckWindow(ArchiveController &archive, QWidget *parent)
    : QDialog(parent), m_archive(archive)
{
    setObjectName(QStringLiteral("CheckWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Prüfung der Quittungen"));
    setFont(uiFont(QStringLiteral("MS Sans Serif"), 8.25));
    setBackground(this, colours::grey);
    resize(700, 420);

    m_findings = archivecheck::findings(archive.files());

    auto *label = new QLabel(QStringLiteral("&Befunde:"), this);
    findingsBox = new QPlainTextEdit(this);
    findingsBox->setObjectName(QStringLiteral("findingsBox"));
    findingsBox->setReadOnly(true);
    findingsBox->setLineWrapMode(QPlainTextEdit::NoWrap);
    findingsBox->setPlainText(m_findings.isEmpty() ? archivecheck::noFindings : m_findings.join(QLatin1Char('\n')));
    findingsBox->setAccessibleName(QStringLiteral("Befunde"));
    label->setBuddy(findingsBox);
    saveButton = new QPushButton(QStringLiteral("Befunde &speichern..."), this);
    saveButton->setObjectName(QStringLiteral("saveButton"));
    closeButton = new QPushButton(QStringLiteral("S&chließen"), this);
    closeButton->setObjectName(QStringLiteral("closeButton"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(findingsBox, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(saveButton);
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);

    keysOfWindow(this, closeButton);
    closeButton->setDefault(true);
    connect(saveButton, &QPushButton::clicked, this, &CheckWindow::saveButton_Click);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);
}

void CheckWindow::saveButton_Click()
{
    Platform &platform = m_archive.platform();
    const QString path = platform.saveFileName(this, QStringLiteral("Befunde speichern"),
                                               m_archive.files().filePath(QStringLiteral("Pruefung.pdf")),
                                               QStringLiteral("PDF-Dateien (*.pdf);;CSV-Dateien (*.csv)"));
    if (path.isEmpty())
        return;
    const QStringList lines = m_findings.isEmpty() ? QStringList { archivecheck::noFindings } : m_findings;
    QString error;
    const bool written = path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive)
        ? writeWholeFile(path, archivecheck::csv(lines), &error)
        : writeFindingsPdf(path, lines, platform.today(), &error);
    if (!written)
        platform.messageBox(this, error);
}

bool writeFindingsPdf(const QString &path, const QStringList &findings, const QDate &day, QString *error)
{
    QPdfWriter pdf(path);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
    pdf.setTitle(QStringLiteral("Prüfung der Quittungen"));
    QPainter painter;
    if (!painter.begin(&pdf)) {
        if (error)
            *error = QStringLiteral("Die Datei \"%1\" konnte nicht gespeichert werden.").arg(QDir::toNativeSeparators(path));
        return false;
    }
    const QRect page = painter.viewport();
    QFont font(QStringLiteral("Arial"), 10);
    painter.setFont(font);
    const int lineHeight = painter.fontMetrics().lineSpacing();
    int y = 0;
    const auto write = [&](const QString &text, bool bold) {
        if (y + lineHeight > page.height()) {
            pdf.newPage();
            y = 0;
        }
        font.setBold(bold);
        painter.setFont(font);
        painter.drawText(QRect(0, y, page.width(), lineHeight), Qt::AlignLeft | Qt::TextSingleLine, text);
        y += lineHeight;
    };
    write(QStringLiteral("Prüfung der Quittungen vom %1").arg(day.toString(QStringLiteral("dd.MM.yyyy"))),
          true);
    y += lineHeight;
    for (const QString &f : findings)
        write(f, false);
    return painter.end();
}
