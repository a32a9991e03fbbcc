#include "editor/quitt.h"
#include "platform/scriptedplatform.h"
#include "tests/testsupport.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The fourteen rewording entries of the menu, driven as a user would: through
// their menu actions, answering the input box, looking at the window and the
// files, and starting the program again.
class TestReword : public QObject
{
    Q_OBJECT

private:
    // The rate row takes whole percentages only; the free-text tests leave it out.
    static void rows(bool withRate = true)
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("builtInDefault");
        QTest::addColumn<QString>("startupShown");
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<QString>("inputTitle");
        QTest::addColumn<QString>("messageTitle");
        QTest::addColumn<QString>("cancelMessage");
        QTest::addColumn<QStringList>("targets");
        QTest::addColumn<QString>("typed"); // a text the row takes as it stands
        const QString text = QStringLiteral("Größe für €");

        const QString setup = QStringLiteral("Quittungs-Einrichtung");
        const QString einrichten = QStringLiteral("Einrichten");
        const QString currency = QStringLiteral("Währung");
        QTest::newRow("stattquitt") << "stattquitt" << "quitname.dat" << "Quittung" << "Quittung"
                                    << "Bitte geben Sie das Wort ein, welches statt <Quittung> verwendet werden soll:"
                                    << "Quittung" << "Quittungs-Bezeichnung"
                                    << "Abbruch der Eingabe setzt das Wort auf <Quittung>!" << QStringList { "Combo1" } << text;
        QTest::newRow("nettoändern") << "nettoändern" << "netto.dat" << "netto" << "netto"
                                     << "Statt <netto> bitte folgende Bezeichnung:" << setup << einrichten
                                     << "Abbruch der Eingabe setzt das Wort auf <netto>!" << QStringList { "Label2" } << text;
        QTest::newRow("bezmwst: no blank, unlike start-up")
            << "bezmwst" << "mwstbez.dat" << "%MWSt" << "% MWSt" << "Statt <%MWSt> bitte folgende Bezeichnung:"
            << setup << einrichten << "Abbruch der Eingabe setzt das Wort auf <%MWSt>!" << QStringList { "Label5" } << text;
        QTest::newRow("gesamtiändern") << "gesamtiändern" << "gesamtt.dat" << "gesamt" << "gesamt"
                                       << "Statt <gesamt> bitte folgende Bezeichnung:" << setup << einrichten
                                       << "Abbruch der Eingabe setzt das Wort auf <gesamt>!" << QStringList { "Label3" } << text;
        QTest::newRow("gesamtändern") << "gesamtändern" << "worten.dat" << "Gesamtbetrag in Worten:"
                                      << "Gesamtbetrag in Worten:"
                                      << "Statt <Gesamtbetrag in Worten:> bitte folgende Bezeichnung:" << setup
                                      << einrichten
                                      << "Abbruch der Eingabe setzt die Zeile auf <Gesamtbetrag in Worten:>!"
                                      << QStringList { "Frame6" } << text;
        QTest::newRow("pfändern") << "pfändern" << "wieoben.dat" << "Pfennige wie oben" << "Pfennige wie oben"
                                  << "Statt <Pfennige wie oben> bitte folgende Bezeichnung:" << setup << einrichten
                                  << "Abbruch der Eingabe setzt die Zeile auf <Pfennige wie oben>!"
                                  << QStringList { "Label12" } << text;
        QTest::newRow("betragvon: message ends after the colon")
            << "betragvon" << "betragv.dat" << "Betrag erhalten von:" << "Betrag erhalten von:"
            << "Statt <Betrag erhalten von:> bitte folgende Bezeichnung:" << setup << einrichten
            << "Abbruch der Eingabe setzt die Zeile auf <Betrag erhalten von:" << QStringList { "Frame7" } << text;
        QTest::newRow("fuerändern") << "fuerändern" << "fuerbez.dat" << "für:" << "für:"
                                    << "Statt <für:> bitte folgende Bezeichnung:" << setup << einrichten
                                    << "Abbruch der Eingabe setzt das Wort auf <für:>!" << QStringList { "Frame8" } << text;
        QTest::newRow("dankendändern") << "dankendändern" << "danke.dat" << "dankend erhalten" << "dankend erhalten"
                                       << "Statt <dankend erhalten> bitte folgende Bezeichnung:" << setup
                                       << einrichten << "Abbruch der Eingabe setzt die Zeile auf <dankend erhalten>!"
                                       << QStringList { "Label13" } << text;
        QTest::newRow("plzändern") << "plzändern" << "plzort.dat" << "PLZ/Ort:" << "PLZ/Ort:"
                                   << "Statt <PLZ/Ort:> bitte folgende Bezeichnung:" << setup << einrichten
                                   << "Abbruch der Eingabe setzt die Zeile auf <PLZ/Ort:>!" << QStringList { "Frame10" } << text;
        QTest::newRow("datumändern") << "datumändern" << "datum.dat" << "Datum:" << "Datum:"
                                     << "Statt <Datum:> bitte folgende Bezeichnung:" << setup << einrichten
                                     << "Abbruch der Eingabe setzt das Wort auf <Datum:>!" << QStringList { "Frame11" } << text;
        if (withRate)
            QTest::newRow("mwständern: 15, unlike start-up")
                << "mwständern" << "mwst.dat" << "15" << "16" << "Geben Sie den Prozentsatz (z.B.: 19) in Zahlen ein:"
                << setup << einrichten << "Abbruch der Eingabe setzt den Prozentsatz auf 15!" << QStringList { "Combo2" }
                << "19";
        QTest::newRow("wahrung: three unit labels")
            << "wahrung" << "dm.dat" << "DM" << "DM" << "Statt <DM> bitte folgende Bezeichnung:" << currency
            << currency << "Abbruch der Eingabe setzt das Wort auf <DM>!"
            << QStringList { "Label6", "Label7", "Label8" } << text;
        QTest::newRow("wahrungpf: prompt in capitals")
            << "wahrungpf" << "pf.dat" << "Pf" << "Pf" << "Statt <PF> bitte folgende Bezeichnung:" << currency
            << currency << "Abbruch der Eingabe setzt das Wort auf <Pf>!"
            << QStringList { "Label9", "Label10", "Label11" } << text;
    }

    // What the named control of the main window shows.
    static QString shown(quitt &w, const QString &name)
    {
        QWidget *control = w.findChild<QWidget *>(name);
        if (auto *label = qobject_cast<QLabel *>(control))
            return label->text();
        if (auto *frame = qobject_cast<QGroupBox *>(control))
            return frame->title();
        if (auto *box = qobject_cast<QComboBox *>(control))
            return box->currentText();
        return QStringLiteral("<no control %1>").arg(name);
    }
    static QStringList shownAll(quitt &w, const QStringList &names)
    {
        QStringList texts;
        for (const QString &name : names)
            texts.append(shown(w, name));
        return texts;
    }
    static QStringList times(const QString &text, qsizetype n) { return QStringList(n, text); }

    // A working folder that is not new, so start-up shows no first-run message.
    static void prepare(const QTemporaryDir &tmp)
    {
        QVERIFY(tmp.isValid());
        QVERIFY(writeFile(tmp, "erst.dat", QByteArray()));
    }
    static bool writeFile(const QTemporaryDir &tmp, const QString &name, const QByteArray &bytes)
    {
        QFile f(tmp.filePath(name));
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    }
    static QByteArray fileBytes(const QTemporaryDir &tmp, const QString &storedName)
    {
        return testsupport::get(tmp.path(), storedName);
    }
    static QStringList filesIn(const QTemporaryDir &tmp)
    {
        QStringList names = QDir(tmp.path()).entryList(QDir::Files);
        names.sort();
        return names;
    }
    static QStringList sorted(QStringList names)
    {
        names.sort();
        return names;
    }
    static void trigger(quitt &w, const QString &action)
    {
        QAction *entry = w.findChild<QAction *>(action);
        QVERIFY2(entry, qPrintable(action));
        entry->trigger();
    }

