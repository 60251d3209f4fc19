// The 8-bit strings: editing once for both encodings, the two encodings,
// then the storage in the object and the storage in a memory-manager handle.
#include "framework/core/strings/VByteString.h"

#include <cstring>
#include <string>

#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/TextUtils.h"
#include "framework/core/strings/VStringSupport_p.h"

using strings_p::HeldBuffer;

namespace {

void MoveBytes(uint8_t* destination, const uint8_t* source, int32_t count) {
  if (count > 0) std::memmove(destination, source, static_cast<size_t>(count));
}

const uint8_t* AsBytes(const char* text) { return reinterpret_cast<const uint8_t*>(text); }

// What an empty string without storage shows: one zero byte.
uint8_t sNoBytes[1] = {0};

}  // namespace

// --- VByteString ------------------------------------------------------------

int16_t VByteString::GetCharSize() const { return 1; }

void VByteString::Terminate() {
  // An emptied in-handle string may have no byte to write the zero into.
  HeldBuffer buffer(*this);
  if (buffer.Bytes() != sNoBytes) buffer.Bytes()[GetLength()] = 0;
}

void VByteString::AppendBytes(const uint8_t* bytes, int32_t count) {
  if (bytes == nullptr || count <= 0) return;
  const int32_t length = GetLength();
  const int32_t room = fCapacity - length;
  const int32_t n = count < room ? count : room;
  if (n <= 0 || !SetLength(length + n)) return;
  HeldBuffer buffer(*this);
  MoveBytes(buffer.Bytes() + length, bytes, n);
}

void VByteString::AppendChars(const char* text, int32_t count, int32_t charSet) {
  if (text == nullptr || count <= 0) return;
  if (charSet == kCharSetOwn) charSet = OwnSet();
  std::string bytes;
  if (charSet == OwnSet()) {
    bytes = std::string(text, static_cast<size_t>(count));
  } else if (!strings_p::BytesToOtherSet(charSet, AsBytes(text), count, bytes)) {
    return;
  }
  AppendBytes(AsBytes(bytes.data()), static_cast<int32_t>(bytes.size()));
}

void VByteString::AppendUniChars(const char16_t* text, int32_t count) {
  if (text == nullptr || count <= 0) return;
  std::string bytes;
  if (strings_p::UniToBytes(OwnSet(), text, count, bytes))
    AppendBytes(AsBytes(bytes.data()), static_cast<int32_t>(bytes.size()));
}

void VByteString::SetUniChars(const char16_t* text, int32_t offset, int32_t count) {
  std::string bytes;
  if (text != nullptr && count > 0 && !strings_p::UniToBytes(OwnSet(), text + offset, count, bytes)) return;
  SetEmpty(false);
  AppendBytes(AsBytes(bytes.data()), static_cast<int32_t>(bytes.size()));
}

void VByteString::SetChars(const char* text, int32_t offset, int32_t count, int32_t charSet) {
  if (charSet == kCharSetOwn) charSet = OwnSet();
  std::string bytes;
  if (charSet == OwnSet()) {
    if (text != nullptr && count > 0) bytes.assign(text + offset, static_cast<size_t>(count));
  } else {
    if (text != nullptr && count > 0 &&
        !strings_p::BytesToOtherSet(charSet, AsBytes(text + offset), count, bytes))
      return;
    SetNull(false, kWholeValue);
  }
  SetEmpty(false);
  AppendBytes(AsBytes(bytes.data()), static_cast<int32_t>(bytes.size()));
}

void VByteString::AppendUniCText(const char16_t* text) {
  if (text != nullptr) AppendUniChars(text, UniStrLen(text));
}

void VByteString::AppendUniPText(const char16_t* text) {
  if (text != nullptr) AppendUniChars(text + 1, text[0]);
}

void VByteString::AppendPText(const uint8_t* text, int32_t charSet) {
  if (text != nullptr) AppendChars(reinterpret_cast<const char*>(text + 1), text[0], charSet);
}

void VByteString::AppendCText(const char* text, int32_t charSet) {
  if (text != nullptr) AppendChars(text, CStrLen(text), charSet);
}

void VByteString::AppendChar(uint8_t c, int32_t charSet) {
  AppendChars(reinterpret_cast<const char*>(&c), 1, charSet);
}

void VByteString::AppendUniChar(char16_t c) { AppendUniChars(&c, 1); }

bool VByteString::CommitBytes(const uint8_t* bytes, int32_t count) {
  if (count > fCapacity) count = fCapacity;
  if (count < 0) count = 0;
  if (!SetLength(count)) return false;
  if (count > 0) {
    HeldBuffer buffer(*this);
    MoveBytes(buffer.Bytes(), bytes, count);
  }
  return true;
}

