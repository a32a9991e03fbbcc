#include "archive/auditexport.h"
#include "archive/auditexportwindow.h"
#include "archive/cancellation.h"
#include "archive/checkwindow.h"
#include "archive/evaluation.h"
#include "archive/journal.h"
#include "editor/quitt.h"
#include "platform/scriptedplatform.h"
#include "tests/testsupport.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

using testsupport::get;
using testsupport::put;

namespace {

// A table as index.xml describes it.
struct TableSpec
{
    QString url;
    qint64 skip = 0;
    QString columnDelimiter, recordDelimiter, encapsulator, decimal;
    bool utf8 = false;
    QStringList names, types; // "AlphaNumeric", "Numeric", "Date"
};

QList<TableSpec> readIndex(const QByteArray &xml)
{
    QList<TableSpec> tables;
    QXmlStreamReader r(xml);
    QStringList path;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            const QString name = r.name().toString();
            if (name == "Table")
                tables.append(TableSpec());
            else if (name == "UTF8")
                tables.last().utf8 = true;
            else if ((name == "AlphaNumeric" || name == "Numeric" || name == "Date")
                     && (path.last() == "VariableColumn" || path.last() == "VariablePrimaryKey"))
                tables.last().types.append(name);
            path.append(name);
        } else if (r.isEndElement()) {
            path.removeLast();
        } else if (r.isCharacters() && !r.isWhitespace() && !tables.isEmpty()) {
            const QString text = r.text().toString(), at = path.last(), up = path.value(path.size() - 2);
            TableSpec &t = tables.last();
            if (at == "URL") t.url = text;
            else if (at == "SkipNumBytes") t.skip = text.toLongLong();
            else if (at == "ColumnDelimiter") t.columnDelimiter = text;
            else if (at == "RecordDelimiter") t.recordDelimiter = text;
            else if (at == "TextEncapsulator") t.encapsulator = text;
            else if (at == "DecimalSymbol") t.decimal = text;
            else if (at == "Name" && (up == "VariableColumn" || up == "VariablePrimaryKey")) t.names.append(text);
        }
    }
    return tables;
}

// The records of a table file, read by its description alone.
QList<QStringList> readTable(const TableSpec &t, const QByteArray &bytes)
{
    const QString text = QString::fromUtf8(bytes.mid(t.skip));
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (quoted) {
            if (text.mid(i, 2) == t.encapsulator + t.encapsulator) {
                field += t.encapsulator;
                ++i;
            } else if (text.mid(i, 1) == t.encapsulator) {
                quoted = false;
            } else {
                field += text[i];
            }
        } else if (text.mid(i, 1) == t.encapsulator) {
            quoted = true;
        } else if (text.mid(i, t.columnDelimiter.size()) == t.columnDelimiter) {
            row.append(field);
            field.clear();
        } else if (text.mid(i, t.recordDelimiter.size()) == t.recordDelimiter) {
            row.append(field);
            rows.append(row);
            row.clear();
            field.clear();
            i += t.recordDelimiter.size() - 1;
        } else {
            field += text[i];
        }
    }
    return rows;
}

qint64 cents(const QString &amount, const QString &decimal)
{
    const QStringList parts = amount.split(decimal);
    const qint64 units = parts[0].toLongLong();
    const qint64 hundredths = parts.value(1).leftJustified(2, '0').toLongLong();
    return parts[0].startsWith('-') ? units * 100 - hundredths : units * 100 + hundredths;
}

ReceiptRecord receipt(const QString &number, const QString &total, const QString &date)
{
    ReceiptRecord r;
    r.number = number;
    r.totalUnits = total;
    r.totalPennies = QStringLiteral("50");
    r.payer = QStringLiteral("Müller; \"Söhne\"");
    r.purpose = QStringLiteral("Miete");
    r.date = date;
    r.vatRate = QStringLiteral("0");
    r.page = ReceiptPage();
    return r;
}

} // namespace

class TestAuditExport : public QObject
{
    Q_OBJECT

private slots:
    void exportReadsBackByItsIndex_data();
    void exportReadsBackByItsIndex();
    void sumsBelowZero_data();
    void sumsBelowZero();
    void checkWindowSavesFindings_data();
    void checkWindowSavesFindings();
};

