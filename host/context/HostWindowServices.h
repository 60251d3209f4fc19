// The host calls an area makes around a window of its own: the host's state
// flag and mode, and the window views it tells the host about.
#pragma once

#include <cstdint>

// The host's state flag (host call -178); false when the host gives none.
bool HostGetState178();
// Host call -179 with 0 (the host's mode off while the area has its own
// window) or with 1 (back on).
void HostSetMode179Zero();
void HostSetMode179One();
// Host call -421: tells the host about a window view (by its address).
void HostObjectCall421(const void* windowView);
