-- The Tamblet demo: a short story-game sequence.
--   Title: a night sky over the town (a JPEG from CG.kov), clouds scrolling through a surface
--     area, a glow drawn with the screen method, sparkles drawn additively, the title in text
--     sprites, and a menu of buttons hit-tested under the mouse; a star from CG.zep turns beside
--     the button under the mouse through transform corners.
--   A rule-image transition to the harbour at dawn: two characters, the morning light (screen),
--     shade at the edges (multiply), a message window (a loose CG file with its alpha image) whose
--     lines type out through character sprites, a memory of last night shown through an alpha
--     clipper, and a choice between two buttons.
--   A wipe back to the title, and round again.
--   The harbour's first lines and the wipe back to the title are shown in the Direct3D view (the
--   engine draws through the host's Direct3D 9 device; a caption in the corner says so), the rest
--   in the software view: the script switches with VIEW_SetMode as it goes.
-- Headless runs move a scripted mouse; with --window the mouse is yours (click a button; Escape
-- quits). Every run writes the same frames.

local W, H = player.width, player.height

-- CG numbers (drawn by tools/assets).
local CG = {
  harbour = 100, sparkle = 101, night = 102, shade = 103, rule = 104, star = 105, spot = 106,
  clouds = 107, girl = 108, boy = 109, button = 110, glow = 111,
  frame = 200,  -- a loose CG file with its alpha image (debug mode)
  cursor = 300, -- from the packed archive CG.zep
}

-- Sprite numbers. Character sprites take their own numbers from 2000 up.
local BACK, CLOUDS, GLOW, SHADE, GIRL, BOY = 1, 2, 3, 4, 5, 6
local SPARKS = {10, 11, 12, 13, 14, 15, 16, 17}
local MEMORY, SPOT = 20, 21
local WINDOW, DASH, CURSOR = 30, 31, 32
local BUTTONS = {40, 41, 42}
local TITLE, SUBTITLE, NAME, LABELS = 100, 120, 140, 160  -- first sprite of each text
local RULE = 90
local VIEW_CAPTION = 190  -- first sprite of the caption shown in the Direct3D view

-- Draw methods.
local NORMAL, ADDITIVE, MULTIPLY, SCREEN = 0, 1, 2, 3

local tick = 0          -- frames shown so far, for the ambient animation
local scene = "title"   -- what the ambient animation moves
local mouseX, mouseY = W - 200, H - 40

local function check(ok, what)
  if not ok then player.log("could not " .. what) end
  return ok
end

-- A sprite showing a CG at (x, y) with depth z.
local function show(sp, cg, x, y, z, method)
  check(SP_SetCG(sp, cg), "show CG " .. cg .. " on sprite " .. sp)
  SP_SetPos(sp, x, y)
  SP_SetZ(sp, z)
  SP_SetDrawMethod(sp, method or NORMAL)
  SP_SetShow(sp, true)
end

-- The current text style in one call.
local function textStyle(type, size, r, g, b, bold, edge, er, eg, eb)
  SP_SetTextSpriteType(type)
  SP_SetTextSpriteSize(size)
  SP_SetTextSpriteColor(r, g, b)
  SP_SetTextSpriteBoldWeight(bold)
  SP_SetTextSpriteEdgeWeight(edge)
  SP_SetTextSpriteEdgeColor(er, eg, eb)
end

-- The advance of a text in the current style; `margin` is the outline or bold margin around each
-- character, shared by neighbours.
local function textWidth(text, margin)
  local width = 0
  for _, code in utf8.codes(text) do
    local ok, w = SP_GetFontWidth(utf8.char(code))
    width = width + (ok and w or 0) - 2 * margin
  end
  return width + 2 * margin
end

-- A text as text sprites numbered from `first`, laid out from (x, y); returns the next number.
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

-- Four corners (top-left, top-right, bottom-left, bottom-right) as x, y with z 0 and w 1, and
-- the image pixel (u, v) each corner shows.
local function corners(sp, c, width, height)
  SP_SetSpriteTransformMode(sp, 1)
  SP_SetSpriteTransformPos(sp,
    c[1][1], c[1][2], 0, 1.0, 0, 0,
    c[2][1], c[2][2], 0, 1.0, width, 0,
    c[3][1], c[3][2], 0, 1.0, 0, height,
    c[4][1], c[4][2], 0, 1.0, width, height)
