#include "print/printerchoice.h"

#include "platform/controls.h"
#include "platform/twips.h"
#include "settings/settings.h"
#include "text/codepage.h"

QString chosenPrinter(const WorkDir &files)
{
    return settingValue(files, settingsfile::drucker).value_or(QString());
}

PrinterChoiceWindow::PrinterChoiceWindow(Platform &platform, QWidget *mainWindow)
    : QWidget(mainWindow, Qt::Window), m_platform(platform)
{
    setObjectName(QStringLiteral("PrinterChoiceWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    // A print started meanwhile would not know which printer is meant.
    setWindowModality(Qt::ApplicationModal);
    setWindowTitle(QStringLiteral("Drucker wählen"));
    setFixedSize(twips::size(clientWidth, clientHeight));
    setFont(uiFont(QStringLiteral("MS Sans Serif"), 8.25));
    setBackground(this, colours::grey);

    Label1 = new QLabel(QStringLiteral("Drucker für „1 drucken“ und „2 drucken“:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setTextFormat(Qt::PlainText);
    Label1->setGeometry(twips::rect(300, 120, 4800, 285));

    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setGeometry(twips::rect(300, 450, 4800, 2400));
    List1->setSelectionMode(QAbstractItemView::SingleSelection);

    Command1 = new QPushButton(QStringLiteral("&Abbrechen"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(twips::rect(300, 3060, 2300, 405));
    Command2 = new QPushButton(QStringLiteral("&Drucker speichern"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setGeometry(twips::rect(2700, 3060, 2400, 405));

    setTabOrder(List1, Command1);
    setTabOrder(Command1, Command2);
    connect(List1, &QListWidget::itemDoubleClicked, this, &PrinterChoiceWindow::List1_DblClick);
    List1->setAccessibleName(QStringLiteral("Drucker"));
    keysOfWindow(this, Command1);
    connect(Command1, &QPushButton::clicked, this, &PrinterChoiceWindow::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &PrinterChoiceWindow::Command2_Click);

    Form_Load();
}

void PrinterChoiceWindow::Form_Load()
{
    const QPoint at = twips::centred(m_platform.screenSizeTwips(), QSize(clientWidth, clientHeight));
    move(twips::toPixels(at.x()), twips::toPixels(at.y()));

    const QStringList printers = m_platform.printerNames();
    List1->addItem(systemDefaultEntry(printers));
    List1->addItems(printers);
    // The current choice is marked; a printer that is gone is not in the
    // list, and nothing is marked.
    const QString chosen = chosenPrinter(m_platform.files());
    if (chosen.isEmpty()) {
        List1->setCurrentRow(0);
    } else {
        for (int row = 1; row < List1->count(); ++row)
            if (List1->item(row)->text() == chosen)
                List1->setCurrentRow(row);
    }
}

void PrinterChoiceWindow::List1_DblClick()
{
    Command2_Click();
}

void PrinterChoiceWindow::Command2_Click()
{
    const QList<QListWidgetItem *> selected = List1->selectedItems();
    if (selected.isEmpty()) {
        m_platform.messageBox(this, QStringLiteral("Bitte markieren Sie einen Drucker!"));
        return;
    }
    const QString printer = List1->row(selected.first()) == 0 ? QString() : selected.first()->text();
    // A name the file cannot hold would come back as another printer.
    if (!codepage::storable(printer)) {
        m_platform.messageBox(this, QStringLiteral("Der Name dieses Druckers enthält ein Zeichen, das nicht "
                                                   "gespeichert werden kann. Bitte wählen Sie einen anderen "
                                                   "Drucker!"));
        return;
    }
    QString error;
    if (!WriteSetting(m_platform.files(), settingsfile::drucker, printer, &error)) {
        m_platform.messageBox(this, error);
        return;
    }
    close();
}

void PrinterChoiceWindow::Command1_Click()
{
    close();
}
