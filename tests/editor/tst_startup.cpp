#include "editor/quitt.h"
#include "platform/scriptedplatform.h"
#include "platform/twips.h"
#include "tests/testsupport.h"
#include "text/codepage.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>

namespace {

using testsupport::put;
using testsupport::get;

// What a control shows: caption, title or text.
QString shown(const QWidget *w)
{
    if (auto *l = qobject_cast<const QLabel *>(w))
        return l->text();
    if (auto *g = qobject_cast<const QGroupBox *>(w))
        return g->title();
    if (auto *e = qobject_cast<const QLineEdit *>(w))
        return e->text();
    if (auto *c = qobject_cast<const QComboBox *>(w))
        return c->currentText();
    if (auto *b = qobject_cast<const QPushButton *>(w))
        return b->text();
    return QStringLiteral("<%1>").arg(QString::fromLatin1(w->metaObject()->className()));
}

QString shown(const quitt &w, const QString &name)
{
    const auto *control = w.findChild<QWidget *>(name);
    return control ? shown(control) : QStringLiteral("<no control %1>").arg(name);
}

const QString firstRun = QStringLiteral("Bitte geben Sie oben im Menü erst Ihre eigenen Daten (Name, Anschrift etc.) ein!");

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void emptyFolderShowsTheDefaults_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("text");
        const QList<QPair<const char *, QString>> rows = {
            { "Combo1", "Quittung" },
            { "Label1", "Quittung Nr.: " },
            { "Text8", "1" },
            { "Label2", "netto" },
            { "Label4", "+" },
            { "Combo2", "19" },
            { "Label5", "% MWSt" },
            { "Label3", "gesamt" },
            { "Label6", "EUR" },
            { "Label7", "EUR" },
            { "Label8", "EUR" },
            { "Label9", "Cent" },
            { "Label10", "Cent" },
            { "Label11", "Cent" },
            { "Frame6", "Gesamtbetrag in Worten:" },
            { "Label12", "Cent wie oben" },
            { "Frame7", "Betrag erhalten von:" },
            { "Frame8", QStringLiteral("für:") },
            { "Label13", "dankend erhalten" },
            { "Frame10", "PLZ/Ort:" },
            { "Frame11", "Datum:" },
            { "Text10", "" },
            { "Text11", "07.12.2026" },
            { "Text2", "" },
            { "Text6", "" },
            { "Text9", "" },
            { "Combo3", "" },
            { "Combo4", "" },
            { "Command1", "&Speichern" },
            { "Command7", "&2 drucken" },
            { "Command5", "&1 drucken" },
            { "Command2", "&Neue Quittung" },
            { "Command6", "&ENDE" },
            { "Command3", "\"Von\"-Liste" },
            { "Command4", QStringLiteral("\"Für\"-Liste") },
            { "text1", " Zettelfix - Direkthilfe" },
            { "Label14", "Label14" },
        };
        for (const auto &[name, text] : rows)
            QTest::newRow(name) << QString::fromLatin1(name) << text;
    }
    void emptyFolderShowsTheDefaults()
    {
        QFETCH(QString, control);
        QFETCH(QString, text);
        QTemporaryDir tmp;
        ScriptedPlatform platform(tmp.path());
        quitt w(platform);
        QCOMPARE(shown(w, control), text);
    }

    void firstStartAsksForTheUsersDataOnce()
    {
        QTemporaryDir tmp;
        {
            ScriptedPlatform platform(tmp.path());
            quitt w(platform);
            QCOMPARE(platform.messages.size(), 1);
            QCOMPARE(platform.messages.first().text, firstRun);
            QCOMPARE(platform.messages.first().title, QStringLiteral("Zettelfix"));
            QCOMPARE(platform.messages.first().icon, Platform::Icon::None);
            QCOMPARE(get(tmp.path(), "erst.dat"), QByteArray());
            // The title word is not written until it is edited; the euro
            // wording is, and the journal says so.
            QCOMPARE(QDir(tmp.path()).entryList(QDir::Files),
                     (QStringList { "dm.dat", "erst.dat", "journal.txt", "mwst.dat", "pf.dat", "wieoben.dat" }));
        }
        ScriptedPlatform again(tmp.path());
        quitt w(again);
        QVERIFY(again.messages.isEmpty());
    }

    void settingsFilesSetTheirControls_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("controls");
        QTest::addColumn<QString>("text");
        QTest::newRow("datum.dat") << "datum.dat" << QByteArray("Tag:\r\n") << QStringList { "Frame11" } << "Tag:";
        QTest::newRow("plzort.dat") << "plzort.dat" << QByteArray("Ort:\r\n") << QStringList { "Frame10" } << "Ort:";
        QTest::newRow("danke.dat") << "danke.dat" << QByteArray("Danke!\r\n") << QStringList { "Label13" } << "Danke!";
        QTest::newRow("fuerbez.dat") << "fuerbez.dat" << QByteArray("Zweck:\r\n") << QStringList { "Frame8" } << "Zweck:";
        QTest::newRow("betragv.dat") << "betragv.dat" << QByteArray("Von:\r\n") << QStringList { "Frame7" } << "Von:";
        QTest::newRow("wieoben.dat") << "wieoben.dat" << QByteArray("Cent wie oben\r\n") << QStringList { "Label12" }
                                     << "Cent wie oben";
        QTest::newRow("gesamtt.dat") << "gesamtt.dat" << QByteArray("brutto\r\n") << QStringList { "Label3" } << "brutto";
        QTest::newRow("worten.dat") << "worten.dat" << QByteArray("In Worten:\r\n") << QStringList { "Frame6" }
                                    << "In Worten:";
        QTest::newRow("netto.dat") << "netto.dat" << QByteArray("Netto\r\n") << QStringList { "Label2" } << "Netto";
        QTest::newRow("mwstbez.dat") << "mwstbez.dat" << QByteArray("% USt\r\n") << QStringList { "Label5" } << "% USt";
        QTest::newRow("pf.dat") << "pf.dat" << QByteArray("Cent\r\n") << QStringList { "Label9", "Label10", "Label11" }
                                << "Cent";
        QTest::newRow("DM.dat") << "DM.dat" << QByteArray("\x80\r\n") << QStringList { "Label6", "Label7", "Label8" }
                                << QStringLiteral("€");
        QTest::newRow("ort.dat") << "ort.dat" << QByteArray("12345 Musterstadt\r\n") << QStringList { "Text10" }
                                 << "12345 Musterstadt";
        QTest::newRow("mwst.dat") << "mwst.dat" << QByteArray("19\r\n") << QStringList { "Combo2" } << "19";
        QTest::newRow("NETTO.DAT in capitals") << "NETTO.DAT" << QByteArray("Netto\r\n") << QStringList { "Label2" }
                                               << "Netto";
        QTest::newRow("PF.DAT in capitals") << "PF.DAT" << QByteArray("ct\r\n")
                                            << QStringList { "Label9", "Label10", "Label11" } << "ct";
        QTest::newRow("blanks kept") << "danke.dat" << QByteArray("  danke  \r\n") << QStringList { "Label13" }
                                     << "  danke  ";
        QTest::newRow("only the first line") << "gesamtt.dat" << QByteArray("Summe\r\nmehr\r\n")
                                             << QStringList { "Label3" } << "Summe";
        QTest::newRow("empty first line empties the label") << "netto.dat" << QByteArray("\r\n")
                                                            << QStringList { "Label2" } << "";
        QTest::newRow("zero bytes keep the caption") << "netto.dat" << QByteArray() << QStringList { "Label2" }
                                                     << "netto";
        QTest::newRow("zero bytes keep the rate") << "mwst.dat" << QByteArray() << QStringList { "Combo2" } << "16";
        QTest::newRow("a rate that is no number") << "mwst.dat" << QByteArray("viel\r\n") << QStringList { "Combo2" }
                                                  << "viel";
    }
    void settingsFilesSetTheirControls()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(QStringList, controls);
        QFETCH(QString, text);
        QTemporaryDir tmp;
        put(tmp.path(), "erst.dat", "");
        put(tmp.path(), file, content);
        ScriptedPlatform platform(tmp.path());
        quitt w(platform);
        for (const QString &c : controls)
            QCOMPARE(shown(w, c), text);
        QVERIFY(platform.messages.isEmpty());
        // Reading writes nothing.
        QCOMPARE(get(tmp.path(), file), content);
    }

    void proposedNumber_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("number");
        QTest::newRow("41") << "nummer.dat" << QByteArray("41\r\n") << "42";
        QTest::newRow("41 and a blank") << "nummer.dat" << QByteArray("41 \r\n") << "42";
        QTest::newRow("41abc") << "nummer.dat" << QByteArray("41abc\r\n") << "42";
        QTest::newRow("letters") << "nummer.dat" << QByteArray("abc\r\n") << "1";
        QTest::newRow("thirty digits") << "nummer.dat" << QByteArray("999999999999999999999999999999\r\n")
                                       << "1000000000000000000000000000000";
        QTest::newRow("capital name") << "NUMMER.DAT" << QByteArray("9\r\n") << "10";
        QTest::newRow("zero bytes") << "nummer.dat" << QByteArray() << "1";
    }
    void proposedNumber()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(QString, number);
        QTemporaryDir tmp;
        put(tmp.path(), "erst.dat", "");
        put(tmp.path(), file, content);
        ScriptedPlatform platform(tmp.path());
        quitt w(platform);
        QCOMPARE(w.Text8->text(), number);
    }

    void titleWordFromItsFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("list");
        QTest::newRow("no file") << "" << QByteArray() << "Quittung" << QStringList { "Quittung", "Rechnung" };
        QTest::newRow("Rechnung") << "quitname.dat" << QByteArray("Rechnung\r\n") << "Rechnung"
                                  << QStringList { "Rechnung", "Quittung", "Rechnung" };
        QTest::newRow("Quittung twice, second line dropped")
            << "Quitname.dat" << QByteArray("Quittung\r\nRechnung\r\n") << "Quittung"
                                        << QStringList { "Quittung", "Quittung", "Rechnung" };
        QTest::newRow("empty title") << "quitname.dat" << QByteArray("\r\n") << ""
                                     << QStringList { "", "Quittung", "Rechnung" };
    }
    void titleWordFromItsFile()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(QString, title);
        QFETCH(QStringList, list);
        QTemporaryDir tmp;
        put(tmp.path(), "erst.dat", "");
        if (!file.isEmpty())
            put(tmp.path(), file, content);
        ScriptedPlatform platform(tmp.path());
        quitt w(platform);
        QCOMPARE(w.Combo1->currentText(), title);
        QCOMPARE(w.Label1->text(), title + " Nr.: ");
        QStringList entries;
        for (int i = 0; i < w.Combo1->count(); ++i)
            entries << w.Combo1->itemText(i);
        QCOMPARE(entries, list);
        // The word is written back under the name it is stored as.
        if (!file.isEmpty())
            QCOMPARE(get(tmp.path(), file), title.toLatin1() + "\r\n");
        else
            QVERIFY(!QFile::exists(tmp.path() + "/quitname.dat"));
    }

    void editingTheTitleWordWritesItAtOnce_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("Rechnung") << "Rechnung";
        QTest::newRow("empty") << "";
        QTest::newRow("umlaut") << QStringLiteral("Empfangsbestätigung");
    }
    void editingTheTitleWordWritesItAtOnce()
    {
        QFETCH(QString, typed);
        QTemporaryDir tmp;
        put(tmp.path(), "erst.dat", "");
        ScriptedPlatform platform(tmp.path());
        quitt w(platform);
        w.Combo1->setEditText(typed);
        QCOMPARE(w.Label1->text(), typed + " Nr.: ");
        QCOMPARE(get(tmp.path(), "quitname.dat"), *codepage::encode(typed) + "\r\n");
        ScriptedPlatform next(tmp.path());
        quitt again(next);
        QCOMPARE(again.Combo1->currentText(), typed);
    }

    void pickingFromTheTitleList()
    {
        QTemporaryDir tmp;
        put(tmp.path(), "erst.dat", "");
        ScriptedPlatform platform(tmp.path());
        quitt w(platform);
        w.Combo1->setCurrentIndex(1);
        QCOMPARE(w.Label1->text(), QStringLiteral("Rechnung Nr.: "));
        QCOMPARE(get(tmp.path(), "quitname.dat"), QByteArray("Rechnung\r\n"));
    }

    void aTitleWordThatCannotBeWrittenIsReportedOnce()
    {
        QTemporaryDir tmp;
        put(tmp.path(), "erst.dat", "");
        ScriptedPlatform platform(tmp.path());
        quitt w(platform);
        platform.files().setFaultHook([](WorkDir::Op, const QString &) { return true; });
        w.Combo1->setEditText("R");
        w.Combo1->setEditText("Re");
        QCOMPARE(platform.messages.size(), 1);
        QVERIFY(platform.messages.first().text.contains("quitname.dat", Qt::CaseInsensitive));
    }

    void rateList()
    {
        QTemporaryDir tmp;
        ScriptedPlatform platform(tmp.path());
        quitt w(platform);
        QStringList entries;
        for (int i = 0; i < w.Combo2->count(); ++i)
            entries << w.Combo2->itemText(i);
        QStringList expected { "16" };
        for (int r = 0; r <= 25; ++r)
            expected << QString::number(r);
        QCOMPARE(entries, expected);
        // A new folder starts at 19 %.
        QCOMPARE(w.Combo2->currentText(), QStringLiteral("19"));
    }

    void dateIsDayMonthYearWhateverTheLocale()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QTemporaryDir tmp;
        ScriptedPlatform platform(tmp.path(), QDate(1999, 3, 5));
        quitt w(platform);
        QCOMPARE(w.Text11->text(), QStringLiteral("05.03.1999"));
        QLocale::setDefault(QLocale::c());
    }

    void geometry_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QRect>("twipsRect");
        QTest::newRow("Frame2") << "Frame2" << QRect(270, 210, 3645, 1035);
        QTest::newRow("Combo1") << "Combo1" << QRect(150, 240, 3375, 675);
        QTest::newRow("Frame4") << "Frame4" << QRect(270, 1290, 3645, 495);
        QTest::newRow("Label1") << "Label1" << QRect(180, 180, 1965, 195);
        QTest::newRow("Text8") << "Text8" << QRect(2220, 150, 1305, 285);
        QTest::newRow("Frame3") << "Frame3" << QRect(4110, 210, 4695, 1575);
        QTest::newRow("Combo2") << "Combo2" << QRect(540, 570, 585, 315);
        QTest::newRow("Text2") << "Text2" << QRect(2520, 240, 1005, 315);
        QTest::newRow("Text5") << "Text5" << QRect(4050, 570, 435, 315);
        QTest::newRow("Text6") << "Text6" << QRect(2520, 1110, 1005, 315);
        QTest::newRow("Text7") << "Text7" << QRect(4050, 1110, 435, 315);
        QTest::newRow("Frame6") << "Frame6" << QRect(270, 1860, 8535, 675);
        QTest::newRow("Text9") << "Text9" << QRect(150, 270, 6735, 285);
        QTest::newRow("Label12") << "Label12" << QRect(7080, 210, 1245, 435);
        QTest::newRow("Frame7") << "Frame7" << QRect(270, 2580, 8535, 675);
        QTest::newRow("Combo3") << "Combo3" << QRect(150, 240, 6735, 315);
        QTest::newRow("Command3") << "Command3" << QRect(7020, 240, 1335, 315);
        QTest::newRow("Frame8") << "Frame8" << QRect(270, 3300, 8535, 855);
        QTest::newRow("Label13") << "Label13" << QRect(150, 600, 6765, 225);
        QTest::newRow("Frame10") << "Frame10" << QRect(270, 4200, 5955, 645);
        QTest::newRow("Text10") << "Text10" << QRect(150, 240, 5655, 285);
        QTest::newRow("Frame11") << "Frame11" << QRect(6330, 4200, 2475, 645);
        QTest::newRow("Text11") << "Text11" << QRect(150, 240, 2175, 285);
        QTest::newRow("Frame5") << "Frame5" << QRect(270, 5010, 5955, 705);
        QTest::newRow("Command1") << "Command1" << QRect(180, 240, 1400, 345);
        QTest::newRow("Command7") << "Command7" << QRect(1590, 240, 1400, 345);
        QTest::newRow("Command5") << "Command5" << QRect(3000, 240, 1400, 345);
        QTest::newRow("Command2") << "Command2" << QRect(4410, 240, 1400, 345);
        QTest::newRow("Frame1") << "Frame1" << QRect(6300, 5010, 2505, 705);
        QTest::newRow("Command6") << "Command6" << QRect(150, 240, 2205, 345);
        QTest::newRow("text1") << "text1" << QRect(270, 5850, 8055, 315);
        QTest::newRow("Frame9") << "Frame9" << QRect(8430, 5730, 375, 435);
    }
    void geometry()
    {
        QFETCH(QString, control);
        QFETCH(QRect, twipsRect);
        QTemporaryDir tmp;
        ScriptedPlatform platform(tmp.path());
        quitt w(platform);
        const QWidget *c = w.findChild<QWidget *>(control);
        QVERIFY(c);
        QCOMPARE(c->geometry(), twips::rect(twipsRect.x(), twipsRect.y(), twipsRect.width(), twipsRect.height()));
    }

    void windowSizeAndPlace()
    {
        QTemporaryDir tmp;
        ScriptedPlatform platform(tmp.path());
        platform.screen = QSize(1024 * 15, 768 * 15);
        quitt w(platform);
        QCOMPARE(w.centralWidget()->size(), twips::size(9075, 6360));
        // One fixed size that holds the menu bar and the client area.
        QCOMPARE(w.minimumSize(), w.maximumSize());
        QCOMPARE(w.size(), w.minimumSize());
        QCOMPARE(w.height(), w.menuBar()->sizeHint().height() + w.centralWidget()->height());
        QCOMPARE(w.pos(), QPoint((1024 - w.width()) / 2, (768 - w.height()) / 2));
        QVERIFY(w.windowTitle().startsWith(QStringLiteral("Zettelfix 4.1 - ")));
        QVERIFY(w.windowTitle().size() > 16);
    }

    void colours_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QColor>("foreground");
        const QColor red(128, 0, 0), blue(0, 0, 128);
        QTest::newRow("Label1") << "Label1" << red;
        QTest::newRow("Label2") << "Label2" << blue;
        QTest::newRow("Label3") << "Label3" << red;
        QTest::newRow("Label8") << "Label8" << red;
        QTest::newRow("Label11") << "Label11" << red;
        QTest::newRow("Label6") << "Label6" << blue;
        QTest::newRow("Label10") << "Label10" << blue;
        QTest::newRow("Label12") << "Label12" << blue;
        QTest::newRow("Label13") << "Label13" << blue;
        QTest::newRow("Frame6") << "Frame6" << blue;
        QTest::newRow("Frame7") << "Frame7" << red;
        QTest::newRow("Frame11") << "Frame11" << red;
    }
    void colours()
    {
        QFETCH(QString, control);
        QFETCH(QColor, foreground);
        QTemporaryDir tmp;
        ScriptedPlatform platform(tmp.path());
        quitt w(platform);
        const QWidget *c = w.findChild<QWidget *>(control);
        QVERIFY(c);
        QCOMPARE(c->palette().color(QPalette::WindowText), foreground);
        QCOMPARE(w.centralWidget()->palette().color(QPalette::Window), QColor(192, 192, 192));
        QCOMPARE(w.Combo1->palette().color(QPalette::Text), QColor(128, 0, 0));
        QVERIFY(w.Label3->font().bold());
        QVERIFY(w.Command1->font().bold());
        QCOMPARE(background(w.Text9), QColor(255, 255, 255));
    }

    void amountFields()
    {
        QTemporaryDir tmp;
        ScriptedPlatform platform(tmp.path());
        quitt w(platform);
        for (QLineEdit *e : { w.Text2, w.Text3, w.Text4, w.Text5, w.Text6, w.Text7 }) {
            QVERIFY(e->alignment() & Qt::AlignRight);
            QCOMPARE(e->font().family(), QStringLiteral("Courier New"));
        }
        for (QLineEdit *e : { w.Text2, w.Text3, w.Text4, w.Text5, w.text1 })
            QVERIFY(e->isReadOnly());
        QVERIFY(!w.Text6->isReadOnly());
        QVERIFY(!w.Label14->isVisibleTo(&w));
    }

    void tabOrder()
    {
        QTemporaryDir tmp;
        ScriptedPlatform platform(tmp.path());
        quitt w(platform);
        QStringList order;
        QWidget *at = w.Text8;
        for (int i = 0; i < 12; ++i) {
            order << at->objectName();
            do
                at = at->nextInFocusChain();
            while (!(at->focusPolicy() & Qt::TabFocus) || !at->isEnabled() || at->focusProxy());
        }
        QCOMPARE(order, (QStringList { "Text8", "Text6", "Text7", "Text9", "Combo3", "Combo4", "Text10", "Text11",
                                       "Command1", "Command7", "Command5", "Command2" }));
    }

    void menuCaptions()
    {
        QTemporaryDir tmp;
        ScriptedPlatform platform(tmp.path());
        quitt w(platform);
        QStringList captions;
        std::function<void(QMenu *, const QString &)> walk = [&](QMenu *menu, const QString &indent) {
            for (QAction *a : menu->actions()) {
                captions << indent + (a->isSeparator() ? QStringLiteral("-") : a->text());
                if (a->menu())
                    walk(a->menu(), indent + "  ");
            }
        };
        for (QAction *top : w.menuBar()->actions()) {
            captions << top->text();
            walk(top->menu(), "  ");
        }
        const QStringList expected = {
            "&Grund-Einstellungen",
            "  Anwenderdaten",
            "  Ihr Name und die Anschrift ...",
            "  -",
            QStringLiteral("  Währung..."),
            QStringLiteral("    &Währung <EUR> ändern"),
            QStringLiteral("    Wä&hrung <Cent> ändern"),
            "  Auf &Euro umstellen...",
            "  &Steuerliche Angaben...",
            "  -",
            QStringLiteral("  Mehrwertsteuer-Satz ändern"),
            "  -",
            "  Gestaltung",
            QStringLiteral("  Die Bezeichnung <Quittung> ändern"),
            QStringLiteral("  Die Bezeichnung <netto> ändern"),
            QStringLiteral("  Die Bezeichnung <%MWSt> ändern"),
            QStringLiteral("  Die Bezeichnung <gesamt> ändern"),
            QStringLiteral("  Die Bezeichnung <Gesamtbetrag in Worten> ändern"),
            QStringLiteral("  Die Bezeichnung <Cent wie oben> ändern"),
            QStringLiteral("  Die Bezeichnung <Betrag erhalten von:> ändern"),
            QStringLiteral("  Die Bezeichnung <für:> ändern"),
            QStringLiteral("  Die Bezeichnung <dankend erhalten> ändern"),
            QStringLiteral("  Die Bezeichnung <PLZ/Ort:> ändern"),
            QStringLiteral("  Die Bezeichnung <Datum:> ändern"),
            "  -",
            "&Druck-Einstellungen",
            QStringLiteral("  Schrift&wahl für den Ausdruck"),
            "  -",
            "  Als &PDF speichern...",
            "  Druck&vorschau...",
            QStringLiteral("  &Drucker wählen..."),
            "  -",
            "  Als &E-Rechnung speichern...",
            "  Als &XRechnung (XML) speichern...",
            QStringLiteral("  &Rechnungsempfänger ändern..."),
            "Erstellte Quittungen &bearbeiten",
            "  Laden einer erstell&ten Quittung...",
            QStringLiteral("  L&öschen einer erstellten Quittung"),
            "  Quittung &stornieren...",
            QStringLiteral("  Quittungen &prüfen..."),
            QStringLiteral("  Daten für die &Betriebsprüfung exportieren..."),
            "  -",
            "  &Auswertung und Export...",
            "&Programm beenden",
            "  Ende des P&rogramms",
        };
        QCOMPARE(captions, expected);

        // No two entries of a menu share an access key.
        QList<QMenu *> menus;
        for (QAction *top : w.menuBar()->actions())
            menus << top->menu();
        menus << w.wahrungmenu;
        for (QMenu *menu : menus) {
            QStringList keys;
            for (QAction *a : menu->actions()) {
                const QString key = QKeySequence::mnemonic(a->text()).toString();
                if (key.isEmpty())
                    continue;
                QVERIFY2(!keys.contains(key), qPrintable(a->text()));
                keys << key;
            }
        }
    }

    void numberFieldHasTheFocusWhenShown()
    {
        QTemporaryDir tmp;
        put(tmp.path(), "erst.dat", "");
        ScriptedPlatform platform(tmp.path());
        quitt w(platform);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QCOMPARE(QApplication::focusWidget(), w.Text8);
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
