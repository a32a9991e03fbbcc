#pragma once

// Small helpers the test programs share: files in a work folder, typing into
// controls, the rows of a receipt search window and the texts of a drawing.

#include "archive/receipthost.h"
#include "editor/quitt.h"
#include "platform/scriptedplatform.h"
#include "archive/searchwindow.h"
#include "editor/quitt.h"
#include "platform/scriptedplatform.h"
#include "platform/workdir.h"
#include "platform/printoperation.h"
#include "text/codepage.h"

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace testsupport {

// The main window over a work folder of its own, as a user who has started
// the program before finds it (erst.dat is there), on the scripted platform.
// Files a test puts into folder() before open() are there at the start.
class MainWindow
{
public:
    MainWindow() : m_platform(m_dir.path()) {}
    MainWindow(const MainWindow &) = delete;
    MainWindow &operator=(const MainWindow &) = delete;
    ~MainWindow()
    {
        // Hidden first, so that the focus leaves the fields while the window
        // is whole: its focus handlers must not run from its destructor.
        if (m_window)
            m_window->hide();
    }

    // Shows the window, active, with the focus in the number.
    void open()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(m_platform.files().write(QStringLiteral("erst.dat"), QByteArray()));
        m_window = std::make_unique<quitt>(m_platform);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    QString folder() const { return m_dir.path(); }
    ScriptedPlatform &platform() { return m_platform; }
    quitt *operator->() const { return m_window.get(); }
    quitt &window() const { return *m_window; }

private:
    QTemporaryDir m_dir;
    ScriptedPlatform m_platform;
    std::unique_ptr<quitt> m_window;
};

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

// A receipt file's bytes: each line in Windows-1252 and CR LF.
inline QByteArray receiptFile(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines)
        text += line + QStringLiteral("\r\n");
    return codepage::encode(text).value();
}

// Puts a saved receipt of 116,00 into the main window as loading it from the
// archive does, so that printing it asks nothing but whether the printer is
// ready.
inline void showSavedReceipt(ReceiptHost &window, const QString &number = QStringLiteral("1"))
{
    ReceiptRecord r;
    r.number = number;
    r.netUnits = QStringLiteral("100");
    r.netPennies = QStringLiteral("00");
    r.vatUnits = QStringLiteral("16");
    r.vatPennies = QStringLiteral("00");
    r.totalUnits = QStringLiteral("116");
    r.totalPennies = QStringLiteral("00");
    r.amountInWords = QStringLiteral("Einhundertsechzehn -----");
    window.showLoadedReceipt(r);
}

// A receipt file of 100 DM for the payer and purpose, in Windows-1252.
inline QByteArray receiptBytes(const QString &number, const QString &payer, const QString &purpose)
{
    return receiptFile({ number, "84", "03", "15", "97", "100", "00", "-----Einhundert-----", payer, purpose });
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

struct PdfWord
{
    QString text;
    QRectF box; // points from the page's top-left corner
};

// The words of a PDF with their boxes, as pdftotext finds them.
inline QList<PdfWord> pdfWords(const QString &pdf, QSizeF *pageSize = nullptr)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), { QStringLiteral("-bbox"), pdf, QStringLiteral("-") });
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    const QString html = QString::fromUtf8(process.readAllStandardOutput());
    if (pageSize) {
        const auto page = QRegularExpression(QStringLiteral(R"re(<page width="([\d.]+)" height="([\d.]+)")re")).match(html);
        *pageSize = QSizeF(page.captured(1).toDouble(), page.captured(2).toDouble());
    }
    QList<PdfWord> words;
    static const QRegularExpression word(
        QStringLiteral(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    for (const auto &m : word.globalMatch(html)) {
        // Ligatures come out as one character; compare them as their letters.
        QString text = m.captured(5).normalized(QString::NormalizationForm_KC);
        text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        words.append({ text, QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                    QPointF(m.captured(3).toDouble(), m.captured(4).toDouble())) });
    }
    return words;
}

// The PDF page's printable area starts a quarter inch in.
inline constexpr double pdfMarginPoints = 6.35 / 25.4 * 72;

// Checks that the first word of every text operation stands in the PDF where
// the operation puts it, in its size. Empty when all do, else what is amiss;
// *checked counts the texts found.
inline QString misplacedText(const QString &pdf, const QList<PrintOperation> &ops, int *checked)
{
    const QList<PdfWord> words = pdfWords(pdf);
    *checked = 0;
    for (const PrintOperation &op : ops) {
        if (op.kind != PrintOperation::Kind::Text || op.text.trimmed().isEmpty())
            continue;
        const QString first = op.text.trimmed().section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
        const double x = pdfMarginPoints + op.x / 20;
        const double y = pdfMarginPoints + op.y / 20;
        // A leading blank moves the first word right by about a third of the size.
        const double slack = op.text.startsWith(QLatin1Char(' ')) ? op.fontSize * 0.5 : 0;
        const auto found = std::find_if(words.begin(), words.end(), [&](const PdfWord &w) {
            return w.text == first && w.box.left() > x - 1.5 && w.box.left() < x + 1.5 + slack
                && std::abs(w.box.top() - y) < 1.5;
        });
        if (found == words.end()) {
            QString seen;
            for (const PdfWord &w : words)
                if (w.text == first)
                    seen += QStringLiteral(" %1, %2").arg(w.box.left()).arg(w.box.top());
            return QStringLiteral("\"%1\" not at %2, %3 pt but at%4").arg(first).arg(x).arg(y).arg(seen);
        }
        // The size shows in the height of the word's box.
        if (found->box.height() < op.fontSize * 0.9 || found->box.height() > op.fontSize * 1.5)
            return QStringLiteral("\"%1\" is %2 pt high").arg(first).arg(found->box.height());
        ++*checked;
    }
    return QString();
}

