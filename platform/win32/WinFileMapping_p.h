// Internals of the named kernel objects (file mappings and mutexes): their
// shared memory with its list of user processes, and this process's table of
// kernel handles. Used only inside the platform library.
#pragma once

#include <pthread.h>

#include <cstddef>
#include <memory>
#include <string>

#include "platform/win32/WinFileMapping.h"

namespace qvkernel {

enum class Kind : uint32_t { kMapping = 1, kMutex = 2 };

// Room for the name (Win32 names are at most MAX_PATH characters) and for
// the processes that use one object at a time.
constexpr size_t kNameRoom = 264;
constexpr uint32_t kUserSlots = 200;

// The first page of every named object's shared memory. A mapping's bytes
// start at the next page boundary. Fields are in this machine's order:
// the page is never stored, only shared between processes of one machine.
//  - magic is written last at creation, so a creator that died half-way
//    leaves a page that readers take for stale;
//  - users: one slot per process with its count of holds (normally 1) and
//    its start time, so that a later process given the same id is not
//    taken for it; a slot whose process is gone is cleared by the next
//    process that opens or closes the object, and the object goes when no
//    slot is left.
struct Control {
  uint32_t magic;
  uint32_t kind;
  uint64_t size;  // the mapping's size as created; 0 for a mutex
  char name[kNameRoom];
  pthread_mutex_t mutex;  // a mutex object's lock: robust, recursive, shared
  struct User {
    int32_t pid;
    uint32_t holds;
    uint64_t started;  // the process's start time, in clock ticks after boot
  } users[kUserSlots];
};

// This process's hold on one named object: its descriptor and its control
// page. Every handle and view of this process that names the object shares
// the one hold, so a mutex has one address in the process (what a robust
// mutex needs); the last to let go removes this process from the users.
class NamedObject {
 public:
  NamedObject() = default;
  NamedObject(const NamedObject&) = delete;
  NamedObject& operator=(const NamedObject&) = delete;
  ~NamedObject();

  Kind kind = Kind::kMapping;
  std::string shmName;  // the POSIX name behind the Win32 one
  int fd = -1;
  Control* control = nullptr;
  // A mapping's size as checked against its file when the hold was taken:
  // views go by this copy, never by the shared page, which any user could
  // change.
  uint64_t size = 0;
  // Nested waits that this process holds on a mutex object: its page is
  // kept mapped while any is held, so the owner's robust list stays valid.
  uint32_t ownedDepth = 0;
};

// Bytes of the control page in the object's shared memory.
size_t ControlBytes();
size_t PageBytes();

// This process's hold on the object of that name and kind; with `create`
// it is made when missing (a mapping of `size` bytes, zero-filled). On
// return `existed` says whether it was there before. Null, with the last
// error set, when it cannot be had.
std::shared_ptr<NamedObject> Acquire(const char* name, Kind kind, uint64_t size, bool create,
                                     bool* existed);

// A kernel handle's object in this process's table.
class HandleObject {
 public:
  virtual ~HandleObject();
};

HANDLE AddHandle(std::shared_ptr<HandleObject> object);
std::shared_ptr<HandleObject> FindHandle(HANDLE handle);

}  // namespace qvkernel
