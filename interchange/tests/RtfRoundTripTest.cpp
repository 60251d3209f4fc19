// Documents built at random, passed through the own file and RTF twice:
// what the first cycle gives, the second gives back unchanged (text,
// character and paragraph properties at every position, tab stops).
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <tuple>

#include "area/tests/DocumentFileSupport.h"
#include "document/DocumentUnits.h"
#include "document/tests/DocumentTestSupport.h"
#include "document/tests/FakeDocument.h"
#include "interchange/pages/xMorvaHeaderFooterFit.h"
#include "interchange/tests/RtfTestSupport.h"
#include "interchange/tests/TextTestSupport.h"
#include "interchange/tests/WordExportTestSupport.h"
#include "interchange/word/xMorvaImportWord.h"

namespace {

class RtfRoundTrip : public documentfile::Fixture {
 protected:
  // Own file, then RTF: the document a cycle makes of `from`.
  std::unique_ptr<xMorvaDocument> Cycle(xMorvaDocument& from) {
    auto own = NewDocument();
    const documentfile::Bytes bytes = documentfile::Write(from);
    const int32_t read = documentfile::Read(*own, bytes);
    EXPECT_EQ(read, 0);
    const std::string rtf = rtftest::Export(*own);
    auto out = NewDocument();
    EXPECT_EQ(0, rtftest::Import(*out, rtf)) << rtf;
    return out;
  }
  // Own file, Word, RTF and own file again: the document a chain makes of
  // `from`.
  std::unique_ptr<xMorvaDocument> Chain(xMorvaDocument& from) {
    auto own = NewDocument();
    EXPECT_EQ(0, documentfile::Read(*own, documentfile::Write(from)));
    oletest::MemoryFile word(wordtest::ExportWordBytes(*own));
    auto read = NewDocument();
    xMorvaImportWord reader;
    EXPECT_EQ(0, reader.ImportWordDocument(read.get(), &word.Stream()));
    auto rtf = NewDocument();
    EXPECT_EQ(0, rtftest::Import(*rtf, rtftest::Export(*read)));
    auto out = NewDocument();
    EXPECT_EQ(0, documentfile::Read(*out, documentfile::Write(*rtf)));
    return out;
  }

