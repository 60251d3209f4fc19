// Named kernel objects over POSIX shared memory, the process's table of
// kernel handles, and the file-mapping calls on them.
#include "platform/win32/WinFileMapping.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/win32/WinFileMapping_p.h"

namespace qvkernel {
namespace {

constexpr uint32_t kMagic = 0x514B4F31;  // "QKO1": the layout of Control
constexpr uint64_t kMaxMappingBytes = uint64_t(1) << 46;
constexpr uint64_t kViewOffsetGranule = 65536;
constexpr DWORD ERROR_MAPPED_ALIGNMENT = 1132;
constexpr DWORD ERROR_INVALID_ADDRESS = 487;

// Kernel handles are small multiples of 4 above this base, so they are never
// null, never INVALID_HANDLE_VALUE and never a heap address.
constexpr uintptr_t kHandleBase = 0x40000;

struct View {
  std::shared_ptr<NamedObject> object;
  size_t length = 0;
  bool writable = false;
};

struct Globals {
  // The handle table and the views.
  std::mutex handlesLock;
  std::vector<std::shared_ptr<HandleObject>> handles;
  std::vector<size_t> freeHandles;
  std::map<uintptr_t, View> views;  // by start address
  // This process's holds on named objects, by POSIX name.
  std::mutex namesLock;
  std::unordered_map<std::string, std::weak_ptr<NamedObject>> names;
  // In a child made by fork: what the parent held (see ForgetInChild).
  Globals* forgotten = nullptr;
};

Globals* gGlobals = nullptr;

// A child made by fork starts with no handles, views or holds (as a Win32
// process starts with none it did not inherit): the parent's stay with the
// parent. What the child copied of them is kept aside, never released, so
// the parent's objects keep their users.
void ForgetInChild() {
  auto* fresh = new Globals;
  fresh->forgotten = gGlobals;
  gGlobals = fresh;
}

Globals& G() {
  static std::once_flag once;
  std::call_once(once, [] {
    gGlobals = new Globals;  // never destroyed: handles may outlive statics
    pthread_atfork(nullptr, nullptr, ForgetInChild);
  });
  return *gGlobals;
}

template <typename T>
T Fail(DWORD error, T answer) {
  SetLastError(error);
  return answer;
}

DWORD ErrorOfErrno(int e) {
  switch (e) {
    case EACCES:
    case EPERM:
      return ERROR_ACCESS_DENIED;
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENAMETOOLONG:
      return ERROR_INVALID_NAME;
    default:
      return ERROR_NOT_ENOUGH_MEMORY;
  }
}

uint64_t RoundUp(uint64_t n, uint64_t granule) { return (n + granule - 1) / granule * granule; }

// The POSIX name of a Win32 name: "/qv." and the name with '/' and '%'
// escaped; a name too long for that gets a hash of itself instead, and the
// full name kept in the control page tells two such names apart.
std::string ShmNameOf(const char* name) {
  std::string out = "/qv.";
  for (const char* p = name; *p != 0; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c == '/' || c == '%') {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      out += hex;
    } else {
      out += char(c);
    }
  }
  if (out.size() <= NAME_MAX) return out;
  uint64_t h = 0xcbf29ce484222325ull;  // FNV-1a
  for (const char* p = name; *p != 0; ++p) h = (h ^ static_cast<unsigned char>(*p)) * 0x100000001b3ull;
  char hashed[32];
  std::snprintf(hashed, sizeof hashed, "/qv#%016llx", static_cast<unsigned long long>(h));
  return hashed;
}

// The start time of a process (field 22 of its stat record), 0 when it
// cannot be read.
uint64_t StartTimeOf(pid_t pid) {
  char path[64];
  std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(pid));
  FILE* f = std::fopen(path, "r");
  if (f == nullptr) return 0;
  char buffer[1024];
  const size_t n = std::fread(buffer, 1, sizeof buffer - 1, f);
  std::fclose(f);
  buffer[n] = 0;
  // The command name in parentheses may hold spaces: count from its end.
  const char* p = std::strrchr(buffer, ')');
  if (p == nullptr) return 0;
  unsigned long long start = 0;
  // After ") " come fields 3 (state) to 21, then the start time.
  if (std::sscanf(p + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %*u %*u %*d %*d %*d %*d %*d %*d %llu",
                  &start) != 1)
    return 0;
  return start;
}

