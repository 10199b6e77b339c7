// The engine object: the state and the operations of every engine
// subsystem. Each subsystem owns one marked section of this class (and its
// own include lines at the top); its operations live in its own files.
#pragma once

#include <cstdint>
#include <string>

#include "ctesser_ehs.h"
#include "ctesser_log.h"

// ---- subsystem includes: graphics ----
#include "ctesser_gfx_types.h"
#include "platform/messages/tsr_messages.h"
// -- textures, techniques, fonts, light pass (ctesser_gfx_tex/tech/font/light) --
namespace tsr::gfx { class Texture; }
template <class T>
class TItemsManagerCOM;
struct TSNTECHNIQUE;
struct TSNFONT;
struct TSNLIGHT;
class CSmartID;
// -- end textures, techniques, fonts, light pass --
// ---- subsystem includes: resources ----
#include <map>
#include "ctesser_res_cres.h"
template <class T>
class TItemsManager;
// ---- subsystem includes: input ----
#include "platform/input/tsr_dinput.h"
// ---- subsystem includes: sound ----
class CSmartID;
class TSNSound;
class TSNMusic;
class TSNPlaylist;
template <class T>
class TItemsManager;
// ---- subsystem includes: scripts ----
#include <exception>
#include <vector>
#include <memory>
#include "ctesser_scr_cluaval.h"
struct lua_State;
// Closes the engine's Lua state (the state's owner is a unique_ptr).
struct ScrLuaStateCloser {
    void operator()(lua_State* L) const;
};

// Application callbacks (RegisterCallback kinds).
enum TSNCallbackKind {
    CALLBACK_LOSTFOCUS = 1,
    CALLBACK_RESTOREDFOCUS = 2,
    CALLBACK_TERMINATION = 3,
};
using TSNCallback = void (*)();
// The main loop's per-frame function: true to go on. (The game's own
// function of that role is called FrameCallback, hence the prefix here.)
using TSNFrameCallback = bool (*)();

class CTesser {
public:
    CTesser();
    ~CTesser();
    CTesser(const CTesser&) = delete;
    CTesser& operator=(const CTesser&) = delete;

    static CTesser* GetInstance();

    // ===== Engine object, timer, main loop (ctesser_main.cpp) =====
    void SetApplicationInfo(const std::string& name, const std::string& version);
    const std::string& GetApplicationName() const { return m_appName; }
    const std::string& GetApplicationVersion() const { return m_appVersion; }
    void RegisterCallback(TSNCallback function, int kind);
    int ProcessMessages();
    int UpdateAllSystems();
    void UpdateTimer();
    float TimerGetDelta() const { return m_timerDeltaSec; }
    int TimerGetFPS() const { return static_cast<int>(m_timerFPS); }
    int32_t TimerGetDeltaMs() const { return m_timerDeltaMs; }
    void OnFocusGained();
    void OnFocusLost();
    void RunMainLoop(TSNFrameCallback frameCallback);

    // A message box with an OK button; headless, the text goes to stderr
    // and into the log as a warning. Returns the button pressed (1, OK).
    int ShowMessageBox(const std::string& text, const std::string& caption, uint32_t type);

    bool GetXMLEncryptMode() const { return m_bXMLEncrypt; }
    void SetXMLEncryptMode(bool on) { m_bXMLEncrypt = on; }
    void SetFatalShutdown() { m_bFatalShutdown = true; }

    // ===== Log (ctesser_log.cpp) =====
    void WriteLine(const std::string& text);
    void WriteEntry(const std::string& text, int kind);
    void WriteSeparator(int style);
    void WriteBlankLines(int count);

    // Subsystem flags, in declaration order of the design.
    bool m_bGfxCreated = false;
    bool m_bResInitialised = false;
    bool m_bInpInitialised = false;
    bool m_bSfxInitialised = false;
    bool m_bScrInitialised = false;
    bool m_bGfxDeviceReady = false;

private:
    std::string m_appName;
    std::string m_appVersion;

    uint32_t m_timerCurrent = 0;
    uint32_t m_timerPrevious = 0;
    int32_t m_timerDeltaMs = 1;
    float m_timerDeltaSec = 0.0f;
    uint32_t m_timerAccumulated = 0;
    uint32_t m_timerFrames = 1;
    uint32_t m_timerFPS = 1;

    TSNCallback m_cbLostFocus = nullptr;
    TSNCallback m_cbRestoredFocus = nullptr;
    TSNCallback m_cbTermination = nullptr;

