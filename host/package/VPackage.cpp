// The package base: identity and routine list from the module's resource
// file, routing of host calls, the registry of plug-in objects, the
// preferences file and the shared resource files.
#include "host/package/VPackage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VByteReader.h"
#include "framework/core/strings/VByteString.h"
#include "framework/core/strings/VString.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "host/context/HostServices.h"
#include "host/context/HostText.h"
#include "host/context/VHostContext.h"
#include "boundary/HostRecords.h"
#include "boundary/HostSelectors.h"
#include "host/package/VPlugInObject.h"
#include "platform/toolbox/TbxPorts.h"

VPackage* gCurrentPackage = nullptr;

// One resource file shared by the plug-in objects that asked for its key.
struct VSharedResFile : public VObject {
  uint16_t key = 0;
  uint16_t uses = 0;
  std::unique_ptr<VMacResourceFile> file;
};

namespace {

constexpr char kPrefsSuffix[] = " Prefs";

// The bytes of a resource, locked, then unlocked and released at the end of
// the scope.
class LockedResource {
 public:
  LockedResource(VResourceFile* file, VResourceRef ref) : fFile(file), fRef(ref) {
    if (ref == 0) return;
    data = static_cast<const uint8_t*>(file->LockResource(ref));
    const uint32_t bytes = file->GetResourceSize(ref);
    size = data != nullptr ? static_cast<int32_t>(bytes > INT32_MAX ? INT32_MAX : bytes) : 0;
  }
  ~LockedResource() {
    if (fRef == 0) return;
    fFile->UnlockResource(fRef);
    fFile->ReleaseResource(fRef);
  }
  LockedResource(const LockedResource&) = delete;
  LockedResource& operator=(const LockedResource&) = delete;
  const uint8_t* data = nullptr;
  int32_t size = 0;

