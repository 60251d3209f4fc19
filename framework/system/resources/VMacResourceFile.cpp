// VMacResourceFile: each operation of the resource file interface mapped onto
// the Toolbox Resource Manager, with the current file switched around it.
#include "framework/system/resources/VMacResourceFile.h"

#include <cstring>
#include <string>

#include "framework/core/containers/VNumericArrays.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VByteString.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/files/PathText_p.h"
#include "framework/system/files/VFile.h"
#include "boundary/ModuleExports.h"
#include "platform/toolbox/TbxHandleLocker.h"
#include "platform/toolbox/TbxResources.h"
#include "platform/win32/WinMemory.h"

namespace {

constexpr uint32_t kResTypePICT = FourCC("PICT");
// A path plus ".RSR" must fit the 255 bytes of a length-prefixed text.
constexpr size_t kMaxPathBeforeSuffix = 251;

// Makes the file current for the life of the object and then puts the
// previous current file back, on every path out.
class Switch {
 public:
  explicit Switch(int16_t fileRef) : fSaved(Tbx::CurResFile()) { Tbx::UseResFile(fileRef); }
  ~Switch() {
    if (fSaved != -1) Tbx::UseResFile(fSaved);
  }
  Switch(const Switch&) = delete;
  Switch& operator=(const Switch&) = delete;

 private:
  int16_t fSaved;
};

// Lookups that read no data from the file while the object lives.
class Quiet {
 public:
  Quiet() { Tbx::SetResLoad(0); }
  ~Quiet() { Tbx::SetResLoad(1); }
  Quiet(const Quiet&) = delete;
  Quiet& operator=(const Quiet&) = delete;
};

// A name as a length-prefixed Macintosh text of at most 255 characters;
// empty for none.
void PTextOf(const VString* name, uint8_t* out) {
  out[0] = 0;
  if (name != nullptr) name->GetPText(out, 255, kCharSetMac);
}

void SetOwned(uint8_t* owned) {
  if (owned != nullptr) *owned = 0;
}

}  // namespace

VMacResourceFile::VMacResourceFile(int16_t fileRef) : fFileRef(fileRef) {}

VMacResourceFile::VMacResourceFile(const VString* path, uint8_t create) { OpenByPath(path, create); }

VMacResourceFile::VMacResourceFile(const VFile& file, uint8_t create) {
  OpenByPath(&file.GetPath(), create);
}

VMacResourceFile::~VMacResourceFile() {
  if (fFileRef != -1) {
    UpdateFile();
    if (fOwnsFile) Tbx::CloseResFile(fFileRef);
  }
  DropCachedList();
}

void VMacResourceFile::OpenByPath(const VString* path, uint8_t create) {
  fOwnsFile = 1;
  if (path == nullptr) return;
  std::u16string units = files_p::UnitsOf(*path);
  // A short extension goes: a dot among the last four characters, unless a
  // separator comes first.
  for (size_t k = 0; k < 4 && k < units.size(); ++k) {
    const char16_t c = units[units.size() - 1 - k];
    if (c == files_p::kSeparator) break;
    if (c == u'.') {
      units.resize(units.size() - 1 - k);
      break;
    }
  }
  std::string name;
  if (!files_p::Utf8Of(units, &name) || name.empty() || name.size() > kMaxPathBeforeSuffix)
    return;
  name += ".RSR";
  OpenName(name.data(), name.size(), create);
}

VMacResourceFile* VMacResourceFile::OpenExact(const char* path, uint8_t create) {
  const size_t length = path != nullptr ? std::strlen(path) : 0;
  if (length == 0 || length > 255) return nullptr;
  auto* file = new VMacResourceFile(int16_t(-1));
  file->fOwnsFile = 1;
  file->OpenName(path, length, create);
  if (file->fFileRef == -1) {
    delete file;
    return nullptr;
  }
  return file;
}

void VMacResourceFile::OpenName(const char* name, size_t length, uint8_t create) {
  const int16_t previous = Tbx::CurResFile();
  uint8_t pascal[256];
  pascal[0] = uint8_t(length);
  std::memcpy(pascal + 1, name, length);
  int16_t ref = Tbx::OpenResFile(pascal);
  if (ref == -1 && create) {
    Tbx::CreateResFile(pascal);
    ref = Tbx::OpenResFile(pascal);
  }
  if (ref != -1) {
    // Resources are converted between their stored big-endian form and
    // native order as the file reads and writes them.
    Tbx::SetResFileSwapProc(ref, &SwapRsrcProc);
    fFileRef = ref;
  }
  if (previous != -1) Tbx::UseResFile(previous);
}

