#pragma once

#include "archive/searchwindow.h"

// The search and delete window: a double-click on a result line deletes that
// receipt at once, and the search runs again.
class Form8 : public ReceiptSearchWindow
{
public:
    explicit Form8(quitt &main);

    void List1_DblClick() override;
};
