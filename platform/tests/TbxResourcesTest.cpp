// Resource Manager stand-in: the stored layout, round trips, the chain of open
// files, the swap procedure's directions, attributes, and corrupt files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "platform/toolbox/TbxResources.h"

namespace {

using namespace Tbx;

constexpr ResType kTEST = 0x54455354;  // 'TEST'
constexpr ResType kABCD = 0x41424344;  // 'ABCD'
constexpr ResType kSWAP = 0x53574150;  // 'SWAP'

struct PStr {
  uint8_t b[256];
  explicit PStr(const std::string& s) {
    b[0] = static_cast<uint8_t>(s.size());
    std::memcpy(b + 1, s.data(), s.size());
  }
  operator const uint8_t*() const { return b; }
};

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

uint32_t Be32(const std::vector<uint8_t>& b, size_t at) {
  return (uint32_t(b[at]) << 24) | (uint32_t(b[at + 1]) << 16) | (uint32_t(b[at + 2]) << 8) | b[at + 3];
}
uint16_t Be16(const std::vector<uint8_t>& b, size_t at) { return uint16_t((b[at] << 8) | b[at + 1]); }

Handle MakeHandle(const std::vector<uint8_t>& bytes) {
  Handle h = NewHandle(static_cast<int32_t>(bytes.size()));
  if (!bytes.empty()) {
    std::memcpy(HLock(h), bytes.data(), bytes.size());
    HUnlock(h);
  }
  return h;
}

std::vector<uint8_t> HandleBytes(Handle h) {
  std::vector<uint8_t> out(static_cast<size_t>(GetHandleSize(h)));
  if (!out.empty()) {
    std::memcpy(out.data(), HLock(h), out.size());
    HUnlock(h);
  }
  return out;
}

// Reverses each whole 16-bit value of 'SWAP' resources and records the calls.
std::vector<std::pair<uint8_t, uint32_t>> gSwapCalls;
uint8_t RecordingSwap(uint8_t direction, uint32_t type, uint32_t size, void* data) {
  gSwapCalls.emplace_back(direction, type);
  if (type != kSWAP) return 0;
  auto* p = static_cast<uint8_t*>(data);
  for (uint32_t i = 0; i + 1 < size; i += 2) std::swap(p[i], p[i + 1]);
  return 1;
}

class TbxResources : public testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/qvrsrcXXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    gSwapCalls.clear();
  }
  void TearDown() override {
    SetResLoad(1);
    while (CurResFile() != -1) CloseResFile(CurResFile());
    std::string cmd = "rm -rf '" + dir_ + "'";
    (void)std::system(cmd.c_str());
  }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  // Creates and opens a file; the new file is current.
  int16_t NewFile(const std::string& name) {
    CreateResFile(PStr(Path(name)));
    EXPECT_EQ(ResError(), noErr);
    int16_t ref = OpenResFile(PStr(Path(name)));
    EXPECT_NE(ref, -1);
    return ref;
  }

  // The three resources that the layout tests store.
  void AddSample() {
    AddResource(MakeHandle({1, 2, 3}), kTEST, 128, PStr("Hello"));
    ASSERT_EQ(ResError(), noErr);
    AddResource(MakeHandle({}), kABCD, 5, nullptr);
    ASSERT_EQ(ResError(), noErr);
    AddResource(MakeHandle({9, 8}), kTEST, -3, PStr("Bye"));
    ASSERT_EQ(ResError(), noErr);
  }

  std::string dir_;
};

TEST_F(TbxResources, CreateResFileWritesAnEmptyMap) {
  CreateResFile(PStr(Path("a.rsrc")));
  ASSERT_EQ(ResError(), noErr);
  std::vector<uint8_t> b = ReadBytes(Path("a.rsrc"));
  ASSERT_EQ(b.size(), 256u + 30u);
  EXPECT_EQ(Be32(b, 0), 256u);   // data offset
  EXPECT_EQ(Be32(b, 4), 256u);   // map offset
  EXPECT_EQ(Be32(b, 8), 0u);     // data length
  EXPECT_EQ(Be32(b, 12), 30u);   // map length
  for (size_t i = 16; i < 256; ++i) EXPECT_EQ(b[i], 0) << i;
  for (size_t i = 0; i < 16; ++i) EXPECT_EQ(b[256 + i], b[i]) << i;  // the header's copy
  EXPECT_EQ(Be16(b, 256 + 22), 0u);   // file attributes
  EXPECT_EQ(Be16(b, 256 + 24), 28u);  // type list
  EXPECT_EQ(Be16(b, 256 + 26), 30u);  // name list
  EXPECT_EQ(Be16(b, 256 + 28), 0xFFFFu);  // no type
}

