// The UTF-16 strings: editing once for both storages, then the storage in
// the object and the storage in a memory-manager handle.
#include "framework/core/strings/VUniString.h"

#include <cstring>
#include <string>

#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/TextUtils.h"
#include "framework/core/strings/VStringSupport_p.h"

using strings_p::HeldBuffer;

namespace {

constexpr size_t kUnit = sizeof(char16_t);

void MoveUnits(char16_t* destination, const char16_t* source, int32_t count) {
  if (count > 0) std::memmove(destination, source, static_cast<size_t>(count) * kUnit);
}

// A UTF-16 string counts the own set as ANSI.
int32_t SetOf(int32_t charSet) { return charSet == kCharSetOwn ? kCharSetAnsi : charSet; }

}  // namespace

// --- VUniString -------------------------------------------------------------

bool VUniString::IsUnicode() const { return true; }
bool VUniString::IsAnsi() const { return false; }
bool VUniString::IsMac() const { return false; }
int32_t VUniString::GetCharKind() const { return kCharKindUnicode; }
int16_t VUniString::GetCharSize() const { return 2; }

void VUniString::Terminate() {
  HeldBuffer buffer(*this);
  buffer.Units()[GetLength()] = 0;
}

void VUniString::AppendUniChars(const char16_t* text, int32_t count) {
  if (text == nullptr || count <= 0) return;
  const int32_t length = GetLength();
  const int32_t room = fCapacity - length;
  const int32_t n = count < room ? count : room;
  if (n <= 0 || !SetLength(length + n)) return;
  HeldBuffer buffer(*this);
  MoveUnits(buffer.Units() + length, text, n);
}

void VUniString::AppendChars(const char* text, int32_t count, int32_t charSet) {
  if (text == nullptr || count <= 0) return;
  std::u16string units;
  if (strings_p::BytesToUni(SetOf(charSet), reinterpret_cast<const uint8_t*>(text), count, units))
    AppendUniChars(units.data(), static_cast<int32_t>(units.size()));
}

void VUniString::SetUniChars(const char16_t* text, int32_t offset, int32_t count) {
  // The characters may lie in this string's own buffer: take them first.
  std::u16string units;
  if (text != nullptr && count > 0) units.assign(text + offset, static_cast<size_t>(count));
  SetEmpty(false);
  AppendUniChars(units.data(), static_cast<int32_t>(units.size()));
}

void VUniString::SetChars(const char* text, int32_t offset, int32_t count, int32_t charSet) {
  std::u16string units;
  if (text != nullptr && count > 0 &&
      !strings_p::BytesToUni(SetOf(charSet), reinterpret_cast<const uint8_t*>(text + offset), count, units))
    return;
  SetNull(false, kWholeValue);
  SetEmpty(false);
  AppendUniChars(units.data(), static_cast<int32_t>(units.size()));
}

void VUniString::AppendUniCText(const char16_t* text) {
  if (text != nullptr) AppendUniChars(text, UniStrLen(text));
}

void VUniString::AppendUniPText(const char16_t* text) {
  if (text != nullptr) AppendUniChars(text + 1, text[0]);
}

void VUniString::AppendPText(const uint8_t* text, int32_t charSet) {
  if (text != nullptr) AppendChars(reinterpret_cast<const char*>(text + 1), text[0], charSet);
}

void VUniString::AppendCText(const char* text, int32_t charSet) {
  if (text != nullptr) AppendChars(text, CStrLen(text), charSet);
}

void VUniString::AppendChar(uint8_t c, int32_t charSet) {
  AppendChars(reinterpret_cast<const char*>(&c), 1, charSet);
}

void VUniString::AppendUniChar(char16_t c) { AppendUniChars(&c, 1); }

bool VUniString::CommitUnits(const char16_t* units, int32_t count) {
  if (count > fCapacity) count = fCapacity;
  if (count < 0) count = 0;
  if (!SetLength(count)) return false;
  if (count > 0) {
    HeldBuffer buffer(*this);
    MoveUnits(buffer.Units(), units, count);
  }
  return true;
}

bool VUniString::Splice(int32_t at, int32_t removed, const char16_t* units, int32_t count) {
  const std::u16string text = strings_p::UniTextOf(*this);
  std::u16string result;
  result.reserve(text.size() - static_cast<size_t>(removed) + static_cast<size_t>(count));
  result.append(text, 0, static_cast<size_t>(at));
  if (count > 0) result.append(units, static_cast<size_t>(count));
  result.append(text, static_cast<size_t>(at + removed), std::u16string::npos);
  return CommitUnits(result.data(), static_cast<int32_t>(result.size()));
}

