// Resource subsystem: finds the resource packs in ./DATA/, keeps one
// descriptor per resource, and loads resources by identifier or by tag
// through the loader registered for their type.
#include <new>
#include <vector>

#include "ctesser.h"
#include "ctesser_res_pak.h"
#include "ctesser_res_xmldata.h"
#include "ctesser_utils_itemsmanager.h"
#include "platform/files/tsr_files.h"

namespace {

const char* const kDataFolder = "./DATA/";

// ---- The standard loaders: each rearranges the descriptor's values into
// the arguments of the subsystem operation that does the work.

void RESLOAD_Texture(const void* data, int32_t size, const char* strID, int32_t tag, int32_t data1, int32_t data2,
                     int32_t data3)
{
    CTesser::GetInstance()->TexLoadFromMemory(data, size, data1, strID, data2, tag, data3);
}

void RESLOAD_Technique(const void* data, int32_t size, const char*, int32_t, int32_t, int32_t, int32_t)
{
    CTesser::GetInstance()->TechLoadPack(data, size);
}

void RESLOAD_Font(const void* data, int32_t size, const char*, int32_t, int32_t, int32_t, int32_t)
{
    CTesser::GetInstance()->FontLoad(data, size);
}

void RESLOAD_Sound(const char* fileName, int32_t offset, int32_t size, const char* strID, int32_t tag, int32_t data1,
                   int32_t data2, int32_t data3)
{
    CTesser::GetInstance()->SoundLoad(fileName, strID, tag, data1 == 1, data2 < 1 ? 1 : data2, data3 == 1, offset,
                                      size);
}

void RESLOAD_Music(const char* fileName, int32_t offset, int32_t size, const char* strID, int32_t tag, int32_t data1,
                   int32_t, int32_t)
{
    CTesser::GetInstance()->MusicLoad(fileName, strID, tag, offset, size, data1);
}

void RESLOAD_Playlist(const void* data, int32_t size, const char*, int32_t, int32_t, int32_t, int32_t)
{
    CTesser::GetInstance()->PlaylistLoad(data, size);
}

void RESLOAD_Script(const void* data, int32_t size, const char* strID, int32_t, int32_t, int32_t, int32_t)
{
    CTesser::GetInstance()->ScrLoadScript(data, size, strID);
}

void RESLOAD_XMLDataLoader(const void* data, int32_t size, const char*, int32_t, int32_t, int32_t, int32_t)
{
    RESLOAD_XMLData(data, size);
}

} // namespace

void CTesser::ResInit()
{
    m_bResInitialised = true;
    m_resMode = 0;
    WriteSeparator(LOGSEP_THIN);
    WriteBlankLines(1);
    WriteEntry("Initializing Resources Subsystem...", LOG_HEADING);
    WriteBlankLines(1);

    // A second start after ResDeinit begins from a clean state.
    delete m_resManager;
    m_resManager = new (std::nothrow) TItemsManager<CTSNResource>();
    EHS_CHECK(m_resManager != nullptr, EHS_GENERAL, "Cannot create Resources Manager!");

    // Both registries start empty, so that the standard registrations
    // below also succeed after an earlier ResInit/ResDeinit pair.
    m_resLoadRes.clear();
    m_resLoadResEx.clear();

    if (!tsr::FindFiles(std::string(kDataFolder) + "*.xml").empty()) {
        m_resMode = 1;
    } else if (!tsr::FindFiles(std::string(kDataFolder) + "*.pak").empty()) {
        m_resMode = 2;
        SetXMLEncryptMode(true);
    }

    WriteBlankLines(1);
    if (m_resMode == 1)
        WriteEntry("Resources Subsystem operates in XML mode.", LOG_STEP);
    else if (m_resMode == 2)
        WriteEntry("Resources Subsystem operates in PAK mode.", LOG_STEP);
    else
        WriteEntry("No resources were found!", LOG_WARNING);

    ResProcessPacks();

    WriteBlankLines(1);
    WriteEntry("Registering resources-loading functions for standart resource types...", LOG_STAGE);
    WriteBlankLines(1);
    ResRegisterLoadRes(RESLOAD_Texture, "TEXTURE");
    ResRegisterLoadRes(RESLOAD_Technique, "TECHNIQUE");
    ResRegisterLoadRes(RESLOAD_Font, "FONT");
    ResRegisterLoadResEx(RESLOAD_Sound, "SOUND");
    ResRegisterLoadResEx(RESLOAD_Music, "MUSIC");
    ResRegisterLoadRes(RESLOAD_Playlist, "PLAYLIST");
    ResRegisterLoadRes(RESLOAD_Script, "SCRIPT");
    ResRegisterLoadRes(RESLOAD_XMLDataLoader, "XMLDATA");
    WriteBlankLines(1);
    WriteEntry("Done.", LOG_SUCCESS);
    WriteBlankLines(1);

    WriteEntry("Done.", LOG_SUCCESS);
    WriteBlankLines(1);
    WriteSeparator(LOGSEP_THIN);
    WriteBlankLines(1);
}

