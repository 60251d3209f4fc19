// VToolBarSeparator: the gap between two groups of a toolbar, drawn as a
// line ('XSPC') or left empty ('XTSP'). Both kinds answer 'XSPC', so that
// the toolbar's layouts treat a space exactly as a line.
#pragma once

#include <cstdint>

#include "views/VFrame.h"

constexpr uint32_t kKindSeparator = FourCC("XSPC");
constexpr uint32_t kKindSpace = FourCC("XTSP");

class VToolBarSeparator : public VFrame {
 public:
  // 8 x 8 in the parent.
  VToolBarSeparator(VFrame* parent, bool drawsLine);

  uint32_t GetKind() const override { return kKindSeparator; }
  void DrawContent(VPort& port) override;
  VFrame* Clone(VFrame* newParent, int32_t word) override;

  bool DrawsLine() const { return fDrawsLine != 0; }

 private:
  uint8_t fDrawsLine;
};
