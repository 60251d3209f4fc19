// Tests of the port's text: the three encodings, metrics, runs and the pen,
// printer widths with the carried fraction, strings in boxes and rotated
// runs; drawings with text are compared with reference images made under
// the pinned fonts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/core/strings/VByteString.h"
#include "framework/core/strings/VUniString.h"
#include "graphics/VCharWidthCache.h"
#include "graphics/VMetafilePort.h"
#include "graphics/VPort.h"
#include "graphics/VShape.h"
#include "graphics/tests/GraphicsTestSupport.h"
#include "platform/gdi/WinGdiMetafile.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

void UseFont(VPort& port, const char* face, double size) {
  VStr<80> name;
  name.SetChars(face, 0, int32_t(std::strlen(face)), kCharSetAnsi);
  port.SetFontName(name);
  port.SetFontSize(size, false);
}

VStr<255> Text(const char16_t* text) {
  VStr<255> s;
  s.SetUniChars(text, 0, int32_t(std::char_traits<char16_t>::length(text)));
  return s;
}

}  // namespace

TEST(VPortText, TheThreeEncodingsMeasureAndDrawAlike) {
  Canvas mac(80, 24), ansi(80, 24), uni(80, 24);
  const uint8_t macBytes[] = {'C', 'a', 'f', 0x8E, ' ', 0xA5};     // "Café •"
  const uint8_t ansiBytes[] = {'C', 'a', 'f', 0xE9, ' ', 0x95};
  const char16_t units[] = {u'C', u'a', u'f', 0x00E9, u' ', 0x2022};
  float widths[3];
  Canvas* canvases[3] = {&mac, &ansi, &uni};
  const void* texts[3] = {macBytes, ansiBytes, units};
  for (int16_t kind = 0; kind < 3; ++kind) {
    VPort port(canvases[kind]->dc());
    UseFont(port, "Arial", 12);
    widths[kind] = port.MeasureText(texts[kind], 6, kind);
    port.MoveTo(2, 18, true);
    port.DrawTextRun(texts[kind], 6, kind);
    double x = 0, y = 0;
    port.GetPenPosition(x, y);
    EXPECT_EQ(x, 2 + widths[kind]) << kind;
    EXPECT_EQ(y, 18);
  }
  EXPECT_GT(widths[2], 0.0f);
  EXPECT_EQ(widths[0], widths[2]);
  EXPECT_EQ(widths[1], widths[2]);
  EXPECT_EQ(mac.Pixels(), uni.Pixels());
  EXPECT_EQ(ansi.Pixels(), uni.Pixels());
  EXPECT_GT(uni.CountAll(kBlack), 0);
}

TEST(VPortText, ARunIsAsWideAsTheSumOfItsCharacters) {
  Canvas canvas(8, 8);
  VPort port(canvas.dc());
  UseFont(port, "Times New Roman", 13);
  const char16_t text[] = u"Wavy fjords quiver";
  float sum = 0.0f;
  for (char16_t c : std::u16string_view(text)) sum += port.CharWidth(c);
  EXPECT_EQ(port.MeasureText(text, 18, kTextUnicode), sum);
  EXPECT_EQ(port.MeasureChar(0x8E, kTextMac), port.CharWidth(0x00E9));
  EXPECT_EQ(port.MeasureChar(0xE9, kTextAnsi), port.CharWidth(0x00E9));
  EXPECT_EQ(port.MeasureText(text, 0, kTextUnicode), 0.0f);
  EXPECT_EQ(port.MeasureText(text, -3, kTextUnicode), 0.0f);
}

