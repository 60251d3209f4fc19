// Named mutexes: a robust, recursive, process-shared POSIX mutex in the
// control page of a named object.
#include "platform/win32/WinMutex.h"

#include <pthread.h>
#include <time.h>

#include <cerrno>

#include "platform/win32/WinFileMapping_p.h"

using namespace qvkernel;

namespace {

class MutexHandle : public HandleObject {
 public:
  std::shared_ptr<NamedObject> object;
};

std::shared_ptr<MutexHandle> FindMutex(HANDLE handle) {
  return std::dynamic_pointer_cast<MutexHandle>(FindHandle(handle));
}

HANDLE NewMutexHandle(std::shared_ptr<NamedObject> object) {
  auto handle = std::make_shared<MutexHandle>();
  handle->object = std::move(object);
  return AddHandle(std::move(handle));
}

// Locks within the time-out; answers the POSIX result.
int Lock(pthread_mutex_t* mutex, DWORD milliseconds) {
  if (milliseconds == INFINITE) return pthread_mutex_lock(mutex);
  if (milliseconds == 0) return pthread_mutex_trylock(mutex);
  timespec deadline;
  clock_gettime(CLOCK_MONOTONIC, &deadline);
  deadline.tv_sec += milliseconds / 1000;
  deadline.tv_nsec += long(milliseconds % 1000) * 1000000L;
  if (deadline.tv_nsec >= 1000000000L) {
    deadline.tv_nsec -= 1000000000L;
    ++deadline.tv_sec;
  }
  int result;
  do {
    result = pthread_mutex_clocklock(mutex, CLOCK_MONOTONIC, &deadline);
  } while (result == EINTR);
  return result;
}

}  // namespace

HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL initialOwner, const char* name) {
  bool existed = false;
  auto object = Acquire(name, Kind::kMutex, 0, true, &existed);
  if (object == nullptr) return nullptr;
  HANDLE handle = NewMutexHandle(object);
  if (!existed && initialOwner && WaitForSingleObject(handle, 0) != WAIT_OBJECT_0) {
    CloseKernelHandle(handle);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

HANDLE OpenMutexA(DWORD, BOOL, const char* name) {
  bool existed = false;
  auto object = Acquire(name, Kind::kMutex, 0, false, &existed);
  if (object == nullptr) return nullptr;
  HANDLE handle = NewMutexHandle(std::move(object));
  SetLastError(ERROR_SUCCESS);
  return handle;
}

DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) {
  auto handle = FindMutex(object);
  if (handle == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  NamedObject& mutex = *handle->object;
  const int result = Lock(&mutex.control->mutex, milliseconds);
  switch (result) {
    case 0:
      ++mutex.ownedDepth;
      return WAIT_OBJECT_0;
    case EOWNERDEAD:
      // The owner ended holding it: the caller has it now, and the mutex is
      // made usable again for everyone after.
      pthread_mutex_consistent(&mutex.control->mutex);
      ++mutex.ownedDepth;
      return WAIT_ABANDONED;
    case ETIMEDOUT:
    case EBUSY:
      return WAIT_TIMEOUT;
    default:
      SetLastError(ERROR_INVALID_HANDLE);
      return WAIT_FAILED;
  }
}

BOOL ReleaseMutex(HANDLE object) {
  auto handle = FindMutex(object);
  if (handle == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE_;
  }
  NamedObject& mutex = *handle->object;
  if (pthread_mutex_unlock(&mutex.control->mutex) != 0) {
    SetLastError(ERROR_NOT_OWNER);
    return FALSE_;
  }
  if (mutex.ownedDepth > 0) --mutex.ownedDepth;
  SetLastError(ERROR_SUCCESS);
  return TRUE_;
}
