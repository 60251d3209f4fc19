// File references: the path of typed and untyped files, states and result
// codes of opening, reading, writing and closing, positions and sizes past
// 4 GiB, a full disk, creating, deleting, renaming (bad names included),
// copying (onto itself included), close hooks, attached streams, shortcuts,
// resource files, file numbers, times and security.
#include <gtest/gtest.h>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "framework/core/values/VValue.h"
#include "framework/system/files/VFile.h"
#include "framework/system/files/VFolder.h"
#include "framework/system/tests/FilesTestSupport.h"
#include "platform/toolbox/TbxFiles.h"

namespace {

using namespace files_test;

std::string FullPath(const VFileSystemItem& item) {
  Str out;
  item.GetFullPath(out);
  return Text(out);
}

int OpenDescriptors() {
  int n = 0;
  if (DIR* d = opendir("/proc/self/fd")) {
    while (readdir(d)) ++n;
    closedir(d);
  }
  return n;
}

class File : public ScratchFolder {
 protected:
  void SetUp() override {
    ScratchFolder::SetUp();
    map_.Row("TEXT", "TXT ", "TEXT").Row("RTF ", "RTF ").Row("QMV7", "QMV ", "QMV7");
  }
  std::unique_ptr<VFile> Make(const std::string& name, uint32_t type = 0, uint32_t creator = 0) {
    return std::make_unique<VFile>(P(name).c_str(), type, creator);
  }

