// A small program on the engine for the replay tests: full screen 800 x 600,
// input on, one log line per frame with everything the input shows, a square
// drawn at the cursor in a colour that follows the keys and buttons, and F9
// for a screenshot. It writes no start banner, whose date and time would
// differ between runs.
//
// With TSR_DEMO_SELFDRIVE=1 it plays itself: it pushes live SDL events the
// way the system would (keys, mouse, focus, close), for recording tests.
#include <SDL.h>

#include <sstream>

#include "ctesser.h"
#include "platform/clock/tsr_clock.h"
#include "platform/messages/tsr_messages.h"
#include "platform/window/tsr_gamewindow_sdl.h"

namespace {

int g_frame = 0;
bool g_selfDrive = false;
int g_inactiveWaits = 0;
int g_pointerX = 0, g_pointerY = 0; // where the pushed pointer is, in window pixels
constexpr int kMaxFrames = 2000; // a replay that never closes still ends

uint32_t WindowId()
{
    SDL_Window* w = tsr::GetSDLWindow(CTesser::GetInstance()->GfxGetWindow());
    return w ? SDL_GetWindowID(w) : 0;
}

void PushKey(SDL_Scancode sc, bool down)
{
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.windowID = WindowId();
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.scancode = sc;
    SDL_PushEvent(&e);
}

void PushMotion(int x, int y, int dx, int dy)
{
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = WindowId();
    e.motion.x = x;
    e.motion.y = y;
    e.motion.xrel = dx;
    e.motion.yrel = dy;
    g_pointerX = x;
    g_pointerY = y;
    SDL_PushEvent(&e);
}

void PushButton(uint8_t button, bool down)
{
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.windowID = WindowId();
    e.button.button = button;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.button.x = g_pointerX;
    e.button.y = g_pointerY;
    SDL_PushEvent(&e);
}

void PushWheel(int y)
{
    SDL_Event e{};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.windowID = WindowId();
    e.wheel.y = y;
    SDL_PushEvent(&e);
}

void PushWindow(SDL_WindowEventID which)
{
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = WindowId();
    e.window.event = static_cast<uint8_t>(which);
    SDL_PushEvent(&e);
}

// What a person does, frame by frame (pushed after the frame's input read,
// so the program sees it in the next frame).
void SelfDrive(int frame)
{
    switch (frame) {
    case 2: PushKey(SDL_SCANCODE_A, true); break;
    case 4: PushKey(SDL_SCANCODE_A, false); break;
    case 5: PushMotion(100, 120, 5, 5); break;
    case 6: PushButton(SDL_BUTTON_LEFT, true); PushMotion(130, 90, 30, -30); break;
    case 7: PushButton(SDL_BUTTON_LEFT, false); break;
    case 8: PushWheel(-2); break;
    case 9: PushKey(SDL_SCANCODE_LSHIFT, true); PushKey(SDL_SCANCODE_2, true); break;
    case 10: PushKey(SDL_SCANCODE_2, false); PushKey(SDL_SCANCODE_LSHIFT, false); break;
    case 11: PushKey(SDL_SCANCODE_F9, true); break;
    case 12: PushKey(SDL_SCANCODE_F9, false); PushButton(SDL_BUTTON_RIGHT, true); break;
    case 13: PushButton(SDL_BUTTON_RIGHT, false); PushWindow(SDL_WINDOWEVENT_FOCUS_LOST); break;
    case 15: PushKey(SDL_SCANCODE_SPACE, true); PushKey(SDL_SCANCODE_SPACE, false); break;
    case 16: PushMotion(700, 500, 570, 410); PushKey(SDL_SCANCODE_F9, true); break;
    case 17: PushKey(SDL_SCANCODE_F9, false); break;
    case 19: PushWindow(SDL_WINDOWEVENT_CLOSE); break;
    default: break;
    }
}

std::string DescribeFrame(CTesser& e)
{
    std::ostringstream s;
    s << "frame " << g_frame << " t=" << tsr::TimeGetTime() << " dt=" << e.TimerGetDeltaMs() << " keys";
    for (int k = 0; k < 256; ++k)
        if (e.KeyboardIsKeyPressed(k))
            s << ' ' << k << (e.KeyboardIsKeyClicked(k) ? "*" : "");
    const auto pos = e.MouseGetCursorPos();
    s << " text='" << e.KeyboardGetTextInBuffer() << "' cursor=" << pos.x << ',' << pos.y
      << " in=" << e.MouseGetCursorStatus() << " move=" << e.MouseGetDeltaX() << ',' << e.MouseGetDeltaY()
      << " wheel=" << e.MouseGetWheelDelta() << " buttons";
    for (int b = 1; b <= 8; ++b)
        if (e.MouseIsKeyPressed(b))
            s << ' ' << b << (e.MouseIsKeyClicked(b) ? "*" : "");
    return s.str();
}

bool Frame()
{
    CTesser& e = *CTesser::GetInstance();
    ++g_frame;
    e.WriteLine(DescribeFrame(e));

    const auto pos = e.MouseGetCursorPos();
    const float red = e.KeyboardIsKeyPressed(DIK_A) ? 0.8f : 0.1f;
    const float green = e.MouseIsKeyPressed(1) ? 0.7f : 0.2f;
    const float blue = static_cast<float>(e.KeyboardGetTextInBuffer().size()) * 0.25f;
    e.SceneBegin();
    e.SceneClearScreen(red, green, blue);
    e.TexSetNoTexture(0);
    e.VQuadSetPos(static_cast<float>(pos.x), static_cast<float>(pos.y), 24.0f, 24.0f, 0.5f);
    e.VQuadSetColor(1.0f, e.MouseIsKeyPressed(2) ? 0.0f : 1.0f, 1.0f, 1.0f);
    e.SceneRender();
    e.SceneEnd();
    e.ScenePresent();
    if (e.KeyboardIsKeyClicked(DIK_F9))
        e.SceneMakeScreenshot();

    if (g_selfDrive)
        SelfDrive(g_frame);
    return g_frame < kMaxFrames;
}

} // namespace

void GameMain(CTesser* engine)
{
    engine->GfxPreInit(800, 600);
    engine->GfxInit(1, false);
    engine->InpInit();
    engine->KeyboardSetTextBufferStatus(1);

    if (g_selfDrive) {
        // The person comes back to the window a few idle waits after leaving it.
        tsr::MessageSource back;
        back.wait = [](int) {
            if (!IsApplicationActive() && ++g_inactiveWaits == 3)
                PushWindow(SDL_WINDOWEVENT_FOCUS_GAINED);
        };
        tsr::AddMessageSource(std::move(back));
    }
    engine->RunMainLoop(Frame);
}

int main(int argc, char** argv)
{
    const char* drive = SDL_getenv("TSR_DEMO_SELFDRIVE");
    g_selfDrive = drive && drive[0] == '1';
    return TesseronMain(argc, argv);
}
