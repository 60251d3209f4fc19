// Line composition: breaking a flow's element stream into line records.
#include "engine/xMorvaLines.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "document/xMorvaDocumentInterface.h"
#include "document/xMorvaTabs.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaFont.h"
#include "engine/xMorvaFontMeasure.h"
#include "engine/xMorvaPictureElement.h"
#include "framework/core/streams/VStreamProgress.h"
#include "framework/system/environment/VSystemServices.h"

namespace {

constexpr int32_t kBorderWidths[11] = {1, 2, 3, 1, 2, 3, 3, 4, 6, 4, 5};
constexpr uint16_t kSoftHyphenUnit = 0x00AD;
constexpr int32_t kTabBorderBar = 5;

bool IsBreakCharacter(uint16_t u) {
  return IsSpaceUnit(u) || u == kSoftHyphenUnit || u == 0x002D || u == 0x2013 || u == 0x2014 ||
         (u >= 0x1100 && u <= 0x1DFF) || (u >= 0x3000 && u <= 0xFB4F);
}

// Greatest ascent, descent and font height of a stretch of a line.
struct Metrics {
  int32_t ascent = 0;
  int32_t descent = 0;
  int32_t fontHeight = 0;
  void Raise(const Metrics& other) {
    ascent = std::max(ascent, other.ascent);
    descent = std::max(descent, other.descent);
    fontHeight = std::max(fontHeight, other.fontHeight);
  }
};

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

Metrics FontMetrics(xMorvaFont& font) {
  Metrics m;
  m.ascent = font.GetAscent();
  m.descent = font.GetDescent();
  m.fontHeight = m.ascent + m.descent;
  return m;
}

// The tab layout cache of a tab element: two f32 widths, i16 kind, u16
// leader, i16 leader count, after the 12-byte head.
void SetTabLayout(uint8_t* element, uint32_t size, double width, uint16_t leader,
                  double leaderWidth, int32_t kind) {
  if (element == nullptr || size < kElementHeadSize + 14) return;
  uint8_t* cache = element + kElementHeadSize;
  const float w = width > 0 ? float(width) : 0.0f;
  uint32_t bits = 0;
  static_assert(sizeof bits == sizeof w);
  std::memcpy(&bits, &w, sizeof bits);
  PutStreamLong(cache, bits);
  PutStreamLong(cache + 4, bits);
  PutStreamUnit(cache + 8, uint16_t(kind));
  PutStreamUnit(cache + 10, leader);
  int32_t count = 0;
  if (leader != 0 && leaderWidth > 0 && w > 0) count = int32_t(w / leaderWidth);
  PutStreamUnit(cache + 12, uint16_t(std::min(count, 0x7FFF)));
}

}  // namespace

int32_t xMorvaLines::BorderWidth(int32_t style) {
  return style < 0 || style > 10 ? kBorderWidths[0] : kBorderWidths[style];
}

xMorvaLines::xMorvaLines(xMorvaDocumentInterface* document, xMorvaEngine* engine, int16_t part,
                         int32_t initialRecords)
    : fDocument(document), fEngine(engine), fPart(part) {
  fRecords.reserve(size_t(std::max(initialRecords, 1)));
}

xMorvaLines::~xMorvaLines() = default;

int32_t xMorvaLines::GetWidestLine() const {
  float widest = 0;
  for (const auto& r : fRecords) widest = std::max(widest, r->width);
  return int32_t(std::ceil(widest));
}

int32_t xMorvaLines::AvailableWidth(const xMorvaProperties& s, bool firstLine) const {
  int32_t width = fDocument != nullptr ? fDocument->GetTextWidth(fPart) : 0;
  width -= s.GetProperty(kPropLeftIndent) + s.GetProperty(kPropRightIndent);
  if (firstLine) width -= s.GetProperty(kPropFirstLineIndent);
  const int32_t border = s.GetProperty(kPropBorderSpacing) + BorderWidth(s.GetProperty(kPropBorderStyle));
  if (s.GetProperty(kPropLeftBorder)) width -= border;
  if (s.GetProperty(kPropRightBorder)) width -= border;
  return width;
}

int32_t xMorvaLines::LineHeight(const xMorvaProperties& s, uint16_t flags, int32_t ascent,
                                int32_t descent, int32_t fontHeight) {
  int32_t extra = 0;
  if (s.GetProperty(kPropTopBorder) || s.GetProperty(kPropBottomBorder)) {
    const int32_t b = s.GetProperty(kPropBorderSpacing) + BorderWidth(s.GetProperty(kPropBorderStyle));
    if (flags & kLineFirstOfParagraph) extra += b;
    if (flags & (kLineLastOfParagraph | kLineLastOfText)) extra += b;
  }
  // An interline at or below 0 (from a paste or a command) is single.
  int32_t interline = s.GetProperty(kPropInterline);
  if (interline <= 0) interline = 10;
  const int32_t height = extra + ascent + descent + (fontHeight * (interline - 10)) / 10;
  return std::max(height, 1);
}

bool xMorvaLines::InsertLineRecord(const xMorvaLineRecord& record, int32_t index) {
  if (fRecordLimit >= 0 && GetLineCount() >= fRecordLimit) return false;
  index = std::clamp(index, 0, GetLineCount());
  ForgetHint();
  // The table grows geometrically, so typing at the end costs no copy of
  // the whole table per line.
  if (fRecords.size() == fRecords.capacity()) fRecords.reserve(fRecords.capacity() * 2 + 16);
  fRecords.insert(fRecords.begin() + index, std::make_unique<xMorvaLineRecord>(record));
  fTotalHeight += record.height;
  // Composition cannot be cancelled: the answer is not asked.
  if (fProgress != nullptr) fProgress->Progress(record.bytes);
  return true;
}

void xMorvaLines::StartProgress(uint32_t bytes) {
  fProgress.reset(fDocument != nullptr ? fDocument->NewProgressStatus(kProgressComposing, bytes)
                                       : nullptr);
}

void xMorvaLines::EndProgress() { fProgress.reset(); }