  ScopedTypeMap map_;
};

// ---------------------------------------------------------------- paths

TEST_F(File, AFileWithoutATypeKeepsItsExtensionAndTakesTheMappedType) {
  VFile f("/a/b.txt");
  EXPECT_EQ(f.GetFileType(), Code("TEXT"));
  EXPECT_EQ(f.GetCreator(), 0u);
  EXPECT_EQ(Text(f.GetPath()), "/a/b");
  EXPECT_EQ(FullPath(f), "/a/b.txt");  // the literal extension wins
  Str name;
  f.GetName(name);
  EXPECT_EQ(Text(name), "b");
}

TEST_F(File, AnUnmappedExtensionStaysLiteralWithNoType) {
  VFile f("/a/b.xyz");
  EXPECT_EQ(f.GetFileType(), 0u);
  EXPECT_TRUE(f.HasNoType());
  EXPECT_EQ(FullPath(f), "/a/b.xyz");
  VFile plain("/a/README");
  EXPECT_EQ(FullPath(plain), "/a/README");
  VFile dotted("/a/b.");
  EXPECT_EQ(FullPath(dotted), "/a/b.");
  VFile inFolder("/a.d/file");
  EXPECT_EQ(FullPath(inFolder), "/a.d/file");
  EXPECT_EQ(Text(inFolder.GetPath()), "/a.d/file");
}

TEST_F(File, ATypedFileLivesUnderItsMappedExtension) {
  VFile f("/a/b.rtf", Code("TEXT"), Code("ttxt"));
  EXPECT_EQ(Text(f.GetPath()), "/a/b");
  EXPECT_EQ(FullPath(f), "/a/b.TXT");
  EXPECT_EQ(f.GetCreator(), Code("ttxt"));
  VFile unmapped("/a/b.rtf", Code("NONE"), 0);
  EXPECT_EQ(FullPath(unmapped), "/a/b");
  // An extension the map gives the same type keeps its spelling.
  VFile same("/a/letter.rtf", Code("RTF "), Code("ttxt"));
  EXPECT_EQ(FullPath(same), "/a/letter.rtf");
  EXPECT_EQ(Text(same.GetPath()), "/a/letter");
  EXPECT_EQ(same.GetFileType(), Code("RTF "));
  VFile bare("/a/letter", Code("RTF "), 0);
  EXPECT_EQ(FullPath(bare), "/a/letter.RTF");
}

TEST_F(File, WithoutATypeMapThePathStaysWhole) {
  gFileTypeMap = nullptr;
  VFile f("/a/b.txt");
  EXPECT_EQ(Text(f.GetPath()), "/a/b.txt");
  EXPECT_EQ(FullPath(f), "/a/b.txt");
  EXPECT_EQ(f.GetFileType(), 0u);
}

TEST_F(File, EveryTextFormOfAPathMakesTheSameFile) {
  const char16_t units[] = u"/a/b.txt";
  const uint8_t mac[] = "\x08/a/b.txt";
  VFile a(units), b(mac), c(Str("/a/b.txt"));
  EXPECT_EQ(FullPath(a), "/a/b.txt");
  EXPECT_EQ(FullPath(b), "/a/b.txt");
  EXPECT_EQ(FullPath(c), "/a/b.txt");
  VFolder folder("/a");
  VFile d(folder, Str("b.txt"));
  EXPECT_EQ(FullPath(d), "/a/b.txt");
  EXPECT_EQ(d.GetFileType(), Code("TEXT"));
}

TEST_F(File, PathFormsAreRefusedWhenTheyDoNotFitWhole) {
  VFile f("/a/b.rtf", Code("TEXT"));
  char buffer[16];
  EXPECT_TRUE(f.GetAnsiPath(buffer, 9));
  EXPECT_STREQ(buffer, "/a/b.TXT");
  // Never cut to a name without the extension, which is another file.
  EXPECT_FALSE(f.GetAnsiPath(buffer, 8));
  char16_t units[16];
  EXPECT_TRUE(f.GetUniPath(units, 9));
  EXPECT_EQ(std::u16string(units), u"/a/b.TXT");
  EXPECT_FALSE(f.GetUniPath(units, 5));
}

TEST_F(File, TheParentIsThePathUpToTheLastSeparator) {
  std::unique_ptr<VFolder> parent(VFile("/a/b.txt").GetParent());
  EXPECT_EQ(Text(parent->GetPath()), "/a/");
  std::unique_ptr<VFolder> root(VFile("/b").GetParent());
  EXPECT_EQ(Text(root->GetPath()), "/");
  std::unique_ptr<VFolder> here(VFile("b").GetParent());
  EXPECT_EQ(Text(here->GetPath()), "");
}

// ---------------------------------------------------------------- states

TEST_F(File, OpeningFollowsThePermissionAndTheState) {
  WriteAll(P("f.dat"), "data");
  auto f = Make("f.dat");
  EXPECT_EQ(f->GetState(), kItemPresent);
  EXPECT_EQ(f->Open(9), kFileBadPermission);
  EXPECT_EQ(f->Open(1), 0);
  EXPECT_EQ(f->GetState(), 4);
  EXPECT_EQ(f->Open(1), kFileAlreadyOpen);
  EXPECT_EQ(f->Close(), 0);
  EXPECT_EQ(f->GetState(), kItemPresent);
  EXPECT_EQ(f->Close(), kFileNotOpen);
  EXPECT_EQ(f->Close(false), 0);
  EXPECT_EQ(f->Open(0), 0);
  EXPECT_EQ(f->GetState(), 7);  // the first that opens: read and write, shared
  f->Close();
  auto missing = Make("none.dat");
  EXPECT_EQ(missing->Open(1), kFileNotFound);
  EXPECT_EQ(missing->GetState(), kItemAbsent);
}

TEST_F(File, AReadOnlyFileOpensForReadingAndRefusesWrites) {
  WriteAll(P("ro.dat"), "data");
  chmod(P("ro.dat").c_str(), 0444);
  auto f = Make("ro.dat");
  EXPECT_EQ(f->Open(0), 0);
  EXPECT_EQ(f->GetState(), 4);
  EXPECT_EQ(f->Write("x", 1), kFileNotWritable);
  EXPECT_EQ(f->SetSize(0), kFileNotWritable);
  EXPECT_EQ(f->Open(2), kFileAlreadyOpen);
  f->Close();
  EXPECT_EQ(f->Open(2), kFileNotOpened);
  EXPECT_EQ(ReadAll(P("ro.dat")), "data");
}

TEST_F(File, ReadsPastTheEndGiveWhatIsThereAndTheEndCode) {
  WriteAll(P("h.dat"), std::string(100, 'h'));
  auto f = Make("h.dat");
  char buffer[10];
  uint32_t count = 10;
  EXPECT_EQ(f->Read(buffer, count), kFileNotOpen);
  EXPECT_EQ(count, 0u);
  ASSERT_EQ(f->Open(1), 0);
  count = 10;
  EXPECT_EQ(f->ReadAt(95, buffer, count), kFileEnd);
  EXPECT_EQ(count, 5u);
  EXPECT_EQ(f->GetPosition(), 100);
  count = 10;
  EXPECT_EQ(f->ReadAt(0, buffer, count), 0);
  EXPECT_EQ(count, 10u);
  EXPECT_EQ(f->Move(5), 0);
  EXPECT_EQ(f->GetPosition(), 15);
  f->Close();
  EXPECT_EQ(f->GetPosition(), -1);
  EXPECT_EQ(f->SetPosition(0), kFileNotOpen);
  EXPECT_EQ(f->Move(1), kFileNotOpen);
  EXPECT_EQ(f->Flush(), kFileNotOpen);
}

TEST_F(File, WritesLandAtThePositionAndTheSizeFollows) {
  auto f = Make("w.dat");
  ASSERT_EQ(f->Create(false), 0);
  EXPECT_EQ(f->GetState(), 6);
  EXPECT_EQ(f->Write("hello", 5), 0);
  EXPECT_EQ(f->WriteAt(1, "EL", 2), 0);
  EXPECT_EQ(f->GetSize(), 5);
  EXPECT_EQ(f->Flush(), 0);
  EXPECT_EQ(f->Close(), 0);
  EXPECT_EQ(ReadAll(P("w.dat")), "hELlo");
  EXPECT_EQ(f->GetSize(), 5);  // closed: from the disk
  EXPECT_EQ(Make("none")->GetSize(), -1);
}

TEST_F(File, SetSizeKeepsThePositionEvenPastTheNewEnd) {
  WriteAll(P("s.dat"), "0123456789");
  auto f = Make("s.dat");
  ASSERT_EQ(f->Open(3), 0);
  f->SetPosition(8);
  EXPECT_EQ(f->SetSize(4), 0);
  EXPECT_EQ(f->GetPosition(), 8);
  EXPECT_EQ(f->GetSize(), 4);
  f->Close();
  EXPECT_EQ(ReadAll(P("s.dat")), "0123");
}

TEST_F(File, TheSizeOfAClosedFileLeavesNoHandleOpen) {
  WriteAll(P("c.dat"), "abc");
  auto f = Make("c.dat");
  const int before = OpenDescriptors();
  EXPECT_EQ(f->GetSize(), 3);
  EXPECT_EQ(OpenDescriptors(), before);
}

TEST_F(File, FilesOfFourGibibytesAndMoreAreMeasuredAndAddressedWhole) {
  {
    std::ofstream out(P("big.dat"));
  }
  const int64_t five = int64_t(5) << 30;
  ASSERT_EQ(truncate(P("big.dat").c_str(), five), 0);  // sparse
  auto f = Make("big.dat");
  EXPECT_EQ(f->GetSize(), five);
  ASSERT_EQ(f->Open(3), 0);
  EXPECT_EQ(f->GetSize(), five);
  EXPECT_EQ(f->WriteAt(five - 2, "zz", 2), 0);
  EXPECT_EQ(f->GetPosition(), five);
  char back[4] = {};
  uint32_t count = 4;
  EXPECT_EQ(f->ReadAt(five - 2, back, count), kFileEnd);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(std::string(back, 2), "zz");
  EXPECT_EQ(f->SetSize(five + 10), 0);
  EXPECT_EQ(f->GetSize(), five + 10);
  EXPECT_EQ(f->SetPosition(-1), kFileOtherError);
  f->Close();
}

TEST_F(File, AWriteThatFillsTheDiskReportsItShort) {
  auto f = Make("full.dat");
  ASSERT_EQ(f->Create(false), 0);
  struct rlimit saved;
  getrlimit(RLIMIT_FSIZE, &saved);
  auto previous = signal(SIGXFSZ, SIG_IGN);
  struct rlimit limited = saved;
  limited.rlim_cur = 1000;
  setrlimit(RLIMIT_FSIZE, &limited);
  const std::string bytes(5000, 'f');
  const int32_t result = f->Write(bytes.data(), uint32_t(bytes.size()));
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, previous);
  EXPECT_EQ(result, kFileDiskFull);
  f->Close();
}

