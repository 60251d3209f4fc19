// Drawing of the document body with "Qv Test" (whole-pixel advances, 12
// points: a = 8, A = 12, space = 4, lines 16 high): pages, parts, columns,
// pictures and markers against reference images, the selection highlight
// as a region changed by inversion, and pages printed into a PDF.
#include "engine/xMorvaDocumentDrawing.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "engine/tests/DocumentFixture.h"
#include "engine/tests/ReferenceImage.h"
#include "engine/xMorvaFont.h"
#include "engine/xMorvaLines.h"
#include "engine/xMorvaPages.h"
#include "engine/xMorvaPictureElement.h"
#include "framework/core/values/VPictureMaker.h"
#include "graphics/VDIBPort.h"
#include "graphics/VMetafilePort.h"
#include "graphics/VPoint.h"
#include "graphics/pictures/VEmfPictureData.h"
#include "graphics/printing/VWinPrinter.h"
#include "platform/gdi/GdiSnapshot.h"
#include "platform/gdi/fonts/GdiFontLibrary.h"
#include "platform/print/WinPrint.h"

namespace {

constexpr int32_t kPageLeft = 10;
constexpr uint32_t kWhite = 0xFFFFFF;

Bytes PictureElement(int32_t w, int32_t h) {
  VMetafilePort recorder(nullptr, 0, 0, w, h);
  recorder.SetFillColor(RGB(255, 0, 0));
  recorder.PaintRect(0, 0, w, h);
  VEmfPictureData picture(recorder.EndRecording(), true);
  VMemHandle handle = gMemoryMgr->NewHandle(0, 0);
  EXPECT_TRUE(MakePictureElement(picture, handle, -1, -1, -1, -1));
  const auto* data = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(handle));
  Bytes bytes(data, data + gMemoryMgr->GetHandleSize(handle));
  gMemoryMgr->UnlockHandle(handle);
  gMemoryMgr->DisposeHandle(handle);
  return bytes;
}

std::u16string Words(int first, int count) {
  std::u16string text;
  for (int i = first; i < first + count; ++i) {
    if (!text.empty()) text += u' ';
    text += u"w" + std::u16string(1, char16_t(u'a' + i % 26)) + u"x";
  }
  return text;
}

class Drawing : public DocumentTest {
 protected:
  void SetUp() override {
    AddQvTestFont();
    VStr<64> face;
    face.SetAnsiCText("Qv Test");
    // The face is the table's first font, which every line starts in.
    document->GetFontTable()->Reset(face);
    ASSERT_EQ(document->FontIndexForName(face), 1);
    xMorvaDocParams& params = document->Params();
    params.SetPageSize(240, 200);
    params.SetLeftMargin(20);
    params.SetRightMargin(20);
    params.SetBinding(0);
    params.SetColumns(1);
    params.SetColumnSpacing(10);
    params.SetDifferentFirstPage(0);
    params.SetDifferentLeftRight(0);
    params.SetWidowControl(0);
    params.SetViewMode(0);
    params.SetColumnLines(1);
    params.SetViewFlag(3, 0);
    for (bool first : {false, true}) {
      xMorvaPageBands& bands = params.GetBands(first);
      bands = xMorvaPageBands();
      bands.topMargin = 40;
      bands.bottomMargin = 40;
      bands.headerTop = 10;
      bands.headerBottom = 30;
      bands.footerTop = 30;
      bands.footerBottom = 10;
    }
    for (int16_t p = 0; p < kPartCount; ++p) {
      auto* engine = static_cast<xMorvaEngine*>(document->GetPart(p));
      lines[p] = std::make_unique<xMorvaLines>(document.get(), engine, p, 4);
      table[p] = lines[p].get();
    }
    pages = std::make_unique<xMorvaPages>(document.get(), lines[0].get());
    drawing = std::make_unique<xMorvaDocumentDrawing>(*document, table, *pages);
  }

  xMorvaEngine& Part(int16_t p) { return *static_cast<xMorvaEngine*>(document->GetPart(p)); }

