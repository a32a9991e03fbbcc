#include "archive/datevsettingswindow.h"
#include "archive/evaluationwindow.h"
#include "editor/quitt.h"
#include "platform/qtplatform.h"
#include "platform/scriptedplatform.h"
#include "tests/testsupport.h"

#include <QAccessible>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using testsupport::get;
using testsupport::put;

namespace {

// The windows beside the main window, each as the user opens it.
const char *const windows[] = { "search", "delete", "evaluation", "DATEV settings", "printer choice", "font choice",
                                "payer list", "purpose list", "user data", "tax data", "about" };

QString nameOf(QWidget *w)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(w);
    return face ? face->text(QAccessible::Name) : QStringLiteral("<none>");
}

// What a screen reader finds in a window: "role: name" of every control it
// can tell apart by name, and every name it reads at all.
void walk(QAccessibleInterface *face, QStringList *controls, QStringList *names)
{
    static const QList<QAccessible::Role> controlRoles = { QAccessible::EditableText, QAccessible::ComboBox,
                                                           QAccessible::List,         QAccessible::Table,
                                                           QAccessible::PushButton,   QAccessible::RadioButton };
    if (!face || face->state().invisible)
        return;
    const QString name = face->text(QAccessible::Name);
    names->append(name);
    if (controlRoles.contains(face->role())) {
        controls->append(name);
        // A combo box's text line and a list's rows are read as part of it.
        if (face->role() != QAccessible::EditableText)
            return;
    }
    for (int i = 0; i < face->childCount(); ++i)
        walk(face->child(i), controls, names);
}

} // namespace

class TestKeyboard : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;
    std::unique_ptr<ScriptedPlatform> m_platform;
    std::unique_ptr<quitt> m_main;

    QWidget *open(const QString &which)
    {
        quitt &w = *m_main;
        const QList<QWidget *> before = w.windows().all();
        if (which == "search")
            w.suchequitt->trigger();
        else if (which == "delete")
            w.loeschen->trigger();
        else if (which == "evaluation" || which == "DATEV settings")
            w.auswertung->trigger();
        else if (which == "printer choice")
            w.druckerwahl->trigger();
        else if (which == "font choice")
            w.schrifti->trigger();
        else if (which == "payer list")
            w.Command3->click();
        else if (which == "purpose list")
            w.Command4->click();
        else if (which == "user data")
            w.anwender->trigger();
        else if (which == "tax data")
            w.steuerangaben->trigger();
        else if (which == "about")
            w.Image2_Click();
        QWidget *window = w.windows().all().value(before.size());
        if (which == "DATEV settings") {
            w.archive().evaluationWindow()->datevSettingsButton->click();
            window = qApp->activeModalWidget();
        }
        // The keys go where the application's active window is.
        if (!window || !QTest::qWaitFor([window] { return QApplication::activeWindow() == window; }))
            return nullptr;
        return window;
    }

