#include "tools/play/ExportTable.h"

#include <array>
#include <utility>

#include "host/IInterface.h"
#include "host/InterfaceId.h"
#include "host/Kernel.h"
#include "host/Surface.h"
#include "host/VM.h"

namespace tamblet::play {
namespace {

// The C type of each argument kind and how it is read from its slot.
template <ArgKind K>
struct CArg;
template <>
struct CArg<ArgKind::kInt> {
  static std::int32_t from(const ArgSlot& slot) { return slot.i; }
};
template <>
struct CArg<ArgKind::kBool> {
  static std::int32_t from(const ArgSlot& slot) { return slot.i; }
};
template <>
struct CArg<ArgKind::kFloat> {
  static float from(const ArgSlot& slot) { return slot.f; }
};
template <ArgKind K, class Pointer>
struct CPointerArg {
  static Pointer from(const ArgSlot& slot) { return static_cast<Pointer>(slot.p); }
};
template <>
struct CArg<ArgKind::kIntOut> : CPointerArg<ArgKind::kIntOut, std::int32_t*> {};
template <>
struct CArg<ArgKind::kIntListOut> : CPointerArg<ArgKind::kIntListOut, std::int32_t**> {};
template <>
struct CArg<ArgKind::kString> : CPointerArg<ArgKind::kString, IString*> {};
template <>
struct CArg<ArgKind::kStringOut> : CPointerArg<ArgKind::kStringOut, IString*> {};
template <>
struct CArg<ArgKind::kStringInOut> : CPointerArg<ArgKind::kStringInOut, IString*> {};
template <>
struct CArg<ArgKind::kText> : CPointerArg<ArgKind::kText, const char*> {};
template <>
struct CArg<ArgKind::kArray> : CPointerArg<ArgKind::kArray, IVMArray*> {};
template <>
struct CArg<ArgKind::kStruct> : CPointerArg<ArgKind::kStruct, IVMStruct*> {};
template <>
struct CArg<ArgKind::kSurface> : CPointerArg<ArgKind::kSurface, ISurface*> {};
template <>
struct CArg<ArgKind::kInterfaceId> : CPointerArg<ArgKind::kInterfaceId, const InterfaceId*> {};
template <>
struct CArg<ArgKind::kHostKernel> : CPointerArg<ArgKind::kHostKernel, IHostKernel*> {};

template <ResultKind R>
struct CResult;
template <>
struct CResult<ResultKind::kNone> {
  using type = void;
};
template <>
struct CResult<ResultKind::kInt> {
  using type = std::int32_t;
};
template <>
struct CResult<ResultKind::kBool> {
  using type = std::int32_t;  // 1 or 0 in the integer result
};
template <>
struct CResult<ResultKind::kFloat> {
  using type = float;
};
template <>
struct CResult<ResultKind::kSurface> {
  using type = ISurface*;
};
template <>
struct CResult<ResultKind::kInterface> {
  using type = IInterface*;
};

// The caller of one exact C signature, and the kinds the table keeps for it.
template <ResultKind R, ArgKind... A>
struct Signature {
  static constexpr std::array<ArgKind, sizeof...(A)> kArgs{A...};
  using Function = typename CResult<R>::type (*)(decltype(CArg<A>::from(ArgSlot{}))...);

  static CallResult invoke(void* function, const ArgSlot* args) {
    return call(reinterpret_cast<Function>(function), args, std::make_index_sequence<sizeof...(A)>{});
  }

