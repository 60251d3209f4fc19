// RTF read into a document: text, character and paragraph properties,
// tables, headers and footers, settings, pasting, and damaged input.
#include <gtest/gtest.h>

#include <string>

#include "area/tests/DocumentFileSupport.h"
#include "document/DocumentUnits.h"
#include "document/tests/DocumentTestSupport.h"
#include "document/xMorvaUndo.h"
#include "framework/core/streams/VMemoryStream.h"
#include "interchange/html/xMorvaImportHTML.h"
#include "interchange/tests/RtfTestSupport.h"

using namespace rtftest;
using namespace std::string_literals;

namespace {
// A row of a reader table: the RTF, the part's text, its special elements
// in order and the objects of its computed ones.
struct ElementCase {
  const char* rtf;
  const char* text;
  std::vector<uint16_t> elements;
  std::vector<uint32_t> objects = {};
};

std::vector<uint16_t> ElementCodes(xMorvaDocument& document, int16_t part);
std::vector<uint32_t> ComputedObjects(xMorvaDocument& document, int16_t part);

class ImportRTF : public Fixture {
 protected:
  // Reads each row's RTF into a new document and checks the part.
  void ExpectElements(const std::vector<ElementCase>& cases, int16_t part) {
    for (const ElementCase& c : cases) {
      SCOPED_TRACE(c.rtf);
      auto document = NewDocument();
      ASSERT_EQ(0, Import(*document, c.rtf));
      EXPECT_EQ(c.text, TextOf(*document, part));
      EXPECT_EQ(c.elements, ElementCodes(*document, part));
      EXPECT_EQ(c.objects, ComputedObjects(*document, part));
    }
  }
};

int32_t At(xMorvaDocument& document, size_t position, uint16_t id, int16_t part = kPartBody) {
  const auto positions = Positions(document, part);
  EXPECT_LT(position, positions.size());
  return position < positions.size() ? positions[position].properties.at(id) : -999;
}
}  // namespace

TEST_F(ImportRTF, PlainGroupGivesTextWithoutProperties) {
  auto document = NewDocument();
  ASSERT_EQ(0, Import(*document, "{\\rtf1\\ansi x}"));
  EXPECT_EQ("x", TextOf(*document, kPartBody));
  const xMorvaProperties defaults;
  for (uint16_t id : {0, 1, 4, 7, 8, 9, 10}) EXPECT_EQ(defaults.GetProperty(id), At(*document, 0, id)) << id;
}

