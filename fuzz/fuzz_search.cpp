// The search over one receipt file on disk, and loading it: the first part
// of the input is the search term, the rest the file's bytes.
#include "fuzzinput.h"

#include "archive/search.h"
#include "receipt/receiptfile.h"
#include "text/codepage.h"
#include "text/textlines.h"

#include <QFile>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto p = fuzz::parts(fuzz::bytes(data, size), 2);
    const QString term = fuzz::text(p[0]);
    const QByteArray content = p[1];

    static WorkDir dir(fuzz::scratchDir());
    const QString name = QStringLiteral("7.num");
    {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
            fuzz::fail("cannot write the scratch file");
    }

    const SearchResults results = SearchReceipts(dir, { name }, term);

    // The same search, line by line over the decoded text.
    qsizetype expected = 0;
    const bool findable = codepage::storable(term) && !term.contains(QLatin1Char('\r'))
        && !term.contains(QLatin1Char('\n'));
    if (findable) {
        // A receipt's own twelve lines; not the page kept after them.
        for (const QString &line : textlines::splitLines(codepage::fileText(content)).mid(0, receiptfile::lineCount)) {
            if (term.isEmpty() ? !line.isEmpty() : codepage::containsIgnoringCase(line, term))
                ++expected;
        }
    }
    if (results.size() != expected)
        fuzz::fail("result count differs from the lines that match",
                   QString::number(results.size()) + QLatin1String(" != ") + QString::number(expected));
    for (qsizetype i = 0; i < results.size(); ++i) {
        const QString line = results.storedLine(i);
        if (!term.isEmpty() && !codepage::containsIgnoringCase(line, term))
            fuzz::fail("a result line does not hold the term", line);
        if (!results.text(i).startsWith(QLatin1String("7          <Nr. - ")))
            fuzz::fail("a result line does not start with its number", results.text(i));
        if (results.fileName(i) != name)
            fuzz::fail("a result line names another file", results.fileName(i));
    }

    const auto record = LoadReceipt(dir, name);
    if (!record)
        fuzz::fail("a readable receipt does not load");
    const QStringList lines = textlines::splitLines(codepage::fileText(content));
    if (record->number != (lines.isEmpty() ? QString() : lines.first()))
        fuzz::fail("loaded number is not the first line", record->number);
    return 0;
}
