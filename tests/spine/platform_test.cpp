// The platform core: message queue, clock, single-instance lock.
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/process/tsr_process.h"
#include "spine_fixture.h"

namespace {

using spine::TempDirTest;

class MessagesTest : public ::testing::Test {
protected:
    void SetUp() override { tsr::ResetMessageQueue(); }
    void TearDown() override { tsr::ResetMessageQueue(); }
};

std::vector<std::string> g_events;

intptr_t RecordingProc(tsr::WindowHandle, uint32_t message, uintptr_t wParam, intptr_t)
{
    g_events.push_back("proc " + std::to_string(message) + " " + std::to_string(wParam));
    return 7;
}

TEST_F(MessagesTest, SourcesPumpInOrderBeforeTheQueueIsRead)
{
    g_events.clear();
    int window = 0;
    tsr::SetWindowProc(&window, RecordingProc);
    tsr::AddMessageSource({[&] {
                               g_events.push_back("a");
                               tsr::PostMessage(&window, tsr::WM_ACTIVATE, tsr::WA_ACTIVE, 0);
                           },
                           nullptr});
    const int b = tsr::AddMessageSource({[] { g_events.push_back("b"); }, nullptr});

    tsr::Message message;
    ASSERT_TRUE(tsr::PeekMessage(message, tsr::PM_NOREMOVE));
    ASSERT_TRUE(tsr::PeekMessage(message, tsr::PM_REMOVE));
    EXPECT_EQ(message.window, &window);
    EXPECT_EQ(message.message, tsr::WM_ACTIVATE);
    EXPECT_EQ(tsr::DispatchMessage(message), 7);
    EXPECT_EQ(g_events, (std::vector<std::string>{"a", "b", "a", "b", "proc 6 1"}));

    tsr::RemoveMessageSource(b);
    g_events.clear();
    ASSERT_TRUE(tsr::PeekMessage(message, tsr::PM_REMOVE)); // the second pump's message
    EXPECT_EQ(g_events, std::vector<std::string>{"a"});
}

TEST_F(MessagesTest, CloseDestroysTheWindowThroughTheDefaultProcedure)
{
    static std::vector<uint32_t> seen;
    seen.clear();
    int window = 0;
    tsr::SetWindowProc(&window, [](tsr::WindowHandle w, uint32_t m, uintptr_t wp, intptr_t lp) -> intptr_t {
        seen.push_back(m);
        if (m == tsr::WM_DESTROY) {
            tsr::PostQuitMessage(0);
            return 0;
        }
        return tsr::DefWindowProc(w, m, wp, lp);
    });
    tsr::PostMessage(&window, tsr::WM_CLOSE, 0, 0);
    tsr::Message message;
    ASSERT_TRUE(tsr::PeekMessage(message, tsr::PM_REMOVE));
    tsr::DispatchMessage(message);
    EXPECT_EQ(seen, (std::vector<uint32_t>{tsr::WM_CLOSE, tsr::WM_DESTROY}));
    ASSERT_TRUE(tsr::PeekMessage(message, tsr::PM_REMOVE));
    EXPECT_EQ(message.message, tsr::WM_QUIT);
    EXPECT_EQ(message.window, nullptr);
    // The destroyed window has no procedure any more.
    EXPECT_EQ(tsr::SendMessage(&window, tsr::WM_USER, 0, 0), 0);
    EXPECT_EQ(seen.size(), 2u);
}

TEST_F(MessagesTest, WaitMessageBlocksInTheSourcesWait)
{
    std::atomic<bool> ready{false};
    std::thread poster([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ready = true;
    });
    int waits = 0;
    tsr::AddMessageSource({[&] {
                               if (ready.exchange(false))
                                   tsr::PostMessage(nullptr, tsr::WM_USER, 0, 0);
                           },
                           [&](int timeoutMs) {
                               ++waits;
                               EXPECT_EQ(timeoutMs, -1); // the only source may wait without limit
                               while (!ready)
                                   std::this_thread::sleep_for(std::chrono::milliseconds(1));
                           }});
    tsr::WaitMessage();
    poster.join();
    EXPECT_EQ(waits, 1);
    tsr::Message message;
    ASSERT_TRUE(tsr::PeekMessage(message, tsr::PM_REMOVE));
    EXPECT_EQ(message.message, tsr::WM_USER);
}

TEST_F(MessagesTest, WaitMessageReturnsAtOnceWithAQueuedMessage)
{
    int waits = 0;
    tsr::AddMessageSource({nullptr, [&](int) { ++waits; }});
    tsr::PostMessage(nullptr, tsr::WM_USER, 0, 0);
    tsr::WaitMessage();
    EXPECT_EQ(waits, 0);
}

TEST_F(MessagesTest, WaitMessageWithoutSourcesSleepsBriefly)
{
    const auto start = std::chrono::steady_clock::now();
    tsr::WaitMessage(); // must return: nothing could ever wake it otherwise
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(5));
}

