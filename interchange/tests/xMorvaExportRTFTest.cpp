// A document written as RTF: the bytes of text and properties, the tables
// and settings, the header and footer groups, and what the reader reads back.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "area/view/xMorvaHyperlink.h"
#include "boundary/HostDisplayRoutines.h"
#include "document/DocumentUnits.h"
#include "document/xMorvaStyleSheet.h"
#include "engine/xMorvaFont.h"
#include "engine/xMorvaPictureElement.h"
#include "framework/core/values/VPictureMaker.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "graphics/VMetafilePort.h"
#include "graphics/pictures/VEmfPictureData.h"
#include "graphics/pictures/VPictureData.h"
#include "interchange/tests/LinkTestSupport.h"

using namespace rtftest;

namespace {
class ExportRTF : public Fixture {};

bool Has(const std::string& rtf, const std::string& piece) { return rtf.find(piece) != std::string::npos; }

// The body part of the output: what follows the style sheet group.
std::string BodyOf(const std::string& rtf) {
  const size_t sheets = rtf.find("{\\stylesheet");
  if (sheets == std::string::npos) return rtf;
  int depth = 0;
  for (size_t i = sheets; i < rtf.size(); ++i) {
    if (rtf[i] == '{' && rtf[i - 1] != '\\') ++depth;
    if (rtf[i] == '}' && rtf[i - 1] != '\\' && --depth == 0) return rtf.substr(i + 1);
  }
  return rtf;
}
}  // namespace

TEST_F(ExportRTF, TextIsEscapedAndParagraphsEndWithPar) {
  auto document = NewDocument();
  Type(Engine(*document, kPartBody), u"a{b}\\c \u00e9\u00a0\u4e2d\uffe5\nnext");
  const std::string body = BodyOf(Export(*document));
  EXPECT_TRUE(Has(body, "a\\{b\\}\\\\c ")) << body;
  EXPECT_TRUE(Has(body, "\\u233\\'")) << body;
  EXPECT_TRUE(Has(body, "\\~")) << body;
  // Units above 32767 are written as signed 16-bit numbers.
  EXPECT_TRUE(Has(body, "\\u20013\\'")) << body;
  EXPECT_TRUE(Has(body, "\\u-27\\'")) << body;
  EXPECT_TRUE(Has(body, "\r\n\\par next")) << body;
  EXPECT_EQ("}", body.substr(body.size() - 1));
}

TEST_F(ExportRTF, PropertiesBecomeControlWords) {
  auto document = NewDocument();
  xMorvaEngine& body = Engine(*document, kPartBody);
  Type(body, u"one two three");
  body.SetSelection(4, 7);
  body.SetPropertyValue(kPropBold, 1);
  body.SetPropertyValue(kPropTextColour, 0x0000FF);
  body.SetSelection(0, 1);
  body.SetPropertyValue(kPropInterline, 15);
  body.SetPropertyValue(kPropAlignment, 2);
  const std::string rtf = Export(*document);
  const std::string text = BodyOf(rtf);
  EXPECT_TRUE(Has(text, " one \\cf7\\b two\\b0\\cf1  three")) << text;
  EXPECT_TRUE(Has(text, "\\qr\\sl360\\slmult1")) << text;
  // Text without a background says nothing of it.
  EXPECT_FALSE(Has(rtf, "\\highlight")) << rtf;
  EXPECT_FALSE(Has(text, "\\li")) << text;
  EXPECT_TRUE(Has(rtf, "{\\colortbl;\\red0\\green0\\blue0;\\red51\\green153\\blue255;")) << rtf;
}

// Where a background ends, none is written as white's index: readers take
// index 0 for black.
TEST_F(ExportRTF, ABackgroundEndsWithWhitesIndex) {
  auto document = NewDocument();
  xMorvaEngine& body = Engine(*document, kPartBody);
  Type(body, u"one two three");
  body.SetSelection(4, 7);
  body.SetPropertyValue(kPropBackColour, 0x00E6FF);
  const std::string text = BodyOf(Export(*document));
  EXPECT_TRUE(Has(text, " one \\highlight4 two\\highlight9  three")) << text;
  EXPECT_FALSE(Has(text, "\\highlight0")) << text;
}

