// Resource subsystem. (Placeholder until the resource subsystem lands.)
#include "ctesser.h"

void CTesser::ResDeinit() {}