TEST_F(TbxResources, CreateResFileRefusesAFileThatHoldsData) {
  WriteBytes(Path("data"), {1, 2, 3});
  CreateResFile(PStr(Path("data")));
  EXPECT_EQ(ResError(), dupFNErr);
  EXPECT_EQ(ReadBytes(Path("data")), (std::vector<uint8_t>{1, 2, 3}));
}

TEST_F(TbxResources, CreateResFileGivesAnEmptyFileAMap) {
  WriteBytes(Path("empty"), {});
  CreateResFile(PStr(Path("empty")));
  EXPECT_EQ(ResError(), noErr);
  EXPECT_EQ(ReadBytes(Path("empty")).size(), 286u);
}

TEST_F(TbxResources, OpenResFileOfAMissingFileAnswersMinus1) {
  EXPECT_EQ(OpenResFile(PStr(Path("none"))), -1);
  EXPECT_EQ(ResError(), fnfErr);
  EXPECT_EQ(OpenResFile(PStr("")), -1);
  EXPECT_EQ(CurResFile(), -1);
}

TEST_F(TbxResources, OpenMakesTheFileCurrentAndReopeningAnswersTheSameReference) {
  int16_t a = NewFile("a");
  int16_t b = NewFile("b");
  EXPECT_NE(a, b);
  EXPECT_EQ(CurResFile(), b);
  EXPECT_EQ(OpenResFile(PStr(Path("a"))), a);
  EXPECT_EQ(CurResFile(), a);
}

TEST_F(TbxResources, UpdateWritesDataAndMapInTheClassicLayout) {
  int16_t ref = NewFile("layout");
  AddSample();
  UpdateResFile(ref);
  ASSERT_EQ(ResError(), noErr);
  std::vector<uint8_t> b = ReadBytes(Path("layout"));

  // Data area: grouped by type in order of first appearance: TEST 128, TEST -3, ABCD 5.
  const std::vector<uint8_t> data = {0, 0, 0, 3, 1, 2, 3, 0, 0, 0, 2, 9, 8, 0, 0, 0, 0};
  ASSERT_EQ(Be32(b, 0), 256u);
  ASSERT_EQ(Be32(b, 8), data.size());
  EXPECT_EQ(std::vector<uint8_t>(b.begin() + 256, b.begin() + 256 + data.size()), data);
  const uint32_t mapOff = Be32(b, 4);
  EXPECT_EQ(mapOff, 256u + data.size());
  const uint32_t mapLen = Be32(b, 12);
  ASSERT_EQ(b.size(), mapOff + mapLen);
  for (size_t i = 0; i < 16; ++i) EXPECT_EQ(b[mapOff + i], b[i]);

  const size_t types = mapOff + 28;
  EXPECT_EQ(Be16(b, mapOff + 24), 28u);
  EXPECT_EQ(Be16(b, types), 1u);  // two types
  EXPECT_EQ(Be32(b, types + 2), kTEST);
  EXPECT_EQ(Be16(b, types + 6), 1u);  // two resources
  EXPECT_EQ(Be16(b, types + 8), 18u);  // reference list right after the type list
  EXPECT_EQ(Be32(b, types + 10), kABCD);
  EXPECT_EQ(Be16(b, types + 14), 0u);
  EXPECT_EQ(Be16(b, types + 16), 18u + 24u);

  const size_t refs = types + 18;
  const std::vector<uint8_t> expectRefs = {
      0x00, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0, 0, 0, 0,   // 128, name 0, data 0
      0xFF, 0xFD, 0x00, 0x06, 0x00, 0x00, 0x00, 0x07, 0, 0, 0, 0,   // -3, name 6, data 7
      0x00, 0x05, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x0D, 0, 0, 0, 0};  // 5, no name, data 13
  EXPECT_EQ(std::vector<uint8_t>(b.begin() + refs, b.begin() + refs + 36), expectRefs);
  const size_t names = mapOff + Be16(b, mapOff + 26);
  EXPECT_EQ(names, refs + 36);
  const std::vector<uint8_t> expectNames = {5, 'H', 'e', 'l', 'l', 'o', 3, 'B', 'y', 'e'};
  EXPECT_EQ(std::vector<uint8_t>(b.begin() + names, b.end()), expectNames);
}

