// VRealInMem and VReal: the real value (kind 5), an IEEE 754 double.
#pragma once

#include "framework/core/values/VValue.h"

// A real over storage that another structure owns; the null storage reads
// as 0.0, takes nothing and streams as zeros.
class VRealInMem : public VValueSingle {
 public:
  // With `clear` the real is set to 0.0 and the value made not null.
  VRealInMem(double* data, bool clear);
  VRealInMem(const VRealInMem&) = delete;
  VRealInMem& operator=(const VRealInMem&) = delete;

  // A new VReal holding the same real, not null.
  VValue* Clone() const override;
  bool IsInteger() const override;
  void Clear() override;
  int32_t GetKind() const override;

  // GetBoolean is true for anything but 0.0 and NaN. The integer getters
  // truncate toward zero and keep the low bits of the 64-bit integer part;
  // NaN reads 0 and reals beyond the 64-bit range saturate (RealToLong).
  bool GetBoolean(int32_t range) const override;
  int16_t GetWord(int32_t range) const override;
  int32_t GetLong(int32_t range) const override;
  int64_t GetLongLong(int32_t range) const override;
  int32_t GetTime(int32_t range) const override;
  double GetReal(int32_t range) const override;

  // Every setter stores and makes the value not null; a 64-bit integer
  // becomes the nearest real.
  void SetBoolean(uint8_t value, int32_t range) override;
  void SetWord(int16_t value, int32_t range) override;
  void SetLong(int32_t value, int32_t range) override;
  void SetLongLong(int64_t value, int32_t range) override;
  void SetTime(int32_t seconds, int32_t range) override;
  void SetReal(double value, int32_t range) override;

  // Both go through the destination's SetReal.
  void CopyTo(VValue& destination, int32_t range) const override;
  void ConvertTo(VValue& destination, int32_t range) const override;
  // The destination's text of the real, then the number display format
  // when one is given.
  void FormatTo(VString& destination, const VString* format, int32_t range) const override;
  // The source's null flag; when not null, its GetReal.
  void CopyFrom(const VValue& source, int32_t range) override;
  // The string's null flag; when not null, its GetReal.
  void SetString(const VString& source, int32_t range) override;
  // The source's GetReal, then its null flag.
  void Assign(const VValue& source, int32_t range) override;
  // The other value's GetReal against this real; 0 also when either is NaN.
  int32_t Compare(const VValue& other, int32_t arg1, int32_t arg2) const override;

  // Eight bytes in memory order.
  const uint8_t* FromData(const uint8_t* data, int32_t range) override;
  uint8_t* ToData(uint8_t* data, int32_t range) const override;
  uint32_t GetDataSize() const override;

  // The stream's real (8 bytes, or 10 in the extended order); with the tag
  // 'VVAL' the kind 5 comes first.
  int32_t ReadFromStream(VStream& stream, uint32_t tag) override;
  int32_t WriteToStream(VStream& stream, uint32_t tag) override;

  double* GetData() const { return fData; }

 protected:
  double Datum() const { return fData != nullptr ? *fData : 0.0; }
  void Store(double value);

  double* fData;
};

// A real that holds its number itself.
class VReal : public VRealInMem {
 public:
  explicit VReal(double value = 0.0);
  // Copies hold their own real: the real and the null flag are copied.
  VReal(const VReal& other);
  VReal& operator=(const VReal& other);

 private:
  double fValue;
};
