// The word processor's other plug-in kinds: the placeholder of the host's
// form editor (no document), the display-only output object and the
// printing object, each of the last two with a document of its own.
#pragma once

#include <memory>

#include "area/xMorvaHostObject.h"
#include "views/VPlugInKinds.h"

class xMorvaDocument;

class xMorvaDesignPlugIn : public VDesignPlugIn, public xMorvaHostObject {
 public:
  xMorvaDesignPlugIn(xMorvaMain* package, void* params, int32_t routine);
  ~xMorvaDesignPlugIn() override;
  VPlugInDocMgr* NewDocMgr() override;
  void DrawPicture(void** params) override;
};

class xMorvaOutputPlugIn : public VOutputPlugIn, public xMorvaHostObject {
 public:
  xMorvaOutputPlugIn(xMorvaMain* package, void* params);
  ~xMorvaOutputPlugIn() override;
  VPlugInDocMgr* NewDocMgr() override;
  void DrawOutput(void** params) override;
  xMorvaDocument* GetDocument() const override { return fDocument.get(); }

 private:
  std::unique_ptr<xMorvaDocument> fDocument;
};

class xMorvaPrintingPlugIn : public VPrintingPlugIn, public xMorvaHostObject {
 public:
  xMorvaPrintingPlugIn(xMorvaMain* package, void* params);
  ~xMorvaPrintingPlugIn() override;
  VPlugInDocMgr* NewDocMgr() override;
  void PrintPage(void** params) override;
  xMorvaDocument* GetDocument() const override { return fDocument.get(); }

 private:
  std::unique_ptr<xMorvaDocument> fDocument;
};
