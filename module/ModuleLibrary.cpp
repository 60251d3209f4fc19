// The module library itself: its entry point, the record of its instance at
// load time, and the layers and package class that the life cycle runs.
// Only DaVuze and SwapRsrcProc leave it (exports.map).
#include <dlfcn.h>

#include "area/xMorvaDocumentAreaServices.h"
#include "area/xMorvaMain.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "framework/core/strings/VDisplayFormats.h"
#include "framework/core/strings/VHtmlEntityEncoder.h"
#include "framework/system/environment/VSharedMemory.h"
#include "framework/system/environment/VSystemEnvironmentBridge.h"
#include "framework/views/VViewsEnvironmentLink.h"
#include "graphics/VGraphicsEnvironmentLink.h"
#include "framework/controls/fields/TextFieldLayer.h"
#include "framework/controls/menus/MenuGlobals.h"
#include "framework/controls/services/ControlServices.h"
#include "graphics/VGraphicsStart.h"
#include "host/lifecycle/ModuleLifeCycle.h"
#include "boundary/HostRecords.h"
#include "boundary/ModuleExports.h"
#include "interchange/html/HTMLEntities.h"

namespace {

VPackage* NewMorvaPackage(HostStartupRecord* params) { return new xMorvaMain(params); }

// The interfaces through which the framework and the document model reach
// the layers above them: the environment's settings for the text forms, the
// graphics and views that the environment reads through, the controls' file
// dialogs, look colours and fonts and clipboard pictures, shared memory for
// the memory manager, the HTML
// entities of the export for the strings,
// the text engine and the editing area for the document model.
void InstallLayerServices() {
  InstallSystemEnvironmentBridge();
  InstallGraphicsEnvironmentLink();
  InstallViewsEnvironmentLink();
  InstallControlServices();
  InstallSharedMemoryReader();
  InstallHtmlEntityEncoder();
  InstallDocumentEngineServices();
  InstallDocumentAreaServices();
}

void RemoveLayerServices() {
  RemoveDocumentAreaServices();
  RemoveDocumentEngineServices();
  SetHtmlEntityEncoder(nullptr);
  RemoveSharedMemoryReader();
  RemoveControlServices();
  RemoveViewsEnvironmentLink();
  RemoveGraphicsEnvironmentLink();
  RemoveSystemEnvironmentBridge();
  // The host's display-routine table belongs to this run of the module.
  ResetDisplayRoutines();
}

const VModuleLayers kLayers = {
    &InitGraphics,          &InitMenuGlobals,      &InstallMenuWindowProc,     &LoadRichEditLibrary,
    &StartPictureServices,  &InstallLayerServices, &RemoveLayerServices,       &StopPictureServices,
    &DisposeTextFieldOffscreen, &UnloadRichEditLibrary, &RemoveMenuWindowProc, &FreeMenuGlobals,
    &ExitGraphics,          &NewMorvaPackage,
};

// At load, as the library entry routine does: the instance is kept whatever
// the reason, and the layers are named.
__attribute__((constructor)) void ModuleLoaded() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&DaVuze), &info) != 0) SetModuleInstance(info.dli_fbase);
  SetModuleLayers(&kLayers);
}

}  // namespace

extern "C" void DaVuze(int32_t selector, void* params, void** instanceSlot, void* result) {
  ModuleEntry(selector, params, instanceSlot, result);
}
