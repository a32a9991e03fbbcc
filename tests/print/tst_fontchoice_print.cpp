#include "editor/quitt.h"
#include "platform/scriptedplatform.h"
#include "print/form9.h"

#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

// A font chosen in the font window is the font of the next printed page.
class TestFontChoicePrint : public QObject
{
    Q_OBJECT

private:
    static void choose(quitt &w, const QString &font)
    {
        w.schrifti->trigger();
        Form9 *form = w.print().fontWindow();
        QVERIFY(form);
        QVERIFY(QTest::qWaitForWindowExposed(form));
        const QList<QListWidgetItem *> items = form->List1->findItems(font, Qt::MatchExactly);
        QCOMPARE(items.size(), 1);
        QTest::mouseClick(form->List1->viewport(), Qt::LeftButton, {},
                          form->List1->visualItemRect(items.first()).center());
        QTest::mouseClick(form->Command2, Qt::LeftButton);
        QTRY_VERIFY(!w.print().fontWindow());
        QVERIFY(w.isVisible());
    }

    // The distinct font names of the page's text operations, and how many
    // texts there are.
    static QStringList fontsOf(const QList<PrintOperation> &page, int *texts)
    {
        QStringList fonts;
        *texts = 0;
        for (const PrintOperation &op : page) {
            if (op.kind != PrintOperation::Kind::Text)
                continue;
            ++*texts;
            const QString name = op.fontName.value_or(QStringLiteral("<printer's own>"));
            if (!fonts.contains(name))
                fonts.append(name);
        }
        return fonts;
    }

private slots:
    void theChosenFontPrints_data()
    {
        QTest::addColumn<bool>("twoCopies");
        QTest::newRow("1 drucken") << false;
        QTest::newRow("2 drucken") << true;
    }
    void theChosenFontPrints()
    {
        QFETCH(bool, twoCopies);
        QTemporaryDir tmp;
        QFile erst(tmp.filePath("erst.dat"));
        QVERIFY(erst.open(QIODevice::WriteOnly));
        erst.close();
        ScriptedPlatform platform(tmp.path());
        platform.fonts = { QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Grotesk Größe") };
        quitt w(platform);
        // Hidden before it goes: a window destroyed while it holds the focus
        // would still get the focus-out of its field.
        const auto hideFirst = qScopeGuard([&w] { w.hide(); });
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.Text6->setText(QStringLiteral("119"));
        w.Text7->setText(QStringLiteral("00"));
        QPushButton *print = twoCopies ? w.Command7 : w.Command5;

        // Without a choice the printer keeps its own font.
        print->click();
        QCOMPARE(platform.pages.size(), 1);
        int texts = 0;
        QCOMPARE(fontsOf(platform.pages[0], &texts), QStringList { "<printer's own>" });
        QVERIFY(texts > 0);

        // Each choice is the font of every text of the next page.
        for (const QString &font : { QStringLiteral("Liberation Sans"), QStringLiteral("Grotesk Größe") }) {
            choose(w, font);
            print->click();
            const QList<PrintOperation> page = platform.pages.last();
            int chosenTexts = 0;
            QCOMPARE(fontsOf(page, &chosenTexts), QStringList { font });
            QCOMPARE(chosenTexts, texts);
            QCOMPARE(w.Label14->text(), font);
        }
        QCOMPARE(platform.pages.size(), 3);
    }
};

QTEST_MAIN(TestFontChoicePrint)
#include "tst_fontchoice_print.moc"
