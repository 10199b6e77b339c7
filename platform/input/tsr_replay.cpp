// Input replay and record. See tsr_replay.h.
//
// The stream is a message source of the program's queue: its pump starts a
// frame (clock step, then that frame's replayed events, pushed into SDL's
// queue where the input devices and the game window see them like real
// ones), and does nothing more until the frame has ended. Queue pumps happen
// once per PeekMessage, several times a frame, so a frame is not counted by
// pumps but ended by the keyboard read, or by a wait while the window is
// inactive and nothing is read.
#include "platform/input/tsr_replay.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "platform/clock/tsr_clock.h"
#include "platform/files/tsr_files.h"
#include "platform/input/tsr_dik.h"
#include "platform/input/tsr_dinput.h"
#include "platform/input/tsr_input_internal.h"
#include "platform/input/tsr_keymap.h"
#include "platform/messages/tsr_messages.h"
#include "platform/window/tsr_gamewindow.h"
#include "platform/window/tsr_gamewindow_sdl.h"

namespace tsr {
namespace {

// ---- The file format -------------------------------------------------------------

struct EventWord {
    std::string_view word;
    InputEventKind kind;
};

constexpr EventWord kEventWords[] = {
    {"keydown", InputEventKind::KeyDown},         {"keyup", InputEventKind::KeyUp},
    {"mousemove", InputEventKind::MouseMove},     {"buttondown", InputEventKind::ButtonDown},
    {"buttonup", InputEventKind::ButtonUp},       {"wheel", InputEventKind::Wheel},
    {"focuslost", InputEventKind::FocusLost},     {"focusgained", InputEventKind::FocusGained},
    {"minimize", InputEventKind::Minimize},       {"restore", InputEventKind::Restore},
    {"close", InputEventKind::Close},
};

std::string_view WordOf(InputEventKind kind)
{
    for (const EventWord& w : kEventWords)
        if (w.kind == kind)
            return w.word;
    return {};
}

std::vector<std::string_view> SplitWords(std::string_view line)
{
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        const size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            ++i;
        if (i > start)
            words.push_back(line.substr(start, i - start));
    }
    return words;
}

template <class T>
bool ParseNumber(std::string_view s, T& out, int base = 10)
{
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    const char* end = s.data() + s.size();
    auto [ptr, ec] = std::from_chars(s.data(), end, out, base);
    return ec == std::errc() && ptr == end && !s.empty();
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

bool ParseKey(std::string_view word, int32_t& code)
{
    if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
        uint32_t value = 0;
        if (!ParseNumber(word.substr(2), value, 16) || value == 0 || value > 255)
            return false;
        code = static_cast<int32_t>(value);
        return true;
    }
    for (const KeyName& k : kKeyNames)
        if (EqualsNoCase(k.name, word)) {
            code = k.code;
            return true;
        }
    return false;
}

// Reads the arguments of one event; returns an error text or "".
std::string ParseArguments(InputEvent& ev, const std::vector<std::string_view>& args)
{
    auto count = [&](size_t n) { return args.size() == n; };
    switch (ev.kind) {
    case InputEventKind::KeyDown:
    case InputEventKind::KeyUp:
        if (!count(1))
            return "expects one key name";
        if (!ParseKey(args[0], ev.a))
            return "unknown key \"" + std::string(args[0]) + "\"";
        return "";
    case InputEventKind::MouseMove:
        if (!count(2) && !count(4))
            return "expects x y, or x y dx dy";
        if (!ParseNumber(args[0], ev.a) || !ParseNumber(args[1], ev.b))
            return "bad position";
        if (count(4)) {
            if (!ParseNumber(args[2], ev.c) || !ParseNumber(args[3], ev.d))
                return "bad relative motion";
            ev.hasMotion = true;
        }
        return "";
    case InputEventKind::ButtonDown:
    case InputEventKind::ButtonUp:
        if (!count(1) || !ParseNumber(args[0], ev.a) || ev.a < 1 || ev.a > 8)
            return "expects a button number 1-8";
        return "";
    case InputEventKind::Wheel:
        if (!count(1) || !ParseNumber(args[0], ev.a) || ev.a == 0 || ev.a < -1000 || ev.a > 1000)
            return "expects a non-zero number of notches";
        return "";
    default:
        if (!args.empty())
            return "takes no arguments";
        return "";
    }
}

} // namespace

