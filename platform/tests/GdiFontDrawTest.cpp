// Drawn text: aliased pixels in the text colour only, alignment and the
// current position, clipping, opaque backgrounds, advance arrays, turned text,
// decorations, DrawTextExA, and a reference image of a line under the pinned fonts.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/gdi/GdiFont.h"
#include "platform/gdi/GdiSnapshot.h"
#include "platform/gdi/WinGdi.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kInk = RGB(200, 30, 60);
constexpr COLORREF kPaper = RGB(20, 180, 90);
constexpr COLORREF kBack = RGB(250, 240, 10);

// A memory DC on a 32-bit top-down DIB, filled with one colour, with a font.
class Canvas {
 public:
  Canvas(int width, int height, COLORREF fill = kWhite)
      : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<uint32_t*>(bits);
    oldBitmap_ = SelectObject(dc_, bitmap_);
    Fill(fill);
    SetTextColor(dc_, kInk);
    SetBkMode(dc_, TRANSPARENT);
  }
  ~Canvas() {
    if (oldFont_) DeleteObject(SelectObject(dc_, oldFont_));
    SelectObject(dc_, oldBitmap_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  void Fill(COLORREF color) {
    uint32_t value = (uint32_t{GetRValue(color)} << 16) | (uint32_t{GetGValue(color)} << 8) |
                     GetBValue(color);
    for (int i = 0; i < width_ * height_; ++i) bits_[i] = value;
  }
  void Use(const char* face, LONG height, LONG escapement = 0, BYTE underline = 0,
           BYTE strikeOut = 0) {
    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfEscapement = escapement;
    lf.lfOrientation = escapement;
    lf.lfUnderline = underline;
    lf.lfStrikeOut = strikeOut;
    std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    HGDIOBJ old = SelectObject(dc_, CreateFontIndirectA(&lf));
    if (oldFont_) {
      DeleteObject(old);
    } else {
      oldFont_ = old;
    }
  }
  COLORREF At(int x, int y) const {
    uint32_t v = bits_[y * width_ + x];
    return RGB(static_cast<BYTE>(v >> 16), static_cast<BYTE>(v >> 8), static_cast<BYTE>(v));
  }
  int Count(COLORREF color) const {
    int n = 0;
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) n += At(x, y) == color;
    }
    return n;
  }
  // The smallest box holding every pixel of the colour; empty when none.
  RECT Box(COLORREF color) const {
    RECT box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        if (At(x, y) != color) continue;
        box.left = std::min<LONG>(box.left, x);
        box.top = std::min<LONG>(box.top, y);
        box.right = std::max<LONG>(box.right, x + 1);
        box.bottom = std::max<LONG>(box.bottom, y + 1);
      }
    }
    if (box.right < box.left) return RECT{0, 0, 0, 0};
    return box;
  }
  // Every pixel other than the two colours given.
  int Others(COLORREF a, COLORREF b) const { return width_ * height_ - Count(a) - Count(b); }
  TEXTMETRICA Metrics() const {
    TEXTMETRICA tm{};
    GetTextMetricsA(dc_, &tm);
    return tm;
  }
  LONG Extent(const char* text) const {
    SIZE size{};
    GetTextExtentPoint32A(dc_, text, static_cast<int>(std::strlen(text)), &size);
    return size.cx;
  }
  HDC dc() const { return dc_; }
  std::vector<uint32_t> Pixels() const { return std::vector<uint32_t>(bits_, bits_ + width_ * height_); }

 private:
  int width_, height_;
  HDC dc_;
  HBITMAP bitmap_ = nullptr;
  uint32_t* bits_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
  HGDIOBJ oldFont_ = nullptr;
};

bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

RECT Shifted(RECT r, LONG dx, LONG dy) { return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }

}  // namespace

TEST(GdiFontDraw, TransparentTextChangesPixelsOnlyToTheTextColour) {
  Canvas canvas(300, 60, kPaper);
  for (const char* face : {"Arial", "Times New Roman", "Courier New", "Wingdings"}) {
    canvas.Fill(kPaper);
    canvas.Use(face, -19);
    ASSERT_TRUE(TextOutA(canvas.dc(), 5, 5, "Aliased: gjy @ 0123 &%", 22));
    EXPECT_GT(canvas.Count(kInk), 50) << face;
    EXPECT_EQ(canvas.Others(kPaper, kInk), 0) << face;
  }
}

TEST(GdiFontDraw, OpaqueTextFillsItsCellWithTheBackColour) {
  Canvas canvas(200, 50, kPaper);
  canvas.Use("Arial", -16);
  SetBkMode(canvas.dc(), OPAQUE);
  SetBkColor(canvas.dc(), kBack);
  ASSERT_TRUE(TextOutA(canvas.dc(), 10, 7, "Cell", 4));
  TEXTMETRICA tm = canvas.Metrics();
  RECT cell{10, 7, 10 + canvas.Extent("Cell"), 7 + tm.tmHeight};
  RECT both = canvas.Box(kBack);
  EXPECT_TRUE(both == cell);
  EXPECT_EQ(canvas.Count(kBack) + canvas.Count(kInk), (cell.right - cell.left) * tm.tmHeight);
  EXPECT_EQ(canvas.Others(kPaper, kBack) - canvas.Count(kInk), 0);
}

TEST(GdiFontDraw, AnsiAndWideDrawTheSamePixels) {
  Canvas a(200, 40), w(200, 40);
  a.Use("Times New Roman", -17);
  w.Use("Times New Roman", -17);
  TextOutA(a.dc(), 3, 4, "Same \xE9t\xE9 \x80", 10);
  TextOutW(w.dc(), 3, 4, u"Same \u00E9t\u00E9 \u20AC", 10);
  EXPECT_EQ(a.Pixels(), w.Pixels());
  EXPECT_GT(a.Count(kInk), 0);
}

