// Line composition: the walk that breaks a range of the element stream
// into line records, one step a member function.
#include "engine/xMorvaComposer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <string>
#include <utility>

#include "document/xMorvaDocumentInterface.h"
#include "document/xMorvaTabs.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaFont.h"
#include "engine/xMorvaPictureElement.h"
#include "framework/core/intl/Clusters.h"
#include "framework/core/streams/VStreamProgress.h"
#include "framework/system/environment/VSystemServices.h"

namespace {

constexpr uint16_t kSoftHyphenUnit = 0x00AD;
constexpr int32_t kTabBorderBar = 5;
// The first flags of a line that a composition can begin with.
constexpr uint16_t kStartFlags = kLineFirstOfParagraph | kLineContinuesWord;

bool IsBreakCharacter(uint16_t u) {
  return IsSpaceUnit(u) || u == kSoftHyphenUnit || u == 0x002D || u == 0x2013 || u == 0x2014 ||
         (u >= 0x1100 && u <= 0x1DFF) || (u >= 0x3000 && u <= 0xFB4F);
}

// A digest of a tab list, kept in each line record: the paragraphs after
// an edit are composed again until their starting stops agree.
uint32_t TabsKey(const xMorvaTabs& tabs) {
  uint32_t key = 2166136261u;
  auto mix = [&](uint32_t value) {
    for (int i = 0; i < 4; ++i) key = (key ^ ((value >> (8 * i)) & 0xFF)) * 16777619u;
  };
  mix(uint32_t(tabs.Count()));
  for (int32_t i = 0; i < tabs.Count(); ++i) mix(tabs.StopAt(i));
  return key;
}

// The line state that composition carries from one line to the next.
bool SameLineState(const xMorvaProperties& a, const xMorvaProperties& b) {
  for (uint16_t id = 0; id <= kLastParagraphProperty; ++id) {
    if (id > 16 && id < 32) continue;
    if (a.GetProperty(id) != b.GetProperty(id)) return false;
  }
  return true;
}

}  // namespace

void xMorvaComposer::Metrics::Raise(const Metrics& other) {
  ascent = std::max(ascent, other.ascent);
  descent = std::max(descent, other.descent);
  fontHeight = std::max(fontHeight, other.fontHeight);
}

xMorvaComposer::xMorvaComposer(xMorvaLines& lines, xMorvaFont& font, xMorvaProperties& state,
                               xMorvaTabs& tabs, xMorvaLines::Resume* resume)
    : fLines(lines),
      fFont(font),
      fState(state),
      fTabs(tabs),
      fResume(resume),
      fDecimal(gSystemServices != nullptr ? gSystemServices->GetDecimalSeparator()
                                          : char16_t('.')) {}

int32_t xMorvaComposer::Run(int32_t line, uint32_t start, uint32_t end) {
  if (!Begin(line, start, end)) return line;
  bool met = false;
  while (fAt < fEnd && !met) met = TakeItem();
  if (!met) {
    DropOldRecordsToEnd();
    FinishRange();
  }
  fLines.fOldLinesWritten = met ? OldLinesWritten() : 0;
  End();
  return fLine;
}

int32_t xMorvaComposer::OldLinesWritten() {
  int32_t written = 0;
  for (int64_t at = fLineStart; fLine + written < LineCount() && at <= fLastWritten; ++written)
    at += OldAt(fLine + written).bytes;
  return written;
}

bool xMorvaComposer::Begin(int32_t line, uint32_t start, uint32_t end) {
  const uint16_t firstFlags =
      fResume != nullptr ? uint16_t(fResume->flags & kStartFlags) : uint16_t(kLineFirstOfParagraph);
  fLocked = fLines.fEngine->LockStream();
  fSize = fLines.fEngine->GetStreamSize();
  if (fLocked == nullptr && fSize != 0) return false;
  fS = fLocked != nullptr ? fLocked : fNone;
  fStart = start;
  fEnd = std::min(end, fSize);
  fTableWasEmpty = fLines.fRecords.empty();
  fFirstLine = line;
  fLine = line;
  fBatchAt = fOldNext = line;
  fLineStart = start;
  // The range starts a paragraph: past the first byte, one ended there.
  fLastWasParagraphEnd = start > 0 && (firstFlags & kLineFirstOfParagraph) != 0;
  BeginRecord(fState, firstFlags);
  fRec.resumable = true;
  fRec.stops = CurrentStops();
  fFont.BeginLineAt(&fRec, 0, 0, fRec.available, true);
  fLineM = fStretchM = fBeforeM = FontMetrics();
  fAt = start;
  return true;
}

void xMorvaComposer::End() {
  Flush();
  if (fLocked != nullptr) fLines.fEngine->UnlockStream();
}

// --- Lines and their records -------------------------------------------

void xMorvaComposer::BeginRecord(const xMorvaProperties& lineState, uint16_t flags) {
  fRec = xMorvaLineRecord();
  fRec.state.Assign(lineState);
  fRec.tabsKey = TabsKey(fTabs);
  fRec.flags = flags;
  fRec.available = fLines.ComputeAvailableWidth(fState, (flags & kLineFirstOfParagraph) != 0);
}

