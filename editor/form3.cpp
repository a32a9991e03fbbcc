#include "editor/form3.h"

#include "editor/pictures.h"
#include "platform/controls.h"
#include "platform/twips.h"

Form3::Form3(Platform &platform, QWidget *parent)
    : QWidget(parent, Qt::Window), m_platform(platform)
{
    setObjectName(QStringLiteral("Form3"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Der Autor"));
    setFixedSize(twips::size(clientWidth, clientHeight));
    setFont(uiFont(QStringLiteral("MS Sans Serif"), 8.25));
    setBackground(this, colours::grey);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(twips::rect(150, 150, 3060, 4245));
    Image1->setPixmap(pictures::aboutPicture());

    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(twips::rect(3420, 60, 2925, 4335));
    Text1 = new QPlainTextEdit(makersText(), Frame1);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    Text1->setGeometry(twips::rect(120, 240, 2685, 3975));

    Command1 = new QPushButton(QStringLiteral("&Schließen"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(twips::rect(120, 5340, 6225, 435));
    Image1->setAccessibleName(QStringLiteral("Bild des Autors"));
    Text1->setAccessibleName(QStringLiteral("Über Zettelfix"));
    keysOfWindow(this, Command1);
    connect(Command1, &QPushButton::clicked, this, &Form3::Command1_Click);

    Form_Load();
}

QString Form3::makersText()
{
    return QStringLiteral("Zettelfix " ZETTELFIX_VERSION "\n"
                          "Quittungen schreiben, finden und drucken\n\n"
                          "Ein freies Programm des Zettelfix-Projekts.\n\n"
                          "Fragen, Wünsche und Fehlerberichte nimmt das "
                          "Zettelfix-Projekt gern entgegen.\n\n"
                          "Ihre Quittungen bleiben als kleine Textdateien in Ihrem "
                          "Datenordner; nichts verlässt Ihren Rechner.");
}

void Form3::Form_Load()
{
    const QPoint at = twips::centred(m_platform.screenSizeTwips(), QSize(clientWidth, clientHeight));
    move(twips::toPixels(at.x()), twips::toPixels(at.y()));
}

void Form3::Command1_Click()
{
    close();
}