bool IsAlive(const Control::User& user) {
  if (user.pid <= 0) return false;
  if (kill(user.pid, 0) != 0 && errno == ESRCH) return false;
  // The id may have gone to a newer process: the start times tell.
  const uint64_t started = StartTimeOf(user.pid);
  return started == 0 || user.started == 0 || started == user.started;
}

// Clears the slots of processes that are gone; answers the slots left.
uint32_t PurgeDeadUsers(Control* control) {
  uint32_t live = 0;
  for (auto& user : control->users) {
    if (user.pid == 0) continue;
    if (user.pid != getpid() && !IsAlive(user)) {
      user = Control::User{};
    } else {
      ++live;
    }
  }
  return live;
}

bool AddUser(Control* control) {
  const pid_t me = getpid();
  Control::User* empty = nullptr;
  for (auto& user : control->users) {
    if (user.pid == me) {
      ++user.holds;
      return true;
    }
    if (user.pid == 0 && empty == nullptr) empty = &user;
  }
  if (empty == nullptr) return false;
  *empty = Control::User{me, 1, StartTimeOf(me)};
  return true;
}

// Answers the slots left after this process dropped one hold.
uint32_t RemoveUser(Control* control) {
  const pid_t me = getpid();
  for (auto& user : control->users) {
    if (user.pid == me) {
      if (--user.holds == 0) user = Control::User{};
      break;
    }
  }
  return PurgeDeadUsers(control);
}

// Every change to which objects exist and who uses them happens under one
// lock shared by all processes: an advisory lock on a file of its own,
// opened afresh each time (a lock on a descriptor inherited through fork
// would be shared with the parent, not exclude it). The system drops the
// lock of a process that dies.
class NamespaceLock {
 public:
  NamespaceLock() {
    fd_ = shm_open("/qv.kernel-names", O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0) return;
    while (flock(fd_, LOCK_EX) != 0) {
      if (errno != EINTR) {
        close(fd_);
        fd_ = -1;
        return;
      }
    }
  }
  ~NamespaceLock() {
    if (fd_ >= 0) close(fd_);  // closing the last descriptor drops the lock
  }
  bool Held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

Control* MapControl(int fd) {
  void* p = mmap(nullptr, ControlBytes(), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  return p == MAP_FAILED ? nullptr : static_cast<Control*>(p);
}

// Whether the POSIX name still leads to the file behind `fd`.
bool NameLeadsTo(const std::string& shmName, int fd) {
  const int other = shm_open(shmName.c_str(), O_RDONLY | O_CLOEXEC, 0);
  if (other < 0) return false;
  struct stat a, b;
  const bool same = fstat(fd, &a) == 0 && fstat(other, &b) == 0 && a.st_dev == b.st_dev &&
                    a.st_ino == b.st_ino;
  close(other);
  return same;
}

std::shared_ptr<NamedObject> OpenExisting(const std::string& shmName, const char* name,
                                          Kind kind, bool* found, DWORD* error) {
  *found = false;
  const int fd = shm_open(shmName.c_str(), O_RDWR | O_CLOEXEC, 0);
  if (fd < 0) {
    if (errno != ENOENT) *error = ErrorOfErrno(errno);
    return nullptr;
  }
  struct stat st;
  Control* control = nullptr;
  bool stale = true;
  if (fstat(fd, &st) == 0 && uint64_t(st.st_size) >= ControlBytes()) control = MapControl(fd);
  if (control != nullptr && __atomic_load_n(&control->magic, __ATOMIC_ACQUIRE) == kMagic &&
      PurgeDeadUsers(control) != 0)
    stale = false;
  if (stale) {
    // Left by processes that are all gone (or by one that died making it):
    // it goes, and the name is free.
    if (control != nullptr) munmap(control, ControlBytes());
    close(fd);
    shm_unlink(shmName.c_str());
    return nullptr;
  }
  *found = true;
  const bool sameName = std::strncmp(control->name, name, kNameRoom) == 0;
  // Read once: the page is shared, and what was checked is what is kept.
  const uint64_t size = kind == Kind::kMapping ? control->size : 0;
  const bool fits = kind != Kind::kMapping ||
                    (size != 0 && size <= kMaxMappingBytes &&
                     uint64_t(st.st_size) >= ControlBytes() + RoundUp(size, PageBytes()));
  if (control->kind != uint32_t(kind) || !sameName || !fits) {
    munmap(control, ControlBytes());
    close(fd);
    *error = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  if (!AddUser(control)) {
    munmap(control, ControlBytes());
    close(fd);
    *error = ERROR_NOT_ENOUGH_MEMORY;
    return nullptr;
  }
  auto object = std::make_shared<NamedObject>();
  object->kind = kind;
  object->shmName = shmName;
  object->fd = fd;
  object->control = control;
  object->size = size;
  return object;
}

std::shared_ptr<NamedObject> CreateNew(const std::string& shmName, const char* name, Kind kind,
                                       uint64_t size, DWORD* error) {
  const int fd = shm_open(shmName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    *error = errno == EEXIST ? ERROR_ALREADY_EXISTS : ErrorOfErrno(errno);
    return nullptr;
  }
  const uint64_t bytes = ControlBytes() + (kind == Kind::kMapping ? RoundUp(size, PageBytes()) : 0);
  Control* control = nullptr;
  if (ftruncate(fd, off_t(bytes)) == 0) control = MapControl(fd);
  bool ready = control != nullptr;
  if (ready) {
    control->kind = uint32_t(kind);
    control->size = kind == Kind::kMapping ? size : 0;
    std::strncpy(control->name, name, kNameRoom - 1);
    if (kind == Kind::kMutex) {
      pthread_mutexattr_t attributes;
      pthread_mutexattr_init(&attributes);
      pthread_mutexattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED);
      pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST);
      pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
      ready = pthread_mutex_init(&control->mutex, &attributes) == 0;
      pthread_mutexattr_destroy(&attributes);
    }
    ready = ready && AddUser(control);
  }
  if (!ready) {
    if (control != nullptr) munmap(control, ControlBytes());
    close(fd);
    shm_unlink(shmName.c_str());
    *error = ERROR_NOT_ENOUGH_MEMORY;
    return nullptr;
  }
  __atomic_store_n(&control->magic, kMagic, __ATOMIC_RELEASE);
  auto object = std::make_shared<NamedObject>();
  object->kind = kind;
  object->shmName = shmName;
  object->fd = fd;
  object->control = control;
  object->size = kind == Kind::kMapping ? size : 0;
  return object;
}

}  // namespace

