// The font context: properties onto the port, pending runs, justification
// and the character decorations.
#include "engine/xMorvaFont.h"

#include <algorithm>
#include <cstring>

#include "document/xMorvaDocParams.h"
#include "document/xMorvaDocumentInterface.h"
#include "document/xMorvaFontTable.h"
#include "document/xMorvaProperties.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngineHost.h"
#include "engine/xMorvaLineRecord.h"
#include "engine/xMorvaLines.h"
#include "framework/core/intl/Clusters.h"
#include "framework/core/intl/VIntlMgr.h"
#include "framework/core/strings/VUniString.h"
#include "graphics/pictures/VPictureShape.h"
#include "graphics/VPort.h"

namespace {

constexpr int32_t kFieldLookColour = 0xCCCCCC;
constexpr int32_t kMarkGrey = 0x999999;
constexpr uint16_t kBulletDot = 108;
constexpr char16_t kPilcrow = 182;
constexpr int32_t kMarkFont = 5;
constexpr int32_t kBreakLabelSize = 9;

// The lines of each border style, one pixel apart from the outside in,
// and whether the style is dotted.
struct BorderLines {
  uint8_t lines[6];
  bool dotted;
};
constexpr BorderLines kBorderLines[11] = {
    {{1, 0, 0, 0, 0, 0}, false}, {{1, 1, 0, 0, 0, 0}, false}, {{1, 1, 1, 0, 0, 0}, false},
    {{1, 0, 0, 0, 0, 0}, true},  {{1, 1, 0, 0, 0, 0}, true},  {{1, 1, 1, 0, 0, 0}, true},
    {{1, 0, 1, 0, 0, 0}, false}, {{1, 0, 1, 1, 0, 0}, false}, {{1, 0, 1, 1, 0, 1}, false},
    {{1, 1, 0, 1, 0, 0}, false}, {{1, 1, 0, 1, 1, 0}, false},
};

bool IsSpace(uint16_t unit) { return unit == 32 || (unit >= 0x2000 && unit <= 0x200B); }

// Property colours are the platform's colour values, red in the low byte
// (0x00BBGGRR), as stored files, the host's commands, the imports and the
// colour menus give them; the port takes them as they are.
COLORREF ToColorRef(int32_t colour) { return COLORREF(uint32_t(colour) & 0xFFFFFFu); }

}  // namespace

xMorvaFont::xMorvaFont(VPort* port, xMorvaDocumentInterface* document)
    : fPort(port), fDocument(document) {}

xMorvaFont::~xMorvaFont() = default;

int32_t xMorvaFont::ClampedBorderStyle() const {
  // The stored field can hold styles the table has no width for; they
  // measure as the plain style.
  return fBorderStyle < 0 || fBorderStyle > 10 ? 0 : fBorderStyle;
}

void xMorvaFont::SetTextColour(int32_t colour) {
  fTextColour = colour;
  if (fPort != nullptr) fPort->SetTextColor(ToColorRef(colour == -1 ? 0 : colour));
}

void xMorvaFont::ApplyLinkLook(int32_t value) {
  if (value == 0) {
    if (fLinkLook == 0) return;
    fLinkLook = 0;
    ApplyProperty(kPropTextColour, fSavedTextColour, true);
    ApplyProperty(kPropUnderline, fSavedUnderline, true);
    ApplyProperty(kPropUnderlineColour, fSavedUnderlineColour, true);
    ApplyProperty(kPropBackColour, fSavedBackColour, true);
    return;
  }
  if (fLinkLook == 0) {
    fSavedTextColour = fTextColour;
    fSavedUnderlineColour = fUnderlineColour;
    fSavedUnderline = fUnderline;
    fSavedBackColour = fBackColour;
  }
  if (value == 1 || value == 2) {
    int32_t colour = 0x0000FF;
    if (fDocument != nullptr) {
      colour = value == 1 ? fDocument->GetParams().GetLinkColour()
                          : fDocument->GetParams().GetSecondLinkColour();
    }
    SetTextColour(colour);
    fUnderlineColour = -1;
    fUnderline = 1;
  } else if (value == 3) {
    fBackColour = kFieldLookColour;
  }
  fLinkLook = value;
}

