#include "editor/quitt.h"

void quitt::Command1_Click() {}
