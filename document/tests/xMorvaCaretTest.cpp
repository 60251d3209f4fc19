// The caret blinks by tick counts across the wrap of the count, and its
// drawing in not-xor mode gives back every pixel when drawn twice.
#include <gtest/gtest.h>

#include <vector>

#include "document/xMorvaCaret.h"
#include "graphics/VDIBPort.h"
#include "graphics/VShape.h"

namespace {

struct BlinkCase {
  const char* name;
  uint32_t shownAt;   // the first blink turns the caret on here
  uint32_t interval;
  uint32_t later;     // ticks after that first blink
  bool toggles;
};

TEST(CaretTest, BlinksWhenDueAcrossTheTickWrap) {
  const BlinkCase cases[] = {
      {"before due", 1000, 30, 29, false},
      {"due exactly", 1000, 30, 30, true},
      {"long after", 1000, 30, 5000, true},
      // The due time wraps past zero: the caret still blinks on time.
      {"due after the wrap, not yet", 0xFFFFFFF0u, 30, 29, false},
      {"due after the wrap, the count not yet wrapped", 0xFFFFFFF0u, 30, 5, false},
      // Due just before the wrap, asked just after it: no freeze.
      {"due before the wrap, asked after it", 0xFFFFFF00u, 30, 0x105, true},
      {"due after the wrap", 0xFFFFFFF0u, 30, 30, true},
      {"due after the wrap, later", 0xFFFFFFF0u, 30, 400, true},
  };
  for (const BlinkCase& c : cases) {
    xMorvaCaret caret;
    caret.Show();
    ASSERT_TRUE(caret.Blink(false, c.shownAt, c.interval)) << c.name;  // on at once
    EXPECT_TRUE(caret.IsOn()) << c.name;
    EXPECT_EQ(c.toggles, caret.Blink(false, c.shownAt + c.later, c.interval)) << c.name;
    EXPECT_EQ(!c.toggles, caret.IsOn()) << c.name;
  }
}

TEST(CaretTest, ForcedOffAndHidden) {
  xMorvaCaret caret;
  EXPECT_FALSE(caret.Blink(false, 10, 30));  // never shown
  caret.Show();
  EXPECT_FALSE(caret.Blink(true, 10, 30));   // off already: nothing to draw
  EXPECT_TRUE(caret.Blink(false, 10, 30));
  EXPECT_TRUE(caret.Blink(true, 11, 30));    // on: drawn once more to take it off
  EXPECT_FALSE(caret.IsOn());
  EXPECT_TRUE(caret.Blink(false, 12, 30));   // forced: due at once again
  caret.Hide();
  EXPECT_FALSE(caret.Blink(false, 100, 30));
}

std::vector<COLORREF> Pixels(const VDIBPort& port, int32_t width, int32_t height) {
  std::vector<COLORREF> pixels;
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) pixels.push_back(port.GetPixel(x, y));
  }
  return pixels;
}

TEST(CaretTest, DrawnTwiceGivesBackEveryPixel) {
  for (bool slant : {false, true}) {
    VDIBPort port(40, 30, 32);
    port.SetFillColor(RGB(200, 120, 40));
    port.PaintVRect(VRect(0, 0, 40, 30));
    port.SetFillColor(RGB(10, 250, 90));
    port.PaintVRect(VRect(10, 5, 20, 10));
    const std::vector<COLORREF> before = Pixels(port, 40, 30);
    xMorvaCaret caret;
    caret.Set(15, 4, 17, slant);
    caret.Show();
    caret.Draw(port, 3);
    const std::vector<COLORREF> drawn = Pixels(port, 40, 30);
    EXPECT_NE(before, drawn) << slant;
    if (slant) {
      // Height 17: from x + dx + 2 at the top to x + dx - 2 at the bottom
      // (the two-pixel pen hangs one pixel to the left).
      EXPECT_NE(before[4 * 40 + 19], drawn[4 * 40 + 19]);
      EXPECT_EQ(before[4 * 40 + 16], drawn[4 * 40 + 16]);
      EXPECT_NE(before[20 * 40 + 16], drawn[20 * 40 + 16]);
      EXPECT_EQ(before[20 * 40 + 19], drawn[20 * 40 + 19]);
    } else {
      EXPECT_NE(before[4 * 40 + 18], drawn[4 * 40 + 18]);
      EXPECT_NE(before[20 * 40 + 18], drawn[20 * 40 + 18]);
      EXPECT_EQ(before[21 * 40 + 18], drawn[21 * 40 + 18]);
    }
    caret.Draw(port, 3);
    EXPECT_EQ(before, Pixels(port, 40, 30)) << slant;
  }
}

}  // namespace
