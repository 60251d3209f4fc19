// The compound file container: the header, the FAT and mini FAT chains, the
// directory and the streams, read with every index and chain checked, and
// written with the tables planned once at the end.
#include "interchange/ole/xMorvaOleFile.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>

#include "framework/core/memory/VHandleLocker.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/system/files/VFile.h"
#include "framework/system/files/VFileStream.h"
#include "platform/bytes/ByteOrder.h"
#include "platform/bytes/ByteSpanReader.h"

namespace {

// The file's layout: a 512-byte header, then sectors of 512 bytes (sector n
// at (n + 1) x 512); small streams live in 64-byte mini sectors inside the
// mini stream, which is the root entry's chain. FAT entries name the next
// sector of a chain or one of the marks below.
constexpr uint32_t kSectorSize = 512;
constexpr uint32_t kMiniSize = 64;
constexpr uint32_t kEntrySize = 128;
constexpr uint32_t kPerSector = kSectorSize / 4;
constexpr uint32_t kHeaderDifat = 109;
constexpr uint32_t kDifatPerSector = kPerSector - 1;
constexpr uint32_t kFreeSector = 0xFFFFFFFFu;
constexpr uint32_t kEndOfChain = 0xFFFFFFFEu;
constexpr uint32_t kFatSector = 0xFFFFFFFDu;
constexpr uint32_t kDifatSector = 0xFFFFFFFCu;
constexpr uint32_t kNoSector = 0xFFFFFFFFu;
constexpr uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
// The root's class: a Word document.
constexpr uint8_t kRootClass[16] = {0x06, 0x09, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                    0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c; }

bool SameName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Upper(a[i]) != Upper(b[i])) return false;
  return true;
}

// The current time as a FILETIME: 100-nanosecond units since 1601.
uint64_t FileTimeNow() {
  using namespace std::chrono;
  const auto since1970 = duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
  return uint64_t(since1970 / 100) + 116444736000000000ull;
}

// A scratch file of its own for every stream that does not fit in memory,
// so that any number of streams can be open at once.
std::unique_ptr<VFile> CreateScratchFile() {
  static std::atomic<uint32_t> counter{0};
  std::error_code error;
  std::filesystem::path folder = std::filesystem::temp_directory_path(error);
  if (error) folder = "/tmp";
  const std::string path = (folder / ("QvMorva-" + std::to_string(getpid()) + "-" +
                                      std::to_string(counter.fetch_add(1)) + ".tmp"))
                               .string();
  auto file = std::make_unique<VFile>(path.c_str());
  if (file->Create(true) != 0) return nullptr;
  file->Close(false);
  return file;
}

}  // namespace

xMorvaOleFile::xMorvaOleFile(VStream& file) : fFile(file) {}

xMorvaOleFile::~xMorvaOleFile() {
  if (fWriting) FinishWriting();
  if (fReading) CloseReading();
  FreeTables();
}

bool xMorvaOleFile::ReadAt(uint32_t position, void* into, uint32_t count) {
  if (fFile.SetPosition(position) != 0) return false;
  uint32_t got = count;
  if (fFile.ReadBytes(into, got) != 0 || got != count) return false;
  return true;
}

bool xMorvaOleFile::WriteAt(uint32_t position, const void* data, uint32_t count) {
  if (fFile.SetPosition(position) != 0) return false;
  return fFile.WriteBytes(data, count) == 0 && fFile.GetStatus() == 0;
}

void xMorvaOleFile::FreeTables() {
  while (!fOpen.empty()) DropRow(fOpen.size() - 1);
  fFat.clear();
  fMiniFat.clear();
  fMiniStreamSectors.clear();
  fEntries.clear();
  fStorage = -1;
}

// ---------------------------------------------------------------- reading

int32_t xMorvaOleFile::OpenForReading() {
  if (fWriting) return kOleOpenForWriting;
  if (fReading) return kOleNoError;
  fFile.SetByteOrders(kByteOrderLittle, kByteOrderSetThisMachine);
  const int16_t opened = fFile.OpenRead();
  if (opened != 0 && opened != kStreamAlreadyOpen) return kOleNotCompound;
  fWasOpen = opened == kStreamAlreadyOpen;
  const int32_t result = ReadTables();
  if (result != kOleNoError) {
    FreeTables();
    if (!fWasOpen) fFile.CloseRead();
    return result;
  }
  fReading = true;
  return kOleNoError;
}

