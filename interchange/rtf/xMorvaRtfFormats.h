// The RTF file type's reader and writer, registered with the editing area's
// table of formats while the module runs: opening, exporting and the
// clipboard's RTF flavour find them there.
#pragma once

void InstallRtfFormats();
void RemoveRtfFormats();
