#include "host/context/VHostResourceFile.h"

#include <algorithm>
#include <cstring>

#include "boundary/HostRecords.h"
#include "boundary/HostServiceSelectors.h"
#include "framework/core/containers/VNumericArrays.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VUniString.h"
#include "host/callback/HostCallback.h"
#include "host/context/HostText.h"
#include "platform/toolbox/TbxHandleState.h"
#include "platform/toolbox/TbxHandles.h"
#include "platform/toolbox/TbxResources.h"

namespace {

// Names go to the host as Macintosh texts of at most 80 characters.
constexpr int32_t kResNameMax = 80;
// The longest name a record of the names list can hold.
constexpr uint8_t kResRecordNameMax = kResNameRecordSize - 1;

const uint8_t kNoName[1] = {0};

// A block for the file: its reference, the type, id and handle, no name.
HostParamBlock BlockFor(int16_t hostRef, uint32_t type, int32_t id, uint32_t handle) {
  HostParamBlock block;
  block.table = static_cast<uint16_t>(hostRef);
  block.param1 = type;
  block.param2 = HostWord(id);
  block.handle = handle;
  block.text[0] = 0;
  block.flag = 0;
  block.error = -1;
  return block;
}

void SetName(HostParamBlock& block, const uint8_t* pascalName) {
  const uint8_t* name = pascalName != nullptr ? pascalName : kNoName;
  const uint8_t n = name[0] < kResNameMax ? name[0] : static_cast<uint8_t>(kResNameMax);
  block.text[0] = n;
  std::memcpy(block.text + 1, name + 1, n);
}

}  // namespace

// ---- Opening and closing

void VHostResourceFile::Open(int32_t selector, HostParamBlock& block) {
  // A host that answers nothing leaves both references at -1.
  block.table = 0xFFFF;
  block.field = 0xFFFF;
  block.error = 0;
  CallHost(selector, block);
  if (block.error != 0) return;
  fHostRef = static_cast<int16_t>(block.table);
  fToolboxRef = static_cast<int16_t>(block.field);
}

VHostResourceFile::VHostResourceFile() {
  HostParamBlock block;
  Open(kResSelOpenKept, block);
}

VHostResourceFile::VHostResourceFile(uint32_t fileRecord) : fOwns(true) {
  HostParamBlock block;
  block.handle = fileRecord;
  block.flag = 0;
  Open(kResSelOpenFileRecord, block);
}

VHostResourceFile::VHostResourceFile(uint32_t fileRecord, int32_t a, int32_t b) : fOwns(true) {
  HostParamBlock block;
  block.handle = fileRecord;
  block.flag = 1;
  block.param1 = HostWord(a);
  block.param2 = HostWord(b);
  Open(kResSelOpenFileRecordWith, block);
}

VHostResourceFile::~VHostResourceFile() {
  if (!fOwns) return;
  if (fHostRef != -1) {
    HostParamBlock block = BlockFor(fHostRef, 0, 0, 0);
    CallHost(kResSelClose, block);
  }
  if (fToolboxRef != -1) Tbx::CloseResFile(fToolboxRef);
}

// ---- Adding and removing

int16_t VHostResourceFile::HostResAdd(uint32_t type, int16_t id, const VString* name,
                                      const void* data, uint32_t size) {
  if (NoFile() || size > INT32_MAX || (data == nullptr && size > 0)) return -1;
  const Tbx::Handle h = Tbx::NewHandle(static_cast<int32_t>(size));
  if (h == 0) return -1;
  if (size > 0) {
    std::memcpy(Tbx::HLock(h), data, size);
    Tbx::HUnlock(h);
  }
  HostParamBlock block = BlockFor(fHostRef, type, id, h);
  block.flag = id == -1 ? 1 : 0;
  if (name != nullptr) StringToPText(*name, block.text, kResNameMax);
  CallHost(kResSelAdd, block);
  if (block.error != 0) {
    Tbx::DisposeHandle(h);
    return -1;
  }
  return static_cast<int16_t>(HostWordOf(block.param2));
}

bool VHostResourceFile::Remove(uint32_t type, int16_t id, VResourceRef ref,
                               const uint8_t* pascalName) {
  if (NoFile()) return false;
  HostParamBlock block = BlockFor(fHostRef, type, id, ref);
  SetName(block, pascalName);
  CallHost(kResSelRemove, block);
  if (block.error == 0 && ref != 0) Forget(ref);
  return block.error == 0;
}

