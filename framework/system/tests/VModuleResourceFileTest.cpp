// The module resource file over the sample library (compiled from
// tools/rescomp/tests/module.r): lookups by name only, the type names, the
// lists of types and names, indexed lookups and counts, detached copies, the
// read-only answers, and files whose library could not be loaded.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/containers/VNumericArrays.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VByteString.h"
#include "framework/system/files/VFile.h"
#include "framework/system/resources/VModuleResourceFile.h"
#include "framework/system/tests/FilesTestSupport.h"
#include "platform/win32/WinModuleResources.h"

#ifndef QV_MODULE_SAMPLE
#error "the tests need the sample library (QV_MODULE_SAMPLE)"
#endif

namespace {

using files_test::Str;
using files_test::Text;

class ModuleFile : public testing::Test {
 protected:
  void SetUp() override {
    Str path(QV_MODULE_SAMPLE);
    file_ = std::make_unique<VModuleResourceFile>(&path);
    ASSERT_TRUE(file_->IsOpen());
  }

  std::vector<uint8_t> Data(VResourceRef ref) {
    const auto* p = static_cast<const uint8_t*>(file_->LockResource(ref));
    if (p == nullptr) return {};
    return std::vector<uint8_t>(p, p + file_->GetResourceSize(ref));
  }

