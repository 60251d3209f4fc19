// The spelling dialog: the word, the suggestions and the correction on the
// form, the five buttons handed to the speller.
#include "dialogs/xMorvaSpellingDialog.h"

#include <string>
#include <vector>

#include "dialogs/xMorvaFormObjectName.h"
#include "framework/core/strings/VUniString.h"

namespace {

constexpr const char* kWrongWord = "vWrongWord";
constexpr const char* kCorrection = "vCorrectWord";
constexpr const char* kSuggestions = "ListSuggestions";

void SetUnits(VString& text, const std::u16string& units) {
  text.SetEmpty(false);
  text.AppendUniChars(units.data(), static_cast<int32_t>(units.size()));
}

std::u16string UnitsOf(const VStrInHandle& text) {
  const auto* units = reinterpret_cast<const char16_t*>(text.GetBuffer());
  return units != nullptr ? std::u16string(units, size_t(text.GetLength())) : std::u16string();
}

}  // namespace

xMorvaSpellingDialog::xMorvaSpellingDialog(xMorvaPlugIn* area, xMorvaWinSpeller& speller)
    : xMorvaDialog(area, "mvSpelling"), fSpeller(speller) {}

bool xMorvaSpellingDialog::BeforeOpen() {
  HostFormClearList(kSuggestions);
  HostFormClearTextHandle(kWrongWord);
  HostFormClearTextHandle(kCorrection);
  return fSpeller.FindNextMisspelled();
}

bool xMorvaSpellingDialog::AfterOpen() {
  VStrInHandle word;
  SetUnits(word, fSpeller.GetCurrentWord());
  HostFormSetTextHandle(kWrongWord, word);
  const std::vector<std::u16string> suggestions = fSpeller.Suggestions();
  HostFormClearList(kSuggestions);
  int16_t row = 0;
  for (const std::u16string& suggestion : suggestions) {
    if (row == INT16_MAX) break;
    VStrInHandle item;
    SetUnits(item, suggestion);
    HostFormSetListFromHandle(kSuggestions, ++row, item);
  }
  // The first suggestion is the correction offered. Without any, the word
  // itself is: an empty correction would delete the word on "butChange".
  VStrInHandle correction;
  if (row > 0) HostFormGetListHandle(kSuggestions, 1, correction);
  if (correction.GetLength() == 0) correction.SetString(word, kWholeValue);
  HostFormSetTextHandle(kCorrection, correction);
  return true;
}

void xMorvaSpellingDialog::ItemHit(const VString& objectName, int16_t) {
  if (IsFormObject(objectName, kSuggestions)) {
    const int32_t row = HostFormGetListSelection(kSuggestions);
    if (row <= 0 || row > INT16_MAX) return;
    VStrInHandle text;
    HostFormGetListHandle(kSuggestions, static_cast<int16_t>(row), text);
    HostFormSetTextHandle(kCorrection, text);
    return;
  }
  if (IsFormObject(objectName, "butIgnore")) {
    fSpeller.Skip();
  } else if (IsFormObject(objectName, "butIgnoreAll")) {
    fSpeller.IgnoreAll();
  } else if (IsFormObject(objectName, "butAdd")) {
    fSpeller.AddWord();
  } else if (IsFormObject(objectName, "butChange") || IsFormObject(objectName, "butChangeAll")) {
    VStrInHandle text;
    HostFormGetTextHandle(kCorrection, text);
    if (IsFormObject(objectName, "butChange")) {
       fSpeller.Change(UnitsOf(text));
    } else {
      fSpeller.ChangeAll(UnitsOf(text));
    }
  } else {
    return;
  }
  GoOn();
}

void xMorvaSpellingDialog::GoOn() {
  if (fSpeller.FindNextMisspelled()) {
    AfterOpen();
  } else {
    CancelDialog();
  }
}

void xMorvaSpellingDialogService::RunSpelling(xMorvaPlugIn& area, xMorvaWinSpeller& speller) {
  xMorvaSpellingDialog dialog(&area, speller);
  dialog.Run();
}
