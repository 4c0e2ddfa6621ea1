#include "refhost/Host.h"

#include <stdexcept>

#include "host/Modules.h"
#include "refhost/Direct3DWipe.h"
#include "refhost/PackedArchive.h"
#include "refhost/SceneWipe.h"

namespace refhost {
namespace {

Host* currentHost = nullptr;

}  // namespace

Host::Host(std::int32_t mainWidth, std::int32_t mainHeight)
    : kernel_(mainWidth, mainHeight),
      surfaceFactory_(tamblet::Ref<SurfaceFactory>::adopt(new SurfaceFactory())),
      raster_(tamblet::Ref<Raster>::adopt(new Raster())),
      compression_(tamblet::Ref<Compression>::adopt(new Compression())),
      drawPlugins_(tamblet::Ref<DrawPluginManager>::adopt(new DrawPluginManager())),
      kovFiles_(tamblet::Ref<KovFileManager>::adopt(new KovFileManager())),
      imageDecoder_(tamblet::Ref<ImageDecoder>::adopt(new ImageDecoder(*surfaceFactory_))),
      imageEncoder_(tamblet::Ref<ImageEncoder>::adopt(new ImageEncoder())) {
  if (currentHost) throw std::logic_error("refhost::Host: another host is alive");
  using namespace tamblet;
  addModule(kModulePixmapMaker, kIID_ISurfaceFactory, static_cast<ISurfaceFactory*>(surfaceFactory_.get()),
            surfaceFactory_.get());
  addModule(kModuleRasterLib, kIID_IGraph3, static_cast<IGraph3*>(raster_.get()), raster_.get());
  addModule(kModuleRenderHub, kIID_IDrawPluginManager, static_cast<IDrawPluginManager*>(drawPlugins_.get()),
            static_cast<IDrawPluginManager*>(drawPlugins_.get()));
  addModule(kModuleCompression, kIID_ICompression, static_cast<ICompression*>(compression_.get()), compression_.get());
  addModule(kModuleKOVLoader, kIID_IKOVFileManager, static_cast<IKOVFileManager*>(kovFiles_.get()), kovFiles_.get());
  addModuleFactory(kModuleZEPLoader, kIID_IPackedArchive,
                   []() -> void* { return static_cast<IPackedArchive*>(PackedArchive::create()); });
  addModule(kModuleImageDecoder, kIID_IDecodeCG, static_cast<IDecodeCG*>(imageDecoder_.get()), imageDecoder_.get());
  addModule(kModuleImageEncoder, kIID_IImageEncoder, static_cast<IImageEncoder*>(imageEncoder_.get()),
            imageEncoder_.get());
  addModuleFactory(kModuleSceneWipe, kIID_ISoftwareTransition, []() -> void* {
    Host* host = Host::current();
    return host ? static_cast<ISoftwareTransition*>(SceneWipe::create(&host->surfaceFactory())) : nullptr;
  });
  addModuleFactory(kModuleSceneWipe, kIID_IDirect3DTransition,
                   []() -> void* { return static_cast<IDirect3DTransition*>(Direct3DWipe::create()); });
  addModule(kModuleHostKernel, kIID_HostKernelObject, static_cast<IHostKernel*>(&kernel_), nullptr);
  currentHost = this;
}

Host::~Host() {
  kernel_.callback().releaseEngineObject();
  SceneWipe::clearRuleImages();  // rule images are registered with this host only
  currentHost = nullptr;
}

Host* Host::current() {
  return currentHost;
}

void* Host::moduleInterface(const char* module, const tamblet::InterfaceId* id) {
  if (!currentHost || !module || !id) return nullptr;
  try {
    return currentHost->answer(module, *id);
  } catch (...) {
    return nullptr;  // out of memory comparing names: the module answers nothing
  }
}

void Host::addModule(const char* module, const tamblet::InterfaceId& id, void* object, tamblet::IInterface* counted) {
  modules_.push_back({module, id, object, counted, nullptr});
}

void Host::addModuleFactory(const char* module, const tamblet::InterfaceId& id, ModuleFactory make) {
  modules_.push_back({module, id, nullptr, nullptr, make});
}

void* Host::answer(const char* module, const tamblet::InterfaceId& id) {
  if (withheldModules_.contains(module)) return nullptr;
  for (const Module& entry : modules_) {
    if (entry.name != module || entry.id != id) continue;
    if (entry.make) return entry.make();
    if (entry.counted) entry.counted->AddRef();
    return entry.object;
  }
  return nullptr;
}

}  // namespace refhost
