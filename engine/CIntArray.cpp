#include "engine/CIntArray.h"

#include <algorithm>
#include <exception>
#include <new>

namespace tamblet {

CIntArray* CIntArray::create() {
  return new (std::nothrow) CIntArray();
}

std::int32_t CIntArray::AddRef() {
  return ++referenceCount_;
}

std::int32_t CIntArray::Release() {
  if (--referenceCount_ > 0) return referenceCount_;
  Destruct(1);
  return 0;
}

std::int32_t* CIntArray::At(std::uint32_t index) {
  return index < values_.size() ? &values_[index] : nullptr;
}
std::int32_t* CIntArray::Front() {
  return values_.empty() ? nullptr : &values_.front();
}
void CIntArray::Clear() {
  values_.clear();
}
std::int32_t* CIntArray::Begin() {
  return values_.data();
}
bool CIntArray::IsEmpty() {
  return values_.empty();
}
std::int32_t* CIntArray::End() {
  return values_.data() + values_.size();
}
std::int32_t* CIntArray::Back() {
  return values_.empty() ? nullptr : &values_.back();
}

void CIntArray::PopBack() {
  if (!values_.empty()) values_.pop_back();
}

bool CIntArray::PushBack(std::int32_t value) {
  if (values_.size() >= kMaxSize) return false;
  try {
    values_.push_back(value);
  } catch (const std::exception&) {
    return false;
  }
  return true;
}

std::uint32_t CIntArray::Size() {
  return static_cast<std::uint32_t>(values_.size());
}

bool CIntArray::Resize(std::uint32_t size) {
  if (size > kMaxSize) return false;
  try {
    values_.resize(size);
  } catch (const std::exception&) {
    return false;
  }
  return true;
}

std::uint32_t CIntArray::Capacity() {
  return static_cast<std::uint32_t>(values_.capacity());
}

bool CIntArray::Reserve(std::uint32_t capacity) {
  if (capacity > kMaxSize) return false;
  try {
    values_.reserve(capacity);
  } catch (const std::exception&) {
    return false;
  }
  return true;
}

void CIntArray::Sort() {
  std::sort(values_.begin(), values_.end());
}

void CIntArray::Destruct(std::uint32_t flags) {
  std::vector<std::int32_t>().swap(values_);
  if (flags & 1) delete this;
}

}  // namespace tamblet