void VUniString::KeepRange(int32_t start, int32_t count) {
  const int32_t length = GetLength();
  strings_p::ClipRange(length, start, count);
  if (start > length) {
    Clear();
    return;
  }
  const std::u16string text = strings_p::UniTextOf(*this);
  CommitUnits(text.data() + start - 1, count);
}

void VUniString::Insert(const VString& other, int32_t position) {
  const int32_t length = GetLength();
  if (position < 1) position = 1;
  if (position > length + 1) position = length + 1;
  const std::u16string text = strings_p::UniTextOf(other);
  if (text.empty()) return;
  Splice(position - 1, 0, text.data(), static_cast<int32_t>(text.size()));
}

void VUniString::InsertChar(char16_t c, int32_t position) {
  const int32_t length = GetLength();
  if (position < 1 || position > length + 1 || length >= fCapacity) return;
  Splice(position - 1, 0, &c, 1);
}

void VUniString::ReplaceRange(const VString& other, int32_t start, int32_t count) {
  const int32_t length = GetLength();
  strings_p::ClipRange(length, start, count);
  if (start > length) return;
  const std::u16string text = strings_p::UniTextOf(other);
  Splice(start - 1, count, text.data(), static_cast<int32_t>(text.size()));
}

void VUniString::Delete(int32_t start, int32_t count) {
  const int32_t length = GetLength();
  strings_p::ClipRange(length, start, count);
  if (start > length || count <= 0) return;
  Splice(start - 1, count, nullptr, 0);
}

int32_t VUniString::Find(const VString& pattern, int32_t start, bool strict) const {
  const int32_t length = GetLength();
  if (start > length) return 0;
  if (start < 1) start = 1;
  // The pattern in a UTF-16 string of its own, so the comparison sees the
  // same kinds on both sides.
  VStrInHandle wanted(pattern);
  const int32_t m = wanted.GetLength();
  if (static_cast<int64_t>(start) - 1 + m > length) return 0;
  const std::u16string text = strings_p::UniTextOf(*this);
  // Each candidate goes through a 255-character window and the full string
  // comparison, so case folding and the trailing wildcard work as they do
  // everywhere else (a pattern longer than the window is never found).
  VStr<255> window;
  for (int32_t position = start; position <= length + 1 - m; ++position) {
    window.SetUniChars(text.data(), position - 1, m);
    if (strings_p::CompareStrings(window, wanted, strict) == 0) return position;
  }
  return 0;
}

int32_t VUniString::FindChar(char16_t c, int32_t start, bool backwards) const {
  const int32_t length = GetLength();
  if (start < 1 || start > length) return 0;
  HeldBuffer buffer(*this);
  const char16_t* units = buffer.Units();
  if (backwards) {
    for (int32_t i = start; i >= 1; --i)
      if (units[i - 1] == c) return i;
  } else {
    for (int32_t i = start; i <= length; ++i)
      if (units[i - 1] == c) return i;
  }
  return 0;
}

char16_t VUniString::GetCharAt(int32_t position) const {
  if (position < 1 || position > GetLength()) return 0;
  HeldBuffer buffer(*this);
  return buffer.Units()[position - 1];
}

void VUniString::SetCharAt(int32_t position, char16_t c) {
  if (position < 1 || position > GetLength()) return;
  HeldBuffer buffer(*this);
  buffer.Units()[position - 1] = c;
}

// --- VStrInMem --------------------------------------------------------------

namespace {
// The length field is 16 bits wide; a storage needs room for it.
int32_t InMemCapacity(const char16_t* storage, int32_t capacity) {
  if (storage == nullptr || capacity < 0) return 0;
  return capacity > 0xFFFF ? 0xFFFF : capacity;
}

// What an empty string without storage shows: one zero unit.
char16_t sNoUnits[1] = {0};
}  // namespace

VStrInMem::VStrInMem(char16_t* storage, int32_t capacity, bool clear)
    : VUniString(InMemCapacity(storage, capacity)), fStorage(storage) {
  if (clear) Clear();
}

VValue* VStrInMem::Clone() const { return new VStrInMem(fStorage, fCapacity, false); }
bool VStrInMem::IsInHandle() const { return false; }
int32_t VStrInMem::GetForm() const { return kStringFormUni; }

void VStrInMem::SetEmpty(bool) {
  if (fStorage == nullptr) return;
  fStorage[0] = 0;
  fStorage[1] = 0;
}

int32_t VStrInMem::GetLength() const { return fStorage != nullptr ? fStorage[0] : 0; }

void* VStrInMem::GetBuffer() const { return fStorage != nullptr ? fStorage + 1 : sNoUnits; }

bool VStrInMem::SetLength(int32_t length) {
  if (length < 0 || length > fCapacity || fStorage == nullptr) return false;
  fStorage[0] = static_cast<char16_t>(length);
  fStorage[1 + length] = 0;
  return true;
}

