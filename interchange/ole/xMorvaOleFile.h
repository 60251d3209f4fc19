// xMorvaOleFile: the compound file container (512-byte sectors, 64-byte
// mini sectors) that Word documents live in: reads its directory and hands
// out its streams, or builds a new file from streams and storages.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/core/VObject.h"

class VStream;
class VFile;

// Result codes of every operation.
constexpr int32_t kOleNoError = 0;
constexpr int32_t kOleNotCompound = 1;
constexpr int32_t kOleDamaged = 2;
constexpr int32_t kOleNoMemory = 4;
constexpr int32_t kOleNotFound = 5;
constexpr int32_t kOleNotOpen = 6;
constexpr int32_t kOleOpenForWriting = 7;
constexpr int32_t kOleOpenForReading = 8;
constexpr int32_t kOleWriteError = 9;
constexpr int32_t kOleNotPlanned = 10;
constexpr int32_t kOlePlannedTwice = 11;

// Directory entry types.
constexpr uint16_t kOleEmpty = 0;
constexpr uint16_t kOleStorage = 1;
constexpr uint16_t kOleStream = 2;
constexpr uint16_t kOleRoot = 5;

// A stream of a file being read, read by range: its size and the places
// of its data, checked to hold that size when it was opened.
struct xMorvaOleStreamRange {
  uint32_t size = 0;
  bool small = false;
  uint32_t unit = 512;
  std::vector<uint32_t> chain;
};

// One object either reads or writes a file, never both. It works on a byte
// stream over the file that the caller opens and hands in; the stream is not
// owned. Entry numbers count from 1 (the root); -1 is no entry. Every stored
// integer is little-endian. A stream's size is 32-bit (the high half of the
// stored size is written 0 and ignored when read); names have at most 31
// UTF-16 units and are compared without regard to ASCII case.
class xMorvaOleFile : public VObject {
 public:
  struct Entry {
    std::u16string name;
    uint16_t type = kOleEmpty;
    uint32_t start = 0;
    uint32_t size = 0;
    int32_t left = -1;
    int32_t right = -1;
    int32_t child = -1;
    // The data lives in the mini stream.
    bool small = false;
  };

  explicit xMorvaOleFile(VStream& file);
  ~xMorvaOleFile() override;
  xMorvaOleFile(const xMorvaOleFile&) = delete;
  xMorvaOleFile& operator=(const xMorvaOleFile&) = delete;

  // Reading.
  int32_t OpenForReading();
  int32_t CloseReading();
  int32_t EnterStorage(std::u16string_view name);
  // The stream handed out stays this object's: CloseStream (or closing the
  // file) deletes it. It holds exactly the entry's size in bytes.
  int32_t OpenStream(std::u16string_view name, VStream*& out);
  int32_t OpenStreamAt(int32_t entry, VStream*& out);
  // A whole stream's bytes read straight into `out`, without a stream of
  // its own in between: the codes of OpenStream; `out` is empty but on
  // success.
  int32_t ReadStreamBytes(std::u16string_view name, std::vector<uint8_t>& out);
  // A stream opened to be read by range, without its bytes: the codes of
  // OpenStream. The range stays valid while the file is open for reading.
  int32_t OpenStreamRange(std::u16string_view name, xMorvaOleStreamRange& out);
  // Bytes [offset, offset + count) of the stream into `into`; what the
  // file lacks past its cut-short end reads as zeros. kOleDamaged when the
  // bytes pass the stream's end or cannot be read.
  int32_t ReadRange(const xMorvaOleStreamRange& range, uint32_t offset, uint32_t count, uint8_t* into);
  uint32_t GetUnusedBytes();

  // Writing.
  int32_t OpenForWriting();
  int32_t CreateStream(std::u16string_view name, VStream*& out);
  int32_t CreateStorage(std::u16string_view name, int32_t& number);
  int32_t FinishWriting();

