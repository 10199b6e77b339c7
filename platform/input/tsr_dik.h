// Keyboard key codes: one byte per key, the scan-code numbering the engine's
// keyboard state is indexed by (0x01 Escape ... 0xED media select). They
// are plain constants at global scope so that game and GUI code can name
// keys the way the engine's data does (DIK_F2, DIK_RETURN).
//
// Also the table of key names: every name is the constant's name without
// its "DIK_" prefix. Data files name keys with it (GUI hot keys) and input
// replay files use it too.
#pragma once

#include <cstdint>
#include <string_view>

constexpr uint8_t DIK_ESCAPE = 0x01;
constexpr uint8_t DIK_1 = 0x02;
constexpr uint8_t DIK_2 = 0x03;
constexpr uint8_t DIK_3 = 0x04;
constexpr uint8_t DIK_4 = 0x05;
constexpr uint8_t DIK_5 = 0x06;
constexpr uint8_t DIK_6 = 0x07;
constexpr uint8_t DIK_7 = 0x08;
constexpr uint8_t DIK_8 = 0x09;
constexpr uint8_t DIK_9 = 0x0A;
constexpr uint8_t DIK_0 = 0x0B;
constexpr uint8_t DIK_MINUS = 0x0C;
constexpr uint8_t DIK_EQUALS = 0x0D;
constexpr uint8_t DIK_BACK = 0x0E;
constexpr uint8_t DIK_TAB = 0x0F;
constexpr uint8_t DIK_Q = 0x10;
constexpr uint8_t DIK_W = 0x11;
constexpr uint8_t DIK_E = 0x12;
constexpr uint8_t DIK_R = 0x13;
constexpr uint8_t DIK_T = 0x14;
constexpr uint8_t DIK_Y = 0x15;
constexpr uint8_t DIK_U = 0x16;
constexpr uint8_t DIK_I = 0x17;
constexpr uint8_t DIK_O = 0x18;
constexpr uint8_t DIK_P = 0x19;
constexpr uint8_t DIK_LBRACKET = 0x1A;
constexpr uint8_t DIK_RBRACKET = 0x1B;
constexpr uint8_t DIK_RETURN = 0x1C;
constexpr uint8_t DIK_LCONTROL = 0x1D;
constexpr uint8_t DIK_A = 0x1E;
constexpr uint8_t DIK_S = 0x1F;
constexpr uint8_t DIK_D = 0x20;
constexpr uint8_t DIK_F = 0x21;
constexpr uint8_t DIK_G = 0x22;
constexpr uint8_t DIK_H = 0x23;
constexpr uint8_t DIK_J = 0x24;
constexpr uint8_t DIK_K = 0x25;
constexpr uint8_t DIK_L = 0x26;
constexpr uint8_t DIK_SEMICOLON = 0x27;
constexpr uint8_t DIK_APOSTROPHE = 0x28;
constexpr uint8_t DIK_GRAVE = 0x29;
constexpr uint8_t DIK_LSHIFT = 0x2A;
constexpr uint8_t DIK_BACKSLASH = 0x2B;
constexpr uint8_t DIK_Z = 0x2C;
constexpr uint8_t DIK_X = 0x2D;
constexpr uint8_t DIK_C = 0x2E;
constexpr uint8_t DIK_V = 0x2F;
constexpr uint8_t DIK_B = 0x30;
constexpr uint8_t DIK_N = 0x31;
constexpr uint8_t DIK_M = 0x32;
constexpr uint8_t DIK_COMMA = 0x33;
constexpr uint8_t DIK_PERIOD = 0x34;
constexpr uint8_t DIK_SLASH = 0x35;
constexpr uint8_t DIK_RSHIFT = 0x36;
constexpr uint8_t DIK_MULTIPLY = 0x37;
constexpr uint8_t DIK_LMENU = 0x38;
constexpr uint8_t DIK_SPACE = 0x39;
constexpr uint8_t DIK_CAPITAL = 0x3A;
constexpr uint8_t DIK_F1 = 0x3B;
constexpr uint8_t DIK_F2 = 0x3C;
constexpr uint8_t DIK_F3 = 0x3D;
constexpr uint8_t DIK_F4 = 0x3E;
constexpr uint8_t DIK_F5 = 0x3F;
constexpr uint8_t DIK_F6 = 0x40;
constexpr uint8_t DIK_F7 = 0x41;
constexpr uint8_t DIK_F8 = 0x42;
constexpr uint8_t DIK_F9 = 0x43;
constexpr uint8_t DIK_F10 = 0x44;
constexpr uint8_t DIK_NUMLOCK = 0x45;
constexpr uint8_t DIK_SCROLL = 0x46;
constexpr uint8_t DIK_NUMPAD7 = 0x47;
constexpr uint8_t DIK_NUMPAD8 = 0x48;
constexpr uint8_t DIK_NUMPAD9 = 0x49;
constexpr uint8_t DIK_SUBTRACT = 0x4A;
constexpr uint8_t DIK_NUMPAD4 = 0x4B;
constexpr uint8_t DIK_NUMPAD5 = 0x4C;
constexpr uint8_t DIK_NUMPAD6 = 0x4D;
constexpr uint8_t DIK_ADD = 0x4E;
constexpr uint8_t DIK_NUMPAD1 = 0x4F;
constexpr uint8_t DIK_NUMPAD2 = 0x50;
constexpr uint8_t DIK_NUMPAD3 = 0x51;
constexpr uint8_t DIK_NUMPAD0 = 0x52;
constexpr uint8_t DIK_DECIMAL = 0x53;
constexpr uint8_t DIK_OEM_102 = 0x56;
constexpr uint8_t DIK_F11 = 0x57;
constexpr uint8_t DIK_F12 = 0x58;
constexpr uint8_t DIK_F13 = 0x64;
constexpr uint8_t DIK_F14 = 0x65;
constexpr uint8_t DIK_F15 = 0x66;
constexpr uint8_t DIK_KANA = 0x70;
constexpr uint8_t DIK_ABNT_C1 = 0x73;
constexpr uint8_t DIK_CONVERT = 0x79;
constexpr uint8_t DIK_NOCONVERT = 0x7B;
constexpr uint8_t DIK_YEN = 0x7D;
constexpr uint8_t DIK_NUMPADEQUALS = 0x8D;
constexpr uint8_t DIK_PREVTRACK = 0x90;
constexpr uint8_t DIK_STOP = 0x95;
constexpr uint8_t DIK_NEXTTRACK = 0x99;
constexpr uint8_t DIK_NUMPADENTER = 0x9C;
constexpr uint8_t DIK_RCONTROL = 0x9D;
constexpr uint8_t DIK_MUTE = 0xA0;
constexpr uint8_t DIK_CALCULATOR = 0xA1;
constexpr uint8_t DIK_PLAYPAUSE = 0xA2;
constexpr uint8_t DIK_MEDIASTOP = 0xA4;
constexpr uint8_t DIK_VOLUMEDOWN = 0xAE;
constexpr uint8_t DIK_VOLUMEUP = 0xB0;
constexpr uint8_t DIK_WEBHOME = 0xB2;
constexpr uint8_t DIK_NUMPADCOMMA = 0xB3;
constexpr uint8_t DIK_DIVIDE = 0xB5;
constexpr uint8_t DIK_SYSRQ = 0xB7;
constexpr uint8_t DIK_RMENU = 0xB8;
constexpr uint8_t DIK_PAUSE = 0xC5;
constexpr uint8_t DIK_HOME = 0xC7;
constexpr uint8_t DIK_UP = 0xC8;
constexpr uint8_t DIK_PRIOR = 0xC9;
constexpr uint8_t DIK_LEFT = 0xCB;
constexpr uint8_t DIK_RIGHT = 0xCD;
constexpr uint8_t DIK_END = 0xCF;
constexpr uint8_t DIK_DOWN = 0xD0;
constexpr uint8_t DIK_NEXT = 0xD1;
constexpr uint8_t DIK_INSERT = 0xD2;
constexpr uint8_t DIK_DELETE = 0xD3;
constexpr uint8_t DIK_LWIN = 0xDB;
constexpr uint8_t DIK_RWIN = 0xDC;
constexpr uint8_t DIK_APPS = 0xDD;
constexpr uint8_t DIK_POWER = 0xDE;
constexpr uint8_t DIK_SLEEP = 0xDF;
constexpr uint8_t DIK_WAKE = 0xE3;
constexpr uint8_t DIK_WEBSEARCH = 0xE5;
constexpr uint8_t DIK_WEBFAVORITES = 0xE6;
constexpr uint8_t DIK_WEBREFRESH = 0xE7;
constexpr uint8_t DIK_WEBSTOP = 0xE8;
constexpr uint8_t DIK_WEBFORWARD = 0xE9;
constexpr uint8_t DIK_WEBBACK = 0xEA;
constexpr uint8_t DIK_MYCOMPUTER = 0xEB;
constexpr uint8_t DIK_MAIL = 0xEC;
constexpr uint8_t DIK_MEDIASELECT = 0xED;

