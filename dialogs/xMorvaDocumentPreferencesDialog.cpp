// The document preferences dialog: every change goes into the working copy
// of the parameters at once and the form shows it again; the document takes
// the copy only when the user accepts, recomposing only what the change
// touches. The speller's files are chosen at once and stay chosen whatever
// the dialog's outcome.
#include "dialogs/xMorvaDocumentPreferencesDialog.h"

#include <memory>
#include <string>

#include "area/files/xMorvaOpenSave.h"
#include "area/spelling/xMorvaWinSpeller.h"
#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "dialogs/xMorvaFormObjectName.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaLayoutInterface.h"
#include "framework/core/intl/Utf.h"
#include "framework/system/environment/VSystemServices.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "graphics/pictures/VEmfPictureData.h"

namespace {

constexpr int16_t kUnitListOffset = 8;
constexpr int16_t kTabListOffset = 111;
constexpr int16_t kFirstPageListOffset = 121;
constexpr int32_t kUnits = 3;
constexpr int32_t kPreviewSize = 175;

// The path shown for the speller's file of the kind: the one chosen and
// kept in the preferences, else the module's own text for none chosen.
void SpellerPathText(xMorvaPlugIn* area, int16_t kind, VString& shown) {
  shown.SetEmpty(false);
  xMorvaMain* package = area != nullptr ? area->GetMorvaPackage() : nullptr;
  if (package == nullptr) return;
  xMorvaSpellerPreferences files(package);
  std::string path = files.GetStoredPath(kind);
  if (path.empty()) {
    VMacResourceFile* own = package->GetResourceFile();
    const auto id = int16_t(package->GetResourceBase() + kind);
    uint8_t owned = 0;
    const VResourceRef ref = own != nullptr ? own->GetResource(kTypeMacText, id, &owned) : 0;
    if (ref != 0) {
      if (const auto* data = static_cast<const char*>(own->LockResource(ref))) {
        path.assign(data, own->GetResourceSize(ref));
        own->UnlockResource(ref);
      }
      own->ReleaseResource(ref);
    }
  }
  const std::u16string units = Utf8ToUtf16(path);
  shown.AppendUniChars(units.data(), int32_t(units.size()));
}

}  // namespace

int32_t ClampedBinding(const xMorvaDocParams& params, int32_t pixels) {
  int32_t least = 0;
  int32_t most = 0;
  params.BindingRange(params.GetPageWidth(), least, most);
  // Many columns or wide margins can leave no room at all: a binding
  // below 0 would widen the text past the page.
  if (most < 0) most = 0;
  return pixels < 0 ? 0 : pixels > most ? most : pixels;
}

xMorvaPreferencesChange PreferencesChange(const xMorvaDocParams& before, const xMorvaDocParams& after) {
  if (before.IsEqual(after)) return xMorvaPreferencesChange::kNone;
  if (before.GetBinding() != after.GetBinding() ||
      before.GetDefaultTabInterval() != after.GetDefaultTabInterval())
    return xMorvaPreferencesChange::kRecompose;
  if (before.GetWidowControl() != after.GetWidowControl()) return xMorvaPreferencesChange::kPaginate;
  return xMorvaPreferencesChange::kTake;
}

xMorvaDocumentPreferencesDialog::xMorvaDocumentPreferencesDialog(xMorvaPlugIn* area, xMorvaDocument& document)
    : xMorvaDialog(area, "mvDocumentPreferences"), fDocument(document), fParams(document.GetParams()) {}

xMorvaDocumentPreferencesDialog::~xMorvaDocumentPreferencesDialog() = default;

bool xMorvaDocumentPreferencesDialog::BeforeOpen() {
  FillFromList("droUnit", kUnitListOffset);
  FillFromList("TabOnglet", kTabListOffset);
  FillFromList("droFirstPage", kFirstPageListOffset);
  HostFormSetReal("vBinding", 0);
  HostFormSetReal("vDefTab", 0);
  return true;
}

bool xMorvaDocumentPreferencesDialog::AfterOpen() {
  HostFormSetLong("ckbWidowsOrphans", fParams.GetWidowControl() > 0 ? 1 : 0);
  HostFormSetLong("ckbFirstPageHeaderAndFooter", fParams.GetDifferentFirstPage() > 0 ? 1 : 0);
  HostFormSetLong("ckbLeftRightHeaderAndFooter", fParams.GetDifferentLeftRight() > 0 ? 1 : 0);
  SetItemNumber("droUnit", fParams.GetDisplayUnit() + 1);
  HostFormSetLong("vFirstPage", fParams.GetFirstPageNumber());
  ShowSpellerFiles();
  ShowLength("vBinding", fParams, fParams.GetBinding());
  ShowLength("vDefTab", fParams, fParams.GetDefaultTabInterval());
  SetItemNumber("droFirstPage", 2 - (fParams.GetBindingLeft() != 0 ? 1 : 0));
  HostFormSetLong("ckbOppositePages", fParams.GetAlternateBinding() != 0 ? 1 : 0);
  ShowPreview();
  return true;
}

