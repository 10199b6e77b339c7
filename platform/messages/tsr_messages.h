// The program's message queue, shaped like the Windows thread queue the
// engine was designed around: messages are posted, peeked with removal,
// dispatched to the window procedure of their window, and WaitMessage
// sleeps until something arrives.
//
// Real events come from message sources: a source's pump turns whatever it
// has (SDL events, a replay file) into posted messages or device input, and
// its wait function blocks until it may have more. The window layer and the
// replay source register themselves here; the queue knows nothing of SDL.
#pragma once

#include <cstdint>
#include <functional>

namespace tsr {

using WindowHandle = void*;

struct Message {
    WindowHandle window = nullptr;
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

// Message numbers and values with their Windows meanings.
constexpr uint32_t WM_NULL = 0x0000;
constexpr uint32_t WM_CREATE = 0x0001;
constexpr uint32_t WM_DESTROY = 0x0002;
constexpr uint32_t WM_SIZE = 0x0005;
constexpr uint32_t WM_ACTIVATE = 0x0006;
constexpr uint32_t WM_PAINT = 0x000F;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_QUIT = 0x0012;
constexpr uint32_t WM_SHOWWINDOW = 0x0018;
constexpr uint32_t WM_USER = 0x0400;

constexpr uintptr_t WA_INACTIVE = 0;
constexpr uintptr_t WA_ACTIVE = 1;
constexpr uintptr_t WA_CLICKACTIVE = 2;

constexpr uint32_t PM_NOREMOVE = 0x0000;
constexpr uint32_t PM_REMOVE = 0x0001;

// A window procedure: returns the message's result.
using WindowProc = intptr_t (*)(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// A message source. pump() is called before the queue is read; wait(ms)
// blocks up to ms milliseconds (-1: without limit) until it may have
// something for pump(). Either may be empty.
struct MessageSource {
    std::function<void()> pump;
    std::function<void(int timeoutMs)> wait;
};

// Adds a source; sources pump in the order they were added. Returns an id
// for RemoveMessageSource.
int AddMessageSource(MessageSource source);
void RemoveMessageSource(int id);

// The window procedure of a window handle (null removes it).
void SetWindowProc(WindowHandle window, WindowProc proc);

// DefWindowProc: WM_CLOSE destroys the window (sends WM_DESTROY to its
// procedure, then forgets it); everything else returns 0.
intptr_t DefWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// Calls the window's procedure directly (SendMessage).
intptr_t SendMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);

void PostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
void PostQuitMessage(int exitCode);

// PeekMessage with no window filter: pumps the sources, then takes the
// oldest message (PM_REMOVE) or looks at it (PM_NOREMOVE).
bool PeekMessage(Message& out, uint32_t removeFlag);
void TranslateMessage(const Message& message);
intptr_t DispatchMessage(const Message& message);

// Sleeps until a message is queued (pumping the sources as they wake).
void WaitMessage();

// Empties the queue and removes every source and window procedure (tests,
// and a clean state between engine objects in one process).
void ResetMessageQueue();

} // namespace tsr
