// A search again over what an earlier one read: the same lines as reading
// every file afresh, on a local disk (the folder watched) and on a FAT file
// system through FUSE (each file's stamp checked), and the deletion window's
// search after a deletion.
#include "archive/form8.h"
#include "archive/search.h"
#include "editor/quitt.h"
#include "platform/scriptedplatform.h"
#include "tests/testsupport.h"
#include "text/codepage.h"
#include "text/textlines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <memory>
#include <unistd.h>

namespace {

using testsupport::put;

// The lines of the listed files that hold the term, found the plain way: one
// file after another, decoded, line by line.
QStringList reference(const QString &dir, const QStringList &files, const QString &term)
{
    QStringList out;
    for (const QString &name : files) {
        QFile f(dir + QLatin1Char('/') + name);
        if (!QFileInfo(f).isFile() || !f.open(QIODevice::ReadOnly))
            continue;
        for (const QString &line : textlines::splitLines(codepage::decode(f.readAll()))) {
            if (term.isEmpty() ? !line.isEmpty() : codepage::containsIgnoringCase(line, term))
                out.append(name.chopped(4) + QStringLiteral("          <Nr. - ") + line);
        }
    }
    return out;
}

QStringList texts(const SearchResults &r)
{
    QStringList out;
    for (qsizetype i = 0; i < r.size(); ++i)
        out.append(r.text(i));
    return out;
}

QByteArray receipt(int number, const QString &payer)
{
    return testsupport::receiptBytes(QString::number(number), payer,
                                     QStringLiteral("Miete %1").arg(number % 7 ? QStringLiteral("März") : QStringLiteral("Mai")));
}

} // namespace

class TestSearchAgain : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;