bool ParseInputScript(std::string_view text, InputScript& out, std::string& error)
{
    InputScript script;
    bool haveEvents = false;
    uint32_t lastFrame = 0;
    int lineNo = 0;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        if (const size_t hash = line.find('#'); hash != std::string_view::npos)
            line = line.substr(0, hash);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const std::vector<std::string_view> words = SplitWords(line);
        if (words.empty())
            continue;
        auto fail = [&](const std::string& why) {
            error = "line " + std::to_string(lineNo) + ": " + why;
            return false;
        };

        if (words[0] == "step") {
            uint32_t step = 0;
            if (words.size() != 2 || !ParseNumber(words[1], step) || step < 1 || step > 1000)
                return fail("step expects milliseconds 1-1000");
            if (haveEvents)
                return fail("step must come before the events");
            script.stepMs = step;
            continue;
        }

        InputEvent ev;
        if (!ParseNumber(words[0], ev.frame) || ev.frame < 1)
            return fail("expected a frame number (1 or more) or \"step\"");
        if (ev.frame < lastFrame)
            return fail("frame " + std::to_string(ev.frame) + " comes after frame " + std::to_string(lastFrame));
        if (words.size() < 2)
            return fail("missing event");
        bool known = false;
        for (const EventWord& w : kEventWords)
            if (w.word == words[1]) {
                ev.kind = w.kind;
                known = true;
            }
        if (!known)
            return fail("unknown event \"" + std::string(words[1]) + "\"");
        const std::vector<std::string_view> args(words.begin() + 2, words.end());
        if (std::string why = ParseArguments(ev, args); !why.empty())
            return fail(std::string(words[1]) + " " + why);
        lastFrame = ev.frame;
        haveEvents = true;
        script.events.push_back(ev);
    }
    out = std::move(script);
    error.clear();
    return true;
}

std::string FormatInputEvent(const InputEvent& ev)
{
    std::ostringstream s;
    s << ev.frame << ' ' << WordOf(ev.kind);
    switch (ev.kind) {
    case InputEventKind::KeyDown:
    case InputEventKind::KeyUp: {
        const std::string_view name = KeyNameFromCode(static_cast<uint8_t>(ev.a));
        if (!name.empty()) {
            s << ' ' << name;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned>(ev.a & 0xFF));
            s << ' ' << hex;
        }
        break;
    }
    case InputEventKind::MouseMove:
        s << ' ' << ev.a << ' ' << ev.b;
        if (ev.hasMotion)
            s << ' ' << ev.c << ' ' << ev.d;
        break;
    case InputEventKind::ButtonDown:
    case InputEventKind::ButtonUp:
    case InputEventKind::Wheel:
        s << ' ' << ev.a;
        break;
    default:
        break;
    }
    return s.str();
}

// ---- The running stream ------------------------------------------------------------