  // Loads a part (unrecorded) in Qv Test at `size` points.
  void LoadPart(int16_t p, const Bytes& text, int32_t size = 12, int16_t font = 1) {
    Bytes bytes = Stream().Record(kPropFont, font).Record(kPropSize, size).Raw(text);
    xMorvaEngine& engine = Part(p);
    document->GetUndo()->Suspend();
    engine.Clear();
    ASSERT_EQ(0, engine.InsertBytes(0u, bytes.data(), uint32_t(bytes.size())));
    engine.SetLength(PositionsOf(bytes));
    document->GetUndo()->Resume();
    engine.SetSelection(0, 0);
  }
  void Compose() {
    // The document's own measuring port, which measures on the printer
    // as drawing does while the printer's metrics are applied.
    ASSERT_TRUE(document->IsPrinterMetricsApplied());
    xMorvaFont font(document->GetMeasuringPort(), document.get());
    for (int16_t p = 0; p < kPartCount; ++p) ASSERT_EQ(0, lines[p]->ComposeAll(font));
    ASSERT_EQ(0, pages->ComputePageBreaks(0));
  }
  // A white canvas wide enough for the page column.
  std::unique_ptr<VDIBPort> Canvas(int32_t height) {
    auto canvas = std::make_unique<VDIBPort>(kPageLeft + 240 + 3 + 10, height, 32);
    canvas->SetFillColor(RGB(255, 255, 255));
    canvas->SetFillPatternIndex(6);
    canvas->PaintRect(0, 0, canvas->GetWidth(), canvas->GetHeight());
    return canvas;
  }
  void Draw(VDIBPort& canvas, xMorvaSelectionState* state, uint16_t mode, int32_t top = 0) {
    drawing->SetDrawingMode(mode);
    drawing->DrawDocument(state, canvas, 0, top, canvas.GetWidth(), canvas.GetHeight(), kPageLeft);
  }
  static std::vector<uint32_t> Pixels(const VDIBPort& canvas) {
    const auto* bits = static_cast<const uint32_t*>(canvas.GetBits());
    std::vector<uint32_t> pixels(bits, bits + canvas.GetWidth() * canvas.GetHeight());
    for (uint32_t& p : pixels) p &= 0xFFFFFF;
    return pixels;
  }
  static uint32_t Pixel(const VDIBPort& canvas, int32_t x, int32_t y) {
    return static_cast<const uint32_t*>(canvas.GetBits())[y * canvas.GetWidth() + x] & 0xFFFFFF;
  }
  VInstalledService<const VPictureMaker> maker{&kPictureValueMaker};
  std::unique_ptr<xMorvaLines> lines[kPartCount];
  xMorvaLines* table[kPartCount] = {};
  std::unique_ptr<xMorvaPages> pages;
  std::unique_ptr<xMorvaDocumentDrawing> drawing;
};

// Two pages of two columns with a header, a footer that overflows its area
// (cross mark), a picture in the text and a selection. The footer's area
// ends where printers still print, so the footer keeps to it.
TEST_F(Drawing, PagesMatchTheReferenceImages) {
  for (bool first : {false, true}) document->Params().GetBands(first).footerBottom = xMorvaDocParams::FooterFloor();
  document->Params().SetColumns(2);
  document->Params().SetViewFlag(3, 1);
  Stream body;
  body.Text(u"AAA ").Raw(PictureElement(20, 12)).Text(u" a " + Words(0, 12) + u"\r");
  for (int i = 0; i < 6; ++i) body.Text(Words(i, 6) + u"\r");
  LoadPart(kPartBody, body);
  LoadPart(kPartHeader, Stream().Text(u"Head\r"));
  LoadPart(kPartFooter, Stream().Text(u"Foot\rmore\rand more\r"));
  Compose();
  ASSERT_EQ(pages->GetPageCount(), 2);
  Part(kPartBody).SetSelection(1, 6);
  auto canvas = Canvas(4 + 2 * 204);
  xMorvaSelectionState state;
  Draw(*canvas, &state, kDrawPaint);
  ExpectMatchesReference(*canvas, "DocumentPages.png");

  document->Params().SetViewMode(1);
  ASSERT_EQ(0, pages->ComputePageBreaks(0));
  auto continuous = Canvas(drawing->GetDocumentHeight() + 4);
  xMorvaSelectionState second;
  Draw(*continuous, &second, kDrawPaint);
  ExpectMatchesReference(*continuous, "DocumentContinuous.png");
}

