// Rendered characters by text and style, so the same character in the same style is drawn once.
// Each entry holds one reference to its surface. When the surfaces in use reach kLimit bytes the
// least recently used entries go until they fall below kLowMark. Weights in the key are compared
// bit for bit, so a NaN weight still finds its own entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "host/Ref.h"
#include "host/Surface.h"
#include "text/TextStyle.h"

namespace tamblet {

class TextCache {
 public:
  static constexpr std::uint64_t kLimit = 0x1000000;   // 16 MiB
  static constexpr std::uint64_t kLowMark = 0x800000;  // 8 MiB

  TextCache() = default;
  ~TextCache() { clear(); }
  TextCache(const TextCache&) = delete;
  TextCache& operator=(const TextCache&) = delete;

  // The cached surface (a new reference for the caller), marked as just used; null when absent.
  Ref<ISurface> find(std::string_view text, const TextStyle& style);

  // Keeps `surface` (the cache takes its own reference) under the key, marked as just used,
  // replacing an entry of the same key.
  void insert(std::string_view text, const TextStyle& style, ISurface* surface);

  // When the bytes in use have reached the limit, drops least recently used entries until they
  // are below the low mark.
  void trimIfFull();

  // Drops every entry, releasing its surface.
  void clear();

  std::uint64_t bytesInUse() const { return bytesInUse_; }
  std::size_t size() const { return entries_.size(); }

  // The bytes a surface counts for: width × height × 4.
  static std::uint64_t surfaceBytes(ISurface& surface);

 private:
  struct Key {
    std::string text;
    TextStyle style;
  };
  struct KeyView {
    std::string_view text;
    const TextStyle& style;
  };
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(const Key& key) const { return (*this)(KeyView{key.text, key.style}); }
    std::size_t operator()(const KeyView& key) const;
  };
  struct Equal {
    using is_transparent = void;
    bool operator()(const Key& a, const Key& b) const { return a.text == b.text && sameBits(a.style, b.style); }
    bool operator()(const KeyView& a, const Key& b) const { return a.text == b.text && sameBits(a.style, b.style); }
    bool operator()(const Key& a, const KeyView& b) const { return (*this)(b, a); }
  };
  struct Entry {
    Ref<ISurface> surface;
    std::uint64_t bytes = 0;
    std::uint64_t lastUse = 0;
  };

  std::unordered_map<Key, Entry, Hash, Equal> entries_;
  std::uint64_t bytesInUse_ = 0;
  std::uint64_t useCounter_ = 0;
};

}  // namespace tamblet
