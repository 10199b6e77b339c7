// Graphics start-up, display modes, the lost-device reset, screenshots,
// shut-down and the game window's behaviour, through the engine object.
#include <SDL.h>

#include "common/tsr_thrown.h"
#include "gfx_fixture.h"
#include "platform/window/tsr_gamewindow.h"

using namespace tsr::gfx;

namespace {

using GfxEngineTest = gfxtest::EngineTest;

using tsrtest::CountOf;
using tsrtest::ThrownDescription;

TEST_F(GfxEngineTest, SurveyLogsTheAdapterAndTheThreeModes)
{
    PreInit();
    TSNVIDEOCAPS caps;
    engine->GfxGetVideoCaps(caps);
    const std::string log = Log();
    EXPECT_NE(log.find("Preinitializing Graphics Subsystem..."), std::string::npos);
    EXPECT_NE(log.find("Direct3D object created."), std::string::npos);
    EXPECT_NE(log.find("     Videocard: " + engine->GfxGetVideoCardText()), std::string::npos);
    EXPECT_NE(log.find("       Rating: Unknown"), std::string::npos); // a software renderer
    EXPECT_NE(log.find("     Mode2:\n          Display Mode:\n               Surface format: D3DFMT_X8R8G8B8\n"
                       "                        Width: 800\n                       Height: 600\n"),
              std::string::npos);
    EXPECT_NE(log.find("          Display Mode 1 is valid.\n          Display Mode 2 is valid.\n"),
              std::string::npos);
    EXPECT_NE(log.find("          Device can render in windowed mode"), std::string::npos);
    EXPECT_NE(log.find("     Dot3 Bump Mapping is available."), std::string::npos);
    EXPECT_NE(log.find("     Gamma calibrating is not supported."), std::string::npos);

    EXPECT_TRUE(caps.Mode1.Valid);
    EXPECT_EQ(caps.Mode1.Format, FMT_R5G6B5);
    EXPECT_EQ(caps.Mode1.TextureFormat01, FMT_R5G6B5);
    EXPECT_EQ(caps.Mode1.TextureFormat02, FMT_A4R4G4B4);
    EXPECT_EQ(caps.Mode1.TextureFormat03, FMT_A8R8G8B8);
    EXPECT_EQ(caps.Mode1.TextureFormat04, FMT_A8R8G8B8);
    EXPECT_TRUE(caps.Mode2.Valid);
    EXPECT_EQ(caps.Mode2.Width, 800u);
    EXPECT_TRUE(caps.Mode3.Valid);
    SDL_DisplayMode desk;
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desk), 0);
    EXPECT_EQ(caps.Mode3.Width, uint32_t(desk.w));
    EXPECT_TRUE(caps.CanRenderWindowed);
    EXPECT_TRUE(caps.MipMapping && caps.Dot3 && caps.VertexFog && caps.AddressClamp && caps.AddressWrap);
    EXPECT_TRUE(caps.FullScreenGamma);
    EXPECT_GE(caps.MaxTextureWidth, 2048u);
    EXPECT_EQ(caps.Rating, 0);
}

TEST_F(GfxEngineTest, CapsBeforePreInitAreAGameError)
{
    TSNVIDEOCAPS caps;
    int32_t type = 0;
    EXPECT_EQ(ThrownDescription([&] { engine->GfxGetVideoCaps(caps); }, &type),
              "Cannot provide videocard caps - GFX system was not initialized!");
    EXPECT_EQ(type, EHS_GAME);
    EXPECT_EQ(ThrownDescription([&] { engine->GfxInit(2, false); }), "Direct3D object was not created!");
}

TEST_F(GfxEngineTest, TheDesktopSizeCannotBeRenderedInAWindow)
{
    SDL_Init(SDL_INIT_VIDEO);
    SDL_DisplayMode desk;
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desk), 0);
    PreInit(uint32_t(desk.w), uint32_t(desk.h));
    TSNVIDEOCAPS caps;
    engine->GfxGetVideoCaps(caps);
    EXPECT_FALSE(caps.CanRenderWindowed);
    EXPECT_NE(Log().find("          Device cannot render in windowed mode"), std::string::npos);
    EXPECT_EQ(ThrownDescription([&] { engine->GfxInit(3, true); }), "Cannot switch to windowed rendering.");
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

struct ModeCase {
    int mode;
    bool windowed;
    const char* error;      // expected failure, or null
    bool desktopSize;       // back buffer of the desktop's size
    Format format;
};

