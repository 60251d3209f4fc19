// The document's style sheets: counting, naming and listing them through
// the resource store, deleting them, and applying them to the text.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "document/xMorvaAreaServices.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaDocumentArea.h"
#include "document/xMorvaStyleSheet.h"
#include "document/xMorvaText.h"
#include "document/xMorvaUndo.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/resources/VMemoryResourceFile.h"

namespace {

constexpr int16_t kShortcutBeforeItem = 29;
constexpr int16_t kShortcutAfterItem = 31;
constexpr int16_t kDefaultSheetNameItem = 1;
constexpr int16_t kNewSheetNameItem = 2;

// The parts in the order a re-application walks them: the body, then the
// headers and footers.
constexpr int16_t kPartOrder[kPartCount] = {kPartBody,       kPartHeader,      kPartFooter,     kPartLeftHeader,
                                            kPartLeftFooter, kPartFirstHeader, kPartFirstFooter};

}  // namespace

void xMorvaDocument::SaveDefaultStyleSheet() {
  if (!fStyleSheets) return;
  xMorvaStyleSheet sheet;
  sheet.states.SetAll();
  VStr<255> name;
  GetDocumentListString(name, kStyleSheetNamesListOffset, kDefaultSheetNameItem);
  // Property 15 of every new text names this sheet.
  int16_t id = 0;
  sheet.SaveNew(*this, *fStyleSheets, name, id, kDefaultStyleSheetId);
}

int32_t xMorvaDocument::StyleSheetCount() const {
  return fStyleSheets ? fStyleSheets->CountResources(kStyleSheetResourceType) : 0;
}

std::vector<int16_t> xMorvaDocument::StyleSheetIds() const {
  std::vector<int16_t> ids;
  const int32_t count = StyleSheetCount();
  for (int32_t i = 1; i <= count; ++i) ids.push_back(fStyleSheets->GetIndResourceId(kStyleSheetResourceType, i));
  return ids;
}

bool xMorvaDocument::StyleSheetIdAt(int32_t index, int16_t& id) const {
  if (index < 1 || index > StyleSheetCount()) return false;
  id = fStyleSheets->GetIndResourceId(kStyleSheetResourceType, index);
  return true;
}

int32_t xMorvaDocument::StyleSheetIndex(int16_t id) const {
  const std::vector<int16_t> ids = StyleSheetIds();
  for (size_t i = 0; i < ids.size(); ++i) {
    if (ids[i] == id) return int32_t(i + 1);
  }
  return 0;
}

bool xMorvaDocument::HasStyleSheet(int16_t id) const {
  return fStyleSheets && fStyleSheets->HasResource(kStyleSheetResourceType, id);
}

void xMorvaDocument::GetStyleSheetName(int16_t id, VString& name, bool withShortcut) {
  name.SetEmpty(false);
  if (!fStyleSheets || !fStyleSheets->HasResource(kStyleSheetResourceType, id)) return;
  GetStyleSheetWholeName(*fStyleSheets, id, name);
  if (!withShortcut) return;
  xMorvaStyleSheet sheet;
  if (!ReadStyleSheetResource(*fStyleSheets, id, sheet) || sheet.shortcut == 0) return;
  VStr<255> word;
  GetDocumentListString(word, kDocumentTextsListOffset, kShortcutBeforeItem);
  name.CopyText(word);
  name.AppendUniChar(char16_t(sheet.shortcut));
  word.SetEmpty(false);
  GetDocumentListString(word, kDocumentTextsListOffset, kShortcutAfterItem);
  name.CopyText(word);
}

void xMorvaDocument::GetStyleSheetName(int16_t id, VString& name) {
  VStr<kStyleSheetWholeNameLength> own;
  GetStyleSheetName(id, own, false);
  name.CopyText(own);
}

void xMorvaDocument::NewStyleSheetName(VString& name) {
  name.SetEmpty(false);
  GetDocumentListString(name, kStyleSheetNamesListOffset, kNewSheetNameItem);
  VStr<15> number;
  number.SetLong(++fStyleSheetCounter, kWholeValue);
  name.CopyText(number);
}

void xMorvaDocument::FillStyleSheetList(VStringArray& list, bool withShortcut) {
  list.SetCount(0, false);
  for (int16_t id : StyleSheetIds()) {
    auto* name = new VStr<255>;
    GetStyleSheetName(id, *name, withShortcut);
    list.AppendObject(name, false);
  }
}

int32_t xMorvaDocument::StyleSheetFormAt(int16_t id) {
  const uint64_t stamp = fStyleSheets ? fStyleSheets->GetChangeStamp() : 0;
  if (stamp != fStyleSheetFormsStamp) {
    fStyleSheetFormsStamp = stamp;
    fStyleSheetFormIds = StyleSheetIds();
    fStyleSheetForms.clear();
    if (fStyleSheets) fStyleSheetForms = StyleSheetFormNames(*fStyleSheets, fStyleSheetFormIds);
  }
  const auto at = std::find(fStyleSheetFormIds.begin(), fStyleSheetFormIds.end(), id);
  return at != fStyleSheetFormIds.end() ? int32_t(at - fStyleSheetFormIds.begin()) : -1;
}

