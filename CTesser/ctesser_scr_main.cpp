// Script subsystem: the Lua state, its libraries, the panic handler, the
// registration of the script functions and the loading of script chunks.
#include <cmath>
#include <cstdlib>
#include <exception>
#include <limits>
#include <string_view>
#include <utility>

#include "ctesser_scr_glue.h"
#include "ctesser_scr_internal.h"

namespace {

constexpr int32_t kFileID = 137;

// Called by Lua for an error outside any protected call; Lua would end the
// process after it returns, so it never does.
int ScrPanic(lua_State*)
{
    throw CEHSException(EHS_GAME, 0, "Lua is on panic! Error source is unknown.", __FILE__, __LINE__);
}

// The rest of ScrGuard's work once the function failed (or an earlier
// failure is still pending): keep the engine exception and raise a Lua
// error in its place. Out of line, so the guards stay small.
[[noreturn]] int ScrRaiseKept(lua_State* L, CTesser* engine, const std::exception_ptr& failure)
{
    std::string message = "Engine error.";
    if (failure) {
        try {
            std::rethrow_exception(failure);
        } catch (const CEHSException& e) {
            message = e.GetDescription();
        } catch (const char* text) {  // also a thrown char*
            message = text ? text : "";
        } catch (...) {
        }
        if (engine)
            engine->ScrKeepException(failure);
    }
    lua_pushstring(L, message.c_str());
    lua_error(L);
    std::abort();  // lua_error does not return
}

// Every registered native function runs inside a guard. Lua is built as
// C++ and its protected calls catch every exception, which would turn an
// engine exception into a meaningless Lua error. So an engine exception is
// kept in the engine object, Lua unwinds with an ordinary error, and the
// engine rethrows the kept exception where the protected call returns.
// A kept exception is fatal: a script that caught the error with pcall
// gets the same error again from every engine function it calls.
template <lua_CFunction function>
int ScrGuarded(lua_State* L)
{
    CTesser* engine = CTesser::GetInstance();
    std::exception_ptr failure;
    if (engine == nullptr || !engine->ScrHasPendingException()) [[likely]] {
        try {
            return function(L);
        } catch (const char*) {  // ours, even though it is a pointer
            failure = std::current_exception();
        } catch (void*) {
            // Lua's own error unwinding (it throws a pointer): not ours.
            throw;
        } catch (...) {
            failure = std::current_exception();
        }
    }
    return ScrRaiseKept(L, engine, failure);
}

// The guard of a function registered at run time (its upvalue).
int ScrGuard(lua_State* L)
{
    auto function = reinterpret_cast<lua_CFunction>(lua_touserdata(L, lua_upvalueindex(1)));
    CTesser* engine = CTesser::GetInstance();
    std::exception_ptr failure;
    if (engine == nullptr || !engine->ScrHasPendingException()) {
        try {
            return function(L);
        } catch (const char*) {
            failure = std::current_exception();
        } catch (void*) {
            throw;
        } catch (...) {
            failure = std::current_exception();
        }
    }
    return ScrRaiseKept(L, engine, failure);
}

}  // namespace

void ScrLuaStateCloser::operator()(lua_State* L) const
{
    if (L)
        lua_close(L);
}

// ---- argument convention ----

std::string GlueArgError(const char* glueName, int badIndex)
{
    return std::string("Error in glue function: ") + glueName + "." + "Invalid argument type. Index = " +
           std::to_string(badIndex);
}

