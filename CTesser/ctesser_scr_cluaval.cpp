// CLuaValue: the typed values of the script call bridge.
#include "ctesser_scr_cluaval.h"

#include <utility>

#include "ctesser_ehs.h"

namespace {
constexpr int32_t kFileID = 156;
}

CLuaValue::CLuaValue(double number) : m_number(number), m_status(LUAVAL_NUMBER) {}

CLuaValue::CLuaValue(bool boolean) : m_boolean(boolean ? 1 : 0), m_status(LUAVAL_BOOLEAN) {}

CLuaValue::CLuaValue(std::string text, bool isFunction)
    : m_text(std::move(text)), m_status(isFunction ? LUAVAL_FUNCTION : LUAVAL_STRING)
{
}

double CLuaValue::GetNumber() const
{
    SetCheckpoint(kFileID, __LINE__);
    EHS_CHECK(m_status == LUAVAL_NUMBER, EHS_GENERAL,
              "CLuaValue error: cannot return number because of different status!");
    return m_number;
}

bool CLuaValue::GetBoolean() const
{
    SetCheckpoint(kFileID, __LINE__);
    EHS_CHECK(m_status == LUAVAL_BOOLEAN, EHS_GENERAL,
              "CLuaValue error: cannot return boolean because of different status!");
    return m_boolean != 0;
}

const std::string& CLuaValue::GetString() const
{
    SetCheckpoint(kFileID, __LINE__);
    EHS_CHECK(m_status == LUAVAL_STRING, EHS_GENERAL,
              "CLuaValue error: cannot return string because of different status!");
    return m_text;
}

const std::string& CLuaValue::GetFunction() const
{
    SetCheckpoint(kFileID, __LINE__);
    EHS_CHECK(m_status == LUAVAL_FUNCTION, EHS_GENERAL,
              "CLuaValue error: cannot return function because of different status!");
    return m_text;
}
