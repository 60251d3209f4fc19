// The typed arrays of 16-bit and 32-bit integers, reals, times and dates:
// their value interface, element comparison, buffers and stream forms.
#include "framework/core/containers/VNumericArrays.h"

#include "framework/core/containers/VArrayConversions_p.h"
#include "framework/core/streams/VStream.h"
#include "framework/core/strings/VString.h"
#include "framework/core/values/RealTruncation.h"

using arrays_p::Low16;
using arrays_p::Low32;
using arrays_p::Order;

// ---- VWordArray

VWordArray::VWordArray(int32_t count) : VPlainArrayOf(count) {}
VWordArray::VWordArray(const VWordArray& other) : VPlainArrayOf(0) { CopyFields(other); }
VWordArray& VWordArray::operator=(const VWordArray& other) {
  CopyFields(other);
  return *this;
}

VValue* VWordArray::Clone() const { return new VWordArray(*this); }
int32_t VWordArray::GetKind() const { return kValueWordArray; }
int32_t VWordArray::GetElementKind() const { return kValueWord; }
bool VWordArray::IsInteger() const { return true; }

bool VWordArray::GetBoolean(int32_t range) const { return Get(range) != 0; }
int16_t VWordArray::GetWord(int32_t range) const { return Get(range); }
int32_t VWordArray::GetLong(int32_t range) const { return Get(range); }
int32_t VWordArray::GetTime(int32_t range) const { return Get(range); }
double VWordArray::GetReal(int32_t range) const { return Get(range); }
void VWordArray::ConvertTo(VValue& destination, int32_t range) const {
  destination.SetLong(Get(range), kWholeValue);
}
void VWordArray::CopyTo(VValue& destination, int32_t range) const {
  destination.SetWord(Get(range), kWholeValue);
}
void VWordArray::FormatTo(VString& destination, const VString* format, int32_t range) const {
  destination.SetWord(Get(range), kWholeValue);
  arrays_p::ApplyNumberFormatTo(destination, format);
}

void VWordArray::SetBoolean(uint8_t value, int32_t range) { SetWord(value != 0 ? 1 : 0, range); }
void VWordArray::SetWord(int16_t value, int32_t range) {
  if (Put(range, value) && fSorted != 0) Sort(false);
}
void VWordArray::SetLong(int32_t value, int32_t range) { SetWord(Low16(value), range); }
void VWordArray::SetTime(int32_t seconds, int32_t range) { SetWord(Low16(seconds), range); }
void VWordArray::SetReal(double value, int32_t range) { SetWord(RealToWord(value), range); }
void VWordArray::CopyFrom(const VValue& source, int32_t range) {
  SetWord(Low16(source.GetLong(kWholeValue)), range);
}
void VWordArray::SetString(const VString& source, int32_t range) {
  SetWord(source.GetWord(kWholeValue), range);
}
void VWordArray::Assign(const VValue& source, int32_t range) { SetWord(source.GetWord(kWholeValue), range); }
int32_t VWordArray::Compare(const VValue& other, int32_t, int32_t range) const {
  return Order<int16_t>(Get(range), other.GetWord(kWholeValue));
}

int32_t VWordArray::FindValue(const VValue& value, int32_t start, bool forward, int32_t mode) const {
  return Find(value.GetWord(kWholeValue), start, forward, mode);
}
int32_t VWordArray::CompareElements(const void* a, const void* b) const { return Order(Load(a), Load(b)); }

void VWordArray::SetFromBuffer(const int16_t* buffer, int32_t n) { FillFrom(buffer, n); }

int16_t VWordArray::GetMax() const {
  int16_t largest = INT16_MIN;
  LockedStore store(*this);
  if (!store) return largest;
  for (int32_t i = 0; i < fCount; ++i) {
    const int16_t element = Load(store.Data() + size_t(i) * 2);
    if (element > largest) largest = element;
  }
  return largest;
}

