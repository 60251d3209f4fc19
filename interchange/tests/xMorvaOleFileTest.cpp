// The compound file container: the bytes it stores against the layout, what
// it writes read back whole, and damaged files refused without a loop.
#include "interchange/ole/xMorvaOleFile.h"

#include <gtest/gtest.h>

#include <functional>

#include "interchange/tests/OleTestSupport.h"
#include "platform/bytes/ByteOrder.h"

using namespace oletest;

namespace {

constexpr uint32_t kEnd = 0xFFFFFFFEu;

uint32_t At32(const Bytes& bytes, size_t at) { return LoadLE32(bytes.data() + at); }
uint16_t At16(const Bytes& bytes, size_t at) { return LoadLE16(bytes.data() + at); }
// The directory entry `slot` (from 0) of a file with one directory sector.
size_t EntryAt(const Bytes& file, uint32_t slot) { return (At32(file, 48) + 1) * 512 + slot * 128; }

Bytes WrittenOle(const std::vector<NamedBytes>& streams,
                 const std::vector<NamedBytes>& inner = {}) {
  MemoryFile file;
  EXPECT_EQ(WriteFile(file.Stream(), streams, inner), 0);
  return file.Contents();
}

// Reads the named stream (in the root, or in storage `storage`) of `file`.
int32_t ReadOleStream(const Bytes& file, std::u16string_view name, Bytes& out,
                      std::u16string_view storage = {}) {
  MemoryFile memory(file);
  xMorvaOleFile ole(memory.Stream());
  if (int32_t r = ole.OpenForReading(); r != 0) return r;
  if (!storage.empty())
    if (int32_t r = ole.EnterStorage(storage); r != 0) return r;
  VStream* stream = nullptr;
  if (int32_t r = ole.OpenStream(name, stream); r != 0) return r;
  out = ReadAll(*stream);
  return ole.CloseStream(stream);
}

}  // namespace

TEST(OleFile, StreamsOfEverySizeReadBackWhole) {
  const std::vector<NamedBytes> streams = {
      {u"One", Pattern(1, 1)},        {u"Small", Pattern(100, 2)},
      {u"Below", Pattern(4095, 3)},   {u"Cutoff", Pattern(4096, 4)},
      {u"Regular", Pattern(5000, 5)}, {u"Block", Pattern(512 - 64, 6)},
      {u"Fills", Pattern(64, 7)},     {u"Next", Pattern(130, 8)},
  };
  const std::vector<NamedBytes> inner = {{u"Deep", Pattern(700, 9)},
                                         {u"Deeper", Pattern(9000, 10)}};
  const Bytes file = WrittenOle(streams, inner);
  for (const auto& item : streams) {
    Bytes read;
    ASSERT_EQ(ReadOleStream(file, item.name, read), 0);
    EXPECT_EQ(read, item.bytes);
  }
  for (const auto& item : inner) {
    Bytes read;
    ASSERT_EQ(ReadOleStream(file, item.name, read, u"Inner"), 0);
    EXPECT_EQ(read, item.bytes);
    // A stream of the storage is no member of the root.
    EXPECT_EQ(ReadOleStream(file, item.name, read), kOleNotFound);
  }
}