TEST_F(ExportRTF, FontTableGetsWingdingsOnce) {
  auto document = NewDocument();
  Type(Engine(*document, kPartBody), u"x");
  std::string rtf = Export(*document);
  EXPECT_TRUE(Has(rtf, "{\\f1 Wingdings;}")) << rtf;
  VStr<64> name;
  name.SetAnsiCText("Wingdings");
  document->FontIndexForName(name);
  rtf = Export(*document);
  EXPECT_TRUE(Has(rtf, "{\\f1 Wingdings;}}")) << rtf;
  EXPECT_FALSE(Has(rtf, "{\\f2 Wingdings;}")) << rtf;
}

TEST_F(ExportRTF, HeaderGroupsOnlyForTextAndByFacingPages) {
  auto document = NewDocument();
  Type(Engine(*document, kPartBody), u"body");
  Type(Engine(*document, kPartHeader), u"head");
  std::string rtf = Export(*document);
  EXPECT_TRUE(Has(rtf, "{\\header{")) << rtf;
  EXPECT_FALSE(Has(rtf, "{\\footer")) << rtf;
  EXPECT_FALSE(Has(rtf, "\\lndscpsxn")) << rtf;
  document->Params().SetDifferentLeftRight(1);
  rtf = Export(*document);
  EXPECT_TRUE(Has(rtf, "{\\headerr{")) << rtf;
  EXPECT_TRUE(Has(rtf, "\\facingp")) << rtf;
}

TEST_F(ExportRTF, LinkColourIsInTheTable) {
  auto document = NewDocument();
  document->Params().SetLinkColour(0x123456);
  Type(Engine(*document, kPartBody), u"x");
  const std::string rtf = Export(*document);
  EXPECT_TRUE(Has(rtf, "\\red86\\green52\\blue18;}")) << rtf;
}

TEST_F(ExportRTF, TimeFormatsUseMinutes) {
  EXPECT_STREQ("HH:mm:ss", xMorvaExportRTF::TimeFormat(1));
  EXPECT_STREQ("HH:mm:ss", xMorvaExportRTF::TimeFormat(3));
  EXPECT_STREQ("HH:mm", xMorvaExportRTF::TimeFormat(2));
  EXPECT_STREQ("HH:mm", xMorvaExportRTF::TimeFormat(4));
  EXPECT_STREQ("h:mm", xMorvaExportRTF::TimeFormat(5));
  EXPECT_STREQ("", xMorvaExportRTF::TimeFormat(0));
  EXPECT_STREQ("dd/MM/yyyy", xMorvaExportRTF::DateFormat(7));
}

TEST_F(ExportRTF, SelectionWritesOnlyTheSelection) {
  auto document = NewDocument();
  xMorvaEngine& body = Engine(*document, kPartBody);
  Type(body, u"alpha beta gamma");
  body.SetSelection(6, 10);
  const std::string text = BodyOf(Export(*document, true));
  EXPECT_TRUE(Has(text, "beta")) << text;
  EXPECT_FALSE(Has(text, "alpha")) << text;
  EXPECT_FALSE(Has(text, "gamma")) << text;
}

