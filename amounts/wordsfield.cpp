#include "editor/quitt.h"

void quitt::NetVatBreakdown() {}
void quitt::Text9_GotFocus() {}
void quitt::Text9_KeyPress(int &) {}
void quitt::Text9_LostFocus() {}
void quitt::Text9_MouseMove() {}
