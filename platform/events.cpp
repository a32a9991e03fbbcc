#include "platform/events.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

EventRouter::EventRouter(QObject *parent)
    : QObject(parent)
{
}

EventRouter::Handlers &EventRouter::handlersOf(QWidget *control)
{
    if (!m_handlers.contains(control)) {
        control->installEventFilter(this);
        connect(control, &QObject::destroyed, this, [this, control] { m_handlers.remove(control); });
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
        if (h.gotFocus)
            h.gotFocus();
        break;
    case QEvent::FocusOut:
        if (h.lostFocus)
            h.lostFocus();
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
    case QEvent::MouseButtonRelease:
        if (h.click && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            h.click();
        break;
    case QEvent::MouseButtonDblClick:
        if (h.doubleClick)
            h.doubleClick();
        break;
    default:
        break;
    }
    return false;
}