TEST_F(TbxResources, ReopenedFileGivesBackBytesNamesIdsAndCounts) {
  int16_t ref = NewFile("round");
  AddSample();
  CloseResFile(ref);
  ASSERT_EQ(ResError(), noErr);

  ref = OpenResFile(PStr(Path("round")));
  ASSERT_NE(ref, -1);
  Handle h = Get1Resource(kTEST, 128);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(ResError(), noErr);
  EXPECT_EQ(HandleBytes(h), (std::vector<uint8_t>{1, 2, 3}));
  int16_t id = 0;
  ResType type = 0;
  uint8_t name[256];
  GetResInfo(h, &id, &type, name);
  EXPECT_EQ(id, 128);
  EXPECT_EQ(type, kTEST);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(name + 1), name[0]), "Hello");
  EXPECT_EQ(SizeResource(h), 3);

  Handle empty = Get1Resource(kABCD, 5);
  ASSERT_NE(empty, 0u);
  EXPECT_EQ(GetHandleSize(empty), 0);
  GetResInfo(empty, nullptr, nullptr, name);
  EXPECT_EQ(name[0], 0);

  EXPECT_EQ(Count1Resources(kTEST), 2);
  EXPECT_EQ(Count1Resources(kABCD), 1);
  EXPECT_EQ(Count1Resources(kSWAP), 0);
  EXPECT_EQ(Count1Types(), 2);
  ResType t = 0;
  Get1IndType(&t, 1);
  EXPECT_EQ(t, kTEST);
  Get1IndType(&t, 2);
  EXPECT_EQ(t, kABCD);
  t = 7;
  Get1IndType(&t, 3);
  EXPECT_EQ(ResError(), resNotFound);
  EXPECT_EQ(t, 7u);

  Handle second = Get1IndResource(kTEST, 2);
  ASSERT_NE(second, 0u);
  GetResInfo(second, &id, nullptr, nullptr);
  EXPECT_EQ(id, -3);
  EXPECT_EQ(Get1IndResource(kTEST, 3), 0u);
  EXPECT_EQ(Get1IndResource(kTEST, 0), 0u);
  EXPECT_EQ(ResError(), resNotFound);
}

TEST_F(TbxResources, MissingResourceAnswersZeroAndResNotFound) {
  NewFile("missing");
  EXPECT_EQ(GetResource(kTEST, 1), 0u);
  EXPECT_EQ(ResError(), resNotFound);
  EXPECT_EQ(Get1NamedResource(kTEST, PStr("x")), 0u);
  EXPECT_EQ(ResError(), resNotFound);
}

TEST_F(TbxResources, SameResourceTwiceGivesTheSameHandleWhileLoaded) {
  int16_t ref = NewFile("same");
  AddSample();
  UpdateResFile(ref);
  Handle a = Get1Resource(kTEST, 128);
  EXPECT_EQ(Get1Resource(kTEST, 128), a);
  EXPECT_EQ(Get1NamedResource(kTEST, PStr("hello")), a);  // names ignore ASCII case
  ReleaseResource(a);
  EXPECT_EQ(ResError(), noErr);
  Handle b = Get1Resource(kTEST, 128);
  ASSERT_NE(b, 0u);
  EXPECT_EQ(HandleBytes(b), (std::vector<uint8_t>{1, 2, 3}));
}

TEST_F(TbxResources, WithLoadingOffTheHandleIsEmptyUntilLoadResource) {
  int16_t ref = NewFile("quiet");
  AddSample();
  CloseResFile(ref);
  OpenResFile(PStr(Path("quiet")));
  SetResLoad(0);
  Handle h = Get1Resource(kTEST, 128);
  SetResLoad(1);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(GetHandleSize(h), 0);
  EXPECT_EQ(SizeResource(h), 3);
  LoadResource(h);
  EXPECT_EQ(ResError(), noErr);
  EXPECT_EQ(HandleBytes(h), (std::vector<uint8_t>{1, 2, 3}));
  // A lookup with loading on fills the same empty handle.
  SetResLoad(0);
  Handle q = Get1Resource(kTEST, -3);
  SetResLoad(1);
  EXPECT_EQ(Get1Resource(kTEST, -3), q);
  EXPECT_EQ(HandleBytes(q), (std::vector<uint8_t>{9, 8}));
}

TEST_F(TbxResources, AddingAnIdTheFileHoldsIsRefused) {
  NewFile("dup");
  AddSample();
  Handle h = MakeHandle({7});
  AddResource(h, kTEST, 128, nullptr);
  EXPECT_EQ(ResError(), addResFailed);
  AddResource(0, kTEST, 200, nullptr);
  EXPECT_EQ(ResError(), addResFailed);
  Handle existing = Get1Resource(kTEST, 128);
  AddResource(existing, kTEST, 201, nullptr);  // already a resource
  EXPECT_EQ(ResError(), addResFailed);
  DisposeHandle(h);
}

