// xMorvaEngine: special elements. Tabs, soft hyphens and breaks are
// inserted with their fixed payloads; page numbers, host expressions and
// dates are computed elements that carry their object (format word or host
// reference) and two texts, a source label and a result, and are found,
// read and re-evaluated here.
#include <memory>

#include "document/xMorvaUndo.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaEngineHost.h"
#include "engine/xMorvaEngine_p.h"
#include "engine/xMorvaListNumber.h"
#include "engine/xMorvaPictureElement.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VDate.h"
#include "framework/core/values/VHour.h"
#include "graphics/pictures/VPictureData.h"

namespace {

constexpr uint32_t kTabCacheSize = 14;
constexpr char16_t kUnitSoftHyphen = 173;
// The look (property 14) of a source text: field look.
constexpr uint32_t kFieldLook = 3;
// Items of the labels list.
constexpr int16_t kItemOpenMark = 1;
constexpr int16_t kItemCloseMark = 2;
constexpr int16_t kItemPageNumberLabel = 3;
constexpr int16_t kItemDateTimeLabel = 4;
constexpr int16_t kItemPageCountLabel = 5;
// A page number's result field before layout: fifteen units x.
constexpr char16_t kUnitPlaceholder = 120;

// The computed head of an element whose payload lies at `payload` with a
// bytes: false when the lengths do not fit the payload.
struct ComputedHead {
  uint32_t n = 0;
  uint32_t resultBytes = 0;
  uint32_t sourceBytes = 0;
  uint8_t resultFirst = 0;
  uint32_t ResultOffset() const {
    return kComputedHeadSize + n + (resultFirst != 0 ? 0 : sourceBytes);
  }
};

bool ReadComputedHead(const uint8_t* payload, uint32_t a, ComputedHead& head) {
  if (a < kComputedHeadSize) return false;
  head.n = StreamLong(payload);
  head.resultBytes = StreamLong(payload + 4);
  head.sourceBytes = StreamLong(payload + 8);
  head.resultFirst = payload[12] != 0 ? 1 : 0;
  const uint64_t whole = uint64_t(kComputedHeadSize) + head.n + head.resultBytes + head.sourceBytes;
  return whole <= a;
}

bool MatchesSearchCode(uint16_t code, uint16_t wanted) {
  switch (wanted) {
    case kFindAnyComputed:
      if (code == xMorvaElementCode::PageNumber) return true;
      [[fallthrough]];
    case kFindFieldOrLink:
      if (code == xMorvaElementCode::Hyperlink || code == xMorvaElementCode::HTMLExpression ||
          code == xMorvaElementCode::HTMLExpression2) {
        return true;
      }
      [[fallthrough]];
    case kFindDateOrExpression:
      return code == xMorvaElementCode::DateTime || code == xMorvaElementCode::ExprQv;
    default:
      return code == wanted;
  }
}

void PackageString(int16_t item, VString& out) {
  out.SetEmpty(false);
  if (xMorvaEngineHost* host = xMorvaEngineHostService::Get()) host->GetPackageString(kListFieldLabels, item, out);
}

// The label of a host reference: its table, field, option-code and
// format-code names, the ones present joined by ":"; at most 255 units.
void ReferenceLabel(const uint8_t* reference, uint32_t size, VString& label) {
  label.SetEmpty(false);
  xMorvaEngineHost* host = xMorvaEngineHostService::Get();
  if (host == nullptr) return;
  VStr<255> parts[4];
  if (!host->GetReferenceNames(reference, size, parts[0], parts[1], parts[2], parts[3])) return;
  bool first = true;
  for (const VStr<255>& part : parts) {
    if (part.GetLength() == 0) continue;
    if (!first) label.AppendUniChar(u':');
    label.CopyText(part);
    first = false;
  }
}

// Units of a formatted text, as they stand: no records, no conversion.
VMemHandle RawUnits(const VString& text) {
  xMorvaUnitBuffer buffer;
  if (!buffer.Reserve(uint64_t(text.GetLength()) * 2)) return 0;
  for (int32_t i = 1; i <= text.GetLength(); ++i) buffer.AppendUnit(text.GetCharAt(i));
  return buffer.Failed() ? 0 : buffer.Release();
}

uint32_t SizeOf(VMemHandle handle) { return handle != 0 ? gMemoryMgr->GetHandleSize(handle) : 0; }

// Frees a handle at the end of its scope.
struct HandleOwner {
  VMemHandle handle = 0;
  explicit HandleOwner(VMemHandle h) : handle(h) {}
  ~HandleOwner() {
    if (handle != 0) gMemoryMgr->DisposeHandle(handle);
  }
  HandleOwner(const HandleOwner&) = delete;
  HandleOwner& operator=(const HandleOwner&) = delete;
};

}  // namespace

