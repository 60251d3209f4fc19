// xMorvaEngine: a text stored as resource 'wENG' and loaded back.
//
// Resource layout, every number in the writer's byte order (this writer:
// little-endian, whatever the stream was set to):
//   0  u32  tag 'wENG'
//   4  u32  version, four ASCII digits: written "0106", read "0103" to "0106"
//   8  u32  position count
//  12  u32  selection start position
//  16  u32  selection end position
//  20  u8   field display mode (0 or 1)
//  21       the element stream up to the end of the resource
// The stream is the one in memory, except that paragraph lengths (ids 35,
// 36, 37, 45) and picture sizes are in twips and tab positions in points,
// and a host expression is stored without its texts (they are evaluated
// again on load), keeping only the record of a placed picture result.
// Older layouts: "0103" breaks carry two units 13 and tabs a 10-byte cache;
// "0103" and "0104" pictures have 22-byte headers.
#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <map>
#include <utility>
#include <vector>

#include "document/DocumentUnits.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaEngine_p.h"
#include "engine/xMorvaLines.h"
#include "engine/xMorvaPictureElement.h"
#include "engine/xMorvaStoredTabs.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/ByteSwap.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/streams/VMemoryStream.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/resources/VResourceFile.h"
#include "platform/bytes/ByteOrder.h"
#include "platform/bytes/ByteSpanReader.h"

namespace {

constexpr uint32_t kTagEngine = FourCC("wENG");
constexpr uint32_t kFormat0103 = FourCC("0103");
constexpr uint32_t kFormat0104 = FourCC("0104");
constexpr uint32_t kFormat0105 = FourCC("0105");
constexpr uint32_t kFormat0106 = FourCC("0106");
constexpr uint32_t kHeaderSize = 21;
// Where the header keeps the count of positions: after the tag and version.
constexpr uint32_t kHeaderLengthAt = 8;
// A picture element's payload begins with its header: four lengths at 0,
// 4, 8 and 12, a word at 16 whose byte 17 flags a placed picture, the
// display mode (u16) at 18 and a run-time reference at 20.
constexpr uint32_t kOldPictureHeaderSize = 22;
constexpr uint32_t kPictureReference = 20;
constexpr uint32_t kPictureFlag = 17;
constexpr uint32_t kPictureDisplayMode = 18;
constexpr uint16_t kOldPictureDisplayMode = 4;
// The stored record of a placed picture result: element head and header.
constexpr uint32_t kPlacedPictureSize = kElementHeadSize + kPictureHeaderSize;
constexpr uint32_t kOldTabCacheGrowth = 4;
constexpr uint32_t kOldBreakShrink = 2;
// The look of a source text; the date label's item in the field labels.
constexpr uint32_t kFieldLook = 3;
constexpr int16_t kItemDateTimeLabel = 4;
// Nested items (a picture in a result, elements in unknown payloads) are
// swapped this deep and no deeper: the walk must not recurse without end.
constexpr int kMostSwapDepth = 8;

bool IsLengthId(uint16_t id) {
  return id == kPropLeftIndent || id == kPropFirstLineIndent || id == kPropRightIndent ||
         id == kPropBorderSpacing;
}

int16_t ClampPosition(int32_t position) {
  return int16_t(std::clamp<int32_t>(position, INT16_MIN, INT16_MAX));
}

// Tab-stop positions: pixels to points and back, leader and kind kept.
uint32_t TabToStored(uint32_t stop) {
  return (stop & 0xFFFF0000u) | uint16_t(ClampPosition(PixelsToPoints(TabStopPosition(stop))));
}
// The exact positions of the document being read, while it is read.
xMorvaStoredTabs* sLoadingTabs = nullptr;

uint32_t TabFromStored(uint32_t stop) {
  if (sLoadingTabs != nullptr) {
    int16_t exact = 0;
    if (sLoadingTabs->ExactPixels(TabStopPosition(stop), exact)) return (stop & 0xFFFF0000u) | uint16_t(exact);
  }
  return (stop & 0xFFFF0000u) | uint16_t(ClampPosition(PointsToPixels(TabStopPosition(stop))));
}

uint32_t Twips(uint32_t pixels) { return uint32_t(PixelsToTwips(int32_t(pixels))); }
uint32_t Pixels(uint32_t twips) { return uint32_t(TwipsToPixels(int32_t(twips))); }

}  // namespace

uint32_t ConvertedPropertyValue(uint16_t id, uint32_t stored) {
  if (IsLengthId(id)) return Pixels(stored);
  if (id == kPropTabs) return TabFromStored(stored);
  return stored;
}

