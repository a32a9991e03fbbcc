#include "archive/journal.h"
#include "editor/quitt.h"

#include "editor/pictures.h"
#include "archive/evaluation.h"
#include "archive/receiptnumber.h"
#include "platform/twips.h"
#include "settings/settings.h"
#include "settings/taxdata.h"
#include "settings/userdatafile.h"
#include "receipt/completion.h"
#include "receipt/germantext.h"
#include "receipt/vatrate.h"
#include "text/storableinput.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QStyleOptionComboBox>


namespace {

const QString sansSerif = QStringLiteral("MS Sans Serif");
const QString courier = QStringLiteral("Courier New");

// The payer and purpose boxes are a single text line without a drop-down
// button: the arrow's place goes to the text.
class NoArrowComboStyle : public QProxyStyle
{
public:
    QRect subControlRect(ComplexControl cc, const QStyleOptionComplex *opt, SubControl sc,
                         const QWidget *widget) const override
    {
        if (cc == CC_ComboBox) {
            if (sc == SC_ComboBoxArrow)
                return QRect();
            if (sc == SC_ComboBoxEditField)
                return opt->rect.adjusted(3, 3, -3, -3);
        }
        return QProxyStyle::subControlRect(cc, opt, sc, widget);
    }
    void drawComplexControl(ComplexControl cc, const QStyleOptionComplex *opt, QPainter *p,
                            const QWidget *widget) const override
    {
        if (cc == CC_ComboBox) {
            if (const auto *combo = qstyleoption_cast<const QStyleOptionComboBox *>(opt)) {
                QStyleOptionFrame frame;
                frame.QStyleOption::operator=(*combo);
                frame.lineWidth = 1;
                frame.state |= State_Sunken;
                QProxyStyle::drawPrimitive(PE_PanelLineEdit, &frame, p, widget);
                return;
            }
        }
        QProxyStyle::drawComplexControl(cc, opt, p, widget);
    }
};

QGroupBox *makeFrame(QWidget *parent, const QString &name, const QString &caption, QRect twipsRect)
{
    auto *frame = new QGroupBox(caption, parent);
    frame->setObjectName(name);
    frame->setGeometry(twipsRect);
    frame->setFlat(false);
    return frame;
}

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &caption, QRect geometry,
                  const QColor &colour, bool bold = false)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setForeground(label, colour);
    if (bold) {
        QFont f = label->font();
        f.setBold(true);
        label->setFont(f);
    }
    return label;
}

QLineEdit *makeText(QWidget *parent, const QString &name, const QString &text, QRect geometry)
{
    auto *edit = new QLineEdit(text, parent);
    edit->setObjectName(name);
    edit->setGeometry(geometry);
    return edit;
}

QPushButton *makeButton(QWidget *parent, const QString &name, const QString &caption, QRect geometry,
                        const QString &tip = QString())
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    if (!tip.isEmpty())
        button->setToolTip(tip);
    return button;
}

QLineEdit *makeAmount(QWidget *parent, const QString &name, int left, int top, int width, bool readOnly)
{
    QLineEdit *edit = makeText(parent, name, QString(), twips::rect(left, top, width, 315));
    edit->setFont(uiFont(courier, 8.25));
    edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    edit->setReadOnly(readOnly);
    // Tab passes over what cannot be changed; a click still selects to copy.
    if (readOnly)
        edit->setFocusPolicy(Qt::ClickFocus);
    return edit;
}

} // namespace

quitt::quitt(Platform &platform, QWidget *parent)
    : QMainWindow(parent), m_platform(platform), m_events(new EventRouter(this)),
      m_archive(platform, *this, m_windows), m_print(platform, *this, m_windows),
      m_settings(platform, *this, m_windows), m_einvoice(platform, *this, m_windows)
{
    setObjectName(QStringLiteral("quitt"));
    installFontSubstitutes();
    buildControls();
    buildMenu();
    // Fixed only now that the menu bar is part of the size: the client area
    // below it keeps its size, and centring counts the whole window.
    adjustSize();
    setFixedSize(sizeHint());
    connectHandlers();
    keysOfWindow(this);
    // Everything these fields and the input boxes hold can end up in a file.
    m_platform.setInputRule(storableText);
    for (QLineEdit *box : { Text8, Text2, Text3, Text4, Text5, Text6, Text7, Text9, Text10, Text11 })
        refuseUnstorable(box, m_platform);
    for (QComboBox *box : { Combo1, Combo2, static_cast<QComboBox *>(Combo3), static_cast<QComboBox *>(Combo4) })
        refuseUnstorable(box, m_platform);
    Form_Load();
    updateAccessibleNames();
}

quitt::~quitt()
{
    // The controls go after this part of the window is gone; their last focus
    // and other events must not reach the handlers any more.
    delete m_events;
    m_events = nullptr;
    // Nor their signals: a control that changes as it goes (a combo box
    // losing its items) must not call into this part of the window.
    for (QObject *control : findChildren<QObject *>())
        control->disconnect(this);
}