// A cluster (a letter and its marks, emoji joined, a letter and a joiner)
// measures as the run of its units, and its width is kept by the font's
// entry, so that it is measured once; one longer than the entry keeps is
// measured each time.
TEST(VPortText, AClusterMeasuresAsItsRunAndIsKept) {
  Canvas canvas(8, 8);
  VPort port(canvas.dc());
  UseFont(port, "Arial", 12);
  const std::u16string clusters[] = {u"e\u0301", u"o\u031B\u0309", u"\U0001F468\u200D\U0001F469",
                                     u"\u0645\u200C", u"\U0001F600", std::u16string(20, u'\u0301')};
  for (const std::u16string& cluster : clusters) {
    SCOPED_TRACE(int(cluster.size()));
    const auto n = int32_t(cluster.size());
    const float width = port.ClusterWidth(cluster.data(), n);
    EXPECT_EQ(width, port.MeasureText(cluster.data(), n, kTextUnicode));
    ASSERT_NE(port.GetFontEntry(), nullptr);
    int32_t kept = -1;
    const bool found = port.GetFontEntry()->FindCluster(cluster.data(), n, &kept);
    EXPECT_EQ(found, n <= VCharWidthCache::kKeptClusterUnits);
    if (found) {
      EXPECT_EQ(float(kept), width);
    }
    EXPECT_EQ(port.ClusterWidth(cluster.data(), n), width);
  }
  EXPECT_EQ(port.PairWidth(0xD83D, 0xDE00), port.ClusterWidth(u"\U0001F600", 2));
}

TEST(VPortText, MetricsAddUpToTheFontHeight) {
  Canvas canvas(8, 8);
  VPort port(canvas.dc());
  UseFont(port, "Arial", 12);
  port.SetBold(true);
  const int32_t ascent = port.GetFontAscent();
  const int32_t descent = port.GetFontDescent();
  const int32_t leading = port.GetFontLeading();
  TEXTMETRICA tm{};
  ASSERT_TRUE(GetTextMetricsA(canvas.dc(), &tm));
  EXPECT_EQ(ascent + descent + leading, tm.tmHeight);
  EXPECT_EQ(ascent, tm.tmAscent + tm.tmExternalLeading);
  EXPECT_EQ(port.GetLineHeight(), tm.tmHeight);
  EXPECT_EQ(port.GetFontHeight(), ascent + descent);
  EXPECT_TRUE(port.IsTrueType());
  EXPECT_EQ(port.GetFontDirty(), 0);
  port.SetItalic(true);
  EXPECT_EQ(port.GetFontDirty(), VPort::kFontDirtyAll);
  port.ClearFontStyle();
  EXPECT_FALSE(port.IsBold());
}

// Measuring takes widths and metrics from the font cache: a look that is
// only measured makes no GDI font, except on a recording DC, and drawing
// after it shows the look as a port that made its font at once.
TEST(VPortText, ALookOnlyMeasuredMakesItsFontWhenDrawn) {
  Canvas eager(40, 24), lazy(40, 24);
  VPort first(eager.dc());
  UseFont(first, "Arial", 14);
  first.SetBold(true);
  const float bold = first.CharWidth(u'W');
  const int16_t ascent = first.GetFontAscent();
  first.MoveTo(2, 18, true);
  first.DrawTextRun(u"W", 1, kTextUnicode);
  VPort port(lazy.dc());
  UseFont(port, "Courier New", 14);
  EXPECT_NE(port.CharWidth(u'W'), bold);
  UseFont(port, "Arial", 14);  // another face: its own entry
  port.SetBold(true);
  EXPECT_EQ(port.CharWidth(u'W'), bold);
  EXPECT_EQ(port.GetFontAscent(), ascent);
  EXPECT_NE(port.GetFontDirty() & VPort::kFontDirtyGdiFont, 0);
  port.MoveTo(2, 18, true);
  port.DrawTextRun(u"W", 1, kTextUnicode);
  EXPECT_EQ(port.GetFontDirty(), 0);
  EXPECT_EQ(lazy.Pixels(), eager.Pixels());
  EXPECT_GT(lazy.CountAll(kBlack), 0);
  VMetafilePort recorder(nullptr, 0, 0, 40, 24);
  UseFont(recorder, "Arial", 14);
  recorder.SetBold(true);
  EXPECT_EQ(recorder.CharWidth(u'W'), bold);
  EXPECT_EQ(recorder.GetFontDirty() & VPort::kFontDirtyGdiFont, 0);
  DeleteEnhMetaFile(recorder.EndRecording());
}

