// The file-backed registry: keys and values round trip, the stored bytes,
// names without regard to case, buffers too small, enumeration, deletion,
// rights, corrupt and truncated store files, and two processes at once.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/tests/WinFileMappingTestSupport.h"
#include "platform/win32/WinRegistry.h"

namespace {

class Registry : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/qvregistry.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    setenv("QV_REGISTRY_ROOT", root_.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("QV_REGISTRY_ROOT");
    std::filesystem::remove_all(root_);
  }

  HKEY Create(const char* path, REGSAM access = KEY_ALL_ACCESS, DWORD* disposition = nullptr) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                              access, nullptr, &key, disposition),
              LONG(ERROR_SUCCESS));
    return key;
  }

  static LONG SetText(HKEY key, const char* name, const char* text) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const uint8_t*>(text),
                          DWORD(std::strlen(text) + 1));
  }

  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  }

  std::string root_;
};

}  // namespace

TEST_F(Registry, ValuesRoundTripAndLandUnderTheMovedRoot) {
  DWORD disposition = 0;
  HKEY key = Create("SOFTWARE\\Qv\\SharedMemory 6.7", KEY_ALL_ACCESS, &disposition);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  ASSERT_EQ(SetText(key, "block", ""), LONG(ERROR_SUCCESS));
  const uint32_t number = 0x01020304;
  ASSERT_EQ(RegSetValueExA(key, "n", 0, REG_DWORD, reinterpret_cast<const uint8_t*>(&number), 4),
            LONG(ERROR_SUCCESS));
  EXPECT_EQ(RegCloseKey(key), LONG(ERROR_SUCCESS));

  HKEY again = Create("SOFTWARE\\Qv\\SharedMemory 6.7", KEY_ALL_ACCESS, &disposition);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  DWORD type = 0, size = 8;
  uint8_t data[8] = {};
  ASSERT_EQ(RegQueryValueExA(again, "block", nullptr, &type, data, &size), LONG(ERROR_SUCCESS));
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 1u);
  EXPECT_EQ(data[0], 0);
  size = 8;
  ASSERT_EQ(RegQueryValueExA(again, "n", nullptr, &type, data, &size), LONG(ERROR_SUCCESS));
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(std::memcmp(data, &number, 4), 0);
  RegCloseKey(again);

  // Key parts become lower-case folders under the variable's root.
  const std::string values = root_ + "/HKEY_LOCAL_MACHINE/software/qv/sharedmemory 6.7/.values";
  const std::string expected = std::string("QVRG\x02\x00\x00\x00", 8) +
                               std::string("\x05\x00\x00\x00", 4) + "block" +
                               std::string("\x01\x00\x00\x00\x01\x00\x00\x00\x00", 9) +
                               std::string("\x01\x00\x00\x00", 4) + "n" +
                               std::string("\x04\x00\x00\x00\x04\x00\x00\x00", 8) +
                               std::string("\x04\x03\x02\x01", 4);
  EXPECT_EQ(ReadFile(values), expected);
}

TEST_F(Registry, KeysAndValueNamesIgnoreCase) {
  HKEY key = Create("Software\\Mixed");
  ASSERT_EQ(SetText(key, "Name", "one"), LONG(ERROR_SUCCESS));
  ASSERT_EQ(SetText(key, "NAME", "two"), LONG(ERROR_SUCCESS));  // the same value
  RegCloseKey(key);
  HKEY other = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\mixed\\", 0, KEY_READ, &other),
            LONG(ERROR_SUCCESS));
  char text[8] = {};
  DWORD size = sizeof text;
  ASSERT_EQ(RegQueryValueExA(other, "name", nullptr, nullptr, reinterpret_cast<uint8_t*>(text), &size),
            LONG(ERROR_SUCCESS));
  EXPECT_STREQ(text, "two");
  char name[16];
  DWORD nameLength = sizeof name;
  ASSERT_EQ(RegEnumValueA(other, 0, name, &nameLength, nullptr, nullptr, nullptr, nullptr),
            LONG(ERROR_SUCCESS));
  EXPECT_STREQ(name, "Name");  // the spelling it was first set with
  nameLength = sizeof name;
  EXPECT_EQ(RegEnumValueA(other, 1, name, &nameLength, nullptr, nullptr, nullptr, nullptr),
            LONG(ERROR_NO_MORE_ITEMS));
  RegCloseKey(other);
}

