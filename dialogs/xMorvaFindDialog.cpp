// The find and replace dialogs: the search's texts in combo boxes over their
// histories, its criteria described and edited through the property
// dialogs, its flags in three check boxes; the replace dialog ends through
// the button that says how much to replace.
#include "dialogs/xMorvaFindDialog.h"

#include <algorithm>

#include "dialogs/xMorvaBorderDialog.h"
#include "dialogs/xMorvaFontDialog.h"
#include "dialogs/xMorvaFormObjectName.h"
#include "dialogs/xMorvaParagraphDialog.h"
#include "dialogs/xMorvaStyleSheetDialogs.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaFind.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/environment/VSystemServices.h"

namespace {

constexpr const char* kFindCombo = "cboFindList";
constexpr const char* kReplaceCombo = "cboReplaceList";
constexpr const char* kFindCriteria = "txtFind";
constexpr const char* kReplaceCriteria = "txtReplace";

// The criteria buttons of each record, in the order of the criteria kinds.
struct CriteriaButton {
  const char* name;
  xMorvaFindDialog::Criteria kind;
};
constexpr CriteriaButton kFindButtons[] = {
    {"butFindCharacters", xMorvaFindDialog::Criteria::kCharacters},
    {"butFindParagraphs", xMorvaFindDialog::Criteria::kParagraphs},
    {"butFindStyleSheet", xMorvaFindDialog::Criteria::kStyleSheet},
    {"butFindBorders", xMorvaFindDialog::Criteria::kBorders},
};
constexpr CriteriaButton kReplaceButtons[] = {
    {"butReplaceCharacters", xMorvaFindDialog::Criteria::kCharacters},
    {"butReplaceParagraphs", xMorvaFindDialog::Criteria::kParagraphs},
    {"butReplaceStyleSheet", xMorvaFindDialog::Criteria::kStyleSheet},
    {"butReplaceBorders", xMorvaFindDialog::Criteria::kBorders},
};

template <size_t N>
const CriteriaButton* FindButton(const CriteriaButton (&buttons)[N], const VString& object) {
  for (const CriteriaButton& button : buttons)
    if (IsFormObject(object, button.name)) return &button;
  return nullptr;
}

}  // namespace

// ---- The search.

bool xMorvaFindReplace::RunFindDialog(xMorvaPlugIn* owner) {
  xMorvaFindDialog dialog(owner, *this);
  return dialog.Run();
}

bool xMorvaFindReplace::RunReplaceDialog(xMorvaPlugIn* owner, bool& replaceAll) {
  xMorvaReplaceDialog dialog(owner, *this);
  if (!dialog.Run()) return false;
  replaceAll = dialog.GetReplaceAll();
  return true;
}

// ---- The find dialog.

xMorvaFindDialog::xMorvaFindDialog(xMorvaPlugIn* area, xMorvaFindReplace& search)
    : xMorvaFindDialog(area, search, "mvFind") {}

xMorvaFindDialog::xMorvaFindDialog(xMorvaPlugIn* area, xMorvaFindReplace& search,
                                   const char* formName)
    : xMorvaDialog(area, formName), fSearch(search) {
  fFindProperties.Assign(search.parameters.findProperties);
  fFindStates.Assign(search.parameters.findStates);
  fReplaceProperties.Assign(search.parameters.replaceProperties);
  fReplaceStates.Assign(search.parameters.replaceStates);
}

xMorvaFindDialog::~xMorvaFindDialog() = default;

bool xMorvaFindDialog::BeforeOpen() {
  ShowHistory(kFindCombo, fSearch.findHistory);
  return true;
}

bool xMorvaFindDialog::AfterOpen() {
  const xMorvaFindReplaceParameters& parameters = fSearch.parameters;
  ShowEntry(kFindCombo, fSearch.findHistory, parameters.findText);
  Describe(kFindCriteria, fFindProperties, fFindStates);
  HostFormSetLong("chkFullWord", parameters.wholeWord != 0 ? 1 : 0);
  HostFormSetLong("chkCaseSensitive", parameters.caseSensitive != 0 ? 1 : 0);
  HostFormSetLong("chkWrap", parameters.wrap != 0 ? 1 : 0);
  return true;
}

void xMorvaFindDialog::ItemHit(const VString& objectName, int16_t) {
  if (const CriteriaButton* button = FindButton(kFindButtons, objectName)) {
    EditCriteria(button->kind, fFindProperties, fFindStates, kFindCriteria);
  }
}

bool xMorvaFindDialog::CanAccept(const VString&, int16_t) {
  if (HasSomethingToFind()) return true;
  VSystemServices::Beep();
  return false;
}

bool xMorvaFindDialog::ReadValues() {
  xMorvaFindReplaceParameters& parameters = fSearch.parameters;
  ReadCombo(kFindCombo, fSearch.findHistory, parameters.findText);
  // The criteria as the criteria dialogs left them; the replace dialog's
  // own are taken the same way, and unchanged in the find dialog.
  parameters.findProperties.Assign(fFindProperties);
  parameters.findStates.Assign(fFindStates);
  parameters.replaceProperties.Assign(fReplaceProperties);
  parameters.replaceStates.Assign(fReplaceStates);
  parameters.wholeWord = HostFormGetLong("chkFullWord") != 0 ? 1 : 0;
  parameters.caseSensitive = HostFormGetLong("chkCaseSensitive") != 0 ? 1 : 0;
  parameters.wrap = HostFormGetLong("chkWrap") != 0 ? 1 : 0;
  return true;
}

