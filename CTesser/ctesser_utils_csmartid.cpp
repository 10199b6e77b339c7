// The registry of smart identifiers: one ordered map from string to handle,
// created by the first handle and released with the last one.
#include "ctesser_utils_csmartid.h"

#include <map>
#include <new>

#include "ctesser_ehs.h"

namespace {

using IDsMap = std::map<std::string, CSmartID*>;

// Handles are usually statics of several source files; a heap map that
// lives exactly as long as some handle is registered does not depend on the
// order in which the runtime constructs or destroys them.
IDsMap* g_idsMap = nullptr;

} // namespace

void CSmartID::CreateIDsMap()
{
    if (g_idsMap)
        return;
    g_idsMap = new (std::nothrow) IDsMap;
    EHS_CHECK(g_idsMap != nullptr, EHS_GENERAL, "Error in CSmartID::CreateIDsMap(). Cannot create IDs map!");
}

CSmartID::CSmartID(const char* fp_pszID, int fp_iResType)
    : strID(fp_pszID ? fp_pszID : ""), m_resType(fp_iResType)
{
    if (m_resType == SMARTID_DETECT)
        DetectResType();
    CreateIDsMap();
    const bool inserted = g_idsMap->emplace(strID, this).second;
    EHS_CHECK(inserted, EHS_GAME,
              "Error in CSmartID::CSmartID(const char* fp_pszID, int fp_iResType). An object with same "
              "strID already exists! strID = " +
                  strID);
}

CSmartID::~CSmartID()
{
    // Only this handle leaves the registry: the others stay bound.
    if (!g_idsMap)
        return;
    auto it = g_idsMap->find(strID);
    if (it != g_idsMap->end() && it->second == this)
        g_idsMap->erase(it);
    if (g_idsMap->empty()) {
        delete g_idsMap;
        g_idsMap = nullptr;
    }
}

void CSmartID::DetectResType()
{
    EHS_CHECK(strID.size() >= 4, EHS_GENERAL, "Error in CSmartID::DetectResType : strID length is too small (<4)!");
    static const struct {
        const char* prefix;
        int32_t type;
    } prefixes[] = {
        {"TEX", SMARTID_TEXTURE},
        {"TEQ", SMARTID_TECHNIQUE},
        {"FNT", SMARTID_FONT},
        {"SND", SMARTID_SOUND},
    };
    for (const auto& p : prefixes) {
        if (strID.compare(0, 3, p.prefix) == 0) {
            m_resType = p.type;
            return;
        }
    }
    EHS_CHECK(false, EHS_GAME, "Error in CSmartID::DetectResType : cannot detect res type! strID = " + strID);
}

void CSmartID::BindByString(const std::string& strID, int32_t index)
{
    if (CSmartID* handle = Find(strID))
        handle->m_index = index;
}

void CSmartID::UnbindByIndex(int32_t index, int32_t resType)
{
    if (!g_idsMap)
        return;
    for (auto& entry : *g_idsMap) {
        if (entry.second->m_index == index && entry.second->m_resType == resType) {
            entry.second->m_index = -1;
            return;
        }
    }
}

CSmartID* CSmartID::Find(const std::string& strID)
{
    if (!g_idsMap)
        return nullptr;
    auto it = g_idsMap->find(strID);
    return it == g_idsMap->end() ? nullptr : it->second;
}
