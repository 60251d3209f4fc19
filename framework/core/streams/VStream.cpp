// The typed transfers of VStream over the storage a concrete stream supplies.
#include "framework/core/streams/VStream.h"

#include <bit>
#include <cstring>

#include "framework/core/memory/VHandleLocker.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/ByteSwap.h"
#include "framework/core/streams/VStreamProgress.h"

// Order 2 is this machine's order; the swap rule below relies on it.
static_assert(std::endian::native == std::endian::little,
              "byte order 2 is little-endian; the swap rule assumes that is this machine's");

namespace {

constexpr uint32_t kMaxTransfer = 0xFFFFFFFFu;
constexpr uint32_t kExtendedWidth = 10;

void SwapByWidth(void* value, uint32_t width) {
  switch (width) {
    case 2: Swap16(value); break;
    case 4: Swap32(value); break;
    case 8: Swap64(value); break;
    default: break;
  }
}

void SwapElements(void* values, uint32_t count, uint32_t width) {
  const int32_t n = int32_t(count > 0x7FFFFFFFu ? 0x7FFFFFFFu : count);
  switch (width) {
    case 2: SwapArray16(values, n); break;
    case 4: SwapArray32(values, n); break;
    case 8: SwapDoubleArray(values, n); break;
    default: break;
  }
}

int16_t ResolveOrder(int16_t argument, int16_t current) {
  switch (argument) {
    case kByteOrderSetThisMachine: return kByteOrderLittle;
    case kByteOrderSetMacintosh: return kByteOrderMacintosh;
    case kByteOrderKeep: return current;
    default: return argument;
  }
}

}  // namespace

// ---- settings

void VStream::SetByteOrders(int16_t dataOrder, int16_t nativeOrder) {
  fDataOrder = ResolveOrder(dataOrder, fDataOrder);
  fNativeOrder = ResolveOrder(nativeOrder, fNativeOrder);
}

void VStream::GetByteOrders(int16_t& dataOrder, int16_t& nativeOrder) const {
  dataOrder = fDataOrder;
  nativeOrder = fNativeOrder;
}

void VStream::SetCharForms(int16_t dataForm, int16_t nativeForm) {
  if (dataForm != kCharFormKeep) fDataCharForm = dataForm;
  if (nativeForm != kCharFormKeep) fNativeCharForm = nativeForm;
}

void VStream::GetCharForms(int16_t& dataForm, int16_t& nativeForm) const {
  dataForm = fDataCharForm;
  nativeForm = fNativeCharForm;
}

bool VStream::NeedsSwap() const {
  return (fDataOrder == kByteOrderLittle) != (fNativeOrder == kByteOrderLittle);
}

// ---- the building blocks

uint32_t VStream::FindByte(uint8_t value) { return Find(&value, 1); }
uint32_t VStream::FindWord(uint16_t value) { return Find(&value, 2); }
uint32_t VStream::FindLong(uint32_t value) { return Find(&value, 4); }
uint32_t VStream::Find(const void*, uint32_t) { return 0; }

uint32_t VStream::FindInBlock(const uint8_t* data, uint32_t size, uint32_t from,
                              const void* value, uint32_t width) {
  if (data == nullptr || width == 0 || width > size || from > size - width) return 0;
  const auto* wanted = static_cast<const uint8_t*>(value);
  const uint32_t last = size - width;  // the last offset where the value fits
  for (uint32_t offset = from; offset <= last;) {
    const void* hit = std::memchr(data + offset, wanted[0], last - offset + 1);
    if (hit == nullptr) return 0;
    offset = uint32_t(static_cast<const uint8_t*>(hit) - data);
    if (std::memcmp(data + offset, wanted, width) == 0) return offset + 1;
    ++offset;
  }
  return 0;
}

bool VStream::Cancelled(uint64_t bytes) {
  if (fHook == nullptr) return false;
  const uint32_t asked = bytes > kMaxTransfer ? kMaxTransfer : uint32_t(bytes);
  if (!fHook->Progress(asked)) return false;
  fStatus = kStreamCancelled;
  return true;
}

