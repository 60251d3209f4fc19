// The multi-precision integer value: byte-wise arithmetic, the decimal text
// both ways, and the value interface over them.
#include "framework/core/values/VBigInteger.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "framework/core/strings/VDisplayFormats.h"
#include "framework/core/strings/VString.h"

namespace {

uint32_t ClampedCount(uint32_t byteCount) {
  if (byteCount == 0) return 1;
  return byteCount > kMaxBigIntegerBytes ? kMaxBigIntegerBytes : byteCount;
}

// Unsigned magnitudes for the division, one byte wider than any number so
// that a remainder shifted left never loses its top bit.
constexpr uint32_t kWork = kMaxBigIntegerBytes + 1;

bool UnsignedLess(const uint8_t* a, const uint8_t* b, uint32_t n) {
  for (uint32_t i = n; i-- > 0;)
    if (a[i] != b[i]) return a[i] < b[i];
  return false;
}

void SubtractUnsigned(uint8_t* a, const uint8_t* b, uint32_t n) {
  int borrow = 0;
  for (uint32_t i = 0; i < n; ++i) {
    const int d = int(a[i]) - int(b[i]) - borrow;
    a[i] = uint8_t(d & 0xFF);
    borrow = d < 0 ? 1 : 0;
  }
}

void ShiftLeftOne(uint8_t* a, uint32_t n, uint8_t incoming) {
  for (uint32_t i = 0; i < n; ++i) {
    const uint8_t out = a[i] >> 7;
    a[i] = uint8_t((a[i] << 1) | incoming);
    incoming = out;
  }
}

void NegateBytes(uint8_t* a, uint32_t n) {
  // Subtract 1 with borrow through all bytes, then invert every byte.
  for (uint32_t i = 0; i < n; ++i) {
    const uint8_t before = a[i];
    a[i] = uint8_t(before - 1);
    if (before != 0) break;
  }
  for (uint32_t i = 0; i < n; ++i) a[i] = uint8_t(~a[i]);
}

uint32_t Wider(const VBigInteger& a, const VBigInteger& b) {
  return a.GetByteCount() > b.GetByteCount() ? a.GetByteCount() : b.GetByteCount();
}

}  // namespace

VBigInteger::VBigInteger(uint32_t byteCount) : fCount(ClampedCount(byteCount)), fData(fInline) {
  std::memset(fInline, 0, sizeof fInline);
}

VBigInteger::VBigInteger(uint32_t byteCount, int32_t value) : VBigInteger(byteCount) {
  SetLong(value, kWholeValue);
}

VBigInteger::VBigInteger(uint32_t byteCount, int64_t value) : VBigInteger(byteCount) {
  SetLongLong(value, kWholeValue);
}

VBigInteger::VBigInteger(uint32_t byteCount, uint8_t* storage, bool clear)
    : fCount(ClampedCount(byteCount)), fData(storage != nullptr ? storage : fInline) {
  std::memset(fInline, 0, sizeof fInline);
  if (clear) Clear();
}

VBigInteger::VBigInteger(const VBigInteger& other) : fCount(other.fCount), fData(fInline) {
  std::memset(fInline, 0, sizeof fInline);
  std::memcpy(fInline, other.fData, fCount);
  fNull = other.fNull;
}

VBigInteger& VBigInteger::operator=(const VBigInteger& other) {
  if (this != &other) {
    TakeBytes(other);
    fNull = other.fNull;
  }
  return *this;
}

uint8_t VBigInteger::ByteAt(uint32_t i) const {
  if (i < fCount) return fData[i];
  return IsNegative() ? 0xFF : 0x00;
}

void VBigInteger::TakeBytes(const VBigInteger& other) {
  uint8_t bytes[kMaxBigIntegerBytes];
  for (uint32_t i = 0; i < fCount; ++i) bytes[i] = other.ByteAt(i);
  std::memcpy(fData, bytes, fCount);
}

void VBigInteger::FillWithSign(bool negative) { std::memset(fData, negative ? 0xFF : 0x00, fCount); }

bool VBigInteger::IsZero() const {
  for (uint32_t i = 0; i < fCount; ++i)
    if (fData[i] != 0) return false;
  return true;
}

// ---- value interface ----

VValue* VBigInteger::Clone() const {
  auto* copy = new VBigInteger(fCount);
  if (fNull == 0) std::memcpy(copy->fData, fData, fCount);
  copy->fNull = fNull;
  return copy;
}