  FakeAreaServices fArea;
};

// A random document: words in several scripts, tabs and paragraph ends,
// with character and paragraph settings set over random stretches.
void Build(xMorvaDocument& document, uint32_t seed) {
  std::mt19937 random(seed);
  auto pick = [&](int32_t n) { return int32_t(random() % uint32_t(n)); };
  static const char16_t* const kWords[] = {u"alpha", u"Beta", u"\u00e9t\u00e9", u"\u0420\u0443\u0441",
                                           u"\u03b1\u03b2", u"x", u"{b}", u"a\\c", u"\u20ac5"};
  std::u16string text;
  const int32_t words = 5 + pick(60);
  for (int32_t i = 0; i < words; ++i) {
    text += kWords[pick(int32_t(std::size(kWords)))];
    const int32_t gap = pick(10);
    text += gap == 0 ? u"\n" : gap == 1 ? u"\t" : u" ";
  }
  xMorvaEngine& body = rtftest::Engine(document, kPartBody);
  rtftest::Type(body, text);
  if (pick(2) == 0) rtftest::Type(rtftest::Engine(document, kPartHeader), u"Head \u00e9 " + text.substr(0, 20));
  if (pick(2) == 0) rtftest::Type(rtftest::Engine(document, kPartFooter), u"Foot\t1");
  const int32_t length = body.GetLength();
  VStr<64> name;
  name.SetAnsiCText("Liberation Mono");
  const int16_t mono = document.FontIndexForName(name);
  name.SetAnsiCText("Schrift ");
  for (char16_t letter : {u'\u00e4', u'\u00f6', u'\u00fc', u';'}) name.AppendUniChar(letter);
  const int16_t umlauts = document.FontIndexForName(name);
  const int32_t changes = 1 + pick(25);
  for (int32_t i = 0; i < changes; ++i) {
    const int32_t a = pick(length + 1);
    const int32_t b = std::min(length, a + pick(30));
    body.SetSelection(a, b);
    switch (pick(19)) {
      case 0: body.SetPropertyValue(kPropBold, pick(2)); break;
      case 1: body.SetPropertyValue(kPropItalic, pick(2)); break;
      case 2: body.SetPropertyValue(kPropUnderline, pick(5)); break;
      case 3: body.SetPropertyValue(kPropSize, 6 + pick(40)); break;
      case 4: body.SetPropertyValue(kPropFont, pick(2) == 0 ? mono : umlauts); break;
      case 5: body.SetPropertyValue(kPropTextColour, pick(2) == 0 ? 0x0000FF : 0x19CC00); break;
      case 6: body.SetPropertyValue(kPropAlignment, pick(4)); break;
      case 7: body.SetPropertyValue(kPropLeftIndent, pick(200)); break;
      case 8: body.SetPropertyValue(kPropFirstLineIndent, pick(100) - 50); break;
      case 9: body.SetPropertyValue(kPropInterline, 10 + 5 * pick(5)); break;
      case 10: body.SetPropertyValue(kPropStrikeOut, pick(2)); break;
      case 11: body.SetPropertyValue(kPropShadow, pick(2)); break;
      case 12: body.SetPropertyValue(kPropLetterCase, pick(3)); break;
      case 13: body.SetPropertyValue(kPropVerticalPosition, pick(3)); break;
      case 14: body.SetPropertyValue(kPropBackColour, pick(2) == 0 ? kColourNone : 0x00E6FF); break;
      case 15: body.SetPropertyValue(kPropRightIndent, pick(150)); break;
      case 16: body.SetPropertyValue(kPropTopBorder, pick(2)); break;
      case 17: body.SetPropertyValue(kPropParagraphBackColour, pick(2) == 0 ? kColourNone : 0xCCCCCC); break;
      default: {
        xMorvaTabs tabs;
        const int32_t count = pick(4);
        for (int32_t k = 0; k < count; ++k)
          tabs.AddStop(MakeTabStop(int16_t(1 + pick(600)), pick(2) == 0 ? 0 : '.', uint8_t(1 + pick(4))));
        body.SetTabs(tabs);
        break;
      }
    }
  }
}

void ExpectSame(xMorvaDocument& first, xMorvaDocument& second, int16_t part) {
  EXPECT_EQ(rtftest::TextOf(first, part), rtftest::TextOf(second, part));
  const auto a = rtftest::Positions(first, part);
  const auto b = rtftest::Positions(second, part);
  ASSERT_EQ(a.size(), b.size());
  for (size_t i = 0; i < a.size(); ++i) {
    SCOPED_TRACE(i);
    for (const auto& [id, value] : a[i].properties) {
      if (id == kPropFont) {
        EXPECT_EQ(rtftest::FontName16(first, value), rtftest::FontName16(second, b[i].properties.at(id)));
      } else {
        ASSERT_EQ(value, b[i].properties.at(id)) << "property " << id;
      }
    }
    ASSERT_EQ(a[i].tabs, b[i].tabs);
  }
}

}  // namespace

TEST_F(RtfRoundTrip, TheSecondCycleChangesNothing) {
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE(seed);
    auto original = NewDocument();
    Build(*original, seed);
    auto once = Cycle(*original);
    auto twice = Cycle(*once);
    for (int16_t part : {kPartBody, kPartHeader, kPartFooter}) ExpectSame(*once, *twice, part);
    if (HasFatalFailure()) return;
  }
}

