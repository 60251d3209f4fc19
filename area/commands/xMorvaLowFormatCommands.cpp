// The point-based host commands on the look of the text: character and
// paragraph attributes (11 to 16, 61, 63) and tab stops (17, 18), in
// points, 0xRRGGBB colours, style bits and codes.
#include <algorithm>
#include <cmath>

#include "area/commands/xMorvaCommandValues.h"
#include "area/commands/xMorvaLowCommandInputs.h"
#include "area/commands/xMorvaLowTextCommands.h"
#include "area/commands/xMorvaPointConversions.h"
#include "area/commands/xMorvaTextCommandSupport.h"
#include "area/xMorvaMain.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaTabs.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/environment/VSystemServices.h"
#include "platform/toolbox/TbxHandles.h"

// Named, not anonymous: the area's files are compiled in batches.
namespace low_format_commands {

namespace convert = xMorvaPointConversions;
using xMorvaCommandValues::At;
using xMorvaCommandValues::LongAt;
using xMorvaCommandValues::PutLong;
using xMorvaCommandValues::PutWord;
using xMorvaCommandValues::WordAt;
using xMorvaTextCommands::ResolveTextArea;
using xMorvaTextCommands::TextArea;

constexpr int32_t kErrorLeftIndent = 1003;
constexpr int32_t kErrorFirstLineLeft = 1004;
constexpr int32_t kErrorFirstLineRight = 1005;
constexpr int32_t kErrorTabRequest = 1006;
constexpr int32_t kErrorTabArray = 1007;
constexpr int32_t kErrorValueRange = 1055;
constexpr uint16_t kUndoOneProperty = 0;
constexpr uint16_t kUndoProperties = 1;
// The narrowest text a paragraph's indents leave.
constexpr int32_t kNarrowestText = 50;
// The most stops the point-based tab commands read and add.
constexpr int32_t kMostStops = int32_t(xMorvaLowCommandInputs::kTabArrayElements);
constexpr int16_t kLastAlignment = 3;
constexpr int16_t kLastTabKindCode = 3;

// Runs `edit` over the selection in one undo step of kind 1 within one
// change, and refreshes: the edit's code ends the step (cancelled unless 0).
template <typename Edit>
int32_t InPropertiesStep(xMorvaDocument& document, xMorvaEngine& engine, Edit&& edit) {
  document.BeginChange();
  engine.BeginUndoStep(kUndoProperties, 0);
  const int32_t code = edit();
  engine.EndUndoStep(code);
  document.EndChange();
  document.Refresh(false, false);
  return code;
}

// Sets each (id, value) in turn while no error occurred: the first
// failing property's code.
int32_t SetEach(xMorvaEngine& engine, std::initializer_list<std::pair<uint16_t, int32_t>> values) {
  for (const auto& [id, value] : values) {
    if (const int32_t code = engine.SetPropertyValue(id, value); code != 0) return code;
  }
  return 0;
}

// Reads the selection's paragraph properties, from the paragraph at the
// selection's start when any of `ids` is not uniform.
template <typename Read>
void ReadParagraph(xMorvaEngine& engine, std::initializer_list<uint16_t> ids, Read&& read) {
  const bool mixed = std::any_of(ids.begin(), ids.end(), [&](uint16_t id) { return engine.GetPropertyState(id) != 1; });
  if (!mixed) {
    read();
    return;
  }
  int32_t start = 0, end = 0;
  engine.SaveSelectionState(start, end);
  engine.SetSelection(start, start);
  read();
  engine.RestoreSelectionState();
}

// ---- Character attributes

// Command 11: font number, size, style bits and colour of the selection;
// -1 for each that is not uniform.
void ReadCharacter(xMorvaEngine& engine, xMorvaDocument& document, void** p) {
  const auto uniform = [&](uint16_t id) { return engine.GetPropertyState(id) == 1; };
  int16_t font = -1;
  if (uniform(kPropFont)) {
    VStr<255> name;
    bool known = false;
    document.FontNameForIndex(engine.GetPropertyValue(kPropFont), name, known);
    font = VSystemServices::GetFontNumber(name);
  }
  const bool styled = uniform(kPropBold) && uniform(kPropItalic) && uniform(kPropUnderline) &&
                      uniform(kPropShadow) && uniform(kPropVerticalPosition);
  PutWord(At(p, 1), font);
  PutWord(At(p, 2), uniform(kPropSize) ? int16_t(engine.GetPropertyValue(kPropSize)) : int16_t(-1));
  PutWord(At(p, 3), styled ? convert::StyleBitsOf(engine.GetCurrentProperties()) : int16_t(-1));
  PutLong(At(p, 4), uniform(kPropTextColour) ? convert::StoredToHostColour(engine.GetPropertyValue(kPropTextColour))
                                             : -1);
}

// Command 12: each attribute given (not negative) over the selection.
int32_t SetCharacter(xMorvaEngine& engine, xMorvaDocument& document, void** p) {
  const int16_t font = WordAt(p, 1);
  const int16_t size = WordAt(p, 2);
  const int16_t bits = WordAt(p, 3);
  const int32_t colour = LongAt(p, 4);
  return InPropertiesStep(document, engine, [&]() -> int32_t {
    int32_t code = 0;
    if (font >= 0) {
      VStr<255> name;
      VSystemServices::GetFontName(font, name);
      // A number that names no system font changes nothing.
      if (name.GetLength() > 0) code = engine.SetPropertyValue(kPropFont, document.FontIndexForName(name));
    }
    if (code == 0 && size > 0 && size < 255) code = engine.SetPropertyValue(kPropSize, size);
    if (code == 0 && bits >= 0) {
      code = SetEach(engine, {{kPropBold, (bits & convert::kStyleBold) != 0 ? 1 : 0},
                              {kPropItalic, (bits & convert::kStyleItalic) != 0 ? 1 : 0},
                              {kPropUnderline, (bits & convert::kStyleUnderline) != 0 ? 1 : 0},
                              {kPropShadow, (bits & convert::kStyleShadow) != 0 ? 1 : 0},
                              {kPropVerticalPosition, convert::VerticalPositionOfBits(bits, false)}});
    }
    if (code == 0 && colour >= 0) code = engine.SetPropertyValue(kPropTextColour, convert::HostToStoredColour(colour));
    return code;
  });
}

// Command 63: the style bits of p[1] cleared, then those of p[2] set; 64
// sets superscript and 32 subscript here.
int32_t ChangeStyleBits(xMorvaEngine& engine, xMorvaDocument& document, void** p) {
  static constexpr std::pair<int16_t, uint16_t> kBits[] = {{convert::kStyleBold, kPropBold},
                                                          {convert::kStyleItalic, kPropItalic},
                                                          {convert::kStyleUnderline, kPropUnderline},
                                                          {convert::kStyleShadow, kPropShadow}};
  const int16_t clear = WordAt(p, 1);
  const int16_t set = WordAt(p, 2);
  const int16_t vertical = convert::kStyleSuperscript | convert::kStyleSubscript;
  return InPropertiesStep(document, engine, [&]() -> int32_t {
    int32_t code = 0;
    for (const auto& [bit, id] : kBits) {
      if (code == 0 && (clear & bit) != 0) code = engine.SetPropertyValue(id, 0);
    }
    if (code == 0 && (clear & vertical) != 0) code = engine.SetPropertyValue(kPropVerticalPosition, 0);
    for (const auto& [bit, id] : kBits) {
      if (code == 0 && (set & bit) != 0) code = engine.SetPropertyValue(id, 1);
    }
    if (code == 0 && (set & vertical) != 0) {
      code = engine.SetPropertyValue(kPropVerticalPosition, convert::VerticalPositionOfBits(set, true));
    }
    return code;
  });
}

// ---- Paragraph attributes

// Command 13: left indent, first line and right edge, in points.
void ReadIndents(xMorvaEngine& engine, xMorvaDocument& document, void** p) {
  const int32_t right = convert::RightEdgeOf(document);
  ReadParagraph(engine, {kPropLeftIndent, kPropFirstLineIndent, kPropRightIndent}, [&] {
    const int32_t left = engine.GetPropertyValue(kPropLeftIndent);
    // The first line's place is converted as one length, as command 14
    // took it, so that the place a host set reads back unchanged.
    const int32_t first = left + engine.GetPropertyValue(kPropFirstLineIndent);
    PutWord(At(p, 1), int16_t(convert::PixelsToPoints(left)));
    PutWord(At(p, 2), int16_t(convert::PixelsToPoints(first)));
    PutWord(At(p, 3), int16_t(convert::PixelsToPoints(right - engine.GetPropertyValue(kPropRightIndent))));
  });
}

// Command 14: the indents from the left edge, the first line's and the
// right edge's places; a negative value keeps its indent.
int32_t SetIndents(xMorvaEngine& engine, xMorvaDocument& document, void** p) {
  const int32_t w = convert::RightEdgeOf(document);
  int32_t left = convert::PointsToPixels(WordAt(p, 1));
  int32_t first = convert::PointsToPixels(WordAt(p, 2));
  int32_t right = convert::PointsToPixels(WordAt(p, 3));
  if (left < 0) left = engine.GetPropertyValue(kPropLeftIndent);
  first = first < 0 ? engine.GetPropertyValue(kPropFirstLineIndent) : first - left;
  right = right < 0 ? engine.GetPropertyValue(kPropRightIndent) : w - right;
  const int32_t limit = w - kNarrowestText - right;
  if (left > limit) return kErrorLeftIndent;
  if (left + first < 0) return kErrorFirstLineLeft;
  if (left + first > limit) return kErrorFirstLineRight;
  return InPropertiesStep(document, engine, [&] {
    return SetEach(engine, {{kPropLeftIndent, left}, {kPropFirstLineIndent, first}, {kPropRightIndent, right}});
  });
}

// Commands 15 and 16: one paragraph property in its own undo step.
int32_t SetParagraphProperty(xMorvaEngine& engine, xMorvaDocument& document, uint16_t id, int32_t value) {
  document.BeginChange();
  const int32_t code = engine.SetPropertyWithUndo(id, value);
  document.EndChange();
  document.Refresh(false, false);
  return code;
}

// ---- Tab stops

// The three rows' handles of words, element 0 first.
struct TabArray {
  uint32_t rows[3] = {};
};

void PutElement(uint32_t row, int32_t k, int16_t value) {
  auto* words = static_cast<uint8_t*>(Tbx::HLock(row));
  std::memcpy(words + 2 * k, &value, sizeof value);
  Tbx::HUnlock(row);
}

// Command 17: the stops of the paragraph at the selection's start.
int32_t ReadTabs(xMorvaEngine& engine, void** p) {
  TabArray array;
  if (!xMorvaLowCommandInputs::ReadTabArray(At(p, 1), array.rows)) return kErrorTabArray;
  int32_t start = 0, end = 0;
  engine.SaveSelectionState(start, end);
  engine.SetSelection(start, start);
  const xMorvaTabs& tabs = engine.GetCurrentTabs();
  const int32_t n = std::min(tabs.Count(), kMostStops);
  PutElement(array.rows[0], 0, int16_t(n));
  for (int32_t i = 1; i <= n; ++i) {
    const uint32_t stop = tabs.StopAt(i - 1);
    PutElement(array.rows[0], i, int16_t(convert::PixelsToPoints(TabStopPosition(stop))));
    PutElement(array.rows[1], i, convert::HostTabKind(TabStopKind(stop)));
    PutElement(array.rows[2], i, convert::HostTabLeader(TabStopLeader(stop)));
  }
  engine.RestoreSelectionState();
  return 0;
}

// Command 18: a stop removed by its position and one added, in one undo
// step of the tab list.
int32_t ChangeTabs(xMorvaEngine& engine, xMorvaDocument& document, void** p) {
  const int16_t removeAt = WordAt(p, 1);
  const int16_t addAt = WordAt(p, 2);
  const int16_t leader = WordAt(p, 3);
  const int16_t kind = WordAt(p, 4);
  const int32_t w = convert::RightEdgeOf(document);
  // Checked against the right edge before they are cut to the 16 bits of
  // a stop, so that a far position cannot wrap round to a negative one.
  const int32_t removeWide = convert::PointsToPixels(removeAt);
  const int32_t addWide = convert::PointsToPixels(addAt);
  if (removeWide >= w || addWide >= w || (removeAt < 0 && addAt < 0) || kind < 0 || kind > kLastTabKindCode) {
    return kErrorTabRequest;
  }
  const auto removePixels = int16_t(removeWide);
  const auto addPixels = int16_t(addWide);
  document.BeginChange();
  engine.BeginUndoStep(kUndoOneProperty, kPropTabs);
  int32_t code = 0;
  int32_t count = engine.GetCurrentTabs().Count();
  if (removeAt >= 0) {
    const xMorvaTabs& tabs = engine.GetCurrentTabs();
    for (int32_t i = 0; i < tabs.Count(); ++i) {
      const uint32_t stop = tabs.StopAt(i);
      if (TabStopPosition(stop) != removePixels) continue;
      // Kind 0 removes the stop at its position.
      code = engine.SetPropertyValue(kPropTabs, int32_t(MakeTabStop(removePixels, TabStopLeader(stop), 0)));
      if (code == 0) --count;
      break;
    }
  }
  // A paragraph with its 10 stops takes no more from this command.
  if (code == 0 && addAt >= 0 && count < kMostStops) {
    const uint32_t stop = MakeTabStop(addPixels, convert::StoredTabLeader(leader), convert::StoredTabKind(kind));
    code = engine.SetPropertyValue(kPropTabs, int32_t(stop));
  }
  engine.EndUndoStep(code);
  document.EndChange();
  document.Refresh(false, false);
  return code;
}

void Run(xMorvaMain& package, int32_t n, void** p) {
  if (n == 11 || n == 13 || n == 61) {
    const int count = n == 11 ? 4 : n == 13 ? 3 : 2;
    for (int i = 1; i <= count; ++i) {
      if (n == 11 && i == 4) {
        PutLong(At(p, i), 0);
      } else {
        PutWord(At(p, i), 0);
      }
    }
  }
  TextArea area;
  if (!ResolveTextArea(package, p, area)) return;
  xMorvaEngine& engine = *area.engine;
  xMorvaDocument& document = *area.document;
  int32_t code = 0;
  switch (n) {
    case 11: ReadCharacter(engine, document, p); break;
    case 12: code = SetCharacter(engine, document, p); break;
    case 13: ReadIndents(engine, document, p); break;
    case 14: code = SetIndents(engine, document, p); break;
    case 15: {
      const int16_t interline = WordAt(p, 1);
      code = interline < 0 || interline > convert::kLastInterlineCode
                 ? kErrorValueRange
                 : SetParagraphProperty(engine, document, kPropInterline, convert::InterlineOfCode(interline));
      break;
    }
    case 16: {
      const int16_t alignment = WordAt(p, 1);
      code = alignment < 0 || alignment > kLastAlignment
                 ? kErrorValueRange
                 : SetParagraphProperty(engine, document, kPropAlignment, alignment);
      break;
    }
    case 17: code = ReadTabs(engine, p); break;
    case 18: code = ChangeTabs(engine, document, p); break;
    case 61:
      ReadParagraph(engine, {kPropInterline, kPropAlignment}, [&] {
        PutWord(At(p, 1), convert::CodeOfInterline(engine.GetPropertyValue(kPropInterline)));
        PutWord(At(p, 2), int16_t(engine.GetPropertyValue(kPropAlignment)));
      });
      break;
    case 63: code = ChangeStyleBits(engine, document, p); break;
    default: break;
  }
  package.ReportCommandError(code);
}

}  // namespace low_format_commands

namespace xMorvaLowTextCommands {

void RunAttributeCommand(xMorvaMain& package, int32_t n, void** p, void*) { low_format_commands::Run(package, n, p); }

void RunTabCommand(xMorvaMain& package, int32_t n, void** p, void*) { low_format_commands::Run(package, n, p); }

}  // namespace xMorvaLowTextCommands
