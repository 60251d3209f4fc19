// xMorvaEngine: conversions between the element stream and plain text
// (strings into units, plain, single-byte and Word text, sentences), case
// change, statistics, and the edits over the whole selection: style
// sheets, paragraph borders, and the saved selection.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "document/xMorvaUndo.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaEngineHost.h"
#include "engine/xMorvaEngine_p.h"
#include "engine/xMorvaPlainUnits.h"
#include "framework/core/intl/Clusters.h"
#include "framework/core/intl/VIntlMgr.h"
#include "framework/core/strings/VString.h"

namespace {

constexpr uint32_t kTabCacheSize = 14;
constexpr char16_t kUnitTab = 9;
constexpr char16_t kUnitLineFeed = 10;
constexpr char16_t kUnitSoftHyphen = 173;
constexpr char16_t kUnitNoBreakSpace = 160;
constexpr char16_t kUnitByteOrderMark = 0xFEFF;

void ShowMemoryAlert() {
  if (xMorvaEngineHost* host = xMorvaEngineHostService::Get()) host->ShowMemoryAlert();
}

// The byte range of the selection, or of the whole stream.
struct Range {
  uint32_t start;
  uint32_t end;
};

bool IsWordSeparator(const StreamItem& item) {
  if (item.kind == StreamItem::kElement) return item.unit == xMorvaElementCode::Tab;
  return item.kind == StreamItem::kUnit && (IsSpaceUnit(item.unit) || item.unit == kUnitParagraphEnd);
}

}  // namespace

// ---- Strings into units

bool xMorvaEngine::StringToUnits(const VString& text, VMemHandle handle, uint32_t& units, uint32_t& bytes,
                                 bool markControls) {
  units = bytes = 0;
  if (handle == 0) return false;
  const int32_t length = text.GetLength();
  xMorvaUnitBuffer buffer(handle);
  bool done = buffer.Reserve(uint64_t(length) * 2);
  for (int32_t i = 1; done && i <= length; ++i) {
    char16_t unit = text.GetCharAt(i);
    const uint32_t itemStart = buffer.Size();
    // Symbol-font characters in the private area stand for their byte; one
    // that stands for a control is a control, never a raw unit below 32 in
    // the stream.
    if ((unit & 0xFF00) == 0xF000) unit &= 0x00FF;
    if (unit == kUnitSoftHyphen) {
      // Shown until line composition decides.
      done = buffer.AppendHead(xMorvaElementCode::SoftHyphen, 2, 0) && buffer.AppendUnit(kUnitSoftHyphen);
    } else if (unit == kUnitTab) {
      done = buffer.AppendHead(xMorvaElementCode::Tab, kTabCacheSize, kTabCacheSize) &&
             buffer.Append(nullptr, kTabCacheSize);
    } else if ((unit < 32 && unit != kUnitParagraphEnd) || unit == kUnitByteOrderMark) {
      if (!markControls) continue;
      done = buffer.AppendUnit(kUnitMarker);
    } else {
      done = buffer.AppendUnit(unit);
    }
    if (done)
      ++units;
    else
      buffer.Truncate(itemStart);
  }
  bytes = buffer.Size();
  gMemoryMgr->SetHandleSize(handle, bytes);
  if (!done) ShowMemoryAlert();
  return done;
}

// ---- Text out

void xMorvaEngine::WritePlainText(VString& sink, bool selectionOnly, bool lineFeedAfterReturn) {
  const Range range = selectionOnly ? Range{fSelStartOffset, fSelEndOffset} : Range{0, fBytesInUse};
  const uint8_t* stream = LockStream();
  if (stream == nullptr) return;
  // The units are gathered first and appended at once: a string in a
  // handle resizes its handle for every unit appended. Every unit handed
  // on takes two bytes of the stream at least, and a line feed may follow
  // each: room made once, filled without a test a unit.
  const size_t most = size_t(range.end > range.start ? range.end - range.start : 0) / 2 + 1;
  const std::unique_ptr<char16_t[]> units(new char16_t[lineFeedAfterReturn ? 2 * most : most]);
  char16_t* out = units.get();
  ForEachPlainUnit(stream, fBytesInUse, range.start, range.end, [&](char16_t unit) {
    *out++ = unit;
    if (unit == kUnitParagraphEnd && lineFeedAfterReturn) *out++ = kUnitLineFeed;
  });
  UnlockStream();
  sink.AppendUniChars(units.get(), int32_t(out - units.get()));
}

