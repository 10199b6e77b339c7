// The keyboard through the whole path: SDL key events into the device
// layer, the engine's per-frame read, pressed and clicked, the text input
// step, and acquisition following the window's focus.
#include "input_fixture.h"

#include <vector>

namespace {

using inputtest::InputEngineTest;

class KeyboardTest : public InputEngineTest {};

TEST_F(KeyboardTest, HeldKeyIsClickedInItsFirstFrameOnlyAndPressedInAll)
{
    Key(SDL_SCANCODE_F2, true);
    for (int frame = 0; frame < 5; ++frame) {
        Frame();
        EXPECT_TRUE(engine->KeyboardIsKeyPressed(DIK_F2)) << "frame " << frame;
        EXPECT_EQ(engine->KeyboardIsKeyClicked(DIK_F2), frame == 0) << "frame " << frame;
    }
    Key(SDL_SCANCODE_F2, false);
    Frame();
    EXPECT_FALSE(engine->KeyboardIsKeyPressed(DIK_F2));
    EXPECT_FALSE(engine->KeyboardIsKeyClicked(DIK_F2));
}

TEST_F(KeyboardTest, EventBeforeAFrameIsSeenInThatFrame)
{
    // No added latency: the frame right after the event already has it.
    Frame();
    Key(SDL_SCANCODE_RETURN, true);
    Frame();
    EXPECT_TRUE(engine->KeyboardIsKeyClicked(DIK_RETURN));
}

TEST_F(KeyboardTest, TapBetweenTwoFramesIsNotLost)
{
    Frame();
    Key(SDL_SCANCODE_F9, true);
    Key(SDL_SCANCODE_F9, false);
    Frame();
    EXPECT_TRUE(engine->KeyboardIsKeyClicked(DIK_F9));
    Frame();
    EXPECT_FALSE(engine->KeyboardIsKeyPressed(DIK_F9));
}

// Keys by position, extended keys included, land on their DIK_ codes.
struct KeyPosition {
    SDL_Scancode scancode;
    uint8_t dik;
};
class KeyPositionTest : public InputEngineTest, public ::testing::WithParamInterface<KeyPosition> {};

TEST_P(KeyPositionTest, ScancodeSetsItsKeyCodeOnly)
{
    const KeyPosition p = GetParam();
    Key(p.scancode, true);
    Frame();
    EXPECT_TRUE(engine->KeyboardIsKeyPressed(p.dik));
    EXPECT_EQ(engine->KeyboardGetAnyPressedKey(), p.dik);
    Key(p.scancode, false);
    Frame();
    EXPECT_EQ(engine->KeyboardGetAnyPressedKey(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyPositionTest,
    ::testing::Values(KeyPosition{SDL_SCANCODE_ESCAPE, 0x01}, KeyPosition{SDL_SCANCODE_A, 0x1E},
                      KeyPosition{SDL_SCANCODE_Q, 0x10}, KeyPosition{SDL_SCANCODE_2, 0x03},
                      KeyPosition{SDL_SCANCODE_KP_2, 0x50}, KeyPosition{SDL_SCANCODE_UP, 0xC8},
                      KeyPosition{SDL_SCANCODE_LEFT, 0xCB}, KeyPosition{SDL_SCANCODE_RIGHT, 0xCD},
                      KeyPosition{SDL_SCANCODE_DOWN, 0xD0}, KeyPosition{SDL_SCANCODE_PAGEUP, 0xC9},
                      KeyPosition{SDL_SCANCODE_PAGEDOWN, 0xD1}, KeyPosition{SDL_SCANCODE_KP_ENTER, 0x9C},
                      KeyPosition{SDL_SCANCODE_RETURN, 0x1C}, KeyPosition{SDL_SCANCODE_RCTRL, 0x9D},
                      KeyPosition{SDL_SCANCODE_RALT, 0xB8}, KeyPosition{SDL_SCANCODE_KP_DIVIDE, 0xB5},
                      KeyPosition{SDL_SCANCODE_PRINTSCREEN, 0xB7}, KeyPosition{SDL_SCANCODE_PAUSE, 0xC5},
                      KeyPosition{SDL_SCANCODE_LGUI, 0xDB}, KeyPosition{SDL_SCANCODE_APPLICATION, 0xDD},
                      KeyPosition{SDL_SCANCODE_F12, 0x58}, KeyPosition{SDL_SCANCODE_AC_STOP, 0xE8}));

TEST_F(KeyboardTest, AnyPressedKeyIsTheLowestCode)
{
    Frame();
    EXPECT_EQ(engine->KeyboardGetAnyPressedKey(), 0);
    Key(SDL_SCANCODE_UP, true);
    Key(SDL_SCANCODE_S, true);
    Frame();
    EXPECT_EQ(engine->KeyboardGetAnyPressedKey(), DIK_S);
}

TEST_F(KeyboardTest, WideKeyNumbersUseTheirLowByte)
{
    Key(SDL_SCANCODE_ESCAPE, true);
    Frame();
    EXPECT_TRUE(engine->KeyboardIsKeyPressed(0x101));
    EXPECT_TRUE(engine->KeyboardIsKeyClicked(0x101));
    EXPECT_FALSE(engine->KeyboardIsKeyPressed(256));
}

// ---- Text input ----------------------------------------------------------------

class TextInputTest : public InputEngineTest {
protected:
    void SetUp() override
    {
        InputEngineTest::SetUp();
        engine->KeyboardSetTextBufferStatus(1);
    }
};

TEST_F(TextInputTest, SizeLimitCutsCharactersButNotSpaces)
{
    engine->KeyboardSetTextBufferSize(3);
    for (SDL_Scancode k : {SDL_SCANCODE_A, SDL_SCANCODE_B, SDL_SCANCODE_C, SDL_SCANCODE_D})
        Type(k);
    EXPECT_EQ(engine->KeyboardGetTextInBuffer(), "abc");
    for (int i = 0; i < 3; ++i)
        Type(SDL_SCANCODE_SPACE);
    EXPECT_EQ(engine->KeyboardGetTextInBuffer(), "abc   ");
    Type(SDL_SCANCODE_E);
    EXPECT_EQ(engine->KeyboardGetTextInBuffer(), "abc");
}

TEST_F(TextInputTest, BackspaceRemovesOneCharacterAndStopsAtEmpty)
{
    Type(SDL_SCANCODE_H);
    Type(SDL_SCANCODE_I);
    Type(SDL_SCANCODE_BACKSPACE);
    EXPECT_EQ(engine->KeyboardGetTextInBuffer(), "h");
    Type(SDL_SCANCODE_BACKSPACE);
    Type(SDL_SCANCODE_BACKSPACE);
    EXPECT_EQ(engine->KeyboardGetTextInBuffer(), "");
}

TEST_F(TextInputTest, HeldKeyTypesOnceAndOneCharacterPerFrame)
{
    Key(SDL_SCANCODE_Z, true);
    Key(SDL_SCANCODE_B, true);
    for (int i = 0; i < 4; ++i)
        Frame();
    // Both went down in the same frame: the table's first (letters in
    // alphabetical order) wins, the other is never typed.
    EXPECT_EQ(engine->KeyboardGetTextInBuffer(), "b");
}

TEST_F(TextInputTest, OffByDefaultAndSwitchedByTheLowByte)
{
    engine->KeyboardSetTextBufferStatus(0x100); // low byte 0: off
    Type(SDL_SCANCODE_A);
    EXPECT_EQ(engine->KeyboardGetTextInBuffer(), "");
    engine->KeyboardSetTextBufferStatus(0x101);
    Type(SDL_SCANCODE_A);
    EXPECT_EQ(engine->KeyboardGetTextInBuffer(), "a");
}

TEST_F(TextInputTest, SetBufferAndShrinkingTheLimitCuts)
{
    engine->KeyboardSetTextInBuffer("abcd");
    engine->KeyboardSetTextBufferSize(2);
    EXPECT_EQ(engine->KeyboardGetTextInBuffer(), "ab");
    // A negative limit keeps nothing rather than everything.
    engine->KeyboardSetTextBufferSize(-1);
    EXPECT_EQ(engine->KeyboardGetTextInBuffer(), "");
    Type(SDL_SCANCODE_X);
    EXPECT_EQ(engine->KeyboardGetTextInBuffer(), "");
}

struct CharCase {
    SDL_Scancode key;
    bool shift;
    char expected;
};
class ClickedCharTest : public InputEngineTest, public ::testing::WithParamInterface<CharCase> {};

TEST_P(ClickedCharTest, KeyGivesItsCharacter)
{
    const CharCase c = GetParam();
    if (c.shift) {
        Key(SDL_SCANCODE_LSHIFT, true);
        Frame();
    }
    Key(c.key, true);
    Frame();
    EXPECT_EQ(engine->KeyboardGetClickedChar(), c.expected);
    Frame();
    EXPECT_EQ(engine->KeyboardGetClickedChar(), 0) << "held, no longer clicked";
}

INSTANTIATE_TEST_SUITE_P(
    Characters, ClickedCharTest,
    ::testing::Values(CharCase{SDL_SCANCODE_A, false, 'a'}, CharCase{SDL_SCANCODE_A, true, 'A'},
                      CharCase{SDL_SCANCODE_GRAVE, false, '`'}, CharCase{SDL_SCANCODE_GRAVE, true, '~'},
                      CharCase{SDL_SCANCODE_2, false, '2'}, CharCase{SDL_SCANCODE_2, true, '@'},
                      CharCase{SDL_SCANCODE_0, true, ')'}, CharCase{SDL_SCANCODE_KP_2, false, '2'},
                      CharCase{SDL_SCANCODE_KP_2, true, '2'}, CharCase{SDL_SCANCODE_KP_0, true, '0'},
                      CharCase{SDL_SCANCODE_MINUS, true, '_'}, CharCase{SDL_SCANCODE_EQUALS, true, '+'},
                      CharCase{SDL_SCANCODE_LEFTBRACKET, true, '{'}, CharCase{SDL_SCANCODE_APOSTROPHE, true, '"'},
                      CharCase{SDL_SCANCODE_BACKSLASH, false, '\\'}, CharCase{SDL_SCANCODE_BACKSLASH, true, '|'},
                      CharCase{SDL_SCANCODE_SLASH, true, '?'}, CharCase{SDL_SCANCODE_KP_MULTIPLY, true, '*'},
                      CharCase{SDL_SCANCODE_KP_MINUS, false, '-'}, CharCase{SDL_SCANCODE_KP_PLUS, false, '+'},
                      CharCase{SDL_SCANCODE_KP_DIVIDE, false, '/'}, CharCase{SDL_SCANCODE_SPACE, false, ' '},
                      CharCase{SDL_SCANCODE_RETURN, false, 0}, CharCase{SDL_SCANCODE_F1, true, 0}));

TEST_F(KeyboardTest, RightShiftShiftsToo)
{
    Key(SDL_SCANCODE_RSHIFT, true);
    Key(SDL_SCANCODE_SEMICOLON, true);
    Frame();
    EXPECT_EQ(engine->KeyboardGetClickedChar(), ':');
}

// ---- Acquisition -----------------------------------------------------------------

TEST_F(KeyboardTest, FailedAcquireReadsNothingUntilTheFocusReturns)
{
    Key(SDL_SCANCODE_A, true);
    Frame();
    ASSERT_TRUE(engine->KeyboardIsKeyPressed(DIK_A));

    WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    EXPECT_EQ(engine->UpdateAllSystems(), 0); // inactive: no frame
    // A re-acquire while another window has the focus fails: two warnings.
    engine->InpReacquire();
    EXPECT_FALSE(engine->KeyboardIsAcquired());
    EXPECT_NE(Log().find("Cannot acquire keyboard!"), std::string::npos);
    EXPECT_NE(Log().find(std::to_string(tsr::DIERR_OTHERAPPHASPRIO)), std::string::npos);
    // A poll now (scripts may ask for one) finds nothing down.
    engine->InpUpdate();
    EXPECT_FALSE(engine->KeyboardIsKeyPressed(DIK_A));
    EXPECT_FALSE(engine->KeyboardIsKeyClicked(DIK_A));
    EXPECT_EQ(engine->KeyboardGetAnyPressedKey(), 0);

    WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    Frame();
    EXPECT_TRUE(engine->KeyboardIsAcquired());
    EXPECT_TRUE(engine->KeyboardIsKeyPressed(DIK_A));
    EXPECT_TRUE(engine->KeyboardIsKeyClicked(DIK_A)) << "the earlier state was cleared";
}

TEST_F(KeyboardTest, LostInputIsReacquiredOnceWhenTheWindowHasTheFocus)
{
    Key(SDL_SCANCODE_B, true);
    Frame();
    // The focus goes and comes back before the engine hears of either: the
    // next read reports the input lost, the engine acquires again and reads.
    WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    engine->InpUpdate();
    EXPECT_TRUE(engine->KeyboardIsKeyPressed(DIK_B));
    EXPECT_EQ(Log().find("Cannot acquire keyboard!"), std::string::npos);
}

TEST_F(KeyboardTest, LostInputThatCannotBeReacquiredIsFatal)
{
    Frame();
    WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    // The window layer takes the focus away; the engine polls before its
    // focus handler has run.
    tsr::Message m;
    tsr::PeekMessage(m, tsr::PM_NOREMOVE);
    try {
        engine->InpUpdate();
        FAIL() << "no exception";
    } catch (const CEHSException& e) {
        EXPECT_EQ(e.GetType(), EHS_GENERAL);
        EXPECT_EQ(e.GetCode(), tsr::DIERR_OTHERAPPHASPRIO);
        EXPECT_EQ(e.GetDescription(), "Cannot reacquire Keyboard!");
    }
}

// ---- Key names --------------------------------------------------------------------

struct NameCase {
    const char* name;
    int32_t code;
};
class KeyNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(KeyNameTest, NameGivesCode)
{
    EXPECT_EQ(tsr::KeyCodeFromName(GetParam().name), GetParam().code) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Names, KeyNameTest,
    ::testing::Values(NameCase{"ESCAPE", 0x01}, NameCase{"F9", 0x43}, NameCase{"NUMPADENTER", 0x9C},
                      NameCase{"WEBSTOP", 0xE8}, NameCase{"PGUP", 0xC9}, NameCase{"PRIOR", 0xC9},
                      NameCase{"0", 0x0B}, NameCase{"1", 0x02}, NameCase{"BACKSPACE", 0x0E},
                      NameCase{"LALT", 0x38}, NameCase{"RALT", 0xB8}, NameCase{"NUMPADSTAR", 0x37},
                      NameCase{"STOP", 0x95}, NameCase{"WAKE", 0xE3}, NameCase{"escape", 0},
                      NameCase{"Escape", 0}, NameCase{"ENTER", 0}, NameCase{"CTRL", 0}, NameCase{"SHIFT", 0},
                      NameCase{"ALT", 0}, NameCase{"NUMPADEQUALS", 0}, NameCase{"", 0}, NameCase{"F1 ", 0}));

TEST(KeyNameTable, HasEveryNameOnceAndAliasesShareTheirCodes)
{
    std::vector<std::string_view> names;
    int aliases = 0;
    for (const tsr::KeyName& k : tsr::kKeyNames) {
        for (std::string_view seen : names)
            EXPECT_NE(seen, k.name);
        names.push_back(k.name);
        if (k.alias) {
            ++aliases;
            EXPECT_FALSE(tsr::KeyNameFromCode(k.code).empty()) << k.name << " has no main name";
        }
    }
    EXPECT_EQ(names.size(), 141u);
    EXPECT_EQ(aliases, 15);
}

TEST_F(KeyboardTest, EngineResolvesNamesThroughTheTable)
{
    EXPECT_EQ(engine->GetKeyCodeByName("F2"), DIK_F2);
    EXPECT_EQ(engine->GetKeyCodeByName("f2"), 0);
}

// ---- Start and stop ------------------------------------------------------------------

class InputStartTest : public inputtest::TempEngineDir {};

TEST_F(InputStartTest, StartBeforeGraphicsIsAGameErrorAndStillShutsDown)
{
    auto engine = std::make_unique<CTesser>();
    try {
        engine->InpInit();
        FAIL() << "no exception";
    } catch (const CEHSException& e) {
        EXPECT_EQ(e.GetType(), EHS_GAME);
        EXPECT_EQ(e.GetDescription(), "Input system should be initialized after graphics system!");
    }
    EXPECT_TRUE(engine->m_bInpInitialised);
    engine.reset();
    const std::string log = Log();
    EXPECT_NE(log.find("Initializing Input Subsystem..."), std::string::npos);
    EXPECT_NE(log.find("Deinitializing Input Subsystem..."), std::string::npos);
}

TEST_F(InputStartTest, StartAndStopWriteTheirBlocks)
{
    {
        CTesser engine;
        engine.GfxPreInit(800, 600);
        engine.GfxInit(3, true);
        engine.InpInit();
        EXPECT_TRUE(engine.InpDirectInputExists());
        EXPECT_TRUE(engine.KeyboardIsAcquired());
        EXPECT_TRUE(engine.MouseIsAcquired());
        engine.InpDeinit();
        EXPECT_FALSE(engine.InpDirectInputExists());
        EXPECT_FALSE(engine.m_bInpInitialised);
    }
    const std::string log = Log();
    const size_t start = log.find("Initializing Input Subsystem...");
    ASSERT_NE(start, std::string::npos);
    const size_t stop = log.find("Deinitializing Input Subsystem...", start);
    ASSERT_NE(stop, std::string::npos);
    EXPECT_NE(log.find("Done.", start), std::string::npos);
    EXPECT_EQ(log.find("Cannot acquire"), std::string::npos);
    // Stopped once: the destructor finds the flag cleared.
    EXPECT_EQ(log.find("Deinitializing Input Subsystem...", stop + 1), std::string::npos);
}

} // namespace