private slots:
    void init()
    {
        testsupport::removeFiles(m_tmp.path());
        put(m_tmp.path(), "erst.dat", "");
        m_platform = std::make_unique<ScriptedPlatform>(m_tmp.path());
        m_platform->fonts = { "Arial" };
        m_main = std::make_unique<quitt>(*m_platform);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
    }
    void cleanup()
    {
        m_main.reset();
        m_platform.reset();
    }

    void escapeClosesEveryWindow_data()
    {
        QTest::addColumn<QString>("window");
        for (const char *w : windows)
            QTest::newRow(w) << QString::fromLatin1(w);
    }
    void escapeClosesEveryWindow()
    {
        QFETCH(QString, window);
        QPointer<QWidget> w = open(window);
        QVERIFY(w);
        // Something typed is dropped as the cancel button drops it.
        if (auto *box = qobject_cast<QLineEdit *>(QApplication::focusWidget()))
            testsupport::type(box, "x");
        const QStringList files = testsupport::filesIn(m_tmp.path());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!w || !w->isVisible());
        QVERIFY(m_main->isVisible());
        QCOMPARE(testsupport::filesIn(m_tmp.path()), files);
    }

    void everyControlOfEveryWindowHasAName_data()
    {
        QTest::addColumn<QString>("window");
        QTest::newRow("main") << "main";
        for (const char *w : windows)
            QTest::newRow(w) << QString::fromLatin1(w);
    }
    void everyControlOfEveryWindowHasAName()
    {
        QFETCH(QString, window);
        QWidget *w = window == "main" ? m_main.get() : open(window);
        QVERIFY(w);
        QStringList controls, names;
        walk(QAccessible::queryAccessibleInterface(w), &controls, &names);
        QVERIFY(!controls.isEmpty());
        for (const QString &name : std::as_const(controls)) {
            QVERIFY2(!name.isEmpty(), qPrintable(controls.join(" | ")));
            QVERIFY2(controls.count(name) == 1, qPrintable(name + " twice in " + controls.join(" | ")));
        }
        QVERIFY(!names.contains("Label14"));
    }

    void mainWindowFieldNames_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<bool>("euro");
        QTest::addColumn<QString>("name");
        const struct
        {
            const char *control;
            const char *dm, *euro;
        } rows[] = {
            { "Text8", "Quittung Nr.", "Quittung Nr." },
            { "Text2", "netto DM", "netto EUR" },
            { "Text3", "netto Pf", "netto Cent" },
            { "Text4", "MWSt DM", "MWSt EUR" },
            { "Text5", "MWSt Pf", "MWSt Cent" },
            { "Text6", "Gesamtbetrag DM", "Gesamtbetrag EUR" },
            { "Text7", "Gesamtbetrag Pf", "Gesamtbetrag Cent" },
            { "Combo2", "Mehrwertsteuersatz", "Mehrwertsteuersatz" },
            { "Text9", "Gesamtbetrag in Worten", "Gesamtbetrag in Worten" },
            { "Combo3", "Betrag erhalten von", "Betrag erhalten von" },
        };
        for (const auto &row : rows) {
            QTest::newRow(qPrintable(QString("%1 in DM").arg(row.control))) << row.control << false << row.dm;
            QTest::newRow(qPrintable(QString("%1 in euros").arg(row.control)))
                << row.control << true << QString::fromUtf8(row.euro);
        }
    }
    void mainWindowFieldNames()
    {
        QFETCH(QString, control);
        QFETCH(bool, euro);
        QFETCH(QString, name);
        if (euro)
            m_main->euroumstellen->trigger();
        QCOMPARE(nameOf(m_main->findChild<QWidget *>(control)), name);
    }

    void numberIsNamedAfterTheTitleWord()
    {
        m_main->Combo1->setFocus();
        m_main->Combo1->lineEdit()->selectAll();
        QTest::keyClicks(m_main->Combo1, "Rechnung");
        QCOMPARE(nameOf(m_main->Text8), QStringLiteral("Rechnung Nr."));
    }

    void tabWalksTheMainWindow_data()
    {
        QTest::addColumn<bool>("vat");
        QTest::addColumn<QStringList>("stops");
        const QStringList receipt = { "Text8",    "Text6",    "Text7",    "Text9",    "Combo3",   "Combo4",
                                      "Text10",   "Text11",   "Command1", "Command7", "Command5", "Command2",
                                      "Command6", "Command3", "Command4", "Combo1" };
        QTest::newRow("VAT charged: the rate box is a stop") << true << receipt + QStringList { "Combo2", "Text8" };
        QTest::newRow("no VAT: the locked rate box is none") << false << receipt + QStringList { "Text8" };
    }
    void tabWalksTheMainWindow()
    {
        QFETCH(bool, vat);
        QFETCH(QStringList, stops);
        if (!vat)
            m_main->showTaxData({ {}, {}, TaxData::Mode::SmallBusiness, {} });
        m_main->Text8->setFocus();
        QStringList walked { "Text8" };
        for (int i = 1; i < stops.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget *at = QApplication::focusWidget();
            // The text line of a combo box stands for its box.
            while (at && at->objectName().isEmpty())
                at = at->parentWidget();
            walked << (at ? at->objectName() : QStringLiteral("<nothing>"));
        }
        QCOMPARE(walked, stops);
    }

    void enterPressesTheFocusedButton_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("Speichern after the last field") << "Speichern";
        QTest::newRow("Speichern of the user data") << "user data";
        QTest::newRow("Schließen of the search") << "search";
    }
    void enterPressesTheFocusedButton()
    {
        QFETCH(QString, button);
        if (button == "Speichern") {
            m_main->Text8->setText("5");
            m_main->Text6->setText("12");
            m_main->Text11->setFocus();
            // Enter leaves the last field for the button, as Tab does, and presses nothing yet.
            QTest::keyClick(m_main->Text11, Qt::Key_Return);
            QCOMPARE(QApplication::focusWidget(), m_main->Command1);
            QCOMPARE(get(m_tmp.path(), "5.num"), QByteArray("<missing>"));
            QTest::keyClick(m_main->Command1, Qt::Key_Return);
            QVERIFY(get(m_tmp.path(), "5.num").startsWith("5\r\n"));
            return;
        }
        QPointer<QWidget> w = open(button);
        QVERIFY(w);
        auto *pressed = w->findChild<QPushButton *>("Command1");
        pressed->setFocus();
        QTest::keyClick(pressed, Qt::Key_Return);
        QTRY_VERIFY(!w || !w->isVisible());
        if (button == "user data")
            QCOMPARE(get(m_tmp.path(), "anwender.dat").count('\n'), 6);
    }

    void theQuestionBoxAnswersEnterAndEscape_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("answer");
        QTest::newRow("Enter: the default") << int(Qt::Key_Return) << 0;
        QTest::newRow("Escape: the escape button") << int(Qt::Key_Escape) << 2;
    }
    void theQuestionBoxAnswersEnterAndEscape()
    {
        QFETCH(int, key);
        QFETCH(int, answer);
        QtPlatform platform(m_tmp.path());
        QString asked;
        QTimer::singleShot(0, this, [&] {
            QWidget *box = qApp->activeModalWidget();
            QVERIFY(box);
            asked = static_cast<QMessageBox *>(box)->text();
            QTest::keyClick(box, Qt::Key(key));
        });
        QCOMPARE(platform.question(m_main.get(), "Frage?", { "&Speichern", "&Nicht speichern", "Abbrechen" }, 0, 2),
                 answer);
        QCOMPARE(asked, QStringLiteral("Frage?"));
    }
};

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