namespace {

void PutBytes(VStream& stream, const uint8_t* bytes, uint64_t n) {
  if (n != 0) stream.PutData(bytes, uint32_t(n));
}

// The computed head (object length, result bytes, source bytes) of a whole
// element's payload of a bytes; false when it does not add up to a.
struct Computed {
  uint32_t n = 0;
  uint32_t result = 0;
  uint32_t source = 0;
  bool resultFirst = false;
};
bool ReadComputed(const uint8_t* payload, uint32_t a, Computed& head) {
  if (a < kComputedHeadSize) return false;
  head.n = StreamLong(payload);
  head.result = StreamLong(payload + 4);
  head.source = StreamLong(payload + 8);
  head.resultFirst = payload[12] != 0;
  return uint64_t(kComputedHeadSize) + head.n + head.result + head.source == a;
}

// The placed picture element in a host expression's result text: its
// offset in `text`, or UINT32_MAX.
uint32_t FindPlacedPicture(const uint8_t* text, uint32_t length) {
  for (uint32_t at = 0; at < length;) {
    const StreamItem item = ReadStreamItem(text + at, length - at);
    if (item.kind == StreamItem::kElement && item.unit == xMorvaElementCode::Pict &&
        item.size >= kPlacedPictureSize && item.size == kElementHeadSize + uint64_t(StreamLong(text + at + 4)) &&
        text[at + kElementHeadSize + kPictureFlag] != 0) {
      return at;
    }
    at += item.size;
  }
  return UINT32_MAX;
}

// ---- Byte-order swap

// A page-number format word from the other machine: the count flag was
// bit 31 and the style bits 0 to 3.
uint32_t ConvertPageNumberFormat(uint32_t format) { return ((format >> 31) & 1u) | ((format & 0xFu) << 28); }
uint32_t PageNumberFormatToOther(uint32_t format) { return ((format & 1u) << 31) | ((format >> 28) & 0xFu); }

// Swaps the items between two offsets. The stream's own fields (codes,
// lengths) are read after their swap for bytes from the other order
// (`toOther` false), before it for bytes of this order going out.
bool SwapItems(uint8_t* s, uint64_t from, uint64_t to, int depth, bool toOther) {
  bool whole = true;
  for (uint64_t at = from; at < to;) {
    const uint64_t remaining = to - at;
    if (remaining < 2) return false;
    uint8_t* item = s + at;
    if (item[0] != 0 || item[1] != 0) {
      // A run of characters, swapped many units at a time.
#if defined(__SSE2__)
      const __m128i zero = _mm_setzero_si128();
      while (to - at >= 16) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + at));
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(units, zero)) != 0) break;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(s + at),
                         _mm_or_si128(_mm_slli_epi16(units, 8), _mm_srli_epi16(units, 8)));
        at += 16;
      }
#endif
      const uint64_t limit = std::min<uint64_t>(to, UINT32_MAX);
      const uint64_t run = SkipCharacterUnits(s, uint32_t(at), uint32_t(limit));
      for (; run - at >= 8; at += 8) {
        uint64_t word;
        std::memcpy(&word, s + at, sizeof word);
        word = ((word & 0x00FF00FF00FF00FFu) << 8) | ((word >> 8) & 0x00FF00FF00FF00FFu);
        std::memcpy(s + at, &word, sizeof word);
      }
      for (; at < run; at += 2) std::swap(s[at], s[at + 1]);
      continue;
    }
    if (remaining < 4) return false;
    const uint16_t code = toOther ? StreamUnit(item + 2) : uint16_t((item[2] << 8) | item[3]);
    Swap16(item + 2);
    if (code < kFirstElementCode) {
      if (remaining < kRecordSize) return false;
      // A tab stop swaps only its position word; leader and kind are bytes.
      if (code == kPropTabs)
        Swap16(item + 4);
      else
        Swap32(item + 4);
      at += kRecordSize;
      continue;
    }
    if (remaining < kElementHeadSize) return false;
    if (!toOther) SwapArray32(item + 4, 2);
    const uint64_t a = StreamLong(item + 4);
    const uint64_t b = StreamLong(item + 8);
    if (toOther) SwapArray32(item + 4, 2);
    if (kElementHeadSize + a > remaining) return false;
    const uint64_t payload = at + kElementHeadSize;
    const uint64_t end = payload + a;
    uint8_t* p = s + payload;
    const bool nested = depth < kMostSwapDepth;
    switch (code) {
      case xMorvaElementCode::Tab:
        break;
      case xMorvaElementCode::Pict:
        if (a >= kPictureDisplayMode + 2) {
          SwapArray32(p, 4);
          Swap16(p + kPictureDisplayMode);
        }
        break;
      case xMorvaElementCode::SoftHyphen:
        // The payload is the hyphen's unit 173 whether it shows or not: a
        // hidden one (b = 2) swaps it too, or it comes back as U+AD00 the
        // moment composition shows it. Whole units only.
        if ((a & 1) == 0) whole = SwapItems(s, payload, end, depth + 1, toOther) && whole;
        break;
      case xMorvaElementCode::ColBreak:
      case xMorvaElementCode::PageBreak:
        // The shown unit, a break's 13. Whole units only.
        if (b <= a && ((a - b) & 1) == 0) whole = SwapItems(s, payload + b, end, depth + 1, toOther) && whole;
        break;
      case xMorvaElementCode::PageNumber:
      case xMorvaElementCode::ExprQv:
      case xMorvaElementCode::DateTime:
      case xMorvaElementCode::Hyperlink:
      case xMorvaElementCode::HTMLExpression:
      case xMorvaElementCode::HTMLExpression2: {
        if (a < kComputedHeadSize) break;
        if (!toOther) SwapArray32(p, 3);
        const uint64_t n = StreamLong(p);
        if (toOther) SwapArray32(p, 3);
        if (kComputedHeadSize + n > a) break;
        if (code == xMorvaElementCode::PageNumber && n >= 4) {
          uint8_t* format = p + kComputedHeadSize;
          if (toOther) {
            PutStreamLong(format, PageNumberFormatToOther(StreamLong(format)));
            Swap32(format);
          } else {
            Swap32(format);
            PutStreamLong(format, ConvertPageNumberFormat(StreamLong(format)));
          }
        }
        // The object stays as it is; the texts are items.
        if (nested) whole = SwapItems(s, payload + kComputedHeadSize + n, end, depth + 1, toOther) && whole;
        break;
      }
      default:
        if (nested) whole = SwapItems(s, payload, end, depth + 1, toOther) && whole;
        break;
    }
    at = end;
  }
  return whole;
}

}  // namespace

