// xMorvaEngine: HTML expressions and the field display mode. An HTML
// expression is a computed element whose object is a 'wEXP' record (tag,
// version "0100", the expression string) and whose only text is its source
// label, so it shows nothing while results are shown. Refreshing brings
// the order of every computed element's two texts in line with the display
// mode; followed links take the second link look.
#include <algorithm>
#include <cstring>
#include <memory>

#include "document/xMorvaUndo.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaEngineHost.h"
#include "engine/xMorvaEngineLink.h"
#include "engine/xMorvaEngine_p.h"
#include "engine/xMorvaPictureElement.h"
#include "engine/xMorvaPlainUnits.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/streams/VMemoryStream.h"
#include "framework/core/strings/VUniString.h"
#include "platform/bytes/ByteOrder.h"

namespace {

constexpr uint32_t kFieldLook = 3;
constexpr uint32_t kLinkLook = 1;
constexpr uint32_t kVisitedLinkLook = 2;
constexpr int16_t kItemExpressionLabel = 9;
constexpr int16_t kItemExpression2Label = 10;
// The units of a page number's result field.
constexpr uint32_t kPageNumberUnits = 15;
// A soft hyphen's payload is its unit; b equal to a hides it.
constexpr uint32_t kSoftHyphenSize = 2;

bool IsComputedCode(uint16_t code) {
  return code == xMorvaElementCode::PageNumber || code == xMorvaElementCode::ExprQv ||
         code == xMorvaElementCode::DateTime || code == xMorvaElementCode::Hyperlink ||
         code == xMorvaElementCode::HTMLExpression || code == xMorvaElementCode::HTMLExpression2;
}

}  // namespace

int32_t xMorvaEngine::InsertHyperlink(xMorvaEngineLink& link, bool withUndo) {
  // The title first: a link without one takes the selected text, which its
  // record then carries.
  const VMemHandle result = link.InsertTitle(*this);
  VMemHandle object = 0;
  {
    VHandleStream stream(object);
    if (object == 0) {
      if (result != 0) gMemoryMgr->DisposeHandle(result);
      return kErrorTextCannotGrow;
    }
    int32_t status = stream.OpenWrite();
    if (status == 0) {
      status = link.Write(stream);
      const int32_t closed = stream.CloseWrite(1);
      if (status == 0) status = closed;
    }
    if (status != 0) {
      gMemoryMgr->DisposeHandle(object);
      if (result != 0) gMemoryMgr->DisposeHandle(result);
      return kErrorTextCannotGrow;
    }
  }
  const VMemHandle source = link.Describe(*this);
  int32_t status = kErrorTextCannotGrow;
  if (source != 0 && result != 0) {
    const uint32_t n = gMemoryMgr->GetHandleSize(object);
    const void* bytes = n != 0 ? gMemoryMgr->LockHandle(object) : nullptr;
    if (bytes != nullptr || n == 0) {
      status = InsertComputedElement(xMorvaElementCode::Hyperlink, bytes, n, result, source, false, withUndo);
    }
    if (n != 0) gMemoryMgr->UnlockHandle(object);
  }
  if (source != 0) gMemoryMgr->DisposeHandle(source);
  if (result != 0) gMemoryMgr->DisposeHandle(result);
  gMemoryMgr->DisposeHandle(object);
  return status;
}

int32_t xMorvaEngine::InsertHyperlinkWithUndo(xMorvaEngineLink& link) { return InsertHyperlink(link, true); }