bool xMorvaEngine::ExportSingleByteText(VMemHandle& text, uint32_t& fieldCount, VMemHandle& table, bool ansi) {
  text = table = 0;
  fieldCount = 0;
  const Range range = HasSelection() ? Range{fSelStartOffset, fSelEndOffset} : Range{0, fBytesInUse};
  xMorvaUnitBuffer bytes;
  xMorvaUnitBuffer fields;
  if (!bytes.Reserve(fBytesInUse / 2 + 1) || !fields.Reserve(0)) return false;
  const uint8_t* stream = LockStream();
  if (stream == nullptr) return false;
  const uint32_t end = range.end < fBytesInUse ? range.end : fBytesInUse;
  uint32_t characters = 0;
  uint32_t fieldEnd = 0;
  bool inField = false;
  // Characters are converted a run at a time, the table taken once a run.
  std::u16string run;
  std::string runBytes;
  auto flush = [&]() {
    if (run.empty()) return;
    runBytes.assign(run.size(), '?');
    auto* out = reinterpret_cast<uint8_t*>(runBytes.data());
    if (gIntlMgr != nullptr) {
      if (ansi)
        gIntlMgr->UniCharsToWin(run.data(), run.size(), out);
      else
        gIntlMgr->UniCharsToMac(run.data(), run.size(), out);
    }
    bytes.Append(out, uint32_t(runBytes.size()));
    run.clear();
  };
  for (uint32_t at = range.start; at < end;) {
    if (inField && at >= fieldEnd) {
      fields.AppendLong(characters);
      ++fieldCount;
      inField = false;
    }
    const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
    if (item.kind == StreamItem::kUnit) {
      run.push_back(item.unit);
      ++characters;
    } else if (item.kind == StreamItem::kElement) {
      if (item.unit < xMorvaElementCode::PageNumber) {
        flush();
        const uint8_t byte = item.unit == xMorvaElementCode::Tab ? uint8_t(kUnitTab) : uint8_t('*');
        bytes.Append(&byte, 1);
        ++characters;
        at += item.size;
        continue;
      }
      if (!inField) {
        fields.AppendLong(characters);
        fieldEnd = at + item.size;
        inField = true;
      }
    }
    at += item.skipSize;
  }
  flush();
  if (inField) {
    fields.AppendLong(characters);
    ++fieldCount;
  }
  UnlockStream();
  if (bytes.Failed() || fields.Failed()) {
    fieldCount = 0;
    return false;
  }
  text = bytes.Release();
  table = fields.Release();
  if (text == 0 || table == 0) {
    if (text != 0) gMemoryMgr->DisposeHandle(text);
    if (table != 0) gMemoryMgr->DisposeHandle(table);
    text = table = 0;
    fieldCount = 0;
    return false;
  }
  return true;
}

