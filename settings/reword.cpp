#include "editor/quitt.h"

#include "settings/settings.h"
#include "text/codepage.h"

#include <QList>

// One row per entry of the menu "&Grund-Einstellungen" that rewords part of
// the receipt: the file that keeps the wording, the wording it falls back to,
// where the main window shows it, and the texts of its dialogs.
struct RewordRow
{
    void (quitt::*handler)();
    QString file;
    QString builtInDefault;
    void (*show)(quitt &window, const QString &text);
    QString prompt;
    QString inputTitle;
    QString messageTitle;
    QString cancelMessage;
};

namespace {

const QList<RewordRow> &rewordRows()
{
    static const QString setup = QStringLiteral("Quittungs-Einrichtung");
    static const QString einrichten = QStringLiteral("Einrichten");
    static const QString currency = QStringLiteral("Währung");
    static const QList<RewordRow> rows = {
        { &quitt::stattquitt_Click, settingsfile::quitname, QStringLiteral("Quittung"),
          [](quitt &w, const QString &t) {
              // The title field's change handling (number caption, title file)
              // runs on every rewording, also when the text stays the same.
              if (w.Combo1->currentText() == t)
                  w.Combo1_Change();
              else
                  w.Combo1->setEditText(t);
          },
          QStringLiteral("Bitte geben Sie das Wort ein, welches statt <Quittung> verwendet werden soll:"),
          QStringLiteral("Quittung"), QStringLiteral("Quittungs-Bezeichnung"),
          QStringLiteral("Abbruch der Eingabe setzt das Wort auf <Quittung>!") },
        { &quitt::nettoändern_Click, settingsfile::netto, QStringLiteral("netto"),
          [](quitt &w, const QString &t) { w.Label2->setText(t); },
          QStringLiteral("Statt <netto> bitte folgende Bezeichnung:"), setup, einrichten,
          QStringLiteral("Abbruch der Eingabe setzt das Wort auf <netto>!") },
        { &quitt::bezmwst_Click, settingsfile::mwstbez, QStringLiteral("%MWSt"),
          [](quitt &w, const QString &t) { w.Label5->setText(t); },
          QStringLiteral("Statt <%MWSt> bitte folgende Bezeichnung:"), setup, einrichten,
          QStringLiteral("Abbruch der Eingabe setzt das Wort auf <%MWSt>!") },
        { &quitt::gesamtiändern_Click, settingsfile::gesamtt, QStringLiteral("gesamt"),
          [](quitt &w, const QString &t) { w.Label3->setText(t); },
          QStringLiteral("Statt <gesamt> bitte folgende Bezeichnung:"), setup, einrichten,
          QStringLiteral("Abbruch der Eingabe setzt das Wort auf <gesamt>!") },
        { &quitt::gesamtändern_Click, settingsfile::worten, QStringLiteral("Gesamtbetrag in Worten:"),
          [](quitt &w, const QString &t) { w.Frame6->setTitle(t); },
          QStringLiteral("Statt <Gesamtbetrag in Worten:> bitte folgende Bezeichnung:"), setup, einrichten,
          QStringLiteral("Abbruch der Eingabe setzt die Zeile auf <Gesamtbetrag in Worten:>!") },
        { &quitt::pfändern_Click, settingsfile::wieoben, QStringLiteral("Pfennige wie oben"),
          [](quitt &w, const QString &t) { w.Label12->setText(t); },
          QStringLiteral("Statt <Pfennige wie oben> bitte folgende Bezeichnung:"), setup, einrichten,
          QStringLiteral("Abbruch der Eingabe setzt die Zeile auf <Pfennige wie oben>!") },
        { &quitt::betragvon_Click, settingsfile::betragv, QStringLiteral("Betrag erhalten von:"),
          [](quitt &w, const QString &t) { w.Frame7->setTitle(t); },
          QStringLiteral("Statt <Betrag erhalten von:> bitte folgende Bezeichnung:"), setup, einrichten,
          QStringLiteral("Abbruch der Eingabe setzt die Zeile auf <Betrag erhalten von:") },
        { &quitt::fuerändern_Click, settingsfile::fuerbez, QStringLiteral("für:"),
          [](quitt &w, const QString &t) { w.Frame8->setTitle(t); },
          QStringLiteral("Statt <für:> bitte folgende Bezeichnung:"), setup, einrichten,
          QStringLiteral("Abbruch der Eingabe setzt das Wort auf <für:>!") },
        { &quitt::dankendändern_Click, settingsfile::danke, QStringLiteral("dankend erhalten"),
          [](quitt &w, const QString &t) { w.Label13->setText(t); },
          QStringLiteral("Statt <dankend erhalten> bitte folgende Bezeichnung:"), setup, einrichten,
          QStringLiteral("Abbruch der Eingabe setzt die Zeile auf <dankend erhalten>!") },
        { &quitt::plzändern_Click, settingsfile::plzort, QStringLiteral("PLZ/Ort:"),
          [](quitt &w, const QString &t) { w.Frame10->setTitle(t); },
          QStringLiteral("Statt <PLZ/Ort:> bitte folgende Bezeichnung:"), setup, einrichten,
          QStringLiteral("Abbruch der Eingabe setzt die Zeile auf <PLZ/Ort:>!") },
        { &quitt::datumändern_Click, settingsfile::datum, QStringLiteral("Datum:"),
          [](quitt &w, const QString &t) { w.Frame11->setTitle(t); },
          QStringLiteral("Statt <Datum:> bitte folgende Bezeichnung:"), setup, einrichten,
          QStringLiteral("Abbruch der Eingabe setzt das Wort auf <Datum:>!") },
        { &quitt::mwständern_Click, settingsfile::mwst, QStringLiteral("15"),
          [](quitt &w, const QString &t) { w.Combo2->setEditText(t); },
          QStringLiteral("Geben Sie den Prozentsatz (z.B.: 9) in Zahlen ein:"), setup, einrichten,
          QStringLiteral("Abbruch der Eingabe setzt den Prozentsatz auf 15!") },
        { &quitt::wahrung_Click, settingsfile::dm, QStringLiteral("DM"),
          [](quitt &w, const QString &t) {
              for (QLabel *unit : { w.Label6, w.Label7, w.Label8 })
                  unit->setText(t);
          },
          QStringLiteral("Statt <DM> bitte folgende Bezeichnung:"), currency, currency,
          QStringLiteral("Abbruch der Eingabe setzt das Wort auf <DM>!") },
        { &quitt::wahrungpf_Click, settingsfile::pf, QStringLiteral("Pf"),
          [](quitt &w, const QString &t) {
              for (QLabel *hundredth : { w.Label9, w.Label10, w.Label11 })
                  hundredth->setText(t);
          },
          QStringLiteral("Statt <PF> bitte folgende Bezeichnung:"), currency, currency,
          QStringLiteral("Abbruch der Eingabe setzt das Wort auf <Pf>!") },
    };
    return rows;
}

const RewordRow &rowOf(void (quitt::*handler)())
{
    for (const RewordRow &row : rewordRows()) {
        if (row.handler == handler)
            return row;
    }
    Q_UNREACHABLE();
}

// Stores a wording in the row's file and, once the file holds it, shows it, so
// that the receipt on the screen and the next start agree. Rewording and the
// switch to euros both go through here.
bool storeWording(quitt &window, const RewordRow &row, const QString &text, QString *error)
{
    if (!WriteSetting(window.files(), row.file, text, error))
        return false;
    row.show(window, text);
    return true;
}

} // namespace

