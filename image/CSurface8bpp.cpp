#include "image/CSurface8bpp.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>

namespace tamblet {

std::int32_t CSurface8bpp::AddRef() {
  return ++referenceCount_;
}

std::int32_t CSurface8bpp::Release() {
  if (referenceCount_ > 0) --referenceCount_;
  if (referenceCount_ == 0) empty(true);
  return referenceCount_;
}

std::uint8_t* CSurface8bpp::GetPixelAddress(std::int32_t x, std::int32_t y) {
  if (!pixelBase_) return nullptr;
  return pixelBase_ + static_cast<std::ptrdiff_t>(y) * pitch_ + x;
}

std::uint8_t* CSurface8bpp::GetAMapAddress(std::int32_t, std::int32_t) {
  return nullptr;
}
std::int32_t CSurface8bpp::GetWidth() {
  return width_;
}
std::int32_t CSurface8bpp::GetHeight() {
  return height_;
}
std::int32_t CSurface8bpp::GetBpp() {
  return 8;
}
std::int32_t CSurface8bpp::GetPitch() {
  return pitch_;
}
std::int32_t CSurface8bpp::GetAMapPitch() {
  return 0;
}
bool CSurface8bpp::HasPixel() {
  return pixelBase_ != nullptr;
}
bool CSurface8bpp::HasAMap() {
  return false;
}

bool CSurface8bpp::Create(std::int32_t width, std::int32_t height) {
  empty(false);  // keeps the capacity: a plane no larger than before reuses it
  if (width < 1 || height < 1) return false;
  const std::int64_t pitch = (static_cast<std::int64_t>(width) + 15) & ~std::int64_t{15};
  const std::int64_t bytes = pitch * height + 40;  // 40 spare bytes cover the alignment of the base
  if (bytes > kMaxStorage) return false;
  try {
    storage_.resize(static_cast<std::size_t>(bytes));  // zero-filled
  } catch (const std::exception&) {
    empty(true);
    return false;
  }
  const auto start = reinterpret_cast<std::uintptr_t>(storage_.data());
  pixelBase_ = storage_.data() + (((start + 7) & ~std::uintptr_t{7}) - start);
  width_ = width;
  height_ = height;
  pitch_ = static_cast<std::int32_t>(pitch);
  return true;
}

bool CSurface8bpp::PrepareEdge(std::int32_t width, std::int32_t height, std::int32_t border) {
  const std::int64_t w = (static_cast<std::int64_t>(width) + 2 * static_cast<std::int64_t>(border)) * scale_;
  const std::int64_t h = (static_cast<std::int64_t>(height) + 2 * static_cast<std::int64_t>(border)) * scale_;
  if (w < 1 || h < 1 || w > kMaxStorage || h > kMaxStorage) return false;
  if (width_ < w || height_ < h) {
    // A new plane comes zero-filled; a larger one is kept and only its work area is cleared.
    if (!Create(static_cast<std::int32_t>(w), static_cast<std::int32_t>(h))) return false;
  } else {
    for (std::int64_t y = 0; y < h; ++y) std::memset(pixelBase_ + y * pitch_, 0, static_cast<std::size_t>(w));
  }
  border_ = border;
  workWidth_ = static_cast<std::int32_t>(w);
  workHeight_ = static_cast<std::int32_t>(h);
  return true;
}

bool CSurface8bpp::buildKernel(float radius) {
  if (!std::isfinite(radius) || radius < 0.0f || radius > kMaxRadius) return false;
  const std::int64_t c = scale_ * static_cast<std::int64_t>(std::ceil(radius));
  const std::int64_t n = 2 * c + 1;
  if (n * n > kMaxStorage) return false;
  const auto cells = static_cast<std::size_t>(n * n);
  if (kernel_.size() == cells && kernelRadius_ == radius) return true;
  try {
    kernel_.resize(cells);
  } catch (const std::exception&) {
    return false;  // the old kernel and its radius stay consistent
  }
  spansUsable_ = false;
  const double reach = static_cast<double>(static_cast<float>(scale_) * radius);
  for (std::int64_t i = 0; i < n; ++i) {
    for (std::int64_t j = 0; j < n; ++j) {
      const double distance = std::sqrt(static_cast<double>((i - c) * (i - c) + (j - c) * (j - c)));
      kernel_[static_cast<std::size_t>(i * n + j)] = reach >= distance ? 255 : 0;
    }
  }
  kernelRadius_ = radius;
  spansUsable_ = findKernelSpans(n);
  return true;
}

bool CSurface8bpp::Dilate(ISurface* source, float radius) {
  if (!source || source->GetBpp() != 8 || !source->HasPixel()) return false;
  if (!std::isfinite(radius) || radius < 0.0f || radius > kMaxRadius) return false;
  const std::int64_t c = scale_ * static_cast<std::int64_t>(std::ceil(radius));
  const std::int64_t areaWidth = workWidth_ - 2 * c;
  const std::int64_t areaHeight = workHeight_ - 2 * c;
  if (areaWidth < 1 || areaHeight < 1) return true;  // the disc does not fit: nothing to grow, no kernel needed
  if (!buildKernel(radius)) return false;
  if (!pixelBase_ || width_ < workWidth_ || height_ < workHeight_) return false;

  // Read no further than the source's own plane.
  const std::int64_t columns = std::min<std::int64_t>(areaWidth, source->GetWidth());
  const std::int64_t rows = std::min<std::int64_t>(areaHeight, source->GetHeight());
  if (columns < 1 || rows < 1) return true;
  const std::uint8_t* sourceBase = source->GetPixelAddress(0, 0);
  const std::int64_t sourcePitch = source->GetPitch();
  if (!sourceBase || sourcePitch < columns) return false;

  const std::int64_t n = 2 * c + 1;
  if (!spansUsable_) {
    dilateByKernel(sourceBase, sourcePitch, columns, rows, n);
    return true;
  }
  // A run of set source pixels [first, last] ORs, in kernel row i, the union of the disc rows
  // [x + begin, x + end] for x in the run: the one span [first + begin, last + end] of 255s.
  // Rows y0..y1 with the same runs (a vertical stroke) reach target row t through kernel rows
  // t − y1 .. t − y0; disc rows nest towards the centre row c, so the one nearest c covers them all.
  try {
    findRuns(sourceBase, columns, runs_);
    for (std::int64_t y0 = 0; y0 < rows;) {
      std::int64_t y1 = y0;
      while (y1 + 1 < rows) {
        findRuns(sourceBase + (y1 + 1) * sourcePitch, columns, nextRuns_);
        if (nextRuns_ != runs_) break;
        ++y1;
      }
      if (!runs_.empty()) {
        for (std::int64_t t = y0; t <= y1 + n - 1; ++t) {
          const std::int64_t i = std::clamp(c, std::max<std::int64_t>(0, t - y1), std::min(n - 1, t - y0));
          const KernelSpan& span = spans_[static_cast<std::size_t>(i)];
          if (span.begin > span.end) continue;
          // Runs whose grown spans touch are written as one.
          std::uint8_t* target = pixelBase_ + t * pitch_;
          std::int64_t from = runs_.front().first + span.begin, to = runs_.front().last + span.end;
          for (const Run& run : runs_) {
            if (run.first + span.begin > to + 1) {
              std::memset(target + from, 255, static_cast<std::size_t>(to - from + 1));
              from = run.first + span.begin;
            }
            to = run.last + span.end;
          }
          std::memset(target + from, 255, static_cast<std::size_t>(to - from + 1));
        }
      }
      y0 = y1 + 1;
      runs_.swap(nextRuns_);  // the row that ended the block starts the next one
    }
  } catch (const std::exception&) {
    return false;  // no room for the run lists
  }
  return true;
}

// The runs of non-zero bytes in the first `columns` bytes of a row.
void CSurface8bpp::findRuns(const std::uint8_t* row, std::int64_t columns, std::vector<Run>& runs) {
  // Eight bytes at a time where they are all zero (gaps) or all non-zero (strokes).
  constexpr std::uint64_t kOnes = 0x0101010101010101ull, kHighs = 0x8080808080808080ull;
  const auto word = [row](std::int64_t x) {
    std::uint64_t value;
    std::memcpy(&value, row + x, sizeof value);
    return value;
  };
  runs.clear();
  for (std::int64_t x = 0; x < columns;) {
    while (x + 8 <= columns && word(x) == 0) x += 8;
    while (x < columns && !row[x]) ++x;
    if (x >= columns) break;
    const std::int64_t first = x;
    while (x + 8 <= columns) {
      const std::uint64_t value = word(x);
      if ((value - kOnes) & ~value & kHighs) break;  // some byte is zero
      x += 8;
    }
    while (x < columns && row[x]) ++x;
    runs.push_back({first, x - 1});
  }
}

// The set columns of each kernel row as one span; false when some row is not a single run of
// 255s or the spans do not nest towards the centre (then the kernel is ORed pixel by pixel).
bool CSurface8bpp::findKernelSpans(std::int64_t n) {
  try {
    spans_.assign(static_cast<std::size_t>(n), KernelSpan{});
  } catch (const std::exception&) {
    return false;
  }
  for (std::int64_t i = 0; i < n; ++i) {
    const std::uint8_t* row = kernel_.data() + i * n;
    std::int64_t begin = 0;
    while (begin < n && row[begin] == 0) ++begin;
    std::int64_t end = n - 1;
    while (end >= begin && row[end] == 0) --end;
    for (std::int64_t j = begin; j <= end; ++j) {
      if (row[j] != 255) return false;
    }
    spans_[static_cast<std::size_t>(i)] = {begin, end};
  }
  // Each row's span must lie within the next row's towards the centre (true of any disc).
  const auto within = [](const KernelSpan& inner, const KernelSpan& outer) {
    return inner.begin > inner.end || (outer.begin <= inner.begin && inner.end <= outer.end);
  };
  const std::int64_t c = n / 2;
  for (std::int64_t i = 0; i < n; ++i) {
    const std::int64_t toCentre = i < c ? i + 1 : i > c ? i - 1 : i;
    if (!within(spans_[static_cast<std::size_t>(i)], spans_[static_cast<std::size_t>(toCentre)])) return false;
  }
  return true;
}

void CSurface8bpp::dilateByKernel(const std::uint8_t* sourceBase, std::int64_t sourcePitch, std::int64_t columns,
                                  std::int64_t rows, std::int64_t n) {
  const std::uint8_t* kernel = kernel_.data();
  for (std::int64_t y = 0; y < rows; ++y) {
    const std::uint8_t* sourceRow = sourceBase + y * sourcePitch;
    for (std::int64_t x = 0; x < columns; ++x) {
      if (!sourceRow[x]) continue;
      // The kernel's top-left corner lands on (x, y): the disc is centred on (x + c, y + c).
      std::uint8_t* target = pixelBase_ + y * pitch_ + x;
      for (std::int64_t i = 0; i < n; ++i, target += pitch_) {
        const std::uint8_t* kernelRow = kernel + i * n;
        for (std::int64_t j = 0; j < n; ++j) target[j] |= kernelRow[j];
      }
    }
  }
}

void CSurface8bpp::empty(bool releaseMemory) {
  if (releaseMemory) {
    std::vector<std::uint8_t>().swap(storage_);
  } else {
    storage_.clear();
  }
  pixelBase_ = nullptr;
  width_ = 0;
  height_ = 0;
  pitch_ = 0;
}

}  // namespace tamblet
