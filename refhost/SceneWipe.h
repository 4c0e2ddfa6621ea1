// SceneWipe.dll's software transition (ISoftwareTransition); its effects and rule images are
// shared with the module's Direct3D transition (Direct3DWipe). The engine renders the old and the
// new picture into the two surfaces this object makes at set-up (the main surface's size), and
// each Compose writes one frame of the running effect into the main surface.
//
// Transition numbers:
//
// | number    | effect                                                                         |
// |-----------|--------------------------------------------------------------------------------|
// | 0, 1      | crossfade                                                                      |
// | 2         | wipe from left to right, soft edge of 1/16 of the width (1 to 64 pixels)       |
// | 3         | wipe from right to left, same edge                                             |
// | 4         | wipe from top to bottom, soft edge of 1/16 of the height (1 to 64 pixels)      |
// | 5         | wipe from bottom to top, same edge                                             |
// | 6         | mosaic: blocks grow to 1/16 of the shorter side (1 to 48 pixels) at the        |
// |           | midpoint, where the new picture replaces the old, then shrink back             |
// | 100 and up| rule image registered under that number with setRuleImage: dark pixels turn   |
// |           | first, white ones last, over a soft band of 32 grey levels                     |
//
// Progress runs from 0.0 (old picture) to 1.0 (new picture); values outside are clamped and NaN
// counts as 0. The arithmetic is exact integer arithmetic on 1/65536 progress steps, so a given
// progress always gives the same bytes.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <vector>

#include "host/Modules.h"
#include "host/Ref.h"
#include "refhost/Ledger.h"
#include "refhost/RefCounted.h"
#include "refhost/WipeEffects.h"

namespace refhost {

class SceneWipe final : public RefCounted<SceneWipe, tamblet::ISoftwareTransition> {
 public:
  static constexpr std::int32_t kCrossfade = 0;
  static constexpr std::int32_t kCrossfadeToo = 1;
  static constexpr std::int32_t kWipeLeftToRight = 2;
  static constexpr std::int32_t kWipeRightToLeft = 3;
  static constexpr std::int32_t kWipeTopToBottom = 4;
  static constexpr std::int32_t kWipeBottomToTop = 5;
  static constexpr std::int32_t kMosaic = 6;
  static constexpr std::int32_t kFirstRuleNumber = 100;
  static constexpr std::int32_t kMaxSide = 16384;

  // A new transition with one reference for the caller, making its pictures with `factory`; null
  // without a factory or memory.
  static SceneWipe* create(tamblet::ISurfaceFactory* factory);

  // Registers the grey rule image (8 or 32 bits per pixel; for 32 bits the grey is the pixel's
  // luminance) for transition `number` (100 and up), replacing any earlier one; a null surface
  // removes it. The grey levels are copied now, so the surface may change or go afterwards.
  // Rule images belong to the host: the host forgets them all when it shuts down.
  static bool setRuleImage(std::int32_t number, tamblet::ISurface* grey);
  static void clearRuleImages();

  // Whether `number` names an effect (a rule number only while its rule image is registered).
  static bool hasEffect(std::int32_t number);
  // The rule image of `number` scaled to width x height (nearest pixel) into `scaled`; false
  // without the image or memory.
  static bool scaledRule(std::int32_t number, std::int32_t width, std::int32_t height,
                         std::vector<std::uint8_t>* scaled);
  // One frame of effect `number` at progress `step`: `rule` is the scaled rule image for rule
  // numbers (width x height bytes), `weights` scratch of max(width, height) entries.
  static void composeEffect(std::int32_t number, const wipe::Frame& frame, std::int32_t step,
                            const std::uint8_t* rule, std::span<std::uint16_t> weights);

  // Makes the old and new pictures, 32 bits per pixel, width x height (1 to 16384 each). Called
  // again it remakes them and stops a running transition; a refused call changes nothing.
  bool TAMBLET_HOSTCALL SetUp(std::int32_t width, std::int32_t height) override;
  // Starts (or restarts) transition `number`; false before SetUp and for numbers without effect.
  bool TAMBLET_HOSTCALL Begin(std::int32_t number) override;
  // Stops the running transition; false when none runs.
  bool TAMBLET_HOSTCALL End() override;
  // Writes the frame at `progress` into the main surface (32 bits per pixel), over the area both
  // share; false when no transition runs or the main surface is null or unusable.
  bool TAMBLET_HOSTCALL Compose(tamblet::IMainSurface* mainSurface, float progress) override;
  tamblet::ISurface* TAMBLET_HOSTCALL GetNewPictureSurface() override { return newPicture_.get(); }
  tamblet::ISurface* TAMBLET_HOSTCALL GetOldPictureSurface() override { return oldPicture_.get(); }

  // The running transition's number, or -1.
  std::int32_t running() const { return running_; }

 private:
  struct RuleImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> greys;  // width x height, rows packed
  };

  explicit SceneWipe(tamblet::ISurfaceFactory* factory);
  friend class RefCounted<SceneWipe, tamblet::ISoftwareTransition>;  // deletes at the last Release
  ~SceneWipe() = default;

  static std::map<std::int32_t, RuleImage>& ruleBook();
  static wipe::Plane planeOf(tamblet::ISurface* surface);

  LedgerEntry ledger_{"SceneWipe"};
  tamblet::Ref<tamblet::ISurfaceFactory> factory_;
  tamblet::Ref<tamblet::ISurface> oldPicture_;
  tamblet::Ref<tamblet::ISurface> newPicture_;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::int32_t running_ = -1;
  std::vector<std::uint8_t> rule_;      // the running rule image scaled to width_ x height_
  std::vector<std::uint16_t> weights_;  // scratch for the wipes, max(width_, height_) entries
};

}  // namespace refhost
