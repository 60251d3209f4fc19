// VCommandTable: commands by id, read from 'XCOM' resources.
#include "views/VCommandTable.h"

#include <cstring>

#include "framework/core/streams/VByteReader.h"
#include "framework/system/resources/VResourceFile.h"
#include "views/ResourceBytes_p.h"
#include "views/VCommand.h"

namespace {

// The magnitude of an id, or -1 when it is beyond what a table takes (so
// that -2^31, whose magnitude an int32_t cannot hold, is refused too).
int32_t Magnitude(int32_t id) {
  const int64_t m = id < 0 ? -int64_t{id} : int64_t{id};
  return m > kCommandMaxId ? -1 : static_cast<int32_t>(m);
}

void ResolveTitle(VResourceFile* file, const VCommandRecord& record, VString& title) {
  if (file != nullptr) {
    file->ResolveStringRef(&title, record.title);
  } else {
    title.SetPText(record.title, kResCharSetMac);
  }
}

// The 'XCOM' resource named by a group's title; 0 when missing or when it
// is the resource being read (releasing that one would free the bytes
// under the reader).
VResourceRef FindMemberList(VResourceFile* file, const VString& name, VResourceRef self) {
  if (file == nullptr || name.GetLength() == 0) return 0;
  const VResourceRef ref = file->GetNamedResource(kResTypeCommands, &name, nullptr);
  return ref == self ? 0 : ref;
}

}  // namespace

int32_t ReadCommandRecords(const uint8_t* data, size_t size,
                           const std::function<bool(const VCommandRecord&)>& visit) {
  VByteReader reader(data, size);
  const uint16_t claimed = reader.U16();
  if (reader.Failed()) return 0;
  // A count beyond the data counts only the whole records there are.
  const size_t held = reader.Remaining() / kCommandRecordSize;
  const size_t count = claimed < held ? claimed : held;
  int32_t visited = 0;
  for (size_t i = 0; i < count; ++i) {
    VCommandRecord record{};
    record.id = reader.I32();
    const uint8_t* title = reader.Span(kCommandTitleSize);
    if (reader.Failed() || title == nullptr) break;
    // The length byte may claim up to 255 bytes of a 31-byte field.
    const uint8_t length = title[0] > kCommandTitleMaxLength ? kCommandTitleMaxLength : title[0];
    record.title[0] = length;
    std::memcpy(record.title + 1, title + 1, length);
    ++visited;
    if (!visit(record)) break;
  }
  return visited;
}

VCommandTable::VCommandTable(VResourceFile* file, int16_t id) {
  if (file != nullptr) LoadCommands(file, id);
}

VCommandTable::~VCommandTable() { DeleteAll(); }

int32_t VCommandTable::Capacity() const {
  if (fHandle == 0) return 0;
  return static_cast<int32_t>(gMemoryMgr->GetHandleSize(fHandle) / sizeof(VCommand*));
}

bool VCommandTable::Reserve(int32_t entries) {
  if (entries <= Capacity()) return true;
  const uint32_t bytes = static_cast<uint32_t>(entries) * sizeof(VCommand*);
  if (fHandle == 0) {
    const VMemHandle handle = gMemoryMgr->NewHandleClear(bytes, 0);
    if (handle == 0) return false;
    void* data = gMemoryMgr->LockHandle(handle);
    if (data == nullptr) {
      gMemoryMgr->DisposeHandle(handle);
      return false;
    }
    fHandle = handle;
    fCommands = static_cast<VCommand**>(data);
    return true;
  }
  gMemoryMgr->UnlockHandle(fHandle);
  const bool grown = gMemoryMgr->SetHandleSizeClear(fHandle, bytes);
  fCommands = static_cast<VCommand**>(gMemoryMgr->LockHandle(fHandle));
  return grown && fCommands != nullptr;
}

VCommand* VCommandTable::GetCommand(int32_t id) const {
  if (id < 1 || id > fCount || fCommands == nullptr) return nullptr;
  return fCommands[id - 1];
}

bool VCommandTable::IsCommandEnabled(int32_t id) const {
  const VCommand* command = GetCommand(id);
  return command != nullptr && command->IsEnabled();
}

VCommand* VCommandTable::Place(int32_t id, const VString& title, bool isGroup) {
  auto* command = new VCommand(id, title, isGroup);
  if (command == nullptr) return nullptr;
  // A later record of the same id replaces the earlier command; deleting it
  // takes it out of its group and clears its listeners' references.
  delete fCommands[id - 1];
  fCommands[id - 1] = command;
  return command;
}

VCommand* VCommandTable::AddCommand(int32_t id, const VString& title) {
  if (id < 1 || id > kCommandMaxId || GetCommand(id) != nullptr) return nullptr;
  if (!Reserve(id)) return nullptr;
  VCommand* command = Place(id, title, false);
  if (command != nullptr && id > fCount) fCount = id;
  return command;
}

void VCommandTable::DeleteCommand(int32_t id) {
  VCommand* command = GetCommand(id);
  if (command == nullptr) return;
  fCommands[id - 1] = nullptr;
  delete command;
}

