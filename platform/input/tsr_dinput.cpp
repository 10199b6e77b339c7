// The keyboard and mouse devices on SDL events. See tsr_dinput.h.
//
// The devices watch SDL's event stream (an event watch, called the moment
// an event is queued, by the system or by SDL_PushEvent): what is down, the
// motion and wheel accumulated since each device's last read, and where the
// cursor is. So an event that arrives before a frame's input read is in
// that read, whoever drains the queue and whenever.
#include "platform/input/tsr_dinput.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/input/tsr_input_internal.h"
#include "platform/input/tsr_keymap.h"
#include "platform/window/tsr_gamewindow.h"
#include "platform/window/tsr_gamewindow_sdl.h"

namespace tsr {

const DIDATAFORMAT c_dfDIKeyboard{256, 1};
const DIDATAFORMAT c_dfDIMouse2{sizeof(DIMOUSESTATE2), 2};

namespace {

class Device;

// What the system knows of the keyboard and the mouse, whoever reads it.
struct InputSystem {
    std::array<bool, 256> keysDown{};
    std::array<bool, 8> buttonsDown{};
    // Last known cursor, in back-buffer pixels of cursorWindow.
    WindowHandle cursorWindow = nullptr;
    float cursorX = -1.0f, cursorY = -1.0f;
    bool cursorKnown = false;
    bool pointerInWindow = false;
    std::vector<Device*> devices;
    int inputObjects = 0;
    int showCount = 0;
};

InputSystem& System()
{
    static InputSystem system;
    return system;
}

int SDLCALL WatchEvent(void*, SDL_Event* event);

void HookEvents()
{
    // SDL forgets its watches when its event loop stops (the last window
    // gone); adding again after removing keeps exactly one.
    SDL_DelEventWatch(WatchEvent, nullptr);
    SDL_AddEventWatch(WatchEvent, nullptr);
}

class Device final : public IDirectInputDevice8 {
public:
    explicit Device(DeviceGuid kind) : m_kind(kind) { System().devices.push_back(this); }

    HRESULT SetDataFormat(const DIDATAFORMAT* format) override
    {
        if (!format)
            return DIERR_INVALIDPARAM;
        if (m_acquired)
            return DIERR_ACQUIRED;
        const uint32_t wanted = m_kind == DeviceGuid::SysKeyboard ? 1u : 2u;
        if (format->kind != wanted)
            return DIERR_INVALIDPARAM;
        m_format = format;
        return DI_OK;
    }

    HRESULT SetCooperativeLevel(WindowHandle window, uint32_t flags) override
    {
        const bool exclusive = flags & DISCL_EXCLUSIVE, nonExclusive = flags & DISCL_NONEXCLUSIVE;
        const bool foreground = flags & DISCL_FOREGROUND, background = flags & DISCL_BACKGROUND;
        if (exclusive == nonExclusive || foreground == background)
            return DIERR_INVALIDPARAM;
        if (foreground && !IsGameWindow(window))
            return DIERR_INVALIDPARAM;
        if (m_acquired)
            return DIERR_ACQUIRED;
        m_window = window;
        m_flags = flags;
        return DI_OK;
    }

    HRESULT Acquire() override
    {
        if (!m_format)
            return DIERR_INVALIDPARAM;
        if (m_acquired)
            return DI_NOEFFECT;
        if (!HasForeground())
            return DIERR_OTHERAPPHASPRIO;
        HookEvents();
        m_acquired = true;
        m_lost = false;
        ClearAccumulated();
        return DI_OK;
    }

    HRESULT Unacquire() override
    {
        m_lost = false;
        if (!m_acquired)
            return DI_NOEFFECT;
        m_acquired = false;
        return DI_OK;
    }

    HRESULT GetDeviceState(uint32_t size, void* data) override
    {
        if (m_lost) {
            m_lost = false;
            return DIERR_INPUTLOST;
        }
        if (!m_acquired)
            return DIERR_NOTACQUIRED;
        if (!HasForeground()) {
            // The focus went without our hearing of it: lost all the same.
            m_acquired = false;
            return DIERR_INPUTLOST;
        }
        if (!data || size != m_format->dwDataSize)
            return DIERR_INVALIDPARAM;
        if (m_kind == DeviceGuid::SysKeyboard)
            ReadKeyboard(static_cast<uint8_t*>(data));
        else
            ReadMouse(static_cast<DIMOUSESTATE2*>(data));
        return DI_OK;
    }

