#pragma once

#include "editor/listeditor.h"

// The purpose list editor: "fuer.dat" for the purpose box.
class Form15 : public ListEditor
{
public:
    Form15(Platform &platform, SortedComboBox *purposeBox, QWidget *parent);
    static const Layout &purposeLayout();
};
