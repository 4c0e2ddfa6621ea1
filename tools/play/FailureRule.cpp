#include "tools/play/FailureRule.h"

namespace tamblet::play {
namespace {

using Match = QueryRule::Match;

constexpr QueryRule kQueryRules[] = {
    {Match::kNameHolds, "_Get", "a getter: false or none is the value asked for (SP_GetShow, KEY_GetState, ...)"},
    {Match::kNameHolds, "_Is", "a yes-or-no question (SP_IsUsing, SP_IsPtIn, CG_IsExist, Key_IsDown, ...)"},
    {Match::kExactName, "SP_ExistAlpha", "a yes-or-no question: the sprite's picture has no alpha"},
};

}  // namespace

std::span<const QueryRule> queryRules() {
  return kQueryRules;
}

bool isQuery(std::string_view exportName) {
  for (const QueryRule& rule : kQueryRules) {
    const bool matches = rule.match == Match::kExactName ? exportName == rule.text
                                                         : exportName.find(rule.text) != std::string_view::npos;
    if (matches) return true;
  }
  return false;
}

std::string_view failureAnswer(const ExportSignature& signature) {
  if (isQuery(signature.name)) return {};
  switch (signature.result) {
    case ResultKind::kBool:
    case ResultKind::kInterface:
      return "false";  // the script learns whether an object was handed out
    case ResultKind::kSurface:
      return "nil";
    default:
      return {};
  }
}

bool answerIsFailure(const ExportSignature& signature, CallResult result) {
  if (failureAnswer(signature).empty()) return false;
  return signature.result == ResultKind::kBool ? result.i == 0 : result.p == nullptr;
}

}  // namespace tamblet::play
