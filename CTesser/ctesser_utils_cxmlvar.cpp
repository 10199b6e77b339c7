// The registry of XML variables and their conversions.
#include "ctesser_utils_cxmlvar.h"

#include <limits>
#include <locale>
#include <map>
#include <new>
#include <sstream>

#include "ctesser_ehs.h"
#include "ctesser_log.h"

namespace {

using XMLVarsMap = std::map<std::string, CXMLVar*>;

// Lives exactly as long as some variable is registered, so the order in
// which the runtime destroys static variables of several files is harmless.
XMLVarsMap* g_xmlVarsMap = nullptr;

// Stream extraction in the classic locale: the data's numbers never depend
// on the user's settings.
template <class V>
bool ExtractNumber(const char* text, V& out)
{
    std::istringstream in(text ? text : "");
    in.imbue(std::locale::classic());
    V value{};
    in >> value;
    if (in.fail())
        return false;
    out = value;
    return true;
}

} // namespace

void CXMLVar::CreateXMLVarsMap()
{
    if (g_xmlVarsMap)
        return;
    g_xmlVarsMap = new (std::nothrow) XMLVarsMap;
    EHS_CHECK(g_xmlVarsMap != nullptr, EHS_GENERAL, "Error in CXMLVar::CreateXMLVarsMap(). Cannot create IDs map!");
}

CXMLVar::CXMLVar(const char* fp_pszID) : m_name(fp_pszID ? fp_pszID : "")
{
    CreateXMLVarsMap();
    const bool inserted = g_xmlVarsMap->emplace(m_name, this).second;
    EHS_CHECK(inserted, EHS_GAME,
              "Error in CXMLVar::CXMLVar(const char* fp_pszID). An object with same ID already exists! ID = " +
                  m_name);
}

CXMLVar::~CXMLVar()
{
    // Only this variable leaves the registry; the others stay assignable.
    if (!g_xmlVarsMap)
        return;
    auto it = g_xmlVarsMap->find(m_name);
    if (it != g_xmlVarsMap->end() && it->second == this)
        g_xmlVarsMap->erase(it);
    if (g_xmlVarsMap->empty()) {
        delete g_xmlVarsMap;
        g_xmlVarsMap = nullptr;
    }
}

void CXMLVar::WarnInvalid(const char* text) const
{
    LogWriteEntry("Warning: invalid value of xml variable " + m_name + ": \"" + (text ? text : "") + "\"",
                  LOG_WARNING);
}

bool CXMLVarInt::SetFromText(const char* text)
{
    if (ExtractNumber(text, m_value))
        return true;
    WarnInvalid(text);
    return false;
}

bool CXMLVarFloat::SetFromText(const char* text)
{
    if (ExtractNumber(text, m_value))
        return true;
    WarnInvalid(text);
    return false;
}

CXMLVar* FindXMLVar(const char* name)
{
    if (!g_xmlVarsMap || !name)
        return nullptr;
    auto it = g_xmlVarsMap->find(name);
    return it == g_xmlVarsMap->end() ? nullptr : it->second;
}

bool XMLVarsMapExists() { return g_xmlVarsMap != nullptr; }
