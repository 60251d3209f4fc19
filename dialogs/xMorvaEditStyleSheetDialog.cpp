// The edit style sheet dialog: the working sheet shown on "mvEditStyle",
// every change taken into it at once and shown again, its properties and
// tabs edited through the font, paragraph, border and tab stop dialogs.
#include "dialogs/xMorvaEditStyleSheetDialog.h"

#include <memory>

#include "dialogs/xMorvaBorderDialog.h"
#include "dialogs/xMorvaFontDialog.h"
#include "dialogs/xMorvaFormObjectName.h"
#include "dialogs/xMorvaParagraphDialog.h"
#include "dialogs/xMorvaPropertiesPreview.h"
#include "dialogs/xMorvaTabulationsDialog.h"
#include "document/xMorvaDocument.h"
#include "framework/system/environment/VSystemServices.h"
#include "graphics/pictures/VEmfPictureData.h"

namespace {

constexpr int16_t kEditTabControlListOffset = 112;
constexpr int16_t kAppliesToListOffset = 120;
// "drAppliesTo": item 1 characters, item 2 paragraphs.
constexpr int32_t kAppliesToItems = 2;
constexpr int32_t kParagraphsItem = 2;
// The preview's sample with every property, at the text's width.
constexpr int16_t kEditWholeSample = 2;
// Which properties dialog a button runs.
constexpr int32_t kCharacters = 0;
constexpr int32_t kParagraphs = 1;
constexpr int32_t kBorders = 2;

}  // namespace

xMorvaEditStyleSheetDialog::xMorvaEditStyleSheetDialog(xMorvaPlugIn* area, xMorvaDocument* document,
                                                       const xMorvaStyleSheet& sheet,
                                                       const VString& name, int16_t sheetId)
    : xMorvaDialog(area, "mvEditStyle"), fDocument(document), fSheetId(sheetId) {
  fSheet.Assign(sheet);
  fSaved.Assign(sheet);
  fName.CopyText(name);
  // The sheet's own name is shown as the document's forms show it.
  VStr<kStyleSheetWholeNameLength> own;
  if (document != nullptr && document->StyleSheetIndex(sheetId) > 0) document->GetStyleSheetName(sheetId, own, false);
  if (own.GetLength() > 0 && SameStyleSheetName(own, name, true)) {
    document->GetStyleSheetFormName(sheetId, fShown);
  } else {
    fShown.CopyText(name);
  }
}

xMorvaEditStyleSheetDialog::~xMorvaEditStyleSheetDialog() = default;

bool xMorvaEditStyleSheetDialog::NameIsFree(xMorvaDocument& document, const VString& name,
                                            int16_t sheetId) {
  for (int16_t id : document.StyleSheetIds()) {
    if (id == sheetId) continue;
    VStr<kStyleSheetWholeNameLength> other;
    document.GetStyleSheetName(id, other, false);
    if (SameStyleSheetName(other, name)) return false;
  }
  return true;
}

bool xMorvaEditStyleSheetDialog::BeforeOpen() {
  FillFromList("onglet", kEditTabControlListOffset);
  FillFromList("drAppliesTo", kAppliesToListOffset);
  return true;
}

bool xMorvaEditStyleSheetDialog::AfterOpen() {
  HostFormSetText("vStyleName", fShown);
  HostFormSetEnterable("vStyleName", !(fNameLocked || fSheet.reserved != 0));

  const bool paragraph = fSheet.paragraphSheet != 0;
  const bool tabs = paragraph && fSheet.states.GetState(kPropTabs) == 1;
  SetItemNumber("drAppliesTo", paragraph ? kParagraphsItem : 1);
  for (const char* object :
       {"ckbUseTabulations", "ckbApplyToParagraph", "butParagraphs", "butBorders"})
    HostFormEnableObject(object, paragraph);
  HostFormSetLong("ckbUseTabulations", tabs ? 1 : 0);
  HostFormEnableObject("butTabulations", tabs);

  VStrInHandle description;
  if (fDocument != nullptr) fSheet.Describe(*fDocument, description);
  HostFormSetTextHandle("txtStyle", description);

  VStr<1> shortcut;
  if (fSheet.shortcut != 0) shortcut.AppendUniChar(char16_t(fSheet.shortcut));
  HostFormSetText("vShortcut", shortcut);
  DrawPreview();
  return true;
}

void xMorvaEditStyleSheetDialog::DrawPreview() {
  if (fDocument == nullptr) return;
  std::unique_ptr<VEmfPictureData> picture(
      DrawPropertiesPreview(*fDocument, fSheet.properties, fSheet.states, kEditWholeSample, 0));
  if (picture) SetItemPicture("vPreview", picture.get());
}