    uint32_t Release() override
    {
        if (--m_refs > 0)
            return m_refs;
        delete this;
        return 0;
    }

    // ---- fed by the event watch ----
    bool Listening() const { return m_acquired; }
    DeviceGuid Kind() const { return m_kind; }

    void KeyWentDown(uint8_t dik) { m_keyLatched[dik] = true; }
    void ButtonWentDown(int index) { m_buttonLatched[static_cast<size_t>(index)] = true; }
    void AddMotion(int64_t dx, int64_t dy, int64_t dz)
    {
        m_dx += dx;
        m_dy += dy;
        m_dz += dz;
    }

    void FocusLeft(WindowHandle window)
    {
        if (m_acquired && (m_flags & DISCL_FOREGROUND) && m_window == window) {
            m_acquired = false;
            m_lost = true;
        }
    }

private:
    ~Device() override { std::erase(System().devices, this); }

    bool HasForeground() const { return !(m_flags & DISCL_FOREGROUND) || IsWindowFocused(m_window); }

    void ClearAccumulated()
    {
        m_keyLatched.fill(false);
        m_buttonLatched.fill(false);
        m_dx = m_dy = m_dz = 0;
    }

    void ReadKeyboard(uint8_t* out)
    {
        const InputSystem& sys = System();
        for (size_t i = 0; i < 256; ++i)
            out[i] = (sys.keysDown[i] || m_keyLatched[i]) ? 0x80 : 0x00;
        m_keyLatched.fill(false);
        input_detail::InputStreamFrameRead();
    }

    static int32_t Clamp32(int64_t v)
    {
        return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                        std::numeric_limits<int32_t>::max()));
    }

    void ReadMouse(DIMOUSESTATE2* out)
    {
        const InputSystem& sys = System();
        out->lX = Clamp32(m_dx);
        out->lY = Clamp32(m_dy);
        out->lZ = Clamp32(m_dz);
        for (size_t i = 0; i < 8; ++i)
            out->rgbButtons[i] = (sys.buttonsDown[i] || m_buttonLatched[i]) ? 0x80 : 0x00;
        m_buttonLatched.fill(false);
        m_dx = m_dy = m_dz = 0;
    }

    DeviceGuid m_kind;
    uint32_t m_refs = 1;
    const DIDATAFORMAT* m_format = nullptr;
    WindowHandle m_window = nullptr;
    uint32_t m_flags = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;
    bool m_acquired = false;
    bool m_lost = false;
    std::array<bool, 256> m_keyLatched{};
    std::array<bool, 8> m_buttonLatched{};
    int64_t m_dx = 0, m_dy = 0, m_dz = 0;
};

class InputObject final : public IDirectInput8 {
public:
    InputObject()
    {
        if (System().inputObjects++ == 0) {
            // What was seen while nobody listened is stale: start from
            // nothing down and an unknown cursor.
            InputSystem& sys = System();
            sys.keysDown.fill(false);
            sys.buttonsDown.fill(false);
            sys.cursorKnown = false;
            sys.cursorWindow = nullptr;
            HookEvents();
            input_detail::InputStreamAttach();
        }
    }

    HRESULT CreateDevice(DeviceGuid guid, IDirectInputDevice8** device, void* outer) override
    {
        if (!device || outer)
            return DIERR_INVALIDPARAM;
        *device = new Device(guid);
        return DI_OK;
    }

    uint32_t Release() override
    {
        if (--m_refs > 0)
            return m_refs;
        delete this;
        return 0;
    }

private:
    ~InputObject() override
    {
        if (--System().inputObjects == 0) {
            input_detail::InputStreamDetach();
            SDL_DelEventWatch(WatchEvent, nullptr);
        }
    }

    uint32_t m_refs = 1;
};

// ---- The event watch ---------------------------------------------------------

