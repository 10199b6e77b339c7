// A headless graphics device on a small window, with the buffers of one
// pre-transformed quad, for drawing and reading the picture back without
// an engine object.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/gfx/tsr_gfx.h"
#include "platform/messages/tsr_messages.h"
#include "platform/window/tsr_gamewindow.h"

namespace tsrtest {

// The engine's quad vertex: position with rhw, two colours, two texture
// coordinate sets (format 0x2C4).
struct QuadVertex {
    float x, y, z, rhw;
    uint32_t diffuse, specular;
    float u1, v1, u2, v2;
};
static_assert(sizeof(QuadVertex) == 40);

inline intptr_t QuadDeviceWindowProc(tsr::WindowHandle w, uint32_t m, uintptr_t wp, intptr_t lp)
{
    return tsr::DefWindowProc(w, m, wp, lp);
}

class QuadDeviceTest : public ::testing::Test {
protected:
    static constexpr uint32_t kQuadFvf = 0x2C4;

    QuadDeviceTest(int width, int height, uint32_t vertexCapacity = 4)
        : m_width(width), m_height(height), m_vertexCapacity(vertexCapacity)
    {
    }

    void SetUp() override
    {
        using namespace tsr::gfx;
        tsr::ResetMessageQueue();
        SetFrameLimit(0);
        ASSERT_TRUE(tsr::RegisterWindowClass(kWindowClass, QuadDeviceWindowProc));
        d3d = CreateDirect3D(GFX_SDK_VERSION);
        ASSERT_NE(d3d, nullptr);
        window = tsr::CreateGameWindow(kWindowClass, "t", 0, 0, m_width, m_height, true);
        ASSERT_NE(window, nullptr);
        pp.backBufferWidth = uint32_t(m_width);
        pp.backBufferHeight = uint32_t(m_height);
        pp.backBufferFormat = FMT_X8R8G8B8;
        pp.backBufferCount = 1;
        pp.swapEffect = SWAPEFFECT_COPY;
        pp.deviceWindow = window;
        pp.windowed = true;
        ASSERT_EQ(d3d->CreateDevice(0, DEVTYPE_HAL, window, CREATE_SOFTWARE_VERTEXPROCESSING, pp, &dev), GFX_OK);
        ASSERT_EQ(dev->CreateVertexBuffer(uint32_t(sizeof(QuadVertex)) * m_vertexCapacity,
                                          USAGE_DYNAMIC | USAGE_WRITEONLY, kQuadFvf, POOL_DEFAULT, &vb),
                  GFX_OK);
        ASSERT_EQ(dev->CreateIndexBuffer(12, USAGE_WRITEONLY, FMT_INDEX16, POOL_MANAGED, &ib), GFX_OK);
        uint8_t* p = nullptr;
        ASSERT_EQ(ib->Lock(0, 0, &p, 0), GFX_OK);
        const uint16_t idx[6] = {0, 1, 2, 0, 2, 3};
        std::memcpy(p, idx, sizeof idx);
        ib->Unlock();
        dev->SetVertexShader(kQuadFvf);
        dev->SetStreamSource(0, vb, sizeof(QuadVertex));
        dev->SetIndices(ib, 0);
        dev->SetRenderState(RS_LIGHTING, 0);
    }

    // Everything goes back with no reference left over: a leak fails here.
    void TearDown() override
    {
        if (dev) {
            dev->SetStreamSource(0, nullptr, 0);
            dev->SetIndices(nullptr, 0);
            for (uint32_t s = 0; s < tsr::gfx::MAX_TEXTURE_STAGES; ++s)
                dev->SetTexture(s, nullptr);
        }
        if (vb) {
            EXPECT_EQ(vb->Release(), 0u);
        }
        if (ib) {
            EXPECT_EQ(ib->Release(), 0u);
        }
        if (dev) {
            EXPECT_EQ(dev->Release(), 0u);
        }
        if (window)
            tsr::DestroyGameWindow(window);
        if (d3d) {
            EXPECT_EQ(d3d->Release(), 0u);
        }
        tsr::UnregisterWindowClass(kWindowClass);
        tsr::ResetMessageQueue();
    }

    // One quad in pixels, with the half-pixel shift the engine gives
    // pre-transformed quads.
    void DrawQuad(float x, float y, float w, float h, uint32_t color = 0xFFFFFFFF, float u0 = 0, float v0 = 0,
                  float u1 = 1, float v1 = 1)
    {
        using namespace tsr::gfx;
        const QuadVertex q[4] = {
            {x - 0.5f, y - 0.5f, 0.5f, 0.5f, color, 0xFFFFFFFF, u0, v0, u0, v0},
            {x + w - 0.5f, y - 0.5f, 0.5f, 0.5f, color, 0xFFFFFFFF, u1, v0, u1, v0},
            {x + w - 0.5f, y + h - 0.5f, 0.5f, 0.5f, color, 0xFFFFFFFF, u1, v1, u1, v1},
            {x - 0.5f, y + h - 0.5f, 0.5f, 0.5f, color, 0xFFFFFFFF, u0, v1, u0, v1},
        };
        uint8_t* p = nullptr;
        ASSERT_EQ(vb->Lock(0, 0, &p, LOCK_DISCARD), GFX_OK);
        std::memcpy(p, q, sizeof q);
        vb->Unlock();
        ASSERT_EQ(dev->DrawIndexedPrimitive(PT_TRIANGLELIST, 0, 4, 0, 2), GFX_OK);
    }
    void Clear(uint32_t argb = 0xFF000000u) { dev->Clear(0, nullptr, tsr::gfx::CLEAR_TARGET, argb, 0, 0); }
    std::vector<uint32_t> ReadBack() { return dev->ReadBackBuffer(); }
    uint32_t Px(const std::vector<uint32_t>& px, int x, int y) const { return px[size_t(y) * size_t(m_width) + size_t(x)]; }

    tsr::gfx::Direct3D* d3d = nullptr;
    tsr::gfx::Device* dev = nullptr;
    tsr::gfx::VertexBuffer* vb = nullptr;
    tsr::gfx::IndexBuffer* ib = nullptr;
    tsr::WindowHandle window = nullptr;
    tsr::gfx::PresentParameters pp;

private:
    static constexpr const char* kWindowClass = "tsr_quad_device";
    int m_width;
    int m_height;
    uint32_t m_vertexCapacity;
};

} // namespace tsrtest