namespace {

// Copies the items of [from, to) of the stream into a link's text: what a
// reader sees of them, in one line, with their character properties
// (`changed` keeps the last value of each id copied). Records of the link
// look and of paragraphs stay behind; a field's shown text is walked
// instead of the field, so that no computed element lies inside another.
void CopyLinkItems(const uint8_t* s, uint32_t from, uint32_t to, xMorvaUnitBuffer& out, VString& shown,
                   xMorvaProperties& changed) {
  for (uint32_t at = from; at < to;) {
    const StreamItem item = ReadStreamItem(s + at, to - at);
    if (item.kind == StreamItem::kUnit) {
      const char16_t unit = item.unit == kUnitParagraphEnd ? u' ' : char16_t(item.unit);
      out.AppendUnit(unit);
      shown.AppendUniChar(unit);
    } else if (item.kind == StreamItem::kRecord) {
      if (item.size == kRecordSize && item.unit <= kLastCharacterProperty && item.unit != kPropLinkLook) {
        out.AppendRecord(item.unit, item.value);
        changed.SetProperty(item.unit, int32_t(item.value));
      }
    } else if (item.unit == xMorvaElementCode::Pict) {
      out.Append(s + at, item.size);
    } else if (item.unit == xMorvaElementCode::SoftHyphen) {
      // A soft hyphen stays one, hidden as a new one is, wherever its line
      // happened to end: the link's text is what the selection holds, not
      // what the layout shows of it. Its title holds its unit, as the
      // plain text does.
      out.AppendHead(xMorvaElementCode::SoftHyphen, kSoftHyphenSize, kSoftHyphenSize);
      out.AppendUnit(kPlainUnitSoftHyphen);
      shown.AppendUniChar(kPlainUnitSoftHyphen);
    } else if (item.unit == xMorvaElementCode::Tab) {
      out.AppendUnit(u' ');
      shown.AppendUniChar(u' ');
    } else if (item.unit >= kFirstComputedCode && item.skipSize < item.size) {
      CopyLinkItems(s, at + item.skipSize, at + item.size, out, shown, changed);
    }
    at += item.size;
  }
}

}  // namespace

VMemHandle xMorvaEngine::SelectionToLinkText(uint32_t lookValue, VString& shown) {
  shown.SetEmpty(false);
  xMorvaProperties start;
  GetFirstCharacterProperties(start);
  xMorvaProperties changed;
  changed.Assign(start);
  xMorvaUnitBuffer buffer;
  if (!buffer.Reserve(uint64_t(fSelEndOffset - fSelStartOffset) + 2 * kRestoringRecords)) return 0;
  buffer.AppendRecord(kPropLinkLook, lookValue);
  const uint8_t* stream = LockStream();
  if (stream == nullptr) return 0;
  CopyLinkItems(stream, fSelStartOffset, std::min(fSelEndOffset, fBytesInUse), buffer, shown, changed);
  UnlockStream();
  // The text after the link goes on in the look the link's text began in.
  for (uint16_t id = 0; id <= kLastCharacterProperty; ++id) {
    if (id != kPropLinkLook && changed.GetProperty(id) != start.GetProperty(id))
      buffer.AppendRecord(id, uint32_t(start.GetProperty(id)));
  }
  buffer.AppendRecord(kPropLinkLook, 0);
  if (buffer.Failed()) return 0;
  // A copied picture's run-time id stays with the element it was read from.
  const VMemHandle units = buffer.Release();
  if (units != 0) {
    ClearPictureIds(static_cast<uint8_t*>(gMemoryMgr->LockHandle(units)), gMemoryMgr->GetHandleSize(units));
    gMemoryMgr->UnlockHandle(units);
  }
  return units;
}

namespace {

// The n object bytes of the computed element at `at`, copied out; false
// when there is none (UINT32_MAX) or its head does not fit.
bool ObjectAtSelection(xMorvaEngine& engine, uint32_t at, std::unique_ptr<uint8_t[]>& copy, uint32_t& n) {
  if (at == UINT32_MAX) return false;
  const uint8_t* stream = engine.LockStream();
  const uint32_t a = StreamLong(stream + at + 4);
  const uint8_t* payload = stream + at + kElementHeadSize;
  const bool fits = a >= kComputedHeadSize && StreamLong(payload) <= a - kComputedHeadSize;
  if (fits) {
    n = StreamLong(payload);
    copy.reset(new uint8_t[n + 1]);
    std::memcpy(copy.get(), payload + kComputedHeadSize, n);
  }
  engine.UnlockStream();
  return fits;
}

}  // namespace

bool xMorvaEngine::GetHyperlinkAtSelection(xMorvaEngineLink& link) {
  std::unique_ptr<uint8_t[]> copy;
  uint32_t n = 0;
  if (!ObjectAtSelection(*this, ElementAtSelection(xMorvaElementCode::Hyperlink), copy, n)) return false;
  VMemoryStream reader(copy.get(), n);
  if (reader.OpenRead() != 0) return false;
  const bool read = link.Read(reader) == 0;
  reader.CloseRead();
  return read;
}

