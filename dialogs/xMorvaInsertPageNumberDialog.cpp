// The page-number dialog: two drop-downs over the parts of the format word
// that are the dialog's; the rest of the word passes through untouched.
#include "dialogs/xMorvaInsertPageNumberDialog.h"

#include <memory>

#include "engine/xMorvaEngine.h"
#include "framework/core/containers/VStringArray.h"

namespace {

constexpr int16_t kNumberingStylesOffset = 7;
constexpr int16_t kNumberOrTotalOffset = 122;
// The styles a word can carry in its four bits.
constexpr int32_t kWordStyles = 16;
constexpr uint32_t kStyleMask = 0xFu << kPageNumberStyleShift;

}  // namespace

uint32_t PageNumberWordFromItems(uint32_t word, int32_t numberOrTotal, int32_t format, int32_t styles) {
  const auto style = uint32_t(DropDownChoice(format, styles < kWordStyles ? styles : kWordStyles,
                                             int32_t(word >> kPageNumberStyleShift)));
  word = (word & ~kStyleMask) | (style << kPageNumberStyleShift);
  if (numberOrTotal == 1) word &= ~kPageNumberCount;
  if (numberOrTotal == 2) word |= kPageNumberCount;
  return word;
}

xMorvaInsertPageNumberDialog::xMorvaInsertPageNumberDialog(xMorvaPlugIn* area, uint32_t word)
    : xMorvaDialog(area, "mvInsertPageNumber"), fWord(word) {}

xMorvaInsertPageNumberDialog::~xMorvaInsertPageNumberDialog() = default;

bool xMorvaInsertPageNumberDialog::BeforeOpen() {
  FillFromList("droNumberOrTotal", kNumberOrTotalOffset);
  FillFromList("droFormat", kNumberingStylesOffset);
  return true;
}

bool xMorvaInsertPageNumberDialog::AfterOpen() {
  SetItemNumber("droFormat", int32_t(fWord >> kPageNumberStyleShift) + 1);
  SetItemNumber("droNumberOrTotal", (fWord & kPageNumberCount) != 0 ? 2 : 1);
  return true;
}

bool xMorvaInsertPageNumberDialog::ReadValues() {
  // As many styles as the list offers (one item a style, in style order).
  std::unique_ptr<VStringArray> styles(NewList(kNumberingStylesOffset));
  const int32_t count = styles ? styles->Count() : kWordStyles;
  fWord = PageNumberWordFromItems(fWord, GetItemNumber("droNumberOrTotal"), GetItemNumber("droFormat"), count);
  return true;
}

bool RunPageNumberDialog(xMorvaPlugIn& area, uint32_t& word) {
  xMorvaInsertPageNumberDialog dialog(&area, word);
  if (!dialog.Run()) return false;
  word = dialog.GetChoice();
  return true;
}
