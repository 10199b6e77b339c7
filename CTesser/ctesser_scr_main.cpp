// Script subsystem. (Placeholder until the script subsystem lands.)
#include "ctesser.h"

void CTesser::ScrDeinit() {}
std::string CTesser::ScrGetLastCalledFunction() const { return std::string(); }

void CTesser::ScrLoadScript(const void*, int32_t, const std::string&)
{
    EHS_CHECK(false, EHS_GENERAL, "Scripts are not available in this build.");
}
