// The Word import's property layer: operand sizes of both sprm forms, the
// character and paragraph interpreters, the font table, and the FKP pages
// of the bin tables turned into character and paragraph runs.
#include <algorithm>

#include "document/xMorvaFontTable.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/environment/VSystemServices.h"
#include "interchange/text/xMorvaPlainText.h"
#include "interchange/word/xMorvaImportWord.h"
#include "platform/bytes/ByteSpanReader.h"

namespace {

constexpr int32_t kPassAbsent = 2;
constexpr int32_t kUnknownSprm = 9;
constexpr uint16_t kExtChar = 0x1000;
constexpr size_t kPage = 512;

// The runs the FKP pages of a bin table name, for room made for them at
// once, which keeps a long document's run list from being copied as it
// grows. A page past the stream counts nothing (the read refuses it). The
// room is bounded by what the file can hold: runs of the text do not
// outnumber its characters, and a damaged table naming pages over and
// over gets no more room than twice the stream's size in runs of
// `runSize` bytes; a run beyond that is still read, into room made then.
size_t RunsOfPages(const std::vector<uint32_t>& pages, const xMorvaWordMainStream& main,
                   uint64_t characters, size_t runSize) {
  const size_t bound = size_t(std::min<uint64_t>(characters, 2 * uint64_t(main.size()) / runSize));
  size_t runs = 0;
  std::vector<uint8_t> scratch;
  for (uint32_t pn : pages) {
    if ((uint64_t(pn) + 1) * kPage > main.size()) break;
    const uint8_t* crun = main.Bytes(uint64_t(pn) * kPage + kPage - 1, 1, scratch);
    if (crun == nullptr) break;
    runs += *crun;
    if (runs >= bound) return bound;
  }
  return runs;
}

// Word 6/95 operand sizes by opcode: 0 to 4 bytes, kByteCount a count byte
// and that many bytes, kWordCount a count word and one byte less, kUnknown
// an opcode outside the known ranges.
constexpr int8_t kUnknown = -1;
constexpr int8_t kByteCount = -2;
constexpr int8_t kWordCount = -3;

struct SizeRange {
  uint8_t first;
  uint8_t last;
  int8_t size;
};

constexpr SizeRange kWord6Sizes[] = {
    {0, 0, 0},
    {2, 2, 2},
    {3, 3, kByteCount},
    {4, 11, 1},
    {12, 12, kByteCount},
    {13, 14, 1},
    {15, 15, kByteCount},
    {16, 19, 2},
    {20, 20, 4},
    {21, 22, 2},
    {23, 23, kByteCount},
    {24, 25, 1},
    {26, 28, 2},
    {29, 29, 1},
    {30, 36, 2},
    {37, 37, 1},
    {38, 43, 2},
    {44, 44, 1},
    {45, 49, 2},
    {50, 51, 1},
    {52, 52, 0},
    {53, 62, 1},
    {65, 67, 1},
    {68, 68, kByteCount},
    {69, 69, 2},
    {70, 70, 4},
    {71, 71, 1},
    {72, 72, 2},
    {73, 73, 3},
    {74, 74, kByteCount},
    {75, 75, 1},
    {80, 80, 2},
    {81, 81, kByteCount},
    {82, 82, kByteCount},
    {83, 83, 0},
    {84, 92, 1},
    {93, 93, 2},
    {94, 94, 1},
    {95, 95, 3},
    {96, 97, 2},
    {98, 98, 1},
    {99, 99, 2},
    {100, 100, 1},
    {101, 101, 2},
    {102, 102, 1},
    {103, 103, kByteCount},
    {104, 104, 1},
    {105, 106, kByteCount},
    {107, 107, 2},
    {108, 108, kByteCount},
    {109, 110, 2},
    {117, 119, 1},
    {120, 120, kByteCount},
    {121, 124, 2},
    {131, 132, 1},
    {133, 133, kByteCount},
    {136, 137, 3},
    {138, 139, 1},
    {140, 141, 2},
    {142, 143, 1},
    {144, 145, 2},
    {146, 147, 1},
    {148, 149, 2},
    {150, 153, 1},
    {154, 157, 2},
    {158, 159, 1},
    {160, 161, 2},
    {162, 163, 1},
    {164, 171, 2},
    {182, 184, 2},
    {185, 186, 1},
    {187, 187, 12},
    {188, 188, kWordCount},
    {189, 189, 2},
    {190, 190, kWordCount},
    {191, 191, kWordCount},
    {192, 192, 4},
    {193, 193, 5},
    {194, 194, 4},
    {195, 195, 2},
    {196, 196, 4},
    {197, 198, 2},
    {199, 199, 5},
};

int8_t Word6Size(uint16_t opcode) {
  for (const SizeRange& range : kWord6Sizes)
    if (opcode >= range.first && opcode <= range.last) return range.size;
  return kUnknown;
}

// The ico colour table, as 0xBBGGRR.
int32_t IcoColor(uint32_t ico) {
  static constexpr int32_t kTable[17] = {0,        0,        0xFF9933, 0xFF9900, 0x19CC00, 0xFF00CC,
                                         0x0000FF, 0x00E6FF, 0xFFFFFF, 0x800000, 0x808000, 0x008000,
                                         0x800080, 0x000080, 0x008080, 0x666666, 0xCCCCCC};
  return ico < 17 ? kTable[ico] : 0;
}

// A shading word as a colour: solid and the darker patterns take the
// foreground, the others the background; a pattern without colours is
// light grey. The word 0, clear in automatic colours, is no shading.
int32_t ShadingColor(uint16_t shd) {
  if (shd == 0) return -1;
  const uint32_t fore = shd & 0x1F;
  const uint32_t back = (shd >> 5) & 0x1F;
  const uint32_t pattern = shd >> 10;
  if (fore == 0 && back == 0) return IcoColor(16);
  const bool fromFore =
      pattern == 1 || (pattern >= 9 && pattern <= 25) || (pattern >= 48 && pattern <= 62);
  return IcoColor(fromFore ? fore : back);
}

// A Boolean sprm: 0x80 keeps the value, 0x81 turns it over, 0 clears and
// anything else sets.
void Toggle(int8_t& value, uint8_t operand) {
  if (operand == 0x80) return;
  value = operand == 0x81 ? int8_t(value == 0) : int8_t(operand != 0);
}

// A border word: the Word 97 form's line width and type bytes (its colour
// and spacing bytes skipped) as the type high and the width low, or the
// Word 6 form's word.
uint16_t ReadBrc(ByteSpanReader& in, bool word97) {
  if (!word97) return in.U16();
  const uint8_t width = in.U8();
  const uint8_t type = in.U8();
  in.Skip(2);
  return uint16_t((type << 8) | width);
}

constexpr uint8_t kSymbolCharset = 2;

// Fonts whose characters are pictures at their byte codes, whatever
// character set the file gives them.
bool IsSymbolFontName(const std::u16string& name) {
  static constexpr std::u16string_view kNames[] = {u"Symbol",     u"Wingdings", u"Wingdings 2",
                                                   u"Wingdings 3", u"Webdings",  u"MT Extra"};
  return std::find(std::begin(kNames), std::end(kNames), name) != std::end(kNames);
}

constexpr uint8_t kStandardSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};

// Moves a size in half-points by `steps` along the standard sizes.
int16_t SizeStep(int16_t halfPoints, int steps) {
  const int points = halfPoints / 2;
  int index = 0;
  while (index < 15 && kStandardSizes[index] < points) ++index;
  index = std::clamp(index + steps, 0, 15);
  return int16_t(kStandardSizes[index] * 2);
}

