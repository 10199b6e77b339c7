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
    explicit CLuaValue(bool boolean) : m_status(LUAVAL_BOOLEAN), m_boolean(boolean ? 1 : 0) {}
    // Without this a string literal would silently become the boolean true.
    explicit CLuaValue(const char*) = delete;
    // A string (status 3), or the global name of a function (status 4).
    CLuaValue(std::string text, bool isFunction)
        : m_text(std::move(text)), m_status(isFunction ? LUAVAL_FUNCTION : LUAVAL_STRING)
    {
    }
    // Only a string or function value carries its text along: numbers and
    // booleans, the common parameters, copy and move without touching it.
    CLuaValue(const CLuaValue& other)
        : m_number(other.m_number), m_status(other.m_status), m_boolean(other.m_boolean)
    {
        if (other.HasText())
            m_text = other.m_text;
    }
    CLuaValue& operator=(const CLuaValue& other)
    {
        if (this != &other) {
            m_number = other.m_number;
            m_status = other.m_status;
            m_boolean = other.m_boolean;
            if (other.HasText())
                m_text = other.m_text;
            else
                m_text.clear();
        }
        return *this;
    }
    CLuaValue(CLuaValue&& other) noexcept
        : m_number(other.m_number), m_status(other.m_status), m_boolean(other.m_boolean)
    {
        if (other.HasText())
            m_text = std::move(other.m_text);
    }
    CLuaValue& operator=(CLuaValue&& other) noexcept
    {
        m_number = other.m_number;
        m_status = other.m_status;
        m_boolean = other.m_boolean;
        if (other.HasText())
            m_text = std::move(other.m_text);
        else
            m_text.clear();
        return *this;
    }

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
    bool HasText() const { return m_status == LUAVAL_STRING || m_status == LUAVAL_FUNCTION; }

    double m_number = 0.0;
    std::string m_text;
    int32_t m_status = 0;
    uint8_t m_boolean = 0;
};
