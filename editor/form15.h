#pragma once

#include <QWidget>

// the purpose list editor.
class Form15 : public QWidget
{
};
