// Every exported call of the engine library as the player knows it: the name, the kind of each
// argument and of the result, and a caller compiled for exactly that C signature. This table is
// the one place where the player describes the library's boundary; binding, argument checks,
// the Lua results and the export reference (with what each export means) are all derived from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tamblet::play {

enum class ArgKind : std::uint8_t {
  kInt,          // int: a Lua integer (or integral float) in the signed 32-bit range
  kBool,         // bool: a Lua boolean, or an integer (non-zero is true)
  kFloat,        // float: any Lua number
  kIntOut,       // int&: not passed by the script; comes back as an extra result
  kIntListOut,   // int*&: not passed; comes back as a table of integers
  kString,       // string read by the export: a Lua string (UTF-8, handed over as Shift-JIS)
  kStringOut,    // string written by the export: not passed; comes back as an extra result
  kStringInOut,  // string read and rewritten: passed, and comes back as an extra result
  kText,         // address of a NUL-terminated text: a Lua string
  kArray,        // script array: a Lua table of numbers (nested tables for more dimensions)
  kStruct,       // script structure: a Lua table of members (integer, float or table of integers)
  kSurface,      // surface: a value returned by a surface export, or nil
  kInterfaceId,  // address of a 16-byte id: a Lua string in the 8-4-4-4-12 form
  kHostKernel,   // the host kernel: not passed; the player hands over its own
};

enum class ResultKind : std::uint8_t { kNone, kInt, kBool, kFloat, kSurface, kInterface };

// One argument as it is passed: every argument is a 32-bit integer, a float or an address.
union ArgSlot {
  std::int32_t i;
  float f;
  void* p;
};

union CallResult {
  std::int32_t i;
  float f;
  void* p;
};

// Calls `function` (the export's address) with `args`, one slot per argument kind.
using Invoker = CallResult (*)(void* function, const ArgSlot* args);

// What an export means to a script author, as the export reference shows it.
struct ExportDoc {
  std::string_view meaning;    // one line: what the export does
  std::string_view arguments;  // the unit or range of every argument the script passes; empty when none
  std::string_view failure;    // what the script gets back when the export fails or finds nothing
};

struct ExportSignature {
  std::string_view name;
  ResultKind result;
  std::span<const ArgKind> args;
  Invoker invoke;
  ExportDoc doc;
};

// Every export of the library, in family order.
std::span<const ExportSignature> exportTable();

// The entry of `name`, or null.
const ExportSignature* findExport(std::string_view name);

// True when the script passes a value for this kind.
bool takesScriptValue(ArgKind kind);
// True when the kind comes back to the script as an extra result.
bool returnsToScript(ArgKind kind);

// "int", "int&", "string out", ... as the reference and the error messages name them.
std::string_view kindName(ArgKind kind);
std::string_view kindName(ResultKind kind);

// "SP_SetPos(int, int, int) -> bool".
std::string describe(const ExportSignature& signature);

}  // namespace tamblet::play