private slots:
    void initTestCase()
    {
        // The desktop's trash goes to a folder of the test's own.
        qputenv("HOME", QFile::encodeName(m_home.path()));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.filePath(".local/share")));
    }

    void sameLinesAsReadingAfresh_data()
    {
        QTest::addColumn<bool>("fat");
        QTest::addColumn<QString>("term");
        QTest::newRow("local disk, a rare term") << false << "zwiebel";
        QTest::newRow("local disk, a common term") << false << QString::fromUtf8("MÄRZ");
        QTest::newRow("local disk, the empty term") << false << QString();
        QTest::newRow("FAT through FUSE, the empty term") << true << QString();
    }

    void sameLinesAsReadingAfresh()
    {
        QFETCH(bool, fat);
        QFETCH(QString, term);
        QTemporaryDir local;
        testsupport::FatFolder stick;
        if (const QString whyNot = fat ? stick.mount() : QString(); !whyNot.isEmpty())
            QSKIP(qPrintable(whyNot));
        const QString path = fat ? stick.folder(QStringLiteral("Quittungen")) : local.path();

        // Enough files for every core to take several pieces of the list.
        const int count = fat ? 100 : 300;
        for (int i = 1; i <= count; ++i)
            put(path, QString::number(i) + ".num", receipt(i, i % 97 ? QStringLiteral("Anna Bär") : QStringLiteral("Xaver Zwiebelmeier")));
        // One receipt is also a file elsewhere under another name, where the
        // watch does not see it change.
        QTemporaryDir elsewhere;
        const QString linked = elsewhere.filePath("10.num");
        if (!fat) {
            put(elsewhere.path(), "10.num", receipt(10, QStringLiteral("Anna Bär")));
            QVERIFY(QFile::remove(path + "/10.num"));
            QCOMPARE(::link(QFile::encodeName(linked).constData(), QFile::encodeName(path + "/10.num").constData()), 0);
        }
        // Written long ago, as far as the stamps tell.
        const QDateTime past = QDateTime::currentDateTimeUtc().addDays(-30);
        for (int i = 1; i <= count; ++i) {
            QFile f(path + QLatin1Char('/') + QString::number(i) + ".num");
            QVERIFY(f.open(QIODevice::ReadWrite) && f.setFileTime(past, QFileDevice::FileModificationTime));
        }

        WorkDir dir(path);
        std::atomic<int> reads = 0;
        dir.setFaultHook([&reads](WorkDir::Op op, const QString &) {
            if (op == WorkDir::Op::Read)
                ++reads;
            return false;
        });
        const QStringList files = receiptFileList(dir);
        QCOMPARE(files.size(), count);
        const QStringList expected = reference(path, files, term);
        QVERIFY(!expected.isEmpty());
        QCOMPARE(texts(SearchReceipts(dir, files, term)), expected);

        // Files stamped just now count as settled, so that the stamps are
        // trusted here at all; each change below moves the modification time.
        ReceiptCache cache(std::chrono::seconds(0));
        reads = 0;
        QCOMPARE(texts(SearchReceipts(dir, files, term, cache)), expected);
        QCOMPARE(reads.load(), count);
        // fusefat keeps a file's time when it is rewritten: nothing read
        // there can be trusted without reading it again.
        reads = 0;
        QCOMPARE(texts(SearchReceipts(dir, files, term, cache)), expected);
        QCOMPARE(reads.load(), fat ? count : 0);

        // One file changed to the same size, one gone, one now a folder.
        const QByteArray before = testsupport::get(path, "7.num");
        const QByteArray changed = receipt(7, QStringLiteral("Zwiebel!"));
        QCOMPARE(changed.size(), before.size());
        put(path, "7.num", changed);
        QVERIFY(QFile::remove(path + "/8.num"));
        QVERIFY(QFile::remove(path + "/9.num"));
        QVERIFY(QDir(path).mkdir("9.num"));
        if (!fat) {
            QFile f(linked);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.seek(testsupport::receiptBytes("10", "", "").size() - 4));
            QCOMPARE(f.write("Ulm\r\n"), 5);
            QVERIFY(f.setFileTime(past.addDays(1), QFileDevice::FileModificationTime));
        }
        reads = 0;
        const QStringList now = reference(path, files, term);
        QVERIFY(now != expected);
        QCOMPARE(texts(SearchReceipts(dir, files, term, cache)), now);
        QCOMPARE(reads.load(), fat ? count : 4);
        // Changed back at once: on FAT within the same stamp.
        put(path, "7.num", before);
        QCOMPARE(texts(SearchReceipts(dir, files, term, cache)), reference(path, files, term));
        QCOMPARE(texts(SearchReceipts(dir, files, term)), reference(path, files, term));
    }

    // The deletion window searches again after each deletion, over the files
    // it already read.
    void deletionWindowReadsNothingAgain()
    {
        QTemporaryDir tmp;
        put(tmp.path(), "erst.dat", "");
        for (int i = 1; i <= 120; ++i)
            put(tmp.path(), QString::number(i) + ".num", receipt(i, i % 3 ? QStringLiteral("Meier") : QStringLiteral("Huber")));
        ScriptedPlatform platform(tmp.path());
        quitt main(platform);
        main.show();
        main.loeschen->trigger();
        Form8 *w = main.archive().deleteWindow();
        QVERIFY(w);
        QVERIFY(QTest::qWaitForWindowExposed(w));
        testsupport::type(w->Text1, QStringLiteral("huber"));
        QTest::keyClick(w->Text1, Qt::Key_Return);
        QCOMPARE(testsupport::listed(w).size(), 40);

        std::atomic<int> reads = 0;
        main.files().setFaultHook([&reads](WorkDir::Op op, const QString &) {
            if (op == WorkDir::Op::Read)
                ++reads;
            return false;
        });
        platform.questionAnswers = { "&Ja" };
        platform.fieldAnswers = { "Doppelt" };
        testsupport::doubleClickRow(w, 1);
        QVERIFY(!QFile::exists(tmp.filePath("6.num")));
        // Only the receipt the question names, the currency's name, the
        // receipt once more for the journal and the journal's end are read;
        // the search after the deletion reads nothing again.
        QCOMPARE(reads.load(), 4);
        QCOMPARE(testsupport::listed(w), reference(tmp.path(), receiptFileList(WorkDir(tmp.path())), "huber"));
        QCOMPARE(testsupport::listed(w).size(), 39);
        main.files().setFaultHook({});
    }
};

QTEST_MAIN(TestSearchAgain)
#include "tst_searchagain.moc"
