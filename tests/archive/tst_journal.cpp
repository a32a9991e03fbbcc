#include "archive/archivecheck.h"
#include "archive/cancellation.h"
#include "archive/journal.h"
#include "archive/saving.h"
#include "archive/search.h"
#include "print/receiptlayout.h"
#include "settings/settings.h"
#include "settings/userdatafile.h"
#include "platform/workdir.h"
#include "../testsupport.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <thread>

using testsupport::get;
using testsupport::put;

namespace {

ReceiptRecord receipt(const QString &number, const QString &units = QStringLiteral("116"),
                      const QString &pennies = QStringLiteral("50"))
{
    ReceiptRecord r;
    r.number = number;
    r.totalUnits = units;
    r.totalPennies = pennies;
    r.netUnits = QStringLiteral("100");
    r.netPennies = QStringLiteral("00");
    r.vatUnits = QStringLiteral("16");
    r.vatPennies = pennies;
    r.amountInWords = QStringLiteral("-----Einhundertsechzehn-----");
    r.payer = QStringLiteral("Müller");
    r.purpose = QStringLiteral("Miete März");
    r.date = QStringLiteral("03.03.2025");
    return r;
}

// The findings without the times and names that differ from run to run.
QStringList normalised(const QStringList &findings)
{
    static const QRegularExpression time(QStringLiteral("\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d"));
    static const QRegularExpression who(QStringLiteral(" von .* auf [^,]*,"));
    QStringList out;
    for (QString f : findings)
        out.append(f.replace(time, QStringLiteral("<Zeit>")).replace(who, QStringLiteral(" von <wer>,")));
    return out;
}

QList<QByteArray> journalLines(const QString &dir)
{
    QList<QByteArray> lines = get(dir, journal::fileName).split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void putLines(const QString &dir, const QList<QByteArray> &lines)
{
    put(dir, journal::fileName, lines.join('\n') + '\n');
}

} // namespace

class TestJournal : public QObject
{
    Q_OBJECT

private slots:
    void chain_data();
    void chain();
    void twoWriters();
    void check_data();
    void check();
    void cancellation_data();
    void cancellation();
    void existingReceipts();
    void settingChanges_data();
    void settingChanges();
};

void TestJournal::chain_data()
{
    QTest::addColumn<QString>("tamper");
    QTest::addColumn<QStringList>("findings");
    QTest::addColumn<int>("torn");

    QTest::newRow("intact") << "" << QStringList() << 0;
    QTest::newRow("an entry's text changed") << "edit" << QStringList { "Protokoll-Eintrag 2: nachträglich geändert" }
                                            << 0;
    QTest::newRow("an entry changed with a new sum")
        << "edit+sum" << QStringList { "Protokoll-Eintrag 3: Kette unterbrochen: ein Eintrag davor wurde geändert oder entfernt" } << 0;
    QTest::newRow("an entry removed")
        << "remove" << QStringList { "Protokoll-Eintrag 3: Kette unterbrochen: ein Eintrag davor wurde geändert oder entfernt" } << 0;
    QTest::newRow("the last entry cut short by a crash") << "torn" << QStringList() << 1;
    QTest::newRow("half an entry with a line end") << "torn+end" << QStringList() << 1;
    QTest::newRow("an entry longer than the end read before appending") << "long" << QStringList() << 0;
}

// Three entries, tampered with; a further entry is appended afterwards and
// must go on from the last complete one.
void TestJournal::chain()
{
    QFETCH(QString, tamper);
    QFETCH(QStringList, findings);
    QFETCH(int, torn);

    QTemporaryDir tmp;
    WorkDir dir(tmp.path());
    for (const QString n : { "1", "2", "3" })
        QVERIFY(journal::append(dir, { journal::action::save, n, "bytes of " + n.toUtf8(), {}, "Tab\there", {}, {} }));
    QList<QByteArray> lines = journalLines(tmp.path());
    QCOMPARE(lines.size(), 3);
    if (tamper.startsWith("edit")) {
        lines[1].replace("Tab", "Tag");
        if (tamper == "edit+sum") {
            const qsizetype cut = lines[1].lastIndexOf('\t');
            const QByteArray body = lines[1].left(cut);
            lines[1] = body + '\t' + journal::sha256Hex(body).toLatin1() + '\r';
        }
        putLines(tmp.path(), lines);
    } else if (tamper == "remove") {
        lines.removeAt(1);
        putLines(tmp.path(), lines);
    } else if (tamper == "long") {
        QVERIFY(journal::append(dir, { journal::action::remove, "3", {}, {}, "weg", QString(1500000, 'x'), {} }));
    } else if (tamper.startsWith("torn")) {
        QByteArray bytes = get(tmp.path(), journal::fileName) + lines[2].left(40);
        if (tamper == "torn+end")
            bytes += "\r\n";
        put(tmp.path(), journal::fileName, bytes);
    }
    dir.refresh();
    const journal::Contents before = journal::read(dir);
    QCOMPARE(before.findings, findings);
    QCOMPARE(before.torn, torn);

    QVERIFY(journal::append(dir, { journal::action::save, "4", "bytes of 4", {}, {}, {}, {} }));
    const journal::Contents after = journal::read(dir);
    QCOMPARE(after.findings, findings);
    QCOMPARE(after.torn, torn);
    QCOMPARE(after.entries.last().number, QString("4"));
    QCOMPARE(after.entries.last().reason, QString());
    QCOMPARE(after.entries.first().reason, QString("Tab\there"));
    QCOMPARE(after.entries.last().fileHash, journal::sha256Hex("bytes of 4"));
}

// Two desks on one folder, each its own WorkDir: no entry lost or mixed.
void TestJournal::twoWriters()
{
    QTemporaryDir tmp;
    auto writer = [&](QString desk) {
        WorkDir dir(tmp.path());
        for (int i = 0; i < 100; ++i)
            journal::append(dir, { journal::action::save, desk + QString::number(i), desk.toUtf8(), {}, {}, {}, {} });
    };
    std::thread a(writer, QStringLiteral("a")), b(writer, QStringLiteral("b"));
    a.join();
    b.join();
    WorkDir dir(tmp.path());
    const journal::Contents c = journal::read(dir);
    QCOMPARE(c.entries.size(), 200);
    QCOMPARE(c.findings, QStringList());
    QCOMPARE(c.torn, 0);
    QSet<QString> numbers;
    for (const journal::Entry &e : c.entries)
        numbers.insert(e.number);
    QCOMPARE(numbers.size(), 200);
}

void TestJournal::check_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("findings");