size_t PageBytes() {
  static const size_t page = size_t(sysconf(_SC_PAGESIZE));
  return page;
}

size_t ControlBytes() { return size_t(RoundUp(sizeof(Control), PageBytes())); }

NamedObject::~NamedObject() {
  Globals& g = G();
  std::lock_guard<std::mutex> guard(g.namesLock);
  auto it = g.names.find(shmName);
  if (it != g.names.end() && it->second.expired()) g.names.erase(it);
  if (control != nullptr) {
    NamespaceLock ns;
    if (ns.Held() && RemoveUser(control) == 0 && NameLeadsTo(shmName, fd)) shm_unlink(shmName.c_str());
    // A mutex this process still owns keeps its page: the owner's list of
    // robust mutexes points into it until the owner ends.
    if (kind != Kind::kMutex || ownedDepth == 0) munmap(control, ControlBytes());
  }
  if (fd >= 0) close(fd);
}

std::shared_ptr<NamedObject> Acquire(const char* name, Kind kind, uint64_t size, bool create,
                                     bool* existed) {
  *existed = false;
  if (name == nullptr || *name == 0) return Fail(ERROR_INVALID_PARAMETER, nullptr);
  if (std::strlen(name) >= kNameRoom) return Fail(ERROR_INVALID_NAME, nullptr);
  const std::string shmName = ShmNameOf(name);
  Globals& g = G();
  std::lock_guard<std::mutex> guard(g.namesLock);
  auto it = g.names.find(shmName);
  if (it != g.names.end()) {
    if (auto held = it->second.lock()) {
      if (held->kind != kind) return Fail(ERROR_INVALID_HANDLE, nullptr);
      *existed = true;
      return held;
    }
  }
  NamespaceLock ns;
  if (!ns.Held()) return Fail(ERROR_ACCESS_DENIED, nullptr);
  DWORD error = ERROR_SUCCESS;
  bool found = false;
  auto object = OpenExisting(shmName, name, kind, &found, &error);
  if (found && object == nullptr) return Fail(error, nullptr);
  if (object != nullptr) {
    *existed = true;
  } else {
    if (error != ERROR_SUCCESS) return Fail(error, nullptr);
    if (!create) return Fail(ERROR_FILE_NOT_FOUND, nullptr);
    object = CreateNew(shmName, name, kind, size, &error);
    if (object == nullptr) return Fail(error, nullptr);
  }
  g.names[shmName] = object;
  return object;
}