void HostReferenceLabel(const uint8_t* reference, uint32_t size, VString& label) {
  ReferenceLabel(reference, size, label);
}
void FieldLabel(int16_t item, VString& out) { PackageString(item, out); }
VMemHandle UnitsOfNow(uint16_t format) {
  VDate today;
  today.SetToday();
  VHour now;
  now.SetNow();
  VDateRec date;
  today.GetDate(date, kWholeValue);
  VStr<255> text;
  xMorvaEngine::FormatDateTime(date, now.GetTime(kWholeValue), format, text);
  return RawUnits(text);
}

// ---- Insertion

int32_t xMorvaEngine::InsertSpecialElement(uint16_t code, const void* payload, uint32_t a, uint32_t b,
                                           bool withUndo) {
  if (code < kFirstElementCode || b > a) return kErrorBadStream;
  const uint64_t bytes = uint64_t(kElementHeadSize) + a;
  return Reserved(DeleteReserve(*this) + kTypingRecords + bytes, [&]() -> int32_t {
    if (withUndo) BeginUndoStep(kUndoSpecialElement, code);
    auto finish = [&](int32_t result) {
      if (withUndo) EndUndoStep(result);
      return result;
    };
    if (const int32_t error = DeleteSelection()) return finish(error);
    const uint32_t before = fBytesInUse;
    if (const int32_t error = WriteTypingProperties()) return finish(error);
    uint8_t head[kElementHeadSize];
    PutStreamUnit(head, 0);
    PutStreamUnit(head + 2, code);
    PutStreamLong(head + 4, a);
    PutStreamLong(head + 8, b);
    if (const int32_t error = InsertBytes(fSelStartOffset, head, kElementHeadSize)) return finish(error);
    if (a != 0) {
      if (const int32_t error = InsertBytes(fSelStartOffset + kElementHeadSize, payload, a)) return finish(error);
    }
    fSelStartOffset += kElementHeadSize + a;
    fSelEndOffset = fSelStartOffset;
    ++fLength;
    fSelEnd = ++fSelStart;
    fSelLength = 0;
    fParaEndOffset += fBytesInUse - before;
    ++fParaEnd;
    ++fWordEnd;
    if (code < kFirstComputedCode) {
      // A tab, a picture or a break ends the word before it: what is typed
      // next starts one.
      fWordStart = fSelStart;
      fWordScript = VWordScript::kEither;
    }
    return finish(0);
  });
}

int32_t xMorvaEngine::InsertTab() {
  return InsertSpecialElement(xMorvaElementCode::Tab, nullptr, kTabCacheSize, kTabCacheSize, false);
}

int32_t xMorvaEngine::InsertTabWithUndo() {
  return InsertSpecialElement(xMorvaElementCode::Tab, nullptr, kTabCacheSize, kTabCacheSize, true);
}

int32_t xMorvaEngine::InsertSoftHyphen() {
  uint8_t unit[2];
  PutStreamUnit(unit, kUnitSoftHyphen);
  return InsertSpecialElement(xMorvaElementCode::SoftHyphen, unit, 2, 2, false);
}

