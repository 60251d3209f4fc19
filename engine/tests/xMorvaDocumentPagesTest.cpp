// The document drawing and paginating through its layout, with "Qv Test"
// (whole-pixel advances, 12 points: digits 8 pixels, lines 16 high): page
// counts and page starts from the body's page table, and a footer whose
// page numbers show each page's number, drawn, printed and measured.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "boundary/FourCC.h"
#include "document/xMorvaLayoutInterface.h"
#include "engine/tests/DocumentFixture.h"
#include "engine/tests/ReferenceImage.h"
#include "engine/xMorvaDocumentLayout.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaPages.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "graphics/VDIBPort.h"

namespace {

constexpr int32_t kPageLeft = 10;
constexpr int32_t kPageWidth = 240;
constexpr int32_t kPageHeight = 200;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr int32_t kErrorNoSuchPage = 1086;

class DocumentPages : public DocumentTest {
 protected:
  void SetUp() override {
    AddQvTestFont();
    VStr<64> face;
    face.SetAnsiCText("Qv Test");
    document->GetFontTable()->Reset(face);
    xMorvaDocParams& params = document->Params();
    params.SetPageSize(kPageWidth, kPageHeight);
    params.SetLeftMargin(20);
    params.SetRightMargin(20);
    params.SetBinding(0);
    params.SetColumns(1);
    params.SetDifferentFirstPage(0);
    params.SetDifferentLeftRight(0);
    params.SetWidowControl(0);
    params.SetViewMode(0);
    params.SetViewFlag(3, 0);
    for (bool first : {false, true}) {
      xMorvaPageBands& bands = params.GetBands(first);
      bands = xMorvaPageBands();
      bands.topMargin = 40;  // 120 pixels of text: 7 lines a page
      bands.bottomMargin = 40;
      bands.footerTop = 30;
      bands.footerBottom = 10;
    }
  }

  xMorvaEngine& Part(int16_t p) { return *static_cast<xMorvaEngine*>(document->GetPart(p)); }