// A footer of one or of three lines, its band's upper edge at or under
// the bottom margin, through our RTF writer and reader three times: its
// upper edge and the bottom margin stay, and its band reaches down to
// where its last line ends, the \footery written. Footers whose band the
// first trip changes (none, blank lines, \footery0, taller than the page,
// facing pages' blank left parts): what trip 1 reads, trips 2 and 3 read
// again, every band, the distance written and every part. A poster's page
// of 24 x 36 inches keeps its size. Chains through our own file, Word,
// RTF and our own file (a title page with a header and footer of its
// own, no footer text at \footery720) likewise. A document without
// footer text keeps its distance, and a footer typed into it afterwards
// prints where it prints in the document first read. The header's twins:
// a header at \headery = \margt prints there, the body below its lines,
// on the title page and facing pages too; one at \headery above \margt
// keeps its band and the margin; one typed into a file's header without
// text prints where the file's header of those lines does.
TEST_F(RtfRoundTrip, ThreeTripsKeepTheFootersPlaceAndTheBottomMargin) {
  struct Row {
    const char* what;
    const char16_t* footer;
    int32_t bottom, top;  // points: the bottom margin, the footer's upper edge
    bool kept = true;     // the footer's upper edge and the margin come back as they were
    int32_t lower = 0;    // points: the footer's lower edge
    const char* rtf = nullptr;  // the document read from this in place of the one made
    bool facing = false;        // facing pages, their left header and footer blank
    int32_t pageWidth = 0, pageHeight = 0;  // inches; 0 keeps the document's page
    bool chain = false;                     // each trip a chain through Word
    bool titlePage = false;                 // with a header and footer of the first page's own
    // The first page's or the left pages' footer blank, the others' with
    // text: written as a group of its own.
    const char* blankGroup = nullptr;
    bool header = false;     // a header's row, read from `rtf`: its lines at \headery720 checked, a header typed
    int32_t headerBody = 0;  // points: where the body starts (0: just below the header's lines)
  };
  auto header = [](const char* what, const char* rtf, bool chain = false, int32_t body = 0) {
    return Row{.what = what, .footer = u"", .bottom = 72, .top = 71, .kept = false, .rtf = rtf, .chain = chain,
               .header = true, .headerBody = body};
  };
  const char* headed = "{\\rtf1\\margt720\\headery720{\\header Head line\\par}Body.}";
  std::u16string tall;
  for (int i = 0; i < 80; ++i) tall += u"Foot line\n";
  const Row rows[] = {
      {"one line", u"Foot", 72, 71},
      {"three lines", u"Foot one\nFoot two\nFoot three", 72, 71},
      {"two lines under a high margin", u"Foot one\nFoot two", 100, 60},
      {"no footer text", u"", 72, 60, false, 40},
      {"blank lines", u"\n\n", 72, 60, false, 40},
      {"\\footery0", u"", 72, 71, false, 0, "{\\rtf1\\margt1980\\margb1440\\footery0{\\footer Foot\\par}Body.}"},
      {"no footer text, \\footery0", u"", 72, 71, false, 0, "{\\rtf1\\margt1980\\margb1440\\footery0 Body.}"},
      {"taller than the page", tall.c_str(), 72, 71, false},
      {"facing pages with blank left parts", u"Foot", 72, 71, false, 0, nullptr, true},
      {"a poster's page", u"A poster's foot", 72, 71, true, 0, nullptr, false, 24, 36},
      {"a title page, chained", u"Foot", 72, 71, false, 0, nullptr, false, 0, 0, true, true},
      {"no footer text at \\footery720, chained", u"", 72, 71, false, 0,
       "{\\rtf1\\margb1440\\footery720 Body.}", false, 0, 0, true},
      {"no footer text at \\footery720", u"", 72, 71, false, 0, "{\\rtf1\\margb1440\\footery720 Body.}"},
      // At the margin, as many files have it: typed lines reach up from
      // there, the body ending above them.
      {"no footer text at \\footery1440, the margin", u"", 72, 71, false, 0,
       "{\\rtf1\\margb1440\\footery1440 Body.}"},
      {"no footer text at \\footery1440, the margin, chained", u"", 72, 71, false, 0,
       "{\\rtf1\\margb1440\\footery1440 Body.}", false, 0, 0, true},
      // A title page under the file's margin, the others' widened for
      // their footer's lines: blank ones, and lines from the floor.
      {"a title page, the others' footer of blank lines", u"", 72, 71, false, 0,
       "{\\rtf1\\margb1680\\titlepg{\\footer \\par\\par\\par\\par\\par}Body.}"},
      {"a title page, the others' footer of blank lines, chained", u"", 72, 71, false, 0,
       "{\\rtf1\\margb1680\\titlepg{\\footer \\par\\par\\par\\par\\par}Body.}", false, 0, 0, true},
      {"a title page, the others' footer from the floor", u"", 72, 71, false, 0,
       "{\\rtf1\\margb1680\\footery0\\titlepg{\\footer A\\par B\\par C\\par D\\par E\\par F\\par}Body.}"},
      {"a title page, the others' footer from the floor, chained", u"", 72, 71, false, 0,
       "{\\rtf1\\margb1680\\footery0\\titlepg{\\footer A\\par B\\par C\\par D\\par E\\par F\\par}Body.}",
       false, 0, 0, true},
      {"a title page with a blank footer", u"", 72, 71, false, 0, "{\\rtf1\\titlepg{\\footer Foot\\par}Body.}",
       false, 0, 0, false, false, "{\\footerf{"},
      {"facing pages with a blank left footer", u"", 72, 71, false, 0, "{\\rtf1\\facingp{\\footerr Foot\\par}Body.}",
       false, 0, 0, false, false, "{\\footerl{"},
      header("a header at \\headery720, the margin", headed),
      header("a header at \\headery720, the margin, chained", headed, true),
      header("a title page's header at the margin",
             "{\\rtf1\\margt720\\headery720\\titlepg{\\headerf First\\par head\\par}{\\header Head\\par}Body.}"),
      header("a title page's header at the margin, the others' taller, chained",
             "{\\rtf1\\margt720\\headery720\\titlepg{\\headerf First\\par}{\\header Head\\par two\\par}Body.}", true),
      header("facing pages' headers at the margin",
             "{\\rtf1\\margt720\\headery720\\facingp{\\headerl Left\\par head\\par}{\\headerr Head\\par}Body.}"),
      header("a header at \\headery720 above \\margt1440", "{\\rtf1\\margt1440\\headery720{\\header Head line\\par}Body.}",
             false, 72),
      header("no header text at \\headery720, the margin", "{\\rtf1\\margt720\\headery720 Body.}"),
      header("no header text at \\headery720, the margin, chained", "{\\rtf1\\margt720\\headery720 Body.}", true),
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::vector<std::unique_ptr<xMorvaDocument>> trips;
    trips.push_back(NewDocument());
    if (row.rtf == nullptr) {
      rtftest::Type(rtftest::Engine(*trips[0], kPartBody), u"Body.");
      rtftest::Type(rtftest::Engine(*trips[0], kPartFooter), row.footer);
      if (row.facing) {
        trips[0]->Params().SetDifferentLeftRight(1);
        rtftest::Type(rtftest::Engine(*trips[0], kPartLeftHeader), u"\n");
        rtftest::Type(rtftest::Engine(*trips[0], kPartLeftFooter), u"\n");
      }
      if (row.pageWidth > 0) {
        trips[0]->Params().SetPageSize(PointsToPixels(row.pageWidth * 72), PointsToPixels(row.pageHeight * 72));
        trips[0]->TakePaperFromPage(false);
      }
      if (row.titlePage) {
        // Both kinds of page under a top margin of their own.
        for (bool firstPage : {false, true})
          trips[0]->Params().GetBands(firstPage).topMargin = PointsToPixels(102);
        trips[0]->Params().SetDifferentFirstPage(1);
        rtftest::Type(rtftest::Engine(*trips[0], kPartHeader), u"Head one\nHead two\nHead three");
        rtftest::Type(rtftest::Engine(*trips[0], kPartFirstHeader),
                      u"First one\nFirst two\nFirst three");
        rtftest::Type(rtftest::Engine(*trips[0], kPartFirstFooter), u"Last");
      }
    } else {
      ASSERT_EQ(0, rtftest::Import(*trips[0], row.rtf));
    }
    xMorvaPageBands& bands = trips[0]->Params().GetBands(false);
    if (row.rtf == nullptr) {
      bands.bottomMargin = PointsToPixels(row.bottom);
      bands.footerTop = PointsToPixels(row.top);
      bands.footerBottom = PointsToPixels(row.lower);
    }
    for (int trip = 1; trip <= 3; ++trip) {
      SCOPED_TRACE("trip " + std::to_string(trip));
      if (row.chain) {
        trips.push_back(Chain(*trips[size_t(trip - 1)]));
      } else {
        trips.push_back(NewDocument());
        // The file given is the one the first trip reads.
        const std::string file =
            row.rtf != nullptr && trip == 1 ? row.rtf : rtftest::Export(*trips[size_t(trip - 1)]);
        ASSERT_EQ(0, rtftest::Import(*trips.back(), file));
      }
      xMorvaDocument& back = *trips.back();
      if (rtftest::TextOf(*trips[0], kPartFooter).empty()) {
        EXPECT_EQ(FooterDistanceOf(*trips[0]), FooterDistanceOf(back));
      }
      const xMorvaPageBands& read = back.Params().GetBands(false);
      if (row.kept) {
        EXPECT_EQ(bands.footerTop, read.footerTop);
        EXPECT_EQ(bands.bottomMargin, read.bottomMargin);
        EXPECT_EQ(read.footerTop - FooterLinesHeight(back, false), read.footerBottom);
      }
      if (row.pageWidth > 0) {
        EXPECT_EQ(trips[0]->GetParams().GetPageWidth(), back.GetParams().GetPageWidth());
        EXPECT_EQ(trips[0]->GetParams().GetPageHeight(), back.GetParams().GetPageHeight());
      }
      if (row.rtf == nullptr) {
        EXPECT_EQ(rtftest::TextOf(*trips[0], kPartFooter), rtftest::TextOf(back, kPartFooter));
      }
      // The header prints whole at its distance, the body below it.
      for (int32_t page : {0, 1}) {
        const int32_t lines = HeaderLinesHeight(back, page == 0);
        if (!row.header || lines == 0) continue;
        SCOPED_TRACE("page " + std::to_string(page));
        const xMorvaDocParams::HeaderPlace head = back.GetParams().HeaderPlaceOf(page, lines);
        EXPECT_EQ(PointsToPixels(36), head.top);
        EXPECT_GE(head.bottom - head.top, lines);
        EXPECT_EQ(row.headerBody > 0 ? PointsToPixels(row.headerBody) : head.top + lines + 1,
                  back.GetParams().BodyTopMargin(page, lines));
      }
      // A file opened has the page bands of its first open at every trip.
      for (bool firstPage : {false, true})
        if (row.rtf != nullptr) {
          EXPECT_EQ(trips[0]->Params().GetBands(firstPage), back.Params().GetBands(firstPage));
        }
      if (row.blankGroup != nullptr) {
        EXPECT_NE(std::string::npos, rtftest::Export(back).find(row.blankGroup)) << rtftest::Export(back);
        EXPECT_EQ("", rtftest::TextOf(back, kPartFirstFooter));
        EXPECT_EQ("", rtftest::TextOf(back, kPartLeftFooter));
      }
      if (trip == 1) continue;
      xMorvaDocument& first = *trips[1];
      for (bool firstPage : {false, true})
        EXPECT_EQ(first.Params().GetBands(firstPage), back.Params().GetBands(firstPage)) << firstPage;
      EXPECT_EQ(FooterDistanceOf(first), FooterDistanceOf(back));
      EXPECT_EQ(first.Params().GetDifferentLeftRight(), back.Params().GetDifferentLeftRight());
      EXPECT_EQ(first.Params().GetDifferentFirstPage(), back.Params().GetDifferentFirstPage());
      for (int16_t part = 0; part < kPartCount; ++part)
        EXPECT_EQ(rtftest::TextOf(first, part), rtftest::TextOf(back, part)) << "part " << part;
    }
    if (row.facing) {
      EXPECT_NE(0, trips[1]->Params().GetDifferentLeftRight());
      EXPECT_EQ("\n", rtftest::TextOf(*trips[1], kPartLeftFooter));
    }
    const int16_t typedPart = row.header ? kPartHeader : kPartFooter;
    if (!rtftest::TextOf(*trips[0], typedPart).empty()) continue;
    // A footer (or a header) typed afterwards: where the document first
    // read has it, and in a file's part without text where the file's part
    // of the same lines prints; through three trips its distance stays.
    // Where the typed part prints, where the body starts and its height.
    auto placeOf = [&](xMorvaDocument& document) {
      const int32_t header = HeaderFooterLinesHeight(document, kPartHeader);
      const int32_t footer = HeaderFooterLinesHeight(document, kPartFooter);
      const xMorvaDocParams& params = document.GetParams();
      return std::tuple(row.header ? params.HeaderPlaceOf(1, header).top : params.FooterPlaceOf(1, footer).top,
                        params.BodyTopMargin(1, header), params.TextHeight(1, header, footer));
    };
    auto typedTop = [&](xMorvaDocument& document) {
      rtftest::Type(rtftest::Engine(document, typedPart), u"Typed");
      return placeOf(document);
    };
    const auto typed = typedTop(*trips[0]);
    EXPECT_EQ(typed, typedTop(*trips.back()));
    if (row.rtf == nullptr || row.titlePage) continue;
    std::string held = row.rtf;
    held.insert(held.find("Body."), row.header ? "{\\header Typed\\par}" : "{\\footer Typed\\par}");
    auto heldDocument = NewDocument();
    ASSERT_EQ(0, rtftest::Import(*heldDocument, held));
    // The body makes room beside the typed lines as beside the file's.
    EXPECT_EQ(placeOf(*heldDocument), typed);
    std::unique_ptr<xMorvaDocument> saved = std::move(trips[0]);
    const int32_t distance = FooterDistanceOf(*saved);
    for (int trip = 1; trip <= 3; ++trip) {
      saved = row.chain ? Chain(*saved) : Cycle(*saved);
      EXPECT_EQ(distance, FooterDistanceOf(*saved)) << "trip " << trip;
      EXPECT_EQ(typed, placeOf(*saved)) << "trip " << trip;
    }
  }
}

