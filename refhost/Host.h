// The reference host: the kernel with its services and script VM, and the host modules
// (PixmapMaker.dll, RasterLib.dll, RenderHub.dll, OssmerCompressionLibrary.dll, KOVLoader.dll,
// ZEPLoader.dll, ImageDecoder.dll, ImageEncoder.dll, SceneWipe.dll with its software and Direct3D
// transitions, and HostKernel).
// One host exists per process at a time; the modules' entry points reach it through current().
// Every module can be withheld: its entry point then answers null, as if the module had nothing.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "host/InterfaceId.h"
#include "host/Ref.h"
#include "refhost/Compression.h"
#include "refhost/DrawPluginManager.h"
#include "refhost/ImageDecoder.h"
#include "refhost/ImageEncoder.h"
#include "refhost/Kernel.h"
#include "refhost/KovFileManager.h"
#include "refhost/Ledger.h"
#include "refhost/Raster.h"
#include "refhost/SurfaceFactory.h"

namespace refhost {

class Host {
 public:
  // Throws std::logic_error when another host is alive.
  explicit Host(std::int32_t mainWidth = 640, std::int32_t mainHeight = 480);
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;
  // Shuts down as a host does: releases the engine object (the library tears down), then drops
  // its own references to the modules. Objects someone still holds stay alive (and in the ledger).
  ~Host();

  static Host* current();

  // A module's entry point: the interface `module` answers for `id`, with one reference for the
  // caller when it is counted; null without a host, for another id, or while the module is withheld.
  static void* moduleInterface(const char* module, const tamblet::InterfaceId* id);

  void withholdModule(const std::string& module) { withheldModules_.insert(module); }
  void restoreModule(const std::string& module) { withheldModules_.erase(module); }
  // Adds a module answering `id` with `object` (AddRef per answer when `counted` is set); later
  // modules are added this way. The host keeps whatever reference the module needs itself.
  void addModule(const char* module, const tamblet::InterfaceId& id, void* object, tamblet::IInterface* counted);
  // Adds a module whose every answer for `id` is a new object made by `make` (one reference for
  // the caller, or null), as ZEPLoader.dll makes one unopened archive per request.
  using ModuleFactory = void* (*)();
  void addModuleFactory(const char* module, const tamblet::InterfaceId& id, ModuleFactory make);

  // The game's CG archive file, handed out by KOVLoader.dll (empty: none, GetFile(0) gives null).
  // The packed archive "CG.zep" needs no setting: the library builds its path from the game path.
  void setCgArchivePath(std::string path) { kovFiles_->setCgArchivePath(std::move(path)); }
  const std::string& cgArchivePath() const { return kovFiles_->cgArchivePath(); }

  Kernel& kernel() { return kernel_; }
  ScriptVM& vm() { return kernel_.vm(); }
  MainSurface& mainSurface() { return kernel_.mainSurface(); }
  SurfaceFactory& surfaceFactory() { return *surfaceFactory_; }
  Raster& raster() { return *raster_; }
  Compression& compression() { return *compression_; }
  DrawPluginManager& drawPlugins() { return *drawPlugins_; }
  KovFileManager& kovFiles() { return *kovFiles_; }
  ImageDecoder& imageDecoder() { return *imageDecoder_; }
  ImageEncoder& imageEncoder() { return *imageEncoder_; }

 private:
  struct Module {
    std::string name;
    tamblet::InterfaceId id;
    void* object;
    tamblet::IInterface* counted;
    ModuleFactory make;
  };

  void* answer(const char* module, const tamblet::InterfaceId& id);

  LedgerEntry ledger_{"Host"};
  Kernel kernel_;
  tamblet::Ref<SurfaceFactory> surfaceFactory_;
  tamblet::Ref<Raster> raster_;
  tamblet::Ref<Compression> compression_;
  tamblet::Ref<DrawPluginManager> drawPlugins_;
  tamblet::Ref<KovFileManager> kovFiles_;
  tamblet::Ref<ImageDecoder> imageDecoder_;
  tamblet::Ref<ImageEncoder> imageEncoder_;
  std::vector<Module> modules_;
  std::set<std::string> withheldModules_;
};

}  // namespace refhost
