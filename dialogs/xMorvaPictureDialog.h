// xMorvaPictureDialog: where a picture given by a host expression goes, on
// the form "mvPastePicture": into the text, or onto the page, on which
// pages and with which flags. The dialog works on its own copy of the
// placement; the caller reads it back after an accepted run.
#pragma once

#include <cstdint>

#include "dialogs/xMorvaDialog.h"

class xMorvaDocument;
struct xMorvaPagePicture;

// A page choice: a value >= 0 is a 0-based page index; the others choose
// every page or one of the two kinds of alternate pages.
constexpr int32_t kPageChoiceEvery = -1;
constexpr int32_t kPageChoiceAlternateA = -2;
constexpr int32_t kPageChoiceAlternateB = -3;

class xMorvaPictureDialog : public xMorvaDialog {
 public:
  xMorvaPictureDialog(xMorvaPlugIn* area, xMorvaDocument* document);

  // 1 in the text, 0 on the page.
  uint8_t GetWhere() const { return fWhere; }
  int32_t GetX() const { return fX; }
  int32_t GetY() const { return fY; }
  int32_t GetPageChoice() const { return fPageChoice; }
  uint8_t GetNotInFirstPage() const { return fNotInFirstPage; }
  uint8_t GetBehindText() const { return fBehindText; }
  uint16_t GetDrawingMode() const { return fDrawingMode; }
  // The page the choice "this page" stands for, before the run.
  void SetCurrentPage(int32_t index) { fCurrentPage = index; }

  // The 'PICT' offset from the resource base that illustrates the choice.
  static int16_t IllustrationOffset(uint8_t where, uint8_t behindText);
  // Whether the alternate pages can be chosen in the document.
  static bool HasAlternatePages(const xMorvaDocument* document);

  bool ReadValues() override;
  bool AfterOpen() override;
  void ItemHit(const VString& objectName, int16_t page) override;

 private:
  uint8_t fWhere = 1;
  int32_t fX = 50;
  int32_t fY = 50;
  int32_t fPageChoice = 0;
  uint8_t fNotInFirstPage = 0;
  uint8_t fBehindText = 0;
  uint16_t fDrawingMode = 5;
  xMorvaDocument* fDocument;
  int32_t fCurrentPage = 0;
  int16_t fShownIllustration = 0;
};

// The paste picture command's dialog: on OK `placement` is 1 in the text
// or 0 on the page; on the page `entry` holds the picture's top-left
// corner, its page choice (the caret's page comes in), whether it is left
// out of the first page, whether it lies behind the text and its drawing
// mode.
bool RunPictureDialog(xMorvaPlugIn& area, xMorvaDocument& document, int16_t& placement,
                      xMorvaPagePicture& entry);
