#include "editor/quitt.h"
#include "platform/scriptedplatform.h"
#include "platform/twips.h"
#include "print/form9.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Notes what the pointer looked like while the printer's fonts were asked for.
class ProbingPlatform : public ScriptedPlatform
{
public:
    using ScriptedPlatform::ScriptedPlatform;
    QStringList printerFonts() override
    {
        const QCursor *cursor = QGuiApplication::overrideCursor();
        cursorWhileLoading = cursor ? cursor->shape() : Qt::ArrowCursor;
        return ScriptedPlatform::printerFonts();
    }
    Qt::CursorShape cursorWhileLoading = Qt::BlankCursor;
};

// Printer fonts in an order the list must not keep: "Font 251" first.
QStringList manyFonts(int n)
{
    QStringList names;
    for (int i = n; i >= 1; --i)
        names.append(QStringLiteral("Font %1").arg(i, 3, 10, QLatin1Char('0')));
    return names;
}

QStringList listed(const Form9 &form)
{
    QStringList names;
    for (int i = 0; i < form.List1->count(); ++i)
        names.append(form.List1->item(i)->text());
    return names;
}

} // namespace

class TestFontChoice : public QObject
{
    Q_OBJECT

private:
    const QString waitMessage = QStringLiteral("Die Auswahl dauert einen Moment. Bitte OK anklicken!");
    const QString limitMessage = QStringLiteral("Zu viele Schriftarten. Kann nur 250 zeigen!");

    struct Session
    {
        QTemporaryDir tmp;
        std::unique_ptr<ProbingPlatform> platform;
        std::unique_ptr<quitt> window;

        // A folder that has seen the program before, with the given files.
        explicit Session(const QStringList &fonts, const QHash<QString, QByteArray> &files = {})
        {
            for (auto it = files.begin(); it != files.end(); ++it) {
                QFile f(tmp.filePath(it.key()));
                if (f.open(QIODevice::WriteOnly))
                    f.write(it.value());
            }
            QFile erst(tmp.filePath("erst.dat"));
            if (erst.open(QIODevice::WriteOnly))
                erst.close();
            platform = std::make_unique<ProbingPlatform>(tmp.path());
            platform->fonts = fonts;
            window = std::make_unique<quitt>(*platform);
            window->show();
        }
        // Hidden first: a window destroyed while it holds the focus would
        // still get the focus-out of its field.
        ~Session()
        {
            if (window)
                window->hide();
        }
        Form9 *open()
        {
            window->schrifti->trigger();
            return window->print().fontWindow();
        }
        QByteArray fontFile(const QString &storedName = QStringLiteral("schrift.dat")) const
        {
            QFile f(tmp.filePath(storedName));
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
        }
        QStringList files() const { return QDir(tmp.path()).entryList(QDir::Files); }
    };