bool xMorvaEngine::ExportUnicodeText(VMemHandle handle, uint32_t& count, const xMorvaWordUnits& units,
                                     std::vector<uint32_t>& positions, std::vector<uint16_t>& kinds) {
  count = 0;
  if (handle == 0 || !gMemoryMgr->SetHandleSize(handle, fBytesInUse)) return false;
  const uint8_t* stream = LockStream();
  auto* out = static_cast<uint8_t*>(gMemoryMgr->LockHandle(handle));
  if (stream == nullptr || out == nullptr) {
    if (stream != nullptr) UnlockStream();
    if (out != nullptr) gMemoryMgr->UnlockHandle(handle);
    return false;
  }
  // Every unit written stands for at least two bytes read, so the output
  // never outgrows the stream's size.
  const uint32_t capacity = fBytesInUse / 2;
  auto put = [&](uint16_t unit) {
    if (count < capacity) PutStreamUnit(out + 2 * count++, unit);
  };
  const uint32_t end = fSelEndOffset < fBytesInUse ? fSelEndOffset : fBytesInUse;
  uint32_t position = 0;
  for (uint32_t at = fSelStartOffset; at < end;) {
    const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
    if (item.kind == StreamItem::kUnit) {
      put(item.unit == kUnitNoBreakSpace ? units.noBreakSpace : item.unit);
      ++position;
      at += 2;
      continue;
    }
    if (item.kind == StreamItem::kRecord) {
      at += item.size;
      continue;
    }
    uint16_t substitute = 0;
    bool whole = true;
    switch (item.unit) {
      case xMorvaElementCode::Tab:
        substitute = kUnitTab;
        break;
      case xMorvaElementCode::PageBreak:
        substitute = units.pageBreak;
        break;
      case xMorvaElementCode::ColBreak:
        substitute = units.columnBreak;
        break;
      case xMorvaElementCode::SoftHyphen:
        substitute = units.softHyphen;
        break;
      case xMorvaElementCode::Pict:
        substitute = units.picture;
        positions.push_back(position);
        kinds.push_back(units.picture);
        break;
      case xMorvaElementCode::DateTime:
      case xMorvaElementCode::PageNumber:
      case xMorvaElementCode::ExprQv: {
        substitute = item.unit == xMorvaElementCode::DateTime     ? units.dateTime
                     : item.unit == xMorvaElementCode::PageNumber ? units.pageNumber
                                                                  : units.hostExpression;
        if (substitute != 0) {
          positions.push_back(position);
          kinds.push_back(substitute);
        } else {
          whole = false;
        }
        break;
      }
      default:
        // Hyperlinks and HTML expressions stand for nothing themselves;
        // their visible text is read on.
        whole = false;
        break;
    }
    if (substitute != 0) put(substitute);
    ++position;
    at += whole ? item.size : item.skipSize;
  }
  gMemoryMgr->UnlockHandle(handle);
  UnlockStream();
  return gMemoryMgr->SetHandleSize(handle, count * 2);
}

bool xMorvaEngine::CollectSentence(uint32_t& byteOffset, uint32_t endByte, uint32_t maxUnits, VString& sink) {
  if (byteOffset >= endByte) return false;
  if (endByte > fBytesInUse) endByte = fBytesInUse;
  const uint8_t* stream = LockStream();
  if (stream == nullptr) return false;
  uint32_t sent = 0;
  uint32_t at = byteOffset;
  while (at < endByte && sent < maxUnits) {
    const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
    at += item.size;
    if (item.kind == StreamItem::kRecord) continue;
    if (item.kind == StreamItem::kElement) {
      sink.AppendUniChar(item.unit == xMorvaElementCode::Tab          ? kUnitTab
                         : item.unit == xMorvaElementCode::SoftHyphen ? kUnitSoftHyphen
                                                                      : char16_t(' '));
      ++sent;
      continue;
    }
    sink.AppendUniChar(item.unit);
    ++sent;
    if (item.unit == u'.' || item.unit == kUnitParagraphEnd) break;
  }
  UnlockStream();
  byteOffset = at;
  return true;
}

// ---- Case

int32_t xMorvaEngine::ChangeCase(int32_t mode) {
  if (mode < 0 || mode > 3) return 0;
  BeginUndoStep(kUndoCaseChange, uint16_t(mode));
  bool afterSeparator = fSelStart == fWordStart;
  const uint32_t end = fSelEndOffset;
  for (uint32_t at = fSelStartOffset; at < end && at < fBytesInUse;) {
    const uint8_t* stream = LockStream();
    if (stream == nullptr) break;
    const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
    UnlockStream();
    if (item.kind == StreamItem::kElement) afterSeparator = true;
    if (item.kind != StreamItem::kUnit) {
      at += item.skipSize;
      continue;
    }
    char16_t unit = item.unit;
    if (gIntlMgr != nullptr) {
      switch (mode) {
        case 0:
          gIntlMgr->ToLowerChar(unit, false);
          break;
        case 1:
          gIntlMgr->ToUpperChar(unit, false);
          break;
        case 2:
          if (afterSeparator)
            gIntlMgr->ToUpperChar(unit, false);
          else
            gIntlMgr->ToLowerChar(unit, false);
          break;
        default:
          gIntlMgr->ToLowerChar(unit, false);
          if (unit == item.unit) gIntlMgr->ToUpperChar(unit, false);
          break;
      }
    }
    if (unit != item.unit && unit != 0) {
      uint8_t bytes[2];
      PutStreamUnit(bytes, unit);
      ReplaceBytes(at, bytes, 2);
    }
    // A word unit that goes with the one before it (a pair's low unit, a
    // selector, a mark, a joiner) leaves the word as that one left it.
    if (!IsJoiningWordUnit(item.unit)) afterSeparator = !IsWordCharacter(item.unit);
    at += 2;
  }
  EndUndoStep(0);
  return 0;
}