bool xMorvaEngine::SwapStream(uint8_t* bytes, int32_t byteCount) {
  if (bytes == nullptr || byteCount <= 0) return byteCount == 0;
  return SwapItems(bytes, 0, uint64_t(byteCount), 0, false);
}

// ---- Writing

bool xMorvaEngine::WriteResource(VStream& stream, bool otherOrder) {
  // The resource's pieces (the runs of units between the length records
  // that change, a picture's header) are many and small: a handle that
  // receives them gets room for the whole first, instead of growing a
  // kilobyte at a time, thousands of times.
  constexpr uint32_t kResourceSlack = 4096;
  const uint64_t room = uint64_t(fBytesInUse) + kHeaderSize + kResourceSlack;
  if (room > UINT32_MAX) return false;
  auto* handleStream = dynamic_cast<VHandleStream*>(&stream);
  if (handleStream != nullptr) handleStream->Reserve(uint32_t(room));
  if (!otherOrder) return PutResource(stream);
  // The other order is the same bytes as a big-endian writer makes them,
  // swapped where they were written: in the handle itself, or else in a
  // block of their own, put in one write.
  if (handleStream != nullptr) {
    const uint32_t start = stream.GetPosition();
    if (!PutResource(stream)) return false;
    const uint32_t end = stream.GetPosition();
    uint8_t* bytes = handleStream->OpenBytes();
    if (bytes == nullptr || end < start || end - start < kHeaderSize) return false;
    SwapArray32(bytes + start, 5);  // the header's five longs
    SwapItems(bytes + start, kHeaderSize, end - start, 0, true);
    return true;
  }
  VMemHandle handle = gMemoryMgr->NewHandle(uint32_t(room), 0);
  if (handle == 0) return false;
  uint32_t size = 0;
  bool written = false;
  {
    VHandleStream ours(handle);
    written = ours.OpenWrite() == 0 && PutResource(ours);
    // The block holds the resource up to where the writing ended; what the
    // room left after it is no part of it.
    size = ours.GetPosition();
    written = ours.CloseWrite(0) == 0 && written;
  }
  auto* bytes = written ? static_cast<uint8_t*>(gMemoryMgr->LockHandle(handle)) : nullptr;
  if (bytes != nullptr && size >= kHeaderSize) {
    SwapArray32(bytes, 5);  // the header's five longs
    SwapItems(bytes, kHeaderSize, size, 0, true);
    written = stream.PutData(bytes, size) == kStreamNoError;
  } else {
    written = false;
  }
  if (bytes != nullptr) gMemoryMgr->UnlockHandle(handle);
  gMemoryMgr->DisposeHandle(handle);
  return written;
}

bool xMorvaEngine::PutResource(VStream& stream) {
  // The header's count of positions comes from the walk that writes the
  // stream, put in its place after it when it differs from the kept one.
  const uint32_t start = stream.GetPosition();
  uint32_t positions = 0;
  if (!PutResourceHeader(stream, fLength) || !PutResourceStream(stream, positions)) return false;
  if (int32_t(positions) == fLength) return true;
  fLength = int32_t(positions);
  const uint32_t end = stream.GetPosition();
  return stream.SetPosition(start + kHeaderLengthAt) == 0 && stream.PutLong(fLength) == kStreamNoError &&
         stream.SetPosition(end) == 0;
}

bool xMorvaEngine::WriteResourceHeader(VStream& stream) {
  fLength = int32_t(RecountPositions());
  return PutResourceHeader(stream, fLength);
}

bool xMorvaEngine::PutResourceHeader(VStream& stream, int32_t length) {
  stream.SetByteOrders(kByteOrderLittle, kByteOrderKeep);
  stream.PutLong(int32_t(kTagEngine));
  stream.PutLong(int32_t(kFormat0106));
  stream.PutLong(length);
  stream.PutLong(fSelStart);
  stream.PutLong(fSelEnd);
  stream.PutByte(fFieldDisplayMode);
  return stream.GetStatus() == kStreamNoError;
}

bool xMorvaEngine::WriteResourceStream(VStream& stream) {
  uint32_t positions = 0;
  return PutResourceStream(stream, positions);
}

