#pragma once

#include <QWidget>

// the user data window.
class Form6 : public QWidget
{
};
