// What the system environment reads from the module's resource file (the
// words for false and true, the file type map), alerts from string lists,
// and the file reference of the process's executable.
#include <cstring>
#include <string>

#include "framework/core/strings/VUniString.h"
#include "framework/system/files/VFile.h"
#include "framework/system/files/VFileTypeMap.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "framework/system/tests/SystemEnvironmentSupport.h"
#include "boundary/ModuleExports.h"
#include "platform/toolbox/TbxResources.h"
#include "testsupport/FakeHost.h"

#ifndef QV_RESOURCE_FILE
#error "the tests need the compiled resource file (QV_RESOURCE_FILE)"
#endif

namespace {

std::string Ascii(const VString& s) {
  std::string out;
  for (int32_t i = 1; i <= s.GetLength(); ++i) out += static_cast<char>(s.GetCharAt(i));
  return out;
}

// The module's resource file, opened as the host opens it before start.
class ModuleFileTest : public EnvironmentTest {
 protected:
  void SetUp() override {
    EnvironmentTest::SetUp();
    const std::string name = QV_RESOURCE_FILE;
    uint8_t pascal[256];
    ASSERT_LT(name.size(), 256u);
    pascal[0] = uint8_t(name.size());
    std::memcpy(pascal + 1, name.data(), name.size());
    const int16_t previous = Tbx::CurResFile();
    ref_ = Tbx::OpenResFile(pascal);
    ASSERT_NE(ref_, -1);
    Tbx::SetResFileSwapProc(ref_, &SwapRsrcProc);
    if (previous != -1) Tbx::UseResFile(previous);
    file_ = new VMacResourceFile(ref_);
  }
  void TearDown() override {
    delete services_;
    services_ = nullptr;
    delete file_;
    if (ref_ != -1) Tbx::CloseResFile(ref_);
    EnvironmentTest::TearDown();
  }
  int16_t ref_ = -1;
  VMacResourceFile* file_ = nullptr;
};

TEST_F(ModuleFileTest, BooleanTextsComeFromTheModulesStringList) {
  Services().SetModuleResourceFile(file_);
  VStr<20> text;
  Services().GetBooleanText(text, true);
  EXPECT_EQ(Ascii(text), "True");
  Services().GetBooleanText(text, false);
  EXPECT_EQ(Ascii(text), "False");
}

TEST_F(ModuleFileTest, MissingBooleanTextsAreLookedUpAgain) {
  VStr<20> text;
  text.SetAnsiCText("stale");
  Services().GetBooleanText(text, true);
  EXPECT_EQ(text.GetLength(), 0);
  Services().SetModuleResourceFile(file_);
  Services().GetBooleanText(text, true);
  EXPECT_EQ(Ascii(text), "True");
}

TEST_F(ModuleFileTest, TheFileTypeMapIsTheEnvironmentsAndReadFromTheModule) {
  EXPECT_EQ(gFileTypeMap, &Services().GetFileTypeMap());
  EXPECT_EQ(gFileTypeMap->CountRows(), 0);
  Services().LoadFileTypeMap();  // no module file yet: nothing
  EXPECT_EQ(gFileTypeMap->CountRows(), 0);
  Services().SetModuleResourceFile(file_);
  Services().LoadFileTypeMap();
  EXPECT_GE(gFileTypeMap->CountRows(), 12);
  // Normalised: the characters, then NUL.
  EXPECT_EQ(gFileTypeMap->ExtensionForFileType(FourCC("TEXT")), 0x54585400u);
  delete services_;
  services_ = nullptr;
  EXPECT_EQ(gFileTypeMap, nullptr);
}

TEST_F(ModuleFileTest, AlertsShowNonEmptyItemsThroughTheHost) {
  FakeHost host;
  VSystemServices::ShowAlert(*file_, 9003, 2);
  VSystemServices::ShowAlert(*file_, 9003, 3);   // past the list
  VSystemServices::ShowAlert(*file_, 9003, 0);   // no 'STR ' 9003
  VSystemServices::ShowAlert(*file_, 4242, 1);   // no such list
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(host.Messages()[0], "True");
}

TEST_F(EnvironmentTest, TheModuleFileIsTheRunningProgram) {
  VFile* file = VSystemServices::GetModuleFile();
  ASSERT_NE(file, nullptr);
  VStr<1024> path;
  file->GetFullPath(path);
  EXPECT_NE(Ascii(path).find("framework_system_tests"), std::string::npos);
  EXPECT_EQ(file->GetFileType(), 0u);
  EXPECT_EQ(file->GetCreator(), 0u);
  delete file;
}

}  // namespace