void xMorvaFont::ApplyProperty(uint16_t id, int32_t value, bool deferred) {
  // Drawing begins a run at every property record.
  BreakCluster();
  switch (id) {
    case kPropBold:
      if (fPort != nullptr && fPort->IsBold() != (value != 0)) fPort->SetBold(value != 0);
      break;
    case kPropItalic:
      fItalic = value != 0;
      if (fPort != nullptr && fPort->IsItalic() != (value != 0)) fPort->SetItalic(value != 0);
      break;
    case kPropShadow:
      fShadow = value != 0;
      break;
    case kPropStrikeOut:
      fStrikeOut = value != 0;
      break;
    case kPropUnderline:
      (fLinkLook != 0 ? fSavedUnderline : fUnderline) = value;
      break;
    case kPropVerticalPosition:
      fVertical = value;
      if (!deferred) SelectEffectiveSize();
      break;
    case kPropLetterCase:
      fCase = value;
      if (fSmallCapitals) {
        fSmallCapitals = 0;
        if (!deferred) SelectEffectiveSize();
      }
      break;
    case kPropFont: {
      // The name goes through a string kept for it: a run of another font
      // is met at every few words of a document.
      VStrInHandle& name = fFaceName;
      bool known = false;
      const xMorvaFontTable* table = fDocument != nullptr ? fDocument->GetFontTable() : nullptr;
      if (table == nullptr || !table->NameForIndex(value, name, known) || name.GetLength() == 0) {
        // An index the table lacks: the document's default font.
        if (table == nullptr || !table->NameForIndex(1, name, known) || name.GetLength() == 0)
          name.SetAnsiCText("Arial");
      }
      if (fPort != nullptr && fPort->FontName().Compare(name, 1, kWholeValue) != 0) fPort->SetFontName(name);
      break;
    }
    case kPropSize:
      fSize = value;
      if (!deferred) SelectEffectiveSize();
      break;
    case kPropTextColour:
      if (fLinkLook != 0) {
        fSavedTextColour = value;
      } else if (fPort == nullptr || value != fTextColour ||
                 fPort->GetTextColor() != ToColorRef(value == -1 ? 0 : value)) {
        SetTextColour(value);
      }
      break;
    case kPropBackColour:
      (fLinkLook != 0 ? fSavedBackColour : fBackColour) = value;
      break;
    case kPropStrikeOutColour:
      fStrikeOutColour = value;
      break;
    case kPropUnderlineColour:
      (fLinkLook != 0 ? fSavedUnderlineColour : fUnderlineColour) = value;
      break;
    case kPropShadowColour:
      fShadowColour = value;
      break;
    case kPropLinkLook:
      ApplyLinkLook(value);
      break;
    case kPropAlignment: {
      const bool changed = fAlignment != value;
      fAlignment = value;
      const bool lastLine =
          fLine != nullptr && (fLine->flags & (kLineLastOfParagraph | kLineLastOfText)) != 0;
      fJustifyActive = value == 3 && fTabsLeft == 0 && fLine != nullptr && !lastLine;
      if (changed && !deferred) PlaceLineStart();
      break;
    }
    case kPropInterline:
      fInterline = value;
      break;
    case kPropBullet:
      fBullet = uint16_t(value);
      break;
    case kPropLeftIndent:
    case kPropFirstLineIndent: {
      int32_t& field = id == kPropLeftIndent ? fLeftIndent : fFirstIndent;
      const bool changed = field != value;
      field = value;
      if (changed && !deferred) PlaceLineStart();
      break;
    }
    case kPropRightIndent:
      fRightIndent = value;
      break;
    case kPropParagraphBackColour:
      fParagraphBackColour = value;
      break;
    case kPropBorderColour:
      fBorderColour = value;
      break;
    case kPropBorderStyle:
    case kPropLeftBorder: {
      int32_t current = id == kPropBorderStyle ? fBorderStyle : fBorders[0];
      const bool changed = current != value;
      if (id == kPropBorderStyle) {
        fBorderStyle = value;
      } else {
        fBorders[0] = value != 0;
      }
      if (changed && !deferred) PlaceLineStart();
      break;
    }
    case kPropRightBorder:
    case kPropTopBorder:
    case kPropBottomBorder:
      fBorders[id - kPropLeftBorder] = value != 0;
      break;
    case kPropBorderSpacing: {
      const bool changed = fBorderSpacing != value;
      fBorderSpacing = value;
      if (changed && !deferred) PlaceLineStart();
      break;
    }
    default:
      break;
  }
}

void xMorvaFont::SelectEffectiveSize() {
  // A size of 0 (a damaged record or a paste) would select no font at all.
  int32_t size = fSize > 0 ? fSize : 1;
  if (fVertical != 0) size = int32_t(2 * size / 3.0);
  if (fSmallCapitals) size = int32_t(size * 4.0 / 5.0);
  if (size < 1) size = 1;
  if (fPort == nullptr) {
    fEffectiveSize = size;
    return;
  }
  if (size == fEffectiveSize && fPort->GetFontSize() == double(size)) return;
  fEffectiveSize = size;
  fPort->SetFontSize(size, false);
}

void xMorvaFont::GetBorderExtents(int32_t& top, int32_t& bottom) const {
  top = bottom = 0;
  if (fLine == nullptr || (!fBorders[2] && !fBorders[3])) return;
  const int32_t extent = BorderStyleWidth(ClampedBorderStyle()) + fBorderSpacing;
  if (fLine->flags & kLineFirstOfParagraph) top = extent;
  if (fLine->flags & (kLineLastOfParagraph | kLineLastOfText)) bottom = extent;
}

void xMorvaFont::PlaceLineStart() {
  if (fPort == nullptr || fLine == nullptr) return;
  int32_t x = fLeftIndent;
  if (fLine->flags & kLineFirstOfParagraph) x += fFirstIndent;
  const double spare = double(fLine->available) - double(fLine->width);
  if (fAlignment == 1) x = int32_t(x + spare / 2.0);
  if (fAlignment == 2) x = int32_t(x + spare);
  if (fBorders[0]) x += fBorderSpacing + BorderStyleWidth(ClampedBorderStyle());
  double penX = 0;
  double penY = 0;
  fPort->GetPenPosition(penX, penY);
  fPort->MoveTo(fFrameX + x, penY, true);
}

