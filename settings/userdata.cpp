#include "settings/form6.h"
#include "settings/settingscontroller.h"
#include "settings/taxdatawindow.h"

#include "platform/secondarywindows.h"

#include "platform/controls.h"
#include "text/storableinput.h"
#include "platform/events.h"
#include "platform/twips.h"
#include "settings/settings.h"
#include "settings/userdatafile.h"

#include <QCloseEvent>

void SettingsController::anwender_Click()
{
    m_windows.open<Form6>([this] {
        // The main window stays out of sight while the user data are edited.
        QWidget *main = m_host.hostWindow();
        main->hide();
        return new Form6(m_platform, m_host, main);
    });
}

Form6 *SettingsController::userDataWindow() const
{
    return m_windows.find<Form6>();
}

void SettingsController::steuerangaben_Click()
{
    m_windows.open<TaxDataWindow>([this] {
        return new TaxDataWindow(m_platform, m_host.hostWindow(), [this](const TaxData &data) {
            m_host.showTaxData(data);
        });
    });
}

TaxDataWindow *SettingsController::taxDataWindow() const
{
    return m_windows.find<TaxDataWindow>();
}

Form6::Form6(Platform &platform, WordingHost &host, QWidget *mainWindow)
    : QWidget(mainWindow, Qt::Window), m_platform(platform), m_host(host), m_mainWindow(mainWindow),
      m_events(new EventRouter(this))
{
    setObjectName(QStringLiteral("Form6"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Anwender-Daten"));
    setFixedSize(twips::size(clientWidth, clientHeight));
    setFont(uiFont(QStringLiteral("MS Sans Serif"), 8.25));
    setBackground(this, colours::grey);

    const struct
    {
        QGroupBox *&frame;
        QLineEdit *&box;
        const char *caption;
        void (Form6::*keyPress)(int &);
    } fields[] = {
        { Frame1, Text1, "Firma/Name:", &Form6::text1_KeyPress },
        { Frame2, Text2, "Zusatz:", &Form6::Text2_KeyPress },
        { Frame3, Text3, "Telefon/Fax:", &Form6::Text3_KeyPress },
        { Frame4, Text4, "Weiteres...", &Form6::Text4_KeyPress },
        { Frame5, Text5, "Straße/Postfach:", &Form6::Text5_KeyPress },
        { Frame6, Text6, "PLZ/Ort:", &Form6::Text6_KeyPress },
    };
    int row = 0;
    for (const auto &field : fields) {
        field.frame = new QGroupBox(QString::fromUtf8(field.caption), this);
        field.frame->setObjectName(QStringLiteral("Frame%1").arg(row + 1));
        field.frame->setGeometry(twips::rect(300, 180 + 720 * row, 4455, 675));
        field.box = new QLineEdit(field.frame);
        field.box->setObjectName(QStringLiteral("Text%1").arg(row + 1));
        field.box->setGeometry(twips::rect(120, 270, 4185, 285));
        // What is typed here goes into a file in the Windows code page.
        refuseUnstorable(field.box, m_platform);
        // Named as the frame says, without its colon or dots.
        QString name = QString::fromUtf8(field.caption);
        while (name.endsWith(QLatin1Char(':')) || name.endsWith(QLatin1Char('.')))
            name.chop(1);
        field.box->setAccessibleName(name);
        m_events->onKeyPress(field.box, [this, handler = field.keyPress](int &key) { (this->*handler)(key); });
        ++row;
    }

    Command1 = new QPushButton(QStringLiteral("&Speichern"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(twips::rect(300, 4590, 4515, 375));
    connect(Command1, &QPushButton::clicked, this, &Form6::Command1_Click);
    Command2 = new QPushButton(QStringLiteral("Abbrechen"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setGeometry(twips::rect(300, 5040, 4515, 375));
    connect(Command2, &QPushButton::clicked, this, &Form6::Command2_Click);
    keysOfWindow(this, Command2);

    QWidget *previous = nullptr;
    for (QWidget *control : { static_cast<QWidget *>(Text1), static_cast<QWidget *>(Text2),
                              static_cast<QWidget *>(Text3), static_cast<QWidget *>(Text4),
                              static_cast<QWidget *>(Text5), static_cast<QWidget *>(Text6),
                              static_cast<QWidget *>(Command1), static_cast<QWidget *>(Command2) }) {
        if (previous)
            setTabOrder(previous, control);
        previous = control;
    }

    Form_Load();
}

QList<QLineEdit *> Form6::boxes() const
{
    return { Text1, Text2, Text3, Text4, Text5, Text6 };
}

void Form6::Form_Load()
{
    const QPoint at = twips::centred(m_platform.screenSizeTwips(), QSize(clientWidth, clientHeight));
    move(twips::toPixels(at.x()), twips::toPixels(at.y()));

    if (const auto data = ReadUserData(m_platform.files())) {
        const QList<QLineEdit *> all = boxes();
        for (int line = 0; line < all.size(); ++line)
            all[line]->setText(data->value(line));
    }
    Text1->setFocus();
}

namespace {

// Enter moves on to the next box, as Tab does; it never saves.
void enterAsTab(int &keyAscii)
{
    if (keyAscii != 13)
        return;
    keyAscii = 0;
    sendTab();
}

} // namespace

void Form6::text1_KeyPress(int &keyAscii)
{
    enterAsTab(keyAscii);
}

void Form6::Text2_KeyPress(int &keyAscii)
{
    enterAsTab(keyAscii);
}

void Form6::Text3_KeyPress(int &keyAscii)
{
    enterAsTab(keyAscii);
}

void Form6::Text4_KeyPress(int &keyAscii)
{
    enterAsTab(keyAscii);
}

void Form6::Text5_KeyPress(int &keyAscii)
{
    enterAsTab(keyAscii);
}

void Form6::Text6_KeyPress(int &keyAscii)
{
    enterAsTab(keyAscii);
}

void Form6::Command1_Click()
{
    SaveUserData();
}

void Form6::Command2_Click()
{
    close();
}

void Form6::SaveUserData()
{
    UserData data;
    for (const QLineEdit *box : boxes())
        data.append(box->text());
    QString error;
    if (!WriteUserData(m_platform.files(), data, &error)) {
        m_platform.messageBox(this, error);
        return;
    }
    m_host.showPlace(Text6->text());
    if (!WriteSetting(m_platform.files(), settingsfile::ort, Text6->text(), &error)) {
        m_platform.messageBox(this, error);
        return;
    }
    close();
}

void Form6::closeEvent(QCloseEvent *event)
{
    // However the window goes, saved or through its frame, the main window
    // comes back; only the save button stores anything.
    if (m_mainWindow) {
        m_mainWindow->show();
        m_mainWindow->activateWindow();
    }
    event->accept();
}
