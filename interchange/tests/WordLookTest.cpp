// How a Word document looks once read: the files LibreOffice writes from
// our sources (interchange/tests/fixtures/word/source, made by
// tools/make_word_peer_fixtures.py) keep their styles, indents, spacing,
// colours and breaks; our own Word files carry exact colours and
// highlights, property sets laid out as [MS-OLEPS] says, and come back the
// same from a second round trip.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "document/DocumentUnits.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaProperties.h"
#include "engine/xMorvaElementStream.h"
#include "interchange/tests/WordExportTestSupport.h"
#include "interchange/word/xMorvaImportWord.h"

using namespace rtftest;
using namespace wordtest;
using oletest::MemoryFile;
namespace fs = std::filesystem;

namespace wordlook {

fs::path WordFolder() {
  fs::path source(__FILE__);
  if (source.is_relative()) source = fs::read_symlink("/proc/self/exe").parent_path() / source;
  return source.parent_path() / "fixtures" / "word" / "look";
}

Bytes FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Escaped(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) {
    if (c >= 32 && c < 127) {
      out += char(c);
    } else {
      char hex[10];
      std::snprintf(hex, sizeof hex, "<%04X>", unsigned(c));
      out += hex;
    }
  }
  return out;
}

// The body as units (breaks as '\f' for a page, '\v' for a column) and
// each unit's facts: the character and paragraph properties and tabs.
struct Unit {
  char16_t unit = 0;
  std::map<uint16_t, int32_t> properties;
  std::u16string sheet;  // the style sheet's name (its number is the file's)
  std::vector<uint32_t> tabs;
  bool operator==(const Unit&) const = default;
};
std::vector<Unit> Units(xMorvaDocument& document) {
  xMorvaEngine& engine = Engine(document, kPartBody);
  std::vector<Unit> out;
  xMorvaProperties current;
  xMorvaTabs tabs;
  const uint8_t* stream = engine.LockStream();
  for (uint32_t at = 0, size = engine.GetStreamSize(); at < size;) {
    const StreamItem item = ReadStreamItem(stream + at, size - at);
    at += item.size;
    if (item.kind == StreamItem::kRecord) {
      if (item.unit == kPropTabs) tabs.AddStop(item.value);
      else current.SetProperty(item.unit, int32_t(item.value));
      continue;
    }
    Unit u;
    u.unit = item.kind == StreamItem::kUnit                    ? item.unit
             : item.unit == xMorvaElementCode::PageBreak       ? u'\f'
             : item.unit == xMorvaElementCode::ColBreak        ? u'\v'
             : item.unit == xMorvaElementCode::Tab             ? u'\t'
                                                               : char16_t(31);
    for (uint16_t id : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 32, 33, 35, 36, 37, 38})
      u.properties[id] = current.GetProperty(id);
    VStr<255> name;
    if (current.GetProperty(kPropStyleSheet) > 0) document.GetStyleSheetName(int16_t(current.GetProperty(kPropStyleSheet)), name);
    char16_t units[256] = {};
    name.GetUniCText(units, 255);
    u.sheet = units;
    for (int32_t i = 0; i < tabs.Count(); ++i) u.tabs.push_back(tabs.StopAt(i));
    out.push_back(std::move(u));
  }
  engine.UnlockStream();
  return out;
}
std::u16string TextOfUnits(const std::vector<Unit>& units) {
  std::u16string text;
  for (const Unit& u : units) text += u.unit;
  return text;
}


class WordLook : public Fixture {
 protected:
  std::unique_ptr<xMorvaDocument> Read(const Bytes& bytes, xMorvaImportWord* reader = nullptr) {
    auto document = NewDocument();
    MemoryFile memory(bytes);
    xMorvaImportWord local;
    EXPECT_EQ(0, (reader != nullptr ? reader : &local)->ImportWordDocument(document.get(), &memory.Stream()));
    return document;
  }
  // A property at the first unit of `word`.
  int32_t At(const std::vector<Unit>& units, const std::u16string& word, uint16_t id) {
    const size_t at = TextOfUnits(units).find(word);
    EXPECT_NE(at, std::u16string::npos) << std::string(word.begin(), word.end());
    return at == std::u16string::npos ? -999 : units[at].properties.at(id);
  }
  std::u16string FontName(xMorvaDocument& document, int32_t index) {
    VStr<255> name;
    bool known = false;
    if (!document.FontNameForIndex(index, name, known)) return u"?";
    char16_t units[256] = {};
    name.GetUniCText(units, 255);
    return units;
  }
};

