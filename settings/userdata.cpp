#include "editor/quitt.h"
#include "settings/form6.h"

void quitt::anwender_Click() {}

Form6 *quitt::userDataWindow() const
{
    return m_form6;
}
