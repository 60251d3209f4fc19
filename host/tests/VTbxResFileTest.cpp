// A Toolbox resource file used one file at a time: lookups stay in the file
// whatever is current, string list items are read within their data, and
// additions take free ids when asked.
#include "host/resources/VTbxResFile.h"

#include <gtest/gtest.h>

#include "framework/core/strings/VUniString.h"
#include "boundary/ModuleExports.h"
#include "host/tests/HostTestSupport.h"

namespace {

using hosttest::StringList;
using hosttest::TempDir;

constexpr uint32_t kSTRS = FourCC("STR#");
constexpr uint32_t kTEST = FourCC("TEST");

std::string Item(const VTbxResFile& file, int16_t list, int16_t index, bool* found = nullptr) {
  uint8_t text[256];
  const bool ok = file.GetIndString(text, list, index);
  if (found != nullptr) *found = ok;
  return std::string(reinterpret_cast<const char*>(text + 1), text[0]);
}

TEST(TbxResFile, LooksOnlyInItsOwnFile) {
  TempDir dir;
  ASSERT_TRUE(hosttest::WriteResourceFile(dir.Path("a"), {{kTEST, 1, "", {1}}}));
  ASSERT_TRUE(hosttest::WriteResourceFile(dir.Path("b"), {{kTEST, 2, "", {2}}}));
  hosttest::OpenResourceFile a(dir.Path("a"), nullptr);
  hosttest::OpenResourceFile b(dir.Path("b"), nullptr);  // current, in front of a
  VTbxResFile fileA(a.ref);
  EXPECT_EQ(fileA.Get(kTEST, 2), 0u);
  const uint32_t h = fileA.Get(kTEST, 1);
  EXPECT_NE(h, 0u);
  fileA.Release(h);
  EXPECT_EQ(Tbx::CurResFile(), b.ref);
  EXPECT_EQ(fileA.Count(kTEST), 1);
}

TEST(TbxResFile, StringListItemsAndTheirEnds) {
  TempDir dir;
  ASSERT_TRUE(hosttest::WriteResourceFile(dir.Path("s"), {{kSTRS, 5, "", StringList({"one", "two"})},
                                                          {FourCC("STR "), 5, "", hosttest::Pascal("single")}}));
  hosttest::OpenResourceFile open(dir.Path("s"), &SwapRsrcProc);
  VTbxResFile file(open.ref);
  bool found = false;
  EXPECT_EQ(Item(file, 5, 1, &found), "one");
  EXPECT_TRUE(found);
  EXPECT_EQ(Item(file, 5, 2), "two");
  EXPECT_EQ(Item(file, 5, 3, &found), "");
  EXPECT_FALSE(found);
  EXPECT_EQ(Item(file, 6, 1, &found), "");
  EXPECT_FALSE(found);
  EXPECT_EQ(Item(file, 5, 0), "single");
  VStr<31> text;
  EXPECT_TRUE(file.GetIndString(text, 5, 2));
  EXPECT_EQ(text.GetLength(), 3);
}

TEST(TbxResFile, AnItemRunningPastTheListsDataIsAbsent) {
  TempDir dir;
  std::vector<uint8_t> data = StringList({"ok"});
  data[1] = 3;           // three items claimed
  data.push_back(50);    // the second claims 50 bytes that are not there
  data.push_back('x');
  ASSERT_TRUE(hosttest::WriteResourceFile(dir.Path("s"), {{kSTRS, 1, "", data}, {kSTRS, 2, "", {0}}}));
  hosttest::OpenResourceFile open(dir.Path("s"), &SwapRsrcProc);
  VTbxResFile file(open.ref);
  bool found = true;
  EXPECT_EQ(Item(file, 1, 1), "ok");
  EXPECT_EQ(Item(file, 1, 2, &found), "");
  EXPECT_FALSE(found);
  EXPECT_EQ(Item(file, 1, 3, &found), "");
  EXPECT_FALSE(found);
  EXPECT_EQ(Item(file, 2, 1, &found), "");  // a list of one byte: no count
  EXPECT_FALSE(found);
}

TEST(TbxResFile, AddTakesAFreeIdWhenAskedOrWhenTheIdIsTaken) {
  TempDir dir;
  VTbxResFile file(dir.Path("new").c_str(), true);
  ASSERT_TRUE(file.IsOpen());
  const uint8_t data[3] = {1, 2, 3};
  EXPECT_EQ(file.Add(kTEST, 7, nullptr, data, 3), 7);
  const int16_t second = file.Add(kTEST, 7, nullptr, data, 3);
  EXPECT_NE(second, 7);
  EXPECT_GE(second, 0);
  const int16_t third = file.Add(kTEST, -1, nullptr, data, 0);
  EXPECT_NE(third, -1);
  EXPECT_EQ(file.Count(kTEST), 3);
  EXPECT_TRUE(file.Remove(kTEST, 7));
  EXPECT_FALSE(file.Remove(kTEST, 7));
  file.RemoveAllOfType(kTEST);
  EXPECT_EQ(file.Count(kTEST), 0);
  EXPECT_EQ(file.Add(kTEST, 1, nullptr, nullptr, 4), -1);
}

TEST(TbxResFile, AFileThatCannotBeOpenedAnswersNothing) {
  VTbxResFile missing("/no/such/folder/file", false);
  EXPECT_FALSE(missing.IsOpen());
  EXPECT_EQ(missing.Get(kTEST, 1), 0u);
  EXPECT_EQ(missing.Count(kTEST), 0);
  EXPECT_EQ(missing.Add(kTEST, 1, nullptr, "x", 1), -1);
  EXPECT_FALSE(VTbxResFile(-1).IsOpen());
  EXPECT_FALSE(VTbxResFile(static_cast<const char*>(nullptr), true).IsOpen());
  EXPECT_FALSE(VTbxResFile(std::string(300, 'a').c_str(), true).IsOpen());
}

TEST(TbxResFile, AnOpenedFileIsClosedAtDeletionAndKeepsItsAdditions) {
  TempDir dir;
  int16_t ref = -1;
  {
    VTbxResFile file(dir.Path("keep").c_str(), true);
    ref = file.GetRefNum();
    const uint8_t data[2] = {9, 9};
    file.Add(kTEST, 3, hosttest::Pascal("n").data(), data, 2);
  }
  EXPECT_FALSE(VTbxResFile(ref).IsOpen());
  VTbxResFile again(dir.Path("keep").c_str(), false);
  ASSERT_TRUE(again.IsOpen());
  const uint32_t h = again.GetNamed(kTEST, hosttest::Pascal("n").data());
  EXPECT_NE(h, 0u);
  int16_t id = 0;
  again.GetInfo(h, &id, nullptr);
  EXPECT_EQ(id, 3);
}

}  // namespace