TEST_F(File, AWriteOnAFullVolumeReportsTheDiskFull) {
  const int ran = RunOnScratchVolume("tmpfs", "size=64k", [](const std::string& volume) {
    VFile f((volume + "/fill.dat").c_str());
    QV_CHILD_CHECK(f.Create(false) == 0);
    const std::string bytes(1 << 20, 'v');
    QV_CHILD_CHECK(f.Write(bytes.data(), uint32_t(bytes.size())) == kFileDiskFull);
    f.Close(false);
    return true;
  });
  if (ran < 0) GTEST_SKIP() << "no scratch volume can be mounted here";
  EXPECT_EQ(ran, 1);
}

// ---------------------------------------------------------------- create, delete, rename

TEST_F(File, CreatingRefusesAnOpenOrExistingFileUnlessReplacing) {
  WriteAll(P("e.dat"), "old");
  auto f = Make("e.dat");
  EXPECT_EQ(f->Create(false), kFileExists);
  EXPECT_EQ(ReadAll(P("e.dat")), "old");
  EXPECT_EQ(f->Create(true), 0);
  EXPECT_EQ(f->GetState(), 6);
  EXPECT_EQ(f->Create(true), kFileExists);  // open
  f->Close();
  EXPECT_EQ(ReadAll(P("e.dat")), "");
  fs::create_directory(P("dir.dat"));
  auto onFolder = Make("dir.dat");
  EXPECT_EQ(onFolder->GetState(), kItemOtherKind);
  EXPECT_EQ(onFolder->Open(1), kFileNotFound);
  EXPECT_EQ(onFolder->Create(false), kFileExists);
  EXPECT_EQ(onFolder->Create(true), kFileNotDeleted);
}

