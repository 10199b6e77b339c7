// Demand operations: the object's ID, loading its resource first when the
// object is not loaded yet.
#include <functional>

#include "../res/res_fixture.h"
#include "common/tsr_test_files.h"
#include "ctesser_utils_demand.h"

namespace {

using restest::BuildPack;
using restest::ExpectEHS;
using restest::WriteFile;

// A 2 x 2 24-bit bottom-up BMP.
std::string TinyBMP()
{
    std::string b = "BM";
    restest::PutInt32(b, 54 + 16);
    restest::PutInt32(b, 0);
    restest::PutInt32(b, 54);
    restest::PutInt32(b, 40);
    restest::PutInt32(b, 2);
    restest::PutInt32(b, 2);
    b += std::string("\x01\x00\x18\x00", 4);
    restest::PutInt32(b, 0);
    restest::PutInt32(b, 16);
    restest::PutInt32(b, 2835);
    restest::PutInt32(b, 2835);
    restest::PutInt32(b, 0);
    restest::PutInt32(b, 0);
    for (int row = 0; row < 2; ++row)
        b += std::string("\xFF\x00\x00\x00\xFF\x00\x00\x00", 8); // two pixels + 2 bytes padding
    return b;
}

TEST(DemandWithoutEngine, IsAnAssertion)
{
    ASSERT_EQ(CTesser::GetInstance(), nullptr);
    const std::function<void()> demands[] = {
        [] { DemandTexture("t"); },   [] { DemandTechnique("t", "p"); }, [] { DemandFont("f"); },
        [] { DemandSound("s"); },     [] { DemandMusic("m"); },          [] { DemandPlaylist("p"); },
    };
    for (const auto& demand : demands)
        ExpectEHS(demand, EHS_GENERAL, "EHS Assertion failed.");
}

class DemandTest : public restest::EngineTest {};

TEST_F(DemandTest, StillMissingAfterLoadingIsAGameError)
{
    // The pack holds a technique pack "fx" of an unregistered kind, so the
    // load does nothing and the technique is still missing afterwards.
    WriteFile("DATA/p.pak", BuildPack({{"fxpack", "NOLOADER_OK", "x"}}));
    Engine().ResInit();
    Engine().ResRegisterLoadRes([](const void*, int32_t, const char*, int32_t, int32_t, int32_t, int32_t) {},
                                "NOLOADER_OK");
    ExpectEHS([] { DemandTexture("logo"); }, EHS_GAME, "Invalid texture demand. ID = logo");
    ExpectEHS([] { DemandFont("big"); }, EHS_GAME, "Invalid font demand. ID = big");
    ExpectEHS([] { DemandTechnique("glow", "fxpack"); }, EHS_GAME,
              "Invalid technique demand. ID = glow  TechPackID = fxpack");
    const std::string log = Log();
    EXPECT_NE(log.find("Cannot find resource with ID = logo"), std::string::npos);
    EXPECT_NE(log.find("Cannot find resource with ID = big"), std::string::npos);
    // A technique is loaded through its pack: the pack exists, so no
    // missing-resource warning for it, and none for the technique's own name.
    EXPECT_EQ(log.find("Cannot find resource with ID = fxpack"), std::string::npos);
    EXPECT_EQ(log.find("Cannot find resource with ID = glow"), std::string::npos);
}

TEST_F(DemandTest, ATextureIsLoadedOnFirstDemandOnly)
{
    WriteFile("DATA/p.pak", BuildPack({{"logo", "TEXTURE", TinyBMP(), 1}}));
    Engine().ResInit();
    Engine().GfxPreInit(800, 600);
    Engine().GfxInit(3, true);

    const int id = DemandTexture("logo");
    EXPECT_GE(id, 0);
    EXPECT_EQ(Engine().TexGetID("logo"), id);
    EXPECT_EQ(DemandTexture("logo"), id); // already there: nothing loaded
    const std::string log = Log();
    EXPECT_EQ(tsrtest::CountOf(log, "Cannot find iID of texture with strID = logo"), 1u);
    EXPECT_EQ(log.find("Cannot find resource with ID"), std::string::npos);
}

} // namespace
