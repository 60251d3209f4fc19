// The special character grid: which character a point selects, and the
// grid drawn to the pixel.
#include <gtest/gtest.h>

#include "dialogs/tests/DialogTestSupport.h"
#include "dialogs/xMorvaCharDisplayer.h"
#include "views/VEvent.h"

namespace {

VStr<255> Font(const char* name) {
  VStr<255> text;
  text.SetAnsiCText(name);
  return text;
}

VEvent Click(int32_t x, int32_t y, int16_t count) {
  return VEvent(x, y, 0, false, false, false, false, false, count, 0);
}

// The colour the port gives a look colour index for the pen.
COLORREF LookColour(VPort& port, int32_t index) {
  port.SetPenColorIndex(index);
  return port.GetPenColor() & 0xFFFFFF;
}

TEST(xMorvaCharDisplayer, APointSelectsTheCharacterOfItsCell) {
  struct Row {
    int32_t x, y, expected;
  };
  const Row rows[] = {
      {2, 2, 32},
      {19, 19, 32},
      {20, 2, 33},
      {2, 20, 64},  // the first cells, their far edges
      {560, 110, 255},
      {577, 127, 255},
      {559, 127, 254},
      {577, 109, 223},  // the last cell and its neighbours
      {1, 50, -1},
      {50, 1, -1},
      {578, 50, -1},
      {50, 128, -1},  // the outer border
      {0, 0, -1},
      {-5, 40, -1},
      {40, -5, -1},
      {900, 900, -1},  // outside
      {289, 64, 32 + 32 * 3 + 15},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(xMorvaCharDisplayer::CharacterAt(r.x, r.y), r.expected) << r.x << "," << r.y;
  }
}

TEST(xMorvaCharDisplayer, AClickSelectsAndTheBorderLeavesTheSelection) {
  xMorvaCharDisplayer grid(nullptr, nullptr, Font("Arial"), 'A');
  EXPECT_EQ(grid.GetWidth(), 577);
  EXPECT_EQ(grid.GetHeight(), 127);
  VEvent border = Click(1, 60, 1);
  grid.MouseDown(border);
  EXPECT_EQ(grid.GetSelectedChar(), 'A');
  VEvent last = Click(570, 120, 1);
  grid.MouseDown(last);
  EXPECT_EQ(grid.GetSelectedChar(), 255);
  // A double click without a dialog only selects.
  VEvent twice = Click(3, 3, 2);
  grid.MouseDown(twice);
  EXPECT_EQ(grid.GetSelectedChar(), 32);
}

TEST(xMorvaCharDisplayer, DrawsTheGridToThePixel) {
  DialogGraphics graphics;
  LookCanvas canvas(xMorvaCharDisplayer::kWidth + 1, xMorvaCharDisplayer::kHeight + 1);
  xMorvaCharDisplayer grid(nullptr, nullptr, Font("Arial"), 'A');
  grid.DrawContent(canvas.port());
  const COLORREF line = LookColour(canvas.port(), 5);
  // Eight rows of lines and 33 columns, the last pixel of each omitted.
  for (int32_t i = 0; i <= 7; ++i) {
    EXPECT_EQ(canvas.At(1, 18 * i + 1), line) << i;
    EXPECT_EQ(canvas.At(575, 18 * i + 1), line) << i;
  }
  for (int32_t j = 0; j <= 32; ++j) EXPECT_EQ(canvas.At(18 * j + 1, 125), line) << j;
  EXPECT_EQ(canvas.At(577, 1), line);
  EXPECT_EQ(canvas.At(1, 127), line);
  EXPECT_NE(canvas.At(577, 127), line);
  // 'A' is 65: row 1, column 1; its cell is filled 17 x 17 inside the lines.
  canvas.port().SetFillColorIndex(30);
  const COLORREF fill = canvas.port().GetFillColor();
  EXPECT_EQ(canvas.At(18 + 2, 18 + 2), fill);
  EXPECT_EQ(canvas.At(18 + 18, 18 + 18), fill);
  EXPECT_GT(canvas.Count(fill, 20, 20, 17, 17), 17 * 17 / 2);
  EXPECT_EQ(canvas.Count(fill, 38, 20, 17, 17), 0);
  ExpectDialogReference(canvas, "char-grid-arial");
}

TEST(xMorvaCharDisplayer, DrawsTheSymbolFontAfterAFontChange) {
  DialogGraphics graphics;
  LookCanvas canvas(xMorvaCharDisplayer::kWidth + 1, xMorvaCharDisplayer::kHeight + 1);
  xMorvaCharDisplayer grid(nullptr, nullptr, Font("Arial"), 255);
  grid.SetFontName(Font("Wingdings"));
  VStr<255> name;
  grid.GetFontName(name);
  EXPECT_EQ(name.Compare(Font("Wingdings"), true), 0);
  grid.DrawContent(canvas.port());
  ExpectDialogReference(canvas, "char-grid-wingdings");
}

}  // namespace
