// Win32 file access on POSIX: a table of file, stream and search handles, the
// errno-to-Win32 error mapping, sharing between handles, and the path calls.
#include "platform/win32/WinFiles.h"
#include "platform/bytes/Utf8Put.h"
#include "platform/win32/WinFileMapping.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

// The stream that carries a file's Macintosh type and creator, and the
// extended attribute that holds it on this platform.
constexpr char kAfpStreamSuffix[] = ":AFP_AfpInfo";
constexpr char kAfpAttribute[] = "user.AFP_AfpInfo";
// An extended attribute holds at most this much on the common file systems.
constexpr size_t kMaxStreamSize = 65536;

// Seconds from 1 January 1601 to 1 January 1970.
constexpr int64_t kEpochDifference = 11644473600LL;

enum class Kind { kFile, kStream, kFind };

struct FindEntry {
  std::string name;
  WIN32_FIND_DATAA data;
};

// A folder as it stands: an entry made, removed or renamed in it changes its
// modification and change times.
struct FolderState {
  dev_t device = 0;
  ino_t inode = 0;
  struct timespec modified {};
  struct timespec changed {};
  bool operator==(const FolderState& o) const {
    return device == o.device && inode == o.inode && modified.tv_sec == o.modified.tv_sec &&
           modified.tv_nsec == o.modified.tv_nsec && changed.tv_sec == o.changed.tv_sec &&
           changed.tv_nsec == o.changed.tv_nsec;
  }
};

bool FolderStateOf(const std::string& folder, FolderState* state) {
  struct stat st;
  if (stat(folder.c_str(), &st) != 0) return false;
  *state = FolderState{st.st_dev, st.st_ino, st.st_mtim, st.st_ctim};
  return true;
}

struct Object {
  Kind kind = Kind::kFile;
  // Files: the descriptor, the access asked for, the sharing granted, and the
  // identity of the file for the sharing checks.
  int fd = -1;
  DWORD access = 0;
  DWORD share = 0;
  dev_t device = 0;
  ino_t inode = 0;
  // Streams: the file the stream belongs to, its bytes and the position.
  std::string basePath;
  std::vector<uint8_t> bytes;
  uint64_t position = 0;
  // Searches: the entries and the next one to hand out.
  std::vector<FindEntry> entries;
  size_t next = 0;
  // A copy made by CreateCopyBesideA: the key of its place's note, and its
  // folder as it stood once the copy was made there.
  bool copy = false;
  std::string noteKey;
  FolderState folderWithCopy;
};

struct Table {
  std::mutex lock;
  std::unordered_set<Object*> objects;
  // Copies whose handles are closed, still held until they are put in place
  // or deleted.
  std::vector<Object*> closedCopies;
  // For each place whose copies this process looked for ("device:inode/"
  // of the folder and the copies' common start), the folder as it stood when
  // the last job on it ended holding none that were left.
  std::map<std::string, FolderState> notes;
};

Table& T() {
  static Table* t = new Table;  // never destroyed: handles may outlive statics
  return *t;
}

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE_;
}

BOOL Succeed() {
  SetLastError(ERROR_SUCCESS);
  return TRUE_;
}

// Whether the folder part of a path exists, to tell a missing file from a
// missing folder as Win32 does.
bool FolderOfPathExists(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return true;
  const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
  struct stat st;
  return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The Win32 error for a failed POSIX call on `path`. A full disk and a file
// at the process's size limit both say that the disk is full, the one code
// the file layer reports as such.
DWORD ErrorOf(int e, const std::string& path = std::string()) {
  switch (e) {
    case 0:
      return ERROR_SUCCESS;
    case ENOENT:
      return FolderOfPathExists(path) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return ERROR_ACCESS_DENIED;
    case EEXIST:
      return ERROR_FILE_EXISTS;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return ERROR_HANDLE_DISK_FULL;
    case ENAMETOOLONG:
      return ERROR_FILENAME_EXCED_RANGE;
    case ENOTEMPTY:
      return ERROR_DIR_NOT_EMPTY;
    case EMFILE:
    case ENFILE:
      return ERROR_TOO_MANY_OPEN_FILES;
    case ELOOP:
      return ERROR_CANT_RESOLVE_FILENAME;
    case EXDEV:
      return ERROR_NOT_SAME_DEVICE;
    case EBUSY:
    case ETXTBSY:
      return ERROR_SHARING_VIOLATION;
    case EINVAL:
      return ERROR_INVALID_PARAMETER;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case EBADF:
      return ERROR_INVALID_HANDLE;
    case ENOTSUP:
      return ERROR_NOT_SUPPORTED;
    default:
      return ERROR_GEN_FAILURE;
  }
}

bool ValidName(const char* name) { return name != nullptr && name[0] != '\0'; }

bool EndsWithNoCase(const std::string& s, const char* suffix) {
  const size_t n = std::strlen(suffix);
  if (s.size() < n) return false;
  return strncasecmp(s.c_str() + s.size() - n, suffix, n) == 0;
}

FILETIME FileTimeOf(const struct timespec& t) {
  FILETIME ft{0, 0};
  const int64_t seconds = int64_t(t.tv_sec) + kEpochDifference;
  if (seconds < 0) return ft;
  const uint64_t ticks = uint64_t(seconds) * 10000000ULL + uint64_t(t.tv_nsec) / 100;
  ft.dwLowDateTime = DWORD(ticks);
  ft.dwHighDateTime = DWORD(ticks >> 32);
  return ft;
}

// The creation time where the file system keeps one, else the time of the
// last change of the file's status.
FILETIME CreationTimeOf(const std::string& path, int fd, const struct stat& st) {
  struct statx sx;
  const int r = fd >= 0 ? statx(fd, "", AT_EMPTY_PATH, STATX_BTIME, &sx)
                        : statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME, &sx);
  if (r == 0 && (sx.stx_mask & STATX_BTIME)) {
    struct timespec t;
    t.tv_sec = sx.stx_btime.tv_sec;
    t.tv_nsec = sx.stx_btime.tv_nsec;
    return FileTimeOf(t);
  }
  return FileTimeOf(st.st_ctim);
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

DWORD AttributesOf(const std::string& path, const struct stat& st, bool link) {
  DWORD a = 0;
  if (S_ISDIR(st.st_mode)) {
    a |= FILE_ATTRIBUTE_DIRECTORY;
  } else if ((st.st_mode & S_IWUSR) == 0) {
    a |= FILE_ATTRIBUTE_READONLY;
  }
  const std::string name = BaseName(path);
  if (name.size() > 1 && name[0] == '.' && name != "..") a |= FILE_ATTRIBUTE_HIDDEN;
  if (link) a |= FILE_ATTRIBUTE_REPARSE_POINT;
  return a == 0 ? FILE_ATTRIBUTE_NORMAL : a;
}

// The attributes of a path, following links; INVALID_FILE_ATTRIBUTES with
// the error set when nothing is there. `st` receives what stat found.
DWORD LookUp(const std::string& path, struct stat* st, bool* reached) {
  struct stat lst;
  if (lstat(path.c_str(), &lst) != 0) {
    SetLastError(ErrorOf(errno, path));
    *reached = false;
    return INVALID_FILE_ATTRIBUTES;
  }
  const bool link = S_ISLNK(lst.st_mode);
  if (!link) {
    *st = lst;
    *reached = true;
  } else if (stat(path.c_str(), st) == 0) {
    *reached = true;
  } else {
    // A link whose target is missing or that ends in a loop: the link alone.
    std::memset(st, 0, sizeof *st);
    *reached = false;
    SetLastError(ERROR_SUCCESS);
    return FILE_ATTRIBUTE_REPARSE_POINT;
  }
  SetLastError(ERROR_SUCCESS);
  return AttributesOf(path, *st, link);
}

void FillFindData(const std::string& path, const std::string& name, WIN32_FIND_DATAA* d) {
  std::memset(d, 0, sizeof *d);
  struct stat st;
  bool reached = false;
  d->dwFileAttributes = LookUp(path, &st, &reached);
  if (d->dwFileAttributes == INVALID_FILE_ATTRIBUTES) d->dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
  if (reached) {
    d->ftCreationTime = CreationTimeOf(path, -1, st);
    d->ftLastAccessTime = FileTimeOf(st.st_atim);
    d->ftLastWriteTime = FileTimeOf(st.st_mtim);
    if (!S_ISDIR(st.st_mode)) {
      d->nFileSizeHigh = DWORD(uint64_t(st.st_size) >> 32);
      d->nFileSizeLow = DWORD(uint64_t(st.st_size));
    }
  }
  std::snprintf(d->cFileName, sizeof d->cFileName, "%s", name.c_str());
}

// ---- UTF-16 paths ----

// UTF-16 to UTF-8; false for a lone surrogate.
bool Utf8Of(const char16_t* text, std::string* out) {
  out->clear();
  for (size_t i = 0; text[i] != 0; ++i) {
    uint32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF) {
      const uint32_t low = text[i + 1];
      if (low < 0xDC00 || low > 0xDFFF) return false;
      c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
      ++i;
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      return false;
    }
    PutUtf8(*out, c);
  }
  return true;
}

