// The typed array of owned picture values.
#include "framework/core/containers/VRefArray.h"

namespace {
// What every comparison of pictures answers: they have no order.
constexpr int32_t kNoOrder = -1000;
// The answer of a stream operation that a class does not support.
constexpr int32_t kNotSupported = -2;
}  // namespace

VRefArray::VRefArray(int32_t count) { SetCount(count, false); }
VRefArray::VRefArray(const VRefArray& other) { CopyFields(other); }
VRefArray& VRefArray::operator=(const VRefArray& other) {
  if (&other == this) return *this;
  SetCount(0, false);
  CopyFields(other);
  return *this;
}

VValue* VRefArray::GetAt(int32_t range) const { return ObjectAt(range); }
void VRefArray::SetAt(VValue* value, int32_t range) { StoreObject(value, range); }
VValue* VRefArray::DetachAt(int32_t range) { return DetachObject(range); }
int32_t VRefArray::AppendObject(VValue* value, bool propagate) { return AppendObjectWith(value, propagate); }
void VRefArray::SetCopyAt(const VValue& value, int32_t range) { SetAt(value.Clone(), range); }

VValue* VRefArray::Clone() const { return new VRefArray(*this); }
int32_t VRefArray::GetKind() const { return kValueReferenceArray; }
int32_t VRefArray::GetElementKind() const { return kValuePicture; }
bool VRefArray::IsSingle() const { return false; }

void VRefArray::CopyTo(VValue& destination, int32_t range) const {
  const VValue* element = GetAt(range);
  if (element == nullptr) {
    destination.Clear();
  } else {
    destination.Assign(*element, kWholeValue);
  }
}

void VRefArray::Assign(const VValue& source, int32_t range) {
  SetAt(source.GetKind() == kValuePicture ? source.Clone() : nullptr, range);
}

int32_t VRefArray::Compare(const VValue&, int32_t, int32_t) const { return kNoOrder; }
int32_t VRefArray::FindValue(const VValue&, int32_t, bool, int32_t) const { return -1; }
int32_t VRefArray::CompareElements(const void*, const void*) const { return kNoOrder; }

int32_t VRefArray::ReadFromStream(VStream&, uint32_t) { return kNotSupported; }
int32_t VRefArray::WriteToStream(VStream&, uint32_t) { return kNotSupported; }
