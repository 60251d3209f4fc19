// VHandlePictureData: the base of the picture values that hold their picture
// as one 32-bit handle word, with whether they own it: the PICT, enhanced and
// Windows metafile, QuickTime and placeholder values.
#pragma once

#include <cstdint>

#include "graphics/pictures/VPictureData.h"

// The handle is 0 when none is held. What a held handle is (a memory-manager handle, a Toolbox
// handle, a metafile's word) and how an owned one is disposed is the class's: DisposeHeld.
class VHandlePictureData : public VPictureData {
 public:
  bool HasData() const override;
  uint32_t GetHandle() const override;
  // Hands the handle over, not disposed; the value holds none and owns none.
  uint32_t DetachHandle() override;
  // Adopting the handle already held only changes whether it is owned: it
  // must not be disposed first. Otherwise the held one is let go, then the
  // new one adopted (owned only when it is not 0).
  void SetHandle(uint32_t handle, bool owns) override;

  bool OwnsHandle() const { return fOwns != 0; }

 protected:
  VHandlePictureData() = default;

  // Disposes the handle when owned, then forgets it. Each class's destructor
  // calls it: the base's would no longer reach the class's DisposeHeld.
  virtual void LetGo();
  // Disposes a handle the value owned; never called with 0.
  virtual void DisposeHeld(uint32_t handle) = 0;

  uint32_t fHandle = 0;
  uint8_t fOwns = 0;
};