    const QStringList five { "save 1", "save 2", "save 3", "save 4", "save 5" };
    QTest::newRow("five saved receipts") << five << QStringList();
    QTest::newRow("the four findings of an audit")
        << five + QStringList { "delete 4 Doppelt erfasst", "cancel 2", "edit 3", "drop 3" }
        << QStringList { "Nr. 2: storniert durch Nr. 6", "Nr. 3: nach dem Speichern geändert (gespeichert am <Zeit>)",
                         "Nr. 4: fehlt, gelöscht am <Zeit> von <wer>, Grund: Doppelt erfasst",
                         "Protokoll-Eintrag 5: Kette unterbrochen: ein Eintrag davor wurde geändert oder entfernt" };
    QTest::newRow("a gap never saved, a file put in by hand")
        << QStringList { "save 1", "save 3", "put 7" }
        << QStringList { "Nr. 2: fehlt, nie gespeichert", "Nr. 4: fehlt, nie gespeichert", "Nr. 5: fehlt, nie gespeichert",
                         "Nr. 6: fehlt, nie gespeichert", "Nr. 7: nicht im Protokoll" };
    QTest::newRow("a file removed by hand")
        << QStringList { "save 1", "save 2", "save 3", "unlink 2" }
        << QStringList { "Nr. 2: fehlt, gespeichert am <Zeit>, die Löschung steht nicht im Protokoll" };
    QTest::newRow("a crash while saving leaves no broken chain")
        << QStringList { "save 1", "tear", "save 2" } << QStringList();
}

void TestJournal::check()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, findings);

    QTemporaryDir tmp;
    WorkDir dir(tmp.path());
    for (const QString &step : steps) {
        const QString what = step.section(' ', 0, 0), number = step.section(' ', 1, 1), rest = step.section(' ', 2);
        if (what == "save") {
            QCOMPARE(SaveReceipt(dir, receipt(number)).result, SaveOutcome::Result::Saved);
        } else if (what == "delete") {
            QCOMPARE(DeleteReceipt(dir, number + ".num", nullptr, rest), DeleteResult::Deleted);
        } else if (what == "cancel") {
            QCOMPARE(cancellation::cancel(dir, number + ".num", QDate(2025, 4, 1)).save.result, SaveOutcome::Result::Saved);
        } else if (what == "edit") {
            put(tmp.path(), number + ".num", get(tmp.path(), number + ".num").replace("Miete", "Pacht"));
        } else if (what == "put") {
            put(tmp.path(), number + ".num", codepage::encode(receiptfile::text(receipt(number))).value());
        } else if (what == "unlink") {
            QVERIFY(QFile::remove(tmp.path() + '/' + number + ".num"));
        } else if (what == "drop") {
            QList<QByteArray> lines = journalLines(tmp.path());
            lines.removeAt(number.toInt());
            putLines(tmp.path(), lines);
        } else if (what == "tear") {
            put(tmp.path(), journal::fileName, get(tmp.path(), journal::fileName) + "2\t2025-04-01T10:");
        }
        dir.refresh();
    }
    const QStringList found = normalised(archivecheck::findings(dir));
    QCOMPARE(found, findings);
}

