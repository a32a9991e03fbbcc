#include "editor/form11.h"
#include "editor/form15.h"
#include "editor/quitt.h"
#include "platform/scriptedplatform.h"
#include "tests/testsupport.h"
#include "text/codepage.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTest>

namespace {

using testsupport::put;
using testsupport::get;
using testsupport::type;

using Files = QList<std::pair<QString, QByteArray>>;

// A main window over its own folder; erst.dat spares the first-run message.
struct Fixture
{
    QTemporaryDir tmp;
    std::unique_ptr<ScriptedPlatform> platform;
    std::unique_ptr<quitt> w;

    explicit Fixture(const Files &files = {})
    {
        put(tmp.path(), "erst.dat", "");
        for (const auto &[name, bytes] : files)
            put(tmp.path(), name, bytes);
        platform = std::make_unique<ScriptedPlatform>(tmp.path());
        w = std::make_unique<quitt>(*platform);
    }
    QByteArray file(const QString &name) const { return get(tmp.path(), name); }
};

// The editor of a main window's button: 0 the payer list, 1 the purpose list.
ListEditor *openEditor(quitt &w, int which)
{
    if (which == 0) {
        w.Command3->click();
        return w.payerEditor();
    }
    w.Command4->click();
    return w.purposeEditor();
}

SortedComboBox *boxOf(quitt &w, int which)
{
    return which == 0 ? w.Combo3 : w.Combo4;
}

// Waits until the editor's window is gone.
bool closed(const QPointer<ListEditor> &editor)
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return editor.isNull();
}

} // namespace

class TestListEditors : public QObject
{
    Q_OBJECT

private slots:
    void newReceiptSortsTheBox()
    {
        Fixture f(Files { { "von.dat", "Schulz\r\nmeier\r\nAdler\r\n" }, { "fuer.dat", "Miete\r\n   \r\n\r\nStrom\r\n" } });
        QCOMPARE(f.w->Combo3->entries(), QStringList()); // not loaded at start-up
        f.w->Command2->click();
        QCOMPARE(f.w->Combo3->entries(), (QStringList { "Adler", "meier", "Schulz" }));
        QCOMPARE(f.w->Combo3->currentText(), QString());
        QCOMPARE(f.w->Combo4->entries(), (QStringList { "   ", "Miete", "Strom" }));
        QCOMPARE(f.file("von.dat"), QByteArray("Schulz\r\nmeier\r\nAdler\r\n"));
        // The arrow keys step through the sorted entries from the first one.
        QTest::keyClick(f.w->Combo3, Qt::Key_Down);
        QCOMPARE(f.w->Combo3->currentText(), QString("Adler"));
        QTest::keyClick(f.w->Combo3, Qt::Key_Down);
        QCOMPARE(f.w->Combo3->currentText(), QString("meier"));
    }

    // Loading sorts in one go; the order must be the one the box keeps when
    // entries are added one by one.
    void loadedOrderIsTheBoxOrder()
    {
        const QStringList lines { "meier", "Meier", "Zorn", "adler", "Adler", QString::fromUtf8("Ärger"), "b", "meier" };
        QByteArray bytes;
        for (const QString &line : lines)
            bytes += codepage::encode(line).value() + "\r\n";
        Fixture f(Files { { "von.dat", bytes } });
        f.w->Command2->click();
        SortedComboBox oneByOne(nullptr);
        for (const QString &line : lines)
            oneByOne.addSorted(line);
        QCOMPARE(f.w->Combo3->entries(), oneByOne.entries());
    }

    void newReceiptWithoutAListFileKeepsThatBox()
    {
        Fixture f(Files { { "fuer.dat", "Miete\r\n" } });
        f.w->Combo3->addSorted("Adler");
        f.w->Combo3->setEditText("Meier");
        f.w->Combo4->setEditText("Alte Miete");
        f.w->Command2->click();
        QCOMPARE(f.w->Combo3->entries(), QStringList { "Adler" });
        QCOMPARE(f.w->Combo3->currentText(), QString("Meier"));
        QCOMPARE(f.w->Combo4->entries(), QStringList { "Miete" });
        QCOMPARE(f.w->Combo4->currentText(), QString());
    }

