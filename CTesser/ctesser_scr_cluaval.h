// A typed value exchanged with Lua functions called by name: a number, a
// boolean, a string, or a function carried by its global name.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

enum CLuaValueStatus : int32_t {
    LUAVAL_NUMBER = 1,
    LUAVAL_BOOLEAN = 2,
    LUAVAL_STRING = 3,
    LUAVAL_FUNCTION = 4,
};

class CLuaValue {
public:
    explicit CLuaValue(double number) : m_number(number), m_status(LUAVAL_NUMBER) {}
    explicit CLuaValue(int number) : CLuaValue(static_cast<double>(number)) {}
    explicit CLuaValue(bool boolean) : m_boolean(boolean ? 1 : 0), m_status(LUAVAL_BOOLEAN) {}
    // Without this a string literal would silently become the boolean true.
    explicit CLuaValue(const char*) = delete;
    // A string (status 3), or the global name of a function (status 4).
    CLuaValue(std::string text, bool isFunction)
        : m_text(std::move(text)), m_status(isFunction ? LUAVAL_FUNCTION : LUAVAL_STRING)
    {
    }
    CLuaValue(const CLuaValue&) = default;
    CLuaValue& operator=(const CLuaValue&) = default;
    CLuaValue(CLuaValue&&) noexcept = default;
    CLuaValue& operator=(CLuaValue&&) noexcept = default;

    int32_t GetStatus() const { return m_status; }
    // Each getter throws (type General) when the value holds another type.
    double GetNumber() const
    {
        if (m_status != LUAVAL_NUMBER) [[unlikely]]
            ThrowWrongStatus(LUAVAL_NUMBER);
        return m_number;
    }
    bool GetBoolean() const
    {
        if (m_status != LUAVAL_BOOLEAN) [[unlikely]]
            ThrowWrongStatus(LUAVAL_BOOLEAN);
        return m_boolean != 0;
    }
    const std::string& GetString() const
    {
        if (m_status != LUAVAL_STRING) [[unlikely]]
            ThrowWrongStatus(LUAVAL_STRING);
        return m_text;
    }
    const std::string& GetFunction() const
    {
        if (m_status != LUAVAL_FUNCTION) [[unlikely]]
            ThrowWrongStatus(LUAVAL_FUNCTION);
        return m_text;
    }

private:
    [[noreturn]] static void ThrowWrongStatus(int32_t wanted);

    double m_number = 0.0;
    uint8_t m_boolean = 0;
    std::string m_text;
    int32_t m_status = 0;
};
