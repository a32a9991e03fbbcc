#include "settings/settingscontroller.h"

#include "platform/platform.h"
#include "settings/settings.h"
#include "receipt/vatrate.h"
#include "text/codepage.h"

#include <QList>

// One row per entry of the menu "&Grund-Einstellungen" that rewords part of
// the receipt: the file that keeps the wording, the wording it falls back to,
// where the main window shows it, and the texts of its dialogs.
struct RewordRow
{
    void (SettingsController::*handler)();
    Wording part;
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
        { &SettingsController::stattquitt_Click, Wording::Title,
          QStringLiteral("Bitte geben Sie das Wort ein, welches statt <Quittung> verwendet werden soll:"),
          QStringLiteral("Quittung"), QStringLiteral("Quittungs-Bezeichnung"),
          QStringLiteral("Abbruch der Eingabe setzt das Wort auf <Quittung>!") },
        { &SettingsController::nettoändern_Click, Wording::Net,
          QStringLiteral("Statt <netto> bitte folgende Bezeichnung:"), setup, einrichten,
          QStringLiteral("Abbruch der Eingabe setzt das Wort auf <netto>!") },
        { &SettingsController::bezmwst_Click, Wording::VatName,
          QStringLiteral("Statt <%MWSt> bitte folgende Bezeichnung:"), setup, einrichten,
          QStringLiteral("Abbruch der Eingabe setzt das Wort auf <%MWSt>!") },
        { &SettingsController::gesamtiändern_Click, Wording::Total,
          QStringLiteral("Statt <gesamt> bitte folgende Bezeichnung:"), setup, einrichten,
          QStringLiteral("Abbruch der Eingabe setzt das Wort auf <gesamt>!") },
        { &SettingsController::gesamtändern_Click, Wording::WordsHeading,
          QStringLiteral("Statt <Gesamtbetrag in Worten:> bitte folgende Bezeichnung:"), setup, einrichten,
          QStringLiteral("Abbruch der Eingabe setzt die Zeile auf <Gesamtbetrag in Worten:>!") },
        { &SettingsController::pfändern_Click, Wording::PenniesNote,
          QStringLiteral("Statt <Pfennige wie oben> bitte folgende Bezeichnung:"), setup, einrichten,
          QStringLiteral("Abbruch der Eingabe setzt die Zeile auf <Pfennige wie oben>!") },
        { &SettingsController::betragvon_Click, Wording::PayerHeading,
          QStringLiteral("Statt <Betrag erhalten von:> bitte folgende Bezeichnung:"), setup, einrichten,
          QStringLiteral("Abbruch der Eingabe setzt die Zeile auf <Betrag erhalten von:") },
        { &SettingsController::fuerändern_Click, Wording::PurposeHeading,
          QStringLiteral("Statt <für:> bitte folgende Bezeichnung:"), setup, einrichten,
          QStringLiteral("Abbruch der Eingabe setzt das Wort auf <für:>!") },
        { &SettingsController::dankendändern_Click, Wording::Thanks,
          QStringLiteral("Statt <dankend erhalten> bitte folgende Bezeichnung:"), setup, einrichten,
          QStringLiteral("Abbruch der Eingabe setzt die Zeile auf <dankend erhalten>!") },
        { &SettingsController::plzändern_Click, Wording::PlaceHeading,
          QStringLiteral("Statt <PLZ/Ort:> bitte folgende Bezeichnung:"), setup, einrichten,
          QStringLiteral("Abbruch der Eingabe setzt die Zeile auf <PLZ/Ort:>!") },
        { &SettingsController::datumändern_Click, Wording::DateHeading,
          QStringLiteral("Statt <Datum:> bitte folgende Bezeichnung:"), setup, einrichten,
          QStringLiteral("Abbruch der Eingabe setzt das Wort auf <Datum:>!") },
        { &SettingsController::mwständern_Click, Wording::Rate,
          QStringLiteral("Geben Sie den Prozentsatz (z.B.: 19) in Zahlen ein:"), setup, einrichten,
          QStringLiteral("Abbruch der Eingabe setzt den Prozentsatz auf 15!") },
        { &SettingsController::wahrung_Click, Wording::Currency,
          QStringLiteral("Statt <DM> bitte folgende Bezeichnung:"), currency, currency,
          QStringLiteral("Abbruch der Eingabe setzt das Wort auf <DM>!") },
        { &SettingsController::wahrungpf_Click, Wording::Subunit,
          QStringLiteral("Statt <PF> bitte folgende Bezeichnung:"), currency, currency,
          QStringLiteral("Abbruch der Eingabe setzt das Wort auf <Pf>!") },
    };
    return rows;
}

