// The boolean value.
#include "framework/core/values/VBoolean.h"

#include "framework/core/streams/VStream.h"
#include "framework/core/strings/VDisplayFormats.h"
#include "framework/core/strings/VString.h"

VBoolInMem::VBoolInMem(uint8_t* data, bool clear) : fData(data) {
  if (clear) Clear();
}

void VBoolInMem::Store(uint8_t value) {
  if (fData != nullptr) *fData = value;
}

VValue* VBoolInMem::Clone() const { return new VBoolean(Datum()); }

void VBoolInMem::Clear() {
  Store(0);
  SetNull(false, kWholeValue);
}

int32_t VBoolInMem::GetKind() const { return kValueBoolean; }

bool VBoolInMem::GetBoolean(int32_t) const { return Datum() != 0; }
int16_t VBoolInMem::GetWord(int32_t) const { return Datum(); }
int32_t VBoolInMem::GetLong(int32_t) const { return Datum(); }
int64_t VBoolInMem::GetLongLong(int32_t) const { return Datum(); }
int32_t VBoolInMem::GetTime(int32_t) const { return Datum(); }
double VBoolInMem::GetReal(int32_t) const { return Datum(); }

void VBoolInMem::SetBoolean(uint8_t value, int32_t) {
  Store(value);
  SetNull(false, kWholeValue);
}

void VBoolInMem::SetWord(int16_t value, int32_t) {
  Store(value != 0);
  SetNull(false, kWholeValue);
}

void VBoolInMem::SetLong(int32_t value, int32_t) {
  Store(value != 0);
  SetNull(false, kWholeValue);
}

void VBoolInMem::SetLongLong(int64_t value, int32_t) {
  Store(value != 0);
  SetNull(false, kWholeValue);
}

void VBoolInMem::SetTime(int32_t seconds, int32_t range) { SetLong(seconds, range); }

void VBoolInMem::SetReal(double value, int32_t) {
  // Both comparisons are false for NaN, so NaN is false; -0.0 is false too.
  Store(value < 0.0 || value > 0.0);
  SetNull(false, kWholeValue);
}

void VBoolInMem::CopyTo(VValue& destination, int32_t) const {
  destination.SetBoolean(Datum(), kWholeValue);
}

void VBoolInMem::ConvertTo(VValue& destination, int32_t) const {
  destination.SetLong(Datum(), kWholeValue);
}

void VBoolInMem::FormatTo(VString& destination, const VString* format, int32_t) const {
  destination.SetBoolean(Datum(), kWholeValue);
  if (format != nullptr) ApplyTextFormat(destination, *format);
}

void VBoolInMem::CopyFrom(const VValue& source, int32_t) {
  SetNull(source.IsNull(kWholeValue), kWholeValue);
  if (IsNull(kWholeValue)) return;
  Store(source.GetLong(kWholeValue) != 0);
}

void VBoolInMem::SetString(const VString& source, int32_t) {
  SetNull(source.IsNull(kWholeValue), kWholeValue);
  Store(source.GetBoolean(kWholeValue));
}

void VBoolInMem::Assign(const VValue& source, int32_t) {
  Store(source.GetBoolean(kWholeValue));
  SetNull(source.IsNull(kWholeValue), kWholeValue);
}

int32_t VBoolInMem::Compare(const VValue& other, int32_t, int32_t) const {
  const uint8_t mine = Datum();
  if (uint8_t(other.GetBoolean(kWholeValue)) == mine) return 0;
  return mine != 0 ? 1 : -1;
}

const uint8_t* VBoolInMem::FromData(const uint8_t* data, int32_t) {
  if (data == nullptr) return data;
  Store(data[0]);
  SetNull(false, kWholeValue);
  return data + 1;
}

uint8_t* VBoolInMem::ToData(uint8_t* data, int32_t) const {
  if (data == nullptr) return data;
  data[0] = Datum();
  return data + 1;
}

uint32_t VBoolInMem::GetDataSize() const { return 1; }

int32_t VBoolInMem::ReadFromStream(VStream& stream, uint32_t) {
  const int16_t word = stream.GetWord();
  // A word that did not arrive whole leaves the byte as it was.
  if (stream.GetStatus() <= 0) Store(word != 0);
  return stream.GetStatus();
}

int32_t VBoolInMem::WriteToStream(VStream& stream, uint32_t tag) {
  if (tag == kTagVVAL) stream.PutLong(kValueBoolean);
  stream.PutWord(Datum());
  return stream.GetStatus();
}

VBoolean::VBoolean(uint8_t value) : VBoolInMem(&fValue, false), fValue(value) {}

VBoolean::VBoolean(const VBoolean& other) : VBoolInMem(&fValue, false), fValue(other.Datum()) {
  fNull = other.fNull;
}

VBoolean& VBoolean::operator=(const VBoolean& other) {
  fValue = other.Datum();
  fNull = other.fNull;
  return *this;
}
