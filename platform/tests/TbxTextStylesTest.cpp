// TextEdit's style runs: insertion and deletion keep runs in place, each
// TESetStyle mode (toggle included) over a range, the common style of a
// range, and the style scrap out and back in, with damaged scraps refused.
#include "platform/toolbox/TbxTextStyles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using namespace Tbx;

TextEditStyle Style(int16_t font, uint8_t face = 0, int16_t size = 12) { return TextEditStyle{font, face, size, {0, 0, 0}}; }

// "start:font" for each run.
std::string Shape(const TextEditRuns& runs) {
  std::string out;
  for (const TextEditRun& r : runs.Runs()) out += std::to_string(r.start) + ":" + std::to_string(r.style.font) + " ";
  return out;
}

TEST(TextEditRuns, InsertAndDeleteKeepRunsInPlace) {
  TextEditRuns runs(Style(1));
  runs.Replace(0, 0, 10, Style(1));
  runs.Apply(4, 6, kStyleFont, Style(2));
  EXPECT_EQ(Shape(runs), "0:1 4:2 6:1 ");
  runs.Replace(2, 2, 3, Style(3));
  EXPECT_EQ(Shape(runs), "0:1 2:3 5:1 7:2 9:1 ");
  runs.Replace(1, 8, 0, Style(9));
  EXPECT_EQ(Shape(runs), "0:1 1:2 2:1 ");
  EXPECT_EQ(runs.Length(), 6);
  runs.Replace(0, 6, 0, Style(9));
  EXPECT_EQ(Shape(runs), "0:1 ") << "an emptied text keeps the first deleted style";
}

TEST(TextEditRuns, ModesSetToggleAndAddAndTheCommonStyleSaysWhatVaries) {
  TextEditRuns runs(Style(1, 1, 10));
  runs.Replace(0, 0, 8, Style(1, 1, 10));
  runs.Apply(4, 8, kStyleFace | kStyleToggle, Style(0, 1));
  int16_t mode = kStyleAll;
  TextEditStyle common;
  EXPECT_FALSE(runs.Continuous(0, 8, mode, common));
  EXPECT_EQ(mode, kStyleFont | kStyleSize | kStyleColor);
  EXPECT_EQ(common.face, 0) << "bold is not common";
  runs.Apply(0, 8, kStyleFace | kStyleToggle, Style(0, 1));
  mode = kStyleFace;
  EXPECT_TRUE(runs.Continuous(0, 8, mode, common)) << "a mixed range is toggled on everywhere";
  EXPECT_EQ(common.face, 1);
  runs.Apply(2, 3, kStyleAddSize, Style(0, 0, 4));
  runs.Apply(0, 8, kStyleColor, TextEditStyle{0, 0, 0, {0xFFFF, 0, 0}});
  mode = kStyleSize | kStyleColor;
  EXPECT_FALSE(runs.Continuous(0, 8, mode, common));
  EXPECT_EQ(mode, kStyleColor);
  mode = kStyleSize;
  EXPECT_TRUE(runs.Continuous(3, 3, mode, common)) << "a caret answers the character before it";
  EXPECT_EQ(common.size, 14);
}

TEST(TextEditRuns, TheScrapCarriesRunsAndDamagedScrapsChangeNothing) {
  TextEditRuns runs(Style(1));
  runs.Replace(0, 0, 6, Style(1));
  runs.Apply(3, 6, kStyleAll, Style(2, 2, 18));
  const std::vector<uint8_t> scrap = runs.Scrap(2, 6, 0, 0);
  ASSERT_EQ(scrap.size(), kScrapHeaderSize + 2 * kScrapElementSize);
  int32_t second = 0;
  std::memcpy(&second, scrap.data() + kScrapHeaderSize + kScrapElementSize, 4);
  EXPECT_EQ(second, 1) << "starts relative to the range";
  TextEditRuns other(Style(5));
  other.Replace(0, 0, 10, Style(5));
  EXPECT_TRUE(other.UseScrap(6, 10, scrap.data(), scrap.size()));
  EXPECT_EQ(Shape(other), "0:5 6:1 7:2 ");
  EXPECT_EQ(other.StyleAt(9).size, 18);
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  std::vector<uint8_t> overCount = scrap;
  overCount[0] = 3;
  std::vector<uint8_t> negative = scrap;
  negative[1] = 0x80;
  const Case bad[] = {{"empty", {}}, {"one byte", {1}}, {"count past the size", overCount}, {"negative count", negative}};
  for (const Case& c : bad) {
    TextEditRuns untouched(Style(5));
    untouched.Replace(0, 0, 4, Style(5));
    EXPECT_FALSE(untouched.UseScrap(0, 4, c.bytes.data(), c.bytes.size())) << c.what;
    EXPECT_EQ(Shape(untouched), "0:5 ") << c.what;
  }
}

}  // namespace
