// The engine's surroundings for one test: its own temporary current folder,
// an empty message queue and a virtual clock, all put back afterwards.
#pragma once

#include "common/tsr_temp_dir.h"
#include "platform/clock/tsr_clock.h"
#include "platform/messages/tsr_messages.h"

namespace tsrtest {

class EngineEnvTest : public TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        tsr::ResetMessageQueue();
        tsr::UseVirtualClock(100000);
    }
    void TearDown() override
    {
        tsr::ResetMessageQueue();
        tsr::UseRealClock();
        TempDirTest::TearDown();
    }
};

} // namespace tsrtest
