#pragma once

// Small helpers the test programs share: files in a work folder, typing into
// controls, the rows of a receipt search window and the texts of a drawing.

#include "archive/searchwindow.h"
#include "platform/workdir.h"
#include "print/printoperation.h"

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QString>
#include <QStringList>
#include <QTest>

namespace testsupport {

// Writes a file into a folder; the calling test fails when it cannot be opened.
inline void put(const QString &dir, const QString &name, const QByteArray &bytes)
{
    QFile f(dir + QLatin1Char('/') + name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// As put(), and the test also fails when not every byte was written.
inline void putWhole(const QString &dir, const QString &name, const QByteArray &bytes)
{
    QFile f(dir + QLatin1Char('/') + name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

// A file's bytes, or "<missing>" when it cannot be read, so that a missing
// file and an empty one compare differently.
inline QByteArray get(const QString &dir, const QString &name)
{
    QFile f(dir + QLatin1Char('/') + name);
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    return f.readAll();
}

// Removes the files directly in a folder, so that a test starts from an
// empty one; folders below it stay.
inline void removeFiles(const QString &dir)
{
    for (const QString &name : QDir(dir).entryList(QDir::Files))
        QFile::remove(QDir(dir).filePath(name));
}

// The names of the files in a folder, hidden ones too, sorted by name.
inline QStringList filesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// Types text as key presses; QTest::keyClicks takes ASCII only.
inline void type(QWidget *w, const QString &text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &release);
    }
}

// A receipt file of 100 DM for the payer and purpose, in Windows-1252.
inline QByteArray receiptBytes(const QString &number, const QString &payer, const QString &purpose)
{
    return WorkDir::encode(number + "\r\n84\r\n03\r\n15\r\n97\r\n100\r\n00\r\n-----Einhundert-----\r\n" + payer + "\r\n"
                           + purpose + "\r\n")
        .value();
}

// Selects the row by pressing on it and double-clicks it, as the user does.
inline void doubleClickRow(ReceiptSearchWindow *w, int row)
{
    const QModelIndex index = w->List1->model()->index(row, 0);
    w->List1->scrollTo(index);
    const QPoint at = w->List1->visualRect(index).center();
    QTest::mouseClick(w->List1->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(w->List1->viewport(), Qt::LeftButton, {}, at);
}

// The lines a search window's list shows, top to bottom.
inline QStringList listed(const ReceiptSearchWindow *w)
{
    QStringList out;
    for (int row = 0; row < w->List1->model()->rowCount(); ++row)
        out.append(w->List1->model()->index(row, 0).data().toString());
    return out;
}

// The text operations of a drawing, in order.
inline QList<PrintOperation> textsOf(const QList<PrintOperation> &ops)
{
    QList<PrintOperation> texts;
    for (const PrintOperation &op : ops)
        if (op.kind == PrintOperation::Kind::Text)
            texts.append(op);
    return texts;
}

} // namespace testsupport