void xMorvaDocumentPreferencesDialog::ShowPreview() {
  std::unique_ptr<VEmfPictureData> preview(fParams.DrawPagePreview(kPreviewSize, kPreviewSize));
  if (preview) SetItemPicture("vPagePreview", preview.get());
}

void xMorvaDocumentPreferencesDialog::ShowSpellerFiles() {
  VStrInHandle path;
  SpellerPathText(GetArea(), xMorvaWinSpeller::kEnginePath, path);
  HostFormSetText("vSpeller", path);
  SpellerPathText(GetArea(), xMorvaWinSpeller::kDictionaryPath, path);
  HostFormSetText("vDictionnary", path);
}

void xMorvaDocumentPreferencesDialog::ChooseSpellerFile(int16_t kind) {
  xMorvaPlugIn* area = GetArea();
  xMorvaMain* package = area != nullptr ? area->GetMorvaPackage() : nullptr;
  if (package == nullptr) return;
  xMorvaSpellerPreferences files(package);
  std::string path;
  if (!files.ChooseFile(kind, path)) return;
  // The choice is kept at once, and the speller loaded with the old files
  // goes, so that the next check loads the new ones.
  files.SetStoredPath(kind, path);
  area->UnloadWinSpeller();
}

void xMorvaDocumentPreferencesDialog::ItemHit(const VString& name, int16_t) {
  if (IsFormObject(name, "droFirstPage")) {
    // Item 1 the first page on the right (binding on its left), item 2 on
    // the left; no other item changes the side.
    const int32_t item = GetItemNumber("droFirstPage");
    if (item == 1 || item == 2) fParams.SetBindingLeft(int8_t(2 - item));
    AfterOpen();
  } else if (IsFormObject(name, "ckbOppositePages")) {
    fParams.SetAlternateBinding(HostFormGetLong("ckbOppositePages") != 0 ? 1 : 0);
    ShowPreview();
  } else if (IsFormObject(name, "droUnit")) {
    fParams.SetDisplayUnit(DropDownChoice(GetItemNumber("droUnit"), kUnits, fParams.GetDisplayUnit()));
    AfterOpen();
  } else if (IsFormObject(name, "vFirstPage")) {
    const double value = HostFormGetReal("vFirstPage");
    // The comparisons are false for a value that is no number.
    if (value >= kFirstPageNumberMin && value < kFirstPageNumberMax + 1) {
      fParams.SetFirstPageNumber(int32_t(value));
    } else {
      VSystemServices::Beep();
    }
    HostFormSetLong("vFirstPage", fParams.GetFirstPageNumber());
  } else if (IsFormObject(name, "ckbFirstPageHeaderAndFooter")) {
    fParams.SetDifferentFirstPage(HostFormGetLong("ckbFirstPageHeaderAndFooter") != 0 ? 1 : 0);
  } else if (IsFormObject(name, "ckbLeftRightHeaderAndFooter")) {
    fParams.SetDifferentLeftRight(HostFormGetLong("ckbLeftRightHeaderAndFooter") != 0 ? 1 : 0);
  } else if (IsFormObject(name, "ckbWidowsOrphans")) {
    fParams.SetWidowControl(HostFormGetLong("ckbWidowsOrphans") != 0 ? 1 : 0);
  } else if (IsFormObject(name, "vDefTab")) {
    // Tab stops are laid out by steps of the interval: one of no width
    // would never advance.
    const int32_t tab = ReadLength("vDefTab", fParams);
    if (tab > 0) {
      fParams.SetDefaultTabInterval(tab);
    } else {
      VSystemServices::Beep();
    }
    AfterOpen();
  } else if (IsFormObject(name, "vBinding")) {
    fParams.SetBinding(ClampedBinding(fParams, ReadLength("vBinding", fParams)));
    ShowLength("vBinding", fParams, fParams.GetBinding());
    ShowPreview();
  } else if (IsFormObject(name, "butBrowseSpeller")) {
    ChooseSpellerFile(xMorvaWinSpeller::kEnginePath);
    AfterOpen();
  } else if (IsFormObject(name, "butBrowseDictionnary")) {
    ChooseSpellerFile(xMorvaWinSpeller::kDictionaryPath);
    AfterOpen();
  }
}

bool xMorvaDocumentPreferencesDialog::ReadValues() {
  const xMorvaPreferencesChange change = PreferencesChange(fDocument.GetParams(), fParams);
  if (change != xMorvaPreferencesChange::kNone) fDocument.SetModified();
  fDocument.Params() = fParams;
  switch (change) {
    case xMorvaPreferencesChange::kPaginate:
      if (xMorvaLayoutInterface* layout = fDocument.GetLayout()) layout->Repaginate();
      break;
    case xMorvaPreferencesChange::kRecompose: fDocument.UpdateReferencePrinter(); break;
    default: break;
  }
  fDocument.SelectBody();
  fDocument.Refresh(true, true);
  return true;
}

bool RunDocumentPreferencesDialog(xMorvaPlugIn& area, xMorvaDocument& document) {
  xMorvaDocumentPreferencesDialog dialog(&area, document);
  return dialog.Run();
}
