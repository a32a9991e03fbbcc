#include "archive/saving.h"
#include "platform/workdir.h"
#include "tests/testsupport.h"
#include "text/codepage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

using testsupport::put;
using testsupport::get;
using testsupport::filesIn;

ReceiptRecord receipt(const QString &number)
{
    ReceiptRecord r;
    r.number = number;
    r.netUnits = "86";
    r.netPennies = "21";
    r.vatUnits = "13";
    r.vatPennies = "79";
    r.totalUnits = "100";
    r.totalPennies = "00";
    r.amountInWords = "----einhundert----";
    r.payer = QString::fromUtf8("Müller, Hans");
    r.purpose = "Miete";
    r.vatRate = "16";
    r.place = "Bonn";
    r.date = "07.12.2026";
    return r;
}

using Result = SaveOutcome::Result;

} // namespace

class TestSave : public QObject
{
    Q_OBJECT

private slots:
    void savesTheTwelveLines()
    {
        QTemporaryDir tmp;
        WorkDir dir(tmp.path());
        ReceiptRecord r = receipt(" 12 ");
        r.amountInWords = QString::fromUtf8("----einhundert---- €");
        const SaveOutcome out = SaveReceipt(dir, r);
        QCOMPARE(out.result, Result::Saved);
        QCOMPARE(out.message, QString("Quittung wurde gespeichert!"));
        // Number as typed, net, VAT, total, words, payer, purpose, date, place; no rate.
        QCOMPARE(get(tmp.path(), "12.num"), QByteArray(" 12 \r\n86\r\n21\r\n13\r\n79\r\n100\r\n00\r\n"
                                                       "----einhundert---- \x80\r\nM\xfcller, Hans\r\nMiete\r\n")
                     + (r.date + "\r\n" + r.place + "\r\n").toLatin1());
        QCOMPARE(get(tmp.path(), "nummer.dat"), QByteArray("12\r\n"));
        QCOMPARE(get(tmp.path(), "von.dat"), QByteArray("M\xfcller, Hans\r\n"));
        QCOMPARE(get(tmp.path(), "fuer.dat"), QByteArray("Miete\r\n"));
        QCOMPARE(filesIn(tmp.path()), (QStringList { "12.num", "fuer.dat", "journal.txt", "nummer.dat", "von.dat" }));
    }

    void emptyFieldsStillGiveTwelveLines()
    {
        QTemporaryDir tmp;
        WorkDir dir(tmp.path());
        ReceiptRecord r;
        r.number = "3";
        QCOMPARE(SaveReceipt(dir, r).result, Result::Saved);
        QCOMPARE(get(tmp.path(), "3.num"), QByteArray("3\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n"));
        // Nothing joins the lists, but they exist from now on.
        QCOMPARE(get(tmp.path(), "von.dat"), QByteArray(""));
        QCOMPARE(get(tmp.path(), "fuer.dat"), QByteArray(""));
    }

    void lastSavedNotHighest()
    {
        QTemporaryDir tmp;
        WorkDir dir(tmp.path());
        QCOMPARE(SaveReceipt(dir, receipt("9")).result, Result::Saved);
        QCOMPARE(SaveReceipt(dir, receipt("5")).result, Result::Saved);
        QCOMPARE(get(tmp.path(), "nummer.dat"), QByteArray("5\r\n"));
        // The payer and purpose of the second receipt were known already.
        QCOMPARE(get(tmp.path(), "von.dat"), QByteArray("M\xfcller, Hans\r\n"));
    }

