// The images of one look painter: each made by name on first use and
// freed with the painter, so two painters of one look keep their own.
#pragma once

class VIconShape;

namespace looks {

// The image of a 'cicn' resource by name, from the module's resource file
// (then the host's); it stays without an icon when no file has the name.
VIconShape* MakeLookImage(const char* name);
// Frees an image MakeLookImage made; out of line, where the image's type is
// complete, since a painter's inline constructor instantiates the images'
// destructor where the type is only declared.
void FreeLookImage(VIconShape* image);

template <int N>
class LookImages {
 public:
  LookImages() = default;
  LookImages(const LookImages&) = delete;
  LookImages& operator=(const LookImages&) = delete;
  ~LookImages() {
    for (VIconShape* image : fImages) FreeLookImage(image);
  }
  // The image of `slot`, made from `name` the first time it is asked for.
  VIconShape* Get(int slot, const char* name) {
    if (fImages[slot] == nullptr) fImages[slot] = MakeLookImage(name);
    return fImages[slot];
  }

 private:
  VIconShape* fImages[N] = {};
};

}  // namespace looks