int32_t xMorvaOleFile::ReadChain(uint32_t start, const std::vector<uint32_t>& table, uint32_t limit,
                                 std::vector<uint32_t>& chain) const {
  // A chain visits each sector at most once, so one longer than the sectors
  // there are is a cycle; every link must name a sector that is there.
  chain.clear();
  limit = std::min<uint64_t>(limit, table.size());
  for (uint32_t sector = start; sector != kEndOfChain; sector = table[sector]) {
    if (sector >= limit || chain.size() >= limit) return kOleDamaged;
    chain.push_back(sector);
  }
  return kOleNoError;
}

int32_t xMorvaOleFile::ReadTables() {
  uint8_t header[kSectorSize];
  fFileLength = fFile.GetSize();
  if (fFileLength < kSectorSize || !ReadAt(0, header, kSectorSize)) return kOleNotCompound;
  if (std::memcmp(header, kSignature, 8) != 0) return kOleNotCompound;
  for (int i = 8; i < 24; ++i)
    if (header[i] != 0) return kOleNotCompound;
  ByteSpanReader in(header, kSectorSize, ByteSpanReader::Order::kLittle);
  in.Seek(30);
  const uint16_t sectorShift = in.U16();
  const uint16_t miniShift = in.U16();
  // Only 512-byte sectors and 64-byte mini sectors are read: any other
  // shift would place every sector elsewhere.
  if (sectorShift != 9 || miniShift != 6) return kOleDamaged;
  in.Seek(44);
  const uint32_t fatCount = in.U32();
  const uint32_t firstDir = in.U32();
  in.Skip(4);
  fCutoff = in.U32();
  const uint32_t firstMiniFat = in.U32();
  in.Skip(4);
  uint32_t nextDifat = in.U32();
  const uint32_t difatCount = in.U32();

  fSectorCount = (fFileLength - kSectorSize + kSectorSize - 1) / kSectorSize;
  // The FAT needs no more sectors than the file holds, nor DIFAT sectors.
  if (fatCount > fSectorCount || difatCount > fSectorCount) return kOleDamaged;

  std::vector<uint32_t> fatSectors;
  bool ended = false;
  auto take = [&](uint32_t sector) {
    if (sector == kFreeSector || sector == kEndOfChain || fatSectors.size() >= fatCount) {
      ended = true;
      return true;
    }
    if (sector >= fSectorCount) return false;
    fatSectors.push_back(sector);
    return true;
  };
  for (uint32_t i = 0; i < kHeaderDifat && !ended; ++i)
    if (!take(LoadLE32(header + 76 + 4 * i))) return kOleDamaged;
  uint8_t sector[kSectorSize];
  for (uint32_t pass = 0; pass < difatCount && !ended; ++pass) {
    if (nextDifat >= fSectorCount) return kOleDamaged;
    if (!ReadAt((nextDifat + 1) * kSectorSize, sector, kSectorSize)) return kOleDamaged;
    for (uint32_t i = 0; i < kDifatPerSector && !ended; ++i)
      if (!take(LoadLE32(sector + 4 * i))) return kOleDamaged;
    nextDifat = LoadLE32(sector + 4 * kDifatPerSector);
  }
  fFat.reserve(fatSectors.size() * kPerSector);
  for (uint32_t at : fatSectors) {
    if (!ReadAt((at + 1) * kSectorSize, sector, kSectorSize)) return kOleDamaged;
    for (uint32_t i = 0; i < kPerSector; ++i) fFat.push_back(LoadLE32(sector + 4 * i));
  }

  std::vector<uint32_t> chain;
  if (ReadChain(firstDir, fFat, fSectorCount, chain) != 0 || chain.empty()) return kOleDamaged;
  for (uint32_t at : chain) {
    if (!ReadAt((at + 1) * kSectorSize, sector, kSectorSize)) return kOleDamaged;
    for (uint32_t slot = 0; slot < kSectorSize / kEntrySize; ++slot) {
      ByteSpanReader e(sector + slot * kEntrySize, kEntrySize, ByteSpanReader::Order::kLittle);
      Entry entry;
      // A name is cut at its terminator, or after 31 units when it has none.
      for (int i = 0; i < 32; ++i) {
        const char16_t c = char16_t(e.U16());
        if (c == 0) break;
        if (entry.name.size() < 31) entry.name.push_back(c);
      }
      e.Seek(66);
      entry.type = e.U8();
      e.Skip(1);
      auto link = [&]() {
        const uint32_t value = e.U32();
        return value == kFreeSector ? -1 : int32_t(std::min<uint32_t>(value, 0x7FFFFFFE) + 1);
      };
      entry.left = link();
      entry.right = link();
      entry.child = link();
      e.Seek(116);
      entry.start = e.U32();
      entry.size = e.U32();
      // An empty or unknown entry keeps its number as a placeholder, so
      // that the entries after it in the sector keep theirs.
      if (entry.type != kOleStorage && entry.type != kOleStream && entry.type != kOleRoot) {
        entry = Entry();
      }
      entry.small = entry.type == kOleStream && entry.size < fCutoff;
      fEntries.push_back(std::move(entry));
    }
  }
  const int32_t count = int32_t(fEntries.size());
  for (const Entry& entry : fEntries)
    if (entry.left > count || entry.right > count || entry.child > count) return kOleDamaged;
  if (fEntries[0].type != kOleRoot) return kOleDamaged;

  if (firstMiniFat != kEndOfChain && firstMiniFat != kFreeSector) {
    if (ReadChain(firstMiniFat, fFat, fSectorCount, chain) != 0) return kOleDamaged;
    for (uint32_t at : chain) {
      if (!ReadAt((at + 1) * kSectorSize, sector, kSectorSize)) return kOleDamaged;
      for (uint32_t i = 0; i < kPerSector; ++i) fMiniFat.push_back(LoadLE32(sector + 4 * i));
    }
  }
  if (fEntries[0].start != kEndOfChain &&
      ReadChain(fEntries[0].start, fFat, fSectorCount, fMiniStreamSectors) != 0) {
    return kOleDamaged;
  }
  return kOleNoError;
}

