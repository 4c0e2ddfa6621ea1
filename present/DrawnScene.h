// What the software view drew last time, sprite by sprite: the effective state of every drawn sprite (everything
// the compositor reads from it) and the rectangle it reached. Comparing the live table with it gives the damage of
// the next frame: the old and the new reach of every sprite that changed, appeared or went away. A pixel that no
// such sprite reaches is drawn by unchanged sprites in an unchanged order, so it keeps its bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "compose/PixelRect.h"
#include "compose/SceneCompositor.h"
#include "present/DamageRects.h"
#include "sprite/SpriteTable.h"

namespace tamblet {

class DrawnScene {
 public:
  // Compares `table`, drawn with `offset` onto `damage`'s screen, with what was drawn last time, adds the damage to
  // `damage` and remembers `table` as drawn. A changed offset, a full `damage` or nothing remembered damage the whole
  // screen. When memory runs out the whole screen is damaged and nothing is remembered.
  void update(const SpriteTable& table, SceneCompositor::Offset offset, DamageRects& damage);

  // Forgets what was drawn: the next update damages the whole screen.
  void forget();

 private:
  // The effective state of one drawn sprite; equal looks draw equal pixels (given equal surroundings).
  struct Look {
    std::int32_t number = 0;
    std::int32_t x = 0, y = 0, z = 0;  // also the draw order, for transformed sprites too
    std::int32_t blendRate = 0, drawMethod = 0, transformMode = 0, textureFilterType = 0;
    std::int32_t multiply[4] = {}, add[4] = {};
    const ISurface* surface = nullptr;
    std::uint64_t surfaceStamp = 0;
    // Without transform: the surface area and the alpha clipper as found in the table.
    std::int32_t area[4] = {};
    std::int32_t clipperNumber = -1;
    bool clipperFound = false;
    std::int32_t clipperX = 0, clipperY = 0;
    const ISurface* clipperSurface = nullptr;
    std::uint64_t clipperStamp = 0;
    // With transform: the corners' x, y, z, w, u, v as bit patterns, so NaN equals itself and -0 differs from 0.
    std::uint32_t corners[4][6] = {};

    friend bool operator==(const Look&, const Look&) = default;
  };
  struct Drawn {
    Look look;
    PixelRect reach;
  };

  static bool drawnAtAll(const SpriteRecord& record);
  static Look lookOf(const SpriteRecord& record, const SpriteTable& table);
  // lookOf(record, table) == look, without building the look: the frame with nothing changed is all this.
  static bool looksAs(const Look& look, const SpriteRecord& record, const SpriteTable& table);
  // When `table` draws the same sprites as remembered, in the same numbers: damages and remembers in place the
  // ones that changed, and answers true. False as soon as a sprite appeared or went away; the sprites met before
  // then are already remembered as they are now (with their damage added), so rebuild finds them unchanged.
  bool refresh(const SpriteTable& table, SceneCompositor::Offset offset, DamageRects& damage);
  void rebuild(const SpriteTable& table, SceneCompositor::Offset offset, DamageRects& damage, bool everything);

  std::vector<Drawn> drawn_;  // in ascending sprite number
  std::vector<Drawn> next_;   // the next frame's, swapped in; both keep their capacity
  SceneCompositor::Offset offset_;
  PixelRect screen_;
  bool known_ = false;
};

}  // namespace tamblet
