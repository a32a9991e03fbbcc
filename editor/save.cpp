#include "editor/quitt.h"

#include "archive/saving.h"

void quitt::Command1_Click()
{
    if (!amountsReady())
        return;
    const SaveOutcome outcome = SaveReceipt(files(), currentRecord());
    // A failed save leaves the button as it was, so that the user can try again.
    if (outcome.result == SaveOutcome::Result::Saved)
        Command1->setEnabled(false);
    m_platform.messageBox(this, outcome.message);
}

bool quitt::prepareForPrint()
{
    if (!amountsReady())
        return false;
    // A receipt handed out belongs in the archive: the first print of one not
    // yet saved asks, once.
    const bool unsaved = Command1->isEnabled() && !Text8->text().trimmed().isEmpty();
    if (!unsaved || m_printAsked)
        return true;
    enum { Yes, No, Cancel };
    switch (m_platform.question(this, QStringLiteral("Die Quittung ist noch nicht gespeichert. Vor dem Drucken speichern?"),
                                { QStringLiteral("&Ja"), QStringLiteral("&Nein"), QStringLiteral("Abbrechen") }, Yes,
                                Cancel)) {
    case Yes:
        Command1_Click();
        return !Command1->isEnabled();
    case No:
        m_printAsked = true;
        return true;
    default:
        return false;
    }
}
