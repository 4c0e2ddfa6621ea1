// Interfaces of the host modules, each made by its module's CreateInterface export. Everything
// a module, factory, decoder or loader makes comes with one reference for the caller unless the
// operation's comment says "borrowed".
#pragma once

#include <cstdint>

#include "host/IInterface.h"
#include "host/InterfaceId.h"
#include "host/Memory.h"
#include "host/Surface.h"

namespace tamblet {

// ---- KOVLoader.dll: the CG archive file -------------------------------------------------------

struct ILinkFile : IInterface {
  virtual IMemory* TAMBLET_HOSTCALL Load(std::int32_t cg) = 0;                     // 2; bytes of the CG, or null
  virtual bool TAMBLET_HOSTCALL Exists(std::int32_t cg) = 0;                       // 3
  virtual bool TAMBLET_HOSTCALL QueryEntry(std::int32_t argument) = 0;             // 4
  virtual std::int32_t TAMBLET_HOSTCALL GetEntryCount() = 0;                       // 5
  virtual void* TAMBLET_HOSTCALL GetRecord(std::int32_t argument) = 0;             // 6; borrowed
  virtual const char* TAMBLET_HOSTCALL GetDataFileName(std::int32_t argument) = 0;  // 7; borrowed
  virtual const char* TAMBLET_HOSTCALL GetLinkFileName(std::int32_t argument) = 0;  // 8; borrowed

 protected:
  ~ILinkFile() = default;
};

struct IKOVFile : ILinkFile {
 protected:
  ~IKOVFile() = default;
};

struct IKOVFileManager : IInterface {
  virtual IKOVFile* TAMBLET_HOSTCALL GetFile(std::int32_t kind) = 0;  // 2; kind 0 = the CG archive file, or null

 protected:
  ~IKOVFileManager() = default;
};

// ---- ZEPLoader.dll: the packed CG archive "CG.zep" ---------------------------------------------

struct IPackedArchive : IInterface {
  virtual bool TAMBLET_HOSTCALL Open(const char* path) = 0;        // 2
  virtual void TAMBLET_HOSTCALL UnusedSlot3() = 0;                 // 3; not called by the engine
  virtual IMemory* TAMBLET_HOSTCALL Load(std::int32_t cg) = 0;     // 4; bytes of the CG, or null
  virtual void TAMBLET_HOSTCALL UnusedSlot5() = 0;                 // 5; not called by the engine
  virtual bool TAMBLET_HOSTCALL Exists(std::int32_t cg) = 0;       // 6
  virtual void TAMBLET_HOSTCALL UnusedSlot7() = 0;                 // 7-9: not called by the engine
  virtual void TAMBLET_HOSTCALL UnusedSlot8() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot9() = 0;
  virtual bool TAMBLET_HOSTCALL IsRebuilt() = 0;                   // 10; the archive's index is up to date

 protected:
  ~IPackedArchive() = default;
};

// ---- ImageDecoder.dll / ImageEncoder.dll -------------------------------------------------------

// Format codes of IDecodeCG::GetFormat.
enum ImageFormatCode : std::int32_t {
  kImageFormatUnknown = -1,
  kImageFormatBmp = 1,
  kImageFormatJpeg = 2,
  kImageFormatPng = 3,
};

struct IDecodeCG : IInterface {
  virtual ISurface* TAMBLET_HOSTCALL Decode(const void* data, std::uint32_t size) = 0;        // 2; new surface or null
  virtual std::int32_t TAMBLET_HOSTCALL GetFormat(const void* data, std::uint32_t size) = 0;  // 3; an ImageFormatCode

 protected:
  ~IDecodeCG() = default;
};

struct IImageEncoder : IInterface {
  // 2; the complete file image (option 0: PNG), or null.
  virtual IMemory* TAMBLET_HOSTCALL Encode(ISurface* surface, std::int32_t option) = 0;