// The alternative names of the same codes.
constexpr uint8_t DIK_BACKSPACE = DIK_BACK;
constexpr uint8_t DIK_NUMPADSTAR = DIK_MULTIPLY;
constexpr uint8_t DIK_LALT = DIK_LMENU;
constexpr uint8_t DIK_CAPSLOCK = DIK_CAPITAL;
constexpr uint8_t DIK_NUMPADMINUS = DIK_SUBTRACT;
constexpr uint8_t DIK_NUMPADPLUS = DIK_ADD;
constexpr uint8_t DIK_NUMPADPERIOD = DIK_DECIMAL;
constexpr uint8_t DIK_NUMPADSLASH = DIK_DIVIDE;
constexpr uint8_t DIK_RALT = DIK_RMENU;
constexpr uint8_t DIK_UPARROW = DIK_UP;
constexpr uint8_t DIK_PGUP = DIK_PRIOR;
constexpr uint8_t DIK_LEFTARROW = DIK_LEFT;
constexpr uint8_t DIK_RIGHTARROW = DIK_RIGHT;
constexpr uint8_t DIK_DOWNARROW = DIK_DOWN;
constexpr uint8_t DIK_PGDN = DIK_NEXT;

namespace tsr {

struct KeyName {
    std::string_view name;
    uint8_t code;
    bool alias; // a second name of a code that has a main name
};

// Every key name the engine knows, in its published order.
inline constexpr KeyName kKeyNames[] = {
    {"0", DIK_0, false},
    {"1", DIK_1, false},
    {"2", DIK_2, false},
    {"3", DIK_3, false},
    {"4", DIK_4, false},
    {"5", DIK_5, false},
    {"6", DIK_6, false},
    {"7", DIK_7, false},
    {"8", DIK_8, false},
    {"9", DIK_9, false},
    {"A", DIK_A, false},
    {"ADD", DIK_ADD, false},
    {"NUMPADPLUS", DIK_NUMPADPLUS, true},
    {"APOSTROPHE", DIK_APOSTROPHE, false},
    {"APPS", DIK_APPS, false},
    {"B", DIK_B, false},
    {"BACKSPACE", DIK_BACKSPACE, true},
    {"BACK", DIK_BACK, false},
    {"BACKSLASH", DIK_BACKSLASH, false},
    {"C", DIK_C, false},
    {"CALCULATOR", DIK_CALCULATOR, false},
    {"CAPITAL", DIK_CAPITAL, false},
    {"CAPSLOCK", DIK_CAPSLOCK, true},
    {"COMMA", DIK_COMMA, false},
    {"D", DIK_D, false},
    {"DECIMAL", DIK_DECIMAL, false},
    {"NUMPADPERIOD", DIK_NUMPADPERIOD, true},
    {"DELETE", DIK_DELETE, false},
    {"DIVIDE", DIK_DIVIDE, false},
    {"NUMPADSLASH", DIK_NUMPADSLASH, true},
    {"DOWN", DIK_DOWN, false},
    {"DOWNARROW", DIK_DOWNARROW, true},
    {"E", DIK_E, false},
    {"END", DIK_END, false},
    {"EQUALS", DIK_EQUALS, false},
    {"ESCAPE", DIK_ESCAPE, false},
    {"F", DIK_F, false},
    {"F1", DIK_F1, false},
    {"F2", DIK_F2, false},
    {"F3", DIK_F3, false},
    {"F4", DIK_F4, false},
    {"F5", DIK_F5, false},
    {"F6", DIK_F6, false},
    {"F7", DIK_F7, false},
    {"F8", DIK_F8, false},
    {"F9", DIK_F9, false},
    {"F10", DIK_F10, false},
    {"F11", DIK_F11, false},
    {"F12", DIK_F12, false},
    {"G", DIK_G, false},
    {"GRAVE", DIK_GRAVE, false},
    {"H", DIK_H, false},
    {"HOME", DIK_HOME, false},
    {"I", DIK_I, false},
    {"INSERT", DIK_INSERT, false},
    {"J", DIK_J, false},
    {"K", DIK_K, false},
    {"L", DIK_L, false},
    {"LBRACKET", DIK_LBRACKET, false},
    {"LCONTROL", DIK_LCONTROL, false},
    {"LEFT", DIK_LEFT, false},
    {"LEFTARROW", DIK_LEFTARROW, true},
    {"LMENU", DIK_LMENU, false},
    {"LALT", DIK_LALT, true},
    {"LSHIFT", DIK_LSHIFT, false},
    {"LWIN", DIK_LWIN, false},
    {"M", DIK_M, false},
    {"MAIL", DIK_MAIL, false},
    {"MEDIASELECT", DIK_MEDIASELECT, false},
    {"MEDIASTOP", DIK_MEDIASTOP, false},
    {"MINUS", DIK_MINUS, false},
    {"MULTIPLY", DIK_MULTIPLY, false},
    {"NUMPADSTAR", DIK_NUMPADSTAR, true},
    {"MUTE", DIK_MUTE, false},
    {"MYCOMPUTER", DIK_MYCOMPUTER, false},
    {"N", DIK_N, false},
    {"NEXT", DIK_NEXT, false},
    {"PGDN", DIK_PGDN, true},
    {"NEXTTRACK", DIK_NEXTTRACK, false},
    {"NUMLOCK", DIK_NUMLOCK, false},
    {"NUMPAD0", DIK_NUMPAD0, false},
    {"NUMPAD1", DIK_NUMPAD1, false},
    {"NUMPAD2", DIK_NUMPAD2, false},
    {"NUMPAD3", DIK_NUMPAD3, false},
    {"NUMPAD4", DIK_NUMPAD4, false},
    {"NUMPAD5", DIK_NUMPAD5, false},
    {"NUMPAD6", DIK_NUMPAD6, false},
    {"NUMPAD7", DIK_NUMPAD7, false},
    {"NUMPAD8", DIK_NUMPAD8, false},
    {"NUMPAD9", DIK_NUMPAD9, false},
    {"NUMPADENTER", DIK_NUMPADENTER, false},
    {"O", DIK_O, false},
    {"P", DIK_P, false},
    {"PAUSE", DIK_PAUSE, false},
    {"PERIOD", DIK_PERIOD, false},
    {"PLAYPAUSE", DIK_PLAYPAUSE, false},
    {"POWER", DIK_POWER, false},
    {"PREVTRACK", DIK_PREVTRACK, false},
    {"PRIOR", DIK_PRIOR, false},
    {"PGUP", DIK_PGUP, true},
    {"Q", DIK_Q, false},
    {"R", DIK_R, false},
    {"RBRACKET", DIK_RBRACKET, false},
    {"RCONTROL", DIK_RCONTROL, false},
    {"RETURN", DIK_RETURN, false},
    {"RIGHT", DIK_RIGHT, false},
    {"RIGHTARROW", DIK_RIGHTARROW, true},
    {"RMENU", DIK_RMENU, false},
    {"RALT", DIK_RALT, true},
    {"RSHIFT", DIK_RSHIFT, false},
    {"RWIN", DIK_RWIN, false},
    {"S", DIK_S, false},
    {"SCROLL", DIK_SCROLL, false},
    {"SEMICOLON", DIK_SEMICOLON, false},
    {"SLASH", DIK_SLASH, false},
    {"SLEEP", DIK_SLEEP, false},
    {"SPACE", DIK_SPACE, false},
    {"STOP", DIK_STOP, false},
    {"SUBTRACT", DIK_SUBTRACT, false},
    {"NUMPADMINUS", DIK_NUMPADMINUS, true},
    {"SYSRQ", DIK_SYSRQ, false},
    {"T", DIK_T, false},
    {"TAB", DIK_TAB, false},
    {"U", DIK_U, false},
    {"UP", DIK_UP, false},
    {"UPARROW", DIK_UPARROW, true},
    {"V", DIK_V, false},
    {"VOLUMEDOWN", DIK_VOLUMEDOWN, false},
    {"VOLUMEUP", DIK_VOLUMEUP, false},
    {"W", DIK_W, false},
    {"WAKE", DIK_WAKE, false},
    {"WEBBACK", DIK_WEBBACK, false},
    {"WEBFAVORITES", DIK_WEBFAVORITES, false},
    {"WEBFORWARD", DIK_WEBFORWARD, false},
    {"WEBHOME", DIK_WEBHOME, false},
    {"WEBREFRESH", DIK_WEBREFRESH, false},
    {"WEBSEARCH", DIK_WEBSEARCH, false},
    {"WEBSTOP", DIK_WEBSTOP, false},
    {"X", DIK_X, false},
    {"Y", DIK_Y, false},
    {"Z", DIK_Z, false},
};

// The code of a key name, exact and case-sensitive; 0 for an unknown name.
constexpr uint8_t KeyCodeFromName(std::string_view name)
{
    for (const KeyName& k : kKeyNames)
        if (k.name == name)
            return k.code;
    return 0;
}

// The main name of a key code, empty when the table has none.
constexpr std::string_view KeyNameFromCode(uint8_t code)
{
    for (const KeyName& k : kKeyNames)
        if (k.code == code && !k.alias)
            return k.name;
    return {};
}

static_assert(sizeof(kKeyNames) / sizeof(kKeyNames[0]) == 141);

} // namespace tsr
