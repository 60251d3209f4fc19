// RTF exchanged with the programs people use: files that LibreOffice,
// AbiWord and pandoc wrote from our fixtures (made by
// tools/make_rtf_peer_fixtures.py and committed with the text LibreOffice
// reads from each) are read here without the programs; our own files are
// read by the programs themselves, under the ctest label "peers".
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <regex>
#include <string>

#include "document/DocumentUnits.h"
#include "framework/core/values/VPictureMaker.h"
#include "graphics/pictures/VQuickTimePictures.h"
#include "interchange/html/xMorvaExportHTML.h"
#include "interchange/tests/LinkTestSupport.h"
#include "interchange/tests/TextTestSupport.h"
#include "interchange/tests/PeerTestSupport.h"
#include "interchange/tests/RtfTestSupport.h"

using namespace rtftest;
using peertest::HasProgram;
using peertest::Output;
using peertest::ReadFile;
namespace fs = std::filesystem;

namespace {

fs::path FixtureFolder() {
  fs::path source(__FILE__);
  if (source.is_relative()) {
    // Compiled with a path relative to the build folder, where the test
    // program lies.
    source = fs::read_symlink("/proc/self/exe").parent_path() / source;
  }
  return source.parent_path() / "fixtures" / "rtf";
}

// One paragraph a line, each line's white space collapsed to single
// spaces, empty lines and a byte-order mark dropped.
std::string Normalise(const std::string& text) {
  std::string out;
  std::string line;
  auto flush = [&]() {
    std::string collapsed;
    bool space = false;
    for (char c : line) {
      if (c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f') {
        space = !collapsed.empty();
        continue;
      }
      if (space) collapsed += ' ';
      space = false;
      collapsed += c;
    }
    if (!collapsed.empty()) out += collapsed + "\n";
    line.clear();
  };
  size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  for (size_t i = start; i < text.size(); ++i) {
    if (text[i] == '\n') {
      flush();
    } else {
      line += text[i];
    }
  }
  flush();
  return out;
}

// The part's text as UTF-8, paragraph ends as line ends, tabs as spaces.
std::string Utf8Of(xMorvaDocument& document, int16_t part) {
  std::string out;
  for (const Position& p : Positions(document, part)) {
    const char16_t u = p.unit;
    if (u == 13 || u == u'\f') {
      out += '\n';
    } else if (u == u'\t') {
      out += ' ';
    } else if (u < 32) {
      continue;
    } else if (u < 0x80) {
      out += char(u);
    } else if (u < 0x800) {
      out += char(0xC0 | (u >> 6));
      out += char(0x80 | (u & 0x3F));
    } else {
      out += char(0xE0 | (u >> 12));
      out += char(0x80 | ((u >> 6) & 0x3F));
      out += char(0x80 | (u & 0x3F));
    }
  }
  return out;
}

// The position where `word` starts in the part's text; -1 when absent.
int32_t Find(xMorvaDocument& document, int16_t part, const std::u16string& word) {
  std::u16string text;
  for (const Position& p : Positions(document, part)) text += p.unit;
  const size_t at = text.find(word);
  return at == std::u16string::npos ? -1 : int32_t(at);
}

int32_t PropertyOf(xMorvaDocument& document, int16_t part, const std::u16string& word, uint16_t id) {
  const int32_t at = Find(document, part, word);
  EXPECT_GE(at, 0);
  if (at < 0) return -999;
  return Positions(document, part)[size_t(at)].properties.at(id);
}

class RtfPeerFiles : public Fixture {
 protected:
  void Read(const std::string& name) {
    document = NewDocument();
    const std::string rtf = ReadFile(FixtureFolder() / (name + ".rtf"));
    ASSERT_FALSE(rtf.empty()) << name;
    ASSERT_EQ(0, Import(*document, rtf)) << name;
    EXPECT_EQ(Normalise(ReadFile(FixtureFolder() / (name + ".txt"))), Normalise(Utf8Of(*document, kPartBody)))
        << name;
  }
  std::unique_ptr<xMorvaDocument> document;
};

}  // namespace

