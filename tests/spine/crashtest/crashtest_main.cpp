// A small program on the engine's process entry that fails on purpose, for
// the end-to-end tests of the fatal-error path. TSR_CRASHTEST_MODE picks
// what happens in the third frame of the main loop:
//   normal           five frames, then a normal shut-down
//   game-check       a Game-type check fails
//   string           a message built at run time is thrown as text
//   char-ptr         a char* (not const) is thrown
//   unknown          an int is thrown
//   null-write       a write through a null pointer
//   int-div-zero     an integer division by zero
//   stack-overflow   endless recursion
//   after-shutdown   normal loop and game shut-down, then a null write
//   termination-throws  a Game check fails, and the game's shut-down
//                    throws when the engine runs it again
//   quit-message     the loop ends through WM_QUIT, as closing the window does
//   no-engine        the engine object cannot be allocated
//   wait             sits in start-up until the file "stop" appears in the
//                    current folder (writes "ready" first)
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <new>
#include <string>
#include <thread>

#include "ctesser.h"
#include "platform/messages/tsr_messages.h"

namespace {

constexpr int32_t FILE_ID = 1005;
// Checkpoint line reported for faults in the frame callback.
constexpr int32_t FRAME_CHECKPOINT_LINE = 4242;
constexpr int32_t AFTER_SHUTDOWN_CHECKPOINT_LINE = 4343;

std::string g_mode;
CTesser* g_engine = nullptr;
int* g_gameResource = nullptr;
int g_frames = 0;
int g_shutdowns = 0;

// Volatile so that the compiler can neither see the null pointer nor the
// zero divisor: the faults must happen at run time.
int* volatile g_nullPointer = nullptr;
volatile int g_zero = 0;
volatile int g_sink = 0;

int Recurse(int depth);
// Called through a volatile pointer: an optimiser that sees a direct
// self-call may turn the recursion into a loop that never overflows.
int (*volatile g_recurse)(int) = Recurse;

int Recurse(int depth)
{
    volatile char pad[1024];
    pad[0] = static_cast<char>(depth);
    if (depth == g_zero - 1) // never: the recursion has no end
        return 0;
    return g_recurse(depth + 1) + pad[0];
}

void GameShutdown()
{
    ++g_shutdowns;
    if (g_gameResource) {
        delete g_gameResource;
        g_gameResource = nullptr;
        g_engine->WriteEntry("Game shut-down: resources freed.", LOG_SUCCESS);
    } else {
        g_engine->WriteEntry("Game shut-down: nothing left to free.", LOG_SUCCESS);
    }
    if (g_mode == "termination-throws" && g_shutdowns == 1)
        throw "Game shut-down failed!";
}

bool Frame()
{
    SetCheckpoint(FILE_ID, FRAME_CHECKPOINT_LINE);
    ++g_frames;
    if (g_frames == 3) {
        if (g_mode == "game-check" || g_mode == "termination-throws") {
            EHS_CHECK(g_frames != 3, EHS_GAME, "Invalid level data!");
        } else if (g_mode == "string") {
            const std::string path = std::string(".\\data\\") + "level" + std::to_string(g_frames) + ".xml";
            EHSThrowMessage("XMLERROR: the file is empty - " + path);
        } else if (g_mode == "char-ptr") {
            static char text[] = "Plain text thrown as char*.";
            throw static_cast<char*>(text);
        } else if (g_mode == "unknown") {
            throw 42;
        } else if (g_mode == "null-write") {
            *g_nullPointer = 1;
        } else if (g_mode == "int-div-zero") {
            g_sink = 100 / g_zero;
        } else if (g_mode == "stack-overflow") {
            g_sink = Recurse(0);
        } else if (g_mode == "quit-message") {
            tsr::PostQuitMessage(0);
        }
    }
    return g_frames < 5;
}

void WaitForStopFile()
{
    std::ofstream("ready") << "ready\n";
    for (int i = 0; i < 3000; ++i) {
        if (std::ifstream("stop").good())
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

bool FailEngineAllocation()
{
    const char* mode = std::getenv("TSR_CRASHTEST_MODE");
    return mode && std::strcmp(mode, "no-engine") == 0;
}

// Read by operator new below; false until set, so allocations made before
// it is initialised succeed.
bool g_failEngineAllocation = FailEngineAllocation();

} // namespace

// Lets the "no-engine" mode refuse the one allocation of the engine object.
void* operator new(std::size_t size)
{
    if (g_failEngineAllocation && size == sizeof(CTesser)) {
        g_failEngineAllocation = false;
        throw std::bad_alloc();
    }
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

void GameMain(CTesser* engine)
{
    const char* mode = std::getenv("TSR_CRASHTEST_MODE");
    g_mode = mode ? mode : "normal";
    g_engine = engine;

    engine->SetApplicationInfo("CrashTest", "v. 1.0");
    engine->RegisterCallback(GameShutdown, CALLBACK_TERMINATION);
    g_gameResource = new int(7);

    if (g_mode == "wait")
        WaitForStopFile();

    // No window here: the program is its own active application.
    SetApplicationActive(true);
    engine->RunMainLoop(Frame);
    engine->WriteEntry("Main loop ended after " + std::to_string(g_frames) + " frames.", LOG_STEP);
    GameShutdown();

    if (g_mode == "after-shutdown") {
        SetCheckpoint(FILE_ID, AFTER_SHUTDOWN_CHECKPOINT_LINE);
        *g_nullPointer = 2;
    }
}

int main(int argc, char** argv) { return TesseronMain(argc, argv); }