int32_t xMorvaOleFile::CloseReading() {
  if (!fReading) return kOleNotOpen;
  FreeTables();
  if (!fWasOpen) fFile.CloseRead();
  fReading = false;
  return kOleNoError;
}

const xMorvaOleFile::Entry* xMorvaOleFile::GetEntry(int32_t number) const {
  if (number < 1 || number > int32_t(fEntries.size())) return nullptr;
  return &fEntries[size_t(number - 1)];
}

int32_t xMorvaOleFile::GetRootIndex() const {
  const int32_t found = FindEntry(u"Root Entry");
  return found < 0 ? 1 : found;
}

int32_t xMorvaOleFile::FindEntry(std::u16string_view name) const {
  for (size_t i = 0; i < fEntries.size(); ++i)
    if (fEntries[i].type != kOleEmpty && SameName(fEntries[i].name, name)) return int32_t(i + 1);
  return -1;
}

int32_t xMorvaOleFile::EnterStorage(std::u16string_view name) {
  for (size_t i = 0; i < fEntries.size(); ++i) {
    if (fEntries[i].type == kOleStorage && SameName(fEntries[i].name, name)) {
      fStorage = int32_t(i + 1);
      return kOleNoError;
    }
  }
  return kOleNotFound;
}

bool xMorvaOleFile::InStorage(int32_t entry, int32_t storage) const {
  // The storage's members are its child and everything reached from it
  // through sibling links; a link met twice is a cycle and is not followed.
  const Entry* owner = GetEntry(storage);
  if (owner == nullptr) return false;
  std::vector<bool> seen(fEntries.size() + 1, false);
  std::vector<int32_t> pending{owner->child};
  while (!pending.empty()) {
    const int32_t at = pending.back();
    pending.pop_back();
    const Entry* member = GetEntry(at);
    if (member == nullptr || seen[size_t(at)]) continue;
    seen[size_t(at)] = true;
    if (at == entry) return true;
    pending.push_back(member->left);
    pending.push_back(member->right);
  }
  return false;
}

int32_t xMorvaOleFile::FindInStorage(std::u16string_view name) const {
  const int32_t storage = fStorage < 0 ? GetRootIndex() : fStorage;
  for (size_t i = 0; i < fEntries.size(); ++i) {
    if (fEntries[i].type != kOleEmpty && SameName(fEntries[i].name, name) &&
        InStorage(int32_t(i + 1), storage))
      return int32_t(i + 1);
  }
  return -1;
}

int32_t xMorvaOleFile::OpenStream(std::u16string_view name, VStream*& out) {
  out = nullptr;
  if (!fReading) return kOleNotOpen;
  const int32_t number = FindInStorage(name);
  return number < 0 ? kOleNotFound : OpenStreamAt(number, out);
}

int32_t xMorvaOleFile::NewDataStream(uint32_t size, OpenRow& row) {
  // In memory when a handle of the size can be had, else in a scratch file.
  row.handle = size != 0 ? gMemoryMgr->NewHandle(size, 0) : gMemoryMgr->NewEmptyHandle();
  if (row.handle != 0) {
    row.stream.reset(new VHandleStream(row.handle));
  } else {
    row.scratch = CreateScratchFile();
    if (row.scratch == nullptr) return kOleNoMemory;
    row.stream.reset(new VFileStream(row.scratch.get(), false));
  }
  row.stream->SetByteOrders(kByteOrderLittle, kByteOrderSetThisMachine);
  if (row.stream->OpenWrite() != 0) return kOleNoMemory;
  if (row.handle != 0) row.stream->SetSize(0);
  return kOleNoError;
}