    static void clickEntry(Form9 *form, const QString &name)
    {
        const QList<QListWidgetItem *> items = form->List1->findItems(name, Qt::MatchExactly);
        QCOMPARE(items.size(), 1);
        const QRect where = form->List1->visualItemRect(items.first());
        QTest::mouseClick(form->List1->viewport(), Qt::LeftButton, {}, where.center());
    }

private slots:
    void opensInPlaceOfTheMainWindow()
    {
        Session s({ QStringLiteral("Arial") });
        s.platform->screen = QSize(15000, 12000);
        QVERIFY(QTest::qWaitForWindowExposed(s.window.get()));
        Form9 *form = s.open();
        QVERIFY(form);
        QVERIFY(form->isVisible());
        QVERIFY(!s.window->isVisible());
        QCOMPARE(form->windowTitle(), QStringLiteral("Schriftwahl"));
        QCOMPARE(form->pos(), twips::point((15000 - 7440) / 2, (12000 - 4440) / 2));

        QCOMPARE(s.platform->messages.size(), 1);
        QCOMPARE(s.platform->messages[0].text, waitMessage);
        QCOMPARE(s.platform->messages[0].title, Platform::programTitle());
        QCOMPARE(s.platform->messages[0].buttons, Platform::Buttons::Ok);
        QCOMPARE(s.platform->messages[0].icon, Platform::Icon::None);

        // The hourglass while the fonts are gathered, and only then.
        QCOMPARE(s.platform->cursorWhileLoading, Qt::WaitCursor);
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void listsThePrinterFonts_data()
    {
        QTest::addColumn<QStringList>("fonts");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("limitMessages");
        QTest::addColumn<QString>("chosen"); // selected at the start
        QTest::newRow("3 fonts, sorted without regard to case, the recommended one chosen")
            << QStringList { "Times New Roman", "arial", "Courier New" }
            << QStringList { "arial", "Courier New", "Times New Roman" } << 0 << "arial";
        QTest::newRow("family names as known, without foundries, Arial added")
            << QStringList { "C059 [UKWN]", "D050000L [URW ]", "C059 [URW ]", "Nimbus Sans" }
            << QStringList { "Arial", "Century Schoolbook", "Nimbus Sans", "Zapf Dingbats" } << 0 << "Arial";
        QTest::newRow("no printer fonts: an empty list") << QStringList() << QStringList() << 0 << "";
        QStringList first250 = manyFonts(250);
        std::reverse(first250.begin(), first250.end());
        QTest::newRow("250 fonts: no message") << manyFonts(250) << QStringList { "Arial" } + first250 << 0 << "Arial";
        // The printer's first 250 enter: "Font 251" down to "Font 002".
        QStringList from002 = manyFonts(251).mid(0, 250);
        std::reverse(from002.begin(), from002.end());
        QTest::newRow("251 fonts: the 251st is left out, one message")
            << manyFonts(251) << QStringList { "Arial" } + from002 << 1 << "Arial";
    }
    void listsThePrinterFonts()
    {
        QFETCH(QStringList, fonts);
        QFETCH(QStringList, expected);
        QFETCH(int, limitMessages);
        QFETCH(QString, chosen);
        Session s(fonts);
        Form9 *form = s.open();
        QVERIFY(form);
        QCOMPARE(listed(*form), expected);
        QCOMPARE(s.platform->messageTexts().count(limitMessage), limitMessages);
        QCOMPARE(s.platform->messageTexts().first(), waitMessage);
        const QList<QListWidgetItem *> selected = form->List1->selectedItems();
        QCOMPARE(selected.isEmpty() ? QString() : selected.first()->text(), chosen);
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void theSampleBoxStartsWithTheChosenName_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("sample");
        QTest::addColumn<QString>("selected");
        QTest::newRow("no font file") << QByteArray() << "Mustertext" << "Arial";
        QTest::newRow("a chosen font, as plain text") << QByteArray("Courier New\r\nrest\r\n") << "Courier New"
                                                      << "Courier New";
        QTest::newRow("a chosen font the printer lacks") << QByteArray("Zapf\r\n") << "Zapf" << "Arial";
    }
    void theSampleBoxStartsWithTheChosenName()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, sample);
        QFETCH(QString, selected);
        QHash<QString, QByteArray> files;
        if (!content.isEmpty())
            files.insert("schrift.dat", content);
        Session s({ QStringLiteral("Arial"), QStringLiteral("Courier New") }, files);
        Form9 *form = s.open();
        QVERIFY(form);
        QCOMPARE(form->Text1->text(), sample);
        const QFont ownFont = uiFont(QStringLiteral("MS Sans Serif"), 18);
        QCOMPARE(form->Text1->font().family(), ownFont.family());
        QCOMPARE(form->Text1->font().pointSizeF(), ownFont.pointSizeF());
        QCOMPARE(form->List1->selectedItems().size(), 1);
        QCOMPARE(form->List1->selectedItems().first()->text(), selected);
    }

    void clickingAFontShowsTheSampleInIt()
    {
        Session s({ QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Serif") });
        Form9 *form = s.open();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        const qreal size = form->Text1->font().pointSizeF();

        clickEntry(form, QStringLiteral("Liberation Sans"));
        QCOMPARE(form->Text1->text(), QStringLiteral("Musterschrift"));
        QCOMPARE(form->Text1->font().family(), QStringLiteral("Liberation Sans"));
        QCOMPARE(form->Text1->font().pointSizeF(), size);

        // The keyboard moves the sample along.
        form->Text1->setText(QStringLiteral("getippt"));
        QTest::keyClick(form->List1, Qt::Key_Up);
        QCOMPARE(form->List1->selectedItems().first()->text(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(form->Text1->text(), QStringLiteral("Musterschrift"));
        QCOMPARE(form->Text1->font().family(), QStringLiteral("DejaVu Serif"));
    }

    void savingWritesTheNameAndReturns_data()
    {
        QTest::addColumn<QString>("storedName");
        QTest::newRow("new file") << "";
        QTest::newRow("existing file under capitals is replaced") << "SCHRIFT.DAT";
    }
    void savingWritesTheNameAndReturns()
    {
        QFETCH(QString, storedName);
        QHash<QString, QByteArray> files;
        if (!storedName.isEmpty())
            files.insert(storedName, "Alte Schrift\r\n");
        Session s({ QStringLiteral("Arial"), QStringLiteral("Grotesk Größe") }, files);
        Form9 *form = s.open();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        clickEntry(form, QStringLiteral("Grotesk Größe"));
        QTest::mouseClick(form->Command2, Qt::LeftButton);

        QTRY_VERIFY(!s.window->print().fontWindow());
        QVERIFY(s.window->isVisible());
        const QString name = storedName.isEmpty() ? QStringLiteral("schrift.dat") : storedName;
        QCOMPARE(s.fontFile(name), QByteArray("Grotesk Gr\xf6\xdf" "e\r\n"));
        QCOMPARE(s.files().size(), 2);
        QCOMPARE(s.platform->messageTexts(), QStringList { waitMessage });
    }

    void savingWithNothingSelectedAsksForAFont()
    {
        Session s({ QStringLiteral("Arial") });
        Form9 *form = s.open();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        // Control and a click take the chosen font's mark away.
        const QRect where = form->List1->visualItemRect(form->List1->item(0));
        QTest::mouseClick(form->List1->viewport(), Qt::LeftButton, Qt::ControlModifier, where.center());
        QVERIFY(form->List1->selectedItems().isEmpty());
        QTest::mouseClick(form->Command2, Qt::LeftButton);
        QCOMPARE(s.platform->messages.size(), 2);
        QCOMPARE(s.platform->messages[1].text, QStringLiteral("Bitte markieren Sie eine Schriftart!"));
        QCOMPARE(s.platform->messages[1].title, Platform::programTitle());
        QCOMPARE(s.platform->messages[1].icon, Platform::Icon::None);
        QVERIFY(form->isVisible());
        QVERIFY(!s.window->isVisible());
        QCOMPARE(s.fontFile(), QByteArray("<missing>"));
    }

    void leavingWithoutSavingKeepsTheFile_data()
    {
        QTest::addColumn<QStringList>("fonts");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("byFrame");
        const QStringList two { QStringLiteral("Arial"), QStringLiteral("Courier New") };
        QTest::newRow("Abbrechen after clicking fonts") << two << QByteArray("Arial\r\n") << false;
        QTest::newRow("window frame after clicking fonts") << two << QByteArray("Arial\r\n") << true;
        QTest::newRow("Abbrechen without a font file") << two << QByteArray() << false;
        QTest::newRow("no printer fonts: Abbrechen") << QStringList() << QByteArray() << false;
        QTest::newRow("no printer fonts: window frame") << QStringList() << QByteArray("Arial\r\n") << true;
    }
    void leavingWithoutSavingKeepsTheFile()
    {
        QFETCH(QStringList, fonts);
        QFETCH(QByteArray, content);
        QFETCH(bool, byFrame);
        QHash<QString, QByteArray> files;
        if (!content.isEmpty())
            files.insert("schrift.dat", content);
        Session s(fonts, files);
        const QByteArray before = s.fontFile();
        Form9 *form = s.open();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        for (const QString &font : fonts)
            clickEntry(form, font);

        if (byFrame)
            form->close();
        else
            QTest::mouseClick(form->Command1, Qt::LeftButton);

        QTRY_VERIFY(!s.window->print().fontWindow());
        QVERIFY(s.window->isVisible());
        QCOMPARE(s.fontFile(), before);
    }

    void aFailedSaveIsReportedAndTheWindowStays()
    {
        Session s({ QStringLiteral("Arial") });
        s.platform->files().setFaultHook([](WorkDir::Op op, const QString &name) {
            return op == WorkDir::Op::Write && name.compare("schrift.dat", Qt::CaseInsensitive) == 0;
        });
        Form9 *form = s.open();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        clickEntry(form, QStringLiteral("Arial"));
        QTest::mouseClick(form->Command2, Qt::LeftButton);
        QCOMPARE(s.platform->messages.size(), 2);
        QVERIFY2(s.platform->messages[1].text.contains("schrift.dat"), qPrintable(s.platform->messages[1].text));
        QVERIFY(form->isVisible());
        QCOMPARE(s.fontFile(), QByteArray("<missing>"));
    }

    void aNameOutsideTheCodePageIsSavedInUtf8()
    {
        Session s({ QStringLiteral("文泉驿正黑") });
        Form9 *form = s.open();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        clickEntry(form, QStringLiteral("文泉驿正黑"));
        QTest::mouseClick(form->Command2, Qt::LeftButton);
        QTRY_VERIFY(!s.window->print().fontWindow());
        QCOMPARE(s.fontFile(), QByteArray("\xEF\xBB\xBF") + QStringLiteral("文泉驿正黑\r\n").toUtf8());
    }

    void theListIsFilledAnewOnEachOpening()
    {
        Session s({ QStringLiteral("Arial") });
        Form9 *form = s.open();
        QVERIFY(form);
        form->Command1_Click();
        QTRY_VERIFY(!s.window->print().fontWindow());
        s.platform->fonts = { QStringLiteral("Zapf"), QStringLiteral("Bodoni") };
        form = s.open();
        QVERIFY(form);
        QCOMPARE(listed(*form), QStringList({ "Arial", "Bodoni", "Zapf" }));
    }
};

QTEST_MAIN(TestFontChoice)
#include "tst_fontchoice.moc"