void xMorvaFont::BeginLineAt(const xMorvaLineRecord* line, int32_t x, int32_t top, int32_t width,
                             bool noMarks) {
  fLine = line;
  fFrameX = x;
  fLineTop = top;
  fFrameWidth = width;
  fNoMarks = noMarks;
  fBaseline = top + (line != nullptr ? line->ascent : 0);
  if (fPort != nullptr) {
    fPort->MoveTo(x, fBaseline, true);
    fPort->SetTextMode(1);
  }
  if (line != nullptr) BeginLine(line, line->state, x);
}

void xMorvaFont::BeginLine(const xMorvaLineRecord* line, const xMorvaProperties& properties,
                           int32_t x) {
  fLine = line;
  fFrameX = x;
  fRunLength = 0;
  fRunWidth = 0.0;
  fPrevious = 0;
  fClusterLength = 0;
  fLinkLook = 0;
  fSmallCapitals = 0;
  fTabsLeft = line != nullptr ? line->tabs : 0;
  fSpacesLeft = line != nullptr ? line->spaces : 0;
  fExtraLeft = line != nullptr ? int32_t(double(line->available) - double(line->width)) : 0;
  fLineHeight = line != nullptr ? line->height : 0;
  for (uint16_t id = 0; id <= kLastCharacterProperty; ++id)
    ApplyProperty(id, properties.GetProperty(id), true);
  for (uint16_t id = kFirstParagraphProperty; id <= kLastParagraphProperty; ++id)
    ApplyProperty(id, properties.GetProperty(id), true);
  PlaceLineStart();
  SelectEffectiveSize();
}

uint16_t xMorvaFont::UpperCase(uint16_t unit) const {
  char16_t c = unit;
  if (gIntlMgr != nullptr) {
    gIntlMgr->ToUpperChar(c, false);
  } else if (c >= 'a' && c <= 'z') {
    c = char16_t(c - 32);
  }
  return c;
}

void xMorvaFont::ChangeSmallCapitals(bool on) {
  FlushRun(fShadowPass);  // measured or drawn as before the change
  fSmallCapitals = on;
  SelectEffectiveSize();
}

double xMorvaFont::UnitWidth(uint16_t unit, uint16_t before) {
  if (fPort == nullptr) return 0.0;
  if (IsLowSurrogateUnit(unit) && IsHighSurrogateUnit(before)) return double(fPort->PairWidth(before, unit));
  return double(fPort->CharWidth(unit));
}

// Inline in the walks that measure every unit: a unit that stands alone
// at a glance (below U+0300, a precomposed Latin letter, an ideograph)
// begins a cluster of its own (it joins no unit before), kept as the
// cluster, with its width, and measured alone.
inline double xMorvaFont::ClusterUnitWidth(uint16_t unit, uint16_t before) {
  if (!StandsAloneAtAGlance(unit) || fPort == nullptr) return JoinedUnitWidth(unit, before);
  fClusterLength = -1;
  fClusterLast = unit;
  fClusterWidth = double(fPort->CharWidth(unit));
  return fClusterWidth;
}

bool xMorvaFont::JoinsCluster(uint16_t unit, uint16_t before) const {
  if (fClusterLength == 0 || IsHighSurrogateUnit(unit)) return false;
  // A mark over a letter, as most are, is told at a glance.
  if (before == fClusterLast && MarkJoinsAtAGlance(before, unit)) return true;
  const char32_t code = CodePointEndedBy(before, char16_t(unit));
  // Half a pair alone (a high half with no low one after it, a low half
  // with no high one before) begins a cluster, as ICU's edges have it; a
  // high half shows nothing and takes no room, so what follows it begins
  // one too, never joining the character before the half.
  const bool loneLow = code >= 0xDC00 && code <= 0xDFFF;
  if (loneLow || (IsHighSurrogateUnit(before) && !IsLowSurrogateUnit(unit))) return false;
  // Most units begin a cluster at a glance; of any other the properties
  // tell.
  return !StandsAloneAtAGlance(code) && ClusterEdgeByProperties(fClusterLast, code) != VClusterEdge::kEdge;
}

double xMorvaFont::JoinedUnitWidth(uint16_t unit, uint16_t before) {
  if (fPort == nullptr) return 0.0;
  // A high half takes no room: its low half measures the pair.
  if (IsHighSurrogateUnit(unit)) return UnitWidth(unit);
  const bool pair = IsLowSurrogateUnit(unit) && IsHighSurrogateUnit(before);
  const int32_t n = pair ? 2 : 1;
  const bool joins = JoinsCluster(unit, before) && fClusterLength + n <= kClusterCapacity;
  if (joins && fClusterLength < 0) {
    // The unit before, held alone with its width, becomes the cluster's
    // first.
    fCluster[0] = char16_t(fClusterLast);
    fClusterLength = 1;
  }
  if (!joins) fClusterLength = 0;
  if (pair) fCluster[fClusterLength++] = char16_t(before);
  fCluster[fClusterLength++] = char16_t(unit);
  fClusterLast = CodePointEndedBy(before, char16_t(unit));
  if (!joins) {
    fClusterWidth = UnitWidth(unit, before);
    return fClusterWidth;
  }
  const double width = double(fPort->ClusterWidth(fCluster, fClusterLength));
  const double added = width - fClusterWidth;
  fClusterWidth = width;
  return added;
}

