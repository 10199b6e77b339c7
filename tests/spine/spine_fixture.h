// Shared helpers of the engine-core tests: each test runs in a fresh
// temporary folder (the engine writes "gamelog.txt" and "ehslog.txt" into
// the current folder), with an empty message queue and a virtual clock.
#pragma once

#include <filesystem>

#include "common/tsr_engine_env.h"
#include "common/tsr_temp_dir.h"
#include "common/tsr_test_files.h"

namespace spine {

using tsrtest::ReadFile;

inline bool FileExists(const std::filesystem::path& path) { return std::filesystem::exists(path); }

// A fresh temporary folder as the current folder for the test's lifetime.
using tsrtest::TempDirTest;

// The engine's surroundings: an empty queue and a virtual clock.
using tsrtest::EngineEnvTest;

} // namespace spine