  template <std::size_t... I>
  static CallResult call(Function function, [[maybe_unused]] const ArgSlot* args, std::index_sequence<I...>) {
    CallResult result{};
    result.p = nullptr;
    if constexpr (R == ResultKind::kNone) {
      function(CArg<A>::from(args[I])...);
    } else if constexpr (R == ResultKind::kInt || R == ResultKind::kBool) {
      result.i = function(CArg<A>::from(args[I])...);
    } else if constexpr (R == ResultKind::kFloat) {
      result.f = function(CArg<A>::from(args[I])...);
    } else {
      result.p = function(CArg<A>::from(args[I])...);
    }
    return result;
  }
};

template <ResultKind R, ArgKind... A>
constexpr ExportSignature entry(std::string_view name, ExportDoc doc) {
  return {name, R, Signature<R, A...>::kArgs, &Signature<R, A...>::invoke, doc};
}

// Short names for the table below.
constexpr ResultKind none = ResultKind::kNone, rInt = ResultKind::kInt, rBool = ResultKind::kBool,
                     rFloat = ResultKind::kFloat, rSurface = ResultKind::kSurface,
                     rInterface = ResultKind::kInterface;
constexpr ArgKind I = ArgKind::kInt, B = ArgKind::kBool, F = ArgKind::kFloat, IOut = ArgKind::kIntOut,
                  IList = ArgKind::kIntListOut, S = ArgKind::kString, SOut = ArgKind::kStringOut,
                  SInOut = ArgKind::kStringInOut, Text = ArgKind::kText, Arr = ArgKind::kArray,
                  Str = ArgKind::kStruct, Surf = ArgKind::kSurface, Id = ArgKind::kInterfaceId,
                  Kernel = ArgKind::kHostKernel;

constexpr ExportSignature kExports[] = {
    // Engine, frame and diagnostics
    entry<rBool, Kernel, I>("Init",
        {"Starts the engine on the host (the player calls it before main.lua runs)",
         "cache: CG cache budget in MiB",
         "false; the player stops with exit code 4"}),
    entry<rInterface, Id>("GetInterface",
        {"Whether the engine hands out an object for the id: the error reporter or the Direct3D plug-in manager",
         "id: 16-byte id as 8-4-4-4-12 hexadecimal text",
         "false for any other id"}),
    entry<none, S>("Error",
        {"Reports the text as a script error (a percent sign is shown as it is)",
         "text: UTF-8",
         "nothing"}),
    entry<rInt>("GetScreenWidth",
        {"Width of the main surface",
         "",
         "0 before the engine has started"}),
    entry<rInt>("GetScreenHeight",
        {"Height of the main surface",
         "",
         "0 before the engine has started"}),
    entry<rBool>("Update",
        {"Draws one frame (one in 10 while read messages are skipped with frame skipping on), then sleeps to hold "
         "60 to 90 frames per second; `player.frame()` calls it",
         "",
         "false when drawing failed"}),
    entry<none, B>("FPS_SetShow",
        {"Sets the FPS display flag (the player's window draws the figure while it is on)",
         "show: true or false (starts false)",
         "nothing"}),
    entry<rBool>("FPS_GetShow",
        {"The FPS display flag",
         "",
         "false"}),
    entry<rFloat>("FPS_Get",
        {"Frames per second, measured over windows of at least one second of the host clock",
         "",
         "0.0"}),
    entry<rBool>("SYSTEM_IsResetOnce",
        {"Whether the host reports a reset",
         "",
         "false when the host has no reset state"}),
    entry<none, B>("SYSTEM_SetConfigOverFrameRateSleep",
        {"Switches the adaptive sleep that holds the frame rate between 60 and 90 frames per second",
         "on: true or false (starts true)",
         "nothing"}),
    entry<rBool>("SYSTEM_GetConfigOverFrameRateSleep",
        {"Whether the adaptive frame-rate sleep is on",
         "",
         "false"}),
    entry<none, B>("SYSTEM_SetConfigSleepByInactiveWindow",
        {"Switches sleeping 50 ms per frame while the host window is inactive",
         "on: true or false (starts false)",
         "nothing"}),
    entry<rBool>("SYSTEM_GetConfigSleepByInactiveWindow",
        {"Whether the engine sleeps while the window is inactive",
         "",
         "false"}),
    entry<none, B>("SYSTEM_SetReadMessageSkipping",
        {"Tells the engine the script is skipping already-read messages (frames may then be skipped)",
         "skipping: true or false (starts false)",
         "nothing"}),
    entry<rBool>("SYSTEM_GetReadMessageSkipping",
        {"Whether the script said it is skipping read messages",
         "",
         "false"}),
    entry<none, B>("SYSTEM_SetConfigFrameSkipWhileMessageSkip",
        {"Switches drawing only one frame in 10 while read messages are skipped",
         "on: true or false (starts true)",
         "nothing"}),
    entry<rBool>("SYSTEM_GetConfigFrameSkipWhileMessageSkip",
        {"Whether frames are skipped while read messages are skipped",
         "",
         "false"}),
    entry<none, B>("SYSTEM_SetInvalidateFrameSkipWhileMessageSkip",
        {"Suppresses that frame skipping for now, so every frame is drawn",
         "suppress: true or false (starts false)",
         "nothing"}),
    entry<rBool>("SYSTEM_GetInvalidateFrameSkipWhileMessageSkip",
        {"Whether frame skipping is suppressed",
         "",
         "false"}),
    entry<rInt>("Debug_GetCurrentAllocatedMemorySize",
        {"Process memory in MiB, sampled at every drawn frame in debug mode",
         "",
         "0 until sampled (outside debug mode always)"}),
    entry<rInt>("Debug_GetMaxAllocatedMemorySize",
        {"Peak process memory in MiB, sampled in debug mode",
         "",
         "0 until sampled (outside debug mode always)"}),
    entry<rInt>("Debug_GetFillRate",
        {"Pixels written by the software view in the last frame, times 4 bytes, in KiB",
         "",
         "0 in the Direct3D view"}),
    entry<rBool, IOut, IOut, IOut>("Debug_GetVideoMemoryInfo",
        {"Video memory as the host reports it: total, used and peak used",
         "",
         "false, and the three numbers are not set"}),
    entry<none>("Debug_Pause",
        {"Asks the host's script debugger to pause",
         "",
         "nothing (no debugger)"}),
    entry<none, SOut, I>("Debug_GetFuncStack",
        {"The names of the script functions on the call stack, innermost first, each followed by ←",
         "depth: frames beyond the innermost to list (0 one frame), -1 all",
         "an empty text"}),
    entry<rBool, IList, IOut>("Debug_GetSpriteNumberList",
        {"The numbers of all sprites, ascending, and their count",
         "",
         "true with an empty table when there are no sprites"}),
    entry<rSurface, I>("Debug_GetSpriteSurface",
        {"The sprite's image (same as `Sprite_GetConstSurface`)",
         "nSP: sprite number",
         "nil for an absent sprite"}),

    // Input, time and text
    entry<rBool>("Key_ClearFlag",
        {"Clears the down flag of every key",
         "",
         "always true"}),
    entry<rBool, I>("Key_ClearFlagOne",
        {"Clears the down flag of one key",
         "key: Windows virtual-key code 0-255",
         "false without the input device"}),
    entry<rBool>("Key_ClearFlagNoCtrl",
        {"Clears the down flag of every key but Ctrl (17)",
         "",
         "false without the input device"}),
    entry<rBool, I>("Key_IsDown",
        {"Whether the input device reports the key down",
         "key: Windows virtual-key code 0-255 (1, 2, 4: mouse buttons left, right, middle)",
         "false"}),
    entry<rBool, I>("KEY_GetState",
        {"Whether the key is held down now; a mouse button also needs a known mouse position",
         "key: Windows virtual-key code 0-255 (1, 2, 4: mouse buttons left, right, middle)",
         "false"}),
    entry<rBool, IOut, IOut>("Mouse_GetPos",
        {"The mouse position in main-surface pixels",
         "",
         "false when the host does not know the position"}),
    entry<none>("Mouse_ClearWheel",
        {"Sets both wheel counts back to 0",
         "",
         "nothing"}),
    entry<none, IOut, IOut>("Mouse_GetWheel",
        {"The two wheel counts since the last clear",
         "",
         "0, 0"}),
    entry<rInt>("Timer_Get",
        {"The host clock in milliseconds (headless: frame n is at n × 1000 / 60)",
         "",
         "0 without a timer"}),
    entry<none, IOut, IOut, IOut, IOut>("System_GetDate",
        {"Local date: year, month 1-12, day 1-31, day of the week 0-6 (0 Sunday)",
         "",
         "nothing"}),
    entry<none, IOut, IOut, IOut, IOut>("System_GetTime",
        {"Local time: hour 0-23, minute 0-59, second 0-59, millisecond 0-999",
         "",
         "nothing"}),
    entry<none, SOut, I, I, B>("IntToZenkaku",
        {"The number in full-width digits (０-９, －), padded on the left to a width",
         "value: any integer; width: characters, -1 for no padding; zero: pad with ０ instead of full-width spaces",
         "nothing"}),
    entry<none, SOut, I, I, B>("IntToHankaku",
        {"The number in half-width digits, padded on the left to a width",
         "value: any integer; width: characters, -1 for no padding; zero: pad with 0 instead of spaces",
         "nothing"}),
    entry<rInt, SOut, SInOut>("StringPopFront",
        {"Splits off the first character: its byte count (2 full-width, 1 half-width), the character, the rest",
         "text: UTF-8",
         "0, an empty text and an empty rest for an empty text"}),
    entry<rInt>("GAME_MSG_GetNumof",
        {"How many game messages the host holds",
         "",
         "0"}),
    entry<none, I, SOut>("GAME_MSG_Get",
        {"The text of one game message",
         "index: message number as the host counts them",
         "an empty text"}),

    // Sprites
    entry<rBool, I, I, I, I, I, I, I>("SP_Create",
        {"Gives the sprite a new image of one colour and one alpha (the sprite keeps its other settings)",
         "nSP: sprite number; width, height: pixels, at least 1; r, g, b: colour 0-255; alpha: 0-255, 255 opaque",
         "false (a size below 1 is reported)"}),
    entry<rBool, I, I>("SP_CreateCopy",
        {"Gives sprite dst its own copy of sprite src's image (only the image is copied)",
         "dst, src: sprite numbers",
         "false when src is absent or has no image"}),
    entry<rBool, I, I, I>("SP_CreatePixelOnly",
        {"Gives the sprite a new image without alpha; its pixels are not cleared",
         "nSP: sprite number; width, height: pixels, at least 1",
         "false (a size below 1 is reported)"}),
    entry<rBool, I>("SP_CreateCustom",
        {"Marks the sprite as custom: the Direct3D view leaves its drawing to a draw plug-in",
         "nSP: sprite number",
         "false"}),
    entry<rBool, I>("SP_Delete",
        {"Removes the sprite; a later use of the number starts from the start values",
         "nSP: sprite number, at least 1",
         "false for an absent sprite (a number below 1 is reported)"}),
    entry<rBool>("SP_DeleteAll",
        {"Removes every sprite",
         "",
         "always true"}),
    entry<rBool, I, I, I>("SP_SetPos",
        {"Places the sprite's top-left corner (creates the sprite when absent)",
         "nSP: sprite number, at least 1; x, y: screen pixels",
         "false (a number below 1 is reported)"}),
    entry<rBool, I, I>("SP_SetX",
        {"Sets the sprite's x and keeps its y",
         "nSP: sprite number, at least 1; x: screen pixels",
         "false (a number below 1 is reported)"}),
    entry<rBool, I, I>("SP_SetY",
        {"Sets the sprite's y and keeps its x",
         "nSP: sprite number, at least 1; y: screen pixels",
         "false (a number below 1 is reported)"}),
    entry<rBool, I, I>("SP_SetZ",
        {"Sets the depth: higher Z is drawn in front; at equal Z the lower (then the further right) sprite is in front",
         "nSP: sprite number, at least 1; z: 0 or more (starts 0)",
         "false (a number or Z below the range is reported)"}),
    entry<rBool, I, I>("SP_SetBlendRate",
        {"Sets the opacity of the whole sprite",
         "nSP: sprite number, at least 1; rate: 0-255, 255 opaque, 0 not drawn (starts 255)",
         "false (a value out of range is reported)"}),
    entry<rBool, I, I>("SP_SetBrightness",
        {"Sets the multiply colour to (v, v, v): 255 keeps the colours, lower darkens toward black; the add colour "
         "stays",
         "nSP: sprite number, at least 1; v: 0-255",
         "false (a value out of range is reported)"}),
    entry<rBool, I, I, I, I>("SP_SetMultipleColor",
        {"Multiplies each colour channel: c × m / 256 (done before the add colour)",
         "nSP: sprite number; r, g, b: 0-255 each, low byte used (starts 255, 255, 255)",
         "false for an absent sprite"}),
    entry<rBool, I, I, I, I, I>("SP_SetAddColor",
        {"Adds to each channel after the multiply colour, saturating at 255",
         "nSP: sprite number; r, g, b, a: 0-255 each, low byte used (starts 0, 0, 0, 0); a is added to the alpha",
         "false for an absent sprite"}),
    entry<rBool, I, B>("SP_SetShow",
        {"Shows or hides the sprite (a new sprite is shown)",
         "nSP: sprite number, at least 1; show: true or false",
         "false (a number below 1 is reported)"}),
    entry<rBool, I, I>("SP_SetDrawMethod",
        {"Sets how the sprite mixes with what is behind it",
         "nSP: sprite number, at least 1; method: 0 normal, 1 additive, 2 multiply, 3 screen (other values are not "
         "drawn by the software view)",
         "false (a number below 1 is reported)"}),
    entry<rBool, I>("SP_IsUsing",
        {"Whether the number names a sprite",
         "nSP: sprite number",
         "false"}),
    entry<rBool, I>("SP_ExistAlpha",
        {"Whether the sprite's image has an alpha channel",
         "nSP: sprite number",
         "false for an absent sprite or one without image"}),
    entry<rInt, I>("SP_GetPosX",
        {"The sprite's x in screen pixels",
         "nSP: sprite number",
         "0 for an absent sprite"}),
    entry<rInt, I>("SP_GetPosY",
        {"The sprite's y in screen pixels",
         "nSP: sprite number",
         "0 for an absent sprite"}),
    entry<rInt, I>("SP_GetWidth",
        {"The width of the sprite's image in pixels",
         "nSP: sprite number",
         "0 for an absent sprite or one without image"}),
    entry<rInt, I>("SP_GetHeight",
        {"The height of the sprite's image in pixels",
         "nSP: sprite number",
         "0 for an absent sprite or one without image"}),
    entry<rInt, I>("SP_GetZ",
        {"The sprite's depth",
         "nSP: sprite number",
         "0 for an absent sprite"}),
    entry<rInt, I>("SP_GetBlendRate",
        {"The sprite's blend rate, 0-255",
         "nSP: sprite number",
         "0 for an absent sprite"}),
    entry<rInt, I>("SP_GetBrightness",
        {"The red value of the sprite's multiply colour",
         "nSP: sprite number",
         "0 for an absent sprite"}),
    entry<rInt, I>("SP_GetDrawMethod",
        {"The draw method: 0 normal, 1 additive, 2 multiply, 3 screen",
         "nSP: sprite number",
         "0 for an absent sprite"}),
    entry<rBool, I>("SP_GetShow",
        {"Whether the sprite is shown",
         "nSP: sprite number",
         "false for an absent sprite"}),
    entry<rBool, I, I, I, I, I>("SP_SetSurfaceArea",
        {"Draws only this rectangle of the image, its top-left corner at the sprite's position",
         "nSP: sprite number; x, y, width, height: image pixels; width and height both 0 or less: the whole image "
         "(the start)",
         "false"}),
    entry<rBool, I, IOut, IOut, IOut, IOut>("SP_GetSurfaceArea",
        {"The sprite's surface area (creates an absent sprite)",
         "nSP: sprite number",
         "false"}),
    entry<rBool, I, I>("SP_SetSpriteTransformMode",
        {"Mode 1 draws the image onto the four transform corners instead of at (x, y), always with the normal method",
         "nSP: sprite number; mode: 0 normal placement (the start), 1 transform corners",
         "false"}),
    // Four corners of six floats each.
    entry<rBool, I, F, F, F, F, F, F, F, F, F, F, F, F, F, F, F, F, F, F, F, F, F, F, F, F>("SP_SetSpriteTransformPos",
        {"Sets the four corners used in transform mode 1",
         "nSP: sprite number; then 24 numbers, six per corner in the order top-left, top-right, bottom-left, "
         "bottom-right: x, y in screen pixels (the view offset is not added), z depth and w (1.0 for a flat picture; "
         "corners of different z or w are drawn in perspective), u, v the image pixel shown at that corner (the "
         "software view maps by the first three corners' u, v)",
         "false"}),
    entry<rBool, I, I>("Sprite_SetTextureFilerType",
        {"Sets how a transformed image is sampled",
         "nSP: sprite number; type: 1 bilinear (the start), any other value nearest pixel",
         "false for an absent sprite"}),
    entry<rInt, I>("Sprite_GetTextureFilterType",
        {"The texture filter type: 1 bilinear, other values nearest pixel",
         "nSP: sprite number",
         "1 for an absent sprite"}),
    entry<rBool, I>("SP_Suspend",
        {"Suspends the sprite: the Direct3D view leaves it out (the software view still draws it)",
         "nSP: sprite number",
         "false for an absent sprite"}),
    entry<rBool, I>("SP_Resume",
        {"Ends the suspension",
         "nSP: sprite number",
         "false for an absent sprite"}),
    entry<rBool, I>("SP_IsSuspend",
        {"Whether the sprite is suspended",
         "nSP: sprite number",
         "false for an absent sprite"}),
    entry<rSurface, I>("Sprite_GetWritableSurface",
        {"The sprite's image for writing; copied first when another holder shares it",
         "nSP: sprite number",
         "nil for an absent sprite or one without image"}),
    entry<rBool, I, Surf>("Sprite_SetSurface",
        {"Gives the sprite this surface as its image; nil removes the image",
         "nSP: sprite number; surface: a surface value or nil",
         "false"}),
    entry<rSurface, I>("Sprite_GetConstSurface",
        {"The sprite's image for reading",
         "nSP: sprite number",
         "nil for an absent sprite"}),
    entry<rBool, I, I>("SP_SetAlphaClipperSpriteNumber",
        {"Masks the sprite by another sprite's alpha where the two overlap on the screen; nothing outside the "
         "clipper's rectangle is drawn",
         "nSP: sprite number; clipper: sprite number of the mask, usually hidden; -1 none (the start); a clipper "
         "without image hides the sprite, an absent one clips nothing",
         "false for an absent sprite"}),
    entry<rInt, I>("SP_GetAlphaClipperSpriteNumber",
        {"The sprite's alpha clipper",
         "nSP: sprite number",
         "-1 for an absent sprite or none"}),
    entry<rInt>("SP_Count",
        {"How many sprites there are, hidden ones included",
         "",
         "0"}),
    entry<rInt, Arr>("SP_Enum",
        {"Writes all sprite numbers, ascending, into the table and returns how many there are",
         "numbers: a one-dimensional table of integers with at least `SP_Count()` elements",
         "the count, with the table unchanged (a wrong table is reported)"}),
    entry<rInt, I>("SP_GetUnuseNum",
        {"The first unused sprite number at or above start",
         "start: sprite number",
         "start itself when unused"}),
    entry<rInt>("SP_GetMaxZ",
        {"The largest Z of all sprites, hidden ones included",
         "",
         "0 when there are no sprites"}),
    entry<rBool, I, I, I>("SP_IsPtIn",
        {"Whether the point lies on a pixel of the sprite's image with alpha above 0 (an image without alpha: "
         "anywhere on it)",
         "nSP: sprite number, at least 1; x, y: screen pixels (the surface area, transform, view offset and show flag "
         "are not taken into account)",
         "false (a number below 1 is reported)"}),
    entry<rBool, I, I, I>("SP_IsPtInRect",
        {"Whether the point lies in the rectangle of the sprite's image at its position",
         "nSP: sprite number, at least 1; x, y: screen pixels",
         "false (a number below 1 is reported)"}),
    entry<rInt, I, I, I>("SP_GetAMapValue",
        {"The alpha, 0-255, of one pixel of the sprite's image",
         "nSP: sprite number; x, y: image pixels",
         "-1 outside the image or without alpha"}),
    entry<rBool, I, I, I, IOut, IOut, IOut>("SP_GetPixelValue",
        {"The colour of one pixel of the sprite's image: r, g, b 0-255",
         "nSP: sprite number; x, y: image pixels",
         "false outside the image"}),
    entry<rBool, I>("SP_RenderView",
        {"Draws the whole scene as it stands into the sprite's own image",
         "nSP: sprite number",
         "false for an absent sprite or one without image"}),

    // Images
    entry<rBool, I, I>("SP_SetCG",
        {"The sprite shows CG nCG (from the cache, loose files in debug mode, CG.zep, then CG.kov)",
         "nSP: sprite number, at least 1; nCG: CG number, at least 1",
         "false (numbers below 1 are reported; a missing CG is not)"}),
    entry<rBool, I, I, I, I, I, I>("SP_SetCutCG",
        {"The sprite shows a rectangle cut out of CG nCG (clipped to the CG)",
         "nSP: sprite number; nCG: CG number; x, y, width, height: CG pixels",
         "false for a missing CG or an empty rectangle"}),
    entry<rBool, I, S>("SP_SetCGFromFile",
        {"The sprite shows an image file (BMP, JPEG or PNG), not cached",
         "nSP: sprite number; path: relative to the game folder",
         "false when the file cannot be read"}),
    entry<rBool, I, S>("SP_SaveCG",
        {"Writes the sprite's image to a PNG file",
         "nSP: sprite number, at least 1; path: relative to the game folder",
         "false for an absent sprite, one without image, or a file that cannot be written"}),
    entry<rBool, I>("CG_IsExist",
        {"Whether any CG source holds CG nCG",
         "nCG: CG number",
         "false"}),
    entry<rBool, I, Str>("CG_GetMetrics",
        {"Fills a table of 7 integers: width, height, bits per pixel, pitch, alpha pitch, has pixels, has alpha",
         "nCG: CG number; metrics: a table of at least 7 integers",
         "false (a table too short or not of integers is reported)"}),
    entry<rInt, I>("CG_GetFormat",
        {"The image format of CG nCG in CG.kov: 1 BMP, 2 JPEG, 3 PNG",
         "nCG: CG number",
         "-1 when CG.kov does not hold it"}),
    entry<none, I, I, I, I, I, I, I, I, I>("CG_BlendAMapBin",
        {"Copies the colour of the source sprite's pixels whose alpha reaches the threshold onto the destination "
         "sprite (its alpha is kept)",
         "dst: sprite; dx, dy: its image pixels; src: sprite; sx, sy, width, height: its image pixels; threshold: "
         "0-255 (clamped)",
         "nothing"}),
    entry<none, I, I, I, I, I, I>("CG_RotateRGB",
        {"Rotates the colour channels of a rectangle of the sprite's image: each turn moves red to blue, blue to "
         "green, green to red",
         "nSP: sprite number; x, y, width, height: image pixels; turns: counted modulo 3, negative turns the other way",
         "nothing"}),

    // Presentation
    entry<rBool, I>("VIEW_SetMode",
        {"Switches the view",
         "mode: 0 software (the start), 1 Direct3D (not built: answers false)",
         "false, the mode stays"}),
    entry<rInt>("VIEW_GetMode",
        {"The view mode: 0 software, 1 Direct3D",
         "",
         "0"}),
    entry<none, I, I>("VIEW_SetOffsetPos",
        {"Shifts every sprite in normal placement by (x, y) in the software view (transformed sprites and clipper "
         "rectangles stay)",
         "x, y: screen pixels (starts 0, 0)",
         "nothing"}),
    entry<rBool, B>("KeepPreviousView_SetMode",
        {"Keeps a copy of the last presented frame, the old picture of a transition; off empties it (transitions then "
         "start from nothing)",
         "keep: true or false (starts true)",
         "always true"}),
    entry<rBool>("KeepPreviousView_GetMode",
        {"Whether the last presented frame is kept",
         "",
         "false"}),
    entry<none, B>("DX_SetUsePower2Texture",
        {"Stores the power-of-two texture flag (textures are powers of two anyway)",
         "use: true or false (starts false)",
         "nothing"}),
    entry<rBool>("DX_GetUsePower2Texture",
        {"The power-of-two texture flag",
         "",
         "false"}),
    entry<rBool, I>("TRANS_Begin",
        {"Starts a transition from the last presented frame to the sprites as they stand now",
         "number: transition number (see Transitions)",
         "false (reported)"}),
    entry<rBool, F>("TRANS_Update",
        {"Draws one frame of the transition; `player.trans_frame` calls it",
         "progress: 0.0 old picture to 1.0 new picture",
         "false (reported)"}),
    entry<rBool>("TRANS_End",
        {"Ends the transition and presents one normal frame",
         "",
         "false (reported)"}),

    // Text
    entry<rBool, I, S>("SP_SetTextSprite",
        {"The sprite shows the first character of the text in the current text style, on a transparent background",
         "nSP: sprite number; text: UTF-8, its first character is drawn",
         "false when the character cannot be drawn"}),
    entry<none, I>("SP_SetTextSpriteType",
        {"Sets the face of the text style",
         "type: 0 gothic, 1 mincho, 0x100 + n face n of the game's Font.fnl; other values gothic (starts 0)",
         "nothing"}),
    entry<none, I>("SP_SetTextSpriteSize",
        {"Sets the character height of the text style",
         "size: pixels (starts 16)",
         "nothing"}),
    entry<none, I, I, I>("SP_SetTextSpriteColor",
        {"Sets the text colour of the style",
         "r, g, b: 0-255 (starts white)",
         "nothing"}),
    entry<none, F>("SP_SetTextSpriteBoldWeight",
        {"Sets the bold weight of the style",
         "weight: pixels added on every side, 0.0 none (the start)",
         "nothing"}),
    entry<none, F>("SP_SetTextSpriteEdgeWeight",
        {"Sets the outline weight of the style; the outline shows where it is wider than the bold",
         "weight: pixels on every side, 0.0 none (the start)",
         "nothing"}),
    entry<none, I, I, I>("SP_SetTextSpriteEdgeColor",
        {"Sets the outline colour of the style",
         "r, g, b: 0-255 (starts black)",
         "nothing"}),
    entry<rBool, I, I, I>("SP_SetDashTextSprite",
        {"The sprite shows a horizontal dash in the current text style",
         "nSP: sprite number; width, height: pixels",
         "false when the dash cannot be drawn"}),
    entry<rBool, IOut>("SP_GetFontDescent",
        {"How far a Font.fnl face reaches below the baseline at the style's size, in pixels (0 for the system faces)",
         "",
         "false when Font.fnl or the size is missing"}),
    entry<rBool, S, IOut>("SP_GetFontWidth",
        {"The width the character's text sprite will have in the current style, margins included",
         "text: UTF-8, its first character counts",
         "false when Font.fnl lacks the glyph (the width is then the system face's)"}),

    // Character sprites
    entry<rInt>("CharSpriteManager_CreateHandle",
        {"Makes a character sprite and returns its handle (0, 1, ...; a released slot is reused)",
         "",
         "-1 before the engine has started"}),
    entry<rBool, I>("CharSpriteManager_ReleaseHandle",
        {"Destroys the character sprite and its sprite and frees the handle",
         "handle: from `CharSpriteManager_CreateHandle`",
         "false for an unknown or released handle"}),
    entry<none>("CharSpriteManager_Clear",
        {"Destroys every character sprite and its sprite",
         "",
         "nothing"}),
    entry<none>("CharSpriteManager_Rebuild",
        {"Makes the sprites of every character sprite again (after `CharSpriteManager_Load`)",
         "",
         "nothing"}),
    entry<rBool, Arr>("CharSpriteManager_Save",
        {"Writes every character sprite into the table as integers, for a saved game",
         "data: a table; it is filled with the integers",
         "false when the table cannot be filled"}),
    entry<rBool, Arr>("CharSpriteManager_Load",
        {"Replaces the character sprites with those saved in the table (`CharSpriteManager_Rebuild` shows them)",
         "data: a table filled by `CharSpriteManager_Save`",
         "false for a table that does not hold saved character sprites (they stay as they were)"}),
    entry<none, I>("CharSprite_Release",
        {"Deletes the character sprite's sprite and resets it; the handle stays valid",
         "handle: character sprite handle",
         "nothing for an unknown handle"}),
    entry<none, I, S, Str>("CharSprite_SetChar",
        {"Shows the first character of the text in the style table; sprites are numbered from 2000 up",
         "handle: character sprite handle; text: UTF-8; style: {type, size, {r, g, b, a}, bold, edge, {r, g, b, a}} "
         "with the text style's units, bold and edge as floats",
         "nothing for an unknown handle"}),
    entry<none, I, Text, I, I, I, I, I, F, F, I, I, I>("CharSprite_SetCharDirect",
        {"Shows the first character of the text in the given style; sprites are numbered from 2000 up",
         "handle: character sprite handle; text: UTF-8; type: as `SP_SetTextSpriteType`; size: pixels; r, g, b: "
         "0-255; bold, edge: pixels; edge r, g, b: 0-255",
         "nothing for an unknown handle"}),
    entry<none, I, I, I>("CharSprite_SetPos",
        {"Places the character sprite",
         "handle: character sprite handle; x, y: screen pixels",
         "nothing for an unknown handle"}),
    entry<none, I, I>("CharSprite_SetZ",
        {"Sets the character sprite's depth",
         "handle: character sprite handle; z: 0 or more",
         "nothing for an unknown handle"}),
    entry<none, I, I>("CharSprite_SetAlphaRate",
        {"Sets the character sprite's blend rate",
         "handle: character sprite handle; rate: 0-255, 255 opaque (starts 255)",
         "nothing for an unknown handle"}),
    entry<none, I, B>("CharSprite_SetShow",
        {"Shows or hides the character sprite",
         "handle: character sprite handle; show: true or false (starts true)",
         "nothing for an unknown handle"}),
    entry<none, I, SOut>("CharSprite_GetChar",
        {"The whole text last given to the character sprite",
         "handle: character sprite handle",
         "an empty text for an unknown handle"}),
    entry<rInt, I>("CharSprite_GetAlphaRate",
        {"The character sprite's blend rate",
         "handle: character sprite handle",
         "0 for an unknown handle"}),
};

}  // namespace

std::span<const ExportSignature> exportTable() { return kExports; }

const ExportSignature* findExport(std::string_view name) {
  for (const ExportSignature& signature : kExports) {
    if (signature.name == name) return &signature;
  }
  return nullptr;
}

bool takesScriptValue(ArgKind kind) {
  switch (kind) {
    case ArgKind::kIntOut:
    case ArgKind::kIntListOut:
    case ArgKind::kStringOut:
    case ArgKind::kHostKernel:
      return false;
    default:
      return true;
  }
}

bool returnsToScript(ArgKind kind) {
  return kind == ArgKind::kIntOut || kind == ArgKind::kIntListOut || kind == ArgKind::kStringOut ||
         kind == ArgKind::kStringInOut;
}

std::string_view kindName(ArgKind kind) {
  switch (kind) {
    case ArgKind::kInt: return "int";
    case ArgKind::kBool: return "bool";
    case ArgKind::kFloat: return "float";
    case ArgKind::kIntOut: return "int&";
    case ArgKind::kIntListOut: return "int*&";
    case ArgKind::kString: return "string";
    case ArgKind::kStringOut: return "string out";
    case ArgKind::kStringInOut: return "string in/out";
    case ArgKind::kText: return "text";
    case ArgKind::kArray: return "IVMArray";
    case ArgKind::kStruct: return "IVMStruct";
    case ArgKind::kSurface: return "ISurface";
    case ArgKind::kInterfaceId: return "interface id";
    case ArgKind::kHostKernel: return "IHostKernel";
  }
  return "?";
}

std::string_view kindName(ResultKind kind) {
  switch (kind) {
    case ResultKind::kNone: return "none";
    case ResultKind::kInt: return "int";
    case ResultKind::kBool: return "bool";
    case ResultKind::kFloat: return "float";
    case ResultKind::kSurface: return "ISurface";
    case ResultKind::kInterface: return "IInterface";
  }
  return "?";
}

std::string describe(const ExportSignature& signature) {
  std::string text(signature.name);
  text += '(';
  for (std::size_t i = 0; i < signature.args.size(); ++i) {
    if (i) text += ", ";
    text += kindName(signature.args[i]);
  }
  text += ") -> ";
  text += kindName(signature.result);
  return text;
}

}  // namespace tamblet::play
