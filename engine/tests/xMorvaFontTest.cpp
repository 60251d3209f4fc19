// The font context on a real port with the pinned Liberation fonts: run
// widths, justification, effective sizes, link looks, metrics and the
// decorations it draws. Widths are compared with the port's own advances.
#include "engine/xMorvaFont.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <cstring>
#include <string>
#include <vector>

#include "document/tests/FakeDocument.h"
#include "document/xMorvaFontTable.h"
#include "engine/xMorvaEngineHost.h"
#include "engine/xMorvaLineRecord.h"
#include "framework/core/intl/Clusters.h"
#include "framework/core/strings/VUniString.h"
#include "graphics/VDIBPort.h"
#include "engine/tests/FontCacheRelease.h"
#include "graphics/VGraphicsStart.h"

namespace {

// A document of the fakes with a font table: 1 the default, 2 Liberation
// Serif.
class FontDocument : public FakeDocument {
 public:
  FontDocument() {
    VStr<64> name;
    name.SetAnsiCText("Liberation Sans");
    fFonts.Reset(name);
    name.SetAnsiCText("Liberation Serif");
    fFonts.AddNameAsWritten(name);
  }
  xMorvaFontTable* GetFontTable() override { return &fFonts; }

 private:
  xMorvaFontTable fFonts;
};

class FontContext : public testing::Test {
 protected:
  FontContext() : port(400, 60, 32), font(&port, &document) {
    state.SetDefaults();
    state.SetProperty(kPropFont, 1);
    state.SetProperty(kPropSize, 12);
    line.state.Assign(state);
    line.available = 400;
    line.ascent = 20;
    line.height = 30;
    line.flags = kLineFirstOfParagraph;
  }
  // The port's own advances summed, at the port's current font.
  double Advances(const std::u16string& text) {
    double sum = 0;
    for (char16_t c : text) sum += port.CharWidth(c);
    return sum;
  }
  double PenX() {
    double x = 0;
    double y = 0;
    port.GetPenPosition(x, y);
    return x;
  }
  void Feed(const std::u16string& text, uint32_t flags = 0) {
    for (char16_t c : text) font.ProcessUnit(c, flags);
  }
  // Pixels of row y from x0 to x1 that are not white.
  int32_t InkInRow(int32_t y, int32_t x0, int32_t x1) {
    const auto* bits = static_cast<const uint32_t*>(port.GetBits());
    int32_t ink = 0;
    for (int32_t x = x0; x < x1; ++x) ink += (bits[y * 400 + x] & 0xFFFFFF) != 0xFFFFFF;
    return ink;
  }
  void White() {
    port.SetFillColor(RGB(255, 255, 255));
    port.SetFillPatternIndex(6);
    port.PaintRect(0, 0, 400, 60);
  }