// ---- Counts

void xMorvaEngine::GetTextStatistics(xMorvaTextStatistics& counts) {
  counts = xMorvaTextStatistics();
  counts.paragraphs = 1;
  // Words are counted where they start: at a character after a separator
  // or at the text's start.
  bool inSeparator = true;
  const uint8_t* stream = LockStream();
  if (stream == nullptr) return;
  for (uint32_t at = 0; at < fBytesInUse;) {
    const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
    at += item.skipSize;
    if (item.kind == StreamItem::kRecord) continue;
    if (item.kind == StreamItem::kUnit || item.unit == xMorvaElementCode::Tab) {
      ++counts.characters;
      if (IsWordSeparator(item)) {
        inSeparator = true;
        if (item.kind == StreamItem::kUnit && item.unit == kUnitParagraphEnd) ++counts.paragraphs;
      } else if (inSeparator) {
        ++counts.words;
        inSeparator = false;
      }
      continue;
    }
    switch (item.unit) {
      case xMorvaElementCode::Pict: ++counts.pictures; break;
      case xMorvaElementCode::ExprQv: ++counts.hostExpressions; break;
      case xMorvaElementCode::SoftHyphen: ++counts.softHyphens; break;
      case xMorvaElementCode::PageBreak: ++counts.pageBreaks; break;
      case xMorvaElementCode::ColBreak: ++counts.columnBreaks; break;
      case xMorvaElementCode::DateTime: ++counts.datesAndTimes; break;
      case xMorvaElementCode::PageNumber: ++counts.pageNumbers; break;
      case xMorvaElementCode::Hyperlink: ++counts.hyperlinks; break;
      case xMorvaElementCode::HTMLExpression2: ++counts.htmlExpressions2; break;
      case xMorvaElementCode::HTMLExpression: ++counts.htmlExpressions; break;
      default: break;
    }
  }
  UnlockStream();
}

uint32_t xMorvaEngine::RecountPositions() {
  const uint8_t* stream = LockStream();
  if (stream == nullptr) return 0;
  uint32_t positions = 0;
  for (uint32_t at = 0; at < fBytesInUse;) {
    const uint32_t run = SkipCharacterUnits(stream, at, fBytesInUse);
    if (run != at) {
      positions += (run - at) / 2;
      at = run;
      continue;
    }
    const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
    if (item.kind != StreamItem::kRecord) ++positions;
    at += item.size;
  }
  UnlockStream();
  return positions;
}

uint32_t xMorvaEngine::KnownPointAtOrBefore(int32_t target, int32_t& position) const {
  // The walk's marks, its last stop and cache point, and the selection's
  // two ends each know the byte offset of a position; the nearest one at or
  // before the target serves, the stream's start when none does.
  position = 0;
  uint32_t offset = 0;
  auto consider = [&](bool usable, int32_t at, uint32_t atOffset) {
    if (usable && at <= target && at > position && atOffset <= fBytesInUse) {
      position = at;
      offset = atOffset;
    }
  };
  if (const size_t marks = CountMarksBefore(target + 1); marks != 0)
    consider(true, fMarkIndex[marks - 1].position, fMarkIndex[marks - 1].offset);
  consider(fStopValid, fStopPosition, fStopOffset);
  consider(fCachePosition != 0 && fCacheHasState, fCachePosition, fCacheOffset);
  consider(true, fSelStart, fSelStartOffset);
  consider(true, fSelEnd, fSelEndOffset);
  return offset;
}

