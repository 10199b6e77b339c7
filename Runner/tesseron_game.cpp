// The runner's game: the engine's generic start-up in the engine's order,
// the resources of tags 1 to 9 (scripts run as they load), then the main
// loop, which calls the script function OnFrame once per frame.
#include "CTesser/ctesser.h"
#include "platform/input/tsr_dik.h"
#include "platform/process/tsr_process.h"
#include "tesseron_runner.h"

namespace {

constexpr int32_t kFileID = 1030;
constexpr const char* kFrameFunction = "OnFrame";

CTesser* g_engine = nullptr;
int64_t g_frames = 0;

RunnerOptions g_options;

void RunnerShutdown()
{
    // Nothing of the runner's own outlives the engine; the engine object's
    // destructor shuts the subsystems down.
}

// Graphics pre-initialisation at 800 x 600 and the mode choice: 32-bit full
// screen, else 16-bit. False (after telling the user) when neither exists.
bool ChooseDisplayMode(CTesser& engine, int32_t& mode)
{
    SetCheckpoint(kFileID, __LINE__);
    engine.GfxPreInit(800, 600);
    TSNVIDEOCAPS caps;
    engine.GfxGetVideoCaps(caps);
    if (caps.Mode2.Valid) {
        mode = 2;
        return true;
    }
    if (caps.Mode1.Valid) {
        mode = 1;
        return true;
    }
    engine.ShowMessageBox("No video modes available: your video card cannot handle 800x600x16bit resolution",
                          "No video modes available!", tsr::MB_OK);
    return false;
}

bool RunnerFrame()
{
    SetCheckpoint(kFileID, __LINE__);
    CTesser& engine = *g_engine;
    ++g_frames;
    engine.CallLuaFunction(kFrameFunction, -1);
    const auto& results = engine.GetCallResults();
    const bool scriptGoesOn = results.empty() || results[0].GetStatus() != LUAVAL_BOOLEAN || results[0].GetBoolean();
    // F9 saves the screen as the frame left it.
    if (engine.KeyboardIsKeyClicked(DIK_F9))
        engine.SceneMakeScreenshot();
    if (g_options.frameLimit > 0 && g_frames >= g_options.frameLimit)
        return false;
    return scriptGoesOn;
}

}  // namespace

RunnerOptions& GetRunnerOptions()
{
    return g_options;
}

void GameMain(CTesser* engine)
{
    SetCheckpoint(kFileID, __LINE__);
    EHS_CHECK(engine != nullptr, EHS_GENERAL, "Error in Engine_InitResourcesSubsystem: pTSN == NULL!");
    g_engine = engine;
    engine->SetApplicationInfo("Tesseron", "v. 1.0");
    engine->RegisterCallback(RunnerShutdown, CALLBACK_TERMINATION);

    engine->ResInit();

    int32_t mode = 0;
    if (!IsQuitRequested() && !ChooseDisplayMode(*engine, mode))
        RequestQuit();

    if (!IsQuitRequested()) {
        engine->GfxInit(mode, false);
        engine->InpInit();
        engine->SfxInit(44100);
        engine->ScrInit();
    }

    // Tag 1 first, then 2 to 9; a script may request quit (its own frame
    // loop saw the window close), which stops the loading.
    for (int32_t tag = 1; tag <= 9 && !IsQuitRequested(); ++tag)
        engine->ResLoadResources(tag);

    if (!IsQuitRequested())
        engine->RunMainLoop(RunnerFrame);

    RunnerShutdown();
    g_engine = nullptr;
}
