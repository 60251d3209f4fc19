// VResourceFile: the shared services of every resource file: the handle
// form of AddResource, indexed strings with their one-list cache, string
// lists to and from typed arrays, and string references.
#include "framework/system/resources/VResourceFile.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "framework/core/containers/VStringArray.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VByteString.h"
#include "framework/core/strings/VUniString.h"

namespace {

// The largest count a list's signed 16-bit count field holds.
constexpr int32_t kMaxListCount = 0x7FFF;

// Where the texts of a string list lie: the offsets of the length bytes of
// the texts that fit wholly inside the data, at most `wanted` of them
// (all of them for -1). The count field is read in native order.
std::vector<uint32_t> TextsOfList(const uint8_t* data, uint32_t size, int32_t wanted) {
  std::vector<uint32_t> offsets;
  if (data == nullptr || size < 2) return offsets;
  int16_t count;
  std::memcpy(&count, data, 2);
  if (wanted >= 0 && wanted < count) count = int16_t(wanted);
  uint32_t at = 2;
  for (int32_t i = 0; i < count; ++i) {
    if (at >= size) break;
    const uint32_t end = at + 1 + data[at];
    if (end > size) break;  // a text cut off by the end of the resource
    offsets.push_back(at);
    at = end;
  }
  return offsets;
}

// The value of a number written as text, as strings read numbers: a '-'
// while the value is still 0 makes it negative; '.' ends the integer part;
// 'e' or 'E' starts a decimal exponent; other characters are skipped; the
// digits accumulate in 32 bits.
int32_t LongOfText(const uint8_t* text, uint32_t length) {
  uint32_t value = 0;
  bool negative = false;
  bool fraction = false;
  uint32_t i = 0;
  bool exponent = false;
  for (; i < length; ++i) {
    const uint8_t c = text[i];
    if (c == 'e' || c == 'E') {
      exponent = true;
      ++i;
      break;
    }
    if (fraction) continue;
    if (c == '-') {
      if (value == 0) negative = true;
    } else if (c == '.') {
      fraction = true;
    } else if (c >= '0' && c <= '9') {
      value = value * 10 + uint32_t(c - '0');
    }
  }
  if (exponent) {
    bool down = false;
    uint32_t power = 0;
    for (; i < length; ++i) {
      const uint8_t c = text[i];
      if (c == '-')
        down = true;
      else if (c >= '0' && c <= '9' && power < 100)
        power = power * 10 + uint32_t(c - '0');
    }
    // Scaled in 64 bits and held there, then truncated toward zero to 32 bits.
    uint64_t scaled = value;
    for (uint32_t k = 0; k < power && scaled != 0; ++k) {
      if (down) {
        scaled /= 10;
      } else {
        if (scaled > UINT64_MAX / 10) break;
        scaled *= 10;
      }
    }
    value = uint32_t(scaled);
  }
  return int32_t(negative ? 0u - value : value);
}

// The value of a string read as a number, cut to 16 bits.
int16_t WordOfString(const VString& text) {
  char bytes[81];
  text.GetCText(bytes, sizeof bytes, kCharSetAnsi);
  const uint32_t n = uint32_t(std::strlen(bytes));
  return int16_t(LongOfText(reinterpret_cast<const uint8_t*>(bytes), n));
}

}  // namespace

VResourceFile::VResourceFile() = default;

// The cached list is not given back here: the file it came from is closed
// by the derived class's destructor, which has run already.
VResourceFile::~VResourceFile() = default;

bool VResourceFile::ReplaceResource(uint32_t type, int16_t id, const void* data, uint32_t size) {
  uint8_t owned = 0;
  const VResourceRef ref = GetResource(type, id, &owned);
  if (ref == 0) return AddResource(type, id, nullptr, data, size) == id;
  const uint32_t oldSize = GetResourceSize(ref);
  bool stored = SetResourceSize(ref, size);
  if (stored) {
    void* target = size != 0 ? LockResource(ref) : nullptr;
    stored = size == 0 || target != nullptr;
    if (target != nullptr) {
      std::memcpy(target, data, size);
      UnlockResource(ref);
    }
    if (stored) {
      WriteResource(ref);
    } else {
      SetResourceSize(ref, oldSize);
    }
  }
  if (owned) ReleaseResource(ref);
  return stored;
}

int16_t VResourceFile::AddResourceHandle(VMemHandle* handle, uint32_t type, int16_t id,
                                         const VString* name) {
  if (handle == nullptr) return -1;
  const VMemHandle h = *handle;
  if (h == 0) return -1;
  const uint32_t size = gMemoryMgr->GetHandleSize(h);
  void* data = gMemoryMgr->LockHandle(h);
  const int16_t answer =
      (data != nullptr || size == 0) ? AddResource(type, id, name, data, size) : int16_t(-1);
  gMemoryMgr->UnlockHandle(h);
  gMemoryMgr->DisposeHandle(h);
  *handle = 0;
  return answer;
}

// ---------------------------------------------------------------- lookups by name