int32_t xMorvaOleFile::EntryChain(const Entry& entry, std::vector<uint32_t>& chain,
                                  uint32_t& unit) const {
  chain.clear();
  unit = kSectorSize;
  if (entry.small) {
    unit = kMiniSize;
    const uint64_t miniSectors = uint64_t(fMiniStreamSectors.size()) * (kSectorSize / kMiniSize);
    if (ReadChain(entry.start, fMiniFat, uint32_t(std::min<uint64_t>(miniSectors, 0xFFFFFFFFu)),
                  chain) != 0)
      return kOleDamaged;
  } else if (ReadChain(entry.start, fFat, fSectorCount, chain) != 0) {
    return kOleDamaged;
  }
  if (uint64_t(chain.size()) * unit < entry.size || entry.size > fFileLength) return kOleDamaged;
  return kOleNoError;
}

uint32_t xMorvaOleFile::ChainPosition(const Entry& entry, uint32_t link) const {
  if (!entry.small) return (link + 1) * kSectorSize;
  return (fMiniStreamSectors[link / 8] + 1) * kSectorSize + (link % 8) * kMiniSize;
}

const xMorvaOleFile::Entry* xMorvaOleFile::ReadableEntry(int32_t number) const {
  const Entry* entry = GetEntry(number);
  if (entry == nullptr || entry->size == 0 ||
      (entry->type != kOleStream && entry->type != kOleRoot))
    return nullptr;
  return entry;
}

int32_t xMorvaOleFile::OpenStreamAt(int32_t number, VStream*& out) {
  out = nullptr;
  if (!fReading) return kOleNotOpen;
  const Entry* entry = ReadableEntry(number);
  if (entry == nullptr) return kOleNotFound;
  // The data's places, checked before anything the size of the stream is
  // allocated.
  std::vector<uint32_t> chain;
  uint32_t unit = kSectorSize;
  if (const int32_t checked = EntryChain(*entry, chain, unit); checked != kOleNoError)
    return checked;

  OpenRow row;
  row.entry = number;
  int32_t result = NewDataStream(entry->size, row);
  uint8_t buffer[kSectorSize];
  uint32_t left = entry->size;
  for (size_t i = 0; result == kOleNoError && left != 0; ++i) {
    const uint32_t position = ChainPosition(*entry, chain[i]);
    const uint32_t count = std::min(left, unit);
    // The file's last sector may be cut short: what is missing reads as zeros.
    std::memset(buffer, 0, unit);
    const uint32_t present = position < fFileLength ? std::min(count, fFileLength - position) : 0;
    if (present != 0 && !ReadAt(position, buffer, present)) result = kOleDamaged;
    if (result == kOleNoError && row.stream->WriteBytes(buffer, count) != 0) result = kOleNoMemory;
    left -= count;
  }
  if (result == kOleNoError && row.stream->CloseWrite(1) != 0) result = kOleNoMemory;
  if (result == kOleNoError) {
    row.stream->SetByteOrders(kByteOrderLittle, kByteOrderSetThisMachine);
    if (row.stream->OpenRead() != 0) result = kOleNoMemory;
  }
  fOpen.push_back(std::move(row));
  if (result != kOleNoError) {
    DropRow(fOpen.size() - 1);
    return result;
  }
  out = fOpen.back().stream.get();
  return kOleNoError;
}

int32_t xMorvaOleFile::ReadStreamBytes(std::u16string_view name, std::vector<uint8_t>& out) {
  out.clear();
  xMorvaOleStreamRange range;
  if (const int32_t opened = OpenStreamRange(name, range); opened != kOleNoError) return opened;
  out.resize(range.size);
  if (const int32_t read = ReadRange(range, 0, range.size, out.data()); read != kOleNoError) {
    out.clear();
    return read;
  }
  return kOleNoError;
}

int32_t xMorvaOleFile::OpenStreamRange(std::u16string_view name, xMorvaOleStreamRange& out) {
  out = xMorvaOleStreamRange();
  if (!fReading) return kOleNotOpen;
  const Entry* entry = ReadableEntry(FindInStorage(name));
  if (entry == nullptr) return kOleNotFound;
  uint32_t unit = kSectorSize;
  if (const int32_t checked = EntryChain(*entry, out.chain, unit); checked != kOleNoError) {
    out.chain.clear();
    return checked;
  }
  out.size = entry->size;
  out.small = entry->small;
  out.unit = unit;
  return kOleNoError;
}