void xMorvaEngine::ReadUnits(const uint8_t* stream, int32_t first, int32_t count, char16_t* out) const {
  std::fill(out, out + count, char16_t(0));
  const int32_t from = std::max(first, 0);
  const int32_t last = std::min(first + count, fLength) - 1;
  if (stream == nullptr || from > last) return;
  // Only these units matter: the walk starts at the nearest place whose
  // offset is known, so that a read costs the same wherever it is taken.
  int32_t walked = 0;
  uint32_t at = KnownPointAtOrBefore(from, walked);
  while (at < fBytesInUse && walked <= last) {
    if (walked < from) {
      // A run of characters is passed up to the first unit at most: the
      // units after it are not read, however long the run.
      const uint32_t limit = uint32_t(std::min<uint64_t>(fBytesInUse, at + 2 * uint64_t(from - walked)));
      const uint32_t run = SkipCharacterUnits(stream, at, limit);
      if (run != at) {
        walked += int32_t((run - at) / 2);
        at = run;
        continue;
      }
    }
    if (walked >= from) {
      // A run of characters among the units wanted is copied as it is.
      const uint32_t limit = uint32_t(std::min<uint64_t>(fBytesInUse, at + 2 * uint64_t(last + 1 - walked)));
      const uint32_t run = SkipCharacterUnits(stream, at, limit);
      for (; at < run; at += 2) out[walked++ - first] = StreamUnit(stream + at);
      if (walked > last || at >= fBytesInUse) break;
    }
    const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
    if (item.kind != StreamItem::kRecord) {
      if (walked >= from && item.kind == StreamItem::kUnit) out[walked - first] = item.unit;
      ++walked;
    }
    at += std::max<uint32_t>(item.size, 2);
  }
}

namespace {
// How many units on either side of a position the cluster rules read when
// its neighbours alone do not tell: more than any cluster a text holds
// but a run of flags or of marks, which grows the window.
constexpr int32_t kClusterContext = 32;
constexpr int32_t kClusterContextLimit = 4096;
// The units a step reads: enough to pass a character with its marks, or an
// emoji with its skin tone, and tell the place after it.
constexpr int32_t kStepUnits = 16;

}  // namespace

char32_t xMorvaEngine::CodePointPastRecords(const uint8_t* stream, uint32_t offset) const {
  const uint32_t at = PastRecords(stream, offset, fBytesInUse);
  if (at >= fBytesInUse || fBytesInUse - at < 2) return 0;
  const char16_t unit = StreamUnit(stream + at);  // 0: an element
  if (!IsHighSurrogateUnit(unit)) return unit;
  const char16_t low = UnitPastRecords(stream, at + 2, fBytesInUse);
  return IsLowSurrogateUnit(low) ? CodePointEndedBy(unit, low) : unit;
}

bool xMorvaEngine::IsClusterPlace(const uint8_t* stream, int32_t position) const {
  if (position <= 0 || position >= fLength) return true;
  // The code points on either side tell for most text: letters, digits,
  // spaces and punctuation side by side, a paragraph end or an element.
  char16_t near[4];
  ReadUnits(stream, position - 2, 4, near);
  if (near[2] >= 0xDC00 && near[2] <= 0xDFFF && near[1] >= 0xD800 && near[1] <= 0xDBFF) return false;
  const VClusterEdge edge = ClusterEdgeBetween(CodePointBefore(near, 2), CodePointAt(near, 4, 2));
  if (edge != VClusterEdge::kAsk) return edge == VClusterEdge::kEdge;
  // The window starts at most 3 units before its place, at a pair's edge
  // of a run of flags.
  char16_t units[2 * kClusterContext + 3];
  const int32_t first = ClusterWindowStart(stream, position - kClusterContext);
  const int32_t count = position + kClusterContext - first;
  ReadUnits(stream, first, count, units);
  const int32_t lo = std::max(first, 0) - first;
  const int32_t hi = std::min(first + count, fLength) - first;
  return IsClusterBoundary(units + lo, hi - lo, position - first - lo);
}

int32_t xMorvaEngine::ClusterWindowStart(const uint8_t* stream, int32_t first) const {
  if (first <= 0 || first >= fLength) return first;
  // The regional indicator at the window's start, if one is there.
  char16_t head[3];
  ReadUnits(stream, first - 1, 3, head);
  int32_t start = first;
  if (IsRegionalIndicatorUnits(head[0], head[1])) {
    start = first - 1;
  } else if (!IsRegionalIndicatorUnits(head[1], head[2])) {
    return first;
  }
  // Back to the run's start, a stretch at a time: a flag is two of them.
  constexpr int32_t kStretch = 32;
  char16_t stretch[kStretch];
  for (bool more = true; more;) {
    const int32_t from = std::max(start - kStretch, 0);
    ReadUnits(stream, from, start - from, stretch);
    int32_t at = start - from;
    while (at >= 2 && IsRegionalIndicatorUnits(stretch[at - 2], stretch[at - 1])) at -= 2;
    more = at < 2 && from > 0;
    start = from + at;
  }
  return start + (first - start) / 4 * 4;
}

