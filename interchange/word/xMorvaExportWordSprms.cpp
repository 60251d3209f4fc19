// The Word writer's property encoders: the document's character,
// paragraph and page properties as Word 97 sprms (a two-byte opcode and its
// operand, little-endian), and the small value mappings they use.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>

#include "document/DocumentUnits.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaPropertiesStates.h"
#include "document/xMorvaTabs.h"
#include "graphics/printing/VPrintSettings.h"
#include "interchange/fields/xMorvaPageNumberForm.h"
#include "interchange/pages/xMorvaHeaderFooterFit.h"
#include "interchange/word/xMorvaExportWord.h"
#include "platform/bytes/ByteAppend.h"

namespace {

void Sprm(std::vector<uint8_t>& out, uint16_t opcode) { AppendLE16(out, opcode); }
void SprmByte(std::vector<uint8_t>& out, uint16_t opcode, uint8_t value) {
  AppendLE16(out, opcode);
  out.push_back(value);
}
void SprmWord(std::vector<uint8_t>& out, uint16_t opcode, uint16_t value) {
  AppendLE16(out, opcode);
  AppendLE16(out, value);
}
void SprmLong(std::vector<uint8_t>& out, uint16_t opcode, uint32_t value) {
  AppendLE16(out, opcode);
  AppendLE32(out, value);
}

// Positions in twips fit the operands' 16 bits.
uint16_t Twips16(int32_t pixels) {
  return uint16_t(int16_t(std::clamp(PixelsToTwips(pixels), -32768, 32767)));
}

// Whether a value is to be written: it differs from the base's, or, without
// a base, from the default.
bool Differs(const xMorvaProperties& values, const xMorvaProperties* base, uint16_t id,
             int32_t fallback) {
  const int32_t value = values.GetProperty(id);
  return base != nullptr ? value != base->GetProperty(id) : value != fallback;
}

uint8_t BorderLines(int32_t style) {
  switch (style) {
    case 1:
    case 2:
    case 4:
    case 5: return 1;
    case 7:
    case 8:
    case 9: return 2;
    default: return 0;
  }
}

// The TBD of a stop: alignment in bits 0-2, leader in bits 3-5.
uint8_t TabDescriptor(uint8_t kind, uint8_t leader) {
  uint8_t jc = 0;
  switch (kind) {
    case 2: jc = 1; break;
    case 3: jc = 2; break;
    case 4: jc = 3; break;
    case 5: jc = 4; break;
    default: break;
  }
  uint8_t tlc = 1;
  if (leader == 0) tlc = 0;
  else if (leader == '-') tlc = 2;
  else if (leader == '_') tlc = 3;
  return uint8_t(jc | tlc << 3);
}

struct WordStop {
  int16_t position;  // twips
  uint8_t tbd;
};

// The stops as Word takes them: each bar followed by a left stop at the bar
// plus the border spacing, sorted, one stop a position, at most 64 in all.
std::vector<WordStop> WordStops(const xMorvaProperties& values, const xMorvaTabs& tabs) {
  std::vector<WordStop> stops;
  const int32_t spacing = values.GetProperty(kPropBorderSpacing);
  for (int32_t i = 0; i < tabs.Count(); ++i) {
    const uint32_t stop = tabs.StopAt(i);
    const int32_t pixels = TabStopPosition(stop);
    const bool bar = TabStopKind(stop) == 5;
    const size_t needed = bar ? 2 : 1;
    if (stops.size() + needed > size_t(kWordMaxTabs)) break;
    stops.push_back({int16_t(Twips16(pixels)), TabDescriptor(TabStopKind(stop), TabStopLeader(stop))});
    if (bar) stops.push_back({int16_t(Twips16(pixels + spacing)), 0});
  }
  std::stable_sort(stops.begin(), stops.end(),
                   [](const WordStop& a, const WordStop& b) { return a.position < b.position; });
  stops.erase(std::unique(stops.begin(), stops.end(),
                          [](const WordStop& a, const WordStop& b) { return a.position == b.position; }),
              stops.end());
  return stops;
}

// sprmPChgTabsPapx: the positions of the stops deleted, ascending, then
// the stops added. Its length is one byte: 2 + 2 x deleted + 3 x added
// bytes at most 255, so the deletions are cut where they would pass it.
void TabOperand(std::vector<uint8_t>& out, const std::vector<WordStop>& stops, std::vector<int16_t> deleted) {
  const size_t n = stops.size();
  deleted.resize(std::min({deleted.size(), size_t(kWordMaxTabs), (255 - 2 - 3 * n) / 2}));
  AppendLE16(out, 0xC60D);
  out.push_back(uint8_t(2 * deleted.size() + 3 * n + 2));
  out.push_back(uint8_t(deleted.size()));
  for (int16_t position : deleted) AppendLE16(out, uint16_t(position));
  out.push_back(uint8_t(n));
  for (const WordStop& stop : stops) AppendLE16(out, uint16_t(stop.position));
  for (const WordStop& stop : stops) out.push_back(stop.tbd);
}

}  // namespace