void quitt::buildControls()
{
    setWindowTitle(QStringLiteral("Zettelfix " ZETTELFIX_VERSION " - ") + Platform::makersLine());
    setWindowIcon(QIcon(pictures::programIcon(64)));

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(twips::size(clientWidth, clientHeight));
    client->setFont(uiFont(sansSerif, 8.25));
    setBackground(client, colours::grey);
    setCentralWidget(client);

    Line1 = new LineControl(client, colours::ruleRed, 2);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setEnds(0, 30, 9480, 30);

    // Title word.
    Frame2 = makeFrame(client, QStringLiteral("Frame2"), QString(), twips::rect(270, 210, 3645, 1035));
    Combo1 = new NamedComboBox(Frame2);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    typeExactly(Combo1);
    Combo1->setGeometry(twips::rect(150, 240, 3375, 675));
    Combo1->setFont(uiFont(sansSerif, 24));
    setForeground(Combo1, colours::darkRed);
    setBackground(Combo1, colours::grey);
    Combo1->setToolTip(QStringLiteral("Oben im Menü fest änderbar"));
    Combo1->setEditText(QStringLiteral("Quittung"));
    // Every later receipt takes the title word: no Tab passes through here
    // by the way. The menu entry and a click reach it.
    Combo1->setFocusPolicy(Qt::ClickFocus);

    // Number.
    Frame4 = makeFrame(client, QStringLiteral("Frame4"), QString(), twips::rect(270, 1290, 3645, 495));
    Label1 = makeLabel(Frame4, QStringLiteral("Label1"), QStringLiteral("Nr.:"), twips::rect(180, 180, 1965, 195),
                       colours::darkRed);
    Text8 = makeText(Frame4, QStringLiteral("Text8"), QStringLiteral("1"), twips::rect(2220, 150, 1305, 285));

    // The amount block: net, VAT and total rows.
    Frame3 = makeFrame(client, QStringLiteral("Frame3"), QString(), twips::rect(4110, 210, 4695, 1575));
    const int net = 240, vat = 570, total = 1110;
    Label2 = makeLabel(Frame3, QStringLiteral("Label2"), QStringLiteral("netto"), twips::rect(1110, net, 900, 315),
                       colours::darkBlue);
    Label6 = makeLabel(Frame3, QStringLiteral("Label6"), QStringLiteral("DM"), twips::rect(2010, net, 495, 315),
                       colours::darkBlue);
    Text2 = makeAmount(Frame3, QStringLiteral("Text2"), 2520, net, 1005, true);
    Label9 = makeLabel(Frame3, QStringLiteral("Label9"), QStringLiteral("Pf"), twips::rect(3630, net, 420, 315),
                       colours::darkBlue);
    Text3 = makeAmount(Frame3, QStringLiteral("Text3"), 4050, net, 435, true);

    Label4 = makeLabel(Frame3, QStringLiteral("Label4"), QStringLiteral("+"), twips::rect(90, vat, 450, 315),
                       colours::darkBlue);
    Combo2 = new NamedComboBox(Frame3);
    Combo2->setObjectName(QStringLiteral("Combo2"));
    Combo2->setEditable(true);
    Combo2->setInsertPolicy(QComboBox::NoInsert);
    typeExactly(Combo2);
    Combo2->setGeometry(twips::rect(540, vat, 585, 315));
    setForeground(Combo2, colours::darkBlue);
    setBackground(Combo2, colours::grey);
    Combo2->setToolTip(QStringLiteral("Aktueller Mwst-Satz - Fest änderbar oben im Menü"));
    Combo2->setEditText(QStringLiteral("16"));
    Label5 = makeLabel(Frame3, QStringLiteral("Label5"), QStringLiteral("% MWSt"), twips::rect(1140, vat, 870, 315),
                       colours::darkBlue);
    Label7 = makeLabel(Frame3, QStringLiteral("Label7"), QStringLiteral("DM"), twips::rect(2010, vat, 495, 315),
                       colours::darkBlue);
    Text4 = makeAmount(Frame3, QStringLiteral("Text4"), 2520, vat, 1005, true);
    Label10 = makeLabel(Frame3, QStringLiteral("Label10"), QStringLiteral("Pf"), twips::rect(3630, vat, 420, 315),
                        colours::darkBlue);
    Text5 = makeAmount(Frame3, QStringLiteral("Text5"), 4050, vat, 435, true);

    Line2 = new LineControl(Frame3, colours::darkRed, 2);
    Line2->setObjectName(QStringLiteral("Line2"));
    Line2->setEnds(240, 990, 4470, 990);

    Label3 = makeLabel(Frame3, QStringLiteral("Label3"), QStringLiteral("gesamt"),
                       twips::rect(840, total, 1170, 315), colours::darkRed, true);
    Label8 = makeLabel(Frame3, QStringLiteral("Label8"), QStringLiteral("DM"), twips::rect(2010, total, 495, 315),
                       colours::darkRed);
    Text6 = makeAmount(Frame3, QStringLiteral("Text6"), 2520, total, 1005, false);
    Label11 = makeLabel(Frame3, QStringLiteral("Label11"), QStringLiteral("Pf"),
                        twips::rect(3570, total, 480, 315), colours::darkRed);
    Text7 = makeAmount(Frame3, QStringLiteral("Text7"), 4050, total, 435, false);
    const QString amountTip = QStringLiteral("Betrag eingeben und mit der Eingabetaste weiterspringen");
    Text6->setToolTip(amountTip);
    Text7->setToolTip(amountTip);

    // Amount in words.
    Frame6 = makeFrame(client, QStringLiteral("Frame6"), QStringLiteral("Gesamtbetrag in Worten:"),
                       twips::rect(270, 1860, 8535, 675));
    setForeground(Frame6, colours::darkBlue);
    Text9 = makeText(Frame6, QStringLiteral("Text9"), QString(), twips::rect(150, 270, 6735, 285));
    setBackground(Text9, colours::white);
    Label12 = makeLabel(Frame6, QStringLiteral("Label12"), QStringLiteral("Pfennige wie oben"),
                        twips::rect(7080, 210, 1245, 435), colours::darkBlue);
    Label12->setWordWrap(true);

    // Payer and purpose.
    auto *noArrow = new NoArrowComboStyle;
    noArrow->setParent(this);
    Frame7 = makeFrame(client, QStringLiteral("Frame7"), QStringLiteral("Betrag erhalten von:"),
                       twips::rect(270, 2580, 8535, 675));
    setForeground(Frame7, colours::darkRed);
    Combo3 = new SortedComboBox(Frame7);
    Combo3->setObjectName(QStringLiteral("Combo3"));
    Combo3->setGeometry(twips::rect(150, 240, 6735, 315));
    Command3 = makeButton(Frame7, QStringLiteral("Command3"), QStringLiteral("\"Von\"-Liste"),
                          twips::rect(7020, 240, 1335, 315));

    Frame8 = makeFrame(client, QStringLiteral("Frame8"), QStringLiteral("für:"), twips::rect(270, 3300, 8535, 855));
    setForeground(Frame8, colours::darkRed);
    Combo4 = new SortedComboBox(Frame8);
    Combo4->setObjectName(QStringLiteral("Combo4"));
    Combo4->setGeometry(twips::rect(150, 240, 6735, 315));
    Command4 = makeButton(Frame8, QStringLiteral("Command4"), QStringLiteral("\"Für\"-Liste"),
                          twips::rect(7020, 240, 1335, 315));
    Label13 = makeLabel(Frame8, QStringLiteral("Label13"), QStringLiteral("dankend erhalten"),
                        twips::rect(150, 600, 6765, 225), colours::darkBlue);
    for (SortedComboBox *box : { Combo3, Combo4 }) {
        box->setStyle(noArrow);
        box->setToolTip(QStringLiteral("Sie können mit den Pfeiltasten nach unten scrollen"));
        setForeground(box, QColor(0, 0, 0));
    }

    // Place and date.
    Frame10 = makeFrame(client, QStringLiteral("Frame10"), QStringLiteral("PLZ/Ort:"),
                        twips::rect(270, 4200, 5955, 645));
    setForeground(Frame10, colours::darkRed);
    Text10 = makeText(Frame10, QStringLiteral("Text10"), QString(), twips::rect(150, 240, 5655, 285));
    Frame11 = makeFrame(client, QStringLiteral("Frame11"), QStringLiteral("Datum:"),
                        twips::rect(6330, 4200, 2475, 645));
    setForeground(Frame11, colours::darkRed);
    Text11 = makeText(Frame11, QStringLiteral("Text11"), QString(), twips::rect(150, 240, 2175, 285));

    // Buttons.
    Frame5 = makeFrame(client, QStringLiteral("Frame5"), QString(), twips::rect(270, 5010, 5955, 705));
    Command1 = makeButton(Frame5, QStringLiteral("Command1"), QStringLiteral("&Speichern"),
                          twips::rect(180, 240, 1400, 345), QStringLiteral("Speichern der angezeigten Quittung"));
    QFont bold = Command1->font();
    bold.setBold(true);
    Command1->setFont(bold);
    Command7 = makeButton(Frame5, QStringLiteral("Command7"), QStringLiteral("&2 drucken"),
                          twips::rect(1590, 240, 1400, 345), QStringLiteral("2 Quittungen drucken"));
    Command5 = makeButton(Frame5, QStringLiteral("Command5"), QStringLiteral("&1 drucken"),
                          twips::rect(3000, 240, 1400, 345), QStringLiteral("1 Quittung drucken"));
    Command2 = makeButton(Frame5, QStringLiteral("Command2"), QStringLiteral("&Neue Quittung"),
                          twips::rect(4410, 240, 1400, 345), QStringLiteral("Alle Felder werden geleert"));
    Frame1 = makeFrame(client, QStringLiteral("Frame1"), QString(), twips::rect(6300, 5010, 2505, 705));
    Command6 = makeButton(Frame1, QStringLiteral("Command6"), QStringLiteral("&ENDE"),
                          twips::rect(150, 240, 2205, 345));

    // Help box and the picture.
    text1 = makeText(client, QStringLiteral("text1"), QStringLiteral(" Zettelfix - Direkthilfe"),
                     twips::rect(270, 5850, 8055, 315));
    text1->setReadOnly(true);
    text1->setFocusPolicy(Qt::ClickFocus);
    setForeground(text1, colours::darkBlue);
    setBackground(text1, colours::grey);
    Frame9 = makeFrame(client, QStringLiteral("Frame9"), QString(), twips::rect(8430, 5730, 375, 435));
    Image2 = new QLabel(Frame9);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setPixmap(pictures::smallPicture());
    Image2->setGeometry(QRect(QPoint(0, 0), QSize(32, 32)));
    Image2->setCursor(Qt::PointingHandCursor);

    // Never shown: a window of its own, so that it is none of the controls a
    // screen reader goes through.
    Label14 = new QLabel(QStringLiteral("Label14"), this, Qt::Window);
    Label14->setObjectName(QStringLiteral("Label14"));
    Label14->setTextFormat(Qt::PlainText);
    Label14->setVisible(false);

    // Tab order: the receipt's fields as they are filled in, then the buttons.
    const QList<QWidget *> order = { Text8, Text6, Text7, Text9, Combo3, Combo4, Text10, Text11,
                                     Command1, Command7, Command5, Command2, Command6, Command3, Command4,
                                     Combo1, Combo2, Text2, Text3, Text4, Text5, text1 };
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order.at(i), order.at(i + 1));
}