TEST_F(RtfPeerFiles, StyledTextFromEachPeer) {
  for (const char* peer : {"libreoffice", "abiword", "pandoc"}) {
    SCOPED_TRACE(peer);
    Read(std::string("styled.") + peer);
    EXPECT_EQ(1, PropertyOf(*document, kPartBody, u"Bold", kPropBold));
    EXPECT_EQ(0, PropertyOf(*document, kPartBody, u"Plain", kPropBold));
    EXPECT_EQ(1, PropertyOf(*document, kPartBody, u"Italic", kPropItalic));
    EXPECT_EQ(1, PropertyOf(*document, kPartBody, u"Under", kPropUnderline));
    if (std::string(peer) == "pandoc") continue;  // pandoc writes no sizes, fonts or colours
    EXPECT_EQ(20, PropertyOf(*document, kPartBody, u"Large", kPropSize));
    EXPECT_EQ(12, PropertyOf(*document, kPartBody, u"Plain", kPropSize));
    EXPECT_EQ("Liberation Mono", FontName(*document, PropertyOf(*document, kPartBody, u"Mono", kPropFont)));
    EXPECT_EQ(0x0000FF, PropertyOf(*document, kPartBody, u"Red", kPropTextColour));
    EXPECT_EQ(0, PropertyOf(*document, kPartBody, u"Plain", kPropTextColour));
  }
}

TEST_F(RtfPeerFiles, HeadersFootersAndPagesFromEachPeer) {
  for (const char* peer : {"libreoffice", "abiword"}) {
    SCOPED_TRACE(peer);
    Read(std::string("pages.") + peer);
    EXPECT_EQ("Header of the pages fixture", Utf8Of(*document, kPartHeader));
    EXPECT_EQ("Footer of the pages fixture", Utf8Of(*document, kPartFooter));
    // A5: 14.8 cm wide, 21 cm high.
    EXPECT_NEAR(TwipsToPixels(8391), document->GetParams().GetPageWidth(), 1);
    EXPECT_NEAR(TwipsToPixels(11906), document->GetParams().GetPageHeight(), 1);
    EXPECT_EQ(1, PropertyOf(*document, kPartBody, u"strong", kPropBold));
    EXPECT_EQ(0, PropertyOf(*document, kPartBody, u"Body", kPropBold));
    EXPECT_EQ(1, PropertyOf(*document, kPartBody, u"Centred", kPropAlignment));
    EXPECT_EQ(0, PropertyOf(*document, kPartBody, u"Second", kPropAlignment));
  }
  // LibreOffice keeps the margins in the document's settings.
  Read("pages.libreoffice");
  EXPECT_EQ(TwipsToPixels(1417), document->GetParams().GetLeftMargin());
  EXPECT_EQ(TwipsToPixels(850), document->GetParams().GetRightMargin());
}

// LibreOffice's body paragraphs name a style based on the default one and
// rely on it for their font and size, and on their own style for the
// spacing; text that names no font is in the \deff font.
TEST_F(RtfPeerFiles, StyledParagraphsTakeTheirStylesFormatting) {
  Read("styled.libreoffice");
  EXPECT_EQ("Liberation Serif", FontName(*document, PropertyOf(*document, kPartBody, u"Plain", kPropFont)));
  EXPECT_EQ(12, PropertyOf(*document, kPartBody, u"Plain", kPropSize));
  // 1.15 lines and 7 points after each paragraph.
  EXPECT_GT(PropertyOf(*document, kPartBody, u"Plain", kPropInterline), 11);
}

// AbiWord gives a section's margins, columns and header distance after
// \sectd (its document-level margins are its defaults); LibreOffice gives
// them at both levels.
TEST_F(RtfPeerFiles, SectionMarginsAndColumnsFromEachPeer) {
  for (const char* peer : {"abiword", "libreoffice"}) {
    SCOPED_TRACE(peer);
    Read(std::string("columns.") + peer);
    const xMorvaDocParams& params = document->GetParams();
    EXPECT_EQ("Running header of the fixture", Utf8Of(*document, kPartHeader));
    EXPECT_NEAR(TwipsToPixels(8391), params.GetPageWidth(), 1);
    EXPECT_EQ(TwipsToPixels(1417), params.GetLeftMargin());
    EXPECT_EQ(TwipsToPixels(850), params.GetRightMargin());
    EXPECT_EQ(2, params.GetColumns());
    EXPECT_EQ(TwipsToPixels(566), params.GetColumnSpacing());
    const xMorvaPageBands& bands = params.GetBands(false);
    EXPECT_EQ(TwipsToPixels(1417), bands.topMargin);
    EXPECT_EQ(TwipsToPixels(567), bands.headerTop);
  }
}

