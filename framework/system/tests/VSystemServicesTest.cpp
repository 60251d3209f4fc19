// The operating-system family: the classification table, the fallbacks, and
// what this platform answers.
#include <gtest/gtest.h>

#include "framework/system/environment/VSystemServices.h"
#include "platform/toolbox/TbxEnvironment.h"

namespace {

VOSVersionInfo Version(uint32_t platformId, uint32_t major, uint32_t minor) {
  VOSVersionInfo info;
  info.versionKnown = true;
  info.platformId = platformId;
  info.major = major;
  info.minor = minor;
  return info;
}

class OSFamily : public testing::Test {
 protected:
  void SetUp() override { saved_ = gOSCode; }
  void TearDown() override { gOSCode = saved_; }
  int32_t saved_ = 0;
};

TEST(OSFamilyTable, ClassifiesEveryKnownPlatform) {
  struct Row {
    uint32_t platformId, major, minor;
    int32_t code;
  };
  const Row rows[] = {
      {0, 3, 10, 1}, {0, 9, 9, 1},                 // Win32s, any version
      {1, 3, 0, 3},  {1, 3, 95, 3},                // Windows 3.x platform
      {1, 4, 0, 5},  {1, 4, 10, 5}, {1, 4, 90, 5}, // 95, 98, Me
      {2, 3, 51, 2}, {2, 4, 0, 4},                 // NT 3, NT 4
      {2, 5, 0, 6},  {2, 5, 1, 7},                 // 2000, XP
  };
  for (const Row& r : rows)
    EXPECT_EQ(ClassifyOSVersion(Version(r.platformId, r.major, r.minor)), r.code)
        << r.platformId << " " << r.major << "." << r.minor;
}

TEST(OSFamilyTable, OtherCombinationsLeave0) {
  EXPECT_EQ(ClassifyOSVersion(Version(1, 5, 0)), 0);
  EXPECT_EQ(ClassifyOSVersion(Version(2, 5, 2)), 0);
  EXPECT_EQ(ClassifyOSVersion(Version(2, 6, 0)), 0);
  EXPECT_EQ(ClassifyOSVersion(Version(2, 2, 0)), 0);
  EXPECT_EQ(ClassifyOSVersion(Version(3, 4, 0)), 0);
}

TEST(OSFamilyTable, NewerNTIs7OnlyWhenTheCheckSaysAtLeast51) {
  VOSVersionInfo info = Version(2, 5, 2);
  info.verifyExists = true;
  info.verifyAtLeast51 = false;
  EXPECT_EQ(ClassifyOSVersion(info), 0);
  info.verifyAtLeast51 = true;
  EXPECT_EQ(ClassifyOSVersion(info), 7);
  info = Version(2, 6, 1);
  info.verifyExists = true;
  info.verifyAtLeast51 = true;
  EXPECT_EQ(ClassifyOSVersion(info), 7);
}

TEST(OSFamilyTable, FailedChecksFallBackToTheVersion) {
  VOSVersionInfo info = Version(2, 5, 0);
  info.verifyExists = true;  // answers false on Windows 2000
  EXPECT_EQ(ClassifyOSVersion(info), 6);
  info.verifyExists = false;
  info.verifyAtLeast51 = true;  // an answer without the function counts for nothing
  EXPECT_EQ(ClassifyOSVersion(info), 6);
  VOSVersionInfo none;  // neither query answered
  EXPECT_EQ(ClassifyOSVersion(none), 0);
}

TEST_F(OSFamily, ThisPlatformIsTheNewestFamily) {
  gOSCode = 3;
  VSystemServices::ClassifySystem();
  EXPECT_EQ(gOSCode, 7);
  EXPECT_EQ(VSystemServices::GetSystemVersion(), 7);
}

TEST_F(OSFamily, UnclassifiedCodeIsFilledFromTheToolboxAndKept) {
  int32_t answer = 0;
  ASSERT_EQ(Tbx::Gestalt(Tbx::gestaltSystemVersion, &answer), Tbx::noErr);
  gOSCode = 0;
  EXPECT_EQ(VSystemServices::GetSystemVersion(), answer);
  EXPECT_EQ(gOSCode, answer);
}

TEST_F(OSFamily, ClassifiedCodeIsAnsweredAsItIs) {
  gOSCode = 4;
  EXPECT_EQ(VSystemServices::GetSystemVersion(), 4);
  EXPECT_EQ(gOSCode, 4);
}

TEST(ToolboxGestalt, SystemVersionIsTheNewestFamilyAndOthersAreUnknown) {
  int32_t answer = 0;
  EXPECT_EQ(Tbx::Gestalt(Tbx::gestaltSystemVersion, &answer), Tbx::noErr);
  EXPECT_EQ(answer, 7);
  answer = 123;
  EXPECT_EQ(Tbx::Gestalt(0x71746D20 /* 'qtm ' */, &answer), Tbx::gestaltUndefSelectorErr);
  EXPECT_EQ(answer, 123);
  EXPECT_NE(Tbx::Gestalt(Tbx::gestaltSystemVersion, nullptr), Tbx::noErr);
}

}  // namespace
