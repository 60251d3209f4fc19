// The Word 97 writer: the bytes the layout fixes (FIB, STSH, PlcfSed,
// PlcfHdd, FKPs, Clx, SttbfFfn, DOP), the encoders, files read back by our
// importer, and bad input.
#include "interchange/word/xMorvaExportWord.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include "area/files/xMorvaFileFormats.h"
#include "area/files/xMorvaOpenSave.h"
#include "area/view/xMorvaHyperlink.h"
#include "boundary/HostDisplayRoutines.h"
#include "document/DocumentUnits.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaStyleSheet.h"
#include "document/xMorvaUndo.h"
#include "engine/xMorvaFont.h"
#include "framework/system/files/VFile.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "framework/system/tests/FilesTestSupport.h"
#include "graphics/VDIBPort.h"
#include "graphics/VGraphicsStart.h"
#include "interchange/html/xMorvaExportHTML.h"
#include "interchange/html/xMorvaHtmlFormats.h"
#include "interchange/pages/xMorvaHeaderFooterFit.h"
#include "interchange/rtf/xMorvaRtfFormats.h"
#include "interchange/tests/PrintTestSupport.h"
#include "interchange/tests/TextTestSupport.h"
#include "interchange/tests/WordExportTestSupport.h"
#include "interchange/text/xMorvaTextFormats.h"
#include "interchange/word/xMorvaImportWord.h"
#include "interchange/word/xMorvaWordFormats.h"

using namespace rtftest;
using namespace wordtest;
using oletest::MemoryFile;

namespace {

class ExportWord : public Fixture {
 protected:
  // Written and read back by our importer.
  std::unique_ptr<xMorvaDocument> RoundTrip(xMorvaDocument& document, xMorvaImportWord* reader = nullptr) {
    const Bytes file = ExportWordBytes(document);
    MemoryFile memory(file);
    auto copy = NewDocument();
    xMorvaImportWord local;
    EXPECT_EQ(0, (reader != nullptr ? reader : &local)->ImportWordDocument(copy.get(), &memory.Stream()));
    return copy;
  }
  struct Streams {
    Bytes file, main, table;
  };
  Streams Write(xMorvaDocument& document) {
    Streams s;
    s.file = ExportWordBytes(document);
    s.main = StreamOf(s.file, u"WordDocument");
    s.table = StreamOf(s.file, u"0Table");
    return s;
  }
};

// Plain text straight into the element stream ("\n" a paragraph end), as
// typing it would leave it, in a time fit for large texts.
void Units(xMorvaEngine& engine, const std::u16string& text) {
  std::vector<uint8_t> bytes;
  for (char16_t unit : text) {
    const char16_t stored = unit == u'\n' ? char16_t(13) : unit;
    bytes.push_back(uint8_t(stored));
    bytes.push_back(uint8_t(stored >> 8));
  }
  ASSERT_EQ(0, engine.InsertBytes(engine.GetStreamSize(), bytes.data(), uint32_t(bytes.size())));
  engine.SetLength(engine.GetLength() + int32_t(text.size()));
}

// A stream that takes `limit` bytes and then fails, as a full disk does.
class LimitedStream : public VHandleStream {
 public:
  LimitedStream(VMemHandle& handle, uint32_t limit) : VHandleStream(handle), fLimit(limit) {}
  int16_t WriteBytes(const void* data, uint32_t length) override {
    if (uint64_t(GetPosition()) + length > fLimit) {
      fStatus = kStreamNoMemory;
      return fStatus;
    }
    return VHandleStream::WriteBytes(data, length);
  }

 private:
  uint32_t fLimit;
};

}  // namespace

// The FIB's fixed fields, the stream tree and the sizes that keep every
// stream out of the mini stream.
TEST_F(ExportWord, FibFieldsAndStreams) {
  auto document = NewDocument();
  Type(Engine(*document, kPartBody), u"Hello\nWorld");
  const Streams s = Write(*document);
  MemoryFile memory(s.file);
  xMorvaOleFile ole(memory.Stream());
  ASSERT_EQ(0, ole.OpenForReading());
  for (const char16_t* name : {u"WordDocument", u"0Table", u"\005SummaryInformation",
                               u"\005DocumentSummaryInformation", u"\001CompObj"}) {
    const int32_t entry = ole.FindEntry(name);
    ASSERT_GT(entry, 0);
    EXPECT_EQ(kOleStream, ole.GetEntry(entry)->type);
  }
  const int32_t pool = ole.FindEntry(u"ObjectPool");
  ASSERT_GT(pool, 0);
  EXPECT_EQ(kOleStorage, ole.GetEntry(pool)->type);
  EXPECT_EQ(-1, ole.FindEntry(u"Data"));
  EXPECT_EQ(4096u, s.main.size());
  EXPECT_EQ(4096u, s.table.size());
  EXPECT_EQ(4096u, StreamOf(s.file, u"\005SummaryInformation").size());
  EXPECT_EQ(0xA5EC, U16(s.main, 0));
  EXPECT_EQ(0x00C1, U16(s.main, 2));
  EXPECT_EQ(0x040C, U16(s.main, 6));
  EXPECT_EQ(0x1000, U16(s.main, 10)) << "fExtChar only: 0Table, not complex, no pictures";
  EXPECT_EQ(0x00BF, U16(s.main, 12));
  EXPECT_EQ(1024u, U32(s.main, 24));
  EXPECT_EQ(1024u + 2 * 12, U32(s.main, 28));
  EXPECT_EQ(14, U16(s.main, 32));
  EXPECT_EQ(0x6A62, U16(s.main, 34));
  EXPECT_EQ(0xD98E, U16(s.main, 38));
  EXPECT_EQ(0x040C, U16(s.main, 60));
  EXPECT_EQ(22, U16(s.main, 62));
  EXPECT_EQ(0x0001B3ECu, U32(s.main, 68));
  EXPECT_EQ(12u, U32(s.main, 76)) << "ccpText: the body and its closing paragraph end";
  EXPECT_EQ(0u, U32(s.main, 84)) << "ccpHdd";
  EXPECT_EQ(0x000FFFFFu, U32(s.main, 64 + 4 * 11));
  EXPECT_EQ(93, U16(s.main, 152));
  EXPECT_EQ(Fc(s.main, kFibStshf), Fc(s.main, kFibStshfOrig));
  EXPECT_EQ(Lcb(s.main, kFibStshf), Lcb(s.main, kFibStshfOrig));
  EXPECT_EQ(0u, Fc(s.main, kFibStshf)) << "the style sheet opens the table stream";
  EXPECT_EQ(u"Hello\rWorld\r", WordTextOf(s.main));
  // cbMac: what the stream held before the fill to 4096 bytes.
  EXPECT_LE(U32(s.main, 64), 4096u);
  EXPECT_EQ(0u, U32(s.main, 64) % 2);
}

// The piece table: one uncompressed piece over the whole text at fcMin.
TEST_F(ExportWord, OnePieceInTheClx) {
  auto document = NewDocument();
  Type(Engine(*document, kPartBody), u"abc");
  const Streams s = Write(*document);
  const Bytes clx = Table(s.main, s.table, kFibClx);
  const Bytes expected = {2, 16, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0x40, 0, 0x00, 0x04, 0, 0, 0, 0};
  EXPECT_EQ(expected, clx);
}

// A document with only sheet 1: eleven STDs, Normal at 0, nine empty ones,
// "Default Paragraph Font" at 10.
TEST_F(ExportWord, StyleSheetOfTheDefaultSheet) {
  auto document = NewDocument();
  ASSERT_EQ(1, document->StyleSheetCount());
  Type(Engine(*document, kPartBody), u"x");
  const Streams s = Write(*document);
  const Bytes stsh = Table(s.main, s.table, kFibStshf);
  ASSERT_GT(stsh.size(), 20u);
  EXPECT_EQ(18, U16(stsh, 0));
  EXPECT_EQ(11, U16(stsh, 2)) << "cstd";
  EXPECT_EQ(10, U16(stsh, 4));
  EXPECT_EQ(1, U16(stsh, 6));
  EXPECT_EQ(91, U16(stsh, 8));
  EXPECT_EQ(15, U16(stsh, 10));
  EXPECT_EQ(2, U16(stsh, 12));
  size_t at = 20;
  std::vector<uint16_t> sizes;
  std::vector<size_t> starts;
  while (at + 2 <= stsh.size()) {
    starts.push_back(at);
    sizes.push_back(U16(stsh, at));
    at += 2 + U16(stsh, at);
  }
  ASSERT_EQ(11u, sizes.size());
  EXPECT_EQ(stsh.size(), at);
  for (size_t istd = 1; istd < 10; ++istd) EXPECT_EQ(0, sizes[istd]) << istd;
  // Normal: sti 0, fInvalHeight and fHasUpe, a paragraph style on nothing.
  EXPECT_EQ(0x6000, U16(stsh, starts[0] + 2));
  EXPECT_EQ(0xFFF1, U16(stsh, starts[0] + 4));
  EXPECT_EQ(0x0002, U16(stsh, starts[0] + 6));
  EXPECT_EQ(sizes[0], U16(stsh, starts[0] + 8)) << "bchUpe";
  // Default Paragraph Font: sti 65, a character style.
  const size_t dpf = starts[10];
  EXPECT_EQ(0x4000 | 65, U16(stsh, dpf + 2));
  EXPECT_EQ(0xFFF2, U16(stsh, dpf + 4));
  EXPECT_EQ(0x00A1, U16(stsh, dpf + 6));
  const std::u16string name = u"Default Paragraph Font";
  EXPECT_EQ(name.size(), U16(stsh, dpf + 12));
  for (size_t i = 0; i < name.size(); ++i) EXPECT_EQ(name[i], U16(stsh, dpf + 14 + 2 * i));
  // As Word writes it, it defines nothing: one empty group of character
  // properties after the name's closing zero.
  const size_t upx = dpf + 14 + 2 * name.size() + 2;
  EXPECT_EQ(0, U16(stsh, upx));
  EXPECT_EQ(sizes[10], upx + 2 - dpf - 2);
}