bool VHostResourceFile::HostResRemoveByHandle(VResourceRef ref) {
  return Remove(0, 0, ref, nullptr);
}

bool VHostResourceFile::HostResRemoveById(uint32_t type, int16_t id) {
  return Remove(type, id, 0, nullptr);
}

bool VHostResourceFile::HostResRemoveByName(uint32_t type, const VString* name) {
  uint8_t pascal[kResNameMax + 1] = {0};
  if (name != nullptr) StringToPText(*name, pascal, kResNameMax);
  return Remove(type, 0, 0, pascal);
}

bool VHostResourceFile::HostResRemoveAllOfType(uint32_t type) {
  if (NoFile()) return false;
  HostParamBlock block = BlockFor(fHostRef, type, 0, 0);
  CallHost(kResSelListIds, block);
  const Tbx::Handle ids = static_cast<Tbx::Handle>(block.handle);
  if (block.error != 0 || ids == 0) return false;
  const int32_t size = Tbx::GetHandleSize(ids);
  std::vector<int16_t> list;
  if (Tbx::MemError() == Tbx::noErr && size >= 2) {
    list.resize(static_cast<size_t>(size) / 2);
    std::memcpy(list.data(), Tbx::HLock(ids), list.size() * 2);
    Tbx::HUnlock(ids);
  }
  Tbx::DisposeHandle(ids);
  for (const int16_t id : list) {
    if (!Remove(type, id, 0, nullptr)) return false;
  }
  return true;
}

// ---- Getting

bool VHostResourceFile::Forget(VResourceRef ref) {
  const auto it = std::find(fObtained.begin(), fObtained.end(), ref);
  if (it == fObtained.end()) return false;
  fObtained.erase(it);
  return true;
}

VResourceRef VHostResourceFile::Get(int32_t selector, uint32_t type, int16_t idOrIndex,
                                    const uint8_t* pascalName, uint8_t* owned) {
  if (owned != nullptr) *owned = 0;
  if (NoFile()) return 0;
  HostParamBlock block = BlockFor(fHostRef, type, idOrIndex, 0);
  SetName(block, pascalName);
  block.flag = owned != nullptr ? 1 : 0;
  CallHost(selector, block);
  const VResourceRef ref = static_cast<VResourceRef>(block.handle);
  if (owned != nullptr) {
    *owned = block.flag != 0 && ref != 0 ? 1 : 0;
    if (*owned != 0 && std::find(fObtained.begin(), fObtained.end(), ref) == fObtained.end()) {
      fObtained.push_back(ref);
    }
  }
  return ref;
}

VResourceRef VHostResourceFile::HostResGetByCName(uint32_t type, const char* name, uint8_t* owned) {
  VStr<255> text;
  text.SetCText(name != nullptr ? name : "", kCharSetMac);
  return HostResGetByName(type, &text, owned);
}

VResourceRef VHostResourceFile::HostResGetByPascalName(uint32_t type, const uint8_t* name,
                                                       uint8_t* owned) {
  return Get(kResSelGet, type, 0, name, owned);
}

VResourceRef VHostResourceFile::HostResGetByName(uint32_t type, const VString* name,
                                                 uint8_t* owned) {
  uint8_t pascal[kResNameMax + 1] = {0};
  if (name != nullptr) StringToPText(*name, pascal, kResNameMax);
  return HostResGetByPascalName(type, pascal, owned);
}

VResourceRef VHostResourceFile::HostResGetById(uint32_t type, int16_t id, uint8_t* owned) {
  return Get(kResSelGet, type, id, nullptr, owned);
}

VResourceRef VHostResourceFile::HostResGetIndexed(uint32_t type, int16_t index, uint8_t* owned) {
  return Get(kResSelGetIndexed, type, index, nullptr, owned);
}

bool VHostResourceFile::HostResHasResource(uint32_t type, int16_t id) {
  uint8_t found = 0;
  const VResourceRef ref = HostResGetById(type, id, &found);
  if (ref == 0) return false;
  HostResReleaseHandle(ref);
  return true;
}

// ---- Ids, names and sizes

