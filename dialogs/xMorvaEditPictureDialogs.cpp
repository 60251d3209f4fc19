// The edit dialogs of a picture on the page and in the text: the size in
// the unit or in percent, proportions, pages through the first page
// number, flags, drawing mode and the host expression.
#include "dialogs/xMorvaEditPictureDialogs.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "dialogs/xMorvaFormObjectName.h"
#include "document/xMorvaDocument.h"
#include "framework/core/strings/VUniString.h"
#include "host/dialog/VFormulaDialog.h"

namespace {

constexpr const char* kProportional = "cbProportionnal";
constexpr const char* kRelative = "cbRelative";
constexpr const char* kMode = "droMode";
constexpr const char* kKeepSize = "cbKeepSize";
constexpr const char* kEdit = "butEdit";
constexpr const char* kWidth = "vWidth";
constexpr const char* kHeight = "vHeight";
constexpr const char* kLeft = "vLeft";
constexpr const char* kTop = "vTop";
constexpr const char* kPage = "vPage";
constexpr const char* kPageButtons[4] = {"bpage1", "bpage2", "bpage3", "bpage4"};
constexpr const char* kBehind = "cbBehind";
constexpr const char* kNotInFirstPage = "cbNotInFirstPage";
// The drawing modes, 'STR#' base+123, item n the mode n.
constexpr int16_t kModeListOffset = 123;
constexpr int32_t kModeCount = 6;
constexpr int32_t kMinPercent = 1;
constexpr int32_t kMaxPercent = 10000;

int32_t ToInt32(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

void SetFormatText(xMorvaDialog& dialog, const char* object, const char* format) {
  VStr<255> text;
  text.SetAnsiCText(format);
  dialog.HostFormSetFormat(object, text);
}

// A percentage typed: truncated and kept within the bounds the form shows.
int32_t ReadPercent(xMorvaDialog& dialog, const char* object) {
  const double value = dialog.HostFormGetReal(object);
  if (!std::isfinite(value)) return kMinPercent;
  return static_cast<int32_t>(std::clamp<double>(std::trunc(value), kMinPercent, kMaxPercent));
}

// The drawing mode of the pop-up: its item, or the mode kept for item 0 or
// an item past the list.
int16_t ReadMode(xMorvaDialog& dialog, int16_t current) {
  const int32_t item = dialog.GetItemNumber(kMode);
  return static_cast<int16_t>(DropDownChoice(item, kModeCount, current - 1) + 1);
}

}  // namespace

namespace xMorvaPictureSizes {

bool CanScale(int32_t ownWidth, int32_t ownHeight) { return ownWidth > 0 && ownHeight > 0; }

int32_t Percent(int32_t value, int32_t own) {
  return own > 0 ? ToInt32(int64_t{value} * 100 / own) : 0;
}

int32_t FromPercent(int32_t percent, int32_t own) { return ToInt32(int64_t{percent} * own / 100); }

int32_t Proportional(int32_t value, int32_t own, int32_t otherOwn) {
  return own > 0 ? ToInt32(int64_t{otherOwn} * value / own) : value;
}

}  // namespace xMorvaPictureSizes

// ---- The size part.

void xMorvaPictureSizeState::Show(xMorvaDialog& dialog, const xMorvaDocParams& params,
                                  int32_t maxWidth, int32_t maxHeight) {
  const bool scalable = xMorvaPictureSizes::CanScale(ownWidth, ownHeight);
  if (!scalable) relative = proportional = 0;
  dialog.HostFormSetLong(kProportional, proportional);
  dialog.HostFormSetLong(kRelative, relative);
  dialog.HostFormEnableObject(kProportional, scalable);
  dialog.HostFormEnableObject(kRelative, scalable);
  if (relative == 0) {
    dialog.ShowLength(kWidth, params, width);
    dialog.ShowLength(kHeight, params, height);
    dialog.HostFormSetMinimumReal(kWidth, 0);
    dialog.HostFormSetMaximumReal(kWidth, params.ToDisplayUnit(maxWidth));
    dialog.HostFormSetMinimumReal(kHeight, 0);
    dialog.HostFormSetMaximumReal(kHeight, params.ToDisplayUnit(maxHeight));
    return;
  }
  SetFormatText(dialog, kWidth, "####0 %");
  SetFormatText(dialog, kHeight, "####0 %");
  dialog.HostFormSetReal(kWidth, xMorvaPictureSizes::Percent(width, ownWidth));
  dialog.HostFormSetReal(kHeight, xMorvaPictureSizes::Percent(height, ownHeight));
  for (const char* object : {kWidth, kHeight}) {
    dialog.HostFormSetMinimumReal(object, kMinPercent);
    dialog.HostFormSetMaximumReal(object, kMaxPercent);
  }
}

bool xMorvaPictureSizeState::Hit(xMorvaDialog& dialog, const VString& objectName,
                                 const xMorvaDocParams& params) {
  const bool scalable = xMorvaPictureSizes::CanScale(ownWidth, ownHeight);
  if (IsFormObject(objectName, kProportional)) {
    // Without an own size there is nothing to keep in proportion.
    proportional = scalable && dialog.GetItemNumber(kProportional) != 0 ? 1 : 0;
    if (proportional != 0) height = xMorvaPictureSizes::Proportional(width, ownWidth, ownHeight);
  } else if (IsFormObject(objectName, kRelative)) {
    relative = scalable && dialog.GetItemNumber(kRelative) != 0 ? 1 : 0;
  } else if (IsFormObject(objectName, kWidth)) {
    width = relative != 0 ? xMorvaPictureSizes::FromPercent(ReadPercent(dialog, kWidth), ownWidth)
                          : std::max(0, dialog.ReadLength(kWidth, params));
    if (proportional != 0) height = xMorvaPictureSizes::Proportional(width, ownWidth, ownHeight);
  } else if (IsFormObject(objectName, kHeight)) {
    height = relative != 0
                 ? xMorvaPictureSizes::FromPercent(ReadPercent(dialog, kHeight), ownHeight)
                 : std::max(0, dialog.ReadLength(kHeight, params));
    if (proportional != 0) width = xMorvaPictureSizes::Proportional(height, ownHeight, ownWidth);
  } else {
    return false;
  }
  return true;
}

namespace {

// The expression's button and the keep-size box, only with an expression.
void ShowExpressionObjects(xMorvaDialog& dialog, bool hasExpression, uint8_t keepsSize) {
  dialog.HostFormEnableObject(kKeepSize, hasExpression);
  dialog.HostFormEnableObject(kEdit, hasExpression);
  if (hasExpression) dialog.HostFormSetLong(kKeepSize, keepsSize);
}

// The formula editor on the expression, this dialog hidden meanwhile.
bool EditExpression(xMorvaDialog& dialog, VHostRef* expression) {
  dialog.SetVisible(false);
  const bool accepted = RunFormulaDialog(expression);
  dialog.SetVisible(true);
  return accepted;
}

}  // namespace

// ---- On the page.

xMorvaEditPictureInPageDialog::xMorvaEditPictureInPageDialog(xMorvaPlugIn* area,
                                                             xMorvaDocument* document,
                                                             const xMorvaPagePicture& entry,
                                                             bool hasExpression,
                                                             VHostRef* expression)
    : xMorvaDialog(area, "mvEditPictureInPage"),
      fEntry(entry),
      fHasExpression(hasExpression ? 1 : 0),
      fExpression(expression),
      fDocument(document) {
  fSizes.width = entry.shownWidth;
  fSizes.height = entry.shownHeight;
  fSizes.ownWidth = entry.naturalWidth;
  fSizes.ownHeight = entry.naturalHeight;
}

int32_t xMorvaEditPictureInPageDialog::FirstPageNumber() const {
  return fDocument != nullptr ? fDocument->GetParams().GetFirstPageNumber() : 1;
}

int32_t xMorvaEditPictureInPageDialog::PageCount() const {
  return fDocument != nullptr ? std::max<int32_t>(1, fDocument->GetBodyPageCount()) : 1;
}

int32_t xMorvaEditPictureInPageDialog::PageOfNumber(double number) const {
  // The form's bounds are not trusted: a number below the first page would
  // give -1, -2 or -3, which mean every or alternate pages.
  if (!std::isfinite(number)) return 0;
  const double index = std::trunc(number) - FirstPageNumber();
  return static_cast<int32_t>(std::clamp<double>(index, 0, PageCount() - 1));
}

bool xMorvaEditPictureInPageDialog::BeforeOpen() {
  FillFromList(kMode, kModeListOffset);
  return true;
}

bool xMorvaEditPictureInPageDialog::AfterOpen() {
  if (fDocument == nullptr) return false;
  const xMorvaDocParams& params = fDocument->GetParams();
  fSizes.Show(*this, params, params.GetPageWidth(), params.GetPageHeight());
  HostFormSetLong(kMode, fEntry.displayMode);
  ShowExpressionObjects(*this, fHasExpression != 0 && fExpression != nullptr, fEntry.keepsSize);
  VStr<255> format;
  if (fEntry.page < 0) {
    HostFormSetLong(kPageButtons[0], 0);
    HostFormSetEnterable(kPage, false);
    SetFormatText(*this, kPage, "#");
    HostFormSetReal(kPage, 0);
  } else {
    HostFormSetLong(kPageButtons[0], 1);
    HostFormSetEnterable(kPage, true);
    SetFormatText(*this, kPage, "### ##0");
    HostFormSetReal(kPage, double(int64_t{fEntry.page} + FirstPageNumber()));
    HostFormSetMinimumReal(kPage, FirstPageNumber());
    HostFormSetMaximumReal(kPage, double(int64_t{FirstPageNumber()} + PageCount() - 1));
  }
  const bool alternate = params.GetDifferentLeftRight() != 0;
  for (int i = 1; i < 4; ++i) {
    HostFormSetLong(kPageButtons[i], fEntry.page == -i ? 1 : 0);
    if (i >= 2) HostFormEnableObject(kPageButtons[i], alternate);
  }
  HostFormSetLong(kBehind, fEntry.behindText);
  HostFormSetLong(kNotInFirstPage, fEntry.notOnFirstPage);
  HostFormEnableObject(kNotInFirstPage, fEntry.page < 0);
  ShowLength(kLeft, params, fEntry.left);
  HostFormSetMinimumReal(kLeft, 0);
  HostFormSetMaximumReal(kLeft, params.ToDisplayUnit(params.GetPageWidth()));
  ShowLength(kTop, params, fEntry.top);
  HostFormSetMinimumReal(kTop, 0);
  HostFormSetMaximumReal(kTop, params.ToDisplayUnit(params.GetPageHeight()));
  return true;
}

void xMorvaEditPictureInPageDialog::ItemHit(const VString& objectName, int16_t) {
  if (fDocument == nullptr) return;
  const xMorvaDocParams& params = fDocument->GetParams();
  if (fSizes.Hit(*this, objectName, params)) {
  } else if (IsFormObject(objectName, kPageButtons[0])) {
    fEntry.page = std::clamp<int32_t>(fDocument->GetCaretPage(), 0, PageCount() - 1);
  } else if (IsFormObject(objectName, kEdit)) {
    if (fHasExpression != 0 && fExpression != nullptr && EditExpression(*this, fExpression))
      fExpressionChanged = 1;
  } else if (IsFormObject(objectName, kKeepSize)) {
    if (fHasExpression != 0 && fExpression != nullptr)
      fEntry.keepsSize = GetItemNumber(kKeepSize) != 0 ? 1 : 0;
  } else if (IsFormObject(objectName, kMode)) {
    fEntry.displayMode =
        static_cast<uint16_t>(ReadMode(*this, static_cast<int16_t>(fEntry.displayMode)));
  } else if (IsFormObject(objectName, kPage)) {
    if (fEntry.page >= 0) fEntry.page = PageOfNumber(HostFormGetReal(kPage));
  } else if (IsFormObject(objectName, kPageButtons[1])) {
    fEntry.page = -1;
  } else if (IsFormObject(objectName, kPageButtons[2]) ||
             IsFormObject(objectName, kPageButtons[3])) {
    // The alternate pages only where the document has them.
    if (params.GetDifferentLeftRight() != 0)
      fEntry.page = IsFormObject(objectName, kPageButtons[2]) ? -2 : -3;
  } else if (IsFormObject(objectName, kBehind)) {
    fEntry.behindText = GetItemNumber(kBehind) != 0 ? 1 : 0;
  } else if (IsFormObject(objectName, kNotInFirstPage)) {
    fEntry.notOnFirstPage = GetItemNumber(kNotInFirstPage) != 0 ? 1 : 0;
  } else if (IsFormObject(objectName, kLeft)) {
    fEntry.left = ReadLength(kLeft, params);
  } else if (IsFormObject(objectName, kTop)) {
    fEntry.top = ReadLength(kTop, params);
  }
  AfterOpen();
}

bool xMorvaEditPictureInPageDialog::ReadValues() {
  fEntry.shownWidth = fSizes.width;
  fEntry.shownHeight = fSizes.height;
  return true;
}

// ---- In the text.

xMorvaEditPictureDialog::xMorvaEditPictureDialog(xMorvaPlugIn* area, xMorvaDocument* document,
                                                 const xMorvaTextPictureSettings& settings,
                                                 VHostRef* expression)
    : xMorvaDialog(area, "mvEditPicture"),
      fSettings(settings),
      fExpression(expression),
      fDocument(document) {
  fSizes.width = settings.width;
  fSizes.height = settings.height;
  fSizes.ownWidth = settings.ownWidth;
  fSizes.ownHeight = settings.ownHeight;
}

bool xMorvaEditPictureDialog::BeforeOpen() {
  FillFromList(kMode, kModeListOffset);
  return true;
}

bool xMorvaEditPictureDialog::AfterOpen() {
  if (fDocument == nullptr) return false;
  const xMorvaDocParams& params = fDocument->GetParams();
  const int32_t page = std::max<int32_t>(0, fDocument->GetCaretPage());
  fSizes.Show(*this, params, fDocument->CurrentTextWidth(), params.TextHeight(page));
  HostFormSetLong(kMode, fSettings.displayMode);
  ShowExpressionObjects(*this, fExpression != nullptr, fSettings.keepsSize);
  return true;
}

void xMorvaEditPictureDialog::ItemHit(const VString& objectName, int16_t) {
  if (fDocument == nullptr) return;
  if (fSizes.Hit(*this, objectName, fDocument->GetParams())) {
  } else if (IsFormObject(objectName, kKeepSize)) {
    if (fExpression != nullptr) fSettings.keepsSize = GetItemNumber(kKeepSize) != 0 ? 1 : 0;
  } else if (IsFormObject(objectName, kMode)) {
    fSettings.displayMode = ReadMode(*this, fSettings.displayMode);
  } else if (IsFormObject(objectName, kEdit)) {
    if (fExpression != nullptr && EditExpression(*this, fExpression)) fExpressionChanged = 1;
  }
  AfterOpen();
}

bool xMorvaEditPictureDialog::ReadValues() {
  fSettings.width = fSizes.width;
  fSettings.height = fSizes.height;
  return true;
}
