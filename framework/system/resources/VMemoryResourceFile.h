// VMemoryResourceFile: the framework's own resource container, a whole file
// of typed resources held in one block of memory (a memory-manager handle,
// or read-only bytes given by address), with its stored format "SERV0010".
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "framework/system/resources/VResourceFile.h"

// Stored format. Every multi-byte field is in the byte order of the machine
// that wrote the block; the reader learns it from the magic.
//
// Header, 12 bytes:
//   magic    u32  0x56524553: the bytes "SERV" written on a little-endian
//                 machine, "VRES" on a big-endian one
//   version  u32  0x30313030 ("0010" little-endian) in blocks made here;
//                 not checked, and written back as read
//   count    u32  the number of entries
// Then the entries, one after the other:
//   marker   u32  0x8E8EA1A1 (bytes A1 A1 8E 8E little-endian)
//   type     u32  four-character code
//   name     32   a length byte (at most 31) and Macintosh text; the bytes
//                 behind the text are written as zeros
//   length   u32  the number of data bytes
//   id       i16
//   reserved 2    0 in entries made here; kept as read
//   data     length bytes
//   padding  0 to 3 zero bytes up to a multiple of 4
// A writer puts the entries in ascending order of type (unsigned) and, within
// a type, of id (signed). The data itself is converted between byte orders by
// the resource byte-order procedure, per type; the container never looks
// inside it.
//
// A reader walks from offset 12 while the count lasts: a word that is not a
// marker is skipped and uses up one of the count; an entry whose head or data
// would reach past the block ends the walk; an entry whose type and id are
// already present is dropped (the first wins); a name length above 31 is
// taken as 31. Nothing is read outside the block, and the block itself is
// never changed by reading: data of the other byte order is converted in
// copies (the loaded handles, the rewritten image). A handle that held
// entries is rewritten in canonical form when the container goes, unless
// the walk met an entry running past its end: a damaged block stays as it
// was until something in it is changed.
constexpr uint32_t kMemResMagic = 0x56524553;
constexpr uint32_t kMemResMagicSwapped = 0x53455256;
constexpr uint32_t kMemResVersion = 0x30313030;
constexpr uint32_t kMemResMarker = 0x8E8EA1A1;
constexpr uint32_t kMemResHeaderSize = 12;
constexpr uint32_t kMemResEntryHeadSize = 48;
// UpdateFile's answer for a container that is not open.
constexpr int32_t kMemResNotOpen = 400;

// References handed out are the entries' data handles (memory-manager
// handles), which the container owns: the owned flag of every lookup is
// false. Texts are Macintosh-encoded.
class VMemoryResourceFile : public VResourceFile {
 public:
  // The block is the handle. With `create`, a new empty file is made (and
  // written into the handle by UpdateFile or at deletion); otherwise the
  // handle's contents are read.
  VMemoryResourceFile(VMemHandle handle, uint8_t create);
  // The given bytes, read only; they must outlive the container.
  VMemoryResourceFile(const void* block, uint32_t size);
  // Writes the file back when it is open, modified and not read only, then
  // frees every entry and data handle.
  ~VMemoryResourceFile() override;

  int16_t AddResource(uint32_t type, int16_t id, const VString* name, const void* data,
                      uint32_t size) override;
  bool RemoveResourceHandle(VResourceRef ref) override;
  bool RemoveResource(uint32_t type, int16_t id) override;
  VResourceRef GetResource(uint32_t type, int16_t id, uint8_t* owned) override;
  int16_t GetResourceId(VResourceRef ref) override;
  int16_t GetIndResourceId(uint32_t type, int32_t index) override;
  int16_t GetPNamedResourceId(uint32_t type, const uint8_t* name) override;
  int16_t GetNamedResourceId(uint32_t type, const VString* name) override;
  VLongArray* GetResourceTypes() override;
  // A random id from 1 to 31999 that the type does not use; 1 for an empty
  // file; -1 when the type uses every one of them.
  int16_t UniqueResourceId(uint32_t type) override;
  VStringArray* GetResourceNames(uint32_t type) override;
  VWordArray* GetResourceIds(uint32_t type) override;
  void ReleaseResourceById(uint32_t type, int16_t id) override;
  void ReleaseResource(VResourceRef ref) override;
  // 0; 400 when not open; 100 when memory runs out (the block is then as
  // it was).
  int32_t UpdateFile() override;
  VResourceRef GetIndResource(uint32_t type, int16_t index, uint8_t* owned) override;
  void GetResourceName(VString* out, uint32_t type, int16_t id) override;
  void GetResourceNameOfHandle(VString* out, VResourceRef ref) override;
  bool IsOpen() override;
  int32_t CountResources(uint32_t type) override;
  void* LockResource(VResourceRef ref) override;
  void UnlockResource(VResourceRef ref) override;
  uint32_t GetResourceSize(VResourceRef ref) override;
  bool SetResourceSize(VResourceRef ref, uint32_t size) override;
  VMemHandle DetachResource(VResourceRef ref) override;
  void WriteResource(VResourceRef ref) override;
  uint32_t GetResourceSizeById(uint32_t type, int16_t id) override;
  bool RemoveResources(uint32_t type) override;
  void SetResourceName(uint32_t type, int16_t id, const VString* name) override;
  bool HasResource(uint32_t type, int16_t id) override;

