// Music: the MUSIC loader and the one current and one queued track.
#include "ctesser.h"
#include "ctesser_sfx_classes.h"
#include "ctesser_utils_itemsmanager.h"

namespace {

constexpr int32_t FILE_ID = 132;

} // namespace

int CTesser::MusicLoad(const std::string& fileName, const std::string& strID, int32_t tag, int32_t offset,
                       int32_t size, int32_t data1)
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (m_bSfxSilent)
        return -2;
    EHS_ASSERT(m_pSfxMusic);
    int found = m_pSfxMusic->FindID(strID);
    if (found != -1)
        return found;

    WriteBlankLines(1);
    WriteEntry("Loading music: " + strID, LOG_STAGE);
    TSNMusic* music = nullptr;
    if (data1 == 1) {
        music = new (std::nothrow) TSNPreloadedMusic(fileName, offset, size);
        EHS_CHECK(music, EHS_GENERAL, "Cannot create TSNPreloadedMusic object!");
    } else {
        music = new (std::nothrow) TSNMusic(fileName, offset, size);
        EHS_CHECK(music, EHS_GENERAL, "Cannot create TSNMusic object!");
    }
    int index = m_pSfxMusic->AddItem(music, strID, tag);
    WriteEntry("Done.", LOG_SUCCESS);
    WriteBlankLines(1);
    return index;
}

int CTesser::MusicGetIndex(const std::string& strID)
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (m_bSfxSilent)
        return -2;
    EHS_ASSERT(m_pSfxMusic);
    int found = m_pSfxMusic->FindID(strID);
    if (found == -1)
        WriteEntry("Cannot find iID of music with strID = " + strID, LOG_WARNING);
    return found;
}

void CTesser::MusicPlay(int32_t iID, bool loop, int32_t fadeTimeMs)
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (SfxIgnored())
        return;
    EHS_CHECK(iID != -1, EHS_GAME, "Invalid music id!");
    if (iID == m_iSfxCurrentMusic)
        return;
    m_iSfxQueuedMusic = iID;
    m_bSfxQueuedLoop = loop;
    if (m_iSfxCurrentMusic != -1)
        MusicStop(fadeTimeMs);
}

void CTesser::MusicPlay(const std::string& strID, bool loop, int32_t fadeTimeMs)
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (SfxIgnored())
        return;
    MusicPlay(m_pSfxMusic->FindID(strID), loop, fadeTimeMs);
}

void CTesser::MusicStop(int32_t fadeTimeMs)
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (SfxIgnored() || m_iSfxCurrentMusic == -1)
        return;
    TSNMusic* music = m_pSfxMusic->GetItem(m_iSfxCurrentMusic);
    EHS_CHECK(music, EHS_GENERAL, "Cannot stop music - invalid ID!");
    music->Stop(fadeTimeMs);
}

uint32_t CTesser::MusicGetStatus()
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (m_bSfxSilent || m_iSfxCurrentMusic == -1)
        return 0;
    TSNMusic* music = m_pSfxMusic->GetItem(m_iSfxCurrentMusic);
    EHS_CHECK(music, EHS_GENERAL, "Cannot get music status - invalid ID!");
    return music->IsActive();
}

void CTesser::MusicSetVolume(int32_t volume, int32_t timeMs)
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (SfxIgnored() || m_iSfxCurrentMusic == -1)
        return;
    TSNMusic* music = m_pSfxMusic->GetItem(m_iSfxCurrentMusic);
    EHS_CHECK(music, EHS_GENERAL, "Cannot get music status - invalid ID!");
    music->SlideVolume(volume, timeMs);
}

float CTesser::MusicGetLevelLeft()
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (m_bSfxSilent || m_iSfxCurrentMusic == -1 || !m_pSfxMusic)
        return 0.0f;
    TSNMusic* music = m_pSfxMusic->GetItem(m_iSfxCurrentMusic);
    return music ? music->GetLevelLeft() : 0.0f;
}

float CTesser::MusicGetLevelRight()
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (m_bSfxSilent || m_iSfxCurrentMusic == -1 || !m_pSfxMusic)
        return 0.0f;
    TSNMusic* music = m_pSfxMusic->GetItem(m_iSfxCurrentMusic);
    return music ? music->GetLevelRight() : 0.0f;
}
