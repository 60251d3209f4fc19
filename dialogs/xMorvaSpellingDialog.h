// The spelling dialog ("mvSpelling"): walks through the words the area's
// speller does not know, one at a time. It shows the word, the speller's
// suggestions and an editable correction; each button acts through the
// speller and then looks for the next word, and the dialog closes by itself
// after the last one. All the work on the text and the dictionaries is the
// speller's.
#pragma once

#include "area/spelling/xMorvaWinSpeller.h"
#include "dialogs/xMorvaDialog.h"

class xMorvaSpellingDialog : public xMorvaDialog {
 public:
  xMorvaSpellingDialog(xMorvaPlugIn* area, xMorvaWinSpeller& speller);

  // Empties the form and looks for the first word: false (the dialog never
  // shows) when there is none.
  bool BeforeOpen() override;
  // Shows the current word, its suggestions and the correction.
  bool AfterOpen() override;
  void ItemHit(const VString& objectName, int16_t page) override;

 private:
  // After a button: the next word, or the end of the run.
  void GoOn();

  xMorvaWinSpeller& fSpeller;
};

// What the area's speller runs: the dialog on the speller.
class xMorvaSpellingDialogService final : public xMorvaSpellingDialogs {
 public:
  void RunSpelling(xMorvaPlugIn& area, xMorvaWinSpeller& speller) override;
};
