// Older-format documents read into a document: both byte orders, leading
// offsets, runs, paragraph formats, page breaks, headers and footers, and
// damaged forms, which leave the document as it was.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>
#include <string>

#include "area/tests/AreaTestSupport.h"
#include "area/xMorvaMain.h"
#include "document/DocumentUnits.h"
#include "document/xMorvaAreaServices.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaStyleSheet.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "framework/core/intl/VIntlMgr.h"
#include "framework/core/memory/VHandleLocker.h"
#include "framework/core/streams/VMemoryStream.h"
#include "framework/core/tests/StringTestSupport.h"
#include "host/context/VHostRef.h"
#include "graphics/printing/VPrintSettings.h"
#include "interchange/older/xMorvaOlderFormats.h"
#include "interchange/older/xMorvaV2import.h"
#include "interchange/tests/RtfTestSupport.h"
#include "platform/toolbox/TbxHandles.h"

using namespace rtftest;
namespace fs = std::filesystem;

namespace {

std::string OlderFixture(const std::string& name) {
  fs::path source(__FILE__);
  if (source.is_relative()) source = fs::read_symlink("/proc/self/exe").parent_path() / source;
  std::ifstream in(source.parent_path() / "fixtures" / "older" / name, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

class ImportV2 : public Fixture {
 protected:
  SystemFonts fonts;
  int32_t Read(xMorvaDocument& document, const std::string& bytes) {
    xMorvaV2import reader;
    return reader.ImportV2Bytes(document, reinterpret_cast<const uint8_t*>(bytes.data()), uint32_t(bytes.size()), true);
  }
};

int32_t V2At(xMorvaDocument& document, size_t position, uint16_t id, int16_t part = kPartBody) {
  const auto positions = Positions(document, part);
  EXPECT_LT(position, positions.size());
  return position < positions.size() ? positions[position].properties.at(id) : -999;
}

// The letter's body; its "é" is the Macintosh byte 0x8E, read through the
// system's character tables.
std::string ExpectedLetter() {
  char unit[8];
  std::snprintf(unit, sizeof unit, "<%04X>", unsigned(gIntlMgr != nullptr ? gIntlMgr->MacCharToUni(0x8E) : 0x8E));
  // The picture paragraph after "Second" shows as one element.
  return std::string("Hello\tworld caf") + unit + "\fSecond\n\x1f";
}

int32_t Pixels(int32_t points) { return points * GetScreenResolution() / 72; }

// A character run: u16 font, u8 size, face, one byte, red, green, blue, u16 start.
constexpr size_t kRunBytes = 10;

// The offset of the first chunk `tag` (as the file holds it) after `from`.
size_t FindTag(const std::string& bytes, const char* tag, bool big, size_t from = 0) {
  std::string spelled(tag, 4);
  if (!big) spelled = std::string(spelled.rbegin(), spelled.rend());
  return bytes.find(spelled, from);
}

void PutU32(std::string& bytes, size_t at, uint32_t value, bool big) {
  for (int i = 0; i < 4; ++i) bytes[at + size_t(i)] = char(big ? value >> (24 - 8 * i) : value >> (8 * i));
}
void PutU16(std::string& bytes, size_t at, uint16_t value, bool big) {
  bytes[at] = char(big ? value >> 8 : value);
  bytes[at + 1] = char(big ? value : value >> 8);
}

}  // namespace

TEST_F(ImportV2, LettersInBothByteOrdersGiveTheSameDocument) {
  for (const char* name : {"letter.be.qmv", "letter.le.qmv", "offset.qmv", "far.qmv", "prefixed.be.qmv", "prefixed.le.qmv"}) {
    SCOPED_TRACE(name);
    const std::string bytes = OlderFixture(name);
    ASSERT_FALSE(bytes.empty());
    auto document = NewDocument();
    ASSERT_EQ(0, Read(*document, bytes));
    EXPECT_EQ(ExpectedLetter(), TextOf(*document, kPartBody));
    EXPECT_EQ("Arial", FontName(*document, V2At(*document, 0, kPropFont)));
    EXPECT_EQ(12, V2At(*document, 0, kPropSize));
    EXPECT_EQ(0, V2At(*document, 0, kPropBold));
    EXPECT_EQ("Courier New", FontName(*document, V2At(*document, 6, kPropFont)));
    EXPECT_EQ(18, V2At(*document, 6, kPropSize));
    EXPECT_EQ(1, V2At(*document, 6, kPropBold));
    EXPECT_EQ(1, V2At(*document, 6, kPropUnderline));
    EXPECT_EQ(0x0000FF, V2At(*document, 6, kPropTextColour));
    EXPECT_EQ(1, V2At(*document, 12, kPropItalic));
    EXPECT_EQ(0xFF0000, V2At(*document, 12, kPropTextColour));
    EXPECT_EQ(14, V2At(*document, 17, kPropSize));
    EXPECT_EQ(1, V2At(*document, 17, kPropVerticalPosition));
    // The first paragraph's format.
    EXPECT_EQ(Pixels(36), V2At(*document, 0, kPropLeftIndent));
    EXPECT_EQ(Pixels(18), V2At(*document, 0, kPropFirstLineIndent));
    EXPECT_EQ(Pixels(540) - Pixels(468), V2At(*document, 0, kPropRightIndent));
    EXPECT_EQ(1, V2At(*document, 0, kPropAlignment));
    EXPECT_EQ(20, V2At(*document, 0, kPropInterline));
    const auto positions = Positions(*document, kPartBody);
    ASSERT_EQ(2u, positions[0].tabs.size());
    EXPECT_EQ(MakeTabStop(int16_t(Pixels(72)), 0, kTabRight), positions[0].tabs[0]);
    EXPECT_EQ(MakeTabStop(int16_t(Pixels(144)), '.', kTabLeft), positions[0].tabs[1]);
    EXPECT_EQ("Head", TextOf(*document, kPartHeader));
    EXPECT_EQ(1, V2At(*document, 0, kPropItalic, kPartHeader));
    EXPECT_EQ(10, V2At(*document, 0, kPropSize, kPartHeader));
    EXPECT_EQ("Foot", TextOf(*document, kPartFooter));
    // The picture is shown at its frame's size.
    xMorvaEngine& body = Engine(*document, kPartBody);
    body.SetSelection(body.GetLength() - 1, body.GetLength());
    int32_t width = 0, height = 0, ownWidth = 0, ownHeight = 0;
    body.GetSelectedPictureSize(&width, &height, &ownWidth, &ownHeight);
    EXPECT_EQ(Pixels(72), width);
    EXPECT_EQ(Pixels(36), height);
    EXPECT_EQ(72, ownWidth);
    // The settings: unit byte 0 is inches; the page lies 36 points in from
    // the paper's left and right edges.
    EXPECT_EQ(kUnitInches, document->GetParams().GetDisplayUnit());
    EXPECT_EQ(Pixels(36), document->GetParams().GetLeftMargin());
    EXPECT_EQ(Pixels(36), document->GetParams().GetRightMargin());
    // Forms behind leading bytes: their heights at offset 6 (36, 18 points).
    if (std::string(name).starts_with("prefixed")) {
      EXPECT_EQ(Pixels(36 + 36), document->GetParams().GetBands(false).topMargin);
      EXPECT_EQ(Pixels(22 + 18), document->GetParams().GetBands(false).bottomMargin);
    }
  }
}

TEST_F(ImportV2, ReadsFromAStream) {
  const std::string bytes = OlderFixture("letter.be.qmv");
  VMemoryStream stream(bytes.data(), uint32_t(bytes.size()));
  ASSERT_EQ(0, stream.OpenRead());
  auto document = NewDocument();
  xMorvaV2import reader;
  ASSERT_EQ(0, reader.ImportV2Document(*document, stream, true));
  EXPECT_EQ(ExpectedLetter(), TextOf(*document, kPartBody));
}

TEST_F(ImportV2, DamagedFormsLeaveTheDocumentAsItWas) {
  const std::string letter = OlderFixture("letter.le.qmv");
  const std::string big = OlderFixture("letter.be.qmv");
  ASSERT_FALSE(letter.empty());
  struct Case {
    const char* what;
    std::string bytes;
    int32_t code;
    std::function<void(xMorvaDocument&)> check = nullptr;
  };
  std::vector<Case> cases;
  cases.push_back({"empty", "", kErrorV2NotFound});
  cases.push_back({"one byte", "F", kErrorV2NotFound});
  cases.push_back({"no FORM in 1 MB", std::string(1 << 20, 'x'), kErrorV2NotFound});
  {
    std::string other = letter;
    other.replace(FindTag(other, "QMVT", false), 4, "XXXX");
    cases.push_back({"another form type", other, kErrorV2NotFound});
  }
  for (size_t cut : {size_t(6), size_t(10), size_t(40), letter.size() / 2, letter.size() - 1}) {
    cases.push_back({"cut short", letter.substr(0, cut), cut < 8 ? kErrorV2NotFound : kErrorV2Damaged});
  }
  {
    std::string past = letter;
    PutU32(past, 4, uint32_t(letter.size()), false);
    cases.push_back({"form length past the file", past, kErrorV2Damaged});
  }
  {
    std::string chunk = letter;
    PutU32(chunk, FindTag(chunk, "PRNT", false) + 4, 0x7FFFFFFF, false);
    cases.push_back({"chunk length past the form", chunk, kErrorV2Damaged});
  }
  {
    // The first text paragraph's run count: three runs said to be ten.
    std::string runs = big;
    const size_t text = FindTag(runs, "TEXT", true);
    const size_t record = runs.rfind("PARA", text);
    PutU16(runs, record + 8 + 4, 10, true);
    cases.push_back({"run count past its chunk", runs, kErrorV2Damaged});
  }
  {
    // The paragraph format's tab count past its record.
    std::string tabs = big;
    size_t record = FindTag(tabs, "PARA", true);
    record = FindTag(tabs, "PARA", true, record + 4);
    tabs[record + 8 + 4 + 8] = char(200);
    cases.push_back({"tab count past its chunk", tabs, kErrorV2Damaged});
  }
  {
    std::string header = letter;
    const size_t at = FindTag(header, "HIDR", false);
    header.replace(at + 8, 4, "JUNK");
    cases.push_back({"header that is no form", header, kErrorV2Damaged});
  }
  {
    std::string noSettings = letter;
    const size_t at = FindTag(noSettings, "DOCU", false);
    noSettings.replace(at, 4, "UCOD");
    cases.push_back({"settings under an unknown tag", noSettings, 0});
  }
  {
    // A mark record of 100 bytes, short of its fixed 224.
    auto chunk = [](const std::string& tag, const std::string& data) {
      std::string out = tag + std::string(4, '\0') + data;
      PutU32(out, 4, uint32_t(data.size()), true);
      return out;
    };
    const std::string marks = chunk("FORM", "MARK" + chunk("MARK", std::string(100, '\0')));
    cases.push_back({"mark record cut short", chunk("FORM", "QMVT" + marks), kErrorV2Damaged});
  }
  for (const bool big : {true, false}) {
    // The header's nested form: its length past its chunk, short of its
    // last chunk, and leading bytes that point at no form.
    const std::string prefixed = OlderFixture(big ? "prefixed.be.qmv" : "prefixed.le.qmv");
    const size_t chunk = FindTag(prefixed, "HIDR", big) + 8, length = chunk + 0x808 + (big ? 7 : 4);
    for (const auto& [at, by] : {std::pair{length, 2}, {length, -2}, {chunk + (big ? 1 : 0), -2}}) {
      std::string damaged = prefixed;
      damaged[at] = char(damaged[at] + by);
      cases.push_back({"damaged nested form", damaged, kErrorV2Damaged});
    }
  }
  // Fonts 3 and 41 are the system's; 2 is not, and 4 is in no table: they
  // name the fonts command 32 gives for those numbers.
  cases.push_back({"fonts", OlderFixture("fonts.be.qmv"), 0, [](xMorvaDocument& document) {
                     VStr<255> two, four;
                     VSystemServices::GetFontName(2, two), VSystemServices::GetFontName(4, four);
                     const std::u16string names[] = {u"Courier New", string_tests::Text(two), u"Times New Roman", string_tests::Text(four)};
                     ASSERT_NE(names[3], names[2]);
                     for (size_t at = 0; at < 4; ++at) EXPECT_EQ(names[at], FontName16(document, V2At(document, at, kPropFont)));
                   }});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto document = NewDocument();
    Type(Engine(*document, kPartBody), u"kept");
    EXPECT_EQ(c.code, Read(*document, c.bytes));
    if (c.code != 0) {
      EXPECT_EQ("kept", TextOf(*document, kPartBody));
    }
    if (c.code == 0 && c.check) c.check(*document);
  }
}

// The bands follow the print record: the header from the printable area's
// top (36 points) by the header's stored height, the footer from its
// bottom (22 points); the text starts past the stored heights.
TEST_F(ImportV2, HeaderAndFooterBandsAndMargins) {
  for (const bool big : {true, false}) {
    SCOPED_TRACE(big ? "big-endian" : "little-endian");
    const std::string bytes = OlderFixture(big ? "letter.be.qmv" : "letter.le.qmv");
    // The stored height is the word at offset 6 of each band's form.
    auto heightOf = [&](const char* tag) {
      const size_t at = FindTag(bytes, tag, big) + 8 + 6;
      return int32_t(big ? uint8_t(bytes[at]) << 8 | uint8_t(bytes[at + 1])
                         : uint8_t(bytes[at + 1]) << 8 | uint8_t(bytes[at]));
    };
    const int32_t header = heightOf("HIDR"), footer = heightOf("FUTR");
    EXPECT_EQ(big, header != 0);
    for (const uint8_t mode : {0, 1, 2}) {
      SCOPED_TRACE(int(mode));
      std::string file = bytes;
      file[FindTag(file, "DOCU", big) + 8 + 32] = char(mode);
      auto document = NewDocument();
      ASSERT_EQ(0, Read(*document, file));
      const xMorvaDocParams& params = document->GetParams();
      EXPECT_EQ(mode != 0, params.UsesFirstPageLayout(0));
      for (const bool first : {true, false}) {
        SCOPED_TRACE(first ? "first page" : "other pages");
        const xMorvaPageBands& bands = params.GetBands(first);
        const bool shown = mode == 0 || (first ? mode == 2 : mode == 1);
        EXPECT_EQ(shown, bands.headerShown != 0);
        EXPECT_EQ(shown, bands.footerShown != 0);
        EXPECT_EQ(Pixels(36), bands.headerTop);
        EXPECT_EQ(Pixels(36) + (header != 0 ? Pixels(header) : 50), bands.headerBottom);
        EXPECT_EQ(Pixels(36) + (shown ? Pixels(header) : 0), bands.topMargin);
        EXPECT_EQ(Pixels(22), bands.footerBottom);
        EXPECT_EQ(Pixels(22) + (footer != 0 ? Pixels(footer) : 50), bands.footerTop);
        EXPECT_EQ(Pixels(22) + (shown ? Pixels(footer) : 0), bands.bottomMargin);
      }
      // The first page's own header takes the text with mode 2.
      EXPECT_EQ("Head", TextOf(*document, mode == 2 ? kPartFirstHeader : kPartHeader));
    }
  }
}

// The print record's paper (612 by 792 points, with the page 36 points in
// from the left and top) becomes the document's paper; across when the
// stored paper lies so.
TEST_F(ImportV2, ThePrintRecordsPaperBecomesTheDocumentsPaper) {
  for (const bool across : {false, true}) {
    SCOPED_TRACE(across ? "across" : "upright");
    std::string file = OlderFixture("letter.be.qmv");
    if (across) {
      // The paper rectangle's bottom and right exchanged: 792 wide, 612 high.
      const size_t paper = FindTag(file, "PRNT", true) + 8 + 8 + 8;
      PutU16(file, paper + 4, 612 - 36, true);
      PutU16(file, paper + 6, 792 - 36, true);
    }
    auto document = NewDocument();
    ASSERT_EQ(0, Read(*document, file));
    VPrintSettings* printer = document->GetPrinter();
    ASSERT_NE(printer, nullptr);
    EXPECT_EQ(printer->GetPaperCode(), 1);
    EXPECT_EQ(printer->IsLandscape(), across);
    int32_t width = 0, height = 0;
    printer->GetPaperSize(width, height);
    EXPECT_EQ(width, across ? 27940 : 21590);
    EXPECT_EQ(height, across ? 21590 : 27940);
    EXPECT_EQ(document->GetParams().GetLeftMargin(), Pixels(36));
  }
}

// A tab inside an underlined run keeps the run's other properties but not
// its underline.
TEST_F(ImportV2, UnderlinedTabsLoseTheirUnderline) {
  std::string bytes = OlderFixture("letter.be.qmv");
  // The second run ("world ", bold and underlined) starts at the tab before it.
  PutU16(bytes, FindTag(bytes, "STYL", true) + 8 + kRunBytes + 8, 5, true);
  auto document = NewDocument();
  ASSERT_EQ(0, Read(*document, bytes));
  EXPECT_EQ(std::string("\t"), TextOf(*document, kPartBody).substr(5, 1));
  EXPECT_EQ(0, V2At(*document, 5, kPropUnderline));
  EXPECT_EQ(1, V2At(*document, 5, kPropBold));
  EXPECT_EQ(18, V2At(*document, 5, kPropSize));
  EXPECT_EQ(1, V2At(*document, 6, kPropUnderline));
  EXPECT_EQ(0, V2At(*document, 4, kPropUnderline));
}

// The file's style sheets follow the document's default sheet; each run
// carries the sheet of its own font, colour, size and face, else the first.
TEST_F(ImportV2, StyleSheetsBecomeTheDocumentsSheets) {
  for (const bool longName : {false, true}) {
    SCOPED_TRACE(longName ? "a name of 32 bytes" : "the letter");
    std::string bytes = OlderFixture("letter.be.qmv");
    if (longName) {
      // The record's name: its length byte at offset 9, then 32 bytes.
      const size_t record = FindTag(bytes, "STLS", true, FindTag(bytes, "STLS", true) + 4) + 8;
      bytes[record + 9] = char(32);
      bytes.replace(record + 10, 32, std::string(32, 'n'));
    }
    auto document = NewDocument();
    ASSERT_EQ(0, Read(*document, bytes));
    ASSERT_EQ(2, document->StyleSheetCount());
    int16_t first = 0, body = 0;
    ASSERT_TRUE(document->StyleSheetIdAt(1, first));
    ASSERT_TRUE(document->StyleSheetIdAt(2, body));
    VStr<255> name;
    document->GetStyleSheetName(body, name);
    char text[256] = {};
    name.GetCText(text, sizeof text, 1);
    EXPECT_EQ(longName ? std::string(31, 'n') : std::string("Body"), text);
    xMorvaStyleSheet sheet;
    ASSERT_TRUE(sheet.Load(*document, *document->GetStyleSheetStore(), body));
    EXPECT_EQ("Arial", FontName(*document, sheet.properties.GetProperty(kPropFont)));
    EXPECT_EQ(12, sheet.properties.GetProperty(kPropSize));
    EXPECT_EQ(0, sheet.properties.GetProperty(kPropBold));
    // "Hello" is Arial at the default size, plain and black, as the sheet;
    // "world" is not.
    xMorvaEngine& engine = Engine(*document, kPartBody);
    auto sheetAt = [&](int32_t at) {
      engine.SetSelection(at, at + 1);
      return engine.GetPropertyValue(kPropStyleSheet);
    };
    EXPECT_EQ(body, sheetAt(0));
    EXPECT_EQ(first, sheetAt(6));
  }
}

// A picture paragraph whose picture is missing, or too short to be one,
// still shows its frame, as an erased picture of the frame's size.
TEST_F(ImportV2, MissingPicturesShowTheirFrame) {
  for (const bool cut : {false, true}) {
    SCOPED_TRACE(cut ? "a picture of 4 bytes" : "no picture chunk");
    std::string bytes = OlderFixture("letter.be.qmv");
    const size_t at = FindTag(bytes, "PICT", true);
    if (cut) {
      // The chunk keeps 4 of its bytes; its paragraph's form and the whole
      // form shrink with it.
      auto u32At = [&](size_t offset) {
        return uint32_t(uint8_t(bytes[offset])) << 24 | uint32_t(uint8_t(bytes[offset + 1])) << 16 |
               uint32_t(uint8_t(bytes[offset + 2])) << 8 | uint32_t(uint8_t(bytes[offset + 3]));
      };
      const uint32_t length = u32At(at + 4);
      ASSERT_EQ(0u, length % 2);
      const uint32_t removed = length - 4;
      const size_t paragraph = bytes.rfind("FORM", at);
      PutU32(bytes, paragraph + 4, u32At(paragraph + 4) - removed, true);
      PutU32(bytes, 4, u32At(4) - removed, true);
      PutU32(bytes, at + 4, 4, true);
      bytes.erase(at + 8 + 4, removed);
    } else {
      bytes.replace(at, 4, "XICT");
    }
    auto document = NewDocument();
    ASSERT_EQ(0, Read(*document, bytes));
    EXPECT_EQ(ExpectedLetter(), TextOf(*document, kPartBody));
    xMorvaEngine& body = Engine(*document, kPartBody);
    body.SetSelection(body.GetLength() - 1, body.GetLength());
    int32_t width = 0, height = 0, ownWidth = 0, ownHeight = 0;
    body.GetSelectedPictureSize(&width, &height, &ownWidth, &ownHeight);
    EXPECT_EQ(Pixels(72), width);
    EXPECT_EQ(Pixels(36), height);
  }
}

namespace {

// Big-endian pieces of a form made in the test.
std::string BigChunk(const char* tag, const std::string& data) {
  std::string out(tag, 4);
  out += std::string(4, '\0');
  PutU32(out, 4, uint32_t(data.size()), true);
  out += data;
  if (data.size() % 2 != 0) out += '\0';
  return out;
}
std::string BigForm(const char* type, const std::string& chunks) { return BigChunk("FORM", std::string(type, 4) + chunks); }

std::string PlainParagraph(const std::string& text) {
  std::string record(6, '\0');
  PutU16(record, 4, 1, true);
  std::string run(kRunBytes, '\0');
  run[2] = 12;
  return BigForm("PARA", BigChunk("PARA", record) + BigChunk("TEXT", text) + BigChunk("STYL", run));
}

std::string FormatParagraph(int16_t left, int16_t first, uint8_t alignment, uint8_t spacing,
                            const std::vector<uint16_t>& tabs) {
  std::string record(3, '\0');
  record += char(2);
  record += std::string(10 + 2 * tabs.size(), '\0');
  PutU16(record, 4, uint16_t(left), true);
  PutU16(record, 6, uint16_t(first), true);
  record[10] = char(alignment);
  record[11] = char(spacing);
  record[12] = char(tabs.size());
  for (size_t i = 0; i < tabs.size(); ++i) PutU16(record, 14 + 2 * i, tabs[i], true);
  return BigForm("PARA", BigChunk("PARA", record));
}

std::string BreakParagraph() {
  std::string record(3, '\0');
  record += char(1);
  record += std::string(5 * 2 + 2 + 4, '\0');
  record += std::string(4, '\xFF');
  return BigForm("PARA", BigChunk("PARA", record));
}

}  // namespace

// A format right behind a page break governs the paragraphs of its page,
// as one behind a paragraph end does: on the first page too, when two
// follow a break (the second wins), and when it takes back what the page
// before had.
TEST_F(ImportV2, FormatsRightBehindPageBreaksGovernTheirPages) {
  const std::string bytes =
      BigForm("QMVT", BreakParagraph() + FormatParagraph(36, 54, 1, 2, {0x4000 + 72, 144}) + PlainParagraph("one") +
                          PlainParagraph("two") + BreakParagraph() + FormatParagraph(0, 0, 2, 0, {72}) +
                          FormatParagraph(18, 18, 3, 1, {144}) + PlainParagraph("three") + BreakParagraph() +
                          FormatParagraph(0, 0, 0, 0, {}) + PlainParagraph("four"));
  auto document = NewDocument();
  ASSERT_EQ(0, Read(*document, bytes));
  ASSERT_EQ("\fone\ntwo\fthree\ffour", TextOf(*document, kPartBody));
  const auto positions = Positions(*document, kPartBody);
  const uint16_t ids[] = {kPropLeftIndent, kPropFirstLineIndent, kPropAlignment, kPropInterline};
  const uint32_t right72 = MakeTabStop(int16_t(Pixels(72)), 0, kTabRight);
  const uint32_t left144 = MakeTabStop(int16_t(Pixels(144)), 0, kTabLeft);
  struct Row {
    size_t at;
    int32_t values[std::size(ids)];
    std::vector<uint32_t> tabs;
  };
  const Row rows[] = {
      {1, {Pixels(36), Pixels(18), 1, 20}, {right72, left144}},
      {5, {Pixels(36), Pixels(18), 1, 20}, {right72, left144}},
      {9, {Pixels(18), 0, 3, 15}, {left144}},
      {15, {0, 0, 0, 10}, {}},
  };
  for (const Row& row : rows) {
    for (size_t k = 0; k < std::size(ids); ++k)
      EXPECT_EQ(row.values[k], V2At(*document, row.at, ids[k])) << row.at << " " << k;
    ASSERT_LT(row.at, positions.size());
    EXPECT_EQ(row.tabs, positions[row.at].tabs) << row.at;
  }
}

// Formats between paragraphs govern the paragraphs after them, also two in
// a row (the second wins) and across paragraphs that give none. A picture's
// paragraph has its record's indent, no first-line indent, single spacing
// and the left alignment, and the paragraph after it the format before it.
TEST_F(ImportV2, FormatsGovernTheParagraphsAfterThem) {
  // A picture paragraph at a left indent of 30 points, its picture missing.
  std::string picture(24, '\0');
  picture[3] = char(1);
  PutU16(picture, 12, 30, true);
  const std::string bytes =
      BigForm("QMVT", PlainParagraph("one") + FormatParagraph(36, 54, 1, 2, {0x4000 + 72, 144}) +
                          PlainParagraph("two") + BigForm("PARA", BigChunk("PARA", picture)) +
                          PlainParagraph("after") + FormatParagraph(0, 0, 2, 0, {72}) +
                          FormatParagraph(18, 18, 3, 1, {144}) + PlainParagraph("three") +
                          PlainParagraph("four"));
  auto document = NewDocument();
  ASSERT_EQ(0, Read(*document, bytes));
  ASSERT_EQ("one\ntwo\n\x1f\nafter\nthree\nfour", TextOf(*document, kPartBody));
  const auto positions = Positions(*document, kPartBody);
  EXPECT_EQ(0, V2At(*document, 0, kPropLeftIndent));
  EXPECT_EQ(0, V2At(*document, 0, kPropAlignment));
  EXPECT_TRUE(positions[0].tabs.empty());
  EXPECT_EQ(Pixels(36), V2At(*document, 4, kPropLeftIndent));
  EXPECT_EQ(Pixels(18), V2At(*document, 4, kPropFirstLineIndent));
  EXPECT_EQ(1, V2At(*document, 4, kPropAlignment));
  EXPECT_EQ(20, V2At(*document, 4, kPropInterline));
  ASSERT_EQ(2u, positions[4].tabs.size());
  EXPECT_EQ(MakeTabStop(int16_t(Pixels(72)), 0, kTabRight), positions[4].tabs[0]);
  const uint16_t ids[] = {kPropLeftIndent, kPropFirstLineIndent, kPropAlignment, kPropInterline};
  const int32_t picture8[] = {Pixels(30), 0, 0, 10}, after10[] = {Pixels(36), Pixels(18), 1, 20};
  for (size_t k = 0; k < std::size(ids); ++k) {
    EXPECT_EQ(picture8[k], V2At(*document, 8, ids[k])) << k;
    EXPECT_EQ(after10[k], V2At(*document, 10, ids[k])) << k;
  }
  for (const size_t at : {size_t(16), size_t(22)}) {
    EXPECT_EQ(Pixels(18), V2At(*document, at, kPropLeftIndent));
    EXPECT_EQ(0, V2At(*document, at, kPropFirstLineIndent));
    EXPECT_EQ(3, V2At(*document, at, kPropAlignment));
    EXPECT_EQ(15, V2At(*document, at, kPropInterline));
    ASSERT_EQ(1u, positions[at].tabs.size());
    EXPECT_EQ(MakeTabStop(int16_t(Pixels(144)), 0, kTabLeft), positions[at].tabs[0]);
  }
}

namespace {

// The special elements of a part: position and code.
std::vector<std::pair<size_t, uint16_t>> ElementsOf(xMorvaDocument& document, int16_t part) {
  xMorvaEngine& engine = Engine(document, part);
  std::vector<std::pair<size_t, uint16_t>> out;
  const uint32_t size = engine.GetStreamSize();
  const uint8_t* stream = size != 0 ? engine.LockStream() : nullptr;
  size_t position = 0;
  for (uint32_t at = 0; at < size;) {
    const StreamItem item = ReadStreamItem(stream + at, size - at);
    if (item.kind == StreamItem::kElement) out.emplace_back(position, item.unit);
    if (item.kind != StreamItem::kRecord) ++position;
    at += item.size;
  }
  if (stream != nullptr) engine.UnlockStream();
  return out;
}

// The host reference of the element at `position`.
std::unique_ptr<VHostRef> ReferenceAt(xMorvaDocument& document, int16_t part, int32_t position) {
  xMorvaEngine& engine = Engine(document, part);
  engine.SetSelection(position, position + 1);
  const VMemHandle stored = engine.GetHostExpressionAtSelection();
  if (stored == 0) return nullptr;
  std::unique_ptr<VHostRef> reference;
  {
    VHandleLocker lock(stored);
    if (lock) reference = std::make_unique<VHostRef>(lock.As<uint8_t>(), gMemoryMgr->GetHandleSize(stored));
  }
  gMemoryMgr->DisposeHandle(stored);
  return reference;
}

std::string FormatTextOf(const VHostRef& reference) {
  VStr<255> text;
  reference.GetFormatText(text);
  char bytes[256] = {};
  text.GetCText(bytes, sizeof bytes, kCharSetMac);
  return bytes;
}

}  // namespace

// Host field marks become references to host fields and page numbers in
// place of the units they cover; the places no mark takes carry no text,
// and marks that stand nowhere leave their paragraph's text as it was.
TEST_F(ImportV2, FieldMarksBecomeReferencesAndPageNumbers) {
  FakeAreaServices words;
  words.texts[{kDocumentTextsListOffset, 27}] = "Page number(1)";
  for (const char* name : {"marks.be.qmv", "marks.le.qmv"}) {
    SCOPED_TRACE(name);
    const std::string bytes = OlderFixture(name);
    ASSERT_FALSE(bytes.empty());
    auto document = NewDocument();
    ASSERT_EQ(0, Read(*document, bytes));
    // Without a host the expression "Current date" stays as its text.
    EXPECT_EQ("Dear \x1f, you owe \x1f by Current date.\nPage \x1f \x1f" "end\n\x1f", TextOf(*document, kPartBody));
    using Elements = std::vector<std::pair<size_t, uint16_t>>;
    EXPECT_EQ((Elements{{5, xMorvaElementCode::ExprQv},
                        {16, xMorvaElementCode::ExprQv},
                        {40, xMorvaElementCode::PageNumber},
                        {42, xMorvaElementCode::ExprQv},
                        {47, xMorvaElementCode::ExprQv}}),
              ElementsOf(*document, kPartBody));
    struct Expected {
      int32_t position;
      int16_t field;
      std::string formatText;
      int32_t format;
    };
    for (const Expected& e : {Expected{5, 3, "", 3}, Expected{16, 4, "#,##0.00", 0}, Expected{42, 5, "", 0},
                              Expected{47, 7, "", 0}}) {
      SCOPED_TRACE(e.position);
      const std::unique_ptr<VHostRef> reference = ReferenceAt(*document, kPartBody, e.position);
      ASSERT_NE(nullptr, reference);
      int16_t table = 0, field = 0;
      reference->GetNumbers(table, field);
      EXPECT_EQ(2, table);
      EXPECT_EQ(e.field, field);
      EXPECT_EQ(e.formatText, FormatTextOf(*reference));
      EXPECT_EQ(e.format, reference->GetFormat());
      EXPECT_EQ(0, reference->GetOption());
    }
    // The empty mark shows its own format; the text after it its run's.
    EXPECT_EQ(18, V2At(*document, 42, kPropSize));
    EXPECT_EQ(1, V2At(*document, 42, kPropBold));
    EXPECT_EQ(0xFF0000, V2At(*document, 42, kPropTextColour));
    EXPECT_EQ(12, V2At(*document, 43, kPropSize));
    EXPECT_EQ(0, V2At(*document, 43, kPropBold));
    EXPECT_EQ(0, V2At(*document, 43, kPropTextColour));
    // The header's marks are its own.
    EXPECT_EQ("Page \x1f", TextOf(*document, kPartHeader));
    EXPECT_EQ((Elements{{5, xMorvaElementCode::PageNumber}}), ElementsOf(*document, kPartHeader));
  }
}

// Without the page-number word among the package's texts the expression is
// an expression like any other: here, without a host, its text.
TEST_F(ImportV2, PageNumberNeedsThePackagesWord) {
  const std::string bytes = OlderFixture("marks.be.qmv");
  auto document = NewDocument();
  ASSERT_EQ(0, Read(*document, bytes));
  EXPECT_EQ("Page Page number", TextOf(*document, kPartHeader));
}

// With the package's option 12 a mark without a table takes the expression
// the file keeps in the host's own form.
TEST_F(ImportV2, StoredExpressionsWithThePackagesOption) {
  xMorvaMain package(nullptr);
  ASSERT_EQ(0, package.SetOption(12, 1, nullptr));
  VPackage* const previous = gCurrentPackage;
  gCurrentPackage = &package;
  const std::string bytes = OlderFixture("marks.le.qmv");
  auto document = NewDocument();
  const int32_t code = Read(*document, bytes);
  gCurrentPackage = previous;
  ASSERT_EQ(0, code);
  EXPECT_EQ("Dear \x1f, you owe \x1f by \x1f.", TextOf(*document, kPartBody).substr(0, 23));
  const std::unique_ptr<VHostRef> reference = ReferenceAt(*document, kPartBody, 21);
  ASSERT_NE(nullptr, reference);
  int16_t table = -1, field = -1;
  reference->GetNumbers(table, field);
  EXPECT_EQ(0, table);
  EXPECT_EQ(5, reference->GetOption());
  const uint32_t data = reference->GetReferenceData();
  ASSERT_EQ(4, Tbx::GetHandleSize(data));
  const auto* stored = static_cast<const uint8_t*>(Tbx::HLock(data));
  EXPECT_EQ((std::vector<uint8_t>{1, 2, 3, 4}), std::vector<uint8_t>(stored, stored + 4));
  Tbx::HUnlock(data);
}

using OlderBlobs = areatest::AreaTest;

// 49 and 54 read a BLOB alike: the own format, else the older one; a BLOB
// of neither answers 1032 and leaves the document and its undo as they were.
TEST_F(OlderBlobs, BlobsOfEitherFormatLoadAndInsert) {
  InstallOlderFormats();
  const std::string letter = OlderFixture("letter.be.qmv"), neither = "neither format";
  const std::tuple<int32_t, const std::string&, int32_t, std::string> rows[] = {
      {49, letter, 0, ExpectedLetter()}, {54, letter, 0, "kept\n" + ExpectedLetter() + "\n"},
      {49, neither, 1032, "kept"}, {54, neither, 1032, "kept"}};
  for (const auto& [command, bytes, code, text] : rows) {
    xMorvaPlugIn* area = NewOffscreenArea();
    Type(Engine(*area->GetDocument(), kPartBody), u"kept");
    const bool couldUndo = area->GetDocument()->GetUndo()->CanUndo();
    uint32_t blob = Tbx::NewHandle(int32_t(bytes.size()));
    std::memcpy(Tbx::HLock(blob), bytes.data(), bytes.size());
    int16_t atEnd = 1, closing = 0;
    Run(command, area->GetReference(), {&blob, &atEnd, &closing});
    EXPECT_EQ(code, LastError(area->GetReference())) << command;
    EXPECT_EQ(text, TextOf(*area->GetDocument(), kPartBody)) << command;
    if (code != 0) {
      EXPECT_EQ(couldUndo, area->GetDocument()->GetUndo()->CanUndo());
    }
    Tbx::DisposeHandle(blob);
  }
  RemoveOlderFormats();
}