void xMorvaDocument::FillStyleSheetFormList(VStringArray& list) {
  list.SetCount(0, false);
  StyleSheetFormAt(0);
  for (const std::u16string& form : fStyleSheetForms) {
    auto* shown = new VStr<255>;
    shown->AppendUniChars(form.data(), int32_t(form.size()));
    list.AppendObject(shown, false);
  }
}

void xMorvaDocument::GetStyleSheetFormName(int16_t id, VString& name) {
  name.SetEmpty(false);
  const int32_t at = StyleSheetFormAt(id);
  if (at < 0) return;
  const std::u16string& form = fStyleSheetForms[size_t(at)];
  name.AppendUniChars(form.data(), int32_t(form.size()));
}

bool xMorvaDocument::IsStyleSheetFormName(int16_t id, const VString& given) {
  if (StyleSheetFormAt(id) < 0) return false;
  VStr<255> shown;
  GetStyleSheetFormName(id, shown);
  return SameStyleSheetName(shown, given, true);
}

void xMorvaDocument::UpdateStyleSheetMenu() {
  if (fArea == nullptr) return;
  VStringArray names;
  FillStyleSheetList(names, true);
  fArea->SetStyleSheetMenu(names);
}

void xMorvaDocument::DeleteStyleSheet(int16_t id) {
  if (fStyleSheets && fStyleSheets->HasResource(kStyleSheetResourceType, id)) {
    // Undo of the deletion gives the sheet back as it is now.
    if (fUndo) fUndo->NoteStyleSheet(id, true);
    fStyleSheets->RemoveResource(kStyleSheetResourceType, id);
    RemoveStyleSheetWholeName(*fStyleSheets, id);
  }
  UpdateStyleSheetMenu();
}

void xMorvaDocument::StyleSheetChanging(int16_t id) {
  if (fUndo) fUndo->NoteStyleSheet(id);
}

std::vector<int16_t> xMorvaDocument::HeldStyleSheetIds() {
  return fUndo ? fUndo->HeldStyleSheetIds() : std::vector<int16_t>();
}

bool xMorvaDocument::GetStyleSheetState(int16_t id, std::vector<uint8_t>& state) {
  state.clear();
  const VMemHandle record = CopyResource(kStyleSheetResourceType, id);
  if (record == 0) return false;
  // The whole name goes with the record, so that undo names the sheet as
  // it was named.
  VStr<kStyleSheetWholeNameLength> name;
  GetStyleSheetWholeName(*fStyleSheets, id, name);
  const uint16_t count = uint16_t(std::clamp<int32_t>(name.GetLength(), 0, kStyleSheetWholeNameLength));
  std::vector<char16_t> units(count);
  if (count > 0) name.GetUniChars(units.data(), 0, count);
  const uint32_t size = gMemoryMgr->GetHandleSize(record);
  const auto* bytes = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(record));
  const bool copied = bytes != nullptr || size == 0;
  if (copied) {
    state.resize(sizeof count + count * sizeof(char16_t) + size);
    uint8_t* at = state.data();
    std::memcpy(at, &count, sizeof count);
    at += sizeof count;
    if (count > 0) std::memcpy(at, units.data(), count * sizeof(char16_t));
    at += count * sizeof(char16_t);
    if (size > 0) std::memcpy(at, bytes, size);
  }
  gMemoryMgr->UnlockHandle(record);
  gMemoryMgr->DisposeHandle(record);
  if (!copied) state.clear();
  return copied;
}

bool xMorvaDocument::PutStyleSheetState(int16_t id, const std::vector<uint8_t>* state) {
  if (!fStyleSheets) return false;
  if (state == nullptr) {
    if (fStyleSheets->HasResource(kStyleSheetResourceType, id))
      fStyleSheets->RemoveResource(kStyleSheetResourceType, id);
    RemoveStyleSheetWholeName(*fStyleSheets, id);
  } else {
    uint16_t count = 0;
    if (state->size() < sizeof count) return false;
    std::memcpy(&count, state->data(), sizeof count);
    const size_t nameBytes = sizeof count + count * sizeof(char16_t);
    if (count > kStyleSheetWholeNameLength || state->size() < nameBytes) return false;
    std::vector<char16_t> units(count);
    if (count > 0)
      std::memcpy(units.data(), state->data() + sizeof count, count * sizeof(char16_t));
    VStr<kStyleSheetWholeNameLength> name;
    name.AppendUniChars(units.data(), count);
    const uint8_t* record = state->data() + nameBytes;
    if (!fStyleSheets->ReplaceResource(kStyleSheetResourceType, id, record,
                                       uint32_t(state->size() - nameBytes)))
      return false;
    if (!SetStyleSheetWholeName(*fStyleSheets, id, name)) return false;
  }
  UpdateStyleSheetMenu();
  return true;
}

