// The empty value.
#include "framework/core/values/VEmptyValue.h"

#include "framework/core/streams/VStream.h"

VEmptyValue::VEmptyValue() { fNull = 1; }

VValue* VEmptyValue::Clone() const { return new VEmptyValue; }
bool VEmptyValue::IsSingle() const { return false; }
void VEmptyValue::SetNull(bool, int32_t) {}
int32_t VEmptyValue::GetKind() const { return kValueEmpty; }
int32_t VEmptyValue::Compare(const VValue&, int32_t, int32_t) const { return -1000; }

int32_t VEmptyValue::ReadFromStream(VStream& stream, uint32_t) { return stream.GetStatus(); }

int32_t VEmptyValue::WriteToStream(VStream& stream, uint32_t tag) {
  if (tag == kTagVVAL) stream.PutLong(kValueEmpty);
  return stream.GetStatus();
}
