// The maker of picture values (kind 10). Picture values belong to the
// graphics layer, which installs its maker at start; the framework makes
// them only through it and never includes the graphics headers.
#pragma once

#include <cstdint>

#include "framework/core/VService.h"

class VValue;

struct VPictureMaker {
  // A new, empty picture value of a picture kind (1 PICT, 2 EMF, ...), owned
  // by the caller, or null for a kind that has no class.
  VValue* (*newPicture)(int32_t pictureKind);
};

using VPictureMakerService = VService<const VPictureMaker>;

// A new picture value through the installed maker; null when none is
// installed (before start, after stop) or when the kind has no class.
VValue* NewPictureValue(int32_t pictureKind);
