// The member bodies of VScalarInMem, for the sources of the values that
// instantiate it: each defines its traits, includes this file and writes
// `template class VScalarInMem<T, Traits>;`.
//
// A traits class answers, for a number `n` of type T:
//  - kKind, kInteger: the kind code and IsInteger;
//  - ToBoolean(n), ToWord(n), ToLong(n), ToLongLong(n), ToReal(n): the getters;
//  - FromBoolean, FromWord, FromLong, FromLongLong, FromReal: the setters;
//  - CopyTo, ConvertTo, FormatTo(destination, n[, format]): the datum given
//    to another value or a string;
//  - CopyFromValue(source): what CopyFrom stores; ReadValue(source): what
//    SetString and Assign store;
//  - Compare(n, other): 1, -1 or 0;
//  - Get(stream), Put(stream, n): the stream's form; kNullSkip: the bytes
//    the null storage steps over (0: it reads the number and drops it).
#pragma once

#include <cstring>

#include "framework/core/streams/VStream.h"
#include "framework/core/strings/VString.h"
#include "framework/core/values/VScalarValue.h"

template <typename T, typename Traits>
VScalarInMem<T, Traits>::VScalarInMem(T* data, bool clear) : fData(data) {
  if (clear) Clear();
}

template <typename T, typename Traits>
bool VScalarInMem<T, Traits>::IsInteger() const {
  return Traits::kInteger;
}

template <typename T, typename Traits>
void VScalarInMem<T, Traits>::Clear() {
  Store(T{});
  SetNull(false, kWholeValue);
}

template <typename T, typename Traits>
int32_t VScalarInMem<T, Traits>::GetKind() const {
  return Traits::kKind;
}

template <typename T, typename Traits>
bool VScalarInMem<T, Traits>::GetBoolean(int32_t) const {
  return Traits::ToBoolean(Datum());
}

template <typename T, typename Traits>
int16_t VScalarInMem<T, Traits>::GetWord(int32_t) const {
  return Traits::ToWord(Datum());
}

template <typename T, typename Traits>
int32_t VScalarInMem<T, Traits>::GetLong(int32_t) const {
  return Traits::ToLong(Datum());
}

template <typename T, typename Traits>
int64_t VScalarInMem<T, Traits>::GetLongLong(int32_t) const {
  return Traits::ToLongLong(Datum());
}

template <typename T, typename Traits>
int32_t VScalarInMem<T, Traits>::GetTime(int32_t) const {
  return Traits::ToLong(Datum());
}

template <typename T, typename Traits>
double VScalarInMem<T, Traits>::GetReal(int32_t) const {
  return Traits::ToReal(Datum());
}

template <typename T, typename Traits>
void VScalarInMem<T, Traits>::SetBoolean(uint8_t value, int32_t) {
  Store(Traits::FromBoolean(value));
  SetNull(false, kWholeValue);
}

template <typename T, typename Traits>
void VScalarInMem<T, Traits>::SetWord(int16_t value, int32_t) {
  Store(Traits::FromWord(value));
  SetNull(false, kWholeValue);
}

template <typename T, typename Traits>
void VScalarInMem<T, Traits>::SetLong(int32_t value, int32_t) {
  Store(Traits::FromLong(value));
  SetNull(false, kWholeValue);
}

template <typename T, typename Traits>
void VScalarInMem<T, Traits>::SetLongLong(int64_t value, int32_t) {
  Store(Traits::FromLongLong(value));
  SetNull(false, kWholeValue);
}

template <typename T, typename Traits>
void VScalarInMem<T, Traits>::SetTime(int32_t seconds, int32_t range) {
  SetLong(seconds, range);
}

template <typename T, typename Traits>
void VScalarInMem<T, Traits>::SetReal(double value, int32_t) {
  Store(Traits::FromReal(value));
  SetNull(false, kWholeValue);
}

template <typename T, typename Traits>
void VScalarInMem<T, Traits>::CopyTo(VValue& destination, int32_t) const {
  Traits::CopyTo(destination, Datum());
}

template <typename T, typename Traits>
void VScalarInMem<T, Traits>::ConvertTo(VValue& destination, int32_t) const {
  Traits::ConvertTo(destination, Datum());
}

template <typename T, typename Traits>
void VScalarInMem<T, Traits>::FormatTo(VString& destination, const VString* format, int32_t) const {
  Traits::FormatTo(destination, Datum(), format);
}

template <typename T, typename Traits>
void VScalarInMem<T, Traits>::CopyFrom(const VValue& source, int32_t) {
  SetNull(source.IsNull(kWholeValue), kWholeValue);
  if (IsNull(kWholeValue)) return;
  Store(Traits::CopyFromValue(source));
}

template <typename T, typename Traits>
void VScalarInMem<T, Traits>::SetString(const VString& source, int32_t) {
  SetNull(source.IsNull(kWholeValue), kWholeValue);
  if (IsNull(kWholeValue)) return;
  Store(Traits::ReadValue(source));
}

template <typename T, typename Traits>
void VScalarInMem<T, Traits>::Assign(const VValue& source, int32_t) {
  Store(Traits::ReadValue(source));
  SetNull(source.IsNull(kWholeValue), kWholeValue);
}

template <typename T, typename Traits>
int32_t VScalarInMem<T, Traits>::Compare(const VValue& other, int32_t, int32_t) const {
  return Traits::Compare(Datum(), other);
}

template <typename T, typename Traits>
const uint8_t* VScalarInMem<T, Traits>::FromData(const uint8_t* data, int32_t) {
  if (data == nullptr) return data;
  T value;
  std::memcpy(&value, data, sizeof value);
  Store(value);
  SetNull(false, kWholeValue);
  return data + sizeof value;
}

template <typename T, typename Traits>
uint8_t* VScalarInMem<T, Traits>::ToData(uint8_t* data, int32_t) const {
  if (data == nullptr) return data;
  const T value = Datum();
  std::memcpy(data, &value, sizeof value);
  return data + sizeof value;
}

template <typename T, typename Traits>
uint32_t VScalarInMem<T, Traits>::GetDataSize() const {
  return sizeof(T);
}

template <typename T, typename Traits>
int32_t VScalarInMem<T, Traits>::ReadFromStream(VStream& stream, uint32_t) {
  if (fData == nullptr && Traits::kNullSkip != 0) {
    stream.Skip(Traits::kNullSkip);
    return stream.GetStatus();
  }
  const T value = Traits::Get(stream);
  if (stream.GetStatus() <= 0) Store(value);
  return stream.GetStatus();
}

template <typename T, typename Traits>
int32_t VScalarInMem<T, Traits>::WriteToStream(VStream& stream, uint32_t tag) {
  if (tag == kTagVVAL) stream.PutLong(Traits::kKind);
  Traits::Put(stream, Datum());
  return stream.GetStatus();
}