// A border word's line style: by brcType (high byte) and width (low byte)
// in Word 97, by the type bits 3 to 4 and width bits 0 to 2 in Word 6.
int8_t BorderStyle(uint16_t brc, bool word97, bool bottomOrRight) {
  int type, width;
  if (word97) {
    type = brc >> 8;
    width = brc & 0xFF;
    if (type == 5) return 0;
    if (type == 10) return 7;
    if ((type >= 6 && type <= 9) || (type >= 11 && type <= 25)) return 1;
    if (type > 3) return 0;
  } else {
    type = (brc >> 3) & 3;
    width = brc & 7;
  }
  switch (type) {
    case 1:
      // A single line of no width is no line.
      if (width == 0) return -1;
      if (width == 3) return 1;
      if (width == 4) return bottomOrRight ? 1 : 0;
      if (width == 5) return 2;
      return 0;
    case 2: return width >= 3 ? 2 : 1;
    case 3: return 6;
    default: return -1;
  }
}

}  // namespace

bool xMorvaImportWord::OperandSize(uint16_t opcode, bool word97, ByteSpanReader& in, size_t& size) {
  int8_t kind;
  if (word97) {
    // Table definitions carry a count word; tab changes may carry a count
    // byte of 255 that the deleted and added stops replace.
    if (opcode == 0xD606 || opcode == 0xD608) {
      kind = kWordCount;
    } else {
      switch (opcode >> 13) {
        case 0:
        case 1: kind = 1; break;
        case 2:
        case 4:
        case 5: kind = 2; break;
        case 3: kind = 4; break;
        case 7: kind = 3; break;
        default: kind = kByteCount; break;
      }
    }
  } else {
    kind = Word6Size(opcode);
  }
  if (kind == kUnknown) return false;
  if (kind == kByteCount) {
    if (in.Remaining() < 1) return in.Fail(), false;
    const uint8_t count = in.U8();
    if (count == 255 && (opcode == 0xC615 || opcode == 23)) {
      // The stops deleted (position and tolerance each) and added
      // (position and one TBD each) give the length.
      if (in.Remaining() < 1) return in.Fail(), false;
      const size_t deleted = in.Data()[in.Position()];
      if (in.Remaining() < 2 + deleted * 4) return in.Fail(), false;
      const size_t added = in.Data()[in.Position() + 1 + deleted * 4];
      size = 2 + deleted * 4 + added * 3;
    } else {
      size = count;
    }
  } else if (kind == kWordCount) {
    if (in.Remaining() < 2) return in.Fail(), false;
    const uint16_t count = in.U16();
    size = count == 0 ? 0 : count - 1u;
  } else {
    size = size_t(kind);
  }
  if (size > in.Remaining()) return in.Fail(), false;
  return true;
}

namespace {

// Small caps (2) or capitals (1): 0x80 keeps the style's, 0x81 turns the
// style's over, other values set or clear.
void ToggleCaps(xMorvaWordChp& chp, int8_t on, uint8_t b) {
  if (b == 0x80) return;
  const bool set = b == 0x81 ? chp.caps != on : b != 0;
  chp.caps = set ? on : 0;
}

// Hidden text shows grey.
void ToggleHidden(xMorvaWordChp& chp, uint8_t b) {
  Toggle(chp.hidden, b);
  chp.color = chp.hidden != 0 ? 0xCCCCCC : -1;
}

// Every face off, hidden text shown, the automatic colour.
void ClearFaces(xMorvaWordChp& chp) {
  chp.bold = chp.italic = chp.strike = chp.shadow = chp.caps = chp.underline = 0;
  chp.hidden = 0;
  chp.color = -1;
}

// The exact colour: red, green, blue and a byte that marks the automatic
// colour.
void ApplyExactColour(ByteSpanReader& operand, xMorvaWordChp& chp) {
  const uint32_t cv = operand.U32();
  if (!operand.Failed()) chp.color = (cv >> 24) != 0 ? -1 : int32_t(cv & 0xFFFFFF);
}

// The font number and the character's code in that font: a 16-bit code,
// or in the older form a one-byte code behind the operand's count. A font
// number the font table lacks keeps the run's font.
void ApplySymbol(ByteSpanReader& operand, bool wideCode, size_t fontCount, xMorvaWordChp& chp) {
  const uint16_t ftc = operand.U16();
  const uint16_t code = wideCode ? operand.U16() : operand.U8();
  if (operand.Failed()) return;
  chp.symbol = char16_t(code);
  if (ftc < fontCount) chp.font = int16_t(ftc);
}

// Whether the run's character set differs, and which it is.
void ApplyCharacterSet(ByteSpanReader& operand, xMorvaWordChp& chp) {
  const uint8_t differs = operand.U8();
  const uint16_t chs = operand.U16();
  if (!operand.Failed()) chp.chs = differs != 0 ? int16_t(chs == 256 ? 256 : 0) : int16_t(-1);
}

// A size in half points; 0 keeps the size. `checked`: a cut operand keeps
// it too.
void ApplySize(ByteSpanReader& operand, bool checked, xMorvaWordChp& chp) {
  const uint16_t hps = operand.U16();
  if (hps != 0 && !(checked && operand.Failed())) chp.halfPoints = int16_t(std::clamp<int>(hps, 2, 3276));
}

// The size grown or shrunk by a number of half points.
void ApplySizeStep(ByteSpanReader& operand, xMorvaWordChp& chp) {
  const int16_t step = operand.I16();
  if (!operand.Failed()) chp.halfPoints = int16_t(std::clamp(chp.halfPoints + step, 8, 508));
}

// The size scaled by a percentage.
void ApplySizePercent(ByteSpanReader& operand, xMorvaWordChp& chp) {
  const uint16_t percent = operand.U16();
  chp.halfPoints = int16_t(std::clamp(chp.halfPoints * int(percent) / 100, 1, 508));
}

}  // namespace

