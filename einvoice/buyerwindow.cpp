#include "einvoice/buyerwindow.h"

#include "einvoice/buyerstore.h"
#include "platform/controls.h"
#include "platform/platform.h"
#include "platform/twips.h"
#include "text/storableinput.h"

#include <QKeyEvent>

BuyerWindow::BuyerWindow(Platform &platform, QWidget *mainWindow, const QString &payer, const EInvoiceBuyer &buyer,
                         Saved saved)
    : QWidget(mainWindow, Qt::Window), m_platform(platform), m_payer(payer), m_saved(std::move(saved))
{
    setObjectName(QStringLiteral("BuyerWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::ApplicationModal);
    setWindowTitle(QStringLiteral("Rechnungsempfänger"));
    setFixedSize(twips::size(clientWidth, clientHeight));
    setFont(uiFont(QStringLiteral("MS Sans Serif"), 8.25));
    setBackground(this, colours::grey);

    Label0 = new QLabel(this);
    Label0->setObjectName(QStringLiteral("Label0"));
    Label0->setGeometry(twips::rect(300, 180, 6000, 255));
    const QString forPayer = QStringLiteral("Für den Zahler: %1").arg(payer.trimmed());
    Label0->setText(Label0->fontMetrics().elidedText(forPayer, Qt::ElideRight, Label0->width()));
    Label0->setToolTip(forPayer);

    const struct
    {
        QLineEdit *&box;
        const char *caption;
        const char *accessible;
        QString value;
    } rows[] = {
        { Text1, "&Name:", "Name des Rechnungsempfängers", buyer.party.name },
        { Text2, "&Straße:", "Straße", buyer.party.street },
        { Text3, "&PLZ:", "Postleitzahl", buyer.party.postcode },
        { Text4, "Or&t:", "Ort", buyer.party.city },
        { Text5, "&Land:", "Land (zwei Buchstaben)", buyer.party.country },
        { Text6, "&USt-IdNr.:", "USt-IdNr. des Rechnungsempfängers (freiwillig)", buyer.party.vatId },
        { Text7, "Käuferreferenz / Leitweg-&ID:", "Käuferreferenz oder Leitweg-ID (freiwillig)", buyer.reference },
        { Text8, "&E-Mail:", "E-Mail des Rechnungsempfängers (freiwillig)", buyer.party.email },
    };
    int top = 600;
    int n = 1;
    for (const auto &row : rows) {
        row.box = new QLineEdit(row.value, this);
        row.box->setObjectName(QStringLiteral("Text%1").arg(n));
        row.box->setAccessibleName(QString::fromUtf8(row.accessible));
        row.box->setGeometry(twips::rect(3000, top, 3300, 315));
        refuseUnstorable(row.box, m_platform);
        auto *label = new QLabel(QString::fromUtf8(row.caption), this);
        label->setObjectName(QStringLiteral("Label%1").arg(n));
        label->setGeometry(twips::rect(300, top + 30, 2600, 255));
        label->setBuddy(row.box);
        top += 420;
        ++n;
    }
    Text7->setToolTip(QStringLiteral("Käuferreferenz; öffentliche Auftraggeber nennen ihre Leitweg-ID"));

    const auto button = [this](const char *name, const QString &caption, int left) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
        b->setGeometry(twips::rect(left, 4080, 1500, 375));
        b->setAutoDefault(true);
        return b;
    };
    Command1 = button("Command1", QStringLiteral("&OK"), 3240);
    Command1->setDefault(true);
    Command2 = button("Command2", QStringLiteral("Abbrechen"), 4800);
    connect(Command1, &QPushButton::clicked, this, &BuyerWindow::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &BuyerWindow::Command2_Click);

    const QPoint at = twips::centred(m_platform.screenSizeTwips(), QSize(clientWidth, clientHeight));
    move(twips::toPixels(at.x()), twips::toPixels(at.y()));
    QLineEdit *first = Text1;
    for (QLineEdit *box : required()) {
        if (box->text().trimmed().isEmpty()) {
            first = box;
            break;
        }
    }
    first->setFocus();
}

EInvoiceBuyer BuyerWindow::shown() const
{
    EInvoiceBuyer b;
    b.party.name = Text1->text().trimmed();
    b.party.street = Text2->text().trimmed();
    b.party.postcode = Text3->text().trimmed();
    b.party.city = Text4->text().trimmed();
    b.party.country = Text5->text().trimmed().toUpper();
    b.party.vatId = Text6->text().trimmed();
    b.reference = Text7->text().trimmed();
    b.party.email = Text8->text().trimmed();
    return b;
}

void BuyerWindow::Command1_Click()
{
    for (QLineEdit *box : required()) {
        if (box->text().trimmed().isEmpty()) {
            m_platform.messageBox(this, QStringLiteral("Bitte tragen Sie „%1“ ein.").arg(box->accessibleName()));
            box->setFocus();
            return;
        }
    }
    const EInvoiceBuyer buyer = shown();
    QString error;
    if (!buyerstore::store(m_platform.files(), m_payer, buyer, &error)) {
        m_platform.messageBox(this, error);
        return;
    }
    // Closed first: what follows may ask for a file name.
    const Saved saved = m_saved;
    close();
    if (saved)
        saved(buyer);
}

void BuyerWindow::Command2_Click()
{
    close();
}

void BuyerWindow::keyPressEvent(QKeyEvent *event)
{
    if (!pressOkOrCancel(event, Command1, Command2))
        QWidget::keyPressEvent(event);
}