// Cyrillic and Greek text (AbiWord writes it with \uc0: no fallback after
// each \u) and a link's text (a field's result) from each peer.
TEST_F(RtfPeerFiles, ScriptsAndLinkTextFromEachPeer) {
  for (const char* peer : {"libreoffice", "abiword", "pandoc"}) {
    SCOPED_TRACE(peer);
    document = NewDocument();
    const std::string rtf = ReadFile(FixtureFolder() / (std::string("scripts.") + peer + ".rtf"));
    ASSERT_FALSE(rtf.empty());
    ASSERT_EQ(0, Import(*document, rtf));
    const std::string text = Normalise(Utf8Of(*document, kPartBody));
    EXPECT_NE(std::string::npos,
              text.find("\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9 "
                        "\xD1\x82\xD0\xB5\xD0\xBA\xD1\x81\xD1\x82 with "
                        "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC and caf\xC3\xA9.\n"))
        << text;
    EXPECT_NE(std::string::npos, text.find("A link to a page in the middle.\n")) << text;
  }
}

// LibreOffice's headings in its outline list carry an empty label
// ({\listtext\pard\plain \tab}): no tab before their text. The body
// style's 1.15 lines and space after widen its paragraphs' interline, the
// headings' space before and after theirs.
TEST_F(RtfPeerFiles, HeadingsAndBodySpacingFromEachPeer) {
  for (const char* peer : {"libreoffice", "abiword"}) {
    SCOPED_TRACE(peer);
    Read(std::string("headings.") + peer);
    EXPECT_EQ(0, Find(*document, kPartBody, u"First heading"));
    EXPECT_EQ(1, PropertyOf(*document, kPartBody, u"Second heading", kPropBold));
    EXPECT_EQ(u'\r', Positions(*document, kPartBody)[size_t(Find(*document, kPartBody, u"Second heading")) - 1].unit);
    EXPECT_EQ("Liberation Serif", FontName(*document, PropertyOf(*document, kPartBody, u"Last body", kPropFont)));
    EXPECT_EQ(12, PropertyOf(*document, kPartBody, u"Last body", kPropSize));
    EXPECT_GT(PropertyOf(*document, kPartBody, u"Last body", kPropInterline), 11);
    EXPECT_GT(PropertyOf(*document, kPartBody, u"First heading", kPropInterline), 10);
  }
}

// Lists open with their bullets: pandoc writes each as \bullet (and a
// nested item's as \endash), AbiWord as \bullet in its label group,
// LibreOffice as \u8226 there. pandoc's file reads as LibreOffice reads
// it; LibreOffice shows the others' nested items with the bullets of their
// list tables, and AbiWord's numbers from there alone, which we do not
// read.
TEST_F(RtfPeerFiles, ListsOpenWithTheirBullets) {
  for (const char* peer : {"libreoffice", "abiword", "pandoc"}) {
    SCOPED_TRACE(peer);
    document = NewDocument();
    ASSERT_EQ(0, Import(*document, ReadFile(FixtureFolder() / (std::string("lists.") + peer + ".rtf"))));
    const std::string text = Normalise(Utf8Of(*document, kPartBody));
    for (const char* item : {"Apples", "Pears", "Plums"})
      EXPECT_NE(std::string::npos, text.find(std::string("\u2022 ") + item + "\n")) << item << "\n" << text;
    if (std::string(peer) != "abiword") {
      EXPECT_NE(std::string::npos, text.find("2. Cut\n")) << text;
    }
  }
  Read("lists.pandoc");
}

// LibreOffice 7.4 writes zero bytes into the colour table of the RTF it
// makes of some HTML pages (the fixture: its RTF of a page with coloured
// text, a table and a link, with four such bytes in the table). The file
// opens whole, with the colours the table names.
TEST_F(RtfPeerFiles, ZeroBytesOfLibreOfficesColourTableAreSkipped) {
  ASSERT_NE(std::string::npos, ReadFile(FixtureFolder() / "zeros.libreoffice.rtf").find('\0'));
  Read("zeros.libreoffice");
  EXPECT_EQ(0x0000FF, PropertyOf(*document, kPartBody, u"Red on yellow", kPropTextColour));
  EXPECT_EQ(0x00FF00, PropertyOf(*document, kPartBody, u"Green", kPropTextColour));
  EXPECT_NE(-1, Find(*document, kPartBody, u"A link text."));
}

// ---- Our files read by the peers.

