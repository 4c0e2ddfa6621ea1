// A fresh reference host per test; when the test ends the host is shut down and every object
// of the reference host must be gone again.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "refhost/Host.h"
#include "refhost/Ledger.h"

namespace refhost::testing {

class HostFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    liveBefore_ = Ledger::liveObjects();
    host_.emplace();
  }

  void TearDown() override {
    host_.reset();
    EXPECT_EQ(Ledger::liveObjects(), liveBefore_) << "objects of the reference host outlived it";
  }

  Host& host() { return *host_; }
  void shutDownHost() { host_.reset(); }

  // Asks a module's entry point, as the library does.
  static void* create(const char* module, const tamblet::InterfaceId& id) { return Host::moduleInterface(module, &id); }

 private:
  std::int64_t liveBefore_ = 0;
  std::optional<Host> host_;
};

}  // namespace refhost::testing