 private:
  VResourceFile* fFile;
  VResourceRef fRef;
};

// A path of the host's folder followed by more bytes; false when the host
// gives no folder or the whole does not fit a resource file path.
bool HostFolderPath(char* path, const uint8_t* pascalTail, const char* suffix) {
  char folder[kHostPathBufferSize];
  if (!HostGetPath(folder)) return false;
  const size_t folderLength = std::strlen(folder);
  const size_t tailLength = pascalTail != nullptr ? pascalTail[0] : 0;
  const size_t suffixLength = suffix != nullptr ? std::strlen(suffix) : 0;
  if (folderLength + tailLength + suffixLength > 255) return false;
  std::memcpy(path, folder, folderLength);
  if (tailLength != 0) std::memcpy(path + folderLength, pascalTail + 1, tailLength);
  if (suffixLength != 0) std::memcpy(path + folderLength + tailLength, suffix, suffixLength);
  path[folderLength + tailLength + suffixLength] = 0;
  return true;
}

bool IsFolder(const char* path) {
  struct stat info;
  return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

// The bytes of a resource, which the byte-order procedure has already put
// into native order.
VByteReader ReaderOf(const LockedResource& resource) {
  return VByteReader(resource.data, resource.size > 0 ? size_t(resource.size) : 0);
}

}  // namespace

// ---- Construction

VPackage::VPackage(HostStartupRecord* startParams) {
  if (startParams != nullptr && startParams->hostInterfaceVersion >= kOldestHostInterface)
    startParams->moduleInterfaceVersion = kModuleInterfaceVersion;
  fOwnFile = gModuleResFile;

  // The first 'QBNX' resource names the package; its id is the resource
  // base unless the resource carries another at byte 8.
  if (fOwnFile != nullptr) {
    const VResourceRef identity = fOwnFile->GetIndResource(kTypeQBNX, 1, nullptr);
    if (identity != 0) {
      fResourceBase = fOwnFile->GetResourceId(identity);
      uint8_t name[256];
      fOwnFile->GetResourcePName(identity, name);
      PTextToString(name, fName);
      LockedResource bytes(fOwnFile, identity);
      VByteReader reader = ReaderOf(bytes);
      reader.Skip(8);
      const int16_t base = reader.I16();
      if (!reader.Failed()) fResourceBase = base;
    }
  }
  ReadRoutineNames();
}

// The names of the module's routines, item n naming routine n, up to the
// first empty or missing item; those beginning with '_' or '%' are areas.
void VPackage::ReadRoutineNames() {
  if (fOwnFile == nullptr) return;
  const int16_t list = static_cast<int16_t>(fResourceBase);
  if (list != fResourceBase) return;
  std::vector<uint16_t> areas;
  for (int32_t item = 1; item <= INT16_MAX; ++item) {
    // The item's bytes as stored.
    VMacStr<255> name;
    fOwnFile->GetIndString(&name, list, static_cast<int16_t>(item));
    if (name.GetLength() == 0) break;
    const uint8_t first = *static_cast<const uint8_t*>(name.GetBuffer());
    if (first == '_' || first == '%') areas.push_back(static_cast<uint16_t>(item));
  }
  if (areas.empty()) return;
  // The block holds exactly the routines found, then the 0 that ends them.
  fAreaRoutines = static_cast<uint16_t*>(gMemoryMgr->NewBlock((areas.size() + 1) * sizeof(uint16_t)));
  if (fAreaRoutines == nullptr) return;
  std::memcpy(fAreaRoutines, areas.data(), areas.size() * sizeof(uint16_t));
  fAreaRoutines[areas.size()] = 0;
}

VPackage::~VPackage() {
  // Areas the host never closed go with the package: each leaves its list
  // and gives back its shared file while both still stand.
  fCurrentFormArea = nullptr;
  for (PlugInList* list : {&fFormAreas, &fOffscreenAreas}) {
    while (!list->IsEmpty()) {
      VPlugInObject* area = list->Last();
      delete area;
      if (!list->IsEmpty() && list->Last() == area) Unregister(list == &fFormAreas ? kPlugInForm : kPlugInOffscreen, area);
    }
  }
  fPrefsFile.reset();
  if (fAreaRoutines != nullptr) gMemoryMgr->DisposeBlock(fAreaRoutines);
  fAreaRoutines = nullptr;
  while (!fSharedFiles.IsEmpty()) {
    VSharedResFile* record = fSharedFiles.First();
    fSharedFiles.RemoveAt(1, true);
    delete record;
  }
  fCurrentFormArea = nullptr;
  fFormAreas.RemoveAll(true);
  fDesignPlugIns.RemoveAll(true);
  fOffscreenAreas.RemoveAll(true);
  fOutputPlugIns.RemoveAll(true);
  fPrintingPlugIns.RemoveAll(true);
  fKinds.clear();
}

// ---- Defaults of the concrete package's operations

bool VPackage::Init() { return true; }
void VPackage::DeInit() {}
VPlugInObject* VPackage::NewPlugIn(int32_t, void*) { return nullptr; }
VPlugInObject* VPackage::NewDesignPlugIn(int32_t, void*) { return nullptr; }
VPlugInObject* VPackage::NewOutputPlugIn(int32_t, void*) { return nullptr; }
VPlugInObject* VPackage::NewPrintingPlugIn(int32_t, void*) { return nullptr; }
int16_t VPackage::GetAreaResourceId(int32_t) { return 0; }
void VPackage::OffscreenPlugInsDeleted(int32_t) {}
void VPackage::OnEvent206(uint32_t, uint16_t, uint32_t, uint32_t) {}
bool VPackage::OnEvent205(uint32_t, uint16_t, uint32_t&, uint32_t&) { return false; }
void VPackage::OnEvent207(uint32_t, uint16_t, uint32_t, uint32_t) {}
void VPackage::OnEvent201() {}
void VPackage::OnEvent202() {}
void VPackage::OnEvent3(uint32_t) {}
void VPackage::OnEvent4(uint32_t) {}
uint8_t VPackage::SwapResource(uint8_t, uint32_t, uint32_t, void*) { return 0; }

// ---- Routing

void VPackage::Dispatch(int32_t selector, void* params, void* result) {
  Tbx::CGrafPtr port = nullptr;
  Tbx::GDHandle device = 0;
  Tbx::GetGWorld(&port, &device);
  if (selector >= 0) {
    if (IsAreaRoutine(static_cast<int16_t>(selector & 0xFFFF))) {
      HandleAreaEvent(selector, params, result);
    } else {
      ExecuteCommand(selector, params, result);
    }
  } else {
    DispatchPackageEvent(selector, params, result);
  }
  Tbx::SetGWorld(port, device);
}

void VPackage::DispatchPackageEvent(int32_t selector, void* params, void* result) {
  // Some events carry a plain number where the parameter pointer goes.
  const uint32_t value = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(params));
  auto* record = static_cast<HostPackageEventRecord*>(params);
  auto* cell = static_cast<uint32_t*>(result);
  switch (selector) {
    case kSelStart:
    case kSelStartSilent:
      OpenPrefsFile();
      Init();
      break;
    case kSelStop:
    case kSelStopAlt:
      DeInit();
      break;
    case kSelPackageEvent3:
      OnEvent3(value);
      break;
    case kSelPackageEvent4: {
      OnEvent4(value);
      if (value != 1 || fOffscreenAreas.IsEmpty()) break;
      const int32_t count = fOffscreenAreas.Count();
      while (!fOffscreenAreas.IsEmpty()) {
        VPlugInObject* object = fOffscreenAreas.First();
        object->Close();
        delete object;
        // An object leaves the list in its destructor; one that did not is
        // taken out here, so the loop always ends.
        if (!fOffscreenAreas.IsEmpty() && fOffscreenAreas.First() == object) Unregister(kPlugInOffscreen, object);
      }
      OffscreenPlugInsDeleted(count);
      break;
    }
    case kSelRaiseDepth:
      OnEvent201();
      ++fEventDepth;
      break;
    case kSelLowerDepth:
      OnEvent202();
      --fEventDepth;
      break;
    case kSelPackageEvent205: {
      if (record == nullptr || cell == nullptr) break;
      uint32_t r = 0, d = 0;
      if (OnEvent205(record->a, record->b, r, d)) {
        record->c = d;
        *cell = r;
      } else {
        record->c = 0;
        *cell = 0;
      }
      break;
    }
    case kSelPackageEvent206:
      if (record == nullptr || cell == nullptr) break;
      OnEvent206(record->a, record->b, *cell, record->c);
      break;
    case kSelPackageEvent207:
      if (record == nullptr || cell == nullptr) break;
      OnEvent207(record->a, record->b, *cell, record->c);
      OnEvent206(record->a, record->b, *cell, record->c);
      break;
    default:
      break;
  }
}