TEST_F(File, ATypedFileWithASecondCodeGetsItsTypeRecord) {
  auto f = Make("doc", Code("QMV7"), Code("QvM7"));
  ASSERT_EQ(f->Create(false), 0);
  f->Close();
  EXPECT_TRUE(fs::exists(P("doc.QMV")));
  uint8_t record[64];
  ASSERT_EQ(getxattr(P("doc.QMV").c_str(), "user.AFP_AfpInfo", record, sizeof record), 60);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(record), 4), std::string("AFP\0", 4));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(record + 16), 8), "QMV7QvM7");
  // No creator, or a type whose second code is 0: no record.
  auto plain = Make("plain", Code("QMV7"), 0);
  ASSERT_EQ(plain->Create(false), 0);
  plain->Close();
  EXPECT_LT(getxattr(P("plain.QMV").c_str(), "user.AFP_AfpInfo", record, sizeof record), 0);
  auto rtf = Make("letter", Code("RTF "), Code("MSWD"));
  ASSERT_EQ(rtf->Create(false), 0);
  rtf->Close();
  EXPECT_LT(getxattr(P("letter.RTF").c_str(), "user.AFP_AfpInfo", record, sizeof record), 0);
}

TEST_F(File, ATypedFileIsCreatedOnAVolumeWithoutExtendedAttributes) {
  const int ran = RunOnScratchVolume("ramfs", "", [](const std::string& volume) {
    ScopedTypeMap map;
    map.Row("QMV7", "QMV ", "QMV7");
    VFile f((volume + "/doc").c_str(), Code("QMV7"), Code("QvM7"));
    QV_CHILD_CHECK(f.Create(false) == 0);
    QV_CHILD_CHECK(f.Write("x", 1) == 0);
    QV_CHILD_CHECK(f.Close() == 0);
    char record[64];
    QV_CHILD_CHECK(getxattr((volume + "/doc.QMV").c_str(), "user.AFP_AfpInfo", record, 64) < 0);
    bool written = true;
    QV_CHILD_CHECK(WriteMacFileInfo((volume + "/doc.QMV").c_str(), 1, 2, written) == 0);
    QV_CHILD_CHECK(!written);
    return true;
  });
  if (ran < 0) GTEST_SKIP() << "no scratch volume can be mounted here";
  EXPECT_EQ(ran, 1);
}

