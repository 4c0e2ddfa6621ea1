// The export reference of the guide, generated from the export table: per export the Lua
// arguments and results, one line of meaning, the unit or range of every argument and what a
// failure answers. `tamblet-play --list-exports --markdown` prints it; the guide holds a copy.
#pragma once

#include <string>

#include "tools/play/ExportTable.h"

namespace tamblet::play {

// The whole reference as a Markdown table, one row per export in table order.
std::string exportReferenceMarkdown();

// How an argument or result kind looks from Lua: "integer", "table of integers", ...
std::string luaKindName(ArgKind kind);
std::string luaKindName(ResultKind kind);

}  // namespace tamblet::play
