// Script subsystem. (Placeholder until the script subsystem lands.)
#include "ctesser.h"

void CTesser::ScrDeinit() {}
std::string CTesser::ScrGetLastCalledFunction() const { return std::string(); }
