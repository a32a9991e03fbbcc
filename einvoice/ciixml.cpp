#include "einvoice/ciixml.h"

#include <QRegularExpression>
#include <QXmlStreamWriter>

namespace einvoice {

namespace {

const QString rsm = QStringLiteral("urn:un:unece:uncefact:data:standard:CrossIndustryInvoice:100");
const QString ram = QStringLiteral("urn:un:unece:uncefact:data:standard:ReusableAggregateBusinessInformationEntity:100");
const QString udt = QStringLiteral("urn:un:unece:uncefact:data:standard:UnqualifiedDataType:100");
const QString qdt = QStringLiteral("urn:un:unece:uncefact:data:standard:QualifiedDataType:100");

const QString taxPlace = QStringLiteral("bitte im Menü „Grund-Einstellungen“ → „Steuerliche Angaben...“ eintragen");
const QString userPlace =
    QStringLiteral("bitte im Menü „Grund-Einstellungen“ → „Anwenderdaten“ → „Ihr Name und die Anschrift ...“ eintragen");
const QString buyerPlace = QStringLiteral("bitte im Menü „Druck-Einstellungen“ → „Rechnungsempfänger ändern...“ eintragen");

QString missing(const QString &what, const QString &where)
{
    return QStringLiteral("Für die E-Rechnung fehlt %1: %2.").arg(what, where);
}

bool blank(const QString &s)
{
    return s.trimmed().isEmpty();
}

bool countryCode(const QString &s)
{
    static const QRegularExpression code(QStringLiteral("^[A-Z]{2}$"));
    return code.match(s).hasMatch();
}

// One "@" with at least two characters on either side and no blanks: what
// the receiving side's rules read as an address.
bool emailAddress(const QString &s)
{
    static const QRegularExpression address(QStringLiteral("^[^@\\s]{2,}@[^@\\s]{2,}$"));
    return address.match(s.trimmed()).hasMatch();
}

class Writer
{
public:
    explicit Writer(QByteArray *out) : x(out) { x.setAutoFormatting(true); }

    void open(const QString &ns, const QString &name) { x.writeStartElement(ns, name); }
    void close() { x.writeEndElement(); }
    void text(const QString &ns, const QString &name, const QString &value) { x.writeTextElement(ns, name, value.trimmed()); }
    void ramText(const QString &name, const QString &value) { text(ram, name, value); }
    // Leaves an empty value out: the schema allows no empty element.
    void optional(const QString &name, const QString &value)
    {
        if (!blank(value))
            ramText(name, value);
    }
    void withAttribute(const QString &name, const QString &attribute, const QString &attributeValue,
                       const QString &value)
    {
        open(ram, name);
        x.writeAttribute(attribute, attributeValue);
        x.writeCharacters(value.trimmed());
        close();
    }
    void date(const QString &name, const QDate &date)
    {
        open(ram, name);
        open(udt, QStringLiteral("DateTimeString"));
        x.writeAttribute(QStringLiteral("format"), QStringLiteral("102"));
        x.writeCharacters(date.toString(QStringLiteral("yyyyMMdd")));
        close();
        close();
    }

