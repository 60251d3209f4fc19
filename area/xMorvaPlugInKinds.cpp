// The placeholder, output and printing objects of the word processor, and
// what every plug-in object of it shares for the host language.
#include "area/xMorvaPlugInKinds.h"

#include "area/printing/xMorvaPrintCommands.h"
#include "area/xMorvaDocMgr.h"
#include "area/xMorvaMain.h"
#include "boundary/HostRecords.h"
#include "boundary/HostSelectors.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaLayoutInterface.h"
#include "document/xMorvaText.h"
#include "graphics/VPort.h"

// ---- xMorvaHostObject

xMorvaHostObject::xMorvaHostObject(xMorvaMain* package, VPlugInObject* object) : fPackage(package) {
  if (fPackage != nullptr) fReference = fPackage->AddReference(object, this);
}

xMorvaHostObject::~xMorvaHostObject() {
  if (fPackage != nullptr) fPackage->RemoveReference(fReference);
}

bool xMorvaHostObject::IsCreatingEvent(void** params) {
  const auto* record = params != nullptr ? static_cast<const HostEventRecord*>(params[kAreaEventRecordEntry]) : nullptr;
  return record != nullptr && (record->what == kAreaEventCreate || record->what == kAreaEventCreateFromRecord);
}

void xMorvaHostObject::HandOutReference(void** params) const {
  if (!IsCreatingEvent(params) || fReference == 0) return;
  static_cast<HostEventRecord*>(params[kAreaEventRecordEntry])->when = fReference;
}

xMorvaPlugIn* xMorvaHostObject::GetAreaObject() {
  const xMorvaDocument* document = GetDocument();
  return document != nullptr && !document->IsOffscreen() ? GetEditingArea() : nullptr;
}

void xMorvaHostObject::ForgetDocument() {
  if (fPackage != nullptr && GetDocument() != nullptr) fPackage->ForgetDocument(GetDocument());
}

// ---- The kinds

namespace {
// Output and printing documents start from the defaults.
std::unique_ptr<xMorvaDocument> NewObjectDocument(xMorvaMain* package) {
  std::unique_ptr<xMorvaDocument> document(new xMorvaDocument(nullptr));
  if (package != nullptr) package->CopyDefaultsTo(*document, false);
  document->Reset(false);
  return document;
}
}  // namespace

xMorvaDesignPlugIn::xMorvaDesignPlugIn(xMorvaMain* package, void* params, int32_t routine)
    : VDesignPlugIn(package, params, routine, xMorvaMain::kAreaIconOffset), xMorvaHostObject(package, this) {}

xMorvaDesignPlugIn::~xMorvaDesignPlugIn() = default;

VPlugInDocMgr* xMorvaDesignPlugIn::NewDocMgr() { return new xMorvaDocMgr(nullptr, false); }

void xMorvaDesignPlugIn::DrawPicture(void** params) {
  const bool creating = IsCreatingEvent(params);
  VDesignPlugIn::DrawPicture(params);
  if (creating) HandOutReference(params);
}

xMorvaOutputPlugIn::xMorvaOutputPlugIn(xMorvaMain* package, void* params)
    : VOutputPlugIn(package, params), xMorvaHostObject(package, this), fDocument(NewObjectDocument(package)) {}

xMorvaOutputPlugIn::~xMorvaOutputPlugIn() { ForgetDocument(); }

VPlugInDocMgr* xMorvaOutputPlugIn::NewDocMgr() { return new xMorvaDocMgr(fDocument.get(), false); }

void xMorvaOutputPlugIn::DrawOutput(void** params) {
  const bool creating = IsCreatingEvent(params);
  VOutputPlugIn::DrawOutput(params);
  if (creating) HandOutReference(params);
}

void xMorvaOutputPlugIn::Draw(VPort& port) {
  port.EraseRect(0, 0, GetWidth(), GetHeight());
  xMorvaLayoutInterface* layout = fDocument ? fDocument->GetLayout() : nullptr;
  if (layout == nullptr) return;
  // Lines wider than the area are cut at its edge.
  port.PushClip(false);
  port.ClipToRect(VRect(0, 0, GetWidth(), GetHeight()), true);
  layout->DrawBodyLines(port, 0, 0, GetHeight());
  port.PopClip();
}

xMorvaPrintingPlugIn::xMorvaPrintingPlugIn(xMorvaMain* package, void* params)
    : VPrintingPlugIn(package, params), xMorvaHostObject(package, this), fDocument(NewObjectDocument(package)) {}

xMorvaPrintingPlugIn::~xMorvaPrintingPlugIn() { ForgetDocument(); }

VPlugInDocMgr* xMorvaPrintingPlugIn::NewDocMgr() { return new xMorvaDocMgr(fDocument.get(), true); }

void xMorvaPrintingPlugIn::PrintPage(void** params) {
  const bool creating = IsCreatingEvent(params);
  VPrintingPlugIn::PrintPage(params);
  if (creating) HandOutReference(params);
}

// ---- The printing object's slices

bool xMorvaPrintingPlugIn::IsFixedHeight() {
  uint16_t option4 = 0;
  if (fDocument) fDocument->GetAreaSetting(4, option4, nullptr);
  return option4 == 0;
}

int32_t xMorvaPrintingPlugIn::HeightLeft(bool restart) {
  if (restart) {
    fNextPage = 0;
    fPrintedHeight = 0;
  }
  if (!fDocument) return 0;
  if (!IsFixedHeight()) return GetHeight();
  xMorvaTextInterface* body = fDocument->GetBodyText();
  if (body == nullptr || body->GetStreamSize() == 0) return 0;
  const int32_t total = fDocument->GetBodyPageCount() * fDocument->GetParams().GetPageHeight();
  return total > fPrintedHeight ? total - fPrintedHeight : 0;
}

void xMorvaPrintingPlugIn::PrintNextLines(VPort& port, int32_t) {
  if (!fDocument || fNextPage >= fDocument->GetBodyPageCount()) return;
  fDocument->DrawPageForPrinting(port, fNextPage, 0, 0);
  fPrintedHeight += fDocument->GetParams().GetPageHeight();
  ++fNextPage;
  xMorvaPrinting::SetCurrentPrintedPage(xMorvaPrinting::GetCurrentPrintedPage() + 1);
}

bool xMorvaPrintingPlugIn::StartPrinting() { return HeightLeft(true) > 0; }

void xMorvaPrintingPlugIn::PrintInPort(VPort& port, int32_t height) { PrintNextLines(port, height); }

bool xMorvaPrintingPlugIn::EndPrinting(bool printing) { return printing && HeightLeft(false) > 0; }
