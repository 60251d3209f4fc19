// Text metrics and extents: sizes from the LOGFONTA height and width, cells
// that add up, and run widths that are exactly the sums of their characters'.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gdi/GdiFont.h"
#include "platform/gdi/WinGdi.h"

namespace {

class MetricsDc {
 public:
  explicit MetricsDc(const char* face, LONG height = -16, LONG width = 0, LONG weight = FW_NORMAL)
      : dc_(CreateCompatibleDC(nullptr)) {
    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfWeight = weight;
    std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    previous_ = SelectObject(dc_, CreateFontIndirectA(&lf));
  }
  ~MetricsDc() {
    DeleteObject(SelectObject(dc_, previous_));
    DeleteDC(dc_);
  }
  TEXTMETRICA Metrics() const {
    TEXTMETRICA tm{};
    EXPECT_TRUE(GetTextMetricsA(dc_, &tm));
    return tm;
  }
  SIZE Extent(const std::string& text) const {
    SIZE size{-1, -1};
    EXPECT_TRUE(GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(text.size()), &size));
    return size;
  }
  SIZE Extent(const std::u16string& text) const {
    SIZE size{-1, -1};
    EXPECT_TRUE(GetTextExtentPoint32W(dc_, text.data(), static_cast<int>(text.size()), &size));
    return size;
  }
  HDC dc() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

const char* const kFaces[] = {"Arial", "Times New Roman", "Courier New", "MS Sans Serif",
                              "Wingdings", "No Such Face"};

}  // namespace

TEST(GdiFontMetrics, AscentAndDescentMakeTheHeight) {
  for (const char* face : kFaces) {
    for (LONG height : {-8, -11, -13, -16, -24, -37, -100, 12, 20, 45}) {
      MetricsDc dc(face, height);
      TEXTMETRICA tm = dc.Metrics();
      EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight) << face << " " << height;
      EXPECT_GT(tm.tmAscent, 0);
      EXPECT_GE(tm.tmInternalLeading, 0);
      EXPECT_GE(tm.tmExternalLeading, 0);
    }
  }
}

TEST(GdiFontMetrics, NegativeHeightIsTheCharacterHeight) {
  for (const char* face : kFaces) {
    for (LONG height : {-9, -16, -33, -100}) {
      MetricsDc dc(face, height);
      TEXTMETRICA tm = dc.Metrics();
      EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, -height) << face;
    }
  }
}

TEST(GdiFontMetrics, PositiveHeightIsTheCellHeight) {
  for (const char* face : kFaces) {
    for (LONG height : {10, 16, 23, 60}) {
      MetricsDc dc(face, height);
      EXPECT_NEAR(dc.Metrics().tmHeight, height, 1) << face;
    }
  }
}

TEST(GdiFontMetrics, ZeroHeightGivesTheDefaultSize) {
  MetricsDc zero("Arial", 0), sixteen("Arial", -16);
  EXPECT_EQ(zero.Metrics().tmHeight, sixteen.Metrics().tmHeight);
}

TEST(GdiFontMetrics, WidthScalesTheAverageCharacterWidth) {
  MetricsDc natural("Arial", -20), narrow("Arial", -20, 4), wide("Arial", -20, 20);
  EXPECT_NEAR(narrow.Metrics().tmAveCharWidth, 4, 1);
  EXPECT_NEAR(wide.Metrics().tmAveCharWidth, 20, 1);
  EXPECT_EQ(narrow.Metrics().tmHeight, natural.Metrics().tmHeight);
  EXPECT_LT(narrow.Extent(std::string("Hello")).cx, natural.Extent(std::string("Hello")).cx);
  EXPECT_GT(wide.Extent(std::string("Hello")).cx, natural.Extent(std::string("Hello")).cx);
}

TEST(GdiFontMetrics, AbsurdHeightsAreBoundedNotFatal) {
  for (LONG height : {LONG(INT_MIN), LONG(INT_MAX), LONG(-1000000)}) {
    MetricsDc dc("Arial", height, INT_MIN);
    TEXTMETRICA tm = dc.Metrics();
    EXPECT_GT(tm.tmHeight, 0);
    EXPECT_LE(tm.tmHeight, 3 * 4096);
    EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight);
  }
}

