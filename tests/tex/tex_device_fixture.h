// A headless device of 64 x 64 pixels with one quad's buffers, for drawing
// textures 1:1 and reading the picture back.
#pragma once

#include "common/tsr_quad_device.h"

namespace textest {

class DeviceFixture : public tsrtest::QuadDeviceTest {
protected:
    static constexpr int kSize = 64;
    DeviceFixture() : QuadDeviceTest(kSize, kSize) {}
    void SetUp() override
    {
        using namespace tsr::gfx;
        QuadDeviceTest::SetUp();
        if (HasFatalFailure())
            return;
        // Texels straight through, unfiltered.
        dev->SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG1);
        dev->SetTextureStageState(0, TSS_COLORARG1, TA_TEXTURE);
        dev->SetTextureStageState(0, TSS_ALPHAOP, TOP_SELECTARG1);
        dev->SetTextureStageState(0, TSS_ALPHAARG1, TA_TEXTURE);
        dev->SetTextureStageState(0, TSS_MINFILTER, TEXF_POINT);
        dev->SetTextureStageState(0, TSS_MAGFILTER, TEXF_POINT);
        dev->SetTextureStageState(0, TSS_MIPFILTER, TEXF_NONE);
        dev->SetTextureStageState(0, TSS_ADDRESSU, TADDRESS_CLAMP);
        dev->SetTextureStageState(0, TSS_ADDRESSV, TADDRESS_CLAMP);
    }
};

} // namespace textest
