// The typed arrays of plain data: 16-bit and 32-bit integers, reals, times
// and dates (booleans are in VBooleanArray.h).
#pragma once

#include <cstdint>
#include <cstring>

#include "framework/core/containers/VArray.h"

// The element access shared by the plain kinds: elements of type T stored as
// their bytes in this machine's order.
template <typename T>
class VPlainArrayOf : public VArray {
 public:
  bool IsSingle() const override { return true; }

  // The search rules of the typed arrays for one element value.
  int32_t Find(const T& value, int32_t start = 1, bool forward = true, int32_t mode = 0) const {
    return FindElement(&value, start, forward, mode);
  }

 protected:
  explicit VPlainArrayOf(int32_t count) {
    fElementSize = int32_t(sizeof(T));
    SetCount(count, false);
  }

  // The element named by the range, or zero for a bad range.
  T Get(int32_t range) const { return CheckIndex(range) ? ElementAt<T>(range) : T{}; }
  // Writes the element named by a valid range; answers whether it was valid.
  bool Put(int32_t range, const T& value) {
    if (!CheckIndex(range)) return false;
    WriteElement(range, &value);
    return true;
  }
  static T Load(const void* element) {
    T value;
    std::memcpy(&value, element, sizeof(T));
    return value;
  }
  // Copies n elements from a buffer in this machine's order over the whole
  // array, then sorts when the sorted flag is set. A negative n empties the
  // array; when the store cannot take n elements nothing is copied.
  void FillFrom(const T* buffer, int32_t n) {
    if (n < 0) n = 0;
    SetCount(n, true);
    if (fCount != n || n == 0 || buffer == nullptr) return;
    {
      LockedStore store(*this);
      if (store) std::memcpy(store.Data(), buffer, size_t(n) * sizeof(T));
    }
    if (fSorted != 0) Sort(false);
  }
};

// Elements: signed 16-bit. Kind 101.
class VWordArray : public VPlainArrayOf<int16_t> {
 public:
  explicit VWordArray(int32_t count = 0);
  VWordArray(const VWordArray& other);
  VWordArray& operator=(const VWordArray& other);

  VValue* Clone() const override;
  int32_t GetKind() const override;
  int32_t GetElementKind() const override;
  bool IsInteger() const override;

  bool GetBoolean(int32_t range) const override;
  int16_t GetWord(int32_t range) const override;
  int32_t GetLong(int32_t range) const override;
  int32_t GetTime(int32_t range) const override;
  double GetReal(int32_t range) const override;
  void ConvertTo(VValue& destination, int32_t range) const override;
  void CopyTo(VValue& destination, int32_t range) const override;
  void FormatTo(VString& destination, const VString* format, int32_t range) const override;

  void SetBoolean(uint8_t value, int32_t range) override;
  // The kind's own setter: stores, then sorts when the sorted flag is set.
  void SetWord(int16_t value, int32_t range) override;
  void SetLong(int32_t value, int32_t range) override;
  void SetTime(int32_t seconds, int32_t range) override;
  void SetReal(double value, int32_t range) override;
  void CopyFrom(const VValue& source, int32_t range) override;
  void SetString(const VString& source, int32_t range) override;
  void Assign(const VValue& source, int32_t range) override;
  int32_t Compare(const VValue& other, int32_t unused, int32_t range) const override;

  int32_t FindValue(const VValue& value, int32_t start, bool forward, int32_t mode) const override;
  int32_t CompareElements(const void* a, const void* b) const override;

  void SetFromBuffer(const int16_t* buffer, int32_t n);
  // The largest element; -32768 for an empty array.
  int16_t GetMax() const;

 protected:
  int32_t WriteElements(VStream& stream) const override;
  int32_t ReadElements(VStream& stream, int32_t count) override;
};

// Elements: signed 32-bit. Kind 102. The framework's growable list of numbers.
class VLongArray : public VPlainArrayOf<int32_t> {
 public:
  explicit VLongArray(int32_t count = 0);
  VLongArray(const VLongArray& other);
  VLongArray& operator=(const VLongArray& other);

  VValue* Clone() const override;
  int32_t GetKind() const override;
  int32_t GetElementKind() const override;
  bool IsInteger() const override;

  bool GetBoolean(int32_t range) const override;
  int16_t GetWord(int32_t range) const override;
  int32_t GetLong(int32_t range) const override;
  int32_t GetTime(int32_t range) const override;
  double GetReal(int32_t range) const override;
  void ConvertTo(VValue& destination, int32_t range) const override;
  void CopyTo(VValue& destination, int32_t range) const override;
  void FormatTo(VString& destination, const VString* format, int32_t range) const override;

  void SetBoolean(uint8_t value, int32_t range) override;
  void SetWord(int16_t value, int32_t range) override;
  // The kind's own setter: stores, then sorts when the sorted flag is set.
  void SetLong(int32_t value, int32_t range) override;
  void SetTime(int32_t seconds, int32_t range) override;
  void SetReal(double value, int32_t range) override;
  void CopyFrom(const VValue& source, int32_t range) override;
  void SetString(const VString& source, int32_t range) override;
  void Assign(const VValue& source, int32_t range) override;
  int32_t Compare(const VValue& other, int32_t unused, int32_t range) const override;

  int32_t FindValue(const VValue& value, int32_t start, bool forward, int32_t mode) const override;
  int32_t CompareElements(const void* a, const void* b) const override;

  void SetFromBuffer(const int32_t* buffer, int32_t n);

 protected:
  int32_t WriteElements(VStream& stream) const override;
  int32_t ReadElements(VStream& stream, int32_t count) override;
};