int32_t xMorvaOleFile::ReadRange(const xMorvaOleStreamRange& range, uint32_t offset, uint32_t count,
                                 uint8_t* into) {
  if (!fReading) return kOleNotOpen;
  if (uint64_t(offset) + count > range.size) return kOleDamaged;
  Entry place;
  place.small = range.small;
  // Each piece of a sector straight into its place; the file's last
  // sector may be cut short, and what is missing reads as zeros.
  for (uint32_t done = 0; done < count;) {
    const uint32_t at = offset + done;
    const uint32_t within = at % range.unit;
    const uint32_t position = ChainPosition(place, range.chain[at / range.unit]) + within;
    const uint32_t piece = std::min(count - done, range.unit - within);
    const uint32_t present = position < fFileLength ? std::min(piece, fFileLength - position) : 0;
    if (present != 0 && !ReadAt(position, into + done, present)) return kOleDamaged;
    if (present < piece) std::memset(into + done + present, 0, piece - present);
    done += piece;
  }
  return kOleNoError;
}

uint32_t xMorvaOleFile::GetUnusedBytes() {
  uint64_t used = 0;
  for (const Entry& entry : fEntries) used += entry.size;
  const uint32_t length = fFile.GetSize();
  return used >= length ? 0 : uint32_t(length - used);
}

// ------------------------------------------------------------ open streams

xMorvaOleFile::OpenRow* xMorvaOleFile::FindRow(VStream* stream, size_t* index) {
  for (size_t i = 0; i < fOpen.size(); ++i) {
    if (stream != nullptr && fOpen[i].stream.get() == stream) {
      if (index != nullptr) *index = i;
      return &fOpen[i];
    }
  }
  return nullptr;
}

void xMorvaOleFile::DropRow(size_t index) {
  OpenRow& row = fOpen[index];
  if (row.stream != nullptr) {
    row.stream->CloseRead();
    row.stream->CloseWrite(0);
    row.stream.reset();
  }
  if (row.scratch != nullptr) {
    row.scratch->Close(false);
    row.scratch->Delete();
    row.scratch.reset();
  }
  if (row.handle != 0) gMemoryMgr->DisposeHandle(row.handle);
  fOpen.erase(fOpen.begin() + std::ptrdiff_t(index));
}

int32_t xMorvaOleFile::CloseStream(VStream* stream) {
  if (!fReading && !fWriting) return kOleNotOpen;
  size_t index = 0;
  OpenRow* row = FindRow(stream, &index);
  if (row == nullptr) return kOleNotFound;
  int32_t result = kOleNoError;
  if (fWriting) {
    Entry& entry = fEntries[size_t(row->entry - 1)];
    const uint32_t size = stream->GetSize();
    if (stream->CloseWrite(0) != 0) result = kOleNoMemory;
    if (result == kOleNoError && row->handle != 0) {
      VHandleLocker lock(row->handle);
      struct Memory {
        const uint8_t* at;
      } memory{static_cast<const uint8_t*>(lock.Data())};
      result = WriteStreamData(
          entry, size,
          [](void* context, uint8_t* into, uint32_t count) {
            auto* from = static_cast<Memory*>(context);
            std::memcpy(into, from->at, count);
            from->at += count;
            return true;
          },
          &memory);
    } else if (result == kOleNoError) {
      stream->SetByteOrders(kByteOrderLittle, kByteOrderSetThisMachine);
      if (stream->OpenRead() != 0 && size != 0) result = kOleNoMemory;
      if (result == kOleNoError) {
        result = WriteStreamData(
            entry, size,
            [](void* context, uint8_t* into, uint32_t count) {
              uint32_t got = count;
              return static_cast<VStream*>(context)->ReadBytes(into, got) == 0 && got == count;
            },
            stream);
      }
    }
  }
  DropRow(index);
  return result;
}

int32_t xMorvaOleFile::SetChild(VStream* stream, int32_t entry) {
  OpenRow* row = FindRow(stream);
  if (row == nullptr) return kOleNotFound;
  if (entry >= 1 && entry <= int32_t(fEntries.size()))
    fEntries[size_t(entry - 1)].child = row->entry;
  return kOleNoError;
}

int32_t xMorvaOleFile::SetLeftSibling(VStream* stream, int32_t entry) {
  OpenRow* row = FindRow(stream);
  if (row == nullptr) return kOleNotFound;
  fEntries[size_t(row->entry - 1)].left = entry;
  return kOleNoError;
}

