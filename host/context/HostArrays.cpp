// Host array variables edited in place.
#include "host/context/HostArrays.h"

#include <climits>
#include <cstring>

#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VValue.h"
#include "host/context/HostText.h"
#include "host/context/HostVariables.h"
#include "platform/toolbox/TbxBits.h"
#include "platform/toolbox/TbxHandleLocker.h"
#include "platform/toolbox/TbxHandleState.h"
#include "platform/toolbox/TbxHandles.h"

namespace {

// The size word of a new string array.
constexpr int16_t kNewStringArrayElement = 80;

int32_t SizeOf(uint32_t handle) {
  if (handle == 0) return 0;
  const int32_t size = Tbx::GetHandleSize(handle);
  return Tbx::MemError() == Tbx::noErr && size > 0 ? size : 0;
}

bool HasElements(int32_t type) { return (type >= kHostRealArray && type <= kHostPictureArray) || type == kHostStringArray || type == kHostBooleanArray; }

// The distance between elements; for string arrays the handle's size word.
int32_t ElementSize(int32_t type, uint32_t handle) {
  switch (type) {
    case kHostRealArray: return 8;
    case kHostIntegerArray: return 2;
    case kHostLongArray: return 4;
    case kHostDateArray: return 6;
    case kHostTextArray: return static_cast<int32_t>(sizeof(HostTextRecord));
    case kHostPictureArray: return 4;
    case kHostStringArray: {
      if (SizeOf(handle) < 2) return 0;
      int16_t size = 0;
      Tbx::HandleLocker bytes(handle);
      if (bytes) std::memcpy(&size, bytes.Data(), 2);
      return size > 0 ? size : 0;
    }
    default: return 0;
  }
}

int32_t Header(int32_t type) { return type == kHostStringArray ? 2 : 0; }

// The bytes of n + 1 elements.
int64_t BytesFor(int32_t type, int32_t elementSize, int64_t n) {
  if (type == kHostBooleanArray) return (n + 8) >> 3;
  return Header(type) + (n + 1) * elementSize;
}

// The element's bytes, locked for the scope; null when the handle does not
// hold element i whole or i is outside 0 to count.
class Element {
 public:
  Element(const HostVariableEntry& entry, int32_t i)
      : fLock(Holds(entry, i) ? entry.value.array.handle : 0) {
    if (fLock) data = fLock.As<uint8_t>() + Header(entry.type) + static_cast<int64_t>(i) * fSize;
  }
  uint8_t* data = nullptr;

 private:
  bool Holds(const HostVariableEntry& entry, int32_t i) {
    if (!HasElements(entry.type) || entry.type == kHostBooleanArray || i < 0) return false;
    if (static_cast<uint32_t>(i) > entry.value.array.count) return false;
    fSize = ElementSize(entry.type, entry.value.array.handle);
    if (fSize == 0) return false;
    return Header(entry.type) + (static_cast<int64_t>(i) + 1) * fSize <= SizeOf(entry.value.array.handle);
  }
  int32_t fSize = 0;
  Tbx::HandleLocker fLock;
};

// Disposes of the handles that elements first to last of a text or
// picture array hold, and clears them.
void DisposeElements(HostVariableEntry& entry, int32_t first, int32_t last) {
  if (entry.type != kHostTextArray && entry.type != kHostPictureArray) return;
  for (int32_t i = first; i <= last; ++i) {
    Element e(entry, i);
    if (e.data == nullptr) continue;
    if (entry.type == kHostTextArray) {
      HostTextRecord record;
      std::memcpy(&record, e.data, sizeof record);
      if (record.handle != 0) Tbx::DisposeHandle(record.handle);
      std::memset(e.data, 0, sizeof record);
    } else {
      uint32_t handle = 0;
      std::memcpy(&handle, e.data, 4);
      if (handle != 0) Tbx::DisposeHandle(handle);
      std::memset(e.data, 0, 4);
    }
  }
}

bool BitInHandle(uint32_t handle, int32_t i) {
  if (i < 0 || (i >> 3) >= SizeOf(handle)) return false;
  Tbx::HandleLocker bits(handle);
  return bits && Tbx::BitTst(bits.Data(), i);
}

void SetBitInHandle(uint32_t handle, int32_t i, bool b) {
  if (i < 0 || (i >> 3) >= SizeOf(handle)) return;
  Tbx::HandleLocker bits(handle);
  if (!bits) return;
  if (b) {
    Tbx::BitSet(bits.Data(), i);
  } else {
    Tbx::BitClr(bits.Data(), i);
  }
}

}  // namespace

