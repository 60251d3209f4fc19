// The Word import's fields, symbols, soft hyphens, pictures and header and
// footer stories, on small Word 97 files made here from the structures.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <zlib.h>

#include "area/files/xMorvaFileFormats.h"
#include "area/files/xMorvaOpenSave.h"
#include "document/DocumentUnits.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaProperties.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngineHost.h"
#include "engine/xMorvaFont.h"
#include "engine/xMorvaPictureElement.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "graphics/pictures/VPictureData.h"
#include "graphics/pictures/VQuickTimePictures.h"
#include "interchange/fields/xMorvaDateTimeForm.h"
#include "interchange/rtf/xMorvaImportRTF.h"
#include "interchange/tests/OleTestSupport.h"
#include "interchange/tests/TextTestSupport.h"
#include "interchange/word/xMorvaDrawingRecords.h"
#include "interchange/word/xMorvaImportWord.h"
#include "interchange/word/xMorvaWordFormats.h"
#include "platform/bytes/ByteOrder.h"
#include "platform/quicktime/QtPictures.h"

namespace wordstories {

using Bytes = std::vector<uint8_t>;

void Put32(Bytes& to, uint32_t value) {
  for (int i = 0; i < 4; ++i) to.push_back(uint8_t(value >> (8 * i)));
}
void Put16(Bytes& to, uint16_t value) {
  to.push_back(uint8_t(value));
  to.push_back(uint8_t(value >> 8));
}

// A character run of the CHPX page: characters [first, limit) and their
// sprms.
struct Run {
  uint32_t first;
  uint32_t limit;
  Bytes sprms;
};

// A Word 97 file: the whole character space as one 16-bit piece at 0x800
// of "WordDocument", the story counts, FIB pairs pointing at blobs of
// "1Table", one CHPX page, and a "Data" stream.
struct Doc {
  std::u16string text;
  uint32_t ccp[8] = {};
  std::vector<std::pair<size_t, Bytes>> tables;  // FIB pair, bytes
  std::vector<Run> runs;
  Bytes data;
  Bytes fonts;
  Bytes sepx;  // the first section's sprms

  Bytes Build() const {
    Bytes main(0x800, 0);
    StoreLE16(&main[0], 0xA5EC);
    StoreLE16(&main[2], 193);
    StoreLE16(&main[10], 0x0200);
    StoreLE16(&main[32], 14);
    StoreLE16(&main[62], 22);
    for (size_t i = 0; i < 8; ++i) StoreLE32(&main[64 + (3 + i) * 4], ccp[i]);
    StoreLE16(&main[152], 93);
    auto pair = [&](size_t index, uint32_t fc, uint32_t lcb) {
      StoreLE32(&main[154 + index * 8], fc);
      StoreLE32(&main[154 + index * 8 + 4], lcb);
    };
    for (char16_t c : text) Put16(main, c);
    Bytes table(16, 0);
    const size_t clx = table.size();
    table.push_back(2);
    Put32(table, 16);
    Put32(table, 0);
    Put32(table, uint32_t(text.size()));
    Put16(table, 0);
    Put32(table, 0x800);
    Put16(table, 0);
    pair(33, uint32_t(clx), uint32_t(table.size() - clx));
    for (const auto& [index, bytes] : tables) {
      pair(index, uint32_t(table.size()), uint32_t(bytes.size()));
      table.insert(table.end(), bytes.begin(), bytes.end());
    }
    Bytes ffn = fonts;
    if (ffn.empty()) ffn = FontTable({u"Times New Roman", u"Symbol"});
    pair(15, uint32_t(table.size()), uint32_t(ffn.size()));
    table.insert(table.end(), ffn.begin(), ffn.end());
    if (!runs.empty()) {
      main.resize((main.size() + 511) / 512 * 512, 0);
      const size_t pageAt = main.size();
      Bytes page(512, 0);
      const size_t crun = runs.size();
      size_t end = 511;
      for (size_t i = 0; i < crun; ++i) {
        StoreLE32(&page[i * 4], 0x800 + runs[i].first * 2);
        Bytes stored{uint8_t(runs[i].sprms.size())};
        stored.insert(stored.end(), runs[i].sprms.begin(), runs[i].sprms.end());
        end = (end - stored.size()) & ~size_t(1);
        std::copy(stored.begin(), stored.end(), page.begin() + long(end));
        page[(crun + 1) * 4 + i] = uint8_t(end / 2);
      }
      StoreLE32(&page[crun * 4], 0x800 + runs.back().limit * 2);
      page[511] = uint8_t(crun);
      main.insert(main.end(), page.begin(), page.end());
      pair(12, uint32_t(table.size()), 12);
      Put32(table, 0x800);
      Put32(table, uint32_t(0x800 + runs.back().limit * 2));
      Put32(table, uint32_t(pageAt / 512));
    }
    if (!sepx.empty()) {
      const uint32_t at = uint32_t(main.size());
      Put16(main, uint16_t(sepx.size()));
      main.insert(main.end(), sepx.begin(), sepx.end());
      pair(6, uint32_t(table.size()), 20);
      Put32(table, 0);
      Put32(table, uint32_t(text.size()));
      Put16(table, 0);
      Put32(table, at);
      Put16(table, 0);
      Put32(table, 0xFFFFFFFFu);
    }
    std::vector<oletest::NamedBytes> streams{{u"WordDocument", main}, {u"1Table", table}};
    if (!data.empty()) streams.push_back({u"Data", data});
    oletest::MemoryFile file;
    EXPECT_EQ(oletest::WriteFile(file.Stream(), streams), 0);
    return file.Contents();
  }

