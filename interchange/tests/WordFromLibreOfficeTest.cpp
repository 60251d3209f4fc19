// Word files LibreOffice wrote from our fixtures with headers and footers,
// fields, a symbol, notes, a comment and pictures (made by
// tools/make_word_peer_fixtures.py --stories and committed with what
// antiword, catdoc and pdftotext read from them) opened as the open command
// opens them: the body as antiword reads it, the headers and footers as
// LibreOffice prints them, the pictures at their images' sizes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "document/DocumentUnits.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaProperties.h"
#include "engine/xMorvaFont.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaPictureElement.h"
#include "graphics/pictures/VQuickTimePictures.h"
#include "interchange/tests/OleTestSupport.h"
#include "interchange/tests/PeerTestSupport.h"
#include "interchange/tests/RtfTestSupport.h"
#include "interchange/tests/TextTestSupport.h"
#include "interchange/word/xMorvaExportWord.h"
#include "interchange/word/xMorvaImportWord.h"

namespace fs = std::filesystem;

namespace wordfromlibreoffice {

fs::path StoriesFolder() {
  fs::path source(__FILE__);
  if (source.is_relative()) source = fs::read_symlink("/proc/self/exe").parent_path() / source;
  return source.parent_path() / "fixtures" / "word" / "stories";
}

// One paragraph a line, white space collapsed, empty lines dropped.
std::string Normalised(const std::string& text) {
  std::istringstream in(text);
  std::string line, out;
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

// A part's text as UTF-8 with its elements named: pictures "[pic]" (as
// antiword shows them), dates and times "{time}", page numbers `page`;
// each picture's own size is added to `sizes`.
std::string PartText(xMorvaDocument& document, int16_t part, const std::string& page,
                     std::vector<std::pair<int32_t, int32_t>>* sizes = nullptr) {
  xMorvaEngine& engine = rtftest::Engine(document, part);
  std::u16string out;
  const uint32_t size = engine.GetStreamSize();
  const uint8_t* stream = engine.LockStream();
  for (uint32_t at = 0; at < size;) {
    const StreamItem item = ReadStreamItem(stream + at, size - at);
    if (item.kind == StreamItem::kUnit) {
      out += item.unit == 13 ? u'\n' : char16_t(item.unit);
    } else if (item.kind != StreamItem::kRecord) {
      switch (item.unit) {
        case xMorvaElementCode::Pict: {
          out += u"[pic]";
          xMorvaPictureHeader header;
          if (sizes != nullptr && ReadPictureHeader(stream + at, item.size, header))
            sizes->push_back({header.ownWidth, header.ownHeight});
          break;
        }
        case xMorvaElementCode::DateTime: out += u"{time}"; break;
        case xMorvaElementCode::PageNumber: out += Utf8ToUtf16(page); break;
        case xMorvaElementCode::Tab: out += u'\t'; break;
        // A break stands for the paragraph end it holds.
        case xMorvaElementCode::PageBreak:
        case xMorvaElementCode::ColBreak: out += u'\n'; break;
        default: break;
      }
    }
    at += item.size;
  }
  engine.UnlockStream();
  return texttest::Utf8(out);
}

class WordFromLibreOffice : public texttest::TextDocumentTest {
 protected:
  void SetUp() override { ASSERT_NE(0u, StartQuickTime()); }
  void TearDown() override { StopQuickTime(); }
  int32_t Open(const std::string& name, xMorvaImportWord& reader) {
    const std::string bytes = peertest::ReadFile(StoriesFolder() / name);
    oletest::MemoryFile memory(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    return reader.ImportWordDocument(&document, &memory.Stream());
  }
};

}  // namespace wordfromlibreoffice

using namespace wordfromlibreoffice;

TEST_F(WordFromLibreOffice, BodyReadsAsAntiwordAndCatdocReadIt) {
  xMorvaImportWord reader;
  ASSERT_EQ(0, Open("stories.doc", reader));
  const std::string ours = Normalised(PartText(document, kPartBody, "{page}"));
  // antiword shows the fields' last results where we have date and time
  // elements, marks note references as [N] and puts the notes after a rule.
  std::string antiword = peertest::ReadFile(StoriesFolder() / "stories.antiword.txt");
  antiword = antiword.substr(0, antiword.find("-----"));
  antiword = std::regex_replace(antiword, std::regex("[0-9]{2}/[0-9]{2}/[0-9]{4}|[0-9]{2}:[0-9]{2}"), "{time}");
  antiword = std::regex_replace(antiword, std::regex("\\[[0-9]+\\]"), "");
  // It shows the symbol, the Symbol font's "a", as the Greek letter; we
  // keep the character and give it its font.
  antiword = std::regex_replace(antiword, std::regex("\xCE\xB1"), "a");
  EXPECT_EQ(Normalised(antiword), ours);
  const std::string units = rtftest::TextOf(document, kPartBody);
  const size_t symbol = units.find("Symbol aa") + 8;
  ASSERT_NE(std::string::npos, symbol - 8);
  const auto positions = rtftest::Positions(document, kPartBody);
  EXPECT_EQ("Symbol", rtftest::FontName(document, positions[symbol].properties.at(kPropFont)));
  // The field's shown result before it is in that font too; the word
  // before is not.
  EXPECT_NE("Symbol", rtftest::FontName(document, positions[symbol - 3].properties.at(kPropFont)));
  // catdoc shows the fields' instructions before their results, loses the
  // symbol and the line of the note references: without the instructions
  // the other lines read the same.
  std::string catdoc = peertest::ReadFile(StoriesFolder() / "stories.catdoc.txt");
  catdoc = std::regex_replace(
      catdoc, std::regex(" *\\b(DATE|TIME|TITLE|HYPERLINK) *(\\\\@\"[^\"]*\"|\"[^\"]*\")? +"), " ");
  catdoc = std::regex_replace(catdoc, std::regex("[0-9]{2}/[0-9]{2}/[0-9]{4}|[0-9]{2}:[0-9]{2}"), "{time}");
  catdoc = Normalised(catdoc);
  int same = 0;
  std::istringstream lines(ours);
  for (std::string line; std::getline(lines, line);) {
    if (line.find_first_of("[") != std::string::npos || line.find("note") != std::string::npos ||
        line.find("Symbol") != std::string::npos)
      continue;
    EXPECT_NE(std::string::npos, catdoc.find(line + "\n")) << line << "\n" << catdoc;
    ++same;
  }
  EXPECT_EQ(5, same);
  // Notes and comments stay out of the body.
  EXPECT_EQ(std::string::npos, ours.find("Footnote words"));
  EXPECT_EQ(std::string::npos, ours.find("Comment words"));
}

TEST_F(WordFromLibreOffice, HeadersAndFootersAsLibreOfficePrintsThem) {
  xMorvaImportWord reader;
  ASSERT_EQ(0, Open("stories.doc", reader));
  // Each page's first and last lines are its header and footer.
  const std::string pdf = peertest::ReadFile(StoriesFolder() / "stories.pdftotext.txt");
  std::vector<std::pair<std::string, std::string>> pages;
  std::istringstream in(pdf);
  for (std::string page; std::getline(in, page, '\f');) {
    const std::string lines = Normalised(page);
    if (lines.empty()) continue;
    const std::string first = lines.substr(0, lines.find('\n'));
    const size_t last = lines.rfind('\n', lines.size() - 2);
    pages.push_back({first, lines.substr(last == std::string::npos ? 0 : last + 1, lines.size() - last - 2)});
  }
  ASSERT_EQ(3u, pages.size());
  // Page 1 shows the first-page parts, page 2 (a left page) the left ones,
  // page 3 the others.
  const int16_t headers[3] = {kPartFirstHeader, kPartLeftHeader, kPartHeader};
  const int16_t footers[3] = {kPartFirstFooter, kPartLeftFooter, kPartFooter};
  for (int page = 0; page < 3; ++page) {
    SCOPED_TRACE(page + 1);
    const std::string number = std::to_string(page + 1);
    EXPECT_EQ(pages[size_t(page)].first + "\n", Normalised(PartText(document, headers[page], number)));
    EXPECT_EQ(pages[size_t(page)].second + "\n", Normalised(PartText(document, footers[page], number)));
  }
  EXPECT_EQ(1, document.Params().GetDifferentFirstPage());
  EXPECT_EQ(1, document.Params().GetDifferentLeftRight());
}

TEST_F(WordFromLibreOffice, PicturesAtTheirImagesSizes) {
  xMorvaImportWord reader;
  ASSERT_EQ(0, Open("stories.doc", reader));
  std::vector<std::pair<int32_t, int32_t>> sizes;
  PartText(document, kPartBody, "", &sizes);
  // PNG 20 x 14, JPEG 16 x 10, the EMF of 30 x 20 and the WMF of 40 x 25
  // pixels, as the source file's pictures are.
  // A metafile's size comes from its frame in hundredths of a millimetre,
  // which may round to a pixel more.
  const std::vector<std::pair<int32_t, int32_t>> source = {{20, 14}, {16, 10}, {30, 20}, {40, 25}};
  ASSERT_EQ(source.size(), sizes.size());
  for (size_t i = 0; i < source.size(); ++i) {
    const int32_t slack = i < 2 ? 0 : 1;
    EXPECT_NEAR(source[i].first, sizes[i].first, slack) << i;
    EXPECT_NEAR(source[i].second, sizes[i].second, slack) << i;
  }
  EXPECT_EQ(0, reader.DroppedPictures());
}
TEST_F(WordFromLibreOffice, FloatingPictureAtItsAnchorAndTextBoxOutOfTheBody) {
  xMorvaImportWord reader;
  ASSERT_EQ(0, Open("floating.doc", reader));
  std::vector<std::pair<int32_t, int32_t>> sizes;
  const std::string ours = Normalised(PartText(document, kPartBody, "", &sizes));
  // antiword leaves floating pictures out; ours stands at its anchor.
  std::string antiword = peertest::ReadFile(StoriesFolder() / "floating.antiword.txt");
  antiword = antiword.substr(0, antiword.find("-----"));
  EXPECT_EQ(Normalised(antiword), std::regex_replace(ours, std::regex("\\[pic\\]"), ""));
  EXPECT_NE(std::string::npos, ours.find("picture.[pic]After"));
  EXPECT_EQ((std::vector<std::pair<int32_t, int32_t>>{{24, 18}}), sizes);
  EXPECT_EQ(std::string::npos, ours.find("Boxed words"));
  EXPECT_EQ(0, reader.DroppedPictures());
}

// A footer of two lines: they end at the footer's distance from the
// page's lower edge, and the body ends above them.
TEST_F(WordFromLibreOffice, TwoLineFooterFitsAboveItsMargin) {
  xMorvaImportWord reader;
  ASSERT_EQ(0, Open("footer.doc", reader));
  // The footer as LibreOffice prints it: the page's last two lines.
  const std::string pdf = Normalised(peertest::ReadFile(StoriesFolder() / "footer.pdftotext.txt"));
  const std::string footer = Normalised(PartText(document, kPartFooter, "1"));
  ASSERT_EQ("Footer line one\nFooter line two\n", footer);
  ASSERT_GE(pdf.size(), footer.size());
  EXPECT_EQ(footer, pdf.substr(pdf.size() - footer.size()));
  // Both lines, in the footer's font and size, between the section's
  // bottom margin and the page's lower edge.
  xMorvaEngine& part = rtftest::Engine(document, kPartFooter);
  part.SetSelection(0, 0);
  xMorvaFont font(document.GetMeasuringPort(), &document);
  font.ApplyProperty(kPropFont, part.GetPropertyValue(kPropFont), false);
  font.ApplyProperty(kPropSize, part.GetPropertyValue(kPropSize), false);
  EXPECT_EQ(12, part.GetPropertyValue(kPropSize));
  const int32_t lines = 2 * (font.GetAscent() + font.GetDescent());
  const xMorvaWordSection& section = reader.GetSection();
  const xMorvaPageBands& bands = document.Params().GetBands(false);
  EXPECT_EQ(TwipsToPixels(section.footerDistance), bands.footerBottom);
  EXPECT_GE(bands.footerTop - bands.footerBottom, lines);
  EXPECT_EQ(std::max(TwipsToPixels(section.bottom), bands.footerTop + 1), bands.bottomMargin);
  EXPECT_EQ(0, document.Params().GetDifferentFirstPage());
}

// LibreOffice's stories file with its top margin set at, below and above
// the headers' distance of 720 twips: every header starts at that
// distance and the body below the header's line, never above the file's
// top margin (area options 33 < 34 < 31); a margin that leaves the header
// its line stays as the file gives it.
TEST_F(WordFromLibreOffice, AHeaderKeepsItsRoomAboveASmallTopMargin) {
  const std::string file = peertest::ReadFile(StoriesFolder() / "stories.doc");
  const int16_t headers[2] = {kPartHeader, kPartFirstHeader};
  for (uint16_t top : {600, 720, 760, 1134, 1440}) {
    SCOPED_TRACE(top);
    const std::string patched = peertest::WithTopMargin(file, top);
    ASSERT_FALSE(patched.empty());
    oletest::MemoryFile memory(std::vector<uint8_t>(patched.begin(), patched.end()));
    xMorvaImportWord reader;
    ASSERT_EQ(0, reader.ImportWordDocument(&document, &memory.Stream()));
    ASSERT_EQ(top, reader.GetSection().top);
    ASSERT_EQ(1, document.Params().GetDifferentFirstPage());
    for (bool first : {false, true}) {
      SCOPED_TRACE(first ? "first page" : "other pages");
      xMorvaEngine& header = rtftest::Engine(document, headers[first ? 1 : 0]);
      ASSERT_GT(header.GetLength(), 0);
      header.SetSelection(0, 0);
      xMorvaFont font(document.GetMeasuringPort(), &document);
      font.ApplyProperty(kPropFont, header.GetPropertyValue(kPropFont), false);
      font.ApplyProperty(kPropSize, header.GetPropertyValue(kPropSize), false);
      const int32_t line = font.GetAscent() + font.GetDescent();
      const xMorvaPageBands& bands = document.Params().GetBands(first);
      EXPECT_EQ(TwipsToPixels(720), bands.headerTop);
      EXPECT_GE(bands.headerBottom - bands.headerTop, line);
      EXPECT_LT(bands.headerBottom, bands.topMargin);
      EXPECT_GE(bands.topMargin, TwipsToPixels(top));
      if (TwipsToPixels(top) - 1 >= TwipsToPixels(720) + line) {
        EXPECT_EQ(TwipsToPixels(top), bands.topMargin);
        EXPECT_EQ(TwipsToPixels(top) - 1, bands.headerBottom);
      } else {
        EXPECT_EQ(TwipsToPixels(720) + line + 1, bands.topMargin);
      }
    }
  }
}

// LibreOffice's Word file of a table whose heading row is in its "Table
// Heading" sheet (bold, centred) and whose other row is in "Table
// Contents", beside its RTF of the same table: each word of a row, to its
// last letter, and the tab after it are in the row's sheet, with the look
// the RTF gives them (which names no sheet that we read).
TEST_F(WordFromLibreOffice, ATableRowKeepsItsSheetToItsEnd) {
  const fs::path folder = StoriesFolder().parent_path() / "rows";
  // Each word (the text between tabs and paragraph ends) with the sheet
  // names, or the looks, of its characters and of the tab after it.
  auto words = [](xMorvaDocument& document, bool sheets) {
    std::map<std::string, std::set<std::string>> out;
    xMorvaEngine& body = rtftest::Engine(document, kPartBody);
    const std::vector<rtftest::Position> positions = rtftest::Positions(document, kPartBody);
    std::string word;
    std::set<std::string> seen;
    for (size_t i = 0; i < positions.size(); ++i) {
      const rtftest::Position& p = positions[i];
      if (p.unit == u'\r' && word.empty()) continue;
      if (p.unit != u'\r' && sheets) {
        body.SetSelection(int32_t(i), int32_t(i + 1));
        VStr<255> name;
        document.GetStyleSheetName(int16_t(body.GetPropertyValue(kPropStyleSheet)), name, false);
        char16_t units[256] = {};
        name.GetUniCText(units, 255);
        seen.insert(std::string(units, units + std::char_traits<char16_t>::length(units)));
      } else if (p.unit != u'\r') {
        seen.insert("bold " + std::to_string(p.properties.at(kPropBold)) + " size " +
                    std::to_string(p.properties.at(kPropSize)));
      }
      if (p.unit == u'\t' || p.unit == u'\r') {
        out[word] = seen;
        word.clear();
        seen.clear();
      } else {
        word += char(p.unit);
      }
    }
    return out;
  };
  const std::string doc = peertest::ReadFile(folder / "headedtable.doc");
  oletest::MemoryFile memory(std::vector<uint8_t>(doc.begin(), doc.end()));
  xMorvaImportWord reader;
  ASSERT_EQ(0, reader.ImportWordDocument(&document, &memory.Stream()));
  const auto sheets = words(document, true), looks = words(document, false);
  xMorvaDocument fromRtf(nullptr);
  ASSERT_EQ(0, rtftest::Import(fromRtf, peertest::ReadFile(folder / "headedtable.libreoffice.rtf")));
  const auto peer = words(fromRtf, false);
  for (const char* word : {"Item", "Unit", "Price", "Apples", "Pound", "Three"}) {
    SCOPED_TRACE(word);
    ASSERT_TRUE(sheets.count(word));
    ASSERT_TRUE(peer.count(word));
    const bool heading = std::string("Item Unit Price").find(word) != std::string::npos;
    EXPECT_EQ(std::set<std::string>{heading ? "Table Heading" : "Table Contents"}, sheets.at(word));
    EXPECT_EQ(peer.at(word), looks.at(word));
    EXPECT_EQ(1u, looks.at(word).size());
  }
}

// LibreOffice's Word files of footers of one line, of three lines, and of
// "Foot" followed by two empty paragraphs ({\footer Foot\par\par\par} in
// the RTF it was made from): each footer holds the paragraphs LibreOffice
// reads (its flat XML of each file has those), and keeps them through
// three trips through our Word writer.
TEST_F(WordFromLibreOffice, FootersKeepTheirParagraphsThroughOurWordFiles) {
  const fs::path footers = StoriesFolder().parent_path().parent_path() / "footers";
  const std::pair<const char*, const char*> rows[] = {{"footer1", "Footer of one line"},
                                                      {"footer3", "Footer line one\nFooter line two\nFooter line three"},
                                                      {"emptyends", "Foot\n\n"}};
  for (const auto& [name, paragraphs] : rows) {
    SCOPED_TRACE(name);
    const std::string bytes = peertest::ReadFile(footers / (std::string(name) + ".doc"));
    std::vector<uint8_t> file(bytes.begin(), bytes.end());
    for (int trip = 0; trip <= 3; ++trip) {
      oletest::MemoryFile memory(file);
      xMorvaImportWord reader;
      document.Reset(false);
      ASSERT_EQ(0, reader.ImportWordDocument(&document, &memory.Stream()));
      EXPECT_EQ(paragraphs, PartText(document, kPartFooter, "")) << "trip " << trip;
      oletest::MemoryFile written;
      xMorvaExportWord writer;
      ASSERT_EQ(0, writer.ExportWordDocument(&document, &written.Stream()));
      file = written.Contents();
    }
  }
}
