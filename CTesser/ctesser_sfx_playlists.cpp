// Playlists: the PLAYLIST loader and the random choice of the next track.
#include <cstdlib>
#include <memory>

#include "ctesser.h"
#include "ctesser_sfx_classes.h"
#include "ctesser_utils_itemsmanager.h"
#include "ctesser_utils_randomizer.h"
#include "ctesser_utils_xml.h"

namespace {

constexpr int32_t FILE_ID = 134;

// Every eligible entry is equally likely; an entry listed twice, twice as likely.
constexpr int32_t ENTRY_WEIGHT = 10;

} // namespace

int CTesser::PlaylistLoad(const void* data, int32_t size)
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (m_bSfxSilent)
        return -2;
    EHS_ASSERT(m_pSfxPlaylists);
    CXMLDocument doc;
    doc.LoadFromBuffer(data, size, GetXMLEncryptMode());
    doc.Parse();
    WriteBlankLines(1);
    WriteEntry("Processing playlist file...", LOG_STAGE);
    CXMLNode* root = doc.GetRoot();
    EHS_CHECK(std::string(root->GetName()) == "playlist", EHS_GAME, "XML file doesn't contain playlist data!");

    const char* idAttr = root->GetAttribute("id");
    const std::string strID = idAttr ? idAttr : "";
    int found = m_pSfxPlaylists->FindID(strID);
    if (found != -1) {
        WriteEntry("Warning: Dublicated playlist!", LOG_WARNING);
        return found;
    }

    TSNPlaylist* playlist = new (std::nothrow) TSNPlaylist();
    EHS_CHECK(playlist, EHS_GENERAL, "Cannot create playlist object!");
    // Owned here until stored, so a failing entry load does not leak it.
    std::unique_ptr<TSNPlaylist> owner(playlist);
    for (int i = 0; i < root->GetChildCount(); ++i) {
        const char* entryAttr = root->GetChild(i)->GetAttribute("id");
        const std::string entryID = entryAttr ? entryAttr : "";
        int music = MusicGetIndex(entryID);
        if (music == -1) {
            ResLoadResource(entryID);
            music = MusicGetIndex(entryID);
        }
        if (music < 0)
            continue;
        playlist->m_entries.push_back(music);
    }
    WriteEntry("New playlist contains " + std::to_string(playlist->m_entries.size()) + " entries.", LOG_STEP);

    const char* tagAttr = root->GetAttribute("tag");
    int32_t tag = tagAttr ? static_cast<int32_t>(std::strtol(tagAttr, nullptr, 10)) : 0;
    int index = m_pSfxPlaylists->AddItem(owner.release(), strID, tag);
    WriteEntry("Done.", LOG_SUCCESS);
    WriteBlankLines(1);
    return index;
}

int CTesser::PlaylistGetIndex(const std::string& strID)
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (m_bSfxSilent)
        return -2;
    EHS_ASSERT(m_pSfxPlaylists);
    int found = m_pSfxPlaylists->FindID(strID);
    if (found == -1)
        WriteEntry("Cannot find iID of playlist with strID = " + strID, LOG_WARNING);
    return found;
}

void CTesser::PlaylistSet(int32_t iID)
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (SfxIgnored())
        return;
    EHS_CHECK(iID != -1, EHS_GAME, "Invalid playlist ID!");
    if (iID == m_iSfxCurrentPlaylist)
        return;
    MusicStop(3000);
    m_iSfxCurrentPlaylist = iID;
}

void CTesser::PlaylistSet(const std::string& strID)
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (SfxIgnored())
        return;
    PlaylistSet(m_pSfxPlaylists->FindID(strID));
}

void CTesser::PlaylistStop()
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (SfxIgnored())
        return;
    MusicStop(3000);
    m_iSfxCurrentPlaylist = -1;
}

void CTesser::PlaylistNext()
{
    SetCheckpoint(FILE_ID, __LINE__);
    if (m_bSfxSilent)
        return;
    TSNPlaylist* playlist = m_pSfxPlaylists ? m_pSfxPlaylists->GetItem(m_iSfxCurrentPlaylist) : nullptr;
    EHS_CHECK(playlist, EHS_GENERAL, "Internal error - invalid playlist ID!");
    const std::vector<int32_t>& entries = playlist->m_entries;
    if (entries.empty()) {
        m_iSfxQueuedMusic = -1;
        return;
    }
    if (entries.size() == 1) {
        m_iSfxQueuedMusic = entries[0];
        return;
    }
    TRandomizer<int32_t> randomizer;
    for (int32_t entry : entries)
        if (entry != m_iSfxCurrentMusic)
            randomizer.AddValue(entry, ENTRY_WEIGHT);
    // When every entry is the track that just ended, that track is the only
    // choice: play it again rather than fail.
    m_iSfxQueuedMusic = randomizer.GetCount() == 0 ? m_iSfxCurrentMusic : randomizer.GetRandomValue();
}