HandleObject::~HandleObject() = default;

HANDLE AddHandle(std::shared_ptr<HandleObject> object) {
  Globals& g = G();
  std::lock_guard<std::mutex> guard(g.handlesLock);
  size_t slot;
  if (!g.freeHandles.empty()) {
    slot = g.freeHandles.back();
    g.freeHandles.pop_back();
    g.handles[slot] = std::move(object);
  } else {
    slot = g.handles.size();
    g.handles.push_back(std::move(object));
  }
  return reinterpret_cast<HANDLE>(kHandleBase + slot * 4);
}

namespace {

bool SlotOf(HANDLE handle, size_t* slot) {
  const uintptr_t v = reinterpret_cast<uintptr_t>(handle);
  if (v < kHandleBase || (v & 3) != 0) return false;
  *slot = (v - kHandleBase) / 4;
  return true;
}

}  // namespace

std::shared_ptr<HandleObject> FindHandle(HANDLE handle) {
  Globals& g = G();
  std::lock_guard<std::mutex> guard(g.handlesLock);
  size_t slot;
  if (!SlotOf(handle, &slot) || slot >= g.handles.size()) return nullptr;
  return g.handles[slot];
}

}  // namespace qvkernel

using namespace qvkernel;

namespace {

class MappingHandle : public HandleObject {
 public:
  std::shared_ptr<NamedObject> object;
  bool writable = false;
};

std::shared_ptr<MappingHandle> FindMapping(HANDLE handle) {
  auto found = std::dynamic_pointer_cast<MappingHandle>(FindHandle(handle));
  if (found == nullptr) SetLastError(ERROR_INVALID_HANDLE);
  return found;
}

HANDLE NewMappingHandle(std::shared_ptr<NamedObject> object, bool writable) {
  auto handle = std::make_shared<MappingHandle>();
  handle->object = std::move(object);
  handle->writable = writable;
  return AddHandle(std::move(handle));
}

}  // namespace

