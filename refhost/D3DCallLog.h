// The reference Direct3D device's recording and failure injection, shared by the device and the
// resources it makes: one line per call while recording, and the nth future call of a named
// operation answering D3DERR_INVALIDCALL.
//
// Line format: Name(arg, arg, ...) for device calls and label.Name(arg, ...) for calls on a
// resource (tex#N, vb#N, surf#N, numbered per kind in creation order from 1). Integers are decimal,
// floats %g, resources by label, null pointers as null, rectangles as {left, top, right, bottom}.
// Out-parameters are left out. AddRef, Release and QueryInterface are not recorded: they are
// bookkeeping, and the ledger and reference counts pin them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <type_traits>
#include <vector>

namespace refhost {

class D3DCallLog {
 public:
  // Text put into a line as it is (a rectangle, a pointer the caller described).
  struct Text {
    std::string text;
  };

  void setRecording(bool on) { recording_ = on; }
  bool recording() const { return recording_; }
  const std::vector<std::string>& calls() const { return lines_; }
  void clear() { lines_.clear(); }

  // The nth future call (1 = next) of `operation` fails. Several injections for one operation
  // count down side by side.
  void failCall(const std::string& operation, int nth);

  // Names an object for the lines (its label) until forget().
  void name(const void* object, std::string label) { labels_[object] = std::move(label); }
  void forget(const void* object) { labels_.erase(object); }
  std::string label(const void* object) const;

  // Records the call (when recording) and counts it against the injections: true when this call
  // is to fail. `on` is the label of the resource called, or null for the device.
  template <class... Args>
  bool enter(const char* on, const char* operation, const Args&... args) {
    const bool fail = consume(operation);
    if (recording_) {
      std::string line = on ? std::string(on) + "." + operation + "(" : std::string(operation) + "(";
      [[maybe_unused]] bool first = true;
      ((append(line, args, first)), ...);
      line += ")";
      lines_.push_back(std::move(line));
    }
    return fail;
  }

 private:
  bool consume(const std::string& operation);

  template <class T>
  void append(std::string& line, const T& value, bool& first) {
    if (!first) line += ", ";
    first = false;
    if constexpr (std::is_same_v<T, Text>) {
      line += value.text;
    } else if constexpr (std::is_floating_point_v<T>) {
      char buffer[32];
      std::snprintf(buffer, sizeof buffer, "%g", static_cast<double>(value));
      line += buffer;
    } else if constexpr (std::is_pointer_v<T> || std::is_null_pointer_v<T>) {
      line += label(value);
    } else if constexpr (std::is_enum_v<T>) {
      line += std::to_string(static_cast<std::int64_t>(value));
    } else {
      line += std::to_string(value);
    }
  }

  bool recording_ = false;
  std::vector<std::string> lines_;
  std::map<std::string, std::vector<int>> failures_;
  std::map<const void*, std::string> labels_;
};

}  // namespace refhost
