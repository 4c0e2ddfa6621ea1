// tamblet-pack's checks: each broken kind of picture is refused with its file name and reason (and
// nothing is written), --force packs it with a warning, verify reports the same reason for the
// packed entry, and badly named files are skipped with a warning.
#include <gtest/gtest.h>
#include <unistd.h>

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
  const char* file;
  Bytes (*bytes)();
  const char* limit;       // --max-size, or null
  const char* packLine;    // what build says on stderr
  const char* verifyLine;  // what verify says about the forced entry, or null when nothing is packed
};

const BrokenCase kCases[] = {
    {"truncated", "CG2.png", truncatedPng, nullptr, "tamblet-pack: CG2.png: refused: PNG: truncated\n",
     "CG 2 (2.png): refused: PNG: truncated\n"},
    {"zero-byte", "CG2.png", [] { return Bytes(); }, nullptr, "tamblet-pack: CG2.png: refused: empty\n",
     "CG 2 (2.png): refused: empty\n"},
    {"corrupt", "CG2.png", corruptPng, nullptr, "tamblet-pack: CG2.png: refused: PNG: IHDR: CRC error\n",
     "CG 2 (2.png): refused: PNG: IHDR: CRC error\n"},
    {"too large", "CG2.png", hugePng, nullptr, "tamblet-pack: CG2.png: refused: PNG: too large: 60000 × 60000\n",
     "CG 2 (2.png): refused: PNG: too large: 60000 × 60000\n"},
    {"over the limit", "CG2.png", goodPng, "4x4", "tamblet-pack: CG2.png: refused: too large: 8 × 6 (limit 4 × 4)\n",
     "CG 2 (2.png): refused: too large: 8 × 6 (limit 4 × 4)\n"},
    {"unknown format", "CG2.bmp", [] { return Bytes{'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'}; }, nullptr,
     "tamblet-pack: CG2.bmp: refused: unknown format (not BMP, JPEG or PNG)\n",
     "CG 2 (2.bmp): refused: unknown format (not BMP, JPEG or PNG)\n"},
    {"badly named", "picture2.png", goodPng, nullptr,
     "tamblet-pack: warning: skipping picture2.png: not named CG<number>.<ext>\n", nullptr},
};

class PackChecksTest : public ::testing::TestWithParam<BrokenCase> {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("tamblet_pack_checks_" + std::to_string(::getpid()));
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
  const bool refuses = broken.verifyLine != nullptr;

  std::ostringstream out, err;
  EXPECT_EQ(tamblet::pack::buildArchive((root_ / "pictures").string(), archive, options, out, err), refuses ? 1 : 0);
  EXPECT_NE(err.str().find(broken.packLine), std::string::npos) << err.str();
  EXPECT_EQ(fs::exists(archive), !refuses) << "a refused picture leaves no archive";
  if (!refuses) return;

  options.force = true;
  std::ostringstream forcedOut, forcedErr;
  EXPECT_EQ(tamblet::pack::buildArchive((root_ / "pictures").string(), archive, options, forcedOut, forcedErr), 0);
  EXPECT_NE(forcedErr.str().find("; packed anyway (--force)\n"), std::string::npos) << forcedErr.str();

  std::ostringstream verifyOut, verifyErr;
  EXPECT_EQ(tamblet::pack::verifyArchive(archive, options.limit, verifyOut, verifyErr), 1);
  EXPECT_EQ(verifyOut.str(), std::string("CG 1 (1.png): ") +
                                 (broken.limit ? "refused: too large: 8 × 6 (limit 4 × 4)\n" : "ok, PNG 8 × 6\n") +
                                 broken.verifyLine + "2 CGs, " + (broken.limit ? "2" : "1") + " failed\n");
}

std::string caseName(const ::testing::TestParamInfo<BrokenCase>& tested) {
  std::string name = tested.param.kind;
  for (char& c : name) c = c == ' ' || c == '-' ? '_' : c;
  return name;
}

INSTANTIATE_TEST_SUITE_P(BrokenKinds, PackChecksTest, ::testing::ValuesIn(kCases), caseName);

TEST(PackVerifyTest, AnArchiveThatIsNotOneIsReportedWithLibzipsReason) {
  const fs::path path = fs::temp_directory_path() / ("tamblet_pack_junk_" + std::to_string(::getpid()));
  writeBytes(path, Bytes(3000, 0x5A));
  std::ostringstream out, err;
  EXPECT_EQ(tamblet::pack::verifyArchive(path.string(), {}, out, err), 1);
  EXPECT_EQ(err.str(), "tamblet-pack: cannot read " + path.string() + ": Not a zip archive\n");
  fs::remove(path);
}

}  // namespace