// Written and read again: the same text, the same character and paragraph
// properties at every position, the same headers and settings.
TEST_F(ExportRTF, RoundTripKeepsTextAndProperties) {
  auto document = NewDocument();
  VStr<64> font;
  font.SetAnsiCText("Liberation Mono");
  const int16_t mono = document->FontIndexForName(font);
  xMorvaEngine& body = Engine(*document, kPartBody);
  Type(body, u"Plain bold italic under big mono red\tend\nSecond {para} \u20ac\nThird");
  struct Run {
    int32_t start, end;
    uint16_t id;
    int32_t value;
  };
  const Run runs[] = {{6, 10, kPropBold, 1},          {11, 17, kPropItalic, 1},   {18, 23, kPropUnderline, 3},
                      {24, 27, kPropSize, 24},        {28, 32, kPropFont, mono},  {33, 36, kPropTextColour, 0x0000FF},
                      {33, 36, kPropBackColour, 0xFFFF00}, {0, 0, kPropAlignment, 1}, {42, 42, kPropLeftIndent, 48},
                      {42, 42, kPropInterline, 20}, {42, 42, kPropFirstLineIndent, -24}};
  for (const Run& run : runs) {
    body.SetSelection(run.start, run.end);
    ASSERT_EQ(0, body.SetPropertyValue(run.id, run.value));
  }
  body.SetSelection(42, 42);
  xMorvaTabs tabs;
  tabs.AddStop(MakeTabStop(96, '.', kTabRight));
  ASSERT_EQ(0, body.SetTabs(tabs));
  Type(Engine(*document, kPartFooter), u"Page foot");
  document->Params().SetLeftMargin(TwipsToPixels(1000));

  const std::string rtf = Export(*document);
  auto copy = NewDocument();
  ASSERT_EQ(0, Import(*copy, rtf)) << rtf;
  EXPECT_EQ(TextOf(*document, kPartBody), TextOf(*copy, kPartBody));
  EXPECT_EQ("Page foot", TextOf(*copy, kPartFooter));
  EXPECT_EQ(document->GetParams().GetLeftMargin(), copy->GetParams().GetLeftMargin());
  const auto original = Positions(*document, kPartBody);
  const auto read = Positions(*copy, kPartBody);
  ASSERT_EQ(original.size(), read.size());
  for (size_t i = 0; i < original.size(); ++i) {
    SCOPED_TRACE(i);
    for (const auto& [id, value] : original[i].properties) {
      if (id == kPropFont) {
        EXPECT_EQ(FontName(*document, value), FontName(*copy, read[i].properties.at(id)));
      } else {
        EXPECT_EQ(value, read[i].properties.at(id)) << "property " << id;
      }
    }
    EXPECT_EQ(original[i].tabs, read[i].tabs);
  }
}

// Breaks, soft hyphens, non-breaking spaces and headers read, written and
// read again give the same text.
TEST_F(ExportRTF, ElementsSurviveARoundTrip) {
  auto document = NewDocument();
  ASSERT_EQ(0, Import(*document, "{\\rtf1{\\header H}body\\page more\\column c\\-d\\~e\\tab f\\par\\par}"));
  const std::string rtf = Export(*document);
  auto copy = NewDocument();
  ASSERT_EQ(0, Import(*copy, rtf));
  EXPECT_EQ(TextOf(*document, kPartBody), TextOf(*copy, kPartBody)) << rtf;
  EXPECT_EQ("body\fmore\fc" "\x1f" "d<00A0>e\tf\n", TextOf(*copy, kPartBody));
  EXPECT_EQ("H", TextOf(*copy, kPartHeader));
  EXPECT_NE(std::string::npos, rtf.find("c\\-d\\~e\\tab f")) << rtf;
}