int32_t xMorvaEngine::InsertSoftHyphenWithUndo() {
  uint8_t unit[2];
  PutStreamUnit(unit, kUnitSoftHyphen);
  return InsertSpecialElement(xMorvaElementCode::SoftHyphen, unit, 2, 2, true);
}

int32_t xMorvaEngine::InsertBreak(uint16_t code) {
  if (!IsBreakCode(code)) return kErrorBadStream;
  return Reserved(DeleteReserve(*this) + kTypingRecords + kElementHeadSize + 2, [&]() -> int32_t {
    if (const int32_t error = DeleteSelection()) return error;
    if (const int32_t error = WriteTypingProperties()) return error;
    uint8_t bytes[kElementHeadSize + 2];
    PutStreamUnit(bytes, 0);
    PutStreamUnit(bytes + 2, code);
    PutStreamLong(bytes + 4, 2);
    PutStreamLong(bytes + 8, 0);
    PutStreamUnit(bytes + kElementHeadSize, kUnitParagraphEnd);
    if (const int32_t error = InsertBytes(fSelStartOffset, bytes, sizeof bytes)) return error;
    ++fLength;
    ++fSelEnd;
    return 0;
  });
}

int32_t xMorvaEngine::InsertBreakWithUndo(uint16_t code) {
  if (!IsBreakCode(code)) return kErrorBadStream;
  return Reserved(DeleteReserve(*this) + kTypingRecords + kElementHeadSize + 2, [&]() {
    BeginUndoStep(kUndoSpecialElement, code);
    const int32_t start = fSelStart;
    const int32_t result = InsertBreak(code);
    if (result == 0) SetSelection(start + 1, start + 1);
    EndUndoStep(result);
    return result;
  });
}

// ---- Computed elements

VMemHandle xMorvaEngine::StringToElementText(const VString& label, uint32_t& byteLength, uint32_t lookValue,
                                             bool withMarks) {
  byteLength = 0;
  xMorvaUnitBuffer buffer;
  if (!buffer.AppendRecord(kPropLinkLook, lookValue)) return 0;
  VStr<255> mark;
  if (withMarks) {
    PackageString(kItemOpenMark, mark);
    if (mark.GetLength() > 0) buffer.AppendUnit(mark.GetCharAt(1));
  }
  HandleOwner units(gMemoryMgr->NewHandle(0, 0));
  uint32_t count = 0;
  uint32_t bytes = 0;
  if (units.handle == 0 || !StringToUnits(label, units.handle, count, bytes, false)) return 0;
  buffer.AppendHandle(units.handle);
  if (withMarks) {
    PackageString(kItemCloseMark, mark);
    if (mark.GetLength() > 0) buffer.AppendUnit(mark.GetCharAt(1));
  }
  buffer.AppendRecord(kPropLinkLook, 0);
  if (buffer.Failed()) return 0;
  byteLength = buffer.Size();
  return buffer.Release();
}

int32_t xMorvaEngine::InsertComputedElement(uint16_t code, const void* object, uint32_t n, VMemHandle result,
                                            VMemHandle source, bool hiddenResult, bool withUndo) {
  const uint32_t resultBytes = SizeOf(result);
  const uint32_t sourceBytes = SizeOf(source);
  const uint64_t total = uint64_t(kComputedHeadSize) + n + resultBytes + sourceBytes;
  if (total > uint64_t(INT32_MAX)) return kErrorTextCannotGrow;
  const bool resultFirst = fFieldDisplayMode != 0;
  xMorvaUnitBuffer payload;
  if (!payload.Reserve(total)) return kErrorTextCannotGrow;
  payload.AppendLong(n);
  payload.AppendLong(resultBytes);
  payload.AppendLong(sourceBytes);
  const uint8_t flags[2] = {uint8_t(resultFirst ? 1 : 0), 0};
  payload.Append(flags, 2);
  payload.Append(object, n);
  payload.AppendHandle(resultFirst ? result : source);
  payload.AppendHandle(resultFirst ? source : result);
  if (payload.Failed()) return kErrorTextCannotGrow;
  // The tail, what text walkers show, is always the second text.
  const uint32_t first = resultFirst ? resultBytes : sourceBytes;
  const uint32_t a = uint32_t(total);
  const uint32_t b = hiddenResult ? a : kComputedHeadSize + n + first;
  const void* bytes = gMemoryMgr->LockHandle(payload.Handle());
  const int32_t status =
      bytes != nullptr ? InsertSpecialElement(code, bytes, a, b, withUndo) : kErrorTextCannotGrow;
  gMemoryMgr->UnlockHandle(payload.Handle());
  return status;
}