void quitt::buildMenu()
{
    QMenuBar *bar = menuBar();
    bar->setFont(uiFont(sansSerif, 8.25));
    auto named = [](QAction *action, const char *name) {
        action->setObjectName(QString::fromUtf8(name));
        return action;
    };
    grundeinstellungen = bar->addMenu(QStringLiteral("&Grund-Einstellungen"));
    grundeinstellungen->setObjectName(QStringLiteral("grundeinstellungen"));
    anwenderdaten = named(grundeinstellungen->addAction(QStringLiteral("Anwenderdaten")), "anwenderdaten");
    anwenderdaten->setEnabled(false);
    anwender = named(grundeinstellungen->addAction(QStringLiteral("Ihr Name und die Anschrift ..."), this,
                                                   [this] { m_settings.anwender_Click(); }),
                     "anwender");
    grundeinstellungen->addSeparator();
    wahrungmenu = grundeinstellungen->addMenu(QStringLiteral("Währung..."));
    wahrungmenu->setObjectName(QStringLiteral("wahrungmenu"));
    wahrung = named(wahrungmenu->addAction(QString(), this,
                                           [this] { m_settings.wahrung_Click(); }),
                    "wahrung");
    wahrungpf = named(wahrungmenu->addAction(QString(), this,
                                             [this] { m_settings.wahrungpf_Click(); }),
                      "wahrungpf");
    euroumstellen = named(grundeinstellungen->addAction(QStringLiteral("Auf &Euro umstellen..."), this,
                                                        [this] { m_settings.euroumstellen_Click(); }),
                          "euroumstellen");
    steuerangaben = named(grundeinstellungen->addAction(QStringLiteral("&Steuerliche Angaben..."), this,
                                                        [this] { m_settings.steuerangaben_Click(); }),
                          "steuerangaben");
    grundeinstellungen->addSeparator();
    mwständern = named(grundeinstellungen->addAction(QStringLiteral("Mehrwertsteuer-Satz ändern"), this,
                                                     [this] { m_settings.mwständern_Click(); }),
                       "mwständern");
    grundeinstellungen->addSeparator();
    gestaltung = named(grundeinstellungen->addAction(QStringLiteral("Gestaltung")), "gestaltung");
    gestaltung->setEnabled(false);
    struct Entry
    {
        QAction *quitt::*member;
        const char *name;
        const char *caption;
        void (SettingsController::*handler)();
    };
    const Entry wording[] = {
        { &quitt::stattquitt, "stattquitt", "Die Bezeichnung <Quittung> ändern", &SettingsController::stattquitt_Click },
        { &quitt::nettoändern, "nettoändern", "Die Bezeichnung <netto> ändern", &SettingsController::nettoändern_Click },
        { &quitt::bezmwst, "bezmwst", "Die Bezeichnung <%MWSt> ändern", &SettingsController::bezmwst_Click },
        { &quitt::gesamtiändern, "gesamtiändern", "Die Bezeichnung <gesamt> ändern", &SettingsController::gesamtiändern_Click },
        { &quitt::gesamtändern, "gesamtändern", "Die Bezeichnung <Gesamtbetrag in Worten> ändern",
          &SettingsController::gesamtändern_Click },
        { &quitt::pfändern, "pfändern", "Die Bezeichnung <Pfennige wie oben> ändern", &SettingsController::pfändern_Click },
        { &quitt::betragvon, "betragvon", "Die Bezeichnung <Betrag erhalten von:> ändern", &SettingsController::betragvon_Click },
        { &quitt::fuerändern, "fuerändern", "Die Bezeichnung <für:> ändern", &SettingsController::fuerändern_Click },
        { &quitt::dankendändern, "dankendändern", "Die Bezeichnung <dankend erhalten> ändern",
          &SettingsController::dankendändern_Click },
        { &quitt::plzändern, "plzändern", "Die Bezeichnung <PLZ/Ort:> ändern", &SettingsController::plzändern_Click },
        { &quitt::datumändern, "datumändern", "Die Bezeichnung <Datum:> ändern", &SettingsController::datumändern_Click },
    };
    for (const Entry &e : wording)
        this->*e.member = named(grundeinstellungen->addAction(QString::fromUtf8(e.caption), this,
                                                              [this, h = e.handler] { (m_settings.*h)(); }),
                                e.name);
    grundeinstellungen->addSeparator();

    druckeinstellungen = bar->addMenu(QStringLiteral("&Druck-Einstellungen"));
    druckeinstellungen->setObjectName(QStringLiteral("druckeinstellungen"));
    schrifti = named(druckeinstellungen->addAction(QStringLiteral("Schrift&wahl für den Ausdruck"), this,
                                                   [this] { m_print.schrifti_Click(); }),
                     "schrifti");
    druckeinstellungen->addSeparator();
    pdfspeichern = named(druckeinstellungen->addAction(QStringLiteral("Als &PDF speichern..."), this,
                                                       [this] { m_print.pdfspeichern_Click(); }),
                         "pdfspeichern");
    druckvorschau = named(druckeinstellungen->addAction(QStringLiteral("Druck&vorschau..."), this,
                                                        [this] { m_print.druckvorschau_Click(); }),
                          "druckvorschau");
    druckerwahl = named(druckeinstellungen->addAction(QStringLiteral("&Drucker wählen..."), this,
                                                      [this] { m_print.druckerwahl_Click(); }),
                        "druckerwahl");
    druckeinstellungen->addSeparator();
    erechnung = named(druckeinstellungen->addAction(QStringLiteral("Als &E-Rechnung speichern..."), this,
                                                    [this] { m_einvoice.erechnung_Click(); }),
                      "erechnung");
    xrechnung = named(druckeinstellungen->addAction(QStringLiteral("Als &XRechnung (XML) speichern..."), this,
                                                    [this] { m_einvoice.xrechnung_Click(); }),
                      "xrechnung");
    empfaenger = named(druckeinstellungen->addAction(QStringLiteral("&Rechnungsempfänger ändern..."), this,
                                                     [this] { m_einvoice.empfaenger_Click(); }),
                       "empfaenger");

    bearbeiten = bar->addMenu(QStringLiteral("Erstellte Quittungen &bearbeiten"));
    bearbeiten->setObjectName(QStringLiteral("bearbeiten"));
    suchequitt = named(bearbeiten->addAction(QStringLiteral("Laden einer erstell&ten Quittung..."), this,
                                             [this] { m_archive.suchequitt_Click(); }),
                       "suchequitt");
    loeschen = named(bearbeiten->addAction(QStringLiteral("L&öschen einer erstellten Quittung"), this,
                                           [this] { m_archive.loeschen_Click(); }),
                     "loeschen");
    stornieren = named(bearbeiten->addAction(QStringLiteral("Quittung &stornieren..."), this,
                                             [this] { m_archive.stornieren_Click(); }),
                       "stornieren");
    pruefen = named(bearbeiten->addAction(QStringLiteral("Quittungen &prüfen..."), this,
                                          [this] { m_archive.pruefen_Click(); }),
                    "pruefen");
    betriebspruefung = named(bearbeiten->addAction(QStringLiteral("Daten für die &Betriebsprüfung exportieren..."),
                                                   this, [this] { m_archive.betriebspruefung_Click(); }),
                             "betriebspruefung");
    bearbeiten->addSeparator();
    auswertung = named(bearbeiten->addAction(QStringLiteral("&Auswertung und Export..."), this,
                                             [this] { m_archive.auswertung_Click(); }),
                       "auswertung");

    // The entries that name the currency show the names in use.
    showMenuWording(Wording::Currency, Label8->text());
    showMenuWording(Wording::Subunit, Label11->text());
    showMenuWording(Wording::PenniesNote, Label12->text());

    programmende = bar->addMenu(QStringLiteral("&Programm beenden"));
    programmende->setObjectName(QStringLiteral("programmende"));
    proggiganzend = named(programmende->addAction(QStringLiteral("Ende des P&rogramms"), this,
                                                  &quitt::proggiganzend_Click),
                          "proggiganzend");
}