bool VResourceFile::RemoveNamedResource(uint32_t type, const VString* name) {
  if (!IsOpen()) return false;
  const int16_t id = GetNamedResourceId(type, name);
  if (id == -1) return false;
  return RemoveResource(type, id);
}

VResourceRef VResourceFile::GetCNamedResource(uint32_t type, const char* name, uint8_t* owned) {
  if (owned != nullptr) *owned = 0;
  const int16_t id = GetCNamedResourceId(type, name);
  return id == -1 ? 0 : GetResource(type, id, owned);
}

VResourceRef VResourceFile::GetPNamedResource(uint32_t type, const uint8_t* name, uint8_t* owned) {
  if (owned != nullptr) *owned = 0;
  const int16_t id = GetPNamedResourceId(type, name);
  return id == -1 ? 0 : GetResource(type, id, owned);
}

VResourceRef VResourceFile::GetNamedResource(uint32_t type, const VString* name, uint8_t* owned) {
  if (owned != nullptr) *owned = 0;
  if (name == nullptr) return 0;
  int16_t id;
  if (!NameIsNumber(*name, &id)) {
    id = GetNamedResourceId(type, name);
    if (id == -1) return 0;
  }
  return GetResource(type, id, owned);
}

int16_t VResourceFile::GetCNamedResourceId(uint32_t type, const char* name) {
  if (name == nullptr) return -1;
  VStr<255> text;
  text.SetAnsiCText(name);
  return GetNamedResourceId(type, &text);
}

bool VResourceFile::HasResource(uint32_t type, int16_t id) {
  uint8_t owned = 0;
  const VResourceRef ref = GetResource(type, id, &owned);
  if (ref == 0) return false;
  ReleaseResource(ref);
  return true;
}

// ---------------------------------------------------------------- the current file and texts

void VResourceFile::UseFile() {}
void VResourceFile::RestoreFile() {}

int32_t VResourceFile::GetCharSet() { return kResCharSetMac; }

VResSwapProc VResourceFile::SetSwapProc(VResSwapProc proc) {
  const VResSwapProc previous = fSwapProc;
  fSwapProc = proc;
  return previous;
}

// ---------------------------------------------------------------- strings

void VResourceFile::GetIndString(VString* out, int16_t id, int16_t index) {
  if (out == nullptr) return;
  out->Clear();
  if (index <= 0) {
    const VResourceRef ref = GetResource(kResTypeSTR, id, nullptr);
    if (ref == 0) return;
    const uint32_t size = GetResourceSize(ref);
    const auto* data = static_cast<const uint8_t*>(LockResource(ref));
    if (data != nullptr && size >= 1 && uint32_t(data[0]) + 1 <= size) out->SetMacPText(data);
    UnlockResource(ref);
    ReleaseResource(ref);
    return;
  }
  if (id != fCachedListId || (fCachedList != 0 && !StillLoaded(fCachedList, kResTypeSTRList, id))) {
    ReleaseCachedList();
    fCachedListId = id;
    fCachedList = GetResource(kResTypeSTRList, id, nullptr);
  }
  if (fCachedList == 0) return;
  const uint32_t size = GetResourceSize(fCachedList);
  const auto* data = static_cast<const uint8_t*>(LockResource(fCachedList));
  const std::vector<uint32_t> texts = TextsOfList(data, size, index);
  if (int32_t(texts.size()) >= index) out->SetMacPText(data + texts[size_t(index - 1)]);
  UnlockResource(fCachedList);
}

void VResourceFile::GetNamedIndString(VString* out, const VString* listName, int16_t index) {
  if (out == nullptr) return;
  const int16_t id = GetNamedResourceId(index <= 0 ? kResTypeSTR : kResTypeSTRList, listName);
  // An unknown name names no list: it must not fall on a resource with id -1.
  if (id == -1) {
    out->Clear();
    return;
  }
  GetIndString(out, id, index <= 0 ? 0 : index);
}

void VResourceFile::AppendStringList(int16_t id, VStringArray* list) {
  if (list == nullptr) return;
  const int32_t k = list->Count();
  const VResourceRef ref = GetResource(kResTypeSTRList, id, nullptr);
  if (ref == 0) return;
  const uint32_t size = GetResourceSize(ref);
  const auto* data = static_cast<const uint8_t*>(LockResource(ref));
  const std::vector<uint32_t> texts = TextsOfList(data, size, -1);
  const int32_t n = int32_t(texts.size());
  if (n > 0) {
    list->SetCount(k + n, false);
    if (list->Count() == k + n) {
      for (int32_t i = 0; i < n; ++i) {
        auto* text = new VStr<255>;
        text->SetMacPText(data + texts[size_t(i)]);
        list->SetAt(text, k + 1 + i);
      }
    }
  }
  UnlockResource(ref);
  // The lookup answers the same reference as the cached list when that list
  // is loaded; the cache keeps it.
  if (ref != fCachedList) ReleaseResource(ref);
}

