// Every family of script functions against a fully started engine: called
// with valid arguments each does what its engine operation does.
#include <cstring>

#include "platform/clock/tsr_clock.h"
#include "platform/gfx/tsr_gfx.h"
#include "platform/input/tsr_replay.h"
#include "platform/messages/tsr_messages.h"
#include "scr_fixture.h"

using namespace scrtest;

namespace {

// The example game's data (textures, techniques, a font, a sound) under a
// fresh engine started in the runner's order, scripts last.
class FullEngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tsr::ResetMessageQueue();
        fs::copy(fs::path(std::getenv("TSR_SOURCE_DIR")) / "examples" / "hello" / "DATA", m_folder.Path() / "DATA",
                 fs::copy_options::recursive);
        m_engine = std::make_unique<CTesser>();
        try {
            m_engine->ResInit();
            m_engine->GfxPreInit(800, 600);
            m_engine->GfxInit(2, false);
            m_engine->InpInit();
            m_engine->SfxInit(44100);
            m_engine->ScrInit();
            m_engine->ResLoadResources(1);
        } catch (const CEHSException& e) {
            FAIL() << "start-up: " << e.GetDescription() << " (" << e.GetFile() << ":" << e.GetLine() << ")";
        }
    }
    void TearDown() override
    {
        m_engine.reset();
        tsr::EndInputStream();
        tsr::UseRealClock();
        tsr::ResetMessageQueue();
    }

    CTesser& Engine() { return *m_engine; }
    void Run(const std::string& chunk)
    {
        m_engine->ScrLoadScript(chunk.data(), static_cast<int32_t>(chunk.size()), "SCR_FAMILY");
    }
    std::string Eval(const std::string& expression)
    {
        Run("function __eval() return tostring(" + expression + ") end");
        m_engine->CallLuaFunction("__eval", 1);
        return m_engine->GetCallResults().at(0).GetString();
    }
    std::vector<TSNVERTEX> Quad()
    {
        const TSNVERTEX* v = m_engine->VQuadGetVertices();
        return std::vector<TSNVERTEX>(v, v + 4);
    }

    TempFolder m_folder;
    std::unique_ptr<CTesser> m_engine;
};

bool SameQuad(const std::vector<TSNVERTEX>& a, const std::vector<TSNVERTEX>& b)
{
    return std::memcmp(a.data(), b.data(), sizeof(TSNVERTEX) * 4) == 0;
}

}  // namespace

TEST_F(FullEngineTest, QuadFunctionsShapeTheQuadAsTheirOperationsWithTheirDefaults)
{
    const struct {
        const char* script;
        std::function<void(CTesser&)> direct;
    } cases[] = {
        {"TSN_GFX_VQuadSetPos(10, 20, 32, 32)", [](CTesser& e) { e.VQuadSetPos(10, 20, 32, 32, 0.5f); }},
        {"TSN_GFX_VQuadSetPos(10, 20, 32, 32, 0.9)", [](CTesser& e) { e.VQuadSetPos(10, 20, 32, 32, 0.9f); }},
        {"TSN_GFX_VQuadSetPos(10, 20, 32, 32, 0.9, 'extra')", [](CTesser& e) { e.VQuadSetPos(10, 20, 32, 32, 0.5f); }},
        {"TSN_GFX_VQuadSetPosByVertex(1, 5, 6)", [](CTesser& e) { e.VQuadSetPosByVertex(1, 5, 6, 0.5f); }},
        {"TSN_GFX_VQuadSetPosByVertex(2.7, 5, 6, 0.25)", [](CTesser& e) { e.VQuadSetPosByVertex(2, 5, 6, 0.25f); }},
        {"TSN_GFX_VQuadRotate(16, 16, 90)", [](CTesser& e) { e.VQuadRotate(16, 16, 90); }},
        {"TSN_GFX_VQuadScale(0, 0, 2)", [](CTesser& e) { e.VQuadScale(0, 0, 2); }},
        {"TSN_GFX_VQuadMove(3, 4)", [](CTesser& e) { e.VQuadMove(3, 4, 0); }},
        {"TSN_GFX_VQuadMove(3, 4, 0.1)", [](CTesser& e) { e.VQuadMove(3, 4, 0.1f); }},
        {"TSN_GFX_VQuadSetTexCoords(2, 0, 0, 0.5, 0.25)",
         [](CTesser& e) { e.VQuadSetTexCoords(2, 0, 0, 0.5f, 0.25f); }},
        {"TSN_GFX_VQuadSetColor(1, 0, 0)", [](CTesser& e) { e.VQuadSetColor(1, 0, 0, 1); }},
        {"TSN_GFX_VQuadSetColor(1, 0, 0, 0.5)", [](CTesser& e) { e.VQuadSetColor(1, 0, 0, 0.5f); }},
        {"TSN_GFX_VQuadSetColorByVertex(2, 1, 1, 1)", [](CTesser& e) { e.VQuadSetColorByVertex(2, 1, 1, 1, 0); }},
        {"TSN_GFX_VQuadSetColorByVertex(2, 1, 1, 1, 1)", [](CTesser& e) { e.VQuadSetColorByVertex(2, 1, 1, 1, 1); }},
    };
    for (const auto& c : cases) {
        Engine().VQuadSetPos(1, 2, 30, 40, 0.5f);
        Engine().VQuadSetColor(0.5f, 0.5f, 0.5f, 0.5f);
        Run(c.script);
        const std::vector<TSNVERTEX> byScript = Quad();
        Engine().VQuadSetPos(1, 2, 30, 40, 0.5f);
        Engine().VQuadSetColor(0.5f, 0.5f, 0.5f, 0.5f);
        c.direct(Engine());
        EXPECT_TRUE(SameQuad(byScript, Quad())) << c.script;
    }
}