void quitt::connectHandlers()
{
    connect(Combo1, &QComboBox::editTextChanged, this, &quitt::Combo1_Change);
    connect(Combo1, &QComboBox::editTextChanged, this, &quitt::updateAccessibleNames);
    connect(Combo1, &QComboBox::activated, this, &quitt::Combo1_Click);
    connect(Text6, &QLineEdit::textChanged, this, &quitt::Text6_Change);
    connect(Text6, &QLineEdit::textEdited, this, &quitt::Text6_Edited);
    connect(Text9, &QLineEdit::textEdited, this, &quitt::Text9_Edited);
    // What net, VAT and words were derived from has changed.
    for (QLineEdit *total : { Text6, Text7 })
        connect(total, &QLineEdit::textChanged, this, [this] {
            if (!m_deriving)
                m_wordsByHand = m_storedAmounts = false;
        });
    connect(Combo2, &QComboBox::editTextChanged, this, [this] {
        if (!m_deriving)
            m_storedAmounts = false;
    });

    struct Field
    {
        QWidget *control;
        void (quitt::*gotFocus)();
        void (quitt::*lostFocus)();
        void (quitt::*keyPress)(int &);
    };
    const Field fields[] = {
        { Text8, &quitt::Text8_GotFocus, &quitt::Text8_LostFocus, &quitt::Text8_KeyPress },
        { Text6, &quitt::Text6_GotFocus, &quitt::Text6_LostFocus, &quitt::Text6_KeyPress },
        { Text7, &quitt::Text7_GotFocus, &quitt::Text7_LostFocus, &quitt::Text7_KeyPress },
        { Text9, &quitt::Text9_GotFocus, &quitt::Text9_LostFocus, &quitt::Text9_KeyPress },
        { Combo3, &quitt::Combo3_GotFocus, &quitt::Combo3_LostFocus, &quitt::Combo3_KeyPress },
        { Combo4, &quitt::Combo4_GotFocus, &quitt::Combo4_LostFocus, &quitt::Combo4_KeyPress },
        { Text10, &quitt::Text10_GotFocus, &quitt::Text10_LostFocus, &quitt::Text10_KeyPress },
        { Text11, &quitt::Text11_GotFocus, &quitt::Text11_LostFocus, &quitt::Text11_KeyPress },
    };
    m_events->onGotFocus(Combo1, [this] { Combo1_GotFocus(); });
    m_events->onKeyPress(Combo1, [this](int &key) { Combo1_KeyPress(key); });
    m_events->onLostFocus(Combo1, [this] { Combo1_LostFocus(); });
    for (const Field &f : fields) {
        m_events->onGotFocus(f.control, [this, h = f.gotFocus] { (this->*h)(); });
        m_events->onLostFocus(f.control, [this, h = f.lostFocus] { (this->*h)(); });
        m_events->onKeyPress(f.control, [this, h = f.keyPress](int &key) { (this->*h)(key); });
    }

    struct Area
    {
        QWidget *control;
        void (quitt::*mouseMove)();
    };
    const Area areas[] = {
        { centralWidget(), &quitt::Form_MouseMove }, { Frame1, &quitt::Frame1_MouseMove },
        { Frame2, &quitt::Frame2_MouseMove },         { Frame3, &quitt::Frame3_MouseMove },
        { Frame4, &quitt::Frame4_MouseMove },         { Text8, &quitt::Text8_MouseMove },
        { Frame5, &quitt::Frame5_MouseMove },         { Frame6, &quitt::Frame6_MouseMove },
        { Text9, &quitt::Text9_MouseMove },           { Text6, &quitt::Text6_MouseMove },
        { Frame7, &quitt::Frame7_MouseMove },         { Command3, &quitt::Command3_MouseMove },
        { Frame8, &quitt::Frame8_MouseMove },         { Command4, &quitt::Command4_MouseMove },
        { Frame10, &quitt::Frame10_MouseMove },       { Frame11, &quitt::Frame11_MouseMove },
        { Image2, &quitt::Image2_MouseMove },
    };
    for (const Area &a : areas)
        m_events->onMouseMove(a.control, [this, h = a.mouseMove] { (this->*h)(); });
    m_events->onClick(Image2, [this] { Image2_Click(); });

    connect(Command1, &QPushButton::clicked, this, &quitt::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &quitt::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &quitt::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &quitt::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &quitt::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &quitt::Command6_Click);
    connect(Command7, &QPushButton::clicked, this, &quitt::Command7_Click);
}