template <class F>
void ForListening(DeviceGuid kind, F f)
{
    for (Device* d : System().devices)
        if (d->Kind() == kind && d->Listening())
            f(*d);
}

void KeyEvent(uint8_t dik, bool down)
{
    if (dik == 0)
        return;
    System().keysDown[dik] = down;
    if (down)
        ForListening(DeviceGuid::SysKeyboard, [&](Device& d) { d.KeyWentDown(dik); });
}

void ButtonEvent(int button, bool down)
{
    if (button < 1 || button > 8)
        return;
    const int index = button - 1;
    System().buttonsDown[static_cast<size_t>(index)] = down;
    if (down)
        ForListening(DeviceGuid::SysMouse, [&](Device& d) { d.ButtonWentDown(index); });
}

// Sets the cursor from an event's window position; replayed events carry
// back-buffer pixels already.
void PlaceCursor(uint32_t windowId, int32_t x, int32_t y, bool replayed)
{
    InputSystem& sys = System();
    WindowHandle window = FindGameWindow(windowId);
    if (!window)
        window = sys.cursorWindow ? sys.cursorWindow : GetMainGameWindow();
    if (!window)
        return;
    float px = static_cast<float>(x), py = static_cast<float>(y);
    if (!replayed)
        WindowToPicture(window, static_cast<float>(x), static_cast<float>(y), px, py);
    sys.cursorWindow = window;
    sys.cursorX = px;
    sys.cursorY = py;
    sys.cursorKnown = true;
    sys.pointerInWindow = true;
}

void WindowEvent(const SDL_WindowEvent& e)
{
    WindowHandle window = FindGameWindow(e.windowID);
    switch (e.event) {
    case SDL_WINDOWEVENT_FOCUS_LOST:
    case SDL_WINDOWEVENT_MINIMIZED:
    case SDL_WINDOWEVENT_HIDDEN:
        if (window)
            for (Device* d : std::vector<Device*>(System().devices))
                d->FocusLeft(window);
        break;
    case SDL_WINDOWEVENT_LEAVE:
        if (window && window == System().cursorWindow)
            System().pointerInWindow = false;
        break;
    default:
        break;
    }
}

int SDLCALL WatchEvent(void*, SDL_Event* event)
{
    const SDL_Event& e = *event;
    const bool replayed = input_detail::IsReplayedEvent(e);
    // During a replay only the replay moves the devices.
    if (!replayed && input_detail::InputStreamIsReplaying() && e.type != SDL_WINDOWEVENT)
        return 0;

    InputSystem& sys = System();
    switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        const uint32_t mark = e.key.keysym.unused;
        const uint8_t dik = replayed ? static_cast<uint8_t>(mark & 0xFFu)
                                     : DikFromScancode(static_cast<int>(e.key.keysym.scancode));
        KeyEvent(dik, e.type == SDL_KEYDOWN);
        break;
    }
    case SDL_MOUSEMOTION:
        if (e.motion.which == SDL_TOUCH_MOUSEID)
            return 0;
        PlaceCursor(e.motion.windowID, e.motion.x, e.motion.y, replayed);
        ForListening(DeviceGuid::SysMouse, [&](Device& d) { d.AddMotion(e.motion.xrel, e.motion.yrel, 0); });
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (e.button.which == SDL_TOUCH_MOUSEID)
            return 0;
        PlaceCursor(e.button.windowID, e.button.x, e.button.y, replayed);
        ButtonEvent(input_detail::MouseButtonFromSdlButton(e.button.button), e.type == SDL_MOUSEBUTTONDOWN);
        break;
    case SDL_MOUSEWHEEL: {
        if (e.wheel.which == SDL_TOUCH_MOUSEID)
            return 0;
        int64_t notches = e.wheel.y;
        if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED)
            notches = -notches;
        ForListening(DeviceGuid::SysMouse, [&](Device& d) { d.AddMotion(0, 0, notches * WHEEL_DELTA); });
        break;
    }
    case SDL_WINDOWEVENT:
        WindowEvent(e.window);
        break;
    default:
        return 0;
    }

    if (!replayed)
        input_detail::InputStreamObserve(e, sys.cursorX, sys.cursorY);
    return 0;
}

} // namespace

