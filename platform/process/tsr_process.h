// Process-level services the engine expects from the system: one running
// copy per user session, processor faults delivered as exceptions, a
// message box, and the local time.
#pragma once

#include <cstdint>
#include <string>

namespace tsr {

// ---- Single instance ------------------------------------------------------
// A named mutex becomes an exclusive flock() on "<dir>/<name>.lock". The
// folder is $TSR_LOCK_DIR when set (tests give each run its own), else the
// user's runtime folder ($XDG_RUNTIME_DIR), else /tmp/tesseron-<uid>.
std::string InstanceLockDirectory();
std::string InstanceLockPath(const std::string& name);

// One held lock; released when destroyed.
class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    enum class Result { Acquired, AlreadyHeld, Failed };
    // Opens (creating) the file and takes the lock without waiting.
    Result Acquire(const std::string& path);
    bool IsHeld() const { return m_fd >= 0; }
    void Release();

private:
    int m_fd = -1;
};

// The process entry's lock: taken once and held until the process ends.
InstanceLock::Result AcquireSingleInstance(const std::string& name);

// ---- Processor faults -----------------------------------------------------
// Fault codes with their Windows values.
constexpr uint32_t FAULT_DATATYPE_MISALIGNMENT = 0x80000002u;
constexpr uint32_t FAULT_BREAKPOINT = 0x80000003u;
constexpr uint32_t FAULT_SINGLE_STEP = 0x80000004u;
constexpr uint32_t FAULT_ACCESS_VIOLATION = 0xC0000005u;
constexpr uint32_t FAULT_IN_PAGE_ERROR = 0xC0000006u;
constexpr uint32_t FAULT_ILLEGAL_INSTRUCTION = 0xC000001Du;
constexpr uint32_t FAULT_ARRAY_BOUNDS_EXCEEDED = 0xC000008Cu;
constexpr uint32_t FAULT_FLT_DENORMAL_OPERAND = 0xC000008Du;
constexpr uint32_t FAULT_FLT_DIVIDE_BY_ZERO = 0xC000008Eu;
constexpr uint32_t FAULT_FLT_INEXACT_RESULT = 0xC000008Fu;
constexpr uint32_t FAULT_FLT_INVALID_OPERATION = 0xC0000090u;
constexpr uint32_t FAULT_FLT_OVERFLOW = 0xC0000091u;
constexpr uint32_t FAULT_FLT_UNDERFLOW = 0xC0000093u;
constexpr uint32_t FAULT_INT_DIVIDE_BY_ZERO = 0xC0000094u;
constexpr uint32_t FAULT_INT_OVERFLOW = 0xC0000095u;
constexpr uint32_t FAULT_PRIV_INSTRUCTION = 0xC0000096u;
constexpr uint32_t FAULT_STACK_OVERFLOW = 0xC00000FDu;

// The Windows code of a fault signal (SIGSEGV, SIGBUS, SIGFPE, SIGILL,
// SIGTRAP) with its si_code; 0 when there is none.
uint32_t FaultCodeFromSignal(int signo, int siCode, bool nearStackPointer);

// Called on the faulting thread with the fault's code and its siginfo_t.
// It is expected to throw; if it returns, UnknownProcessorFault is thrown.
// Code around a faulting instruction must be built with
// -fnon-call-exceptions so that the exception can unwind through it.
using FaultTranslator = void (*)(uint32_t code, void* details);
struct UnknownProcessorFault {
    uint32_t code;
    int signo;
};

// Installs the fault signal handlers (on an alternate stack, so a stack
// overflow can still be reported) for the calling thread.
void InstallFaultTranslator(FaultTranslator translator);

// ---- Message box ----------------------------------------------------------
constexpr uint32_t MB_OK = 0x00000000u;
constexpr uint32_t MB_ICONERROR = 0x00000010u;
constexpr uint32_t MB_ICONWARNING = 0x00000030u;
constexpr uint32_t MB_ICONINFORMATION = 0x00000040u;
constexpr int IDOK = 1;

// A modal box with an OK button when a display is there; otherwise the
// caption and text go to stderr. Returns IDOK. *shown (if given) tells
// whether a real box was shown.
int MessageBox(const std::string& text, const std::string& caption, uint32_t type, bool* shown = nullptr);

// ---- Local time -----------------------------------------------------------
struct LocalTime {
    int year = 1970;
    int month = 1; // 1-12
    int day = 1;   // 1-31
    int hour = 0;
    int minute = 0;
    int second = 0;
};
LocalTime GetLocalTime();

// ---- Instance handle ------------------------------------------------------
// What the window layer registers its class with; one per process.
using InstanceHandle = void*;
InstanceHandle GetModuleHandle();

} // namespace tsr