int32_t xMorvaLines::RemoveLines(int32_t first, uint32_t start, uint32_t end, bool alsoLast) {
  if (first < 0 || first >= GetLineCount()) return 0;
  ForgetHint();
  int32_t last = first;
  uint64_t sum = start;
  do {
    sum += Rec(last).bytes;
    fTotalHeight -= Rec(last).height;
    ++last;
  } while (last < GetLineCount() && sum < end);
  if (alsoLast && last == GetLineCount() - 1) {
    fTotalHeight -= Rec(last).height;
    ++last;
  }
  fRecords.erase(fRecords.begin() + first, fRecords.begin() + last);
  return last - first;
}

void xMorvaLines::GetStateAtLine(uint32_t start, int32_t index, xMorvaProperties& state) {
  if (index <= 0 || index > GetLineCount()) {
    state.SetDefaults();
    return;
  }
  const xMorvaLineRecord& previous = Rec(index - 1);
  state.Assign(previous.state);
  const uint32_t from = start >= previous.bytes ? start - previous.bytes : 0;
  const uint8_t* s = fEngine->LockStream();
  const uint32_t size = fEngine->GetStreamSize();
  for (uint32_t at = from; s != nullptr && at < start && at < size;) {
    const StreamItem item = ReadStreamItem(s + at, size - at);
    if (item.kind == StreamItem::kRecord && item.size == kRecordSize && item.unit <= kLastParagraphProperty)
      state.SetProperty(item.unit, int32_t(item.value));
    at += item.size;
  }
  if (s != nullptr) fEngine->UnlockStream();
}

int32_t xMorvaLines::ComposeAll(xMorvaFont& font, bool withProgress) {
  constexpr uint32_t kProgressThreshold = 1024;
  const uint32_t bytes = fEngine->GetStreamSize();
  if (withProgress && bytes > kProgressThreshold) StartProgress(bytes);
  fRecords.clear();
  ForgetHint();
  fReplaced = Replaced();
  fTotalHeight = 0;
  fStatus = 0;
  fNeedsRebuild = false;
  fPending = false;
  xMorvaProperties state;
  state.SetDefaults();
  xMorvaTabs tabs;
  Compose(font, 0, state, tabs, 0, bytes);
  EndProgress();
  return fStatus;
}

int32_t xMorvaLines::Compose(xMorvaFont& font, int32_t line, xMorvaProperties& state,
                             xMorvaTabs& tabs, uint32_t start, uint32_t end) {
  return ComposeFrom(font, line, state, tabs, start, end, nullptr);
}

