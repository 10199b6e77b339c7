// The engine object: construction and shut-down order, the start banner,
// application callbacks, the frame timer, focus handling, the per-frame
// system update and the main loop.
#include "ctesser.h"

#include "platform/clock/tsr_clock.h"
#include "platform/messages/tsr_messages.h"
#include "platform/process/tsr_process.h"

namespace {

constexpr int32_t FILE_ID = 112;
constexpr const char* ENGINE_VERSION = "v.1.0";

// Longest and shortest frame the timer reports, in milliseconds.
constexpr int32_t TIMER_MAX_DELTA_MS = 300;
constexpr int32_t TIMER_MIN_DELTA_MS = 1;

CTesser* g_instance = nullptr;
void* g_programInstance = nullptr;
bool g_applicationActive = false;
bool g_quitRequested = false;

} // namespace

// ---- Global state -----------------------------------------------------------

void* GetProgramInstance() { return g_programInstance; }
void SetProgramInstance(void* instance) { g_programInstance = instance; }
bool IsApplicationActive() { return g_applicationActive; }
void SetApplicationActive(bool active) { g_applicationActive = active; }
void RequestQuit() { g_quitRequested = true; }
bool IsQuitRequested() { return g_quitRequested; }

CTesser* CTesser::GetInstance() { return g_instance; }

// ---- Construction and shut-down ---------------------------------------------

CTesser::CTesser()
{
    SetCheckpoint(FILE_ID, __LINE__);
    g_instance = this;
    // One engine object per run; a fresh one (tests make several in one
    // process) starts inactive and without a pending quit.
    g_applicationActive = false;
    g_quitRequested = false;

    m_timerCurrent = tsr::TimeGetTime();
    m_timerPrevious = m_timerCurrent - 1;

    LogDeleteFile();
}

CTesser::~CTesser()
{
    // Each step is guarded: a failing shut-down is reported in the log and
    // the rest still runs, so the log always ends with "End of log.".
    if (m_bFatalShutdown && m_cbTermination)
        EHSGuarded([&] { m_cbTermination(); });
    if (m_bInpInitialised)
        EHSGuarded([&] { InpDeinit(); });
    if (m_bSfxInitialised)
        EHSGuarded([&] { SfxDeinit(); });
    if (m_bGfxCreated)
        EHSGuarded([&] { GfxDeinit(); });
    if (m_bResInitialised)
        EHSGuarded([&] { ResDeinit(); });
    if (m_bScrInitialised)
        EHSGuarded([&] { ScrDeinit(); });

    WriteBlankLines(1);
    WriteSeparator(LOGSEP_THIN);
    WriteSeparator(LOGSEP_THIN);
    WriteEntry("End of log.", LOG_HEADING);
    WriteSeparator(LOGSEP_THIN);
    WriteSeparator(LOGSEP_THIN);
    WriteBlankLines(1);

    if (g_instance == this)
        g_instance = nullptr;
}

void CTesser::SetApplicationInfo(const std::string& name, const std::string& version)
{
    SetCheckpoint(FILE_ID, __LINE__);
    m_appName = name;
    m_appVersion = version;

    const tsr::LocalTime now = tsr::GetLocalTime();
    WriteBlankLines(2);
    WriteSeparator(LOGSEP_THIN);
    WriteEntry("Starting " + m_appName + " " + m_appVersion, LOG_HEADING);
    WriteEntry(std::string("Powered by Tesseron Engine ") + ENGINE_VERSION, LOG_HEADING);
    WriteEntry(std::string("Built: ") + __DATE__ + "   " + __TIME__, LOG_HEADING);
    WriteBlankLines(1);
    WriteEntry("Execution date: " + LogFormatDate(now.day, now.month, now.year), LOG_HEADING);
    WriteEntry("Execution time: " + LogFormatTime(now.hour, now.minute), LOG_HEADING);
    WriteSeparator(LOGSEP_THIN);
    WriteBlankLines(2);
}