// Other sheets take istd 13 + their place; the slot of sheet 1's place
// stays empty; their names and properties read back.
TEST_F(ExportWord, StyleSheetsReadBack) {
  auto document = NewDocument();
  xMorvaStyleSheet sheet;
  sheet.Init();
  sheet.properties.SetProperty(kPropBold, 1);
  sheet.states.SetState(kPropBold, 1);
  sheet.properties.SetProperty(kPropAlignment, 1);
  sheet.states.SetState(kPropAlignment, 1);
  VStr<64> name;
  name.SetAnsiCText("Quote");
  int16_t id = 0;
  ASSERT_TRUE(sheet.SaveNew(*document, *document->GetStyleSheetStore(), name, id));
  sheet.paragraphSheet = 0;  // a character sheet, bold at Normal's size
  sheet.states.SetState(kPropSize, 1);
  name.SetAnsiCText("Emph");
  int16_t emph = 0;
  ASSERT_TRUE(sheet.SaveNew(*document, *document->GetStyleSheetStore(), name, emph));
  xMorvaEngine& body = Engine(*document, kPartBody);
  Type(body, u"plain\nquoted");
  body.SetSelection(6, 12);
  ASSERT_EQ(0, document->ApplyStyleSheet(id));
  const Streams s = Write(*document);
  EXPECT_EQ(17, U16(Table(s.main, s.table, kFibStshf), 2)) << "cstd: the sheet in third place is istd 16";
  xMorvaImportWord reader;
  auto copy = RoundTrip(*document, &reader);
  ASSERT_GT(reader.GetStyles().size(), 15u);
  EXPECT_EQ(u"Quote", reader.GetStyles()[15].name);
  EXPECT_EQ(1, reader.GetStyles()[15].chp.bold);
  EXPECT_EQ(1, reader.GetStyles()[15].pap.jc);
  ASSERT_TRUE(copy->StyleSheetIdAt(3, emph) && sheet.Load(*copy, *copy->GetStyleSheetStore(), emph));
  EXPECT_EQ(12, sheet.properties.GetProperty(kPropSize));
  EXPECT_EQ(1, sheet.properties.GetProperty(kPropBold));
  EXPECT_EQ(1, PropertyOfText(*copy, u"quoted", kPropBold));
  EXPECT_EQ(1, PropertyOfText(*copy, u"quoted", kPropAlignment));
  EXPECT_EQ(0, PropertyOfText(*copy, u"plain", kPropBold));
}

// One section over the text, and a SEPX whose place the SED holds: the
// page's sides, its margins and the header and footer distances go out
// even at Word's defaults (LibreOffice takes its own where a file is
// silent, and without a SEPX shows no header or footer).
TEST_F(ExportWord, SectionTableAndProperties) {
  auto document = NewDocument();
  Type(Engine(*document, kPartBody), u"page");
  document->Params().SetPageSize(TwipsToPixels(12240), TwipsToPixels(15840));
  document->Params().SetLeftMargin(TwipsToPixels(1800));
  document->Params().SetRightMargin(TwipsToPixels(1800));
  xMorvaPageBands& bands = document->Params().GetBands(false);
  bands.topMargin = bands.bottomMargin = TwipsToPixels(1440);
  bands.headerTop = bands.footerTop = TwipsToPixels(720);
  // Without footer text the distance is the footer band's lower edge.
  bands.footerBottom = TwipsToPixels(720);
  Streams s = Write(*document);
  Bytes sed = Table(s.main, s.table, kFibPlcfSed);
  ASSERT_EQ(20u, sed.size());
  EXPECT_EQ(0u, U32(sed, 0));
  EXPECT_EQ(5u, U32(sed, 4));
  EXPECT_EQ(4, U16(sed, 8));
  const uint32_t letter = U32(sed, 10);
  ASSERT_LT(letter + 34, s.main.size());
  EXPECT_EQ(Bytes({32, 0, 0x17, 0xB0, 0xD0, 0x02, 0x18, 0xB0, 0xD0, 0x02, 0x1F, 0xB0, 0xD0, 0x2F,
                   0x20, 0xB0, 0xE0, 0x3D, 0x21, 0xB0, 0x08, 0x07, 0x22, 0xB0, 0x08, 0x07,
                   0x23, 0x90, 0xA0, 0x05, 0x24, 0x90, 0xA0, 0x05}),
            Bytes(s.main.begin() + letter, s.main.begin() + letter + 34));
  EXPECT_EQ(0xFFFFFFFFu, U32(sed, 16));
  document->Params().SetPageSize(TwipsToPixels(8391), TwipsToPixels(11906));
  document->Params().SetLeftMargin(TwipsToPixels(1417));
  s = Write(*document);
  sed = Table(s.main, s.table, kFibPlcfSed);
  const uint32_t sepx = U32(sed, 10);
  ASSERT_LT(sepx, s.main.size());
  EXPECT_EQ(0u, sepx % kWordPage) << "after the last page of runs";
  const uint16_t cb = U16(s.main, sepx);
  ASSERT_EQ(32u, cb) << "the distances, the page's sides and the margins";
  EXPECT_EQ(0xB01F, U16(s.main, sepx + 10));
  EXPECT_EQ(PixelsToTwips(TwipsToPixels(8391)), U16(s.main, sepx + 12));
  EXPECT_EQ(0xB020, U16(s.main, sepx + 14));
  EXPECT_EQ(0xB021, U16(s.main, sepx + 18));
  EXPECT_EQ(PixelsToTwips(TwipsToPixels(1417)), U16(s.main, sepx + 20));
  auto copy = RoundTrip(*document);
  EXPECT_NEAR(document->GetParams().GetPageWidth(), copy->GetParams().GetPageWidth(), 1);
  EXPECT_NEAR(document->GetParams().GetPageHeight(), copy->GetParams().GetPageHeight(), 1);
  EXPECT_NEAR(document->GetParams().GetLeftMargin(), copy->GetParams().GetLeftMargin(), 1);
}

// The first page's side goes out as the reader takes it: with alternating
// bindings a left-hand first page starts the section on an even page, and
// a title page otherwise starts it on an odd one; without, a left-hand
// first page puts the binding on the right of every page. The first page
// number (with the numbering restarting, which Word and LibreOffice need to
// take it) and the binding go out when they are not the defaults.
TEST_F(ExportWord, SectionStartTitlePageNumberAndBinding) {
  struct Row {
    const char* what;
    uint8_t differentFirst;
    uint8_t alternate;
    int8_t bindingLeft;
    int32_t firstPage;
    int32_t binding;
    Bytes sprms;  // besides the page's sides, margins and distances, which always go out
    int32_t pageNumberStyle = -1;  // a page number in the footer in this style
  };
  const int32_t gutter = TwipsToPixels(720);
  const uint16_t gutterTwips = uint16_t(PixelsToTwips(gutter));
  const Row rows[] = {
      {"defaults", 0, 0, 1, 1, 0, {}},
      {"left-hand first page alone", 0, 0, 0, 1, 0, {0x2A, 0x32, 1}},
      {"left-hand first page, alternating", 0, 1, 0, 1, 0, {0x09, 0x30, 3}},
      {"right-hand first page, alternating", 0, 1, 1, 1, 0, {}},
      {"title page, right-hand first page", 1, 0, 1, 1, 0, {0x09, 0x30, 4, 0x0A, 0x30, 1}},
      {"title page, left-hand first page", 1, 0, 0, 1, 0, {0x09, 0x30, 4, 0x0A, 0x30, 1, 0x2A, 0x32, 1}},
      {"title page, left-hand first page, alternating", 1, 1, 0, 1, 0, {0x09, 0x30, 3, 0x0A, 0x30, 1}},
      {"first page number, the numbering restarting", 0, 0, 1, 5, 0, {0x11, 0x30, 1, 0x1C, 0x50, 5, 0}},
      {"binding", 0, 0, 1, 1, gutter, {0x25, 0xB0, uint8_t(gutterTwips), uint8_t(gutterTwips >> 8)}},
      // sprmSNfcPgn: nfc 1, upper roman.
      {"page numbers in upper roman", 0, 0, 1, 1, 0, {0x0E, 0x30, 1}, 4},
      {"page numbers in decimal", 0, 0, 1, 1, 0, {}, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    auto document = NewDocument();
    xMorvaDocParams& params = document->Params();
    params.SetPageSize(TwipsToPixels(12240), TwipsToPixels(15840));
    params.SetLeftMargin(TwipsToPixels(1800));
    params.SetRightMargin(TwipsToPixels(1800));
    xMorvaPageBands& bands = params.GetBands(false);
    bands.topMargin = bands.bottomMargin = TwipsToPixels(1440);
    bands.headerTop = bands.footerTop = bands.footerBottom = TwipsToPixels(720);
    params.SetDifferentFirstPage(row.differentFirst);
    params.SetAlternateBinding(row.alternate);
    params.SetBindingLeft(row.bindingLeft);
    params.SetFirstPageNumber(row.firstPage);
    params.SetBinding(row.binding);
    if (row.pageNumberStyle >= 0) {
      xMorvaEngine& footer = Engine(*document, kPartFooter);
      Type(footer, u"Page ");
      ASSERT_EQ(0, footer.InsertPageNumberField(uint32_t(row.pageNumberStyle) << kPageNumberStyleShift, false));
    }
    std::vector<uint8_t> out;
    xMorvaExportWord::EncodeSectionSprms(out, *document);
    // Those of a word operand each (spra 4 and 5: opcodes from 0x8000 up).
    Bytes rest;
    for (size_t at = 0; at + 1 < out.size();) {
      const uint16_t opcode = uint16_t(out[at] | out[at + 1] << 8);
      const size_t size = 2 + (opcode >> 13 == 1 ? 1 : opcode >> 13 == 3 ? 4 : 2);
      const bool always = opcode == 0xB017 || opcode == 0xB018 || (opcode >= 0xB01F && opcode <= 0xB022) ||
                          opcode == 0x9023 || opcode == 0x9024;
      if (!always) rest.insert(rest.end(), out.begin() + long(at), out.begin() + long(std::min(at + size, out.size())));
      at += size;
    }
    EXPECT_EQ(row.sprms, rest);
    EXPECT_EQ(32u, out.size() - rest.size()) << "the page's sides, margins and distances";
    // Our reader takes the page numbers' style back.
    xMorvaImportWord reader;
    RoundTrip(*document, &reader);
    EXPECT_EQ(std::max(row.pageNumberStyle, 0), reader.GetSection().pageNumberStyle);
  }
}

// Our own Word file gives back every page setting of the document: the
// margins (a top margin above the header's distance from the page's edge
// included), the mirrored margins, the binding and the first page's side,
// the title page and the first page number.
TEST_F(ExportWord, RoundTripKeepsThePageSettings) {
  struct Row {
    const char* what;
    double left, right, top, bottom;  // centimetres
    uint8_t alternate;
    int8_t bindingLeft;
    double binding;
    uint8_t differentFirst;
    int32_t firstPage;
  };
  const Row rows[] = {
      {"the defaults' margins", 2.5, 2.5, 3.5, 3.5, 0, 1, 0, 0, 1},
      {"narrow margins, the top above the header", 1.27, 1.27, 1.27, 1.27, 0, 1, 0, 0, 1},
      {"a top margin at the header", 2, 2, 1.5, 2, 0, 1, 0, 0, 1},
      {"binding on the left", 2, 1, 2, 2.5, 0, 1, 1, 0, 1},
      {"binding on the right", 2, 1, 2, 2.5, 0, 0, 1, 0, 1},
      {"mirrored, first page on the right", 2, 2, 2, 2, 1, 1, 1, 0, 1},
      {"mirrored, first page on the left", 2, 2, 2, 2, 1, 0, 1, 0, 1},
      {"mirrored, first page on the left, title page", 2, 3, 2, 2, 1, 0, 0.5, 1, 1},
      {"title page, first page on the left, numbered from 4", 2, 3, 2, 2, 0, 0, 0.5, 1, 4},
      {"numbered from 7", 3, 3, 3, 3, 0, 1, 0, 0, 7},
  };
  auto pixels = [](double cm) { return TwipsToPixels(int32_t(cm * 1440 / 2.54)); };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    auto document = NewDocument();
    Type(Engine(*document, kPartBody), u"A page of its own.");
    xMorvaDocParams& params = document->Params();
    params.SetLeftMargin(pixels(row.left));
    params.SetRightMargin(pixels(row.right));
    xMorvaPageBands& bands = params.GetBands(false);
    bands.topMargin = pixels(row.top);
    bands.bottomMargin = pixels(row.bottom);
    params.SetAlternateBinding(row.alternate);
    params.SetBindingLeft(row.bindingLeft);
    params.SetBinding(pixels(row.binding));
    params.SetDifferentFirstPage(row.differentFirst);
    params.SetFirstPageNumber(row.firstPage);
    auto copy = RoundTrip(*document);
    const xMorvaDocParams& back = copy->GetParams();
    EXPECT_EQ(back.GetPageWidth(), params.GetPageWidth());
    EXPECT_EQ(back.GetPageHeight(), params.GetPageHeight());
    EXPECT_EQ(back.GetLeftMargin(), params.GetLeftMargin());
    EXPECT_EQ(back.GetRightMargin(), params.GetRightMargin());
    EXPECT_EQ(back.GetBands(false).topMargin, bands.topMargin);
    EXPECT_EQ(back.GetBands(false).bottomMargin, bands.bottomMargin);
    // The header's distance, no lower than the top margin.
    EXPECT_EQ(back.GetBands(false).headerTop, std::min(bands.headerTop, bands.topMargin));
    EXPECT_EQ(back.GetAlternateBinding(), row.alternate);
    EXPECT_EQ(back.GetBindingLeft(), row.bindingLeft);
    EXPECT_EQ(back.GetBinding(), params.GetBinding());
    EXPECT_EQ(back.GetDifferentFirstPage(), row.differentFirst);
    EXPECT_EQ(back.GetFirstPageNumber(), row.firstPage);
    for (int32_t page : {0, 1, 2}) EXPECT_EQ(back.TextLeft(page), params.TextLeft(page)) << "page " << page;
  }
}