void quitt::Form_Load()
{
    // 1. Centre on the screen.
    const QPoint at = twips::centred(m_platform.screenSizeTwips(), QSize(twips::fromPixels(width()),
                                                                         twips::fromPixels(height())));
    move(twips::toPixels(at.x()), twips::toPixels(at.y()));

    // 2. Today's date, always day.month.year.
    Text11->setText(germantext::date(m_platform.today()));

    // The journal goes first: it records the receipts found in a folder
    // that has none yet, and hears of every setting written from here on.
    if (QString error; !journal::start(files(), &error))
        reportWriteFailure(error);

    // A new user starts in euros at today's rate.
    m_settings.euroForNewFolder();

    // 3. Labels from their settings files; a missing file keeps the caption.
    for (const WordingRow &row : wordingTable()) {
        if (row.part == Wording::Title || row.part == Wording::Rate)
            continue;
        if (const auto value = settingValue(files(), row.file))
            showWording(row.part, *value);
    }
    if (const auto place = settingValue(files(), settingsfile::ort))
        showPlace(*place);

    // 4. The proposed receipt number ("1" without nummer.dat, unless taken).
    Text8->setText(NextReceiptNumber(files()));

    // 5. The title word; setting it writes it back through its change
    // handler, also when it equals the text the box starts with (so the file
    // keeps one line only).
    if (const auto title = settingValue(files(), settingsfile::quitname)) {
        const bool blocked = Combo1->blockSignals(true);
        Combo1->insertItem(0, *title);
        Combo1->setEditText(*title);
        Combo1->blockSignals(blocked);
        Combo1_Change();
    }

    // 6. The number caption.
    Label1->setText(Combo1->currentText() + QStringLiteral(" Nr.: "));

    // 7. The title list, unsorted.
    {
        const QString text = Combo1->currentText();
        const bool blocked = Combo1->blockSignals(true);
        Combo1->addItem(QStringLiteral("Quittung"));
        Combo1->addItem(QStringLiteral("Rechnung"));
        Combo1->setEditText(text);
        Combo1->blockSignals(blocked);
    }

    // 8. The rate list: 16 first, then 0 to 25.
    {
        const QString text = Combo2->currentText();
        QStringList rates { QStringLiteral("16") };
        for (int r = 0; r <= 25; ++r)
            rates.append(QString::number(r));
        Combo2->addItems(rates);
        Combo2->setEditText(text);
    }

    // 9. The rate.
    if (const auto rate = settingValue(files(), settingsfile::mwst))
        showWording(Wording::Rate, *rate);
    showTaxData(ReadTaxData(files()));

    // 10. The first start asks for the user's own data.
    if (!SettingsExists(files(), settingsfile::erst)) {
        m_platform.messageBox(nullptr, QStringLiteral("Bitte geben Sie oben im Menü erst Ihre eigenen Daten "
                                                      "(Name, Anschrift etc.) ein!"));
        QString error;
        if (!files().write(settingsfile::erst, QByteArray(), &error))
            reportWriteFailure(error);
    }

    // Files that are links are neither read nor written: the user learns
    // which, rather than seeing defaults in their place unexplained.
    if (const QStringList linked = files().links(); !linked.isEmpty())
        m_platform.messageBox(nullptr, QStringLiteral("Diese Dateien im Ordner \"%1\" sind Verknüpfungen auf andere "
                                                      "Dateien. Das Programm liest und schreibt sie nicht: %2. Bitte "
                                                      "ersetzen Sie sie durch gewöhnliche Dateien.")
                                           .arg(QDir::toNativeSeparators(files().path()), linked.join(QStringLiteral(", "))),
                              QString(), Platform::Buttons::Ok, Platform::Icon::Critical);

    Text8->setFocus();
}

