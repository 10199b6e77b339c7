// The game window on SDL2. See tsr_gamewindow.h.
#include "platform/window/tsr_gamewindow.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "platform/window/tsr_gamewindow_sdl.h"

namespace tsr {

bool IsInputEvent(uint32_t type)
{
    switch (type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
    case SDL_TEXTINPUT:
    case SDL_TEXTEDITING:
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    case SDL_MOUSEWHEEL:
        return true;
    default:
        return false;
    }
}

namespace {

struct SDLWindowDeleter {
    void operator()(SDL_Window* w) const
    {
        if (w)
            SDL_DestroyWindow(w);
    }
};

struct GameWindow {
    std::unique_ptr<SDL_Window, SDLWindowDeleter> sdl;
    uint32_t sdlId = 0;
    bool windowed = false;   // as the engine created it
    bool framed = false;     // currently shown with a frame
    int x = 0, y = 0;        // requested position
    int width = 0, height = 0;
    int pictureWidth = 0, pictureHeight = 0;
    bool focused = false;
    bool minimised = false;
    bool shown = false;
    bool closePosted = false;
    uint32_t minimiseCount = 0;
};

struct WindowLayer {
    std::map<std::string, WindowProc> classes;
    std::vector<std::unique_ptr<GameWindow>> windows;
    InputEventSink sink;
    int sourceId = -1;
    int sdlRefs = 0;
};

WindowLayer& Layer()
{
    static WindowLayer layer;
    return layer;
}

GameWindow* Find(WindowHandle handle)
{
    for (auto& w : Layer().windows)
        if (w.get() == handle)
            return w.get();
    return nullptr;
}

GameWindow* FindById(uint32_t id)
{
    for (auto& w : Layer().windows)
        if (w->sdlId == id)
            return w.get();
    return nullptr;
}

// Windows reports an activation while minimised with a non-zero high word.
constexpr uintptr_t kMinimisedHighWord = uintptr_t(1) << 16;

bool IsHeadlessDriver()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

void ApplyPresentation(GameWindow& w)
{
    SDL_Window* s = w.sdl.get();
    if (w.framed) {
        SDL_SetWindowFullscreen(s, 0);
        SDL_SetWindowBordered(s, SDL_TRUE);
        // The engine's own windowed window keeps its fixed frame; an emulated
        // full screen shown framed may be resized freely (the picture scales).
        SDL_SetWindowResizable(s, w.windowed ? SDL_FALSE : SDL_TRUE);
        int pw = w.pictureWidth > 0 ? w.pictureWidth : w.width;
        int ph = w.pictureHeight > 0 ? w.pictureHeight : w.height;
        SDL_SetWindowSize(s, pw, ph);
        if (w.windowed)
            SDL_SetWindowPosition(s, w.x, w.y);
        else
            SDL_SetWindowPosition(s, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    } else {
        SDL_SetWindowFullscreen(s, SDL_WINDOW_FULLSCREEN_DESKTOP);
    }
}

void HandleWindowEvent(GameWindow& w, const SDL_WindowEvent& e)
{
    WindowHandle h = &w;
    switch (e.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        w.focused = true;
        if (!w.minimised)
            PostMessage(h, WM_ACTIVATE, WA_ACTIVE, 0);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        w.focused = false;
        PostMessage(h, WM_ACTIVATE, w.minimised ? (kMinimisedHighWord | WA_INACTIVE) : WA_INACTIVE, 0);
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        if (!w.minimised) {
            w.minimised = true;
            ++w.minimiseCount;
            PostMessage(h, WM_ACTIVATE, kMinimisedHighWord | WA_INACTIVE, 0);
        }
        break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
        if (w.minimised) {
            w.minimised = false;
            // Headless drivers send no focus events: a restored window has it.
            if (IsHeadlessDriver())
                w.focused = true;
            if (w.focused)
                PostMessage(h, WM_ACTIVATE, WA_ACTIVE, 0);
        }
        break;
    case SDL_WINDOWEVENT_CLOSE:
        w.closePosted = true;
        PostMessage(h, WM_CLOSE, 0, 0);
        break;
    default:
        break;
    }
}

void HandleEvent(const SDL_Event& e)
{
    WindowLayer& layer = Layer();
    if (e.type == SDL_WINDOWEVENT) {
        if (GameWindow* w = FindById(e.window.windowID))
            HandleWindowEvent(*w, e.window);
        return;
    }
    if (e.type == SDL_QUIT) {
        // The last window was closed or the process was asked to stop.
        if (!layer.windows.empty() && !layer.windows.front()->closePosted) {
            layer.windows.front()->closePosted = true;
            PostMessage(layer.windows.front().get(), WM_CLOSE, 0, 0);
        }
        return;
    }
    if (e.type == SDL_KEYDOWN && !e.key.repeat) {
        SDL_Keycode k = e.key.keysym.sym;
        bool altEnter = (k == SDLK_RETURN || k == SDLK_KP_ENTER) && (e.key.keysym.mod & KMOD_ALT);
        if (altEnter || k == SDLK_F11) {
            if (GameWindow* w = FindById(e.key.windowID))
                ToggleFullScreenPresentation(w);
            else if (!layer.windows.empty())
                ToggleFullScreenPresentation(layer.windows.front().get());
        }
    }
    if (IsInputEvent(e.type) && layer.sink)
        layer.sink(e);
}

void Pump()
{
    SDL_Event e;
    while (SDL_PollEvent(&e))
        HandleEvent(e);
}

void Wait(int timeoutMs)
{
    // Blocks in SDL until an event arrives; the event stays queued for Pump.
    if (timeoutMs < 0)
        SDL_WaitEvent(nullptr);
    else
        SDL_WaitEventTimeout(nullptr, timeoutMs);
}

void EnsureMessageSource()
{
    WindowLayer& layer = Layer();
    if (layer.sourceId >= 0)
        return;
    MessageSource source;
    source.pump = Pump;
    source.wait = Wait;
    layer.sourceId = AddMessageSource(std::move(source));
}

} // namespace

bool AcquireSDLVideo()
{
    WindowLayer& layer = Layer();
    if (layer.sdlRefs == 0) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0)
            return false;
    }
    ++layer.sdlRefs;
    return true;
}