// A date and time element is written as a TIME field whose picture has
// minutes as "mm"; a hyperlink as a HYPERLINK field in the link colour,
// whose entry the colour table has, and whose result is the link's text as
// the document holds it: its looks and its pictures, in a group whose
// settings end with it (a red text made a link shows in the link colour,
// as in the area). Read back three times, the link's text is text, with
// its looks (pictures are not read).
TEST_F(ExportRTF, FieldsOfDatesAndLinks) {
  VInstalledService<const VPictureMaker> pictures(&kPictureValueMaker);
  auto document = NewDocument();
  document->Params().SetLinkColour(0x00CC33);
  xMorvaEngine& body = Engine(*document, kPartBody);
  Type(body, u"at ");
  VDateRec date{};
  date.day = 7;
  date.month = 12;
  date.year = 2026;
  ASSERT_EQ(0, body.InsertDateTimeField(date, 3600, uint16_t(7 << 8 | 1), false));
  const std::string dates = Export(*document);
  EXPECT_NE(std::string::npos, dates.find("{\\field{\\*\\fldinst{ TIME \\\\@ \"dd/MM/yyyy HH:mm:ss\"}}{\\fldrslt{")) << dates;
  EXPECT_NE(std::string::npos, dates.find("\\red51\\green204\\blue0;}")) << dates;
  struct Row {
    std::function<void(xMorvaEngine&)> make;
    std::string written, read;  // a piece of the output; the text read back
    int32_t italicAt;           // the first of three positions read back in italics, -1 for none
  };
  const Row rows[] = {
      {[](xMorvaEngine& b) { Type(b, u"see "), MakeLink(b, "https://example.org/a{b}", "the site"); },
       "{\\field\\fldedit{\\*\\fldinst{HYPERLINK \"https://example.org/a\\{b\\}\" }}{\\fldrslt{\\cf19\\ul the site}}}",
       "see the site", -1},
      {[](xMorvaEngine& b) { TypeLinkedCities(b, "https://k.ua/"); }, "} \\i and\\i0  Odesa}}}.",
       "See Kyiv  and Odesa.", 10},
      {[](xMorvaEngine& b) { InsertPicture(b), MakeLink(b, "https://p.ua/", "", 0, 1); },
       "\"https://p.ua/\" }}{\\fldrslt{\\cf19\\ul{\\pict", "", -1},
      {[](xMorvaEngine& b) { Type(b, u"xy"), MakeLink(b, "https://e.ua/", "", 1, 1); },
       "\"https://e.ua/\" }}{\\fldrslt{\\cf19\\ul}}}y", "xy", -1},
      {[](xMorvaEngine& b) {
         Type(b, u"red, bold");
         b.SetSelection(0, 9), b.SetPropertyValue(kPropTextColour, 0x0000FF);
         b.SetSelection(5, 9), b.SetPropertyValue(kPropBold, 1);
         MakeLink(b, "https://r.ua/", "", 0, 9);
       },
       "{\\fldrslt{\\cf19\\ul red, \\b bold\\b0}}}", "red, bold", -1},
      // A raised run around a link: its group closes before the link and
      // opens again inside the link's text and after it.
      {[](xMorvaEngine& b) {
         Type(b, u"x2abyz");
         b.SetSelection(1, 5), b.SetPropertyValue(kPropVerticalPosition, 1);
         MakeLink(b, "https://r.ua/", "", 2, 4);
       },
       "x{\\super 2}{\\field\\fldedit{\\*\\fldinst{HYPERLINK \"https://r.ua/\" }}{\\fldrslt{\\cf19\\ul{\\super ab}}}}{\\super y}z",
       "x2abyz", -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.written);
    auto made = NewDocument();
    made->Params().SetLinkColour(0x00CC33);
    row.make(Engine(*made, kPartBody));
    const std::string rtf = Export(*made);
    EXPECT_NE(std::string::npos, rtf.find(row.written)) << rtf;
    for (int n = 1; n <= 3; ++n) {
      auto next = NewDocument();
      ASSERT_EQ(0, Import(*next, Export(*made)));
      EXPECT_EQ(row.read, TextOf(*next, kPartBody)) << "trip " << n;
      const auto positions = Positions(*next, kPartBody);
      for (int32_t i = 0; i < int32_t(positions.size()); ++i)
        EXPECT_EQ(row.italicAt >= 0 && i >= row.italicAt && i < row.italicAt + 3 ? 1 : 0,
                  positions[size_t(i)].properties.at(kPropItalic)) << "trip " << n << " position " << i;
      made = std::move(next);
    }
  }
}

TEST_F(ExportRTF, PicturesAsMetafileGroups) {
  VInstalledService<const VPictureMaker> pictures(&kPictureValueMaker);
  auto document = NewDocument();
  xMorvaEngine& body = Engine(*document, kPartBody);
  Type(body, u"a");
  VMetafilePort recorder(nullptr, 0, 0, 24, 16);
  recorder.PaintRect(0, 0, 24, 16);
  std::unique_ptr<VEmfPictureData> picture(recorder.EndAsPictureData());
  ASSERT_NE(nullptr, picture);
  VMemHandle element = gMemoryMgr->NewHandle(0, 0);
  ASSERT_TRUE(MakePictureElement(*picture, element, 48, 32, -1, 0));
  const uint32_t size = gMemoryMgr->GetHandleSize(element);
  ASSERT_EQ(0, body.InsertBytes(body.GetStreamSize(), gMemoryMgr->LockHandle(element), size));
  gMemoryMgr->UnlockHandle(element);
  gMemoryMgr->DisposeHandle(element);
  body.SetLength(body.GetLength() + 1);
  Type(body, u"b");
  const std::string rtf = Export(*document);
  const std::string head = "{\\pict\\picscalex100\\picscaley100\\picw" + std::to_string(PixelsToTwips(48)) + "\\pich" +
                           std::to_string(PixelsToTwips(32)) + "\\picwgoal" + std::to_string(PixelsToTwips(48)) +
                           "\\pichgoal" + std::to_string(PixelsToTwips(32)) + "\\emfblip 01000000";
  const size_t at = rtf.find(head);
  ASSERT_NE(std::string::npos, at) << rtf;
  const size_t end = rtf.find('}', at);
  ASSERT_NE(std::string::npos, end);
  const std::string digits = rtf.substr(at + head.size(), end - at - head.size());
  EXPECT_EQ(std::string::npos, digits.find_first_not_of("0123456789ABCDEF")) << digits;
  EXPECT_EQ(0u, digits.size() % 2);
  // Read back, the picture is skipped and the text around it stays.
  auto copy = NewDocument();
  ASSERT_EQ(0, Import(*copy, rtf));
  EXPECT_EQ("ab", TextOf(*copy, kPartBody));
}