TEST(GdiFontDraw, HorizontalAlignmentMovesTheTextByItsExtent) {
  const char* text = "Align me";
  Canvas left(300, 40), right(300, 40), centre(300, 40);
  for (Canvas* c : {&left, &right, &centre}) c->Use("Arial", -16);
  LONG extent = left.Extent(text);
  SetTextAlign(right.dc(), TA_RIGHT);
  SetTextAlign(centre.dc(), TA_CENTER);
  TextOutA(left.dc(), 150, 5, text, 8);
  TextOutA(right.dc(), 150, 5, text, 8);
  TextOutA(centre.dc(), 150, 5, text, 8);
  RECT box = left.Box(kInk);
  EXPECT_TRUE(right.Box(kInk) == Shifted(box, -extent, 0));
  EXPECT_TRUE(centre.Box(kInk) == Shifted(box, -(extent / 2), 0));
}

TEST(GdiFontDraw, VerticalAlignmentPlacesTheBaselineOrTheBottom) {
  Canvas top(200, 80), baseline(200, 80), bottom(200, 80);
  for (Canvas* c : {&top, &baseline, &bottom}) c->Use("Arial", -20);
  TEXTMETRICA tm = top.Metrics();
  SetTextAlign(baseline.dc(), TA_BASELINE);
  SetTextAlign(bottom.dc(), TA_BOTTOM);
  TextOutA(top.dc(), 10, 40, "Hgy", 3);
  TextOutA(baseline.dc(), 10, 40, "Hgy", 3);
  TextOutA(bottom.dc(), 10, 40, "Hgy", 3);
  RECT box = top.Box(kInk);
  EXPECT_TRUE(baseline.Box(kInk) == Shifted(box, 0, -tm.tmAscent));
  EXPECT_TRUE(bottom.Box(kInk) == Shifted(box, 0, -tm.tmHeight));
  // "H" stands on the baseline: its lowest pixel is the row above it.
  Canvas h(100, 80);
  h.Use("Arial", -20);
  SetTextAlign(h.dc(), TA_BASELINE);
  TextOutA(h.dc(), 10, 40, "H", 1);
  EXPECT_EQ(h.Box(kInk).bottom, 40);
}

TEST(GdiFontDraw, UpdateCpDrawsAtAndAdvancesTheCurrentPosition) {
  Canvas canvas(300, 40), reference(300, 40);
  canvas.Use("Arial", -16);
  reference.Use("Arial", -16);
  SetTextAlign(canvas.dc(), TA_UPDATECP);
  MoveToEx(canvas.dc(), 20, 6, nullptr);
  ASSERT_TRUE(TextOutA(canvas.dc(), 999, 999, "one", 3));
  ASSERT_TRUE(TextOutW(canvas.dc(), -5, -5, u"two", 3));
  POINT position{};
  GetCurrentPositionEx(canvas.dc(), &position);
  EXPECT_EQ(position.x, 20 + canvas.Extent("onetwo"));
  EXPECT_EQ(position.y, 6);
  TextOutA(reference.dc(), 20, 6, "onetwo", 6);
  EXPECT_EQ(canvas.Pixels(), reference.Pixels());

  // Right-aligned, the position moves back to the start of the run.
  SetTextAlign(canvas.dc(), TA_UPDATECP | TA_RIGHT);
  TextOutA(canvas.dc(), 0, 0, "abc", 3);
  GetCurrentPositionEx(canvas.dc(), &position);
  EXPECT_EQ(position.x, 20 + canvas.Extent("onetwo") - canvas.Extent("abc"));
  // Centred, it stays.
  SetTextAlign(canvas.dc(), TA_UPDATECP | TA_CENTER);
  POINT before = position;
  TextOutA(canvas.dc(), 0, 0, "abc", 3);
  GetCurrentPositionEx(canvas.dc(), &position);
  EXPECT_EQ(position.x, before.x);
}

TEST(GdiFontDraw, ClippedTextStaysInsideItsRectangle) {
  Canvas canvas(200, 40), whole(200, 40);
  canvas.Use("Arial", -24);
  whole.Use("Arial", -24);
  RECT clip{20, 8, 50, 20};
  ASSERT_TRUE(ExtTextOutA(canvas.dc(), 5, 2, ETO_CLIPPED, &clip, "WWWWWW", 6, nullptr));
  TextOutA(whole.dc(), 5, 2, "WWWWWW", 6);
  RECT box = canvas.Box(kInk);
  EXPECT_GE(box.left, clip.left);
  EXPECT_GE(box.top, clip.top);
  EXPECT_LE(box.right, clip.right);
  EXPECT_LE(box.bottom, clip.bottom);
  // Inside the rectangle, exactly the pixels of the unclipped text.
  for (int y = clip.top; y < clip.bottom; ++y) {
    for (int x = clip.left; x < clip.right; ++x) EXPECT_EQ(canvas.At(x, y), whole.At(x, y));
  }
}

TEST(GdiFontDraw, TheDcClipRegionHoldsForText) {
  Canvas canvas(200, 40);
  canvas.Use("Arial", -24);
  IntersectClipRect(canvas.dc(), 0, 0, 30, 40);
  TextOutA(canvas.dc(), 5, 2, "WWWWWW", 6);
  EXPECT_GT(canvas.Count(kInk), 0);
  EXPECT_LE(canvas.Box(kInk).right, 30);
}

