// TextEdit's style runs: the text's styles as a list of runs, each from its
// start to the next run's, with the operations TextEdit builds on (insert
// and delete, set a range's style by mode, the style common to a range) and
// the style scrap ('styl' layout, machine order) that carries them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/Export.h"
#include "platform/toolbox/TbxEmulatorColor.h"

namespace Tbx {

// One style: font family, face bits, size in pixels and colour.
struct TextEditStyle {
  int16_t font = 0;
  uint8_t face = 0;
  int16_t size = 12;
  RGBColor color{0, 0, 0};
  bool operator==(const TextEditStyle& o) const {
    return font == o.font && face == o.face && size == o.size && color.red == o.color.red &&
           color.green == o.color.green && color.blue == o.color.blue;
  }
};

struct TextEditRun {
  int32_t start;
  TextEditStyle style;
};

// TESetStyle and TEContinuousStyle modes.
constexpr int16_t kStyleFont = 1;
constexpr int16_t kStyleFace = 2;
constexpr int16_t kStyleSize = 4;
constexpr int16_t kStyleColor = 8;
constexpr int16_t kStyleAll = 15;
constexpr int16_t kStyleAddSize = 16;
// With kStyleFace: a face bit is removed where the whole range has it and
// added otherwise.
constexpr int16_t kStyleToggle = 32;

// The style scrap: s16 element count, then per element s32 start, s16 line
// height, s16 ascent, s16 font, u8 face, u8 filler, s16 size, 3 x u16
// colour, all in the machine's order.
constexpr size_t kScrapHeaderSize = 2;
constexpr size_t kScrapElementSize = 20;

// The runs of a text of `length` characters; always at least one run, the
// first at 0, starts increasing, neighbours of equal style merged.
class QV_PLATFORM_API TextEditRuns {
 public:
  explicit TextEditRuns(const TextEditStyle& style = {});

  const std::vector<TextEditRun>& Runs() const { return fRuns; }
  // The style of the character at `offset` (the last run's past the end).
  const TextEditStyle& StyleAt(int32_t offset) const;
  // The index of the run holding `offset`.
  size_t RunIndexAt(int32_t offset) const;

  // [start, end) replaced by `count` characters of `style`.
  void Replace(int32_t start, int32_t end, int32_t count, const TextEditStyle& style);
  // Every run set to one style.
  void Reset(const TextEditStyle& style);
  // Sets the attributes of `mode` in [start, end) from `style`.
  void Apply(int32_t start, int32_t end, int16_t mode, const TextEditStyle& style);
  // The style common to [start, end): clears from `mode` each attribute that
  // varies (the face answers the bits every run has); true when none varied.
  bool Continuous(int32_t start, int32_t end, int16_t& mode, TextEditStyle& style) const;

  // The scrap of [start, end), its starts relative to `start`.
  std::vector<uint8_t> Scrap(int32_t start, int32_t end, int16_t lineHeight, int16_t ascent) const;
  // Applies a scrap to [start, end): element i from start + its start to the
  // next element's (the last to end). False, nothing changed, for a scrap
  // whose count does not fit its size.
  bool UseScrap(int32_t start, int32_t end, const uint8_t* scrap, size_t size);

 private:
  void Split(int32_t at);
  void Merge();

  std::vector<TextEditRun> fRuns;
  int32_t fLength = 0;

 public:
  int32_t Length() const { return fLength; }
  void SetLength(int32_t length) { fLength = length; }
};

}  // namespace Tbx