void TestAuditExport::exportReadsBackByItsIndex_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<int>("receipts");

    QTest::newRow("the year as offered, a receipt and its cancellation sum to zero") << QString() << QString() << 3;
    QTest::newRow("March: without the cancellation of April") << "01.03.2025" << "31.03.2025" << 2;
    QTest::newRow("a year without receipts") << "01.01.2020" << "31.12.2020" << 0;
}

void TestAuditExport::exportReadsBackByItsIndex()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(int, receipts);

    QTemporaryDir tmp, out;
    put(tmp.path(), "erst.dat", "");
    ScriptedPlatform platform(tmp.path());
    platform.date = QDate(2025, 5, 2);
    quitt main(platform);
    WorkDir &dir = main.files();
    QCOMPARE(SaveReceipt(dir, receipt("1", "100", "03.03.2025")).result, SaveOutcome::Result::Saved);
    QCOMPARE(SaveReceipt(dir, receipt("2", "40", "15.03.2025")).result, SaveOutcome::Result::Saved);
    QCOMPARE(SaveReceipt(dir, receipt("3", "7", "31.12.2024")).result, SaveOutcome::Result::Saved);
    QCOMPARE(cancellation::cancel(dir, "2.num", QDate(2025, 4, 1)).number, QString("4"));

    main.betriebspruefung->trigger();
    AuditExportWindow *w = nullptr;
    for (QWidget *top : QApplication::topLevelWidgets())
        w = w ? w : dynamic_cast<AuditExportWindow *>(top);
    QVERIFY(w);
    QCOMPARE(w->fromBox->text(), QString("01.01.2025"));
    QCOMPARE(w->toBox->text(), QString("31.12.2025"));
    if (!from.isEmpty()) {
        w->fromBox->selectAll();
        QTest::keyClicks(w->fromBox, from);
        w->toBox->selectAll();
        QTest::keyClicks(w->toBox, to);
    }
    platform.folderAnswers = { out.path() };
    QTest::keyClick(w->toBox, Qt::Key_Return);

    // Valid against the document type as it is handed over.
    const QString dtd = QStringLiteral(GDPDU_DTD);
    QCOMPARE(get(out.path(), auditexport::dtdFile), get(QFileInfo(dtd).path(), QFileInfo(dtd).fileName()));
    QProcess lint;
    lint.start("xmllint", { "--noout", "--dtdvalid", dtd, out.filePath(auditexport::indexFile) });
    QVERIFY(lint.waitForFinished());
    QVERIFY2(lint.exitCode() == 0, lint.readAllStandardError().constData());

    const QList<TableSpec> tables = readIndex(get(out.path(), auditexport::indexFile));
    QCOMPARE(tables.size(), 2);
    const QDate first = QDate::fromString(from.isEmpty() ? "01.01.2025" : from, "dd.MM.yyyy");
    const QDate last = QDate::fromString(to.isEmpty() ? "31.12.2025" : to, "dd.MM.yyyy");
    EvaluationFilter filter;
    filter.from = first;
    filter.to = last;
    const std::vector<EvaluationRow> evaluated = EvaluateReceipts(dir, dir.list(".num"), filter);
    qint64 evaluatedTotal = 0;
    for (const EvaluationRow &row : evaluated)
        evaluatedTotal += row.total.cents;

    for (const TableSpec &t : tables) {
        QVERIFY(t.utf8);
        QCOMPARE(t.names.size(), t.types.size());
        const QList<QStringList> rows = readTable(t, get(out.path(), t.url));
        for (const QStringList &row : rows) {
            QCOMPARE(row.size(), t.names.size());
            for (qsizetype c = 0; c < row.size(); ++c) {
                if (t.types[c] == "Date")
                    QVERIFY(QDate::fromString(row[c], "dd.MM.yyyy").isValid());
            }
        }
        if (t.url == auditexport::receiptsFile) {
            QCOMPARE(rows.size(), qsizetype(evaluated.size()));
            QCOMPARE(rows.size(), receipts);
            const qsizetype total = t.names.indexOf("Gesamt"), payer = t.names.indexOf("Zahler");
            qint64 sum = 0;
            for (const QStringList &row : rows) {
                sum += cents(row[total], t.decimal);
                QCOMPARE(row[payer], QString("Müller; \"Söhne\""));
            }
            QCOMPARE(sum, evaluatedTotal);
            if (receipts == 3) {
                QCOMPARE(sum, qint64(10050));
                QCOMPARE(rows[1][t.names.indexOf("Storniert_durch")], QString("4"));
                QCOMPARE(rows[2][t.names.indexOf("Storno_zu")], QString("2"));
                QCOMPARE(rows[2][total], QString("-40,50"));
            }
        } else {
            QCOMPARE(t.url, auditexport::journalFile);
            int inPeriod = 0;
            for (const journal::Entry &e : journal::read(dir).entries) {
                const QDate day = QDateTime::fromString(e.time, Qt::ISODate).date();
                inPeriod += day >= first && day <= last;
            }
            QCOMPARE(rows.size(), inPeriod);
        }
    }
}

