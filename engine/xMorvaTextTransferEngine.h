// The text engine's answers to the document's clipboard
// (xMorvaTextTransferServices), installed at start and removed at stop.
#pragma once

#include "document/xMorvaTextTransfer.h"

// The offset, within the element of `size` bytes at `element`, of the
// picture element it is (0) or, for a host expression, the picture element
// its texts hold; UINT32_MAX when there is none.
uint32_t FindPictureElement(const uint8_t* element, uint32_t size);

class xMorvaTextTransferEngine : public xMorvaTextTransferServices {
 public:
  VMemHandle WriteStream(xMorvaDocument& document, xMorvaTextInterface& text) override;
  int32_t PasteStream(xMorvaDocument& document, xMorvaTextInterface& text, const void* bytes,
                      uint32_t size) override;
  VMemHandle CopyRuler(xMorvaTextInterface& text) override;
  int32_t PasteRuler(xMorvaTextInterface& text, VMemHandle ruler) override;
  void RefreshComputedElements(xMorvaTextInterface& text, uint32_t from, uint32_t to) override;
  bool StringToUnits(xMorvaTextInterface& text, const VString& string, VMemHandle handle,
                     uint32_t& positions) override;
  // The picture value stored in the picture element, read afresh: the
  // element keeps its own bytes whatever the caller does with the copy.
  VPictureData* CopySelectedPicture(xMorvaTextInterface& text) override;
  // The element's payload: shown and own width and height, the options
  // word (the byte order of the data, a flag byte, display mode 5), a
  // run-time word 0, then the picture as a tagged value.
  VMemHandle MakePictureElement(const VPictureData& picture) override;
};