int32_t xMorvaLines::ComposeFrom(xMorvaFont& font, int32_t line, xMorvaProperties& state,
                                 xMorvaTabs& tabs, uint32_t start, uint32_t end, Resume* resume) {
  constexpr uint16_t kStartFlags = kLineFirstOfParagraph | kLineContinuesWord;
  const uint16_t firstFlags = resume != nullptr ? uint16_t(resume->flags & kStartFlags)
                                                : uint16_t(kLineFirstOfParagraph);
  uint8_t* locked = fEngine->LockStream();
  const uint32_t size = fEngine->GetStreamSize();
  if (locked == nullptr && size != 0) return line;
  // An empty stream may have no block: it still composes to one line.
  uint8_t none[2] = {};
  uint8_t* s = locked != nullptr ? locked : none;
  end = std::min(end, size);
  const bool tableWasEmpty = fRecords.empty();
  const int32_t firstLine = line;
  const char16_t decimal =
      gSystemServices != nullptr ? gSystemServices->GetDecimalSeparator() : char16_t('.');

  struct PendingTab {
    bool pending = false;
    uint8_t* element = nullptr;
    uint32_t size = 0;
    int32_t kind = 0;
    double remaining = 0;
    uint16_t leader = 0;
    double leaderWidth = 0;
  } tab;
  struct Opportunity {
    bool open = false;
    uint16_t kind = 0;
    xMorvaProperties state;
    uint32_t byteAfter = 0;
    double widthTo = 0;
    double xAfter = 0;
    int32_t height = 0;
    int32_t ascent = 0;
    int32_t positions = 0;
    int32_t spaces = 0;
    int32_t pageNumbers = 0;
    uint32_t elementEnd = 0;
    // The tab pending there: a break lays it out with the room it had.
    PendingTab tab;
  } opp;
  // The opportunity's state is the running state as long as no record has
  // changed it since: it is copied only when a record is about to.
  bool oppStateLive = false;

  xMorvaLineRecord rec;
  double x = 0;
  uint32_t lineStart = start;
  uint32_t elementEnd = 0;
  uint16_t elementCode = 0;
  uint16_t pendingBreak = 0;
  int32_t pageNumbers = 0;
  uint8_t* softHyphen = nullptr;  // the pending one, shown
  double softWidth = 0;
  // The range starts a paragraph: past the first byte, one ended there.
  bool lastWasParagraphEnd = start > 0 && (firstFlags & kLineFirstOfParagraph) != 0;
  Metrics lineM, stretchM, beforeM;
  bool stretchFresh = true;
  int32_t pictureWidth = 0;
  int32_t pictureHeight = 0;

  // The stops as `tabs` holds them, shared by the lines that begin with
  // them; made again after a tab record.
  std::shared_ptr<const xMorvaTabs> stopsNow;
  auto currentStops = [&]() {
    if (stopsNow == nullptr) stopsNow.reset(new xMorvaTabs(tabs));
    return stopsNow;
  };
  // An old record (after a change) starts where the new lines stand: at
  // its old place when it lies before the change, at the change's start
  // when inside it, moved by the change when after it.
  auto oldStartNow = [&]() -> int64_t {
    const int64_t at = resume->oldStart;
    return at >= resume->oldEnd ? at + resume->delta : std::min<int64_t>(at, resume->start);
  };
  auto beginRecord = [&](const xMorvaProperties& lineState, uint16_t flags) {
    rec = xMorvaLineRecord();
    rec.state.Assign(lineState);
    rec.tabsKey = TabsKey(tabs);
    rec.flags = flags;
    rec.available = AvailableWidth(state, (flags & kLineFirstOfParagraph) != 0);
  };
  auto height = [&](const Metrics& m, uint16_t flags) {
    return LineHeight(state, flags, m.ascent, m.descent, m.fontHeight);
  };
  // New records wait in `batch` and go into the table together, in one
  // move of the records behind them, instead of one move per line (a
  // paste of many pages). While records wait, they stand before `line`
  // and the old record at index i (i >= line) is fRecords[i - waiting].
  std::vector<std::unique_ptr<xMorvaLineRecord>> batch;
  int32_t batchAt = 0;
  auto lineCount = [&]() { return GetLineCount() + int32_t(batch.size()); };
  auto oldAt = [&](int32_t index) -> xMorvaLineRecord& { return Rec(index - int32_t(batch.size())); };
  auto flush = [&]() {
    if (batch.empty()) return;
    fRecords.insert(fRecords.begin() + batchAt, std::make_move_iterator(batch.begin()),
                    std::make_move_iterator(batch.end()));
    batch.clear();
  };
  auto insertRecord = [&]() {
    if (fRecordLimit >= 0 && lineCount() >= fRecordLimit) return false;
    ForgetHint();
    if (batch.empty()) batchAt = line;
    batch.push_back(std::make_unique<xMorvaLineRecord>(rec));
    fTotalHeight += rec.height;
    if (fProgress != nullptr) fProgress->Progress(rec.bytes);
    return true;
  };
  auto store = [&](uint32_t bytesEnd) {
    rec.bytes = bytesEnd - lineStart;
    if (resume != nullptr && line < lineCount() && oldStartNow() < int64_t(bytesEnd)) {
      // An old record that the new line covers: its place is taken.
      flush();
      xMorvaLineRecord& old = Rec(line);
      resume->oldStart += old.bytes;
      fTotalHeight += rec.height - old.height;
      old = rec;
      if (fProgress != nullptr) fProgress->Progress(rec.bytes);
      ++resume->dropped;
      ++resume->composed;
      ++line;
    } else if (!insertRecord()) {
      // The table is short of this line: the caller hears of it and the
      // next change composes the whole text again.
      fStatus = kLinesOutOfMemory;
      fNeedsRebuild = true;
    } else {
      ++line;
      if (resume != nullptr) ++resume->composed;
    }
    lineStart = bytesEnd;
    if (resume == nullptr) return;
    // The old records that begin before the next line are gone.
    int32_t last = line;
    while (last < lineCount() && oldStartNow() < int64_t(lineStart)) {
      resume->oldStart += oldAt(last).bytes;
      fTotalHeight -= oldAt(last).height;
      ++last;
    }
    if (last > line) {
      const int32_t waiting = int32_t(batch.size());
      fRecords.erase(fRecords.begin() + (line - waiting), fRecords.begin() + (last - waiting));
      resume->dropped += last - line;
    }
  };
  // Marks the line just begun (at lineStart) as one composition can begin
  // again at; after a change, true when an old line begins there in the
  // same way, so that the old lines from it on stand as they are.
  auto resumableHere = [&](bool resumable) {
    // A soft hyphen still pending would be shown or hidden by what follows.
    resumable = resumable && softHyphen == nullptr;
    rec.resumable = resumable;
    if (resumable) rec.stops = currentStops();
    if (resume == nullptr || !resumable || line >= lineCount() || lineStart >= size) return false;
    if (resume->oldStart < resume->oldEnd || oldStartNow() != int64_t(lineStart)) return false;
    const xMorvaLineRecord& old = oldAt(line);
    return old.resumable && (old.flags & kStartFlags) == (rec.flags & kStartFlags) &&
           old.tabsKey == rec.tabsKey && SameLineState(old.state, rec.state) &&
           old.stops != nullptr && !old.stops->IsDifferent(*rec.stops);
  };
  bool met = false;
  auto hideSoftHyphen = [&]() {
    if (softHyphen == nullptr) return;
    PutStreamLong(softHyphen + 8, 2);
    x -= softWidth;
    softHyphen = nullptr;
  };
  auto finishTab = [&]() {
    if (!tab.pending) return;
    SetTabLayout(tab.element, tab.size, tab.remaining, tab.leader, tab.leaderWidth, tab.kind);
    tab.pending = false;
  };
  auto advanceUnderTab = [&](double w, uint16_t unit) {
    if (tab.kind == kTabCentre) {
      if (tab.remaining <= w / 2) {
        x += w - tab.remaining;
        tab.remaining = 0;
        finishTab();
      } else {
        tab.remaining -= w / 2;
        x += w / 2;
      }
    } else if (tab.kind == kTabDecimal && unit == decimal) {
      x += w;
      finishTab();
    } else if (tab.remaining <= w) {
      x += w - tab.remaining;
      tab.remaining = 0;
      finishTab();
    } else {
      tab.remaining -= w;
    }
  };
  auto fits = [&](double w, uint16_t unit) {
    if (!tab.pending) return x + w <= rec.available;
    double d = w;
    if (tab.kind == kTabCentre) d = w / 2 - tab.remaining;
    else if (!(tab.kind == kTabDecimal && unit == decimal)) d = w - tab.remaining;
    return x + d <= rec.available;
  };
  // The positions the item under test takes: 2 for a surrogate pair.
  int32_t placed = 1;
  auto place = [&](double w, uint16_t unit) {
    if (tab.pending) advanceUnderTab(w, unit);
    else x += w;
    if (elementEnd == 0) rec.positions += placed;
    if (stretchFresh) {
      stretchM = FontMetrics(font);
      stretchFresh = false;
    }
    beforeM = lineM;
  };
  // A new line after a break: counts empty, running state.
  auto nextLine = [&](const xMorvaProperties& lineState, uint16_t flags, const Metrics& m) {
    beginRecord(lineState, flags);
    rec.tabs = rec.spaces = rec.positions = 0;
    lineM = m;
    stretchM = m;
    beforeM = m;
    opp.open = false;
  };

  beginRecord(state, firstFlags);
  rec.resumable = true;
  rec.stops = currentStops();
  font.BeginLineAt(&rec, 0, 0, rec.available, true);
  lineM = stretchM = beforeM = FontMetrics(font);
  bool tabRetried = false;

  uint32_t at = start;
  while (at < end) {
    if (elementEnd != 0 && at >= elementEnd) {
      rec.positions += 1;  // the element counts where its text ends
      elementEnd = 0;
      elementCode = 0;
      continue;
    }
    const StreamItem item = ReadStreamItem(s + at, size - at);
    lastWasParagraphEnd = false;
    if (item.kind == StreamItem::kRecord) {
      if (item.size == kRecordSize) {
        const uint16_t id = item.unit;
        const int32_t value = int32_t(item.value);
        if (id < 46) {
          if (oppStateLive) {
            opp.state.Assign(state);
            oppStateLive = false;
          }
          state.SetProperty(id, value);
          font.ApplyProperty(id, value, false);
        }
        if (id == kPropUnderline || id == kPropFont || id == kPropSize) {
          const Metrics m = FontMetrics(font);
          lineM.Raise(m);
          stretchM.Raise(m);
        }
        if (id == kPropLeftIndent || id == kPropFirstLineIndent || id == kPropRightIndent ||
            id == kPropBorderStyle || id == kPropLeftBorder || id == kPropRightBorder ||
            id == kPropBorderSpacing) {
          rec.available = AvailableWidth(state, (rec.flags & kLineFirstOfParagraph) != 0);
        }
        if (id == kPropTabs) {
          tabs.AddStop(item.value);
          stopsNow.reset();
        }
      }
      at += item.size;
      continue;
    }
    if (item.kind == StreamItem::kElement) {
      const uint16_t code = item.unit;
      if (code == xMorvaElementCode::Tab && item.size >= kElementHeadSize) {
        finishTab();
        // A tab is a later place to break: a soft hyphen before it no
        // longer can show, and the tab reaches its stop from the text
        // without it.
        hideSoftHyphen();
        const bool first = (rec.flags & kLineFirstOfParagraph) != 0;
        const double leftEdge = state.ParagraphTextLeft(first);
        const int32_t indentStop = first ? state.GetProperty(kPropLeftIndent)
                                         : state.GetProperty(kPropLeftIndent) +
                                               state.GetProperty(kPropFirstLineIndent);
        uint32_t stop = 0;
        bool isDefault = true;
        const double from = std::clamp(std::trunc(leftEdge + x), -32768.0, 32767.0);
        if (fDocument != nullptr) {
          tabs.NextStop(int16_t(from), *fDocument, fPart, int16_t(indentStop), stop, isDefault);
        } else {
          stop = MakeTabStop(int16_t(std::min(from + 36, 32767.0)), 0, kTabLeft);
        }
        int32_t kind = TabStopKind(stop);
        // A kind no stop list makes counts as a left tab.
        if (kind < kTabLeft || kind > kTabBorderBar) kind = kTabLeft;
        double position = TabStopPosition(stop);
        if (kind == kTabBorderBar) {
          position += state.GetProperty(kPropBorderSpacing) +
                      BorderWidth(state.GetProperty(kPropBorderStyle)) / 2;
        }
        const double remaining = position - leftEdge - x;
        if (isDefault && x + remaining > rec.available) {
          // A default stop past the right edge: the tab starts a new line
          // once, when this line holds something; a tab that fits nowhere
          // stays where it is and marks the line.
          if (!tabRetried && (rec.positions > 0 || x > 0)) {
            tabRetried = true;
            rec.flags |= kLineForcedBreak;
            if (pageNumbers > 0) rec.flags |= kLineHasPageNumbers;
            rec.width = float(x);
            rec.height = height(lineM, rec.flags);
            rec.ascent = lineM.ascent;
            store(at);
            nextLine(state, kLineContinuesWord, FontMetrics(font));
            x = 0;
            pageNumbers = 0;
            if (resumableHere(elementEnd == 0)) {
              met = true;
              break;
            }
            continue;  // the stop is looked up again on the new line
          }
          rec.flags |= kLineForcedBreak;
        }
        tabRetried = false;
        rec.tabs += 1;
        const uint16_t leader = TabStopLeader(stop);
        const double leaderWidth = leader != 0 ? font.MeasureCaseChar(leader) : 0;
        x += std::max(remaining, 0.0);
        rec.positions += 1;
        opp.open = true;
        opp.kind = kLineBreakAtTab;
        oppStateLive = true;
        opp.byteAfter = at + item.size;
        opp.widthTo = x;
        opp.xAfter = x;
        opp.height = height(lineM, rec.flags);
        opp.ascent = lineM.ascent;
        opp.positions = rec.positions;
        opp.spaces = rec.spaces;
        opp.pageNumbers = pageNumbers;
        opp.elementEnd = 0;
        stretchFresh = true;
        if (kind == kTabLeft || kind == kTabBorderBar) {
          SetTabLayout(s + at, item.size, remaining, leader, leaderWidth, kind);
        } else {
          tab = PendingTab{true, s + at, item.size, kind, std::max(remaining, 0.0), leader, leaderWidth};
        }
        opp.tab = tab;
        at += item.size;
        continue;
      }
      if (code >= kFirstComputedCode && item.size >= kElementHeadSize && elementEnd == 0) {
        if (code == xMorvaElementCode::PageNumber) {
          // Composed with its widest text: each page then shows its own
          // number in the room that text leaves.
          ++pageNumbers;
          if (fDocument != nullptr) fDocument->PreparePageNumber(s + at, s + size);
        }
        if (code == xMorvaElementCode::PageBreak) pendingBreak = kLinePageBreak;
        if (code == xMorvaElementCode::ColBreak) pendingBreak = kLineColumnBreak;
        if (code == xMorvaElementCode::SoftHyphen) {
          hideSoftHyphen();
          PutStreamLong(s + at + 8, 0);
          softHyphen = s + at;
          softWidth = 0;
        }
        // Entered: its visible text is composed like text.
        const StreamItem shown = ReadStreamItem(s + at, size - at);
        elementEnd = at + shown.size;
        elementCode = code;
        at += shown.skipSize;
        continue;
      }
      xMorvaPictureHeader header;
      if (code != xMorvaElementCode::Pict || !ReadPictureHeader(s + at, item.size, header)) {
        // Other elements take one position.
        rec.positions += elementEnd == 0 ? 1 : 0;
        at += item.size;
        continue;
      }
      // A picture is laid out as one unit of its shown width that raises
      // the ascent of its line to its shown height.
      pictureHeight = LaidOutExtent(header.shownHeight);
      pictureWidth = LaidOutExtent(header.shownWidth);
    }

    const bool picture = item.kind == StreamItem::kElement;
    const uint16_t unit = picture ? 0 : item.unit;
    // A surrogate pair is laid out as one character: its halves are placed,
    // or carried to the next line, together.
    const bool pair = !picture && IsHighSurrogateUnit(unit) && uint64_t(at) + 4 <= size &&
                      IsLowSurrogateUnit(StreamUnit(s + at + 2));
    const uint32_t step = picture ? item.size : pair ? 4 : 2;
    placed = pair ? 2 : 1;
    auto raiseToPicture = [&]() {
      if (!picture) return;
      lineM.ascent = std::max(lineM.ascent, pictureHeight);
      stretchM.ascent = std::max(stretchM.ascent, pictureHeight);
    };
    if (!picture && unit == kUnitParagraphEnd) {
      hideSoftHyphen();
      rec.flags |= kLineLastOfParagraph;
      if (pageNumbers > 0) rec.flags |= kLineHasPageNumbers;
      rec.positions += 1;
      if (elementEnd != 0 && at + 2 >= elementEnd) {
        elementEnd = 0;
        elementCode = 0;
      }
      at += 2;
      finishTab();
      rec.flags |= pendingBreak;
      pendingBreak = 0;
      rec.width = float(x);
      rec.height = height(lineM, rec.flags);
      rec.ascent = lineM.ascent;
      store(at);
      if (elementEnd != 0) {
        // A break element's second paragraph end: the rest of its text
        // belongs to the line it ended.
        while (at < elementEnd) at += 2;
        rec.positions = 0;
      }
      pageNumbers = 0;
      x = 0;
      nextLine(state, kLineFirstOfParagraph, FontMetrics(font));
      stretchFresh = true;
      lastWasParagraphEnd = true;
      if (resumableHere(elementEnd == 0)) {
        met = true;
        break;
      }
      continue;
    }

    const uint16_t* u = reinterpret_cast<const uint16_t*>(&unit);
    double w = picture ? double(pictureWidth) : font.MeasureCharWidth(u, u + 1);
    if (pair) {
      const uint16_t low = StreamUnit(s + at + 2);
      w += font.MeasureCharWidth(&low, &low + 1);
    }
    // The break range's code points hold the surrogate halves, which are no
    // characters: a line breaks before a pair or after it, never inside.
    if (!picture && !pair && IsBreakCharacter(unit)) {
      const bool ownHyphen = softHyphen != nullptr && unit == kSoftHyphenUnit &&
                             elementCode == xMorvaElementCode::SoftHyphen;
      if (ownHyphen) {
        softWidth = w;
      } else {
        hideSoftHyphen();
      }
      if (x + w <= rec.available) {
        const double xBefore = x;
        place(w, unit);
        opp.open = true;
        opp.kind = IsSpaceUnit(unit) ? kLineBreakAtSpace : ownHyphen ? kLineBreakAtSoftHyphen
                                                                     : kLineBreakAtHyphen;
        if (IsSpaceUnit(unit)) rec.spaces += 1;
        oppStateLive = true;
        opp.byteAfter = at + 2;
        opp.widthTo = IsSpaceUnit(unit) ? xBefore : x;
        opp.xAfter = x;
        opp.height = height(lineM, rec.flags);
        opp.ascent = lineM.ascent;
        opp.positions = rec.positions;
        opp.spaces = rec.spaces;
        opp.pageNumbers = pageNumbers;
        opp.elementEnd = elementEnd;
        opp.tab = tab;
        if (elementEnd != 0 && at + 2 >= elementEnd) {
          // The unit ends the element's text (a shown soft hyphen above
          // all): a break here ends the line after the element, which
          // counts on it.
          opp.positions += 1;
          opp.elementEnd = 0;
        }
        stretchFresh = true;
        at += 2;
        continue;
      }
    }
    if (fits(w, unit)) {
      place(w, unit);
      raiseToPicture();
      at += step;
      continue;
    }
    // Overflow.
    if (!opp.open) {
      if (elementCode == xMorvaElementCode::PageNumber) {
        x += w;  // a page number's text is never broken
        at += step;
        continue;
      }
      rec.flags |= kLineForcedBreak;
      if (pageNumbers > 0) rec.flags |= kLineHasPageNumbers;
      const bool empty = rec.positions == 0 && x == 0;
      if (empty) {
        raiseToPicture();
        rec.positions = placed;
        rec.width = float(x + w);
        rec.height = height(lineM, rec.flags);
        rec.ascent = lineM.ascent;
        at += step;
        store(at);
        x = 0;
        nextLine(state, kLineContinuesWord, FontMetrics(font));
        if (resumableHere(elementEnd == 0)) {
          met = true;
          break;
        }
      } else {
        rec.width = float(x);
        rec.height = height(beforeM, rec.flags);
        rec.ascent = beforeM.ascent;
        store(at);
        nextLine(state, kLineContinuesWord, FontMetrics(font));
        // The unit begins the new line as it would on a line of its own:
        // not a break character (which would open a break there) and not
        // wider than the line.
        if (resumableHere(elementEnd == 0 && (picture || !IsBreakCharacter(unit)) &&
                          w <= rec.available)) {
          met = true;
          break;
        }
        raiseToPicture();
        x = w;
        if (elementEnd == 0) rec.positions = placed;
        at += step;
      }
      pageNumbers = 0;
      tab.pending = false;
      continue;
    }
    // Break at the last opportunity.
    rec.flags |= opp.kind;
    if (opp.pageNumbers > 0) rec.flags |= kLineHasPageNumbers;
    rec.height = opp.height;
    rec.ascent = opp.ascent;
    rec.positions = opp.positions;
    rec.width = float(opp.widthTo);
    rec.spaces = opp.spaces - (opp.kind == kLineBreakAtSpace ? 1 : 0);
    if (softHyphen != nullptr && softHyphen + kElementHeadSize + 2 <= s + opp.byteAfter)
      softHyphen = nullptr;  // at a soft-hyphen break its hyphen stays shown
    const uint16_t kind = opp.kind;
    const uint32_t breakAt = opp.byteAfter;
    const double xAfter = opp.xAfter;
    // Nothing placed since the opportunity: the new line begins with the
    // unit under test, in the font as it now stands.
    const Metrics stretch = stretchFresh ? FontMetrics(font) : stretchM;
    const uint32_t breakElementEnd = opp.elementEnd;
    xMorvaProperties breakState(oppStateLive ? state : opp.state);
    // A centre, right or decimal tab whose text the line breaks keeps the
    // room it had at the break: the units that moved on used none of it.
    const bool tabCut = opp.tab.pending;
    if (tabCut) tab = opp.tab;
    finishTab();
    store(breakAt);
    pageNumbers -= opp.pageNumbers;
    nextLine(breakState, kind == kLineBreakAtSoftHyphen ? kLineContinuesWord : 0, stretch);
    if (kind == kLineBreakAtTab || (tabCut && breakElementEnd == 0)) {
      // Resume after the tab, or after the break in a tab's text, with the
      // state there, measuring again: the units placed under the tab moved
      // the pen by less than their widths. Tab records met since would be
      // applied twice.
      bool stopsMet = false;
      for (uint32_t p = breakAt; p < at;) {
        const StreamItem back = ReadStreamItem(s + p, size - p);
        if (back.kind == StreamItem::kRecord && back.unit == kPropTabs) stopsMet = true;
        p += std::max<uint32_t>(back.size, 2);
      }
      oppStateLive = false;
      state.Assign(breakState);
      font.BeginLine(&rec, state, 0);
      x = 0;
      at = breakAt;
      elementEnd = 0;
      elementCode = 0;
      softHyphen = nullptr;  // met again, if it lies after the break
      pageNumbers = 0;       // counted again as they are met
      lineM = stretchM = beforeM = FontMetrics(font);
      if (resumableHere(!stopsMet)) {
        met = true;
        break;
      }
    } else {
      x -= xAfter;
      // The positions placed since the break move to the new line; the
      // unit is tested again there. A computed element counts once, where
      // its text ends: not for its units, and not yet while the cursor is
      // still inside its text.
      rec.positions = 0;
      uint32_t p = breakAt;
      if (breakElementEnd != 0 && breakAt < breakElementEnd) {
        // The break fell inside an element's text.
        if (at >= breakElementEnd) {
          rec.positions += 1;
          p = breakElementEnd;
        } else {
          p = at;
        }
      }
      // Only characters carried over (no record, no element): the new
      // line is then the one a composition from the break would make.
      bool plain = breakElementEnd == 0 && elementEnd == 0;
      while (p < at) {
        const StreamItem back = ReadStreamItem(s + p, size - p);
        if (back.kind == StreamItem::kUnit) rec.positions += 1;
        if (back.kind == StreamItem::kElement && uint64_t(p) + back.size <= at) rec.positions += 1;
        if (back.kind != StreamItem::kUnit || back.unit == kUnitParagraphEnd) plain = false;
        p += back.size;
      }
      if (resumableHere(plain && x <= rec.available)) {
        met = true;
        break;
      }
    }
  }
  if (met) {
    flush();
    if (locked != nullptr) fEngine->UnlockStream();
    return line;
  }
  if (resume != nullptr && line < lineCount()) {
    // The end of the text: what is left of the old records goes.
    for (int32_t i = line; i < lineCount(); ++i) fTotalHeight -= oldAt(i).height;
    resume->dropped += lineCount() - line;
    fRecords.erase(fRecords.begin() + (line - int32_t(batch.size())), fRecords.end());
  }

  // The end of the range.
  const bool atTableEnd = line >= lineCount();
  if (at > lineStart || (tableWasEmpty && line == firstLine) || (atTableEnd && lastWasParagraphEnd) ||
      (atTableEnd && start == end && lineCount() == 0)) {
    if (elementEnd != 0) rec.positions += 1;
    hideSoftHyphen();
    finishTab();
    rec.flags |= atTableEnd ? kLineLastOfText : kLineLastOfParagraph;
    if (pageNumbers > 0) rec.flags |= kLineHasPageNumbers;
    rec.width = float(x);
    rec.height = height(lineM, rec.flags);
    rec.ascent = lineM.ascent;
    store(std::max(at, lineStart));
  }
  flush();
  if (locked != nullptr) fEngine->UnlockStream();
  return line;
}