uint8_t xMorvaExportWord::ColorToIco(int32_t colour) {
  if (colour == kColourNone) return 8;
  switch (colour & 0xFFFFFF) {
    case 0x000000: return 1;
    case 0xFF9933:
    case 0xFFE6B3: return 2;
    case 0xFF9900: return 3;
    case 0x19CC00:
    case 0xB3FFB3: return 4;
    case 0xFF00CC:
    case 0xFFC0FF: return 5;
    case 0x0000FF:
    case 0xB3B3FF: return 6;
    case 0x00E6FF:
    case 0xCCFFFF: return 7;
    case 0xFFFFFF: return 8;
    case 0x800000: return 9;
    case 0x808000: return 10;
    case 0x008000: return 11;
    case 0x800080: return 12;
    case 0x000080: return 13;
    case 0x008080:
    case 0x0099FF:
    case 0xA6D9FF: return 14;
    case 0x666666: return 15;
    case 0xCCCCCC: return 16;
    default: return 0;
  }
}

uint8_t xMorvaExportWord::NearestIco(int32_t colour) {
  if (colour == kColourNone) return 0;
  if (const uint8_t exact = ColorToIco(colour); exact != 0) return exact;
  // The palette as the reader shows it, 0xBBGGRR.
  static constexpr int32_t kPalette[17] = {0,        0x000000, 0xFF9933, 0xFF9900, 0x19CC00, 0xFF00CC,
                                           0x0000FF, 0x00E6FF, 0xFFFFFF, 0x800000, 0x808000, 0x008000,
                                           0x800080, 0x000080, 0x008080, 0x666666, 0xCCCCCC};
  uint8_t best = 1;
  int64_t bestDistance = INT64_MAX;
  for (uint8_t ico = 1; ico <= 16; ++ico) {
    int64_t distance = 0;
    for (int shift : {0, 8, 16}) {
      const int64_t d = int64_t((colour >> shift) & 0xFF) - ((kPalette[ico] >> shift) & 0xFF);
      distance += d * d;
    }
    if (distance < bestDistance) {
      bestDistance = distance;
      best = ico;
    }
  }
  return best;
}

uint32_t xMorvaExportWord::MakeBrc(int32_t style, int32_t colour, int32_t spacing) {
  uint8_t width = 0;
  uint8_t type = 0;
  switch (style) {
    case 0:
    case 3: width = 1, type = 1; break;
    case 1:
    case 4: width = 3, type = 1; break;
    case 2:
    case 5: width = 5, type = 1; break;
    case 7: width = 1, type = 12; break;
    case 8: width = 1, type = 13; break;
    case 9: width = 1, type = 11; break;
    default: break;
  }
  const uint32_t points = uint32_t(std::max(spacing, 0) * 72 / GetScreenResolution()) & 0x1F;
  const uint32_t second = ColorToIco(colour) | points << 8;
  return uint32_t(width | type << 8) | second << 16;
}

uint16_t xMorvaExportWord::MakeShd(int32_t colour) { return uint16_t(ColorToIco(colour) | 0x0500); }

