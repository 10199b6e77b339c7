// A typed value exchanged with Lua functions called by name: a number, a
// boolean, a string, or a function carried by its global name.
#pragma once

#include <cstdint>
#include <string>

enum CLuaValueStatus : int32_t {
    LUAVAL_NUMBER = 1,
    LUAVAL_BOOLEAN = 2,
    LUAVAL_STRING = 3,
    LUAVAL_FUNCTION = 4,
};

class CLuaValue {
public:
    explicit CLuaValue(double number);
    explicit CLuaValue(int number) : CLuaValue(static_cast<double>(number)) {}
    explicit CLuaValue(bool boolean);
    // Without this a string literal would silently become the boolean true.
    explicit CLuaValue(const char*) = delete;
    // A string (status 3), or the global name of a function (status 4).
    CLuaValue(std::string text, bool isFunction);
    CLuaValue(const CLuaValue&) = default;
    CLuaValue& operator=(const CLuaValue&) = default;
    CLuaValue(CLuaValue&&) noexcept = default;
    CLuaValue& operator=(CLuaValue&&) noexcept = default;

    int32_t GetStatus() const { return m_status; }
    double GetNumber() const;
    bool GetBoolean() const;
    const std::string& GetString() const;
    const std::string& GetFunction() const;

private:
    double m_number = 0.0;
    uint8_t m_boolean = 0;
    std::string m_text;
    int32_t m_status = 0;
};
