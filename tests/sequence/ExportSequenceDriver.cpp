// Calls the engine's exports in random order with hostile values (INT_MIN/INT_MAX, negatives,
// null strings and arrays, huge sizes, NaN floats, broken Shift-JIS texts, damaged saved arrays),
// with Update in between, after Init over the reference host. Any crash, sanitizer report or
// leaked reference fails the run.
//   export_sequence_driver [--calls N] [--seed S]
#include <unistd.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "engine/CVELM.h"
#include "engine/Exports.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "platform/Modules.h"
#include "refhost/Host.h"
#include "refhost/Ledger.h"
#include "refhost/ModuleEntryPoints.h"
#include "refhost/VMArray.h"
#include "refhost/VMString.h"
#include "refhost/VMStruct.h"

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

class Driver {
 public:
  Driver(std::uint64_t seed, std::string scratch) : random_(seed), scratch_(std::move(scratch)) {}

  std::int32_t integer() {
    static const std::int32_t hostile[] = {INT_MIN, INT_MIN + 1, -65536, -256, -5, -1, 0, 1, 2, 3, 4, 5,
                                           7,       16,          100,    255,  256, 640, 1000, 65535, INT_MAX - 1,
                                           INT_MAX};
    switch (random_() % 4) {
      case 0:
        return static_cast<std::int32_t>(random_());
      case 1:
        return static_cast<std::int32_t>(random_() % 12) - 2;
      default:
        return hostile[random_() % std::size(hostile)];
    }
  }
  std::int32_t sprite() { return random_() % 5 ? static_cast<std::int32_t>(random_() % 10) - 1 : integer(); }
  std::int32_t size() { return random_() % 8 ? static_cast<std::int32_t>(random_() % 96) : integer(); }
  float real() {
    static const float hostile[] = {NAN, INFINITY, -INFINITY, 0.0f, -0.0f, 0.5f, 1.0f, -1.0f, 1e30f, -1e30f,
                                    FLT_MIN, 2.0f, 100.0f};
    return random_() % 3 ? static_cast<float>(random_() % 2000) / 4.0f - 250.0f : hostile[random_() % std::size(hostile)];
  }
  IString* text() {
    if (random_() % 6 == 0) return nullptr;
    std::string bytes;
    const int length = static_cast<int>(random_() % 12);
    for (int i = 0; i < length; ++i) bytes.push_back(static_cast<char>(random_() % 3 ? 'a' + random_() % 26 : random_() % 256));
    if (bytes.find('\0') != std::string::npos) bytes.resize(bytes.find('\0'));
    strings_.emplace_back(bytes);
    return &strings_.back();
  }
  // A text for the text exports: Shift-JIS pairs, lone lead bytes, 0x80 and 0xFD-0xFF, and now
  // and then 16 KiB of bytes.
  IString* characterText() {
    if (random_() % 8 == 0) return nullptr;
    static const char* const texts[] = {"A", "\x82\xA0", "\x88\x9F\x88\x9F", "\x81", "\x80", "\xFD", "\xFF\xFF",
                                        "\xB1", "", "\xE0", "\xEF\xFC", "\x82"};
    std::string bytes = texts[random_() % std::size(texts)];
    if (random_() % 200 == 0) bytes.assign(16384, static_cast<char>(0x81 + random_() % 2));
    strings_.emplace_back(bytes);
    return &strings_.back();
  }
  // A text size: mostly small, sometimes hostile.
  std::int32_t textSize() { return random_() % 16 ? static_cast<std::int32_t>(random_() % 40) : integer(); }
  // A character-sprite handle: mostly one of the first few, sometimes hostile.
  std::int32_t handle() { return random_() % 6 ? static_cast<std::int32_t>(random_() % 6) - 1 : integer(); }
  // A saved character-sprite array: a real save, cut or changed at random, or nothing.
  IVMArray* savedCharSprites() {
    arrays_.emplace_back();
    CharSpriteManager_Save(&arrays_.back());
    refhost::VMArray& saved = arrays_.back();
    const auto count = static_cast<std::int32_t>(saved.values().size());
    if (count > 0 && random_() % 2) {
      const std::int32_t kept = static_cast<std::int32_t>(random_() % count);
      saved.Resize(&kept, 1);
    }
    if (count > 0 && random_() % 2) {
      const std::int32_t value = integer();
      saved.SetElement(static_cast<std::int32_t>(random_() % count), &value);
    }
    return random_() % 10 ? &saved : nullptr;
  }
  // A file name inside the scratch folder: saving may write there and nowhere else.
  IString* fileName() {
    if (random_() % 8 == 0) return nullptr;
    strings_.emplace_back(scratch_ + "/f" + std::to_string(random_() % 4) + ".png");
    return &strings_.back();
  }
  IVMArray* array() {
    switch (random_() % 5) {
      case 0: return nullptr;
      case 1: arrays_.emplace_back(kVMTypeInt, std::vector<std::int32_t>{2, 2}); break;
      case 2: arrays_.emplace_back(4, std::vector<std::int32_t>{8}); break;
      default: arrays_.emplace_back(kVMTypeInt, std::vector<std::int32_t>{static_cast<std::int32_t>(random_() % 12)});
    }
    return &arrays_.back();
  }
  IVMStruct* structure() {
    if (random_() % 4 == 0) return nullptr;
    std::vector<refhost::VMStruct::Member> members(random_() % 10);
    if (!members.empty() && random_() % 3 == 0) members[random_() % members.size()].type = 4;
    structs_.emplace_back(std::move(members));
    return &structs_.back();
  }
  // A character-sprite style: six members with the colours as structures of four ints, now and
  // then an int in a colour's place or members missing.
  IVMStruct* charStyle() {
    using Member = refhost::VMStruct::Member;
    const std::int32_t structType = 15, floatType = 13;
    auto colour = [&] { return Member{structType, {integer(), integer(), integer(), integer()}}; };
    std::vector<Member> members = {Member{kVMTypeInt, {integer()}}, Member{kVMTypeInt, {textSize()}}, colour(),
                                   Member{floatType, {integer()}}, Member{floatType, {integer()}}, colour()};
    if (random_() % 6 == 0) members[2 + 3 * (random_() % 2)] = Member{kVMTypeInt, {integer()}};
    if (random_() % 8 == 0) members.resize(random_() % members.size());
    structs_.emplace_back(std::move(members));
    return random_() % 10 ? &structs_.back() : nullptr;
  }
  std::int32_t* output() { return random_() % 10 ? &outputs_[random_() % 8] : nullptr; }
  ISurface* surface(refhost::Host& host) {
    switch (random_() % 5) {
      case 0: return nullptr;
      case 1: return Sprite_GetConstSurface(sprite());
      case 2: return keep(host.surfaceFactory().CreateAMapOnly(3, 3));
      case 3: return keep(host.surfaceFactory().Create(5, 4, 8));
      default: return keep(host.surfaceFactory().CreatePixelOnly(7, 2, 32));
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

  std::mt19937_64& random() { return random_; }

 private:
  ISurface* keep(ISurface* surface) {
    if (surface) surfaces_.push_back(surface);
    return surface;
  }

  std::mt19937_64 random_;
  std::string scratch_;
  // Deques: the addresses handed out stay valid while more are added.
  std::deque<refhost::VMString> strings_;
  std::deque<refhost::VMArray> arrays_;
  std::deque<refhost::VMStruct> structs_;
  std::vector<ISurface*> surfaces_;
  std::int32_t outputs_[8] = {};
};

using Call = std::function<void(Driver&, refhost::Host&)>;

std::vector<Call> exportCalls() {
  using D = Driver;
  using H = refhost::Host;
  return {
      [](D& d, H&) { SP_Create(d.sprite(), d.size(), d.size(), d.integer(), d.integer(), d.integer(), d.integer()); },
      [](D& d, H&) { SP_CreatePixelOnly(d.sprite(), d.size(), d.size()); },
      [](D& d, H&) { SP_CreateCopy(d.sprite(), d.sprite()); },
      [](D& d, H&) { SP_CreateCustom(d.sprite()); },
      [](D& d, H&) { SP_Delete(d.sprite()); },
      [](D& d, H&) { if (d.random()() % 50 == 0) SP_DeleteAll(); },
      [](D& d, H&) { SP_SetPos(d.sprite(), d.integer(), d.integer()); },
      [](D& d, H&) { SP_SetX(d.sprite(), d.integer()); },
      [](D& d, H&) { SP_SetY(d.sprite(), d.integer()); },
      [](D& d, H&) { SP_SetZ(d.sprite(), d.integer()); },
      [](D& d, H&) { SP_SetBlendRate(d.sprite(), d.integer()); },
      [](D& d, H&) { SP_SetBrightness(d.sprite(), d.integer()); },
      [](D& d, H&) { SP_SetMultipleColor(d.sprite(), d.integer(), d.integer(), d.integer()); },
      [](D& d, H&) { SP_SetAddColor(d.sprite(), d.integer(), d.integer(), d.integer(), d.integer()); },
      [](D& d, H&) { SP_SetShow(d.sprite(), d.integer()); },
      [](D& d, H&) { SP_SetDrawMethod(d.sprite(), d.integer()); },
      [](D& d, H&) { SP_SetSurfaceArea(d.sprite(), d.integer(), d.integer(), d.integer(), d.integer()); },
      [](D& d, H&) { SP_GetSurfaceArea(d.sprite(), d.output(), d.output(), d.output(), d.output()); },
      [](D& d, H&) { SP_SetSpriteTransformMode(d.sprite(), d.integer() % 3); },
      [](D& d, H&) {
        float v[24];
        for (float& value : v) value = d.real();
        SP_SetSpriteTransformPos(d.sprite(), v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11],
                                 v[12], v[13], v[14], v[15], v[16], v[17], v[18], v[19], v[20], v[21], v[22], v[23]);
      },
      [](D& d, H&) { Sprite_SetTextureFilerType(d.sprite(), d.integer()); },
      [](D& d, H&) { SP_SetAlphaClipperSpriteNumber(d.sprite(), d.sprite()); },
      [](D& d, H&) { SP_Suspend(d.sprite()); },
      [](D& d, H&) { SP_Resume(d.sprite()); },
      [](D& d, H&) { SP_IsUsing(d.sprite()); SP_ExistAlpha(d.sprite()); SP_GetPosX(d.sprite()); SP_GetZ(d.sprite()); },
      [](D& d, H&) { Sprite_GetWritableSurface(d.sprite()); },
      [](D& d, H& h) { Sprite_SetSurface(d.sprite(), d.surface(h)); },
      [](D& d, H&) { SP_Count(); SP_Enum(d.array()); },
      [](D& d, H&) { SP_GetUnuseNum(d.integer()); SP_GetMaxZ(); },
      [](D& d, H&) {
        std::int32_t* list = nullptr;
        Debug_GetSpriteNumberList(d.random()() % 5 ? &list : nullptr, d.output());
      },
      [](D& d, H&) { SP_IsPtIn(d.sprite(), d.integer(), d.integer()); SP_IsPtInRect(d.sprite(), d.integer(), d.integer()); },
      [](D& d, H&) { SP_GetAMapValue(d.sprite(), d.integer(), d.integer()); },
      [](D& d, H&) { SP_GetPixelValue(d.sprite(), d.integer(), d.integer(), d.output(), d.output(), d.output()); },
      [](D& d, H&) { SP_RenderView(d.sprite()); },
      [](D& d, H&) { SP_SetCG(d.sprite(), d.integer()); },
      [](D& d, H&) { SP_SetCutCG(d.sprite(), d.integer(), d.integer(), d.integer(), d.integer(), d.integer()); },
      [](D& d, H&) { SP_SetCGFromFile(d.sprite(), d.text()); },
      [](D& d, H&) { if (d.random()() % 20 == 0) SP_SaveCG(d.sprite(), d.fileName()); },
      [](D& d, H&) { CG_IsExist(d.integer()); CG_GetFormat(d.integer()); },
      [](D& d, H&) { CG_GetMetrics(d.integer(), d.structure()); },
      [](D& d, H&) {
        CG_BlendAMapBin(d.sprite(), d.integer(), d.integer(), d.sprite(), d.integer(), d.integer(), d.integer(),
                        d.integer(), d.integer());
      },
      [](D& d, H&) { CG_RotateRGB(d.sprite(), d.integer(), d.integer(), d.integer(), d.integer(), d.integer()); },
      [](D& d, H&) { Key_ClearFlagOne(d.integer()); Key_IsDown(d.integer()); KEY_GetState(d.integer()); },
      [](D& d, H&) { Mouse_GetPos(d.output(), d.output()); Mouse_GetWheel(d.output(), d.output()); },
      [](D& d, H&) { System_GetDate(d.output(), d.output(), d.output(), d.output()); },
      [](D& d, H&) { IntToZenkaku(d.text(), d.integer(), d.random()() % 4 ? d.size() : d.integer(), d.integer()); },
      [](D& d, H&) { IntToHankaku(d.text(), d.integer(), d.random()() % 4 ? d.size() : d.integer(), d.integer()); },
      [](D& d, H&) { StringPopFront(d.text(), d.text()); },
      [](D& d, H&) { GAME_MSG_Get(d.integer(), d.text()); },
      [](D& d, H&) { Debug_GetFuncStack(d.text(), d.integer()); },
      [](D& d, H&) { Debug_GetVideoMemoryInfo(d.output(), d.output(), d.output()); },
      [](D& d, H&) { SYSTEM_SetReadMessageSkipping(d.integer()); SYSTEM_SetConfigOverFrameRateSleep(d.integer()); },
      [](D& d, H&) { TRANS_Begin(d.integer() % 8); },
      [](D& d, H&) { TRANS_Update(d.real()); },
      [](D&, H&) { TRANS_End(); },
      [](D& d, H&) { VIEW_SetMode(d.integer() % 3); VIEW_SetOffsetPos(d.integer(), d.integer()); },
      [](D& d, H&) { KeepPreviousView_SetMode(d.integer()); },
      [](D& d, H&) { FPS_SetShow(d.integer()); FPS_Get(); Debug_GetFillRate(); },
      [](D& d, H&) {
        IInterface* answer = GetInterface(d.random()() % 2 ? &kIID_IVelmErrorMessage : &kIID_IDrawD3DPluginManager);
        if (answer) answer->Release();  // the caller owns the reference it was handed
      },
      [](D& d, H&) { Error(d.text()); },
      [](D& d, H&) {
        static const std::int32_t types[] = {0, 1, 2, 0x100, 0x101};
        SP_SetTextSpriteType(d.random()() % 4 ? types[d.random()() % std::size(types)] : d.integer());
        SP_SetTextSpriteSize(d.textSize());
      },
      [](D& d, H&) { SP_SetTextSpriteBoldWeight(d.random()() % 2 ? d.real() : 0.0f); },
      [](D& d, H&) { SP_SetTextSpriteEdgeWeight(d.random()() % 2 ? d.real() : 0.0f); },
      [](D& d, H&) { SP_SetTextSpriteColor(d.integer(), d.integer(), d.integer()); },
      [](D& d, H&) { SP_SetTextSpriteEdgeColor(d.integer(), d.integer(), d.integer()); },
      [](D& d, H&) { SP_SetTextSprite(d.sprite(), d.characterText()); },
      [](D& d, H&) { SP_SetDashTextSprite(d.sprite(), d.textSize(), d.textSize()); },
      [](D& d, H&) { SP_GetFontDescent(d.output()); SP_GetFontWidth(d.characterText(), d.output()); },
      [](D&, H&) { CharSpriteManager_CreateHandle(); },
      [](D& d, H&) { CharSpriteManager_ReleaseHandle(d.handle()); CharSprite_Release(d.handle()); },
      [](D& d, H&) { if (d.random()() % 30 == 0) CharSpriteManager_Clear(); },
      [](D& d, H&) { if (d.random()() % 10 == 0) CharSpriteManager_Rebuild(); },
      [](D& d, H&) { CharSpriteManager_Load(d.random()() % 4 ? d.savedCharSprites() : d.array()); },
      [](D& d, H&) { CharSprite_SetChar(d.handle(), d.characterText(), d.charStyle()); },
      [](D& d, H&) {
        IString* text = d.characterText();
        CharSprite_SetCharDirect(d.handle(), text ? text->GetText() : nullptr, d.random()() % 3, d.textSize(),
                                 d.integer(), d.integer(), d.integer(), d.real(), d.real(), d.integer(), d.integer(),
                                 d.integer());
      },
      [](D& d, H&) { CharSprite_SetPos(d.handle(), d.integer(), d.integer()); CharSprite_SetZ(d.handle(), d.integer()); },
      [](D& d, H&) { CharSprite_SetAlphaRate(d.handle(), d.integer()); CharSprite_SetShow(d.handle(), d.integer()); },
      [](D& d, H&) { CharSprite_GetChar(d.handle(), d.text()); CharSprite_GetAlphaRate(d.handle()); },
  };
}

}  // namespace

