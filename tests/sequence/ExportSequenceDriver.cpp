// Calls the engine's exports in random order with hostile values (INT_MIN/INT_MAX, negatives,
// null strings and arrays, huge sizes, NaN floats, broken Shift-JIS texts, damaged saved arrays),
// with Update in between, after Init over the reference host. Any crash, sanitizer report or
// leaked reference fails the run. With --view d3d the run starts in the Direct3D view (mode 1) on
// the reference device, injects device losses and failing device calls at random frames and
// attaches a draw plug-in of its own to random sprites through the engine's plug-in manager.
//   export_sequence_driver [--calls N] [--seed S] [--view software|d3d]
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <random>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "engine/CVELM.h"
#include "engine/Exports.h"
#include "host/EngineObjects.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "platform/Modules.h"
#include "refhost/Host.h"
#include "refhost/Ledger.h"
#include "refhost/ModuleEntryPoints.h"
#include "refhost/VMArray.h"
#include "refhost/VMString.h"
#include "refhost/VMStruct.h"
#include "tests/support/Portable.h"

using namespace tamblet;

namespace {

// No real sleeping and no output: the run is about what the calls do, not about time.
class SilentClock final : public platform::Clock {
 public:
  std::uint32_t tickCount() override { return ticks += 7; }
  void sleep(std::uint32_t) override {}
  platform::LocalTime localTime() override { return {2026, 12, 6, 0, 12, 0, 0, 0}; }
  std::uint32_t ticks = 0;
};

class SilentMessages final : public platform::MessageSink {
 public:
  void debugOutput(const std::string&) override { ++count; }
  void messageBox(const std::string&, const std::string&, platform::MessageBoxStyle) override { ++count; }
  long count = 0;
};

// Hands out a hostile argument of each type an export takes, and keeps what it handed out alive
// until settle().
class Driver {
 public:
  Driver(std::uint64_t seed, std::string scratch, refhost::Host& host)
      : random(seed), scratch_(std::move(scratch)), host_(host) {}

  std::uint64_t pick(std::uint64_t count) { return random() % count; }

  template <class T>
  T next() {
    if constexpr (std::is_same_v<T, std::int32_t>) return integer();
    if constexpr (std::is_same_v<T, float>) return real();
    if constexpr (std::is_same_v<T, IString*>) return pick(2) ? text() : characterText();
    if constexpr (std::is_same_v<T, const char*>) {
      IString* text = characterText();
      return text ? text->GetText() : nullptr;
    }
    if constexpr (std::is_same_v<T, IVMArray*>) return pick(2) ? array() : savedCharSprites();
    if constexpr (std::is_same_v<T, IVMStruct*>) return pick(2) ? structure() : charStyle();
    if constexpr (std::is_same_v<T, std::int32_t*>) return pick(10) ? &outputs_[pick(8)] : nullptr;
    if constexpr (std::is_same_v<T, std::int32_t**>) return pick(5) ? &list_ : nullptr;
    if constexpr (std::is_same_v<T, ISurface*>) return surface();
  }

