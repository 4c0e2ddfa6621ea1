// The order a scene is drawn in, and the queries that walk a table. The draw list is rebuilt for
// every drawing pass from the records as they stand; Z is never kept sorted between frames.
#pragma once

#include <cstdint>
#include <vector>

#include "sprite/SpriteTable.h"

namespace tamblet {

// Replaces `list` with the table's visible records (shown, blend rate above 0; records without a
// surface, suspended and custom ones included) from back to front: ascending by signed (z, y, x),
// ties in ascending sprite number whatever the count. The pointers are borrowed and valid until
// the table changes. Reusing one vector allocates nothing once its capacity suffices; false (and
// an empty list) only when growing it fails.
bool buildDrawList(const SpriteTable& table, std::vector<SpriteRecord*>& list);

// The largest z of all records, hidden ones included; 0 for an empty table.
std::int32_t maxZ(const SpriteTable& table);

// The first free number at or above `start`: `start` itself when free, else the number after the
// run of consecutive used numbers that begins at `start`. Counting past INT_MAX wraps to INT_MIN
// (32-bit two's complement), which is then answered whether or not it is used.
std::int32_t unusedNumber(const SpriteTable& table, std::int32_t start);

// The number of records, hidden ones and ones without surface included.
std::int32_t spriteCount(const SpriteTable& table);

}  // namespace tamblet
