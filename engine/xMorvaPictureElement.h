// Picture elements in the text flow: code 16001, one position, laid out as
// a unit as wide as the picture is shown. The payload starts with a
// 24-byte header in the byte order named by its byte 16:
//   i32 shown width, i32 shown height, i32 own width, i32 own height,
//   u8 byte order of the data, u8 flag, u16 display mode,
//   u32 run-time word: the id of the decoded picture in the engine's table
//   (never meaningful in stored or copied bytes, which carry 0),
// then the picture as a tagged 'VVAL' value. a = b = 24 + value bytes.
#pragma once

#include <cstdint>

#include "framework/core/memory/VMemoryMgr.h"

class VPictureData;

// No picture element forms the selection.
constexpr int32_t kErrorNoPictureSelected = 1034;

constexpr uint32_t kPictureHeaderSize = 24;
// Layout and drawing hold a shown width or height to 0 .. this, so that
// sums of line heights and pen positions stay far from overflowing.
constexpr int32_t kMaxPictureExtent = 1 << 20;
constexpr uint16_t kDefaultPictureMode = 5;

// The size a picture element is laid out, measured and drawn at. Its shown
// size, held to 0 .. kMaxPictureExtent; a picture wider than a `room`
// above 0 is made `room` wide, its height in proportion (truncated, at
// least 1 pixel when it had any). Only layout sees this size: the element
// keeps its shown size.
struct xMorvaPictureExtent {
  int32_t width = 0;
  int32_t height = 0;
};
xMorvaPictureExtent LaidOutPictureSize(int32_t shownWidth, int32_t shownHeight, int32_t room);

struct xMorvaPictureHeader {
  int32_t shownWidth = 0;
  int32_t shownHeight = 0;
  int32_t ownWidth = 0;
  int32_t ownHeight = 0;
  uint8_t order = 0;  // the byte order of the header words and the value
  uint8_t flag = 0;
  uint16_t mode = kDefaultPictureMode;
  uint32_t runtime = 0;

  // From / into the six header words as numbers.
  void FromWords(const uint32_t words[6]);
  void ToWords(uint32_t words[6]) const;
};

// Reads the header of the picture element at `element` (`size` bytes of it
// available): false unless the element is a picture whose header is whole.
bool ReadPictureHeader(const uint8_t* element, uint32_t size, xMorvaPictureHeader& header);
// Writes the header into the 24 bytes at `at` in the header's own order.
void WritePictureHeader(uint8_t* at, const xMorvaPictureHeader& header);

// Writes a whole picture element into `output` (its bytes replaced): the
// shown size is width x height, or the picture's own size when either is
// -1; the flag byte is 1 for a flag above 0; the mode -1 means 5. False,
// with the handle emptied, when the stream fails.
bool MakePictureElement(VPictureData& picture, VMemHandle output, int32_t width, int32_t height,
                        int32_t mode, int32_t flag);

// Clears the run-time word of every picture element in the bytes,
// pictures inside the texts of computed elements included, so that bytes
// leaving or entering a text never carry an id into a table.
void ClearPictureIds(uint8_t* bytes, uint32_t size);
