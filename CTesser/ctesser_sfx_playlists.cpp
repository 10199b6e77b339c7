// Playlists. (Placeholder until the playlists manager lands.)
#include "ctesser.h"

int CTesser::PlaylistLoad(const void*, int32_t)
{
    EHS_CHECK(false, EHS_GENERAL, "Playlists are not available in this build.");
    return -1;
}
int CTesser::PlaylistGetIndex(const std::string&) { return -2; }