  // An extended font table of 16-bit names.
  static Bytes FontTable(std::initializer_list<std::u16string> names) {
    Bytes out;
    Put16(out, 0xFFFF);
    Put16(out, uint16_t(names.size()));
    Put16(out, 0);
    for (const std::u16string& name : names) {
      Bytes ffn(39, 0);
      for (char16_t c : name) Put16(ffn, c);
      Put16(ffn, 0);
      out.push_back(uint8_t(ffn.size()));
      out.insert(out.end(), ffn.begin(), ffn.end());
    }
    return out;
  }
};

// A field PLCF: positions and their two-byte FLDs, then the end position.
Bytes FieldPlc(const std::vector<std::pair<uint32_t, uint16_t>>& flds, uint32_t end) {
  Bytes out;
  for (const auto& fld : flds) Put32(out, fld.first);
  Put32(out, end);
  for (const auto& fld : flds) Put16(out, fld.second);
  return out;
}

Bytes Sprm(uint16_t opcode, uint32_t operand) {
  Bytes out;
  Put16(out, opcode);
  Put32(out, operand);
  return out;
}

// A PICF of `mode` with its data behind the 68-byte header.
Bytes Picf(int16_t mode, const Bytes& payload, int64_t lcb = -1) {
  Bytes out(68, 0);
  StoreLE32(&out[0], uint32_t(lcb >= 0 ? lcb : int64_t(68 + payload.size())));
  StoreLE16(&out[4], 68);
  StoreLE16(&out[6], uint16_t(mode));
  StoreLE16(&out[32], 1000);
  StoreLE16(&out[34], 1000);
  out.insert(out.end(), payload.begin(), payload.end());
  return out;
}

// An inline shape's records: a shape container and the entry with a PNG.
Bytes InlineDrawing(int w, int h) {
  const Bytes png = QtWritePng(QtRaster{w, h, Bytes(size_t(w * h * 4), 0x55)});
  Bytes blip(8);
  StoreLE16(&blip[0], 0x6E0 << 4);
  StoreLE16(&blip[2], kEscherBlipPng);
  StoreLE32(&blip[4], uint32_t(17 + png.size()));
  blip.insert(blip.end(), 17, 0);
  blip.insert(blip.end(), png.begin(), png.end());
  Bytes bse(8 + 36, 0);
  StoreLE16(&bse[0], 0x62);
  StoreLE16(&bse[2], kEscherBse);
  StoreLE32(&bse[4], uint32_t(36 + blip.size()));
  StoreLE32(&bse[8 + 20], uint32_t(blip.size()));
  bse.insert(bse.end(), blip.begin(), blip.end());
  Bytes sp(8 + 8, 0);
  StoreLE16(&sp[0], 0xF);
  StoreLE16(&sp[2], 0xF004);
  StoreLE32(&sp[4], 8);
  StoreLE16(&sp[10], 0xF00A);
  sp.insert(sp.end(), bse.begin(), bse.end());
  return sp;
}

class WordStories : public texttest::TextDocumentTest {
 protected:
  int32_t Read(const Doc& doc, std::u16string& body, xMorvaImportWord& reader) {
    oletest::MemoryFile memory(doc.Build());
    return reader.ReadWordText(memory.Stream(), body);
  }
  int32_t Import(const Doc& doc, xMorvaImportWord& reader) {
    oletest::MemoryFile memory(doc.Build());
    return reader.ImportWordDocument(&document, &memory.Stream());
  }
  xMorvaEngine& Part(int16_t part) { return *static_cast<xMorvaEngine*>(document.GetPart(part)); }
  std::u16string PartText(int16_t part) {
    VStrInHandle text;
    Part(part).WritePlainText(text, false, false);
    std::u16string out;
    for (int32_t i = 1; i <= text.GetLength(); ++i) out.push_back(text.GetCharAt(i));
    return out;
  }
};

// The main text alone.
Doc MainText(const std::u16string& text) {
  Doc doc;
  doc.text = text;
  doc.ccp[0] = uint32_t(text.size());
  return doc;
}

}  // namespace wordstories

using namespace wordstories;

