// The game window. See tsr_window.h.
#include "tsr_window.h"

#include "ctesser.h"
#include "platform/window/tsr_gamewindow.h"

namespace {
constexpr int32_t FILE_ID = 120;
constexpr const char* kClassName = "tsn_gamewindow";
} // namespace

void CreateGameWindow(tsr::WindowHandle* windowHandleOut, int width, int height, bool windowed)
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (!tsr::RegisterWindowClass(kClassName, GameWindowProc))
        throw CEHSException(EHS_GENERAL, 0, "Cannot register window class!", __FILE__, __LINE__);
    CTesser* engine = CTesser::GetInstance();
    const std::string title = engine ? engine->GetApplicationName() : std::string();
    // Windowed: a fixed frame at (100, 100) whose client area is exactly
    // width x height. Full screen: covering the desktop at (0, 0), frameless.
    tsr::WindowHandle window =
        windowed ? tsr::CreateGameWindow(kClassName, title, 100, 100, width, height, true)
                 : tsr::CreateGameWindow(kClassName, title, 0, 0, width, height, false);
    if (!window) {
        tsr::UnregisterWindowClass(kClassName);
        throw CEHSException(EHS_GENERAL, 0, "Invalid window handle returned by CreateWindowEx()", __FILE__,
                            __LINE__);
    }
    if (windowHandleOut)
        *windowHandleOut = window;
    SetApplicationActive(true);
    tsr::ShowGameWindow(window, true);
}

void DestroyGameWindow(tsr::WindowHandle windowHandle)
{
    SetCheckpoint(FILE_ID, __LINE__);
    tsr::ShowGameWindow(windowHandle, false);
    tsr::UnregisterWindowClass(kClassName);
    // Nothing else owns the window: close it with its class.
    tsr::DestroyGameWindow(windowHandle);
}

intptr_t GameWindowProc(tsr::WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    switch (message) {
    case tsr::WM_DESTROY:
        SetApplicationActive(false);
        tsr::PostQuitMessage(0);
        return 0;
    case tsr::WM_ACTIVATE: {
        CTesser* engine = CTesser::GetInstance();
        // The whole value counts: an activation while minimised has a
        // non-zero high word and is a deactivation.
        if (wParam == tsr::WA_ACTIVE || wParam == tsr::WA_CLICKACTIVE) {
            if (!IsApplicationActive()) {
                SetApplicationActive(true);
                if (engine)
                    engine->OnFocusGained();
            }
        } else if (IsApplicationActive()) {
            SetApplicationActive(false);
            if (engine)
                engine->OnFocusLost();
        }
        return tsr::DefWindowProc(window, message, wParam, lParam);
    }
    default:
        return tsr::DefWindowProc(window, message, wParam, lParam);
    }
}
