#pragma once

#include "receipt/wording.h"
#include "settings/taxdata.h"

#include <QString>

class QWidget;


// What rewording and the user data window need of the main window.
class WordingHost
{
public:
    virtual QWidget *hostWindow() = 0;
    virtual void showWording(Wording part, const QString &text) = 0;
    // The place of issue on the receipt.
    virtual void showPlace(const QString &place) = 0;
    // Whether and how VAT is charged: the rate box and the net and VAT
    // fields follow it.
    virtual void showTaxData(const TaxData &data) = 0;
    // Shows a failed write once, naming what failed.
    virtual void reportWriteFailure(const QString &error) = 0;

protected:
    ~WordingHost() = default;
};