    // A desk that stalls while recording its number finds a receipt saved
    // later by another desk recorded: that number stays.
    void aLaterSaveElsewhereKeepsItsNumber_data()
    {
        QTest::addColumn<QString>("other");
        QTest::addColumn<QByteArray>("recorded");
        QTest::newRow("saved later elsewhere") << "13" << QByteArray("13\r\n");
        QTest::newRow("nothing else saved") << QString() << QByteArray("12\r\n");
    }
    void aLaterSaveElsewhereKeepsItsNumber()
    {
        QFETCH(QString, other);
        QFETCH(QByteArray, recorded);
        QTemporaryDir tmp;
        put(tmp.path(), "nummer.dat", "11\r\n");
        put(tmp.path(), "11.num", "x");
        WorkDir dir(tmp.path());
        WorkDir elsewhere(tmp.path());
        Result otherSaved = Result::Saved;
        dir.setFaultHook([&](WorkDir::Op op, const QString &name) {
            // This desk stalls while it holds nummer.dat's lock: the other
            // takes it over and saves.
            if (op == WorkDir::Op::Read && name == "nummer.dat" && !other.isEmpty()) {
                QFile::remove(tmp.path() + "/.zettelfix-nummer.dat.lock");
                otherSaved = SaveReceipt(elsewhere, receipt(std::exchange(other, QString()))).result;
            }
            return false;
        });
        QCOMPARE(SaveReceipt(dir, receipt("12")).result, Result::Saved);
        QCOMPARE(otherSaved, Result::Saved);
        QCOMPARE(get(tmp.path(), "nummer.dat"), recorded);
    }

    void existingReceiptIsKept_data()
    {
        QTest::addColumn<QString>("existing");
        QTest::addColumn<QString>("number");
        QTest::newRow("same name") << "12.num" << "12";
        QTest::newRow("typed with blanks") << "12.num" << " 12 ";
        QTest::newRow("other letter case of the suffix") << "12.NUM" << "12";
        QTest::newRow("other letter case of the number") << "a7.num" << "A7";
    }
    void existingReceiptIsKept()
    {
        QFETCH(QString, existing);
        QFETCH(QString, number);
        QTemporaryDir tmp;
        put(tmp.path(), existing, "old\r\n");
        put(tmp.path(), "nummer.dat", "40\r\n");
        WorkDir dir(tmp.path());
        const SaveOutcome out = SaveReceipt(dir, receipt(number));
        QCOMPARE(out.result, Result::Refused);
        QCOMPARE(out.message, "Eine Datei mit der Quittungs-Nr. " + number.trimmed() + " existiert bereits!");
        QCOMPARE(get(tmp.path(), existing), QByteArray("old\r\n"));
        QCOMPARE(get(tmp.path(), "nummer.dat"), QByteArray("40\r\n"));
        QCOMPARE(filesIn(tmp.path()), (QStringList { existing, "nummer.dat" }));
    }

    void secondCopySavingAtTheSameMoment()
    {
        // The other copy of the program creates the receipt after this one
        // looked for it and before it writes.
        QTemporaryDir tmp;
        WorkDir dir(tmp.path());
        WorkDir other(tmp.path());
        dir.setFaultHook([&](WorkDir::Op op, const QString &name) {
            if (op == WorkDir::Op::Create)
                other.createNew(name, "other copy\r\n");
            return false;
        });
        const SaveOutcome out = SaveReceipt(dir, receipt("12"));
        QCOMPARE(out.result, Result::Refused);
        QCOMPARE(out.message, QString("Eine Datei mit der Quittungs-Nr. 12 existiert bereits!"));
        QCOMPARE(get(tmp.path(), "12.num"), QByteArray("other copy\r\n"));
        QCOMPARE(filesIn(tmp.path()), QStringList { "12.num" });
    }