TEST_F(TbxResources, AddResourceWithoutAnOpenFileFails) {
  Handle h = MakeHandle({1});
  AddResource(h, kTEST, 1, nullptr);
  EXPECT_EQ(ResError(), addResFailed);
  DisposeHandle(h);
}

TEST_F(TbxResources, UniqueIdsAvoidTheIdsInUse) {
  int16_t a = NewFile("ua");
  AddResource(MakeHandle({}), kTEST, 128, nullptr);
  AddResource(MakeHandle({}), kTEST, 130, nullptr);
  NewFile("ub");
  AddResource(MakeHandle({}), kTEST, 129, nullptr);
  EXPECT_EQ(Unique1ID(kTEST), 128);  // current file only
  EXPECT_EQ(UniqueID(kTEST), 131);   // every open file
  EXPECT_EQ(UniqueID(kABCD), 128);
  UseResFile(a);
  EXPECT_EQ(Unique1ID(kTEST), 129);
}

TEST_F(TbxResources, AttributesAreStoredAndProtectionHolds) {
  int16_t ref = NewFile("attrs");
  AddSample();
  Handle h = Get1Resource(kTEST, 128);
  EXPECT_EQ(GetResAttrs(h), resChanged);
  SetResAttrs(h, resProtected | resPurgeable);
  EXPECT_EQ(GetResAttrs(h), resProtected | resPurgeable | resChanged);
  UpdateResFile(ref);
  EXPECT_EQ(GetResAttrs(h), resProtected | resPurgeable);
  RemoveResource(h);
  EXPECT_EQ(ResError(), rmvResFailed);
  SetResInfo(h, 300, nullptr);
  EXPECT_EQ(ResError(), resAttrErr);
  ChangedResource(h);
  EXPECT_EQ(ResError(), resAttrErr);
  CloseResFile(ref);

  std::vector<uint8_t> b = ReadBytes(Path("attrs"));
  const size_t refs = Be32(b, 4) + 28 + 18;
  EXPECT_EQ(b[refs + 4], resProtected | resPurgeable);  // the changed mark is never stored
  EXPECT_EQ(b[refs + 12 + 4], 0);

  OpenResFile(PStr(Path("attrs")));
  EXPECT_EQ(GetResAttrs(Get1Resource(kTEST, 128)), resProtected | resPurgeable);
  EXPECT_EQ(GetResAttrs(Get1Resource(kTEST, -3)), 0);
}

TEST_F(TbxResources, RemovedResourceIsGoneAndItsHandleIsTheCallers) {
  int16_t ref = NewFile("remove");
  AddSample();
  UpdateResFile(ref);
  Handle h = Get1Resource(kTEST, 128);
  RemoveResource(h);
  EXPECT_EQ(ResError(), noErr);
  EXPECT_EQ(Get1Resource(kTEST, 128), 0u);
  EXPECT_EQ(Count1Resources(kTEST), 1);
  CloseResFile(ref);
  EXPECT_EQ(HandleBytes(h), (std::vector<uint8_t>{1, 2, 3}));  // survives the close
  DisposeHandle(h);

  OpenResFile(PStr(Path("remove")));
  EXPECT_EQ(Get1Resource(kTEST, 128), 0u);
  Handle kept = Get1Resource(kTEST, -3);
  ASSERT_NE(kept, 0u);
  EXPECT_EQ(HandleBytes(kept), (std::vector<uint8_t>{9, 8}));
  EXPECT_EQ(Count1Types(), 2);
}

TEST_F(TbxResources, RemovingEveryResourceOfATypeDropsTheType) {
  int16_t ref = NewFile("droptype");
  AddSample();
  RemoveResource(Get1Resource(kABCD, 5));
  CloseResFile(ref);
  std::vector<uint8_t> b = ReadBytes(Path("droptype"));
  EXPECT_EQ(Be16(b, Be32(b, 4) + 28), 0u);  // one type left
}

TEST_F(TbxResources, SetResInfoRenamesAndRenumbers) {
  int16_t ref = NewFile("info");
  AddSample();
  Handle h = Get1Resource(kTEST, 128);
  SetResInfo(h, -3, nullptr);  // held by another resource of the type
  EXPECT_EQ(ResError(), resAttrErr);
  SetResInfo(h, 140, PStr("Renamed"));
  EXPECT_EQ(ResError(), noErr);
  SetResInfo(Get1Resource(kTEST, -3), -3, PStr(""));
  CloseResFile(ref);

  OpenResFile(PStr(Path("info")));
  Handle r = Get1NamedResource(kTEST, PStr("Renamed"));
  ASSERT_NE(r, 0u);
  int16_t id = 0;
  uint8_t name[256];
  GetResInfo(r, &id, nullptr, name);
  EXPECT_EQ(id, 140);
  EXPECT_EQ(Get1NamedResource(kTEST, PStr("Bye")), 0u);
  GetResInfo(Get1Resource(kTEST, -3), nullptr, nullptr, name);
  EXPECT_EQ(name[0], 0);
}

