// The typed array of booleans: bit storage, value interface, search and
// stream form.
#include "framework/core/containers/VBooleanArray.h"

#include <cstring>

#include "framework/core/streams/VStream.h"
#include "framework/core/strings/VString.h"

namespace {

bool BitAt(const uint8_t* data, int32_t index) {
  const uint32_t i = uint32_t(index - 1);
  return (data[i >> 3] & (1u << (i & 7))) != 0;
}

void PutBit(uint8_t* data, int32_t index, bool value) {
  const uint32_t i = uint32_t(index - 1);
  const uint8_t mask = uint8_t(1u << (i & 7));
  if (value) {
    data[i >> 3] |= mask;
  } else {
    data[i >> 3] &= uint8_t(~mask);
  }
}

uint32_t BytesForBits(uint64_t count) { return uint32_t((count + 7) / 8); }

}  // namespace

VBooleanArray::VBooleanArray(int32_t count) { SetCount(count, false); }
VBooleanArray::VBooleanArray(const VBooleanArray& other) { CopyFields(other); }
VBooleanArray& VBooleanArray::operator=(const VBooleanArray& other) {
  CopyFields(other);
  return *this;
}

VValue* VBooleanArray::Clone() const { return new VBooleanArray(*this); }
int32_t VBooleanArray::GetKind() const { return kValueBooleanArray; }
int32_t VBooleanArray::GetElementKind() const { return kValueBoolean; }
bool VBooleanArray::IsSingle() const { return true; }

// ---- bits

int64_t VBooleanArray::CapacityFor(int64_t n) const { return (n + 7) & ~int64_t(7); }
uint64_t VBooleanArray::StoreBytesFor(int64_t capacity) const { return uint64_t(capacity) / 8; }

void VBooleanArray::ZeroElements(int32_t first, int32_t last) {
  if (first > last) return;
  LockedStore store(*this);
  if (!store) return;
  for (int32_t i = first; i <= last; ++i) PutBit(store.Data(), i, false);
}

bool VBooleanArray::Bit(int32_t index) const {
  LockedStore store(*this);
  return store && BitAt(store.Data(), index);
}

void VBooleanArray::SetBit(int32_t index, bool value) {
  LockedStore store(*this);
  if (store) PutBit(store.Data(), index, value);
}

// ---- value interface

bool VBooleanArray::GetBoolean(int32_t range) const { return CheckIndex(range) && Bit(range); }
int16_t VBooleanArray::GetWord(int32_t range) const { return GetBoolean(range) ? 1 : 0; }
int32_t VBooleanArray::GetLong(int32_t range) const { return GetBoolean(range) ? 1 : 0; }
int32_t VBooleanArray::GetTime(int32_t range) const { return GetBoolean(range) ? 1 : 0; }
double VBooleanArray::GetReal(int32_t range) const { return GetBoolean(range) ? 1.0 : 0.0; }
void VBooleanArray::ConvertTo(VValue& destination, int32_t range) const {
  destination.SetLong(GetLong(range), kWholeValue);
}
void VBooleanArray::CopyTo(VValue& destination, int32_t range) const {
  destination.SetBoolean(GetBoolean(range) ? 1 : 0, kWholeValue);
}

void VBooleanArray::SetBoolean(uint8_t value, int32_t range) {
  if (CheckIndex(range)) SetBit(range, value != 0);
}
void VBooleanArray::SetWord(int16_t value, int32_t range) { SetBoolean(value != 0, range); }
void VBooleanArray::SetLong(int32_t value, int32_t range) { SetBoolean(value != 0, range); }
void VBooleanArray::SetTime(int32_t seconds, int32_t range) { SetBoolean(seconds != 0, range); }
void VBooleanArray::SetReal(double value, int32_t range) { SetBoolean(value != 0.0, range); }
void VBooleanArray::CopyFrom(const VValue& source, int32_t range) {
  SetBoolean(source.GetLong(kWholeValue) != 0, range);
}
void VBooleanArray::SetString(const VString& source, int32_t range) {
  SetBoolean(source.GetBoolean(kWholeValue), range);
}
void VBooleanArray::Assign(const VValue& source, int32_t range) {
  SetBoolean(source.GetBoolean(kWholeValue), range);
}
int32_t VBooleanArray::Compare(const VValue& other, int32_t, int32_t range) const {
  const int32_t element = GetBoolean(range) ? 1 : 0;
  const int32_t value = other.GetBoolean(kWholeValue) ? 1 : 0;
  return element == value ? 0 : (element > value ? 1 : -1);
}

int32_t VBooleanArray::FindValue(const VValue& value, int32_t start, bool forward, int32_t mode) const {
  return Find(value.GetBoolean(kWholeValue), start, forward, mode);
}

int32_t VBooleanArray::Find(bool value, int32_t start, bool forward, int32_t) const {
  if (start < 1 || start > fCount) return -1;
  LockedStore store(*this);
  if (!store) return -1;
  const int32_t step = forward ? 1 : -1;
  for (int32_t i = start; i >= 1 && i <= fCount; i += step) {
    if (BitAt(store.Data(), i) == value) return i;
  }
  return -1;
}

// ---- order

int32_t VBooleanArray::CompareElements(const void*, const void*) const { return 0; }
void VBooleanArray::Sort(bool) {}
void VBooleanArray::Reverse() {}

void VBooleanArray::CopyElement(uint8_t* data, int32_t to, const uint8_t* source, int32_t from) {
  PutBit(data, to + 1, BitAt(source, from + 1));
}

void VBooleanArray::MoveElements(int32_t from, int32_t to, int32_t n) {
  if (!CanMove(from, to, n)) return;
  LockedStore store(*this);
  if (!store) return;
  uint8_t* data = store.Data();
  if (to > from) {
    for (int32_t k = n - 1; k >= 0; --k) PutBit(data, to + k, BitAt(data, from + k));
    for (int32_t i = from; i < to; ++i) PutBit(data, i, false);
  } else {
    for (int32_t k = 0; k < n; ++k) PutBit(data, to + k, BitAt(data, from + k));
    for (int32_t i = to + n; i <= from + n - 1; ++i) PutBit(data, i, false);
  }
}

// ---- stream form

int32_t VBooleanArray::WriteElements(VStream& stream) const {
  LockedStore store(*this);
  if (!store) return NoMemoryError();
  const uint32_t bytes = BytesForBits(uint64_t(fCount));
  // The bits past the count in the last byte are padding: written as zeros.
  const uint8_t last = uint8_t(store.Data()[bytes - 1] & (0xFFu >> ((8 - fCount % 8) % 8)));
  if (bytes > 1) stream.PutData(store.Data(), bytes - 1);
  return stream.PutData(&last, 1);
}

int32_t VBooleanArray::ReadElements(VStream& stream, int32_t count) {
  return ReadIntoStore(count, [&](uint8_t* data) {
    uint32_t bytes = BytesForBits(uint64_t(count));
    return int32_t(stream.ReadData(data, bytes));
  });
}

uint64_t VBooleanArray::StoredBytesFor(VStream&, uint64_t count) const { return BytesForBits(count); }
