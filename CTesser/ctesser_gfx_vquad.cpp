// The current quad and the quad batch: four pre-transformed vertices
// shaped, coloured and textured by the caller, copied into a dynamic vertex
// buffer and drawn 500 quads per indexed draw call.
#include <cmath>
#include <cstring>

#include "ctesser.h"

namespace {
constexpr int32_t FILE_ID = 123;

using namespace tsr::gfx;

// Degrees to radians, the float nearest pi / 180.
constexpr float kDegToRad = 0.017453292f;

inline uint32_t FogSpecular(float z) { return (GfxFogByte(z) << 24) | 0x00FFFFFFu; }

void CheckVertexIndex(int32_t vertex)
{
    // The index picks one of the four stored vertices; anything else would
    // write outside the quad.
    if (vertex < 0 || vertex > 3)
        throw CEHSException(EHS_GAME, 0, "Wrong vertex index: must be 0..3", __FILE__, __LINE__);
}
} // namespace

void CTesser::VQuadSetPos(float x, float y, float width, float height, float z)
{
    TSNVERTEX* q = m_quad;
    q[0].x = x;
    q[0].y = y;
    q[1].x = x + width;
    q[1].y = y;
    q[2].x = x + width;
    q[2].y = y + height;
    q[3].x = x;
    q[3].y = y + height;
    q[0].z = q[1].z = q[2].z = q[3].z = z;
    if (m_bVertexFog) {
        const uint32_t s = FogSpecular(z);
        q[0].specular = q[1].specular = q[2].specular = q[3].specular = s;
    }
}

void CTesser::VQuadSetPosByVertex(int32_t vertex, float x, float y, float z)
{
    SetCheckpoint(FILE_ID, __LINE__);
    CheckVertexIndex(vertex);
    TSNVERTEX& v = m_quad[vertex];
    v.x = x;
    v.y = y;
    v.z = z;
    if (m_bVertexFog)
        v.specular = FogSpecular(z);
}

void CTesser::VQuadRotate(float cx, float cy, float degrees)
{
    const float a = degrees * kDegToRad;
    const float s = std::sin(a), c = std::cos(a);
    for (TSNVERTEX& v : m_quad) {
        const float dx = v.x - cx, dy = v.y - cy;
        v.x = cx + dx * c - dy * s;
        v.y = cy + dx * s + dy * c;
    }
}

void CTesser::VQuadScale(float cx, float cy, float factor)
{
    for (TSNVERTEX& v : m_quad) {
        v.x = cx + (v.x - cx) * factor;
        v.y = cy + factor * (v.y - cy);
    }
}

void CTesser::VQuadMove(float dx, float dy, float dz)
{
    for (TSNVERTEX& v : m_quad) {
        v.x += dx;
        v.y += dy;
        v.z += dz;
    }
    if (m_bVertexFog) {
        const uint32_t s = FogSpecular(m_quad[3].z);
        for (TSNVERTEX& v : m_quad)
            v.specular = s;
    }
}

void CTesser::VQuadSetTexCoords(int32_t set, float left, float top, float right, float bottom)
{
    if (set != 1 && set != 2) {
        SetCheckpoint(FILE_ID, __LINE__);
        throw CEHSException(EHS_GAME, 0, "Wrong texture coordinates set number: must be 1 or 2", __FILE__,
                            __LINE__);
    }
    float TSNVERTEX::*u = set == 1 ? &TSNVERTEX::tu1 : &TSNVERTEX::tu2;
    float TSNVERTEX::*v = set == 1 ? &TSNVERTEX::tv1 : &TSNVERTEX::tv2;
    TSNVERTEX* q = m_quad;
    q[0].*u = left;
    q[0].*v = top;
    q[1].*u = right;
    q[1].*v = top;
    q[2].*u = right;
    q[2].*v = bottom;
    q[3].*u = left;
    q[3].*v = bottom;
}

void CTesser::VQuadSetColor(float red, float green, float blue, float alpha)
{
    const uint32_t c = GfxColorToARGB(red, green, blue, alpha);
    for (int i = 0; i < 4; ++i) {
        m_quad[i].diffuse = c;
        m_quadAlpha[i] = alpha;
    }
}