// A document with a header and a footer of three lines each (and a first
// page of its own in one row) and a sheet of its own, through our Word
// writer and reader three times over: every page setting and every style
// sheet comes back, and a header or footer whose lines the margin leaves
// no room for gets its room in the first trip and keeps it. Footers whose
// band the first trip changes (none, blank lines, RTF's \footery0, taller
// than the page, facing pages' blank left parts): trips 2 and 3 read what
// trip 1 read, every band, the distance written and every part.
TEST_F(ExportWord, ThreeRoundTripsKeepThePageAndTheSheets) {
  struct Row {
    const char* what = "";
    double top = 0, header = 0, bottom = 0;  // centimetres: top margin, header's upper edge, bottom margin
    bool titlePage = false;
    bool fits = false;  // the lines fit the margins as they are
    bool firstStories = true;  // a title page has a header and footer of its own
    const char16_t* footer = nullptr;  // in place of the three lines
    const char* rtf = nullptr;         // the document read from this in place of the one made
    const char16_t* left = nullptr;    // facing pages, this their left header and footer
    bool zero = false;                 // the file read first gives the footer's distance as 0
    double pageWidth = 0, pageHeight = 0;  // inches; 0 keeps the document's page
    const char16_t* firstFooter = nullptr;  // in place of the first page's three footer lines
    int32_t tabTwips = 0;  // the default tab interval; 0 keeps the document's 1 cm
    const char16_t* headerLines = u"Head one\nHead two\nHead three";  // the other pages' header
  };
  std::u16string tall;
  for (int i = 0; i < 80; ++i) tall += u"Foot line\n";
  const Row rows[] = {
      {"the defaults' margins", 3.5, 1.5, 3.5, false, true},
      {"a letter's margins", 2.5, 1, 2.5, false, true},
      {"a title page", 3.5, 1.5, 3.5, true, true},
      {"a bottom margin lower than the footer's lines", 3.5, 1.5, 1, false, false},
      {"a top margin above the header's distance", 1, 1.5, 3.5, true, false},
      {"a title page without a header, the others' too tall for their margins", 1, 1.5, 1, true, false, false},
      {"no footer text", 3.5, 1.5, 3.5, false, false, true, u""},
      {"a footer of blank lines", 3.5, 1.5, 3.5, false, false, true, u"\n\n"},
      {"RTF's \\footery0", 3.5, 1.5, 3.5, false, false, true, u"",
       "{\\rtf1\\margb1440\\footery0{\\footer Foot\\par}Body.}"},
      {"a footer taller than the page", 3.5, 1.5, 3.5, false, false, true, tall.c_str()},
      {"facing pages with left parts of blank lines", 3.5, 1.5, 3.5, false, false, true, u"Foot",
       nullptr, u"\n"},
      {"facing pages with blank left parts", 3.5, 1.5, 3.5, false, false, true, u"Foot", nullptr,
       u""},
      {"facing pages with left parts", 3.5, 1.5, 3.5, false, false, true, u"Foot", nullptr,
       u"Left part"},
      {"a footer distance of 0", 3.5, 1.5, 3.5, false, false, true, u"Foot", nullptr, nullptr,
       true},
      // Page sides above 32767 twips (22.75 inches), which a signed word
      // would cut short.
      {"a poster's page", 3.5, 1.5, 3.5, false, true, true, nullptr, nullptr, nullptr, false, 24,
       36},
      // One footer distance for two footers: the first page's footer, whose
      // lines show, stays where it is.
      {"a title page, the others' footer taller than the page", 3.5, 1.5, 3.5, true, false, true,
       tall.c_str(), nullptr, nullptr, false, 0, 0, u"Last"},
      {"a title page with an empty footer, at a distance of 0", 3.5, 1.5, 3.5, true, false, true,
       nullptr, nullptr, nullptr, true, 0, 0, u""},
      {.what = "half-inch default tabs", .top = 3.5, .header = 1.5, .bottom = 3.5, .fits = true,
       .tabTwips = 720},
      // The header's distance at the top margin, only the first page's
      // header with lines, its margin widened for them: both kinds of page
      // keep the one distance.
      {.what = "a first-page header at the margin's height",
       .titlePage = true,
       .firstStories = false,
       .rtf = "{\\rtf1\\margt720\\headery720\\titlepg{\\headerf First one\\par First two\\par}Body.}",
       .headerLines = u""},
  };
  auto pixels = [](double cm) { return TwipsToPixels(int32_t(cm * 1440 / 2.54)); };
  auto lineOf = [](xMorvaDocument& document, int16_t part) {
    Engine(document, part).SetSelection(0, 0);
    xMorvaFont font(document.GetMeasuringPort(), &document);
    font.ApplyProperty(kPropFont, Engine(document, part).GetPropertyValue(kPropFont), false);
    font.ApplyProperty(kPropSize, Engine(document, part).GetPropertyValue(kPropSize), false);
    return std::max(font.GetAscent() + font.GetDescent(), 1);
  };
  // The sheets' names in the document's order; their numbers are the
  // Word styles' places, which the first trip settles.
  auto sheets = [](xMorvaDocument& document) {
    std::vector<std::u16string> out;
    for (int16_t id : document.StyleSheetIds()) {
      VStr<255> name;
      document.GetStyleSheetName(id, name, false);
      char16_t units[256] = {};
      name.GetUniCText(units, 255);
      out.emplace_back(units);
    }
    return out;
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    auto document = NewDocument();
    if (row.rtf != nullptr) {
      ASSERT_EQ(0, Import(*document, row.rtf));
    }
    Type(Engine(*document, kPartBody), u"A letter.\nIts second paragraph.");
    Type(Engine(*document, kPartHeader), row.headerLines);
    if (row.rtf == nullptr)
      Type(Engine(*document, kPartFooter), row.footer != nullptr ? row.footer : u"Foot one\nFoot two\nFoot three");
    xMorvaDocParams& params = document->Params();
    if (row.pageWidth > 0) {
      params.SetPageSize(TwipsToPixels(int32_t(row.pageWidth * 1440)), TwipsToPixels(int32_t(row.pageHeight * 1440)));
      document->TakePaperFromPage(false);
      ASSERT_GT(PixelsToTwips(params.GetPageHeight()), 51000);
    }
    if (row.left != nullptr) {
      params.SetDifferentLeftRight(1);
      Type(Engine(*document, kPartLeftHeader), row.left);
      Type(Engine(*document, kPartLeftFooter), row.left);
    }
    if (row.titlePage) params.SetDifferentFirstPage(1);
    if (row.tabTwips != 0) params.SetDefaultTabInterval(TwipsToPixels(row.tabTwips));
    if (row.titlePage && row.firstStories) {
      Type(Engine(*document, kPartFirstHeader), u"First one\nFirst two\nFirst three");
      Type(Engine(*document, kPartFirstFooter),
           row.firstFooter != nullptr ? row.firstFooter : u"Last one\nLast two\nLast three");
    }
    for (bool first : {false, true}) {
      // The rows of another footer keep a new document's bands.
      if (row.footer != nullptr || row.rtf != nullptr) break;
      xMorvaPageBands& bands = params.GetBands(first);
      bands.topMargin = pixels(row.top);
      bands.headerTop = pixels(row.header);
      bands.headerBottom = std::max(bands.topMargin - 1, bands.headerTop);
      bands.bottomMargin = pixels(row.bottom);
      // The footer's band reaches up to the bottom margin.
      bands.footerTop = bands.bottomMargin - 1;
      bands.footerBottom = 0;
    }
    xMorvaStyleSheet quote;
    quote.Init();
    quote.properties.SetProperty(kPropItalic, 1);
    quote.states.SetState(kPropItalic, 1);
    VStr<64> name;
    name.SetAnsiCText("Quote");
    int16_t id = 0;
    ASSERT_TRUE(quote.SaveNew(*document, *document->GetStyleSheetStore(), name, id));
    const auto ownSheets = sheets(*document);
    ASSERT_EQ(2u, ownSheets.size());

    std::vector<std::unique_ptr<xMorvaDocument>> trips;
    for (int trip = 0; trip < 3; ++trip) {
      if (trip > 0 || !row.zero) {
        trips.push_back(RoundTrip(trip == 0 ? *document : *trips.back()));
        continue;
      }
      // Our file with its sprmSDyaHdrBottom's operand made 0.
      Bytes file = ExportWordBytes(*document);
      const uint16_t twips = uint16_t(PixelsToTwips(FooterDistanceOf(*document)));
      const Bytes sprm = {0x18, 0xB0, uint8_t(twips), uint8_t(twips >> 8)};
      const auto at = std::search(file.begin(), file.end(), sprm.begin(), sprm.end());
      ASSERT_NE(file.end(), at);
      at[2] = at[3] = 0;
      MemoryFile memory(file);
      trips.push_back(NewDocument());
      xMorvaImportWord reader;
      ASSERT_EQ(0, reader.ImportWordDocument(trips.back().get(), &memory.Stream()));
    }
    for (int trip = 0; trip < 3; ++trip) {
      SCOPED_TRACE("trip " + std::to_string(trip + 1));
      xMorvaDocument& copy = *trips[size_t(trip)];
      const xMorvaDocParams& back = copy.GetParams();
      EXPECT_EQ(ownSheets, sheets(copy));
      if (trip > 0) {
        EXPECT_EQ(trips[0]->StyleSheetIds(), copy.StyleSheetIds());
      }
      EXPECT_EQ(back.GetPageWidth(), params.GetPageWidth());
      EXPECT_EQ(back.GetPageHeight(), params.GetPageHeight());
      EXPECT_EQ(back.GetLeftMargin(), params.GetLeftMargin());
      EXPECT_EQ(back.GetRightMargin(), params.GetRightMargin());
      EXPECT_EQ(back.GetDifferentFirstPage(), params.GetDifferentFirstPage());
      EXPECT_EQ(back.GetDifferentLeftRight(), params.GetDifferentLeftRight());
      EXPECT_EQ(back.GetBinding(), params.GetBinding());
      EXPECT_EQ(back.GetFirstPageNumber(), params.GetFirstPageNumber());
      EXPECT_EQ(back.GetDefaultTabInterval(), params.GetDefaultTabInterval());
      if (trip > 0) {
        xMorvaDocument& settled = *trips[0];
        EXPECT_EQ(FooterDistanceOf(settled), FooterDistanceOf(copy));
        for (int16_t part = 0; part < kPartCount; ++part)
          EXPECT_EQ(TextOf(settled, part), TextOf(copy, part)) << "part " << part;
      }
      if (row.footer != nullptr) {
        EXPECT_EQ(TextOf(*document, kPartFooter), TextOf(copy, kPartFooter));
      }
      if (row.left != nullptr) {
        EXPECT_EQ(texttest::Utf8(row.left), TextOf(copy, kPartLeftHeader));
        EXPECT_EQ(texttest::Utf8(row.left), TextOf(copy, kPartLeftFooter));
      }
      if (row.firstFooter != nullptr && *row.firstFooter != 0) {
        // The first page's footer prints where it printed.
        auto place = [](xMorvaDocument& d) {
          return d.GetParams().FooterPlaceOf(0, HeaderFooterLinesHeight(d, kPartFirstFooter)).top;
        };
        EXPECT_EQ(place(*document), place(copy));
      }
      if (row.footer == nullptr && row.rtf == nullptr) {
        EXPECT_EQ("Foot one\nFoot two\nFoot three", TextOf(copy, kPartFooter).substr(0, 28));
      }
      EXPECT_EQ(texttest::Utf8(row.headerLines), TextOf(copy, kPartHeader).substr(0, 28));
      for (bool first : {false, true}) {
        SCOPED_TRACE(first ? "first page" : "other pages");
        const xMorvaPageBands& bands = back.GetBands(first);
        // The first trip settles every band; the later ones give it back.
        if (trip > 0) {
          EXPECT_EQ(trips[0]->GetParams().GetBands(first), bands);
        }
        if (row.footer != nullptr || row.rtf != nullptr) continue;
        if (row.fits) {
          EXPECT_EQ(params.GetBands(first).topMargin, bands.topMargin);
          EXPECT_EQ(params.GetBands(first).bottomMargin, bands.bottomMargin);
          EXPECT_EQ(params.GetBands(first).headerTop, bands.headerTop);
          EXPECT_EQ(params.GetBands(first).footerTop, bands.footerTop);
        }
        // The header's and the footer's bands hold their three lines, the
        // header below its distance and the body below the header.
        const bool own = first && row.titlePage;
        if (own && !row.firstStories) {
          // No header or footer of its own: the first page keeps the
          // section's margins, which the others' lines widen.
          EXPECT_EQ(pixels(row.top), bands.topMargin);
          EXPECT_EQ(pixels(row.bottom), bands.bottomMargin);
          EXPECT_LT(bands.topMargin, back.GetBands(false).topMargin);
          continue;
        }
        if (own && row.firstFooter != nullptr) continue;
        EXPECT_EQ(pixels(row.header), bands.headerTop);
        EXPECT_GE(bands.headerBottom - bands.headerTop, 3 * lineOf(copy, own ? kPartFirstHeader : kPartHeader));
        EXPECT_GE(bands.footerTop - bands.footerBottom, 3 * lineOf(copy, own ? kPartFirstFooter : kPartFooter));
        // The footer's last line ends no lower than a footer prints, so
        // the body ends above it.
        EXPECT_GE(bands.footerTop - 3 * lineOf(copy, own ? kPartFirstFooter : kPartFooter),
                  xMorvaDocParams::FooterFloor());
        EXPECT_LT(bands.headerBottom, bands.topMargin);
        EXPECT_LT(bands.footerTop, bands.bottomMargin);
      }
    }
  }
}

