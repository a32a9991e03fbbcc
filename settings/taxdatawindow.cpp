#include "settings/taxdatawindow.h"

#include "platform/controls.h"
#include "text/storableinput.h"
#include "platform/twips.h"

#include <QKeyEvent>

TaxDataWindow::TaxDataWindow(Platform &platform, QWidget *mainWindow, Saved saved)
    : QWidget(mainWindow, Qt::Window), m_platform(platform), m_saved(std::move(saved))
{
    setObjectName(QStringLiteral("TaxDataWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    // A receipt printed meanwhile would not know which tax data holds.
    setWindowModality(Qt::ApplicationModal);
    setWindowTitle(QStringLiteral("Steuerliche Angaben"));
    setFixedSize(twips::size(clientWidth, clientHeight));
    setFont(uiFont(QStringLiteral("MS Sans Serif"), 8.25));
    setBackground(this, colours::grey);

    const auto box = [this](const char *name, const QString &accessible, int top) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setAccessibleName(accessible);
        edit->setGeometry(twips::rect(2100, top, 3300, 315));
        refuseUnstorable(edit, m_platform);
        return edit;
    };
    const auto label = [this](const char *name, const QString &caption, int top, QWidget *buddy) {
        auto *l = new QLabel(caption, this);
        l->setObjectName(QString::fromLatin1(name));
        l->setGeometry(twips::rect(300, top + 30, 1700, 255));
        l->setBuddy(buddy);
        return l;
    };
    const auto option = [this](const char *name, const QString &caption, const QString &accessible, int top) {
        auto *o = new QRadioButton(caption, this);
        o->setObjectName(QString::fromLatin1(name));
        o->setAccessibleName(accessible);
        o->setGeometry(twips::rect(300, top, 5100, 285));
        return o;
    };
    const auto button = [this](const char *name, const QString &caption, int left) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
        b->setGeometry(twips::rect(left, 4920, 1500, 375));
        // Enter presses the button that has the focus.
        b->setAutoDefault(true);
        return b;
    };

    Text1 = box("Text1", QStringLiteral("Steuernummer"), 240);
    Label1 = label("Label1", QStringLiteral("&Steuernummer:"), 240, Text1);
    Text2 = box("Text2", QStringLiteral("USt-IdNr."), 660);
    Label2 = label("Label2", QStringLiteral("&USt-IdNr.:"), 660, Text2);
    Text4 = box("Text4", QStringLiteral("Handelsregister oder andere Kennung"), 1080);
    Text4->setToolTip(QStringLiteral("Für E-Rechnungen ohne USt-IdNr., z. B. „HRB 1234, Amtsgericht Musterstadt“"));
    Label3 = label("Label3", QStringLiteral("Register&nummer:"), 1080, Text4);
    Text5 = box("Text5", QStringLiteral("Land"), 1500);
    Text5->setToolTip(QStringLiteral("Ländercode aus zwei Buchstaben, z. B. DE"));
    Label4 = label("Label4", QStringLiteral("&Land:"), 1500, Text5);
    Text6 = box("Text6", QStringLiteral("Ansprechpartner"), 1920);
    Label5 = label("Label5", QStringLiteral("&Ansprechpartner:"), 1920, Text6);
    Text7 = box("Text7", QStringLiteral("Telefon"), 2340);
    Label6 = label("Label6", QStringLiteral("&Telefon:"), 2340, Text7);
    Text8 = box("Text8", QStringLiteral("E-Mail"), 2760);
    Label7 = label("Label7", QStringLiteral("&E-Mail:"), 2760, Text8);
    Option1 = option("Option1", QStringLiteral("&Regelbesteuerung"), QStringLiteral("Regelbesteuerung"), 3240);
    Option2 = option("Option2", QStringLiteral("&Kleinunternehmer nach § 19 UStG"),
                     QStringLiteral("Kleinunternehmer nach § 19 UStG"), 3570);
    Option3 = option("Option3", QStringLiteral("Umsatzsteuer&frei mit dem Hinweis:"),
                     QStringLiteral("Umsatzsteuerfrei mit dem Hinweis"), 3900);
    Text3 = box("Text3", QStringLiteral("Hinweis auf die Steuerfreiheit"), 4230);
    Text3->setGeometry(twips::rect(600, 4230, 4800, 315));
    Command1 = button("Command1", QStringLiteral("&OK"), 2340);
    Command1->setDefault(true);
    Command2 = button("Command2", QStringLiteral("Abbrechen"), 3900);

    QWidget *previous = nullptr;
    for (QWidget *control : std::initializer_list<QWidget *> { Text1, Text2, Text4, Text5, Text6, Text7, Text8, Option1,
                                                               Option2, Option3, Text3, Command1, Command2 }) {
        if (previous)
            setTabOrder(previous, control);
        previous = control;
    }
    connect(Command1, &QPushButton::clicked, this, &TaxDataWindow::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &TaxDataWindow::Command2_Click);

    Form_Load();
}

void TaxDataWindow::Form_Load()
{
    const QPoint at = twips::centred(m_platform.screenSizeTwips(), QSize(clientWidth, clientHeight));
    move(twips::toPixels(at.x()), twips::toPixels(at.y()));

    const TaxData data = ReadTaxData(m_platform.files());
    Text1->setText(data.taxNumber);
    Text2->setText(data.vatId);
    Text3->setText(data.exemptionNote);
    const SellerData seller = ReadSellerData(m_platform.files());
    Text4->setText(seller.sellerId);
    Text5->setText(seller.country);
    Text6->setText(seller.contactName);
    Text7->setText(seller.telephone);
    Text8->setText(seller.email);
    (data.mode == TaxData::Mode::SmallBusiness ? Option2
         : data.mode == TaxData::Mode::TaxFree ? Option3
                                               : Option1)
        ->setChecked(true);
    Text1->setFocus();
}

TaxData TaxDataWindow::shown() const
{
    TaxData data;
    data.taxNumber = Text1->text();
    data.vatId = Text2->text();
    data.mode = Option2->isChecked() ? TaxData::Mode::SmallBusiness
        : Option3->isChecked()       ? TaxData::Mode::TaxFree
                                     : TaxData::Mode::Regular;
    data.exemptionNote = Text3->text();
    return data;
}

SellerData TaxDataWindow::shownSeller() const
{
    SellerData data;
    data.sellerId = Text4->text();
    data.country = Text5->text().trimmed().toUpper();
    data.contactName = Text6->text();
    data.telephone = Text7->text();
    data.email = Text8->text();
    return data;
}

void TaxDataWindow::Command1_Click()
{
    const TaxData data = shown();
    QString error;
    if (!WriteTaxData(m_platform.files(), data, shownSeller(), &error)) {
        m_platform.messageBox(this, error);
        return;
    }
    if (m_saved)
        m_saved(data);
    close();
}

void TaxDataWindow::Command2_Click()
{
    close();
}

void TaxDataWindow::keyPressEvent(QKeyEvent *event)
{
    // The boxes and the options leave Enter and Escape to the window: Enter
    // is the default button's, Escape cancels.
    if (!pressOkOrCancel(event, Command1, Command2))
        QWidget::keyPressEvent(event);
}
