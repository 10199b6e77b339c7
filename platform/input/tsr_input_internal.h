// What the input devices and the replay/record source share. Platform
// layer only; includes SDL.
#pragma once

#include <SDL.h>

#include <cstdint>

namespace tsr::input_detail {

// Events that a replay pushes carry this mark, so that the devices take
// their values as given and, during a replay, live input can be kept out.
// Keyboard events: keysym.unused = kReplayKeyMark | key code. Mouse events:
// which = kReplayMouseId, positions in back-buffer pixels. Window events:
// data1 = kReplayWindowMark.
constexpr uint32_t kReplayKeyMark = 0x52504C00u;
constexpr uint32_t kReplayKeyMarkMask = 0xFFFFFF00u;
constexpr uint32_t kReplayMouseId = 0x52504C59u;
constexpr int32_t kReplayWindowMark = 0x52504C57;

bool IsReplayedEvent(const SDL_Event& e);

// The SDL button number of a mouse button 1-8 (1 left, 2 right, 3 middle),
// and back; 0 for none.
int SdlButtonFromMouseButton(int button);
int MouseButtonFromSdlButton(int sdlButton);

// The input object's life: the stream (replay or record) hooks into the
// message queue while input exists.
void InputStreamAttach();
void InputStreamDetach();
// The keyboard state was read: this frame's input has been taken.
void InputStreamFrameRead();
bool InputStreamIsReplaying();
// A live event as the devices saw it (recording); cursor in back-buffer
// pixels for mouse events.
void InputStreamObserve(const SDL_Event& e, float pictureX, float pictureY);

} // namespace tsr::input_detail