void quitt::RewordLabel(const RewordRow &row)
{
    // The file, not the control, offers the current wording.
    const QString offered = settingValue(files(), row.file).value_or(row.builtInDefault);
    const QString answer = m_platform.inputBox(this, row.prompt, row.inputTitle, offered);

    // The file could not keep such a text unchanged: leave file and receipt as
    // they are rather than store something other than what was typed.
    if (!codepage::encodable(answer)) {
        m_platform.messageBox(this,
                              QStringLiteral("Der eingegebene Text enthält ein Zeichen, das nicht gespeichert "
                                             "werden kann. Es bleibt bei der bisherigen Einstellung."),
                              row.messageTitle, Platform::Buttons::Ok, Platform::Icon::Critical);
        return;
    }

    const auto store = [this, &row](const QString &text) {
        QString error;
        if (!storeWording(*this, row, text, &error)) {
            reportWriteFailure(error);
            return false;
        }
        return true;
    };
    if (!store(answer) || !answer.isEmpty())
        return;

    m_platform.messageBox(this, row.cancelMessage, row.messageTitle, Platform::Buttons::Ok,
                          Platform::Icon::Critical);
    store(row.builtInDefault);
}

void quitt::stattquitt_Click() { RewordLabel(rowOf(&quitt::stattquitt_Click)); }
void quitt::nettoändern_Click() { RewordLabel(rowOf(&quitt::nettoändern_Click)); }
void quitt::bezmwst_Click() { RewordLabel(rowOf(&quitt::bezmwst_Click)); }
void quitt::gesamtiändern_Click() { RewordLabel(rowOf(&quitt::gesamtiändern_Click)); }
void quitt::gesamtändern_Click() { RewordLabel(rowOf(&quitt::gesamtändern_Click)); }
void quitt::pfändern_Click() { RewordLabel(rowOf(&quitt::pfändern_Click)); }
void quitt::betragvon_Click() { RewordLabel(rowOf(&quitt::betragvon_Click)); }
void quitt::fuerändern_Click() { RewordLabel(rowOf(&quitt::fuerändern_Click)); }
void quitt::dankendändern_Click() { RewordLabel(rowOf(&quitt::dankendändern_Click)); }
void quitt::plzändern_Click() { RewordLabel(rowOf(&quitt::plzändern_Click)); }
void quitt::datumändern_Click() { RewordLabel(rowOf(&quitt::datumändern_Click)); }
void quitt::mwständern_Click() { RewordLabel(rowOf(&quitt::mwständern_Click)); }
void quitt::wahrung_Click() { RewordLabel(rowOf(&quitt::wahrung_Click)); }
void quitt::wahrungpf_Click() { RewordLabel(rowOf(&quitt::wahrungpf_Click)); }