int32_t VWordArray::WriteElements(VStream& stream) const {
  LockedStore store(*this);
  if (!store) return NoMemoryError();
  return stream.PutShortArray(reinterpret_cast<const int16_t*>(store.Data()), uint32_t(fCount));
}

int32_t VWordArray::ReadElements(VStream& stream, int32_t count) {
  return ReadIntoStore(count, [&](uint8_t* data) {
    uint32_t n = uint32_t(count);
    return int32_t(stream.GetShortArray(reinterpret_cast<int16_t*>(data), n));
  });
}

// ---- VLongArray

VLongArray::VLongArray(int32_t count) : VPlainArrayOf(count) {}
VLongArray::VLongArray(const VLongArray& other) : VPlainArrayOf(0) { CopyFields(other); }
VLongArray& VLongArray::operator=(const VLongArray& other) {
  CopyFields(other);
  return *this;
}

VValue* VLongArray::Clone() const { return new VLongArray(*this); }
int32_t VLongArray::GetKind() const { return kValueLongArray; }
int32_t VLongArray::GetElementKind() const { return kValueLong; }
bool VLongArray::IsInteger() const { return true; }

bool VLongArray::GetBoolean(int32_t range) const { return Get(range) != 0; }
int16_t VLongArray::GetWord(int32_t range) const { return Low16(Get(range)); }
int32_t VLongArray::GetLong(int32_t range) const { return Get(range); }
int32_t VLongArray::GetTime(int32_t range) const { return Get(range); }
double VLongArray::GetReal(int32_t range) const { return Get(range); }
void VLongArray::ConvertTo(VValue& destination, int32_t range) const {
  destination.SetLong(Get(range), kWholeValue);
}
void VLongArray::CopyTo(VValue& destination, int32_t range) const {
  destination.SetLong(Get(range), kWholeValue);
}
void VLongArray::FormatTo(VString& destination, const VString* format, int32_t range) const {
  destination.SetLong(Get(range), kWholeValue);
  arrays_p::ApplyNumberFormatTo(destination, format);
}

void VLongArray::SetBoolean(uint8_t value, int32_t range) { SetLong(value != 0 ? 1 : 0, range); }
void VLongArray::SetWord(int16_t value, int32_t range) { SetLong(value, range); }
void VLongArray::SetLong(int32_t value, int32_t range) {
  if (Put(range, value) && fSorted != 0) Sort(false);
}
void VLongArray::SetTime(int32_t seconds, int32_t range) { SetLong(seconds, range); }
void VLongArray::SetReal(double value, int32_t range) { SetLong(RealToLong(value), range); }
void VLongArray::CopyFrom(const VValue& source, int32_t range) { SetLong(source.GetLong(kWholeValue), range); }
void VLongArray::SetString(const VString& source, int32_t range) {
  SetLong(source.GetLong(kWholeValue), range);
}
void VLongArray::Assign(const VValue& source, int32_t range) { SetLong(source.GetLong(kWholeValue), range); }
int32_t VLongArray::Compare(const VValue& other, int32_t, int32_t range) const {
  return Order(Get(range), other.GetLong(kWholeValue));
}

int32_t VLongArray::FindValue(const VValue& value, int32_t start, bool forward, int32_t mode) const {
  return Find(value.GetLong(kWholeValue), start, forward, mode);
}
int32_t VLongArray::CompareElements(const void* a, const void* b) const { return Order(Load(a), Load(b)); }

void VLongArray::SetFromBuffer(const int32_t* buffer, int32_t n) { FillFrom(buffer, n); }

int32_t VLongArray::WriteElements(VStream& stream) const {
  LockedStore store(*this);
  if (!store) return NoMemoryError();
  return stream.PutLongArray(reinterpret_cast<const int32_t*>(store.Data()), uint32_t(fCount));
}

int32_t VLongArray::ReadElements(VStream& stream, int32_t count) {
  return ReadIntoStore(count, [&](uint8_t* data) {
    uint32_t n = uint32_t(count);
    return int32_t(stream.GetLongArray(reinterpret_cast<int32_t*>(data), n));
  });
}

