#include "archive/journal.h"
#include "archive/form8.h"
#include "archive/search.h"
#include "editor/quitt.h"
#include "platform/scriptedplatform.h"
#include "platform/twips.h"
#include "tests/testsupport.h"
#include "text/textfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

namespace {

using testsupport::put;
using testsupport::receiptBytes;
using testsupport::doubleClickRow;
using testsupport::listed;

const QString deleted = QStringLiteral("Markierte Quittung gelöscht! ");

// A file by the bytes of its name, which need not be UTF-8.
bool putRaw(const QByteArray &path, const QByteArray &bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    const bool written = fd >= 0 && ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    return fd >= 0 && ::close(fd) == 0 && written;
}

QByteArray getRaw(const QByteArray &path)
{
    QByteArray bytes;
    const int fd = ::open(path.constData(), O_RDONLY);
    char buffer[4096];
    for (ssize_t n; fd >= 0 && (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, n);
    if (fd >= 0)
        ::close(fd);
    return bytes;
}

} // namespace

class TestDelete : public QObject
{
    Q_OBJECT

    // The desktop's trash goes to a folder of the test's own.
    QTemporaryDir m_home;
    QTemporaryDir m_tmp;
    std::unique_ptr<ScriptedPlatform> m_platform;
    std::unique_ptr<quitt> m_main;

    Form8 *open(const QString &term)
    {
        m_main->loeschen->trigger();
        Form8 *w = m_main->archive().deleteWindow();
        if (!w)
            return nullptr;
        (void)QTest::qWaitForWindowExposed(w);
        w->Text1->setText(term);
        w->Command2_Click();
        return w;
    }