void xMorvaFont::ProcessUnit(uint16_t unit, uint32_t flags) {
  const uint16_t before = fPrevious;
  fPrevious = unit;
  if (unit == 13) {
    FlushRun(flags);
    if ((flags & kFontDraw) && fPort != nullptr && fLine != nullptr) DrawParagraphEndMark();
    return;
  }
  if (fCase == 1 || fCase == 2) {
    const uint16_t upper = UpperCase(unit);
    // A mark or a joiner stays at its letter's size.
    if (fCase == 2 && !IsSpace(unit) && !JoinsCluster(unit, before)) {
      const bool changed = upper != unit;
      if (changed && !fSmallCapitals) {
        FlushRun(flags);
        fSmallCapitals = 1;
        SelectEffectiveSize();
      } else if (!changed && fSmallCapitals) {
        FlushRun(flags);
        fSmallCapitals = 0;
        SelectEffectiveSize();
      }
    }
    unit = upper;
  }
  if (IsSpace(unit) && fJustifyActive && fSpacesLeft > 0) {
    FlushRun(flags);
    BreakCluster();
    const int32_t share = fExtraLeft / fSpacesLeft;
    fExtraLeft -= share;
    fSpacesLeft -= 1;
    const int32_t advance = int32_t(UnitWidth(unit) + share);
    double x = 0;
    double y = 0;
    if (fPort != nullptr) fPort->GetPenPosition(x, y);
    if ((flags & kFontDraw) && fPort != nullptr && advance > 0) {
      if (fBackColour != -1) FillBackground(x, advance, fBackColour);
      if (fUnderline != 0 && fUnderline != 2) DrawUnderline('x', x, advance);
      if (fStrikeOut) DrawStrike(x, advance);
      DrawSpaceMark(int32_t(x), int32_t(y), advance);
    }
    MovePenBy(advance);
    return;
  }
  if (IsSpace(unit) && !fJustifyActive && fUnderline == 2) FlushRun(flags);
  // A pair is drawn in one run: a high half that would fill the run
  // starts the next one.
  if (IsHighSurrogateUnit(unit) && fRunLength == kRunCapacity - 1) FlushRun(flags);
  const double width = ClusterUnitWidth(unit, before);
  fRunWidths[fRunLength] = width;
  fRun[fRunLength++] = unit;
  fRunWidth += width;
  if (fRunLength >= kRunCapacity) FlushRun(flags);
}

void xMorvaFont::FlushRun(uint32_t flags) {
  if (fRunLength == 0) return;
  if (fPort != nullptr) {
    double x = 0;
    double y = 0;
    fPort->GetPenPosition(x, y);
    if (flags & kFontDraw) DrawRun(x, fRunWidth);
    // Drawing or not, the pen ends where the measured advances put it.
    fPort->MoveTo(x + fRunWidth, y, false);
  }
  fRunLength = 0;
  fRunWidth = 0.0;
}

void xMorvaFont::FillBackground(double x, double width, int32_t colour) {
  int32_t top = 0;
  int32_t bottom = 0;
  GetBorderExtents(top, bottom);
  const int32_t height = fLineHeight - top - bottom;
  if (height <= 0) return;
  fPort->SetFillColor(ToColorRef(colour));
  fPort->SetFillPatternIndex(6);
  fPort->PaintRect(int32_t(x), fLineTop + top, int32_t(width) + 1, height);
}

void xMorvaFont::DrawRunText(int32_t dx, int32_t dy) {
  double x = 0;
  double y = 0;
  fPort->GetPenPosition(x, y);
  const int32_t raise = fVertical == 1 ? -fEffectiveSize / 3 : 0;
  fPort->PushOrigin(dx, dy + raise);
  fPort->DrawTextRun(fRun, fRunLength, kTextUnicode);
  fPort->PopOrigin();
  fPort->MoveTo(x, y, false);
}

void xMorvaFont::DrawRun(double x, double width) {
  if (fBackColour != -1) FillBackground(x, width, fBackColour);
  if (fShowMarks && !fNoMarks && !fJustifyActive) {
    double at = x;
    for (int32_t i = 0; i < fRunLength; ++i) {
      const double w = fRunWidths[i];
      if (IsSpace(fRun[i])) DrawSpaceMark(int32_t(at), fBaseline, int32_t(w));
      at += w;
    }
  }
  const int32_t t = GetLineThickness();
  if (fShadow) {
    fShadowPass = 1;
    fPort->PushOrigin(0, t);
    if (fUnderline != 0) DrawUnderline(uint16_t(fRun[0]), x, width);
    if (fStrikeOut) DrawStrike(x, width);
    fPort->PopOrigin();
    fPort->SetTextColor(ToColorRef(fShadowColour == -1 ? 0 : fShadowColour));
    DrawRunText(t, t);
    fPort->SetTextColor(ToColorRef(fTextColour == -1 ? 0 : fTextColour));
    fShadowPass = 0;
  }
  if (fUnderline != 0) DrawUnderline(uint16_t(fRun[0]), x, width);
  DrawRunText(0, 0);
  if (fStrikeOut) DrawStrike(x, width);
}