bool xMorvaEngine::PutResourceStream(VStream& stream, uint32_t& positions) {
  stream.SetByteOrders(kByteOrderLittle, kByteOrderKeep);
  // An empty block cannot be locked; an empty text writes no bytes.
  if (fBytesInUse == 0) return stream.GetStatus() == kStreamNoError;
  const uint8_t* s = LockStream();
  if (s == nullptr) return false;
  const uint32_t size = fBytesInUse;
  uint32_t pending = 0;
  auto flush = [&](uint32_t upTo) {
    PutBytes(stream, s + pending, upTo - pending);
  };
  for (uint32_t at = 0; at < size && stream.GetStatus() == kStreamNoError;) {
    // Runs of units go out as they stand: stepped over many at a time.
    const uint32_t run = SkipCharacterUnits(s, at, size);
    if (run != at) {
      positions += (run - at) / 2;
      at = run;
      continue;
    }
    const StreamItem item = ReadStreamItem(s + at, size - at);
    if (item.kind != StreamItem::kRecord) ++positions;
    const uint8_t* p = s + at;
    if (item.kind == StreamItem::kRecord && item.size == kRecordSize &&
        (IsLengthId(item.unit) || item.unit == kPropTabs)) {
      flush(at);
      PutBytes(stream, p, 4);
      stream.PutLong(int32_t(item.unit == kPropTabs ? TabToStored(item.value) : Twips(item.value)));
      pending = at + kRecordSize;
    } else if (item.kind == StreamItem::kElement && item.size >= kElementHeadSize &&
               item.size == kElementHeadSize + uint64_t(StreamLong(p + 4))) {
      const uint32_t a = item.size - kElementHeadSize;
      const uint8_t* payload = p + kElementHeadSize;
      Computed head;
      if (item.unit == xMorvaElementCode::Pict && a >= kPictureHeaderSize) {
        flush(at);
        PutBytes(stream, p, kElementHeadSize);
        for (uint32_t offset = 0; offset <= 12; offset += 4) stream.PutLong(int32_t(Twips(StreamLong(payload + offset))));
        stream.PutLong(int32_t(StreamLong(payload + 16)));
        stream.PutLong(0);
        pending = at + kElementHeadSize + kPictureHeaderSize;
      } else if (item.unit == xMorvaElementCode::ExprQv && ReadComputed(payload, a, head)) {
        // Only a placed picture of the result is kept; the texts are made
        // again when the text is loaded.
        uint32_t picture = UINT32_MAX;
        if (!head.resultFirst) {
          const uint32_t resultAt = kComputedHeadSize + head.n + head.source;
          const uint32_t found = FindPlacedPicture(payload + resultAt, head.result);
          if (found != UINT32_MAX) picture = resultAt + found;
        }
        const uint32_t r = picture != UINT32_MAX ? kPlacedPictureSize : 0;
        const uint64_t b = uint64_t(kComputedHeadSize) + head.n;
        flush(at);
        PutBytes(stream, p, 4);
        stream.PutLong(int32_t(b + r));
        stream.PutLong(int32_t(b));
        stream.PutLong(int32_t(head.n));
        stream.PutLong(int32_t(r));
        stream.PutLong(0);
        PutBytes(stream, payload + 12, 2 + uint64_t(head.n));
        if (r != 0) {
          const uint8_t* record = payload + picture;
          const uint8_t* header = record + kElementHeadSize;
          PutBytes(stream, record, 4);
          stream.PutLong(int32_t(kPictureHeaderSize));
          stream.PutLong(int32_t(kPictureHeaderSize));
          stream.PutLong(int32_t(Twips(StreamLong(header))));
          stream.PutLong(int32_t(Twips(StreamLong(header + 4))));
          stream.PutLong(0);
          stream.PutLong(0);
          stream.PutLong(int32_t(StreamLong(header + 16)));
          stream.PutLong(0);
        }
        pending = at + item.size;
      }
    }
    at += item.size;
  }
  if (stream.GetStatus() == kStreamNoError) flush(size);
  UnlockStream();
  return stream.GetStatus() == kStreamNoError;
}

bool xMorvaEngine::SaveResource(VResourceFile& file, int16_t id) {
  VMemHandle handle = 0;
  VHandleStream stream(handle);
  if (handle == 0) return false;
  bool written = stream.OpenWrite() == 0 && WriteResource(stream);
  written = stream.CloseWrite(1) == 0 && written;
  if (written) {
    const uint32_t size = gMemoryMgr->GetHandleSize(handle);
    const void* data = gMemoryMgr->LockHandle(handle);
    written = data != nullptr && file.ReplaceResource(kTagEngine, id, data, size);
    gMemoryMgr->UnlockHandle(handle);
  }
  gMemoryMgr->DisposeHandle(handle);
  return written;
}

// ---- Reading

bool xMorvaEngine::ReadResourceHeader(VStream& stream, int32_t& selStart, int32_t& selEnd, bool& swapped) {
  swapped = false;
  // The whole header is there before any of it is taken.
  if (!stream.HasRemaining(kHeaderSize)) return false;
  stream.SetByteOrders(kByteOrderLittle, kByteOrderKeep);
  const uint32_t tag = stream.GetULong();
  if (tag != kTagEngine) {
    uint32_t reversed = tag;
    Swap32(&reversed);
    if (reversed != kTagEngine) return false;
    stream.SetByteOrders(kByteOrderMacintosh, kByteOrderKeep);
    swapped = true;
  }
  const uint32_t version = stream.GetULong();
  if (version < kFormat0103 || version > kFormat0106) return false;
  fFormat = version;
  SetLength(stream.GetLong());
  selStart = stream.GetLong();
  selEnd = stream.GetLong();
  const uint8_t mode = stream.GetByte();
  fBadDisplayMode = mode > 1;
  fFieldDisplayMode = mode != 0 ? 1 : 0;
  return stream.GetStatus() == kStreamNoError;
}

bool xMorvaEngine::ReadResourceStream(VStream& stream, int32_t byteCount) {
  if (byteCount < 0 || fStream == 0 || !stream.HasRemaining(uint64_t(byteCount))) return false;
  if (!gMemoryMgr->SetHandleSize(fStream, uint32_t(byteCount))) return false;
  fBytesInUse = 0;
  DropCache();
  if (byteCount == 0) return true;
  uint8_t* bytes = LockStream();
  if (bytes == nullptr) return false;
  uint32_t length = uint32_t(byteCount);
  const bool read = stream.ReadData(bytes, length) == kStreamNoError && length == uint32_t(byteCount);
  UnlockStream();
  fBytesInUse = read ? uint32_t(byteCount) : 0;
  return read;
}

