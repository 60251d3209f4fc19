// The system environment's answers to the settings and the clock that the
// text forms of numbers, times and dates read (VEnvironmentBridge): installed
// at start and removed at stop.
#pragma once

class VEnvironmentBridge;

// The bridge over gSystemServices, for VEnvironmentBridgeService; while no
// environment object exists it answers the bridge's own defaults.
VEnvironmentBridge* SystemEnvironmentBridge();