TEST(OleFile, HeaderAndDirectoryFollowTheLayout) {
  const Bytes file =
      WrittenOle({{u"Small", Pattern(100, 1)}, {u"Regular", Pattern(4096, 2)}, {u"Empty", {}}});
  ASSERT_GE(file.size(), 512u);
  EXPECT_EQ(At32(file, 0), 0xE011CFD0u);
  EXPECT_EQ(At32(file, 4), 0xE11AB1A1u);
  EXPECT_EQ(At16(file, 24), 0x003B);
  EXPECT_EQ(At16(file, 26), 3);
  EXPECT_EQ(At16(file, 28), 0xFFFE);
  EXPECT_EQ(At16(file, 30), 9);
  EXPECT_EQ(At16(file, 32), 6);
  EXPECT_EQ(At32(file, 44), 1u);     // one FAT sector
  EXPECT_EQ(At32(file, 56), 4096u);  // cutoff
  EXPECT_EQ(At32(file, 68), kEnd);   // no DIFAT sector
  EXPECT_EQ(At32(file, 72), 0u);
  EXPECT_EQ(file.size() % 512, 0u);
  // The root: its name, type 5, and the mini stream's size (two mini
  // sectors), not the file's.
  const size_t root = EntryAt(file, 0);
  EXPECT_EQ(file[root], 'R');
  EXPECT_EQ(At16(file, root + 64), 22);
  EXPECT_EQ(file[root + 66], 5);
  EXPECT_EQ(At32(file, root + 120), 128u);
  EXPECT_EQ(At32(file, root + 80), 0x00020906u);
  // The stored links count from 0: the root's child is entry 1.
  EXPECT_EQ(At32(file, root + 76), 1u);
  // The regular stream starts at its own sector, chained in the FAT.
  const size_t regular = EntryAt(file, 2);
  EXPECT_EQ(At32(file, regular + 120), 4096u);
  const uint32_t fatSector = At32(file, 76);
  const uint32_t start = At32(file, regular + 116);
  for (uint32_t i = 0; i < 7; ++i)
    EXPECT_EQ(At32(file, (fatSector + 1) * 512 + 4 * (start + i)), start + i + 1);
  EXPECT_EQ(At32(file, (fatSector + 1) * 512 + 4 * (start + 7)), kEnd);
  EXPECT_EQ(At32(file, (fatSector + 1) * 512 + 4 * fatSector), 0xFFFFFFFDu);
  // An empty stream owns no sector; unused slots are empty entries.
  const size_t empty = EntryAt(file, 3);
  EXPECT_EQ(At32(file, empty + 120), 0u);
  EXPECT_EQ(At32(file, empty + 116), kEnd);
  const Bytes one = WrittenOle({{u"X", Pattern(10, 1)}});
  for (uint32_t slot = 2; slot < 4; ++slot) {
    EXPECT_EQ(one[EntryAt(one, slot) + 66], 0);
    EXPECT_EQ(At16(one, EntryAt(one, slot) + 64), 0);
    EXPECT_EQ(At32(one, EntryAt(one, slot) + 68), 0xFFFFFFFFu);
    EXPECT_EQ(At32(one, EntryAt(one, slot) + 76), 0xFFFFFFFFu);
  }
}

TEST(OleFile, MoreThan109FatSectorsGetDifatSectors) {
  // 7.5 MB needs about 120 FAT sectors.
  const Bytes big = Pattern(7500000, 11);
  const Bytes file = WrittenOle({{u"Big", big}, {u"Tail", Pattern(300, 12)}});
  const uint32_t fatCount = At32(file, 44);
  const uint32_t difatCount = At32(file, 72);
  ASSERT_GT(fatCount, 109u);
  EXPECT_EQ(difatCount, (fatCount - 109 + 126) / 127);
  // Every sector of the file is covered by the FAT.
  EXPECT_GE(fatCount * 128, file.size() / 512 - 1);
  const uint32_t difat = At32(file, 68);
  const uint32_t firstFat = At32(file, 76);
  const size_t difatEntry = (firstFat + 1) * 512 + 4 * size_t(difat);
  // The DIFAT sector is marked as one in the FAT, and lists FAT sector 109.
  EXPECT_EQ(At32(file, difatEntry), 0xFFFFFFFCu);
  EXPECT_EQ(At32(file, (difat + 1) * 512), firstFat + 109);
  Bytes read;
  ASSERT_EQ(ReadOleStream(file, u"Big", read), 0);
  EXPECT_TRUE(read == big);
  ASSERT_EQ(ReadOleStream(file, u"Tail", read), 0);
  EXPECT_EQ(read, Pattern(300, 12));
}

TEST(OleFile, ModesAndUnknownStreams) {
  const Bytes file = WrittenOle({{u"A", Pattern(10, 1)}});
  MemoryFile memory(file);
  xMorvaOleFile ole(memory.Stream());
  VStream* stream = nullptr;
  EXPECT_EQ(ole.OpenStream(u"A", stream), kOleNotOpen);
  ASSERT_EQ(ole.OpenForReading(), 0);
  EXPECT_EQ(ole.OpenForReading(), 0);
  EXPECT_EQ(ole.OpenForWriting(), kOleOpenForReading);
  EXPECT_EQ(ole.OpenStream(u"B", stream), kOleNotFound);
  EXPECT_EQ(ole.EnterStorage(u"A"), kOleNotFound);
  EXPECT_EQ(ole.GetRootIndex(), 1);
  EXPECT_EQ(ole.FindEntry(u"a"), 2);
  EXPECT_EQ(ole.FinishWriting(), kOleNotOpen);
  int dummy = 0;
  EXPECT_EQ(ole.CloseStream(reinterpret_cast<VStream*>(&dummy)), kOleNotFound);
  EXPECT_EQ(ole.CloseReading(), 0);
  EXPECT_EQ(ole.CloseReading(), kOleNotOpen);

  MemoryFile out;
  xMorvaOleFile writer(out.Stream());
  ASSERT_EQ(writer.OpenForWriting(), 0);
  EXPECT_EQ(writer.OpenForReading(), kOleOpenForWriting);
  // Names longer than 31 units are cut.
  ASSERT_EQ(writer.CreateStream(u"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789", stream), 0);
  EXPECT_EQ(writer.GetEntry(2)->name, u"ABCDEFGHIJKLMNOPQRSTUVWXYZ01234");
  EXPECT_EQ(writer.FinishWriting(), 0);
}