void CTesser::VQuadSetColorByVertex(int32_t vertex, float red, float green, float blue, float alpha)
{
    SetCheckpoint(FILE_ID, __LINE__);
    CheckVertexIndex(vertex);
    m_quad[vertex].diffuse = GfxColorToARGB(red, green, blue, alpha);
    m_quadAlpha[vertex] = alpha;
}

void CTesser::VQuadFillIndexBuffer()
{
    SetCheckpoint(FILE_ID, __LINE__);
    uint8_t* data = nullptr;
    EHS_CHECK(m_pIndexBuffer && Succeeded(m_pIndexBuffer->Lock(0, 0, &data, 0)) && data, EHS_GENERAL,
              "Cannot lock index buffer!");
    // Two triangles per quad, 0-1-2 and 0-2-3: clockwise on screen.
    for (int32_t k = 0; k < TSN_BATCH_QUADS; ++k) {
        const uint16_t b = uint16_t(4 * k);
        const uint16_t idx[6] = {b, uint16_t(b + 1), uint16_t(b + 2), b, uint16_t(b + 2), uint16_t(b + 3)};
        std::memcpy(data + size_t(k) * sizeof idx, idx, sizeof idx);
    }
    EHS_CHECK(Succeeded(m_pIndexBuffer->Unlock()), EHS_GENERAL, "Cannot unlock index buffer!");
}

void CTesser::VQuadBatchBegin()
{
    SetCheckpoint(FILE_ID, __LINE__);
    m_batchCount = 0;
    uint8_t* data = nullptr;
    // No vertex buffer (a reset that failed) counts as a failed lock.
    EHS_CHECK(m_pVertexBuffer && Succeeded(m_pVertexBuffer->Lock(0, 0, &data, LOCK_DISCARD)) && data,
              EHS_GENERAL, "Cannot lock vertex buffer!");
    m_pBatchVertices = data;
    EHS_CHECK(Succeeded(m_pD3DDevice->SetStreamSource(0, m_pVertexBuffer, sizeof(TSNVERTEX))), EHS_GENERAL,
              "Cannot set stream source!");
}

void CTesser::VQuadBatchAdd()
{
    if (!m_pBatchVertices)
        return;
    // The shift is applied to the stored quad itself: texel centres then
    // meet pixel centres.
    TSNVERTEX* dst = reinterpret_cast<TSNVERTEX*>(m_pBatchVertices) + size_t(m_batchCount) * 4;
    for (int i = 0; i < 4; ++i) {
        TSNVERTEX& v = m_quad[i];
        const float x = v.x - 0.5f, y = v.y - 0.5f;
        v.x = x;
        v.y = y;
        // Shifted coordinates go out from registers, the rest as it is.
        dst[i].x = x;
        dst[i].y = y;
        std::memcpy(&dst[i].z, &v.z, sizeof(TSNVERTEX) - 2 * sizeof(float));
    }
    if (++m_batchCount >= TSN_BATCH_QUADS)
        VQuadBatchFlush();
}

void CTesser::VQuadDraw(int32_t quads)
{
    m_pD3DDevice->DrawIndexedPrimitive(PT_TRIANGLELIST, 0, uint32_t(quads) * 4, 0, uint32_t(quads) * 2);
}

void CTesser::VQuadBatchFlush()
{
    if (m_batchCount == 0 || !m_pBatchVertices)
        return;
    SetCheckpoint(FILE_ID, __LINE__);
    EHS_CHECK(Succeeded(m_pVertexBuffer->Unlock()), EHS_GENERAL, "Cannot unlock vertex buffer!");
    m_pBatchVertices = nullptr;
    VQuadDraw(m_batchCount);
    m_batchCount = 0;
    uint8_t* data = nullptr;
    EHS_CHECK(Succeeded(m_pVertexBuffer->Lock(0, 0, &data, LOCK_DISCARD)) && data, EHS_GENERAL,
              "Cannot lock vertex buffer!");
    m_pBatchVertices = data;
}

void CTesser::VQuadBatchEnd()
{
    if (!m_pBatchVertices)
        return;
    m_pVertexBuffer->Unlock();
    m_pBatchVertices = nullptr;
    if (m_batchCount > 0)
        VQuadDraw(m_batchCount);
    m_batchCount = 0;
}

void CTesser::VQuadBatchAbandon()
{
    if (m_pVertexBuffer && m_pBatchVertices)
        m_pVertexBuffer->Unlock();
    m_pBatchVertices = nullptr;
    m_batchCount = 0;
}
