// VLongLongInMem and VLongLong: the 64-bit signed integer value (kind 12).
#pragma once

#include "framework/core/values/VValue.h"

// A 64-bit integer over storage that another structure owns; the null
// storage reads as 0, takes nothing and streams as zeros.
class VLongLongInMem : public VValueSingle {
 public:
  // With `clear` the number is set to 0 and the value made not null.
  VLongLongInMem(int64_t* data, bool clear);
  VLongLongInMem(const VLongLongInMem&) = delete;
  VLongLongInMem& operator=(const VLongLongInMem&) = delete;

  // A new VLongLong holding the same number, not null.
  VValue* Clone() const override;
  bool IsInteger() const override;
  void Clear() override;
  int32_t GetKind() const override;

  // GetWord and GetLong keep the low 16 and 32 bits (2 to the 32nd reads 0
  // through GetLong but true through GetBoolean); GetReal is the nearest real.
  bool GetBoolean(int32_t range) const override;
  int16_t GetWord(int32_t range) const override;
  int32_t GetLong(int32_t range) const override;
  int64_t GetLongLong(int32_t range) const override;
  int32_t GetTime(int32_t range) const override;
  double GetReal(int32_t range) const override;

  // Every setter stores and makes the value not null. Narrower integers are
  // sign-extended, a boolean byte zero-extended; a real is truncated toward
  // zero (see RealToLongLong).
  void SetBoolean(uint8_t value, int32_t range) override;
  void SetWord(int16_t value, int32_t range) override;
  void SetLong(int32_t value, int32_t range) override;
  void SetLongLong(int64_t value, int32_t range) override;
  void SetTime(int32_t seconds, int32_t range) override;
  void SetReal(double value, int32_t range) override;

  // Both go through the destination's SetLongLong.
  void CopyTo(VValue& destination, int32_t range) const override;
  void ConvertTo(VValue& destination, int32_t range) const override;
  // The destination's text of the number, then the number display format
  // when one is given.
  void FormatTo(VString& destination, const VString* format, int32_t range) const override;
  // The source's null flag; when not null, its GetLongLong.
  void CopyFrom(const VValue& source, int32_t range) override;
  // The string's null flag; when not null, its GetLongLong.
  void SetString(const VString& source, int32_t range) override;
  // The source's GetLongLong, then its null flag.
  void Assign(const VValue& source, int32_t range) override;
  // The other value's GetLongLong against this number, signed.
  int32_t Compare(const VValue& other, int32_t arg1, int32_t arg2) const override;

  // Eight bytes in memory order.
  const uint8_t* FromData(const uint8_t* data, int32_t range) override;
  uint8_t* ToData(uint8_t* data, int32_t range) const override;
  uint32_t GetDataSize() const override;

  // One 8-byte unit in the stream's order; with the tag 'VVAL' the kind 12
  // comes first.
  int32_t ReadFromStream(VStream& stream, uint32_t tag) override;
  int32_t WriteToStream(VStream& stream, uint32_t tag) override;

  int64_t* GetData() const { return fData; }

 protected:
  int64_t Datum() const { return fData != nullptr ? *fData : 0; }
  void Store(int64_t value);

  int64_t* fData;
};

// A 64-bit integer that holds its number itself.
class VLongLong : public VLongLongInMem {
 public:
  explicit VLongLong(int64_t value = 0);
  // Copies hold their own number: the number and the null flag are copied.
  VLongLong(const VLongLong& other);
  VLongLong& operator=(const VLongLong& other);

 private:
  int64_t fValue;
};
