// Picture elements: built from a picture value, found at the selection,
// resized in undo steps, and decoded once for drawing into the engine's
// own table, which the element's run-time word addresses by a checked id.
#include <algorithm>
#include <memory>

#include "document/xMorvaUndo.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaEngine_p.h"
#include "engine/xMorvaPictureElement.h"
#include "framework/core/containers/ValueReader.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/streams/VMemoryStream.h"
#include "framework/core/values/VValue.h"
#include "graphics/pictures/VPictureData.h"
#include "graphics/pictures/VPictureShape.h"
#include "platform/bytes/ByteOrder.h"

namespace {

uint32_t HeaderWord(const uint8_t* at, bool big) { return big ? LoadBE32(at) : StreamLong(at); }

void PutHeaderWord(uint8_t* at, uint32_t value, bool big) {
  if (big)
    StoreBE32(at, value);
  else
    PutStreamLong(at, value);
}

// The run-time word sits at the same place in either order; zero is zero.
constexpr uint32_t kRuntimeWordAt = 20;
// Computed elements nest texts; pictures deeper than this are left alone.
constexpr int kMaxNesting = 4;

// Ids: the table's generation in the top 12 bits, the slot + 1 below.
constexpr uint32_t kSlotBits = 20;
constexpr uint32_t kSlotMask = (1u << kSlotBits) - 1;
constexpr uint32_t kGenerationMask = 0xFFF;

// A short fingerprint of the picture data: an id restored into other bytes
// (by undo after the table was reset, or by a damaged stream) is refused
// instead of drawing another element's picture.
uint64_t Fingerprint(const uint8_t* data, uint32_t size) {
  uint64_t hash = 1469598103934665603ull ^ size;
  const uint32_t head = std::min<uint32_t>(size, 256);
  for (uint32_t i = 0; i < head; ++i) hash = (hash ^ data[i]) * 1099511628211ull;
  for (uint32_t i = std::max(head, size > 256 ? size - 256 : 0u); i < size; ++i) {
    hash = (hash ^ data[i]) * 1099511628211ull;
  }
  return hash;
}

void ClearIds(uint8_t* bytes, uint32_t size, int depth) {
  for (uint32_t at = 0; at < size;) {
    // Characters hold no ids: a run of them is passed at once.
    while (size - at >= 2 && StreamUnit(bytes + at) != 0) at += 2;
    if (at >= size) break;
    const StreamItem item = ReadStreamItem(bytes + at, size - at);
    if (item.kind == StreamItem::kElement && item.size >= kElementHeadSize) {
      uint8_t* payload = bytes + at + kElementHeadSize;
      const uint32_t payloadSize = item.size - kElementHeadSize;
      if (item.unit == xMorvaElementCode::Pict && payloadSize >= kPictureHeaderSize) {
        PutStreamLong(payload + kRuntimeWordAt, 0);
      } else if (item.unit >= kFirstComputedCode && depth < kMaxNesting &&
                 payloadSize >= kComputedHeadSize) {
        const uint64_t texts = uint64_t(kComputedHeadSize) + StreamLong(payload);
        if (texts < payloadSize) {
          ClearIds(payload + texts, payloadSize - uint32_t(texts), depth + 1);
        }
      }
    }
    at += std::max<uint32_t>(item.size, 1);
  }
}

}  // namespace

void xMorvaPictureHeader::FromWords(const uint32_t words[6]) {
  shownWidth = int32_t(words[0]);
  shownHeight = int32_t(words[1]);
  ownWidth = int32_t(words[2]);
  ownHeight = int32_t(words[3]);
  // The options word as it reads in big-endian order: order, flag, mode.
  order = uint8_t(words[4] >> 24);
  flag = uint8_t(words[4] >> 16);
  mode = uint16_t(words[4]);
  runtime = words[5];
}

void xMorvaPictureHeader::ToWords(uint32_t words[6]) const {
  words[0] = uint32_t(shownWidth);
  words[1] = uint32_t(shownHeight);
  words[2] = uint32_t(ownWidth);
  words[3] = uint32_t(ownHeight);
  words[4] = uint32_t(order) << 24 | uint32_t(flag) << 16 | mode;
  words[5] = runtime;
}

