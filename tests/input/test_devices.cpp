// The device layer's own contract, below the engine: results of the set-up
// calls, acquisition and the lost-input sequence.
#include "input_fixture.h"

#include "platform/input/tsr_dinput.h"

namespace {

class DeviceTest : public inputtest::InputEngineTest {
protected:
    void SetUp() override
    {
        InputEngineTest::SetUp();
        void* object = nullptr;
        ASSERT_EQ(tsr::DirectInput8Create(nullptr, tsr::DIRECTINPUT_VERSION, tsr::IID_IDirectInput8A, &object,
                                          nullptr),
                  tsr::DI_OK);
        input.reset(static_cast<tsr::IDirectInput8*>(object));
        tsr::IDirectInputDevice8* device = nullptr;
        ASSERT_EQ(input->CreateDevice(tsr::GUID_SysKeyboard, &device, nullptr), tsr::DI_OK);
        keyboard.reset(device);
    }
    void TearDown() override
    {
        keyboard.reset();
        input.reset();
        InputEngineTest::TearDown();
    }

    tsr::DirectInputPtr input;
    tsr::DirectInputDevicePtr keyboard;
    uint8_t state[256] = {};
};

TEST_F(DeviceTest, CreationChecksItsArguments)
{
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(tsr::DirectInput8Create(nullptr, 0x0700, tsr::IID_IDirectInput8A, &object, nullptr),
              tsr::DIERR_OLDDIRECTINPUTVERSION);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(input->CreateDevice(tsr::GUID_SysMouse, nullptr, nullptr), tsr::DIERR_INVALIDPARAM);
}

TEST_F(DeviceTest, SetUpOrderAndFormats)
{
    EXPECT_EQ(keyboard->Acquire(), tsr::DIERR_INVALIDPARAM) << "no data format yet";
    EXPECT_EQ(keyboard->SetDataFormat(&tsr::c_dfDIMouse2), tsr::DIERR_INVALIDPARAM);
    EXPECT_EQ(keyboard->SetDataFormat(&tsr::c_dfDIKeyboard), tsr::DI_OK);
    EXPECT_EQ(keyboard->SetCooperativeLevel(window, tsr::DISCL_FOREGROUND), tsr::DIERR_INVALIDPARAM);
    EXPECT_EQ(keyboard->SetCooperativeLevel(nullptr, tsr::DISCL_NONEXCLUSIVE | tsr::DISCL_FOREGROUND),
              tsr::DIERR_INVALIDPARAM);
    EXPECT_EQ(keyboard->SetCooperativeLevel(window, tsr::DISCL_NONEXCLUSIVE | tsr::DISCL_FOREGROUND), tsr::DI_OK);
    EXPECT_EQ(keyboard->GetDeviceState(sizeof state, state), tsr::DIERR_NOTACQUIRED);
    EXPECT_EQ(keyboard->Acquire(), tsr::DI_OK);
    EXPECT_EQ(keyboard->Acquire(), tsr::DI_NOEFFECT);
    EXPECT_EQ(keyboard->GetDeviceState(100, state), tsr::DIERR_INVALIDPARAM);
    EXPECT_EQ(keyboard->GetDeviceState(sizeof state, state), tsr::DI_OK);
    EXPECT_EQ(keyboard->SetDataFormat(&tsr::c_dfDIKeyboard), tsr::DIERR_ACQUIRED);
}

TEST_F(DeviceTest, FocusLossLosesTheInputOnceThenItIsNotAcquired)
{
    ASSERT_EQ(keyboard->SetDataFormat(&tsr::c_dfDIKeyboard), tsr::DI_OK);
    ASSERT_EQ(keyboard->SetCooperativeLevel(window, tsr::DISCL_NONEXCLUSIVE | tsr::DISCL_FOREGROUND), tsr::DI_OK);
    ASSERT_EQ(keyboard->Acquire(), tsr::DI_OK);
    WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    EXPECT_EQ(keyboard->GetDeviceState(sizeof state, state), tsr::DIERR_INPUTLOST);
    EXPECT_EQ(keyboard->GetDeviceState(sizeof state, state), tsr::DIERR_NOTACQUIRED);
    // Once the window layer has taken the focus away, acquiring fails.
    tsr::Message m;
    tsr::PeekMessage(m, tsr::PM_NOREMOVE);
    EXPECT_EQ(keyboard->Acquire(), tsr::DIERR_OTHERAPPHASPRIO);
    WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    tsr::PeekMessage(m, tsr::PM_NOREMOVE);
    EXPECT_EQ(keyboard->Acquire(), tsr::DI_OK);
    EXPECT_EQ(keyboard->GetDeviceState(sizeof state, state), tsr::DI_OK);
}

TEST_F(DeviceTest, BackgroundDeviceKeepsReadingWithoutTheFocus)
{
    ASSERT_EQ(keyboard->SetDataFormat(&tsr::c_dfDIKeyboard), tsr::DI_OK);
    ASSERT_EQ(keyboard->SetCooperativeLevel(window, tsr::DISCL_NONEXCLUSIVE | tsr::DISCL_BACKGROUND), tsr::DI_OK);
    ASSERT_EQ(keyboard->Acquire(), tsr::DI_OK);
    WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    tsr::Message m;
    tsr::PeekMessage(m, tsr::PM_NOREMOVE);
    Key(SDL_SCANCODE_X, true);
    ASSERT_EQ(keyboard->GetDeviceState(sizeof state, state), tsr::DI_OK);
    EXPECT_EQ(state[DIK_X], 0x80);
}

TEST_F(DeviceTest, EveryReaderGetsItsOwnMotion)
{
    tsr::IDirectInputDevice8* raw = nullptr;
    ASSERT_EQ(input->CreateDevice(tsr::GUID_SysMouse, &raw, nullptr), tsr::DI_OK);
    tsr::DirectInputDevicePtr mouse(raw);
    ASSERT_EQ(mouse->SetDataFormat(&tsr::c_dfDIMouse2), tsr::DI_OK);
    ASSERT_EQ(mouse->SetCooperativeLevel(window, tsr::DISCL_NONEXCLUSIVE | tsr::DISCL_FOREGROUND), tsr::DI_OK);
    ASSERT_EQ(mouse->Acquire(), tsr::DI_OK);
    // Taken by the engine's mouse as well: each device counts for itself.
    MoveTo(50, 50, 7, 0);
    Wheel(1);
    tsr::DIMOUSESTATE2 s{};
    ASSERT_EQ(mouse->GetDeviceState(sizeof s, &s), tsr::DI_OK);
    EXPECT_EQ(s.lX, 7);
    EXPECT_EQ(s.lZ, tsr::WHEEL_DELTA);
    Frame();
    EXPECT_EQ(engine->MouseGetDeltaX(), 7);
    ASSERT_EQ(mouse->GetDeviceState(sizeof s, &s), tsr::DI_OK);
    EXPECT_EQ(s.lX, 0);
}

} // namespace
