// The edit dialogs of a picture: on the page ("mvEditPictureInPage":
// position, size, pages, flags, drawing mode and host expression) and in
// the text ("mvEditPicture": size, drawing mode and host expression). A
// size shows in the document's unit or, relative, in percent of the
// picture's own size; proportional keeps the own proportions. Each dialog
// works on a copy its caller reads back after an accepted run.
#pragma once

#include <cstdint>

#include "area/view/xMorvaPicturesInPage.h"
#include "dialogs/xMorvaDialog.h"

class VHostRef;
class xMorvaDocument;

// The size rules both dialogs share. A picture whose own width or height
// is 0 or less (empty, or failed to load) has no proportions: relative and
// proportional sizes are then off, and products are taken in 64 bits.
namespace xMorvaPictureSizes {
bool CanScale(int32_t ownWidth, int32_t ownHeight);
// value x 100 / own, truncated; 0 without an own size.
int32_t Percent(int32_t value, int32_t own);
// percent x own / 100, truncated.
int32_t FromPercent(int32_t percent, int32_t own);
// other own x value / own, truncated; `value` unchanged without an own size.
int32_t Proportional(int32_t value, int32_t own, int32_t otherOwn);
}  // namespace xMorvaPictureSizes

// What the size part of both forms edits.
struct xMorvaPictureSizeState {
  int32_t width = 0, height = 0, ownWidth = 0, ownHeight = 0;
  uint8_t relative = 0, proportional = 0;
  // "cbProportionnal", "cbRelative", "vWidth", "vHeight": true when the
  // object was one of them.
  bool Hit(xMorvaDialog& dialog, const VString& objectName, const xMorvaDocParams& params);
  // The two flags and the two sizes; `maxWidth` and `maxHeight` bound the
  // sizes in pixels when not relative.
  void Show(xMorvaDialog& dialog, const xMorvaDocParams& params, int32_t maxWidth,
            int32_t maxHeight);
};

class xMorvaEditPictureInPageDialog : public xMorvaDialog {
 public:
  // `expression` (may be null, not owned) is the host expression the
  // picture comes from; `hasExpression` tells whether the entry has one.
  xMorvaEditPictureInPageDialog(xMorvaPlugIn* area, xMorvaDocument* document,
                                const xMorvaPagePicture& entry, bool hasExpression,
                                VHostRef* expression);

  // The entry as edited.
  const xMorvaPagePicture& GetEntry() const { return fEntry; }
  bool ExpressionChanged() const { return fExpressionChanged != 0; }
  const xMorvaPictureSizeState& GetSizes() const { return fSizes; }
  // The page index the page entry's number stands for, within the document.
  int32_t PageOfNumber(double number) const;

  bool BeforeOpen() override;
  bool AfterOpen() override;
  void ItemHit(const VString& objectName, int16_t page) override;
  bool ReadValues() override;

 private:
  int32_t FirstPageNumber() const;
  int32_t PageCount() const;

  xMorvaPagePicture fEntry;
  uint8_t fHasExpression;
  VHostRef* fExpression;
  uint8_t fExpressionChanged = 0;
  xMorvaPictureSizeState fSizes;
  xMorvaDocument* fDocument;
};

// The settings of a picture in the text the edit dialog works on.
struct xMorvaTextPictureSettings {
  int32_t width = 0, height = 0, ownWidth = 0, ownHeight = 0;
  uint8_t keepsSize = 0;
  int16_t displayMode = 5;
};

class xMorvaEditPictureDialog : public xMorvaDialog {
 public:
  xMorvaEditPictureDialog(xMorvaPlugIn* area, xMorvaDocument* document,
                          const xMorvaTextPictureSettings& settings, VHostRef* expression);

  const xMorvaTextPictureSettings& GetSettings() const { return fSettings; }
  bool ExpressionChanged() const { return fExpressionChanged != 0; }

  bool BeforeOpen() override;
  bool AfterOpen() override;
  void ItemHit(const VString& objectName, int16_t page) override;
  bool ReadValues() override;

 private:
  xMorvaTextPictureSettings fSettings;
  VHostRef* fExpression;
  uint8_t fExpressionChanged = 0;
  xMorvaPictureSizeState fSizes;
  xMorvaDocument* fDocument;
};
