// Strings from resources: the string's loads and saves of 'STR ', 'STR#'
// items and 'TEXT' resources, all stored as Macintosh text.
#include <cstring>
#include <string>

#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VString.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/resources/VResourceFile.h"

namespace {

constexpr uint32_t kResTypeTEXT = FourCC("TEXT");

// The id a load or save addresses: the file's id of the name when one is
// given (-1 when it holds none), otherwise the id given.
int16_t IdFor(VResourceFile& file, uint32_t type, int16_t id, const char* name) {
  return name != nullptr ? file.GetCNamedResourceId(type, name) : id;
}

// The text as Macintosh bytes: converted first, so that the resource is
// sized by the bytes the conversion made.
std::string MacBytesOf(const VString& s) {
  std::string bytes(static_cast<size_t>(s.GetLength()), '\0');
  const int32_t written = s.ConvertInto(bytes.data(), s.GetLength(), kCharSetMac);
  bytes.resize(static_cast<size_t>(written > 0 ? written : 0));
  return bytes;
}

// Writes the bytes into the resource of that type and id when it exists;
// otherwise adds them as a new resource with the id and name. Answers the
// id, or -1 when nothing could be written.
int16_t SaveBytes(VResourceFile& file, uint32_t type, int16_t id, const char* name,
                  const std::string& bytes) {
  id = IdFor(file, type, id, name);
  const uint32_t size = static_cast<uint32_t>(bytes.size());
  const VResourceRef ref = id != -1 ? file.GetResource(type, id, nullptr) : 0;
  if (ref != 0) {
    int16_t answer = -1;
    if (file.SetResourceSize(ref, size)) {
      void* data = file.LockResource(ref);
      if (data != nullptr || size == 0) {
        if (size != 0) std::memcpy(data, bytes.data(), size);
        answer = id;
      }
      file.UnlockResource(ref);
      if (answer != -1) file.WriteResource(ref);
    }
    file.ReleaseResource(ref);
    return answer;
  }
  const VMemHandle block = gMemoryMgr->NewHandle(size, 0);
  if (block == 0) return -1;
  void* data = gMemoryMgr->LockHandle(block);
  int16_t answer = -1;
  if (data != nullptr || size == 0) {
    if (size != 0) std::memcpy(data, bytes.data(), size);
    VStr<255> resourceName;
    // As the file's lookups of a zero-terminated name read it.
    if (name != nullptr) resourceName.SetAnsiCText(name);
    answer = file.AddResource(type, id, name != nullptr ? &resourceName : nullptr, data, size);
  }
  gMemoryMgr->UnlockHandle(block);
  gMemoryMgr->DisposeHandle(block);
  return answer;
}

}  // namespace

void VString::LoadPString(VResourceFile& file, int16_t id, const char* name) {
  SetEmpty(false);
  SetNull(false, kWholeValue);
  id = IdFor(file, kResTypeSTR, id, name);
  if (id != -1) file.GetIndString(this, id, 0);
}

void VString::LoadIndString(VResourceFile& file, int16_t id, int16_t index, const char* name) {
  SetEmpty(false);
  SetNull(false, kWholeValue);
  id = IdFor(file, kResTypeSTRList, id, name);
  // Index 0 or less would name the 'STR ' resource of the id, not an item.
  if (id != -1 && index > 0) file.GetIndString(this, id, index);
}

void VString::LoadText(VResourceFile& file, int16_t id, const char* name) {
  SetEmpty(false);
  SetNull(false, kWholeValue);
  id = IdFor(file, kResTypeTEXT, id, name);
  if (id == -1) return;
  const VResourceRef ref = file.GetResource(kResTypeTEXT, id, nullptr);
  if (ref == 0) return;
  uint32_t size = file.GetResourceSize(ref);
  if (size > static_cast<uint32_t>(INT32_MAX)) size = INT32_MAX;
  const auto* data = static_cast<const char*>(file.LockResource(ref));
  if (data != nullptr && size != 0) {
    SetChars(data, 0, static_cast<int32_t>(size), kCharSetMac);
    SetNull(false, kWholeValue);
  }
  file.UnlockResource(ref);
  file.ReleaseResource(ref);
}

int16_t VString::SaveText(VResourceFile& file, int16_t id, const char* name) const {
  return SaveBytes(file, kResTypeTEXT, id, name, MacBytesOf(*this));
}

int16_t VString::SavePString(VResourceFile& file, int16_t id, const char* name) const {
  uint8_t text[256];
  GetPText(text, 255, kCharSetMac);
  return SaveBytes(file, kResTypeSTR, id, name,
                   std::string(reinterpret_cast<const char*>(text), size_t(text[0]) + 1));
}

int16_t VString::SaveIndString(VResourceFile&, int16_t, int16_t, const char*) const { return -1; }