  // Mostly a sprite number, handle or count from -1 to 8, else a size below 96, else hostile.
  std::int32_t integer() {
    static const std::int32_t hostile[] = {INT_MIN, INT_MIN + 1, -65536, -256, -5, -1, 0, 1, 2, 3, 4, 5, 7, 16, 100,
                                           255, 256, 0x101, 640, 1000, 65535, INT_MAX - 1, INT_MAX};
    switch (pick(8)) {
      case 0: return static_cast<std::int32_t>(random());
      case 1: return hostile[pick(std::size(hostile))];
      case 2: case 3: return static_cast<std::int32_t>(pick(96));
      default: return static_cast<std::int32_t>(pick(10)) - 1;
    }
  }
  float real() {
    static const float hostile[] = {NAN, INFINITY, -INFINITY, 0.0f, -0.0f, 0.5f, 1.0f, -1.0f, 1e30f, -1e30f,
                                    FLT_MIN, 2.0f, 100.0f};
    return pick(3) ? static_cast<float>(pick(2000)) / 4.0f - 250.0f : hostile[pick(std::size(hostile))];
  }
  IString* string(std::string bytes) { return &strings_.emplace_back(std::move(bytes)); }
  IString* text() {
    if (pick(6) == 0) return nullptr;
    std::string bytes;
    for (std::uint64_t i = 0, length = pick(12); i < length; ++i)
      bytes.push_back(static_cast<char>(pick(3) ? 'a' + pick(26) : pick(255) + 1));
    return string(bytes);
  }
  // Shift-JIS pairs, lone lead bytes, 0x80 and 0xFD-0xFF, and now and then 16 KiB of bytes.
  IString* characterText() {
    static const char* const texts[] = {"A", "\x82\xA0", "\x88\x9F\x88\x9F", "\x81", "\x80", "\xFD", "\xFF\xFF",
                                        "\xB1", "", "\xE0", "\xEF\xFC", "\x82"};
    if (pick(8) == 0) return nullptr;
    const char* chosen = texts[pick(std::size(texts))];
    return string(pick(200) ? std::string(chosen) : std::string(16384, static_cast<char>(0x81 + pick(2))));
  }
  // A file name inside the scratch folder: saving may write there and nowhere else.
  IString* fileName() { return pick(8) ? string(scratch_ + "/f" + std::to_string(pick(4)) + ".png") : nullptr; }
  IVMArray* array() {
    switch (pick(5)) {
      case 0: return nullptr;
      case 1: return &arrays_.emplace_back(kVMTypeInt, std::vector<std::int32_t>{2, 2});
      case 2: return &arrays_.emplace_back(4, std::vector<std::int32_t>{8});
      default: return &arrays_.emplace_back(kVMTypeInt, std::vector<std::int32_t>{static_cast<std::int32_t>(pick(12))});
    }
  }
  // A saved character-sprite array: a real save, cut or changed at random, or nothing.
  IVMArray* savedCharSprites() {
    refhost::VMArray& saved = arrays_.emplace_back();
    CharSpriteManager_Save(&saved);
    const auto count = static_cast<std::uint64_t>(saved.values().size());
    if (count > 0 && pick(2)) {
      const auto kept = static_cast<std::int32_t>(pick(count));
      saved.Resize(&kept, 1);
    }
    if (count > 0 && pick(2)) {
      const std::int32_t value = integer();
      saved.SetElement(static_cast<std::int32_t>(pick(count)), &value);
    }
    return pick(10) ? &saved : nullptr;
  }
  IVMStruct* structure() {
    if (pick(4) == 0) return nullptr;
    std::vector<refhost::VMStruct::Member> members(pick(10));
    if (!members.empty() && pick(3) == 0) members[pick(members.size())].type = 4;
    return &structs_.emplace_back(std::move(members));
  }
  // A character-sprite style: six members with the colours as structures of four ints, now and
  // then an int in a colour's place or members missing.
  IVMStruct* charStyle() {
    using Member = refhost::VMStruct::Member;
    const std::int32_t structType = 15, floatType = 13;
    auto colour = [&] { return Member{structType, {integer(), integer(), integer(), integer()}}; };
    std::vector<Member> members = {Member{kVMTypeInt, {integer()}}, Member{kVMTypeInt, {integer()}}, colour(),
                                   Member{floatType, {integer()}}, Member{floatType, {integer()}}, colour()};
    if (pick(6) == 0) members[2 + 3 * pick(2)] = Member{kVMTypeInt, {integer()}};
    if (pick(8) == 0) members.resize(pick(members.size()));
    IVMStruct* made = &structs_.emplace_back(std::move(members));
    return pick(10) ? made : nullptr;
  }
  ISurface* surface() {
    switch (pick(5)) {
      case 0: return nullptr;
      case 1: return Sprite_GetConstSurface(integer());
      case 2: return keep(host_.surfaceFactory().CreateAMapOnly(3, 3));
      case 3: return keep(host_.surfaceFactory().Create(5, 4, 8));
      default: return keep(host_.surfaceFactory().CreatePixelOnly(7, 2, 32));
    }
  }

  // Drops what the last calls needed.
  void settle() {
    strings_.clear();
    arrays_.clear();
    structs_.clear();
    for (ISurface* surface : surfaces_) surface->Release();
    surfaces_.clear();
  }

  std::mt19937_64 random;

 private:
  ISurface* keep(ISurface* surface) { return surface ? surfaces_.emplace_back(surface) : nullptr; }