void quitt::Combo1_Change()
{
    const QString title = Combo1->currentText();
    Label1->setText(title + QStringLiteral(" Nr.: "));
    QString error;
    // While the user types, the journal hears of the title once he is done.
    const bool typing = Combo1->hasFocus();
    if (!(typing ? WriteTypedSetting(files(), QStringLiteral("Quitname.dat"), title, &error)
                 : WriteSetting(files(), QStringLiteral("Quitname.dat"), title, &error))) {
        // Typing goes on letter by letter; one message per failing stretch.
        if (!m_titleWriteFailed)
            reportWriteFailure(error);
        m_titleWriteFailed = true;
    } else {
        m_titleWriteFailed = false;
    }
}

void quitt::Combo1_Click()
{
    Combo1_Change();
}

void quitt::Combo1_GotFocus()
{
    m_titleAtFocus = Combo1->currentText();
}

// Escape takes back what was typed since the box got the focus.
void quitt::Combo1_KeyPress(int &keyAscii)
{
    if (keyAscii != 27)
        return;
    keyAscii = 0;
    if (Combo1->currentText() != m_titleAtFocus)
        Combo1->setEditText(m_titleAtFocus);
    Combo1->lineEdit()->selectAll();
}

// What was typed into the title box is one change of the title, not one a
// letter.
void quitt::Combo1_LostFocus()
{
    recordPrintedSetting(files(), settingsfile::quitname, m_titleAtFocus, Combo1->currentText());
    m_titleAtFocus = Combo1->currentText();
}

void quitt::reportWriteFailure(const QString &error)
{
    m_platform.messageBox(isVisible() ? this : nullptr, error);
}

void quitt::closeEvent(QCloseEvent *event)
{
    if (!m_ending)
        Form_Unload();
    // The user kept the program running when asked about an unsaved receipt.
    if (m_ending)
        event->accept();
    else
        event->ignore();
}

