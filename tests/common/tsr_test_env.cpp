// Linked into every test program: headless defaults and the folders the
// tests read, set before any test runs. A value already in the environment
// wins, so a developer can still point a test at a real display.
#include <cstdlib>

namespace {

struct TestEnvironmentDefaults {
    TestEnvironmentDefaults()
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        setenv("TSR_TEST_DATA", TSR_TEST_DATA_DEFAULT, 0);
        setenv("TSR_SOURCE_DIR", TSR_SOURCE_DIR_DEFAULT, 0);
        setenv("TSR_BINARY_DIR", TSR_BINARY_DIR_DEFAULT, 0);
    }
};

const TestEnvironmentDefaults g_defaults;

} // namespace
