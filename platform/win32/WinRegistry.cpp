// The registry over files: keys are folders, each key's values one file in
// its folder, every change written beside and renamed into place under a
// lock on the key.
#include "platform/win32/WinRegistry.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace {

constexpr size_t kMaxKeyPart = 255;
constexpr size_t kMaxValueName = 16383;
// A value file larger than this is not read: no value the system keeps
// comes near it.
constexpr size_t kMaxStoreFile = 64u << 20;
constexpr uintptr_t kKeyBase = 0x10000;

const char kValuesFile[] = ".values";
const char kLockFile[] = ".lock";

// ---- where the store lies ----

std::string StoreRoot() {
  if (const char* root = std::getenv("QV_REGISTRY_ROOT"); root != nullptr && *root != 0) return root;
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config != 0)
    return std::string(config) + "/qv/registry";
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != 0)
    return std::string(home) + "/.config/qv/registry";
  return "/tmp/qv-registry-" + std::to_string(getuid());
}

const char* HiveName(HKEY key) {
  switch (reinterpret_cast<uintptr_t>(key)) {
    case 0x80000000u:
      return "HKEY_CLASSES_ROOT";
    case 0x80000001u:
      return "HKEY_CURRENT_USER";
    case 0x80000002u:
      return "HKEY_LOCAL_MACHINE";
    case 0x80000003u:
      return "HKEY_USERS";
    default:
      return nullptr;
  }
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool SameName(const std::string& a, const char* b) {
  const size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

// A key's part as a folder name: lower case, so that parts that differ only
// in case meet in one folder; '/' and '%' escaped, and a leading '.', so
// no part can be "." or ".." or one of the key's own files.
std::string FolderNameOf(const std::string& part) {
  std::string out;
  for (size_t i = 0; i < part.size(); ++i) {
    const char c = LowerAscii(part[i]);
    if (c == '/' || c == '%' || (c == '.' && i == 0)) {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned char>(c));
      out += hex;
    } else {
      out += c;
    }
  }
  return out;
}

// Appends the folders of `subKey` to `folder`; ERROR_INVALID_PARAMETER for
// an empty part inside the path (a final '\' is allowed) or a part too long.
LONG AppendSubKey(std::string* folder, const char* subKey) {
  if (subKey == nullptr) return ERROR_SUCCESS;
  std::string part;
  const char* p = subKey;
  while (true) {
    const char c = *p;
    if (c == '\\' || c == 0) {
      if (part.empty()) {
        if (c == 0 && p != subKey && p[-1] == '\\') break;  // a final separator
        if (c == 0 && p == subKey) break;                   // the key itself
        return ERROR_INVALID_PARAMETER;
      }
      if (part.size() > kMaxKeyPart) return ERROR_INVALID_PARAMETER;
      *folder += '/';
      *folder += FolderNameOf(part);
      part.clear();
      if (c == 0) break;
    } else {
      part += c;
    }
    ++p;
  }
  return ERROR_SUCCESS;
}

bool FolderExists(const std::string& folder) {
  struct stat st;
  return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

LONG ErrorOfErrno(int e) {
  switch (e) {
    case ENOENT:
    case ENOTDIR:
      return ERROR_FILE_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
      return ERROR_ACCESS_DENIED;
    default:
      return ERROR_BADDB;
  }
}

// Makes every missing folder of the path; `created` tells whether the last
// one was made now.
LONG MakeFolders(const std::string& folder, bool* created) {
  *created = false;
  for (size_t at = 1; at <= folder.size(); ++at) {
    if (at != folder.size() && folder[at] != '/') continue;
    const std::string prefix = folder.substr(0, at);
    if (mkdir(prefix.c_str(), 0777) == 0) {
      if (at == folder.size()) *created = true;
    } else if (errno != EEXIST) {
      return ErrorOfErrno(errno);
    }
  }
  return FolderExists(folder) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

// ---- open keys ----

struct OpenKey {
  std::string folder;
  REGSAM access = 0;
  bool live = false;
};

struct Keys {
  std::mutex lock;
  std::vector<OpenKey> keys;
};

Keys& K() {
  static Keys* keys = new Keys;  // never destroyed: keys may be closed during exit
  return *keys;
}

HKEY AddKey(const std::string& folder, REGSAM access) {
  Keys& k = K();
  std::lock_guard<std::mutex> guard(k.lock);
  size_t slot = 0;
  while (slot < k.keys.size() && k.keys[slot].live) ++slot;
  if (slot == k.keys.size()) k.keys.emplace_back();
  k.keys[slot] = OpenKey{folder, access, true};
  return reinterpret_cast<HKEY>(kKeyBase + slot * 4);
}

// The folder and the rights of a key handle; a predefined key is its tree's
// root with every right.
LONG Resolve(HKEY key, std::string* folder, REGSAM* access) {
  if (const char* hive = HiveName(key)) {
    *folder = StoreRoot() + "/" + hive;
    *access = KEY_ALL_ACCESS;
    return ERROR_SUCCESS;
  }
  const uintptr_t v = reinterpret_cast<uintptr_t>(key);
  if (v < kKeyBase || (v & 3) != 0) return ERROR_INVALID_HANDLE;
  const size_t slot = (v - kKeyBase) / 4;
  Keys& k = K();
  std::lock_guard<std::mutex> guard(k.lock);
  if (slot >= k.keys.size() || !k.keys[slot].live) return ERROR_INVALID_HANDLE;
  *folder = k.keys[slot].folder;
  *access = k.keys[slot].access;
  return ERROR_SUCCESS;
}

// ---- the values of a key ----

// The value file, all numbers little-endian:
//   "QVRG", u32 count, then count values of
//   u32 name length, the name's bytes, u32 type, u32 data length, the data.
// Each length is checked against what remains before it is used.
struct Value {
  std::string name;
  DWORD type = REG_NONE;
  std::string data;
};

class Reader {
 public:
  Reader(const std::string& bytes) : bytes_(bytes) {}
  bool U32(uint32_t* v) {
    if (bytes_.size() - at_ < 4) return false;
    const auto* p = reinterpret_cast<const uint8_t*>(bytes_.data() + at_);
    *v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    at_ += 4;
    return true;
  }
  bool Bytes(uint32_t n, std::string* out) {
    if (bytes_.size() - at_ < n) return false;
    out->assign(bytes_, at_, n);
    at_ += n;
    return true;
  }
  bool AtEnd() const { return at_ == bytes_.size(); }
  size_t Remaining() const { return bytes_.size() - at_; }

 private:
  const std::string& bytes_;
  size_t at_ = 0;
};

void PutU32(std::string* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out->push_back(char((v >> (8 * i)) & 0xFF));
}

LONG ParseValues(const std::string& bytes, std::vector<Value>* values) {
  values->clear();
  if (bytes.empty()) return ERROR_SUCCESS;
  Reader in(bytes);
  std::string magic;
  uint32_t count;
  if (!in.Bytes(4, &magic) || magic != "QVRG" || !in.U32(&count)) return ERROR_BADDB;
  // Every value takes at least 12 bytes: a count beyond that is corrupt.
  if (count > in.Remaining() / 12) return ERROR_BADDB;
  values->reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    Value v;
    uint32_t nameLength, dataLength;
    if (!in.U32(&nameLength) || nameLength > kMaxValueName || !in.Bytes(nameLength, &v.name) ||
        !in.U32(&v.type) || !in.U32(&dataLength) || !in.Bytes(dataLength, &v.data))
      return ERROR_BADDB;
    values->push_back(std::move(v));
  }
  return in.AtEnd() ? ERROR_SUCCESS : ERROR_BADDB;
}

std::string SerializeValues(const std::vector<Value>& values) {
  std::string out = "QVRG";
  PutU32(&out, uint32_t(values.size()));
  for (const Value& v : values) {
    PutU32(&out, uint32_t(v.name.size()));
    out += v.name;
    PutU32(&out, v.type);
    PutU32(&out, uint32_t(v.data.size()));
    out += v.data;
  }
  return out;
}

// A lock on one key, shared for reading and exclusive for changing, held
// through a descriptor of its own (never one inherited through fork).
class KeyLock {
 public:
  KeyLock(const std::string& folder, bool exclusive) {
    fd_ = open((folder + "/" + kLockFile).c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0) {
      error_ = errno == ENOENT || errno == ENOTDIR ? ERROR_KEY_DELETED : ErrorOfErrno(errno);
      return;
    }
    while (flock(fd_, exclusive ? LOCK_EX : LOCK_SH) != 0) {
      if (errno != EINTR) {
        error_ = ERROR_BADDB;
        return;
      }
    }
    // The key may have been deleted while this waited.
    if (!FolderExists(folder)) error_ = ERROR_KEY_DELETED;
  }
  ~KeyLock() {
    if (fd_ >= 0) close(fd_);
  }
  LONG Error() const { return error_; }

 private:
  int fd_ = -1;
  LONG error_ = ERROR_SUCCESS;
};

LONG ReadValues(const std::string& folder, std::vector<Value>* values) {
  values->clear();
  const int fd = open((folder + "/" + kValuesFile).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? ERROR_SUCCESS : ErrorOfErrno(errno);
  std::string bytes;
  struct stat st;
  LONG result = ERROR_SUCCESS;
  if (fstat(fd, &st) != 0 || st.st_size < 0 || size_t(st.st_size) > kMaxStoreFile) {
    result = ERROR_BADDB;
  } else {
    char buffer[8192];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) != 0) {
      if (n < 0) {
        if (errno == EINTR) continue;
        result = ERROR_BADDB;
        break;
      }
      bytes.append(buffer, size_t(n));
      if (bytes.size() > kMaxStoreFile) {
        result = ERROR_BADDB;
        break;
      }
    }
  }
  close(fd);
  if (result != ERROR_SUCCESS) return result;
  return ParseValues(bytes, values);
}

LONG WriteValues(const std::string& folder, const std::vector<Value>& values) {
  const std::string bytes = SerializeValues(values);
  const std::string target = folder + "/" + kValuesFile;
  const std::string temporary = target + ".new" + std::to_string(getpid());
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return errno == ENOENT ? ERROR_KEY_DELETED : ErrorOfErrno(errno);
  size_t done = 0;
  bool ok = true;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    done += size_t(n);
  }
  ok = close(fd) == 0 && ok;
  if (!ok || rename(temporary.c_str(), target.c_str()) != 0) {
    unlink(temporary.c_str());
    return ERROR_ACCESS_DENIED;
  }
  return ERROR_SUCCESS;
}

