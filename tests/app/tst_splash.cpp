#include "app/form1.h"
#include "editor/form3.h"
#include "editor/quitt.h"
#include "platform/scriptedplatform.h"
#include "platform/twips.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestSplash : public QObject
{
    Q_OBJECT

private slots:
    void splashWindow()
    {
        QTemporaryDir tmp;
        ScriptedPlatform platform(tmp.path());
        platform.screen = QSize(1280 * 15, 1024 * 15);
        Form1 splash(platform);
        QVERIFY(splash.windowTitle().startsWith(QStringLiteral("    Version 4.1 - ")));
        QCOMPARE(splash.size(), twips::size(4335, 4695));
        QCOMPARE(splash.pos(), QPoint((1280 - splash.width()) / 2, (1024 - splash.height()) / 2));
        QCOMPARE(splash.Image1->geometry(), twips::rect(510, 270, 3330, 4200));
        QCOMPARE(splash.Image1->pixmap().size(), QSize(222, 280));
        QVERIFY(splash.Timer1->isActive());
        QVERIFY(splash.Timer1->isSingleShot());
        QCOMPARE(splash.Timer1->interval(), 2000);
        QVERIFY(!splash.mainWindow());
    }

    void handOverAfterTwoSeconds()
    {
        QTemporaryDir tmp;
        ScriptedPlatform platform(tmp.path());
        Form1 splash(platform);
        splash.show();
        QTest::qWait(1500);
        QVERIFY(!splash.mainWindow());
        QVERIFY(platform.messages.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(splash.mainWindow() != nullptr, 2000);
        QVERIFY(!splash.isVisible());
        QVERIFY(splash.mainWindow()->isVisible());
        // The first-run message came with the main window's start-up, once.
        QCOMPARE(platform.messages.size(), 1);
        QVERIFY(QFile::exists(tmp.path() + "/erst.dat"));
        QTest::qWait(2100);
        QCOMPARE(platform.messages.size(), 1);
    }

    void aboutWindow()
    {
        QTemporaryDir tmp;
        ScriptedPlatform platform(tmp.path());
        quitt w(platform);
        QVERIFY(!w.aboutWindow());
        w.Image2_Click();
        QPointer<Form3> about = w.aboutWindow();
        QVERIFY(about);
        QVERIFY(about->isVisible());
        QCOMPARE(about->windowTitle(), QStringLiteral("Der Autor"));
        QCOMPARE(about->size(), twips::size(6495, 5910));
        QCOMPARE(about->Command1->text(), QStringLiteral("&Schließen"));
        QCOMPARE(about->Command1->geometry(), twips::rect(120, 5340, 6225, 435));
        QCOMPARE(about->Frame1->geometry(), twips::rect(3420, 60, 2925, 4335));
        QCOMPARE(about->Image1->pixmap().size(), QSize(204, 283));
        QVERIFY(!about->Text1->toPlainText().isEmpty());
        w.Image2_Click(); // a second click brings up the same window
        QCOMPARE(w.aboutWindow(), about.data());
        about->Command1->click();
        QTRY_VERIFY(!about);
        w.Image2_Click();
        QVERIFY(w.aboutWindow());
        QVERIFY(w.aboutWindow()->isVisible());
    }
};

QTEST_MAIN(TestSplash)
#include "tst_splash.moc"