// The decoded pictures of every part count in the document's cache, and
// forgetting them empties it; they decode again when next drawn.
TEST_F(Drawing, ThePictureCachesOfEveryPartAreCountedAndEmptied) {
  LoadPart(kPartBody, Stream().Text(u"a").Raw(PictureElement(20, 12)).Text(u"a\r"));
  LoadPart(kPartHeader, Stream().Raw(PictureElement(40, 30)).Text(u"\r"));
  Compose();
  EXPECT_EQ(document->PictureCacheSize(), 0);
  auto canvas = Canvas(204);
  Draw(*canvas, nullptr, kDrawPaint);
  const int32_t drawn = document->PictureCacheSize();
  const auto* header = static_cast<const xMorvaEngine*>(document->GetPart(kPartHeader));
  const auto* body = static_cast<const xMorvaEngine*>(document->GetPart(kPartBody));
  EXPECT_GT(header->PictureCacheSize(), 0u);
  EXPECT_GT(body->PictureCacheSize(), 0u);
  EXPECT_EQ(uint64_t(drawn), header->PictureCacheSize() + body->PictureCacheSize());
  document->ResetAllPictureCaches();
  EXPECT_EQ(document->PictureCacheSize(), 0);
  Draw(*canvas, nullptr, kDrawPaint);
  EXPECT_EQ(document->PictureCacheSize(), drawn);
}

// A stored colour holds red in its low byte: 0x0000FF is drawn red, and
// the palette's 0xFF9933 a light blue.
TEST_F(Drawing, TextColoursHoldRedInTheLowByte) {
  for (const auto& [stored, red, blue] :
       {std::tuple{0x0000FF, 0xFFu, 0x00u}, std::tuple{0xFF9933, 0x33u, 0xFFu}}) {
    LoadPart(kPartBody, Stream().Record(kPropTextColour, stored).Text(u"AAAA\r"));
    Compose();
    auto canvas = Canvas(4 + 204);
    Draw(*canvas, nullptr, kDrawPaint);
    const uint32_t drawn = (red << 16) | ((uint32_t(stored) >> 8 & 0xFF) << 8) | blue;
    int32_t inked = 0;
    int32_t other = 0;
    for (const uint32_t p : Pixels(*canvas)) {
      if (p == drawn) ++inked;
      if (p == (uint32_t(stored) & 0xFFFFFF)) ++other;
    }
    EXPECT_GT(inked, 0) << std::hex << stored;
    EXPECT_EQ(other, 0) << std::hex << stored;  // not the bytes read the other way round
  }
}

TEST_F(Drawing, ASelectionChangeInvertsOnlyTheDifference) {
  LoadPart(kPartBody, Stream().Text(u"aaaa aaaa\raaaa\r"));
  Compose();
  auto canvas = Canvas(4 + 204);
  xMorvaSelectionState state;
  Draw(*canvas, &state, kDrawPaint);
  const std::vector<uint32_t> plain = Pixels(*canvas);

  // Text starts at page left + 20; the first line's top is 4 + 40.
  const int32_t left = kPageLeft + 20;
  const int32_t top = 44;
  struct Step {
    int32_t start, end;
    int32_t x0, x1;  // the strip that changes, pixels from the text's left
  };
  const Step steps[] = {
      {0, 2, 0, 16},   // two units selected
      {0, 3, 16, 24},  // one more: only its strip
      {1, 3, 0, 8},    // the start moves: only the first unit's strip
  };
  std::vector<uint32_t> before = Pixels(*canvas);
  for (const Step& s : steps) {
    Part(kPartBody).SetSelection(s.start, s.end);
    Draw(*canvas, &state, kDrawRegionPass);
    const std::vector<uint32_t> after = Pixels(*canvas);
    int32_t changed = 0;
    for (int32_t y = 0; y < canvas->GetHeight(); ++y) {
      for (int32_t x = 0; x < canvas->GetWidth(); ++x) {
        const size_t i = size_t(y * canvas->GetWidth() + x);
        if (before[i] == after[i]) continue;
        ++changed;
        const bool inStrip = x >= left + s.x0 && x < left + s.x1 && y >= top && y < top + 16;
        EXPECT_TRUE(inStrip) << s.start << "-" << s.end << " at " << x << "," << y;
        if (!inStrip) return;
      }
    }
    EXPECT_EQ(changed, (s.x1 - s.x0) * 16) << s.start << "-" << s.end;
    before = after;
  }
  // Back to a caret: every pixel as it was before any highlight.
  Part(kPartBody).SetSelection(2, 2);
  Draw(*canvas, &state, kDrawRegionPass);
  EXPECT_EQ(Pixels(*canvas), plain);
  EXPECT_TRUE(state.region.IsEmpty());

  // An inactive view outlines the selection (the inside stays white) and
  // takes the outline away again.
  state.active = false;
  Part(kPartBody).SetSelection(0, 4);
  Draw(*canvas, &state, kDrawRegionPass);
  EXPECT_NE(Pixel(*canvas, left, top), kWhite);
  EXPECT_EQ(Pixel(*canvas, left + 16, top + 8), kWhite);
  Part(kPartBody).SetSelection(0, 0);
  Draw(*canvas, &state, kDrawRegionPass);
  EXPECT_EQ(Pixels(*canvas), plain);
}

