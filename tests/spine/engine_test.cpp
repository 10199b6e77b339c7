// The engine object: construction and shut-down, the banner, callbacks,
// the frame timer, focus handling, the system update and the main loop.
#include <memory>
#include <regex>
#include <vector>

#include "ctesser.h"
#include "spine_fixture.h"

namespace {

using spine::EngineEnvTest;

const std::string kThin = "|---------------------------------------------------|\n";
const std::string kEndOfLog = "\n" + kThin + kThin + "--==: End of log.\n" + kThin + kThin + "\n";

// What test callbacks did, in order.
std::vector<std::string> g_calls;
void LostFocusCallback()
{
    g_calls.push_back("lost");
    LogWriteLine("lost-callback");
}
void RestoredFocusCallback()
{
    g_calls.push_back("restored");
    LogWriteLine("restored-callback");
}
void TerminationCallback() { g_calls.push_back("termination"); }
void ThrowingTermination()
{
    g_calls.push_back("termination");
    throw CEHSException(EHS_GAME, 0, "shut-down failed", "game.cpp", 9);
}

class EngineTest : public EngineEnvTest {
protected:
    void SetUp() override
    {
        EngineEnvTest::SetUp();
        g_calls.clear();
        m_engine = std::make_unique<CTesser>();
    }
    void TearDown() override
    {
        m_engine.reset();
        EngineEnvTest::TearDown();
    }
    // Log lines written since construction, without the log being closed.
    std::unique_ptr<CTesser> m_engine;
};

TEST_F(EngineTest, ConstructionStartsAFreshLogAndRegistersTheInstance)
{
    EXPECT_EQ(CTesser::GetInstance(), m_engine.get());
    m_engine.reset();
    EXPECT_EQ(CTesser::GetInstance(), nullptr);
    ASSERT_EQ(Log(), kEndOfLog);

    // A second engine deletes the first one's log.
    LogWriteLine("old run");
    m_engine = std::make_unique<CTesser>();
    EXPECT_FALSE(spine::FileExists("gamelog.txt"));
    EXPECT_FALSE(IsApplicationActive());
    EXPECT_FALSE(IsQuitRequested());
    EXPECT_FALSE(m_engine->m_bGfxCreated || m_engine->m_bResInitialised || m_engine->m_bInpInitialised ||
                 m_engine->m_bSfxInitialised || m_engine->m_bScrInitialised || m_engine->m_bGfxDeviceReady);
    EXPECT_EQ(m_engine->TimerGetFPS(), 1);
    EXPECT_EQ(m_engine->TimerGetDeltaMs(), 1);
}

TEST_F(EngineTest, BannerLayout)
{
    m_engine->SetApplicationInfo("GenKelpie", "v. 1.0");
    EXPECT_EQ(m_engine->GetApplicationName(), "GenKelpie");
    EXPECT_EQ(m_engine->GetApplicationVersion(), "v. 1.0");
    const std::regex banner("\n\n" + std::string("\\|-{51}\\|\n") +
                            "--==: Starting GenKelpie v\\. 1\\.0\n"
                            "--==: Powered by Tesseron Engine v\\.1\\.0\n"
                            "--==: Built: [A-Z][a-z]{2} [ 1-3][0-9] [0-9]{4}   [0-9]{2}:[0-9]{2}:[0-9]{2}\n"
                            "\n"
                            "--==: Execution date: [1-9][0-9]?\\.[1-9][0-2]?\\.[0-9]{4}\n"
                            "--==: Execution time: (0|[1-9][0-9]?):(0|[1-9][0-9]?)\n" +
                            "\\|-{51}\\|\n\n\n");
    EXPECT_TRUE(std::regex_match(Log(), banner)) << Log();
}

TEST_F(EngineTest, RegisterCallbackKinds)
{
    struct Case {
        int kind;
        const char* entry; // nullptr: only the separators
    };
    const Case cases[] = {
        {CALLBACK_LOSTFOCUS, "   +: Callback function for lost focus registered.\n"},
        {CALLBACK_RESTOREDFOCUS, "   +: Callback function for restored focus registered.\n"},
        {CALLBACK_TERMINATION, "   +: Callback function for termination registered.\n"},
        {4, nullptr},
        {0, nullptr},
        {-1, nullptr},
    };
    for (const Case& c : cases) {
        std::filesystem::remove("gamelog.txt");
        m_engine->RegisterCallback(TerminationCallback, c.kind);
        EXPECT_EQ(Log(), kThin + (c.entry ? c.entry : "") + kThin + "\n") << c.kind;
    }
}

TEST_F(EngineTest, TerminationCallbackRunsOnlyOnFatalShutdown)
{
    m_engine->RegisterCallback(TerminationCallback, CALLBACK_TERMINATION);
    m_engine.reset();
    EXPECT_TRUE(g_calls.empty());

    m_engine = std::make_unique<CTesser>();
    m_engine->RegisterCallback(TerminationCallback, CALLBACK_TERMINATION);
    m_engine->RegisterCallback(nullptr, CALLBACK_TERMINATION); // unregisters
    m_engine->SetFatalShutdown();
    m_engine.reset();
    EXPECT_TRUE(g_calls.empty());

    m_engine = std::make_unique<CTesser>();
    m_engine->RegisterCallback(TerminationCallback, CALLBACK_TERMINATION);
    m_engine->SetFatalShutdown();
    m_engine.reset();
    EXPECT_EQ(g_calls, std::vector<std::string>{"termination"});
    EXPECT_TRUE(Log().ends_with(kEndOfLog));
}

TEST_F(EngineTest, FailingShutdownStepIsReportedAndTheLogStillEnds)
{
    m_engine->RegisterCallback(ThrowingTermination, CALLBACK_TERMINATION);
    m_engine->SetFatalShutdown();
    EXPECT_NO_THROW(m_engine.reset());
    const std::string log = Log();
    EXPECT_NE(log.find(" !!!: Error desc: shut-down failed\n"), std::string::npos);
    EXPECT_NE(EhsLog().find("Exception desc: shut-down failed\n"), std::string::npos);
    EXPECT_TRUE(log.ends_with(kEndOfLog)) << log;
}

TEST_F(EngineTest, FocusHandlersOrderCallbackAndLogLine)
{
    m_engine->RegisterCallback(LostFocusCallback, CALLBACK_LOSTFOCUS);
    m_engine->RegisterCallback(RestoredFocusCallback, CALLBACK_RESTOREDFOCUS);
    std::filesystem::remove("gamelog.txt");
    m_engine->OnFocusLost();
    m_engine->OnFocusGained();
    // On loss the callback runs first, on gain the log line does.
    EXPECT_EQ(Log(), "lost-callback\nFOCUS LOST\nFOCUS GAINED\nrestored-callback\n");
    EXPECT_EQ(g_calls, (std::vector<std::string>{"lost", "restored"}));
}

TEST_F(EngineTest, FocusGainedHidesTheInactiveTime)
{
    m_engine->UpdateTimer();
    tsr::AdvanceVirtualClock(60000);
    m_engine->OnFocusGained();
    tsr::AdvanceVirtualClock(16);
    m_engine->UpdateTimer();
    EXPECT_EQ(m_engine->TimerGetDeltaMs(), 16);
}

TEST_F(EngineTest, HeadlessMessageBoxGoesToStderrAndTheLog)
{
    // The tests run with SDL_VIDEODRIVER=offscreen: no box can be shown.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    ::testing::internal::CaptureStderr();
    const int result = m_engine->ShowMessageBox("No video modes available: your video card cannot handle "
                                                "800x600x16bit resolution",
                                                "No video modes available!", 0);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, 1);
    EXPECT_EQ(err, "No video modes available!: No video modes available: your video card cannot handle "
                   "800x600x16bit resolution\n");
    EXPECT_EQ(Log(), " !: No video modes available!: No video modes available: your video card cannot handle "
                     "800x600x16bit resolution\n");
}

