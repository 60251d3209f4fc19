// xMorvaDocumentInformationsDialog: the document's information (title,
// subject, author, company, notes, the locked flag) edited, and its
// creation and modification stamps shown (document command 801). It writes
// what the user accepted into the document itself.
#pragma once

#include <cstdint>

#include "dialogs/xMorvaDialog.h"
#include "framework/core/strings/VUniString.h"

class xMorvaDocumentInformationsDialog : public xMorvaDialog {
 public:
  xMorvaDocumentInformationsDialog(xMorvaPlugIn* area, xMorvaDocument& document);
  ~xMorvaDocumentInformationsDialog() override;

  bool IsModified() const { return fModified != 0; }

  bool AfterOpen() override;
  bool ReadValues() override;
  void ValueChanged(const VString& objectName, int16_t page) override;

 private:
  static constexpr int32_t kTexts = 5;

  uint8_t fModified = 0;
  xMorvaDocument& fDocument;
  // Each text as the form gave it back once shown: a text the form cannot
  // hold whole (notes beyond what a text handle carries, characters the
  // host's text has no code for) comes back shortened, and is taken back
  // only when the user changed it.
  VStrInHandle fShown[kTexts];
};

// Command 801.
bool RunDocumentInformationsDialog(xMorvaPlugIn& area, xMorvaDocument& document);
