// The library form of compiled resources: a C++ source that holds them as the
// exported resource table of a library (platform/win32/WinModuleResources.h),
// so that a library built from it carries them and its module handle finds them.
#pragma once

#include <string>
#include <vector>

#include "tools/rescomp/ResourceScript.h"

// How a compiled resource is filed in a library. A four-character type
// becomes the type name of its four characters, with '_' in front when the
// first is a digit ('4SAM' is "_4SAM"); a type below 0x10000 (written as a
// number in the script) stays that number. A resource with a name is filed
// under it; one without under its id taken as 16 bits.
struct LibraryResourceKey {
  std::string typeName;  // empty: numeric type
  uint16_t typeId = 0;
  std::string name;  // empty: numeric id
  uint16_t id = 0;
};

// False, with `error` naming the resource, when the type or name cannot be a
// library's: a character outside printable ASCII, or a zero in a type.
bool LibraryKeyOf(const CompiledResource& resource, LibraryResourceKey* key, std::string* error);

// The text of the source: the resources in the order the table keeps (see
// WinModuleResources.h). False with `error` set for a bad key, or for two
// resources filed under the same type and name (names compare without
// regard to case).
bool MakeLibrarySource(const std::vector<CompiledResource>& resources, std::string* source,
                       std::string* error);

// Writes the source to `path` (beside it first, then in its place); the file
// is left as it was on failure.
bool WriteLibrarySource(const std::string& path, const std::vector<CompiledResource>& resources,
                        std::string* error);