int32_t xMorvaOleFile::SetLeftSibling(VStream* stream, VStream* other) {
  const OpenRow* second = FindRow(other);
  if (second == nullptr) return kOleNotFound;
  return SetLeftSibling(stream, second->entry);
}

int32_t xMorvaOleFile::SetRightSibling(VStream* stream, int32_t entry) {
  OpenRow* row = FindRow(stream);
  if (row == nullptr) return kOleNotFound;
  fEntries[size_t(row->entry - 1)].right = entry;
  return kOleNoError;
}

int32_t xMorvaOleFile::SetRightSibling(VStream* stream, VStream* other) {
  const OpenRow* second = FindRow(other);
  if (second == nullptr) return kOleNotFound;
  return SetRightSibling(stream, second->entry);
}

// ---------------------------------------------------------------- writing

int32_t xMorvaOleFile::OpenForWriting() {
  if (fReading) return kOleOpenForReading;
  if (fWriting) return kOleNoError;
  fFile.SetByteOrders(kByteOrderLittle, kByteOrderSetThisMachine);
  const int16_t opened = fFile.OpenWrite();
  if (opened != 0 && opened != kStreamAlreadyOpen) return kOleWriteError;
  fWasOpen = opened == kStreamAlreadyOpen;
  // The header's place, written last.
  uint8_t placeholder[kSectorSize];
  std::memset(placeholder, 0xFF, sizeof placeholder);
  if (!WriteAt(0, placeholder, kSectorSize)) {
    if (!fWasOpen) fFile.CloseWrite(1);
    return kOleWriteError;
  }
  FreeTables();
  fPlanned = false;
  fNextSector = 0;
  fNextMini = 0;
  fMiniLastSector = kNoSector;
  fCutoff = 4096;
  AddEntry(u"Root Entry", kOleRoot);
  fEntries[0].start = kEndOfChain;
  fWriting = true;
  return kOleNoError;
}

int32_t xMorvaOleFile::AddEntry(std::u16string_view name, uint16_t type) {
  Entry entry;
  entry.name = std::u16string(name.substr(0, 31));
  entry.type = type;
  fEntries.push_back(std::move(entry));
  return int32_t(fEntries.size());
}

int32_t xMorvaOleFile::CreateStream(std::u16string_view name, VStream*& out) {
  out = nullptr;
  if (!fWriting) return kOleNotOpen;
  OpenRow row;
  const int32_t result = NewDataStream(0, row);
  if (result != kOleNoError) {
    fOpen.push_back(std::move(row));
    DropRow(fOpen.size() - 1);
    return result;
  }
  row.entry = AddEntry(name, kOleStream);
  fOpen.push_back(std::move(row));
  out = fOpen.back().stream.get();
  return kOleNoError;
}

int32_t xMorvaOleFile::CreateStorage(std::u16string_view name, int32_t& number) {
  number = -1;
  if (!fWriting) return kOleNotOpen;
  number = AddEntry(name, kOleStorage);
  return kOleNoError;
}

void xMorvaOleFile::SetFat(uint32_t sector, uint32_t value) {
  if (fFat.size() <= sector) fFat.resize(size_t(sector) + 1, kFreeSector);
  fFat[sector] = value;
}

void xMorvaOleFile::SetMiniFat(uint32_t sector, uint32_t value) {
  if (fMiniFat.size() <= sector) fMiniFat.resize(size_t(sector) + 1, kFreeSector);
  fMiniFat[sector] = value;
}

int32_t xMorvaOleFile::WriteStreamData(Entry& entry, uint32_t length, Source source,
                                       void* context) {
  entry.size = length;
  entry.small = length < fCutoff;
  // An empty stream owns no sector.
  entry.start = kEndOfChain;
  if (length == 0) return kOleNoError;
  if (fPlanned) return kOlePlannedTwice;
  return entry.small ? PlaceSmall(length, source, context, entry.start)
                     : PlaceRegular(length, source, context, entry.start);
}

int32_t xMorvaOleFile::PlaceRegular(uint32_t length, Source source, void* context,
                                    uint32_t& start) {
  const uint32_t count = (length + kSectorSize - 1) / kSectorSize;
  start = fNextSector;
  uint8_t buffer[kSectorSize];
  uint32_t left = length;
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t piece = std::min(left, kSectorSize);
    std::memset(buffer, 0, kSectorSize);
    if (!source(context, buffer, piece)) return kOleNoMemory;
    if (!WriteAt((start + i + 1) * kSectorSize, buffer, kSectorSize)) return kOleNoMemory;
    SetFat(start + i, i + 1 < count ? start + i + 1 : kEndOfChain);
    left -= piece;
  }
  fNextSector += count;
  return kOleNoError;
}

