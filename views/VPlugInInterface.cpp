// The interface block of an area: built from the module's resources by its
// 'XPRF' rules, stamped with 'XDVE', stored per area and rebuilt when the
// module's stamp has moved on.
#include <cstring>

#include "framework/core/memory/VHandleLocker.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VByteReader.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "views/VPlugIn.h"
#include "views/VPlugInDocMgr.h"
#include "host/context/VHostContext.h"

namespace {

// The resource types copied into a block when the module has no rules.
constexpr uint32_t kDefaultInterfaceTypes[] = {
    FourCC("XBAR"), FourCC("XBUT"), FourCC("XCAT"), FourCC("XCCH"), FourCC("XCHK"), FourCC("XCOM"),
    FourCC("XDOK"), FourCC("XDRP"), FourCC("XEDT"), FourCC("XIC#"), FourCC("XICO"), FourCC("XKEY"),
    FourCC("XKLI"), FourCC("XLCH"), FourCC("XMBA"), FourCC("XMBU"), FourCC("XMNU"), FourCC("XPRO"),
    FourCC("XRAD"), FourCC("XTH#"), FourCC("XTHM"), FourCC("XTXT"), FourCC("STR#")};

// A resource's bytes for the scope: locked on entry, unlocked and (when the
// file made a private copy) released on exit.
class ResourceBytes {
 public:
  ResourceBytes(VResourceFile* file, VResourceRef ref, bool owned) : fFile(file), fRef(ref), fOwned(owned) {
    if (fFile != nullptr && fRef != 0) {
      fData = static_cast<const uint8_t*>(fFile->LockResource(fRef));
      fSize = fData != nullptr ? fFile->GetResourceSize(fRef) : 0;
    }
  }
  ~ResourceBytes() {
    if (fFile == nullptr || fRef == 0) return;
    if (fData != nullptr) fFile->UnlockResource(fRef);
    if (fOwned) fFile->ReleaseResource(fRef);
  }
  ResourceBytes(const ResourceBytes&) = delete;
  ResourceBytes& operator=(const ResourceBytes&) = delete;
  const uint8_t* Data() const { return fData; }
  uint32_t Size() const { return fSize; }

 private:
  VResourceFile* fFile;
  VResourceRef fRef;
  bool fOwned;
  const uint8_t* fData = nullptr;
  uint32_t fSize = 0;
};

bool ReadRulesOf(VResourceFile* file, int16_t id, VInterfaceRules& rules) {
  if (file == nullptr) return false;
  uint8_t owned = 0;
  const VResourceRef ref = file->GetResource(kResTypeInterfaceRules, id, &owned);
  if (ref == 0) return false;
  ResourceBytes bytes(file, ref, owned != 0);
  return ReadInterfaceRules(bytes.Data(), bytes.Size(), rules);
}

// A copy of the resource at `index` of its type into the block's file.
void CopyResource(VResourceFile* from, uint32_t type, int32_t index, VResourceFile* to) {
  uint8_t owned = 0;
  const VResourceRef ref = from->GetIndResource(type, static_cast<int16_t>(index), &owned);
  if (ref == 0) return;
  const int16_t id = from->GetResourceId(ref);
  VStr<255> name;
  from->GetResourceNameOfHandle(&name, ref);
  ResourceBytes bytes(from, ref, owned != 0);
  if (bytes.Data() == nullptr && bytes.Size() != 0) return;
  to->AddResource(type, id, name.GetLength() > 0 ? &name : nullptr, bytes.Data(), bytes.Size());
}

// The stored block under (type, name), detached from the file; 0 for none.
VMemHandle DetachNamed(VResourceFile* file, uint32_t type, const VString& name) {
  if (file == nullptr || name.GetLength() == 0) return 0;
  uint8_t owned = 0;
  const VResourceRef ref = file->GetNamedResource(type, &name, &owned);
  if (ref == 0) return 0;
  const VMemHandle handle = file->DetachResource(ref);
  if (owned != 0) file->ReleaseResource(ref);
  return handle;
}

void DisposeBlock(VMemHandle& block) {
  if (block != 0 && gMemoryMgr != nullptr) gMemoryMgr->DisposeHandle(block);
  block = 0;
}

// Stores the block as a new resource (type, fresh id, name) and writes the
// file.
void AddBlock(VResourceFile* file, uint32_t type, const VString& name, VMemHandle block) {
  VHandleLocker lock(block);
  if (!lock) return;
  file->AddResource(type, -1, &name, lock.Data(), gMemoryMgr->GetHandleSize(block));
  lock.Unlock();
  file->UpdateFile();
}

}  // namespace