void CTesser::ResProcessPacks()
{
    if (m_resMode == 0)
        return;
    // Sorted by the files layer, so slot order, tag loading order and the
    // winner of a duplicated identifier are the same on every run.
    const std::vector<std::string> names =
        tsr::FindFiles(std::string(kDataFolder) + (m_resMode == 1 ? "*.xml" : "*.pak"));
    for (const std::string& name : names) {
        const std::string path = kDataFolder + name;
        if (m_resMode == 1)
            ResProcessDescriptor(path);
        else
            ResProcessPackFile(path);
    }
    WriteBlankLines(1);
    WriteEntry(std::to_string(names.size()) + " resource packs found.", LOG_SUCCESS);
    WriteBlankLines(1);
}

void CTesser::ResProcessDescriptor(const std::string& path)
{
    WriteBlankLines(1);
    WriteEntry("Processing ResPack: " + path, LOG_STEP);
    WriteBlankLines(1);

    TItemsManager<CTSNResource>& manager = *m_resManager;
    const int count = ResReadDescriptor(
        path, kDataFolder, [&](const std::string& id) { return manager.FindID(id) >= 0; },
        [&](TSNResEntry&& e) {
            auto* res = new CTSNResource(e.id, e.typeID, e.tag, e.fileName, e.offset, e.size, e.data1, e.data2,
                                         e.data3);
            manager.AddItem(res, e.id, e.tag);
        });

    WriteEntry(std::to_string(count) + " resources found.", LOG_SUCCESS);
    WriteBlankLines(1);
}

void CTesser::ResProcessPackFile(const std::string& path)
{
    WriteBlankLines(1);
    WriteEntry("Processing ResPack: " + path, LOG_STEP);
    WriteBlankLines(1);

    std::vector<TSNResEntry> entries;
    std::string error;
    const PakReadStatus status = PakReadTOC(path, entries, error);
    // A pack that cannot be opened contributes nothing; one that opens but
    // does not hold a valid table of contents is a fault in the game's data.
    if (status == PakReadStatus::OpenFailed)
        WriteEntry("Cannot open resource pack: " + path, LOG_WARNING);
    EHS_CHECK(status != PakReadStatus::Malformed, EHS_GAME, "Corrupt resource pack " + path + ": " + error);

    TItemsManager<CTSNResource>& manager = *m_resManager;
    for (const TSNResEntry& e : entries) {
        // The first pack listed wins a duplicated identifier; the later
        // entry is dropped without a message.
        if (manager.FindID(e.id) >= 0)
            continue;
        manager.AddItem(new CTSNResource(e.id, e.typeID, e.tag, path, e.offset, e.size, e.data1, e.data2, e.data3),
                        e.id, e.tag);
    }

    WriteEntry(std::to_string(entries.size()) + " resources found.", LOG_SUCCESS);
    WriteBlankLines(1);
}

void CTesser::ResRegisterLoadRes(LoadRes function, const std::string& typeID)
{
    EHS_CHECK(m_resLoadRes.find(typeID) == m_resLoadRes.end(), EHS_GAME,
              "LoadRes function already registered for TypeID = " + typeID);
    m_resLoadRes.emplace(typeID, function);
}

void CTesser::ResRegisterLoadResEx(LoadResEx function, const std::string& typeID)
{
    EHS_CHECK(m_resLoadResEx.find(typeID) == m_resLoadResEx.end(), EHS_GAME,
              "LoadResEx function already registered for TypeID = " + typeID);
    m_resLoadResEx.emplace(typeID, function);
}

