#pragma once

#include <QWidget>

// the print font window.
class Form9 : public QWidget
{
};