bool xMorvaDocument::IsStyleSheetUsed(int16_t id) const {
  for (const auto& part : fParts) {
    if (part && part->UsesPropertyValue(kPropStyleSheet, id)) return true;
  }
  return false;
}

int32_t xMorvaDocument::ApplyStyleSheet(int16_t id) {
  xMorvaTextInterface* text = fCurrent;
  if (text == nullptr || !fStyleSheets) return kErrorNoStyleSheet;
  auto sheet = std::make_unique<xMorvaStyleSheet>();
  if (!sheet->Load(*this, *fStyleSheets, id)) return kErrorNoStyleSheet;
  int32_t start = 0;
  int32_t end = 0;
  text->GetSelection(start, end);
  const int32_t paragraphStart = text->GetParagraphStart();
  const int32_t paragraphEnd = text->GetParagraphEnd();
  const bool whole = sheet->paragraphSheet != 0 && paragraphEnd > paragraphStart;
  if (whole) text->SetSelection(paragraphStart, paragraphEnd);
  BeginChange();
  const int32_t error =
      text->ApplyStyleSheetToSelection(uint32_t(uint16_t(id)), sheet->paragraphSheet != 0, sheet->properties,
                                       sheet->states, sheet->states.GetState(kPropTabs) == 1 ? &sheet->tabs : nullptr);
  EndChange();
  if (whole) text->SetSelection(start, end);
  return error;
}

int32_t xMorvaDocument::ReapplyStyleSheet(int16_t id, bool revert) {
  xMorvaTextInterface* text = fCurrent;
  if (text == nullptr || !fStyleSheets) return kErrorNoStyleSheet;
  // What carries the sheet: property 15 = id, nothing else asked.
  auto pattern = std::make_unique<xMorvaProperties>();
  pattern->SetProperty(kPropStyleSheet, id);
  auto criteria = std::make_unique<xMorvaPropertiesStates>();
  criteria->SetState(kPropStyleSheet, 1);
  const VStr<1> noText;
  // Reverting needs no sheet: its runs may name a sheet already deleted.
  auto sheet = std::make_unique<xMorvaStyleSheet>();
  const bool loaded = sheet->Load(*this, *fStyleSheets, id);
  if (!loaded && !revert) return kErrorNoStyleSheet;
  const xMorvaTabs* tabs = sheet->states.GetState(kPropTabs) == 1 ? &sheet->tabs : nullptr;
  auto apply = [&]() {
    return revert ? text->SetPropertyWithUndo(kPropStyleSheet, kDefaultStyleSheetId)
                  : text->ApplyStyleSheetToSelection(uint32_t(uint16_t(id)), sheet->paragraphSheet != 0,
                                                     sheet->properties, sheet->states, tabs);
  };

  int32_t start = 0;
  int32_t end = 0;
  text->GetSelection(start, end);
  const bool atCaret = start == end && text->GetPropertyValue(kPropStyleSheet) == id;
  // Every run it touches goes back with one undo, and with it the sheet as
  // the text carried it before the sheet was changed or deleted.
  if (fUndo) {
    fUndo->BeginGroup(kUndoGroupStyleSheet);
    fUndo->RecordStyleSheet(*text, id);
  }
  int32_t error = 0;
  int32_t from = 0;
  while (error == 0 && text->SearchText(from, text->GetLength(), noText, pattern.get(), criteria.get(), false, false)) {
    const int32_t matchEnd = text->GetSelEnd();
    BeginChange();
    error = apply();
    EndChange();
    // Always forward, whatever the edit did to the selection.
    from = std::max(matchEnd, from + 1);
  }
  text->SetSelection(start, end);
  if (error == 0 && atCaret) {
    BeginChange();
    error = apply();
    EndChange();
  }
  if (fUndo) fUndo->EndGroup();
  return error;
}

int32_t xMorvaDocument::ReapplyStyleSheetEverywhere(int16_t id, bool revert) {
  const int16_t current = fCurrentNumber;
  const int32_t page = fHeaderFooterPage;
  if (fUndo) fUndo->BeginGroup(kUndoGroupStyleSheet);
  int32_t error = 0;
  for (int16_t part : kPartOrder) {
    if (!fParts[part]) continue;
    SetCurrentPart(part);
    error = ReapplyStyleSheet(id, revert);
    if (error != 0) break;
  }
  SetCurrentPart(current);
  fHeaderFooterPage = page;
  if (fUndo) fUndo->EndGroup();
  return error;
}
