// The host context: what it keeps of the start-up answer, the host's
// resource file, the module's resource file, and the callback it installs.
#include "host/context/VHostContext.h"

#include <gtest/gtest.h>

#include "boundary/HostServiceSelectors.h"
#include "boundary/ModuleExports.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "host/context/VHostResourceFile.h"
#include "host/tests/HostTestSupport.h"

namespace {

using hosttest::RecordingHost;

class HostContextTest : public testing::Test {
 protected:
  void SetUp() override { record.callback = &RecordingHost::Entry; }
  void TearDown() override { delete context; }
  VHostContext* Make() {
    context = new VHostContext(&record);
    return context;
  }
  RecordingHost host;
  HostStartupRecord record{};
  VHostContext* context = nullptr;
};

TEST_F(HostContextTest, StartupQueryGivesVersionAndNames) {
  host.version = 0x12340670;
  host.name = "Qvbase";
  host.secondName = "Server";
  VHostContext* c = Make();
  // The start-up query, then the opening of the host-kept resource file.
  ASSERT_EQ(host.calls.size(), 2u);
  EXPECT_EQ(host.calls[0].selector, kHostSelStartupQuery);
  EXPECT_EQ(host.calls[1].selector, kResSelOpenKept);
  EXPECT_EQ(c->GetHostVersion(), 0x12340670u);
  EXPECT_EQ(c->GetHostName().GetLength(), 6);
  EXPECT_EQ(c->GetHostName().GetCharAt(6), u'e');
  EXPECT_EQ(c->GetSecondHostName().GetLength(), 6);
}

TEST_F(HostContextTest, TheFiveFlagsComeFromTheirBits) {
  host.flagWord266 = (1u << 30);
  host.flagWord272 = (1u << 26) | (1u << 25);
  VHostContext* c = Make();
  EXPECT_TRUE(c->GetStartupFlag(1));
  EXPECT_FALSE(c->GetStartupFlag(2));
  EXPECT_FALSE(c->GetStartupFlag(3));
  EXPECT_TRUE(c->GetStartupFlag(4));
  EXPECT_TRUE(c->GetStartupFlag(5));
  EXPECT_FALSE(c->GetStartupFlag(0));
  EXPECT_FALSE(c->GetStartupFlag(6));
}

TEST_F(HostContextTest, EachFlagIsItsOwnBit) {
  host.flagWord266 = 1u << 29;
  host.flagWord272 = 1u << 27;
  VHostContext* c = Make();
  EXPECT_FALSE(c->GetStartupFlag(1));
  EXPECT_TRUE(c->GetStartupFlag(2));
  EXPECT_TRUE(c->GetStartupFlag(3));
  EXPECT_FALSE(c->GetStartupFlag(4));
}

TEST_F(HostContextTest, AHostThatAnswersNothingIsVersionZeroWithoutNames) {
  host.answer = [](int32_t, HostParamBlock& b) {
    b.text[0] = 0;
    b.text2[0] = 0;
    b.param2 = 0;
  };
  host.name.clear();
  host.secondName.clear();
  host.version = 0;
  VHostContext* c = Make();
  EXPECT_EQ(c->GetHostVersion(), 0u);
  EXPECT_EQ(c->GetHostName().GetLength(), 0);
}

TEST_F(HostContextTest, ASecondNameLongerThan80IsCut) {
  host.answer = [](int32_t, HostParamBlock& b) {
    b.text2[0] = 200;
    std::memset(b.text2 + 1, 'n', 80);
  };
  EXPECT_EQ(Make()->GetSecondHostName().GetLength(), 80);
}

TEST_F(HostContextTest, TheHostsResourceFileIsTheReferenceItGaveAndIsMarked) {
  hosttest::TempDir dir;
  ASSERT_TRUE(hosttest::WriteResourceFile(dir.Path("host.rsrc"), {{FourCC("xVER"), 1, "", {0, 0, 0, 1}}}));
  hosttest::OpenResourceFile hostFile(dir.Path("host.rsrc"), &SwapRsrcProc);
  host.resourceRef = hostFile.ref;
  VHostContext* c = Make();
  ASSERT_NE(c->GetHostMacResourceFile(), nullptr);
  EXPECT_TRUE(c->GetHostMacResourceFile()->IsOpen());
  EXPECT_EQ(c->GetHostMacResourceFile()->GetFileRef(), hostFile.ref);
  EXPECT_EQ(c->GetHostMacResourceFile()->GetFlag(), 1);
  EXPECT_EQ(c->GetSecondHostResourceFile(), nullptr);
  // The host-kept file has no host reference yet and answers neutrally.
  ASSERT_NE(c->GetHostResourceFile(), nullptr);
  EXPECT_FALSE(c->GetHostResourceFile()->IsOpen());
  EXPECT_EQ(c->GetHostResourceFile()->Update(), 401);
}

TEST_F(HostContextTest, AHostWithoutResourceFileGivesAClosedOne) {
  host.resourceRef = -1;
  EXPECT_FALSE(Make()->GetHostMacResourceFile()->IsOpen());
}

TEST_F(HostContextTest, AReferenceThatIsNoOpenFileReadsNothingFromTheCurrentFile) {
  hosttest::TempDir dir;
  ASSERT_TRUE(hosttest::WriteResourceFile(dir.Path("m.rsrc"), {{FourCC("xVER"), 1, "", {0, 0, 0, 1}}}));
  hosttest::OpenResourceFile moduleFile(dir.Path("m.rsrc"), &SwapRsrcProc);
  Tbx::UseResFile(moduleFile.ref);
  host.resourceRef = 0x7FFF;
  VMacResourceFile* hostFile = Make()->GetHostMacResourceFile();
  ASSERT_NE(hostFile, nullptr);
  EXPECT_FALSE(hostFile->IsOpen());
  EXPECT_EQ(hostFile->GetResource(FourCC("xVER"), 1, nullptr), 0u);
  EXPECT_TRUE(gModuleResFile->HasResource(FourCC("xVER"), 1));
}

TEST_F(HostContextTest, TheModuleFileIsTheCurrentOneAndGoesWithTheContext) {
  hosttest::TempDir dir;
  ASSERT_TRUE(hosttest::WriteResourceFile(dir.Path("m.rsrc"), {}));
  hosttest::OpenResourceFile moduleFile(dir.Path("m.rsrc"), &SwapRsrcProc);
  Tbx::UseResFile(moduleFile.ref);
  Make();
  ASSERT_NE(gModuleResFile, nullptr);
  EXPECT_EQ(gModuleResFile->GetFileRef(), moduleFile.ref);
  delete context;
  context = nullptr;
  EXPECT_EQ(gModuleResFile, nullptr);
  // The module's file was the host's to close, not the context's.
  EXPECT_TRUE(VMacResourceFile(moduleFile.ref).IsOpen());
}

TEST_F(HostContextTest, TheOpenDialogListStartsEmpty) {
  ASSERT_NE(Make()->GetOpenDialogs(), nullptr);
  EXPECT_EQ(context->GetOpenDialogs()->Count(), 0);
}

TEST_F(HostContextTest, ANullRecordLeavesNoCallback) {
  context = new VHostContext(nullptr);
  EXPECT_TRUE(host.calls.empty());
  EXPECT_EQ(GetHostCallback(), nullptr);
  EXPECT_EQ(context->GetHostVersion(), 0u);
}

}  // namespace
