// The SDL game window: classes, placement, activation and close messages,
// input forwarding and the window-to-picture mapping, headless.
#include <gtest/gtest.h>

#include <vector>

#include "platform/messages/tsr_messages.h"
#include "platform/window/tsr_gamewindow.h"
#include "platform/window/tsr_gamewindow_sdl.h"

namespace {

struct Seen {
    tsr::WindowHandle window;
    uint32_t message;
    uintptr_t wParam;
};
std::vector<Seen> g_seen;

intptr_t RecordingProc(tsr::WindowHandle w, uint32_t msg, uintptr_t wp, intptr_t lp)
{
    g_seen.push_back({w, msg, wp});
    if (msg == tsr::WM_DESTROY)
        tsr::PostQuitMessage(0);
    return tsr::DefWindowProc(w, msg, wp, lp);
}

class GameWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tsr::ResetMessageQueue();
        g_seen.clear();
        ASSERT_TRUE(tsr::RegisterWindowClass("tsn_test", RecordingProc));
    }
    void TearDown() override
    {
        if (window)
            tsr::DestroyGameWindow(window);
        tsr::SetInputEventSink({});
        tsr::UnregisterWindowClass("tsn_test");
        tsr::ResetMessageQueue();
    }
    // Drains the queue like the engine's ProcessMessages; true on WM_QUIT.
    bool Drain()
    {
        tsr::Message m;
        while (tsr::PeekMessage(m, tsr::PM_REMOVE)) {
            if (m.message == tsr::WM_QUIT)
                return true;
            tsr::TranslateMessage(m);
            tsr::DispatchMessage(m);
        }
        return false;
    }
    std::vector<uintptr_t> Activations() const
    {
        std::vector<uintptr_t> out;
        for (auto& s : g_seen)
            if (s.message == tsr::WM_ACTIVATE)
                out.push_back(s.wParam);
        return out;
    }
    tsr::WindowHandle window = nullptr;
};

TEST_F(GameWindowTest, ClassRegistrationIsExclusive)
{
    EXPECT_FALSE(tsr::RegisterWindowClass("tsn_test", RecordingProc));
    EXPECT_FALSE(tsr::RegisterWindowClass("", RecordingProc));
    EXPECT_EQ(tsr::CreateGameWindow("no_such_class", "t", 0, 0, 64, 64, true), nullptr);
    EXPECT_TRUE(tsr::UnregisterWindowClass("tsn_test"));
    EXPECT_FALSE(tsr::UnregisterWindowClass("tsn_test"));
    EXPECT_TRUE(tsr::RegisterWindowClass("tsn_test", RecordingProc));
}

TEST_F(GameWindowTest, WindowedClientAreaIsExactlyTheRequestedSize)
{
    window = tsr::CreateGameWindow("tsn_test", "Title", 100, 100, 320, 240, true);
    ASSERT_NE(window, nullptr);
    tsr::ShowGameWindow(window, true);
    int w = 0, h = 0;
    ASSERT_TRUE(tsr::GetClientSize(window, w, h));
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 240);
    EXPECT_TRUE(tsr::IsWindowedWindow(window));
    EXPECT_TRUE(tsr::IsShownFramed(window));
    EXPECT_TRUE(tsr::IsWindowFocused(window));
}

TEST_F(GameWindowTest, FullScreenCoversTheDesktopAndLetterboxesThePicture)
{
    window = tsr::CreateGameWindow("tsn_test", "Title", 0, 0, 640, 480, false);
    ASSERT_NE(window, nullptr);
    tsr::ShowGameWindow(window, true);
    EXPECT_FALSE(tsr::IsWindowedWindow(window));
    EXPECT_FALSE(tsr::IsShownFramed(window));
    SDL_DisplayMode desktop;
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
    int w = 0, h = 0;
    tsr::GetClientSize(window, w, h);
    EXPECT_EQ(w, desktop.w);
    EXPECT_EQ(h, desktop.h);

    // A picture of another aspect ratio is centred with bars, and mouse
    // positions map back to picture pixels.
    tsr::SetPictureSize(window, 200, 100);
    tsr::PictureRect r = tsr::GetPictureRect(window);
    EXPECT_EQ(r.width, desktop.w);
    EXPECT_EQ(r.height, desktop.w / 2);
    EXPECT_EQ(r.x, 0);
    EXPECT_EQ(r.y, (desktop.h - desktop.w / 2) / 2);
    float px = 0, py = 0;
    tsr::WindowToPicture(window, float(r.x), float(r.y), px, py);
    EXPECT_FLOAT_EQ(px, 0.0f);
    EXPECT_FLOAT_EQ(py, 0.0f);
    tsr::WindowToPicture(window, float(r.x + r.width / 2), float(r.y + r.height / 2), px, py);
    EXPECT_NEAR(px, 100.0f, 0.01f);
    EXPECT_NEAR(py, 50.0f, 0.01f);
    tsr::WindowToPicture(window, 0.0f, 0.0f, px, py);
    EXPECT_LT(py, 0.0f); // in the top bar: outside the picture
}

