// A Toolbox resource file used one file at a time: each operation makes the
// file current, works on it with the one-file calls and makes the previous
// file current again.
#include "host/resources/VTbxResFile.h"

#include <cstring>

#include "framework/core/strings/VString.h"
#include "boundary/ModuleExports.h"
#include "platform/toolbox/TbxHandles.h"
#include "platform/toolbox/TbxResources.h"

namespace {

constexpr uint32_t kTypeSTRList = 0x53545223;  // 'STR#'
constexpr uint32_t kTypeSTR = 0x53545220;      // 'STR '

// Makes the file current for the life of the object; `ok` tells whether it
// is an open file.
class CurrentFile {
 public:
  explicit CurrentFile(int16_t refNum) : fPrevious(Tbx::CurResFile()) {
    if (refNum < 0) return;
    Tbx::UseResFile(refNum);
    ok = Tbx::CurResFile() == refNum;
  }
  ~CurrentFile() {
    if (fPrevious >= 0) Tbx::UseResFile(fPrevious);
  }
  bool ok = false;

 private:
  int16_t fPrevious;
};

}  // namespace

VTbxResFile::VTbxResFile(int16_t refNum) : fRefNum(refNum) {}

VTbxResFile::VTbxResFile(const char* path, bool create) {
  const size_t length = path != nullptr ? std::strlen(path) : 0;
  if (length == 0 || length > 255) return;
  uint8_t pascalPath[256];
  pascalPath[0] = static_cast<uint8_t>(length);
  std::memcpy(pascalPath + 1, path, length);
  const int16_t previous = Tbx::CurResFile();
  int16_t ref = Tbx::OpenResFile(pascalPath);
  if (ref < 0 && create) {
    Tbx::CreateResFile(pascalPath);
    ref = Tbx::OpenResFile(pascalPath);
  }
  // Opening makes the file current; the caller's current file stays so.
  if (previous >= 0) Tbx::UseResFile(previous);
  if (ref < 0) return;
  fRefNum = ref;
  fOwned = 1;
  // The module reads and writes its own resource types in native order.
  Tbx::SetResFileSwapProc(ref, &SwapRsrcProc);
}

VTbxResFile::~VTbxResFile() {
  if (fOwned && IsOpen()) Tbx::CloseResFile(fRefNum);
}

bool VTbxResFile::IsOpen() const {
  CurrentFile current(fRefNum);
  return current.ok;
}

uint32_t VTbxResFile::Get(uint32_t type, int16_t id) const {
  CurrentFile current(fRefNum);
  return current.ok ? Tbx::Get1Resource(type, id) : 0;
}

uint32_t VTbxResFile::GetNamed(uint32_t type, const uint8_t* pascalName) const {
  CurrentFile current(fRefNum);
  return current.ok && pascalName != nullptr ? Tbx::Get1NamedResource(type, pascalName) : 0;
}

uint32_t VTbxResFile::GetIndexed(uint32_t type, int16_t index) const {
  CurrentFile current(fRefNum);
  return current.ok ? Tbx::Get1IndResource(type, index) : 0;
}

int16_t VTbxResFile::Count(uint32_t type) const {
  CurrentFile current(fRefNum);
  return current.ok ? Tbx::Count1Resources(type) : 0;
}

void VTbxResFile::GetInfo(uint32_t resource, int16_t* id, uint8_t* pascalName) const {
  if (pascalName != nullptr) pascalName[0] = 0;
  Tbx::ResType type = 0;
  Tbx::GetResInfo(resource, id, &type, pascalName);
}

void VTbxResFile::Release(uint32_t resource) const {
  if (resource != 0) Tbx::ReleaseResource(resource);
}

int16_t VTbxResFile::Add(uint32_t type, int16_t id, const uint8_t* pascalName, const void* data,
                         uint32_t size) {
  if (size > 0x7FFFFFFF || (size != 0 && data == nullptr)) return -1;
  CurrentFile current(fRefNum);
  if (!current.ok) return -1;
  if (id == -1 || Tbx::Get1Resource(type, id) != 0) id = Tbx::Unique1ID(type);
  Tbx::Handle h = Tbx::NewHandle(static_cast<int32_t>(size));
  if (h == 0) return -1;
  if (size != 0) {
    std::memcpy(Tbx::HLock(h), data, size);
    Tbx::HUnlock(h);
  }
  static const uint8_t kNoName[1] = {0};
  Tbx::AddResource(h, type, id, pascalName != nullptr ? pascalName : kNoName);
  if (Tbx::ResError() != Tbx::noErr) {
    Tbx::DisposeHandle(h);
    return -1;
  }
  return id;
}

bool VTbxResFile::Remove(uint32_t type, int16_t id) {
  CurrentFile current(fRefNum);
  if (!current.ok) return false;
  Tbx::Handle h = Tbx::Get1Resource(type, id);
  if (h == 0) return false;
  Tbx::RemoveResource(h);
  if (Tbx::ResError() != Tbx::noErr) {
    Tbx::ReleaseResource(h);
    return false;
  }
  Tbx::DisposeHandle(h);
  return true;
}

void VTbxResFile::RemoveAllOfType(uint32_t type) {
  CurrentFile current(fRefNum);
  if (!current.ok) return;
  // Always the first: each removal renumbers the rest. A resource that
  // refuses to go ends the loop rather than spinning on it.
  for (int16_t n = Tbx::Count1Resources(type); n > 0; --n) {
    Tbx::Handle h = Tbx::Get1IndResource(type, 1);
    if (h == 0) break;
    Tbx::RemoveResource(h);
    if (Tbx::ResError() != Tbx::noErr) {
      Tbx::ReleaseResource(h);
      break;
    }
    Tbx::DisposeHandle(h);
  }
}

void VTbxResFile::Update() {
  if (IsOpen()) Tbx::UpdateResFile(fRefNum);
}

bool VTbxResFile::GetIndString(uint8_t* pascalText, int16_t list, int16_t index) const {
  pascalText[0] = 0;
  const uint32_t type = index > 0 ? kTypeSTRList : kTypeSTR;
  const Tbx::Handle h = Get(type, list);
  if (h == 0) return false;
  const int32_t size = Tbx::GetHandleSize(h);
  const uint8_t* data = static_cast<const uint8_t*>(Tbx::HLock(h));
  bool found = false;
  if (data != nullptr) {
    int32_t pos = 0;
    if (index > 0) {
      // A 16-bit count (native order once read), then the length-byte items.
      uint16_t count = 0;
      if (size >= 2) std::memcpy(&count, data, 2);
      pos = 2;
      if (size < 2 || index > count) pos = size;
      for (int16_t i = 1; i < index && pos < size; ++i) pos += 1 + data[pos];
    }
    if (pos < size && pos + 1 + data[pos] <= size) {
      std::memcpy(pascalText, data + pos, 1 + data[pos]);
      found = true;
    }
  }
  Tbx::HUnlock(h);
  Release(h);
  return found;
}

bool VTbxResFile::GetIndString(VString& text, int16_t list, int16_t index) const {
  uint8_t item[256];
  const bool found = GetIndString(item, list, index);
  text.SetChars(reinterpret_cast<const char*>(item + 1), 0, item[0], kCharSetMac);
  return found;
}
