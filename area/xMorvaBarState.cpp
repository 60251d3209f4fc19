// Command values from the selection, the status texts and the command
// groups of an area.
#include "area/xMorvaBarState.h"

#include <algorithm>
#include <string>

#include "area/xMorvaPlugIn.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaPropertiesStates.h"
#include "document/xMorvaText.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/strings/VUniString.h"

namespace {

struct ColourEntry {
  int32_t colour;
  int32_t item;
};

// Table A (text colours), B (back colours) and C (line colours); the last
// entry of each is its item for any other colour.
constexpr ColourEntry kTableA[] = {{0x000000, 602}, {0x0000FF, 603}, {0x0099FF, 604}, {0x00E6FF, 605},
                                   {0x19CC00, 606}, {0xFF9933, 607}, {0xFF00CC, 608}, {0xFFFFFF, 609},
                                   {0xCCCCCC, 610}, {0x999999, 611}, {0x666666, 612}};
constexpr int32_t kOtherA = 613;
constexpr ColourEntry kTableB[] = {{-1, 628},       {0x000000, 626}, {0xFFFFFF, 616}, {0xCCCCCC, 623},
                                   {0x999999, 624}, {0x666666, 625}, {0xB3B3FF, 617}, {0xA6D9FF, 618},
                                   {0xCCFFFF, 619}, {0xB3FFB3, 620}, {0xFFE6B3, 621}, {0xFFC0FF, 622}};
constexpr int32_t kOtherB = 627;
constexpr ColourEntry kTableC[] = {{-1, 632},       {0x000000, 633}, {0x0000FF, 634}, {0x0099FF, 635},
                                   {0x00E6FF, 636}, {0x19CC00, 637}, {0xFF9933, 638}, {0xFF00CC, 639},
                                   {0xFFFFFF, 640}, {0xCCCCCC, 641}, {0x999999, 642}, {0x666666, 643}};
constexpr int32_t kOtherC = 644;

template <size_t N>
int32_t FindColour(const ColourEntry (&table)[N], int32_t other, int32_t colour) {
  for (const ColourEntry& entry : table)
    if (entry.colour == colour) return entry.item;
  return other;
}

// The groups of the two locks.
struct IdRange {
  int32_t first;
  int32_t last;
};
constexpr IdRange kEditingGroup[] = {
    {105, 105},   {210, 211},   {220, 224},   {401, 402},  {404, 412},  {501, 509}, {520, 525},
    {530, 530},   {601, 601},   {615, 615},   {631, 631},  {645, 645},  {661, 661}, {671, 671},
    {685, 685},   {702, 702},   {710, 714},   {720, 724},  {751, 756},  {803, 806}, {1000, 1002},
    {1005, 1012}, {1020, 1028}};
constexpr IdRange kInterfaceGroup[] = {{101, 102}, {110, 110}, {301, 304}, {310, 320}, {330, 334}, {801, 801}};

template <size_t N>
void SwitchGroup(xMorvaPlugIn& area, const IdRange (&group)[N], bool enabled) {
  for (const IdRange& range : group)
    for (int32_t id = range.first; id <= range.last; ++id) EnableControl(area, id, enabled);
}

// The view option byte behind each of the commands 311 to 319 (312 and 313
// are the header and footer, set apart).
constexpr int32_t kViewFlagOf[] = {2, 0, 0, 16, 6, 15, 3, 7, 8};

// The selection of the document's current text: each property's value, and
// whether it is uniform over the selection.
class Selection {
 public:
  explicit Selection(xMorvaDocument& document) : fText(document.GetCurrentPart()) {}
  bool HasText() const { return fText != nullptr; }
  int32_t Value(uint16_t id) const { return fText != nullptr ? fText->GetPropertyValue(id) : 0; }
  bool Uniform(uint16_t id) const {
    // The document's texts are the text engine's.
    const auto* engine = static_cast<const xMorvaEngine*>(fText);
    return engine == nullptr || engine->GetPropertiesStates().GetState(id) != 0;
  }
  int16_t PlainStyle() const { return fText != nullptr ? fText->GetPlainStyleState() : 0; }
  xMorvaTextInterface* Text() const { return fText; }

