// Line composition: breaking a flow's element stream into line records.
#include "engine/xMorvaLines.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "document/xMorvaDocParams.h"
#include "document/xMorvaDocumentInterface.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaTabs.h"
#include "engine/xMorvaComposer.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaFont.h"
#include "engine/xMorvaFontMeasure.h"
#include "engine/xMorvaPictureElement.h"
#include "framework/core/intl/Clusters.h"
#include "framework/core/streams/VStreamProgress.h"

// The border styles' widths are the document's one table.
int32_t xMorvaLines::BorderWidth(int32_t style) { return BorderStyleWidth(style); }

void xMorvaLines::SetTabLayout(uint8_t* element, uint32_t size, double width, uint16_t leader,
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

int32_t xMorvaLines::ComputeAvailableWidth(const xMorvaProperties& s, bool firstLine) const {
  int32_t width = fDocument != nullptr ? fDocument->GetTextWidth(fPart) : 0;
  width -= s.GetProperty(kPropLeftIndent) + s.GetProperty(kPropRightIndent);
  if (firstLine) width -= s.GetProperty(kPropFirstLineIndent);
  const int32_t border = s.GetProperty(kPropBorderSpacing) + BorderWidth(s.GetProperty(kPropBorderStyle));
  if (s.GetProperty(kPropLeftBorder)) width -= border;
  if (s.GetProperty(kPropRightBorder)) width -= border;
  return width;
}

int32_t xMorvaLines::PictureRoom(const xMorvaLineRecord& line) const {
  if (fDocument == nullptr) return 0;
  const xMorvaDocParams& params = fDocument->GetParams();
  const int32_t column = fDocument->GetTextWidth(fPart);
  if (params.GetColumns() < 2 || column >= params.ColumnWidth(true)) return 0;
  return line.available > 0 ? std::min<int32_t>(line.available, column) : column;
}

int32_t xMorvaLines::ComputeLineHeight(const xMorvaProperties& s, uint16_t flags, int32_t ascent,
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
  ++fChanges;
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
  ++fChanges;
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
  ++fChanges;
  fOldLinesWritten = 0;
  // Without a change to resume after, what the records were is not known.
  if (resume == nullptr) fReplaced = Replaced();
  xMorvaComposer composer(*this, font, state, tabs, resume);
  return composer.Run(line, start, end);
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

// Walks one line as drawing lays it out, in measure mode, its pictures in
// `pictureRoom`; `visit` hears of every unit and element with the pen x
// before and after it, and stops the walk by answering false.
template <typename Visit>
void WalkLine(xMorvaFont& font, const xMorvaLineRecord& line, int32_t pictureRoom, const uint8_t* s,
              uint32_t size, uint32_t lineStart, Visit visit) {
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
      font.BreakCluster();
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
        width = LaidOutPictureSize(picture.shownWidth, picture.shownHeight, pictureRoom).width;
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
  WalkLine(font, line, PictureRoom(line), s, fEngine->GetStreamSize(), lineStart,
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
  // The line's positions up to its paragraph end, with their pens: the
  // point falls to the nearer edge of what a user sees as one character
  // (a pair, a letter with its marks, a joined emoji), so the positions'
  // units (0 for an element) are kept for the cluster rules.
  struct Place {
    uint32_t from, to;
    double x0, x1;
    bool counts, italic, linkLook;
  };
  std::vector<Place> places;
  std::u16string units;
  std::vector<size_t> unitPlace;  // the place of each position's unit
  bool first = true;
  WalkLine(font, line, PictureRoom(line), s, fEngine->GetStreamSize(), lineStart,
           [&](uint32_t from, uint32_t to, double x0, double x1, bool counts) {
             if (first) {
               hit.leftOfText = x < x0 - 5;
               first = false;
             }
             const StreamItem item = ReadStreamItem(s + from, fEngine->GetStreamSize() - from);
             if (item.kind == StreamItem::kUnit && item.unit == kUnitParagraphEnd) return false;
             if (counts) {
               units.push_back(item.kind == StreamItem::kUnit ? item.unit : char16_t(0));
               unitPlace.push_back(places.size());
             }
             places.push_back({from, to, x0, x1, counts, font.IsItalic(), font.IsLinkLook()});
             return true;
           });
  fEngine->UnlockStream();
  const auto under = std::find_if(places.begin(), places.end(), [&](const Place& place) { return place.x1 > x; });
  int32_t positions = 0;
  for (auto place = places.begin(); place != under; ++place) positions += place->counts ? 1 : 0;
  if (under == places.end()) {
    hit.offset = places.empty() ? lineStart : places.back().to;
    hit.positions = positions;
    return hit;
  }
  hit.italic = under->italic;
  hit.linkLook = under->linkLook;
  if (!under->counts) {
    const bool before = under->x1 - x >= x - under->x0;
    hit.offset = before ? under->from : under->to;
    hit.positions = positions + (before ? 0 : 1);
    return hit;
  }
  // The cluster around the position under the point, and its nearer edge.
  const auto count = int32_t(units.size());
  int32_t start = positions;
  int32_t end = positions + 1;
  while (start > 0 && !IsClusterBoundary(units.data(), count, start)) --start;
  while (end < count && !IsClusterBoundary(units.data(), count, end)) ++end;
  const Place& left = places[unitPlace[size_t(start)]];
  const Place& right = places[unitPlace[size_t(end - 1)]];
  const bool before = right.x1 - x >= x - left.x0;
  hit.offset = before ? left.from : right.to;
  hit.positions = before ? start : end;
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
  fReplaced.written = fOldLinesWritten;
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