// The run of region pixels on a row: [first, end), or {0, 0}.
std::pair<int32_t, int32_t> RowSpan(const VRegion& region, int32_t y) {
  int32_t first = -1;
  int32_t end = 0;
  for (int32_t x = 0; x < 300; ++x) {
    if (!region.Contains(VPoint(x, y))) continue;
    if (first < 0) first = x;
    end = x + 1;
  }
  return first < 0 ? std::make_pair(0, 0) : std::make_pair(first, end);
}

TEST_F(Drawing, HighlightShapes) {
  // "aaaa aaaa aaaa" in 100 pixels breaks after the second space; the
  // second paragraph is italic.
  document->Params().SetLeftMargin(70);
  document->Params().SetRightMargin(70);
  LoadPart(kPartBody, Stream().Text(u"aaaa aaaa aaaa\r").Record(kPropItalic, 1).Text(u"aaaa\r"));
  Compose();
  ASSERT_EQ(lines[0]->GetLineCount(), 4);
  ASSERT_TRUE(lines[0]->GetLine(0).flags & kLineBreakAtSpace);
  auto canvas = Canvas(4 + 204);
  const int32_t left = kPageLeft + 70;
  struct Case {
    const char* name;
    int32_t start, end;
    int32_t row;
    std::pair<int32_t, int32_t> span;
  };
  const Case cases[] = {
      // The first line's highlight stops before the space it broke at (68).
      {"break at a space", 0, 14, 44, {left, left + 68}},
      // Italic "aa" from x 8: each side slanted by 16 / 8 = 2 pixels to the
      // right at the top, none at the bottom.
      {"italic, top row", 16, 18, 76, {left + 10, left + 26}},
      {"italic, bottom row", 16, 18, 91, {left + 9, left + 25}},
      // From the line's start: only the end is slanted.
      {"italic end, top row", 15, 17, 76, {left, left + 18}},
      {"italic end, bottom row", 15, 17, 91, {left, left + 17}},
      // Plain text: upright sides.
      {"upright", 1, 3, 44, {left + 8, left + 24}},
      {"upright, bottom row", 1, 3, 59, {left + 8, left + 24}},
  };
  for (const Case& c : cases) {
    Part(kPartBody).SetSelection(c.start, c.end);
    xMorvaSelectionState state;
    Draw(*canvas, &state, kDrawRegionPass);
    EXPECT_EQ(RowSpan(state.region, c.row), c.span) << c.name;
  }
}

