// The units of a text's plain form as a walk over its element stream meets
// them: what the plain text writer writes, and what a plain text form has
// to carry.
#pragma once

#include <cstdint>

#include "engine/xMorvaElementStream.h"

constexpr char16_t kPlainUnitTab = 9;
constexpr char16_t kPlainUnitSoftHyphen = 173;

// Hands `put` the units of the stream's bytes from `start` to `end` (of
// `bytesInUse`) as the plain text holds them: every character unit
// unchanged, a tab element as 9, a soft hyphen element as 173, nothing for
// the other elements and the property records.
template <class Put>
void ForEachPlainUnit(const uint8_t* stream, uint32_t bytesInUse, uint32_t start, uint32_t end, Put&& put) {
  if (end > bytesInUse) end = bytesInUse;
  for (uint32_t at = start; at < end;) {
    // The character units between the items, nearly all of a text: the
    // run's end is found many units at a time, then each unit of it is
    // handed on.
    const uint32_t runEnd = SkipCharacterUnits(stream, at, end < bytesInUse ? end + 1 : bytesInUse);
    for (; at < runEnd; at += 2) put(char16_t(StreamUnit(stream + at)));
    if (at >= end) break;
    const StreamItem item = ReadStreamItem(stream + at, bytesInUse - at);
    if (item.kind == StreamItem::kUnit) {
      put(char16_t(item.unit));
    } else if (item.kind == StreamItem::kElement) {
      if (item.unit == xMorvaElementCode::Tab) {
        put(kPlainUnitTab);
      } else if (item.unit == xMorvaElementCode::SoftHyphen) {
        // Its unit is the whole of it, shown or not.
        put(kPlainUnitSoftHyphen);
        at += item.size;
        continue;
      }
    }
    at += item.skipSize;
  }
}