  std::unique_ptr<VModuleResourceFile> file_;
};

TEST_F(ModuleFile, FindsANamedResourceUnderItsTypeName) {
  Str name("MAIN");
  uint8_t owned = 0;
  VResourceRef ref = file_->GetNamedResource(FourCC("XBAR"), &name, &owned);
  ASSERT_NE(ref, 0u);
  EXPECT_EQ(owned, 1);
  const std::string text = "main bar";
  EXPECT_EQ(Data(ref), std::vector<uint8_t>(text.begin(), text.end()));
  file_->UnlockResource(ref);
  file_->ReleaseResource(ref);
  EXPECT_EQ(file_->GetResourceSize(ref), 0u);  // the record is gone
  EXPECT_EQ(file_->LockResource(ref), nullptr);
}

TEST_F(ModuleFile, ATypeThatBeginsWithADigitIsLookedUpWithAnUnderscore) {
  char buffer[6];
  EXPECT_STREQ(VModuleResourceFile::TypeNameOf(FourCC("XBAR"), buffer), "XBAR");
  EXPECT_STREQ(VModuleResourceFile::TypeNameOf(FourCC("4SAM"), buffer), "_4SAM");
  EXPECT_EQ(VModuleResourceFile::TypeOfName("_4SAM"), FourCC("4SAM"));
  EXPECT_EQ(VModuleResourceFile::TypeOfName("XBAR"), FourCC("XBAR"));
  EXPECT_EQ(VModuleResourceFile::TypeOfName("AB"), FourCC("AB\0\0"));
  EXPECT_EQ(VModuleResourceFile::TypeOfName(MAKEINTRESOURCEA(3)), 3u);
  EXPECT_EQ(int32_t(VModuleResourceFile::TypeOfName(MAKEINTRESOURCEA(0xFFFE))), -2);

  VResourceRef ref = file_->GetCNamedResource(FourCC("4SAM"), "Sample", nullptr);
  ASSERT_NE(ref, 0u);
  EXPECT_EQ(Data(ref), (std::vector<uint8_t>{1, 2, 3}));
  file_->ReleaseResource(ref);
}

TEST_F(ModuleFile, LengthPrefixedNamesAreLookedUpToo) {
  const uint8_t name[] = {4, 'M', 'A', 'I', 'N'};
  VResourceRef ref = file_->GetPNamedResource(FourCC("XBAR"), name, nullptr);
  ASSERT_NE(ref, 0u);
  EXPECT_EQ(file_->GetResourceSize(ref), 8u);
  file_->ReleaseResource(ref);
  const uint8_t missing[] = {4, 'N', 'O', 'N', 'E'};
  EXPECT_EQ(file_->GetPNamedResource(FourCC("XBAR"), missing, nullptr), 0u);
}

TEST_F(ModuleFile, NumberedResourcesAreReachedByTheirHashNameOnly) {
  uint8_t owned = 0;
  EXPECT_EQ(file_->GetResource(FourCC("XBAR"), 128, &owned), 0u);
  EXPECT_EQ(file_->GetNamedResourceId(FourCC("XBAR"), nullptr), -1);
  EXPECT_FALSE(file_->HasResource(FourCC("XBAR"), 128));
  EXPECT_EQ(file_->GetResourceSizeById(FourCC("XBAR"), 128), 0u);
  EXPECT_EQ(file_->GetResourceIds(FourCC("XBAR")), nullptr);
  Str hash("#128");
  VResourceRef ref = file_->GetNamedResource(FourCC("XBAR"), &hash, nullptr);
  ASSERT_NE(ref, 0u);
  EXPECT_EQ(Data(ref), (std::vector<uint8_t>{0, 1, 0, 2, 0, 3}));
  EXPECT_EQ(file_->GetResourceId(ref), -1);
  file_->ReleaseResource(ref);
}

TEST_F(ModuleFile, TypesComeBackAsCodesAndNumbers) {
  VLongArray* types = file_->GetResourceTypes();
  ASSERT_NE(types, nullptr);
  std::vector<uint32_t> got;
  for (int32_t i = 1; i <= types->Count(); ++i) got.push_back(uint32_t(types->GetLong(i)));
  delete types;
  EXPECT_EQ(got, (std::vector<uint32_t>{FourCC("STR#"), FourCC("XBAR"), FourCC("4SAM"), 3u}));
}

TEST_F(ModuleFile, NamesComeBackAsTextsAndHashNumbers) {
  VStringArray* names = file_->GetResourceNames(FourCC("XBAR"));
  ASSERT_NE(names, nullptr);
  std::vector<std::string> got;
  for (int32_t i = 1; i <= names->Count(); ++i) got.push_back(Text(*names->GetAt(i)));
  delete names;
  EXPECT_EQ(got, (std::vector<std::string>{"empty", "MAIN", "#128"}));
  // A numeric type, given as GetResourceTypes answers it.
  VStringArray* numeric = file_->GetResourceNames(3);
  ASSERT_NE(numeric, nullptr);
  ASSERT_EQ(numeric->Count(), 1);
  EXPECT_EQ(Text(*numeric->GetAt(1)), "#7");
  delete numeric;
  EXPECT_EQ(file_->GetResourceNames(FourCC("NONE")), nullptr);
}

TEST_F(ModuleFile, IndexedLookupsFollowTheModulesOrder) {
  EXPECT_EQ(file_->CountResources(FourCC("XBAR")), 3);
  EXPECT_EQ(file_->CountResources(FourCC("NONE")), 0);
  uint8_t owned = 7;
  VResourceRef first = file_->GetIndResource(FourCC("XBAR"), 1, &owned);
  ASSERT_NE(first, 0u);
  EXPECT_EQ(owned, 7);  // not touched
  EXPECT_EQ(file_->GetResourceSize(first), 0u);  // "empty"
  VResourceRef third = file_->GetIndResource(FourCC("XBAR"), 3, nullptr);
  ASSERT_NE(third, 0u);
  EXPECT_EQ(Data(third), (std::vector<uint8_t>{0, 1, 0, 2, 0, 3}));
  EXPECT_EQ(file_->GetIndResource(FourCC("XBAR"), 0, nullptr), 0u);
  EXPECT_EQ(file_->GetIndResource(FourCC("XBAR"), 4, nullptr), 0u);
  EXPECT_EQ(file_->GetIndResource(FourCC("XBAR"), -1, nullptr), 0u);
  file_->ReleaseResource(first);
  file_->ReleaseResource(third);
}

TEST_F(ModuleFile, ADetachedCopyIsTheCallersOwn) {
  VResourceRef ref = file_->GetCNamedResource(FourCC("XBAR"), "MAIN", nullptr);
  ASSERT_NE(ref, 0u);
  VMemHandle copy = file_->DetachResource(ref);
  ASSERT_NE(copy, 0u);
  ASSERT_EQ(gMemoryMgr->GetHandleSize(copy), 8u);
  auto* bytes = static_cast<uint8_t*>(gMemoryMgr->LockHandle(copy));
  EXPECT_EQ(std::memcmp(bytes, "main bar", 8), 0);
  bytes[0] = 'X';
  gMemoryMgr->UnlockHandle(copy);
  gMemoryMgr->DisposeHandle(copy);
  EXPECT_EQ(Data(ref)[0], 'm');
  file_->ReleaseResource(ref);
}

TEST_F(ModuleFile, NothingIsEverWritten) {
  Str name("NEW");
  EXPECT_EQ(file_->AddResource(FourCC("XBAR"), 1, &name, "x", 1), -1);
  VMemHandle handle = gMemoryMgr->NewHandleFromData("abc", 3);
  EXPECT_EQ(file_->AddResourceHandle(&handle, FourCC("XBAR"), 1, nullptr), -1);
  EXPECT_EQ(handle, 0u);
  EXPECT_EQ(file_->UpdateFile(), -2);
  EXPECT_FALSE(file_->RemoveResource(FourCC("XBAR"), 128));
  EXPECT_FALSE(file_->RemoveResources(FourCC("XBAR")));
  EXPECT_EQ(file_->UniqueResourceId(FourCC("XBAR")), -1);
  VResourceRef ref = file_->GetCNamedResource(FourCC("XBAR"), "MAIN", nullptr);
  EXPECT_FALSE(file_->SetResourceSize(ref, 2));
  EXPECT_FALSE(file_->RemoveResourceHandle(ref));
  EXPECT_EQ(file_->GetResourceSize(ref), 8u);
  Str out("kept");
  file_->GetResourceNameOfHandle(&out, ref);
  EXPECT_EQ(Text(out), "kept");
  file_->ReleaseResource(ref);
  EXPECT_EQ(file_->GetCharSet(), kResCharSetAnsi);
}

TEST_F(ModuleFile, IndexedStringsReadThroughTheCommonInterfaceFindNothingById) {
  // 'STR#' lists are reached by id, which a module does not have.
  Str out;
  file_->GetIndString(&out, 200, 1);
  EXPECT_EQ(out.GetLength(), 0);
  VResourceRef ref = file_->GetCNamedResource(kResTypeSTRList, "Words", nullptr);
  ASSERT_NE(ref, 0u);
  EXPECT_EQ(Data(ref), (std::vector<uint8_t>{0, 2, 3, 'o', 'n', 'e', 3, 't', 'w', 'o'}));
  file_->ReleaseResource(ref);
}

TEST(ModuleFileOpening, AFileObjectFindsItsLibraryWithItsExtension) {
  files_test::ScopedTypeMap map;  // no rows: the extension stays literal
  VFile sample(QV_MODULE_SAMPLE);
  VModuleResourceFile file(sample);
  EXPECT_TRUE(file.IsOpen());
  VResourceRef ref = file.GetCNamedResource(FourCC("XBAR"), "MAIN", nullptr);
  EXPECT_NE(ref, 0u);
  file.ReleaseResource(ref);
}

TEST(ModuleFileOpening, ALibraryThatCannotBeLoadedLeavesTheFileClosed) {
  Str path("/nonexistent/library.so");
  VModuleResourceFile file(&path);
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(file.GetResourceTypes(), nullptr);
  EXPECT_EQ(file.GetResourceNames(FourCC("XBAR")), nullptr);
  EXPECT_EQ(file.GetCNamedResource(FourCC("XBAR"), "MAIN", nullptr), 0u);
  EXPECT_EQ(file.GetIndResource(FourCC("XBAR"), 1, nullptr), 0u);
  EXPECT_EQ(file.CountResources(FourCC("XBAR")), 0);
  EXPECT_EQ(file.LockResource(1), nullptr);
  VModuleResourceFile none(static_cast<HMODULE>(nullptr));
  EXPECT_FALSE(none.IsOpen());
}

TEST(ModuleFileOpening, AWrappedModuleStaysTheCallers) {
  HMODULE module = LoadLibraryA(QV_MODULE_SAMPLE);
  ASSERT_NE(module, nullptr);
  { VModuleResourceFile file(module); }
  // Still loaded: the file did not free it.
  VModuleResourceFile again(module);
  VResourceRef ref = again.GetCNamedResource(FourCC("XBAR"), "MAIN", nullptr);
  EXPECT_NE(ref, 0u);
  EXPECT_NE(again.LockResource(ref), nullptr);
  again.ReleaseResource(ref);
  EXPECT_TRUE(FreeLibrary(module));
}

TEST(ModuleFileOpening, ALibraryWithoutResourcesListsNoTypes) {
  Str path("libc.so.6");
  VModuleResourceFile file(&path);
  ASSERT_TRUE(file.IsOpen());
  EXPECT_EQ(file.GetResourceTypes(), nullptr);
  EXPECT_EQ(file.GetCNamedResource(FourCC("XBAR"), "MAIN", nullptr), 0u);
}

}  // namespace