TEST(GdiFontDraw, OpaqueOptionFillsTheRectangleEvenWithoutText) {
  Canvas canvas(100, 40, kPaper);
  SetBkColor(canvas.dc(), kBack);
  RECT rect{10, 5, 60, 25};
  ASSERT_TRUE(ExtTextOutA(canvas.dc(), 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr));
  EXPECT_TRUE(canvas.Box(kBack) == rect);
  EXPECT_EQ(canvas.Count(kBack), 50 * 20);
}

TEST(GdiFontDraw, AdvanceArrayPlacesEachCharacter) {
  Canvas spaced(300, 40), single(300, 40);
  spaced.Use("Arial", -16);
  single.Use("Arial", -16);
  const INT steps[] = {40, 40, 40};
  SetTextAlign(spaced.dc(), TA_UPDATECP);
  MoveToEx(spaced.dc(), 10, 5, nullptr);
  ASSERT_TRUE(ExtTextOutW(spaced.dc(), 0, 0, 0, nullptr, u"lll", 3, steps));
  TextOutA(single.dc(), 10, 5, "l", 1);
  RECT one = single.Box(kInk);
  RECT all = spaced.Box(kInk);
  EXPECT_EQ(all.left, one.left);
  EXPECT_EQ(all.right, one.right + 80);
  EXPECT_EQ(spaced.Count(kInk), 3 * single.Count(kInk));
  POINT position{};
  GetCurrentPositionEx(spaced.dc(), &position);
  EXPECT_EQ(position.x, 130);
}

TEST(GdiFontDraw, UnderlineAndStrikeOutSpanTheRun) {
  Canvas plain(200, 50), lined(200, 50);
  plain.Use("Arial", -20);
  lined.Use("Arial", -20, 0, 1, 1);
  SetTextAlign(plain.dc(), TA_BASELINE);
  SetTextAlign(lined.dc(), TA_BASELINE);
  TextOutA(plain.dc(), 10, 30, "a b", 3);
  TextOutA(lined.dc(), 10, 30, "a b", 3);
  LONG extent = plain.Extent("a b");
  // Rows fully inked from the start of the run to its end: one below the
  // baseline (the underline) and one above it (the strike-out).
  int below = 0, above = 0;
  for (int y = 0; y < 50; ++y) {
    bool full = true;
    for (int x = 10; x < 10 + extent; ++x) full = full && lined.At(x, y) == kInk;
    if (full && y >= 30) ++below;
    if (full && y < 30) ++above;
    EXPECT_NE(lined.At(9, y), kInk);
    EXPECT_NE(lined.At(10 + extent, y), kInk);
  }
  EXPECT_GE(below, 1);
  EXPECT_GE(above, 1);
  EXPECT_EQ(lined.Box(kInk).left, 10);
  EXPECT_GT(plain.Box(kInk).left, 10);
}

TEST(GdiFontDraw, EscapementTurnsTheRunCounterClockwise) {
  Canvas flat(200, 200), up(200, 200), back(200, 200);
  flat.Use("Arial", -20);
  up.Use("Arial", -20, 900);
  back.Use("Arial", -20, 1800);
  for (Canvas* c : {&flat, &up, &back}) {
    SetTextAlign(c->dc(), TA_BASELINE);
    TextOutA(c->dc(), 100, 100, "Turn", 4);
  }
  RECT f = flat.Box(kInk), u = up.Box(kInk), b = back.Box(kInk);
  // A quarter turn: the run climbs from the reference point, its glyphs to the left of it.
  EXPECT_EQ(u.right - u.left, f.bottom - f.top);
  EXPECT_EQ(u.bottom - u.top, f.right - f.left);
  EXPECT_LE(u.bottom, 100 - (f.left - 100));
  EXPECT_LE(u.right, 100);
  // Half a turn: the run goes leftward, upside down, below the reference point.
  EXPECT_EQ(b.right - b.left, f.right - f.left);
  EXPECT_LE(b.right, 100);
  EXPECT_GE(b.top, 100);
  EXPECT_EQ(up.Count(kInk), flat.Count(kInk));
  EXPECT_EQ(back.Count(kInk), flat.Count(kInk));
  // Any other angle still draws only the text colour, and the current
  // position follows the turned baseline.
  Canvas slant(200, 200);
  slant.Use("Arial", -20, 300, 1);
  SetTextAlign(slant.dc(), TA_BASELINE | TA_UPDATECP);
  MoveToEx(slant.dc(), 20, 150, nullptr);
  TextOutA(slant.dc(), 0, 0, "Slanted", 7);
  EXPECT_EQ(slant.Others(kWhite, kInk), 0);
  POINT position{};
  GetCurrentPositionEx(slant.dc(), &position);
  LONG extent = slant.Extent("Slanted");
  EXPECT_NEAR(position.x, 20 + extent * 0.8660254, 1);
  EXPECT_NEAR(position.y, 150 - extent * 0.5, 1);
}

TEST(GdiFontDraw, WingdingsBulletIsASolidSquare) {
  Canvas canvas(60, 60);
  canvas.Use("Wingdings", -30);
  TextOutA(canvas.dc(), 10, 10, "n", 1);
  RECT box = canvas.Box(kInk);
  LONG w = box.right - box.left, h = box.bottom - box.top;
  EXPECT_GT(w, 8);
  EXPECT_NEAR(w, h, 1);
  EXPECT_EQ(canvas.Count(kInk), w * h);
}