TEST_F(TbxResources, ChangedDataIsKeptUntilWrittenAndThenStored) {
  int16_t ref = NewFile("changed");
  AddSample();
  UpdateResFile(ref);
  Handle h = Get1Resource(kTEST, 128);
  SetHandleSize(h, 5);
  std::memcpy(HLock(h), "\x0A\x0B\x0C\x0D\x0E", 5);
  HUnlock(h);
  ChangedResource(h);
  EXPECT_EQ(SizeResource(h), 5);
  ReleaseResource(h);  // would lose the change
  EXPECT_EQ(ResError(), resAttrErr);
  DetachResource(h);
  EXPECT_EQ(ResError(), resAttrErr);
  WriteResource(h);
  EXPECT_EQ(ResError(), noErr);
  EXPECT_EQ(GetResAttrs(h) & resChanged, 0);
  ReleaseResource(h);
  EXPECT_EQ(ResError(), noErr);
  Handle again = Get1Resource(kTEST, 128);
  EXPECT_EQ(HandleBytes(again), (std::vector<uint8_t>{10, 11, 12, 13, 14}));
  CloseResFile(ref);

  const int16_t reopened = OpenResFile(PStr(Path("changed")));
  EXPECT_EQ(HandleBytes(Get1Resource(kTEST, 128)), (std::vector<uint8_t>{10, 11, 12, 13, 14}));
  // Written anew, a private file stays private; a read-only one is not written.
  for (mode_t mode : {mode_t(0600), mode_t(0444)}) {
    chmod(Path("changed").c_str(), mode);
    AddResource(MakeHandle({7}), kTEST, int16_t(300 + mode), nullptr);
    UpdateResFile(reopened);
    EXPECT_EQ(ResError(), mode == 0444 ? permErr : noErr);
    struct stat st;
    EXPECT_TRUE(stat(Path("changed").c_str(), &st) == 0 && (st.st_mode & 07777) == mode) << mode;
  }
}

TEST_F(TbxResources, DetachedHandleOutlivesTheFile) {
  int16_t ref = NewFile("detach");
  AddSample();
  UpdateResFile(ref);
  Handle h = Get1Resource(kTEST, 128);
  DetachResource(h);
  EXPECT_EQ(ResError(), noErr);
  Handle fresh = Get1Resource(kTEST, 128);
  EXPECT_NE(fresh, h);
  EXPECT_EQ(HandleBytes(fresh), (std::vector<uint8_t>{1, 2, 3}));
  GetResInfo(h, nullptr, nullptr, nullptr);
  EXPECT_EQ(ResError(), resNotFound);  // no longer a resource
  CloseResFile(ref);
  EXPECT_EQ(HandleBytes(h), (std::vector<uint8_t>{1, 2, 3}));
  DisposeHandle(h);
}

TEST_F(TbxResources, UnchangedFileIsNotRewritten) {
  int16_t ref = NewFile("same-bytes");
  AddSample();
  UpdateResFile(ref);
  struct stat before;
  ASSERT_EQ(stat(Path("same-bytes").c_str(), &before), 0);
  Get1Resource(kTEST, 128);
  UpdateResFile(ref);
  CloseResFile(ref);
  struct stat after;
  ASSERT_EQ(stat(Path("same-bytes").c_str(), &after), 0);
  EXPECT_EQ(before.st_ino, after.st_ino);  // a rewrite would put a new file in place
}

