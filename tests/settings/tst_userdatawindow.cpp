#include "editor/quitt.h"
#include "platform/scriptedplatform.h"
#include "platform/twips.h"
#include "settings/form6.h"
#include "tests/testsupport.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// Types text as keystrokes; QTest::keyClicks takes only ASCII.
void type(QWidget *control, const QString &text)
{
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Press, control, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, control, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

} // namespace

class tst_UserDataWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void opens_data();
    void opens();
    void centred();
    void saveAtOnce();
    void saveTyped();
    void saveEmpty();
    void enterMovesToSave();
    void closeThroughFrame();
    void writeFailureKeepsWindow_data();
    void writeFailureKeepsWindow();
    void takesEveryLetter();

private:
    QByteArray read(const QString &name) const;
    void write(const QString &name, const QByteArray &bytes);
    Form6 *open(quitt &w);
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_UserDataWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    write(QStringLiteral("erst.dat"), QByteArray());
}

QByteArray tst_UserDataWindow::read(const QString &name) const
{
    QFile file(m_dir->filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(fehlt)");
}

void tst_UserDataWindow::write(const QString &name, const QByteArray &bytes)
{
    testsupport::putWhole(m_dir->path(), name, bytes);
}

Form6 *tst_UserDataWindow::open(quitt &w)
{
    w.show();
    w.anwender->trigger();
    Form6 *form = w.settings().userDataWindow();
    if (form && QTest::qWaitForWindowActive(form))
        return form;
    return nullptr;
}

void tst_UserDataWindow::opens_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("boxes");

    QTest::newRow("no user data file") << false << QByteArray() << QStringList { "", "", "", "", "", "" };
    QTest::newRow("six lines") << true << QByteArray("Firma\r\nZusatz\r\nTel\r\nFax\r\nStra\xdf" "e\r\n12345 Ort\r\n")
                               << QStringList { "Firma", "Zusatz", "Tel", "Fax", "Straße", "12345 Ort" };
    QTest::newRow("three lines") << true << QByteArray("Firma\r\nZusatz\r\nTel\r\n")
                                 << QStringList { "Firma", "Zusatz", "Tel", "", "", "" };
}

void tst_UserDataWindow::opens()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, content);
    QFETCH(QStringList, boxes);

    if (exists)
        write(QStringLiteral("Anwender.dat"), content);
    ScriptedPlatform platform(m_dir->path());
    quitt w(platform);
    Form6 *form = open(w);
    QVERIFY(form);
    QVERIFY(!w.isVisible());
    QCOMPARE(form->windowTitle(), QStringLiteral("Anwender-Daten"));
    const QStringList shown = { form->Text1->text(), form->Text2->text(), form->Text3->text(),
                                form->Text4->text(), form->Text5->text(), form->Text6->text() };
    QCOMPARE(shown, boxes);
    QCOMPARE(QApplication::focusWidget(), form->Text1);
    QVERIFY(platform.messages.isEmpty());
}

void tst_UserDataWindow::centred()
{
    ScriptedPlatform platform(m_dir->path());
    platform.screen = QSize(1000 * 15, 800 * 15);
    quitt w(platform);
    Form6 *form = open(w);
    QVERIFY(form);
    QCOMPARE(form->pos(), twips::point((15000 - Form6::clientWidth) / 2, (12000 - Form6::clientHeight) / 2));
}

void tst_UserDataWindow::saveAtOnce()
{
    const QByteArray content("Firma\r\nZusatz\r\nTel\r\nFax\r\nStra\xdf" "e 1\r\n12345 Ort\r\n");
    write(QStringLiteral("Anwender.dat"), content);
    write(QStringLiteral("ort.dat"), "Altstadt\r\n");
    ScriptedPlatform platform(m_dir->path());
    quitt w(platform);
    QCOMPARE(w.Text10->text(), QStringLiteral("Altstadt"));
    w.Text10->setText(QStringLiteral("von Hand"));
    Form6 *form = open(w);
    QVERIFY(form);
    QTest::mouseClick(form->Command1, Qt::LeftButton);

    QCOMPARE(read(QStringLiteral("Anwender.dat")), content);
    QCOMPARE(QDir(m_dir->path()).entryList({ "*nwender*" }), QStringList { "Anwender.dat" });
    QCOMPARE(read(QStringLiteral("ort.dat")), QByteArray("12345 Ort\r\n"));
    QCOMPARE(w.Text10->text(), QStringLiteral("12345 Ort"));
    QTRY_VERIFY(!w.settings().userDataWindow());
    QVERIFY(w.isVisible());
    QVERIFY(platform.messages.isEmpty());
}

void tst_UserDataWindow::saveTyped()
{
    ScriptedPlatform platform(m_dir->path());
    quitt w(platform);
    Form6 *form = open(w);
    QVERIFY(form);
    type(form->Text1, QStringLiteral("Müller & Söhne"));
    QTest::keyClick(form->Text1, Qt::Key_Return);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("GmbH"));
    form->Text6->setText(QStringLiteral("50667 Köln"));
    form->Command1_Click();

    QCOMPARE(read(QStringLiteral("anwender.dat")), QByteArray("M\xfcller & S\xf6hne\r\nGmbH\r\n\r\n\r\n\r\n50667 K\xf6ln\r\n"));
    QCOMPARE(read(QStringLiteral("ort.dat")), QByteArray("50667 K\xf6ln\r\n"));
    QCOMPARE(w.Text10->text(), QStringLiteral("50667 Köln"));
    QTRY_VERIFY(!w.settings().userDataWindow());
    QVERIFY(w.isVisible());
}