int32_t xMorvaEngine::InsertHTMLExpression(uint16_t code, const VString& expression, bool withUndo) {
  if (code != xMorvaElementCode::HTMLExpression && code != xMorvaElementCode::HTMLExpression2)
    return kErrorBadStream;
  VMemHandle object = 0;
  {
    VHandleStream stream(object);
    if (object == 0) return kErrorTextCannotGrow;
    int32_t status = stream.OpenWrite();
    if (status == 0) {
      stream.PutLong(int32_t(kTagExpression));
      stream.PutLong(int32_t(kExpressionVersion));
      status = const_cast<VString&>(expression).WriteToStream(stream, 0);
      const int32_t closed = stream.CloseWrite(1);
      if (status == 0) status = closed;
    }
    if (status != 0) {
      gMemoryMgr->DisposeHandle(object);
      return kErrorTextCannotGrow;
    }
  }
  VStr<255> label;
  if (xMorvaEngineHost* host = xMorvaEngineHostService::Get()) {
    host->GetPackageString(kListFieldLabels,
                           code == xMorvaElementCode::HTMLExpression ? kItemExpressionLabel : kItemExpression2Label,
                           label);
  }
  label.AppendUniChar(u':');
  label.CopyText(expression);
  uint32_t sourceBytes = 0;
  const VMemHandle source = StringToElementText(label, sourceBytes, kFieldLook, true);
  int32_t status = kErrorTextCannotGrow;
  if (source != 0) {
    const uint32_t n = gMemoryMgr->GetHandleSize(object);
    const void* bytes = n != 0 ? gMemoryMgr->LockHandle(object) : nullptr;
    // The result is empty: in result mode the element shows nothing.
    if (bytes != nullptr) status = InsertComputedElement(code, bytes, n, 0, source, false, withUndo);
    if (n != 0) gMemoryMgr->UnlockHandle(object);
    gMemoryMgr->DisposeHandle(source);
  }
  gMemoryMgr->DisposeHandle(object);
  return status;
}

int32_t xMorvaEngine::InsertHTMLExpressionWithUndo(const VString& expression) {
  return InsertHTMLExpression(xMorvaElementCode::HTMLExpression, expression, true);
}

int32_t xMorvaEngine::InsertHTMLExpression2WithUndo(const VString& expression) {
  return InsertHTMLExpression(xMorvaElementCode::HTMLExpression2, expression, true);
}

bool xMorvaEngine::ReadHTMLExpression(VStream& stream, VString& expression) {
  uint32_t tag = 0;
  if (stream.ReadULong(tag) != 0) return false;
  if (tag == kTagExpression || ReverseBytes32(tag) == kTagExpression) {
    if (tag != kTagExpression) {
      int16_t data = 0;
      int16_t native = 0;
      stream.GetByteOrders(data, native);
      stream.SetByteOrders(data == kByteOrderLittle ? kByteOrderMacintosh : kByteOrderLittle, kByteOrderKeep);
    }
    uint32_t version = 0;
    if (stream.ReadULong(version) != 0 || version != kExpressionVersion) return false;
  } else {
    // Older payloads hold the string alone: its length, read in the wrong
    // order, puts its zero high half first.
    uint16_t first = 0;
    uint16_t second = 0;
    if (stream.Skip(-4) != 0 || stream.ReadWord(first) != 0 || stream.ReadWord(second) != 0) return false;
    if (second > first) {
      int16_t data = 0;
      int16_t native = 0;
      stream.GetByteOrders(data, native);
      stream.SetByteOrders(data == kByteOrderLittle ? kByteOrderMacintosh : kByteOrderLittle, kByteOrderKeep);
    }
    if (stream.Skip(-4) != 0) return false;
  }
  // A string that cannot be read whole is no expression, tagged or not;
  // an empty one is.
  VStrInHandle read;
  const int32_t status = read.ReadFromStream(stream, 0);
  if (status != 0 && status != -3) return false;
  expression.SetEmpty(false);
  expression.CopyText(read);
  return true;
}

bool xMorvaEngine::GetHTMLExpressionAtSelection(uint16_t code, VString& expression) {
  // Read from a copy: the string may allocate, which may move the block.
  std::unique_ptr<uint8_t[]> copy;
  uint32_t n = 0;
  if (!ObjectAtSelection(*this, ElementAtSelection(code), copy, n)) return false;
  VMemoryStream reader(copy.get(), n);
  if (reader.OpenRead() != 0) return false;
  const bool found = ReadHTMLExpression(reader, expression);
  reader.CloseRead();
  return found;
}

