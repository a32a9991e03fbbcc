#include "editor/quitt.h"
#include "editor/form11.h"
#include "editor/form15.h"

namespace {

// An editor whose list file cannot be read is not opened (it has said why).
template<class Editor>
Editor *makeEditor(Platform &platform, SortedComboBox *box, QWidget *main)
{
    auto *created = new Editor(platform, box, main);
    if (created->loaded())
        return created;
    delete created;
    return nullptr;
}

} // namespace

void quitt::Command3_Click()
{
    m_windows.open<Form11>([this] { return makeEditor<Form11>(m_platform, Combo3, this); });
}

void quitt::Command4_Click()
{
    m_windows.open<Form15>([this] { return makeEditor<Form15>(m_platform, Combo4, this); });
}

Form11 *quitt::payerEditor() const
{
    return m_windows.find<Form11>();
}

Form15 *quitt::purposeEditor() const
{
    return m_windows.find<Form15>();
}
