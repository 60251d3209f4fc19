// Registration of the plug-in objects with their package and their area's
// object cell.
#include "framework/views/VPlugIn.h"

#include "boundary/HostRecords.h"
#include "host/package/VPackage.h"

namespace {

// The host keeps the area's object in the cell that entry 3 of the
// parameter array points at.
void StoreInCell(void* params, VPlugInObject* object) {
  auto** array = static_cast<void**>(params);
  if (array == nullptr) return;
  auto** cell = static_cast<VPlugInObject**>(array[kAreaObjectCellEntry]);
  if (cell != nullptr) *cell = object;
}

}  // namespace

VPlugIn::VPlugIn(VPackage* package, void* params, bool offscreen)
    : fPackage(package), fOffscreen(offscreen ? 1 : 0) {
  if (fPackage != nullptr) {
    if (offscreen) {
      fPackage->AddOffscreenPlugIn(this);
    } else {
      fPackage->AddFormPlugIn(this);
    }
  }
  StoreInCell(params, this);
}

VPlugIn::~VPlugIn() {
  if (fPackage == nullptr) return;
  if (fSharedFile != nullptr) fPackage->ReleaseSharedResourceFile(fSharedFile);
  if (fOffscreen) {
    fPackage->RemoveOffscreenPlugIn(this);
  } else {
    fPackage->RemoveFormPlugIn(this);
  }
}

void VPlugIn::HandleEvent(void**) {}
void VPlugIn::Close() {}

void VPlugIn::UseSharedResourceFile(uint16_t key, const VString& folderName) {
  if (fPackage != nullptr && fSharedFile == nullptr) fSharedFile = fPackage->AcquireSharedResourceFile(key, folderName);
}

VDesignPlugIn::VDesignPlugIn(VPackage* package, void* params) : fPackage(package) {
  if (fPackage != nullptr) fPackage->AddDesignPlugIn(this);
  StoreInCell(params, this);
}

VDesignPlugIn::~VDesignPlugIn() {
  if (fPackage != nullptr) fPackage->RemoveDesignPlugIn(this);
}

void VDesignPlugIn::DrawPicture(void**) {}

VOutputPlugIn::VOutputPlugIn(VPackage* package, void* params) : fPackage(package) {
  if (fPackage != nullptr) fPackage->AddOutputPlugIn(this);
  StoreInCell(params, this);
}

VOutputPlugIn::~VOutputPlugIn() {
  if (fPackage != nullptr) fPackage->RemoveOutputPlugIn(this);
}

void VOutputPlugIn::DrawOutput(void**) {}

VPrintingPlugIn::VPrintingPlugIn(VPackage* package, void* params) : fPackage(package) {
  if (fPackage != nullptr) fPackage->AddPrintingPlugIn(this);
  StoreInCell(params, this);
}

VPrintingPlugIn::~VPrintingPlugIn() {
  if (fPackage != nullptr) fPackage->RemovePrintingPlugIn(this);
}

void VPrintingPlugIn::PrintPage(void**) {}