VPlugInObject* VPackage::Create(VPlugInObject* (VPackage::*make)(int32_t, void*), int32_t routine,
                                void* params) {
  Tbx::GrafPtr port = nullptr;
  Tbx::GetPort(&port);
  VPlugInObject* object = (this->*make)(routine, params);
  Tbx::SetPort(port);
  return object;
}

void VPackage::HandleAreaEvent(int32_t selector, void* params, void*) {
  void** array = static_cast<void**>(params);
  if (array == nullptr) return;
  auto* event = static_cast<HostEventRecord*>(array[kAreaEventRecordEntry]);
  if (event == nullptr) return;
  auto** cell = static_cast<VPlugInObject**>(array[kAreaObjectCellEntry]);

  switch (event->what) {
    case kAreaEventCreate: {
      if (event->message == 0 && event->modifiers != 0) {
        DeliverByKind(kPlugInForm, array, Create(&VPackage::NewPlugIn, selector, params));
      } else if (event->message == 0) {
        DeliverByKind(kPlugInOutput, array, Create(&VPackage::NewOutputPlugIn, selector, params));
      } else {
        DeliverByKind(kPlugInPrinting, array, Create(&VPackage::NewPrintingPlugIn, selector, params));
      }
      return;
    }
    case kAreaEventCreateFromRecord: {
      const auto* hostRecord = HostPointer<const HostAreaRecord>(event->message);
      if (hostRecord == nullptr) return;
      if (hostRecord->isPrinting != 0) {
        DeliverByKind(kPlugInPrinting, array, Create(&VPackage::NewPrintingPlugIn, selector, params));
      } else if (hostRecord->isForm != 0) {
        DeliverByKind(kPlugInForm, array, Create(&VPackage::NewPlugIn, selector, params));
      } else {
        DeliverByKind(kPlugInOutput, array, Create(&VPackage::NewOutputPlugIn, selector, params));
      }
      return;
    }
    case kAreaEventDesign:
    case kAreaEventDesign600:
    case kAreaEventDesign601:
    case kAreaEventDesign603: {
      // A placeholder for the form editor's picture, for this one event.
      VPlugInObject* object = Create(&VPackage::NewDesignPlugIn, selector, params);
      if (object == nullptr) return;
      DeliverByKind(kPlugInDesign, array, object);
      object->Close();
      delete object;
      return;
    }
    case kAreaEventResourceId: {
      const int16_t id = GetAreaResourceId(selector);
      if (id != 0) {
        event->message = kAreaEventResourceId;
        event->when = static_cast<uint32_t>(static_cast<int32_t>(id));
      }
      return;
    }
    case kAreaEventDesignKeep:
      DeliverByKind(kPlugInDesign, array, Create(&VPackage::NewDesignPlugIn, selector, params));
      return;
    default:
      break;
  }

  // An event for an existing object: the cell's content is trusted only
  // once one of the lists holds it.
  const bool deleteAfter = event->what == kAreaEventDelete || event->what == kAreaEventDeleteAlt;
  VPlugInObject* object = cell != nullptr ? *cell : nullptr;
  const int32_t kind = KindOfPlugIn(object);
  if (kind == kPlugInNone || kind == kPlugInOffscreen) return;
  DeliverByKind(kind, array, object);
  if (!deleteAfter) return;
  // The delivery may have deleted it already; only an object still
  // registered is deleted here.
  if (KindOfPlugIn(object) != kind) return;
  if (kind != kPlugInForm || object->IsClosed()) delete object;
}