class GfxModeTest : public gfxtest::EngineTest, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(GfxModeTest, ModeAndWindowedCombinations)
{
    const ModeCase& c = GetParam();
    PreInit();
    std::string error = ThrownDescription([&] { engine->GfxInit(c.mode, c.windowed); });
    if (c.error) {
        EXPECT_EQ(error, c.error);
        return;
    }
    ASSERT_EQ(error, "");
    TSNVIDEOCAPS caps;
    engine->GfxGetVideoCaps(caps);
    uint32_t w = 0, h = 0;
    engine->GfxGetResolution(w, h);
    EXPECT_EQ(w, c.desktopSize ? caps.Mode3.Width : 800u);
    EXPECT_EQ(h, c.desktopSize ? caps.Mode3.Height : 600u);
    auto px = Dev()->ReadBackBuffer();
    EXPECT_EQ(px.size(), size_t(w) * h);
    EXPECT_EQ(engine->GfxGetCurrentMode()->Format, c.format);
    EXPECT_EQ(tsr::IsWindowedWindow(engine->GfxGetWindow()), c.windowed);
    int cw = 0, ch = 0;
    tsr::GetClientSize(engine->GfxGetWindow(), cw, ch);
    if (c.windowed) {
        EXPECT_EQ(cw, 800);
        EXPECT_EQ(ch, 600);
    } else {
        EXPECT_EQ(uint32_t(cw), caps.Mode3.Width); // full screen covers the desktop
    }
    EXPECT_TRUE(engine->m_bGfxDeviceReady);
}

INSTANTIATE_TEST_SUITE_P(Modes, GfxModeTest,
                         ::testing::Values(ModeCase{1, false, nullptr, false, FMT_R5G6B5},
                                           ModeCase{2, false, nullptr, false, FMT_X8R8G8B8},
                                           ModeCase{3, false, nullptr, true, FMT_X8R8G8B8},
                                           ModeCase{3, true, nullptr, false, FMT_X8R8G8B8},
                                           ModeCase{1, true, "Wrong combination of display mode params.", false,
                                                    FMT_UNKNOWN},
                                           ModeCase{2, true, "Wrong combination of display mode params.", false,
                                                    FMT_UNKNOWN}));

TEST_F(GfxEngineTest, AWantedSizeWithoutAModeStillRendersWindowedAtThatSize)
{
    // 1000 x 700 is no display mode: modes 1 and 2 stay empty, but the
    // windowed size comes from the size asked for, not from an empty mode.
    PreInit(1000, 700);
    TSNVIDEOCAPS caps;
    engine->GfxGetVideoCaps(caps);
    EXPECT_FALSE(caps.Mode1.Valid);
    EXPECT_EQ(caps.Mode1.Format, FMT_UNKNOWN);
    EXPECT_EQ(caps.Mode1.TextureFormat01, FMT_UNKNOWN);
    EXPECT_FALSE(caps.Mode2.Valid);
    engine->GfxInit(3, true);
    uint32_t w = 0, h = 0;
    engine->GfxGetResolution(w, h);
    EXPECT_EQ(w, 1000u);
    EXPECT_EQ(h, 700u);
    EXPECT_EQ(Dev()->ReadBackBuffer().size(), 1000u * 700u);
}

TEST_F(GfxEngineTest, InitLogsItsStepsAndNormalShutdownLeavesNoReferences)
{
    Init(2, false);
    // A texture bound to a stage at exit must not keep a reference.
    Texture* t = nullptr;
    ASSERT_EQ(Dev()->CreateTexture(4, 4, 1, 0, FMT_A8R8G8B8, POOL_MANAGED, &t), GFX_OK);
    Dev()->SetTexture(5, t);
    t->Release();
    engine->SceneBegin();
    engine->SceneClearScreen(0, 0, 0);
    engine->SceneEnd();
    engine->ScenePresent();
    engine.reset();
    const std::string log = Log();
    for (const char* line : {"Creating window...", "Creating D3DDevice...", "Creating Textures Manager...",
                             "Creating Lights Manager...", "Creating Techniques Manager...",
                             "Creating Fonts Manager...", "Deinitializing Graphics Subsystem...",
                             "Destroying Textures Manager...", "Destroying Fonts Manager..."})
        EXPECT_NE(log.find(line), std::string::npos) << line;
    EXPECT_EQ(log.find("references left!"), std::string::npos);
    EXPECT_EQ(log.find("Unreleased object references left!"), std::string::npos);
    EXPECT_EQ(tsr::GetMainGameWindow(), nullptr);
}

