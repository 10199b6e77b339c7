// The thread message queue. One queue per process (the program has one
// thread that reads it); posting is safe from any thread, since audio and
// window-system callbacks may want to post.
#include "platform/messages/tsr_messages.h"

#include <chrono>
#include <deque>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tsr {
namespace {

struct QueueState {
    std::mutex mutex;
    std::deque<Message> queue;
    std::vector<std::pair<int, MessageSource>> sources;
    std::unordered_map<WindowHandle, WindowProc> procs;
    int nextSourceId = 1;
};

QueueState& State()
{
    static QueueState state;
    return state;
}

// Sources may add or remove sources while pumping: work on a copy.
std::vector<MessageSource> SnapshotSources()
{
    QueueState& s = State();
    std::lock_guard lock(s.mutex);
    std::vector<MessageSource> out;
    out.reserve(s.sources.size());
    for (const auto& entry : s.sources)
        out.push_back(entry.second);
    return out;
}

void PumpSources()
{
    for (const MessageSource& source : SnapshotSources())
        if (source.pump)
            source.pump();
}

bool QueueEmpty()
{
    QueueState& s = State();
    std::lock_guard lock(s.mutex);
    return s.queue.empty();
}

WindowProc FindProc(WindowHandle window)
{
    QueueState& s = State();
    std::lock_guard lock(s.mutex);
    auto it = s.procs.find(window);
    return it == s.procs.end() ? nullptr : it->second;
}

} // namespace

int AddMessageSource(MessageSource source)
{
    QueueState& s = State();
    std::lock_guard lock(s.mutex);
    const int id = s.nextSourceId++;
    s.sources.emplace_back(id, std::move(source));
    return id;
}

void RemoveMessageSource(int id)
{
    QueueState& s = State();
    std::lock_guard lock(s.mutex);
    std::erase_if(s.sources, [id](const auto& entry) { return entry.first == id; });
}

void SetWindowProc(WindowHandle window, WindowProc proc)
{
    QueueState& s = State();
    std::lock_guard lock(s.mutex);
    if (proc)
        s.procs[window] = proc;
    else
        s.procs.erase(window);
}

intptr_t DefWindowProc(WindowHandle window, uint32_t message, uintptr_t, intptr_t)
{
    if (message == WM_CLOSE && window) {
        SendMessage(window, WM_DESTROY, 0, 0);
        SetWindowProc(window, nullptr);
    }
    return 0;
}

intptr_t SendMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    if (WindowProc proc = FindProc(window))
        return proc(window, message, wParam, lParam);
    return DefWindowProc(window, message, wParam, lParam);
}

void PostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    QueueState& s = State();
    std::lock_guard lock(s.mutex);
    s.queue.push_back(Message{window, message, wParam, lParam});
}

void PostQuitMessage(int exitCode)
{
    PostMessage(nullptr, WM_QUIT, static_cast<uintptr_t>(static_cast<intptr_t>(exitCode)), 0);
}

bool PeekMessage(Message& out, uint32_t removeFlag)
{
    PumpSources();
    QueueState& s = State();
    std::lock_guard lock(s.mutex);
    if (s.queue.empty())
        return false;
    out = s.queue.front();
    if (removeFlag & PM_REMOVE)
        s.queue.pop_front();
    return true;
}

// Keyboard input reaches the engine through the input devices, not as
// character messages, so there is nothing to translate.
void TranslateMessage(const Message&) {}

intptr_t DispatchMessage(const Message& message)
{
    // Thread messages (no window, WM_QUIT among them) have no procedure.
    if (!message.window)
        return 0;
    return SendMessage(message.window, message.message, message.wParam, message.lParam);
}

// Returns once a message is queued or a source has woken up; a wake-up
// without a message is harmless to callers, which re-check the queue.
void WaitMessage()
{
    PumpSources();
    if (!QueueEmpty())
        return;

    std::vector<MessageSource> waiters;
    for (MessageSource& source : SnapshotSources())
        if (source.wait)
            waiters.push_back(std::move(source));

    if (waiters.empty()) {
        // Nothing can wake us: a short real sleep keeps an idle loop cheap.
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } else if (waiters.size() == 1) {
        waiters.front().wait(-1);
    } else {
        // Several sources: give each a short slice so none is starved.
        for (const MessageSource& source : waiters)
            source.wait(5);
    }
    PumpSources();
}

void ResetMessageQueue()
{
    QueueState& s = State();
    std::lock_guard lock(s.mutex);
    s.queue.clear();
    s.sources.clear();
    s.procs.clear();
}

} // namespace tsr
