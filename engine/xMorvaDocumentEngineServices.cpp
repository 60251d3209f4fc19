// The text engine's answers to the document model.
#include "engine/xMorvaDocumentEngineServices.h"

#include "engine/xMorvaEngine.h"

int32_t xMorvaDocumentEngineServices::GetWidestBodyLine(xMorvaDocumentInterface&) { return 0; }

void xMorvaDocumentEngineServices::GetFontName(xMorvaDocumentInterface&, int16_t, VString&) {}

xMorvaTextInterface* xMorvaDocumentEngineServices::NewText(xMorvaUndo* undo, uint16_t granule) {
  auto* engine = new xMorvaEngine(undo, granule);
  if (engine->IsValid()) return engine;
  delete engine;
  return nullptr;
}
