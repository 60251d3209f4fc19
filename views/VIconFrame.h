// VIconFrame: a frame that shows one colour icon centred on its erased
// area. The icon is either lent by the caller or made from a 'cicn'
// resource and then owned.
#pragma once

#include <cstdint>

#include "views/VFrame.h"

class VIconShape;

class VIconFrame : public VFrame {
 public:
  // The icon stays the caller's and must outlive the frame.
  VIconFrame(VFrame* parent, VIconShape* icon);
  // The icon of that id from the module's resource file, owned.
  VIconFrame(VFrame* parent, int16_t iconId);
  ~VIconFrame() override;

  void DrawContent(VPort& port) override;

  VIconShape* GetIcon() const { return fIcon; }
  bool OwnsIcon() const { return fOwned != 0; }

 private:
  VIconShape* fIcon;
  uint8_t fOwned;
};