void TestJournal::cancellation_data()
{
    QTest::addColumn<QString>("units");
    QTest::addColumn<QString>("pennies");
    QTest::addColumn<QString>("cancelledUnits");
    QTest::addColumn<QString>("cancelledNet");

    QTest::newRow("whole units") << "116" << "50" << "-116" << "-100";
    QTest::newRow("pennies only") << "0" << "50" << "-0" << "-100";
}

void TestJournal::cancellation()
{
    QFETCH(QString, units);
    QFETCH(QString, pennies);
    QFETCH(QString, cancelledUnits);
    QFETCH(QString, cancelledNet);

    QTemporaryDir tmp;
    WorkDir dir(tmp.path());
    ReceiptRecord original = receipt("1", units, pennies);
    original.page = ReceiptPage();
    QCOMPARE(SaveReceipt(dir, original).result, SaveOutcome::Result::Saved);
    const QByteArray originalBytes = get(tmp.path(), "1.num");

    const cancellation::Outcome done = cancellation::cancel(dir, "1.num", QDate(2025, 4, 1));
    QCOMPARE(done.save.result, SaveOutcome::Result::Saved);
    QCOMPARE(done.number, QString("2"));
    const ReceiptRecord c = *LoadReceipt(dir, "2.num");
    QCOMPARE(c.totalUnits, cancelledUnits);
    QCOMPARE(c.totalPennies, pennies);
    QCOMPARE(c.netUnits, cancelledNet);
    QCOMPARE(c.payer, original.payer);
    QCOMPARE(c.purpose, QString("Storno zu Quittung Nr. 1 vom 03.03.2025: Miete März"));
    QCOMPARE(c.date, QString("01.04.2025"));
    QCOMPARE(c.cancels, QString("1"));
    // Its printed page says what it is.
    QCOMPARE(printSnapshotOf(c).titleWord, cancellation::title);
    QCOMPARE(get(tmp.path(), "1.num"), originalBytes);

    // Neither the original again nor the cancellation.
    for (const QString again : { "1.num", "2.num" }) {
        const cancellation::Outcome refused = cancellation::cancel(dir, again, QDate(2025, 4, 2));
        QCOMPARE(refused.save.result, SaveOutcome::Result::Refused);
        QVERIFY2(refused.save.message.contains("storniert"), qPrintable(refused.save.message));
    }
    QCOMPARE(dir.list(".num").size(), 2);
}

// The first start with receipts and no journal records each once.
void TestJournal::existingReceipts()
{
    QTemporaryDir tmp;
    for (const QString n : { "1", "2" })
        put(tmp.path(), n + ".num", codepage::encode(receiptfile::text(receipt(n))).value());
    WorkDir dir(tmp.path());
    QVERIFY(journal::recordExisting(dir));
    QVERIFY(journal::recordExisting(dir));
    const journal::Contents c = journal::read(dir);
    QCOMPARE(c.entries.size(), 2);
    QCOMPARE(c.entries[0].action, journal::action::found);
    QCOMPARE(c.entries[1].fileHash, journal::sha256Hex(get(tmp.path(), "2.num")));
    QCOMPARE(archivecheck::findings(dir), QStringList());
}

void TestJournal::settingChanges_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("entry"); // file, old text, new text; empty: none

    QTest::newRow("the currency") << "DM.dat" << "CHF" << QStringList { "dm.dat", "EUR\r\n", "CHF\r\n" };
    QTest::newRow("a new tax number") << "steuernr.dat" << "12/345" << QStringList { "steuernr.dat", "", "12/345\r\n" };
    QTest::newRow("the same text again") << "dm.dat" << "EUR" << QStringList();
    QTest::newRow("the printer is not on the page") << "drucker.dat" << "PDF" << QStringList();
    QTest::newRow("the issuer's address") << "anwender.dat" << "Anna Schulz"
                                          << QStringList { "anwender.dat", "", "Anna Schulz\r\n\r\n\r\n\r\n\r\n\r\n" };
}

void TestJournal::settingChanges()
{
    QFETCH(QString, file);
    QFETCH(QString, value);
    QFETCH(QStringList, entry);

    QTemporaryDir tmp;
    put(tmp.path(), "dm.dat", "EUR\r\n");
    WorkDir dir(tmp.path());
    QVERIFY(journal::start(dir));
    if (file == "anwender.dat")
        QVERIFY(WriteUserData(dir, { value, "", "", "", "", "" }));
    else
        QVERIFY(WriteSetting(dir, file, value));
    const journal::Contents c = journal::read(dir);
    QCOMPARE(c.entries.size(), entry.isEmpty() ? 0 : 1);
    if (!entry.isEmpty()) {
        QCOMPARE(c.entries[0].action, journal::action::setting);
        QCOMPARE((QStringList { c.entries[0].number, c.entries[0].oldText, c.entries[0].newText }), entry);
    }
}

QTEST_GUILESS_MAIN(TestJournal)
#include "tst_journal.moc"
