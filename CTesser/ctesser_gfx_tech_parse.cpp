// Technique packs: keyword tables, parsing of one technique element and the
// ordered list of states it sends.
#include "ctesser_gfx_tech.h"

#include <cmath>
#include <cstring>
#include <sstream>

#include "ctesser_utils_xml.h"
#include "platform/gfx/tsr_gfx.h"

namespace {

struct Keyword {
    const char* text;
    uint32_t value;
};

template <size_t N>
uint32_t Lookup(const Keyword (&table)[N], const char* s, uint32_t fallback)
{
    if (s)
        for (const Keyword& k : table)
            if (std::strcmp(k.text, s) == 0)
                return k.value;
    return fallback;
}

const Keyword kBlend[] = {
    {"ZERO", 1},         {"ONE", 2},       {"SRCCOLOR", 3},     {"INVSRCCOLOR", 4},
    {"SRCALPHA", 5},     {"INVSRCALPHA", 6}, {"DESTALPHA", 7},  {"INVDESTALPHA", 8},
    {"DESTCOLOR", 9},    {"INVDESTCOLOR", 10}, {"SRCALPHASAT", 11},
};
const Keyword kOp[] = {
    {"DISABLE", 1}, {"SELECTARG1", 2}, {"SELECTARG2", 3}, {"MODULATE", 4},
    {"ADD", 7},     {"SUBTRACT", 10},  {"DOTPRODUCT3", 24},
};
const Keyword kArg[] = {{"DIFFUSE", 0}, {"CURRENT", 1}, {"TEXTURE", 2}, {"TFACTOR", 3}, {"SPECULAR", 4}};
const Keyword kAddress[] = {{"WRAP", 1}, {"CLAMP", 3}};
const Keyword kFilter[] = {{"NONE", 0}, {"POINT", 1}, {"LINEAR", 2}};
const Keyword kLight[] = {{"DISABLED", 0}, {"VERTEX", 1}, {"DOT3", 2}};

bool Given(const CXMLNode& n, const char* key) { return n.GetAttribute(key)[0] != 0; }

uint32_t Rgb(const CXMLNode& n, const char* r, const char* g, const char* b, uint32_t alpha)
{
    return alpha << 24 | TechChannelByte(TechReadFloat(n.GetAttribute(r))) << 16 |
           TechChannelByte(TechReadFloat(n.GetAttribute(g))) << 8 | TechChannelByte(TechReadFloat(n.GetAttribute(b)));
}

uint32_t FloatBits(float f)
{
    uint32_t v;
    std::memcpy(&v, &f, sizeof v);
    return v;
}

} // namespace

bool TechKeywordOnOff(const char* s) { return s && std::strcmp(s, "ON") == 0; }
uint32_t TechKeywordBlend(const char* s) { return Lookup(kBlend, s, 1); }
uint32_t TechKeywordOp(const char* s) { return Lookup(kOp, s, 1); }
uint32_t TechKeywordArg(const char* s) { return Lookup(kArg, s, 1); }
uint32_t TechKeywordAddress(const char* s) { return Lookup(kAddress, s, 1); }
uint32_t TechKeywordFilter(const char* s) { return Lookup(kFilter, s, 0); }
int32_t TechKeywordLightMode(const char* s) { return int32_t(Lookup(kLight, s, 0)); }

float TechReadFloat(const char* s)
{
    std::istringstream in(s ? s : "");
    float v = 0.0f;
    if (!(in >> v))
        return 0.0f;
    return v;
}

int32_t TechReadInt(const char* s)
{
    std::istringstream in(s ? s : "");
    int32_t v = 0;
    if (!(in >> v))
        return 0;
    return v;
}

uint32_t TechChannelByte(float v)
{
    const float scaled = v * 255.0f;
    // Out-of-range values keep their low 8 bits, as an integer conversion
    // would; values too large to convert read as 0.
    if (!std::isfinite(scaled) || std::fabs(scaled) > 2.0e9f)
        return 0;
    return uint32_t(int64_t(scaled)) & 0xFFu;
}

