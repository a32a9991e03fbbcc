#include "platform/lockwaitnote.h"
#include "platform/qtplatform.h"
#include "platform/scriptedplatform.h"

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <semaphore>
#include <thread>

namespace {

// Another desk's hold on a file: a WorkDir of its own on the same folder
// takes the lock and lets it go after holdMs, or when the test is done.
class OtherDesk
{
public:
    OtherDesk(const QString &folder, const QString &name, int holdMs)
        : m_files(folder), m_lock(m_files.lock(name)), held(m_lock)
    {
        m_thread = std::thread([this, holdMs] {
            m_done.try_acquire_for(std::chrono::milliseconds(holdMs));
            m_lock.release();
        });
    }
    ~OtherDesk()
    {
        m_done.release();
        m_thread.join();
    }

private:
    WorkDir m_files;
    WorkDir::Lock m_lock;
    std::binary_semaphore m_done { 0 };
    std::thread m_thread;

public:
    const bool held;
};

LockWaitNote *openNote()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *note = qobject_cast<LockWaitNote *>(w))
            return note;
    return nullptr;
}

enum class Act { None, Escape, Enter, Click };

} // namespace

class TestLockWait : public QObject
{
    Q_OBJECT

private slots:
    // The main window waits for a lock another desk holds, as a save does.
    void waitShown_data()
    {
        QTest::addColumn<int>("holdMs");
        QTest::addColumn<Act>("act");
        QTest::addColumn<bool>("noteShown");
        QTest::addColumn<bool>("had");
        QTest::newRow("released after 300 ms: the cursor alone") << 300 << Act::None << false << true;
        QTest::newRow("released after 1.5 s: the note meanwhile") << 1500 << Act::None << true << true;
        QTest::newRow("Escape on the note") << 20000 << Act::Escape << true << false;
        QTest::newRow("Enter on Abbrechen") << 20000 << Act::Enter << true << false;
        QTest::newRow("Abbrechen clicked") << 20000 << Act::Click << true << false;
    }
    void waitShown()
    {
        QFETCH(int, holdMs);
        QFETCH(Act, act);
        QTemporaryDir dir;
        QtPlatform platform(dir.path());
        QWidget mainWindow;
        mainWindow.show();
        QVERIFY(QTest::qWaitForWindowActive(&mainWindow));

        // Looks at the screen while lock() waits: it runs only while the
        // wait lets events through.
        int ticks = 0;
        bool waitCursor = false, noteSeen = false, acted = false;
        QString alert; // what a screen reader reads out as the note appears
        QTimer look;
        connect(&look, &QTimer::timeout, this, [&] {
            ++ticks;
            const QCursor *cursor = QGuiApplication::overrideCursor();
            waitCursor |= cursor && cursor->shape() == Qt::WaitCursor;
            LockWaitNote *note = openNote();
            if (!note || !note->isVisible())
                return;
            noteSeen = true;
            if (const QAccessibleInterface *face = QAccessible::queryAccessibleInterface(note);
                face && face->role() == QAccessible::AlertMessage)
                alert = face->text(QAccessible::Description);
            if (act == Act::None || acted || !note->isActiveWindow())
                return;
            acted = true;
            if (act == Act::Escape)
                QTest::keyClick(note, Qt::Key_Escape);
            else if (act == Act::Enter)
                QTest::keyClick(note->Command1, Qt::Key_Return);
            else
                QTest::mouseClick(note->Command1, Qt::LeftButton);
        });
        look.start(10);

        OtherDesk desk(dir.path(), QStringLiteral("von.dat"), holdMs);
        QVERIFY(desk.held);
        QElapsedTimer waited;
        waited.start();
        QString error;
        const WorkDir::Lock lock = platform.files().lock(QStringLiteral("von.dat"), &error);
        look.stop();

        QFETCH(bool, had);
        QCOMPARE(bool(lock), had);
        QVERIFY(waitCursor);
        // The window went on handling its events while it waited.
        QVERIFY(ticks > qMin(holdMs, 1000) / 100);
        QTEST(noteSeen, "noteShown");
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        QCOMPARE(openNote(), nullptr);
        QCOMPARE(alert.contains(QStringLiteral("„von.dat“")), noteSeen);
        if (!had) {
            QVERIFY(waited.elapsed() < 5000);
            QVERIFY(error.contains(QStringLiteral("abgebrochen")));
            QVERIFY(error.contains(QStringLiteral("von.dat")));
        }
    }

    // Tests of the windows wait on the scripted platform unseen, and give
    // the wait up when told to.
    void scriptedWait()
    {
        QTemporaryDir dir;
        ScriptedPlatform platform(dir.path());
        platform.cancelLockWaitAfterMs = 200;
        OtherDesk desk(dir.path(), QStringLiteral("17.num"), 20000);
        QString error;
        QVERIFY(!platform.files().lock(QStringLiteral("17.num"), &error));
        QVERIFY(error.contains(QStringLiteral("abgebrochen")));
        QCOMPARE(platform.lockWaits, QStringList { QStringLiteral("17.num") });
        QVERIFY(platform.longestLockWaitMs >= 200 && platform.longestLockWaitMs < 1000);
        // A second wait is a wait of its own.
        QVERIFY(!platform.files().lock(QStringLiteral("17.num")));
        QCOMPARE(platform.lockWaits.size(), 2);
    }
};

QTEST_MAIN(TestLockWait)
#include "tst_lockwait.moc"