TEST_F(FullEngineTest, TextureTechniqueAndFontSelection)
{
    const int tile = Engine().TexGetID("TEX_TILE");
    ASSERT_GE(tile, 0);
    Run("TSN_GFX_TexSet('TEX_TILE')");
    EXPECT_EQ(Engine().TexGetCurrent(0), tile);
    Run("TSN_GFX_TexSet(" + std::to_string(tile) + ", 1)");
    EXPECT_EQ(Engine().TexGetCurrent(1), tile);
    Run("TSN_GFX_TexSetNoTexture(1)");
    EXPECT_EQ(Engine().TexGetCurrent(1), -1);
    Run("TSN_GFX_TexSetNoTexture()");
    EXPECT_EQ(Engine().TexGetCurrent(0), -1);

    Run("TSN_GFX_TechApply('TEQ_SOLID')");
    EXPECT_EQ(Engine().TechGetCurrent(), Engine().TechGetID("TEQ_SOLID"));
    Run("TSN_GFX_TechApply(" + std::to_string(Engine().TechGetID("TEQ_TILE")) + ")");
    EXPECT_EQ(Engine().TechGetCurrent(), Engine().TechGetID("TEQ_TILE"));

    Run("TSN_RES_LoadResource('FNT_SANS16')");
    const int font = Engine().FontGetID("FNT_SANS16");
    ASSERT_GE(font, 0);
    Run("TSN_GFX_FontSet('FNT_SANS16')");
    EXPECT_EQ(Engine().FontGetCurrent(), font);
    Engine().FontSet(-1 == font ? 0 : font);
    Run("TSN_GFX_FontSet(" + std::to_string(font) + ")");
    EXPECT_EQ(Engine().FontGetCurrent(), font);

    Run("TSN_GFX_TexUnloadByID('TEX_TILE')");
    EXPECT_EQ(Engine().TexGetID("TEX_TILE"), -1);
    Run("TSN_RES_LoadResource('TEX_TILE')");
    Run("TSN_GFX_TexUnloadByID(" + std::to_string(Engine().TexGetID("TEX_TILE")) + ")");
    EXPECT_EQ(Engine().TexGetID("TEX_TILE"), -1);
}

TEST_F(FullEngineTest, SceneFunctionsDrawAndSaveTheScreen)
{
    Run("TSN_GFX_SceneSetGamma(1, 0)\n"
        "TSN_GFX_SceneBegin()\n"
        "TSN_GFX_SceneClearScreen(0, 0, 1)\n"
        "TSN_GFX_SceneSetViewport(10.7, 0, 100.9, 50)\n"
        "TSN_GFX_TechApply('TEQ_SOLID')\n"
        "TSN_GFX_TexSetNoTexture()\n"
        "TSN_GFX_VQuadSetPos(0, 0, 800, 600)\n"
        "TSN_GFX_VQuadSetColor(1, 0, 0)\n"
        "TSN_GFX_SceneRender()\n"
        "TSN_RES_LoadResource('FNT_SANS16')\n"
        "TSN_GFX_FontSet('FNT_SANS16')\n"
        "TSN_GFX_FontDrawText('Hi', 200, 200, 10, 0, 1)\n"
        "TSN_GFX_SceneEnd()\n"
        "TSN_GFX_ScenePresent()\n"
        "TSN_GFX_SceneMakeScreenshot()\n");
    tsr::gfx::Viewport viewport;
    Engine().GfxGetDevice()->GetViewport(viewport);
    EXPECT_EQ(viewport.x, 10u);
    EXPECT_EQ(viewport.width, 100u);
    EXPECT_EQ(viewport.height, 50u);
    EXPECT_EQ(Engine().SceneGetScreenshotCount(), 1);
    const std::string bmp = ReadFile(m_folder.Path() / "screenshot1.bmp");
    ASSERT_EQ(bmp.size(), 1440054u);
    // Row 599 from the bottom is the top row: x 50 inside the viewport is red, x 5 outside is blue.
    const size_t top = 54 + 599 * 2400;
    EXPECT_EQ(static_cast<unsigned char>(bmp[top + 50 * 3 + 2]), 255);
    EXPECT_EQ(static_cast<unsigned char>(bmp[top + 5 * 3 + 0]), 255);
    EXPECT_EQ(static_cast<unsigned char>(bmp[top + 5 * 3 + 2]), 0);
}