namespace {

enum class Mode { None, Replay, Record };

struct Stream {
    Mode mode = Mode::None;
    uint32_t stepMs = kDefaultReplayStepMs;
    // Replay.
    InputScript script;
    size_t next = 0;
    std::array<bool, 256> keysHeld{};
    std::array<bool, 8> buttonsHeld{};
    int32_t cursorX = 0, cursorY = 0;
    bool cursorPlaced = false;
    // Record.
    UniqueFile file;
    std::chrono::steady_clock::time_point frameDue{};
    int32_t recordedX = 0, recordedY = 0;
    bool recordedPlaced = false;
    // Seen but not yet written: which frame an event belongs to is known
    // only at the stream's next pump or wait (see Record).
    std::vector<InputEvent> pending;
    // Frames.
    uint32_t frame = 0;
    bool frameOpen = false;
    bool attached = false;
    int sourceId = -1;
    bool filterSet = false;
};

Stream& TheStream()
{
    static Stream stream;
    return stream;
}

void StartVirtualClock()
{
    if (!IsVirtualClock())
        UseVirtualClock(kReplayClockStartMs);
}

uint32_t MainWindowId()
{
    SDL_Window* w = GetSDLWindow(GetMainGameWindow());
    return w ? SDL_GetWindowID(w) : 0;
}

uint16_t HeldModifiers(const Stream& s)
{
    uint16_t mod = KMOD_NONE;
    if (s.keysHeld[DIK_LSHIFT]) mod |= KMOD_LSHIFT;
    if (s.keysHeld[DIK_RSHIFT]) mod |= KMOD_RSHIFT;
    if (s.keysHeld[DIK_LCONTROL]) mod |= KMOD_LCTRL;
    if (s.keysHeld[DIK_RCONTROL]) mod |= KMOD_RCTRL;
    if (s.keysHeld[DIK_LMENU]) mod |= KMOD_LALT;
    if (s.keysHeld[DIK_RMENU]) mod |= KMOD_RALT;
    return mod;
}

uint32_t HeldButtonMask(const Stream& s)
{
    uint32_t mask = 0;
    for (int b = 1; b <= 8; ++b)
        if (s.buttonsHeld[static_cast<size_t>(b - 1)])
            mask |= SDL_BUTTON(input_detail::SdlButtonFromMouseButton(b));
    return mask;
}

void PushWindowEvent(uint8_t which)
{
    const uint32_t id = MainWindowId();
    if (id == 0)
        return;
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = id;
    e.window.event = which;
    e.window.data1 = input_detail::kReplayWindowMark;
    SDL_PushEvent(&e);
}

void Deliver(Stream& s, const InputEvent& ev)
{
    using namespace input_detail;
    SDL_Event e{};
    switch (ev.kind) {
    case InputEventKind::KeyDown:
    case InputEventKind::KeyUp: {
        const bool down = ev.kind == InputEventKind::KeyDown;
        const uint8_t code = static_cast<uint8_t>(ev.a);
        s.keysHeld[code] = down;
        const auto scancode = static_cast<SDL_Scancode>(ScancodeFromDik(code));
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.windowID = MainWindowId();
        e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.scancode = scancode;
        e.key.keysym.sym = scancode != SDL_SCANCODE_UNKNOWN ? SDL_GetKeyFromScancode(scancode) : SDLK_UNKNOWN;
        e.key.keysym.mod = HeldModifiers(s);
        e.key.keysym.unused = kReplayKeyMark | code;
        break;
    }
    case InputEventKind::MouseMove:
        e.type = SDL_MOUSEMOTION;
        e.motion.windowID = MainWindowId();
        e.motion.which = kReplayMouseId;
        e.motion.state = HeldButtonMask(s);
        e.motion.x = ev.a;
        e.motion.y = ev.b;
        e.motion.xrel = ev.hasMotion ? ev.c : (s.cursorPlaced ? ev.a - s.cursorX : 0);
        e.motion.yrel = ev.hasMotion ? ev.d : (s.cursorPlaced ? ev.b - s.cursorY : 0);
        s.cursorX = ev.a;
        s.cursorY = ev.b;
        s.cursorPlaced = true;
        break;
    case InputEventKind::ButtonDown:
    case InputEventKind::ButtonUp: {
        const bool down = ev.kind == InputEventKind::ButtonDown;
        s.buttonsHeld[static_cast<size_t>(ev.a - 1)] = down;
        e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        e.button.windowID = MainWindowId();
        e.button.which = kReplayMouseId;
        e.button.button = static_cast<uint8_t>(SdlButtonFromMouseButton(ev.a));
        e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.button.clicks = 1;
        e.button.x = s.cursorPlaced ? s.cursorX : -1;
        e.button.y = s.cursorPlaced ? s.cursorY : -1;
        break;
    }
    case InputEventKind::Wheel:
        e.type = SDL_MOUSEWHEEL;
        e.wheel.windowID = MainWindowId();
        e.wheel.which = kReplayMouseId;
        e.wheel.y = ev.a;
        e.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
        break;
    case InputEventKind::FocusLost:
        PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
        return;
    case InputEventKind::FocusGained:
        PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
        return;
    case InputEventKind::Minimize:
        PushWindowEvent(SDL_WINDOWEVENT_MINIMIZED);
        return;
    case InputEventKind::Restore:
        PushWindowEvent(SDL_WINDOWEVENT_RESTORED);
        return;
    case InputEventKind::Close:
        PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
        return;
    }
    SDL_PushEvent(&e);
}

void Pace(Stream& s)
{
    using clock = std::chrono::steady_clock;
    const clock::time_point now = clock::now();
    if (s.frameDue > now) {
        std::this_thread::sleep_until(s.frameDue);
        s.frameDue += std::chrono::milliseconds(s.stepMs);
    } else {
        s.frameDue = now + std::chrono::milliseconds(s.stepMs);
    }
}

void WriteRecordLine(Stream& s, const std::string& line);

// Writes the events seen so far as events of `frame`.
void FlushPending(Stream& s, uint32_t frame)
{
    for (InputEvent& ev : s.pending) {
        ev.frame = std::max<uint32_t>(frame, 1);
        WriteRecordLine(s, FormatInputEvent(ev));
    }
    s.pending.clear();
}

void Pump()
{
    Stream& s = TheStream();
    if (s.mode == Mode::None)
        return;
    if (s.frameOpen) {
        // Seen during this frame, before its input read or window pump.
        if (s.mode == Mode::Record)
            FlushPending(s, s.frame);
        return;
    }
    s.frameOpen = true;
    ++s.frame;
    if (IsVirtualClock())
        AdvanceVirtualClock(s.stepMs);
    if (s.mode == Mode::Record) {
        Pace(s);
        FlushPending(s, s.frame);
        return;
    }
    bool delivered = false;
    while (s.next < s.script.events.size() && s.script.events[s.next].frame <= s.frame) {
        Deliver(s, s.script.events[s.next++]);
        delivered = true;
    }
    // A message in the queue makes the loop pump once more, so that the
    // window sees the pushed events (focus, close) in this same frame.
    if (delivered)
        PostMessage(nullptr, WM_NULL, 0, 0);
}

void Wait(int)
{
    Stream& s = TheStream();
    // Whatever arrived while the window waited is handled after this wait,
    // in the next frame.
    if (s.mode == Mode::Record)
        FlushPending(s, s.frame + 1);
    s.frameOpen = false;
}

// During a replay the live keyboard, mouse and focus stay out of the
// program: they would make every run different.
int SDLCALL FilterLiveInput(void*, SDL_Event* event)
{
    const SDL_Event& e = *event;
    if (input_detail::IsReplayedEvent(e))
        return 1;
    if (IsInputEvent(e.type))
        return 0;
    switch (e.type) {
    case SDL_WINDOWEVENT:
        switch (e.window.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED:
        case SDL_WINDOWEVENT_FOCUS_LOST:
        case SDL_WINDOWEVENT_MINIMIZED:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED:
        case SDL_WINDOWEVENT_ENTER:
        case SDL_WINDOWEVENT_LEAVE:
        case SDL_WINDOWEVENT_TAKE_FOCUS:
        case SDL_WINDOWEVENT_CLOSE:
            return 0;
        default:
            return 1;
        }
    default:
        return 1;
    }
}

void ApplyFilter(Stream& s)
{
    const bool want = s.attached && s.mode == Mode::Replay;
    if (want == s.filterSet)
        return;
    SDL_SetEventFilter(want ? FilterLiveInput : nullptr, nullptr);
    s.filterSet = want;
}

void WriteRecordLine(Stream& s, const std::string& line)
{
    if (!s.file)
        return;
    std::fputs(line.c_str(), s.file.get());
    std::fputc('\n', s.file.get());
    // Flushed line by line: a crash keeps everything up to it.
    std::fflush(s.file.get());
}

// An event belongs to the frame in which the program first acts on it: the
// game window handles its events in its own pump, which may come before or
// after this stream's in the same pass, or in the next pass after a wait.
// So an event waits here for the stream's next pump (this frame, or the one
// it opens) or wait (the next frame).
void Record(Stream& s, const InputEvent& ev) { s.pending.push_back(ev); }

// The relative motion is always written: a button event that places the
// cursor moves the device by nothing.
void RecordCursor(Stream& s, float px, float py, bool fromMotion, int32_t dx, int32_t dy)
{
    const int32_t x = static_cast<int32_t>(std::floor(px));
    const int32_t y = static_cast<int32_t>(std::floor(py));
    if (!fromMotion && s.recordedPlaced && x == s.recordedX && y == s.recordedY)
        return;
    InputEvent ev;
    ev.kind = InputEventKind::MouseMove;
    ev.a = x;
    ev.b = y;
    ev.c = dx;
    ev.d = dy;
    ev.hasMotion = true;
    s.recordedX = x;
    s.recordedY = y;
    s.recordedPlaced = true;
    Record(s, ev);
}

// The static start from the environment, before main and before the engine
// reads its first time.
void Fatal(const std::string& text)
{
    std::fprintf(stderr, "tesseron: %s\n", text.c_str());
    std::exit(2);
}

struct EnvironmentStart {
    EnvironmentStart()
    {
        const char* replay = std::getenv("TSR_REPLAY");
        const char* record = std::getenv("TSR_RECORD");
        if (replay && *replay && record && *record)
            Fatal("TSR_REPLAY and TSR_RECORD cannot be used together");
        if (replay && *replay) {
            std::ifstream in(replay, std::ios::binary);
            if (!in)
                Fatal(std::string("cannot read the replay file ") + replay);
            std::stringstream text;
            text << in.rdbuf();
            InputScript script;
            std::string error;
            if (!ParseInputScript(text.str(), script, error))
                Fatal(std::string(replay) + ": " + error);
            BeginReplay(std::move(script));
        } else if (record && *record) {
            uint32_t step = kDefaultReplayStepMs;
            if (const char* s = std::getenv("TSR_RECORD_STEP"); s && *s) {
                if (!ParseNumber(std::string_view(s), step) || step < 1 || step > 1000)
                    Fatal("TSR_RECORD_STEP expects milliseconds 1-1000");
            }
            if (!BeginRecording(record, step))
                Fatal(std::string("cannot create the record file ") + record);
        }
    }
};
const EnvironmentStart g_environmentStart;

} // namespace