// Style sheets are written with the properties and tabs they define.
TEST_F(ExportRTF, StyleSheetsWithTheirProperties) {
  auto document = NewDocument();
  Type(Engine(*document, kPartBody), u"x");
  xMorvaStyleSheet sheet;
  sheet.Init();
  sheet.properties.SetProperty(kPropBold, 1);
  sheet.states.SetState(kPropBold, 1);
  sheet.properties.SetProperty(kPropAlignment, 2);
  sheet.states.SetState(kPropAlignment, 1);
  sheet.tabs.AddStop(MakeTabStop(int16_t(TwipsToPixels(1440)), 0, kTabCentre));
  sheet.states.SetState(kPropTabs, 1);
  VStr<64> name;
  name.SetAnsiCText("Quote");
  int16_t paragraphId = 0;
  ASSERT_TRUE(sheet.SaveNew(*document, *document->GetStyleSheetStore(), name, paragraphId));
  xMorvaStyleSheet characters;
  characters.Init();
  characters.paragraphSheet = 0;
  characters.properties.SetProperty(kPropItalic, 1);
  characters.states.SetState(kPropItalic, 1);
  name.SetAnsiCText("Stress");
  int16_t characterId = 0;
  ASSERT_TRUE(characters.SaveNew(*document, *document->GetStyleSheetStore(), name, characterId));
  const std::string rtf = Export(*document);
  const std::string quote = "{\\s" + std::to_string(paragraphId) + "\\b\\qr\\tqc\\tx" +
                            std::to_string(int16_t(PixelsToTwips(TwipsToPixels(1440)))) + " Quote;}";
  EXPECT_TRUE(Has(rtf, quote)) << rtf;
  EXPECT_TRUE(Has(rtf, "{\\*\\cs" + std::to_string(characterId) + "\\i Stress;}")) << rtf;
}

