// The Word file types' reader, registered with the editing area's table of
// formats while the module runs.
#pragma once

// 'DOC5', 'DOC6' and 'DOC8' are read; 'DOC8' is written too.
void InstallWordFormats();
void RemoveWordFormats();
