// The placeholder, output and printing objects of the word processor, and
// what every plug-in object of it shares for the host language.
#include "area/xMorvaPlugInKinds.h"

#include "area/xMorvaDocMgr.h"
#include "area/xMorvaMain.h"
#include "document/xMorvaDocument.h"

// ---- xMorvaHostObject

xMorvaHostObject::xMorvaHostObject(xMorvaMain* package, VPlugInObject* object) : fPackage(package) {
  if (fPackage != nullptr) fReference = fPackage->AddReference(object, this);
}

xMorvaHostObject::~xMorvaHostObject() {
  if (fPackage != nullptr) fPackage->RemoveReference(fReference);
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
    : VDesignPlugIn(package, params, routine), xMorvaHostObject(package, this) {}

xMorvaDesignPlugIn::~xMorvaDesignPlugIn() = default;

VPlugInDocMgr* xMorvaDesignPlugIn::NewDocMgr() { return new xMorvaDocMgr(nullptr, false); }

xMorvaOutputPlugIn::xMorvaOutputPlugIn(xMorvaMain* package, void* params)
    : VOutputPlugIn(package, params), xMorvaHostObject(package, this), fDocument(NewObjectDocument(package)) {}

xMorvaOutputPlugIn::~xMorvaOutputPlugIn() { ForgetDocument(); }

VPlugInDocMgr* xMorvaOutputPlugIn::NewDocMgr() { return new xMorvaDocMgr(fDocument.get(), false); }

xMorvaPrintingPlugIn::xMorvaPrintingPlugIn(xMorvaMain* package, void* params)
    : VPrintingPlugIn(package, params), xMorvaHostObject(package, this), fDocument(NewObjectDocument(package)) {}

xMorvaPrintingPlugIn::~xMorvaPrintingPlugIn() { ForgetDocument(); }

VPlugInDocMgr* xMorvaPrintingPlugIn::NewDocMgr() { return new xMorvaDocMgr(fDocument.get(), true); }
