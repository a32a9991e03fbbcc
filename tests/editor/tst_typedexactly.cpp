#include "../testsupport.h"

#include "archive/form7.h"
#include "archive/form8.h"
#include "editor/form11.h"
#include "editor/quitt.h"
#include "platform/qtplatform.h"
#include "platform/scriptedplatform.h"
#include "settings/form6.h"
#include "settings/settings.h"
#include "text/codepage.h"

#include <QApplication>
#include <QClipboard>
#include "text/storableinput.h"

#include <QInputDialog>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace testsupport;

// What the user typed, pasted or loaded stays exactly so: no completion from
// a list, no computation when the window comes back or a menu closes, no line
// break in a one-line value, no list entry dropped, no deletion by the wrong
// mouse button.
class TestTypedExactly : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void prefixOfAListEntryStays_data();
    void prefixOfAListEntryStays();
    void arrowKeysStillPickAnEntry();
    void loadedReceiptSurvivesReactivation();
    void ownWordsSurviveAMenu();
    void pastedLineBreakIsRefused_data();
    void pastedLineBreakIsRefused();
    void inputDialogRefusesLineBreakAndCancels();
    void editorKeepsEntriesSavedMeanwhile();
    void rightDoubleClickDeletesNothing();
    void pictureClickNeedsPressAndReleaseOnIt();

private:
    static QWidget *focused() { return QApplication::focusWidget(); }
    void putList(const QString &name, const QString &text) { put(m_dir->path(), name, codepage::encode(text).value()); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedPlatform> m_platform;
    std::unique_ptr<quitt> m_w;
};

void TestTypedExactly::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_platform = std::make_unique<ScriptedPlatform>(m_dir->path());
    QVERIFY(m_platform->files().write(QStringLiteral("erst.dat"), QByteArray()));
    putList("von.dat", "Meierhofer GmbH, Bahnhofstr. 1, 80335 München\r\nAdler\r\n");
    putList("fuer.dat", "Reparatur der Heizung\r\n");
    m_w = std::make_unique<quitt>(*m_platform);
    m_w->show();
    QVERIFY(QTest::qWaitForWindowActive(m_w.get()));
    m_w->Command2->click(); // new receipt: the lists are loaded
}

void TestTypedExactly::cleanup()
{
    if (m_w)
        m_w->hide();
    m_w.reset();
    m_platform.reset();
    m_dir.reset();
}

void TestTypedExactly::prefixOfAListEntryStays_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::newRow("payer") << "Combo3" << "Meier";
    QTest::newRow("purpose") << "Combo4" << "Rep";
    QTest::newRow("rate") << "Combo2" << "1";
    QTest::newRow("title word") << "Combo1" << "Re";
}

void TestTypedExactly::prefixOfAListEntryStays()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    auto *combo = m_w->findChild<QComboBox *>(box);
    QVERIFY(combo);
    QTest::mouseClick(combo->lineEdit(), Qt::LeftButton);
    QTest::keyClick(combo, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(combo, typed);
    QTest::keyClick(combo, Qt::Key_Return);
    QCOMPARE(combo->currentText(), typed);
    if (box == "Combo1")
        QCOMPARE(get(m_dir->path(), "quitname.dat"), codepage::encode(typed + "\r\n").value());
    if (box == "Combo3") {
        m_w->Text8->setText("7");
        m_w->Text6->setText("100");
        m_w->Command1_Click();
        QCOMPARE(codepage::decode(get(m_dir->path(), "7.num")).split("\r\n").value(8), typed);
    }
}

void TestTypedExactly::arrowKeysStillPickAnEntry()
{
    QTest::mouseClick(m_w->Combo3->lineEdit(), Qt::LeftButton);
    QTest::keyClick(m_w->Combo3, Qt::Key_Down);
    QCOMPARE(m_w->Combo3->currentText(), "Adler");
    QTest::keyClick(m_w->Combo3, Qt::Key_Down);
    QCOMPARE(m_w->Combo3->currentText(), "Meierhofer GmbH, Bahnhofstr. 1, 80335 München");
}