bool VMacResourceFile::NoFile() const {
  if (fFileRef == -1) return true;
  // The Resource Manager tells whether a reference is an open file only by
  // making it current.
  const int16_t saved = Tbx::CurResFile();
  Tbx::UseResFile(fFileRef);
  const bool open = Tbx::CurResFile() == fFileRef;
  if (saved != -1) Tbx::UseResFile(saved);
  return !open;
}

bool VMacResourceFile::StillLoaded(VResourceRef ref, uint32_t type, int16_t id) {
  int16_t refId = 0;
  Tbx::ResType refType = 0;
  Tbx::GetResInfo(ref, &refId, &refType, nullptr);
  if (Tbx::ResError() != Tbx::noErr || refId != id || refType != type) return false;
  Tbx::GetHandleSize(ref);
  return Tbx::MemError() == Tbx::noErr;
}

void VMacResourceFile::SetFileRef(int16_t fileRef) {
  if (fileRef == fFileRef) return;
  DropCachedList();
  if (fFileRef != -1) {
    UpdateFile();
    if (fOwnsFile) Tbx::CloseResFile(fFileRef);
  }
  fFileRef = fileRef;
  fOwnsFile = 0;
}

// ---------------------------------------------------------------- lookups

uint32_t VMacResourceFile::Get(uint32_t type, int16_t id) const {
  return fSearchAll ? Tbx::GetResource(type, id) : Tbx::Get1Resource(type, id);
}

uint32_t VMacResourceFile::GetInd(uint32_t type, int16_t index) const {
  return fSearchAll ? Tbx::GetIndResource(type, index) : Tbx::Get1IndResource(type, index);
}

uint32_t VMacResourceFile::GetNamed(uint32_t type, const uint8_t* name) const {
  return fSearchAll ? Tbx::GetNamedResource(type, name) : Tbx::Get1NamedResource(type, name);
}

int16_t VMacResourceFile::Count(uint32_t type) const {
  return fSearchAll ? Tbx::CountResources(type) : Tbx::Count1Resources(type);
}

// ---------------------------------------------------------------- adding and removing

int16_t VMacResourceFile::AddResource(uint32_t type, int16_t id, const VString* name,
                                      const void* data, uint32_t size) {
  if (NoFile() || size > kGlobalMaxBlockSize) return -1;
  Tbx::Handle handle = 0;
  {
    Switch use(fFileRef);
    if (id == -1) {
      id = fSearchAll ? Tbx::UniqueID(type) : Tbx::Unique1ID(type);
      if (id == -1) return -1;
    } else {
      ForgetCachedList(type, id);
      // The resource being replaced is looked for in this file alone, so
      // that a search through the other open files never removes theirs.
      Quiet quiet;
      const Tbx::Handle old = Tbx::Get1Resource(type, id);
      if (old != 0) {
        Tbx::RemoveResource(old);
        if (Tbx::ResError() != Tbx::noErr) return -1;
        Tbx::DisposeHandle(old);
      }
    }
    handle = Tbx::NewHandle(int32_t(size));
    if (handle == 0) return -1;
    if (data != nullptr && size > 0) {
      Tbx::HandleLocker p(handle);
      if (!p) {
        Tbx::DisposeHandle(handle);
        return -1;
      }
      Tbx::BlockMove(data, p.Data(), int32_t(size));
    }
    uint8_t pname[256];
    PTextOf(name, pname);
    Tbx::AddResource(handle, type, id, pname);
  }
  if (Tbx::ResError() != Tbx::noErr) {
    // Not taken by the file: the handle is still ours.
    Tbx::DisposeHandle(handle);
    return -1;
  }
  return id;
}

bool VMacResourceFile::RemoveResourceHandle(VResourceRef ref) {
  if (NoFile()) return false;
  ForgetCachedRef(ref);
  Tbx::RemoveResource(ref);
  return Tbx::ResError() == Tbx::noErr;
}

bool VMacResourceFile::RemoveResource(uint32_t type, int16_t id) {
  if (NoFile()) return false;
  ForgetCachedList(type, id);
  Switch use(fFileRef);
  Quiet quiet;
  const Tbx::Handle h = Get(type, id);
  if (h == 0) return false;
  Tbx::RemoveResource(h);
  if (Tbx::ResError() != Tbx::noErr) return false;
  // Out of the file the handle is ours; nothing else gives it back.
  Tbx::DisposeHandle(h);
  return true;
}

bool VMacResourceFile::RemoveResources(uint32_t type) {
  if (NoFile()) return false;
  ForgetCachedListsOfType(type);
  Switch use(fFileRef);
  Quiet quiet;
  // This file's resources only: the other open files keep theirs.
  while (const Tbx::Handle h = Tbx::Get1IndResource(type, 1)) {
    Tbx::RemoveResource(h);
    if (Tbx::ResError() != Tbx::noErr) return false;
    Tbx::DisposeHandle(h);
  }
  return true;
}