// A new line after a break: counts empty, running state.
void xMorvaComposer::StartNextLine(const xMorvaProperties& lineState, uint16_t flags,
                                   const Metrics& m) {
  BeginRecord(lineState, flags);
  fRec.tabs = fRec.spaces = fRec.positions = 0;
  fLineM = m;
  fStretchM = m;
  fBeforeM = m;
  fOpp->open = false;
  fOpp->growing = false;
  fKept->open = false;
}

// The line ends at the pen, as high as the metrics `m` make it.
void xMorvaComposer::CloseLine(const Metrics& m) {
  fRec.width = float(fX);
  fRec.height = Height(m, fRec.flags);
  fRec.ascent = m.ascent;
}

int32_t xMorvaComposer::Height(const Metrics& m, uint16_t flags) const {
  return xMorvaLines::ComputeLineHeight(fState, flags, m.ascent, m.descent, m.fontHeight);
}

xMorvaComposer::Metrics xMorvaComposer::FontMetrics() const {
  Metrics m;
  m.ascent = fFont.GetAscent();
  m.descent = fFont.GetDescent();
  m.fontHeight = m.ascent + m.descent;
  return m;
}

std::shared_ptr<const xMorvaTabs> xMorvaComposer::CurrentStops() {
  if (fStopsNow == nullptr) fStopsNow.reset(new xMorvaTabs(fTabs));
  return fStopsNow;
}

// --- The walk ----------------------------------------------------------

bool xMorvaComposer::TakeItem() {
  if (fElementEnd != 0 && fAt >= fElementEnd) {
    fRec.positions += 1;  // the element counts where its text ends
    fElementEnd = 0;
    fElementCode = 0;
    return false;
  }
  const StreamItem item = ReadStreamItem(fS + fAt, fSize - fAt);
  fLastWasParagraphEnd = false;
  if (item.kind == StreamItem::kRecord) {
    TakePropertyRecord(item);
    return false;
  }
  Unit u;
  if (item.kind == StreamItem::kElement) {
    // Drawing begins a run at an element.
    fFont.BreakCluster();
    const uint16_t code = item.unit;
    if (code == xMorvaElementCode::Tab && item.size >= kElementHeadSize) return TakeTab(item);
    if (code >= kFirstComputedCode && item.size >= kElementHeadSize && fElementEnd == 0) {
      EnterElement(item);
      return false;
    }
    xMorvaPictureHeader header;
    if (code != xMorvaElementCode::Pict || !ReadPictureHeader(fS + fAt, item.size, header)) {
      // Other elements take one position.
      fRec.positions += fElementEnd == 0 ? 1 : 0;
      fAt += item.size;
      return false;
    }
    // A picture is laid out as one unit as wide as it is laid out on the
    // line, which raises the ascent of the line to its laid-out height.
    u.picture = true;
    u.shownWidth = header.shownWidth;
    u.shownHeight = header.shownHeight;
    FitPicture(u);
    u.step = item.size;
  } else {
    u.unit = item.unit;
    // A surrogate pair is laid out as one character: its halves are
    // placed, or carried to the next line, together.
    u.pair = IsHighSurrogateUnit(u.unit) && uint64_t(fAt) + 4 <= fSize &&
             IsLowSurrogateUnit(StreamUnit(fS + fAt + 2));
    u.step = u.pair ? 4 : 2;
    u.placed = u.pair ? 2 : 1;
  }
  return TakeUnit(u);
}

void xMorvaComposer::TakePropertyRecord(const StreamItem& item) {
  if (item.size == kRecordSize) {
    const uint16_t id = item.unit;
    const int32_t value = int32_t(item.value);
    if (id < 46) {
      for (Opportunity* opp : {fOpp, fKept}) {
        if (opp->stateLive) {
          opp->state.Assign(fState);
          opp->stateLive = false;
        }
      }
      fState.SetProperty(id, value);
      fFont.ApplyProperty(id, value, false);
    }
    if (id == kPropUnderline || id == kPropFont || id == kPropSize) {
      const Metrics m = FontMetrics();
      fLineM.Raise(m);
      fStretchM.Raise(m);
    }
    if (id == kPropLeftIndent || id == kPropFirstLineIndent || id == kPropRightIndent ||
        id == kPropBorderStyle || id == kPropLeftBorder || id == kPropRightBorder ||
        id == kPropBorderSpacing) {
      fRec.available =
          fLines.ComputeAvailableWidth(fState, (fRec.flags & kLineFirstOfParagraph) != 0);
    }
    if (id == kPropTabs) {
      fTabs.AddStop(item.value);
      fStopsNow.reset();
    }
  }
  fAt += item.size;
}

