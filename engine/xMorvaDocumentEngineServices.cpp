// The text engine's answers to the document model.
#include "engine/xMorvaDocumentEngineServices.h"

#include "document/xMorvaDocumentInterface.h"
#include "document/xMorvaFontTable.h"
#include "engine/xMorvaDocumentLayout.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaListNumber.h"
#include "framework/core/strings/VUniString.h"

int32_t xMorvaDocumentEngineServices::GetWidestBodyLine(xMorvaDocumentInterface& document) {
  const xMorvaTextInterface* body = document.GetBodyText();
  return body != nullptr ? body->GetWidestLine() : 0;
}

void xMorvaDocumentEngineServices::GetFontName(xMorvaDocumentInterface& document, int16_t font,
                                               VString& name) {
  const xMorvaFontTable* table = document.GetFontTable();
  if (table == nullptr) return;
  VStrInHandle entry;
  bool known = false;
  if (table->NameForIndex(font, entry, known)) name.CopyText(entry);
}

int16_t xMorvaDocumentEngineServices::FontIndexForName(xMorvaDocumentInterface& document,
                                                       const VString& name) {
  xMorvaFontTable* table = document.GetFontTable();
  if (table == nullptr) return 0;
  VStrInHandle spelling;
  spelling.CopyText(name);
  return table->IndexForName(spelling);
}

xMorvaTextInterface* xMorvaDocumentEngineServices::NewText(xMorvaUndo* undo, uint16_t granule) {
  auto* engine = new xMorvaEngine(undo, granule);
  if (engine->IsValid()) return engine;
  delete engine;
  return nullptr;
}

int32_t xMorvaDocumentEngineServices::FormatListNumber(int32_t n, int32_t style, char16_t* last) {
  return ::FormatListNumber(n, style, last);
}

xMorvaLayoutInterface* xMorvaDocumentEngineServices::NewLayout(xMorvaDocumentInterface& document,
                                                              xMorvaTextInterface* const parts[7],
                                                              VPort* port) {
  xMorvaEngine* engines[xMorvaDocumentLayout::kPartCount] = {};
  for (int part = 0; part < xMorvaDocumentLayout::kPartCount; ++part) {
    engines[part] = dynamic_cast<xMorvaEngine*>(parts[part]);
    if (engines[part] == nullptr) return nullptr;
  }
  return new xMorvaDocumentLayout(document, engines, port);
}