const RewordRow &rowOf(void (SettingsController::*handler)())
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
bool storeWording(WorkDir &files, WordingHost &host, const RewordRow &row, const QString &text, QString *error)
{
    if (!WriteSetting(files, wordingRow(row.part).file, text, error))
        return false;
    host.showWording(row.part, text);
    return true;
}

} // namespace

void SettingsController::RewordLabel(const RewordRow &row)
{
    // The file, not the control, offers the current wording.
    const QString offered = settingValue(m_platform.files(), wordingRow(row.part).file).value_or(wordingRow(row.part).rewordDefault);
    const std::optional<QString> typed = m_platform.inputBox(m_host.hostWindow(), row.prompt, row.inputTitle, offered);
    // Cancel leaves the wording as it is: a user who only looked loses nothing.
    if (!typed)
        return;
    QString answer = *typed;

    // The file could not keep such a text unchanged: leave file and receipt as
    // they are rather than store something other than what was typed.
    if (!codepage::storable(answer)) {
        m_platform.messageBox(m_host.hostWindow(),
                              QStringLiteral("Der eingegebene Text enthält ein Zeichen, das nicht gespeichert "
                                             "werden kann. Es bleibt bei der bisherigen Einstellung."),
                              row.messageTitle, Platform::Buttons::Ok, Platform::Icon::Critical);
        return;
    }

    // The rate by the one rule for rates; anything else would be printed
    // beside the figures as it was typed.
    if (row.part == Wording::Rate) {
        answer = answer.trimmed();
        if (!vatrate::parse(answer)) {
            m_platform.messageBox(m_host.hostWindow(),
                                  vatrate::invalidMessage(answer) + QStringLiteral(" Es bleibt beim bisherigen Satz."),
                                  row.messageTitle, Platform::Buttons::Ok, Platform::Icon::Critical);
            return;
        }
    }

    const auto store = [this, &row](const QString &text) {
        QString error;
        if (!storeWording(m_platform.files(), m_host, row, text, &error)) {
            m_host.reportWriteFailure(error);
            return false;
        }
        return true;
    };
    if (!store(answer) || !answer.isEmpty())
        return;

    m_platform.messageBox(m_host.hostWindow(), row.cancelMessage, row.messageTitle, Platform::Buttons::Ok,
                          Platform::Icon::Critical);
    store(wordingRow(row.part).rewordDefault);
}

void SettingsController::stattquitt_Click() { RewordLabel(rowOf(&SettingsController::stattquitt_Click)); }
void SettingsController::nettoändern_Click() { RewordLabel(rowOf(&SettingsController::nettoändern_Click)); }
void SettingsController::bezmwst_Click() { RewordLabel(rowOf(&SettingsController::bezmwst_Click)); }
void SettingsController::gesamtiändern_Click() { RewordLabel(rowOf(&SettingsController::gesamtiändern_Click)); }
void SettingsController::gesamtändern_Click() { RewordLabel(rowOf(&SettingsController::gesamtändern_Click)); }
void SettingsController::pfändern_Click() { RewordLabel(rowOf(&SettingsController::pfändern_Click)); }
void SettingsController::betragvon_Click() { RewordLabel(rowOf(&SettingsController::betragvon_Click)); }
void SettingsController::fuerändern_Click() { RewordLabel(rowOf(&SettingsController::fuerändern_Click)); }
void SettingsController::dankendändern_Click() { RewordLabel(rowOf(&SettingsController::dankendändern_Click)); }
void SettingsController::plzändern_Click() { RewordLabel(rowOf(&SettingsController::plzändern_Click)); }
void SettingsController::datumändern_Click() { RewordLabel(rowOf(&SettingsController::datumändern_Click)); }
void SettingsController::mwständern_Click() { RewordLabel(rowOf(&SettingsController::mwständern_Click)); }
void SettingsController::wahrung_Click() { RewordLabel(rowOf(&SettingsController::wahrung_Click)); }
void SettingsController::wahrungpf_Click() { RewordLabel(rowOf(&SettingsController::wahrungpf_Click)); }

