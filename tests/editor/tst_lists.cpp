#include "settings/listfile.h"
#include "platform/workdir.h"
#include "tests/testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using testsupport::put;
using testsupport::get;

class TestLists : public QObject
{
    Q_OBJECT

private slots:
    void skipRules_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("ruleA");
        QTest::addColumn<QStringList>("ruleB");
        QTest::newRow("file order kept, sorting is the box's")
            << QStringList { "Schulz", "meier", "Adler" } << QStringList { "Schulz", "meier", "Adler" }
            << QStringList { "Schulz", "meier", "Adler" };
        QTest::newRow("empty lines never are entries")
            << QStringList { "", "Adler", "", "" } << QStringList { "Adler" } << QStringList { "Adler" };
        QTest::newRow("three blanks: an entry only by rule A")
            << QStringList { "Miete", "   " } << QStringList { "Miete", "   " } << QStringList { "Miete" };
        QTest::newRow("entries stay untrimmed")
            << QStringList { "  Adler ", " x" } << QStringList { "  Adler ", " x" } << QStringList { "  Adler ", " x" };
    }
    void skipRules()
    {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, ruleA);
        QFETCH(QStringList, ruleB);
        QCOMPARE(listfile::entries(lines, listfile::Skip::EmptyLines), ruleA);
        QCOMPARE(listfile::entries(lines, listfile::Skip::BlankLines), ruleB);
    }

    void editorText_data()
    {
        QTest::addColumn<QString>("editor");
        QTest::addColumn<QString>("file");
        QTest::newRow("unchanged file: one empty line more")
            << "Schulz\nmeier\nAdler\n" << "Schulz\r\nmeier\r\nAdler\r\n\r\n";
        QTest::newRow("last line typed without Enter") << "Adler\nSchulz, Hans" << "Adler\r\nSchulz, Hans\r\n";
        QTest::newRow("empty edit box: one empty line") << "" << "\r\n";
        QTest::newRow("blanks and tabs unchanged") << " a\t b " << " a\t b \r\n";
    }
    void editorText()
    {
        QFETCH(QString, editor);
        QFETCH(QString, file);
        QCOMPARE(listfile::fromEditorText(editor), file);
    }

    void knows_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("known");
        const QStringList payers { "Schulz, Hans, Hauptstr. 1, Bonn", "Adler" };
        QTest::newRow("same line") << payers << "Adler" << true;
        QTest::newRow("other letter case") << payers << "aDLER" << true;
        QTest::newRow("surname within a longer line") << payers << "schulz" << true;
        QTest::newRow("blanks around the entry do not count") << payers << "  hauptstr. 1  " << true;
        QTest::newRow("umlauts without regard to case") << QStringList { "Müller" } << "MÜLLER" << true;
        QTest::newRow("not in any line") << payers << "Meier" << false;
        QTest::newRow("ss is not sharp s") << QStringList { QString::fromUtf8("Gro\xc3\x9fmann, Bonn") } << "Grossmann"
                                           << false;
        QTest::newRow("sharp s in other case around it") << QStringList { QString::fromUtf8("Gro\xc3\x9fmann, Bonn") }
                                                         << QString::fromUtf8("GRO\xc3\x9fMANN") << true;
        QTest::newRow("longer than every line") << payers << "Adlerhorst" << false;
        QTest::newRow("empty list knows nothing") << QStringList() << "Adler" << false;
    }
    void knows()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, entry);
        QFETCH(bool, known);
        QCOMPARE(listfile::knows(lines, entry), known);
    }

    void remember_data()
    {
        QTest::addColumn<QByteArray>("before"); // "<missing>": no file
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("new entry at the end, trimmed") << QByteArray("Schulz\r\n") << "  Adler " << QByteArray("Schulz\r\nAdler\r\n");
        QTest::newRow("known entry: file unchanged") << QByteArray("Schulz, Hans\r\n") << "schulz" << QByteArray("Schulz, Hans\r\n");
        QTest::newRow("no file: created with the entry") << QByteArray("<missing>") << "Adler" << QByteArray("Adler\r\n");
        QTest::newRow("empty entry, no file: empty file") << QByteArray("<missing>") << "  " << QByteArray("");
        QTest::newRow("empty entry, file: unchanged") << QByteArray("Adler\r\n") << "" << QByteArray("Adler\r\n");
        QTest::newRow("empty entry, empty file: unchanged") << QByteArray("") << "" << QByteArray("");
        QTest::newRow("last line without line end does not run into the entry")
            << QByteArray("Schulz") << "Adler" << QByteArray("Schulz\r\nAdler\r\n");
        QTest::newRow("code page kept") << QByteArray("M\xfcller\r\n") << QString::fromUtf8("Stra\xc3\x9f" "e 5 \xe2\x82\xac")
                                        << QByteArray("M\xfcller\r\nStra\xdf" "e 5 \x80\r\n");
    }
    void remember()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, entry);
        QFETCH(QByteArray, after);
        QTemporaryDir tmp;
        if (before != "<missing>")
            put(tmp.path(), "von.dat", before);
        WorkDir dir(tmp.path());
        QString error;
        QVERIFY(RememberListEntry(dir, entry, "von.dat", &error));
        QCOMPARE(get(tmp.path(), "von.dat"), after);
    }

    void rememberUsesTheStoredSpelling()
    {
        QTemporaryDir tmp;
        put(tmp.path(), "FUER.DAT", "Miete\r\n");
        WorkDir dir(tmp.path());
        QVERIFY(RememberListEntry(dir, "Strom", "fuer.dat"));
        QCOMPARE(QDir(tmp.path()).entryList(QDir::Files), QStringList { "FUER.DAT" });
        QCOMPARE(get(tmp.path(), "FUER.DAT"), QByteArray("Miete\r\nStrom\r\n"));
    }

    void rememberReportsFailures_data()
    {
        QTest::addColumn<int>("failing");
        QTest::newRow("list cannot be read") << int(WorkDir::Op::Read);
        QTest::newRow("list cannot be written") << int(WorkDir::Op::Write);
    }
    void rememberReportsFailures()
    {
        QFETCH(int, failing);
        QTemporaryDir tmp;
        put(tmp.path(), "von.dat", "Schulz\r\n");
        WorkDir dir(tmp.path());
        dir.setFaultHook([failing](WorkDir::Op op, const QString &) { return int(op) == failing; });
        QString error;
        QVERIFY(!RememberListEntry(dir, "Adler", "von.dat", &error));
        QVERIFY2(error.contains("von.dat"), qPrintable(error));
        QCOMPARE(get(tmp.path(), "von.dat"), QByteArray("Schulz\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestLists)
#include "tst_lists.moc"
