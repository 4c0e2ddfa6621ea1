#include "engine/CGetSurface.h"

#include <new>

#include "engine/CVelmEngine.h"
#include "report/FixedTexts.h"

namespace tamblet {

CGetSurface* CGetSurface::create(CVelmEngine* core, IVelmErrorMessage* reporter) noexcept {
  return new (std::nothrow) CGetSurface(core, reporter);
}

ISurface* CGetSurface::ChangeToWritable(std::int32_t sprite) noexcept {
  try {
    if (core_ && core_->sprites.liveTable.find(sprite)) {
      if (ISurface* surface = core_->sprites.liveTable.writableSurface(sprite)) return surface;
    }
  } catch (...) {
  }
  return reportInvalid(sprite);
}

ISurface* CGetSurface::Change(std::int32_t sprite) noexcept {
  if (core_) {
    const SpriteRecord* record = core_->sprites.liveTable.find(sprite);
    if (record && record->surface) {
      // The host may draw into what it gets here: every sprite showing this surface is redrawn.
      core_->sprites.liveTable.markSurfaceWritten(record->surface.get());
      return record->surface.get();
    }
  }
  return reportInvalid(sprite);
}

ISurface* CGetSurface::reportInvalid(std::int32_t sprite) noexcept {
  if (reporter_) reporter_->Open(fixedText(FixedText::kInvalidSpriteNumber), sprite);
  return nullptr;
}

void CGetSurface::Destruct(std::uint32_t flags) noexcept {
  reporter_.reset();
  core_ = nullptr;
  if (flags & 1) delete this;
}

std::int32_t CGetSurface::AddRef() noexcept { return ++referenceCount_; }

std::int32_t CGetSurface::Release() noexcept {
  if (--referenceCount_ > 0) return referenceCount_;
  Destruct(1);
  return 0;
}

}  // namespace tamblet
