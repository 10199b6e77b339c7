-- Hello: a tile you move with the arrow keys over a row of coloured tiles.
-- Space plays a beep, Escape quits. Written with the engine's script API
-- only (see docs/script-api.md); the runner calls OnFrame once per frame.

local KEY_ESCAPE, KEY_SPACE = 0x01, 0x39
local KEY_UP, KEY_LEFT, KEY_RIGHT, KEY_DOWN = 0xC8, 0xCB, 0xCD, 0xD0

local SPEED = 250          -- pixels per second
local SIZE = 64            -- edge of the player's tile
local player = { x = 400, y = 330 }
local beeps = 0
local time = 0

local colours = {
    { 1.0, 0.3, 0.3 }, { 1.0, 0.8, 0.2 }, { 0.3, 1.0, 0.4 }, { 0.3, 0.6, 1.0 }, { 0.8, 0.4, 1.0 },
}

local function clamp(v, lo, hi)
    return math.max(lo, math.min(hi, v))
end

local function move(dt)
    local dx, dy = 0, 0
    if TSN_INP_KeyboardIsKeyPressed(KEY_LEFT) then dx = dx - 1 end
    if TSN_INP_KeyboardIsKeyPressed(KEY_RIGHT) then dx = dx + 1 end
    if TSN_INP_KeyboardIsKeyPressed(KEY_UP) then dy = dy - 1 end
    if TSN_INP_KeyboardIsKeyPressed(KEY_DOWN) then dy = dy + 1 end
    player.x = clamp(player.x + dx * SPEED * dt, SIZE / 2, 800 - SIZE / 2)
    player.y = clamp(player.y + dy * SPEED * dt, 160 + SIZE / 2, 520 - SIZE / 2)
end

local function drawTile(x, y, w, h, r, g, b)
    TSN_GFX_VQuadSetPos(x, y, w, h)
    TSN_GFX_VQuadSetTexCoords(1, 0, 0, 1, 1)
    TSN_GFX_VQuadSetColor(r, g, b)
    TSN_GFX_SceneRender()
end

function OnFrame()
    local dt = TSN_SYS_TimerGetDelta()
    time = time + dt
    move(dt)
    if TSN_INP_KeyboardIsKeyClicked(KEY_SPACE) then
        TSN_SFX_SoundPlay("SND_BEEP", false, -1, -1, -101)
        beeps = beeps + 1
    end
    if TSN_INP_KeyboardIsKeyClicked(KEY_ESCAPE) then
        return false
    end

    TSN_GFX_SceneBegin()
    TSN_GFX_SceneClearScreen(0.1, 0.1, 0.2)

    -- A dark band behind the text.
    TSN_GFX_TechApply("TEQ_SOLID")
    TSN_GFX_TexSetNoTexture()
    TSN_GFX_VQuadSetPos(0, 540, 800, 60)
    TSN_GFX_VQuadSetColor(0, 0, 0, 0.6)
    TSN_GFX_SceneRender()

    -- The row of coloured tiles.
    TSN_GFX_TechApply("TEQ_TILE")
    TSN_GFX_TexSet("TEX_TILE")
    for i, c in ipairs(colours) do
        drawTile(75 + (i - 1) * 140, 40, 96, 96, c[1], c[2], c[3])
    end

    -- The player: a white tile that turns slowly.
    TSN_GFX_VQuadSetPos(player.x - SIZE / 2, player.y - SIZE / 2, SIZE, SIZE)
    TSN_GFX_VQuadSetTexCoords(1, 0, 0, 1, 1)
    TSN_GFX_VQuadSetColor(1, 1, 1)
    TSN_GFX_VQuadRotate(player.x, player.y, math.sin(time) * 10)
    TSN_GFX_SceneRender()

    TSN_GFX_FontSet("FNT_SANS16")
    TSN_GFX_FontDrawText("Arrows move, Space beeps (" .. beeps .. "), Esc quits", 20, 560, 100, 0, 1)

    TSN_GFX_SceneEnd()
    TSN_GFX_ScenePresent()
end

TSN_LOG_AddEntry("Hello: script loaded")