    QXmlStreamWriter x;
};

void writeParty(Writer &w, const QString &element, const EInvoiceParty &party, bool seller)
{
    w.open(ram, element);
    w.ramText(QStringLiteral("Name"), party.name);
    if (seller && !blank(party.sellerId)) {
        w.open(ram, QStringLiteral("SpecifiedLegalOrganization"));
        w.ramText(QStringLiteral("ID"), party.sellerId);
        w.close();
    }
    if (seller) {
        w.open(ram, QStringLiteral("DefinedTradeContact"));
        w.ramText(QStringLiteral("PersonName"), party.contactName);
        w.open(ram, QStringLiteral("TelephoneUniversalCommunication"));
        w.ramText(QStringLiteral("CompleteNumber"), party.telephone);
        w.close();
        w.open(ram, QStringLiteral("EmailURIUniversalCommunication"));
        w.ramText(QStringLiteral("URIID"), party.email);
        w.close();
        w.close();
    }
    w.open(ram, QStringLiteral("PostalTradeAddress"));
    w.optional(QStringLiteral("PostcodeCode"), party.postcode);
    w.optional(QStringLiteral("LineOne"), party.street);
    w.optional(QStringLiteral("CityName"), party.city);
    w.ramText(QStringLiteral("CountryID"), party.country);
    w.close();
    if (!blank(party.email)) {
        // The electronic address: where the invoice reaches the party.
        w.open(ram, QStringLiteral("URIUniversalCommunication"));
        w.withAttribute(QStringLiteral("URIID"), QStringLiteral("schemeID"), QStringLiteral("EM"), party.email);
        w.close();
    }
    const auto registration = [&w](const QString &scheme, const QString &id) {
        if (blank(id))
            return;
        w.open(ram, QStringLiteral("SpecifiedTaxRegistration"));
        w.withAttribute(QStringLiteral("ID"), QStringLiteral("schemeID"), scheme, id);
        w.close();
    };
    registration(QStringLiteral("VA"), party.vatId);
    if (seller)
        registration(QStringLiteral("FC"), party.taxNumber);
    w.close();
}

// The VAT of the one line and of the whole: the category, its rate, and why
// none is charged.
void writeTax(Writer &w, const EInvoiceInput &in, bool header)
{
    const bool exempt = in.mode != EInvoiceTaxMode::Standard;
    w.open(ram, QStringLiteral("ApplicableTradeTax"));
    if (header)
        w.ramText(QStringLiteral("CalculatedAmount"), decimalText(in.vatCents));
    w.ramText(QStringLiteral("TypeCode"), QStringLiteral("VAT"));
    if (header && exempt)
        w.ramText(QStringLiteral("ExemptionReason"), in.exemptionNote);
    if (header)
        w.ramText(QStringLiteral("BasisAmount"), decimalText(in.netCents));
    w.ramText(QStringLiteral("CategoryCode"), exempt ? QStringLiteral("E") : QStringLiteral("S"));
    w.ramText(QStringLiteral("RateApplicablePercent"), decimalText(exempt ? 0 : in.rateHundredths));
    w.close();
}

} // namespace

QString guideline(EInvoiceFormat format)
{
    return format == EInvoiceFormat::XRechnung
        ? QStringLiteral("urn:cen.eu:en16931:2017#compliant#urn:xeinkauf.de:kosit:xrechnung_3.0")
        : QStringLiteral("urn:cen.eu:en16931:2017");
}

QString decimalText(qint64 hundredths)
{
    const QString sign = hundredths < 0 ? QStringLiteral("-") : QString();
    const qint64 magnitude = hundredths < 0 ? -hundredths : hundredths;
    return sign + QString::number(magnitude / 100) + QLatin1Char('.')
        + QStringLiteral("%1").arg(magnitude % 100, 2, 10, QLatin1Char('0'));
}

PostcodeCity splitPostcodeCity(const QString &line)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*(?:[A-Z]{1,2}\\s*-\\s*)?(\\d{4,5})\\s+(\\S.*?)\\s*$"));
    const auto match = pattern.match(line);
    if (!match.hasMatch())
        return {};
    return { match.captured(1), match.captured(2) };
}

EInvoiceParty partyFromPayerLine(const QString &payer)
{
    EInvoiceParty party;
    QStringList parts = payer.split(QLatin1Char(','));
    for (QString &part : parts)
        part = part.trimmed();
    const PostcodeCity place = parts.size() >= 2 ? splitPostcodeCity(parts.last()) : PostcodeCity();
    if (place.postcode.isEmpty()) {
        party.name = payer.trimmed();
        return party;
    }
    party.postcode = place.postcode;
    party.city = place.city;
    parts.removeLast();
    if (parts.size() >= 2)
        party.street = parts.takeLast();
    party.name = parts.join(QStringLiteral(", "));
    return party;
}