// A body's, a header's and a footer's paragraphs come back through three
// trips, those at their end that are empty too: Word's last paragraph end
// of each story, which the reader takes for the story's own, is one more
// than the part's.
TEST_F(ExportWord, ThreeRoundTripsKeepEveryParagraph) {
  for (const std::u16string text : {u"a", u"a\n", u"a\n\n", u"\n", u"a\nb\n\n\n"}) {
    auto document = NewDocument();
    Type(Engine(*document, kPartBody), text);
    // A header or footer of paragraph ends alone is none.
    Type(Engine(*document, kPartHeader), u"Head " + text);
    Type(Engine(*document, kPartFooter), u"Foot " + text);
    std::map<int16_t, std::string> before;
    for (int16_t part : {kPartBody, kPartHeader, kPartFooter}) before[part] = TextOf(*document, part);
    SCOPED_TRACE(before[kPartBody]);
    std::unique_ptr<xMorvaDocument> copy = RoundTrip(*document);
    for (int trip = 1; trip <= 3; ++trip) {
      for (const auto& [part, was] : before) EXPECT_EQ(was, TextOf(*copy, part)) << "trip " << trip << ", part " << part;
      copy = RoundTrip(*copy);
    }
  }
}

// Headers and footers follow the body as the header stories: 14 CPs, the
// odd header and footer, each closed by a paragraph end of its own behind
// its last paragraph's, the guard paragraphs and ccpHdd one short of them.
TEST_F(ExportWord, HeaderStoryTable) {
  auto document = NewDocument();
  Type(Engine(*document, kPartBody), u"body");
  Streams s = Write(*document);
  EXPECT_EQ(0u, Lcb(s.main, kFibPlcfHdd));
  Type(Engine(*document, kPartHeader), u"Head");
  Type(Engine(*document, kPartFooter), u"Foot");
  s = Write(*document);
  const Bytes hdd = Table(s.main, s.table, kFibPlcfHdd);
  ASSERT_EQ(56u, hdd.size());
  const uint32_t expected[14] = {0, 0, 0, 0, 0, 0, 0, 0, 6, 6, 12, 12, 12, 14};
  for (size_t i = 0; i < 14; ++i) EXPECT_EQ(expected[i], U32(hdd, 4 * i)) << i;
  EXPECT_EQ(5u, U32(s.main, 76));
  EXPECT_EQ(13u, U32(s.main, 84)) << "ccpHdd: the stories and one guard";
  EXPECT_EQ(u"body\rHead\r\rFoot\r\r\r\r", WordTextOf(s.main));
  // The section and the piece cover the stories.
  EXPECT_EQ(18u, U32(Table(s.main, s.table, kFibPlcfSed), 4));
  EXPECT_EQ(19u, U32(Table(s.main, s.table, kFibClx), 9));
}