TEST(GdiFontDraw, WingdingsBulletCodesDrawSymbolsNotLetters) {
  // The bullet codes the paragraph bullets use, as bytes, as UTF-16 codes and
  // as their private-use forms.
  for (char code : {'l', 'm', 'n', 'o', 'u', 'v'}) {
    Canvas bytes(40, 40), units(40, 40), privateUse(40, 40), letter(40, 40);
    for (Canvas* c : {&bytes, &units, &privateUse}) c->Use("Wingdings", -24);
    letter.Use("Symbola", -24);  // the same font without the recoding
    char16_t unit = static_cast<char16_t>(code);
    char16_t inPrivateUse = static_cast<char16_t>(0xF000 | code);
    TextOutA(bytes.dc(), 5, 5, &code, 1);
    TextOutW(units.dc(), 5, 5, &unit, 1);
    TextOutW(privateUse.dc(), 5, 5, &inPrivateUse, 1);
    TextOutA(letter.dc(), 5, 5, &code, 1);
    EXPECT_GT(bytes.Count(kInk), 20) << code;
    EXPECT_EQ(bytes.Pixels(), units.Pixels()) << code;
    EXPECT_EQ(bytes.Pixels(), privateUse.Pixels()) << code;
    EXPECT_NE(bytes.Pixels(), letter.Pixels()) << code;
  }
}

TEST(GdiFontDraw, AdvancesFarBeyondTheDeviceDrawOnlyWhatLandsOnIt) {
  // Advances as a stored record may carry them: the run's extent passes the
  // 32-bit range. Characters pushed off the device draw nothing; the rest of
  // the run draws as it would alone.
  struct Case {
    const char16_t* text;
    INT advances[3];
    const char16_t* alone;  // what the run shows on the device
    LONG x;
  } cases[] = {
      {u"AB", {INT_MAX, 0}, u"A", 10},
      {u"AB", {INT_MAX, INT_MAX}, u"A", 10},
      {u"ABC", {-INT_MAX, -INT_MAX, 0}, u"A", 10},
      {u"AB", {INT_MAX - 5, 0}, u"A", 5},
  };
  for (const Case& k : cases) {
    const UINT count = static_cast<UINT>(std::char_traits<char16_t>::length(k.text));
    Canvas far(120, 40), alone(120, 40);
    far.Use("Arial", -20);
    alone.Use("Arial", -20);
    ASSERT_TRUE(ExtTextOutW(far.dc(), k.x, 5, 0, nullptr, k.text, count, k.advances));
    ASSERT_TRUE(TextOutW(alone.dc(), k.x, 5, k.alone, 1));
    EXPECT_GT(alone.Count(kInk), 0);
    EXPECT_EQ(far.Pixels(), alone.Pixels()) << static_cast<int>(k.x);
  }
}

TEST(GdiFontDraw, RunsFarBeyondTheDeviceFillOnlyTheirPartOfIt) {
  const INT far[] = {INT_MAX, INT_MAX, INT_MAX};
  // Right-aligned at x 60, the run starts some 2^33 pixels to the left: its
  // background and underline cover the device up to 60 and no further.
  Canvas canvas(120, 40, kPaper);
  canvas.Use("Arial", -20, 0, 1);
  SetBkMode(canvas.dc(), OPAQUE);
  SetBkColor(canvas.dc(), kBack);
  SetTextAlign(canvas.dc(), TA_RIGHT | TA_TOP);
  ASSERT_TRUE(ExtTextOutW(canvas.dc(), 60, 5, 0, nullptr, u"ABC", 3, far));
  TEXTMETRICA tm = canvas.Metrics();
  EXPECT_TRUE(canvas.Box(kBack) == (RECT{0, 5, 60, 5 + tm.tmHeight}));
  RECT line = canvas.Box(kInk);
  EXPECT_EQ(line.left, 0);
  EXPECT_EQ(line.right, 60);
  EXPECT_EQ(canvas.Others(kBack, kInk), 120 * 40 - 60 * tm.tmHeight);

  // Turned, the underline runs from the reference point to the device's edge.
  Canvas turned(120, 120, kPaper);
  turned.Use("Arial", -20, 900, 1);
  SetTextAlign(turned.dc(), TA_BASELINE);
  ASSERT_TRUE(ExtTextOutW(turned.dc(), 60, 100, 0, nullptr, u"ABC", 3, far));
  RECT up = turned.Box(kInk);
  EXPECT_EQ(up.top, 0);
  EXPECT_GE(up.bottom, 100);
  EXPECT_LE(up.right - up.left, 20);
  EXPECT_EQ(turned.Others(kPaper, kInk), 0);
}

TEST(GdiFontDraw, BadArgumentsDrawNothingAndFail) {
  Canvas canvas(50, 20);
  canvas.Use("Arial", -12);
  EXPECT_FALSE(TextOutA(canvas.dc(), 0, 0, "abc", -2));
  EXPECT_FALSE(TextOutA(canvas.dc(), 0, 0, nullptr, 3));
  EXPECT_FALSE(TextOutA(nullptr, 0, 0, "abc", 3));
  EXPECT_FALSE(ExtTextOutA(canvas.dc(), 0, 0, 0, nullptr, "abc", 0x80000000u, nullptr));
  EXPECT_EQ(canvas.Count(kInk), 0);
}

TEST(GdiFontDrawText, CalcRectMeasuresLinesWithoutDrawing) {
  Canvas canvas(300, 100);
  canvas.Use("Arial", -16);
  TEXTMETRICA tm = canvas.Metrics();
  RECT rect{10, 20, 10010, 10020};
  const char* text = "First line\r\nSecond, longer line\nThird";
  int height = DrawTextExA(canvas.dc(), text, -1, &rect, DT_CALCRECT | DT_EDITCONTROL, nullptr);
  EXPECT_EQ(height, 3 * tm.tmHeight);
  EXPECT_EQ(rect.left, 10);
  EXPECT_EQ(rect.top, 20);
  EXPECT_EQ(rect.right, 10 + canvas.Extent("Second, longer line"));
  EXPECT_EQ(rect.bottom, 20 + 3 * tm.tmHeight);
  EXPECT_EQ(canvas.Count(kInk), 0);
}