bool VByteString::Splice(int32_t at, int32_t removed, const uint8_t* bytes, int32_t count) {
  const std::string text = strings_p::ByteTextOf(*this, OwnSet());
  std::string result;
  result.reserve(text.size() - static_cast<size_t>(removed) + static_cast<size_t>(count));
  result.append(text, 0, static_cast<size_t>(at));
  if (count > 0) result.append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(count));
  result.append(text, static_cast<size_t>(at + removed), std::string::npos);
  return CommitBytes(AsBytes(result.data()), static_cast<int32_t>(result.size()));
}

void VByteString::KeepRange(int32_t start, int32_t count) {
  const int32_t length = GetLength();
  strings_p::ClipRange(length, start, count);
  if (start > length) {
    Clear();
    return;
  }
  const std::string text = strings_p::ByteTextOf(*this, OwnSet());
  CommitBytes(AsBytes(text.data()) + start - 1, count);
}

void VByteString::Insert(const VString& other, int32_t position) {
  const int32_t length = GetLength();
  if (position < 1) position = 1;
  if (position > length + 1) position = length + 1;
  const std::string text = strings_p::ByteTextOf(other, OwnSet());
  if (text.empty()) return;
  Splice(position - 1, 0, AsBytes(text.data()), static_cast<int32_t>(text.size()));
}

void VByteString::InsertChar(char16_t c, int32_t position) {
  const int32_t length = GetLength();
  if (position < 1 || position > length + 1) return;
  std::string bytes;
  strings_p::UniToBytes(OwnSet(), &c, 1, bytes);
  const int32_t k = static_cast<int32_t>(bytes.size());
  // Nothing for a unit without a byte form, or one that does not fit whole.
  if (k == 0 || k > fCapacity - length) return;
  Splice(position - 1, 0, AsBytes(bytes.data()), k);
}

void VByteString::ReplaceRange(const VString& other, int32_t start, int32_t count) {
  const int32_t length = GetLength();
  strings_p::ClipRange(length, start, count);
  if (start > length) return;
  const std::string text = strings_p::ByteTextOf(other, OwnSet());
  Splice(start - 1, count, AsBytes(text.data()), static_cast<int32_t>(text.size()));
}

void VByteString::Delete(int32_t start, int32_t count) {
  const int32_t length = GetLength();
  strings_p::ClipRange(length, start, count);
  if (start > length || count <= 0) return;
  Splice(start - 1, count, nullptr, 0);
}

int32_t VByteString::FindChar(char16_t c, int32_t start, bool) const {
  const int32_t length = GetLength();
  if (start < 1 || start > length) return 0;
  for (int32_t i = start; i <= length; ++i)
    if (GetCharAt(i) == c) return i;
  return 0;
}

char16_t VByteString::GetCharAt(int32_t position) const {
  const int32_t length = GetLength();
  if (position < 1 || position > length) return 0;
  std::string rest;
  {
    HeldBuffer buffer(*this);
    // A multi-byte sequence may run on past this byte; two bytes are the
    // longest sequence of the scripts in use.
    const int32_t take = length - position + 1 < 2 ? length - position + 1 : 2;
    rest.assign(reinterpret_cast<const char*>(buffer.Bytes() + position - 1), static_cast<size_t>(take));
  }
  std::u16string units;
  strings_p::BytesToUni(OwnSet(), AsBytes(rest.data()), 1, units);
  return units.empty() ? 0 : units[0];
}

void VByteString::SetCharAt(int32_t position, char16_t c) {
  if (position < 1 || position > GetLength()) return;
  std::string bytes;
  strings_p::UniToBytes(OwnSet(), &c, 1, bytes);
  if (bytes.empty()) return;
  HeldBuffer buffer(*this);
  buffer.Bytes()[position - 1] = static_cast<uint8_t>(bytes[0]);
}

// --- The two encodings ------------------------------------------------------

bool VMacString::IsUnicode() const { return false; }
bool VMacString::IsAnsi() const { return false; }
bool VMacString::IsMac() const { return true; }
int32_t VMacString::GetCharKind() const { return kCharKindMac; }

bool VAnsiString::IsUnicode() const { return false; }
bool VAnsiString::IsAnsi() const { return true; }
bool VAnsiString::IsMac() const { return false; }
int32_t VAnsiString::GetCharKind() const { return kCharKindAnsi; }

// --- Storage inside the object ----------------------------------------------