// ---- VRealArray

VRealArray::VRealArray(int32_t count) : VPlainArrayOf(count) {}
VRealArray::VRealArray(const VRealArray& other) : VPlainArrayOf(0) { CopyFields(other); }
VRealArray& VRealArray::operator=(const VRealArray& other) {
  CopyFields(other);
  return *this;
}

VValue* VRealArray::Clone() const { return new VRealArray(*this); }
int32_t VRealArray::GetKind() const { return kValueRealArray; }
int32_t VRealArray::GetElementKind() const { return kValueReal; }
bool VRealArray::IsInteger() const { return true; }

bool VRealArray::GetBoolean(int32_t range) const { return Get(range) != 0.0; }
int16_t VRealArray::GetWord(int32_t range) const { return RealToWord(Get(range)); }
int32_t VRealArray::GetLong(int32_t range) const { return RealToLong(Get(range)); }
int32_t VRealArray::GetTime(int32_t range) const { return RealToLong(Get(range)); }
double VRealArray::GetReal(int32_t range) const { return Get(range); }
void VRealArray::ConvertTo(VValue& destination, int32_t range) const {
  destination.SetReal(Get(range), kWholeValue);
}
void VRealArray::CopyTo(VValue& destination, int32_t range) const {
  destination.SetReal(Get(range), kWholeValue);
}
void VRealArray::FormatTo(VString& destination, const VString* format, int32_t range) const {
  destination.SetReal(Get(range), kWholeValue);
  arrays_p::ApplyNumberFormatTo(destination, format);
}

void VRealArray::SetBoolean(uint8_t value, int32_t range) { SetReal(value != 0 ? 1.0 : 0.0, range); }
void VRealArray::SetWord(int16_t value, int32_t range) { SetReal(value, range); }
void VRealArray::SetLong(int32_t value, int32_t range) { SetReal(value, range); }
void VRealArray::SetTime(int32_t seconds, int32_t range) { SetReal(seconds, range); }
void VRealArray::SetReal(double value, int32_t range) {
  if (Put(range, value) && fSorted != 0) Sort(false);
}
void VRealArray::CopyFrom(const VValue& source, int32_t range) { SetReal(source.GetReal(kWholeValue), range); }
void VRealArray::SetString(const VString& source, int32_t range) {
  SetReal(source.GetReal(kWholeValue), range);
}
void VRealArray::Assign(const VValue& source, int32_t range) { SetReal(source.GetReal(kWholeValue), range); }
int32_t VRealArray::Compare(const VValue& other, int32_t, int32_t range) const {
  const double element = Get(range);
  const double value = other.GetReal(kWholeValue);
  return CompareElements(&element, &value);
}

int32_t VRealArray::FindValue(const VValue& value, int32_t start, bool forward, int32_t mode) const {
  return Find(value.GetReal(kWholeValue), start, forward, mode);
}
int32_t VRealArray::CompareElements(const void* a, const void* b) const {
  const double x = Load(a);
  const double y = Load(b);
  if (x == y) return 0;
  return x < y ? -1 : 1;
}

void VRealArray::SetFromBuffer(const double* buffer, int32_t n) { FillFrom(buffer, n); }

void VRealArray::AppendFromBuffer(const double* buffer, int32_t n) {
  if (n <= 0 || buffer == nullptr || int64_t(fCount) + n > INT32_MAX) return;
  const int32_t before = fCount;
  SetCount(before + n, true);
  if (fCount != before + n) return;
  {
    LockedStore store(*this);
    if (store) std::memcpy(store.Data() + size_t(before) * sizeof(double), buffer, size_t(n) * sizeof(double));
  }
  if (fSorted != 0) Sort(false);
}

double VRealArray::GetSum() const {
  double sum = 0.0;
  LockedStore store(*this);
  if (!store) return sum;
  for (int32_t i = 0; i < fCount; ++i) sum += Load(store.Data() + size_t(i) * sizeof(double));
  return sum;
}