TEST(GdiFontDrawText, WordBreakWrapsAtSpacesWithinTheWidth) {
  Canvas canvas(300, 200);
  canvas.Use("Arial", -16);
  TEXTMETRICA tm = canvas.Metrics();
  LONG width = canvas.Extent("alpha beta");
  RECT rect{0, 0, width, 1000};
  int height = DrawTextExA(canvas.dc(), "alpha beta alpha beta   alpha", -1, &rect,
                           DT_CALCRECT | DT_WORDBREAK, nullptr);
  EXPECT_EQ(height, 3 * tm.tmHeight);
  EXPECT_EQ(rect.right, width);
  // Drawn, the second line starts at the left edge again, one line lower.
  Canvas drawn(300, 200), direct(300, 200);
  drawn.Use("Arial", -16);
  direct.Use("Arial", -16);
  RECT box{0, 0, width, 1000};
  DrawTextExA(drawn.dc(), "alpha beta alpha beta", -1, &box, DT_WORDBREAK, nullptr);
  TextOutA(direct.dc(), 0, 0, "alpha beta", 10);
  TextOutA(direct.dc(), 0, tm.tmHeight, "alpha beta", 10);
  EXPECT_EQ(drawn.Pixels(), direct.Pixels());
}

TEST(GdiFontDrawText, PrefixesAreHiddenAndDoubledOnesShown) {
  Canvas canvas(300, 60);
  canvas.Use("Arial", -16);
  RECT rect{0, 0, 1000, 1000};
  DrawTextExA(canvas.dc(), "&File && more", -1, &rect, DT_CALCRECT, nullptr);
  EXPECT_EQ(rect.right, canvas.Extent("File & more"));
}

TEST(GdiFontDrawText, AlignedLinesLandWhereTheirExtentSays) {
  Canvas left(300, 40), right(300, 40), centre(300, 40), direct(300, 40);
  for (Canvas* c : {&left, &right, &centre, &direct}) c->Use("Arial", -16);
  LONG extent = left.Extent("Label");
  RECT box{20, 5, 220, 35};
  RECT r1 = box, r2 = box, r3 = box;
  DrawTextExA(left.dc(), "Label", 5, &r1, DT_LEFT | DT_EDITCONTROL, nullptr);
  DrawTextExA(right.dc(), "Label", 5, &r2, DT_RIGHT | DT_EDITCONTROL, nullptr);
  DrawTextExA(centre.dc(), "Label", 5, &r3, DT_CENTER | DT_EDITCONTROL, nullptr);
  TextOutA(direct.dc(), 20, 5, "Label", 5);
  EXPECT_EQ(left.Pixels(), direct.Pixels());
  RECT ink = left.Box(kInk);
  EXPECT_TRUE(right.Box(kInk) == Shifted(ink, 200 - extent, 0));
  EXPECT_TRUE(centre.Box(kInk) == Shifted(ink, (200 - extent) / 2, 0));
}

TEST(GdiFontDrawText, BadArgumentsFail) {
  Canvas canvas(50, 20);
  RECT rect{0, 0, 10, 10};
  EXPECT_EQ(DrawTextExA(canvas.dc(), "abc", 3, nullptr, 0, nullptr), 0);
  EXPECT_EQ(DrawTextExA(canvas.dc(), nullptr, 3, &rect, 0, nullptr), 0);
  EXPECT_EQ(DrawTextExA(canvas.dc(), "abc", -5, &rect, 0, nullptr), 0);
  DRAWTEXTPARAMS params{};
  params.cbSize = 3;
  EXPECT_EQ(DrawTextExA(canvas.dc(), "abc", 3, &rect, 0, &params), 0);
  EXPECT_EQ(DrawTextExA(nullptr, "abc", 3, &rect, 0, nullptr), 0);
}

// A line of text in each pinned face, compared pixel for pixel with the
// reference image kept beside the tests. QV_REGENERATE_REFERENCES=1 rewrites it.
TEST(GdiFontReference, TextLineMatchesTheReferenceImage) {
  Canvas canvas(420, 130);
  struct Line {
    const char* face;
    LONG height;
    LONG escapement;
    int x, y;
    const char* text;
  };
  const Line lines[] = {
      {"Arial", -13, 0, 4, 4, "Arial 10pt: The quick brown fox jumps over the lazy dog."},
      {"Times New Roman", -16, 0, 4, 24, "Times New Roman 12pt: Sphinx of black quartz, judge my vow"},
      {"Courier New", -13, 0, 4, 44, "Courier New: {x = 42;} // 0O1lI"},
      {"MS Sans Serif", -11, 0, 4, 64, "MS Sans Serif 8pt: OK Cancel Apply \xE9\xE8\x80"},
      {"Wingdings", -16, 0, 4, 84, "lmnouv\xA7\xD8\xFC"},
      {"Arial", -12, 150, 200, 110, "Arial turned 15 degrees"},
  };
  for (const Line& line : lines) {
    canvas.Use(line.face, line.height, line.escapement);
    TextOutA(canvas.dc(), line.x, line.y, line.text, static_cast<int>(std::strlen(line.text)));
  }
  std::filesystem::path reference =
      std::filesystem::path(QV_PLATFORM_TEST_DATA) / "GdiFontTextLine.png";
  const char* regenerate = std::getenv("QV_REGENERATE_REFERENCES");
  if (regenerate && std::string(regenerate) == "1") {
    std::filesystem::create_directories(reference.parent_path());
    ASSERT_TRUE(GdiWritePng(canvas.dc(), reference.c_str()));
    GTEST_SKIP() << "reference rewritten: " << reference;
  }
  HBITMAP expected = GdiReadPng(reference.c_str());
  ASSERT_NE(expected, nullptr) << "missing reference " << reference
                               << " (run with QV_REGENERATE_REFERENCES=1 to make it)";
  DIBSECTION section{};
  ASSERT_EQ(GetObjectA(expected, sizeof(section), &section), static_cast<int>(sizeof(section)));
  ASSERT_EQ(section.dsBm.bmWidth, 420);
  ASSERT_EQ(section.dsBm.bmHeight, 130);
  const auto* bits = static_cast<const uint32_t*>(section.dsBm.bmBits);
  std::vector<uint32_t> drawn = canvas.Pixels();
  int differing = 0;
  for (size_t i = 0; i < drawn.size(); ++i) {
    differing += (drawn[i] & 0xFFFFFF) != (bits[i] & 0xFFFFFF);
  }
  EXPECT_EQ(differing, 0);
  DeleteObject(expected);
}