TEST(GdiFontExtent, RunWidthIsTheSumOfItsCharacterWidths) {
  const std::string text = "Kerning pairs: AV To Wa yo 7. -- fi fl ffi (x) [y] {z}";
  for (const char* face : kFaces) {
    for (LONG height : {-11, -13, -17, -29}) {
      MetricsDc dc(face, height);
      LONG sum = 0;
      for (char c : text) sum += dc.Extent(std::string(1, c)).cx;
      SIZE whole = dc.Extent(text);
      EXPECT_EQ(whole.cx, sum) << face << " " << height;
      EXPECT_EQ(whole.cy, dc.Metrics().tmHeight);
      // Split anywhere, the halves add up too: no fractional drift.
      for (size_t cut : {size_t(1), size_t(9), size_t(30)}) {
        EXPECT_EQ(dc.Extent(text.substr(0, cut)).cx + dc.Extent(text.substr(cut)).cx, whole.cx);
      }
    }
  }
}

TEST(GdiFontExtent, AnsiIsCodePage1252AndMeasuresAsItsUnicode) {
  MetricsDc dc("Arial", -15);
  // Euro sign, left double quote, o with diaeresis.
  EXPECT_EQ(dc.Extent(std::string("\x80\x93\xF6")).cx, dc.Extent(std::u16string(u"\u20AC\u201C\u00F6")).cx);
  EXPECT_EQ(dc.Extent(std::string("Abc")).cx, dc.Extent(std::u16string(u"Abc")).cx);
}

TEST(GdiFontExtent, EmptyRunHasNoWidthAndTheCellHeight) {
  MetricsDc dc("Arial");
  SIZE size{-1, -1};
  EXPECT_TRUE(GetTextExtentPoint32A(dc.dc(), nullptr, 0, &size));
  EXPECT_EQ(size.cx, 0);
  EXPECT_EQ(size.cy, dc.Metrics().tmHeight);
}

TEST(GdiFontExtent, BadArgumentsFailWithAnError) {
  MetricsDc dc("Arial");
  SIZE size{};
  SetLastError(0);
  EXPECT_FALSE(GetTextExtentPoint32A(dc.dc(), "abc", -1, &size));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(GetTextExtentPoint32A(dc.dc(), "abc", 3, nullptr));
  EXPECT_FALSE(GetTextExtentPoint32A(dc.dc(), nullptr, 3, &size));
  EXPECT_FALSE(GetTextExtentPoint32W(nullptr, u"abc", 3, &size));
  EXPECT_FALSE(GetTextMetricsA(dc.dc(), nullptr));
  TEXTMETRICA tm{};
  EXPECT_FALSE(GetTextMetricsA(reinterpret_cast<HDC>(0x12345), &tm));
}

TEST(GdiFontExtent, ExtentExGivesPartialExtentsAndTheCharactersThatFit) {
  MetricsDc dc("Times New Roman", -18);
  const std::string text = "Margins";
  std::vector<int> extents(text.size(), -1);
  int fit = -1;
  SIZE size{};
  SIZE firstThree = dc.Extent(text.substr(0, 3));
  ASSERT_TRUE(GetTextExtentExPointA(dc.dc(), text.data(), static_cast<int>(text.size()),
                                    firstThree.cx, &fit, extents.data(), &size));
  EXPECT_EQ(fit, 3);
  EXPECT_EQ(size.cx, dc.Extent(text).cx);
  for (size_t i = 0; i < text.size(); ++i) {
    EXPECT_EQ(extents[i], dc.Extent(text.substr(0, i + 1)).cx);
  }
  std::u16string wide = u"Margins";
  std::vector<int> wideExtents(wide.size(), -1);
  ASSERT_TRUE(GetTextExtentExPointW(dc.dc(), wide.data(), static_cast<int>(wide.size()), 0, &fit,
                                    wideExtents.data(), &size));
  EXPECT_EQ(fit, 0);
  EXPECT_EQ(wideExtents, extents);
}