TEST_F(Drawing, HeaderOverflowShowsACrossMark) {
  struct Case {
    const char* name;
    Bytes header;
    int32_t headerBottom;
    bool mark;
  };
  const Case cases[] = {
      {"fits", Stream().Text(u"Head\r"), 30, false},
      {"two lines in 20 pixels", Stream().Text(u"Head\rMore\r"), 30, true},
      {"empty area", Stream().Text(u"Head\rMore\r"), 10, false},
  };
  for (const Case& c : cases) {
    for (bool first : {false, true}) document->Params().GetBands(first).headerBottom = c.headerBottom;
    LoadPart(kPartBody, Stream().Text(u"a\r"));
    LoadPart(kPartHeader, c.header);
    Compose();
    auto canvas = Canvas(4 + 204);
    xMorvaSelectionState state;
    Draw(*canvas, &state, kDrawPaint);
    // The cross's centre sits 5 pixels in from the area's bottom right.
    const int32_t x = kPageLeft + 20 + 200 - 5;
    const int32_t y = 4 + c.headerBottom - 5;
    EXPECT_EQ(Pixel(*canvas, x, y) != kWhite, c.mark) << c.name;
    EXPECT_EQ(Pixel(*canvas, x + 2, y) != kWhite, c.mark) << c.name;
  }
}

// "a", a picture, "a": framed with handles at the size composition,
// measuring and drawing share. In two columns (95 pixels) a wider picture is
// as wide as its line, its proportions kept; in one it keeps its size.
TEST_F(Drawing, PictureHandlesAndTheirMiddles) {
  struct Case {
    int16_t columns;
    int32_t firstIndent;
    int32_t width, height;
    int32_t left, laidWidth, laidHeight;  // the frame, left from the column's edge
    bool topBottom, leftRight;
  };
  const Case cases[] = {
      {1, 0, 24, 10, 8, 24, 10, false, false}, {1, 0, 25, 10, 8, 25, 10, true, false},
      {1, 0, 10, 25, 8, 10, 25, false, true},  {1, 0, 250, 20, 0, 250, 20, true, false},
      {2, 0, 142, 40, 0, 95, 26, true, true},  {2, 20, 142, 40, 0, 95, 26, true, true}};
  for (const Case& c : cases) {
    document->Params().SetColumns(c.columns);
    LoadPart(kPartBody, Stream()
                            .Record(kPropFirstLineIndent, c.firstIndent)
                            .Text(u"a")
                            .Raw(PictureElement(c.width, c.height))
                            .Text(u"a\r"));
    Compose();
    xMorvaEngine& body = Part(kPartBody);
    body.SetSelection(1, 2);
    auto canvas = Canvas(4 + 204);
    xMorvaSelectionState state;
    Draw(*canvas, &state, kDrawPaint);
    const VRect& frame = drawing->GetPictureFrame();
    EXPECT_EQ(frame.GetLeft(), kPageLeft + 20 + c.left) << c.width;
    EXPECT_EQ(frame.GetWidth(), c.laidWidth) << c.width;
    EXPECT_EQ(frame.GetHeight(), c.laidHeight) << c.width;
    EXPECT_EQ(drawing->HasHorizontalMiddleHandles(), c.topBottom) << c.width;
    EXPECT_EQ(drawing->HasVerticalMiddleHandles(), c.leftRight) << c.height;
    EXPECT_TRUE(state.region.IsEmpty());  // handles instead of a highlight
    // A corner handle is painted around the frame's top-left corner.
    EXPECT_NE(Pixel(*canvas, frame.GetLeft() - 4, frame.GetTop() - 4), kWhite);
    // The picture itself is drawn: red inside.
    EXPECT_EQ(Pixel(*canvas, frame.GetLeft() + c.laidWidth / 2, frame.GetTop() + c.laidHeight / 2),
              0xFF0000u);
    // The line holds the picture; measuring it gives the frame and the
    // line's composed width. The element keeps its size.
    xMorvaLines& flow = *lines[kPartBody];
    uint32_t start = 0, after = body.GetSelEndOffset();
    int32_t y = 0, positions = 0, height = 0;
    const int32_t index = flow.FindLineForOffset(after - 1, 0, start, y, positions, height);
    const xMorvaLineRecord& line = flow.GetLine(index);
    EXPECT_GE(line.ascent, c.laidHeight) << c.width;
    xMorvaFont font(document->GetMeasuringPort(), document.get());
    EXPECT_EQ(flow.MeasureToOffset(font, start, after, index, height), c.left + c.laidWidth);
    EXPECT_FLOAT_EQ(float(flow.MeasureToOffset(font, start, start + line.bytes, index, height)),
                    line.width);
    int32_t w = 0, h = 0;
    body.GetSelectedPictureSize(&w, &h, nullptr, nullptr);
    EXPECT_EQ(std::make_pair(w, h), std::make_pair(c.width, c.height));
  }
}