QString currencyCode(const QString &currencyName)
{
    const QString name = currencyName.trimmed();
    if (name.compare(QStringLiteral("Euro"), Qt::CaseInsensitive) == 0 || name == QStringLiteral("€"))
        return QStringLiteral("EUR");
    return name.toUpper();
}

EInvoiceInput input(const EInvoiceReceipt &receipt, const SellerData &tax, const EInvoiceBuyer &buyer)
{
    EInvoiceInput in;
    in.number = receipt.number.trimmed();
    in.issueDate = receipt.date;
    in.purpose = receipt.purpose.trimmed();
    in.mode = receipt.mode;
    in.currencyCode = currencyCode(receipt.currency);
    if (receipt.mode == EInvoiceTaxMode::Standard) {
        in.netCents = receipt.netCents;
        in.vatCents = receipt.vatCents;
        in.rateHundredths = receipt.rateHundredths;
    } else {
        in.netCents = receipt.totalCents;
        in.exemptionNote = receipt.exemptionNote.trimmed();
        if (in.exemptionNote.isEmpty() && receipt.mode == EInvoiceTaxMode::SmallBusiness)
            in.exemptionNote = TaxData::smallBusinessNote();
    }
    in.totalCents = receipt.totalCents;

    const QStringList lines = receipt.issuerLines;
    EInvoiceParty &seller = in.seller;
    seller.name = lines.value(0).trimmed();
    seller.street = lines.value(4).trimmed();
    const PostcodeCity place = splitPostcodeCity(lines.value(5));
    seller.postcode = place.postcode;
    seller.city = place.city;
    seller.country = tax.country.trimmed().toUpper();
    seller.vatId = receipt.vatId.trimmed();
    seller.taxNumber = receipt.taxNumber.trimmed();
    seller.sellerId = tax.sellerId.trimmed();
    seller.contactName = blank(tax.contactName) ? seller.name : tax.contactName.trimmed();
    seller.telephone = blank(tax.telephone) ? lines.value(2).trimmed() : tax.telephone.trimmed();
    seller.email = tax.email.trimmed();

    in.buyer = buyer.party;
    in.buyer.country = in.buyer.country.trimmed().toUpper();
    in.buyerReference = buyer.reference.trimmed();
    return in;
}

