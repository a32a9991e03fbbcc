// A working folder with entries the program never writes: a ".num" that is a
// folder, broken and odd symbolic links, a name in another encoding, a pipe,
// a receipt of ten megabytes. Searching, loading and deleting go on over the
// real receipts among them.
#include "soakfiles.h"

#include "archive/form7.h"
#include "archive/form8.h"
#include "archive/evaluation.h"
#include "archive/receiptcache.h"
#include "archive/search.h"
#include "editor/quitt.h"
#include "platform/scriptedplatform.h"
#include "settings/settings.h"
#include "text/codepage.h"
#include "tests/testsupport.h"

#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/time.h>
#include <sys/stat.h>
#include <unistd.h>

class tst_StrangeDir : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void searchLoadDelete();
    void hostileFiles();
    void lateHardLink();
    void cleanupTestCase();

private:
    QTemporaryDir m_root;
    QString m_work;
};

namespace {

const QByteArray receipt1 = "1\r\n86\r\n21\r\n13\r\n79\r\n100\r\n00\r\nEinhundert -----\r\nMüller\r\nMiete\r\n";

QByteArray bigReceipt()
{
    QByteArray bytes = "9\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\nSechs -----\r\nRiese\r\nLangzweck\r\n";
    const QByteArray filler = QByteArray(99, 'x') + "\n";
    while (bytes.size() < 10 * 1024 * 1024)
        bytes += filler;
    return bytes + "Ende des Riesen";
}

void select(ReceiptSearchWindow *window, const QString &file)
{
    const SearchResults &results = window->results();
    for (qsizetype i = 0; i < results.size(); ++i) {
        if (results.fileName(i) == file) {
            window->List1->setCurrentIndex(window->List1->model()->index(int(i), 0));
            return;
        }
    }
    QStringList all; for (qsizetype i = 0; i < results.size(); ++i) all << results.fileName(i);
    QFAIL(qPrintable(QStringLiteral("not in the results: ") + file + QLatin1Char(' ') + all.join(QLatin1Char(','))));
}

QSet<QString> filesFound(const SearchResults &results)
{
    QSet<QString> files;
    for (qsizetype i = 0; i < results.size(); ++i)
        files.insert(results.fileName(i));
    return files;
}

} // namespace