  // Whether the block was written in the other byte order (until the next
  // successful UpdateFile).
  bool IsOtherOrder() const { return fOtherOrder != 0; }
  bool IsModified() const { return fModified != 0; }
  // A number that changes whenever an entry is added, removed, renamed or
  // written, and that no other container ever bears: what a reader makes
  // of the entries (the names shown of them, say) holds while it stays.
  uint64_t GetChangeStamp() const { return fStamp; }

 private:
  struct Entry {
    uint32_t type = 0;
    uint8_t name[32] = {};
    uint32_t length = 0;
    int16_t id = 0;
    uint8_t reserved[2] = {};
    uint32_t dataOffset = 0xFFFFFFFF;  // none: the data exists only in memory
    VMemHandle dataHandle = 0;
    int16_t useCount = 0;
    uint8_t changed = 0;    // the handle holds the only or the newest copy
    uint8_t converted = 0;  // the handle's data was turned into native order
    uint8_t loading = 0;
    int32_t inUseAt = -1;  // its place in fInUse; -1 when not in use
  };
  using IdMap = std::map<int16_t, Entry*>;

  void Read();
  // The bytes of the block and their size; the handle is locked until
  // ReleaseBlock.
  const uint8_t* AcquireBlock(uint32_t& size);
  void ReleaseBlock();
  Entry* Find(uint32_t type, int16_t id) const;
  Entry* FindByRef(VResourceRef ref) const;
  // The index-th entry of the type (1-based) in ascending id order; null
  // for an index outside the type.
  Entry* FindByIndex(uint32_t type, int32_t index) const;
  const IdMap* IdsOf(uint32_t type) const;
  // Takes the entry into the index; false (entry not taken) when its type
  // and id are present.
  bool Insert(Entry* entry);
  void Remove(Entry* entry);
  void EnterInUse(Entry* entry);
  void LeaveInUse(Entry* entry);
  // Turns data of the other byte order into native order, in place.
  void ConvertToNative(uint32_t type, uint32_t length, void* data);
  VResourceRef Load(Entry* entry);
  void Release(Entry* entry);
  bool Writable() const { return fOpen != 0 && fReadOnly == 0; }
  static void SetNameField(uint8_t field[32], const VString* name);
  static uint64_t NextStamp();
  // An entry was added, removed, renamed or written.
  void Changed();

  VMemHandle fHandle = 0;
  const uint8_t* fPointer = nullptr;
  uint32_t fPointerSize = 0;
  std::vector<Entry*> fInUse;
  // The entry in use that FindByRef found or Load handed out last: the
  // calls on one reference come one after the other.
  mutable Entry* fLastUsed = nullptr;
  uint8_t fReadOnly = 0;
  uint8_t fOpen = 0;
  uint8_t fModified = 0;
  uint8_t fOtherOrder = 0;
  uint32_t fMagic = 0;
  uint32_t fVersion = 0;
  uint32_t fCount = 0;
  std::map<uint32_t, IdMap> fIndex;
  uint64_t fStamp = NextStamp();
  // The entry FindByIndex found last, while nothing changed since: the
  // next index is one step from it, so a walk by index over a type takes
  // time in proportion to its entries.
  mutable uint64_t fFoundStamp = 0;
  mutable uint32_t fFoundType = 0;
  mutable int32_t fFoundIndex = 0;
  mutable IdMap::const_iterator fFound;
};
