// Music. (Placeholder until the music manager lands.)
#include "ctesser.h"

int CTesser::MusicLoad(const std::string&, const std::string&, int32_t, int32_t, int32_t, int32_t)
{
    EHS_CHECK(false, EHS_GENERAL, "Music is not available in this build.");
    return -1;
}
int CTesser::MusicGetIndex(const std::string&) { return -2; }
