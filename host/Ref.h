// The one holder for references the engine keeps. A Ref either adopts a reference it was handed
// (the object came with one reference for the caller) or retains a borrowed pointer (adds its
// own). It releases on reset or destruction, so teardown order is the order of reset() calls.
#pragma once

#include <utility>

namespace tamblet {

template <class T>
class Ref {
 public:
  Ref() = default;
  Ref(std::nullptr_t) {}

  // Takes over a reference the caller already owns.
  static Ref adopt(T* object) {
    Ref ref;
    ref.object_ = object;
    return ref;
  }

  // Adds a reference of its own to a borrowed pointer.
  static Ref retain(T* object) {
    if (object) object->AddRef();
    return adopt(object);
  }

  Ref(const Ref& other) : object_(other.object_) {
    if (object_) object_->AddRef();
  }
  Ref(Ref&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  Ref& operator=(const Ref& other) {
    Ref(other).swap(*this);
    return *this;
  }
  Ref& operator=(Ref&& other) noexcept {
    Ref(std::move(other)).swap(*this);
    return *this;
  }
  ~Ref() { reset(); }

  // Releases the held reference (if any) and holds nothing.
  void reset() {
    if (T* old = std::exchange(object_, nullptr)) old->Release();
  }

  // Gives the reference to the caller without releasing it.
  [[nodiscard]] T* detach() { return std::exchange(object_, nullptr); }

  void swap(Ref& other) noexcept { std::swap(object_, other.object_); }

  // True unless this holder is the object's only one. The object is asked by taking a reference
  // and giving it back: AddRef answers the new count, 2 for this holder plus the probe. Any other
  // answer (a count the object got wrong included) counts as shared, so a writer copies first.
  bool isShared() const {
    if (!object_) return false;
    const auto count = object_->AddRef();
    object_->Release();
    return count != 2;
  }

  T* get() const { return object_; }
  T* operator->() const { return object_; }
  T& operator*() const { return *object_; }
  explicit operator bool() const { return object_ != nullptr; }

 private:
  T* object_ = nullptr;
};

}  // namespace tamblet