int32_t xMorvaLines::FindLineForOffset(uint32_t offset, int32_t first, uint32_t& bytesBefore,
                                       int32_t& yBefore, int32_t& positionsBefore,
                                       int32_t& height) const {
  int32_t index = std::max(first, 0);
  while (index < GetLineCount() - 1) {
    const xMorvaLineRecord& r = Rec(index);
    if (uint64_t(bytesBefore) + r.bytes > offset) break;
    bytesBefore += r.bytes;
    yBefore += r.height;
    positionsBefore += r.positions;
    ++index;
  }
  height = index < GetLineCount() ? Rec(index).height : 0;
  return index;
}

namespace {

// Walks one line as drawing lays it out, in measure mode; `visit` hears of
// every unit and element with the pen x before and after it, and stops the
// walk by answering false.
template <typename Visit>
void WalkLine(xMorvaFont& font, const xMorvaLineRecord& line, const uint8_t* s, uint32_t size,
              uint32_t lineStart, Visit visit) {
  font.BeginLineAt(&line, 0, 0, line.available, true);
  const uint32_t end = std::min<uint64_t>(uint64_t(lineStart) + line.bytes, size);
  uint32_t elementStart = 0;
  uint32_t elementEnd = 0;
  double elementX = 0;
  for (uint32_t at = lineStart; at < end;) {
    if (elementEnd != 0 && at >= elementEnd) {
      font.FlushRun(0);
      if (!visit(elementStart, elementEnd, elementX, font.GetPenX(), true)) return;
      elementEnd = 0;
      continue;
    }
    const StreamItem item = ReadStreamItem(s + at, size - at);
    if (item.kind == StreamItem::kRecord) {
      if (item.size == kRecordSize && item.unit < 46) {
        font.FlushRun(0);
        font.ApplyProperty(item.unit, int32_t(item.value), false);
      }
      at += item.size;
      continue;
    }
    if (item.kind == StreamItem::kElement) {
      if (item.unit >= kFirstComputedCode && elementEnd == 0 && item.size >= kElementHeadSize) {
        font.FlushRun(0);
        elementStart = at;
        elementEnd = at + item.size;
        elementX = font.GetPenX();
        at += item.skipSize;
        continue;
      }
      font.FlushRun(0);
      const double x0 = font.GetPenX();
      double width = 0;
      xMorvaPictureHeader picture;
      if (item.unit == xMorvaElementCode::Tab && item.size >= kElementHeadSize + 14) {
        const uint32_t bits = StreamLong(s + at + kElementHeadSize);
        float w = 0;
        std::memcpy(&w, &bits, sizeof w);
        width = w;
      } else if (item.unit == xMorvaElementCode::Pict && ReadPictureHeader(s + at, item.size, picture)) {
        width = LaidOutExtent(picture.shownWidth);
      }
      font.AdvancePenBy(width);
      if (!visit(at, at + item.size, x0, x0 + width, elementEnd == 0)) return;
      at += item.size;
      continue;
    }
    if (item.unit == kUnitParagraphEnd && elementEnd == 0) {
      font.FlushRun(0);
      const double x = font.GetPenX();
      visit(at, at + 2, x, x, true);
      return;
    }
    font.FlushRun(0);
    const double x0 = font.GetPenX();
    font.ProcessUnit(item.unit, 0);
    font.FlushRun(0);
    const double x1 = font.GetPenX();
    if (elementEnd == 0 && !visit(at, at + 2, x0, x1, true)) return;
    at += 2;
  }
  if (elementEnd != 0) {
    font.FlushRun(0);
    visit(elementStart, elementEnd, elementX, font.GetPenX(), true);
  }
}

}  // namespace

