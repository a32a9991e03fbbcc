#pragma once

#include <QList>
#include <QString>

// The texts of a receipt that the user can reword, one table for all of
// them: the start reads their files, the menu names them, the rewording
// dialogs and the switch to euros write them, and a saved receipt keeps what
// its page showed of them.
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
inline constexpr int wordingCount = int(Wording::Subunit) + 1;

namespace settingsfile {
inline const QString quitname = QStringLiteral("quitname.dat");
inline const QString netto = QStringLiteral("netto.dat");
inline const QString mwstbez = QStringLiteral("mwstbez.dat");
inline const QString gesamtt = QStringLiteral("gesamtt.dat");
inline const QString worten = QStringLiteral("worten.dat");
inline const QString wieoben = QStringLiteral("wieoben.dat");
inline const QString betragv = QStringLiteral("betragv.dat");
inline const QString fuerbez = QStringLiteral("fuerbez.dat");
inline const QString danke = QStringLiteral("danke.dat");
inline const QString plzort = QStringLiteral("plzort.dat");
inline const QString datum = QStringLiteral("datum.dat");
inline const QString mwst = QStringLiteral("mwst.dat");
inline const QString dm = QStringLiteral("dm.dat");
inline const QString pf = QStringLiteral("pf.dat");
} // namespace settingsfile

struct WordingRow
{
    Wording part;
    QString file;           // the settings file that keeps it
    QString startupDefault; // what the window shows while the file is missing
    QString rewordDefault;  // what an empty or cancelled rewording falls back to
    QString menuCaption;    // its entry in the menu "Grund-Einstellungen"; none for the currency pair
    QString receiptKey;     // the name of its line in a receipt file
    QStringList controls;   // the main window's controls that show it
};

// In the order of the menu.
const QList<WordingRow> &wordingTable();
const WordingRow &wordingRow(Wording part);