// A host expression selected alone whose result is a picture is selected
// as that picture: its frame and handles, no highlight. A result that
// starts with text, and a picture selected with a character, highlight.
TEST_F(Drawing, APictureThatAHostExpressionShowsIsSelectedAsAPicture) {
  const Bytes picture = PictureElement(24, 14);
  // The expression element: its object, then its source text and the
  // result it shows.
  auto expression = [](const Bytes& result) {
    Stream element;
    Computed(element, xMorvaElementCode::ExprQv, {'R', 'E', 'F'}, result, Stream().Text(u"src"));
    return element.bytes();
  };
  struct Case {
    const char* name;
    Bytes text;
    int32_t start, end;
    bool asPicture;
  };
  const Case cases[] = {
      {"the result is the picture", Stream().Text(u"a").Raw(expression(picture)).Text(u"a\r"), 1, 2, true},
      {"with records before it", Stream().Text(u"a").Raw(expression(Stream().Record(kPropBold, 1).Raw(picture)))
                                     .Text(u"a\r"), 1, 2, true},
      {"text before the picture", Stream().Text(u"a").Raw(expression(Stream().Text(u"b").Raw(picture)))
                                      .Text(u"a\r"), 1, 2, false},
      {"with a character", Stream().Text(u"a").Raw(expression(picture)).Text(u"a\r"), 1, 3, false},
      {"a picture element", Stream().Text(u"a").Raw(picture).Text(u"a\r"), 1, 2, true},
  };
  for (const Case& c : cases) {
    LoadPart(kPartBody, c.text);
    Compose();
    Part(kPartBody).SetSelection(c.start, c.end);
    ASSERT_EQ(Part(kPartBody).IsPictureSelected(), c.asPicture) << c.name;
    auto canvas = Canvas(4 + 204);
    xMorvaSelectionState state;
    Draw(*canvas, &state, kDrawPaint);
    EXPECT_EQ(drawing->GetPictureEngine() == &Part(kPartBody), c.asPicture) << c.name;
    EXPECT_EQ(state.region.IsEmpty(), c.asPicture) << c.name;
    if (!c.asPicture) continue;
    // The frame the handles go round is the picture's, after the "a".
    const VRect& frame = drawing->GetPictureFrame();
    EXPECT_EQ(frame.GetLeft(), kPageLeft + 20 + 8) << c.name;
    EXPECT_EQ(frame.GetWidth(), 24) << c.name;
    ASSERT_EQ(frame.GetHeight(), 14) << c.name;
    EXPECT_NE(Pixel(*canvas, frame.GetLeft() - 4, frame.GetTop() - 4), kWhite) << c.name;
  }
}

TEST_F(Drawing, ContinuousSeparatorsSkipPageBreaks) {
  document->Params().SetViewMode(1);
  LoadPart(kPartBody, Stream().Text(u"one\r").Head(24004, 2, 0).Unit(13).Text(u"two\r").Text(Words(0, 60) + u"\r"));
  Compose();
  ASSERT_GE(pages->GetPageCount(), 3);
  auto canvas = Canvas(drawing->GetDocumentHeight() + 4);
  xMorvaSelectionState state;
  Draw(*canvas, &state, kDrawPaint);
  // A separator 3 pixels above each page that follows a page without a
  // break; none after the page that ends with one.
  int32_t y = 4;
  for (int32_t page = 0; page + 1 < pages->GetPageCount(); ++page) {
    y += pages->GetPage(page).height;
    const bool separator = page != 0;
    EXPECT_EQ(Pixel(*canvas, 2, y), separator ? 0x808080u : kWhite) << page;
    y += 3;
  }
}