// ---------------------------------------------------------------- lookups by name and id

VResourceRef VMacResourceFile::GetResource(uint32_t type, int16_t id, uint8_t* owned) {
  SetOwned(owned);
  if (NoFile()) return 0;
  Switch use(fFileRef);
  if (type == kResTypePICT) return Tbx::GetPicture(id);
  return Get(type, id);
}

int16_t VMacResourceFile::GetResourceId(VResourceRef ref) {
  if (NoFile()) return 0;
  Switch use(fFileRef);
  int16_t id = -1;
  Tbx::GetResInfo(ref, &id, nullptr, nullptr);
  return id;
}

int16_t VMacResourceFile::GetIndResourceId(uint32_t type, int32_t index) {
  if (NoFile() || index < 1 || index > 0x7FFF) return -1;
  Switch use(fFileRef);
  Quiet quiet;
  const Tbx::Handle h = GetInd(type, int16_t(index));
  if (h == 0) return -1;
  int16_t id = -1;
  Tbx::GetResInfo(h, &id, nullptr, nullptr);
  return id;
}

int16_t VMacResourceFile::GetPNamedResourceId(uint32_t type, const uint8_t* name) {
  if (NoFile()) return 0;
  if (name == nullptr) return -1;
  Switch use(fFileRef);
  Quiet quiet;
  const Tbx::Handle h = GetNamed(type, name);
  if (h == 0) return -1;
  int16_t id = -1;
  Tbx::GetResInfo(h, &id, nullptr, nullptr);
  return id;
}

int16_t VMacResourceFile::GetNamedResourceId(uint32_t type, const VString* name) {
  if (name == nullptr) return -1;
  uint8_t pname[256];
  PTextOf(name, pname);
  return GetPNamedResourceId(type, pname);
}

VResourceRef VMacResourceFile::GetIndResource(uint32_t type, int16_t index, uint8_t* owned) {
  SetOwned(owned);
  if (NoFile()) return 0;
  Switch use(fFileRef);
  return GetInd(type, index);
}

bool VMacResourceFile::HasResource(uint32_t type, int16_t id) {
  if (NoFile()) return false;
  Switch use(fFileRef);
  Quiet quiet;
  return Get(type, id) != 0;
}

// ---------------------------------------------------------------- lists

VLongArray* VMacResourceFile::GetResourceTypes() {
  if (NoFile()) return nullptr;
  Switch use(fFileRef);
  const int16_t n = fSearchAll ? Tbx::CountTypes() : Tbx::Count1Types();
  auto* types = new VLongArray(n > 0 ? n : 0);
  for (int16_t i = int16_t(types->Count()); i >= 1; --i) {
    Tbx::ResType type = 0;
    if (fSearchAll)
      Tbx::GetIndType(&type, i);
    else
      Tbx::Get1IndType(&type, i);
    types->SetLong(int32_t(type), i);
  }
  return types;
}

int16_t VMacResourceFile::UniqueResourceId(uint32_t type) {
  if (NoFile()) return -1;
  Switch use(fFileRef);
  return Tbx::UniqueID(type);
}

VStringArray* VMacResourceFile::GetResourceNames(uint32_t type) {
  if (NoFile()) return nullptr;
  Switch use(fFileRef);
  Quiet quiet;
  const int16_t n = Count(type);
  auto* names = new VStringArray(n > 0 ? n : 0);
  for (int32_t i = 1; i <= names->Count(); ++i) {
    const Tbx::Handle h = GetInd(type, int16_t(i));
    uint8_t name[256] = {0};
    if (h != 0) Tbx::GetResInfo(h, nullptr, nullptr, name);
    auto* text = new VStr<255>;
    text->SetMacPText(name);
    names->SetAt(text, i);
  }
  return names;
}

VWordArray* VMacResourceFile::GetResourceIds(uint32_t type) {
  if (NoFile()) return nullptr;
  Switch use(fFileRef);
  Quiet quiet;
  const int16_t n = Count(type);
  auto* ids = new VWordArray(n > 0 ? n : 0);
  for (int32_t i = 1; i <= ids->Count(); ++i) {
    const Tbx::Handle h = GetInd(type, int16_t(i));
    int16_t id = 0;
    if (h != 0) Tbx::GetResInfo(h, &id, nullptr, nullptr);
    ids->SetWord(id, i);
  }
  return ids;
}

int32_t VMacResourceFile::CountResources(uint32_t type) {
  if (NoFile()) return 0;
  Switch use(fFileRef);
  return Count(type);
}

// ---------------------------------------------------------------- one resource

void VMacResourceFile::ReleaseResourceById(uint32_t type, int16_t id) {
  if (NoFile()) return;
  ForgetCachedList(type, id);
  Switch use(fFileRef);
  Quiet quiet;
  const Tbx::Handle h = Get(type, id);
  if (h != 0) ReleaseResource(h);
}