int32_t xMorvaOleFile::PlaceSmall(uint32_t length, Source source, void* context, uint32_t& start) {
  const uint32_t count = (length + kMiniSize - 1) / kMiniSize;
  start = fNextMini;
  uint8_t buffer[kMiniSize];
  uint32_t left = length;
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t mini = start + i;
    if (mini % 8 == 0) {
      // The mini stream grows by a sector of zeros, chained after its last.
      const uint8_t zeros[kSectorSize] = {};
      if (!WriteAt((fNextSector + 1) * kSectorSize, zeros, kSectorSize)) return kOleNoMemory;
      if (fMiniLastSector == kNoSector)
        fEntries[0].start = fNextSector;
      else
        SetFat(fMiniLastSector, fNextSector);
      SetFat(fNextSector, kEndOfChain);
      fMiniLastSector = fNextSector++;
    }
    const uint32_t piece = std::min(left, kMiniSize);
    std::memset(buffer, 0, kMiniSize);
    if (!source(context, buffer, piece)) return kOleNoMemory;
    if (!WriteAt((fMiniLastSector + 1) * kSectorSize + (mini % 8) * kMiniSize, buffer, kMiniSize))
      return kOleNoMemory;
    SetMiniFat(mini, i + 1 < count ? mini + 1 : kEndOfChain);
    left -= piece;
  }
  fNextMini += count;
  // The root's size is the mini stream's.
  fEntries[0].size = fNextMini * kMiniSize;
  return kOleNoError;
}

int32_t xMorvaOleFile::PlanTables() {
  if (fPlanned) return kOlePlannedTwice;
  const uint32_t entries = uint32_t(fEntries.size());
  fDirSectors = (entries * kEntrySize + kSectorSize - 1) / kSectorSize;
  fMiniFatSectors = uint32_t((uint64_t(fMiniFat.size()) * 4 + kSectorSize - 1) / kSectorSize);
  // The FAT covers every sector, its own and the DIFAT's included; each
  // FAT sector past the header's 109 needs room in a DIFAT sector.
  uint32_t fat = 0;
  uint32_t difat = 0;
  for (;;) {
    difat = fat > kHeaderDifat ? (fat - kHeaderDifat + kDifatPerSector - 1) / kDifatPerSector : 0;
    const uint64_t total = uint64_t(fNextSector) + fat + fDirSectors + fMiniFatSectors + difat;
    if (uint64_t(fat) * kPerSector >= total) break;
    ++fat;
  }
  fFatSectors = fat;
  fDifatSectors = difat;
  fFatStart = fNextSector;
  fDirStart = fFatStart + fat;
  fMiniFatStart = fDirStart + fDirSectors;
  fDifatStart = fMiniFatStart + fMiniFatSectors;
  for (uint32_t i = 0; i < fat; ++i) SetFat(fFatStart + i, kFatSector);
  for (uint32_t i = 0; i < fDirSectors; ++i)
    SetFat(fDirStart + i, i + 1 < fDirSectors ? fDirStart + i + 1 : kEndOfChain);
  for (uint32_t i = 0; i < fMiniFatSectors; ++i)
    SetFat(fMiniFatStart + i, i + 1 < fMiniFatSectors ? fMiniFatStart + i + 1 : kEndOfChain);
  for (uint32_t i = 0; i < difat; ++i) SetFat(fDifatStart + i, kDifatSector);
  fFat.resize(size_t(fat) * kPerSector, kFreeSector);
  fPlanned = true;
  return kOleNoError;
}

