// The document model's calls to the services that the editing area and the
// text engine install for it at start, with their answers when none is.
#include "document/xMorvaAreaServices.h"
#include "document/xMorvaEngineServices.h"
#include "document/xMorvaText.h"
#include "framework/core/strings/VString.h"

void ShowDocumentAlert(int16_t listOffset, int16_t item) {
  if (xMorvaAreaServices* services = xMorvaAreaServiceSlot::Get()) services->ShowAlert(listOffset, item);
}

void GetDocumentListString(VString& text, int16_t listOffset, int16_t item) {
  text.SetEmpty(true);
  if (xMorvaAreaServices* services = xMorvaAreaServiceSlot::Get())
    services->GetListString(text, listOffset, item);
}

VMemHandle CopyDocumentPackageResource(uint32_t type) {
  xMorvaAreaServices* services = xMorvaAreaServiceSlot::Get();
  return services != nullptr ? services->CopyPackageResource(type) : 0;
}

int32_t WidestBodyLine(xMorvaDocumentInterface& document) {
  xMorvaEngineServices* services = xMorvaEngineServiceSlot::Get();
  return services != nullptr ? services->GetWidestBodyLine(document) : 0;
}

void GetDocumentFontName(xMorvaDocumentInterface& document, int16_t font, VString& name) {
  name.SetEmpty(true);
  if (xMorvaEngineServices* services = xMorvaEngineServiceSlot::Get())
    services->GetFontName(document, font, name);
}

xMorvaTextInterface* NewDocumentText(xMorvaUndo* undo, uint16_t granule) {
  xMorvaEngineServices* services = xMorvaEngineServiceSlot::Get();
  return services != nullptr ? services->NewText(undo, granule) : nullptr;
}

int16_t DocumentFontIndex(xMorvaDocumentInterface& document, const VString& name) {
  xMorvaEngineServices* services = xMorvaEngineServiceSlot::Get();
  return services != nullptr ? services->FontIndexForName(document, name) : 0;
}

int32_t FormatDocumentListNumber(int32_t n, int32_t style, char16_t* last) {
  xMorvaEngineServices* services = xMorvaEngineServiceSlot::Get();
  return services != nullptr ? services->FormatListNumber(n, style, last) : 0;
}

xMorvaLayoutInterface* NewDocumentLayout(xMorvaDocumentInterface& document,
                                         xMorvaTextInterface* const parts[7], VPort* port) {
  xMorvaEngineServices* services = xMorvaEngineServiceSlot::Get();
  return services != nullptr ? services->NewLayout(document, parts, port) : nullptr;
}
