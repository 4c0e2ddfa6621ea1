#include "image/CKOVFileDummy.h"

#include <new>

#include "report/FixedTexts.h"

namespace tamblet {

CKOVFileDummy* CKOVFileDummy::create(const char* name) noexcept {
  try {
    return new CKOVFileDummy(name ? name : "");
  } catch (...) {
    return nullptr;
  }
}

CKOVFileDummy::CKOVFileDummy(const char* name) {
  const std::string stem = std::string(fixedText(FixedText::kDummyFilePrefix)) + name;
  dataFileName_ = stem + fixedText(FixedText::kDummyDataFileSuffix);
  linkFileName_ = stem + fixedText(FixedText::kDummyLinkFileSuffix);
}

std::int32_t CKOVFileDummy::AddRef() {
  return ++referenceCount_;
}

std::int32_t CKOVFileDummy::Release() {
  if (--referenceCount_ > 0) return referenceCount_;
  delete this;
  return 0;
}

IMemory* CKOVFileDummy::Load(std::int32_t) {
  return nullptr;
}
bool CKOVFileDummy::Exists(std::int32_t) {
  return false;
}
bool CKOVFileDummy::QueryEntry(std::int32_t) {
  return false;
}
std::int32_t CKOVFileDummy::GetEntryCount() {
  return 0;
}
void* CKOVFileDummy::GetRecord(std::int32_t) {
  return record_;
}
const char* CKOVFileDummy::GetDataFileName(std::int32_t) {
  return dataFileName_.c_str();
}
const char* CKOVFileDummy::GetLinkFileName(std::int32_t) {
  return linkFileName_.c_str();
}

}  // namespace tamblet