int16_t VStream::Write(const void* data, uint32_t length) {
  fStatus = WriteBytes(data, length);
  return fStatus;
}

int16_t VStream::Read(void* data, uint32_t& length) {
  fStatus = ReadBytes(data, length);
  return fStatus;
}

bool VStream::ReadScalar(void* value, uint32_t width, bool askHook) {
  if (askHook && Cancelled(width)) return false;
  uint8_t buffer[8] = {};
  uint32_t got = width;
  Read(buffer, got);
  if (fStatus > 0 || got != width) {
    // An incomplete value is never delivered.
    std::memset(value, 0, width);
    return false;
  }
  if (NeedsSwap()) SwapByWidth(buffer, width);
  std::memcpy(value, buffer, width);
  return true;
}

int16_t VStream::WriteScalar(const void* value, uint32_t width) {
  uint8_t buffer[8];
  std::memcpy(buffer, value, width);
  if (NeedsSwap()) SwapByWidth(buffer, width);
  if (Cancelled(width)) return fStatus;
  return Write(buffer, width);
}

// Reals: the same order in the stream and in memory needs nothing; data order
// 0 holds big-endian 10-byte extended values that become this machine's
// double (reversed when memory is big-endian); otherwise the 8 bytes are
// reversed by the swap rule.
bool VStream::ReadRealValue(double& value) {
  if (fDataOrder == kByteOrderExtended && fNativeOrder != kByteOrderExtended) {
    if (Cancelled(kExtendedWidth)) return false;
    uint8_t extended[kExtendedWidth] = {};
    uint32_t got = kExtendedWidth;
    Read(extended, got);
    if (fStatus > 0 || got != kExtendedWidth) {
      value = 0;
      return false;
    }
    double converted;
    ExtendedToDouble(extended, &converted);
    if (fNativeOrder != kByteOrderLittle) SwapDouble(&converted);
    value = converted;
    return true;
  }
  return ReadScalar(&value, 8);
}

// Data order 0 is written as 10-byte extended values, so that what is
// written reads back with ReadRealValue.
int16_t VStream::WriteRealValue(double value) {
  if (fDataOrder == kByteOrderExtended && fNativeOrder != kByteOrderExtended) {
    double native = value;
    if (fNativeOrder != kByteOrderLittle) SwapDouble(&native);
    uint8_t extended[kExtendedWidth];
    DoubleToExtended(&native, extended);
    if (Cancelled(kExtendedWidth)) return fStatus;
    return Write(extended, kExtendedWidth);
  }
  return WriteScalar(&value, 8);
}

// A handle is its 32-bit logical size followed by its bytes; the hook is
// asked once for the whole of it.
VMemHandle VStream::ReadHandleValue() {
  uint32_t length = 0;
  if (!ReadScalar(&length, 4, false)) return 0;
  if (Cancelled(uint64_t(length) + 4)) return 0;
  // A length word beyond the bytes that remain is corrupt or truncated data:
  // refuse it before allocating anything of that size.
  const uint32_t position = GetPosition();
  if (position != kStreamNoPosition) {
    const uint32_t size = GetSize();
    const uint32_t remaining = position <= size ? size - position : 0;
    if (length > remaining) {
      fStatus = kStreamEndOfData;
      return 0;
    }
  }
  const VMemHandle handle = gMemoryMgr->NewHandle(length, 0);
  if (handle == 0) {
    fStatus = kStreamNoMemory;
    return 0;
  }
  if (length > 0) {
    VHandleLocker data(handle);
    if (!data) {
      gMemoryMgr->DisposeHandle(handle);
      fStatus = kStreamNoMemory;
      return 0;
    }
    uint32_t got = length;
    Read(data.Data(), got);
    data.Unlock();
    if (fStatus != 0) {
      gMemoryMgr->DisposeHandle(handle);
      return 0;
    }
  }
  return handle;
}

