#include "editor/quitt.h"
#include "editor/form11.h"
#include "editor/form15.h"

void quitt::Command3_Click() {}
void quitt::Command4_Click() {}

Form11 *quitt::payerEditor() const
{
    return m_form11;
}

Form15 *quitt::purposeEditor() const
{
    return m_form15;
}
