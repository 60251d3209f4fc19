// VService: the one way a layer reaches a layer above it. The lower layer
// declares an interface (an abstract class, or a table of function pointers
// installed as a const object) and keeps its neutral answers for when none is
// installed; the higher layer's implementation is installed at start and
// removed at stop, from the module's list of services (VServiceInstallation).
// There is one slot per interface type; each interface's header names its
// slot (`using VXxxService = VService<...>`), so that every user reaches the
// same one.
#pragma once

#include <cstddef>
#include <type_traits>

template <typename Interface>
class VService {
 public:
  // The installed implementation, or null.
  static Interface* Get() { return sInstalled; }
  // Installs `service` (null empties the slot) and answers the one it
  // replaces, so that a caller can put that one back.
  static Interface* Install(Interface* service) {
    Interface* previous = sInstalled;
    sInstalled = service;
    return previous;
  }
  // Empties the slot only when `service` is the one installed: one that was
  // installed over it since stays. Answers whether it was removed.
  static bool Remove(Interface* service) {
    if (service == nullptr || sInstalled != service) return false;
    sInstalled = nullptr;
    return true;
  }

 private:
  static inline Interface* sInstalled = nullptr;
};

// Installs `service` for the life of the object and then puts back the one
// it replaced (tests, and calls that lend a service for a while).
template <typename Interface>
class VInstalledService {
 public:
  explicit VInstalledService(Interface* service) : fPrevious(VService<Interface>::Install(service)) {}
  ~VInstalledService() { VService<Interface>::Install(fPrevious); }
  VInstalledService(const VInstalledService&) = delete;
  VInstalledService& operator=(const VInstalledService&) = delete;

 private:
  Interface* fPrevious;
};

// One entry of the module's list of services: installed in list order at
// start, removed in reverse order at stop.
struct VServiceInstallation {
  void (*install)();
  void (*remove)();
};

// The entry that installs an implementation in the slot of `Interface` and
// removes that same one again. `implementation` is the address of the
// object, or a function that answers it.
template <typename Interface, auto implementation>
Interface* ServiceImplementation() {
  if constexpr (std::is_invocable_v<decltype(implementation)>) {
    return implementation();
  } else {
    return implementation;
  }
}

template <typename Interface, auto implementation>
constexpr VServiceInstallation ServiceInstallation() {
  return {[] { VService<Interface>::Install(ServiceImplementation<Interface, implementation>()); },
          [] { VService<Interface>::Remove(ServiceImplementation<Interface, implementation>()); }};
}

inline void InstallServices(const VServiceInstallation* list, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (list[i].install != nullptr) list[i].install();
  }
}

inline void RemoveServices(const VServiceInstallation* list, size_t count) {
  for (size_t i = count; i > 0; --i) {
    if (list[i - 1].remove != nullptr) list[i - 1].remove();
  }
}