// Writes two streams, then lets `damage` change the bytes; the answer of
// opening the file and of reading stream "Second".
struct BadCase {
  const char* what;
  std::function<void(Bytes&)> damage;
  int32_t open;
  int32_t stream;
  int32_t first = 0;
};

TEST(OleFile, DamagedFilesAreRefusedWithoutLooping) {
  const Bytes good = WrittenOle(
      {{u"First", Pattern(5000, 1)}, {u"Second", Pattern(200, 2)}, {u"Third", Pattern(80, 3)}});
  const uint32_t fat = (At32(good, 76) + 1) * 512;
  const uint32_t dir = At32(good, 48);
  auto entry = [&](const Bytes& file, uint32_t slot) { return EntryAt(file, slot); };
  auto put32 = [](Bytes& b, size_t at, uint32_t v) { StoreLE32(b.data() + at, v); };
  const std::vector<BadCase> cases = {
      {"intact", [](Bytes&) {}, 0, 0},
      {"not compound", [](Bytes& b) { b[0] = 'X'; }, kOleNotCompound, -1},
      {"class not null", [](Bytes& b) { b[9] = 1; }, kOleNotCompound, -1},
      {"too short", [](Bytes& b) { b.resize(300); }, kOleNotCompound, -1},
      {"sector shift 12", [](Bytes& b) { b[30] = 12; }, kOleDamaged, -1},
      {"mini shift 7", [](Bytes& b) { b[32] = 7; }, kOleDamaged, -1},
      {"DIFAT count 2^31", [&](Bytes& b) { put32(b, 72, 0x80000000u); }, kOleDamaged, -1},
      {"DIFAT count past the sectors", [&](Bytes& b) { put32(b, 72, 40); }, kOleDamaged, -1},
      {"FAT sector past the file", [&](Bytes& b) { put32(b, 76, 5000); }, kOleDamaged, -1},
      {"cyclic directory chain", [&](Bytes& b) { put32(b, fat + 4 * dir, dir); }, kOleDamaged, -1},
      {"cyclic FAT chain of a stream",
       [&](Bytes& b) {
         const uint32_t s = At32(b, entry(b, 1) + 116);
         put32(b, fat + 4 * (s + 1), s);
       },
       0, 0, kOleDamaged},
      {"cyclic mini FAT chain",
       [&](Bytes& b) {
         const uint32_t mf = (At32(b, 60) + 1) * 512;
         const uint32_t s = At32(b, entry(b, 2) + 116);
         put32(b, mf + 4 * (s + 2), s);
       },
       0, kOleDamaged},
      {"mini sector past the mini stream", [&](Bytes& b) { put32(b, entry(b, 2) + 116, 4000); }, 0,
       kOleDamaged},
      {"size past the file", [&](Bytes& b) { put32(b, entry(b, 2) + 120, 4000); }, 0, kOleDamaged},
      {"regular size past the file", [&](Bytes& b) { put32(b, entry(b, 2) + 120, 900000); }, 0,
       kOleDamaged},
      {"link past the entries", [&](Bytes& b) { put32(b, entry(b, 1) + 72, 40); }, kOleDamaged, -1},
      {"sibling cycle",
       [&](Bytes& b) {
         put32(b, entry(b, 2) + 72, 1);
         put32(b, entry(b, 1) + 72, 2);
       },
       0, 0},
      {"child links to itself", [&](Bytes& b) { put32(b, entry(b, 1) + 72, 1); }, 0, kOleNotFound},
      {"empty entry mid-sector",
       [&](Bytes& b) {
         // Entry 1 emptied: "Second" (entry 2) stays with its number; the
         // root now reaches it directly.
         std::fill(b.begin() + long(entry(b, 1)), b.begin() + long(entry(b, 1)) + 128, 0);
         put32(b, entry(b, 0) + 76, 2);
       },
       0, 0, kOleNotFound},
      {"name without terminator",
       [&](Bytes& b) {
         for (int i = 0; i < 32; ++i) StoreLE16(b.data() + entry(b, 3) + 2 * i, 'N');
       },
       0, 0},
  };
  for (const BadCase& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes file = good;
    c.damage(file);
    MemoryFile memory(file);
    xMorvaOleFile ole(memory.Stream());
    ASSERT_EQ(ole.OpenForReading(), c.open);
    if (c.open != 0) continue;
    VStream* stream = nullptr;
    const int32_t result = ole.OpenStream(u"Second", stream);
    EXPECT_EQ(result, c.stream);
    if (result == 0) {
      EXPECT_EQ(ReadAll(*stream), Pattern(200, 2));
    }
    // The object stays open for the other streams.
    const int32_t first = ole.OpenStream(u"First", stream);
    EXPECT_EQ(first, c.first);
    if (first == 0) {
      EXPECT_EQ(ReadAll(*stream), Pattern(5000, 1));
    }
  }
}