int32_t xMorvaImportWord::ApplyCharacterSprm(ByteSpanReader& in, xMorvaWordChp& chp) const {
  const uint16_t opcode = fFib.word97 ? in.U16() : in.U8();
  if (in.Failed()) return kPassAbsent;
  size_t size = 0;
  if (!OperandSize(opcode, fFib.word97, in, size)) return in.Failed() ? kPassAbsent : kUnknownSprm;
  ByteSpanReader operand(in.Data() + in.Position(), size, ByteSpanReader::Order::kLittle);
  in.Skip(size);
  const uint8_t b = size != 0 ? operand.U8() : 0;
  operand.Seek(0);
  switch (opcode) {
    case 0x0835:
    case 85: Toggle(chp.bold, b); break;
    case 0x0836:
    case 86: Toggle(chp.italic, b); break;
    case 0x0837:
    case 87: Toggle(chp.strike, b); break;
    case 0x0838:
    case 88:
    case 0x0839:
    case 89: Toggle(chp.shadow, b); break;
    case 0x083A:
    case 90: ToggleCaps(chp, 2, b); break;
    case 0x083B:
    case 91: ToggleCaps(chp, 1, b); break;
    case 0x083C:
    case 92: ToggleHidden(chp, b); break;
    case 0x2A32:
    case 82: ClearFaces(chp); break;
    case 0x4A4F:
    case 93: {
      const uint16_t ftc = operand.U16();
      if (ftc < fFontNames.size()) chp.font = int16_t(ftc);
      break;
    }
    // The fonts of the East Asian characters and of the other characters
    // beyond ASCII, set on those characters once the text is known.
    case 0x4A50:
    case 0x4A51: {
      const uint16_t ftc = operand.U16();
      if (!operand.Failed() && ftc < fFontNames.size())
        (opcode == 0x4A50 ? chp.eastAsianFont : chp.otherFont) = int16_t(ftc);
      break;
    }
    case 0x2A3E:
    case 94: chp.underline = int8_t(b <= 4 ? b : 1); break;
    case 0x2A42:
    case 98: chp.color = IcoColor(b); break;
    case 0x6870: ApplyExactColour(operand, chp); break;
    // Highlight 0 is none, not the automatic colour.
    case 0x2A0C: chp.background = b == 0 ? -1 : IcoColor(b); break;
    case 0x4A30:
    case 80: {
      // The run's character style: its sheet marks the run, and what it
      // defines lies under the run's own sprms that follow. Style 10, the
      // default paragraph font, is no style of its own.
      const uint16_t istd = operand.U16();
      if (!operand.Failed() && istd != 10 && istd < fStyles.size() && fStyles[istd].exists &&
          fStyles[istd].sgc == 2) {
        chp.style = SheetOf(istd);
        ApplyCharacterStyle(istd, chp);
      }
      break;
    }
    case 0x0800:
    case 65: Toggle(chp.deleted, b); break;
    case 0x6A09:
    case 74: ApplySymbol(operand, opcode == 0x6A09, fFontNames.size(), chp); break;
    case 0xEA08:
    case 73: ApplyCharacterSet(operand, chp); break;
    case 97:
      if (!fFib.word97) chp.language = operand.U16();
      break;
    case 0x4A43:
    case 99: ApplySize(operand, false, chp); break;
    case 0x2A44:
    case 100: chp.halfPoints = SizeStep(chp.halfPoints, int8_t(b)); break;
    case 0xCA49:
    case 105: ApplySize(operand, true, chp); break;
    case 0xCA4A:
    case 106: ApplySizeStep(operand, chp); break;
    case 0x4A4D:
    case 109: ApplySizePercent(operand, chp); break;
    case 0x2A48:
    case 104: chp.iss = int8_t(b <= 2 ? b : 0); break;
    case 0x6A03:
    case 68: {
      const uint32_t fc = operand.U32();
      if (!operand.Failed()) chp.picLocation = fc;
      break;
    }
    default: break;
  }
  return 0;
}

