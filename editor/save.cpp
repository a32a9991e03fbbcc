#include "editor/quitt.h"

#include "archive/saving.h"

void quitt::Command1_Click()
{
    const SaveOutcome outcome = SaveReceipt(files(), currentRecord());
    // A failed save leaves the button as it was, so that the user can try again.
    if (outcome.result == SaveOutcome::Result::Saved)
        Command1->setEnabled(false);
    m_platform.messageBox(this, outcome.message);
}