bool xMorvaComposer::TakeTab(const StreamItem& item) {
  FinishTab();
  // A tab is a later place to break: a soft hyphen before it no longer
  // can show, and the tab reaches its stop from the text without it.
  HideSoftHyphen();
  const TabStopFound found = FindTabStop();
  if (found.isDefault && fX + found.remaining > fRec.available) {
    // A default stop past the right edge: the tab starts a new line once,
    // when this line holds something; a tab that fits nowhere stays where
    // it is and marks the line.
    if (!fTabRetried && (fRec.positions > 0 || fX > 0)) return BreakBeforeTab();
    fRec.flags |= kLineForcedBreak;
  }
  fTabRetried = false;
  LayOutTab(item, found);
  return false;
}

xMorvaComposer::TabStopFound xMorvaComposer::FindTabStop() {
  const bool first = (fRec.flags & kLineFirstOfParagraph) != 0;
  const double leftEdge = fState.ParagraphTextLeft(first);
  const int32_t indentStop =
      first ? fState.GetProperty(kPropLeftIndent)
            : fState.GetProperty(kPropLeftIndent) + fState.GetProperty(kPropFirstLineIndent);
  TabStopFound found;
  const double from = std::clamp(std::trunc(leftEdge + fX), -32768.0, 32767.0);
  if (fLines.fDocument != nullptr) {
    fTabs.NextStop(int16_t(from), *fLines.fDocument, fLines.fPart, int16_t(indentStop), found.stop,
                   found.isDefault);
  } else {
    found.stop = MakeTabStop(int16_t(std::min(from + 36, 32767.0)), 0, kTabLeft);
  }
  found.kind = TabStopKind(found.stop);
  // A kind no stop list makes counts as a left tab.
  if (found.kind < kTabLeft || found.kind > kTabBorderBar) found.kind = kTabLeft;
  double position = TabStopPosition(found.stop);
  if (found.kind == kTabBorderBar) {
    position += fState.GetProperty(kPropBorderSpacing) +
                xMorvaLines::BorderWidth(fState.GetProperty(kPropBorderStyle)) / 2;
  }
  found.remaining = position - leftEdge - fX;
  return found;
}

// The line ends before the tab, which is taken again on the next line.
bool xMorvaComposer::BreakBeforeTab() {
  fTabRetried = true;
  fRec.flags |= kLineForcedBreak;
  if (fPageNumbers > 0) fRec.flags |= kLineHasPageNumbers;
  CloseLine(fLineM);
  StoreLine(fAt);
  StartNextLine(fState, kLineContinuesWord, FontMetrics());
  fX = 0;
  fPageNumbers = 0;
  return MarkResumable(fElementEnd == 0);
}

void xMorvaComposer::LayOutTab(const StreamItem& item, const TabStopFound& found) {
  fRec.tabs += 1;
  const uint16_t leader = TabStopLeader(found.stop);
  const double leaderWidth = leader != 0 ? fFont.MeasureCaseChar(leader) : 0;
  fX += std::max(found.remaining, 0.0);
  fRec.positions += 1;
  OpenOpportunity(kLineBreakAtTab, fAt + item.size, fX);
  fOpp->elementEnd = 0;
  if (found.kind == kTabLeft || found.kind == kTabBorderBar) {
    xMorvaLines::SetTabLayout(fS + fAt, item.size, found.remaining, leader, leaderWidth,
                              found.kind);
    NoteWritten(fS + fAt);
  } else {
    fTab = PendingTab{true,   fS + fAt,   item.size, found.kind, std::max(found.remaining, 0.0),
                      leader, leaderWidth};
  }
  fOpp->tab = fTab;
  fAt += item.size;
}

// A computed element (page number, expression, date, link, soft hyphen,
// break) is entered: its visible text is composed like text.
void xMorvaComposer::EnterElement(const StreamItem& item) {
  const uint16_t code = item.unit;
  if (code == xMorvaElementCode::PageNumber) {
    // Composed with its widest text: each page then shows its own number
    // in the room that text leaves.
    ++fPageNumbers;
    fLines.fPageNumbersComposed = true;
    if (fLines.fDocument != nullptr) fLines.fDocument->PreparePageNumber(fS + fAt, fS + fSize);
    NoteWritten(fS + fAt);
  }
  if (code == xMorvaElementCode::PageBreak) fPendingBreak = kLinePageBreak;
  if (code == xMorvaElementCode::ColBreak) fPendingBreak = kLineColumnBreak;
  if (code == xMorvaElementCode::SoftHyphen) {
    HideSoftHyphen();
    PutStreamLong(fS + fAt + 8, 0);
    fSoftHyphen = fS + fAt;
    fSoftWidth = 0;
  }
  const StreamItem shown = ReadStreamItem(fS + fAt, fSize - fAt);
  fElementStart = fAt;
  fElementEnd = fAt + shown.size;
  fElementCode = code;
  fAt += shown.skipSize;
}