// The port measures a Macintosh face name with the widths and metrics of the
// Liberation face the font configuration maps it to, bold and italic too.
TEST(VPortText, MacintoshFaceNamesMeasureAsTheirStandIns) {
  const std::pair<const char*, const char*> pairs[] = {
      {"Helvetica", "Liberation Sans"}, {"Times", "Liberation Serif"}, {"Monaco", "Liberation Mono"}};
  const char16_t text[] = u"Wavy fjords quiver, 1234";
  Canvas canvas(8, 8);
  for (const auto& [asked, standIn] : pairs) {
    for (int style = 0; style < 4; ++style) {
      float widths[2] = {};
      int16_t heights[2] = {};
      const char* faces[2] = {asked, standIn};
      for (int i = 0; i < 2; ++i) {
        VPort port(canvas.dc());
        UseFont(port, faces[i], 12);
        port.SetBold((style & 1) != 0);
        port.SetItalic((style & 2) != 0);
        widths[i] = port.MeasureText(text, 24, kTextUnicode);
        heights[i] = port.GetFontHeight();
      }
      EXPECT_GT(widths[0], 0.0f);
      EXPECT_EQ(widths[0], widths[1]) << asked << style;
      EXPECT_EQ(heights[0], heights[1]) << asked << style;
    }
  }
  VPort sans(canvas.dc()), times(canvas.dc());
  UseFont(sans, "DejaVu Sans", 12);
  UseFont(times, "Times", 12);
  EXPECT_NE(times.MeasureText(text, 24, kTextUnicode), sans.MeasureText(text, 24, kTextUnicode));
}

TEST(VPortText, PrinterWidthsAreLaidOutWithTheCarriedFraction) {
  HDC info = NewPrinterInfoDC(288);
  ASSERT_NE(info, nullptr);
  TestPrinter printer(info);
  Canvas canvas(60, 20);
  VPort port(canvas.dc());
  VStr<80> mono;
  mono.SetChars("Courier New", 0, 11, kCharSetAnsi);
  port.SetFontName(mono);
  // 17 pixels on the printer, where a character of the fixed-pitch face is
  // 10 pixels wide.
  port.SetFontSize(17.0 * 72.0 / 288.0, false);
  port.SetReferencePrinter(&printer);
  ASSERT_DOUBLE_EQ(port.GetPrinterRatioX(), 3.0);
  port.PrepareFont(VPort::kFontDirtyGdiFont);
  SIZE printerWidth{};
  ASSERT_TRUE(GetTextExtentPoint32W(info, u"M", 1, &printerWidth));
  ASSERT_EQ(printerWidth.cx, 10);

  // Three runs of one character: 10 / 3 each, the fraction passed on.
  port.MoveTo(0, 15, true);
  const double expected[] = {3, 7, 10};
  for (double e : expected) {
    port.DrawTextRun(u"M", 1, kTextUnicode);
    double x = 0, y = 0;
    port.GetPenPosition(x, y);
    EXPECT_EQ(x, e);
  }
  EXPECT_NEAR(port.GetTextCarry(), 0.0f, 1e-5);
  // One run of three characters places them at 3, 4 and 3.
  port.MoveTo(20, 15, true);
  port.DrawTextRun("MMM", 3, kTextAnsi);
  double x = 0, y = 0;
  port.GetPenPosition(x, y);
  EXPECT_EQ(x, 30);
  // A run whose printer width is 10 measures 10 / 3 screen pixels.
  EXPECT_NEAR(port.MeasureText(u"M", 1, kTextUnicode), 10.0f / 3.0f, 1e-5);
  EXPECT_NEAR(port.CharWidth(u'M'), 10.0f / 3.0f, 1e-5);
  port.ClearReferencePrinter();
  EXPECT_EQ(port.GetPrinterRatioX(), 1.0);
  DeleteDC(info);
}

