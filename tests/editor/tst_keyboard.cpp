#include "archive/evaluationwindow.h"
#include "editor/quitt.h"
#include "platform/qtplatform.h"
#include "platform/scriptedplatform.h"
#include "tests/testsupport.h"

#include <QAccessible>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>

using testsupport::get;

namespace {

// The windows beside the main window, each as the user opens it.
const char *const secondaryWindows[] = { "search", "delete", "evaluation", "DATEV settings", "printer choice", "font choice",
                                "payer list", "purpose list", "user data", "tax data", "about" };

QString nameOf(QWidget *w)
{
    return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
}

// The names a screen reader reads: of every control it can go to, and of
// everything it finds at all.
void walk(QAccessibleInterface *face, QStringList *controls, QStringList *all)
{
    static const QList<QAccessible::Role> roles = { QAccessible::EditableText, QAccessible::ComboBox,
                                                    QAccessible::List,         QAccessible::Table,
                                                    QAccessible::PushButton,   QAccessible::RadioButton };
    if (face->state().invisible)
        return;
    all->append(face->text(QAccessible::Name));
    if (roles.contains(face->role()))
        controls->append(face->text(QAccessible::Name));
    // A combo box's text line and a table's cells are read as part of it.
    if (face->role() == QAccessible::ComboBox || face->role() == QAccessible::List || face->role() == QAccessible::Table)
        return;
    for (int i = 0; i < face->childCount(); ++i)
        walk(face->child(i), controls, all);
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
        const qsizetype before = w.windows().all().size();
        QAction *entry = which == "search" ? w.suchequitt
            : which == "delete"            ? w.loeschen
            : which == "printer choice"    ? w.druckerwahl
            : which == "font choice"       ? w.schrifti
            : which == "user data"         ? w.anwender
            : which == "tax data"          ? w.steuerangaben
                                           : w.auswertung;
        if (which == "payer list" || which == "purpose list")
            (which == "payer list" ? w.Command3 : w.Command4)->click();
        else if (which == "about")
            w.Image2_Click();
        else
            entry->trigger();
        QWidget *window = w.windows().all().value(before);
        if (which == "DATEV settings") {
            w.archive().evaluationWindow()->datevSettingsButton->click();
            window = qApp->activeModalWidget();
        }
        // Keys go to the application's active window.
        if (!window || !QTest::qWaitFor([window] { return QApplication::activeWindow() == window; }))
            return nullptr;
        return window;
    }

private slots:
    void init()
    {
        testsupport::removeFiles(m_tmp.path());
        testsupport::put(m_tmp.path(), "erst.dat", "");
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

    void windows_data()
    {
        QTest::addColumn<QString>("window");
        QTest::newRow("main") << "main";
        for (const char *w : secondaryWindows)
            QTest::newRow(w) << QString::fromLatin1(w);
    }
    // Escape closes each window as its close or cancel button does, and a
    // screen reader can tell every control of it apart by its name.
    void windows()
    {
        QFETCH(QString, window);
        QPointer<QWidget> w = window == "main" ? m_main.get() : open(window);
        QVERIFY(w);
        QStringList controls, all;
        walk(QAccessible::queryAccessibleInterface(w), &controls, &all);
        QVERIFY(!controls.isEmpty());
        for (const QString &name : std::as_const(controls))
            QVERIFY2(!name.isEmpty() && controls.count(name) == 1, qPrintable(controls.join(" | ")));
        QVERIFY(!all.contains("Label14"));
        if (window == "main")
            return;

        // Something typed is dropped as the cancel button drops it.
        if (auto *box = qobject_cast<QLineEdit *>(QApplication::focusWidget()))
            testsupport::type(box, "x");
        const QStringList files = testsupport::filesIn(m_tmp.path());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!w || !w->isVisible());
        QVERIFY(m_main->isVisible());
        QCOMPARE(testsupport::filesIn(m_tmp.path()), files);
    }

    void mainWindowNames_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("wording");
        QTest::addColumn<QString>("name");
        QTest::newRow("number") << "Text8" << "" << "Quittung Nr.";
        QTest::newRow("number of an invoice") << "Text8" << "Rechnung" << "Rechnung Nr.";
        QTest::newRow("total") << "Text6" << "" << "Gesamtbetrag DM";
        QTest::newRow("total in euros") << "Text6" << "Euro" << "Gesamtbetrag EUR";
        QTest::newRow("total's cents") << "Text7" << "Euro" << "Gesamtbetrag Cent";
        QTest::newRow("net in euros") << "Text2" << "Euro" << "netto EUR";
        QTest::newRow("VAT's pennies") << "Text5" << "" << "MWSt Pf";
        QTest::newRow("rate, not its value") << "Combo2" << "" << "Mehrwertsteuersatz";
        QTest::newRow("payer") << "Combo3" << "" << "Betrag erhalten von";
    }
    void mainWindowNames()
    {
        QFETCH(QString, control);
        QFETCH(QString, wording);
        QFETCH(QString, name);
        if (wording == "Euro") {
            m_main->euroumstellen->trigger();
        } else if (!wording.isEmpty()) {
            m_main->Combo1->setFocus();
            m_main->Combo1->lineEdit()->selectAll();
            QTest::keyClicks(m_main->Combo1, wording);
        }
        QCOMPARE(nameOf(m_main->findChild<QWidget *>(control)), name);
    }

    void tabWalksTheMainWindow_data()
    {
        QTest::addColumn<bool>("vat");
        QTest::addColumn<QStringList>("stops");
        const QStringList receipt = { "Text8",    "Text6",    "Text7",    "Text9",    "Combo3",   "Combo4",
                                      "Text10",   "Text11",   "Command1", "Command7", "Command5", "Command2",
                                      "Command6", "Command3", "Command4" };
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
        while (walked.size() < stops.size()) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget *at = QApplication::focusWidget();
            while (at && at->objectName().isEmpty()) // a combo box's text line
                at = at->parentWidget();
            walked << (at ? at->objectName() : QStringLiteral("<nothing>"));
        }
        QCOMPARE(walked, stops);
        // Nor does Shift+Tab from the number reach the title word.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QWidget *back = QApplication::focusWidget();
        while (back && back->objectName().isEmpty())
            back = back->parentWidget();
        QCOMPARE(back ? back->objectName() : QString(), stops.at(stops.size() - 2));
    }

    void enterPressesTheFocusedButton()
    {
        m_main->Text8->setText("5");
        m_main->Text6->setText("12");
        m_main->Text11->setFocus();
        // Enter leaves the last field for "&Speichern", as Tab does, and presses it next.
        QTest::keyClick(m_main->Text11, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), m_main->Command1);
        QCOMPARE(get(m_tmp.path(), "5.num"), QByteArray("<missing>"));
        QTest::keyClick(m_main->Command1, Qt::Key_Return);
        QVERIFY(get(m_tmp.path(), "5.num").startsWith("5\r\n"));

        QWidget *userData = open("user data");
        QVERIFY(userData);
        QTest::keyClick(userData->findChild<QPushButton *>("Command1"), Qt::Key_Return);
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
            auto *box = qobject_cast<QMessageBox *>(qApp->activeModalWidget());
            asked = box ? box->text() : QString();
            QTest::keyClick(box, Qt::Key(key));
        });
        QCOMPARE(platform.question(m_main.get(), "Frage?", { "&Speichern", "&Nicht speichern", "Abbrechen" }, 0, 2),
                 answer);
        QCOMPARE(asked, QStringLiteral("Frage?"));
    }
};

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