    void editorOpensWithTheFile_data()
    {
        QTest::addColumn<int>("which");
        QTest::newRow("payers") << 0;
        QTest::newRow("purposes") << 1;
    }
    void editorOpensWithTheFile()
    {
        QFETCH(int, which);
        const QString name = which == 0 ? "von.dat" : "fuer.dat";
        Fixture f(Files { { name, "Schulz\r\n \xa0 \r\nAdler\r\n" } });
        ListEditor *editor = openEditor(*f.w, which);
        QVERIFY(editor);
        QVERIFY(editor->isVisible());
        QCOMPARE(editor->windowTitle(), QString("Liste bearbeiten"));
        QCOMPARE(editor->Text1->toPlainText().split('\n').size(), 4);
        QCOMPARE(editor->layout().listFile, name);
        // A second click only brings it up again, with what was typed.
        editor->Text1->appendPlainText("neu");
        QCOMPARE(openEditor(*f.w, which), editor);
        QVERIFY(editor->Text1->toPlainText().endsWith("neu"));
    }

    // Saving without a change adds one empty line; a no-break space stays one.
    void unchangedSaveAddsOneEmptyLine_data() { editorOpensWithTheFile_data(); }
    void unchangedSaveAddsOneEmptyLine()
    {
        QFETCH(int, which);
        const QString name = which == 0 ? "von.dat" : "fuer.dat";
        const QByteArray before = "Schulz\r\n \xa0 \r\nAdler\r\n";
        Fixture f(Files { { name, before } });
        f.w->Command2->click();
        const QStringList entries = boxOf(*f.w, which)->entries();
        QPointer<ListEditor> editor = openEditor(*f.w, which);
        editor->Command1->click();
        QCOMPARE(f.file(name), before + "\r\n");
        QVERIFY(closed(editor));
        // Rule B drops the line of blanks that rule A offered.
        QCOMPARE(boxOf(*f.w, which)->entries(), (QStringList { "Adler", "Schulz" }));
        QCOMPARE(entries.size(), 3);
    }

    void typedLastLineWithoutEnter()
    {
        Fixture f(Files { { "von.dat", "Schulz\r\nAdler\r\n" } });
        ListEditor *editor = openEditor(*f.w, 0);
        f.w->Combo3->setEditText("halb getippt");
        editor->show();
        QVERIFY(QTest::qWaitForWindowActive(editor));
        QTest::keyClick(editor->Text1, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(editor->Text1, "Meier, Hans");
        editor->Command1->click();
        QCOMPARE(f.file("von.dat"), QByteArray("Schulz\r\nAdler\r\nMeier, Hans\r\n"));
        QCOMPARE(f.w->Combo3->entries(), (QStringList { "Adler", "Meier, Hans", "Schulz" }));
        QCOMPARE(f.w->Combo3->currentText(), QString());
    }

    void severalEntriesAtOnceIntoANewFile()
    {
        Fixture f;
        ListEditor *editor = openEditor(*f.w, 1);
        QCOMPARE(editor->Text1->toPlainText(), QString());
        editor->Text1->setPlainText(QString::fromUtf8("Strom\nMiete\n\nBüromaterial"));
        editor->Command1->click();
        QCOMPARE(f.file("fuer.dat"), QByteArray("Strom\r\nMiete\r\n\r\nB\xfcromaterial\r\n"));
        QCOMPARE(f.w->Combo4->entries(), (QStringList { QString::fromUtf8("Büromaterial"), "Miete", "Strom" }));
    }

    void emptySaveGivesOneEmptyLine()
    {
        Fixture f(Files { { "von.dat", "Adler\r\n" } });
        f.w->Command2->click();
        ListEditor *editor = openEditor(*f.w, 0);
        editor->Text1->clear();
        editor->Command1->click();
        QCOMPARE(f.file("von.dat"), QByteArray("\r\n"));
        QCOMPARE(f.w->Combo3->entries(), QStringList());
    }

    void leavingWithoutSaving_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<bool>("viaFrame");
        QTest::newRow("payers, Abbruch") << 0 << false;
        QTest::newRow("payers, close box") << 0 << true;
        QTest::newRow("purposes, Abbruch") << 1 << false;
        QTest::newRow("purposes, close box") << 1 << true;
    }
    void leavingWithoutSaving()
    {
        QFETCH(int, which);
        QFETCH(bool, viaFrame);
        const QString name = which == 0 ? "von.dat" : "fuer.dat";
        Fixture f(Files { { name, "Schulz\r\nAdler\r\n" } });
        f.w->Command2->click();
        QPointer<ListEditor> editor = openEditor(*f.w, which);
        editor->Text1->setPlainText("alles anders");
        if (viaFrame)
            editor->close();
        else
            editor->Command2->click();
        QVERIFY(closed(editor));
        QCOMPARE(f.file(name), QByteArray("Schulz\r\nAdler\r\n"));
        QCOMPARE(boxOf(*f.w, which)->entries(), (QStringList { "Adler", "Schulz" }));
        // The next opening starts from the file again.
        QCOMPARE(openEditor(*f.w, which)->Text1->toPlainText(), QString("Schulz\nAdler\n"));
    }

