-- The Tamblet demo: CGs from the archive (CG.kov), the packed archive (CG.zep) and loose files,
-- the four draw methods, blend rates, brightness and colour, an alpha clipper, transform corners
-- (rotation and perspective), surface areas, hit tests with the mouse, transitions, and a story
-- scene with text: an outlined title in both system faces, a speaker's name from the game's font
-- library (Font.fnl), a dash, and a message line typed out through character sprites that is
-- saved and loaded back the way a saved game would.
-- Runs headless (scripted mouse) or with --window (your mouse; Escape quits).

local W, H = player.width, player.height

-- Sprite numbers.
local BACK, NOISE, SHAPES, STAR, QUAD, RING, CLIPPED, BANNER, PACKED, RULE = 1, 20, 21, 30, 31, 40, 41, 50, 51, 90
local DISC = {10, 11, 12, 13}  -- one per draw method: normal, additive, multiply, screen

-- CG numbers (see tools/assets).
local CG_BACK, CG_DISC, CG_NOISE, CG_SHAPES, CG_RULE, CG_STAR, CG_RING, CG_NOISE_BIG = 100, 101, 102, 103, 104, 105, 106, 107
local CG_BANNER, CG_PACKED = 200, 300

local function check(ok, what)
  if not ok then player.log("could not " .. what) end
  return ok
end

-- A sprite showing a CG at (x, y) with depth z.
local function show(sp, cg, x, y, z)
  check(SP_SetCG(sp, cg), "show CG " .. cg .. " on sprite " .. sp)
  SP_SetPos(sp, x, y)
  SP_SetZ(sp, z)
  SP_SetShow(sp, true)
end

-- Four corners (top-left, top-right, bottom-left, bottom-right) as x, y and w, with texture
-- coordinates in source pixels.
local function corners(sp, c, width, height)
  SP_SetSpriteTransformMode(sp, 1)
  SP_SetSpriteTransformPos(sp,
    c[1][1], c[1][2], 0, c[1][3], 0, 0,
    c[2][1], c[2][2], 0, c[2][3], width, 0,
    c[3][1], c[3][2], 0, c[3][3], 0, height,
    c[4][1], c[4][2], 0, c[4][3], width, height)
end

local function rotated(cx, cy, size, angle)
  local c, s, h = math.cos(angle), math.sin(angle), size / 2
  local function at(dx, dy) return {cx + dx * c - dy * s, cy + dx * s + dy * c, 1.0} end
  return {at(-h, -h), at(h, -h), at(-h, h), at(h, h)}
end

-- Scene one: everything on the gradient background.
local function sceneOne()
  SP_DeleteAll()
  show(BACK, CG_BACK, 0, 0, 0)
  for method, sp in ipairs(DISC) do
    show(sp, CG_DISC, 120 + (method - 1) * 270, 420, 10)
    SP_SetDrawMethod(sp, method - 1)
  end
  show(NOISE, CG_NOISE, 60, 60, 5)
  show(SHAPES, CG_SHAPES, 420, 40, 6)
  SP_SetMultipleColor(SHAPES, 255, 200, 160)
  SP_SetAddColor(SHAPES, 0, 0, 40, 0)
  show(BANNER, CG_BANNER, W - 400, 20, 40)   -- a loose CG file (debug mode)
  show(PACKED, CG_PACKED, W - 160, 100, 41)  -- from CG.zep
  show(STAR, CG_STAR, 0, 0, 30)
  -- The ring is the clipper: its alpha decides how much of the clipped sprite shows.
  show(RING, CG_RING, 0, 0, 0)
  SP_SetShow(RING, false)
  show(CLIPPED, CG_NOISE_BIG, 900, 200, 20)
  SP_SetSurfaceArea(CLIPPED, 0, 0, 256, 256)
  SP_SetAlphaClipperSpriteNumber(CLIPPED, RING)
end

-- Scene two: the big noise behind a perspective quad of the background.
local function sceneTwo()
  SP_DeleteAll()
  show(BACK, CG_NOISE_BIG, 0, 0, 0)
  show(QUAD, CG_BACK, 0, 0, 10)
  corners(QUAD, {{300, 120, 1.0}, {980, 120, 1.0}, {80, 640, 0.5}, {1200, 640, 0.5}}, 1280, 720)
  show(STAR, CG_STAR, 0, 0, 30)
  show(SHAPES, CG_SHAPES, 40, 40, 20)
end

-- Scene three: a story screen. Text sprites and character sprites on the noise under a message window.
local TITLE, SUBTITLE, WINDOW, NAME, DASH = 60, 61, 80, 81, 82
local MESSAGE = "夜明けの港に、静かな鐘の音が響いた。"
local message = {}  -- character sprite handles of the line, one per character

-- The current text style in one call.
local function textStyle(type, size, r, g, b, bold, edge, er, eg, eb)
  SP_SetTextSpriteType(type)
  SP_SetTextSpriteSize(size)
  SP_SetTextSpriteColor(r, g, b)
  SP_SetTextSpriteBoldWeight(bold)
  SP_SetTextSpriteEdgeWeight(edge)
  SP_SetTextSpriteEdgeColor(er, eg, eb)
end

-- A text of several characters as text sprites numbered from `first`, laid out from (x, y);
-- `margin` is the outline or bold margin around each character, shared by neighbours.
local function textLine(first, text, x, y, z, margin)
  local sp = first
  for _, code in utf8.codes(text) do
    local character = utf8.char(code)
    check(SP_SetTextSprite(sp, character), "draw " .. character)
    SP_SetPos(sp, x, y)
    SP_SetZ(sp, z)
    SP_SetShow(sp, true)
    local ok, width = SP_GetFontWidth(character)
    x = x + (ok and width or SP_GetWidth(sp)) - 2 * margin
    sp = sp + 1
  end
  return sp
