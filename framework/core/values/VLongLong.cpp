// The 64-bit integer value.
#include "framework/core/values/VLongLong.h"

#include <cstring>

#include "framework/core/streams/VStream.h"
#include "framework/core/strings/VDisplayFormats.h"
#include "framework/core/strings/VString.h"
#include "framework/core/values/RealTruncation.h"

VLongLongInMem::VLongLongInMem(int64_t* data, bool clear) : fData(data) {
  if (clear) Clear();
}

void VLongLongInMem::Store(int64_t value) {
  if (fData != nullptr) *fData = value;
}

VValue* VLongLongInMem::Clone() const { return new VLongLong(Datum()); }
bool VLongLongInMem::IsInteger() const { return true; }

void VLongLongInMem::Clear() {
  Store(0);
  SetNull(false, kWholeValue);
}

int32_t VLongLongInMem::GetKind() const { return kValueLongLong; }

bool VLongLongInMem::GetBoolean(int32_t) const { return Datum() != 0; }
int16_t VLongLongInMem::GetWord(int32_t) const {
  return static_cast<int16_t>(static_cast<uint16_t>(Datum()));
}
int32_t VLongLongInMem::GetLong(int32_t) const {
  return static_cast<int32_t>(static_cast<uint32_t>(Datum()));
}
int64_t VLongLongInMem::GetLongLong(int32_t) const { return Datum(); }
int32_t VLongLongInMem::GetTime(int32_t range) const { return GetLong(range); }
double VLongLongInMem::GetReal(int32_t) const { return static_cast<double>(Datum()); }

void VLongLongInMem::SetBoolean(uint8_t value, int32_t) {
  Store(value);
  SetNull(false, kWholeValue);
}

void VLongLongInMem::SetWord(int16_t value, int32_t) {
  Store(value);
  SetNull(false, kWholeValue);
}

void VLongLongInMem::SetLong(int32_t value, int32_t) {
  Store(value);
  SetNull(false, kWholeValue);
}

void VLongLongInMem::SetLongLong(int64_t value, int32_t) {
  Store(value);
  SetNull(false, kWholeValue);
}

void VLongLongInMem::SetTime(int32_t seconds, int32_t range) { SetLong(seconds, range); }

void VLongLongInMem::SetReal(double value, int32_t) {
  Store(RealToLongLong(value));
  SetNull(false, kWholeValue);
}

void VLongLongInMem::CopyTo(VValue& destination, int32_t) const {
  destination.SetLongLong(Datum(), kWholeValue);
}

void VLongLongInMem::ConvertTo(VValue& destination, int32_t) const {
  destination.SetLongLong(Datum(), kWholeValue);
}

void VLongLongInMem::FormatTo(VString& destination, const VString* format, int32_t) const {
  destination.SetLongLong(Datum(), kWholeValue);
  if (format != nullptr) ApplyNumberFormat(destination, *format);
}

void VLongLongInMem::CopyFrom(const VValue& source, int32_t) {
  SetNull(source.IsNull(kWholeValue), kWholeValue);
  if (IsNull(kWholeValue)) return;
  Store(source.GetLongLong(kWholeValue));
}

void VLongLongInMem::SetString(const VString& source, int32_t) {
  SetNull(source.IsNull(kWholeValue), kWholeValue);
  if (IsNull(kWholeValue)) return;
  Store(source.GetLongLong(kWholeValue));
}

void VLongLongInMem::Assign(const VValue& source, int32_t) {
  Store(source.GetLongLong(kWholeValue));
  SetNull(source.IsNull(kWholeValue), kWholeValue);
}

int32_t VLongLongInMem::Compare(const VValue& other, int32_t, int32_t) const {
  const int64_t theirs = other.GetLongLong(kWholeValue);
  const int64_t mine = Datum();
  return mine > theirs ? 1 : mine < theirs ? -1 : 0;
}

const uint8_t* VLongLongInMem::FromData(const uint8_t* data, int32_t) {
  if (data == nullptr) return data;
  int64_t value;
  std::memcpy(&value, data, sizeof value);
  Store(value);
  SetNull(false, kWholeValue);
  return data + sizeof value;
}

uint8_t* VLongLongInMem::ToData(uint8_t* data, int32_t) const {
  if (data == nullptr) return data;
  const int64_t value = Datum();
  std::memcpy(data, &value, sizeof value);
  return data + sizeof value;
}

uint32_t VLongLongInMem::GetDataSize() const { return sizeof(int64_t); }

int32_t VLongLongInMem::ReadFromStream(VStream& stream, uint32_t) {
  if (fData == nullptr) {
    stream.Skip(sizeof(int64_t));
    return stream.GetStatus();
  }
  const int64_t value = stream.GetLongLong();
  // A number that did not arrive whole leaves the value as it was.
  if (stream.GetStatus() <= 0) Store(value);
  return stream.GetStatus();
}

int32_t VLongLongInMem::WriteToStream(VStream& stream, uint32_t tag) {
  if (tag == kTagVVAL) stream.PutLong(kValueLongLong);
  stream.PutLongLong(Datum());
  return stream.GetStatus();
}

VLongLong::VLongLong(int64_t value) : VLongLongInMem(&fValue, false), fValue(value) {}

VLongLong::VLongLong(const VLongLong& other) : VLongLongInMem(&fValue, false), fValue(other.Datum()) {
  fNull = other.fNull;
}

VLongLong& VLongLong::operator=(const VLongLong& other) {
  fValue = other.Datum();
  fNull = other.fNull;
  return *this;
}
