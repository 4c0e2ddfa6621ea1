// Libraries opened by path and the host modules loaded before Init, on the system's own loader:
// exports found by exact name and nothing else, refusals that name the file, and every module the
// player loads found afterwards by the engine's own lookup under the module's name (on Windows
// "HostKernel" is HostKernel.dll).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/SystemServices.h"
#include "tests/support/Portable.h"
#include "tools/common/SharedLibrary.h"
#include "tools/play/HostModules.h"

namespace {

namespace fs = std::filesystem;
using tamblet::tools::moduleFileName;
using tamblet::tools::SharedLibrary;

std::string modulePath(const char* module) { return (fs::path(TAMBLET_MODULES_DIR) / moduleFileName(module)).string(); }

TEST(SharedLibrary, FindsExportsByExactNameOnly) {
  const struct {
    std::string path;
    const char* present;  // an export the library has
    const char* absent;   // a name it does not export (a near miss of a real one)
  } opens[] = {{TAMBLET_ENGINE_LIBRARY, "GetScreenWidth", "GetScreenwidth"},
               {modulePath("KOVLoader.dll"), "CreateInterface", "GetInterface"},
               {modulePath("HostKernel"), "GetInterface", "CreateInterface"}};  // no extension given
  for (const auto& [path, present, absent] : opens) {
    std::string why;
    const SharedLibrary library(path, SharedLibrary::Scope::Private, &why);
    ASSERT_TRUE(library.open()) << why;
    EXPECT_NE(library.symbol(present), nullptr) << path;
    EXPECT_EQ(library.symbol(absent), nullptr) << path;
    EXPECT_EQ(library.symbol(""), nullptr) << path;
  }
}

TEST(SharedLibrary, RefusesWhatIsNotALibraryAndNamesTheFile) {
  const fs::path folder = tamblet::testing::makeScratchFolder("tamblet-shared-library");
  std::ofstream(folder / "NotALibrary.dll") << "plain text, not a library\n";
  for (const fs::path& path : {folder / "NotALibrary.dll", folder / "Missing.dll"}) {
    std::string why;
    const SharedLibrary library(path.string(), SharedLibrary::Scope::Private, &why);
    EXPECT_FALSE(library.open());
    EXPECT_EQ(library.symbol("CreateInterface"), nullptr);
    EXPECT_NE(why.find(path.filename().string()), std::string::npos) << why;
  }
  fs::remove_all(folder);
}

TEST(HostModules, SortsEveryModuleIntoLoadedMissingOrFailed) {
  const struct {
    std::vector<std::string> junkFiles;  // module names given a file that is no library, in list order
    bool realFolder;                     // the build's module folder, or an empty scratch one
    std::size_t loaded, missing, failed;
  } loads[] = {{{}, true, 10, 0, 0}, {{}, false, 0, 10, 0}, {{"HostKernel", "KOVLoader.dll"}, false, 0, 8, 2}};
  for (const auto& load : loads) {
    const fs::path scratch = tamblet::testing::makeScratchFolder("tamblet-host-modules");
    for (const std::string& module : load.junkFiles) std::ofstream(scratch / moduleFileName(module)) << "junk";
    const auto result = tamblet::play::loadHostModules(load.realFolder ? TAMBLET_MODULES_DIR : scratch.string());
    fs::remove_all(scratch);
    EXPECT_EQ(result.loaded.size(), load.loaded);
    EXPECT_EQ(result.missing.size(), load.missing);
    ASSERT_EQ(result.failed.size(), load.failed);
    for (std::size_t i = 0; i < result.failed.size(); ++i)  // "name: reason", in the order of the module list
      EXPECT_EQ(result.failed[i].rfind(load.junkFiles[i] + ": ", 0), 0u) << result.failed[i];
  }
  // The engine looks each module up by its name among the loaded ones, never loading it itself.
  auto& resolver = tamblet::platform::systemModuleResolver();
  for (const std::string& module : tamblet::play::hostModuleNames()) {
    const char* entry = module == "HostKernel" ? "GetInterface" : "CreateInterface";
    EXPECT_NE(resolver.findSymbol(module.c_str(), entry), nullptr) << module;
  }
}

}  // namespace