TEST_F(File, DeletingRefusesAnOpenOrMissingFile) {
  WriteAll(P("d.dat"), "x");
  auto f = Make("d.dat");
  ASSERT_EQ(f->Open(1), 0);
  EXPECT_EQ(f->Delete(), kFileAlreadyOpen);
  EXPECT_EQ(f->GetState(), 4);  // still open
  EXPECT_TRUE(fs::exists(P("d.dat")));
  f->Close();
  EXPECT_EQ(f->Delete(), 0);
  EXPECT_FALSE(fs::exists(P("d.dat")));
  EXPECT_EQ(f->Delete(), kFileNotFound);
}

TEST_F(File, RenamingMovesTheFileWithinItsFolder) {
  WriteAll(P("x.txt"), "moved");
  auto f = Make("x.txt");
  EXPECT_EQ(f->Rename(Str("b.txt")), 0);
  EXPECT_FALSE(fs::exists(P("x.txt")));
  EXPECT_EQ(ReadAll(P("b.txt")), "moved");
  EXPECT_EQ(FullPath(*f), P("b.txt"));
  EXPECT_EQ(f->GetState(), kItemPresent);
  // A typed file renamed to a name without an extension is found there.
  auto typed = Make("t", Code("TEXT"));
  ASSERT_EQ(typed->Create(false), 0);
  typed->Close();
  ASSERT_TRUE(fs::exists(P("t.TXT")));
  EXPECT_EQ(typed->Rename(Str("plain")), 0);
  EXPECT_EQ(FullPath(*typed), P("plain"));
  EXPECT_TRUE(fs::exists(P("plain")));
  EXPECT_EQ(typed->Open(1), 0);
  typed->Close();
}

TEST_F(File, RenamingRefusesNamesThatLeaveTheFolderAndNeverReplaces) {
  fs::create_directory(P("sub"));
  WriteAll(P("keep.txt"), "keep");
  WriteAll(P("other.txt"), "other");
  auto f = Make("keep.txt");
  for (const char* bad : {"sub/k.txt", "..\\k.txt", "a\\b", ".", "..", ""}) {
    EXPECT_EQ(f->Rename(Str(bad)), kFileBadName) << bad;
    EXPECT_EQ(ReadAll(P("keep.txt")), "keep");
  }
  EXPECT_FALSE(fs::exists(P("sub/k.txt")));
  EXPECT_EQ(f->Rename(Str("other.txt")), kFileOtherError);
  EXPECT_EQ(ReadAll(P("keep.txt")), "keep");
  EXPECT_EQ(ReadAll(P("other.txt")), "other");
  ASSERT_EQ(f->Open(1), 0);
  EXPECT_EQ(f->Rename(Str("n.txt")), kFileAlreadyOpen);
  f->Close();
  EXPECT_EQ(Make("none.txt")->Rename(Str("n.txt")), kFileNotFound);
}

// ---------------------------------------------------------------- copying

TEST_F(File, CopiesCarryEveryByteAcrossBlocks) {
  std::string bytes(100000, '\0');
  std::mt19937 random(7);
  for (char& c : bytes) c = char(random());
  WriteAll(P("src.bin"), bytes);
  auto source = Make("src.bin");
  auto copy = Make("copy.bin");
  EXPECT_EQ(source->CopyTo(*copy, false, false), 0);
  EXPECT_EQ(ReadAll(P("copy.bin")), bytes);
  EXPECT_EQ(source->GetState(), kItemPresent);  // closed again
  EXPECT_EQ(copy->GetState(), kItemPresent);
  EXPECT_EQ(source->CopyTo(*copy, false, false), kFileExists);
  WriteAll(P("copy.bin"), std::string(200000, 'x'));
  EXPECT_EQ(source->CopyTo(*copy, false, true), 0);  // into the existing file, emptied first
  EXPECT_EQ(ReadAll(P("copy.bin")), bytes);
  WriteAll(P("empty.bin"), "");
  auto empty = Make("empty.bin");
  EXPECT_EQ(empty->CopyTo(*copy, true, false), 0);
  EXPECT_EQ(ReadAll(P("copy.bin")), "");
}