  std::string scratch_;
  refhost::Host& host_;
  // Deques: the addresses handed out stay valid while more are added.
  std::deque<refhost::VMString> strings_;
  std::deque<refhost::VMArray> arrays_;
  std::deque<refhost::VMStruct> structs_;
  std::vector<ISurface*> surfaces_;
  std::int32_t outputs_[8] = {};
  std::int32_t* list_ = nullptr;
};

using Call = void (*)(Driver&);

// A draw plug-in as another module would attach it: it only counts its references; the run checks
// that the engine gave every one of them back.
class CountingPlugin final : public IDXPlugin {
 public:
  std::int32_t TAMBLET_HOSTCALL AddRef() override { return ++references; }
  std::int32_t TAMBLET_HOSTCALL Release() override { return --references; }
  bool TAMBLET_HOSTCALL Prepare() override { return answer(); }
  bool TAMBLET_HOSTCALL Draw() override { return answer(); }
  bool TAMBLET_HOSTCALL OnLostDevice() override { return true; }
  bool TAMBLET_HOSTCALL OnResetDevice() override { return true; }
  bool TAMBLET_HOSTCALL Close() override { return true; }
  bool TAMBLET_HOSTCALL PrepareAgain() override { return true; }
  bool answer() { return ++calls % 13 != 0; }  // now and then a failure
  std::int32_t references = 1;
  long calls = 0;
};
CountingPlugin attachedPlugin;

// The Direct3D side of a run: the plug-in manager's operations, and device losses and failing
// device calls at random frames.
void useDrawPlugins(Driver& d) {
  auto* manager = static_cast<IDrawD3DPluginManager*>(GetInterface(&kIID_IDrawD3DPluginManager));
  if (!manager) return;
  switch (d.pick(4)) {
    case 0: manager->SetPlugin(d.integer(), d.pick(4) ? &attachedPlugin : nullptr); break;
    case 1: manager->RemovePlugin(d.integer()); break;
    case 2: manager->HasPlugin(d.integer()); break;
    default: if (d.pick(8) == 0) manager->RemovePluginEverywhere(&attachedPlugin); break;
  }
  manager->Release();
}

void disturbDevice(Driver& d, refhost::Host& host) {
  refhost::Direct3DService& service = host.kernel().direct3d();
  static const char* const operations[] = {"CreateTexture", "LockRect", "UnlockRect", "CreateVertexBuffer", "Lock",
                                           "Unlock", "SetFVF", "SetStreamSource", "DrawPrimitive", "SetRenderState",
                                           "SetTexture", "Clear", "Present"};
  switch (d.pick(40)) {
    case 0: service.simulateDeviceLoss(); break;
    case 1: service.loseDevice(); break;  // lost for a few frames
    case 2: case 3: service.resetDevice(); break;
    case 4: case 5: service.device().failCall(operations[d.pick(std::size(operations))], 1 + static_cast<int>(d.pick(6))); break;
    case 6: VIEW_SetMode(1); break;
    default: break;
  }
}

// Calls an export with one argument of each of its parameter types, drawn in order.
template <class Result, class... Args>
void callWith(Driver& d, Result (*exported)(Args...)) {
  std::tuple<Args...> arguments{d.next<Args>()...};  // a braced list is evaluated left to right
  std::apply(exported, arguments);
}
template <auto Export>
void call(Driver& d) {
  callWith(d, Export);
}

// Every export but Init and Update; those that need a particular argument, or that end whole
// sets, at the end.
const Call kCalls[] = {
    call<&Error>, call<&GetScreenWidth>, call<&GetScreenHeight>, call<&SP_Create>, call<&SP_CreatePixelOnly>,
    call<&SP_CreateCopy>, call<&SP_CreateCustom>, call<&SP_Delete>, call<&SP_SetPos>, call<&SP_SetX>, call<&SP_SetY>,
    call<&SP_SetZ>, call<&SP_SetBlendRate>, call<&SP_SetBrightness>, call<&SP_SetMultipleColor>, call<&SP_SetAddColor>,
    call<&SP_SetShow>, call<&SP_SetDrawMethod>, call<&SP_SetSurfaceArea>, call<&SP_GetSurfaceArea>,
    call<&SP_SetSpriteTransformMode>, call<&SP_SetSpriteTransformPos>, call<&Sprite_SetTextureFilerType>,
    call<&SP_SetAlphaClipperSpriteNumber>, call<&SP_Suspend>, call<&SP_Resume>, call<&SP_IsUsing>, call<&SP_ExistAlpha>,
    call<&SP_GetPosX>, call<&SP_GetPosY>, call<&SP_GetZ>, call<&SP_GetWidth>, call<&SP_GetHeight>,
    call<&SP_GetBlendRate>, call<&SP_GetBrightness>, call<&SP_GetDrawMethod>, call<&SP_GetShow>, call<&SP_IsSuspend>,
    call<&Sprite_GetTextureFilterType>, call<&SP_GetAlphaClipperSpriteNumber>, call<&Sprite_GetWritableSurface>,
    call<&Sprite_SetSurface>, call<&Sprite_GetConstSurface>, call<&Debug_GetSpriteSurface>, call<&SP_Count>,
    call<&SP_Enum>, call<&SP_GetUnuseNum>, call<&SP_GetMaxZ>, call<&Debug_GetSpriteNumberList>, call<&SP_IsPtIn>,
    call<&SP_IsPtInRect>, call<&SP_GetAMapValue>, call<&SP_GetPixelValue>, call<&SP_SetCG>, call<&SP_SetCutCG>,
    call<&SP_SetCGFromFile>, call<&CG_IsExist>, call<&CG_GetMetrics>, call<&CG_GetFormat>, call<&CG_BlendAMapBin>,
    call<&CG_RotateRGB>, call<&Key_ClearFlag>, call<&Key_ClearFlagOne>, call<&Key_ClearFlagNoCtrl>, call<&Key_IsDown>,
    call<&KEY_GetState>, call<&Mouse_GetPos>, call<&Mouse_ClearWheel>, call<&Mouse_GetWheel>, call<&Timer_Get>,
    call<&System_GetDate>, call<&System_GetTime>, call<&IntToZenkaku>, call<&IntToHankaku>, call<&StringPopFront>,
    call<&GAME_MSG_GetNumof>, call<&GAME_MSG_Get>, call<&SYSTEM_IsResetOnce>, call<&SYSTEM_SetConfigOverFrameRateSleep>,
    call<&SYSTEM_GetConfigOverFrameRateSleep>, call<&SYSTEM_SetConfigSleepByInactiveWindow>,
    call<&SYSTEM_GetConfigSleepByInactiveWindow>, call<&SYSTEM_SetReadMessageSkipping>,
    call<&SYSTEM_GetReadMessageSkipping>, call<&SYSTEM_SetConfigFrameSkipWhileMessageSkip>,
    call<&SYSTEM_GetConfigFrameSkipWhileMessageSkip>, call<&SYSTEM_SetInvalidateFrameSkipWhileMessageSkip>,
    call<&SYSTEM_GetInvalidateFrameSkipWhileMessageSkip>, call<&Debug_GetCurrentAllocatedMemorySize>,
    call<&Debug_GetMaxAllocatedMemorySize>, call<&Debug_GetVideoMemoryInfo>, call<&Debug_Pause>,
    call<&Debug_GetFuncStack>, call<&SP_RenderView>, call<&TRANS_Begin>, call<&TRANS_Update>, call<&TRANS_End>,
    call<&FPS_Get>, call<&FPS_SetShow>, call<&FPS_GetShow>, call<&Debug_GetFillRate>, call<&VIEW_SetMode>,
    call<&VIEW_GetMode>, call<&VIEW_SetOffsetPos>, call<&KeepPreviousView_SetMode>, call<&KeepPreviousView_GetMode>,
    call<&DX_SetUsePower2Texture>, call<&DX_GetUsePower2Texture>, call<&SP_SetTextSprite>, call<&SP_SetDashTextSprite>,
    call<&SP_SetTextSpriteType>, call<&SP_SetTextSpriteSize>, call<&SP_SetTextSpriteColor>,
    call<&SP_SetTextSpriteBoldWeight>, call<&SP_SetTextSpriteEdgeWeight>, call<&SP_SetTextSpriteEdgeColor>,
    call<&SP_GetFontDescent>, call<&SP_GetFontWidth>, call<&CharSpriteManager_CreateHandle>,
    call<&CharSpriteManager_ReleaseHandle>, call<&CharSpriteManager_Save>, call<&CharSpriteManager_Load>,
    call<&CharSprite_Release>, call<&CharSprite_SetChar>, call<&CharSprite_SetCharDirect>, call<&CharSprite_SetPos>,
    call<&CharSprite_SetZ>, call<&CharSprite_SetAlphaRate>, call<&CharSprite_SetShow>, call<&CharSprite_GetChar>,
    call<&CharSprite_GetAlphaRate>,
    [](Driver& d) { d.pick(50) ? 0 : SP_DeleteAll(); },
    [](Driver& d) { d.pick(30) ? void() : CharSpriteManager_Clear(); },
    [](Driver& d) { d.pick(10) ? void() : CharSpriteManager_Rebuild(); },
    [](Driver& d) { d.pick(20) ? 0 : SP_SaveCG(d.integer(), d.fileName()); },
    [](Driver& d) {
      IInterface* answer = GetInterface(d.pick(2) ? &kIID_IVelmErrorMessage : &kIID_IDrawD3DPluginManager);
      if (answer) answer->Release();  // the caller owns the reference it was handed
    },
    useDrawPlugins,
};

}  // namespace

