#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "host/Memory.h"
#include "host/Modules.h"
#include "refhost/ModuleEntryPoints.h"
#include "tests/refhost/HostFixture.h"
#include "tests/support/VTable.h"

namespace refhost::testing {
namespace {

using tamblet::testing::callSlot;

using ModulesTest = HostFixture;

struct ModuleCase {
  const char* module;
  tamblet::InterfaceId id;
  bool counted;
};

const ModuleCase kModules[] = {
    {tamblet::kModulePixmapMaker, tamblet::kIID_ISurfaceFactory, true},
    {tamblet::kModuleRasterLib, tamblet::kIID_IGraph3, true},
    {tamblet::kModuleRenderHub, tamblet::kIID_IDrawPluginManager, true},
    {tamblet::kModuleCompression, tamblet::kIID_ICompression, true},
    {tamblet::kModuleKOVLoader, tamblet::kIID_IKOVFileManager, true},
    {tamblet::kModuleZEPLoader, tamblet::kIID_IPackedArchive, true},
    {tamblet::kModuleImageDecoder, tamblet::kIID_IDecodeCG, true},
    {tamblet::kModuleImageEncoder, tamblet::kIID_IImageEncoder, true},
    {tamblet::kModuleSceneWipe, tamblet::kIID_ISoftwareTransition, true},
    {tamblet::kModuleHostKernel, tamblet::kIID_HostKernelObject, false},
};

void* callEntry(const ModuleEntryPoint& entry, const tamblet::InterfaceId& id) {
  return reinterpret_cast<tamblet::CreateInterfaceFunction>(entry.address)(&id);
}
void giveBack(const ModuleCase& module, void* answer) {
  if (answer && module.counted) static_cast<tamblet::IInterface*>(answer)->Release();
}

TEST_F(ModulesTest, EveryEntryPointAnswersItsIdAndNullWhileWithheld) {
  const std::vector<ModuleEntryPoint> entries = moduleEntryPoints();
  ASSERT_EQ(entries.size(), std::size(kModules));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const ModuleCase& module = kModules[i];
    SCOPED_TRACE(module.module);
    EXPECT_STREQ(entries[i].module, module.module);
    EXPECT_STREQ(entries[i].symbol, module.counted ? "CreateInterface" : "GetInterface");
    for (const bool withheld : {false, true, false}) {
      if (withheld) host().withholdModule(module.module);
      // Only its own id is answered, and only while not withheld; the other modules answer on.
      for (const ModuleCase& other : kModules) {
        void* answer = callEntry(entries[i], other.id);
        EXPECT_EQ(answer != nullptr, other.id == module.id && !withheld) << other.module;
        giveBack(other, answer);
        void* own = Host::moduleInterface(other.module, &other.id);
        EXPECT_EQ(own != nullptr, !withheld || other.module != module.module) << other.module;
        giveBack(other, own);
      }
      host().restoreModule(module.module);
    }
  }
  auto* kernel =
      static_cast<tamblet::IHostKernel*>(Host::moduleInterface("HostKernel", &tamblet::kIID_HostKernelObject));
  EXPECT_EQ(kernel, static_cast<tamblet::IHostKernel*>(&host().kernel()));
  EXPECT_EQ(Host::moduleInterface(nullptr, &tamblet::kIID_IGraph3), nullptr);
  EXPECT_EQ(Host::moduleInterface(tamblet::kModuleRasterLib, nullptr), nullptr);
  EXPECT_EQ(host().raster().references(), 1);
  EXPECT_EQ(host().surfaceFactory().references(), 2);  // the host's and the image decoder's

  shutDownHost();
  EXPECT_EQ(callEntry(entries[0], kModules[0].id), nullptr);  // no host, no answer
}

TEST_F(ModulesTest, ObjectsStillHeldOutliveTheHostAndShowInTheLedger) {
  auto* factory =
      static_cast<tamblet::ISurfaceFactory*>(create(tamblet::kModulePixmapMaker, tamblet::kIID_ISurfaceFactory));
  tamblet::ISurface* surface = factory->Create(2, 2, 32);
  shutDownHost();
  EXPECT_EQ(Ledger::liveObjects("SurfaceFactory"), 1);
  EXPECT_EQ(Ledger::liveObjects("Surface"), 1);
  EXPECT_EQ(surface->Release(), 0);
  EXPECT_EQ(factory->Release(), 0);
  EXPECT_EQ(Ledger::liveObjects("SurfaceFactory"), 0);
}

TEST_F(ModulesTest, DecompressFillsExactlyTheDestinationOrRefuses) {
  auto* compression =
      static_cast<tamblet::ICompression*>(create(tamblet::kModuleCompression, tamblet::kIID_ICompression));
  std::vector<std::uint8_t> original(1000);
  for (std::size_t i = 0; i < original.size(); ++i) original[i] = static_cast<std::uint8_t>(i * 7 + i / 13);
  uLongf packedSize = compressBound(original.size());
  std::vector<std::uint8_t> packed(packedSize);
  ASSERT_EQ(compress(packed.data(), &packedSize, original.data(), original.size()), Z_OK);
  const auto sourceSize = static_cast<std::uint32_t>(packedSize);

  std::vector<std::uint8_t> out(1001, 0xEE);
  EXPECT_TRUE(callSlot<bool>(compression, 2, static_cast<void*>(out.data()), 1000u,
                             static_cast<const void*>(packed.data()), sourceSize));
  EXPECT_EQ(std::memcmp(out.data(), original.data(), 1000), 0);
  EXPECT_EQ(out[1000], 0xEE);  // nothing written past the destination
  std::vector<std::uint8_t> corrupt = packed;
  corrupt[sourceSize / 2] ^= 0x55;
  // The stream longer or shorter than the destination, truncated, corrupt, or no buffer at all.
  for (const auto& [into, size, from, length] : {std::tuple{out.data(), 999u, packed.data(), sourceSize},
                                                 {out.data(), 1001u, packed.data(), sourceSize},
                                                 {out.data(), 1000u, packed.data(), sourceSize - 4},
                                                 {out.data(), 1000u, corrupt.data(), sourceSize},
                                                 {nullptr, 1000u, packed.data(), sourceSize},
                                                 {out.data(), 1000u, nullptr, sourceSize}}) {
    EXPECT_FALSE(compression->Decompress(into, size, from, length)) << size << " from " << length;
  }
  EXPECT_EQ(out[1000], 0xEE);
  EXPECT_EQ(compression->Release(), 1);
}

TEST_F(ModulesTest, DrawPluginManagerRefusesIncompleteRegistrationsAndUnknownParts) {
  auto* manager =
      static_cast<tamblet::IDrawPluginManager*>(create(tamblet::kModuleRenderHub, tamblet::kIID_IDrawPluginManager));
  int object = 0;
  EXPECT_FALSE(manager->Register(nullptr, &object));
  EXPECT_FALSE(manager->Register(&tamblet::kIID_IGraph3, nullptr));
  EXPECT_TRUE(host().drawPlugins().registrations().empty());
  EXPECT_EQ(manager->GetSubInterface(&tamblet::kIID_IGraph3), nullptr);
  callSlot<void>(manager->GetSubInterface(&tamblet::kIID_IDrawPluginUpdater), 0);
  EXPECT_EQ(host().drawPlugins().advances(), 1);
  EXPECT_EQ(manager->Release(), 1);
}

}  // namespace
}  // namespace refhost::testing
