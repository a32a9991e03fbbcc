#pragma once

#include "einvoice/einvoicedata.h"
#include "platform/printoperation.h"

#include <QList>

#include <optional>

class QWidget;

// What the e-invoice entries need of the main window.
class EInvoiceHost
{
public:
    // The window the e-invoice's messages and windows belong to.
    virtual QWidget *hostWindow() = 0;
    // The receipt shown, as it is saved: the window checks and completes it
    // and may ask to save it first, as before a print. Nothing stops the
    // e-invoice (the window has said why).
    virtual std::optional<EInvoiceReceipt> einvoiceReceipt() = 0;
    // That receipt's page as "1 drucken" lays it out, one copy, without the
    // end of the document.
    virtual QList<PrintOperation> einvoicePage() = 0;

protected:
    ~EInvoiceHost() = default;
};