  int32_t CloseStream(VStream* stream);
  // The child of `entry` becomes the stream's entry.
  int32_t SetChild(VStream* stream, int32_t entry);
  // The left (right) sibling of the stream's entry becomes `entry`, or the
  // entry of `other`.
  int32_t SetLeftSibling(VStream* stream, int32_t entry);
  int32_t SetLeftSibling(VStream* stream, VStream* other);
  int32_t SetRightSibling(VStream* stream, int32_t entry);
  int32_t SetRightSibling(VStream* stream, VStream* other);

  int32_t GetRootIndex() const;
  int32_t FindEntry(std::u16string_view name) const;
  int32_t GetEntryCount() const { return int32_t(fEntries.size()); }
  // Null for a number out of range.
  const Entry* GetEntry(int32_t number) const;

 private:
  struct OpenRow {
    std::unique_ptr<VStream> stream;
    std::unique_ptr<VFile> scratch;
    VMemHandle handle = 0;
    int32_t entry = -1;
  };
  // Fills `count` bytes of a stream being placed, piece by piece.
  using Source = bool (*)(void* context, uint8_t* into, uint32_t count);

  bool ReadAt(uint32_t position, void* into, uint32_t count);
  bool WriteAt(uint32_t position, const void* data, uint32_t count);
  int32_t ReadTables();
  int32_t ReadChain(uint32_t start, const std::vector<uint32_t>& table, uint32_t limit,
                    std::vector<uint32_t>& chain) const;
  bool InStorage(int32_t entry, int32_t storage) const;
  // The entry named `name` in the storage open for reading (the root when
  // none is): its number, or -1.
  int32_t FindInStorage(std::u16string_view name) const;
  // A stream entry with data, or null.
  const Entry* ReadableEntry(int32_t number) const;
  // The chain of an entry's data (sectors, or mini sectors of `unit`
  // bytes), checked to hold its size: 0, or kOleDamaged.
  int32_t EntryChain(const Entry& entry, std::vector<uint32_t>& chain, uint32_t& unit) const;
  // Where link `link` of an entry's chain lies in the file.
  uint32_t ChainPosition(const Entry& entry, uint32_t link) const;
  int32_t NewDataStream(uint32_t size, OpenRow& row);
  OpenRow* FindRow(VStream* stream, size_t* index = nullptr);
  void DropRow(size_t index);
  void FreeTables();
  int32_t AddEntry(std::u16string_view name, uint16_t type);
  int32_t WriteStreamData(Entry& entry, uint32_t length, Source source, void* context);
  int32_t PlaceRegular(uint32_t length, Source source, void* context, uint32_t& start);
  int32_t PlaceSmall(uint32_t length, Source source, void* context, uint32_t& start);
  void SetFat(uint32_t sector, uint32_t value);
  void SetMiniFat(uint32_t sector, uint32_t value);
  int32_t PlanTables();
  int32_t WriteTables();

  VStream& fFile;
  std::vector<uint32_t> fFat;
  std::vector<uint32_t> fMiniFat;
  std::vector<OpenRow> fOpen;
  // Reading: the sectors that hold the mini stream, in chain order.
  std::vector<uint32_t> fMiniStreamSectors;
  std::vector<Entry> fEntries;
  bool fReading = false;
  bool fWriting = false;
  bool fWasOpen = false;
  bool fPlanned = false;
  // Writing: the next free sector (sector n lies at (n + 1) x 512), the next
  // free mini sector, and the last sector of the mini stream (none yet:
  // kNoSector).
  uint32_t fNextSector = 0;
  uint32_t fNextMini = 0;
  uint32_t fMiniLastSector = 0xFFFFFFFFu;
  int32_t fStorage = -1;
  uint32_t fCutoff = 4096;
  uint32_t fFileLength = 0;
  uint32_t fSectorCount = 0;
  // The planned layout of the tables.
  uint32_t fFatSectors = 0;
  uint32_t fFatStart = 0;
  uint32_t fDirSectors = 0;
  uint32_t fDirStart = 0;
  uint32_t fMiniFatSectors = 0;
  uint32_t fMiniFatStart = 0;
  uint32_t fDifatSectors = 0;
  uint32_t fDifatStart = 0;
};
