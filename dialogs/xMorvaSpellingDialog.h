// The spelling dialog ("mvSpelling"): walks through the words the area's
// speller does not know, one at a time. It shows the word, the speller's
// suggestions and an editable correction; each button acts through the
// speller and then looks for the next word, and the dialog closes by itself
// after the last one. All the work on the text and the dictionaries is the
// speller's.
#pragma once

#include <string>
#include <vector>

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
  // Offers a correction: the form shows it as its character set can, and
  // what it shows is kept to tell later whether the user edited it.
  void OfferCorrection(const std::u16string& correction);
  // The correction to make: the one offered while the form still shows it
  // unedited, else the user's text.
  std::u16string Correction();

  xMorvaWinSpeller& fSpeller;
  // The current word's suggestions and the correction offered, with the
  // document's own letters, which the host's form may not all hold.
  std::vector<std::u16string> fSuggestions;
  std::u16string fOffered;
  std::u16string fShown;
};

// What the area's speller runs: the dialog on the speller.
class xMorvaSpellingDialogService final : public xMorvaSpellingDialogs {
 public:
  void RunSpelling(xMorvaPlugIn& area, xMorvaWinSpeller& speller) override;
};