  // Loads a part in Qv Test at 12 points, unrecorded.
  void LoadPart(int16_t p, const Bytes& text) {
    Bytes bytes = Stream().Record(kPropFont, 1).Record(kPropSize, 12).Raw(text);
    xMorvaEngine& engine = Part(p);
    document->GetUndo()->Suspend();
    engine.Clear();
    ASSERT_EQ(0, engine.InsertBytes(0u, bytes.data(), uint32_t(bytes.size())));
    engine.SetLength(PositionsOf(bytes));
    engine.SetSelection(engine.GetLength(), engine.GetLength());
    document->GetUndo()->Resume();
  }
  // A right-aligned footer "Page <n> of <count>"; `tabbed`: "Page", then
  // the numbers after a right tab.
  void LoadFooter(bool tabbed = false) {
    LoadPart(kPartFooter, tabbed ? Stream().Tab(150, kTabRight).Text(u"Page").Element(xMorvaElementCode::Tab, Bytes(14, 0), 14)
                                 : Stream().Record(kPropAlignment, 2).Text(u"Page "));
    xMorvaEngine& footer = Part(kPartFooter);
    document->GetUndo()->Suspend();
    ASSERT_EQ(0, footer.InsertPageNumberField(0, false));
    for (char16_t unit : std::u16string(u" of ")) ASSERT_EQ(0, footer.TypeCharacter(unit));
    ASSERT_EQ(0, footer.InsertPageNumberField(kPageNumberCount, false));
    document->GetUndo()->Resume();
  }
  // `paragraphs` body paragraphs of 4 units and a return: 5 positions.
  void LoadBody(int paragraphs) {
    std::u16string text;
    for (int i = 0; i < paragraphs; ++i) text += u"aaaa\r";
    LoadPart(kPartBody, Stream().Text(text));
  }
  std::unique_ptr<VDIBPort> Canvas(int32_t width, int32_t height) {
    auto canvas = std::make_unique<VDIBPort>(width, height, 32);
    canvas->SetFillColor(RGB(255, 255, 255));
    canvas->SetFillPatternIndex(6);
    canvas->PaintRect(0, 0, width, height);
    return canvas;
  }
  // The first and last column holding ink in rows [top, bottom), within
  // [left, right); {-1, -1} when there is none.
  static std::pair<int32_t, int32_t> InkColumns(const VDIBPort& canvas, int32_t left, int32_t right,
                                                int32_t top, int32_t bottom) {
    const auto* bits = static_cast<const uint32_t*>(canvas.GetBits());
    std::pair<int32_t, int32_t> span{-1, -1};
    for (int32_t y = top; y < bottom; ++y) {
      for (int32_t x = left; x < right; ++x) {
        if ((bits[y * canvas.GetWidth() + x] & 0xFFFFFF) == kWhite) continue;
        if (span.first < 0 || x < span.first) span.first = x;
        span.second = std::max(span.second, x);
      }
    }
    return span;
  }
};

TEST_F(DocumentPages, PageCountAndPageStartsComeFromTheBodyPages) {
  LoadBody(10);
  EXPECT_EQ(document->GetBodyPageCount(), 2);
  const struct {
    int32_t page;
    int32_t result;
    int32_t caret;  // -1: unchanged
  } cases[] = {
      {1, 0, 35},  // 7 paragraphs on the first page
      {0, 0, 0},
      {2, kErrorNoSuchPage, -1},
      {-1, kErrorNoSuchPage, -1},
  };
  for (const auto& c : cases) {
    Part(kPartBody).SetSelection(3, 3);
    EXPECT_EQ(document->GoToPage(c.page), c.result) << c.page;
    EXPECT_EQ(Part(kPartBody).GetSelStart(), c.caret < 0 ? 3 : c.caret) << c.page;
  }
  // Taller margins leave 3 lines a page; a longer text follows into the
  // table.
  for (bool first : {false, true}) document->Params().GetBands(first).topMargin = 100;
  EXPECT_EQ(document->GetBodyPageCount(), 4);
  EXPECT_EQ(document->GoToPage(3), 0);
  EXPECT_EQ(Part(kPartBody).GetSelStart(), 45);
  LoadBody(20);
  EXPECT_EQ(document->GetBodyPageCount(), 7);

  // An empty body still has its one page.
  LoadPart(kPartBody, Bytes());
  EXPECT_EQ(document->GetBodyPageCount(), 1);
  EXPECT_EQ(document->GoToPage(0), 0);
}

// Go to page puts the caret at the page's first position, in either view,
// on that page by position and by offset, with the state there that a walk
// from the text's start gives, though the text just changed at its start:
// the page begins inside a paragraph begun on an earlier page, whose
// paragraph properties and tab stops were set paragraphs before.
TEST_F(DocumentPages, GoToPageLandsOnThePageAsAWalkFromTheStart) {
  Stream text;
  for (int p = 0; p < 12; ++p) {
    if (p % 4 == 1) text.Record(kPropAlignment, p % 3).Record(kPropLeftIndent, 2 * p).Tab(int16_t(40 + 8 * p), 1);
    for (int w = 0; w < 6 + 9 * (p % 4); ++w) text.Record(kPropBold, w % 2).Text(w % 7 == 3 ? u"wo-rd " : u"word ");
    p == 5 ? text.Element(xMorvaElementCode::PageBreak, Stream().Unit(13)) : text.Text(u"\r");
  }
  LoadPart(kPartBody, text);
  auto* layout = dynamic_cast<xMorvaDocumentLayout*>(document->GetLayout());
  xMorvaEngine& body = Part(kPartBody);
  for (int16_t view : {0, 1}) {
    document->Params().SetViewMode(view);
    const int32_t count = document->GetBodyPageCount();
    ASSERT_GE(count, 6);
    for (int32_t page : {count - 1, 2, count / 2, 1, 0}) {
      const Bytes bytes = StreamBytes(body);
      document->GetUndo()->Suspend();
      body.ReplaceBytes(0u, bytes.data(), 2);
      document->GetUndo()->Resume();
      body.SetSelection(0, 0);
      ASSERT_EQ(document->GoToPage(page), 0);
      SCOPED_TRACE("view " + std::to_string(view) + " page " + std::to_string(page));
      const xMorvaPages& pages = layout->GetPages();
      EXPECT_EQ(body.GetSelStart(), layout->GetPageFirstPosition(page));
      EXPECT_EQ(pages.FindPageForPosition(body.GetSelStart()), page + 1);
      uint32_t bytesBefore = 0;
      int32_t y = 0, lines = 0, positions = 0, column = 0;
      EXPECT_EQ(pages.FindPageForOffset(body.GetSelStartOffset(), bytesBefore, y, lines, positions, column), page);
      xMorvaEngine fresh(nullptr, xMorvaEngine::kPartGranule);
      ASSERT_EQ(0, fresh.InsertBytes(0u, bytes.data(), uint32_t(bytes.size())));
      fresh.SetLength(body.GetLength());
      fresh.SetSelection(body.GetSelStart(), body.GetSelStart());
      EXPECT_EQ(fresh.GetSelStartOffset(), body.GetSelStartOffset());
      EXPECT_EQ(fresh.GetParagraphStartOffset(), body.GetParagraphStartOffset());
      EXPECT_EQ(fresh.GetWordStart(), body.GetWordStart());
      for (uint16_t id = 0; id < kPropTabs; ++id)
        if (IsPropertyId(id)) {
          EXPECT_EQ(fresh.GetPropertyValue(id), body.GetPropertyValue(id)) << id;
        }
      EXPECT_FALSE(fresh.GetCurrentTabs().IsDifferent(body.GetCurrentTabs()));
    }
  }
}

// First page number 9: the first page shows "Page 9 of 2", the second
// "Page 10 of 2", one digit (8 pixels) wider, both against the right edge
// of the text, on screen, printed and as the caret measures them.
TEST_F(DocumentPages, AFooterShowsEachPagesNumber) {
  document->Params().SetFirstPageNumber(9);
  LoadBody(10);
  LoadFooter();
  ASSERT_EQ(document->GetBodyPageCount(), 2);

  auto canvas = Canvas(kPageLeft + kPageWidth + 3 + 10, 4 + 2 * (kPageHeight + 4));
  xMorvaSelectionState state;
  document->DrawDocument(&state, *canvas, 0, 0, canvas->GetWidth(), canvas->GetHeight(), kPageLeft);
  const int32_t textRight = kPageLeft + 20 + 200;
  std::pair<int32_t, int32_t> footers[2];
  for (int32_t page = 0; page < 2; ++page) {
    const int32_t pageTop = 4 + page * (kPageHeight + 4);
    const int32_t bottom = pageTop + kPageHeight;
    footers[page] =
        InkColumns(*canvas, kPageLeft + 1, kPageLeft + kPageWidth, bottom - 30, bottom - 10);
    // The last digit's box ends within its advance at the text's right.
    EXPECT_GT(footers[page].second, textRight - 8) << page;
    EXPECT_LT(footers[page].second, textRight) << page;
  }
  EXPECT_EQ(footers[0].second, footers[1].second) << "right-aligned on both pages";
  EXPECT_EQ(footers[0].first - footers[1].first, 8) << "one more digit";

  // Printing the second page draws the same footer.
  auto printed = Canvas(kPageWidth, kPageHeight);
  document->DrawPageForPrinting(*printed, 1, 0, 0);
  const auto print = InkColumns(*printed, 0, kPageWidth, kPageHeight - 30, kPageHeight - 10);
  EXPECT_EQ(print.first, footers[1].first - kPageLeft);
  EXPECT_EQ(print.second, footers[1].second - kPageLeft);

  // The caret in the footer measures the number of the page it is on.
  xMorvaLayoutInterface* layout = document->GetLayout();
  ASSERT_NE(layout, nullptr);
  const uint32_t end = Part(kPartFooter).GetStreamSize();
  int32_t ends[2] = {};
  int32_t starts[2] = {};
  for (int32_t page = 0; page < 2; ++page) {
    xMorvaLineLocation where;
    layout->LocateOffset(kPartFooter, end, page, where);
    bool italic = false;
    ends[page] = layout->MeasureToOffset(kPartFooter, where, end, italic);
    starts[page] = layout->MeasureToOffset(kPartFooter, where, where.lineStart, italic);
  }
  EXPECT_EQ(ends[0], ends[1]);
  EXPECT_EQ(starts[0] - starts[1], 8);
}

// What a page shows of its footer leaves no trace in the document: the
// view scrolled to the second page, that page printed, the caret measured
// and a click hit there, each leaves the footer's bytes as the layout left
// them, the first page's numbers ("9") and the tabs laid out for them,
// though the second page shows "10"; the body's lines drawn as one page
// leave the number on its second page showing "10".
TEST_F(DocumentPages, WhatAPageShowsOfItsFooterLeavesItAsItWas) {
  document->Params().SetFirstPageNumber(9);
  LoadBody(10);
  document->GetUndo()->Suspend();
  ASSERT_EQ(0, Part(kPartBody).InsertPageNumberField(0, false));
  document->GetUndo()->Resume();
  xMorvaLayoutInterface* layout = document->GetLayout();
  ASSERT_NE(layout, nullptr);
  const std::function<void()> rows[] = {
      [&] {
        auto view = Canvas(kPageLeft + kPageWidth + 13, kPageHeight);
        const int32_t top = 4 + kPageHeight + 4;
        view->PushOrigin(0, -top);
        document->DrawDocument(nullptr, *view, 0, top, view->GetWidth(), kPageHeight, kPageLeft);
        view->PopOrigin();
      },
      [&] { document->DrawPageForPrinting(*Canvas(kPageWidth, kPageHeight), 1, 0, 0); },
      [&] {
        xMorvaLineLocation where;
        layout->LocateOffset(kPartFooter, Part(kPartFooter).GetStreamSize(), 1, where);
        bool italic = false;
        layout->MeasureToOffset(kPartFooter, where, Part(kPartFooter).GetStreamSize(), italic);
      },
      [&] { layout->PositionInLine(kPartFooter, 0, 0, 150, 1); },
      [&] { layout->DrawBodyLines(*Canvas(kPageWidth, 200), 0, 0, 200); },
  };
  for (bool tabbed : {false, true}) {
    for (size_t row = 0; row < std::size(rows); ++row) {
      LoadFooter(tabbed);
      ASSERT_EQ(document->GetBodyPageCount(), 2);
      const Bytes rest = StreamBytes(Part(kPartFooter)), body = StreamBytes(Part(kPartBody));
      rows[row]();
      EXPECT_TRUE(StreamBytes(Part(kPartFooter)) == rest) << "tabbed " << tabbed << " row " << row;
      EXPECT_TRUE(StreamBytes(Part(kPartBody)) == body) << "tabbed " << tabbed << " row " << row;
    }
  }
}

// A footer whose band is as tall as its lines, as an RTF or Word file's
// is read, holds its last line: the caret shows on it. The layout gives
// that height as it composes the footer alone.
TEST_F(DocumentPages, AFooterBandAsTallAsItsLinesHoldsItsLastLine) {
  LoadFooter();
  xMorvaLayoutInterface* layout = document->GetLayout();
  ASSERT_NE(layout, nullptr);
  const int32_t height = layout->GetPartLinesHeight(kPartFooter);
  ASSERT_GT(height, 0);
  EXPECT_EQ(0, layout->GetPartLinesHeight(kPartBody));
  // Above the 12 points a footer is raised to.
  const int32_t distance = xMorvaDocParams::FooterFloor() + 4;
  for (bool first : {false, true}) {
    document->Params().GetBands(first).footerBottom = distance;
    document->Params().GetBands(first).footerTop = distance + height;
  }
  document->SelectFooterForPage(1);
  ASSERT_TRUE(document->IsFooterCurrent());
  EXPECT_TRUE(document->LineFitsInPart(height));
  EXPECT_FALSE(document->LineFitsInPart(height + 1));
}

// Stored as 'wENG' and read back, a document draws every page as before,
// and storing it again gives the same bytes. (The first load drops
// redundant records, so the first bytes may differ. Tab stops are stored in whole
// points: they are set on whole points here, 4 pixels at 96 per inch.)
TEST_F(DocumentPages, StoredAndReloadedTextsDrawTheSamePages) {
  Stream body;
  for (int i = 0; i < 30; ++i) {
    body.Record(kPropBold, i % 3 == 0).Record(kPropSize, 10 + i % 4 * 2).Tab(int16_t(40 + i % 5 * 12), kTabRight);
    body.Text(u"word ").Element(xMorvaElementCode::Tab, Bytes(14, 0), 14).Text(u"more text to break\r");
  }
  LoadPart(kPartBody, body);
  LoadFooter();
  const int32_t pages = document->GetBodyPageCount();
  ASSERT_GT(pages, 3);
  const auto drawAll = [&]() {
    std::vector<uint32_t> pixels;
    for (int32_t page = 0; page < pages; ++page) {
      auto canvas = Canvas(kPageWidth, kPageHeight);
      document->DrawPageForPrinting(*canvas, page, 0, 0);
      const auto* bits = static_cast<const uint32_t*>(canvas->GetBits());
      pixels.insert(pixels.end(), bits, bits + kPageWidth * kPageHeight);
    }
    return pixels;
  };
  const std::vector<uint32_t> before = drawAll();


  VMemHandle block = gMemoryMgr->NewHandle(0, 0);
  VMemoryResourceFile file(block, 1);
  for (int16_t part : {kPartBody, kPartFooter}) ASSERT_TRUE(Part(part).SaveResource(file, int16_t(128 + part)));
  const auto stored = [&](int16_t part) {
    uint8_t owned = 0;
    const VResourceRef ref = file.GetResource(FourCC("wENG"), int16_t(128 + part), &owned);
    const uint32_t size = file.GetResourceSize(ref);
    const auto* bytes = static_cast<const uint8_t*>(file.LockResource(ref));
    Bytes copy(bytes, bytes + size);
    file.UnlockResource(ref);
    if (owned) file.ReleaseResource(ref);
    return copy;
  };
  for (int16_t part : {kPartBody, kPartFooter}) {
    Part(part).Clear();
    bool damaged = true;
    ASSERT_TRUE(Part(part).LoadResource(file, int16_t(128 + part), {1}, document->GetFontCount(), damaged));
    EXPECT_FALSE(damaged);
  }
  ASSERT_EQ(document->GetBodyPageCount(), pages);
  EXPECT_TRUE(drawAll() == before);
  // Saved again, loaded and saved once more, the bytes stay the same.
  ASSERT_TRUE(Part(kPartBody).SaveResource(file, 128));
  const Bytes storedBody = stored(kPartBody);
  bool damaged = true;
  ASSERT_TRUE(Part(kPartBody).LoadResource(file, 128, {1}, document->GetFontCount(), damaged));
  ASSERT_TRUE(Part(kPartBody).SaveResource(file, 128));
  EXPECT_EQ(stored(kPartBody), storedBody);
}

// A band far down the document draws as the same band of the whole.
TEST_F(DocumentPages, ABandBelowTheFirstPagesDrawsAsInTheWhole) {
  LoadBody(40);
  LoadFooter();
  const int32_t pages = document->GetBodyPageCount();
  ASSERT_GE(pages, 5);
  const int32_t width = kPageLeft + kPageWidth + 13;
  const int32_t height = 4 + pages * (kPageHeight + 4);
  auto whole = Canvas(width, height);
  xMorvaSelectionState state;
  document->DrawDocument(&state, *whole, 0, 0, width, height, kPageLeft);
  // Bands starting in a page, in a gap and on a page's first row.
  for (int32_t top : {3 * (kPageHeight + 4) + 50, 4 * (kPageHeight + 4) + 2, 2 * (kPageHeight + 4) + 4}) {
    const int32_t band = 150;
    auto part = Canvas(width, band);
    part->PushOrigin(0, -top);
    document->DrawDocument(&state, *part, 0, top, width, band, kPageLeft);
    part->PopOrigin();
    const auto* a = static_cast<const uint32_t*>(whole->GetBits());
    const auto* b = static_cast<const uint32_t*>(part->GetBits());
    int32_t differing = 0;
    for (int32_t y = 0; y < band; ++y) {
      for (int32_t x = 0; x < width; ++x) differing += (a[(top + y) * width + x] != b[y * width + x]) ? 1 : 0;
    }
    EXPECT_EQ(differing, 0) << top;
  }
}

// Page-number elements hold the numbers of their pages as soon as the
// pages are laid out, before anything draws them: what reads the text
// (and what saves it) never meets the widest text the lines were composed
// with. Each row grows the body and reads, all undrawn, the body's first
// paragraph (a total in upper-case Roman and a page number), the page
// numbers typed at the ends of the rows before, and the footer.
TEST_F(DocumentPages, PageNumbersAreUpToDateWithoutDrawing) {
  constexpr uint32_t kUpperRoman = 4u << 28;
  LoadPart(kPartBody, Stream().Text(u"Pages "));
  xMorvaEngine& body = Part(kPartBody);
  document->GetUndo()->Suspend();
  ASSERT_EQ(0, body.InsertPageNumberField(kPageNumberCount | kUpperRoman, false));
  ASSERT_EQ(0, body.TypeCharacter(u' '));
  ASSERT_EQ(0, body.InsertPageNumberField(0, false));
  document->GetUndo()->Resume();
  LoadFooter();
  auto plain = [this](int16_t part) {
    VStr<255> text;
    Part(part).WritePlainText(text, false, false);
    char16_t units[256] = {};
    const int32_t n = text.GetUniChars(units, 0, 256);
    return std::u16string(units, size_t(std::max(n, 0)));
  };
  const struct {
    int paragraphs;    // added at the end of the body
    bool numberAtEnd;  // then a page number after them
    int32_t pages;
    std::u16string first;
    std::u16string later;  // the digits after the first paragraph
    std::u16string footer;
  } cases[] = {
      {0, false, 1, u"Pages I 1", u"", u"Page 1 of 1"},
      {4, false, 1, u"Pages I 1", u"", u"Page 1 of 1"},
      {4, true, 2, u"Pages II 1", u"2", u"Page 1 of 2"},
      {7, true, 3, u"Pages III 1", u"23", u"Page 1 of 3"},
  };
  for (const auto& c : cases) {
    document->GetUndo()->Suspend();
    body.SetSelection(body.GetLength(), body.GetLength());
    for (int i = 0; i < c.paragraphs; ++i) {
      for (char16_t unit : std::u16string(u"\raaaa")) ASSERT_EQ(0, body.TypeCharacter(unit));
    }
    if (c.numberAtEnd) {
      ASSERT_EQ(0, body.InsertPageNumberField(0, false));
    }
    document->GetUndo()->Resume();
    ASSERT_EQ(document->GetBodyPageCount(), c.pages) << c.paragraphs;
    const std::u16string text = plain(kPartBody);
    const size_t firstEnd = std::min(text.find(u'\r'), text.size());
    EXPECT_EQ(text.substr(0, firstEnd), c.first) << c.pages;
    std::u16string later;
    for (char16_t unit : text.substr(firstEnd)) {
      if (unit != u'a' && unit != u'\r') later.push_back(unit);
    }
    EXPECT_EQ(later, c.later) << c.pages;
    EXPECT_EQ(plain(kPartFooter), c.footer) << c.pages;
  }
}

// A document that counts the lines whose page numbers it lays out.
class CountingDocument : public xMorvaDocument {
 public:
  using xMorvaDocument::xMorvaDocument;
  float LayOutPageNumbers(xMorvaLineMeasure& font, int32_t page, uint8_t* lineStart,
                          uint8_t* end) override {
    ++laidOut;
    return xMorvaDocument::LayOutPageNumbers(font, page, lineStart, end);
  }
  int32_t laidOut = 0;
};

class BodyPageNumbers : public DocumentPages {
 protected:
  BodyPageNumbers() : counting(new CountingDocument(&area)) { document.reset(counting); }

