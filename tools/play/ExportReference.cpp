#include "tools/play/ExportReference.h"

namespace tamblet::play {
namespace {

// A table cell: "—" for an empty text, and no character that would end the cell or the row.
std::string cell(std::string_view text) {
  if (text.empty()) return "—";
  std::string out;
  for (char c : text) {
    if (c == '|') {
      out += "\\|";
    } else {
      out += c == '\n' ? ' ' : c;
    }
  }
  return out;
}

}  // namespace

std::string luaKindName(ArgKind kind) {
  switch (kind) {
    case ArgKind::kInt: return "integer";
    case ArgKind::kBool: return "boolean";
    case ArgKind::kFloat: return "number";
    case ArgKind::kIntOut: return "integer";
    case ArgKind::kIntListOut: return "table of integers";
    case ArgKind::kArray: return "table (array)";
    case ArgKind::kStruct: return "table (structure)";
    case ArgKind::kSurface: return "surface or nil";
    case ArgKind::kInterfaceId: return "id text";
    default: return "string";
  }
}

std::string luaKindName(ResultKind kind) {
  switch (kind) {
    case ResultKind::kInt: return "integer";
    case ResultKind::kBool: return "boolean";
    case ResultKind::kFloat: return "number";
    case ResultKind::kSurface: return "surface or nil";
    case ResultKind::kInterface: return "boolean (an object was handed out)";
    default: return "";
  }
}

std::string exportReferenceMarkdown() {
  std::string text =
      "| Export | Lua arguments | Lua results | What it does | Units and ranges | On failure |\n"
      "|---|---|---|---|---|---|\n";
  for (const ExportSignature& signature : exportTable()) {
    std::string arguments, results = luaKindName(signature.result);
    for (ArgKind kind : signature.args) {
      const std::string name = luaKindName(kind);
      if (takesScriptValue(kind)) arguments += (arguments.empty() ? "" : ", ") + name;
      if (returnsToScript(kind)) results += (results.empty() ? "" : ", ") + name;
    }
    text += "| `" + std::string(signature.name) + "` | " + cell(arguments) + " | " + cell(results) + " | " +
            cell(signature.doc.meaning) + " | " + cell(signature.doc.arguments) + " | " +
            cell(signature.doc.failure) + " |\n";
  }
  return text;
}

}  // namespace tamblet::play
