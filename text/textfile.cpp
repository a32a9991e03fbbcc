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
    return codepage::decode(*bytes);
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
    const auto bytes = codepage::encode(text);
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
    const auto bytes = codepage::encode(text);
    if (bytes)
        return dir.append(name, *bytes, error);
    if (dir.faulted(WorkDir::Op::Append, name, error))
        return false;
    setError(error, unencodable(name, QStringLiteral("geschrieben")));
    return false;
}

WorkDir::CreateResult createNew(WorkDir &dir, const QString &name, const QString &text, QString *error)
{
    const auto bytes = codepage::encode(text);
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