namespace {
int32_t InMemCapacity(const uint8_t* storage, int32_t capacity) {
  if (storage == nullptr || capacity < 0) return 0;
  return capacity > 255 ? 255 : capacity;
}
}  // namespace

template <class Encoding>
VByteStrInMemOf<Encoding>::VByteStrInMemOf(uint8_t* storage, int32_t capacity)
    : Encoding(InMemCapacity(storage, capacity)), fStorage(storage) {}

template <class Encoding>
bool VByteStrInMemOf<Encoding>::IsInHandle() const {
  return false;
}

template <class Encoding>
void VByteStrInMemOf<Encoding>::SetEmpty(bool) {
  if (fStorage == nullptr) return;
  fStorage[0] = 0;
  fStorage[1] = 0;
}

template <class Encoding>
int32_t VByteStrInMemOf<Encoding>::GetLength() const {
  return fStorage != nullptr ? fStorage[0] : 0;
}

template <class Encoding>
void* VByteStrInMemOf<Encoding>::GetBuffer() const {
  return fStorage != nullptr ? fStorage + 1 : sNoBytes;
}

template <class Encoding>
bool VByteStrInMemOf<Encoding>::SetLength(int32_t length) {
  if (length < 0 || length > this->fCapacity || fStorage == nullptr) return false;
  fStorage[0] = static_cast<uint8_t>(length);
  fStorage[1 + length] = 0;
  return true;
}

template class VByteStrInMemOf<VMacString>;
template class VByteStrInMemOf<VAnsiString>;

VMacStrInMem::VMacStrInMem(uint8_t* storage, int32_t capacity, bool clear)
    : VByteStrInMemOf<VMacString>(storage, capacity) {
  if (clear) Clear();
}
VValue* VMacStrInMem::Clone() const { return new VMacStrInMem(fStorage, fCapacity, false); }
int32_t VMacStrInMem::GetForm() const { return kStringFormMac; }

VAnsiStrInMem::VAnsiStrInMem(uint8_t* storage, int32_t capacity, bool clear)
    : VByteStrInMemOf<VAnsiString>(storage, capacity) {
  if (clear) Clear();
}
VValue* VAnsiStrInMem::Clone() const { return new VAnsiStrInMem(fStorage, fCapacity, false); }
int32_t VAnsiStrInMem::GetForm() const { return kStringFormAnsi; }

// --- Storage in a handle ----------------------------------------------------

namespace {
VMemHandle NewEmptyStringHandle(uint32_t size) {
  if (gMemoryMgr == nullptr) return 0;
  return size == 0 ? gMemoryMgr->NewEmptyHandle() : gMemoryMgr->NewHandle(size, 0);
}

VMemHandle Duplicate(VMemHandle handle) {
  return gMemoryMgr != nullptr && handle != 0 ? gMemoryMgr->DuplicateHandle(handle) : 0;
}

uint32_t HandleSize(VMemHandle handle) {
  return gMemoryMgr != nullptr && handle != 0 ? gMemoryMgr->GetHandleSize(handle) : 0;
}
}  // namespace

template <class Encoding>
VByteStrInHandleOf<Encoding>::VByteStrInHandleOf() : Encoding(kStringHandleCapacity) {
  fHandle = NewEmptyStringHandle(Encoding::kEmptyHandleSize);
  if (HandleSize(fHandle) != 0) {
    HeldBuffer buffer(*this);
    buffer.Bytes()[0] = 0;
  }
}

template <class Encoding>
VByteStrInHandleOf<Encoding>::VByteStrInHandleOf(const VByteStrInHandleOf& other)
    : Encoding(kStringHandleCapacity) {
  TakeCopyOf(other);
}

template <class Encoding>
VByteStrInHandleOf<Encoding>::VByteStrInHandleOf(VMemHandle handle, bool borrowed)
    : Encoding(kStringHandleCapacity) {
  SetHandle(handle, borrowed);
}

template <class Encoding>
VByteStrInHandleOf<Encoding>::~VByteStrInHandleOf() {
  DisposeOwnHandle();
}

template <class Encoding>
void VByteStrInHandleOf<Encoding>::TakeCopyOf(const VByteStrInHandleOf& other) {
  fHandle = Duplicate(other.fHandle);
  fLength = fHandle != 0 ? other.fLength : 0;
  fBorrowed = 0;
  this->SetNull(false, kWholeValue);
}

template <class Encoding>
void VByteStrInHandleOf<Encoding>::DisposeOwnHandle() {
  if (fHandle != 0 && !fBorrowed && gMemoryMgr != nullptr) gMemoryMgr->DisposeHandle(fHandle);
  fHandle = 0;
}