bool ReadPictureHeader(const uint8_t* element, uint32_t size, xMorvaPictureHeader& header) {
  if (element == nullptr || size < kElementHeadSize + kPictureHeaderSize) return false;
  if (StreamUnit(element) != 0 || StreamUnit(element + 2) != xMorvaElementCode::Pict) return false;
  if (StreamLong(element + 4) < kPictureHeaderSize) return false;
  const uint8_t* h = element + kElementHeadSize;
  header.order = h[16];
  header.flag = h[17];
  const bool big = header.order == kByteOrderMacintosh;
  header.shownWidth = int32_t(HeaderWord(h, big));
  header.shownHeight = int32_t(HeaderWord(h + 4, big));
  header.ownWidth = int32_t(HeaderWord(h + 8, big));
  header.ownHeight = int32_t(HeaderWord(h + 12, big));
  header.mode = big ? LoadBE16(h + 18) : StreamUnit(h + 18);
  header.runtime = StreamLong(h + kRuntimeWordAt);
  return true;
}

void WritePictureHeader(uint8_t* at, const xMorvaPictureHeader& header) {
  const bool big = header.order == kByteOrderMacintosh;
  PutHeaderWord(at, uint32_t(header.shownWidth), big);
  PutHeaderWord(at + 4, uint32_t(header.shownHeight), big);
  PutHeaderWord(at + 8, uint32_t(header.ownWidth), big);
  PutHeaderWord(at + 12, uint32_t(header.ownHeight), big);
  at[16] = header.order;
  at[17] = header.flag;
  if (big) {
    at[18] = uint8_t(header.mode >> 8);
    at[19] = uint8_t(header.mode);
  } else {
    PutStreamUnit(at + 18, header.mode);
  }
  PutStreamLong(at + kRuntimeWordAt, header.runtime);
}

xMorvaPictureExtent LaidOutPictureSize(int32_t shownWidth, int32_t shownHeight, int32_t room) {
  xMorvaPictureExtent extent{std::clamp(shownWidth, 0, kMaxPictureExtent),
                             std::clamp(shownHeight, 0, kMaxPictureExtent)};
  if (room > 0 && extent.width > room) {
    const int64_t height = int64_t(extent.height) * room / extent.width;
    extent.height = extent.height > 0 ? int32_t(std::max<int64_t>(height, 1)) : 0;
    extent.width = room;
  }
  return extent;
}

bool MakePictureElement(VPictureData& picture, VMemHandle output, int32_t width, int32_t height,
                        int32_t mode, int32_t flag) {
  if (output == 0) return false;
  VMemHandle handle = output;
  VHandleStream stream(handle);
  // Element heads are low byte first; the header and the value follow the
  // same order, which the header's first option byte records.
  stream.SetByteOrders(kByteOrderLittle, kByteOrderKeep);
  stream.OpenWrite();
  uint8_t head[kElementHeadSize] = {};
  stream.PutData(head, kElementHeadSize);  // the head, written last
  int32_t ownWidth = 0;
  int32_t ownHeight = 0;
  picture.GetSize(ownWidth, ownHeight);
  xMorvaPictureHeader header;
  const bool own = width == -1 || height == -1;
  header.shownWidth = own ? ownWidth : width;
  header.shownHeight = own ? ownHeight : height;
  header.ownWidth = ownWidth;
  header.ownHeight = ownHeight;
  header.order = uint8_t(kByteOrderLittle);
  header.flag = flag > 0 ? 1 : 0;
  header.mode = mode == -1 ? kDefaultPictureMode : uint16_t(mode);
  uint8_t bytes[kPictureHeaderSize];
  WritePictureHeader(bytes, header);
  stream.PutData(bytes, kPictureHeaderSize);
  stream.PutValue(picture, true);
  if (stream.GetStatus() != 0) {
    stream.CloseWrite(0);
    gMemoryMgr->SetHandleSize(output, 0);
    return false;
  }
  const uint32_t a = stream.GetPosition() - kElementHeadSize;
  PutStreamUnit(head, 0);
  PutStreamUnit(head + 2, xMorvaElementCode::Pict);
  PutStreamLong(head + 4, a);
  PutStreamLong(head + 8, a);
  stream.SetPosition(0);
  stream.PutData(head, kElementHeadSize);
  stream.SetPosition(a + kElementHeadSize);
  const bool written = stream.GetStatus() == 0;
  stream.CloseWrite(1);
  if (!written) gMemoryMgr->SetHandleSize(output, 0);
  return written;
}

void ClearPictureIds(uint8_t* bytes, uint32_t size) {
  if (bytes != nullptr) ClearIds(bytes, size, 0);
}

// ---- The engine's side

