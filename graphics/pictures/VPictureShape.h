// VPictureShape: a shape that places a picture value in its box.
#pragma once

#include <cstdint>

#include "graphics/VShape.h"

class VPictureData;
class VResourceFile;
class VString;

// Placements: 1 own size at the corner, 2 centred, 3 tiled, 4 scaled to fit,
// 5 stretched to the box, 6 scaled to fit and centred. Transfer mode 8
// draws white as transparent.
class VPictureShape : public VShape {
 public:
  VPictureShape() = default;
  // A new picture of the kind filled with the bytes; a kind without a class
  // gives a shape without a picture. The size is the picture's.
  VPictureShape(const void* bytes, uint32_t size, int32_t kind);
  // Adopts the picture (may be null); the size is the picture's.
  explicit VPictureShape(VPictureData* picture);
  // The 'PICT' resource of the name (by the id when the name is null) as a
  // PICT value; a shape without a picture when there is no such resource.
  VPictureShape(VResourceFile& file, int16_t id, const VString* name);
  ~VPictureShape() override;
  VPictureShape(const VPictureShape&) = delete;
  VPictureShape& operator=(const VPictureShape&) = delete;

  VPictureData* GetPicture() const { return fPicture; }
  // Adopts the picture, deleting the one held.
  void SetPicture(VPictureData* picture);
  int16_t GetPlacement() const { return fPlacement; }
  void SetPlacement(int16_t mode) { fPlacement = mode; }
  int16_t GetTransferMode() const { return fTransferMode; }
  void SetTransferMode(int16_t mode) { fTransferMode = mode; }

 private:
  VPictureData* fPicture = nullptr;
  int16_t fPlacement = 1;
  int16_t fTransferMode = 0;
};