template <class Encoding>
void VByteStrInHandleOf<Encoding>::SetHandle(VMemHandle handle, bool borrowed) {
  if (handle != fHandle) DisposeOwnHandle();
  fHandle = handle;
  fBorrowed = borrowed ? 1 : 0;
  const uint32_t size = HandleSize(handle);
  // The handle holds the characters and a zero byte; its last byte is made
  // that zero, so that no reader runs past the block.
  fLength = size >= 1 ? static_cast<int32_t>(size - 1) : 0;
  if (size >= 1) {
    HeldBuffer buffer(*this);
    buffer.Bytes()[fLength] = 0;
  }
  this->SetNull(false, kWholeValue);
}

template <class Encoding>
bool VByteStrInHandleOf<Encoding>::IsInHandle() const {
  return true;
}

template <class Encoding>
void VByteStrInHandleOf<Encoding>::SetEmpty(bool shrink) {
  if (shrink && fHandle != 0 && gMemoryMgr != nullptr)
    gMemoryMgr->SetHandleSize(fHandle, Encoding::kEmptyHandleSize);
  fLength = 0;
  // Readers go by the length; a zero is written where there is room for one.
  if (HandleSize(fHandle) != 0) {
    HeldBuffer buffer(*this);
    buffer.Bytes()[0] = 0;
  }
}

template <class Encoding>
int32_t VByteStrInHandleOf<Encoding>::GetLength() const {
  return fLength;
}

template <class Encoding>
void* VByteStrInHandleOf<Encoding>::GetBuffer() const {
  void* data = fHandle != 0 && gMemoryMgr != nullptr ? gMemoryMgr->LockHandle(fHandle) : nullptr;
  return data != nullptr ? data : sNoBytes;
}

template <class Encoding>
void VByteStrInHandleOf<Encoding>::ReleaseBuffer() const {
  // An empty handle cannot be locked, so it is not unlocked either.
  if (HandleSize(fHandle) != 0) gMemoryMgr->UnlockHandle(fHandle);
}

template <class Encoding>
bool VByteStrInHandleOf<Encoding>::SetLength(int32_t length) {
  if (length < 0 || length > this->fCapacity || fHandle == 0 || gMemoryMgr == nullptr) return false;
  // A length at the capacity asks for a block beyond the largest one, which
  // the memory manager refuses.
  if (!gMemoryMgr->SetHandleSize(fHandle, static_cast<uint32_t>(length) + 1)) return false;
  fLength = length;
  HeldBuffer buffer(*this);
  buffer.Bytes()[length] = 0;
  return true;
}

template class VByteStrInHandleOf<VMacString>;
template class VByteStrInHandleOf<VAnsiString>;

VMacStrInHandle::VMacStrInHandle() = default;
VMacStrInHandle::VMacStrInHandle(const VMacStrInHandle& other) : VByteStrInHandleOf<VMacString>(other) {}
VMacStrInHandle::VMacStrInHandle(const VString& other) { Assign(other); }
VMacStrInHandle::VMacStrInHandle(VMemHandle handle, bool borrowed)
    : VByteStrInHandleOf<VMacString>(handle, borrowed) {}
VMacStrInHandle& VMacStrInHandle::operator=(const VMacStrInHandle& other) {
  if (&other != this) {
    DisposeOwnHandle();
    TakeCopyOf(other);
  }
  return *this;
}
VValue* VMacStrInHandle::Clone() const { return new VMacStrInHandle(*this); }
int32_t VMacStrInHandle::GetForm() const { return kStringFormMacHandle; }

VAnsiStrInHandle::VAnsiStrInHandle() = default;
VAnsiStrInHandle::VAnsiStrInHandle(const VAnsiStrInHandle& other) : VByteStrInHandleOf<VAnsiString>(other) {}
VAnsiStrInHandle::VAnsiStrInHandle(const VString& other) { Assign(other); }
VAnsiStrInHandle::VAnsiStrInHandle(VMemHandle handle, bool borrowed)
    : VByteStrInHandleOf<VAnsiString>(handle, borrowed) {}
VAnsiStrInHandle& VAnsiStrInHandle::operator=(const VAnsiStrInHandle& other) {
  if (&other != this) {
    DisposeOwnHandle();
    TakeCopyOf(other);
  }
  return *this;
}
VValue* VAnsiStrInHandle::Clone() const { return new VAnsiStrInHandle(*this); }
int32_t VAnsiStrInHandle::GetForm() const { return kStringFormAnsiHandle; }
