// Shared by the file and resource file tests: a scratch folder per test, a
// file type map installed for a test, small byte helpers, and a scratch
// volume of a chosen file system mounted for a child process (a volume
// without extended attributes, a tiny volume that fills).
#pragma once

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "framework/core/strings/VUniString.h"
#include "framework/system/files/VFileTypeMap.h"

namespace files_test {

namespace fs = std::filesystem;

inline uint32_t Code(const char (&c)[5]) { return FourCC(c); }

// The text of a string as UTF-8 (ASCII in these tests).
inline std::string Text(const VString& s) {
  std::string out;
  for (int32_t i = 1; i <= s.GetLength(); ++i) out.push_back(char(s.GetCharAt(i)));
  return out;
}

inline void SetText(VString& s, const std::string& text) {
  std::u16string units(text.begin(), text.end());
  s.SetUniChars(units.data(), 0, int32_t(units.size()));
}

struct Str : VStrInHandle {
  explicit Str(const std::string& text = std::string()) { SetText(*this, text); }
};

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// A fresh folder for each test, removed afterwards; the current folder is
// put back too.
class ScratchFolder : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/qvfilesXXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    saved_ = fs::current_path();
  }
  void TearDown() override {
    std::error_code ec;
    fs::current_path(saved_, ec);
    for (auto& e : fs::recursive_directory_iterator(dir_, ec))
      fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(dir_, ec);
  }
  std::string P(const std::string& name) const { return dir_ + "/" + name; }

  std::string dir_;
  fs::path saved_;
};

// Installs a map with the given rows for the life of the object.
class ScopedTypeMap {
 public:
  ScopedTypeMap() : saved_(gFileTypeMap) { gFileTypeMap = &map_; }
  ~ScopedTypeMap() { gFileTypeMap = saved_; }
  ScopedTypeMap& Row(const char (&type)[5], const char (&extension)[5],
                     const char (&second)[5] = "\0\0\0\0") {
    map_.AddFileTypeMapping(FourCC(type), FourCC(extension), FourCC(second));
    return *this;
  }
  VFileTypeMap& Map() { return map_; }

 private:
  VFileTypeMap map_;
  VFileTypeMap* saved_;
};

// Runs `body` with the process's file size limited to `bytes`, as a full
// disk would stop the writes.
template <typename Body>
void WithFullDisk(rlim_t bytes, Body&& body) {
  struct rlimit saved;
  getrlimit(RLIMIT_FSIZE, &saved);
  auto previous = signal(SIGXFSZ, SIG_IGN);
  struct rlimit limited = saved;
  limited.rlim_cur = bytes;
  setrlimit(RLIMIT_FSIZE, &limited);
  body();
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, previous);
}

// Runs `body` in a child process on a fresh volume of `type` mounted (with
// `options`) in the child's own mount namespace. Answers 1 when the body
// answered true, 0 when it answered false, -1 when no such volume could be
// mounted here (no privilege for namespaces or mounts).
inline int RunOnScratchVolume(const char* type, const char* options,
                              const std::function<bool(const std::string&)>& body) {
  char pattern[] = "/tmp/qvvolumeXXXXXX";
  if (mkdtemp(pattern) == nullptr) return -1;
  const std::string mountPoint = pattern;
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid < 0) {
    rmdir(mountPoint.c_str());
    return -1;
  }
  if (pid == 0) {
    if (unshare(CLONE_NEWNS) != 0) {
      const uid_t uid = getuid();
      const gid_t gid = getgid();
      if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) _exit(77);
      auto put = [](const char* file, const std::string& text) {
        FILE* f = std::fopen(file, "w");
        if (f == nullptr) return false;
        const bool ok = std::fputs(text.c_str(), f) >= 0;
        return std::fclose(f) == 0 && ok;
      };
      put("/proc/self/setgroups", "deny");
      if (!put("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
          !put("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1"))
        _exit(77);
    }
    // Nothing mounted here reaches the parent's namespace.
    mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
    if (mount("qvscratch", mountPoint.c_str(), type, 0, options) != 0) _exit(77);
    const bool ok = body(mountPoint);
    umount2(mountPoint.c_str(), MNT_DETACH);
    std::fflush(nullptr);
    _exit(ok ? 0 : 1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  rmdir(mountPoint.c_str());
  if (!WIFEXITED(status)) return 0;
  if (WEXITSTATUS(status) == 77) return -1;
  return WEXITSTATUS(status) == 0 ? 1 : 0;
}

// A check inside a child's body: reports and answers false when it fails.
#define QV_CHILD_CHECK(condition)                                               \
  do {                                                                          \
    if (!(condition)) {                                                         \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      return false;                                                             \
    }                                                                           \
  } while (0)

}  // namespace files_test
