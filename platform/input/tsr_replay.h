// Input replay and record: playing a program without a person, the same way
// on every run, and writing what a person does so that it can be played
// back.
//
// A replay file is text, one event per line:
//
//     # comment (also after an event)
//     step 16                  milliseconds per frame (1-1000, default 16)
//     12 keydown RETURN        frame, event, arguments
//     14 keyup RETURN
//     20 mousemove 400 300     cursor to a back-buffer pixel [relative motion dx dy]
//     21 buttondown 1          mouse button 1-8 (1 left, 2 right, 3 middle)
//     22 buttonup 1
//     23 wheel -1              notches, positive away from the user
//     30 focuslost             the window loses / regains the focus
//     40 focusgained
//     45 minimize              the window is minimised / restored
//     48 restore
//     50 close                 the window is closed
//
// Keys are named as in the engine's key-name table ("ESCAPE", "A", "F9",
// "NUMPADENTER", aliases too; any letter case), or given as a code (0x1C).
// Frames count from 1, the first pass of the message loop after input has
// started (or after the stream began, when begun in a running program);
// they must not decrease. A frame ends when the keyboard is read
// (once per frame by the engine) or when the loop waits for messages while
// the window is inactive. At the start of each frame the virtual clock
// moves on by the step, then that frame's events are delivered, so the
// engine sees them in that same frame.
//
// TSR_REPLAY=<file> replays a file; TSR_RECORD=<file> records into one
// (TSR_RECORD_STEP sets its step). Both run the whole program on the
// virtual clock from its first instruction; a recording paces frames to
// the step in real time, a replay runs as fast as it can and ignores the
// live keyboard, mouse and focus.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tsr {

enum class InputEventKind {
    KeyDown,
    KeyUp,
    MouseMove,
    ButtonDown,
    ButtonUp,
    Wheel,
    FocusLost,
    FocusGained,
    Minimize,
    Restore,
    Close,
};

struct InputEvent {
    uint32_t frame = 0;
    InputEventKind kind = InputEventKind::Close;
    // KeyDown/KeyUp: a = key code. MouseMove: a, b = position, c, d =
    // relative motion (hasMotion). Buttons: a = 1-8. Wheel: a = notches.
    int32_t a = 0, b = 0, c = 0, d = 0;
    bool hasMotion = false;

    bool operator==(const InputEvent&) const = default;
};

constexpr uint32_t kDefaultReplayStepMs = 16;
// Where the virtual clock of a replayed or recorded run starts.
constexpr uint32_t kReplayClockStartMs = 10000;

struct InputScript {
    uint32_t stepMs = kDefaultReplayStepMs;
    std::vector<InputEvent> events;
};

// Reads a replay file's text. False with "line N: reason" in error for
// anything it does not understand; nothing is guessed.
bool ParseInputScript(std::string_view text, InputScript& out, std::string& error);
// One event as a line of a replay file (no line end).
std::string FormatInputEvent(const InputEvent& event);

// ---- Running a stream in this process -------------------------------------
// The environment variables are read once, before main. These are the same
// switches for tests and tools; they take effect for the input object that
// exists or the next one created.
void BeginReplay(InputScript script);
// False if the file cannot be created.
bool BeginRecording(const std::string& path, uint32_t stepMs);
// Stops either; the clock stays where it is.
void EndInputStream();
bool IsReplaying();
bool IsRecording();
// The current frame number (0 before the first).
uint32_t GetInputStreamFrame();
// The replay has delivered every event.
bool IsReplayFinished();

} // namespace tsr
