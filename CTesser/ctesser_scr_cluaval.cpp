// CLuaValue: the typed values of the script call bridge.
#include "ctesser_scr_cluaval.h"

#include "ctesser_ehs.h"

namespace {
constexpr int32_t kFileID = 156;
}

void CLuaValue::ThrowWrongStatus(int32_t wanted)
{
    SetCheckpoint(kFileID, __LINE__);
    const char* what = wanted == LUAVAL_NUMBER    ? "number"
                       : wanted == LUAVAL_BOOLEAN ? "boolean"
                       : wanted == LUAVAL_STRING  ? "string"
                                                  : "function";
    throw CEHSException(EHS_GENERAL, 0,
                        std::string("CLuaValue error: cannot return ") + what + " because of different status!",
                        __FILE__, __LINE__);
}