namespace {

class RtfPeers : public Fixture {
 protected:
  void SetUp() override {
    if (std::getenv("QV_PEER_TESTS") == nullptr) GTEST_SKIP() << "peer checks run under the ctest label peers";
    folder = fs::temp_directory_path() / ("qv-rtf-peers-" + std::to_string(getpid()));
    fs::create_directories(folder);
  }
  void TearDown() override {
    std::error_code ignored;
    if (!folder.empty()) fs::remove_all(folder, ignored);
  }

  // A document with styled body text in three paragraphs, a header and a
  // footer, written to ours.rtf.
  fs::path WriteOurs() {
    document = NewDocument();
    xMorvaEngine& body = Engine(*document, kPartBody);
    Type(body, u"Our first paragraph with bold words.\nSecond paragraph: caf\u00e9 \u20ac {braces} \\ end.\n"
               u"Third\tafter a tab.");
    body.SetSelection(25, 29);
    body.SetPropertyValue(kPropBold, 1);
    body.SetPropertyValue(kPropTextColour, 0x0000FF);
    Type(Engine(*document, kPartHeader), u"Our header line");
    Type(Engine(*document, kPartFooter), u"Our footer line");
    const fs::path path = folder / "ours.rtf";
    std::ofstream(path, std::ios::binary) << Export(*document);
    return path;
  }

  // The share of dark pixels in the box that holds all the ink of page 1
  // of a PDF, at 60 dots an inch; -1 when the page cannot be had.
  double DarkShare(const fs::path& pdf) {
    const fs::path stem = pdf.parent_path() / (pdf.stem().string() + "-page");
    const std::string command = "pdftoppm -r 60 -gray -f 1 -l 1 -singlefile " + pdf.string() + " " + stem.string();
    if (std::system(command.c_str()) != 0) return -1;
    std::istringstream in(ReadFile(stem.string() + ".pgm"));
    std::string magic;
    int width = 0, height = 0, maximum = 0;
    in >> magic >> width >> height >> maximum;
    in.get();
    std::string pixels(size_t(width) * size_t(height), '\0');
    if (magic != "P5" || !in.read(pixels.data(), std::streamsize(pixels.size()))) return -1;
    auto at = [&](int x, int y) { return uint8_t(pixels[size_t(y) * size_t(width) + size_t(x)]); };
    int left = width, right = -1, top = height, bottom = -1;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        if (at(x, y) >= 250) continue;
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
    }
    if (right < 0) return -1;
    int dark = 0;
    for (int y = top; y <= bottom; ++y)
      for (int x = left; x <= right; ++x) dark += at(x, y) < 128 ? 1 : 0;
    return double(dark) / double((right - left + 1) * (bottom - top + 1));
  }

  std::string Soffice(const std::string& arguments) {
    return "soffice -env:UserInstallation=file://" + (folder / "profile").string() + " --headless " + arguments +
           " --outdir " + folder.string() + " >/dev/null 2>&1";
  }

  const std::string kBody =
      "Our first paragraph with bold words.\nSecond paragraph: café € {braces} \\ end.\nThird after a tab.\n";
  fs::path folder;
  std::unique_ptr<xMorvaDocument> document;
};

}  // namespace

TEST_F(RtfPeers, LibreOfficeReadsTextHeadersAndFooters) {
  if (!HasProgram("soffice") || !HasProgram("pdftotext")) GTEST_SKIP() << "soffice or pdftotext is not installed";
  const fs::path ours = WriteOurs();
  ASSERT_EQ(0, std::system(Soffice("--convert-to \"txt:Text (encoded):UTF8\" " + ours.string()).c_str()));
  EXPECT_EQ(kBody, Normalise(ReadFile(folder / "ours.txt")));
  ASSERT_EQ(0, std::system(Soffice("--convert-to pdf " + ours.string()).c_str()));
  const std::string pdf = Output("pdftotext -layout " + (folder / "ours.pdf").string() + " -");
  EXPECT_NE(std::string::npos, pdf.find("Our header line")) << pdf;
  EXPECT_NE(std::string::npos, pdf.find("Our footer line")) << pdf;
  EXPECT_NE(std::string::npos, pdf.find("Second paragraph")) << pdf;
}

