// What the benchmarks of the editing area share: the text engine's services
// installed and the module's resource file opened, as the module's start
// does, and both undone at the end.
#pragma once

void OpenAreaServices();
void CloseAreaServices();