QStringList receiptAndSellerItems(const EInvoiceInput &in)
{
    QStringList items;
    if (in.currencyCode != QLatin1String("EUR"))
        items.append(QStringLiteral("Die Quittung lautet auf „%1“. Eine E-Rechnung wird nur für Quittungen in Euro "
                                    "(EUR) geschrieben.")
                         .arg(in.currencyCode));
    if (blank(in.number) || !in.issueDate.isValid())
        items.append(QStringLiteral("Die Quittung hat keine Nummer oder kein gültiges Datum. Bitte speichern Sie sie "
                                    "zuerst vollständig."));
    if (in.netCents + in.vatCents != in.totalCents)
        items.append(QStringLiteral("Netto und Mehrwertsteuer der Quittung ergeben nicht den Gesamtbetrag."));
    if (in.mode == EInvoiceTaxMode::Standard && in.rateHundredths <= 0)
        items.append(QStringLiteral("Die Quittung nennt keinen Mehrwertsteuersatz. Bitte tragen Sie den Satz ein oder "
                                    "wählen Sie unter „Steuerliche Angaben...“, warum keine Umsatzsteuer berechnet wird."));
    if (in.mode != EInvoiceTaxMode::Standard && blank(in.exemptionNote))
        items.append(missing(QStringLiteral("der Hinweis, warum keine Umsatzsteuer berechnet wird"), taxPlace));

    const EInvoiceParty &s = in.seller;
    if (blank(s.name))
        items.append(missing(QStringLiteral("Ihr Name"), userPlace));
    if (blank(s.street))
        items.append(missing(QStringLiteral("Ihre Straße (fünfte Zeile der Anschrift)"), userPlace));
    if (blank(s.postcode) || blank(s.city))
        items.append(missing(QStringLiteral("Ihre Postleitzahl mit Ort (sechste Zeile der Anschrift, z. B. „12345 "
                                            "Musterstadt“)"),
                             userPlace));
    if (!countryCode(s.country))
        items.append(missing(QStringLiteral("Ihr Land (zwei Buchstaben, z. B. DE)"), taxPlace));
    if (blank(s.vatId) && blank(s.sellerId))
        items.append(missing(QStringLiteral("Ihre USt-IdNr. oder eine andere Kennung Ihres Unternehmens (z. B. „HRB "
                                            "1234, Amtsgericht Musterstadt“) – eine Steuernummer allein genügt nicht"),
                             taxPlace));
    else if (blank(s.vatId) && blank(s.taxNumber))
        items.append(missing(QStringLiteral("Ihre USt-IdNr. oder Ihre Steuernummer"), taxPlace));
    if (blank(s.contactName))
        items.append(missing(QStringLiteral("der Name eines Ansprechpartners"), taxPlace));
    if (blank(s.telephone))
        items.append(missing(QStringLiteral("Ihre Telefonnummer"), taxPlace));
    if (!emailAddress(s.email))
        items.append(missing(QStringLiteral("Ihre E-Mail-Adresse"), taxPlace));
    return items;
}

QStringList buyerItems(const EInvoiceInput &in, EInvoiceFormat format)
{
    QStringList items;
    const EInvoiceParty &b = in.buyer;
    const auto buyerItem = [&items](bool lacking, const QString &what) {
        if (lacking)
            items.append(missing(what, buyerPlace));
    };
    buyerItem(blank(b.name), QStringLiteral("der Name des Rechnungsempfängers"));
    buyerItem(blank(b.street), QStringLiteral("die Straße des Rechnungsempfängers"));
    buyerItem(blank(b.postcode), QStringLiteral("die Postleitzahl des Rechnungsempfängers"));
    buyerItem(blank(b.city), QStringLiteral("der Ort des Rechnungsempfängers"));
    buyerItem(!countryCode(b.country), QStringLiteral("das Land des Rechnungsempfängers (zwei Buchstaben, z. B. DE)"));
    buyerItem(!blank(b.email) && !emailAddress(b.email),
              QStringLiteral("eine gültige E-Mail-Adresse des Rechnungsempfängers"));
    buyerItem(format == EInvoiceFormat::XRechnung && blank(in.buyerReference),
              QStringLiteral("die Käuferreferenz bzw. Leitweg-ID des Rechnungsempfängers, die eine XRechnung "
                             "verlangt"));
    return items;
}

QStringList missingItems(const EInvoiceInput &in, EInvoiceFormat format)
{
    return receiptAndSellerItems(in) + buyerItems(in, format);
}