  FontDocument document;
  VDIBPort port;
  xMorvaFont font;
  xMorvaProperties state;
  xMorvaLineRecord line;
};

TEST_F(FontContext, ARunMeasuresAsTheSumOfItsAdvances) {
  font.BeginLineAt(&line, 0, 0, 400, true);
  const std::u16string text = u"Styled runs, measured once.";
  const double start = PenX();
  Feed(text);
  EXPECT_EQ(font.GetPendingRunLength(), int32_t(text.size()));
  EXPECT_EQ(font.GetPenX(), int32_t(start + Advances(text) + 0.5));
  font.FlushRun(0);
  EXPECT_EQ(font.GetPendingRunLength(), 0);
  EXPECT_NEAR(PenX() - start, Advances(text), 1e-3);
  // The port's own extent of the run agrees to within a pixel.
  EXPECT_NEAR(port.MeasureText(text.data(), int32_t(text.size()), kTextUnicode), Advances(text),
              1.0);
}

TEST_F(FontContext, RunsHoldAtMost512Units) {
  font.BeginLineAt(&line, 0, 0, 400, true);
  const double start = PenX();
  const std::u16string text(1300, u'i');
  for (char16_t c : text) {
    font.ProcessUnit(c, 0);
    ASSERT_LT(font.GetPendingRunLength(), xMorvaFont::kRunCapacity);
  }
  EXPECT_EQ(font.GetPendingRunLength(), 1300 % 512);
  font.FlushRun(0);
  EXPECT_NEAR(PenX() - start, 1300 * port.CharWidth(u'i'), 1e-2);
}

TEST_F(FontContext, JustifiedSpacesShareTheExtraWidthInOrder) {
  // Natural width measured first, then 10 pixels more available.
  font.BeginLineAt(&line, 0, 0, 400, true);
  const std::u16string text = u"aa bb cc dd";
  line.width = float(Advances(text));
  line.available = int32_t(std::ceil(line.width)) + 10;
  line.spaces = 3;
  line.state.SetProperty(kPropAlignment, 3);
  font.BeginLineAt(&line, 0, 0, 400, true);
  ASSERT_TRUE(font.IsJustifyActive());
  const int32_t extra = int32_t(double(line.available) - double(line.width));
  std::vector<int32_t> shares;
  for (char16_t c : text) {
    if (c == u' ') {
      font.FlushRun(0);
      const double before = PenX();
      font.ProcessUnit(c, 0);
      shares.push_back(int32_t(PenX() - before) - int32_t(port.CharWidth(u' ')));
    } else {
      font.ProcessUnit(c, 0);
    }
  }
  const std::vector<int32_t> expected{extra / 3, (extra - extra / 3) / 2,
                                      extra - extra / 3 - (extra - extra / 3) / 2};
  EXPECT_EQ(shares, expected);
  EXPECT_EQ(extra, 10);
  EXPECT_EQ(shares, (std::vector<int32_t>{3, 3, 4}));

  // The last line of a paragraph is not justified.
  line.flags |= kLineLastOfParagraph;
  font.BeginLineAt(&line, 0, 0, 400, true);
  EXPECT_FALSE(font.IsJustifyActive());
}

struct SizeCase {
  int32_t size, vertical, letterCase;
  std::u16string feed;
  int32_t effective, thickness;
};

TEST_F(FontContext, EffectiveSizesAndThickness) {
  const SizeCase cases[] = {
      {12, 1, 0, u"x", 8, 1},   // superscript: two thirds
      {12, 2, 0, u"x", 8, 1},   // subscript
      {10, 0, 2, u"a", 8, 1},   // small capitals: four fifths
      {10, 0, 2, u"aB", 10, 1}, // an upper-case unit ends them
      {24, 0, 0, u"", 24, 1},
      {25, 0, 0, u"", 25, 2},
      {0, 0, 0, u"", 1, 1},     // size 0 from a damaged record
  };
  for (const SizeCase& c : cases) {
    line.state.SetProperty(kPropSize, c.size);
    line.state.SetProperty(kPropVerticalPosition, c.vertical);
    line.state.SetProperty(kPropLetterCase, c.letterCase);
    font.BeginLineAt(&line, 0, 0, 400, true);
    Feed(c.feed);
    EXPECT_EQ(font.GetEffectiveSize(), c.effective) << c.size;
    EXPECT_EQ(port.GetFontSize(), double(c.effective)) << c.size;
    EXPECT_EQ(font.GetLineThickness(), c.thickness) << c.size;
  }
}

TEST_F(FontContext, SmallCapitalsMeasureTheUpperCaseAtFourFifths) {
  line.state.SetProperty(kPropSize, 20);
  line.state.SetProperty(kPropLetterCase, 2);
  font.BeginLineAt(&line, 0, 0, 400, true);
  const uint16_t a = uint16_t(u'a');
  const double small = font.MeasureCaseChar(a);
  EXPECT_EQ(port.GetFontSize(), 20.0);  // measured aside
  port.SetFontSize(16, false);
  const double expected = port.CharWidth(u'A');
  port.SetFontSize(20, false);
  EXPECT_DOUBLE_EQ(small, expected);
  EXPECT_DOUBLE_EQ(font.MeasureCharWidth(&a, &a + 1), expected);
  EXPECT_EQ(font.GetEffectiveSize(), 16);
  // A mark stays at its letter's size.
  const uint16_t acute = 0x0301;
  font.MeasureCharWidth(&acute, &acute + 1);
  EXPECT_EQ(font.GetEffectiveSize(), 16);
}

// A letter with its combining marks measures and draws as the letter that
// holds them, a joiner or a selector as nothing: measured a unit at a time
// (as composition does) and fed to a run (as drawing does), the pen stands
// after each cluster where it stands after the character it shows, and
// the pixels drawn are the same. Each row: a text, the text it looks as,
// and the case mode.
TEST_F(FontContext, ClustersMeasureAndDrawAsTheCharactersTheyShow) {
  struct Row {
    const char* name;
    std::u16string text;
    std::u16string looksAs;
    int32_t letterCase;
  };
  const Row rows[] = {
      {"Vietnamese", u"Ha\u0300 No\u0323\u0302i: pho\u031B\u0309 bo\u0300, Vie\u0323\u0302t",
       u"H\u00E0 N\u1ED9i: ph\u1EDF b\u00F2, Vi\u1EC7t", 0},
      {"French", u"cafe\u0301, nai\u0308ve", u"caf\u00E9, na\u00EFve", 0},
      {"capitals", u"nai\u0308ve", u"NA\u00CFVE", 1},
      {"joiners and a selector", u"a\u200Db\u200Cc\u2764\uFE0F", u"abc\u2764", 0},
  };
  const auto edges = [this](const std::u16string& text, int32_t letterCase, bool measured) {
    line.state.SetProperty(kPropLetterCase, letterCase);
    White();
    font.BeginLineAt(&line, 0, 0, 400, true);
    const double start = PenX();
    double x = start;
    std::vector<int32_t> at;
    for (size_t i = 0; i < text.size(); ++i) {
      const uint16_t unit = text[i];
      if (measured) {
        x += font.MeasureCharWidth(&unit, &unit + 1);
      } else {
        font.ProcessUnit(unit, kFontDraw);
      }
      if (!IsClusterBoundary(text.data(), int32_t(text.size()), int32_t(i + 1))) continue;
      at.push_back(measured ? int32_t(x - start + 0.5) : font.GetPenX() - int32_t(start));
    }
    font.FlushRun(kFontDraw);
    return at;
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::vector<int32_t> shown = edges(row.looksAs, row.letterCase, false);
    const std::vector<uint32_t> looks(static_cast<const uint32_t*>(port.GetBits()),
                                      static_cast<const uint32_t*>(port.GetBits()) + 400 * 60);
    EXPECT_EQ(edges(row.text, row.letterCase, false), shown);
    const std::vector<uint32_t> drawn(static_cast<const uint32_t*>(port.GetBits()),
                                      static_cast<const uint32_t*>(port.GetBits()) + 400 * 60);
    EXPECT_TRUE(drawn == looks);
    EXPECT_EQ(edges(row.text, row.letterCase, true), shown);
  }
}

TEST_F(FontContext, LinkLookSetsAndRestoresColourAndUnderline) {
  // Colours hold red in the low byte: the default link colour is blue.
  document.params.SetLinkColour(0xFF0000);
  line.state.SetProperty(kPropTextColour, 0x00FF00);
  font.BeginLineAt(&line, 0, 0, 400, true);
  font.ApplyProperty(kPropLinkLook, 1, false);
  EXPECT_TRUE(font.IsLinkLook());
  EXPECT_EQ(port.GetTextColor(), RGB(0, 0, 255));
  const int32_t linkDescent = font.GetDescent();
  EXPECT_GE(linkDescent, 3 * font.GetLineThickness());  // single underline
  font.ApplyProperty(kPropLinkLook, 0, false);
  EXPECT_FALSE(font.IsLinkLook());
  EXPECT_EQ(port.GetTextColor(), RGB(0, 255, 0));
  font.ApplyProperty(kPropLinkLook, 3, false);
  EXPECT_TRUE(font.HasBackColour());
  EXPECT_FALSE(font.IsLinkLook());
}

TEST_F(FontContext, DescentLeavesRoomForEachUnderline) {
  // A size whose descent is small next to the thickness: 30 points, t 2.
  const int32_t least[] = {0, 3, 3, 5, 4};
  for (int32_t kind = 0; kind <= 4; ++kind) {
    line.state.SetProperty(kPropSize, 30);
    line.state.SetProperty(kPropUnderline, kind);
    font.BeginLineAt(&line, 0, 0, 400, true);
    port.SetFontSize(30, false);
    const int32_t plain = port.GetFontDescent();
    EXPECT_EQ(font.GetDescent(), std::max(plain, least[kind] * font.GetLineThickness())) << kind;
  }
}

TEST_F(FontContext, UnknownFontIndexFallsBackToTheDefault) {
  line.state.SetProperty(kPropFont, 2);
  font.BeginLineAt(&line, 0, 0, 400, true);
  VStr<64> name;
  port.GetFontName(name);
  char text[65] = {};
  name.GetCText(text, sizeof text, kCharSetAnsi);
  EXPECT_STREQ(text, "Liberation Serif");
  font.ApplyProperty(kPropFont, 99, false);
  port.GetFontName(name);
  name.GetCText(text, sizeof text, kCharSetAnsi);
  EXPECT_STREQ(text, "Liberation Sans");
}

// Words-only underline leaves the space between words bare; a single
// underline runs under it.
TEST_F(FontContext, WordsOnlyUnderlineSkipsSpaces) {
  for (int32_t kind : {1, 2}) {
    White();
    line.state.SetProperty(kPropUnderline, kind);
    line.state.SetProperty(kPropTextColour, 0);
    font.BeginLineAt(&line, 0, 0, 400, true);
    Feed(u"ab", kFontDraw);
    font.FlushRun(kFontDraw);
    const int32_t spaceStart = font.GetPenX();
    Feed(u"          ", kFontDraw);
    const int32_t spaceEnd = font.GetPenX();
    Feed(u"cd", kFontDraw);
    font.FlushRun(kFontDraw);
    const int32_t y = line.ascent + 2 * font.GetLineThickness();
    const int32_t underSpace = InkInRow(y, spaceStart + 2, spaceEnd - 2);
    if (kind == 1) {
      EXPECT_GT(underSpace, 0);
    } else {
      EXPECT_EQ(underSpace, 0);
    }
    EXPECT_GT(InkInRow(y, 0, spaceStart), 0) << kind;
  }
}

}  // namespace