TEST_F(GfxEngineTest, AHalfFinishedInitIsReleasedAtShutdown)
{
    PreInit();
    // Mode 4 has no format: the window exists, the device cannot be made.
    int32_t type = 0;
    EXPECT_EQ(ThrownDescription([&] { engine->GfxInit(4, false); }, &type), "Cannot create D3DDevice!");
    EXPECT_EQ(type, EHS_GENERAL);
    EXPECT_NE(tsr::GetMainGameWindow(), nullptr);
    EXPECT_FALSE(engine->m_bGfxDeviceReady);
    engine.reset();
    const std::string log = Log();
    EXPECT_EQ(log.find("references left!"), std::string::npos);
    EXPECT_EQ(tsr::GetMainGameWindow(), nullptr); // the window went too
}

TEST_F(GfxEngineTest, MinimisingLosesTheDeviceAndRestoringResetsIt)
{
    Init(2, false);
    tsr::WindowHandle w = engine->GfxGetWindow();
    EXPECT_EQ(engine->UpdateAllSystems(), 1);
    tsr::MinimiseWindow(w);
    EXPECT_EQ(engine->UpdateAllSystems(), 0); // inactive
    EXPECT_FALSE(IsApplicationActive());
    EXPECT_FALSE(engine->GfxCheckDevice());
    EXPECT_NE(Log().find("Device is lost and currently cannot be restored."), std::string::npos);

    tsr::RestoreWindow(w);
    EXPECT_EQ(engine->UpdateAllSystems(), 1); // reset on the way
    const std::string log = Log();
    EXPECT_NE(log.find("D3DDevice is lost. Trying to reset...\n"), std::string::npos);
    EXPECT_EQ(CountOf(log, "FOCUS LOST"), 1u);
    EXPECT_EQ(CountOf(log, "FOCUS GAINED"), 1u);
    EXPECT_EQ(engine->TechGetCurrent(), -1);
    EXPECT_EQ(engine->TexGetCurrent(0), -1);

    // Drawing works again.
    engine->SceneBegin();
    engine->SceneClearScreen(0, 0, 0);
    DiffuseOnly();
    Quad(10, 10, 5, 5, 0xFF00FF00);
    engine->SceneEnd();
    EXPECT_EQ(At(Pixels(), 12, 12), 0x00FF00u);
    EXPECT_EQ(engine->ScenePresent(), GFX_OK);
}

TEST_F(GfxEngineTest, ActivationChangesReachTheFocusHandlersOncePerChange)
{
    Init(2, false);
    tsr::WindowHandle w = engine->GfxGetWindow();
    for (uintptr_t wp : {tsr::WA_ACTIVE, tsr::WA_ACTIVE, tsr::WA_INACTIVE, tsr::WA_INACTIVE,
                              (uintptr_t(1) << 16) | tsr::WA_ACTIVE, tsr::WA_CLICKACTIVE})
        tsr::PostMessage(w, tsr::WM_ACTIVATE, wp, 0);
    engine->ProcessMessages();
    const std::string log = Log();
    EXPECT_EQ(CountOf(log, "FOCUS LOST"), 1u);
    EXPECT_EQ(CountOf(log, "FOCUS GAINED"), 1u);
    EXPECT_TRUE(IsApplicationActive());
}

TEST_F(GfxEngineTest, ClosingTheWindowEndsTheLoop)
{
    Init(2, false);
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    e.window.windowID = 0;
    // The window's SDL id is its only one: the first created after SDL start.
    for (uint32_t id = 1; id < 64; ++id)
        if (SDL_GetWindowFromID(id) && tsr::GetMainGameWindow()) {
            e.window.windowID = id;
        }
    SDL_PushEvent(&e);
    EXPECT_EQ(engine->UpdateAllSystems(), -1);
    EXPECT_FALSE(IsApplicationActive());
}

