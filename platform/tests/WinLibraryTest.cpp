// Library loader stand-in: loading by path and by bare name, entry points by
// name, ordinal numbers mapped to their export names, and the failures.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/win32/WinLibrary.h"

namespace {

// The path on disk of the C library, found from one of its calls.
std::string CLibraryPath() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&getpid), &info) == 0 || info.dli_fname == nullptr) return {};
  return info.dli_fname;
}

TEST(WinLibrary, LoadsALibraryByPathAndFindsAnEntryByName) {
  const std::string path = CLibraryPath();
  ASSERT_EQ(path.front(), '/');
  HMODULE module = LoadLibraryA(path.c_str());
  ASSERT_NE(module, nullptr);
  auto entry = reinterpret_cast<pid_t (*)()>(GetProcAddress(module, "getpid"));
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  EXPECT_EQ(entry(), getpid());
  EXPECT_TRUE(FreeLibrary(module));
}

TEST(WinLibrary, LoadsALibraryByBareName) {
  HMODULE module = LoadLibraryA("libc.so.6");
  ASSERT_NE(module, nullptr);
  auto length = reinterpret_cast<size_t (*)(const char*)>(GetProcAddress(module, "strlen"));
  ASSERT_NE(length, nullptr);
  EXPECT_EQ(length("four"), 4u);
  EXPECT_TRUE(FreeLibrary(module));
}

TEST(WinLibrary, AMissingLibraryAnswersNullWithModNotFound) {
  SetLastError(0);
  EXPECT_EQ(LoadLibraryA("/nonexistent/libnothing.so"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
  EXPECT_EQ(LoadLibraryA(""), nullptr);
  EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
}

TEST(WinLibrary, AFileThatIsNoLibraryIsRefused) {
  EXPECT_EQ(LoadLibraryA("/etc/hostname"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
}

TEST(WinLibrary, AMissingEntryAnswersNullWithProcNotFound) {
  HMODULE module = LoadLibraryA("libc.so.6");
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(GetProcAddress(module, "NoSuchEntryPoint"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  FreeLibrary(module);
}

TEST(WinLibrary, NoModuleAnswersNull) {
  EXPECT_EQ(GetProcAddress(nullptr, "strlen"), nullptr);
  EXPECT_FALSE(FreeLibrary(nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(WinLibrary, OrdinalNumbersNameTheirExportNames) {
  char name[16];
  OrdinalEntryName(7, name, sizeof name);
  EXPECT_STREQ(name, "QvOrdinal7");
  OrdinalEntryName(65535, name, sizeof name);
  EXPECT_STREQ(name, "QvOrdinal65535");
  // A short buffer is cut, never overrun.
  char tiny[4] = {'x', 'x', 'x', 'x'};
  OrdinalEntryName(12, tiny, 3);
  EXPECT_STREQ(tiny, "Qv");
}

TEST(WinLibrary, ASmallIntegerInPlaceOfTheNameIsAnOrdinal) {
  EXPECT_TRUE(IsOrdinalName(OrdinalName(1)));
  EXPECT_TRUE(IsOrdinalName(OrdinalName(0xFFFF)));
  EXPECT_FALSE(IsOrdinalName("strlen"));
  // libc exports no ordinal names: the lookup goes by "QvOrdinal3" and fails
  // rather than reading the small number as an address.
  HMODULE module = LoadLibraryA("libc.so.6");
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(GetProcAddress(module, OrdinalName(3)), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  FreeLibrary(module);
}

}  // namespace