TEST(OleFile, NameWithoutTerminatorIsCutTo31Units) {
  Bytes file = WrittenOle({{u"First", Pattern(10, 1)}, {u"Second", Pattern(20, 2)}});
  for (int i = 0; i < 32; ++i) StoreLE16(file.data() + EntryAt(file, 2) + 2 * i, 'N');
  MemoryFile memory(file);
  xMorvaOleFile ole(memory.Stream());
  ASSERT_EQ(ole.OpenForReading(), 0);
  EXPECT_EQ(ole.GetEntry(3)->name, std::u16string(31, u'N'));
}

TEST(OleFile, ManyStreamsOpenAtOnceWhileWriting) {
  MemoryFile file;
  {
    xMorvaOleFile ole(file.Stream());
    ASSERT_EQ(ole.OpenForWriting(), 0);
    std::vector<VStream*> streams(6);
    for (size_t i = 0; i < streams.size(); ++i) {
      ASSERT_EQ(ole.CreateStream(std::u16string(1, char16_t(u'a' + i)), streams[i]), 0);
      if (i == 0)
        ole.SetChild(streams[i], 1);
      else
        ole.SetRightSibling(streams[i - 1], streams[i]);
    }
    for (size_t i = 0; i < streams.size(); ++i) {
      const Bytes data = Pattern(1000 * i + 10, uint32_t(i));
      streams[i]->WriteBytes(data.data(), uint32_t(data.size()));
    }
    // The destructor finishes the file.
  }
  for (size_t i = 0; i < 6; ++i) {
    Bytes read;
    ASSERT_EQ(ReadOleStream(file.Contents(), std::u16string(1, char16_t(u'a' + i)), read), 0);
    EXPECT_EQ(read, Pattern(1000 * i + 10, uint32_t(i)));
  }
}

// A stream read by range gives, for any stretch (inside one sector or
// mini sector, across their edges, the last byte, nothing), the bytes the
// whole stream holds there; a stretch past its end is refused.
TEST(OleFile, RangesOfAStreamAreItsBytes) {
  const Bytes contents = Pattern(5000, 5), small = Pattern(300, 2);
  const Bytes file = WrittenOle({{u"Regular", contents}, {u"Small", small}});
  MemoryFile memory(file);
  xMorvaOleFile ole(memory.Stream());
  xMorvaOleStreamRange range;
  EXPECT_EQ(ole.OpenStreamRange(u"Regular", range), kOleNotOpen);
  ASSERT_EQ(ole.OpenForReading(), 0);
  EXPECT_EQ(ole.OpenStreamRange(u"Missing", range), kOleNotFound);
  struct Stretch {
    uint32_t offset, count;
  };
  const Stretch stretches[] = {{0, 1}, {10, 100}, {500, 24}, {511, 2}, {0, 512}, {1000, 3000}, {4999, 1}, {64, 0}};
  for (const auto& [name, bytes] : {std::pair{u"Regular", contents}, std::pair{u"Small", small}}) {
    ASSERT_EQ(ole.OpenStreamRange(name, range), 0);
    EXPECT_EQ(range.size, bytes.size());
    for (const Stretch& s : stretches) {
      if (uint64_t(s.offset) + s.count > bytes.size()) {
        Bytes out(s.count);
        EXPECT_EQ(ole.ReadRange(range, s.offset, s.count, out.data()), kOleDamaged);
        continue;
      }
      SCOPED_TRACE(testing::Message() << s.offset << "+" << s.count);
      Bytes out(s.count, 0xEE);
      ASSERT_EQ(ole.ReadRange(range, s.offset, s.count, out.data()), 0);
      EXPECT_EQ(out, Bytes(bytes.begin() + s.offset, bytes.begin() + s.offset + s.count));
    }
    Bytes two(2);
    EXPECT_EQ(ole.ReadRange(range, uint32_t(bytes.size()) - 1, 2, two.data()), kOleDamaged);
  }
}