    void firstFocus_data()
    {
        QTest::addColumn<int>("which");
        QTest::newRow("payer editor: the edit box") << 0;
        QTest::newRow("purpose editor: the save button") << 1;
    }
    void firstFocus()
    {
        QFETCH(int, which);
        Fixture f(Files { { "fuer.dat", "Miete\r\n" }, { "von.dat", "Adler\r\n" } });
        f.w->show();
        QVERIFY(QTest::qWaitForWindowActive(f.w.get()));
        QPointer<ListEditor> editor = openEditor(*f.w, which);
        QVERIFY(QTest::qWaitForWindowActive(editor));
        QWidget *expected = which == 0 ? static_cast<QWidget *>(editor->Text1) : editor->Command1;
        QTRY_COMPARE(QApplication::focusWidget(), expected);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        if (which == 0) {
            // Enter in the edit box starts a new line.
            QVERIFY(editor);
            QCOMPARE(editor->Text1->toPlainText(), QString("\nAdler\n"));
            QCOMPARE(f.file("von.dat"), QByteArray("Adler\r\n"));
        } else {
            QCOMPARE(f.file("fuer.dat"), QByteArray("Miete\r\n\r\n"));
            QCOMPARE(f.w->Combo4->entries(), QStringList { "Miete" });
            QVERIFY(closed(editor));
        }
    }

    void mainWindowStaysUsable()
    {
        Fixture f;
        f.w->show();
        QVERIFY(QTest::qWaitForWindowActive(f.w.get()));
        ListEditor *editor = openEditor(*f.w, 0);
        QVERIFY(!editor->isModal());
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QVERIFY(f.w->isEnabled());
    }

    void namesOfEveryLanguageAreTaken_data()
    {
        QTest::addColumn<bool>("paste");
        QTest::newRow("typed") << false;
        QTest::newRow("pasted") << true;
    }
    void namesOfEveryLanguageAreTaken()
    {
        QFETCH(bool, paste);
        Fixture f;
        ListEditor *editor = openEditor(*f.w, 0);
        editor->Text1->setFocus();
        type(editor->Text1, QString::fromUtf8("Müller € "));
        const QString polish = QString::fromUtf8("Łukasz");
        if (paste) {
            QApplication::clipboard()->setText(polish);
            editor->Text1->paste();
        } else {
            type(editor->Text1, polish);
        }
        QCOMPARE(editor->Text1->toPlainText(), QString::fromUtf8("Müller € Łukasz"));
        QCOMPARE(f.platform->beeps, 0);
    }

    void unreadableListDoesNotOpen()
    {
        Fixture f(Files { { "von.dat", "Adler\r\n" } });
        f.platform->files().setFaultHook([](WorkDir::Op op, const QString &) { return op == WorkDir::Op::Read; });
        f.w->Command3->click();
        QVERIFY(!f.w->payerEditor());
        QCOMPARE(f.platform->messageTexts(), QStringList { "Die Datei \"von.dat\" konnte nicht gelesen werden." });
        QCOMPARE(f.file("von.dat"), QByteArray("Adler\r\n"));
    }

    void failedSaveKeepsTheEditorOpen()
    {
        Fixture f(Files { { "von.dat", "Adler\r\n" } });
        f.w->Command2->click();
        QPointer<ListEditor> editor = openEditor(*f.w, 0);
        editor->Text1->setPlainText("Adler\nMeier");
        f.platform->files().setFaultHook([](WorkDir::Op op, const QString &) { return op == WorkDir::Op::Write; });
        editor->Command1->click();
        QCOMPARE(f.platform->messages.size(), 1);
        QVERIFY(f.platform->messages.first().text.contains("\"von.dat\""));
        QVERIFY(!closed(editor));
        QCOMPARE(editor->Text1->toPlainText(), QString("Adler\nMeier"));
        QCOMPARE(f.file("von.dat"), QByteArray("Adler\r\n"));
        QCOMPARE(f.w->Combo3->entries(), QStringList { "Adler" });
    }
};

QTEST_MAIN(TestListEditors)
#include "tst_lists_editors.moc"
