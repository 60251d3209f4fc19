// xMorvaInsertPageNumberDialog: what a page-number field shows (the page's
// number or the count of pages) and in which numbering style, before
// document command 402 puts the field at the selection.
#pragma once

#include <cstdint>

#include "dialogs/xMorvaDialog.h"

// The page-number field's format word as far as the dialog goes: bit 0 the
// count of pages (else the page's number), bits 28 to 31 the numbering
// style 0 to 15; bits 1 to 27 are not the dialog's and pass through.
class xMorvaInsertPageNumberDialog : public xMorvaDialog {
 public:
  xMorvaInsertPageNumberDialog(xMorvaPlugIn* area, uint32_t word);
  ~xMorvaInsertPageNumberDialog() override;

  uint32_t GetChoice() const { return fWord; }

  bool BeforeOpen() override;
  bool AfterOpen() override;
  bool ReadValues() override;

 private:
  uint32_t fWord;
};

// The word with the two drop-downs' items: "number or total" item 1 the
// page's number, item 2 the count; "format" item n the style n - 1 of the
// `styles` the list holds. An item no list has keeps that part.
uint32_t PageNumberWordFromItems(uint32_t word, int32_t numberOrTotal, int32_t format, int32_t styles);

// Command 402: on OK `word` holds the chosen format word.
bool RunPageNumberDialog(xMorvaPlugIn& area, uint32_t& word);