int16_t VStream::WriteHandleValue(VMemHandle handle) {
  const uint32_t size = gMemoryMgr->GetHandleSize(handle);
  if (Cancelled(uint64_t(size) + 4)) return fStatus;
  uint8_t lengthWord[4];
  std::memcpy(lengthWord, &size, 4);
  if (NeedsSwap()) Swap32(lengthWord);
  if (Write(lengthWord, 4) != 0 || size == 0) return fStatus;
  VHandleLocker data(handle);
  if (!data) {
    fStatus = kStreamNoMemory;
    return fStatus;
  }
  Write(data.Data(), size);
  return fStatus;
}

int16_t VStream::ReadArray(void* values, uint32_t& count, uint32_t width) {
  if (fStatus != 0) {
    count = 0;
    return fStatus;
  }
  uint64_t bytes = uint64_t(count) * width;
  if (Cancelled(bytes)) {
    count = 0;
    return fStatus;
  }
  // No stream holds 4 GB; what cannot be asked for in one call cannot arrive.
  if (bytes > kMaxTransfer) bytes = kMaxTransfer / width * width;
  uint32_t got = uint32_t(bytes);
  Read(values, got);
  count = got / width;
  // Whole elements that arrived are delivered in native order, also after a
  // short read.
  if (fStatus < kStreamNotOpen && NeedsSwap()) SwapElements(values, count, width);
  return fStatus;
}

int16_t VStream::WriteArray(const void* values, uint32_t count, uint32_t width) {
  if (fStatus != 0) return fStatus;
  const uint64_t bytes = uint64_t(count) * width;
  if (bytes > kMaxTransfer) {
    fStatus = kStreamCannotGrow;
    return fStatus;
  }
  if (Cancelled(bytes)) return fStatus;
  if (!NeedsSwap() || count == 0) return Write(values, uint32_t(bytes));
  void* block = gMemoryMgr->NewBlock(uint32_t(bytes));
  if (block == nullptr) {
    fStatus = kStreamNoMemory;
    return fStatus;
  }
  std::memcpy(block, values, bytes);
  SwapElements(block, count, width);
  Write(block, uint32_t(bytes));
  gMemoryMgr->DisposeBlock(block);
  return fStatus;
}

// Reals of data order 0 are 10 bytes each in the stream: they are read into
// one temporary block, no larger than what remains, and each whole value is
// converted as GetReal converts one.
int16_t VStream::ReadExtendedArray(double* values, uint32_t& count) {
  if (fStatus != 0) {
    count = 0;
    return fStatus;
  }
  const uint64_t bytes = uint64_t(count) * kExtendedWidth;
  if (Cancelled(bytes)) {
    count = 0;
    return fStatus;
  }
  uint64_t toRead = bytes > kMaxTransfer ? kMaxTransfer / kExtendedWidth * kExtendedWidth : bytes;
  const uint32_t position = GetPosition();
  if (position != kStreamNoPosition) {
    const uint32_t size = GetSize();
    const uint32_t remaining = position <= size ? size - position : 0;
    if (toRead > remaining) toRead = remaining;
  }
  if (toRead == 0) {
    count = 0;
    if (bytes > 0 && fStatus == 0) fStatus = kStreamEndOfData;
    return fStatus;
  }
  auto* block = static_cast<uint8_t*>(gMemoryMgr->NewBlock(uint32_t(toRead)));
  if (block == nullptr) {
    count = 0;
    fStatus = kStreamNoMemory;
    return fStatus;
  }
  uint32_t got = uint32_t(toRead);
  Read(block, got);
  if (toRead < bytes && fStatus == 0) fStatus = kStreamEndOfData;
  const uint32_t whole = fStatus < kStreamNotOpen ? got / kExtendedWidth : 0;
  for (uint32_t i = 0; i < whole; ++i) {
    ExtendedToDouble(block + size_t(i) * kExtendedWidth, &values[i]);
    if (fNativeOrder != kByteOrderLittle) SwapDouble(&values[i]);
  }
  gMemoryMgr->DisposeBlock(block);
  count = whole;
  return fStatus;
}

