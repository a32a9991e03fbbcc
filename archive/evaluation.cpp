#include "archive/evaluation.h"

#include "text/codepage.h"
#include "archive/receiptcache.h"
#include "receipt/receiptfile.h"
#include "receipt/vatrate.h"
#include "text/foldedsearch.h"
#include "text/textlines.h"

#include <QDateTime>
#include <QDir>
#include <QSaveFile>

#include <algorithm>
#include <iterator>
#include <limits>
#include <optional>

namespace {

bool isBlank(char c)
{
    // The blanks QString::trimmed() takes away, in the code page of the files
    // (0xA0 is the no-break space).
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == char(0xA0);
}

QByteArrayView trimmed(QByteArrayView text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

bool allDigits(QByteArrayView text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The receipt file's lines that are read; a line end is CR LF, CR or LF.
std::array<QByteArrayView, receiptfile::lineCount> receiptLines(QByteArrayView bytes)
{
    std::array<QByteArrayView, receiptfile::lineCount> lines {};
    int count = 0;
    textlines::forEachLine(
        bytes, [&](qsizetype begin, qsizetype end) { lines[size_t(count++)] = bytes.sliced(begin, end - begin); },
        receiptfile::lineCount);
    return lines;
}

QString rateText(const EvaluationRow &row)
{
    if (row.taxMode != TaxMode::Regular)
        return EvaluationSums::nameOf(EvaluationSums::keyOf(row));
    return row.rate ? vatrate::text(*row.rate) : QStringLiteral("?");
}

QString amountText(const StoredAmount &a, bool grouped)
{
    switch (a.kind) {
    case StoredAmount::Kind::Value:
        return germantext::amount(a.cents, grouped);
    case StoredAmount::Kind::Unreadable:
        return a.text;
    case StoredAmount::Kind::Empty:
        break;
    }
    return QString();
}

bool isCsvNumber(const EvaluationRow &row, int column)
{
    using namespace evaluationcolumn;
    switch (column) {
    case Date:
        return true;
    case Rate:
        return row.rate.has_value() && row.taxMode == TaxMode::Regular;
    case Net:
        return row.net.kind == StoredAmount::Kind::Value;
    case Vat:
        return row.vat.kind == StoredAmount::Kind::Value;
    case Total:
        return row.total.kind == StoredAmount::Kind::Value;
    default:
        return false;
    }
}

void appendCsvField(QString &line, QString text, bool number)
{
    // A receipt's line may hold bytes a spreadsheet shows as nothing (NUL,
    // 0x81 and its like): they are seen in the file and the row stays one line.
    text = codepage::withVisibleControls(std::move(text));
    if (!number && !text.isEmpty()) {
        const QChar first = text.at(0);
        if (first == QLatin1Char('=') || first == QLatin1Char('+') || first == QLatin1Char('-')
            || first == QLatin1Char('@') || first == QLatin1Char('\t') || first == QLatin1Char('\r'))
            text.prepend(QLatin1Char('\''));
    }
    // Besides ";", LibreOffice's import splits at "," and tab unless the user
    // unticks them: a decimal comma or an address with commas is quoted, so
    // that it stays one field there too; Excel and CSV readers take the quotes
    // off and read a quoted number as a number.
    const bool needsQuotes = std::any_of(text.cbegin(), text.cend(), [](QChar c) {
        return c == QLatin1Char(';') || c == QLatin1Char(',') || c == QLatin1Char('"') || c == QLatin1Char('\r')
            || c == QLatin1Char('\n') || c == QLatin1Char('\t');
    });
    if (needsQuotes) {
        text.replace(QLatin1Char('"'), QLatin1String("\"\""));
        line += QLatin1Char('"') + text + QLatin1Char('"');
    } else {
        line += text;
    }
}

} // namespace

StoredAmount StoredAmount::read(QByteArrayView unitsLine, QByteArrayView penniesLine, bool utf8)
{
    QByteArrayView units = trimmed(unitsLine);
    const QByteArrayView pennies = trimmed(penniesLine);
    StoredAmount a;
    if (units.isEmpty() && pennies.isEmpty())
        return a;
    // A cancellation's amounts are negative: "-45" in the units line, the
    // pennies as they were.
    const bool negative = units.size() > 1 && units[0] == '-';
    if (negative)
        units = units.sliced(1);
    qsizetype lead = 0;
    while (lead + 1 < units.size() && units[lead] == '0')
        ++lead;
    if (!units.isEmpty() && allDigits(units) && units.size() - lead <= maxUnitDigits && pennies.size() <= 2
        && allDigits(pennies)) {
        a.kind = Kind::Value;
        for (const char c : units)
            a.cents = a.cents * 10 + (c - '0');
        a.cents *= 100;
        if (!pennies.isEmpty())
            a.cents += (pennies[0] - '0') * 10 + (pennies.size() > 1 ? pennies[1] - '0' : 0);
        if (negative)
            a.cents = -a.cents;
        return a;
    }
    a.kind = Kind::Unreadable;
    a.text = codepage::decodeAs(unitsLine, utf8);
    if (!penniesLine.isEmpty())
        a.text += QLatin1Char(',') + codepage::decodeAs(penniesLine, utf8);
    return a;
}

StoredAmount StoredAmount::value(qint64 cents)
{
    StoredAmount a;
    a.kind = Kind::Value;
    a.cents = cents;
    return a;
}

std::optional<int> derivedRate(const StoredAmount &total, const StoredAmount &net, const StoredAmount &vat)
{
    if (total.kind != StoredAmount::Kind::Value)
        return std::nullopt;
    const auto cents = [](const StoredAmount &a) -> std::optional<qint64> {
        return a.kind == StoredAmount::Kind::Value ? std::optional<qint64>(a.cents) : std::nullopt;
    };
    if (vat.kind == StoredAmount::Kind::Empty)
        return 0;
    if (vat.kind != StoredAmount::Kind::Value)
        return std::nullopt;
    return vatrate::derived(total.cents, cents(net), cents(vat));
}

QString EvaluationRow::number() const
{
    return fileName.chopped(qMin<qsizetype>(4, fileName.size()));
}

namespace {

// The local day of a moment given in ms since 1970 UTC. Asking the system's
// time zone costs far more than the rest of a row, so the day last asked
// for is remembered, with where it begins and ends: receipts saved one after
// the other mostly fall on the same day.
class LocalDays
{
public:
    QDate dayOf(qint64 ms);

private:
    QDate m_day;
    qint64 m_begin = 0, m_end = 0; // [begin, end) in ms
};

QDate LocalDays::dayOf(qint64 ms)
{
    if (m_day.isValid() && ms >= m_begin && ms < m_end)
        return m_day;
    const QDate day = QDateTime::fromMSecsSinceEpoch(ms).date();
    m_begin = day.startOfDay().toMSecsSinceEpoch();
    m_end = day.addDays(1).startOfDay().toMSecsSinceEpoch();
    // A day the clock skips into (or out of) oddly is not remembered.
    m_day = ms >= m_begin && ms < m_end ? day : QDate();
    return day;
}

EvaluationRow evaluationRow(const QString &fileName, qint64 modifiedMs, QByteArrayView bytes, LocalDays &days)
{
    using namespace receiptfile;
    const bool utf8 = codepage::isUtf8(bytes);
    const auto lines = receiptLines(utf8 ? bytes.sliced(codepage::utf8Mark.size()) : bytes);
    EvaluationRow row;
    row.fileName = fileName;
    row.modifiedMs = modifiedMs;
    row.date = germantext::parseDate(lines[DateText]);
    if (!row.date.isValid()) {
        row.dateInvalid = !trimmed(lines[DateText]).isEmpty();
        row.date = days.dayOf(modifiedMs);
        row.datedByFile = true;
    }
    std::optional<int> storedRate;
    receiptfile::forEachNamedLine(bytes, [&](QByteArrayView name, QByteArrayView value) {
        if (name == QByteArrayView("Satz"))
            storedRate = vatrate::parse(codepage::decode(value));
        else if (name == QByteArrayView("Besteuerung"))
            row.taxMode = taxmode::fromCode(codepage::decode(value)).value_or(TaxMode::Regular);
        else if (name == QByteArrayView("Storno"))
            row.cancels = codepage::decode(value).trimmed();
    });
    row.net = StoredAmount::read(lines[NetUnits], lines[NetPennies], utf8);
    // The breakdown at a rate of 0 empties the VAT's whole units and leaves
    // every other amount field as it was, so the pennies line may still
    // hold what an earlier rate put there: no units, no VAT.
    if (!trimmed(lines[VatUnits]).isEmpty())
        row.vat = StoredAmount::read(lines[VatUnits], lines[VatPennies], utf8);
    row.total = StoredAmount::read(lines[TotalUnits], lines[TotalPennies], utf8);
    row.payer = codepage::decodeAs(lines[Payer], utf8);
    row.purpose = codepage::decodeAs(lines[Purpose], utf8);
    // Without VAT the net lines are not used.
    const bool noVat = row.vat.kind == StoredAmount::Kind::Empty;
    row.readable = row.total.kind == StoredAmount::Kind::Value
        && (noVat || (row.net.kind != StoredAmount::Kind::Unreadable && row.vat.kind != StoredAmount::Kind::Unreadable));
    if (!row.readable)
        return row;
    row.rate = storedRate ? storedRate : derivedRate(row.total, row.net, row.vat);
    if (row.rate == 0 || row.taxMode != TaxMode::Regular) {
        // Without VAT the whole total is net.
        row.net = row.total;
        row.vat = StoredAmount::value(0);
    }
    return row;
}

} // namespace

EvaluationRow evaluationRow(const QString &fileName, qint64 modifiedMs, QByteArrayView bytes)
{
    LocalDays days;
    return evaluationRow(fileName, modifiedMs, bytes, days);
}

namespace {

std::vector<EvaluationRow> evaluate(const WorkDir &dir, const QStringList &files, const EvaluationFilter &filter,
                                    ReceiptCache *cache)
{
    std::vector<EvaluationRow> rows;
    const SearchTerm term(filter.term);
    if (!term.findable())
        return rows;
    const auto inPeriod = [&filter](QDate date) {
        return (!filter.from.isValid() || date >= filter.from) && (!filter.to.isValid() || date <= filter.to);
    };

    // Every file is stamped: the stamp gives the time it was written, the
    // date of a receipt whose file holds none.
    ReceiptReader reader(dir, files, cache, true);
    struct Piece
    {
        std::vector<EvaluationRow> rows;
        LocalDays days;
    };
    std::vector<Piece> pieces(size_t(reader.pieces()));
    reader.run([&](qsizetype p, qsizetype f, QByteArrayView bytes, const WorkDir::FileStamp &stamp, qint64) {
        const qint64 modified = stamp.modified.milliseconds();
        // The term holds no line end, so a match lies within one line.
        const QByteArrayView fields = receiptfile::fieldBytes(bytes);
        if (!term.foundIn(fields.data(), fields.size()))
            return;
        Piece &piece = pieces[size_t(p)];
        EvaluationRow row = evaluationRow(files.at(f), modified, bytes, piece.days);
        if (inPeriod(row.date))
            piece.rows.push_back(std::move(row));
    }, [&](qsizetype p, qsizetype f, const WorkDir::FileStamp &stamp) {
        // A file that could not be read may hold the term: it is listed,
        // marked unreadable, in the period by its file's time where known.
        Piece &piece = pieces[size_t(p)];
        EvaluationRow row;
        row.fileName = files.at(f);
        row.total.kind = StoredAmount::Kind::Unreadable;
        row.payer = stamp.size > WorkDir::maxReadEachBytes
            ? QStringLiteral("(Datei nicht gelesen: %1 MB, zu groß für eine Quittung)").arg(stamp.size >> 20)
            : stamp.linked ? QStringLiteral("(Datei nicht gelesen: eine Verknüpfung auf eine andere Datei)")
                           : QStringLiteral("(Datei nicht lesbar)");
        if (stamp.size >= 0) {
            row.modifiedMs = stamp.modified.milliseconds();
            row.date = piece.days.dayOf(row.modifiedMs);
            row.datedByFile = true;
            if (!inPeriod(row.date))
                return;
        }
        piece.rows.push_back(std::move(row));
    });
    size_t count = 0;
    for (const Piece &piece : pieces)
        count += piece.rows.size();
    rows.reserve(count);
    for (Piece &piece : pieces) {
        std::move(piece.rows.begin(), piece.rows.end(), std::back_inserter(rows));
        piece.rows = {};
    }
    return rows;
}

} // namespace

std::vector<EvaluationRow> EvaluateReceipts(const WorkDir &dir, const QStringList &files,
                                            const EvaluationFilter &filter)
{
    return evaluate(dir, files, filter, nullptr);
}

std::vector<EvaluationRow> EvaluateReceipts(const WorkDir &dir, const QStringList &files,
                                            const EvaluationFilter &filter, ReceiptCache &cache)
{
    return evaluate(dir, files, filter, &cache);
}

void CentSum::add(qint64 cents)
{
    // The sum is m_high * base + m_low with 0 <= m_low < base, also below zero.
    m_low += cents % base;
    m_high += cents / base;
    if (m_low >= base) {
        m_low -= base;
        ++m_high;
    } else if (m_low < 0) {
        m_low += base;
        --m_high;
    }
}

QByteArray CentSum::digits() const
{
    qint64 high = m_high, low = m_low;
    QByteArray sign;
    if (high < 0) {
        sign = "-";
        high = -high;
        if (low > 0) {
            --high;
            low = base - low;
        }
    }
    if (high == 0)
        return sign + QByteArray::number(low);
    return sign + QByteArray::number(high) + QByteArray::number(low).rightJustified(18, '0');
}

int EvaluationSums::keyOf(const EvaluationRow &row)
{
    switch (row.taxMode) {
    case TaxMode::SmallBusiness:
        return smallBusiness;
    case TaxMode::TaxFree:
        return taxFree;
    case TaxMode::Regular:
        break;
    }
    return row.rate.value_or(unknownRate);
}

QString EvaluationSums::nameOf(int key)
{
    switch (key) {
    case unknownRate:
        return QStringLiteral("?");
    case smallBusiness:
        return QStringLiteral("Kleinunternehmer");
    case taxFree:
        return QStringLiteral("umsatzsteuerfrei");
    default:
        return vatrate::text(key) + QStringLiteral(" %");
    }
}

EvaluationSums sumsOf(const std::vector<EvaluationRow> &rows)
{
    EvaluationSums sums;
    for (const EvaluationRow &row : rows) {
        if (!row.readable) {
            ++sums.unreadable;
            continue;
        }
        RateSum &rate = sums.perRate[EvaluationSums::keyOf(row)];
        for (RateSum *sum : { &sums.all, &rate }) {
            ++sum->count;
            sum->total.add(row.total.cents);
            // An empty net or VAT (where no rate fits) counts as nothing.
            if (row.net.kind == StoredAmount::Kind::Value)
                sum->net.add(row.net.cents);
            if (row.vat.kind == StoredAmount::Kind::Value)
                sum->vat.add(row.vat.cents);
        }
    }
    return sums;
}

QString evaluationcolumn::title(int column)
{
    static const char *const titles[Count] = { "Nr.",   "Datum",     "Erhalten von", "Für",
                                               "Netto", "MWSt-Satz", "MWSt",         "Gesamt" };
    return column >= 0 && column < Count ? QString::fromUtf8(titles[column]) : QString();
}

QString cellText(const EvaluationRow &row, int column, CellUse use)
{
    using namespace evaluationcolumn;
    const bool grouped = use == CellUse::Table;
    switch (column) {
    case Number:
        return row.number();
    case Date:
        if (row.dateInvalid && use == CellUse::Table)
            return QStringLiteral("Datum im Beleg ungültig – Dateidatum ") + germantext::date(row.date);
        return germantext::date(row.date);
    case Payer:
        return row.payer;
    case Purpose:
        return row.purpose;
    case Net:
        return amountText(row.net, grouped);
    case Rate:
        return rateText(row);
    case Vat:
        return amountText(row.vat, grouped);
    case Total:
        return amountText(row.total, grouped);
    default:
        return QString();
    }
}

QByteArray evaluationCsv(const std::vector<EvaluationRow> &rows, const std::vector<int> &order)
{
    using namespace evaluationcolumn;
    // Row by row into UTF-8, so that the whole text is never held twice.
    QByteArray bytes("\xEF\xBB\xBF");
    bytes.reserve(qsizetype(order.size()) * 120 + 100);
    QString line;
    for (int column = 0; column < Count; ++column) {
        if (column > 0)
            line += QLatin1Char(';');
        appendCsvField(line, title(column), false);
    }
    line += QLatin1String("\r\n");
    bytes += line.toUtf8();
    for (const int index : order) {
        const EvaluationRow &row = rows.at(size_t(index));
        line.clear();
        for (int column = 0; column < Count; ++column) {
            if (column > 0)
                line += QLatin1Char(';');
            appendCsvField(line, cellText(row, column, CellUse::Csv), isCsvNumber(row, column));
        }
        line += QLatin1String("\r\n");
        bytes += line.toUtf8();
    }
    return bytes;
}

bool writeWholeFile(const QString &path, const QByteArray &bytes, QString *error)
{
    // Unbuffered: a write that fails (a full disk) says why at once;
    // buffered, the reason is lost by the time the file is committed.
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    if (error)
        *error = QStringLiteral("Die Datei \"%1\" konnte nicht gespeichert werden. (%2)")
                     .arg(QDir::toNativeSeparators(path), WorkDir::reasonText(file.errorString()));
    return false;
}