// --- VStrInHandle -----------------------------------------------------------

namespace {
// The largest length whose handle (length + 1 units) a block can hold.
constexpr int64_t kMaxHandleBytes = 0x7FFFFFFF;

// A handle that cannot hold one unit (a foreign one of a single byte) has no
// buffer of its own: it is neither locked nor unlocked.
bool HoldsAUnit(VMemHandle handle) {
  return handle != 0 && gMemoryMgr != nullptr && gMemoryMgr->GetHandleSize(handle) >= kUnit;
}
}  // namespace

VStrInHandle::VStrInHandle() : VUniString(kStringHandleCapacity) {
  // 4 bytes in a granule of 32: a short string grows in place for a while.
  fHandle = gMemoryMgr != nullptr ? gMemoryMgr->NewHandle(4, 32) : 0;
  SetEmpty(false);
}

VStrInHandle::VStrInHandle(const VStrInHandle& other) : VUniString(kStringHandleCapacity) {
  fHandle = gMemoryMgr != nullptr && other.fHandle != 0 ? gMemoryMgr->DuplicateHandle(other.fHandle) : 0;
  fLength = fHandle != 0 ? other.fLength : 0;
}

VStrInHandle::VStrInHandle(const VString& other) : VStrInHandle() { Assign(other); }

VStrInHandle::VStrInHandle(VMemHandle handle, bool borrowed) : VUniString(kStringHandleCapacity) {
  SetHandle(handle, borrowed);
}

VStrInHandle::~VStrInHandle() { DisposeOwnHandle(); }

VStrInHandle& VStrInHandle::operator=(const VStrInHandle& other) {
  if (&other == this) return *this;
  DisposeOwnHandle();
  fHandle = gMemoryMgr != nullptr && other.fHandle != 0 ? gMemoryMgr->DuplicateHandle(other.fHandle) : 0;
  fLength = fHandle != 0 ? other.fLength : 0;
  fBorrowed = 0;
  return *this;
}

void VStrInHandle::DisposeOwnHandle() {
  if (fHandle != 0 && !fBorrowed && gMemoryMgr != nullptr) gMemoryMgr->DisposeHandle(fHandle);
  fHandle = 0;
}

void VStrInHandle::SetHandle(VMemHandle handle, bool borrowed) {
  if (handle != fHandle) DisposeOwnHandle();
  fHandle = handle;
  fBorrowed = borrowed ? 1 : 0;
  const uint32_t size = handle != 0 && gMemoryMgr != nullptr ? gMemoryMgr->GetHandleSize(handle) : 0;
  // The handle holds the characters and a zero unit. A handle too short for
  // that is an empty text; a last unit that is not zero is made the
  // terminator, so that no reader runs past the block.
  fLength = size >= 2 * kUnit ? static_cast<int32_t>(size / kUnit) - 1 : 0;
  if (size >= kUnit) {
    HeldBuffer buffer(*this);
    buffer.Units()[fLength] = 0;
  }
  SetNull(false, kWholeValue);
}

VValue* VStrInHandle::Clone() const { return new VStrInHandle(*this); }
bool VStrInHandle::IsInHandle() const { return true; }
int32_t VStrInHandle::GetForm() const { return kStringFormUniHandle; }

void VStrInHandle::SetEmpty(bool shrink) {
  if (shrink && fHandle != 0 && gMemoryMgr != nullptr) gMemoryMgr->SetHandleSize(fHandle, 4);
  fLength = 0;
  if (HoldsAUnit(fHandle)) {
    HeldBuffer buffer(*this);
    buffer.Units()[0] = 0;
  }
}

int32_t VStrInHandle::GetLength() const { return fLength; }

void* VStrInHandle::GetBuffer() const {
  void* data = HoldsAUnit(fHandle) ? gMemoryMgr->LockHandle(fHandle) : nullptr;
  return data != nullptr ? data : sNoUnits;
}

void VStrInHandle::ReleaseBuffer() const {
  if (HoldsAUnit(fHandle)) gMemoryMgr->UnlockHandle(fHandle);
}

bool VStrInHandle::SetLength(int32_t length) {
  if (length < 0 || length > fCapacity || fHandle == 0 || gMemoryMgr == nullptr) return false;
  const int64_t bytes = (static_cast<int64_t>(length) + 1) * static_cast<int64_t>(kUnit);
  if (bytes > kMaxHandleBytes) return false;
  if (!gMemoryMgr->SetHandleSize(fHandle, static_cast<uint32_t>(bytes))) return false;
  fLength = length;
  HeldBuffer buffer(*this);
  buffer.Units()[length] = 0;
  return true;
}
