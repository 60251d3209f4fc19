// The editing area's services for the document model: items of the
// package's string lists from its resource base, and its alerts through the
// host.
#include "area/xMorvaDocumentAreaServices.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "area/xMorvaMain.h"
#include "document/xMorvaDocument.h"
#include "graphics/GraphicsGlobals.h"
#include "boundary/HostServiceSelectors.h"
#include "boundary/ModuleExports.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "host/context/VHostCallbackBridge.h"
#include "host/context/VHostContext.h"
#include "host/context/VHostRef.h"
#include "host/package/VPackage.h"
#include "host/tests/HostTestSupport.h"
#include "platform/win32/WinCommonDialogs.h"

namespace {

std::string Text(const VString& s) {
  std::string out;
  for (int32_t i = 1; i <= s.GetLength(); ++i) out += char(s.GetCharAt(i));
  return out;
}

// The package's paper as stored: 100 x 200 mm with margins of 1 cm.
std::vector<uint8_t> StoredPaper() {
  std::vector<uint8_t> bytes;
  for (const uint32_t value : {10000, 20000, 1000, 1000, 1000, 1000}) {
    const std::vector<uint8_t> stored = hosttest::BigEndian32(value);
    bytes.insert(bytes.end(), stored.begin(), stored.end());
  }
  return bytes;
}

// A module resource file with the package at base 800, its alert list
// (base + 6), its unit names (base + 14), its default font name and its
// paper.
class AreaServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(hosttest::WriteResourceFile(
        dir.Path("m"), {{FourCC("QBNX"), 800, "Morva", {}},
                        {FourCC("STR#"), 806, "", hosttest::StringList({"Cancelled.", "No memory."})},
                        {FourCC("STR#"), 814, "", hosttest::StringList({" cm", " in", " pt"})},
                        {FourCC("STR "), 800, "", hosttest::Pascal("Courier New")},
                        {FourCC("XPPR"), 800, "", StoredPaper()}}));
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

// A new document takes its default font name and, from a printer that
// gives no paper, its page from the package's resources; each comes in
// native order, as the package's file reads it.
TEST_F(AreaServicesTest, ANewDocumentTakesThePackagesFontAndPaper) {
  xMorvaMain package(nullptr);
  VPackage* saved = gCurrentPackage;
  gCurrentPackage = &package;
  VHostCallbackBridge bridge;
  VInstalledService<VHostBridge> bridgeInstalled(&bridge);
  xMorvaDocumentAreaServices services(&package);
  VInstalledService<xMorvaAreaServices> installed(&services);

  const VMemHandle paper = services.CopyPackageResource(FourCC("XPPR"));
  ASSERT_EQ(gMemoryMgr->GetHandleSize(paper), 24u);
  int32_t values[6] = {};
  std::memcpy(values, gMemoryMgr->LockHandle(paper), sizeof values);
  gMemoryMgr->UnlockHandle(paper);
  gMemoryMgr->DisposeHandle(paper);
  EXPECT_EQ(values[1], 20000);
  EXPECT_EQ(values[5], 1000);
  EXPECT_EQ(services.CopyPackageResource(FourCC("wPRT")), 0u);

  const int32_t savedResolution = gScreenLogPixelsX;
  gScreenLogPixelsX = 72;
  SetHeadlessDefaultPrinter(nullptr);
  {
    xMorvaDocument document(nullptr);
    EXPECT_EQ(document.GetDefaultFontName(), "Courier New");
    // 100 mm and 200 mm at 72 dots per inch.
    EXPECT_EQ(document.GetParams().GetPageWidth(), 283);
    EXPECT_EQ(document.GetParams().GetPageHeight(), 566);
  }
  ResetHeadlessDialogs();
  gScreenLogPixelsX = savedResolution;
  gCurrentPackage = saved;
}

// ---- Host references of the text engine

namespace {

// The stored form of a reference: one '5OBJ' record as the module writes it.
std::vector<uint8_t> StoredReference(VHostRef& ref) {
  const VMemHandle h = ref.ToHandle();
  std::vector<uint8_t> bytes(gMemoryMgr->GetHandleSize(h));
  std::memcpy(bytes.data(), gMemoryMgr->LockHandle(h), bytes.size());
  gMemoryMgr->UnlockHandle(h);
  gMemoryMgr->DisposeHandle(h);
  return bytes;
}

}  // namespace

TEST(EngineHostReferences, StoredReferencesEvaluateAndNameThroughTheHost) {
  hosttest::RecordingHost host;
  host.answer = [](int32_t selector, HostParamBlock& block) {
    const auto name = [&](const char* text) {
      block.text[0] = static_cast<uint8_t>(std::strlen(text));
      std::memcpy(block.text + 1, text, block.text[0]);
      block.error = 0;
    };
    if (selector == kHostSelTableInfo) name("Clients");
    if (selector == kHostSelFieldInfo) name("Amount");
    if (selector == kHostSelEvaluateExpression) {
      auto* entry = HostPointer<HostVariableEntry>(block.param1);
      entry->type = kHostLongInteger;
      entry->value.longInteger = 77;
      block.error = 0;
    }
  };
  xMorvaEngineHostServices services;

  VHostRef field(2, 5, false);
  std::vector<uint8_t> bytes = StoredReference(field);
  VStr<255> table, fieldName, option, format;
  ASSERT_TRUE(services.GetReferenceNames(bytes.data(), uint32_t(bytes.size()), table, fieldName,
                                         option, format));
  EXPECT_EQ(Text(table), "Clients");
  EXPECT_EQ(Text(fieldName), "Amount");
  EXPECT_EQ(Text(option), "");

  VHostRef expression(Tbx::NewHandle(4), false);
  bytes = StoredReference(expression);
  std::unique_ptr<VValue> value(services.EvaluateReference(bytes.data(), uint32_t(bytes.size())));
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->GetLong(kWholeValue), 77);

  // Bytes that hold no reference give neither value nor names.
  const uint8_t junk[8] = {'n', 'o', 't', ' ', 'o', 'b', 'j', 0};
  EXPECT_EQ(services.EvaluateReference(junk, sizeof junk), nullptr);
  EXPECT_FALSE(services.GetReferenceNames(junk, sizeof junk, table, fieldName, option, format));
  EXPECT_EQ(services.EvaluateReference(nullptr, 0), nullptr);
}