 private:
  xMorvaTextInterface* fText;
};

void SetValue(xMorvaPlugIn& area, int32_t id, int32_t value) { area.VFrame::SetCommandLong(id, value, 1); }

// An on/off or choice command: `value` when the property is uniform, else
// `mixed`.
void SetFromProperty(xMorvaPlugIn& area, const Selection& selection, int32_t id, uint16_t property,
                     int32_t value, int32_t mixed = kCommandMixed) {
  SetValue(area, id, selection.Uniform(property) ? value : mixed);
}

// Commands 1000 to 1002: a text set only when it changed; a mixed selection
// empties it once, then (1000 only) shows the name of the value read.
void SetCachedText(xMorvaPlugIn& area, int32_t slot, int32_t id, bool uniform, int32_t value,
                   const VString& text) {
  xMorvaPlugIn::BarCaches& caches = area.GetBarCaches();
  if (uniform) {
    caches.mixed[slot] = 0;
    if (caches.last[slot] == value) return;
    caches.last[slot] = value;
    if (id == 1001) {
      SetValue(area, id, value);
    } else {
      area.SetCommandString(id, text, 1);
    }
    return;
  }
  if (caches.mixed[slot] == 0) {
    caches.mixed[slot] = 1;
    caches.last[slot] = -1;
    area.SetCommandString(id, VStr<1>(), 1);
  } else if (id == 1000) {
    area.SetCommandString(id, text, 1);
  }
}

void SetCharacterValues(xMorvaPlugIn& area, xMorvaDocument& document, const Selection& s) {
  SetValue(area, 501, s.PlainStyle());
  SetFromProperty(area, s, 502, kPropBold, s.Value(kPropBold));
  SetFromProperty(area, s, 503, 1, s.Value(1));
  SetFromProperty(area, s, 505, 3, s.Value(3));
  SetFromProperty(area, s, 504, 2, s.Value(2));
  const int32_t underline = s.Value(4);
  SetFromProperty(area, s, 520, 4, 521 + underline);
  SetFromProperty(area, s, 530, 4, underline == 0 ? 0 : underline == 1 ? 1 : 2);
  SetFromProperty(area, s, 508, 6, s.Value(6) == 1 ? 1 : 0);
  SetFromProperty(area, s, 509, 6, s.Value(6) == 2 ? 1 : 0);
  SetFromProperty(area, s, 506, 5, s.Value(5) == 1 ? 1 : 0);
  SetFromProperty(area, s, 507, 5, s.Value(5) == 2 ? 1 : 0);
  SetFromProperty(area, s, 601, 9, ColourItemA(s.Value(9)));
  SetFromProperty(area, s, 615, 10, ColourItemB(s.Value(10)));
  SetFromProperty(area, s, 631, 11, ColourItemC(s.Value(11)));
  SetFromProperty(area, s, 645, 12, ColourItemC(s.Value(12), 14));
  const int32_t shadow = s.Value(13);
  SetFromProperty(area, s, 661, 13,
                  shadow == 0xCCCCCC ? 662 : shadow == 0x999999 ? 663 : shadow == 0x666666 ? 664 : 665);
  SetFromProperty(area, s, 671, 38, ColourItemB(s.Value(38), 56));
  SetFromProperty(area, s, 685, 39, ColourItemA(s.Value(39), 84));

  VStr<255> text;
  SetCachedText(area, 1, 1001, s.Uniform(8), s.Value(8), text);
  const int32_t font = s.Value(7);
  bool known = false;
  text.SetEmpty(false);
  document.FontNameForIndex(font, text, known);
  SetCachedText(area, 2, 1002, s.Uniform(7), font, text);
  const int32_t sheet = s.Value(15);
  text.SetEmpty(false);
  document.GetStyleSheetName(static_cast<int16_t>(sheet), text, true);
  SetCachedText(area, 0, 1000, s.Uniform(15), sheet, text);
}

void SetParagraphValues(xMorvaPlugIn& area, const Selection& s) {
  SetFromProperty(area, s, 710, 32, 711 + s.Value(32), kCommandNoChoice);
  // The bars' alignment buttons, a group on 710, each show their own
  // command: on for the selection's alignment, all off when it is mixed.
  for (int32_t id = 711; id <= 714; ++id) SetValue(area, id, s.Uniform(32) && 711 + s.Value(32) == id ? 1 : 0);
  const int32_t spacing = s.Value(33);
  SetFromProperty(area, s, 720, 33, spacing == 10 ? 721 : spacing == 15 ? 722 : spacing == 20 ? 723 : 724,
                  kCommandNoChoice);
  SetFromProperty(area, s, 1005, 41, s.Value(41));
  SetFromProperty(area, s, 1007, 42, s.Value(42));
  SetFromProperty(area, s, 1006, 43, s.Value(43));
  SetFromProperty(area, s, 1008, 44, s.Value(44));
  const int32_t bullet = s.Value(34);
  SetFromProperty(area, s, 1012, 34, bullet > 0 ? 1 : 0, kCommandNoChoice);
  int32_t item = 1028;
  switch (bullet) {
    case 0: item = 1021; break;
    case 108: item = 1024; break;
    case 109: item = 1025; break;
    case 110: item = 1022; break;
    case 111: item = 1023; break;
    case 117: item = 1026; break;
    case 118: item = 1027; break;
    default: break;
  }
  SetFromProperty(area, s, 1020, 34, item, kCommandNoChoice);
}

void SetViewValues(xMorvaPlugIn& area, xMorvaDocument& document) {
  const xMorvaDocParams& params = document.GetParams();
  const int16_t mode = params.GetViewMode();
  SetValue(area, 301, mode == 0 ? 303 : 302);
  // The printer-metrics command shows whether the layout follows the
  // printer, as the document's command sets it.
  SetValue(area, 304, params.GetPrinterMetrics() != 0 ? 1 : 0);
  for (int32_t id : {311, 314, 315, 316, 318, 319}) SetValue(area, id, params.GetViewFlag(kViewFlagOf[id - 311]));
  SetValue(area, 310, document.IsDockBarShown() ? 1 : 0);
  for (int16_t bar = 0; bar < 4; ++bar) SetValue(area, 331 + bar, document.IsBarShown(bar) ? 1 : 0);
  if (mode == 1) {
    for (int32_t id : {312, 313, 317}) {
      SetValue(area, id, 0);
      EnableControl(area, id, false);
    }
  } else {
    const xMorvaPageBands& bands = params.GetBands(params.GetDifferentFirstPage() != 0);
    for (int32_t id : {312, 313, 317}) EnableControl(area, id, true);
    SetValue(area, 312, bands.headerShown);
    SetValue(area, 313, bands.footerShown);
    SetValue(area, 317, params.GetViewFlag(kViewFlagOf[317 - 311]));
  }
  const bool editable = document.IsBodyCurrent() && !area.IsEditingLocked();
  EnableControl(area, 406, editable);
  EnableControl(area, 410, editable && params.GetColumns() > 1);
}

}  // namespace