private slots:
    void confirmedTextIsStoredShownAndKept_data() { rows(); }
    void confirmedTextIsStoredShownAndKept()
    {
        QFETCH(QString, action);
        QFETCH(QString, file);
        QFETCH(QString, builtInDefault);
        QFETCH(QString, startupShown);
        QFETCH(QString, prompt);
        QFETCH(QString, inputTitle);
        QFETCH(QStringList, targets);

        QTemporaryDir tmp;
        prepare(tmp);
        ScriptedPlatform platform(tmp.path());
        quitt w(platform);
        QCOMPARE(shownAll(w, targets), times(startupShown, targets.size()));

        QFETCH(QString, typed);
        platform.inputAnswers = { typed };
        trigger(w, action);

        QCOMPARE(platform.inputs.size(), 1);
        QCOMPARE(platform.inputs[0].prompt, prompt);
        QCOMPARE(platform.inputs[0].title, inputTitle);
        QCOMPARE(platform.inputs[0].defaultText, builtInDefault);
        QCOMPARE(platform.messageTexts(), QStringList());
        QCOMPARE(shownAll(w, targets), times(typed, targets.size()));
        QCOMPARE(filesIn(tmp), sorted({ "erst.dat", file, "journal.txt" }));
        QCOMPARE(fileBytes(tmp, file), codepage::encode(typed).value() + "\r\n");

        // The next start shows the new wording.
        ScriptedPlatform again(tmp.path());
        quitt restarted(again);
        QCOMPARE(shownAll(restarted, targets), times(typed, targets.size()));
        QCOMPARE(again.messageTexts(), QStringList());
    }

    void cancelKeepsTheWordingAnEmptyTextRestoresTheBuiltIn_data() { rows(); }
    void cancelKeepsTheWordingAnEmptyTextRestoresTheBuiltIn()
    {
        QFETCH(QString, action);
        QFETCH(QString, file);
        QFETCH(QString, builtInDefault);
        QFETCH(QString, messageTitle);
        QFETCH(QString, cancelMessage);
        QFETCH(QStringList, targets);

        // Cancel changes nothing; an emptied, confirmed box brings back the
        // built-in wording (the rate refuses it, see wholePercentOnly).
        for (const std::optional<QString> &answer : { std::optional<QString>(), std::optional<QString>(QString()) }) {
            const bool cancelled = !answer;
            if (!cancelled && action == QStringLiteral("mwständern"))
                continue;
            QTemporaryDir tmp;
            prepare(tmp);
            QVERIFY(writeFile(tmp, file, "Alt\r\n"));
            ScriptedPlatform platform(tmp.path());
            quitt w(platform);
            QCOMPARE(shownAll(w, targets), times("Alt", targets.size()));

            platform.inputAnswers = { answer };
            trigger(w, action);

            QCOMPARE(platform.inputs.size(), 1);
            QCOMPARE(platform.inputs[0].defaultText, QStringLiteral("Alt"));
            if (cancelled) {
                QCOMPARE(platform.messages.size(), 0);
                QCOMPARE(shownAll(w, targets), times("Alt", targets.size()));
                QCOMPARE(fileBytes(tmp, file), QByteArray("Alt\r\n"));
                continue;
            }
            QCOMPARE(platform.messages.size(), 1);
            QCOMPARE(platform.messages[0].text, cancelMessage);
            QCOMPARE(platform.messages[0].title, messageTitle);
            QCOMPARE(platform.messages[0].icon, Platform::Icon::Critical);
            QCOMPARE(platform.messages[0].buttons, Platform::Buttons::Ok);
            QCOMPARE(shownAll(w, targets), times(builtInDefault, targets.size()));
            QCOMPARE(fileBytes(tmp, file), builtInDefault.toLatin1() + "\r\n");
        }
    }

    void ratesByTheRateRule_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored"); // empty: refused, mwst.dat untouched
        QTest::newRow("19") << "19" << "19";
        QTest::newRow("0") << "0" << "0";
        QTest::newRow("blanks around 7") << " 7 " << "7";
        QTest::newRow("19a") << "19a" << "";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("-5") << "-5" << "";
        QTest::newRow("100") << "100" << "";
        QTest::newRow("7,5") << "7,5" << "7,5";
        QTest::newRow("5.5") << "5.5" << "5.5";
        QTest::newRow("7,555") << "7,555" << "";
        QTest::newRow("7,") << "7," << "";
    }
    void ratesByTheRateRule()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QTemporaryDir tmp;
        prepare(tmp);
        QVERIFY(writeFile(tmp, "mwst.dat", "16\r\n"));
        ScriptedPlatform platform(tmp.path());
        quitt w(platform);
        platform.inputAnswers = { typed };
        w.mwständern->trigger();
        if (stored.isEmpty()) {
            QCOMPARE(platform.messages.size(), 1);
            QVERIFY2(platform.messages[0].text.contains("0 bis 99"), qPrintable(platform.messages[0].text));
            QCOMPARE(fileBytes(tmp, "mwst.dat"), QByteArray("16\r\n"));
            QCOMPARE(w.Combo2->currentText(), QStringLiteral("16"));
        } else {
            QCOMPARE(platform.messages.size(), 0);
            QCOMPARE(fileBytes(tmp, "mwst.dat"), stored.toLatin1() + "\r\n");
            QCOMPARE(w.Combo2->currentText(), stored);
        }
    }

    void theFileOffersItsFirstLineUnderAnyCase_data() { rows(false); }
    void theFileOffersItsFirstLineUnderAnyCase()
    {
        QFETCH(QString, action);
        QFETCH(QString, file);
        QFETCH(QStringList, targets);

        QTemporaryDir tmp;
        prepare(tmp);
        const QString stored = file.toUpper();
        QVERIFY(writeFile(tmp, stored, "  Erste Zeile \r\nzweite Zeile\r\n"));
        ScriptedPlatform platform(tmp.path());
        quitt w(platform);

        // Confirming the offered text unchanged writes it again, silently.
        trigger(w, action);
        QCOMPARE(platform.inputs.size(), 1);
        QCOMPARE(platform.inputs[0].defaultText, QStringLiteral("  Erste Zeile "));
        QCOMPARE(platform.messageTexts(), QStringList());
        QCOMPARE(filesIn(tmp), sorted({ stored, "erst.dat", "journal.txt" }));
        QCOMPARE(fileBytes(tmp, stored), QByteArray("  Erste Zeile \r\n"));
        QCOMPARE(shownAll(w, targets), times("  Erste Zeile ", targets.size()));
    }

    void aTextTheFileCannotHoldIsRefused_data() { rows(); }
    void aTextTheFileCannotHoldIsRefused()
    {
        QFETCH(QString, action);
        QFETCH(QString, file);
        QFETCH(QString, messageTitle);
        QFETCH(QStringList, targets);

        QTemporaryDir tmp;
        prepare(tmp);
        QVERIFY(writeFile(tmp, file, "Alt\r\n"));
        ScriptedPlatform platform(tmp.path());
        quitt w(platform);
        const QString numberCaption = w.Label1->text();

        // Half a surrogate pair, as a broken paste leaves it: no file can hold it.
        platform.inputAnswers = { QStringLiteral("Summe ") + QChar(0xD800) };
        trigger(w, action);

        QCOMPARE(platform.messages.size(), 1);
        QVERIFY2(platform.messages[0].text.contains(QStringLiteral("nicht gespeichert")),
                 qPrintable(platform.messages[0].text));
        QCOMPARE(platform.messages[0].title, messageTitle);
        QCOMPARE(platform.messages[0].icon, Platform::Icon::Critical);
        QCOMPARE(fileBytes(tmp, file), QByteArray("Alt\r\n"));
        QCOMPARE(shownAll(w, targets), times("Alt", targets.size()));
        QCOMPARE(w.Label1->text(), numberCaption);
    }

    void aFailedWriteIsReportedAndChangesNothing_data() { rows(); }
    void aFailedWriteIsReportedAndChangesNothing()
    {
        QFETCH(QString, action);
        QFETCH(QString, file);
        QFETCH(QString, startupShown);
        QFETCH(QStringList, targets);

        QTemporaryDir tmp;
        prepare(tmp);
        ScriptedPlatform platform(tmp.path());
        quitt w(platform);
        platform.files().setFaultHook([file](WorkDir::Op op, const QString &name) {
            return op == WorkDir::Op::Write && name.compare(file, Qt::CaseInsensitive) == 0;
        });

        QFETCH(QString, typed);
        platform.inputAnswers = { typed };
        trigger(w, action);

        QCOMPARE(platform.messages.size(), 1);
        QVERIFY2(platform.messages[0].text.contains(file) && platform.messages[0].text.contains("nicht geschrieben"),
                 qPrintable(platform.messages[0].text));
        QCOMPARE(shownAll(w, targets), times(startupShown, targets.size()));
        QCOMPARE(filesIn(tmp), QStringList { "erst.dat" });
    }

    void blanksAreAWordingNotACancel()
    {
        QTemporaryDir tmp;
        prepare(tmp);
        ScriptedPlatform platform(tmp.path());
        quitt w(platform);
        platform.inputAnswers = { QStringLiteral("   ") };
        w.nettoändern->trigger();
        QCOMPARE(platform.messageTexts(), QStringList());
        QCOMPARE(w.Label2->text(), QStringLiteral("   "));
        QCOMPARE(fileBytes(tmp, "netto.dat"), QByteArray("   \r\n"));
    }

    void theTitleWordRenamesTheNumberCaption()
    {
        QTemporaryDir tmp;
        prepare(tmp);
        ScriptedPlatform platform(tmp.path());
        quitt w(platform);
        platform.inputAnswers = { QStringLiteral("Rechnung") };
        w.stattquitt->trigger();
        QCOMPARE(w.Combo1->currentText(), QStringLiteral("Rechnung"));
        QCOMPARE(w.Label1->text(), QStringLiteral("Rechnung Nr.: "));
        QCOMPARE(fileBytes(tmp, "quitname.dat"), QByteArray("Rechnung\r\n"));

        ScriptedPlatform again(tmp.path());
        quitt restarted(again);
        QCOMPARE(restarted.Combo1->currentText(), QStringLiteral("Rechnung"));
        QCOMPARE(restarted.Label1->text(), QStringLiteral("Rechnung Nr.: "));

        // The same word once more still runs the title field's own handling,
        // which writes the title file again.
        QVERIFY(QFile::remove(tmp.filePath("quitname.dat")));
        again.inputAnswers = { QStringLiteral("Rechnung") };
        restarted.stattquitt->trigger();
        QCOMPARE(fileBytes(tmp, "quitname.dat"), QByteArray("Rechnung\r\n"));
        QCOMPARE(restarted.Label1->text(), QStringLiteral("Rechnung Nr.: "));
    }

    void anEmptiedTitleWordPassesThroughTheEmptyText()
    {
        QTemporaryDir tmp;
        prepare(tmp);
        QVERIFY(writeFile(tmp, "Quitname.dat", "Rechnung\r\n"));
        ScriptedPlatform platform(tmp.path());
        quitt w(platform);
        QString captionDuringMessage, fileDuringMessage;
        platform.onMessage = [&](const ScriptedPlatform::Message &) {
            captionDuringMessage = w.Label1->text();
            fileDuringMessage = QString::fromLatin1(fileBytes(tmp, "Quitname.dat"));
        };
        platform.inputAnswers = { QString() };
        w.stattquitt->trigger();

        QCOMPARE(captionDuringMessage, QStringLiteral(" Nr.: "));
        QCOMPARE(fileDuringMessage, QStringLiteral("\r\n"));
        QCOMPARE(w.Combo1->currentText(), QStringLiteral("Quittung"));
        QCOMPARE(w.Label1->text(), QStringLiteral("Quittung Nr.: "));
        QCOMPARE(filesIn(tmp), sorted({ "Quitname.dat", "erst.dat", "journal.txt" }));
        QCOMPARE(fileBytes(tmp, "Quitname.dat"), QByteArray("Quittung\r\n"));
    }
};

QTEST_MAIN(TestReword)
#include "tst_reword.moc"
