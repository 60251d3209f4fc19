// xMorvaPropertiesStates: the state bytes of the property ids and their
// 'wSTT' record.
#include "document/xMorvaPropertiesStates.h"

#include <cstring>

#include "document/StoredRecord_p.h"
#include "framework/core/streams/VStream.h"

namespace {
constexpr uint32_t kTagWSTT = FourCC("wSTT");
}

xMorvaPropertiesStates::xMorvaPropertiesStates() = default;

xMorvaPropertiesStates::xMorvaPropertiesStates(bool fill) {
  if (fill) SetAll();
}

xMorvaPropertiesStates::xMorvaPropertiesStates(const xMorvaPropertiesStates& other) : VObject() {
  Assign(other);
}

xMorvaPropertiesStates::~xMorvaPropertiesStates() = default;

void xMorvaPropertiesStates::SetAll() { std::memset(fStates, 1, sizeof fStates); }

void xMorvaPropertiesStates::ClearAll() { std::memset(fStates, 0, sizeof fStates); }

void xMorvaPropertiesStates::Assign(const xMorvaPropertiesStates& other) {
  std::memmove(fStates, other.fStates, sizeof fStates);
}

void xMorvaPropertiesStates::CopyFrom(const xMorvaPropertiesStates* other) {
  if (other != nullptr) Assign(*other);
}

// 'wSTT' "0101", in the stream's data order:
//   0  tag 'wSTT'       4
//   4  version "0101"   4 characters
//   8  count            i32, 65
//  12  states           count bytes, ids 0 upwards
bool xMorvaPropertiesStates::Write(VStream& stream) const {
  WriteRecordHead(stream, kTagWSTT, kVersion);
  stream.PutLong(kPropertyStateCount);
  stream.PutData(fStates, kPropertyStateCount);
  return stream.GetStatus() == 0;
}

bool xMorvaPropertiesStates::Read(VStream& stream) {
  uint32_t version = 0;
  if (!ReadRecordTag(stream, kTagWSTT) || !ReadRecordVersion(stream, {kVersion}, version)) {
    return false;
  }
  if (!stream.HasRemaining(4)) return false;
  const int32_t count = stream.GetLong();
  if (stream.GetStatus() != 0 || count < 0 || !stream.HasRemaining(uint64_t(count))) {
    return false;
  }
  uint8_t states[kPropertyStateCount];
  uint32_t kept = count < kPropertyStateCount ? uint32_t(count) : kPropertyStateCount;
  uint32_t length = kept;
  if (kept != 0 && (stream.ReadData(states, length) != 0 || length != kept)) return false;
  // States beyond the 65 that exist are passed over, not left in the stream.
  if (uint32_t(count) > kept && stream.Skip(int32_t(uint32_t(count) - kept)) != 0) return false;
  std::memcpy(fStates, states, kept);
  return true;
}
