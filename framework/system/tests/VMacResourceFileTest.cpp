// The Macintosh resource file over the Toolbox Resource Manager: opening by
// path, by reference and by file, the current file kept, replacing and
// unique ids, the search flag, stored bytes in big-endian order, round
// trips, corrupt and over-long inputs, and a failed update on a full volume.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/core/containers/VNumericArrays.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/system/files/VFile.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "framework/system/tests/FilesTestSupport.h"
#include "boundary/ModuleExports.h"
#include "platform/toolbox/TbxResources.h"

#ifndef QV_RESOURCE_FILE
#error "the tests need the compiled resource file (QV_RESOURCE_FILE)"
#endif

namespace {

using namespace files_test;

constexpr uint32_t kDATA = FourCC("DATA");

uint32_t Be32(const std::string& b, size_t at) {
  return (uint32_t(uint8_t(b[at])) << 24) | (uint32_t(uint8_t(b[at + 1])) << 16) |
         (uint32_t(uint8_t(b[at + 2])) << 8) | uint8_t(b[at + 3]);
}
uint16_t Be16(const std::string& b, size_t at) {
  return uint16_t((uint8_t(b[at]) << 8) | uint8_t(b[at + 1]));
}

std::string DataOf(VResourceFile& file, VResourceRef ref) {
  const uint32_t size = file.GetResourceSize(ref);
  const auto* p = static_cast<const char*>(file.LockResource(ref));
  std::string out = p ? std::string(p, size) : std::string();
  file.UnlockResource(ref);
  return out;
}

class MacResourceFile : public ScratchFolder {
 protected:
  // The current file while a test runs: another open file, so that a
  // change of the current file shows.
  void SetUp() override {
    ScratchFolder::SetUp();
    Str path(P("other"));
    other_ = new VMacResourceFile(&path, 1);
    ASSERT_TRUE(other_->IsOpen());
    Tbx::UseResFile(other_->GetFileRef());
  }
  void TearDown() override {
    delete other_;
    ScratchFolder::TearDown();
  }
  VMacResourceFile* Make(const std::string& name, uint8_t create = 1) {
    Str path(P(name));
    return new VMacResourceFile(&path, create);
  }
  int16_t Add(VResourceFile& file, uint32_t type, int16_t id, const std::string& bytes,
              const char* name = nullptr) {
    Str n(name ? name : "");
    return file.AddResource(type, id, name ? &n : nullptr, bytes.data(), uint32_t(bytes.size()));
  }