    void unsafeNumbersAreRefused_data()
    {
        QTest::addColumn<QString>("number");
        QTest::newRow("empty") << "";
        QTest::newRow("blanks only") << "   ";
        QTest::newRow("slash") << "../12";
        QTest::newRow("slash inside") << "2026/12";
        QTest::newRow("absolute path") << "/tmp/x";
        QTest::newRow("backslash") << "..\\12";
        QTest::newRow("dot") << ".";
        QTest::newRow("dot dot") << " .. ";
        QTest::newRow("star") << "1*";
        QTest::newRow("question mark") << "1?";
        QTest::newRow("colon") << "C:12";
        QTest::newRow("pipe") << "1|2";
        QTest::newRow("angle bracket") << "1>2";
        QTest::newRow("quote") << "1\"2";
        QTest::newRow("tab inside") << "1\t2";
        QTest::newRow("line feed inside") << "1\n2";
        QTest::newRow("line feed at the end") << "12\n";
        QTest::newRow("NUL") << QString("1") + QChar(0) + "2";
        QTest::newRow("escape") << "1\x1b" "2";
        QTest::newRow("DEL") << "1\x7f";
        QTest::newRow("C1 control") << QString("1") + QChar(0x85);
        QTest::newRow("outside Windows-1252") << QString::fromUtf8("12\xe2\x80\x89" "3"); // thin space
        QTest::newRow("Cyrillic") << QString::fromUtf8("\xd0\x96");
        QTest::newRow("emoji") << QString::fromUtf8("1\xf0\x9f\x98\x80");
    }
    void unsafeNumbersAreRefused()
    {
        QFETCH(QString, number);
        QTemporaryDir tmp;
        WorkDir dir(tmp.path() + "/work");
        QVERIFY(QDir(tmp.path()).mkdir("work"));
        const SaveOutcome out = SaveReceipt(dir, receipt(number));
        QCOMPARE(out.result, Result::Refused);
        QCOMPARE(out.message, QString::fromUtf8("Bitte vergeben Sie zum Speichern eine Quittungs-Nummer. Sie wird "
                                                "automatisch bei einer neuen Quittung erhöht!\r\n"
                                                "Bitte nur ganze Zahlen, keine Sonderzeichen etc."));
        QCOMPARE(filesIn(tmp.path() + "/work"), QStringList());
        QCOMPARE(filesIn(tmp.path()), QStringList());
        QCOMPARE(QDir(tmp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList { "work" });
    }

    void unusualButSafeNumbersAreSaved_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("file");
        QTest::newRow("letters") << "12a" << "12a.num";
        QTest::newRow("euro sign") << QString::fromUtf8("€5") << QString::fromUtf8("€5.num");
        QTest::newRow("umlaut") << QString::fromUtf8("Ä1") << QString::fromUtf8("Ä1.num");
        QTest::newRow("dots inside") << "2026.12" << "2026.12.num";
        QTest::newRow("blank inside") << "12 b" << "12 b.num";
        QTest::newRow("minus") << "-3" << "-3.num";
    }
    void unusualButSafeNumbersAreSaved()
    {
        QFETCH(QString, number);
        QFETCH(QString, file);
        QTemporaryDir tmp;
        WorkDir dir(tmp.path());
        QCOMPARE(SaveReceipt(dir, receipt(number)).result, Result::Saved);
        QVERIFY(filesIn(tmp.path()).contains(file));
        QCOMPARE(get(tmp.path(), "nummer.dat"), codepage::encode(number + "\r\n").value());
    }

    void fieldsThatCannotBeStoredAreRefused_data()
    {
        QTest::addColumn<QString>("payer");
        QTest::addColumn<QString>("purpose");
        QTest::addColumn<QString>("field");
        // Half a surrogate pair, as a broken paste can leave it: no file holds it.
        QTest::newRow("payer with half a character")
            << QString::fromUtf8("Łukasz") + QChar(0xD83D) << "Miete" << QString("Betrag erhalten von");
        QTest::newRow("purpose with half a character")
            << "Adler" << QString::fromUtf8("Miete ") + QChar(0xDE00) << QString::fromUtf8("für");
        QTest::newRow("line break in the payer would split the file")
            << "Adler\r\nHans" << "Miete" << QString("Betrag erhalten von");
    }
    void fieldsThatCannotBeStoredAreRefused()
    {
        QFETCH(QString, payer);
        QFETCH(QString, purpose);
        QFETCH(QString, field);
        QTemporaryDir tmp;
        WorkDir dir(tmp.path());
        ReceiptRecord r = receipt("12");
        r.payer = payer;
        r.purpose = purpose;
        const SaveOutcome out = SaveReceipt(dir, r);
        QCOMPARE(out.result, Result::Refused);
        QVERIFY2(out.message.contains("\"" + field + "\""), qPrintable(out.message));
        QVERIFY(!out.message.contains("Quittung wurde gespeichert!"));
        QCOMPARE(filesIn(tmp.path()), QStringList());
    }