namespace {

struct BorderCase {
  int32_t style;
  std::vector<int32_t> columns;  // inked columns from the left edge
  bool dotted;
};

// The left border's lines, one pixel apart from the outside in; a style
// the table does not know draws as the plain style.
TEST_F(FontContext, LeftBorderLinesByStyle) {
  const BorderCase cases[] = {
      {0, {0}, false},          {2, {0, 1, 2}, false}, {3, {0}, true},
      {8, {0, 2, 3, 5}, false}, {10, {0, 1, 3, 4}, false}, {11, {0}, false},
      {15, {0}, false},
  };
  for (const BorderCase& c : cases) {
    White();
    line.state.SetProperty(kPropLeftIndent, 10);
    line.state.SetProperty(kPropLeftBorder, 1);
    line.state.SetProperty(kPropBorderColour, 0);
    line.state.SetProperty(kPropBorderStyle, c.style);
    font.BeginLineAt(&line, 0, 0, 400, true);
    // The stored field holds four bits: 11 and above come from damage.
    if (c.style > 10) font.ApplyProperty(kPropBorderStyle, c.style, true);
    font.DrawParagraphStart(kFontDraw);
    std::vector<int32_t> inked;
    for (int32_t x = 10; x < 20; ++x) {
      if (InkInRow(10, x, x + 1) + InkInRow(11, x, x + 1) > 0) inked.push_back(x - 10);
    }
    EXPECT_EQ(inked, c.columns) << c.style;
    int32_t ink = 0;
    for (int32_t y = 1; y < line.height - 1; ++y) ink += InkInRow(y, 10, 11);
    if (c.dotted) {
      EXPECT_LT(ink, line.height - 2) << c.style;
    } else {
      EXPECT_EQ(ink, line.height - 2) << c.style;
    }
  }
}

// A paragraph with only a bottom border still gives its first line a top
// extent; the pen and baseline move down by it.
TEST_F(FontContext, BorderExtents) {
  line.state.SetProperty(kPropBottomBorder, 1);
  line.state.SetProperty(kPropBorderStyle, 2);
  line.state.SetProperty(kPropBorderSpacing, 4);
  line.flags = kLineFirstOfParagraph | kLineLastOfParagraph;
  font.BeginLineAt(&line, 0, 0, 400, true);
  int32_t top = 0;
  int32_t bottom = 0;
  font.GetBorderExtents(top, bottom);
  EXPECT_EQ(top, 7);
  EXPECT_EQ(bottom, 7);
  line.flags = 0;
  font.BeginLineAt(&line, 0, 0, 400, true);
  font.GetBorderExtents(top, bottom);
  EXPECT_EQ(top + bottom, 0);
}

// A tab of width 0 draws nothing and still counts; a left tab with a
// leader fills its width with leader characters.
TEST_F(FontContext, TabsFromTheirLayoutCache) {
  auto cache = [](float width, uint16_t kind, uint16_t leader, uint16_t count) {
    std::vector<uint8_t> bytes(14);
    uint32_t bits = 0;
    std::memcpy(&bits, &width, sizeof bits);
    for (int i = 0; i < 4; ++i) bytes[i] = bytes[4 + i] = uint8_t(bits >> (8 * i));
    bytes[8] = uint8_t(kind);
    bytes[10] = uint8_t(leader);
    bytes[12] = uint8_t(count);
    return bytes;
  };
  White();
  line.tabs = 2;
  line.state.SetProperty(kPropTextColour, 0);
  font.BeginLineAt(&line, 0, 0, 400, true);
  const double start = PenX();
  font.DrawTab(cache(0, 1, '.', 0).data(), kFontDraw);
  EXPECT_EQ(font.GetTabsLeft(), 1);
  EXPECT_EQ(PenX(), start);
  const int32_t count = int32_t(100 / port.CharWidth(u'_'));
  font.DrawTab(cache(100.5f, 1, '_', uint16_t(count)).data(), kFontDraw);
  EXPECT_EQ(font.GetTabsLeft(), 0);
  EXPECT_DOUBLE_EQ(PenX(), start + 100.5);
  int32_t ink = 0;
  for (int32_t y = line.ascent - 2; y < line.ascent + 6; ++y)
    ink += InkInRow(y, int32_t(start), int32_t(start) + 100);
  EXPECT_GT(ink, 50);
  // Nothing drawn beyond the leaders.
  for (int32_t y = 0; y < 60; ++y) EXPECT_EQ(InkInRow(y, int32_t(start) + 101, 400), 0) << y;
}

// The package's break label; remembers the item asked for.
class LabelHost : public xMorvaEngineHost {
 public:
  void GetPackageString(int16_t offset, int16_t item, VString& out) override {
    asked = offset == kBreakLabels ? item : -1;
    out.SetEmpty(false);
    out.AppendUniChars(label.data(), int32_t(label.size()));
  }
  void ShowMemoryAlert() override {}
  VValue* EvaluateReference(const uint8_t*, uint32_t) override { return nullptr; }
  bool GetReferenceNames(const uint8_t*, uint32_t, VString&, VString&, VString&, VString&) override { return false; }
  std::u16string label;
  int16_t asked = 0;
};

// A paragraph end shows, with marks allowed, the pilcrow below the pen or,
// on a line ending with a break, the break's label between dotted lines at
// line top + 8 (one line through when it does not fit); the pen, font size
// and text colour stay.
TEST_F(FontContext, ParagraphEndMarks) {
  LabelHost host;
  VInstalledService<xMorvaEngineHost> installed{&host};
  struct Case {
    uint16_t flags;
    bool show, noMarks;
    int32_t viewMode;
    size_t labelLength;
    int16_t asked;
    bool dotted, label, pilcrow;
  };
  const Case cases[] = {
      {0, true, false, 0, 4, 0, false, false, true},
      {0, false, false, 1, 4, 0, false, false, false},
      {0, true, true, 0, 4, 0, false, false, false},
      {kLinePageBreak, true, false, 0, 4, kPageBreakLabel, true, true, false},
      {kLineColumnBreak, true, false, 0, 4, kColumnBreakLabel, true, true, false},
      {kLinePageBreak, false, false, 1, 4, kPageBreakLabel, true, true, false},
      {kLinePageBreak, false, false, 0, 4, 0, false, false, false},
      {kLinePageBreak, true, false, 0, 200, kPageBreakLabel, true, false, false},
  };
  for (const Case& c : cases) {
    White();
    host.asked = 0;
    host.label.assign(c.labelLength, u'W');
    line.flags = kLineFirstOfParagraph | kLineLastOfParagraph | c.flags;
    font.SetShowMarks(c.show);
    font.SetViewMode(c.viewMode);
    font.BeginLineAt(&line, 0, 0, 400, c.noMarks);
    const double x = PenX(), size = port.GetFontSize();
    const COLORREF colour = port.GetTextColor();
    font.ProcessUnit(13, kFontDraw);
    EXPECT_EQ(PenX(), x);
    EXPECT_EQ(port.GetFontSize(), size);
    EXPECT_EQ(port.GetTextColor(), colour);
    EXPECT_EQ(host.asked, c.asked);
    EXPECT_EQ(InkInRow(8, 0, 20) > 0 && InkInRow(8, 380, 400) > 0 && InkInRow(8, 195, 205) > 0, c.dotted);
    int32_t above = 0, below = 0;
    for (int32_t y = 0; y < 8; ++y) above += InkInRow(y, 0, 400);
    for (int32_t y = 9; y < line.height; ++y) below += InkInRow(y, 0, 20);
    EXPECT_EQ(above > 0, c.label);
    EXPECT_EQ(below > 0, c.pilcrow) << c.flags << c.show << c.noMarks;
  }
  font.SetViewMode(0);
  const int32_t width = font.GetPilcrowWidth();
  port.UseStandardFont(5);
  port.SetFontSize(font.GetEffectiveSize(), false);
  EXPECT_EQ(width, int32_t(port.CharWidth(182)));
}

// With marks shown a tab shows a grey arrow at its middle, half the size
// above the baseline; a soft hyphen a dotted bar over the line height.
TEST_F(FontContext, TabArrowAndSoftHyphenMark) {
  std::vector<uint8_t> cache(14);
  const float width = 40;
  uint32_t bits = 0;
  std::memcpy(&bits, &width, sizeof bits);
  for (int i = 0; i < 4; ++i) cache[i] = uint8_t(bits >> (8 * i));
  cache[8] = 1;
  for (bool show : {true, false}) {
    White();
    line.tabs = 1;
    font.SetShowMarks(show);
    font.BeginLineAt(&line, 0, 0, 400, false);
    const int32_t start = int32_t(PenX()), y = line.ascent - font.GetEffectiveSize() / 2;
    font.DrawTab(cache.data(), kFontDraw);
    EXPECT_EQ(InkInRow(y, start + 17, start + 24) >= 6, show);
    EXPECT_EQ(InkInRow(y, 0, start + 16) + InkInRow(y, start + 25, 400), 0);
    White();
    Feed(u"ab");  // a pending run stays pending, the bar after it
    const int32_t at = font.GetPenX();
    font.DrawSoftHyphenMark();
    EXPECT_EQ(font.GetPendingRunLength(), 2);
    int32_t bar = 0;
    for (int32_t row = 0; row < line.height; ++row) bar += InkInRow(row, at, at + 1);
    EXPECT_EQ(bar > 2 && bar < line.height, show);
    font.FlushRun(0);
  }
}

}  // namespace
