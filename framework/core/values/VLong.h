// VLongInMem and VLong: the 32-bit signed integer value (kind 3).
#pragma once

#include "framework/core/values/VValue.h"

// A long over storage that another structure owns; the null storage reads
// as 0, takes nothing and streams as zeros.
class VLongInMem : public VValueSingle {
 public:
  // With `clear` the number is set to 0 and the value made not null.
  VLongInMem(int32_t* data, bool clear);
  VLongInMem(const VLongInMem&) = delete;
  VLongInMem& operator=(const VLongInMem&) = delete;

  // A new VLong holding the same number, not null.
  VValue* Clone() const override;
  bool IsInteger() const override;
  void Clear() override;
  int32_t GetKind() const override;

  // GetWord keeps the low 16 bits (70000 reads 4464); GetLongLong is
  // sign-extended.
  bool GetBoolean(int32_t range) const override;
  int16_t GetWord(int32_t range) const override;
  int32_t GetLong(int32_t range) const override;
  int64_t GetLongLong(int32_t range) const override;
  int32_t GetTime(int32_t range) const override;
  double GetReal(int32_t range) const override;

  // Every setter stores and makes the value not null. A 64-bit integer keeps
  // its low 32 bits; a real is truncated toward zero first (see RealToLong);
  // a word is sign-extended and a boolean byte zero-extended.
  void SetBoolean(uint8_t value, int32_t range) override;
  void SetWord(int16_t value, int32_t range) override;
  void SetLong(int32_t value, int32_t range) override;
  void SetLongLong(int64_t value, int32_t range) override;
  void SetTime(int32_t seconds, int32_t range) override;
  void SetReal(double value, int32_t range) override;

  // Both go through the destination's SetLong.
  void CopyTo(VValue& destination, int32_t range) const override;
  void ConvertTo(VValue& destination, int32_t range) const override;
  // The destination's text of the number, then the number display format
  // when one is given.
  void FormatTo(VString& destination, const VString* format, int32_t range) const override;
  // The source's null flag; when not null, its GetLong.
  void CopyFrom(const VValue& source, int32_t range) override;
  // The string's null flag; when not null, its GetLong.
  void SetString(const VString& source, int32_t range) override;
  // The source's GetLong, then its null flag.
  void Assign(const VValue& source, int32_t range) override;
  // The other value's GetLong against this number.
  int32_t Compare(const VValue& other, int32_t arg1, int32_t arg2) const override;

  // Four bytes in memory order.
  const uint8_t* FromData(const uint8_t* data, int32_t range) override;
  uint8_t* ToData(uint8_t* data, int32_t range) const override;
  uint32_t GetDataSize() const override;

  // A 32-bit integer; with the tag 'VVAL' the kind 3 comes first.
  int32_t ReadFromStream(VStream& stream, uint32_t tag) override;
  int32_t WriteToStream(VStream& stream, uint32_t tag) override;

  int32_t* GetData() const { return fData; }

 protected:
  int32_t Datum() const { return fData != nullptr ? *fData : 0; }
  void Store(int32_t value);

  int32_t* fData;
};

// A long that holds its number itself.
class VLong : public VLongInMem {
 public:
  explicit VLong(int32_t value = 0);
  // Copies hold their own number: the number and the null flag are copied.
  VLong(const VLong& other);
  VLong& operator=(const VLong& other);

 private:
  int32_t fValue;
};