// A first-page header and left-page stories take their own slots.
TEST_F(ExportWord, HeaderStoriesOfFirstAndLeftPages) {
  auto document = NewDocument();
  Type(Engine(*document, kPartBody), u"b");
  document->Params().SetDifferentFirstPage(1);
  document->Params().SetDifferentLeftRight(1);
  Type(Engine(*document, kPartLeftHeader), u"L");
  Type(Engine(*document, kPartHeader), u"H");
  Type(Engine(*document, kPartFirstFooter), u"FF");
  const Streams s = Write(*document);
  const Bytes hdd = Table(s.main, s.table, kFibPlcfHdd);
  ASSERT_EQ(56u, hdd.size());
  const uint32_t expected[14] = {0, 0, 0, 0, 0, 0, 0, 3, 6, 6, 6, 6, 10, 12};
  for (size_t i = 0; i < 14; ++i) EXPECT_EQ(expected[i], U32(hdd, 4 * i)) << i;
  EXPECT_EQ(u"b\rL\r\rH\r\rFF\r\r\r\r", WordTextOf(s.main));
  // Our importer puts each story back in its part, with the page settings
  // that choose them.
  auto copy = RoundTrip(*document);
  EXPECT_EQ(1, copy->Params().GetDifferentFirstPage());
  EXPECT_EQ(1, copy->Params().GetDifferentLeftRight());
  for (const auto& [part, text] : {std::pair{kPartHeader, "H"}, {kPartLeftHeader, "L"}, {kPartFirstFooter, "FF"}}) {
    const std::string shown = rtftest::TextOf(*copy, part);
    EXPECT_EQ(text, shown.substr(0, shown.find_first_of("\r\n"))) << part;
  }
}

// Many short paragraphs fill several PAPX pages, each on its own 512
// bytes, and the page list names them; the fcs run on without a gap.
TEST_F(ExportWord, RunPagesCoverTheText) {
  auto document = NewDocument();
  xMorvaEngine& body = Engine(*document, kPartBody);
  std::u16string text;
  for (int i = 0; i < 300; ++i) text += u"p\n";
  Type(body, text);
  // Every other paragraph bold: runs that do not continue each other.
  for (int32_t i = 0; i < 300; i += 2) {
    body.SetSelection(2 * i, 2 * i + 1);
    ASSERT_EQ(0, body.SetPropertyValue(kPropBold, 1));
  }
  const Streams s = Write(*document);
  for (uint16_t pair : {uint16_t(kFibPlcfBtePapx), uint16_t(kFibPlcfBteChpx), uint16_t(kFibPlcfBteLvc)}) {
    SCOPED_TRACE(pair);
    const Bytes bte = Table(s.main, s.table, pair);
    ASSERT_EQ(0u, (bte.size() - 4) % 8);
    const size_t pages = (bte.size() - 4) / 8;
    ASSERT_GE(pages, 2u);
    uint32_t fc = 1024;
    for (size_t p = 0; p < pages; ++p) {
      EXPECT_EQ(fc, U32(bte, 4 * p));
      const uint32_t pn = U32(bte, 4 * (pages + 1) + 4 * p);
      const size_t page = size_t(pn) * kWordPage;
      ASSERT_LE(page + kWordPage, s.main.size());
      const uint8_t count = s.main[page + kWordPage - 1];
      ASSERT_GT(count, 0);
      EXPECT_EQ(fc, U32(s.main, page)) << "the page starts where the last ended";
      fc = U32(s.main, page + 4 * size_t(count));
    }
    EXPECT_EQ(fc, U32(bte, 4 * pages));
    // The 300 paragraphs, and the paragraph end of the empty one after.
    EXPECT_EQ(1024u + 2 * 601, fc);
  }
  // The first PAPX: istd 0 and no sprm, at an even offset.
  const Bytes papx = Table(s.main, s.table, kFibPlcfBtePapx);
  const size_t page = size_t(U32(papx, 4 * ((papx.size() - 4) / 8 + 1))) * kWordPage;
  const uint8_t count = s.main[page + 511];
  const uint8_t offset = s.main[page + 4 * (count + 1)];
  EXPECT_EQ(0, s.main[page + 2 * offset]);
  EXPECT_EQ(1, s.main[page + 2 * offset + 1]);
  EXPECT_EQ(0, U16(s.main, page + 2 * offset + 2));
  // The first run is bold: cb 3, sprmCFBold 1; the second plain.
  const Bytes chpx = Table(s.main, s.table, kFibPlcfBteChpx);
  const size_t cpage = size_t(U32(chpx, 4 * ((chpx.size() - 4) / 8 + 1))) * kWordPage;
  const uint8_t ccount = s.main[cpage + 511];
  const uint8_t coffset = s.main[cpage + 4 * (ccount + 1)];
  ASSERT_NE(0, coffset);
  EXPECT_EQ(3, s.main[cpage + 2 * coffset]);
  EXPECT_EQ(0x0835, U16(s.main, cpage + 2 * coffset + 1));
  EXPECT_EQ(1, s.main[cpage + 2 * coffset + 3]);
  EXPECT_EQ(0, s.main[cpage + 4 * (ccount + 1) + 1]) << "a plain run stores nothing";
  EXPECT_EQ(1024u + 2 * 1, U32(s.main, cpage + 4)) << "the plain paragraph end and the plain paragraph after it";
  EXPECT_EQ(1024u + 2 * 4, U32(s.main, cpage + 8)) << "the next bold paragraph, the third";
}

// Runs that carry the same properties over the same style continue each
// other across paragraphs: plain text is one run.
TEST_F(ExportWord, EqualRunsContinue) {
  auto document = NewDocument();
  Type(Engine(*document, kPartBody), u"one\ntwo\nthree");
  const Streams s = Write(*document);
  const Bytes chpx = Table(s.main, s.table, kFibPlcfBteChpx);
  ASSERT_EQ(12u, chpx.size()) << "one page";
  const size_t page = size_t(U32(chpx, 8)) * kWordPage;
  EXPECT_EQ(1, s.main[page + 511]);
  EXPECT_EQ(1024u, U32(s.main, page));
  EXPECT_EQ(1024u + 2 * 14, U32(s.main, page + 4));
  const Bytes papx = Table(s.main, s.table, kFibPlcfBtePapx);
  EXPECT_EQ(3, s.main[size_t(U32(papx, 8)) * kWordPage + 511]) << "a paragraph each";
}

// A text of several of the pieces the walk writes at a time, and a header
// story after it: every unit in its place, the paragraph pages after the
// text's last page and covering it to its end.
TEST_F(ExportWord, LongTextInOrderBeforeItsPages) {
  auto document = NewDocument();
  std::u16string body;
  for (int i = 0; i < 200000; ++i) body += i % 1000 == 999 ? u'\n' : char16_t(u'a' + (i * 7 + i / 26) % 26);
  Units(Engine(*document, kPartBody), body);
  Type(Engine(*document, kPartHeader), u"Head");
  const Streams s = Write(*document);
  // The body ends with a paragraph end and an empty paragraph, which gets
  // its own; the header story ends its paragraph and closes with one of
  // its own, then come the two guard paragraphs.
  std::u16string expected = body + u"\nHead\n\n\n\n";
  for (char16_t& unit : expected)
    if (unit == u'\n') unit = 13;
  EXPECT_TRUE(WordTextOf(s.main) == expected) << "the text differs";
  EXPECT_EQ(200001u, U32(s.main, 64 + 4 * 3)) << "ccpText";
  const uint32_t fcMac = U32(s.main, 28);
  const Bytes chpx = Table(s.main, s.table, kFibPlcfBteChpx);
  ASSERT_EQ(12u, chpx.size()) << "plain text: one run page";
  EXPECT_EQ((fcMac + kWordPage - 1) / kWordPage, U32(chpx, 8)) << "the first page after the text";
  const Bytes papx = Table(s.main, s.table, kFibPlcfBtePapx);
  const size_t pages = (papx.size() - 4) / 8;
  ASSERT_GE(pages, 2u);
  EXPECT_EQ(U32(chpx, 8) + 1, U32(papx, 4 * (pages + 1))) << "the paragraph pages next";
  EXPECT_EQ(fcMac, U32(papx, 4 * pages));
  EXPECT_EQ(s.main.size(), size_t(U32(s.main, 64))) << "cbMac";
}

// Font names: an FFN each, cut to 31 characters.
TEST_F(ExportWord, FontTableCutsLongNames) {
  auto document = NewDocument();
  VStr<255> long_name;
  const std::u16string name(120, u'F');
  long_name.SetUniCText(name.c_str());
  const int16_t index = document->FontIndexForName(long_name);
  xMorvaEngine& body = Engine(*document, kPartBody);
  Type(body, u"x");
  body.SetSelection(0, 1);
  ASSERT_EQ(0, body.SetPropertyValue(kPropFont, index));
  const Streams s = Write(*document);
  const Bytes ffn = Table(s.main, s.table, kFibSttbfFfn);
  const uint16_t count = U16(ffn, 0);
  ASSERT_EQ(uint16_t(document->GetFontCount()), count);
  EXPECT_EQ(0, U16(ffn, 2));
  size_t at = 4;
  for (uint16_t i = 0; i < count; ++i) {
    ASSERT_LT(at, ffn.size());
    const uint8_t cb = ffn[at];
    EXPECT_EQ(0x44, ffn[at + 1]);
    EXPECT_EQ(400, U16(ffn, at + 2));
    EXPECT_EQ(1, ffn[at + 4]);
    const size_t length = (size_t(cb) - 41) / 2;
    EXPECT_LE(length, 31u);
    EXPECT_EQ(0, U16(ffn, at + 40 + 2 * length)) << "the name's terminating zero";
    if (i + 1 == uint16_t(index)) {
      EXPECT_EQ(31u, length);
    }
    at += size_t(cb) + 1;
  }
  EXPECT_EQ(ffn.size(), at);
  xMorvaImportWord reader;
  RoundTrip(*document, &reader);
  ASSERT_GE(reader.GetFontNames().size(), size_t(index));
  EXPECT_EQ(name.substr(0, 31), reader.GetFontNames()[size_t(index - 1)]);
}