namespace {

LONG WideExtent(HDC dc, const std::u16string& text) {
  SIZE size{};
  GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
  return size.cx;
}

}  // namespace

// Where the chosen face lacks a character, it is measured and drawn in a
// font that has it, as the platform's font linking does: nothing is blank
// and nothing takes the missing-glyph box's width.
TEST(GdiFontDraw, CharactersTheFaceLacksComeFromAFallbackFont) {
  struct Case {
    const char* name;
    std::u16string text;
  };
  const Case cases[] = {
      {"Chinese", u"\u4E2D\u6587"},
      {"Japanese", u"\u65E5\u672C\u3042"},
      {"Korean", u"\uD55C\uAD6D"},
      {"Arabic", u"\u0627\u0644\u0639\u0631\u0628\u064A\u0629"},
      {"non-breaking hyphen", u"\u2011"},
      {"emoji", u"\U0001F600"},
      // The one pinned font with it gives it no advance: its ink lies left
      // of its origin.
      {"musical symbol G clef", u"\U0001D11E"},
  };
  Canvas missing(60, 60);
  missing.Use("Times New Roman", -24);
  // U+0378 is assigned to nothing: every font shows its missing-glyph box.
  const std::u16string unassigned = u"\u0378";
  const LONG boxWidth = WideExtent(missing.dc(), unassigned);
  for (const Case& c : cases) {
    for (const char* face : {"Times New Roman", "Arial", "Courier New"}) {
      SCOPED_TRACE(std::string(c.name) + " in " + face);
      Canvas canvas(400, 60);
      canvas.Use(face, -24);
      const LONG width = WideExtent(canvas.dc(), c.text);
      const bool clef = c.text == u"\U0001D11E";
      if (!clef) {
        EXPECT_GT(width, 0);
      }
      TextOutW(canvas.dc(), 40, 10, c.text.data(), static_cast<int>(c.text.size()));
      const RECT box = canvas.Box(kInk);
      EXPECT_GT(canvas.Count(kInk), 10);
      // Drawn where it was measured.
      EXPECT_LE(box.right, 40 + width + 3);
      // Not the missing-glyph box: another shape.
      Canvas mark(400, 60);
      mark.Use(face, -24);
      std::u16string boxes;
      for (size_t i = 0; i < c.text.size(); ++i)
        if (c.text[i] < 0xD800 || c.text[i] > 0xDBFF) boxes += unassigned;
      TextOutW(mark.dc(), 40, 10, boxes.data(), static_cast<int>(boxes.size()));
      EXPECT_NE(canvas.Pixels(), mark.Pixels());
    }
  }
  EXPECT_GT(boxWidth, 0);
}

// A character that no configured font has (Thai, Devanagari, an unassigned
// code) shows the face's missing-glyph box, one a character, drawn where it
// is measured; where the face's own mark is blank (Liberation Serif's,
// Liberation Sans Italic's) the box of the first font that has one stands in.
TEST(GdiFontDraw, ACharacterNoFontHasShowsAMissingGlyphBox) {
  struct Face {
    const char* name;
    BYTE italic;
  };
  const Face faces[] = {{"Times New Roman", 0}, {"Times New Roman", 1}, {"Arial", 1},
                        {"Arial", 0},           {"Courier New", 0},     {"DejaVu Sans", 1}};
  const std::u16string texts[] = {u"\u0E2A\u0E27\u0E31", u"\u0928\u092E\u0938", u"\u0378\u0378\u0378"};
  for (const Face& face : faces) {
    for (const std::u16string& text : texts) {
      SCOPED_TRACE(std::string(face.name) + (face.italic ? " italic " : " ") + std::to_string(int(text[0])));
      Canvas canvas(300, 60);
      LOGFONTA lf{};
      lf.lfHeight = -30;
      lf.lfItalic = face.italic;
      std::strncpy(lf.lfFaceName, face.name, LF_FACESIZE - 1);
      HGDIOBJ old = SelectObject(canvas.dc(), CreateFontIndirectA(&lf));
      int x = 20;
      for (char16_t unit : text) {
        const LONG advance = WideExtent(canvas.dc(), std::u16string(1, unit));
        EXPECT_GT(advance, 8);
        Canvas one(300, 60);
        HGDIOBJ previous = SelectObject(one.dc(), GetCurrentObject(canvas.dc(), OBJ_FONT));
        TextOutW(one.dc(), x, 10, &unit, 1);
        // A box's outline at 30 pixels is some 70 pixels of ink, inside its
        // advance (a slanted one leans out by a fifth of its height).
        EXPECT_GT(one.Count(kInk), 40);
        const RECT box = one.Box(kInk);
        EXPECT_GE(box.left, x - 1);
        EXPECT_LE(box.right, x + advance + (face.italic ? 6 : 1));
        SelectObject(one.dc(), previous);
        x += advance;
      }
      DeleteObject(SelectObject(canvas.dc(), old));
    }
  }
}

