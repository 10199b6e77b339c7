// Textures: loading TEXTURE resources into the textures manager, binding
// them to texture stages, unloading them.
#include "ctesser.h"

#include <algorithm>

#include "ctesser_gfx_texlink.h"
#include "ctesser_utils_csmartid.h"
#include "ctesser_utils_itemsmanager.h"
#include "platform/image/tsr_texture_file.h"

namespace {
constexpr int32_t kStages = 8;

void CheckStage(int32_t stage)
{
    EHS_CHECK(stage >= 0 && stage < kStages, EHS_GAME,
              "Invalid texture stage: must be 0 to 7. Stage = " + std::to_string(stage));
}
} // namespace

void CTesser::TexManagerCreate()
{
    if (!m_texManager)
        m_texManager = new TItemsManagerCOM<tsr::gfx::Texture>();
}

void CTesser::TexManagerFreeAll()
{
    if (!m_texManager)
        return;
    // Stages still holding a texture let it go first, so that freeing the
    // slots finds no reference left but the manager's own.
    if (tsr::gfx::Device* dev = texlink::Device(*this))
        for (int32_t s = 0; s < kStages; ++s)
            dev->SetTexture(uint32_t(s), nullptr);
    for (int32_t& id : m_texCurrent)
        id = -1;
    m_texManager->FreeAllItems();
    delete m_texManager;
    m_texManager = nullptr;
}

void CTesser::TexTechFontResetState()
{
    for (int32_t& id : m_texCurrent)
        id = -1;
    m_techCurrent = -1;
    m_fontCurrent = -1;
    m_lightMode = 0;
    m_lightAmbient[0] = m_lightAmbient[1] = m_lightAmbient[2] = 0.0f;
    m_lightAmbient[3] = 1.0f;
}

int CTesser::TexLoadFromMemory(const void* data, int32_t size, int32_t formatClass, const std::string& strID,
                               int32_t mipLevels, int32_t tag, int32_t edgeLength)
{
    tsr::gfx::Device* dev = texlink::Device(*this);
    EHS_CHECK(dev != nullptr && m_texManager != nullptr, EHS_GENERAL, "D3DDevice object was not created!");

    for (int i = 0; i < m_texManager->GetCount(); ++i)
        if (m_texManager->GetID(i) == strID && m_texManager->GetItem(i))
            return i;

    const texlink::Caps caps = texlink::GetCaps(*this);
    // 0 or below: the image's own size.
    uint32_t edge = edgeLength > 0 ? uint32_t(edgeLength) : 0;
    if (caps.maxTextureWidth > 0)
        edge = std::min(edge, caps.maxTextureWidth);

    WriteBlankLines(1);
    WriteEntry("Loading texture from memory. ID = " + strID, LOG_STEP);

    if (formatClass < 1 || formatClass > 4)
        formatClass = 1;
    const tsr::gfx::Format format = texlink::TextureFormatOfClass(*this, formatClass);
    const uint32_t levels = (caps.mipMapping && mipLevels >= 1) ? uint32_t(mipLevels) : 1;

    tsr::gfx::Texture* texture = nullptr;
    const size_t bytes = (data && size > 0) ? size_t(size) : 0;
    tsr::image::TextureFromImageBytes(dev, data, bytes, edge, edge, levels, 0, format,
                                              tsr::gfx::POOL_MANAGED, &texture);
    EHS_CHECK(texture != nullptr, EHS_GENERAL, "Cannot create texture object!");

    const int id = m_texManager->AddItem(texture, strID, tag);
    WriteEntry("Done.", LOG_STEP);
    WriteBlankLines(1);
    CSmartID::BindByString(strID, id);
    return id;
}

int CTesser::TexGetID(const std::string& strID)
{
    if (m_texManager)
        for (int i = 0; i < m_texManager->GetCount(); ++i)
            if (m_texManager->GetItem(i) && m_texManager->GetID(i) == strID)
                return i;
    WriteEntry("Cannot find iID of texture with strID = " + strID, LOG_WARNING);
    return -1;
}