void VMacResourceFile::ReleaseResource(VResourceRef ref) {
  // Changed data lives only in the handle until it is written.
  if (Tbx::GetResAttrs(ref) & Tbx::resChanged) return;
  ForgetCachedRef(ref);
  Tbx::ReleaseResource(ref);
}

int32_t VMacResourceFile::UpdateFile() {
  if (NoFile()) return 401;
  Tbx::UpdateResFile(fFileRef);
  return Tbx::ResError();
}

void VMacResourceFile::GetResourceName(VString* out, uint32_t type, int16_t id) {
  if (out == nullptr) return;
  out->Clear();
  if (NoFile()) return;
  Switch use(fFileRef);
  Quiet quiet;
  const Tbx::Handle h = Get(type, id);
  if (h == 0) return;
  uint8_t name[256] = {0};
  Tbx::GetResInfo(h, nullptr, nullptr, name);
  out->SetAnsiPText(name);
}

void VMacResourceFile::GetResourceNameOfHandle(VString* out, VResourceRef ref) {
  if (out == nullptr) return;
  out->Clear();
  if (NoFile()) return;
  Switch use(fFileRef);
  uint8_t name[256] = {0};
  Tbx::GetResInfo(ref, nullptr, nullptr, name);
  if (Tbx::ResError() == Tbx::noErr) out->SetAnsiPText(name);
}

void VMacResourceFile::GetResourcePName(VResourceRef ref, uint8_t* name) {
  if (name == nullptr) return;
  name[0] = 0;
  if (NoFile()) return;
  Switch use(fFileRef);
  Tbx::GetResInfo(ref, nullptr, nullptr, name);
}

bool VMacResourceFile::IsOpen() { return !NoFile(); }

void* VMacResourceFile::LockResource(VResourceRef ref) {
  // A handle handed out without its data (a quiet lookup) is filled first.
  if (Tbx::GetHandleSize(ref) == 0) Tbx::LoadResource(ref);
  return Tbx::HLock(ref);
}

void VMacResourceFile::UnlockResource(VResourceRef ref) { Tbx::HUnlock(ref); }

uint32_t VMacResourceFile::GetResourceSize(VResourceRef ref) {
  const int32_t size = Tbx::GetHandleSize(ref);
  return size > 0 ? uint32_t(size) : 0;
}

bool VMacResourceFile::SetResourceSize(VResourceRef ref, uint32_t size) {
  if (NoFile() || size > kGlobalMaxBlockSize) return false;
  {
    Switch use(fFileRef);
    Tbx::SetHandleSize(ref, int32_t(size));
    Tbx::ChangedResource(ref);
  }
  const int32_t now = Tbx::GetHandleSize(ref);
  return now >= 0 && uint32_t(now) >= size;
}

VMemHandle VMacResourceFile::DetachResource(VResourceRef ref) {
  if (NoFile()) return 0;
  Switch use(fFileRef);
  Tbx::DetachResource(ref);
  if (Tbx::ResError() != Tbx::noErr) return 0;
  ForgetCachedRef(ref);
  return gMemoryMgr->FromMacHandle(ref, true);
}

void VMacResourceFile::WriteResource(VResourceRef ref) {
  if (NoFile()) return;
  Switch use(fFileRef);
  Tbx::ChangedResource(ref);
  if (Tbx::ResError() == Tbx::noErr) Tbx::WriteResource(ref);
}

uint32_t VMacResourceFile::GetResourceSizeById(uint32_t type, int16_t id) {
  if (NoFile()) return 0;
  Switch use(fFileRef);
  Quiet quiet;
  const Tbx::Handle h = Get(type, id);
  if (h == 0) return 0;
  const int32_t size = Tbx::SizeResource(h);
  return size > 0 ? uint32_t(size) : 0;
}

void VMacResourceFile::SetResourceName(uint32_t type, int16_t id, const VString* name) {
  if (NoFile()) return;
  Switch use(fFileRef);
  Quiet quiet;
  // This file's resource only: a name is never changed in another open file.
  const Tbx::Handle h = Tbx::Get1Resource(type, id);
  if (h == 0) return;
  uint8_t pname[256];
  PTextOf(name, pname);
  Tbx::SetResInfo(h, id, pname);
}

// ---------------------------------------------------------------- current file

void VMacResourceFile::UseFile() {
  fSavedFiles.Push(uint16_t(Tbx::CurResFile()));
  Tbx::UseResFile(fFileRef);
}

void VMacResourceFile::RestoreFile() {
  if (fSavedFiles.IsEmpty()) return;
  const int16_t ref = int16_t(fSavedFiles.Pop());
  if (ref != -1) Tbx::UseResFile(ref);
}
