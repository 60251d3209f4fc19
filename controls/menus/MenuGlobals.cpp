// The menu code's globals. The menus, their drawing objects and the main
// window's procedure arrive with the interface controls; until then start
// and stop have nothing to make or release.
#include "controls/menus/MenuGlobals.h"

void InitMenuGlobals() {}
void FreeMenuGlobals() {}
void InstallMenuWindowProc() {}
void RemoveMenuWindowProc() {}
