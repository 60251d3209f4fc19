// xMorvaTextTransferServices: what the document's clipboard asks of the text
// engine, which sits above the document model: styled text and rulers as
// transfer streams, plain text turned into element units, and the pictures
// of picture elements. The engine installs its implementation at start;
// with none installed nothing is copied and nothing pasted.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"
#include "framework/core/VService.h"

class VPictureData;
class VString;
class xMorvaDocument;
class xMorvaTextInterface;

class xMorvaTextTransferServices {
 public:
  virtual ~xMorvaTextTransferServices() = default;

  // The selection of the text as an 'xMo7' stream in a new handle owned by
  // the caller; 0 when none can be made.
  virtual VMemHandle WriteStream(xMorvaDocument& document, xMorvaTextInterface& text) = 0;
  // Replaces the selection by the stream's text (fonts and style sheets
  // brought into the document) in one undo step and selects it: 0, or the
  // engine's error (1074 for bytes that are no stream, nothing changed).
  virtual int32_t PasteStream(xMorvaDocument& document, xMorvaTextInterface& text, const void* bytes,
                              uint32_t size) = 0;
  // The ruler at the selection (properties and tabs) in a new handle; 0
  // when none can be made.
  virtual VMemHandle CopyRuler(xMorvaTextInterface& text) = 0;
  // Applies a ruler's paragraph part to the selected paragraphs in one undo
  // step: 0, or an error with nothing applied.
  virtual int32_t PasteRuler(xMorvaTextInterface& text, VMemHandle ruler) = 0;
  // Shows the computed elements between the two byte offsets in the text's
  // display mode.
  virtual void RefreshComputedElements(xMorvaTextInterface& text, uint32_t from, uint32_t to) = 0;
  // The string as element units in `handle` (tabs become tab elements) and
  // their positions; false when memory runs out.
  virtual bool StringToUnits(xMorvaTextInterface& text, const VString& string, VMemHandle handle,
                             uint32_t& positions) = 0;
  // A copy, owned by the caller, of the picture of the one picture element
  // that the selection is; null for any other selection.
  virtual VPictureData* CopySelectedPicture(xMorvaTextInterface& text) = 0;
  // A picture element of the picture at its own size in a new handle; 0
  // when it cannot be made.
  virtual VMemHandle MakePictureElement(const VPictureData& picture) = 0;
};

using xMorvaTextTransferSlot = VService<xMorvaTextTransferServices>;
