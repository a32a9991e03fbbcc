#include "text/textfile.h"

#include "text/codepage.h"
#include "text/textlines.h"

namespace textfile {

namespace {

QString unencodable(const QString &name, const QString &what)
{
    return WorkDir::failureMessage(name, what,
                                   QStringLiteral("Der Text enthält ein Zeichen, das nicht gespeichert werden kann"));
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

std::optional<QString> readText(const WorkDir &dir, const QString &name)
{
    const auto bytes = dir.readBytes(name);
    if (!bytes)
        return std::nullopt;
    return codepage::fileText(*bytes);
}

std::optional<QStringList> readLines(const WorkDir &dir, const QString &name)
{
    const auto text = readText(dir, name);
    if (!text)
        return std::nullopt;
    return textlines::splitLines(*text);
}

// Each writer refuses what WorkDir would refuse first (a fault, a name that
// is no bare name) before it tells of the text, as it always did.
bool write(WorkDir &dir, const QString &name, const QString &text, QString *error)
{
    const auto bytes = codepage::fileBytes(text);
    // A file that holds these very bytes already stays as it is: the start
    // writes the title word back every time, and a rewrite in a folder of
    // 100 000 receipts costs its lock and temporary file there.
    if (bytes && bytes->size() < 4096 && !dir.faulted(WorkDir::Op::Write, name, nullptr)
        && dir.readBytes(name) == *bytes)
        return true;
    if (bytes)
        return dir.write(name, *bytes, error);
    if (dir.faulted(WorkDir::Op::Write, name, error))
        return false;
    if (!WorkDir::isBareName(name))
        return dir.write(name, QByteArray(), error);
    setError(error, unencodable(name, QStringLiteral("geschrieben")));
    return false;
}

bool append(WorkDir &dir, const QString &name, const QString &text, QString *error)
{
    // The new text goes in the file's own encoding; where that cannot hold
    // it, the file becomes UTF-8 as a whole.
    const auto old = dir.exists(name) ? dir.readStart(name, codepage::utf8Mark.size()) : std::nullopt;
    if (old && codepage::isUtf8(*old) && codepage::storable(text))
        return dir.append(name, text.toUtf8(), error);
    if (const auto bytes = codepage::encode(text))
        return dir.append(name, *bytes, error);
    if (codepage::storable(text)) {
        if (!dir.exists(name))
            return write(dir, name, text, error);
        if (const auto all = dir.readBytes(name))
            return write(dir, name, codepage::fileText(*all) + text, error);
        setError(error, QStringLiteral("Die Datei \"%1\" konnte nicht gelesen werden.").arg(dir.storedName(name)));
        return false;
    }
    if (dir.faulted(WorkDir::Op::Append, name, error))
        return false;
    setError(error, unencodable(name, QStringLiteral("geschrieben")));
    return false;
}

WorkDir::CreateResult createNew(WorkDir &dir, const QString &name, const QString &text, QString *error)
{
    const auto bytes = codepage::fileBytes(text);
    if (bytes)
        return dir.createNew(name, *bytes, error);
    if (dir.faulted(WorkDir::Op::Create, name, error))
        return WorkDir::CreateResult::Failed;
    if (!WorkDir::isBareName(name) || dir.exists(name))
        return dir.createNew(name, QByteArray(), error);
    setError(error, unencodable(name, QStringLiteral("angelegt")));
    return WorkDir::CreateResult::Failed;
}

} // namespace textfile