// A view whose top is a page's top draws from that page on, in either view:
// nothing above it (no separator of the pages above in the continuous
// view), and from it down what a drawing of the whole document draws.
TEST_F(Drawing, DrawingStartsAtThePageTheViewShows) {
  LoadPart(kPartBody, Stream().Text(Words(0, 400) + u"\r"));
  for (int16_t view : {1, 0}) {
    document->Params().SetViewMode(view);
    Compose();
    ASSERT_GE(pages->GetPageCount(), 6);
    const int32_t height = drawing->GetDocumentHeight() + 4;
    auto whole = Canvas(height);
    Draw(*whole, nullptr, kDrawPaint);
    for (int32_t page : {1, 4, pages->GetPageCount() - 1}) {
      const int32_t top = drawing->GetPageTop(page);
      ASSERT_EQ(drawing->FirstPageShown(top), page) << view << " " << page;
      auto canvas = Canvas(height);
      Draw(*canvas, nullptr, kDrawPaint, top);
      const int32_t width = canvas->GetWidth();
      const std::vector<uint32_t> drawn = Pixels(*canvas);
      const std::vector<uint32_t> all = Pixels(*whole);
      // Page view paints the page column's sides down from the view's top.
      for (int32_t y = 0; y < top; ++y)
        for (int32_t x = view == 0 ? kPageLeft + 1 : 0; x < (view == 0 ? kPageLeft + 240 : width); ++x)
          ASSERT_EQ(drawn[size_t(y * width + x)], kWhite) << view << " page " << page << " at " << x << "," << y;
      EXPECT_TRUE(std::equal(drawn.begin() + top * width, drawn.end(), all.begin() + top * width)) << view << " " << page;
    }
  }
}

// A display-only area's drawing: the body's lines from the given point, one
// under the other, without page margins or header; a line that begins past
// the height is not drawn.
TEST_F(Drawing, BodyLinesAloneFromTheTopAsFarAsTheHeightReaches) {
  LoadPart(kPartHeader, Stream().Text(u"HEADER\r"));
  LoadPart(kPartBody, Stream().Text(u"one\rtwo\rthree\rfour\r"));
  Compose();
  const int32_t first = lines[0]->GetLine(0).height;
  const int32_t second = lines[0]->GetLine(1).height;
  auto canvas = Canvas(first + second + 40);
  drawing->DrawBodyLines(*canvas, 5, 0, first + second);
  auto inkInRows = [&](int32_t top, int32_t bottom) {
    int32_t ink = 0;
    for (int32_t y = top; y < bottom; ++y) {
      for (int32_t x = 0; x < canvas->GetWidth(); ++x) ink += Pixel(*canvas, x, y) != kWhite;
    }
    return ink;
  };
  EXPECT_GT(inkInRows(0, first), 0);
  EXPECT_GT(inkInRows(first, first + second), 0);
  // The third line begins where the height ends.
  EXPECT_EQ(inkInRows(first + second, canvas->GetHeight()), 0);
  // Nothing at all without lines.
  auto empty = Canvas(40);
  LoadPart(kPartBody, Stream());
  Compose();
  drawing->DrawBodyLines(*empty, 5, 0, 40);
  for (uint32_t pixel : Pixels(*empty)) ASSERT_EQ(pixel, kWhite);
}

// Prints pages `first` to `last` through the print job into the PDF, in a
// child process (the PDF surface keeps hold of what the font library made
// for the face, which the leak check at this process's exit would report).
// With `pngPrefix` each page's pixels are written too, so the job draws
// whole pages. The child's exit status: 0, or 2 when the job did not start,
// 3 when a job without PNG files made page pixels.
int PrintInChild(xMorvaDocumentDrawing& drawing, int32_t first, int32_t last,
                 const std::string& pdf, const char* pngPrefix) {
  const pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) {
    ResetHeadlessPrinting();
    SetHeadlessPrintOutput(pdf.c_str());
    SetHeadlessPrintPagePng(pngPrefix);
    VWinPrinter printer;
    printer.SetFirstPage(first);
    printer.SetLastPage(last);
    VPort* port = printer.BeginDocument("Pages");
    if (port == nullptr || printer.GetPageCount() != last + 1 - first) _exit(2);
    for (int32_t page = first; page <= last; ++page) {
      drawing.DrawPageForPrinting(*port, page - 1, 0, 0);
      printer.NextPage();
    }
    printer.EndDocument();
    _exit(pngPrefix == nullptr && HeadlessPrintPagePixels() != 0 ? 3 : 0);
  }
  int status = -1;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

