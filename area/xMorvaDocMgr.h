// xMorvaDocMgr: the document manager of the word processor's plug-in
// objects. It names the kind ('XMOR') and version of what the objects keep
// with the host's form objects, and loads an object's document from the
// host field it is bound to, or stores it back there.
#pragma once

#include <cstdint>

#include "views/VPlugInDocMgr.h"

class xMorvaDocument;
class xMorvaMain;

constexpr uint32_t kDocumentKind = FourCC("XMOR");
constexpr uint32_t kDocumentVersion = 0x067000F1;

class xMorvaDocMgr : public VPlugInDocMgr {
 public:
  // `document` may be null (the placeholder has none); `printing` is set
  // for the manager of a printing object.
  xMorvaDocMgr(xMorvaDocument* document, bool printing);

  bool UsesFormData() override { return false; }
  uint32_t GetSignature() override { return kDocumentKind; }
  uint32_t GetVersion() override { return kDocumentVersion; }
  bool CanUseBlobField() override { return true; }
  bool CanUsePictureField() override { return true; }
  void LoadFromField(VObject* plugIn) override;
  void SaveToField(VObject* plugIn) override;

  xMorvaDocument* GetDocument() const { return fDocument; }
  bool IsPrinting() const { return fPrinting != 0; }
  // Set when the document was read from the older format: storing it back
  // asks first. Cleared by the next load and by a store, after which the
  // field holds the own format.
  bool IsFromOlderFormat() const { return fFromOlderFormat != 0; }
  void SetFromOlderFormat(bool on) { fFromOlderFormat = on ? 1 : 0; }
  // The code of the last load (0 when it succeeded).
  int32_t GetLastLoadCode() const { return fLastLoadCode; }

  // The conversion question: true at once when package option 5 is off or
  // the preferences hold 'CONV'; otherwise the user's answer, and a ticked
  // box switches option 5 off and stores 'CONV'.
  static bool MayStoreConverted(xMorvaMain& package);

 private:
  // Reads the bound field: 0, or the reader's code; 208 when the field
  // cannot be opened.
  int32_t ReadField();

  xMorvaDocument* fDocument;
  uint8_t fPrinting;
  uint8_t fFromOlderFormat = 0;
  int32_t fLastLoadCode = 0;
};