// A stream's bytes read straight into a buffer are those its stream holds,
// for every size, in the root and in a storage, with the same answers for
// streams that are missing, empty or damaged.
TEST(OleFile, StreamBytesReadStraightAreTheStreams) {
  const std::vector<NamedBytes> streams = {
      {u"One", Pattern(1, 1)},         {u"Small", Pattern(100, 2)},  {u"Below", Pattern(4095, 3)},
      {u"Cutoff", Pattern(4096, 4)},   {u"Regular", Pattern(5000, 5)}, {u"Sectors", Pattern(512 * 9, 6)},
      {u"Empty", {}},
  };
  const std::vector<NamedBytes> inner = {{u"Deep", Pattern(700, 9)}, {u"Deeper", Pattern(9000, 10)}};
  const Bytes file = WrittenOle(streams, inner);
  auto both = [&](const Bytes& bytes, std::u16string_view name, std::u16string_view storage) {
    MemoryFile memory(bytes);
    xMorvaOleFile ole(memory.Stream());
    Bytes straight{1, 2, 3};
    EXPECT_EQ(ole.ReadStreamBytes(name, straight), kOleNotOpen);
    EXPECT_TRUE(straight.empty());
    EXPECT_EQ(ole.OpenForReading(), 0);
    if (!storage.empty()) {
      EXPECT_EQ(ole.EnterStorage(storage), 0);
    }
    const int32_t code = ole.ReadStreamBytes(name, straight);
    Bytes streamed;
    const int32_t expected = ReadOleStream(bytes, name, streamed, storage);
    EXPECT_EQ(code, expected);
    EXPECT_EQ(straight, expected == 0 ? streamed : Bytes());
    return code;
  };
  for (const auto& item : streams) {
    SCOPED_TRACE(std::string(item.name.begin(), item.name.end()));
    EXPECT_EQ(both(file, item.name, {}), item.bytes.empty() ? kOleNotFound : 0);
  }
  for (const auto& item : inner) {
    EXPECT_EQ(both(file, item.name, u"Inner"), 0);
    EXPECT_EQ(both(file, item.name, {}), kOleNotFound);
  }
  EXPECT_EQ(both(file, u"Missing", {}), kOleNotFound);

  // A file cut inside its last sector: what is missing reads as zeros, as
  // the stream has it; a chain or size past the file is refused alike.
  Bytes cut = WrittenOle({{u"First", Pattern(5000, 1)}, {u"Second", Pattern(200, 2)}});
  const size_t last = (At32(cut, 48) + 1) * 512;  // the directory's sector
  const size_t firstStart = (At32(cut, EntryAt(cut, 1) + 116) + 1) * 512;
  ASSERT_LT(firstStart, last);
  Bytes shortened(cut.begin(), cut.begin() + long(firstStart + 5000 - 100));
  MemoryFile shortMemory(shortened);
  xMorvaOleFile shortOle(shortMemory.Stream());
  if (shortOle.OpenForReading() == 0) {
    Bytes straight;
    const int32_t code = shortOle.ReadStreamBytes(u"First", straight);
    Bytes streamed;
    EXPECT_EQ(code, ReadOleStream(shortened, u"First", streamed));
    if (code == 0) {
      EXPECT_EQ(straight, streamed);
    }
  }
  Bytes damaged = cut;
  StoreLE32(damaged.data() + EntryAt(damaged, 1) + 120, 900000);
  EXPECT_EQ(both(damaged, u"First", {}), kOleDamaged);
  damaged = cut;
  const uint32_t fat = (At32(damaged, 76) + 1) * 512;
  const uint32_t start = At32(damaged, EntryAt(damaged, 1) + 116);
  StoreLE32(damaged.data() + fat + 4 * (start + 1), start);
  EXPECT_EQ(both(damaged, u"First", {}), kOleDamaged);
  EXPECT_EQ(both(damaged, u"Second", {}), 0);
}
