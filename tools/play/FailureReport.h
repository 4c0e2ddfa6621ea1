// What the player tells an author about failures: the reference host's reasons (an archive that
// cannot be opened, bytes the decoder refuses) and every export call that answered failure
// (FailureRule.h), one line each naming the call and its arguments. Lines that arrive outside a
// script's call (during Init) are start-up problems, always shown; the others are shown in debug
// mode, at most a few per export, and all are counted for a summary at the end of the run. In
// strict mode a call's lines become the script error of that call instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tools/play/ExportTable.h"

namespace tamblet::play {

// What the export bridge tells around each call the script makes.
class CallWatcher {
 public:
  virtual ~CallWatcher() = default;
  virtual void beforeCall() = 0;
  // The text of a script error to raise instead of the answer, or empty. `arguments` formats the
  // script's arguments ("1, 12") and is called only when there is something to say.
  virtual std::string afterCall(const ExportSignature& signature, std::span<const ArgSlot> slots, CallResult result,
                                const std::function<std::string()>& arguments) = 0;
};

class FailureReport final : public CallWatcher {
 public:
  static constexpr int kShownPerExport = 3;

  // `show`: print call lines (debug mode); `strict`: turn them into script errors instead.
  FailureReport(std::ostream& err, bool show, bool strict) : err_(err), show_(show), strict_(strict) {}

  // Answers whether the engine has CG `cg` in any source (none when it cannot tell); used to
  // explain a failed call that names a CG and got no other reason.
  void setCgProbe(std::function<std::optional<bool>(std::int32_t cg)> probe) { cgProbe_ = std::move(probe); }

  // One line from the host's diagnostic sink.
  void hostLine(std::string_view line);

  void beforeCall() override;
  std::string afterCall(const ExportSignature& signature, std::span<const ArgSlot> slots, CallResult result,
                        const std::function<std::string()>& arguments) override;

  // Host lines that arrived outside a script's call since the last look, taken away.
  std::vector<std::string> takeLooseLines();

  // Calls with problems, by export name.
  const std::map<std::string, std::int64_t, std::less<>>& counts() const { return counts_; }
  // One summary line ("tamblet-play: ...\n") when there were problems; nothing otherwise.
  void printSummary() const;

 private:
  std::string noSourceNote(const ExportSignature& signature, std::span<const ArgSlot> slots);

  std::ostream& err_;
  bool show_;
  bool strict_;
  bool inCall_ = false;
  std::vector<std::string> callLines_;
  std::vector<std::string> looseLines_;
  std::map<std::string, std::int64_t, std::less<>> counts_;
  std::function<std::optional<bool>(std::int32_t)> cgProbe_;
};

}  // namespace tamblet::play