// A unit (or a picture) goes on the line, or breaks it. This step and the
// ones it takes for every unit are inline in the walk: a call per unit
// costs composition a few hundredths of its time.
inline bool xMorvaComposer::TakeUnit(Unit& u) {
  if (!u.picture && u.unit == kUnitParagraphEnd) return EndParagraph();
  MeasureUnit(u);
  // The break range's code points hold the surrogate halves, which are no
  // characters: a line breaks before a pair or after it, never inside.
  if (!u.picture && !u.pair && IsBreakCharacter(u.unit) && TakeBreakCharacter(u)) return false;
  if (Fits(u.width, u.unit)) {
    Place(u.width, u.unit, u.placed);
    RaiseToPicture(u);
    fAt += u.step;
    if (fOpp->growing) GrowOpportunity(u);
    return false;
  }
  if (fOpp->open && !OpportunityInsideCluster(*fOpp)) return BreakAtOpportunity(*fOpp, StretchNow());
  // The last place to break falls inside a character: the line ends at the
  // place before it, and is cut inside a word only when there is none.
  if (fKept->open) {
    Metrics stretch = fKeptStretchM;
    stretch.Raise(StretchNow());
    return BreakAtOpportunity(*fKept, stretch);
  }
  return BreakWithoutOpportunity(u);
}

inline void xMorvaComposer::MeasureUnit(Unit& u) {
  if (u.picture) return;
  const uint16_t* unit = &u.unit;
  u.width = fFont.MeasureCharWidth(unit, unit + 1);
  if (u.pair) {
    const uint16_t low = StreamUnit(fS + fAt + 2);
    u.width += fFont.MeasureCharWidth(&low, &low + 1);
  }
}

bool xMorvaComposer::EndParagraph() {
  HideSoftHyphen();
  fRec.flags |= kLineLastOfParagraph;
  if (fPageNumbers > 0) fRec.flags |= kLineHasPageNumbers;
  fRec.positions += 1;
  if (fElementEnd != 0 && fAt + 2 >= fElementEnd) {
    fElementEnd = 0;
    fElementCode = 0;
  }
  fAt += 2;
  FinishTab();
  fRec.flags |= fPendingBreak;
  fPendingBreak = 0;
  CloseLine(fLineM);
  StoreLine(fAt);
  if (fElementEnd != 0) {
    // A break element's second paragraph end: the rest of its text
    // belongs to the line it ended.
    while (fAt < fElementEnd) fAt += 2;
    fRec.positions = 0;
  }
  fPageNumbers = 0;
  fX = 0;
  StartNextLine(fState, kLineFirstOfParagraph, FontMetrics());
  fStretchFresh = true;
  fLastWasParagraphEnd = true;
  return MarkResumable(fElementEnd == 0);
}

// A break character that fits (not counting a pending tab) is placed and
// opens a break opportunity after it: true. Otherwise it goes to the fit
// test like any unit.
bool xMorvaComposer::TakeBreakCharacter(const Unit& u) {
  const bool ownHyphen = fSoftHyphen != nullptr && u.unit == kSoftHyphenUnit &&
                         fElementCode == xMorvaElementCode::SoftHyphen;
  if (ownHyphen) {
    fSoftWidth = u.width;
  } else {
    HideSoftHyphen();
  }
  if (fX + u.width > fRec.available) return false;
  const bool space = IsSpaceUnit(u.unit);
  const double xBefore = fX;
  Place(u.width, u.unit, u.placed);
  if (space) fRec.spaces += 1;
  OpenOpportunity(space       ? kLineBreakAtSpace
                  : ownHyphen ? kLineBreakAtSoftHyphen
                              : kLineBreakAtHyphen,
                  fAt + 2, space ? xBefore : fX);
  fOpp->unit = u.unit;
  if (fElementEnd != 0 && fAt + 2 >= fElementEnd) {
    // The unit ends the element's text (a shown soft hyphen above all): a
    // break here ends the line after the element, which counts on it.
    fOpp->positions += 1;
    fOpp->elementEnd = 0;
  }
  // A line breaks after a character with its marks, selectors and joiners,
  // as it never ends inside one: the place after a break character that
  // they follow waits for them. A space's does not: with a mark, a space
  // is no blank to end a line at, and the place stays shut.
  fOpp->growing = !space && OpportunityInsideCluster(*fOpp);
  fAt += 2;
  return true;
}

// Notes the line as it stands as the place to break it at, before
// `byteAfter`, `widthTo` wide.
inline void xMorvaComposer::OpenOpportunity(uint16_t kind, uint32_t byteAfter, double widthTo) {
  if (fOpp->open) KeepOpportunity();
  fOpp->open = true;
  fOpp->kind = kind;
  fOpp->stateLive = true;
  fOpp->byteAfter = byteAfter;
  fOpp->widthTo = widthTo;
  fOpp->xAfter = fX;
  fOpp->height = Height(fLineM, fRec.flags);
  fOpp->ascent = fLineM.ascent;
  fOpp->positions = fRec.positions;
  fOpp->spaces = fRec.spaces;
  fOpp->pageNumbers = fPageNumbers;
  fOpp->elementEnd = fElementEnd;
  fOpp->unit = 0;
  fOpp->growing = false;
  fOpp->tab = fTab;
  fStretchFresh = true;
}

// The last opportunity gives way to a later one. It is kept when the line
// may end there; one inside a character is not, nor a soft hyphen's,
// whose hyphen the later break character hid. The one kept before then
// reaches on over the text after it.
inline void xMorvaComposer::KeepOpportunity() {
  const bool atEdge = !OpportunityInsideCluster(*fOpp);
  if (atEdge && fOpp->kind != kLineBreakAtSoftHyphen) {
    std::swap(fOpp, fKept);
    fKeptStretchM = StretchNow();
  } else if (fKept->open) {
    fKeptStretchM.Raise(StretchNow());
  }
}

