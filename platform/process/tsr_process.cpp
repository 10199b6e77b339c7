// Process services on Linux: flock for the single instance, signal handlers
// for processor faults, SDL for the message box, localtime_r for the time.
#include "platform/process/tsr_process.h"

#include <SDL.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <ucontext.h>
#include <unistd.h>

namespace tsr {

// ---- Single instance ------------------------------------------------------

namespace {

std::string EnvOrEmpty(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

} // namespace

std::string InstanceLockDirectory()
{
    std::string dir = EnvOrEmpty("TSR_LOCK_DIR");
    if (!dir.empty())
        return dir;
    dir = EnvOrEmpty("XDG_RUNTIME_DIR");
    if (!dir.empty())
        return dir;
    return "/tmp/tesseron-" + std::to_string(static_cast<unsigned long>(getuid()));
}

std::string InstanceLockPath(const std::string& name)
{
    return InstanceLockDirectory() + "/" + name + ".lock";
}

InstanceLock::~InstanceLock() { Release(); }

void InstanceLock::Release()
{
    if (m_fd >= 0) {
        close(m_fd); // closing the descriptor drops the flock
        m_fd = -1;
    }
}

InstanceLock::Result InstanceLock::Acquire(const std::string& path)
{
    Release();
    // The folder may not exist yet (a fresh per-test folder, or the /tmp
    // fallback); only the last component is made, private to the user.
    const std::string::size_type slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0)
        mkdir(path.substr(0, slash).c_str(), 0700);

    // O_CLOEXEC: a child process must not keep our lock alive after we end.
    // O_NOFOLLOW: in a shared folder such as /tmp the name must not lead
    // somewhere else.
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return Result::Failed;
    int rc;
    do {
        rc = flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const bool held = (errno == EWOULDBLOCK);
        close(fd);
        return held ? Result::AlreadyHeld : Result::Failed;
    }
    m_fd = fd;
    return Result::Acquired;
}

InstanceLock::Result AcquireSingleInstance(const std::string& name)
{
    // Held until the process ends, like the mutex handle it stands for.
    static InstanceLock lock;
    return lock.Acquire(InstanceLockPath(name));
}

// ---- Processor faults -----------------------------------------------------

uint32_t FaultCodeFromSignal(int signo, int siCode, bool nearStackPointer)
{
    switch (signo) {
    case SIGSEGV:
        return nearStackPointer ? FAULT_STACK_OVERFLOW : FAULT_ACCESS_VIOLATION;
    case SIGBUS:
        return siCode == BUS_ADRALN ? FAULT_DATATYPE_MISALIGNMENT : FAULT_IN_PAGE_ERROR;
    case SIGFPE:
        switch (siCode) {
        case FPE_INTDIV: return FAULT_INT_DIVIDE_BY_ZERO;
        case FPE_INTOVF: return FAULT_INT_OVERFLOW;
        case FPE_FLTDIV: return FAULT_FLT_DIVIDE_BY_ZERO;
        case FPE_FLTOVF: return FAULT_FLT_OVERFLOW;
        case FPE_FLTUND: return FAULT_FLT_UNDERFLOW;
        case FPE_FLTRES: return FAULT_FLT_INEXACT_RESULT;
        case FPE_FLTINV: return FAULT_FLT_INVALID_OPERATION;
        case FPE_FLTSUB: return FAULT_ARRAY_BOUNDS_EXCEEDED;
        default: return 0;
        }
    case SIGILL:
        switch (siCode) {
        case ILL_PRVOPC:
        case ILL_PRVREG: return FAULT_PRIV_INSTRUCTION;
        case ILL_BADSTK: return FAULT_STACK_OVERFLOW;
        default: return FAULT_ILLEGAL_INSTRUCTION;
        }
    case SIGTRAP:
        return siCode == TRAP_TRACE ? FAULT_SINGLE_STEP : FAULT_BREAKPOINT;
    default:
        return 0;
    }
}

namespace {

constexpr int kFaultSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP};
// Big enough for the handler, the translator and the start of a throw.
constexpr size_t kAltStackSize = 256 * 1024;
alignas(16) unsigned char g_altStack[kAltStackSize];
FaultTranslator g_translator = nullptr;

uintptr_t StackPointerOf(void* context)
{
    const auto* uc = static_cast<const ucontext_t*>(context);
#if defined(__x86_64__)
    return static_cast<uintptr_t>(uc->uc_mcontext.gregs[REG_RSP]);
#elif defined(__aarch64__)
    return static_cast<uintptr_t>(uc->uc_mcontext.sp);
#elif defined(__i386__)
    return static_cast<uintptr_t>(uc->uc_mcontext.gregs[REG_ESP]);
#else
    (void)uc;
    return 0;
#endif
}

// Set while a fault is being turned into an exception; cleared when the
// exception leaves the handler. A fault inside that window (the translator
// itself failing) must not nest handlers on the alternate stack forever.
volatile sig_atomic_t g_translating = 0;

struct TranslatingScope {
    TranslatingScope() { g_translating = 1; }
    ~TranslatingScope() { g_translating = 0; }
};

void FaultHandler(int signo, siginfo_t* info, void* context)
{
    // Signals sent by kill() or raise() are not faults of our code and may
    // arrive anywhere: let them take their default course.
    if (info->si_code <= 0) {
        signal(signo, SIG_DFL);
        raise(signo);
        return;
    }
    if (g_translating) {
        // Returning re-runs the faulting instruction under the default
        // action: the process ends the way it would without us.
        signal(signo, SIG_DFL);
        return;
    }
    const TranslatingScope scope;
    bool nearStack = false;
    if (signo == SIGSEGV) {
        // A fault within a few pages of the stack pointer is the guard page
        // below the stack: a stack overflow.
        const uintptr_t sp = StackPointerOf(context);
        const auto addr = reinterpret_cast<uintptr_t>(info->si_addr);
        const uintptr_t window = 64 * 1024;
        nearStack = sp != 0 && addr + window >= sp && addr <= sp + window;
    }
    const uint32_t code = FaultCodeFromSignal(signo, info->si_code, nearStack);
    if (g_translator)
        g_translator(code, info);
    throw UnknownProcessorFault{code, signo};
}

} // namespace