namespace {

// The table's top, left, bottom, right, inner horizontal and inner vertical
// borders; a row shows the inner horizontal ones as its top and bottom, the
// inner vertical ones it cannot show.
void ApplyTableBorders(ByteSpanReader& operand, bool word97, xMorvaWordRow& row) {
  static constexpr uint8_t kTableSides[] = {4, 1, 8, 2, 12, 0};
  uint8_t sides = 0;
  int8_t style = -1;
  for (int side = 0; side < 6; ++side) {
    const int8_t drawn = BorderStyle(ReadBrc(operand, word97), word97, side == 2 || side == 3);
    if (drawn < 0 || kTableSides[side] == 0) continue;
    sides |= kTableSides[side];
    if (style < 0) style = drawn;
  }
  if (operand.Failed()) return;
  row.tableSides = sides;
  if (style >= 0) row.borderStyle = style;
}

// A row's cells: their count, the boundaries from the left margin, then a
// TC per cell (the row may give fewer): its flags, in the Word 97 form a
// width word, and the top, left, bottom and right borders, 4 bytes each in
// the Word 97 form, else 2 (the older definitions' borders only tell
// whether there is a line).
void ApplyTableDefinition(ByteSpanReader& operand, uint16_t opcode, xMorvaWordRow& row) {
  const uint8_t count = operand.U8();
  std::vector<int16_t> bounds(size_t(count) + 1);
  for (int16_t& at : bounds) at = operand.I16();
  if (operand.Failed() || count == 0) return;
  row.bounds = std::move(bounds);
  row.cellFlags.assign(count, 0);
  row.cellSides.assign(count, 0);
  row.cellShading.resize(count, -1);
  const bool wide = opcode == 0xD608;
  const bool presenceOnly = opcode == 0xD606 || opcode == 188;
  static constexpr uint8_t kCellSides[] = {4, 1, 8, 2};
  for (size_t cell = 0; cell < count && operand.Remaining() >= (wide ? 20u : 10u); ++cell) {
    row.cellFlags[cell] = operand.U16() & 3;
    if (wide) operand.Skip(2);
    for (int side = 0; side < 4; ++side) {
      const uint16_t brc = ReadBrc(operand, wide);
      const int8_t drawn = presenceOnly ? (brc != 0 ? 0 : -1) : BorderStyle(brc, wide, side == 2 || side == 3);
      if (drawn < 0) continue;
      row.cellSides[cell] |= kCellSides[side];
      if (row.borderStyle < 0) row.borderStyle = drawn;
    }
  }
}

// One shading word per cell, from the first.
void ApplyCellShading(ByteSpanReader& operand, xMorvaWordRow& row) {
  std::vector<int32_t>& shading = row.cellShading;
  for (size_t cell = 0; operand.Remaining() >= 2 && cell < 64; ++cell) {
    if (shading.size() <= cell) shading.resize(cell + 1, -1);
    shading[cell] = ShadingColor(operand.U16());
  }
}

// The cells [first, limit), or only every other one of them, take one
// shading.
void ShadeCellRange(ByteSpanReader& operand, bool everyOther, xMorvaWordRow& row) {
  const uint8_t first = operand.U8(), limit = std::min<uint8_t>(operand.U8(), 64);
  const int32_t color = ShadingColor(operand.U16());
  if (operand.Failed()) return;
  std::vector<int32_t>& shading = row.cellShading;
  if (shading.size() < limit) shading.resize(limit, -1);
  for (size_t cell = first; cell < limit; cell += everyOther ? 2 : 1) shading[cell] = color;
}

// `added` cells of one width at `at`; the cells after move right.
void InsertCells(ByteSpanReader& operand, xMorvaWordRow& row) {
  const uint8_t at = operand.U8(), added = operand.U8();
  const int16_t width = operand.I16();
  if (operand.Failed() || row.bounds.empty() || added == 0) return;
  const size_t cells = row.bounds.size() - 1;
  const size_t where = std::min<size_t>(at, cells);
  const size_t total = std::min<size_t>(cells + added, 64);
  const size_t inserted = total - cells;
  auto clampTwips = [](int32_t v) { return int16_t(std::clamp(v, -32768, 32767)); };
  std::vector<int16_t> bounds(row.bounds.begin(), row.bounds.begin() + long(where) + 1);
  const int32_t from = bounds.back();
  for (size_t i = 1; i <= inserted; ++i) bounds.push_back(clampTwips(from + int32_t(i) * width));
  for (size_t i = where + 1; i < row.bounds.size(); ++i)
    bounds.push_back(clampTwips(row.bounds[i] + int32_t(inserted) * width));
  row.bounds = std::move(bounds);
  row.cellFlags.insert(row.cellFlags.begin() + long(where), inserted, 0);
  row.cellSides.insert(row.cellSides.begin() + long(where), inserted, 0);
  if (row.cellShading.size() >= where) row.cellShading.insert(row.cellShading.begin() + long(where), inserted, -1);
}

// The cells [first, limit) go; the cells after move left into their place.
void DeleteCells(ByteSpanReader& operand, xMorvaWordRow& row) {
  const uint8_t first = operand.U8(), limit = operand.U8();
  if (operand.Failed() || row.bounds.empty()) return;
  const size_t cells = row.bounds.size() - 1;
  const size_t a = std::min<size_t>(first, cells), b = std::min<size_t>(limit, cells);
  if (a >= b) return;
  const int32_t width = row.bounds[b] - row.bounds[a];
  for (size_t i = b + 1; i < row.bounds.size(); ++i)
    row.bounds[i] = int16_t(std::clamp(row.bounds[i] - width, -32768, 32767));
  row.bounds.erase(row.bounds.begin() + long(a) + 1, row.bounds.begin() + long(b) + 1);
  row.cellFlags.erase(row.cellFlags.begin() + long(a), row.cellFlags.begin() + long(b));
  row.cellSides.erase(row.cellSides.begin() + long(a), row.cellSides.begin() + long(b));
  if (row.cellShading.size() >= b)
    row.cellShading.erase(row.cellShading.begin() + long(a), row.cellShading.begin() + long(b));
}

// The cells [first, limit) become one.
void MergeCells(ByteSpanReader& operand, xMorvaWordRow& row) {
  const uint8_t first = operand.U8(), limit = operand.U8();
  if (operand.Failed()) return;
  for (size_t cell = first; cell < limit && cell < row.cellFlags.size(); ++cell)
    row.cellFlags[cell] = cell == first ? 1 : 2;
}

// Deleted stops (with their tolerances in the full form), then the added
// ones with one TBD each; false when the operand is cut short.
bool ChangeTabs(ByteSpanReader& operand, bool withTolerance, std::vector<xMorvaWordTab>& tabs) {
  const uint8_t deleted = operand.U8();
  std::vector<int16_t> gone(deleted);
  for (int16_t& at : gone) at = operand.I16();
  if (withTolerance) operand.Skip(size_t(deleted) * 2);
  const uint8_t added = operand.U8();
  std::vector<int16_t> positions(added);
  for (int16_t& at : positions) at = operand.I16();
  std::vector<uint8_t> tbds(added);
  for (uint8_t& tbd : tbds) tbd = operand.U8();
  if (operand.Failed()) return false;
  for (int16_t at : gone) std::erase_if(tabs, [at](const xMorvaWordTab& tab) { return tab.position == at; });
  for (size_t i = 0; i < added; ++i) {
    static constexpr char16_t kLeaders[] = {0, u'.', u'-', u'_', u'_'};
    const uint8_t jc = tbds[i] & 7, tlc = (tbds[i] >> 3) & 7;
    xMorvaWordTab tab{positions[i], int8_t(jc <= 4 ? jc + 1 : 1), tlc <= 4 ? kLeaders[tlc] : u'.'};
    std::erase_if(tabs, [&](const xMorvaWordTab& t) { return t.position == tab.position; });
    tabs.insert(std::lower_bound(tabs.begin(), tabs.end(), tab,
                                 [](const xMorvaWordTab& a, const xMorvaWordTab& b) { return a.position < b.position; }),
                tab);
  }
  return true;
}

// The line style of a Word 2 border word (the older sprms of Word 6 files):
// two line widths in bits 0 to 2 and 6 to 8 with their spacing between;
// one line by its width, two by which is the thinner. -1 no line.
int8_t Border10Style(uint16_t brc) {
  const uint8_t second = brc & 7, first = (brc >> 6) & 7;
  if (first != 0 && second != 0) return first < second ? 7 : 9;
  switch (first | second) {
    case 1:
    case 7: return 0;
    case 2:
    case 3: return 1;
    case 4:
    case 5: return 2;
    case 6: return 4;
    default: return -1;
  }
}

// Borders of a side: top, left, bottom, right, between, bar, in the Word 97
// form (width, type, colour index, spacing in points in bits 0 to 4), the
// Word 6 form (width, type, shadow, colour index in bits 6 to 10, spacing
// in bits 11 to 15) or the Word 2 form of Word 6's older sprms (spacing in
// bits 9 to 13, no colour). A line sets the style, its colour when it has
// one and its spacing; no line takes the side away. Other opcodes are left
// alone.
void ApplyParagraphBorder(ByteSpanReader& operand, uint16_t opcode, bool word97, xMorvaWordPap& pap) {
  int side = -1;
  int8_t style = -1;
  uint32_t ico = 0, space = 0;
  if (word97 && opcode >= 0x6424 && opcode <= 0x6629 && (opcode & 0xFF) >= 0x24 && (opcode & 0xFF) <= 0x29) {
    side = (opcode & 0xFF) - 0x24;
    // Line width, then the line type: the type high, the width low.
    const uint8_t width = operand.U8();
    const uint8_t type = operand.U8();
    ico = operand.U8();
    space = operand.U8() & 0x1F;
    style = BorderStyle(uint16_t((type << 8) | width), true, side == 2 || side == 3);
  } else if (!word97 && opcode >= 38 && opcode <= 43) {
    side = opcode - 38;
    const uint16_t brc = operand.U16();
    ico = (brc >> 6) & 0x1F;
    space = brc >> 11;
    style = BorderStyle(brc, false, side == 2 || side == 3);
  } else if (!word97 && opcode >= 30 && opcode <= 35) {
    side = opcode - 30;
    const uint16_t brc = operand.U16();
    space = (brc >> 9) & 0x1F;
    style = Border10Style(brc);
  }
  if (side < 0 || side == 4 || operand.Failed()) return;
  static constexpr uint8_t kSides[] = {4, 1, 8, 2, 0, 1};
  if (style < 0) {
    pap.borderSides &= uint8_t(~kSides[side]);
    return;
  }
  pap.borderStyle = style;
  pap.borderSides |= kSides[side];
  if (ico != 0) pap.borderColor = IcoColor(ico);
  pap.borderSpacing = int32_t(space);
}

// Word 6's older paragraph border sprms: the line kind of the paragraph's
// borders (single, thick, double), and which sides are drawn.
void ApplyBorderLine(uint8_t brcl, xMorvaWordPap& pap) {
  pap.borderStyle = brcl == 1 ? 1 : brcl == 2 ? 6 : 0;
  pap.borderStyleGiven = true;
}

void ApplyBorderSides(uint8_t brcp, xMorvaWordPap& pap) {
  switch (brcp) {
    case 1: pap.borderSides |= 4; break;
    case 2: pap.borderSides |= 8; break;
    case 15: pap.borderSides |= 15; break;
    case 16:
      pap.borderSides |= 1;
      pap.borderSpacing = 0;
      break;
    default: break;
  }
}

// A row's alignment: left, centre or right; anything else is left.
int8_t RowAlignment(uint16_t jc) { return int8_t(jc <= 2 ? jc : 0); }

// Line spacing: the height and whether it is a multiple of a line.
void ApplyLineSpacing(ByteSpanReader& operand, xMorvaWordPap& pap) {
  const int16_t line = operand.I16();
  const uint16_t multiple = operand.U16();
  if (multiple != 0 && line * 10 / 240 >= 1) pap.lineTenths = line * 10 / 240;
}

}  // namespace