// The unit `u`, just placed, belongs to the character whose break
// character the last opportunity follows: the place moves on after it, and
// opens there, with the line as it now stands, when the character ends.
inline void xMorvaComposer::GrowOpportunity(const Unit& u) {
  const char32_t last = u.pair ? CodePointEndedBy(u.unit, StreamUnit(fS + fAt - 2)) : u.unit;
  fOpp->unit = last;
  fOpp->byteAfter = fAt;
  if (OpportunityInsideCluster(*fOpp)) return;
  const uint16_t kind = fOpp->kind;
  fOpp->open = false;  // opened again, not kept
  OpenOpportunity(kind, fAt, fX);
  fOpp->unit = last;
}

// A picture takes the size it has in the room of the line being built.
void xMorvaComposer::FitPicture(Unit& u) const {
  const xMorvaPictureExtent extent =
      LaidOutPictureSize(u.shownWidth, u.shownHeight, fLines.PictureRoom(fRec));
  u.width = double(extent.width);
  u.pictureHeight = extent.height;
}

// A picture placed raises the ascent of its line, of the stretch, and of
// the metrics before the next unit: a forced break before that unit leaves
// the picture on the line it closes.
void xMorvaComposer::RaiseToPicture(const Unit& u) {
  if (!u.picture) return;
  fLineM.ascent = std::max(fLineM.ascent, u.pictureHeight);
  fStretchM.ascent = std::max(fStretchM.ascent, u.pictureHeight);
  fBeforeM.ascent = std::max(fBeforeM.ascent, u.pictureHeight);
}

// --- Tabs and soft hyphens ---------------------------------------------

void xMorvaComposer::HideSoftHyphen() {
  if (fSoftHyphen == nullptr) return;
  PutStreamLong(fSoftHyphen + 8, 2);
  fX -= fSoftWidth;
  fSoftHyphen = nullptr;
}

// The pending tab is laid out with the room it has left.
void xMorvaComposer::FinishTab() {
  if (!fTab.pending) return;
  xMorvaLines::SetTabLayout(fTab.element, fTab.size, fTab.remaining, fTab.leader, fTab.leaderWidth,
                            fTab.kind);
  NoteWritten(fTab.element);
  fTab.pending = false;
}

// A unit of width `w` placed under the pending tab uses up its room.
void xMorvaComposer::AdvanceUnderTab(double w, uint16_t unit) {
  if (fTab.kind == kTabCentre) {
    if (fTab.remaining <= w / 2) {
      fX += w - fTab.remaining;
      fTab.remaining = 0;
      FinishTab();
    } else {
      fTab.remaining -= w / 2;
      fX += w / 2;
    }
  } else if (fTab.kind == kTabDecimal && unit == fDecimal) {
    fX += w;
    FinishTab();
  } else if (fTab.remaining <= w) {
    fX += w - fTab.remaining;
    fTab.remaining = 0;
    FinishTab();
  } else {
    fTab.remaining -= w;
  }
}

inline bool xMorvaComposer::Fits(double w, uint16_t unit) const {
  if (!fTab.pending) return fX + w <= fRec.available;
  double d = w;
  if (fTab.kind == kTabCentre)
    d = w / 2 - fTab.remaining;
  else if (!(fTab.kind == kTabDecimal && unit == fDecimal))
    d = w - fTab.remaining;
  return fX + d <= fRec.available;
}

// The unit goes on the line: the pen moves, the positions count.
inline void xMorvaComposer::Place(double w, uint16_t unit, int32_t placed) {
  if (fTab.pending)
    AdvanceUnderTab(w, unit);
  else
    fX += w;
  if (fElementEnd == 0) fRec.positions += placed;
  if (fStretchFresh) {
    fStretchM = FontMetrics();
    fStretchFresh = false;
  }
  fBeforeM = fLineM;
}

// --- Line breaks -------------------------------------------------------

// The unit does not fit and the line has no place to break at: a forced
// break.
bool xMorvaComposer::BreakWithoutOpportunity(Unit& u) {
  if (fElementCode == xMorvaElementCode::PageNumber) {
    fX += u.width;  // a page number's text is never broken
    fAt += u.step;
    return false;
  }
  // What a user sees as one character is never parted by a line end: a
  // unit that goes on with the one before it stays on the line, past its
  // edge, and so does a unit too wide for the empty line that the next
  // goes on with.
  const bool empty = fRec.positions == 0 && fX == 0;
  if (!u.picture && (ContinuesCluster(fAt) || (empty && ContinuesCluster(fAt + u.step)))) {
    Place(u.width, u.unit, u.placed);
    fAt += u.step;
    if (fOpp->growing) GrowOpportunity(u);
    return false;
  }
  fRec.flags |= kLineForcedBreak;
  if (fPageNumbers > 0) fRec.flags |= kLineHasPageNumbers;
  if (empty ? BreakAfterLoneUnit(u) : BreakBeforeUnit(u)) return true;
  fPageNumbers = 0;
  fTab.pending = false;
  return false;
}

