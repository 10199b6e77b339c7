// The SDL side of the game window, for the other platform layers only
// (graphics device, input devices). The engine never includes this.
#pragma once

#include <SDL.h>

#include <functional>

#include "platform/window/tsr_gamewindow.h"

namespace tsr {

// The SDL window behind a game window handle (null if not a game window).
SDL_Window* GetSDLWindow(WindowHandle window);
// The game window of an SDL window id (null if none).
WindowHandle FindGameWindow(uint32_t sdlWindowId);

// Receives every keyboard, mouse and text event, after the window layer
// has looked at it (Alt+Enter and F11 are passed on as well). An empty
// function removes the sink.
using InputEventSink = std::function<void(const SDL_Event&)>;
void SetInputEventSink(InputEventSink sink);
// Whether an SDL event type is one of those keyboard, mouse and text events.
bool IsInputEvent(uint32_t type);

// Starts SDL video (and events) once for the whole program; balanced by
// ReleaseSDLVideo. Returns false if SDL video cannot start.
bool AcquireSDLVideo();
void ReleaseSDLVideo();

} // namespace tsr
