// Macintosh styled text: the clipboard pair 'TEXT' (Macintosh bytes) and
// 'styl' (the runs of character style over those bytes), written from a
// document's text by xMorvaExportMacStyledText and read into a document by
// xMorvaImportMacStyledText.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "framework/core/VObject.h"

class VStream;
class xMorvaDocument;
class xMorvaEngine;

// The 'styl' record, in the byte order of the machine that wrote it:
//   run count n        u16
//   n runs of 20 bytes:
//     start offset     u32  bytes into the text; runs in rising order
//     line height      u16
//     ascent           u16
//     font number      u16  Toolbox numbering
//     face             u8   1 bold, 2 italic, 4 underline, 0x10 shadow,
//                           0x20 superscript, 0x40 subscript
//     filler           u8   0
//     size             u16  points
//     red, green, blue u16  each the colour byte times 256
// The count bounds the runs: a record shorter than 2 + 20 n is damaged.
struct xMorvaStyleRun {
  uint32_t start = 0;
  uint16_t lineHeight = 0;
  uint16_t ascent = 0;
  uint16_t font = 0;
  uint8_t face = 0;
  uint16_t size = 0;
  uint16_t red = 0;
  uint16_t green = 0;
  uint16_t blue = 0;
};

constexpr uint32_t kStyleRunSize = 20;
constexpr uint8_t kStyleFaceBold = 0x01;
constexpr uint8_t kStyleFaceItalic = 0x02;
constexpr uint8_t kStyleFaceUnderline = 0x04;
constexpr uint8_t kStyleFaceShadow = 0x10;
constexpr uint8_t kStyleFaceSuperscript = 0x20;
constexpr uint8_t kStyleFaceSubscript = 0x40;

// Reads the runs of a 'styl' record written in either byte order: the
// order whose count fits the record is taken (the machine's first when
// both do). Offsets are bounded to [previous run's, textLength], so that
// no run reaches outside the text or back before the one before it.
// 0, or 1015 for a record that is shorter than its count says (no runs).
int32_t ReadStyleRuns(const uint8_t* bytes, size_t size, uint32_t textLength,
                      std::vector<xMorvaStyleRun>& runs);

class xMorvaImportMacStyledText : public VObject {
 public:
  ~xMorvaImportMacStyledText() override = default;
  // Reads the text with its runs. Without `insert` the document is reset
  // and holds the text alone; with it the text replaces the selection of
  // the current part in one undo step (paste) and ends selected. Text
  // before the first run takes that run's style; a record without runs
  // inserts the text with the typing properties. 0, 1015 for a damaged
  // record or a failing stream (nothing changed), 1041 without memory, or
  // the first property or insertion error.
  int32_t ImportStyledText(xMorvaDocument& document, VStream& text, VStream& styles, bool insert);
};

class xMorvaExportMacStyledText : public VObject {
 public:
  ~xMorvaExportMacStyledText() override = default;
  // The text of the engine's selection (or all of it) as Macintosh bytes
  // into `text`, and its runs into `styles` in that stream's byte order.
  // True when neither stream failed.
  bool ExportStyledText(xMorvaDocument& document, xMorvaEngine& engine, VStream& text,
                        VStream& styles, bool selectionOnly);
};
