// Sounds. (Placeholder until the sounds manager lands.)
#include "ctesser.h"

int CTesser::SoundLoad(const std::string&, const std::string&, int32_t, bool, int32_t, bool, int32_t, int32_t)
{
    EHS_CHECK(false, EHS_GENERAL, "Sounds are not available in this build.");
    return -1;
}
int CTesser::SoundGetIndex(const std::string&) { return -2; }
