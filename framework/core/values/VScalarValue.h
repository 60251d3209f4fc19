// VScalarInMem and VScalarOwned: the body shared by the values that are one
// number (boolean, word, long, 64-bit integer, real), over storage that
// another structure owns or over a number of their own.
#pragma once

#include "framework/core/values/VValue.h"

// One number of type T over storage that another structure owns; the null
// storage reads as zero, takes nothing and streams as zeros. `Traits` says
// how the number converts, compares and streams: each value declares it in
// its header, and defines it and instantiates this class in its source (see
// VScalarValue_p.h), so that the headers stay light.
//
// Every setter stores and makes the value not null; CopyFrom and SetString
// take the source's null flag first and store only when it is not null;
// Assign reads the source, then takes its null flag.
template <typename T, typename Traits>
class VScalarInMem : public VValueSingle {
 public:
  using Number = T;

  VScalarInMem(const VScalarInMem&) = delete;
  VScalarInMem& operator=(const VScalarInMem&) = delete;

  bool IsInteger() const override;
  // Sets the number to zero and makes the value not null.
  void Clear() override;
  int32_t GetKind() const override;

  bool GetBoolean(int32_t range) const override;
  int16_t GetWord(int32_t range) const override;
  int32_t GetLong(int32_t range) const override;
  int64_t GetLongLong(int32_t range) const override;
  // The number as GetLong answers it.
  int32_t GetTime(int32_t range) const override;
  double GetReal(int32_t range) const override;

  void SetBoolean(uint8_t value, int32_t range) override;
  void SetWord(int16_t value, int32_t range) override;
  void SetLong(int32_t value, int32_t range) override;
  void SetLongLong(int64_t value, int32_t range) override;
  // Through SetLong.
  void SetTime(int32_t seconds, int32_t range) override;
  void SetReal(double value, int32_t range) override;

  void CopyTo(VValue& destination, int32_t range) const override;
  void ConvertTo(VValue& destination, int32_t range) const override;
  void FormatTo(VString& destination, const VString* format, int32_t range) const override;
  void CopyFrom(const VValue& source, int32_t range) override;
  void SetString(const VString& source, int32_t range) override;
  void Assign(const VValue& source, int32_t range) override;
  int32_t Compare(const VValue& other, int32_t arg1, int32_t arg2) const override;

  // sizeof(T) bytes in memory order.
  const uint8_t* FromData(const uint8_t* data, int32_t range) override;
  uint8_t* ToData(uint8_t* data, int32_t range) const override;
  uint32_t GetDataSize() const override;

  // The number in the stream's form; with the tag 'VVAL' the kind comes
  // first. A number that does not arrive whole leaves the value as it was.
  int32_t ReadFromStream(VStream& stream, uint32_t tag) override;
  int32_t WriteToStream(VStream& stream, uint32_t tag) override;

  T* GetData() const { return fData; }

 protected:
  // With `clear` the number is set to zero and the value made not null.
  VScalarInMem(T* data, bool clear);

  T Datum() const { return fData != nullptr ? *fData : T{}; }
  void Store(T value) {
    if (fData != nullptr) *fData = value;
  }

  T* fData;
};

// A value of the kind InMem that holds its number itself. Copies hold their
// own number: the number and the null flag are copied.
template <typename InMem>
class VScalarOwned : public InMem {
 public:
  using Number = typename InMem::Number;

  explicit VScalarOwned(Number value) : InMem(&fValue, false), fValue(value) {}
  VScalarOwned(const VScalarOwned& other) : InMem(&fValue, false), fValue(other.Datum()) {
    this->fNull = other.fNull;
  }
  VScalarOwned& operator=(const VScalarOwned& other) {
    fValue = other.Datum();
    this->fNull = other.fNull;
    return *this;
  }

 private:
  Number fValue;
};
