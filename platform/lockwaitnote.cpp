#include "platform/lockwaitnote.h"

#include "platform/controls.h"
#include "platform/platform.h"
#include "platform/twips.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCloseEvent>
#include <QPointer>
#include <QThread>

#include <memory>

namespace {

// The note is an alert to a screen reader, which reads such a window out
// whole as it appears, not a window the user went to.
QAccessibleInterface *accessibleNote(const QString &className, QObject *object)
{
    if (className == QLatin1String("LockWaitNote"))
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::AlertMessage);
    return nullptr;
}

} // namespace

LockWaitNote::LockWaitNote(Platform &platform, const QString &fileName, QWidget *mainWindow)
    : QWidget(mainWindow, Qt::Dialog)
{
    static const bool accessible = (QAccessible::installFactory(accessibleNote), true);
    Q_UNUSED(accessible);

    setObjectName(QStringLiteral("LockWaitNote"));
    // No second save may start while the first one waits.
    setWindowModality(Qt::ApplicationModal);
    setWindowTitle(QStringLiteral("Bitte warten"));
    setFixedSize(twips::size(clientWidth, clientHeight));
    setFont(uiFont(QStringLiteral("MS Sans Serif"), 8.25));
    setBackground(this, colours::grey);
    const QPoint at = twips::centred(platform.screenSizeTwips(), QSize(clientWidth, clientHeight));
    move(twips::toPixels(at.x()), twips::toPixels(at.y()));

    const QString text = QStringLiteral("Die Datei „%1“ wird gerade an einem anderen Arbeitsplatz geändert. "
                                        "Das Programm wartet, bis sie frei ist.")
                             .arg(fileName);
    Label1 = new QLabel(text, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setTextFormat(Qt::PlainText);
    Label1->setWordWrap(true);
    Label1->setGeometry(twips::rect(240, 180, 4920, 900));

    Command1 = new QPushButton(QStringLiteral("Abbrechen"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(twips::rect(1800, 1215, 1800, 405));
    setAccessibleNames(Command1, QStringLiteral("Abbrechen"));

    setAccessibleName(windowTitle());
    setAccessibleDescription(text);
    keysOfWindow(this, Command1);
    connect(Command1, &QPushButton::clicked, this, [this] { m_cancelled = true; });
    Command1->setFocus();
}

void LockWaitNote::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

void LockWaitNote::closeEvent(QCloseEvent *event)
{
    // The close box gives up the wait as "Abbrechen" does; the window goes
    // when the wait is over.
    m_cancelled = true;
    event->ignore();
}

namespace {

// One wait for a lock, from its first report to its last.
struct LockWait
{
    QPointer<LockWaitNote> note;
    bool noteShown = false;
};

// The waits under way: a wait lets events through, and one of them may
// start a wait of its own, which is over before the first one goes on.
struct LockWaits
{
    QList<std::shared_ptr<LockWait>> open;
    // How many of them are letting events through right now.
    int pumping = 0;
};

} // namespace

WorkDir::WaitHook lockWaitHook(Platform &platform)
{
    auto waits = std::make_shared<LockWaits>();
    return [&platform, waits](const QString &name, qint64 waitedMs) {
        auto *app = qobject_cast<QApplication *>(QCoreApplication::instance());
        if (!app || QThread::currentThread() != app->thread())
            return true;
        if (waitedMs < 0) {
            if (waits->open.isEmpty())
                return true;
            const std::shared_ptr<LockWait> wait = waits->open.takeLast();
            delete wait->note.data();
            QGuiApplication::restoreOverrideCursor();
            return true;
        }
        // A report while every open wait is letting events through is the
        // first one of a new wait (its waitedMs is 0, as may be a second one's).
        if (waits->open.size() == waits->pumping) {
            waits->open.append(std::make_shared<LockWait>());
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        }
        const std::shared_ptr<LockWait> wait = waits->open.last();
        if (waitedMs >= noteAfterMs && !wait->noteShown) {
            wait->noteShown = true;
            // The pointer shows that "Abbrechen" can be clicked.
            QGuiApplication::changeOverrideCursor(Qt::BusyCursor);
            wait->note = new LockWaitNote(platform, name, QApplication::activeWindow());
            wait->note->show();
            wait->note->activateWindow();
        }
        ++waits->pumping;
        QCoreApplication::processEvents(wait->noteShown ? QEventLoop::AllEvents
                                                        : QEventLoop::ExcludeUserInputEvents);
        --waits->pumping;
        return !(wait->note && wait->note->cancelled());
    };
}
