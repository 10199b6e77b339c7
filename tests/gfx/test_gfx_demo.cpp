// The demo program end to end, headless: it runs its frames through the
// engine's main loop, saves a screenshot and shuts down cleanly.
#include <cstdlib>

#include "gfx_fixture.h"

namespace {

TEST(GfxDemo, RunsHeadlessAndSavesWhatItDrew)
{
    const char* bin = std::getenv("TSR_BINARY_DIR");
    if (!bin)
        GTEST_SKIP() << "TSR_BINARY_DIR is not set";
    const std::filesystem::path demo = std::filesystem::path(bin) / "tools" / "gfxdemo" / "gfxdemo";
    if (!std::filesystem::exists(demo))
        GTEST_SKIP() << "gfxdemo is not built";
    gfxtest::TempDir dir;
    const std::string cmd = "TSR_FRAME_LIMIT=0 SDL_VIDEODRIVER=offscreen " + demo.string() +
                            " --frames 20 --screenshot > out.txt 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << gfxtest::ReadFile(dir.Path() / "out.txt");
    EXPECT_EQ(gfxtest::ReadFile(dir.Path() / "out.txt"), "gfxdemo: 20 frames\n");
    const std::string bmp = gfxtest::ReadFile(dir.Path() / "screenshot1.bmp");
    ASSERT_EQ(bmp.size(), 1440054u);
    // The centre shows the half-transparent square over the dark background.
    const size_t centre = 54 + size_t(300) * 2400 + 400 * 3;
    EXPECT_GT(uint8_t(bmp[centre + 2]), 0x40); // red
    EXPECT_LT(uint8_t(bmp[centre]), 0x40);     // blue
    const std::string log = gfxtest::ReadFile(dir.Path() / "gamelog.txt");
    EXPECT_NE(log.find("Screenshot saved."), std::string::npos);
    EXPECT_EQ(log.find("references left!"), std::string::npos);
}

} // namespace