void tst_StrangeDir::initTestCase()
{
    QVERIFY(m_root.isValid());
    qputenv("HOME", m_root.filePath(QStringLiteral("home")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", m_root.filePath(QStringLiteral("home/.local/share")).toLocal8Bit());
    QVERIFY(QDir().mkpath(m_root.filePath(QStringLiteral("home/.local/share"))));
    m_work = m_root.filePath(QStringLiteral("work"));
    QVERIFY(QDir().mkpath(m_work));
    const QByteArray w = QFile::encodeName(m_work) + '/';

    QVERIFY(writeFileBytes(m_work + QStringLiteral("/erst.dat"), ""));
    QVERIFY(writeFileBytes(m_work + QStringLiteral("/1.num"), codepage::encode(QString::fromUtf8(receipt1)).value()));
    QVERIFY(writeFileBytes(m_work + QStringLiteral("/9.num"), bigReceipt()));
    QVERIFY(QDir().mkpath(m_work + QStringLiteral("/5.num")));                       // a folder
    QVERIFY(writeFileBytes(m_work + QStringLiteral("/5.num/inner.num"), "5\r\ninnen\r\n"));
    QCOMPARE(::symlink("nowhere.num", (w + "6.num").constData()), 0);                // broken link
    QCOMPARE(::symlink("5.num", (w + "7.num").constData()), 0);                      // link to a folder
    QCOMPARE(::symlink("/dev/zero", (w + "8.num").constData()), 0);                  // endless
    QCOMPARE(::symlink("../outside.num", (w + "11.num").constData()), 0);            // out of the folder
    QVERIFY(writeFileBytes(m_root.filePath(QStringLiteral("outside.num")), "11\r\ndraußen\r\n"));
    QCOMPARE(::mkfifo((w + "10.num").constData(), 0600), 0);                         // a pipe
    // A name in Latin-1 where the system expects UTF-8.
    {
        const int fd = ::open((w + "M\xfc" "ller.num").constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0);
        const QByteArray text = "3\r\n\r\n\r\n\r\n\r\n1\r\n00\r\nEins -----\r\nM\xfcller\r\nfremd kodiert\r\n";
        QCOMPARE(::write(fd, text.constData(), size_t(text.size())), ssize_t(text.size()));
        ::close(fd);
    }
    // What a save cut short by a crash leaves: hidden, and no receipt.
    QVERIFY(writeFileBytes(m_work + QStringLiteral("/.zettelfix-Ab12Cd.tmp"), "14\r\nhalb gespeichert\r\n"));
    QVERIFY(writeFileBytes(m_work + QStringLiteral("/12.NUM"),
                           codepage::encode(QStringLiteral("12\r\n\r\n\r\n\r\n\r\n5\r\n00\r\nFünf\r\nGroß\r\nKlein\r\n")).value()));
}

void tst_StrangeDir::searchLoadDelete()
{
    ScriptedPlatform platform(m_work);
    quitt w(platform);

    // Search: every readable receipt, nothing from the odd entries, no hang.
    w.suchequitt->trigger();
    Form7 *search = w.archive().searchWindow();
    QVERIFY(search);
    search->Text1->setText(QString());
    QElapsedTimer clock;
    clock.start();
    search->Command2_Click();
    QVERIFY2(clock.elapsed() < 20000, "the search took too long");
    const QSet<QString> found = filesFound(search->results());
    QVERIFY(found.contains(QStringLiteral("1.num")));
    QVERIFY(found.contains(QStringLiteral("9.num")));
    QVERIFY(found.contains(QStringLiteral("12.NUM")));
    QVERIFY2(!found.contains(QStringLiteral("8.num")), "read an endless device as a receipt");
    QVERIFY(!found.contains(QStringLiteral("5.num")));
    QVERIFY(!found.contains(QStringLiteral("7.num")));
    QVERIFY(!found.contains(QStringLiteral(".zettelfix-Ab12Cd.tmp")));
    QVERIFY(!receiptFileList(w.files()).contains(QStringLiteral(".zettelfix-Ab12Cd.tmp")));

    // Past its twelve lines a receipt holds its page, which the search
    // passes over: so is the end of the big receipt.
    search->Text1->setText(QStringLiteral("ende des riesen"));
    search->Command2_Click();
    QCOMPARE(search->results().size(), 0);
    search->Text1->setText(QString());
    search->Command2_Click();

    // Load the big receipt: its first twelve lines.
    select(search, QStringLiteral("9.num"));
    search->List1_DblClick();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(w.currentRecord().number, QStringLiteral("9"));
    QCOMPARE(w.currentRecord().payer, QStringLiteral("Riese"));
    QCOMPARE(w.currentRecord().purpose, QStringLiteral("Langzweck"));
    QCOMPARE(w.Text11->text(), QString(99, QLatin1Char('x')));

    // Load a receipt stored with a capital suffix.
    w.suchequitt->trigger();
    search = w.archive().searchWindow();
    search->Text1->setText(QStringLiteral("groß"));
    search->Command2_Click();
    select(search, QStringLiteral("12.NUM"));
    search->List1_DblClick();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(w.currentRecord().purpose, QStringLiteral("Klein"));

    // Delete the real receipts; the odd entries stay as they are.
    w.loeschen->trigger();
    Form8 *erase = w.archive().deleteWindow();
    QVERIFY(erase);
    erase->Text1->setText(QString());
    erase->Command2_Click();
    for (const QString &file : { QStringLiteral("9.num"), QStringLiteral("1.num"), QStringLiteral("12.NUM") }) {
        select(erase, file);
        platform.questionAnswers = { "&Ja" };
        platform.fieldAnswers = { QStringLiteral("Fehlbuchung") };
        erase->List1_DblClick();
        QCOMPARE(platform.messageTexts().last(), QStringLiteral("Markierte Quittung gelöscht! "));
        QVERIFY(!QFileInfo::exists(m_work + QLatin1Char('/') + file));
    }
    QVERIFY(!filesFound(erase->results()).contains(QStringLiteral("1.num")));
    // A double-click on whatever is left deletes nothing it did not list.
    erase->List1->clearSelection();
    erase->List1_DblClick();
    erase->Command1_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    const QByteArray w8 = QFile::encodeName(m_work) + '/';
    struct stat st;
    QVERIFY(QFileInfo(m_work + QStringLiteral("/5.num")).isDir());
    QVERIFY(QFileInfo::exists(m_work + QStringLiteral("/5.num/inner.num")));
    QCOMPARE(::lstat((w8 + "6.num").constData(), &st), 0);
    QCOMPARE(::lstat((w8 + "8.num").constData(), &st), 0);
    QCOMPARE(::lstat((w8 + "10.num").constData(), &st), 0);
    QCOMPARE(::lstat((w8 + "M\xfc" "ller.num").constData(), &st), 0);
    QCOMPARE(fileBytes(m_root.filePath(QStringLiteral("outside.num"))), QByteArray("11\r\ndraußen\r\n"));

    // The folder stays usable: a new receipt is saved next to the odd entries.
    w.Command2_Click();
    w.Text8->setText(QStringLiteral("13"));
    w.Text6->setText(QStringLiteral("5"));
    // The big receipt's date, no date of the calendar, stays in its field
    // and is refused until corrected.
    w.Command1_Click();
    QVERIFY(platform.messageTexts().last().contains(QStringLiteral("kein gültiges Datum")));
    w.Text11->setText(QStringLiteral("08.12.2026"));
    w.Command1_Click();
    QCOMPARE(platform.messageTexts().last(), QStringLiteral("Quittung wurde gespeichert!"));
}

void tst_StrangeDir::hostileFiles()
{
    // Beside twenty receipts: a sparse receipt and a settings file of 40 GB,
    // a receipt under a Latin-1 name, one written in the year 2300.
    const QString path = m_root.filePath(QStringLiteral("hostile"));
    QVERIFY(QDir().mkpath(path));
    for (int n = 1; n <= 20; ++n)
        testsupport::put(path, QStringLiteral("%1.num").arg(n), testsupport::receiptBytes(QString::number(n), "Zahler", "Zweck"));
    const QByteArray w = QFile::encodeName(path) + '/';
    for (const char *huge : { "9999.num", "dm.dat" }) {
        const int fd = ::open((w + huge).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, "EUR\r\n", 5), ssize_t(5));
        QCOMPARE(::ftruncate(fd, qint64(40) << 30), 0);
        ::close(fd);
    }
    {
        const int fd = ::open((w + "R\xe9-14.num").constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0);
        const QByteArray text = testsupport::receiptFile({ QStringLiteral("Ré-14"), "", "", "", "", "14", "00", "", QStringLiteral("René"), "alt" });
        QCOMPARE(::write(fd, text.constData(), size_t(text.size())), ssize_t(text.size()));
        ::close(fd);
    }
    testsupport::put(path, "2300.num", testsupport::receiptFile({ "2300", "", "", "", "", "23", "00", "", "Enkel", "Zukunft" }));
    const timeval later[2] = { { 10413835200, 0 }, { 10413835200, 0 } }; // noon, 1 January 2300
    QCOMPARE(::utimes((w + "2300.num").constData(), later), 0);

    WorkDir dir(path);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(ReadSetting(dir, settingsfile::dm), QStringLiteral("EUR"));
    QVERIFY(clock.elapsed() < 1000);

    const QStringList files = receiptFileList(dir);
    QCOMPARE(files.size(), 23);
    ReceiptCache cache;
    for (int pass = 0; pass < 2; ++pass) {
        const SearchResults found = SearchReceipts(dir, files, QString(), cache);
        QSet<QString> names;
        for (qsizetype i = 0; i < found.size(); ++i)
            names.insert(found.fileName(i));
        QCOMPARE(names.size(), 22);
        QVERIFY(!names.contains("9999.num"));
        QVERIFY(names.contains(QString::fromLatin1("R\xe9-14.num")));
        QCOMPARE(SearchReceipts(dir, files, QStringLiteral("René")).size(), 1);

        const std::vector<EvaluationRow> rows = EvaluateReceipts(dir, files, EvaluationFilter(), cache);
        QCOMPARE(rows.size(), size_t(23));
        const EvaluationSums sums = sumsOf(rows);
        QCOMPARE(sums.unreadable, qint64(1));
        for (const EvaluationRow &row : rows) {
            if (row.fileName == "9999.num") {
                QVERIFY(!row.readable);
                QVERIFY(row.payer.contains("zu groß"));
            } else if (row.fileName == "2300.num") {
                QCOMPARE(row.date, QDate(2300, 1, 1));
            } else if (row.fileName.startsWith("R")) {
                QCOMPARE(row.total.cents, 1400);
                QCOMPARE(row.payer, QStringLiteral("René"));
            }
        }
    }
    ::unlink((w + "R\xe9-14.num").constData());
}

void tst_StrangeDir::lateHardLink()
{
    // A hard link to a receipt made after the search read it, from outside
    // the folder, and a change through that link: the next search shows the
    // file as it is now.
    const QString path = m_root.filePath(QStringLiteral("linked"));
    QVERIFY(QDir().mkpath(path));
    testsupport::put(path, "1.num", testsupport::receiptBytes("1", "Vorher", "Zweck"));
    WorkDir dir(path);
    const QStringList files = receiptFileList(dir);
    ReceiptCache cache(std::chrono::nanoseconds(0));
    QCOMPARE(SearchReceipts(dir, files, "vorher", cache).size(), 1);
    QCOMPARE(SearchReceipts(dir, files, "vorher", cache).size(), 1);
    const QString link = m_root.filePath(QStringLiteral("link.num"));
    QCOMPARE(::link(QFile::encodeName(path + "/1.num").constData(), QFile::encodeName(link).constData()), 0);
    QFile through(link);
    QVERIFY(through.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QVERIFY(through.write(testsupport::receiptBytes("1", "Nachher geändert", "Zweck")) > 0);
    through.close();
    QCOMPARE(SearchReceipts(dir, files, "vorher", cache).size(), 0);
    QCOMPARE(SearchReceipts(dir, files, "nachher", cache).size(), 1);
}

void tst_StrangeDir::cleanupTestCase()
{
    // A name that does not decode is beyond QDir's removal.
    ::unlink((QFile::encodeName(m_work) + "/M\xfc" "ller.num").constData());
}

QTEST_MAIN(tst_StrangeDir)
#include "tst_strangedir.moc"
