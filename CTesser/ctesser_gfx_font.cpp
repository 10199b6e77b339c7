// Bitmap fonts: loading FONT descriptions, choosing the current font,
// drawing and measuring text.
#include "ctesser.h"

#include <cstring>
#include <memory>

#include "ctesser_gfx_font.h"
#include "ctesser_gfx_tech.h"
#include "ctesser_gfx_texlink.h"
#include "ctesser_utils_csmartid.h"
#include "ctesser_utils_itemsmanager.h"
#include "ctesser_utils_xml.h"

void CTesser::FontManagerCreate()
{
    if (!m_fontManager)
        m_fontManager = new TItemsManager<TSNFONT>();
}

void CTesser::FontManagerFreeAll()
{
    if (!m_fontManager)
        return;
    m_fontManager->FreeAllItems();
    delete m_fontManager;
    m_fontManager = nullptr;
    m_fontCurrent = -1;
}

int CTesser::FontLoad(const void* data, int32_t size)
{
    WriteBlankLines(1);
    WriteEntry("Loading font description from memory...", LOG_STAGE);
    EHS_CHECK(m_fontManager != nullptr, EHS_GENERAL, "D3DDevice object was not created!");
    CXMLDocument doc;
    doc.LoadFromBuffer(data, size, GetXMLEncryptMode());
    doc.Parse();
    CXMLNode* root = doc.GetRoot();
    EHS_CHECK(root != nullptr && root->GetName()[0] != 0, EHS_GENERAL, "Parsing error during loading the font data!");
    EHS_CHECK(std::strcmp(root->GetName(), "fontdesc") == 0, EHS_GAME, "XML file doesn't contain font description!");

    const std::string id = root->GetAttribute("id");
    EHS_CHECK(!id.empty(), EHS_GENERAL, "Invalid font ID");
    for (int i = 0; i < m_fontManager->GetCount(); ++i)
        if (m_fontManager->GetItem(i) && m_fontManager->GetID(i) == id) {
            WriteEntry("Warning: Dublicated font!", LOG_WARNING);
            return i;
        }

    auto font = std::make_unique<TSNFONT>();

    const std::string texID = root->GetAttribute("textureid");
    EHS_CHECK(!texID.empty(), EHS_GENERAL, "Invalid font texture ID!");
    font->textureID = TexGetID(texID);
    if (font->textureID == -1) {
        ResLoadResource(texID);
        font->textureID = TexGetID(texID);
    }
    EHS_CHECK(font->textureID != -1, EHS_GENERAL, "Cannot load font texture!");

    const std::string techID = root->GetAttribute("techniqueid");
    EHS_CHECK(!techID.empty(), EHS_GENERAL, "Invalid font technique ID!");
    const std::string packID = root->GetAttribute("techpackid");
    EHS_CHECK(!packID.empty(), EHS_GENERAL, "Invalid font technique pack ID!");
    font->techniqueID = TechGetID(techID);
    if (font->techniqueID == -1) {
        ResLoadResource(packID);
        font->techniqueID = TechGetID(techID);
    }
    EHS_CHECK(font->techniqueID != -1, EHS_GENERAL, "Cannot load font technique!");

    const char* cell = root->GetAttribute("cellsize");
    EHS_CHECK(cell[0] != 0, EHS_GENERAL, "Invalid font cell size!");
    font->cellSize = TechReadFloat(cell);

    static const char* const kRGB[3] = {"r", "g", "b"};
    for (int n = 0; n < 10; ++n) {
        for (int c = 0; c < 3; ++c)
            font->colors[n][c] = TechReadFloat(root->GetAttribute(("color" + std::to_string(n) + kRGB[c]).c_str()));
        font->colors[n][3] = 1.0f;
    }
    for (int n = 0; n < 256; ++n) {
        const char* w = root->GetAttribute(("cs" + std::to_string(n)).c_str());
        EHS_CHECK(w[0] != 0, EHS_GENERAL, "Invalid character length!");
        font->widths[n] = TechReadFloat(w);
    }

    const int slot = m_fontManager->AddItem(font.release(), id, TechReadInt(root->GetAttribute("tag")));
    CSmartID::BindByString(id, slot);
    WriteEntry("Done.", LOG_SUCCESS);
    WriteBlankLines(1);
    return slot;
}

