// Sound subsystem. (Placeholder until the sound subsystem lands.)
#include "ctesser.h"

void CTesser::SfxDeinit() {}
void CTesser::SfxUpdate() {}
void CTesser::SfxPause() {}
void CTesser::SfxResume() {}
bool CTesser::SfxHasNoSoundCard() const { return true; }