// A receipt file with amounts given as "units,pennies" (a part left out is
// an empty line), in Windows-1252.
inline QByteArray receiptWithAmounts(const QString &number, const QString &net, const QString &vat,
                                     const QString &total, const QString &payer, const QString &purpose = QString())
{
    QStringList lines { number };
    for (const QString &amount : { net, vat, total }) {
        const QStringList parts = amount.split(QLatin1Char(','));
        lines << parts.value(0) << parts.value(1);
    }
    return receiptFile(lines << QStringLiteral("--Worte--") << payer << purpose);
}

// The lines of a DATEV file (Windows-1252, CR LF), each split at the ";"
// outside quotes, fields as they stand, quotes included. A line end other
// than CR LF, or a line without one, makes the whole file "<bad line end>".
inline QList<QStringList> datevLines(const QByteArray &bytes)
{
    QList<QStringList> lines;
    const QList<QByteArray> raw = bytes.split('\n');
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QByteArray &line = raw.at(i);
        if (i == raw.size() - 1) {
            if (!line.isEmpty())
                return { { "<bad line end>" } };
            break;
        }
        if (!line.endsWith('\r') || line.chopped(1).contains('\r'))
            return { { "<bad line end>" } };
        const QString text = codepage::decode(line.chopped(1));
        QStringList fields { QString() };
        bool inQuotes = false;
        for (const QChar c : text) {
            if (c == QLatin1Char('"'))
                inQuotes = !inQuotes;
            if (c == QLatin1Char(';') && !inQuotes)
                fields.append(QString());
            else
                fields.last() += c;
        }
        lines.append(fields);
    }
    return lines;
}

// A quoted field's text with its inner quotes single again; the field itself
// when it is not quoted.
inline QString unquoted(const QString &field)
{
    if (field.size() < 2 || !field.startsWith(QLatin1Char('"')) || !field.endsWith(QLatin1Char('"')))
        return field;
    return field.mid(1, field.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
}

// A FAT16 file system in an image file, mounted through fusefat as a USB
// stick is: no hard links, no rename that refuses to replace, times of two
// seconds' grain, and no change notices from the kernel.
class FatFolder
{
public:
    FatFolder() = default;
    FatFolder(const FatFolder &) = delete;
    FatFolder &operator=(const FatFolder &) = delete;
    ~FatFolder() { unmount(); }

    // Empty when mounted, else why not (for the test's skip message).
    QString mount()
    {
        const QStringList places { QStringLiteral("/usr/sbin"), QStringLiteral("/sbin"), QStringLiteral("/usr/bin"),
                                   QStringLiteral("/bin") };
        const QString mkfs = QStandardPaths::findExecutable(QStringLiteral("mkfs.vfat"), places);
        const QString fusefat = QStandardPaths::findExecutable(QStringLiteral("fusefat"), places);
        if (!QFile::exists(QStringLiteral("/dev/fuse")) || mkfs.isEmpty() || fusefat.isEmpty())
            return QStringLiteral("needs /dev/fuse, mkfs.vfat (dosfstools) and fusefat");
        const QString image = m_tmp.filePath(QStringLiteral("stick.img"));
        QFile img(image);
        if (!img.open(QIODevice::WriteOnly) || !img.resize(32 << 20))
            return QStringLiteral("no room for the image");
        img.close();
        m_root = m_tmp.filePath(QStringLiteral("stick"));
        if (!QDir().mkpath(m_root) || !run(mkfs, { QStringLiteral("-F"), QStringLiteral("16"), image }))
            return QStringLiteral("mkfs.vfat failed");
        if (!run(fusefat, { QStringLiteral("-o"), QStringLiteral("rw+"), image, m_root }))
            return QStringLiteral("fusefat could not mount the image (FUSE not usable here)");
        m_mounted = true;
        return {};
    }
    // A folder on it, made where missing (below the root, whose number of
    // entries FAT limits).
    QString folder(const QString &name) const
    {
        const QString path = m_root + QLatin1Char('/') + name;
        QDir().mkpath(path);
        return path;
    }
    // The root folder: its 512 entries are set aside when the file system
    // is made. fusefat does not grow a folder below it past its first
    // cluster (64 entries here), after which no new name can be made there.
    QString root() const { return m_root; }
    bool unmount()
    {
        if (!m_mounted)
            return true;
        m_mounted = !run(QStringLiteral("fusermount"), { QStringLiteral("-u"), m_root })
            && !run(QStringLiteral("umount"), { m_root });
        return !m_mounted;
    }

private:
    static bool run(const QString &program, const QStringList &arguments)
    {
        QProcess p;
        p.setStandardOutputFile(QProcess::nullDevice());
        p.setStandardErrorFile(QProcess::nullDevice());
        p.start(program, arguments);
        return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }

    QTemporaryDir m_tmp;
    QString m_root;
    bool m_mounted = false;
};

} // namespace testsupport
