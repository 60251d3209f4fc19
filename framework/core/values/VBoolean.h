// VBoolInMem and VBoolean: the boolean value (kind 1), one byte where 0 is
// false and any other byte true.
#pragma once

#include "framework/core/values/VValue.h"

// A boolean over a byte that another structure owns; the null storage (no
// byte) reads as false, takes nothing and streams as zeros.
class VBoolInMem : public VValueSingle {
 public:
  // With `clear` the byte is set to false and the value made not null.
  VBoolInMem(uint8_t* data, bool clear);
  VBoolInMem(const VBoolInMem&) = delete;
  VBoolInMem& operator=(const VBoolInMem&) = delete;

  // A new VBoolean holding the same byte, not null.
  VValue* Clone() const override;
  void Clear() override;
  int32_t GetKind() const override;

  // The byte is kept as it was set: SetBoolean(2) reads back 2 through the
  // integer getters and true through GetBoolean.
  bool GetBoolean(int32_t range) const override;
  int16_t GetWord(int32_t range) const override;
  int32_t GetLong(int32_t range) const override;
  int64_t GetLongLong(int32_t range) const override;
  int32_t GetTime(int32_t range) const override;
  double GetReal(int32_t range) const override;

  // Every setter stores and makes the value not null. The integer and real
  // setters store 1 for anything not zero; a NaN is false.
  void SetBoolean(uint8_t value, int32_t range) override;
  void SetWord(int16_t value, int32_t range) override;
  void SetLong(int32_t value, int32_t range) override;
  void SetLongLong(int64_t value, int32_t range) override;
  void SetTime(int32_t seconds, int32_t range) override;
  void SetReal(double value, int32_t range) override;

  // Into the destination through SetBoolean (CopyTo) or SetLong (ConvertTo).
  void CopyTo(VValue& destination, int32_t range) const override;
  void ConvertTo(VValue& destination, int32_t range) const override;
  // The destination's text for the byte, then the text display format when
  // one is given.
  void FormatTo(VString& destination, const VString* format, int32_t range) const override;
  // The source's null flag; when not null, whether its GetLong is not 0.
  void CopyFrom(const VValue& source, int32_t range) override;
  // The string's null flag, then its GetBoolean even when it is null.
  void SetString(const VString& source, int32_t range) override;
  // The source's GetBoolean, then its null flag.
  void Assign(const VValue& source, int32_t range) override;
  // 0 when the other value's GetBoolean equals the byte; otherwise 1 when
  // the byte is not 0 and -1 when it is.
  int32_t Compare(const VValue& other, int32_t arg1, int32_t arg2) const override;

  // One byte in memory order.
  const uint8_t* FromData(const uint8_t* data, int32_t range) override;
  uint8_t* ToData(uint8_t* data, int32_t range) const override;
  uint32_t GetDataSize() const override;

  // Stored as a 16-bit word holding the byte; read back, any word not 0 is
  // true. With the tag 'VVAL' the kind 1 comes first.
  int32_t ReadFromStream(VStream& stream, uint32_t tag) override;
  int32_t WriteToStream(VStream& stream, uint32_t tag) override;

  uint8_t* GetData() const { return fData; }

 protected:
  uint8_t Datum() const { return fData != nullptr ? *fData : 0; }
  void Store(uint8_t value);

  uint8_t* fData;
};

// A boolean that holds its byte itself.
class VBoolean : public VBoolInMem {
 public:
  explicit VBoolean(uint8_t value = 0);
  // Copies hold their own byte: the byte and the null flag are copied.
  VBoolean(const VBoolean& other);
  VBoolean& operator=(const VBoolean& other);

 private:
  uint8_t fValue;
};
