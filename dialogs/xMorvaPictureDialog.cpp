// The paste picture dialog: text or page, the pages and flags of a picture
// on the page, and the illustration of the choice.
#include "dialogs/xMorvaPictureDialog.h"

#include "area/view/xMorvaPicturesInPage.h"
#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "dialogs/xMorvaFormObjectName.h"
#include "document/xMorvaDocument.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "graphics/VShape.h"

namespace {

constexpr const char* kInText = "aWhere1";
constexpr const char* kOnPage = "aWhere2";
constexpr const char* kPageButtons[4] = {"bpage1", "bpage2", "bpage3", "bpage4"};
constexpr int32_t kPageButtonChoices[4] = {0, kPageChoiceEvery, kPageChoiceAlternateA,
                                           kPageChoiceAlternateB};
constexpr const char* kBehind = "cbBehind";
constexpr const char* kNotInFirstPage = "cbNotInFirstPage";
constexpr const char* kIllustration = "vPagePreview";
// The illustrations, 'PICT' base+4 (in the text), +5 (on the page, in
// front of the text) and +6 (behind it).
constexpr int16_t kPictInText = 4;
constexpr int16_t kPictInFront = 5;
constexpr int16_t kPictBehind = 6;

}  // namespace

xMorvaPictureDialog::xMorvaPictureDialog(xMorvaPlugIn* area, xMorvaDocument* document)
    : xMorvaDialog(area, "mvPastePicture"), fDocument(document) {}

int16_t xMorvaPictureDialog::IllustrationOffset(uint8_t where, uint8_t behindText) {
  if (where == 1) return kPictInText;
  return behindText != 0 ? kPictBehind : kPictInFront;
}

bool xMorvaPictureDialog::HasAlternatePages(const xMorvaDocument* document) {
  return document != nullptr && document->GetParams().GetDifferentLeftRight() != 0;
}

bool xMorvaPictureDialog::AfterOpen() {
  HostFormSetLong(kInText, fWhere == 1 ? 1 : 0);
  HostFormSetLong(kOnPage, fWhere == 0 ? 1 : 0);
  if (fWhere == 1) {
    // In the text no page option applies.
    for (const char* button : kPageButtons) {
      HostFormSetLong(button, 0);
      HostFormEnableObject(button, false);
    }
    HostFormSetLong(kBehind, 0);
    HostFormEnableObject(kBehind, false);
    HostFormSetLong(kNotInFirstPage, 0);
    HostFormEnableObject(kNotInFirstPage, false);
  } else {
    const bool alternate = HasAlternatePages(fDocument);
    for (int i = 0; i < 4; ++i) {
      HostFormSetLong(kPageButtons[i], fPageChoice == kPageButtonChoices[i] ? 1 : 0);
      HostFormEnableObject(kPageButtons[i], i < 2 || alternate);
    }
    HostFormSetLong(kBehind, fBehindText);
    HostFormEnableObject(kBehind, true);
    HostFormSetLong(kNotInFirstPage, fNotInFirstPage);
    HostFormEnableObject(kNotInFirstPage, fPageChoice != 0);
  }
  const int16_t offset = IllustrationOffset(fWhere, fBehindText);
  xMorvaMain* package = GetArea() != nullptr ? GetArea()->GetMorvaPackage() : nullptr;
  if (package != nullptr && offset != fShownIllustration) {
    SetItemPictureResource(kIllustration, package->GetResourceFile(),
                               static_cast<int16_t>(package->GetResourceBase() + offset));
    fShownIllustration = offset;
  }
  return true;
}

void xMorvaPictureDialog::ItemHit(const VString& objectName, int16_t) {
  if (IsFormObject(objectName, kInText)) {
    fWhere = GetItemNumber(kInText) != 0 ? 1 : 0;
  } else if (IsFormObject(objectName, kOnPage)) {
    fWhere = GetItemNumber(kOnPage) == 0 ? 1 : 0;
  } else if (IsFormObject(objectName, kBehind)) {
    fBehindText = GetItemNumber(kBehind) != 0 ? 1 : 0;
  } else if (IsFormObject(objectName, kNotInFirstPage)) {
    fNotInFirstPage = GetItemNumber(kNotInFirstPage) != 0 ? 1 : 0;
  } else {
    for (int i = 0; i < 4; ++i) {
      if (!IsFormObject(objectName, kPageButtons[i])) continue;
      // The alternate pages only where the document has them, whatever
      // the form lets through.
      if (i >= 2 && !HasAlternatePages(fDocument)) return;
      fPageChoice = kPageButtonChoices[i];
    }
  }
  AfterOpen();
}

bool xMorvaPictureDialog::ReadValues() {
  // "This page" is the page the caret was on.
  if (fPageChoice == 0) fPageChoice = fCurrentPage;
  return true;
}

bool RunPictureDialog(xMorvaPlugIn& area, xMorvaDocument& document, int16_t& placement,
                      xMorvaPagePicture& entry) {
  xMorvaPictureDialog dialog(&area, &document);
  dialog.SetCurrentPage(entry.page < 0 ? 0 : entry.page);
  if (!dialog.Run()) return false;
  placement = dialog.GetWhere();
  entry.left = dialog.GetX();
  entry.top = dialog.GetY();
  entry.page = dialog.GetPageChoice();
  entry.notOnFirstPage = dialog.GetNotInFirstPage();
  entry.behindText = dialog.GetBehindText();
  entry.displayMode = dialog.GetDrawingMode();
  return true;
}