int64_t xMorvaEngine::FindSelectedPicture(const uint8_t* stream) {
  if (stream == nullptr) return -1;
  const uint32_t end = std::min(fSelEndOffset, fBytesInUse);
  for (uint32_t at = fSelStartOffset; at < end;) {
    const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - at);
    if (item.kind == StreamItem::kRecord) {
      at += item.size;
      continue;
    }
    if (item.kind == StreamItem::kUnit) return -1;
    if (item.unit == xMorvaElementCode::Pict) {
      xMorvaPictureHeader header;
      return ReadPictureHeader(stream + at, item.size, header) ? int64_t(at) : -1;
    }
    if (item.unit != xMorvaElementCode::ExprQv) return -1;
    const int64_t inner = FindPictureInExpression(stream + at, item.size);
    return inner >= 0 ? int64_t(at) + inner : -1;
  }
  return -1;
}

int64_t xMorvaEngine::FindPictureInExpression(const uint8_t* element, uint32_t size) {
  if (element == nullptr || size < kElementHeadSize + kComputedHeadSize) return -1;
  // The result text lies after the object, behind the source text when
  // that comes first; its first unit that is no property record decides.
  const uint8_t* payload = element + kElementHeadSize;
  const uint64_t n = StreamLong(payload);
  const uint64_t resultBytes = StreamLong(payload + 4);
  const uint64_t sourceBytes = StreamLong(payload + 8);
  const uint64_t payloadSize = size - kElementHeadSize;
  uint64_t result = kComputedHeadSize + n + (payload[12] == 1 ? 0 : sourceBytes);
  const uint64_t resultEnd = std::min(result + resultBytes, payloadSize);
  while (result < resultEnd) {
    const StreamItem inner = ReadStreamItem(payload + result, uint32_t(resultEnd - result));
    if (inner.kind != StreamItem::kRecord) {
      xMorvaPictureHeader header;
      if (inner.kind == StreamItem::kElement && inner.unit == xMorvaElementCode::Pict &&
          ReadPictureHeader(payload + result, inner.size, header)) {
        return int64_t(kElementHeadSize + result);
      }
      return -1;
    }
    result += inner.size;
  }
  return -1;
}

VPictureData* xMorvaEngine::GetSelectedPicture() {
  if (fSelEnd - fSelStart != 1) return nullptr;
  const uint8_t* stream = LockStream();
  const int64_t at = FindSelectedPicture(stream);
  VValue* value = nullptr;
  if (at >= 0) {
    const StreamItem item = ReadStreamItem(stream + at, fBytesInUse - uint32_t(at));
    xMorvaPictureHeader header;
    if (ReadPictureHeader(stream + at, item.size, header)) {
      const uint32_t skip = kElementHeadSize + kPictureHeaderSize;
      VMemoryStream data(stream + at + skip, item.size - skip);
      data.SetByteOrders(header.order == kByteOrderMacintosh ? kByteOrderMacintosh : kByteOrderLittle,
                         kByteOrderKeep);
      data.OpenRead();
      value = ReadValue(data);
      if (value != nullptr && (value->GetKind() != kValuePicture || data.GetStatus() != 0)) {
        delete value;
        value = nullptr;
      }
      data.CloseRead();
    }
  }
  if (stream != nullptr) UnlockStream();
  return static_cast<VPictureData*>(value);
}

void xMorvaEngine::GetSelectedPictureSize(int32_t* shownWidth, int32_t* shownHeight,
                                          int32_t* ownWidth, int32_t* ownHeight) {
  uint32_t words[6] = {};
  GetSelectedPictureHeader(words);
  if (shownWidth != nullptr) *shownWidth = int32_t(words[0]);
  if (shownHeight != nullptr) *shownHeight = int32_t(words[1]);
  if (ownWidth != nullptr) *ownWidth = int32_t(words[2]);
  if (ownHeight != nullptr) *ownHeight = int32_t(words[3]);
}

int32_t xMorvaEngine::GetSelectedPictureHeader(uint32_t words[6]) {
  std::fill(words, words + 6, 0u);
  const uint8_t* stream = LockStream();
  const int64_t at = FindSelectedPicture(stream);
  xMorvaPictureHeader header;
  const bool found = at >= 0 && ReadPictureHeader(stream + at, fBytesInUse - uint32_t(at), header);
  if (stream != nullptr) UnlockStream();
  if (!found) return kErrorNoPictureSelected;
  header.ToWords(words);
  return 0;
}

