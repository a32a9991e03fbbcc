#include "platform/qtplatform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

// Qt's own message box with the German Yes/No/Cancel buttons, answered from
// the keyboard.
class TestQtDialogs : public QObject
{
    Q_OBJECT

private slots:
    void yesNoCancel_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("answer");
        // Qt's message box takes a button's access key without Alt as well.
        QTest::newRow("J: Ja") << int(Qt::Key_J) << int(Qt::NoModifier) << 0;
        QTest::newRow("Alt+N: Nein") << int(Qt::Key_N) << int(Qt::AltModifier) << 1;
        QTest::newRow("Escape: Abbrechen") << int(Qt::Key_Escape) << int(Qt::NoModifier) << 2;
        QTest::newRow("Enter: Ja is the default") << int(Qt::Key_Return) << int(Qt::NoModifier) << 0;
    }
    void yesNoCancel()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QTemporaryDir dir;
        QtPlatform platform(dir.path());
        QStringList buttons;
        QTimer::singleShot(0, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            for (QAbstractButton *b : box->buttons())
                buttons << b->text();
            QVERIFY(QTest::qWaitForWindowActive(box));
            QTest::keyClick(box, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
            // A key that did nothing fails the comparison below instead of
            // leaving the box open.
            if (!QTest::qWaitFor([box] { return !box->isVisible(); }, 2000))
                box->done(-1);
        });
        QTEST(platform.question(nullptr, QStringLiteral("Vor dem Drucken speichern?"),
                                { QStringLiteral("&Ja"), QStringLiteral("&Nein"), QStringLiteral("Abbrechen") }, 0, 2),
              "answer");
        buttons.sort();
        QCOMPARE(buttons, (QStringList { "&Ja", "&Nein", "Abbrechen" }));
    }
};

QTEST_MAIN(TestQtDialogs)
#include "tst_qtdialogs.moc"
