// The installed maker of picture values.
#include "framework/core/values/VPictureMaker.h"

namespace {

VPictureMaker gPictureMaker = nullptr;

}  // namespace

VPictureMaker SetPictureMaker(VPictureMaker maker) {
  const VPictureMaker previous = gPictureMaker;
  gPictureMaker = maker;
  return previous;
}

VValue* NewPictureValue(int32_t pictureKind) {
  return gPictureMaker != nullptr ? gPictureMaker(pictureKind) : nullptr;
}