int CTesser::FontGetID(const std::string& strID)
{
    if (m_fontManager)
        for (int i = 0; i < m_fontManager->GetCount(); ++i)
            if (m_fontManager->GetItem(i) && m_fontManager->GetID(i) == strID)
                return i;
    WriteEntry("Cannot find iID of font with strID = " + strID, LOG_WARNING);
    return -1;
}

const TSNFONT* CTesser::FontGetFont(int32_t id) const { return m_fontManager ? m_fontManager->GetItem(id) : nullptr; }

void CTesser::FontSet(int32_t id)
{
    EHS_CHECK(id != -1, EHS_GAME, "Cannot set current font: invalid ID. ID = " + std::to_string(id));
    m_fontCurrent = id;
}

void CTesser::FontSetByStrID(const std::string& strID)
{
    int id = -1;
    if (m_fontManager)
        for (int i = 0; i < m_fontManager->GetCount() && id < 0; ++i)
            if (m_fontManager->GetItem(i) && m_fontManager->GetID(i) == strID)
                id = i;
    EHS_CHECK(id != -1, EHS_GAME, "Cannot set current font: invalid ID. strID = " + strID);
    m_fontCurrent = id;
}

void CTesser::FontSetByHandle(const CSmartID& handle) { m_fontCurrent = handle.GetIndex(); }

namespace {

// Draws through the current quad: one textured quad per glyph.
struct QuadSink {
    CTesser& e;
    const TSNFONT& f;
    float alpha;
    void Glyph(unsigned c, float x, float y, float size)
    {
        const FontCell cell = FontGlyphCell(c);
        texlink::QuadSetTexCoords(e, cell.left, cell.top, cell.right, cell.bottom);
        texlink::QuadSetPos(e, x, y, size, size, 0.5f);
        texlink::SceneRender(e);
    }
    void Color(int index) { texlink::QuadSetColor(e, f.colors[index][0], f.colors[index][1], f.colors[index][2], alpha); }
};

} // namespace

// Shared by both drawing forms: font check, texture, technique, colour.
// An out-of-range colour index means "keep the quad's colour" (-1).
static QuadSink BeginText(CTesser& e, int32_t& current, bool applyTechnique, int32_t& colorIndex, float alpha)
{
    if (current == -1)
        current = 0;
    const TSNFONT* f = e.FontGetFont(current);
    EHS_CHECK(f != nullptr, EHS_GAME, "Cannot draw text: invalid current font id. ID = " + std::to_string(current));
    e.TexSet(f->textureID, 0);
    if (applyTechnique)
        e.TechApply(f->techniqueID);
    if (colorIndex < -1 || colorIndex > 9)
        colorIndex = -1;
    QuadSink sink{e, *f, alpha};
    if (colorIndex > -1)
        sink.Color(colorIndex);
    return sink;
}

void CTesser::FontDrawText(const std::string& text, float x, float y, int32_t maxChars, int32_t colorIndex,
                           float alpha)
{
    QuadSink sink = BeginText(*this, m_fontCurrent, true, colorIndex, alpha);
    FontLayout l;
    l.x = x;
    l.y = y;
    l.maxChars = maxChars;
    FontWalk(sink.f, text.c_str(), l, sink);
}

void CTesser::FontDrawTextEx(const std::string& text, float x, float y, int32_t maxChars, int32_t colorIndex,
                             float alpha, bool applyTechnique, float scale, float charSpacing, float lineSpacing)
{
    QuadSink sink = BeginText(*this, m_fontCurrent, applyTechnique, colorIndex, alpha);
    FontLayout l;
    l.x = x;
    l.y = y;
    l.maxChars = maxChars;
    l.extended = true;
    l.colorEscapes = colorIndex != -1;
    l.scale = scale;
    l.charSpacing = charSpacing;
    l.lineSpacing = lineSpacing;
    FontWalk(sink.f, text.c_str(), l, sink);
}

float CTesser::FontGetStringWidth(const std::string& text, int32_t fontID, float scale, float charSpacing)
{
    const TSNFONT* f = FontGetFont(fontID);
    EHS_CHECK(f != nullptr, EHS_GAME, "Cannot calculate string width: invalid font id. ID = " + std::to_string(fontID));
    return FontMeasure(*f, text.c_str(), scale, charSpacing);
}