void xMorvaEngine::RefreshComputedElements(uint32_t fromByte, uint32_t toByte) {
  uint8_t* stream = LockStream();
  if (stream == nullptr) return;
  const uint32_t end = toByte < fBytesInUse ? toByte : fBytesInUse;
  for (uint32_t at = fromByte; at < end;) {
    const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
    if (item.kind == StreamItem::kElement && IsComputedCode(item.unit) && item.size >= kElementHeadSize &&
        item.size == kElementHeadSize + StreamLong(stream + at + 4)) {
      const uint32_t a = item.size - kElementHeadSize;
      uint8_t* payload = stream + at + kElementHeadSize;
      const uint32_t n = a >= kComputedHeadSize ? StreamLong(payload) : 0;
      const uint32_t resultBytes = a >= kComputedHeadSize ? StreamLong(payload + 4) : 0;
      const uint32_t sourceBytes = a >= kComputedHeadSize ? StreamLong(payload + 8) : 0;
      const uint64_t whole = uint64_t(kComputedHeadSize) + n + resultBytes + sourceBytes;
      const uint8_t flag = a >= kComputedHeadSize && payload[12] != 0 ? 1 : 0;
      // A head whose lengths do not fill its payload is left as it is.
      if (a >= kComputedHeadSize && whole == a && StreamLong(stream + at + 8) <= a && flag != fFieldDisplayMode) {
        const uint32_t firstBytes = flag != 0 ? resultBytes : sourceBytes;
        const uint32_t secondBytes = flag != 0 ? sourceBytes : resultBytes;
        uint8_t* texts = payload + kComputedHeadSize + n;
        std::unique_ptr<uint8_t[]> first(new (std::nothrow) uint8_t[firstBytes + 1]);
        if (first) {
          std::memcpy(first.get(), texts, firstBytes);
          std::memmove(texts, texts + firstBytes, secondBytes);
          std::memcpy(texts + secondBytes, first.get(), firstBytes);
          uint32_t b = kComputedHeadSize + n + secondBytes;
          if (item.unit == xMorvaElementCode::PageNumber) {
            // A page number shows only the units layout wrote into its
            // result field. Byte 13 keeps their count while the source is
            // shown, so that switching back shows the same number; without
            // one it shows nothing until the next layout.
            const uint32_t tail = a - StreamLong(stream + at + 8);
            if (flag == 0) {
              payload[13] = tail / 2 <= kPageNumberUnits && tail <= resultBytes ? uint8_t(tail / 2 + 1) : 0;
            } else {
              const uint32_t shown = payload[13] >= 1 ? uint32_t(payload[13] - 1) * 2 : 0;
              b = a - (shown <= resultBytes ? shown : 0);
              payload[13] = 0;
            }
          }
          payload[12] = fFieldDisplayMode;
          PutStreamLong(stream + at + 8, b);
          NoteLinesChange(at, item.size, item.size);
        }
      }
    }
    at += item.size;
  }
  UnlockStream();
}

const uint8_t* ComputedObjectOf(const uint8_t* payload, uint32_t size, uint32_t& length) {
  if (size < kComputedHeadSize) return nullptr;
  length = StreamLong(payload);
  if (length > size - kComputedHeadSize) return nullptr;
  return payload + kComputedHeadSize;
}

bool LinkTitleOf(const uint8_t* stream, uint32_t at, uint32_t size, uint32_t& from, uint32_t& bytes) {
  if (size < kElementHeadSize + kComputedHeadSize) return false;
  const uint32_t a = StreamLong(stream + at + 4);
  const uint8_t* payload = stream + at + kElementHeadSize;
  const uint64_t n = StreamLong(payload);
  const uint64_t result = StreamLong(payload + 4);
  const uint64_t source = StreamLong(payload + 8);
  if (size != kElementHeadSize + a || kComputedHeadSize + n + result + source != a) return false;
  const uint64_t texts = at + kElementHeadSize + kComputedHeadSize + n;
  from = uint32_t(payload[12] != 0 ? texts : texts + source);
  bytes = uint32_t(result);
  return true;
}

