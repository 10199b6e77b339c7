// The replay file reader and writer.
#include <gtest/gtest.h>

#include "platform/input/tsr_dik.h"
#include "platform/input/tsr_replay.h"

namespace {

using tsr::InputEvent;
using tsr::InputEventKind;
using tsr::InputScript;

TEST(ReplayFile, ReadsEveryEventKind)
{
    const char* text = "# a comment\n"
                       "step 20\n"
                       "\n"
                       "1 keydown escape   # key names in any case\n"
                       "1 keyup 0x01\r\n"
                       "2 mousemove 400 300\n"
                       "2 mousemove -5 7 -3 +2\n"
                       "3 buttondown 8\n"
                       "3 buttonup 1\n"
                       "4 wheel -2\n"
                       "5 focuslost\n"
                       "6 focusgained\n"
                       "7 minimize\n"
                       "8 restore\n"
                       "9 close";
    InputScript script;
    std::string error;
    ASSERT_TRUE(tsr::ParseInputScript(text, script, error)) << error;
    EXPECT_EQ(script.stepMs, 20u);
    const std::vector<InputEvent> expected = {
        {1, InputEventKind::KeyDown, DIK_ESCAPE},
        {1, InputEventKind::KeyUp, DIK_ESCAPE},
        {2, InputEventKind::MouseMove, 400, 300},
        {2, InputEventKind::MouseMove, -5, 7, -3, 2, true},
        {3, InputEventKind::ButtonDown, 8},
        {3, InputEventKind::ButtonUp, 1},
        {4, InputEventKind::Wheel, -2},
        {5, InputEventKind::FocusLost},
        {6, InputEventKind::FocusGained},
        {7, InputEventKind::Minimize},
        {8, InputEventKind::Restore},
        {9, InputEventKind::Close},
    };
    EXPECT_EQ(script.events, expected);
}

TEST(ReplayFile, AliasesGiveTheirKeyCode)
{
    InputScript script;
    std::string error;
    ASSERT_TRUE(tsr::ParseInputScript("1 keydown PGUP\n1 keydown numpadenter\n", script, error)) << error;
    ASSERT_EQ(script.events.size(), 2u);
    EXPECT_EQ(script.events[0].a, DIK_PRIOR);
    EXPECT_EQ(script.events[1].a, DIK_NUMPADENTER);
    EXPECT_EQ(script.stepMs, tsr::kDefaultReplayStepMs);
}

TEST(ReplayFile, RejectsWhatItDoesNotUnderstandWithTheLine)
{
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"1 keydown ENTER", "line 1: keydown unknown key \"ENTER\""},
        {"1 keydown", "line 1: keydown expects one key name"},
        {"1 keydown 0x100", "line 1: keydown unknown key \"0x100\""},
        {"\n\n2 jump", "line 3: unknown event \"jump\""},
        {"0 close", "line 1: expected a frame number (1 or more) or \"step\""},
        {"x close", "line 1: expected a frame number (1 or more) or \"step\""},
        {"5 close\n4 close", "line 2: frame 4 comes after frame 5"},
        {"3", "line 1: missing event"},
        {"1 buttondown 9", "line 1: buttondown expects a button number 1-8"},
        {"1 buttondown 0", "line 1: buttondown expects a button number 1-8"},
        {"1 wheel 0", "line 1: wheel expects a non-zero number of notches"},
        {"1 mousemove 3", "line 1: mousemove expects x y, or x y dx dy"},
        {"1 mousemove 3 y", "line 1: mousemove bad position"},
        {"1 close now", "line 1: close takes no arguments"},
        {"step 0", "line 1: step expects milliseconds 1-1000"},
        {"step 1001", "line 1: step expects milliseconds 1-1000"},
        {"1 close\nstep 10", "line 2: step must come before the events"},
        {"99999999999 close", "line 1: expected a frame number (1 or more) or \"step\""},
    };
    for (const auto& c : cases) {
        InputScript script;
        script.stepMs = 77;
        std::string error;
        EXPECT_FALSE(tsr::ParseInputScript(c.text, script, error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
        EXPECT_EQ(script.stepMs, 77u) << "a failed read leaves the script alone";
    }
}

TEST(ReplayFile, WrittenEventsReadBackTheSame)
{
    const std::vector<InputEvent> events = {
        {1, InputEventKind::KeyDown, DIK_PGUP},      {1, InputEventKind::KeyUp, DIK_OEM_102},
        {2, InputEventKind::MouseMove, -1, 599},     {2, InputEventKind::MouseMove, 10, 20, -4, 5, true},
        {3, InputEventKind::ButtonDown, 3},          {4, InputEventKind::Wheel, 3},
        {5, InputEventKind::FocusLost},              {6, InputEventKind::Close},
    };
    std::string text;
    for (const InputEvent& ev : events)
        text += tsr::FormatInputEvent(ev) + "\n";
    // Main names, never aliases; keys without a name as codes.
    EXPECT_NE(text.find("1 keydown PRIOR\n"), std::string::npos) << text;
    EXPECT_NE(text.find("1 keyup 0x56\n"), std::string::npos) << text;
    InputScript script;
    std::string error;
    ASSERT_TRUE(tsr::ParseInputScript(text, script, error)) << error;
    EXPECT_EQ(script.events, events);
}

} // namespace
