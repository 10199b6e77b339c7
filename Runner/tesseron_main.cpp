// tesseron [options] [game folder]: runs the data folder DATA/ of the
// current folder, or of the game folder given, through the engine.
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>

#include "CTesser/ctesser.h"
#include "CTesser/ctesser_scr_glue.h"
#include "tesseron_runner.h"

namespace {

void PrintUsage(FILE* out)
{
    std::fputs("Usage: tesseron [--frames N] [GAME_FOLDER]\n"
               "       tesseron --script-api\n"
               "\n"
               "Runs the game in GAME_FOLDER/DATA (default: ./DATA). The log (gamelog.txt),\n"
               "crash records (ehslog.txt) and screenshots are written in the game folder.\n"
               "\n"
               "  --frames N     quit after N frames of the main loop\n"
               "  --script-api   print the script API reference (Markdown) and exit\n"
               "  --help         show this text\n"
               "\n"
               "Input replay and recording: TSR_REPLAY=<file>, TSR_RECORD=<file>.\n",
               out);
}

bool ParseCount(std::string_view text, int64_t& out)
{
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc() && ptr == end && out > 0;
}

// The game folder holds DATA/; a DATA folder given itself means its parent.
std::filesystem::path GameFolder(const std::filesystem::path& given)
{
    std::string name = given.filename().string();
    if (name.empty())
        name = given.parent_path().filename().string();
    for (char& c : name)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (name == "DATA") {
        std::filesystem::path parent = std::filesystem::absolute(given).lexically_normal();
        if (parent.filename().empty())
            parent = parent.parent_path();
        return parent.parent_path();
    }
    return given;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string folder;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            PrintUsage(stdout);
            return 0;
        }
        if (arg == "--script-api") {
            const std::string reference = ScrMakeApiReference();
            std::fwrite(reference.data(), 1, reference.size(), stdout);
            return 0;
        }
        if (arg == "--frames") {
            if (i + 1 >= argc || !ParseCount(argv[i + 1], GetRunnerOptions().frameLimit)) {
                std::fprintf(stderr, "tesseron: --frames needs a positive whole number\n");
                return 2;
            }
            ++i;
            continue;
        }
        if (arg.starts_with("-") || !folder.empty()) {
            std::fprintf(stderr, "tesseron: unexpected argument '%s'\n", argv[i]);
            PrintUsage(stderr);
            return 2;
        }
        folder = arg;
    }
    if (!folder.empty()) {
        const std::filesystem::path game = GameFolder(folder);
        if (chdir(game.c_str()) != 0) {
            std::fprintf(stderr, "tesseron: cannot enter '%s': %s\n", game.c_str(), std::strerror(errno));
            return 2;
        }
    }
    return TesseronMain(argc, argv);
}
