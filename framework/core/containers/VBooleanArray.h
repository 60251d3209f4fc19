// VBooleanArray: the typed array of booleans, one bit per element.
#pragma once

#include "framework/core/containers/VArray.h"

// Element i is bit (i - 1) mod 8, least significant first, of byte
// (i - 1) div 8 of the store. The capacity is kept a multiple of 8 and the
// store holds capacity / 8 bytes. Kind 100.
//
// Booleans have no order: the element comparison answers 0, and sorting and
// reversing leave the array as it is. The search tests equality only.
//
// Stream form of the elements: (count + 7) div 8 raw bytes, the bits in the
// order of the store; the unused bits of the last byte are written as zeros.
class VBooleanArray : public VArray {
 public:
  explicit VBooleanArray(int32_t count = 0);
  VBooleanArray(const VBooleanArray& other);
  VBooleanArray& operator=(const VBooleanArray& other);

  VValue* Clone() const override;
  int32_t GetKind() const override;
  int32_t GetElementKind() const override;
  bool IsSingle() const override;

  bool GetBoolean(int32_t range) const override;
  int16_t GetWord(int32_t range) const override;
  int32_t GetLong(int32_t range) const override;
  int32_t GetTime(int32_t range) const override;
  double GetReal(int32_t range) const override;
  void ConvertTo(VValue& destination, int32_t range) const override;
  void CopyTo(VValue& destination, int32_t range) const override;

  // The kind's own setter: any byte other than 0 sets the bit. Never sorts.
  void SetBoolean(uint8_t value, int32_t range) override;
  void SetWord(int16_t value, int32_t range) override;
  void SetLong(int32_t value, int32_t range) override;
  void SetTime(int32_t seconds, int32_t range) override;
  void SetReal(double value, int32_t range) override;
  void CopyFrom(const VValue& source, int32_t range) override;
  void SetString(const VString& source, int32_t range) override;
  void Assign(const VValue& source, int32_t range) override;
  // The element against the value's boolean, both as 0 or 1.
  int32_t Compare(const VValue& other, int32_t unused, int32_t range) const override;

  int32_t FindValue(const VValue& value, int32_t start, bool forward, int32_t mode) const override;
  // The first element from start (onwards or backwards) equal to the value;
  // the mode is ignored and there is no binary search. -1 when none.
  int32_t Find(bool value, int32_t start = 1, bool forward = true, int32_t mode = 0) const;

  void Sort(bool descending) override;
  void Reverse() override;
  // Bit by bit, in the order that reads every element before it is
  // overwritten. The elements left behind are cleared, so that elements
  // opened by an insertion read false like those of the other kinds.
  void MoveElements(int32_t from, int32_t to, int32_t n) override;
  int32_t CompareElements(const void* a, const void* b) const override;

 protected:
  int64_t CapacityFor(int64_t n) const override;
  uint64_t StoreBytesFor(int64_t capacity) const override;
  void ZeroElements(int32_t first, int32_t last) override;
  void CopyElement(uint8_t* data, int32_t to, const uint8_t* source, int32_t from) override;

  int32_t WriteElements(VStream& stream) const override;
  int32_t ReadElements(VStream& stream, int32_t count) override;
  uint64_t StoredBytesFor(VStream& stream, uint64_t count) const override;

 private:
  bool Bit(int32_t index) const;
  void SetBit(int32_t index, bool value);
};