 protected:
  ~IImageEncoder() = default;
};

// ---- RasterLib.dll ------------------------------------------------------------------------------

// Raster operations on surfaces. Every operation clips to the surfaces it touches.
struct IGraph3 : IInterface {
  virtual bool TAMBLET_HOSTCALL Initialize() = 0;  // 2
  // 3; writes B, G, R of every pixel in the rectangle; alpha is untouched. `reserved` is passed as 0.
  virtual bool TAMBLET_HOSTCALL FillColor(ISurface* surface, std::int32_t x, std::int32_t y, std::int32_t width,
                                          std::int32_t height, std::int32_t r, std::int32_t g, std::int32_t b,
                                          std::int32_t reserved) = 0;
  // 4; writes the alpha of every pixel in the rectangle (byte 3, or the alpha plane of an alpha-only surface).
  virtual bool TAMBLET_HOSTCALL FillAlpha(ISurface* surface, std::int32_t x, std::int32_t y, std::int32_t width,
                                          std::int32_t height, std::int32_t alpha) = 0;
  // 5; blends the colour (r, g, b) onto the destination through the source's alpha.
  virtual bool TAMBLET_HOSTCALL BlendColor(ISurface* destination, std::int32_t dx, std::int32_t dy, ISurface* source,
                                           std::int32_t sx, std::int32_t sy, std::int32_t width, std::int32_t height,
                                           std::int32_t r, std::int32_t g, std::int32_t b) = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot6() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot7() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot8() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot9() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot10() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot11() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot12() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot13() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot14() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot15() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot16() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot17() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot18() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot19() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot20() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot21() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot22() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot23() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot24() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot25() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot26() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot27() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot28() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot29() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot30() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot31() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot32() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot33() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot34() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot35() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot36() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot37() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot38() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot39() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot40() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot41() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot42() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot43() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot44() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot45() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot46() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot47() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot48() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot49() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot50() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot51() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot52() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot53() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot54() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot55() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot56() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot57() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot58() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot59() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot60() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot61() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot62() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot63() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot64() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot65() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot66() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot67() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot68() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot69() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot70() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot71() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot72() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot73() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot74() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot75() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot76() = 0;
  // 77; copies pixels and alpha from the source rectangle to the destination.
  virtual bool TAMBLET_HOSTCALL Copy(ISurface* destination, std::int32_t dx, std::int32_t dy, ISurface* source,
                                     std::int32_t sx, std::int32_t sy, std::int32_t width, std::int32_t height) = 0;

 protected:
  ~IGraph3() = default;
};

// ---- RenderHub.dll: the draw-plugin manager ----------------------------------------------------

struct IDrawPluginManager : IInterface {
  // 2; registers a library object under an id (the host keeps its own reference if it needs one).
  virtual bool TAMBLET_HOSTCALL Register(const InterfaceId* id, void* object) = 0;
  // 3; a sub-interface (IDrawPluginUpdater, IDrawPluginDrawer), borrowed, or null.
  virtual void* TAMBLET_HOSTCALL GetSubInterface(const InterfaceId* id) = 0;

 protected:
  ~IDrawPluginManager() = default;
};

struct IDrawPluginUpdater {
  virtual void TAMBLET_HOSTCALL Advance() = 0;  // 0; steps the draw plug-ins by one frame

 protected:
  ~IDrawPluginUpdater() = default;
};

// Required at start-up and kept; the engine calls none of its operations.
struct IDrawPluginDrawer {
 protected:
  ~IDrawPluginDrawer() = default;
};

// ---- SceneWipe.dll: transitions ------------------------------------------------------------------

struct ISoftwareTransition : IInterface {
  virtual bool TAMBLET_HOSTCALL SetUp(std::int32_t width, std::int32_t height) = 0;      // 2; main surface size
  virtual bool TAMBLET_HOSTCALL Begin(std::int32_t number) = 0;                          // 3
  virtual bool TAMBLET_HOSTCALL End() = 0;                                               // 4
  virtual bool TAMBLET_HOSTCALL Compose(IMainSurface* mainSurface, float progress) = 0;  // 5
  virtual ISurface* TAMBLET_HOSTCALL GetNewPictureSurface() = 0;                         // 6; borrowed
  virtual ISurface* TAMBLET_HOSTCALL GetOldPictureSurface() = 0;                         // 7; borrowed

 protected:
  ~ISoftwareTransition() = default;
};

struct IDirect3DDevice9;  // Direct3D 9's device, reached only through the host's plug-in service

struct IDirect3DTransition : IInterface {
  virtual void TAMBLET_HOSTCALL SetDevice(IDirect3DDevice9* device) = 0;                               // 2
  virtual bool TAMBLET_HOSTCALL SetUp(std::int32_t width, std::int32_t height, void* capture) = 0;     // 3
  virtual bool TAMBLET_HOSTCALL Begin(std::int32_t number) = 0;                                        // 4
  virtual bool TAMBLET_HOSTCALL End() = 0;                                                             // 5
  virtual bool TAMBLET_HOSTCALL BeginNewPicture() = 0;                                                 // 6
  virtual bool TAMBLET_HOSTCALL EndNewPicture() = 0;                                                   // 7
  virtual bool TAMBLET_HOSTCALL BeginOldPicture() = 0;                                                 // 8
  virtual bool TAMBLET_HOSTCALL EndOldPicture() = 0;                                                   // 9
  virtual bool TAMBLET_HOSTCALL Compose() = 0;                                                         // 10
  virtual bool TAMBLET_HOSTCALL IsRunning() = 0;                                                       // 11
  virtual void TAMBLET_HOSTCALL SetProgress(float progress) = 0;                                       // 12
  virtual bool TAMBLET_HOSTCALL OnLostDevice() = 0;                                                    // 13
  virtual bool TAMBLET_HOSTCALL OnResetDevice() = 0;                                                   // 14

