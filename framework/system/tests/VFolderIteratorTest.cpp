// Folder iteration: the walk from Restart to done, the flags, dot names,
// type filters, shortcuts followed (and cycles of them), Reset, Count and Last.
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/core/containers/VNumericArrays.h"
#include "framework/system/files/VFile.h"
#include "framework/system/files/VFileFilter.h"
#include "framework/system/files/VFolder.h"
#include "framework/system/files/VFolderIterator.h"
#include "framework/system/tests/FilesTestSupport.h"

namespace {

using namespace files_test;

constexpr int32_t kBoth = kIterateFiles | kIterateFolders;

// The name and kind of an item ("sub/" for a folder), the item deleted.
std::string Describe(VFileSystemItem* item) {
  if (item == nullptr) return "(none)";
  Str full;
  item->GetFullPath(full);
  std::string text = fs::path(Text(full)).filename().string();
  if (item->IsFolder()) text += "/";
  delete item;
  return text;
}

// Every item from Restart to the end.
std::vector<std::string> Walk(VFolderIterator& it) {
  std::vector<std::string> out;
  for (VFileSystemItem* item = it.Restart(); item != nullptr; item = it.Next()) {
    out.push_back(Describe(item));
  }
  return out;
}

class FolderIterator : public ScratchFolder {
 protected:
  void SetUp() override {
    ScratchFolder::SetUp();
    fs::create_directory(P("d"));
    WriteAll(P("d/b.txt"), "b");
    WriteAll(P("d/a.rtf"), "a");
    WriteAll(P("d/.hidden"), "h");
    fs::create_directory(P("d/sub"));
    fs::create_directory(P("d/.git"));
  }
  std::unique_ptr<VWinFolderIterator> Make(int32_t flags, uint32_t type = 0,
                                           const std::string& name = "d") {
    VFolder folder(P(name).c_str());
    return std::make_unique<VWinFolderIterator>(folder, flags, type);
  }
};

TEST_F(FolderIterator, ANewIteratorIsDoneUntilRestarted) {
  auto it = Make(kBoth);
  EXPECT_TRUE(it->IsDone());
  EXPECT_EQ(it->Next(), nullptr);
  EXPECT_EQ(it->Current(), nullptr);
  EXPECT_EQ(it->Count(), 0);
  EXPECT_EQ(Describe(it->Restart()), "a.rtf");
  EXPECT_FALSE(it->IsDone());
}

TEST_F(FolderIterator, DotNamesAreNeverHandedOut) {
  auto it = Make(kBoth | kIterateHidden);
  EXPECT_EQ(Walk(*it), (std::vector<std::string>{"a.rtf", "b.txt", "sub/"}));
}

TEST_F(FolderIterator, FilesOnlySkipFoldersAndFoldersOnlySkipFiles) {
  auto files = Make(kIterateFiles);
  EXPECT_EQ(Walk(*files), (std::vector<std::string>{"a.rtf", "b.txt"}));
  auto folders = Make(kIterateFolders);
  EXPECT_EQ(Walk(*folders), (std::vector<std::string>{"sub/"}));
  auto nothing = Make(0);
  EXPECT_EQ(Walk(*nothing), std::vector<std::string>{});
}

TEST_F(FolderIterator, TheWalkEndsDoneAndCountsItsItems) {
  auto it = Make(kBoth);
  VFileSystemItem* first = it->Restart();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(it->Count(), 1);
  delete first;
  delete it->Next();
  delete it->Next();
  EXPECT_EQ(it->Count(), 3);
  EXPECT_EQ(it->Next(), nullptr);
  EXPECT_TRUE(it->IsDone());
  EXPECT_EQ(it->Count(), 0);
  EXPECT_EQ(it->Next(), nullptr);
  // And it walks again from the start.
  EXPECT_EQ(Walk(*it), (std::vector<std::string>{"a.rtf", "b.txt", "sub/"}));
}

TEST_F(FolderIterator, CurrentIsANewItemOfTheEntryJustHandedOut) {
  auto it = Make(kBoth);
  delete it->Restart();
  delete it->Next();  // b.txt
  VFileSystemItem* current = it->Current();
  ASSERT_NE(current, nullptr);
  EXPECT_FALSE(current->IsFolder());
  EXPECT_EQ(static_cast<VFile*>(current)->GetCreator(), 0u);
  EXPECT_EQ(Describe(current), "b.txt");
  delete it->Next();  // sub
  EXPECT_EQ(Describe(it->Current()), "sub/");
}

TEST_F(FolderIterator, ResetLeavesAWalkPastItsFirstEntryAlone) {
  // "." and ".." come before every name, so the first item is entry 3 and
  // Reset, which acts only at entry 1, changes nothing.
  auto d = Make(kBoth);
  delete d->Restart();
  d->Reset();
  EXPECT_EQ(d->Count(), 1);
  EXPECT_EQ(Describe(d->Next()), "b.txt");
  d->Reset();
  EXPECT_EQ(d->Count(), 2);
  EXPECT_EQ(Describe(d->Next()), "sub/");
}

TEST_F(FolderIterator, AFolderOfNothingButDotsEndsAtOnce) {
  fs::create_directory(P("e"));
  auto e = Make(kBoth | kIterateHidden, 0, "e");
  EXPECT_EQ(e->Restart(), nullptr);
  EXPECT_TRUE(e->IsDone());
  EXPECT_EQ(e->Count(), 0);
}

TEST_F(FolderIterator, ATypeFilterKeepsFilesOfItsType) {
  ScopedTypeMap map;
  map.Row("TEXT", "TXT ").Row("RTF ", "RTF ");
  auto it = Make(kIterateFiles, FourCC("TEXT"));
  EXPECT_EQ(Walk(*it), (std::vector<std::string>{"b.txt"}));
  // A folder has no file type, so a typed filter leaves it out too.
  auto both = Make(kBoth, FourCC("RTF "));
  EXPECT_EQ(Walk(*both), (std::vector<std::string>{"a.rtf"}));
}

TEST_F(FolderIterator, ATypeTheMapDoesNotKnowFiltersNothing) {
  ScopedTypeMap map;
  map.Row("TEXT", "TXT ");
  auto it = Make(kIterateFiles, FourCC("ZZZZ"));
  EXPECT_EQ(Walk(*it), (std::vector<std::string>{"a.rtf", "b.txt"}));
}

TEST_F(FolderIterator, AnyTypeInTheFilterAcceptsEveryItem) {
  ScopedTypeMap map;
  map.Row("TEXT", "TXT ");
  auto it = Make(kBoth, FourCC("TEXT"));
  auto* filter = new VFileFilter("", FourCC("TEXT"), 0);
  filter->AddType(FourCC("????"), 0);
  it->SetFilter(filter);
  EXPECT_EQ(Walk(*it), (std::vector<std::string>{"a.rtf", "b.txt", "sub/"}));
  it->SetFilter(nullptr);
  EXPECT_EQ(Walk(*it), (std::vector<std::string>{"a.rtf", "b.txt", "sub/"}));
}

TEST_F(FolderIterator, ShortcutsAreReplacedByTheirTargets) {
  fs::create_directory(P("elsewhere"));
  WriteAll(P("elsewhere/target.txt"), "t");
  fs::create_symlink(P("elsewhere/target.txt"), P("d/link"));
  auto plain = Make(kIterateFiles);
  EXPECT_EQ(Walk(*plain), (std::vector<std::string>{"a.rtf", "b.txt", "link"}));
  auto resolving = Make(kIterateFiles | kIterateResolveShortcuts);
  EXPECT_EQ(Walk(*resolving), (std::vector<std::string>{"a.rtf", "b.txt", "target.txt"}));
}

TEST_F(FolderIterator, ResolvedShortcutsAreFilteredByTheTargetsType) {
  ScopedTypeMap map;
  map.Row("TEXT", "TXT ").Row("RTF ", "RTF ");
  WriteAll(P("target.txt"), "t");
  fs::create_symlink(P("target.txt"), P("d/zlink.rtf"));
  auto it = Make(kIterateFiles | kIterateResolveShortcuts, FourCC("TEXT"));
  EXPECT_EQ(Walk(*it), (std::vector<std::string>{"b.txt", "target.txt"}));
}

TEST_F(FolderIterator, ShortcutsInACircleOrToNothingGiveNoItem) {
  fs::create_symlink(P("d/loop2"), P("d/loop1"));
  fs::create_symlink(P("d/loop1"), P("d/loop2"));
  fs::create_symlink(P("gone"), P("d/dangling"));
  auto it = Make(kIterateFiles | kIterateResolveShortcuts);
  EXPECT_EQ(Walk(*it), (std::vector<std::string>{"a.rtf", "b.txt"}));
  EXPECT_TRUE(it->IsDone());
}

TEST_F(FolderIterator, AShortcutToAFolderIsWalkedAsAFolder) {
  fs::create_directory(P("other"));
  fs::create_directory_symlink(P("other"), P("d/zfolder"));
  auto it = Make(kIterateFolders | kIterateResolveShortcuts);
  EXPECT_EQ(Walk(*it), (std::vector<std::string>{"sub/", "other/"}));
}

TEST_F(FolderIterator, AFolderThatCannotBeReachedHasNoEntries) {
  const std::string before = fs::current_path().string();
  ASSERT_EQ(chdir(P("d").c_str()), 0);  // a search of "." would find entries here
  auto it = Make(kBoth, 0, "missing");
  EXPECT_EQ(it->Restart(), nullptr);
  EXPECT_TRUE(it->IsDone());
  ASSERT_EQ(chdir(before.c_str()), 0);
}

TEST_F(FolderIterator, LastAnswersTheLastItemFromTheStartOrFromTheCurrentEntry) {
  auto it = Make(kBoth);
  EXPECT_EQ(Describe(it->Last()), "sub/");
  EXPECT_TRUE(it->IsDone());
  delete it->Restart();
  EXPECT_EQ(Describe(it->Last()), "sub/");
  auto files = Make(kIterateFiles);
  EXPECT_EQ(Describe(files->Last()), "b.txt");
  fs::create_directory(P("empty"));
  auto none = Make(kBoth, 0, "empty");
  EXPECT_EQ(none->Last(), nullptr);
}

}  // namespace