TEST_F(FullEngineTest, InputFunctionsReadTheLastUpdate)
{
    tsr::InputScript replay;
    std::string error;
    ASSERT_TRUE(tsr::ParseInputScript("1 keydown RIGHT\n1 mousemove 100 200\n1 buttondown 2\n1 wheel 1\n",
                                      replay, error))
        << error;
    tsr::BeginReplay(replay);
    Run("repeat until TSN_SYS_UpdateAllSystems() == 1");

    const struct {
        const char* expression;
        std::string value;
    } cases[] = {
        {"TSN_INP_KeyboardIsKeyPressed(0xCD)", "true"},
        {"TSN_INP_KeyboardIsKeyPressed(0xCD + 256)", "true"},  // low 8 bits
        {"TSN_INP_KeyboardIsKeyPressed(0xCD + 0.9)", "true"},
        {"TSN_INP_KeyboardIsKeyPressed(0xCB)", "false"},
        {"TSN_INP_KeyboardIsKeyClicked(0xCD)", "true"},
        {"TSN_INP_KeyboardGetAnyPressedKey()", "205"},
        {"TSN_INP_MouseIsKeyPressed(2)", "true"},
        {"TSN_INP_MouseIsKeyClicked(2)", "true"},
        {"TSN_INP_MouseIsKeyPressed(1)", "false"},
        // Only buttons 1 to 8 exist.
        {"TSN_INP_MouseIsKeyPressed(0)", "false"},
        {"TSN_INP_MouseIsKeyPressed(9)", "false"},
        {"TSN_INP_MouseIsKeyPressed(-1)", "false"},
        {"TSN_INP_MouseIsKeyPressed(2 + 256)", "false"},
        {"TSN_INP_MouseIsKeyClicked(-2147483648)", "false"},
        {"TSN_INP_MouseGetAnyPressedKey()", "2"},
        {"TSN_INP_MouseGetWheelDelta()", "1"},
        {"TSN_INP_MouseGetCursorPos()", "100"},
        {"select(2, TSN_INP_MouseGetCursorPos())", "200"},
        {"TSN_INP_MouseGetCursorStatus()", Engine().MouseGetCursorStatus() ? "true" : "false"},
        {"TSN_INP_MouseGetDeltaX()", std::to_string(Engine().MouseGetDeltaX())},
        {"TSN_INP_MouseGetDeltaY()", std::to_string(Engine().MouseGetDeltaY())},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Eval(c.expression), c.value) << c.expression;
    // Same answers for the whole frame.
    EXPECT_EQ(Eval("TSN_INP_KeyboardIsKeyClicked(0xCD)"), "true");
}

TEST_F(FullEngineTest, TextBufferFunctions)
{
    EXPECT_EQ(Eval("TSN_INP_KeyboardGetTextInBuffer()"), "");
    Run("TSN_INP_KeyboardSetTextBufferStatus(true)");
    EXPECT_TRUE(Engine().KeyboardGetTextBufferStatus());
    Run("TSN_INP_KeyboardSetTextBufferStatus(false)");
    EXPECT_FALSE(Engine().KeyboardGetTextBufferStatus());
    Run("TSN_INP_KeyboardSetTextInBuffer('abcd') TSN_INP_KeyboardSetTextBufferSize(2.9)");
    EXPECT_EQ(Engine().KeyboardGetTextBufferSize(), 2);
    EXPECT_EQ(Eval("TSN_INP_KeyboardGetTextInBuffer()"), "ab");
}

