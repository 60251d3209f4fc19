// The text engine's answers to the document model (xMorvaEngineServices),
// installed at start (xMorvaEngineServiceSlot) and removed at stop.
#pragma once

#include "document/xMorvaEngineServices.h"

class xMorvaDocumentEngineServices : public xMorvaEngineServices {
 public:
  // The widest composed line of the body. Until the engine composes lines
  // a document has none, and its widest line is 0 pixels wide.
  int32_t GetWidestBodyLine(xMorvaDocumentInterface& document) override;
  // The document has no font table until the engine keeps one: every font
  // is nameless.
  void GetFontName(xMorvaDocumentInterface& document, int16_t font, VString& name) override;
  // A new xMorvaEngine; null when its stream block cannot be made.
  xMorvaTextInterface* NewText(xMorvaUndo* undo, uint16_t granule) override;
};
