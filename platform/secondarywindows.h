#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>

// The windows the program opens beside its main window, known in one place:
// each kind is open at most once, opening it again brings it up as the user
// left it, and the program's end takes them all away.
class SecondaryWindows
{
public:
    // The open window of that kind, or nothing.
    template<class Window>
    Window *find() const
    {
        for (const QPointer<QWidget> &w : m_open) {
            if (auto *found = dynamic_cast<Window *>(w.data()))
                return found;
        }
        return nullptr;
    }

    // Brings the open window of that kind up, or makes one with make(), shows
    // it and gives it the keyboard. make() may give nothing (it has said
    // why), and then nothing is shown.
    template<class Window, class Make>
    Window *open(Make make)
    {
        Window *window = find<Window>();
        if (!window) {
            window = make();
            if (!window)
                return nullptr;
            adopt(window);
        }
        window->show();
        window->raise();
        window->activateWindow();
        return window;
    }

    // Takes a window someone else made and showed (the print preview).
    void adopt(QWidget *window);

    // Every window still open, in the order they were opened.
    QList<QWidget *> all() const;

    // At the program's end: every window goes without its own closing logic
    // (everything the program keeps was written when it changed).
    void discardAll();

private:
    mutable QList<QPointer<QWidget>> m_open;
};