TEST_F(File, CopyingAFileOntoItselfIsRefusedAndLosesNothing) {
  WriteAll(P("self.txt"), "precious");
  auto source = Make("self.txt");
  auto same = Make("self.txt");
  EXPECT_EQ(source->CopyTo(*same, true, false), kFileExists);
  EXPECT_EQ(source->CopyTo(*same, false, true), kFileExists);
  ASSERT_EQ(link(P("self.txt").c_str(), P("alias.txt").c_str()), 0);
  auto alias = Make("alias.txt");
  EXPECT_EQ(source->CopyTo(*alias, true, false), kFileExists);
  EXPECT_EQ(ReadAll(P("self.txt")), "precious");
}

TEST_F(File, CopyingNeedsTheSourceAndForAnExistingTargetTheTarget) {
  WriteAll(P("a.txt"), "a");
  EXPECT_EQ(Make("none.txt")->CopyTo(*Make("b.txt"), false, false), kFileNotFound);
  EXPECT_EQ(Make("a.txt")->CopyTo(*Make("b.txt"), false, true), kFileNotFound);
  EXPECT_FALSE(fs::exists(P("b.txt")));
}

TEST_F(File, CopiesToAPathTakeTheTypeAndCopiesFromASourceCreate) {
  WriteAll(P("note.txt"), "text");
  auto source = Make("note.txt");
  EXPECT_EQ(source->CopyToPath(Str(P("copy.rtf")), false, false), 0);
  EXPECT_EQ(ReadAll(P("copy.TXT")), "text");  // the type decides the extension
  auto target = Make("from.dat");
  EXPECT_EQ(target->CopyFrom(*source, false), 0);
  EXPECT_EQ(ReadAll(P("from.dat")), "text");
}

// ---------------------------------------------------------------- hooks and streams

class Hook : public VFileCloseHook {
 public:
  Hook(bool answer, int* asked, int* deleted) : answer_(answer), asked_(asked), deleted_(deleted) {}
  ~Hook() override { ++*deleted_; }
  bool ConfirmClose(VFile&) override {
    ++*asked_;
    return answer_;
  }

 private:
  bool answer_;
  int* asked_;
  int* deleted_;
};

TEST_F(File, TheCloseHookIsAskedAfterAWritableFileCloses) {
  WriteAll(P("h.dat"), "x");
  int asked = 0, deleted = 0;
  {
    auto f = Make("h.dat");
    f->SetCloseHook(new Hook(false, &asked, &deleted), true);
    ASSERT_EQ(f->Open(1), 0);
    EXPECT_EQ(f->Close(), 0);  // not writable: not asked
    EXPECT_EQ(asked, 0);
    ASSERT_EQ(f->Open(3), 0);
    EXPECT_EQ(f->Close(), kFileCloseRefused);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(f->GetState(), kItemPresent);
    f->SetCloseHook(new Hook(true, &asked, &deleted), true);
    EXPECT_EQ(deleted, 1);  // the owned hook it replaced
    ASSERT_EQ(f->Open(2), 0);
    EXPECT_EQ(f->Close(), 0);
  }
  EXPECT_EQ(deleted, 2);
}

class Link : public VFileStreamLink {
 public:
  int32_t FlushToFile() override {
    ++flushes;
    return 0;
  }
  int64_t GetStreamSize() override { return 12345; }
  int flushes = 0;
};

TEST_F(File, AnAttachedStreamIsFlushedBeforeReadsAndGivesTheSize) {
  WriteAll(P("s.dat"), "abc");
  auto f = Make("s.dat");
  Link one, two;
  EXPECT_EQ(f->AttachStream(&one), 0);
  EXPECT_EQ(f->AttachStream(&one), 0);
  EXPECT_EQ(f->AttachStream(&two), kFileAlreadyOpen);
  EXPECT_EQ(f->GetSize(), 12345);
  ASSERT_EQ(f->Open(1), 0);
  char c;
  uint32_t count = 1;
  f->Read(&c, count);
  EXPECT_EQ(one.flushes, 1);
  f->Close();
  EXPECT_EQ(f->AttachStream(nullptr), 0);
  EXPECT_EQ(f->GetSize(), 3);
  EXPECT_EQ(f->AttachStream(&two), 0);
}

