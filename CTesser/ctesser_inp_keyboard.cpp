// The keyboard: the whole 256-byte state read once per frame, the previous
// frame's state beside it, and the text-input step.
#include <algorithm>
#include <cstring>

#include "ctesser.h"

namespace {

constexpr int32_t FILE_ID = 141;

constexpr uint8_t KeyIndex(int32_t key) { return static_cast<uint8_t>(key & 0xFF); }

} // namespace

void CTesser::KeyboardCreate()
{
    SetCheckpoint(FILE_ID, __LINE__);
    tsr::IDirectInputDevice8* device = nullptr;
    tsr::HRESULT hr = m_inpDirectInput->CreateDevice(tsr::GUID_SysKeyboard, &device, nullptr);
    if (tsr::Failed(hr))
        throw CEHSException(EHS_GENERAL, hr, "Cannot create DirectInputDevice (Keyboard) object!", __FILE__,
                            __LINE__);
    m_inpKeyboard.reset(device);
    if (!m_inpKeyboard)
        throw CEHSException(EHS_GENERAL, 0, "Error: keyboard object is NULL!", __FILE__, __LINE__);

    hr = m_inpKeyboard->SetDataFormat(&tsr::c_dfDIKeyboard);
    if (tsr::Failed(hr))
        throw CEHSException(EHS_GENERAL, hr, "Cannot set data format for Keyboard!", __FILE__, __LINE__);

    hr = m_inpKeyboard->SetCooperativeLevel(InpGetWindow(),
                                            tsr::DISCL_NONEXCLUSIVE | tsr::DISCL_FOREGROUND | tsr::DISCL_NOWINKEY);
    if (tsr::Failed(hr))
        throw CEHSException(EHS_GENERAL, hr, "Cannot set cooperative level for Keyboard!", __FILE__, __LINE__);

    KeyboardReacquire();
}

void CTesser::KeyboardRelease()
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (!m_inpKeyboard)
        return;
    m_inpKeyboard->Unacquire();
    m_inpKeyboardAcquired = false;
    m_inpKeyboard.reset();
}

void CTesser::KeyboardReacquire()
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (!m_inpKeyboard)
        return;
    const tsr::HRESULT hr = m_inpKeyboard->Acquire();
    m_inpKeyboardAcquired = tsr::Succeeded(hr);
    if (!m_inpKeyboardAcquired)
        InpWarnNotAcquired("Cannot acquire keyboard!", hr);
}

void CTesser::KeyboardUpdate()
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (!m_inpKeyboard)
        return;
    if (!m_inpKeyboardAcquired) {
        if (tsr::Failed(m_inpKeyboard->Acquire())) {
            // Nothing down and nothing clicked until an acquire succeeds.
            std::memset(m_inpKeyState, 0, sizeof m_inpKeyState);
            std::memset(m_inpKeyStatePrev, 0, sizeof m_inpKeyStatePrev);
            return;
        }
        m_inpKeyboardAcquired = true;
    }

    std::memcpy(m_inpKeyStatePrev, m_inpKeyState, sizeof m_inpKeyState);
    tsr::HRESULT hr = m_inpKeyboard->GetDeviceState(sizeof m_inpKeyState, m_inpKeyState);
    if (hr == tsr::DIERR_INPUTLOST) {
        hr = m_inpKeyboard->Acquire();
        if (tsr::Failed(hr))
            throw CEHSException(EHS_GENERAL, hr, "Cannot reacquire Keyboard!", __FILE__, __LINE__);
        hr = m_inpKeyboard->GetDeviceState(sizeof m_inpKeyState, m_inpKeyState);
        if (tsr::Failed(hr))
            throw CEHSException(EHS_GENERAL, hr, "Second try of getting Keyboard state failed!", __FILE__,
                                __LINE__);
    } else if (tsr::Failed(hr)) {
        throw CEHSException(EHS_GENERAL, hr, "Cannot get Keyboard state!", __FILE__, __LINE__);
    }

    if (m_inpTextInput)
        KeyboardTextInputStep();
}

void CTesser::KeyboardTextInputStep()
{
    // Spaces are not held to the size limit; other characters are.
    if (KeyboardIsKeyClicked(DIK_SPACE)) {
        m_inpTextBuffer += ' ';
        return;
    }
    if (KeyboardIsKeyClicked(DIK_BACK)) {
        if (!m_inpTextBuffer.empty())
            m_inpTextBuffer.pop_back();
        return;
    }
    // The limit is applied when a character is added, so spaces typed past
    // it stay until the next character.
    if (const char c = KeyboardGetClickedChar()) {
        m_inpTextBuffer += c;
        const size_t limit = static_cast<size_t>(std::max<int32_t>(m_inpTextLimit, 0));
        if (m_inpTextBuffer.size() > limit)
            m_inpTextBuffer.resize(limit);
    }
}

bool CTesser::KeyboardIsKeyPressed(int32_t key) const { return (m_inpKeyState[KeyIndex(key)] & 0x80) != 0; }

bool CTesser::KeyboardIsKeyClicked(int32_t key) const
{
    const uint8_t k = KeyIndex(key);
    return (m_inpKeyState[k] & 0x80) && !(m_inpKeyStatePrev[k] & 0x80);
}

int32_t CTesser::KeyboardGetAnyPressedKey() const
{
    for (int32_t key = 0; key < 255; ++key)
        if (m_inpKeyState[key] & 0x80)
            return key;
    return 0;
}

void CTesser::KeyboardSetTextBufferStatus(int32_t flag) { m_inpTextInput = static_cast<uint8_t>(flag) != 0; }

void CTesser::KeyboardSetTextInBuffer(const std::string& text) { m_inpTextBuffer = text; }

void CTesser::KeyboardSetTextBufferSize(int32_t size)
{
    m_inpTextLimit = size;
    // A negative limit keeps nothing (rather than a wrapped huge one).
    const size_t limit = static_cast<size_t>(std::max<int32_t>(size, 0));
    if (m_inpTextBuffer.size() > limit)
        m_inpTextBuffer.resize(limit);
}
