// The mouse: motion, wheel and eight buttons read once per frame, and the
// system cursor's position over the game window, which hides the system
// cursor while it is over the client area (the game draws its own).
#include <cstring>

#include "ctesser.h"

namespace {

constexpr int32_t FILE_ID = 142;

bool ValidButton(int32_t button) { return button >= 1 && button <= 8; }

} // namespace

void CTesser::MouseCreate()
{
    SetCheckpoint(FILE_ID, __LINE__);
    tsr::IDirectInputDevice8* device = nullptr;
    tsr::HRESULT hr = m_inpDirectInput->CreateDevice(tsr::GUID_SysMouse, &device, nullptr);
    if (tsr::Failed(hr))
        throw CEHSException(EHS_GENERAL, hr, "Cannot create DirectInputDevice (Mouse) object!", __FILE__, __LINE__);
    m_inpMouse.reset(device);
    if (!m_inpMouse)
        throw CEHSException(EHS_GENERAL, 0, "Error: mouse object is NULL!", __FILE__, __LINE__);

    hr = m_inpMouse->SetDataFormat(&tsr::c_dfDIMouse2);
    if (tsr::Failed(hr))
        throw CEHSException(EHS_GENERAL, hr, "Cannot set data format for Mouse!", __FILE__, __LINE__);

    hr = m_inpMouse->SetCooperativeLevel(InpGetWindow(), tsr::DISCL_NONEXCLUSIVE | tsr::DISCL_FOREGROUND);
    if (tsr::Failed(hr))
        throw CEHSException(EHS_GENERAL, hr, "Cannot set cooperative level for Mouse!", __FILE__, __LINE__);

    MouseReacquire();
}

void CTesser::MouseRelease()
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (!m_inpMouse)
        return;
    m_inpMouse->Unacquire();
    m_inpMouseAcquired = false;
    m_inpMouse.reset();
    tsr::ShowCursor(true);
}

void CTesser::MouseReacquire()
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (!m_inpMouse)
        return;
    const tsr::HRESULT hr = m_inpMouse->Acquire();
    m_inpMouseAcquired = tsr::Succeeded(hr);
    if (!m_inpMouseAcquired)
        InpWarnNotAcquired("Cannot acquire mouse!", hr);
}

void CTesser::MouseUpdate()
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (!m_inpMouse)
        return;
    if (!m_inpMouseAcquired) {
        if (tsr::Failed(m_inpMouse->Acquire())) {
            // The cursor and its flags stay as they were this frame.
            m_inpMouseState = {};
            m_inpMouseStatePrev = {};
            return;
        }
        m_inpMouseAcquired = true;
    }

    m_inpMouseStatePrev = m_inpMouseState;
    tsr::HRESULT hr = m_inpMouse->GetDeviceState(sizeof m_inpMouseState, &m_inpMouseState);
    if (hr == tsr::DIERR_INPUTLOST) {
        hr = m_inpMouse->Acquire();
        if (tsr::Failed(hr))
            throw CEHSException(EHS_GENERAL, hr, "Cannot reacquire Mouse!", __FILE__, __LINE__);
        hr = m_inpMouse->GetDeviceState(sizeof m_inpMouseState, &m_inpMouseState);
        if (tsr::Failed(hr))
            throw CEHSException(EHS_GENERAL, hr, "Second try of getting Mouse state failed!", __FILE__, __LINE__);
    } else if (tsr::Failed(hr)) {
        throw CEHSException(EHS_GENERAL, hr, "Cannot get Mouse state!", __FILE__, __LINE__);
    }

    m_inpCursorPrevX = m_inpCursorX;
    m_inpCursorPrevY = m_inpCursorY;
    const tsr::WindowHandle window = InpGetWindow();
    tsr::GetCursorClientPos(window, m_inpCursorX, m_inpCursorY);

    m_inpCursorWasInside = m_inpCursorInside;
    m_inpCursorInside = false;
    int32_t width = 0, height = 0;
    if (IsApplicationActive() && tsr::GetClientRect(window, width, height))
        m_inpCursorInside = m_inpCursorX >= 0 && m_inpCursorY >= 0 && m_inpCursorX < width && m_inpCursorY < height;

    // Only on a change, so the system's show count moves by one each way.
    if (!m_inpCursorWasInside && m_inpCursorInside)
        tsr::ShowCursor(false);
    else if (m_inpCursorWasInside && !m_inpCursorInside)
        tsr::ShowCursor(true);
}

int32_t CTesser::MouseGetAnyPressedKey() const
{
    for (int32_t button = 1; button <= 8; ++button)
        if (m_inpMouseState.rgbButtons[button - 1] & 0x80)
            return button;
    return 0;
}

bool CTesser::MouseIsKeyPressed(int32_t button) const
{
    return ValidButton(button) && (m_inpMouseState.rgbButtons[button - 1] & 0x80);
}

bool CTesser::MouseIsKeyClicked(int32_t button) const
{
    return ValidButton(button) && (m_inpMouseState.rgbButtons[button - 1] & 0x80) &&
           !(m_inpMouseStatePrev.rgbButtons[button - 1] & 0x80);
}

int32_t CTesser::MouseGetWheelDelta() const
{
    if (m_inpMouseState.lZ < 0)
        return -1;
    return m_inpMouseState.lZ > 0 ? 1 : 0;
}