void xMorvaLines::LayOutPageNumbers(xMorvaFont& font, uint32_t lineStart,
                                    const xMorvaLineRecord& line, int32_t page,
                                    xMorvaLineRecord& laidOut) {
  laidOut = line;
  if (page < 0 || (line.flags & kLineHasPageNumbers) == 0 || fDocument == nullptr) return;
  uint8_t* s = fEngine->LockStream();
  if (s == nullptr) return;
  const uint32_t size = fEngine->GetStreamSize();
  if (lineStart < size) {
    const uint32_t end = uint32_t(std::min<uint64_t>(uint64_t(lineStart) + line.bytes, size));
    // The numbers are measured in the properties the line starts with.
    font.BeginLineAt(&line, 0, 0, line.available, true);
    xMorvaFontMeasure measure(font);
    const float lost = fDocument->LayOutPageNumbers(measure, page, s + lineStart, s + end);
    laidOut.width -= lost;
  }
  fEngine->UnlockStream();
}

double xMorvaLines::MeasureToOffset(xMorvaFont& font, uint32_t lineStart, uint32_t offset,
                                    int32_t index, int32_t& height, int32_t page) {
  height = 0;
  if (index < 0 || index >= GetLineCount()) return 0;
  xMorvaLineRecord line;
  LayOutPageNumbers(font, lineStart, Rec(index), page, line);
  height = line.height;
  const uint8_t* s = fEngine->LockStream();
  if (s == nullptr) {
    font.BeginLineAt(&line, 0, 0, line.available, true);
    return font.GetPenX();
  }
  double result = -1;
  WalkLine(font, line, s, fEngine->GetStreamSize(), lineStart,
           [&](uint32_t from, uint32_t, double x0, double, bool) {
             if (from >= offset) {
               result = x0;
               return false;
             }
             return true;
           });
  if (result < 0) result = font.GetPenX();
  fEngine->UnlockStream();
  return result;
}

