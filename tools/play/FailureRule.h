// Which answers of an export the player counts as a failure. The rule: an export answering a
// boolean failed when it answers false, one answering a surface or an object failed when it
// answers none; exports answering an integer, a number or nothing never count, since every value
// they give is an answer. Queries are exempt: for them false or none is a normal answer. Which
// exports are queries is decided by the one table queryRules() (see tools/play/README.md).
#pragma once

#include <span>
#include <string_view>

#include "tools/play/ExportTable.h"

namespace tamblet::play {

struct QueryRule {
  enum class Match { kNameHolds, kExactName };
  Match match;
  std::string_view text;
  std::string_view why;  // what the false or empty answer means for these exports
};

// The exports whose false or empty answer is a normal answer, not a failure.
std::span<const QueryRule> queryRules();

// True when the export is a query by queryRules().
bool isQuery(std::string_view exportName);

// True when `result` is the failure answer of this export by the rule above.
bool answerIsFailure(const ExportSignature& signature, CallResult result);

// How the failure answer looks from the script: "false" or "nil"; empty for exports that never fail.
std::string_view failureAnswer(const ExportSignature& signature);

}  // namespace tamblet::play