TEST(VPortText, AZoomedPortIgnoresAReferencePrinter) {
  HDC info = NewPrinterInfoDC(300);
  TestPrinter printer(info);
  Canvas canvas(8, 8);
  VPort port(canvas.dc());
  port.PushScale(2.0, 2.0);
  port.SetReferencePrinter(&printer);  // scaled, not zoomed: taken
  EXPECT_EQ(port.GetReferencePrinter(), &printer);
  port.ClearReferencePrinter();
  DeleteDC(info);
}

TEST(VPortText, TextInABoxOfNoWidthDrawsNothing) {
  Canvas canvas(40, 20);
  VPort port(canvas.dc());
  VStr<255> text = Text(u"Nothing");
  port.DrawTextInBox(text, 0, 0, 0, 0, 0, 20, true);
  port.DrawTextInBox(text, 0, 0, 0, 0, 40, 0, false);
  port.DrawTextInBox(Text(u""), 0, 0, 0, 0, 40, 20, true);
  EXPECT_EQ(canvas.CountAll(kWhite), 800);
}

TEST(VPortText, ASingleLineTooWideForItsBoxEndsWithAnEllipsis) {
  Canvas whole(120, 20), cut(120, 20), reference(120, 20);
  VStr<255> text = Text(u"Ellipsis wanted here");
  {
    VPort port(cut.dc());
    UseFont(port, "Arial", 9);
    port.DrawTextInBox(text, 0, 0, 0, 0, 60, 20, true);
  }
  {
    // Whatever fits with the ellipsis's width kept free, then U+2026.
    VPort port(reference.dc());
    UseFont(port, "Arial", 9);
    const float room = 60 - port.CharWidth(0x2026);
    int32_t fit = 0;
    while (port.MeasureText(u"Ellipsis wanted here", fit + 1, kTextUnicode) <= room) ++fit;
    ASSERT_GT(fit, 0);
    ASSERT_LT(fit, 20);
    port.MoveTo(1, port.GetFontAscent(), true);
    port.DrawTextRun(u"Ellipsis wanted here", fit, kTextUnicode);
    port.DrawTextRun(u"\u2026", 1, kTextUnicode);
  }
  EXPECT_EQ(cut.Pixels(), reference.Pixels());
  {
    VPort port(whole.dc());
    UseFont(port, "Arial", 9);
    port.DrawTextInBox(text, 0, 0, 0, 0, 120, 20, true);
  }
  EXPECT_NE(whole.Pixels(), cut.Pixels());
}

TEST(VPortText, AnEllipsisNarrowerThanFivePixelsBecomesThreeFullStops) {
  Canvas cut(60, 12), reference(60, 12);
  VStr<255> text = Text(u"Tiny text that does not fit");
  {
    VPort port(cut.dc());
    UseFont(port, "Arial", 3);
    ASSERT_LT(port.CharWidth(0x2026), 5.0f);
    port.DrawTextInBox(text, 0, 0, 0, 0, 30, 12, true);
  }
  {
    VPort port(reference.dc());
    UseFont(port, "Arial", 3);
    const float room = 30 - port.MeasureText("...", 3, kTextAnsi);
    int32_t fit = 0;
    while (port.MeasureText(u"Tiny text that does not fit", fit + 1, kTextUnicode) <= room) ++fit;
    port.MoveTo(1, port.GetFontAscent(), true);
    port.DrawTextRun(u"Tiny text that does not fit", fit, kTextUnicode);
    port.DrawTextRun("...", 3, kTextAnsi);
  }
  EXPECT_EQ(cut.Pixels(), reference.Pixels());
}