ReceiptPage quitt::currentPage() const
{
    ReceiptPage p;
    p.taxMode = m_taxData.mode;
    p.taxNote = printedTaxNote(m_taxData);
    p.taxNumber = m_taxData.taxNumber.trimmed();
    p.vatId = m_taxData.vatId.trimmed();
    p.issuer = ReadUserData(m_platform.files());
    p.text(Wording::Title) = Combo1->currentText();
    p.text(Wording::Net) = Label2->text();
    p.text(Wording::VatName) = Label5->text();
    p.text(Wording::Total) = Label3->text();
    p.text(Wording::WordsHeading) = Frame6->title();
    p.text(Wording::PenniesNote) = Label12->text();
    p.text(Wording::PayerHeading) = Frame7->title();
    p.text(Wording::PurposeHeading) = Frame8->title();
    p.text(Wording::Thanks) = Label13->text();
    p.text(Wording::PlaceHeading) = Frame10->title();
    p.text(Wording::DateHeading) = Frame11->title();
    p.text(Wording::Currency) = Label8->text();
    p.text(Wording::Subunit) = Label11->text();
    return p;
}

void quitt::showPageWording(const ReceiptPage &p)
{
    Label2->setText(p.text(Wording::Net));
    Label5->setText(p.text(Wording::VatName));
    Label3->setText(p.text(Wording::Total));
    Frame6->setTitle(p.text(Wording::WordsHeading));
    Label12->setText(p.text(Wording::PenniesNote));
    Frame7->setTitle(p.text(Wording::PayerHeading));
    Frame8->setTitle(p.text(Wording::PurposeHeading));
    Label13->setText(p.text(Wording::Thanks));
    Frame10->setTitle(p.text(Wording::PlaceHeading));
    Frame11->setTitle(p.text(Wording::DateHeading));
    for (QLabel *unit : { Label6, Label7, Label8 })
        unit->setText(p.text(Wording::Currency));
    for (QLabel *hundredth : { Label9, Label10, Label11 })
        hundredth->setText(p.text(Wording::Subunit));
    updateAccessibleNames();
}

void quitt::showCurrentSettings()
{
    const bool kept = m_keptPage.has_value();
    m_keptPage.reset();
    if (!kept)
        return;
    for (const WordingRow &row : wordingTable()) {
        if (row.part == Wording::Title || row.part == Wording::Rate)
            continue;
        showWording(row.part, settingValue(files(), row.file).value_or(row.startupDefault));
    }
    showTaxData(ReadTaxData(files()));
    if (m_chargesVat)
        Combo2->setEditText(settingValue(files(), settingsfile::mwst).value_or(wordingRow(Wording::Rate).startupDefault));
}

ReceiptRecord quitt::currentRecord() const
{
    ReceiptRecord r;
    r.page = m_keptPage ? *m_keptPage : currentPage();
    r.number = Text8->text();
    r.totalUnits = Text6->text();
    r.totalPennies = Text7->text();
    r.netUnits = Text2->text();
    r.netPennies = Text3->text();
    r.vatUnits = Text4->text();
    r.vatPennies = Text5->text();
    r.vatRate = Combo2->currentText();
    r.amountInWords = Text9->text();
    r.payer = Combo3->currentText();
    r.purpose = Combo4->currentText();
    r.place = Text10->text();
    r.date = Text11->text();
    return r;
}

void quitt::showStoredFields(const ReceiptRecord &r)
{
    Text8->setText(r.number);
    Text2->setText(r.netUnits);
    Text3->setText(r.netPennies);
    Text4->setText(r.vatUnits);
    Text5->setText(r.vatPennies);
    Text6->setText(r.totalUnits);
    Text7->setText(r.totalPennies);
    Text9->setText(r.amountInWords);
    Combo3->setEditText(r.payer);
    Combo4->setEditText(r.purpose);
    // A receipt of an older installation has no date and no place: those
    // the window shows stay.
    if (!r.date.isEmpty()) {
        Text11->setText(r.date);
        Text10->setText(r.place);
    }
}

void quitt::showLoadedReceipt(const ReceiptRecord &record)
{
    if (record.page) {
        // The receipt as it was written: its rate, its taxation, its wording.
        m_keptPage = record.page;
        TaxData tax;
        tax.mode = record.page->taxMode;
        tax.taxNumber = record.page->taxNumber;
        tax.vatId = record.page->vatId;
        if (record.page->taxMode == TaxMode::TaxFree)
            tax.exemptionNote = record.page->taxNote;
        showTaxData(tax);
        showPageWording(*record.page);
    } else {
        // A receipt of an older installation: today's page, and its rate as
        // its figures tell it.
        showCurrentSettings();
    }
    m_deriving = true;
    if (const std::optional<int> rate = completion::rateOf(record))
        Combo2->setEditText(vatrate::text(*rate));
    else
        setHelp(QStringLiteral("Der Mehrwertsteuer-Satz ist in dieser Quittung nicht gespeichert und lässt sich aus "
                               "ihren Beträgen nicht eindeutig ablesen."));
    m_deriving = false;
    showStoredFields(record);
    Command1->setEnabled(false);
    m_storedAmounts = true;
    m_printAsked = false;
}

PrintSnapshot quitt::printSnapshot() const
{
    PrintSnapshot s = printSnapshotOf(currentRecord());
    s.vatSign = Label4->text();
    return s;
}

QString quitt::holdPrintFont(const QString &name)
{
    Label14->setText(name);
    return Label14->text();
}