VMemHandle xMorvaEngine::BuildHostExpressionText(const uint8_t* reference, uint32_t size, bool& isPicture,
                                                 VValue* value, const xMorvaPictureHeader* placement) {
  isPicture = false;
  std::unique_ptr<VValue> owned(value);
  if (!owned) {
    if (xMorvaEngineHost* host = xMorvaEngineHostService::Get()) owned.reset(host->EvaluateReference(reference, size));
  }
  if (!owned) return 0;
  HandleOwner units(gMemoryMgr->NewHandle(0, 0));
  if (units.handle == 0) return 0;
  const int32_t kind = owned->GetKind();
  uint32_t count = 0;
  uint32_t bytes = 0;
  if (kind >= kValueBoolean && kind <= kValueDate) {
    VStr<255> text;
    owned->FormatTo(text, nullptr, kWholeValue);
    if (!StringToUnits(text, units.handle, count, bytes, false)) return 0;
  } else if (kind == kValueString) {
    if (!StringToUnits(static_cast<const VString&>(*owned), units.handle, count, bytes, false)) return 0;
  } else if (kind == kValuePicture) {
    // The result is the picture itself, one element; a placement keeps the
    // size and look the user gave it.
    auto& picture = static_cast<VPictureData&>(*owned);
    const bool placed = placement != nullptr;
    if (!MakePictureElement(picture, units.handle, placed ? placement->shownWidth : -1,
                            placed ? placement->shownHeight : -1, placed ? int32_t(placement->mode) : -1,
                            placed ? int32_t(placement->flag) : -1)) {
      return 0;
    }
    isPicture = true;
  }
  // A handle and any other kind leave the result empty.
  const VMemHandle handle = units.handle;
  units.handle = 0;
  return handle;
}

int32_t xMorvaEngine::InsertHostExpression(const uint8_t* reference, uint32_t size, bool withUndo,
                                           VValue* value, const xMorvaPictureHeader* placement) {
  std::unique_ptr<VValue> owned(value);
  if (!owned) {
    if (xMorvaEngineHost* host = xMorvaEngineHostService::Get()) owned.reset(host->EvaluateReference(reference, size));
  }
  if (!owned) return kErrorNoResultText;
  // With a value at hand, no result means memory ran out.
  bool isPicture = false;
  HandleOwner result(BuildHostExpressionText(reference, size, isPicture, owned.release(), placement));
  if (result.handle == 0) return kErrorTextCannotGrow;
  VStr<255> label;
  ReferenceLabel(reference, size, label);
  uint32_t sourceBytes = 0;
  HandleOwner source(StringToElementText(label, sourceBytes, kFieldLook, true));
  if (source.handle == 0) return kErrorTextCannotGrow;
  return InsertComputedElement(xMorvaElementCode::ExprQv, reference, size, result.handle, source.handle, false,
                               withUndo);
}

int32_t xMorvaEngine::InsertHostExpressionWithUndo(const uint8_t* reference, uint32_t size, VValue* value,
                                                   const xMorvaPictureHeader* placement) {
  return InsertHostExpression(reference, size, true, value, placement);
}

void xMorvaEngine::FormatDateTime(const VDateRec& date, int32_t seconds, uint16_t format, VString& text) {
  text.SetEmpty(false);
  const int8_t dateStyle = int8_t(format >> 8);
  const int8_t timeStyle = int8_t(format & 0xFF);
  if (dateStyle != 0) text.AppendDateText(date, uint16_t(int16_t(dateStyle)));
  if (timeStyle != 0) {
    if (text.GetLength() > 0) text.AppendUniChar(u' ');
    text.AppendTimeText(seconds, uint16_t(int16_t(timeStyle)));
  }
}