bool VBigInteger::IsInteger() const { return true; }

void VBigInteger::Clear() {
  FillWithSign(false);
  SetNull(false, kWholeValue);
}

int32_t VBigInteger::GetKind() const { return kValueBigInteger; }

bool VBigInteger::GetBoolean(int32_t range) const { return GetLong(range) != 0; }

int16_t VBigInteger::GetWord(int32_t) const {
  return static_cast<int16_t>(uint16_t(ByteAt(0) | ByteAt(1) << 8));
}

int32_t VBigInteger::GetLong(int32_t) const {
  uint32_t v = 0;
  for (uint32_t i = 0; i < 4; ++i) v |= uint32_t(ByteAt(i)) << (8 * i);
  return static_cast<int32_t>(v);
}

int64_t VBigInteger::GetLongLong(int32_t) const {
  uint64_t v = 0;
  for (uint32_t i = 0; i < 8; ++i) v |= uint64_t(ByteAt(i)) << (8 * i);
  return static_cast<int64_t>(v);
}

int32_t VBigInteger::GetTime(int32_t range) const { return GetLong(range); }

double VBigInteger::GetReal(int32_t) const {
  // The decimal text read back: the exact number, rounded once.
  char text[64];
  const uint32_t length = DecimalText(text);
  double value = 0.0;
  std::from_chars(text, text + length, value);
  return value;
}

void VBigInteger::SetBoolean(uint8_t value, int32_t range) { SetLong(int32_t(value), range); }

void VBigInteger::SetWord(int16_t value, int32_t range) { SetLong(int32_t(value), range); }

void VBigInteger::SetLong(int32_t value, int32_t range) { SetLongLong(int64_t(value), range); }

void VBigInteger::SetLongLong(int64_t value, int32_t) {
  FillWithSign(value < 0);
  const uint64_t bits = static_cast<uint64_t>(value);
  for (uint32_t i = 0; i < 8 && i < fCount; ++i) fData[i] = uint8_t(bits >> (8 * i));
}

void VBigInteger::SetUnsignedLong(uint32_t value) { SetUnsignedLongLong(value); }

void VBigInteger::SetUnsignedLongLong(uint64_t value) {
  FillWithSign(false);
  for (uint32_t i = 0; i < 8 && i < fCount; ++i) fData[i] = uint8_t(value >> (8 * i));
}

void VBigInteger::SetReal(double value, int32_t) {
  FillWithSign(false);
  SetNull(false, kWholeValue);
  if (!std::isfinite(value)) return;
  const double whole = std::trunc(std::fabs(value));
  if (whole < 1.0) return;
  // whole = mantissa x 2 to the (exponent - 53), with a 53-bit mantissa:
  // exact, so every digit of the integer part is kept.
  int exponent = 0;
  const double fraction = std::frexp(whole, &exponent);
  const uint64_t mantissa = static_cast<uint64_t>(std::ldexp(fraction, 53));
  const int shift = exponent - 53;
  if (shift <= 0) {
    SetUnsignedLongLong(mantissa >> (-shift));
  } else {
    SetUnsignedLongLong(mantissa);
    *this = ShiftLeft(uint32_t(shift));
    SetNull(false, kWholeValue);
  }
  if (value < 0) NegateInPlace();
}

void VBigInteger::ConvertTo(VValue& destination, int32_t) const {
  if (auto* number = dynamic_cast<VBigInteger*>(&destination)) {
    number->TakeBytes(*this);
  } else if (auto* text = dynamic_cast<VString*>(&destination)) {
    FormatTo(*text, nullptr, kWholeValue);
  } else {
    destination.SetLongLong(GetLongLong(kWholeValue), kWholeValue);
  }
}

void VBigInteger::CopyTo(VValue& destination, int32_t range) const { ConvertTo(destination, range); }

void VBigInteger::FormatTo(VString& destination, const VString* format, int32_t) const {
  char text[64];
  const uint32_t length = DecimalText(text);
  text[length] = 0;
  destination.SetCText(text, kCharSetAnsi);
  if (format != nullptr) ApplyNumberFormat(destination, *format);
}

void VBigInteger::TakeNumberOf(const VValue& source) {
  if (const auto* number = dynamic_cast<const VBigInteger*>(&source)) {
    TakeBytes(*number);
  } else if (const auto* text = dynamic_cast<const VString*>(&source)) {
    TakeDigitsOf(*text);
  } else {
    SetLongLong(source.GetLongLong(kWholeValue), kWholeValue);
  }
}

