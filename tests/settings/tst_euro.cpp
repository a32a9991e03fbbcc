#include "editor/quitt.h"
#include "platform/scriptedplatform.h"
#include "tests/testsupport.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

using testsupport::filesIn;
using testsupport::get;
using testsupport::put;

// The menu entry that switches currency, hundredth, note and rate to euros in
// one step, chosen from the menu with the keyboard as a user would.
class TestEuro : public QObject
{
    Q_OBJECT

private:
    // What the window shows of the four values: unit labels, hundredth
    // labels, the note beside the words and the rate box.
    static QStringList wording(const quitt &w)
    {
        return { w.Label6->text(), w.Label7->text(), w.Label8->text(), w.Label9->text(), w.Label10->text(),
                 w.Label11->text(), w.Label12->text(), w.Combo2->currentText() };
    }
    static QStringList wording(const QString &unit, const QString &hundredth, const QString &note, const QString &rate)
    {
        return { unit, unit, unit, hundredth, hundredth, hundredth, note, rate };
    }

    // Alt+G opens "&Grund-Einstellungen", E chooses "Auf &Euro umstellen...".
    static void chooseEuro(quitt &w)
    {
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_G, Qt::AltModifier);
        QTRY_COMPARE(QApplication::activePopupWidget(), static_cast<QWidget *>(w.grundeinstellungen));
        QTest::keyClick(w.grundeinstellungen, Qt::Key_E);
        QTRY_VERIFY(!w.grundeinstellungen->isVisible());
    }

    static QHash<QString, QByteArray> snapshot(const QString &dir)
    {
        QHash<QString, QByteArray> files;
        for (const QString &name : filesIn(dir))
            files.insert(name, get(dir, name));
        return files;
    }

