// The menu code's start and stop: its globals and the menu procedure of the
// host's main window.
#pragma once

// Creates the menu code's globals; FreeMenuGlobals deletes its drawing
// objects and frees them.
void InitMenuGlobals();
void FreeMenuGlobals();
// Puts the menu window procedure on the host's main window, keeping the
// window's own; RemoveMenuWindowProc puts the window's own back.
void InstallMenuWindowProc();
void RemoveMenuWindowProc();