void TestTypedExactly::loadedReceiptSurvivesReactivation()
{
    // Saved at 7 %; the rate box shows 16 and the focus is in the words field.
    put(m_dir->path(), "5.num", "5\r\n100\r\n00\r\n7\r\n00\r\n107\r\n00\r\nEinhundertsieben -----\r\nA\r\nB\r\n");
    QTest::mouseClick(m_w->Text9, Qt::LeftButton);
    QCOMPARE(focused(), m_w->Text9);
    QCOMPARE(m_w->Combo2->currentText(), "16");
    m_w->suchequitt->trigger();
    Form7 *search = m_w->archive().searchWindow();
    QVERIFY(QTest::qWaitForWindowActive(search));
    QTest::keyClicks(search->Text1, "Einhundertsieben");
    QTest::keyClick(search->Text1, Qt::Key_Return);
    doubleClickRow(search, 0);
    QTRY_VERIFY(!m_w->archive().searchWindow());
    m_w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_w.get()));
    QCOMPARE(focused(), m_w->Text9);
    const QStringList shown { m_w->Text2->text(), m_w->Text3->text(), m_w->Text4->text(), m_w->Text5->text() };
    QCOMPARE(shown, QStringList({ "100", "00", "7", "00" }));
}

void TestTypedExactly::ownWordsSurviveAMenu()
{
    m_w->Text6->setText("100");
    QTest::mouseClick(m_w->Text9, Qt::LeftButton);
    QCOMPARE(m_w->Text9->text(), "Einhundert -----");
    QTest::keyClick(m_w->Text9, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(m_w->Text9, "Einhundert Mark, bar");
    // The menu opens from the keyboard and closes with Escape; then another
    // window takes the keyboard and gives it back.
    QTest::keyClick(m_w.get(), Qt::Key_G, Qt::AltModifier);
    QTRY_VERIFY(m_w->grundeinstellungen->isVisible());
    QTest::keyClick(m_w->grundeinstellungen, Qt::Key_Escape);
    QTest::keyClick(m_w->menuBar(), Qt::Key_Escape);
    QTRY_VERIFY(!m_w->grundeinstellungen->isVisible());
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    m_w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_w.get()));
    QTRY_COMPARE(focused(), m_w->Text9);
    QCOMPARE(m_w->Text9->text(), "Einhundert Mark, bar");
    QCOMPARE(background(m_w->Text9), colours::focusYellow);
}

void TestTypedExactly::pastedLineBreakIsRefused_data()
{
    QTest::addColumn<QString>("window"); // where the box is
    QTest::addColumn<QString>("box");
    QTest::newRow("number") << "main" << "Text8";
    QTest::newRow("payer") << "main" << "Combo3";
    QTest::newRow("place") << "main" << "Text10";
    QTest::newRow("user data, first line") << "Form6" << "Text1";
    QTest::newRow("search term") << "Form7" << "Text1";
}

void TestTypedExactly::pastedLineBreakIsRefused()
{
    QFETCH(QString, window);
    QFETCH(QString, box);
    QWidget *in = m_w.get();
    if (window == "Form6") {
        m_w->anwender->trigger();
        in = m_w->settings().userDataWindow();
    } else if (window == "Form7") {
        m_w->suchequitt->trigger();
        in = m_w->archive().searchWindow();
    }
    QVERIFY(in);
    QVERIFY(QTest::qWaitForWindowActive(in));
    QWidget *target = in->findChild<QWidget *>(box);
    QVERIFY(target);
    if (auto *combo = qobject_cast<QComboBox *>(target))
        target = combo->lineEdit();
    auto *edit = qobject_cast<QLineEdit *>(target);
    QVERIFY(edit);
    edit->setFocus();
    edit->setText("Firma");
    QGuiApplication::clipboard()->setText("Firma Meier\nInh. Hans Meier");
    const int beeps = m_platform->beeps;
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit->text(), "Firma");
    QCOMPARE(m_platform->beeps, beeps + 1);

    if (window == "Form6") {
        // The window saves six lines, whatever was tried.
        m_w->settings().userDataWindow()->Command1->click();
        QCOMPARE(codepage::decode(get(m_dir->path(), "anwender.dat")).count("\r\n"), 6);
        QCOMPARE(get(m_dir->path(), "ort.dat"), QByteArray("\r\n"));
    }
}