void VBigInteger::CopyFrom(const VValue& source, int32_t) {
  SetNull(source.IsNull(kWholeValue), kWholeValue);
  if (IsNull(kWholeValue)) return;
  TakeNumberOf(source);
}

void VBigInteger::Assign(const VValue& source, int32_t) {
  TakeNumberOf(source);
  SetNull(source.IsNull(kWholeValue), kWholeValue);
}

void VBigInteger::SetString(const VString& source, int32_t) {
  SetNull(source.IsNull(kWholeValue), kWholeValue);
  if (IsNull(kWholeValue)) return;
  TakeDigitsOf(source);
}

void VBigInteger::TakeDigitsOf(const VString& source) {
  FillWithSign(false);
  bool negative = false;
  const int32_t length = source.GetLength();
  for (int32_t position = 1; position <= length; ++position) {
    const char16_t c = source.GetCharAt(position);
    if (c == u'-') {
      negative = true;
    } else if (c >= u'0' && c <= u'9') {
      // number x 10 + digit, wrapping at the width.
      uint32_t carry = uint32_t(c - u'0');
      for (uint32_t i = 0; i < fCount; ++i) {
        const uint32_t v = uint32_t(fData[i]) * 10 + carry;
        fData[i] = uint8_t(v & 0xFF);
        carry = v >> 8;
      }
    }
  }
  if (negative) NegateInPlace();
}

int32_t VBigInteger::Compare(const VValue& other, int32_t, int32_t) const {
  VBigInteger theirs(kBigIntegerBytes);
  other.ConvertTo(theirs, kWholeValue);
  if (IsEqual(theirs)) return 0;
  return IsGreater(theirs) ? 1 : -1;
}

const uint8_t* VBigInteger::FromData(const uint8_t* data, int32_t) {
  if (data == nullptr) return data;
  std::memcpy(fData, data, fCount);
  return data + fCount;
}

uint8_t* VBigInteger::ToData(uint8_t* data, int32_t) const {
  if (data == nullptr) return data;
  std::memcpy(data, fData, fCount);
  return data + fCount;
}

uint32_t VBigInteger::GetDataSize() const { return fCount; }

// ---- the decimal text ----

uint32_t VBigInteger::DecimalText(char* text) const {
  // The magnitude as an unsigned number: the most negative number, whose
  // negation is itself, still prints all its digits.
  uint8_t magnitude[kMaxBigIntegerBytes];
  std::memcpy(magnitude, fData, fCount);
  const bool negative = IsNegative();
  if (negative) NegateBytes(magnitude, fCount);
  // Digits from the last position backwards: divide by 10 while above 0.
  char digits[64];
  uint32_t at = sizeof digits;
  bool more = true;
  while (more) {
    uint32_t remainder = 0;
    more = false;
    for (uint32_t i = fCount; i-- > 0;) {
      const uint32_t v = (remainder << 8) | magnitude[i];
      magnitude[i] = uint8_t(v / 10);
      remainder = v % 10;
      if (magnitude[i] != 0) more = true;
    }
    digits[--at] = char('0' + remainder);
  }
  uint32_t length = 0;
  if (negative) text[length++] = '-';
  std::memcpy(text + length, digits + at, sizeof digits - at);
  return length + uint32_t(sizeof digits - at);
}

// ---- arithmetic ----

VBigInteger VBigInteger::Add(const VBigInteger& other) const {
  VBigInteger result(Wider(*this, other));
  uint32_t carry = 0;
  for (uint32_t i = 0; i < result.fCount; ++i) {
    const uint32_t sum = uint32_t(ByteAt(i)) + other.ByteAt(i) + carry;
    result.fData[i] = uint8_t(sum & 0xFF);
    carry = sum >> 8;  // the carry out of the top byte is dropped
  }
  return result;
}

VBigInteger VBigInteger::Subtract(const VBigInteger& other) const {
  VBigInteger result(Wider(*this, other));
  int borrow = 0;
  for (uint32_t i = 0; i < result.fCount; ++i) {
    const int d = int(ByteAt(i)) - int(other.ByteAt(i)) - borrow;
    result.fData[i] = uint8_t(d & 0xFF);
    borrow = d < 0 ? 1 : 0;
  }
  return result;
}

