#pragma once

#include "archive/searchwindow.h"

// The search and load window: a double-click on a result line takes that
// receipt into the main window.
class Form7 : public ReceiptSearchWindow
{
public:
    Form7(ArchiveController &archive, QWidget *mainWindow);

    void List1_DblClick() override;
};