int16_t VHostResourceFile::HostResGetIdOfHandle(VResourceRef ref) {
  if (NoFile()) return 0;
  HostParamBlock block = BlockFor(fHostRef, 0, 0, ref);
  block.param2 = 0;
  CallHost(kResSelInfo, block);
  return static_cast<int16_t>(HostWordOf(block.param2));
}

int16_t VHostResourceFile::HostResGetIndexedInfo(uint32_t type, int32_t index) {
  if (NoFile()) return 0;
  HostParamBlock block = BlockFor(fHostRef, type, index, 0);
  CallHost(kResSelGetIndexed, block);
  if (block.error != 0 || block.handle == 0) return 0;
  return HostResGetIdOfHandle(static_cast<VResourceRef>(block.handle));
}

int16_t VHostResourceFile::HostResGetIdByPascalName(uint32_t type, const uint8_t* name) {
  if (NoFile()) return 0;
  HostParamBlock block = BlockFor(fHostRef, type, 0, 0);
  SetName(block, name);
  CallHost(kResSelInfo, block);
  return static_cast<int16_t>(HostWordOf(block.param2));
}

int16_t VHostResourceFile::HostResGetIdByCName(uint32_t type, const char* name) {
  VStr<255> text;
  text.SetCText(name != nullptr ? name : "", kCharSetMac);
  return HostResGetIdByName(type, &text);
}

int16_t VHostResourceFile::HostResGetIdByName(uint32_t type, const VString* name) {
  uint8_t pascal[kResNameMax + 1] = {0};
  if (name != nullptr) StringToPText(*name, pascal, kResNameMax);
  return HostResGetIdByPascalName(type, pascal);
}

void VHostResourceFile::HostResGetNameById(VString* out, uint32_t type, int16_t id) {
  if (NoFile() || out == nullptr) return;
  HostParamBlock block = BlockFor(fHostRef, type, id, 0);
  CallHost(kResSelInfo, block);
  if (block.error == 0) PTextToString(block.text, *out);
}

void VHostResourceFile::HostResGetNameOfHandle(VString* out, VResourceRef ref) {
  if (NoFile() || out == nullptr) return;
  HostParamBlock block = BlockFor(fHostRef, 0, 0, ref);
  CallHost(kResSelInfo, block);
  if (block.error == 0) PTextToString(block.text, *out);
}

uint32_t VHostResourceFile::HostResGetSize(uint32_t type, int16_t id) {
  if (NoFile()) return 0;
  HostParamBlock block = BlockFor(fHostRef, type, id, 0);
  block.param3 = 0;
  CallHost(kResSelInfo, block);
  return block.error == 0 ? static_cast<uint32_t>(HostWordOf(block.param3)) : 0;
}

void VHostResourceFile::HostResSetInfo(uint32_t type, int16_t id, const VString* name) {
  if (NoFile()) return;
  HostParamBlock block = BlockFor(fHostRef, type, id, 0);
  if (name != nullptr) StringToPText(*name, block.text, kResNameMax);
  CallHost(kResSelSetInfo, block);
}

int32_t VHostResourceFile::HostResCount(uint32_t type) {
  if (NoFile()) return 0;
  HostParamBlock block = BlockFor(fHostRef, type, 0, 0);
  block.param3 = 0;
  CallHost(kResSelCount, block);
  return block.error == 0 ? HostWordOf(block.param3) : 0;
}

int16_t VHostResourceFile::HostResUniqueID(uint32_t type) {
  if (NoFile()) return 0;
  HostParamBlock block = BlockFor(fHostRef, type, 0, 0);
  CallHost(kResSelUniqueId, block);
  return block.error == 0 ? static_cast<int16_t>(HostWordOf(block.param2)) : 0;
}

// ---- Lists

uint32_t VHostResourceFile::AnswerHandle(int32_t selector, uint32_t type) {
  if (NoFile()) return 0;
  HostParamBlock block = BlockFor(fHostRef, type, 0, 0);
  CallHost(selector, block);
  const Tbx::Handle h = static_cast<Tbx::Handle>(block.handle);
  if (block.error != 0) {
    if (h != 0) Tbx::DisposeHandle(h);
    return 0;
  }
  return h;
}