// Elements: IEEE 754 doubles. Kind 104.
class VRealArray : public VPlainArrayOf<double> {
 public:
  explicit VRealArray(int32_t count = 0);
  VRealArray(const VRealArray& other);
  VRealArray& operator=(const VRealArray& other);

  VValue* Clone() const override;
  int32_t GetKind() const override;
  int32_t GetElementKind() const override;
  bool IsInteger() const override;

  bool GetBoolean(int32_t range) const override;
  int16_t GetWord(int32_t range) const override;
  int32_t GetLong(int32_t range) const override;
  int32_t GetTime(int32_t range) const override;
  double GetReal(int32_t range) const override;
  void ConvertTo(VValue& destination, int32_t range) const override;
  void CopyTo(VValue& destination, int32_t range) const override;
  void FormatTo(VString& destination, const VString* format, int32_t range) const override;

  void SetBoolean(uint8_t value, int32_t range) override;
  void SetWord(int16_t value, int32_t range) override;
  void SetLong(int32_t value, int32_t range) override;
  void SetTime(int32_t seconds, int32_t range) override;
  // The kind's own setter: stores, then sorts when the sorted flag is set.
  void SetReal(double value, int32_t range) override;
  void CopyFrom(const VValue& source, int32_t range) override;
  void SetString(const VString& source, int32_t range) override;
  void Assign(const VValue& source, int32_t range) override;
  int32_t Compare(const VValue& other, int32_t unused, int32_t range) const override;

  int32_t FindValue(const VValue& value, int32_t start, bool forward, int32_t mode) const override;
  // Equal 0, less -1, otherwise (a NaN on either side included) 1.
  int32_t CompareElements(const void* a, const void* b) const override;

  void SetFromBuffer(const double* buffer, int32_t n);
  // Adds n reals behind the elements; a negative n or a store that cannot
  // grow adds nothing.
  void AppendFromBuffer(const double* buffer, int32_t n);

  // Statistics over the elements in index order; 0.0 for an empty array.
  double GetSum() const;
  double GetMean() const;
  // The sum of the squared distances from the mean.
  double GetSumOfSquares() const;
  // The population variance: GetSumOfSquares divided by the count.
  double GetVariance() const;

 protected:
  int32_t WriteElements(VStream& stream) const override;
  int32_t ReadElements(VStream& stream, int32_t count) override;
  // Reals take 10 bytes each in a stream whose data order is the extended one.
  uint64_t StoredBytesFor(VStream& stream, uint64_t count) const override;
};

// Elements: signed 32-bit counts of seconds. Kind 105.
class VHourArray : public VPlainArrayOf<int32_t> {
 public:
  explicit VHourArray(int32_t count = 0);
  VHourArray(const VHourArray& other);
  VHourArray& operator=(const VHourArray& other);

  VValue* Clone() const override;
  int32_t GetKind() const override;
  int32_t GetElementKind() const override;
  bool IsInteger() const override;

  bool GetBoolean(int32_t range) const override;
  int16_t GetWord(int32_t range) const override;
  int32_t GetLong(int32_t range) const override;
  int32_t GetTime(int32_t range) const override;
  double GetReal(int32_t range) const override;
  void ConvertTo(VValue& destination, int32_t range) const override;
  void CopyTo(VValue& destination, int32_t range) const override;
  void FormatTo(VString& destination, const VString* format, int32_t range) const override;

  void SetBoolean(uint8_t value, int32_t range) override;
  void SetWord(int16_t value, int32_t range) override;
  void SetLong(int32_t value, int32_t range) override;
  // The kind's own setter: stores, then sorts when the sorted flag is set.
  void SetTime(int32_t seconds, int32_t range) override;
  void SetReal(double value, int32_t range) override;
  void CopyFrom(const VValue& source, int32_t range) override;
  void SetString(const VString& source, int32_t range) override;
  void Assign(const VValue& source, int32_t range) override;
  int32_t Compare(const VValue& other, int32_t unused, int32_t range) const override;

  int32_t FindValue(const VValue& value, int32_t start, bool forward, int32_t mode) const override;
  int32_t CompareElements(const void* a, const void* b) const override;

 protected:
  int32_t WriteElements(VStream& stream) const override;
  int32_t ReadElements(VStream& stream, int32_t count) override;
};

// Elements: date records (day, month, year, each signed 16-bit, in this
// order). Kind 106. Only dates go in and out: the numeric getters answer
// zeros and the numeric setters do nothing. SetDate stores without sorting.
class VDateArray : public VPlainArrayOf<VDateRec> {
  static_assert(sizeof(VDateRec) == 6, "a date element is three 16-bit fields");

 public:
  explicit VDateArray(int32_t count = 0);
  VDateArray(const VDateArray& other);
  VDateArray& operator=(const VDateArray& other);

  VValue* Clone() const override;
  int32_t GetKind() const override;
  int32_t GetElementKind() const override;

  VDateRec& GetDate(VDateRec& date, int32_t range) const override;
  void CopyTo(VValue& destination, int32_t range) const override;
  void FormatTo(VString& destination, const VString* format, int32_t range) const override;

  void SetDate(const VDateRec& date, int32_t range) override;
  void SetString(const VString& source, int32_t range) override;
  void Assign(const VValue& source, int32_t range) override;
  // Year first, then month, then day.
  int32_t Compare(const VValue& other, int32_t unused, int32_t range) const override;

  int32_t FindValue(const VValue& value, int32_t start, bool forward, int32_t mode) const override;
  int32_t CompareElements(const void* a, const void* b) const override;

 protected:
  // Day, month and year of each element in turn, as 16-bit values.
  int32_t WriteElements(VStream& stream) const override;
  int32_t ReadElements(VStream& stream, int32_t count) override;
};