xMorvaLines::Hit xMorvaLines::HitTestLine(xMorvaFont& font, double x, int32_t index,
                                          uint32_t lineStart, int32_t page) {
  Hit hit;
  hit.offset = lineStart;
  if (index < 0 || index >= GetLineCount()) return hit;
  xMorvaLineRecord line;
  LayOutPageNumbers(font, lineStart, Rec(index), page, line);
  const uint8_t* s = fEngine->LockStream();
  if (s == nullptr) return hit;
  bool first = true;
  bool found = false;
  uint32_t lastEnd = lineStart;
  int32_t positions = 0;
  WalkLine(font, line, s, fEngine->GetStreamSize(), lineStart,
           [&](uint32_t from, uint32_t to, double x0, double x1, bool counts) {
             if (first) {
               hit.leftOfText = x < x0 - 5;
               first = false;
             }
             if (StreamUnit(s + from) == kUnitParagraphEnd) return false;
             if (x1 > x) {
               const bool before = x1 - x >= x - x0;
               hit.offset = before ? from : to;
               hit.positions = positions + (before ? 0 : 1);
               // Before the low half of a surrogate pair is before the
               // pair: no position falls between its halves.
               if (before && from >= lineStart + 2 && lastEnd == from &&
                   IsLowSurrogateUnit(StreamUnit(s + from)) && IsHighSurrogateUnit(StreamUnit(s + from - 2)) &&
                   positions > 0) {
                 hit.offset = from - 2;
                 hit.positions = positions - 1;
               }
               hit.italic = font.IsItalic();
               hit.linkLook = font.IsLinkLook();
               found = true;
               return false;
             }
             positions += counts ? 1 : 0;
             lastEnd = to;
             return true;
           });
  if (!found) {
    hit.offset = lastEnd;
    hit.positions = positions;
  }
  fEngine->UnlockStream();
  return hit;
}

