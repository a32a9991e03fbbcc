#include "editor/quitt.h"
#include "platform/scriptedplatform.h"
#include "print/printerchoice.h"
#include "tests/testsupport.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList listed(const PrinterChoiceWindow *w)
{
    QStringList names;
    for (int row = 0; row < w->List1->count(); ++row)
        names.append(w->List1->item(row)->text());
    return names;
}

QString marked(const PrinterChoiceWindow *w)
{
    const QList<QListWidgetItem *> selected = w->List1->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

void clickRow(PrinterChoiceWindow *w, const QString &name)
{
    const QList<QListWidgetItem *> items = w->List1->findItems(name, Qt::MatchExactly);
    QCOMPARE(items.size(), 1);
    QTest::mouseClick(w->List1->viewport(), Qt::LeftButton, {}, w->List1->visualItemRect(items[0]).center());
}

} // namespace

class tst_PrinterChoice : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void choose_data();
    void choose();
    void cancelKeepsTheChoice();
    void nothingMarked();
    void doubleClickSaves();

private:
    PrinterChoiceWindow *open(quitt &w);
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedPlatform> m_platform;
};

void tst_PrinterChoice::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    testsupport::putWhole(m_dir->path(), QStringLiteral("erst.dat"), QByteArray());
    m_platform = std::make_unique<ScriptedPlatform>(m_dir->path());
    m_platform->printers = { QStringLiteral("Büro"), QStringLiteral("Lager") };
}

PrinterChoiceWindow *tst_PrinterChoice::open(quitt &w)
{
    w.show();
    w.druckerwahl->trigger();
    PrinterChoiceWindow *window = w.print().printerWindow();
    if (window && !QTest::qWaitForWindowExposed(window))
        return nullptr;
    return window;
}

void tst_PrinterChoice::choose_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("markedAtStart");
    QTest::addColumn<QString>("click");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("no file: the default is marked; a printer chosen")
        << QByteArray("<missing>") << "Standarddrucker des Systems" << "Lager" << QByteArray("Lager\r\n");
    QTest::newRow("a printer marked; back to the default")
        << QByteArray("Lager\r\n") << "Lager" << "Standarddrucker des Systems" << QByteArray("\r\n");
    QTest::newRow("a printer that is gone: nothing marked")
        << QByteArray("Keller\r\n") << "" << "Büro" << QByteArray("B\xfcro\r\n");
}

void tst_PrinterChoice::choose()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, markedAtStart);
    QFETCH(QString, click);
    QFETCH(QByteArray, after);
    if (before != "<missing>")
        testsupport::putWhole(m_dir->path(), QStringLiteral("drucker.dat"), before);
    quitt w(*m_platform);
    PrinterChoiceWindow *window = open(w);
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), QStringLiteral("Drucker wählen"));
    QCOMPARE(listed(window), QStringList({ "Standarddrucker des Systems", "Büro", "Lager" }));
    QCOMPARE(marked(window), markedAtStart);
    clickRow(window, click);
    QTest::mouseClick(window->Command2, Qt::LeftButton);
    QCOMPARE(testsupport::get(m_dir->path(), QStringLiteral("drucker.dat")), after);
    QVERIFY(!window->isVisible());
    QVERIFY(m_platform->messages.isEmpty());
}

void tst_PrinterChoice::cancelKeepsTheChoice()
{
    testsupport::putWhole(m_dir->path(), QStringLiteral("drucker.dat"), "Lager\r\n");
    quitt w(*m_platform);
    PrinterChoiceWindow *window = open(w);
    QVERIFY(window);
    clickRow(window, QStringLiteral("Büro"));
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    QVERIFY(!window->isVisible());
    QCOMPARE(testsupport::get(m_dir->path(), QStringLiteral("drucker.dat")), QByteArray("Lager\r\n"));
}

void tst_PrinterChoice::nothingMarked()
{
    testsupport::putWhole(m_dir->path(), QStringLiteral("drucker.dat"), "Keller\r\n");
    quitt w(*m_platform);
    PrinterChoiceWindow *window = open(w);
    QVERIFY(window);
    QTest::mouseClick(window->Command2, Qt::LeftButton);
    QCOMPARE(m_platform->messageTexts(), QStringList { "Bitte markieren Sie einen Drucker!" });
    QVERIFY(window->isVisible());
    QCOMPARE(testsupport::get(m_dir->path(), QStringLiteral("drucker.dat")), QByteArray("Keller\r\n"));
}

void tst_PrinterChoice::doubleClickSaves()
{
    quitt w(*m_platform);
    testsupport::showSavedReceipt(w);
    PrinterChoiceWindow *window = open(w);
    QVERIFY(window);
    const QList<QListWidgetItem *> items = window->List1->findItems(QStringLiteral("Lager"), Qt::MatchExactly);
    QCOMPARE(items.size(), 1);
    const QPoint at = window->List1->visualItemRect(items[0]).center();
    QTest::mouseClick(window->List1->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(window->List1->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(testsupport::get(m_dir->path(), QStringLiteral("drucker.dat")), QByteArray("Lager\r\n"));
    // The next print goes there.
    w.Command5_Click();
    QCOMPARE(m_platform->pagePrinters, QStringList { "Lager" });
}

QTEST_MAIN(tst_PrinterChoice)
#include "tst_printerchoice.moc"
