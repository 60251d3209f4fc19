// xMorvaDocumentPreferencesDialog: the document-wide settings (unit of
// lengths, first page number, headers and footers on the first and on left
// and right pages, widow control, binding, default tab interval, the first
// page's side and facing pages) with a preview of the page layout, and the
// speller's engine and dictionary files (document command 105). It applies
// what the user accepted itself.
#pragma once

#include <cstdint>

#include "dialogs/xMorvaDialog.h"
#include "document/xMorvaDocParams.h"

class xMorvaDocumentPreferencesDialog : public xMorvaDialog {
 public:
  // The first page numbers a document takes, as the area's option does.
  static constexpr int32_t kFirstPageNumberMin = 1;
  static constexpr int32_t kFirstPageNumberMax = 3000;

  xMorvaDocumentPreferencesDialog(xMorvaPlugIn* area, xMorvaDocument& document);
  ~xMorvaDocumentPreferencesDialog() override;

  const xMorvaDocParams& GetParams() const { return fParams; }

  bool BeforeOpen() override;
  bool AfterOpen() override;
  void ItemHit(const VString& objectName, int16_t page) override;
  bool ReadValues() override;

 private:
  void ShowPreview();
  void ShowSpellerFiles();
  void ChooseSpellerFile(int16_t kind);

  xMorvaDocument& fDocument;
  xMorvaDocParams fParams;
};

// The binding the parameters allow for `pixels`: within 0 and what the page
// leaves beside its margins and the narrowest columns; 0 when even that is
// below 0.
int32_t ClampedBinding(const xMorvaDocParams& params, int32_t pixels);

// What accepting new parameters does to a document: nothing but take them
// (the unit, flags of headers and footers, the first page), the page breaks
// again from the first page (widow control), or everything composed again
// (binding or default tab).
enum class xMorvaPreferencesChange { kNone, kTake, kPaginate, kRecompose };
xMorvaPreferencesChange PreferencesChange(const xMorvaDocParams& before, const xMorvaDocParams& after);

// Command 105.
bool RunDocumentPreferencesDialog(xMorvaPlugIn& area, xMorvaDocument& document);
