// The plain text file types' reader and writer, registered with the
// editing area's table of formats while the module runs.
#pragma once

struct xMorvaFileFormat;

// The table: 'ASCM', 'ASCW', 'ASCN' and 'ASCU'.
const xMorvaFileFormat* TextFileFormats();
void InstallTextFormats();
void RemoveTextFormats();