int32_t GlueToInt(lua_State* L, int index)
{
    const double value = std::trunc(lua_tonumber(L, index));
    if (std::isnan(value))
        return 0;
    if (value <= static_cast<double>(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    if (value >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}

std::string GlueToString(lua_State* L, int index)
{
    const char* text = lua_tostring(L, index);
    return text ? std::string(text) : std::string();
}


void GlueNoEngine()
{
    EHS_ASSERT(CTesser::GetInstance() != nullptr);
    std::abort();  // not reached: there is no engine
}

// ---- the subsystem ----

void CTesser::ScrInit()
{
    SetCheckpoint(kFileID, __LINE__);
    EHS_CHECK(!m_bScrInitialised, EHS_GENERAL, "Script subsystem reinitialization!");
    m_bScrInitialised = true;
    WriteSeparator(LOGSEP_THIN);
    WriteEntry("Initializing Scripts Subsystem...", LOG_HEADING);
    WriteBlankLines(1);

    WriteEntry("   Creating Lua state...", LOG_STEP);
    ScrForgetCallNames();
    m_luaState.reset(lua_open());
    EHS_CHECK(m_luaState != nullptr, EHS_GENERAL, "Cannot create lua state!");
    lua_State* L = m_luaState.get();
    // Installed before the libraries are opened: opening them is the first
    // unprotected work, and without a handler Lua would end the process.
    lua_atpanic(L, ScrPanic);
    WriteEntry("   Done.", LOG_SUCCESS);
    WriteBlankLines(2);

    WriteEntry("   Initializing standart Lua libraries...", LOG_STEP);
    // Base (with coroutines), math, io and os; no string, table, debug or
    // package library. Opened through lua_call, as the io library needs
    // the environment of a called C function.
    const struct {
        lua_CFunction open;
        const char* name;
    } libraries[] = {
        {luaopen_base, ""},
        {luaopen_math, LUA_MATHLIBNAME},
        {luaopen_io, LUA_IOLIBNAME},
        {luaopen_os, LUA_OSLIBNAME},
    };
    for (const auto& library : libraries) {
        lua_pushcfunction(L, library.open);
        lua_pushstring(L, library.name);
        lua_call(L, 1, 0);
    }
    lua_settop(L, 0);
    WriteEntry("   Done.", LOG_SUCCESS);
    WriteBlankLines(1);

    // The engine's own functions come with their guard compiled in, which
    // spares every call the guard's look-up of the function.
    for (const ScrFunctionInfo& info : ScrGetFunctionTable()) {
        lua_pushstring(L, info.name);
        lua_pushcfunction(L, info.guarded);
        lua_settable(L, LUA_GLOBALSINDEX);
    }

    WriteEntry("Done.", LOG_SUCCESS);
    WriteSeparator(LOGSEP_THIN);
    WriteBlankLines(1);
}

void CTesser::ScrDeinit()
{
    SetCheckpoint(kFileID, __LINE__);
    EHS_CHECK(m_bScrInitialised, EHS_GENERAL, "Internal error - scripts subsystem was not initialized!");
    WriteSeparator(LOGSEP_THIN);
    WriteEntry("Deinitializing Scripts Subsystem...", LOG_HEADING);
    m_luaState.reset();
    ScrForgetCallNames();
    m_scrPendingException = nullptr;
    WriteEntry("Done.", LOG_SUCCESS);
    WriteSeparator(LOGSEP_THIN);
    WriteBlankLines(1);
}

void CTesser::ScrRegisterFunction(const std::string& name, int (*function)(lua_State*))
{
    SetCheckpoint(kFileID, __LINE__);
    EHS_CHECK(m_luaState != nullptr, EHS_GAME,
              "Cannot register script function " + name + ": scripts subsystem is not initialized!");
    EHS_CHECK(function != nullptr, EHS_GAME, "Cannot register script function " + name + ": no function!");
    lua_State* L = m_luaState.get();
    const int top = lua_gettop(L);
    lua_pushstring(L, name.c_str());
    lua_pushlightuserdata(L, reinterpret_cast<void*>(function));
    lua_pushcclosure(L, ScrGuard, 1);
    lua_settable(L, LUA_GLOBALSINDEX);
    lua_settop(L, top);
}

void CTesser::ScrLoadScript(const void* data, int32_t size, const std::string& name)
{
    SetCheckpoint(kFileID, __LINE__);
    EHS_CHECK(m_luaState != nullptr, EHS_GAME,
              "Cannot load script " + name + ": scripts subsystem is not initialized!");
    EHS_CHECK(size >= 0 && (data != nullptr || size == 0), EHS_GENERAL,
              "Cannot load script " + name + ": invalid buffer!");
    WriteBlankLines(1);
    WriteEntry("Loading script from buffer: " + name, LOG_STEP);

    lua_State* L = m_luaState.get();
    ScrCallScope scope(*this);
    int result = luaL_loadbuffer(L, static_cast<const char*>(data), static_cast<size_t>(size), name.c_str());
    if (result != 0)
        ScrThrowLuaError(result);
    result = lua_pcall(L, 0, 0, 0);
    ScrRethrowPending();
    if (result != 0)
        ScrThrowLuaError(result);

    WriteEntry("Done.", LOG_SUCCESS);
    WriteBlankLines(1);
}

void CTesser::ScrRethrowPending()
{
    if (m_scrPendingException)
        std::rethrow_exception(std::exchange(m_scrPendingException, nullptr));
}

void CTesser::ScrThrowLuaError(int code)
{
    lua_State* L = m_luaState.get();
    // error() may raise any value; only strings and numbers have a text.
    std::string message;
    if (const char* text = lua_tostring(L, -1))
        message = text;
    else
        message = std::string("(error object is a ") + lua_typename(L, lua_type(L, -1)) + " value)";
    throw CEHSException(EHS_LUA, code, message, __FILE__, __LINE__);
}

// ---- the registration table ----
//
// The one list of the engine's script functions: ScrInit registers them in
// this order and the script API reference is written from it.

namespace {

#define TSR_ENTRY(name, arguments, results, description)                                              \
    {#name, glue_##name, arguments, results, description, ScrGuarded<glue_##name>}

const ScrFunctionInfo kScriptFunctions[] = {
    TSR_ENTRY(TSN_SYS_TimerGetDelta, "none", "number: the frame time in seconds",
              "The time of the current frame (1 ms to 300 ms), the same for every call in one frame."),
    TSR_ENTRY(TSN_SYS_TimerGetFPS, "none", "number: frames per second",
              "The frame count of the last completed second."),
    TSR_ENTRY(TSN_SYS_SetXMLEncryptMode, "on (boolean)", "none",
              "Switches the scrambled mode of XML resources loaded from now on."),
    TSR_ENTRY(TSN_SYS_UpdateAllSystems, "none", "number: -1 quit, 0 inactive, 1 go on",
              "One pass of the engine's update: window messages, timer, keyboard and mouse, sound. "
              "A script that runs its own frame loop calls it once per frame and stops on -1 "
              "(the engine then ends after the script)."),
    TSR_ENTRY(TSN_LOG_AddEntry, "text (string)", "none", "Writes the text as one line of gamelog.txt."),
    TSR_ENTRY(TSN_GFX_SceneBegin, "none", "none", "Opens the frame's scene and its quad batch."),
    TSR_ENTRY(TSN_GFX_SceneEnd, "none", "none", "Draws the quads still batched and closes the scene."),
    TSR_ENTRY(TSN_GFX_SceneClearScreen, "red, green, blue (numbers 0..1)", "none",
              "Clears the back buffer to an opaque colour."),
    TSR_ENTRY(TSN_GFX_SceneRender, "none", "none",
              "Submits the current quad (as shaped by the TSN_GFX_VQuad functions) to the batch."),
    TSR_ENTRY(TSN_GFX_ScenePresent, "none", "none", "Shows the back buffer in the window."),
    TSR_ENTRY(TSN_GFX_SceneSetViewport, "x, y, width, height (numbers, integers)", "none",
              "Draws the batched quads, then limits drawing to the rectangle (clamped to the screen)."),
    TSR_ENTRY(TSN_GFX_SceneMakeScreenshot, "none", "none",
              "Saves the visible screen as the next screenshotN.bmp of the current folder (full screen only)."),
    TSR_ENTRY(TSN_GFX_SceneSetGamma, "brightness, curve (numbers)", "none",
              "Sets the display gamma: brightness 1 and curve 0 are neutral."),
    TSR_ENTRY(TSN_GFX_VQuadSetPos, "x, y, width, height (numbers) [, z (number, default 0.5)]", "none",
              "Places the current quad as a screen rectangle; z is read only when given as the fifth argument."),
    TSR_ENTRY(TSN_GFX_VQuadSetPosByVertex,
              "vertex (number 0-3), x, y (numbers) [, z (number, default 0.5)]", "none",
              "Moves one corner of the current quad (0 top-left, 1 top-right, 2 bottom-right, 3 bottom-left)."),
    TSR_ENTRY(TSN_GFX_VQuadRotate, "centre x, centre y, angle in degrees (numbers)", "none",
              "Rotates the current quad about a point."),
    TSR_ENTRY(TSN_GFX_VQuadScale, "centre x, centre y, factor (numbers)", "none",
              "Scales the current quad about a point."),
    TSR_ENTRY(TSN_GFX_VQuadMove, "dx, dy (numbers) [, dz (number, default 0)]", "none",
              "Moves the current quad."),
    TSR_ENTRY(TSN_GFX_VQuadSetTexCoords, "set (number 1 or 2), left, top, right, bottom (numbers)", "none",
              "Sets the texture coordinates of one of the quad's two coordinate sets."),
    TSR_ENTRY(TSN_GFX_VQuadSetColor, "red, green, blue (numbers 0..1) [, alpha (number, default 1)]", "none",
              "Colours all four corners of the current quad."),
    TSR_ENTRY(TSN_GFX_VQuadSetColorByVertex,
              "vertex (number 0-3), red, green, blue (numbers 0..1) [, alpha (number, default 0)]", "none",
              "Colours one corner of the current quad. Note the alpha default of 0."),
    TSR_ENTRY(TSN_GFX_TexUnloadByID, "texture (number or string)", "none",
              "Unloads a texture by its ID (number) or its resource identifier (string)."),
    TSR_ENTRY(TSN_GFX_TexSet, "texture (number or string) [, stage (number, default 0)]", "none",
              "Binds a texture to a texture stage by ID or identifier."),
    TSR_ENTRY(TSN_GFX_TexSetNoTexture, "[stage (number, default 0)]", "none", "Unbinds the stage's texture."),
    TSR_ENTRY(TSN_GFX_TechApply, "technique (number or string)", "none",
              "Applies a technique (a set of render states) by ID or identifier."),
    TSR_ENTRY(TSN_GFX_FontSet, "font (number or string)", "none", "Makes a font current by ID or identifier."),
    TSR_ENTRY(TSN_GFX_FontDrawText,
              "text (string), x, y (numbers), maximum characters, colour index (numbers, integers), "
              "alpha (number)",
              "none",
              "Draws text with the current font from (x, y); colour index -1 keeps the quad's colour, "
              "0-9 picks a font colour and enables %0-%9 colour escapes."),
    TSR_ENTRY(TSN_INP_KeyboardGetAnyPressedKey, "none", "number: the lowest key code down, 0 for none",
              "Reads the keyboard state of the last update."),
    TSR_ENTRY(TSN_INP_KeyboardIsKeyPressed, "key code (number; low 8 bits used)", "boolean",
              "Whether the key is held down."),
    TSR_ENTRY(TSN_INP_KeyboardIsKeyClicked, "key code (number; low 8 bits used)", "boolean",
              "Whether the key went down in this frame."),
    TSR_ENTRY(TSN_INP_KeyboardSetTextBufferStatus, "on (boolean)", "none",
              "Switches typed-text collection on or off."),
    TSR_ENTRY(TSN_INP_KeyboardSetTextInBuffer, "text (string)", "none", "Replaces the typed-text buffer."),
    TSR_ENTRY(TSN_INP_KeyboardGetTextInBuffer, "none", "string: the typed text", "Reads the typed-text buffer."),
    TSR_ENTRY(TSN_INP_KeyboardSetTextBufferSize, "size (number)", "none",
              "Limits the typed-text buffer (longer text is cut)."),
    TSR_ENTRY(TSN_INP_MouseGetAnyPressedKey, "none", "number: the lowest button 1-8 down, 0 for none",
              "Reads the mouse buttons of the last update."),
    TSR_ENTRY(TSN_INP_MouseIsKeyPressed, "button (number 1-8: 1 left, 2 right, 3 middle)", "boolean",
              "Whether the button is held down; any other number reads as not pressed."),
    TSR_ENTRY(TSN_INP_MouseIsKeyClicked, "button (number 1-8)", "boolean",
              "Whether the button went down in this frame; any other number reads as not clicked."),
    TSR_ENTRY(TSN_INP_MouseGetDeltaX, "none", "number", "Mouse motion on x since the last update."),
    TSR_ENTRY(TSN_INP_MouseGetDeltaY, "none", "number", "Mouse motion on y since the last update."),
    TSR_ENTRY(TSN_INP_MouseGetWheelDelta, "none", "number: -1, 0 or 1", "Wheel direction since the last update."),
    TSR_ENTRY(TSN_INP_MouseGetCursorPos, "none", "two numbers: x, y",
              "The cursor position in back-buffer pixels."),
    TSR_ENTRY(TSN_INP_MouseGetCursorStatus, "none", "boolean",
              "Whether the cursor is inside the active window's picture."),
    TSR_ENTRY(TSN_SFX_SetGlobalVolumes, "sound volume, music volume (numbers 0-100)", "none",
              "Sets the global volumes of samples and streams, and of music."),
    TSR_ENTRY(TSN_SFX_SoundUnload, "sound (number or string)", "none", "Unloads a sound by ID or identifier."),
    TSR_ENTRY(TSN_SFX_SoundPlay,
              "sound (number or string), loop (boolean), frequency, volume, pan (numbers)", "none",
              "Plays a sound; -1 for frequency or volume and -101 for pan keep the sound's own values."),
    TSR_ENTRY(TSN_SFX_SoundStop, "sound (number or string)", "none", "Stops a sound."),
    TSR_ENTRY(TSN_SFX_SoundPause, "sound (number or string)", "none", "Pauses a sound."),
    TSR_ENTRY(TSN_SFX_SoundResume, "sound (number or string)", "none", "Resumes a paused sound."),
    TSR_ENTRY(TSN_SFX_SoundSetAttributes, "sound (number or string), frequency, volume, pan (numbers)", "none",
              "Changes a playing sound's frequency, volume and pan."),
    TSR_ENTRY(TSN_SFX_SoundSlideAttributes,
              "sound (number or string), frequency, volume, pan, time in ms (numbers)", "none",
              "Slides a playing sound's attributes over the given time."),
    TSR_ENTRY(TSN_SFX_SoundGetStatus, "sound (number or string)", "number: 0 stopped, non-zero playing or paused",
              "The sound's playing status."),
    TSR_ENTRY(TSN_SFX_MusicSetVolume, "volume, time in ms (numbers)", "none",
              "Slides the current music's volume over the given time."),
    TSR_ENTRY(TSN_SFX_PlaylistSet, "playlist (number or string)", "none",
              "Starts a playlist (the running music fades out first)."),
    TSR_ENTRY(TSN_SFX_PlaylistStop, "none", "none", "Stops the current playlist."),
    TSR_ENTRY(TSN_RES_LoadResource, "identifier (string)", "none",
              "Loads one resource (a script resource runs when loaded)."),
    TSR_ENTRY(TSN_RES_LoadResources, "tag (number; 0 for all)", "none", "Loads every resource with the tag."),
    TSR_ENTRY(TSNUTIL_DemandTexture, "identifier (string)", "number: texture ID",
              "The texture's ID, loading its resource first when needed."),
    TSR_ENTRY(TSNUTIL_DemandTechnique, "technique identifier, technique pack identifier (strings)",
              "number: technique ID", "The technique's ID, loading its pack first when needed."),
    TSR_ENTRY(TSNUTIL_DemandFont, "identifier (string)", "number: font ID",
              "The font's ID, loading its resource first when needed."),
    TSR_ENTRY(TSNUTIL_DemandSound, "identifier (string)", "number: sound ID (-2 without a sound card)",
              "The sound's ID, loading its resource first when needed."),
    TSR_ENTRY(TSNUTIL_DemandMusic, "identifier (string)", "number: music ID (-2 without a sound card)",
              "The music's ID, loading its resource first when needed."),
    TSR_ENTRY(TSNUTIL_DemandPlaylist, "identifier (string)", "number: playlist ID (-2 without a sound card)",
              "The playlist's ID, loading its resource first when needed."),
};

#undef TSR_ENTRY

struct ScrFamily {
    const char* prefix;
    const char* title;
};

const ScrFamily kFamilies[] = {
    {"TSN_SYS_", "System"},     {"TSN_LOG_", "Log"},   {"TSN_GFX_", "Graphics"},
    {"TSN_INP_", "Input"},      {"TSN_SFX_", "Sound"}, {"TSN_RES_", "Resources"},
    {"TSNUTIL_", "Demand (load on first use)"},
};

}  // namespace

std::span<const ScrFunctionInfo> ScrGetFunctionTable()
{
    return kScriptFunctions;
}

std::string ScrMakeApiReference()
{
    std::string out;
    out += "# Tesseron script API\n\n";
    out += "Written by `tesseron --script-api` from the table that registers the functions; "
           "do not edit by hand.\n\n";
    out += "Scripts are Lua 5.1 chunks (resources of type `SCRIPT`), run when they are loaded. "
           "The base (with `coroutine`), `math`, `io` and `os` libraries are open; `string`, `table`, "
           "`debug` and `package` are not.\n\n";
    out += "Every function checks the Lua type of its arguments first. A wrong or missing argument "
           "ends the program with the error \"Error in glue function: glue_<name>.Invalid argument type. "
           "Index = <position>\" (type \"Game.\") in gamelog.txt and ehslog.txt; extra arguments are ignored. "
           "Numbers given for integer parameters are truncated toward zero. An argument shown in brackets "
           "is optional and read only when the call has exactly that many arguments.\n\n";
    out += "The runner `tesseron` calls the global Lua function `OnFrame` (if a script defines it) once per "
           "frame of its main loop; returning `false` ends the program.\n";

    std::string_view currentPrefix;
    for (const ScrFunctionInfo& info : ScrGetFunctionTable()) {
        const std::string_view name = info.name;
        for (const ScrFamily& family : kFamilies) {
            if (name.starts_with(family.prefix) && currentPrefix != family.prefix) {
                currentPrefix = family.prefix;
                out += std::string("\n## ") + family.title + "\n\n";
                out += "| function | arguments | results | what it does |\n";
                out += "|---|---|---|---|\n";
            }
        }
        out += std::string("| `") + info.name + "` | " + info.arguments + " | " + info.results + " | " +
               info.description + " |\n";
    }
    return out;
}