tsr::gfx::Texture* CTesser::TexGetTexture(int32_t id) const
{
    return m_texManager ? m_texManager->GetItem(id) : nullptr;
}

int32_t CTesser::TexGetSlotCount() const { return m_texManager ? m_texManager->GetCount() : 0; }

int32_t CTesser::TexGetCurrent(int32_t stage) const
{
    return (stage >= 0 && stage < kStages) ? m_texCurrent[stage] : -1;
}

// Unloading a texture that a stage still shows: the stage is unbound first,
// so that no stage keeps a stale ID and nothing draws a freed texture. The
// device's own bindings count too (they survive a device reset, which
// forgets the current IDs).
static void UnbindFromStages(CTesser& e, int32_t id, int32_t* current)
{
    tsr::gfx::Device* dev = texlink::Device(e);
    tsr::gfx::Texture* texture = e.TexGetTexture(id);
    for (int32_t s = 0; s < kStages; ++s) {
        const bool bound = dev && texture && dev->GetTexture(uint32_t(s)) == texture;
        if (current[s] != id && !bound)
            continue;
        texlink::BatchFlush(e);
        if (dev)
            dev->SetTexture(uint32_t(s), nullptr);
        current[s] = -1;
    }
}

void CTesser::TexUnloadByStrID(const std::string& strID)
{
    WriteBlankLines(1);
    WriteEntry("Unloading texture, strID = " + strID, LOG_STEP);
    CSmartID::BindByString(strID, -1);
    int id = -1;
    if (m_texManager)
        for (int i = 0; i < m_texManager->GetCount() && id < 0; ++i)
            if (m_texManager->GetID(i) == strID && m_texManager->GetItem(i))
                id = i;
    if (id < 0) {
        WriteEntry("Failed.", LOG_WARNING);
        return;
    }
    UnbindFromStages(*this, id, m_texCurrent);
    m_texManager->FreeItem(id);
    WriteEntry("Done.", LOG_SUCCESS);
}

void CTesser::TexUnloadByID(int32_t id)
{
    WriteBlankLines(1);
    WriteEntry("Unloading texture, iID = " + std::to_string(id), LOG_STEP);
    CSmartID::UnbindByIndex(id, SMARTID_TEXTURE);
    if (!m_texManager || !m_texManager->GetItem(id)) {
        WriteEntry("Failed.", LOG_WARNING);
        return;
    }
    UnbindFromStages(*this, id, m_texCurrent);
    m_texManager->FreeItem(id);
    WriteEntry("Done.", LOG_SUCCESS);
}

void CTesser::TexSet(int32_t id, int32_t stage)
{
    CheckStage(stage);
    if (id == m_texCurrent[stage])
        return;
    texlink::BatchFlush(*this);
    tsr::gfx::Texture* texture = TexGetTexture(id);
    tsr::gfx::Device* dev = texlink::Device(*this);
    EHS_CHECK(texture != nullptr && dev != nullptr, EHS_GENERAL, "Cannot set texture - invalid ID!");
    dev->SetTexture(uint32_t(stage), texture);
    m_texCurrent[stage] = id;
}

void CTesser::TexSet(const std::string& strID, int32_t stage)
{
    int id = -1;
    if (m_texManager)
        for (int i = 0; i < m_texManager->GetCount() && id < 0; ++i)
            if (m_texManager->GetItem(i) && m_texManager->GetID(i) == strID)
                id = i;
    TexSet(id, stage);
}

void CTesser::TexSet(const CSmartID& handle, int32_t stage) { TexSet(handle.GetIndex(), stage); }

void CTesser::TexSetNoTexture(int32_t stage)
{
    CheckStage(stage);
    texlink::BatchFlush(*this);
    if (tsr::gfx::Device* dev = texlink::Device(*this))
        dev->SetTexture(uint32_t(stage), nullptr);
    m_texCurrent[stage] = -1;
}