// A surrogate pair is one character: its low half carries the width, the
// high half takes none, and the pair draws one glyph, not two boxes.
TEST(GdiFontDraw, ASurrogatePairIsOneCharacter) {
  Canvas canvas(200, 60);
  canvas.Use("Arial", -24);
  const std::u16string clef = u"\U0001F600";
  ASSERT_EQ(clef.size(), 2u);
  const LONG pair = WideExtent(canvas.dc(), clef);
  EXPECT_GT(pair, 0);
  EXPECT_EQ(WideExtent(canvas.dc(), clef.substr(0, 1)), 0);
  // The widths each unit ends at: the pair's whole width comes with its low half.
  int extents[2] = {-1, -1};
  int fit = 0;
  SIZE size{};
  ASSERT_TRUE(GetTextExtentExPointW(canvas.dc(), clef.data(), 2, 1000, &fit, extents, &size));
  EXPECT_EQ(extents[0], 0);
  EXPECT_EQ(extents[1], pair);
  // A low half alone is no character of its own: the missing-glyph box.
  EXPECT_EQ(WideExtent(canvas.dc(), clef.substr(1, 1)), WideExtent(canvas.dc(), u"\u0378"));
  TextOutW(canvas.dc(), 5, 10, clef.data(), 2);
  const std::vector<uint32_t> whole = canvas.Pixels();
  Canvas boxes(200, 60);
  boxes.Use("Arial", -24);
  TextOutW(boxes.dc(), 5, 10, u"\u0378\u0378", 2);
  EXPECT_NE(whole, boxes.Pixels());
  EXPECT_GT(canvas.Count(kInk), 20);
}

// Text as a reader sees it: a letter followed by its combining marks (as
// macOS file names, pasted text and many Vietnamese keyboards give it) is
// measured and drawn as the letter that holds them, and a joiner, a
// selector or a direction mark draws nothing and takes no room. Each row:
// a text and the text it must look as, in the same face or, for marks the
// face lacks, in the font that has the whole cluster.
TEST(GdiFontDraw, MarksSitOnTheirLettersAndJoinersDrawNothing) {
  struct Row {
    const char* name;
    std::u16string text;
    std::u16string looksAs;
    const char* looksIn = nullptr;
  };
  const Row rows[] = {
      {"Vietnamese city", u"Ha\u0300 No\u0323\u0302i", u"H\u00E0 N\u1ED9i"},
      {"Vietnamese dish", u"pho\u031B\u0309 bo\u0300", u"ph\u1EDF b\u00F2"},
      {"French", u"cafe\u0301, nai\u0308ve", u"caf\u00E9, na\u00EFve"},
      {"French in capitals", u"CAFE\u0301, NAI\u0308VE", u"CAF\u00C9, NA\u00CFVE"},
      {"Vietnamese name", u"Vie\u0323\u0302t", u"Vi\u1EC7t"},
      {"joiner between letters", u"a\u200Db\u200Cc", u"abc"},
      {"direction marks and a word joiner", u"x\u200E\u2060y\u200F", u"xy"},
      {"Persian with a non-joiner", u"\u0645\u06CC\u200C\u062E\u0648", u"\u0645\u06CC\u062E\u0648"},
      {"a heart and its selector", u"\u2764\uFE0F!", u"\u2764!"},
      {"a joined family", u"\U0001F468\u200D\U0001F469\u200D\U0001F467", u"\U0001F468\U0001F469\U0001F467"},
      // Neither face has the arrows; the first font with the letter and the
      // arrow draws both, the arrow on its letter.
      {"arrows over letters", u"v\u20D7a\u20D7M\u20D7x\u20D1", u"v\u20D7a\u20D7M\u20D7x\u20D1", "DejaVu Sans"},
      {"keycaps", u"1\uFE0F\u20E3#\uFE0F\u20E3", u"1\u20E3#\u20E3", "Symbola"},
      // A mark after a control or half a pair alone stands as a cluster of
      // its own, as after a word joiner.
      {"a mark after a soft hyphen", u"a\u00AD\u0323b", u"a\u00AD\u2060\u0323b"},
      {"a mark after a lone high half", {u'a', char16_t(0xD83D), u'\u0323', u'b'}, u"a\u2060\u0323b"},
  };
  for (const Row& row : rows) {
    for (const char* face : {"Arial", "Times New Roman"}) {
      SCOPED_TRACE(std::string(row.name) + " in " + face);
      Canvas text(300, 60);
      text.Use(face, -24);
      Canvas looks(300, 60);
      looks.Use(row.looksIn != nullptr ? row.looksIn : face, -24);
      EXPECT_EQ(WideExtent(text.dc(), row.text), WideExtent(looks.dc(), row.looksAs));
      // What a unit measures depends on the units before it alone: the
      // extent the run reaches at each unit is that much of it measured by
      // itself, so that text measured a unit at a time measures as drawn.
      std::vector<int> extents(row.text.size(), -1);
      int fit = 0;
      SIZE size{};
      ASSERT_TRUE(GetTextExtentExPointW(text.dc(), row.text.data(), int(row.text.size()), 100000, &fit,
                                        extents.data(), &size));
      for (size_t n = 1; n <= row.text.size(); ++n)
        EXPECT_EQ(WideExtent(text.dc(), row.text.substr(0, n)), extents[n - 1]) << "units " << n;
      // On one baseline, whichever face's ascent is the taller.
      SetTextAlign(text.dc(), TA_BASELINE);
      SetTextAlign(looks.dc(), TA_BASELINE);
      TextOutW(text.dc(), 10, 40, row.text.data(), static_cast<int>(row.text.size()));
      TextOutW(looks.dc(), 10, 40, row.looksAs.data(), static_cast<int>(row.looksAs.size()));
      EXPECT_GT(text.Count(kInk), 20);
      EXPECT_TRUE(text.Pixels() == looks.Pixels());
    }
  }
  // An arrow the face lacks stands centred over its letter, which the font
  // with both draws: over a letter as wide at its top as at its foot, the
  // ink the arrow adds is as far right as the letter's.
  for (char16_t letter : std::u16string(u"vawMx")) {
    SCOPED_TRACE(std::string(1, char(letter)));
    Canvas arrowed(100, 60), bare(100, 60);
    arrowed.Use("Arial", -24);
    bare.Use("DejaVu Sans", -24);
    const std::u16string text{letter, u'\u20D7'};
    TextOutW(arrowed.dc(), 30, 20, text.data(), 2);
    TextOutW(bare.dc(), 30, 20, &letter, 1);
    const RECT letterInk = bare.Box(kInk);
    RECT arrowInk{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int y = 0; y < 60; ++y) {
      for (int x = 0; x < 100; ++x) {
        if (arrowed.At(x, y) != kInk || bare.At(x, y) == kInk) continue;
        arrowInk.left = std::min<LONG>(arrowInk.left, x);
        arrowInk.right = std::max<LONG>(arrowInk.right, x + 1);
      }
    }
    ASSERT_LT(arrowInk.left, arrowInk.right);
    EXPECT_NEAR(arrowInk.left + arrowInk.right, letterInk.left + letterInk.right, 2);
  }
}

