// The mouse through the whole path: SDL mouse events, the engine's per-frame
// read, buttons, wheel, motion, and the cursor over the window with the
// system cursor hidden while inside.
#include "input_fixture.h"

#include "platform/input/tsr_dinput.h"
#include "platform/window/tsr_gamewindow.h"

namespace {

using inputtest::InputEngineTest;

class MouseTest : public InputEngineTest {};

TEST_F(MouseTest, HeldButtonIsClickedInItsFirstFrameOnly)
{
    Button(SDL_BUTTON_LEFT, true);
    for (int frame = 0; frame < 4; ++frame) {
        Frame();
        EXPECT_TRUE(engine->MouseIsKeyPressed(1));
        EXPECT_EQ(engine->MouseIsKeyClicked(1), frame == 0) << "frame " << frame;
    }
    Button(SDL_BUTTON_LEFT, false);
    Frame();
    EXPECT_FALSE(engine->MouseIsKeyPressed(1));
}

TEST_F(MouseTest, ButtonsAreNumberedLeftRightMiddle)
{
    Frame();
    EXPECT_EQ(engine->MouseGetAnyPressedKey(), 0);
    Button(SDL_BUTTON_RIGHT, true);
    Button(SDL_BUTTON_MIDDLE, true);
    Frame();
    EXPECT_EQ(engine->MouseGetAnyPressedKey(), 2);
    EXPECT_TRUE(engine->MouseIsKeyPressed(2));
    EXPECT_TRUE(engine->MouseIsKeyPressed(3));
    EXPECT_FALSE(engine->MouseIsKeyPressed(1));
    Button(SDL_BUTTON_X2, true);
    Frame();
    EXPECT_TRUE(engine->MouseIsKeyClicked(5));
}

TEST_F(MouseTest, ButtonNumbersOutsideOneToEightAreNeverDown)
{
    for (uint8_t b : {SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT, SDL_BUTTON_MIDDLE, SDL_BUTTON_X1, SDL_BUTTON_X2})
        Button(b, true);
    Frame();
    for (int32_t n : {0, -1, 9, 100, 0x101}) {
        EXPECT_FALSE(engine->MouseIsKeyPressed(n)) << n;
        EXPECT_FALSE(engine->MouseIsKeyClicked(n)) << n;
    }
}

TEST_F(MouseTest, WheelReadsAsItsSign)
{
    const struct {
        int notches;
        int32_t expected;
    } cases[] = {{1, 1}, {5, 1}, {-1, -1}, {-3, -1}, {0, 0}};
    for (const auto& c : cases) {
        if (c.notches != 0)
            Wheel(c.notches);
        Frame();
        EXPECT_EQ(engine->MouseGetWheelDelta(), c.expected) << c.notches;
    }
    // Turns in opposite directions within one frame cancel out.
    Wheel(2);
    Wheel(-2);
    Frame();
    EXPECT_EQ(engine->MouseGetWheelDelta(), 0);
}

TEST_F(MouseTest, MotionAccumulatesBetweenReads)
{
    MoveTo(100, 100, 3, -2);
    MoveTo(110, 95, 10, -5);
    Frame();
    EXPECT_EQ(engine->MouseGetDeltaX(), 13);
    EXPECT_EQ(engine->MouseGetDeltaY(), -7);
    Frame();
    EXPECT_EQ(engine->MouseGetDeltaX(), 0);
    EXPECT_EQ(engine->MouseGetDeltaY(), 0);
}

TEST_F(MouseTest, CursorEnteringAndLeavingHidesAndShowsTheSystemCursorOnce)
{
    const int start = tsr::GetCursorShowCount();
    MoveTo(-20, 10);
    Frame();
    EXPECT_FALSE(engine->MouseGetCursorStatus());
    EXPECT_EQ(tsr::GetCursorShowCount(), start);

    MoveTo(400, 300);
    Frame();
    EXPECT_TRUE(engine->MouseGetCursorStatus());
    EXPECT_EQ(tsr::GetCursorShowCount(), start - 1);
    const auto pos = engine->MouseGetCursorPos();
    EXPECT_EQ(pos.x, 400);
    EXPECT_EQ(pos.y, 300);

    for (int i = 0; i < 3; ++i) {
        MoveTo(401 + i, 300);
        Frame();
    }
    EXPECT_EQ(tsr::GetCursorShowCount(), start - 1) << "no calls while it stays inside";
    EXPECT_EQ(engine->MouseGetCursorDeltaX(), 1);
    EXPECT_EQ(engine->MouseGetCursorDeltaY(), 0);

    // The right and bottom edges are outside.
    MoveTo(800, 300);
    Frame();
    EXPECT_FALSE(engine->MouseGetCursorStatus());
    EXPECT_EQ(tsr::GetCursorShowCount(), start);
    MoveTo(799, 599);
    Frame();
    EXPECT_TRUE(engine->MouseGetCursorStatus());
    MoveTo(0, 600);
    Frame();
    EXPECT_FALSE(engine->MouseGetCursorStatus());
    EXPECT_EQ(tsr::GetCursorShowCount(), start);
}

TEST_F(MouseTest, LeavingTheWindowIsOutside)
{
    MoveTo(10, 10);
    Frame();
    ASSERT_TRUE(engine->MouseGetCursorStatus());
    WindowEvent(SDL_WINDOWEVENT_LEAVE);
    Frame();
    EXPECT_FALSE(engine->MouseGetCursorStatus());
}

TEST_F(MouseTest, CursorIsInBackBufferPixelsOfAScaledPicture)
{
    // A 400 x 300 picture shown in the 800 x 600 window: twice the size.
    tsr::SetPictureSize(window, 400, 300);
    MoveTo(201, 151);
    Frame();
    EXPECT_EQ(engine->MouseGetCursorPos().x, 100);
    EXPECT_EQ(engine->MouseGetCursorPos().y, 75);
    EXPECT_TRUE(engine->MouseGetCursorStatus());
    MoveTo(799, 599);
    Frame();
    EXPECT_EQ(engine->MouseGetCursorPos().x, 399);
    EXPECT_EQ(engine->MouseGetCursorPos().y, 299);

    // A wide picture is letterboxed: the bars above and below are outside.
    tsr::SetPictureSize(window, 800, 400);
    MoveTo(400, 50);
    Frame();
    EXPECT_LT(engine->MouseGetCursorPos().y, 0);
    EXPECT_FALSE(engine->MouseGetCursorStatus());
    MoveTo(400, 150);
    Frame();
    EXPECT_EQ(engine->MouseGetCursorPos().y, 50);
    EXPECT_TRUE(engine->MouseGetCursorStatus());
}

TEST_F(MouseTest, InactiveWindowIsNeverInside)
{
    MoveTo(100, 100);
    Frame();
    const int inside = tsr::GetCursorShowCount();
    ASSERT_TRUE(engine->MouseGetCursorStatus());
    SetApplicationActive(false);
    engine->InpUpdate();
    EXPECT_FALSE(engine->MouseGetCursorStatus());
    EXPECT_EQ(tsr::GetCursorShowCount(), inside + 1);
    SetApplicationActive(true);
}

TEST_F(MouseTest, FailedAcquireReadsNoButtonsAndNoMotion)
{
    Button(SDL_BUTTON_LEFT, true);
    MoveTo(300, 300, 4, 4);
    Frame();
    ASSERT_TRUE(engine->MouseIsKeyPressed(1));

    WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    EXPECT_EQ(engine->UpdateAllSystems(), 0);
    engine->InpReacquire();
    EXPECT_FALSE(engine->MouseIsAcquired());
    EXPECT_NE(Log().find("Cannot acquire mouse!"), std::string::npos);
    MoveTo(310, 300, 10, 0);
    engine->InpUpdate();
    EXPECT_FALSE(engine->MouseIsKeyPressed(1));
    EXPECT_FALSE(engine->MouseIsKeyClicked(1));
    EXPECT_EQ(engine->MouseGetDeltaX(), 0);
    EXPECT_EQ(engine->MouseGetAnyPressedKey(), 0);
    // The cursor was not read in that frame.
    EXPECT_EQ(engine->MouseGetCursorPos().x, 300);

    WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    Frame();
    EXPECT_TRUE(engine->MouseIsKeyClicked(1));
}

TEST_F(MouseTest, LostMouseThatCannotBeReacquiredIsFatal)
{
    Frame();
    WindowEvent(SDL_WINDOWEVENT_MINIMIZED);
    tsr::Message m;
    tsr::PeekMessage(m, tsr::PM_NOREMOVE);
    try {
        engine->MouseUpdate();
        FAIL() << "no exception";
    } catch (const CEHSException& e) {
        EXPECT_EQ(e.GetCode(), tsr::DIERR_OTHERAPPHASPRIO);
        EXPECT_EQ(e.GetDescription(), "Cannot reacquire Mouse!");
    }
}

TEST_F(MouseTest, StopShowsTheSystemCursor)
{
    MoveTo(100, 100);
    Frame();
    const int inside = tsr::GetCursorShowCount();
    engine->InpDeinit();
    EXPECT_EQ(tsr::GetCursorShowCount(), inside + 1);
}

} // namespace