void BeginReplay(InputScript script)
{
    Stream& s = TheStream();
    EndInputStream();
    s.mode = Mode::Replay;
    s.stepMs = script.stepMs;
    s.script = std::move(script);
    s.next = 0;
    s.keysHeld.fill(false);
    s.buttonsHeld.fill(false);
    s.cursorPlaced = false;
    s.frame = 0;
    s.frameOpen = false;
    StartVirtualClock();
    ApplyFilter(s);
}

bool BeginRecording(const std::string& path, uint32_t stepMs)
{
    Stream& s = TheStream();
    EndInputStream();
    UniqueFile file(std::fopen(path.c_str(), "w"));
    if (!file)
        return false;
    s.mode = Mode::Record;
    s.stepMs = stepMs;
    s.file = std::move(file);
    s.recordedPlaced = false;
    s.frameDue = {};
    s.frame = 0;
    s.frameOpen = false;
    WriteRecordLine(s, "# Tesseron input record");
    WriteRecordLine(s, "step " + std::to_string(stepMs));
    StartVirtualClock();
    return true;
}

void EndInputStream()
{
    Stream& s = TheStream();
    if (s.mode == Mode::Record)
        FlushPending(s, s.frameOpen ? s.frame : s.frame + 1);
    s.pending.clear();
    s.mode = Mode::None;
    s.file.reset();
    s.script = {};
    s.next = 0;
    ApplyFilter(s);
}

