#include "text/TextCache.h"

#include <algorithm>
#include <functional>
#include <vector>

namespace tamblet {

std::size_t TextCache::Hash::operator()(const KeyView& key) const {
  const TextStyle& style = key.style;
  std::uint64_t h = std::hash<std::string_view>{}(key.text);
  const std::uint64_t fields[] = {
      static_cast<std::uint32_t>(style.type),
      static_cast<std::uint32_t>(style.size),
      static_cast<std::uint64_t>(style.color.r) | std::uint64_t{style.color.g} << 8 |
          std::uint64_t{style.color.b} << 16 | std::uint64_t{style.color.a} << 24 |
          std::uint64_t{style.edgeColor.r} << 32 | std::uint64_t{style.edgeColor.g} << 40 |
          std::uint64_t{style.edgeColor.b} << 48 | std::uint64_t{style.edgeColor.a} << 56,
      floatBits(style.boldWeight) | std::uint64_t{floatBits(style.edgeWeight)} << 32,
  };
  for (std::uint64_t field : fields) h = (h ^ field) * 0x100000001B3ull + (h >> 29);
  return static_cast<std::size_t>(h);
}

std::uint64_t TextCache::surfaceBytes(ISurface& surface) {
  const std::int64_t width = std::max(surface.GetWidth(), 0);
  const std::int64_t height = std::max(surface.GetHeight(), 0);
  return static_cast<std::uint64_t>(width * height * 4);
}

Ref<ISurface> TextCache::find(std::string_view text, const TextStyle& style) {
  const auto found = entries_.find(KeyView{text, style});
  if (found == entries_.end()) return {};
  found->second.lastUse = ++useCounter_;
  return found->second.surface;
}

void TextCache::insert(std::string_view text, const TextStyle& style, ISurface* surface) {
  if (!surface) return;
  Entry entry{Ref<ISurface>::retain(surface), surfaceBytes(*surface), ++useCounter_};
  const auto found = entries_.find(KeyView{text, style});
  if (found != entries_.end()) {
    bytesInUse_ -= found->second.bytes;
    bytesInUse_ += entry.bytes;
    found->second = std::move(entry);
    return;
  }
  bytesInUse_ += entry.bytes;
  entries_.emplace(Key{std::string(text), style}, std::move(entry));
}

void TextCache::trimIfFull() {
  if (bytesInUse_ < kLimit) return;
  std::vector<decltype(entries_)::iterator> order;
  order.reserve(entries_.size());
  for (auto it = entries_.begin(); it != entries_.end(); ++it) order.push_back(it);
  // Least recent first: those go first.
  std::sort(order.begin(), order.end(),
            [](const auto& a, const auto& b) { return a->second.lastUse < b->second.lastUse; });
  for (const auto& it : order) {
    if (bytesInUse_ < kLowMark) break;
    bytesInUse_ -= it->second.bytes;
    entries_.erase(it);  // releases the entry's reference
  }
}

void TextCache::clear() {
  entries_.clear();
  bytesInUse_ = 0;
}

}  // namespace tamblet
