// The runner's options, read from the command line before the engine starts.
#pragma once

#include <cstdint>

struct RunnerOptions {
    // Quit after this many frames of the main loop; 0 runs until quit.
    int64_t frameLimit = 0;
};

RunnerOptions& GetRunnerOptions();
