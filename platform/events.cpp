#include "platform/events.h"

#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

namespace {

// The focus comes and goes without the user entering or leaving the field
// when the window is deactivated and activated again (another program, a
// message box, a secondary window) and when a menu, a context menu or a
// drop-down list closes. The field keeps its focus then, as far as the window
// is concerned, so its focus handlers do not run: a handler that computes
// would otherwise overwrite a loaded receipt or the user's own words.
bool byUser(Qt::FocusReason reason)
{
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason
        && reason != Qt::MenuBarFocusReason;
}

} // namespace

EventRouter::EventRouter(QObject *parent)
    : QObject(parent)
{
}

EventRouter::Handlers &EventRouter::handlersOf(QWidget *control)
{
    if (!m_handlers.contains(control)) {
        control->installEventFilter(this);
        connect(control, &QObject::destroyed, this, [this, control] {
            m_handlers.remove(control);
            if (m_entered == control)
                m_entered = nullptr;
            if (m_pressed == control)
                m_pressed = nullptr;
        });
    }
    return m_handlers[control];
}

void EventRouter::onGotFocus(QWidget *control, std::function<void()> handler)
{
    handlersOf(control).gotFocus = std::move(handler);
}

void EventRouter::onLostFocus(QWidget *control, std::function<void()> handler)
{
    handlersOf(control).lostFocus = std::move(handler);
}

void EventRouter::onKeyPress(QWidget *control, std::function<void(int &)> handler)
{
    handlersOf(control).keyPress = std::move(handler);
}

void EventRouter::onMouseMove(QWidget *control, std::function<void()> handler)
{
    control->setMouseTracking(true);
    handlersOf(control).mouseMove = std::move(handler);
}

void EventRouter::onClick(QWidget *control, std::function<void()> handler)
{
    handlersOf(control).click = std::move(handler);
}

void EventRouter::onDoubleClick(QWidget *control, std::function<void()> handler)
{
    handlersOf(control).doubleClick = [handler = std::move(handler)](QPoint) { handler(); };
}

void EventRouter::onDoubleClick(QWidget *control, std::function<void(QPoint at)> handler)
{
    handlersOf(control).doubleClick = std::move(handler);
}

bool EventRouter::eventFilter(QObject *watched, QEvent *event)
{
    const auto found = m_handlers.constFind(watched);
    if (found == m_handlers.constEnd())
        return false;
    const Handlers h = *found; // a handler may close the window and its controls
    switch (event->type()) {
    case QEvent::FocusIn:
        // A window coming back gives the focus to the field that had it; that
        // field was entered already. Only a field the program put the focus
        // into while the window was inactive (the first field of a window
        // being shown) is entered now.
        if (byUser(static_cast<QFocusEvent *>(event)->reason()) || m_entered != watched) {
            m_entered = watched;
            if (h.gotFocus)
                h.gotFocus();
        }
        break;
    case QEvent::FocusOut:
        if (byUser(static_cast<QFocusEvent *>(event)->reason())) {
            if (m_entered == watched)
                m_entered = nullptr;
            if (h.lostFocus)
                h.lostFocus();
        }
        break;
    case QEvent::KeyPress: {
        if (!h.keyPress)
            break;
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
            break;
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
            break;
        int code = 0;
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            code = 13;
        else if (!key->text().isEmpty())
            code = key->text().at(0).unicode();
        if (code == 0)
            break;
        int keyAscii = code;
        h.keyPress(keyAscii);
        if (keyAscii == 0)
            return true;
        break;
    }
    case QEvent::MouseMove: {
        if (!h.mouseMove)
            break;
        auto *widget = static_cast<QWidget *>(watched);
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (!widget->childAt(mouse->position().toPoint()))
            h.mouseMove();
        break;
    }
    case QEvent::MouseButtonPress:
        // Only controls with a click handler: a press a picture ignores goes
        // on to the frame around it, which must not take it over.
        if (h.click && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            m_pressed = watched;
        break;
    case QEvent::MouseButtonRelease: {
        // A click is a press and a release of the primary button on the same
        // control; pressing elsewhere and letting go here is none.
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (!h.click || mouse->button() != Qt::LeftButton)
            break;
        const bool pressedHere = m_pressed == watched;
        m_pressed = nullptr;
        if (pressedHere
            && static_cast<QWidget *>(watched)->rect().contains(mouse->position().toPoint()))
            h.click();
        break;
    }
    case QEvent::MouseButtonDblClick:
        // Only the primary button: a double-click with the other buttons
        // must not load or delete anything.
        if (static_cast<QMouseEvent *>(event)->button() != Qt::LeftButton)
            break;
        // The second press of a double-click comes as this event alone; its
        // release is a click as well.
        if (h.click)
            m_pressed = watched;
        if (h.doubleClick)
            h.doubleClick(static_cast<QMouseEvent *>(event)->position().toPoint());
        break;
    default:
        break;
    }
    return false;
}