TEST_F(GfxEngineTest, ScreenshotsAreNumberedBitmapsOfTheLastPresentedFrame)
{
    Init(2, false);
    engine->SceneBegin();
    engine->SceneClearScreen(0, 0, 0);
    DiffuseOnly();
    Quad(0, 0, 1, 1, 0xFF112233);     // top-left pixel
    Quad(799, 599, 1, 1, 0xFF445566); // bottom-right pixel
    engine->SceneEnd();
    engine->ScenePresent();
    engine->SceneMakeScreenshot();
    engine->SceneMakeScreenshot();
    EXPECT_EQ(engine->SceneGetScreenshotCount(), 2);
    const std::string bmp = gfxtest::ReadFile(dir.Path() / "screenshot1.bmp");
    ASSERT_EQ(bmp.size(), 1440054u);
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "screenshot2.bmp"));
    auto u32 = [&](size_t at) {
        return uint32_t(uint8_t(bmp[at])) | uint32_t(uint8_t(bmp[at + 1])) << 8 |
               uint32_t(uint8_t(bmp[at + 2])) << 16 | uint32_t(uint8_t(bmp[at + 3])) << 24;
    };
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(u32(2), 1440054u);
    EXPECT_EQ(u32(10), 54u);
    EXPECT_EQ(u32(14), 40u);
    EXPECT_EQ(u32(18), 800u);
    EXPECT_EQ(u32(22), 600u);
    EXPECT_EQ(u32(26), 1u | (24u << 16));
    EXPECT_EQ(u32(30), 0u);
    EXPECT_EQ(u32(34), 1440000u);
    // Rows run bottom-up: the first pixel stored is the bottom-left one.
    const size_t topLeft = 54 + size_t(599) * 2400;
    EXPECT_EQ(uint8_t(bmp[topLeft]), 0x33);
    EXPECT_EQ(uint8_t(bmp[topLeft + 1]), 0x22);
    EXPECT_EQ(uint8_t(bmp[topLeft + 2]), 0x11);
    const size_t bottomRight = 54 + 799 * 3;
    EXPECT_EQ(uint8_t(bmp[bottomRight]), 0x66);
    EXPECT_EQ(uint8_t(bmp[bottomRight + 2]), 0x44);
    EXPECT_EQ(CountOf(Log(), "Screenshot saved."), 2u);
}

TEST_F(GfxEngineTest, AScreenshotThatCannotBeWrittenIsAWarning)
{
    Init(2, false);
    std::filesystem::create_directory(dir.Path() / "screenshot1.bmp"); // cannot be opened as a file
    engine->SceneMakeScreenshot();
    const std::string log = Log();
    EXPECT_EQ(log.find("Screenshot saved."), std::string::npos);
    EXPECT_NE(log.find("Cannot write screenshot file screenshot1.bmp!"), std::string::npos);
}

TEST_F(GfxEngineTest, NoScreenshotWhileWindowed)
{
    Init(3, true);
    engine->SceneMakeScreenshot();
    EXPECT_EQ(engine->SceneGetScreenshotCount(), 0);
    EXPECT_NE(Log().find("Cannot make a screenshot in windowed mode!"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "screenshot1.bmp"));
}

TEST_F(GfxEngineTest, SceneOperationsNeedADevice)
{
    PreInit();
    for (auto op : std::vector<std::function<void()>>{
             [&] { engine->SceneBegin(); }, [&] { engine->SceneEnd(); },
             [&] { engine->SceneClearScreen(0, 0, 0); }, [&] { engine->SceneSetViewport(0, 0, 1, 1); },
             [&] { engine->SceneSetGamma(1, 0); }, [&] { engine->SceneMakeScreenshot(); }})
        EXPECT_EQ(ThrownDescription(op), "D3DDevice object was not created!");
    EXPECT_EQ(engine->ScenePresent(), GFXERR_INVALIDCALL);
    engine->SceneRender(); // ignored: no batch is open
}

} // namespace

namespace {

TEST_F(GfxEngineTest, AltEnterShowsTheFullScreenPictureFramedAndScreenshotsStillWork)
{
    Init(2, false);
    tsr::WindowHandle w = engine->GfxGetWindow();
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = SDLK_RETURN;
    e.key.keysym.mod = KMOD_LALT;
    SDL_PushEvent(&e);
    engine->ProcessMessages();
    ASSERT_TRUE(tsr::IsShownFramed(w));
    int cw = 0, ch = 0;
    tsr::GetClientSize(w, cw, ch);
    EXPECT_EQ(cw, 800);
    EXPECT_EQ(ch, 600);
    float px = 0, py = 0;
    tsr::WindowToPicture(w, 400.0f, 300.0f, px, py);
    EXPECT_FLOAT_EQ(px, 400.0f);
    EXPECT_FLOAT_EQ(py, 300.0f);

    engine->SceneBegin();
    engine->SceneClearScreen(1, 0, 0);
    engine->SceneEnd();
    EXPECT_EQ(engine->ScenePresent(), GFX_OK);
    engine->SceneMakeScreenshot(); // the engine still renders full screen
    const std::string bmp = gfxtest::ReadFile(dir.Path() / "screenshot1.bmp");
    ASSERT_EQ(bmp.size(), 1440054u);
    EXPECT_EQ(uint8_t(bmp[56]), 0xFF); // red of the first pixel
}

} // namespace
