// The state of an area's menus, tool bars and status line: command values
// set from the selection, the status texts, and the commands switched on
// and off per command (the allowed-command table) and in two fixed groups
// (the editing lock and the interface lock).
#pragma once

#include <cstdint>

class xMorvaPlugIn;

// The value of an on/off or choice command over a mixed selection, and
// that of a choice command with no choice.
constexpr int32_t kCommandMixed = 2;
constexpr int32_t kCommandNoChoice = -97;

// Enables or disables the command only when the area allows its id.
void EnableControl(xMorvaPlugIn& area, int32_t id, bool enabled);
// For ids 1 to 1035: enables or disables the command and stores the
// allowed byte; 310 and 330 to 334 also show or hide the document's bars.
void SetCommandAllowed(xMorvaPlugIn& area, int32_t id, bool allowed);
// With `now` false only requests the delayed refresh; with `now` true sets
// every value from the selection, then the status line and the rulers.
void UpdateBarState(xMorvaPlugIn& area, bool now);
void UpdateStatusLine(xMorvaPlugIn& area, bool now);
// Switch a group when the flag differs from the stored one.
void SetEditingLocked(xMorvaPlugIn& area, bool locked);
void SetAreaLocked(xMorvaPlugIn& area, bool locked);

// The menu item of a colour in the colour tables A, B and C (24-bit values
// as the properties store them, -1 none); `shift` is added to the id.
int32_t ColourItemA(int32_t colour, int32_t shift = 0);
int32_t ColourItemB(int32_t colour, int32_t shift = 0);
int32_t ColourItemC(int32_t colour, int32_t shift = 0);
