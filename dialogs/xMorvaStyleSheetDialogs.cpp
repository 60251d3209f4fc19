// The style sheet dialogs: the manager, which creates, edits, deletes,
// imports and applies the document's sheets as its buttons are pressed,
// and the three small dialogs it and the find dialogs ask.
#include "dialogs/xMorvaStyleSheetDialogs.h"

#include <memory>

#include "area/files/xMorvaDocumentFile.h"
#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "dialogs/xMorvaEditStyleSheetDialog.h"
#include "dialogs/xMorvaFormObjectName.h"
#include "dialogs/xMorvaPropertiesPreview.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaUndo.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/system/environment/VSystemServices.h"
#include "framework/system/files/VFile.h"
#include "framework/system/files/VFileDialog.h"
#include "framework/system/files/VFileStream.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "graphics/pictures/VEmfPictureData.h"
#include "host/context/VHostContext.h"

namespace {

constexpr int16_t kManagerTabControlListOffset = 112;
// The open-file dialog that asks for the document to import from.
constexpr int16_t kImportDialogOffset = 3;
// Alerts of the package's list: the file cannot be opened, is damaged, is
// no document of this format.
constexpr int16_t kAlertCannotOpen = 7;
constexpr int16_t kAlertDamaged = 8;
constexpr int16_t kAlertNotThisFormat = 9;
constexpr int16_t kManagerWholeSample = 2;

bool Named(const VString& reported, const char* name) {
  return reported.CompareCText(name, kCharSetAnsi, true) == 0;
}

// The two or three radio buttons of a choice: the one set goes on, the
// others off, as a radio group shows.
void ShowRadio(VDialQv& dialog, const char* const* names, int32_t count, int32_t on) {
  for (int32_t i = 0; i < count; ++i) dialog.HostFormSetLong(names[i], i == on ? 1 : 0);
}

void FillNames(VDialQv& dialog, xMorvaDocument* document, const char* object) {
  VStringArray names;
  if (document != nullptr) document->FillStyleSheetFormList(names);
  dialog.SetListItems(object, names);
}

}  // namespace

bool LoadStyleSheetByName(xMorvaDocument& document, const VString& name, xMorvaStyleSheet& sheet) {
  VMemoryResourceFile* store = document.GetStyleSheetStore();
  if (store == nullptr) return false;
  for (int16_t id : document.StyleSheetIds()) {
    VStr<kStyleSheetWholeNameLength> own;
    document.GetStyleSheetName(id, own, false);
    if (SameStyleSheetName(own, name)) return sheet.Load(document, *store, id);
  }
  return false;
}

// ---- The manager.

xMorvaStyleSheetDialog::xMorvaStyleSheetDialog(xMorvaPlugIn* area, xMorvaDocument* document)
    : xMorvaDialog(area, "mvStyleSheets"), fDocument(document) {}

xMorvaStyleSheetDialog::~xMorvaStyleSheetDialog() = default;

bool xMorvaStyleSheetDialog::IsLocked(const xMorvaStyleSheet& sheet, int16_t id) {
  return sheet.reserved != 0 || id == kDefaultStyleSheetId;
}

void xMorvaStyleSheetDialog::FillList() { FillNames(*this, fDocument, "ListStyles"); }

bool xMorvaStyleSheetDialog::BeforeOpen() {
  FillList();
  SetItemNumber("ListStyles", 1);
  fSheet.Init();
  FillFromList("onglet", kManagerTabControlListOffset);
  return true;
}

bool xMorvaStyleSheetDialog::SelectedId(int32_t& row, int16_t& id) {
  row = GetItemNumber("ListStyles");
  return fDocument != nullptr && fDocument->StyleSheetIdAt(row, id);
}

bool xMorvaStyleSheetDialog::AfterOpen() {
  int32_t row = 0;
  int16_t id = 0;
  if (GetItemNumber("ListStyles") == 0) {
    HostFormClearTextHandle("txtStyle");
    return true;
  }
  VMemoryResourceFile* store = fDocument != nullptr ? fDocument->GetStyleSheetStore() : nullptr;
  if (!SelectedId(row, id) || store == nullptr || !fSheet.Load(*fDocument, *store, id)) return true;
  VStrInHandle description;
  fSheet.Describe(*fDocument, description);
  HostFormSetTextHandle("txtStyle", description);
  std::unique_ptr<VEmfPictureData> picture(
      DrawPropertiesPreview(*fDocument, fSheet.properties, fSheet.states, kManagerWholeSample, 0));
  if (picture) SetItemPicture("vPreview", picture.get());
  return true;
}