void quitt::euroumstellen_Click()
{
    // The same rows, files and controls as the four rewording entries, so
    // that each value can be changed again through its own entry.
    const struct
    {
        void (quitt::*handler)();
        QString value;
        QString what;
    } euro[] = {
        { &quitt::wahrung_Click, QStringLiteral("EUR"), QStringLiteral("Währung \"EUR\"") },
        { &quitt::wahrungpf_Click, QStringLiteral("Cent"), QStringLiteral("Hundertstel \"Cent\"") },
        { &quitt::pfändern_Click, QStringLiteral("Cent wie oben"), QStringLiteral("Hinweis \"Cent wie oben\"") },
        { &quitt::mwständern_Click, QStringLiteral("19"), QStringLiteral("Mehrwertsteuer-Satz 19 %") },
    };

    const QString question = QStringLiteral(
        "Soll die Quittung auf Euro umgestellt werden?\n\n"
        "Dann heißt die Währung \"EUR\", ihr Hundertstel \"Cent\", der Hinweis neben dem "
        "Betrag in Worten \"Cent wie oben\", und der Mehrwertsteuer-Satz ist 19 %.\n\n"
        "Einen anderen Satz (z.B. 7) können Sie weiterhin in das Feld für den Satz eintippen. "
        "Jeden dieser Werte können Sie später über seinen eigenen Eintrag im Menü "
        "\"Grund-Einstellungen\" wieder ändern.");
    if (m_platform.messageBox(this, question, QStringLiteral("Auf Euro umstellen"), Platform::Buttons::OkCancel,
                              Platform::Icon::Question)
        != Platform::Answer::Ok)
        return;

    // A file that cannot be written keeps its old value, and so does what the
    // window shows of it; the others are switched all the same. One message
    // names every value that stayed behind and its file.
    QStringList failures;
    for (const auto &[handler, value, what] : euro) {
        QString error;
        if (!storeWording(*this, rowOf(handler), value, &error))
            failures.append(what + QStringLiteral(": ") + error);
    }
    if (failures.isEmpty())
        return;
    const bool none = failures.size() == qsizetype(std::size(euro));
    reportWriteFailure((none ? QStringLiteral("Die Umstellung auf Euro ist nicht gelungen.")
                             : QStringLiteral("Die Umstellung auf Euro ist nur zum Teil gelungen."))
                       + QStringLiteral("\n\n") + failures.join(QLatin1Char('\n')) + QStringLiteral("\n\n")
                       + (none ? QStringLiteral("Es bleibt bei den bisherigen Einstellungen.")
                               : QStringLiteral("Was nicht geschrieben werden konnte, bleibt, wie es war; "
                                                "das Übrige ist umgestellt.")));
}