void VResourceFile::LoadStringList(int16_t id, VStringArray* list) {
  if (list == nullptr) return;
  list->SetCount(0, false);
  AppendStringList(id, list);
}

void VResourceFile::LoadNamedStringList(const VString* name, VStringArray* list) {
  if (list == nullptr) return;
  const int16_t id = GetNamedResourceId(kResTypeSTRList, name);
  if (id == -1)
    list->SetCount(0, false);
  else
    LoadStringList(id, list);
}

VStringArray* VResourceFile::NewStringList(int16_t id) {
  auto* list = new VStringArray;
  LoadStringList(id, list);
  if (list->Count() == 0) {
    delete list;
    return nullptr;
  }
  return list;
}

VStringArray* VResourceFile::NewNamedStringList(const VString* name) {
  const int16_t id = GetNamedResourceId(kResTypeSTRList, name);
  return id == -1 ? nullptr : NewStringList(id);
}

int16_t VResourceFile::WriteStringList(const VStringArray* list, int16_t id, const VString* name,
                                       uint32_t type) {
  const VMemHandle handle = gMemoryMgr->NewHandleClear(2, 0);
  if (handle == 0) return -1;
  int16_t count = 0;
  uint32_t offset = 2;
  const int32_t elements = list != nullptr ? list->Count() : 0;
  for (int32_t i = 1; i <= elements && count < kMaxListCount; ++i) {
    // Converted first, so that the size is that of the bytes the conversion
    // made: characters without a Macintosh form are dropped, not left as
    // room for garbage.
    VMacStr<255> text;
    if (const VString* element = list->GetAt(i)) text.SetString(*element, kWholeValue);
    uint8_t bytes[256];
    text.GetPText(bytes, 255, kCharSetMac);
    const uint32_t n = uint32_t(bytes[0]) + 1;
    if (!gMemoryMgr->SetHandleSize(handle, offset + n)) continue;
    auto* data = static_cast<uint8_t*>(gMemoryMgr->LockHandle(handle));
    if (data == nullptr) break;
    std::memcpy(data + offset, bytes, n);
    ++count;
    std::memcpy(data, &count, 2);
    gMemoryMgr->UnlockHandle(handle);
    offset += n;
  }
  gMemoryMgr->SetHandleSize(handle, offset);
  if (id != -1) {
    ForgetCachedList(type, id);
    RemoveResource(type, id);
  }
  const void* data = gMemoryMgr->LockHandle(handle);
  const int16_t answer = data != nullptr ? AddResource(type, id, name, data, offset) : int16_t(-1);
  gMemoryMgr->UnlockHandle(handle);
  gMemoryMgr->DisposeHandle(handle);
  return answer;
}

void VResourceFile::ResolveStringRef(VString* out, const uint8_t* text) {
  if (out == nullptr) return;
  if (text == nullptr) {
    out->Clear();
    return;
  }
  const uint32_t length = text[0];
  const uint8_t* chars = text + 1;
  if (length == 0 || chars[0] != ':') {
    out->SetPText(text, GetCharSet());
    return;
  }
  uint32_t comma = 1;
  while (comma < length && chars[comma] != ',') ++comma;
  int16_t list;
  int16_t index = 0;
  if (comma >= length) {
    list = int16_t(LongOfText(chars + 1, length - 1));
  } else {
    list = int16_t(LongOfText(chars + 1, comma - 1));
    index = int16_t(LongOfText(chars + comma + 1, length - comma - 1));
  }
  GetIndString(out, list, index);
}

// ---------------------------------------------------------------- helpers

bool VResourceFile::NameIsNumber(const VString& name, int16_t* id) {
  const int16_t value = WordOfString(name);
  char digits[16];
  std::snprintf(digits, sizeof digits, "%d", int(value));
  VStr<15> written;
  written.SetAnsiCText(digits);
  if (written.Compare(name, false) != 0) return false;
  if (id) *id = value;
  return true;
}

void VResourceFile::ForgetCachedList(uint32_t type, int16_t id) {
  if (type != kResTypeSTRList || id != fCachedListId) return;
  ReleaseCachedList();
}

void VResourceFile::ReleaseCachedList() {
  // A reference that no longer stands for the list is not given back: its
  // value may by now name another holder's resource.
  if (fCachedList != 0 && StillLoaded(fCachedList, kResTypeSTRList, int16_t(fCachedListId)))
    ReleaseResource(fCachedList);
  fCachedList = 0;
  fCachedListId = kNoCachedList;
}

bool VResourceFile::StillLoaded(VResourceRef, uint32_t, int16_t) { return true; }

void VResourceFile::ForgetCachedListsOfType(uint32_t type) {
  if (type == kResTypeSTRList) ReleaseCachedList();
}

void VResourceFile::ForgetCachedRef(VResourceRef ref) {
  if (ref == 0 || ref != fCachedList) return;
  fCachedList = 0;
  fCachedListId = kNoCachedList;
}

void VResourceFile::DropCachedList() {
  fCachedList = 0;
  fCachedListId = kNoCachedList;
}