uint32_t xMorvaExportWord::MakeDttm(const VDateRec& date, int32_t seconds) {
  const uint32_t minutes = uint32_t(seconds / 60 % 60);
  const uint32_t hours = uint32_t(seconds / 3600 % 24);
  const uint32_t low = (minutes & 0x3F) | (hours & 0x1F) << 6 | (uint32_t(date.day) & 0x1F) << 11;
  const uint32_t high = (uint32_t(date.month) & 0xF) | (uint32_t(date.year - 1900) & 0x1FF) << 4;
  return low | high << 16;
}

int32_t xMorvaExportWord::EncodeParagraphSprms(std::vector<uint8_t>& out, const xMorvaProperties& values,
                                               const xMorvaTabs& tabs, const xMorvaProperties* base,
                                               uint8_t& topBorder, const xMorvaTabs* baseTabs) {
  int32_t count = 0;
  if (Differs(values, base, kPropAlignment, 0)) {
    SprmByte(out, 0x2403, uint8_t(values.GetProperty(kPropAlignment)));
    ++count;
  }
  // The style's stops that the paragraph has none at are deleted: readers
  // add the paragraph's stops to its style's.
  const std::vector<WordStop> stops = WordStops(values, tabs);
  std::vector<int16_t> deleted;
  if (base != nullptr && baseTabs != nullptr) {
    for (const WordStop& stop : WordStops(*base, *baseTabs)) {
      if (std::none_of(stops.begin(), stops.end(), [&](const WordStop& own) { return own.position == stop.position; }))
        deleted.push_back(stop.position);
    }
  }
  if (!stops.empty() || !deleted.empty()) {
    TabOperand(out, stops, std::move(deleted));
    ++count;
  }
  const int32_t style = values.GetProperty(kPropBorderStyle);
  if (base != nullptr ? style != base->GetProperty(kPropBorderStyle) : BorderLines(style) != 0) {
    SprmByte(out, 0x2408, BorderLines(style));
    ++count;
  }
  static constexpr struct {
    uint16_t id, opcode;
  } kIndents[] = {{kPropRightIndent, 0x840E}, {kPropLeftIndent, 0x840F}, {kPropFirstLineIndent, 0x8411}};
  for (const auto& indent : kIndents) {
    if (!Differs(values, base, indent.id, 0)) continue;
    SprmWord(out, indent.opcode, Twips16(values.GetProperty(indent.id)));
    ++count;
  }
  // Single spacing is ten tenths of a line, the default.
  if (Differs(values, base, kPropInterline, 10)) {
    Sprm(out, 0x6412);
    AppendLE16(out, uint16_t(int16_t(values.GetProperty(kPropInterline) * 24)));
    AppendLE16(out, 1);
    ++count;
  }
  const uint32_t brc = MakeBrc(style, values.GetProperty(kPropBorderColour), values.GetProperty(kPropBorderSpacing));
  auto border = [&](uint16_t id) {
    return values.GetProperty(id) != 0 && (base == nullptr || values.GetProperty(id) != base->GetProperty(id));
  };
  uint8_t top = 0;
  if (border(kPropTopBorder)) {
    if (topBorder != 0) {
      SprmLong(out, 0x6428, brc);
      ++count;
    }
    SprmLong(out, 0x6424, brc);
    ++count;
    top = 1;
  }
  static constexpr struct {
    uint16_t id, opcode;
  } kSides[] = {{kPropBottomBorder, 0x6426}, {kPropLeftBorder, 0x6425}, {kPropRightBorder, 0x6427}};
  for (const auto& side : kSides) {
    if (!border(side.id)) continue;
    SprmLong(out, side.opcode, brc);
    ++count;
  }
  topBorder = top;
  const int32_t back = values.GetProperty(kPropParagraphBackColour);
  if (base != nullptr ? back != base->GetProperty(kPropParagraphBackColour) : ColorToIco(back) != 0 && back != kColourNone) {
    SprmWord(out, 0x442D, MakeShd(back));
    ++count;
  }
  return count;
}

