// The Word import: LibreOffice's Word 97 files read to the text antiword and
// catdoc give, small Word 6 and 97 files made here from the structures,
// and damaged ones refused with their code and the document unchanged.
#include "interchange/word/xMorvaImportWord.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "area/files/xMorvaFileFormats.h"
#include "area/files/xMorvaOpenSave.h"
#include "area/tests/DocumentFileSupport.h"
#include "document/DocumentUnits.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaStyleSheet.h"
#include "document/xMorvaTabs.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaFont.h"
#include "framework/system/environment/VSystemServices.h"
#include "framework/system/files/VFile.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "interchange/rtf/xMorvaRtfFormats.h"
#include "interchange/tests/OleTestSupport.h"
#include "interchange/tests/RtfTestSupport.h"
#include "interchange/tests/TextTestSupport.h"
#include "interchange/word/xMorvaWordFormats.h"
#include "platform/bytes/ByteOrder.h"
#include "platform/bytes/ByteSpanReader.h"

namespace fs = std::filesystem;

namespace {

using oletest::MemoryFile;
using oletest::NamedBytes;
using Bytes = std::vector<uint8_t>;

fs::path WordFolder() {
  fs::path source(__FILE__);
  if (source.is_relative()) source = fs::read_symlink("/proc/self/exe").parent_path() / source;
  return source.parent_path() / "fixtures" / "word";
}

Bytes ReadBytesOf(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Utf8(std::u16string text) {
  std::replace(text.begin(), text.end(), u'\r', u'\n');
  return texttest::Utf8(text);
}

// One paragraph a line, white space collapsed, empty lines dropped.
std::string Normalised(const std::string& text) {
  std::istringstream in(text);
  std::string line;
  std::string out;
  while (std::getline(in, line)) {
    std::string collapsed;
    bool space = false;
    for (char c : line) {
      if (c == ' ' || c == '\t' || c == '\r' || c == '\f') {
        space = !collapsed.empty();
        continue;
      }
      if (space) collapsed += ' ';
      space = false;
      collapsed += c;
    }
    if (!collapsed.empty()) out += collapsed + "\n";
  }
  return out;
}

// A Word 97 file: a FIB of 14 words, 22 longs and 93 pairs, the text as one
// 8-bit piece at 0x800 (or 16-bit with `wide`), and the CLX in "1Table".
struct Word97 {
  std::u16string text = u"Hello Word\rSecond paragraph\r";
  bool wide = false;
  // The first section's grpprl, when there is one.
  Bytes sepx;
  // A CHPX and a PAPX FKP page and the font table, when there are.
  Bytes chpx;
  Bytes papx;
  Bytes fonts;
  Bytes styles;
  Bytes dop;
  Bytes assoc;
  size_t chpxAt = 0;
  size_t papxAt = 0;
  // With `split`, the text is two pieces, the second from that character;
  // each piece's property word, and a property group before the pieces.
  uint32_t split = 0;
  uint16_t prm[2] = {0, 0};
  Bytes prc;
  Bytes main;
  Bytes table;

  void Build() {
    main.assign(0x800, 0);
    StoreLE16(&main[0], 0xA5EC);
    StoreLE16(&main[2], 193);
    StoreLE16(&main[10], 0x0200);  // the table stream is "1Table"
    size_t at = 32;
    StoreLE16(&main[at], 14);
    at += 2 + 28;
    StoreLE16(&main[at], 22);
    const size_t longs = at + 2;
    StoreLE32(&main[longs + 3 * 4], uint32_t(text.size()));  // ccpText
    at = longs + 88;
    StoreLE16(&main[at], 93);
    const size_t pairs = at + 2;
    for (char16_t c : text) {
      main.push_back(uint8_t(c));
      if (wide) main.push_back(uint8_t(c >> 8));
    }
    table.assign(16, 0);
    const size_t clx = table.size();
    if (!prc.empty()) {
      table.insert(table.end(), {1, uint8_t(prc.size()), uint8_t(prc.size() >> 8)});
      table.insert(table.end(), prc.begin(), prc.end());
    }
    table.push_back(2);
    const uint32_t pieces = split != 0 ? 2 : 1;
    Bytes lcb(4);
    StoreLE32(lcb.data(), 4 + 12 * pieces);
    table.insert(table.end(), lcb.begin(), lcb.end());
    auto put32 = [&](uint32_t v) {
      uint8_t b[4];
      StoreLE32(b, v);
      table.insert(table.end(), b, b + 4);
    };
    put32(0);
    if (split != 0) put32(split);
    put32(uint32_t(text.size()));
    for (uint32_t piece = 0; piece < pieces; ++piece) {
      const uint32_t at = piece == 0 ? 0 : split;
      table.push_back(0);
      table.push_back(0);
      put32(wide ? 0x800 + at * 2 : ((0x800 + at) * 2) | 0x40000000u);
      table.push_back(uint8_t(prm[piece]));
      table.push_back(uint8_t(prm[piece] >> 8));
    }
    StoreLE32(&main[pairs + 66 * 4], uint32_t(clx));
    StoreLE32(&main[pairs + 67 * 4], uint32_t(table.size() - clx));
    // Bin tables of one page each, the pages at the end of the main stream.
    auto binTable = [&](const Bytes& page, size_t pair, size_t& pageAt) {
      if (page.empty()) return;
      main.resize((main.size() + 511) / 512 * 512, 0);
      pageAt = main.size();
      main.insert(main.end(), page.begin(), page.end());
      StoreLE32(&main[pairs + pair * 8], uint32_t(table.size()));
      StoreLE32(&main[pairs + pair * 8 + 4], 12);
      put32(0x800);
      put32(uint32_t(0x800 + text.size() * (wide ? 2 : 1)));
      put32(uint32_t(pageAt / 512));
    };
    binTable(chpx, 12, chpxAt);
    binTable(papx, 13, papxAt);
    for (auto [bytes, pair] : {std::pair{&dop, 31}, std::pair{&assoc, 32}}) {
      if (bytes->empty()) continue;
      StoreLE32(&main[pairs + size_t(pair) * 8], uint32_t(table.size()));
      StoreLE32(&main[pairs + size_t(pair) * 8 + 4], uint32_t(bytes->size()));
      table.insert(table.end(), bytes->begin(), bytes->end());
    }
    if (!styles.empty()) {
      StoreLE32(&main[pairs + 1 * 8], uint32_t(table.size()));
      StoreLE32(&main[pairs + 1 * 8 + 4], uint32_t(styles.size()));
      table.insert(table.end(), styles.begin(), styles.end());
    }
    if (!fonts.empty()) {
      StoreLE32(&main[pairs + 15 * 8], uint32_t(table.size()));
      StoreLE32(&main[pairs + 15 * 8 + 4], uint32_t(fonts.size()));
      table.insert(table.end(), fonts.begin(), fonts.end());
    }
    if (sepx.empty()) return;
    const size_t sepxAt = main.size();
    main.push_back(uint8_t(sepx.size()));
    main.push_back(0);
    main.insert(main.end(), sepx.begin(), sepx.end());
    const size_t sed = table.size();
    put32(0);
    put32(uint32_t(text.size()));
    table.push_back(2);
    table.push_back(0);
    put32(uint32_t(sepxAt));
    table.push_back(0);
    table.push_back(0);
    put32(0xFFFFFFFFu);
    StoreLE32(&main[pairs + 12 * 4], uint32_t(sed));
    StoreLE32(&main[pairs + 13 * 4], 20);
  }
  size_t PairAt(size_t pair) const { return 32 + 2 + 28 + 2 + 88 + 2 + pair * 4; }
  size_t LongAt(size_t index) const { return 32 + 2 + 28 + 2 + index * 4; }
};

// A Word 97 style sheet: an STSHI of 18 bytes, then each STD behind its
// length: a 10-byte base (sgc and istdBase in the second word), the name
// as a length word and 16-bit characters with a terminator, and the
// property groups, each behind its length and padded to even.
struct StyleSpec {
  uint8_t sgc = 1;
  uint16_t base = 0xFFF;
  std::string name;
  Bytes papx;  // the style word and paragraph sprms (paragraph styles)
  Bytes chpx;
};
Bytes StyleSheet(const std::vector<StyleSpec>& styles, uint16_t defaultFont = 0) {
  Bytes out(20, 0);
  StoreLE16(&out[0], 18);
  StoreLE16(&out[2], uint16_t(styles.size()));
  StoreLE16(&out[4], 10);
  StoreLE16(&out[14], defaultFont);
  for (const StyleSpec& styleEntry : styles) {
    Bytes std(10, 0);
    StoreLE16(&std[2], uint16_t(styleEntry.sgc | (styleEntry.base << 4)));
    std.push_back(uint8_t(styleEntry.name.size()));
    std.push_back(0);
    for (char c : styleEntry.name) {
      std.push_back(uint8_t(c));
      std.push_back(0);
    }
    std.push_back(0);
    std.push_back(0);
    for (const Bytes* upx : {&styleEntry.papx, &styleEntry.chpx}) {
      if (styleEntry.sgc != 1 && upx == &styleEntry.papx) continue;
      if (std.size() % 2 != 0) std.push_back(0);
      std.push_back(uint8_t(upx->size()));
      std.push_back(uint8_t(upx->size() >> 8));
      std.insert(std.end(), upx->begin(), upx->end());
    }
    out.push_back(uint8_t(std.size()));
    out.push_back(uint8_t(std.size() >> 8));
    out.insert(out.end(), std.begin(), std.end());
  }
  return out;
}

// An FKP page: crun + 1 file positions, then per run its offset byte (and
// a PHE of `phe` bytes), the property groups packed from the page's end.
// A CHPX is a count byte and its sprms; a PAPX a count of words (Word 97:
// odd lengths, or 0 and a count byte) and the style and sprms.
Bytes FkpPage(const std::vector<uint32_t>& fcs, const std::vector<Bytes>& groups, size_t phe,
              bool papx, bool word6 = false) {
  Bytes page(512, 0);
  const size_t crun = groups.size();
  for (size_t i = 0; i < fcs.size(); ++i) StoreLE32(&page[i * 4], fcs[i]);
  size_t end = 511;
  for (size_t i = 0; i < crun; ++i) {
    const Bytes& g = groups[i];
    if (g.empty()) continue;
    Bytes stored;
    if (!papx) {
      stored.push_back(uint8_t(g.size()));
    } else if (word6) {
      stored.push_back(uint8_t((g.size() - 1 + 1) / 2));
    } else if (g.size() % 2 == 1) {
      stored.push_back(uint8_t((g.size() + 1) / 2));
    } else {
      stored.push_back(0);
      stored.push_back(uint8_t(g.size() / 2));
    }
    stored.insert(stored.end(), g.begin(), g.end());
    end = (end - stored.size()) & ~size_t(1);
    std::copy(stored.begin(), stored.end(), page.begin() + long(end));
    page[(crun + 1) * 4 + i * (1 + phe)] = uint8_t(end / 2);
  }
  page[511] = uint8_t(crun);
  return page;
}

// A Word 6 file: one stream, the text as the stretch [fcMin, fcMac).
Bytes Word6Main(const std::string& text) {
  Bytes main(0x300, 0);
  StoreLE16(&main[0], 0xA5DC);
  StoreLE16(&main[2], 101);
  StoreLE32(&main[24], 0x300);
  StoreLE32(&main[28], uint32_t(0x300 + text.size()));
  StoreLE32(&main[52], uint32_t(text.size()));
  main.insert(main.end(), text.begin(), text.end());
  return main;
}

Bytes Container(const std::vector<NamedBytes>& streams) {
  MemoryFile file;
  EXPECT_EQ(oletest::WriteFile(file.Stream(), streams), 0);
  return file.Contents();
}

class ImportWord : public texttest::TextDocumentTest {
 protected:
  int32_t Read(const Bytes& file, std::u16string& body) {
    MemoryFile memory(file);
    xMorvaImportWord reader;
    return reader.ReadWordText(memory.Stream(), body);
  }
  // Reads the text of a built file (its main and table streams) with
  // `reader`, which keeps what it found for the test to look at.
  static int32_t ReadBuilt(xMorvaImportWord& reader, const Word97& file, std::u16string& body) {
    MemoryFile memory(Container({{u"WordDocument", file.main}, {u"1Table", file.table}}));
    return reader.ReadWordText(memory.Stream(), body);
  }
  int32_t Import(const Bytes& file) {
    MemoryFile memory(file);
    xMorvaImportWord reader;
    return reader.ImportWordDocument(&document, &memory.Stream());
  }
};

}  // namespace

TEST_F(ImportWord, LibreOfficeFilesGiveTheTextAntiwordAndCatdocRead) {
  int files = 0;
  for (const auto& item : fs::directory_iterator(WordFolder())) {
    if (item.path().extension() != ".doc") continue;
    SCOPED_TRACE(item.path().filename().string());
    ++files;
    ASSERT_EQ(Import(ReadBytesOf(item.path())), 0);
    const std::string ours = Normalised(Utf8(BodyText()));
    fs::path antiword = item.path(), catdoc = item.path();
    antiword.replace_extension(".antiword.txt");
    catdoc.replace_extension(".catdoc.txt");
    const Bytes a = ReadBytesOf(antiword), c = ReadBytesOf(catdoc);
    // antiword draws a table's cells between bars.
    std::string cells(a.begin(), a.end());
    std::replace(cells.begin(), cells.end(), '|', ' ');
    EXPECT_EQ(ours, Normalised(cells));
    EXPECT_EQ(ours, Normalised(std::string(c.begin(), c.end())));
  }
  EXPECT_GE(files, 2);
}

// LibreOffice's HTML of its own files names the bold, italic, underlined,
// font-faced, sized and centred stretches, the paragraphs' space before
// and after, and the table cells that are aligned, shaded or bordered;
// each has those properties in our runs, found through where the body
// took their characters.
TEST_F(ImportWord, LibreOfficeFilesRunsMatchItsHtml) {
  int checked = 0;
  for (const auto& item : fs::directory_iterator(WordFolder())) {
    if (item.path().extension() != ".doc") continue;
    SCOPED_TRACE(item.path().filename().string());
    fs::path runsPath = item.path();
    runsPath.replace_extension(".runs.txt");
    std::ifstream runsFile(runsPath);
    ASSERT_TRUE(runsFile.good());
    xMorvaImportWord reader;
    MemoryFile memory(ReadBytesOf(item.path()));
    std::u16string body;
    ASSERT_EQ(reader.ReadWordText(memory.Stream(), body), 0);
    ASSERT_FALSE(reader.GetStyles().empty());
    EXPECT_EQ(reader.GetStyles()[0].name, u"Normal");
    EXPECT_FALSE(reader.GetFontNames().empty());
    const std::vector<uint32_t>& to = reader.GetBodyPositions();
    ASSERT_FALSE(to.empty());
    auto holds = [&](const auto& run, size_t at) {
      const size_t last = to.size() - 1;
      return at >= to[std::min<size_t>(run.first, last)] && at < to[std::min<size_t>(run.limit, last)];
    };
    auto paragraphAt = [&](size_t at) {
      const auto& runs = reader.GetParagraphRuns();
      return std::find_if(runs.begin(), runs.end(), [&](const auto& r) { return holds(r, at); });
    };
    // The row end of the body paragraph holding `at`: its run ends on the
    // paragraph's end.
    auto rowOf = [&](size_t at) -> const xMorvaWordPap* {
      size_t end = body.find(u'\r', at);
      if (end == std::u16string::npos) end = body.size();
      for (const auto& r : reader.GetParagraphRuns())
        if (r.pap.rowEnd && r.limit > r.first && to[std::min<size_t>(r.limit - 1, to.size() - 1)] == end)
          return &r.pap;
      return nullptr;
    };
    size_t cursor = 0;
    std::string line;
    // Where the HTML says bold or italic; nowhere else may be either.
    std::vector<bool> bold(body.size()), italic(body.size());
    while (std::getline(runsFile, line)) {
      const size_t tab = line.find('\t');
      if (tab == std::string::npos) continue;
      const std::string what = line.substr(0, tab), sample = line.substr(tab + 1);
      SCOPED_TRACE(line);
      const std::u16string wanted = Utf8ToUtf16(sample);
      // A paragraph's own line follows those of its stretches: it is
      // looked for from the start of the paragraph they are in.
      size_t from = cursor;
      if (what == "centre" || what.rfind("before ", 0) == 0 || what.rfind("after ", 0) == 0) {
        from = cursor == 0 ? std::u16string::npos : body.rfind(u'\r', cursor - 1);
        from = from == std::u16string::npos ? 0 : from + 1;
      }
      const size_t at = body.find(wanted, from);
      ASSERT_NE(at, std::string::npos);
      cursor = at;
      if (what.rfind("cell ", 0) == 0) {
        const xMorvaWordPap* row = rowOf(at);
        ASSERT_NE(row, nullptr);
        const size_t start = body.rfind(u'\r', at) == std::u16string::npos ? 0 : body.rfind(u'\r', at) + 1;
        const size_t cell = size_t(std::count(body.begin() + long(start), body.begin() + long(at), u'\t'));
        if (what == "cell centre" || what == "cell right") {
          ASSERT_GT(cell, 0u);
          ASSERT_LE(cell, row->tabs.size());
          EXPECT_EQ(row->tabs[cell - 1].kind, what == "cell centre" ? 2 : 3);
        }
        if (what == "cell bordered") {
          EXPECT_EQ(row->borderSides, 15);
        }
        if (what == "cell shaded") {
          const auto& shades = reader.GetCellShading();
          EXPECT_TRUE(std::any_of(shades.begin(), shades.end(), [&](const xMorvaWordShade& s) {
            return s.color != -1 && holds(s, at) && holds(s, at + wanted.size() - 1);
          }));
        }
        ++checked;
        continue;
      }
      for (size_t cp = at; cp < at + wanted.size(); ++cp) {
        if (what == "bold") bold[cp] = true;
        if (what == "italic") italic[cp] = true;
        if (what == "centre" || what.rfind("before ", 0) == 0 || what.rfind("after ", 0) == 0) {
          const auto run = paragraphAt(cp);
          ASSERT_NE(run, reader.GetParagraphRuns().end());
          if (what == "centre") {
            EXPECT_EQ(run->pap.jc, 1);
          }
          // The HTML gives hundredths of an inch.
          if (what.rfind("before ", 0) == 0) {
            EXPECT_NEAR(run->pap.before, std::stoi(what.substr(7)), 15);
          }
          if (what.rfind("after ", 0) == 0) {
            EXPECT_NEAR(run->pap.after, std::stoi(what.substr(6)), 15);
          }
          continue;
        }
        const auto& runs = reader.GetCharacterRuns();
        auto run = std::find_if(runs.begin(), runs.end(), [&](const auto& r) { return holds(r, cp); });
        ASSERT_NE(run, runs.end());
        const xMorvaWordChp& chp = run->chp;
        if (what == "bold") {
          EXPECT_EQ(chp.bold, 1);
        }
        if (what == "italic") {
          EXPECT_EQ(chp.italic, 1);
        }
        if (what == "underline") {
          EXPECT_EQ(chp.underline, 1);
        }
        if (what.rfind("size ", 0) == 0) {
          EXPECT_EQ(chp.halfPoints, std::stoi(what.substr(5)) * 2);
        }
        if (what.rfind("font ", 0) == 0) {
          ASSERT_GE(chp.font, 0);
          ASSERT_LT(size_t(chp.font), reader.GetFontNames().size());
          EXPECT_EQ(Utf8(reader.GetFontNames()[size_t(chp.font)]), what.substr(5));
        }
        ++checked;
      }
    }
    for (const xMorvaWordCharacterRun& run : reader.GetCharacterRuns()) {
      for (size_t cp = 0; cp < body.size(); ++cp) {
        if (body[cp] == u'\r' || !holds(run, cp)) continue;
        if (run.chp.bold != 0) {
          EXPECT_TRUE(bold[cp]) << cp;
        }
        if (run.chp.italic != 0) {
          EXPECT_TRUE(italic[cp]) << cp;
        }
      }
    }
  }
  EXPECT_GT(checked, 100);
}

// The runs reach the document: LibreOffice's styled file opened whole.
TEST_F(ImportWord, RunsSetTheBodysProperties) {
  ASSERT_EQ(Import(ReadBytesOf(WordFolder() / "styled.doc")), 0);
  xMorvaTextInterface* body = document.GetPart(kPartBody);
  ASSERT_NE(body, nullptr);
  const std::u16string text = BodyText();
  auto at = [&](const std::u16string& sample, uint16_t id) {
    const size_t where = text.find(sample);
    EXPECT_NE(where, std::u16string::npos);
    body->SetSelection(int32_t(where), int32_t(where + 1));
    return body->GetPropertyValue(id);
  };
  EXPECT_EQ(at(u"bold text", kPropBold), 1);
  EXPECT_EQ(at(u"Plain text", kPropBold), 0);
  EXPECT_EQ(at(u"italic text", kPropItalic), 1);
  EXPECT_EQ(at(u"underlined", kPropUnderline), 1);
  EXPECT_EQ(at(u"large", kPropSize), 18);
  EXPECT_EQ(at(u"beside", kPropSize), 12);
  EXPECT_EQ(at(u"A heading", kPropSize), 16);
  EXPECT_EQ(at(u"A centred", kPropAlignment), 1);
  EXPECT_EQ(at(u"Plain text", kPropAlignment), 0);
  EXPECT_NE(at(u"Fixed width", kPropFont), at(u"beside", kPropFont));
}

// Every character the body keeps holds one position in the document, a
// stray control character too, so that the runs land on their own text.
TEST_F(ImportWord, RunsLandOnTheirCharactersPastControlCharacters) {
  Word97 file;
  file.text = u"A\u0006B\rC\t\u00ADD\r";
  file.chpx = FkpPage({0x800, 0x802, 0x803, 0x807, 0x809}, {{}, {0x35, 0x08, 1}, {}, {0x36, 0x08, 1}}, 0, false);
  file.Build();
  ASSERT_EQ(Import(Container({{u"WordDocument", file.main}, {u"1Table", file.table}})), 0);
  xMorvaTextInterface* text = document.GetPart(kPartBody);
  ASSERT_NE(text, nullptr);
  auto at = [&](int32_t where, uint16_t id) {
    text->SetSelection(where, where + 1);
    return text->GetPropertyValue(id);
  };
  EXPECT_EQ(at(0, kPropBold), 0);
  EXPECT_EQ(at(2, kPropBold), 1);  // "B"
  EXPECT_EQ(at(4, kPropBold), 0);
  EXPECT_EQ(at(7, kPropItalic), 1);  // "D", after a tab and a soft hyphen
  EXPECT_EQ(at(6, kPropItalic), 0);
  EXPECT_EQ(Body().GetLength(), 8);
}

TEST_F(ImportWord, Word97PiecesOfBothWidthsAndWord6Stretches) {
  for (bool wide : {false, true}) {
    Word97 file;
    file.wide = wide;
    file.text = u"Caf\u00e9 \u0013 NUMPAGES \u00141\u0015 end\rNext\u0007cell\r";
    file.Build();
    std::u16string body;
    ASSERT_EQ(Read(Container({{u"WordDocument", file.main}, {u"1Table", file.table}}), body), 0);
    EXPECT_EQ(body, u"Caf\u00e9 1 end\rNext\tcell");
  }
  // Line feeds end paragraphs, a paragraph end's own one aside; each byte
  // stays one character, so that the runs keep their places.
  for (bool wide : {false, true}) {
    Word97 file;
    file.wide = wide;
    file.text = u"One\r\nTwo\nThree\u0081\r";
    file.chpx = FkpPage({0x800u, 0x800u + 9u * (wide ? 2u : 1u), 0x800u + 16u * (wide ? 2u : 1u)},
                        {{}, {0x35, 0x08, 1}}, 0, false);
    file.Build();
    xMorvaImportWord reader;
    std::u16string body;
    ASSERT_EQ(ReadBuilt(reader, file, body), 0);
    EXPECT_EQ(body.substr(0, 13), u"One\rTwo\rThree");
    ASSERT_EQ(reader.GetCharacterRuns().size(), 2u);
    EXPECT_EQ(reader.GetBodyPositions()[9], 8u);  // "Three" is bold
  }
  std::u16string body;
  ASSERT_EQ(Read(Container({{u"WordDocument", Word6Main("Word six\rtext\r")}}), body), 0);
  EXPECT_EQ(body, u"Word six\rtext");
  // Word 6's DOP, 84 bytes in the one stream, holds dxaTab where Word 97's does.
  Bytes main = Word6Main("Word six\rtext\r");
  StoreLE32(&main[0x150], uint32_t(main.size()));
  StoreLE32(&main[0x154], 0x54);
  main.resize(main.size() + 0x54, 0);
  StoreLE16(&main[main.size() - 0x54 + 10], 1440);
  ASSERT_EQ(Import(Container({{u"WordDocument", main}})), 0);
  EXPECT_EQ(BodyText().substr(0, 13), u"Word six\rtext");
  EXPECT_EQ(document.GetParams().GetDefaultTabInterval(), TwipsToPixels(1440));
}

// Sprms of a section: opcode and 16-bit operand.
Bytes Sprm16(uint16_t opcode, uint16_t value) {
  return {uint8_t(opcode), uint8_t(opcode >> 8), uint8_t(value), uint8_t(value >> 8)};
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// sprmCHps takes up to 3276 half-points, a character at most 255 points:
// a size beyond lands on 255, from a run or from its style, and the document
// saved in the own format reads back without a repair.
TEST_F(ImportWord, SizesBeyondTheModelsRangeLandInIt) {
  struct Case {
    uint16_t halfPoints;
    bool inStyle;
    int32_t points;
  };
  const Case cases[] = {
      {0, false, 10},    {1, false, 1},     {2, false, 1},     {510, false, 255}, {511, false, 255},
      {512, false, 255}, {600, false, 255}, {3276, false, 255}, {512, true, 255},  {600, true, 255},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.halfPoints << (c.inStyle ? " in the style" : " in the run"));
    Word97 file;
    if (c.inStyle) {
      // Both paragraphs in Normal, their runs with no CHPX of their own.
      file.styles = StyleSheet({{1, 0xFFF, "Normal", {0, 0}, Sprm16(0x4A43, c.halfPoints)}});
      file.papx = FkpPage({0x800, 0x800 + 11, 0x800 + 28}, {{0, 0}, {0, 0}}, 12, true);
      file.chpx = FkpPage({0x800, 0x800 + 28}, {{}}, 0, false);
    } else {
      file.chpx = FkpPage({0x800, 0x800 + 5}, {Sprm16(0x4A43, c.halfPoints)}, 0, false);
    }
    file.Build();
    xMorvaDocument read(nullptr);
    read.Reset(false);
    MemoryFile memory(Container({{u"WordDocument", file.main}, {u"1Table", file.table}}));
    xMorvaImportWord reader;
    ASSERT_EQ(reader.ImportWordDocument(&read, &memory.Stream()), 0);
    xMorvaTextInterface* text = read.GetPart(kPartBody);
    text->SetSelection(0, 1);
    EXPECT_EQ(text->GetPropertyValue(kPropSize), c.points);
    if (c.inStyle) {
      xMorvaStyleSheet normal;
      ASSERT_TRUE(normal.Load(read, *read.GetStyleSheetStore(), 1));
      EXPECT_EQ(normal.properties.GetProperty(kPropSize), c.points);
    }
    xMorvaDocument again(nullptr);
    again.Reset(false);
    ASSERT_EQ(documentfile::Read(again, documentfile::Write(read)), 0);
    again.GetPart(kPartBody)->SetSelection(0, 1);
    EXPECT_EQ(again.GetPart(kPartBody)->GetPropertyValue(kPropSize), c.points);
  }
}

TEST_F(ImportWord, FirstSectionSetsThePageAndKeepsTheFormatsDefaults) {
  Word97 plain;
  plain.Build();
  ASSERT_EQ(Import(Container({{u"WordDocument", plain.main}, {u"1Table", plain.table}})), 0);
  // Without section properties the side margins are 1800 twips.
  EXPECT_EQ(document.Params().GetLeftMargin(), TwipsToPixels(1800));
  EXPECT_EQ(document.Params().GetRightMargin(), TwipsToPixels(1800));

  Word97 file;
  for (const Bytes& sprm :
       {Sprm16(0xB021, 720), Bytes{0x00, 0x30, 0x01} /* a 1-byte sprm skipped */,
        Sprm16(0xB020, 16838), Sprm16(0x9023, uint16_t(-1000)), Sprm16(0xB018, 500)})
    file.sepx.insert(file.sepx.end(), sprm.begin(), sprm.end());
  file.Build();
  MemoryFile memory(Container({{u"WordDocument", file.main}, {u"1Table", file.table}}));
  xMorvaImportWord reader;
  ASSERT_EQ(reader.ImportWordDocument(&document, &memory.Stream()), 0);
  const xMorvaWordSection& section = reader.GetSection();
  EXPECT_EQ(section.left, 720);
  EXPECT_EQ(section.right, 1800);
  EXPECT_EQ(section.pageHeight, 16838);
  EXPECT_EQ(section.top, 1000);
  EXPECT_EQ(document.Params().GetLeftMargin(), TwipsToPixels(720));
  EXPECT_EQ(document.Params().GetBands(false).topMargin, TwipsToPixels(1000));
}

// The first section's sprms and the DOP's mirrored margins in the page:
// the first page number, the title page, the binding on the side the file
// puts it (the inner side with mirrored margins, the first page a left-hand
// page after an even-page start; else the left, or the right with
// sprmSFRTLGutter), the margins as given whatever the header's distance
// (720 twips unless the section gives another), the header's lower edge
// a pixel inside the top margin, and the band of the footer, which has no
// text, from the footer's distance down.
TEST_F(ImportWord, FirstSectionSprmsSetTheDocumentsPages) {
  struct Row {
    const char* what;
    Bytes sepx;
    bool mirrored;
    int32_t firstPage;
    uint8_t differentFirst;
    int32_t bindingTwips;
    uint8_t alternate;
    int8_t bindingLeft;
    int32_t topTwips;
    int32_t bottomTwips;
    int32_t footerTwips = 720;  // the footer's distance, where its last line ends
  };
  const Row rows[] = {
      {"no section properties", {}, false, 1, 0, 0, 0, 1, 1440, 1440},
      // The start counts only where the section restarts its numbering.
      {"first page number, numbering not restarted", Sprm16(0x501C, 5), false, 1, 0, 0, 0, 1, 1440, 1440},
      {"first page number, numbering restarted", Cat({Sprm16(0x501C, 5), {0x11, 0x30, 1}}), false, 5, 0, 0, 0, 1,
       1440, 1440},
      {"title page", {0x0A, 0x30, 1}, false, 1, 1, 0, 0, 1, 1440, 1440},
      {"no title page", {0x0A, 0x30, 0}, false, 1, 0, 0, 0, 1, 1440, 1440},
      {"gutter", Sprm16(0xB025, 720), false, 1, 0, 720, 0, 1, 1440, 1440},
      {"gutter on the right", Cat({Sprm16(0xB025, 720), {0x2A, 0x32, 1}}), false, 1, 0, 720, 0, 0, 1440, 1440},
      {"gutter on the left", {0x2A, 0x32, 0}, false, 1, 0, 0, 0, 1, 1440, 1440},
      {"even-page start, gutter", Cat({Sprm16(0xB025, 567), {0x09, 0x30, 3}}), false, 1, 0, 567, 0, 1, 1440, 1440},
      {"odd-page start", {0x09, 0x30, 4}, false, 1, 0, 0, 0, 1, 1440, 1440},
      {"new-page start", {0x09, 0x30, 2}, false, 1, 0, 0, 0, 1, 1440, 1440},
      {"mirrored", Sprm16(0xB025, 567), true, 1, 0, 567, 1, 1, 1440, 1440},
      {"mirrored, even-page start", {0x09, 0x30, 3}, true, 1, 0, 0, 1, 0, 1440, 1440},
      {"mirrored, odd-page start", {0x09, 0x30, 4}, true, 1, 0, 0, 1, 1, 1440, 1440},
      {"top below the header", Sprm16(0x9023, 1000), false, 1, 0, 0, 0, 1, 1000, 1440},
      {"top within the header", Sprm16(0x9023, 500), false, 1, 0, 0, 0, 1, 500, 1440},
      {"top at the header", Sprm16(0x9023, 720), false, 1, 0, 0, 0, 1, 720, 1440},
      {"header distance after the top", Cat({Sprm16(0x9023, 600), Sprm16(0xB017, 500)}), false, 1, 0, 0, 0, 1, 600,
       1440},
      {"header distance above the top", Cat({Sprm16(0xB017, 900), Sprm16(0x9023, 800)}), false, 1, 0, 0, 0, 1, 800,
       1440},
      {"bottom margin", Sprm16(0x9024, 1417), false, 1, 0, 0, 0, 1, 1440, 1417},
      {"footer distance", Cat({Sprm16(0xB018, 1134), Sprm16(0x9024, 1417)}), false, 1, 0, 0, 0, 1, 1440, 1417, 1134},
      {"all four", Cat({Sprm16(0x501C, 12), {0x11, 0x30, 1}, {0x0A, 0x30, 1}, Sprm16(0xB025, 360), {0x09, 0x30, 3}}), false, 12, 1,
       360, 0, 1, 1440, 1440},
      {"all four mirrored", Cat({Sprm16(0x501C, 12), {0x11, 0x30, 1}, {0x0A, 0x30, 1}, Sprm16(0xB025, 360), {0x09, 0x30, 3}}), true,
       12, 1, 360, 1, 0, 1440, 1440},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Word97 file;
    file.sepx = row.sepx;
    file.dop.assign(500, 0);
    if (row.mirrored) file.dop[6] = 0x20;
    file.Build();
    ASSERT_EQ(Import(Container({{u"WordDocument", file.main}, {u"1Table", file.table}})), 0);
    const xMorvaDocParams& params = document.GetParams();
    EXPECT_EQ(params.GetFirstPageNumber(), row.firstPage);
    EXPECT_EQ(params.GetDifferentFirstPage(), row.differentFirst);
    EXPECT_EQ(params.GetBinding(), TwipsToPixels(row.bindingTwips));
    EXPECT_EQ(params.GetAlternateBinding(), row.alternate);
    EXPECT_EQ(params.GetBindingLeft(), row.bindingLeft);
    const xMorvaPageBands& bands = params.GetBands(false);
    EXPECT_EQ(bands.topMargin, TwipsToPixels(row.topTwips));
    // The header's lower edge a pixel above the top margin, or at it where
    // the header's distance reaches it; its upper edge no lower.
    EXPECT_EQ(bands.headerBottom, std::max(TwipsToPixels(row.topTwips) - 1, bands.headerTop));
    EXPECT_LE(bands.headerBottom, bands.topMargin);
    EXPECT_LE(bands.headerTop, bands.headerBottom);
    EXPECT_EQ(bands.bottomMargin, TwipsToPixels(row.bottomTwips));
    // No footer text: a band of no height at the footer's distance.
    EXPECT_EQ(bands.footerTop, TwipsToPixels(row.footerTwips));
    EXPECT_EQ(bands.footerBottom, bands.footerTop);
  }
}

// A Word 6 file's section without footer text: its footer's band of no
// height at the footer's distance above the page's lower edge (720 twips
// unless the section gives another), under the bottom margin.
TEST_F(ImportWord, Word6FooterStandsBetweenItsDistanceAndTheBottomMargin) {
  struct Row {
    const char* what;
    Bytes sepx;
    int32_t bottomTwips;
    int32_t distanceTwips;
  };
  const Row rows[] = {
      {"bottom margin and footer distance", {169, 0x89, 0x05, 157, 0xF4, 0x01}, 1417, 500},
      {"footer distance by default", {169, 0x89, 0x05}, 1417, 720},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Bytes main = Word6Main("Word six\r");
    const uint32_t sepxAt = uint32_t(main.size());
    main.push_back(uint8_t(row.sepx.size()));
    main.push_back(0);
    main.insert(main.end(), row.sepx.begin(), row.sepx.end());
    // The section table: two character positions and one SED.
    const uint32_t sed = uint32_t(main.size());
    Bytes plc(20, 0);
    StoreLE32(&plc[4], 9);
    StoreLE32(&plc[10], sepxAt);
    StoreLE32(&plc[16], 0xFFFFFFFFu);
    main.insert(main.end(), plc.begin(), plc.end());
    StoreLE32(&main[0x88], sed);
    StoreLE32(&main[0x8C], uint32_t(plc.size()));
    ASSERT_EQ(Import(Container({{u"WordDocument", main}})), 0);
    const xMorvaPageBands& bands = document.GetParams().GetBands(false);
    EXPECT_EQ(bands.bottomMargin, TwipsToPixels(row.bottomTwips));
    EXPECT_EQ(bands.footerTop, TwipsToPixels(row.distanceTwips));
    EXPECT_EQ(bands.footerBottom, bands.footerTop);
  }
}

using rtftest::SystemFonts;

// The font table of a Word 97 file: the count and cbExtra, then FFNs with
// 39 bytes of fields before the name (16-bit with `wide`). A name
// "A|B" is A with the alternate name B behind it (ixchSzAlt).
Bytes FontTable(const std::vector<std::string>& names, bool wide) {
  Bytes out = {uint8_t(names.size()), 0, 0, 0};
  if (wide) out = {0xFF, 0xFF, uint8_t(names.size()), 0, 0, 0};
  for (const std::string& name : names) {
    Bytes ffn(39, 0);
    if (const size_t bar = name.find('|'); bar != std::string::npos) ffn[4] = uint8_t(bar + 1);
    for (char c : name) {
      ffn.push_back(uint8_t(c == '|' ? 0 : c));
      if (wide) ffn.push_back(0);
    }
    ffn.push_back(0);
    if (wide) ffn.push_back(0);
    out.push_back(uint8_t(ffn.size()));
    out.insert(out.end(), ffn.begin(), ffn.end());
  }
  return out;
}

// The second font is not installed: its alternate name is taken. The
// first is, and keeps its own.
TEST_F(ImportWord, CharacterRunsFromTheFkpThroughThePieces) {
  SystemFonts installed;
  for (bool wide : {false, true}) {
    SCOPED_TRACE(wide ? "16-bit" : "8-bit");
    Word97 file;
    file.wide = wide;
    const uint32_t w = wide ? 2 : 1;
    file.fonts = FontTable({"Arial|Times New Roman", "NoSuchFontQv|Courier New"}, wide);
    file.chpx =
        FkpPage({0x800, 0x800 + 5 * w, 0x800 + 11 * w, 0x800 + 28 * w},
                {Cat({{0x35, 0x08, 1}, {0x36, 0x08, 1}, Sprm16(0x4A43, 28), {0x42, 0x2A, 6}}),
                 {},
                 Cat({{0x3E, 0x2A, 3},
                      Sprm16(0x4A4F, 1),
                      {0x35, 0x08, 0x81},
                      {0x48, 0x2A, 1},
                      {0x3C, 0x08, 1}})},
                0, false);
    file.Build();
    if (wide) StoreLE16(&file.main[10], 0x1200);  // fExtChar: 16-bit font names
    xMorvaImportWord reader;
    std::u16string body;
    ASSERT_EQ(ReadBuilt(reader, file, body), 0);
    EXPECT_EQ(reader.GetFontNames(), (std::vector<std::u16string>{u"Arial", u"Courier New"}));
    const auto& runs = reader.GetCharacterRuns();
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].first, 0u);
    EXPECT_EQ(runs[0].limit, 5u);
    EXPECT_EQ(runs[0].chp.bold, 1);
    EXPECT_EQ(runs[0].chp.italic, 1);
    EXPECT_EQ(runs[0].chp.halfPoints, 28);
    EXPECT_EQ(runs[0].chp.color, 0x0000FF);
    EXPECT_EQ(runs[1].first, 5u);
    EXPECT_EQ(runs[1].chp, xMorvaWordChp());
    EXPECT_EQ(runs[2].first, 11u);
    EXPECT_EQ(runs[2].limit, 28u);
    EXPECT_EQ(runs[2].chp.underline, 3);
    EXPECT_EQ(runs[2].chp.font, 1);
    EXPECT_EQ(runs[2].chp.bold, 1);  // 0x81 turns the plain default over
    EXPECT_EQ(runs[2].chp.iss, 1);
    EXPECT_EQ(runs[2].chp.hidden, 1);
    EXPECT_EQ(runs[2].chp.color, 0xCCCCCC);  // hidden text shows light grey
  }
}

