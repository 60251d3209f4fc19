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
  // Shows the document's body lines from the area's top, one under the
  // other, as far as the area reaches.
  void Draw(VPort& port);
  void DrawContent(VPort& port) override { Draw(port); }

 private:
  std::unique_ptr<xMorvaDocument> fDocument;
};

// The printing object prints its document for the host, a slice at a
// time: the host starts (event 27), asks for a slice of the area's height
// (29) and ends (28), whose answer says whether more is left. Each slice is
// the document's next page, drawn as it prints.
class xMorvaPrintingPlugIn : public VPrintingPlugIn, public xMorvaHostObject {
 public:
  xMorvaPrintingPlugIn(xMorvaMain* package, void* params);
  ~xMorvaPrintingPlugIn() override;
  VPlugInDocMgr* NewDocMgr() override;
  void PrintPage(void** params) override;
  xMorvaDocument* GetDocument() const override { return fDocument.get(); }

  // ---- The host's printing.
  bool StartPrinting() override;
  void PrintInPort(VPort& port, int32_t height) override;
  bool EndPrinting(bool printing) override;
  // The area prints at its own height when document option 4 is on;
  // otherwise it grows with its document.
  bool IsFixedHeight();
  // What is left to print, in pixels; `restart` starts from the top. An
  // empty body leaves nothing.
  int32_t HeightLeft(bool restart);
  // Draws the next slice (the next page) into the port.
  void PrintNextLines(VPort& port, int32_t height);
  int32_t GetNextPage() const { return fNextPage; }
  int32_t GetPrintedHeight() const { return fPrintedHeight; }

 private:
  std::unique_ptr<xMorvaDocument> fDocument;
  // Where the printing stands: the next page and the height printed.
  int32_t fNextPage = 0;
  int32_t fPrintedHeight = 0;
};
