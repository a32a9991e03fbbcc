#include "editor/quitt.h"

void quitt::stattquitt_Click() {}
void quitt::nettoändern_Click() {}
void quitt::bezmwst_Click() {}
void quitt::gesamtiändern_Click() {}
void quitt::gesamtändern_Click() {}
void quitt::pfändern_Click() {}
void quitt::betragvon_Click() {}
void quitt::fuerändern_Click() {}
void quitt::dankendändern_Click() {}
void quitt::plzändern_Click() {}
void quitt::datumändern_Click() {}
void quitt::mwständern_Click() {}
void quitt::wahrung_Click() {}
void quitt::wahrungpf_Click() {}
