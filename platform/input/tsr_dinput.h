// The keyboard and mouse devices, shaped like the system's direct input
// interface the engine was written for: an input object creates the
// system keyboard and mouse devices; a device gets a data format and a
// cooperative level, is acquired, and its whole state is read once per
// frame. Behind it sit the game window's SDL events (see tsr_dinput.cpp).
//
// What the devices report:
// - keyboard: 256 bytes indexed by the DIK_ key codes (tsr_dik.h), bit 7 set
//   while the key is down. Keys are positions (SDL scancodes), not the
//   letters of the keyboard layout.
// - mouse: DIMOUSESTATE2, the motion and wheel change since the previous
//   read (the wheel in steps of 120 per notch, positive away from the user)
//   and eight buttons, bit 7 set while down.
// A key or button that went down and up again between two reads reads as
// down once, so no short tap is lost at a low frame rate.
//
// Foreground devices can be acquired only while their window is the active
// one. When the window loses the focus they are unacquired: the next read
// fails once with DIERR_INPUTLOST, later ones with DIERR_NOTACQUIRED.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/input/tsr_dik.h"
#include "platform/messages/tsr_messages.h"

namespace tsr {

using HRESULT = int32_t;

constexpr bool Succeeded(HRESULT hr) { return hr >= 0; }
constexpr bool Failed(HRESULT hr) { return hr < 0; }

constexpr HRESULT DI_OK = 0;
constexpr HRESULT DI_NOEFFECT = 1; // S_FALSE: already in the asked state
constexpr HRESULT DIERR_OTHERAPPHASPRIO = static_cast<HRESULT>(0x80070005u);
constexpr HRESULT DIERR_NOTACQUIRED = static_cast<HRESULT>(0x8007000Cu);
constexpr HRESULT DIERR_NOTINITIALIZED = static_cast<HRESULT>(0x80070015u);
constexpr HRESULT DIERR_INPUTLOST = static_cast<HRESULT>(0x8007001Eu);
constexpr HRESULT DIERR_INVALIDPARAM = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT DIERR_DEVICENOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT DIERR_OLDDIRECTINPUTVERSION = static_cast<HRESULT>(0x8007047Eu);
constexpr HRESULT DIERR_ACQUIRED = static_cast<HRESULT>(0x800700AAu);

constexpr uint32_t DIRECTINPUT_VERSION = 0x0800;

// Cooperative level flags.
constexpr uint32_t DISCL_EXCLUSIVE = 0x01;
constexpr uint32_t DISCL_NONEXCLUSIVE = 0x02;
constexpr uint32_t DISCL_FOREGROUND = 0x04;
constexpr uint32_t DISCL_BACKGROUND = 0x08;
constexpr uint32_t DISCL_NOWINKEY = 0x10;

// The system devices and the input object's interface.
enum class DeviceGuid { SysKeyboard, SysMouse };
constexpr DeviceGuid GUID_SysKeyboard = DeviceGuid::SysKeyboard;
constexpr DeviceGuid GUID_SysMouse = DeviceGuid::SysMouse;
enum class InterfaceId { DirectInput8A };
constexpr InterfaceId IID_IDirectInput8A = InterfaceId::DirectInput8A;

// The two standard data formats: the layout of what GetDeviceState fills.
struct DIDATAFORMAT {
    uint32_t dwDataSize;
    uint32_t kind; // 1 keyboard, 2 mouse with eight buttons
};
extern const DIDATAFORMAT c_dfDIKeyboard; // 256 bytes
extern const DIDATAFORMAT c_dfDIMouse2;   // sizeof(DIMOUSESTATE2)

struct DIMOUSESTATE2 {
    int32_t lX;
    int32_t lY;
    int32_t lZ;
    uint8_t rgbButtons[8];
};
static_assert(sizeof(DIMOUSESTATE2) == 20);

// Wheel units per notch, as the system reports them.
constexpr int32_t WHEEL_DELTA = 120;

class IDirectInputDevice8 {
public:
    virtual HRESULT SetDataFormat(const DIDATAFORMAT* format) = 0;
    virtual HRESULT SetCooperativeLevel(WindowHandle window, uint32_t flags) = 0;
    virtual HRESULT Acquire() = 0;
    virtual HRESULT Unacquire() = 0;
    virtual HRESULT GetDeviceState(uint32_t size, void* data) = 0;
    // Drops the caller's reference; the device is gone at 0.
    virtual uint32_t Release() = 0;

protected:
    virtual ~IDirectInputDevice8() = default;
};

class IDirectInput8 {
public:
    virtual HRESULT CreateDevice(DeviceGuid guid, IDirectInputDevice8** device, void* outer) = 0;
    virtual uint32_t Release() = 0;

protected:
    virtual ~IDirectInput8() = default;
};

// Creates the input object. instance is the program's instance handle
// (unused here); version must be DIRECTINPUT_VERSION.
HRESULT DirectInput8Create(void* instance, uint32_t version, InterfaceId riid, void** out, void* outer);

// Owners that Release on destruction, for RAII holders of the interfaces.
struct ReleaseInterface {
    template <class T>
    void operator()(T* p) const
    {
        if (p)
            p->Release();
    }
};
using DirectInputPtr = std::unique_ptr<IDirectInput8, ReleaseInterface>;
using DirectInputDevicePtr = std::unique_ptr<IDirectInputDevice8, ReleaseInterface>;

// ---- The system cursor ----------------------------------------------------
// The cursor position in the window's client coordinates, which are the
// pixels of the back buffer (the picture may be scaled and letterboxed in
// the window; points over the bars or outside the window lie outside the
// client rectangle). False when the window is not a game window.
bool GetCursorClientPos(WindowHandle window, int32_t& x, int32_t& y);
// The client rectangle: (0, 0) to the back-buffer size.
bool GetClientRect(WindowHandle window, int32_t& width, int32_t& height);
// ShowCursor: moves the display count by one and returns it; the system
// cursor is shown while the count is 0 or more. It starts at 0.
int ShowCursor(bool show);
int GetCursorShowCount();

} // namespace tsr