int main(int argc, char** argv) {
  long calls = 100000;
  std::uint64_t seed = 1;
  bool direct3D = false;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--calls") == 0) calls = std::atol(argv[i + 1]);
    if (std::strcmp(argv[i], "--seed") == 0) seed = std::strtoull(argv[i + 1], nullptr, 10);
    if (std::strcmp(argv[i], "--view") == 0) direct3D = std::strcmp(argv[i + 1], "d3d") == 0;
  }
  const std::filesystem::path scratch = testing::makeScratchFolder("tamblet-sequence");

  SilentClock clock;
  SilentMessages messages;
  platform::setClock(&clock);
  platform::setMessageSink(&messages);
  const std::int64_t liveBefore = refhost::Ledger::liveObjects();
  long made = 0;
  std::size_t scriptErrors = 0;
  {
    refhost::Host host(160, 120);
    platform::InProcessModuleResolver resolver;
    for (const refhost::ModuleEntryPoint& entry : refhost::moduleEntryPoints())
      resolver.addSymbol(entry.module, entry.symbol, entry.address);
    platform::setModuleResolver(&resolver);
    if (Init(&host.kernel(), 1) != 1) {
      std::fprintf(stderr, "Init failed\n");
      return 1;
    }
    if (direct3D && VIEW_SetMode(1) != 1) {
      std::fprintf(stderr, "VIEW_SetMode(1) failed\n");
      return 1;
    }
    Driver driver(seed, scratch.string(), host);
    for (; made < calls; ++made) {
      kCalls[driver.pick(std::size(kCalls))](driver);
      if (made % 7 == 0) {
        host.kernel().timer().advance(static_cast<std::uint32_t>(driver.pick(40)));
        if (direct3D) disturbDevice(driver, host);
        Update();
      }
      if (made % 64 == 0) {
        driver.settle();
        scriptErrors += host.vm().errors().size();
        host.vm().clearErrors();
      }
    }
    driver.settle();
  }  // the host shuts down: it releases the engine object, which tears the engine down
  const bool shutDown = CVELM::instance().isShutDown() && Update() == 0 && Init(nullptr, 1) == 0;
  CVELM::instance().restoreLoadState();
  forgetHostKernelObject();
  platform::setModuleResolver(nullptr);
  platform::setMessageSink(nullptr);
  platform::setClock(nullptr);
  std::filesystem::remove_all(scratch);

  const std::int64_t leaked = refhost::Ledger::liveObjects() - liveBefore;
  if (attachedPlugin.references != 1)
    std::printf("the attached draw plug-in holds %d references instead of 1\n", attachedPlugin.references);
  std::printf("%ld export calls, %zu script errors, %ld messages, %lld reference-host objects left\n", made,
              scriptErrors, messages.count, static_cast<long long>(leaked));
  if (!shutDown) std::printf("the engine did not stay shut down after the host released it\n");
  return leaked == 0 && shutDown && attachedPlugin.references == 1 ? 0 : 1;
}
