// The picture shape.
#include "graphics/pictures/VPictureShape.h"

#include <cstring>
#include <vector>

#include "framework/core/streams/ByteSwap.h"
#include "framework/system/resources/VResourceFile.h"
#include "graphics/pictures/VPictPictureData.h"
#include "graphics/pictures/VPictureData.h"

VPictureShape::VPictureShape(const void* bytes, uint32_t size, int32_t kind) {
  VPictureData* picture = NewPictureData(kind);
  if (picture != nullptr) picture->SetFromData(bytes, size);
  SetPicture(picture);
}

VPictureShape::VPictureShape(VPictureData* picture) { SetPicture(picture); }

VPictureShape::~VPictureShape() { delete fPicture; }

void VPictureShape::SetPicture(VPictureData* picture) {
  if (picture != fPicture) delete fPicture;
  fPicture = picture;
  int32_t w = 0;
  int32_t h = 0;
  if (picture != nullptr) picture->GetSize(w, h);
  fWidth = w;
  fHeight = h;
}

VPictureShape::VPictureShape(VResourceFile& file, int16_t id, const VString* name) {
  constexpr uint32_t kTypePICT = 0x50494354;  // 'PICT'
  const VResourceRef ref =
      name != nullptr ? file.GetNamedResource(kTypePICT, name, nullptr) : file.GetResource(kTypePICT, id, nullptr);
  if (ref == 0) return;
  const uint32_t size = file.GetResourceSize(ref);
  const auto* data = static_cast<const uint8_t*>(file.LockResource(ref));
  if (data != nullptr && size > 0) {
    std::vector<uint8_t> bytes(data, data + size);
    // The value holds the header in this machine's order.
    if (bytes.size() >= 10) SwapArray16(bytes.data(), 5);
    SetPicture(new VPictPictureData(bytes.data(), static_cast<uint32_t>(bytes.size())));
  }
  file.UnlockResource(ref);
  file.ReleaseResource(ref);
}
