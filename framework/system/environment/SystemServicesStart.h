// The system services' global objects across start-up and shut-down: the
// system environment, the cursor, the one-flag state object and the
// clipboard, made in this order after the host context, and deleted in two
// steps on either side of it.
#pragma once

// Makes the system environment (and classifies the platform), then the
// cursor, the flag holder and the clipboard. The environment's file-type
// map and font lists arrive with their own work.
void StartSystemServices();
// Deletes the clipboard, the flag holder and the cursor (before the host
// context goes).
void StopSystemObjects();
// Deletes the system environment (after the host context went).
void StopSystemServices();