bool xMorvaComposer::ContinuesCluster(uint32_t at) const {
  if (fElementEnd != 0 || at <= fLineStart || at >= fSize) return false;
  // The line's units before it (an element as 0), then its own code point:
  // a line starts at a cluster edge, so they are all the context the rules
  // need.
  std::u16string units;
  for (uint32_t from = fLineStart; from < at;) {
    const StreamItem item = ReadStreamItem(fS + from, fSize - from);
    if (item.kind != StreamItem::kRecord) units.push_back(item.kind == StreamItem::kUnit ? item.unit : char16_t(0));
    from += std::max<uint32_t>(item.size, 2);
  }
  const uint32_t unitAt = PastRecords(fS, at, fSize);
  const StreamItem next = ReadStreamItem(fS + unitAt, fSize - unitAt);
  if (units.empty() || next.kind != StreamItem::kUnit) return false;
  const auto before = int32_t(units.size());
  units.push_back(next.unit);
  if (StartsPair(fS, unitAt, fSize)) units.push_back(UnitPastRecords(fS, unitAt + 2, fSize));
  return !IsClusterBoundary(units.data(), int32_t(units.size()), before);
}

// Inline where it is asked at every break character: nothing below U+0300
// goes on with the character before it (no mark, joiner, selector or jamo
// is there), and most text is told at once.
inline bool xMorvaComposer::OpportunityInsideCluster(const Opportunity& opp) const {
  if (opp.unit == 0 || opp.elementEnd != 0) return false;
  const char16_t at = opp.byteAfter + 2 <= fSize ? StreamUnit(fS + opp.byteAfter) : 0;
  if (at != 0 && at < 0x0300) return false;
  return OpportunityInsideClusterBefore(opp, at);
}

// A character right after the place, as most text has, is read at once,
// and so is a pair of units right after it (an emoji after a space).
__attribute__((noinline)) bool xMorvaComposer::OpportunityInsideClusterBefore(const Opportunity& opp,
                                                                              char16_t at) const {
  char32_t after = at != 0 ? at : UnitPastRecords(fS, opp.byteAfter, fSize);
  if (IsHighSurrogateUnit(at) && opp.byteAfter + 4 <= fSize && IsLowSurrogateUnit(StreamUnit(fS + opp.byteAfter + 2)))
    after = CodePointEndedBy(at, StreamUnit(fS + opp.byteAfter + 2));
  switch (ClusterEdgeBetween(opp.unit, after)) {
    case VClusterEdge::kEdge: return false;
    case VClusterEdge::kInside: return true;
    case VClusterEdge::kAsk: break;
  }
  return ContinuesCluster(opp.byteAfter);
}

// A unit too wide for an empty line stays on it alone.
bool xMorvaComposer::BreakAfterLoneUnit(const Unit& u) {
  RaiseToPicture(u);
  fRec.positions = u.placed;
  fRec.width = float(fX + u.width);
  fRec.height = Height(fLineM, fRec.flags);
  fRec.ascent = fLineM.ascent;
  fAt += u.step;
  StoreLine(fAt);
  fX = 0;
  StartNextLine(fState, kLineContinuesWord, FontMetrics());
  return MarkResumable(fElementEnd == 0);
}

// The line ends before the unit, which begins the next one.
bool xMorvaComposer::BreakBeforeUnit(Unit& u) {
  CloseLine(fBeforeM);
  // A soft hyphen's or a break's text is no text of its own: the line ends
  // before the element, which the next line begins with whole.
  const bool wholeElement = fElementEnd != 0 && fElementStart > fLineStart &&
                            (fElementCode == xMorvaElementCode::SoftHyphen || IsBreakCode(fElementCode));
  StoreLine(wholeElement ? fElementStart : fAt);
  StartNextLine(fState, kLineContinuesWord, FontMetrics());
  // A picture is fitted to the new line's room, as drawing fits it there.
  if (u.picture) FitPicture(u);
  // The unit begins the new line as it would on a line of its own: not a
  // break character (which would open a break there) and not wider than
  // the line.
  if (MarkResumable(fElementEnd == 0 && (u.picture || !IsBreakCharacter(u.unit)) &&
                    u.width <= fRec.available))
    return true;
  RaiseToPicture(u);
  fX = u.width;
  if (fElementEnd == 0) fRec.positions = u.placed;
  fAt += u.step;
  return false;
}