TSNTECHNIQUE TechParse(const CXMLNode& n)
{
    TSNTECHNIQUE t;
    if ((t.blendPresent = Given(n, "alphablending"))) {
        t.blendEnable = TechKeywordOnOff(n.GetAttribute("alphablending"));
        t.srcBlend = TechKeywordBlend(n.GetAttribute("absrc"));
        t.destBlend = TechKeywordBlend(n.GetAttribute("abdest"));
    }
    if ((t.fogPresent = Given(n, "fog"))) {
        t.fogEnable = TechKeywordOnOff(n.GetAttribute("fog"));
        t.fogStart = TechReadFloat(n.GetAttribute("fogstart"));
        t.fogEnd = TechReadFloat(n.GetAttribute("fogend"));
        t.fogColor = Rgb(n, "fogcolorr", "fogcolorg", "fogcolorb", 255);
    }
    if ((t.texFactorPresent = Given(n, "texturefactorr")))
        t.texFactor = Rgb(n, "texturefactorr", "texturefactorg", "texturefactorb",
                          TechChannelByte(TechReadFloat(n.GetAttribute("texturefactora"))));
    if ((t.stagesPresent = Given(n, "s0_colorop"))) {
        for (int s = 0; s < 2; ++s) {
            const std::string p = "s" + std::to_string(s) + "_";
            auto get = [&](const char* key) { return n.GetAttribute((p + key).c_str()); };
            TSNTECHNIQUE::Stage& st = t.stage[s];
            st.colorOp = TechKeywordOp(get("colorop"));
            st.colorArg1 = TechKeywordArg(get("colorarg1"));
            st.colorArg2 = TechKeywordArg(get("colorarg2"));
            st.alphaOp = TechKeywordOp(get("alphaop"));
            st.alphaArg1 = TechKeywordArg(get("alphaarg1"));
            st.alphaArg2 = TechKeywordArg(get("alphaarg2"));
            st.address = TechKeywordAddress(get("address"));
        }
    }
    if ((t.filtersPresent = Given(n, "s0_minfilter"))) {
        for (int s = 0; s < 2; ++s) {
            const std::string p = "s" + std::to_string(s) + "_";
            t.filter[s].min = TechKeywordFilter(n.GetAttribute((p + "minfilter").c_str()));
            t.filter[s].mag = TechKeywordFilter(n.GetAttribute((p + "magfilter").c_str()));
            t.filter[s].mip = TechKeywordFilter(n.GetAttribute((p + "mipfilter").c_str()));
        }
    }
    if ((t.lightPresent = Given(n, "dynlightmode"))) {
        t.lightMode = TechKeywordLightMode(n.GetAttribute("dynlightmode"));
        t.ambient = Rgb(n, "dynlightambientcolorr", "dynlightambientcolorg", "dynlightambientcolorb", 255);
    }
    return t;
}

void TechBuildCommands(const TSNTECHNIQUE& t, std::vector<TechCommand>& out)
{
    using namespace tsr::gfx;
    auto rs = [&](uint32_t state, uint32_t value) { out.push_back({TechCommand::RENDER_STATE, 0, state, value}); };
    auto ts = [&](uint32_t stage, uint32_t state, uint32_t value) {
        out.push_back({TechCommand::STAGE_STATE, stage, state, value});
    };
    if (t.blendPresent) {
        rs(RS_ALPHABLENDENABLE, t.blendEnable);
        rs(RS_SRCBLEND, t.srcBlend);
        rs(RS_DESTBLEND, t.destBlend);
    }
    if (t.fogPresent) {
        out.push_back({TechCommand::VERTEX_FOG, 0, 0, t.fogEnable});
        rs(RS_FOGENABLE, t.fogEnable);
        rs(RS_FOGVERTEXMODE, FOG_LINEAR);
        rs(RS_FOGSTART, FloatBits(t.fogStart));
        rs(RS_FOGEND, FloatBits(t.fogEnd));
        rs(RS_FOGCOLOR, t.fogColor);
    }
    if (t.texFactorPresent)
        rs(RS_TEXTUREFACTOR, t.texFactor);
    if (t.stagesPresent) {
        for (uint32_t s = 0; s < 2; ++s) {
            const TSNTECHNIQUE::Stage& st = t.stage[s];
            ts(s, TSS_COLOROP, st.colorOp);
            // A disabled stage 1 keeps its other states as they were.
            if (s == 1 && st.colorOp == TOP_DISABLE)
                break;
            ts(s, TSS_COLORARG1, st.colorArg1);
            ts(s, TSS_COLORARG2, st.colorArg2);
            ts(s, TSS_ALPHAOP, st.alphaOp);
            ts(s, TSS_ALPHAARG1, st.alphaArg1);
            ts(s, TSS_ALPHAARG2, st.alphaArg2);
            ts(s, TSS_ADDRESSU, st.address);
            ts(s, TSS_ADDRESSV, st.address);
        }
    }
    if (t.filtersPresent) {
        for (uint32_t s = 0; s < 2; ++s) {
            ts(s, TSS_MINFILTER, t.filter[s].min);
            ts(s, TSS_MAGFILTER, t.filter[s].mag);
            ts(s, TSS_MIPFILTER, t.filter[s].mip);
        }
    }
    if (t.lightPresent) {
        out.push_back({TechCommand::LIGHT_MODE, 0, 0, uint32_t(t.lightMode)});
        out.push_back({TechCommand::LIGHT_AMBIENT, 0, 0, t.ambient});
    }
}
