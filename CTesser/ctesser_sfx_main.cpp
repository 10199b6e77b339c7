// Sound subsystem: start-up and shut-down of the audio output, silent mode,
// focus pause, global volumes, and the per-frame music step.
#include <new>

#include "ctesser.h"
#include "ctesser_sfx_classes.h"
#include "ctesser_utils_itemsmanager.h"

namespace au = tsr::audio;

namespace {

constexpr int32_t FILE_ID = 130;

// Managers are created here; allocation failure is reported, not fatal to the
// process in an unreported way.
template <class T>
TItemsManager<T>* CreateManager()
{
    return new (std::nothrow) TItemsManager<T>();
}

template <class T>
bool DestroyManager(TItemsManager<T>*& manager)
{
    if (!manager)
        return false;
    // Free every item even when one of them fails, then the manager itself.
    TItemsManager<T>* doomed = manager;
    manager = nullptr;
    struct Deleter {
        TItemsManager<T>* m;
        ~Deleter() { delete m; }
    } guard{doomed};
    doomed->FreeAllItems();
    return true;
}

} // namespace

void CTesser::SfxInit(int32_t frequency)
{
    SetCheckpoint(FILE_ID, __LINE__);
    m_bSfxInitialised = true;
    WriteSeparator(LOGSEP_THIN);
    WriteEntry("Initializing Sound and Music Subsystem...", LOG_HEADING);

    EHS_CHECK(m_bGfxCreated, EHS_GAME, "Sound and Music system should be initialized after graphics system!");

    m_bSfxSilent = false;
    if (!au::Init(au::DEVICE_DEFAULT, static_cast<uint32_t>(frequency), au::INIT_DEFAULT_FLAGS, nullptr)) {
        m_bSfxSilent = true;
        bool ok = au::Init(au::DEVICE_SILENT, static_cast<uint32_t>(frequency), au::INIT_DEFAULT_FLAGS, nullptr);
        WriteEntry("No sound card available!", LOG_WARNING);
        if (!ok)
            throw CEHSException(EHS_GENERAL, au::ErrorGetCode(), "Cannot initialize audio library!", __FILE__,
                                __LINE__);
    }
    if (!au::Start())
        throw CEHSException(EHS_GENERAL, au::ErrorGetCode(), "Cannot start digital output!", __FILE__, __LINE__);

    WriteBlankLines(1);
    WriteEntry("Creating Sounds Manager...", LOG_STEP);
    m_pSfxSounds = CreateManager<TSNSound>();
    EHS_CHECK(m_pSfxSounds, EHS_GENERAL, "Cannot create Sounds Manager!");
    WriteBlankLines(1);
    WriteEntry("Done.", LOG_SUCCESS);

    WriteBlankLines(1);
    WriteEntry("Creating Music Manager...", LOG_STEP);
    m_pSfxMusic = CreateManager<TSNMusic>();
    EHS_CHECK(m_pSfxMusic, EHS_GENERAL, "Cannot create Music Manager!");
    WriteBlankLines(1);
    WriteEntry("Done.", LOG_SUCCESS);

    WriteBlankLines(1);
    WriteEntry("Creating Playlists Manager...", LOG_STEP);
    m_pSfxPlaylists = CreateManager<TSNPlaylist>();
    EHS_CHECK(m_pSfxPlaylists, EHS_GENERAL, "Cannot create Playlists Manager!");
    WriteBlankLines(1);
    WriteEntry("Done.", LOG_SUCCESS);

    m_iSfxCurrentMusic = -1;
    m_iSfxQueuedMusic = -1;
    m_bSfxQueuedLoop = false;
    m_iSfxCurrentPlaylist = -1;

    WriteEntry("Done.", LOG_SUCCESS);
    WriteSeparator(LOGSEP_THIN);
    WriteBlankLines(1);
}

void CTesser::SfxDeinit()
{
    SetCheckpoint(FILE_ID, __LINE__);
    WriteSeparator(LOGSEP_THIN);
    WriteEntry("Deinitializing Sound and Music Subsystem...", LOG_HEADING);

    WriteEntry("Destroying Sounds Manager...", LOG_STEP);
    WriteEntry(DestroyManager(m_pSfxSounds) ? "Done." : "Failed.", LOG_SUCCESS);
    WriteEntry("Destroying Music Manager...", LOG_STEP);
    WriteEntry(DestroyManager(m_pSfxMusic) ? "Done." : "Failed.", LOG_SUCCESS);
    WriteEntry("Destroying Playlists Manager...", LOG_STEP);
    WriteEntry(DestroyManager(m_pSfxPlaylists) ? "Done." : "Failed.", LOG_SUCCESS);

    au::Stop();
    au::Free();
    m_iSfxCurrentMusic = -1;
    m_iSfxQueuedMusic = -1;
    m_iSfxCurrentPlaylist = -1;

    WriteEntry("Done.", LOG_SUCCESS);
    WriteSeparator(LOGSEP_THIN);
    WriteBlankLines(1);
    m_bSfxInitialised = false;
}

bool CTesser::SfxIgnored() const { return m_bSfxSilent || !IsApplicationActive(); }

void CTesser::SfxPause()
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (m_bSfxSilent)
        return;
    au::Pause();
}

void CTesser::SfxResume()
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (m_bSfxSilent)
        return;
    au::Start();
}

void CTesser::SfxSetGlobalVolumes(int32_t soundVolume, int32_t musicVolume)
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (m_bSfxSilent)
        return;
    au::SetGlobalVolumes(musicVolume, soundVolume, soundVolume);
}

float CTesser::SfxGetCPU()
{
    SetCheckpoint(FILE_ID, __LINE__);
    return m_bSfxSilent ? 0.0f : au::GetCPU();
}

void CTesser::SfxUpdate()
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (!m_bSfxInitialised || m_bSfxSilent || !m_pSfxMusic)
        return;
    if (MusicGetStatus() == 0 && m_iSfxCurrentPlaylist != -1)
        PlaylistNext();
    if (MusicGetStatus() == 0)
        m_iSfxCurrentMusic = -1;
    if (m_iSfxQueuedMusic != -1 && m_iSfxCurrentMusic == -1) {
        m_iSfxCurrentMusic = m_iSfxQueuedMusic;
        m_iSfxQueuedMusic = -1;
        TSNMusic* music = m_pSfxMusic->GetItem(m_iSfxCurrentMusic);
        EHS_CHECK(music, EHS_GENERAL, "Cannot play music - invalid ID!");
        music->Play(m_bSfxQueuedLoop);
    }
}
