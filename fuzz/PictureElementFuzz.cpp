// Fuzz target of the picture elements of a text: the input is an element
// stream. Every picture element in it is decoded for drawing twice (the
// second time must come from the cache, without decoding), each of the
// first positions is selected and its picture read, and clearing the
// pictures' ids must leave none behind.
#include <cstdlib>
#include <vector>

#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaPictureElement.h"
#include "framework/core/values/VPictureMaker.h"
#include "fuzz/FuzzSupport.h"
#include "graphics/pictures/VPictureData.h"

namespace {

int32_t CountPositions(const uint8_t* s, uint32_t size) {
  int32_t positions = 0;
  for (uint32_t at = 0; at < size;) {
    const StreamItem item = ReadStreamItem(s + at, size - at);
    if (item.kind != StreamItem::kRecord) ++positions;
    at += item.size;
  }
  return positions;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  static const bool pictures = (VPictureMakerService::Install(&kPictureValueMaker), true);
  (void)pictures;
  if (size == 0 || size > (1u << 20)) return 0;
  xMorvaEngine engine(nullptr, xMorvaEngine::kPartGranule);
  if (engine.InsertBytes(0u, data, uint32_t(size)) != 0) return 0;
  engine.SetLength(CountPositions(data, uint32_t(size)));

  uint8_t* s = engine.LockStream();
  for (uint32_t at = 0; s != nullptr && at < size;) {
    const StreamItem item = ReadStreamItem(s + at, uint32_t(size) - at);
    if (item.kind == StreamItem::kElement && item.unit == xMorvaElementCode::Pict) {
      int32_t w = 0, h = 0;
      int16_t mode = 0;
      VPictureShape* first = engine.GetPictureForDrawing(s + at, item.size, w, h, mode);
      const uint32_t decodes = engine.GetPictureDecodeCount();
      VPictureShape* second = engine.GetPictureForDrawing(s + at, item.size, w, h, mode);
      if (first != nullptr && (second != first || engine.GetPictureDecodeCount() != decodes)) std::abort();
    }
    at += item.size;
  }
  engine.UnlockStream();

  for (int32_t p = 0; p < 8 && p < engine.GetLength(); ++p) {
    engine.SetSelection(p, p + 1);
    int32_t w = 0, h = 0, ow = 0, oh = 0;
    engine.GetSelectedPictureSize(&w, &h, &ow, &oh);
    delete engine.GetSelectedPicture();
  }

  std::vector<uint8_t> copy(data, data + size);
  ClearPictureIds(copy.data(), uint32_t(copy.size()));
  for (uint32_t at = 0; at < copy.size();) {
    const StreamItem item = ReadStreamItem(copy.data() + at, uint32_t(copy.size()) - at);
    xMorvaPictureHeader header;
    if (ReadPictureHeader(copy.data() + at, item.size, header) && header.runtime != 0) std::abort();
    at += item.size;
  }
  return 0;
}
