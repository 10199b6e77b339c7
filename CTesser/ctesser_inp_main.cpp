// Input subsystem. (Placeholder until the input subsystem lands.)
#include "ctesser.h"

void CTesser::InpDeinit() {}
void CTesser::InpReacquire() {}
void CTesser::InpUpdate() {}
bool CTesser::InpDirectInputExists() const { return false; }
