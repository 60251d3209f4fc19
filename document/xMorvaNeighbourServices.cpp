// The slots of the services that the editing area and the text engine
// install for the document model at start.
#include "document/xMorvaAreaServices.h"
#include "document/xMorvaEngineServices.h"
#include "document/xMorvaText.h"
#include "framework/core/strings/VString.h"

namespace {
xMorvaAreaServices* sAreaServices = nullptr;
xMorvaEngineServices* sEngineServices = nullptr;
}  // namespace

xMorvaAreaServices* GetDocumentAreaServices() { return sAreaServices; }

xMorvaAreaServices* SetDocumentAreaServices(xMorvaAreaServices* services) {
  xMorvaAreaServices* previous = sAreaServices;
  sAreaServices = services;
  return previous;
}

void ShowDocumentAlert(int16_t listOffset, int16_t item) {
  if (sAreaServices != nullptr) sAreaServices->ShowAlert(listOffset, item);
}

void GetDocumentListString(VString& text, int16_t listOffset, int16_t item) {
  text.SetEmpty(true);
  if (sAreaServices != nullptr) sAreaServices->GetListString(text, listOffset, item);
}

xMorvaEngineServices* GetDocumentEngineServices() { return sEngineServices; }

xMorvaEngineServices* SetDocumentEngineServices(xMorvaEngineServices* services) {
  xMorvaEngineServices* previous = sEngineServices;
  sEngineServices = services;
  return previous;
}

int32_t WidestBodyLine(xMorvaDocumentInterface& document) {
  return sEngineServices != nullptr ? sEngineServices->GetWidestBodyLine(document) : 0;
}

void GetDocumentFontName(xMorvaDocumentInterface& document, int16_t font, VString& name) {
  name.SetEmpty(true);
  if (sEngineServices != nullptr) sEngineServices->GetFontName(document, font, name);
}

xMorvaTextInterface* NewDocumentText(xMorvaUndo* undo, uint16_t granule) {
  return sEngineServices != nullptr ? sEngineServices->NewText(undo, granule) : nullptr;
}