double VRealArray::GetMean() const { return fCount > 0 ? GetSum() / fCount : 0.0; }

double VRealArray::GetSumOfSquares() const {
  if (fCount == 0) return 0.0;
  const double mean = GetMean();
  double sum = 0.0;
  LockedStore store(*this);
  if (!store) return sum;
  for (int32_t i = 0; i < fCount; ++i) {
    const double distance = Load(store.Data() + size_t(i) * sizeof(double)) - mean;
    sum += distance * distance;
  }
  return sum;
}

double VRealArray::GetVariance() const { return fCount > 0 ? GetSumOfSquares() / fCount : 0.0; }

int32_t VRealArray::WriteElements(VStream& stream) const {
  LockedStore store(*this);
  if (!store) return NoMemoryError();
  return stream.PutRealArray(reinterpret_cast<const double*>(store.Data()), uint32_t(fCount));
}

int32_t VRealArray::ReadElements(VStream& stream, int32_t count) {
  return ReadIntoStore(count, [&](uint8_t* data) {
    uint32_t n = uint32_t(count);
    return int32_t(stream.GetRealArray(reinterpret_cast<double*>(data), n));
  });
}

uint64_t VRealArray::StoredBytesFor(VStream& stream, uint64_t count) const {
  int16_t dataOrder;
  int16_t nativeOrder;
  stream.GetByteOrders(dataOrder, nativeOrder);
  const bool extended = dataOrder == kByteOrderExtended && nativeOrder != kByteOrderExtended;
  return count * (extended ? 10u : 8u);
}

// ---- VHourArray

VHourArray::VHourArray(int32_t count) : VPlainArrayOf(count) {}
VHourArray::VHourArray(const VHourArray& other) : VPlainArrayOf(0) { CopyFields(other); }
VHourArray& VHourArray::operator=(const VHourArray& other) {
  CopyFields(other);
  return *this;
}

VValue* VHourArray::Clone() const { return new VHourArray(*this); }
int32_t VHourArray::GetKind() const { return kValueHourArray; }
int32_t VHourArray::GetElementKind() const { return kValueHour; }
bool VHourArray::IsInteger() const { return true; }

bool VHourArray::GetBoolean(int32_t range) const { return Get(range) != 0; }
int16_t VHourArray::GetWord(int32_t range) const { return Low16(Get(range)); }
int32_t VHourArray::GetLong(int32_t range) const { return Get(range); }
int32_t VHourArray::GetTime(int32_t range) const { return Get(range); }
double VHourArray::GetReal(int32_t range) const { return Get(range); }
void VHourArray::ConvertTo(VValue& destination, int32_t range) const {
  destination.SetLong(Get(range), kWholeValue);
}
void VHourArray::CopyTo(VValue& destination, int32_t range) const {
  destination.SetTime(Get(range), kWholeValue);
}
void VHourArray::FormatTo(VString& destination, const VString* format, int32_t range) const {
  destination.SetTime(Get(range), kWholeValue);
  arrays_p::ApplyTextFormatTo(destination, format);
}

void VHourArray::SetBoolean(uint8_t value, int32_t range) { SetTime(value != 0 ? 1 : 0, range); }
void VHourArray::SetWord(int16_t value, int32_t range) { SetTime(value, range); }
void VHourArray::SetLong(int32_t value, int32_t range) { SetTime(value, range); }
void VHourArray::SetTime(int32_t seconds, int32_t range) {
  if (Put(range, seconds) && fSorted != 0) Sort(false);
}
void VHourArray::SetReal(double value, int32_t range) { SetTime(RealToLong(value), range); }
void VHourArray::CopyFrom(const VValue& source, int32_t range) { SetTime(source.GetTime(kWholeValue), range); }
void VHourArray::SetString(const VString& source, int32_t range) {
  SetTime(source.GetTime(kWholeValue), range);
}
void VHourArray::Assign(const VValue& source, int32_t range) { SetTime(source.GetTime(kWholeValue), range); }
int32_t VHourArray::Compare(const VValue& other, int32_t, int32_t range) const {
  return Order(Get(range), other.GetTime(kWholeValue));
}

