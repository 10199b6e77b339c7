// A program on the engine's process entry that starts the resource
// subsystem on the current folder's ./DATA/ and then does what
// TSR_RESPROBE_STEPS says, step by step (separated by spaces):
//   init            ResInit
//   load:<id>       ResLoadResource
//   tag:<n>         ResLoadResources
//   reg:<type>      ResRegisterLoadRes of a loader that does nothing
//   regex:<type>    ResRegisterLoadResEx of a loader that does nothing
//   deinit          ResDeinit
// Every failure ends in the engine's fatal report, as in a game.
#include <cstdlib>
#include <sstream>
#include <string>

#include "ctesser.h"

namespace {
void NoLoad(const void*, int32_t, const char*, int32_t, int32_t, int32_t, int32_t) {}
void NoLoadEx(const char*, int32_t, int32_t, const char*, int32_t, int32_t, int32_t, int32_t) {}
} // namespace

void GameMain(CTesser* engine)
{
    engine->SetApplicationInfo("ResProbe", "v. 1.0");
    const char* steps = std::getenv("TSR_RESPROBE_STEPS");
    std::istringstream in(steps ? steps : "init");
    std::string step;
    while (in >> step) {
        const size_t colon = step.find(':');
        const std::string verb = step.substr(0, colon);
        const std::string arg = colon == std::string::npos ? "" : step.substr(colon + 1);
        if (verb == "init")
            engine->ResInit();
        else if (verb == "load")
            engine->ResLoadResource(arg);
        else if (verb == "tag")
            engine->ResLoadResources(std::atoi(arg.c_str()));
        else if (verb == "reg")
            engine->ResRegisterLoadRes(NoLoad, arg);
        else if (verb == "regex")
            engine->ResRegisterLoadResEx(NoLoadEx, arg);
        else if (verb == "deinit")
            engine->ResDeinit();
    }
}

int main(int argc, char** argv) { return TesseronMain(argc, argv); }