// ---------------------------------------------------------------- shortcuts

TEST_F(File, ShortcutsAreMadeResolvedAndFollowedToTheEnd) {
  WriteAll(P("target.dat"), "t");
  auto target = Make("target.dat");
  auto first = Make("first.lnk");
  EXPECT_EQ(first->MakeShortcut(*target), 0);
  EXPECT_EQ(first->MakeShortcut(*target), kFileExists);
  EXPECT_TRUE(first->IsShortcut());
  EXPECT_FALSE(target->IsShortcut());
  auto second = Make("second.lnk");
  EXPECT_EQ(second->MakeShortcut(*first), 0);
  std::unique_ptr<VFileSystemItem> resolved(second->ResolveShortcut());
  ASSERT_NE(resolved, nullptr);
  EXPECT_FALSE(resolved->IsFolder());
  EXPECT_EQ(FullPath(*resolved), P("target.dat"));
  fs::create_directory(P("folder"));
  VFolder folder(P("folder").c_str());
  auto toFolder = Make("folder.lnk");
  EXPECT_EQ(toFolder->MakeShortcut(folder), 0);
  std::unique_ptr<VFileSystemItem> f(toFolder->ResolveShortcut());
  ASSERT_NE(f, nullptr);
  EXPECT_TRUE(f->IsFolder());
  EXPECT_TRUE(toFolder->IsShortcut());
  VFile realFolder(P("folder").c_str());
  EXPECT_FALSE(realFolder.IsShortcut());
  EXPECT_EQ(realFolder.ResolveShortcut(), nullptr);
  EXPECT_EQ(Make("none.lnk")->ResolveShortcut(), nullptr);
  EXPECT_FALSE(Make("none.lnk")->IsShortcut());
}

TEST_F(File, ALoopOfShortcutsEnds) {
  symlink(P("b.lnk").c_str(), P("a.lnk").c_str());
  symlink(P("a.lnk").c_str(), P("b.lnk").c_str());
  auto a = Make("a.lnk");
  EXPECT_TRUE(a->IsShortcut());
  std::unique_ptr<VFileSystemItem> end(a->ResolveShortcut());
  if (end) {
    EXPECT_FALSE(end->IsFolder());
  }
  Str path(P("a.lnk"));
  bool isFolder = true;
  EXPECT_TRUE(ResolveShortcut(path, true, false, isFolder));
  EXPECT_FALSE(isFolder);
}

// ---------------------------------------------------------------- resource files, numbers, times

TEST_F(File, AnEmptyResourceFileHasTheStandardLayout) {
  auto f = Make("r.rsr");
  EXPECT_EQ(f->CreateResourceFile(false, true), 0);
  EXPECT_EQ(f->GetState(), 6);
  EXPECT_EQ(f->CreateResourceFile(true, false), kFileExists);  // open
  f->Close();
  const std::string b = ReadAll(P("r.rsr"));
  ASSERT_EQ(b.size(), 288u);
  const std::string header("\0\0\1\0\0\0\1\0\0\0\0\0\0\0\0\x1e", 16);
  EXPECT_EQ(b.substr(0, 16), header);
  EXPECT_EQ(b.substr(16, 240), std::string(240, '\0'));
  EXPECT_EQ(b.substr(256, 16), header);
  EXPECT_EQ(b.substr(272, 16), std::string("\0\0\0\0\0\0\0\0\0\x1c\0\x1e\xff\xff\0\0", 16));
  EXPECT_EQ(f->CreateResourceFile(false, false), kFileExists);
  WriteAll(P("r.rsr"), "junk");
  EXPECT_EQ(f->CreateResourceFile(true, false), 0);
  EXPECT_EQ(fs::file_size(P("r.rsr")), 288u);
}

