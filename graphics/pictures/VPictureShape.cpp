// The picture shape.
#include "graphics/pictures/VPictureShape.h"

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