int32_t ColourItemA(int32_t colour, int32_t shift) { return FindColour(kTableA, kOtherA, colour) + shift; }
int32_t ColourItemB(int32_t colour, int32_t shift) { return FindColour(kTableB, kOtherB, colour) + shift; }
int32_t ColourItemC(int32_t colour, int32_t shift) { return FindColour(kTableC, kOtherC, colour) + shift; }

void EnableControl(xMorvaPlugIn& area, int32_t id, bool enabled) {
  if (!area.IsCommandAllowed(id)) return;
  area.EnableCommand(id, enabled, 1);
}

void SetCommandAllowed(xMorvaPlugIn& area, int32_t id, bool allowed) {
  if (id < 1 || id > xMorvaPlugIn::kCommandCount) return;
  area.EnableCommand(id, allowed, 1);
  area.SetAllowedByte(id, allowed);
  xMorvaDocument* document = area.GetDocument();
  if (document == nullptr) return;
  switch (id) {
    case 310: document->ShowDockBar(allowed, true); break;
    case 330:
      for (int16_t bar = 0; bar < 4; ++bar) document->ShowBar(bar, allowed, bar == 3);
      break;
    case 331: case 332: case 333: case 334: document->ShowBar(static_cast<int16_t>(id - 331), allowed, true); break;
    default: break;
  }
}

void UpdateBarState(xMorvaPlugIn& area, bool now) {
  if (!now) {
    area.RequestBarRefresh();
    return;
  }
  xMorvaDocument* document = area.GetDocument();
  if (document == nullptr) return;
  const Selection selection(*document);
  if (selection.HasText()) {
    SetCharacterValues(area, *document, selection);
    SetParagraphValues(area, selection);
  }
  SetViewValues(area, *document);
  UpdateStatusLine(area, true);
  document->RefreshRulers();
}

void UpdateStatusLine(xMorvaPlugIn& area, bool now) {
  if (!now) {
    area.RequestStatusRefresh();
    return;
  }
  xMorvaDocument* document = area.GetDocument();
  if (document == nullptr) return;
  xMorvaPlugIn::BarCaches& caches = area.GetBarCaches();
  // The status flag: whether computed elements show their values.
  const xMorvaTextInterface* text = document->GetCurrentPart();
  const uint8_t flag = text != nullptr && text->GetFieldDisplayMode() != 0 ? 1 : 0;
  if (flag != caches.statusFlag) {
    caches.statusFlag = flag;
    area.SetCommandTitle(804, area.GetInterfaceText(flag != 0 ? 3 : 4), 1);
  }
  int32_t page = 0, line = 0, position = 0, column = 0;
  document->GetCaretStatus(page, line, position, column);
  const int32_t display = document->GetParams().GetFirstPageNumber() + page;
  const int32_t count = document->GetBodyPageCount();
  if (display != caches.page || count != caches.pageCount) {
    caches.page = display;
    caches.pageCount = count;
    VStr<255> status;
    status.Assign(area.GetInterfaceText(2));
    auto number = [&status](int32_t n) { status.AppendCText(std::to_string(n).c_str(), kCharSetMac); };
    number(display);
    status.AppendUniChar(u'\t');
    number(page + 1);
    status.AppendUniChar(u'/');
    number(count);
    area.SetCommandString(1003, status, 1);
  }
  VStr<255> where;
  where.Assign(area.GetInterfaceText(0));
  where.AppendCText(std::to_string(line).c_str(), kCharSetMac);
  where.AppendCText(", ", kCharSetMac);
  where.CopyText(area.GetInterfaceText(1));
  where.AppendCText(std::to_string(position).c_str(), kCharSetMac);
  area.SetCommandString(1004, where, 1);
}

void SetEditingLocked(xMorvaPlugIn& area, bool locked) {
  if (area.IsEditingLocked() == locked) return;
  area.StoreEditingLock(locked);
  SwitchGroup(area, kEditingGroup, !locked);
}

void SetAreaLocked(xMorvaPlugIn& area, bool locked) {
  if (area.IsAreaLocked() == locked) return;
  area.StoreAreaLock(locked);
  SwitchGroup(area, kInterfaceGroup, !locked);
}
