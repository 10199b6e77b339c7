// The replay and record stream inside a running engine: which frame an
// event reaches, the clock step per frame, live input kept out of a replay,
// and which frame a recorded event is written for.
#include "input_fixture.h"

#include "platform/input/tsr_replay.h"

namespace {

class StreamTest : public inputtest::InputEngineTest {
protected:
    void TearDown() override
    {
        tsr::EndInputStream();
        InputEngineTest::TearDown();
    }
    void Replay(const char* text)
    {
        tsr::InputScript script;
        std::string error;
        ASSERT_TRUE(tsr::ParseInputScript(text, script, error)) << error;
        tsr::BeginReplay(std::move(script));
    }
};

TEST_F(StreamTest, ReplayedEventsReachTheirOwnFrameOnAFixedClock)
{
    Replay("step 10\n"
           "2 keydown SPACE\n"
           "3 keyup SPACE\n"
           "4 mousemove 10 20\n"
           "5 buttondown 2\n"
           "6 buttonup 2\n");
    const uint32_t start = tsr::TimeGetTime();

    Frame();
    EXPECT_EQ(tsr::GetInputStreamFrame(), 1u);
    EXPECT_EQ(tsr::TimeGetTime(), start + 10);
    EXPECT_FALSE(engine->KeyboardIsKeyPressed(DIK_SPACE));
    Frame();
    EXPECT_TRUE(engine->KeyboardIsKeyClicked(DIK_SPACE));
    EXPECT_EQ(engine->TimerGetDeltaMs(), 10);
    Frame();
    EXPECT_FALSE(engine->KeyboardIsKeyPressed(DIK_SPACE));
    Frame();
    EXPECT_EQ(engine->MouseGetCursorPos().x, 10);
    EXPECT_EQ(engine->MouseGetCursorPos().y, 20);
    EXPECT_TRUE(engine->MouseGetCursorStatus());
    Frame();
    EXPECT_TRUE(engine->MouseIsKeyClicked(2));
    EXPECT_FALSE(tsr::IsReplayFinished());
    Frame();
    EXPECT_FALSE(engine->MouseIsKeyPressed(2));
    EXPECT_TRUE(tsr::IsReplayFinished());
    EXPECT_EQ(tsr::GetInputStreamFrame(), 6u);
    EXPECT_EQ(tsr::TimeGetTime(), start + 60);
}

TEST_F(StreamTest, ReplayKeepsLiveInputOut)
{
    Replay("3 keydown B\n");
    expectedPush = 0; // dropped on the way in
    Key(SDL_SCANCODE_A, true);
    MoveTo(50, 50, 5, 5);
    Frame();
    EXPECT_FALSE(engine->KeyboardIsKeyPressed(DIK_A));
    EXPECT_EQ(engine->MouseGetDeltaX(), 0);
    WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    Frame(); // the live focus loss never reaches the window
    Frame();
    EXPECT_TRUE(engine->KeyboardIsKeyClicked(DIK_B));
}

TEST_F(StreamTest, ReplayedFocusLossReachesTheWindowInItsFrame)
{
    Replay("2 focuslost\n5 focusgained\n5 keydown C\n");
    Frame();
    EXPECT_EQ(engine->UpdateAllSystems(), 0);
    EXPECT_EQ(tsr::GetInputStreamFrame(), 2u);
    EXPECT_FALSE(IsApplicationActive());
    // Inactive: each wait of the loop is a frame.
    tsr::WaitMessage();
    EXPECT_EQ(engine->UpdateAllSystems(), 0);
    tsr::WaitMessage();
    EXPECT_EQ(engine->UpdateAllSystems(), 0);
    tsr::WaitMessage();
    Frame();
    EXPECT_EQ(tsr::GetInputStreamFrame(), 5u);
    EXPECT_TRUE(engine->KeyboardIsKeyClicked(DIK_C));
}

TEST_F(StreamTest, RecordingWritesEachEventForTheFrameThatTakesIt)
{
    const std::string path = (m_dir / "rec.rpl").string();
    ASSERT_TRUE(tsr::BeginRecording(path, 16));
    Key(SDL_SCANCODE_A, true); // before the first frame: frame 1
    Frame();
    Key(SDL_SCANCODE_A, false); // after frame 1's read: frame 2
    Frame();
    Frame();
    MoveTo(30, 40, 1, 2);
    Wheel(1);
    WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    EXPECT_EQ(engine->UpdateAllSystems(), 0); // frame 4 takes all three
    tsr::EndInputStream();

    EXPECT_EQ(inputtest::ReadFile(path), "# Tesseron input record\n"
                                         "step 16\n"
                                         "1 keydown A\n"
                                         "2 keyup A\n"
                                         "4 mousemove 30 40 1 2\n"
                                         "4 wheel 1\n"
                                         "4 focuslost\n");
}

} // namespace

namespace {

TEST_F(StreamTest, PointerLeavingIsRecordedAsAMoveOutside)
{
    const std::string path = (m_dir / "leave.rpl").string();
    ASSERT_TRUE(tsr::BeginRecording(path, 16));
    MoveTo(10, 10, 1, 1);
    Frame();
    WindowEvent(SDL_WINDOWEVENT_LEAVE);
    Frame();
    EXPECT_FALSE(engine->MouseGetCursorStatus());
    tsr::EndInputStream();
    // Wherever the system puts the pointer now, it is outside the window.
    const std::string text = inputtest::ReadFile(path);
    const std::string head = "# Tesseron input record\nstep 16\n1 mousemove 10 10 1 1\n2 mousemove -";
    EXPECT_EQ(text.substr(0, head.size()), head) << text;
    EXPECT_EQ(text.substr(text.size() - 5), " 0 0\n") << text;

    Replay(inputtest::ReadFile(path).c_str());
    Frame();
    EXPECT_TRUE(engine->MouseGetCursorStatus());
    Frame();
    EXPECT_FALSE(engine->MouseGetCursorStatus());
}

} // namespace