TEST_F(Registry, SmallBuffersAnswerMoreDataWithTheSizeNeeded) {
  HKEY key = Create("k");
  ASSERT_EQ(SetText(key, "v", "hello"), LONG(ERROR_SUCCESS));
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, nullptr, &size), LONG(ERROR_SUCCESS));
  EXPECT_EQ(size, 6u);
  uint8_t small[3] = {9, 9, 9};
  size = sizeof small;
  EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, small, &size), LONG(ERROR_MORE_DATA));
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(small[0], 9);  // nothing written
  EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, small, nullptr), LONG(ERROR_INVALID_PARAMETER));

  char name[1];
  DWORD nameLength = sizeof name;
  EXPECT_EQ(RegEnumValueA(key, 0, name, &nameLength, nullptr, nullptr, nullptr, nullptr),
            LONG(ERROR_MORE_DATA));
  char fits[2];
  nameLength = sizeof fits;
  size = 2;
  uint8_t data[2];
  EXPECT_EQ(RegEnumValueA(key, 0, fits, &nameLength, nullptr, nullptr, data, &size),
            LONG(ERROR_MORE_DATA));
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(nameLength, 1u);
  RegCloseKey(key);
}

TEST_F(Registry, EnumerationKeepsTheOrderValuesWereFirstSet) {
  HKEY key = Create("order");
  for (const char* n : {"c", "a", "b"}) ASSERT_EQ(SetText(key, n, n), LONG(ERROR_SUCCESS));
  ASSERT_EQ(SetText(key, "c", "again"), LONG(ERROR_SUCCESS));
  ASSERT_EQ(RegDeleteValueA(key, "a"), LONG(ERROR_SUCCESS));
  EXPECT_EQ(RegDeleteValueA(key, "a"), LONG(ERROR_FILE_NOT_FOUND));
  std::string seen;
  for (DWORD i = 0;; ++i) {
    char name[8];
    DWORD length = sizeof name;
    const LONG r = RegEnumValueA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (r == LONG(ERROR_NO_MORE_ITEMS)) break;
    ASSERT_EQ(r, LONG(ERROR_SUCCESS));
    seen += name;
  }
  EXPECT_EQ(seen, "cb");
  EXPECT_EQ(RegQueryValueExA(key, "a", nullptr, nullptr, nullptr, nullptr), LONG(ERROR_FILE_NOT_FOUND));
  RegCloseKey(key);
}

TEST_F(Registry, OpenOfAMissingKeyFailsAndCreatesNothing) {
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "no\\such\\key", 0, KEY_READ, &key),
            LONG(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(key, nullptr);
  EXPECT_FALSE(std::filesystem::exists(root_ + "/HKEY_LOCAL_MACHINE/no"));
}

TEST_F(Registry, KeysWithSubkeysCannotBeDeletedAndDeletedKeysAnswerSo) {
  HKEY parent = Create("p");
  HKEY child = Create("p\\c");
  ASSERT_EQ(SetText(child, "v", "x"), LONG(ERROR_SUCCESS));
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "p"), LONG(ERROR_ACCESS_DENIED));
  EXPECT_EQ(RegDeleteKeyA(parent, "c"), LONG(ERROR_SUCCESS));
  EXPECT_EQ(RegDeleteKeyA(parent, "c"), LONG(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(SetText(child, "v", "y"), LONG(ERROR_KEY_DELETED));
  EXPECT_EQ(RegQueryValueExA(child, "v", nullptr, nullptr, nullptr, nullptr), LONG(ERROR_KEY_DELETED));
  RegCloseKey(child);
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "p"), LONG(ERROR_SUCCESS));
  RegCloseKey(parent);
}

TEST_F(Registry, KeyPartsCannotLeaveTheirTree) {
  HKEY key = Create("..\\a/b\\.values");
  ASSERT_NE(key, nullptr);
  ASSERT_EQ(SetText(key, "v", "x"), LONG(ERROR_SUCCESS));
  RegCloseKey(key);
  // Each part is one folder inside the hive, escaped.
  EXPECT_TRUE(std::filesystem::is_directory(root_ + "/HKEY_LOCAL_MACHINE/%2E./a%2Fb/%2Evalues"));
  HKEY bad = nullptr;
  EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "a\\\\b", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &bad, nullptr),
            LONG(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "\\a", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &bad,
                            nullptr),
            LONG(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, std::string(256, 'k').c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &bad, nullptr),
            LONG(ERROR_INVALID_PARAMETER));
}

