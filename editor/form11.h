#pragma once

#include <QWidget>

// the payer list editor.
class Form11 : public QWidget
{
};