 protected:
  ~IDirect3DTransition() = default;
};

// ---- Direct3D services reached through the HostKernel module's kernel object ----------------------

// A Direct3D draw plug-in: the engine's view plug-in, or one another module attaches to a sprite.
struct IDXPlugin : IInterface {
  virtual bool TAMBLET_HOSTCALL Prepare() = 0;        // 2
  virtual bool TAMBLET_HOSTCALL Draw() = 0;           // 3
  virtual bool TAMBLET_HOSTCALL OnLostDevice() = 0;   // 4
  virtual bool TAMBLET_HOSTCALL OnResetDevice() = 0;  // 5
  virtual bool TAMBLET_HOSTCALL Close() = 0;          // 6
  virtual bool TAMBLET_HOSTCALL PrepareAgain() = 0;   // 7; same as Prepare

 protected:
  ~IDXPlugin() = default;
};

struct IDirect3DPluginService : IInterface {
  virtual IDirect3DDevice9* TAMBLET_HOSTCALL GetDevice() = 0;    // 2; one reference for the caller, or null
  virtual bool TAMBLET_HOSTCALL Register(IDXPlugin* plugin) = 0;  // 3
  virtual void TAMBLET_HOSTCALL Unregister(IDXPlugin* plugin) = 0;  // 4

 protected:
  ~IDirect3DPluginService() = default;
};

struct ICaptureService {
  virtual void TAMBLET_HOSTCALL UnusedSlot0() = 0;  // 0; not called by the engine
  // 1; called with 0 and the address of a pointer that starts null; the capture is borrowed.
  virtual void TAMBLET_HOSTCALL GetCapture(std::int32_t kind, void** capture) = 0;

 protected:
  ~ICaptureService() = default;
};

// ---- Module file names, entry points and ids ---------------------------------------------------

inline constexpr const char kModuleKOVLoader[] = "KOVLoader.dll";
inline constexpr const char kModuleImageDecoder[] = "ImageDecoder.dll";
inline constexpr const char kModuleImageEncoder[] = "ImageEncoder.dll";
inline constexpr const char kModuleRasterLib[] = "RasterLib.dll";
inline constexpr const char kModulePixmapMaker[] = "PixmapMaker.dll";
inline constexpr const char kModuleRenderHub[] = "RenderHub.dll";
inline constexpr const char kModuleZEPLoader[] = "ZEPLoader.dll";
inline constexpr const char kModuleSceneWipe[] = "SceneWipe.dll";
inline constexpr const char kModuleCompression[] = "OssmerCompressionLibrary.dll";
inline constexpr const char kModuleHostKernel[] = "HostKernel";

inline constexpr const char kCreateInterfaceSymbol[] = "CreateInterface";
inline constexpr const char kGetInterfaceSymbol[] = "GetInterface";

// A module's CreateInterface: the interface for the id (one reference for the caller), or null.
using CreateInterfaceFunction = void* (*)(const InterfaceId* id);
// The HostKernel module's GetInterface: with kIID_HostKernelObject, a kernel object that answers ids.
using HostKernelGetInterfaceFunction = void* (*)(const InterfaceId* id);

inline constexpr InterfaceId kIID_IKOVFileManager = makeInterfaceId("4B7121CC-A170-4895-8528-3B0A0E888498");
inline constexpr InterfaceId kIID_IDecodeCG = makeInterfaceId("B69DA3CA-91BD-42F2-95FD-775D66B5CBAF");
inline constexpr InterfaceId kIID_IGraph3 = makeInterfaceId("CE5621DE-42AE-4681-8498-92933441D5BB");
inline constexpr InterfaceId kIID_IDrawPluginManager = makeInterfaceId("AA3ACE45-1AE3-4ED6-A50C-458353403842");
inline constexpr InterfaceId kIID_IPackedArchive = makeInterfaceId("C7E47939-262B-432F-8187-880656470CDC");
inline constexpr InterfaceId kIID_IImageEncoder = makeInterfaceId("0BB1D361-659C-4025-A696-8E9AEBEADE3A");
inline constexpr InterfaceId kIID_IDrawPluginUpdater = makeInterfaceId("7EE68A63-F695-4E2C-A82F-556486DCBBDD");
inline constexpr InterfaceId kIID_IDrawPluginDrawer = makeInterfaceId("2EB2287F-9625-48DD-A1A6-3BD3EDB2F082");
inline constexpr InterfaceId kIID_ISoftwareTransition = makeInterfaceId("85BFAE84-B7D8-4E37-8827-577EDC6633A4");
inline constexpr InterfaceId kIID_IDirect3DTransition = makeInterfaceId("5E7968B7-CA7E-4CFD-9A76-15FE4257C5A6");
inline constexpr InterfaceId kIID_IDirect3DPluginService = makeInterfaceId("AC78116C-12CA-47A9-99E6-C4627D49E025");
inline constexpr InterfaceId kIID_ICaptureService = makeInterfaceId("7D53FB48-B44D-4D8A-AAD7-307EB0837501");

}  // namespace tamblet
