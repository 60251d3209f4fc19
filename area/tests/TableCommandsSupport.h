// The fixture of the host commands' tests: an area test with the pictures
// on the pages and picture values installed, lengths in points (one pixel
// each, so that every length goes through the commands unchanged), and
// the host's value forms made and read back.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "area/tests/AreaTestSupport.h"
#include "area/xMorvaPicturesInPage.h"
#include "boundary/HostRecords.h"
#include "document/xMorvaDocument.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaTextTransferEngine.h"
#include "framework/core/values/VPictureMaker.h"
#include "graphics/VMetafilePort.h"
#include "graphics/pictures/VEmfPictureData.h"
#include "graphics/pictures/VPictPictureData.h"
#include "graphics/pictures/VPictureData.h"
#include "graphics/pictures/VPictureHostForms.h"
#include "platform/toolbox/TbxHandles.h"

namespace tablecommands {

using Bytes = std::vector<uint8_t>;

inline Bytes HandleBytes(uint32_t handle) {
  const int32_t size = handle != 0 ? Tbx::GetHandleSize(handle) : 0;
  if (size <= 0) return {};
  const auto* data = static_cast<const uint8_t*>(Tbx::HLock(handle));
  Bytes bytes(data, data + size);
  Tbx::HUnlock(handle);
  return bytes;
}

inline uint32_t NewHandleWith(const Bytes& bytes) {
  const uint32_t handle = Tbx::NewHandle(int32_t(bytes.size()));
  if (!bytes.empty()) {
    std::memcpy(Tbx::HLock(handle), bytes.data(), bytes.size());
    Tbx::HUnlock(handle);
  }
  return handle;
}

// The bytes of a Macintosh picture of w x h pixels (header big-endian),
// as the host holds it: followed by its 6 bytes of trailer.
inline Bytes HostPictureBytes(int32_t w, int32_t h) {
  VMetafilePort recorder(nullptr, 0, 0, w, h);
  recorder.SetFillColor(RGB(0, 0, 255));
  recorder.PaintRect(0, 0, w, h);
  std::unique_ptr<VEmfPictureData> metafile(recorder.EndAsPictureData());
  VPictPictureData pict;
  pict.SetFromPicture(*metafile);
  const uint32_t handle = MacPictureOfValue(pict);
  Bytes bytes = HandleBytes(handle);
  Tbx::DisposeHandle(handle);
  bytes.insert(bytes.end(), 6, 0);
  return bytes;
}

// A picture's frame from its big-endian header: width and height.
inline std::pair<int32_t, int32_t> PictFrame(const Bytes& bytes) {
  if (bytes.size() < 10) return {-1, -1};
  auto word = [&](size_t at) { return int16_t(bytes[at] << 8 | bytes[at + 1]); };
  return {word(8) - word(4), word(6) - word(2)};
}

// A host text record that owns its handle.
struct HostText {
  explicit HostText(const std::string& text = "") {
    record.length = int16_t(text.size());
    record.handle = text.empty() ? 0 : NewHandleWith(Bytes(text.begin(), text.end()));
  }
  ~HostText() {
    if (record.handle != 0) Tbx::DisposeHandle(record.handle);
  }
  std::string Text() const {
    const Bytes bytes = HandleBytes(record.handle);
    return std::string(bytes.begin(), bytes.begin() + std::min<size_t>(bytes.size(), size_t(std::max<int16_t>(record.length, 0))));
  }
  // By value: the record's fields are packed and may not be bound.
  uint32_t Handle() const { return record.handle; }
  int16_t Length() const { return record.length; }
  HostTextRecord record{};
};

class TableCommands : public areatest::AreaTest {
 protected:
  TableCommands() : fMaker(&fMakerObject), fPictureValues(&kPictureValueMaker), fTransfer(&fTransferObject) {}

  // An area of either kind, its lengths in points.
  xMorvaPlugIn* Area(bool form) {
    xMorvaPlugIn* area = form ? NewFormArea() : NewOffscreenArea();
    area->GetDocument()->Params().SetDisplayUnit(kUnitPoints);
    return area;
  }
  static xMorvaEngine& Body(xMorvaPlugIn* area) {
    return *static_cast<xMorvaEngine*>(area->GetDocument()->GetCurrentPart());
  }
  static xMorvaPicturesInPage& PagePictures(xMorvaPlugIn* area) {
    return *static_cast<xMorvaPicturesInPage*>(area->GetDocument()->GetPagePictures());
  }
  int32_t Code(xMorvaPlugIn* area) { return LastError(area->GetReference()); }

 private:
  xMorvaPicturesInPageMaker fMakerObject;
  VInstalledService<xMorvaPagePicturesMaker> fMaker;
  VInstalledService<const VPictureMaker> fPictureValues;
  xMorvaTextTransferEngine fTransferObject;
  VInstalledService<xMorvaTextTransferServices> fTransfer;
};

}  // namespace tablecommands