int32_t xMorvaImportWord::ApplyParagraphSprm(ByteSpanReader& in, xMorvaWordPap& pap) const {
  const uint16_t opcode = fFib.word97 ? in.U16() : in.U8();
  if (in.Failed()) return kPassAbsent;
  size_t size = 0;
  if (!OperandSize(opcode, fFib.word97, in, size)) return in.Failed() ? kPassAbsent : kUnknownSprm;
  ByteSpanReader operand(in.Data() + in.Position(), size, ByteSpanReader::Order::kLittle);
  in.Skip(size);
  const bool word97 = fFib.word97;
  switch (opcode) {
    case 0x4600:
    case 2: pap.istd = operand.U16(); break;
    case 0x2403:
    case 5: pap.jc = int8_t(std::min<uint8_t>(operand.U8(), 3)); break;
    // The alignment and the indents come in Word 97's opcodes and in the
    // logical ones later writers add (or write alone).
    case 0x2461:
      pap.jc = int8_t(std::min<uint8_t>(operand.U8(), 3));
      break;
    case 0x840E:
    case 0x845D:
    case 16: pap.right = operand.I16(); break;
    case 0x840F:
    case 0x845E:
    case 17: pap.left = operand.I16(); break;
    case 0x4610:
    case 0x465F:
    case 18: pap.left = std::max(pap.left + operand.I16(), 0); break;
    case 0x8411:
    case 0x8460:
    case 19: pap.firstLine = operand.I16(); break;
    case 0x6412:
    case 20: ApplyLineSpacing(operand, pap); break;
    case 0xA413:
    case 21: pap.before = operand.U16(); break;
    case 0xA414:
    case 22: pap.after = operand.U16(); break;
    case 0x2407:
    case 9: pap.pageBreakBefore = operand.U8() != 0; break;
    case 0x2416:
    case 24: pap.inTable = operand.U8() != 0; break;
    case 0x2417:
    case 25: pap.rowEnd = operand.U8() != 0; break;
    case 0x442D:
    case 47: pap.shading = ShadingColor(operand.U16()); break;
    case 10:
      if (!word97) ApplyBorderLine(operand.U8(), pap);
      break;
    case 11:
      if (!word97) ApplyBorderSides(operand.U8(), pap);
      break;
    case 0x9601:
    case 183: pap.left = operand.I16(); break;
    case 0x9602:
    case 184: pap.gapHalf = operand.I16(); break;
    case 0x5400:
    case 182: pap.row.jc = RowAlignment(operand.U16()); break;
    case 0x9407:
    case 189: pap.row.height = operand.I16(); break;
    case 0xD605:
    case 187: ApplyTableBorders(operand, word97, pap.row); break;
    case 0xD606:
    case 0xD608:
    case 188:
    case 190: ApplyTableDefinition(operand, opcode, pap.row); break;
    case 0xD609:
    case 191: ApplyCellShading(operand, pap.row); break;
    case 0x7627:
    case 0x7628: ShadeCellRange(operand, opcode == 0x7628, pap.row); break;
    case 0x7621:
    case 194: InsertCells(operand, pap.row); break;
    case 0x5622: DeleteCells(operand, pap.row); break;
    case 0x5624: MergeCells(operand, pap.row); break;
    case 0xC60D:
    case 15:
    case 0xC615:
    case 23:
      if (!ChangeTabs(operand, opcode == 0xC615 || opcode == 23, pap.tabs)) return kPassAbsent;
      break;
    default: ApplyParagraphBorder(operand, opcode, word97, pap); break;
  }
  return 0;
}

bool xMorvaImportWord::CharacterAt(uint32_t fc, uint32_t& cp) const {
  auto after = std::upper_bound(fPieces.begin(), fPieces.end(), fc,
                                [](uint32_t at, const Piece& piece) { return at < piece.fc; });
  if (after == fPieces.begin()) return false;
  const Piece& piece = *(after - 1);
  if (fc - piece.fc > piece.bytes) return false;
  cp = piece.cp + (fc - piece.fc) / (piece.wide ? 2 : 1);
  return true;
}

namespace {

// The zero-ended font name that starts at character `index` of an FFN's
// name bytes: 16-bit characters, or bytes of the Windows character set.
std::u16string FontNameAt(const uint8_t* at, size_t bytes, size_t index, bool wide) {
  std::u16string name;
  if (wide) {
    for (size_t i = 2 * index; i + 1 < bytes && (at[i] | at[i + 1]) != 0; i += 2)
      name.push_back(char16_t(at[i] | (at[i + 1] << 8)));
  } else if (index < bytes) {
    name = DecodePlainText(at + index, std::find(at + index, at + bytes, 0) - (at + index),
                           kTextEncodingWindows);
  }
  return name;
}

// Without the system's font list (a reader run outside the module) no
// font is known to be missing.
bool IsInstalledFont(const std::u16string& name) {
  if (gSystemServices == nullptr || gSystemServices->GetFontList(true) == nullptr) return true;
  VStr<255> probe;
  probe.SetUniCText(name.substr(0, 63).c_str());
  return xMorvaFontTable::SystemHasFont(probe, false);
}

}  // namespace

int32_t xMorvaImportWord::ReadFontTable(const std::vector<uint8_t>& table) {
  if (fFib.lcbSttbfFfn == 0) return 0;
  if (uint64_t(fFib.fcSttbfFfn) + fFib.lcbSttbfFfn > table.size()) return kPassAbsent;
  ByteSpanReader in(table.data() + fFib.fcSttbfFfn, fFib.lcbSttbfFfn,
                    ByteSpanReader::Order::kLittle);
  bool extended = false;
  if (fFib.word97) {
    const uint16_t first = in.U16();
    extended = first == 0xFFFF;
    in.U16();  // the count (after the mark) or cbExtra
    if (extended) in.U16();
  } else {
    in.U16();  // the table's byte count
  }
  const bool wide = extended || (fFib.flags & kExtChar) != 0;
  while (!in.Failed() && in.Remaining() > 0) {
    const size_t start = in.Position();
    const uint8_t cb = in.U8();
    // An FFN too short for its own fields cannot say where the next starts.
    const size_t fixed = fFib.word97 ? 39 : 5;
    if (cb < fixed || cb > in.Remaining()) return kPassAbsent;
    in.Skip(fixed);
    // The character set follows the flags and the weight.
    const uint8_t chs = in.Data()[start + 4];
    const size_t nameBytes = start + 1 + cb - in.Position();
    const uint8_t* at = in.Span(nameBytes);
    if (at == nullptr) return kPassAbsent;
    // The name, and behind it, from character ixchSzAlt on, the name of
    // a font to take in its place where this one is not installed.
    const uint8_t alternate = in.Data()[start + 5];
    std::u16string name = FontNameAt(at, nameBytes, 0, wide);
    if (alternate != 0 && !IsInstalledFont(name)) {
      std::u16string other = FontNameAt(at, nameBytes, alternate, wide);
      if (!other.empty()) name = std::move(other);
    }
    fSymbolFonts.push_back(chs == kSymbolCharset || IsSymbolFontName(name));
    fFontCharSets.push_back(chs);
    fFontNames.push_back(std::move(name));
  }
  return in.Failed() ? kPassAbsent : 0;
}

int32_t xMorvaImportWord::BinTablePages(const std::vector<uint8_t>& table, uint32_t fc,
                                        uint32_t lcb, uint16_t pnFirst, uint16_t cpn,
                                        std::vector<uint32_t>& pages) const {
  pages.clear();
  if (lcb == 0) return 0;
  if (uint64_t(fc) + lcb > table.size() || lcb < 4) return kPassAbsent;
  const uint32_t entry = fFib.word97 ? 8 : 6;
  const uint32_t n = (lcb - 4) / entry;
  if (!fFib.word97 && cpn > n) {
    // Word 6/95 pages follow one another from the first.
    for (uint32_t i = 0; i < cpn; ++i) pages.push_back(uint32_t(pnFirst) + i);
    return 0;
  }
  ByteSpanReader in(table.data() + fc + (n + 1) * 4, size_t(n) * (entry - 4),
                    ByteSpanReader::Order::kLittle);
  for (uint32_t i = 0; i < n; ++i) pages.push_back(fFib.word97 ? in.U32() & 0x3FFFFF : in.U16());
  return in.Failed() ? kPassAbsent : 0;
}