void CTesser::RegisterCallback(TSNCallback function, int kind)
{
    SetCheckpoint(FILE_ID, __LINE__);
    WriteSeparator(LOGSEP_THIN);
    switch (kind) {
    case CALLBACK_LOSTFOCUS:
        m_cbLostFocus = function;
        WriteEntry("Callback function for lost focus registered.", LOG_SUCCESS);
        break;
    case CALLBACK_RESTOREDFOCUS:
        m_cbRestoredFocus = function;
        WriteEntry("Callback function for restored focus registered.", LOG_SUCCESS);
        break;
    case CALLBACK_TERMINATION:
        m_cbTermination = function;
        WriteEntry("Callback function for termination registered.", LOG_SUCCESS);
        break;
    default:
        break;
    }
    WriteSeparator(LOGSEP_THIN);
    WriteBlankLines(1);
}

int CTesser::ShowMessageBox(const std::string& text, const std::string& caption, uint32_t type)
{
    SetCheckpoint(FILE_ID, __LINE__);
    bool shown = false;
    const int result = tsr::MessageBox(text, caption, type, &shown);
    if (!shown)
        WriteEntry(caption + ": " + text, LOG_WARNING);
    return result;
}

// ---- Timer ------------------------------------------------------------------

void CTesser::UpdateTimer()
{
    SetCheckpoint(FILE_ID, __LINE__);
    const uint32_t now = tsr::TimeGetTime();
    // Unsigned difference: correct across the clock's wrap at 2^32; a clock
    // that went backwards reads as negative and is clamped to 1 below.
    int32_t delta = static_cast<int32_t>(now - m_timerPrevious);
    m_timerPrevious = now;
    m_timerCurrent = now;

    if (delta > TIMER_MAX_DELTA_MS)
        delta = TIMER_MAX_DELTA_MS;
    if (delta < TIMER_MIN_DELTA_MS)
        delta = TIMER_MIN_DELTA_MS;
    m_timerDeltaMs = delta;
    m_timerDeltaSec = static_cast<float>(delta) * 0.001f;

    m_timerAccumulated += static_cast<uint32_t>(delta);
    if (m_timerAccumulated >= 1000) {
        m_timerFPS = m_timerFrames + 1;
        m_timerAccumulated = 0;
        m_timerFrames = 0;
    } else {
        ++m_timerFrames;
    }
}

// ---- Focus ------------------------------------------------------------------

void CTesser::OnFocusGained()
{
    SetCheckpoint(FILE_ID, __LINE__);
    WriteLine("FOCUS GAINED");
    if (m_cbRestoredFocus)
        m_cbRestoredFocus();
    // Twice, so the time spent inactive does not reach the next frame.
    UpdateTimer();
    UpdateTimer();
    if (InpDirectInputExists())
        InpReacquire();
    if (m_bSfxInitialised && !SfxHasNoSoundCard())
        SfxResume();
}

void CTesser::OnFocusLost()
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (m_cbLostFocus)
        m_cbLostFocus();
    WriteLine("FOCUS LOST");
    VQuadBatchAbandon();
    if (m_bSfxInitialised && !SfxHasNoSoundCard())
        SfxPause();
}

// ---- Messages and the main loop ---------------------------------------------

int CTesser::ProcessMessages()
{
    SetCheckpoint(FILE_ID, __LINE__);
    tsr::Message message;
    while (tsr::PeekMessage(message, tsr::PM_REMOVE)) {
        tsr::TranslateMessage(message);
        tsr::DispatchMessage(message);
        if (message.message == tsr::WM_QUIT)
            return -1;
    }
    return 0;
}

int CTesser::UpdateAllSystems()
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (ProcessMessages() == -1)
        return -1;
    if (!IsApplicationActive())
        return 0;
    if (GfxDeviceExists() && !GfxCheckDevice())
        return 0;
    UpdateTimer();
    if (InpDirectInputExists())
        InpUpdate();
    SfxUpdate();
    return 1;
}

void CTesser::RunMainLoop(TSNFrameCallback frameCallback)
{
    SetCheckpoint(FILE_ID, __LINE__);
    EHS_CHECK(frameCallback != nullptr, EHS_GAME, "RunMainLoop: frame callback is NULL!");
    while (!IsQuitRequested()) {
        const int result = UpdateAllSystems();
        if (result == 0) {
            tsr::WaitMessage();
        } else if (result == -1) {
            RequestQuit();
        } else if (!frameCallback()) {
            break;
        }
    }
}