bool IsReplaying() { return TheStream().mode == Mode::Replay; }
bool IsRecording() { return TheStream().mode == Mode::Record; }
uint32_t GetInputStreamFrame() { return TheStream().frame; }
bool IsReplayFinished()
{
    const Stream& s = TheStream();
    return s.mode != Mode::Replay || s.next >= s.script.events.size();
}

namespace input_detail {

void InputStreamAttach()
{
    Stream& s = TheStream();
    if (s.attached)
        return;
    s.attached = true;
    s.frameOpen = false;
    MessageSource source;
    source.pump = Pump;
    source.wait = Wait;
    s.sourceId = AddMessageSource(std::move(source));
    ApplyFilter(s);
}

void InputStreamDetach()
{
    Stream& s = TheStream();
    if (!s.attached)
        return;
    if (s.mode == Mode::Record)
        FlushPending(s, s.frameOpen ? s.frame : s.frame + 1);
    RemoveMessageSource(s.sourceId);
    s.sourceId = -1;
    s.attached = false;
    ApplyFilter(s);
}

void InputStreamFrameRead() { TheStream().frameOpen = false; }

bool InputStreamIsReplaying() { return TheStream().mode == Mode::Replay; }

void InputStreamObserve(const SDL_Event& e, float pictureX, float pictureY)
{
    Stream& s = TheStream();
    if (s.mode != Mode::Record || !s.attached)
        return;
    InputEvent ev;
    switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        if (e.key.repeat)
            return;
        const uint8_t code = DikFromScancode(static_cast<int>(e.key.keysym.scancode));
        if (code == 0)
            return;
        ev.kind = e.type == SDL_KEYDOWN ? InputEventKind::KeyDown : InputEventKind::KeyUp;
        ev.a = code;
        break;
    }
    case SDL_MOUSEMOTION:
        RecordCursor(s, pictureX, pictureY, true, e.motion.xrel, e.motion.yrel);
        return;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const int button = MouseButtonFromSdlButton(e.button.button);
        if (button == 0)
            return;
        RecordCursor(s, pictureX, pictureY, false, 0, 0);
        ev.kind = e.type == SDL_MOUSEBUTTONDOWN ? InputEventKind::ButtonDown : InputEventKind::ButtonUp;
        ev.a = button;
        break;
    }
    case SDL_MOUSEWHEEL:
        if (e.wheel.y == 0)
            return;
        ev.kind = InputEventKind::Wheel;
        ev.a = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
        break;
    case SDL_WINDOWEVENT:
        if (!FindGameWindow(e.window.windowID))
            return;
        switch (e.window.event) {
        case SDL_WINDOWEVENT_FOCUS_LOST: ev.kind = InputEventKind::FocusLost; break;
        case SDL_WINDOWEVENT_FOCUS_GAINED: ev.kind = InputEventKind::FocusGained; break;
        case SDL_WINDOWEVENT_MINIMIZED: ev.kind = InputEventKind::Minimize; break;
        case SDL_WINDOWEVENT_RESTORED: ev.kind = InputEventKind::Restore; break;
        case SDL_WINDOWEVENT_CLOSE: ev.kind = InputEventKind::Close; break;
        case SDL_WINDOWEVENT_LEAVE: {
            // The pointer left: a replay puts the cursor where the system
            // places it now, outside the client area.
            int32_t x = -1, y = -1;
            GetCursorClientPos(FindGameWindow(e.window.windowID), x, y);
            RecordCursor(s, static_cast<float>(x), static_cast<float>(y), false, 0, 0);
            return;
        }
        default: return;
        }
        break;
    default:
        return;
    }
    Record(s, ev);
}

} // namespace input_detail
} // namespace tsr
