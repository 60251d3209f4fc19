// VFixedPoint: the fixed-point value (kind 11), a 12-byte big integer that
// holds the number times 10000.
#pragma once

#include "framework/core/values/VBigInteger.h"

// Only SetLong and SetReal apply the scale. SetLongLong, SetString,
// FormatTo, Compare, GetDataSize and the flat form pass straight to the
// inner integer, unscaled (and SetString sets the inner integer's null
// flag, not this value's); the other operations keep the defaults of the
// value interface.
class VFixedPoint : public VValueSingle {
 public:
  static constexpr int32_t kScale = 10000;

  VFixedPoint();
  VFixedPoint(const VFixedPoint& other);
  VFixedPoint& operator=(const VFixedPoint& other);

  // A new fixed-point value whose inner integer holds the same bytes, with
  // the same null flag.
  VValue* Clone() const override;
  bool IsInteger() const override;
  // 0 and not null.
  void Clear() override;
  int32_t GetKind() const override;

  // The inner integer becomes value x 10000.
  void SetLong(int32_t value, int32_t range) override;
  // The inner integer becomes (value truncated toward zero) x 10000.
  void SetReal(double value, int32_t range) override;
  void SetLongLong(int64_t value, int32_t range) override;
  void SetString(const VString& source, int32_t range) override;
  void FormatTo(VString& destination, const VString* format, int32_t range) const override;
  int32_t Compare(const VValue& other, int32_t arg1, int32_t arg2) const override;
  // The inner integer's 12 bytes, so a buffer sized by GetDataSize is
  // exactly filled and read.
  const uint8_t* FromData(const uint8_t* data, int32_t range) override;
  uint8_t* ToData(uint8_t* data, int32_t range) const override;
  uint32_t GetDataSize() const override;

  const VBigInteger& GetInteger() const { return fInteger; }
  VBigInteger& GetInteger() { return fInteger; }

 private:
  VBigInteger fInteger{kFixedPointBytes};
};
