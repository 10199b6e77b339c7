// Textures. (Placeholder until the textures manager lands.)
#include "ctesser.h"

int CTesser::TexLoadFromMemory(const void*, int32_t, int32_t, const std::string&, int32_t, int32_t, int32_t)
{
    EHS_CHECK(false, EHS_GENERAL, "Textures are not available in this build.");
    return -1;
}
int CTesser::TexGetID(const std::string&) { return -1; }
