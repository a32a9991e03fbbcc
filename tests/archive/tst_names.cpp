#include "archive/datev.h"
#include "archive/evaluation.h"
#include "archive/saving.h"
#include "archive/search.h"
#include "settings/listfile.h"
#include "settings/settings.h"
#include "tests/testsupport.h"
#include "text/codepage.h"
#include "text/textfile.h"

#include <QTemporaryDir>
#include <QTest>

using testsupport::get;
using testsupport::put;

namespace {

ReceiptRecord receipt(const QString &payer, const QString &purpose)
{
    ReceiptRecord r;
    r.number = QStringLiteral("1");
    r.netUnits = QStringLiteral("84");
    r.netPennies = QStringLiteral("03");
    r.vatUnits = QStringLiteral("15");
    r.vatPennies = QStringLiteral("97");
    r.totalUnits = QStringLiteral("100");
    r.totalPennies = QStringLiteral("00");
    r.amountInWords = QStringLiteral("----einhundert----");
    r.payer = payer;
    r.purpose = purpose;
    r.vatRate = QStringLiteral("19");
    r.date = QStringLiteral("02.12.2026");
    r.place = QStringLiteral("Bonn");
    return r;
}

DatevSettings datevSettings()
{
    DatevSettings s = DatevSettings::defaults(DatevSettings::Chart::Skr03);
    s.consultant = 29098;
    s.client = 55003;
    return s;
}

} // namespace