std::string Output(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

// Text, a picture and a footer printed without page pixels: the PDF reads
// back and renders as the same pages printed with their pixels drawn whole.
TEST_F(Drawing, PrintedPagesMakeNoPixelsAndRenderAsPagesDrawnWhole) {
  char pattern[] = "/tmp/qvdrawXXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string folder = pattern;
  VStr<64> face;
  face.SetAnsiCText("Liberation Sans");
  const int16_t sans = document->FontIndexForName(face);
  Stream body;
  body.Text(u"AAA ").Raw(PictureElement(20, 12)).Text(u" a " + Words(0, 12) + u"\r");
  for (int i = 0; i < 30; ++i) body.Text(Words(i, 5) + u"\r");
  LoadPart(kPartBody, body, 12, sans);
  LoadPart(kPartFooter, Stream().Text(u"Foot\r"), 12, sans);
  Compose();
  ASSERT_GE(pages->GetPageCount(), 2);
  const std::string vectors = folder + "/vectors.pdf", whole = folder + "/whole.pdf";
  ASSERT_EQ(PrintInChild(*drawing, 1, 2, vectors, nullptr), 0);
  ASSERT_EQ(PrintInChild(*drawing, 1, 2, whole, (folder + "/page").c_str()), 0);
  const std::string text = Output("pdftotext '" + vectors + "' -");
  EXPECT_NE(text.find("AAA"), std::string::npos) << text;
  EXPECT_EQ(text, Output("pdftotext '" + whole + "' -"));
  for (const std::string& pdf : {vectors, whole}) {
    ASSERT_EQ(std::system(("pdftoppm -r 150 -gray '" + pdf + "' '" + pdf + "'").c_str()), 0);
  }
  for (const char* page : {"-1.pgm", "-2.pgm"}) {
    const std::string a = Output("cat '" + vectors + page + "'");
    EXPECT_GT(a.size(), 100000u) << page;
    EXPECT_TRUE(a == Output("cat '" + whole + page + "'")) << page;
  }
  EXPECT_EQ(std::system(("rm -rf '" + folder + "'").c_str()), 0);
}

// Pages 3 to 5 through the print job: a PDF of three pages.
TEST_F(Drawing, PrintsThreePagesIntoAPdf) {
  char pattern[] = "/tmp/qvdrawXXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string folder = pattern;
  const std::string pdf = folder + "/pages.pdf";
  // Printed in a face of the pinned fonts, as a document would be.
  VStr<64> face;
  face.SetAnsiCText("Liberation Sans");
  const int16_t sans = document->FontIndexForName(face);
  Stream body;
  for (int i = 0; i < 60; ++i) body.Text(Words(i, 4) + u"\r");
  LoadPart(kPartBody, body, 12, sans);
  LoadPart(kPartFooter, Stream().Text(u"Foot\r"), 12, sans);
  Compose();
  ASSERT_GE(pages->GetPageCount(), 6);
  ASSERT_EQ(PrintInChild(*drawing, 3, 5, pdf, nullptr), 0);
  const std::string info = Output("pdfinfo '" + pdf + "' 2>&1");
  ASSERT_NE(info.find("Pages:"), std::string::npos) << info;
  EXPECT_EQ(std::stoi(info.substr(info.find("Pages:") + 6)), 3);
  // Each printed page begins with the first word of pages 3, 4 and 5.
  for (int32_t page = 3; page <= 5; ++page) {
    int32_t linesBefore = 0, positionsBefore = 0;
    uint32_t offset = 0;
    pages->GetPageStart(page - 1, 0, linesBefore, positionsBefore, offset);
    const Bytes stream = StreamBytes(Part(kPartBody));
    std::string word;
    for (uint32_t at = offset; at + 1 < stream.size() && stream[at] > ' '; at += 2) word += char(stream[at]);
    const std::string text = Output("pdftotext -f " + std::to_string(page - 2) + " -l " +
                                    std::to_string(page - 2) + " '" + pdf + "' -");
    ASSERT_GE(word.size(), 3u) << page;
    EXPECT_EQ(text.rfind(word, 0), 0u) << page << ": " << word << " / " << text.substr(0, 40);
  }
  EXPECT_EQ(std::system(("rm -rf '" + folder + "'").c_str()), 0);
}

}  // namespace
