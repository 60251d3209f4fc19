// The real value.
#include "framework/core/values/VReal.h"

#include <cmath>
#include <cstring>

#include "framework/core/streams/VStream.h"
#include "framework/core/strings/VDisplayFormats.h"
#include "framework/core/strings/VString.h"
#include "framework/core/values/RealTruncation.h"

VRealInMem::VRealInMem(double* data, bool clear) : fData(data) {
  if (clear) Clear();
}

void VRealInMem::Store(double value) {
  if (fData != nullptr) *fData = value;
}

VValue* VRealInMem::Clone() const { return new VReal(Datum()); }
bool VRealInMem::IsInteger() const { return true; }

void VRealInMem::Clear() {
  Store(0.0);
  SetNull(false, kWholeValue);
}

int32_t VRealInMem::GetKind() const { return kValueReal; }

bool VRealInMem::GetBoolean(int32_t) const {
  const double value = Datum();
  return value != 0.0 && !std::isnan(value);
}
int16_t VRealInMem::GetWord(int32_t) const { return RealToWord(Datum()); }
int32_t VRealInMem::GetLong(int32_t) const { return RealToLong(Datum()); }
int64_t VRealInMem::GetLongLong(int32_t) const { return RealToLongLong(Datum()); }
int32_t VRealInMem::GetTime(int32_t range) const { return GetLong(range); }
double VRealInMem::GetReal(int32_t) const { return Datum(); }

void VRealInMem::SetBoolean(uint8_t value, int32_t) {
  Store(value);
  SetNull(false, kWholeValue);
}

void VRealInMem::SetWord(int16_t value, int32_t) {
  Store(value);
  SetNull(false, kWholeValue);
}

void VRealInMem::SetLong(int32_t value, int32_t) {
  Store(value);
  SetNull(false, kWholeValue);
}

void VRealInMem::SetLongLong(int64_t value, int32_t) {
  Store(static_cast<double>(value));
  SetNull(false, kWholeValue);
}

void VRealInMem::SetTime(int32_t seconds, int32_t range) { SetLong(seconds, range); }

void VRealInMem::SetReal(double value, int32_t) {
  Store(value);
  SetNull(false, kWholeValue);
}

void VRealInMem::CopyTo(VValue& destination, int32_t) const {
  destination.SetReal(Datum(), kWholeValue);
}

void VRealInMem::ConvertTo(VValue& destination, int32_t) const {
  destination.SetReal(Datum(), kWholeValue);
}

void VRealInMem::FormatTo(VString& destination, const VString* format, int32_t) const {
  destination.SetReal(Datum(), kWholeValue);
  if (format != nullptr) ApplyNumberFormat(destination, *format);
}

void VRealInMem::CopyFrom(const VValue& source, int32_t) {
  SetNull(source.IsNull(kWholeValue), kWholeValue);
  if (IsNull(kWholeValue)) return;
  Store(source.GetReal(kWholeValue));
}

void VRealInMem::SetString(const VString& source, int32_t) {
  SetNull(source.IsNull(kWholeValue), kWholeValue);
  if (IsNull(kWholeValue)) return;
  Store(source.GetReal(kWholeValue));
}

void VRealInMem::Assign(const VValue& source, int32_t) {
  Store(source.GetReal(kWholeValue));
  SetNull(source.IsNull(kWholeValue), kWholeValue);
}

int32_t VRealInMem::Compare(const VValue& other, int32_t, int32_t) const {
  const double theirs = other.GetReal(kWholeValue);
  const double mine = Datum();
  // NaN is neither greater nor smaller, so both tests fail and it answers 0.
  return mine > theirs ? 1 : mine < theirs ? -1 : 0;
}

const uint8_t* VRealInMem::FromData(const uint8_t* data, int32_t) {
  if (data == nullptr) return data;
  double value;
  std::memcpy(&value, data, sizeof value);
  Store(value);
  SetNull(false, kWholeValue);
  return data + sizeof value;
}

uint8_t* VRealInMem::ToData(uint8_t* data, int32_t) const {
  if (data == nullptr) return data;
  const double value = Datum();
  std::memcpy(data, &value, sizeof value);
  return data + sizeof value;
}

uint32_t VRealInMem::GetDataSize() const { return sizeof(double); }

int32_t VRealInMem::ReadFromStream(VStream& stream, uint32_t) {
  // The real's width in the stream depends on its byte order (8 bytes, or
  // 10 in the extended order), so the null storage reads it and drops it
  // rather than skipping a width of its own.
  const double value = stream.GetReal();
  // A real that did not arrive whole leaves the value as it was.
  if (stream.GetStatus() <= 0) Store(value);
  return stream.GetStatus();
}

int32_t VRealInMem::WriteToStream(VStream& stream, uint32_t tag) {
  if (tag == kTagVVAL) stream.PutLong(kValueReal);
  stream.PutReal(Datum());
  return stream.GetStatus();
}

VReal::VReal(double value) : VRealInMem(&fValue, false), fValue(value) {}

VReal::VReal(const VReal& other) : VRealInMem(&fValue, false), fValue(other.Datum()) {
  fNull = other.fNull;
}

VReal& VReal::operator=(const VReal& other) {
  fValue = other.Datum();
  fNull = other.fNull;
  return *this;
}
