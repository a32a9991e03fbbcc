#pragma once

#include "settings/taxdata.h"

#include <QString>

class QWidget;

// The parts of the main window whose wording the settings change.
enum class Wording {
    Title,          // the title word; its change handling runs also when it stays the same
    Net,            // "netto"
    VatName,        // "% MWSt"
    Total,          // "gesamt"
    WordsHeading,   // "Gesamtbetrag in Worten:"
    PenniesNote,    // "Pfennige wie oben"
    PayerHeading,   // "Betrag erhalten von:"
    PurposeHeading, // "für:"
    Thanks,         // "dankend erhalten"
    PlaceHeading,   // "PLZ/Ort:"
    DateHeading,    // "Datum:"
    Rate,           // the VAT rate box
    Currency,       // the three currency names
    Subunit,        // the three names of the hundredth
};

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
