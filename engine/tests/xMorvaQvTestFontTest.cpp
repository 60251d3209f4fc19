// Composition with "Qv Test", the synthetic face written at build time: every
// advance is a whole number of pixels (space and punctuation a quarter em,
// digits and lower case half an em, upper case three quarters), the ascent is
// three quarters of an em and the descent one quarter, with no leading, so
// widths, heights, breaks and tab spaces below are worked out by hand. At the
// default 12 points on the 96-dpi port an em is 16 pixels: a = 8, A = 12,
// space = 4.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/tests/CompositionFixture.h"
#include "engine/tests/ReferenceImage.h"
#include "platform/gdi/GdiSnapshot.h"
#include "platform/gdi/fonts/GdiFontLibrary.h"

namespace {

class QvComposition : public Composition {
 protected:
  void SetUp() override {
    AddQvTestFont();
    document.UseFace("Qv Test");
  }
  void Compose(int32_t textWidth, const Bytes& bytes) {
    document.textWidth = textWidth;
    Load(bytes);
    ASSERT_EQ(0, lines.ComposeAll(font));
    ASSERT_EQ(SumBytes(), engine.GetStreamSize());
  }
};

TEST_F(QvComposition, TheFaceIsFoundByItsName) {
  Compose(400, Stream().Text(u"a"));
  EXPECT_EQ(port.CharWidth(u'a'), 8.0);  // a fallback face would not measure 8
  EXPECT_EQ(port.CharWidth(u'W'), 12.0);
  // Files that hold no font are refused.
  EXPECT_FALSE(GdiFonts::AddPrivateFontFile(nullptr));
  EXPECT_FALSE(GdiFonts::AddPrivateFontFile("/nonexistent/QvTest.ttf"));
  const std::string notAFont = std::string(QV_ENGINE_TEST_DATA) + "/QvTestParagraph.png";
  EXPECT_FALSE(GdiFonts::AddPrivateFontFile(notAFont.c_str()));
}

struct WidthCase {
  const char* text;
  int32_t size;  // points
  float width;   // pixels
  int32_t spaces;
};

TEST_F(QvComposition, LineWidthsAreTheSumOfTheClassAdvances) {
  const WidthCase cases[] = {
      {"abc", 12, 24, 0},         {"ABC", 12, 36, 0},        {"a b", 12, 20, 1},
      {"12.5", 12, 28, 0},        {"Hi, there!", 12, 72, 1}, {"Hi, there!", 9, 54, 1},  // em 12
      {"Hi, there!", 15, 90, 1},                                                        // em 20
      {"Hi, there!", 24, 144, 1},                                                       // em 32
      {"x  y", 24, 48, 2},
  };
  for (const WidthCase& c : cases) {
    std::u16string text(c.text, c.text + std::strlen(c.text));
    Compose(400, Stream().Record(kPropSize, c.size).Text(text));
    ASSERT_EQ(lines.GetLineCount(), 1) << c.text;
    EXPECT_EQ(lines.GetLine(0).width, c.width) << c.text << " at " << c.size;
    EXPECT_EQ(lines.GetLine(0).spaces, c.spaces) << c.text;
    EXPECT_EQ(lines.GetLine(0).positions, int32_t(text.size())) << c.text;
  }
}

struct HeightCase {
  int32_t size;
  int32_t interline;  // tenths of a line
  int32_t height;
  int32_t ascent;
};

// A line is one em high, three quarters of it above the baseline; interline
// adds or takes whole font heights, 0 and below count as single. A line
// begins in the default 12-point state, so a smaller size leaves it as high
// as that font (16, ascent 12) while the font itself is smaller.
TEST_F(QvComposition, LineHeightsAreOneEmTimesTheInterline) {
  const HeightCase cases[] = {
      {12, 10, 16, 12}, {9, 10, 16, 12}, {15, 10, 20, 15}, {24, 10, 32, 24}, {12, 20, 32, 12},
      {12, 15, 24, 12}, {12, 5, 8, 12},  {12, 0, 16, 12},  {12, -3, 16, 12},
  };
  for (const HeightCase& c : cases) {
    Compose(400,
            Stream().Record(kPropSize, c.size).Record(kPropInterline, c.interline).Text(u"xy"));
    const xMorvaLineRecord& line = lines.GetLine(0);
    EXPECT_EQ(line.height, c.height) << c.size << " / " << c.interline;
    if (c.interline >= 10 || c.interline <= 0) {
      EXPECT_EQ(line.ascent, c.ascent) << c.size;
    }
    const int32_t em = c.size * 4 / 3;
    EXPECT_EQ(font.GetAscent(), em * 3 / 4) << c.size;
    EXPECT_EQ(font.GetDescent(), em / 4) << c.size;
  }
}

struct ExpectedLine {
  uint32_t units;
  float width;
  uint16_t flags;
};

struct BreakCase {
  const char* name;
  int32_t textWidth;
  std::u16string text;
  std::vector<ExpectedLine> lines;
};

constexpr uint16_t kFirst = kLineFirstOfParagraph;
constexpr uint16_t kLast = kLineLastOfText;

TEST_F(QvComposition, LinesBreakWhereTheHandCountSays) {
  const BreakCase cases[] = {
      {"break at a space",
       100,
       u"aaaa bbbb cccc dddd",
       {{10, 68, kFirst | kLineBreakAtSpace}, {9, 68, kLast}}},
      // The space a line breaks at must fit as well: "aaaa bbbb " is 72.
      {"exact fit with the space",
       72,
       u"aaaa bbbb cccc dddd",
       {{10, 68, kFirst | kLineBreakAtSpace}, {9, 68, kLast}}},
      {"one pixel short",
       71,
       u"aaaa bbbb cccc dddd",
       {{5, 32, kFirst | kLineBreakAtSpace}, {5, 32, kLineBreakAtSpace}, {9, 68, kLast}}},
      {"last line exactly full",
       68,
       u"aaaa bbbb cccc dddd",
       {{5, 32, kFirst | kLineBreakAtSpace}, {5, 32, kLineBreakAtSpace}, {9, 68, kLast}}},
      {"classes",
       40,
       u"AB 12 CD",
       {{3, 24, kFirst | kLineBreakAtSpace}, {3, 16, kLineBreakAtSpace}, {2, 24, kLast}}},
      {"forced inside a word",
       30,
       u"abcdefg",
       {{3, 24, kFirst | kLineForcedBreak},
        {3, 24, kLineForcedBreak | kLineContinuesWord},
        {1, 8, kLineContinuesWord | kLast}}},
      // "aaaa-" is 36; the hyphen stays on the line it ends.
      {"break after a hyphen", 50, u"aaaa-bbbb",
       {{5, 36, kFirst | kLineBreakAtHyphen}, {4, 32, kLast}}},
      {"paragraphs",
       400,
       u"ab\rcd",
       {{3, 16, kFirst | kLineLastOfParagraph}, {2, 16, kFirst | kLast}}},
  };
  for (const BreakCase& c : cases) {
    Compose(c.textWidth, Stream().Text(c.text));
    ASSERT_EQ(lines.GetLineCount(), int32_t(c.lines.size())) << c.name;
    for (size_t i = 0; i < c.lines.size(); ++i) {
      const xMorvaLineRecord& line = lines.GetLine(int32_t(i));
      EXPECT_EQ(line.bytes, 2 * c.lines[i].units) << c.name << " line " << i;
      EXPECT_EQ(line.width, c.lines[i].width) << c.name << " line " << i;
      EXPECT_EQ(line.flags, c.lines[i].flags) << c.name << " line " << i;
      EXPECT_EQ(line.height, 16) << c.name << " line " << i;
    }
  }
}

float TabSpaceAt(const Bytes& stream, uint32_t at) {
  const uint32_t bits = StreamLong(stream.data() + at + kElementHeadSize);
  float width = 0;
  std::memcpy(&width, &bits, sizeof width);
  return width;
}

struct QvTabCase {
  const char* name;
  uint8_t kind;
  std::u16string after;
  float space;      // the tab's cached width
  float lineWidth;  // "ab", the tab, then `after`
};

// A stop at 120 after "ab" (16): 104 pixels to fill, less what the kind
// moves before the stop.
TEST_F(QvComposition, TabCachesHoldTheHandComputedSpace) {
  const QvTabCase cases[] = {
      {"left", kTabLeft, u"abc", 104, 144},
      {"right", kTabRight, u"abc", 80, 120},                      // abc = 24 before the stop
      {"centre", kTabCentre, u"abcd", 88, 136},                   // half of 32
      {"decimal", kTabDecimal, u"12.5", 88, 132},                 // 12 = 16 before the stop
      {"right, too wide", kTabRight, u"aaaaaaaaaaaaaa", 0, 128},  // 112 > 104
  };
  for (const QvTabCase& c : cases) {
    const Bytes tab = Stream().Head(xMorvaElementCode::Tab, 14, 14).Raw(Bytes(14, 0));
    const Bytes head = Stream().Tab(120, c.kind).Text(u"ab");
    Compose(400, Stream().Raw(head).Raw(tab).Text(c.after));
    ASSERT_EQ(lines.GetLineCount(), 1) << c.name;
    EXPECT_EQ(TabSpaceAt(StreamBytes(engine), uint32_t(head.size())), c.space) << c.name;
    EXPECT_EQ(lines.GetLine(0).width, c.lineWidth) << c.name;
    EXPECT_EQ(lines.GetLine(0).tabs, 1) << c.name;
  }
}

// Draws the composed lines one under the other from (4, 4) onto a white
// canvas; the paragraphs hold plain units only.
void DrawComposed(xMorvaLines& lines, xMorvaEngine& engine, xMorvaFont& font, VDIBPort& canvas) {
  canvas.SetFillColor(RGB(255, 255, 255));
  canvas.SetFillPatternIndex(6);
  canvas.PaintRect(0, 0, canvas.GetWidth(), canvas.GetHeight());
  const Bytes stream = StreamBytes(engine);
  uint32_t at = 0;
  int32_t top = 4;
  for (int32_t i = 0; i < lines.GetLineCount(); ++i) {
    const xMorvaLineRecord& line = lines.GetLine(i);
    font.BeginLineAt(&line, 4, top, line.available, true);
    for (uint32_t end = at + line.bytes; at + 1 < end; at += 2) {
      font.ProcessUnit(uint16_t(stream[at] | stream[at + 1] << 8), kFontDraw);
    }
    font.FlushRun(kFontDraw);
    top += line.height;
  }
}

// A composed paragraph in boxes, compared pixel for pixel with the reference
// image kept beside the tests. QV_REGENERATE_REFERENCES=1 rewrites it.
TEST_F(QvComposition, ComposedParagraphMatchesTheReferenceImage) {
  struct Picture {
    const char* file;
    int32_t size;
    int32_t textWidth;
    std::u16string text;
  };
  const Picture pictures[] = {
      {"QvTestParagraph.png", 12, 150,
       u"The 12 boxes, 3 sizes: all whole pixels! Break here, or there.\rEnd."},
      {"QvTestCentred.png", 9, 120, u"Centred lines of Qv Test, 9 points, 120 wide."},
  };
  for (const Picture& p : pictures) {
    Stream stream;
    stream.Record(kPropSize, p.size);
    if (std::strcmp(p.file, "QvTestCentred.png") == 0) stream.Record(kPropAlignment, 1);
    Compose(p.textWidth, stream.Text(p.text));
    VDIBPort canvas(p.textWidth + 8, lines.GetTotalHeight() + 8, 32);
    xMorvaFont drawing(&canvas, &document);
    DrawComposed(lines, engine, drawing, canvas);

    ExpectMatchesReference(canvas, p.file);
  }
}

}  // namespace
