// Writes compiled resources into a resource file through the Toolbox
// resource manager, replacing the file only once every resource is in.
#pragma once

#include <string>
#include <vector>

#include "tools/rescomp/ResourceScript.h"

// Answers false with `error` set when the file can not be written; the file
// at `path` is then left as it was.
bool WriteResourceFile(const std::string& path, const std::vector<CompiledResource>& resources,
                       std::string* error);