TEST_F(GameWindowTest, AltEnterAndF11SwitchBetweenFramedAndDesktop)
{
    window = tsr::CreateGameWindow("tsn_test", "Title", 0, 0, 640, 480, false);
    ASSERT_NE(window, nullptr);
    tsr::ShowGameWindow(window, true);
    std::vector<uint32_t> forwarded;
    tsr::SetInputEventSink([&](const SDL_Event& e) { forwarded.push_back(e.type); });

    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = SDLK_RETURN;
    e.key.keysym.mod = KMOD_LALT;
    SDL_PushEvent(&e);
    Drain();
    EXPECT_TRUE(tsr::IsShownFramed(window));
    int w = 0, h = 0;
    tsr::GetClientSize(window, w, h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);

    e.key.keysym.sym = SDLK_F11;
    e.key.keysym.mod = 0;
    SDL_PushEvent(&e);
    Drain();
    EXPECT_FALSE(tsr::IsShownFramed(window));
    // Both keys still reach the input devices.
    EXPECT_EQ(forwarded.size(), 2u);
    EXPECT_FALSE(tsr::IsWindowedWindow(window)); // the engine's view never changes
}

TEST_F(GameWindowTest, MinimiseRestoreAndFocusBecomeActivationMessages)
{
    window = tsr::CreateGameWindow("tsn_test", "Title", 100, 100, 64, 64, true);
    ASSERT_NE(window, nullptr);
    tsr::ShowGameWindow(window, true);
    Drain();
    g_seen.clear();

    tsr::MinimiseWindow(window);
    Drain();
    EXPECT_TRUE(tsr::IsWindowMinimised(window));
    EXPECT_FALSE(tsr::IsWindowFocused(window));
    tsr::RestoreWindow(window);
    Drain();
    EXPECT_FALSE(tsr::IsWindowMinimised(window));

    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = SDL_GetWindowID(tsr::GetSDLWindow(window));
    e.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    SDL_PushEvent(&e);
    e.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
    SDL_PushEvent(&e);
    Drain();

    std::vector<uintptr_t> expected = {(uintptr_t(1) << 16) | tsr::WA_INACTIVE, tsr::WA_ACTIVE,
                                       tsr::WA_INACTIVE, tsr::WA_ACTIVE};
    EXPECT_EQ(Activations(), expected);
}

TEST_F(GameWindowTest, ClosingPostsCloseWhichDestroysAndQuits)
{
    window = tsr::CreateGameWindow("tsn_test", "Title", 100, 100, 64, 64, true);
    ASSERT_NE(window, nullptr);
    tsr::ShowGameWindow(window, true);
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = SDL_GetWindowID(tsr::GetSDLWindow(window));
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&e);
    SDL_Event q{};
    q.type = SDL_QUIT;
    SDL_PushEvent(&q);
    EXPECT_TRUE(Drain());
    int closes = 0, destroys = 0;
    for (auto& s : g_seen) {
        closes += s.message == tsr::WM_CLOSE;
        destroys += s.message == tsr::WM_DESTROY;
    }
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(destroys, 1);
}

TEST_F(GameWindowTest, WaitMessageWakesOnAnSDLEvent)
{
    window = tsr::CreateGameWindow("tsn_test", "Title", 100, 100, 64, 64, true);
    ASSERT_NE(window, nullptr);
    Drain();
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = SDL_GetWindowID(tsr::GetSDLWindow(window));
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&e);
    tsr::WaitMessage(); // returns because the event becomes a queued message
    EXPECT_TRUE(Drain());
}

} // namespace