TEST_F(WordStories, FieldsLoseTheirInstructionsAndElementsReplaceSome) {
  using K = xMorvaWordSpecial::Kind;
  struct Case {
    std::u16string text;
    std::u16string body;
    std::vector<std::pair<K, uint32_t>> specials;  // kind, format
  };
  const std::u16string b = u"\u0013", s = u"\u0014", e = u"\u0015", p = u"\uFFFC";
  const Case cases[] = {
      {u"a" + b + u" DATE \\@ \"dd/MM/yyyy\" " + s + u"7/12" + e + u"z\r", u"a" + p + u"z",
       {{K::kDateTime, 0x0700}}},
      {u"a" + b + u" DATE \\@ \"d MMMM yyyy\" " + s + u"x" + e + u"\r", u"a" + p, {{K::kDateTime, 0x0500}}},
      {u"a" + b + u" DATE \\@ \"MMMM dddd\" " + s + u"x" + e + u"\r", u"a" + p, {{K::kDateTime, 0x0300}}},
      {u"a" + b + u" DATE " + s + u"x" + e + u"\r", u"a" + p, {{K::kDateTime, 0x0500}}},
      // A time alone makes no date.
      {u"a" + b + u" TIME \\@ \"HH:mm\" " + s + u"12:00" + e + u"\r", u"a" + p, {{K::kDateTime, 0x0002}}},
      {u"a" + b + u" DATE \\@ \"dd.MM.yyyy HH:mm:ss\" " + s + u"x" + e + u"\r", u"a" + p + p,
       {{K::kDateTime, 0x0700}, {K::kDateTime, 0x0001}}},
      {u"a" + b + u" TIME \\@ \"h:mm AM/PM\" " + s + u"x" + e + u"\r", u"a" + p, {{K::kDateTime, 0x0005}}},
      {u"Page " + b + u" PAGE " + s + u"3" + e + u".\r", u"Page " + p + u".", {{K::kPageNumber, 0}}},
      // Fields that make no element keep what they showed.
      {u"of " + b + u" NUMPAGES " + s + u"9" + e + u"\r", u"of 9", {}},
      {b + u" TITLE " + s + u"The title" + e + u"\r", u"The title", {}},
      {b + u" HYPERLINK \"http://example.org/\" " + s + u"the site" + e + u"\r", u"the site", {}},
      {b + u" REF " + b + u" PAGE " + s + u"1" + e + u" x " + s + u"shown" + e + u"\r", u"shown", {}},
      // A page number inside a kept result is made; one in an element's
      // dropped result is not.
      {b + u" REF x " + s + u"p" + b + u" PAGE " + s + u"1" + e + e + u"\r", u"p" + p, {{K::kPageNumber, 0}}},
      {b + u" DATE " + s + b + u" PAGE " + s + u"1" + e + e + u"\r", p, {{K::kDateTime, 0x0500}}},
      // A field without a result shows nothing; a TIME without a picture
      // shows the hours and minutes.
      {u"x" + b + u" SEQ a " + e + u"y\r", u"xy", {}},
      {b + u" TIME " + s + u"10:30" + e + u"\r", p, {{K::kDateTime, 0x0005}}},
      // A picture no form fits keeps the result; with none, the nearest
      // form shows.
      {b + u" DATE \\@ \"yyyy\" " + s + u"2026" + e + u"\r", u"2026", {}},
      {u"a" + b + u" DATE \\@ \"yyyy\" " + e + u"\r", u"a" + p, {{K::kDateTime, 0x0700}}},
      // Separators and ends without a begin, and a begin never closed.
      {u"a" + s + u"b" + e + u"c\r", u"abc", {}},
      {u"a" + b + u"b" + s + u"c\r", u"abc", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
    std::u16string body;
    xMorvaImportWord reader;
    ASSERT_EQ(0, Read(MainText(c.text), body, reader));
    EXPECT_EQ(c.body, body);
    const auto& specials = reader.GetBodySpecials();
    ASSERT_EQ(c.specials.size(), specials.size());
    for (size_t i = 0; i < specials.size(); ++i) {
      EXPECT_EQ(c.specials[i].first, specials[i].kind);
      EXPECT_EQ(c.specials[i].second, specials[i].format);
      EXPECT_EQ(u'\uFFFC', body[specials[i].at]);
    }
  }
}

// A date-time picture gives one form, by one function, in a Word file and
// in RTF alike; 0: no form fits and the field keeps its result.
TEST_F(WordStories, DatePicturesGiveOneFormInWordAndRtf) {
  struct Row {
    const char16_t* picture;  // null: no picture
    uint16_t form;
  };
  const Row rows[] = {
      {u"dd/MM/yyyy", 0x0700},   {u"yyyy-MM-dd", 0x0700},       {u"M/d/yyyy", 0x0700},
      {u"m/d/yy", 0x0100},       {u"dd.MM.yy", 0x0100},         {u"d MMMM yyyy", 0x0500},
      {u"d MMMM, yyyy", 0x0500}, {u"dddd, MMMM dd, yyyy", 0x0300}, {u"ddd d MMMM yyyy", 0x0200},
      {u"MMMM ddd", 0x0200},     {u"d MMM yy", 0x0600},         {u"dd.MM.yyyy HH:mm:ss", 0x0701},
      {u"HH:mm", 0x0002},        {u"HH:mm:ss", 0x0001},         {u"h:mm AM/PM", 0x0005},
      {u"h:mm am/pm", 0x0005},   {u"'Day' d 'of' MMMM", 0x0500}, {u"yyyy", 0},
      {u"'noon'", 0},            {nullptr, 0x0500},
  };
  const std::u16string b = u"\u0013", s = u"\u0014", e = u"\u0015";
  for (const Row& row : rows) {
    const std::u16string picture = row.picture != nullptr ? row.picture : u"";
    const std::u16string instruction = row.picture != nullptr ? u" DATE \\@ \"" + picture + u"\" " : u" DATE ";
    SCOPED_TRACE(texttest::Utf8(instruction));
    const xMorvaDateTimeForm form = DateTimeFormOfField(true, instruction.substr(5));
    EXPECT_EQ(row.form, form.fits ? form.format : 0);
    // Word: the date and the time are elements of their own.
    std::u16string body;
    xMorvaImportWord reader;
    ASSERT_EQ(0, Read(MainText(b + instruction + s + u"R" + e + u"\r"), body, reader));
    uint16_t word = 0;
    for (const xMorvaWordSpecial& special : reader.GetBodySpecials()) word |= uint16_t(special.format);
    EXPECT_EQ(row.form, word);
    EXPECT_EQ(row.form != 0 ? u"" : u"R", std::u16string(body.begin(), std::remove(body.begin(), body.end(), u'\uFFFC')));
    // RTF: one element with both.
    std::string rtf = "{\\rtf1 {\\field{\\*\\fldinst DATE ";
    if (row.picture != nullptr) rtf += "\\\\@ \"" + texttest::Utf8(picture) + "\"";
    rtf += "}{\\fldrslt R}}}";
    xMorvaImportRTF rtfReader;
    ASSERT_EQ(0, rtfReader.ImportRtfBytes(document, reinterpret_cast<const uint8_t*>(rtf.data()),
                                          uint32_t(rtf.size()), false));
    uint16_t shown = 0;
    Body().SetSelection(0, 1);
    if (!Body().GetDateTimeFormatAtSelection(shown)) shown = 0;
    EXPECT_EQ(row.form, shown) << rtf;
    if (row.form == 0)
      EXPECT_EQ(u"R", BodyText());
    else
      EXPECT_EQ(std::u16string::npos, BodyText().find(u'R'));
  }
}

// A locked DATE field (fLocked in its end's FLD) keeps the date it shows;
// an unlocked one becomes today's.
TEST_F(WordStories, ALockedDateKeepsItsResult) {
  const std::u16string field = u"\u0013 DATE \\@ \"d MMMM yyyy\" \u001414 March 2026\u0015";
  Doc doc = MainText(u"a" + field + u"|" + field + u"\r");
  const uint32_t second = uint32_t(1 + field.size() + 1);
  const uint32_t separator = uint32_t(field.find(u'\u0014')), end = uint32_t(field.size() - 1);
  doc.tables.push_back({16, FieldPlc({{1, 0x1F13},
                                      {1 + separator, 0x0014},
                                      {1 + end, 0x9015},
                                      {second, 0x1F13},
                                      {second + separator, 0x0014},
                                      {second + end, 0x8015}},
                                     uint32_t(doc.text.size()))});
  xMorvaImportWord reader;
  ASSERT_EQ(0, Import(doc, reader));
  EXPECT_EQ(u"a14 March 2026|", BodyText().substr(0, 15));
  ASSERT_EQ(1u, reader.GetBodySpecials().size());
  EXPECT_EQ(0x0500u, reader.GetBodySpecials()[0].format);
  EXPECT_EQ(15, Body().FindElement(xMorvaElementCode::DateTime, true, false));
}

TEST_F(WordStories, FieldTableDecidesTypeAndPrivateResults) {
  // "FOO" is a page field by its table entry; the second field's end says
  // its result is no text.
  Doc doc = MainText(u"\u0013 FOO \u00142\u0015|\u0013 EMBED \u0014\u0001\u0015\r");
  doc.tables.push_back({16, FieldPlc({{0, 0x2113}, {5, 0x0014}, {7, 0x0015}, {9, 0x3A13},
                                      {17, 0x0014}, {19, 0x2015}},
                                     20)});
  std::u16string body;
  xMorvaImportWord reader;
  ASSERT_EQ(0, Read(doc, body, reader));
  EXPECT_EQ(u"\uFFFC|", body);
  ASSERT_EQ(1u, reader.GetBodySpecials().size());
  EXPECT_EQ(xMorvaWordSpecial::kPageNumber, reader.GetBodySpecials()[0].kind);
}

TEST_F(WordStories, DeepFieldsAreCappedAndCounted) {
  std::u16string text;
  for (int i = 0; i < 100000; ++i) text += u"\u0013";
  text += u"x";
  for (int i = 0; i < 100000; ++i) text += u"\u0015";
  text += u"after\r";
  std::u16string body;
  xMorvaImportWord reader;
  ASSERT_EQ(0, Read(MainText(text), body, reader));
  // Everything inside the first field's instruction goes with it.
  EXPECT_EQ(u"after", body);
  EXPECT_EQ(100000 - 64, reader.DroppedFields());
}

TEST_F(WordStories, ElementsTakeTheirPlacesInTheBody) {
  ASSERT_NE(0u, StartQuickTime());
  Doc doc = MainText(
      u"p\u0013 PAGE \u00141\u0015 d\u0013 DATE \\@ \"dd/MM/yyyy\" \u0014x\u0015 co\u001Fop (\u0001\r");
  // The symbol run over "(", the picture run over the picture character.
  const uint32_t paren = uint32_t(doc.text.find(u'('));
  Bytes symbol;
  Put16(symbol, 0x6A09);
  Put16(symbol, 1);
  Put16(symbol, 0xF061);
  doc.runs = {{0, paren, {}}, {paren, paren + 1, symbol}, {paren + 1, paren + 2, Sprm(0x6A03, 16)},
              {paren + 2, uint32_t(doc.text.size()), {}}};
  doc.data.assign(16, 0);
  doc.sepx = {0x0E, 0x30, 2};  // page numbers in lower roman
  const Bytes picf = Picf(100, InlineDrawing(9, 7));
  doc.data.insert(doc.data.end(), picf.begin(), picf.end());
  xMorvaImportWord reader;
  ASSERT_EQ(0, Import(doc, reader));
  EXPECT_EQ(0, reader.DroppedPictures());
  xMorvaEngine& body = Body();
  EXPECT_EQ(1, body.FindElement(xMorvaElementCode::PageNumber, true, false));
  body.SetSelection(1, 2);
  uint32_t pageFormat = 0;
  ASSERT_TRUE(body.GetPageNumberFormatAtSelection(pageFormat));
  EXPECT_EQ(3u << 28, pageFormat);
  EXPECT_EQ(4, body.FindElement(xMorvaElementCode::DateTime, true, false));
  body.SetSelection(4, 5);
  uint16_t format = 0;
  ASSERT_TRUE(body.GetDateTimeFormatAtSelection(format));
  EXPECT_EQ(0x0700, format);
  EXPECT_EQ(8, body.FindElement(xMorvaElementCode::SoftHyphen, true, false));
  // The symbol's character in its font, then the picture at its own size.
  body.SetSelection(12, 13);
  VStrInHandle selected;
  body.WritePlainText(selected, true, false);
  ASSERT_EQ(1, selected.GetLength());
  EXPECT_EQ(u'a', selected.GetCharAt(1));
  VStr<255> symbolFont;
  symbolFont.SetUniCText(u"Symbol");
  EXPECT_EQ(document.FontIndexForName(symbolFont), body.GetPropertyValue(kPropFont));
  EXPECT_EQ(13, body.FindElement(xMorvaElementCode::Pict, true, false));
  body.SetSelection(13, 14);
  int32_t shownW = 0, shownH = 0, ownW = 0, ownH = 0;
  body.GetSelectedPictureSize(&shownW, &shownH, &ownW, &ownH);
  EXPECT_EQ(9, shownW);
  EXPECT_EQ(7, shownH);
}

// The bytes of each element of `code` in the engine's stream.
std::vector<Bytes> ElementsOf(xMorvaEngine& engine, uint16_t code) {
  std::vector<Bytes> out;
  const uint8_t* stream = engine.LockStream();
  const uint32_t size = engine.GetStreamSize();
  for (uint32_t at = 0; at < size;) {
    const StreamItem item = ReadStreamItem(stream + at, size - at);
    if (item.kind == StreamItem::kElement && item.unit == code) out.emplace_back(stream + at, stream + at + item.size);
    at += item.size;
  }
  engine.UnlockStream();
  return out;
}

TEST_F(WordStories, ElementsWrittenInPlaceAreThoseTheEngineMakes) {
  // A bold run over the whole text, a page number inside it.
  Doc doc = MainText(u"p\u0013 PAGE \u00141\u0015 q\r");
  doc.runs = {{0, uint32_t(doc.text.size()), Bytes{0x35, 0x08, 0x01}}};
  xMorvaImportWord reader;
  ASSERT_EQ(0, Import(doc, reader));
  xMorvaEngine& body = Body();
  EXPECT_EQ(u"p", PartText(kPartBody).substr(0, 1));
  ASSERT_EQ(1, body.FindElement(xMorvaElementCode::PageNumber, true, false));
  // The same bytes as the element inserted at a selection, once the
  // document has laid both out.
  body.SetSelection(4, 4);
  document.BeginChange();
  ASSERT_EQ(0, body.InsertPageNumberField(0, false));
  document.EndChange();
  const std::vector<Bytes> made = ElementsOf(body, xMorvaElementCode::PageNumber);
  ASSERT_EQ(2u, made.size());
  EXPECT_EQ(made[1], made[0]);
  // The element has its run's properties, and the text after it keeps its
  // place.
  body.SetSelection(1, 2);
  EXPECT_EQ(1, body.GetPropertyValue(kPropBold));
  EXPECT_EQ(5, body.GetLength());
}

// A picture is shown at its PICF's goal size scaled by the per-mille
// factors: (twips / 20) x (per mille / 1000) points, truncated, at the
// screen's resolution; a PICF without a goal or a scale shows it at its own
// size.
TEST_F(WordStories, PicturesAreShownAtTheirGoalSize) {
  ASSERT_NE(0u, StartQuickTime());
  struct Row {
    const char* what;
    int16_t goalWidth, goalHeight;
    uint16_t mx, my;
    int32_t width, height;
  };
  const Row rows[] = {
      {"the goal at full scale", 300, 210, 1000, 1000, PointsToPixels(15), PointsToPixels(10)},
      {"the goal at twice its size", 600, 450, 2000, 2000, PointsToPixels(60), PointsToPixels(45)},
      {"other scales across and down", 400, 400, 1500, 500, PointsToPixels(30), PointsToPixels(10)},
      {"parts of a point dropped", 450, 375, 1000, 1000, PointsToPixels(22), PointsToPixels(18)},
      {"no goal: its own size", 0, 0, 1000, 1000, 3, 2},
      {"no scale: its own size", 300, 300, 0, 1000, 3, 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    document.Reset(false);
    Doc doc = MainText(u"a\u0001b\r");
    doc.runs = {{0, 1, {}}, {1, 2, Sprm(0x6A03, 0)}, {2, 4, {}}};
    doc.data = Picf(100, InlineDrawing(3, 2));
    StoreLE16(&doc.data[28], uint16_t(row.goalWidth));
    StoreLE16(&doc.data[30], uint16_t(row.goalHeight));
    StoreLE16(&doc.data[32], row.mx);
    StoreLE16(&doc.data[34], row.my);
    xMorvaImportWord reader;
    ASSERT_EQ(0, Import(doc, reader));
    const std::vector<Bytes> pictures = ElementsOf(Part(kPartBody), xMorvaElementCode::Pict);
    ASSERT_EQ(1u, pictures.size());
    xMorvaPictureHeader header;
    ASSERT_TRUE(ReadPictureHeader(pictures[0].data(), uint32_t(pictures[0].size()), header));
    EXPECT_EQ(row.width, header.shownWidth);
    EXPECT_EQ(row.height, header.shownHeight);
    EXPECT_EQ(3, header.ownWidth);
  }
}

TEST_F(WordStories, BadPicturesAreDroppedAndCounted) {
  ASSERT_NE(0u, StartQuickTime());
  char folder[] = "/tmp/qvwordpicsXXXXXX";
  ASSERT_NE(nullptr, mkdtemp(folder));
  const Bytes png = QtWritePng(QtRaster{6, 4, Bytes(96, 0x11)});
  std::ofstream(std::string(folder) + "/pic.png", std::ios::binary)
      .write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
  auto linked = [](const std::string& name) {
    Bytes payload{uint8_t(name.size())};
    payload.insert(payload.end(), name.begin(), name.end());
    return payload;
  };
  struct Case {
    const char* name;
    Bytes picf;
    bool made;
  };
  const Case cases[] = {
      {"drawing", Picf(100, InlineDrawing(3, 3)), true},
      {"lcb below cbHeader", Picf(100, InlineDrawing(3, 3), 40), false},
      {"lcb past the stream", Picf(100, InlineDrawing(3, 3), 100000), false},
      {"linked beside the document", Picf(102, linked("pic.png")), true},
      {"linked by an absolute path", Picf(98, linked("C:\\elsewhere\\pic.png")), true},
      {"linked through ..", Picf(102, linked("../../etc/pic.png")), true},
      {"linked to nothing", Picf(102, linked("..")), false},
      {"linked file missing", Picf(102, linked("none.png")), false},
      {"no drawing records", Picf(100, Bytes(10, 0)), false},
      {"a bitmap", [] {
         Bytes dib(40 + 12 * 4, 0x33);
         std::fill(dib.begin(), dib.begin() + 40, 0);
         StoreLE32(&dib[0], 40);
         StoreLE32(&dib[4], 4);
         StoreLE32(&dib[8], 4);
         StoreLE16(&dib[12], 1);
         StoreLE16(&dib[14], 24);
         return Picf(99, dib);
       }(), true},
      {"a bitmap with a short header", Picf(99, Bytes(30, 0)), false},
      {"a frame alone", [] {
         Bytes picf = Picf(100, Bytes(10, 0));
         StoreLE16(&picf[28], 1440);
         StoreLE16(&picf[30], 720);
         picf[44] = 0x10;
         return picf;
       }(), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Doc doc = MainText(u"a\u0001b\r");
    doc.runs = {{0, 1, {}}, {1, 2, Sprm(0x6A03, 0)}, {2, 4, {}}};
    doc.data = c.picf;
    xMorvaImportWord reader;
    reader.SetFolder(folder);
    std::u16string body;
    ASSERT_EQ(0, Read(doc, body, reader));
    EXPECT_EQ(c.made ? u"a\uFFFCb" : u"ab", body);
    EXPECT_EQ(c.made ? 0 : 1, reader.DroppedPictures());
    if (std::string(c.name) == "a frame alone") {
      // An inch by half an inch, empty.
      ASSERT_EQ(1u, reader.GetBodySpecials().size());
      const VPictureData& frame = *reader.GetBodySpecials()[0].picture;
      EXPECT_EQ(kPictureKindEMF, frame.GetPictureKind());
      EXPECT_EQ(TwipsToPixels(1440), frame.GetWidth());
      EXPECT_EQ(TwipsToPixels(720), frame.GetHeight());
    }
  }
  // Without a data stream there are no pictures.
  Doc doc = MainText(u"a\u0001b\r");
  doc.runs = {{0, 1, {}}, {1, 2, Sprm(0x6A03, 0)}, {2, 4, {}}};
  xMorvaImportWord reader;
  std::u16string body;
  ASSERT_EQ(0, Read(doc, body, reader));
  EXPECT_EQ(u"ab", body);
  std::filesystem::remove_all(folder);
}

// The header stories behind six empty separator stories.
Doc WithHeaders(const std::vector<std::u16string>& stories, std::vector<uint32_t> cps = {}) {
  Doc doc;
  doc.text = u"Body\r";
  doc.ccp[0] = 5;
  std::u16string hdd;
  if (cps.empty()) {
    for (int i = 0; i < 7; ++i) cps.push_back(0);
    for (const std::u16string& story : stories) {
      hdd += story;
      cps.push_back(uint32_t(hdd.size()));
    }
    hdd += u"\r";
    cps.push_back(uint32_t(hdd.size()));
  } else {
    for (const std::u16string& story : stories) hdd += story;
  }
  doc.text += hdd;
  doc.ccp[2] = uint32_t(hdd.size());
  Bytes plc;
  for (uint32_t cp : cps) Put32(plc, cp);
  doc.tables.push_back({11, plc});
  return doc;
}

// The same with the first section's title page flag set.
Doc TitlePage(Doc doc) {
  doc.sepx = {0x0A, 0x30, 1};
  return doc;
}

TEST_F(WordStories, HeadersAndFootersReachTheirParts) {
  struct Case {
    const char* name;
    Doc doc;
    std::u16string header, footer, leftHeader, leftFooter, firstHeader, firstFooter;
    bool differentFirst, differentLeftRight;
  };
  const Case cases[] = {
      {"odd header only", WithHeaders({u"", u"Odd head\r"}), u"Odd head", u"", u"", u"", u"", u"", false,
       false},
      {"all six", TitlePage(WithHeaders({u"EH\r", u"OH\r", u"EF\r", u"OF\r", u"FH\r", u"FF\r"})), u"OH", u"OF",
       u"EH", u"EF", u"FH", u"FF", true, true},
      // The title page flag, not the first page's stories, sets the first
      // page apart: an empty first-page header keeps the others' off it.
      {"title page with an empty first-page header", TitlePage(WithHeaders({u"", u"OH\r", u"", u"", u"\r"})),
       u"OH", u"", u"", u"", u"", u"", true, false},
      {"first-page header without the title page", WithHeaders({u"", u"OH\r", u"", u"", u"FH\r"}), u"OH", u"",
       u"", u"", u"FH", u"", false, false},
      {"even footer, odd header: the odd header on left pages",
       WithHeaders({u"", u"OH\r", u"EF\r", u"OF\r"}), u"OH", u"OF", u"OH", u"EF", u"", u"", false, true},
      {"even header, odd footer: the odd footer on left pages",
       WithHeaders({u"EH\r", u"OH\r", u"", u"OF\r"}), u"OH", u"OF", u"EH", u"OF", u"", u"", false, true},
      {"a page field in the footer", WithHeaders({u"", u"", u"", u"p\u0013 PAGE \u00141\u0015\r"}), u"", u"p",
       u"", u"", u"", u"", false, false},
      {"three positions", WithHeaders({u"X\r"}, {0, 1, 2}), u"", u"", u"", u"", u"", u"", false, false},
      {"positions past the stories and back",
       WithHeaders({u"OH\r"}, {0, 0, 0, 0, 0, 0, 0, 0, 3, 900, 2, 2, 2, 2}), u"OH", u"", u"", u"", u"", u"", false,
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    document.Reset(false);
    xMorvaImportWord reader;
    ASSERT_EQ(0, Import(c.doc, reader));
    EXPECT_EQ(u"Body", PartText(kPartBody));
    EXPECT_EQ(c.header, PartText(kPartHeader));
    // A page number shows no fixed text: the footer's text before it.
    EXPECT_EQ(c.footer, PartText(kPartFooter).substr(0, c.footer.empty() ? std::u16string::npos : c.footer.size()));
    EXPECT_EQ(c.leftHeader, PartText(kPartLeftHeader));
    EXPECT_EQ(c.leftFooter, PartText(kPartLeftFooter));
    EXPECT_EQ(c.firstHeader, PartText(kPartFirstHeader));
    EXPECT_EQ(c.firstFooter, PartText(kPartFirstFooter));
    EXPECT_EQ(c.differentFirst, document.Params().GetDifferentFirstPage() != 0);
    EXPECT_EQ(c.differentLeftRight, document.Params().GetDifferentLeftRight() != 0);
  }
  // The footer's page number is an element of the footer.
  document.Reset(false);
  xMorvaImportWord reader;
  ASSERT_EQ(0, Import(WithHeaders({u"", u"", u"", u"p\u0013 PAGE \u00141\u0015\r"}), reader));
  EXPECT_EQ(1, Part(kPartFooter).FindElement(xMorvaElementCode::PageNumber, true, false));
}

TEST_F(WordStories, AFootersDateIsWrittenInPlace) {
  const std::u16string b = u"\u0013", s = u"\u0014", e = u"\u0015";
  xMorvaImportWord reader;
  ASSERT_EQ(0, Import(WithHeaders({u"", u"", u"", u"on " + b + u" DATE \\@ \"dd/MM/yyyy\" " + s + u"x" + e + u".\r"}),
                      reader));
  xMorvaEngine& footer = Part(kPartFooter);
  ASSERT_EQ(3, footer.FindElement(xMorvaElementCode::DateTime, true, false));
  footer.SetSelection(3, 4);
  uint16_t format = 0;
  ASSERT_TRUE(footer.GetDateTimeFormatAtSelection(format));
  EXPECT_EQ(0x0700, format);
  EXPECT_EQ(5, footer.GetLength());
}

TEST_F(WordStories, AFootersSymbolIsInItsFont) {
  Doc doc = WithHeaders({u"", u"", u"", u"x(y\r"});
  // The odd footer starts the header text, behind the body's five characters.
  Bytes symbol;
  Put16(symbol, 0x6A09);
  Put16(symbol, 1);
  Put16(symbol, 0xF061);
  doc.runs = {{0, 6, {}}, {6, 7, symbol}, {7, uint32_t(doc.text.size()), {}}};
  xMorvaImportWord reader;
  ASSERT_EQ(0, Import(doc, reader));
  EXPECT_EQ(u"xay", PartText(kPartFooter));
  xMorvaEngine& footer = Part(kPartFooter);
  VStr<255> symbolFont;
  symbolFont.SetUniCText(u"Symbol");
  footer.SetSelection(1, 2);
  EXPECT_EQ(document.FontIndexForName(symbolFont), footer.GetPropertyValue(kPropFont));
  footer.SetSelection(2, 3);
  EXPECT_NE(document.FontIndexForName(symbolFont), footer.GetPropertyValue(kPropFont));
}

// Once the body is made, the runs that lie wholly in it are freed; the
// body keeps their properties and the stories behind it keep their runs.
TEST_F(WordStories, TheBodysRunsAreFreedOnceItIsMade) {
  Doc doc = WithHeaders({u"", u"", u"", u"x(y\r"});
  Bytes bold;
  Put16(bold, 0x0835);
  bold.push_back(1);
  Bytes symbol;
  Put16(symbol, 0x6A09);
  Put16(symbol, 1);
  Put16(symbol, 0xF061);
  doc.runs = {{0, 2, {}}, {2, 4, bold}, {4, 6, {}}, {6, 7, symbol}, {7, uint32_t(doc.text.size()), {}}};
  xMorvaImportWord reader;
  ASSERT_EQ(0, Import(doc, reader));
  const std::vector<xMorvaWordCharacterRun>& runs = reader.GetCharacterRuns();
  ASSERT_EQ(runs.size(), 3u);
  for (const xMorvaWordCharacterRun& run : runs) EXPECT_GT(run.limit, 5u);
  EXPECT_TRUE(std::all_of(reader.GetParagraphRuns().begin(), reader.GetParagraphRuns().end(),
                          [](const xMorvaWordParagraphRun& run) { return run.limit > 5; }));
  xMorvaEngine& body = Part(kPartBody);
  body.SetSelection(2, 3);
  EXPECT_EQ(1, body.GetPropertyValue(kPropBold));
  body.SetSelection(0, 1);
  EXPECT_EQ(0, body.GetPropertyValue(kPropBold));
  EXPECT_EQ(u"xay", PartText(kPartFooter));
  VStr<255> symbolFont;
  symbolFont.SetUniCText(u"Symbol");
  xMorvaEngine& footer = Part(kPartFooter);
  footer.SetSelection(1, 2);
  EXPECT_EQ(document.FontIndexForName(symbolFont), footer.GetPropertyValue(kPropFont));
}

TEST_F(WordStories, LeftOutPicturesAndFieldsAreReported) {
  ASSERT_NE(0u, StartQuickTime());
  InstallWordFormats();
  const xMorvaFormatReader read = xMorvaFileFormats::FindReader(FourCC("DOC8"));
  ASSERT_NE(nullptr, read);
  struct Case {
    const char* name;
    Doc doc;
    int32_t code;
    std::u16string report;
  };
  Doc picture = MainText(u"a\u0001b\r");
  picture.runs = {{0, 1, {}}, {1, 2, Sprm(0x6A03, 0)}, {2, 4, {}}};
  picture.data = Picf(100, Bytes(4, 0), 10);
  const Case cases[] = {
      {"nothing left out", MainText(u"a\u0013 PAGE \u00141\u0015\r"), 0, u""},
      {"a picture", picture, kErrorReaderReport, u"1 \r"},
      {"two stray field ends", MainText(u"a\u0015b\u0015\r"), kErrorReaderReport, u"2 \r"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes file = c.doc.Build();
    oletest::MemoryFile memory(file);
    VStr<255> report;
    EXPECT_EQ(c.code, read(document, memory.Stream(), FourCC("DOC8"), false, &report));
    // The list's texts are the host's; the counts follow them.
    char16_t text[256] = {};
    report.GetUniCText(text, 255);
    const std::u16string got(text);
    EXPECT_EQ(c.report, got.substr(got.size() >= c.report.size() ? got.size() - c.report.size() : 0));
    EXPECT_EQ(c.report.empty(), got.empty());
  }
  RemoveWordFormats();
}

// The package's string lists as the module's compiled resource file holds
// them, its resource base being the package's id.
class ResourceStrings : public xMorvaEngineHost {
 public:
  ResourceStrings() : file_(VMacResourceFile::OpenExact(QV_RESOURCE_FILE, 0)) {}
  bool IsOpen() const { return file_ != nullptr; }
  void GetPackageString(int16_t offset, int16_t item, VString& out) override {
    out.SetEmpty(false);
    if (file_ != nullptr) file_->GetIndString(&out, int16_t(kResourceBase + offset), item);
  }
  std::u16string Item(int16_t item) {
    VStr<255> text;
    GetPackageString(kAlertListOffset, item, text);
    char16_t units[256] = {};
    text.GetUniCText(units, 255);
    return units;
  }
  void ShowMemoryAlert() override {}
  VValue* EvaluateReference(const uint8_t*, uint32_t) override { return nullptr; }
  bool GetReferenceNames(const uint8_t*, uint32_t, VString&, VString&, VString&, VString&) override {
    return false;
  }

 private:
  static constexpr int16_t kResourceBase = 12000;
  std::unique_ptr<VMacResourceFile> file_;
};

TEST_F(WordStories, TheReportNamesWhatWasLeftOut) {
  ResourceStrings strings;
  ASSERT_TRUE(strings.IsOpen());
  xMorvaEngineHost* const saved = xMorvaEngineHostService::Install(&strings);
  InstallWordFormats();
  const xMorvaFormatReader read = xMorvaFileFormats::FindReader(FourCC("DOC8"));
  ASSERT_NE(nullptr, read);
  // A picture too short to be one and a field end without its begin.
  Doc doc = MainText(u"a\u0001b\u0015\r");
  doc.runs = {{0, 1, {}}, {1, 2, Sprm(0x6A03, 0)}, {2, 5, {}}};
  doc.data = Picf(100, Bytes(4, 0), 10);
  oletest::MemoryFile memory(doc.Build());
  VStr<255> report;
  EXPECT_EQ(kErrorReaderReport, read(document, memory.Stream(), FourCC("DOC8"), false, &report));
  char16_t text[256] = {};
  report.GetUniCText(text, 255);
  // Pictures first, then fields: each line the list's words, the count, a
  // blank and a carriage return.
  const std::u16string pictures = strings.Item(26), fields = strings.Item(25);
  EXPECT_NE(std::u16string::npos, pictures.find(u"Pictures"));
  EXPECT_NE(std::u16string::npos, fields.find(u"Fields"));
  EXPECT_EQ(pictures + u"1 \r" + fields + u"1 \r", std::u16string(text));
  // The other two lines' words are there for the counts that have them.
  EXPECT_FALSE(strings.Item(24).empty());
  EXPECT_FALSE(strings.Item(27).empty());
  RemoveWordFormats();
  xMorvaEngineHostService::Install(saved);
}

TEST_F(WordStories, SymbolAtTheEndOfTheTextLeavesTheParagraphEnd) {
  // The symbol's run reaches over the last paragraph end, which stays one.
  Doc doc = MainText(u"x(\r");
  Bytes symbol;
  Put16(symbol, 0x6A09);
  Put16(symbol, 1);
  Put16(symbol, 0xF062);
  doc.runs = {{0, 1, {}}, {1, 3, symbol}};
  std::u16string body;
  xMorvaImportWord reader;
  ASSERT_EQ(0, Read(doc, body, reader));
  // The placeholder shows the symbol's byte; its run carries the symbol.
  EXPECT_EQ(u"xb", body);
  const auto& runs = reader.GetCharacterRuns();
  const auto run = std::find_if(runs.begin(), runs.end(), [](const auto& r) { return r.first == 1; });
  ASSERT_NE(runs.end(), run);
  EXPECT_EQ(0xF062, run->chp.symbol);
  EXPECT_TRUE(reader.GetBodySpecials().empty());
}

// One stream: the FIB, the text at 0x300 (main text, then the separator
// stories the DOP's second byte names and the headers and footers the
// section's flags name), then the section, its SEPX (the flags and a title
// page), the header positions and the DOP.
Bytes Word6Stories(const std::string& hdd, const std::vector<uint32_t>& cps, uint8_t separators, uint8_t flags) {
  const std::string main = "Body\r";
  Bytes file(0x300, 0);
  StoreLE16(&file[0], 0xA5DC);
  StoreLE16(&file[2], 101);
  StoreLE32(&file[24], 0x300);
  StoreLE32(&file[28], uint32_t(0x300 + main.size() + hdd.size()));
  StoreLE32(&file[52], uint32_t(main.size()));
  StoreLE32(&file[60], uint32_t(hdd.size()));
  file.insert(file.end(), main.begin(), main.end());
  file.insert(file.end(), hdd.begin(), hdd.end());
  auto pair = [&](size_t at, const Bytes& bytes) {
    StoreLE32(&file[at], uint32_t(file.size()));
    StoreLE32(&file[at + 4], uint32_t(bytes.size()));
    file.insert(file.end(), bytes.begin(), bytes.end());
  };
  const uint32_t sepxAt = uint32_t(file.size());
  file.insert(file.end(), {4, 0, 153, flags, 143, 1});
  Bytes sed;
  Put32(sed, 0);
  Put32(sed, uint32_t(main.size()));
  Put16(sed, 0);
  Put32(sed, sepxAt);
  Put16(sed, 0);
  Put32(sed, 0xFFFFFFFFu);
  pair(0x88, sed);
  Bytes plc;
  for (uint32_t cp : cps) Put32(plc, cp);
  pair(0xB0, plc);
  pair(0x150, Bytes{0, separators, 0, 0});
  oletest::MemoryFile out;
  EXPECT_EQ(oletest::WriteFile(out.Stream(), {{u"WordDocument", file}}), 0);
  return out.Contents();
}

TEST_F(WordStories, Word6StoriesFollowTheDopAndSectionFlags) {
  // Header, footer, first-page header, left header, left footer; the
  // endnotes' separators are stories of the list too.
  const std::tuple<std::string, std::vector<uint32_t>, uint8_t, uint8_t, std::vector<std::u16string>> rows[] = {
      {"-\rOH\rOF\rG\r\rFH\r\r", {0, 2, 5, 11, 14, 15}, 0x01, 0x02 | 0x08 | 0x10, {u"OH", u"OF\rG", u"FH", u"", u""}},
      {"-\r=\r~\rEH\rOH\rEF\rOF\r\r", {0, 2, 4, 6, 9, 12, 15, 18, 19}, 0x01 | 0x08 | 0x10, 0x01 | 0x02 | 0x04 | 0x08,
       {u"OH", u"OF", u"", u"EH", u"EF"}},
  };
  for (const auto& [hdd, cps, separators, flags, parts] : rows) {
    SCOPED_TRACE(flags);
    document.Reset(false);
    oletest::MemoryFile memory(Word6Stories(hdd, cps, separators, flags));
    xMorvaImportWord reader;
    ASSERT_EQ(0, reader.ImportWordDocument(&document, &memory.Stream()));
    EXPECT_EQ(u"Body", PartText(kPartBody));
    std::vector<std::u16string> read;
    for (int16_t part : {kPartHeader, kPartFooter, kPartFirstHeader, kPartLeftHeader, kPartLeftFooter})
      read.push_back(PartText(part));
    EXPECT_EQ(parts, read);
    EXPECT_EQ(u"", PartText(kPartFirstFooter));
    // The footer's lines end at its distance from the edge (Word 6's 720
    // twips), the body above them.
    const xMorvaPageBands& bands = document.Params().GetBands(false);
    EXPECT_EQ(TwipsToPixels(720), bands.footerBottom);
    EXPECT_EQ(std::max(TwipsToPixels(1440), bands.footerTop + 1), bands.bottomMargin);
    EXPECT_EQ(1, document.Params().GetDifferentFirstPage());
    EXPECT_EQ(parts[3].empty() ? 0 : 1, document.Params().GetDifferentLeftRight());
  }
}

// The section's top margin, header distance and bottom margin in twips.
Doc WithMargins(Doc doc, uint16_t top, uint16_t header, uint16_t bottom) {
  for (auto [opcode, value] : {std::pair<uint16_t, uint16_t>{0x9023, top}, {0xB017, header}, {0x9024, bottom}}) {
    Put16(doc.sepx, opcode);
    Put16(doc.sepx, value);
  }
  return doc;
}

// A header starts at its distance from the page's upper edge and the body
// below its lines, at the file's top margin or lower; a footer's lines end
// at its distance from the page's lower edge, and the body ends higher
// only when they need more room than the margin leaves. The lines are counted in the
// font and size each part begins with; the test measures one line the
// same way.
TEST_F(WordStories, HeadersAndFootersKeepTheRoomTheirLinesNeed) {
  auto lineOf = [&](int16_t part) {
    Part(part).SetSelection(0, 0);
    xMorvaFont font(document.GetMeasuringPort(), &document);
    font.ApplyProperty(kPropFont, Part(part).GetPropertyValue(kPropFont), false);
    font.ApplyProperty(kPropSize, Part(part).GetPropertyValue(kPropSize), false);
    return std::max(font.GetAscent() + font.GetDescent(), 1);
  };
  struct Case {
    const char* name;
    Doc doc;
    int32_t headerLines, footerLines;            // of the other pages' tallest part
    int32_t firstHeaderLines, firstFooterLines;  // of a title page
  };
  // Each story closes with a paragraph end of its own behind its
  // paragraphs' ends, as Word and LibreOffice write them.
  const std::u16string three = u"A\rB\rC\r\r";
  const Case cases[] = {
      {"one-line footer", WithHeaders({u"", u"", u"", u"OF\r\r"}), 0, 1, 0, 0},
      {"two lines without the closing end", WithHeaders({u"", u"", u"", u"A\rB\r"}), 0, 2, 0, 0},
      {"three-line footer in an inch", WithHeaders({u"", u"", u"", three}), 0, 3, 0, 0},
      {"three-line footer in a narrow margin", WithMargins(WithHeaders({u"", u"", u"", three}), 1440, 720, 400),
       0, 3, 0, 0},
      {"even footer taller than the odd one",
       WithMargins(WithHeaders({u"", u"", three, u"A\r\r"}), 1440, 720, 400), 0, 3, 0, 0},
      {"header below a top margin under its distance",
       WithMargins(WithHeaders({u"", u"OH\r\r", u"", u"OF\r\r"}), 600, 720, 1440), 1, 1, 0, 0},
      {"header at a top margin at its distance",
       WithMargins(WithHeaders({u"", u"OH\r\r"}), 1134, 1134, 1440), 1, 0, 0, 0},
      {"three-line header under an inch", WithHeaders({u"", three}), 3, 0, 0, 0},
      {"two-line header with room", WithMargins(WithHeaders({u"", u"A\rB\r\r"}), 1800, 720, 1440), 2, 0, 0, 0},
      {"title page with its own header and footer",
       TitlePage(WithMargins(WithHeaders({u"", u"OH\r\r", u"", u"OF\r\r", three, three}), 600, 720, 400)), 1, 1,
       3, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    document.Reset(false);
    xMorvaImportWord reader;
    ASSERT_EQ(0, Import(c.doc, reader));
    const xMorvaDocParams& params = document.Params();
    const xMorvaWordSection& section = reader.GetSection();
    const int32_t top = TwipsToPixels(section.top), bottom = TwipsToPixels(section.bottom);
    const int32_t distance = TwipsToPixels(section.headerDistance);
    auto expect = [&](const xMorvaPageBands& bands, int32_t header, int32_t footer) {
      if (header > 0) {
        EXPECT_EQ(distance, bands.headerTop);
        EXPECT_EQ(std::max(top - 1, distance + header), bands.headerBottom);
        EXPECT_EQ(std::max(top, distance + header + 1), bands.topMargin);
      } else {
        EXPECT_EQ(top - 1, bands.headerBottom);
        EXPECT_EQ(top, bands.topMargin);
      }
      // A footer's last line ends at its distance from the page's lower
      // edge (720 twips), no lower than a footer prints, and its lines
      // reach up from there; without lines its band has no height and
      // stands there (within the margin).
      const int32_t footerDistance = TwipsToPixels(section.footerDistance);
      const int32_t lowest = std::max(footerDistance, xMorvaDocParams::FooterFloor());
      EXPECT_EQ(footer > 0 ? footerDistance : std::min(lowest, bottom), bands.footerBottom);
      EXPECT_EQ(footer > 0 ? lowest + footer : std::min(lowest, bottom), bands.footerTop);
      EXPECT_EQ(std::max(bottom, bands.footerTop + 1), bands.bottomMargin);
      // Options 33, 34 and 31: the header's band above the body.
      EXPECT_LE(bands.headerTop, bands.headerBottom);
      EXPECT_LT(bands.headerBottom, bands.topMargin);
      if (header > 0) {
        EXPECT_LT(bands.headerTop, bands.headerBottom);
      }
    };
    expect(params.GetBands(false), c.headerLines * (c.headerLines != 0 ? lineOf(kPartHeader) : 0),
           c.footerLines * (c.footerLines != 0 ? lineOf(params.GetDifferentLeftRight() != 0 ? kPartLeftFooter
                                                                                            : kPartFooter)
                                               : 0));
    if (params.GetDifferentFirstPage() != 0) {
      expect(params.GetBands(true), c.firstHeaderLines * lineOf(kPartFirstHeader),
             c.firstFooterLines * lineOf(kPartFirstFooter));
    } else {
      EXPECT_EQ(params.GetBands(false), params.GetBands(true));
    }
  }
  // A footer taller than the page leaves the body the narrowest column's
  // height.
  std::u16string tall;
  for (int i = 0; i < 400; ++i) tall += u"L\r";
  document.Reset(false);
  xMorvaImportWord reader;
  ASSERT_EQ(0, Import(WithHeaders({u"", u"", u"", tall + u"\r"}), reader));
  const xMorvaPageBands& bands = document.Params().GetBands(false);
  EXPECT_EQ(xMorvaDocParams::kMinColumnWidth,
            document.Params().GetPageHeight() - bands.topMargin - bands.bottomMargin);
  EXPECT_EQ(bands.bottomMargin - 1, bands.footerTop);
}

TEST_F(WordStories, StoriesBehindTheMainTextStayOutOfTheBody) {
  // Main text, footnotes, headers (an odd footer), annotations, endnotes
  // and text boxes, one after the other in the character positions.
  struct Case {
    const char* name;
    size_t story;  // the ccp slot the extra story goes in
  };
  const Case cases[] = {{"footnote", 1}, {"annotation", 4}, {"endnote", 5}, {"text box", 6},
                        {"header text box", 7}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Doc doc = WithHeaders({u"", u"", u"", u"OF\r\r"});
    const std::u16string extra = u"Behind words\r";
    // Before the header stories for a footnote, after them for the others,
    // so the header positions stay the header story's own.
    const size_t at = c.story == 1 ? doc.ccp[0] : doc.text.size();
    doc.text.insert(at, extra);
    doc.ccp[c.story] = uint32_t(extra.size());
    document.Reset(false);
    xMorvaImportWord reader;
    ASSERT_EQ(0, Import(doc, reader));
    EXPECT_EQ(u"Body", PartText(kPartBody));
    EXPECT_EQ(u"OF", PartText(kPartFooter));
  }
}

// Every character of the body goes into the stream as the engine keeps it:
// the plain ones as they stand, a tab and a soft hyphen as elements, a
// control left over as a space, a symbol font's private codes as their
// bytes; and around them, in runs of any length, nothing is lost or moved.
TEST_F(WordStories, CharactersAreStoredAsTheEngineKeepsThem) {
  // The units and elements of the body's stream, records left out (the
  // last paragraph end is the engine's own, never in the stream).
  auto shown = [](xMorvaEngine& engine) {
    std::string out;
    const uint8_t* stream = engine.LockStream();
    const uint32_t size = engine.GetStreamSize();
    for (uint32_t at = 0; at < size;) {
      const StreamItem item = ReadStreamItem(stream + at, size - at);
      if (item.kind == StreamItem::kElement) {
        out += item.unit == xMorvaElementCode::Tab ? "<tab>" : item.unit == xMorvaElementCode::SoftHyphen ? "<shy>" : "<?>";
      } else if (item.kind == StreamItem::kUnit) {
        if (item.unit == 13) {
          out += "|";
        } else if (item.unit >= 32 && item.unit < 127) {
          out += char(item.unit);
        } else {
          char hex[16];
          std::snprintf(hex, sizeof hex, "\\u%04X", item.unit);
          out += hex;
        }
      }
      at += item.size;
    }
    engine.UnlockStream();
    return out;
  };
  const std::u16string longRun(300, u'w');
  struct Case {
    const char* name;
    std::u16string text;
    int32_t symbolFrom;  // first of the characters in the Symbol font, or -1
    int32_t symbolTo;
    std::string stored;
  };
  const Case cases[] = {
      {"plain", u"abc def\r", -1, -1, "abc def"},
      {"tab", u"ab\tcd\t\r", -1, -1, "ab<tab>cd<tab>"},
      {"soft hyphen", u"ab\u00ADcd\r", -1, -1, "ab<shy>cd"},
      {"controls", u"a\u0010b\u001Bc\u0012\r", -1, -1, "a b c "},
      {"above ASCII", u"\u00E9t\u00E9 \u20AC\u00AEx\r", -1, -1, "\\u00E9t\\u00E9 \\u20AC\\u00AEx"},
      {"paragraphs", u"ab\rcd\r\ref\r", -1, -1, "ab|cd||ef"},
      {"long run", longRun + u"\t" + longRun + u"\r", -1, -1, std::string(300, 'w') + "<tab>" + std::string(300, 'w')},
      {"symbol font", u"x\uF061\uF062y\uFEFFz\r", 1, 6, "xaby z"},
      {"symbol font's codes elsewhere", u"x\uF061y\r", -1, -1, "x\\uF061y"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Doc doc = MainText(c.text);
    if (c.symbolFrom >= 0) {
      Bytes font;
      Put16(font, 0x4A4F);
      Put16(font, 1);
      doc.runs = {{0, uint32_t(c.symbolFrom), {}},
                  {uint32_t(c.symbolFrom), uint32_t(c.symbolTo), font},
                  {uint32_t(c.symbolTo), uint32_t(c.text.size()), {}}};
    }
    xMorvaImportWord reader;
    ASSERT_EQ(0, Import(doc, reader));
    EXPECT_EQ(c.stored, shown(Body()));
  }
}