int32_t VHourArray::FindValue(const VValue& value, int32_t start, bool forward, int32_t mode) const {
  return Find(value.GetTime(kWholeValue), start, forward, mode);
}
int32_t VHourArray::CompareElements(const void* a, const void* b) const { return Order(Load(a), Load(b)); }

int32_t VHourArray::WriteElements(VStream& stream) const {
  LockedStore store(*this);
  if (!store) return NoMemoryError();
  return stream.PutLongArray(reinterpret_cast<const int32_t*>(store.Data()), uint32_t(fCount));
}

int32_t VHourArray::ReadElements(VStream& stream, int32_t count) {
  return ReadIntoStore(count, [&](uint8_t* data) {
    uint32_t n = uint32_t(count);
    return int32_t(stream.GetLongArray(reinterpret_cast<int32_t*>(data), n));
  });
}

// ---- VDateArray

namespace {

int32_t CompareDates(const VDateRec& a, const VDateRec& b) {
  if (a.year != b.year) return Order(a.year, b.year);
  if (a.month != b.month) return Order(a.month, b.month);
  return Order(a.day, b.day);
}

}  // namespace

VDateArray::VDateArray(int32_t count) : VPlainArrayOf(count) {}
VDateArray::VDateArray(const VDateArray& other) : VPlainArrayOf(0) { CopyFields(other); }
VDateArray& VDateArray::operator=(const VDateArray& other) {
  CopyFields(other);
  return *this;
}

VValue* VDateArray::Clone() const { return new VDateArray(*this); }
int32_t VDateArray::GetKind() const { return kValueDateArray; }
int32_t VDateArray::GetElementKind() const { return kValueDate; }

VDateRec& VDateArray::GetDate(VDateRec& date, int32_t range) const {
  date = Get(range);
  return date;
}
void VDateArray::CopyTo(VValue& destination, int32_t range) const {
  destination.SetDate(Get(range), kWholeValue);
}
void VDateArray::FormatTo(VString& destination, const VString* format, int32_t range) const {
  destination.SetDate(Get(range), kWholeValue);
  arrays_p::ApplyTextFormatTo(destination, format);
}

void VDateArray::SetDate(const VDateRec& date, int32_t range) { Put(range, date); }
void VDateArray::SetString(const VString& source, int32_t range) {
  VDateRec date;
  SetDate(source.GetDate(date, kWholeValue), range);
}
void VDateArray::Assign(const VValue& source, int32_t range) {
  VDateRec date;
  SetDate(source.GetDate(date, kWholeValue), range);
}
int32_t VDateArray::Compare(const VValue& other, int32_t, int32_t range) const {
  VDateRec date;
  return CompareDates(Get(range), other.GetDate(date, kWholeValue));
}

int32_t VDateArray::FindValue(const VValue& value, int32_t start, bool forward, int32_t mode) const {
  VDateRec date;
  return Find(value.GetDate(date, kWholeValue), start, forward, mode);
}
int32_t VDateArray::CompareElements(const void* a, const void* b) const { return CompareDates(Load(a), Load(b)); }

int32_t VDateArray::WriteElements(VStream& stream) const {
  LockedStore store(*this);
  if (!store) return NoMemoryError();
  return stream.PutShortArray(reinterpret_cast<const int16_t*>(store.Data()), uint32_t(fCount) * 3u);
}

int32_t VDateArray::ReadElements(VStream& stream, int32_t count) {
  return ReadIntoStore(count, [&](uint8_t* data) {
    uint32_t n = uint32_t(count) * 3u;
    return int32_t(stream.GetShortArray(reinterpret_cast<int16_t*>(data), n));
  });
}
