// The game window of the engine: its class, creation in windowed or
// full-screen form, and the window procedure that turns activation changes
// into the engine's focus handlers and closing into the end of the loop.
#pragma once

#include <cstdint>

#include "platform/messages/tsr_messages.h"

// Registers the class "tsn_gamewindow", creates and shows the window with
// a client area of width x height, stores its handle in *windowHandleOut.
void CreateGameWindow(tsr::WindowHandle* windowHandleOut, int width, int height, bool windowed);
// Hides the window and unregisters the class (the window itself goes too).
void DestroyGameWindow(tsr::WindowHandle windowHandle);
// The window procedure of the game window.
intptr_t GameWindowProc(tsr::WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