TEST_F(Registry, RightsOfTheHandleAreKept) {
  Create("rights");
  HKEY reader = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "rights", 0, KEY_READ, &reader), LONG(ERROR_SUCCESS));
  EXPECT_EQ(SetText(reader, "v", "x"), LONG(ERROR_ACCESS_DENIED));
  EXPECT_EQ(RegDeleteValueA(reader, "v"), LONG(ERROR_ACCESS_DENIED));
  RegCloseKey(reader);
  EXPECT_EQ(RegCloseKey(reader), LONG(ERROR_INVALID_HANDLE));
  EXPECT_EQ(SetText(reinterpret_cast<HKEY>(0x123), "v", "x"), LONG(ERROR_INVALID_HANDLE));
}

TEST_F(Registry, ACorruptStoreFileAnswersBadDbAndIsLeftAsItIs) {
  HKEY key = Create("corrupt");
  ASSERT_EQ(SetText(key, "first", "1"), LONG(ERROR_SUCCESS));
  ASSERT_EQ(SetText(key, "second", "22"), LONG(ERROR_SUCCESS));
  const std::string path = root_ + "/HKEY_LOCAL_MACHINE/corrupt/.values";
  const std::string whole = ReadFile(path);
  // Every shorter file is cut somewhere inside a field.
  for (size_t cut = 1; cut < whole.size(); ++cut) {
    const std::string truncated = whole.substr(0, cut);
    WriteFile(path, truncated);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "first", nullptr, nullptr, nullptr, &size), LONG(ERROR_BADDB)) << cut;
    EXPECT_EQ(SetText(key, "third", "3"), LONG(ERROR_BADDB)) << cut;
    EXPECT_EQ(ReadFile(path), truncated) << cut;
  }
  // A count or a length far beyond the file.
  std::string huge = whole;
  huge[4] = '\xFF';
  huge[7] = '\x7F';
  WriteFile(path, huge);
  EXPECT_EQ(RegQueryValueExA(key, "first", nullptr, nullptr, nullptr, nullptr), LONG(ERROR_BADDB));
  std::string longName = whole;
  longName[8] = '\xFF';
  longName[11] = '\xFF';
  WriteFile(path, longName);
  EXPECT_EQ(RegQueryValueExA(key, "first", nullptr, nullptr, nullptr, nullptr), LONG(ERROR_BADDB));
  WriteFile(path, whole + "x");
  EXPECT_EQ(RegQueryValueExA(key, "first", nullptr, nullptr, nullptr, nullptr), LONG(ERROR_BADDB));
  WriteFile(path, whole);
  EXPECT_EQ(RegQueryValueExA(key, "first", nullptr, nullptr, nullptr, nullptr), LONG(ERROR_SUCCESS));
  RegCloseKey(key);
}

TEST_F(Registry, TwoProcessesWritingOneKeyLoseNothing) {
  Create("shared");
  constexpr int kEach = 40;
  auto writer = [&](const char* prefix) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "shared", 0, KEY_ALL_ACCESS, &key) != LONG(ERROR_SUCCESS))
      return 1;
    for (int i = 0; i < kEach; ++i) {
      const std::string name = prefix + std::to_string(i);
      if (SetText(key, name.c_str(), "") != LONG(ERROR_SUCCESS)) return 2;
    }
    RegCloseKey(key);
    return 0;
  };
  const pid_t child = StartChild([&] { return writer("child"); });
  EXPECT_EQ(writer("parent"), 0);
  EXPECT_EQ(WaitChild(child), 0);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "shared", 0, KEY_READ, &key), LONG(ERROR_SUCCESS));
  for (int i = 0; i < kEach; ++i) {
    for (const char* prefix : {"child", "parent"}) {
      const std::string name = prefix + std::to_string(i);
      EXPECT_EQ(RegQueryValueExA(key, name.c_str(), nullptr, nullptr, nullptr, nullptr),
                LONG(ERROR_SUCCESS))
          << name;
    }
  }
  RegCloseKey(key);
}