bool ResizeHostArray(HostVariableEntry& entry, int32_t n) {
  if (!HasElements(entry.type) || n < 0) return false;
  HostArrayHeader& array = entry.value.array;
  if (SizeOf(array.handle) == 0 && array.handle != 0) {
    Tbx::GetHandleSize(array.handle);
    if (Tbx::MemError() != Tbx::noErr) array.handle = 0;  // no handle at all
  }
  if (array.count > static_cast<uint32_t>(n)) DisposeElements(entry, n + 1, static_cast<int32_t>(array.count));
  if (entry.type == kHostStringArray && array.handle == 0) {
    array.handle = Tbx::NewHandleClear(2);
    if (array.handle == 0) return false;
    Tbx::HandleLocker word(array.handle);
    if (word) std::memcpy(word.Data(), &kNewStringArrayElement, 2);
  }
  const int32_t elementSize = entry.type == kHostBooleanArray ? 1 : ElementSize(entry.type, array.handle);
  if (elementSize == 0) return false;
  const int64_t bytes = BytesFor(entry.type, elementSize, n);
  if (bytes > INT32_MAX) return false;
  if (array.handle == 0) {
    array.handle = Tbx::NewHandleClear(static_cast<int32_t>(bytes));
    if (array.handle == 0) return false;
  } else {
    const int32_t before = SizeOf(array.handle);
    Tbx::SetHandleSize(array.handle, static_cast<int32_t>(bytes));
    if (Tbx::GetHandleSize(array.handle) != bytes) return false;
    if (bytes > before) {
      Tbx::HandleLocker data(array.handle);
      if (data) std::memset(data.As<uint8_t>() + before, 0, static_cast<size_t>(bytes - before));
    }
  }
  if (entry.type == kHostBooleanArray && array.count > static_cast<uint32_t>(n)) {
    // The bits beyond n in the last byte read as clear.
    for (int32_t i = n + 1; i < static_cast<int32_t>(bytes * 8); ++i) SetBitInHandle(array.handle, i, false);
  }
  array.count = static_cast<uint32_t>(n);
  return true;
}

void DeleteHostArrayElements(HostVariableEntry& entry, int32_t first, int32_t n) {
  if (!HasElements(entry.type) || n <= 0) return;
  const int32_t count = static_cast<int32_t>(entry.value.array.count);
  if (first < 1 || first > count) return;
  if (n > count - first + 1) n = count - first + 1;
  const uint32_t handle = entry.value.array.handle;
  if (entry.type == kHostBooleanArray) {
    for (int32_t i = first; i + n <= count; ++i) SetBitInHandle(handle, i, BitInHandle(handle, i + n));
  } else {
    DisposeElements(entry, first, first + n - 1);
    const int32_t size = ElementSize(entry.type, handle);
    const int64_t end = Header(entry.type) + (static_cast<int64_t>(count) + 1) * size;
    if (size == 0 || end > SizeOf(handle)) return;
    Tbx::HandleLocker data(handle);
    if (!data) return;
    uint8_t* base = data.As<uint8_t>() + Header(entry.type);
    std::memmove(base + static_cast<int64_t>(first) * size, base + static_cast<int64_t>(first + n) * size,
                 static_cast<size_t>(static_cast<int64_t>(count - first - n + 1) * size));
    // What moved down is no longer held by the last slots.
    std::memset(base + static_cast<int64_t>(count - n + 1) * size, 0, static_cast<size_t>(static_cast<int64_t>(n) * size));
  }
  ResizeHostArray(entry, count - n);
}