// ---- Timer -----------------------------------------------------------------

struct TimerCase {
    const char* name;
    uint32_t gapMs; // time between two updates
    int32_t deltaMs;
    float deltaSec;
};

class TimerTest : public EngineTest, public ::testing::WithParamInterface<TimerCase> {};

TEST_P(TimerTest, DeltaIsClamped)
{
    const TimerCase& c = GetParam();
    m_engine->UpdateTimer();
    tsr::AdvanceVirtualClock(c.gapMs);
    m_engine->UpdateTimer();
    EXPECT_EQ(m_engine->TimerGetDeltaMs(), c.deltaMs);
    EXPECT_FLOAT_EQ(m_engine->TimerGetDelta(), c.deltaSec);
}

INSTANTIATE_TEST_SUITE_P(Spine, TimerTest,
                         ::testing::Values(TimerCase{"FiveMs", 5, 5, 0.005f}, TimerCase{"Stall", 2000, 300, 0.3f},
                                           TimerCase{"SameMs", 0, 1, 0.001f}, TimerCase{"AtCeiling", 300, 300, 0.3f},
                                           TimerCase{"JustOver", 301, 300, 0.3f}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EngineTest, TimerDeltaIsWrapSafe)
{
    tsr::UseVirtualClock(0xFFFFFFF0u);
    m_engine = std::make_unique<CTesser>();
    m_engine->UpdateTimer();
    tsr::AdvanceVirtualClock(25); // crosses 2^32
    m_engine->UpdateTimer();
    EXPECT_EQ(m_engine->TimerGetDeltaMs(), 25);
}

TEST_F(EngineTest, TimerClockGoingBackwardsCountsAsOneMs)
{
    m_engine->UpdateTimer();
    tsr::UseVirtualClock(50000);
    m_engine->UpdateTimer();
    EXPECT_EQ(m_engine->TimerGetDeltaMs(), 1);
}

TEST_F(EngineTest, FramesPerSecondChangesOncePerSecond)
{
    // Steady 10 ms frames: the first second counts from 1, later ones from 0.
    std::vector<int> fps;
    for (int frame = 1; frame <= 300; ++frame) {
        tsr::AdvanceVirtualClock(10);
        m_engine->UpdateTimer();
        fps.push_back(m_engine->TimerGetFPS());
    }
    EXPECT_EQ(fps[98], 1);
    EXPECT_EQ(fps[99], 101);
    EXPECT_EQ(fps[198], 101);
    EXPECT_EQ(fps[199], 100);
    EXPECT_EQ(fps[299], 100);
}

// ---- System update and main loop -------------------------------------------

int g_frames = 0;
int g_lastFrame = 0;
bool CountingFrame()
{
    ++g_frames;
    return g_frames < g_lastFrame;
}

class MainLoopTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        g_frames = 0;
        g_lastFrame = 0;
    }
};

