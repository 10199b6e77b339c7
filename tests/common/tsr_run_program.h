// Starting a real program the way a player would, for end-to-end tests:
// in a folder of its own, headless, with the environment the test wants.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tsrtest {

// Environment changes for the child: a value sets the variable, none
// removes it. Applied in order, after the headless defaults.
using EnvChanges = std::vector<std::pair<std::string, std::optional<std::string>>>;

// Runs `program` with `args` from `folder` (the current folder when empty)
// and waits for it. The child always gets the offscreen video and dummy
// audio drivers unless `env` says otherwise. Returns the exit status, -1
// when the program did not exit normally.
inline int RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::filesystem::path& folder = {}, const EnvChanges& env = {})
{
    const pid_t pid = fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        if (!folder.empty() && chdir(folder.c_str()) != 0)
            _exit(127);
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        for (const auto& [key, value] : env) {
            if (value)
                setenv(key.c_str(), value->c_str(), 1);
            else
                unsetenv(key.c_str());
        }
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace tsrtest
