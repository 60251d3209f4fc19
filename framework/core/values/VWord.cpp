// The 16-bit integer value.
#include "framework/core/values/VWord.h"

#include <cstring>

#include "framework/core/streams/VStream.h"
#include "framework/core/strings/VDisplayFormats.h"
#include "framework/core/strings/VString.h"
#include "framework/core/values/RealTruncation.h"

namespace {

// The low 16 bits of a wider integer.
int16_t LowWord(int64_t value) { return static_cast<int16_t>(static_cast<uint16_t>(value)); }

}  // namespace

VWordInMem::VWordInMem(int16_t* data, bool clear) : fData(data) {
  if (clear) Clear();
}

void VWordInMem::Store(int16_t value) {
  if (fData != nullptr) *fData = value;
}

VValue* VWordInMem::Clone() const { return new VWord(Datum()); }
bool VWordInMem::IsInteger() const { return true; }

void VWordInMem::Clear() {
  Store(0);
  SetNull(false, kWholeValue);
}

int32_t VWordInMem::GetKind() const { return kValueWord; }

bool VWordInMem::GetBoolean(int32_t) const { return Datum() != 0; }
int16_t VWordInMem::GetWord(int32_t) const { return Datum(); }
int32_t VWordInMem::GetLong(int32_t) const { return Datum(); }
int64_t VWordInMem::GetLongLong(int32_t) const { return Datum(); }
int32_t VWordInMem::GetTime(int32_t) const { return Datum(); }
double VWordInMem::GetReal(int32_t) const { return Datum(); }

void VWordInMem::SetBoolean(uint8_t value, int32_t) {
  Store(value);
  SetNull(false, kWholeValue);
}

void VWordInMem::SetWord(int16_t value, int32_t) {
  Store(value);
  SetNull(false, kWholeValue);
}

void VWordInMem::SetLong(int32_t value, int32_t) {
  Store(LowWord(value));
  SetNull(false, kWholeValue);
}

void VWordInMem::SetLongLong(int64_t value, int32_t) {
  Store(LowWord(value));
  SetNull(false, kWholeValue);
}

void VWordInMem::SetTime(int32_t seconds, int32_t range) { SetLong(seconds, range); }

void VWordInMem::SetReal(double value, int32_t) {
  Store(RealToWord(value));
  SetNull(false, kWholeValue);
}

void VWordInMem::CopyTo(VValue& destination, int32_t) const {
  destination.SetWord(Datum(), kWholeValue);
}

void VWordInMem::ConvertTo(VValue& destination, int32_t) const {
  destination.SetWord(Datum(), kWholeValue);
}

void VWordInMem::FormatTo(VString& destination, const VString* format, int32_t) const {
  destination.SetWord(Datum(), kWholeValue);
  if (format != nullptr) ApplyNumberFormat(destination, *format);
}

void VWordInMem::CopyFrom(const VValue& source, int32_t) {
  SetNull(source.IsNull(kWholeValue), kWholeValue);
  if (IsNull(kWholeValue)) return;
  Store(LowWord(source.GetLong(kWholeValue)));
}

void VWordInMem::SetString(const VString& source, int32_t) {
  SetNull(source.IsNull(kWholeValue), kWholeValue);
  if (IsNull(kWholeValue)) return;
  Store(source.GetWord(kWholeValue));
}

void VWordInMem::Assign(const VValue& source, int32_t) {
  Store(source.GetWord(kWholeValue));
  SetNull(source.IsNull(kWholeValue), kWholeValue);
}

int32_t VWordInMem::Compare(const VValue& other, int32_t, int32_t) const {
  const int32_t theirs = other.GetLong(kWholeValue);
  const int32_t mine = Datum();
  return mine > theirs ? 1 : mine < theirs ? -1 : 0;
}

const uint8_t* VWordInMem::FromData(const uint8_t* data, int32_t) {
  if (data == nullptr) return data;
  int16_t value;
  std::memcpy(&value, data, sizeof value);
  Store(value);
  SetNull(false, kWholeValue);
  return data + sizeof value;
}

uint8_t* VWordInMem::ToData(uint8_t* data, int32_t) const {
  if (data == nullptr) return data;
  const int16_t value = Datum();
  std::memcpy(data, &value, sizeof value);
  return data + sizeof value;
}

uint32_t VWordInMem::GetDataSize() const { return sizeof(int16_t); }

int32_t VWordInMem::ReadFromStream(VStream& stream, uint32_t) {
  if (fData == nullptr) {
    stream.Skip(sizeof(int16_t));
    return stream.GetStatus();
  }
  const int16_t value = stream.GetWord();
  // A word that did not arrive whole leaves the number as it was.
  if (stream.GetStatus() <= 0) Store(value);
  return stream.GetStatus();
}

int32_t VWordInMem::WriteToStream(VStream& stream, uint32_t tag) {
  if (tag == kTagVVAL) stream.PutLong(kValueWord);
  stream.PutWord(Datum());
  return stream.GetStatus();
}

VWord::VWord(int16_t value) : VWordInMem(&fValue, false), fValue(value) {}

VWord::VWord(const VWord& other) : VWordInMem(&fValue, false), fValue(other.Datum()) {
  fNull = other.fNull;
}

VWord& VWord::operator=(const VWord& other) {
  fValue = other.Datum();
  fNull = other.fNull;
  return *this;
}
