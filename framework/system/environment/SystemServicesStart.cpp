// Start and stop of the system services' global objects.
#include "framework/system/environment/SystemServicesStart.h"

#include "framework/system/environment/VSystemServices.h"

void StartSystemServices() { VSystemServices::ClassifySystem(); }

void StopSystemObjects() {}

void StopSystemServices() { gOSCode = 0; }