int32_t xMorvaExportWord::EncodeCharacterSprms(std::vector<uint8_t>& out, const xMorvaProperties& values,
                                               const xMorvaProperties* base, uint16_t standardFtc,
                                               bool basedOnNothing, const xMorvaPropertiesStates* stated) {
  int32_t count = 0;
  const auto isStated = [stated](uint16_t id) { return stated != nullptr && stated->GetState(id) == 1; };
  const auto differs = [&](uint16_t id, int32_t fallback) {
    return Differs(values, base, id, fallback) || isStated(id);
  };
  static constexpr struct {
    uint16_t id, opcode;
  } kToggles[] = {{kPropBold, 0x0835}, {kPropItalic, 0x0836}, {kPropStrikeOut, 0x0837}, {kPropShadow, 0x0839}};
  for (const auto& toggle : kToggles) {
    if (!differs(toggle.id, 0)) continue;
    SprmByte(out, toggle.opcode, values.GetProperty(toggle.id) != 0 ? 1 : 0);
    ++count;
  }
  if (differs(kPropLetterCase, 0)) {
    const int32_t letterCase = values.GetProperty(kPropLetterCase);
    if (letterCase == 1) {
      SprmByte(out, 0x083B, 1);
      ++count;
    } else if (letterCase == 2) {
      SprmByte(out, 0x083A, 1);
      ++count;
    } else if (base != nullptr) {
      SprmByte(out, 0x083A, 0);
      SprmByte(out, 0x083B, 0);
      count += 2;
    }
  }
  const int32_t font = values.GetProperty(kPropFont);
  const uint16_t ftc = uint16_t(std::max(font - 1, 0));
  const bool fontChanged = base == nullptr || font != base->GetProperty(kPropFont) || isStated(kPropFont);
  if (base != nullptr ? fontChanged : ftc != standardFtc || isStated(kPropFont)) {
    SprmWord(out, 0x4A4F, ftc);
    SprmWord(out, 0x4A51, ftc);
    count += 2;
  }
  if (differs(kPropUnderline, 0)) {
    const int32_t underline = values.GetProperty(kPropUnderline);
    SprmByte(out, 0x2A3E, uint8_t(underline >= 0 && underline <= 4 ? underline : 1));
    ++count;
  }
  if (differs(kPropTextColour, 0)) {
    // The palette entry for readers of the palette alone, then the exact
    // colour (red, green, blue, 0); no colour is the automatic one in both.
    const int32_t colour = values.GetProperty(kPropTextColour);
    SprmByte(out, 0x2A42, NearestIco(colour));
    SprmLong(out, 0x6870, colour == kColourNone ? 0xFF000000u : uint32_t(colour) & 0xFFFFFF);
    count += 2;
  }
  if (base != nullptr ? (differs(kPropSize, 0) || fontChanged) : values.GetProperty(kPropSize) != 10 || isStated(kPropSize)) {
    SprmWord(out, 0x4A43, uint16_t(values.GetProperty(kPropSize) * 2));
    ++count;
  }
  if (differs(kPropVerticalPosition, 0)) {
    const int32_t position = values.GetProperty(kPropVerticalPosition);
    SprmByte(out, 0x2A48, uint8_t(position == 1 || position == 2 ? position : 0));
    ++count;
  }
  const int32_t back = values.GetProperty(kPropBackColour);
  if (differs(kPropBackColour, kColourNone) && back != values.GetProperty(kPropParagraphBackColour)) {
    SprmByte(out, 0x2A0C, NearestIco(back));
    ++count;
  }
  if (base == nullptr && basedOnNothing) {
    SprmWord(out, 0x486D, 0x040C);
    ++count;
  }
  return count;
}