    QStringList trashed() const
    {
        QStringList names;
        QDirIterator it(m_home.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            it.next();
            if (it.filePath().contains(QLatin1String("/files/")))
                names.append(it.fileName());
        }
        names.sort();
        return names;
    }

private slots:
    void initTestCase()
    {
        qputenv("HOME", QFile::encodeName(m_home.path()));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.filePath(".local/share")));
    }

    void init()
    {
        testsupport::removeFiles(m_tmp.path());
        QDir(m_home.filePath(".local")).removeRecursively();
        QVERIFY(QDir().mkpath(m_home.filePath(".local/share")));
        put(m_tmp.path(), "erst.dat", "");
        put(m_tmp.path(), "nummer.dat", "9\r\n");
        m_platform = std::make_unique<ScriptedPlatform>(m_tmp.path());
        m_main = std::make_unique<quitt>(*m_platform);
        m_main->show();
    }
    void cleanup()
    {
        m_main.reset();
        m_platform.reset();
    }

    void windowAsDesigned()
    {
        m_platform->screen = QSize(1024 * 15, 768 * 15);
        Form8 *w = open(QString());
        QVERIFY(w);
        QVERIFY(m_main->isVisible());
        QCOMPARE(w->windowTitle(), QStringLiteral("Löschen einer erstellten Quittung"));
        QCOMPARE(w->Label1->text(), QStringLiteral("Klicken Sie eine Zeile doppelt in der Liste an, wenn  die Daten "
                                                   "gelöscht werden sollen!!!"));
        QCOMPARE(w->Frame1->title(), QStringLiteral("Geben Sie einen Suchbegriff ein (Z.B.: Nummer, Name, Ort, "
                                                     "ausgestellt für was? Datum etc.)"));
        QCOMPARE(w->Command2->text(), QStringLiteral("s&uche..."));
        QCOMPARE(w->Frame2->title(), QStringLiteral("Gefundene Quittung(en):"));
        QCOMPARE(w->Command1->text(), QStringLiteral("&Schließen"));
        QCOMPARE(w->List1->font().family(), QStringLiteral("Courier New"));
        QCOMPARE(w->size(), twips::size(9105, 7095));
        QCOMPARE(w->Frame1->geometry(), twips::rect(420, 210, 8355, 765));
        QCOMPARE(w->Text1->geometry(), twips::rect(150, 300, 4545, 345));
        QCOMPARE(w->Command2->geometry(), twips::rect(4830, 300, 3405, 345));
        QCOMPARE(w->Frame2->geometry(), twips::rect(390, 1110, 8415, 3315));
        QCOMPARE(w->List1->geometry(), twips::rect(210, 300, 8055, 2790));
        QCOMPARE(w->Label1->geometry(), twips::rect(390, 4530, 8445, 945));
        QCOMPARE(w->Command1->geometry(), twips::rect(390, 5880, 8475, 405));
        QCOMPARE(w->pos(), twips::point((1024 * 15 - 9105) / 2, (768 * 15 - 7095) / 2));
        w->Text1->setText("x");
        QTest::keyClick(w->Text1, Qt::Key_Return);
        QCOMPARE(w->Text1->text(), QStringLiteral("x"));
        w->Command1->click();
        QTRY_VERIFY(!m_main->archive().deleteWindow());
    }

    void deletesTheReceiptWithAllItsLines()
    {
        put(m_tmp.path(), "3.num", "3\r\n\r\n\r\n\r\n\r\n10\r\n00\r\n---Zehn---\r\nMeier\r\nMiete Meier\r\nMeierhof\r\n");
        put(m_tmp.path(), "4.num", receiptBytes("4", "Meiers Erben", "Pacht"));
        put(m_tmp.path(), "meier.num", receiptBytes("meier", "Otto", "Nichts"));
        Form8 *w = open("MEIER");
        QCOMPARE(listed(w).size(), 5);
        QCOMPARE(listed(w).filter(QRegularExpression("^3 ")).size(), 3);
        m_platform->questionAnswers = { "&Ja", "&Ja" };
        m_platform->fieldAnswers = { "Doppelt erfasst", "Doppelt erfasst" };
        doubleClickRow(w, 1);
        QCOMPARE(m_platform->messageTexts(), QStringList { deleted });
        QCOMPARE(m_platform->messages.first().title, Platform::programTitle());
        QCOMPARE(m_platform->messages.first().icon, Platform::Icon::None);
        // The search ran again with the same term; the window stays.
        QCOMPARE(w->Text1->text(), QStringLiteral("MEIER"));
        QCOMPARE(listed(w), (QStringList { "4          <Nr. - Meiers Erben", "meier          <Nr. - meier" }));
        QVERIFY(!QFile::exists(m_tmp.filePath("3.num")));
        QCOMPARE(trashed(), QStringList { "3.num" });
        QCOMPARE(m_main->archive().deleteWindow(), w);
        QVERIFY(w->isVisible());
        // nummer.dat and the receipt shown stay as they were.
        QCOMPARE(textfile::readLines(WorkDir(m_tmp.path()), "nummer.dat").value(), QStringList { "9" });
        w->Text1->clear();
        w->Command2_Click();
        doubleClickRow(w, int(listed(w).indexOf("meier          <Nr. - meier")));
        QCOMPARE(listed(w).size(), 10);
        QVERIFY(!listed(w).join('|').contains("Otto"));
    }

    void deletesExactlyTheListedReceipt_data()
    {
        QTest::addColumn<QStringList>("numbers");
        QTest::addColumn<QString>("wanted");
        QTest::newRow("nine digits leave the eight-digit one") << QStringList { "12345678", "123456789" } << "123456789";
        QTest::newRow("eight digits leave the nine-digit one") << QStringList { "12345678", "123456789" } << "12345678";
        QTest::newRow("an inner blank leaves the shorter") << QStringList { "12", "12 3" } << "12 3";
    }
    void deletesExactlyTheListedReceipt()
    {
        QFETCH(QStringList, numbers);
        QFETCH(QString, wanted);
        for (const QString &n : numbers)
            put(m_tmp.path(), n + ".num", receiptBytes(n, "Zahler " + n, "Zweck"));
        Form8 *w = open("Zahler " + wanted);
        const int row = int(listed(w).indexOf(wanted + "          <Nr. - Zahler " + wanted));
        QVERIFY(row >= 0);
        m_platform->questionAnswers = { "&Ja" };
        m_platform->fieldAnswers = { "Doppelt erfasst" };
        doubleClickRow(w, row);
        for (const QString &n : numbers)
            QCOMPARE(QFile::exists(m_tmp.filePath(n + ".num")), n != wanted);
    }

    void sameNumberCanBeSavedAgain()
    {
        put(m_tmp.path(), "7.num", receiptBytes("7", "Meier", "Miete"));
        Form8 *w = open("7");
        m_platform->questionAnswers = { "&Ja" };
        m_platform->fieldAnswers = { "Doppelt erfasst" };
        doubleClickRow(w, 0);
        QVERIFY(listed(w).isEmpty());
        m_platform->messages.clear();
        m_main->Text8->setText("7");
        m_main->Text6->setText("50");
        m_main->Command1->setEnabled(true);
        m_main->Command1_Click();
        QCOMPARE(m_platform->messageTexts(), QStringList { "Quittung wurde gespeichert!" });
        QVERIFY(QFile::exists(m_tmp.filePath("7.num")));
        QCOMPARE(trashed(), QStringList { "7.num" });
    }

    void failedDeletionSaysSo()
    {
        put(m_tmp.path(), "5.num", receiptBytes("5", "Meier", "Miete"));
        m_main->files().setFaultHook([](WorkDir::Op op, const QString &) { return op == WorkDir::Op::Remove; });
        Form8 *w = open("meier");
        m_platform->questionAnswers = { "&Ja" };
        m_platform->fieldAnswers = { "Doppelt erfasst" };
        doubleClickRow(w, 0);
        QCOMPARE(m_platform->messages.size(), 1);
        const QString text = m_platform->messages.first().text;
        QVERIFY2(text.startsWith(QStringLiteral("Die markierte Quittung wurde nicht gelöscht!")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("5.num")), qPrintable(text));
        QVERIFY(QFile::exists(m_tmp.filePath("5.num")));
        QCOMPARE(listed(w), QStringList { "5          <Nr. - Meier" });
        QVERIFY(trashed().isEmpty());
    }

    void nothingToDeleteStillAnswers_data()
    {
        QTest::addColumn<bool>("goneMeanwhile");
        QTest::newRow("the file went another way") << true;
        QTest::newRow("a double-click on the empty list") << false;
    }
    void nothingToDeleteStillAnswers()
    {
        QFETCH(bool, goneMeanwhile);
        put(m_tmp.path(), "5.num", receiptBytes("5", "Meier", "Miete"));
        put(m_tmp.path(), "6.num", receiptBytes("6", "Meier", "Pacht"));
        Form8 *w = open(goneMeanwhile ? "meier" : "niemand");
        if (goneMeanwhile) {
            QVERIFY(QFile::remove(m_tmp.filePath("5.num")));
            doubleClickRow(w, 0);
            QCOMPARE(listed(w), QStringList { "6          <Nr. - Meier" });
        } else {
            QTest::mouseDClick(w->List1->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
            QVERIFY(listed(w).isEmpty());
        }
        QCOMPARE(m_platform->messageTexts(), QStringList { deleted });
        QVERIFY(QFile::exists(m_tmp.filePath("6.num")));
        QVERIFY(trashed().isEmpty());
    }

    void deletesOnlyWhenTheUserSaysSo_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("answer"); // empty: Enter or Escape, which say "Nein"
        QTest::addColumn<QString>("reason");
        QTest::newRow("double-click, Ja") << "double-click" << "&Ja" << "Fehlbuchung";
        QTest::newRow("double-click, Ja without a reason") << "double-click" << "&Ja" << " ";
        QTest::newRow("double-click, Nein") << "double-click" << "&Nein" << "Fehlbuchung";
        QTest::newRow("double-click, Enter or Escape") << "double-click" << QString() << "Fehlbuchung";
        QTest::newRow("Enter on the line, Ja") << "Enter" << "&Ja" << "Fehlbuchung";
        QTest::newRow("a right double-click asks nothing") << "right" << "&Ja" << "Fehlbuchung";
    }
    void deletesOnlyWhenTheUserSaysSo()
    {
        QFETCH(QString, how);
        QFETCH(QString, answer);
        QFETCH(QString, reason);
        put(m_tmp.path(), "dm.dat", "EUR\r\n");
        put(m_tmp.path(), "5.num", receiptBytes("5", "Meier", "Miete"));
        Form8 *w = open("meier");
        m_platform->questionAnswers = answer.isEmpty() ? QStringList() : QStringList { answer };
        m_platform->fieldAnswers = { reason };
        if (how == "Enter") {
            // The keyboard's line, not yet selected.
            w->List1->setFocus();
            w->List1->setCurrentIndex(w->List1->model()->index(0, 0));
            w->List1->clearSelection();
            QTest::keyClick(w->List1, Qt::Key_Return);
        } else if (how == "right") {
            QTest::mouseDClick(w->List1->viewport(), Qt::RightButton, {}, QPoint(5, 5));
        } else {
            doubleClickRow(w, 0);
        }
        const bool gone = answer == "&Ja" && how != "right" && !reason.trimmed().isEmpty();
        QCOMPARE(m_platform->questions.size(), how == "right" ? 0 : 1);
        if (how != "right") {
            const ScriptedPlatform::Question &q = m_platform->questions.first();
            QCOMPARE(q.text, QStringLiteral("Quittung Nr. 5 (Erhalten von Meier, Gesamt 100,00 EUR) löschen?"));
            QCOMPARE(q.buttons, (QStringList { "&Ja", "&Nein" }));
            QCOMPARE(q.defaultButton, 1);
            QCOMPARE(q.escapeButton, 1);
        }
        QCOMPARE(QFile::exists(m_tmp.filePath("5.num")), !gone);
        QCOMPARE(trashed(), gone ? QStringList { "5.num" } : QStringList());
        const QStringList refused { "Zum Löschen ist ein Grund nötig. Die Quittung wurde nicht gelöscht." };
        QCOMPARE(m_platform->messageTexts(), gone ? QStringList { deleted }
                                         : answer == "&Ja" && how != "right" ? refused : QStringList());
        // The journal keeps why and what went.
        const QList<journal::Entry> entries = journal::read(m_main->files()).entries;
        QCOMPARE(entries.size(), gone ? 1 : 0);
        if (gone) {
            QCOMPARE(entries[0].action, journal::action::remove);
            QCOMPARE(entries[0].reason, reason);
            QCOMPARE(entries[0].oldText, codepage::decode(receiptBytes("5", "Meier", "Miete")));
        }
    }

    void trashOfAnAccountWithout_data()
    {
        QTest::addColumn<QString>("account");
        QTest::addColumn<bool>("trashed");
        QTest::newRow("~/.local: the trash is made") << "no .local" << true;
        QTest::newRow("~/.local/share a file: no trash, nothing deleted") << "share a file" << false;
        QTest::newRow("a home folder that is not there: nothing deleted") << "no home" << false;
    }
    void trashOfAnAccountWithout()
    {
        QFETCH(QString, account);
        QFETCH(bool, trashed);
        put(m_tmp.path(), "5.num", receiptBytes("5", "Meier", "Miete"));
        QVERIFY(QDir(m_home.filePath(".local")).removeRecursively());
        if (account == "share a file") {
            QVERIFY(QDir().mkpath(m_home.filePath(".local")));
            put(m_home.filePath(".local"), "share", "");
        }
        const QString home = account == "no home" ? m_home.filePath("gone") : m_home.path();
        qputenv("HOME", QFile::encodeName(home));
        qputenv("XDG_DATA_HOME", QFile::encodeName(home + "/.local/share"));
        // The program runs in its working folder, where Qt puts a trash it cannot make.
        const QString before = QDir::currentPath();
        QDir::setCurrent(m_tmp.path());
        WorkDir dir(m_tmp.path());
        QString error;
        const DeleteResult result = DeleteReceipt(dir, "5.num", &error);
        QDir::setCurrent(before);
        initTestCase();

        QCOMPARE(result, trashed ? DeleteResult::Deleted : DeleteResult::Failed);
        QCOMPARE(QFile::exists(m_tmp.filePath("5.num")), !trashed);
        QCOMPARE(QDir(m_tmp.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList());
        QVERIFY(!QDir(m_home.filePath("gone")).exists());
        QCOMPARE(this->trashed(), trashed ? QStringList { "5.num" } : QStringList());
        if (trashed)
            QVERIFY(testsupport::get(m_home.filePath(".local/share/Trash/info"), "5.num.trashinfo")
                        .contains("\nPath=" + QFile::encodeName(m_tmp.filePath("5.num")) + "\n"));
        else
            QVERIFY2(error.contains(QStringLiteral("Papierkorb")), qPrintable(error));
    }

    // The file goes to the trash by the bytes of its name, and a link as the
    // link: what it points at stays where it is, unchanged. With the trash on
    // another file system (a tmpfs) the file is copied there and a link made anew.
    void trashTakesTheFileAsItIs_data()
    {
        QTest::addColumn<QByteArray>("name"); // as the file system holds it
        QTest::addColumn<QByteArray>("noted"); // in the note's Path=
        QTest::addColumn<bool>("link");
        QTest::addColumn<bool>("otherDevice");
        for (const bool other : { false, true }) {
            const char *where = other ? ", the trash on another file system" : "";
            QTest::addRow("a receipt file%s", where) << QByteArray("20.num") << QByteArray("20.num") << false << other;
            QTest::addRow("a name in Latin-1%s", where)
                << QByteArray("M\xFCller.num") << QByteArray("M%FCller.num") << false << other;
            QTest::addRow("a link to a file outside%s", where)
                << QByteArray("20.num") << QByteArray("20.num") << true << other;
        }
    }
    void trashTakesTheFileAsItIs()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, noted);
        QFETCH(bool, link);
        QFETCH(bool, otherDevice);
        const QByteArray content = receiptBytes("20", "Meier", "Miete");
        const QByteArray folder = QFile::encodeName(m_tmp.path()) + '/';
        QTemporaryDir outside, shm(QStringLiteral("/dev/shm/tst_delete-XXXXXX"));
        QByteArray dataHome = QFile::encodeName(m_home.filePath(".local/share"));
        if (otherDevice) {
            struct stat here, there;
            if (!shm.isValid() || ::stat(folder.constData(), &here) != 0
                || ::stat(QFile::encodeName(shm.path()).constData(), &there) != 0 || here.st_dev == there.st_dev)
                QSKIP("no second file system at /dev/shm to put the trash on");
            dataHome = QFile::encodeName(shm.path());
        }

        const QByteArray trashed = dataHome + "/Trash/files/" + name;
        const QByteArray noteFile = dataHome + "/Trash/info/" + name + ".trashinfo";
        // Qt cannot remove a name in Latin-1 when the folders go.
        const auto removeRaw = qScopeGuard([&] {
            for (const QByteArray &path : { QByteArray(folder + name), trashed, noteFile })
                ::unlink(path.constData());
        });

        const QByteArray target = QFile::encodeName(outside.filePath("ziel.num"));
        const timespec saved { QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)).toSecsSinceEpoch(), 0 };
        if (link) {
            put(outside.path(), "ziel.num", content);
            QCOMPARE(::symlink(target.constData(), QByteArray(folder + name).constData()), 0);
        } else {
            QVERIFY(putRaw(folder + name, content));
            const timespec times[2] = { saved, saved };
            QCOMPARE(::utimensat(AT_FDCWD, QByteArray(folder + name).constData(), times, 0), 0);
        }
        WorkDir dir(m_tmp.path());
        QString error;
        qputenv("XDG_DATA_HOME", dataHome);
        const DeleteResult result = DeleteReceipt(dir, QString::fromLatin1(name), &error);
        initTestCase();
        QVERIFY2(result == DeleteResult::Deleted, qPrintable(error));

        struct stat st;
        QCOMPARE(::lstat(QByteArray(folder + name).constData(), &st), -1);
        QCOMPARE(::lstat(trashed.constData(), &st), 0);
        if (link) {
            QVERIFY(S_ISLNK(st.st_mode));
            char points[4096];
            const ssize_t n = ::readlink(trashed.constData(), points, sizeof points);
            QCOMPARE(QByteArray(points, int(std::max<ssize_t>(n, 0))), target);
            QCOMPARE(testsupport::get(outside.path(), "ziel.num"), content);
        } else {
            QVERIFY(S_ISREG(st.st_mode));
            QCOMPARE(st.st_mtim.tv_sec, saved.tv_sec);
            QCOMPARE(getRaw(trashed), content);
        }
        const QByteArray note = getRaw(noteFile);
        QVERIFY2(note.startsWith("[Trash Info]\nPath=" + folder + noted + "\nDeletionDate="), note.constData());
    }
};

QTEST_MAIN(TestDelete)
#include "tst_delete.moc"