int32_t xMorvaEngine::InsertDateTimeField(const VDateRec& date, int32_t seconds, uint16_t format) {
  return InsertDateTimeField(date, seconds, format, true);
}

int32_t xMorvaEngine::InsertDateTimeField(const VDateRec& date, int32_t seconds, uint16_t format, bool withUndo) {
  VStr<255> label;
  PackageString(kItemDateTimeLabel, label);
  uint32_t sourceBytes = 0;
  HandleOwner source(StringToElementText(label, sourceBytes, kFieldLook, true));
  if (source.handle == 0) return kErrorTextCannotGrow;
  VStr<255> text;
  FormatDateTime(date, seconds, format, text);
  HandleOwner result(RawUnits(text));
  if (result.handle == 0) return kErrorTextCannotGrow;
  uint8_t object[2];
  PutStreamUnit(object, format);
  return InsertComputedElement(xMorvaElementCode::DateTime, object, 2, result.handle, source.handle, false,
                               withUndo);
}

int32_t xMorvaEngine::InsertPageNumberField(uint32_t format) { return InsertPageNumberField(format, true); }

int32_t xMorvaEngine::InsertPageNumberField(uint32_t format, bool withUndo) {
  VStr<255> label;
  PackageString((format & kPageNumberCount) != 0 ? kItemPageCountLabel : kItemPageNumberLabel, label);
  uint32_t sourceBytes = 0;
  HandleOwner source(StringToElementText(label, sourceBytes, kFieldLook, true));
  if (source.handle == 0) return kErrorTextCannotGrow;
  xMorvaUnitBuffer placeholder;
  for (int32_t i = 0; i < kListNumberUnits; ++i) placeholder.AppendUnit(kUnitPlaceholder);
  if (placeholder.Failed()) return kErrorTextCannotGrow;
  HandleOwner result(placeholder.Release());
  if (result.handle == 0) return kErrorTextCannotGrow;
  uint8_t object[4];
  PutStreamLong(object, format);
  // Shown as its source, or with no text at all until layout writes the
  // number.
  return InsertComputedElement(xMorvaElementCode::PageNumber, object, 4, result.handle, source.handle,
                               fFieldDisplayMode == 0, withUndo);
}

std::vector<uint8_t> xMorvaEngine::MakeComputedElement(uint8_t displayMode, bool dateTime, uint32_t format,
                                                       const VDateRec& date, int32_t seconds) {
  std::vector<uint8_t> element;
  xMorvaEngine scratch(nullptr, kPartGranule);
  if (!scratch.IsValid()) return element;
  scratch.SetFieldDisplayMode(displayMode);
  const int32_t code = dateTime ? scratch.InsertDateTimeField(date, seconds, uint16_t(format), false)
                                : scratch.InsertPageNumberField(format, false);
  if (code != 0) return element;
  // The scratch text holds the element behind any records of its typing
  // properties.
  const uint8_t* stream = scratch.LockStream();
  const uint32_t size = scratch.GetStreamSize();
  for (uint32_t at = 0; stream != nullptr && at < size;) {
    const StreamItem item = ReadStreamItem(stream + at, size - at);
    if (item.size == 0) break;
    if (item.kind == StreamItem::kElement) {
      if (item.size >= kElementHeadSize) element.assign(stream + at, stream + at + item.size);
      break;
    }
    at += item.size;
  }
  if (stream != nullptr) scratch.UnlockStream();
  return element;
}

// ---- Reading and finding