HANDLE CreateFileMappingA(HANDLE file, LPSECURITY_ATTRIBUTES, DWORD protect, DWORD sizeHigh,
                          DWORD sizeLow, const char* name) {
  if (file != INVALID_HANDLE_VALUE) return Fail(ERROR_INVALID_HANDLE, HANDLE(nullptr));
  if (protect != PAGE_READONLY && protect != PAGE_READWRITE)
    return Fail(ERROR_INVALID_PARAMETER, HANDLE(nullptr));
  const uint64_t size = (uint64_t(sizeHigh) << 32) | sizeLow;
  if (size == 0 || size > kMaxMappingBytes) return Fail(ERROR_INVALID_PARAMETER, HANDLE(nullptr));
  bool existed = false;
  auto object = Acquire(name, Kind::kMapping, size, true, &existed);
  if (object == nullptr) return nullptr;
  HANDLE handle = NewMappingHandle(std::move(object), protect == PAGE_READWRITE);
  SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

HANDLE OpenFileMappingA(DWORD access, BOOL, const char* name) {
  bool existed = false;
  auto object = Acquire(name, Kind::kMapping, 0, false, &existed);
  if (object == nullptr) return nullptr;
  HANDLE handle = NewMappingHandle(std::move(object), (access & FILE_MAP_WRITE) != 0);
  SetLastError(ERROR_SUCCESS);
  return handle;
}

void* MapViewOfFile(HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow, SIZE_T bytes) {
  auto handle = FindMapping(mapping);
  if (handle == nullptr) return nullptr;
  const bool write = (access & FILE_MAP_WRITE) != 0;
  if (write && !handle->writable) return Fail(ERROR_ACCESS_DENIED, static_cast<void*>(nullptr));
  const uint64_t size = handle->object->size;
  const uint64_t offset = (uint64_t(offsetHigh) << 32) | offsetLow;
  if (offset % kViewOffsetGranule != 0)
    return Fail(ERROR_MAPPED_ALIGNMENT, static_cast<void*>(nullptr));
  if (offset >= size || uint64_t(bytes) > size - offset)
    return Fail(ERROR_INVALID_PARAMETER, static_cast<void*>(nullptr));
  const uint64_t length = bytes != 0 ? uint64_t(bytes) : size - offset;
  void* p = mmap(nullptr, size_t(length), write ? PROT_READ | PROT_WRITE : PROT_READ, MAP_SHARED,
                 handle->object->fd, off_t(ControlBytes() + offset));
  if (p == MAP_FAILED) return Fail(ERROR_NOT_ENOUGH_MEMORY, static_cast<void*>(nullptr));
  Globals& g = G();
  {
    std::lock_guard<std::mutex> guard(g.handlesLock);
    g.views[reinterpret_cast<uintptr_t>(p)] = View{handle->object, size_t(length), write};
  }
  SetLastError(ERROR_SUCCESS);
  return p;
}

BOOL UnmapViewOfFile(const void* address) {
  Globals& g = G();
  View view;
  {
    std::lock_guard<std::mutex> guard(g.handlesLock);
    auto it = g.views.find(reinterpret_cast<uintptr_t>(address));
    if (it == g.views.end()) return Fail(ERROR_INVALID_ADDRESS, FALSE_);
    view = std::move(it->second);
    g.views.erase(it);
  }
  munmap(const_cast<void*>(address), view.length);
  SetLastError(ERROR_SUCCESS);
  return TRUE_;  // the view's hold on the object goes with `view`
}

namespace {

// The view that holds `address`, with its start; false when none does.
bool FindView(const void* address, uintptr_t* start, View* view) {
  Globals& g = G();
  std::lock_guard<std::mutex> guard(g.handlesLock);
  const uintptr_t a = reinterpret_cast<uintptr_t>(address);
  auto it = g.views.upper_bound(a);
  if (it == g.views.begin()) return false;
  --it;
  if (a - it->first >= RoundUp(it->second.length, PageBytes())) return false;
  *start = it->first;
  *view = it->second;
  return true;
}

}  // namespace

BOOL FlushViewOfFile(const void* address, SIZE_T bytes) {
  uintptr_t start;
  View view;
  if (!FindView(address, &start, &view)) return Fail(ERROR_INVALID_ADDRESS, FALSE_);
  const uintptr_t a = reinterpret_cast<uintptr_t>(address);
  const uintptr_t end = start + view.length;
  const uintptr_t last = bytes == 0 || bytes > end - a ? end : a + bytes;
  const uintptr_t first = a / PageBytes() * PageBytes();
  if (last > first && msync(reinterpret_cast<void*>(first), last - first, MS_SYNC) != 0)
    return Fail(ERROR_NOT_ENOUGH_MEMORY, FALSE_);
  SetLastError(ERROR_SUCCESS);
  return TRUE_;
}

SIZE_T VirtualQuery(const void* address, MEMORY_BASIC_INFORMATION* information, SIZE_T length) {
  uintptr_t start;
  View view;
  if (information == nullptr || length < sizeof(MEMORY_BASIC_INFORMATION) ||
      !FindView(address, &start, &view))
    return Fail(ERROR_INVALID_PARAMETER, SIZE_T(0));
  const uintptr_t page = reinterpret_cast<uintptr_t>(address) / PageBytes() * PageBytes();
  *information = MEMORY_BASIC_INFORMATION{};
  information->BaseAddress = reinterpret_cast<void*>(page);
  information->AllocationBase = reinterpret_cast<void*>(start);
  information->RegionSize = SIZE_T(start + RoundUp(view.length, PageBytes()) - page);
  information->AllocationProtect = view.writable ? PAGE_READWRITE : PAGE_READONLY;
  information->Protect = information->AllocationProtect;
  information->State = MEM_COMMIT;
  information->Type = MEM_MAPPED;
  SetLastError(ERROR_SUCCESS);
  return sizeof(MEMORY_BASIC_INFORMATION);
}

BOOL CloseKernelHandle(HANDLE object) {
  Globals& g = G();
  std::shared_ptr<HandleObject> closing;
  {
    std::lock_guard<std::mutex> guard(g.handlesLock);
    size_t slot;
    if (!SlotOf(object, &slot) || slot >= g.handles.size() || g.handles[slot] == nullptr)
      return Fail(ERROR_INVALID_HANDLE, FALSE_);
    closing = std::move(g.handles[slot]);
    g.handles[slot] = nullptr;
    g.freeHandles.push_back(slot);
  }
  closing.reset();  // outside the table's lock: the last hold may unlink the object
  SetLastError(ERROR_SUCCESS);
  return TRUE_;
}
