// Headless defaults for every test of this program, set before anything
// starts SDL; values given by the caller are kept.
#include <cstdlib>

namespace {
struct HeadlessDefaults {
    HeadlessDefaults()
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        setenv("TSR_SOURCE_DIR", TSR_SOURCE_DIR_DEFAULT, 0);
    }
} g_runnerDefaults;
}  // namespace
