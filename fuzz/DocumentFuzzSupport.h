// What the fuzz targets of the document readers share: the text engine's
// services installed once, and the check of a part's element stream after a
// read.
#pragma once

#include <cstdint>
#include <vector>

#include "document/xMorvaDocument.h"
#include "document/xMorvaProperties.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"

namespace fuzzdoc {

inline void StartDocumentServices() {
  static xMorvaDocumentEngineServices engine;
  static bool started = false;
  if (started) return;
  started = true;
  VService<xMorvaEngineServices>::Install(&engine);
}

// The part's items: whole, as many positions as the engine counts, fonts
// inside the table. Answers the units and element codes in order; traps on
// the first item that breaks a rule.
inline std::vector<uint16_t> CheckPart(xMorvaDocument& document, int16_t part) {
  auto& engine = *static_cast<xMorvaEngine*>(document.GetPart(part));
  std::vector<uint16_t> units;
  const uint32_t size = engine.GetStreamSize();
  const uint8_t* stream = size != 0 ? engine.LockStream() : nullptr;
  for (uint32_t at = 0; at < size;) {
    const StreamItem item = ReadStreamItem(stream + at, size - at);
    if (item.size == 0 || item.size > size - at) __builtin_trap();
    if (item.kind == StreamItem::kRecord) {
      if (item.size != kRecordSize) __builtin_trap();
      if (item.unit == kPropFont && (int32_t(item.value) < 1 || int32_t(item.value) > document.GetFontCount()))
        __builtin_trap();
    } else {
      if (item.kind == StreamItem::kElement && item.size != kElementHeadSize + uint64_t(StreamLong(stream + at + 4)))
        __builtin_trap();
      units.push_back(item.unit);
    }
    at += item.size;
  }
  if (stream != nullptr) engine.UnlockStream();
  if (int32_t(units.size()) != engine.GetLength()) __builtin_trap();
  return units;
}

}  // namespace fuzzdoc