void ReleaseSDLVideo()
{
    WindowLayer& layer = Layer();
    if (layer.sdlRefs <= 0)
        return;
    if (--layer.sdlRefs == 0)
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
}

bool RegisterWindowClass(const std::string& className, WindowProc proc)
{
    WindowLayer& layer = Layer();
    if (className.empty() || layer.classes.count(className))
        return false;
    layer.classes[className] = proc;
    return true;
}

bool UnregisterWindowClass(const std::string& className)
{
    return Layer().classes.erase(className) > 0;
}

WindowHandle CreateGameWindow(const std::string& className, const std::string& title, int x, int y,
                              int width, int height, bool windowed)
{
    WindowLayer& layer = Layer();
    auto cls = layer.classes.find(className);
    if (cls == layer.classes.end() || width <= 0 || height <= 0)
        return nullptr;
    if (!AcquireSDLVideo())
        return nullptr;

    auto w = std::make_unique<GameWindow>();
    w->windowed = windowed;
    w->framed = windowed;
    w->x = x;
    w->y = y;
    w->width = width;
    w->height = height;
    w->pictureWidth = width;
    w->pictureHeight = height;
    // The graphics device renders with an OpenGL 3.3 core context; the
    // window's pixel format is chosen from these at creation.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    uint32_t flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI;
    if (!windowed)
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    w->sdl.reset(SDL_CreateWindow(title.c_str(), windowed ? x : 0, windowed ? y : 0, width, height, flags));
    if (!w->sdl) {
        ReleaseSDLVideo();
        return nullptr;
    }
    w->sdlId = SDL_GetWindowID(w->sdl.get());
    WindowHandle handle = w.get();
    layer.windows.push_back(std::move(w));
    EnsureMessageSource();
    SetWindowProc(handle, cls->second);
    return handle;
}

void ShowGameWindow(WindowHandle window, bool show)
{
    GameWindow* w = Find(window);
    if (!w)
        return;
    if (show) {
        SDL_ShowWindow(w->sdl.get());
        SDL_RaiseWindow(w->sdl.get());
        // Shown windows take the focus; real drivers confirm it with an event.
        w->focused = true;
    } else {
        SDL_HideWindow(w->sdl.get());
    }
    w->shown = show;
}

void DestroyGameWindow(WindowHandle window)
{
    WindowLayer& layer = Layer();
    auto it = std::find_if(layer.windows.begin(), layer.windows.end(),
                           [&](const auto& w) { return w.get() == window; });
    if (it == layer.windows.end())
        return;
    SetWindowProc(window, nullptr);
    layer.windows.erase(it);
    if (layer.windows.empty() && layer.sourceId >= 0) {
        RemoveMessageSource(layer.sourceId);
        layer.sourceId = -1;
    }
    ReleaseSDLVideo();
}

bool IsGameWindow(WindowHandle window) { return Find(window) != nullptr; }

bool GetClientSize(WindowHandle window, int& width, int& height)
{
    GameWindow* w = Find(window);
    if (!w)
        return false;
    SDL_GetWindowSize(w->sdl.get(), &width, &height);
    return true;
}

