// The word processor's package: its areas, its routing of commands, and its
// alert when the host deletes the offscreen areas.
#include "area/xMorvaMain.h"

#include "area/xMorvaPlugIn.h"
#include "area/xMorvaResourceSwap.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "views/VPlugIn.h"
#include "host/context/HostServices.h"

xMorvaMain::xMorvaMain(HostStartupRecord* params) : VPackage(params) {}

bool xMorvaMain::Init() {
  if (fInitialized) return true;
  fInitialized = 1;
  return true;
}

// The routine number is the selector's low 16 bits, as for the area test.
bool xMorvaMain::IsEditingRoutine(int32_t routine) { return (routine & 0xFFFF) == 1; }

void xMorvaMain::ExecuteCommand(int32_t selector, void* params, void* result) {
  auto** array = static_cast<void**>(params);
  if (selector < kLowCommandEnd) {
    ExecuteLowCommand(selector, array, result);
  } else if (selector >= kFirstTableCommand && selector <= kLastTableCommand) {
    ExecuteTableCommand(selector, array, result);
  }
  // 95 to 99 and numbers above 172 are no commands.
}

void xMorvaMain::ExecuteLowCommand(int32_t, void**, void*) {}
void xMorvaMain::ExecuteTableCommand(int32_t, void**, void*) {}

VPlugInObject* xMorvaMain::NewPlugIn(int32_t routine, void* params) {
  return IsEditingRoutine(routine) ? new xMorvaPlugIn(this, params) : nullptr;
}

VPlugInObject* xMorvaMain::NewDesignPlugIn(int32_t routine, void* params) {
  return IsEditingRoutine(routine) ? new VDesignPlugIn(this, params, routine) : nullptr;
}

VPlugInObject* xMorvaMain::NewOutputPlugIn(int32_t routine, void* params) {
  return IsEditingRoutine(routine) ? new VOutputPlugIn(this, params) : nullptr;
}

VPlugInObject* xMorvaMain::NewPrintingPlugIn(int32_t routine, void* params) {
  return IsEditingRoutine(routine) ? new VPrintingPlugIn(this, params) : nullptr;
}

int16_t xMorvaMain::GetAreaResourceId(int32_t routine) {
  return IsEditingRoutine(routine) ? kAreaResourceId : 0;
}

void xMorvaMain::OffscreenPlugInsDeleted(int32_t) {
  ShowStringListItem(GetResourceFile(), static_cast<int16_t>(GetResourceBase() + kAlertListOffset),
                     kAlertOffscreenDeleted);
}

uint8_t xMorvaMain::SwapResource(uint8_t direction, uint32_t type, uint32_t size, void* data) {
  // Direction 1 converts stored data to this machine's order.
  return SwapPlugInResource(direction == 1, type, size, data) ? 1 : 0;
}