TEST(VPortText, RotationsWithinAHundredthOfAQuarterTurnDrawAlike) {
  Canvas exact(60, 80), near(60, 80), general(60, 80);
  Canvas* canvases[] = {&exact, &near, &general};
  const float angles[] = {90.0f, 90.005f, 90.02f};
  double penX[3], penY[3];
  for (int i = 0; i < 3; ++i) {
    VPort port(canvases[i]->dc());
    UseFont(port, "Arial", 12);
    port.SetTextAngle(angles[i]);
    port.MoveTo(30, 70, true);
    port.DrawTextRun(u"Up it goes", 10, kTextUnicode);
    port.GetPenPosition(penX[i], penY[i]);
  }
  EXPECT_EQ(exact.Pixels(), near.Pixels());
  EXPECT_GT(exact.CountAll(kBlack), 20);
  EXPECT_GT(general.CountAll(kBlack), 20);
  // The pen ends at the turned end of the run: straight up.
  EXPECT_NEAR(penX[0], 30.0, 0.01);
  EXPECT_LT(penY[0], 70.0 - 40.0);
  // The run stands on its baseline, the pen's column: the ascent lies left
  // of it and only the descent (of the p) right of it.
  RECT ink = exact.InkBox(kWhite);
  EXPECT_LT(ink.left, 30 - 6);
  EXPECT_GT(ink.right, 30);
  EXPECT_LE(ink.right, 30 + 4);
  EXPECT_GE(ink.bottom, 60);
  EXPECT_LE(ink.bottom, 71);
}

TEST(VPortText, DrawingMatchesTheReferenceImage) {
  Canvas canvas(320, 200);
  VPort port(canvas.dc());
  UseFont(port, "Arial", 10);
  port.MoveTo(4, 14, true);
  port.DrawTextRun(u"Arial 10: the quick brown fox", 29, kTextUnicode);
  UseFont(port, "Times New Roman", 12);
  port.SetBold(true);
  port.SetItalic(true);
  port.MoveTo(4, 32, true);
  port.DrawTextRun("Times bold italic \xE9t\xE9", 22, kTextAnsi);
  port.ClearFontStyle();
  port.SetUnderline(true);
  UseFont(port, "Courier New", 10);
  port.SetTextColor(RGB(200, 0, 0));
  port.MoveTo(4, 48, true);
  const uint8_t mac[] = {'M', 'a', 'c', ' ', 0x8A, 0x9A, 0x9F};
  port.DrawTextRun(mac, 7, kTextMac);
  port.ClearFontStyle();
  port.SetTextColor(RGB(0, 0, 0));

  UseFont(port, "Arial", 9);
  port.SetFillColor(RGB(230, 230, 230));
  port.PaintRect(4, 56, 150, 60);
  port.DrawTextInBox(Text(u"Word wrapped text in a box, centred both ways across lines"), 1,
                     1, 4, 56, 150, 60, false);
  port.PaintRect(160, 56, 150, 20);
  port.DrawTextInBox(Text(u"Right-aligned single line, cut"), 2, 2, 160, 56, 150, 20, true);
  port.PaintRect(160, 80, 150, 36);
  port.DrawTextInBoxSystem(Text(u"System box\r\nsecond line"), 1, 1, VRect(160, 80, 150, 36), 0);

  UseFont(port, "Arial", 10);
  const float angles[] = {30.0f, 90.0f, 180.0f, 270.0f};
  const double x[] = {20, 120, 250, 300};
  const double y[] = {180, 180, 180, 130};
  for (int i = 0; i < 4; ++i) {
    port.SetTextAngle(angles[i]);
    port.MoveTo(x[i], y[i], true);
    port.DrawTextRun(u"Turned", 6, kTextUnicode);
  }
  ExpectMatchesReference(canvas, "PortText");
}