void SettingsController::euroumstellen_Click()
{
    const QString question = QStringLiteral(
        "Soll die Quittung auf Euro umgestellt werden?\n\n"
        "Dann heißt die Währung \"EUR\", ihr Hundertstel \"Cent\", der Hinweis neben dem "
        "Betrag in Worten \"Cent wie oben\", und der Mehrwertsteuer-Satz ist 19 %.\n\n"
        "Einen anderen Satz (z.B. 7) können Sie weiterhin in das Feld für den Satz eintippen. "
        "Jeden dieser Werte können Sie später über seinen eigenen Eintrag im Menü "
        "\"Grund-Einstellungen\" wieder ändern.");
    if (m_platform.messageBox(m_host.hostWindow(), question, QStringLiteral("Auf Euro umstellen"), Platform::Buttons::OkCancel,
                              Platform::Icon::Question)
        != Platform::Answer::Ok)
        return;
    switchToEuro();
}

void SettingsController::euroForNewFolder()
{
    // A folder that already holds settings or receipts keeps what it has.
    // Every start after the first finds erst.dat, which spares the lists.
    const WorkDir &files = m_platform.files();
    if (files.exists(settingsfile::erst) || files.exists(settingsfile::nummer)
        || !files.list(QStringLiteral(".dat"), WorkDir::Order::None).isEmpty()
        || !files.list(QStringLiteral(".num"), WorkDir::Order::None).isEmpty())
        return;
    switchToEuro();
}

void SettingsController::switchToEuro()
{
    // The same rows, files and controls as the four rewording entries, so
    // that each value can be changed again through its own entry.
    const struct
    {
        void (SettingsController::*handler)();
        QString value;
        QString what;
    } euro[] = {
        { &SettingsController::wahrung_Click, QStringLiteral("EUR"), QStringLiteral("Währung \"EUR\"") },
        { &SettingsController::wahrungpf_Click, QStringLiteral("Cent"), QStringLiteral("Hundertstel \"Cent\"") },
        { &SettingsController::pfändern_Click, QStringLiteral("Cent wie oben"), QStringLiteral("Hinweis \"Cent wie oben\"") },
        { &SettingsController::mwständern_Click, QStringLiteral("19"), QStringLiteral("Mehrwertsteuer-Satz 19 %") },
    };

    // A file that cannot be written keeps its old value, and so does what the
    // window shows of it; the others are switched all the same. One message
    // names every value that stayed behind and its file.
    QStringList failures;
    for (const auto &[handler, value, what] : euro) {
        QString error;
        if (!storeWording(m_platform.files(), m_host, rowOf(handler), value, &error))
            failures.append(what + QStringLiteral(": ") + error);
    }
    if (failures.isEmpty())
        return;
    const bool none = failures.size() == qsizetype(std::size(euro));
    m_host.reportWriteFailure((none ? QStringLiteral("Die Umstellung auf Euro ist nicht gelungen.")
                             : QStringLiteral("Die Umstellung auf Euro ist nur zum Teil gelungen."))
                       + QStringLiteral("\n\n") + failures.join(QLatin1Char('\n')) + QStringLiteral("\n\n")
                       + (none ? QStringLiteral("Es bleibt bei den bisherigen Einstellungen.")
                               : QStringLiteral("Was nicht geschrieben werden konnte, bleibt, wie es war; "
                                                "das Übrige ist umgestellt.")));
}

SettingsController::SettingsController(Platform &platform, WordingHost &host, SecondaryWindows &windows)
    : m_platform(platform), m_host(host), m_windows(windows)
{
}