TEST_F(ImportRTF, UnicodeWordsDropTheirFallback) {
  struct Case {
    const char* rtf;
    const char* text;
  };
  const Case cases[] = {
      {"{\\rtf1 a\\u8364?b}", "a<20AC>b"},
      {"{\\rtf1 a\\u8364\\'80b}", "a<20AC>b"},
      {"{\\rtf1 \\u-3913?}", "<F0B7>"},
      {"{\\rtf1 \\u233\r\n?x}", "<00E9>x"},
      {"{\\rtf1 \\u233\\b x}", "<00E9>x"},
      {"{\\rtf1 \\'41\\'62}", "Ab"},
      {"{\\rtf1 a\\{b\\}\\\\c}", "a{b}\\c"},
      {"{\\rtf1 \\lquote\\rquote\\ldblquote\\endash\\emdash\\~}", "<2018><2019>\"<2013><2014><00A0>"},
      {"{\\rtf1 \\bullet\\tab a\\enspace b\\emspace c\\qmspace d}", "<2022>\ta<2002>b<2003>c<2005>d"},
      {"{\\rtf1 a\\zwj\\zwnj\\zwbo\\zwnbo b\\ltrmark\\rtlmark}", "a<200D><200C><200B><2060>b<200E><200F>"},
      {"{\\rtf1 \\b1x}", "x"},
      {"{\\rtf1 {\\*\\unknown text}{\\unknown kept}}", "kept"},
      {"{\\rtf1 a\\par b\\line c\\tab d}", "a\nb\nc\td"},
      {"{\\rtf1 {\\info{\\title T}}{\\stylesheet{\\s1 Normal;}}x}", "x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rtf);
    auto document = NewDocument();
    EXPECT_EQ(0, Import(*document, c.rtf));
    EXPECT_EQ(c.text, TextOf(*document, kPartBody));
  }
}

TEST_F(ImportRTF, CharacterPropertiesFollowGroupsAndTables) {
  auto document = NewDocument();
  const char* rtf =
      "{\\rtf1\\ansi{\\fonttbl{\\f0\\froman Liberation Serif;}{\\f1\\fswiss Liberation Sans;}}"
      "{\\colortbl;\\red255\\green0\\blue0;\\blue255;}"
      "a{\\b\\i\\ul\\f1\\fs40\\cf1 b}{\\cf2\\highlight1 c}\\uldb\\strike\\shad d\\plain e}";
  ASSERT_EQ(0, Import(*document, rtf));
  ASSERT_EQ("abcde", TextOf(*document, kPartBody));
  EXPECT_EQ(0, At(*document, 0, kPropBold));
  EXPECT_EQ(1, At(*document, 1, kPropBold));
  EXPECT_EQ(1, At(*document, 1, kPropItalic));
  EXPECT_EQ(1, At(*document, 1, kPropUnderline));
  EXPECT_EQ(20, At(*document, 1, kPropSize));
  EXPECT_EQ("Liberation Sans", FontName(*document, At(*document, 1, kPropFont)));
  // Text before any font word keeps the document's default font.
  EXPECT_EQ(1, At(*document, 0, kPropFont));
  // Red has its red component in the low byte.
  EXPECT_EQ(0x0000FF, At(*document, 1, kPropTextColour));
  EXPECT_EQ(0, At(*document, 2, kPropBold));
  // An entry naming only blue is blue alone, not blue over the last red.
  EXPECT_EQ(0xFF0000, At(*document, 2, kPropTextColour));
  EXPECT_EQ(0x0000FF, At(*document, 2, kPropBackColour));
  EXPECT_EQ(3, At(*document, 3, kPropUnderline));
  EXPECT_EQ(1, At(*document, 3, kPropStrikeOut));
  EXPECT_EQ(1, At(*document, 3, kPropShadow));
  EXPECT_EQ(0, At(*document, 4, kPropStrikeOut));
  EXPECT_EQ(12, At(*document, 4, kPropSize));
}

TEST_F(ImportRTF, SizesAndLineSpacing) {
  struct Case {
    const char* words;
    uint16_t id;
    int32_t value;
  };
  const Case cases[] = {
      {"\\fs0", kPropSize, 12},        {"\\fs24", kPropSize, 12},      {"\\fs200", kPropSize, 100},
      {"\\fs999", kPropSize, 255},     {"\\fs-4", kPropSize, 12},      {"\\sl-360\\slmult1", kPropInterline, 15},
      {"\\sl0", kPropInterline, 10},   {"\\sl240", kPropInterline, 10}, {"\\sl99999\\slmult1", kPropInterline, 100},
      {"\\qc", kPropAlignment, 1},     {"\\qj", kPropAlignment, 3},
      {"\\li1440", kPropLeftIndent, TwipsToPixels(1440)},
      {"\\fi-720", kPropFirstLineIndent, TwipsToPixels(-720)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.words);
    auto document = NewDocument();
    ASSERT_EQ(0, Import(*document, std::string("{\\rtf1 ") + c.words + " x\\par}"));
    EXPECT_EQ(c.value, At(*document, 0, c.id));
  }
}

TEST_F(ImportRTF, ParagraphSettingsBelongToTheirParagraph) {
  auto document = NewDocument();
  ASSERT_EQ(0, Import(*document, "{\\rtf1 \\qc a\\par \\pard b\\par \\pard\\tqr\\tx1000\\tx2000 c\\par \\pard\\tx720 d}"));
  ASSERT_EQ("a\nb\nc\nd", TextOf(*document, kPartBody));
  const auto positions = Positions(*document, kPartBody);
  EXPECT_EQ(1, positions[0].properties.at(kPropAlignment));
  EXPECT_EQ(1, positions[1].properties.at(kPropAlignment));  // the paragraph end of "a"
  EXPECT_EQ(0, positions[2].properties.at(kPropAlignment));
  ASSERT_EQ(2u, positions[4].tabs.size());
  EXPECT_EQ(kTabRight, TabStopKind(positions[4].tabs[0]));
  EXPECT_EQ(kTabLeft, TabStopKind(positions[4].tabs[1]));  // \tqr describes one stop
  EXPECT_EQ(TwipsToPixels(2000), TabStopPosition(positions[4].tabs[1]));
  ASSERT_EQ(1u, positions[6].tabs.size());
  EXPECT_EQ(kTabLeft, TabStopKind(positions[6].tabs[0]));
  // The engine reads the same settings from the stream.
  xMorvaEngine& body = Engine(*document, kPartBody);
  body.SetSelection(0, 0);
  EXPECT_EQ(1, body.GetCurrentProperties().GetProperty(kPropAlignment));
  body.SetSelection(4, 4);
  EXPECT_EQ(2, body.GetCurrentTabs().Count());
}

// A stop's kind and leader come before its \tx and describe that stop
// alone; the stop after it is a plain left stop unless it names its own.
TEST_F(ImportRTF, TabKindAndLeaderDescribeOneStop) {
  struct Case {
    const char* words;
    std::vector<std::pair<uint8_t, uint8_t>> stops;  // kind, leader
  };
  const Case cases[] = {
      {"\\tqr\\tldot\\tx1440\\tx2880", {{kTabRight, '.'}, {kTabLeft, 0}}},
      {"\\tlul\\tx1440\\tx2880", {{kTabLeft, '_'}, {kTabLeft, 0}}},
      {"\\tlth\\tx1440\\tlth\\tqc\\tx2880", {{kTabLeft, '_'}, {kTabCentre, '_'}}},
      {"\\tqdec\\tlhyph\\tx1440\\tqc\\tx2880\\tx4320", {{kTabDecimal, '-'}, {kTabCentre, 0}, {kTabLeft, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.words);
    auto document = NewDocument();
    ASSERT_EQ(0, Import(*document, std::string("{\\rtf1 \\pard") + c.words + " x\\par}"));
    const auto positions = Positions(*document, kPartBody);
    ASSERT_EQ(c.stops.size(), positions[0].tabs.size());
    for (size_t i = 0; i < c.stops.size(); ++i) {
      EXPECT_EQ(c.stops[i].first, TabStopKind(positions[0].tabs[i])) << i;
      EXPECT_EQ(c.stops[i].second, TabStopLeader(positions[0].tabs[i])) << i;
    }
  }
}

TEST_F(ImportRTF, HeadersFootersAndSettingsOnOpen) {
  auto document = NewDocument();
  const char* rtf =
      "{\\rtf1\\paperw11906\\paperh16838\\margl1134\\margr1134\\margt1440\\margb1440\\titlepg\\facingp"
      "{\\header \\pard\\b Head}{\\footerf Foot}{\\headerl Left}body\\page more}";
  ASSERT_EQ(0, Import(*document, rtf));
  EXPECT_EQ("body\fmore", TextOf(*document, kPartBody));
  EXPECT_EQ("Head", TextOf(*document, kPartHeader));
  EXPECT_EQ(1, At(*document, 0, kPropBold, kPartHeader));
  EXPECT_EQ(0, At(*document, 0, kPropBold));
  EXPECT_EQ("Foot", TextOf(*document, kPartFirstFooter));
  EXPECT_EQ("Left", TextOf(*document, kPartLeftHeader));
  const xMorvaDocParams& params = document->GetParams();
  // An A4 page in the file is the print settings' A4 paper: 210 x 297 mm in
  // whole screen pixels (96 an inch).
  EXPECT_EQ(793, params.GetPageWidth());
  EXPECT_EQ(1122, params.GetPageHeight());
  EXPECT_EQ(TwipsToPixels(1134), params.GetLeftMargin());
  EXPECT_EQ(TwipsToPixels(1440), params.GetBands(false).topMargin);
  EXPECT_EQ(1, params.GetDifferentFirstPage());
  EXPECT_EQ(1, params.GetDifferentLeftRight());
  EXPECT_TRUE(document->IsBodyCurrent());
}

TEST_F(ImportRTF, PasteIsOneUndoStepAndSkipsHeaders) {
  auto document = NewDocument();
  document->GetUndo()->Resume();
  xMorvaEngine& body = Engine(*document, kPartBody);
  Type(body, u"start end");
  body.SetSelection(6, 6);
  const std::string before = TextOf(*document, kPartBody);
  ASSERT_EQ(0, Import(*document, "{\\rtf1\\paperw5000{\\header H}{\\b bold} \\qc two\\par three }", true));
  EXPECT_EQ("start bold two\nthree end", TextOf(*document, kPartBody));
  EXPECT_EQ("", TextOf(*document, kPartHeader));
  EXPECT_NE(TwipsToPixels(5000), document->GetParams().GetPageWidth());
  int32_t start = 0, end = 0;
  body.GetSelection(start, end);
  EXPECT_EQ(6, start);
  EXPECT_EQ(6 + 15, end);
  EXPECT_EQ(1, At(*document, 6, kPropBold));
  EXPECT_EQ(0, At(*document, 10, kPropBold));
  // The text after the insertion keeps its look and its paragraph.
  EXPECT_EQ(0, At(*document, 22, kPropBold));
  EXPECT_EQ(0, At(*document, 22, kPropAlignment));
  document->Undo();
  EXPECT_EQ(before, TextOf(*document, kPartBody));
}

// Each pasted paragraph end brings its paragraph's settings to the
// paragraph it closes: the text before the insertion point takes the first
// pasted paragraph's; the text after the last pasted end keeps its own, and
// a last pasted paragraph without an end joins it. Undo and redo give the
// bytes back.
TEST_F(ImportRTF, PastedParagraphEndsBringTheirSettings) {
  // Each paragraph's alignment as the engine gives it, then "i" indented,
  // "b" with a left border, "s" spaced, "t" with tab stops.
  auto looks = [](xMorvaEngine& body, const std::string& text) {
    std::string out;
    for (size_t at = 0;; at = text.find('\n', at) + 1, out += ' ') {
      body.SetSelection(int32_t(at), int32_t(at));
      out += char('0' + body.GetPropertyValue(kPropAlignment));
      if (body.GetPropertyValue(kPropLeftIndent) != 0) out += 'i';
      if (body.GetPropertyValue(kPropLeftBorder) != 0) out += 'b';
      if (body.GetPropertyValue(kPropInterline) != 10) out += 's';
      if (body.GetTabCount() != 0) out += 't';
      if (text.find('\n', at) == std::string::npos) return out;
    }
  };
  // The module's own copy of a centred, double-spaced, indented paragraph
  // with a tab stop, taken with its end.
  auto source = NewDocument();
  xMorvaEngine& from = Engine(*source, kPartBody);
  Type(from, u"para\nnext");
  from.SetSelection(0, 0);
  xMorvaTabs tabs;
  tabs.AddStop(MakeTabStop(96, 0, kTabLeft));
  ASSERT_EQ(0, from.SetTabs(tabs));
  for (auto [id, value] : {std::pair{kPropAlignment, 1}, {kPropInterline, 20}, {kPropLeftIndent, 48}})
    ASSERT_EQ(0, from.SetPropertyValue(id, value));
  from.SetSelection(0, 5);
  const std::string own = Export(*source, true);
  // The module's own copy of a paragraph of default settings, with its end
  // and without it.
  auto plainSource = NewDocument();
  xMorvaEngine& plainFrom = Engine(*plainSource, kPartBody);
  Type(plainFrom, u"plain\nnext");
  plainFrom.SetSelection(0, 6);
  const std::string plain = Export(*plainSource, true);
  plainFrom.SetSelection(0, 5);
  const std::string plainWithoutEnd = Export(*plainSource, true);
  const std::string three = "{\\rtf1\\ansi \\pard\\qc\\li720 Centred\\par \\pard\\qr Right\\par \\pard\\qj Justified\\par}";
  struct Case {
    std::u16string text;
    const char* alignments;
    int32_t start, end;
    std::string rtf;
    const char* pasted;
    const char* looks;
  };
  const Case cases[] = {
      {u"", "0", 0, 0, three, "Centred\nRight\nJustified\n", "1i 2 3 0"},
      {u"abcd\nxy", "02", 2, 2, three, "abCentred\nRight\nJustified\ncd\nxy", "1i 2 3 0 2"},
      {u"ab\ncd", "20", 0, 0, three, "Centred\nRight\nJustified\nab\ncd", "1i 2 3 2 0"},
      {u"ab\ncd", "02", 5, 5, three, "ab\ncdCentred\nRight\nJustified\n", "0 1i 2 3 2"},
      {u"abcd\nxy", "02", 2, 6, three, "abCentred\nRight\nJustified\ny", "1i 2 3 0"},
      {u"abcd\nxy", "12", 2, 2, "{\\rtf1\\ansi \\pard\\qr\\li720 X}", "abXcd\nxy", "1 2"},
      {u"", "0", 0, 0, own, "para\n", "1ist 0"},
      {u"abcd", "2", 2, 2, own, "abpara\ncd", "1ist 2"},
      // Alignments then "i": that paragraph indented too; "b": bordered.
      {u"abcd\nxy", "1i2", 2, 2, plain, "abplain\ncd\nxy", "0 1i 2"},
      {u"abcd\nxy", "1b2", 2, 2, plain, "abplain\ncd\nxy", "0 1b 2"},
      {u"abcd", "1i", 0, 0, plain, "plain\nabcd", "0 1i"},
      {u"abcd", "1i", 2, 2, plainWithoutEnd, "abplaincd", "1i"},
      // A break is no paragraph end of the paste: after the last \par
      // the settings given go, and the text keeps those it is pasted into.
      {u"abcd", "0", 2, 2, "{\\rtf1\\ansi \\pard\\tqdec\\tx2460 X\\page Y\\column Z}", "abX\fY\fZcd", "0"},
      {u"abcd\nxy", "02", 2, 2, "{\\rtf1\\ansi \\pard\\qr X\\par \\pard\\qc Y\\page \\pard\\qj Z}",
       "abX\nY\fZcd\nxy", "2 0 2"},
      {u"abcd", "0", 2, 2, "{\\rtf1\\ansi X\\par \\pard\\tx720 Y\\column Z}", "abX\nY\fZcd", "0 0"},
      {u"abcd\nxy", "02", 2, 2, "{\\rtf1\\ansi \\pard\\qr X\\page Y\\par \\pard\\qc Z\\page W}",
       "abX\fY\nZ\fWcd\nxy", "2 0 2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pasted);
    auto document = NewDocument();
    document->GetUndo()->Resume();
    xMorvaEngine& body = Engine(*document, kPartBody);
    Type(body, c.text);
    for (size_t i = 0, at = 0; c.alignments[i] != 0; ++i) {
      const char k = c.alignments[i];
      if (k >= '0' && k <= '9' && i > 0) at = c.text.find(u'\n', at) + 1;
      body.SetSelection(int32_t(at), int32_t(at));
      const uint16_t id = k == 'i' ? kPropLeftIndent : k == 'b' ? kPropLeftBorder : kPropAlignment;
      ASSERT_EQ(0, body.SetPropertyValue(id, k == 'i' ? 48 : k == 'b' ? 1 : k - '0'));
    }
    body.SetSelection(c.start, c.end);
    const std::vector<uint8_t> before = documentfile::StreamOf(*document, kPartBody);
    ASSERT_EQ(0, Import(*document, c.rtf, true)) << c.rtf;
    const std::vector<uint8_t> pasted = documentfile::StreamOf(*document, kPartBody);
    EXPECT_EQ(c.pasted, TextOf(*document, kPartBody));
    EXPECT_EQ(c.looks, looks(body, c.pasted));
    document->Undo();
    EXPECT_EQ(before, documentfile::StreamOf(*document, kPartBody));
    document->Redo();
    EXPECT_EQ(pasted, documentfile::StreamOf(*document, kPartBody));
  }
}

TEST_F(ImportRTF, FailedPasteLeavesTheDocumentAsItWas) {
  // Also in a document that records no undo (one without an area).
  for (bool recording : {true, false}) {
    SCOPED_TRACE(recording);
    auto document = NewDocument();
    if (recording) document->GetUndo()->Resume();
    xMorvaEngine& body = Engine(*document, kPartBody);
    Type(body, u"keep me");
    body.SetSelection(2, 4);
    const int32_t fonts = document->GetFontCount();
    EXPECT_EQ(1015, Import(*document, "{\\rtf1{\\fonttbl{\\f0 Liberation Mono;}} lost", true));
    EXPECT_EQ("keep me", TextOf(*document, kPartBody));
    EXPECT_EQ(fonts, document->GetFontCount());
  }
}

// Damaged and hostile input: each row its answer and the text read.
TEST_F(ImportRTF, BadInput) {
  struct Case {
    const char* name;
    std::string rtf;
    int32_t code;
    int32_t parseCode;
    std::string text;
  };
  const std::string deep(100000, '{');
  std::string colours = "{\\rtf1{\\colortbl;";
  for (int i = 0; i < 600; ++i) colours += "\\red1\\green2\\blue3;";
  colours += "}\\cf599 x\\cf-3 y}";
  const Case cases[] = {
      {"unbalanced close", "{\\rtf1 a}}b", 1015, kRtfUnbalancedClose, "a"},
      {"unclosed group", "{\\rtf1 {a", 1015, kRtfOpenGroup, "a"},
      {"100000 groups", deep, 1015, kRtfTooDeep, ""},
      {"10000 groups", std::string(10000, '{') + "x" + std::string(10000, '}'), 0, kRtfOk, "x"},
      {"bin with NULs", "{\\rtf1 a\\bin4 \0\0{}b}"s, 0, kRtfOk, "ab"},
      {"bin negative", "{\\rtf1 a\\bin-5 b}", 0, kRtfOk, "ab"},
      {"bin 0", "{\\rtf1 a\\bin0 b}", 0, kRtfOk, "ab"},
      {"bin past the end", "{\\rtf1 a\\bin99 b}", 1015, kRtfOpenGroup, "a"},
      {"font -1", "{\\rtf1{\\fonttbl{\\f-1 Bad;}}\\f-1 x}", 0, kRtfOk, "x"},
      {"font 70000", "{\\rtf1{\\fonttbl{\\f70000 Bad;}}\\f70000 x}", 0, kRtfOk, "x"},
      {"undefined font", "{\\rtf1\\f12 x}", 0, kRtfOk, "x"},
      {"600 colours", colours, 0, kRtfOk, "xy"},
      {"40-letter word", "{\\rtf1 \\" + std::string(40, 'b') + " x}", 0, kRtfOk, "x"},
      {"40-digit number", "{\\rtf1 \\fs" + std::string(40, '9') + " x\\li-" + std::string(40, '9') + " y}", 0,
       kRtfOk, "xy"},
      {"fs999", "{\\rtf1\\fs999 x}", 0, kRtfOk, "x"},
      {"bad hex", "{\\rtf1 a\\'zz}", 1015, kRtfBadHex, "a"},
      {"hex cut short", "{\\rtf1 a\\'4", 1015, kRtfBadHex, "a"},
      {"backslash at the end", "{\\rtf1 a\\", 1015, kRtfEndInControl, "a"},
      {"nul ends the data", "{\\rtf1 a}\0garbage"s, 0, kRtfOk, "a"},
      // LibreOffice writes zero bytes into some colour tables; inside the
      // groups they are skipped wherever they stand.
      {"nuls inside the groups", "{\\rtf1{\\colortbl;\0\\red255\\green0\0\\blue0;\0\0}\\cf1 a\0b\\'4\0"
       "1}"s, 0, kRtfOk,
       "abA"},
      {"empty", "", 0, kRtfOk, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto document = NewDocument();
    xMorvaImportRTF reader;
    EXPECT_EQ(c.code, reader.ImportRtfBytes(*document, reinterpret_cast<const uint8_t*>(c.rtf.data()),
                                            uint32_t(c.rtf.size()), false));
    EXPECT_EQ(c.parseCode, reader.GetParseCode());
    EXPECT_EQ(c.text, TextOf(*document, kPartBody));
    // Whatever was read keeps every value inside its field.
    for (const Position& p : Positions(*document, kPartBody)) {
      EXPECT_GE(p.properties.at(kPropFont), 1);
      EXPECT_LE(p.properties.at(kPropFont), document->GetFontCount());
      EXPECT_GE(p.properties.at(kPropSize), 1);
    }
  }
}

TEST_F(ImportRTF, OutOfRangeIndexesFallBackToDefaults) {
  std::string colours = "{\\rtf1{\\colortbl;";
  for (int i = 0; i < 600; ++i) colours += "\\red1\\green2\\blue3;";
  colours += "}\\cf511 a\\cf512 b\\cf-3 c}";
  auto document = NewDocument();
  ASSERT_EQ(0, Import(*document, colours));
  EXPECT_EQ(0x030201, At(*document, 0, kPropTextColour));
  EXPECT_EQ(0, At(*document, 1, kPropTextColour));
  EXPECT_EQ(0, At(*document, 2, kPropTextColour));
  document = NewDocument();
  ASSERT_EQ(0, Import(*document, "{\\rtf1{\\fonttbl{\\f2 Liberation Mono;}}\\f2 a\\f70000 b\\f-1 c\\f9 d}"));
  EXPECT_EQ("Liberation Mono", FontName(*document, At(*document, 0, kPropFont)));
  // Numbers outside the map leave the font as it was; an undefined one is
  // the default font.
  EXPECT_EQ(At(*document, 0, kPropFont), At(*document, 1, kPropFont));
  EXPECT_EQ(At(*document, 0, kPropFont), At(*document, 2, kPropFont));
  EXPECT_EQ(1, At(*document, 3, kPropFont));
}

// A stream is read in windows: words, numbers, escapes and binary data cut
// by a window's edge read as they do from memory.
TEST_F(ImportRTF, StreamReadsAsMemoryAcrossWindows) {
  std::string rtf = "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}";
  for (int i = 0; rtf.size() < 150000; ++i) {
    rtf += std::string(size_t(i % 7), 'x');
    rtf += "\\b\\fs" + std::to_string(20 + i % 9) + " w\\u8364\\'80\\bin3 {}\\\\\\'41{\\i\\cf1 y}\\b0\\-z\\par\r\n";
  }
  rtf += "}";
  auto fromMemory = NewDocument();
  ASSERT_EQ(0, Import(*fromMemory, rtf));
  auto fromStream = NewDocument();
  VMemoryStream stream(rtf.data(), uint32_t(rtf.size()));
  ASSERT_EQ(0, stream.OpenRead());
  xMorvaImportRTF reader;
  ASSERT_EQ(0, reader.ImportRtf(*fromStream, stream, false));
  stream.CloseRead();
  EXPECT_EQ(TextOf(*fromMemory, kPartBody), TextOf(*fromStream, kPartBody));
  const auto a = Positions(*fromMemory, kPartBody);
  const auto b = Positions(*fromStream, kPartBody);
  ASSERT_EQ(a.size(), b.size());
  for (size_t i = 0; i < a.size(); ++i) ASSERT_EQ(a[i].properties, b[i].properties) << i;
  const std::string text = TextOf(*fromStream, kPartBody);
  // "\\bin3 " skips "{}" and the first backslash of "\\\\", so "\\'41" is text.
  EXPECT_EQ(0u, text.find("w<20AC>\\'41y\x1f" "z\nxw<20AC>\\'41y\x1f" "z\nxxw"));
}

// \ucN says how many fallback characters follow each \u, in the group it
// stands in and the groups inside it: with \uc0 (AbiWord) none, so the
// character after the word is text.
TEST_F(ImportRTF, UnicodeFallbackCountFollowsUcAndItsGroup) {
  struct Case {
    const char* rtf;
    const char* text;
  };
  const Case cases[] = {
      {"{\\rtf1\\uc0 \\u1081  \\u1090 x}", "<0439> <0442>x"},
      {"{\\rtf1\\uc0\\u1056\\u1091 s}", "<0420><0443>s"},
      {"{\\rtf1\\uc2 \\u8364\\'80\\'81x}", "<20AC>x"},
      {"{\\rtf1\\uc2 \\u8364ABx}", "<20AC>x"},
      {"{\\rtf1{\\uc0 \\u8364 a}\\u8364?b}", "<20AC>a<20AC>b"},
      {"{\\rtf1\\uc0{\\uc1 \\u8364?}\\u8364 c}", "<20AC><20AC>c"},
      // A control word counts as one character; a brace ends the fallback.
      {"{\\rtf1\\uc2 \\u8364\\b1 ?x}", "<20AC>x"},
      {"{\\rtf1\\uc3 {\\u8364?}y}", "<20AC>y"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rtf);
    auto document = NewDocument();
    EXPECT_EQ(0, Import(*document, c.rtf));
    EXPECT_EQ(c.text, TextOf(*document, kPartBody));
  }
}

// A field's result is the text the field shows (AbiWord's and our links);
// its instruction is not.
TEST_F(ImportRTF, FieldResultsAreText) {
  const char* const inputs[] = {
      "{\\rtf1 see {\\field{\\*\\fldinst HYPERLINK \"http://a.b\"}{\\fldrslt {\\ul link}}} here}",
      "{\\rtf1 see {\\field{\\*\\fldinst{HYPERLINK \"http://a.b\"}}{\\*\\fldrslt link}} here}",
  };
  for (const char* rtf : inputs) {
    SCOPED_TRACE(rtf);
    auto document = NewDocument();
    ASSERT_EQ(0, Import(*document, rtf));
    EXPECT_EQ("see link here", TextOf(*document, kPartBody));
  }
  auto document = NewDocument();
  ASSERT_EQ(0, Import(*document, "{\\rtf1 {\\field{\\*\\fldinst HYPERLINK x}{\\fldrslt {\\ul link}}}}"));
  EXPECT_EQ(1, At(*document, 0, kPropUnderline));
}

// LibreOffice's list labels: an empty one (a heading's) adds nothing and
// leaves the paragraph's settings alone; one that shows a number keeps it.
TEST_F(ImportRTF, ListLabelsThatShowNothingAreDropped) {
  auto document = NewDocument();
  ASSERT_EQ(0, Import(*document,
                      "{\\rtf1\\pard\\qc\\tx720{\\listtext\\pard\\plain \\tab}Heading\\par"
                      "\\pard{\\listtext\\pard\\plain 2.\\tab}Item\\par"
                      "{\\*\\pn\\pnlvlbody}{\\pntext\\f0 \\'b7\\tab}Old\\par}"));
  EXPECT_EQ("Heading\n2.\tItem\n<00B7>\tOld", TextOf(*document, kPartBody));
  const auto positions = Positions(*document, kPartBody);
  EXPECT_EQ(1, positions[0].properties.at(kPropAlignment));
  EXPECT_EQ(1u, positions[0].tabs.size());
}

// Line spacing follows \slmult: lines of 240 with it, a height in twips
// without (exact when negative); space before and after widens the
// paragraph's interline, spread over the lines it takes, and is not
// carried into the next paragraph.
TEST_F(ImportRTF, LineSpacingAndSpaceAroundParagraphs) {
  ScopedResolution dpi(96);
  auto interline = [&](const std::string& rtf, size_t position = 0) {
    auto document = NewDocument();
    EXPECT_EQ(0, Import(*document, rtf));
    return At(*document, position, kPropInterline);
  };
  EXPECT_EQ(15, interline("{\\rtf1\\sl360\\slmult1 a}"));
  EXPECT_EQ(11, interline("{\\rtf1\\pard\\plain\\sl276\\slmult1\\ql a\\par}"));
  EXPECT_EQ(10, interline("{\\rtf1\\sl0 a}"));
  const int32_t exact = interline("{\\rtf1\\sl-480\\slmult0 a}");
  EXPECT_GT(exact, 15);
  EXPECT_LT(exact, 25);
  EXPECT_EQ(exact, interline("{\\rtf1\\sl480 a}"));
  EXPECT_EQ(10, interline("{\\rtf1\\sl100 a}"));  // at least 5 points: single
  const int32_t spaced = interline("{\\rtf1\\pard\\sb120\\sa240 a\\par\\pard b\\par}");
  EXPECT_GT(spaced, 10);
  EXPECT_EQ(10, interline("{\\rtf1\\pard\\sb120\\sa240 a\\par\\pard b\\par}", 2));
  // A paragraph that keeps the settings keeps the same interline, not one
  // widened again.
  EXPECT_EQ(spaced, interline("{\\rtf1\\pard\\sb120\\sa240 a\\par b\\par}", 2));
  EXPECT_EQ(spaced + 2, interline("{\\rtf1\\pard\\sl288\\slmult1\\sb120\\sa240 a\\par}"));
  std::string longParagraph = "{\\rtf1\\pard\\sb120\\sa240 ";
  for (int i = 0; i < 200; ++i) longParagraph += "word ";
  EXPECT_LT(interline(longParagraph + "\\par}"), spaced);
}

// A paragraph or run that names a style takes the formatting the style
// sheet gives it (and its base style's), then its own; the style sheets
// are not made. \deff is the font of text that names none.
TEST_F(ImportRTF, NamedStylesGiveTheirFormatting) {
  auto document = NewDocument();
  const int32_t sheets = document->StyleSheetCount();
  ASSERT_EQ(0, Import(*document,
                      "{\\rtf1\\deff1{\\fonttbl{\\f0 Times New Roman;}{\\f1 Liberation Mono;}{\\f2 Liberation Sans;}}"
                      "{\\stylesheet{\\s0\\snext0\\f2\\fs20 Normal;}{\\s1\\sbasedon0\\snext0\\b\\qc\\li720 Heading;}"
                      "{\\*\\cs5\\additive\\i Emphasis;}{\\s2\\sbasedon2\\ul Loop;}}"
                      "\\pard\\plain\\s1 H\\par\\pard\\plain\\s0 b{\\cs5 e}\\par\\pard\\plain\\s1\\b0 n\\par"
                      "\\pard\\plain\\s2 u\\par\\pard\\plain p}"));
  EXPECT_EQ("H\nbe\nn\nu\np", TextOf(*document, kPartBody));
  EXPECT_EQ(sheets, document->StyleSheetCount());
  const auto at = [&](size_t position, uint16_t id) { return At(*document, position, id); };
  EXPECT_EQ("Liberation Sans", FontName(*document, at(0, kPropFont)));
  EXPECT_EQ(10, at(0, kPropSize));
  EXPECT_EQ(1, at(0, kPropBold));
  EXPECT_EQ(1, at(0, kPropAlignment));
  EXPECT_EQ(TwipsToPixels(720), at(0, kPropLeftIndent));
  EXPECT_EQ(0, at(2, kPropBold));
  EXPECT_EQ(0, at(2, kPropAlignment));
  EXPECT_EQ(0, at(2, kPropItalic));
  EXPECT_EQ(1, at(3, kPropItalic));
  EXPECT_EQ(0, at(5, kPropBold));  // its own \b0 after the style
  EXPECT_EQ(1, at(5, kPropAlignment));
  EXPECT_EQ(1, at(7, kPropUnderline));
  EXPECT_EQ("Liberation Mono", FontName(*document, at(9, kPropFont)));  // \plain: \deff
  EXPECT_EQ(12, at(9, kPropSize));
}

// Font names with letters outside ASCII (\u, or \' in the code page), with
// a semicolon of their own (escaped) and with a no-break space (\~, as our
// older writer gave it) are read whole.
TEST_F(ImportRTF, FontNamesKeepEscapedLettersAndSemicolons) {
  auto document = NewDocument();
  ASSERT_EQ(0, Import(*document,
                      "{\\rtf1{\\fonttbl{\\f0 Schrift \\u228\\'e4\\'f6\\uc0\\u252;}{\\f1 Semi\\'3bcolon;}"
                      "{\\f2 \\~Times;}}\\f0 a\\f1 b\\f2 c}"));
  EXPECT_EQ(u"Schrift \u00e4\u00f6\u00fc", FontName16(*document, At(*document, 0, kPropFont)));
  EXPECT_EQ(u"Semi;colon", FontName16(*document, At(*document, 1, kPropFont)));
  EXPECT_EQ(u"\u00a0Times", FontName16(*document, At(*document, 2, kPropFont)));
}

// A section's settings: \sectd starts it with one column; its margins
// (\margtsxn ...) are the page's; a header distance read before the top
// margin it lies within counts once that margin is read.
TEST_F(ImportRTF, SectionSettingsReachTheDocument) {
  auto document = NewDocument();
  ASSERT_EQ(0, Import(*document, "{\\rtf1\\margt300\\cols3\\sectd\\headery720\\footery600\\margtsxn1440"
                                 "\\margbsxn1000\\marglsxn900\\cols2\\colsx400 x}"));
  const xMorvaDocParams& params = document->GetParams();
  const xMorvaPageBands& bands = params.GetBands(false);
  EXPECT_EQ(2, params.GetColumns());
  EXPECT_EQ(TwipsToPixels(400), params.GetColumnSpacing());
  EXPECT_EQ(TwipsToPixels(900), params.GetLeftMargin());
  EXPECT_EQ(TwipsToPixels(1440), bands.topMargin);
  EXPECT_EQ(TwipsToPixels(720), bands.headerTop);
  EXPECT_EQ(TwipsToPixels(600), bands.footerTop);
  document = NewDocument();
  ASSERT_EQ(0, Import(*document, "{\\rtf1\\cols3\\sectd x}"));
  EXPECT_EQ(1, document->GetParams().GetColumns());
}

// An opened file starts from RTF's own margins and distances, not from the
// document's: a word present sets its own, the others keep RTF's (left and
// right 1800 twips, top and bottom 1440, header and footer 720). A paste
// leaves the document's page alone.
TEST_F(ImportRTF, MarginsAFileDoesNotGiveAreRtfs) {
  struct Row {
    const char* rtf;
    int32_t left, right, top, bottom, header, footer;  // twips
  };
  const Row rows[] = {
      {"{\\rtf1 x}", 1800, 1800, 1440, 1440, 720, 720},
      {"{\\rtf1\\margl1000\\margb2000 x}", 1000, 1800, 1440, 2000, 720, 720},
      {"{\\rtf1\\margt2000\\headery900\\footery500 x}", 1800, 1800, 2000, 1440, 900, 500},
      {"{\\rtf1\\sectd\\marglsxn600\\margrsxn700\\margtsxn800\\margbsxn900\\headery300\\footery200 "
       "x}",
       600, 700, 800, 900, 300, 200},
      // A title page has the section's margins and distances too.
      {"{\\rtf1\\titlepg\\margt1000\\margb1200\\headery400\\footery300{\\headerf First\\par} x}",
       1800, 1800, 1000, 1200, 400, 300},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.rtf);
    auto document = NewDocument();
    xMorvaDocParams& params = document->Params();
    params.SetLeftMargin(TwipsToPixels(3000));
    params.SetRightMargin(TwipsToPixels(3000));
    params.GetBands(false).topMargin = TwipsToPixels(3000);
    params.GetBands(false).bottomMargin = TwipsToPixels(3000);
    params.GetBands(false).headerTop = TwipsToPixels(1000);
    ASSERT_EQ(0, Import(*document, row.rtf));
    const xMorvaPageBands& bands = params.GetBands(false);
    EXPECT_EQ(TwipsToPixels(row.left), params.GetLeftMargin());
    EXPECT_EQ(TwipsToPixels(row.right), params.GetRightMargin());
    EXPECT_EQ(TwipsToPixels(row.top), bands.topMargin);
    EXPECT_EQ(TwipsToPixels(row.bottom), bands.bottomMargin);
    EXPECT_EQ(TwipsToPixels(row.header), bands.headerTop);
    // The footer without text reaches down from \footery, which stands
    // no lower than a footer prints.
    EXPECT_EQ(std::max(TwipsToPixels(row.footer), xMorvaDocParams::FooterFloor()), bands.footerTop);
    // The first page's, whether or not it has a layout of its own.
    EXPECT_EQ(bands, params.GetBands(true));
    const xMorvaPageBands opened = bands;
    ASSERT_EQ(0, Import(*document, "{\\rtf1\\margl100 y}", true));
    EXPECT_EQ(TwipsToPixels(row.left), params.GetLeftMargin());
    EXPECT_TRUE(opened == params.GetBands(false));
  }
}

// Settings the text gives before it names a style (our own files write
// \s after the character settings) are its own: the style does not undo
// them; \plain and \pard let the next style's settings apply again.
TEST_F(ImportRTF, ExplicitSettingsBeforeAStyleStay) {
  auto document = NewDocument();
  ASSERT_EQ(0, Import(*document,
                      "{\\rtf1{\\stylesheet{\\s1\\caps0\\b0\\qc Sheet;}}\\caps\\b\\s1 a\\par"
                      "\\pard\\plain\\s1 b\\par\\pard\\qr\\s1 c}"));
  EXPECT_EQ(1, At(*document, 0, kPropLetterCase));
  EXPECT_EQ(1, At(*document, 0, kPropBold));
  EXPECT_EQ(1, At(*document, 0, kPropAlignment));
  EXPECT_EQ(0, At(*document, 2, kPropBold));
  EXPECT_EQ(2, At(*document, 4, kPropAlignment));
}

// A style keeps its first 256 settings: later ones are dropped, so a file
// cannot make each paragraph naming its style cost what the file holds.
TEST_F(ImportRTF, StylesKeepTheirFirstSettingsOnly) {
  std::string sheet;
  for (int i = 0; i < 255; ++i) sheet += "\\i";
  auto document = NewDocument();
  ASSERT_EQ(0, Import(*document, "{\\rtf1{\\stylesheet{\\s1" + sheet + "\\ul\\b Long;}}\\s1 a}"));
  EXPECT_EQ(1, At(*document, 0, kPropItalic));
  EXPECT_EQ(1, At(*document, 0, kPropUnderline));
  EXPECT_EQ(0, At(*document, 0, kPropBold));
}

namespace {

// Calls `visit` with each special element of the part, in order: its code
// and where its bytes start.
template <typename Visit>
void ForEachElement(xMorvaDocument& document, int16_t part, Visit visit) {
  xMorvaEngine& engine = Engine(document, part);
  const uint32_t size = engine.GetStreamSize();
  const uint8_t* stream = size != 0 ? engine.LockStream() : nullptr;
  for (uint32_t at = 0; stream != nullptr && at < size;) {
    const StreamItem item = ReadStreamItem(stream + at, size - at);
    if (item.kind == StreamItem::kElement) visit(item.unit, stream + at);
    at += item.size;
  }
  if (stream != nullptr) engine.UnlockStream();
}

// The codes of the part's special elements, in order.
std::vector<uint16_t> ElementCodes(xMorvaDocument& document, int16_t part) {
  std::vector<uint16_t> codes;
  ForEachElement(document, part, [&](uint16_t code, const uint8_t*) { codes.push_back(code); });
  return codes;
}

// The object of each computed element of the part (a page number's format
// word, a date's date-time word), in order.
std::vector<uint32_t> ComputedObjects(xMorvaDocument& document, int16_t part) {
  std::vector<uint32_t> objects;
  ForEachElement(document, part, [&](uint16_t code, const uint8_t* element) {
    if (code != xMorvaElementCode::PageNumber && code != xMorvaElementCode::DateTime) return;
    const uint8_t* object = element + kElementHeadSize + kComputedHeadSize;
    objects.push_back(code == xMorvaElementCode::PageNumber ? StreamLong(object) : StreamUnit(object));
  });
  return objects;
}

constexpr uint16_t kSoft = xMorvaElementCode::SoftHyphen;
constexpr uint16_t kPage = xMorvaElementCode::PageBreak;
constexpr uint16_t kColumn = xMorvaElementCode::ColBreak;

}  // namespace

// A soft hyphen is the invisible hyphen element however it is written:
// \-, the character 173 as \'ad (AbiWord) or as \u173. A non-breaking
// hyphen is U+2011.
TEST_F(ImportRTF, HyphensOfEveryFormBecomeTheirElementOrCharacter) {
  ExpectElements({
      {"{\\rtf1 Donau\\-dampf}", "Donau\x1f" "dampf", {kSoft}},
      {"{\\rtf1\\ansi Donau\\'addampf}", "Donau\x1f" "dampf", {kSoft}},
      {"{\\rtf1\\uc0 Donau\\u173 dampf}", "Donau\x1f" "dampf", {kSoft}},
      {"{\\rtf1 Donau\\u173?dampf\\'ad}", "Donau\x1f" "dampf\x1f", {kSoft, kSoft}},
      {"{\\rtf1 non\\_breaking}", "non<2011>breaking", {}},
      {"{\\rtf1{\\listtext a\\'adb\\tab}x}", "a\x1f" "b\tx", {kSoft, xMorvaElementCode::Tab}},
  }, kPartBody);
}

// \sect ends its paragraph. The section that follows starts on a new page
// (the default, \sbkpage, \sbkodd, \sbkeven: a page break), in a new
// column (\sbkcol: a column break), or right on (\sbknone: nothing more).
// A \sect that nothing follows adds nothing.
TEST_F(ImportRTF, ASectionEndsItsParagraphWithTheBreakTheNextStartsWith) {
  ExpectElements({
      {"{\\rtf1\\pard First paragraph\\sect\\sectd\\sbknone\\pard Second paragraph\\par}",
       "First paragraph\nSecond paragraph", {}},
      {"{\\rtf1 A\\sect B}", "A\fB", {kPage}},
      {"{\\rtf1 A\\sect\\sectd B}", "A\fB", {kPage}},
      {"{\\rtf1 A\\sect\\sectd\\sbkcol B}", "A\fB", {kColumn}},
      {"{\\rtf1 A\\sect\\sectd\\sbkodd B}", "A\fB", {kPage}},
      {"{\\rtf1 A\\sect\\sectd\\sbkeven B}", "A\fB", {kPage}},
      {"{\\rtf1 A\\sect\\sectd\\sbkpage B}", "A\fB", {kPage}},
      // LibreOffice ends a section with \par\sect: the paragraph end is the
      // section's.
      {"{\\rtf1\\sbknone A\\par\\sect B}", "A\nB", {}},
      {"{\\rtf1 A\\par \\sect\\sectd\\sbknone\\pard B\\par}", "A\nB", {}},
      {"{\\rtf1 A\\par \\sect\\sectd\\pard B\\par \\sect\\sectd\\sbkcol C}", "A\fB\fC", {kPage, kColumn}},
      {"{\\rtf1 A\\par\\par\\sect B}", "A\n\fB", {kPage}},
      {"{\\rtf1 A\\par\\sect\\sect}", "A\f", {kPage}},
      {"{\\rtf1 A\\par\\sect\\sect B}", "A\f\fB", {kPage, kPage}},
      {"{\\rtf1\\sbknone A\\par\\sect\\sect B}", "A\nB", {}},
      {"{\\rtf1 A\\sect\\sectd\\sbknone B\\sect\\sectd\\sbkcol C\\par}", "A\nB\fC", {kColumn}},
      {"{\\rtf1 A\\sect}", "A", {}},
      {"{\\rtf1 A\\par\\sect}", "A", {}},
      {"{\\rtf1 A\\sect\\sectd\\sbknone\\par B}", "A\n\nB", {}},
      {"{\\rtf1{\\header H\\sect h}A}", "A", {}},
  }, kPartBody);
  auto document = NewDocument();
  ASSERT_EQ(0, Import(*document, "{\\rtf1{\\header H\\sect h}A}"));
  EXPECT_EQ("Hh", TextOf(*document, kPartHeader));
  // A paste takes the section's paragraph end too, and its last one joins
  // the text after the insertion point.
  document = NewDocument();
  ASSERT_EQ(0, Import(*document, "{\\rtf1 x}"));
  Engine(*document, kPartBody).SetSelection(1, 1);
  ASSERT_EQ(0, Import(*document, "{\\rtf1 A\\sect\\sectd\\sbknone B\\sect}", true));
  EXPECT_EQ("xA\nB", TextOf(*document, kPartBody));
}

// \pagebb starts its paragraph on a new page: the paragraph end before it
// becomes a page break, as LibreOffice writes every manual page break. It
// lasts until \pard or the end of its group, and a paragraph that starts
// the text, or follows a break already, breaks nothing more.
TEST_F(ImportRTF, PageBreakBeforeTheParagraphBreaksThePage) {
  ExpectElements({
      {"{\\rtf1\\pard A\\par\\pard\\pagebb B\\par\\pard C\\par}", "A\fB\nC", {kPage}},
      {"{\\rtf1\\pard A\\par\\pard\\pagebb B\\par\\pard\\pagebb C}", "A\fB\fC", {kPage, kPage}},
      {"{\\rtf1\\pard A\\par\\pard\\pagebb B\\par C\\par}", "A\fB\fC", {kPage, kPage}},
      {"{\\rtf1\\pard A\\par{\\pagebb B\\par}C\\par}", "A\fB\nC", {kPage}},
      {"{\\rtf1\\pard A\\par\\pard\\pagebb\\par\\pard B}", "A\f\nB", {kPage}},
      {"{\\rtf1\\pard\\pagebb A\\par\\pard B}", "A\nB", {}},
      {"{\\rtf1\\pard A\\page\\pard\\pagebb B}", "A\fB", {kPage}},
      {"{\\rtf1\\pard A\\par\\sect\\sectd\\pard\\pagebb B}", "A\fB", {kPage}},
      {"{\\rtf1\\pard A\\par\\pard\\pagebb0 B}", "A\nB", {}},
      {"{\\rtf1{\\header\\pard H\\par\\pard\\pagebb h}A}", "A", {}},
  }, kPartBody);
  auto document = NewDocument();
  ASSERT_EQ(0, Import(*document, "{\\rtf1{\\header\\pard H\\par\\pard\\pagebb h}A}"));
  EXPECT_EQ("H\nh", TextOf(*document, kPartHeader));
}

// The document holds one set of page settings: the first section's, as a
// Word file's. A later section's margins, header and footer distances and
// columns change nothing, and its header or footer group adds nothing to a
// part an earlier section gave; a part no section gave yet takes it.
TEST_F(ImportRTF, TheFirstSectionsSettingsHold) {
  auto document = NewDocument();
  ASSERT_EQ(0, Import(*document,
                      "{\\rtf1\\paperw11906\\paperh16838\\sectd\\headery567\\footery567\\margtsxn1417"
                      "\\margbsxn1134\\marglsxn1134\\margrsxn1134{\\header\\pard H1\\par}A"
                      "\\sect\\sectd\\sbknone\\headery0\\footery0\\margtsxn2000\\margbsxn2000\\marglsxn500"
                      "\\cols2\\colsx567{\\header\\pard H2\\par}{\\footer\\pard F2\\par}B"
                      "\\sect\\sectd\\paperw5000{\\footer\\pard F3\\par}C}"));
  const xMorvaDocParams& params = document->GetParams();
  const xMorvaPageBands& bands = params.GetBands(false);
  EXPECT_EQ(TwipsToPixels(1134), params.GetLeftMargin());
  EXPECT_EQ(TwipsToPixels(1134), params.GetRightMargin());
  EXPECT_EQ(TwipsToPixels(1417), bands.topMargin);
  EXPECT_EQ(TwipsToPixels(1134), bands.bottomMargin);
  EXPECT_EQ(TwipsToPixels(567), bands.headerTop);
  // The footer's last line ends at the first section's \footery.
  EXPECT_EQ(TwipsToPixels(567), bands.footerBottom);
  EXPECT_GT(bands.footerTop, bands.footerBottom);
  EXPECT_EQ(1, params.GetColumns());
  EXPECT_NEAR(TwipsToPixels(11906), params.GetPageWidth(), 1);
  EXPECT_EQ("H1", TextOf(*document, kPartHeader));
  EXPECT_EQ("F2", TextOf(*document, kPartFooter));
  EXPECT_EQ("A\nB\fC", TextOf(*document, kPartBody));
  // Within a section, a second group for a part replaces the first.
  document = NewDocument();
  ASSERT_EQ(0, Import(*document, "{\\rtf1{\\footer\\pard F1\\par}\\sectd{\\header H}A{\\footer\\pard\\qc F2\\par}"
                                 "\\sect\\sectd{\\footer\\pard F3\\par}B}"));
  EXPECT_EQ("F2", TextOf(*document, kPartFooter));
  EXPECT_EQ(1, At(*document, 0, kPropAlignment, kPartFooter));
  EXPECT_EQ("H", TextOf(*document, kPartHeader));
}

// PAGE and NUMPAGES fields, and the date and time fields our writer
// writes, become live elements in place of their results (with no result
// at all, as AbiWord writes them, too); the page number takes the style
// of the \pgn word before it. Any other field keeps its result text.
TEST_F(ImportRTF, PageAndDateFieldsAreLive) {
  constexpr uint16_t kNumber = xMorvaElementCode::PageNumber;
  constexpr uint16_t kDate = xMorvaElementCode::DateTime;
  ExpectElements({
      {"{\\rtf1{\\footer Page {\\field{\\*\\fldinst PAGE}{\\fldrslt 7}} of "
       "{\\field{\\*\\fldinst NUMPAGES}{\\fldrslt 9}}\\par}}",
       "Page \x1f of \x1f", {kNumber, kNumber}, {0, kPageNumberCount}},
      {"{\\rtf1{\\footer Page {\\field{\\*\\fldinst {\\f0 PAGE }}} of {\\field{\\*\\fldinst {\\f0 NUMPAGES }}}}}",
       "Page \x1f of \x1f", {kNumber, kNumber}, {0, kPageNumberCount}},
      {"{\\rtf1{\\footer {\\field{\\*\\fldinst page \\\\* MERGEFORMAT}{\\fldrslt 3}}}}", "\x1f", {kNumber}, {0}},
      {"{\\rtf1{\\footer \\pgnucrm{\\field{\\*\\fldinst { PAGE }}{\\fldrslt{I}}}}}", "\x1f", {kNumber},
       {4u << kPageNumberStyleShift}},
      {"{\\rtf1{\\footer \\pgnlcltr\\chpgn}}", "\x1f", {kNumber}, {1u << kPageNumberStyleShift}},
      {"{\\rtf1{\\footer {\\field{\\*\\fldinst{ TIME \\\\@ \"dd/MM/yy HH:mm\"}}{\\fldrslt{08/12/26 15:00}}}}}",
       "\x1f", {kDate}, {0x0102}},
      {"{\\rtf1{\\footer {\\field{\\*\\fldinst{ TIME \\\\@ \"d MMMM, yyyy\"}}{\\fldrslt{8 December, 2026}}}}}",
       "\x1f", {kDate}, {0x0500}},
      {"{\\rtf1{\\footer {\\field{\\*\\fldinst{ TIME \\\\@ \"h:mm\"}}{\\fldrslt{3:00}}}}}", "\x1f", {kDate},
       {0x0005}},
      {"{\\rtf1{\\footer {\\field{\\*\\fldinst{ TIME \\\\@ \"yyyy\"}}{\\fldrslt{2026}}}}}", "2026", {}, {}},
      {"{\\rtf1{\\footer {\\field{\\*\\fldinst SECTIONPAGES}{\\fldrslt 4}}}}", "4", {}, {}},
      {"{\\rtf1{\\footer {\\field{\\*\\fldinst HYPERLINK \"http://a.b\"}{\\fldrslt link}}}}", "link", {}, {}},
  }, kPartFooter);
  // In the body too.
  auto document = NewDocument();
  ASSERT_EQ(0, Import(*document, "{\\rtf1 p{\\field{\\*\\fldinst PAGE}{\\fldrslt 7}}q}"));
  EXPECT_EQ("p\x1fq", TextOf(*document, kPartBody));
}

// A DATE or TIME field becomes a date element in the nearest of our forms;
// a picture no form fits (a year alone) keeps its result, and with no
// result it still shows the nearest form rather than nothing. AbiWord
// writes its dates with no result and no quotation marks.
TEST_F(ImportRTF, DateAndTimeFieldsTakeTheNearestForm) {
  constexpr uint16_t kDate = xMorvaElementCode::DateTime;
  struct Row {
    const char* instruction;
    const char* result;
    uint32_t form;  // 0: the result stays as text
  };
  const Row rows[] = {
      {"TIME \\\\@ m/d/yy", "", 0x0100},
      {"DATE \\\\@ \"d MMMM yyyy\"", "", 0x0500},
      {"DATE \\\\@ \"d MMMM yyyy\"", "8 December 2026", 0x0500},
      {"DATE \\\\@ \"M/d/yyyy\"", "12/8/2026", 0x0700},
      {"DATE \\\\@ \"dd.MM.yy\"", "", 0x0100},
      {"DATE \\\\@ \"dddd, MMMM dd, yyyy\"", "", 0x0300},
      {"DATE \\\\@ \"ddd d MMMM yyyy\"", "", 0x0200},
      {"DATE \\\\@ \"d MMM yy\"", "", 0x0600},
      {"DATE \\\\@ \"d MMMM, yyyy\"", "", 0x0500},
      {"TIME \\\\@ \"h:mm am/pm\"", "", 0x0005},
      {"TIME \\\\@ \"HH:mm:ss\"", "", 0x0001},
      {"TIME \\\\@ \"HH:mm\"", "", 0x0002},
      {"DATE \\\\@ \"dd/MM/yyyy HH:mm\" \\\\* MERGEFORMAT", "", 0x0702},
      {"DATE \\\\@ \"'Day' d 'of' MMMM\"", "", 0x0500},
      {"DATE", "", 0x0500},
      {"DATE", "Tuesday", 0x0500},
      {"TIME", "", 0x0005},
      {"DATE \\\\@ \"yyyy\"", "2026", 0},
      {"DATE \\\\@ \"yyyy\"", "", 0x0700},
      {"TIME \\\\@ \"'noon'\"", "", 0x0005},
      {"TIME \\\\@ \"'noon'\"", "midday", 0},
  };
  // The RTF and the text of each row, held while the cases point at them.
  std::vector<std::string> rtf;
  std::vector<std::string> text;
  for (const Row& row : rows) {
    rtf.push_back(std::string("{\\rtf1{\\footer Date: {\\field{\\*\\fldinst {") + row.instruction + "}}" +
                  (*row.result != 0 ? std::string("{\\fldrslt ") + row.result + "}" : "") + "}}}");
    text.push_back(row.form != 0 ? "Date: \x1f" : std::string("Date: ") + row.result);
  }
  std::vector<ElementCase> cases;
  for (size_t i = 0; i < std::size(rows); ++i) {
    if (rows[i].form != 0)
      cases.push_back({rtf[i].c_str(), text[i].c_str(), {kDate}, {rows[i].form}});
    else
      cases.push_back({rtf[i].c_str(), text[i].c_str(), {}, {}});
  }
  ExpectElements(cases, kPartFooter);
  // A field shows in the look of its instruction, where AbiWord gives it;
  // the text after it goes on in its own.
  auto document = NewDocument();
  ASSERT_EQ(0, Import(*document, "{\\rtf1{\\footer {\\fs18 Page }{\\field{\\*\\fldinst {\\fs18 PAGE }}}"
                                 "{\\fs18  at }{\\field{\\*\\fldinst {\\fs18 TIME \\\\@ \"'noon'\"}}} x}}"));
  ASSERT_EQ("Page \x1f at \x1f x", TextOf(*document, kPartFooter));
  EXPECT_EQ(9, At(*document, 5, kPropSize, kPartFooter));
  EXPECT_EQ(9, At(*document, 10, kPropSize, kPartFooter));
  EXPECT_EQ(12, At(*document, 12, kPropSize, kPartFooter));
}

// Our own page numbers and dates come back live from our own RTF.
TEST_F(ImportRTF, OwnPageNumbersAndDatesSurviveARoundTrip) {
  auto document = NewDocument();
  xMorvaEngine& footer = Engine(*document, kPartFooter);
  Type(footer, u"Page ");
  ASSERT_EQ(0, footer.InsertPageNumberField(3u << kPageNumberStyleShift, false));
  footer.SetSelection(footer.GetLength(), footer.GetLength());
  Type(footer, u" of ");
  ASSERT_EQ(0, footer.InsertPageNumberField(kPageNumberCount, false));
  footer.SetSelection(footer.GetLength(), footer.GetLength());
  VDateRec date{};
  date.year = 2026;
  date.month = 12;
  date.day = 8;
  for (uint16_t format : {uint16_t(0x0701), uint16_t(0x0300), uint16_t(0x0002)}) {
    Type(footer, u" ");
    ASSERT_EQ(0, footer.InsertDateTimeField(date, 3600, format, false));
    footer.SetSelection(footer.GetLength(), footer.GetLength());
  }
  Type(Engine(*document, kPartBody), u"x");
  const std::vector<uint32_t> objects = ComputedObjects(*document, kPartFooter);
  ASSERT_EQ(5u, objects.size());
  auto read = NewDocument();
  const std::string rtf = Export(*document);
  ASSERT_EQ(0, Import(*read, rtf)) << rtf;
  EXPECT_EQ(objects, ComputedObjects(*read, kPartFooter)) << rtf;
  EXPECT_EQ(TextOf(*document, kPartFooter), TextOf(*read, kPartFooter));
}

// A locked field (\fldlock) keeps the date it shows, through our own RTF
// as often as it goes round; an unlocked one becomes today's. A field in a
// locked field's result is locked only by its own word.
TEST_F(ImportRTF, ALockedDateKeepsItsResult) {
  constexpr uint16_t kDate = xMorvaElementCode::DateTime;
  ExpectElements({
      {"{\\rtf1 Date: {\\field\\fldlock{\\*\\fldinst DATE \\\\@ \"d MMMM yyyy\"}{\\fldrslt 14 March 2026}}}",
       "Date: 14 March 2026", {}, {}},
      {"{\\rtf1 Date: {\\field{\\*\\fldinst DATE \\\\@ \"d MMMM yyyy\"}{\\fldrslt 14 March 2026}}}",
       "Date: \x1f", {kDate}, {0x0500}},
      {"{\\rtf1 {\\field\\fldlock{\\*\\fldinst TIME}{\\fldrslt 10:30}}}", "10:30", {}, {}},
      {"{\\rtf1 {\\field\\fldlock{\\*\\fldinst DATE \\\\@ \"yyyy\"}}x}", "x", {}, {}},
      {"{\\rtf1 {\\field\\fldlock{\\*\\fldinst REF a}{\\fldrslt {\\field{\\*\\fldinst DATE}{\\fldrslt d}}}}}",
       "\x1f", {kDate}, {0x0500}},
  }, kPartBody);
  auto document = NewDocument();
  std::string rtf = "{\\rtf1 Date: {\\field\\fldlock{\\*\\fldinst DATE \\\\@ \"d MMMM yyyy\"}{\\fldrslt 14 March 2026}}}";
  for (int round = 1; round <= 3; ++round) {
    SCOPED_TRACE(round);
    document = NewDocument();
    ASSERT_EQ(0, Import(*document, rtf));
    EXPECT_EQ("Date: 14 March 2026", TextOf(*document, kPartBody));
    EXPECT_TRUE(ElementCodes(*document, kPartBody).empty());
    rtf = Export(*document);
  }
}

// AbiWord writes a list item's whole paragraph, its \par included, inside
// its {\listtext} group: each item stays its own paragraph, with the
// settings the group gives it.
TEST_F(ImportRTF, ListItemsInsideTheirLabelGroupStayApart) {
  auto document = NewDocument();
  ASSERT_EQ(0, Import(*document,
                      "{\\rtf1\\pard\\qc Intro\\par"
                      "{\\listtext\\pard\\fi-360\\li720{\\f0 \\u8226\\'95\\tab }{\\f0 Timber}{\\f0 \\par}\r\n}"
                      "{\\listtext\\pard\\fi-360\\li720{\\tab }{Grain}{\\par}\r\n}"
                      "\\pard\\plain After\\par}"));
  EXPECT_EQ("Intro\n<2022>\tTimber\n\tGrain\nAfter", TextOf(*document, kPartBody));
  const auto positions = Positions(*document, kPartBody);
  ASSERT_EQ(27u, positions.size());
  EXPECT_EQ(1, positions[0].properties.at(kPropAlignment));
  for (size_t item : {6u, 15u}) {
    EXPECT_EQ(TwipsToPixels(720), positions[item].properties.at(kPropLeftIndent)) << item;
    EXPECT_EQ(TwipsToPixels(-360), positions[item].properties.at(kPropFirstLineIndent)) << item;
    EXPECT_EQ(0, positions[item].properties.at(kPropAlignment)) << item;
  }
  EXPECT_EQ(0, positions[22].properties.at(kPropLeftIndent));
}

// Space before a paragraph widens the interline of the paragraph above
// it, as a Word file's does: it shows above the paragraph, and not at
// all above the first. The paragraph above may have an interline record
// of its own or go on with the one before it, and may be long enough to
// have gone to the engine already.
TEST_F(ImportRTF, SpaceBeforeWidensTheParagraphAbove) {
  ScopedResolution dpi(96);
  struct Case {
    std::string rtf;
    size_t position;
    bool widened;
  };
  std::string longParagraph;
  for (int i = 0; i < 14000; ++i) longParagraph += "word ";
  const Case cases[] = {
      {"{\\rtf1\\pard a\\par\\pard\\sb240 b\\par}", 0, true},
      {"{\\rtf1\\pard a\\par\\pard\\sb240 b\\par}", 2, false},
      {"{\\rtf1\\pard\\sb240 a\\par}", 0, false},
      {"{\\rtf1\\pard\\sb240 a\\par\\pard b\\par}", 0, false},
      {"{\\rtf1\\pard\\sl360\\slmult1 a\\par\\pard\\sb240 b}", 0, true},
      {"{\\rtf1\\pard a\\par\\pard b\\par\\pard\\sb240 c\\par\\pard d}", 0, false},
      {"{\\rtf1\\pard a\\par\\pard b\\par\\pard\\sb240 c\\par\\pard d}", 2, true},
      {"{\\rtf1\\pard a\\par\\pard b\\par\\pard\\sb240 c\\par\\pard d}", 4, false},
      {"{\\rtf1\\pard a\\page\\pard\\sb240 b}", 0, true},
      {"{\\rtf1\\pard a\\sect\\sectd\\sbknone\\pard\\sb240 b}", 0, true},
      {"{\\rtf1\\pard " + longParagraph + "\\par\\pard x\\par\\pard\\sb2400 y\\par}", 70001, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rtf.substr(0, 80));
    auto document = NewDocument();
    ASSERT_EQ(0, Import(*document, c.rtf));
    const auto positions = Positions(*document, kPartBody);
    ASSERT_LT(c.position, positions.size());
    const int32_t own = c.rtf.find("\\sl360") != std::string::npos ? 15 : 10;
    if (c.widened)
      EXPECT_GT(positions[c.position].properties.at(kPropInterline), own);
    else
      EXPECT_EQ(own, positions[c.position].properties.at(kPropInterline));
  }
  // The text after a widened paragraph is back at its own interline.
  auto document = NewDocument();
  ASSERT_EQ(0, Import(*document, "{\\rtf1\\pard a\\par\\pard\\sb240 b\\par\\pard c}"));
  EXPECT_EQ(10, At(*document, 2, kPropInterline));
  EXPECT_EQ(10, At(*document, 4, kPropInterline));
}

// A right stop at the right margin (LibreOffice's header and footer styles
// all have one) stays the line's stop: the text width, the page's width
// and both margins each rounded to pixels, can come out a pixel or two
// narrower than the stop rounded once. A stop further out is still left
// to the default stops.
TEST_F(ImportRTF, AStopAtTheTextWidthIsKept) {
  struct Case {
    int32_t resolution;
    const char* stop;
    bool kept;
  };
  const Case cases[] = {
      {96, "\\tqr\\tx9638", true},  {72, "\\tqr\\tx9638", true},   {120, "\\tqr\\tx9638", true},
      {144, "\\tqr\\tx9638", true}, {96, "\\tqr\\tx9600", true},   {96, "\\tqr\\tx10000", false},
      {96, "\\tqc\\tx4819", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.resolution) + c.stop);
    ScopedResolution dpi(c.resolution);
    auto document = NewDocument();
    ASSERT_EQ(0, Import(*document, std::string("{\\rtf1\\paperw11906\\paperh16838\\margl1134\\margr1134\\sectd"
                                               "{\\header\\pard") + c.stop + " Left\\tab Right\\par}x}"));
    const auto positions = Positions(*document, kPartHeader);
    ASSERT_FALSE(positions.empty());
    ASSERT_EQ(1u, positions[0].tabs.size());
    xMorvaTabs tabs;
    tabs.AddStop(positions[0].tabs[0]);
    uint32_t stop = 0;
    bool isDefault = true;
    tabs.NextStop(int16_t(TwipsToPixels(1000)), *document, kPartHeader, 0, stop, isDefault);
    EXPECT_EQ(!c.kept, isDefault);
    if (!c.kept) continue;
    EXPECT_EQ(TabStopKind(positions[0].tabs[0]), TabStopKind(stop));
    const int32_t width = document->GetTextWidth(kPartHeader);
    EXPECT_EQ(std::min(width, int32_t(TabStopPosition(positions[0].tabs[0]))), TabStopPosition(stop));
  }
}

namespace {

// Character sizes read from RTF and HTML land in the sizes a character can
// have (1 to 255 points), whatever the file asks for, and the document saved
// in the own format reads back without a repair.
class ImportedSizes : public Fixture {
 protected:
  // The size of the first character, after the document went through the
  // own format; -1 when the saved document did not read back cleanly.
  int32_t SizeAfterSaving(xMorvaDocument& document) {
    auto again = NewDocument();
    if (documentfile::Read(*again, documentfile::Write(document)) != 0) return -1;
    return Positions(*again, kPartBody).at(0).properties.at(kPropSize);
  }
};

struct SizeCase {
  const char* words;
  int32_t points;
};

TEST_F(ImportedSizes, RtfSizesStayInRangeAndSaveCleanly) {
  const SizeCase cases[] = {
      {"\\fs0", 12},    {"\\fs1", 1},     {"\\fs2", 1},     {"\\fs3", 1},     {"\\fs4", 2},
      {"\\fs400", 200}, {"\\fs510", 255}, {"\\fs511", 255}, {"\\fs512", 255}, {"\\fs600", 255},
      {"\\fs3276", 255}, {"\\fs99999", 255},
  };
  for (const SizeCase& c : cases) {
    SCOPED_TRACE(c.words);
    auto document = NewDocument();
    ASSERT_EQ(0, Import(*document, std::string("{\\rtf1 ") + c.words + " x\\par}"));
    EXPECT_EQ(c.points, Positions(*document, kPartBody).at(0).properties.at(kPropSize));
    EXPECT_EQ(c.points, SizeAfterSaving(*document));
  }
}

// Our own RTF of a large size reads back at that size.
TEST_F(ImportedSizes, RtfOfLargeSizesReadsBackWhole) {
  for (int32_t points : {1, 127, 128, 200, 255}) {
    SCOPED_TRACE(points);
    auto document = NewDocument();
    std::string rtf = "{\\rtf1 \\fs" + std::to_string(2 * points) + " x\\par}";
    ASSERT_EQ(0, Import(*document, rtf));
    auto again = NewDocument();
    ASSERT_EQ(0, Import(*again, Export(*document)));
    EXPECT_EQ(points, Positions(*again, kPartBody).at(0).properties.at(kPropSize));
  }
}

TEST_F(ImportedSizes, HtmlFontSizesStayInRangeAndSaveCleanly) {
  const SizeCase cases[] = {
      {"<font size=0>", 8},  {"<font size=-9>", 8}, {"<font size=+99>", 36},
      {"<font size=99>", 36}, {"<big><big><big><big><big><big>", 14},
  };
  for (const SizeCase& c : cases) {
    SCOPED_TRACE(c.words);
    auto document = NewDocument();
    const std::string html = std::string("<html><body>") + c.words + "x</body></html>";
    xMorvaImportHTML reader;
    ASSERT_EQ(0, reader.ImportHTMLBytes(*document, reinterpret_cast<const uint8_t*>(html.data()),
                                        uint32_t(html.size()), ""));
    EXPECT_EQ(c.points, Positions(*document, kPartBody).at(0).properties.at(kPropSize));
    EXPECT_EQ(c.points, SizeAfterSaving(*document));
  }
}

}  // namespace