int32_t xMorvaExportWord::EncodeSectionSprms(std::vector<uint8_t>& out, xMorvaDocument& document,
                                             const xMorvaPageNumberNotes* notes) {
  const xMorvaDocParams& params = document.GetParams();
  const xMorvaPageBands& bands = params.GetBands(false);
  int32_t count = 0;
  auto length = [&](uint16_t opcode, int32_t pixels, int32_t defaultTwips) {
    if (pixels == TwipsToPixels(defaultTwips)) return;
    SprmWord(out, opcode, Twips16(pixels));
    ++count;
  };
  // The page's sides, margins and header and footer distances go out even
  // at Word's defaults: a reader that finds none takes its own (LibreOffice
  // its A4 and margins of 2 cm and 2.5 cm), not Word's, and a file without
  // section properties loses its header and footer there.
  auto always = [&](uint16_t opcode, int32_t pixels) {
    SprmWord(out, opcode, Twips16(pixels));
    ++count;
  };
  // The binding's side on the first page: with alternating bindings the
  // first page is a left-hand page, and the section starts on an even page
  // (3); a title page starts it on an odd one (4) otherwise. Without, the
  // binding is on the right of every page (sprmSFRTLGutter).
  const bool bindingOnRight = params.GetBindingLeft() == 0;
  const bool alternate = params.GetAlternateBinding() != 0;
  if (params.GetDifferentFirstPage() != 0 || (alternate && bindingOnRight)) {
    SprmByte(out, 0x3009, alternate && bindingOnRight ? 3 : 4);
    ++count;
  }
  if (params.GetDifferentFirstPage() != 0) {
    SprmByte(out, 0x300A, 1);
    ++count;
  }
  if (!alternate && bindingOnRight) {
    SprmByte(out, 0x322A, 1);
    ++count;
  }
  if (params.GetColumns() > 1) {
    SprmWord(out, 0x500B, uint16_t(params.GetColumns() - 1));
    ++count;
    length(0x900C, params.GetColumnSpacing(), 720);
  }
  always(0xB017, bands.headerTop);
  // The footer's distance is where its last line ends; without footer
  // text the band's upper edge, where typed lines would start.
  always(0xB018, FooterDistanceOf(document));
  if (params.GetColumnLines() != 0) {
    SprmByte(out, 0x3019, 1);
    ++count;
  }
  // The page numbers' format (sprmSNfcPgn's nfc: 1 upper and 2 lower
  // roman, 3 upper and 4 lower letters); decimal, Word's own, and the named
  // lists, which Word has not, write none.
  static constexpr uint8_t kNfcOfStyle[] = {0, 4, 3, 2, 1};
  if (const int32_t style = PageNumberStyleOf(document, notes); style > 0 && style < int32_t(std::size(kNfcOfStyle))) {
    SprmByte(out, 0x300E, kNfcOfStyle[style]);
    ++count;
  }
  if (params.GetFirstPageNumber() != 1) {
    // The numbering restarts at the section (sprmSFPgnRestart): without it
    // Word and LibreOffice pass over the first page number.
    SprmByte(out, 0x3011, 1);
    SprmWord(out, 0x501C, uint16_t(params.GetFirstPageNumber()));
    count += 2;
  }
  if (VPrintSettings* printer = document.GetPrinter(); printer != nullptr && printer->IsLandscape()) {
    SprmByte(out, 0x301D, 2);  // 2 across, 1 upright
    ++count;
  }
  // The page's sides are unsigned words (up to 45.5 inches), a named
  // paper's in its exact size.
  int32_t pageWidth = 0;
  int32_t pageHeight = 0;
  document.GetPageTwips(pageWidth, pageHeight);
  for (const auto& [opcode, twips] : {std::pair{uint16_t(0xB01F), pageWidth}, std::pair{uint16_t(0xB020), pageHeight}}) {
    SprmWord(out, opcode, uint16_t(std::clamp(twips, 0, 65535)));
    ++count;
  }
  always(0xB021, params.GetLeftMargin());
  always(0xB022, params.GetRightMargin());
  // One section has one top and one bottom margin, which Word and the
  // readers widen on the pages whose header or footer needs more room.
  always(0x9023, SectionTopMarginOf(document));
  always(0x9024, SectionBottomMarginOf(document));
  length(0xB025, params.GetBinding(), 0);
  return count;
}
