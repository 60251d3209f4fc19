// The small dialogs of the editing area: go to page ("mvGotoPage"), the
// document's language ("mvLanguage"), the table of a print merge
// ("mvMailing") and the module's version ("mvAbout").
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "dialogs/xMorvaDialog.h"

// ---- The stored records these dialogs read.

// The language code of list item `item` (1 to the count) in an 'LGCD'
// record: a 16-bit count n, then n 16-bit codes, in native order (the
// package converts the record when it is loaded). False for an item past
// the count, or a count or code past the record's end.
bool LanguageCodeOfItem(const uint8_t* record, size_t size, int32_t item, int16_t& code);
// The list item (1 to the count) whose code is `code`; 0 for none.
int32_t LanguageItemOfCode(const uint8_t* record, size_t size, int16_t code);
// The short version string of a 'vers' record: the length-byte string at
// byte 6. False when the record is shorter or the string runs past its end.
bool ShortVersionOf(const uint8_t* record, size_t size, std::string& version);

// ---- Go to page: the page number printed on the page (the page index plus
// the document's first page number).
class xMorvaGotoPageDialog : public xMorvaDialog {
 public:
  xMorvaGotoPageDialog(xMorvaPlugIn* area, const xMorvaDocument& document);
  bool AfterOpen() override;
  void ItemHit(const VString& objectName, int16_t page) override;
  // The chosen page number, kept within the document's pages.
  int32_t GetPage() const { return fPage; }
  // The 0-based page of the chosen number.
  int32_t GetPageIndex() const { return fPage - fFirst; }
  // The page number an entry's value names: truncated, and held to the
  // numbers of the document's `count` pages from `first` (a value that is
  // not a number names the first).
  static int32_t PageNumberOf(double value, int32_t first, int32_t count);

 private:
  int32_t fFirst;
  int32_t fPageCount;
  int32_t fPage;
};

// ---- The document's language, from the list of 'STR#' base+15 and the
// codes of the 'LGCD' resource; an accepted choice is written into the
// document.
class xMorvaLanguageDialog : public xMorvaDialog {
 public:
  xMorvaLanguageDialog(xMorvaPlugIn* area, xMorvaDocument& document);
  bool BeforeOpen() override;
  bool ReadValues() override;

 private:
  xMorvaDocument& fDocument;
};

// ---- The table of a print merge, its query, sort and record count.
class xMorvaMailingDialog : public xMorvaDialog {
 public:
  explicit xMorvaMailingDialog(xMorvaPlugIn* area);
  bool BeforeOpen() override;
  bool AfterOpen() override;
  void ItemHit(const VString& objectName, int16_t page) override;
  // The chosen table; 0 when the database offers none.
  int16_t GetTable() const { return fTable; }

 private:
  void ChooseTable();
  void ShowCount();

  int16_t fTable = 0;
};

// ---- The module's version and the path of its preferences file.
class xMorvaAboutDialog : public xMorvaDialog {
 public:
  explicit xMorvaAboutDialog(xMorvaPlugIn* area);
  bool AfterOpen() override;
};

// The runs of the commands: go to page (807) answers the 0-based page;
// language (806) and about (10) apply themselves; the mailing answers a
// table only when one was chosen.
bool RunGotoPageDialog(xMorvaPlugIn& area, int32_t& page);
bool RunLanguageDialog(xMorvaPlugIn& area, xMorvaDocument& document);
bool RunAboutDialog(xMorvaPlugIn& area);
bool RunMailingDialog(xMorvaPlugIn& area, int16_t& table);
