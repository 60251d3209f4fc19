// The HTML file types' reader and writer, registered with the editing
// area's table of formats while the module runs.
#pragma once

void InstallHtmlFormats();
void RemoveHtmlFormats();