void CTesser::ResLoadResource(const std::string& strID)
{
    EHS_CHECK(m_bResInitialised && m_resManager, EHS_GAME, "Resources subsystem was not initialized!");
    const int index = m_resManager->FindID(strID);
    if (index < 0 || !m_resManager->GetItem(index)) {
        WriteBlankLines(1);
        WriteEntry("Cannot find resource with ID = " + strID, LOG_WARNING);
        return;
    }
    ResLoadDescriptor(index);
}

void CTesser::ResLoadResources(int32_t tag)
{
    EHS_CHECK(m_bResInitialised && m_resManager, EHS_GAME, "Resources subsystem was not initialized!");
    WriteBlankLines(1);
    WriteEntry("Loading resources with Tag = " + std::to_string(tag), LOG_STAGE);
    WriteBlankLines(1);

    // The manager has a single iteration cursor, and a loader (a script)
    // may itself load resources by tag: take the slots first, then load.
    std::vector<int> slots;
    for (CTSNResource* res = m_resManager->GetFirstItemWithTag(tag); res; res = m_resManager->GetNextItemWithTag())
        slots.push_back(m_resManager->GetCursor());

    int loaded = 0;
    for (int index : slots) {
        // A loader may have shut the subsystem down meanwhile.
        EHS_CHECK(m_bResInitialised && m_resManager, EHS_GAME, "Resources subsystem was not initialized!");
        ResLoadDescriptor(index);
        ++loaded;
    }

    WriteBlankLines(1);
    WriteEntry(std::to_string(loaded) + " resources with Tag = " + std::to_string(tag) + " loaded.", LOG_SUCCESS);
    WriteBlankLines(1);
}

void CTesser::ResLoadDescriptor(int index)
{
    CTSNResource* res = m_resManager->GetItem(index);
    EHS_ASSERT(res != nullptr);
    // Copies: a loader may shut the subsystem down and free the descriptor.
    const std::string strID = res->GetID();
    const std::string typeID = res->GetTypeID();

    const auto loadRes = m_resLoadRes.find(typeID);
    if (loadRes != m_resLoadRes.end()) {
        // A loader that loads its own resource again would never end.
        EHS_CHECK(!res->IsLoaded(), EHS_GAME, "Resource is already being loaded (its loader loads it again). ID = " + strID);
        res->DataLoad();
        const LoadRes function = loadRes->second;
        function(res->GetData(), res->GetSize(), strID.c_str(), res->GetTag(), res->GetData1(), res->GetData2(),
                 res->GetData3());
        // Only release what is still there: after a ResDeinit inside the
        // loader the descriptor is gone with its buffer.
        if (m_resManager && m_resManager->GetItem(index) == res && res->IsLoaded())
            res->DataUnLoad();
        return;
    }
    const auto loadResEx = m_resLoadResEx.find(typeID);
    if (loadResEx != m_resLoadResEx.end()) {
        const std::string fileName = res->GetFileName();
        loadResEx->second(fileName.c_str(), res->GetOffset(), res->GetSize(), strID.c_str(), res->GetTag(),
                          res->GetData1(), res->GetData2(), res->GetData3());
        return;
    }
    EHS_CHECK(false, EHS_GAME, "Cannot load resource: no function registered for Res_Type = " + typeID);
}

void CTesser::ResDeinit()
{
    WriteSeparator(LOGSEP_THIN);
    WriteBlankLines(1);
    WriteEntry("Deinitializing Resources Subsystem...", LOG_HEADING);
    WriteBlankLines(1);

    m_bResInitialised = false;
    TItemsManager<CTSNResource>* manager = m_resManager;
    m_resManager = nullptr;
    if (manager) {
        manager->FreeAllItems();
        delete manager;
    }
    m_resLoadRes.clear();

    WriteEntry("Done.", LOG_SUCCESS);
    WriteBlankLines(1);
    WriteSeparator(LOGSEP_THIN);
    WriteBlankLines(1);
}

int CTesser::ResGetCount() const
{
    return m_resManager ? m_resManager->GetCount() : 0;
}

const CTSNResource* CTesser::ResGetResource(int index) const
{
    return m_resManager ? m_resManager->GetItem(index) : nullptr;
}

const CTSNResource* CTesser::ResFindResource(const std::string& strID) const
{
    if (!m_resManager)
        return nullptr;
    return m_resManager->GetItem(m_resManager->FindID(strID));
}