int16_t VStream::WriteExtendedArray(const double* values, uint32_t count) {
  if (fStatus != 0) return fStatus;
  const uint64_t bytes = uint64_t(count) * kExtendedWidth;
  if (bytes > kMaxTransfer) {
    fStatus = kStreamCannotGrow;
    return fStatus;
  }
  if (Cancelled(bytes)) return fStatus;
  if (count == 0) return fStatus;
  auto* block = static_cast<uint8_t*>(gMemoryMgr->NewBlock(uint32_t(bytes)));
  if (block == nullptr) {
    fStatus = kStreamNoMemory;
    return fStatus;
  }
  for (uint32_t i = 0; i < count; ++i) {
    double native = values[i];
    if (fNativeOrder != kByteOrderLittle) SwapDouble(&native);
    DoubleToExtended(&native, block + size_t(i) * kExtendedWidth);
  }
  Write(block, uint32_t(bytes));
  gMemoryMgr->DisposeBlock(block);
  return fStatus;
}

int16_t VStream::ReadRaw(void* data, uint32_t& length, bool zeroOnCancel) {
  if (fStatus != 0) {
    length = 0;
    return fStatus;
  }
  if (Cancelled(length)) {
    if (zeroOnCancel) length = 0;
    return fStatus;
  }
  return Read(data, length);
}

// ---- bytes and characters

uint8_t VStream::GetByte() {
  uint8_t value = 0;
  if (fStatus <= 0) ReadScalar(&value, 1);
  return value;
}

int16_t VStream::ReadByte(uint8_t& value) {
  if (fStatus == 0) ReadScalar(&value, 1);
  return fStatus;
}

int16_t VStream::ReadChar(char& value) {
  if (fStatus == 0) ReadScalar(&value, 1);
  return fStatus;
}

int16_t VStream::PutByte(uint8_t value) {
  if (fStatus != 0) return fStatus;
  return WriteScalar(&value, 1);
}

// ---- 16 bits

int16_t VStream::GetWord() {
  int16_t value = 0;
  if (fStatus <= 0) ReadScalar(&value, 2);
  return value;
}

int16_t VStream::ReadWord(uint16_t& value) {
  if (fStatus == 0) ReadScalar(&value, 2);
  return fStatus;
}

int16_t VStream::ReadShort(int16_t& value) {
  if (fStatus == 0) ReadScalar(&value, 2);
  return fStatus;
}

int16_t VStream::PutWord(int16_t value) {
  if (fStatus != 0) return fStatus;
  return WriteScalar(&value, 2);
}

// ---- 32 bits

int32_t VStream::GetLong() {
  int32_t value = 0;
  if (fStatus <= 0) ReadScalar(&value, 4);
  return value;
}

uint32_t VStream::GetULong() {
  uint32_t value = 0;
  if (fStatus <= 0) ReadScalar(&value, 4);
  return value;
}

int16_t VStream::ReadLong(int32_t& value) {
  if (fStatus == 0) ReadScalar(&value, 4);
  return fStatus;
}

int16_t VStream::ReadULong(uint32_t& value) {
  if (fStatus == 0) ReadScalar(&value, 4);
  return fStatus;
}

int16_t VStream::PutLong(int32_t value) {
  if (fStatus != 0) return fStatus;
  return WriteScalar(&value, 4);
}

// ---- 64 bits

int64_t VStream::GetLongLong() {
  int64_t value = 0;
  if (fStatus <= 0) ReadScalar(&value, 8);
  return value;
}

uint64_t VStream::GetULongLong() {
  uint64_t value = 0;
  if (fStatus <= 0) ReadScalar(&value, 8);
  return value;
}

int16_t VStream::ReadLongLong(int64_t& value) {
  if (fStatus == 0) ReadScalar(&value, 8);
  return fStatus;
}

int16_t VStream::ReadULongLong(uint64_t& value) {
  if (fStatus == 0) ReadScalar(&value, 8);
  return fStatus;
}

int16_t VStream::PutLongLong(int64_t value) {
  if (fStatus != 0) return fStatus;
  return WriteScalar(&value, 8);
}

// ---- reals

double VStream::GetReal() {
  double value = 0;
  if (fStatus <= 0) ReadRealValue(value);
  return value;
}

int16_t VStream::ReadReal(double& value) {
  if (fStatus == 0) ReadRealValue(value);
  return fStatus;
}

