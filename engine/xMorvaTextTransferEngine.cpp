// The text engine's answers to the document's clipboard: every text of a
// document is an xMorvaEngine, made by the engine's own factory.
#include "engine/xMorvaTextTransferEngine.h"

#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/containers/ValueReader.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/streams/VMemoryStream.h"
#include "framework/core/values/VValue.h"
#include "graphics/pictures/VPictureData.h"

namespace {

xMorvaEngine& EngineOf(xMorvaTextInterface& text) { return static_cast<xMorvaEngine&>(text); }

// The picture element's header words before the picture value.
constexpr uint32_t kPictureHeaderSize = 24;
constexpr uint32_t kPictureOptionsOffset = 16;
constexpr uint16_t kDefaultDisplayMode = 5;

}  // namespace

uint32_t FindPictureElement(const uint8_t* element, uint32_t size) {
  if (size < kElementHeadSize || StreamUnit(element) != 0) return UINT32_MAX;
  const uint16_t code = StreamUnit(element + 2);
  const uint64_t a = StreamLong(element + 4);
  if (kElementHeadSize + a > size) return UINT32_MAX;
  if (code == xMorvaElementCode::Pict) return 0;
  if (code != xMorvaElementCode::ExprQv || a < kComputedHeadSize) return UINT32_MAX;
  // The texts follow the computed head and the object.
  const uint64_t texts = kElementHeadSize + kComputedHeadSize + uint64_t(StreamLong(element + kElementHeadSize));
  const uint32_t end = uint32_t(kElementHeadSize + a);
  for (uint64_t at = texts; at < end;) {
    const StreamItem item = ReadStreamItem(element + at, uint32_t(end - at));
    if (item.kind == StreamItem::kElement && item.unit == xMorvaElementCode::Pict &&
        end - at >= kElementHeadSize + uint64_t(StreamLong(element + at + 4))) {
      return uint32_t(at);
    }
    at += item.size != 0 ? item.size : 1;
  }
  return UINT32_MAX;
}

VMemHandle xMorvaTextTransferEngine::WriteStream(xMorvaDocument& document, xMorvaTextInterface& text) {
  return EngineOf(text).WriteStream(document);
}

int32_t xMorvaTextTransferEngine::PasteStream(xMorvaDocument& document, xMorvaTextInterface& text,
                                              const void* bytes, uint32_t size) {
  static const uint8_t kNothing = 0;
  VMemoryStream stream(bytes != nullptr ? bytes : &kNothing, bytes != nullptr ? size : 0);
  if (stream.OpenRead() != 0) return kErrorBadStream;
  const int32_t result = EngineOf(text).PasteStreamWithUndo(stream, document);
  stream.CloseRead();
  return result;
}

VMemHandle xMorvaTextTransferEngine::CopyRuler(xMorvaTextInterface& text) { return EngineOf(text).CopyStyle(); }

int32_t xMorvaTextTransferEngine::PasteRuler(xMorvaTextInterface& text, VMemHandle ruler) {
  return EngineOf(text).PasteStyle(ruler);
}

void xMorvaTextTransferEngine::RefreshComputedElements(xMorvaTextInterface& text, uint32_t from, uint32_t to) {
  EngineOf(text).RefreshComputedElements(from, to);
}

bool xMorvaTextTransferEngine::StringToUnits(xMorvaTextInterface& text, const VString& string, VMemHandle handle,
                                             uint32_t& positions) {
  uint32_t bytes = 0;
  positions = 0;
  return EngineOf(text).StringToUnits(string, handle, positions, bytes, false);
}

VPictureData* xMorvaTextTransferEngine::CopySelectedPicture(xMorvaTextInterface& text) {
  xMorvaEngine& engine = EngineOf(text);
  if (!engine.IsPictureSelected() || engine.GetSelEnd() - engine.GetSelStart() != 1) return nullptr;
  const uint8_t* stream = engine.LockStream();
  if (stream == nullptr) return nullptr;
  const uint32_t size = engine.GetStreamSize();
  VPictureData* picture = nullptr;
  // Records may lead the selection; the first element is the picture.
  for (uint32_t at = engine.GetSelStartOffset(); at < size;) {
    const StreamItem item = ReadStreamItem(stream + at, size - at);
    if (item.kind == StreamItem::kRecord) {
      at += item.size;
      continue;
    }
    if (item.kind != StreamItem::kElement) break;
    const uint32_t nested = FindPictureElement(stream + at, size - at);
    if (nested == UINT32_MAX) break;
    at += nested;
    const uint64_t a = StreamLong(stream + at + 4);
    if (a < kPictureHeaderSize) break;
    const uint8_t* payload = stream + at + kElementHeadSize;
    VMemoryStream value(payload + kPictureHeaderSize, uint32_t(a - kPictureHeaderSize));
    if (value.OpenRead() == 0) {
      const int16_t order = payload[kPictureOptionsOffset];
      if (order == kByteOrderMacintosh || order == kByteOrderLittle)
        value.SetByteOrders(order, kByteOrderSetThisMachine);
      VValue* read = ReadValue(value);
      if (read != nullptr && read->GetKind() == kValuePicture)
        picture = static_cast<VPictureData*>(read);
      else
        delete read;
      value.CloseRead();
    }
    break;
  }
  engine.UnlockStream();
  return picture;
}

VMemHandle xMorvaTextTransferEngine::MakePictureElement(const VPictureData& picture) {
  VMemHandle handle = 0;
  VHandleStream stream(handle);
  if (handle == 0) return 0;
  bool made = stream.OpenWrite() == 0;
  if (made) {
    // Element heads are little-endian; the payload follows them.
    stream.SetByteOrders(kByteOrderLittle, kByteOrderSetThisMachine);
    const uint8_t head[kElementHeadSize] = {};
    stream.PutData(head, kElementHeadSize);
    const int32_t width = picture.GetWidth();
    const int32_t height = picture.GetHeight();
    for (int32_t word : {width, height, width, height}) stream.PutLong(word);
    stream.PutByte(uint8_t(kByteOrderLittle));
    stream.PutByte(0);
    stream.PutWord(int16_t(kDefaultDisplayMode));
    stream.PutLong(0);
    stream.PutValue(const_cast<VPictureData&>(picture), true);
    // Units after the element stay on even offsets.
    if (stream.GetStatus() == 0 && stream.GetPosition() % 2 != 0) stream.PutByte(0);
    made = stream.GetStatus() == 0;
  }
  const uint32_t end = made ? stream.GetPosition() : 0;
  stream.CloseWrite(1);
  if (!made || end < kElementHeadSize) {
    gMemoryMgr->DisposeHandle(handle);
    return 0;
  }
  auto* bytes = static_cast<uint8_t*>(gMemoryMgr->LockHandle(handle));
  if (bytes == nullptr) {
    gMemoryMgr->DisposeHandle(handle);
    return 0;
  }
  const uint32_t a = end - kElementHeadSize;
  PutStreamUnit(bytes, 0);
  PutStreamUnit(bytes + 2, xMorvaElementCode::Pict);
  PutStreamLong(bytes + 4, a);
  PutStreamLong(bytes + 8, a);
  gMemoryMgr->UnlockHandle(handle);
  return handle;
}