// A link made on "Kyiv [picture] and Odesa", "and" in italics: LibreOffice
// reads it from our RTF and from our HTML with the picture and the italic
// word inside the link.
TEST_F(RtfPeers, LibreOfficeReadsOurLinksWithTheirLooks) {
  if (!HasProgram("soffice")) GTEST_SKIP() << "soffice is not installed";
  ASSERT_NE(0u, StartQuickTime());
  VInstalledService<const VPictureMaker> pictures(&kPictureValueMaker);
  document = NewDocument();
  TypeLinkedCities(Engine(*document, kPartBody), "https://k.ua/");
  const fs::path html = folder / "link-html.html", rtf = folder / "link-rtf.rtf";
  std::ofstream(rtf, std::ios::binary) << Export(*document);
  const auto page = texttest::Written([&](VStream& stream) {
    xMorvaExportHTML writer;
    return writer.ExportHTMLDocument(*document, stream, html.string());
  });
  std::ofstream(html, std::ios::binary).write(reinterpret_cast<const char*>(page.data()), std::streamsize(page.size()));
  for (const auto& [path, filter] : {std::pair{rtf, "Rich Text Format"}, {html, "HTML (StarWriter)"}}) {
    SCOPED_TRACE(filter);
    ASSERT_EQ(0, std::system(Soffice("--infilter='" + std::string(filter) + "' --convert-to fodt " + path.string()).c_str()));
    const std::string fodt = ReadFile(fs::path(path).replace_extension(".fodt"));
    const size_t open = fodt.find("<text:a "), close = fodt.find("</text:a>", open);
    ASSERT_NE(std::string::npos, close) << fodt;
    const std::string a = fodt.substr(open, close - open);
    for (const char* piece : {"xlink:href=\"https://k.ua/\"", "Kyiv", "<draw:frame", "Odesa"})
      EXPECT_NE(std::string::npos, a.find(piece)) << piece << "\n" << a;
    // "and" in a span of an italic style.
    std::smatch span;
    ASSERT_TRUE(std::regex_search(a, span, std::regex("<text:span text:style-name=\"([^\"]+)\">and</text:span>"))) << a;
    EXPECT_TRUE(std::regex_search(fodt, std::regex("<style:style style:name=\"" + span[1].str() +
                                                   "\"[^>]*>\\s*<style:text-properties[^>]*fo:font-style=\"italic\"")))
        << fodt;
  }
  StopQuickTime();
}

// The zero bytes LibreOffice writes into a colour table: LibreOffice reads
// its file as we do, all its text.
TEST_F(RtfPeers, LibreOfficesFileWithZeroBytesReadsAsItReadsIt) {
  if (!HasProgram("soffice")) GTEST_SKIP() << "soffice is not installed";
  const fs::path copy = folder / "zeros.rtf";
  fs::copy_file(FixtureFolder() / "zeros.libreoffice.rtf", copy);
  ASSERT_EQ(0, std::system(Soffice("--convert-to \"txt:Text (encoded):UTF8\" " + copy.string()).c_str()));
  document = NewDocument();
  ASSERT_EQ(0, Import(*document, ReadFile(copy)));
  EXPECT_EQ(Normalise(ReadFile(folder / "zeros.txt")), Normalise(Utf8Of(*document, kPartBody)));
}

// AbiWord prints a line typed in an area and saved as RTF inked as it
// prints its own RTF of the line: no background written as index 0, which
// it paints black, covered the line with a bar.
TEST_F(RtfPeers, AbiWordInksOurLineAsItInksItsOwn) {
  if (!HasProgram("abiword") || !HasProgram("pdftoppm")) GTEST_SKIP() << "abiword or pdftoppm is not installed";
  document = NewDocument();
  Type(Engine(*document, kPartBody), u"A line typed in an area");
  std::ofstream(folder / "line.rtf", std::ios::binary) << Export(*document);
  std::ofstream(folder / "line.txt") << "A line typed in an area\n";
  const std::string abiword = "abiword >/dev/null 2>&1 ";
  ASSERT_EQ(0, std::system((abiword + "--to=rtf -o " + (folder / "own.rtf").string() + " " +
                            (folder / "line.txt").string()).c_str()));
  for (const char* name : {"line", "own"}) {
    const fs::path rtf = folder / (std::string(name) + ".rtf");
    ASSERT_EQ(0, std::system((abiword + "--to=pdf -o " + (folder / name).string() + ".pdf " + rtf.string()).c_str()));
  }
  const double ours = DarkShare(folder / "line.pdf");
  const double own = DarkShare(folder / "own.pdf");
  ASSERT_GT(own, 0.02);
  EXPECT_GT(ours, 0.02);
  EXPECT_LT(ours, own * 1.6) << "ours " << ours << ", AbiWord's own " << own;
}

