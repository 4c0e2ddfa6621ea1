// Interfaces of the engine's own objects that hosts and host modules call: the error reporter,
// the integer array, the surface lookup, the dirty-rectangle sink and the Direct3D plug-in manager.
// A slot a destructor takes is declared as Destruct(flags): it destroys the object's contents and,
// when bit 0 of the flags is set, frees the object too.
#pragma once

#include <cstdint>

#include "host/IInterface.h"
#include "host/InterfaceId.h"
#include "host/Kernel.h"
#include "host/Modules.h"
#include "host/Surface.h"
#include "host/VM.h"

namespace tamblet {

struct IErrorMessage : IInterface {
  // 2; formats the text (printf style: %d, %05d, %s) and raises it as a script error; returns 0.
  virtual std::int32_t TAMBLET_HOSTCALL Open(const char* format, ...) = 0;

 protected:
  ~IErrorMessage() = default;
};

struct IVelmErrorMessage : IErrorMessage {
  virtual void TAMBLET_HOSTCALL SetInterfaces(IVM* vm, IMsgBox* msgBox, IShutdown* shutdown, IVMDebugger* debugger,
                                              IVMNameTable* nameTable, IVMCallStack* callStack) = 0;  // 3
  virtual void TAMBLET_HOSTCALL Destruct(std::uint32_t flags) = 0;                                     // 4

 protected:
  ~IVelmErrorMessage() = default;
};

// A reference-counted vector of int32 used to collect sprite numbers.
struct IIntArray : IInterface {
  virtual std::int32_t* TAMBLET_HOSTCALL At(std::uint32_t index) = 0;    // 2; null when out of range
  virtual std::int32_t* TAMBLET_HOSTCALL Front() = 0;                     // 3; null when empty
  virtual void TAMBLET_HOSTCALL Clear() = 0;                              // 4
  virtual std::int32_t* TAMBLET_HOSTCALL Begin() = 0;                     // 5
  virtual bool TAMBLET_HOSTCALL IsEmpty() = 0;                            // 6
  virtual std::int32_t* TAMBLET_HOSTCALL End() = 0;                       // 7
  virtual std::int32_t* TAMBLET_HOSTCALL Back() = 0;                      // 8; null when empty
  virtual void TAMBLET_HOSTCALL PopBack() = 0;                            // 9
  virtual bool TAMBLET_HOSTCALL PushBack(std::int32_t value) = 0;         // 10
  virtual std::uint32_t TAMBLET_HOSTCALL Size() = 0;                      // 11
  virtual bool TAMBLET_HOSTCALL Resize(std::uint32_t size) = 0;           // 12
  virtual std::uint32_t TAMBLET_HOSTCALL Capacity() = 0;                  // 13
  virtual bool TAMBLET_HOSTCALL Reserve(std::uint32_t capacity) = 0;      // 14
  virtual void TAMBLET_HOSTCALL Sort() = 0;                               // 15; ascending
  virtual void TAMBLET_HOSTCALL Destruct(std::uint32_t flags) = 0;        // 16

 protected:
  ~IIntArray() = default;
};

// Sprite number to surface, for host modules. Both operations hand out a borrowed surface.
struct IChangeNumToISurface {
  virtual ISurface* TAMBLET_HOSTCALL ChangeToWritable(std::int32_t sprite) = 0;  // 0; copy-on-write first
  virtual ISurface* TAMBLET_HOSTCALL Change(std::int32_t sprite) = 0;            // 1; as stored

 protected:
  ~IChangeNumToISurface() = default;
};

struct IChangeNumToISurface2 : IChangeNumToISurface {
  virtual void TAMBLET_HOSTCALL Destruct(std::uint32_t flags) = 0;  // 2

 protected:
  ~IChangeNumToISurface2() = default;
};

struct IAddInvalidateRect {
  virtual void TAMBLET_HOSTCALL AddInvalidateRect(std::int32_t x, std::int32_t y, std::int32_t width,
                                                  std::int32_t height) = 0;  // 0

 protected:
  ~IAddInvalidateRect() = default;
};

struct IDrawD3DPluginManager : IInterface {
  virtual bool TAMBLET_HOSTCALL SetPlugin(std::int32_t sprite, IDXPlugin* plugin) = 0;  // 2
  virtual bool TAMBLET_HOSTCALL RemovePlugin(std::int32_t sprite) = 0;                  // 3
  virtual bool TAMBLET_HOSTCALL RemovePluginEverywhere(IDXPlugin* plugin) = 0;          // 4
  virtual bool TAMBLET_HOSTCALL HasPlugin(std::int32_t sprite) = 0;                     // 5

 protected:
  ~IDrawD3DPluginManager() = default;
};

// Ids the engine's GetInterface export answers.
inline constexpr InterfaceId kIID_IVelmErrorMessage = makeInterfaceId("8DD68071-8719-4989-81DB-C2D638027B2F");
inline constexpr InterfaceId kIID_IDrawD3DPluginManager = makeInterfaceId("E8E1172B-49C5-4DF7-8527-D0F140E344EE");
// Ids the engine registers its objects under with the draw-plugin manager.
inline constexpr InterfaceId kIID_IChangeNumToISurface = makeInterfaceId("631954D8-253C-4CD6-88B2-3AAB75923B64");
inline constexpr InterfaceId kIID_IChangeNumToISurface2 = makeInterfaceId("2398ED25-3BEC-4985-A8CA-DD8349754726");
inline constexpr InterfaceId kIID_IAddInvalidateRect = makeInterfaceId("1C225D59-DA0D-438B-8481-0DA06A4D89E6");

}  // namespace tamblet
