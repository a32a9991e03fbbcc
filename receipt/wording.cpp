#include "receipt/wording.h"

const QList<WordingRow> &wordingTable()
{
    using namespace settingsfile;
    const auto s = [](const char *text) { return QString::fromUtf8(text); };
    const auto reword = [](const char *shown) {
        return QStringLiteral("Die Bezeichnung <%1> ändern").arg(QString::fromUtf8(shown));
    };
    static const QList<WordingRow> rows = {
        { Wording::Title, quitname, s("Quittung"), s("Quittung"), reword("Quittung"), s("Titel"), { s("Combo1") } },
        { Wording::Net, netto, s("netto"), s("netto"), reword("netto"), s("Netto"), { s("Label2") } },
        { Wording::VatName, mwstbez, s("% MWSt"), s("%MWSt"), reword("%MWSt"), s("MWSt"), { s("Label5") } },
        { Wording::Total, gesamtt, s("gesamt"), s("gesamt"), reword("gesamt"), s("Gesamt"), { s("Label3") } },
        { Wording::WordsHeading, worten, s("Gesamtbetrag in Worten:"), s("Gesamtbetrag in Worten:"),
          reword("Gesamtbetrag in Worten"), s("Worten"), { s("Frame6") } },
        { Wording::PenniesNote, wieoben, s("Pfennige wie oben"), s("Pfennige wie oben"), reword("Pfennige wie oben"),
          s("WieOben"), { s("Label12") } },
        { Wording::PayerHeading, betragv, s("Betrag erhalten von:"), s("Betrag erhalten von:"),
          reword("Betrag erhalten von:"), s("BetragVon"), { s("Frame7") } },
        { Wording::PurposeHeading, fuerbez, s("für:"), s("für:"), reword("für:"), s("Fuer"), { s("Frame8") } },
        { Wording::Thanks, danke, s("dankend erhalten"), s("dankend erhalten"), reword("dankend erhalten"),
          s("Danke"), { s("Label13") } },
        { Wording::PlaceHeading, plzort, s("PLZ/Ort:"), s("PLZ/Ort:"), reword("PLZ/Ort:"), s("PlzOrt"),
          { s("Frame10") } },
        { Wording::DateHeading, datum, s("Datum:"), s("Datum:"), reword("Datum:"), s("Datum"), { s("Frame11") } },
        { Wording::Rate, mwst, s("16"), s("15"), s("Mehrwertsteuer-Satz ändern"), s("Satz"), { s("Combo2") } },
        { Wording::Currency, dm, s("DM"), s("DM"), QString(), s("Waehrung"),
          { s("Label6"), s("Label7"), s("Label8") } },
        { Wording::Subunit, pf, s("Pf"), s("Pf"), QString(), s("Hundertstel"),
          { s("Label9"), s("Label10"), s("Label11") } },
    };
    return rows;
}

const WordingRow &wordingRow(Wording part)
{
    for (const WordingRow &row : wordingTable()) {
        if (row.part == part)
            return row;
    }
    Q_UNREACHABLE();
}
