#pragma once

#include "platform/platform.h"

#include <QLabel>
#include <QTimer>
#include <QWidget>

#include <memory>

class quitt;

// The splash window. Two seconds after it is loaded it closes itself and
// creates and shows the main window, which it keeps.
class Form1 : public QWidget
{
public:
    explicit Form1(Platform &platform);
    ~Form1() override;

    static constexpr int clientWidth = 4335;
    static constexpr int clientHeight = 4695;

    QLabel *Image1;
    QTimer *Timer1;

    void Form_Load();
    void Timer1_Timer();

    quitt *mainWindow() const { return m_main.get(); }

private:
    Platform &m_platform;
    std::unique_ptr<quitt> m_main;
};