// The evaluation's sums with cancellations in them: exact on both sides of
// zero, also across the sum's two halves.
void TestAuditExport::sumsBelowZero_data()
{
    QTest::addColumn<QList<qint64>>("added");
    QTest::addColumn<QByteArray>("digits");

    const qint64 big = 1000000000000000000; // the halves' base
    QTest::newRow("a receipt and its cancellation") << QList<qint64> { 10050, 4050, -4050 } << QByteArray("10050");
    QTest::newRow("a cancellation alone") << QList<qint64> { -4050 } << QByteArray("-4050");
    QTest::newRow("to zero") << QList<qint64> { 1, -1 } << QByteArray("0");
    QTest::newRow("down across the base") << QList<qint64> { big, big, -1 } << QByteArray("1999999999999999999");
    QTest::newRow("below zero across the base") << QList<qint64> { -big, -big, 1 } << QByteArray("-1999999999999999999");
    QTest::newRow("back above zero") << QList<qint64> { -big, 3, big } << QByteArray("3");
}

void TestAuditExport::sumsBelowZero()
{
    QFETCH(QList<qint64>, added);
    QFETCH(QByteArray, digits);
    CentSum sum;
    for (const qint64 cents : added)
        sum.add(cents);
    QCOMPARE(sum.digits(), digits);
}

void TestAuditExport::checkWindowSavesFindings_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("CSV") << "Befunde.csv";
    QTest::newRow("PDF") << "Befunde.pdf";
}

// Opened from the menu, the check lists a receipt edited by hand and a
// gap, and the user saves the findings with the keyboard.
void TestAuditExport::checkWindowSavesFindings()
{
    QFETCH(QString, file);
    QTemporaryDir tmp, out;
    put(tmp.path(), "erst.dat", "");
    ScriptedPlatform platform(tmp.path());
    quitt main(platform);
    QCOMPARE(SaveReceipt(main.files(), receipt("1", "100", "03.03.2025")).result, SaveOutcome::Result::Saved);
    QCOMPARE(SaveReceipt(main.files(), receipt("3", "100", "03.03.2025")).result, SaveOutcome::Result::Saved);
    put(tmp.path(), "1.num", get(tmp.path(), "1.num").replace("Miete", "Pacht"));
    main.files().refresh();

    main.pruefen->trigger();
    CheckWindow *w = nullptr;
    for (QWidget *top : QApplication::topLevelWidgets())
        w = w ? w : dynamic_cast<CheckWindow *>(top);
    QVERIFY(w);
    const QStringList shown = w->findingsBox->toPlainText().split('\n');
    QCOMPARE(shown.size(), 2);
    QVERIFY2(shown[0].startsWith("Nr. 1: nach dem Speichern geändert"), qPrintable(shown[0]));
    QCOMPARE(shown[1], QString("Nr. 2: fehlt, nie gespeichert"));

    platform.saveAnswers = { out.filePath(file) };
    w->saveButton->setFocus();
    QTest::keyClick(w->saveButton, Qt::Key_Return);
    QCOMPARE(platform.messageTexts(), QStringList());
    if (file.endsWith(".csv")) {
        QCOMPARE(get(out.path(), file), ("Befund\r\n\"" + shown[0] + "\"\r\n\"" + shown[1] + "\"\r\n").toUtf8());
    } else {
        QStringList words;
        for (const testsupport::PdfWord &word : testsupport::pdfWords(out.filePath(file)))
            words.append(word.text);
        QVERIFY2(words.join(' ').contains(shown[1]), qPrintable(words.join(' ')));
        QVERIFY2(words.join(' ').contains("Nr. 1: nach dem Speichern geändert"), qPrintable(words.join(' ')));
    }
}

QTEST_MAIN(TestAuditExport)
#include "tst_auditexport.moc"