end

-- The corners of a square of `size` turned by `angle` about (cx, cy).
local function turned(cx, cy, size, angle)
  local c, s, h = math.cos(angle), math.sin(angle), size / 2
  local function at(dx, dy) return {cx + dx * c - dy * s, cy + dx * s + dy * c} end
  return {at(-h, -h), at(h, -h), at(-h, h), at(h, h)}
end

-- What moves by itself in each scene: clouds, light, sparkles, the memory's slow pan.
local function ambient()
  tick = tick + 1
  if SP_IsUsing(CLOUDS) then SP_SetSurfaceArea(CLOUDS, tick * 2 % (2048 - W), 0, W, 240) end
  if SP_IsUsing(GLOW) then SP_SetBlendRate(GLOW, 170 + math.floor(60 * math.sin(tick / 24))) end
  for i, sp in ipairs(SPARKS) do
    if SP_IsUsing(sp) then SP_SetBlendRate(sp, math.max(0, math.floor(255 * math.sin(tick / 13 + i * 1.7)))) end
  end
  if SP_IsUsing(MEMORY) then SP_SetSurfaceArea(MEMORY, 620 + math.floor(120 * math.sin(tick / 50)), 440, 256, 256) end
end

-- One frame: the ambient animation, then Update and the capture.
local function frame()
  ambient()
  player.frame()
end

-- A transition of `frames` frames from what is shown now to what `build` sets up.
local function transition(number, frames, build)
  build()
  check(TRANS_Begin(number), "begin transition " .. number)
  for i = 1, frames do
    ambient()
    player.trans_frame(i / frames)
  end
  TRANS_End()
end

-- Switches the view mode: 1 draws through the host's Direct3D device, 0 with the software
-- compositor. In the Direct3D view a caption in the top right corner says so.
local function viewMode(mode)
  if not check(VIEW_SetMode(mode), "switch to view mode " .. mode) then return end
  for sp = VIEW_CAPTION, VIEW_CAPTION + 8 do
    if SP_IsUsing(sp) then SP_Delete(sp) end
  end
  if mode == 1 then
    textStyle(0, 20, 255, 255, 255, 0.0, 2.0, 20, 40, 90)
    textLine(VIEW_CAPTION, "Direct3D", W - textWidth("Direct3D", 2) - 16, 12, 95, 2)
  end
end

-- The mouse: scripted headless (straight moves between points), the player's own in a window.
local function mouseAlong(path, step)
  if not player.headless then
    local ok, x, y = Mouse_GetPos()
    if ok then mouseX, mouseY = x, y end
    return KEY_GetState(1)
  end
  local from = path[1]
  for i = 2, #path do
    local to = path[i]
    if step <= to.at then
      local t = (step - from.at) / math.max(1, to.at - from.at)
      mouseX = math.floor(from.x + (to.x - from.x) * t + 0.5)
      mouseY = math.floor(from.y + (to.y - from.y) * t + 0.5)
      player.mouse(mouseX, mouseY, to.click and step == to.at and 1 or 0)
      return KEY_GetState(1)
    end
    from = to
  end
  player.mouse(mouseX, mouseY, 0)
  return false
end