TEST_F(TbxResources, ChainSearchesFromTheCurrentFileDown) {
  int16_t a = NewFile("chain-a");
  AddResource(MakeHandle({1}), kTEST, 1, PStr("one"));
  AddResource(MakeHandle({2}), kTEST, 2, nullptr);
  int16_t b = NewFile("chain-b");
  AddResource(MakeHandle({3}), kTEST, 3, nullptr);
  AddResource(MakeHandle({4}), kABCD, 1, nullptr);

  EXPECT_EQ(CurResFile(), b);
  EXPECT_NE(GetResource(kTEST, 1), 0u);   // found below the current file
  EXPECT_EQ(Get1Resource(kTEST, 1), 0u);  // not in the current file
  EXPECT_NE(GetNamedResource(kTEST, PStr("one")), 0u);
  EXPECT_EQ(Get1NamedResource(kTEST, PStr("one")), 0u);
  EXPECT_EQ(CountResources(kTEST), 3);
  EXPECT_EQ(Count1Resources(kTEST), 1);
  EXPECT_EQ(CountTypes(), 2);
  EXPECT_EQ(Count1Types(), 2);
  int16_t id = 0;
  GetResInfo(GetIndResource(kTEST, 2), &id, nullptr, nullptr);  // the current file first
  EXPECT_EQ(id, 1);
  ResType t = 0;
  GetIndType(&t, 2);
  EXPECT_EQ(t, kABCD);

  UseResFile(a);
  EXPECT_EQ(GetResource(kTEST, 3), 0u);  // files opened later are not searched
  EXPECT_EQ(CountResources(kTEST), 2);
  EXPECT_EQ(CountTypes(), 1);
  UseResFile(-5);
  EXPECT_EQ(ResError(), resFNotFound);
  EXPECT_EQ(CurResFile(), a);
}

TEST_F(TbxResources, PuttingTheCurrentFileBackKeepsTheLastError) {
  int16_t a = NewFile("err-a");
  int16_t b = NewFile("err-b");
  const int16_t saved = CurResFile();
  UseResFile(a);
  Get1Resource(kTEST, 1);
  UseResFile(saved);
  SetResLoad(1);
  EXPECT_EQ(CurResFile(), b);
  EXPECT_EQ(ResError(), resNotFound);
}

TEST_F(TbxResources, ClosingTheCurrentFileMakesTheNextOneCurrent) {
  int16_t a = NewFile("c-a");
  int16_t b = NewFile("c-b");
  int16_t c = NewFile("c-c");
  UseResFile(b);
  CloseResFile(b);
  EXPECT_EQ(CurResFile(), a);
  CloseResFile(c);  // not current: the current file stays
  EXPECT_EQ(CurResFile(), a);
  CloseResFile(a);
  EXPECT_EQ(CurResFile(), -1);
  CloseResFile(a);
  EXPECT_EQ(ResError(), resFNotFound);
}

TEST_F(TbxResources, SwapProcConvertsACopyOnWriteAndTheDataOnRead) {
  int16_t ref = NewFile("swap");
  SetResFileSwapProc(ref, RecordingSwap);
  EXPECT_EQ(ResError(), noErr);
  Handle h = MakeHandle({0x34, 0x12, 0x78, 0x56, 0x99});
  AddResource(h, kSWAP, 1, nullptr);
  UpdateResFile(ref);
  ASSERT_EQ(ResError(), noErr);
  ASSERT_EQ(gSwapCalls.size(), 1u);
  EXPECT_EQ(gSwapCalls[0], std::make_pair(uint8_t(0), kSWAP));
  // The caller's resource stays in native order.
  EXPECT_EQ(HandleBytes(h), (std::vector<uint8_t>{0x34, 0x12, 0x78, 0x56, 0x99}));
  CloseResFile(ref);
  std::vector<uint8_t> b = ReadBytes(Path("swap"));
  EXPECT_EQ(std::vector<uint8_t>(b.begin() + 260, b.begin() + 265),
            (std::vector<uint8_t>{0x12, 0x34, 0x56, 0x78, 0x99}));

  gSwapCalls.clear();
  ref = OpenResFile(PStr(Path("swap")));
  SetResFileSwapProc(ref, RecordingSwap);
  Handle r = Get1Resource(kSWAP, 1);
  ASSERT_EQ(gSwapCalls.size(), 1u);
  EXPECT_EQ(gSwapCalls[0], std::make_pair(uint8_t(1), kSWAP));
  EXPECT_EQ(HandleBytes(r), (std::vector<uint8_t>{0x34, 0x12, 0x78, 0x56, 0x99}));
  Get1Resource(kSWAP, 1);  // already loaded: not converted again
  EXPECT_EQ(gSwapCalls.size(), 1u);
  SetResFileSwapProc(-9, RecordingSwap);
  EXPECT_EQ(ResError(), resFNotFound);
}

