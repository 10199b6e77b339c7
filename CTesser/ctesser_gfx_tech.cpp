// Technique packs: loading TECHNIQUE resources and applying techniques.
#include "ctesser.h"

#include <cstring>
#include <vector>

#include "ctesser_gfx_tech.h"
#include "ctesser_gfx_texlink.h"
#include "ctesser_utils_csmartid.h"
#include "ctesser_utils_itemsmanager.h"
#include "ctesser_utils_xml.h"

void CTesser::TechManagerCreate()
{
    if (!m_techManager)
        m_techManager = new TItemsManager<TSNTECHNIQUE>();
}

void CTesser::TechManagerFreeAll()
{
    if (!m_techManager)
        return;
    m_techManager->FreeAllItems();
    delete m_techManager;
    m_techManager = nullptr;
    m_techCurrent = -1;
}

void CTesser::TechLoadPack(const void* data, int32_t size)
{
    EHS_CHECK(m_techManager != nullptr, EHS_GENERAL, "D3DDevice object was not created!");
    CXMLDocument doc;
    doc.LoadFromBuffer(data, size, GetXMLEncryptMode());
    doc.Parse();
    WriteBlankLines(1);
    WriteEntry("Processing techniques pack...", LOG_STAGE);

    CXMLNode* root = doc.GetRoot();
    EHS_CHECK(root != nullptr && root->GetName()[0] != 0, EHS_GENERAL, "Error in XML parser: Root node is NULL!");
    EHS_CHECK(std::strcmp(root->GetName(), "techniquespack") == 0, EHS_GENERAL,
              "Wrong XML root node name: must be techniquespack!");

    int loaded = 0;
    for (int i = 0; i < root->GetChildCount(); ++i) {
        CXMLNode* child = root->GetChild(i);
        EHS_CHECK(child != nullptr, EHS_GENERAL, "Error in XML parser - child node is NULL!");
        const std::string id = child->GetAttribute("id");
        EHS_CHECK(!id.empty(), EHS_GENERAL, "Ivanlid technique ID!");
        bool known = false;
        for (int s = 0; s < m_techManager->GetCount() && !known; ++s)
            known = m_techManager->GetItem(s) && m_techManager->GetID(s) == id;
        if (known)
            continue;
        auto* technique = new TSNTECHNIQUE(TechParse(*child));
        const int slot = m_techManager->AddItem(technique, id, TechReadInt(child->GetAttribute("tag")));
        CSmartID::BindByString(id, slot);
        ++loaded;
    }
    WriteEntry(std::to_string(loaded) + " techniques loaded.", LOG_SUCCESS);
    WriteBlankLines(1);
}

int CTesser::TechGetID(const std::string& strID)
{
    if (m_techManager)
        for (int i = 0; i < m_techManager->GetCount(); ++i)
            if (m_techManager->GetItem(i) && m_techManager->GetID(i) == strID)
                return i;
    WriteEntry("Cannot find iID of technique with strID = " + strID, LOG_WARNING);
    return -1;
}

void CTesser::TechApply(int32_t id)
{
    if (id == m_techCurrent)
        return;
    texlink::BatchFlush(*this);
    const TSNTECHNIQUE* t = m_techManager ? m_techManager->GetItem(id) : nullptr;
    EHS_CHECK(t != nullptr, EHS_GAME, "Invalid technique ID! ID = " + std::to_string(id));

    // Per-frame path: the command list is rebuilt in place, no allocation
    // once it has grown to the largest technique.
    static thread_local std::vector<TechCommand> commands;
    commands.clear();
    TechBuildCommands(*t, commands);
    tsr::gfx::Device* dev = texlink::Device(*this);
    for (const TechCommand& c : commands) {
        switch (c.kind) {
        case TechCommand::RENDER_STATE:
            if (dev)
                dev->SetRenderState(tsr::gfx::RenderState(c.state), c.value);
            break;
        case TechCommand::STAGE_STATE:
            if (dev)
                dev->SetTextureStageState(c.stage, tsr::gfx::TextureStageState(c.state), c.value);
            break;
        case TechCommand::VERTEX_FOG:
            texlink::SetVertexFog(*this, c.value != 0);
            break;
        case TechCommand::LIGHT_MODE:
            m_lightMode = int32_t(c.value);
            break;
        case TechCommand::LIGHT_AMBIENT:
            m_lightAmbient[0] = float((c.value >> 16) & 0xFF) * 0.003921569f;
            m_lightAmbient[1] = float((c.value >> 8) & 0xFF) * 0.003921569f;
            m_lightAmbient[2] = float(c.value & 0xFF) * 0.003921569f;
            m_lightAmbient[3] = float(c.value >> 24) * 0.003921569f;
            break;
        }
    }
    m_techCurrent = id;
}

void CTesser::TechApplyByStrID(const std::string& strID)
{
    int id = -1;
    if (m_techManager)
        for (int i = 0; i < m_techManager->GetCount() && id < 0; ++i)
            if (m_techManager->GetItem(i) && m_techManager->GetID(i) == strID)
                id = i;
    TechApply(id);
}

void CTesser::TechApplyByHandle(const CSmartID& handle) { TechApply(handle.GetIndex()); }
