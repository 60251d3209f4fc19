// VHandleArray: a growable array of fixed-size elements in one memory-manager
// handle that stays locked while the array lives, and the stacks built on it.
#pragma once

#include <cstdint>
#include <cstring>

#include "framework/core/VObject.h"

// The handle is made on the first push and grows by kGrowStep elements, so a
// run of pushes resizes it once every ten. Storage never shrinks: Clear and
// popping keep it. The handle stays locked for the array's whole life, so an
// element is reached by a plain address computation.
class VHandleArray : public VObject {
 public:
  static constexpr uint32_t kGrowStep = 10;

  explicit VHandleArray(uint32_t elementSize);
  ~VHandleArray() override;
  VHandleArray(const VHandleArray&) = delete;
  VHandleArray& operator=(const VHandleArray&) = delete;

  bool IsEmpty() const { return fCount == 0; }
  // Forgets the elements; the storage is kept for later pushes.
  void Clear() { fCount = 0; }
  // Makes room for `needed` elements. False when the handle could not be
  // made or grown: the array is then as it was and nothing may be stored.
  bool Grow(uint32_t needed);

  uint32_t GetCount() const { return fCount; }
  uint32_t GetCapacity() const { return fCapacity; }
  uint32_t GetElementSize() const { return fElementSize; }

 protected:
  // The pushes and pops are shared by width: one of width sizeof(T) serves
  // every array whose elements are at least that wide. Values are stored at
  // the push's own stride, so a narrow push on wide elements packs its
  // values into the front of the storage. A push refused for want of
  // memory answers false and stores nothing.
  template <typename T>
  bool PushValue(const T& value) {
    static_assert(sizeof(T) <= 8);
    if (sizeof(T) > fElementSize || !Grow(fCount + 1) || fData == nullptr) return false;
    std::memcpy(fData + size_t(fCount) * sizeof(T), &value, sizeof(T));
    ++fCount;
    return true;
  }
  // An empty array answers the zero of T and stays at count 0.
  template <typename T>
  T PopValue() {
    T value{};
    if (fCount < 1 || sizeof(T) > fElementSize || fData == nullptr) return value;
    --fCount;
    std::memcpy(&value, fData + size_t(fCount) * sizeof(T), sizeof(T));
    return value;
  }

 private:
  VMemHandle fHandle = 0;     // 0 until the first element is stored
  uint8_t* fData = nullptr;   // the locked handle's bytes
  uint32_t fElementSize;
  uint32_t fCount = 0;        // elements in use
  uint32_t fCapacity = 0;     // elements the handle holds
};

class VByteStack : public VHandleArray {
 public:
  VByteStack() : VHandleArray(1) {}
  bool Push(uint8_t value) { return PushValue(value); }
  uint8_t Pop() { return PopValue<uint8_t>(); }
};

class VShortStack : public VHandleArray {
 public:
  VShortStack() : VHandleArray(2) {}
  bool Push(uint16_t value) { return PushValue(value); }
  uint16_t Pop() { return PopValue<uint16_t>(); }
};

class VLongStack : public VHandleArray {
 public:
  VLongStack() : VHandleArray(4) {}
  bool Push(uint32_t value) { return PushValue(value); }
  uint32_t Pop() { return PopValue<uint32_t>(); }
};

// Eight-byte elements used with the 16-bit push and pop (the resource files
// keep their saved current-file numbers on it), so its values sit in the
// first quarter of the storage.
class VPairStack : public VHandleArray {
 public:
  VPairStack() : VHandleArray(8) {}
  bool Push(uint16_t value) { return PushValue(value); }
  uint16_t Pop() { return PopValue<uint16_t>(); }
};

// Eight-byte elements: a push stores two 32-bit words, the first at the lower
// address, and a pop answers both as one 8-byte value (0.0 when empty).
class VDoubleStack : public VHandleArray {
 public:
  VDoubleStack() : VHandleArray(8) {}
  bool Push(uint32_t first, uint32_t second) {
    uint8_t pair[8];
    std::memcpy(pair, &first, 4);
    std::memcpy(pair + 4, &second, 4);
    uint64_t bits;
    std::memcpy(&bits, pair, 8);
    return PushValue(bits);
  }
  double Pop() {
    const uint64_t bits = PopValue<uint64_t>();
    double value;
    std::memcpy(&value, &bits, 8);
    return value;
  }
};

// Owns its objects: the destructor pops and deletes every one still on it,
// from the top down. Popping hands an object back to the caller.
class VObjectStack : public VHandleArray {
 public:
  VObjectStack() : VHandleArray(sizeof(VObject*)) {}
  ~VObjectStack() override;
  bool Push(VObject* object) { return PushValue(object); }
  VObject* Pop() { return PopValue<VObject*>(); }
};