// The DOP: its fixed words and the informations' dates as DTTMs.
TEST_F(ExportWord, DopWithTheDates) {
  auto document = NewDocument();
  Type(Engine(*document, kPartBody), u"x");
  VDateRec date{};
  date.day = 5;
  date.month = 3;
  date.year = 2026;
  document->Infos().SetCreationDate(date);
  document->Infos().SetCreationTime(14 * 3600 + 30 * 60);
  document->Params().SetWidowControl(1);
  const Streams s = Write(*document);
  const Bytes dop = Table(s.main, s.table, kFibDop);
  ASSERT_EQ(500u, dop.size());
  EXPECT_EQ(0x0022, U16(dop, 0));
  EXPECT_EQ(0x0004, U16(dop, 2));
  EXPECT_EQ(0x0841, U16(dop, 4));
  EXPECT_EQ(0x008C, U16(dop, 6));
  // dxaTab: the default stops' interval as they fall, 1 cm.
  EXPECT_EQ(567, U16(dop, 10));
  EXPECT_EQ(360, U16(dop, 14));
  EXPECT_EQ(0x2B9E, U16(dop, 20));
  EXPECT_EQ(0x07E3, U16(dop, 22));
  EXPECT_EQ(1, U16(dop, 32));
  EXPECT_EQ(0x1003, U16(dop, 54));
  EXPECT_EQ(1701, U16(dop, 400));
  EXPECT_EQ(0x3012, U16(dop, 410));
  EXPECT_EQ(1u, U32(dop, 476));
  EXPECT_EQ(582, U16(dop, 498));
  xMorvaImportWord reader;
  RoundTrip(*document, &reader);
  EXPECT_TRUE(reader.GetDop().widowControl);
  EXPECT_EQ(5, reader.GetDop().created.day);
  EXPECT_EQ(3, reader.GetDop().created.month);
  EXPECT_EQ(126, reader.GetDop().created.year);
  EXPECT_EQ(14 * 3600 + 30 * 60, reader.GetDop().created.seconds);
  EXPECT_EQ(U16(dop, 10), reader.GetDop().defaultTab);
  // Facing pages set fFacingPages, which makes the left-page stories count.
  document->Params().SetDifferentLeftRight(1);
  const Streams facing = Write(*document);
  EXPECT_EQ(0x0023, U16(Table(facing.main, facing.table, kFibDop), 0));
  // Other intervals: as many twips as they are, an inch unit's as inches.
  struct Row {
    int32_t pixels;
    int32_t unit;
    uint16_t dxaTab;
  };
  const Row rows[] = {
      {TwipsToPixels(720), kUnitCentimetres, 720},
      {TwipsToPixels(720), kUnitInches, 720},
      {CentimetresToPixels(2.5), kUnitCentimetres, 1417},
      {TwipsToPixels(31680 * 2), kUnitPoints, 31680},  // held to the widest page
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.dxaTab);
    document->Params().SetDisplayUnit(row.unit);
    document->Params().SetDefaultTabInterval(row.pixels);
    const Streams other = Write(*document);
    EXPECT_EQ(row.dxaTab, U16(Table(other.main, other.table, kFibDop), 10));
  }
}

TEST_F(ExportWord, ValueMappings) {
  EXPECT_EQ(1, xMorvaExportWord::ColorToIco(0x000000));
  EXPECT_EQ(6, xMorvaExportWord::ColorToIco(0x0000FF));
  EXPECT_EQ(14, xMorvaExportWord::ColorToIco(0xA6D9FF));
  EXPECT_EQ(0, xMorvaExportWord::ColorToIco(0x123456)) << "no nearest colour";
  EXPECT_EQ(8, xMorvaExportWord::ColorToIco(kColourNone));
  EXPECT_EQ(0x0506, xMorvaExportWord::MakeShd(0x0000FF));
  const int32_t spacing = 8;
  const uint32_t points = uint32_t(8 * 72 / GetScreenResolution());
  EXPECT_EQ(0x00060103u | points << 24, xMorvaExportWord::MakeBrc(1, 0x0000FF, spacing));
  EXPECT_EQ(0x0C01u, xMorvaExportWord::MakeBrc(7, 0, 0) & 0xFFFF);
  EXPECT_EQ(0u, xMorvaExportWord::MakeBrc(6, 0, 0) & 0xFFFF);
  VDateRec date{};
  date.day = 5;
  date.month = 3;
  date.year = 2026;
  EXPECT_EQ(0x07E32B9Eu, xMorvaExportWord::MakeDttm(date, 14 * 3600 + 30 * 60));
}

TEST_F(ExportWord, ParagraphEncoder) {
  xMorvaProperties values;
  xMorvaTabs tabs;
  uint8_t top = 0;
  std::vector<uint8_t> out;
  EXPECT_EQ(0, xMorvaExportWord::EncodeParagraphSprms(out, values, tabs, nullptr, top));
  EXPECT_TRUE(out.empty()) << "defaults without tabs: nothing";
  // A bar tab brings a left stop at the bar plus the border spacing.
  const int16_t at = int16_t(TwipsToPixels(1440));
  tabs.AddStop(MakeTabStop(at, 0, 5));
  values.SetProperty(kPropBorderSpacing, 0);
  values.SetProperty(kPropBorderSpacing, TwipsToPixels(720));
  EXPECT_EQ(1, xMorvaExportWord::EncodeParagraphSprms(out, values, tabs, nullptr, top));
  ASSERT_EQ(11u, out.size());
  EXPECT_EQ(0xC60D, LoadLE16(out.data()));
  EXPECT_EQ(8, out[2]);
  EXPECT_EQ(0, out[3]);
  EXPECT_EQ(2, out[4]);
  EXPECT_EQ(PixelsToTwips(at), LoadLE16(out.data() + 5));
  EXPECT_EQ(PixelsToTwips(at + TwipsToPixels(720)), LoadLE16(out.data() + 7));
  EXPECT_EQ(4, out[9]) << "the bar";
  EXPECT_EQ(0, out[10]) << "its companion: left, no leader";
  // Two bordered paragraphs in a row: the second's top is a between too.
  tabs.Clear();
  values.SetProperty(kPropTopBorder, 1);
  out.clear();
  xMorvaExportWord::EncodeParagraphSprms(out, values, tabs, nullptr, top);
  EXPECT_EQ(0x6424, LoadLE16(out.data()));
  EXPECT_EQ(1, top);
  out.clear();
  xMorvaExportWord::EncodeParagraphSprms(out, values, tabs, nullptr, top);
  EXPECT_EQ(0x6428, LoadLE16(out.data()));
  EXPECT_EQ(0x6424, LoadLE16(out.data() + 6));
  // Against a base only the differences count.
  xMorvaProperties base;
  base.Assign(values);
  out.clear();
  EXPECT_EQ(0, xMorvaExportWord::EncodeParagraphSprms(out, values, tabs, &base, top));
  values.SetProperty(kPropLeftIndent, TwipsToPixels(720));
  EXPECT_EQ(1, xMorvaExportWord::EncodeParagraphSprms(out, values, tabs, &base, top));
  EXPECT_EQ(0x840F, LoadLE16(out.data()));
  // The base's stops the paragraph has none at are deleted, as [MS-DOC]
  // lays sprmPChgTabsPapx out: cb = 2 + 2 x deleted + 3 x added, the
  // deleted count and positions, the added count, positions and TBDs.
  base.Assign(values);
  xMorvaTabs baseTabs;
  const int16_t inch = int16_t(TwipsToPixels(1440)), half = int16_t(TwipsToPixels(720));
  baseTabs.AddStop(MakeTabStop(half, 0, kTabLeft));
  baseTabs.AddStop(MakeTabStop(inch, 0, kTabLeft));
  const uint16_t h = uint16_t(PixelsToTwips(half)), i = uint16_t(PixelsToTwips(inch));
  for (bool right : {true, false}) {
    tabs.Clear();
    if (right) tabs.AddStop(MakeTabStop(inch, '.', kTabRight));
    out.clear();
    EXPECT_EQ(1, xMorvaExportWord::EncodeParagraphSprms(out, values, tabs, &base, top, &baseTabs));
    EXPECT_EQ((right ? Bytes{0x0D, 0xC6, 7, 1, uint8_t(h), uint8_t(h >> 8), 1, uint8_t(i), uint8_t(i >> 8), 0x0A}
                     : Bytes{0x0D, 0xC6, 6, 2, uint8_t(h), uint8_t(h >> 8), uint8_t(i), uint8_t(i >> 8), 0}),
              Bytes(out.begin(), out.end()));
  }
}

TEST_F(ExportWord, CharacterEncoder) {
  xMorvaProperties values;
  xMorvaProperties base;
  base.Assign(values);
  std::vector<uint8_t> out;
  EXPECT_EQ(0, xMorvaExportWord::EncodeCharacterSprms(out, values, &base, 0, false));
  values.SetProperty(kPropFont, 3);
  EXPECT_EQ(3, xMorvaExportWord::EncodeCharacterSprms(out, values, &base, 0, false));
  const std::vector<uint8_t> font = {0x4F, 0x4A, 2, 0, 0x51, 0x4A, 2, 0, 0x43, 0x4A, 24, 0};
  EXPECT_EQ(font, out) << "a font change brings the size";
  out.clear();
  xMorvaProperties plain;
  EXPECT_EQ(2, xMorvaExportWord::EncodeCharacterSprms(out, plain, nullptr, 0, true));
  const std::vector<uint8_t> style = {0x43, 0x4A, 24, 0, 0x6D, 0x48, 0x0C, 0x04};
  EXPECT_EQ(style, out) << "12 points and the language of a style on nothing";
}