int32_t xMorvaImportWord::ReadCharacterRuns(const xMorvaWordMainStream& main,
                                            const std::vector<uint8_t>& table) {
  std::vector<uint32_t> pages;
  std::vector<uint8_t> scratch;
  if (int32_t code = BinTablePages(table, fFib.fcPlcfBteChpx, fFib.lcbPlcfBteChpx, fFib.pnChpFirst,
                                   fFib.cpnBteChp, pages);
      code != 0)
    return code;
  // A run is cut where each paragraph it covers ends.
  uint64_t characters = 0;
  for (uint32_t count : fFib.ccp) characters += count;
  fCharacterRuns.reserve(RunsOfPages(pages, main, characters, sizeof(xMorvaWordCharacterRun)) +
                         fParagraphRuns.size());
  for (uint32_t pn : pages) {
    if ((uint64_t(pn) + 1) * kPage > main.size()) return kPassAbsent;
    const uint8_t* page = main.Bytes(uint64_t(pn) * kPage, kPage, scratch);
    if (page == nullptr) return kPassAbsent;
    const uint32_t crun = page[kPage - 1];
    // crun + 1 positions and crun offset bytes before the last byte.
    if ((crun + 1) * 4 + crun > kPage - 1) return kPassAbsent;
    ByteSpanReader in(page, kPage - 1, ByteSpanReader::Order::kLittle);
    std::vector<uint32_t> fcs(crun + 1);
    for (uint32_t& fc : fcs) fc = in.U32();
    for (uint32_t i = 0; i < crun; ++i) {
      const uint8_t offset = in.U8();
      uint32_t first = 0, limit = 0;
      const bool inText =
          CharacterAt(fcs[i], first) && CharacterAt(fcs[i + 1], limit) && limit > first;
      const uint8_t* grpprlAt = nullptr;
      size_t count = 0;
      if (offset != 0) {
        const size_t at = size_t(offset) * 2;
        if (at >= kPage - 1 || at < (crun + 1) * 4 + crun) return kPassAbsent;
        count = page[at];
        if (at + 1 + count > kPage - 1) return kPassAbsent;
        grpprlAt = page + at + 1;
      }
      // A run starts, in each paragraph it covers, from the character
      // properties of that paragraph's style; its own sprms lie over them.
      // The first stretch is read even when the run is outside the text,
      // so that a damaged grpprl is found wherever it stands.
      uint32_t from = first;
      do {
        const uint32_t to = inText ? std::min(limit, ParagraphLimit(from)) : from;
        xMorvaWordChp chp = ParagraphStyleChp(from);
        ByteSpanReader grpprl(grpprlAt, count, ByteSpanReader::Order::kLittle);
        while (grpprl.Remaining() != 0) {
          const int32_t result = ApplyCharacterSprm(grpprl, chp);
          if (result == kPassAbsent) return kPassAbsent;
          if (result != 0) break;
        }
        if (inText) fCharacterRuns.push_back({from, to, chp});
        from = to;
      } while (inText && from < limit);
    }
  }
  return 0;
}

namespace {

// The runs that end within the first `end` characters left out, the rest
// copied into a list of their own size (shrink_to_fit does nothing where
// exceptions are off).
template <class Run>
void DropRunsBefore(std::vector<Run>& runs, uint32_t end) {
  std::erase_if(runs, [end](const Run& run) { return run.limit <= end; });
  std::vector<Run>(runs.begin(), runs.end()).swap(runs);
}

}  // namespace

void xMorvaImportWord::DropMainTextParagraphRuns() { DropRunsBefore(fParagraphRuns, fFib.ccp[0]); }

void xMorvaImportWord::DropMainTextCharacterRuns() { DropRunsBefore(fCharacterRuns, fFib.ccp[0]); }

uint32_t xMorvaImportWord::ParagraphLimit(uint32_t cp) const {
  auto run =
      std::upper_bound(fParagraphRuns.begin(), fParagraphRuns.end(), cp,
                       [](uint32_t at, const xMorvaWordParagraphRun& r) { return at < r.first; });
  if (run != fParagraphRuns.begin() && cp < (run - 1)->limit) return (run - 1)->limit;
  // Outside every paragraph run: up to the next one's start.
  return run != fParagraphRuns.end() ? run->first : UINT32_MAX;
}

xMorvaWordChp xMorvaImportWord::ParagraphStyleChp(uint32_t cp) const {
  auto run =
      std::upper_bound(fParagraphRuns.begin(), fParagraphRuns.end(), cp,
                       [](uint32_t at, const xMorvaWordParagraphRun& r) { return at < r.first; });
  uint16_t istd = 0;
  if (run != fParagraphRuns.begin() && cp < (run - 1)->limit) istd = (run - 1)->pap.istd;
  if (istd < fStyles.size() && fStyles[istd].exists) return fStyles[istd].chp;
  xMorvaWordChp chp;
  chp.font = fDefaultFont;
  return chp;
}

int32_t xMorvaImportWord::ReadParagraphRuns(const xMorvaWordMainStream& main,
                                            const std::vector<uint8_t>& table) {
  std::vector<uint32_t> pages;
  std::vector<uint8_t> scratch;
  if (int32_t code = BinTablePages(table, fFib.fcPlcfBtePapx, fFib.lcbPlcfBtePapx, fFib.pnPapFirst,
                                   fFib.cpnBtePap, pages);
      code != 0)
    return code;
  const size_t phe = fFib.word97 ? 12 : 6;
  uint64_t characters = 0;
  for (uint32_t count : fFib.ccp) characters += count;
  fParagraphRuns.reserve(RunsOfPages(pages, main, characters, sizeof(xMorvaWordParagraphRun)));
  for (uint32_t pn : pages) {
    if ((uint64_t(pn) + 1) * kPage > main.size()) return kPassAbsent;
    const uint8_t* page = main.Bytes(uint64_t(pn) * kPage, kPage, scratch);
    if (page == nullptr) return kPassAbsent;
    const uint32_t crun = page[kPage - 1];
    const size_t headers = (crun + 1) * 4 + crun * (1 + phe);
    if (headers > kPage - 1) return kPassAbsent;
    ByteSpanReader in(page, kPage - 1, ByteSpanReader::Order::kLittle);
    std::vector<uint32_t> fcs(crun + 1);
    for (uint32_t& fc : fcs) fc = in.U32();
    for (uint32_t i = 0; i < crun; ++i) {
      const uint8_t offset = in.U8();
      in.Skip(phe);
      xMorvaWordPap pap;
      if (!fStyles.empty() && fStyles[0].exists) pap = fStyles[0].pap;
      if (offset != 0) {
        const size_t at = size_t(offset) * 2;
        if (at < headers || at >= kPage - 1) return kPassAbsent;
        // The count byte counts words from itself; 0 puts the count in the
        // next byte, one less. A Word 6/95 PAPX has one byte more.
        size_t count = page[at];
        size_t from = at + 1;
        if (count == 0) {
          count = size_t(page[at + 1]) + 1;
          ++from;
        }
        const size_t end = at + count * 2 + (fFib.word97 ? 0 : 1);
        if (end > kPage - 1 || end < from + 2) return kPassAbsent;
        const size_t bytes = end - from;
        ByteSpanReader grpprl(page + from, bytes, ByteSpanReader::Order::kLittle);
        const uint16_t istd = grpprl.U16();
        if (istd < fStyles.size() && fStyles[istd].exists && fStyles[istd].sgc == 1)
          pap = fStyles[istd].pap;
        pap.istd = istd;
        // A Word 97 PAPX is kept to whole words, so one byte left over
        // after its last sprm is padding, not an opcode cut short.
        const size_t shortest = fFib.word97 ? 2 : 1;
        while (grpprl.Remaining() >= shortest) {
          const int32_t result = ApplyParagraphSprm(grpprl, pap);
          if (result == kPassAbsent) return kPassAbsent;
          if (result != 0) break;
        }
      }
      uint32_t first = 0, limit = 0;
      if (!CharacterAt(fcs[i], first) || !CharacterAt(fcs[i + 1], limit) || limit <= first)
        continue;
      fParagraphRuns.push_back({first, limit, std::move(pap)});
    }
  }
  // The pages come in the text's order: the runs are sorted already but
  // in a damaged file, and a sort that is not needed costs a copy of them.
  auto byFirst = [](const auto& a, const auto& b) { return a.first < b.first; };
  if (!std::is_sorted(fParagraphRuns.begin(), fParagraphRuns.end(), byFirst))
    std::stable_sort(fParagraphRuns.begin(), fParagraphRuns.end(), byFirst);
  return 0;
}

