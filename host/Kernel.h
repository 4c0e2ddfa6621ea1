// The host kernel passed to Init and its services. Kernel services have their own operation
// lists from slot 0 (no AddRef/Release) except those derived from IInterface below. Services are
// handed out without a reference for the caller; only IKeyState and IVideoMemoryInfo are released.
// Texts are NUL-terminated Shift-JIS; a null text is treated as empty.
#pragma once

#include <cstdint>

#include "host/IInterface.h"
#include "host/InterfaceId.h"
#include "host/Surface.h"

namespace tamblet {

struct IHostKernel {
  virtual void* TAMBLET_HOSTCALL GetService(const InterfaceId* id) = 0;  // 0; the service or null

 protected:
  ~IHostKernel() = default;
};

struct ISetCallback {
  virtual void TAMBLET_HOSTCALL SetCallback(IInterface* engineObject) = 0;  // 0; the host keeps and later releases it

 protected:
  ~ISetCallback() = default;
};

struct IInputDevice2 {
  virtual void TAMBLET_HOSTCALL ClearAllKeyFlags() = 0;                                // 0
  virtual bool TAMBLET_HOSTCALL IsKeyDown(std::int32_t key) = 0;                       // 1
  virtual bool TAMBLET_HOSTCALL GetMousePos(std::int32_t* x, std::int32_t* y) = 0;     // 2; true when the position is known
  virtual void TAMBLET_HOSTCALL UnusedSlot3() = 0;                                     // 3; not called by the engine
  virtual bool TAMBLET_HOSTCALL ClearKeyFlag(std::int32_t key) = 0;                    // 4

 protected:
  ~IInputDevice2() = default;
};

struct ITimer {
  virtual void TAMBLET_HOSTCALL UnusedSlot0() = 0;        // 0; not called by the engine
  virtual std::uint32_t TAMBLET_HOSTCALL GetTime() = 0;   // 1; milliseconds, wrapping

 protected:
  ~ITimer() = default;
};

struct IMouseWheel {
  virtual void TAMBLET_HOSTCALL Clear() = 0;                   // 0
  virtual std::int32_t TAMBLET_HOSTCALL GetFirstCount() = 0;   // 1
  virtual std::int32_t TAMBLET_HOSTCALL GetSecondCount() = 0;  // 2

 protected:
  ~IMouseWheel() = default;
};

// Required at start-up; the engine calls none of their operations.
struct IWinMsg {
 protected:
  ~IWinMsg() = default;
};
struct IMsgBox {
 protected:
  ~IMsgBox() = default;
};
struct IShutdown {
 protected:
  ~IShutdown() = default;
};

struct IHostWindow {
  virtual void* TAMBLET_HOSTCALL GetWindow() = 0;  // 0; the main window handle

 protected:
  ~IHostWindow() = default;
};

struct IKeyState : IInterface {
  virtual bool TAMBLET_HOSTCALL IsKeyDown(std::int32_t virtualKey) = 0;  // 2

 protected:
  ~IKeyState() = default;
};

struct IResetState {
  virtual void TAMBLET_HOSTCALL UnusedSlot0() = 0;   // 0; not called by the engine
  virtual bool TAMBLET_HOSTCALL IsResetOnce() = 0;   // 1

 protected:
  ~IResetState() = default;
};

struct IGameInfo {
  virtual void TAMBLET_HOSTCALL UnusedSlot0() = 0;        // 0-4: not called by the engine
  virtual void TAMBLET_HOSTCALL UnusedSlot1() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot2() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot3() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot4() = 0;
  virtual const char* TAMBLET_HOSTCALL GetGameName() = 0;  // 5; base name with its extension

 protected:
  ~IGameInfo() = default;
};

struct IVideoMemoryInfo : IInterface {
  virtual std::uint32_t TAMBLET_HOSTCALL GetFree() = 0;   // 2; 0 = unknown
  virtual std::uint32_t TAMBLET_HOSTCALL GetTotal() = 0;  // 3; 0 = unknown

 protected:
  ~IVideoMemoryInfo() = default;
};

struct IGamePath {
  virtual const char* TAMBLET_HOSTCALL GetPathPrefix() = 0;  // 0

 protected:
  ~IGamePath() = default;
};

struct IDebugMode {
  virtual bool TAMBLET_HOSTCALL IsDebugMode() = 0;  // 0

 protected:
  ~IDebugMode() = default;
};

struct IFrameNotice {
  virtual bool TAMBLET_HOSTCALL OnFrameDrawn() = 0;  // 0; called after each drawn frame

 protected:
  ~IFrameNotice() = default;
};

inline constexpr InterfaceId kIID_ISetCallback = makeInterfaceId("CE3D9012-0362-450C-8E04-BC9990DD5069");
inline constexpr InterfaceId kIID_IInputDevice2 = makeInterfaceId("E92C923B-46C6-41C7-A535-185583A3C942");
inline constexpr InterfaceId kIID_ITimer = makeInterfaceId("114CE6BD-E8CE-4C55-919F-E382308DC8AF");
inline constexpr InterfaceId kIID_IMouseWheel = makeInterfaceId("A7DA89EA-C1BB-48C9-BD0D-7F1EBD5A042A");
inline constexpr InterfaceId kIID_IWinMsg = makeInterfaceId("17540B16-68CB-49C0-9960-8BF5DA1E2B37");
inline constexpr InterfaceId kIID_IMsgBox = makeInterfaceId("73F002B1-5BD0-4F16-BE79-24F7BA07AB47");
inline constexpr InterfaceId kIID_IShutdown = makeInterfaceId("F9E568C8-0B04-4360-96F4-A1AE3C58A805");
inline constexpr InterfaceId kIID_IVM = makeInterfaceId("F40C5955-DB84-4024-8A98-DFC301D75C89");
inline constexpr InterfaceId kIID_IHostWindow = makeInterfaceId("C8F8BCB0-014D-42FC-A36F-61BD185F05CF");
inline constexpr InterfaceId kIID_IKeyState = makeInterfaceId("667BACF8-8514-40AC-8E29-53007E7A0031");
inline constexpr InterfaceId kIID_IResetState = makeInterfaceId("D40A6D9D-A2F9-4354-A98D-819A94E9300B");
inline constexpr InterfaceId kIID_IGameInfo = makeInterfaceId("AEAF59A5-29CC-46E3-9537-09FED6393F1C");
inline constexpr InterfaceId kIID_IVideoMemoryInfo = makeInterfaceId("A23CDDED-8A25-4AFD-98EC-AD6C130D35A3");
inline constexpr InterfaceId kIID_IGamePath = makeInterfaceId("9103988B-00F2-4F63-8431-D3916FFC5722");
inline constexpr InterfaceId kIID_IDebugMode = makeInterfaceId("615DCC4A-BFC2-4686-885A-86F02EA206D6");
inline constexpr InterfaceId kIID_IFrameNotice = makeInterfaceId("41DB4894-12F5-4AFF-83D5-EE6917E69B5B");
// The kernel object handed out by the HostKernel module's GetInterface.
inline constexpr InterfaceId kIID_HostKernelObject = makeInterfaceId("B995A758-BFB0-4F7A-9F17-D23A0FB48A08");

}  // namespace tamblet