int16_t VStream::PutReal(double value) {
  if (fStatus != 0) return fStatus;
  return WriteRealValue(value);
}

// ---- handles

VMemHandle VStream::GetHandle() {
  if (fStatus != 0) return 0;
  return ReadHandleValue();
}

int16_t VStream::ReadHandle(VMemHandle& handle) {
  if (fStatus != 0) return fStatus;
  handle = ReadHandleValue();
  return fStatus;
}

int16_t VStream::ReadHandleArray(VMemHandle* handles, uint32_t& count) {
  uint32_t read = 0;
  while (read < count && fStatus == 0) {
    const VMemHandle handle = ReadHandleValue();
    if (handle == 0) break;
    handles[read++] = handle;
  }
  count = read;
  return fStatus;
}

VStream& VStream::PutHandle(VMemHandle handle) {
  if (fStatus == 0) WriteHandleValue(handle);
  return *this;
}

int16_t VStream::WriteHandle(VMemHandle handle) {
  if (fStatus != 0) return fStatus;
  return WriteHandleValue(handle);
}

// ---- values

int32_t VStream::PutValue(VObject& value, bool tagged) {
  if (fStatus != 0) return fStatus;
  return value.WriteToStream(*this, tagged ? kTagVVAL : 0);
}

int32_t VStream::GetValueData(VObject& value) {
  if (fStatus > 0) return fStatus;
  return value.ReadFromStream(*this, 0);
}

bool VStream::HasRemaining(uint64_t length) {
  const uint32_t position = GetPosition();
  if (position == kStreamNoPosition) return true;
  const uint32_t size = GetSize();
  const uint32_t remaining = position <= size ? size - position : 0;
  if (length <= remaining) return true;
  fStatus = kStreamEndOfData;
  return false;
}

// ---- arrays

int16_t VStream::GetWordArray(uint16_t* values, uint32_t& count) { return ReadArray(values, count, 2); }
int16_t VStream::GetShortArray(int16_t* values, uint32_t& count) { return ReadArray(values, count, 2); }
int16_t VStream::GetLongArray(int32_t* values, uint32_t& count) { return ReadArray(values, count, 4); }
int16_t VStream::GetULongArray(uint32_t* values, uint32_t& count) { return ReadArray(values, count, 4); }

int16_t VStream::GetRealArray(double* values, uint32_t& count) {
  if (fDataOrder == kByteOrderExtended && fNativeOrder != kByteOrderExtended)
    return ReadExtendedArray(values, count);
  return ReadArray(values, count, 8);
}

int16_t VStream::PutWordArray(const uint16_t* values, uint32_t count) { return WriteArray(values, count, 2); }
int16_t VStream::PutShortArray(const int16_t* values, uint32_t count) { return WriteArray(values, count, 2); }
int16_t VStream::PutLongArray(const int32_t* values, uint32_t count) { return WriteArray(values, count, 4); }
int16_t VStream::PutULongArray(const uint32_t* values, uint32_t count) { return WriteArray(values, count, 4); }

int16_t VStream::PutRealArray(const double* values, uint32_t count) {
  if (fDataOrder == kByteOrderExtended && fNativeOrder != kByteOrderExtended)
    return WriteExtendedArray(values, count);
  return WriteArray(values, count, 8);
}

// ---- raw bytes and text

int16_t VStream::GetData(void* data, uint32_t& length) { return ReadRaw(data, length, true); }
int16_t VStream::ReadData(void* data, uint32_t& length) { return ReadRaw(data, length, false); }

int16_t VStream::PutData(const void* data, uint32_t length) {
  if (fStatus != 0) return fStatus;
  if (Cancelled(length)) return fStatus;
  return Write(data, length);
}

int16_t VStream::PutBytes(const void* data, uint32_t length) { return PutData(data, length); }

int16_t VStream::PutHex(const void* data, uint32_t length) {
  static const char kDigits[] = "0123456789ABCDEF";
  if (fStatus != 0) return fStatus;
  if (Cancelled(uint64_t(length) * 2)) return fStatus;
  const auto* bytes = static_cast<const uint8_t*>(data);
  for (uint32_t i = 0; i < length; ++i) {
    if (Write(&kDigits[bytes[i] >> 4], 1) != 0) break;
    if (Write(&kDigits[bytes[i] & 0x0F], 1) != 0) break;
  }
  return fStatus;
}

