#pragma once

#include <QWidget>

// the search and load window.
class Form7 : public QWidget
{
};
