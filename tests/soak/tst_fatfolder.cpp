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
    QString folder(const QString &name) const { return m_stick.folder(name); }

    testsupport::FatFolder m_stick;
};

namespace {

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

void tst_FatFolder::initTestCase()
{
    if (const QString whyNot = m_stick.mount(); !whyNot.isEmpty())
        QSKIP(qPrintable(QStringLiteral("FAT folder test skipped: ") + whyNot));
}

void tst_FatFolder::cleanupTestCase()
{
    QVERIFY(m_stick.unmount());
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
        QVERIFY(bytesOf(path + QString("/%1.num").arg(n)).startsWith(soakBytes(n)));
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
        QVERIFY2(name.endsWith(".num", Qt::CaseInsensitive) || name.endsWith(".dat") || name == "journal.txt",
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
        QVERIFY(bytesOf(path + '/' + receipts.at(n - 1)).startsWith(soakBytes(n)));
    }
    // The lists of payers and purposes are not checked here: fusefat serves
    // a file just replaced by a rename from another process stale for a
    // moment (the old content, or NULs, as traced under the list's lock), so
    // two programs rewriting one list through it can lose entries; a FAT
    // stick under the kernel's own driver has no such window. That the lists
    // keep every entry of two programs is checked on a local disk.
}

QTEST_MAIN(tst_FatFolder)
#include "tst_fatfolder.moc"