TEST_F(TbxResources, StringListCountIsConvertedByTheManagerItself) {
  constexpr ResType kSTRS = 0x53545223;  // 'STR#'
  int16_t ref = NewFile("strs");
  SetResFileSwapProc(ref, RecordingSwap);
  const int16_t count = 2;
  std::vector<uint8_t> native(2);
  std::memcpy(native.data(), &count, 2);
  native.insert(native.end(), {1, 'a', 2, 'b', 'c'});
  AddResource(MakeHandle(native), kSTRS, 9003, nullptr);
  CloseResFile(ref);
  EXPECT_TRUE(gSwapCalls.empty());  // not the procedure's business
  std::vector<uint8_t> b = ReadBytes(Path("strs"));
  EXPECT_EQ(std::vector<uint8_t>(b.begin() + 256, b.begin() + 256 + 11),
            (std::vector<uint8_t>{0, 0, 0, 7, 0, 2, 1, 'a', 2, 'b', 'c'}));

  ref = OpenResFile(PStr(Path("strs")));
  SetResFileSwapProc(ref, RecordingSwap);
  EXPECT_EQ(HandleBytes(Get1Resource(kSTRS, 9003)), native);
  EXPECT_TRUE(gSwapCalls.empty());
  CloseResFile(ref);
  ref = OpenResFile(PStr(Path("strs")));  // no procedure: the bytes as stored
  EXPECT_EQ(HandleBytes(Get1Resource(kSTRS, 9003)),
            (std::vector<uint8_t>{0, 2, 1, 'a', 2, 'b', 'c'}));
}

TEST_F(TbxResources, WithoutASwapProcBytesAreStoredAsGiven) {
  int16_t ref = NewFile("noswap");
  AddResource(MakeHandle({0x34, 0x12}), kSWAP, 1, nullptr);
  CloseResFile(ref);
  std::vector<uint8_t> b = ReadBytes(Path("noswap"));
  EXPECT_EQ(b[260], 0x34);
  EXPECT_EQ(b[261], 0x12);
}

TEST_F(TbxResources, FailedUpdateLeavesThePreviousFileWhole) {
  int16_t ref = NewFile("big");
  AddSample();
  UpdateResFile(ref);
  const std::vector<uint8_t> before = ReadBytes(Path("big"));
  // Two resources of 9 MiB, then a third whose data starts beyond the 24-bit
  // offset that a reference can hold, so the file can not be written.
  AddResource(NewHandle(9 << 20), kABCD, 1, nullptr);
  AddResource(NewHandle(9 << 20), kABCD, 2, nullptr);
  AddResource(NewHandle(1), kABCD, 3, nullptr);
  UpdateResFile(ref);
  EXPECT_EQ(ResError(), addResFailed);
  EXPECT_EQ(ReadBytes(Path("big")), before);
  RemoveResource(Get1Resource(kABCD, 3));
  UpdateResFile(ref);
  EXPECT_EQ(ResError(), noErr);
  // No temporary file is left beside it.
  std::string cmd = "test $(ls -A '" + dir_ + "' | wc -l) -eq 1";
  EXPECT_EQ(std::system(cmd.c_str()), 0);
}

// ---- corrupt and truncated files ----

class TbxResourcesCorrupt : public TbxResources {
 protected:
  std::vector<uint8_t> Sample() {
    int16_t ref = NewFile("sample");
    AddSample();
    CloseResFile(ref);
    return ReadBytes(Path("sample"));
  }
  OSErr OpenBytes(const std::vector<uint8_t>& bytes) {
    WriteBytes(Path("bad"), bytes);
    int16_t ref = OpenResFile(PStr(Path("bad")));
    OSErr err = ResError();
    if (ref != -1) {
      // Whatever opened must read back without harm.
      for (int16_t t = 1; t <= Count1Types(); ++t) {
        ResType type = 0;
        Get1IndType(&type, t);
        for (int16_t i = 1; i <= Count1Resources(type); ++i) {
          Handle h = Get1IndResource(type, i);
          if (h) {
            EXPECT_EQ(GetHandleSize(h), SizeResource(h));
            uint8_t name[256];
            GetResInfo(h, nullptr, nullptr, name);
          }
        }
      }
      CloseResFile(ref);
      return noErr;
    }
    EXPECT_NE(err, noErr);
    return err;
  }
};

TEST_F(TbxResourcesCorrupt, EveryTruncationIsRefused) {
  std::vector<uint8_t> good = Sample();
  ASSERT_EQ(OpenBytes(good), noErr);
  EXPECT_EQ(OpenBytes({}), eofErr);
  for (size_t n = 1; n < good.size(); ++n)
    EXPECT_EQ(OpenBytes(std::vector<uint8_t>(good.begin(), good.begin() + n)), mapReadErr) << n;
}

