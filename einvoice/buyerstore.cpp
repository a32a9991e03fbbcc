#include "einvoice/buyerstore.h"

#include "text/codepage.h"
#include "text/textfile.h"
#include "text/textlines.h"

namespace buyerstore {

namespace {

QString key(const QString &payer)
{
    return codepage::upperCased(payer.trimmed());
}

QStringList blockOf(const QString &payer, const EInvoiceBuyer &b)
{
    const EInvoiceParty &p = b.party;
    return { payer.trimmed(), p.name, p.street, p.postcode, p.city, p.country, p.vatId, b.reference, p.email };
}

EInvoiceBuyer buyerOf(const QStringList &lines, qsizetype at)
{
    EInvoiceBuyer b;
    EInvoiceParty &p = b.party;
    p.name = lines.value(at + 1);
    p.street = lines.value(at + 2);
    p.postcode = lines.value(at + 3);
    p.city = lines.value(at + 4);
    p.country = lines.value(at + 5);
    p.vatId = lines.value(at + 6);
    b.reference = lines.value(at + 7);
    p.email = lines.value(at + 8);
    return b;
}

// Where the payer's block starts, or -1.
qsizetype blockStart(const QStringList &lines, const QString &payer)
{
    const QString wanted = key(payer);
    for (qsizetype at = 0; at + blockLines <= lines.size(); at += blockLines) {
        if (key(lines.at(at)) == wanted)
            return at;
    }
    return -1;
}

} // namespace

std::optional<EInvoiceBuyer> find(const WorkDir &dir, const QString &payer)
{
    const auto lines = textfile::readLines(dir, fileName);
    if (!lines)
        return std::nullopt;
    const qsizetype at = blockStart(*lines, payer);
    if (at < 0)
        return std::nullopt;
    return buyerOf(*lines, at);
}

bool store(WorkDir &dir, const QString &payer, const EInvoiceBuyer &buyer, QString *error)
{
    const QStringList block = blockOf(payer, buyer);
    for (const QString &value : block) {
        if (textlines::holdsLineBreak(value) || !codepage::encodable(value)) {
            if (error)
                *error = QStringLiteral("Die Datei \"%1\" wurde nicht geschrieben: „%2“ enthält einen Zeilenumbruch "
                                        "oder ein Zeichen, das nicht gespeichert werden kann.")
                             .arg(fileName, value);
            return false;
        }
    }
    // Two desks may answer for two payers at once: read and rewrite under
    // the lock, or one of the answers is lost.
    return dir.changeLocked(fileName, [&](QString *why) {
        QStringList lines;
        if (dir.exists(fileName)) {
            const auto read = textfile::readLines(dir, fileName);
            if (!read) {
                if (why)
                    *why = QStringLiteral("Die Datei \"%1\" konnte nicht gelesen werden.").arg(dir.storedName(fileName));
                return false;
            }
            lines = *read;
            // A last block cut short (edited by hand) would shift every block
            // appended after it.
            lines.resize(lines.size() - lines.size() % blockLines);
        }
        const qsizetype at = blockStart(lines, payer);
        // The payer line keeps its first spelling.
        if (at >= 0)
            for (int i = 1; i < blockLines; ++i)
                lines[at + i] = block.at(i);
        else
            lines += block;
        return textfile::write(dir, fileName, lines.join(textlines::lineEnd) + textlines::lineEnd, why);
    }, error);
}

} // namespace buyerstore
