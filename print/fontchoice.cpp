#include "editor/quitt.h"
#include "print/form9.h"

void quitt::schrifti_Click() {}

Form9 *quitt::fontWindow() const
{
    return m_form9;
}