int32_t xMorvaImportWord::ReadStyleSheet(const std::vector<uint8_t>& table) {
  if (fFib.lcbStshf == 0) return 0;
  if (uint64_t(fFib.fcStshf) + fFib.lcbStshf > table.size()) return kPassAbsent;
  ByteSpanReader in(table.data() + fFib.fcStshf, fFib.lcbStshf, ByteSpanReader::Order::kLittle);
  const uint16_t cbStshi = fFib.nFib >= 67 ? in.U16() : 4;
  if (cbStshi == 0 || cbStshi > in.Remaining()) return kPassAbsent;
  uint8_t stshi[18] = {};
  in.Bytes(stshi, std::min<size_t>(cbStshi, sizeof stshi));
  in.Seek(size_t(fFib.nFib >= 67 ? 2 : 0) + cbStshi);
  const uint16_t cstd = uint16_t(stshi[0] | (stshi[1] << 8));
  const uint16_t cbBase = uint16_t(stshi[2] | (stshi[3] << 8));
  const uint16_t ftc = uint16_t(stshi[12] | (stshi[13] << 8));
  fDefaultFont = ftc < fFontNames.size() ? int16_t(ftc) : -1;
  fStyles.assign(cstd, xMorvaWordStyle());
  fStylePapx.assign(cstd, {});
  fStyleChpx.assign(cstd, {});
  const bool wideNames = fFib.word97 || (fFib.flags & kExtChar) != 0;
  for (uint16_t istd = 0; istd < cstd; ++istd) {
    const uint16_t cbStd = in.U16();
    if (in.Failed() || cbStd > in.Remaining()) return kPassAbsent;
    if (cbStd == 0) continue;
    ByteSpanReader std(in.Data() + in.Position(), cbStd, ByteSpanReader::Order::kLittle);
    in.Skip(cbStd);
    uint8_t base[10] = {};
    std.Bytes(base, std::min<size_t>(std::min<size_t>(cbBase, sizeof base), cbStd));
    if (!std.Seek(std::min<size_t>(cbBase, cbStd))) return kPassAbsent;
    const uint16_t sgcWord = uint16_t(base[2] | (base[3] << 8));
    const uint8_t sgc = sgcWord & 0x0F;
    const uint16_t istdBase = sgcWord >> 4;
    if (sgc != 1 && sgc != 2) continue;
    const uint16_t sti = uint16_t(base[0] | ((base[1] & 0x0F) << 8));
    // Word's own character style, the default paragraph font, is Word's,
    // not the document's: no sheet is made of it, and a run in it has its
    // paragraph's look.
    if (sgc == 2 && sti == kWordStiDefaultParagraphFont) continue;
    xMorvaWordStyle& style = fStyles[istd];
    style.sgc = sgc;
    style.sti = sti;
    style.base = istdBase >= 0xFFE ? 0xFFFF : istdBase;
    if (wideNames) {
      const uint16_t length = std.U16();
      for (uint16_t i = 0; i < length && !std.Failed(); ++i)
        style.name.push_back(char16_t(std.U16()));
      std.Skip(2);
    } else {
      const uint8_t length = std.U8();
      const uint8_t* name = std.Span(size_t(length) + 1);
      if (name != nullptr) style.name = DecodePlainText(name, length, kTextEncodingWindows);
    }
    if (std.Failed()) return kPassAbsent;
    // The property groups, each behind its length word and padded to even.
    for (int upx = 0; upx < (sgc == 1 ? 2 : 1); ++upx) {
      if (std.Position() % 2 != 0) std.Skip(1);
      const uint16_t cb = std.U16();
      const uint8_t* bytes = std.Span(cb);
      if (std.Failed() || bytes == nullptr) return kPassAbsent;
      (sgc == 1 && upx == 0 ? fStylePapx : fStyleChpx)[istd].assign(bytes, bytes + cb);
    }
    style.exists = true;
  }
  // The document's sheet numbers: a Word 97 style's is its number; a Word
  // 6/95 style's comes from the built-in style it is (Normal 1, the
  // headings 2 to 10), else it is the next free one from the last fixed
  // number up. A number taken twice goes to the next free one.
  const uint16_t istdMaxFixed = uint16_t(stshi[8] | (stshi[9] << 8));
  std::vector<bool> used(size_t(cstd) + 64, false);
  auto take = [&](size_t wanted) {
    while (wanted < used.size() && used[wanted]) ++wanted;
    if (wanted >= used.size()) used.resize(wanted + 1, false);
    used[wanted] = true;
    return int16_t(std::min<size_t>(wanted, 32766));
  };
  for (uint16_t istd = 0; istd < cstd; ++istd) {
    xMorvaWordStyle& style = fStyles[istd];
    if (!style.exists) continue;
    size_t wanted = size_t(istd) + 1;
    if (!fFib.word97) {
      if (style.sti == 0) wanted = 1;
      else if (style.sti <= 9) wanted = size_t(style.sti) + 1;
      else wanted = std::max<size_t>(istdMaxFixed, 1);
    }
    style.sheet = take(wanted);
  }
  return 0;
}

int16_t xMorvaImportWord::SheetOf(uint16_t istd) const {
  return istd < fStyles.size() && fStyles[istd].exists ? fStyles[istd].sheet : 0;
}

void xMorvaImportWord::ApplyCharacterStyle(uint16_t istd, xMorvaWordChp& chp) const {
  // Bases first; a chain longer than any real one (or a style whose own
  // properties name a character style again) goes no deeper.
  if (fStyleDepth > 8) return;
  std::vector<uint16_t> chain;
  for (uint16_t at = istd; at < fStyles.size() && fStyles[at].exists && chain.size() < 16;
       at = fStyles[at].base)
    chain.push_back(at);
  ++fStyleDepth;
  const int16_t style = chp.style;
  for (auto at = chain.rbegin(); at != chain.rend(); ++at) {
    if (fStyles[*at].sgc != 2 || *at >= fStyleChpx.size()) continue;
    const std::vector<uint8_t>& chpx = fStyleChpx[*at];
    ByteSpanReader in(chpx.data(), chpx.size(), ByteSpanReader::Order::kLittle);
    while (in.Remaining() != 0)
      if (ApplyCharacterSprm(in, chp) != 0) break;
  }
  chp.style = style;
  --fStyleDepth;
}

