// The game window on SDL2, as the engine sees it: window classes with a
// window procedure, one top-level window created windowed or full screen,
// shown, hidden and destroyed. Its SDL events reach the program as queue
// messages (activation, close) through a message source registered with the
// message queue; keyboard and mouse events go to the input sink
// (tsr_gamewindow_sdl.h).
//
// Full screen is emulated: the window covers the desktop without a frame
// and the picture of the back-buffer size is scaled into it, letterboxed.
// Alt+Enter and F11 switch the window between that and a resizable framed
// window showing the same scaled picture; the engine is not told, so it
// keeps seeing the mode it chose.
#pragma once

#include <cstdint>
#include <string>

#include "platform/messages/tsr_messages.h"

namespace tsr {

// RegisterClassEx: false if a class of that name is already registered or
// the name is empty.
bool RegisterWindowClass(const std::string& className, WindowProc proc);
// UnregisterClass: false if there is no such class.
bool UnregisterWindowClass(const std::string& className);

// CreateWindowEx for the game window. windowed: a framed window whose
// client area is width x height, not resizable, at (x, y). Full screen: a
// borderless desktop-sized window showing a width x height picture. The
// window starts hidden. Null if the class is unknown or the window cannot
// be created.
WindowHandle CreateGameWindow(const std::string& className, const std::string& title, int x, int y,
                              int width, int height, bool windowed);
void ShowGameWindow(WindowHandle window, bool show);
// Destroys the window for real (the queue only forgets it on WM_DESTROY).
void DestroyGameWindow(WindowHandle window);
bool IsGameWindow(WindowHandle window);

// The client area in screen pixels.
bool GetClientSize(WindowHandle window, int& width, int& height);
// Placement as the engine asked for it (windowed flag, position).
bool IsWindowedWindow(WindowHandle window);
bool GetWindowPosition(WindowHandle window, int& x, int& y);
// Whether the emulated full screen is currently shown as a framed window
// (after Alt+Enter or F11).
bool IsShownFramed(WindowHandle window);
// Alt+Enter / F11: switch between desktop-covering and framed.
void ToggleFullScreenPresentation(WindowHandle window);

bool IsWindowFocused(WindowHandle window);
bool IsWindowMinimised(WindowHandle window);
// How many times the window has been minimised since it was created (the
// graphics device treats each as a loss, even if it never saw the window
// minimised).
uint32_t GetMinimiseCount(WindowHandle window);
// Minimise or restore as if the user did it (also what tests use).
void MinimiseWindow(WindowHandle window);
void RestoreWindow(WindowHandle window);

// The size of the picture shown in the window (the back buffer), set by the
// graphics device; the window scales it into its client area.
void SetPictureSize(WindowHandle window, int width, int height);
bool GetPictureSize(WindowHandle window, int& width, int& height);

// Where the picture lies in the drawable area (pixels of the drawable, top
// left origin), aspect ratio kept, centred.
struct PictureRect {
    int x = 0, y = 0, width = 0, height = 0;
};
PictureRect GetPictureRect(WindowHandle window);

// Window coordinates (client area, as mouse events report them) to
// back-buffer pixels. Points in the letterbox bars map outside the picture.
void WindowToPicture(WindowHandle window, float wx, float wy, float& px, float& py);

// ShowCursor-style visibility of the system cursor over the window.
void ShowSystemCursor(bool show);

// The first game window still open (null if none): for code that has no
// handle of its own, like the input layer.
WindowHandle GetMainGameWindow();

} // namespace tsr
