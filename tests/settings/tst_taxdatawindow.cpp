#include "platform/scriptedplatform.h"
#include "settings/taxdatawindow.h"
#include "tests/testsupport.h"

#include <QClipboard>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(TaxData)
Q_DECLARE_METATYPE(SellerData)

// The window driven from the keyboard: what is typed and chosen is stored on
// OK and handed back; Escape and "Abbrechen" store nothing.
class tst_TaxDataWindow : public QObject
{
    Q_OBJECT

private slots:
    void keys_data();
    void keys();
};

void tst_TaxDataWindow::keys_data()
{
    QTest::addColumn<QByteArray>("storedMode");
    // Text is typed; <Tab>, <Enter>, <Esc>, <Ctrl+A> and <Alt+letter> are keys.
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<TaxData>("after");
    QTest::addColumn<SellerData>("seller");

    using Mode = TaxData::Mode;
    const QString note = TaxData::defaultExemptionNote();
    QTest::newRow("typed, Enter in the box saves")
        << QByteArray() << QStringList { "12/345/67890", "<Tab>", "DE123456789", "<Enter>" } << true
        << TaxData { "12/345/67890", "DE123456789", Mode::Regular, note } << SellerData();
    QTest::newRow("small business by its letter, OK by its letter")
        << QByteArray() << QStringList { "<Alt+K>", "<Alt+O>" } << true << TaxData { "", "", Mode::SmallBusiness, note } << SellerData();
    QTest::newRow("tax-free with an own note, Tab to OK")
        << QByteArray() << QStringList { "<Alt+F>", "<Tab>", "<Ctrl+A>", "Steuerfrei nach § 4 Nr. 14", "<Tab>", "<Enter>" }
        << true << TaxData { "", "", Mode::TaxFree, "Steuerfrei nach § 4 Nr. 14" } << SellerData();
    QTest::newRow("regular again, Enter on the option")
        << QByteArray("2\r\n") << QStringList { "<Alt+R>", "<Enter>" } << true << TaxData { "", "", Mode::Regular, note } << SellerData();
    QTest::newRow("Escape changes nothing")
        << QByteArray("1\r\n") << QStringList { "999", "<Alt+R>", "<Esc>" } << false
        << TaxData { "", "", Mode::SmallBusiness, note } << SellerData();
    QTest::newRow("Abbrechen by Tab and Enter")
        << QByteArray() << QStringList { "999", "<Alt+F>", "<Tab>", "<Tab>", "<Tab>", "<Enter>" } << false << TaxData() << SellerData();
    QTest::newRow("a line break pasted is refused")
        << QByteArray() << QStringList { "<Paste 1\n2>", "<Enter>" } << true << TaxData() << SellerData();
    QTest::newRow("seller data for e-invoices, the country in capitals")
        << QByteArray()
        << QStringList { "<Alt+N>", "HRB 1234, AG Musterstadt", "<Tab>", "<Ctrl+A>", "at", "<Tab>", "Erika Muster",
                         "<Tab>", "030 123456", "<Tab>", "info@muster.de", "<Enter>" }
        << true << TaxData() << SellerData { "AT", "Erika Muster", "030 123456", "info@muster.de", "HRB 1234, AG Musterstadt" };
}

void tst_TaxDataWindow::keys()
{
    QFETCH(QByteArray, storedMode);
    QFETCH(QStringList, keys);
    QFETCH(bool, saved);
    QFETCH(TaxData, after);
    QFETCH(SellerData, seller);

    QTemporaryDir dir;
    if (!storedMode.isEmpty())
        testsupport::putWhole(dir.path(), settingsfile::ustart, storedMode);
    ScriptedPlatform platform(dir.path());
    std::optional<TaxData> handedBack;
    QPointer<TaxDataWindow> window = new TaxDataWindow(platform, nullptr, [&](const TaxData &d) { handedBack = d; });
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QCOMPARE(QApplication::focusWidget(), window->Text1);

    for (const QString &key : keys) {
        QWidget *focus = QApplication::focusWidget();
        QVERIFY(focus);
        if (key.startsWith(QLatin1String("<Paste "))) {
            QApplication::clipboard()->setText(key.mid(7).chopped(1));
            QTest::keyClick(focus, Qt::Key_V, Qt::ControlModifier);
        } else if (key.startsWith(QLatin1String("<Alt+")) || key == QLatin1String("<Ctrl+A>")) {
            const auto letter = Qt::Key(Qt::Key_A + (key.at(key.size() - 2).unicode() - 'A'));
            QTest::keyClick(focus, letter, key.startsWith(QLatin1String("<Alt")) ? Qt::AltModifier : Qt::ControlModifier);
            // A button's letter presses it visibly: the click comes a moment later.
            if (auto *button = qobject_cast<QAbstractButton *>(QApplication::focusWidget()))
                QTRY_VERIFY(!button->isDown());
        } else if (key == QLatin1String("<Tab>")) {
            QTest::keyClick(focus, Qt::Key_Tab);
        } else if (key == QLatin1String("<Enter>")) {
            QTest::keyClick(focus, Qt::Key_Return);
        } else if (key == QLatin1String("<Esc>")) {
            QTest::keyClick(focus, Qt::Key_Escape);
        } else {
            testsupport::type(focus, key);
        }
    }
    QTRY_VERIFY(!window);
    QCOMPARE(handedBack.has_value(), saved);
    if (saved)
        QCOMPARE(*handedBack, after);
    QCOMPARE(ReadTaxData(WorkDir(dir.path())), after);
    QCOMPARE(ReadSellerData(WorkDir(dir.path())), seller);
    QCOMPARE(testsupport::filesIn(dir.path()).size(), saved ? 9 : storedMode.isEmpty() ? 0 : 1);
}

QTEST_MAIN(tst_TaxDataWindow)
#include "tst_taxdatawindow.moc"
