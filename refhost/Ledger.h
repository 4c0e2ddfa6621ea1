// The reference host's live-object ledger: every object the reference host makes is counted
// from construction to destruction, by kind, so tests can assert that every reference the
// engine took was given back (the count returns to where it started).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace refhost {

class Ledger {
 public:
  static void objectCreated(const char* kind);
  static void objectDestroyed(const char* kind);

  // Objects alive now, in all and of one kind.
  static std::int64_t liveObjects();
  static std::int64_t liveObjects(const std::string& kind);
  static std::map<std::string, std::int64_t> liveObjectsByKind();

  // While tracing, every Release call on a counted reference-host object is recorded by the
  // object's address, in call order, so tests can check the order in which a guest lets go.
  static void startReleaseTrace();
  static std::vector<const void*> stopReleaseTrace();
  static void releaseCalled(const void* object);
};

// Base of every counted reference-host object: counts itself in the ledger under its kind.
class LedgerEntry {
 public:
  explicit LedgerEntry(const char* kind) : kind_(kind) { Ledger::objectCreated(kind_); }
  LedgerEntry(const LedgerEntry& other) : kind_(other.kind_) { Ledger::objectCreated(kind_); }
  LedgerEntry& operator=(const LedgerEntry&) = delete;
  ~LedgerEntry() { Ledger::objectDestroyed(kind_); }

 private:
  const char* kind_;
};

}  // namespace refhost
