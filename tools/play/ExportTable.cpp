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
constexpr ExportSignature entry(std::string_view name) {
  return {name, R, Signature<R, A...>::kArgs, &Signature<R, A...>::invoke};
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
    entry<rBool, Kernel, I>("Init"),
    entry<rInterface, Id>("GetInterface"),
    entry<none, S>("Error"),
    entry<rInt>("GetScreenWidth"),
    entry<rInt>("GetScreenHeight"),
    entry<rBool>("Update"),
    entry<none, B>("FPS_SetShow"),
    entry<rBool>("FPS_GetShow"),
    entry<rFloat>("FPS_Get"),
    entry<rBool>("SYSTEM_IsResetOnce"),
    entry<none, B>("SYSTEM_SetConfigOverFrameRateSleep"),
    entry<rBool>("SYSTEM_GetConfigOverFrameRateSleep"),
    entry<none, B>("SYSTEM_SetConfigSleepByInactiveWindow"),
    entry<rBool>("SYSTEM_GetConfigSleepByInactiveWindow"),
    entry<none, B>("SYSTEM_SetReadMessageSkipping"),
    entry<rBool>("SYSTEM_GetReadMessageSkipping"),
    entry<none, B>("SYSTEM_SetConfigFrameSkipWhileMessageSkip"),
    entry<rBool>("SYSTEM_GetConfigFrameSkipWhileMessageSkip"),
    entry<none, B>("SYSTEM_SetInvalidateFrameSkipWhileMessageSkip"),
    entry<rBool>("SYSTEM_GetInvalidateFrameSkipWhileMessageSkip"),
    entry<rInt>("Debug_GetCurrentAllocatedMemorySize"),
    entry<rInt>("Debug_GetMaxAllocatedMemorySize"),
    entry<rInt>("Debug_GetFillRate"),
    entry<rBool, IOut, IOut, IOut>("Debug_GetVideoMemoryInfo"),
    entry<none>("Debug_Pause"),
    entry<none, SOut, I>("Debug_GetFuncStack"),
    entry<rBool, IList, IOut>("Debug_GetSpriteNumberList"),
    entry<rSurface, I>("Debug_GetSpriteSurface"),

    // Input, time and text
    entry<rBool>("Key_ClearFlag"),
    entry<rBool, I>("Key_ClearFlagOne"),
    entry<rBool>("Key_ClearFlagNoCtrl"),
    entry<rBool, I>("Key_IsDown"),
    entry<rBool, I>("KEY_GetState"),
    entry<rBool, IOut, IOut>("Mouse_GetPos"),
    entry<none>("Mouse_ClearWheel"),
    entry<none, IOut, IOut>("Mouse_GetWheel"),
    entry<rInt>("Timer_Get"),
    entry<none, IOut, IOut, IOut, IOut>("System_GetDate"),
    entry<none, IOut, IOut, IOut, IOut>("System_GetTime"),
    entry<none, SOut, I, I, B>("IntToZenkaku"),
    entry<none, SOut, I, I, B>("IntToHankaku"),
    entry<rInt, SOut, SInOut>("StringPopFront"),
    entry<rInt>("GAME_MSG_GetNumof"),
    entry<none, I, SOut>("GAME_MSG_Get"),

    // Sprites
    entry<rBool, I, I, I, I, I, I, I>("SP_Create"),
    entry<rBool, I, I>("SP_CreateCopy"),
    entry<rBool, I, I, I>("SP_CreatePixelOnly"),
    entry<rBool, I>("SP_CreateCustom"),
    entry<rBool, I>("SP_Delete"),
    entry<rBool>("SP_DeleteAll"),
    entry<rBool, I, I, I>("SP_SetPos"),
    entry<rBool, I, I>("SP_SetX"),
    entry<rBool, I, I>("SP_SetY"),
    entry<rBool, I, I>("SP_SetZ"),
    entry<rBool, I, I>("SP_SetBlendRate"),
    entry<rBool, I, I>("SP_SetBrightness"),
    entry<rBool, I, I, I, I>("SP_SetMultipleColor"),
    entry<rBool, I, I, I, I, I>("SP_SetAddColor"),
    entry<rBool, I, B>("SP_SetShow"),
    entry<rBool, I, I>("SP_SetDrawMethod"),
    entry<rBool, I>("SP_IsUsing"),
    entry<rBool, I>("SP_ExistAlpha"),
    entry<rInt, I>("SP_GetPosX"),
    entry<rInt, I>("SP_GetPosY"),
    entry<rInt, I>("SP_GetWidth"),
    entry<rInt, I>("SP_GetHeight"),
    entry<rInt, I>("SP_GetZ"),
    entry<rInt, I>("SP_GetBlendRate"),
    entry<rInt, I>("SP_GetBrightness"),
    entry<rInt, I>("SP_GetDrawMethod"),
    entry<rBool, I>("SP_GetShow"),
    entry<rBool, I, I, I, I, I>("SP_SetSurfaceArea"),
    entry<rBool, I, IOut, IOut, IOut, IOut>("SP_GetSurfaceArea"),
    entry<rBool, I, I>("SP_SetSpriteTransformMode"),
    // Four corners of six floats each.
    entry<rBool, I, F, F, F, F, F, F, F, F, F, F, F, F, F, F, F, F, F, F, F, F, F, F, F, F>("SP_SetSpriteTransformPos"),
    entry<rBool, I, I>("Sprite_SetTextureFilerType"),
    entry<rInt, I>("Sprite_GetTextureFilterType"),
    entry<rBool, I>("SP_Suspend"),
    entry<rBool, I>("SP_Resume"),
    entry<rBool, I>("SP_IsSuspend"),
    entry<rSurface, I>("Sprite_GetWritableSurface"),
    entry<rBool, I, Surf>("Sprite_SetSurface"),
    entry<rSurface, I>("Sprite_GetConstSurface"),
    entry<rBool, I, I>("SP_SetAlphaClipperSpriteNumber"),
    entry<rInt, I>("SP_GetAlphaClipperSpriteNumber"),
    entry<rInt>("SP_Count"),
    entry<rInt, Arr>("SP_Enum"),
    entry<rInt, I>("SP_GetUnuseNum"),
    entry<rInt>("SP_GetMaxZ"),
    entry<rBool, I, I, I>("SP_IsPtIn"),
    entry<rBool, I, I, I>("SP_IsPtInRect"),
    entry<rInt, I, I, I>("SP_GetAMapValue"),
    entry<rBool, I, I, I, IOut, IOut, IOut>("SP_GetPixelValue"),
    entry<rBool, I>("SP_RenderView"),

    // Images
    entry<rBool, I, I>("SP_SetCG"),
    entry<rBool, I, I, I, I, I, I>("SP_SetCutCG"),
    entry<rBool, I, S>("SP_SetCGFromFile"),
    entry<rBool, I, S>("SP_SaveCG"),
    entry<rBool, I>("CG_IsExist"),
    entry<rBool, I, Str>("CG_GetMetrics"),
    entry<rInt, I>("CG_GetFormat"),
    entry<none, I, I, I, I, I, I, I, I, I>("CG_BlendAMapBin"),
    entry<none, I, I, I, I, I, I>("CG_RotateRGB"),

    // Presentation
    entry<rBool, I>("VIEW_SetMode"),
    entry<rInt>("VIEW_GetMode"),
    entry<none, I, I>("VIEW_SetOffsetPos"),
    entry<rBool, B>("KeepPreviousView_SetMode"),
    entry<rBool>("KeepPreviousView_GetMode"),
    entry<none, B>("DX_SetUsePower2Texture"),
    entry<rBool>("DX_GetUsePower2Texture"),
    entry<rBool, I>("TRANS_Begin"),
    entry<rBool, F>("TRANS_Update"),
    entry<rBool>("TRANS_End"),

    // Text
    entry<rBool, I, S>("SP_SetTextSprite"),
    entry<none, I>("SP_SetTextSpriteType"),
    entry<none, I>("SP_SetTextSpriteSize"),
    entry<none, I, I, I>("SP_SetTextSpriteColor"),
    entry<none, F>("SP_SetTextSpriteBoldWeight"),
    entry<none, F>("SP_SetTextSpriteEdgeWeight"),
    entry<none, I, I, I>("SP_SetTextSpriteEdgeColor"),
    entry<rBool, I, I, I>("SP_SetDashTextSprite"),
    entry<rBool, IOut>("SP_GetFontDescent"),
    entry<rBool, S, IOut>("SP_GetFontWidth"),

    // Character sprites
    entry<rInt>("CharSpriteManager_CreateHandle"),
    entry<rBool, I>("CharSpriteManager_ReleaseHandle"),
    entry<none>("CharSpriteManager_Clear"),
    entry<none>("CharSpriteManager_Rebuild"),
    entry<rBool, Arr>("CharSpriteManager_Save"),
    entry<rBool, Arr>("CharSpriteManager_Load"),
    entry<none, I>("CharSprite_Release"),
    entry<none, I, S, Str>("CharSprite_SetChar"),
    entry<none, I, Text, I, I, I, I, I, F, F, I, I, I>("CharSprite_SetCharDirect"),
    entry<none, I, I, I>("CharSprite_SetPos"),
    entry<none, I, I>("CharSprite_SetZ"),
    entry<none, I, I>("CharSprite_SetAlphaRate"),
    entry<none, I, B>("CharSprite_SetShow"),
    entry<none, I, SOut>("CharSprite_GetChar"),
    entry<rInt, I>("CharSprite_GetAlphaRate"),
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