Value* FindValue(std::vector<Value>& values, const char* name) {
  for (Value& v : values)
    if (SameName(v.name, name)) return &v;
  return nullptr;
}

// Copies data out the way the query calls answer it.
LONG AnswerData(const Value& v, DWORD* type, uint8_t* data, DWORD* size) {
  if (type != nullptr) *type = v.type;
  if (data != nullptr && size == nullptr) return ERROR_INVALID_PARAMETER;
  if (size == nullptr) return ERROR_SUCCESS;
  const DWORD needed = DWORD(v.data.size());
  if (data != nullptr) {
    if (*size < needed) {
      *size = needed;
      return ERROR_MORE_DATA;
    }
    std::memcpy(data, v.data.data(), needed);
  }
  *size = needed;
  return ERROR_SUCCESS;
}

LONG OpenOrCreate(HKEY key, const char* subKey, REGSAM access, PHKEY result, bool create,
                  DWORD* disposition) {
  if (result == nullptr || (create && subKey == nullptr)) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  std::string folder;
  REGSAM parentAccess;
  if (LONG e = Resolve(key, &folder, &parentAccess); e != ERROR_SUCCESS) return e;
  const bool predefined = HiveName(key) != nullptr;
  if (!predefined && !FolderExists(folder)) return ERROR_KEY_DELETED;
  if (LONG e = AppendSubKey(&folder, subKey); e != ERROR_SUCCESS) return e;
  if (create) {
    bool made = false;
    if (LONG e = MakeFolders(folder, &made); e != ERROR_SUCCESS) return e;
    if (disposition != nullptr) *disposition = made ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  } else if (!FolderExists(folder)) {
    return ERROR_FILE_NOT_FOUND;
  }
  *result = AddKey(folder, access);
  return ERROR_SUCCESS;
}

}  // namespace

LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD, char*, DWORD, REGSAM access,
                     LPSECURITY_ATTRIBUTES, PHKEY result, DWORD* disposition) {
  return OpenOrCreate(key, subKey, access, result, true, disposition);
}

LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD, REGSAM access, PHKEY result) {
  return OpenOrCreate(key, subKey, access, result, false, nullptr);
}

LONG RegSetValueExA(HKEY key, const char* valueName, DWORD, DWORD type, const uint8_t* data,
                    DWORD size) {
  std::string folder;
  REGSAM access;
  if (LONG e = Resolve(key, &folder, &access); e != ERROR_SUCCESS) return e;
  if ((access & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
  if (data == nullptr && size != 0) return ERROR_INVALID_PARAMETER;
  const char* name = valueName != nullptr ? valueName : "";
  if (std::strlen(name) > kMaxValueName) return ERROR_INVALID_PARAMETER;
  if (HiveName(key) != nullptr) {
    bool made;
    if (LONG e = MakeFolders(folder, &made); e != ERROR_SUCCESS) return e;
  }
  KeyLock lock(folder, true);
  if (lock.Error() != ERROR_SUCCESS) return lock.Error();
  std::vector<Value> values;
  if (LONG e = ReadValues(folder, &values); e != ERROR_SUCCESS) return e;
  Value* v = FindValue(values, name);
  if (v == nullptr) {
    values.emplace_back();
    v = &values.back();
    v->name = name;
  }
  v->type = type;
  v->data.assign(reinterpret_cast<const char*>(data), data != nullptr ? size : 0);
  return WriteValues(folder, values);
}

LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD*, DWORD* type, uint8_t* data,
                      DWORD* size) {
  std::string folder;
  REGSAM access;
  if (LONG e = Resolve(key, &folder, &access); e != ERROR_SUCCESS) return e;
  if ((access & KEY_QUERY_VALUE) == 0) return ERROR_ACCESS_DENIED;
  if (HiveName(key) != nullptr && !FolderExists(folder)) return ERROR_FILE_NOT_FOUND;
  KeyLock lock(folder, false);
  if (lock.Error() != ERROR_SUCCESS) return lock.Error();
  std::vector<Value> values;
  if (LONG e = ReadValues(folder, &values); e != ERROR_SUCCESS) return e;
  const Value* v = FindValue(values, valueName != nullptr ? valueName : "");
  if (v == nullptr) return ERROR_FILE_NOT_FOUND;
  return AnswerData(*v, type, data, size);
}

LONG RegDeleteValueA(HKEY key, const char* valueName) {
  std::string folder;
  REGSAM access;
  if (LONG e = Resolve(key, &folder, &access); e != ERROR_SUCCESS) return e;
  if ((access & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
  if (HiveName(key) != nullptr && !FolderExists(folder)) return ERROR_FILE_NOT_FOUND;
  KeyLock lock(folder, true);
  if (lock.Error() != ERROR_SUCCESS) return lock.Error();
  std::vector<Value> values;
  if (LONG e = ReadValues(folder, &values); e != ERROR_SUCCESS) return e;
  const char* name = valueName != nullptr ? valueName : "";
  for (auto it = values.begin(); it != values.end(); ++it) {
    if (SameName(it->name, name)) {
      values.erase(it);
      return WriteValues(folder, values);
    }
  }
  return ERROR_FILE_NOT_FOUND;
}

LONG RegDeleteKeyA(HKEY key, const char* subKey) {
  if (subKey == nullptr || *subKey == 0) return ERROR_INVALID_PARAMETER;
  std::string folder;
  REGSAM access;
  if (LONG e = Resolve(key, &folder, &access); e != ERROR_SUCCESS) return e;
  if (LONG e = AppendSubKey(&folder, subKey); e != ERROR_SUCCESS) return e;
  if (!FolderExists(folder)) return ERROR_FILE_NOT_FOUND;
  KeyLock lock(folder, true);
  if (lock.Error() != ERROR_SUCCESS) return lock.Error() == ERROR_KEY_DELETED ? ERROR_FILE_NOT_FOUND
                                                                              : lock.Error();
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return ErrorOfErrno(errno);
  bool hasSubKeys = false;
  std::vector<std::string> files;
  while (dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    // Every folder name of a key part is escaped so that it never starts
    // with '.': what starts with one is the key's own file.
    if (name[0] != '.') {
      hasSubKeys = true;
      break;
    }
    files.push_back(name);
  }
  closedir(dir);
  if (hasSubKeys) return ERROR_ACCESS_DENIED;
  for (const std::string& name : files) unlink((folder + "/" + name).c_str());
  if (rmdir(folder.c_str()) != 0) return ErrorOfErrno(errno);
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
  if (HiveName(key) != nullptr) return ERROR_SUCCESS;
  const uintptr_t v = reinterpret_cast<uintptr_t>(key);
  if (v < kKeyBase || (v & 3) != 0) return ERROR_INVALID_HANDLE;
  const size_t slot = (v - kKeyBase) / 4;
  Keys& k = K();
  std::lock_guard<std::mutex> guard(k.lock);
  if (slot >= k.keys.size() || !k.keys[slot].live) return ERROR_INVALID_HANDLE;
  k.keys[slot] = OpenKey{};
  return ERROR_SUCCESS;
}

LONG RegEnumValueA(HKEY key, DWORD index, char* name, DWORD* nameLength, DWORD*, DWORD* type,
                   uint8_t* data, DWORD* size) {
  if (name == nullptr || nameLength == nullptr) return ERROR_INVALID_PARAMETER;
  std::string folder;
  REGSAM access;
  if (LONG e = Resolve(key, &folder, &access); e != ERROR_SUCCESS) return e;
  if ((access & KEY_QUERY_VALUE) == 0) return ERROR_ACCESS_DENIED;
  std::vector<Value> values;
  if (HiveName(key) == nullptr || FolderExists(folder)) {
    KeyLock lock(folder, false);
    if (lock.Error() != ERROR_SUCCESS) return lock.Error();
    if (LONG e = ReadValues(folder, &values); e != ERROR_SUCCESS) return e;
  }
  if (index >= values.size()) return ERROR_NO_MORE_ITEMS;
  const Value& v = values[index];
  if (v.name.size() >= *nameLength) return ERROR_MORE_DATA;
  std::memcpy(name, v.name.data(), v.name.size());
  name[v.name.size()] = 0;
  *nameLength = DWORD(v.name.size());
  return AnswerData(v, type, data, size);
}