// LibreOffice's file of headings, indented, spaced and coloured body text:
// every paragraph in its own style's look, the indents in the logical
// opcodes LibreOffice writes, the exact colours, the highlights and the
// page break.
TEST_F(WordLook, LibreOfficeLookArrives) {
  auto document = Read(FileBytes(WordFolder() / "look.doc"));
  const std::vector<Unit> units = Units(*document);
  struct Row {
    const char16_t* word;
    uint16_t id;
    int32_t value;
  };
  const std::vector<Row> rows = {
      {u"Heading one", kPropBold, 1},
      {u"Heading one", kPropSize, 18},
      {u"Heading two", kPropBold, 1},
      {u"Body text", kPropBold, 0},
      {u"Body text", kPropSize, 12},
      {u"Indented left", kPropBold, 0},
      {u"Indented left", kPropLeftIndent, TwipsToPixels(1440)},
      {u"Indented left", kPropRightIndent, TwipsToPixels(720)},
      {u"Indented left", kPropFirstLineIndent, TwipsToPixels(-360)},
      {u"First line indented", kPropLeftIndent, TwipsToPixels(720)},
      {u"First line indented", kPropFirstLineIndent, TwipsToPixels(720)},
      {u"Double spaced", kPropInterline, 20},
      {u"One and a half", kPropAlignment, 1},
      {u"A quote", kPropLeftIndent, TwipsToPixels(720)},
      {u"A quote", kPropSize, 11},
      {u"an emphasised", kPropItalic, 1},
      {u"an emphasised", kPropTextColour, 0xFF0000},
      {u"an emphasised", kPropSize, 12},
      {u"dark red", kPropTextColour, 0x0000C0},
      {u"highlighted blue", kPropBackColour, 0xFF9933},
      {u"highlighted red", kPropBackColour, 0x0000FF},
      {u"Colours", kPropBackColour, kColourNone},
      {u"Last body", kPropSize, 12},
      {u"Last body", kPropBold, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.word, row.word + std::char_traits<char16_t>::length(row.word)) + " " +
                 std::to_string(row.id));
    EXPECT_EQ(row.value, At(units, row.word, row.id));
  }
  // One and a half lines, widened by the space before the quote that follows.
  EXPECT_GE(At(units, u"One and a half", kPropInterline), 15);
  EXPECT_LT(At(units, u"One and a half", kPropInterline), 20);
  EXPECT_EQ(u"Liberation Sans", FontName(*document, At(units, u"Heading one", kPropFont)));
  EXPECT_EQ(u"Liberation Serif", FontName(*document, At(units, u"Body text", kPropFont)));
  EXPECT_EQ(u"Liberation Serif", FontName(*document, At(units, u"Last body", kPropFont)));
  const std::u16string text = TextOfUnits(units);
  EXPECT_NE(std::u16string::npos, text.find(u"Before the page break.\fAfter")) << std::string(text.begin(), text.end());
  EXPECT_EQ(1, std::count(text.begin(), text.end(), u'\f'));
}

// Column breaks LibreOffice writes as character 14, page breaks as a
// paragraph that starts a page; a line break ends its paragraph.
TEST_F(WordLook, LibreOfficeBreaksArrive) {
  xMorvaImportWord reader;
  auto document = Read(FileBytes(WordFolder() / "breaks.doc"), &reader);
  const std::u16string text = TextOfUnits(Units(*document));
  EXPECT_NE(std::u16string::npos, text.find(u"than that.\vIn the right column.\r")) << std::string(text.begin(), text.end());
  EXPECT_NE(std::u16string::npos, text.find(u"A line\rbroken in two.\rBefore the page break.\fOn the second page."));
  EXPECT_EQ(1, std::count(text.begin(), text.end(), u'\f'));
  EXPECT_EQ(1, std::count(text.begin(), text.end(), u'\v'));
  EXPECT_EQ(2u, reader.GetBodyBreaks().size());
}