// ---- the handle table ----

HANDLE Register(Object* o) {
  Table& t = T();
  std::lock_guard<std::mutex> guard(t.lock);
  t.objects.insert(o);
  return o;
}

Object* Find(HANDLE h, Kind kind) {
  Table& t = T();
  std::lock_guard<std::mutex> guard(t.lock);
  auto it = t.objects.find(static_cast<Object*>(h));
  if (it == t.objects.end() || (*it)->kind != kind) return nullptr;
  return *it;
}

// A file handle or a stream handle; null (ERROR_INVALID_HANDLE) otherwise.
Object* FindData(HANDLE h) {
  Object* o = Find(h, Kind::kFile);
  if (o == nullptr) o = Find(h, Kind::kStream);
  if (o == nullptr) SetLastError(ERROR_INVALID_HANDLE);
  return o;
}

bool Unregister(Object* o) {
  Table& t = T();
  std::lock_guard<std::mutex> guard(t.lock);
  return t.objects.erase(o) != 0;
}

bool HasDataAccess(DWORD access) { return (access & (GENERIC_READ | GENERIC_WRITE)) != 0; }

// Whether an open with this access and sharing may join the handles already
// open on the file.
bool SharingAllows(dev_t device, ino_t inode, DWORD access, DWORD share) {
  if (!HasDataAccess(access)) return true;
  Table& t = T();
  std::lock_guard<std::mutex> guard(t.lock);
  for (const Object* o : t.objects) {
    if (o->kind != Kind::kFile || o->device != device || o->inode != inode) continue;
    if (!HasDataAccess(o->access)) continue;
    if ((access & GENERIC_READ) && !(o->share & FILE_SHARE_READ)) return false;
    if ((access & GENERIC_WRITE) && !(o->share & FILE_SHARE_WRITE)) return false;
    if ((o->access & GENERIC_READ) && !(share & FILE_SHARE_READ)) return false;
    if ((o->access & GENERIC_WRITE) && !(share & FILE_SHARE_WRITE)) return false;
  }
  return true;
}

// Whether some handle holds the file at `path` without letting it be deleted.
bool HeldAgainstDeletion(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return false;
  Table& t = T();
  std::lock_guard<std::mutex> guard(t.lock);
  for (const Object* o : t.objects) {
    if (o->kind == Kind::kFile && o->device == st.st_dev && o->inode == st.st_ino &&
        HasDataAccess(o->access) && !(o->share & FILE_SHARE_DELETE))
      return true;
  }
  return false;
}

// ---- the type-and-creator stream ----

// Reads the stream's bytes; false with the error set when there is none.
bool ReadStream(const std::string& base, std::vector<uint8_t>* bytes, DWORD* error) {
  const ssize_t n = getxattr(base.c_str(), kAfpAttribute, nullptr, 0);
  if (n < 0) {
    *error = errno == ENODATA ? ERROR_FILE_NOT_FOUND
             : (errno == ENOTSUP) ? ERROR_INVALID_NAME
                                  : ErrorOf(errno, base);
    return false;
  }
  bytes->assign(size_t(n), 0);
  if (n > 0) {
    const ssize_t got = getxattr(base.c_str(), kAfpAttribute, bytes->data(), bytes->size());
    if (got < 0) {
      *error = ErrorOf(errno, base);
      return false;
    }
    bytes->resize(size_t(got));
  }
  return true;
}

// Stores the stream's bytes; a volume without extended attributes has no
// named streams (ERROR_INVALID_NAME).
DWORD StoreStream(const std::string& base, const std::vector<uint8_t>& bytes, int flags) {
  if (setxattr(base.c_str(), kAfpAttribute, bytes.data(), bytes.size(), flags) == 0)
    return ERROR_SUCCESS;
  if (errno == ENOTSUP) return ERROR_INVALID_NAME;
  if (errno == E2BIG || errno == ERANGE) return ERROR_HANDLE_DISK_FULL;
  return ErrorOf(errno, base);
}

HANDLE OpenStream(const std::string& base, DWORD access, DWORD disposition) {
  struct stat st;
  if (base.empty() || stat(base.c_str(), &st) != 0) {
    SetLastError(base.empty() ? ERROR_INVALID_NAME : ErrorOf(errno, base));
    return INVALID_HANDLE_VALUE;
  }
  auto* o = new Object;
  o->kind = Kind::kStream;
  o->basePath = base;
  o->access = access;
  DWORD error = ERROR_SUCCESS;
  const bool exists = ReadStream(base, &o->bytes, &error);
  if (!exists && error != ERROR_FILE_NOT_FOUND) {
    delete o;
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
  }
  DWORD answer = ERROR_SUCCESS;
  switch (disposition) {
    case OPEN_EXISTING:
      if (!exists) error = ERROR_FILE_NOT_FOUND;
      break;
    case TRUNCATE_EXISTING:
      if (!exists) {
        error = ERROR_FILE_NOT_FOUND;
        break;
      }
      o->bytes.clear();
      error = StoreStream(base, o->bytes, XATTR_REPLACE);
      break;
    case CREATE_NEW:
      if (exists) {
        error = ERROR_FILE_EXISTS;
        break;
      }
      error = StoreStream(base, o->bytes, XATTR_CREATE);
      break;
    case OPEN_ALWAYS:
      if (exists) {
        answer = ERROR_ALREADY_EXISTS;
        break;
      }
      error = StoreStream(base, o->bytes, XATTR_CREATE);
      break;
    case CREATE_ALWAYS:
      if (exists) answer = ERROR_ALREADY_EXISTS;
      o->bytes.clear();
      error = StoreStream(base, o->bytes, 0);
      break;
    default:
      error = ERROR_INVALID_PARAMETER;
  }
  if (error != ERROR_SUCCESS) {
    delete o;
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
  }
  HANDLE h = Register(o);
  SetLastError(answer);
  return h;
}

// ---- paths ----

// Joins a relative path to a folder and removes "." and ".." parts.
std::string Normalized(const std::string& path) {
  std::vector<std::string> parts;
  size_t i = 0;
  while (i <= path.size()) {
    size_t j = path.find('/', i);
    if (j == std::string::npos) j = path.size();
    const std::string part = path.substr(i, j - i);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    i = j + 1;
  }
  std::string out;
  for (const auto& p : parts) out += "/" + p;
  return out.empty() ? "/" : out;
}

