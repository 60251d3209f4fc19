// The toolbar separator.
#include "controls/toolbars/VToolBarSeparator.h"

namespace {
constexpr int32_t kSeparatorElement = 15;
constexpr int32_t kSeparatorSize[4] = {0, 0, 8, 8};
}  // namespace

VToolBarSeparator::VToolBarSeparator(VFrame* parent, bool drawsLine)
    : VFrame(parent, kSeparatorSize), fDrawsLine(drawsLine ? 1 : 0) {}

void VToolBarSeparator::DrawContent(VPort& port) {
  if (fDrawsLine == 0) return;
  const int32_t whole[4] = {0, 0, GetWidth(), GetHeight()};
  DrawLookElement(port, kSeparatorElement, 0, whole, 0);
}

VFrame* VToolBarSeparator::Clone(VFrame* newParent, int32_t word) {
  auto* copy = new VToolBarSeparator(newParent, fDrawsLine != 0);
  copy->CopyFrom(newParent, *this, word);
  return copy;
}
