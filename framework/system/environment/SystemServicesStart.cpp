// Start and stop of the system services' global objects.
#include "framework/system/environment/SystemServicesStart.h"

#include "framework/system/environment/VClipboard.h"
#include "framework/system/environment/VSystemServices.h"

void StartSystemServices() {
  VSystemServices::ClassifySystem();
  // The clipboard is the last of the service objects.
  gClipboard = new VClipboard();
}

void StopSystemObjects() {
  delete gClipboard;
  gClipboard = nullptr;
}

void StopSystemServices() { gOSCode = 0; }