void SetHostArrayInteger(HostVariableEntry& entry, int32_t i, int16_t x) { SetHostArrayLong(entry, i, x); }

void SetHostArrayLong(HostVariableEntry& entry, int32_t i, int32_t x) {
  switch (entry.type) {
    case kHostRealArray:
      SetHostArrayReal(entry, i, x);
      return;
    case kHostIntegerArray:
    case kHostLongArray: {
      Element e(entry, i);
      if (e.data == nullptr) return;
      if (entry.type == kHostIntegerArray) {
        const auto v = static_cast<int16_t>(x);
        std::memcpy(e.data, &v, 2);
      } else {
        std::memcpy(e.data, &x, 4);
      }
      return;
    }
    default: return;
  }
}

void SetHostArrayReal(HostVariableEntry& entry, int32_t i, double x) {
  if (entry.type == kHostIntegerArray || entry.type == kHostLongArray) {
    // Truncated toward zero, kept within the element's range.
    const double limit = entry.type == kHostIntegerArray ? 32767.0 : 2147483647.0;
    const double t = x > limit ? limit : x < -limit - 1 ? -limit - 1 : (x != x ? 0 : x);
    SetHostArrayLong(entry, i, static_cast<int32_t>(t));
    return;
  }
  if (entry.type != kHostRealArray) return;
  Element e(entry, i);
  if (e.data != nullptr) std::memcpy(e.data, &x, 8);
}

void SetHostArrayString(HostVariableEntry& entry, int32_t i, const VString& x) {
  Element e(entry, i);
  if (e.data == nullptr) return;
  if (entry.type == kHostTextArray) {
    HostTextRecord record;
    std::memcpy(&record, e.data, sizeof record);
    StringToHostText(x, record);
    std::memcpy(e.data, &record, sizeof record);
  } else if (entry.type == kHostStringArray) {
    const int32_t size = ElementSize(entry.type, entry.value.array.handle);
    uint8_t pascal[256];
    StringToPText(x, pascal, size - 1 < 255 ? size - 1 : 255);
    std::memcpy(e.data, pascal, 1 + pascal[0]);
  }
}

int16_t GetHostArrayInteger(const HostVariableEntry& entry, int32_t i) {
  return static_cast<int16_t>(GetHostArrayLong(entry, i));
}

int32_t GetHostArrayLong(const HostVariableEntry& entry, int32_t i) {
  Element e(entry, i);
  if (e.data == nullptr) return 0;
  switch (entry.type) {
    case kHostRealArray: {
      double v;
      std::memcpy(&v, e.data, 8);
      return v >= 2147483647.0 ? INT32_MAX : v <= -2147483648.0 ? INT32_MIN : v != v ? 0 : static_cast<int32_t>(v);
    }
    case kHostIntegerArray: {
      int16_t v;
      std::memcpy(&v, e.data, 2);
      return v;
    }
    case kHostLongArray: {
      int32_t v;
      std::memcpy(&v, e.data, 4);
      return v;
    }
    default: return 0;
  }
}

double GetHostArrayReal(const HostVariableEntry& entry, int32_t i) {
  if (entry.type != kHostRealArray) return GetHostArrayLong(entry, i);
  Element e(entry, i);
  double v = 0;
  if (e.data != nullptr) std::memcpy(&v, e.data, 8);
  return v;
}

void GetHostArrayString(const HostVariableEntry& entry, int32_t i, VString& x) {
  x.SetEmpty(false);
  Element e(entry, i);
  if (e.data == nullptr) return;
  if (entry.type == kHostTextArray) {
    HostTextRecord record;
    std::memcpy(&record, e.data, sizeof record);
    HostTextToString(x, record);
  } else if (entry.type == kHostStringArray) {
    const int32_t size = ElementSize(entry.type, entry.value.array.handle);
    uint8_t pascal[256];
    const int32_t length = e.data[0] < size ? e.data[0] : size - 1;
    pascal[0] = static_cast<uint8_t>(length);
    std::memcpy(pascal + 1, e.data + 1, static_cast<size_t>(length));
    PTextToString(pascal, x);
  }
}

