#pragma once

#include "platform/platform.h"

#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>

// The about window: a picture, the maker's details and a close button.
class Form3 : public QWidget
{
public:
    Form3(Platform &platform, QWidget *parent);

    static constexpr int clientWidth = 6495;
    static constexpr int clientHeight = 5910;

    QLabel *Image1;
    QGroupBox *Frame1;
    QPlainTextEdit *Text1;
    QPushButton *Command1;

    void Form_Load();
    void Command1_Click();

    static QString makersText();

private:
    Platform &m_platform;
};