-- A menu of buttons, each with its label in text sprites, centred on x = W / 2 from y down.
local function buttons(labels, y, gap)
  textStyle(0, 28, 255, 246, 228, 0.0, 2.0, 12, 16, 40)
  for i, label in ipairs(labels) do
    local sp, top = BUTTONS[i], y + (i - 1) * gap
    show(sp, CG.button, (W - 360) // 2, top, 90)
    textLine(LABELS + 20 * (i - 1), label, (W - textWidth(label, 2)) // 2, top + 14, 91, 2)
  end
end

local function removeButtons(labels)
  for i, label in ipairs(labels) do
    SP_Delete(BUTTONS[i])
    for sp = LABELS + 20 * (i - 1), LABELS + 20 * (i - 1) + utf8.len(label) - 1 do SP_Delete(sp) end
  end
  SP_Delete(CURSOR)
end

-- Runs a menu until a button is clicked: the button under the mouse lights up (hit test with
-- its alpha, so the rounded corners do not count) and the turning star marks it. Returns the
-- number of the button.
local function choose(labels, path)
  local step, chosen, pressed = 0, nil, 0
  while not chosen or pressed < 8 do
    step = step + 1
    local down = mouseAlong(path, step)
    local hover = nil
    for i in ipairs(labels) do
      local over = SP_IsPtIn(BUTTONS[i], mouseX, mouseY)
      if over then hover = i end
      SP_SetAddColor(BUTTONS[i], over and 60 or 0, over and 48 or 0, over and 16 or 0, 0)
    end
    if down and hover and not chosen then chosen = hover end
    if chosen then
      pressed = pressed + 1
      SP_SetBrightness(BUTTONS[chosen], pressed % 4 < 2 and 200 or 255)
    end
    if hover then
      local y = SP_GetPosY(BUTTONS[hover]) + 32
      if not SP_IsUsing(CURSOR) then show(CURSOR, CG.cursor, 0, 0, 99) end
      corners(CURSOR, turned((W - 360) // 2 - 36, y, 56, tick / 10), 120, 120)
      SP_SetShow(CURSOR, true)
    elseif SP_IsUsing(CURSOR) then
      SP_SetShow(CURSOR, false)
    end
    frame()
  end
  return chosen
end

-- The title screen.
local TITLE_MENU = {"はじめから", "つづきから", "おわる"}
local function titleScene()
  SP_DeleteAll()
  CharSpriteManager_Clear()
  scene = "title"
  show(BACK, CG.night, 0, 0, 0)
  show(CLOUDS, CG.clouds, 0, 60, 1)
  SP_SetBlendRate(CLOUDS, 70)
  SP_SetMultipleColor(CLOUDS, 150, 130, 200)
  show(GLOW, CG.glow, (W - 512) // 2, H - 300, 2, SCREEN)
  local at = {{180, 90}, {320, 210}, {1040, 70}, {1150, 240}, {90, 330}, {860, 150}, {560, 40}, {1220, 380}}
  for i, sp in ipairs(SPARKS) do show(sp, CG.sparkle, at[i][1], at[i][2], 3, ADDITIVE) end
  textStyle(0, 96, 255, 244, 214, 2.0, 5.0, 50, 26, 70)
  textLine(TITLE, "Tamblet", (W - textWidth("Tamblet", 5)) // 2, 110, 50, 5)
  textStyle(1, 44, 236, 230, 255, 0.0, 3.0, 30, 20, 60)
  textLine(SUBTITLE, "夜明けの物語", (W - textWidth("夜明けの物語", 3)) // 2, 240, 50, 3)
  buttons(TITLE_MENU, 380, 84)
end

-- The message window with a speaker's name (from the font library Font.fnl, type 0x100).
local function messageWindow()
  show(WINDOW, CG.frame, 120, 500, 60)
  SP_SetBlendRate(WINDOW, 235)
end

local function speaker(name)
  for sp = NAME, NAME + 9 do
    if SP_IsUsing(sp) then SP_Delete(sp) end  -- names are of different lengths
  end
  textStyle(0x100, 24, 255, 214, 120, 0.0, 2.0, 40, 20, 0)
  local after = textLine(NAME, name, 156, 514, 70, 2)
  textStyle(0, 24, 255, 214, 120, 0.0, 0.0, 0, 0, 0)
  check(SP_SetDashTextSprite(DASH, 40, 24), "draw a dash")
  SP_SetPos(DASH, 156 + (after - NAME) * 24 + 10, 516)
  SP_SetZ(DASH, 70)
  SP_SetShow(DASH, true)
end

-- Types a line out through character sprites, one character every three frames, each fading
-- in; then holds it for `hold` frames.
local function say(name, line, hold)
  speaker(name)
  CharSpriteManager_Clear()
  local handles = {}
  for _ in utf8.codes(line) do handles[#handles + 1] = CharSpriteManager_CreateHandle() end
  for step = 1, 3 * #handles + hold do
    local x, i = 156, 0
    for _, code in utf8.codes(line) do
      i = i + 1
      if i <= step // 3 + 1 and 3 * (i - 1) < step then
        CharSprite_SetCharDirect(handles[i], utf8.char(code), 0, 32, 255, 255, 255, 0.0, 2.0, 10, 12, 30)
        CharSprite_SetPos(handles[i], x, 566)
        CharSprite_SetZ(handles[i], 80)
        CharSprite_SetAlphaRate(handles[i], math.min(255, (step - 3 * (i - 1)) * 64))
      end
      x = x + 34
    end
    frame()
  end
end

-- The harbour at dawn.
local function harbourScene()
  SP_DeleteAll()
  CharSpriteManager_Clear()
  scene = "harbour"
  show(BACK, CG.harbour, 0, 0, 0)
  show(CLOUDS, CG.clouds, 0, 30, 1)
  SP_SetBlendRate(CLOUDS, 190)
  show(GLOW, CG.glow, 870 - 256, 331 - 256, 2, SCREEN)
  show(GIRL, CG.girl, 230, 190, 10)
  show(BOY, CG.boy, 800, 150, 10)
  show(SHADE, CG.shade, 0, 0, 50, MULTIPLY)
  messageWindow()
end

-- Last night's sky, remembered: the night picture seen through the soft round spot. The clipper
-- works in screen coordinates, so the hidden spot sits exactly where the memory is drawn.
local function remember(x, y)
  show(SPOT, CG.spot, x, y, 0)
  SP_SetShow(SPOT, false)
  show(MEMORY, CG.night, x, y, 15)
  SP_SetSurfaceArea(MEMORY, 620, 440, 256, 256)
  SP_SetAlphaClipperSpriteNumber(MEMORY, SPOT)
end

-- The memory fades out and goes; a transition's old picture is drawn without alpha clippers, so
-- a clipped sprite must be gone before one starts.
local function forget()
  for i = 7, 0, -1 do
    SP_SetBlendRate(MEMORY, i * 30)
    frame()
  end
  SP_Delete(MEMORY)
  SP_Delete(SPOT)
end

-- The rule image is a CG: decode it on a hidden sprite and hand its surface to the host.
local function registerRule()
  if SP_SetCG(RULE, CG.rule) then player.rule_image(100, Sprite_GetConstSurface(RULE)) end
  SP_Delete(RULE)
end

local TITLE_PATH = {
  {at = 0, x = W - 160, y = H - 30}, {at = 40, x = 700, y = 612}, {at = 75, x = 660, y = 460},
  {at = 96, x = 650, y = 412}, {at = 100, x = 650, y = 412, click = true},
}
local CHOICE = {"覚えている", "忘れてしまった"}
local CHOICE_PATH = {
  {at = 0, x = 1000, y = 420}, {at = 25, x = 700, y = 232}, {at = 50, x = 720, y = 236},
  {at = 62, x = 700, y = 312}, {at = 66, x = 700, y = 312, click = true},
}

FPS_SetShow(true)
registerRule()
titleScene()
while true do
  frame()
  if choose(TITLE_MENU, TITLE_PATH) == 3 and not player.headless then return end
  removeButtons(TITLE_MENU)
  transition(100, 60, harbourScene)   -- rule image, soft edge
  viewMode(1)
  say("ミナト", "夜明けの港に、静かな鐘の音が響いた。", 16)

  -- Save the line the way a saved game would, clear it, load it back and rebuild its sprites.
  local saved = {}
  check(CharSpriteManager_Save(saved), "save the message")
  CharSpriteManager_Clear()
  check(CharSpriteManager_Load(saved), "load the message")
  CharSpriteManager_Rebuild()
  for _ = 1, 4 do frame() end
  viewMode(0)

  remember(930, 40)
  for i = 1, 8 do
    SP_SetBlendRate(MEMORY, i * 30)
    frame()
  end
  say("ソラ", "昨夜の星を、覚えている？", 10)
  buttons(CHOICE, 200, 84)
  local answer = choose(CHOICE, CHOICE_PATH)
  removeButtons(CHOICE)
  if answer == 1 then
    say("ミナト", "うん。あの光は、忘れない。", 18)
  else
    say("ミナト", "……なら、もう一度見に行こう。", 18)
  end
  forget()
  viewMode(1)
  frame()                              -- the old picture of the wipe, drawn by the Direct3D view
  transition(2, 45, titleScene)        -- wipe from left to right
  viewMode(0)
end