void xMorvaFont::DrawUnderline(uint16_t first, double x, double width) {
  if (fUnderline == 2 && IsSpace(first)) {
    const double skip = UnitWidth(first);
    x += skip;
    width -= skip;
    if (width < 1) return;
  }
  const int32_t t = GetLineThickness();
  fPort->SetPenMode(0);
  fPort->SetPenPatternIndex(fUnderline == 4 ? 3 : 6);
  fPort->SetPenWidth(int16_t(fUnderline == 4 ? 2 * t : t));
  int32_t colour = fShadowPass ? fShadowColour : fUnderlineColour;
  if (colour == -1) colour = fTextColour;
  if (colour == -1) colour = 0;
  fPort->SetPenColor(ToColorRef(colour));
  const int32_t x0 = int32_t(x);
  const int32_t x1 = int32_t(x + width);
  fPort->DrawLine(x0, fBaseline + 2 * t, x1, fBaseline + 2 * t);
  if (fUnderline == 3) fPort->DrawLine(x0, fBaseline + 4 * t, x1, fBaseline + 4 * t);
}

void xMorvaFont::DrawStrike(double x, double width) {
  const int32_t t = GetLineThickness();
  fPort->SetPenMode(0);
  fPort->SetPenPatternIndex(6);
  fPort->SetPenWidth(int16_t(t));
  int32_t colour = fShadowPass ? fShadowColour : fStrikeOutColour;
  if (colour == -1) colour = fTextColour;
  if (colour == -1) colour = 0;
  fPort->SetPenColor(ToColorRef(colour));
  const int32_t y = fBaseline - fPort->GetFontAscent() / 3;
  fPort->DrawLine(int32_t(x), y, int32_t(x + width), y);
}

double xMorvaFont::MeasureCharWidth(const uint16_t* unit, const uint16_t* end) {
  if (unit == nullptr || unit >= end) return 0.0;
  const uint16_t c = *unit;
  const uint16_t before = fPrevious;
  fPrevious = c;
  // Most units are in text of no case mode, on a line that is not
  // justified: the walk over every unit takes this road without a call
  // more.
  if (fCase == 0 && fJustifyActive == 0) return ClusterUnitWidth(c, before);
  return MeasureOtherCharWidth(c, before);
}

// Out of line, so that the road of most units saves no more registers.
__attribute__((noinline)) double xMorvaFont::MeasureOtherCharWidth(uint16_t c, uint16_t before) {
  if (IsLowSurrogateUnit(c) && IsHighSurrogateUnit(before)) return ClusterUnitWidth(c, before);
  if (IsSpace(c) && fJustifyActive) {
    BreakCluster();
    return UnitWidth(c);
  }
  if (fCase == 2) {
    const uint16_t upper = UpperCase(c);
    if (!IsSpace(c) && !JoinsCluster(c, before)) {
      const bool changed = upper != c;
      if (changed != (fSmallCapitals != 0)) {
        fSmallCapitals = changed;
        SelectEffectiveSize();
      }
    }
    return ClusterUnitWidth(upper, before);
  }
  if (fCase == 1) return ClusterUnitWidth(UpperCase(c), before);
  return ClusterUnitWidth(c, before);
}

double xMorvaFont::MeasureCaseChar(uint16_t unit) {
  if (fCase != 1 && fCase != 2) return UnitWidth(unit);
  const uint16_t upper = UpperCase(unit);
  if (fCase == 1 || upper == unit || fPort == nullptr) return UnitWidth(upper);
  const double size = fPort->GetFontSize();
  fPort->SetFontSize(int32_t(4.0 * fEffectiveSize / 5.0), false);
  const double width = UnitWidth(upper);
  fPort->SetFontSize(size, false);
  return width;
}

int32_t xMorvaFont::GetAscent() {
  if (fPort == nullptr) return 0;
  const double size = fPort->GetFontSize();
  const int32_t nominal = fSize > 0 ? fSize : 1;
  if (size != nominal) fPort->SetFontSize(nominal, false);
  const int32_t ascent = fPort->GetFontAscent() + fPort->GetFontLeading();
  if (size != nominal) fPort->SetFontSize(size, false);
  return ascent;
}

int32_t xMorvaFont::GetDescent() {
  if (fPort == nullptr) return 0;
  const double size = fPort->GetFontSize();
  const int32_t nominal = fSize > 0 ? fSize : 1;
  if (size != nominal) fPort->SetFontSize(nominal, false);
  int32_t descent = fPort->GetFontDescent();
  if (size != nominal) fPort->SetFontSize(size, false);
  const int32_t t = GetLineThickness();
  int32_t least = 0;
  if (fUnderline == 1 || fUnderline == 2) least = 3 * t;
  if (fUnderline == 4) least = 4 * t;
  if (fUnderline == 3) least = 5 * t;
  return descent > least ? descent : least;
}

void xMorvaFont::GetRunOffsets(int32_t& baseline, int32_t& height) {
  const int32_t ascent = GetAscent();
  height = ascent + GetDescent();
  int32_t top = 0;
  int32_t bottom = 0;
  GetBorderExtents(top, bottom);
  baseline = (fLine != nullptr ? fLine->ascent : 0) - ascent + top;
}

int32_t xMorvaFont::GetPenX() const {
  if (fPort == nullptr) return 0;
  double x = 0;
  double y = 0;
  fPort->GetPenPosition(x, y);
  if (fRunLength > 0) return int32_t(x + fRunWidth + 0.5);
  return int32_t(x);
}

void xMorvaFont::MovePenBy(int32_t dx) {
  if (fPort == nullptr) return;
  double x = 0;
  double y = 0;
  fPort->GetPenPosition(x, y);
  fPort->MoveTo(x + dx, y, false);
}