VLongArray* VHostResourceFile::HostResListTypes() {
  const Tbx::Handle h = AnswerHandle(kResSelListTypes, 0);
  if (h == 0) return nullptr;
  const int32_t size = Tbx::GetHandleSize(h);
  const int32_t count = Tbx::MemError() == Tbx::noErr && size > 0 ? size / 4 : 0;
  auto* types = new VLongArray(count);
  const auto* bytes = static_cast<const uint8_t*>(Tbx::HLock(h));
  for (int32_t i = 0; i < count; ++i) {
    int32_t type = 0;
    std::memcpy(&type, bytes + 4 * i, 4);
    types->SetLong(type, i + 1);
  }
  Tbx::HUnlock(h);
  Tbx::DisposeHandle(h);
  return types;
}

VWordArray* VHostResourceFile::HostResListIdsOfType(uint32_t type) {
  const Tbx::Handle h = AnswerHandle(kResSelListIds, type);
  if (h == 0) return nullptr;
  const int32_t size = Tbx::GetHandleSize(h);
  const int32_t count = Tbx::MemError() == Tbx::noErr && size > 0 ? size / 2 : 0;
  auto* ids = new VWordArray(count);
  const auto* bytes = static_cast<const uint8_t*>(Tbx::HLock(h));
  for (int32_t i = 0; i < count; ++i) {
    int16_t id = 0;
    std::memcpy(&id, bytes + 2 * i, 2);
    ids->SetWord(id, i + 1);
  }
  Tbx::HUnlock(h);
  Tbx::DisposeHandle(h);
  return ids;
}

VStringArray* VHostResourceFile::HostResListNamesOfType(uint32_t type) {
  const Tbx::Handle h = AnswerHandle(kResSelListNames, type);
  if (h == 0) return nullptr;
  const int32_t size = Tbx::GetHandleSize(h);
  const int32_t count =
      Tbx::MemError() == Tbx::noErr && size > 0 ? size / int32_t(kResNameRecordSize) : 0;
  auto* names = new VStringArray(0);
  const auto* bytes = static_cast<const uint8_t*>(Tbx::HLock(h));
  for (int32_t i = 0; i < count; ++i) {
    // A length beyond its record is cut to the record.
    uint8_t pascal[kResNameRecordSize];
    std::memcpy(pascal, bytes + kResNameRecordSize * i, kResNameRecordSize);
    if (pascal[0] > kResRecordNameMax) pascal[0] = kResRecordNameMax;
    auto* name = new VStr<63>;
    PTextToString(pascal, *name);
    names->AppendObject(name, false);
  }
  Tbx::HUnlock(h);
  Tbx::DisposeHandle(h);
  return names;
}

// ---- Releasing

void VHostResourceFile::HostResReleaseHandle(VResourceRef ref) {
  if (NoFile()) return;
  HostParamBlock block = BlockFor(fHostRef, 0, 0, ref);
  if (Forget(ref)) CallHost(kResSelForget, block);
  CallHost(kResSelRelease, block);
}

void VHostResourceFile::HostResReleaseById(uint32_t type, int16_t id) {
  if (NoFile()) return;
  if (!fObtained.empty()) {
    // The handle without its data, to find it among the obtained ones.
    HostParamBlock flag = BlockFor(fHostRef, 0, 0, 0);
    flag.flag = 0;
    CallHost(kResSelLoadFlag, flag);
    const uint8_t previous = flag.flag;
    HostParamBlock get = BlockFor(fHostRef, type, id, 0);
    CallHost(kResSelGet, get);
    flag = BlockFor(fHostRef, 0, 0, 0);
    flag.flag = previous;
    CallHost(kResSelLoadFlag, flag);
    const VResourceRef ref = static_cast<VResourceRef>(get.handle);
    if (ref != 0 && Forget(ref)) {
      HostParamBlock forget = BlockFor(fHostRef, 0, 0, ref);
      CallHost(kResSelForget, forget);
    }
  }
  HostParamBlock block = BlockFor(fHostRef, type, id, 0);
  CallHost(kResSelRelease, block);
}

// ---- Data

void* VHostResourceFile::HostResLock(VResourceRef ref) {
  if (NoFile() || ref == 0) return nullptr;
  HostParamBlock block = BlockFor(fHostRef, 0, 0, ref);
  block.flag = 1;
  CallHost(kResSelLock, block);
  // The host answers the data's address in place of the handle.
  if (block.error != 0 || block.handle == ref) return nullptr;
  return HostPointer<void>(block.handle);
}

