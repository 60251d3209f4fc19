// The 32-bit integer value.
#include "framework/core/values/VLong.h"

#include <cstring>

#include "framework/core/streams/VStream.h"
#include "framework/core/strings/VDisplayFormats.h"
#include "framework/core/strings/VString.h"
#include "framework/core/values/RealTruncation.h"

VLongInMem::VLongInMem(int32_t* data, bool clear) : fData(data) {
  if (clear) Clear();
}

void VLongInMem::Store(int32_t value) {
  if (fData != nullptr) *fData = value;
}

VValue* VLongInMem::Clone() const { return new VLong(Datum()); }
bool VLongInMem::IsInteger() const { return true; }

void VLongInMem::Clear() {
  Store(0);
  SetNull(false, kWholeValue);
}

int32_t VLongInMem::GetKind() const { return kValueLong; }

bool VLongInMem::GetBoolean(int32_t) const { return Datum() != 0; }
int16_t VLongInMem::GetWord(int32_t) const {
  return static_cast<int16_t>(static_cast<uint16_t>(Datum()));
}
int32_t VLongInMem::GetLong(int32_t) const { return Datum(); }
int64_t VLongInMem::GetLongLong(int32_t) const { return Datum(); }
int32_t VLongInMem::GetTime(int32_t) const { return Datum(); }
double VLongInMem::GetReal(int32_t) const { return Datum(); }

void VLongInMem::SetBoolean(uint8_t value, int32_t) {
  Store(value);
  SetNull(false, kWholeValue);
}

void VLongInMem::SetWord(int16_t value, int32_t) {
  Store(value);
  SetNull(false, kWholeValue);
}

void VLongInMem::SetLong(int32_t value, int32_t) {
  Store(value);
  SetNull(false, kWholeValue);
}

void VLongInMem::SetLongLong(int64_t value, int32_t) {
  Store(static_cast<int32_t>(static_cast<uint32_t>(value)));
  SetNull(false, kWholeValue);
}

void VLongInMem::SetTime(int32_t seconds, int32_t range) { SetLong(seconds, range); }

void VLongInMem::SetReal(double value, int32_t) {
  Store(RealToLong(value));
  SetNull(false, kWholeValue);
}

void VLongInMem::CopyTo(VValue& destination, int32_t) const {
  destination.SetLong(Datum(), kWholeValue);
}

void VLongInMem::ConvertTo(VValue& destination, int32_t) const {
  destination.SetLong(Datum(), kWholeValue);
}

void VLongInMem::FormatTo(VString& destination, const VString* format, int32_t) const {
  destination.SetLong(Datum(), kWholeValue);
  if (format != nullptr) ApplyNumberFormat(destination, *format);
}

void VLongInMem::CopyFrom(const VValue& source, int32_t) {
  SetNull(source.IsNull(kWholeValue), kWholeValue);
  if (IsNull(kWholeValue)) return;
  Store(source.GetLong(kWholeValue));
}

void VLongInMem::SetString(const VString& source, int32_t) {
  SetNull(source.IsNull(kWholeValue), kWholeValue);
  if (IsNull(kWholeValue)) return;
  Store(source.GetLong(kWholeValue));
}

void VLongInMem::Assign(const VValue& source, int32_t) {
  Store(source.GetLong(kWholeValue));
  SetNull(source.IsNull(kWholeValue), kWholeValue);
}

int32_t VLongInMem::Compare(const VValue& other, int32_t, int32_t) const {
  const int32_t theirs = other.GetLong(kWholeValue);
  const int32_t mine = Datum();
  return mine > theirs ? 1 : mine < theirs ? -1 : 0;
}

const uint8_t* VLongInMem::FromData(const uint8_t* data, int32_t) {
  if (data == nullptr) return data;
  int32_t value;
  std::memcpy(&value, data, sizeof value);
  Store(value);
  SetNull(false, kWholeValue);
  return data + sizeof value;
}

uint8_t* VLongInMem::ToData(uint8_t* data, int32_t) const {
  if (data == nullptr) return data;
  const int32_t value = Datum();
  std::memcpy(data, &value, sizeof value);
  return data + sizeof value;
}

uint32_t VLongInMem::GetDataSize() const { return sizeof(int32_t); }

int32_t VLongInMem::ReadFromStream(VStream& stream, uint32_t) {
  if (fData == nullptr) {
    stream.Skip(sizeof(int32_t));
    return stream.GetStatus();
  }
  const int32_t value = stream.GetLong();
  // A number that did not arrive whole leaves the value as it was.
  if (stream.GetStatus() <= 0) Store(value);
  return stream.GetStatus();
}

int32_t VLongInMem::WriteToStream(VStream& stream, uint32_t tag) {
  if (tag == kTagVVAL) stream.PutLong(kValueLong);
  stream.PutLong(Datum());
  return stream.GetStatus();
}

VLong::VLong(int32_t value) : VLongInMem(&fValue, false), fValue(value) {}

VLong::VLong(const VLong& other) : VLongInMem(&fValue, false), fValue(other.Datum()) {
  fNull = other.fNull;
}

VLong& VLong::operator=(const VLong& other) {
  fValue = other.Datum();
  fNull = other.fNull;
  return *this;
}
