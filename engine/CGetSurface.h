// The surface lookup registered with the host: host modules turn a sprite number into that
// sprite's surface through it (as stored, or made writable first). Both answers are borrowed, and
// both count as a write: the host may draw into either, so the sprites showing it are redrawn.
// The pointer the host gets is the IChangeNumToISurface2 part; the IInterface part counts.
#pragma once

#include <cstdint>

#include "host/EngineObjects.h"
#include "host/Ref.h"

namespace tamblet {

class CVelmEngine;

class CGetSurface final : public IChangeNumToISurface2, public IInterface {
 public:
  // A lookup over the core's live table with count 1; it keeps a reference to the reporter.
  // Null when memory runs out.
  static CGetSurface* create(CVelmEngine* core, IVelmErrorMessage* reporter) noexcept;

  CGetSurface(const CGetSurface&) = delete;
  CGetSurface& operator=(const CGetSurface&) = delete;

  ISurface* TAMBLET_HOSTCALL ChangeToWritable(std::int32_t sprite) noexcept override;  // 0
  ISurface* TAMBLET_HOSTCALL Change(std::int32_t sprite) noexcept override;            // 1
  void TAMBLET_HOSTCALL Destruct(std::uint32_t flags) noexcept override;               // 2; bit 0 frees

  std::int32_t TAMBLET_HOSTCALL AddRef() noexcept override;
  std::int32_t TAMBLET_HOSTCALL Release() noexcept override;

  // Called before the core is destroyed: later lookups report an invalid number instead.
  void forgetCore() { core_ = nullptr; }

 private:
  CGetSurface(CVelmEngine* core, IVelmErrorMessage* reporter) : core_(core), reporter_(Ref<IVelmErrorMessage>::retain(reporter)) {}
  ~CGetSurface() = default;

  ISurface* reportInvalid(std::int32_t sprite) noexcept;

  std::int32_t referenceCount_ = 1;
  CVelmEngine* core_;
  Ref<IVelmErrorMessage> reporter_;
};

}  // namespace tamblet
