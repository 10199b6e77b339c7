// Techniques: named sets of fixed-function render states read from
// technique packs. The keyword tables, the parsing of one technique element
// and the ordered list of states a technique sends are plain functions, so
// they can be checked without a device.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CXMLNode;

// One technique. Each group is applied only when its trigger key was given.
struct TSNTECHNIQUE {
    struct Stage {
        uint32_t colorOp = 1, colorArg1 = 1, colorArg2 = 1;
        uint32_t alphaOp = 1, alphaArg1 = 1, alphaArg2 = 1;
        uint32_t address = 1;
    };
    struct Filter {
        uint32_t min = 0, mag = 0, mip = 0;
    };

    bool blendPresent = false;
    bool blendEnable = false;
    uint32_t srcBlend = 1;
    uint32_t destBlend = 1;

    bool fogPresent = false;
    bool fogEnable = false;
    float fogStart = 0.0f;
    float fogEnd = 0.0f;
    uint32_t fogColor = 0xFF000000u;

    bool texFactorPresent = false;
    uint32_t texFactor = 0;

    bool stagesPresent = false;
    Stage stage[2];

    bool filtersPresent = false;
    Filter filter[2];

    bool lightPresent = false;
    int32_t lightMode = 0;
    uint32_t ambient = 0xFF000000u;
};

// Keyword tables: exact, case-sensitive; anything else (the empty string
// too) gives the table's default.
bool TechKeywordOnOff(const char* s);
uint32_t TechKeywordBlend(const char* s);
uint32_t TechKeywordOp(const char* s);
uint32_t TechKeywordArg(const char* s);
uint32_t TechKeywordAddress(const char* s);
uint32_t TechKeywordFilter(const char* s);
int32_t TechKeywordLightMode(const char* s);

// A number read the way a stream reads it: leading blanks skipped, the
// longest valid prefix taken; 0 when there is none.
float TechReadFloat(const char* s);
int32_t TechReadInt(const char* s);
// A channel 0..1 as a byte: the low 8 bits of the truncated value x 255.
uint32_t TechChannelByte(float v);

// Fills a technique from the attributes of its element.
TSNTECHNIQUE TechParse(const CXMLNode& node);

// One state a technique sends, in the order it is sent.
struct TechCommand {
    enum Kind : uint8_t {
        RENDER_STATE,  // device render state `state` = value
        STAGE_STATE,   // device texture-stage state `state` of `stage` = value
        VERTEX_FOG,    // the engine's vertex fog flag = value
        LIGHT_MODE,    // the engine's dynamic-light mode = value
        LIGHT_AMBIENT, // the engine's ambient colour = value (XRGB word)
    };
    Kind kind;
    uint32_t stage;
    uint32_t state;
    uint32_t value;
};

// Appends the states of the present groups, in the order they are sent.
void TechBuildCommands(const TSNTECHNIQUE& t, std::vector<TechCommand>& out);
