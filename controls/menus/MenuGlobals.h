// The menu code's start and stop: its globals (the item registry and the
// drawing objects menus share) and the menu procedure of the host's main
// window.
#pragma once

#include <cstdint>

#include "platform/gdi/WinGdiTypes.h"

// Empties the item registry; FreeMenuGlobals deletes its records still held
// and the shared drawing objects.
void InitMenuGlobals();
void FreeMenuGlobals();
// Puts the menu window procedure on the host's main window, keeping the
// window's own; RemoveMenuWindowProc puts the window's own back.
void InstallMenuWindowProc();
void RemoveMenuWindowProc();

// The check mark of a mixed state: an 8 x 7 monochrome bitmap with a short
// bar, made on first use and kept until FreeMenuGlobals.
HBITMAP GetMixedMarkBitmap();

class VIconShape;
// The icons drawn menus show for the check (48) and mixed (50) marks,
// "WinCheck" and "WinMixed" of the module's resource file, loaded on first
// use and kept until FreeMenuGlobals; null for another mark or a missing
// icon.
VIconShape* GetMenuMarkIcon(int16_t mark);