void VCommandTable::DeleteAll() {
  if (fHandle == 0) return;
  const int32_t capacity = Capacity();
  // Members first would be as good; each deletion unlinks itself from its
  // group, so any order leaves no command pointing at a deleted one.
  for (int32_t i = 0; i < capacity; ++i) {
    VCommand* command = fCommands[i];
    fCommands[i] = nullptr;
    delete command;
  }
  gMemoryMgr->UnlockHandle(fHandle);
  gMemoryMgr->DisposeHandle(fHandle);
  fHandle = 0;
  fCommands = nullptr;
  fCount = 0;
}

void VCommandTable::LoadCommands(VResourceFile* file, int16_t id) {
  DeleteAll();
  if (file == nullptr) return;
  LockedResource resource(file, file->GetResource(kResTypeCommands, id, nullptr));
  if (resource.Data() == nullptr) return;
  LoadCommandBytes(resource.Data(), resource.Size(), file, resource.Ref());
}

void VCommandTable::LoadCommandBytes(const uint8_t* data, size_t size, VResourceFile* file,
                                     VResourceRef self) {
  DeleteAll();
  int32_t largest = 0;
  bool failed = false;
  VStr<255> title;
  auto place = [&](const VCommandRecord& record, bool isGroup) -> VCommand* {
    const int32_t n = Magnitude(record.id);
    if (n <= 0) return nullptr;
    if (!Reserve(n + 100)) {
      failed = true;
      return nullptr;
    }
    ResolveTitle(file, record, title);
    VCommand* command = Place(n, title, isGroup);
    if (command == nullptr) {
      failed = true;
      return nullptr;
    }
    if (n > largest) largest = n;
    return command;
  };
  ReadCommandRecords(data, size, [&](const VCommandRecord& record) {
    VCommand* group = place(record, record.id < 0);
    if (failed) return false;
    if (group == nullptr || record.id >= 0) return true;
    // The group's title names the 'XCOM' resource of its members. The list
    // being read is no member list of its own.
    LockedResource members(file, FindMemberList(file, group->GetTitle(), self));
    if (members.Data() == nullptr) return true;
    ReadCommandRecords(members.Data(), members.Size(), [&](const VCommandRecord& entry) {
      // A member of the group's own id would delete the group under it.
      if (Magnitude(entry.id) == group->GetId()) return true;
      VCommand* member = place(entry, false);
      if (member != nullptr) {
        member->SetGroupCommand(group);
        group->AddMember(member);
      }
      return !failed;
    });
    return !failed;
  });
  // The table keeps exactly the entries up to the largest id.
  fCount = largest;
  if (fHandle == 0) return;
  if (largest == 0) {
    DeleteAll();
    return;
  }
  gMemoryMgr->UnlockHandle(fHandle);
  gMemoryMgr->SetHandleSize(fHandle, static_cast<uint32_t>(largest) * sizeof(VCommand*));
  fCommands = static_cast<VCommand**>(gMemoryMgr->LockHandle(fHandle));
}

bool VCommandTable::UpdateEditCommands(uint8_t mask, const VString& undoTitle,
                                       const VString& redoTitle, bool force) {
  constexpr int32_t kEditCommands = 7;
  uint8_t current = 0;
  for (int32_t k = 1; k <= kEditCommands; ++k) {
    if (IsCommandEnabled(k)) current |= static_cast<uint8_t>(1u << (k - 1));
  }
  if (VCommand* undo = GetCommand(1)) undo->SetTitle(undoTitle);
  if (VCommand* redo = GetCommand(2)) redo->SetTitle(redoTitle);
  // Only the seven bits of the edit commands take part.
  mask &= 0x7F;
  if (!force && current == mask) return false;
  // The controls of a command whose state changed are drawn again (mode
  // 1), so that a bar's Cut, Copy and Paste show at once what the new
  // selection allows.
  for (int32_t k = 1; k <= kEditCommands; ++k) {
    if (VCommand* command = GetCommand(k)) command->SetEnabled((mask >> (k - 1)) & 1, 1);
  }
  return true;
}

void LoadCommandList(VListOf<VCommand*>& list, VResourceFile* file, int16_t id) {
  if (file == nullptr) return;
  LockedResource resource(file, file->GetResource(kResTypeCommands, id, nullptr));
  if (resource.Data() == nullptr) return;
  LoadCommandListBytes(list, resource.Data(), resource.Size(), file, resource.Ref());
}

void LoadCommandListBytes(VListOf<VCommand*>& list, const uint8_t* data, size_t size,
                          VResourceFile* file, VResourceRef self) {
  list.RemoveAll(true);
  VStr<255> title;
  ReadCommandRecords(data, size, [&](const VCommandRecord& record) {
    const int32_t n = Magnitude(record.id);
    if (n < 0) return true;
    ResolveTitle(file, record, title);
    VCommand* group = new VCommand(n, title, record.id < 0);
    list.AddLast(&group);
    if (record.id >= 0) return true;
    LockedResource members(file, FindMemberList(file, group->GetTitle(), self));
    if (members.Data() == nullptr) return true;
    ReadCommandRecords(members.Data(), members.Size(), [&](const VCommandRecord& entry) {
      const int32_t m = Magnitude(entry.id);
      if (m < 0) return true;
      ResolveTitle(file, entry, title);
      VCommand* member = new VCommand(m, title, false);
      member->SetGroupCommand(group);
      group->AddMember(member);
      list.AddLast(&member);
      return true;
    });
    return true;
  });
}