bool xMorvaEngine::ReplaceStreamBytes(const uint8_t* data, uint32_t size) {
  if (fStream == 0) return false;
  if (gMemoryMgr->GetHandleSize(fStream) != size && !gMemoryMgr->SetHandleSize(fStream, size)) return false;
  if (size != 0) {
    uint8_t* bytes = LockStream();
    if (bytes == nullptr) return false;
    std::memcpy(bytes, data, size);
    UnlockStream();
  }
  fBytesInUse = size;
  DropCache();
  return true;
}

bool xMorvaEngine::LoadResource(VResourceFile& file, int16_t id, const std::vector<int32_t>& sheetIds,
                                int32_t fontCount, bool& damaged) {
  damaged = false;
  uint8_t owned = 0;
  VResourceRef ref = file.GetResource(kTagEngine, id, &owned);
  if (ref == 0) return false;
  const uint32_t size = file.GetResourceSize(ref);
  const void* data = file.LockResource(ref);
  bool loaded = false;
  if (data != nullptr) {
    loaded = LoadResourceBytes(data, size, sheetIds, fontCount, damaged);
    file.UnlockResource(ref);
  }
  if (owned) file.ReleaseResource(ref);
  return loaded;
}

bool xMorvaEngine::LoadResourceBytes(const void* data, uint32_t size, const std::vector<int32_t>& sheetIds,
                                     int32_t fontCount, bool& damaged) {
  damaged = false;
  // Everything happens in a scratch engine: the text is replaced only once
  // the stream has been read, swapped, repaired and fixed up.
  xMorvaEngine loaded(nullptr, fGranule);
  if (!loaded.IsValid() || data == nullptr) return false;
  loaded.fFieldDisplayMode = fFieldDisplayMode;
  int32_t selStart = 0;
  int32_t selEnd = 0;
  bool swapped = false;
  VMemoryStream stream(data, size);
  if (stream.OpenRead() != kStreamNoError) return false;
  bool read = loaded.ReadResourceHeader(stream, selStart, selEnd, swapped);
  if (read) {
    const int64_t rest = int64_t(size) - int64_t(stream.GetPosition());
    read = rest >= 0 && rest <= INT32_MAX && loaded.ReadResourceStream(stream, int32_t(rest));
  }
  stream.CloseRead();
  if (!read) return false;

  bool wasDamaged = loaded.fBadDisplayMode;
  if (swapped) {
    uint8_t* bytes = loaded.LockStream();
    if (bytes != nullptr && !SwapStream(bytes, int32_t(loaded.fBytesInUse))) wasDamaged = true;
    loaded.UnlockStream();
  }
  bool repairDamage = false;
  // One walk repairs the stream, converts its records, counts its
  // positions and notes the elements the fix-ups change.
  xMorvaLoadWalk walk;
  loaded.RepairStreamBytes(fontCount, sheetIds, repairDamage, &walk);
  // A host expression without a value is rebuilt empty and does not stop
  // the load; only memory does.
  if (loaded.FixUpStream(&walk) == kErrorTextCannotGrow) return false;

  // The loaded block, made with this engine's granule, becomes the
  // stream; the old one goes with the scratch engine.
  std::swap(fStream, loaded.fStream);
  fBytesInUse = loaded.fBytesInUse;
  DropCache();
  damaged = wasDamaged || repairDamage;
  fFormat = loaded.fFormat;
  fFieldDisplayMode = loaded.fFieldDisplayMode;
  fLength = loaded.fLength;
  // Offsets and the cache point of the old stream mean nothing now, nor
  // do the lines composed from it.
  Reset();
  if (fLines != nullptr) fLines->NoteCleared();
  SetSelection(selStart, selEnd);
  return true;
}

// ---- Fix-ups after a load

bool xMorvaEngine::FixUpAfterLoad() { return FixUpStream() == 0; }

void xMorvaEngine::ExchangeText(xMorvaEngine& other) {
  std::swap(fStream, other.fStream);
  std::swap(fGranule, other.fGranule);
  std::swap(fBytesInUse, other.fBytesInUse);
  std::swap(fLength, other.fLength);
  std::swap(fFormat, other.fFormat);
  std::swap(fPictures, other.fPictures);
  std::swap(fPictureGeneration, other.fPictureGeneration);
  for (xMorvaEngine* engine : {this, &other}) {
    engine->DropCache();
    engine->Reset();
    if (engine->fLines != nullptr) engine->fLines->NoteCleared();
  }
}

// The fix-ups of a loaded stream in one walk. Values of the same size are
// converted in place; the text is copied into a new block only from the
// first element that grows or shrinks, the bytes before it and between
// the changed elements going over as they are.
class xMorvaEngine::StreamFixUp {
 public:
  // The locked stream of `size` bytes; the copy is written into `copy`.
  StreamFixUp(xMorvaEngine& engine, uint8_t* s, uint32_t size, VMemHandle copy)
      : fEngine(engine),
        fS(s),
        fSize(size),
        fOut(copy),
        fBefore0105(engine.fFormat < kFormat0105),
        fIs0103(engine.fFormat == kFormat0103),
        fResultFirst(engine.fFieldDisplayMode != 0) {}

  // Walks the stream (with a load's walk, only the elements it noted): 0;
  // 1073 when a host expression had no value; 1041 when memory ran out.
  int32_t Run(const xMorvaLoadWalk* walk);
  // Whether the stream was copied, and the copy's size.
  bool Copying() const { return fCopying; }
  uint32_t CopySize() const { return fOut.Size(); }
  uint32_t Positions() const { return fPositions; }