private slots:
    void okWritesTheFourFilesAndShowsEuros_data()
    {
        // The names the four files are stored under: currency, hundredth,
        // note, rate; "" where the file is missing before.
        QTest::addColumn<QStringList>("stored");
        QTest::newRow("first start: no wording files") << QStringList { "", "", "", "" };
        // Earlier rewordings under the spellings the program also uses: the
        // same files are replaced, no second one appears beside them.
        QTest::newRow("earlier wording, other letter case")
            << QStringList { "DM.dat", "PF.DAT", "wieoben.DAT", "mwst.DAT" };
    }
    void okWritesTheFourFilesAndShowsEuros()
    {
        QFETCH(QStringList, stored);

        QTemporaryDir tmp;
        put(tmp.path(), "erst.dat", {});
        put(tmp.path(), "netto.dat", "Netto\r\n");
        const QStringList canonical = { "dm.dat", "pf.dat", "wieoben.dat", "mwst.dat" };
        QStringList expectedFiles = { "erst.dat", "journal.txt", "netto.dat" };
        for (qsizetype i = 0; i < stored.size(); ++i) {
            if (stored[i].isEmpty()) {
                stored[i] = canonical[i];
            } else {
                put(tmp.path(), stored[i], "alt\r\nzweite Zeile\r\n");
            }
            expectedFiles.append(stored[i]);
        }
        ScriptedPlatform platform(tmp.path());
        quitt w(platform);

        chooseEuro(w);

        QCOMPARE(platform.messages.size(), 1);
        const ScriptedPlatform::Message &question = platform.messages[0];
        QCOMPARE(question.buttons, Platform::Buttons::OkCancel);
        QCOMPARE(question.icon, Platform::Icon::Question);
        for (const char *named : { "\"EUR\"", "\"Cent\"", "\"Cent wie oben\"", "19 %", "eigenen Eintrag" })
            QVERIFY2(question.text.contains(QString::fromUtf8(named)), named);
        QVERIFY(platform.inputs.isEmpty());

        QCOMPARE(wording(w), wording("EUR", "Cent", "Cent wie oben", "19"));
        // The menu names the currency in use.
        QCOMPARE((QStringList { w.wahrung->text(), w.wahrungpf->text(), w.pfändern->text() }),
                 (QStringList { "&Währung <EUR> ändern", "Wä&hrung <Cent> ändern", "Die Bezeichnung <Cent wie oben> ändern" }));
        QCOMPARE(w.Label2->text(), QStringLiteral("Netto"));
        QStringList actualFiles = filesIn(tmp.path());
        actualFiles.sort();
        expectedFiles.sort();
        QCOMPARE(actualFiles, expectedFiles);
        QCOMPARE(get(tmp.path(), stored[0]), QByteArray("EUR\r\n"));
        QCOMPARE(get(tmp.path(), stored[1]), QByteArray("Cent\r\n"));
        QCOMPARE(get(tmp.path(), stored[2]), QByteArray("Cent wie oben\r\n"));
        QCOMPARE(get(tmp.path(), stored[3]), QByteArray("19\r\n"));

        // The next start shows the same, and each entry offers its new value.
        ScriptedPlatform again(tmp.path());
        quitt restarted(again);
        QCOMPARE(wording(restarted), wording("EUR", "Cent", "Cent wie oben", "19"));
        QVERIFY(again.messages.isEmpty());
        again.inputAnswers = { QStringLiteral("7") };
        restarted.mwständern->trigger();
        QCOMPARE(again.inputs.size(), 1);
        QCOMPARE(again.inputs[0].defaultText, QStringLiteral("19"));
        QCOMPARE(restarted.Combo2->currentText(), QStringLiteral("7"));
    }

    void cancelChangesNothing()
    {
        QTemporaryDir tmp;
        put(tmp.path(), "erst.dat", {});
        put(tmp.path(), "DM.dat", "Mark\r\n");
        ScriptedPlatform platform(tmp.path());
        quitt w(platform);
        const QStringList before = wording(w);
        const auto files = snapshot(tmp.path());

        platform.messageAnswers = { Platform::Answer::Cancel };
        chooseEuro(w);

        QCOMPARE(platform.messages.size(), 1);
        QCOMPARE(wording(w), before);
        QCOMPARE(wording(w), wording("Mark", "Pf", "Pfennige wie oben", "16"));
        QCOMPARE(snapshot(tmp.path()), files);
    }

    void aFailingWriteIsNamedAndTheRestIsSwitched_data()
    {
        QTest::addColumn<QStringList>("failing");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("hundredth")
            << QStringList { "pf.dat" } << wording("EUR", "Pfennig", "Cent wie oben", "19");
        QTest::newRow("currency and rate")
            << QStringList { "dm.dat", "mwst.dat" } << wording("Mark", "Cent", "Cent wie oben", "16");
        QTest::newRow("all four")
            << QStringList { "dm.dat", "pf.dat", "wieoben.dat", "mwst.dat" }
            << wording("Mark", "Pfennig", "Pfennige wie oben", "16");
    }
    void aFailingWriteIsNamedAndTheRestIsSwitched()
    {
        QFETCH(QStringList, failing);
        QFETCH(QStringList, expected);

        QTemporaryDir tmp;
        put(tmp.path(), "erst.dat", {});
        put(tmp.path(), "dm.dat", "Mark\r\n");
        put(tmp.path(), "pf.dat", "Pfennig\r\n");
        ScriptedPlatform platform(tmp.path());
        quitt w(platform);
        platform.files().setFaultHook([failing](WorkDir::Op op, const QString &name) {
            return op == WorkDir::Op::Write && failing.contains(name.toLower());
        });

        chooseEuro(w);

        QCOMPARE(platform.messages.size(), 2);
        const QString report = platform.messages[1].text;
        for (const QString name : { "dm.dat", "pf.dat", "wieoben.dat", "mwst.dat" })
            QVERIFY2(report.contains('"' + name + '"') == failing.contains(name), qPrintable(report));
        QCOMPARE(wording(w), expected);

        // What the window shows is what the files hold: a new start agrees.
        ScriptedPlatform again(tmp.path());
        quitt restarted(again);
        QCOMPARE(wording(restarted), expected);
    }

    // A folder without settings and receipts starts in euros; one that
    // already holds either keeps what it has.
    void newFolderStartsInEuros_data()
    {
        QTest::addColumn<QString>("present"); // a file already there, or none
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("empty folder") << "" << wording("EUR", "Cent", "Cent wie oben", "19");
        QTest::newRow("another kind of file") << "notiz.txt" << wording("EUR", "Cent", "Cent wie oben", "19");
        QTest::newRow("a receipt") << "7.NUM" << wording("DM", "Pf", "Pfennige wie oben", "16");
        QTest::newRow("a settings file") << "von.dat" << wording("DM", "Pf", "Pfennige wie oben", "16");
    }
    void newFolderStartsInEuros()
    {
        QFETCH(QString, present);
        QFETCH(QStringList, expected);
        QTemporaryDir tmp;
        if (!present.isEmpty())
            put(tmp.path(), present, "x\r\n");
        {
            ScriptedPlatform platform(tmp.path());
            quitt w(platform);
            QCOMPARE(wording(w), expected);
            QCOMPARE(w.wahrung->text(), QStringLiteral("&Währung <%1> ändern").arg(expected[0]));
        }
        QCOMPARE(get(tmp.path(), "mwst.dat"), present.isEmpty() || present.endsWith(".txt") ? QByteArray("19\r\n")
                                                                                           : QByteArray("<missing>"));
        // The next start keeps it.
        ScriptedPlatform again(tmp.path());
        quitt restarted(again);
        QCOMPARE(wording(restarted), expected);
    }
};

QTEST_MAIN(TestEuro)
#include "tst_euro.moc"