uint32_t xMorvaEngine::ElementAtSelection(uint16_t code) {
  const uint8_t* stream = LockStream();
  if (stream == nullptr) return UINT32_MAX;
  uint32_t found = UINT32_MAX;
  const uint32_t end = fSelEndOffset < fBytesInUse ? fSelEndOffset : fBytesInUse;
  for (uint32_t at = fSelStartOffset; at < end;) {
    const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
    if (item.kind == StreamItem::kRecord) {
      at += item.size;
      continue;
    }
    if (item.kind == StreamItem::kElement && item.unit == code && at + item.size <= fBytesInUse &&
        item.size >= kElementHeadSize && item.size == kElementHeadSize + StreamLong(stream + at + 4)) {
      found = at;
    }
    break;
  }
  UnlockStream();
  return found;
}

bool xMorvaEngine::GetDateTimeFormatAtSelection(uint16_t& format) {
  format = kDefaultDateTimeFormat;
  const uint32_t at = ElementAtSelection(xMorvaElementCode::DateTime);
  if (at == UINT32_MAX) return false;
  const uint8_t* stream = LockStream();
  ComputedHead head;
  const uint8_t* payload = stream + at + kElementHeadSize;
  const bool found = ReadComputedHead(payload, StreamLong(stream + at + 4), head) && head.n >= 2;
  if (found) format = StreamUnit(payload + kComputedHeadSize);
  UnlockStream();
  return found;
}

bool xMorvaEngine::GetPageNumberFormatAtSelection(uint32_t& format) {
  format &= ~(kPageNumberCount | (0xFu << kPageNumberStyleShift));
  const uint32_t at = ElementAtSelection(xMorvaElementCode::PageNumber);
  if (at == UINT32_MAX) return false;
  const uint8_t* stream = LockStream();
  ComputedHead head;
  const uint8_t* payload = stream + at + kElementHeadSize;
  const bool found = ReadComputedHead(payload, StreamLong(stream + at + 4), head) && head.n >= 4;
  if (found) format = StreamLong(payload + kComputedHeadSize);
  UnlockStream();
  return found;
}

VMemHandle xMorvaEngine::GetHostExpressionAtSelection() {
  const uint32_t at = ElementAtSelection(xMorvaElementCode::ExprQv);
  if (at == UINT32_MAX) return 0;
  const uint8_t* stream = LockStream();
  ComputedHead head;
  const uint8_t* payload = stream + at + kElementHeadSize;
  VMemHandle reference = 0;
  if (ReadComputedHead(payload, StreamLong(stream + at + 4), head))
    reference = gMemoryMgr->NewHandleFromData(payload + kComputedHeadSize, head.n);
  UnlockStream();
  return reference;
}

int32_t xMorvaEngine::FindElement(uint16_t code, bool wholeText, bool inSelection) {
  uint32_t at = 0;
  uint32_t end = fBytesInUse;
  int32_t position = 0;
  if (!wholeText) {
    if (inSelection) {
      at = fSelStartOffset;
      end = fSelEndOffset;
      position = fSelStart;
    } else {
      at = fSelEndOffset;
      position = fSelEnd;
    }
  }
  if (end > fBytesInUse) end = fBytesInUse;
  const uint8_t* stream = LockStream();
  if (stream == nullptr) return -1;
  int32_t found = -1;
  while (at < end) {
    const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
    if (item.kind == StreamItem::kElement && MatchesSearchCode(item.unit, code)) {
      found = position;
      break;
    }
    if (item.kind != StreamItem::kRecord) ++position;
    at += item.size;
  }
  UnlockStream();
  return found;
}

// ---- Re-evaluation