QByteArray xml(const EInvoiceInput &in, EInvoiceFormat format)
{
    QByteArray out;
    Writer w(&out);
    w.x.writeStartDocument();
    w.x.writeNamespace(rsm, QStringLiteral("rsm"));
    w.x.writeNamespace(ram, QStringLiteral("ram"));
    w.x.writeNamespace(qdt, QStringLiteral("qdt"));
    w.x.writeNamespace(udt, QStringLiteral("udt"));
    w.open(rsm, QStringLiteral("CrossIndustryInvoice"));

    w.open(rsm, QStringLiteral("ExchangedDocumentContext"));
    w.open(ram, QStringLiteral("GuidelineSpecifiedDocumentContextParameter"));
    w.ramText(QStringLiteral("ID"), guideline(format));
    w.close();
    w.close();

    w.open(rsm, QStringLiteral("ExchangedDocument"));
    w.ramText(QStringLiteral("ID"), in.number);
    w.ramText(QStringLiteral("TypeCode"), QStringLiteral("380")); // a commercial invoice
    w.date(QStringLiteral("IssueDateTime"), in.issueDate);
    w.close();

    w.open(rsm, QStringLiteral("SupplyChainTradeTransaction"));

    w.open(ram, QStringLiteral("IncludedSupplyChainTradeLineItem"));
    w.open(ram, QStringLiteral("AssociatedDocumentLineDocument"));
    w.ramText(QStringLiteral("LineID"), QStringLiteral("1"));
    w.close();
    w.open(ram, QStringLiteral("SpecifiedTradeProduct"));
    // An empty purpose still names the line.
    w.ramText(QStringLiteral("Name"), blank(in.purpose) ? QStringLiteral("Quittung %1").arg(in.number) : in.purpose);
    w.close();
    w.open(ram, QStringLiteral("SpecifiedLineTradeAgreement"));
    w.open(ram, QStringLiteral("NetPriceProductTradePrice"));
    w.ramText(QStringLiteral("ChargeAmount"), decimalText(in.netCents));
    w.close();
    w.close();
    w.open(ram, QStringLiteral("SpecifiedLineTradeDelivery"));
    w.withAttribute(QStringLiteral("BilledQuantity"), QStringLiteral("unitCode"), QStringLiteral("C62"),
                    QStringLiteral("1"));
    w.close();
    w.open(ram, QStringLiteral("SpecifiedLineTradeSettlement"));
    writeTax(w, in, false);
    w.open(ram, QStringLiteral("SpecifiedTradeSettlementLineMonetarySummation"));
    w.ramText(QStringLiteral("LineTotalAmount"), decimalText(in.netCents));
    w.close();
    w.close();
    w.close();

    w.open(ram, QStringLiteral("ApplicableHeaderTradeAgreement"));
    w.optional(QStringLiteral("BuyerReference"), in.buyerReference);
    writeParty(w, QStringLiteral("SellerTradeParty"), in.seller, true);
    writeParty(w, QStringLiteral("BuyerTradeParty"), in.buyer, false);
    w.close();

    w.open(ram, QStringLiteral("ApplicableHeaderTradeDelivery"));
    w.open(ram, QStringLiteral("ActualDeliverySupplyChainEvent"));
    w.date(QStringLiteral("OccurrenceDateTime"), in.issueDate);
    w.close();
    w.close();

    w.open(ram, QStringLiteral("ApplicableHeaderTradeSettlement"));
    w.ramText(QStringLiteral("InvoiceCurrencyCode"), in.currencyCode);
    w.open(ram, QStringLiteral("SpecifiedTradeSettlementPaymentMeans"));
    w.ramText(QStringLiteral("TypeCode"), QStringLiteral("10")); // cash
    w.close();
    writeTax(w, in, true);
    w.open(ram, QStringLiteral("SpecifiedTradeSettlementHeaderMonetarySummation"));
    w.ramText(QStringLiteral("LineTotalAmount"), decimalText(in.netCents));
    w.ramText(QStringLiteral("TaxBasisTotalAmount"), decimalText(in.netCents));
    w.withAttribute(QStringLiteral("TaxTotalAmount"), QStringLiteral("currencyID"), in.currencyCode,
                    decimalText(in.vatCents));
    w.ramText(QStringLiteral("GrandTotalAmount"), decimalText(in.totalCents));
    // Paid in cash when the receipt was written.
    w.ramText(QStringLiteral("TotalPrepaidAmount"), decimalText(in.totalCents));
    w.ramText(QStringLiteral("DuePayableAmount"), decimalText(0));
    w.close();
    w.close();

    w.close(); // SupplyChainTradeTransaction
    w.close(); // CrossIndustryInvoice
    w.x.writeEndDocument();
    return out;
}

} // namespace einvoice