void xMorvaEngine::MarkLinkVisited() {
  uint8_t* stream = LockStream();
  if (stream == nullptr) return;
  const uint32_t end = fSelEndOffset < fBytesInUse ? fSelEndOffset : fBytesInUse;
  // The walk stops at the first link-look record, met in the text or in
  // the title of a hyperlink element, whose look records live inside it.
  auto visit = [&](uint32_t at, const StreamItem& item) {
    if (item.value == kLinkLook) {
      PutStreamLong(stream + at + 4, kVisitedLinkLook);
      NoteLinesChange(at, kRecordSize, kRecordSize);
    }
  };
  for (uint32_t at = fSelStartOffset; at < end;) {
    const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
    if (item.kind == StreamItem::kRecord && item.unit == kPropLinkLook && item.size == kRecordSize) {
      visit(at, item);
      break;
    }
    uint32_t from = 0;
    uint32_t bytes = 0;
    if (item.kind == StreamItem::kElement && item.unit == xMorvaElementCode::Hyperlink &&
        LinkTitleOf(stream, at, item.size, from, bytes)) {
      bool found = false;
      for (uint32_t inner = from; inner < from + bytes;) {
        const StreamItem unit = ReadStreamItem(stream + inner, from + bytes - inner);
        if (unit.size == 0) break;
        if (unit.kind == StreamItem::kRecord && unit.unit == kPropLinkLook && unit.size == kRecordSize) {
          visit(inner, unit);
          found = true;
          break;
        }
        inner += unit.size;
      }
      if (found) break;
    }
    if (item.size == 0) break;
    at += item.size;
  }
  UnlockStream();
}

int32_t xMorvaEngine::FreezeComputedElements() {
  BeginUndoStep(kUndoFreezeComputed, 0);
  const int32_t start = fSelStart;
  const int32_t originalEnd = fSelEnd;
  int32_t end = fSelEnd;
  uint32_t at = fSelStartOffset;
  uint32_t stop = fSelEndOffset < fBytesInUse ? fSelEndOffset : fBytesInUse;
  int32_t position = fSelStart;
  while (at < stop) {
    const uint8_t* stream = LockStream();
    if (stream == nullptr) break;
    const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
    const uint32_t a = item.size >= kElementHeadSize ? StreamLong(stream + at + 4) : 0;
    const uint32_t b = item.size >= kElementHeadSize ? StreamLong(stream + at + 8) : 0;
    UnlockStream();
    // Page numbers stay; so does an element whose lengths do not fit.
    const bool frozen = item.kind == StreamItem::kElement && item.unit != xMorvaElementCode::PageNumber &&
                        IsComputedCode(item.unit) && item.size >= kElementHeadSize &&
                        item.size == kElementHeadSize + a && b <= a;
    if (!frozen) {
      if (item.kind != StreamItem::kRecord) ++position;
      at += item.size;
      continue;
    }
    if (a > b) {
      // The visible text stays as plain units, without its looks.
      DeleteBytes(int32_t(at), int32_t(kElementHeadSize + b));
      stop -= kElementHeadSize + b;
      --fLength;
      --end;
      uint32_t textEnd = at + (a - b);
      while (at < textEnd) {
        stream = LockStream();
        const StreamItem unit = ReadStreamItem(stream + at, textEnd - at);
        UnlockStream();
        if (unit.kind == StreamItem::kRecord && unit.unit == kPropLinkLook && unit.size == kRecordSize) {
          DeleteBytes(int32_t(at), int32_t(kRecordSize));
          textEnd -= kRecordSize;
          stop -= kRecordSize;
          continue;
        }
        if (unit.kind != StreamItem::kRecord) {
          ++fLength;
          ++end;
          ++position;
        }
        at += unit.size;
      }
      continue;
    }
    // Nothing visible: the element goes.
    SetSelection(position, position + 1);
    if (const int32_t error = DeleteSelection()) {
      SetSelection(start, originalEnd);
      EndUndoStep(error);
      return error;
    }
    --end;
    SetSelection(position, end);
    at = fSelStartOffset;
    stop = fSelEndOffset < fBytesInUse ? fSelEndOffset : fBytesInUse;
  }
  DropCache();
  SetSelection(start, end);
  EndUndoStep(0);
  return 0;
}
