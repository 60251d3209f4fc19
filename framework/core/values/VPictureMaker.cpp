// Picture values made through the installed maker.
#include "framework/core/values/VPictureMaker.h"

VValue* NewPictureValue(int32_t pictureKind) {
  const VPictureMaker* maker = VPictureMakerService::Get();
  return maker != nullptr ? maker->newPicture(pictureKind) : nullptr;
}
