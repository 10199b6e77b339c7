// Internals of the script subsystem shared by its own source files.
#pragma once

#include "ctesser.h"

// One active Lua call made by the engine (script loading or the call
// bridge). The outermost call starts from an empty Lua stack; a call made
// from inside a script function leaves the frames below it alone. The
// stack is restored to its base when the call ends, also by an exception.
struct ScrCallScope {
    explicit ScrCallScope(CTesser& engine);
    ~ScrCallScope();
    ScrCallScope(const ScrCallScope&) = delete;
    ScrCallScope& operator=(const ScrCallScope&) = delete;

    int Base() const { return m_base; }
    int Depth() const { return m_engine.m_scrCallDepth; }

private:
    CTesser& m_engine;
    int m_base = 0;
};
