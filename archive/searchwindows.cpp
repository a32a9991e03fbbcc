#include "editor/quitt.h"
#include "archive/form7.h"
#include "archive/form8.h"

void quitt::suchequitt_Click() {}
void quitt::loeschen_Click() {}

Form7 *quitt::searchWindow() const
{
    return m_form7;
}

Form8 *quitt::deleteWindow() const
{
    return m_form8;
}