void xMorvaFont::AdvancePenBy(double dx) {
  if (fPort == nullptr) return;
  FlushRun(0);
  double x = 0;
  double y = 0;
  fPort->GetPenPosition(x, y);
  fPort->MoveTo(x + dx, y, false);
}

void xMorvaFont::FillBack(int32_t x, int32_t width) {
  if (fPort == nullptr || fBackColour == -1 || width <= 0) return;
  FillBackground(x, width, fBackColour);
}

void xMorvaFont::DrawParagraphStart(uint32_t flags) {
  if (!(flags & kFontDraw)) return;
  DrawParagraphFrame();
  DrawBullet();
}

void xMorvaFont::DrawParagraphFrame() {
  if (fPort == nullptr || fLine == nullptr) return;
  const int32_t left = fFrameX + fLeftIndent + std::min(fFirstIndent, 0);
  if (fParagraphBackColour != -1) {
    const int32_t width = fFrameWidth - (left - fFrameX) - fRightIndent;
    if (width > 0 && fLineHeight > 0) {
      fPort->SetPenMode(0);
      fPort->SetFillColor(ToColorRef(fParagraphBackColour));
      fPort->SetFillPatternIndex(6);
      fPort->PaintRect(left, fLineTop, width, fLineHeight);
    }
  }
  int32_t top = 0;
  int32_t bottom = 0;
  GetBorderExtents(top, bottom);
  const bool topShown = fBorders[2] && (fLine->flags & kLineFirstOfParagraph);
  const bool bottomShown =
      fBorders[3] && (fLine->flags & (kLineLastOfParagraph | kLineLastOfText));
  if (fBorders[0]) DrawBorderSide(1, false);
  if (topShown) DrawBorderSide(2, false);
  if (fBorders[1]) DrawBorderSide(4, false);
  if (bottomShown) DrawBorderSide(8, false);
  if (top > 0) {
    double x = 0;
    double y = 0;
    fPort->GetPenPosition(x, y);
    fPort->MoveTo(x, y + top, false);
    fBaseline += top;
  }
}

void xMorvaFont::DrawBorderSide(uint32_t side, bool joinCorners) {
  if (fPort == nullptr || fLine == nullptr) return;
  const int32_t style = ClampedBorderStyle();
  const bool topShown = fBorders[2] && (fLine->flags & kLineFirstOfParagraph);
  const bool bottomShown =
      fBorders[3] && (fLine->flags & (kLineLastOfParagraph | kLineLastOfText));
  const int32_t left = fFrameX + fLeftIndent + std::min(fFirstIndent, 0);
  const int32_t right = fFrameX + fFrameWidth - fRightIndent - 1;
  int32_t top = fLineTop;
  int32_t bottom = fLineTop + fLineHeight - 1;
  fPort->SetPenColor(ToColorRef(fBorderColour == -1 ? 0 : fBorderColour));
  fPort->SetPenMode(0);
  fPort->SetPenWidth(1);
  fPort->SetPenPatternIndex(kBorderLines[style].dotted ? 3 : 6);
  int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  int32_t sx0 = 0, sy0 = 0, sx1 = 0, sy1 = 0;
  switch (side) {
    case 1:
    case 4:
      x0 = x1 = side == 1 ? left : right;
      y0 = top;
      y1 = bottom;
      sx0 = sx1 = side == 1 ? 1 : -1;
      sy0 = topShown ? 1 : 0;
      sy1 = bottomShown ? -1 : 0;
      break;
    case 2:
    case 8:
      y0 = y1 = side == 2 ? top : bottom;
      x0 = left;
      x1 = right;
      sy0 = sy1 = side == 2 ? 1 : -1;
      sx0 = fBorders[0] ? 1 : 0;
      sx1 = fBorders[1] ? -1 : 0;
      break;
    case 32: {
      double px = 0;
      double py = 0;
      fPort->GetPenPosition(px, py);
      x0 = x1 = int32_t(px - xMorvaLines::BorderWidth(style) - fBorderSpacing);
      y0 = top;
      y1 = bottom;
      sx0 = sx1 = 1;
      break;
    }
    default:
      return;
  }
  const uint8_t* lines = kBorderLines[style].lines;
  if (side == 32 && joinCorners) {
    if (style == 7) lines = kBorderLines[10].lines;
    if (style == 9) lines = kBorderLines[6].lines;
  }
  for (int32_t i = 0; i < 6; ++i) {
    if (lines[i]) fPort->DrawLine(x0, y0, x1, y1);
    x0 += sx0;
    y0 += sy0;
    x1 += sx1;
    y1 += sy1;
  }
}

void xMorvaFont::DrawBullet() {
  if (fPort == nullptr || fLine == nullptr || fBullet == 0 ||
      !(fLine->flags & kLineFirstOfParagraph)) {
    return;
  }
  fPort->PushPenPosition();
  const double x = fFrameX + fLeftIndent + fFirstIndent;
  if (fBullet == kBulletDot) {
    const char16_t dot = 0x2022;
    fPort->MoveTo(x - fPort->CharWidth(dot) - 5.0, fBaseline, false);
    fPort->DrawTextRun(&dot, 1, kTextUnicode);
  } else {
    VStrInHandle previous;
    fPort->GetFontName(previous);
    VStr<16> wingdings;
    wingdings.SetAnsiCText("Wingdings");
    fPort->SetFontName(wingdings);
    const char16_t bullet = fBullet;
    fPort->MoveTo(x - fPort->CharWidth(bullet) - 5.0, fBaseline, false);
    fPort->DrawTextRun(&bullet, 1, kTextUnicode);
    fPort->SetFontName(previous);
  }
  fPort->PopPenPosition();
}