void VHostResourceFile::HostResUnlock(VResourceRef ref) {
  if (NoFile() || ref == 0) return;
  HostParamBlock block = BlockFor(fHostRef, 0, 0, ref);
  block.flag = 0;
  CallHost(kResSelLock, block);
}

uint32_t VHostResourceFile::HostResGetHandleSize(VResourceRef ref) {
  if (ref == 0) return 0;
  const int32_t size = Tbx::GetHandleSize(ref);
  return Tbx::MemError() == Tbx::noErr && size > 0 ? static_cast<uint32_t>(size) : 0;
}

bool VHostResourceFile::HostResSetHandleSize(VResourceRef ref, uint32_t size) {
  if (ref == 0 || size > INT32_MAX) return false;
  const int8_t state = Tbx::HGetState(ref);
  Tbx::HUnlock(ref);
  Tbx::SetHandleSize(ref, static_cast<int32_t>(size));
  Tbx::HSetState(ref, state);
  return HostResGetHandleSize(ref) >= size;
}

VMemHandle VHostResourceFile::HostResDetach(VResourceRef ref) {
  if (NoFile() || ref == 0) return 0;
  HostParamBlock block = BlockFor(fHostRef, 0, 0, ref);
  CallHost(kResSelDetach, block);
  if (block.error != 0) return 0;
  Forget(ref);
  return gMemoryMgr->FromMacHandle(ref, true);
}

void VHostResourceFile::HostResWrite(VResourceRef ref) {
  if (NoFile()) return;
  HostParamBlock block = BlockFor(fHostRef, 0, 0, ref);
  CallHost(kResSelWrite, block);
}

int32_t VHostResourceFile::HostResUpdateFile() {
  if (NoFile()) return 401;
  HostParamBlock block = BlockFor(fHostRef, 0, 0, 0);
  CallHost(kResSelUpdate, block);
  return 0;
}

// ---- The current file

void VHostResourceFile::HostResMakeCurrent() {
  if (NoFile()) return;
  HostParamBlock block;
  block.table = static_cast<uint16_t>(fHostRef);
  CallHost(kResSelMakeCurrent, block);
  fPrevious.push_back(static_cast<int16_t>(block.table));
}

void VHostResourceFile::HostResRestoreCurrent() {
  if (fPrevious.empty()) return;
  HostParamBlock block;
  block.table = static_cast<uint16_t>(fPrevious.back());
  fPrevious.pop_back();
  CallHost(kResSelMakeCurrent, block);
}

// ---- Operations outside the framework's interface

int16_t VHostResourceFile::HostResCall349(int16_t* a, uint8_t b, uint8_t c, const VString* text,
                                          int32_t d, int32_t e) {
  if (NoFile()) return -1;
  HostParamBlock block = BlockFor(fHostRef, static_cast<uint32_t>(d), e, 0);
  block.flag = b;
  block.flag2 = c;
  if (text != nullptr) StringToPText(*text, block.text, 255);
  CallHost(kResSelCall349, block);
  if (a != nullptr) *a = static_cast<int16_t>(block.table);
  return block.error;
}

int16_t VHostResourceFile::HostResCall350(int16_t* second, const VString* name, int32_t p1,
                                          int32_t p2, int32_t p3, int32_t p4) {
  if (NoFile()) return -1;
  HostParamBlock block = BlockFor(fHostRef, 0, p2, 0);
  block.param1 = HostWord(p1);
  block.param3 = HostWord(p3);
  block.param4 = HostWord(p4);
  block.field = static_cast<uint16_t>(second != nullptr ? *second : 0);
  if (name != nullptr) StringToPText(*name, block.text, kResNameMax);
  CallHost(kResSelCall350, block);
  if (second != nullptr) *second = static_cast<int16_t>(block.field);
  return block.error;
}

bool VHostResourceFile::HostResCall351(int32_t p1, int32_t p2, int32_t p3, int32_t p4,
                                       uint16_t value) {
  if (NoFile()) return true;
  HostParamBlock block = BlockFor(fHostRef, 0, p2, 0);
  block.param1 = HostWord(p1);
  block.param3 = HostWord(p3);
  block.param4 = HostWord(p4);
  block.shortValue = value;
  CallHost(kResSelCall351, block);
  return block.error != 0;
}

void VHostResourceFile::HostResCall352() {
  if (NoFile()) return;
  HostParamBlock block = BlockFor(fHostRef, 0, 0, 0);
  CallHost(kResSelCall352, block);
}