// The character runs a reader makes of the text "ab中éあc" in the fonts
// Arial, MS Mincho and Courier New, its runs ending at the given
// characters with the given property groups.
std::vector<xMorvaWordCharacterRun> ScriptFontRuns(const std::vector<uint32_t>& ends,
                                                   const std::vector<Bytes>& sprms) {
  Word97 file;
  file.wide = true;
  file.text = u"ab\u4E2D\u00E9\u3042c\r";
  file.fonts = FontTable({"Arial", "MS Mincho", "Courier New"}, true);
  std::vector<uint32_t> fcs{0x800};
  for (uint32_t end : ends) fcs.push_back(0x800 + 2 * end);
  file.chpx = FkpPage(fcs, sprms, 0, false);
  file.Build();
  StoreLE16(&file.main[10], 0x1200);  // fExtChar: 16-bit font names
  MemoryFile memory(Container({{u"WordDocument", file.main}, {u"1Table", file.table}}));
  xMorvaImportWord reader;
  std::u16string body;
  EXPECT_EQ(reader.ReadWordText(memory.Stream(), body), 0);
  return reader.GetCharacterRuns();
}

// The East Asian characters take the font of sprmCRgFtc1, the other
// characters past ASCII that of sprmCRgFtc2, ASCII the run's own: a run is
// cut where its characters change class.
TEST_F(ImportWord, ScriptFontsSetTheirCharactersFont) {
  struct Piece {
    uint32_t first, limit;
    int16_t font;
    bool operator==(const Piece&) const = default;
  };
  struct Row {
    const char* what;
    Bytes sprms;
    std::vector<Piece> pieces;
  };
  const Row rows[] = {
      {"all three", Cat({Sprm16(0x4A4F, 0), Sprm16(0x4A50, 1), Sprm16(0x4A51, 2)}),
       {{0, 2, 0}, {2, 3, 1}, {3, 4, 2}, {4, 5, 1}, {5, 7, 0}}},
      {"East Asian alone", Cat({Sprm16(0x4A4F, 0), Sprm16(0x4A50, 1)}),
       {{0, 2, 0}, {2, 3, 1}, {3, 4, 0}, {4, 5, 1}, {5, 7, 0}}},
      {"other as the run's", Cat({Sprm16(0x4A4F, 2), Sprm16(0x4A51, 2)}), {{0, 7, 2}}},
      {"a font the table lacks", Cat({Sprm16(0x4A4F, 0), Sprm16(0x4A50, 9)}), {{0, 7, 0}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::vector<Piece> pieces;
    for (const xMorvaWordCharacterRun& run : ScriptFontRuns({7}, {row.sprms}))
      pieces.push_back({run.first, run.limit, run.chp.font});
    EXPECT_EQ(pieces, row.pieces);
  }
}

// Several runs in a row, some cut by their characters' classes and some
// not: each keeps its place, its pieces in order, and the runs after it
// move along (the runs are cut where they stand, from the end).
TEST_F(ImportWord, ScriptFontsCutRunsAmongOthers) {
  struct Piece {
    uint32_t first, limit;
    int16_t font;
    bool bold;
    bool operator==(const Piece&) const = default;
  };
  const Bytes all = Cat({Sprm16(0x4A4F, 0), Sprm16(0x4A50, 1), Sprm16(0x4A51, 2)});
  const Bytes boldAll = Cat({all, Bytes{0x35, 0x08, 1}});
  const Bytes plain = {0x35, 0x08, 1};  // bold, no font of its own (-1)
  struct Row {
    const char* what;
    std::vector<uint32_t> ends;  // of the runs, in characters
    std::vector<Bytes> sprms;
    std::vector<Piece> pieces;
  };
  const Row rows[] = {
      {"cut, whole, cut", {2, 4, 7}, {all, plain, boldAll},
       {{0, 2, 0, false}, {2, 4, -1, true}, {4, 5, 1, true}, {5, 7, 0, true}}},
      {"whole, cut, cut", {1, 3, 7}, {plain, all, boldAll},
       {{0, 1, -1, true}, {1, 2, 0, false}, {2, 3, 1, false}, {3, 4, 2, true}, {4, 5, 1, true}, {5, 7, 0, true}}},
      {"every run cut", {3, 5, 7}, {all, boldAll, all},
       {{0, 2, 0, false}, {2, 3, 1, false}, {3, 4, 2, true}, {4, 5, 1, true}, {5, 7, 0, false}}},
      {"none cut", {2, 7}, {plain, Bytes{}}, {{0, 2, -1, true}, {2, 7, -1, false}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::vector<Piece> pieces;
    for (const xMorvaWordCharacterRun& run : ScriptFontRuns(row.ends, row.sprms))
      pieces.push_back({run.first, run.limit, run.chp.font, run.chp.bold != 0});
    EXPECT_EQ(pieces, row.pieces);
  }
}

TEST_F(ImportWord, CharacterSprmsOfBothForms) {
  struct Row {
    const char* what;
    bool word97;
    Bytes grpprl;
    std::function<void(xMorvaWordChp&)> expect;
  };
  const std::vector<Row> rows = {
      {"0x80 keeps bold",
       true,
       {0x35, 0x08, 1, 0x35, 0x08, 0x80},
       [](xMorvaWordChp& c) { c.bold = 1; }},
      {"0x81 on bold is plain", true, {0x35, 0x08, 1, 0x35, 0x08, 0x81}, [](xMorvaWordChp&) {}},
      {"size step up two", true, {0x44, 0x2A, 2}, [](xMorvaWordChp& c) { c.halfPoints = 24; }},
      {"size step past the list",
       true,
       {0x44, 0x2A, 40},
       [](xMorvaWordChp& c) { c.halfPoints = 144; }},
      {"increment clamped high", true, Bytes{0x4A, 0xCA, 2, 0xFF, 0x7F},
       [](xMorvaWordChp& c) { c.halfPoints = 508; }},
      {"increment clamped low", true, Bytes{0x4A, 0xCA, 2, 0x00, 0x80},
       [](xMorvaWordChp& c) { c.halfPoints = 8; }},
      {"size times 150%", true, Sprm16(0x4A4D, 150), [](xMorvaWordChp& c) { c.halfPoints = 30; }},
      {"small caps then caps",
       true,
       {0x3A, 0x08, 1, 0x3B, 0x08, 1},
       [](xMorvaWordChp& c) { c.caps = 1; }},
      {"kul 7 is single", true, {0x3E, 0x2A, 7}, [](xMorvaWordChp& c) { c.underline = 1; }},
      {"iss 5 is normal", true, {0x48, 0x2A, 5}, [](xMorvaWordChp& c) { c.iss = 0; }},
      {"highlight", true, {0x0C, 0x2A, 7}, [](xMorvaWordChp& c) { c.background = 0x00E6FF; }},
      {"highlight 0 is none", true, {0x0C, 0x2A, 7, 0x0C, 0x2A, 0}, [](xMorvaWordChp&) {}},
      // The exact colour (red, green, blue, automatic) over the palette's.
      {"exact colour over the palette's",
       true,
       {0x42, 0x2A, 6, 0x70, 0x68, 0xC0, 0x00, 0x00, 0x00},
       [](xMorvaWordChp& c) { c.color = 0x0000C0; }},
      {"palette colour over the exact one",
       true,
       {0x70, 0x68, 0x12, 0x34, 0x56, 0x00, 0x42, 0x2A, 2},
       [](xMorvaWordChp& c) { c.color = 0xFF9933; }},
      {"exact colour blue-green", true, {0x70, 0x68, 0x12, 0x34, 0x56, 0x00},
       [](xMorvaWordChp& c) { c.color = 0x563412; }},
      {"automatic colour is none", true, {0x42, 0x2A, 6, 0x70, 0x68, 0, 0, 0, 0xFF},
       [](xMorvaWordChp& c) { c.color = -1; }},
      {"unknown 97 sprms skipped by size",
       true,
       {0x99, 0x99, 1, 2, 0x00, 0xD2, 2, 9, 9, 0x35, 0x08, 1},
       [](xMorvaWordChp& c) { c.bold = 1; }},
      {"Word 6 bold, size and colour",
       false,
       {85, 1, 99, 36, 0, 98, 2},
       [](xMorvaWordChp& c) {
         c.bold = 1;
         c.halfPoints = 36;
         c.color = 0xFF9933;
       }},
      {"Word 6 opcode 1 stops", false, {86, 1, 1, 85, 1}, [](xMorvaWordChp& c) { c.italic = 1; }},
      {"Word 6 skips by its sizes",
       false,
       {70, 1, 2, 3, 4, 68, 2, 7, 7, 87, 1},
       [](xMorvaWordChp& c) { c.strike = 1; }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Word97 file;
    file.chpx = FkpPage({0x800, 0x800 + 28}, {row.grpprl}, 0, false);
    file.Build();
    Bytes main = file.main;
    std::vector<NamedBytes> streams = {{u"WordDocument", file.main}, {u"1Table", file.table}};
    if (!row.word97) {
      // The same page in a Word 6 file: the bin table in the one stream.
      main = Word6Main(std::string(28, 'a'));
      const size_t bin = main.size();
      for (uint32_t v : {0x300u, 0x300u + 28}) {
        main.resize(main.size() + 4);
        StoreLE32(&main[main.size() - 4], v);
      }
      main.resize((main.size() + 2 + 511) / 512 * 512);
      StoreLE16(&main[bin + 8], uint16_t(main.size() / 512));
      StoreLE32(&main[0xB8], uint32_t(bin));
      StoreLE32(&main[0xBC], 10);
      Bytes page = FkpPage({0x300, 0x300 + 28}, {row.grpprl}, 0, false);
      main.insert(main.end(), page.begin(), page.end());
      streams = {{u"WordDocument", main}};
    }
    xMorvaImportWord reader;
    MemoryFile memory(Container(streams));
    std::u16string body;
    ASSERT_EQ(reader.ReadWordText(memory.Stream(), body), 0);
    ASSERT_EQ(reader.GetCharacterRuns().size(), 1u);
    xMorvaWordChp expected;
    row.expect(expected);
    EXPECT_EQ(reader.GetCharacterRuns()[0].chp, expected);
  }
}

TEST_F(ImportWord, ParagraphRunsWithTabsBordersAndShading) {
  Word97 file;
  file.papx = FkpPage({0x800, 0x800 + 11, 0x800 + 28},
                      {Cat({{0, 0},
                            {0x03, 0x24, 1},
                            Sprm16(0x840F, 720),
                            Sprm16(0x8411, uint16_t(-360)),
                            {0x0D, 0xC6, 8, 0, 2, 0x40, 0x01, 0x20, 0x03, 0x09, 0x00}}),
                       Cat({{3, 0},
                            Sprm16(0xA413, 240),
                            Sprm16(0x442D, 0x0406),
                            {0x24, 0x64, 4, 1, 0, 0},
                            {0x24, 0x64, 4, 3, 0, 0},
                            {0x16, 0x24, 1}})},
                      12, true);
  file.Build();
  xMorvaImportWord reader;
  std::u16string body;
  ASSERT_EQ(ReadBuilt(reader, file, body), 0);
  const auto& runs = reader.GetParagraphRuns();
  ASSERT_EQ(runs.size(), 2u);
  const xMorvaWordPap& a = runs[0].pap;
  EXPECT_EQ(runs[0].limit, 11u);
  EXPECT_EQ(a.jc, 1);
  EXPECT_EQ(a.left, 720);
  EXPECT_EQ(a.firstLine, -360);
  ASSERT_EQ(a.tabs.size(), 2u);
  EXPECT_EQ(a.tabs[0], (xMorvaWordTab{320, 2, u'.'}));  // centre, dotted leader
  EXPECT_EQ(a.tabs[1], (xMorvaWordTab{800, 1, 0}));
  const xMorvaWordPap& b = runs[1].pap;
  EXPECT_EQ(b.istd, 3);
  EXPECT_EQ(b.before, 240);
  EXPECT_EQ(b.shading, 0x0000FF);  // solid takes the foreground ico 6
  EXPECT_EQ(b.borderSides, 4);     // the top
  EXPECT_EQ(b.borderStyle, 6);     // single, then double
  EXPECT_TRUE(b.inTable);
}

// Border sprms of every form: Word 97's and Word 6's border words with their
// colour and spacing, Word 6's older sprms of Word 2's border words, of the
// line kind and of the sides. A single line of no width is no border.
TEST_F(ImportWord, ParagraphBorderSprmsOfEveryForm) {
  struct Row {
    const char* what;
    bool word97;
    Bytes sprm;
    uint8_t sides;
    int8_t style;
    bool styleGiven;
    int32_t colour;
    int32_t spacing;
  };
  const Row rows[] = {
      {"97 top single 4, blue, 2 pt", true, {0x24, 0x64, 4, 1, 6, 2}, 4, 0, false, 0x0000FF, 2},
      {"97 bottom single 4", true, {0x26, 0x64, 4, 1, 0, 0}, 8, 1, false, -1, 0},
      {"97 single of no width", true, {0x26, 0x64, 0, 1, 0, 0}, 0, 0, false, -1, -1},
      {"6 top single 1, blue, 4 pt", false, {38, 0x89, 0x21}, 4, 0, false, 0x0000FF, 4},
      {"6 single of no width", false, {38, 0x08, 0x00}, 0, 0, false, -1, -1},
      {"6 thick 3 on the right", false, {41, 0x13, 0x00}, 2, 2, false, -1, 0},
      {"2 top one line 2, 3 pt", false, {30, 0x80, 0x06}, 4, 1, false, -1, 3},
      {"2 left one line 6", false, {31, 0x80, 0x01}, 1, 4, false, -1, 0},
      {"2 bottom thin then thick", false, {32, 0x43, 0x00}, 8, 7, false, -1, 0},
      {"2 right thick then thin", false, {33, 0xC1, 0x00}, 2, 9, false, -1, 0},
      {"2 bar one line 1", false, {35, 0x40, 0x00}, 1, 0, false, -1, 0},
      {"2 no line", false, {30, 0x00, 0x06}, 0, 0, false, -1, -1},
      {"6 line kind double", false, {10, 2}, 0, 6, true, -1, -1},
      {"6 line kind thick", false, {10, 1}, 0, 1, true, -1, -1},
      {"6 line kind shadow", false, {10, 3}, 0, 0, true, -1, -1},
      {"6 sides top", false, {11, 1}, 4, 0, false, -1, -1},
      {"6 sides bottom", false, {11, 2}, 8, 0, false, -1, -1},
      {"6 sides box", false, {11, 15}, 15, 0, false, -1, -1},
      {"6 sides left bar", false, {11, 16}, 1, 0, false, -1, 0},
  };
  xMorvaImportWord word6;
  xMorvaImportWord word97;
  Word97 plain;
  plain.Build();
  std::u16string body;
  ASSERT_EQ(ReadBuilt(word97, plain, body), 0);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ByteSpanReader in(row.sprm.data(), row.sprm.size(), ByteSpanReader::Order::kLittle);
    xMorvaWordPap pap;
    EXPECT_EQ((row.word97 ? word97 : word6).ApplyParagraphSprm(in, pap), 0);
    EXPECT_EQ(in.Remaining(), 0u);
    EXPECT_EQ(pap.borderSides, row.sides);
    EXPECT_EQ(pap.borderStyle, row.style);
    EXPECT_EQ(pap.borderStyleGiven, row.styleGiven);
    EXPECT_EQ(pap.borderColor, row.colour);
    EXPECT_EQ(pap.borderSpacing, row.spacing);
  }
}

// The indents and the alignment come in Word 97's opcodes and in the
// logical ones later writers use (LibreOffice writes only those); whichever
// comes last sets the value.
TEST_F(ImportWord, IndentsAndAlignmentInBothOpcodeForms) {
  struct Row {
    const char* what;
    Bytes sprms;
    int32_t left, right, firstLine;
    int8_t jc;
  };
  const std::vector<Row> rows = {
      {"Word 97 opcodes", Cat({Sprm16(0x840F, 1440), Sprm16(0x840E, 720), Sprm16(0x8411, uint16_t(-360)), {0x03, 0x24, 2}}),
       1440, 720, -360, 2},
      {"logical opcodes", Cat({Sprm16(0x845E, 1440), Sprm16(0x845D, 720), Sprm16(0x8460, uint16_t(-360)), {0x61, 0x24, 1}}),
       1440, 720, -360, 1},
      {"logical after Word 97", Cat({Sprm16(0x840F, 100), Sprm16(0x845E, 200), Sprm16(0x8411, 50), Sprm16(0x8460, 60)}),
       200, 0, 60, 0},
      {"Word 97 after logical", Cat({Sprm16(0x845E, 200), Sprm16(0x840F, 100), {0x61, 0x24, 3}, {0x03, 0x24, 1}}),
       100, 0, 0, 1},
      {"nesting adds to the left indent", Cat({Sprm16(0x845E, 200), Sprm16(0x4610, 300), Sprm16(0x465F, uint16_t(-900))}),
       0, 0, 0, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Word97 file;
    // Padded to an odd length, so that the PAPX is stored with its count.
    Bytes papx = Cat({{0, 0}, row.sprms});
    if (papx.size() % 2 == 0) papx.push_back(0);
    file.papx = FkpPage({0x800, 0x800 + 28}, {papx}, 12, true);
    file.Build();
    xMorvaImportWord reader;
    std::u16string body;
    ASSERT_EQ(ReadBuilt(reader, file, body), 0);
    ASSERT_EQ(reader.GetParagraphRuns().size(), 1u);
    const xMorvaWordPap& pap = reader.GetParagraphRuns()[0].pap;
    EXPECT_EQ(pap.left, row.left);
    EXPECT_EQ(pap.right, row.right);
    EXPECT_EQ(pap.firstLine, row.firstLine);
    EXPECT_EQ(pap.jc, row.jc);
  }
}

// A character run over several paragraphs starts, in each, from that
// paragraph's own style: the heading's look stays in the heading.
TEST_F(ImportWord, ARunOverParagraphsTakesEachParagraphsStyle) {
  Word97 file;
  file.text = u"Heading\rBody one\rBody two\r";
  file.fonts = FontTable({"Liberation Serif", "Liberation Sans"}, false);
  file.styles = StyleSheet({{1, 0xFFF, "Normal", {0, 0}, Cat({Sprm16(0x4A4F, 0), Sprm16(0x4A43, 24)})},
                            {1, 0, "heading 1", {1, 0}, Cat({Sprm16(0x4A4F, 1), Sprm16(0x4A43, 36), {0x35, 0x08, 1}})}},
                           0);
  file.papx = FkpPage({0x800, 0x800 + 8, 0x800 + 17, 0x800 + 26}, {{1, 0, 0}, {0, 0, 0}, {0, 0, 0}}, 12, true);
  // One run without properties over the whole text, and one that makes
  // the second body paragraph italic.
  file.chpx = FkpPage({0x800, 0x800 + 17, 0x800 + 26}, {{}, {0x36, 0x08, 1}}, 0, false);
  file.Build();
  xMorvaImportWord reader;
  std::u16string body;
  ASSERT_EQ(ReadBuilt(reader, file, body), 0);
  const auto& runs = reader.GetCharacterRuns();
  auto at = [&](uint32_t cp) {
    auto run = std::find_if(runs.begin(), runs.end(), [&](const auto& r) { return cp >= r.first && cp < r.limit; });
    EXPECT_NE(run, runs.end());
    return run == runs.end() ? xMorvaWordChp() : run->chp;
  };
  EXPECT_EQ(at(0).bold, 1);
  EXPECT_EQ(at(0).halfPoints, 36);
  EXPECT_EQ(at(0).font, 1);
  for (uint32_t cp : {8u, 12u, 16u}) {
    SCOPED_TRACE(cp);
    EXPECT_EQ(at(cp).bold, 0);
    EXPECT_EQ(at(cp).halfPoints, 24);
    EXPECT_EQ(at(cp).font, 0);
  }
  EXPECT_EQ(at(18).italic, 1);
  EXPECT_EQ(at(18).halfPoints, 24);
  EXPECT_EQ(at(18).bold, 0);

  // In the document: the body paragraphs in their own size and weight.
  ASSERT_EQ(Import(Container({{u"WordDocument", file.main}, {u"1Table", file.table}})), 0);
  xMorvaTextInterface* text = document.GetPart(kPartBody);
  ASSERT_NE(text, nullptr);
  text->SetSelection(0, 1);
  EXPECT_EQ(text->GetPropertyValue(kPropBold), 1);
  EXPECT_EQ(text->GetPropertyValue(kPropSize), 18);
  text->SetSelection(9, 10);
  EXPECT_EQ(text->GetPropertyValue(kPropBold), 0);
  EXPECT_EQ(text->GetPropertyValue(kPropSize), 12);
}

// Characters 12 and 14 of the main text are page and column breaks, and a
// paragraph that starts a page makes the end before it a page break; a
// line break ends its paragraph.
TEST_F(ImportWord, PageAndColumnBreaksStayBreaks) {
  Word97 file;
  file.text = u"One\x0cTwo\x0eThree\rFour\x0b" u"Five\rSix\r";
  file.papx = FkpPage({0x800, 0x800 + 14, 0x800 + 24, 0x800 + 28},
                      {{0, 0, 0}, {0, 0, 0x07, 0x24, 1}, {0, 0, 0}}, 12, true);
  file.Build();
  xMorvaImportWord reader;
  const Bytes bytes = Container({{u"WordDocument", file.main}, {u"1Table", file.table}});
  MemoryFile memory(bytes);
  std::u16string body;
  ASSERT_EQ(reader.ReadWordText(memory.Stream(), body), 0);
  EXPECT_EQ(body, u"One\rTwo\rThree\rFour\rFive\rSix");
  EXPECT_EQ(reader.GetBodyBreaks(), (std::vector<xMorvaWordBreak>{{3, true}, {7, false}, {13, true}}));

  ASSERT_EQ(Import(bytes), 0);
  std::vector<uint16_t> codes;
  xMorvaEngine& engine = rtftest::Engine(document, kPartBody);
  const uint8_t* stream = engine.LockStream();
  for (uint32_t at = 0, size = engine.GetStreamSize(); at < size;) {
    const StreamItem item = ReadStreamItem(stream + at, size - at);
    if (item.kind == StreamItem::kElement) codes.push_back(item.unit);
    at += item.size;
  }
  engine.UnlockStream();
  EXPECT_EQ(codes, (std::vector<uint16_t>{xMorvaElementCode::PageBreak, xMorvaElementCode::ColBreak,
                                          xMorvaElementCode::PageBreak}));
  EXPECT_EQ(Utf8(BodyText()), "One\nTwo\nThree\nFour\nFive\nSix");
}

// A PAPX of whole words whose sprms leave one byte over (as LibreOffice
// writes them) is read up to that padding.
TEST_F(ImportWord, ParagraphPaddingByteIsNoSprm) {
  Word97 file;
  file.papx = FkpPage({0x800, 0x800 + 11, 0x800 + 28},
                      {Cat({{0, 0}, {0x03, 0x24, 1}, {0}}), Cat({{0, 0}, {0x03, 0x24, 2}, {0}})}, 12, true);
  file.Build();
  xMorvaImportWord reader;
  std::u16string body;
  ASSERT_EQ(ReadBuilt(reader, file, body), 0);
  const auto& runs = reader.GetParagraphRuns();
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].pap.jc, 1);
  EXPECT_EQ(runs[1].pap.jc, 2);
}

// The first paragraph's borders and tab stop reach the body; the second
// paragraph has neither.
TEST_F(ImportWord, ParagraphBordersAndTabsSetTheBody) {
  Word97 file;
  file.papx = FkpPage({0x800, 0x800 + 11, 0x800 + 28},
                      {Cat({{0, 0},
                            {0x26, 0x64, 4, 1, 0, 0},
                            {0x24, 0x64, 4, 3, 6, 3},  // blue, 3 points from the text
                            {0x0D, 0xC6, 5, 0, 1, 0xA0, 0x05, 0x02}}),
                       Bytes{}},
                      12, true);
  file.Build();
  ASSERT_EQ(Import(Container({{u"WordDocument", file.main}, {u"1Table", file.table}})), 0);
  xMorvaTextInterface* text = document.GetPart(kPartBody);
  ASSERT_NE(text, nullptr);
  auto at = [&](int32_t where, uint16_t id) {
    text->SetSelection(where, where + 1);
    return text->GetPropertyValue(id);
  };
  EXPECT_EQ(at(0, kPropTopBorder), 1);
  EXPECT_EQ(at(0, kPropBottomBorder), 1);
  EXPECT_EQ(at(0, kPropLeftBorder), 0);
  EXPECT_EQ(at(0, kPropBorderStyle), 6);  // the last side's double line
  EXPECT_EQ(at(0, kPropBorderColour), 0x0000FF);
  EXPECT_EQ(at(0, kPropBorderSpacing), PointsToPixels(3));
  EXPECT_EQ(at(12, kPropTopBorder), 0);
  EXPECT_EQ(at(12, kPropBottomBorder), 0);
  const auto positions = rtftest::Positions(document, kPartBody);
  ASSERT_GT(positions.size(), 12u);
  ASSERT_EQ(positions[0].tabs.size(), 1u);
  EXPECT_EQ(TabStopPosition(positions[0].tabs[0]), TwipsToPixels(1440));
  EXPECT_EQ(TabStopKind(positions[0].tabs[0]), kTabRight);
  EXPECT_TRUE(positions[12].tabs.empty());
}

// Space after the first paragraph and before the second opens the gap
// between them: the first paragraph's interline grows by that space in
// tenths of its end's line height, over its own 1.5 lines. The first
// paragraph's space before and the last one's space after have no gap.
TEST_F(ImportWord, SpaceBeforeAndAfterWidenTheInterlineOfTheParagraphAbove) {
  Word97 file;
  file.text = u"Hello Word\rSecond paragraph\rThird\r";
  file.papx = FkpPage({0x800, 0x800 + 11, 0x800 + 28, 0x800 + 34},
                      {Cat({{0, 0}, Sprm16(0xA413, 900), Sprm16(0xA414, 120),
                            {0x12, 0x64, 0x68, 0x01, 1, 0}}),
                       Cat({{0, 0}, Sprm16(0xA413, 240)}),
                       Cat({{0, 0}, Sprm16(0xA414, 600)})},
                      12, true);
  file.Build();
  const Bytes doc = Container({{u"WordDocument", file.main}, {u"1Table", file.table}});
  xMorvaImportWord reader;
  MemoryFile memory(doc);
  ASSERT_EQ(reader.ImportWordDocument(&document, &memory.Stream()), 0);
  EXPECT_EQ(reader.GetSpacing(), (std::vector<xMorvaWordSpacing>{{10, 120 + 240}}));
  xMorvaTextInterface* text = document.GetPart(kPartBody);
  ASSERT_NE(text, nullptr);
  text->SetSelection(10, 11);
  xMorvaFont font(document.GetMeasuringPort(), &document);
  font.ApplyProperty(kPropFont, text->GetPropertyValue(kPropFont), false);
  font.ApplyProperty(kPropSize, text->GetPropertyValue(kPropSize), false);
  const int32_t height = font.GetAscent() + font.GetDescent();
  ASSERT_GT(height, 0);
  text->SetSelection(2, 2);
  EXPECT_EQ(text->GetPropertyValue(kPropInterline),
            15 + 360 * 10 * GetScreenResolution() / (1440 * height));
  EXPECT_GT(text->GetPropertyValue(kPropInterline), 15);
  text->SetSelection(14, 14);
  EXPECT_EQ(text->GetPropertyValue(kPropInterline), 10);
  text->SetSelection(30, 30);
  EXPECT_EQ(text->GetPropertyValue(kPropInterline), 10);

  // Larger type at the paragraph's end takes fewer tenths for the same space.
  Word97 large = file;
  large.chpx = FkpPage({0x800, 0x800 + 11, 0x800 + 34}, {Sprm16(0x4A43, 72), {}}, 0, false);
  large.Build();
  ASSERT_EQ(Import(Container({{u"WordDocument", large.main}, {u"1Table", large.table}})), 0);
  text = document.GetPart(kPartBody);
  text->SetSelection(2, 2);
  const int32_t widened = text->GetPropertyValue(kPropInterline);
  EXPECT_GT(widened, 15);
  EXPECT_LT(widened, 15 + 360 * 10 * GetScreenResolution() / (1440 * height));
}

// The space after a paragraph of many lines is shared among its lines:
// its interline widens less than a one-line paragraph's for the same space.
TEST_F(ImportWord, SpaceAfterIsSharedAmongTheParagraphsLines) {
  std::u16string text = u"Short\r";
  for (int i = 0; i < 150; ++i) text += u"word ";
  text += u"\rLast\r";
  const uint32_t longEnd = uint32_t(text.size()) - 5;
  Word97 file;
  file.text = text;
  file.papx = FkpPage({0x800, 0x800 + 6, 0x800 + longEnd, 0x800 + uint32_t(text.size())},
                      {Cat({{0, 0}, Sprm16(0xA414, 480), {0}}), Cat({{0, 0}, Sprm16(0xA414, 480), {0}}),
                       {0, 0, 0}},
                      12, true);
  file.Build();
  ASSERT_EQ(Import(Container({{u"WordDocument", file.main}, {u"1Table", file.table}})), 0);
  xMorvaTextInterface* body = document.GetPart(kPartBody);
  ASSERT_NE(body, nullptr);
  body->SetSelection(0, 1);
  xMorvaFont font(document.GetMeasuringPort(), &document);
  font.ApplyProperty(kPropFont, body->GetPropertyValue(kPropFont), false);
  font.ApplyProperty(kPropSize, body->GetPropertyValue(kPropSize), false);
  const int32_t height = font.GetAscent() + font.GetDescent();
  ASSERT_GT(height, 0);
  const int32_t oneLine = body->GetPropertyValue(kPropInterline);
  EXPECT_EQ(oneLine, 10 + 480 * 10 * GetScreenResolution() / (1440 * height));
  body->SetSelection(10, 10);
  const int32_t manyLines = body->GetPropertyValue(kPropInterline);
  EXPECT_LT(manyLines, oneLine);
  EXPECT_GE(manyLines, 10);
}

// A row of two cells "A" and "B", then a paragraph: the row is one line
// with a tab between its cells and a stop for the second cell, indented to
// the first boundary and ending at the last.
TEST_F(ImportWord, TableRowsBecomeTabbedLines) {
  Word97 file;
  file.text = u"A\u0007B\u0007\u0007After\r";
  Bytes define = {0x08, 0xD6, 0, 0, 2};
  for (int16_t bound : {360, 2160, 4320}) define.insert(define.end(), {uint8_t(bound), uint8_t(bound >> 8)});
  define.resize(define.size() + 2 * 20, 0);  // the cells' borders, none
  StoreLE16(&define[2], uint16_t(define.size() - 4 + 1));
  file.papx = FkpPage({0x800, 0x802, 0x804, 0x805, 0x80B},
                      {Cat({{0, 0}, {0x16, 0x24, 1}}),
                       Cat({{0, 0}, {0x16, 0x24, 1}}),
                       Cat({{0, 0}, {0x16, 0x24, 1}, {0x17, 0x24, 1}, Sprm16(0x9602, 108), define}),
                       Bytes{}},
                      12, true);
  file.Build();
  const Bytes doc = Container({{u"WordDocument", file.main}, {u"1Table", file.table}});
  xMorvaImportWord reader;
  MemoryFile memory(doc);
  std::u16string body;
  ASSERT_EQ(reader.ReadWordText(memory.Stream(), body), 0);
  EXPECT_EQ(Utf8(body), "A\tB\nAfter");
  const auto& runs = reader.GetParagraphRuns();
  ASSERT_EQ(runs.size(), 4u);
  const xMorvaWordPap& row = runs[2].pap;
  EXPECT_TRUE(row.rowEnd);
  ASSERT_EQ(row.tabs.size(), 1u);
  EXPECT_EQ(row.tabs[0], (xMorvaWordTab{2160 + 108, 1, 0}));
  EXPECT_EQ(row.left, 360);
  EXPECT_EQ(row.right, 12240 - 1800 - 1800 - 4320);
  EXPECT_FALSE(runs[0].pap.rowEnd);
  EXPECT_TRUE(runs[0].pap.tabs.empty());

  ASSERT_EQ(Import(doc), 0);
  EXPECT_EQ(Utf8(BodyText()), "A\tB\nAfter");
  xMorvaTextInterface* text = document.GetPart(kPartBody);
  ASSERT_NE(text, nullptr);
  const auto positions = rtftest::Positions(document, kPartBody);
  ASSERT_EQ(positions.size(), 9u);
  ASSERT_EQ(positions[1].tabs.size(), 1u);  // the tab between the cells
  EXPECT_EQ(TabStopPosition(positions[1].tabs[0]), TwipsToPixels(2160 + 108));
  EXPECT_EQ(TabStopKind(positions[1].tabs[0]), kTabLeft);
  EXPECT_TRUE(positions[5].tabs.empty());  // "After" has no stop
  text->SetSelection(1, 2);
  EXPECT_EQ(text->GetPropertyValue(kPropLeftIndent), TwipsToPixels(360));
  text->SetSelection(5, 6);
  EXPECT_EQ(text->GetPropertyValue(kPropLeftIndent), 0);
}

// A row definition of three cells of 2000 twips from the margin, each TC
// with the given flags and Word 97 borders (width, type) top, left,
// bottom, right.
Bytes RowDefinition(const std::vector<uint16_t>& flags, const std::vector<std::array<uint8_t, 4>>& types) {
  Bytes define = {0x08, 0xD6, 0, 0, uint8_t(flags.size())};
  for (size_t i = 0; i <= flags.size(); ++i) {
    const uint16_t bound = uint16_t(2000 * i);
    define.insert(define.end(), {uint8_t(bound), uint8_t(bound >> 8)});
  }
  for (size_t cell = 0; cell < flags.size(); ++cell) {
    define.insert(define.end(), {uint8_t(flags[cell]), uint8_t(flags[cell] >> 8), 0, 0});
    for (uint8_t type : types[cell]) define.insert(define.end(), {uint8_t(type ? 4 : 0), type, 0, 0});
  }
  StoreLE16(&define[2], uint16_t(define.size() - 4 + 1));
  return define;
}

// One row "A", "B", "C" (the second cell centred, the third right-aligned)
// and a paragraph; `row` is the row end's sprms after its table marks.
Word97 TableFile(const Bytes& row) {
  Word97 file;
  file.text = u"A\u0007B\u0007C\u0007\u0007After\r";
  const Bytes inTable = {0x16, 0x24, 1};
  file.papx = FkpPage({0x800, 0x802, 0x804, 0x806, 0x807, 0x800 + 13},
                      {Cat({{0, 0}, inTable}), Cat({{0, 0}, inTable, {0x03, 0x24, 1}}),
                       Cat({{0, 0}, inTable, {0x03, 0x24, 2}}),
                       Cat({{0, 0}, inTable, {0x17, 0x24, 1}, Sprm16(0x9602, 108), row}), Bytes{}},
                      12, true);
  file.Build();
  return file;
}

TEST_F(ImportWord, TableRowsPlaceAlignShadeAndBorderTheirCells) {
  // Centred on the page, the double left border of the first cell, the
  // top of the second and the right of the third; the second cell
  // shaded blue; at least 720 twips high.
  const Word97 file =
      TableFile(Cat({{0x00, 0x54, 1, 0},
                     RowDefinition({0, 0, 0}, {{{0, 3, 0, 0}, {1, 0, 0, 0}, {0, 0, 0, 1}}}),
                     {0x09, 0xD6, 6, 0, 0, 0x06, 0x04, 0, 0},
                     Sprm16(0x9407, 720)}));
  const Bytes doc = Container({{u"WordDocument", file.main}, {u"1Table", file.table}});
  xMorvaImportWord reader;
  MemoryFile memory(doc);
  ASSERT_EQ(reader.ImportWordDocument(&document, &memory.Stream()), 0);
  EXPECT_EQ(Utf8(BodyText()), "A\tB\tC\nAfter");
  // The runs as read: the import frees the body's once they are in it.
  xMorvaImportWord runsReader;
  MemoryFile again(doc);
  std::u16string characters;
  ASSERT_EQ(runsReader.ReadWordText(again.Stream(), characters), 0);
  const auto& runs = runsReader.GetParagraphRuns();
  ASSERT_EQ(runs.size(), 5u);
  // The row's 6000 twips centred in the 8640 between the margins.
  const xMorvaWordPap& row = runs[3].pap;
  EXPECT_EQ(row.left, 1320);
  EXPECT_EQ(row.right, 1320);
  EXPECT_EQ(row.tabs, (std::vector<xMorvaWordTab>{{1320 + 3000, 2, 0}, {1320 + 6000 - 108, 3, 0}}));
  EXPECT_EQ(row.borderSides, 1 | 2 | 4);
  EXPECT_EQ(row.borderStyle, 6);
  for (const auto& cell : runs) EXPECT_EQ(cell.pap.jc, 0);
  EXPECT_EQ(reader.GetCellShading(), (std::vector<xMorvaWordShade>{{2, 3, 0x0000FF}}));
  ASSERT_EQ(reader.GetSpacing().size(), 1u);
  EXPECT_EQ(reader.GetSpacing()[0].end, 5u);
  EXPECT_EQ(reader.GetSpacing()[0].rowHeight, 720);

  xMorvaTextInterface* text = document.GetPart(kPartBody);
  ASSERT_NE(text, nullptr);
  auto at = [&](int32_t where, uint16_t id) {
    text->SetSelection(where, where + 1);
    return text->GetPropertyValue(id);
  };
  EXPECT_EQ(at(0, kPropLeftIndent), TwipsToPixels(1320));
  EXPECT_EQ(at(0, kPropAlignment), 0);
  EXPECT_EQ(at(0, kPropTopBorder), 1);
  EXPECT_EQ(at(0, kPropBottomBorder), 0);
  EXPECT_EQ(at(2, kPropBackColour), 0x0000FF);
  EXPECT_NE(at(0, kPropBackColour), 0x0000FF);
  EXPECT_GT(at(0, kPropInterline), 10);
  EXPECT_EQ(at(7, kPropInterline), 10);
  const auto positions = rtftest::Positions(document, kPartBody);
  ASSERT_GT(positions.size(), 7u);
  ASSERT_EQ(positions[0].tabs.size(), 2u);
  EXPECT_EQ(TabStopKind(positions[0].tabs[0]), kTabCentre);
  EXPECT_EQ(TabStopPosition(positions[0].tabs[1]), TwipsToPixels(1320 + 6000 - 108));
  EXPECT_TRUE(positions[7].tabs.empty());
}

// The row definition's changes: cells inserted, deleted and merged, the
// table's borders, shading set over a span of cells.
TEST_F(ImportWord, TableSprmsChangeTheRowsDefinition) {
  const Bytes plain = RowDefinition({0, 0, 0}, {{{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}});
  struct Row {
    const char* what;
    Bytes sprms;
    std::vector<int16_t> bounds;
    std::string body;
    std::function<void(const xMorvaWordPap&, const xMorvaImportWord&)> check;
  };
  const std::vector<Row> rows = {
      {"two cells of 500 inserted at 1", Cat({plain, {0x21, 0x76, 1, 2, 0xF4, 0x01}}),
       {0, 2000, 2500, 3000, 5000, 7000}, "A\tB\tC",
       [](const xMorvaWordPap& p, const xMorvaImportWord&) {
         EXPECT_EQ(p.right, 8640 - 7000);
         EXPECT_EQ(p.row.cellFlags.size(), 5u);
       }},
      {"cells inserted past the last", Cat({plain, {0x21, 0x76, 9, 1, 0xE8, 0x03}}),
       {0, 2000, 4000, 6000, 7000}, "A\tB\tC",
       [](const xMorvaWordPap& p, const xMorvaImportWord&) { EXPECT_EQ(p.right, 8640 - 7000); }},
      {"the middle cell deleted", Cat({plain, {0x22, 0x56, 1, 2}}), {0, 2000, 4000}, "A\tB\tC",
       [](const xMorvaWordPap& p, const xMorvaImportWord&) { EXPECT_EQ(p.tabs.size(), 1u); }},
      {"a deletion past the cells changes nothing", Cat({plain, {0x22, 0x56, 5, 9}}),
       {0, 2000, 4000, 6000}, "A\tB\tC", nullptr},
      {"the last two cells merged", Cat({plain, {0x24, 0x56, 1, 3}}), {0, 2000, 4000, 6000},
       "A\tBC",
       [](const xMorvaWordPap& p, const xMorvaImportWord&) {
         // One stop, for the merged cell, which spans both: centred in it.
         EXPECT_EQ(p.tabs, (std::vector<xMorvaWordTab>{{4000, 2, 0}}));
       }},
      {"merge flags of the TCs", RowDefinition({0, 1, 2}, {{{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}}),
       {0, 2000, 4000, 6000}, "A\tBC", nullptr},
      {"table borders: the inner horizontal ones are the row's top and bottom",
       Cat({plain, {0x05, 0xD6, 24}, Bytes(16, 0), {4, 1, 0, 0}, {4, 1, 0, 0}}),
       {0, 2000, 4000, 6000}, "A\tB\tC",
       [](const xMorvaWordPap& p, const xMorvaImportWord&) {
         EXPECT_EQ(p.borderSides, 4 | 8);
         EXPECT_EQ(p.borderStyle, 0);
       }},
      {"shading on every other cell", Cat({plain, {0x28, 0x76, 0, 3, 0x06, 0x04}}),
       {0, 2000, 4000, 6000}, "A\tB\tC",
       [](const xMorvaWordPap&, const xMorvaImportWord& r) {
         EXPECT_EQ(r.GetCellShading(),
                   (std::vector<xMorvaWordShade>{{0, 1, 0x0000FF}, {4, 5, 0x0000FF}}));
       }},
      {"shading 0 is none", Cat({plain, {0x27, 0x76, 0, 3, 0, 0}}), {0, 2000, 4000, 6000},
       "A\tB\tC",
       [](const xMorvaWordPap&, const xMorvaImportWord& r) { EXPECT_TRUE(r.GetCellShading().empty()); }},
      {"right-aligned row", Cat({{0x00, 0x54, 2, 0}, plain}), {0, 2000, 4000, 6000}, "A\tB\tC",
       [](const xMorvaWordPap& p, const xMorvaImportWord&) {
         EXPECT_EQ(p.left, 8640 - 6000);
         EXPECT_EQ(p.right, 0);
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const Word97 file = TableFile(row.sprms);
    xMorvaImportWord reader;
    std::u16string body;
    ASSERT_EQ(ReadBuilt(reader, file, body), 0);
    EXPECT_EQ(Utf8(body), row.body + "\nAfter");
    ASSERT_EQ(reader.GetParagraphRuns().size(), 5u);
    const xMorvaWordPap& pap = reader.GetParagraphRuns()[3].pap;
    EXPECT_EQ(pap.row.bounds, row.bounds);
    if (row.check) row.check(pap, reader);
  }
}

TEST_F(ImportWord, StylesMergeTheirBasesUnderRunsOfTheirParagraphs) {
  Word97 file;
  file.fonts = FontTable({"Times New Roman", "Arial"}, false);
  file.styles = StyleSheet({{1, 0xFFF, "Normal", {0, 0}, Sprm16(0x4A43, 24)},
                            {1, 0, "Heading", Cat({{1, 0}, {0x03, 0x24, 2}}), {0x35, 0x08, 1}},
                            {1, 1, "Sub", Cat({{2, 0}, Sprm16(0x840F, 360)}), {0x36, 0x08, 1}},
                            {2, 0xFFF, "Emphasis", {}, {0x36, 0x08, 1}}},
                           1);
  file.papx =
      FkpPage({0x800, 0x800 + 11, 0x800 + 28}, {{2, 0}, Cat({{0, 0}, {0x03, 0x24, 3}})}, 12, true);
  file.chpx = FkpPage({0x800, 0x800 + 11, 0x800 + 28}, {{}, {0x35, 0x08, 0x81}}, 0, false);
  file.Build();
  xMorvaImportWord reader;
  std::u16string body;
  ASSERT_EQ(ReadBuilt(reader, file, body), 0);
  const auto& styles = reader.GetStyles();
  ASSERT_EQ(styles.size(), 4u);
  EXPECT_EQ(styles[2].name, u"Sub");
  EXPECT_EQ(styles[3].sgc, 2);
  // Sub: its base's right alignment and bold, the Normal size, its own indent and italic.
  EXPECT_EQ(styles[2].pap.jc, 2);
  EXPECT_EQ(styles[2].pap.left, 360);
  EXPECT_EQ(styles[2].chp.bold, 1);
  EXPECT_EQ(styles[2].chp.italic, 1);
  EXPECT_EQ(styles[2].chp.halfPoints, 24);
  EXPECT_EQ(styles[2].chp.font, 1);
  EXPECT_EQ(styles[0].chp.bold, 0);
  const auto& paragraphs = reader.GetParagraphRuns();
  ASSERT_EQ(paragraphs.size(), 2u);
  EXPECT_EQ(paragraphs[0].pap.istd, 2);
  EXPECT_EQ(paragraphs[0].pap.left, 360);
  EXPECT_EQ(paragraphs[1].pap.istd, 0);
  EXPECT_EQ(paragraphs[1].pap.jc, 3);
  const auto& runs = reader.GetCharacterRuns();
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].chp, styles[2].chp);  // no CHPX: the paragraph style's
  EXPECT_EQ(runs[1].chp.bold, 1);         // 0x81 over plain Normal
  EXPECT_EQ(runs[1].chp.halfPoints, 24);

  // The styles become the document's sheets 1 to 4 under their names.
  ASSERT_EQ(Import(Container({{u"WordDocument", file.main}, {u"1Table", file.table}})), 0);
  EXPECT_EQ(document.StyleSheetIds(), (std::vector<int16_t>{1, 2, 3, 4}));
  VStr<255> name;
  document.GetStyleSheetName(3, name);
  char16_t units[32] = {};
  name.GetUniCText(units, 31);
  EXPECT_EQ(Utf8(units), "Sub");
  xMorvaTextInterface* text = document.GetPart(kPartBody);
  ASSERT_NE(text, nullptr);
  text->SetSelection(0, 1);
  EXPECT_EQ(text->GetPropertyValue(kPropStyleSheet), 3);  // the first paragraph's style
  text->SetSelection(12, 13);
  EXPECT_EQ(text->GetPropertyValue(kPropStyleSheet), 1);
  xMorvaStyleSheet sub, emphasis;
  ASSERT_TRUE(sub.Load(document, *document.GetStyleSheetStore(), 3));
  EXPECT_EQ(sub.paragraphSheet, 1);
  EXPECT_EQ(sub.properties.GetProperty(kPropBold), 1);
  EXPECT_EQ(sub.properties.GetProperty(kPropItalic), 1);
  EXPECT_EQ(sub.properties.GetProperty(kPropSize), 12);
  EXPECT_EQ(sub.properties.GetProperty(kPropAlignment), 2);
  EXPECT_EQ(sub.properties.GetProperty(kPropLeftIndent), TwipsToPixels(360));
  EXPECT_EQ(sub.states.GetState(kPropBold), 1);
  ASSERT_TRUE(emphasis.Load(document, *document.GetStyleSheetStore(), 4));
  EXPECT_EQ(emphasis.paragraphSheet, 0);
  EXPECT_EQ(emphasis.properties.GetProperty(kPropItalic), 1);
  EXPECT_EQ(emphasis.states.GetState(kPropAlignment), 0);
}

// Without a Normal style, sheet 1 is Times New Roman 12; a table style is
// not taken.
TEST_F(ImportWord, NoNormalStyleGivesADefaultSheet) {
  Word97 file;
  file.fonts = FontTable({"Arial"}, false);
  file.styles = StyleSheet({{3, 0xFFF, "Grid", {}, {}}, {2, 0xFFF, "Emphasis", {}, {0x36, 0x08, 1}}});
  // The first paragraph's characters take the character style 1 (sheet
  // 2); style 10, the default paragraph font, is none.
  file.chpx = FkpPage({0x800, 0x800 + 11, 0x800 + 28},
                      {{0x30, 0x4A, 1, 0}, {0x30, 0x4A, 10, 0}}, 0, false);
  file.Build();
  ASSERT_EQ(Import(Container({{u"WordDocument", file.main}, {u"1Table", file.table}})), 0);
  EXPECT_EQ(document.StyleSheetIds(), (std::vector<int16_t>{1, 2}));
  xMorvaTextInterface* text = document.GetPart(kPartBody);
  ASSERT_NE(text, nullptr);
  text->SetSelection(0, 1);
  EXPECT_EQ(text->GetPropertyValue(kPropStyleSheet), 2);  // the run of the character style
  text->SetSelection(12, 13);
  EXPECT_NE(text->GetPropertyValue(kPropStyleSheet), 2);
  xMorvaStyleSheet normal;
  ASSERT_TRUE(normal.Load(document, *document.GetStyleSheetStore(), 1));
  EXPECT_EQ(normal.properties.GetProperty(kPropSize), 12);
  char16_t units[64] = {};
  normal.fontName.GetUniCText(units, 63);
  EXPECT_EQ(Utf8(units), "Times New Roman");
  xMorvaStyleSheet emphasis;
  ASSERT_TRUE(emphasis.Load(document, *document.GetStyleSheetStore(), 2));
  EXPECT_EQ(emphasis.paragraphSheet, 0);
}

// A Word 6 style sheet: cbStshi and an STSHI whose istdMaxFixedWhenSaved is
// 10, then each STD: a 10-byte base with its sti, the name as a length byte
// and 8-bit characters with a terminator, the property groups padded to
// even.
Bytes Word6StyleSheet(const std::vector<std::pair<uint16_t, StyleSpec>>& styles) {
  Bytes out(20, 0);
  StoreLE16(&out[0], 18);
  StoreLE16(&out[2], uint16_t(styles.size()));
  StoreLE16(&out[4], 10);
  StoreLE16(&out[10], 10);
  for (const auto& [sti, entry] : styles) {
    Bytes std(10, 0);
    StoreLE16(&std[0], sti);
    StoreLE16(&std[2], uint16_t(entry.sgc | (entry.base << 4)));
    std.push_back(uint8_t(entry.name.size()));
    std.insert(std.end(), entry.name.begin(), entry.name.end());
    std.push_back(0);
    for (const Bytes* upx : {&entry.papx, &entry.chpx}) {
      if (entry.sgc != 1 && upx == &entry.papx) continue;
      if (std.size() % 2 != 0) std.push_back(0);
      std.push_back(uint8_t(upx->size()));
      std.push_back(uint8_t(upx->size() >> 8));
      std.insert(std.end(), upx->begin(), upx->end());
    }
    out.push_back(uint8_t(std.size()));
    out.push_back(uint8_t(std.size() >> 8));
    out.insert(out.end(), std.begin(), std.end());
  }
  return out;
}

// Word 6/95 styles take their sheet numbers from the built-in style they
// are: Normal 1, a heading its level plus one; the others the next free
// numbers from 10. The default paragraph font, Word's own character
// style, makes no sheet.
TEST_F(ImportWord, Word6StylesAreNumberedByTheirBuiltInKind) {
  Bytes main = Word6Main("Left words\rRight words\r");
  const size_t at = main.size();
  const Bytes sheet = Word6StyleSheet({{0, {1, 0xFFF, "Normal", {0, 0}, {}}},
                                       {2, {1, 0, "heading 2", {1, 0}, {85, 1}}},
                                       {0xFFE, {1, 0, "Mine", {2, 0}, {}}},
                                       {65, {2, 0xFFF, "Default Paragraph Font", {}, {}}},
                                       {0xFFE, {1, 0, "Also mine", {4, 0}, {}}}});
  main.insert(main.end(), sheet.begin(), sheet.end());
  StoreLE32(&main[0x60], uint32_t(at));
  StoreLE32(&main[0x64], uint32_t(sheet.size()));
  // The second paragraph in "Mine".
  const size_t bin = main.size();
  main.resize(bin + 10);
  StoreLE32(&main[bin], 0x300);
  StoreLE32(&main[bin + 4], 0x300 + 23);
  main.resize((main.size() + 511) / 512 * 512);
  StoreLE16(&main[bin + 8], uint16_t(main.size() / 512));
  StoreLE32(&main[0xC0], uint32_t(bin));
  StoreLE32(&main[0xC4], 10);
  const Bytes page = FkpPage({0x300, 0x300 + 11, 0x300 + 23}, {{}, {2, 0, 5, 2}}, 6, true, true);
  main.insert(main.end(), page.begin(), page.end());
  const Bytes doc = Container({{u"WordDocument", main}});
  xMorvaImportWord reader;
  MemoryFile memory(doc);
  std::u16string body;
  ASSERT_EQ(reader.ReadWordText(memory.Stream(), body), 0);
  std::vector<int16_t> sheets;
  for (const xMorvaWordStyle& style : reader.GetStyles()) sheets.push_back(style.sheet);
  EXPECT_EQ(sheets, (std::vector<int16_t>{1, 3, 10, 0, 11}));
  EXPECT_FALSE(reader.GetStyles()[3].exists);
  EXPECT_EQ(reader.GetStyles()[1].chp.bold, 1);

  ASSERT_EQ(Import(doc), 0);
  EXPECT_EQ(document.StyleSheetIds(), (std::vector<int16_t>{1, 3, 10, 11}));
  VStr<255> name;
  document.GetStyleSheetName(10, name);
  char16_t units[32] = {};
  name.GetUniCText(units, 31);
  EXPECT_EQ(Utf8(units), "Mine");
  xMorvaTextInterface* text = document.GetPart(kPartBody);
  ASSERT_NE(text, nullptr);
  text->SetSelection(12, 13);
  EXPECT_EQ(text->GetPropertyValue(kPropStyleSheet), 10);
  text->SetSelection(0, 1);
  EXPECT_EQ(text->GetPropertyValue(kPropStyleSheet), 1);
}

// A run's character style lies under the run's own sprms that follow it,
// its base's properties under its own.
TEST_F(ImportWord, CharacterStylesLieUnderTheRunsOwnSprms) {
  Word97 file;
  file.styles = StyleSheet({{1, 0xFFF, "Normal", {0, 0}, Sprm16(0x4A43, 24)},
                            {2, 0xFFF, "Strong", {}, Cat({{0x35, 0x08, 1}, {0x42, 0x2A, 6}})},
                            {2, 1, "Stronger", {}, Sprm16(0x4A43, 36)}});
  file.chpx = FkpPage({0x800, 0x800 + 11, 0x800 + 28},
                      {Cat({{0x30, 0x4A, 1, 0}, {0x36, 0x08, 1}, {0x42, 0x2A, 2}}), {0x30, 0x4A, 2, 0}},
                      0, false);
  file.Build();
  xMorvaImportWord reader;
  std::u16string body;
  ASSERT_EQ(ReadBuilt(reader, file, body), 0);
  const auto& runs = reader.GetCharacterRuns();
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].chp.style, 2);
  EXPECT_EQ(runs[0].chp.bold, 1);
  EXPECT_EQ(runs[0].chp.italic, 1);
  EXPECT_EQ(runs[0].chp.color, 0xFF9933);  // the run's own colour over the style's
  EXPECT_EQ(runs[0].chp.halfPoints, 24);   // the paragraph style's size
  EXPECT_EQ(runs[1].chp.style, 3);
  EXPECT_EQ(runs[1].chp.bold, 1);  // from the base
  EXPECT_EQ(runs[1].chp.color, 0x0000FF);
  EXPECT_EQ(runs[1].chp.halfPoints, 36);
}

// A piece's property word: one sprm by its short number with its operand
// byte, or a property group by its index; over the runs of its piece only.
TEST_F(ImportWord, PiecePropertiesOverTheirRuns) {
  struct Row {
    const char* what;
    uint16_t prm;
    std::function<void(const std::vector<xMorvaWordCharacterRun>&, const std::vector<xMorvaWordParagraphRun>&)> check;
  };
  const std::vector<Row> rows = {
      {"bold by its short number", uint16_t(0x55 << 1 | 1 << 8),
       [](const auto& c, const auto& p) {
         ASSERT_EQ(c.size(), 3u);
         EXPECT_EQ(c[0].chp.bold, 0);
         EXPECT_EQ(p[1].pap.jc, 0);
         EXPECT_EQ((std::pair{c[1].first, c[1].limit}), (std::pair{6u, 11u}));
         EXPECT_EQ(c[1].chp.bold, 1);
         EXPECT_EQ(c[2].chp.bold, 1);
         EXPECT_EQ(c[2].chp.italic, 1);
       }},
      {"underline double by its short number", uint16_t(0x5E << 1 | 3 << 8),
       [](const auto& c, const auto&) { EXPECT_EQ(c.back().chp.underline, 3); }},
      {"a short number this import does not act on", uint16_t(0x07 << 1 | 1 << 8),
       [](const auto& c, const auto&) { EXPECT_EQ(c.size(), 2u); }},
      {"the property group", 1,
       [](const auto& c, const auto& p) {
         ASSERT_EQ(c.size(), 3u);
         EXPECT_EQ(c[0].chp.strike, 0);
         EXPECT_EQ(c[1].chp.strike, 1);
         // Both paragraphs end in the piece.
         ASSERT_EQ(p.size(), 2u);
         EXPECT_EQ(p[0].pap.jc, 1);
         EXPECT_EQ(p[1].pap.jc, 1);
       }},
      {"a group past the list", 3, [](const auto& c, const auto&) { EXPECT_EQ(c.size(), 2u); }},
  };
  // Both pieces bold: the runs split once at their shared edge.
  {
    Word97 file;
    file.split = 6;
    file.prm[0] = file.prm[1] = uint16_t(0x55 << 1 | 1 << 8);
    file.chpx = FkpPage({0x800, 0x800 + 28}, {{}}, 0, false);
    file.Build();
    xMorvaImportWord reader;
    std::u16string body;
    ASSERT_EQ(ReadBuilt(reader, file, body), 0);
    const auto& runs = reader.GetCharacterRuns();
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ((std::pair{runs[0].limit, runs[1].first}), (std::pair{6u, 6u}));
    for (const auto& run : runs) EXPECT_EQ(run.chp.bold, 1);
  }
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Word97 file;
    file.split = 6;
    file.prm[1] = row.prm;
    file.prc = {0x37, 0x08, 1, 0x03, 0x24, 1};
    file.chpx = FkpPage({0x800, 0x800 + 11, 0x800 + 28}, {{}, {0x36, 0x08, 1}}, 0, false);
    file.papx = FkpPage({0x800, 0x800 + 11, 0x800 + 28}, {{0, 0}, {0, 0}}, 12, true);
    file.Build();
    xMorvaImportWord reader;
    std::u16string body;
    ASSERT_EQ(ReadBuilt(reader, file, body), 0);
    EXPECT_EQ(body, u"Hello Word\rSecond paragraph");
    row.check(reader.GetCharacterRuns(), reader.GetParagraphRuns());
  }
}

// A Word 6 file of the test's text at 0x300 of its one stream, fonts
// Arial, Symbol and a third of character set `chs` (FFNs of five bytes of
// fields: the flags, the weight, chs and ixchSzAlt) and one CHPX page.
Bytes Word6WithRuns(uint8_t chs, const Bytes& grpprl) {
  Bytes main = Word6Main("Hello Word\r\x8E" "cond paragraph\r");
  const size_t table = main.size();
  main.resize(table + 2);
  for (const auto& [name, set] : {std::pair<std::string, uint8_t>{"Arial", 0}, {"Symbol", 2}, {"Third", chs}}) {
    main.insert(main.end(), {uint8_t(5 + name.size() + 1), 0, 0, 0, set, 0});
    main.insert(main.end(), name.c_str(), name.c_str() + name.size() + 1);
  }
  StoreLE16(&main[table], uint16_t(main.size() - table));
  StoreLE32(&main[0xD0], uint32_t(table));
  StoreLE32(&main[0xD4], uint32_t(main.size() - table));
  const size_t bin = main.size();
  main.resize(bin + 10);
  StoreLE32(&main[bin], 0x300);
  StoreLE32(&main[bin + 4], 0x300 + 26);
  main.resize((main.size() + 511) / 512 * 512);
  StoreLE16(&main[bin + 8], uint16_t(main.size() / 512));
  StoreLE32(&main[0xB8], uint32_t(bin));
  StoreLE32(&main[0xBC], 10);
  const Bytes page = FkpPage({0x300, 0x300 + 6, 0x300 + 12, 0x300 + 26}, {{}, grpprl, {}}, 0, false);
  main.insert(main.end(), page.begin(), page.end());
  return Container({{u"WordDocument", main}});
}

// Runs that change their characters: deleted revision text goes, a
// symbol's placeholder becomes its character in its font, and 8-bit text
// of the other character set is read in that set. The test's character
// tables give Windows 0x8E no character: the byte keeps its place, and
// the characters after it theirs. Word 6/95 runs are read in the code
// page their font's character set names, else their language's
// (sprmCLid); the test tables give 0x8E as Z-caron in code page 1250, as
// Cyrillic Tshe in 1251 and as the diaeresis in the Baltic 1257, and (their
// code pages leave it undefined) as the first letter of the Hebrew, Thai
// and Vietnamese alphabets in 1255, 874 and 1258. A Word 97 8-bit piece is
// always of 1252.
TEST_F(ImportWord, RevisionsSymbolsAndCharacterSetsChangeTheText) {
  auto* tables = static_cast<FakeIntlMgr*>(gIntlMgr);
  for (const auto& [script, unit] : {std::pair<int16_t, char16_t>{9, u'\u017D'}, {8, u'\u040B'}, {17, u'\u00A8'},
                                     {6, u'\u05D0'}, {14, u'\u0E01'}, {15, u'\u0102'}}) {
    TableBytes bytes;
    bytes.u16(1);
    for (int b = 0; b < 256; ++b) bytes.u16(b < 0x80 ? uint16_t(b) : b == 0x8E ? unit : 0);
    tables->tables[{FourCC("winu"), script}] = bytes.bytes;
  }
  struct Row {
    const char* what;
    Bytes grpprl;
    std::u16string body;
    int16_t font;
    bool word6 = false;
    uint8_t chs = 0;  // the third font's
  };
  const Bytes third = {93, 2, 0}, russian = {93, 2, 0, 97, 0x19, 0x04};  // the third font; and in Russian
  auto in = [](uint16_t language) { return Bytes{93, 2, 0, 97, uint8_t(language), uint8_t(language >> 8)}; };
  const std::vector<Row> rows = {
      {"deleted", {0x00, 0x08, 1}, u"Hello cond paragraph", -1},
      {"deleted, then not", {0x00, 0x08, 1, 0x00, 0x08, 0}, u"Hello Word\r\u008Econd paragraph", -1},
      {"a symbol font's private code", Cat({{0x09, 0x6A}, Sprm16(1, 0xF0E9)}),
       u"Hello \u00e9ord\r\u008Econd paragraph", 1},
      {"a plain code", Cat({{0x09, 0x6A}, Sprm16(1, 0x263A)}), u"Hello \u263Aord\r\u008Econd paragraph", 1},
      {"a symbol with a font past the table", Cat({{0x09, 0x6A}, Sprm16(9, 0x41)}),
       u"Hello Aord\r\u008Econd paragraph", -1},
      {"Macintosh characters", {0x08, 0xEA, 1, 0, 1}, u"Hello Word\r\u00e9cond paragraph", -1},
      {"the same set as the file's", {0x08, 0xEA, 1, 0, 0}, u"Hello Word\r\u008Econd paragraph", -1},
      {"Word 97, a Cyrillic font", Sprm16(0x4A4F, 2), u"Hello Word\r\u008Econd paragraph", 2, false, 204},
      {"Word 6, Central European", third, u"Hello Word\r\u017Dcond paragraph", 2, true, 238},
      {"Word 6, Cyrillic", third, u"Hello Word\r\u040Bcond paragraph", 2, true, 204},
      {"Word 6, Western", third, u"Hello Word\r\u008Econd paragraph", 2, true, 0},
      {"Word 6, no set, in Russian", russian, u"Hello Word\r\u040Bcond paragraph", 2, true, 1},
      {"Word 6, Western in Russian", russian, u"Hello Word\r\u040Bcond paragraph", 2, true, 0},
      {"Word 6, Central European in Russian", russian, u"Hello Word\r\u017Dcond paragraph", 2, true, 238},
      // Windows writes the Baltic languages in 1257, the Macintosh in Central European.
      {"Word 6, Western in Latvian", in(0x0426), u"Hello Word\r\u00A8cond paragraph", 2, true, 0},
      {"Word 6, Western in Lithuanian", in(0x0427), u"Hello Word\r\u00A8cond paragraph", 2, true, 0},
      {"Word 6, Western in Estonian", in(0x0425), u"Hello Word\r\u00A8cond paragraph", 2, true, 0},
      {"Word 6, Hebrew", third, u"Hello Word\r\u05D0cond paragraph", 2, true, 177},
      {"Word 6, Western in Hebrew", in(0x040D), u"Hello Word\r\u05D0cond paragraph", 2, true, 0},
      {"Word 6, Thai", third, u"Hello Word\r\u0E01cond paragraph", 2, true, 222},
      {"Word 6, Western in Thai", in(0x041E), u"Hello Word\r\u0E01cond paragraph", 2, true, 0},
      {"Word 6, Vietnamese", third, u"Hello Word\r\u0102cond paragraph", 2, true, 163},
      {"Word 6, Western in Vietnamese", in(0x042A), u"Hello Word\r\u0102cond paragraph", 2, true, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Word97 file;
    file.text = u"Hello Word\r\u008Econd paragraph\r";
    file.fonts = FontTable({"Arial", "Symbol", "Third"}, false);
    // The third FFN's chs: the last FFN is its size byte, 39 bytes of
    // fields and "Third" with its end.
    file.fonts[file.fonts.size() - (1 + 39 + 6) + 4] = row.chs;
    file.chpx = FkpPage({0x800, 0x800 + 6, 0x800 + 12, 0x800 + 26}, {{}, row.grpprl, {}}, 0, false);
    file.Build();
    MemoryFile word6(Word6WithRuns(row.chs, row.grpprl));
    xMorvaImportWord reader;
    std::u16string body;
    ASSERT_EQ(row.word6 ? reader.ReadWordText(word6.Stream(), body) : ReadBuilt(reader, file, body), 0);
    EXPECT_EQ(Utf8(body), Utf8(row.body));
    ASSERT_EQ(reader.GetCharacterRuns().size(), 3u);
    EXPECT_EQ(reader.GetCharacterRuns()[1].chp.font, row.font);
  }
}

// An extended table of associated strings: the mark, the count, cbExtra 0,
// then each string's length and 16-bit characters.
Bytes AssociatedStrings(const std::vector<std::string>& strings) {
  Bytes out = {0xFF, 0xFF, uint8_t(strings.size()), 0, 0, 0};
  for (const std::string& text : strings) {
    out.push_back(uint8_t(text.size()));
    out.push_back(0);
    for (char c : text) {
      out.push_back(uint8_t(c));
      out.push_back(0);
    }
  }
  return out;
}

TEST_F(ImportWord, DocumentPropertiesAndAssociatedStrings) {
  // 14 May 2024 at 9:30: minutes 30, hours 9, day 14, month 5, year 124.
  const uint32_t dttm = 30u | (9u << 6) | (14u << 11) | (5u << 16) | (124u << 20);
  EXPECT_EQ(xMorvaImportWord::DateOfDttm(dttm), (xMorvaWordDate{14, 5, 124, 9 * 3600 + 30 * 60}));
  // dxaTab and what the document takes of it; a length too short for a
  // field reads it as 0.
  struct Row {
    size_t length;
    uint16_t dxaTab;
    int32_t pixels;
  };
  const int32_t own = CentimetresToPixels(1.0);  // a new document's interval
  const Row rows[] = {
      {500, 720, TwipsToPixels(720)},    // Word 97's DOP, half an inch
      {0x54, 1440, TwipsToPixels(1440)},  // Word 6 and 95's, an inch
      {0x20, 850, CentimetresToPixels(1.5)},  // 1.5 cm, as the display unit gives it
      {500, 0, own},                     // none given
      {500, 40000, own},                 // wider than any page
      {500, 20, own},                    // closer than a millimetre
      {11, 720, own},                    // the DOP ends inside dxaTab
  };
  for (const Row& row : rows) {
    const size_t length = row.length;
    SCOPED_TRACE(testing::Message() << length << " bytes, dxaTab " << row.dxaTab);
    Word97 file;
    file.dop.assign(std::max<size_t>(length, 12), 0);
    file.dop[0] = 0x02;  // widow control
    file.dop[6] = 0x20;  // mirror margins
    StoreLE16(&file.dop[10], row.dxaTab);
    file.dop.resize(length);
    const bool dated = length >= 0x1C;
    if (dated) {
      StoreLE32(&file.dop[0x14], dttm);
      StoreLE32(&file.dop[0x18], dttm + (1u << 11));
    }
    if (length > 0x52) file.dop[0x52] = 1;  // page view in Word 97
    file.assoc =
        AssociatedStrings({"", "", "The title", "A subject", "keys", "Some notes", "An author"});
    file.Build();
    xMorvaImportWord reader;
    std::u16string body;
    ASSERT_EQ(ReadBuilt(reader, file, body), 0);
    const xMorvaWordDop& dop = reader.GetDop();
    EXPECT_TRUE(dop.widowControl);
    EXPECT_TRUE(dop.mirrorMargins);
    EXPECT_EQ(dop.created.day, dated ? 14 : 0);
    EXPECT_EQ(dop.revised.day, dated ? 15 : 0);
    EXPECT_EQ(dop.pageView, length > 0x52);  // a short block reads as zero-filled
    EXPECT_EQ(dop.defaultTab, length >= 12 ? row.dxaTab : 0);
    EXPECT_EQ(reader.GetInfos().title, u"The title");
    EXPECT_EQ(reader.GetInfos().subject, u"A subject");
    EXPECT_EQ(reader.GetInfos().notes, u"Some notes");
    EXPECT_EQ(reader.GetInfos().author, u"An author");

    ASSERT_EQ(Import(Container({{u"WordDocument", file.main}, {u"1Table", file.table}})), 0);
    EXPECT_EQ(document.Params().GetWidowControl(), 1);
    EXPECT_EQ(document.Params().GetViewMode(), length > 0x52 ? 0 : 1);
    EXPECT_EQ(document.Params().GetDefaultTabInterval(), row.pixels);
    const xMorvaDocInfos& info = document.Infos();
    auto textOf = [](const VString& from) {
      char16_t units[300] = {};
      from.GetUniCText(units, 299);
      return Utf8(units);
    };
    if (dated) {
      EXPECT_EQ(info.GetCreationDate().day, 14);
      EXPECT_EQ(info.GetCreationDate().month, 5);
      EXPECT_EQ(info.GetCreationDate().year, 2024);
      EXPECT_EQ(info.GetCreationTime(), 9 * 3600 + 30 * 60);
      EXPECT_EQ(info.GetModificationDate().day, 15);
    }
    EXPECT_EQ(textOf(info.Title()), "The title");
    EXPECT_EQ(textOf(info.Subject()), "A subject");
    EXPECT_EQ(textOf(info.Notes()), "Some notes");
    EXPECT_EQ(textOf(info.Author()), "An author");
  }
}

TEST_F(ImportWord, Word6FontTableAndParagraphRuns) {
  SystemFonts installed;
  Bytes main = Word6Main("Left words\rRight words\r");
  // The font table: its byte count, then FFNs of five bytes of fields and an
  // 8-bit name.
  const size_t fonts = main.size();
  // The third font is not installed and has an alternate name (from
  // character ixchSzAlt on), which is taken in its place.
  Bytes table = {0, 0};
  for (std::string name : {"Times New Roman", "Courier", "NoSuchFontQv|Courier New"}) {
    table.push_back(uint8_t(5 + name.size() + 1));
    table.insert(table.end(), 5, 0);
    if (const size_t bar = name.find('|'); bar != std::string::npos) table.back() = uint8_t(bar + 1), name[bar] = 0;
    table.insert(table.end(), name.c_str(), name.c_str() + name.size() + 1);
  }
  StoreLE16(&table[0], uint16_t(table.size()));
  main.insert(main.end(), table.begin(), table.end());
  StoreLE32(&main[0xD0], uint32_t(fonts));
  StoreLE32(&main[0xD4], uint32_t(table.size()));
  // The paragraph bin table: two positions and one 16-bit page number.
  const size_t bin = main.size();
  main.resize(bin + 10);
  StoreLE32(&main[bin], 0x300);
  StoreLE32(&main[bin + 4], 0x300 + 23);
  main.resize((main.size() + 511) / 512 * 512);
  StoreLE16(&main[bin + 8], uint16_t(main.size() / 512));
  StoreLE32(&main[0xC0], uint32_t(bin));
  StoreLE32(&main[0xC4], 10);
  // PHEs of six bytes; the PAPX counts words and has one byte more.
  const Bytes page = FkpPage({0x300, 0x300 + 11, 0x300 + 23}, {{}, {1, 0, 5, 2, 17, 0x68, 0x01, 0}},
                             6, true, true);
  main.insert(main.end(), page.begin(), page.end());
  xMorvaImportWord reader;
  MemoryFile memory(Container({{u"WordDocument", main}}));
  std::u16string body;
  ASSERT_EQ(reader.ReadWordText(memory.Stream(), body), 0);
  EXPECT_EQ(reader.GetFontNames(), (std::vector<std::u16string>{u"Times New Roman", u"Courier", u"Courier New"}));
  const auto& runs = reader.GetParagraphRuns();
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].pap.jc, 0);
  EXPECT_EQ(runs[1].first, 11u);
  EXPECT_EQ(runs[1].limit, 23u);
  EXPECT_EQ(runs[1].pap.istd, 1);
  EXPECT_EQ(runs[1].pap.jc, 2);
  EXPECT_EQ(runs[1].pap.left, 360);
}

struct WordBadCase {
  const char* what;
  std::function<void(Word97&)> damage;
  int32_t code;
  bool dropTable = false;
};

TEST_F(ImportWord, DamagedFilesAreRefusedAndTheDocumentKept) {
  auto put16 = [](Bytes& b, size_t at, uint16_t v) { StoreLE16(&b[at], v); };
  auto put32 = [](Bytes& b, size_t at, uint32_t v) { StoreLE32(&b[at], v); };
  const std::vector<WordBadCase> cases = {
      {"intact", [](Word97&) {}, 0},
      {"nFib 62", [&](Word97& f) { put16(f.main, 2, 62); }, kWordNotWord},
      {"nFib 194", [&](Word97& f) { put16(f.main, 2, 194); }, kWordNotWord},
      {"nFib 217 of Word 6",
       [&](Word97& f) {
         put16(f.main, 0, 0xA5DC);
         put16(f.main, 2, 217);
       },
       kWordNotWord},
      {"nFib 257 of a later saver", [&](Word97& f) { put16(f.main, 2, 257); }, 0},
      {"no Word identifier", [&](Word97& f) { put16(f.main, 0, 0x1234); }, kWordNotWord},
      {"encrypted", [&](Word97& f) { put16(f.main, 10, 0x0300); }, kWordNotWord},
      {"fast-saved", [&](Word97& f) { put16(f.main, 10, 0x0204); }, kWordFastSaved},
      {"FIB cut short", [&](Word97& f) { f.main.resize(100); }, kWordNotWord},
      {"fcClx past the table", [&](Word97& f) { put32(f.main, f.PairAt(66), 5000); },
       kWordUnreadable},
      {"lcbClx past the table", [&](Word97& f) { put32(f.main, f.PairAt(67), 0xFFFFFFF0u); },
       kWordUnreadable},
      {"CLX entry of type 3", [&](Word97& f) { f.table[16] = 3; }, kWordUnreadable},
      {"Pcdt lcb not whole pieces", [&](Word97& f) { put32(f.table, 17, 4 + 12 + 5); },
       kWordUnreadable},
      {"Pcdt lcb past the CLX", [&](Word97& f) { put32(f.table, 17, 4 + 12 * 100); },
       kWordUnreadable},
      {"piece past the main stream",
       [&](Word97& f) { put32(f.table, 17 + 4 + 8 + 2, 0x40000000u | 0x7FFFFFF0u); },
       kWordUnreadable},
      {"character positions going back",
       [&](Word97& f) {
         put32(f.table, 21 + 4, 0);
         put32(f.table, 21, 5);
       },
       kWordUnreadable},
      {"ccp sum near 2^31",
       [&](Word97& f) {
         put32(f.main, f.LongAt(3), 0x7FFFFFF0u);
         put32(f.main, f.LongAt(4), 0x7FFFFFF0u);
       },
       kWordUnreadable},
      {"ccp beyond the pieces", [&](Word97& f) { put32(f.main, f.LongAt(4), 40); },
       kWordUnreadable},
      {"no table stream", [](Word97&) {}, kWordUnreadable, true},
      {"sprm operand past its grpprl",
       [](Word97& f) {
         f.sepx = {0x21, 0xB0, 0x10};
       },
       kWordUnreadable},
      {"length-byte sprm past its grpprl",
       [](Word97& f) {
         f.sepx = {0x00, 0xD2, 0x40, 1};
       },
       kWordUnreadable},
      {"SEPX past the main stream",
       [&](Word97& f) {
         f.sepx = Sprm16(0xB021, 720);
         f.Build();
         put32(f.table, f.table.size() - 10, 0x7FFFFFF0u);
       },
       kWordUnreadable},
      {"PlcfSed past the table",
       [&](Word97& f) {
         f.sepx = Sprm16(0xB021, 720);
         f.Build();
         put32(f.main, f.PairAt(13), 4000);
       },
       kWordUnreadable},
      {"FKP crun 255",
       [&](Word97& f) {
         f.chpx = FkpPage({0x800, 0x800 + 28}, {{0x35, 0x08, 1}}, 0, false);
         f.Build();
         f.main[f.chpxAt + 511] = 255;
       },
       kWordUnreadable},
      {"CHPX offset past the page",
       [&](Word97& f) {
         f.chpx = FkpPage({0x800, 0x800 + 28}, {{0x35, 0x08, 1}}, 0, false);
         f.Build();
         f.main[f.chpxAt + 8] = 255;
         f.main[f.chpxAt + 510] = 4;
       },
       kWordUnreadable},
      {"CHPX sprm operand past its grpprl",
       [&](Word97& f) {
         f.chpx = FkpPage({0x800, 0x800 + 28}, {{0x43, 0x4A, 0x10}}, 0, false);
         f.Build();
       },
       kWordUnreadable},
      {"CHPX length-byte sprm past its grpprl",
       [&](Word97& f) {
         f.chpx = FkpPage({0x800, 0x800 + 28}, {{0x4A, 0xCA, 9, 1}}, 0, false);
         f.Build();
       },
       kWordUnreadable},
      {"PAPX offset into the run headers",
       [&](Word97& f) {
         f.papx = FkpPage({0x800, 0x800 + 28}, {{0, 0, 0x03, 0x24, 1}}, 12, true);
         f.Build();
         f.main[f.papxAt + 8] = 1;
       },
       kWordUnreadable},
      {"PAPX tab sprm past its grpprl",
       [&](Word97& f) {
         f.papx = FkpPage({0x800, 0x800 + 28}, {{0, 0, 0x0D, 0xC6, 2, 0, 9}}, 12, true);
         f.Build();
       },
       kWordUnreadable},
      {"FKP page past the main stream",
       [&](Word97& f) {
         f.chpx = FkpPage({0x800, 0x800 + 28}, {{0x35, 0x08, 1}}, 0, false);
         f.Build();
         put32(f.table, f.table.size() - 4, 5000);
       },
       kWordUnreadable},
      {"istdBase cycle",
       [](Word97& f) {
         f.styles = StyleSheet(
             {{1, 0xFFF, "Normal", {0, 0}, {}}, {1, 2, "A", {1, 0}, {}}, {1, 1, "B", {2, 0}, {}}});
         f.Build();
       },
       kWordUnreadable},
      {"istdBase naming itself",
       [](Word97& f) {
         f.styles = StyleSheet({{1, 0, "Normal", {0, 0}, {}}});
         f.Build();
       },
       kWordUnreadable},
      {"STD past its sheet",
       [](Word97& f) {
         f.styles = StyleSheet({{1, 0xFFF, "Normal", {0, 0}, {}}});
         f.styles[20] = 0xFF;
         f.Build();
       },
       kWordUnreadable},
      {"DOP past the table",
       [&](Word97& f) {
         f.dop.assign(100, 0);
         f.Build();
         put32(f.main, f.PairAt(63), 0xFFFFFF00u);
       },
       kWordUnreadable},
      {"associated string over 128 characters",
       [](Word97& f) {
         f.assoc = AssociatedStrings({std::string(129, 'a')});
         f.Build();
       },
       kWordUnreadable},
      {"associated string past its table",
       [](Word97& f) {
         f.assoc = AssociatedStrings({"title"});
         f.assoc.resize(f.assoc.size() - 3);
         f.Build();
       },
       kWordUnreadable},
      {"FFN of length 0",
       [](Word97& f) {
         f.fonts = {1, 0, 0, 0, 0};
         f.Build();
       },
       kWordUnreadable},
      {"FFN past its table",
       [](Word97& f) {
         f.fonts = {1, 0, 0, 0, 200, 1, 2, 3};
         f.Build();
       },
       kWordUnreadable},
  };
  for (const WordBadCase& c : cases) {
    SCOPED_TRACE(c.what);
    Word97 file;
    file.Build();
    c.damage(file);
    if (!file.sepx.empty() && file.main.size() < 0x800 + file.text.size() + 2) file.Build();
    std::vector<NamedBytes> streams = {{u"WordDocument", file.main}};
    if (!c.dropTable) streams.push_back({u"1Table", file.table});
    Type(u"kept");
    EXPECT_EQ(Import(Container(streams)), c.code);
    if (c.code != 0) {
      EXPECT_EQ(BodyText().substr(0, 4), u"kept");
    }
    document.Reset(false);
  }
  std::u16string body;
  EXPECT_EQ(Read(Bytes(600, 'x'), body), kWordNotWord);
  EXPECT_EQ(Read(Container({{u"Other", Bytes(10, 1)}}), body), kWordUnreadable);
  xMorvaImportWord reader;
  EXPECT_EQ(reader.ImportWordDocument(nullptr, nullptr), kWordMissingArgument);
}

// Opening through the editing area's table of formats, as the open command
// does: a Word file by its type, and an RTF file that only calls itself
// Word read as RTF.
class WordFiles : public texttest::TextDocumentTest {
 protected:
  void SetUp() override {
    TextDocumentTest::SetUp();
    char pattern[] = "/tmp/qvwordfilesXXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
    InstallRtfFormats();
    InstallWordFormats();
  }
  void TearDown() override {
    RemoveWordFormats();
    RemoveRtfFormats();
    std::error_code ec;
    fs::remove_all(dir, ec);
    TextDocumentTest::TearDown();
  }
  int32_t Open(const std::string& name, const Bytes& bytes, uint32_t& type) {
    const std::string path = dir + "/" + name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return OpenDocumentFile(document, kept, std::make_unique<VFile>(path.c_str()), type, nullptr);
  }

  std::string dir;
  xMorvaKeptFile kept;
};

TEST_F(WordFiles, WordOpensByTypeAndRtfInDisguiseFallsBack) {
  uint32_t type = FourCC("DOC8");
  ASSERT_EQ(Open("plain.doc", ReadBytesOf(WordFolder() / "plain.doc"), type), 0);
  EXPECT_EQ(type, FourCC("DOC8"));
  EXPECT_EQ(BodyText().substr(0, 47), u"The compound file holds the document's streams.");

  const std::string rtf = "{\\rtf1\\ansi Inside RTF\\par}";
  type = FourCC("DOC8");
  ASSERT_EQ(Open("rtf.doc", Bytes(rtf.begin(), rtf.end()), type), 0);
  EXPECT_EQ(type, kTypeRtfFile);
  EXPECT_EQ(BodyText().substr(0, 10), u"Inside RTF");

  Word97 broken;
  broken.Build();
  broken.table[16] = 3;
  type = FourCC("DOC6");
  EXPECT_EQ(Open("broken.doc",
                 Container({{u"WordDocument", broken.main}, {u"1Table", broken.table}}), type),
            kWordUnreadable);
  EXPECT_EQ(BodyText().substr(0, 10), u"Inside RTF");
}

// The place of each character in the body: the count of those kept before
// it, capped at the body's length, across the map's 64-character words.
TEST(WordPositions, EachPlaceCountsTheCharactersKeptBeforeIt) {
  struct Case {
    const char* name;
    size_t count;
    std::function<bool(size_t)> kept;
    uint32_t cap;  // UINT32_MAX: the count kept
  };
  const std::vector<Case> cases = {
      {"none", 0, [](size_t) { return true; }, UINT32_MAX},
      {"one kept", 1, [](size_t) { return true; }, UINT32_MAX},
      {"one left out", 1, [](size_t) { return false; }, UINT32_MAX},
      {"a word less one", 63, [](size_t i) { return i % 3 != 0; }, UINT32_MAX},
      {"a word", 64, [](size_t) { return true; }, UINT32_MAX},
      {"a word and one", 65, [](size_t i) { return i != 64; }, UINT32_MAX},
      {"two words", 128, [](size_t i) { return i % 2 == 0; }, UINT32_MAX},
      {"last end dropped", 200, [](size_t i) { return i % 7 != 3; }, 170},
      {"cap above the kept", 70, [](size_t) { return true; }, 500},
      {"long", 100000, [](size_t i) { return (i * 2654435761u >> 7) % 5 != 0; }, UINT32_MAX},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    xMorvaWordPositions map;
    EXPECT_TRUE(map.Empty());
    std::vector<uint32_t> expected;
    uint32_t kept = 0;
    for (size_t i = 0; i < c.count; ++i) {
      expected.push_back(kept);
      map.Push(c.kept(i));
      kept += c.kept(i) ? 1 : 0;
    }
    expected.push_back(kept);
    EXPECT_TRUE(map.Empty());  // not finished yet
    const uint32_t cap = c.cap == UINT32_MAX ? kept : c.cap;
    map.Finish(cap);
    for (uint32_t& at : expected) at = std::min(at, cap);
    ASSERT_EQ(map.Size(), c.count + 1);
    EXPECT_EQ(map.ToVector(), expected);
    EXPECT_EQ(map.Back(), expected.back());
    // Past the end: the end's place.
    EXPECT_EQ(map.At(uint32_t(c.count + 5)), expected.back());
  }
  xMorvaWordPositions map;
  map.Push(true);
  map.Finish(1);
  map.Clear();
  EXPECT_TRUE(map.Empty());
  EXPECT_EQ(map.At(0), 0u);
}

// The main story is made in the place of the text it comes from: a line
// feed is judged by the character the file had before it, not by what
// that character became.
TEST_F(ImportWord, StoryMadeInPlaceJudgesEachCharacterByTheFilesText) {
  struct Case {
    std::string text;
    std::u16string body;
    std::vector<uint32_t> positions;
  };
  const std::vector<Case> cases = {
      // A line break becomes a paragraph end; the line feed after it is
      // one more, as the file had no paragraph end before it.
      {"A\x0B\x0A" "B\r\nC", u"A\r\rB\rC", {0, 1, 2, 3, 4, 5, 5, 6}},
      {"A\x0C\x0A" "B", u"A\r\rB", {0, 1, 2, 3, 4}},
      {"A\r\x0A" "B", u"A\rB", {0, 1, 2, 2, 3}},
      // Marks of elements not read take no place; the last paragraph end
      // is the body's own.
      {"AB\x01\x08" "C\r", u"ABC", {0, 1, 2, 2, 2, 3, 3}},
      {"\x07\x1E\x1F\r", u"\t-\u00AD", {0, 1, 2, 3, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    xMorvaImportWord reader;
    MemoryFile memory(Container({{u"WordDocument", Word6Main(c.text)}}));
    std::u16string body;
    ASSERT_EQ(reader.ReadWordText(memory.Stream(), body), 0);
    EXPECT_EQ(body, c.body);
    EXPECT_EQ(reader.GetBodyPositions(), c.positions);
  }
}

// A body of many times the pieces the import gives the engine at a time
// arrives whole: every character once and in order, its tabs as elements,
// and a run's properties from its start to its end across the pieces.
TEST_F(ImportWord, ALongBodyArrivesWholeAcrossThePiecesItIsGivenIn) {
  Word97 file;
  file.text.clear();
  for (int i = 0; i < 3000; ++i) file.text += u"Word\tcell\tend\r";
  const uint32_t boldFirst = 20, boldLimit = uint32_t(file.text.size() - 20);
  file.chpx = FkpPage({0x800, 0x800 + boldFirst, 0x800 + boldLimit, uint32_t(0x800 + file.text.size())},
                      {{}, {0x35, 0x08, 1}, {}}, 0, false);
  file.Build();
  ASSERT_EQ(Import(Container({{u"WordDocument", file.main}, {u"1Table", file.table}})), 0);
  xMorvaEngine& body = Body();
  const std::u16string expected = file.text.substr(0, file.text.size() - 1);
  ASSERT_EQ(body.GetLength(), int32_t(expected.size()));
  // The stream walked item by item: the characters, the tab elements, and
  // where the bold record turns on and off.
  const uint32_t size = body.GetStreamSize();
  ASSERT_GT(size, 3u * 64 * 1024);
  const uint8_t* stream = body.LockStream();
  ASSERT_NE(stream, nullptr);
  std::u16string text;
  std::vector<std::pair<size_t, uint32_t>> bold;
  for (uint32_t at = 0; at < size;) {
    const StreamItem item = ReadStreamItem(stream + at, size - at);
    if (item.kind == StreamItem::kUnit) text.push_back(char16_t(item.unit));
    if (item.kind == StreamItem::kElement && item.unit == xMorvaElementCode::Tab) text.push_back(u'\t');
    if (item.kind == StreamItem::kRecord && item.unit == kPropBold) bold.emplace_back(text.size(), item.value);
    at += item.size;
  }
  body.UnlockStream();
  EXPECT_TRUE(text == expected) << "the body's text differs from the file's";
  EXPECT_EQ(bold, (std::vector<std::pair<size_t, uint32_t>>{{boldFirst, 1}, {boldLimit, 0}}));
}

// The bin tables' pages read in the order the tables list them: runs from
// pages listed out of the text's order still come sorted by position, and
// a table naming one page many times gives its runs once a naming, as it
// always did, whatever room is made for them ahead.
TEST_F(ImportWord, BinTablePagesInAnyOrderGiveSortedRuns) {
  struct Case {
    const char* what;
    std::vector<uint32_t> order;  // 0: the page of "One", 1: the page of "Two"
    std::vector<uint32_t> firsts;
  };
  const std::vector<Case> cases = {
      {"in order", {0, 1}, {0, 4}},
      {"reversed", {1, 0}, {0, 4}},
      {"repeated", std::vector<uint32_t>(40, 1), std::vector<uint32_t>(40, 4)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Word97 file;
    file.text = u"One\rTwo\r";
    file.papx = FkpPage({0x800, 0x804}, {{0, 0, 0x03, 0x24, 1}}, 12, true);
    file.chpx = FkpPage({0x800, 0x804}, {{0x35, 0x08, 1}}, 0, false);
    file.Build();
    // The second pages, and bin tables of both kinds that list the pages
    // in the case's order.
    const uint32_t papxPage = uint32_t(file.papxAt / 512), chpxPage = uint32_t(file.chpxAt / 512);
    const Bytes papx2 = FkpPage({0x804, 0x808}, {{0, 0, 0x03, 0x24, 2}}, 12, true);
    const Bytes chpx2 = FkpPage({0x804, 0x808}, {{0x36, 0x08, 1}}, 0, false);
    const uint32_t papxPage2 = uint32_t(file.main.size() / 512);
    file.main.insert(file.main.end(), papx2.begin(), papx2.end());
    const uint32_t chpxPage2 = uint32_t(file.main.size() / 512);
    file.main.insert(file.main.end(), chpx2.begin(), chpx2.end());
    for (auto [pair, pages] : {std::pair{size_t(12), std::array<uint32_t, 2>{chpxPage, chpxPage2}},
                               std::pair{size_t(13), std::array<uint32_t, 2>{papxPage, papxPage2}}}) {
      Bytes bin;
      auto put32 = [&](uint32_t v) {
        uint8_t b[4];
        StoreLE32(b, v);
        bin.insert(bin.end(), b, b + 4);
      };
      for (size_t i = 0; i <= c.order.size(); ++i) put32(uint32_t(0x800 + 8 * i / c.order.size()));
      for (uint32_t page : c.order) put32(pages[page]);
      StoreLE32(&file.main[file.PairAt(pair * 2)], uint32_t(file.table.size()));
      StoreLE32(&file.main[file.PairAt(pair * 2 + 1)], uint32_t(bin.size()));
      file.table.insert(file.table.end(), bin.begin(), bin.end());
    }
    xMorvaImportWord reader;
    std::u16string body;
    ASSERT_EQ(ReadBuilt(reader, file, body), 0);
    EXPECT_EQ(body, u"One\rTwo");
    std::vector<uint32_t> firsts;
    for (const auto& run : reader.GetParagraphRuns()) {
      firsts.push_back(run.first);
      EXPECT_EQ(run.pap.jc, run.first == 0 ? 1 : 2);
    }
    EXPECT_EQ(firsts, c.firsts);
    // Character runs keep the order of their pages.
    std::vector<uint32_t> characterFirsts;
    for (const auto& run : reader.GetCharacterRuns()) {
      characterFirsts.push_back(run.first);
      EXPECT_EQ(run.chp.bold, run.first == 0 ? 1 : 0);
      EXPECT_EQ(run.chp.italic, run.first == 0 ? 0 : 1);
    }
    std::vector<uint32_t> expected;
    for (uint32_t page : c.order) expected.push_back(page == 0 ? 0 : 4);
    EXPECT_EQ(characterFirsts, expected);
  }
}

// Character runs that overlap (pages of a damaged file naming the same
// characters): each character takes the last run over it, and a run
// inside another cuts it in three, on both of its edges. Listed the other
// way round, the runs come out of the text's order and the outer one,
// read last, covers them all.
TEST_F(ImportWord, OverlappingRunsCutEachOtherAtTheirEdges) {
  struct Case {
    const char* what;
    bool innerFirst;
    std::vector<std::array<int32_t, 3>> expected;  // bold, italic, underline of a to h
  };
  const std::vector<Case> cases = {
      // a b: bold; c d e: italic alone; f: underlined alone; g h: bold again.
      {"outer page first", false,
       {{1, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 0}, {1, 0, 0}}},
      {"inner page first", true, std::vector<std::array<int32_t, 3>>(8, {1, 0, 0})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Word97 file;
    file.text = u"abcdefgh\r";
    file.chpx = FkpPage({0x800, 0x809}, {{0x35, 0x08, 1}}, 0, false);  // bold over all
    file.Build();
    const uint32_t outer = uint32_t(file.chpxAt / 512);
    const Bytes innerPage = FkpPage({0x802, 0x805, 0x806}, {{0x36, 0x08, 1}, {0x3E, 0x2A, 1}}, 0, false);
    const uint32_t inner = uint32_t(file.main.size() / 512);
    file.main.insert(file.main.end(), innerPage.begin(), innerPage.end());
    Bytes bin;
    for (uint32_t v : {0x800u, 0x805u, 0x809u, c.innerFirst ? inner : outer, c.innerFirst ? outer : inner}) {
      uint8_t b[4];
      StoreLE32(b, v);
      bin.insert(bin.end(), b, b + 4);
    }
    StoreLE32(&file.main[file.PairAt(24)], uint32_t(file.table.size()));
    StoreLE32(&file.main[file.PairAt(25)], uint32_t(bin.size()));
    file.table.insert(file.table.end(), bin.begin(), bin.end());
    ASSERT_EQ(Import(Container({{u"WordDocument", file.main}, {u"1Table", file.table}})), 0);
    xMorvaTextInterface* body = document.GetPart(kPartBody);
    ASSERT_NE(body, nullptr);
    auto at = [&](int32_t where, uint16_t id) {
      body->SetSelection(where, where + 1);
      return body->GetPropertyValue(id);
    };
    for (int32_t i = 0; i < 8; ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ((std::array<int32_t, 3>{at(i, kPropBold), at(i, kPropItalic), at(i, kPropUnderline)}),
                c.expected[size_t(i)]);
    }
  }
}

// Where several paragraph runs meet at one paragraph end, the last run
// ending there gives the space after (a row's end over its last cell's),
// and the first run starting behind it the space before (a paragraph
// whose text was all deleted gives its space before, not the next one).
TEST_F(ImportWord, SpacingAtOneEndTakesTheLastSpaceAfterAndTheFirstSpaceBefore) {
  {
    Word97 file;
    file.text = u"A\u0007B\u0007\u0007After\r";
    const Bytes inTable = {0x16, 0x24, 1};
    file.papx = FkpPage({0x800, 0x802, 0x804, 0x805, 0x800 + 11},
                        {Cat({{0, 0}, inTable, Sprm16(0xA414, 40)}), Cat({{0, 0}, inTable, Sprm16(0xA414, 100)}),
                         Cat({{0, 0}, inTable, {0x17, 0x24, 1}, Sprm16(0xA414, 300), Sprm16(0x9407, 500)}),
                         Cat({{0, 0}, Sprm16(0xA413, 20), {0}})},
                        12, true);
    file.Build();
    xMorvaImportWord reader;
    std::u16string body;
    ASSERT_EQ(ReadBuilt(reader, file, body), 0);
    EXPECT_EQ(body, u"A\tB\rAfter");
    EXPECT_EQ(reader.GetSpacing(), (std::vector<xMorvaWordSpacing>{{3, 300 + 20, 500}}));
  }
  {
    Word97 file;
    file.text = u"A\rxx\rB\r";
    file.papx = FkpPage({0x800, 0x802, 0x805, 0x807},
                        {Cat({{0, 0}, Sprm16(0xA413, 1000), Sprm16(0xA414, 10)}),
                         Cat({{0, 0}, Sprm16(0xA413, 200), Sprm16(0xA414, 20)}),
                         Cat({{0, 0}, Sprm16(0xA413, 300), Sprm16(0xA414, 30)})},
                        12, true);
    file.chpx = FkpPage({0x800, 0x802, 0x805, 0x807}, {{}, {0x00, 0x08, 1}, {}}, 0, false);
    file.Build();
    xMorvaImportWord reader;
    std::u16string body;
    ASSERT_EQ(ReadBuilt(reader, file, body), 0);
    EXPECT_EQ(body, u"A\rB");
    EXPECT_EQ(reader.GetSpacing(), (std::vector<xMorvaWordSpacing>{{1, 10 + 200, 0}}));
  }
}

// Runs that each set values of their own (more than the builder's first
// table of different values holds, the last ones again values met before
// the table grew) keep them, each on its own character.
TEST_F(ImportWord, ManyDifferentRunValuesEachLandOnTheirCharacters) {
  constexpr uint32_t kRuns = 45;
  Word97 file;
  file.text.clear();
  for (uint32_t i = 0; i < kRuns; ++i) file.text.push_back(char16_t(u'a' + i % 26));
  file.text.push_back(u'\r');
  std::vector<uint32_t> fcs;
  std::vector<Bytes> groups;
  for (uint32_t i = 0; i < kRuns; ++i) {
    fcs.push_back(0x800 + i);
    groups.push_back(Sprm16(0x4A43, uint16_t(10 + 2 * (i % 40))));  // 5 to 44 points
  }
  fcs.push_back(0x800 + kRuns);
  file.chpx = FkpPage(fcs, groups, 0, false);
  file.Build();
  ASSERT_EQ(Import(Container({{u"WordDocument", file.main}, {u"1Table", file.table}})), 0);
  xMorvaTextInterface* body = document.GetPart(kPartBody);
  ASSERT_NE(body, nullptr);
  std::vector<int32_t> sizes, expected;
  for (uint32_t i = 0; i < kRuns; ++i) {
    body->SetSelection(int32_t(i), int32_t(i + 1));
    sizes.push_back(body->GetPropertyValue(kPropSize));
    expected.push_back(int32_t(5 + i % 40));
  }
  EXPECT_EQ(sizes, expected);
}
