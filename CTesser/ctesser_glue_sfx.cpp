// Script functions of the sound family (TSN_SFX_). A sound or playlist
// argument is a slot index (number) or an identifier (string).
#include "ctesser_scr_glue.h"

namespace {
constexpr int32_t kFileID = 149;

bool IsIdentifier(lua_State* L, int index)
{
    return lua_type(L, index) == LUA_TSTRING;
}

// Checks a sound argument at 1 and `numbers` number arguments after it.
void CheckSoundArgs(lua_State* L, int numbers, int& bad)
{
    CheckArgTypeOneOf(L, 1, LUA_TNUMBER, LUA_TSTRING, bad);
    for (int i = 2; i < 2 + numbers; ++i)
        CheckArgType(L, i, LUA_TNUMBER, bad);
}
}  // namespace

int glue_TSN_SFX_SetGlobalVolumes(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    int bad = 0;
    CheckArgType(L, 1, LUA_TNUMBER, bad);
    CheckArgType(L, 2, LUA_TNUMBER, bad);
    GLUE_CHECK_ARGS(bad);
    GlueEngine().SfxSetGlobalVolumes(GlueToInt(L, 1), GlueToInt(L, 2));
    return 0;
}

int glue_TSN_SFX_SoundUnload(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    int bad = 0;
    CheckSoundArgs(L, 0, bad);
    GLUE_CHECK_ARGS(bad);
    if (IsIdentifier(L, 1))
        GlueEngine().SoundUnload(GlueToString(L, 1));
    else
        GlueEngine().SoundUnload(GlueToInt(L, 1));
    return 0;
}

int glue_TSN_SFX_SoundPlay(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    int bad = 0;
    CheckArgTypeOneOf(L, 1, LUA_TNUMBER, LUA_TSTRING, bad);
    CheckArgType(L, 2, LUA_TBOOLEAN, bad);
    CheckArgType(L, 3, LUA_TNUMBER, bad);
    CheckArgType(L, 4, LUA_TNUMBER, bad);
    CheckArgType(L, 5, LUA_TNUMBER, bad);
    GLUE_CHECK_ARGS(bad);
    const bool loop = GlueToBool(L, 2);
    const int32_t frequency = GlueToInt(L, 3);
    const int32_t volume = GlueToInt(L, 4);
    const int32_t pan = GlueToInt(L, 5);
    if (IsIdentifier(L, 1))
        GlueEngine().SoundPlay(GlueToString(L, 1), loop, frequency, volume, pan);
    else
        GlueEngine().SoundPlay(GlueToInt(L, 1), loop, frequency, volume, pan);
    return 0;
}

int glue_TSN_SFX_SoundStop(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    int bad = 0;
    CheckSoundArgs(L, 0, bad);
    GLUE_CHECK_ARGS(bad);
    if (IsIdentifier(L, 1))
        GlueEngine().SoundStop(GlueToString(L, 1));
    else
        GlueEngine().SoundStop(GlueToInt(L, 1));
    return 0;
}

int glue_TSN_SFX_SoundPause(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    int bad = 0;
    CheckSoundArgs(L, 0, bad);
    GLUE_CHECK_ARGS(bad);
    if (IsIdentifier(L, 1))
        GlueEngine().SoundPause(GlueToString(L, 1));
    else
        GlueEngine().SoundPause(GlueToInt(L, 1));
    return 0;
}

int glue_TSN_SFX_SoundResume(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    int bad = 0;
    CheckSoundArgs(L, 0, bad);
    GLUE_CHECK_ARGS(bad);
    if (IsIdentifier(L, 1))
        GlueEngine().SoundResume(GlueToString(L, 1));
    else
        GlueEngine().SoundResume(GlueToInt(L, 1));
    return 0;
}

int glue_TSN_SFX_SoundSetAttributes(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    int bad = 0;
    CheckSoundArgs(L, 3, bad);
    GLUE_CHECK_ARGS(bad);
    const int32_t frequency = GlueToInt(L, 2);
    const int32_t volume = GlueToInt(L, 3);
    const int32_t pan = GlueToInt(L, 4);
    if (IsIdentifier(L, 1))
        GlueEngine().SoundSetAttributes(GlueToString(L, 1), frequency, volume, pan);
    else
        GlueEngine().SoundSetAttributes(GlueToInt(L, 1), frequency, volume, pan);
    return 0;
}

int glue_TSN_SFX_SoundSlideAttributes(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    int bad = 0;
    CheckSoundArgs(L, 4, bad);
    GLUE_CHECK_ARGS(bad);
    const int32_t frequency = GlueToInt(L, 2);
    const int32_t volume = GlueToInt(L, 3);
    const int32_t pan = GlueToInt(L, 4);
    const int32_t time = GlueToInt(L, 5);
    if (IsIdentifier(L, 1))
        GlueEngine().SoundSlideAttributes(GlueToString(L, 1), frequency, volume, pan, time);
    else
        GlueEngine().SoundSlideAttributes(GlueToInt(L, 1), frequency, volume, pan, time);
    return 0;
}

int glue_TSN_SFX_SoundGetStatus(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    int bad = 0;
    CheckSoundArgs(L, 0, bad);
    GLUE_CHECK_ARGS(bad);
    const auto status = IsIdentifier(L, 1) ? GlueEngine().SoundGetStatus(GlueToString(L, 1))
                                           : GlueEngine().SoundGetStatus(GlueToInt(L, 1));
    lua_pushnumber(L, static_cast<lua_Number>(status));
    return 1;
}

int glue_TSN_SFX_MusicSetVolume(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    int bad = 0;
    CheckArgType(L, 1, LUA_TNUMBER, bad);
    CheckArgType(L, 2, LUA_TNUMBER, bad);
    GLUE_CHECK_ARGS(bad);
    GlueEngine().MusicSetVolume(GlueToInt(L, 1), GlueToInt(L, 2));
    return 0;
}

int glue_TSN_SFX_PlaylistSet(lua_State* L)
{
    SetCheckpoint(kFileID, __LINE__);
    int bad = 0;
    CheckArgTypeOneOf(L, 1, LUA_TNUMBER, LUA_TSTRING, bad);
    GLUE_CHECK_ARGS(bad);
    if (IsIdentifier(L, 1))
        GlueEngine().PlaylistSet(GlueToString(L, 1));
    else
        GlueEngine().PlaylistSet(GlueToInt(L, 1));
    return 0;
}

int glue_TSN_SFX_PlaylistStop(lua_State*)
{
    SetCheckpoint(kFileID, __LINE__);
    GlueEngine().PlaylistStop();
    return 0;
}