int32_t xMorvaFont::MeasureBullet(const xMorvaProperties& properties, uint16_t bullet) {
  for (uint16_t id = 0; id <= kLastCharacterProperty; ++id)
    ApplyProperty(id, properties.GetProperty(id), true);
  SelectEffectiveSize();
  if (fPort == nullptr || bullet == 0) return 0;
  if (bullet == kBulletDot) return int32_t(fPort->CharWidth(0x2022) + 5.0);
  VStr<16> wingdings;
  wingdings.SetAnsiCText("Wingdings");
  fPort->SetFontName(wingdings);
  return int32_t(fPort->CharWidth(bullet) + 5.0);
}

void xMorvaFont::DrawTab(const uint8_t* cache, uint32_t flags) {
  if (cache == nullptr) return;
  FlushRun(flags);
  if (fTabsLeft > 0 && --fTabsLeft == 0) ApplyProperty(kPropAlignment, fAlignment, true);
  const uint32_t bits = StreamLong(cache);
  float width = 0;
  std::memcpy(&width, &bits, sizeof width);
  if (!(width > 0) || fPort == nullptr) return;
  int32_t kind = int16_t(StreamUnit(cache + 8));
  if (kind < 0 || kind > 5) kind = 1;
  const uint16_t leader = StreamUnit(cache + 10);
  const int32_t count = int16_t(StreamUnit(cache + 12));
  double startX = 0;
  double y = 0;
  fPort->GetPenPosition(startX, y);
  if (flags & kFontDraw) {
    int32_t fill = int32_t(width + 0.5);
    if (kind == 5) fill -= xMorvaLines::BorderWidth(ClampedBorderStyle()) + 2 * fBorderSpacing + 1;
    if (fBackColour != -1 && fill > 0) FillBackground(startX, fill, fBackColour);
    if (leader != 0 && kind != 5 && count > 0) {
      fPort->PushPenPosition();
      for (int32_t i = 0; i < std::min(count, 4096); ++i) {
        ProcessUnit(leader, flags);
        FlushRun(flags);
      }
      fPort->PopPenPosition();
    }
  }
  fPort->MoveTo(startX + width, y, false);
  if (!(flags & kFontDraw)) return;
  if (kind == 5) DrawBorderSide(32, true);
  if (MarksShown()) DrawTabArrow(startX, width);
  if (fShadow || fStrikeOut || (fUnderline != 0 && fUnderline != 2)) {
    fPort->PushPenPosition();
    const int32_t t = GetLineThickness();
    if (fShadow) {
      fShadowPass = 1;
      fPort->PushOrigin(0, t);
      if (fUnderline != 0 && fUnderline != 2) DrawUnderline(' ', startX, width);
      if (fStrikeOut) DrawStrike(startX, width);
      fPort->PopOrigin();
      fShadowPass = 0;
    }
    if (fUnderline != 0 && fUnderline != 2) DrawUnderline(' ', startX, width);
    if (fStrikeOut) DrawStrike(startX, width);
    fPort->PopPenPosition();
  }
}

void xMorvaFont::DrawTabArrow(double startX, double width) {
  double x = 0;
  double y = 0;
  fPort->GetPenPosition(x, y);
  const int32_t t = GetLineThickness();
  const int32_t m = int32_t(width / 2.0 + startX);
  const int32_t my = int32_t(y - fEffectiveSize / 2);
  fPort->SetPenColor(ToColorRef(kMarkGrey));
  fPort->SetPenMode(0);
  fPort->SetPenPatternIndex(6);
  fPort->SetPenWidth(int16_t(t));
  fPort->DrawLine(m - 3 * t, my, m + 3 * t, my);
  fPort->DrawLine(m + 3 * t, my, m + t, my + 2 * t);
  fPort->DrawLine(m + 3 * t, my, m + t, my - 2 * t);
  fPort->SetPenWidth(1);
}

void xMorvaFont::DrawSoftHyphenMark() {
  if (fPort == nullptr || !MarksShown()) return;
  int32_t top = 0;
  int32_t bottom = 0;
  GetBorderExtents(top, bottom);
  const int32_t height = fLineHeight - top - bottom;
  if (height <= 0) return;
  // At the pen as the pending run leaves it; the run itself stays pending.
  const int32_t x = GetPenX();
  fPort->SetPenColor(ToColorRef(kMarkGrey));
  fPort->SetPenMode(0);
  fPort->SetPenPatternIndex(3);
  fPort->SetPenWidth(int16_t(GetLineThickness()));
  fPort->DrawLine(x, fLineTop + top, x, fLineTop + top + height - 1);
  fPort->SetPenWidth(1);
  fPort->SetPenPatternIndex(6);
}

int32_t xMorvaFont::GetPilcrowWidth() {
  if (fPort == nullptr) return 0;
  VStrInHandle name;
  fPort->GetFontName(name);
  const double size = fPort->GetFontSize();
  fPort->UseStandardFont(kMarkFont);
  fPort->SetFontSize(fEffectiveSize, false);
  const int32_t width = int32_t(fPort->CharWidth(kPilcrow));
  fPort->SetFontName(name);
  fPort->SetFontSize(size, false);
  return width;
}

