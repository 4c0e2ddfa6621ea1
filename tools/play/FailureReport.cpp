#include "tools/play/FailureReport.h"

#include "tools/play/FailureRule.h"

namespace tamblet::play {
namespace {

// The exports that take a CG number, and which argument slot holds it.
struct CgArgument {
  std::string_view exportName;
  std::size_t slot;
};
constexpr CgArgument kCgArguments[] = {{"SP_SetCG", 1}, {"SP_SetCutCG", 1}};

std::optional<std::int32_t> cgOf(const ExportSignature& signature, std::span<const ArgSlot> slots) {
  for (const CgArgument& entry : kCgArguments) {
    if (entry.exportName == signature.name && entry.slot < slots.size()) return slots[entry.slot].i;
  }
  return std::nullopt;
}

}  // namespace

void FailureReport::hostLine(std::string_view line) {
  (inCall_ ? callLines_ : looseLines_).emplace_back(line);
}

void FailureReport::beforeCall() {
  inCall_ = true;
  callLines_.clear();
}

std::string FailureReport::afterCall(const ExportSignature& signature, std::span<const ArgSlot> slots,
                                     CallResult result, const std::function<std::string()>& arguments) {
  inCall_ = false;
  const bool failed = answerIsFailure(signature, result);
  if (!failed && callLines_.empty()) return {};

  // One line per call: the failure with the host's reasons, or each reason of a call that did
  // not fail (a picture refused on the way to an answer that still succeeded).
  const std::string call = std::string(signature.name) + "(" + arguments() + ")";
  std::vector<std::string> lines;
  if (failed) {
    std::string line = call + " answered " + std::string(failureAnswer(signature));
    for (std::size_t i = 0; i < callLines_.size(); ++i) line += (i == 0 ? ": " : "; ") + callLines_[i];
    if (callLines_.empty()) line += noSourceNote(signature, slots);
    lines.push_back(std::move(line));
  } else {
    for (const std::string& line : callLines_) lines.push_back(call + ": " + line);
  }
  callLines_.clear();

  const std::int64_t count = ++counts_[std::string(signature.name)];
  std::string joined;
  for (const std::string& line : lines) joined += (joined.empty() ? "" : "\n") + line;
  if (strict_) return joined;
  if (show_ && count <= kShownPerExport) {
    for (const std::string& line : lines) err_ << "tamblet-play: " << line << '\n';
    if (count == kShownPerExport) {
      err_ << "tamblet-play: further problems with " << signature.name << " are counted, not shown\n";
    }
  }
  return {};
}

// With no reason from the host, a CG the engine does not find anywhere is the likely one. The
// probe's own host lines, if any, say nothing new and are dropped.
std::string FailureReport::noSourceNote(const ExportSignature& signature, std::span<const ArgSlot> slots) {
  const auto cg = cgOf(signature, slots);
  if (!cg || !cgProbe_) return {};
  inCall_ = true;
  const std::optional<bool> exists = cgProbe_(*cg);
  inCall_ = false;
  callLines_.clear();
  return exists == false ? ": CG " + std::to_string(*cg) + " is in no source" : std::string();
}

std::vector<std::string> FailureReport::takeLooseLines() {
  std::vector<std::string> lines;
  lines.swap(looseLines_);
  return lines;
}

void FailureReport::printSummary() const {
  if (counts_.empty()) return;
  std::int64_t total = 0;
  std::string byExport;
  for (const auto& [name, count] : counts_) {
    total += count;
    byExport += (byExport.empty() ? "" : ", ") + name + " " + std::to_string(count);
  }
  err_ << "tamblet-play: problems in " << total << " export call" << (total == 1 ? "" : "s") << " (" << byExport << ")"
       << (show_ ? "" : "; run with --debug to see them") << '\n';
}

}  // namespace tamblet::play
