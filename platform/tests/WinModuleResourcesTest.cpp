// Module resources: the sample library's table (compiled from
// tools/rescomp/tests/module.r) found through its handle, lookups by text,
// by number and by "#number", the data, the enumeration order, stopping an
// enumeration, and modules without resources.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/WinModuleResources.h"

#ifndef QV_MODULE_SAMPLE
#error "the tests need the sample library (QV_MODULE_SAMPLE)"
#endif

namespace {

std::string Show(const char* text) {
  return IS_INTRESOURCE(text) ? "#" + std::to_string(RESOURCE_NUMBER(text)) : std::string(text);
}

class ModuleResources : public testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryA(QV_MODULE_SAMPLE);
    ASSERT_NE(module_, nullptr);
  }
  void TearDown() override {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  std::vector<uint8_t> Bytes(HRSRC r) {
    const auto* p = static_cast<const uint8_t*>(LockResource(LoadResource(module_, r)));
    return std::vector<uint8_t>(p, p + SizeofResource(module_, r));
  }

  HMODULE module_ = nullptr;
};

TEST_F(ModuleResources, FindsANamedResourceOfANamedTypeWithoutRegardToCase) {
  HRSRC r = FindResourceA(module_, "MAIN", "XBAR");
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  const std::string text = "main bar";
  EXPECT_EQ(Bytes(r), std::vector<uint8_t>(text.begin(), text.end()));
  EXPECT_EQ(FindResourceA(module_, "main", "xbar"), r);
}

TEST_F(ModuleResources, FindsANumberedResourceByNumberOrByHashText) {
  HRSRC r = FindResourceA(module_, MAKEINTRESOURCEA(128), "XBAR");
  ASSERT_NE(r, nullptr);
  // The script's u16 values, as written: big-endian.
  EXPECT_EQ(Bytes(r), (std::vector<uint8_t>{0, 1, 0, 2, 0, 3}));
  EXPECT_EQ(FindResourceA(module_, "#128", "XBAR"), r);
  EXPECT_EQ(FindResourceA(module_, "128", "XBAR"), nullptr);
  EXPECT_EQ(FindResourceA(module_, "#", "XBAR"), nullptr);
  EXPECT_EQ(FindResourceA(module_, "#99999", "XBAR"), nullptr);
}

TEST_F(ModuleResources, TypesThatBeginWithADigitAndNumericTypesAreFound) {
  HRSRC sample = FindResourceA(module_, "Sample", "_4SAM");
  ASSERT_NE(sample, nullptr);
  EXPECT_EQ(Bytes(sample), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(FindResourceA(module_, "Sample", "4SAM"), nullptr);
  HRSRC numeric = FindResourceA(module_, MAKEINTRESOURCEA(7), MAKEINTRESOURCEA(3));
  ASSERT_NE(numeric, nullptr);
  EXPECT_EQ(Bytes(numeric), (std::vector<uint8_t>{0xDE, 0xAD, 0xBE, 0xEF}));
  EXPECT_EQ(FindResourceA(module_, "#7", "#3"), numeric);
}

TEST_F(ModuleResources, AnEmptyResourceLoadsWithSizeZero) {
  HRSRC r = FindResourceA(module_, "EMPTY", "XBAR");
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(SizeofResource(module_, r), 0u);
  EXPECT_NE(LockResource(LoadResource(module_, r)), nullptr);
}

TEST_F(ModuleResources, MissingTypesAndNamesSayWhichWasMissing) {
  EXPECT_EQ(FindResourceA(module_, "MAIN", "NONE"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_TYPE_NOT_FOUND);
  EXPECT_EQ(FindResourceA(module_, "OTHER", "XBAR"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
  EXPECT_EQ(FindResourceA(module_, MAKEINTRESOURCEA(129), "XBAR"), nullptr);
  EXPECT_EQ(LoadResource(module_, nullptr), nullptr);
  EXPECT_EQ(SizeofResource(module_, nullptr), 0u);
}

BOOL CollectType(HMODULE, char* type, intptr_t param) {
  reinterpret_cast<std::vector<std::string>*>(param)->push_back(Show(type));
  return TRUE_;
}

BOOL CollectName(HMODULE, const char*, char* name, intptr_t param) {
  reinterpret_cast<std::vector<std::string>*>(param)->push_back(Show(name));
  return TRUE_;
}

BOOL StopAtFirst(HMODULE, const char*, char* name, intptr_t param) {
  reinterpret_cast<std::vector<std::string>*>(param)->push_back(Show(name));
  return FALSE_;
}

TEST_F(ModuleResources, TypesAreEnumeratedNamedFirstThenNumbers) {
  std::vector<std::string> types;
  EXPECT_TRUE(EnumResourceTypesA(module_, &CollectType, reinterpret_cast<intptr_t>(&types)));
  EXPECT_EQ(types, (std::vector<std::string>{"STR#", "XBAR", "_4SAM", "#3"}));
}

TEST_F(ModuleResources, NamesAreEnumeratedTextsFirstThenNumbers) {
  std::vector<std::string> names;
  EXPECT_TRUE(EnumResourceNamesA(module_, "XBAR", &CollectName, reinterpret_cast<intptr_t>(&names)));
  EXPECT_EQ(names, (std::vector<std::string>{"empty", "MAIN", "#128"}));
}

TEST_F(ModuleResources, AnEnumerationEndsWhenTheCallbackSaysSo) {
  std::vector<std::string> names;
  EXPECT_FALSE(EnumResourceNamesA(module_, "XBAR", &StopAtFirst, reinterpret_cast<intptr_t>(&names)));
  EXPECT_EQ(names, (std::vector<std::string>{"empty"}));
}

TEST_F(ModuleResources, EnumeratingATypeWithoutResourcesFails) {
  std::vector<std::string> names;
  EXPECT_FALSE(EnumResourceNamesA(module_, "NONE", &CollectName, reinterpret_cast<intptr_t>(&names)));
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_TYPE_NOT_FOUND);
  EXPECT_TRUE(names.empty());
}

TEST(ModuleResourcesOfOthers, ALibraryWithoutATableHasNoResources) {
  HMODULE libc = LoadLibraryA("libc.so.6");
  ASSERT_NE(libc, nullptr);
  EXPECT_EQ(FindResourceA(libc, "MAIN", "XBAR"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_DATA_NOT_FOUND);
  std::vector<std::string> types;
  EXPECT_FALSE(EnumResourceTypesA(libc, &CollectType, reinterpret_cast<intptr_t>(&types)));
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_DATA_NOT_FOUND);
  EXPECT_TRUE(types.empty());
  FreeLibrary(libc);
  EXPECT_EQ(FindResourceA(nullptr, "MAIN", "XBAR"), nullptr);
}

TEST(ModuleResourcesOfOthers, TheProgramItselfDoesNotAnswerWithALoadedLibrarysTable) {
  // The sample library is loaded globally, yet the program's own handle,
  // whose searches reach every global symbol, must not take its table.
  void* sample = dlopen(QV_MODULE_SAMPLE, RTLD_NOW | RTLD_GLOBAL);
  ASSERT_NE(sample, nullptr);
  void* program = dlopen(nullptr, RTLD_NOW);
  ASSERT_NE(program, nullptr);
  EXPECT_NE(dlsym(program, kWinModuleResourceSymbol), nullptr);
  EXPECT_EQ(FindResourceA(reinterpret_cast<HMODULE>(program), "MAIN", "XBAR"), nullptr);
  dlclose(program);
  dlclose(sample);
}

}  // namespace
