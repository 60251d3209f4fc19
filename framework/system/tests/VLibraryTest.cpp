// The library loader: loading from a file reference, entry points by name
// and by string, a second load freeing the first, missing files and
// entries, and which file a library counts as loaded from.
#include "framework/system/environment/VLibrary.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "FilesTestSupport.h"
#include "framework/system/files/VFile.h"
#include "platform/toolbox/TbxScrap.h"

namespace {

using files_test::ScratchFolder;

std::string PathOf(void* address) {
  Dl_info info{};
  if (dladdr(address, &info) == 0 || info.dli_fname == nullptr) return {};
  return info.dli_fname;
}

// The C library and the platform library, as files on disk.
std::string CLibrary() { return PathOf(reinterpret_cast<void*>(&getpid)); }
std::string PlatformLibrary() { return PathOf(reinterpret_cast<void*>(&Tbx::ZeroScrap)); }

using GetPid = pid_t (*)();

class Library : public ScratchFolder {
 protected:
  void SetUp() override {
    ScratchFolder::SetUp();
    ASSERT_EQ(CLibrary().front(), '/');
    ASSERT_EQ(PlatformLibrary().front(), '/');
  }
};

TEST_F(Library, NothingLoadedAnswersNullForEveryName) {
  VLibrary library;
  EXPECT_FALSE(library.IsLoaded());
  EXPECT_EQ(library.GetProcAddress("getpid"), nullptr);
  VStr<15> name;
  name.SetCText("getpid", kCharSetAnsi);
  EXPECT_EQ(library.GetProc(name), nullptr);
  EXPECT_EQ(library.GetFile(), nullptr);
}

TEST_F(Library, LoadsFromAFileAndFindsEntriesByName) {
  VFile file(CLibrary().c_str());
  VLibrary library(file);
  ASSERT_TRUE(library.IsLoaded());
  auto entry = reinterpret_cast<GetPid>(library.GetProcAddress("getpid"));
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry(), getpid());
}

TEST_F(Library, GetProcTakesTheNameAsAString) {
  VLibrary library;
  library.Load(VFile(CLibrary().c_str()));
  VStr<15> name;
  name.SetCText("getpid", kCharSetAnsi);
  auto entry = reinterpret_cast<GetPid>(library.GetProc(name));
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry(), getpid());
}

TEST_F(Library, AMissingEntryAnswersNull) {
  VLibrary library(VFile(CLibrary().c_str()));
  ASSERT_TRUE(library.IsLoaded());
  EXPECT_EQ(library.GetProcAddress("NoSuchEntry"), nullptr);
  // A name longer than 255 characters is cut to 255 and found by no entry.
  VStrInHandle name;
  name.SetCText(std::string(300, 'g').c_str(), kCharSetAnsi);
  EXPECT_EQ(library.GetProc(name), nullptr);
}

TEST_F(Library, AMissingFileLoadsNothingButKeepsTheReference) {
  VLibrary library(VFile(P("libnothing.so").c_str()));
  EXPECT_FALSE(library.IsLoaded());
  ASSERT_NE(library.GetFile(), nullptr);
  EXPECT_EQ(library.GetProcAddress("getpid"), nullptr);
  EXPECT_FALSE(library.IsLoadedFrom(VFile(P("libnothing.so").c_str())));
}

TEST_F(Library, AFileThatIsNoLibraryLoadsNothing) {
  files_test::WriteAll(P("fake.so"), "not a library");
  VLibrary library(VFile(P("fake.so").c_str()));
  EXPECT_FALSE(library.IsLoaded());
  EXPECT_EQ(library.GetProcAddress("getpid"), nullptr);
}

TEST_F(Library, LoadingASecondLibraryFreesTheFirst) {
  VLibrary library(VFile(PlatformLibrary().c_str()));
  ASSERT_TRUE(library.IsLoaded());
  EXPECT_TRUE(library.IsLoadedFrom(VFile(PlatformLibrary().c_str())));
  library.Load(VFile(CLibrary().c_str()));
  ASSERT_TRUE(library.IsLoaded());
  EXPECT_FALSE(library.IsLoadedFrom(VFile(PlatformLibrary().c_str())));
  EXPECT_TRUE(library.IsLoadedFrom(VFile(CLibrary().c_str())));
  // A failed load frees what was loaded too.
  library.Load(VFile(P("missing.so").c_str()));
  EXPECT_FALSE(library.IsLoaded());
  EXPECT_FALSE(library.IsLoadedFrom(VFile(CLibrary().c_str())));
}

TEST_F(Library, FreeForgetsTheLibraryAndTheFile) {
  VLibrary library(VFile(CLibrary().c_str()));
  library.Free();
  EXPECT_FALSE(library.IsLoaded());
  EXPECT_EQ(library.GetFile(), nullptr);
  EXPECT_EQ(library.GetProcAddress("getpid"), nullptr);
  library.Free();
}

TEST_F(Library, TheSameFileReachedThroughAnotherFolderPathCounts) {
  // A link to the library's folder: another path, the same folder on disk.
  const std::string path = CLibrary();
  const std::string folder = path.substr(0, path.rfind('/'));
  const std::string name = path.substr(path.rfind('/') + 1);
  ASSERT_EQ(symlink(folder.c_str(), P("libs").c_str()), 0);
  VLibrary library(VFile(path.c_str()));
  EXPECT_TRUE(library.IsLoadedFrom(VFile((P("libs") + "/" + name).c_str())));
}

TEST_F(Library, AFileOfTheSameNameInAnotherFolderDoesNotCount) {
  const std::string path = CLibrary();
  const std::string name = path.substr(path.rfind('/') + 1);
  files_test::WriteAll(P(name), "x");
  VLibrary library(VFile(path.c_str()));
  EXPECT_FALSE(library.IsLoadedFrom(VFile(P(name).c_str())));
}

TEST_F(Library, NamesDifferingInCaseAreDifferentFiles) {
  const std::string path = CLibrary();
  std::string upper = path;
  const size_t slash = upper.rfind('/');
  for (size_t i = slash + 1; i < upper.size(); ++i) upper[i] = char(std::toupper(upper[i]));
  VLibrary library(VFile(path.c_str()));
  EXPECT_FALSE(library.IsLoadedFrom(VFile(upper.c_str())));
}

TEST_F(Library, WithAFileTypeMapTheNamesOwnExtensionIsLoaded) {
  files_test::ScopedTypeMap map;
  map.Row("shlb", "SO  ");
  VFile file(PlatformLibrary().c_str());
  EXPECT_EQ(file.GetFileType(), FourCC("shlb"));
  VLibrary library(file);
  EXPECT_TRUE(library.IsLoaded());
  EXPECT_TRUE(library.IsLoadedFrom(file));
}

}  // namespace
