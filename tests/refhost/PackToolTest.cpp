// Runs the built tamblet-pack binary as a user would and checks its exit codes and exact output.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "tests/refhost/ArchiveFiles.h"

namespace refhost::testing {
namespace {

#ifdef TAMBLET_PACK_PATH

struct ToolRun {
  int exitCode;
  std::string out;
  std::string err;
};

class PackToolTest : public ::testing::Test {
 protected:
  ToolRun pack(const std::string& arguments) {
    const std::string command = std::string("'") + TAMBLET_PACK_PATH + "' " + arguments + " >'" + (work_ / "out") +
                                "' 2>'" + (work_ / "err") + "'";
    const int status = std::system(command.c_str());
    const Bytes out = readFile(work_ / "out"), err = readFile(work_ / "err");
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, std::string(out.begin(), out.end()),
            std::string(err.begin(), err.end())};
  }
  static std::string quoted(const std::string& path) { return "'" + path + "'"; }

  TempFolder cgs_, work_;
};

TEST_F(PackToolTest, BuildListAndReindex) {
  writeFile(cgs_ / "CG00100.png", patternBytes(10, 1));
  writeFile(cgs_ / "3.bmp", Bytes(20, 9));
  writeFile(cgs_ / "readme.txt", textBytes("x"));
  const std::string archive = work_ / "cg.kov";

  ToolRun run = pack("build " + quoted(cgs_.path().string()) + " " + quoted(archive));
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "packed 2 CGs into " + archive + "\n");
  EXPECT_EQ(run.err, "tamblet-pack: ignoring readme.txt (not a CG file name)\n");

  run = pack("list " + quoted(archive));
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "3 3.bmp 20\n100 100.png 10\nindex: up to date\n");

  writeZip(archive, {{"0042.jpg", {1, 2}}}, /*append=*/true);
  run = pack("list " + quoted(archive));
  EXPECT_EQ(run.out, "3 3.bmp 20\n42 0042.jpg 2\n100 100.png 10\nindex: out of date (run tamblet-pack reindex)\n");
  run = pack("reindex " + quoted(archive));
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "index rewritten: 3 CGs\n");
  run = pack("reindex " + quoted(archive));
  EXPECT_EQ(run.out, "index already up to date: 3 CGs\n");
  EXPECT_EQ(pack("list " + quoted(archive)).out, "3 3.bmp 20\n42 0042.jpg 2\n100 100.png 10\nindex: up to date\n");
}

TEST_F(PackToolTest, BadInputExitsWithOneAndSaysWhy) {
  const std::string archive = work_ / "cg.zep";
  ToolRun run = pack("build " + quoted(cgs_ / "missing") + " " + quoted(archive));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "tamblet-pack: " + (cgs_ / "missing") + " is not a folder\n");

  run = pack("build " + quoted(cgs_.path().string()) + " " + quoted(archive));
  EXPECT_EQ(run.exitCode, 1);  // an empty folder
  EXPECT_EQ(run.err,
            "tamblet-pack: no CG files (CG<number>.<ext> or <number>.<ext>) in " + cgs_.path().string() + "\n");

  writeFile(cgs_ / "CG00005.png", {1});
  writeFile(cgs_ / "5.bmp", {2});
  run = pack("build " + quoted(cgs_.path().string()) + " " + quoted(archive));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("CG 5 is given twice"), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(archive));

  std::filesystem::remove(cgs_ / "5.bmp");
  run = pack("build " + quoted(cgs_.path().string()) + " " + quoted(work_.path().string()));
  EXPECT_EQ(run.exitCode, 1);  // the output is a folder
  EXPECT_EQ(run.err, "tamblet-pack: " + work_.path().string() + " exists and is not a file\n");

  writeFile(archive, patternBytes(100, 8));
  run = pack("list " + quoted(archive));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err.rfind("tamblet-pack: cannot read " + archive + ": ", 0), 0u) << run.err;
  EXPECT_EQ(pack("reindex " + quoted(archive)).exitCode, 1);
  EXPECT_EQ(readFile(archive), patternBytes(100, 8));  // left untouched

  EXPECT_EQ(pack("").exitCode, 1);
  EXPECT_EQ(pack("unpack x").exitCode, 1);
  EXPECT_EQ(pack("build onlyone").exitCode, 1);
  EXPECT_EQ(pack("--help").exitCode, 0);
}

#endif

}  // namespace
}  // namespace refhost::testing