// The informations read back; text with elements as Word writes them.
TEST_F(ExportWord, TextAndInformationsReadBack) {
  auto document = NewDocument();
  xMorvaEngine& body = Engine(*document, kPartBody);
  Type(body, u"ab");
  ASSERT_EQ(0, body.InsertSoftHyphen());
  Type(body, u"cd ");
  VStr<64> target;
  target.SetAnsiCText("https://example.org/");
  VStr<64> title;
  title.SetAnsiCText("the site");
  xMorvaHyperlink link(xMorvaHyperlink::kURL, true, target, title);
  ASSERT_EQ(0, body.InsertHyperlink(link, false));
  // Computed elements as the layout leaves them: their fixed part, then
  // the text they show.
  auto computed = [&](uint16_t code, const std::u16string& shown) {
    std::vector<uint8_t> payload(16, 0);
    for (char16_t unit : shown) payload.push_back(uint8_t(unit)), payload.push_back(uint8_t(unit >> 8));
    ASSERT_EQ(0, body.InsertSpecialElement(code, payload.data(), uint32_t(payload.size()), 16, false));
  };
  Type(body, u" on ");
  computed(xMorvaElementCode::DateTime, u"07/12/2026");
  Type(body, u" p");
  computed(xMorvaElementCode::PageNumber, u"1");
  Type(body, u" ");
  computed(xMorvaElementCode::ExprQv, u"Host");
  Type(body, u" \U0001F600 end");
  document->Infos().Title().SetAnsiCText("A title");
  document->Infos().Author().SetAnsiCText("An author");
  const Streams s = Write(*document);
  EXPECT_EQ(u"ab\x1F" u"cd the site on 07/12/2026 p1 Host \U0001F600 end\r", WordTextOf(s.main));
  xMorvaImportWord reader;
  auto copy = RoundTrip(*document, &reader);
  EXPECT_EQ(u"A title", reader.GetInfos().title);
  EXPECT_EQ(u"An author", reader.GetInfos().author);
  // The title and the company in both property sets, in their code page:
  // Mac OS Roman while it carries them (e-acute is its 0x8E in the test's
  // text tables, as in the real set), else UTF-16.
  const AccentTables tables;
  const struct Row {
    std::u16string text;
    uint16_t codePage;
    Bytes stored;  // the value: VT_LPSTR, its length, its bytes with their zero
  } rows[] = {
      {u"Kyiv, \u00E9", 10000, {0x1E, 0, 0, 0, 8, 0, 0, 0, 'K', 'y', 'i', 'v', ',', ' ', 0x8E, 0}},
      {u"\u041B\u0438\u0441\u0442 \u03A9", 1200,
       {0x1E, 0, 0, 0, 14, 0, 0, 0, 0x1B, 4, 0x38, 4, 0x41, 4, 0x42, 4, ' ', 0, 0xA9, 3, 0, 0}},
  };
  for (const Row& row : rows) {
    for (VString* text : {&document->Infos().Title(), &document->Infos().Company()}) text->SetUniCText(row.text.c_str());
    const Streams w = Write(*document);
    for (const char16_t* name : {u"\005SummaryInformation", u"\005DocumentSummaryInformation"}) {
      SCOPED_TRACE(texttest::Utf8(row.text + u" in " + name));
      const Bytes set = StreamOf(w.file, name);
      // The first section's offset follows its format id; its table pairs
      // a property id with the offset of its value.
      const uint32_t section = U32(set, 44);
      const auto value = [&](uint32_t id) {
        for (uint32_t i = 0; i < U32(set, section + 4); ++i)
          if (U32(set, section + 8 + 8 * i) == id) return section + U32(set, section + 12 + 8 * i);
        return uint32_t(set.size());
      };
      EXPECT_EQ(2u, U32(set, value(1)));
      EXPECT_EQ(row.codePage, U16(set, value(1) + 4));
      const uint32_t text = value(name[1] == u'S' ? 2 : 0x0F);
      EXPECT_EQ(row.stored, Bytes(set.begin() + text, set.begin() + std::min(set.size(), text + row.stored.size())));
    }
  }
}

// A footer "Foot PAGE of NUMPAGES" of a two-page document, written as
// Word alone, after RTF, after HTML, after Word, after printing and after
// the page view showed page 1 or page 2: each Word file holds the numbers
// the footer shows, "1 of 2". Measuring the footer for a writer composes
// its numbers with their widest text ("0000"), and printing and drawing
// show each page's: all leave them showing what they showed.
TEST_F(ExportWord, AWordFileAfterAnotherSaveHoldsTheFootersPageNumbers) {
  const char* rtf =
      "{\\rtf1{\\footer Foot {\\field{\\*\\fldinst PAGE}{\\fldrslt 1}} of "
      "{\\field{\\*\\fldinst NUMPAGES}{\\fldrslt 2}}\\par}One.\\page Two.}";
  // The page view scrolled to `page` (from 0) draws the page it shows.
  const auto shown = [](int32_t page) {
    return [page](xMorvaDocument& document) {
      static const bool started = (InitGraphics(), true);
      (void)started;
      xMorvaDocParams& params = document.Params();
      params.SetViewMode(0);
      const int32_t top = 4 + page * (params.GetPageHeight() + 4);
      VDIBPort view(params.GetPageWidth() + 20, params.GetPageHeight(), 32);
      view.PushOrigin(0, -top);
      document.DrawDocument(nullptr, view, 0, top, view.GetWidth(), view.GetHeight(), 10);
      view.PopOrigin();
    };
  };
  const std::function<void(xMorvaDocument&)> before[] = {
      [](xMorvaDocument&) {},
      [](xMorvaDocument& document) { Export(document); },
      [](xMorvaDocument& document) {
        texttest::Written([&](VStream& stream) {
          xMorvaExportHTML writer;
          return writer.ExportHTMLDocument(document, stream, std::string());
        });
      },
      [](xMorvaDocument& document) { ExportWordBytes(document); },
      [](xMorvaDocument& document) {
        static const bool started = (InitGraphics(), true);
        (void)started;
        const std::filesystem::path pdf =
            std::filesystem::temp_directory_path() / ("qv-footer-numbers-" + std::to_string(getpid()) + ".pdf");
        EXPECT_EQ(2, printtest::PrintDocument(document, pdf));
        ResetHeadlessPrinting();
        std::filesystem::remove(pdf);
      },
      shown(0),
      shown(1),
  };
  for (size_t row = 0; row < std::size(before); ++row) {
    SCOPED_TRACE(row);
    auto document = NewDocument();
    ASSERT_EQ(0, Import(*document, rtf));
    ASSERT_EQ(2, document->GetBodyPageCount());
    before[row](*document);
    const std::u16string text = WordTextOf(Write(*document).main);
    EXPECT_NE(std::u16string::npos, text.find(u"Foot 1 of 2\r")) << texttest::Utf8(text);
    EXPECT_EQ(std::u16string::npos, text.find(u"0000")) << texttest::Utf8(text);
  }
}

// Character and paragraph properties read back through our importer.
TEST_F(ExportWord, PropertiesReadBack) {
  auto document = NewDocument();
  xMorvaEngine& body = Engine(*document, kPartBody);
  Type(body, u"Bold italic big\nCentred indented\tTab");
  body.SetSelection(0, 4);
  ASSERT_EQ(0, body.SetPropertyValue(kPropBold, 1));
  body.SetSelection(5, 11);
  ASSERT_EQ(0, body.SetPropertyValue(kPropItalic, 1));
  ASSERT_EQ(0, body.SetPropertyValue(kPropTextColour, 0x0000FF));
  body.SetSelection(12, 15);
  ASSERT_EQ(0, body.SetPropertyValue(kPropSize, 20));
  ASSERT_EQ(0, body.SetPropertyValue(kPropUnderline, 1));
  body.SetSelection(17, 17);
  ASSERT_EQ(0, body.SetPropertyValue(kPropAlignment, 1));
  ASSERT_EQ(0, body.SetPropertyValue(kPropLeftIndent, TwipsToPixels(720)));
  ASSERT_EQ(0, body.SetPropertyValue(kPropTabs, int32_t(MakeTabStop(int16_t(TwipsToPixels(2880)), '.', kTabRight))));
  // A paragraph that deleted one of its style sheet's stops.
  xMorvaStyleSheet sheet;
  sheet.Init();
  const int16_t inch = int16_t(TwipsToPixels(1440)), three = int16_t(TwipsToPixels(4320));
  for (int16_t at : {inch, three}) sheet.tabs.AddStop(MakeTabStop(at, 0, kTabLeft));
  sheet.states.SetState(kPropTabs, 1);
  VStr<64> name;
  name.SetAnsiCText("Stops");
  int16_t id = 0;
  ASSERT_TRUE(sheet.SaveNew(*document, *document->GetStyleSheetStore(), name, id));
  body.SetSelection(body.GetLength(), body.GetLength());
  Type(body, u"\nStyled\tstop");
  ASSERT_EQ(0, document->ApplyStyleSheet(id));
  xMorvaTabs kept;
  kept.AddStop(MakeTabStop(three, 0, kTabLeft));
  ASSERT_EQ(0, body.SetTabs(kept));
  auto copy = RoundTrip(*document);
  EXPECT_EQ("Bold italic big\nCentred indented\tTab\nStyled\tstop", TextOf(*copy, kPartBody));
  EXPECT_EQ(1, PropertyOfText(*copy, u"Bold", kPropBold));
  EXPECT_EQ(0, PropertyOfText(*copy, u"italic", kPropBold));
  EXPECT_EQ(1, PropertyOfText(*copy, u"italic", kPropItalic));
  EXPECT_EQ(0x0000FF, PropertyOfText(*copy, u"italic", kPropTextColour));
  EXPECT_EQ(20, PropertyOfText(*copy, u"big", kPropSize));
  EXPECT_EQ(1, PropertyOfText(*copy, u"big", kPropUnderline));
  EXPECT_EQ(12, PropertyOfText(*copy, u"Bold", kPropSize));
  EXPECT_EQ(1, PropertyOfText(*copy, u"Centred", kPropAlignment));
  EXPECT_NEAR(TwipsToPixels(720), PropertyOfText(*copy, u"Centred", kPropLeftIndent), 1);
  EXPECT_EQ(0, PropertyOfText(*copy, u"Bold", kPropAlignment));
  const std::vector<uint32_t> tabs = TabsOfText(*copy, u"Centred");
  ASSERT_EQ(1u, tabs.size());
  EXPECT_EQ(kTabRight, TabStopKind(tabs[0]));
  EXPECT_EQ('.', TabStopLeader(tabs[0]));
  const std::vector<uint32_t> styled = TabsOfText(*copy, u"Styled");
  ASSERT_EQ(1u, styled.size());
  EXPECT_EQ(three, TabStopPosition(styled[0]));
}