// Each paragraph as LibreOffice reads it from its own file (its flat XML,
// committed beside the file as NAME.libreoffice.txt): alignment, indents
// to the pixel, the break before it, and the colour, background, weight,
// slant, size and font of its first stretch of text.
TEST_F(WordLook, ParagraphsHaveLibreOfficesFacts) {
  int checked = 0;
  for (const char* name : {"look", "breaks", "sections"}) {
    SCOPED_TRACE(name);
    auto document = Read(FileBytes(WordFolder() / (std::string(name) + ".doc")));
    const std::vector<Unit> units = Units(*document);
    const std::u16string text = TextOfUnits(units);
    std::ifstream facts(WordFolder() / (std::string(name) + ".libreoffice.txt"));
    ASSERT_TRUE(facts.good());
    for (std::string line; std::getline(facts, line);) {
      SCOPED_TRACE(line);
      std::istringstream fields(line);
      std::string key, field;
      std::getline(fields, key, '\t');
      key = key.substr(0, key.find("\\n"));
      std::map<std::string, std::string> fact;
      while (std::getline(fields, field, '\t')) fact[field.substr(0, field.find('='))] = field.substr(field.find('=') + 1);
      // The paragraph of ours that starts with the same characters.
      size_t at = 0;
      for (; at < text.size(); ++at) {
        const bool start = at == 0 || text[at - 1] == u'\r' || text[at - 1] == u'\f' || text[at - 1] == u'\v';
        if (start && text.compare(at, key.size(), std::u16string(key.begin(), key.end())) == 0) break;
      }
      ASSERT_LT(at, text.size());
      const std::map<uint16_t, int32_t>& p = units[at].properties;
      static const std::map<std::string, int32_t> kAlign = {{"left", 0}, {"center", 1}, {"right", 2}, {"justify", 3}};
      EXPECT_EQ(kAlign.at(fact["align"]), p.at(kPropAlignment));
      for (const auto& [css, id] : {std::pair{"margin-left", kPropLeftIndent}, std::pair{"margin-right", kPropRightIndent},
                                    std::pair{"text-indent", kPropFirstLineIndent}})
        EXPECT_NEAR(std::stoi(fact[css]), p.at(id) * 96.0 / GetScreenResolution(), 1.0) << css;
      const char16_t before = at == 0 ? 0 : text[at - 1];
      EXPECT_EQ(fact["break"], before == u'\f' ? "page" : before == u'\v' ? "column" : "auto");
      auto css = [](int32_t colour) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "#%02x%02x%02x", colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
        return std::string(hex);
      };
      EXPECT_EQ(fact["color"], p.at(kPropTextColour) == 0 ? "auto" : css(p.at(kPropTextColour)));
      EXPECT_EQ(fact["background"], p.at(kPropBackColour) == kColourNone ? "transparent" : css(p.at(kPropBackColour)));
      EXPECT_EQ(fact["weight"], p.at(kPropBold) != 0 ? "bold" : "normal");
      EXPECT_EQ(fact["style"], p.at(kPropItalic) != 0 ? "italic" : "normal");
      EXPECT_EQ(fact["size"], std::to_string(p.at(kPropSize)) + "pt");
      const std::u16string font = FontName(*document, p.at(kPropFont));
      EXPECT_EQ(fact["font"], std::string(font.begin(), font.end()));
      ++checked;
    }
  }
  EXPECT_GE(checked, 25);
}