// AbiWord prints our header and footer. (It leaves out a header that has
// less room than its first line between its distance from the page's
// edge and the top margin; our default distances give it room.)
TEST_F(RtfPeers, AbiWordPrintsOurHeaderAndFooter) {
  if (!HasProgram("abiword") || !HasProgram("pdftotext")) GTEST_SKIP() << "abiword or pdftotext is not installed";
  const fs::path ours = WriteOurs();
  const fs::path pdf = folder / "ours.abiword.pdf";
  ASSERT_EQ(0, std::system(("abiword >/dev/null 2>&1 --to=pdf -o " + pdf.string() + " " + ours.string()).c_str()));
  const std::string text = Output("pdftotext -f 1 -l 1 -layout " + pdf.string() + " -");
  for (const char* line : {"Our header line", "Our first paragraph", "Our footer line"})
    EXPECT_NE(std::string::npos, text.find(line)) << line << "\n" << text;
}

// unrtf's text output leaves out headers and footers, breaks the line
// after a tab and writes Latin-1, with "?" for characters Latin-1 lacks:
// the words are compared, in order.
TEST_F(RtfPeers, UnrtfReadsTheText) {
  if (!HasProgram("unrtf")) GTEST_SKIP() << "unrtf is not installed";
  const fs::path ours = WriteOurs();
  const std::string text = Output("unrtf --text " + ours.string() + " 2>/dev/null");
  std::string kept;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    // Its comment lines and the title block of the information group.
    if (line.rfind("###", 0) == 0 || line.rfind("TITLE:", 0) == 0 || line.rfind("AUTHOR:", 0) == 0 ||
        line.rfind("-----", 0) == 0)
      continue;
    for (unsigned char c : line) {
      if (c < 0x80) {
        kept += char(c);
      } else {
        kept += char(0xC0 | (c >> 6));
        kept += char(0x80 | (c & 0x3F));
      }
    }
    kept += ' ';
  }
  std::string expected = kBody;
  expected.replace(expected.find("\u20ac"), 3, "?");
  auto words = [](const std::string& t) {
    std::string line;
    for (char c : t) line += c == '\n' ? ' ' : c;
    return Normalise(line);
  };
  EXPECT_EQ(words(expected), words(kept)) << text;
}

TEST_F(RtfPeers, PandocReadsTheText) {
  if (!HasProgram("pandoc")) GTEST_SKIP() << "pandoc is not installed";
  const fs::path ours = WriteOurs();
  const std::string text = Output("pandoc --wrap=none -f rtf -t plain " + ours.string());
  EXPECT_EQ(kBody, Normalise(text)) << text;
}

// A list pandoc writes now opens with every bullet.
TEST_F(RtfPeers, PandocListsOpenWithTheirBullets) {
  if (!HasProgram("pandoc")) GTEST_SKIP() << "pandoc is not installed";
  const fs::path source = folder / "list.md";
  std::ofstream(source) << "- one\n- two\n    - nested\n\n1. first\n\nA\u2003gap.\n";
  const std::string rtf = Output("pandoc -s -t rtf " + source.string());
  document = NewDocument();
  ASSERT_EQ(0, Import(*document, rtf)) << rtf;
  EXPECT_EQ("\u2022 one\n\u2022 two\n\u2013 nested\n1. first\nA\u2003gap.\n", Normalise(Utf8Of(*document, kPartBody)))
      << rtf;
}

// Written by us, read back by us: what the peers read is what we meant.
TEST_F(RtfPeers, OurFileReadsBackWithItsProperties) {
  const fs::path ours = WriteOurs();
  auto copy = NewDocument();
  ASSERT_EQ(0, Import(*copy, ReadFile(ours)));
  EXPECT_EQ(Normalise(kBody), Normalise(Utf8Of(*copy, kPartBody)));
  EXPECT_EQ("Our header line", Utf8Of(*copy, kPartHeader));
  EXPECT_EQ(1, PropertyOf(*copy, kPartBody, u"bold", kPropBold));
  EXPECT_EQ(0x0000FF, PropertyOf(*copy, kPartBody, u"bold", kPropTextColour));
  EXPECT_EQ(0, PropertyOf(*copy, kPartBody, u"words", kPropBold));
}