void VPackage::DeliverByKind(int32_t kind, void** params, VPlugInObject* object) {
  if (object == nullptr) return;
  switch (kind) {
    case kPlugInDesign:
      object->DrawPicture(params);
      break;
    case kPlugInForm:
      DeliverToForm(params, object);
      break;
    case kPlugInOutput:
      object->DrawOutput(params);
      break;
    case kPlugInPrinting:
      object->PrintPage(params);
      break;
    default:
      break;
  }
}

void VPackage::SendFocusEvent(void** params, VPlugInObject* target, uint16_t code) {
  HostEventRecord synthetic{};
  synthetic.what = code;
  synthetic.message = 0;
  VPlugInObject* targetCell = target;
  void* arrivedEvent = params[kAreaEventRecordEntry];
  void* arrivedCell = params[kAreaObjectCellEntry];
  params[kAreaEventRecordEntry] = &synthetic;
  params[kAreaObjectCellEntry] = &targetCell;
  target->HandleEvent(params);
  // The host's array gets back its own pointers, never ones to this frame.
  params[kAreaEventRecordEntry] = arrivedEvent;
  params[kAreaObjectCellEntry] = arrivedCell;
}

void VPackage::DeliverToForm(void** params, VPlugInObject* area) {
  const auto* event = static_cast<const HostEventRecord*>(params[kAreaEventRecordEntry]);
  const uint16_t code = event->what;
  const uintptr_t message = event->message;
  switch (code) {
    case kAreaEventClick:
      if (area != fCurrentFormArea) {
        if (fCurrentFormArea != nullptr) SendFocusEvent(params, fCurrentFormArea, kAreaEventDeactivate);
        fCurrentFormArea = area;
        SendFocusEvent(params, area, kAreaEventActivate);
      }
      break;
    case kAreaEventActivate:
      if (fCurrentFormArea != nullptr && fCurrentFormArea != area)
        SendFocusEvent(params, fCurrentFormArea, kAreaEventDeactivate);
      if (message != 1) fCurrentFormArea = area;
      break;
    case kAreaEventDeactivate:
      if (message != 1) fCurrentFormArea = nullptr;
      break;
    case kAreaEventLeave:
      if (area == fCurrentFormArea) {
        SendFocusEvent(params, area, kAreaEventDeactivate);
        fCurrentFormArea = nullptr;
      }
      break;
    default:
      break;
  }
  // A focus event may have removed the area (an area deleted while it lost
  // the focus); then there is nothing to deliver to.
  if (KindOfPlugIn(area) != kPlugInForm) return;
  area->HandleEvent(params);
}

// ---- Registry of plug-in objects

namespace {
// The order the kinds of an object are told in when it is in two lists.
constexpr int32_t kKindSearchOrder[] = {kPlugInForm, kPlugInOffscreen, kPlugInOutput, kPlugInPrinting,
                                        kPlugInDesign};
int32_t KindRank(int32_t kind) {
  for (int32_t i = 0; i < int32_t(sizeof kKindSearchOrder / sizeof kKindSearchOrder[0]); ++i)
    if (kKindSearchOrder[i] == kind) return i;
  return INT32_MAX;
}
}  // namespace


VPackage::PlugInList* VPackage::ListOfKind(int32_t kind) const {
  auto* self = const_cast<VPackage*>(this);
  switch (kind) {
    case kPlugInDesign:
      return &self->fDesignPlugIns;
    case kPlugInForm:
      return &self->fFormAreas;
    case kPlugInOffscreen:
      return &self->fOffscreenAreas;
    case kPlugInOutput:
      return &self->fOutputPlugIns;
    case kPlugInPrinting:
      return &self->fPrintingPlugIns;
    default:
      return nullptr;
  }
}

