// The module's start, dispatch and stop. The order in which the service
// objects are made and deleted is binding: every later object allocates from
// the heap and reads through the memory manager made before it, and the
// host context comes before the system services in both directions.
#include "host/lifecycle/ModuleLifeCycle.h"

#include <cstring>

#include "framework/core/VService.h"
#include "framework/core/containers/DialectList.h"
#include "framework/core/host/VHostBridge.h"
#include "framework/core/intl/VIntlMgr.h"
#include "framework/core/memory/VHeap.h"
#include "framework/core/memory/VWinMemoryMgr.h"
#include "framework/system/environment/SystemServicesStart.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "host/callback/HostCallback.h"
#include "host/context/HostServices.h"
#include "host/context/VHostContext.h"
#include "boundary/HostRecords.h"
#include "boundary/HostSelectors.h"
#include "host/package/VPackage.h"

int32_t gResourceBase = -1;

namespace {

// The alert list read before any package (and resource base) exists, and
// the items of the two refusals.
constexpr int16_t kEarlyAlertList = 12006;
constexpr int16_t kAlertOldHost = 14;
constexpr int16_t kAlertNewerHost = 17;
constexpr int32_t kAlertListOffset = 6;
constexpr uint32_t kTypeXVER = FourCC("xVER");

const VModuleLayers* sLayers = nullptr;
void* sInstance = nullptr;
// The heap that start-up made: the framework is started while it exists.
VHeap* sHeap = nullptr;
VPackage* sPackage = nullptr;
VModuleState sState = kModuleLoaded;

void Run(void (*step)()) {
  if (step != nullptr) step();
}

bool IsStart(int32_t selector) { return selector == kSelStart || selector == kSelStartSilent; }
bool IsStop(int32_t selector) { return selector == kSelStop || selector == kSelStopAlt; }

void DeletePackage() {
  if (sPackage == nullptr) return;
  VPackage* package = sPackage;
  sPackage = nullptr;
  gCurrentPackage = nullptr;
  delete package;
}

void Refuse(void** instanceSlot) {
  DeletePackage();
  *instanceSlot = nullptr;
  sState = kModuleRefused;
}

// The host application's compatibility record for this module: refused
// when its first value is newer than the module knows. A missing file or
// record passes.
bool HostIsNewerThanModule() {
  VMacResourceFile* hostFile = gHostContext->GetHostMacResourceFile();
  if (hostFile == nullptr || !hostFile->IsOpen()) return false;
  const int16_t id = static_cast<int16_t>(gResourceBase & 0xFFFF);
  const VResourceRef record = hostFile->GetResource(kTypeXVER, id, nullptr);
  if (record == 0) return false;
  uint32_t value = 0;
  const auto* data = static_cast<const uint8_t*>(hostFile->LockResource(record));
  if (data != nullptr && hostFile->GetResourceSize(record) >= 4) std::memcpy(&value, data, 4);
  hostFile->UnlockResource(record);
  hostFile->ReleaseResource(record);
  return value > kNewestCompatibility;
}

void Start(int32_t selector, void* params, void** instanceSlot) {
  // A start while a framework lives (after a refusal, or from a host that
  // lost its slot) closes that one first: there is only ever one framework
  // and one package.
  DeletePackage();
  if (IsFrameworkStarted()) StopFramework();

  auto* startup = static_cast<HostStartupRecord*>(params);
  StartFramework(startup);
  const bool alert = selector == kSelStart;

  if ((gHostContext->GetHostVersion() & 0xFFFF) < kOldestHostVersion) {
    if (alert) ShowStringListItem(gModuleResFile, kEarlyAlertList, kAlertOldHost);
    Refuse(instanceSlot);
    return;
  }

  VPackage* package = sLayers != nullptr && sLayers->newPackage != nullptr ? sLayers->newPackage(startup) : nullptr;
  if (package == nullptr) {
    Refuse(instanceSlot);
    return;
  }
  sPackage = package;
  gCurrentPackage = package;
  gResourceBase = package->GetResourceBase();
  package->Init();
  *instanceSlot = package;
  sState = kModuleRunning;

  if (HostIsNewerThanModule()) {
    if (alert)
      ShowStringListItem(gModuleResFile, static_cast<int16_t>(gResourceBase + kAlertListOffset), kAlertNewerHost);
    Refuse(instanceSlot);
  }
}

}  // namespace

void SetModuleLayers(const VModuleLayers* layers) { sLayers = layers; }
void SetModuleInstance(void* instance) { sInstance = instance; }
void* GetModuleInstance() { return sInstance; }
bool IsFrameworkStarted() { return sHeap != nullptr; }
VModuleState GetModuleState() { return sState; }
VPackage* GetModulePackage() { return sPackage; }

void ModuleEntry(int32_t selector, void* params, void** instanceSlot, void* result) {
  // Without a slot the host cannot hold the package: only a stop means
  // anything then.
  if (instanceSlot != nullptr && IsStart(selector) && *instanceSlot == nullptr) Start(selector, params, instanceSlot);

  if (sPackage != nullptr && instanceSlot != nullptr && *instanceSlot == sPackage)
    sPackage->Dispatch(selector, params, result);

  if (IsStop(selector)) {
    // The module's own package goes, whatever the slot holds: the slot's
    // value is never followed.
    DeletePackage();
    if (instanceSlot != nullptr) *instanceSlot = nullptr;
    if (IsFrameworkStarted()) {
      StopFramework();
      sState = kModuleStopped;
    }
  }
}

void StartFramework(HostStartupRecord* params) {
  // The first call to the host uses the callback of the record directly.
  SetHostCallback(params != nullptr ? params->callback : nullptr);
  HostTellModuleState(1, sInstance);

  // The heap and the memory manager come from the language runtime's
  // allocator; every later object from the heap.
  sHeap = new VHeap();
  gHeap = sHeap;
  gMemoryMgr = new VWinMemoryMgr();
  // Missing text tables do not stop the start.
  StartIntl();
  gHostContext = new VHostContext(params);
  if (sLayers != nullptr) InstallServices(sLayers->services, sLayers->serviceCount);
  StartSystemServices();

  if (sLayers == nullptr) return;
  Run(sLayers->initGraphics);
  Run(sLayers->initMenuGlobals);
  Run(sLayers->installMenuWindowProc);
  Run(sLayers->loadRichEditLibrary);
  Run(sLayers->startPictureServices);
}

void StopFramework() {
  if (sHeap == nullptr) return;
  // The package lives in the heap that is about to go.
  DeletePackage();
  if (sLayers != nullptr) {
    Run(sLayers->stopPictureServices);
    Run(sLayers->disposeTextFieldOffscreen);
    Run(sLayers->unloadRichEditLibrary);
    Run(sLayers->removeMenuWindowProc);
    Run(sLayers->freeMenuGlobals);
    Run(sLayers->exitGraphics);
  }

  StopSystemObjects();
  if (sLayers != nullptr) RemoveServices(sLayers->services, sLayers->serviceCount);
  delete gHostContext;
  gHostContext = nullptr;
  StopSystemServices();
  // The dialect list lives in the heap beside the text tables.
  ReleaseDialectList();
  delete gIntlMgr;
  gIntlMgr = nullptr;
  delete gMemoryMgr;
  gMemoryMgr = nullptr;
  sHeap->Destroy();
  delete sHeap;
  sHeap = nullptr;
  gHeap = nullptr;

  // The callback outlives the host context for this last call.
  HostTellModuleState(0, sInstance);
}
