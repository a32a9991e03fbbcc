#include "editor/quitt.h"
#include "editor/form11.h"
#include "editor/form15.h"

namespace {

// Opens an editor, modeless; while it is open a second click only brings it
// up again, with what the user typed in it.
template<class Editor>
void openEditor(QPointer<Editor> &editor, Platform &platform, SortedComboBox *box, QWidget *main)
{
    if (!editor) {
        auto *created = new Editor(platform, box, main);
        if (!created->loaded()) {
            delete created;
            return;
        }
        editor = created;
    }
    editor->show();
    editor->raise();
    editor->activateWindow();
}

} // namespace

void quitt::Command3_Click()
{
    openEditor(m_form11, m_platform, Combo3, this);
}

void quitt::Command4_Click()
{
    openEditor(m_form15, m_platform, Combo4, this);
}

Form11 *quitt::payerEditor() const
{
    return m_form11;
}

Form15 *quitt::purposeEditor() const
{
    return m_form15;
}