namespace input_detail {

bool IsReplayedEvent(const SDL_Event& e)
{
    switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        return (e.key.keysym.unused & kReplayKeyMarkMask) == kReplayKeyMark;
    case SDL_MOUSEMOTION:
        return e.motion.which == kReplayMouseId;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        return e.button.which == kReplayMouseId;
    case SDL_MOUSEWHEEL:
        return e.wheel.which == kReplayMouseId;
    case SDL_WINDOWEVENT:
        return e.window.data1 == kReplayWindowMark;
    default:
        return false;
    }
}

// Mouse button n is state byte n - 1: left, right, middle, then the side
// buttons; SDL numbers middle before right.
int SdlButtonFromMouseButton(int button)
{
    switch (button) {
    case 1: return SDL_BUTTON_LEFT;
    case 2: return SDL_BUTTON_RIGHT;
    case 3: return SDL_BUTTON_MIDDLE;
    default: return (button >= 4 && button <= 8) ? button : 0;
    }
}

int MouseButtonFromSdlButton(int sdlButton)
{
    switch (sdlButton) {
    case SDL_BUTTON_LEFT: return 1;
    case SDL_BUTTON_RIGHT: return 2;
    case SDL_BUTTON_MIDDLE: return 3;
    default: return (sdlButton >= 4 && sdlButton <= 8) ? sdlButton : 0;
    }
}

} // namespace input_detail

HRESULT DirectInput8Create(void*, uint32_t version, InterfaceId riid, void** out, void* outer)
{
    if (!out)
        return DIERR_INVALIDPARAM;
    *out = nullptr;
    if (outer || riid != IID_IDirectInput8A)
        return DIERR_INVALIDPARAM;
    if (version != DIRECTINPUT_VERSION)
        return DIERR_OLDDIRECTINPUTVERSION;
    *out = static_cast<IDirectInput8*>(new InputObject());
    return DI_OK;
}

// ---- The system cursor ---------------------------------------------------------

bool GetClientRect(WindowHandle window, int32_t& width, int32_t& height)
{
    int w = 0, h = 0;
    if (!GetPictureSize(window, w, h))
        return false;
    width = w;
    height = h;
    return true;
}

bool GetCursorClientPos(WindowHandle window, int32_t& x, int32_t& y)
{
    if (!IsGameWindow(window))
        return false;
    const InputSystem& sys = System();
    if (sys.cursorKnown && sys.cursorWindow == window && sys.pointerInWindow) {
        x = static_cast<int32_t>(std::floor(sys.cursorX));
        y = static_cast<int32_t>(std::floor(sys.cursorY));
        return true;
    }
    // Not over the window (or never seen there): ask the system where the
    // pointer is, unless a replay is in charge, whose runs must not depend
    // on the real pointer. A pointer the system cannot place (headless)
    // lies outside.
    x = y = -1;
    if (input_detail::InputStreamIsReplaying())
        return true;
    SDL_Window* sdl = GetSDLWindow(window);
    int gx = 0, gy = 0, wx = 0, wy = 0;
    if (SDL_GetMouseFocus() == sdl) {
        SDL_GetMouseState(&gx, &gy);
    } else {
        SDL_GetGlobalMouseState(&gx, &gy);
        SDL_GetWindowPosition(sdl, &wx, &wy);
        gx -= wx;
        gy -= wy;
    }
    float px = 0.0f, py = 0.0f;
    WindowToPicture(window, static_cast<float>(gx), static_cast<float>(gy), px, py);
    int32_t cw = 0, ch = 0;
    GetClientRect(window, cw, ch);
    const bool inside = px >= 0.0f && py >= 0.0f && px < float(cw) && py < float(ch);
    if (SDL_GetMouseFocus() == sdl || !inside) {
        x = static_cast<int32_t>(std::floor(px));
        y = static_cast<int32_t>(std::floor(py));
    }
    return true;
}

int ShowCursor(bool show)
{
    InputSystem& sys = System();
    sys.showCount += show ? 1 : -1;
    ShowSystemCursor(sys.showCount >= 0);
    return sys.showCount;
}

int GetCursorShowCount() { return System().showCount; }

} // namespace tsr
