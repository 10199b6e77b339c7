// Graphics subsystem: device, display modes, start-up and shut-down.
// (Placeholder until the graphics subsystem lands: no device exists.)
#include "ctesser.h"

bool CTesser::GfxCheckDevice() { return true; }
void CTesser::GfxDeinit() {}
void CTesser::VQuadBatchAbandon() {}
bool CTesser::GfxDeviceExists() const { return false; }
