#pragma once

#include "archive/searchwindow.h"

// The search and delete window: a double-click on a result line deletes that
// receipt at once, and the search runs again.
class Form8 : public ReceiptSearchWindow
{
public:
    Form8(ArchiveController &archive, QWidget *mainWindow);

    void List1_DblClick() override;
};