int32_t xMorvaEngine::SetSelectedPictureHeader(const uint32_t words[6]) {
  const uint8_t* stream = LockStream();
  const int64_t at = FindSelectedPicture(stream);
  xMorvaPictureHeader header;
  const bool found = at >= 0 && ReadPictureHeader(stream + at, fBytesInUse - uint32_t(at), header);
  if (stream != nullptr) UnlockStream();
  if (!found) return kErrorNoPictureSelected;
  xMorvaPictureHeader changed;
  changed.FromWords(words);
  // The data keeps its order, so the header does too; the decoded picture
  // stays the element's.
  changed.order = header.order;
  changed.runtime = header.runtime;
  uint8_t bytes[kPictureHeaderSize];
  WritePictureHeader(bytes, changed);
  const uint32_t payload = uint32_t(at) + kElementHeadSize;
  return Reserved(kPictureHeaderSize, [&]() {
    BeginUndoStep(kUndoPictureSize, 0);
    DeleteBytes(int32_t(payload), int32_t(kPictureHeaderSize));
    const int32_t result = InsertBytes(payload, bytes, kPictureHeaderSize);
    EndUndoStep(result);
    return result;
  });
}

int32_t xMorvaEngine::SetSelectedPictureSize(int32_t width, int32_t height) {
  uint32_t words[6];
  if (const int32_t error = GetSelectedPictureHeader(words)) return error;
  words[0] = uint32_t(width);
  words[1] = uint32_t(height);
  return SetSelectedPictureHeader(words);
}

VPictureShape* xMorvaEngine::GetPictureForDrawing(uint8_t* element, uint32_t size, int32_t& width,
                                                  int32_t& height, int16_t& mode) {
  width = height = 0;
  mode = 0;
  xMorvaPictureHeader header;
  if (!ReadPictureHeader(element, size, header)) return nullptr;
  width = header.shownWidth;
  height = header.shownHeight;
  mode = int16_t(header.mode);
  const uint32_t a = StreamLong(element + 4);
  const uint32_t whole = uint32_t(std::min<uint64_t>(uint64_t(kElementHeadSize) + a, size));
  const uint32_t skip = kElementHeadSize + kPictureHeaderSize;
  const uint8_t* data = element + skip;
  const uint32_t dataSize = whole - skip;
  const uint64_t print = Fingerprint(data, dataSize);

  // The id is trusted only when its generation is the table's, its slot
  // holds a picture and that picture was decoded from the same data.
  const uint32_t id = header.runtime;
  const uint32_t slot = (id & kSlotMask);
  if (id != 0 && (id >> kSlotBits) == (fPictureGeneration & kGenerationMask) && slot >= 1 &&
      slot <= fPictures.size() && fPictures[slot - 1] && fPictures[slot - 1]->fingerprint == print) {
    return fPictures[slot - 1]->shape.get();
  }

  ++fPictureDecodes;
  VMemoryStream stream(data, dataSize);
  stream.SetByteOrders(header.order == kByteOrderMacintosh ? kByteOrderMacintosh : kByteOrderLittle,
                       kByteOrderKeep);
  stream.OpenRead();
  std::unique_ptr<VValue> value(ReadValue(stream));
  const bool complete = stream.GetStatus() == 0;
  stream.CloseRead();
  if (!value || !complete || value->GetKind() != kValuePicture) return nullptr;
  // A full table starts again: the ids in the stream stop matching and
  // their pictures decode again when next drawn.
  if (fPictures.size() >= kSlotMask) ResetPictureCaches();
  auto entry = std::make_unique<PictureSlot>();
  entry->shape = std::make_unique<VPictureShape>(static_cast<VPictureData*>(value.release()));
  entry->fingerprint = print;
  fPictures.push_back(std::move(entry));
  const uint32_t newId =
      (fPictureGeneration & kGenerationMask) << kSlotBits | uint32_t(fPictures.size());
  PutStreamLong(element + kElementHeadSize + kRuntimeWordAt, newId);
  return fPictures.back()->shape.get();
}

uint64_t xMorvaEngine::PictureCacheSize() const {
  uint64_t bytes = 0;
  for (const std::unique_ptr<PictureSlot>& slot : fPictures) {
    const VPictureData* picture = slot && slot->shape ? slot->shape->GetPicture() : nullptr;
    if (picture != nullptr) bytes += picture->DataSize();
  }
  return bytes;
}

void xMorvaEngine::ResetPictureCaches() {
  fPictures.clear();
  // Generation 0 is never used, so an id of a cleared word never matches.
  fPictureGeneration = (fPictureGeneration % kGenerationMask) + 1;
}
