#pragma once

#include <QWidget>

// the search and delete window.
class Form8 : public QWidget
{
};