 private:
  // The bytes not yet copied, up to `upTo`, go into the copy.
  void Flush(uint32_t upTo);
  // A whole element at `at`: 0, or 1041 when memory ran out.
  int32_t FixUpElement(uint32_t at, const StreamItem& item);
  // A picture's header: sizes in pixels, no run-time reference, and the
  // display mode and flag of a header written before "0105", which grows.
  void FixUpPictureHeader(uint32_t at, uint16_t code, uint32_t a, uint32_t b);
  // A host expression or a date element built again with its texts.
  int32_t RebuildComputedElement(uint32_t at, const StreamItem& item, const Computed& head);
  // The result text of a computed element, and the label its source shows.
  VMemHandle ComputedResult(uint16_t code, const uint8_t* object, const Computed& head,
                            VStr<255>& label);

  xMorvaEngine& fEngine;
  uint8_t* const fS;
  const uint32_t fSize;
  xMorvaUnitBuffer fOut;
  const bool fBefore0105;
  const bool fIs0103;
  const bool fResultFirst;
  bool fCopying = false;
  // The first byte not yet copied.
  uint32_t fPending = 0;
  uint32_t fPositions = 0;
  int32_t fStatus = 0;
};

void xMorvaEngine::StreamFixUp::Flush(uint32_t upTo) {
  if (!fCopying) {
    fCopying = true;
    fOut.Reserve(uint64_t(fSize) + fSize / 8 + 64);
  }
  fOut.Append(upTo > fPending ? fS + fPending : nullptr, upTo - fPending);
}

int32_t xMorvaEngine::StreamFixUp::Run(const xMorvaLoadWalk* walk) {
  // The positions, counted on the way: every unit and every element.
  // After a load's repair, which converted the records and counted the
  // positions, only the elements it noted are visited.
  fPositions = walk != nullptr ? walk->positions : 0;
  size_t noted = 0;
  auto nextItem = [&](uint32_t at, uint32_t itemSize) -> uint32_t {
    if (walk == nullptr) return at + itemSize;
    ++noted;
    return noted < walk->elements.size() ? walk->elements[noted] : fSize;
  };
  uint32_t first = 0;
  if (walk != nullptr) first = walk->elements.empty() ? fSize : walk->elements[0];

  for (uint32_t at = first; at < fSize && !fOut.Failed();) {
    if (walk == nullptr) {
      const uint32_t run = SkipCharacterUnits(fS, at, fSize);
      if (run != at) {
        fPositions += (run - at) / 2;
        at = run;
        continue;
      }
    }
    const StreamItem item = ReadStreamItem(fS + at, fSize - at);
    uint8_t* p = fS + at;
    if (walk == nullptr && item.kind != StreamItem::kRecord) ++fPositions;
    if (item.kind == StreamItem::kRecord && item.size == kRecordSize) {
      const uint32_t value = LoadedPropertyValue(item.unit, item.value);
      if (value != item.value) PutStreamLong(p + 4, value);
    } else if (item.kind == StreamItem::kElement && item.size >= kElementHeadSize &&
               item.size == kElementHeadSize + uint64_t(StreamLong(p + 4))) {
      if (FixUpElement(at, item) != 0) return kErrorTextCannotGrow;
    }
    at = nextItem(at, item.size);
  }
  if (fCopying && !fOut.Failed()) Flush(fSize);
  return fOut.Failed() ? kErrorTextCannotGrow : fStatus;
}

int32_t xMorvaEngine::StreamFixUp::FixUpElement(uint32_t at, const StreamItem& item) {
  const uint8_t* p = fS + at;
  const uint32_t a = item.size - kElementHeadSize;
  const uint32_t b = StreamLong(p + 8);
  const uint8_t* payload = p + kElementHeadSize;
  const uint16_t code = item.unit;
  Computed head;
  if (code == xMorvaElementCode::Pict &&
      a >= (fBefore0105 ? kOldPictureHeaderSize : kPictureHeaderSize)) {
    FixUpPictureHeader(at, code, a, b);
  } else if (fIs0103 && IsBreakCode(code) && a >= kOldBreakShrink) {
    // A "0103" break carries two units 13 that are no longer stored.
    Flush(at);
    fOut.AppendHead(code, a - kOldBreakShrink, std::min(b, a - kOldBreakShrink));
    fPending = at + kElementHeadSize + kOldBreakShrink;
  } else if (fIs0103 && code == xMorvaElementCode::Tab) {
    // A "0103" tab's layout cache is shorter.
    Flush(at);
    fOut.AppendHead(code, a + kOldTabCacheGrowth, b);
    fOut.Append(nullptr, kOldTabCacheGrowth);
    fPending = at + kElementHeadSize;
  } else if ((code == xMorvaElementCode::ExprQv || code == xMorvaElementCode::DateTime) &&
             ReadComputed(payload, a, head)) {
    return RebuildComputedElement(at, item, head);
  }
  return 0;
}

void xMorvaEngine::StreamFixUp::FixUpPictureHeader(uint32_t at, uint16_t code, uint32_t a,
                                                   uint32_t b) {
  uint8_t* p = fS + at;
  const uint8_t* payload = p + kElementHeadSize;
  const uint32_t stored = fBefore0105 ? kOldPictureHeaderSize : kPictureHeaderSize;
  const uint32_t growth = kPictureHeaderSize - stored;
  uint8_t header[kPictureHeaderSize] = {};
  std::memcpy(header, payload, stored);
  for (uint32_t offset = 0; offset <= 12; offset += 4)
    PutStreamLong(header + offset, Pixels(StreamLong(header + offset)));
  PutStreamLong(header + kPictureReference, 0);
  if (fBefore0105) {
    header[kPictureFlag] = 0;
    PutStreamUnit(header + kPictureDisplayMode, kOldPictureDisplayMode);
  }
  if (growth == 0 && !fCopying) {
    std::memcpy(p + kElementHeadSize, header, kPictureHeaderSize);
  } else {
    Flush(at);
    fOut.AppendHead(code, a + growth, b + growth);
    fOut.Append(header, kPictureHeaderSize);
    fPending = at + kElementHeadSize + stored;
  }
}