bool IsWindowedWindow(WindowHandle window)
{
    GameWindow* w = Find(window);
    return w && w->windowed;
}

bool GetWindowPosition(WindowHandle window, int& x, int& y)
{
    GameWindow* w = Find(window);
    if (!w)
        return false;
    SDL_GetWindowPosition(w->sdl.get(), &x, &y);
    return true;
}

bool IsShownFramed(WindowHandle window)
{
    GameWindow* w = Find(window);
    return w && w->framed;
}

void ToggleFullScreenPresentation(WindowHandle window)
{
    GameWindow* w = Find(window);
    if (!w)
        return;
    w->framed = !w->framed;
    ApplyPresentation(*w);
}

bool IsWindowFocused(WindowHandle window)
{
    GameWindow* w = Find(window);
    return w && w->focused && !w->minimised;
}

bool IsWindowMinimised(WindowHandle window)
{
    GameWindow* w = Find(window);
    return w && w->minimised;
}

uint32_t GetMinimiseCount(WindowHandle window)
{
    GameWindow* w = Find(window);
    return w ? w->minimiseCount : 0;
}

namespace {
void PushWindowEvent(GameWindow& w, uint8_t event)
{
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = w.sdlId;
    e.window.event = event;
    SDL_PushEvent(&e);
}
} // namespace

void MinimiseWindow(WindowHandle window)
{
    GameWindow* w = Find(window);
    if (!w)
        return;
    if (IsHeadlessDriver())
        PushWindowEvent(*w, SDL_WINDOWEVENT_MINIMIZED);
    else
        SDL_MinimizeWindow(w->sdl.get());
}

void RestoreWindow(WindowHandle window)
{
    GameWindow* w = Find(window);
    if (!w)
        return;
    if (IsHeadlessDriver())
        PushWindowEvent(*w, SDL_WINDOWEVENT_RESTORED);
    else
        SDL_RestoreWindow(w->sdl.get());
}

void SetPictureSize(WindowHandle window, int width, int height)
{
    GameWindow* w = Find(window);
    if (!w)
        return;
    w->pictureWidth = width;
    w->pictureHeight = height;
}

bool GetPictureSize(WindowHandle window, int& width, int& height)
{
    GameWindow* w = Find(window);
    if (!w)
        return false;
    width = w->pictureWidth;
    height = w->pictureHeight;
    return true;
}

PictureRect GetPictureRect(WindowHandle window)
{
    PictureRect r;
    GameWindow* w = Find(window);
    if (!w || w->pictureWidth <= 0 || w->pictureHeight <= 0)
        return r;
    int dw = 0, dh = 0;
    SDL_GL_GetDrawableSize(w->sdl.get(), &dw, &dh);
    if (dw <= 0 || dh <= 0)
        return r;
    double scale = std::min(double(dw) / w->pictureWidth, double(dh) / w->pictureHeight);
    r.width = std::max(1, int(std::lround(w->pictureWidth * scale)));
    r.height = std::max(1, int(std::lround(w->pictureHeight * scale)));
    r.x = (dw - r.width) / 2;
    r.y = (dh - r.height) / 2;
    return r;
}

void WindowToPicture(WindowHandle window, float wx, float wy, float& px, float& py)
{
    px = wx;
    py = wy;
    GameWindow* w = Find(window);
    if (!w)
        return;
    int ww = 0, wh = 0, dw = 0, dh = 0;
    SDL_GetWindowSize(w->sdl.get(), &ww, &wh);
    SDL_GL_GetDrawableSize(w->sdl.get(), &dw, &dh);
    PictureRect r = GetPictureRect(window);
    if (ww <= 0 || wh <= 0 || r.width <= 0 || r.height <= 0)
        return;
    float dx = wx * float(dw) / float(ww);
    float dy = wy * float(dh) / float(wh);
    px = (dx - float(r.x)) * float(w->pictureWidth) / float(r.width);
    py = (dy - float(r.y)) * float(w->pictureHeight) / float(r.height);
}

void ShowSystemCursor(bool show) { SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE); }

WindowHandle GetMainGameWindow()
{
    WindowLayer& layer = Layer();
    return layer.windows.empty() ? nullptr : layer.windows.front().get();
}

SDL_Window* GetSDLWindow(WindowHandle window)
{
    GameWindow* w = Find(window);
    return w ? w->sdl.get() : nullptr;
}

WindowHandle FindGameWindow(uint32_t sdlWindowId) { return FindById(sdlWindowId); }

void SetInputEventSink(InputEventSink sink) { Layer().sink = std::move(sink); }

} // namespace tsr