void xMorvaStyleSheetDialog::ApplySheet() {
  int32_t row = 0;
  int16_t id = 0;
  if (!SelectedId(row, id)) return;
  fDocument->ReapplyStyleSheetEverywhere(id, false);
  fDocument->Refresh(false, true);
}

void xMorvaStyleSheetDialog::ImportSheets() {
  if (GetArea() == nullptr || fDocument == nullptr) return;
  SetVisible(false);
  const int32_t code = ImportStyleSheets(*GetArea(), *fDocument);
  SetVisible(true);
  if (code != 0) return;
  FillList();
  SetItemNumber("ListStyles", 1);
  fDocument->SetModified();
  AfterOpen();
}

void xMorvaStyleSheetDialog::NewSheet() {
  if (fDocument == nullptr) return;
  VMemoryResourceFile* store = fDocument->GetStyleSheetStore();
  if (store == nullptr || fDocument->StyleSheetCount() >= kMostStyleSheets) {
    VSystemServices::Beep();
    return;
  }
  SetVisible(false);
  auto start = std::make_unique<xMorvaNewStyleSheetDialog>(GetArea(), fDocument);
  std::unique_ptr<xMorvaEditStyleSheetDialog> edit;
  bool accepted = false;
  if (start->Run()) {
    VStr<255> name;
    fDocument->NewStyleSheetName(name);
    edit =
        std::make_unique<xMorvaEditStyleSheetDialog>(GetArea(), fDocument, start->GetSheet(), name);
    accepted = edit->Run();
  }
  SetVisible(true);
  if (accepted) {
    fSheet.Assign(edit->GetSheet());
    int16_t id = 0;
    if (fSheet.SaveNew(*fDocument, *store, edit->GetName(), id)) {
      fDocument->UpdateStyleSheetMenu();
      FillList();
      SetItemNumber("ListStyles", fDocument->StyleSheetIndex(id));
      AfterOpen();
      fDocument->SetModified();
    }
  }
}

void xMorvaStyleSheetDialog::EditSheet() {
  int32_t row = 0;
  int16_t id = 0;
  VMemoryResourceFile* store = fDocument != nullptr ? fDocument->GetStyleSheetStore() : nullptr;
  if (!SelectedId(row, id) || store == nullptr) return;
  SetVisible(false);
  VStr<kStyleSheetWholeNameLength> name;
  fDocument->GetStyleSheetName(id, name, false);
  fSheet.Load(*fDocument, *store, id);
  xMorvaEditStyleSheetDialog edit(GetArea(), fDocument, fSheet, name, id);
  edit.SetNameLocked(IsLocked(fSheet, id));
  if (!edit.Run()) {
    SetVisible(true);
    return;
  }
  fSheet.Assign(edit.GetSheet());
  fSheet.Save(*fDocument, *store, id, &edit.GetName());
  fDocument->SetModified();
  fDocument->UpdateStyleSheetMenu();
  if (fDocument->IsStyleSheetUsed(id)) {
    xMorvaApplyStyleSheetDialog question(GetArea());
    question.Run();
    // Closed without a choice it still holds 1: the text is formatted
    // again.
    if (question.GetChoice() == 1) {
      fDocument->ReapplyStyleSheetEverywhere(id, false);
      fDocument->Refresh(false, true);
    }
  }
  SetVisible(true);
  // A new name may change how another sheet is told apart from it.
  FillList();
  SetItemNumber("ListStyles", row);
  AfterOpen();
}

void xMorvaStyleSheetDialog::DeleteSheet() {
  int32_t row = 0;
  int16_t id = 0;
  VMemoryResourceFile* store = fDocument != nullptr ? fDocument->GetStyleSheetStore() : nullptr;
  if (!SelectedId(row, id) || store == nullptr) return;
  fSheet.Load(*fDocument, *store, id);
  if (IsLocked(fSheet, id)) return;
  fDocument->DeleteStyleSheet(id);
  fDocument->SetModified();
  // The host's range removal takes the first and the last row.
  HostFormSetListRange("ListStyles", row, row);
  if (row > fDocument->StyleSheetCount()) --row;
  SetItemNumber("ListStyles", row);
  AfterOpen();
  // The text that carried the sheet falls back to the default sheet; that
  // edit names a sheet that no longer exists, so nothing before it can be
  // undone either.
  fDocument->ReapplyStyleSheetEverywhere(id, true);
  if (xMorvaUndo* undo = fDocument->GetUndo()) undo->Clear(false);
  fDocument->Refresh(false, true);
}

