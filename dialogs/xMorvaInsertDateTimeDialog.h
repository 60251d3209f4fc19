// xMorvaInsertDateTimeDialog: how a date and a time are written at the
// selection (document command 401): one of the date styles or none, one of
// the time styles or none, and whether the value written updates itself.
#pragma once

#include <cstdint>
#include <string>

#include "dialogs/xMorvaDialog.h"
#include "framework/core/values/VValue.h"

class xMorvaInsertDateTimeDialog : public xMorvaDialog {
 public:
  static constexpr int32_t kDateStyles = 7;
  static constexpr int32_t kTimeStyles = 5;

  // `format`: high byte the date style 0 to 7, low byte the time style 0 to
  // 5 (0: not shown).
  xMorvaInsertDateTimeDialog(xMorvaPlugIn* area, uint16_t format);
  ~xMorvaInsertDateTimeDialog() override;

  uint16_t GetFormat() const { return fFormat; }
  bool GetAutoUpdate() const { return fAutoUpdate != 0; }
  // The moment the dialog opened, written in the chosen styles.
  void GetText(VString& text) const;

  bool BeforeOpen() override;
  bool AfterOpen() override;
  void ItemHit(const VString& objectName, int16_t page) override;

 private:
  VDateRec fDate{};
  int32_t fSeconds = 0;
  uint16_t fFormat;
  uint8_t fAutoUpdate = 0;
};

// The format word as the lists can show it: a date style above 7 or a time
// style above 5 (a word no list item stands for) shows as none.
uint16_t DateTimeFormatShown(uint16_t format);
// The date's style from its list item (item 1 none, items 2 to 8 styles 1
// to 7), or the time's from its own (items 1 to 6); any other item keeps
// the word as it is.
uint16_t DateTimeFormatWithDateItem(uint16_t format, int32_t item);
uint16_t DateTimeFormatWithTimeItem(uint16_t format, int32_t item);

// Command 401: `format` the word of the element at the selection in; on OK
// the chosen word, whether a live element goes in (`element`) and, without
// one, the text to type.
bool RunDateTimeDialog(xMorvaPlugIn& area, uint16_t& format, bool& element, std::u16string& text);