void AppendHostArrayInteger(HostVariableEntry& entry, int16_t x) {
  if (ResizeHostArray(entry, static_cast<int32_t>(entry.value.array.count) + 1))
    SetHostArrayInteger(entry, static_cast<int32_t>(entry.value.array.count), x);
}

void AppendHostArrayLong(HostVariableEntry& entry, int32_t x) {
  if (ResizeHostArray(entry, static_cast<int32_t>(entry.value.array.count) + 1))
    SetHostArrayLong(entry, static_cast<int32_t>(entry.value.array.count), x);
}

void AppendHostArrayReal(HostVariableEntry& entry, double x) {
  if (ResizeHostArray(entry, static_cast<int32_t>(entry.value.array.count) + 1))
    SetHostArrayReal(entry, static_cast<int32_t>(entry.value.array.count), x);
}

void AppendHostArrayString(HostVariableEntry& entry, const VString& x) {
  if (ResizeHostArray(entry, static_cast<int32_t>(entry.value.array.count) + 1))
    SetHostArrayString(entry, static_cast<int32_t>(entry.value.array.count), x);
}

void SetHostBooleanElement(HostVariableEntry& entry, int32_t i, bool b) {
  if (entry.type != kHostBooleanArray || i < 0 || static_cast<uint32_t>(i) > entry.value.array.count) return;
  SetBitInHandle(entry.value.array.handle, i, b);
}

bool GetHostBooleanElement(const HostVariableEntry& entry, int32_t i) {
  if (entry.type != kHostBooleanArray || i < 0 || static_cast<uint32_t>(i) > entry.value.array.count) return false;
  return BitInHandle(entry.value.array.handle, i);
}

void SetHostDateElement(HostVariableEntry& entry, int32_t i, const VDateRec& date) {
  if (entry.type != kHostDateArray) return;
  Element e(entry, i);
  if (e.data == nullptr) return;
  const int16_t words[3] = {date.day, date.month, date.year};
  std::memcpy(e.data, words, 6);
}

void GetHostDateElement(const HostVariableEntry& entry, int32_t i, VDateRec& date) {
  date.day = date.month = date.year = 0;
  if (entry.type != kHostDateArray) return;
  Element e(entry, i);
  if (e.data == nullptr) return;
  int16_t words[3];
  std::memcpy(words, e.data, 6);
  date.day = words[0];
  date.month = words[1];
  date.year = words[2];
}

int32_t GetHostArrayCount(const HostVariableEntry& entry) { return static_cast<int32_t>(entry.value.array.count); }
int32_t GetHostArrayCurrent(const HostVariableEntry& entry) { return entry.value.array.current; }
void SetHostArrayCurrent(HostVariableEntry& entry, int32_t i) { entry.value.array.current = static_cast<int16_t>(i); }

bool WithHostArrayRow(HostVariableEntry& entry, int32_t r, void (*op)(HostVariableEntry& row, void* context),
                      void* context) {
  if (entry.type != kHostArray2D || r < 1 || static_cast<uint32_t>(r) > entry.value.array.count || op == nullptr)
    return false;
  const uint32_t table = entry.value.array.handle;
  const int64_t at = static_cast<int64_t>(r) * static_cast<int64_t>(sizeof(HostArrayRow));
  if (at + static_cast<int64_t>(sizeof(HostArrayRow)) > SizeOf(table)) return false;
  HostVariableEntry row;
  std::memset(&row, 0, sizeof row);
  {
    Tbx::HandleLocker data(table);
    if (!data) return false;
    HostArrayRow stored;
    std::memcpy(&stored, data.As<uint8_t>() + at, sizeof stored);
    row.type = stored.type;
    row.value.array = stored.array;
  }
  op(row, context);
  Tbx::HandleLocker data(table);
  if (!data) return false;
  HostArrayRow stored;
  stored.type = row.type;
  stored.unused = 0;
  stored.array = row.value.array;
  std::memcpy(data.As<uint8_t>() + at, &stored, sizeof stored);
  return true;
}