    bool m_bXMLEncrypt = false;
    bool m_bFatalShutdown = false;

public:
    // ===== Graphics (ctesser_gfx_*.cpp, tsr_window.cpp) =====
    // -- Device and display modes (ctesser_gfx_main.cpp) --
    void GfxPreInit(uint32_t width, uint32_t height);
    void GfxGetVideoCaps(TSNVIDEOCAPS& out) const;
    void GfxInit(int32_t displayMode, bool windowed);
    // True when the device can be drawn on this frame (resets a lost device).
    bool GfxCheckDevice();
    void GfxGetResolution(uint32_t& width, uint32_t& height) const;
    void GfxResetDeviceState();
    void GfxDeinit();
    bool GfxDeviceExists() const { return m_pD3DDevice != nullptr; }
    tsr::gfx::Device* GfxGetDevice() const { return m_pD3DDevice; }
    tsr::gfx::Direct3D* GfxGetDirect3D() const { return m_pD3D; }
    int32_t GfxGetDisplayModeNumber() const { return m_gfxDisplayMode; }
    bool GfxIsWindowed() const { return m_bGfxWindowed; }
    const std::string& GfxGetVideoCardText() const { return m_gfxVideoCard; }
    tsr::WindowHandle GfxGetWindow() const { return m_gfxWindow; }
    // The display mode in use (Mode 1, 2 or 3 by the mode number; null otherwise).
    const TSNDISPLAYMODE* GfxGetCurrentMode() const;

    // -- Scene and screenshot (ctesser_gfx_scene.cpp) --
    void SceneBegin();
    tsr::gfx::HResult SceneEnd();
    tsr::gfx::HResult SceneClearScreen(float red, float green, float blue);
    void SceneRender();
    tsr::gfx::HResult ScenePresent();
    tsr::gfx::HResult SceneSetViewport(int32_t x, int32_t y, int32_t width, int32_t height);
    tsr::gfx::HResult SceneSetGamma(float brightness, float curve);
    void SceneMakeScreenshot();
    int32_t SceneGetScreenshotCount() const { return m_screenshotCount; }

    // -- Vertex quads and the batch (ctesser_gfx_vquad.cpp) --
    void VQuadSetPos(float x, float y, float width, float height, float z);
    void VQuadSetPosByVertex(int32_t vertex, float x, float y, float z);
    void VQuadRotate(float cx, float cy, float degrees);
    void VQuadScale(float cx, float cy, float factor);
    void VQuadMove(float dx, float dy, float dz);
    void VQuadSetTexCoords(int32_t set, float left, float top, float right, float bottom);
    void VQuadSetColor(float red, float green, float blue, float alpha);
    void VQuadSetColorByVertex(int32_t vertex, float red, float green, float blue, float alpha);
    void VQuadFillIndexBuffer();
    void VQuadBatchBegin();
    void VQuadBatchAdd();
    void VQuadBatchFlush();
    void VQuadBatchEnd();
    // Focus lost: unlock an open vertex batch and reset it to empty.
    void VQuadBatchAbandon();
    TSNVERTEX* VQuadGetVertices() { return m_quad; }
    const float* VQuadGetSavedAlpha() const { return m_quadAlpha; }
    void VQuadSetVertexFog(bool on) { m_bVertexFog = on; }
    bool VQuadGetVertexFog() const { return m_bVertexFog; }
    int32_t VQuadGetBatchCount() const { return m_batchCount; }
    bool VQuadBatchIsOpen() const { return m_pBatchVertices != nullptr; }

private:
    void GfxSurvey(uint32_t width, uint32_t height);
    void GfxLogMode(const char* heading, const TSNDISPLAYMODE& mode);
    void VQuadDraw(int32_t quads);

