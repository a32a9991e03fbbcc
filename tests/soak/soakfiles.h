#pragma once

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QString>

// What a folder holds, file by file, below it: path relative to the folder
// -> content, size and modification time. Two snapshots compare equal only
// when nothing in the folder was added, removed, changed or touched.
struct FolderSnapshot
{
    QMap<QString, QByteArray> entries;

    static FolderSnapshot of(const QString &path)
    {
        FolderSnapshot s;
        const QDir root(path);
        QDirIterator it(path, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString file = it.next();
            const QFileInfo info(file);
            QByteArray value = QByteArray::number(info.size()) + ' '
                + QByteArray::number(info.lastModified().toMSecsSinceEpoch()) + ' ';
            if (info.isFile() && !info.isSymLink()) {
                QFile f(file);
                if (f.open(QIODevice::ReadOnly))
                    value += f.readAll();
            }
            s.entries.insert(root.relativeFilePath(file), value);
        }
        return s;
    }
    bool operator==(const FolderSnapshot &) const = default;
};

inline QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeFileBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}