TEST_F(TbxResourcesCorrupt, OffsetsOutsideTheFileAreRefused) {
  const std::vector<uint8_t> good = Sample();
  const size_t map = Be32(good, 4);
  auto with = [&](size_t at, std::vector<uint8_t> bytes) {
    std::vector<uint8_t> b = good;
    for (size_t i = 0; i < bytes.size(); ++i) b[at + i] = bytes[i];
    return b;
  };
  EXPECT_EQ(OpenBytes(with(4, {0xFF, 0xFF, 0xFF, 0x00})), mapReadErr);      // map offset
  EXPECT_EQ(OpenBytes(with(8, {0x00, 0x10, 0x00, 0x00})), mapReadErr);      // data length
  EXPECT_EQ(OpenBytes(with(12, {0xFF, 0xFF, 0xFF, 0xFF})), mapReadErr);     // map length wraps
  EXPECT_EQ(OpenBytes(with(map + 24, {0x7F, 0xFF})), mapReadErr);           // type list
  EXPECT_EQ(OpenBytes(with(map + 28, {0x00, 0x40})), mapReadErr);           // type count
  EXPECT_EQ(OpenBytes(with(map + 28 + 6, {0x00, 0x40})), mapReadErr);       // resource count
  EXPECT_EQ(OpenBytes(with(map + 28 + 8, {0x7F, 0x00})), mapReadErr);       // reference list
  EXPECT_EQ(OpenBytes(with(map + 46 + 2, {0x01, 0x00})), mapReadErr);       // name offset
  EXPECT_EQ(OpenBytes(with(map + 26, {0xFF, 0x00})), mapReadErr);           // name list
  EXPECT_EQ(OpenBytes(with(map + 46 + 5, {0x00, 0x01, 0x00})), mapReadErr); // data offset
  EXPECT_EQ(OpenBytes(with(256, {0x00, 0x00, 0x01, 0x00})), mapReadErr);    // data length
  const size_t names = map + Be16(good, map + 26);
  EXPECT_EQ(OpenBytes(with(names + 6, {0xF0})), mapReadErr);                // name length
}

// A map whose `types` type entries all claim the same 2048 references: every
// single offset is in place, but together they would be types x 2048 resources.
std::vector<uint8_t> SharedReferenceMap(uint32_t types) {
  const uint32_t refCount = 2048;
  std::vector<uint8_t> map(28, 0);
  map[25] = 28;  // type list
  auto put16 = [&](uint32_t v) {
    map.push_back(uint8_t(v >> 8));
    map.push_back(uint8_t(v));
  };
  put16(types - 1);
  const uint32_t refOff = 2 + types * 8;
  for (uint32_t t = 0; t < types; ++t) {
    map.insert(map.end(), {'T', 'Y', uint8_t(t >> 8), uint8_t(t)});
    put16(refCount - 1);
    put16(refOff);
  }
  for (uint32_t r = 0; r < refCount; ++r) {
    put16(r);       // id
    put16(0xFFFF);  // no name
    map.insert(map.end(), {0, 0, 0, 0, 0, 0, 0, 0});  // attributes, data offset 0, reserved
  }
  const uint32_t mapLen = static_cast<uint32_t>(map.size());
  map[26] = uint8_t(mapLen >> 8);  // an empty name list at the end
  map[27] = uint8_t(mapLen);
  std::vector<uint8_t> b(256, 0);
  b[2] = 1;                  // data offset 256
  b[6] = 1;                  // map offset 260
  b[7] = 4;
  b[11] = 4;                 // data length 4: one resource of no bytes
  b[12] = uint8_t(mapLen >> 24);
  b[13] = uint8_t(mapLen >> 16);
  b[14] = uint8_t(mapLen >> 8);
  b[15] = uint8_t(mapLen);
  b.insert(b.end(), {0, 0, 0, 0});
  b.insert(b.end(), map.begin(), map.end());
  return b;
}

TEST_F(TbxResourcesCorrupt, TypesSharingOneReferenceListCanNotMultiplyTheCount) {
  EXPECT_EQ(OpenBytes(SharedReferenceMap(1)), noErr);  // the same map with one type is sound
  EXPECT_EQ(OpenBytes(SharedReferenceMap(4096)), mapReadErr);
}

TEST_F(TbxResourcesCorrupt, RandomDamageNeverCrashes) {
  const std::vector<uint8_t> good = Sample();
  std::mt19937 rng(1234);
  for (int round = 0; round < 400; ++round) {
    std::vector<uint8_t> b = good;
    const int flips = 1 + static_cast<int>(rng() % 4);
    for (int i = 0; i < flips; ++i) b[rng() % b.size()] = static_cast<uint8_t>(rng());
    OpenBytes(b);
  }
}

}  // namespace