// A section's closing character is a break by how the next section
// starts: LibreOffice's sections on the same page end in plain paragraph
// ends, one on a new page in a page break.
TEST_F(WordLook, LibreOfficeSectionEndsArrive) {
  xMorvaImportWord reader;
  auto document = Read(FileBytes(WordFolder() / "sections.doc"), &reader);
  const std::u16string text = TextOfUnits(Units(*document));
  EXPECT_NE(std::u16string::npos, text.find(u"than that.\rTwo columns")) << Escaped(text);
  EXPECT_NE(std::u16string::npos, text.find(u"than that.\rIn the next column"));
  EXPECT_NE(std::u16string::npos, text.find(u"than that.\fNew page section"));
  EXPECT_EQ(1, std::count(text.begin(), text.end(), u'\f'));
  EXPECT_EQ(0, std::count(text.begin(), text.end(), u'\v'));
}

// LibreOffice's file of a document numbered from five, with a title page,
// a binding and an even-page start: read, and written and read again, it
// keeps the number, the title page and the binding, on the left of every
// page as the margins are not mirrored.
TEST_F(WordLook, PageSetupOfLibreOfficeSurvivesARoundTrip) {
  auto source = Read(FileBytes(WordFolder() / "pagesetup.doc"));
  auto again = Read(ExportWordBytes(*source));
  for (xMorvaDocument* document : {source.get(), again.get()}) {
    SCOPED_TRACE(document == source.get() ? "read" : "written and read again");
    const xMorvaDocParams& params = document->GetParams();
    EXPECT_EQ(5, params.GetFirstPageNumber());
    EXPECT_EQ(1, params.GetDifferentFirstPage());
    EXPECT_EQ(TwipsToPixels(720), params.GetBinding());
    EXPECT_EQ(0, params.GetAlternateBinding());
    EXPECT_EQ(1, params.GetBindingLeft()) << "the binding on the left of every page";
  }
}