int32_t xMorvaEngine::UpdateComputedFields() {
  // The first host expression or date in the selection, and its position.
  const uint8_t* stream = LockStream();
  if (stream == nullptr) return 0;
  uint32_t at = fSelStartOffset;
  int32_t position = fSelStart;
  const uint32_t end = fSelEndOffset < fBytesInUse ? fSelEndOffset : fBytesInUse;
  uint16_t code = 0;
  ComputedHead head;
  uint32_t a = 0;
  while (at < end) {
    const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
    if (item.kind == StreamItem::kElement &&
        (item.unit == xMorvaElementCode::ExprQv || item.unit == xMorvaElementCode::DateTime) &&
        item.size >= kElementHeadSize && item.size == kElementHeadSize + StreamLong(stream + at + 4)) {
      a = item.size - kElementHeadSize;
      // A head whose lengths do not fit its payload is not rebuilt.
      if (ReadComputedHead(stream + at + kElementHeadSize, a, head)) code = item.unit;
      break;
    }
    if (item.kind != StreamItem::kRecord) ++position;
    at += item.size;
  }
  if (code == 0) {
    UnlockStream();
    return 0;
  }
  const uint8_t* object = stream + at + kElementHeadSize + kComputedHeadSize;
  VMemHandle built = 0;
  if (code == xMorvaElementCode::ExprQv) {
    // A picture result the user has placed (its flag set) keeps its size
    // and look when it is made again.
    xMorvaPictureHeader placement;
    bool placed = false;
    if (fSelEnd - fSelStart == 1) {
      const int64_t picture = FindSelectedPicture(stream);
      if (picture >= 0) {
        const StreamItem item = ReadStreamItem(stream + picture, fBytesInUse - uint32_t(picture));
        placed = ReadPictureHeader(stream + picture, item.size, placement) && placement.flag != 0;
      }
    }
    // The reference is copied out: the evaluation may call back into the
    // host, which must not meet the stream locked.
    HandleOwner reference(gMemoryMgr->NewHandleFromData(object, head.n));
    UnlockStream();
    if (reference.handle == 0) return kErrorTextCannotGrow;
    const auto* bytes = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(reference.handle));
    xMorvaEngineHost* host = xMorvaEngineHostService::Get();
    VValue* value =
        bytes != nullptr && host != nullptr ? host->EvaluateReference(bytes, head.n) : nullptr;
    bool isPicture = false;
    if (value != nullptr) {
      built =
          BuildHostExpressionText(bytes, head.n, isPicture, value, placed ? &placement : nullptr);
    } else if (bytes != nullptr && host != nullptr) {
      // The host holds no value for the current record (an empty picture
      // field): the element shows nothing, since what it showed came from
      // another record, which a print merge would send to the wrong person.
      built = gMemoryMgr->NewHandle(0, 0);
    }
    gMemoryMgr->UnlockHandle(reference.handle);
  } else {
    const uint16_t format = head.n >= 2 ? StreamUnit(object) : 0;
    UnlockStream();
    built = UnitsOfNow(format);
  }
  if (built == 0) return kErrorNoResultText;
  HandleOwner result(built);
  const uint32_t newBytes = SizeOf(result.handle);
  const uint32_t oldBytes = head.resultBytes;
  const int64_t d = int64_t(newBytes) - int64_t(oldBytes);
  if (int64_t(a) + d > int64_t(INT32_MAX) - kElementHeadSize) return kErrorTextCannotGrow;

  uint8_t heads[kElementHeadSize + kComputedHeadSize];
  stream = LockStream();
  std::memcpy(heads, stream + at, sizeof heads);
  UnlockStream();
  PutStreamLong(heads + 4, uint32_t(int64_t(a) + d));
  if (head.resultFirst != 0) PutStreamLong(heads + 8, uint32_t(int64_t(StreamLong(heads + 8)) + d));
  PutStreamLong(heads + kElementHeadSize + 4, newBytes);
  const uint32_t resultAt = at + kElementHeadSize + head.ResultOffset();

  return Reserved(newBytes, [&]() -> int32_t {
    BeginUndoStep(kUndoFindReplace, code);
    ReplaceBytes(at, heads, sizeof heads);
    DeleteBytes(int32_t(resultAt), int32_t(oldBytes));
    int32_t status = 0;
    if (newBytes != 0) {
      const void* bytes = gMemoryMgr->LockHandle(result.handle);
      status = bytes != nullptr ? InsertBytes(resultAt, bytes, newBytes) : kErrorTextCannotGrow;
      gMemoryMgr->UnlockHandle(result.handle);
    }
    EndUndoStep(status);
    DropCache();
    SetSelection(position, position + 1);
    return status;
  });
}