TEST_F(MainLoopTest, InactiveApplicationUpdatesNothing)
{
    SetApplicationActive(false);
    m_engine->UpdateTimer();
    tsr::AdvanceVirtualClock(40);
    EXPECT_EQ(m_engine->UpdateAllSystems(), 0);
    SetApplicationActive(true);
    EXPECT_EQ(m_engine->UpdateAllSystems(), 1);
    EXPECT_EQ(m_engine->TimerGetDeltaMs(), 40); // the timer did not move while inactive
}

TEST_F(MainLoopTest, InactiveLoopWaitsForMessagesAndQuits)
{
    int waits = 0;
    tsr::AddMessageSource({nullptr, [&](int) {
                               ++waits;
                               tsr::PostQuitMessage(0);
                           }});
    g_lastFrame = 1000;
    m_engine->RunMainLoop(CountingFrame);
    EXPECT_EQ(waits, 1);
    EXPECT_EQ(g_frames, 0);
    EXPECT_TRUE(IsQuitRequested());
}

TEST_F(MainLoopTest, FrameCallbackFalseEndsTheLoopAtOnce)
{
    SetApplicationActive(true);
    g_lastFrame = 4;
    m_engine->RunMainLoop(CountingFrame);
    EXPECT_EQ(g_frames, 4);
    EXPECT_FALSE(IsQuitRequested());
}

TEST_F(MainLoopTest, QuitMessageEndsTheLoopOnTheNextPass)
{
    SetApplicationActive(true);
    static int frames;
    frames = 0;
    m_engine->RunMainLoop([] {
        if (++frames == 3)
            tsr::PostQuitMessage(0);
        return true;
    });
    EXPECT_EQ(frames, 3);
    EXPECT_TRUE(IsQuitRequested());
}

TEST_F(MainLoopTest, ProcessMessagesStopsAtQuitAndLeavesTheRest)
{
    static std::vector<uint32_t> seen;
    seen.clear();
    int window = 0;
    tsr::SetWindowProc(&window, [](tsr::WindowHandle, uint32_t message, uintptr_t, intptr_t) -> intptr_t {
        seen.push_back(message);
        return 0;
    });
    tsr::PostMessage(&window, tsr::WM_USER, 0, 0);
    tsr::PostQuitMessage(0);
    tsr::PostMessage(&window, tsr::WM_USER + 1, 0, 0);
    EXPECT_EQ(m_engine->ProcessMessages(), -1);
    EXPECT_EQ(seen, std::vector<uint32_t>{tsr::WM_USER});
    EXPECT_EQ(m_engine->ProcessMessages(), 0);
    EXPECT_EQ(seen, (std::vector<uint32_t>{tsr::WM_USER, tsr::WM_USER + 1}));
    EXPECT_EQ(m_engine->UpdateAllSystems(), 0); // inactive, queue empty
}

TEST_F(MainLoopTest, NullFrameCallbackIsAGameError)
{
    SetApplicationActive(true);
    try {
        m_engine->RunMainLoop(nullptr);
        FAIL() << "no throw";
    } catch (const CEHSException& e) {
        EXPECT_EQ(e.GetType(), EHS_GAME);
    }
}

} // namespace