TEST_F(File, AFileNumberGivesTheFileItsHandle) {
  WriteAll(P("n.dat"), "numbered");
  const int fd = open(P("n.dat").c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  auto f = Make("n.dat");
  EXPECT_EQ(f->SetFileRef(fd), 0);
  close(fd);
  EXPECT_EQ(f->SetFileRef(fd), kFileNotOpen);
  char buffer[8];
  uint32_t count = 8;
  EXPECT_EQ(f->Read(buffer, count), 0);
  EXPECT_EQ(std::string(buffer, 8), "numbered");
  EXPECT_EQ(f->Close(), 0);
  EXPECT_EQ(Make("m.dat")->SetFileRef(-5), kFileOtherError);
}

TEST_F(File, TheToolboxReferenceAndFreeSpaceAreFound) {
  WriteAll(P("t.dat"), "");
  auto f = Make("t.dat");
  Tbx::FileRef ref;
  EXPECT_EQ(f->GetFileRef(ref), Tbx::noErr);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(ref.name + 1), ref.name[0]), "t.dat");
  uint64_t bytes = 0;
  EXPECT_EQ(f->GetFreeSpace(bytes), 0);
  EXPECT_GT(bytes, 0u);
}

TEST_F(File, TimesAreUniversalDatesAndTimesOfDay) {
  WriteAll(P("t.dat"), "x");
  // 2001-02-03 04:05:06 UTC for the last write, 1999-12-31 23:59:59 for access.
  struct timespec times[2] = {{946684799, 0}, {981173106, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, P("t.dat").c_str(), times, 0), 0);
  auto f = Make("t.dat");
  VDateRec date;
  int32_t time = -1;
  f->GetModificationDate(date, time);
  EXPECT_EQ(date.day, 3);
  EXPECT_EQ(date.month, 2);
  EXPECT_EQ(date.year, 2001);
  EXPECT_EQ(time, 4 * 3600 + 5 * 60 + 6);
  f->GetAccessDate(date, time);
  EXPECT_EQ(date.year, 1999);
  EXPECT_EQ(time, 86399);
  f->GetCreationDate(date, time);
  EXPECT_GE(date.year, 2000);
  EXPECT_EQ(f->GetModificationStamp(), (981173106ULL + 11644473600ULL) * 10000000ULL);
  auto missing = Make("none.dat");
  missing->GetModificationDate(date, time);
  EXPECT_EQ(date.year, 0);
  EXPECT_EQ(date.day, 0);
  EXPECT_EQ(time, 0);
  EXPECT_EQ(missing->GetModificationStamp(), 0u);
}

TEST_F(File, SecurityGivesOwnerReadWriteAndGroupReadAtMost) {
  WriteAll(P("sec.dat"), "");
  chmod(P("sec.dat").c_str(), 0777);
  const mode_t saved = umask(022);
  EXPECT_EQ(Make("sec.dat")->SetSecurity(), 0);
  umask(saved);
  struct stat st;
  stat(P("sec.dat").c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(Make("none.dat")->SetSecurity(), kFileOtherError);
}

// ---------------------------------------------------------------- look-up

TEST_F(File, ARelativeNameInTheCurrentFolderResolvesToTheFoundPath) {
  WriteAll(P("rel.txt"), "r");
  fs::current_path(dir_);
  VFile f("rel.txt");
  EXPECT_TRUE(f.Resolve());
  const std::string found = fs::canonical(P("rel.txt")).string();
  EXPECT_EQ(FullPath(f), found);
  EXPECT_EQ(f.Open(1), 0);
  f.Close();
  VFile typed("rel", Code("TEXT"));
  EXPECT_FALSE(typed.Resolve());  // rel.TXT is not there
  VFile missing("absent.txt");
  EXPECT_FALSE(missing.Resolve());
  EXPECT_EQ(missing.GetState(), kItemAbsent);
}

TEST_F(File, TheStateIsACacheUntilAResettingOperation) {
  auto f = Make("later.dat");
  EXPECT_EQ(f->GetState(), kItemAbsent);
  WriteAll(P("later.dat"), "now");
  EXPECT_EQ(f->GetState(), kItemAbsent);
  EXPECT_EQ(f->Open(1), kFileNotFound);
  // Creating goes by the cached state, meets the file, and looks again after.
  EXPECT_EQ(f->Create(false), kFileOtherError);
  EXPECT_EQ(f->GetState(), kItemPresent);
  EXPECT_EQ(f->Create(false), kFileExists);
  EXPECT_EQ(ReadAll(P("later.dat")), "now");
}

}  // namespace
