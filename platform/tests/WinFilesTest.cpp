// Win32 file stand-in: dispositions and their error words, sharing between
// handles, read-only files, 64-bit positions and sizes, a full disk, moves
// that never replace, folders, attributes, listings, searches, times, the
// type-and-creator stream, links, security and the Toolbox file calls.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <iterator>
#include <string>
#include <vector>

#include "platform/toolbox/TbxFiles.h"
#include "platform/win32/WinFiles.h"

namespace {

namespace fs = std::filesystem;

class WinFiles : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/qvwinfilesXXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(dir_, ec);
  }
  std::string P(const std::string& name) const { return dir_ + "/" + name; }
  void Put(const std::string& name, const std::string& bytes) {
    std::ofstream out(P(name), std::ios::binary);
    out << bytes;
  }
  std::string Get(const std::string& name) {
    std::ifstream in(P(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  HANDLE Open(const std::string& name, DWORD access, DWORD share, DWORD disposition) {
    return CreateFileA(P(name).c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
  }

  std::string dir_;
};

constexpr DWORD kRW = GENERIC_READ | GENERIC_WRITE;

TEST_F(WinFiles, CreateNewRefusesAnExistingFile) {
  Put("a", "old");
  EXPECT_EQ(Open("a", kRW, 0, CREATE_NEW), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
  EXPECT_EQ(Get("a"), "old");
}

TEST_F(WinFiles, OpenExistingTellsAMissingFileFromAMissingFolder) {
  EXPECT_EQ(Open("none", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Open("nofolder/none", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(WinFiles, OpenAlwaysAndCreateAlwaysReportAnExistingFile) {
  Put("a", "content");
  HANDLE h = Open("a", kRW, 0, OPEN_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(GetFileSize(h, nullptr), 7u);
  CloseHandle(h);
  h = Open("a", kRW, 0, CREATE_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(GetFileSize(h, nullptr), 0u);
  CloseHandle(h);
  h = Open("b", kRW, 0, OPEN_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  CloseHandle(h);
  EXPECT_TRUE(fs::exists(P("b")));
}

TEST_F(WinFiles, SharingRefusesAWriterWhileAReaderDeniesIt) {
  Put("a", "x");
  HANDLE reader = Open("a", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Open("a", GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  HANDLE second = Open("a", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  EXPECT_NE(second, INVALID_HANDLE_VALUE);
  // A reader that does not share reading is refused too.
  EXPECT_EQ(Open("a", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  // An open without data access takes part in no sharing check.
  HANDLE query = Open("a", 0, 0, OPEN_EXISTING);
  EXPECT_NE(query, INVALID_HANDLE_VALUE);
  CloseHandle(query);
  CloseHandle(second);
  CloseHandle(reader);
  HANDLE writer = Open("a", GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING);
  EXPECT_NE(writer, INVALID_HANDLE_VALUE);
  CloseHandle(writer);
}

TEST_F(WinFiles, SharedWritersMayOpenTogether) {
  Put("a", "x");
  const DWORD both = FILE_SHARE_READ | FILE_SHARE_WRITE;
  HANDLE one = Open("a", kRW, both, OPEN_EXISTING);
  HANDLE two = Open("a", kRW, both, OPEN_EXISTING);
  EXPECT_NE(one, INVALID_HANDLE_VALUE);
  EXPECT_NE(two, INVALID_HANDLE_VALUE);
  CloseHandle(one);
  CloseHandle(two);
}

TEST_F(WinFiles, AnOpenFileCanBeNeitherDeletedNorMoved) {
  Put("a", "x");
  HANDLE h = Open("a", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  EXPECT_FALSE(DeleteFileA(P("a").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_FALSE(MoveFileA(P("a").c_str(), P("b").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  CloseHandle(h);
  EXPECT_TRUE(DeleteFileA(P("a").c_str()));
  EXPECT_FALSE(fs::exists(P("a")));
}

TEST_F(WinFiles, AReadOnlyFileRefusesWriteAccessToEveryone) {
  Put("ro", "keep");
  chmod(P("ro").c_str(), 0444);
  EXPECT_EQ(Open("ro", GENERIC_WRITE, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(Open("ro", kRW, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(Get("ro"), "keep");
  HANDLE h = Open("ro", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  EXPECT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  EXPECT_TRUE(GetFileAttributesA(P("ro").c_str()) & FILE_ATTRIBUTE_READONLY);
}

TEST_F(WinFiles, AFolderIsNoFileToOpenOrDelete) {
  ASSERT_TRUE(CreateDirectoryA(P("d").c_str(), nullptr));
  EXPECT_EQ(Open("d", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(DeleteFileA(P("d").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST_F(WinFiles, ReadAtTheEndSucceedsWithNothingAndWriteOnlyRefusesReading) {
  Put("a", "abc");
  HANDLE h = Open("a", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  char buffer[8];
  DWORD got = 99;
  EXPECT_TRUE(ReadFile(h, buffer, 8, &got, nullptr));
  EXPECT_EQ(got, 3u);
  EXPECT_TRUE(ReadFile(h, buffer, 8, &got, nullptr));
  EXPECT_EQ(got, 0u);
  DWORD put = 9;
  EXPECT_FALSE(WriteFile(h, "x", 1, &put, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(put, 0u);
  CloseHandle(h);
  h = Open("a", GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING);
  EXPECT_FALSE(ReadFile(h, buffer, 1, &got, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  CloseHandle(h);
}

TEST_F(WinFiles, PositionsAndSizesPassFourGibibytesWithoutWrapping) {
  HANDLE h = Open("big", kRW, 0, CREATE_NEW);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  const uint64_t five = 5ULL << 30;
  LONG high = LONG(five >> 32);
  EXPECT_EQ(SetFilePointer(h, LONG(uint32_t(five)), &high, FILE_BEGIN), uint32_t(five));
  ASSERT_TRUE(SetEndOfFile(h));  // a sparse file of 5 GiB
  DWORD sizeHigh = 0;
  EXPECT_EQ(GetFileSize(h, &sizeHigh), uint32_t(five));
  EXPECT_EQ(sizeHigh, 1u);
  // Thirty-two bits cannot show the size: refused, never wrapped.
  EXPECT_EQ(GetFileSize(h, nullptr), INVALID_FILE_SIZE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_TOO_LARGE);
  // A 32-bit move that would end past 32 bits is refused and moves nothing.
  EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_END), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  high = 0;
  EXPECT_EQ(SetFilePointer(h, 0, &high, FILE_CURRENT), uint32_t(five));
  EXPECT_EQ(high, 1);
  DWORD put = 0;
  EXPECT_TRUE(WriteFile(h, "end", 3, &put, nullptr));
  high = 0;
  EXPECT_EQ(GetFileSize(h, &sizeHigh), uint32_t(five + 3));
  CloseHandle(h);
  EXPECT_EQ(fs::file_size(P("big")), five + 3);
}

TEST_F(WinFiles, ANegativeSeekIsRefused) {
  Put("a", "abc");
  HANDLE h = Open("a", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  EXPECT_EQ(SetFilePointer(h, 2, nullptr, FILE_BEGIN), 2u);
  EXPECT_EQ(SetFilePointer(h, -3, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
  EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), 2u);
  CloseHandle(h);
}

TEST_F(WinFiles, SetEndOfFileCutsAndExtendsAtThePosition) {
  Put("a", "abcdef");
  HANDLE h = Open("a", kRW, 0, OPEN_EXISTING);
  SetFilePointer(h, 2, nullptr, FILE_BEGIN);
  EXPECT_TRUE(SetEndOfFile(h));
  EXPECT_EQ(GetFileSize(h, nullptr), 2u);
  SetFilePointer(h, 10, nullptr, FILE_BEGIN);
  EXPECT_TRUE(SetEndOfFile(h));
  EXPECT_EQ(GetFileSize(h, nullptr), 10u);
  CloseHandle(h);
  EXPECT_EQ(Get("a"), std::string("ab") + std::string(8, '\0'));
}

TEST_F(WinFiles, AWriteThatMeetsTheSizeLimitReportsTheDiskFull) {
  HANDLE h = Open("limited", kRW, 0, CREATE_NEW);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  struct rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto previous = signal(SIGXFSZ, SIG_IGN);
  struct rlimit limited = saved;
  limited.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  std::vector<char> bytes(10000, 'z');
  DWORD put = 0;
  const BOOL ok = WriteFile(h, bytes.data(), DWORD(bytes.size()), &put, nullptr);
  const DWORD error = GetLastError();
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, previous);
  EXPECT_FALSE(ok);
  EXPECT_EQ(error, ERROR_HANDLE_DISK_FULL);
  EXPECT_EQ(put, 4096u);
  CloseHandle(h);
}

TEST_F(WinFiles, MoveNeverReplacesAnExistingFile) {
  Put("a", "source");
  Put("b", "target");
  EXPECT_FALSE(MoveFileA(P("a").c_str(), P("b").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(Get("a"), "source");
  EXPECT_EQ(Get("b"), "target");
  EXPECT_TRUE(MoveFileA(P("a").c_str(), P("c").c_str()));
  EXPECT_EQ(Get("c"), "source");
  EXPECT_FALSE(fs::exists(P("a")));
  EXPECT_FALSE(MoveFileA(P("a").c_str(), P("d").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(WinFiles, ATemporaryFileIsItsOwnersUntilItTakesItsPlace) {
  const mode_t mask = umask(022);
  const auto mode = [&](const std::string& name) {
    struct stat st {};
    EXPECT_EQ(stat(P(name).c_str(), &st), 0);
    return st.st_mode & 07777;
  };
  for (const std::string place : {"free", "kept"}) {
    if (place == "kept") Put(place, "old"), chmod(P(place).c_str(), 0640);
    HANDLE h = CreateFileA(P("new").c_str(), kRW, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(mode("new"), 0600u);
    CloseHandle(h);
    EXPECT_TRUE(PutFileInPlaceA(P("new").c_str(), P(place).c_str()));
    EXPECT_EQ(mode(place), place == "kept" ? 0640u : 0644u) << place;
  }
  umask(mask);
}

TEST_F(WinFiles, AnOpenFileTakesItsPlacesProtectionBeforeItsFlush) {
  const mode_t mask = umask(022);
  struct Row {
    const char* place;
    mode_t placeMode;  // 0: the name is free
    mode_t expected;
  };
  for (const Row& row : {Row{"free", 0, 0644}, Row{"group", 0640, 0640}, Row{"private", 0600, 0600},
                         Row{"everyone", 0664, 0664}}) {
    SCOPED_TRACE(row.place);
    if (row.placeMode != 0) Put(row.place, "old"), chmod(P(row.place).c_str(), row.placeMode);
    HANDLE h = CreateFileA(P("new").c_str(), kRW, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(TakeProtectionOfA(h, P(row.place).c_str()));
    struct stat st {};
    EXPECT_EQ(stat(P("new").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, row.expected);  // open, not yet flushed
    CloseHandle(h);
    EXPECT_TRUE(PutFileInPlaceA(P("new").c_str(), P(row.place).c_str()));
    EXPECT_EQ(stat(P(row.place).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, row.expected);
  }
  umask(mask);
}

TEST_F(WinFiles, ALinkIsFollowedToTheFileASaveReplaces) {
  Put("real", "x");
  fs::create_directory(P("d"));
  Put("d/inner", "x");
  symlink("real", P("rel").c_str());
  symlink(P("rel").c_str(), P("abs").c_str());
  symlink("d/inner", P("deep").c_str());
  symlink("../real", P("d/up").c_str());
  symlink("missing", P("dangling").c_str());
  symlink("loop2", P("loop1").c_str());
  symlink("loop1", P("loop2").c_str());
  struct Row {
    const char* name;
    std::string expected;  // empty: refused
  };
  const Row rows[] = {{"real", P("real")},         {"rel", P("real")},   {"abs", P("real")},
                      {"deep", P("d/inner")},      {"d/up", P("d/../real")},
                      {"dangling", P("missing")}, {"free", P("free")},   {"loop1", ""}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    char buffer[PATH_MAX];
    const DWORD n = GetLinkTargetPathA(P(row.name).c_str(), sizeof buffer, buffer);
    if (row.expected.empty()) {
      EXPECT_EQ(n, 0u);
      EXPECT_EQ(GetLastError(), ERROR_CANT_RESOLVE_FILENAME);
    } else {
      ASSERT_EQ(n, row.expected.size());
      EXPECT_EQ(std::string(buffer), row.expected);
    }
  }
  char small[4];
  EXPECT_EQ(GetLinkTargetPathA(P("rel").c_str(), sizeof small, small), P("real").size() + 1);
}

// Runs `hold` in a forked process, which keeps what it opened until `release`
// is written to; the answer is its pid and the pipe's writing end.
std::pair<pid_t, int> HoldInAnotherProcess(const std::function<void()>& hold) {
  int ready[2], release[2];
  if (pipe(ready) != 0 || pipe(release) != 0) return {-1, -1};
  const pid_t pid = fork();
  char c = 1;
  if (pid == 0) {
    hold();
    if (write(ready[1], &c, 1) != 1 || read(release[0], &c, 1) != 1) _exit(1);
    _exit(0);
  }
  if (read(ready[0], &c, 1) != 1) return {-1, -1};
  close(ready[0]), close(ready[1]), close(release[0]);
  return {pid, release[1]};
}

void Release(std::pair<pid_t, int> holder) {
  char c = 1;
  EXPECT_EQ(write(holder.second, &c, 1), 1);
  close(holder.second);
  int status = 0;
  waitpid(holder.first, &status, 0);
}

TEST_F(WinFiles, AWriterThatSharesNoWritingHoldsTheFileAgainstOtherProcesses) {
  struct Row {
    const char* name;
    DWORD access, share, attributes;
    bool holds;
  };
  const Row rows[] = {
      {"read and write, read shared", kRW, FILE_SHARE_READ, 0, true},
      {"write alone, nothing shared", GENERIC_WRITE, 0, 0, true},
      {"read and write, writing shared", kRW, FILE_SHARE_READ | FILE_SHARE_WRITE, 0, false},
      {"read alone", GENERIC_READ, FILE_SHARE_READ, 0, false},
      {"a copy being written",  kRW, FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_ATTRIBUTE_TEMPORARY, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Put("held", "theirs");
    Put("new", "mine");
    const auto holder = HoldInAnotherProcess([&] {
      CreateFileA(P("held").c_str(), row.access, row.share, nullptr, OPEN_EXISTING, row.attributes, nullptr);
    });
    ASSERT_GT(holder.first, 0);
    HANDLE h = CreateFileA(P("held").c_str(), kRW, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(h == INVALID_HANDLE_VALUE, row.holds);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    // Readers are never refused.
    h = CreateFileA(P("held").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_EQ(PutFileInPlaceA(P("new").c_str(), P("held").c_str()), !row.holds);
    if (row.holds) {
      EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    }
    EXPECT_EQ(Get("held"), row.holds ? "theirs" : "mine");
    EXPECT_TRUE(DeleteUnheldFilesA(dir_.c_str(), "held"));
    EXPECT_EQ(fs::exists(P("held")), row.holds);
    Release(holder);
    std::remove(P("held").c_str());
    std::remove(P("new").c_str());
  }
}

TEST_F(WinFiles, LeftFilesNoProcessHoldsAreDeleted) {
  for (int i = 0; i < 1000; ++i) Put(".d.~qvnew" + std::to_string(i), "x");
  Put(".d.~qvnewheld", "x");
  Put(".e.~qvnew1", "x");
  fs::create_directory(P(".d.~qvnewfolder"));
  symlink("gone", P(".d.~qvnewlink").c_str());
  const auto holder = HoldInAnotherProcess([&] {
    CreateFileA(P(".d.~qvnewheld").c_str(), kRW, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  });
  ASSERT_GT(holder.first, 0);
  HANDLE mine = CreateFileA(P(".d.~qvnewmine").c_str(), kRW, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_TEMPORARY, nullptr);
  ASSERT_NE(mine, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(DeleteUnheldFilesA(dir_.c_str(), ".d.~qvnew"));
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir_)) names.insert(entry.path().filename().string());
  EXPECT_EQ(names, (std::set<std::string>{".d.~qvnewheld", ".d.~qvnewmine", ".e.~qvnew1",
                                          ".d.~qvnewfolder", ".d.~qvnewlink"}));
  CloseHandle(mine);
  Release(holder);
  EXPECT_FALSE(DeleteUnheldFilesA(P("missing").c_str(), ".d"));
}

TEST_F(WinFiles, FoldersAreMadeOnceAndRemovedOnlyWhenEmpty) {
  EXPECT_TRUE(CreateDirectoryA(P("d").c_str(), nullptr));
  EXPECT_FALSE(CreateDirectoryA(P("d").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_FALSE(CreateDirectoryA(P("x/y").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  Put("d/f", "1");
  EXPECT_FALSE(RemoveDirectoryA(P("d").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_DIR_NOT_EMPTY);
  std::remove(P("d/f").c_str());
  EXPECT_TRUE(RemoveDirectoryA(P("d").c_str()));
  EXPECT_FALSE(fs::exists(P("d")));
}

TEST_F(WinFiles, AttributesShowFoldersHiddenNamesAndLinks) {
  Put("plain", "");
  Put(".hidden", "");
  fs::create_directory(P("d"));
  symlink(P("plain").c_str(), P("link").c_str());
  symlink(P("missing").c_str(), P("dangling").c_str());
  EXPECT_EQ(GetFileAttributesA(P("plain").c_str()), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(GetFileAttributesA(P(".hidden").c_str()), FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(GetFileAttributesA(P("d").c_str()), FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(GetFileAttributesA(P("link").c_str()), FILE_ATTRIBUTE_REPARSE_POINT);
  EXPECT_EQ(GetFileAttributesA(P("dangling").c_str()), FILE_ATTRIBUTE_REPARSE_POINT);
  EXPECT_EQ(GetFileAttributesA(P("none").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  const std::u16string wide = u"/tmp";
  EXPECT_EQ(GetFileAttributesW(wide.c_str()) & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
  const char16_t lone[] = {u'/', 0xD800, 0};
  EXPECT_EQ(GetFileAttributesW(lone), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME);
}

TEST_F(WinFiles, ListingsGiveDotsFirstThenNamesInOrderThenNoMoreFiles) {
  Put("b.txt", "");
  Put("a.TXT", "");
  Put("c", "");
  fs::create_directory(P("sub"));
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(P("*.*").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  std::vector<std::string> names{data.cFileName};
  while (FindNextFileA(find, &data)) names.push_back(data.cFileName);
  EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
  FindClose(find);
  EXPECT_EQ(names, (std::vector<std::string>{".", "..", "a.TXT", "b.txt", "c", "sub"}));

  find = FindFirstFileA(P("*.txt").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  names = {data.cFileName};
  while (FindNextFileA(find, &data)) names.push_back(data.cFileName);
  FindClose(find);
  EXPECT_EQ(names, (std::vector<std::string>{"a.TXT", "b.txt"}));

  EXPECT_EQ(FindFirstFileA(P("*.none").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(FindFirstFileA(P("nofolder/*.*").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(WinFiles, ListingsCarrySizesAndFolderAttributes) {
  Put("f", "12345");
  fs::create_directory(P("sub"));
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(P("f").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.nFileSizeLow, 5u);
  EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
  FindClose(find);
  find = FindFirstFileA(P("sub").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  EXPECT_NE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_FALSE(CloseHandle(find));  // a search is ended by FindClose only
  EXPECT_TRUE(FindClose(find));
}

TEST_F(WinFiles, SearchPathFindsARelativeNameAsAnAbsolutePath) {
  fs::create_directory(P("sub"));
  Put("sub/f.txt", "");
  char buffer[512];
  char* part = nullptr;
  const DWORD n = SearchPathA(dir_.c_str(), "sub/../sub/./f.txt", nullptr, sizeof buffer, buffer,
                              &part);
  const std::string expected = fs::canonical(P("sub/f.txt")).string();
  ASSERT_EQ(n, expected.size());
  EXPECT_EQ(std::string(buffer), expected);
  EXPECT_STREQ(part, "f.txt");
  // Too small a buffer: the size needed, with the terminator.
  EXPECT_EQ(SearchPathA(dir_.c_str(), "sub/f.txt", nullptr, 4, buffer, nullptr),
            expected.size() + 1);
  EXPECT_EQ(SearchPathA(dir_.c_str(), "f", ".txt", 0, nullptr, nullptr), 0u);
  EXPECT_EQ(SearchPathA(P("sub").c_str(), "f", ".txt", sizeof buffer, buffer, nullptr),
            expected.size());
  EXPECT_EQ(SearchPathA(dir_.c_str(), "none", nullptr, sizeof buffer, buffer, nullptr), 0u);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(WinFiles, CurrentFolderRoundTripsAndReportsTheSizeItNeeds) {
  char saved[4096];
  ASSERT_GT(GetCurrentDirectoryA(sizeof saved, saved), 0u);
  ASSERT_TRUE(SetCurrentDirectoryA(dir_.c_str()));
  char now[4096];
  const DWORD n = GetCurrentDirectoryA(sizeof now, now);
  EXPECT_EQ(std::string(now), fs::canonical(dir_).string());
  EXPECT_EQ(GetCurrentDirectoryA(2, now), n + 1);
  EXPECT_FALSE(SetCurrentDirectoryA(P("none").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  ASSERT_TRUE(SetCurrentDirectoryA(saved));
}

TEST_F(WinFiles, FileTimesBecomeCalendarDatesInUniversalTime) {
  SYSTEMTIME st;
  FILETIME zero{0, 0};
  ASSERT_TRUE(FileTimeToSystemTime(&zero, &st));
  EXPECT_EQ(st.wYear, 1601);
  EXPECT_EQ(st.wMonth, 1);
  EXPECT_EQ(st.wDay, 1);
  EXPECT_EQ(st.wDayOfWeek, 1);  // a Monday
  const uint64_t epoch = 116444736000000000ULL;  // 1970-01-01 00:00:00
  FILETIME unix{DWORD(epoch), DWORD(epoch >> 32)};
  ASSERT_TRUE(FileTimeToSystemTime(&unix, &st));
  EXPECT_EQ(st.wYear, 1970);
  EXPECT_EQ(st.wMonth, 1);
  EXPECT_EQ(st.wDay, 1);
  EXPECT_EQ(st.wDayOfWeek, 4);  // a Thursday
  // 2000-02-29 13:14:15.016: a leap day of a year divisible by 400.
  const uint64_t leap = epoch + 951830055ULL * 10000000ULL + 160000;
  FILETIME t{DWORD(leap), DWORD(leap >> 32)};
  ASSERT_TRUE(FileTimeToSystemTime(&t, &st));
  EXPECT_EQ(st.wYear, 2000);
  EXPECT_EQ(st.wMonth, 2);
  EXPECT_EQ(st.wDay, 29);
  EXPECT_EQ(st.wHour, 13);
  EXPECT_EQ(st.wMinute, 14);
  EXPECT_EQ(st.wSecond, 15);
  EXPECT_EQ(st.wMilliseconds, 16);
  FILETIME huge{0, 0x80000000};
  EXPECT_FALSE(FileTimeToSystemTime(&huge, &st));
}

TEST_F(WinFiles, FileTimesOfHandlesAndPathsAgree) {
  Put("a", "x");
  struct timespec times[2] = {{1000000000, 0}, {1234567890, 500000000}};
  utimensat(AT_FDCWD, P("a").c_str(), times, 0);
  HANDLE h = Open("a", 0, 0, OPEN_EXISTING);
  FILETIME written, accessed;
  ASSERT_TRUE(GetFileTime(h, nullptr, &accessed, &written));
  CloseHandle(h);
  const uint64_t expected = (1234567890ULL + 11644473600ULL) * 10000000ULL + 5000000;
  EXPECT_EQ((uint64_t(written.dwHighDateTime) << 32) | written.dwLowDateTime, expected);
  WIN32_FILE_ATTRIBUTE_DATA data;
  const std::string path = P("a");
  const std::u16string wide(path.begin(), path.end());
  ASSERT_TRUE(GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(data.ftLastWriteTime.dwLowDateTime, written.dwLowDateTime);
  EXPECT_EQ(data.ftLastAccessTime.dwLowDateTime, accessed.dwLowDateTime);
  EXPECT_EQ(data.nFileSizeLow, 1u);
}

TEST_F(WinFiles, HardLinksAreOneFileByIdentity) {
  Put("a", "x");
  Put("b", "x");
  link(P("a").c_str(), P("a2").c_str());
  BY_HANDLE_FILE_INFORMATION ia, ia2, ib;
  HANDLE h = Open("a", 0, 0, OPEN_EXISTING);
  GetFileInformationByHandle(h, &ia);
  CloseHandle(h);
  h = Open("a2", 0, 0, OPEN_EXISTING);
  GetFileInformationByHandle(h, &ia2);
  CloseHandle(h);
  h = Open("b", 0, 0, OPEN_EXISTING);
  GetFileInformationByHandle(h, &ib);
  CloseHandle(h);
  EXPECT_EQ(ia.nFileIndexLow, ia2.nFileIndexLow);
  EXPECT_EQ(ia.dwVolumeSerialNumber, ia2.dwVolumeSerialNumber);
  EXPECT_EQ(ia.nNumberOfLinks, 2u);
  EXPECT_NE(ia.nFileIndexLow, ib.nFileIndexLow);
}

TEST_F(WinFiles, TheTypeStreamIsAnExtendedAttributeBesideTheFile) {
  Put("doc", "data");
  const std::string stream = P("doc") + ":AFP_AfpInfo";
  HANDLE h = CreateFileA(stream.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  h = CreateFileA(stream.c_str(), kRW, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  DWORD put = 0;
  ASSERT_TRUE(WriteFile(h, "0123456789", 10, &put, nullptr));
  CloseHandle(h);
  char value[64];
  const ssize_t n = getxattr(P("doc").c_str(), "user.AFP_AfpInfo", value, sizeof value);
  ASSERT_EQ(n, 10);
  EXPECT_EQ(std::string(value, 10), "0123456789");
  EXPECT_EQ(Get("doc"), "data");  // the file's own bytes are untouched

  h = CreateFileA(stream.c_str(), kRW, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  char back[16] = {};
  DWORD got = 0;
  EXPECT_TRUE(ReadFile(h, back, 16, &got, nullptr));
  EXPECT_EQ(got, 10u);
  SetFilePointer(h, 4, nullptr, FILE_BEGIN);
  EXPECT_TRUE(SetEndOfFile(h));
  EXPECT_EQ(GetFileSize(h, nullptr), 4u);
  CloseHandle(h);
  EXPECT_EQ(getxattr(P("doc").c_str(), "user.AFP_AfpInfo", value, sizeof value), 4);

  const std::string orphan = P("none") + ":AFP_AfpInfo";
  EXPECT_EQ(CreateFileA(orphan.c_str(), kRW, 0, nullptr, OPEN_ALWAYS, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(WinFiles, ShellLinksAreSymbolicLinksWithAbsoluteTargets) {
  Put("target", "t");
  EXPECT_TRUE(ShellLinkCreateA(P("link").c_str(), "target"));  // relative to the link
  EXPECT_FALSE(ShellLinkCreateA(P("link").c_str(), "target"));
  EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
  char target[MAX_PATH];
  WIN32_FIND_DATAA data;
  ASSERT_TRUE(ShellLinkGetPathA(P("link").c_str(), target, MAX_PATH, &data));
  EXPECT_EQ(std::string(target), P("target"));
  EXPECT_STREQ(data.cFileName, "target");
  EXPECT_FALSE(ShellLinkGetPathA(P("link").c_str(), target, 4, &data));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_FALSE(ShellLinkGetPathA(P("target").c_str(), target, MAX_PATH, &data));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  symlink(P("gone").c_str(), P("dangling").c_str());
  EXPECT_FALSE(ShellLinkGetPathA(P("dangling").c_str(), target, MAX_PATH, &data));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

mode_t ModeOf(const std::string& path) {
  struct stat st;
  stat(path.c_str(), &st);
  return st.st_mode & 07777;
}

TEST_F(WinFiles, TheOpenDescriptorGivesNoMoreThanOwnerWriteAndGroupRead) {
  Put("f", "");
  Put("exec", "");
  fs::create_directory(P("d"));
  chmod(P("f").c_str(), 0600);
  chmod(P("exec").c_str(), 0777);
  SECURITY_DESCRIPTOR sd;
  ASSERT_TRUE(InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION));
  ASSERT_TRUE(SetSecurityDescriptorDacl(&sd, TRUE_, nullptr, FALSE_));
  const mode_t saved = umask(022);
  EXPECT_TRUE(SetFileSecurityA(P("f").c_str(), DACL_SECURITY_INFORMATION, &sd));
  EXPECT_TRUE(SetFileSecurityA(P("exec").c_str(), DACL_SECURITY_INFORMATION, &sd));
  EXPECT_TRUE(SetFileSecurityA(P("d").c_str(), DACL_SECURITY_INFORMATION, &sd));
  EXPECT_EQ(ModeOf(P("f")), 0640u);
  EXPECT_EQ(ModeOf(P("exec")), 0640u);
  EXPECT_EQ(ModeOf(P("d")), 0750u);
  umask(077);
  EXPECT_TRUE(SetFileSecurityA(P("f").c_str(), DACL_SECURITY_INFORMATION, &sd));
  EXPECT_EQ(ModeOf(P("f")), 0600u);
  umask(saved);
  int list = 0;
  ASSERT_TRUE(SetSecurityDescriptorDacl(&sd, TRUE_, &list, FALSE_));
  EXPECT_FALSE(SetFileSecurityA(P("f").c_str(), DACL_SECURITY_INFORMATION, &sd));
  EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
}

TEST_F(WinFiles, FreeSpaceIsFoundForAPathNotYetMade) {
  DWORD perCluster = 0, perSector = 0, freeClusters = 0, total = 0;
  ASSERT_TRUE(GetDiskFreeSpaceA(P("not/yet/made").c_str(), &perCluster, &perSector,
                                &freeClusters, &total));
  EXPECT_EQ(perSector, 512u);
  EXPECT_GE(perCluster, 1u);
  EXPECT_GT(total, 0u);
  EXPECT_LE(freeClusters, total);
}

TEST_F(WinFiles, ClosedHandlesAreRefused) {
  Put("a", "x");
  HANDLE h = Open("a", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_FALSE(CloseHandle(h));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  char c;
  DWORD got;
  EXPECT_FALSE(ReadFile(h, &c, 1, &got, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

// ---- the Toolbox file calls ----

TEST_F(WinFiles, FileNumbersAreTheProcesssDescriptors) {
  Put("a", "shared");
  const int fd = open(P("a").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  HANDLE h = Tbx::OpenDeviceByNumber(fd);
  close(fd);  // the handle holds its own duplicate
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  char buffer[16] = {};
  DWORD got = 0;
  EXPECT_TRUE(ReadFile(h, buffer, sizeof buffer, &got, nullptr));
  EXPECT_EQ(std::string(buffer, got), "shared");
  EXPECT_FALSE(WriteFile(h, "x", 1, &got, nullptr));  // opened for reading only
  CloseHandle(h);
  EXPECT_EQ(Tbx::OpenDeviceByNumber(-1), INVALID_HANDLE_VALUE);
  EXPECT_EQ(Tbx::OpenDeviceByNumber(100000), INVALID_HANDLE_VALUE);
}

TEST_F(WinFiles, PathsGetVolumeAndFolderNumbers) {
  Put("a", "");
  fs::create_directory(P("d"));
  Tbx::FileRef one, two, inner;
  EXPECT_EQ(Tbx::NativePathToFileRef(P("a").c_str(), &one), Tbx::noErr);
  EXPECT_EQ(Tbx::NativePathToFileRef(P("b").c_str(), &two), Tbx::fnfErr);
  EXPECT_EQ(one.directory, two.directory);  // one folder, one number
  EXPECT_EQ(one.volume, two.volume);
  EXPECT_LT(one.volume, 0);
  EXPECT_GE(one.directory, 2);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(two.name + 1), two.name[0]), "b");
  EXPECT_EQ(Tbx::NativePathToFileRef(P("d/x").c_str(), &inner), Tbx::fnfErr);
  EXPECT_NE(inner.directory, one.directory);
  EXPECT_EQ(Tbx::NativePathToFileRef(P("none/x").c_str(), &inner), Tbx::dirNFErr);
  EXPECT_EQ(inner.directory, 0);
  EXPECT_EQ(Tbx::NativePathToFileRef(P(std::string(300, 'n')).c_str(), &inner), Tbx::bdNamErr);
  EXPECT_EQ(Tbx::NativePathToFileRef("", &inner), Tbx::bdNamErr);
}

}  // namespace