VBigInteger VBigInteger::Multiply(const VBigInteger& other) const {
  VBigInteger result(Wider(*this, other));
  const uint32_t n = result.fCount;
  // Schoolbook: byte i of the other times byte j of this goes to byte i + j,
  // with the running carry; bytes from n up are dropped.
  for (uint32_t i = 0; i < n; ++i) {
    uint32_t carry = 0;
    for (uint32_t j = 0; i + j < n; ++j) {
      const uint32_t sum = result.fData[i + j] + uint32_t(ByteAt(j)) * other.ByteAt(i) + carry;
      result.fData[i + j] = uint8_t(sum & 0xFF);
      carry = sum >> 8;
    }
  }
  return result;
}

VBigInteger VBigInteger::Divide(const VBigInteger& other) const {
  const uint32_t n = Wider(*this, other);
  uint8_t dividend[kWork] = {};
  uint8_t divisor[kWork] = {};
  for (uint32_t i = 0; i < n; ++i) {
    dividend[i] = ByteAt(i);
    divisor[i] = other.ByteAt(i);
  }
  const bool dividendNegative = (dividend[n - 1] & 0x80) != 0;
  const bool divisorNegative = (divisor[n - 1] & 0x80) != 0;
  if (dividendNegative) NegateBytes(dividend, n);
  if (divisorNegative) NegateBytes(divisor, n);
  // Bit by bit from the top: the remainder takes the dividend's next bit,
  // and whenever it reaches the divisor the quotient bit is 1.
  uint8_t remainder[kWork] = {};
  VBigInteger quotient(n);
  for (uint32_t bit = 8 * n; bit-- > 0;) {
    const uint8_t next = (dividend[bit / 8] >> (bit % 8)) & 1;
    ShiftLeftOne(remainder, n + 1, next);
    if (!UnsignedLess(remainder, divisor, n + 1)) {
      SubtractUnsigned(remainder, divisor, n + 1);
      quotient.fData[bit / 8] |= uint8_t(1u << (bit % 8));
    }
  }
  if (dividendNegative != divisorNegative) quotient.NegateInPlace();
  return quotient;
}

VBigInteger VBigInteger::Negate() const {
  VBigInteger result(*this);
  result.fNull = 0;
  result.NegateInPlace();
  return result;
}

VBigInteger VBigInteger::ShiftLeft(uint32_t bits) const {
  VBigInteger result(fCount);
  const uint32_t bytes = bits / 8;
  const uint32_t rest = bits % 8;
  for (uint32_t i = fCount; i-- > 0;) {
    if (i < bytes) break;
    uint32_t v = uint32_t(fData[i - bytes]) << rest;
    if (rest != 0 && i > bytes) v |= fData[i - bytes - 1] >> (8 - rest);
    result.fData[i] = uint8_t(v & 0xFF);
  }
  return result;
}

void VBigInteger::AddInPlace(const VBigInteger& other) { TakeBytes(Add(other)); }
void VBigInteger::SubtractInPlace(const VBigInteger& other) { TakeBytes(Subtract(other)); }
void VBigInteger::MultiplyInPlace(const VBigInteger& other) { TakeBytes(Multiply(other)); }
void VBigInteger::DivideInPlace(const VBigInteger& other) { TakeBytes(Divide(other)); }
void VBigInteger::NegateInPlace() { NegateBytes(fData, fCount); }
void VBigInteger::ShiftLeftOneBit() { ShiftLeftOne(fData, fCount, 0); }

bool VBigInteger::IsEqual(const VBigInteger& other) const {
  const uint32_t n = Wider(*this, other);
  for (uint32_t i = 0; i < n; ++i)
    if (ByteAt(i) != other.ByteAt(i)) return false;
  return true;
}

bool VBigInteger::IsGreater(const VBigInteger& other) const {
  const bool mine = IsNegative();
  const bool theirs = other.IsNegative();
  // When the signs differ the non-negative one is the greater; with equal
  // signs the bytes decide from the most significant down.
  if (mine != theirs) return theirs;
  for (uint32_t i = Wider(*this, other); i-- > 0;) {
    const uint8_t a = ByteAt(i);
    const uint8_t b = other.ByteAt(i);
    if (a != b) return a > b;
  }
  return false;
}

bool VBigInteger::IsLess(const VBigInteger& other) const { return other.IsGreater(*this); }