bool ReadInterfaceRules(const uint8_t* data, size_t size, VInterfaceRules& out) {
  out.stamp = 0;
  out.rules.clear();
  VByteReader reader(data, size);
  const uint32_t stamp = reader.U32();
  const int16_t count = reader.I16();
  if (reader.Failed()) return false;
  out.stamp = stamp;
  // The count comes from a user's file: only the whole rules the data
  // holds are taken.
  const size_t held = reader.Remaining() / kInterfaceRuleSize;
  const size_t n = count > 0 ? std::min(static_cast<size_t>(count), held) : 0;
  out.rules.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    VInterfaceRule rule;
    rule.type = reader.U32();
    rule.firstId = reader.I16();
    rule.lastId = reader.I16();
    out.rules.push_back(rule);
  }
  return true;
}

bool ReadInterfaceStamp(const uint8_t* data, size_t size, uint32_t& stamp) {
  VByteReader reader(data, size);
  stamp = reader.U32();
  if (reader.Failed()) stamp = 0;
  return !reader.Failed();
}

VMemHandle BuildDockBlock(VResourceFile* file, const VString& name, int16_t id) {
  if (file == nullptr || gMemoryMgr == nullptr) return 0;
  // A block ready made in the module.
  if (const VMemHandle ready = DetachNamed(file, kResTypeDockBlock, name)) return ready;

  const VMemHandle block = gMemoryMgr->NewHandle(0, 0);
  if (block == 0) return 0;
  VInterfaceRules rules;
  ReadRulesOf(file, id, rules);
  {
    VMemoryResourceFile memory(block, 1);
    if (rules.rules.empty()) {
      for (uint32_t type : kDefaultInterfaceTypes) {
        for (int32_t i = file->CountResources(type); i >= 1; --i) CopyResource(file, type, i, &memory);
      }
    } else {
      for (auto rule = rules.rules.rbegin(); rule != rules.rules.rend(); ++rule) {
        for (int32_t i = file->CountResources(rule->type); i >= 1; --i) {
          if (rule->firstId != -1) {
            const int16_t resId = file->GetIndResourceId(rule->type, i);
            if (resId < rule->firstId || resId > rule->lastId) continue;
          }
          CopyResource(file, rule->type, i, &memory);
        }
      }
    }
    uint8_t stamp[4];
    std::memcpy(stamp, &rules.stamp, sizeof stamp);
    memory.AddResource(kResTypeInterfaceStamp, 0, nullptr, stamp, sizeof stamp);
    memory.UpdateFile();
  }
  return block;
}

bool IsInterfaceBlockValid(VMemHandle block, VResourceFile* moduleFile, int16_t id) {
  if (block == 0 || moduleFile == nullptr) return false;
  VInterfaceRules rules;
  if (!ReadRulesOf(moduleFile, id, rules)) return false;
  VMemoryResourceFile memory(block, 0);
  if (!memory.IsOpen()) return false;
  uint8_t owned = 0;
  const VResourceRef ref = memory.GetResource(kResTypeInterfaceStamp, 0, &owned);
  if (ref == 0) return false;
  ResourceBytes bytes(&memory, ref, owned != 0);
  uint32_t stamp = 0;
  return ReadInterfaceStamp(bytes.Data(), bytes.Size(), stamp) && stamp == rules.stamp;
}

VMemHandle FindStoredInterfaceBlock(VResourceFile* shared, VResourceFile* hostFile, VResourceFile* prefs,
                                    uint32_t type, const VString& key, const VString& areaName) {
  // The shared file first, then the host's file, by the key and by the
  // area's name; the preferences by the area's name last.
  VMemHandle block = DetachNamed(shared, type, key);
  if (block == 0) block = DetachNamed(shared, type, areaName);
  if (block == 0) block = DetachNamed(hostFile, type, key);
  if (block == 0) block = DetachNamed(hostFile, type, areaName);
  if (block == 0) block = DetachNamed(prefs, type, areaName);
  return block;
}

