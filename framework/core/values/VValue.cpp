// The defaults of the value interface: neutral answers, nothing changed.
#include "framework/core/values/VValue.h"

#include "framework/core/strings/VString.h"
#include "framework/core/values/StringStreamForm.h"

VValue::~VValue() = default;

bool VValue::IsMultiple() const { return false; }
bool VValue::IsInteger() const { return false; }
void VValue::Changed(uint8_t) {}
bool VValue::IsChangeHooked() const { return false; }

void VValue::SetNull(bool isNull, int32_t) {
  fNull = isNull ? 1 : 0;
  Changed(1);
}

bool VValue::IsNull(int32_t) const { return fNull != 0; }
void VValue::Clear() {}

bool VValue::GetBoolean(int32_t) const { return false; }
int16_t VValue::GetWord(int32_t) const { return 0; }
int32_t VValue::GetLong(int32_t) const { return 0; }
int64_t VValue::GetLongLong(int32_t) const { return 0; }
int32_t VValue::GetTime(int32_t) const { return 0; }
double VValue::GetReal(int32_t) const { return 0.0; }

void VValue::ConvertTo(VValue& destination, int32_t) const { destination.Assign(*this, kWholeValue); }

VDateRec& VValue::GetDate(VDateRec& date, int32_t) const {
  date = VDateRec{};
  return date;
}

void VValue::FormatTo(VString& destination, const VString*, int32_t) const { destination.Clear(); }
void VValue::CopyTo(VValue& destination, int32_t) const { destination.Clear(); }

void VValue::SetBoolean(uint8_t, int32_t) {}
void VValue::SetWord(int16_t, int32_t) {}
void VValue::SetLong(int32_t, int32_t) {}
void VValue::SetLongLong(int64_t, int32_t) {}
void VValue::SetTime(int32_t, int32_t) {}
void VValue::SetReal(double, int32_t) {}
void VValue::CopyFrom(const VValue&, int32_t) {}
void VValue::SetDate(const VDateRec&, int32_t) {}
void VValue::SetString(const VString&, int32_t) {}
void VValue::Assign(const VValue&, int32_t) {}

const uint8_t* VValue::FromData(const uint8_t* data, int32_t) { return data; }
uint8_t* VValue::ToData(uint8_t* data, int32_t) const { return data; }
uint32_t VValue::GetDataSize() const { return 0; }

int32_t VValue::ElementKindOf(int32_t arrayKind) {
  return arrayKind >= 100 && arrayKind <= 109 ? arrayKind - 99 : 0;
}

int32_t VValue::ArrayKindOf(int32_t elementKind) {
  return elementKind >= 1 && elementKind <= 13 ? elementKind + 99 : 0;
}

bool VValueSingle::IsSingle() const { return true; }

int32_t VValueSingle::ReadFromStream(VStream& stream, uint32_t tag) {
  if (auto* string = dynamic_cast<VString*>(this)) return ReadStringFromStream(*string, stream);
  return VValue::ReadFromStream(stream, tag);
}

int32_t VValueSingle::WriteToStream(VStream& stream, uint32_t tag) {
  if (const auto* string = dynamic_cast<const VString*>(this))
    return WriteStringToStream(*string, stream, tag);
  return VValue::WriteToStream(stream, tag);
}