    void writeFailures_data()
    {
        QTest::addColumn<QString>("failing");
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("written");
        QTest::newRow("receipt file: nothing else written")
            << "12.num" << int(Result::Failed) << QStringList { "fuer.dat", "von.dat" };
        QTest::newRow("nummer.dat: the lists still learn")
            << "nummer.dat" << int(Result::Incomplete) << QStringList { "12.num", "fuer.dat", "journal.txt", "von.dat" };
        QTest::newRow("payer list: number and purposes still recorded")
            << "von.dat" << int(Result::Incomplete)
            << QStringList { "12.num", "fuer.dat", "journal.txt", "nummer.dat", "von.dat" };
        QTest::newRow("purpose list")
            << "fuer.dat" << int(Result::Incomplete)
            << QStringList { "12.num", "fuer.dat", "journal.txt", "nummer.dat", "von.dat" };
    }
    void writeFailures()
    {
        QFETCH(QString, failing);
        QFETCH(int, result);
        QFETCH(QStringList, written);
        QTemporaryDir tmp;
        put(tmp.path(), "von.dat", "Adler\r\n");
        put(tmp.path(), "fuer.dat", "Strom\r\n");
        WorkDir dir(tmp.path());
        dir.setFaultHook([failing](WorkDir::Op op, const QString &name) {
            return op != WorkDir::Op::Read && name.compare(failing, Qt::CaseInsensitive) == 0;
        });
        const SaveOutcome out = SaveReceipt(dir, receipt("12"));
        QCOMPARE(int(out.result), result);
        QVERIFY2(out.message.contains("\"" + failing + "\""), qPrintable(out.message));
        QVERIFY(!out.message.contains("Quittung wurde gespeichert!"));
        QCOMPARE(filesIn(tmp.path()), written);
        // Each file is whole: the old content or the new one, nothing between.
        const QByteArray receiptFile = get(tmp.path(), "12.num");
        QVERIFY(receiptFile == "<missing>" || receiptFile.count("\r\n") == 12);
        const QByteArray payers = get(tmp.path(), "von.dat");
        QCOMPARE(payers, failing == "von.dat" || failing == "12.num" ? QByteArray("Adler\r\n")
                                                                    : QByteArray("Adler\r\nM\xfcller, Hans\r\n"));
        if (failing == "12.num")
            QCOMPARE(get(tmp.path(), "fuer.dat"), QByteArray("Strom\r\n"));
    }

    // A list or the number linked to a file elsewhere: nothing is written
    // through the link, the message names the file, the receipt is saved.
    void linkedFileIsNotWrittenThrough_data()
    {
        QTest::addColumn<QString>("linked");
        QTest::newRow("payers") << "von.dat";
        QTest::newRow("purposes") << "fuer.dat";
        QTest::newRow("last number") << "nummer.dat";
    }
    void linkedFileIsNotWrittenThrough()
    {
        QFETCH(QString, linked);
        QTemporaryDir tmp, outside;
        put(outside.path(), "eigen.txt", "Adler\r\n");
        QVERIFY(QFile::link(outside.filePath("eigen.txt"), tmp.filePath(linked)));
        WorkDir dir(tmp.path());
        const SaveOutcome out = SaveReceipt(dir, receipt("12"));
        QCOMPARE(int(out.result), int(Result::Incomplete));
        QVERIFY2(out.message.contains("\"" + linked + "\""), qPrintable(out.message));
        QCOMPARE(get(tmp.path(), "12.num").count("\r\n"), 12);
        QCOMPARE(filesIn(outside.path()), QStringList { "eigen.txt" });
        QCOMPARE(get(outside.path(), "eigen.txt"), QByteArray("Adler\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestSave)
#include "tst_save.moc"