int32_t xMorvaOleFile::WriteTables() {
  if (!fPlanned) return kOleNotPlanned;
  std::vector<uint8_t> bytes;
  auto sectorsOf = [&](const std::vector<uint32_t>& table, uint32_t sectors) {
    bytes.assign(size_t(sectors) * kSectorSize, 0xFF);
    for (size_t i = 0; i < table.size(); ++i) StoreLE32(bytes.data() + 4 * i, table[i]);
  };
  sectorsOf(fFat, fFatSectors);
  if (!bytes.empty() &&
      !WriteAt((fFatStart + 1) * kSectorSize, bytes.data(), uint32_t(bytes.size())))
    return kOleWriteError;

  // The directory; the slots after the last entry are empty entries.
  bytes.assign(size_t(fDirSectors) * kSectorSize, 0);
  const uint64_t now = FileTimeNow();
  for (size_t slot = 0; slot < bytes.size() / kEntrySize; ++slot) {
    uint8_t* at = bytes.data() + slot * kEntrySize;
    StoreLE32(at + 68, kNoSector);
    StoreLE32(at + 72, kNoSector);
    StoreLE32(at + 76, kNoSector);
    if (slot >= fEntries.size()) continue;
    const Entry& entry = fEntries[slot];
    for (size_t i = 0; i < entry.name.size(); ++i) StoreLE16(at + 2 * i, entry.name[i]);
    StoreLE16(at + 64, uint16_t((entry.name.size() + 1) * 2));
    at[66] = uint8_t(entry.type);
    at[67] = 1;  // black, as the root must be
    auto link = [](int32_t number) { return number < 1 ? kNoSector : uint32_t(number - 1); };
    StoreLE32(at + 68, link(entry.left));
    StoreLE32(at + 72, link(entry.right));
    StoreLE32(at + 76, link(entry.child));
    if (entry.type == kOleRoot) std::memcpy(at + 80, kRootClass, 16);
    if (entry.type == kOleStorage) {
      StoreLE32(at + 100, uint32_t(now));
      StoreLE32(at + 104, uint32_t(now >> 32));
    }
    if (entry.type == kOleStorage || entry.type == kOleRoot) {
      StoreLE32(at + 108, uint32_t(now));
      StoreLE32(at + 112, uint32_t(now >> 32));
    }
    const bool storage = entry.type == kOleStorage;
    StoreLE32(at + 116, storage ? 0 : entry.start);
    StoreLE32(at + 120, storage ? 0 : entry.size);
  }
  if (!WriteAt((fDirStart + 1) * kSectorSize, bytes.data(), uint32_t(bytes.size())))
    return kOleWriteError;

  sectorsOf(fMiniFat, fMiniFatSectors);
  if (!bytes.empty() &&
      !WriteAt((fMiniFatStart + 1) * kSectorSize, bytes.data(), uint32_t(bytes.size())))
    return kOleWriteError;

  // The DIFAT: the FAT is contiguous, so FAT sector i is fFatStart + i; the
  // header holds the first 109, each DIFAT sector 127 more and the next.
  bytes.assign(size_t(fDifatSectors) * kSectorSize, 0xFF);
  for (uint32_t d = 0; d < fDifatSectors; ++d) {
    uint8_t* at = bytes.data() + size_t(d) * kSectorSize;
    for (uint32_t i = 0; i < kDifatPerSector; ++i) {
      const uint32_t fat = kHeaderDifat + d * kDifatPerSector + i;
      if (fat < fFatSectors) StoreLE32(at + 4 * i, fFatStart + fat);
    }
    StoreLE32(at + 4 * kDifatPerSector, d + 1 < fDifatSectors ? fDifatStart + d + 1 : kEndOfChain);
  }
  if (!bytes.empty() &&
      !WriteAt((fDifatStart + 1) * kSectorSize, bytes.data(), uint32_t(bytes.size())))
    return kOleWriteError;

  uint8_t header[kSectorSize];
  std::memset(header, 0, sizeof header);
  std::memcpy(header, kSignature, 8);
  StoreLE16(header + 24, 0x003B);
  StoreLE16(header + 26, 3);
  StoreLE16(header + 28, 0xFFFE);
  StoreLE16(header + 30, 9);
  StoreLE16(header + 32, 6);
  StoreLE32(header + 44, fFatSectors);
  StoreLE32(header + 48, fDirStart);
  StoreLE32(header + 56, 4096);
  StoreLE32(header + 60, fMiniFatSectors != 0 ? fMiniFatStart : kEndOfChain);
  StoreLE32(header + 64, fMiniFatSectors);
  StoreLE32(header + 68, fDifatSectors != 0 ? fDifatStart : kEndOfChain);
  StoreLE32(header + 72, fDifatSectors);
  for (uint32_t i = 0; i < kHeaderDifat; ++i)
    StoreLE32(header + 76 + 4 * i, i < fFatSectors ? fFatStart + i : kFreeSector);
  if (!WriteAt(0, header, kSectorSize)) return kOleWriteError;
  return kOleNoError;
}

int32_t xMorvaOleFile::FinishWriting() {
  if (!fWriting) return kOleNotOpen;
  int32_t result = kOleNoError;
  while (!fOpen.empty() && result == kOleNoError) result = CloseStream(fOpen.back().stream.get());
  if (result == kOleNoError) result = PlanTables();
  if (result == kOleNoError) result = WriteTables();
  const int16_t closed = fWasOpen ? 0 : fFile.CloseWrite(1);
  if (result == kOleNoError && closed != 0) result = kOleWriteError;
  fWriting = false;
  FreeTables();
  return result;
}
