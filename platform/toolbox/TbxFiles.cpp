// The Toolbox file calls: folder and volume numbers kept in two tables, and
// file numbers taken as the process's descriptors.
#include "platform/toolbox/TbxFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace Tbx {
namespace {

struct Numbers {
  std::mutex lock;
  std::map<dev_t, int16_t> volumes;
  std::map<std::pair<dev_t, ino_t>, int32_t> folders;
  int32_t nextFolder = 2;
};

Numbers& N() {
  static Numbers* n = new Numbers;  // never destroyed: numbers outlive statics
  return *n;
}

}  // namespace

OSErr NativePathToFileRef(const char* path, FileRef* ref) {
  if (ref == nullptr) return paramErr;
  std::memset(ref, 0, sizeof *ref);
  if (path == nullptr || path[0] == '\0') return bdNamErr;
  std::string full = path;
  if (full[0] != '/') {
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd) == nullptr) return ioErr;
    full = std::string(cwd) + "/" + full;
  }
  while (full.size() > 1 && full.back() == '/') full.pop_back();
  const size_t slash = full.find_last_of('/');
  const std::string name = full.substr(slash + 1);
  const std::string folder = slash == 0 ? "/" : full.substr(0, slash);
  if (name.empty() || name.size() > 255) return bdNamErr;
  ref->name[0] = uint8_t(name.size());
  std::memcpy(ref->name + 1, name.data(), name.size());

  struct stat st;
  if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return dirNFErr;
  {
    Numbers& n = N();
    std::lock_guard<std::mutex> guard(n.lock);
    auto volume = n.volumes.find(st.st_dev);
    if (volume == n.volumes.end()) {
      if (n.volumes.size() >= 32767) return ioErr;
      volume = n.volumes.emplace(st.st_dev, int16_t(-1 - int16_t(n.volumes.size()))).first;
    }
    auto key = std::make_pair(st.st_dev, st.st_ino);
    auto dir = n.folders.find(key);
    if (dir == n.folders.end()) {
      if (n.nextFolder == INT32_MAX) return ioErr;
      dir = n.folders.emplace(key, n.nextFolder++).first;
    }
    ref->volume = volume->second;
    ref->directory = dir->second;
  }
  struct stat file;
  return lstat(full.c_str(), &file) == 0 ? noErr : fnfErr;
}

HANDLE OpenDeviceByNumber(int32_t number) { return WinFileFromDescriptor(number); }

}  // namespace Tbx