int main(int argc, char** argv) {
  long calls = 100000;
  std::uint64_t seed = 1;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--calls") == 0) calls = std::atol(argv[i + 1]);
    if (std::strcmp(argv[i], "--seed") == 0) seed = std::strtoull(argv[i + 1], nullptr, 10);
  }
  const std::filesystem::path scratch =
      std::filesystem::temp_directory_path() / ("tamblet-sequence-" + std::to_string(getpid()));
  std::filesystem::create_directories(scratch);

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
    const std::vector<Call> table = exportCalls();
    Driver driver(seed, scratch.string());
    for (; made < calls; ++made) {
      table[driver.random()() % table.size()](driver, host);
      if (made % 7 == 0) {
        host.kernel().timer().advance(static_cast<std::uint32_t>(driver.random()() % 40));
        Update();
      }
      if (made % 64 == 0) {
        driver.settle();
        scriptErrors += host.vm().errors().size();
        host.vm().clearErrors();
      }
      if (made % 100000 == 0 && made) std::fprintf(stderr, "%ld calls\n", made);
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
  std::printf("%ld export calls, %zu script errors, %ld messages, %lld reference-host objects left\n", made,
              scriptErrors, messages.count, static_cast<long long>(leaked));
  if (!shutDown) std::printf("the engine did not stay shut down after the host released it\n");
  return leaked == 0 && shutDown ? 0 : 1;
}
