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
  const std::u16string current = fSpeller.GetCurrentWord();
  SetUnits(word, current);
  HostFormSetTextHandle(kWrongWord, word);
  fSuggestions = fSpeller.Suggestions();
  HostFormClearList(kSuggestions);
  int16_t row = 0;
  for (const std::u16string& suggestion : fSuggestions) {
    if (row == INT16_MAX) break;
    VStrInHandle item;
    SetUnits(item, suggestion);
    HostFormSetListFromHandle(kSuggestions, ++row, item);
  }
  // The first suggestion is the correction offered. Without any, the word
  // itself is: an empty correction would delete the word on "butChange".
  OfferCorrection(!fSuggestions.empty() && !fSuggestions.front().empty() ? fSuggestions.front() : current);
  return true;
}

void xMorvaSpellingDialog::OfferCorrection(const std::u16string& correction) {
  VStrInHandle text;
  SetUnits(text, correction);
  HostFormSetTextHandle(kCorrection, text);
  VStrInHandle shown;
  HostFormGetTextHandle(kCorrection, shown);
  fOffered = correction;
  fShown = UnitsOf(shown);
}

std::u16string xMorvaSpellingDialog::Correction() {
  VStrInHandle text;
  HostFormGetTextHandle(kCorrection, text);
  // A form in the Macintosh character set shows "Zażółć" as "Zaó": the
  // correction is never made from that lossy copy.
  std::u16string typed = UnitsOf(text);
  return typed == fShown ? fOffered : typed;
}

void xMorvaSpellingDialog::ItemHit(const VString& objectName, int16_t) {
  if (IsFormObject(objectName, kSuggestions)) {
    const int32_t row = HostFormGetListSelection(kSuggestions);
    // The row's suggestion as the dictionary gave it, not as the list shows it.
    if (row > 0 && size_t(row) <= fSuggestions.size()) OfferCorrection(fSuggestions[size_t(row) - 1]);
    return;
  }
  if (IsFormObject(objectName, "butIgnore")) {
    fSpeller.Skip();
  } else if (IsFormObject(objectName, "butIgnoreAll")) {
    fSpeller.IgnoreAll();
  } else if (IsFormObject(objectName, "butAdd")) {
    fSpeller.AddWord();
  } else if (IsFormObject(objectName, "butChange")) {
    fSpeller.Change(Correction());
  } else if (IsFormObject(objectName, "butChangeAll")) {
    fSpeller.ChangeAll(Correction());
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
