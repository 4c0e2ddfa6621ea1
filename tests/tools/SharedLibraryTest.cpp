// Libraries opened by path and the host modules loaded before Init, on the system's own loader:
// exports found by exact name and nothing else, refusals that name the file, and every module the
// player loads found afterwards by the engine's own lookup under the module's name (on Windows
// "HostKernel" is HostKernel.dll).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/SystemServices.h"
#include "tools/common/SharedLibrary.h"
#include "tools/play/HostModules.h"

namespace {

namespace fs = std::filesystem;
using tamblet::tools::SharedLibrary;

// A folder of its own under the system's temporary folder, removed afterwards.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& name) : path_(fs::temp_directory_path() / name) {
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code error;
    fs::remove_all(path_, error);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

std::string modulePath(const char* module) {
  return (fs::path(TAMBLET_MODULES_DIR) / tamblet::tools::moduleFileName(module)).string();
}

struct OpenCase {
  const char* name;
  std::string path;
  const char* present;  // an export the library has
  const char* absent;   // a name it does not export (a near miss of a real one)
};

const OpenCase kOpens[] = {
    {"EngineLibrary", TAMBLET_ENGINE_LIBRARY, "GetScreenWidth", "GetScreenwidth"},
    {"LoaderModule", modulePath("KOVLoader.dll"), "CreateInterface", "GetInterface"},
    {"KernelModuleWithoutExtension", modulePath("HostKernel"), "GetInterface", "CreateInterface"},
};

class Opens : public ::testing::TestWithParam<OpenCase> {};

TEST_P(Opens, FindsExportsByExactNameOnly) {
  std::string why;
  const SharedLibrary library(GetParam().path, SharedLibrary::Scope::Private, &why);
  ASSERT_TRUE(library.open()) << why;
  EXPECT_NE(library.symbol(GetParam().present), nullptr);
  EXPECT_EQ(library.symbol(GetParam().absent), nullptr);
  EXPECT_EQ(library.symbol(""), nullptr);
}

INSTANTIATE_TEST_SUITE_P(SharedLibrary, Opens, ::testing::ValuesIn(kOpens),
                         [](const auto& tested) { return std::string(tested.param.name); });

TEST(SharedLibrary, RefusesWhatIsNotALibraryAndNamesTheFile) {
  ScratchFolder folder("tamblet_shared_library_test");
  const fs::path text = folder.path() / "NotALibrary.dll";
  std::ofstream(text) << "plain text, not a library\n";
  for (const fs::path& path : {text, folder.path() / "Missing.dll"}) {
    std::string why;
    const SharedLibrary library(path.string(), SharedLibrary::Scope::Private, &why);
    EXPECT_FALSE(library.open());
    EXPECT_EQ(library.symbol("CreateInterface"), nullptr);
    EXPECT_NE(why.find(path.filename().string()), std::string::npos) << why;
  }
}

struct LoadCase {
  const char* name;
  std::vector<std::string> junkFiles;  // module names given a file that is no library, in list order
  bool realFolder;                     // the build's module folder, or an empty scratch one
  std::size_t loaded, missing, failed;
};

const LoadCase kLoads[] = {
    {"BuildFolder", {}, true, 10, 0, 0},
    {"EmptyFolder", {}, false, 0, 10, 0},
    {"JunkModules", {"HostKernel", "KOVLoader.dll"}, false, 0, 8, 2},
};

class Loads : public ::testing::TestWithParam<LoadCase> {};

TEST_P(Loads, SortsEveryModuleIntoLoadedMissingOrFailed) {
  ScratchFolder scratch("tamblet_host_modules_test");
  for (const std::string& module : GetParam().junkFiles) {
    std::ofstream(scratch.path() / tamblet::tools::moduleFileName(module)) << "junk";
  }
  const auto result =
      tamblet::play::loadHostModules(GetParam().realFolder ? TAMBLET_MODULES_DIR : scratch.path().string());
  EXPECT_EQ(result.loaded.size(), GetParam().loaded);
  EXPECT_EQ(result.missing.size(), GetParam().missing);
  ASSERT_EQ(result.failed.size(), GetParam().failed);
  for (std::size_t i = 0; i < result.failed.size(); ++i) {
    // "name: reason", in the order of the module list.
    EXPECT_EQ(result.failed[i].rfind(GetParam().junkFiles[i] + ": ", 0), 0u) << result.failed[i];
  }
  if (!GetParam().realFolder) return;
  // The engine looks each module up by its name among the loaded ones, never loading it itself.
  auto& resolver = tamblet::platform::systemModuleResolver();
  for (const std::string& module : tamblet::play::hostModuleNames()) {
    const char* entry = module == "HostKernel" ? "GetInterface" : "CreateInterface";
    EXPECT_NE(resolver.findSymbol(module.c_str(), entry), nullptr) << module;
  }
}

INSTANTIATE_TEST_SUITE_P(HostModules, Loads, ::testing::ValuesIn(kLoads),
                         [](const auto& tested) { return std::string(tested.param.name); });

}  // namespace