void VPackage::Register(int32_t kind, VPlugInObject* object) {
  ListOfKind(kind)->Add(&object);
  // An object in two lists is of the kind searched first, as ever.
  auto found = fKinds.find(object);
  if (found == fKinds.end() || KindRank(kind) < KindRank(found->second)) fKinds[object] = kind;
}

void VPackage::Unregister(int32_t kind, VPlugInObject* object) {
  ListOfKind(kind)->RemoveFromEitherEnd(&object, true);
  auto found = fKinds.find(object);
  if (found == fKinds.end() || found->second != kind) return;
  fKinds.erase(found);
  // Still in a list searched later: of that kind now.
  for (int32_t other : kKindSearchOrder) {
    if (other != kind && ListOfKind(other)->IndexOf(&object) > 0) {
      fKinds[object] = other;
      return;
    }
  }
}

void VPackage::AddDesignPlugIn(VPlugInObject* object) { Register(kPlugInDesign, object); }
void VPackage::RemoveDesignPlugIn(VPlugInObject* object) { Unregister(kPlugInDesign, object); }
void VPackage::AddFormPlugIn(VPlugInObject* object) { Register(kPlugInForm, object); }
void VPackage::RemoveFormPlugIn(VPlugInObject* object) {
  Unregister(kPlugInForm, object);
  if (object == fCurrentFormArea) fCurrentFormArea = nullptr;
}
void VPackage::AddOffscreenPlugIn(VPlugInObject* object) { Register(kPlugInOffscreen, object); }
void VPackage::RemoveOffscreenPlugIn(VPlugInObject* object) { Unregister(kPlugInOffscreen, object); }
void VPackage::AddOutputPlugIn(VPlugInObject* object) { Register(kPlugInOutput, object); }
void VPackage::RemoveOutputPlugIn(VPlugInObject* object) { Unregister(kPlugInOutput, object); }
void VPackage::AddPrintingPlugIn(VPlugInObject* object) { Register(kPlugInPrinting, object); }
void VPackage::RemovePrintingPlugIn(VPlugInObject* object) { Unregister(kPlugInPrinting, object); }

int32_t VPackage::KindOfPlugIn(const VPlugInObject* object) const {
  if (object == nullptr) return kPlugInNone;
  const auto found = fKinds.find(object);
  return found != fKinds.end() ? found->second : kPlugInNone;
}

int32_t VPackage::CountPlugIns(int32_t kind) const {
  const PlugInList* list = ListOfKind(kind);
  return list != nullptr ? list->Count() : 0;
}

bool VPackage::IsAreaRoutine(int16_t routine) const {
  if (fAreaRoutines == nullptr) return false;
  const uint16_t number = static_cast<uint16_t>(routine);
  for (const uint16_t* entry = fAreaRoutines; *entry != 0; ++entry)
    if (*entry == number) return true;
  return false;
}

// ---- Preferences file

VMacResourceFile* VPackage::GetPrefsFile() {
  if (fPrefsFile == nullptr) OpenPrefsFile();
  return fPrefsFile.get();
}

void VPackage::OpenPrefsFile() {
  // A second start selector opens the file anew rather than leak the first.
  fPrefsFile.reset();
  uint8_t name[256];
  StringToPText(fName, name, 255);
  char path[256];
  if (!HostFolderPath(path, name, kPrefsSuffix)) return;
  VMacResourceFile* prefs = VMacResourceFile::OpenExact(path, 1);
  if (prefs == nullptr) return;
  fPrefsFile.reset(prefs);
  UpdatePrefs(prefs);
}

