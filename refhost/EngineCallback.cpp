#include "refhost/EngineCallback.h"

#include <utility>

namespace refhost {

EngineCallback::~EngineCallback() {
  releaseEngineObject();
}

void EngineCallback::SetCallback(tamblet::IInterface* engineObject) {
  ++registrations_;
  if (engineObject == engineObject_) return;
  releaseEngineObject();
  engineObject_ = engineObject;
}

std::int32_t EngineCallback::releaseEngineObject() {
  // Forget first: the teardown the release starts must not find the object still registered.
  tamblet::IInterface* object = std::exchange(engineObject_, nullptr);
  return object ? object->Release() : -1;
}

}  // namespace refhost