// A run is segmented and shaped once a font and kept with that font: the
// same units measured and drawn again, in that font after another, or in
// another font after it, measure and draw as in a font that never met
// them. Each row: a text, the face it is kept in first (24 pixels high),
// and the face and height it is drawn in next.
TEST(GdiFontDraw, ARunKeptForOneFontMeasuresAndDrawsInAnotherAsThatFontDoes) {
  struct Row {
    const char* name;
    std::u16string text;
    const char* first;
    const char* next;
    LONG nextHeight;
  };
  const Row rows[] = {
      {"Vietnamese", u"Tie\u0302\u0301ng Vie\u0323\u0302t", "Arial", "Times New Roman", -24},
      {"Vietnamese, narrower after wider", u"Tie\u0302\u0301ng Vie\u0323\u0302t", "Courier New", "Arial", -24},
      {"a joined family from a fallback", u"a\U0001F468\u200D\U0001F469\u200D\U0001F467b", "Times New Roman",
       "Arial", -24},
      {"a joined family, larger", u"a\U0001F468\u200D\U0001F469\u200D\U0001F467b", "Arial", "Arial", -36},
      {"Persian from a fallback", u"\u0645\u06CC\u200C\u062E\u0648", "Arial", "Courier New", -24},
      {"Persian, smaller", u"\u0645\u06CC\u200C\u062E\u0648", "Arial", "Arial", -18},
      {"a mark no fallback joins", u"x\u0378\u0301y", "Arial", "Times New Roman", -24},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    // The text with a zero-width space after it, which shows nothing and
    // takes no room, is another run: as the next font shows the text when
    // it met it first.
    const std::u16string unmet = row.text + u"\u200B";
    Canvas fresh(300, 60);
    fresh.Use(row.next, row.nextHeight);
    const LONG width = WideExtent(fresh.dc(), unmet);
    TextOutW(fresh.dc(), 10, 10, unmet.data(), static_cast<int>(unmet.size()));
    // The first font lives on beside the canvas that changes its font.
    Canvas first(300, 60);
    first.Use(row.first, -24);
    Canvas kept(300, 60);
    kept.Use(row.first, -24);
    WideExtent(kept.dc(), row.text);
    TextOutW(kept.dc(), 10, 10, row.text.data(), static_cast<int>(row.text.size()));
    const std::vector<uint32_t> inFirst = kept.Pixels();
    kept.Fill(kWhite);
    kept.Use(row.next, row.nextHeight);
    EXPECT_EQ(WideExtent(kept.dc(), row.text), width);
    TextOutW(kept.dc(), 10, 10, row.text.data(), static_cast<int>(row.text.size()));
    EXPECT_TRUE(kept.Pixels() == fresh.Pixels());
    EXPECT_FALSE(inFirst == fresh.Pixels());
    // And the first font, met again, draws as it did.
    kept.Fill(kWhite);
    kept.Use(row.first, -24);
    TextOutW(kept.dc(), 10, 10, row.text.data(), static_cast<int>(row.text.size()));
    EXPECT_TRUE(kept.Pixels() == inFirst);
  }
}

// A font keeps the runs it met last up to a bound, and starts afresh past
// it: a run met before more runs than it keeps measures and draws as it did.
TEST(GdiFontDraw, ARunMetAgainPastWhatAFontKeepsMeasuresAndDrawsAsBefore) {
  const std::u16string text = u"Vie\u0323\u0302t Nam, pho\u031B\u0309";
  Canvas first(300, 60);
  first.Use("Arial", -24);
  const LONG width = WideExtent(first.dc(), text);
  TextOutW(first.dc(), 10, 10, text.data(), static_cast<int>(text.size()));
  Canvas again(300, 60);
  again.Use("Arial", -24);
  for (int i = 0; i < 3000; ++i) {
    const std::string number = std::to_string(i);
    const std::u16string other = u"e\u0301" + std::u16string(number.begin(), number.end());
    EXPECT_GT(WideExtent(again.dc(), other), 0);
  }
  EXPECT_EQ(WideExtent(again.dc(), text), width);
  TextOutW(again.dc(), 10, 10, text.data(), static_cast<int>(text.size()));
  EXPECT_TRUE(again.Pixels() == first.Pixels());
}