// The text colour goes out as its nearest palette entry and as the exact
// colour; a highlight as its nearest palette entry.
TEST_F(WordLook, ColoursGoOutNearestAndExact) {
  struct Row {
    const char* what;
    uint16_t id;
    int32_t colour;
    std::vector<uint8_t> sprms;
  };
  const std::vector<Row> rows = {
      {"palette red", kPropTextColour, 0x0000FF, {0x42, 0x2A, 6, 0x70, 0x68, 0xFF, 0, 0, 0}},
      {"dark red C00000", kPropTextColour, 0x0000C0, {0x42, 0x2A, 6, 0x70, 0x68, 0xC0, 0, 0, 0}},
      {"navy 123456", kPropTextColour, 0x563412, {0x42, 0x2A, 9, 0x70, 0x68, 0x12, 0x34, 0x56, 0}},
      {"near white", kPropTextColour, 0xF0F0F0, {0x42, 0x2A, 8, 0x70, 0x68, 0xF0, 0xF0, 0xF0, 0}},
      {"yellow highlight", kPropBackColour, 0x00FFFF, {0x0C, 0x2A, 7}},
      {"palette highlight", kPropBackColour, 0xFF9933, {0x0C, 0x2A, 2}},
      {"grey highlight", kPropBackColour, 0xC0C0C0, {0x0C, 0x2A, 16}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    xMorvaProperties values;
    values.SetDefaults();
    xMorvaProperties base;
    base.Assign(values);
    values.SetProperty(row.id, row.colour);
    std::vector<uint8_t> out;
    xMorvaExportWord::EncodeCharacterSprms(out, values, &base, 0, false);
    EXPECT_EQ(row.sprms, out);
  }
  EXPECT_EQ(0, xMorvaExportWord::NearestIco(kColourNone));
  EXPECT_EQ(1, xMorvaExportWord::NearestIco(0x101010));
  EXPECT_EQ(14, xMorvaExportWord::NearestIco(0xA6D9FF)) << "an exact entry of its own";
}

// The second cycle of a Word round trip changes nothing (text, facts,
// breaks): for a document our RTF reader makes with everything a Word file
// carries of a look, and for LibreOffice's files. The first cycle keeps
// what the RTF document says.
TEST_F(WordLook, SecondRoundTripChangesNothing) {
  const std::string rtf =
      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Liberation Serif;}{\\f1 Liberation Sans;}{\\f2 Symbol;}}"
      "{\\colortbl;\\red192\\green0\\blue0;\\red255\\green255\\blue0;\\red18\\green52\\blue86;}"
      "\\pard\\qc\\f1\\fs36\\b Title\\par"
      "\\pard\\plain\\li1440\\ri720\\fi-360\\tx2880\\f0\\fs24 Indented {\\cf1 dark red} and {\\highlight2 marked} and "
      "{\\cf3 navy} text.\\par"
      "\\pard\\plain\\qr\\sl480\\slmult1 Right, double, \\u-3913? kept and {\\f2 \\u-3913?} in Symbol.\\page "
      "After the page\\column in the next column.\\par"
      "\\pard\\plain\\qj Justified last paragraph\\par}";
  for (const char* name : {"rtf", "look.doc", "breaks.doc", "sections.doc"}) {
    SCOPED_TRACE(name);
    std::unique_ptr<xMorvaDocument> source;
    if (std::string(name) == "rtf") {
      source = NewDocument();
      ASSERT_EQ(0, Import(*source, rtf));
    } else {
      source = Read(FileBytes(WordFolder() / name));
    }
    auto once = Read(ExportWordBytes(*source));
    auto twice = Read(ExportWordBytes(*once));
    const std::vector<Unit> first = Units(*once), second = Units(*twice);
    EXPECT_EQ(Escaped(TextOfUnits(first)), Escaped(TextOfUnits(second)));
    ASSERT_EQ(first.size(), second.size());
    for (size_t i = 0, reported = 0; i < first.size() && reported < 10; ++i) {
      if (first[i] == second[i]) continue;
      ++reported;
      std::string differences = first[i].tabs != second[i].tabs ? " tabs" : "";
      for (const auto& [id, value] : first[i].properties)
        if (second[i].properties.at(id) != value)
          differences += " id " + std::to_string(id) + ": " + std::to_string(value) + " then " +
                         std::to_string(second[i].properties.at(id));
      if (first[i].sheet != second[i].sheet) differences += " sheet " + Escaped(first[i].sheet) + " then " + Escaped(second[i].sheet);
      ADD_FAILURE() << "unit " << i << " '" << Escaped(std::u16string(1, first[i].unit)) << "'" << differences;
    }
    if (std::string(name) != "rtf") continue;
    const std::u16string text = TextOfUnits(first);
    EXPECT_NE(std::u16string::npos, text.find(u"double, \uF0B7 kept and \u00B7 in Symbol.\fAfter the page\vin the next"))
        << Escaped(text);
    EXPECT_EQ(0x0000C0, At(first, u"dark red", kPropTextColour));
    EXPECT_EQ(0x563412, At(first, u"navy", kPropTextColour));
    EXPECT_EQ(0x00E6FF, At(first, u"marked", kPropBackColour)) << "yellow's palette entry";
    EXPECT_EQ(kColourNone, At(first, u"Indented", kPropBackColour));
    EXPECT_NEAR(TwipsToPixels(1440), At(first, u"Indented", kPropLeftIndent), 1);
    EXPECT_NEAR(TwipsToPixels(-360), At(first, u"Indented", kPropFirstLineIndent), 1);
    EXPECT_EQ(20, At(first, u"Right, double", kPropInterline));
    EXPECT_EQ(2, At(first, u"Right, double", kPropAlignment));
    EXPECT_EQ(1, At(first, u"Title", kPropBold));
    EXPECT_EQ(0, At(first, u"Indented", kPropBold));
  }
}

