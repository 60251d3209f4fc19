// VCommandTable: an area's commands addressed by id (the entry of id n is
// element n - 1 of an array of command pointers kept in a memory-manager
// handle), filled from 'XCOM' resources; and the reading of those resources.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "framework/core/VObject.h"
#include "framework/core/containers/VListOf.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/system/resources/VResourceFile.h"

class VCommand;
class VString;

constexpr uint32_t kResTypeCommands = FourCC("XCOM");

// 'XCOM', in native order once the resource layer has converted it:
//   count   u16
//   then count records of 36 bytes:
//     id     s32  0 = an empty record; negative = a group whose members are
//                 the records of the 'XCOM' resource named by its title
//     title  32   a length byte and at most 31 bytes of Macintosh text, or a
//                 string reference ":list,index"
// The count is trusted only as far as the data holds whole records. These
// resources also come from interface blocks kept in users' preference files.
constexpr size_t kCommandRecordSize = 36;
constexpr size_t kCommandTitleSize = 32;
constexpr uint8_t kCommandTitleMaxLength = 31;
// Commands are addressed by id, so one large id would size a table of
// billions of entries: records whose id is beyond this are skipped.
constexpr int32_t kCommandMaxId = 32767;

struct VCommandRecord {
  int32_t id;
  // A length byte (at most 31) and the text, zero-filled behind it.
  uint8_t title[kCommandTitleSize];
};

// Walks the records of 'XCOM' bytes (native order) that lie wholly inside
// the data, titles cut to 31 bytes; stops early when `visit` answers false.
// Answers the number of records visited.
int32_t ReadCommandRecords(const uint8_t* data, size_t size,
                           const std::function<bool(const VCommandRecord&)>& visit);

class VCommandTable : public VObject {
 public:
  // Empty; with a file, loaded from its 'XCOM' `id`.
  VCommandTable(VResourceFile* file = nullptr, int16_t id = 0);
  ~VCommandTable() override;
  VCommandTable(const VCommandTable&) = delete;
  VCommandTable& operator=(const VCommandTable&) = delete;

  // Deletes every command, then reads 'XCOM' `id` of the file (nothing
  // more when it is missing).
  void LoadCommands(VResourceFile* file, int16_t id);
  // The same reading from bytes of an 'XCOM' resource in native order; the
  // file, when given, resolves string references and gives member lists;
  // `self` is the reference of the resource the bytes are, when they are
  // one of the file's, which is then never read as a member list.
  void LoadCommandBytes(const uint8_t* data, size_t size, VResourceFile* file,
                        VResourceRef self = 0);

  int32_t GetCount() const { return fCount; }
  // None when id is outside 1..count or its entry is empty.
  VCommand* GetCommand(int32_t id) const;
  bool IsCommandEnabled(int32_t id) const;
  // None when id < 1, id is beyond the largest id a table takes, the id is
  // taken or the table cannot grow.
  VCommand* AddCommand(int32_t id, const VString& title);
  void DeleteCommand(int32_t id);
  // Sets the titles of commands 1 (undo) and 2 (redo) and, when `force` is
  // set or the enabled states of commands 1 to 7 differ from the mask (bit
  // k - 1 for id k), sets those states from it; answers whether it did.
  bool UpdateEditCommands(uint8_t mask, const VString& undoTitle, const VString& redoTitle,
                          bool force);
  void DeleteAll();

 private:
  // Makes room for at least `entries` pointers: a new array is zero-filled,
  // growing keeps the entries and zero-fills the rest.
  bool Reserve(int32_t entries);
  int32_t Capacity() const;
  // Makes a command of |id| in its entry, deleting one already there.
  VCommand* Place(int32_t id, const VString& title, bool isGroup);

  int32_t fCount = 0;
  VCommand** fCommands = nullptr;
  VMemHandle fHandle = 0;
};

// Reads 'XCOM' `id` of the file into the list (emptied first, its objects
// not deleted): every record, empty ones included, a group followed by its
// members. The caller owns the commands.
void LoadCommandList(VListOf<VCommand*>& list, VResourceFile* file, int16_t id);
// The same from bytes in native order.
void LoadCommandListBytes(VListOf<VCommand*>& list, const uint8_t* data, size_t size,
                          VResourceFile* file, VResourceRef self = 0);