bool CurrentFolder(std::string* out) {
  std::vector<char> buffer(PATH_MAX);
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return false;
    buffer.resize(buffer.size() * 2);
  }
  *out = buffer.data();
  return true;
}

std::string Absolute(const std::string& path, const std::string& folder) {
  if (!path.empty() && path[0] == '/') return Normalized(path);
  return Normalized(folder + "/" + path);
}

// Copies a text into a caller's buffer as the Win32 length calls do: the
// length when it fits with its terminator, otherwise the size needed.
DWORD CopyOut(const std::string& text, DWORD bufferLength, char* buffer) {
  if (buffer == nullptr || text.size() + 1 > bufferLength) return DWORD(text.size() + 1);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return DWORD(text.size());
}

bool Matches(const std::string& mask, const std::string& name) {
  if (mask == "*" || mask == "*.*") return true;
  return fnmatch(mask.c_str(), name.c_str(), FNM_CASEFOLD) == 0;
}

// A writer that shares no writing (and a new copy while it is written) holds
// its file against the writers of other processes too: an open file
// description lock on the whole file, which lives as long as the descriptor
// and binds every process. False when another process holds the file; a
// file system without such locks holds nothing and refuses nothing.
bool LockAgainstOtherProcesses(int fd) {
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  if (fcntl(fd, F_OFD_SETLK, &lock) == 0) return true;
  return errno != EAGAIN && errno != EACCES;
}

// Whether `path` names the file `st` describes.
bool NamesFile(const std::string& path, const struct stat& st) {
  struct stat now;
  return lstat(path.c_str(), &now) == 0 && now.st_dev == st.st_dev && now.st_ino == st.st_ino;
}

mode_t CurrentUmask() {
  const mode_t mask = umask(0);
  umask(mask);
  return mask;
}

}  // namespace

// ---------------------------------------------------------------- handles

