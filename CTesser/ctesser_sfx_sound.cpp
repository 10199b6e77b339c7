// Sounds: the SOUND loader, lookups, unloading and the playing operations by
// slot index, identifier and smart identifier.
#include "ctesser.h"
#include "ctesser_sfx_classes.h"
#include "ctesser_utils_csmartid.h"
#include "ctesser_utils_itemsmanager.h"

namespace {

constexpr int32_t FILE_ID = 131;

} // namespace

int CTesser::SoundLoad(const std::string& fileName, const std::string& strID, int32_t tag, bool stream,
                       int32_t playbackCount, bool noSteal, int32_t offset, int32_t size)
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (m_bSfxSilent)
        return -2;
    EHS_ASSERT(m_pSfxSounds);
    int found = m_pSfxSounds->FindID(strID);
    if (found != -1)
        return found;

    WriteBlankLines(1);
    WriteEntry("Loading sound: " + strID, LOG_STAGE);
    TSNSound* sound = new (std::nothrow)
        TSNSound(stream, playbackCount < 1 ? 1 : playbackCount, noSteal, fileName, offset, size);
    EHS_CHECK(sound, EHS_GENERAL, "Cannot create sound object!");
    int index = m_pSfxSounds->AddItem(sound, strID, tag);
    CSmartID::BindByString(strID, index);
    WriteEntry("Done.", LOG_SUCCESS);
    WriteBlankLines(1);
    return index;
}

int CTesser::SoundGetIndex(const std::string& strID)
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (m_bSfxSilent)
        return -2;
    EHS_ASSERT(m_pSfxSounds);
    int found = m_pSfxSounds->FindID(strID);
    if (found == -1)
        WriteEntry("Cannot find iID of sound with strID = " + strID, LOG_WARNING);
    return found;
}

void CTesser::SoundUnload(const std::string& strID)
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (m_bSfxSilent)
        return;
    EHS_ASSERT(m_pSfxSounds);
    WriteBlankLines(1);
    WriteEntry("Unloading sound. strID = " + strID, LOG_STEP);
    CSmartID::BindByString(strID, -1);
    int found = m_pSfxSounds->FindID(strID);
    if (found != -1 && m_pSfxSounds->GetItem(found)) {
        m_pSfxSounds->FreeItem(found);
        WriteEntry("Done.", LOG_SUCCESS);
    } else {
        WriteEntry("Failed.", LOG_WARNING);
    }
}

void CTesser::SoundUnload(int32_t iID)
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (m_bSfxSilent)
        return;
    EHS_ASSERT(m_pSfxSounds);
    WriteBlankLines(1);
    WriteEntry("Unloading sound. iID = " + std::to_string(iID), LOG_STEP);
    bool freed = false;
    if (iID >= 0 && iID < m_pSfxSounds->GetCount() && m_pSfxSounds->GetItem(iID)) {
        m_pSfxSounds->FreeItem(iID);
        freed = true;
    }
    CSmartID::UnbindByIndex(iID, SMARTID_SOUND);
    if (freed)
        WriteEntry("Done.", LOG_SUCCESS);
    else
        WriteEntry("Failed.", LOG_WARNING);
}

// The sound in a slot, or the "Invalid sound ID" failure.
TSNSound* CTesser::SoundAt(int32_t iID) const
{
    TSNSound* sound = m_pSfxSounds ? m_pSfxSounds->GetItem(iID) : nullptr;
    EHS_CHECK(sound, EHS_GAME, "Invalid sound ID: " + std::to_string(iID));
    return sound;
}

void CTesser::SoundPlay(int32_t iID, bool loop, int32_t frequency, int32_t volume, int32_t pan)
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (SfxIgnored())
        return;
    SoundAt(iID)->Play(loop, frequency, volume, pan);
}

void CTesser::SoundPlay(const std::string& strID, bool loop, int32_t frequency, int32_t volume, int32_t pan)
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (SfxIgnored())
        return;
    SoundPlay(m_pSfxSounds->FindID(strID), loop, frequency, volume, pan);
}

void CTesser::SoundPlay(const CSmartID& id, bool loop, int32_t frequency, int32_t volume, int32_t pan)
{
    SetCheckpoint(FILE_ID, __LINE__);
    SoundPlay(static_cast<int32_t>(id.GetIndex()), loop, frequency, volume, pan);
}

void CTesser::SoundStop(int32_t iID)
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (SfxIgnored())
        return;
    SoundAt(iID)->Stop();
}

void CTesser::SoundStop(const std::string& strID)
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (SfxIgnored())
        return;
    SoundStop(m_pSfxSounds->FindID(strID));
}

void CTesser::SoundPause(int32_t iID)
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (SfxIgnored())
        return;
    SoundAt(iID)->Pause();
}

void CTesser::SoundPause(const std::string& strID)
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (SfxIgnored())
        return;
    SoundPause(m_pSfxSounds->FindID(strID));
}

void CTesser::SoundResume(int32_t iID)
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (SfxIgnored())
        return;
    SoundAt(iID)->Resume();
}

void CTesser::SoundResume(const std::string& strID)
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (SfxIgnored())
        return;
    SoundResume(m_pSfxSounds->FindID(strID));
}

void CTesser::SoundSetAttributes(int32_t iID, int32_t frequency, int32_t volume, int32_t pan)
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (SfxIgnored())
        return;
    SoundAt(iID)->SetAttributes(frequency, volume, pan);
}

void CTesser::SoundSetAttributes(const std::string& strID, int32_t frequency, int32_t volume, int32_t pan)
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (SfxIgnored())
        return;
    SoundSetAttributes(m_pSfxSounds->FindID(strID), frequency, volume, pan);
}

void CTesser::SoundSlideAttributes(int32_t iID, int32_t frequency, int32_t volume, int32_t pan, int32_t timeMs)
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (SfxIgnored())
        return;
    SoundAt(iID)->SlideAttributes(frequency, volume, pan, timeMs);
}

void CTesser::SoundSlideAttributes(const std::string& strID, int32_t frequency, int32_t volume, int32_t pan,
                                   int32_t timeMs)
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (SfxIgnored())
        return;
    SoundSlideAttributes(m_pSfxSounds->FindID(strID), frequency, volume, pan, timeMs);
}

uint32_t CTesser::SoundGetStatus(int32_t iID)
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (SfxIgnored())
        return 0;
    return SoundAt(iID)->GetStatus();
}

uint32_t CTesser::SoundGetStatus(const std::string& strID)
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (SfxIgnored())
        return 0;
    return SoundGetStatus(m_pSfxSounds->FindID(strID));
}
