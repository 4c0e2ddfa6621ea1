// Loose CG files, used only in debug mode: colour images "CG\CG%05d.<bmp|jpg|png>" and alpha
// images "CG\SP\CG%05d.bmp". Both folders are listed once when the store is built; lookups test
// the in-memory name sets (byte for byte, so case-sensitive) and read only the chosen files.
#pragma once

#include <cstdint>
#include <set>
#include <string>

#include "host/Modules.h"
#include "host/Surface.h"

namespace tamblet {

class LooseCgStore {
 public:
  // Clears both name sets, takes the enabled flag and, when set, lists the two folders.
  // A listing that runs out of memory leaves the store empty (and so every lookup failing).
  void build(bool enabled) noexcept;

  bool enabled() const { return enabled_; }

  // The colour file name for `cg` (first of bmp, jpg, png present), or empty.
  std::string colourName(std::int32_t cg) const;
  // True when the store is enabled and holds a colour image for `cg`; alpha images do not count.
  bool exists(std::int32_t cg) const;

  // The CG decoded from its loose file(s), with one reference for the caller, or null. With an
  // alpha image, the result is a new surface whose alpha byte comes from it; any mismatch of the
  // two images (depth, planes, size) makes the loose CG unavailable.
  ISurface* load(std::int32_t cg, IDecodeCG* decoder, ISurfaceFactory* factory) const;

  // Directly filled sets, for tests that do not want to touch the file system.
  void setNames(std::set<std::string> colourNames, std::set<std::string> alphaNames);

 private:
  bool enabled_ = false;
  std::set<std::string> colourNames_;
  std::set<std::string> alphaNames_;
};

// Decodes a whole file with the decoder; null when it cannot be read, is empty or does not decode.
ISurface* decodeWholeFile(const std::string& path, IDecodeCG* decoder);

}  // namespace tamblet
