// xMorvaCharDisplayer: the grid of the special character dialog, the 224
// characters 32 to 255 of the Windows ANSI code page in one font, 7 rows of
// 32 cells of 18 pixels; a click selects the character under it, a double
// click also accepts the dialog.
#pragma once

#include <cstdint>

#include "framework/core/strings/VUniString.h"
#include "views/VFrame.h"

class xMorvaSelectCharDialog;

class xMorvaCharDisplayer : public VFrame {
 public:
  // Cell (row r, column c) holds the character 32 + 32 r + c and spans
  // x = 18 c + 1 to 18 c + 19, y = 18 r + 1 to 18 r + 19.
  static constexpr int32_t kCell = 18;
  static constexpr int32_t kColumns = 32;
  static constexpr int32_t kRows = 7;
  static constexpr int32_t kFirstChar = 32;
  static constexpr int32_t kWidth = kColumns * kCell + 1;  // 577
  static constexpr int32_t kHeight = kRows * kCell + 1;    // 127

  // The grid at (0, 0) of the parent, kWidth by kHeight; `dialog` (may be
  // null) hears of a double click.
  xMorvaCharDisplayer(VFrame* parent, xMorvaSelectCharDialog* dialog, const VString& fontName,
                      uint8_t character);

  // The character under the point, or -1 for a point on the grid's outer
  // border or outside it.
  static int32_t CharacterAt(int32_t x, int32_t y);

  // Takes the font and redraws.
  void SetFontName(const VString& name);
  void GetFontName(VString& name) const { name.SetString(fFontName, kWholeValue); }
  uint8_t GetSelectedChar() const { return fSelected; }

  void DrawContent(VPort& port) override;
  bool MouseDown(VEvent& event) override;

 private:
  uint8_t fSelected;
  VStr<255> fFontName;
  xMorvaSelectCharDialog* fDialog;
};
