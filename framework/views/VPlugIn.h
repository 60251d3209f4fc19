// The plug-in area base classes as the package routes events to them:
// VPlugIn (an area of a host form, or one without a form), VDesignPlugIn
// (the form editor's placeholder), VOutputPlugIn and VPrintingPlugIn. Each
// registers itself with the package in its kind's list and stores itself
// into the area's object cell when it is made, and leaves the list when it
// is deleted. Their views, drawing and event handling arrive with the view
// framework; until then an event reaches them and changes nothing.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"
#include "host/package/VPlugInObject.h"

class VMacResourceFile;
class VPackage;
class VString;

class VPlugIn : public VObject, public VPlugInObject {
 public:
  // `params` is the host's parameter array of the creating event (null for
  // none); the object goes into its object cell. `offscreen` makes an area
  // without a form.
  VPlugIn(VPackage* package, void* params, bool offscreen);
  ~VPlugIn() override;

  void HandleEvent(void** params) override;
  void Close() override;
  bool IsClosed() const override { return fClosed != 0; }

  bool IsOffscreen() const { return fOffscreen != 0; }
  VPackage* GetPackage() const { return fPackage; }
  // The resource file shared with the other areas of the same key, taken
  // from the package (and given back at deletion); null when none.
  VMacResourceFile* GetSharedResourceFile() const { return fSharedFile; }

 protected:
  // Takes the package's shared file of `key` from the folder; once only.
  void UseSharedResourceFile(uint16_t key, const VString& folderName);
  // Set when the area accepts the host's request to close.
  void SetClosed(bool closed) { fClosed = closed ? 1 : 0; }

 private:
  VPackage* fPackage;
  VMacResourceFile* fSharedFile = nullptr;
  uint8_t fOffscreen;
  uint8_t fClosed = 0;
};

class VDesignPlugIn : public VObject, public VPlugInObject {
 public:
  VDesignPlugIn(VPackage* package, void* params);
  ~VDesignPlugIn() override;
  void DrawPicture(void** params) override;

 private:
  VPackage* fPackage;
};

class VOutputPlugIn : public VObject, public VPlugInObject {
 public:
  VOutputPlugIn(VPackage* package, void* params);
  ~VOutputPlugIn() override;
  void DrawOutput(void** params) override;

 private:
  VPackage* fPackage;
};

class VPrintingPlugIn : public VObject, public VPlugInObject {
 public:
  VPrintingPlugIn(VPackage* package, void* params);
  ~VPrintingPlugIn() override;
  void PrintPage(void** params) override;

 private:
  VPackage* fPackage;
};