// Brings the preferences file's copies of the module's preference resources
// up to date when the module's layout version is newer. Answers whether it
// copied.
bool VPackage::UpdatePrefs(VMacResourceFile* prefs) {
  if (fOwnFile == nullptr) return false;
  uint8_t name[256];
  StringToPText(fName, name, 255);
  LockedResource own(fOwnFile, fOwnFile->GetPNamedResource(kTypeXPRF, name, nullptr));
  // The layout version, then the table of resources to copy: a 16-bit count,
  // then 8-byte entries of type, first id and last id. Entries past the
  // resource's end are not read.
  VByteReader table = ReaderOf(own);
  const int32_t ownVersion = table.I32();
  const int16_t count = table.I16();
  if (table.Failed()) return false;

  bool update = true;
  const VResourceRef prefsHandle = prefs->GetPNamedResource(kTypeXPRF, name, nullptr);
  if (prefsHandle != 0) {
    const int16_t prefsId = prefs->GetResourceId(prefsHandle);
    int32_t prefsVersion = INT32_MIN;
    {
      LockedResource present(prefs, prefsHandle);
      VByteReader reader = ReaderOf(present);
      const int32_t version = reader.I32();
      if (!reader.Failed()) prefsVersion = version;
    }
    update = prefsVersion < ownVersion;
    if (update) prefs->RemoveResource(kTypeXPRF, prefsId);
  }
  if (!update) return false;

  // Names go in as the bytes they are stored as.
  VMacStr<255> storedName;
  storedName.SetMacPText(name);
  prefs->AddResource(kTypeXPRF, -1, &storedName, own.data, static_cast<uint32_t>(own.size));
  for (int32_t k = 0; k < count; ++k) {
    const uint32_t type = table.U32();
    const int16_t first = table.I16();
    const int16_t last = table.I16();
    if (table.Failed()) break;
    if (first == -1) prefs->RemoveResources(type);
    const int32_t n = fOwnFile->CountResources(type);
    for (int32_t i = 1; i <= n; ++i) {
      const VResourceRef handle = fOwnFile->GetIndResource(type, static_cast<int16_t>(i), nullptr);
      if (handle == 0) continue;
      const int16_t id = fOwnFile->GetResourceId(handle);
      uint8_t stored[256];
      fOwnFile->GetResourcePName(handle, stored);
      storedName.SetMacPText(stored);
      LockedResource bytes(fOwnFile, handle);
      if (first != -1) {
        if (id < first || id > last) continue;
        prefs->RemoveResource(type, id);
      }
      prefs->AddResource(type, id, &storedName, bytes.data, static_cast<uint32_t>(bytes.size));
    }
  }
  prefs->UpdateFile();
  return true;
}

// ---- Shared resource files

namespace {

// Puts the entry of a folder just made on the disk: the folder that holds
// it is flushed (a file system that cannot flush folders counts as done).
void FlushFolderAbove(const char* path) {
  std::string above = path;
  const size_t slash = above.find_last_of('/');
  above = slash == std::string::npos ? std::string(".")
          : slash == 0                ? std::string("/")
                                      : above.substr(0, slash);
  const int fd = open(above.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace


VMacResourceFile* VPackage::OpenSharedResourceFile(const VString& folderName) {
  uint8_t folder[256];
  StringToPText(folderName, folder, 255);
  char path[256];
  if (!HostFolderPath(path, folder, nullptr)) return nullptr;
  // A folder made now is flushed into the folder above it, so that the
  // files later written and flushed in it are found after a crash.
  if (!IsFolder(path) && mkdir(path, 0777) == 0) FlushFolderAbove(path);
  if (!IsFolder(path)) return nullptr;
  uint8_t hostName[256];
  if (gHostContext != nullptr) {
    StringToPText(gHostContext->GetHostName(), hostName, 255);
  } else {
    hostName[0] = 0;
  }
  const size_t length = std::strlen(path);
  if (hostName[0] == 0 || length + 1 + hostName[0] > 255) return nullptr;
  path[length] = '/';
  std::memcpy(path + length + 1, hostName + 1, hostName[0]);
  path[length + 1 + hostName[0]] = 0;
  return VMacResourceFile::OpenExact(path, 1);
}

VMacResourceFile* VPackage::AcquireSharedResourceFile(uint16_t key, const VString& folderName) {
  VSharedResFile* found = nullptr;
  for (int32_t i = 1; i <= fSharedFiles.Count() && found == nullptr; ++i)
    if (fSharedFiles.GetAt(i)->key == key) found = fSharedFiles.GetAt(i);
  if (found == nullptr) {
    VMacResourceFile* file = OpenSharedResourceFile(folderName);
    if (file == nullptr) return nullptr;
    found = new VSharedResFile;
    found->key = key;
    found->file.reset(file);
    fSharedFiles.Add(&found);
  }
  ++found->uses;
  return found->file.get();
}

void VPackage::ReleaseSharedResourceFile(VMacResourceFile* file) {
  if (file == nullptr) return;
  for (int32_t i = 1; i <= fSharedFiles.Count(); ++i) {
    VSharedResFile* record = fSharedFiles.GetAt(i);
    if (record->file.get() != file) continue;
    if (record->uses > 0) --record->uses;
    if (record->uses == 0) {
      fSharedFiles.RemoveAt(i, true);
      delete record;
    }
    return;
  }
}