// The document, its selection and its undo history are as they were.
TEST_F(ExportWord, DocumentUnchanged) {
  auto document = NewDocument();
  xMorvaEngine& body = Engine(*document, kPartBody);
  Type(body, u"one\ntwo");
  Type(Engine(*document, kPartHeader), u"head");
  body.SetSelection(2, 5);
  ASSERT_EQ(0, body.SetPropertyValue(kPropBold, 1));
  body.SetSelection(1, 3);
  xMorvaUndo* undo = document->GetUndo();
  ASSERT_NE(nullptr, undo);
  const int32_t position = undo->GetPosition(), end = undo->GetEnd();
  const std::vector<uint8_t> before(body.LockStream(), body.LockStream() + body.GetStreamSize());
  body.UnlockStream();
  body.UnlockStream();
  const std::string header = rtftest::TextOf(*document, kPartHeader);
  ExportWordBytes(*document);
  const std::vector<uint8_t> after(body.LockStream(), body.LockStream() + body.GetStreamSize());
  body.UnlockStream();
  body.UnlockStream();
  EXPECT_EQ(before, after);
  EXPECT_EQ(1, body.GetSelStart());
  EXPECT_EQ(3, body.GetSelEnd());
  EXPECT_EQ(position, undo->GetPosition());
  EXPECT_EQ(end, undo->GetEnd());
  EXPECT_EQ(header, rtftest::TextOf(*document, kPartHeader));
}

// Bad and extreme input: each is written whole and reads back, or fails
// with a code and no file that claims success.
TEST_F(ExportWord, BadInput) {
  struct Case {
    const char* name;
    std::function<void(xMorvaDocument&)> build;
    std::function<void(xMorvaDocument&, const Bytes&)> check;
  };
  auto bodyText = [](const Bytes& file) { return WordTextOf(StreamOf(file, u"WordDocument")); };
  const Case cases[] = {
      {"empty document", [](xMorvaDocument&) {},
       [&](xMorvaDocument&, const Bytes& f) { EXPECT_EQ(u"\r", bodyText(f)); }},
      {"one paragraph of 100,000 characters",
       [](xMorvaDocument& d) { Units(Engine(d, kPartBody), std::u16string(100000, u'x')); },
       [&](xMorvaDocument&, const Bytes& f) { EXPECT_EQ(100001u, bodyText(f).size()); }},
      {"10,000 paragraphs of one character",
       [](xMorvaDocument& d) {
         std::u16string text;
         for (int i = 0; i < 10000; ++i) text += u"a\n";
         Units(Engine(d, kPartBody), text);
       },
       [&](xMorvaDocument&, const Bytes& f) {
         MemoryFile memory(f);
         std::u16string text;
         xMorvaImportWord reader;
         ASSERT_EQ(0, reader.ReadWordText(memory.Stream(), text));
         // The text's last paragraph end is the body's own, which closes
         // the empty paragraph after the last "a".
         EXPECT_EQ(20000u, text.size());
         EXPECT_EQ(10001u, reader.GetParagraphRuns().size());
       }},
      {"256 tab stops with bar tabs",
       [](xMorvaDocument& d) {
         xMorvaEngine& body = Engine(d, kPartBody);
         Type(body, u"tabs");
         body.SetSelection(0, 0);
         for (int i = 0; i < 256; ++i)
           body.SetPropertyValue(kPropTabs, int32_t(MakeTabStop(int16_t(10 + 3 * i), 0, i % 2 == 0 ? 5 : 1)));
       },
       [&](xMorvaDocument&, const Bytes& f) {
         MemoryFile memory(f);
         std::u16string text;
         xMorvaImportWord reader;
         ASSERT_EQ(0, reader.ReadWordText(memory.Stream(), text));
         ASSERT_FALSE(reader.GetParagraphRuns().empty());
         EXPECT_LE(reader.GetParagraphRuns()[0].pap.tabs.size(), 64u);
         EXPECT_GE(reader.GetParagraphRuns()[0].pap.tabs.size(), 40u);
       }},
      {"hyperlinks, pictures, soft hyphens and HTML expressions",
       [](xMorvaDocument& d) {
         xMorvaEngine& body = Engine(d, kPartBody);
         Type(body, u"a");
         ASSERT_EQ(0, body.InsertSoftHyphen());
         VStr<64> target, title, html;
         target.SetAnsiCText("https://example.org/");
         title.SetAnsiCText("link");
         xMorvaHyperlink link(xMorvaHyperlink::kURL, true, target, title);
         ASSERT_EQ(0, body.InsertHyperlink(link, false));
         html.SetAnsiCText("<b>gone</b>");
         ASSERT_EQ(0, body.InsertHTMLExpression(xMorvaElementCode::HTMLExpression2, html, false));
         const uint8_t picture[4] = {};
         ASSERT_EQ(0, body.InsertSpecialElement(xMorvaElementCode::Pict, picture, 4, 0, false));
         Type(body, u"z");
       },
       [&](xMorvaDocument&, const Bytes& f) {
         EXPECT_EQ(u"a\x1Flink\x01z\r", bodyText(f));
         EXPECT_EQ(0, U16(StreamOf(f, u"WordDocument"), 10) & 0x0800) << "no picture data: fHasPic 0";
       }},
      {"control characters that are Word's marks",
       [](xMorvaDocument& d) { Units(Engine(d, kPartBody), u"a\x07" u"b\x13" u"c\x15" u"d\x01" u"e"); },
       [&](xMorvaDocument&, const Bytes& f) { EXPECT_EQ(u"abcde\r", bodyText(f)); }},
      {"characters above U+FFFF",
       [](xMorvaDocument& d) { Type(Engine(d, kPartBody), u"\U0001D11E\U0001F600"); },
       [&](xMorvaDocument&, const Bytes& f) { EXPECT_EQ(u"\U0001D11E\U0001F600\r", bodyText(f)); }},
      {"more than 7 MB",
       [](xMorvaDocument& d) {
         std::u16string line(999, u'w');
         line += u'\n';
         std::u16string text;
         for (int i = 0; i < 3700; ++i) text += line;
         Units(Engine(d, kPartBody), text);
       },
       [&](xMorvaDocument&, const Bytes& f) {
         EXPECT_GT(f.size(), 7u * 1024 * 1024);
         MemoryFile memory(f);
         std::u16string text;
         xMorvaImportWord reader;
         ASSERT_EQ(0, reader.ReadWordText(memory.Stream(), text));
         EXPECT_EQ(3700u * 1000, text.size()) << "the empty last paragraph's end";
       }},
      {"5,000 style sheets",
       [](xMorvaDocument& d) {
         for (int i = 0; i < 5000; ++i) {
           xMorvaStyleSheet sheet;
           sheet.Init();
           VStr<64> name;
           name.SetAnsiCText(("S" + std::to_string(i)).c_str());
           int16_t id = 0;
           sheet.SaveNew(d, *d.GetStyleSheetStore(), name, id, i + 2);
         }
         Type(Engine(d, kPartBody), u"x");
       },
       [&](xMorvaDocument&, const Bytes& f) {
         const Bytes main = StreamOf(f, u"WordDocument");
         const Bytes stsh = Table(main, StreamOf(f, u"0Table"), kFibStshf);
         EXPECT_EQ(kWordMaxIstd + 1, U16(stsh, 2)) << "istds stop at 4,094";
         MemoryFile memory(f);
         std::u16string text;
         xMorvaImportWord reader;
         EXPECT_EQ(0, reader.ReadWordText(memory.Stream(), text));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto document = NewDocument();
    c.build(*document);
    int32_t code = -1;
    const Bytes file = ExportWordBytes(*document, &code);
    ASSERT_EQ(0, code);
    c.check(*document, file);
  }
  // A write failure at every stage of the file answers 1041.
  auto document = NewDocument();
  Type(Engine(*document, kPartBody), u"some text\nand more");
  const size_t whole = ExportWordBytes(*document).size();
  for (uint32_t limit : {0u, 511u, 512u, 4096u, 8192u, 12288u, uint32_t(whole) - 512, uint32_t(whole) - 1}) {
    SCOPED_TRACE(limit);
    VMemHandle handle = gMemoryMgr->NewEmptyHandle();
    {
      LimitedStream stream(handle, limit);
      // Open as the file layer hands it over.
      ASSERT_EQ(0, stream.OpenWrite());
      xMorvaExportWord writer;
      EXPECT_EQ(kWordExportStreamError, writer.ExportWordDocument(document.get(), &stream));
    }
    gMemoryMgr->DisposeHandle(handle);
  }
  xMorvaExportWord writer;
  EXPECT_EQ(kWordExportMissing, writer.ExportWordDocument(nullptr, nullptr));
}

// A write that fails at any point of any writer is the write that failed
// (1012, never "no memory"): the file that was there stays whole with its
// permission, and nothing else is left; the save that then succeeds keeps
// that permission too.
TEST_F(ExportWord, AFailedWriteOfAnyWriterAnswers1012AndKeepsThePreviousFile) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("qv-word-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const std::string path = dir / "letter";
  const std::string whole = dir / "whole";
  InstallTextFormats();
  InstallRtfFormats();
  InstallHtmlFormats();
  InstallWordFormats();
  auto document = NewDocument();
  Type(Engine(*document, kPartBody), u"some text\nand more");
  xMorvaKeptFile kept;
  auto save = [&](const std::string& to, const char (&type)[5]) {
    return ExportDocumentFile(*document, kept, std::make_unique<VFile>(to.c_str()), FourCC(type));
  };
  const char types[][5] = {"QMV7", "RTF ", "HTML", "DOC8", "ASCM", "ASCW", "ASCU", "ASCN"};
  for (const auto& type : types) {
    SCOPED_TRACE(type);
    files_test::WriteAll(path, "previous");
    fs::permissions(path, fs::perms(0600));
    ASSERT_EQ(0, save(whole, type));
    const rlim_t size = fs::file_size(whole);
    std::vector<rlim_t> rooms = {0, 1, size / 2, size - 1};
    for (rlim_t room = 512; room < size; room += 512) rooms.push_back(room);
    for (rlim_t room : rooms) {
      int32_t code = -1;
      files_test::WithFullDisk(room, [&] { code = save(path, type); });
      EXPECT_EQ(kErrorExportFailed, code) << room;
      EXPECT_EQ("previous", files_test::ReadAll(path)) << room;
      EXPECT_EQ(fs::perms(0600), fs::status(path).permissions()) << room;
    }
    EXPECT_EQ(0, save(path, type));
    EXPECT_EQ(fs::perms(0600), fs::status(path).permissions());
    EXPECT_EQ(size, fs::file_size(path));
    EXPECT_EQ(2, std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
  }
  RemoveWordFormats();
  RemoveHtmlFormats();
  RemoveRtfFormats();
  RemoveTextFormats();
  fs::remove_all(dir);
}
