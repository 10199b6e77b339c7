// The light pass: per-vertex colouring from an ambient colour plus point
// lights, or a Dot3 light direction written into the vertex colours. The
// arithmetic is plain functions over the quad's positions.
#pragma once

#include <cstdint>

struct TSNLIGHT {
    float innerRadius = 0.0f;
    float outerRadius = 0.0f;
    float color[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float pos[3] = {0.0f, 0.0f, 0.0f};
    bool enabled = false;
};

// Depth scale: converts depth differences into pixel-like units.
inline float LightDepthScale(uint32_t backBufferWidth, uint32_t backBufferHeight)
{
    return float((backBufferWidth + backBufferHeight) / 2u);
}

// Intensity of a light at distance d: 1 up to the inner radius, falling
// linearly to 0 at the outer one. A light whose outer radius does not lie
// beyond its inner one has a hard edge at the inner radius.
float LightIntensity(const TSNLIGHT& light, float d);

// A colour channel as a byte, rounded and clamped.
uint8_t LightChannelByte(float c);

// Adds one light's contribution at (x, y, z) to rgba.
void LightAccumulate(const TSNLIGHT& light, float x, float y, float z, float k, float rgba[4]);

// The Dot3 colour of a vertex at (x, y, z) for a light: the unit vector
// towards the light in the colour channels (alpha 255). A light sitting
// exactly on the vertex points straight out of the screen.
uint32_t LightDot3Color(const TSNLIGHT& light, float x, float y, float z, float k);

// Packs a lit colour with the quad's own alpha into a diffuse word.
uint32_t LightPackDiffuse(const float rgba[4], float savedAlpha);
