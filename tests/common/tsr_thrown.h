// What a piece of code threw, as text, so a test can compare it in one line.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "CTesser/ctesser_ehs.h"

namespace tsrtest {

// The description of the engine exception f throws, "" when it throws none;
// its type goes to *type when asked for.
template <class F>
std::string ThrownDescription(F f, int32_t* type = nullptr)
{
    try {
        f();
    } catch (const CEHSException& e) {
        if (type)
            *type = e.GetType();
        return e.GetDescription();
    }
    return "";
}

// The text of a thrown C string (how the utility classes report misuse).
inline std::string ThrownText(const std::function<void()>& f)
{
    try {
        f();
    } catch (const char* text) {
        return text;
    }
    return "(nothing thrown)";
}

} // namespace tsrtest