uint32_t VPlugIn::GetBlockType() {
  EnsureDocMgr();
  return fDocMgr != nullptr ? fDocMgr->GetSignature() : 0;
}

void VPlugIn::LoadInterface(const VString& name) {
  const int16_t id = static_cast<int16_t>(GetResourceId());
  VResourceFile* module = GetModuleFile();
  VMacResourceFile* prefs = GetPrefsFile();
  VMemHandle block = 0;
  uint32_t type = kResTypeDockBlock;
  const VString& key = IsFormArea() && name.GetLength() == 0 ? static_cast<const VString&>(fAreaName) : name;
  if (IsFormArea()) {
    type = GetBlockType();
    VResourceFile* hostFile = gHostContext != nullptr ? gHostContext->GetHostMacResourceFile() : nullptr;
    block = FindStoredInterfaceBlock(fSharedFile, hostFile, prefs, type, key, fAreaName);
  } else {
    block = DetachNamed(prefs, kResTypeDockBlock, name);
  }
  if (block != 0 && !IsInterfaceBlockValid(block, module, id)) DisposeBlock(block);

  if (block == 0) {
    const VString& buildKey = IsFormArea() ? static_cast<const VString&>(fAreaName) : name;
    block = BuildDockBlock(module, buildKey, id);
    if (block != 0) {
      if (IsFormArea() && fSharedFile != nullptr) {
        fSharedFile->RemoveNamedResource(type, &fAreaName);
        AddBlock(fSharedFile, type, fAreaName, block);
      } else if (!IsFormArea() && prefs != nullptr) {
        prefs->RemoveNamedResource(kResTypeDockBlock, &name);
        AddBlock(prefs, kResTypeDockBlock, name, block);
      }
    }
  }
  if (block == 0) return;
  {
    VMemoryResourceFile memory(block, 0);
    fCommands.LoadCommands(&memory, id);
    LoadShortcutResource(&memory, id);
    // The bars of 'XDOK' are made by the dock while the area has a port.
    if (VPort* port = GetPort()) {
      LoadDockDescription(this, &memory, id, port);
      FlushWindow();
    }
  }
  if (fInterfaceBlock != 0) DisposeBlock(fInterfaceBlock);
  fInterfaceBlock = block;
  Invalidate(1);
}

void VPlugIn::SaveDocks(const VString& name) {
  if (fInterfaceBlock == 0 || fWindowView == nullptr) return;
  const int16_t id = static_cast<int16_t>(GetResourceId());
  {
    VMemoryResourceFile memory(fInterfaceBlock, 0);
    if (!memory.HasResource(kResTypeDockLayout, id)) return;
    if (!WriteDockLayout(memory, id)) return;
    memory.UpdateFile();
  }
  VResourceFile* target = nullptr;
  uint32_t type = kResTypeDockBlock;
  const VString& key = IsFormArea() && name.GetLength() == 0 ? static_cast<const VString&>(fAreaName) : name;
  if (IsFormArea()) {
    target = fSharedFile != nullptr ? static_cast<VResourceFile*>(fSharedFile) : GetPrefsFile();
    type = GetBlockType();
  } else {
    target = GetPrefsFile();
  }
  if (target == nullptr || key.GetLength() == 0) return;
  const uint32_t size = gMemoryMgr->GetHandleSize(fInterfaceBlock);
  uint8_t owned = 0;
  const VResourceRef ref = target->GetNamedResource(type, &key, &owned);
  if (ref != 0) {
    if (target->SetResourceSize(ref, size)) {
      VHandleLocker lock(fInterfaceBlock);
      if (void* into = target->LockResource(ref)) {
        if (lock) std::memcpy(into, lock.Data(), size);
        target->UnlockResource(ref);
      }
      target->WriteResource(ref);
      if (owned != 0) target->ReleaseResource(ref);
      target->UpdateFile();
      return;
    }
    // A resource that cannot take the block's size is replaced.
    target->RemoveResourceHandle(ref);
  }
  AddBlock(target, type, key, fInterfaceBlock);
}
