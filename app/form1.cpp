#include "app/form1.h"

#include "editor/pictures.h"
#include "editor/quitt.h"
#include "platform/controls.h"
#include "platform/twips.h"

Form1::Form1(Platform &platform)
    : QWidget(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint), m_platform(platform)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("    Version " ZETTELFIX_VERSION " - ") + Platform::makersLine());
    setWindowIcon(QIcon(pictures::programIcon(64)));
    setFixedSize(twips::size(clientWidth, clientHeight));
    setBackground(this, colours::white);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(twips::rect(510, 270, 3330, 4200));
    Image1->setPixmap(pictures::splashPicture());

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    Timer1->setInterval(2000);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);

    Form_Load();
}

Form1::~Form1() = default;

void Form1::Form_Load()
{
    const QPoint at = twips::centred(m_platform.screenSizeTwips(), QSize(clientWidth, clientHeight));
    move(twips::toPixels(at.x()), twips::toPixels(at.y()));
    Timer1->start();
    // The main window looks up its settings files by name in any letter case;
    // reading a folder with a large archive is done now, behind the splash.
    m_platform.files().prime();
}

void Form1::Timer1_Timer()
{
    Timer1->stop();
    close();
    if (m_main)
        return;
    m_main = std::make_unique<quitt>(m_platform);
    m_main->show();
    m_main->Text8->setFocus();
}