end

local function sceneThree()
  SP_DeleteAll()
  CharSpriteManager_Clear()
  message = {}
  show(BACK, CG_NOISE_BIG, 0, 0, 0)
  SP_SetBrightness(BACK, 90)
  show(STAR, CG_STAR, W - 300, 60, 5)
  SP_SetBlendRate(STAR, 160)
  textStyle(0, 64, 255, 244, 214, 2.0, 4.0, 60, 30, 10)
  textLine(100, "Tamblet", 120, 70, 50, 4)
  textStyle(1, 40, 230, 236, 255, 0.0, 2.0, 20, 30, 70)
  textLine(120, "夜明けの物語", 124, 160, 50, 2)
  check(SP_Create(WINDOW, 1040, 200, 16, 20, 40, 190), "make the message window")
  SP_SetPos(WINDOW, 120, 480)
  SP_SetZ(WINDOW, 60)
  SP_SetShow(WINDOW, true)
  -- The speaker's name comes from the font library's first face (type 0x100).
  textStyle(0x100, 24, 255, 214, 120, 0.0, 2.0, 40, 20, 0)
  textLine(140, "ミナト", 150, 496, 70, 2)
  textStyle(0, 24, 255, 214, 120, 0.0, 0.0, 0, 0, 0)
  check(SP_SetDashTextSprite(DASH, 48, 24), "draw a dash")
  SP_SetPos(DASH, 150 + 3 * 24 + 8, 498)
  SP_SetZ(DASH, 70)
  SP_SetShow(DASH, true)
  for _ in utf8.codes(MESSAGE) do message[#message + 1] = CharSpriteManager_CreateHandle() end
end

-- Types the message out: character `shown` appears, fading in over a few frames.
local function typeMessage(step)
  local x, i = 150, 0
  for _, code in utf8.codes(MESSAGE) do
    i = i + 1
    local handle = message[i]
    if i <= step // 3 then
      CharSprite_SetCharDirect(handle, utf8.char(code), 0, 32, 255, 255, 255, 0.0, 2.0, 10, 12, 30)
      CharSprite_SetPos(handle, x, 548)
      CharSprite_SetZ(handle, 80)
      CharSprite_SetAlphaRate(handle, math.min(255, (step - 3 * (i - 1)) * 64))
    end
    x = x + 34
  end
end

local function animate(frame)
  -- Blend rates and brightness.
  for i, sp in ipairs(DISC) do
    if SP_IsUsing(sp) then
      SP_SetBlendRate(sp, 128 + math.floor(127 * math.sin(frame / 20 + i)))
      SP_SetY(sp, 420 + math.floor(30 * math.sin(frame / 15 + i)))
    end
  end
  if SP_IsUsing(NOISE) then SP_SetBrightness(NOISE, 128 + math.floor(127 * math.sin(frame / 10))) end
  -- A scrolling window into the shapes.
  if SP_IsUsing(SHAPES) then SP_SetSurfaceArea(SHAPES, frame % 128, 0, 128, 256) end
  -- The clipped noise scrolls under its ring.
  if SP_IsUsing(CLIPPED) then SP_SetSurfaceArea(CLIPPED, frame * 3 % 1024, frame % 464, 256, 256) end
  -- The star turns about its centre and follows a circle.
  local cx, cy = W / 2 + 300 * math.cos(frame / 40), H / 2 + 150 * math.sin(frame / 40)
  corners(STAR, rotated(cx, cy, 200, frame / 25), 200, 200)
end

-- Hit tests: sprites under the mouse light up (in a window the mouse is yours).
local function hitTest(frame)
  if player.headless then player.mouse(100 + frame * 7 % (W - 200), 480, 0) end
  local ok, x, y = Mouse_GetPos()
  if not ok then return end
  for _, sp in ipairs(DISC) do
    if SP_IsUsing(sp) then
      if SP_IsPtIn(sp, x, y) then SP_SetAddColor(sp, 80, 80, 80, 0) else SP_SetAddColor(sp, 0, 0, 0, 0) end
    end
  end
end

-- A transition of `frames` frames from what is shown now to what `build` sets up.
local function transition(number, frames, build)
  build()
  check(TRANS_Begin(number), "begin transition " .. number)
  for i = 1, frames do
    player.trans_frame(i / frames)
  end
  TRANS_End()
end

-- The grey rule image is a CG: decode it on a hidden sprite and hand its surface to the host.
local function registerRule()
  if SP_SetCG(RULE, CG_RULE) then
    player.rule_image(100, Sprite_GetConstSurface(RULE))
  end
  SP_Delete(RULE)
end

FPS_SetShow(true)
registerRule()
sceneOne()
local frame = 0
while true do
  for _ = 1, 120 do
    frame = frame + 1
    animate(frame)
    hitTest(frame)
    player.frame()
  end
  transition(0, 45, sceneTwo)         -- crossfade
  for _ = 1, 90 do
    frame = frame + 1
    animate(frame)
    player.frame()
  end
  transition(100, 60, sceneThree)     -- rule image, soft edge
  for step = 1, 3 * #message + 30 do
    frame = frame + 1
    typeMessage(step)
    player.frame()
  end
  -- Save the line the way a saved game would, clear it, load it back and rebuild its sprites.
  local saved = {}
  check(CharSpriteManager_Save(saved), "save the message")
  CharSpriteManager_Clear()
  check(CharSpriteManager_Load(saved), "load the message")
  CharSpriteManager_Rebuild()
  for _ = 1, 30 do
    frame = frame + 1
    player.frame()
  end
  transition(0, 45, function()        -- crossfade back to the start
    CharSpriteManager_Clear()
    registerRule()
    sceneOne()
  end)
end
