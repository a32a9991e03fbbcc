#pragma once

#include "archive/searchwindow.h"

// The search and delete window: a double-click on a result line (or Enter on
// it) asks whether that receipt is to go, deletes it on "Ja", and the search
// runs again.
class Form8 : public ReceiptSearchWindow
{
public:
    Form8(ArchiveController &archive, QWidget *mainWindow);

    void List1_DblClick() override;

private:
    // Asks with the receipt's number, payer and total; true on "Ja".
    bool confirmDeletion(const QString &fileName);
};
