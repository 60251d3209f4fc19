// The platform side's free operations: the error mapping, the bytes of the
// type record beside a file (new, kept and short records), and shortcut
// chains.
#include <gtest/gtest.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <string>

#include "framework/system/files/VFileSystemItem.h"
#include "framework/system/files/VWinFile.h"
#include "framework/system/tests/FilesTestSupport.h"
#include "platform/win32/WinFiles.h"

namespace {

using namespace files_test;

std::string Record(const std::string& path) {
  char bytes[128];
  const ssize_t n = getxattr(path.c_str(), "user.AFP_AfpInfo", bytes, sizeof bytes);
  return n < 0 ? std::string() : std::string(bytes, size_t(n));
}

TEST(WinFile, SystemErrorsMapToTheFileCodes) {
  SetLastError(0);
  EXPECT_EQ(LastFileError(), 0);
  SetLastError(ERROR_HANDLE_EOF);
  EXPECT_EQ(LastFileError(), 200);
  SetLastError(ERROR_HANDLE_DISK_FULL);
  EXPECT_EQ(LastFileError(), 203);
  SetLastError(ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(LastFileError(), -1);
  SetLastError(ERROR_SHARING_VIOLATION);
  EXPECT_EQ(LastFileError(), -1);
}

class TypeRecord : public ScratchFolder {};

TEST_F(TypeRecord, ANewRecordHasTheStandardLayout) {
  WriteAll(P("f"), "data");
  bool written = false;
  EXPECT_EQ(WriteMacFileInfo(P("f").c_str(), Code("QMV7"), Code("QvM7"), written), 0);
  EXPECT_TRUE(written);
  std::string expected(60, '\0');
  expected.replace(0, 4, std::string("AFP\0", 4));
  expected.replace(4, 4, std::string("\0\0\1\0", 4));    // 0x00010000, little-endian
  expected.replace(12, 4, std::string("\0\0\0\x80", 4)); // 0x80000000, little-endian
  expected.replace(16, 8, "QMV7QvM7");
  expected[48] = 4;
  EXPECT_EQ(Record(P("f")), expected);
  EXPECT_EQ(ReadAll(P("f")), "data");
}

TEST_F(TypeRecord, AnExistingRecordKeepsAllButTypeAndCreator) {
  WriteAll(P("f"), "");
  std::string old(60, '\0');
  for (size_t i = 0; i < old.size(); ++i) old[i] = char(i + 1);
  ASSERT_EQ(setxattr(P("f").c_str(), "user.AFP_AfpInfo", old.data(), old.size(), 0), 0);
  bool written = false;
  EXPECT_EQ(WriteMacFileInfo(P("f").c_str(), Code("TEXT"), Code("ttxt"), written), 0);
  EXPECT_TRUE(written);
  std::string expected = old;
  expected.replace(16, 8, "TEXTttxt");
  EXPECT_EQ(Record(P("f")), expected);
}

TEST_F(TypeRecord, AShortRecordIsCompletedWithZeros) {
  WriteAll(P("f"), "");
  const std::string shortOne = "0123456789";
  ASSERT_EQ(setxattr(P("f").c_str(), "user.AFP_AfpInfo", shortOne.data(), shortOne.size(), 0), 0);
  bool written = false;
  EXPECT_EQ(WriteMacFileInfo(P("f").c_str(), Code("TEXT"), Code("ttxt"), written), 0);
  std::string expected(60, '\0');
  expected.replace(0, 10, shortOne);
  expected.replace(16, 8, "TEXTttxt");
  EXPECT_EQ(Record(P("f")), expected);
}

TEST_F(TypeRecord, ReadsBackTheTypeAndCreatorOfAWholeRecordOnly) {
  WriteAll(P("f"), "data");
  bool written = false;
  ASSERT_EQ(WriteMacFileInfo(P("f").c_str(), Code("RTF "), Code("QvM7"), written), 0);
  uint32_t type = 1, creator = 1;
  EXPECT_TRUE(ReadMacFileInfo(P("f").c_str(), type, creator));
  EXPECT_EQ(type, Code("RTF "));
  EXPECT_EQ(creator, Code("QvM7"));
  struct Row {
    const char* name;
    std::string record;  // empty: no record at all
  };
  std::string foreign(60, '\0');
  foreign.replace(0, 4, "XYZ0");
  const Row rows[] = {
      {"no record", ""},
      {"too short for the creator", std::string("AFP\0", 4) + std::string(16, 'x')},
      {"another kind of record", foreign},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    WriteAll(P(row.name), "data");
    if (!row.record.empty()) {
      ASSERT_EQ(setxattr(P(row.name).c_str(), "user.AFP_AfpInfo", row.record.data(),
                         row.record.size(), 0),
                0);
    }
    type = creator = 7;
    EXPECT_FALSE(ReadMacFileInfo(P(row.name).c_str(), type, creator));
    EXPECT_EQ(type, 0u);
    EXPECT_EQ(creator, 0u);
  }
  EXPECT_FALSE(ReadMacFileInfo(P("missing").c_str(), type, creator));
}

TEST_F(TypeRecord, AMissingFileGetsNoRecord) {
  bool written = true;
  EXPECT_EQ(WriteMacFileInfo(P("none").c_str(), 1, 2, written), kFileOtherError);
  EXPECT_FALSE(written);
  EXPECT_FALSE(fs::exists(P("none")));
}

class Shortcut : public ScratchFolder {};

TEST_F(Shortcut, AChainIsFollowedOnlyWhenAsked) {
  WriteAll(P("end"), "");
  Str end(P("end")), middle(P("middle")), start(P("start"));
  ASSERT_TRUE(CreateShortcut(middle, end));
  ASSERT_TRUE(CreateShortcut(start, middle));
  Str path(P("start"));
  bool isFolder = true;
  EXPECT_TRUE(ResolveShortcut(path, false, false, isFolder));
  EXPECT_EQ(Text(path), P("middle"));
  EXPECT_FALSE(isFolder);
  SetText(path, P("start"));
  EXPECT_TRUE(ResolveShortcut(path, true, false, isFolder));
  EXPECT_EQ(Text(path), P("end"));
}

TEST_F(Shortcut, APathThatIsNoShortcutIsLeftAlone) {
  WriteAll(P("plain"), "");
  Str path(P("plain"));
  bool isFolder = true;
  EXPECT_FALSE(ResolveShortcut(path, true, false, isFolder));
  EXPECT_EQ(Text(path), P("plain"));
  EXPECT_FALSE(isFolder);
  Str missing(P("gone"));
  symlink(P("nowhere").c_str(), P("gone").c_str());
  EXPECT_FALSE(ResolveShortcut(missing, true, false, isFolder));
  EXPECT_EQ(Text(missing), P("gone"));
}

TEST_F(Shortcut, ALoopEndsAfterABoundedNumberOfSteps) {
  symlink(P("b").c_str(), P("a").c_str());
  symlink(P("a").c_str(), P("b").c_str());
  Str path(P("a"));
  bool isFolder = true;
  EXPECT_TRUE(ResolveShortcut(path, true, false, isFolder));
  // An even number of steps from a lands on a again.
  EXPECT_EQ(Text(path), kMaxShortcutSteps % 2 == 0 ? P("a") : P("b"));
  EXPECT_FALSE(isFolder);
}

TEST_F(Shortcut, AFolderEndsTheChain) {
  fs::create_directory(P("dir"));
  Str dir(P("dir")), link(P("link"));
  ASSERT_TRUE(CreateShortcut(link, dir));
  bool isFolder = false;
  EXPECT_TRUE(ResolveShortcut(link, true, false, isFolder));
  EXPECT_TRUE(isFolder);
  EXPECT_EQ(Text(link), P("dir"));
  Str tooLong(P(std::string(300, 'l')));
  EXPECT_FALSE(CreateShortcut(tooLong, dir));
}

}  // namespace