// The unit does not fit: the line ends at the break opportunity `opp`,
// with the property state there; `stretch` holds the metrics of the text
// after it (nothing placed since it: the font as it now stands, in which
// the unit under test begins the new line).
bool xMorvaComposer::BreakAtOpportunity(const Opportunity& opp, const Metrics& stretch) {
  // Spaces counted after the opportunity (after one inside a character)
  // move on with their text.
  const int32_t spacesAfter = fRec.spaces - opp.spaces;
  fRec.flags |= opp.kind;
  if (opp.pageNumbers > 0) fRec.flags |= kLineHasPageNumbers;
  fRec.height = opp.height;
  fRec.ascent = opp.ascent;
  fRec.positions = opp.positions;
  fRec.width = float(opp.widthTo);
  fRec.spaces = opp.spaces - (opp.kind == kLineBreakAtSpace ? 1 : 0);
  if (fSoftHyphen != nullptr && fSoftHyphen + kElementHeadSize + 2 <= fS + opp.byteAfter)
    fSoftHyphen = nullptr;  // at a soft-hyphen break its hyphen stays shown
  const uint16_t kind = opp.kind;
  const uint32_t breakAt = opp.byteAfter;
  const double xAfter = opp.xAfter;
  const uint32_t breakElementEnd = opp.elementEnd;
  xMorvaProperties breakState(opp.stateLive ? fState : opp.state);
  // A centre, right or decimal tab whose text the line breaks keeps the
  // room it had at the break: the units that moved on used none of it.
  const bool tabCut = opp.tab.pending;
  if (tabCut) fTab = opp.tab;
  FinishTab();
  StoreLine(breakAt);
  fPageNumbers -= opp.pageNumbers;
  StartNextLine(breakState, kind == kLineBreakAtSoftHyphen ? kLineContinuesWord : 0, stretch);
  if (kind == kLineBreakAtTab || (tabCut && breakElementEnd == 0))
    return ResumeAfterTabBreak(breakAt, breakState);
  fRec.spaces = spacesAfter;
  return CarryOverToNewLine(breakAt, breakElementEnd, xAfter);
}

// Composition resumes after the tab, or after the break in a tab's text,
// with the state there, measuring again: the units placed under the tab
// moved the pen by less than their widths.
bool xMorvaComposer::ResumeAfterTabBreak(uint32_t breakAt, const xMorvaProperties& breakState) {
  // Tab records met since would be applied twice.
  bool stopsMet = false;
  for (uint32_t p = breakAt; p < fAt;) {
    const StreamItem back = ReadStreamItem(fS + p, fSize - p);
    if (back.kind == StreamItem::kRecord && back.unit == kPropTabs) stopsMet = true;
    p += std::max<uint32_t>(back.size, 2);
  }
  // A soft hyphen entered after the break has been marked shown by this
  // walk; only walking on to it again settles it. A composition can begin
  // at the new line, but the old lines cannot stand from it.
  const bool hyphenAhead = fSoftHyphen != nullptr;
  fOpp->stateLive = fKept->stateLive = false;
  fState.Assign(breakState);
  fFont.BeginLine(&fRec, fState, 0);
  fX = 0;
  fAt = breakAt;
  fElementEnd = 0;
  fElementCode = 0;
  fSoftHyphen = nullptr;  // met again, if it lies after the break
  fPageNumbers = 0;       // counted again as they are met
  fLineM = fStretchM = fBeforeM = FontMetrics();
  return MarkResumable(!stopsMet) && !hyphenAhead;
}

// The units placed since the break move to the new line with the pen;
// the unit under test is tested again there.
bool xMorvaComposer::CarryOverToNewLine(uint32_t breakAt, uint32_t breakElementEnd, double xAfter) {
  fX -= xAfter;
  // A computed element counts once, where its text ends: not for its
  // units, and not yet while the cursor is still inside its text.
  fRec.positions = 0;
  uint32_t p = breakAt;
  if (breakElementEnd != 0 && breakAt < breakElementEnd) {
    // The break fell inside an element's text.
    if (fAt >= breakElementEnd) {
      fRec.positions += 1;
      p = breakElementEnd;
    } else {
      p = fAt;
    }
  }
  // Only characters carried over (no record, no element): the new line is
  // then the one a composition from the break would make.
  bool plain = breakElementEnd == 0 && fElementEnd == 0;
  while (p < fAt) {
    const StreamItem back = ReadStreamItem(fS + p, fSize - p);
    if (back.kind == StreamItem::kUnit) fRec.positions += 1;
    if (back.kind == StreamItem::kElement && uint64_t(p) + back.size <= fAt) fRec.positions += 1;
    if (back.kind != StreamItem::kUnit || back.unit == kUnitParagraphEnd) plain = false;
    p += back.size;
  }
  return MarkResumable(plain && fX <= fRec.available);
}

// The end of the range: a last record when bytes remain since the line's
// start, when the table was empty, or for the empty line after a final
// paragraph end.
void xMorvaComposer::FinishRange() {
  const bool atTableEnd = fLine >= LineCount();
  if (fAt > fLineStart || (fTableWasEmpty && fLine == fFirstLine) ||
      (atTableEnd && fLastWasParagraphEnd) || (atTableEnd && fStart == fEnd && LineCount() == 0)) {
    if (fElementEnd != 0) fRec.positions += 1;
    HideSoftHyphen();
    FinishTab();
    fRec.flags |= atTableEnd ? kLineLastOfText : kLineLastOfParagraph;
    if (fPageNumbers > 0) fRec.flags |= kLineHasPageNumbers;
    CloseLine(fLineM);
    StoreLine(std::max(fAt, fLineStart));
  }
}

