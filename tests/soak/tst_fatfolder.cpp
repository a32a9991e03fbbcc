// Receipts kept on a FAT file system, as on a USB stick: a FAT16 image made
// with mkfs.vfat and mounted with fusefat, where hard links are refused and
// renaming without replacing is not offered. Saving works there with the same
// promises: every receipt whole, none replaced in any letter case, and two
// copies of the program saving the same numbers give each receipt once.
#include "soakreceipt.h"

#include "archive/search.h"
#include "editor/quitt.h"
#include "platform/scriptedplatform.h"
#include "settings/settings.h"
#include "tests/testsupport.h"
#include "text/codepage.h"
#include "text/textlines.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

class tst_FatFolder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void receiptsAndSettingsOnFat();
    void twoProgramsSaveTheSameNumbers();

private:
    static bool run(const QString &program, const QStringList &args);
    QString folder(const QString &name) const;

    QTemporaryDir m_root;
    QString m_mount;
    bool m_mounted = false;
};

namespace {

QString tool(const QString &name)
{
    return QStandardPaths::findExecutable(name, { "/usr/sbin", "/sbin", "/usr/bin", "/bin" });
}

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QByteArray soakBytes(qlonglong n)
{
    return codepage::encode(soakFileText(n)).value();
}

} // namespace

bool tst_FatFolder::run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QString tst_FatFolder::folder(const QString &name) const
{
    const QString path = m_mount + '/' + name;
    QDir().mkpath(path);
    return path;
}

void tst_FatFolder::initTestCase()
{
    QVERIFY(m_root.isValid());
    const QString mkfs = tool("mkfs.vfat"), fusefat = tool("fusefat");
    if (!QFile::exists("/dev/fuse") || mkfs.isEmpty() || fusefat.isEmpty())
        QSKIP("FAT folder test skipped: needs /dev/fuse, mkfs.vfat (dosfstools) and fusefat");
    const QString image = m_root.filePath("stick.img");
    {
        QFile f(image);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(32 * 1024 * 1024));
    }
    QVERIFY(run(mkfs, { "-F", "16", image }));
    m_mount = m_root.filePath("stick");
    QVERIFY(QDir().mkpath(m_mount));
    if (!run(fusefat, { "-o", "rw+", image, m_mount }))
        QSKIP("FAT folder test skipped: fusefat could not mount the image (FUSE not usable here)");
    m_mounted = true;
}

void tst_FatFolder::cleanupTestCase()
{
    if (m_mounted)
        QVERIFY(run(tool("fusermount"), { "-u", m_mount }) || run(tool("umount"), { m_mount }));
}

void tst_FatFolder::receiptsAndSettingsOnFat()
{
    const QString path = folder("quittungen");
    ScriptedPlatform platform(path);
    QVERIFY(platform.files().write("erst.dat", QByteArray()));
    quitt w(platform);
    for (int n = 1; n <= 20; ++n) {
        w.Command2_Click();
        QCOMPARE(w.Text8->text(), QString::number(n));
        const SoakReceipt r = soakReceipt(n);
        w.Text6->setText(r.totalUnits);
        w.Text7->setText(r.totalPennies);
        w.Combo2->setEditText(r.rate);
        w.Combo3->setEditText(r.payer);
        w.Combo4->setEditText(r.purpose);
        w.Text11->setText(r.date);
        platform.messages.clear();
        w.Command1_Click();
        QCOMPARE(platform.messageTexts(), QStringList { "Quittung wurde gespeichert!" });
    }
    for (int n = 1; n <= 20; ++n)
        QCOMPARE(bytesOf(path + QString("/%1.num").arg(n)), soakBytes(n));
    QCOMPARE(bytesOf(path + "/nummer.dat"), QByteArray("20\r\n"));
    QCOMPARE(textlines::splitLines(codepage::decode(bytesOf(path + "/von.dat"))).size(), 13);
    // A settings file rewritten in place, and a receipt under another letter
    // case that must not be replaced.
    w.Combo1->setEditText("Rechnung");
    QCOMPARE(bytesOf(path + "/quitname.dat"), QByteArray("Rechnung\r\n"));
    QFile other(path + "/21.NUM");
    QVERIFY(other.open(QIODevice::WriteOnly));
    QVERIFY(other.write(soakBytes(21)) > 0);
    other.close();
    platform.messages.clear();
    w.Text8->setText("21");
    w.Command1->setEnabled(true);
    w.Command1_Click();
    QCOMPARE(platform.messages.size(), 1);
    QVERIFY(platform.messages.first().text.contains("existiert bereits"));
    QCOMPARE(bytesOf(path + "/21.NUM"), soakBytes(21));
    // Nothing but receipts and settings is left: no temporary file.
    const QStringList left = QDir(path).entryList(QDir::Files | QDir::Hidden);
    for (const QString &name : left)
        QVERIFY2(name.endsWith(".num", Qt::CaseInsensitive) || name.endsWith(".dat"),
                 qPrintable(name));
}

void tst_FatFolder::twoProgramsSaveTheSameNumbers()
{
    const QString path = folder("zwei");
    QFile erst(path + "/erst.dat");
    QVERIFY(erst.open(QIODevice::WriteOnly));
    erst.close();
    // fusefat itself loses track of a folder that two processes keep writing
    // once it grows past about twenty files (new names then fail with ENOENT
    // for every program, also for touch); twelve receipts stay below that.
    const int last = 12;
    QProcess first, second;
    for (QProcess *p : { &first, &second }) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        p->setProcessEnvironment(env);
        p->start(SOAK_SAVER, { path, QString::number(last) });
    }
    for (QProcess *p : { &first, &second }) {
        QVERIFY(p->waitForFinished(120000));
        QCOMPARE(p->exitStatus(), QProcess::NormalExit);
        QCOMPARE(p->exitCode(), 0);
    }
    const QStringList receipts = receiptFileList(WorkDir(path));
    QCOMPARE(receipts.size(), last);
    for (int n = 1; n <= last; ++n) {
        QCOMPARE(receipts.at(n - 1), QString("%1.num").arg(n));
        QCOMPARE(bytesOf(path + '/' + receipts.at(n - 1)), soakBytes(n));
    }
    // Each payer and purpose in its list, whichever program saved it.
    const QStringList payers = textlines::splitLines(codepage::decode(bytesOf(path + "/von.dat")));
    const QStringList purposes = textlines::splitLines(codepage::decode(bytesOf(path + "/fuer.dat")));
    for (int n = 1; n <= last; ++n) {
        QVERIFY2(payers.contains(soakReceipt(n).payer), qPrintable(soakReceipt(n).payer));
        QVERIFY2(purposes.contains(soakReceipt(n).purpose), qPrintable(soakReceipt(n).purpose));
    }
}

QTEST_MAIN(tst_FatFolder)
#include "tst_fatfolder.moc"
