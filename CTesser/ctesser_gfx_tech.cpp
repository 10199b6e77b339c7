// Technique packs. (Placeholder until the techniques manager lands.)
#include "ctesser.h"

void CTesser::TechLoadPack(const void*, int32_t)
{
    EHS_CHECK(false, EHS_GENERAL, "Techniques are not available in this build.");
}
int CTesser::TechGetID(const std::string&) { return -1; }
