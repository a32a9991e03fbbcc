#include "editor/quitt.h"

void quitt::Command5_Click() {}
void quitt::Command7_Click() {}
