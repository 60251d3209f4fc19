// VWordInMem and VWord: the 16-bit signed integer value (kind 2).
#pragma once

#include "framework/core/values/VValue.h"

// A word over storage that another structure owns; the null storage reads
// as 0, takes nothing and streams as zeros.
class VWordInMem : public VValueSingle {
 public:
  // With `clear` the number is set to 0 and the value made not null.
  VWordInMem(int16_t* data, bool clear);
  VWordInMem(const VWordInMem&) = delete;
  VWordInMem& operator=(const VWordInMem&) = delete;

  // A new VWord holding the same number, not null.
  VValue* Clone() const override;
  bool IsInteger() const override;
  void Clear() override;
  int32_t GetKind() const override;

  // Wider results are sign-extended.
  bool GetBoolean(int32_t range) const override;
  int16_t GetWord(int32_t range) const override;
  int32_t GetLong(int32_t range) const override;
  int64_t GetLongLong(int32_t range) const override;
  int32_t GetTime(int32_t range) const override;
  double GetReal(int32_t range) const override;

  // Every setter stores and makes the value not null. Wider integers keep
  // their low 16 bits (SetLong(65535) reads -1); a real is truncated toward
  // zero first (see RealToWord); a boolean byte is zero-extended.
  void SetBoolean(uint8_t value, int32_t range) override;
  void SetWord(int16_t value, int32_t range) override;
  void SetLong(int32_t value, int32_t range) override;
  void SetLongLong(int64_t value, int32_t range) override;
  void SetTime(int32_t seconds, int32_t range) override;
  void SetReal(double value, int32_t range) override;

  // Both go through the destination's SetWord.
  void CopyTo(VValue& destination, int32_t range) const override;
  void ConvertTo(VValue& destination, int32_t range) const override;
  // The destination's text of the number, then the number display format
  // when one is given.
  void FormatTo(VString& destination, const VString* format, int32_t range) const override;
  // The source's null flag; when not null, the low 16 bits of its GetLong.
  void CopyFrom(const VValue& source, int32_t range) override;
  // The string's null flag; when not null, its GetWord.
  void SetString(const VString& source, int32_t range) override;
  // The source's GetWord, then its null flag.
  void Assign(const VValue& source, int32_t range) override;
  // The other value's GetLong against this number sign-extended.
  int32_t Compare(const VValue& other, int32_t arg1, int32_t arg2) const override;

  // Two bytes in memory order.
  const uint8_t* FromData(const uint8_t* data, int32_t range) override;
  uint8_t* ToData(uint8_t* data, int32_t range) const override;
  uint32_t GetDataSize() const override;

  // A 16-bit word; with the tag 'VVAL' the kind 2 comes first.
  int32_t ReadFromStream(VStream& stream, uint32_t tag) override;
  int32_t WriteToStream(VStream& stream, uint32_t tag) override;

  int16_t* GetData() const { return fData; }

 protected:
  int16_t Datum() const { return fData != nullptr ? *fData : 0; }
  void Store(int16_t value);

  int16_t* fData;
};

// A word that holds its number itself.
class VWord : public VWordInMem {
 public:
  explicit VWord(int16_t value = 0);
  // Copies hold their own number: the number and the null flag are copied.
  VWord(const VWord& other);
  VWord& operator=(const VWord& other);

 private:
  int16_t fValue;
};