void xMorvaEditStyleSheetDialog::ReadName() {
  if (fNameLocked || fSheet.reserved != 0) {
    // A locked sheet keeps its name whatever the entry holds.
    HostFormSetText("vStyleName", fShown);
    return;
  }
  VStr<255> typed;
  HostFormGetText("vStyleName", typed);
  // The form cannot show every name whole: one left as shown keeps it.
  if (SameStyleSheetName(typed, fShown, true)) return;
  fShown.SetEmpty(false);
  fShown.CopyText(typed);
  fName.SetEmpty(false);
  fName.CopyText(fShown);
  if (typed.GetLength() > kStyleSheetNameLength) {
    // Cut to what a sheet's name holds, shown as it is kept.
    HostFormSetText("vStyleName", fShown);
    VSystemServices::Beep();
  }
}

void xMorvaEditStyleSheetDialog::ReadShortcut() {
  VStr<255> typed;
  HostFormGetText("vShortCut", typed);
  // Only the first character is a key; the entry shows what is kept.
  fSheet.shortcut = typed.GetLength() > 0 ? uint16_t(typed.GetCharAt(1)) : 0;
  if (typed.GetLength() > 1) {
    VStr<1> kept;
    kept.AppendUniChar(char16_t(fSheet.shortcut));
    HostFormSetText("vShortcut", kept);
  }
}

void xMorvaEditStyleSheetDialog::RunPropertiesDialog(int32_t which) {
  std::unique_ptr<xMorvaDialog> sub;
  switch (which) {
    case kCharacters:
      sub = std::make_unique<xMorvaFontDialog>(GetArea(), fSheet.properties, fSheet.states);
      break;
    case kParagraphs:
      sub = std::make_unique<xMorvaParagraphDialog>(GetArea(), fDocument, fSheet.properties,
                                                    fSheet.states);
      break;
    default:
      if (RunBorderSubDialog(*this, fSheet.properties, fSheet.states)) AfterOpen();
      return;
  }
  if (!RunSubDialog(*sub)) return;
  const auto take = [this](const xMorvaProperties& properties,
                           const xMorvaPropertiesStates& states) {
    fSheet.properties.Assign(properties);
    fSheet.states.Assign(states);
  };
  if (which == kCharacters) {
    const auto& font = static_cast<const xMorvaFontDialog&>(*sub);
    take(font.GetProperties(), font.GetStates());
  } else {
    const auto& paragraph = static_cast<const xMorvaParagraphDialog&>(*sub);
    take(paragraph.GetProperties(), paragraph.GetStates());
  }
  AfterOpen();
}

void xMorvaEditStyleSheetDialog::RunTabulations() {
  // On OK the count and every one of the 256 stop slots come back.
  if (RunTabulationsSubDialog(*this, fSheet.tabs)) AfterOpen();
}

void xMorvaEditStyleSheetDialog::ItemHit(const VString& objectName, int16_t) {
  if (IsFormObject(objectName, "drAppliesTo")) {
    const int32_t current = fSheet.paragraphSheet != 0 ? 1 : 0;
    const int32_t chosen = DropDownChoice(GetItemNumber("drAppliesTo"), kAppliesToItems, current);
    fSheet.paragraphSheet = uint8_t(chosen == kParagraphsItem - 1 ? 1 : 0);
    if (fSheet.paragraphSheet == 0) {
      // A character sheet defines no paragraph property and no tabs.
      for (uint16_t id = kFirstParagraphProperty; id <= kPropTabs; ++id)
        fSheet.states.SetState(id, 0);
      fSheet.tabs.Clear();
    }
    AfterOpen();
  } else if (IsFormObject(objectName, "vStyleName")) {
    ReadName();
  } else if (IsFormObject(objectName, "vShortCut")) {
    ReadShortcut();
  } else if (IsFormObject(objectName, "butCharacters")) {
    RunPropertiesDialog(kCharacters);
  } else if (IsFormObject(objectName, "butParagraphs")) {
    RunPropertiesDialog(kParagraphs);
  } else if (IsFormObject(objectName, "butBorders")) {
    RunPropertiesDialog(kBorders);
  } else if (IsFormObject(objectName, "butTabulations")) {
    RunTabulations();
  } else if (IsFormObject(objectName, "ckbUseTabulations")) {
    fSheet.tabs.Clear();
    fSheet.states.SetState(kPropTabs, HostFormGetLong("ckbUseTabulations") == 1 ? 1 : 0);
    AfterOpen();
  } else if (IsFormObject(objectName, "butRevert")) {
    fSheet.Assign(fSaved);
    AfterOpen();
  } else if (IsFormObject(objectName, "butNone")) {
    fSheet.Init();
    AfterOpen();
  }
}

bool xMorvaEditStyleSheetDialog::CanAccept(const VString&, int16_t) {
  // The name typed last counts even when the form did not report it.
  ReadName();
  const bool free = fDocument == nullptr || NameIsFree(*fDocument, fName, fSheetId);
  if (fName.GetLength() > 0 && free) return true;
  VSystemServices::Beep();
  return false;
}
