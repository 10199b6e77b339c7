// The input tests drive a real engine with a real (offscreen) game window:
// SDL events are pushed into SDL's queue the way the system delivers them,
// and frames are run with UpdateAllSystems, as the main loop does.
#pragma once

#include <gtest/gtest.h>

#include <SDL.h>

#include <memory>
#include <string>

#include "common/tsr_engine_env.h"
#include "ctesser.h"
#include "platform/window/tsr_gamewindow_sdl.h"

namespace inputtest {

using tsrtest::ReadFile;

// A fresh temporary folder as the current folder (the engine writes its
// logs there), an empty queue and a virtual clock.
using TempEngineDir = tsrtest::EngineEnvTest;

// An engine with graphics (a windowed 800 x 600 back buffer) and input.
class InputEngineTest : public TempEngineDir {
protected:
    void SetUp() override
    {
        TempEngineDir::SetUp();
        engine = std::make_unique<CTesser>();
        engine->GfxPreInit(800, 600);
        engine->GfxInit(3, true);
        engine->InpInit();
        window = engine->GfxGetWindow();
        ASSERT_NE(window, nullptr);
        sdlWindowId = SDL_GetWindowID(tsr::GetSDLWindow(window));
    }
    void TearDown() override
    {
        engine.reset();
        TempEngineDir::TearDown();
    }

    // One pass of the main loop that reaches the frame (input read).
    void Frame() { ASSERT_EQ(engine->UpdateAllSystems(), 1); }

    void Key(SDL_Scancode scancode, bool down)
    {
        SDL_Event e{};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.windowID = sdlWindowId;
        e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.scancode = scancode;
        e.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
        ASSERT_EQ(SDL_PushEvent(&e), expectedPush);
    }
    // Down in one frame, up in the next.
    void Type(SDL_Scancode scancode)
    {
        Key(scancode, true);
        Frame();
        Key(scancode, false);
        Frame();
    }
    void MoveTo(int x, int y, int dx = 0, int dy = 0)
    {
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.windowID = sdlWindowId;
        e.motion.x = x;
        e.motion.y = y;
        e.motion.xrel = dx;
        e.motion.yrel = dy;
        ASSERT_EQ(SDL_PushEvent(&e), expectedPush);
    }
    void Button(uint8_t sdlButton, bool down)
    {
        SDL_Event e{};
        e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        e.button.windowID = sdlWindowId;
        e.button.button = sdlButton;
        e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.button.clicks = 1;
        ASSERT_EQ(SDL_PushEvent(&e), expectedPush);
    }
    void Wheel(int notches)
    {
        SDL_Event e{};
        e.type = SDL_MOUSEWHEEL;
        e.wheel.windowID = sdlWindowId;
        e.wheel.y = notches;
        e.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
        ASSERT_EQ(SDL_PushEvent(&e), expectedPush);
    }
    void WindowEvent(SDL_WindowEventID which)
    {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.windowID = sdlWindowId;
        e.window.event = static_cast<uint8_t>(which);
        ASSERT_EQ(SDL_PushEvent(&e), expectedPush);
    }

    std::unique_ptr<CTesser> engine;
    // What SDL_PushEvent should return: 0 where a filter drops the event.
    int expectedPush = 1;
    tsr::WindowHandle window = nullptr;
    uint32_t sdlWindowId = 0;
};

} // namespace inputtest