// A bulleted paragraph opens with the bullet and a tab, the bullet where
// the text engine draws it: its first-line indent less the bullet's width
// and gap, so that the tab reaches the left indent in every reader. Our
// reader gives the paragraph's indents back through three trips.
TEST_F(ExportRTF, BulletsHangBeforeTheFirstLine) {
  // The left and first-line indents (pixels), the bullet, the bullet as written.
  const std::tuple<int32_t, int32_t, uint16_t, std::string> rows[] = {
      {0, 30, 108, "\\u8226\\'"}, {37, 0, 108, "\\u8226\\'"}, {37, 0, 167, "\\'a7"}};
  for (const auto& [left, first, bullet, shown] : rows) {
    SCOPED_TRACE(shown + std::to_string(left));
    auto document = NewDocument();
    xMorvaEngine& body = Engine(*document, kPartBody);
    Type(body, u"one\ntwo");
    body.SetSelection(4, 4);
    ASSERT_EQ(0, body.SetPropertyValue(kPropLeftIndent, left));
    ASSERT_EQ(0, body.SetPropertyValue(kPropFirstLineIndent, first));
    ASSERT_EQ(0, body.SetPropertyValue(kPropBullet, bullet));
    // The bullet in the paragraph's own type.
    xMorvaProperties properties;
    properties.SetDefaults();
    for (uint16_t id = 0; id <= kLastCharacterProperty; ++id) properties.SetProperty(id, body.GetPropertyValue(id));
    const int32_t advance = xMorvaFont(document->GetMeasuringPort(), document.get()).MeasureBullet(properties, bullet);
    ASSERT_GT(advance, 5);
    const std::string text = BodyOf(Export(*document));
    const size_t fi = text.find("\\fi", text.find("\\pard"));
    ASSERT_NE(std::string::npos, fi) << text;
    EXPECT_EQ(PixelsToTwips(first - advance), std::atoi(text.c_str() + fi + 3)) << text;
    for (const std::string& piece : {shown, std::string("\\tab two")}) EXPECT_TRUE(Has(text.substr(fi), piece)) << text;
    // No plain first-line indent undoes the hang.
    EXPECT_EQ(std::string::npos, text.find("\\fi", fi + 3)) << text;
    std::unique_ptr<xMorvaDocument> copy = std::move(document);
    for (int trip = 1; trip <= 3; ++trip) {
      auto back = NewDocument();
      ASSERT_EQ(0, Import(*back, Export(*copy)));
      std::map<uint16_t, int32_t> read = Positions(*back, kPartBody).back().properties;
      EXPECT_EQ(std::make_pair(left, first - advance), std::make_pair(read[kPropLeftIndent], read[kPropFirstLineIndent]))
          << "trip " << trip;
      copy = std::move(back);
    }
  }
}

// A selection that starts in a paragraph is written with that paragraph's
// own alignment and tab stops, and the paragraphs after it with theirs.
TEST_F(ExportRTF, SelectionStartsWithItsOwnParagraphsSettings) {
  auto document = NewDocument();
  xMorvaEngine& body = Engine(*document, kPartBody);
  Type(body, u"first\nsecond\nthird\nfourth");
  xMorvaTabs tabs;
  tabs.AddStop(MakeTabStop(48, 0, kTabLeft));
  body.SetSelection(0, 0);
  ASSERT_EQ(0, body.SetTabs(tabs));
  tabs.Clear();
  tabs.AddStop(MakeTabStop(200, '.', kTabRight));
  body.SetSelection(8, 8);
  ASSERT_EQ(0, body.SetPropertyValue(kPropAlignment, 1));
  ASSERT_EQ(0, body.SetTabs(tabs));
  body.SetSelection(19, 19);
  ASSERT_EQ(0, body.SetPropertyValue(kPropAlignment, 2));
  for (const int32_t start : {6, 8}) {  // at the paragraph's start, and inside it
    SCOPED_TRACE(start);
    body.SetSelection(start, 22);
    const std::string rtf = Export(*document, true);
    auto copy = NewDocument();
    ASSERT_EQ(0, Import(*copy, rtf)) << rtf;
    const auto read = Positions(*copy, kPartBody);
    const auto original = Positions(*document, kPartBody);
    ASSERT_EQ(size_t(22 - start), read.size()) << rtf;
    for (size_t i = 0; i < read.size(); ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(original[size_t(start) + i].properties.at(kPropAlignment), read[i].properties.at(kPropAlignment));
      EXPECT_EQ(original[size_t(start) + i].tabs, read[i].tabs);
    }
  }
}

// Font names with letters outside ASCII and with a semicolon are written
// as RTF encodes them and read back whole.
TEST_F(ExportRTF, FontNamesAreEncodedAndReadBackWhole) {
  auto document = NewDocument();
  xMorvaEngine& body = Engine(*document, kPartBody);
  Type(body, u"ab");
  VStr<64> name;
  name.SetAnsiCText("Schrift ");
  for (char16_t letter : {u'\u00e4', u'\u00f6', u'\u00fc'}) name.AppendUniChar(letter);
  const int16_t umlauts = document->FontIndexForName(name);
  name.SetAnsiCText("Semi;colon");
  const int16_t semicolon = document->FontIndexForName(name);
  body.SetSelection(0, 1);
  ASSERT_EQ(0, body.SetPropertyValue(kPropFont, umlauts));
  body.SetSelection(1, 2);
  ASSERT_EQ(0, body.SetPropertyValue(kPropFont, semicolon));
  const std::string rtf = Export(*document);
  EXPECT_TRUE(Has(rtf, "Schrift \\u228\\'e4\\u246\\'f6\\u252\\'fc;}")) << rtf;
  EXPECT_TRUE(Has(rtf, "Semi\\'3bcolon;}")) << rtf;
  auto copy = NewDocument();
  ASSERT_EQ(0, Import(*copy, rtf));
  const auto read = Positions(*copy, kPartBody);
  ASSERT_EQ(2u, read.size());
  EXPECT_EQ(u"Schrift \u00e4\u00f6\u00fc", FontName16(*copy, read[0].properties.at(kPropFont)));
  EXPECT_EQ(u"Semi;colon", FontName16(*copy, read[1].properties.at(kPropFont)));
}