TEST(Clock, VirtualClockMovesOnlyWhenTold)
{
    tsr::UseVirtualClock(0xFFFFFFFEu);
    EXPECT_TRUE(tsr::IsVirtualClock());
    EXPECT_EQ(tsr::TimeGetTime(), 0xFFFFFFFEu);
    tsr::AdvanceVirtualClock(3);
    EXPECT_EQ(tsr::TimeGetTime(), 1u);
    tsr::SleepMs(10);
    EXPECT_EQ(tsr::TimeGetTime(), 11u);
    tsr::UseRealClock();
    EXPECT_FALSE(tsr::IsVirtualClock());
    const uint32_t a = tsr::TimeGetTime();
    tsr::SleepMs(20);
    const uint32_t b = tsr::TimeGetTime();
    EXPECT_GE(b - a, 20u);
    EXPECT_LT(b - a, 5000u);
}

using InstanceLockTest = TempDirTest;

TEST_F(InstanceLockTest, SecondHolderIsRefusedUntilTheFirstLetsGo)
{
    const std::string path = (m_dir / "locks" / "Tesseron App.lock").string();
    tsr::InstanceLock first;
    tsr::InstanceLock second;
    EXPECT_EQ(first.Acquire(path), tsr::InstanceLock::Result::Acquired);
    EXPECT_EQ(second.Acquire(path), tsr::InstanceLock::Result::AlreadyHeld);
    EXPECT_FALSE(second.IsHeld());
    first.Release();
    EXPECT_EQ(second.Acquire(path), tsr::InstanceLock::Result::Acquired);
    // Another name is another lock.
    EXPECT_EQ(first.Acquire((m_dir / "locks" / "Other.lock").string()), tsr::InstanceLock::Result::Acquired);
}

TEST_F(InstanceLockTest, UnusableFolderFails)
{
    tsr::InstanceLock lock;
    EXPECT_EQ(lock.Acquire((m_dir / "missing" / "deeper" / "x.lock").string()), tsr::InstanceLock::Result::Failed);
    // A lock name that is a symbolic link is not followed.
    std::filesystem::create_symlink(m_dir / "elsewhere", m_dir / "link.lock");
    EXPECT_EQ(lock.Acquire((m_dir / "link.lock").string()), tsr::InstanceLock::Result::Failed);
    EXPECT_FALSE(std::filesystem::exists(m_dir / "elsewhere"));
}

TEST_F(InstanceLockTest, FolderComesFromTheEnvironment)
{
    const char* old = std::getenv("TSR_LOCK_DIR");
    const std::string saved = old ? old : "";
    setenv("TSR_LOCK_DIR", m_dir.c_str(), 1);
    EXPECT_EQ(tsr::InstanceLockPath("Tesseron App"), m_dir.string() + "/Tesseron App.lock");
    unsetenv("TSR_LOCK_DIR");
    EXPECT_TRUE(tsr::InstanceLockPath("Tesseron App").ends_with("/Tesseron App.lock"));
    EXPECT_NE(tsr::InstanceLockDirectory(), "");
    if (old)
        setenv("TSR_LOCK_DIR", saved.c_str(), 1);
}

TEST(LocalTime, FieldsAreInRange)
{
    const tsr::LocalTime now = tsr::GetLocalTime();
    EXPECT_GE(now.year, 2000);
    EXPECT_TRUE(now.month >= 1 && now.month <= 12);
    EXPECT_TRUE(now.day >= 1 && now.day <= 31);
    EXPECT_TRUE(now.hour >= 0 && now.hour <= 23);
    EXPECT_TRUE(now.minute >= 0 && now.minute <= 59);
}

} // namespace