VMemHandle xMorvaEngine::StreamFixUp::ComputedResult(uint16_t code, const uint8_t* object,
                                                     const Computed& head, VStr<255>& label) {
  VMemHandle result = 0;
  if (code == xMorvaElementCode::ExprQv) {
    // A placed picture record (result 36 bytes, no source) gives the
    // size and look of a picture result, when its flag says the user
    // placed it.
    xMorvaPictureHeader placement;
    bool placed = false;
    if (!fBefore0105 && head.source == 0 && head.result == kPlacedPictureSize) {
      const uint8_t* record = object + head.n + kElementHeadSize;
      placement.shownWidth = int32_t(Pixels(StreamLong(record)));
      placement.shownHeight = int32_t(Pixels(StreamLong(record + 4)));
      placement.flag = record[kPictureFlag];
      placement.mode = StreamUnit(record + kPictureDisplayMode);
      placed = placement.flag != 0;
    }
    bool isPicture = false;
    result = fEngine.BuildHostExpressionText(object, head.n, isPicture, nullptr,
                                             placed ? &placement : nullptr);
    if (result == 0) {
      // No value: an empty result, and the walk goes on so that the
      // lengths behind it are converted too.
      fStatus = kErrorNoResultText;
      result = gMemoryMgr->NewHandle(0, 0);
    }
    HostReferenceLabel(object, head.n, label);
  } else {
    const uint16_t format = head.n >= 2 ? StreamUnit(object) : 0;
    result = UnitsOfNow(format);
    FieldLabel(kItemDateTimeLabel, label);
  }
  return result;
}

int32_t xMorvaEngine::StreamFixUp::RebuildComputedElement(uint32_t at, const StreamItem& item,
                                                          const Computed& head) {
  const uint16_t code = item.unit;
  const uint8_t* payload = fS + at + kElementHeadSize;
  const uint8_t* object = payload + kComputedHeadSize;
  VStr<255> label;
  const VMemHandle result = ComputedResult(code, object, head, label);
  uint32_t sourceBytes = 0;
  const VMemHandle source =
      result != 0 ? fEngine.StringToElementText(label, sourceBytes, kFieldLook, true) : 0;
  if (result == 0 || source == 0) {
    if (result != 0) gMemoryMgr->DisposeHandle(result);
    return kErrorTextCannotGrow;
  }
  const uint32_t resultBytes = gMemoryMgr->GetHandleSize(result);
  const uint64_t total = uint64_t(kComputedHeadSize) + head.n + resultBytes + sourceBytes;
  const uint64_t visibleFrom =
      uint64_t(kComputedHeadSize) + head.n + (fResultFirst ? resultBytes : sourceBytes);
  if (total > uint64_t(INT32_MAX)) {
    gMemoryMgr->DisposeHandle(result);
    gMemoryMgr->DisposeHandle(source);
    return kErrorTextCannotGrow;
  }
  Flush(at);
  fOut.AppendHead(code, uint32_t(total), uint32_t(visibleFrom));
  fOut.AppendLong(head.n);
  fOut.AppendLong(resultBytes);
  fOut.AppendLong(sourceBytes);
  // The order flag tells the texts' order, which is the display mode's.
  const uint8_t flags[2] = {uint8_t(fResultFirst ? 1 : 0), payload[13]};
  fOut.Append(flags, 2);
  fOut.Append(object, head.n);
  fOut.AppendHandle(fResultFirst ? result : source);
  fOut.AppendHandle(fResultFirst ? source : result);
  fPending = at + item.size;
  gMemoryMgr->DisposeHandle(result);
  gMemoryMgr->DisposeHandle(source);
  return 0;
}

int32_t xMorvaEngine::FixUpStream(const xMorvaLoadWalk* walk) {
  if (fBytesInUse == 0) {
    fLength = 0;
    fFormat = kFormat0106;
    return 0;
  }
  uint8_t* s = LockStream();
  if (s == nullptr) return kErrorTextCannotGrow;
  // The copy is made in a block of the stream's own granule, which then
  // takes the stream's place; a copy not taken is freed.
  VMemHandle copy = gMemoryMgr->NewHandle(0, fGranule);
  struct FreeCopy {
    VMemHandle& handle;
    ~FreeCopy() {
      if (handle != 0) gMemoryMgr->DisposeHandle(handle);
    }
  } freeCopy{copy};
  if (copy == 0) {
    UnlockStream();
    return kErrorTextCannotGrow;
  }
  StreamFixUp fixUp(*this, s, fBytesInUse, copy);
  const int32_t status = fixUp.Run(walk);
  UnlockStream();
  if (status == kErrorTextCannotGrow) return status;
  if (fixUp.Copying()) {
    if (!gMemoryMgr->SetHandleSize(copy, fixUp.CopySize())) return kErrorTextCannotGrow;
    gMemoryMgr->DisposeHandle(fStream);
    fStream = copy;
    copy = 0;
    fBytesInUse = fixUp.CopySize();
    DropCache();
  }
  fLength = int32_t(fixUp.Positions());
  fFormat = kFormat0106;
  return status;
}