class TestNames : public QObject
{
    Q_OBJECT

private slots:
    // A name goes through every part of the program that stores, finds or
    // hands on text: saved (in UTF-8 only where Windows-1252 lacks a letter),
    // remembered in the payer list, loaded, found without regard to case,
    // evaluated, and written into the DATEV file in Latin letters.
    void nameKeptThroughout_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("utf8");
        QTest::addColumn<QString>("term");  // typed into the search, in other letter case
        QTest::addColumn<QString>("latin"); // in the DATEV file
        QTest::newRow("Polish") << QStringLiteral("Nowak, Łukasz") << true << QStringLiteral("łUKASZ")
                                << QStringLiteral("Nowak, Lukasz");
        QTest::newRow("Turkish") << QStringLiteral("Yıldız, Ayşe") << true << QStringLiteral("AYŞE")
                                 << QStringLiteral("Yildiz, Ayse");
        QTest::newRow("Turkish capital İ, dotless search") << QStringLiteral("İlhan Öztürk") << true
                                                           << QStringLiteral("ilhan öz") << QStringLiteral("Ilhan Öztürk");
        QTest::newRow("Czech") << QStringLiteral("Dvořák, Jiří") << true << QStringLiteral("DVOŘÁK")
                               << QStringLiteral("Dvorák, Jirí"); // "á" and "í" are in Windows-1252
        QTest::newRow("Romanian") << QStringLiteral("Ștefănescu, Ioana") << true << QStringLiteral("ștefă")
                                  << QStringLiteral("Stefanescu, Ioana");
        QTest::newRow("German stays Windows-1252") << QStringLiteral("Müller, Jürgen") << false
                                                   << QStringLiteral("MÜLLER") << QStringLiteral("Müller, Jürgen");
    }
    void nameKeptThroughout()
    {
        QFETCH(QString, name);
        QFETCH(bool, utf8);
        QFETCH(QString, term);
        QFETCH(QString, latin);
        QTemporaryDir tmp;
        WorkDir dir(tmp.path());
        // An older list in Windows-1252 that the new name joins.
        put(tmp.path(), "von.dat", "M\xfcller, Hans\r\n");
        const SaveOutcome saved = SaveReceipt(dir, receipt(name, QStringLiteral("Miete Dezember")));
        QCOMPARE(saved.result, SaveOutcome::Result::Saved);

        const QByteArray bytes = get(tmp.path(), "1.num");
        QCOMPARE(codepage::isUtf8(bytes), utf8);
        QVERIFY(!bytes.mid(3).startsWith("\xEF\xBB\xBF"));
        const QByteArray list = get(tmp.path(), "von.dat");
        QCOMPARE(codepage::isUtf8(list), utf8);
        QCOMPARE(textfile::readLines(dir, "von.dat"), (QStringList { QStringLiteral("Müller, Hans"), name }));

        const auto loaded = LoadReceipt(dir, "1.num");
        QVERIFY(loaded);
        QCOMPARE(loaded->payer, name);

        const QStringList files = receiptFileList(dir);
        const SearchResults found = SearchReceipts(dir, files, term);
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.storedLine(0), name);
        const SearchResults::Summary summary = found.summary(0);
        QCOMPARE((QStringList { summary.date, summary.payer, summary.total }),
                 (QStringList { QStringLiteral("02.12.2026"), name, QStringLiteral("100,00") }));
        QCOMPARE(SearchReceipts(dir, files, term + QStringLiteral("x")).size(), 0);

        const auto rows = EvaluateReceipts(dir, files, { term, {}, {} });
        QCOMPARE(rows.size(), size_t(1));
        QCOMPARE(rows.front().payer, name);
        QCOMPARE(rows.front().total.cents, 10000);
        QCOMPARE(rows.front().rate, 1900);

        const auto batches = datev::bookingBatches(datevSettings(), rows, { 0 }, QDateTime(QDate(2026, 12, 7), QTime(9, 0)));
        QCOMPARE(batches.files.size(), size_t(1));
        const QList<QStringList> lines = testsupport::datevLines(batches.files.front().bytes);
        QCOMPARE(lines.size(), 3);
        QCOMPARE(testsupport::unquoted(lines.at(2).at(13)), QStringLiteral("Miete Dezember, ") + latin);
        QCOMPARE(batches.transliterated, utf8 ? QStringList { QStringLiteral("1") } : QStringList());
        QCOMPARE(datev::transliteratedMessage(batches.transliterated).contains(QStringLiteral("Nr. 1")), utf8);
    }

    // Each writer chooses the encoding by the text alone, and each reader
    // takes both: a file rewritten without the letters goes back to
    // Windows-1252; a line break and a lone half of a surrogate pair are
    // still refused.
    void encodingFollowsTheText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes"); // empty: refused, nothing written
        QTest::newRow("Windows-1252") << QStringLiteral("Gr\u00fc\u00dfe 5 \u20ac") << QByteArray("Gr\xfc\xdf" "e 5 \x80\r\n");
        QTest::newRow("Polish") << QStringLiteral("\u0141\u00f3d\u017a") << QByteArray("\xEF\xBB\xBF\xC5\x81\xC3\xB3\x64\xC5\xBA\r\n");
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QByteArray();
    }
    void encodingFollowsTheText()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QTemporaryDir tmp;
        WorkDir dir(tmp.path());
        put(tmp.path(), "ort.dat", "alt\r\n");
        QString error;
        QCOMPARE(WriteSetting(dir, "ort.dat", text, &error), !bytes.isEmpty());
        QCOMPARE(get(tmp.path(), "ort.dat"), bytes.isEmpty() ? QByteArray("alt\r\n") : bytes);
        QCOMPARE(ReadSetting(dir, "ort.dat"), bytes.isEmpty() ? QStringLiteral("alt") : text);
        QVERIFY(!WriteSetting(dir, "ort.dat", text + QStringLiteral("\nx"), &error));
    }

    // The list stays in the encoding it has as long as it can: a Windows-1252
    // entry appended to a UTF-8 list goes in UTF-8.
    void listKeepsItsEncoding()
    {
        QTemporaryDir tmp;
        WorkDir dir(tmp.path());
        QVERIFY(RememberListEntry(dir, QStringLiteral("Łukasz"), "fuer.dat"));
        QVERIFY(RememberListEntry(dir, QStringLiteral("Jürgen"), "fuer.dat"));
        QVERIFY(RememberListEntry(dir, QStringLiteral("ŁUKASZ"), "fuer.dat")); // known, in other case
        QCOMPARE(get(tmp.path(), "fuer.dat"), QByteArray("\xEF\xBB\xBF\xC5\x81ukasz\r\nJ\xC3\xBCrgen\r\n"));
    }

    void postingText_data()
    {
        QTest::addColumn<QString>("payer");
        QTest::addColumn<QString>("purpose");
        QTest::addColumn<QString>("text");
        QTest::newRow("purpose first") << "Anna Schulz" << "Miete Dezember" << "Miete Dezember, Anna Schulz";
        QTest::newRow("cut at a word, the purpose whole")
            << "Wohnungsbaugenossenschaft Erlenbach eingetragene Genossenschaft"
            << "Miete Dezember" << "Miete Dezember, Wohnungsbaugenossenschaft Erlenbach";
        QTest::newRow("one word longer than the field") << QString(70, QLatin1Char('x')) << ""
                                                        << QString(60, QLatin1Char('x'));
        QTest::newRow("no payer") << "" << "Miete" << "Miete";
    }
    void postingText()
    {
        QFETCH(QString, payer);
        QFETCH(QString, purpose);
        QFETCH(QString, text);
        QCOMPARE(datev::postingText(payer, purpose), text);
        QVERIFY(text.size() <= 60);
    }

    // The header's period (fields 15 and 16) and the file name are the
    // period chosen, within the fiscal year; open ends are the receipts'.
    void datevPeriodIsTheChosenOne_data()
    {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QString>("period");
        QTest::newRow("chosen") << QDate(2026, 12, 1) << QDate(2026, 12, 31) << "20261201_20261231";
        QTest::newRow("open ends") << QDate() << QDate() << "20261202_20261202";
        QTest::newRow("beyond the fiscal year") << QDate(2025, 7, 1) << QDate(2027, 6, 30) << "20260101_20261231";
    }
    void datevPeriodIsTheChosenOne()
    {
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QString, period);
        const EvaluationRow row = evaluationRow("1.num", 0, codepage::fileBytes(receiptfile::text(receipt("A", "B"))).value());
        const auto batches = datev::bookingBatches(datevSettings(), { row }, { 0 }, QDateTime(QDate(2026, 12, 7), QTime(9, 0)), from, to);
        QCOMPARE(batches.files.size(), size_t(1));
        const QStringList header = testsupport::datevLines(batches.files.front().bytes).first();
        QCOMPARE(header.at(14) + QLatin1Char('_') + header.at(15), period);
        QCOMPARE(batches.files.front().name, QStringLiteral("EXTF_Buchungsstapel_%1.csv").arg(period));
    }
};

QTEST_GUILESS_MAIN(TestNames)
#include "tst_names.moc"
