#include "platform/secondarywindows.h"

void SecondaryWindows::adopt(QWidget *window)
{
    if (window && !m_open.contains(window))
        m_open.append(window);
}

QList<QWidget *> SecondaryWindows::all() const
{
    m_open.removeAll(nullptr);
    QList<QWidget *> windows;
    for (const QPointer<QWidget> &w : m_open)
        windows.append(w.data());
    return windows;
}

void SecondaryWindows::discardAll()
{
    for (QWidget *w : all())
        delete w;
    m_open.clear();
}