void tst_UserDataWindow::saveEmpty()
{
    write(QStringLiteral("ort.dat"), "Altstadt\r\n");
    ScriptedPlatform platform(m_dir->path());
    quitt w(platform);
    testsupport::showSavedReceipt(w);
    Form6 *form = open(w);
    QVERIFY(form);
    form->Command1_Click();
    QCOMPARE(read(QStringLiteral("anwender.dat")), QByteArray("\r\n\r\n\r\n\r\n\r\n\r\n"));
    QCOMPARE(read(QStringLiteral("ort.dat")), QByteArray("\r\n"));
    QCOMPARE(w.Text10->text(), QString());

    // The next print shows no address and no hint.
    w.Command5_Click();
    QCOMPARE(platform.pages.size(), 1);
    for (const PrintOperation &op : platform.pages[0])
        if (op.kind == PrintOperation::Kind::Text && op.y >= 5000 && op.y <= 6000)
            QCOMPARE(op.text, QString());
}

void tst_UserDataWindow::enterMovesToSave()
{
    ScriptedPlatform platform(m_dir->path());
    quitt w(platform);
    Form6 *form = open(w);
    QVERIFY(form);
    const QList<QWidget *> order = { form->Text2, form->Text3, form->Text4, form->Text5, form->Text6, form->Command1 };
    for (QWidget *next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), next);
    }
    // Enter only moved on; nothing was saved on the way.
    QCOMPARE(read(QStringLiteral("anwender.dat")), QByteArray("(fehlt)"));
    QCOMPARE(w.settings().userDataWindow(), form);
    QVERIFY(!w.isVisible());
}

void tst_UserDataWindow::closeThroughFrame()
{
    write(QStringLiteral("ort.dat"), "Altstadt\r\n");
    ScriptedPlatform platform(m_dir->path());
    quitt w(platform);
    Form6 *form = open(w);
    QVERIFY(form);
    form->Text1->setText(QStringLiteral("nicht gespeichert"));
    form->Text6->setText(QStringLiteral("Neustadt"));
    QVERIFY(form->close());

    QTRY_VERIFY(!w.settings().userDataWindow());
    QVERIFY(w.isVisible());
    QCOMPARE(w.Text10->text(), QStringLiteral("Altstadt"));
    QCOMPARE(read(QStringLiteral("anwender.dat")), QByteArray("(fehlt)"));
    QCOMPARE(read(QStringLiteral("ort.dat")), QByteArray("Altstadt\r\n"));

    // It opens again afterwards, empty as before.
    Form6 *again = open(w);
    QVERIFY(again);
    QCOMPARE(again->Text1->text(), QString());
}

void tst_UserDataWindow::writeFailureKeepsWindow_data()
{
    QTest::addColumn<QString>("failing");
    QTest::addColumn<QString>("place");
    QTest::newRow("user data file") << "anwender.dat" << "Altstadt";
    QTest::newRow("place file") << "ort.dat" << "Neustadt";
}

void tst_UserDataWindow::writeFailureKeepsWindow()
{
    QFETCH(QString, failing);
    QFETCH(QString, place);

    write(QStringLiteral("ort.dat"), "Altstadt\r\n");
    ScriptedPlatform platform(m_dir->path());
    quitt w(platform);
    Form6 *form = open(w);
    QVERIFY(form);
    form->Text6->setText(QStringLiteral("Neustadt"));
    platform.files().setFaultHook([failing](WorkDir::Op op, const QString &name) {
        return op == WorkDir::Op::Write && name.compare(failing, Qt::CaseInsensitive) == 0;
    });
    form->Command1_Click();

    QCOMPARE(platform.messages.size(), 1);
    QVERIFY(!platform.messages[0].text.isEmpty());
    QCOMPARE(w.settings().userDataWindow(), form);
    QVERIFY(form->isVisible());
    QVERIFY(!w.isVisible());
    QCOMPARE(w.Text10->text(), place);
    QCOMPARE(read(QStringLiteral("ort.dat")), QByteArray("Altstadt\r\n"));

    // Once the disk takes it again, the same button saves and closes.
    platform.files().setFaultHook({});
    form->Command1_Click();
    QTRY_VERIFY(!w.settings().userDataWindow());
    QCOMPARE(read(QStringLiteral("ort.dat")), QByteArray("Neustadt\r\n"));
    QVERIFY(w.isVisible());
}

void tst_UserDataWindow::takesEveryLetter()
{
    ScriptedPlatform platform(m_dir->path());
    quitt w(platform);
    Form6 *form = open(w);
    QVERIFY(form);
    const int beeps = platform.beeps;
    type(form->Text5, QStringLiteral("Ul. Łąkowa"));
    QCOMPARE(form->Text5->text(), QStringLiteral("Ul. Łąkowa"));
    QCOMPARE(platform.beeps, beeps);
}

QTEST_MAIN(tst_UserDataWindow)
#include "tst_userdatawindow.moc"