// ---- Exact tab positions beside the stored texts

namespace {
constexpr uint32_t kTagStoredTabs = FourCC("wTBX");
constexpr uint32_t kStoredTabsVersion = FourCC("0100");
constexpr int16_t kStoredTabsId = 0;
constexpr int32_t kMostStoredTabs = 65536;
constexpr uint32_t kStoredTabEntrySize = 8;

// Appends a 16- or 32-bit value in the writer's (little-endian) order.
void Append16(std::vector<uint8_t>& out, uint16_t value) {
  out.resize(out.size() + 2);
  StoreLE16(&out[out.size() - 2], value);
}
void Append32(std::vector<uint8_t>& out, uint32_t value) {
  out.resize(out.size() + 4);
  StoreLE32(&out[out.size() - 4], value);
}
}  // namespace

void xMorvaStoredTabs::Note(xMorvaEngine& text, int16_t id) {
  const uint32_t size = text.GetStreamSize();
  if (size == 0) return;
  const uint8_t* s = text.LockStream();
  if (s == nullptr) return;
  auto& stops = fNoted[id];
  for (uint32_t at = 0; at < size;) {
    const uint32_t run = SkipCharacterUnits(s, at, size);
    if (run != at) {
      at = run;
      continue;
    }
    const StreamItem item = ReadStreamItem(s + at, size - at);
    if (item.kind == StreamItem::kRecord && item.size == kRecordSize && item.unit == kPropTabs)
      stops.emplace_back(TabStopPosition(TabToStored(item.value)), TabStopPosition(item.value));
    at += item.size;
  }
  text.UnlockStream();
}

bool xMorvaStoredTabs::Write(VResourceFile& store) const {
  std::vector<uint8_t> entries;
  int32_t count = 0;
  for (const auto& [id, stops] : fNoted) {
    // The points at which some stop does not come back: every stop stored
    // there gets its entry, so that the reader takes them in turn.
    std::map<int16_t, bool> inexact;
    for (const auto& [points, pixels] : stops)
      if (ClampPosition(PointsToPixels(points)) != pixels) inexact[points] = true;
    for (const auto& [points, pixels] : stops) {
      if (!inexact.contains(points) || count == kMostStoredTabs) continue;
      Append16(entries, uint16_t(id));
      Append16(entries, uint16_t(points));
      Append32(entries, uint32_t(PixelsToTwips(pixels)));
      ++count;
    }
  }
  if (count == 0) {
    Remove(store);
    return true;
  }
  std::vector<uint8_t> bytes;
  Append32(bytes, kTagStoredTabs);
  Append32(bytes, kStoredTabsVersion);
  Append32(bytes, uint32_t(count));
  bytes.insert(bytes.end(), entries.begin(), entries.end());
  return store.ReplaceResource(kTagStoredTabs, kStoredTabsId, bytes.data(), uint32_t(bytes.size()));
}

void xMorvaStoredTabs::Read(VResourceFile& store) {
  fExact.clear();
  uint8_t owned = 0;
  VResourceRef ref = store.GetResource(kTagStoredTabs, kStoredTabsId, &owned);
  if (ref == 0) return;
  const uint32_t size = store.GetResourceSize(ref);
  const void* data = store.LockResource(ref);
  ByteSpanReader in(data, data != nullptr ? size : 0, ByteSpanReader::Order::kLittle);
  if (in.U32() != kTagStoredTabs) {
    in.SetOrder(ByteSpanReader::Order::kBig);
    in.Seek(0);
    if (in.U32() != kTagStoredTabs) in.Fail();
  }
  const uint32_t version = in.U32();
  const int32_t count = in.I32();
  // The whole table is there, or none of it is taken.
  if (version != kStoredTabsVersion || count < 0 || count > kMostStoredTabs ||
      in.Remaining() < uint64_t(count) * kStoredTabEntrySize)
    in.Fail();
  std::map<Key, std::deque<int32_t>> exact;
  for (int32_t i = 0; i < count && !in.Failed(); ++i) {
    const int16_t id = in.I16();
    const int16_t points = in.I16();
    exact[Key(id, points)].push_back(in.I32());
  }
  if (!in.Failed()) fExact = std::move(exact);
  if (data != nullptr) store.UnlockResource(ref);
  if (owned) store.ReleaseResource(ref);
}

void xMorvaStoredTabs::Remove(VResourceFile& store) { store.RemoveResource(kTagStoredTabs, kStoredTabsId); }

bool xMorvaStoredTabs::ExactPixels(int16_t points, int16_t& pixels) {
  const auto found = fExact.find(Key(fLoadingText, points));
  if (found == fExact.end() || found->second.empty()) return false;
  const int32_t twips = found->second.front();
  found->second.pop_front();
  // Only a position that still reads as these points at this resolution:
  // another writer may have kept the table and changed the stops.
  const int32_t exact = TwipsToPixels(twips);
  if (exact < INT16_MIN || exact > INT16_MAX || PixelsToPoints(exact) != points) return false;
  pixels = int16_t(exact);
  return true;
}

xMorvaStoredTabs::Loading::Loading(xMorvaStoredTabs& tabs, int16_t id)
    : fPrevious(sLoadingTabs), fPreviousText(tabs.fLoadingText) {
  sLoadingTabs = &tabs;
  tabs.fLoadingText = id;
}

xMorvaStoredTabs::Loading::~Loading() {
  sLoadingTabs->fLoadingText = fPreviousText;
  sLoadingTabs = fPrevious;
}
