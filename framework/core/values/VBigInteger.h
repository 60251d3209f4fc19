// VBigInteger: the multi-precision integer value (kind 4), a two's-complement
// number of a fixed count of bytes with byte-wise arithmetic, so the width
// belongs to each number and not to the machine.
#pragma once

#include <cstdint>

#include "framework/core/values/VValue.h"

// The widths the system makes: 16 bytes for the values made by kind, 12 for
// the number inside a fixed-point value. No number is wider than 16 bytes.
constexpr uint32_t kBigIntegerBytes = 16;
constexpr uint32_t kFixedPointBytes = 12;
constexpr uint32_t kMaxBigIntegerBytes = 16;

// The number's N bytes, least significant first; the top bit of the last
// byte is the sign. Arithmetic wraps modulo 2 to the 8N and reports nothing.
// Where two numbers of different widths meet, the narrower is sign-extended
// to the wider; a result kept in place is cut to this number's width.
//
// The setters of plain integers (SetBoolean, SetWord, SetLong, SetLongLong,
// SetUnsigned...) and FromData leave the null flag as it is; SetReal and
// SetString take a not-null or the string's flag, like the text they stand for.
class VBigInteger : public VValueSingle {
 public:
  // A cleared number of `byteCount` bytes (1 to 16) held in the object.
  explicit VBigInteger(uint32_t byteCount = kBigIntegerBytes);
  VBigInteger(uint32_t byteCount, int32_t value);
  VBigInteger(uint32_t byteCount, int64_t value);
  // A number of `byteCount` bytes (1 to 16) in storage that another
  // structure owns and that outlives this object; with `clear` it is set to
  // 0 and made not null, otherwise it keeps what the storage holds.
  VBigInteger(uint32_t byteCount, uint8_t* storage, bool clear);
  // Copies hold their own bytes: the width, the bytes and the null flag.
  VBigInteger(const VBigInteger& other);
  // The other's bytes at this number's width, and its null flag.
  VBigInteger& operator=(const VBigInteger& other);

  // A new 16-byte-room number of the same width and null flag; the same
  // bytes when not null, else 0.
  VValue* Clone() const override;
  bool IsInteger() const override;
  // 0 and not null.
  void Clear() override;
  int32_t GetKind() const override;

  // The low 32 bits are not 0.
  bool GetBoolean(int32_t range) const override;
  // The low 16, 32, 64 and 32 bits.
  int16_t GetWord(int32_t range) const override;
  int32_t GetLong(int32_t range) const override;
  int64_t GetLongLong(int32_t range) const override;
  int32_t GetTime(int32_t range) const override;
  // The nearest real to the number.
  double GetReal(int32_t range) const override;

  // A byte zero-extended, a word sign-extended.
  void SetBoolean(uint8_t value, int32_t range) override;
  void SetWord(int16_t value, int32_t range) override;
  // Every byte filled with the sign, then the value in the low bytes.
  void SetLong(int32_t value, int32_t range) override;
  void SetLongLong(int64_t value, int32_t range) override;
  // The real truncated toward zero, wrapped to the width; NaN and the
  // infinities give 0. Clears the null flag.
  void SetReal(double value, int32_t range) override;

  // Into another big integer: the bytes at its width (its null flag stays).
  // Into a string: the decimal text. Into anything else: through SetLongLong.
  void ConvertTo(VValue& destination, int32_t range) const override;
  // As ConvertTo.
  void CopyTo(VValue& destination, int32_t range) const override;
  // The decimal text as ANSI text, then the number display format when one
  // is given.
  void FormatTo(VString& destination, const VString* format, int32_t range) const override;
  // The source's null flag; when not null, the source's number: the bytes of
  // a big integer, the digits of a string, else its GetLongLong.
  void CopyFrom(const VValue& source, int32_t range) override;
  // The source's number as CopyFrom reads it, then its null flag.
  void Assign(const VValue& source, int32_t range) override;
  // The string's null flag; when not null, 0, then each digit from the first
  // character to the last makes number x 10 + digit; a minus sign anywhere
  // makes the result negative; other characters are skipped.
  void SetString(const VString& source, int32_t range) override;
  // The other value turned into a 16-byte number through its ConvertTo,
  // then compared signed: 1 greater, -1 smaller, 0 equal.
  int32_t Compare(const VValue& other, int32_t arg1, int32_t arg2) const override;

  // The N bytes in memory order.
  const uint8_t* FromData(const uint8_t* data, int32_t range) override;
  uint8_t* ToData(uint8_t* data, int32_t range) const override;
  uint32_t GetDataSize() const override;

  // ---- Arithmetic. Results are new numbers as wide as the wider operand.
  VBigInteger Add(const VBigInteger& other) const;
  VBigInteger Subtract(const VBigInteger& other) const;
  // The low bytes of the product.
  VBigInteger Multiply(const VBigInteger& other) const;
  // The quotient truncated toward zero; the remainder is not kept. A
  // divisor of 0 makes every quotient bit 1 (then the dividend's sign).
  VBigInteger Divide(const VBigInteger& other) const;
  // The two's complement.
  VBigInteger Negate() const;
  // A new number shifted left by `bits`, zeros entering at the bottom.
  VBigInteger ShiftLeft(uint32_t bits) const;

  void AddInPlace(const VBigInteger& other);
  void SubtractInPlace(const VBigInteger& other);
  void MultiplyInPlace(const VBigInteger& other);
  void DivideInPlace(const VBigInteger& other);
  void NegateInPlace();
  void ShiftLeftOneBit();

  // Signed comparisons.
  bool IsEqual(const VBigInteger& other) const;
  bool IsGreater(const VBigInteger& other) const;
  bool IsLess(const VBigInteger& other) const;

  // The unsigned value zero-extended; the null flag stays.
  void SetUnsignedLong(uint32_t value);
  void SetUnsignedLongLong(uint64_t value);

  uint32_t GetByteCount() const { return fCount; }
  const uint8_t* GetBytes() const { return fData; }
  bool IsNegative() const { return (fData[fCount - 1] & 0x80) != 0; }
  bool IsZero() const;

 private:
  // Byte i of the number sign-extended beyond its width.
  uint8_t ByteAt(uint32_t i) const;
  // Takes the other's bytes at this width, sign-extended or cut.
  void TakeBytes(const VBigInteger& other);
  void FillWithSign(bool negative);
  // The decimal text into `text` (room for 64); answers its length.
  uint32_t DecimalText(char* text) const;
  void TakeNumberOf(const VValue& source);
  // The number the string's digits and minus signs give.
  void TakeDigitsOf(const VString& source);

  uint32_t fCount;
  uint8_t* fData;
  uint8_t fInline[kMaxBigIntegerBytes];
};