  // An edit of the body through the document's change protocol.
  void Change(const std::function<void(xMorvaEngine&)>& edit) {
    document->BeginChange();
    edit(Part(kPartBody));
    document->EndChange();
  }
  // The body's paragraphs other than those of a's alone, joined by "|".
  std::u16string Shown() {
    VStr<255> text;
    Part(kPartBody).WritePlainText(text, false, false);
    char16_t units[256] = {};
    const int32_t n = text.GetUniChars(units, 0, 256);
    std::u16string shown;
    std::u16string paragraph;
    for (char16_t unit : std::u16string(units, size_t(std::max(n, 0))) + u"\r") {
      if (unit != u'\r') {
        paragraph.push_back(unit);
      } else if (paragraph.find_first_not_of(u'a') != std::u16string::npos) {
        shown += (shown.empty() ? u"" : u"|") + paragraph;
        paragraph.clear();
      } else {
        paragraph.clear();
      }
    }
    return shown;
  }

  CountingDocument* counting;
};

// A page count in the first paragraph and a page number in the sixth, of
// ten one-line paragraphs (two pages of 7 lines). Each row edits the body
// and reads, undrawn, what the numbers show, and how many lines had their
// numbers laid out again (-1: not counted): a key far from the numbers
// lays out none, a page more only the page count's line.
TEST_F(BodyPageNumbers, NumbersFollowTheirLinesAndThePageCount) {
  LoadPart(kPartBody, Stream().Text(u"Pages "));
  xMorvaEngine& body = Part(kPartBody);
  document->GetUndo()->Suspend();
  ASSERT_EQ(0, body.InsertPageNumberField(kPageNumberCount, false));
  for (char16_t unit : std::u16string(u"\raaaa\raaaa\raaaa\raaaa\rNo ")) ASSERT_EQ(0, body.TypeCharacter(unit));
  ASSERT_EQ(0, body.InsertPageNumberField(0, false));
  for (char16_t unit : std::u16string(u"\raaaa\raaaa\raaaa\raaaa")) ASSERT_EQ(0, body.TypeCharacter(unit));
  document->GetUndo()->Resume();
  ASSERT_EQ(document->GetBodyPageCount(), 2);
  ASSERT_EQ(Shown(), u"Pages 2|No 1");
  auto atEnd = [](xMorvaEngine& text) { text.SetSelection(text.GetLength(), text.GetLength()); };
  const struct {
    const char* edit;
    std::function<void(xMorvaEngine&)> change;
    std::u16string shown;
    int32_t laidOut;
  } cases[] = {
      {"a key at the end", [&](xMorvaEngine& t) { atEnd(t), t.TypeCharacterWithUndo(u'a'); },
       u"Pages 2|No 1", 0},
      {"two Returns before the number push it to the second page",
       [](xMorvaEngine& t) { t.SetSelection(8, 8), t.InsertParagraphEndWithUndo(), t.InsertParagraphEndWithUndo(); },
       u"Pages 2|No 2", -1},
      {"taking them out brings it back",
       [](xMorvaEngine& t) { t.SetSelection(8, 10), t.DeleteSelectionWithUndo(); }, u"Pages 2|No 1", -1},
      {"Returns at the end make a third page",
       [&](xMorvaEngine& t) {
         atEnd(t);
         for (int i = 0; i < 5; ++i) t.InsertParagraphEndWithUndo();
       },
       u"Pages 3|No 1", 1},
      {"taking them out takes it away",
       [](xMorvaEngine& t) { t.SetSelection(t.GetLength() - 5, t.GetLength()), t.DeleteSelectionWithUndo(); },
       u"Pages 2|No 1", 1},
      {"a key on the number's line", [](xMorvaEngine& t) { t.SetSelection(28, 28), t.TypeCharacterWithUndo(u'x'); },
       u"Pages 2|xNo 1", 1},
  };
  for (const auto& c : cases) {
    counting->laidOut = 0;
    Change(c.change);
    EXPECT_EQ(Shown(), c.shown) << c.edit;
    if (c.laidOut >= 0) {
      EXPECT_EQ(counting->laidOut, c.laidOut) << c.edit;
    }
  }
  // Another first page number: every number shows it.
  document->Params().SetFirstPageNumber(9);
  document->GetLayout()->Repaginate();
  EXPECT_EQ(Shown(), u"Pages 2|xNo 9");
}

}  // namespace

