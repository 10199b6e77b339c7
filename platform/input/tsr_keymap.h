// Between SDL scancodes (key positions on a USB keyboard) and the DIK_ key
// codes (positions on a PC keyboard). Plain ints so that callers need not
// include SDL.
#pragma once

#include <cstdint>

namespace tsr {

// The DIK_ code of an SDL scancode, 0 for a key the table does not have.
uint8_t DikFromScancode(int sdlScancode);
// The SDL scancode of a DIK_ code, 0 (SDL_SCANCODE_UNKNOWN) for none.
int ScancodeFromDik(uint8_t dik);

} // namespace tsr