HANDLE CreateFileA(const char* name, DWORD access, DWORD share, void*, DWORD disposition,
                   DWORD attributes, HANDLE) {
  if (!ValidName(name)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  const std::string path = name;
  if (EndsWithNoCase(path, kAfpStreamSuffix))
    return OpenStream(path.substr(0, path.size() - (sizeof kAfpStreamSuffix - 1)), access,
                      disposition);

  int flags = O_CLOEXEC;
  const bool read = access & GENERIC_READ, write = access & GENERIC_WRITE;
  if (read && write)
    flags |= O_RDWR;
  else if (write)
    flags |= O_WRONLY;
  else if (read)
    flags |= O_RDONLY;
  else if (disposition == OPEN_EXISTING)
    flags |= O_PATH;  // no data access: enough to ask for size, times and identity
  else
    flags |= O_RDONLY;
  bool existed = true;
  int fd = -1;
  const mode_t mode = (attributes & FILE_ATTRIBUTE_TEMPORARY) != 0 ? 0600 : 0666;
  // A writer that shares no writing, and a copy being written, hold the file
  // against other processes.
  const bool holds =
      write && ((share & FILE_SHARE_WRITE) == 0 || (attributes & FILE_ATTRIBUTE_TEMPORARY) != 0);
  switch (disposition) {
    case CREATE_NEW:
      fd = open(name, flags | O_CREAT | O_EXCL, mode);
      existed = false;
      break;
    case CREATE_ALWAYS:
    case OPEN_ALWAYS:
      fd = open(name, flags);
      if (fd < 0 && errno == ENOENT) {
        fd = open(name, flags | O_CREAT | O_EXCL, mode);
        existed = false;
      }
      break;
    case OPEN_EXISTING:
    case TRUNCATE_EXISTING:
      fd = open(name, flags);
      break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return INVALID_HANDLE_VALUE;
  }
  if (fd < 0) {
    SetLastError(ErrorOf(errno, path));
    return INVALID_HANDLE_VALUE;
  }
  struct stat st;
  DWORD error = ERROR_SUCCESS;
  if (fstat(fd, &st) != 0) {
    error = ErrorOf(errno, path);
  } else if (S_ISDIR(st.st_mode)) {
    error = ERROR_ACCESS_DENIED;  // a folder is opened as a file by no one here
  } else if (write && existed && (st.st_mode & S_IWUSR) == 0) {
    error = ERROR_ACCESS_DENIED;  // read-only for everyone
  } else if (!SharingAllows(st.st_dev, st.st_ino, access, share)) {
    error = ERROR_SHARING_VIOLATION;
  } else if (holds && !LockAgainstOtherProcesses(fd)) {
    // Another process holds the file. One just made here is held so only by
    // a process removing what killed saves left, which takes it away.
    error = existed ? ERROR_SHARING_VIOLATION : ERROR_FILE_EXISTS;
  } else if (holds && !existed && !NamesFile(path, st)) {
    // Taken away before it was held: the name is no longer this file's.
    error = ERROR_FILE_EXISTS;
  } else if (existed && (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING)) {
    if (!write) {
      error = ERROR_ACCESS_DENIED;
    } else if (ftruncate(fd, 0) != 0) {
      error = ErrorOf(errno, path);
    }
  }
  if (error != ERROR_SUCCESS) {
    close(fd);
    // A file made here and taken away meanwhile is not this one's to remove.
    if (!existed && error != ERROR_FILE_EXISTS) unlink(name);
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
  }
  auto* o = new Object;
  o->fd = fd;
  o->access = access;
  o->share = share;
  o->device = st.st_dev;
  o->inode = st.st_ino;
  HANDLE h = Register(o);
  const bool reportExisting =
      existed && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS);
  SetLastError(reportExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return h;
}

BOOL ReadFile(HANDLE file, void* buffer, DWORD count, DWORD* read, void*) {
  if (read) *read = 0;
  Object* o = FindData(file);
  if (o == nullptr) return FALSE_;
  if (!(o->access & GENERIC_READ)) return Fail(ERROR_ACCESS_DENIED);
  if (count > 0 && buffer == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (o->kind == Kind::kStream) {
    const uint64_t available = o->position < o->bytes.size() ? o->bytes.size() - o->position : 0;
    const DWORD n = DWORD(std::min<uint64_t>(count, available));
    if (n > 0) std::memcpy(buffer, o->bytes.data() + o->position, n);
    o->position += n;
    if (read) *read = n;
    return Succeed();
  }
  DWORD done = 0;
  while (done < count) {
    const ssize_t n = ::read(o->fd, static_cast<uint8_t*>(buffer) + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      if (read) *read = done;
      return Fail(ErrorOf(errno));
    }
    if (n == 0) break;
    done += DWORD(n);
  }
  if (read) *read = done;
  return Succeed();
}

BOOL WriteFile(HANDLE file, const void* buffer, DWORD count, DWORD* written, void*) {
  if (written) *written = 0;
  Object* o = FindData(file);
  if (o == nullptr) return FALSE_;
  if (!(o->access & GENERIC_WRITE)) return Fail(ERROR_ACCESS_DENIED);
  if (count > 0 && buffer == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (o->kind == Kind::kStream) {
    const uint64_t end = o->position + count;
    if (end > kMaxStreamSize) return Fail(ERROR_HANDLE_DISK_FULL);
    std::vector<uint8_t> bytes = o->bytes;
    if (bytes.size() < end) bytes.resize(size_t(end), 0);
    if (count > 0) std::memcpy(bytes.data() + o->position, buffer, count);
    // Stored at once, so that a failure is reported by the write that met it.
    const DWORD error = StoreStream(o->basePath, bytes, 0);
    if (error != ERROR_SUCCESS) return Fail(error);
    o->bytes = std::move(bytes);
    o->position = end;
    if (written) *written = count;
    return Succeed();
  }
  DWORD done = 0;
  while (done < count) {
    const ssize_t n = ::write(o->fd, static_cast<const uint8_t*>(buffer) + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (written) *written = done;
      return Fail(n == 0 ? ERROR_HANDLE_DISK_FULL : ErrorOf(errno));
    }
    done += DWORD(n);
  }
  if (written) *written = done;
  return Succeed();
}

DWORD SetFilePointer(HANDLE file, LONG distanceLow, LONG* distanceHigh, DWORD method) {
  Object* o = FindData(file);
  if (o == nullptr) return INVALID_SET_FILE_POINTER;
  int64_t distance;
  if (distanceHigh != nullptr)
    distance = int64_t((uint64_t(uint32_t(*distanceHigh)) << 32) | uint32_t(distanceLow));
  else
    distance = distanceLow;
  int64_t base;
  if (method == FILE_BEGIN) {
    base = 0;
  } else if (method == FILE_CURRENT) {
    if (o->kind == Kind::kStream) {
      base = int64_t(o->position);
    } else {
      const off_t at = lseek(o->fd, 0, SEEK_CUR);
      if (at < 0) {
        SetLastError(ErrorOf(errno));
        return INVALID_SET_FILE_POINTER;
      }
      base = at;
    }
  } else if (method == FILE_END) {
    if (o->kind == Kind::kStream) {
      base = int64_t(o->bytes.size());
    } else {
      struct stat st;
      if (fstat(o->fd, &st) != 0) {
        SetLastError(ErrorOf(errno));
        return INVALID_SET_FILE_POINTER;
      }
      base = st.st_size;
    }
  } else {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  if ((distance > 0 && base > INT64_MAX - distance) || base + distance < 0) {
    SetLastError(ERROR_NEGATIVE_SEEK);
    return INVALID_SET_FILE_POINTER;
  }
  const int64_t target = base + distance;
  if (distanceHigh == nullptr && target > int64_t(0xFFFFFFFE)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  if (o->kind == Kind::kStream) {
    o->position = uint64_t(target);
  } else if (lseek(o->fd, off_t(target), SEEK_SET) < 0) {
    SetLastError(ErrorOf(errno));
    return INVALID_SET_FILE_POINTER;
  }
  if (distanceHigh != nullptr) *distanceHigh = LONG(uint64_t(target) >> 32);
  SetLastError(ERROR_SUCCESS);
  return DWORD(uint64_t(target));
}

DWORD GetFileSize(HANDLE file, DWORD* sizeHigh) {
  Object* o = FindData(file);
  if (o == nullptr) return INVALID_FILE_SIZE;
  uint64_t size;
  if (o->kind == Kind::kStream) {
    size = o->bytes.size();
  } else {
    struct stat st;
    if (fstat(o->fd, &st) != 0) {
      SetLastError(ErrorOf(errno));
      return INVALID_FILE_SIZE;
    }
    size = uint64_t(st.st_size);
  }
  if (sizeHigh != nullptr) {
    *sizeHigh = DWORD(size >> 32);
  } else if (size >= INVALID_FILE_SIZE) {
    SetLastError(ERROR_FILE_TOO_LARGE);
    return INVALID_FILE_SIZE;
  }
  SetLastError(ERROR_SUCCESS);
  return DWORD(size);
}

BOOL SetEndOfFile(HANDLE file) {
  Object* o = FindData(file);
  if (o == nullptr) return FALSE_;
  if (!(o->access & GENERIC_WRITE)) return Fail(ERROR_ACCESS_DENIED);
  if (o->kind == Kind::kStream) {
    if (o->position > kMaxStreamSize) return Fail(ERROR_HANDLE_DISK_FULL);
    std::vector<uint8_t> bytes = o->bytes;
    bytes.resize(size_t(o->position), 0);
    const DWORD error = StoreStream(o->basePath, bytes, 0);
    if (error != ERROR_SUCCESS) return Fail(error);
    o->bytes = std::move(bytes);
    return Succeed();
  }
  const off_t at = lseek(o->fd, 0, SEEK_CUR);
  if (at < 0 || ftruncate(o->fd, at) != 0) return Fail(ErrorOf(errno));
  return Succeed();
}

BOOL FlushFileBuffers(HANDLE file) {
  Object* o = FindData(file);
  if (o == nullptr) return FALSE_;
  if (o->kind == Kind::kStream) return Succeed();  // stored by every write
  if (!(o->access & GENERIC_WRITE)) return Fail(ERROR_ACCESS_DENIED);
  if (fsync(o->fd) != 0) return Fail(ErrorOf(errno));
  return Succeed();
}

BOOL GetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite) {
  Object* o = FindData(file);
  if (o == nullptr) return FALSE_;
  struct stat st;
  const int r = o->kind == Kind::kStream ? stat(o->basePath.c_str(), &st) : fstat(o->fd, &st);
  if (r != 0) return Fail(ErrorOf(errno));
  if (creation) *creation = CreationTimeOf(o->basePath, o->fd, st);
  if (lastAccess) *lastAccess = FileTimeOf(st.st_atim);
  if (lastWrite) *lastWrite = FileTimeOf(st.st_mtim);
  return Succeed();
}

BOOL GetFileInformationByHandle(HANDLE file, BY_HANDLE_FILE_INFORMATION* information) {
  Object* o = Find(file, Kind::kFile);
  if (o == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (information == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  struct stat st;
  if (fstat(o->fd, &st) != 0) return Fail(ErrorOf(errno));
  std::memset(information, 0, sizeof *information);
  information->dwFileAttributes = AttributesOf(std::string(), st, false);
  information->ftCreationTime = CreationTimeOf(std::string(), o->fd, st);
  information->ftLastAccessTime = FileTimeOf(st.st_atim);
  information->ftLastWriteTime = FileTimeOf(st.st_mtim);
  const uint64_t device = uint64_t(st.st_dev), inode = uint64_t(st.st_ino);
  information->dwVolumeSerialNumber = DWORD(device) ^ DWORD(device >> 32);
  information->nFileSizeHigh = DWORD(uint64_t(st.st_size) >> 32);
  information->nFileSizeLow = DWORD(uint64_t(st.st_size));
  information->nNumberOfLinks = DWORD(st.st_nlink);
  information->nFileIndexHigh = DWORD(inode >> 32);
  information->nFileIndexLow = DWORD(inode);
  return Succeed();
}

BOOL CloseHandle(HANDLE object) {
  Object* o = FindData(object);
  if (o == nullptr || !Unregister(o)) {
    // Mappings and mutexes are kernel objects of their own table.
    if (CloseKernelHandle(object)) return Succeed();
    return Fail(ERROR_INVALID_HANDLE);
  }
  if (o->copy) {
    // Still held: no other process takes it for what a killed save left
    // until it is in place or deleted.
    Table& t = T();
    std::lock_guard<std::mutex> guard(t.lock);
    t.closedCopies.push_back(o);
    return Succeed();
  }
  const int fd = o->fd;
  delete o;
  if (fd >= 0 && close(fd) != 0 && errno != EINTR) return Fail(ErrorOf(errno));
  return Succeed();
}

HANDLE WinFileFromDescriptor(int descriptor) {
  const int flags = descriptor >= 0 ? fcntl(descriptor, F_GETFL) : -1;
  struct stat st;
  if (flags < 0 || fstat(descriptor, &st) != 0 || S_ISDIR(st.st_mode)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return INVALID_HANDLE_VALUE;
  }
  const int fd = fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
  if (fd < 0) {
    SetLastError(ErrorOf(errno));
    return INVALID_HANDLE_VALUE;
  }
  auto* o = new Object;
  o->fd = fd;
  const int mode = flags & O_ACCMODE;
  if (mode == O_RDONLY || mode == O_RDWR) o->access |= GENERIC_READ;
  if (mode == O_WRONLY || mode == O_RDWR) o->access |= GENERIC_WRITE;
  o->share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  o->device = st.st_dev;
  o->inode = st.st_ino;
  HANDLE h = Register(o);
  SetLastError(ERROR_SUCCESS);
  return h;
}

// ---------------------------------------------------------------- paths

namespace {

// The closed copy (CreateCopyBesideA) that is the file `st` describes, taken
// out of the table of closed copies when `take`; null when there is none.
Object* ClosedCopy(const struct stat& st, bool take) {
  Table& t = T();
  std::lock_guard<std::mutex> guard(t.lock);
  for (auto it = t.closedCopies.begin(); it != t.closedCopies.end(); ++it) {
    Object* o = *it;
    if (o->device != st.st_dev || o->inode != st.st_ino) continue;
    if (take) t.closedCopies.erase(it);
    return o;
  }
  return nullptr;
}

// Lets go of a closed copy: its hold ends.
void LetGo(Object* copy) {
  if (copy == nullptr) return;
  close(copy->fd);
  delete copy;
}

}  // namespace

BOOL DeleteFileA(const char* name) {
  if (!ValidName(name)) return Fail(ERROR_PATH_NOT_FOUND);
  struct stat st;
  if (lstat(name, &st) != 0) return Fail(ErrorOf(errno, name));
  if (S_ISDIR(st.st_mode)) return Fail(ERROR_ACCESS_DENIED);
  if (HeldAgainstDeletion(name)) return Fail(ERROR_SHARING_VIOLATION);
  if (unlink(name) != 0) return Fail(ErrorOf(errno, name));
  LetGo(ClosedCopy(st, true));
  return Succeed();
}

namespace {

// Moves a file or folder to a free name; ERROR_ALREADY_EXISTS when the name
// is taken.
BOOL MoveToFreeName(const char* existingName, const char* newName) {
  struct stat st;
  if (lstat(existingName, &st) != 0) return Fail(ErrorOf(errno, existingName));
  if (HeldAgainstDeletion(existingName)) return Fail(ERROR_SHARING_VIOLATION);
  if (renameat2(AT_FDCWD, existingName, AT_FDCWD, newName, RENAME_NOREPLACE) == 0)
    return Succeed();
  if (errno == EEXIST) return Fail(ERROR_ALREADY_EXISTS);
  if (errno != EINVAL && errno != ENOSYS) return Fail(ErrorOf(errno, newName));
  // A file system that cannot refuse to replace: a file moves by a second
  // link and the removal of the first, which fails rather than replaces.
  if (!S_ISDIR(st.st_mode)) {
    if (link(existingName, newName) != 0)
      return Fail(errno == EEXIST ? ERROR_ALREADY_EXISTS : ErrorOf(errno, newName));
    if (unlink(existingName) != 0) {
      const DWORD error = ErrorOf(errno, existingName);
      unlink(newName);
      return Fail(error);
    }
    return Succeed();
  }
  struct stat target;
  if (lstat(newName, &target) == 0) return Fail(ERROR_ALREADY_EXISTS);
  if (rename(existingName, newName) != 0) return Fail(ErrorOf(errno, newName));
  return Succeed();
}

// The folder part of a path: empty for a bare name and for a name at the root.
std::string FolderPart(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Flushes the folder that holds `path`, so that a name made or moved in it is
// on the disk. A file system that cannot flush a folder counts as done.
DWORD FlushFolderOf(const std::string& path) {
  std::string folder = FolderPart(path);
  if (folder.empty()) folder.assign(1, path.find('/') == std::string::npos ? '.' : '/');
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return ErrorOf(errno, folder);
  const int flushed = fsync(fd);
  const int error = errno;
  close(fd);
  return flushed == 0 || error == EINVAL ? ERROR_SUCCESS : ErrorOf(error);
}

// The protection a file takes over `place`: its permission bits and, in
// `group` when asked, its group. When the group is not asked for, or cannot
// be given, the group's bits are no more than everyone's, so no account reads
// the new file that could not read the old.
void ProtectionFor(const struct stat& place, gid_t ownGroup, mode_t* mode, gid_t* group) {
  *mode = place.st_mode & 07777;
  if (group != nullptr) {
    *group = place.st_gid;
    return;
  }
  if (ownGroup != place.st_gid)
    *mode = (*mode & ~mode_t(S_IRWXG)) | ((*mode & S_IRWXO) << 3);
}

}  // namespace

BOOL MoveFileA(const char* existingName, const char* newName) {
  return MoveFileExA(existingName, newName, 0);
}

BOOL MoveFileExA(const char* existingName, const char* newName, DWORD flags) {
  if (!ValidName(existingName) || !ValidName(newName)) return Fail(ERROR_PATH_NOT_FOUND);
  if ((flags & ~(MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) != 0)
    return Fail(ERROR_INVALID_PARAMETER);
  if ((flags & MOVEFILE_REPLACE_EXISTING) == 0) {
    if (!MoveToFreeName(existingName, newName)) return FALSE_;
  } else {
    struct stat st;
    if (lstat(existingName, &st) != 0) return Fail(ErrorOf(errno, existingName));
    if (HeldAgainstDeletion(existingName)) return Fail(ERROR_SHARING_VIOLATION);
    struct stat target;
    if (lstat(newName, &target) == 0) {
      if (S_ISDIR(target.st_mode)) return Fail(ERROR_ACCESS_DENIED);
      if (HeldAgainstDeletion(newName)) return Fail(ERROR_SHARING_VIOLATION);
    }
    // One step: the new name holds the file it held or the moved one.
    if (rename(existingName, newName) != 0) return Fail(ErrorOf(errno, newName));
  }
  if (flags & MOVEFILE_WRITE_THROUGH) {
    DWORD error = FlushFolderOf(newName);
    if (error == ERROR_SUCCESS && FolderPart(existingName) != FolderPart(newName))
      error = FlushFolderOf(existingName);
    if (error != ERROR_SUCCESS) return Fail(error);
  }
  return Succeed();
}

BOOL ReplaceFileA(const char* replacedName, const char* replacementName, const char* backupName,
                  DWORD flags, void*, void*) {
  if (!ValidName(replacedName) || !ValidName(replacementName)) return Fail(ERROR_PATH_NOT_FOUND);
  if (backupName != nullptr || (flags & ~REPLACEFILE_WRITE_THROUGH) != 0)
    return Fail(ERROR_INVALID_PARAMETER);
  struct stat replaced, replacement;
  if (stat(replacedName, &replaced) != 0) return Fail(ErrorOf(errno, replacedName));
  if (lstat(replacementName, &replacement) != 0) return Fail(ErrorOf(errno, replacementName));
  if (!S_ISREG(replaced.st_mode) || !S_ISREG(replacement.st_mode)) return Fail(ERROR_ACCESS_DENIED);
  // A read-only file is never replaced, nor one the process may not write.
  if ((AttributesOf(replacedName, replaced, false) & FILE_ATTRIBUTE_READONLY) != 0 ||
      access(replacedName, W_OK) != 0)
    return Fail(ERROR_ACCESS_DENIED);
  if (HeldAgainstDeletion(replacedName)) return Fail(ERROR_SHARING_VIOLATION);
  // Another process that holds the replaced file is told by the refusal, as
  // this one is; the lock taken here keeps the file until it is replaced.
  const int held = open(replacedName, O_RDWR | O_CLOEXEC | O_NONBLOCK);
  if (held < 0) return Fail(ErrorOf(errno, replacedName));
  if (!LockAgainstOtherProcesses(held)) {
    close(held);
    return Fail(ERROR_SHARING_VIOLATION);
  }
  // The protection is normally given to the open copy before its flush
  // (TakeProtectionOfA); a copy that has it already is left as it is.
  mode_t mode = 0;
  gid_t group = replacement.st_gid;
  ProtectionFor(replaced, replacement.st_gid, &mode, &group);
  DWORD error = ERROR_SUCCESS;
  if (group != replacement.st_gid && chown(replacementName, uid_t(-1), group) != 0) {
    if (errno != EPERM) error = ErrorOf(errno, replacementName);
    ProtectionFor(replaced, replacement.st_gid, &mode, nullptr);
  }
  if (error == ERROR_SUCCESS && (replacement.st_mode & 07777) != mode &&
      chmod(replacementName, mode) != 0)
    error = ErrorOf(errno, replacementName);
  const BOOL moved =
      error == ERROR_SUCCESS &&
      MoveFileExA(replacementName, replacedName,
                  MOVEFILE_REPLACE_EXISTING |
                      ((flags & REPLACEFILE_WRITE_THROUGH) != 0 ? MOVEFILE_WRITE_THROUGH : 0));
  if (!moved && error == ERROR_SUCCESS) error = GetLastError();
  close(held);
  if (!moved) return Fail(error);
  return Succeed();
}

BOOL TakeProtectionOfA(HANDLE file, const char* placeName) {
  Object* o = Find(file, Kind::kFile);
  if (o == nullptr) return Fail(ERROR_INVALID_HANDLE);
  return TakeProtectionOfDescriptor(o->fd, placeName);
}

BOOL TakeProtectionOfDescriptor(int fd, const char* placeName) {
  if (!ValidName(placeName)) return Fail(ERROR_PATH_NOT_FOUND);
  struct stat own, place;
  if (fstat(fd, &own) != 0) return Fail(ErrorOf(errno));
  mode_t mode = 0666 & ~CurrentUmask();
  if (stat(placeName, &place) == 0) {
    gid_t group = own.st_gid;
    ProtectionFor(place, own.st_gid, &mode, &group);
    if (group != own.st_gid && fchown(fd, uid_t(-1), group) != 0) {
      if (errno != EPERM) return Fail(ErrorOf(errno));
      ProtectionFor(place, own.st_gid, &mode, nullptr);
    }
  } else if (errno != ENOENT) {
    return Fail(ErrorOf(errno, placeName));
  }
  if ((own.st_mode & 07777) != mode && fchmod(fd, mode) != 0) return Fail(ErrorOf(errno));
  return Succeed();
}

DWORD GetLinkTargetPathA(const char* name, DWORD bufferLength, char* buffer) {
  if (!ValidName(name)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return 0;
  }
  std::string path = name;
  // As many links as the system itself follows in one path.
  for (int hops = 0; hops <= 40; ++hops) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      SetLastError(ERROR_SUCCESS);
      return CopyOut(path, bufferLength, buffer);
    }
    std::vector<char> target(size_t(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
    const ssize_t n = readlink(path.c_str(), target.data(), target.size());
    if (n < 0 || size_t(n) >= target.size()) {
      SetLastError(n < 0 ? ErrorOf(errno, path) : ERROR_CANT_RESOLVE_FILENAME);
      return 0;
    }
    const std::string link(target.data(), size_t(n));
    if (link.empty()) break;
    const std::string folder = FolderPart(path);
    path = link[0] == '/' ? link
           : folder.empty() && path[0] != '/' ? link
                                              : folder + "/" + link;
  }
  SetLastError(ERROR_CANT_RESOLVE_FILENAME);
  return 0;
}

BOOL DeleteUnheldFilesA(const char* folder, const char* namePrefix) {
  if (!ValidName(folder) || namePrefix == nullptr || *namePrefix == 0)
    return Fail(ERROR_INVALID_PARAMETER);
  DIR* listing = opendir(folder);
  if (listing == nullptr) return Fail(ErrorOf(errno, folder));
  const int at = dirfd(listing);
  const size_t prefixLength = std::strlen(namePrefix);
  while (const dirent* entry = readdir(listing)) {
    // The first letter alone turns away most names, at the least cost.
    if (entry->d_name[0] != namePrefix[0] ||
        std::strncmp(entry->d_name, namePrefix, prefixLength) != 0)
      continue;
    const int fd = openat(at, entry->d_name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) continue;
    struct stat st;
    // Removed under a lock that any holder's refuses: a file that no process
    // holds is no one's copy being written, and no one takes it meanwhile.
    // The name is checked again under the lock: a file that took its place
    // meanwhile (renamed away, then another made there) stays.
    struct stat named;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
      struct flock lock {};
      lock.l_type = F_RDLCK;
      lock.l_whence = SEEK_SET;
      if (fcntl(fd, F_OFD_SETLK, &lock) == 0 &&
          fstatat(at, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
          named.st_dev == st.st_dev && named.st_ino == st.st_ino)
        unlinkat(at, entry->d_name, 0);
    }
    close(fd);
  }
  closedir(listing);
  return Succeed();
}

namespace {

// Puts the file in place, on the disk before it returns when `writeThrough`.
BOOL PutInPlace(const char* writtenName, const char* placeName, bool writeThrough) {
  struct stat st;
  if (lstat(placeName, &st) == 0)
    return ReplaceFileA(placeName, writtenName, nullptr, writeThrough ? REPLACEFILE_WRITE_THROUGH : 0,
                        nullptr, nullptr);
  if (errno != ENOENT) return Fail(ErrorOf(errno, placeName));
  const mode_t mode = 0666 & ~CurrentUmask();
  if (lstat(writtenName, &st) != 0) return Fail(ErrorOf(errno, writtenName));
  if ((st.st_mode & 07777) != mode && chmod(writtenName, mode) != 0)
    return Fail(ErrorOf(errno, writtenName));
  return MoveFileExA(writtenName, placeName, writeThrough ? MOVEFILE_WRITE_THROUGH : 0);
}

// The folder a path names a file in, as a path to open.
std::string FolderToOpen(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string(".") : slash == 0 ? std::string("/") : path.substr(0, slash);
}

// Six letters or digits drawn at random: no name a process made, or a killed
// one left, is ever made again, so that no name is taken for another file.
std::string RandomLetters() {
  static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  uint8_t drawn[6] = {};
  if (getrandom(drawn, sizeof drawn, 0) != ssize_t(sizeof drawn)) {
    const uint64_t mixed = uint64_t(clock()) ^ (uint64_t(getpid()) << 32) ^ uint64_t(time(nullptr));
    for (size_t i = 0; i < sizeof drawn; ++i) drawn[i] ^= uint8_t(mixed >> (8 * i));
  }
  std::string letters;
  for (const uint8_t d : drawn) letters.push_back(kLetters[d % (sizeof kLetters - 1)]);
  return letters;
}

}  // namespace

BOOL PutFileInPlaceA(const char* writtenName, const char* placeName) {
  if (!ValidName(writtenName) || !ValidName(placeName)) return Fail(ERROR_PATH_NOT_FOUND);
  struct stat written;
  const bool copy = lstat(writtenName, &written) == 0 && ClosedCopy(written, false) != nullptr;
  FolderState before;
  const bool known = copy && FolderStateOf(FolderToOpen(placeName), &before);
  if (!PutInPlace(writtenName, placeName, !copy)) return FALSE_;
  if (copy) {
    // The folder as the copy left it, when nothing but this job changed it
    // from the copy's making on: it holds no copy left of that place.
    Object* o = ClosedCopy(written, true);
    FolderState after;
    const bool noted = known && o != nullptr && o->folderWithCopy == before &&
                       FolderStateOf(FolderToOpen(placeName), &after);
    if (o != nullptr) {
      Table& t = T();
      std::lock_guard<std::mutex> guard(t.lock);
      if (noted)
        t.notes[o->noteKey] = after;
      else
        t.notes.erase(o->noteKey);
    }
    // Let go before the folder's flush: the file at its place is held no
    // longer than its move takes.
    LetGo(o);
    const DWORD error = FlushFolderOf(placeName);
    if (error != ERROR_SUCCESS) return Fail(error);
  }
  return Succeed();
}

HANDLE CreateCopyBesideA(const char* placeName, const char* tag, char* copyName, DWORD copyNameLength) {
  if (!ValidName(placeName) || tag == nullptr || *tag == 0 || copyName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const std::string place = placeName;
  const size_t nameStart = place.find_last_of('/') + 1;  // 0 without a folder
  const std::string folder = FolderToOpen(place);
  const std::string prefix = "." + place.substr(nameStart) + tag;
  FolderState state;
  if (!FolderStateOf(folder, &state)) {
    SetLastError(ErrorOf(errno, place));
    return INVALID_HANDLE_VALUE;
  }
  const std::string key = std::to_string(state.device) + ":" + std::to_string(state.inode) + "/" + prefix;
  bool unchanged = false;
  {
    Table& t = T();
    std::lock_guard<std::mutex> guard(t.lock);
    const auto note = t.notes.find(key);
    unchanged = note != t.notes.end() && note->second == state;
  }
  // Unchanged since this process's last job on the place ended, the folder
  // holds no copy left of it: it is read only when it changed.
  if (!unchanged) DeleteUnheldFilesA(folder.c_str(), prefix.c_str());
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = place.substr(0, nameStart) + prefix + RandomLetters();
    if (name.size() >= copyNameLength) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return INVALID_HANDLE_VALUE;
    }
    HANDLE h = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                           CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS) continue;
    if (h == INVALID_HANDLE_VALUE) return h;
    Object* o = Find(h, Kind::kFile);
    o->copy = true;
    o->noteKey = key;
    FolderStateOf(folder, &o->folderWithCopy);
    CopyOut(name, copyNameLength, copyName);
    return h;
  }
  SetLastError(ERROR_FILE_EXISTS);
  return INVALID_HANDLE_VALUE;
}

BOOL CreateDirectoryA(const char* name, void*) {
  if (!ValidName(name)) return Fail(ERROR_PATH_NOT_FOUND);
  if (mkdir(name, 0777) != 0)
    return Fail(errno == EEXIST ? ERROR_ALREADY_EXISTS
                : errno == ENOENT ? ERROR_PATH_NOT_FOUND
                                  : ErrorOf(errno, name));
  return Succeed();
}

BOOL RemoveDirectoryA(const char* name) {
  if (!ValidName(name)) return Fail(ERROR_PATH_NOT_FOUND);
  if (rmdir(name) != 0)
    return Fail(errno == EEXIST ? ERROR_DIR_NOT_EMPTY
                : errno == ENOTDIR ? ERROR_DIRECTORY
                                   : ErrorOf(errno, name));
  return Succeed();
}

DWORD GetFileAttributesA(const char* name) {
  if (!ValidName(name)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_FILE_ATTRIBUTES;
  }
  struct stat st;
  bool reached;
  return LookUp(name, &st, &reached);
}

DWORD GetFileAttributesW(const char16_t* name) {
  std::string path;
  if (name == nullptr || !Utf8Of(name, &path)) {
    SetLastError(ERROR_INVALID_NAME);
    return INVALID_FILE_ATTRIBUTES;
  }
  return GetFileAttributesA(path.c_str());
}

BOOL GetFileAttributesExW(const char16_t* name, GET_FILEEX_INFO_LEVELS level, void* information) {
  std::string path;
  if (name == nullptr || !Utf8Of(name, &path)) return Fail(ERROR_INVALID_NAME);
  if (level != GetFileExInfoStandard || information == nullptr)
    return Fail(ERROR_INVALID_PARAMETER);
  if (path.empty()) return Fail(ERROR_PATH_NOT_FOUND);
  struct stat st;
  bool reached;
  const DWORD attributes = LookUp(path, &st, &reached);
  if (attributes == INVALID_FILE_ATTRIBUTES) return FALSE_;
  if (!reached) return Fail(ERROR_CANT_RESOLVE_FILENAME);
  auto* data = static_cast<WIN32_FILE_ATTRIBUTE_DATA*>(information);
  data->dwFileAttributes = attributes;
  data->ftCreationTime = CreationTimeOf(path, -1, st);
  data->ftLastAccessTime = FileTimeOf(st.st_atim);
  data->ftLastWriteTime = FileTimeOf(st.st_mtim);
  const uint64_t size = S_ISDIR(st.st_mode) ? 0 : uint64_t(st.st_size);
  data->nFileSizeHigh = DWORD(size >> 32);
  data->nFileSizeLow = DWORD(size);
  return Succeed();
}

BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* systemTime) {
  if (fileTime == nullptr || systemTime == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  const uint64_t ticks = (uint64_t(fileTime->dwHighDateTime) << 32) | fileTime->dwLowDateTime;
  if (ticks >= 0x8000000000000000ULL) return Fail(ERROR_INVALID_PARAMETER);
  const uint64_t totalMs = ticks / 10000;
  const int64_t days = int64_t(totalMs / 86400000ULL);
  const uint64_t msOfDay = totalMs % 86400000ULL;
  // Days since 1601-01-01 to a civil date (proleptic Gregorian): shifted to
  // an era of 400 years beginning on 1 March 1600.
  const int64_t z = days + 306;  // days since 1600-03-01
  const int64_t era = z / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int64_t day = doy - (153 * mp + 2) / 5 + 1;
  const int64_t month = mp < 10 ? mp + 3 : mp - 9;
  const int64_t year = 1600 + era * 400 + yoe + (month <= 2 ? 1 : 0);
  systemTime->wYear = WORD(year);
  systemTime->wMonth = WORD(month);
  systemTime->wDay = WORD(day);
  systemTime->wDayOfWeek = WORD((days + 1) % 7);  // 1 January 1601 was a Monday
  systemTime->wHour = WORD(msOfDay / 3600000);
  systemTime->wMinute = WORD(msOfDay / 60000 % 60);
  systemTime->wSecond = WORD(msOfDay / 1000 % 60);
  systemTime->wMilliseconds = WORD(msOfDay % 1000);
  return Succeed();
}

DWORD SearchPathA(const char* path, const char* fileName, const char* extension,
                  DWORD bufferLength, char* buffer, char** filePart) {
  if (!ValidName(fileName)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string name = fileName;
  if (extension != nullptr && extension[0] != '\0' &&
      BaseName(name).find('.') == std::string::npos)
    name += extension;
  std::string folder;
  if (path != nullptr && path[0] != '\0') {
    folder = path;
  } else if (!CurrentFolder(&folder)) {
    SetLastError(ErrorOf(errno));
    return 0;
  }
  std::string cwd;
  if (folder[0] != '/' && CurrentFolder(&cwd)) folder = cwd + "/" + folder;
  const std::string found = Absolute(name, folder);
  struct stat st;
  if (stat(found.c_str(), &st) != 0) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
  }
  const DWORD answer = CopyOut(found, bufferLength, buffer);
  if (filePart != nullptr && answer < bufferLength && buffer != nullptr) {
    const size_t slash = found.find_last_of('/');
    *filePart = buffer + slash + 1;
  }
  SetLastError(ERROR_SUCCESS);
  return answer;
}

DWORD GetCurrentDirectoryA(DWORD bufferLength, char* buffer) {
  std::string folder;
  if (!CurrentFolder(&folder)) {
    SetLastError(ErrorOf(errno));
    return 0;
  }
  SetLastError(ERROR_SUCCESS);
  return CopyOut(folder, bufferLength, buffer);
}

BOOL SetCurrentDirectoryA(const char* path) {
  if (!ValidName(path)) return Fail(ERROR_PATH_NOT_FOUND);
  if (chdir(path) != 0) return Fail(errno == ENOENT ? ERROR_FILE_NOT_FOUND : ErrorOf(errno, path));
  return Succeed();
}

HANDLE FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data) {
  if (!ValidName(pattern) || data == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const std::string text = pattern;
  const size_t slash = text.find_last_of('/');
  const std::string folder =
      slash == std::string::npos ? "." : (slash == 0 ? "/" : text.substr(0, slash));
  const std::string mask = slash == std::string::npos ? text : text.substr(slash + 1);
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) {
    SetLastError(errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : ErrorOf(errno));
    return INVALID_HANDLE_VALUE;
  }
  std::vector<std::string> names;
  while (const dirent* e = readdir(dir)) {
    const std::string name = e->d_name;
    if (Matches(mask, name)) names.push_back(name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    const int ra = a == "." ? 0 : a == ".." ? 1 : 2, rb = b == "." ? 0 : b == ".." ? 1 : 2;
    return ra != rb ? ra < rb : a < b;
  });
  if (names.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  auto* o = new Object;
  o->kind = Kind::kFind;
  for (const auto& name : names) {
    FindEntry entry;
    entry.name = name;
    FillFindData(folder + "/" + name, name, &entry.data);
    o->entries.push_back(entry);
  }
  *data = o->entries[0].data;
  o->next = 1;
  HANDLE h = Register(o);
  SetLastError(ERROR_SUCCESS);
  return h;
}

BOOL FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data) {
  Object* o = Find(find, Kind::kFind);
  if (o == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (data == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (o->next >= o->entries.size()) return Fail(ERROR_NO_MORE_FILES);
  *data = o->entries[o->next++].data;
  return Succeed();
}

BOOL FindClose(HANDLE find) {
  Object* o = Find(find, Kind::kFind);
  if (o == nullptr || !Unregister(o)) return Fail(ERROR_INVALID_HANDLE);
  delete o;
  return Succeed();
}

BOOL GetDiskFreeSpaceA(const char* rootPath, DWORD* sectorsPerCluster, DWORD* bytesPerSector,
                       DWORD* freeClusters, DWORD* totalClusters) {
  std::string path = ValidName(rootPath) ? rootPath : ".";
  struct statvfs vfs;
  while (statvfs(path.c_str(), &vfs) != 0) {
    if (errno != ENOENT || path == "." || path == "/") return Fail(ErrorOf(errno, path));
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
      path.assign(1, '.');
    else if (slash == 0)
      path.assign(1, '/');
    else
      path.resize(slash);
  }
  constexpr uint64_t kSector = 512;
  const uint64_t unit = vfs.f_frsize ? vfs.f_frsize : vfs.f_bsize;
  const uint64_t perCluster = std::max<uint64_t>(1, unit / kSector);
  const uint64_t cluster = perCluster * kSector;
  const uint64_t freeCount = uint64_t(vfs.f_bavail) * unit / cluster;
  const uint64_t total = uint64_t(vfs.f_blocks) * unit / cluster;
  if (sectorsPerCluster) *sectorsPerCluster = DWORD(perCluster);
  if (bytesPerSector) *bytesPerSector = DWORD(kSector);
  if (freeClusters) *freeClusters = DWORD(std::min<uint64_t>(freeCount, 0xFFFFFFFF));
  if (totalClusters) *totalClusters = DWORD(std::min<uint64_t>(total, 0xFFFFFFFF));
  return Succeed();
}

// ---------------------------------------------------------------- shell links

BOOL ShellLinkCreateA(const char* linkPath, const char* targetPath) {
  if (!ValidName(linkPath) || !ValidName(targetPath)) return Fail(ERROR_INVALID_PARAMETER);
  if (symlink(targetPath, linkPath) != 0) return Fail(ErrorOf(errno, linkPath));
  return Succeed();
}

BOOL ShellLinkGetPathA(const char* linkPath, char* target, DWORD targetSize,
                       WIN32_FIND_DATAA* data) {
  if (!ValidName(linkPath)) return Fail(ERROR_INVALID_PARAMETER);
  struct stat lst;
  if (lstat(linkPath, &lst) != 0) return Fail(ErrorOf(errno, linkPath));
  if (!S_ISLNK(lst.st_mode)) return Fail(ERROR_INVALID_PARAMETER);
  std::vector<char> text(size_t(lst.st_size > 0 ? lst.st_size : PATH_MAX) + 1);
  const ssize_t n = readlink(linkPath, text.data(), text.size() - 1);
  if (n < 0) return Fail(ErrorOf(errno, linkPath));
  std::string destination(text.data(), size_t(n));
  if (destination.empty() || destination[0] != '/') {
    const std::string link = linkPath;
    const size_t slash = link.find_last_of('/');
    std::string folder;
    if (slash != std::string::npos)
      folder = slash == 0 ? "/" : link.substr(0, slash);
    else if (!CurrentFolder(&folder))
      return Fail(ErrorOf(errno));
    if (folder[0] != '/') {
      std::string cwd;
      if (CurrentFolder(&cwd)) folder = cwd + "/" + folder;
    }
    destination = Absolute(destination, folder);
  }
  struct stat st;
  if (lstat(destination.c_str(), &st) != 0) return Fail(ERROR_FILE_NOT_FOUND);
  if (target == nullptr || destination.size() + 1 > targetSize)
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(target, destination.c_str(), destination.size() + 1);
  if (data != nullptr) FillFindData(destination, BaseName(destination), data);
  return Succeed();
}

// ---------------------------------------------------------------- security

BOOL InitializeSecurityDescriptor(SECURITY_DESCRIPTOR* descriptor, DWORD revision) {
  if (descriptor == nullptr || revision != SECURITY_DESCRIPTOR_REVISION)
    return Fail(ERROR_INVALID_PARAMETER);
  std::memset(descriptor, 0, sizeof *descriptor);
  descriptor->revision = BYTE(revision);
  return Succeed();
}

namespace {
// The control bits that say an access list is present and defaulted.
constexpr WORD kDaclPresent = 0x0004;
constexpr WORD kDaclDefaulted = 0x0008;
}  // namespace

BOOL SetSecurityDescriptorDacl(SECURITY_DESCRIPTOR* descriptor, BOOL present, void* dacl,
                               BOOL defaulted) {
  if (descriptor == nullptr || descriptor->revision != SECURITY_DESCRIPTOR_REVISION)
    return Fail(ERROR_INVALID_PARAMETER);
  descriptor->control = WORD(descriptor->control & ~(kDaclPresent | kDaclDefaulted));
  if (present) {
    descriptor->control |= kDaclPresent;
    if (defaulted) descriptor->control |= kDaclDefaulted;
    descriptor->dacl = dacl;
  } else {
    descriptor->dacl = nullptr;
  }
  return Succeed();
}

BOOL SetFileSecurityA(const char* name, DWORD information, const SECURITY_DESCRIPTOR* descriptor) {
  if (!ValidName(name) || descriptor == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (!(information & DACL_SECURITY_INFORMATION)) return Succeed();
  if (!(descriptor->control & kDaclPresent) || descriptor->dacl != nullptr)
    return Fail(ERROR_NOT_SUPPORTED);
  struct stat st;
  if (stat(name, &st) != 0) return Fail(ErrorOf(errno, name));
  // "Everyone may use it" is never widened beyond the owner's reading and
  // writing and the group's reading here; a folder adds the search right for
  // those who may read it, and nothing ever gains execution.
  const mode_t mask = CurrentUmask();
  mode_t mode = (S_IRUSR | S_IWUSR | S_IRGRP) & ~mask;
  if (S_ISDIR(st.st_mode)) {
    if (mode & S_IRUSR) mode |= S_IXUSR;
    if (mode & S_IRGRP) mode |= S_IXGRP;
  }
  if (chmod(name, mode) != 0) return Fail(ErrorOf(errno, name));
  return Succeed();
}