void xMorvaStyleSheetDialog::ItemHit(const VString& objectName, int16_t) {
  if (Named(objectName, "ListStyles")) {
    AfterOpen();
  } else if (Named(objectName, "butApply")) {
    ApplySheet();
  } else if (Named(objectName, "butImport")) {
    ImportSheets();
  } else if (Named(objectName, "butNew")) {
    NewSheet();
  } else if (Named(objectName, "butEdit")) {
    EditSheet();
  } else if (Named(objectName, "butDelete")) {
    DeleteSheet();
  }
}

// ---- What a new sheet starts from.

namespace {
const char* const kStartChoices[] = {"rbChoice1", "rbChoice2", "rbChoice3"};
}

xMorvaNewStyleSheetDialog::xMorvaNewStyleSheetDialog(xMorvaPlugIn* area, xMorvaDocument* document)
    : xMorvaDialog(area, "mvNewStyle"), fDocument(document) {
  fSheet.Init();
}

xMorvaNewStyleSheetDialog::~xMorvaNewStyleSheetDialog() = default;

bool xMorvaNewStyleSheetDialog::BeforeOpen() {
  FillNames(*this, fDocument, "droStyleSheet");
  return true;
}

bool xMorvaNewStyleSheetDialog::AfterOpen() {
  SetItemNumber("droStyleSheet", 0);
  HostFormEnableObject("droStyleSheet", false);
  ShowRadio(*this, kStartChoices, 3, 0);
  return true;
}

bool xMorvaNewStyleSheetDialog::TakeChosenSheet() {
  const int32_t count = fDocument != nullptr ? fDocument->StyleSheetCount() : 0;
  const int32_t chosen = DropDownChoice(GetItemNumber("droStyleSheet"), count, -1);
  // The pop-up lists the sheets in id order: its item is the sheet's
  // index, which no two sheets share as they may share a shown name.
  int16_t id = 0;
  VMemoryResourceFile* store = fDocument != nullptr ? fDocument->GetStyleSheetStore() : nullptr;
  if (chosen < 0 || store == nullptr || !fDocument->StyleSheetIdAt(chosen + 1, id) ||
      !fSheet.Load(*fDocument, *store, id))
    return false;
  // A copy is a sheet of its own: it may be renamed and deleted.
  fSheet.reserved = 0;
  return true;
}

void xMorvaNewStyleSheetDialog::ItemHit(const VString& objectName, int16_t) {
  if (Named(objectName, "rbChoice1") || Named(objectName, "rbChoice2")) {
    const bool defaults = Named(objectName, "rbChoice1");
    ShowRadio(*this, kStartChoices, 3, defaults ? 0 : 1);
    HostFormEnableObject("droStyleSheet", false);
    SetItemNumber("droStyleSheet", 0);
    fSheet.Init();
    if (defaults) return;
    // Everything in effect at the selection, tabs too.
    fSheet.states.SetAll();
    fSheet.paragraphSheet = 1;
    auto* text =
        fDocument != nullptr ? static_cast<xMorvaEngine*>(fDocument->GetCurrentPart()) : nullptr;
    if (text != nullptr) {
      fSheet.properties.Assign(text->GetCurrentProperties());
      fSheet.tabs.Assign(text->GetCurrentTabs());
    }
  } else if (Named(objectName, "rbChoice3")) {
    ShowRadio(*this, kStartChoices, 3, 2);
    HostFormEnableObject("droStyleSheet", true);
    SetItemNumber("droStyleSheet", 1);
    TakeChosenSheet();
  } else if (Named(objectName, "droStyleSheet")) {
    TakeChosenSheet();
  }
}

// ---- Whether the text of an edited sheet is formatted again.

namespace {
const char* const kApplyChoices[] = {"rbChoice1", "rbChoice2"};
}

xMorvaApplyStyleSheetDialog::xMorvaApplyStyleSheetDialog(xMorvaPlugIn* area)
    : xMorvaDialog(area, "mvStyleModified") {}

xMorvaApplyStyleSheetDialog::~xMorvaApplyStyleSheetDialog() = default;

bool xMorvaApplyStyleSheetDialog::AfterOpen() {
  ShowRadio(*this, kApplyChoices, 2, 0);
  fChoice = 1;
  return true;
}