int32_t xMorvaEngine::ClusterStep(const uint8_t* stream, int32_t position, bool forward) const {
  if (position < 0) return 0;
  if (position > fLength) return fLength;
  if (forward ? position >= fLength : position <= 0) return position;
  // The step passes a code point (one unit, or a pair) at a time while the
  // code points on either side of where it stands tell it is inside a
  // cluster (a mark, a selector, a skin tone after a character), and stops
  // where they tell it is a boundary.
  char16_t near[kStepUnits];
  const int32_t first = forward ? position - 2 : position + 2 - kStepUnits;
  ReadUnits(stream, first, kStepUnits, near);
  for (int32_t at = position - first;;) {
    if (forward)
      at += IsHighSurrogateUnit(near[at]) && IsLowSurrogateUnit(near[at + 1]) ? 2 : 1;
    else
      at -= IsLowSurrogateUnit(near[at - 1]) && IsHighSurrogateUnit(near[at - 2]) ? 2 : 1;
    if (first + at <= 0 || first + at >= fLength) return std::clamp(first + at, 0, fLength);
    if (at < 2 || at + 2 > kStepUnits) break;
    // A low unit there starts no code point, and so leaves it to the rules.
    const VClusterEdge edge = ClusterEdgeBetween(CodePointBefore(near, at), CodePointAt(near, kStepUnits, at));
    if (edge == VClusterEdge::kEdge) return first + at;
    if (edge == VClusterEdge::kAsk) break;
  }
  // Marks, joiners, selectors, flags and jamo: the break iterator over the
  // text around, a wider stretch while the step reaches its edge.
  for (int32_t context = kClusterContext;; context *= 2) {
    const int32_t first = ClusterWindowStart(stream, position - context);
    const int32_t count = position + context - first;
    std::vector<char16_t> units(static_cast<size_t>(count));
    ReadUnits(stream, first, count, units.data());
    const int32_t lo = std::max(first, 0) - first;
    const int32_t hi = std::min(first + count, fLength) - first;
    const int32_t within = position - first - lo;
    const int32_t found = forward ? ClusterBoundaryAfter(units.data() + lo, hi - lo, within)
                                  : ClusterBoundaryBefore(units.data() + lo, hi - lo, within);
    const bool atEdge = forward ? found == hi - lo && first + hi < fLength : found == 0 && first + lo > 0;
    if (!atEdge || context >= kClusterContextLimit) return first + lo + found;
  }
}

int32_t xMorvaEngine::ClusterPlaceFrom(const uint8_t* stream, int32_t position, bool forward) const {
  position = std::clamp(position, 0, fLength);
  if (IsClusterPlace(stream, position)) return position;
  return ClusterStep(stream, position, forward);
}

int32_t xMorvaEngine::CharacterStep(int32_t position, bool forward) {
  const uint8_t* stream = LockStream();
  if (stream == nullptr) return std::clamp(position + (forward ? 1 : -1), 0, fLength);
  const int32_t step = ClusterStep(stream, position, forward);
  UnlockStream();
  return step;
}

bool xMorvaEngine::IsCaretPlace(int32_t position) {
  const uint8_t* stream = LockStream();
  if (stream == nullptr) return true;
  const bool place = IsClusterPlace(stream, position);
  UnlockStream();
  return place;
}

int32_t xMorvaEngine::CaretPlaceFrom(int32_t position, bool forward) {
  const uint8_t* stream = LockStream();
  if (stream == nullptr) return std::clamp(position, 0, fLength);
  const int32_t place = ClusterPlaceFrom(stream, position, forward);
  UnlockStream();
  return place;
}

// ---- Style sheets and borders

int32_t xMorvaEngine::ApplyStyleSheetToSelection(uint32_t sheetId, bool paragraphSheet,
                                                 const xMorvaProperties& values,
                                                 const xMorvaPropertiesStates& states, const xMorvaTabs* tabs) {
  BeginUndoStep(kUndoParagraphFormat, uint16_t(sheetId));
  int32_t status = 0;
  if (paragraphSheet && tabs != nullptr) status = SetTabs(*tabs);
  if (status == 0) status = SetPropertyValue(kPropStyleSheet, int32_t(sheetId));
  const uint16_t last = paragraphSheet ? 63 : kPropShadowColour;
  for (uint16_t id = 0; status == 0 && id <= last; ++id) {
    // The link look and the sheet id come from the sheet only through
    // its id; ids no property has are not the sheet's to set.
    if (id == kPropLinkLook || id == kPropStyleSheet || !IsPropertyId(id)) continue;
    if (states.GetState(id) != 1) continue;
    status = SetPropertyValue(id, values.GetProperty(id));
  }
  EndUndoStep(status);
  return status;
}

