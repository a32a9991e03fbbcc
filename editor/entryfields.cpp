#include "editor/quitt.h"

void quitt::Text8_GotFocus() {}
void quitt::Text8_LostFocus() {}
void quitt::Text8_KeyPress(int &) {}
void quitt::Text6_GotFocus() {}
void quitt::Text6_LostFocus() {}
void quitt::Text6_KeyPress(int &) {}
void quitt::Text6_Change() {}
void quitt::Text7_GotFocus() {}
void quitt::Text7_LostFocus() {}
void quitt::Text7_KeyPress(int &) {}
void quitt::Combo3_GotFocus() {}
void quitt::Combo3_LostFocus() {}
void quitt::Combo3_KeyPress(int &) {}
void quitt::Combo4_GotFocus() {}
void quitt::Combo4_LostFocus() {}
void quitt::Combo4_KeyPress(int &) {}
void quitt::Text10_GotFocus() {}
void quitt::Text10_LostFocus() {}
void quitt::Text10_KeyPress(int &) {}
void quitt::Text11_GotFocus() {}
void quitt::Text11_LostFocus() {}
void quitt::Text11_KeyPress(int &) {}