void quitt::showWording(Wording part, const QString &text)
{
    switch (part) {
    case Wording::Title:
        // The title field's change handling (number caption, title file)
        // runs on every rewording, also when the text stays the same.
        if (Combo1->currentText() == text)
            Combo1_Change();
        else
            Combo1->setEditText(text);
        break;
    case Wording::Net:
        Label2->setText(text);
        break;
    case Wording::VatName:
        Label5->setText(text);
        break;
    case Wording::Total:
        Label3->setText(text);
        break;
    case Wording::WordsHeading:
        Frame6->setTitle(text);
        break;
    case Wording::PenniesNote:
        Label12->setText(text);
        showMenuWording(part, text);
        break;
    case Wording::PayerHeading:
        Frame7->setTitle(text);
        break;
    case Wording::PurposeHeading:
        Frame8->setTitle(text);
        break;
    case Wording::Thanks:
        Label13->setText(text);
        break;
    case Wording::PlaceHeading:
        Frame10->setTitle(text);
        break;
    case Wording::DateHeading:
        Frame11->setTitle(text);
        break;
    case Wording::Rate:
        Combo2->setEditText(text);
        break;
    case Wording::Currency:
        for (QLabel *unit : { Label6, Label7, Label8 })
            unit->setText(text);
        showMenuWording(part, text);
        break;
    case Wording::Subunit:
        for (QLabel *hundredth : { Label9, Label10, Label11 })
            hundredth->setText(text);
        showMenuWording(part, text);
        break;
    }
    updateAccessibleNames();
}

void quitt::updateAccessibleNames()
{
    // A caption as a name: without its access key mark and its colon.
    const auto said = [](QString caption) {
        caption.remove(QLatin1Char('&'));
        caption = caption.trimmed();
        if (caption.endsWith(QLatin1Char(':')))
            caption.chop(1);
        return caption.trimmed();
    };
    // The amounts by their row and their currency names, as they are labelled.
    QString vat = said(Label5->text());
    if (vat.startsWith(QLatin1Char('%')))
        vat = vat.mid(1).trimmed();
    const QString total = QStringLiteral("Gesamtbetrag");
    const struct
    {
        QWidget *control;
        QString name;
    } names[] = {
        { Combo1, QStringLiteral("Überschrift") },
        { Text8, said(Combo1->currentText() + QStringLiteral(" Nr.")) },
        { Text2, said(Label2->text()) + QLatin1Char(' ') + said(Label6->text()) },
        { Text3, said(Label2->text()) + QLatin1Char(' ') + said(Label9->text()) },
        { Combo2, QStringLiteral("Mehrwertsteuersatz") },
        { Text4, vat + QLatin1Char(' ') + said(Label7->text()) },
        { Text5, vat + QLatin1Char(' ') + said(Label10->text()) },
        { Text6, total + QLatin1Char(' ') + said(Label8->text()) },
        { Text7, total + QLatin1Char(' ') + said(Label11->text()) },
        { Text9, said(Frame6->title()) },
        { Combo3, said(Frame7->title()) },
        { Combo4, QStringLiteral("Verwendungszweck (%1)").arg(said(Frame8->title())) },
        { Text10, said(Frame10->title()) },
        { Text11, said(Frame11->title()) },
        { text1, QStringLiteral("Direkthilfe") },
        { Image2, QStringLiteral("Über Zettelfix") },
    };
    for (const auto &n : names)
        setAccessibleNames(n.control, n.name);
}

void quitt::showMenuWording(Wording part, const QString &text)
{
    QString shown = text;
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    if (part == Wording::Currency)
        wahrung->setText(QStringLiteral("&Währung <%1> ändern").arg(shown));
    else if (part == Wording::Subunit)
        wahrungpf->setText(QStringLiteral("Wä&hrung <%1> ändern").arg(shown));
    else if (part == Wording::PenniesNote)
        pfändern->setText(QStringLiteral("Die Bezeichnung <%1> ändern").arg(shown));
}

void quitt::showPlace(const QString &place)
{
    Text10->setText(place);
}

void quitt::showTaxData(const TaxData &data)
{
    const bool wasCharging = m_chargesVat;
    m_taxData = data;
    m_chargesVat = ::chargesVat(data);
    Combo2->setEnabled(m_chargesVat);
    if (!m_chargesVat) {
        // Without VAT a receipt has no net and no VAT of its own.
        Combo2->setEditText(QStringLiteral("0"));
        for (QLineEdit *field : { Text2, Text3, Text4, Text5 })
            field->clear();
    } else if (!wasCharging) {
        Combo2->setEditText(settingValue(files(), settingsfile::mwst).value_or(QStringLiteral("16")));
    }
}

void quitt::Command5_Click()
{
    m_print.printOneCopy();
}

void quitt::Command7_Click()
{
    m_print.printTwoCopies();
}

// The receipt as the window shows it once it is ready to print, in the plain
// values of an e-invoice.
std::optional<EInvoiceReceipt> quitt::einvoiceReceipt()
{
    if (!prepareForPrint())
        return std::nullopt;
    // The receipt with the page it printed: a loaded one as it was written.
    const ReceiptRecord r = currentRecord();
    const ReceiptPage &page = *r.page;
    const auto cents = [](const QString &units, const QString &pennies) {
        const StoredAmount a = StoredAmount::read(units.toLatin1(), pennies.toLatin1());
        return a.kind == StoredAmount::Kind::Value ? a.cents : 0;
    };
    EInvoiceReceipt e;
    e.number = r.number;
    e.date = germantext::parseDate(r.date);
    e.payer = r.payer;
    e.purpose = r.purpose;
    e.totalCents = cents(r.totalUnits, r.totalPennies);
    const bool charges = taxmode::chargesVat(page.taxMode);
    e.netCents = charges ? cents(r.netUnits, r.netPennies) : e.totalCents;
    e.vatCents = charges ? cents(r.vatUnits, r.vatPennies) : 0;
    e.rateHundredths = vatrate::parse(r.vatRate).value_or(0);
    e.mode = page.taxMode == TaxMode::SmallBusiness ? EInvoiceTaxMode::SmallBusiness
        : page.taxMode == TaxMode::TaxFree          ? EInvoiceTaxMode::TaxFree
                                                    : EInvoiceTaxMode::Standard;
    e.exemptionNote = page.taxNote;
    e.currency = page.text(Wording::Currency);
    e.issuerLines = page.issuer.value_or(QStringList());
    e.taxNumber = page.taxNumber;
    e.vatId = page.vatId;
    return e;
}
