// Start and stop of the system services' global objects.
#include "framework/system/environment/SystemServicesStart.h"

#include "framework/system/environment/VClipboard.h"
#include "framework/system/environment/VCursor.h"
#include "framework/system/environment/VFlagHolder.h"
#include "framework/system/environment/VSystemServices.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "platform/toolbox/TbxResources.h"

namespace {

// The module's resource file as the cursor reads it while the system
// environment gives none: the file the host made current before the start,
// wrapped, not owned.
VMacResourceFile* sCursorResources = nullptr;

}  // namespace

void StartSystemServices() {
  VSystemServices::ClassifySystem();
  if (gSystemServices == nullptr || gSystemServices->GetModuleResourceFile() == nullptr)
    sCursorResources = new VMacResourceFile(Tbx::CurResFile());
  gCursor = new VCursor(sCursorResources);
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
  delete sCursorResources;
  sCursorResources = nullptr;
}

void StopSystemServices() { gOSCode = 0; }
