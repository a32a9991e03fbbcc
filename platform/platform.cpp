#include "platform/platform.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

Platform::Platform(const QString &workingDirectory)
    : m_files(workingDirectory)
{
}

Platform::~Platform() = default;

QString Platform::programTitle()
{
    return QStringLiteral("Zettelfix");
}

QString Platform::makersLine()
{
    return QStringLiteral("Quittungen schreiben, finden und drucken");
}

void sendTab()
{
    QWidget *target = QApplication::focusWidget();
    if (!target)
        return;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
    QApplication::sendEvent(target, &release);
}