    tsr::gfx::Direct3D* m_pD3D = nullptr;
    tsr::gfx::Device* m_pD3DDevice = nullptr;
    std::string m_gfxVideoCard;
    TSNVIDEOCAPS m_videoCaps;
    uint32_t m_gfxWantedWidth = 0;
    uint32_t m_gfxWantedHeight = 0;
    int32_t m_gfxDisplayMode = 0;
    bool m_bGfxWindowed = false;
    tsr::WindowHandle m_gfxWindow = nullptr;
    tsr::gfx::PresentParameters m_presentParams;
    tsr::gfx::IndexBuffer* m_pIndexBuffer = nullptr;
    tsr::gfx::VertexBuffer* m_pVertexBuffer = nullptr;
    uint8_t* m_pBatchVertices = nullptr;
    int32_t m_batchCount = 0;
    TSNVERTEX m_quad[4] = {};
    float m_quadAlpha[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    bool m_bVertexFog = false;
    int32_t m_screenshotCount = 0;

public:
    // ---- Textures, techniques, fonts, light pass (ctesser_gfx_tex/tech/font/light.cpp) ----
    // Textures. The loader of TEXTURE resources; an edge length of 0 or
    // below means the image's own size.
    int TexLoadFromMemory(const void* data, int32_t size, int32_t formatClass, const std::string& strID,
                          int32_t mipLevels, int32_t tag, int32_t edgeLength);
    int TexGetID(const std::string& strID);
    void TexUnloadByStrID(const std::string& strID);
    void TexUnloadByID(int32_t id);
    // Stages 0-7; any other stage is a Game error.
    void TexSet(int32_t id, int32_t stage);
    void TexSet(const std::string& strID, int32_t stage);
    void TexSet(const CSmartID& handle, int32_t stage);
    void TexSetNoTexture(int32_t stage);
    int32_t TexGetCurrent(int32_t stage) const;
    tsr::gfx::Texture* TexGetTexture(int32_t id) const;
    int32_t TexGetSlotCount() const;
    // Techniques. The loader of TECHNIQUE resources.
    void TechLoadPack(const void* data, int32_t size);
    int TechGetID(const std::string& strID);
    void TechApply(int32_t id);
    void TechApplyByStrID(const std::string& strID);
    void TechApplyByHandle(const CSmartID& handle);
    int32_t TechGetCurrent() const { return m_techCurrent; }
    // Fonts. The loader of FONT resources.
    int FontLoad(const void* data, int32_t size);
    int FontGetID(const std::string& strID);
    void FontSet(int32_t id);
    void FontSetByStrID(const std::string& strID);
    void FontSetByHandle(const CSmartID& handle);
    int32_t FontGetCurrent() const { return m_fontCurrent; }
    const TSNFONT* FontGetFont(int32_t id) const;
    // Text is read as unsigned bytes; maxChars 0 means no limit; a colour
    // index outside -1..9 counts as -1 (keep the quad's colour).
    void FontDrawText(const std::string& text, float x, float y, int32_t maxChars, int32_t colorIndex, float alpha);
    void FontDrawTextEx(const std::string& text, float x, float y, int32_t maxChars, int32_t colorIndex, float alpha,
                        bool applyTechnique, float scale, float charSpacing, float lineSpacing);
    float FontGetStringWidth(const std::string& text, int32_t fontID, float scale, float charSpacing);
    // The light pass, run on the current quad before it joins the batch.
    // `vertices` are the quad's four 40-byte vertices; savedAlpha the alphas
    // last given to the quad's colour operations.
    void LightPass(void* vertices, const float savedAlpha[4], uint32_t backBufferWidth, uint32_t backBufferHeight,
                   bool dot3Capable);
    int32_t LightGetMode() const { return m_lightMode; }
    const float* LightGetAmbient() const { return m_lightAmbient; }
    // Graphics start-up and shut-down call these (in the order textures,
    // lights, techniques, fonts); TexTechFontResetState after every device reset.
    void TexManagerCreate();
    void TexManagerFreeAll();
    void LightManagerCreate();
    void LightManagerFreeAll();
    void TechManagerCreate();
    void TechManagerFreeAll();
    void FontManagerCreate();
    void FontManagerFreeAll();
    bool TexManagerExists() const { return m_texManager != nullptr; }
    bool LightManagerExists() const { return m_lightManager != nullptr; }
    bool TechManagerExists() const { return m_techManager != nullptr; }
    bool FontManagerExists() const { return m_fontManager != nullptr; }
    // Stages, technique and font to -1; light mode 0, ambient (0, 0, 0, 1).
    void TexTechFontResetState();

private:
    TItemsManagerCOM<tsr::gfx::Texture>* m_texManager = nullptr;
    TItemsManager<TSNTECHNIQUE>* m_techManager = nullptr;
    TItemsManager<TSNFONT>* m_fontManager = nullptr;
    TItemsManager<TSNLIGHT>* m_lightManager = nullptr;
    int32_t m_texCurrent[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
    int32_t m_techCurrent = -1;
    int32_t m_fontCurrent = -1;
    int32_t m_lightMode = 0;
    float m_lightAmbient[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    int32_t m_lightDot3Index = -1;

public:
    // ---- end textures, techniques, fonts, light pass ----

    // ===== Resources (ctesser_res_*.cpp) =====
    // Scans ./DATA/ (resource-pack descriptors, else pack files) and
    // registers the standard loaders.
    void ResInit();
    void ResDeinit();
    void ResRegisterLoadRes(LoadRes function, const std::string& typeID);
    void ResRegisterLoadResEx(LoadResEx function, const std::string& typeID);
    // Loads one resource by identifier; an unknown one is only a warning.
    void ResLoadResource(const std::string& strID);
    // Loads every resource with the tag (0: every resource), in slot order.
    void ResLoadResources(int32_t tag);
    // 0 no packs found, 1 XML mode, 2 PAK mode.
    int32_t ResGetMode() const { return m_resMode; }
    // The descriptors, for tools and tests: slot count, slot lookup (null
    // for an empty slot or while not initialised) and lookup by identifier.
    int ResGetCount() const;
    const CTSNResource* ResGetResource(int index) const;
    const CTSNResource* ResFindResource(const std::string& strID) const;

private:
    void ResProcessPacks();
    void ResProcessDescriptor(const std::string& path);
    void ResProcessPackFile(const std::string& path);
    void ResLoadDescriptor(int index);

    int32_t m_resMode = 0;
    TItemsManager<CTSNResource>* m_resManager = nullptr; // owned; created by ResInit
    std::map<std::string, LoadRes> m_resLoadRes;
    std::map<std::string, LoadResEx> m_resLoadResEx;

public:

    // ===== Input (ctesser_inp_*.cpp) =====
    // Subsystem: start (after graphics), stop, re-acquire after a focus
    // gain, and the once-per-frame read of the keyboard, then the mouse.
    void InpInit();
    void InpDeinit();
    void InpReacquire();
    void InpUpdate();
    bool InpDirectInputExists() const { return m_inpDirectInput != nullptr; }

    // Keyboard. Key codes are the DIK_ codes; of a wider number only the
    // low 8 bits count.
    void KeyboardCreate();
    void KeyboardRelease();
    void KeyboardReacquire();
    void KeyboardUpdate();
    bool KeyboardIsKeyPressed(int32_t key) const;
    bool KeyboardIsKeyClicked(int32_t key) const;
    // The lowest key code 0-254 that is down, 0 when none.
    int32_t KeyboardGetAnyPressedKey() const;
    // Text input: clicked keys become characters in the text buffer.
    void KeyboardSetTextBufferStatus(int32_t flag);
    bool KeyboardGetTextBufferStatus() const { return m_inpTextInput; }
    void KeyboardSetTextInBuffer(const std::string& text);
    const std::string& KeyboardGetTextInBuffer() const { return m_inpTextBuffer; }
    void KeyboardSetTextBufferSize(int32_t size);
    int32_t KeyboardGetTextBufferSize() const { return m_inpTextLimit; }
    // The character of the key clicked in this frame (Shift applied), 0 if none.
    char KeyboardGetClickedChar() const;
    // The key code of a key name ("ESCAPE", "PGUP"), exact case; 0 if unknown.
    int32_t GetKeyCodeByName(const std::string& name) const;
    bool KeyboardIsAcquired() const { return m_inpKeyboardAcquired; }

    // Mouse. Buttons are numbered 1-8 (1 left, 2 right, 3 middle); any
    // other number is never pressed nor clicked.
    struct MouseCursorPos {
        int32_t x = 0;
        int32_t y = 0;
    };
    void MouseCreate();
    void MouseRelease();
    void MouseReacquire();
    void MouseUpdate();
    int32_t MouseGetAnyPressedKey() const;
    bool MouseIsKeyPressed(int32_t button) const;
    bool MouseIsKeyClicked(int32_t button) const;
    int32_t MouseGetDeltaX() const { return m_inpMouseState.lX; }
    int32_t MouseGetDeltaY() const { return m_inpMouseState.lY; }
    // -1, 0 or 1: the sign of the wheel change.
    int32_t MouseGetWheelDelta() const;
    // The cursor in the game window's client coordinates (back-buffer pixels).
    MouseCursorPos MouseGetCursorPos() const { return {m_inpCursorX, m_inpCursorY}; }
    void MouseGetCursorPos(int32_t& x, int32_t& y) const
    {
        x = m_inpCursorX;
        y = m_inpCursorY;
    }
    // The cursor is inside the client area of the active window.
    bool MouseGetCursorStatus() const { return m_inpCursorInside; }
    int32_t MouseGetCursorDeltaX() const { return m_inpCursorX - m_inpCursorPrevX; }
    int32_t MouseGetCursorDeltaY() const { return m_inpCursorY - m_inpCursorPrevY; }
    bool MouseIsAcquired() const { return m_inpMouseAcquired; }

private:
    // The game window the devices belong to.
    tsr::WindowHandle InpGetWindow() const;
    void InpWarnNotAcquired(const char* what, tsr::HRESULT result);
    void KeyboardTextInputStep();

    tsr::DirectInputPtr m_inpDirectInput;
    tsr::DirectInputDevicePtr m_inpKeyboard;
    uint8_t m_inpKeyState[256] = {};
    uint8_t m_inpKeyStatePrev[256] = {};
    std::string m_inpTextBuffer;
    bool m_inpTextInput = false;
    int32_t m_inpTextLimit = 255;
    bool m_inpKeyboardAcquired = false;

    tsr::DirectInputDevicePtr m_inpMouse;
    tsr::DIMOUSESTATE2 m_inpMouseState = {};
    tsr::DIMOUSESTATE2 m_inpMouseStatePrev = {};
    int32_t m_inpCursorX = 0;
    int32_t m_inpCursorY = 0;
    int32_t m_inpCursorPrevX = 0;
    int32_t m_inpCursorPrevY = 0;
    bool m_inpCursorInside = false;
    bool m_inpCursorWasInside = false;
    bool m_inpMouseAcquired = false;

public:

    // ===== Sound (ctesser_sfx_*.cpp) =====
    // Start-up and shut-down (output frequency in Hz), silent mode, focus.
    void SfxInit(int32_t frequency);
    void SfxDeinit();
    void SfxUpdate(); // the per-frame music step
    void SfxPause();
    void SfxResume();
    bool SfxHasNoSoundCard() const { return m_bSfxSilent; }
    // Volumes 0..100 of samples and streams, and of music.
    void SfxSetGlobalVolumes(int32_t soundVolume, int32_t musicVolume);
    float SfxGetCPU();

    // Sounds: volume 0..100, pan -100..100, frequency in Hz; -1, -1, -101 keep
    // the sound's own value.
    int SoundLoad(const std::string& fileName, const std::string& strID, int32_t tag, bool stream,
                  int32_t playbackCount, bool noSteal, int32_t offset, int32_t size);
    int SoundGetIndex(const std::string& strID);
    void SoundUnload(const std::string& strID);
    void SoundUnload(int32_t iID);
    void SoundPlay(int32_t iID, bool loop, int32_t frequency, int32_t volume, int32_t pan);
    void SoundPlay(const std::string& strID, bool loop, int32_t frequency, int32_t volume, int32_t pan);
    void SoundPlay(const CSmartID& id, bool loop, int32_t frequency, int32_t volume, int32_t pan);
    void SoundStop(int32_t iID);
    void SoundStop(const std::string& strID);
    void SoundPause(int32_t iID);
    void SoundPause(const std::string& strID);
    void SoundResume(int32_t iID);
    void SoundResume(const std::string& strID);
    void SoundSetAttributes(int32_t iID, int32_t frequency, int32_t volume, int32_t pan);
    void SoundSetAttributes(const std::string& strID, int32_t frequency, int32_t volume, int32_t pan);
    void SoundSlideAttributes(int32_t iID, int32_t frequency, int32_t volume, int32_t pan, int32_t timeMs);
    void SoundSlideAttributes(const std::string& strID, int32_t frequency, int32_t volume, int32_t pan,
                              int32_t timeMs);
    uint32_t SoundGetStatus(int32_t iID);
    uint32_t SoundGetStatus(const std::string& strID);

    // Music: one current track, one queued behind it.
    int MusicLoad(const std::string& fileName, const std::string& strID, int32_t tag, int32_t offset,
                  int32_t size, int32_t data1);
    int MusicGetIndex(const std::string& strID);
    void MusicPlay(int32_t iID, bool loop, int32_t fadeTimeMs);
    void MusicPlay(const std::string& strID, bool loop, int32_t fadeTimeMs);
    void MusicStop(int32_t fadeTimeMs);
    uint32_t MusicGetStatus();
    void MusicSetVolume(int32_t volume, int32_t timeMs);
    // Levels 0..256 of the current music (0 when none plays).
    float MusicGetLevelLeft();
    float MusicGetLevelRight();

    // Playlists: random tracks, never the one that just ended twice in a row.
    int PlaylistLoad(const void* data, int32_t size);
    int PlaylistGetIndex(const std::string& strID);
    void PlaylistSet(int32_t iID);
    void PlaylistSet(const std::string& strID);
    void PlaylistStop();
    void PlaylistNext();

    // State of the sound subsystem, readable for diagnostics and tests.
    int32_t SfxGetCurrentMusic() const { return m_iSfxCurrentMusic; }
    int32_t SfxGetQueuedMusic() const { return m_iSfxQueuedMusic; }
    int32_t SfxGetCurrentPlaylist() const { return m_iSfxCurrentPlaylist; }

private:
    bool SfxIgnored() const; // silent mode or inactive window
    TSNSound* SoundAt(int32_t iID) const;

    bool m_bSfxSilent = false;
    TItemsManager<TSNSound>* m_pSfxSounds = nullptr;
    TItemsManager<TSNMusic>* m_pSfxMusic = nullptr;
    TItemsManager<TSNPlaylist>* m_pSfxPlaylists = nullptr;
    int32_t m_iSfxCurrentMusic = -1;
    int32_t m_iSfxQueuedMusic = -1;
    bool m_bSfxQueuedLoop = false;
    int32_t m_iSfxCurrentPlaylist = -1;

public:
    // ===== Scripts (ctesser_scr_*.cpp) =====
    // Lua state, standard libraries, panic handler and the engine's script functions.
    void ScrInit();
    void ScrDeinit();
    // Publishes a native function as the Lua global `name` (replacing any
    // earlier one). Engine exceptions thrown inside it reach the process
    // entry unchanged, through any Lua frames in between.
    void ScrRegisterFunction(const std::string& name, int (*function)(lua_State*));
    // The SCRIPT loader's work: compile and run one chunk named `name`.
    void ScrLoadScript(const void* data, int32_t size, const std::string& name);
    // Name of the last Lua function called through the call bridge ("" if none).
    std::string ScrGetLastCalledFunction() const { return m_scrLastCalled; }
    const std::string& GetLastCalledFunctionName() const { return m_scrLastCalled; }
    lua_State* ScrGetLuaState() const { return m_luaState.get(); }

    // The call bridge: queue parameters, then call a global Lua function by
    // name. resultCount is the number of results wanted, -1 for all. Safe to
    // re-enter from a script function: every call takes its own parameters
    // and leaves its own results in GetCallResults() when it returns.
    void AddCallParam(const CLuaValue& value) { m_scrCallParams.push_back(value); }
    void AddCallParam(CLuaValue&& value) { m_scrCallParams.push_back(std::move(value)); }
    void CallLuaFunction(const std::string& name, int resultCount);
    const std::vector<CLuaValue>& GetCallResults() const { return m_scrCallResults; }
    size_t GetCallParamCount() const { return m_scrCallParams.size(); }

    // Used by the script-function guard: an engine exception caught inside a
    // Lua call waits here while Lua unwinds, then is rethrown as it was.
    void ScrKeepException(std::exception_ptr e) { m_scrPendingException = std::move(e); }
    bool ScrHasPendingException() const { return static_cast<bool>(m_scrPendingException); }

private:
    friend struct ScrCallScope;
    void ScrRethrowPending();
    void ScrThrowLuaError(int code);

    std::unique_ptr<lua_State, ScrLuaStateCloser> m_luaState;
    std::vector<CLuaValue> m_scrCallParams;
    std::vector<CLuaValue> m_scrCallResults;
    std::string m_scrLastCalled;
    std::exception_ptr m_scrPendingException;
    int m_scrCallDepth = 0;
};

// Global state of the engine core.
// The program's instance handle, stored by the process entry (the window
// layer registers its window class with it).
void* GetProgramInstance();
void SetProgramInstance(void* instance);
bool IsApplicationActive();
void SetApplicationActive(bool active);
void RequestQuit();
bool IsQuitRequested();

// The game's (or runner's) entry function, called by the process entry.
void GameMain(CTesser* engine);

// The process entry: single instance, fault translation, engine object,
// GameMain, the three fatal-error handlers. Returns the exit status.
int TesseronMain(int argc, char** argv);
