// The system environment's answers to the settings and the clock that the
// text forms of numbers, times and dates read (VEnvironmentBridge): installed
// at start once the environment object exists, removed at stop.
#pragma once

// Installs the bridge over gSystemServices; while no environment object
// exists it answers the bridge's own defaults.
void InstallSystemEnvironmentBridge();
void RemoveSystemEnvironmentBridge();
