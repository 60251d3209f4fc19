// String lists ('STR#') to and from the string array, through the resource
// file's own list services.
#include "framework/core/containers/VStringArray.h"
#include "framework/system/resources/VResourceFile.h"

void VStringArray::LoadFromSTRList(VResourceFile& file, int16_t id) { file.LoadStringList(id, this); }

void VStringArray::AppendFromSTRList(VResourceFile& file, int16_t id) { file.AppendStringList(id, this); }

int16_t VStringArray::SaveAsSTRList(VResourceFile& file, int16_t id, const VString* name) const {
  return file.WriteStringList(this, id, name, kResTypeSTRList);
}
