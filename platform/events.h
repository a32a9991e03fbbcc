#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPoint>

#include <functional>

class QWidget;

// Delivers a control's events to the window's handlers, one handler per
// control and event, as the windows name them (Text8_GotFocus, Text8_KeyPress,
// Frame4_MouseMove, Image2_Click).
class EventRouter : public QObject
{
public:
    explicit EventRouter(QObject *parent);

    // The user entering or leaving the field (Tab, Enter, a click, an access
    // key, the program moving the focus): not the window being deactivated
    // and activated again, and not a menu or a popup list opening and closing.
    void onGotFocus(QWidget *control, std::function<void()> handler);
    void onLostFocus(QWidget *control, std::function<void()> handler);
    // The handler gets the character code (13 for Enter) and consumes the key
    // by setting it to 0. Keys without a character (arrows, function keys)
    // and Tab are not passed.
    void onKeyPress(QWidget *control, std::function<void(int &keyAscii)> handler);
    // Mouse moves over the control itself, not over a control inside it.
    void onMouseMove(QWidget *control, std::function<void()> handler);
    // A press and a release of the primary mouse button on the control.
    void onClick(QWidget *control, std::function<void()> handler);
    // A double-click of the primary mouse button; the second form gets the
    // point it was made at, in the control's coordinates.
    void onDoubleClick(QWidget *control, std::function<void()> handler);
    void onDoubleClick(QWidget *control, std::function<void(QPoint at)> handler);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Handlers
    {
        std::function<void()> gotFocus, lostFocus, mouseMove, click;
        std::function<void(QPoint)> doubleClick;
        std::function<void(int &)> keyPress;
    };
    Handlers &handlersOf(QWidget *control);

    QHash<QObject *, Handlers> m_handlers;
    QObject *m_entered = nullptr; // the field whose GotFocus ran last, until it is left
    QObject *m_pressed = nullptr; // where the primary button went down
};