int16_t VStream::PutCString(const char* text) {
  if (text == nullptr) return fStatus;
  const size_t length = std::strlen(text);
  if (length > kMaxTransfer) {
    fStatus = kStreamCannotGrow;
    return fStatus;
  }
  return Write(text, uint32_t(length));
}

int16_t VStream::ReadCharInForm(char16_t& value) {
  if (fDataCharForm != fNativeCharForm || fStatus != 0) return fStatus;
  if (fDataCharForm == kCharFormUnicode) {
    uint16_t unit = 0;
    // A cancel leaves the caller's character alone; a short read gives 0.
    if (ReadScalar(&unit, 2) || fStatus != kStreamCancelled) value = unit;
  } else {
    uint8_t byte = 0;
    if (ReadScalar(&byte, 1) || fStatus != kStreamCancelled) value = byte;
  }
  return fStatus;
}

int16_t VStream::WriteCharInForm(char16_t value) {
  if (fDataCharForm != fNativeCharForm) return fStatus;
  if (fDataCharForm == kCharFormUnicode) return PutWord(int16_t(value));
  return PutByte(uint8_t(value));
}

// ---- shift forms

VStream& VStream::operator>>(uint8_t& value) {
  if (fStatus <= 0) ReadScalar(&value, 1);
  return *this;
}
VStream& VStream::operator>>(char& value) {
  if (fStatus <= 0) ReadScalar(&value, 1);
  return *this;
}
VStream& VStream::operator>>(int16_t& value) {
  if (fStatus <= 0) ReadScalar(&value, 2);
  return *this;
}
VStream& VStream::operator>>(uint16_t& value) {
  if (fStatus <= 0) ReadScalar(&value, 2);
  return *this;
}
VStream& VStream::operator>>(int32_t& value) {
  if (fStatus <= 0) ReadScalar(&value, 4);
  return *this;
}
VStream& VStream::operator>>(uint32_t& value) {
  if (fStatus <= 0) ReadScalar(&value, 4);
  return *this;
}
VStream& VStream::operator>>(int64_t& value) {
  if (fStatus <= 0) ReadScalar(&value, 8);
  return *this;
}
VStream& VStream::operator>>(uint64_t& value) {
  if (fStatus <= 0) ReadScalar(&value, 8);
  return *this;
}
VStream& VStream::operator>>(double& value) {
  if (fStatus <= 0) ReadRealValue(value);
  return *this;
}

// The byte shift for writing needs status 0, as PutByte does.
VStream& VStream::operator<<(uint8_t value) {
  if (fStatus == 0) WriteScalar(&value, 1);
  return *this;
}
VStream& VStream::operator<<(char value) {
  if (fStatus == 0) WriteScalar(&value, 1);
  return *this;
}
VStream& VStream::operator<<(int16_t value) {
  if (fStatus <= 0) WriteScalar(&value, 2);
  return *this;
}
VStream& VStream::operator<<(uint16_t value) {
  if (fStatus <= 0) WriteScalar(&value, 2);
  return *this;
}
VStream& VStream::operator<<(int32_t value) {
  if (fStatus <= 0) WriteScalar(&value, 4);
  return *this;
}
VStream& VStream::operator<<(uint32_t value) {
  if (fStatus <= 0) WriteScalar(&value, 4);
  return *this;
}
VStream& VStream::operator<<(int64_t value) {
  if (fStatus <= 0) WriteScalar(&value, 8);
  return *this;
}
VStream& VStream::operator<<(uint64_t value) {
  if (fStatus <= 0) WriteScalar(&value, 8);
  return *this;
}
VStream& VStream::operator<<(double value) {
  if (fStatus <= 0) WriteRealValue(value);
  return *this;
}
VStream& VStream::operator<<(VObject& value) {
  if (fStatus <= 0) value.WriteToStream(*this, kTagVVAL);
  return *this;
}