// A stop that falls between two pixels, as other writers place them:
// \tx6236 came back 15 twips (a pixel) earlier at every cycle.
TEST_F(RtfRoundTrip, TabStopsStayWhereTheFirstCycleLeavesThem) {
  ScopedResolution dpi(96);
  auto document = NewDocument();
  ASSERT_EQ(0, rtftest::Import(*document, "{\\rtf1\\pard\\tx6236\\tqr\\tx7001 a\\tab b\\par}"));
  std::string previous;
  for (int cycle = 0; cycle < 4; ++cycle) {
    document = Cycle(*document);
    const std::string rtf = rtftest::Export(*document);
    const size_t at = rtf.find("\\tx");
    ASSERT_NE(std::string::npos, at) << rtf;
    const std::string stops = rtf.substr(at, rtf.find(' ', at) - at);
    if (cycle > 0) {
      EXPECT_EQ(previous, stops) << "cycle " << cycle;
    }
    previous = stops;
  }
  EXPECT_EQ("\\tx6240\\tqr\\tx7005", previous);
}

// A stop's kind and leader come back on that stop alone: a left stop with
// no leader after a right, dotted one stays plain (our writer names only
// the kinds other than left and the leaders other than none).
TEST_F(RtfRoundTrip, TabStopsKeepTheirOwnKindAndLeader) {
  ScopedResolution dpi(96);
  auto document = NewDocument();
  xMorvaEngine& body = rtftest::Engine(*document, kPartBody);
  rtftest::Type(body, u"a\tb\tc\td");
  xMorvaTabs tabs;
  tabs.AddStop(MakeTabStop(96, '.', kTabRight));
  tabs.AddStop(MakeTabStop(192, 0, kTabLeft));
  tabs.AddStop(MakeTabStop(288, '_', kTabCentre));
  tabs.AddStop(MakeTabStop(384, 0, kTabLeft));
  body.SetSelection(0, 0);
  body.SetTabs(tabs);
  auto again = Cycle(*document);
  xMorvaEngine& back = rtftest::Engine(*again, kPartBody);
  back.SetSelection(0, 0);
  const xMorvaTabs& read = back.GetCurrentTabs();
  ASSERT_EQ(tabs.Count(), read.Count());
  for (int32_t i = 0; i < tabs.Count(); ++i) EXPECT_EQ(tabs.StopAt(i), read.StopAt(i)) << i;
}

