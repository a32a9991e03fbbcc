#pragma once

#include "receipt/receiptfile.h"

class QWidget;

// What the search, deletion and evaluation windows need of the main window.
class ReceiptHost
{
public:
    // The window the archive's windows belong to.
    virtual QWidget *hostWindow() = 0;
    // Asked before another receipt takes the window's place: false when the
    // receipt shown is to stay (the user was asked about a receipt not yet
    // saved and cancelled, or saving it failed).
    virtual bool mayReplaceReceipt() = 0;
    // Takes the stored fields of a saved receipt into the window; the
    // receipt shown is then one that is saved already.
    virtual void showLoadedReceipt(const ReceiptRecord &record) = 0;

protected:
    ~ReceiptHost() = default;
};