// What other programs read of our words, and our own reader over three
// trips: the text and every position's settings come back as they were
// (fonts by their names), and the bytes hold the words given.
TEST_F(ExportRTF, WordsOtherProgramsReadAndThreeTrips) {
  struct Row {
    std::u16string text;
    std::function<void(xMorvaDocument&)> make;
    // Pieces the output holds; whole control words its text after the style
    // sheet holds, or with "!" does not; `{$}` stands for the sheet made's id.
    std::vector<std::string> written, words = {};
    const char* sectionWord = nullptr;  // a piece before the footer group
  };
  int16_t sheetId = 0;
  auto set = [](xMorvaDocument& document, int32_t a, int32_t b, uint16_t id, int32_t value) {
    Engine(document, kPartBody).SetSelection(a, b);
    ASSERT_EQ(0, Engine(document, kPartBody).SetPropertyValue(id, value));
  };
  const Row rows[] = {
      // A run in a character style: \cs in the text, as in the style sheet.
      {u"one two three",
       [&](xMorvaDocument& document) {
         xMorvaStyleSheet sheet;
         sheet.Init();
         sheet.paragraphSheet = 0;
         for (auto [id, value] : {std::pair<uint16_t, int32_t>{kPropBold, 1}, {kPropTextColour, 0x0000FF}})
           sheet.properties.SetProperty(id, value), sheet.states.SetState(id, 1);
         VStr<64> name;
         name.SetAnsiCText("Strong red");
         ASSERT_TRUE(sheet.SaveNew(document, *document.GetStyleSheetStore(), name, sheetId));
         Engine(document, kPartBody).SetSelection(4, 7);
         ASSERT_EQ(0, document.ApplyStyleSheet(sheetId));
       },
       {"{\\*\\cs{$}\\b\\cf7 Strong red;}"}, {"\\cs{$}", "!\\s{$}"}},
      // Small capitals, capitals and back: the one that ends is ended.
      {u"one two three",
       [&](xMorvaDocument& d) {
         for (auto [a, b, value] : {std::tuple{0, 3, 2}, {3, 7, 1}, {7, 13, 2}}) set(d, a, b, kPropLetterCase, value);
       },
       {"\\scaps0\\caps", "\\caps0\\scaps"}},
      // A roman page number: the section's format too.
      {u"body",
       [](xMorvaDocument& d) {
         Type(Engine(d, kPartFooter), u"Page ");
         ASSERT_EQ(0, Engine(d, kPartFooter).InsertPageNumberField(4u << kPageNumberStyleShift, false));
       },
       {"\\pgnucrm{\\field{\\*\\fldinst { PAGE }}"}, {}, "\\pgncont\\pgnucrm"},
      // Numbering from 5: the section restarts at it.
      {u"body", [](xMorvaDocument& d) { d.Params().SetFirstPageNumber(5); },
       {"\\pgnstart5", "\\pgnrestart\\pgnstarts5"}, {}, "\\pgnstarts5"},
      // A font named with a no-break space.
      {u"ab",
       [&](xMorvaDocument& d) {
         VStr<64> name;
         name.SetUniCText(u"\u00a0Times");
         set(d, 0, 1, kPropFont, d.FontIndexForName(name));
       },
       {"\\'a0Times;}"}},
      // A raised or lowered run is a group of its own, which AbiWord and
      // pandoc end where \nosupersub would not end it for them: a setting
      // changed inside is said again after it, and a paragraph's settings
      // stand outside it.
      {u"1921.1 It was rebuilt in 1960.", [&](xMorvaDocument& d) { set(d, 5, 6, kPropVerticalPosition, 1); },
       {"1921.{\\super 1} It was rebuilt in 1960."}},
      {u"x10ab",
       [&](xMorvaDocument& d) { set(d, 1, 3, kPropVerticalPosition, 1), set(d, 2, 4, kPropBold, 1); },
       {"x{\\super 1\\b 0}\\b a\\b0 b"}},
      {u"H2O x2", [&](xMorvaDocument& d) { set(d, 1, 2, kPropVerticalPosition, 2), set(d, 5, 6, kPropVerticalPosition, 1); },
       {"H{\\sub 2}O x{\\super 2}\\par}"}},
      {u"a2\nb c",
       [&](xMorvaDocument& d) { set(d, 1, 4, kPropVerticalPosition, 1), set(d, 3, 3, kPropAlignment, 1); },
       {"a{\\super 2\r\n\\par}\\pard", "\\qc", "{\\super b} c"}},
      {u"a23",
       [&](xMorvaDocument& d) {
         Engine(d, kPartBody).SetSelection(2, 2);
         ASSERT_EQ(0, Engine(d, kPartBody).InsertBreak(xMorvaElementCode::PageBreak));
         set(d, 1, 4, kPropVerticalPosition, 1);
       },
       {"a{\\super 2\\page}{\\super 3}"}},
      {u"x12", [&](xMorvaDocument& d) { set(d, 1, 2, kPropVerticalPosition, 1), set(d, 2, 3, kPropVerticalPosition, 2); },
       {"x{\\super 1}{\\sub 2}"}},
  };
  auto same = [](xMorvaDocument& a, xMorvaDocument& b) {
    EXPECT_EQ(a.GetParams().GetFirstPageNumber(), b.GetParams().GetFirstPageNumber());
    for (int16_t part : {kPartBody, kPartFooter}) {
      EXPECT_EQ(TextOf(a, part), TextOf(b, part));
      const auto first = Positions(a, part), second = Positions(b, part);
      ASSERT_EQ(first.size(), second.size());
      for (size_t i = 0; i < first.size(); ++i)
        for (const auto& [id, value] : first[i].properties)
          if (id == kPropFont)
            EXPECT_EQ(FontName16(a, value), FontName16(b, second[i].properties.at(id))) << "position " << i;
          else
            EXPECT_EQ(value, second[i].properties.at(id)) << "position " << i << " property " << id;
    }
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.written[0]);
    auto document = NewDocument();
    Type(Engine(*document, kPartBody), row.text);
    row.make(*document);
    if (HasFatalFailure()) return;
    const std::string rtf = Export(*document), text = BodyOf(rtf);
    auto withId = [&](std::string piece) {
      if (const size_t at = piece.find("{$}"); at != std::string::npos) piece.replace(at, 3, std::to_string(sheetId));
      return piece;
    };
    for (const std::string& piece : row.written) EXPECT_TRUE(Has(rtf, withId(piece))) << withId(piece) << "\n" << rtf;
    for (const std::string& entry : row.words) {
      const bool wanted = entry[0] != '!';
      const std::string word = withId(wanted ? entry : entry.substr(1));
      bool found = false;  // with its number, not the start of a longer one
      for (size_t at = text.find(word); at != std::string::npos && !found; at = text.find(word, at + 1))
        found = at + word.size() == text.size() || !std::isdigit(uint8_t(text[at + word.size()]));
      EXPECT_EQ(wanted, found) << word << "\n" << rtf;
    }
    if (row.sectionWord != nullptr) {
      EXPECT_LT(rtf.find(row.sectionWord), rtf.find("{\\footer")) << rtf;
    }
    std::unique_ptr<xMorvaDocument> back;
    for (int n = 1; n <= 3; ++n) {
      SCOPED_TRACE("trip " + std::to_string(n));
      auto next = NewDocument();
      ASSERT_EQ(0, Import(*next, Export(back ? *back : *document)));
      same(*document, *next);
      back = std::move(next);
    }
  }
}