int32_t xMorvaLines::LocateLine(uint32_t offset, uint32_t total, uint32_t& lineStart) const {
  const int32_t count = GetLineCount();
  if (count == 0) {
    lineStart = 0;
    return 0;
  }
  // From the nearest of three known starts.
  int32_t index = 0;
  uint32_t at = 0;
  const uint32_t lastStart = total >= Rec(count - 1).bytes ? total - Rec(count - 1).bytes : 0;
  uint32_t distance = offset;
  if (lastStart > offset ? lastStart - offset < distance : offset - lastStart < distance) {
    index = count - 1;
    at = lastStart;
    distance = lastStart > offset ? lastStart - offset : offset - lastStart;
  }
  if (fHintLine >= 0 && fHintLine < count &&
      (fHintStart > offset ? fHintStart - offset : offset - fHintStart) < distance) {
    index = fHintLine;
    at = fHintStart;
  }
  while (index > 0 && at > offset) {
    --index;
    at = at >= Rec(index).bytes ? at - Rec(index).bytes : 0;
  }
  while (index + 1 < count && at + Rec(index).bytes <= offset) {
    at += Rec(index).bytes;
    ++index;
  }
  lineStart = at;
  return index;
}

xMorvaLines::Change xMorvaLines::RemoveForChange(uint32_t start, uint32_t oldEnd) {
  Change change;
  change.streamSize = fEngine->GetStreamSize();
  change.start = start;
  change.oldEnd = std::max(start, oldEnd);
  change.line = LocateLine(start, change.streamSize, change.lineStart);
  return change;
}

