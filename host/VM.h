// The script VM (a kernel service) and its services, plus the VM's string, array and structure
// objects that scripts pass to exports. These have their own operation lists from slot 0.
// Texts are NUL-terminated Shift-JIS; a null text is treated as empty.
#pragma once

#include <cstdint>

#include "host/InterfaceId.h"
#include "host/IInterface.h"

namespace tamblet {

struct IVM {
  virtual void TAMBLET_HOSTCALL UnusedSlot0() = 0;  // 0-3: not called by the engine
  virtual void TAMBLET_HOSTCALL UnusedSlot1() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot2() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot3() = 0;
  virtual void* TAMBLET_HOSTCALL GetService(const InterfaceId* id) = 0;  // 4; a VM service or null, no reference

 protected:
  ~IVM() = default;
};

struct IVMDebugger {
  virtual void TAMBLET_HOSTCALL UnusedSlot0() = 0;  // 0; not called by the engine
  virtual void TAMBLET_HOSTCALL Pause() = 0;        // 1

 protected:
  ~IVMDebugger() = default;
};

struct IVMNameTable {
  virtual const char* TAMBLET_HOSTCALL GetName(std::int32_t nameIndex) = 0;  // 0

 protected:
  ~IVMNameTable() = default;
};

struct IVMCallStack {
  virtual void TAMBLET_HOSTCALL UnusedSlot0() = 0;  // 0-5: not called by the engine
  virtual void TAMBLET_HOSTCALL UnusedSlot1() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot2() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot3() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot4() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot5() = 0;
  virtual std::int32_t TAMBLET_HOSTCALL GetFunctionNameIndex(std::int32_t function) = 0;  // 6; negative when unknown
  virtual void TAMBLET_HOSTCALL UnusedSlot7() = 0;  // 7-10: not called by the engine
  virtual void TAMBLET_HOSTCALL UnusedSlot8() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot9() = 0;
  virtual void TAMBLET_HOSTCALL UnusedSlot10() = 0;
  virtual std::int32_t TAMBLET_HOSTCALL GetFrameCount() = 0;                       // 11
  virtual std::int32_t TAMBLET_HOSTCALL GetFrameFunction(std::int32_t frame) = 0;  // 12; negative when none

 protected:
  ~IVMCallStack() = default;
};

struct IVMGameMsg {
  virtual std::int32_t TAMBLET_HOSTCALL GetCount() = 0;                    // 0
  virtual const char* TAMBLET_HOSTCALL GetMessage(std::int32_t index) = 0;  // 1

 protected:
  ~IVMGameMsg() = default;
};

struct IVMErrorSink {
  virtual void TAMBLET_HOSTCALL RaiseError(const char* text) = 0;  // 0; returns once the VM has shown or recorded it

 protected:
  ~IVMErrorSink() = default;
};

// A script string (the engine's own is CStringWrapper).
struct IString {
  virtual const char* TAMBLET_HOSTCALL GetText() = 0;           // 0; NUL-terminated Shift-JIS
  virtual void TAMBLET_HOSTCALL SetText(const char* text) = 0;  // 1; null empties it

 protected:
  ~IString() = default;
};

inline constexpr std::int32_t kVMTypeInt = 10;  // element and member type code of int

// A script array passed by reference.
struct IVMArray {
  virtual std::int32_t TAMBLET_HOSTCALL GetElementType() = 0;                 // 0
  virtual void TAMBLET_HOSTCALL UnusedSlot1() = 0;                            // 1; not called by the engine
  virtual std::int32_t TAMBLET_HOSTCALL GetElementCount() = 0;                // 2
  virtual std::int32_t TAMBLET_HOSTCALL GetDimensionCount() = 0;              // 3
  virtual void* TAMBLET_HOSTCALL GetElementAddress(std::int32_t index) = 0;   // 4; null when out of range
  virtual bool TAMBLET_HOSTCALL SetElement(std::int32_t index, const void* value) = 0;  // 5; index, address of the value
  // 6; sizes the array: the counts of each dimension, then the number of dimensions.
  virtual bool TAMBLET_HOSTCALL Resize(const std::int32_t* counts, std::int32_t dimensions) = 0;

 protected:
  ~IVMArray() = default;
};

// A script structure passed by reference.
struct IVMStruct {
  virtual void TAMBLET_HOSTCALL UnusedSlot0() = 0;                            // 0; not called by the engine
  virtual std::int32_t TAMBLET_HOSTCALL GetMemberCount() = 0;                 // 1
  virtual std::int32_t TAMBLET_HOSTCALL GetMemberType(std::int32_t index) = 0;  // 2
  virtual void* TAMBLET_HOSTCALL GetMemberAddress(std::int32_t index) = 0;   // 3; null when out of range
  virtual bool TAMBLET_HOSTCALL SetMember(std::int32_t index, const void* value) = 0;  // 4; index, address of the value

 protected:
  ~IVMStruct() = default;
};

inline constexpr InterfaceId kIID_IVMDebugger = makeInterfaceId("C005D7FC-F815-4D2B-9B6A-575EFABE1C9F");
inline constexpr InterfaceId kIID_IVMNameTable = makeInterfaceId("EF95E861-D06A-4BA5-88B2-B00E73A8131E");
inline constexpr InterfaceId kIID_IVMCallStack = makeInterfaceId("4CD9EBA2-DE24-462C-AA48-8D73EA5E55ED");
inline constexpr InterfaceId kIID_IVMGameMsg = makeInterfaceId("87BCFA9C-1BD0-4D1C-B07A-F0F2954CAB81");
inline constexpr InterfaceId kIID_IVMErrorSink = makeInterfaceId("1B78EBFF-C05F-4298-BB76-8C3517E9C91B");

}  // namespace tamblet
