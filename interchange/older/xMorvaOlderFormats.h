// The older document type's reader, registered with the editing area's
// table of formats while the module runs.
#pragma once

void InstallOlderFormats();
void RemoveOlderFormats();
