// The process entry: one copy per user session, processor faults turned
// into CEHSException, the engine object around GameMain, and the three
// fatal-error handlers.
#include <new>

#include "ctesser.h"
#include "platform/process/tsr_process.h"

namespace {

constexpr const char* INSTANCE_NAME = "Tesseron App";

// The engine object of this run; null before it exists and once it has
// been destroyed, so no path destroys it twice.
CTesser* g_engine = nullptr;

void DestroyEngine(bool fatal) noexcept
{
    CTesser* engine = g_engine;
    g_engine = nullptr;
    if (!engine)
        return;
    if (fatal)
        engine->SetFatalShutdown();
    delete engine; // the destructor reports its own failures and never throws
}

} // namespace

int TesseronMain(int, char**)
{
    // A second copy exits at once, before anything is written.
    if (tsr::AcquireSingleInstance(INSTANCE_NAME) != tsr::InstanceLock::Result::Acquired)
        return 0;

    try {
        tsr::InstallFaultTranslator(TranslateStructuredException);
        SetProgramInstance(tsr::GetModuleHandle());

        try {
            g_engine = new CTesser();
        } catch (const std::bad_alloc&) {
            g_engine = nullptr;
        }
        if (!g_engine)
            throw CEHSException(EHS_GENERAL, 0, "Cannot create CTesser object!", __FILE__, __LINE__);

        GameMain(g_engine);

        DestroyEngine(false);
        return 0;
    } catch (...) {
        EHSReportCurrentException();
    }
    DestroyEngine(true);
    return 0;
}