int32_t xMorvaEngine::ApplyParagraphBorders(const xMorvaProperties& values, const xMorvaPropertiesStates& states,
                                            bool setInner, bool innerValue) {
  // A side whose state is off was not decided (paragraphs that differ in
  // it): each paragraph keeps its own.
  auto setSide = [&](uint16_t id) {
    return states.GetState(id) == 1 ? SetPropertyValue(id, values.GetProperty(id)) : 0;
  };
  if (const int32_t error = setSide(kPropLeftBorder)) return error;
  if (const int32_t error = setSide(kPropRightBorder)) return error;
  const bool endsAtParagraphEnd = fEndsWithParaEnd != 0 && fSelEnd < fLength;
  const int32_t paragraphs = fParaEndCount + fBreakCount + (endsAtParagraphEnd ? 0 : 1);
  if (paragraphs <= 1) {
    if (const int32_t error = setSide(kPropTopBorder)) return error;
    return setSide(kPropBottomBorder);
  }
  // The starts of the selected paragraphs, by position.
  const int32_t start = fSelStart;
  const int32_t endPosition = fSelEnd;
  std::vector<int32_t> starts{fParaStart};
  {
    const uint8_t* stream = LockStream();
    int32_t position = fSelStart;
    for (uint32_t at = fSelStartOffset; stream != nullptr && at < fSelEndOffset && at < fBytesInUse;) {
      const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
      at += item.size;
      if (item.kind == StreamItem::kRecord) continue;
      ++position;
      const bool end = (item.kind == StreamItem::kUnit && item.unit == kUnitParagraphEnd) ||
                       (item.kind == StreamItem::kElement && IsBreakCode(item.unit));
      if (end && int32_t(starts.size()) < paragraphs) starts.push_back(position);
    }
    if (stream != nullptr) UnlockStream();
  }
  int32_t status = 0;
  const int32_t inner = innerValue ? 1 : 0;
  for (size_t i = 0; i < starts.size() && status == 0; ++i) {
    SetSelection(starts[i], starts[i]);
    const bool first = i == 0;
    const bool lastOne = i + 1 == starts.size();
    if (first) {
      if (states.GetState(kPropTopBorder) == 1)
        status = SetPropertyValue(kPropTopBorder, values.GetProperty(kPropTopBorder));
    } else if (setInner) {
      status = SetPropertyValue(kPropTopBorder, inner);
    }
    if (status != 0) break;
    if (lastOne) {
      if (states.GetState(kPropBottomBorder) == 1)
        status = SetPropertyValue(kPropBottomBorder, values.GetProperty(kPropBottomBorder));
    } else if (!first && setInner) {
      status = SetPropertyValue(kPropBottomBorder, 0);
    }
  }
  DropCache();
  SetSelection(start, endPosition);
  return status;
}

int32_t xMorvaEngine::SetSelectionBorders(bool on, bool inner) {
  xMorvaProperties values;
  values.SetDefaults();
  xMorvaPropertiesStates states;
  states.ClearAll();
  for (uint16_t id = kPropLeftBorder; id <= kPropBottomBorder; ++id) {
    values.SetProperty(id, on ? 1 : 0);
    states.SetState(id, 1);
  }
  BeginUndoStep(kUndoParagraphFormat, 0);
  const int32_t status = ApplyParagraphBorders(values, states, true, inner);
  EndUndoStep(status);
  return status;
}

// ---- The saved selection

void xMorvaEngine::SaveSelectionState(int32_t& start, int32_t& end) {
  fSavedProperties.Assign(fCurrent);
  fSavedStart = start = fSelStart;
  fSavedEnd = end = fSelEnd;
}

void xMorvaEngine::RestoreSelectionState() {
  SetSelection(fSavedStart, fSavedEnd);
  fCurrent.Assign(fSavedProperties);
}