// The property-set streams as [MS-OLEPS] lays them out, read strictly:
// each section's size and property offsets inside it, each value's type
// and size, strings null-terminated and padded to 4 bytes, and a vector
// of variants whose every element is a typed value.
struct PropertyReader {
  const Bytes& bytes;
  size_t sectionAt = 0, sectionSize = 0;
  std::string error;
  uint32_t U32(size_t at) {
    if (at + 4 > sectionAt + sectionSize) {
      error = "read past the section at " + std::to_string(at);
      return 0;
    }
    return wordtest::U32(bytes, at);
  }
  // One typed value at `at`; the offset after it.
  size_t Value(size_t at, uint32_t type) {
    switch (type) {
      case 2:  // VT_I2, padded
      case 3:  // VT_I4
      case 0x0B: return at + 4;
      case 0x40: return at + 8;
      case 0x1E: {
        const uint32_t size = U32(at);
        if (size == 0 || size > 0xFFFF) error = "bad string size";
        else if (bytes[at + 4 + size - 1] != 0) error = "string without its null";
        return at + 4 + (size + 3) / 4 * 4;
      }
      case 0x41: return at + 4 + (U32(at) + 3) / 4 * 4;
      // The document parts and heading pairs: their strings unaligned
      // ([MS-OSHARED] UnalignedLpstr), the whole value padded to 4.
      case 0x101E:
      case 0x100C: {
        const uint32_t n = U32(at);
        at += 4;
        for (uint32_t i = 0; i < n && error.empty(); ++i) {
          const uint32_t element = type == 0x101E ? 0x1E : U32(at);
          if (type == 0x100C) at += 4;
          if (element == 3) {
            at += 4;
          } else if (element == 0x1E) {
            const uint32_t size = U32(at);
            if (size == 0 || size > 0xFFFF || at + 4 + size > sectionAt + sectionSize) error = "bad string size";
            else if (bytes[at + 4 + size - 1] != 0) error = "string without its null";
            at += 4 + size;
          } else {
            error = "vector element of type " + std::to_string(element);
          }
        }
        return (at - sectionAt + 3) / 4 * 4 + sectionAt;
      }
      default: error = "type " + std::to_string(type); return at;
    }
  }
  // Every section of the stream; the ids of the properties read.
  std::vector<uint32_t> Read() {
    std::vector<uint32_t> ids;
    if (wordtest::U16(bytes, 0) != 0xFFFE) error = "byte order";
    const uint32_t sections = wordtest::U32(bytes, 24);
    for (uint32_t s = 0; s < sections && error.empty(); ++s) {
      sectionAt = wordtest::U32(bytes, 28 + 20 * s + 16);
      sectionSize = wordtest::U32(bytes, sectionAt);
      if (sectionAt + sectionSize > bytes.size() || sectionSize % 4 != 0) error = "section size";
      const uint32_t count = U32(sectionAt + 4);
      for (uint32_t p = 0; p < count && error.empty(); ++p) {
        const uint32_t id = U32(sectionAt + 8 + 8 * p), offset = U32(sectionAt + 12 + 8 * p);
        if (offset < 8 + 8 * count || offset % 4 != 0 || offset >= sectionSize) {
          error = "offset of property " + std::to_string(id);
          break;
        }
        ids.push_back(id);
        if (id == 0) continue;  // the dictionary
        const size_t end = Value(sectionAt + offset + 4, U32(sectionAt + offset));
        if (end > sectionAt + sectionSize) error = "property " + std::to_string(id) + " past its section";
      }
    }
    return ids;
  }
};

TEST_F(WordLook, PropertySetsReadStrictly) {
  auto document = NewDocument();
  Type(Engine(*document, kPartBody), u"Text");
  for (const char* title : {"", "A", "Four", "Title of seven"}) {
    SCOPED_TRACE(title);
    document->Infos().Title().SetAnsiCText(title);
    document->Infos().Company().SetAnsiCText("Co");
    const Bytes file = ExportWordBytes(*document);
    for (const char16_t* name : {u"\005SummaryInformation", u"\005DocumentSummaryInformation"}) {
      const Bytes stream = StreamOf(file, name);
      ASSERT_FALSE(stream.empty());
      PropertyReader reader{stream, 0, 0, ""};
      const std::vector<uint32_t> ids = reader.Read();
      EXPECT_EQ("", reader.error);
      EXPECT_FALSE(ids.empty());
    }
  }
}

}  // namespace wordlook
