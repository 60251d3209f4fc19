// The dialect name list: names under numeric ids, read once from the
// module's resources ('XDLN' 128) and kept beside the text tables.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"

class VLongArray;
class VString;
class VStringArray;

constexpr uint32_t kResTypeDialectList = FourCC("XDLN");
constexpr int16_t kDialectListId = 128;

// The list as read (native order): a signed 16-bit count, then per entry a
// signed 32-bit id and a length-prefixed Macintosh text, without padding.
// 0 until first read, and again while the resource is missing.
extern VMemHandle gDialectList;

// Empties `name`, then gives it the name of the first entry with this id;
// true when the name is not empty. A missing list answers false and is
// looked for again at the next call.
bool GetDialectName(int32_t id, VString& name);
// Appends every entry's id to `ids` and a new string of its name to `names`
// (either may be null), in list order.
void GetDialectList(VLongArray* ids, VStringArray* names);
// Gives the kept list back (at stop); it is read again when next needed.
void ReleaseDialectList();