  VMacResourceFile* other_ = nullptr;
};

TEST_F(MacResourceFile, OpeningByPathCutsAShortExtensionAndKeepsTheCurrentFile) {
  const int16_t current = Tbx::CurResFile();
  {
    std::unique_ptr<VMacResourceFile> prefs(Make("Prefs.dat"));
    EXPECT_TRUE(prefs->IsOpen());
    EXPECT_EQ(Tbx::CurResFile(), current);
    EXPECT_TRUE(fs::exists(P("Prefs.RSR")));
    EXPECT_FALSE(fs::exists(P("Prefs.dat")));
  }
  std::unique_ptr<VMacResourceFile> notes(Make("Notes.html"));
  EXPECT_TRUE(fs::exists(P("Notes.html.RSR")));
  fs::create_directory(P("a.b"));
  std::unique_ptr<VMacResourceFile> inside(Make("a.b/x"));
  EXPECT_TRUE(fs::exists(P("a.b/x.RSR")));
  EXPECT_EQ(Tbx::CurResFile(), current);
}

TEST_F(MacResourceFile, AMissingFileWithoutCreateLeavesNoFile) {
  std::unique_ptr<VMacResourceFile> file(Make("absent", 0));
  EXPECT_FALSE(file->IsOpen());
  EXPECT_FALSE(fs::exists(P("absent.RSR")));
  EXPECT_EQ(file->UpdateFile(), 401);
  EXPECT_EQ(Add(*file, kDATA, 1, "x"), -1);
  EXPECT_EQ(file->GetResource(kDATA, 1, nullptr), 0u);
  EXPECT_EQ(file->GetResourceTypes(), nullptr);
  EXPECT_EQ(file->CountResources(kDATA), 0);
  EXPECT_FALSE(file->HasResource(kDATA, 1));
}

TEST_F(MacResourceFile, APathTooLongForTheSuffixIsRefusedNotShortened) {
  // 251 bytes take the suffix; 252 cannot, and no shorter name is tried.
  const std::string base = P("");
  const std::string fits = base + std::string(251 - base.size(), 'f');
  const std::string over = base + std::string(252 - base.size(), 'q');
  Str fitsPath(fits), overPath(over);
  VMacResourceFile ok(&fitsPath, 1);
  EXPECT_TRUE(ok.IsOpen());
  VMacResourceFile refused(&overPath, 1);
  EXPECT_FALSE(refused.IsOpen());
  size_t files = 0;
  for (auto& e : fs::directory_iterator(dir_)) files += e.path().filename().string()[0] == 'q';
  EXPECT_EQ(files, 0u);
  Str huge(base + std::string(400, 'h'));
  VMacResourceFile alsoRefused(&huge, 1);
  EXPECT_FALSE(alsoRefused.IsOpen());
}

TEST_F(MacResourceFile, AddingAnExistingIdReplacesTheResource) {
  std::unique_ptr<VMacResourceFile> file(Make("r"));
  EXPECT_EQ(Add(*file, kDATA, 128, "one"), 128);
  EXPECT_EQ(Add(*file, kDATA, 128, "two"), 128);
  EXPECT_EQ(file->CountResources(kDATA), 1);
  EXPECT_EQ(DataOf(*file, file->GetResource(kDATA, 128, nullptr)), "two");
}

TEST_F(MacResourceFile, AFreshIdIsUnusedInThisFileOrInAllFilesWhenSearchingAll) {
  std::unique_ptr<VMacResourceFile> file(Make("r"));
  Add(*other_, kDATA, 128, "other's");
  EXPECT_EQ(Add(*file, kDATA, -1, "a"), 128);  // this file only
  std::unique_ptr<VMacResourceFile> all(Make("s"));
  all->SetSearchAll(1);
  const int16_t id = Add(*all, kDATA, -1, "b");
  EXPECT_NE(id, 128);
  EXPECT_NE(id, -1);
  const int16_t unique = all->UniqueResourceId(kDATA);
  EXPECT_NE(unique, 128);
  EXPECT_NE(unique, id);
}

TEST_F(MacResourceFile, TheSearchFlagDecidesWhetherOtherFilesAreSeen) {
  Add(*other_, kDATA, 7, "elsewhere");
  std::unique_ptr<VMacResourceFile> file(Make("r"));
  EXPECT_EQ(file->GetResource(kDATA, 7, nullptr), 0u);
  EXPECT_FALSE(file->HasResource(kDATA, 7));
  file->SetSearchAll(1);
  const VResourceRef ref = file->GetResource(kDATA, 7, nullptr);
  ASSERT_NE(ref, 0u);
  EXPECT_EQ(DataOf(*file, ref), "elsewhere");
}

TEST_F(MacResourceFile, ReplacingOrRemovingNeverTouchesAnotherFilesResource) {
  Add(*other_, kDATA, 7, "theirs");
  std::unique_ptr<VMacResourceFile> file(Make("r"));
  file->SetSearchAll(1);
  EXPECT_EQ(Add(*file, kDATA, 7, "mine"), 7);
  EXPECT_TRUE(other_->HasResource(kDATA, 7));
  EXPECT_EQ(DataOf(*other_, other_->GetResource(kDATA, 7, nullptr)), "theirs");
  Str renamed("renamed");
  std::unique_ptr<VMacResourceFile> plain(Make("p"));
  plain->SetResourceName(kDATA, 7, &renamed);
  VStr<255> name;
  other_->GetResourceName(&name, kDATA, 7);
  EXPECT_EQ(Text(name), "");
  EXPECT_TRUE(file->RemoveResources(kDATA));
  EXPECT_TRUE(other_->HasResource(kDATA, 7));
}

TEST_F(MacResourceFile, PicturesAreFoundInAnyOpenFile) {
  Add(*other_, FourCC("PICT"), 9, "picture");
  std::unique_ptr<VMacResourceFile> file(Make("r"));
  const VResourceRef ref = file->GetResource(FourCC("PICT"), 9, nullptr);
  ASSERT_NE(ref, 0u);
  EXPECT_EQ(DataOf(*file, ref), "picture");
}

TEST_F(MacResourceFile, AChangedResourceIsKeptWhenReleased) {
  std::unique_ptr<VMacResourceFile> file(Make("r"));
  Add(*file, kDATA, 1, "abc");
  EXPECT_EQ(file->UpdateFile(), 0);
  const VResourceRef ref = file->GetResource(kDATA, 1, nullptr);
  ASSERT_TRUE(file->SetResourceSize(ref, 5));
  file->ReleaseResource(ref);
  EXPECT_EQ(file->GetResourceSize(ref), 5u);
  EXPECT_EQ(DataOf(*file, ref).substr(0, 3), "abc");
}

TEST_F(MacResourceFile, UseAndRestoreNest) {
  const int16_t before = Tbx::CurResFile();
  std::unique_ptr<VMacResourceFile> a(Make("a")), b(Make("b"));
  a->UseFile();
  EXPECT_EQ(Tbx::CurResFile(), a->GetFileRef());
  b->UseFile();
  EXPECT_EQ(Tbx::CurResFile(), b->GetFileRef());
  b->RestoreFile();
  EXPECT_EQ(Tbx::CurResFile(), a->GetFileRef());
  a->RestoreFile();
  EXPECT_EQ(Tbx::CurResFile(), before);
  a->RestoreFile();  // nothing left to restore
  EXPECT_EQ(Tbx::CurResFile(), before);
}

TEST_F(MacResourceFile, ResourcesRoundTripThroughTheFile) {
  {
    std::unique_ptr<VMacResourceFile> file(Make("round"));
    EXPECT_EQ(Add(*file, kDATA, 1, "first", "Alpha"), 1);
    EXPECT_EQ(Add(*file, kDATA, 2, "second"), 2);
    EXPECT_EQ(Add(*file, FourCC("MORE"), 128, std::string(1000, 'm'), "128x"), 128);
  }  // deleting the object writes the file and closes it
  std::unique_ptr<VMacResourceFile> file(Make("round", 0));
  ASSERT_TRUE(file->IsOpen());
  EXPECT_EQ(file->CountResources(kDATA), 2);
  EXPECT_EQ(DataOf(*file, file->GetResource(kDATA, 2, nullptr)), "second");
  EXPECT_EQ(file->GetResourceSizeById(FourCC("MORE"), 128), 1000u);
  EXPECT_EQ(file->GetResourceSizeById(FourCC("MORE"), 129), 0u);
  Str alpha("alpha"), number("2"), named("128x");
  EXPECT_EQ(file->GetNamedResourceId(kDATA, &alpha), 1);  // names ignore case
  EXPECT_EQ(file->GetCNamedResourceId(kDATA, "Alpha"), 1);
  EXPECT_EQ(DataOf(*file, file->GetNamedResource(kDATA, &number, nullptr)), "second");
  EXPECT_NE(file->GetNamedResource(FourCC("MORE"), &named, nullptr), 0u);
  EXPECT_EQ(file->GetIndResourceId(kDATA, 2), 2);
  EXPECT_EQ(file->GetIndResourceId(kDATA, 3), -1);
  VStr<255> name;
  file->GetResourceName(&name, kDATA, 1);
  EXPECT_EQ(Text(name), "Alpha");
  file->GetResourceNameOfHandle(&name, file->GetResource(kDATA, 2, nullptr));
  EXPECT_EQ(Text(name), "");

  std::unique_ptr<VLongArray> types(file->GetResourceTypes());
  ASSERT_NE(types, nullptr);
  ASSERT_EQ(types->Count(), 2);
  EXPECT_EQ(uint32_t(types->GetLong(1)), kDATA);
  EXPECT_EQ(uint32_t(types->GetLong(2)), FourCC("MORE"));
  std::unique_ptr<VWordArray> ids(file->GetResourceIds(kDATA));
  ASSERT_EQ(ids->Count(), 2);
  EXPECT_EQ(ids->GetWord(1), 1);
  EXPECT_EQ(ids->GetWord(2), 2);
  std::unique_ptr<VStringArray> names(file->GetResourceNames(kDATA));
  ASSERT_EQ(names->Count(), 2);
  EXPECT_EQ(Text(*names->GetAt(1)), "Alpha");
  EXPECT_EQ(Text(*names->GetAt(2)), "");

  Str beta("Beta");
  file->SetResourceName(kDATA, 2, &beta);
  EXPECT_EQ(file->GetNamedResourceId(kDATA, &beta), 2);
  EXPECT_TRUE(file->RemoveNamedResource(kDATA, &beta));
  EXPECT_FALSE(file->HasResource(kDATA, 2));
  EXPECT_TRUE(file->RemoveResources(FourCC("MORE")));
  EXPECT_TRUE(file->RemoveResources(FourCC("NONE")));
  EXPECT_EQ(file->CountResources(FourCC("MORE")), 0);
  const VResourceRef ref = file->GetResource(kDATA, 1, nullptr);
  VMemHandle detached = file->DetachResource(ref);
  ASSERT_NE(detached, 0u);
  EXPECT_EQ(gMemoryMgr->GetHandleSize(detached), 5u);
  gMemoryMgr->DisposeHandle(detached);
  EXPECT_TRUE(file->HasResource(kDATA, 1));  // detaching keeps it in the file
}

TEST_F(MacResourceFile, StringListsAreStoredBigEndianAndReadBackNative) {
  {
    std::unique_ptr<VMacResourceFile> file(Make("lists"));
    VStringArray list;
    list.AppendString(Str("Save"), false);
    list.AppendString(Str("Cancel"), false);
    EXPECT_EQ(file->WriteStringList(&list, 300, nullptr, kResTypeSTRList), 300);
    // A resource of a type the byte-order procedure knows.
    struct {
      int16_t count = 1;
      uint32_t type = FourCC("TEXT"), second = FourCC("TEXT"), extension = FourCC("TXT ");
      uint8_t flags[2] = {0x80, 0};
    } __attribute__((packed)) map;
    EXPECT_EQ(file->AddResource(FourCC("FMAP"), 128, nullptr, &map, sizeof map), 128);
  }
  const std::string bytes = ReadAll(P("lists.RSR"));
  ASSERT_GE(bytes.size(), 256u);
  const uint32_t dataOffset = Be32(bytes, 0), mapOffset = Be32(bytes, 4);
  EXPECT_EQ(dataOffset, 256u);
  EXPECT_EQ(Be32(bytes, 8), mapOffset - dataOffset);  // the data runs up to the map
  // The first resource's data: its length, then the count big-endian and the texts.
  const std::string list = bytes.substr(dataOffset + 4, Be32(bytes, dataOffset));
  EXPECT_EQ(list, std::string("\x00\x02\x04Save\x06" "Cancel", 14));
  const size_t second = dataOffset + 4 + list.size();
  ASSERT_EQ(Be32(bytes, second), 16u);
  EXPECT_EQ(Be16(bytes, second + 4), 1);
  EXPECT_EQ(Be32(bytes, second + 6), FourCC("TEXT"));
  EXPECT_EQ(Be32(bytes, second + 14), FourCC("TXT "));
  EXPECT_EQ(uint8_t(bytes[second + 18]), 0x80);

  std::unique_ptr<VMacResourceFile> file(Make("lists", 0));
  VStr<255> out;
  file->GetIndString(&out, 300, 2);
  EXPECT_EQ(Text(out), "Cancel");
  VStringArray back;
  file->LoadStringList(300, &back);
  ASSERT_EQ(back.Count(), 2);
  EXPECT_EQ(Text(*back.GetAt(1)), "Save");
}

TEST_F(MacResourceFile, MovingToAnotherFileForgetsTheCachedList) {
  std::unique_ptr<VMacResourceFile> a(Make("a")), b(Make("b"));
  VStringArray list;
  list.AppendString(Str("from a"), false);
  a->WriteStringList(&list, 5, nullptr, kResTypeSTRList);
  list.SetAt(new VStr<255>, 1);
  SetText(*list.GetAt(1), "from b");
  b->WriteStringList(&list, 5, nullptr, kResTypeSTRList);
  VMacResourceFile wrapper(a->GetFileRef());
  VStr<255> out;
  wrapper.GetIndString(&out, 5, 1);
  EXPECT_EQ(Text(out), "from a");
  wrapper.SetFileRef(b->GetFileRef());
  wrapper.GetIndString(&out, 5, 1);
  EXPECT_EQ(Text(out), "from b");
  wrapper.SetFileRef(-1);
}

TEST_F(MacResourceFile, ACorruptMapIsNoFileAndIsNotOverwritten) {
  // A header whose map lies past the end of the file.
  std::string header(16, '\0');
  header[2] = char(0x01);  // data at 256 ...
  header[6] = char(0x7F);  // ... and the map far beyond the end of the file
  header[15] = 30;
  const std::string corrupt = header + std::string(300, '\0');
  WriteAll(P("bad.RSR"), corrupt);
  std::unique_ptr<VMacResourceFile> file(Make("bad", 1));
  EXPECT_FALSE(file->IsOpen());
  EXPECT_EQ(ReadAll(P("bad.RSR")), corrupt);
  // A sound header with a type count that runs past the map.
  std::string counts = ReadAll(P("other.RSR"));
  ASSERT_GE(counts.size(), 256u + 30);
  const uint32_t mapOffset = Be32(counts, 4);
  counts[mapOffset + 28] = char(0x7F);  // types - 1
  WriteAll(P("counts.RSR"), counts);
  std::unique_ptr<VMacResourceFile> overCounted(Make("counts", 0));
  EXPECT_FALSE(overCounted->IsOpen());
}

TEST_F(MacResourceFile, AnEmptyResourceFileMadeByAFileReferenceOpens) {
  VFile made(P("empty.RSR").c_str());
  ASSERT_EQ(made.CreateResourceFile(false, false), 0);
  EXPECT_EQ(fs::file_size(P("empty.RSR")), 288u);
  VMacResourceFile file(made, 0);
  ASSERT_TRUE(file.IsOpen());
  EXPECT_EQ(file.CountResources(kDATA), 0);
  EXPECT_EQ(Add(file, kDATA, 1, "new"), 1);
  EXPECT_EQ(file.UpdateFile(), 0);
}

TEST_F(MacResourceFile, TheModulesResourceFileAnswersItsStrings) {
  const std::string name = QV_RESOURCE_FILE;
  uint8_t pascal[256];
  ASSERT_LT(name.size(), 256u);
  pascal[0] = uint8_t(name.size());
  std::memcpy(pascal + 1, name.data(), name.size());
  const int16_t previous = Tbx::CurResFile();
  const int16_t ref = Tbx::OpenResFile(pascal);
  ASSERT_NE(ref, -1);
  Tbx::SetResFileSwapProc(ref, &SwapRsrcProc);
  Tbx::UseResFile(previous);
  {
    VMacResourceFile module(ref);
    EXPECT_EQ(module.GetCharSet(), kResCharSetMac);
    VStr<255> out;
    module.GetIndString(&out, 9003, 1);
    EXPECT_EQ(Text(out), "False");
    module.GetIndString(&out, 9003, 2);
    EXPECT_EQ(Text(out), "True");
    EXPECT_TRUE(module.HasResource(FourCC("FMAP"), 128));
  }
  Tbx::CloseResFile(ref);
}

TEST_F(MacResourceFile, AnUpdateThatFillsTheVolumeLeavesThePreviousFileWhole) {
  const int ran = RunOnScratchVolume("tmpfs", "size=256k", [](const std::string& volume) {
    Str path(volume + "/full");
    VMacResourceFile file(&path, 1);
    QV_CHILD_CHECK(file.IsOpen());
    QV_CHILD_CHECK(file.AddResource(kDATA, 1, nullptr, "kept", 4) == 1);
    QV_CHILD_CHECK(file.UpdateFile() == 0);
    const std::string before = ReadAll(volume + "/full.RSR");
    const std::string big(300 * 1024, 'b');
    QV_CHILD_CHECK(file.AddResource(kDATA, 2, nullptr, big.data(), uint32_t(big.size())) == 2);
    QV_CHILD_CHECK(file.UpdateFile() != 0);
    QV_CHILD_CHECK(ReadAll(volume + "/full.RSR") == before);
    file.RemoveResource(kDATA, 2);
    return true;
  });
  if (ran < 0) GTEST_SKIP() << "no scratch volume can be mounted here";
  EXPECT_EQ(ran, 1);
}

}  // namespace