int32_t xMorvaLines::RecomposeAfterChange(xMorvaFont& font, const Change& change, uint32_t newEnd) {
  (void)newEnd;
  int32_t first = 0;
  return Recompose(font, change.start, change.oldEnd, change.streamSize, first);
}

int32_t xMorvaLines::Recompose(xMorvaFont& font, uint32_t start, uint32_t oldEnd, uint32_t oldSize,
                               int32_t& firstLine) {
  firstLine = 0;
  fPending = false;
  if (fNeedsRebuild || fRecords.empty()) return ComposeAll(font);
  const uint32_t size = fEngine->GetStreamSize();
  uint32_t lineStart = 0;
  int32_t line = LocateLine(start, oldSize, lineStart);
  // The line before may take the first word of the changed one; and
  // composition begins only where a line can be composed on its own. A
  // line cut by force may have left the unit that ended the line before
  // it to the line after it: composition begins before it too.
  if (line > 0) {
    --line;
    lineStart -= std::min(lineStart, Rec(line).bytes);
  }
  while (line > 0 && (!Rec(line).resumable || (Rec(line).flags & kLineForcedBreak) != 0)) {
    --line;
    lineStart -= std::min(lineStart, Rec(line).bytes);
  }
  xMorvaProperties state;
  xMorvaTabs tabs;
  Resume resume;
  if (line == 0 || Rec(line).stops == nullptr) {
    line = 0;
    lineStart = 0;
    state.SetDefaults();
    resume.flags = kLineFirstOfParagraph;
  } else {
    state.Assign(Rec(line).state);
    tabs.Assign(*Rec(line).stops);
    resume.flags = Rec(line).flags;
  }
  fStatus = 0;
  resume.oldStart = lineStart;
  resume.start = start;
  resume.oldEnd = oldEnd;
  resume.delta = int64_t(size) - int64_t(oldSize);
  ComposeFrom(font, line, state, tabs, lineStart, size, &resume);
  firstLine = line;
  fReplaced.first = line;
  fReplaced.oldCount = resume.dropped;
  fReplaced.newCount = resume.composed;
  fReplaced.whole = fNeedsRebuild;
  if (!fNeedsRebuild) {
    fHintLine = line;
    fHintStart = lineStart;
  }
  return fStatus;
}

void xMorvaLines::NoteChange(uint32_t offset, uint32_t removed, uint32_t inserted) {
  if (removed == 0 && inserted == 0) return;
  if (!fPending) {
    fPending = true;
    fDirtyStart = offset;
    fDirtyEnd = offset + inserted;
    fDelta = int64_t(inserted) - int64_t(removed);
    return;
  }
  fDirtyStart = std::min(fDirtyStart, offset);
  if (removed != 0) {
    // Bytes behind the removed ones move back; a span ending inside them
    // now ends where they were.
    fDirtyEnd = fDirtyEnd >= offset + removed ? fDirtyEnd - removed : offset;
  }
  if (inserted != 0) fDirtyEnd = fDirtyEnd >= offset ? fDirtyEnd + inserted : offset + inserted;
  fDelta += int64_t(inserted) - int64_t(removed);
}

int32_t xMorvaLines::Update(xMorvaFont& font, int32_t& firstLine) {
  firstLine = -1;
  if (fNeedsRebuild || fRecords.empty()) {
    firstLine = 0;
    return ComposeAll(font);
  }
  if (!fPending) return 0;
  fPending = false;
  const uint32_t size = fEngine->GetStreamSize();
  const int64_t oldSize = int64_t(size) - fDelta;
  const uint32_t start = std::min(fDirtyStart, size);
  const int64_t oldEnd = int64_t(std::min(fDirtyEnd, size)) - fDelta;
  if (oldSize < 0 || oldEnd < int64_t(start) || oldEnd > oldSize || oldSize > UINT32_MAX) {
    // Notes that do not fit the table: compose it all rather than guess.
    firstLine = 0;
    return ComposeAll(font);
  }
  return Recompose(font, start, uint32_t(oldEnd), uint32_t(oldSize), firstLine);
}

bool xMorvaLines::GetInsertedUnit(uint32_t& offset) const {
  if (!fPending || fNeedsRebuild || fDelta != 2 || fDirtyEnd != fDirtyStart + 2) return false;
  offset = fDirtyStart;
  return true;
}

void xMorvaLines::TakeInsertedUnit(int32_t index, double width, bool space) {
  if (index < 0 || index >= GetLineCount()) return;
  if (index < fHintLine) ForgetHint();
  xMorvaLineRecord& r = Rec(index);
  r.bytes += 2;
  r.positions += 1;
  r.width = float(double(r.width) + width);
  if (space) r.spaces += 1;
  fPending = false;
}

bool xMorvaLines::CheckSums() const {
  uint64_t bytes = 0;
  int64_t positions = 0;
  for (const auto& r : fRecords) {
    bytes += r->bytes;
    positions += r->positions;
  }
  if (bytes != fEngine->GetStreamSize()) return false;
  return positions == fEngine->GetLength();
}
