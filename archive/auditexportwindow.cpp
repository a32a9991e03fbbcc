#include "archive/auditexportwindow.h"

#include "archive/archivecontroller.h"
#include "archive/auditexport.h"
#include "archive/gdpdudtd.h"
#include "platform/controls.h"
#include "platform/platform.h"
#include "receipt/germantext.h"

#include <QBoxLayout>
#include <QDir>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

AuditExportWindow::AuditExportWindow(ArchiveController &archive, QWidget *parent)
    : QDialog(parent), m_archive(archive)
{
    setObjectName(QStringLiteral("AuditExportWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Daten für die Betriebsprüfung"));
    setFont(uiFont(QStringLiteral("MS Sans Serif"), 8.25));
    setBackground(this, colours::grey);

    const int year = archive.platform().today().year();
    fromBox = new QLineEdit(germantext::date(QDate(year, 1, 1)), this);
    fromBox->setObjectName(QStringLiteral("fromBox"));
    toBox = new QLineEdit(germantext::date(QDate(year, 12, 31)), this);
    toBox->setObjectName(QStringLiteral("toBox"));
    auto *form = new QFormLayout;
    const auto addRow = [&](const QString &caption, QLineEdit *field, const QString &name) {
        auto *label = new QLabel(caption, this);
        label->setBuddy(field);
        field->setAccessibleName(name);
        form->addRow(label, field);
    };
    addRow(QStringLiteral("Datum &vom:"), fromBox, QStringLiteral("Datum vom"));
    addRow(QStringLiteral("&bis:"), toBox, QStringLiteral("Datum bis"));

    okButton = new QPushButton(QStringLiteral("&OK"), this);
    okButton->setObjectName(QStringLiteral("okButton"));
    cancelButton = new QPushButton(QStringLiteral("Abbrechen"), this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    keysOfWindow(this, cancelButton);
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &AuditExportWindow::okButton_Click);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::close);
}

void AuditExportWindow::okButton_Click()
{
    Platform &platform = m_archive.platform();
    const QDate from = germantext::parseDate(QStringView(fromBox->text()));
    const QDate to = germantext::parseDate(QStringView(toBox->text()));
    if (!from.isValid() || !to.isValid() || to < from) {
        platform.messageBox(this, QStringLiteral("Bitte geben Sie zwei gültige Daten (TT.MM.JJJJ) ein, das zweite "
                                                 "nicht vor dem ersten."));
        return;
    }
    const QString folder = platform.existingFolder(this, QStringLiteral("Leeren Ordner für die Daten wählen"),
                                                   m_archive.files().path());
    if (folder.isEmpty())
        return;
    const auditexport::Tables tables = auditexport::make(m_archive.files(), from, to);
    QString error;
    if (!auditexport::write(folder, tables, QByteArray(gdpduDtd), &error)) {
        platform.messageBox(this, error);
        return;
    }
    platform.messageBox(this, QStringLiteral("%1 Quittungen und %2 Einträge des Protokolls wurden in den Ordner "
                                             "\"%3\" geschrieben.")
                                  .arg(tables.receiptCount)
                                  .arg(tables.entryCount)
                                  .arg(QDir::toNativeSeparators(folder)));
    close();
}