TEST_F(FullEngineTest, SoundFunctionsPlayAndReportBySlotOrIdentifier)
{
    Run("TSN_RES_LoadResources(2.9)");  // tag 2: the sound and the font
    const int beep = Engine().SoundGetIndex("SND_BEEP");
    ASSERT_GE(beep, 0);
    EXPECT_GE(Engine().FontGetID("FNT_SANS16"), 0);

    Run("TSN_SFX_SetGlobalVolumes(100, 20)");
    EXPECT_EQ(Eval("TSN_SFX_SoundGetStatus('SND_BEEP')"), "0");
    Run("TSN_SFX_SoundPlay('SND_BEEP', true, -1, -1, -101)");
    EXPECT_NE(Engine().SoundGetStatus(beep), 0u);
    EXPECT_EQ(Eval("TSN_SFX_SoundGetStatus(" + std::to_string(beep) + ")"),
              std::to_string(Engine().SoundGetStatus(beep)));
    Run("TSN_SFX_SoundSetAttributes('SND_BEEP', 22050, 50, 0)\n"
        "TSN_SFX_SoundSlideAttributes(" + std::to_string(beep) + ", -1, 20, -101, 100)\n"
        "TSN_SFX_SoundPause('SND_BEEP')\n"
        "TSN_SFX_SoundResume('SND_BEEP')\n");
    EXPECT_NE(Engine().SoundGetStatus(beep), 0u);
    Run("TSN_SFX_SoundStop('SND_BEEP')");
    EXPECT_EQ(Engine().SoundGetStatus(beep), 0u);
    Run("TSN_SFX_MusicSetVolume(50, 0) TSN_SFX_PlaylistStop()");
    Run("TSN_SFX_SoundUnload(" + std::to_string(beep) + ")");
    EXPECT_LT(Engine().SoundGetIndex("SND_BEEP"), 0);

    // Errors of the operations come through unchanged.
    const CEHSException e = Thrown([&] { Run("TSN_SFX_SoundPlay(7, false, -1, -1, -101)"); });
    EXPECT_EQ(e.GetType(), EHS_GAME);
    EXPECT_EQ(e.GetDescription().rfind("Invalid sound ID: ", 0), 0u) << e.GetDescription();
    EXPECT_TRUE(e.GetFile().ends_with("ctesser_sfx_sound.cpp")) << e.GetFile();
}

TEST_F(FullEngineTest, DemandFunctionsLoadOnFirstUse)
{
    EXPECT_EQ(Engine().FontGetID("FNT_SANS16"), -1);
    const struct {
        const char* call;
        std::function<int()> lookup;
    } cases[] = {
        {"TSNUTIL_DemandFont('FNT_SANS16')", [&] { return Engine().FontGetID("FNT_SANS16"); }},
        {"TSNUTIL_DemandTexture('TEX_TILE')", [&] { return Engine().TexGetID("TEX_TILE"); }},
        {"TSNUTIL_DemandTechnique('TEQ_FONT', 'TEQ_FONTPACK')", [&] { return Engine().TechGetID("TEQ_FONT"); }},
        {"TSNUTIL_DemandSound('SND_BEEP')", [&] { return Engine().SoundGetIndex("SND_BEEP"); }},
    };
    for (const auto& c : cases) {
        const std::string id = Eval(c.call);  // loads first, then the lookup finds it
        EXPECT_EQ(id, std::to_string(c.lookup())) << c.call;
        EXPECT_NE(id, "-1") << c.call;
    }
    const CEHSException e = Thrown([&] { Run("TSNUTIL_DemandTexture('TEX_NOWHERE')"); });
    EXPECT_EQ(e.GetType(), EHS_GAME);
    EXPECT_EQ(e.GetDescription(), "Invalid texture demand. ID = TEX_NOWHERE");
}

namespace {
// The same engine on a machine without a sound card.
class SilentEngineTest : public FullEngineTest {
protected:
    void SetUp() override
    {
        const char* driver = std::getenv("SDL_AUDIODRIVER");
        m_driver = driver ? driver : "";
        setenv("SDL_AUDIODRIVER", "tsr_no_such_driver", 1);
        FullEngineTest::SetUp();
    }
    void TearDown() override
    {
        FullEngineTest::TearDown();
        setenv("SDL_AUDIODRIVER", m_driver.c_str(), 1);
    }
    std::string m_driver;
};
}  // namespace

TEST_F(SilentEngineTest, SoundFunctionsAnswerMinusTwoWithoutASoundCard)
{
    ASSERT_TRUE(Engine().SfxHasNoSoundCard());
    EXPECT_EQ(Eval("TSNUTIL_DemandSound('SND_BEEP')"), "-2");
    // Playing and stopping by identifier do nothing, and say nothing.
    Run("TSN_SFX_SoundPlay('SND_BEEP', false, -1, -1, -101) TSN_SFX_SoundStop('SND_BEEP')");
}