void xMorvaApplyStyleSheetDialog::ItemHit(const VString& objectName, int16_t) {
  const bool first = Named(objectName, "rbChoice1");
  if (!first && !Named(objectName, "rbChoice2")) return;
  // The button pressed on is the choice; one pressed off leaves the other.
  const bool on = HostFormGetLong(first ? "rbChoice1" : "rbChoice2") == 1;
  ShowRadio(*this, kApplyChoices, 2, (first == on) ? 0 : 1);
  fChoice = HostFormGetLong("rbChoice1") == 1 ? 1 : 0;
}

// ---- One sheet, or none, as a criterion.

xMorvaChooseStyleSheetDialog::xMorvaChooseStyleSheetDialog(xMorvaPlugIn* area,
                                                           xMorvaDocument* document,
                                                           const xMorvaProperties& properties,
                                                           const xMorvaPropertiesStates& states)
    : xMorvaDialog(area, "mvChooseStyle"), fDocument(document) {
  fProperties.Assign(properties);
  fStates.Assign(states);
}

xMorvaChooseStyleSheetDialog::~xMorvaChooseStyleSheetDialog() = default;

bool xMorvaChooseStyleSheetDialog::BeforeOpen() {
  FillNames(*this, fDocument, "ListStyleSheet");
  int32_t row = 0;
  if (fStates.GetState(kPropStyleSheet) == 1 && fDocument != nullptr)
    row = fDocument->StyleSheetIndex(int16_t(fProperties.GetProperty(kPropStyleSheet)));
  SetItemNumber("listStyleSheet", row);
  return true;
}

void xMorvaChooseStyleSheetDialog::ItemHit(const VString& objectName, int16_t) {
  if (!IsFormObject(objectName, "listStyleSheet")) return;
  const int32_t row = GetItemNumber("listStyleSheet");
  int16_t id = 0;
  if (row == 0) {
    fStates.SetState(kPropStyleSheet, 0);
  } else if (fDocument != nullptr && fDocument->StyleSheetIdAt(row, id)) {
    fProperties.SetProperty(kPropStyleSheet, id);
    fStates.SetState(kPropStyleSheet, 1);
  }
}

// ---- Sheets from another document.

int32_t ImportStyleSheets(xMorvaPlugIn& area, xMorvaDocument& document) {
  xMorvaMain* package = area.GetMorvaPackage();
  VMemoryResourceFile* store = document.GetStyleSheetStore();
  if (package == nullptr || store == nullptr) return -1;
  uint32_t type = 0;
  std::unique_ptr<VFile> file(AskOpenFile(
      gModuleResFile, int16_t(package->GetResourceBase() + kImportDialogOffset), &type));
  if (!file) return -1;
  if (type != FourCC("QMV7") && type != FourCC("QMT7")) {
    package->ShowAlert(kAlertNotThisFormat);
    return kErrorNotThisFormat;
  }
  // The other document is read whole into a scratch document; only its
  // sheets are kept. One that reads only after a repair still has them.
  auto scratch = std::make_unique<xMorvaDocument>(nullptr);
  scratch->Reset(false);
  int32_t code = -2;
  VFileStream stream(file.get(), false);
  if (stream.OpenRead() == 0) {
    code = ReadDocument(*scratch, stream, false);
    stream.CloseRead();
  }
  if (code == -2) {
    package->ShowAlert(kAlertCannotOpen);
    return code;
  }
  if (code == kErrorRepairedData) code = 0;
  VMemoryResourceFile* other = scratch->GetStyleSheetStore();
  if (code == 0 && other == nullptr) code = kErrorDamagedData;
  if (code != 0) {
    package->ShowAlert(code == kErrorNotThisFormat ? kAlertNotThisFormat : kAlertDamaged);
    return code;
  }
  for (int16_t id : scratch->StyleSheetIds()) {
    if (document.StyleSheetCount() >= kMostStyleSheets) break;
    VStr<kStyleSheetWholeNameLength> name;
    scratch->GetStyleSheetName(id, name, false);
    auto sheet = std::make_unique<xMorvaStyleSheet>();
    // The font goes by its name into this document's font table.
    if (!xMorvaEditStyleSheetDialog::NameIsFree(document, name, 0) ||
        !sheet->Load(document, *other, id))
      continue;
    int16_t added = 0;
    sheet->SaveNew(document, *store, name, added);
  }
  document.UpdateStyleSheetMenu();
  return 0;
}

bool RunStyleSheetsDialog(xMorvaPlugIn& area, xMorvaDocument& document) {
  xMorvaStyleSheetDialog dialog(&area, &document);
  return dialog.Run();
}