void InstallFaultTranslator(FaultTranslator translator)
{
    g_translator = translator;

    stack_t alt{};
    alt.ss_sp = g_altStack;
    alt.ss_size = sizeof g_altStack;
    alt.ss_flags = 0;
    sigaltstack(&alt, nullptr);

    struct sigaction action{};
    action.sa_sigaction = FaultHandler;
    sigemptyset(&action.sa_mask);
    // SA_NODEFER: the handler leaves by throwing, never by returning, so the
    // signal must not stay blocked afterwards (a later fault must be seen).
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_NODEFER;
    for (int signo : kFaultSignals)
        sigaction(signo, &action, nullptr);
}

// ---- Message box ----------------------------------------------------------

namespace {

bool DisplayAvailable()
{
    const std::string driver = EnvOrEmpty("SDL_VIDEODRIVER");
    if (driver == "offscreen" || driver == "dummy" || driver == "evdev")
        return false;
    return !EnvOrEmpty("DISPLAY").empty() || !EnvOrEmpty("WAYLAND_DISPLAY").empty();
}

} // namespace

int MessageBox(const std::string& text, const std::string& caption, uint32_t type, bool* shown)
{
    bool boxShown = false;
    if (DisplayAvailable()) {
        Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
        if ((type & 0xF0u) == MB_ICONERROR)
            flags = SDL_MESSAGEBOX_ERROR;
        else if ((type & 0xF0u) == MB_ICONWARNING)
            flags = SDL_MESSAGEBOX_WARNING;
        boxShown = SDL_ShowSimpleMessageBox(flags, caption.c_str(), text.c_str(), nullptr) == 0;
    }
    if (!boxShown) {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        std::fflush(stderr);
    }
    if (shown)
        *shown = boxShown;
    return IDOK;
}

// ---- Local time -----------------------------------------------------------

LocalTime GetLocalTime()
{
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    LocalTime out;
    if (localtime_r(&now, &parts)) {
        out.year = parts.tm_year + 1900;
        out.month = parts.tm_mon + 1;
        out.day = parts.tm_mday;
        out.hour = parts.tm_hour;
        out.minute = parts.tm_min;
        out.second = parts.tm_sec;
    }
    return out;
}

// ---- Instance handle ------------------------------------------------------

InstanceHandle GetModuleHandle()
{
    // Any stable, non-null address of this program serves as its handle.
    static const char token = 0;
    return const_cast<char*>(&token);
}

} // namespace tsr
