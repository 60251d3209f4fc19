// The text engine's answers to the document model (xMorvaEngineServices),
// installed at start (xMorvaEngineServiceSlot) and removed at stop.
#pragma once

#include "document/xMorvaEngineServices.h"

class xMorvaDocumentEngineServices : public xMorvaEngineServices {
 public:
  // The widest composed line of the body; 0 while the body has no lines.
  int32_t GetWidestBodyLine(xMorvaDocumentInterface& document) override;
  // The name of entry `font` of the document's font table; nothing for an
  // index the table does not hold or a document without a table.
  void GetFontName(xMorvaDocumentInterface& document, int16_t font, VString& name) override;
  // The name's index in the document's font table, appended when missing.
  int16_t FontIndexForName(xMorvaDocumentInterface& document, const VString& name) override;
  // A new xMorvaEngine; null when its stream block cannot be made.
  xMorvaTextInterface* NewText(xMorvaUndo* undo, uint16_t granule) override;
  // FormatListNumber of the list numbers.
  int32_t FormatListNumber(int32_t n, int32_t style, char16_t* last) override;
  // An xMorvaDocumentLayout over the seven engines; null when one of the
  // texts is not an engine of this factory.
  xMorvaLayoutInterface* NewLayout(xMorvaDocumentInterface& document,
                                   xMorvaTextInterface* const parts[7], VPort* port) override;
};
