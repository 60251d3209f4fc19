// The module's life cycle behind its entry point: start (the framework's
// service objects, the host checks, the package), dispatch to the package,
// and stop.
#pragma once

#include <cstddef>
#include <cstdint>

struct HostStartupRecord;
struct VServiceInstallation;
class VPackage;

// The layers above the host bridge, their services, and the module's package
// class, which the module library names at load time. Start-up installs the
// services in list order as soon as the host context exists, and runs the
// five starts in this order after the service objects exist; shut-down runs
// the six stops in this order, deletes the system objects, then removes the
// services in reverse order before the host context goes. Any entry may be
// null. Filled with designated initialisers, so that no two can be swapped.
struct VModuleLayers {
  // The services that higher layers install for lower ones to reach them.
  const VServiceInstallation* services;
  size_t serviceCount;

  void (*initGraphics)();
  void (*initMenuGlobals)();
  void (*installMenuWindowProc)();
  void (*loadRichEditLibrary)();
  void (*startPictureServices)();

  void (*stopPictureServices)();
  void (*disposeTextFieldOffscreen)();
  void (*unloadRichEditLibrary)();
  void (*removeMenuWindowProc)();
  void (*freeMenuGlobals)();
  void (*exitGraphics)();

  // A new package object of the module's class, made from the start-up record.
  VPackage* (*newPackage)(HostStartupRecord* params);
};

// The states of the module, as the host sees them through its slot.
enum VModuleState : int32_t {
  kModuleLoaded,   // no start yet
  kModuleRunning,  // the slot holds the package
  kModuleRefused,  // a start failed a test; the framework stays started
  kModuleStopped,  // the framework is closed
};

void SetModuleLayers(const VModuleLayers* layers);
// The module's instance (its load address), kept at load and sent to the
// host at start and stop.
void SetModuleInstance(void* instance);
void* GetModuleInstance();

// The entry point's work: start, dispatch, stop, in this order on every
// call. `instanceSlot` is the host's pointer-sized slot; only its value is
// compared with the package, never followed.
void ModuleEntry(int32_t selector, void* params, void** instanceSlot, void* result);

// Creates the framework's service objects and starts the layers; tells the
// host first. Called only by the entry point.
void StartFramework(HostStartupRecord* params);
// Stops the layers and deletes the service objects in their fixed order, then
// tells the host. Nothing when the framework is not started.
void StopFramework();
bool IsFrameworkStarted();

VModuleState GetModuleState();
// The package while the module runs; null otherwise.
VPackage* GetModulePackage();

// The package's resource base, copied when the package was made.
extern int32_t gResourceBase;
