// The editing area's services for the document model: items of the
// package's string lists from its resource base, and its alerts through the
// host.
#include "area/xMorvaDocumentAreaServices.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "area/xMorvaMain.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "host/context/VHostContext.h"
#include "boundary/ModuleExports.h"
#include "host/package/VPackage.h"
#include "host/tests/HostTestSupport.h"

namespace {

std::string Text(const VString& s) {
  std::string out;
  for (int32_t i = 1; i <= s.GetLength(); ++i) out += char(s.GetCharAt(i));
  return out;
}

// A module resource file with the package at base 800, its alert list
// (base + 6) and its unit names (base + 14).
class AreaServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(hosttest::WriteResourceFile(
        dir.Path("m"), {{FourCC("QBNX"), 800, "Morva", {}},
                        {FourCC("STR#"), 806, "", hosttest::StringList({"Cancelled.", "No memory."})},
                        {FourCC("STR#"), 814, "", hosttest::StringList({" cm", " in", " pt"})}}));
    open = std::make_unique<hosttest::OpenResourceFile>(dir.Path("m"), &SwapRsrcProc);
    Tbx::UseResFile(open->ref);
    gModuleResFile = new VMacResourceFile(open->ref);
  }
  void TearDown() override {
    delete gModuleResFile;
    gModuleResFile = nullptr;
    open.reset();
  }

  hosttest::TempDir dir;
  std::unique_ptr<hosttest::OpenResourceFile> open;
};

}  // namespace

TEST_F(AreaServicesTest, ListItemsComeFromTheResourceBase) {
  xMorvaMain package(nullptr);
  xMorvaDocumentAreaServices services(&package);
  VStr<63> text;
  services.GetListString(text, kUnitNamesListOffset, 2);
  EXPECT_EQ(Text(text), " in");
  services.GetListString(text, kUnitNamesListOffset, 4);
  EXPECT_EQ(Text(text), "");
  services.GetListString(text, 9, 1);
  EXPECT_EQ(Text(text), "");
}

TEST_F(AreaServicesTest, AlertsAreShownByTheHost) {
  hosttest::RecordingHost host;
  xMorvaMain package(nullptr);
  xMorvaDocumentAreaServices services(&package);
  services.ShowAlert(kAlertListOffset, 2);
  services.ShowAlert(kAlertListOffset, 3);  // no such item: nothing shown
  EXPECT_EQ(host.Messages(), std::vector<std::string>{"No memory."});
}

TEST_F(AreaServicesTest, TheEngineReadsTheSameListsAndShowsTheMemoryText) {
  hosttest::RecordingHost host;
  xMorvaMain package(nullptr);
  xMorvaEngineHostServices engineHost(&package);
  VStr<63> text;
  text.AppendUniCText(u"stale");
  engineHost.GetPackageString(kUnitNamesListOffset, 3, text);
  EXPECT_EQ(Text(text), " pt");
  engineHost.GetPackageString(kUnitNamesListOffset, 9, text);
  EXPECT_EQ(Text(text), "");
  engineHost.ShowMemoryAlert();
  EXPECT_EQ(host.Messages(), std::vector<std::string>{"Cancelled."});
}

TEST_F(AreaServicesTest, InstalledServicesServeTheCurrentPackage) {
  hosttest::RecordingHost host;
  xMorvaMain package(nullptr);
  xMorvaDocumentAreaServices installed;
  xMorvaAreaServiceSlot::Install(&installed);
  VStr<63> text;
  GetDocumentListString(text, kUnitNamesListOffset, 1);
  EXPECT_EQ(Text(text), "");  // no current package yet
  ShowDocumentAlert(kAlertListOffset, 1);
  EXPECT_TRUE(host.Messages().empty());
  VPackage* saved = gCurrentPackage;
  gCurrentPackage = &package;
  GetDocumentListString(text, kUnitNamesListOffset, 1);
  EXPECT_EQ(Text(text), " cm");
  ShowDocumentAlert(kAlertListOffset, 1);
  EXPECT_EQ(host.Messages(), std::vector<std::string>{"Cancelled."});
  gCurrentPackage = saved;
  EXPECT_TRUE(xMorvaAreaServiceSlot::Remove(&installed));
  EXPECT_EQ(xMorvaAreaServiceSlot::Get(), nullptr);
}
