// Start and stop of the system services' global objects.
#include "framework/system/environment/SystemServicesStart.h"

#include "framework/system/environment/VClipboard.h"
#include "framework/system/environment/VCursor.h"
#include "framework/system/environment/VFlagHolder.h"
#include "framework/system/environment/VSystemServices.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "platform/toolbox/TbxResources.h"

namespace {
// The module's resource file as the environment reads it: the file that is
// current when the host starts the module, wrapped, never closed here.
VMacResourceFile* sModuleFile = nullptr;
}  // namespace

void StartSystemServices() {
  delete gSystemServices;
  gSystemServices = new VSystemServices();
  const int16_t current = Tbx::CurResFile();
  if (current != -1) {
    delete sModuleFile;
    sModuleFile = new VMacResourceFile(current);
    gSystemServices->SetModuleResourceFile(sModuleFile);
  }
  gSystemServices->LoadFileTypeMap();
  gSystemServices->LoadFontLists();
  // The cursor reads its 'CURS' resources from the environment's module
  // resource file.
  gCursor = new VCursor();
  gFlagHolder = new VFlagHolder();
  // The clipboard is the last of the service objects.
  gClipboard = new VClipboard();
}

void StopSystemObjects() {
  delete gClipboard;
  gClipboard = nullptr;
  delete gFlagHolder;
  gFlagHolder = nullptr;
  delete gCursor;
  gCursor = nullptr;
}

void StopSystemServices() {
  delete gSystemServices;
  gSystemServices = nullptr;
  delete sModuleFile;
  sModuleFile = nullptr;
  gOSCode = 0;
}
