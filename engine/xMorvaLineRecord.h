// xMorvaLineRecord: one composed line of a text flow, with the complete
// property state in effect at its first byte, so that any line can be
// drawn, measured or hit-tested without walking the text before it.
// Records live only in memory and are never stored, so every count is
// wide enough for what a line can hold (40,000 zero-width units, pictures
// wider than 32,767 pixels).
#pragma once

#include <cstdint>
#include <memory>

#include "document/xMorvaProperties.h"
#include "document/xMorvaTabs.h"

// Line flags.
enum : uint16_t {
  kLineFirstOfParagraph = 0x0001,
  kLineLastOfParagraph = 0x0002,
  kLineForcedBreak = 0x0004,
  kLineBreakAtSpace = 0x0008,
  kLineBreakAtTab = 0x0010,
  kLineBreakAtHyphen = 0x0020,
  kLineBreakAtSoftHyphen = 0x0040,
  kLineContinuesWord = 0x0080,
  kLinePageBreak = 0x0100,
  kLineColumnBreak = 0x0200,
  kLineHasPageNumbers = 0x0800,
  kLineLastOfText = 0x1000,
};

struct xMorvaLineRecord {
  xMorvaLineRecord() = default;
  xMorvaLineRecord(const xMorvaLineRecord& other) { *this = other; }
  xMorvaLineRecord& operator=(const xMorvaLineRecord& other) {
    state.Assign(other.state);
    bytes = other.bytes;
    elementTail = other.elementTail;
    width = other.width;
    available = other.available;
    height = other.height;
    ascent = other.ascent;
    spaces = other.spaces;
    tabs = other.tabs;
    positions = other.positions;
    flags = other.flags;
    tabsKey = other.tabsKey;
    resumable = other.resumable;
    stops = other.stops;
    return *this;
  }

  // Properties 0 to 16 and 32 to 45 at the line's first byte.
  xMorvaProperties state;
  // Stream bytes the line covers, the break character included.
  uint32_t bytes = 0;
  // Bytes from the first byte to the end of the computed element whose
  // visible text the line begins inside; 0 otherwise.
  uint32_t elementTail = 0;
  // The pen position at the line's end, a space it broke at not counted.
  float width = 0.0f;
  // Pixels open to text.
  int32_t available = 0;
  int32_t height = 0;
  int32_t ascent = 0;
  // Spaces justification may widen; tab elements; positions.
  int32_t spaces = 0;
  int32_t tabs = 0;
  int32_t positions = 0;
  uint16_t flags = 0;
  // A digest of the tab stops in effect at the first byte.
  uint32_t tabsKey = 0;
  // Composition can begin again at the line's first byte, from its state,
  // its stops and its first flags (0x0001, 0x0080), and lays out the same
  // line: nothing of the line before (a carried font, a pending tab, an
  // element's text, a unit measured on the line before) reaches into it.
  // After an edit composition starts at such a line and stops at the
  // first such line it meets again unchanged.
  bool resumable = false;
  // The tab stops in effect at the first byte of a resumable line; lines
  // with the same stops share one list.
  std::shared_ptr<const xMorvaTabs> stops;
};