void xMorvaImportWord::ApplyPieceProperties() {
  if (fPieceProperties.empty()) return;
  std::sort(fPieceProperties.begin(), fPieceProperties.end(),
            [](const PieceProperties& a, const PieceProperties& b) { return a.first < b.first; });
  auto pieceAt = [&](uint32_t cp) -> const PieceProperties* {
    auto after = std::upper_bound(fPieceProperties.begin(), fPieceProperties.end(), cp,
                                  [](uint32_t at, const PieceProperties& p) { return at < p.first; });
    if (after == fPieceProperties.begin() || cp >= (after - 1)->limit) return nullptr;
    return &*(after - 1);
  };
  // The character runs split at the pieces' edges, in one pass.
  std::vector<uint32_t> edges;
  for (const PieceProperties& piece : fPieceProperties) {
    edges.push_back(piece.first);
    edges.push_back(piece.limit);
  }
  std::sort(edges.begin(), edges.end());
  std::stable_sort(fCharacterRuns.begin(), fCharacterRuns.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<xMorvaWordCharacterRun> runs;
  runs.reserve(fCharacterRuns.size() + edges.size());
  for (const xMorvaWordCharacterRun& run : fCharacterRuns) {
    uint32_t from = run.first;
    for (auto edge = std::upper_bound(edges.begin(), edges.end(), from);
         edge != edges.end() && *edge < run.limit; ++edge) {
      if (*edge <= from) continue;
      runs.push_back({from, *edge, run.chp});
      from = *edge;
    }
    runs.push_back({from, run.limit, run.chp});
  }
  for (xMorvaWordCharacterRun& run : runs) {
    const PieceProperties* piece = pieceAt(run.first);
    if (piece == nullptr) continue;
    ByteSpanReader in(piece->grpprl.data(), piece->grpprl.size(), ByteSpanReader::Order::kLittle);
    while (in.Remaining() != 0)
      if (ApplyCharacterSprm(in, run.chp) != 0) break;
  }
  fCharacterRuns = std::move(runs);
  for (xMorvaWordParagraphRun& run : fParagraphRuns) {
    const PieceProperties* piece = run.limit > run.first ? pieceAt(run.limit - 1) : nullptr;
    if (piece == nullptr) continue;
    ByteSpanReader in(piece->grpprl.data(), piece->grpprl.size(), ByteSpanReader::Order::kLittle);
    while (in.Remaining() != 0)
      if (ApplyParagraphSprm(in, run.pap) != 0) break;
  }
}

int32_t xMorvaImportWord::ResolveStyle(uint16_t istd, std::vector<uint8_t>& state) {
  // 0 not yet, 1 being resolved (a base chain that meets it is a cycle), 2 done.
  if (state[istd] == 2) return 0;
  if (state[istd] == 1) return kPassAbsent;
  state[istd] = 1;
  xMorvaWordStyle& style = fStyles[istd];
  xMorvaWordChp chp;
  chp.font = fDefaultFont;
  xMorvaWordPap pap;
  if (style.base != 0xFFFF && style.base < fStyles.size() && fStyles[style.base].exists) {
    if (int32_t code = ResolveStyle(style.base, state); code != 0) return code;
    chp = fStyles[style.base].chp;
    pap = fStyles[style.base].pap;
  }
  const std::vector<uint8_t>& papx = fStylePapx[istd];
  if (papx.size() >= 2) {
    ByteSpanReader in(papx.data() + 2, papx.size() - 2, ByteSpanReader::Order::kLittle);
    while (in.Remaining() != 0)
      if (ApplyParagraphSprm(in, pap) != 0) break;
  }
  const std::vector<uint8_t>& chpx = fStyleChpx[istd];
  ByteSpanReader in(chpx.data(), chpx.size(), ByteSpanReader::Order::kLittle);
  while (in.Remaining() != 0)
    if (ApplyCharacterSprm(in, chp) != 0) break;
  pap.istd = istd;
  style.chp = chp;
  style.pap = std::move(pap);
  state[istd] = 2;
  return 0;
}

int32_t xMorvaImportWord::ResolveStyleBases() {
  std::vector<uint8_t> state(fStyles.size(), 0);
  for (uint16_t istd = 0; istd < fStyles.size(); ++istd)
    if (fStyles[istd].exists)
      if (int32_t code = ResolveStyle(istd, state); code != 0) return code;
  return 0;
}

xMorvaWordDate xMorvaImportWord::DateOfDttm(uint32_t dttm) {
  xMorvaWordDate date;
  date.seconds = int32_t(((dttm >> 6) & 0x1F) * 3600 + (dttm & 0x3F) * 60);
  date.day = int32_t((dttm >> 11) & 0x1F);
  date.month = int32_t((dttm >> 16) & 0x0F);
  date.year = int32_t((dttm >> 20) & 0x1FF);
  return date;
}

int32_t xMorvaImportWord::ReadDop(const std::vector<uint8_t>& table) {
  if (fFib.lcbDop == 0) return 0;
  if (uint64_t(fFib.fcDop) + fFib.lcbDop > table.size()) return kPassAbsent;
  // A shorter block (Word 6/95's) reads as if zero-filled to 500 bytes.
  uint8_t dop[500] = {};
  std::copy_n(table.data() + fFib.fcDop, std::min<size_t>(fFib.lcbDop, sizeof dop), dop);
  ByteSpanReader in(dop, sizeof dop, ByteSpanReader::Order::kLittle);
  fDop.widowControl = (in.U16() & 0x0002) != 0;
  in.Seek(6);
  fDop.mirrorMargins = (in.U16() & 0x0020) != 0;
  // dxaTab, the default tab interval in twips, at offset 10 of the DOP
  // of Word 6, 95 and 97 alike; a DOP that ends before it gives none.
  in.Seek(10);
  const uint16_t dxaTab = in.U16();
  if (fFib.lcbDop >= 12) fDop.defaultTab = dxaTab;
  in.Seek(0x14);
  fDop.created = DateOfDttm(in.U32());
  fDop.revised = DateOfDttm(in.U32());
  in.Seek(0x52);
  fDop.pageView = (in.U16() & 7) == (fFib.word97 ? 1 : 2);
  return 0;
}

int32_t xMorvaImportWord::ReadAssociatedStrings(const std::vector<uint8_t>& table) {
  if (fFib.lcbSttbfAssoc == 0) return 0;
  if (uint64_t(fFib.fcSttbfAssoc) + fFib.lcbSttbfAssoc > table.size()) return kPassAbsent;
  ByteSpanReader in(table.data() + fFib.fcSttbfAssoc, fFib.lcbSttbfAssoc,
                    ByteSpanReader::Order::kLittle);
  bool extended = false;
  uint32_t count = 0xFFFFFFFFu;
  uint16_t cbExtra = 0;
  if (fFib.word97) {
    uint16_t first = in.U16();
    extended = first == 0xFFFF;
    if (extended) first = in.U16();
    count = first;
    cbExtra = in.U16();
  } else {
    in.U16();  // the table's byte count: the strings run to its end
  }
  const int32_t encoding = fFib.chsTables == 256 ? kTextEncodingMac : kTextEncodingWindows;
  for (uint32_t i = 0; i < count && in.Remaining() != 0; ++i) {
    std::u16string text;
    if (extended) {
      const uint16_t cch = in.U16();
      if (cch > 128 || size_t(cch) * 2 > in.Remaining()) return kPassAbsent;
      for (uint16_t k = 0; k < cch; ++k) text.push_back(char16_t(in.U16()));
    } else {
      const uint8_t cch = in.U8();
      const uint8_t* bytes = in.Span(cch);
      if (bytes == nullptr) return kPassAbsent;
      text = DecodePlainText(bytes, cch, encoding);
    }
    if (!in.Skip(cbExtra)) return kPassAbsent;
    switch (i) {
      case 2: fInfos.title = std::move(text); break;
      case 3: fInfos.subject = std::move(text); break;
      case 5: fInfos.notes = std::move(text); break;
      case 6: fInfos.author = std::move(text); break;
      default: break;
    }
  }
  return in.Failed() ? kPassAbsent : 0;
}