void xMorvaFont::DrawParagraphEndMark() {
  const uint16_t breaks = fLine->flags & (kLinePageBreak | kLineColumnBreak);
  if (breaks != 0) {
    if (!fNoMarks && (fViewMode == 1 || fShowMarks))
      DrawBreakLabel((breaks & kLinePageBreak) ? kPageBreakLabel : kColumnBreakLabel);
    return;
  }
  if (!MarksShown()) return;
  VStrInHandle name;
  fPort->GetFontName(name);
  const double size = fPort->GetFontSize();
  const COLORREF colour = fPort->GetTextColor();
  fPort->UseStandardFont(kMarkFont);
  fPort->SetFontSize(fEffectiveSize, false);
  fPort->SetTextColor(ToColorRef(kMarkGrey));
  fPort->PushPenPosition();
  const char16_t pilcrow = kPilcrow;
  fPort->DrawTextRun(&pilcrow, 1, kTextUnicode);
  fPort->PopPenPosition();
  fPort->SetFontName(name);
  fPort->SetFontSize(size, false);
  fPort->SetTextColor(colour);
}

void xMorvaFont::DrawBreakLabel(int16_t item) {
  VStrInHandle name;
  fPort->GetFontName(name);
  const double size = fPort->GetFontSize();
  const bool bold = fPort->IsBold();
  const bool italic = fPort->IsItalic();
  const COLORREF colour = fPort->GetTextColor();
  fPort->UseStandardFont(kMarkFont);
  fPort->SetFontSize(kBreakLabelSize, false);
  if (fPort->IsBold()) fPort->SetBold(false);
  if (fPort->IsItalic()) fPort->SetItalic(false);
  fPort->SetTextColor(ToColorRef(kMarkGrey));
  fPort->SetPenColor(ToColorRef(kMarkGrey));
  fPort->SetPenMode(0);
  fPort->SetPenPatternIndex(3);
  fPort->SetPenWidth(1);
  VStrInHandle label;
  if (xMorvaEngineHost* host = xMorvaEngineHostService::Get())
    host->GetPackageString(kBreakLabels, item, label);
  fPort->PushPenPosition();
  double px = 0;
  double py = 0;
  fPort->GetPenPosition(px, py);
  const int32_t x = int32_t(px);
  const int32_t span = fFrameWidth - (x - fFrameX);
  const int32_t y = fLineTop + 8;
  const int32_t gap = span / 2 - int32_t(fPort->MeasureString(label)) / 2 - 2;
  if (gap < 1) {
    if (span > 0) fPort->DrawLine(x, y, x + span - 1, y);
  } else {
    fPort->DrawLine(x, y, x + gap - 1, y);
    fPort->DrawLine(x + span - gap, y, x + span - 1, y);
    fPort->MoveTo(x + gap + 2, y + 2, false);
    fPort->DrawString(label);
  }
  fPort->PopPenPosition();
  fPort->SetPenPatternIndex(6);
  fPort->SetFontName(name);
  fPort->SetFontSize(size, false);
  if (fPort->IsBold() != bold) fPort->SetBold(bold);
  if (fPort->IsItalic() != italic) fPort->SetItalic(italic);
  fPort->SetTextColor(colour);
}

void xMorvaFont::DrawPicture(int32_t& x, int32_t& y, int32_t width, int32_t height,
                             VPictureShape* shape, int16_t mode) {
  if (fPort == nullptr) return;
  FlushRun(0);
  double px = 0;
  double py = 0;
  fPort->GetPenPosition(px, py);
  if (fBackColour != -1 && width > 0) FillBackground(px, width, fBackColour);
  x = int32_t(px);
  y = int32_t(py - height);
  if (fHidePictures && width > 0 && height > 0) {
    fPort->SetPenColorIndex(10);
    fPort->SetPenPatternIndex(6);
    fPort->SetPenWidth(1);
    fPort->SetPenMode(0);
    fPort->DrawLine(x, y, x + width - 1, y);
    fPort->DrawLine(x + width - 1, y, x + width - 1, y + height - 1);
    fPort->DrawLine(x + width - 1, y + height - 1, x, y + height - 1);
    fPort->DrawLine(x, y + height - 1, x, y);
    fPort->DrawLine(x, y, x + width - 1, y + height - 1);
    fPort->DrawLine(x, y + height - 1, x + width - 1, y);
  } else if (shape != nullptr && width > 0 && height > 0) {
    shape->SetPosition(x, y);
    shape->SetSize(width, height);
    shape->SetPlacement(mode);
    fPort->DrawPictureShape(*shape);
  }
  fPort->MoveTo(px + width, py, false);
}

void xMorvaFont::DrawSpaceMark(int32_t x, int32_t y, int32_t width) {
  if (fPort == nullptr || !fShowMarks || fNoMarks) return;
  const int32_t t = GetLineThickness();
  const int32_t cx = x + width / 2;
  const int32_t cy = y - fEffectiveSize / 2;
  if (t == 1) {
    fPort->SetPixel(cx, cy, ToColorRef(kMarkGrey));
    return;
  }
  fPort->SetFillColor(ToColorRef(kMarkGrey));
  fPort->SetFillPatternIndex(6);
  fPort->PaintRect(cx - t / 2, cy - t / 2, t, t);
}
