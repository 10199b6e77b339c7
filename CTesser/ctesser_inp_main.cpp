// Input subsystem: the input object and its two devices, started after
// graphics and stopped before it; polled once per frame.
#include "ctesser.h"

namespace {
constexpr int32_t FILE_ID = 140;
} // namespace

void CTesser::InpInit()
{
    SetCheckpoint(FILE_ID, __LINE__);
    // Set first: a start that fails half-way is still shut down.
    m_bInpInitialised = true;
    WriteSeparator(LOGSEP_THIN);
    WriteEntry("Initializing Input Subsystem...", LOG_HEADING);

    if (!GfxDeviceExists())
        throw CEHSException(EHS_GAME, 0, "Input system should be initialized after graphics system!", __FILE__,
                            __LINE__);

    void* object = nullptr;
    const tsr::HRESULT hr = tsr::DirectInput8Create(GetProgramInstance(), tsr::DIRECTINPUT_VERSION,
                                                    tsr::IID_IDirectInput8A, &object, nullptr);
    if (tsr::Failed(hr))
        throw CEHSException(EHS_GENERAL, hr, "Cannot create DirectInput object!", __FILE__, __LINE__);
    m_inpDirectInput.reset(static_cast<tsr::IDirectInput8*>(object));
    if (!m_inpDirectInput)
        throw CEHSException(EHS_GENERAL, 0, "Error: Direct Input object is NULL!", __FILE__, __LINE__);

    KeyboardCreate();
    MouseCreate();

    WriteEntry("Done.", LOG_SUCCESS);
    WriteSeparator(LOGSEP_THIN);
    WriteBlankLines(1);
}

void CTesser::InpDeinit()
{
    SetCheckpoint(FILE_ID, __LINE__);
    WriteSeparator(LOGSEP_THIN);
    WriteEntry("Deinitializing Input Subsystem...", LOG_HEADING);
    MouseRelease();
    KeyboardRelease();
    m_inpDirectInput.reset();
    WriteEntry("Done.", LOG_SUCCESS);
    WriteSeparator(LOGSEP_THIN);
    WriteBlankLines(1);
    m_bInpInitialised = false;
}

void CTesser::InpReacquire()
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (!m_inpDirectInput)
        return;
    KeyboardReacquire();
    MouseReacquire();
}

void CTesser::InpUpdate()
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (!m_inpDirectInput)
        return;
    KeyboardUpdate();
    MouseUpdate();
}

tsr::WindowHandle CTesser::InpGetWindow() const { return GfxGetWindow(); }

void CTesser::InpWarnNotAcquired(const char* what, tsr::HRESULT result)
{
    WriteEntry(what, LOG_WARNING);
    WriteEntry(std::to_string(result), LOG_WARNING);
}
