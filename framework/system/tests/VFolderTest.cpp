// Folder references: the path form, creating and deleting, emptiness,
// listings with modes and type filters, the current folder, the canonical
// path, the Macintosh location, and items of the other kind.
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/core/containers/VNumericArrays.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/system/files/VFile.h"
#include "framework/system/files/VFolder.h"
#include "framework/system/tests/FilesTestSupport.h"

namespace {

using namespace files_test;

std::vector<std::string> Names(VStringArray* list) {
  std::vector<std::string> out;
  if (list == nullptr) return out;
  for (int32_t i = 1; i <= list->Count(); ++i) out.push_back(Text(*list->GetAt(i)));
  delete list;
  return out;
}

class Folder : public ScratchFolder {
 protected:
  std::unique_ptr<VFolder> Make(const std::string& name) {
    return std::make_unique<VFolder>(P(name).c_str());
  }
};

TEST_F(Folder, APathAlwaysEndsWithASeparator) {
  VFolder f("/x/a");
  EXPECT_EQ(Text(f.GetPath()), "/x/a/");
  Str name;
  f.GetName(name);
  EXPECT_EQ(Text(name), "a");
  VFolder already("/x/a/");
  EXPECT_EQ(Text(already.GetPath()), "/x/a/");
  std::unique_ptr<VFolder> parent(f.GetParent());
  EXPECT_EQ(Text(parent->GetPath()), "/x/");
  std::unique_ptr<VFolder> sub(f.GetSubFolder(Str("b")));
  EXPECT_EQ(Text(sub->GetPath()), "/x/a/b/");
  f.SetPath(Str("/y"));
  EXPECT_EQ(Text(f.GetPath()), "/y/");
  Str full;
  f.AppendExtension(full);
  EXPECT_EQ(Text(full), "/y/");
}

TEST_F(Folder, FoldersAreCreatedOnceAndDeletedOnlyWhenEmpty) {
  auto f = Make("made");
  EXPECT_EQ(f->GetState(), kItemAbsent);
  EXPECT_EQ(f->Create(false), 0);
  EXPECT_EQ(f->GetState(), kItemPresent);
  EXPECT_TRUE(fs::is_directory(P("made")));
  EXPECT_EQ(f->Create(false), kFileExists);
  EXPECT_EQ(f->Create(true), 0);  // an empty folder is made anew
  WriteAll(P("made/one"), "1");
  EXPECT_FALSE(f->IsEmpty());
  EXPECT_EQ(f->Delete(), kFileFolderNotEmpty);
  EXPECT_EQ(f->Create(true), kFileFolderNotEmpty);
  EXPECT_TRUE(fs::exists(P("made/one")));
  std::remove(P("made/one").c_str());
  EXPECT_TRUE(f->IsEmpty());
  EXPECT_EQ(f->Delete(), 0);
  EXPECT_EQ(f->GetState(), kItemAbsent);
  EXPECT_EQ(f->Delete(), kFileNotFound);
  EXPECT_FALSE(f->IsEmpty());
  EXPECT_EQ(Make("no/such/parent")->Create(false), kFileFolderNotMade);
}

TEST_F(Folder, ItemsOfTheOtherKindAreNeitherFilesNorFolders) {
  WriteAll(P("file"), "x");
  fs::create_directory(P("dir"));
  EXPECT_EQ(Make("file")->GetState(), kItemOtherKind);
  EXPECT_EQ(Make("file")->Delete(), kFileNotFound);
  EXPECT_EQ(Make("file")->Create(false), kFileExists);
  VFile file(P("dir").c_str());
  EXPECT_EQ(file.GetState(), kItemOtherKind);
  EXPECT_EQ(file.Delete(), kFileNotFound);
}

TEST_F(Folder, ListingsLeaveOutDotNamesAndFollowTheMode) {
  fs::create_directory(P("l"));
  WriteAll(P("l/b.txt"), "");
  WriteAll(P("l/a.rtf"), "");
  WriteAll(P("l/.hidden"), "");
  WriteAll(P("l/plain"), "");
  fs::create_directory(P("l/sub"));
  auto f = Make("l");
  EXPECT_EQ(Names(f->ListEntries(nullptr, 0)),
            (std::vector<std::string>{"a.rtf", "b.txt", "plain", "sub"}));
  EXPECT_EQ(Names(f->ListEntries(nullptr, 1)),
            (std::vector<std::string>{"a.rtf", "b.txt", "plain"}));
  EXPECT_EQ(Names(f->ListEntries(nullptr, 2)), (std::vector<std::string>{"sub"}));
  ScopedTypeMap map;
  map.Row("TEXT", "TXT ").Row("RTF ", "RTF ");
  VLongArray types;
  types.AppendLong(int32_t(Code("TEXT")), false);
  EXPECT_EQ(Names(f->ListEntries(&types, 0)), (std::vector<std::string>{"b.txt", "sub"}));
  EXPECT_EQ(f->ListEntries(nullptr, 0) != nullptr, true);
  EXPECT_EQ(Make("none")->ListEntries(nullptr, 0), nullptr);
  fs::create_directory(P("empty"));
  VStringArray* none = Make("empty")->ListEntries(nullptr, 0);
  ASSERT_NE(none, nullptr);
  EXPECT_EQ(none->Count(), 0);
  delete none;
}

TEST_F(Folder, TheCanonicalPathLeavesTheCurrentFolderAlone) {
  fs::create_directory(P("real"));
  fs::create_directory_symlink(P("real"), P("alias"));
  const fs::path before = fs::current_path();
  Str full;
  Make("alias")->GetFullPath(full);
  EXPECT_EQ(Text(full), fs::canonical(P("real")).string());
  EXPECT_EQ(fs::current_path(), before);
  Make("none")->GetFullPath(full);
  EXPECT_EQ(Text(full), "");
}

TEST_F(Folder, TheCurrentFolderIsSetRememberedAndRestored) {
  fs::create_directory(P("c"));
  const fs::path before = fs::current_path();
  auto f = Make("c");
  EXPECT_EQ(f->RestoreCurrent(), kFileOtherError);
  EXPECT_EQ(f->MakeCurrent(), 0);
  EXPECT_EQ(fs::current_path(), fs::canonical(P("c")));
  VFolder here("");
  EXPECT_EQ(here.SetToCurrentDirectory(), 0);
  EXPECT_EQ(Text(here.GetPath()), fs::canonical(P("c")).string() + "/");
  EXPECT_EQ(f->RestoreCurrent(), 0);
  EXPECT_EQ(fs::current_path(), before);
  EXPECT_EQ(Make("none")->MakeCurrent(), kFileOtherError);
  EXPECT_EQ(Make("none")->SetCurrent(), kFileOtherError);
  EXPECT_EQ(fs::current_path(), before);
}

TEST_F(Folder, ARelativeNameResolvesThroughTheCurrentFolder) {
  fs::create_directory(P("rel"));
  fs::current_path(dir_);
  VFolder f("rel");
  EXPECT_TRUE(f.Resolve());
  EXPECT_EQ(Text(f.GetPath()), fs::canonical(P("rel")).string() + "/");
}

TEST_F(Folder, TheMacintoshLocationIsTheLibrarysFolderNumber) {
  fs::create_directory(P("m"));
  int32_t directory = 0;
  int16_t volume = 0;
  EXPECT_EQ(Make("m")->GetMacLocation(directory, volume), 0);
  EXPECT_GE(directory, 2);
  EXPECT_LT(volume, 0);
  int32_t again = 0;
  EXPECT_EQ(Make("m/")->GetMacLocation(again, volume), 0);
  EXPECT_EQ(again, directory);
  EXPECT_EQ(Make("none")->GetMacLocation(directory, volume), kFileNoMacLocation);
  EXPECT_EQ(directory, 0);
}

TEST_F(Folder, SecurityKeepsSearchForThoseWhoMayRead) {
  fs::create_directory(P("s"));
  const mode_t saved = umask(022);
  EXPECT_EQ(Make("s")->SetSecurity(), 0);
  umask(saved);
  EXPECT_EQ(fs::status(P("s")).permissions() & fs::perms::all,
            fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
}

}  // namespace