void TestTypedExactly::inputDialogRefusesLineBreakAndCancels()
{
    // Qt's own input box, as the rewording entries show it.
    QtPlatform real(m_dir->path());
    real.setInputRule(storableText);
    QString seen;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        auto *edit = dialog->findChild<QLineEdit *>();
        QGuiApplication::clipboard()->setText("Net\r\nto");
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        seen = edit->text();
        dialog->reject();
    });
    QVERIFY(!real.inputBox(m_w.get(), "Neue Bezeichnung:", "netto", "netto"));
    QCOMPARE(seen, "netto");
    // Where a line break reaches the settings code anyway, nothing is written.
    QString error;
    QVERIFY(!WriteSetting(m_platform->files(), "netto.dat", "Net\r\nto", &error));
    QVERIFY2(error.contains("netto.dat"), qPrintable(error));
    QVERIFY(!m_platform->files().exists("netto.dat"));
}

void TestTypedExactly::editorKeepsEntriesSavedMeanwhile()
{
    m_w->Command3->click();
    Form11 *editor = m_w->payerEditor();
    QVERIFY(editor);
    // A receipt for a new payer is saved while the editor is open.
    m_w->Text8->setText("8");
    m_w->Text6->setText("100");
    m_w->Combo3->setEditText("Zimmermann");
    m_w->Command1_Click();
    QVERIFY(get(m_dir->path(), "von.dat").endsWith("Zimmermann\r\n"));
    m_platform->messages.clear();
    editor->Command1->click();
    QCOMPARE(get(m_dir->path(), "von.dat"),
             codepage::encode(QStringLiteral("Meierhofer GmbH, Bahnhofstr. 1, 80335 München\r\nAdler\r\n\r\nZimmermann\r\n")).value());
    QCOMPARE(m_platform->messages.size(), 1);
    QVERIFY(m_platform->messages.first().text.endsWith("\r\nZimmermann"));
    QVERIFY(m_w->Combo3->entries().contains("Zimmermann"));
}

void TestTypedExactly::rightDoubleClickDeletesNothing()
{
    put(m_dir->path(), "3.num", receiptBytes("3", "Adler", "Miete"));
    m_w->loeschen->trigger();
    Form8 *erase = m_w->archive().deleteWindow();
    QVERIFY(QTest::qWaitForWindowActive(erase));
    QTest::keyClick(erase->Text1, Qt::Key_Return);
    QVERIFY(!listed(erase).isEmpty());
    const QPoint at = erase->List1->visualRect(erase->List1->model()->index(0, 0)).center();
    QTest::mouseClick(erase->List1->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(erase->List1->viewport(), Qt::RightButton, {}, at);
    QTest::mouseDClick(erase->List1->viewport(), Qt::MiddleButton, {}, at);
    QVERIFY(m_platform->messages.isEmpty());
    QVERIFY(QFile::exists(m_dir->filePath("3.num")));
    m_platform->questionAnswers = { "&Ja" };
    m_platform->fieldAnswers = { "Doppelt" };
    doubleClickRow(erase, 0);
    QVERIFY(!QFile::exists(m_dir->filePath("3.num")));
}

void TestTypedExactly::pictureClickNeedsPressAndReleaseOnIt()
{
    const QPoint inside = m_w->Image2->rect().center();
    // Pressed elsewhere, released on the picture.
    QTest::mousePress(m_w->Text10, Qt::LeftButton);
    QTest::mouseRelease(m_w->Image2, Qt::LeftButton, {}, inside);
    // Pressed on the picture, released outside it.
    QTest::mousePress(m_w->Image2, Qt::LeftButton, {}, inside);
    QTest::mouseRelease(m_w->Image2, Qt::LeftButton, {}, QPoint(-20, -20));
    QVERIFY(!m_w->aboutWindow());
    QTest::mouseClick(m_w->Image2, Qt::LeftButton, {}, inside);
    QVERIFY(m_w->aboutWindow());
}

QTEST_MAIN(TestTypedExactly)
#include "tst_typedexactly.moc"