// A selection copied as RTF (the clipboard's flavour) and pasted into an
// empty document has the settings every position had in the document, from
// its first paragraph on; a last paragraph without its end joins the empty
// paragraph pasted into and takes its settings.
TEST_F(RtfRoundTrip, CopiedSelectionsKeepTheirSettings) {
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE(seed);
    auto original = NewDocument();
    Build(*original, seed);
    auto document = Cycle(*original);
    xMorvaEngine& body = rtftest::Engine(*document, kPartBody);
    std::mt19937 random(seed * 7919);
    const int32_t length = body.GetLength();
    const int32_t a = int32_t(random() % uint32_t(length + 1));
    const int32_t b = a + int32_t(random() % uint32_t(length - a + 1));
    if (a == b) continue;
    body.SetSelection(a, b);
    const std::string rtf = rtftest::Export(*document, true);
    auto copy = NewDocument();
    ASSERT_EQ(0, rtftest::Import(*copy, rtf, true)) << rtf;
    const auto all = rtftest::Positions(*document, kPartBody);
    const auto read = rtftest::Positions(*copy, kPartBody);
    ASSERT_EQ(size_t(b - a), read.size()) << a << " " << b << "\n" << rtf;
    // From the last paragraph end or break copied on, the paragraph is
    // the one pasted into.
    size_t joined = 0;
    for (size_t i = 0; i < read.size(); ++i)
      if (read[i].unit == 13 || read[i].unit == u'\f') joined = i + 1;
    for (size_t i = 0; i < read.size(); ++i) {
      const rtftest::Position& want = all[size_t(a) + i];
      ASSERT_EQ(want.unit, read[i].unit) << i;
      for (const auto& [id, value] : want.properties) {
        if (i >= joined && id >= kFirstParagraphProperty) {
          ASSERT_EQ(xMorvaProperties().GetProperty(id), read[i].properties.at(id));
        } else if (id == kPropFont) {
          ASSERT_EQ(rtftest::FontName16(*document, value), rtftest::FontName16(*copy, read[i].properties.at(id)));
        } else {
          ASSERT_EQ(value, read[i].properties.at(id)) << "position " << i << " property " << id << "\n" << rtf;
        }
      }
      ASSERT_EQ(i < joined ? want.tabs : std::vector<uint32_t>(), read[i].tabs) << "position " << i << "\n" << rtf;
    }
  }
}

// No background is written as white's index (readers take index 0 for
// black) and reads back as none; a white background of the text's own
// comes back white, and every colour as it was, trip after trip.
TEST_F(RtfRoundTrip, BackgroundsComeBackAsTheyWere) {
  for (const int32_t colour : {kColourNone, 0xFFFFFF, 0x00E6FF, 0x000000}) {
    SCOPED_TRACE(colour);
    auto document = NewDocument();
    xMorvaEngine& body = rtftest::Engine(*document, kPartBody);
    rtftest::Type(body, u"one two three");
    body.SetSelection(4, 7);
    body.SetPropertyValue(kPropBackColour, colour);
    for (int trip = 1; trip <= 3; ++trip) {
      document = Cycle(*document);
      const auto positions = rtftest::Positions(*document, kPartBody);
      ASSERT_EQ(13u, positions.size()) << "trip " << trip;
      for (size_t i = 0; i < positions.size(); ++i)
        EXPECT_EQ(i >= 4 && i < 7 ? colour : kColourNone, positions[i].properties.at(kPropBackColour))
            << "trip " << trip << " position " << i;
    }
  }
}
