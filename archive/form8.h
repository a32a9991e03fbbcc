#pragma once

#include "archive/searchwindow.h"

#include <optional>

// The search and delete window: a double-click on a result line (or Enter on
// it) asks whether that receipt is to go and why, deletes it on "Ja" with a
// reason, and the search runs again. "Stornieren" cancels the selected
// receipt instead, by a cancellation receipt under the next number.
class Form8 : public ReceiptSearchWindow
{
public:
    Form8(ArchiveController &archive, QWidget *mainWindow);

    QPushButton *Command3;

    void List1_DblClick() override;
    void Command3_Click();

private:
    // Asks with the receipt's number, payer and total and for a reason; the
    // reason on "Ja".
    std::optional<QString> confirmDeletion(const QString &fileName);
};
