// The time value: seconds of a time of day or of a duration.
#include "framework/core/values/VHour.h"

#include <cstring>

#include "framework/core/host/VHostBridge.h"
#include "framework/core/streams/VStream.h"
#include "framework/core/strings/VDisplayFormats.h"
#include "framework/core/strings/VString.h"
#include "framework/core/values/RealTruncation.h"
#include "framework/core/values/VEnvironmentBridge.h"

VHourInMem::VHourInMem(int32_t* data, bool clear) : fData(data) {
  if (clear) Clear();
}

void VHourInMem::Store(int32_t seconds) {
  if (fData != nullptr) *fData = seconds;
}

VValue* VHourInMem::Clone() const { return new VHour(Datum()); }

void VHourInMem::Clear() {
  Store(0);
  SetNull(false, kWholeValue);
}

int32_t VHourInMem::GetKind() const { return kValueHour; }

int16_t VHourInMem::GetWord(int32_t) const {
  return static_cast<int16_t>(static_cast<uint16_t>(Datum()));
}
int32_t VHourInMem::GetLong(int32_t) const { return Datum(); }
int64_t VHourInMem::GetLongLong(int32_t) const { return Datum(); }
int32_t VHourInMem::GetTime(int32_t) const { return Datum(); }
double VHourInMem::GetReal(int32_t) const { return Datum(); }

void VHourInMem::SetWord(int16_t value, int32_t) {
  Store(value);
  SetNull(false, kWholeValue);
}

void VHourInMem::SetLong(int32_t value, int32_t) {
  Store(value);
  SetNull(false, kWholeValue);
}

void VHourInMem::SetLongLong(int64_t value, int32_t) {
  Store(static_cast<int32_t>(static_cast<uint32_t>(value)));
  SetNull(false, kWholeValue);
}

void VHourInMem::SetTime(int32_t seconds, int32_t range) { SetLong(seconds, range); }

void VHourInMem::SetReal(double value, int32_t) {
  Store(RealToLong(value));
  SetNull(false, kWholeValue);
}

void VHourInMem::CopyTo(VValue& destination, int32_t) const {
  destination.SetTime(Datum(), kWholeValue);
}

void VHourInMem::ConvertTo(VValue& destination, int32_t) const {
  destination.SetLong(Datum(), kWholeValue);
}

void VHourInMem::FormatTo(VString& destination, const VString* format, int32_t) const {
  destination.SetTime(Datum(), kWholeValue);
  if (format != nullptr) ApplyTextFormat(destination, *format);
}

void VHourInMem::CopyFrom(const VValue& source, int32_t) {
  SetNull(source.IsNull(kWholeValue), kWholeValue);
  if (IsNull(kWholeValue)) return;
  Store(source.GetLong(kWholeValue));
}

void VHourInMem::SetString(const VString& source, int32_t) {
  SetNull(source.IsNull(kWholeValue), kWholeValue);
  if (IsNull(kWholeValue)) return;
  Store(RealToLong(source.GetReal(kWholeValue)));
}

void VHourInMem::Assign(const VValue& source, int32_t) {
  Store(source.GetTime(kWholeValue));
  SetNull(source.IsNull(kWholeValue), kWholeValue);
}

int32_t VHourInMem::Compare(const VValue& other, int32_t, int32_t) const {
  const int32_t theirs = other.GetTime(kWholeValue);
  const int32_t mine = Datum();
  return mine > theirs ? 1 : mine < theirs ? -1 : 0;
}

const uint8_t* VHourInMem::FromData(const uint8_t* data, int32_t) {
  if (data == nullptr) return data;
  int32_t seconds;
  std::memcpy(&seconds, data, sizeof seconds);
  Store(seconds);
  SetNull(false, kWholeValue);
  return data + sizeof seconds;
}

uint8_t* VHourInMem::ToData(uint8_t* data, int32_t) const {
  if (data == nullptr) return data;
  const int32_t seconds = Datum();
  std::memcpy(data, &seconds, sizeof seconds);
  return data + sizeof seconds;
}

uint32_t VHourInMem::GetDataSize() const { return sizeof(int32_t); }

int32_t VHourInMem::ReadFromStream(VStream& stream, uint32_t) {
  if (fData == nullptr) {
    stream.Skip(sizeof(int32_t));
    return stream.GetStatus();
  }
  const int32_t seconds = stream.GetLong();
  // Seconds that did not arrive whole leave the value as it was.
  if (stream.GetStatus() <= 0) Store(seconds);
  return stream.GetStatus();
}

int32_t VHourInMem::WriteToStream(VStream& stream, uint32_t tag) {
  if (tag == kTagVVAL) stream.PutLong(kValueHour);
  stream.PutLong(Datum());
  return stream.GetStatus();
}

void VHourInMem::SetNow() {
  const VLocalDateTime now = GetEnvironmentBridge()->GetLocalDateTime();
  Store(now.hour * 3600 + now.minute * 60 + now.second);
  SetNull(false, kWholeValue);
}

int16_t VHourInMem::GetHour() const { return static_cast<int16_t>(Datum() / 3600); }
int16_t VHourInMem::GetMinute() const { return static_cast<int16_t>(Datum() / 60 % 60); }
int16_t VHourInMem::GetSecond() const { return static_cast<int16_t>(Datum() % 60); }

// The parts are recombined in 64 bits and kept to their low 32 bits, as the
// count of seconds has always wrapped.
namespace {
int32_t Combine(int64_t hour, int64_t minute, int64_t second) {
  return static_cast<int32_t>(static_cast<uint32_t>(hour * 3600 + minute * 60 + second));
}
}  // namespace

void VHourInMem::SetHour(int16_t hour) { Store(Combine(hour, GetMinute(), GetSecond())); }
void VHourInMem::SetMinute(int16_t minute) { Store(Combine(GetHour(), minute, GetSecond())); }
void VHourInMem::SetSecond(int16_t second) { Store(Combine(GetHour(), GetMinute(), second)); }

VHour::VHour(int32_t seconds) : VHourInMem(&fSeconds, false), fSeconds(seconds) {}

VHour::VHour(const VHour& other) : VHourInMem(&fSeconds, false), fSeconds(other.Datum()) {
  fNull = other.fNull;
}

VHour& VHour::operator=(const VHour& other) {
  fSeconds = other.Datum();
  fNull = other.fNull;
  return *this;
}

void VHour::FormatTo(VString& destination, const VString* format, int32_t) const {
  const int32_t formatNumber = format != nullptr ? format->GetLong(kWholeValue) : 0;
  const int32_t seconds = GetLong(kWholeValue);
  // The destination becomes exactly the host's text: empty when it has none.
  destination.Clear();
  if (VHostBridge* host = VHostBridgeService::Get()) host->HostValueToText(kHostTypeTime, formatNumber, seconds, destination);
}

void VHour::SetString(const VString& source, int32_t range) {
  VHostBridge* host = VHostBridgeService::Get();
  SetLong(host != nullptr ? host->HostTextToValue(kHostTypeTime, source) : 0, range);
}
