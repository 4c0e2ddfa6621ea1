// tamblet-pack's checks: each broken kind of picture is refused with its file name and reason (and
// nothing is written), --force packs it with a warning, and verify reports the same reason for the
// packed entry. Badly named files are skipped with a warning (the pack tool's own run checks it).
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "tests/tools/PlayerFiles.h"
#include "tools/pack/PackCommands.h"

namespace {

namespace fs = std::filesystem;
using namespace tamblet::testing;
using tamblet::pack::PackOptions;

struct BrokenCase {
  const char* kind;
  const char* file;  // CG2.<ext>
  Bytes (*bytes)();
  const char* limit;   // --max-size, or null
  const char* reason;  // what build says on refusing it, and verify about the forced entry
};

const BrokenCase kCases[] = {
    {"truncated", "CG2.png", truncatedPng, nullptr, "PNG: truncated"},
    {"zero_byte", "CG2.png", [] { return Bytes(); }, nullptr, "empty"},
    {"corrupt", "CG2.png", corruptPng, nullptr, "PNG: IHDR: CRC error"},
    {"too_large", "CG2.png", hugePng, nullptr, "PNG: too large: 60000 × 60000"},
    {"over_the_limit", "CG2.png", goodPng, "4x4", "too large: 8 × 6 (limit 4 × 4)"},
    {"unknown_format", "CG2.bmp", [] { return Bytes{'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'}; }, nullptr,
     "unknown format (not BMP, JPEG or PNG)"},
};

class PackChecksTest : public ::testing::TestWithParam<BrokenCase> {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("tamblet_pack_checks_" + std::to_string(processId()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "pictures");
    writeBytes(root_ / "pictures" / "CG1.png", goodPng());
  }
  void TearDown() override { fs::remove_all(root_); }

  fs::path root_;
};

TEST_P(PackChecksTest, RefusedWithItsReasonForcedWithAWarningAndReportedByVerify) {
  const BrokenCase& broken = GetParam();
  writeBytes(root_ / "pictures" / broken.file, broken.bytes());
  PackOptions options;
  if (broken.limit) {
    ASSERT_TRUE(tamblet::pack::parseSizeLimit(broken.limit, options.limit));
  }
  const std::string archive = (root_ / "CG.kov").string();
  std::ostringstream out, err;
  EXPECT_EQ(tamblet::pack::buildArchive((root_ / "pictures").string(), archive, options, out, err), 1);
  EXPECT_NE(err.str().find("tamblet-pack: " + std::string(broken.file) + ": refused: " + broken.reason + "\n"),
            std::string::npos)
      << err.str();
  EXPECT_FALSE(fs::exists(archive)) << "a refused picture leaves no archive";

  options.force = true;
  std::ostringstream forcedOut, forcedErr, verifyOut, verifyErr;
  EXPECT_EQ(tamblet::pack::buildArchive((root_ / "pictures").string(), archive, options, forcedOut, forcedErr), 0);
  EXPECT_NE(forcedErr.str().find("; packed anyway (--force)\n"), std::string::npos) << forcedErr.str();
  EXPECT_EQ(tamblet::pack::verifyArchive(archive, options.limit, verifyOut, verifyErr), 1);
  EXPECT_EQ(verifyOut.str(), std::string("CG 1 (1.png): ") +
                                 (broken.limit ? "refused: too large: 8 × 6 (limit 4 × 4)\n" : "ok, PNG 8 × 6\n") +
                                 "CG 2 (" + (broken.file + 2) + "): refused: " + broken.reason + "\n2 CGs, " +
                                 (broken.limit ? "2" : "1") + " failed\n");
}

INSTANTIATE_TEST_SUITE_P(BrokenKinds, PackChecksTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<BrokenCase>& tested) { return tested.param.kind; });

}  // namespace
