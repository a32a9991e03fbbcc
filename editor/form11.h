#pragma once

#include "editor/listeditor.h"

// The payer list editor: "von.dat" for the payer box.
class Form11 : public ListEditor
{
public:
    Form11(Platform &platform, SortedComboBox *payerBox, QWidget *parent);
    static const Layout &payerLayout();
};