// --- Storing records ---------------------------------------------------

void xMorvaComposer::StoreLine(uint32_t bytesEnd) {
  fRec.bytes = bytesEnd - fLineStart;
  if (fResume != nullptr && fLine < LineCount() && OldStartNow() < int64_t(bytesEnd)) {
    TakeOldPlace();
  } else if (!InsertRecord()) {
    // The table is short of this line: the caller hears of it and the
    // next change composes the whole text again.
    fLines.fStatus = kLinesOutOfMemory;
    fLines.fNeedsRebuild = true;
  } else {
    ++fLine;
    if (fResume != nullptr) ++fResume->composed;
  }
  fLineStart = bytesEnd;
  if (fResume != nullptr) DropOldRecordsBefore(fLineStart);
}

bool xMorvaComposer::InsertRecord() {
  if (fLines.fRecordLimit >= 0 && LineCount() >= fLines.fRecordLimit) return false;
  fLines.ForgetHint();
  fBatch.push_back(std::make_unique<xMorvaLineRecord>(fRec));
  fLines.fTotalHeight += fRec.height;
  if (fLines.fProgress != nullptr) fLines.fProgress->Progress(fRec.bytes);
  return true;
}

// An old record that the new line covers: the new line takes its place.
void xMorvaComposer::TakeOldPlace() {
  const xMorvaLineRecord& old = fLines.Rec(fOldNext);
  fResume->oldStart += old.bytes;
  fLines.fTotalHeight += fRec.height - old.height;
  fBatch.push_back(std::make_unique<xMorvaLineRecord>(fRec));
  ++fOldNext;
  if (fLines.fProgress != nullptr) fLines.fProgress->Progress(fRec.bytes);
  ++fResume->dropped;
  ++fResume->composed;
  ++fLine;
}

// The old records that begin before `at` (where the next line begins)
// are gone.
void xMorvaComposer::DropOldRecordsBefore(uint32_t at) {
  const int32_t count = fLines.GetLineCount();
  while (fOldNext < count && OldStartNow() < int64_t(at)) {
    const xMorvaLineRecord& old = fLines.Rec(fOldNext);
    fResume->oldStart += old.bytes;
    fLines.fTotalHeight -= old.height;
    ++fOldNext;
    ++fResume->dropped;
  }
}

// The end of the text: what is left of the old records goes.
void xMorvaComposer::DropOldRecordsToEnd() {
  if (fResume == nullptr) return;
  const int32_t count = fLines.GetLineCount();
  for (int32_t i = fOldNext; i < count; ++i) fLines.fTotalHeight -= fLines.Rec(i).height;
  fResume->dropped += count - fOldNext;
  fOldNext = count;
}

// Marks the line just begun (at fLineStart) as one composition can begin
// again at; after a change, true when an old line begins there in the same
// way, so that the old lines from it on stand as they are.
bool xMorvaComposer::MarkResumable(bool resumable) {
  // A soft hyphen still pending would be shown or hidden by what follows.
  resumable = resumable && fSoftHyphen == nullptr;
  fRec.resumable = resumable;
  if (resumable) fRec.stops = CurrentStops();
  if (fResume == nullptr || !resumable || fLine >= LineCount() || fLineStart >= fSize) return false;
  if (fResume->oldStart < fResume->oldEnd || OldStartNow() != int64_t(fLineStart)) return false;
  const xMorvaLineRecord& old = OldAt(fLine);
  return old.resumable && (old.flags & kStartFlags) == (fRec.flags & kStartFlags) &&
         old.tabsKey == fRec.tabsKey && SameLineState(old.state, fRec.state) &&
         old.stops != nullptr && !old.stops->IsDifferent(*fRec.stops);
}

// An old record (after a change) starts where the new lines stand: at its
// old place when it lies before the change, at the change's start when
// inside it, moved by the change when after it.
int64_t xMorvaComposer::OldStartNow() const {
  const int64_t at = fResume->oldStart;
  return at >= fResume->oldEnd ? at + fResume->delta : std::min<int64_t>(at, fResume->start);
}

int32_t xMorvaComposer::LineCount() const { return fLine + fLines.GetLineCount() - fOldNext; }

xMorvaLineRecord& xMorvaComposer::OldAt(int32_t index) {
  return fLines.Rec(fOldNext + (index - fLine));
}

// The new records take the place of the old ones they replaced, in one
// move of the records behind them.
void xMorvaComposer::Flush() {
  auto& records = fLines.fRecords;
  const size_t replaced = size_t(fOldNext - fBatchAt);
  const size_t common = std::min(replaced, fBatch.size());
  const auto at = records.begin() + fBatchAt;
  std::move(fBatch.begin(), fBatch.begin() + common, at);
  if (replaced > common) {
    records.erase(at + common, at + replaced);
  } else {
    records.insert(at + common, std::make_move_iterator(fBatch.begin() + common),
                   std::make_move_iterator(fBatch.end()));
  }
  fBatch.clear();
  fBatchAt = fOldNext = fLine;
}
