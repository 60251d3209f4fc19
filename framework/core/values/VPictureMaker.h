// The maker of picture values (kind 10). Picture values belong to the
// graphics layer, which installs its maker at start; the framework makes
// them only through it and never includes the graphics headers.
#pragma once

#include <cstdint>

class VValue;

// A new, empty picture value of a picture kind (1 PICT, 2 EMF, ...), owned by
// the caller, or null for a kind that has no class.
using VPictureMaker = VValue* (*)(int32_t pictureKind);

// Installs `maker` (null to remove) and answers the one it replaces.
VPictureMaker SetPictureMaker(VPictureMaker maker);

// A new picture value through the installed maker; null when none is
// installed (before start, after stop) or when the kind has no class.
VValue* NewPictureValue(int32_t pictureKind);
