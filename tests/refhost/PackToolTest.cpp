// Runs the built tamblet-pack binary as a user would and checks its exit codes and exact output.
#include <gtest/gtest.h>
#ifdef TAMBLET_PACK_PATH
#include <sys/wait.h>
#endif

#include <cstdlib>
#include <string>

#include "tests/refhost/HostFixture.h"

namespace refhost::testing {
namespace {

#ifdef TAMBLET_PACK_PATH

struct ToolRun {
  int exitCode;
  std::string out, err;
};

class PackToolTest : public ::testing::Test {
 protected:
  // Runs the tool with these (already quoted) arguments.
  ToolRun pack(const std::string& arguments) {
    const int status = std::system(("'" + std::string(TAMBLET_PACK_PATH) + "' " + arguments + " >'" + (work_ / "out") +
                                    "' 2>'" + (work_ / "err") + "'")
                                       .c_str());
    const Bytes out = readFile(work_ / "out"), err = readFile(work_ / "err");
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, std::string(out.begin(), out.end()),
            std::string(err.begin(), err.end())};
  }
  ToolRun pack(const std::string& command, const std::string& path, const std::string& output = "") {
    return pack(command + " '" + path + "'" + (output.empty() ? "" : " '" + output + "'"));
  }

  TempFolder cgs_, work_;
};

TEST_F(PackToolTest, BuildListAndReindex) {
  writeFile(cgs_ / "CG00100.png", patternBytes(10, 1));
  writeFile(cgs_ / "CG3.bmp", Bytes(20, 9));
  writeFile(cgs_ / "readme.txt", textBytes("x"));
  const std::string archive = work_ / "cg.kov";

  ToolRun run = pack("build --force", cgs_.str(), archive);  // the bytes are no pictures: packed anyway
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "packed 2 CGs into " + archive + "\n");
  EXPECT_EQ(run.err, "tamblet-pack: warning: skipping readme.txt: not named CG<number>.<ext>\n"
                     "tamblet-pack: warning: CG3.bmp: unknown format (not BMP, JPEG or PNG); packed anyway (--force)\n"
                     "tamblet-pack: warning: CG00100.png: unknown format (not BMP, JPEG or PNG); packed anyway "
                     "(--force)\n");
  run = pack("list", archive);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "3 3.bmp 20\n100 100.png 10\nindex: up to date\n");

  writeZip(archive, {{"0042.jpg", {1, 2}}}, /*append=*/true);
  const std::string entries = "3 3.bmp 20\n42 0042.jpg 2\n100 100.png 10\n";
  EXPECT_EQ(pack("list", archive).out, entries + "index: out of date (run tamblet-pack reindex)\n");
  run = pack("reindex", archive);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "index rewritten: 3 CGs\n");
  EXPECT_EQ(pack("reindex", archive).out, "index already up to date: 3 CGs\n");
  EXPECT_EQ(pack("list", archive).out, entries + "index: up to date\n");
}

TEST_F(PackToolTest, BadInputExitsWithOneAndSaysWhy) {
  const std::string archive = work_ / "cg.zep";
  ToolRun run = pack("build", cgs_ / "missing", archive);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "tamblet-pack: " + (cgs_ / "missing") + " is not a folder\n");

  run = pack("build", cgs_.str(), archive);
  EXPECT_EQ(run.exitCode, 1);  // an empty folder
  EXPECT_EQ(run.err, "tamblet-pack: no CG files (CG<number>.<ext>) in " + cgs_.str() + "\n");

  writeFile(cgs_ / "CG00005.png", {1});
  writeFile(cgs_ / "5.bmp", {2});
  run = pack("build", cgs_.str(), archive);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("CG 5 is given twice"), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(archive));

  std::filesystem::remove(cgs_ / "5.bmp");
  run = pack("build --force", cgs_.str(), work_.str());
  EXPECT_EQ(run.exitCode, 1);  // the output is a folder
  EXPECT_EQ(run.err,
            "tamblet-pack: warning: CG00005.png: unknown format (not BMP, JPEG or PNG); packed anyway (--force)\n"
            "tamblet-pack: " + work_.str() + " exists and is not a file\n");

  writeFile(archive, patternBytes(100, 8));
  for (const char* command : {"list", "verify", "reindex"}) {
    run = pack(command, archive);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "tamblet-pack: cannot read " + archive + ": Not a zip archive\n") << command;
  }
  EXPECT_EQ(readFile(archive), patternBytes(100, 8));  // left untouched

  for (const char* arguments : {"", "unpack x", "build onlyone"}) EXPECT_EQ(pack(arguments).exitCode, 1) << arguments;
  EXPECT_EQ(pack("--help").exitCode, 0);
}

#endif

}  // namespace
}  // namespace refhost::testing
