// Reference counting for the reference host's objects that derive from IInterface: the count
// starts at 1 (the creator's reference) and the object deletes itself when it reaches 0.
#pragma once

#include <cstdint>

#include "host/IInterface.h"
#include "refhost/Ledger.h"

namespace refhost {

template <class Derived, class Interface>
class RefCounted : public Interface {
 public:
  std::int32_t TAMBLET_HOSTCALL AddRef() override { return ++references_; }

  std::int32_t TAMBLET_HOSTCALL Release() override {
    Ledger::releaseCalled(static_cast<Derived*>(this));
    const std::int32_t left = --references_;
    if (left == 0) delete static_cast<Derived*>(this);
    return left;
  }

  // References held now, for tests that check every reference was given back.
  std::int32_t references() const { return references_; }

 protected:
  RefCounted() = default;
  ~RefCounted() = default;

 private:
  std::int32_t references_ = 1;
};

}  // namespace refhost
