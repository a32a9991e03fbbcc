#include "platform/trash.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

// Not QFile::moveToTrash: where the home trash cannot be made (an account
// without ~/.local/share) Qt takes the current directory for the trash and
// makes its files/ and info/ there, which is the receipts' folder; and for a
// file on another device than the home folder it makes a trash at the top of
// that device, which is the receipts' folder again when that is the top of a
// memory stick. Here there is one trash, the user's own, made where missing,
// and no trash at all rather than one in the wrong place.

namespace {

void setReason(QString *reason, const QString &text)
{
    if (reason)
        *reason = text;
}

// Makes the folder and the missing ones above it, for the user only, as the
// desktop's trash has them. Only below a folder that exists and is not the root
// of the file system: a home folder that is not there gets no trash.
bool makeFolder(const QString &path)
{
    QStringList missing;
    QString at = QDir::cleanPath(path);
    while (!QFileInfo(at).isDir()) {
        if (QFileInfo::exists(at) || QFileInfo(at).isSymLink())
            return false;
        missing.prepend(at);
        at = QFileInfo(at).path();
    }
    if (!missing.isEmpty() && QDir(at).isRoot())
        return false;
    const QFile::Permissions own = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    for (const QString &folder : std::as_const(missing)) {
        if (!QDir().mkdir(folder, own))
            return false;
    }
    return true;
}

} // namespace

QString trash::folder()
{
    // An account whose home folder is not there has no trash of its own.
    if (!QFileInfo(QDir::homePath()).isDir() || QDir(QDir::homePath()).isRoot())
        return QString();
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    // A relative $XDG_DATA_HOME is to be ignored; Qt would take it as it stands.
    if (dataHome.isEmpty() || QDir::isRelativePath(dataHome))
        return QString();
    return QDir::cleanPath(dataHome + QStringLiteral("/Trash"));
}

bool trash::moveToTrash(const QString &path, QString *reason)
{
    const QFileInfo source(path);
    const QString trash = folder();
    const QString files = trash + QStringLiteral("/files");
    const QString info = trash + QStringLiteral("/info");
    if (trash.isEmpty() || !makeFolder(files) || !makeFolder(info)) {
        setReason(reason, trash.isEmpty()
                      ? QStringLiteral("Es gibt keinen Papierkorb für sie")
                      : QStringLiteral("Der Papierkorb \"%1\" fehlt und kann nicht angelegt werden")
                            .arg(QDir::toNativeSeparators(trash)));
        return false;
    }

    // The note under info/ is made first and new only: it takes the name,
    // and a file of the same name already in the trash keeps its own.
    const QString base = source.completeBaseName();
    const QString suffix = source.suffix().isEmpty() ? QString() : QLatin1Char('.') + source.suffix();
    QFile note;
    QString name;
    for (int n = 1; n <= 1000 && name.isEmpty(); ++n) {
        const QString candidate = n == 1 ? source.fileName() : QStringLiteral("%1.%2%3").arg(base).arg(n).arg(suffix);
        if (QFileInfo::exists(files + QLatin1Char('/') + candidate))
            continue;
        note.setFileName(info + QLatin1Char('/') + candidate + QStringLiteral(".trashinfo"));
        if (note.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            name = candidate;
        else if (!note.exists())
            break;
    }
    if (name.isEmpty()) {
        setReason(reason, QStringLiteral("Im Papierkorb \"%1\" kann sie nicht abgelegt werden")
                              .arg(QDir::toNativeSeparators(trash)));
        return false;
    }
    const QByteArray text = "[Trash Info]\nPath=" + QUrl::toPercentEncoding(source.absoluteFilePath(), "/")
        + "\nDeletionDate=" + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1()
        + '\n';
    const bool noted = note.write(text) == text.size() && note.flush();
    note.close();
    // On another device than the trash, rename copies the file and then
    // removes it; a copy that fails removes nothing.
    QFile file(path);
    if (!noted || !file.rename(files + QLatin1Char('/') + name)) {
        const QString why = noted ? file.errorString() : note.errorString();
        note.remove();
        setReason(reason, QStringLiteral("Sie kann nicht in den Papierkorb gelegt werden: %1").arg(why));
        return false;
    }
    return true;
}
