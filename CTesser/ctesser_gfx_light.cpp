// The light pass on the current quad, run before it joins the batch.
#include "ctesser.h"

#include <cmath>
#include <cstring>

#include "ctesser_gfx_light.h"
#include "ctesser_utils_itemsmanager.h"

namespace {
// The quad vertex as laid out in the batch (40 bytes).
struct QuadVertex {
    float x, y, z, rhw;
    uint32_t diffuse;
    uint32_t specular;
    float tu1, tv1, tu2, tv2;
};
static_assert(sizeof(QuadVertex) == 40, "quad vertices are 40 bytes");

uint8_t DirectionByte(float v) { return uint8_t(int32_t(v * 127.0f + 128.0f) & 0xFF); }
} // namespace

float LightIntensity(const TSNLIGHT& light, float d)
{
    if (d <= light.innerRadius)
        return 1.0f;
    const float range = light.outerRadius - light.innerRadius;
    if (!(range > 0.0f))
        return 0.0f;
    return 1.0f - (d - light.innerRadius) / range;
}

uint8_t LightChannelByte(float c)
{
    if (c >= 1.0f)
        return 255;
    if (!(c > 0.0f))
        return 0;
    return uint8_t(c * 255.0f + 0.5f);
}

void LightAccumulate(const TSNLIGHT& light, float x, float y, float z, float k, float rgba[4])
{
    const float dx = x - light.pos[0], dy = y - light.pos[1], dz = k * (z - light.pos[2]);
    const float f = LightIntensity(light, std::sqrt(dx * dx + dy * dy + dz * dz));
    if (f <= 0.0f)
        return;
    for (int c = 0; c < 4; ++c)
        rgba[c] += f * light.color[c];
}

uint32_t LightDot3Color(const TSNLIGHT& light, float x, float y, float z, float k)
{
    float v[3] = {light.pos[0] - x, light.pos[1] - y, k * (light.pos[2] - z)};
    const float len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (len > 0.0f && std::isfinite(len)) {
        for (float& c : v)
            c /= len;
    } else {
        v[0] = v[1] = 0.0f;
        v[2] = 1.0f;
    }
    return 0xFF000000u | uint32_t(DirectionByte(v[0])) << 16 | uint32_t(DirectionByte(v[1])) << 8 |
           DirectionByte(v[2]);
}

uint32_t LightPackDiffuse(const float rgba[4], float savedAlpha)
{
    return uint32_t(LightChannelByte(savedAlpha)) << 24 | uint32_t(LightChannelByte(rgba[0])) << 16 |
           uint32_t(LightChannelByte(rgba[1])) << 8 | LightChannelByte(rgba[2]);
}

void CTesser::LightManagerCreate()
{
    if (!m_lightManager)
        m_lightManager = new TItemsManager<TSNLIGHT>();
}

void CTesser::LightManagerFreeAll()
{
    if (!m_lightManager)
        return;
    m_lightManager->FreeAllItems();
    delete m_lightManager;
    m_lightManager = nullptr;
}

void CTesser::LightPass(void* vertices, const float savedAlpha[4], uint32_t backBufferWidth,
                        uint32_t backBufferHeight, bool dot3Capable)
{
    if (m_lightMode != 1 && m_lightMode != 2)
        return;
    QuadVertex q[4];
    std::memcpy(q, vertices, sizeof q);
    const float k = LightDepthScale(backBufferWidth, backBufferHeight);

    if (m_lightMode == 1) {
        float rgba[4][4];
        for (auto& c : rgba)
            std::memcpy(c, m_lightAmbient, sizeof c);
        if (m_lightManager)
            for (TSNLIGHT* l = m_lightManager->GetFirstItemWithTag(0); l; l = m_lightManager->GetNextItemWithTag())
                if (l->enabled)
                    for (int i = 0; i < 4; ++i)
                        LightAccumulate(*l, q[i].x, q[i].y, q[i].z, k, rgba[i]);
        for (int i = 0; i < 4; ++i)
            q[i].diffuse = LightPackDiffuse(rgba[i], savedAlpha[i]);
    } else {
        if (!dot3Capable)
            return;
        const TSNLIGHT* l = m_lightManager ? m_lightManager->GetItem(m_lightDot3Index) : nullptr;
        EHS_CHECK(l != nullptr, EHS_GENERAL, "Wrong Dot3 light specified!");
        for (auto& v : q)
            v.diffuse = LightDot3Color(*l, v.x, v.y, v.z, k);
    }
    std::memcpy(vertices, q, sizeof q);
}
