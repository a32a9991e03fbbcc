#pragma once

#include "platform/workdir.h"

#include <QLabel>
#include <QPushButton>
#include <QWidget>

class Platform;

// The small window that says the program is waiting for a file another desk
// is changing, with "Abbrechen" to give up the wait. It keeps the user from
// starting anything else meanwhile, and a screen reader reads it out as it
// appears.
class LockWaitNote : public QWidget
{
    Q_OBJECT

public:
    // Built for the file's name as the user knows it ("von.dat"); not shown.
    LockWaitNote(Platform &platform, const QString &fileName, QWidget *mainWindow);

    static constexpr int clientWidth = 5400;
    static constexpr int clientHeight = 1860;

    QLabel *Label1;
    QPushButton *Command1;

    // "Abbrechen", Escape or the close box was used.
    bool cancelled() const { return m_cancelled; }

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    bool m_cancelled = false;
};

// How the windows show a wait for another desk's lock (see
// WorkDir::setWaitHook): the wait cursor at once, the note above after
// noteAfterMs. Until the note is up the window repaints but takes no input,
// so that no click starts a second save; the note then keeps the input to
// itself. Where there is no window (a program without QApplication, a thread
// of its own), the wait goes on unseen.
WorkDir::WaitHook lockWaitHook(Platform &platform);
inline constexpr qint64 noteAfterMs = 1000;
