#include "editor/quitt.h"
#include "editor/form3.h"
#include "archive/receiptnumber.h"
#include "editor/form11.h"
#include "editor/form15.h"
#include "editor/help.h"
#include "editor/listeditor.h"
#include "settings/settings.h"

#include <QCoreApplication>

namespace {

struct HelpRow
{
    QStringView area;
    QStringView text;
};

constexpr QStringView listButton = u" Hier können Sie auch in einer Liste mehrere Einträge auf einmal durchführen.";

const HelpRow helpRows[] = {
    { u"quitt", u"" },
    { u"Frame1", u"" },
    { u"Frame2", u"" },
    { u"Frame3", u"" },
    { u"Frame4", u"Bitte nur Zahlen eintragen, keine Sonderzeichen wie <-., etc." },
    { u"Text8", u" Bitte nur Zahlen eintragen, keine Sonderzeichen wie <-., etc.   Nummer wird automatisch "
                u"fortlaufend nummeriert." },
    { u"Frame5", u"" },
    { u"Frame6", u"" },
    { u"Text9", u" Wenn diese Zeile den Cursor bekommt, so wandelt sie den Gesamtbetrag in Worte um. (Max. 99 999)" },
    { u"Text6", u" Bitte geben Sie den Betrag ein (z.B. 45 oder 1.250; mit Nachkomma-Stellen 45,50 oder 45.50) und drücken Sie Enter (Eingabetaste)" },
    { u"Frame7", u" Die aufklappbare Liste wird automatisch sortiert. Ratsame Eingabe: Nachname, Name, Straße, Ort" },
    { u"Command3", listButton },
    { u"Frame8", u" Die aufklappbare Liste wird automatisch sortiert." },
    { u"Command4", listButton },
    { u"Frame10", u" Hier wird der Ausstellungsort dargestellt, den Sie oben im Menü bei Ihren Daten angegeben haben!" },
    { u"Frame11", u" Das aktuelle Tagesdatum wird automatisch geladen." },
    { u"Image2", u" Anklicken.." },
};

} // namespace

namespace help {

QString textFor(QStringView area)
{
    for (const HelpRow &row : helpRows) {
        if (row.area == area)
            return row.text.toString();
    }
    return QString();
}

} // namespace help

void quitt::Form_MouseMove() { setHelp(help::textFor(u"quitt")); }
void quitt::Frame1_MouseMove() { setHelp(help::textFor(u"Frame1")); }
void quitt::Frame2_MouseMove() { setHelp(help::textFor(u"Frame2")); }
void quitt::Frame3_MouseMove() { setHelp(help::textFor(u"Frame3")); }
void quitt::Frame4_MouseMove() { setHelp(help::textFor(u"Frame4")); }
void quitt::Text8_MouseMove() { setHelp(help::textFor(u"Text8")); }
void quitt::Frame5_MouseMove() { setHelp(help::textFor(u"Frame5")); }
void quitt::Frame6_MouseMove() { setHelp(help::textFor(u"Frame6")); }
void quitt::Text6_MouseMove() { setHelp(help::textFor(u"Text6")); }
void quitt::Frame7_MouseMove() { setHelp(help::textFor(u"Frame7")); }
void quitt::Command3_MouseMove() { setHelp(help::textFor(u"Command3")); }
void quitt::Frame8_MouseMove() { setHelp(help::textFor(u"Frame8")); }
void quitt::Command4_MouseMove() { setHelp(help::textFor(u"Command4")); }
void quitt::Frame10_MouseMove() { setHelp(help::textFor(u"Frame10")); }
void quitt::Frame11_MouseMove() { setHelp(help::textFor(u"Frame11")); }
void quitt::Image2_MouseMove() { setHelp(help::textFor(u"Image2")); }

// A new receipt: the lists as their files are now, the next number, no amounts.
void quitt::Command2_Click()
{
    if (!mayReplaceReceipt())
        return;
    m_printAsked = m_storedAmounts = false;
    Command1->setEnabled(true);
    // A loaded receipt showed its own page; the new one gets today's.
    showCurrentSettings();
    const struct
    {
        const QString &file;
        SortedComboBox *box;
    } lists[] = { { settingsfile::von, Combo3 }, { settingsfile::fuer, Combo4 } };
    for (const auto &list : lists) {
        // Without its file a box keeps its entries and its text.
        if (!files().exists(list.file))
            continue;
        QString error;
        if (!LoadListIntoCombo(files(), list.file, list.box, listfile::Skip::EmptyLines, &error))
            m_platform.messageBox(this, error);
    }
    Text8->setText(NextReceiptNumber(files()));
    for (QLineEdit *field : { Text2, Text3, Text4, Text5, Text6, Text7, Text9 })
        field->clear();
    Text8->setFocus();
}

void quitt::setHelp(const QString &text)
{
    text1->setText(text);
}

void quitt::Image2_Click()
{
    m_windows.open<Form3>([this] { return new Form3(m_platform, this); });
}

void quitt::Command6_Click()
{
    endProgram();
}

void quitt::proggiganzend_Click()
{
    endProgram();
}

void quitt::Form_Unload()
{
    endProgram();
}

bool quitt::holdsUnsavedReceipt() const
{
    const auto filled = [](const QLineEdit *field) { return !field->text().trimmed().isEmpty(); };
    return Command1->isEnabled() && filled(Text8) && (filled(Text6) || filled(Text7));
}

// The same question before a new receipt, a loaded one or the program's end.
bool quitt::mayReplaceReceipt()
{
    if (m_askingToEnd)
        return false;
    if (!holdsUnsavedReceipt())
        return true;
    enum { Save, DontSave, Cancel };
    m_askingToEnd = true;
    const int answer = m_platform.question(
        this, QStringLiteral("Die Quittung Nr. %1 ist noch nicht gespeichert.").arg(Text8->text()),
        { QStringLiteral("&Speichern"), QStringLiteral("&Nicht speichern"), QStringLiteral("Abbrechen") }, Save,
        Cancel);
    m_askingToEnd = false;
    if (answer == Cancel)
        return false;
    if (answer == Save) {
        Command1_Click();
        // A save that failed has said why and leaves the button enabled;
        // the receipt stays on the screen.
        return !Command1->isEnabled();
    }
    return true;
}

void quitt::endProgram()
{
    if (m_ending || !mayReplaceReceipt())
        return;
    m_ending = true;
    if (Form3 *about = aboutWindow())
        about->close();
    m_windows.discardAll();
    hide();
    QCoreApplication::exit(0);
}

Form3 *quitt::aboutWindow() const
{
    return m_windows.find<Form3>();
}