bool xMorvaFindDialog::RunCriteriaDialog(Criteria kind, xMorvaProperties& properties,
                                         xMorvaPropertiesStates& states) {
  switch (kind) {
    case Criteria::kCharacters: {
      xMorvaFontDialog dialog(GetArea(), properties, states);
      if (!RunSubDialog(dialog)) return false;
      properties.Assign(dialog.GetProperties());
      states.Assign(dialog.GetStates());
      return true;
    }
    case Criteria::kParagraphs: {
      xMorvaParagraphDialog dialog(GetArea(), fSearch.document, properties, states);
      if (!RunSubDialog(dialog)) return false;
      properties.Assign(dialog.GetProperties());
      states.Assign(dialog.GetStates());
      return true;
    }
    case Criteria::kStyleSheet: {
      xMorvaChooseStyleSheetDialog dialog(GetArea(), fSearch.document, properties, states);
      if (!RunSubDialog(dialog)) return false;
      properties.Assign(dialog.GetProperties());
      states.Assign(dialog.GetStates());
      return true;
    }
    case Criteria::kBorders: {
      xMorvaBorderDialog dialog(GetArea(), fSearch.document, properties, states);
      if (!RunSubDialog(dialog)) return false;
      properties.Assign(dialog.GetProperties());
      states.Assign(dialog.GetStates());
      return true;
    }
  }
  return false;
}

void xMorvaFindDialog::EditCriteria(Criteria kind, xMorvaProperties& properties,
                                    xMorvaPropertiesStates& states, const char* description) {
  // The sub-dialog works on a copy, so that a cancelled one leaves the
  // criteria exactly as they were.
  xMorvaProperties working;
  working.Assign(properties);
  xMorvaPropertiesStates workingStates;
  workingStates.Assign(states);
  if (RunCriteriaDialog(kind, working, workingStates)) {
    properties.Assign(working);
    states.Assign(workingStates);
  }
  Describe(description, properties, states);
}

void xMorvaFindDialog::ShowHistory(const char* combo, const VStringArray& history) {
  HostFormClearList(combo);
  const int32_t shown = std::min(history.Count(), kShownHistory);
  for (int32_t i = 1; i <= shown; ++i) {
    VStr<255> item;
    history.FormatTo(item, nullptr, i);
    HostFormSetListText(combo, static_cast<int16_t>(i), item);
  }
}

void xMorvaFindDialog::ShowEntry(const char* combo, const VStringArray& history,
                                 const VString& text) {
  // The row of a text that is in the shown part of the history is
  // selected; the entry, the combo's own text, is set after it, since a
  // host may show the chosen row's text in the entry.
  const int32_t shown = std::min(history.Count(), kShownHistory);
  const int32_t row = text.GetLength() > 0 ? history.Find(text, 1, true, 0) : 0;
  HostFormSetLong(combo, row >= 1 && row <= shown ? row : 0);
  HostFormSetText(combo, text);
}

void xMorvaFindDialog::ReadCombo(const char* combo, VStringArray& history, VString& text) {
  VStr<255> entry;
  HostFormGetText(combo, entry);
  text.SetEmpty(false);
  text.CopyText(entry);
  if (entry.GetLength() == 0) return;
  const int32_t row = history.Find(entry, 1, true, 0);
  if (row >= 1 && row <= history.Count()) return;
  auto* item = new VStrInHandle(entry);
  history.InsertAt(item, 1);
}

void xMorvaFindDialog::Describe(const char* object, const xMorvaProperties& properties,
                                const xMorvaPropertiesStates& states) {
  VStrInHandle text;
  if (fSearch.document != nullptr) properties.Describe(*fSearch.document, states, text);
  if (text.GetLength() == 0) {
    HostFormClearTextHandle(object);
  } else {
    HostFormSetTextHandle(object, text);
  }
}

bool xMorvaFindDialog::HasSomethingToFind() {
  VStr<255> entry;
  HostFormGetText(kFindCombo, entry);
  return entry.GetLength() > 0 || HasPropertyCriteria(fFindStates);
}

// ---- The replace dialog.

xMorvaReplaceDialog::xMorvaReplaceDialog(xMorvaPlugIn* area, xMorvaFindReplace& search)
    : xMorvaFindDialog(area, search, "mvReplace") {}

xMorvaReplaceDialog::~xMorvaReplaceDialog() = default;

bool xMorvaReplaceDialog::BeforeOpen() {
  xMorvaFindDialog::BeforeOpen();
  ShowHistory(kReplaceCombo, fSearch.replaceHistory);
  return true;
}

bool xMorvaReplaceDialog::AfterOpen() {
  xMorvaFindDialog::AfterOpen();
  const xMorvaFindReplaceParameters& parameters = fSearch.parameters;
  ShowEntry(kReplaceCombo, fSearch.replaceHistory, parameters.replaceText);
  Describe(kReplaceCriteria, fReplaceProperties, fReplaceStates);
  return true;
}

void xMorvaReplaceDialog::ItemHit(const VString& objectName, int16_t page) {
  if (const CriteriaButton* button = FindButton(kReplaceButtons, objectName)) {
    EditCriteria(button->kind, fReplaceProperties, fReplaceStates, kReplaceCriteria);
    return;
  }
  const bool all = IsFormObject(objectName, "butAll");
  if (all || IsFormObject(objectName, "butReplace")) {
    // These buttons end the run themselves, so they are held to what an
    // accept is held to.
    if (!CanAccept(objectName, page)) return;
    fReplaceAll = all;
    AcceptDialog();
    return;
  }
  xMorvaFindDialog::ItemHit(objectName, page);
}

bool xMorvaReplaceDialog::ReadValues() {
  xMorvaFindDialog::ReadValues();
  ReadCombo(kReplaceCombo, fSearch.replaceHistory, fSearch.parameters.replaceText);
  return true;
}
