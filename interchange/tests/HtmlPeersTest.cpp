// HTML exchanged with the programs people use: pages that pandoc and
// LibreOffice wrote from our fixture sources (made by
// tools/make_html_peer_fixtures.py and committed with the text pandoc
// reads from each) are read here without the programs; our own pages are
// checked by tidy, pandoc and LibreOffice themselves, under the ctest label
// "peers".
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "area/view/xMorvaHyperlink.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "interchange/html/xMorvaExportHTML.h"
#include "interchange/html/xMorvaImportHTML.h"
#include "interchange/tests/RtfTestSupport.h"

using namespace rtftest;
namespace fs = std::filesystem;

namespace {

fs::path HtmlFixtureFolder() {
  fs::path source(__FILE__);
  if (source.is_relative()) source = fs::read_symlink("/proc/self/exe").parent_path() / source;
  return source.parent_path() / "fixtures" / "html";
}

std::string ReadWhole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

// The words of a UTF-8 text: runs of anything but ASCII white space and
// punctuation, so that list markers, table rules and line breaks drop out.
std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    const bool separator = u < 128 && !std::isalnum(u);
    if (!separator) {
      word += c;
    } else if (!word.empty()) {
      words.push_back(word);
      word.clear();
    }
  }
  if (!word.empty()) words.push_back(word);
  return words;
}

// The body as UTF-8, a link element shown as its title.
// Our HTML of a document, as the writer puts it in a file; empty when
// the writer fails.
std::string OurPage(xMorvaDocument& document) {
  VMemHandle handle = 0;
  VHandleStream stream(handle);
  if (stream.OpenWrite() != 0) return "";
  xMorvaExportHTML writer;
  const bool written = writer.ExportHTMLDocument(document, stream, "");
  stream.CloseWrite(1);
  std::string page(static_cast<const char*>(gMemoryMgr->LockHandle(handle)), gMemoryMgr->GetHandleSize(handle));
  gMemoryMgr->UnlockHandle(handle);
  gMemoryMgr->DisposeHandle(handle);
  return written ? page : "";
}

std::string BodyUtf8(xMorvaDocument& document) {
  std::string out;
  auto put = [&](char32_t u) {
    if (u < 0x80) {
      out += char(u);
    } else if (u < 0x800) {
      out += char(0xC0 | (u >> 6)), out += char(0x80 | (u & 0x3F));
    } else {
      out += char(0xE0 | (u >> 12)), out += char(0x80 | ((u >> 6) & 0x3F)), out += char(0x80 | (u & 0x3F));
    }
  };
  xMorvaEngine& body = Engine(document, kPartBody);
  const auto positions = Positions(document, kPartBody);
  for (size_t i = 0; i < positions.size(); ++i) {
    if (positions[i].unit == 31) {
      body.SetSelection(int32_t(i), int32_t(i) + 1);
      xMorvaHyperlink link;
      if (body.GetHyperlinkAtSelection(link))
        for (int32_t k = 1; k <= link.GetTitle().GetLength(); ++k) put(link.GetTitle().GetCharAt(k));
      continue;
    }
    put(positions[i].unit == 13 ? u'\n' : positions[i].unit);
  }
  return out;
}

int32_t PropertyAt(xMorvaDocument& document, const std::string& word, uint16_t id) {
  const std::string text = BodyUtf8(document);
  const size_t at = text.find(word);
  EXPECT_NE(std::string::npos, at) << word;
  if (at == std::string::npos) return -999;
  // The position of a byte offset: ASCII text before the word keeps them equal
  // only up to the first character above 127, so count characters.
  int32_t position = 0;
  for (size_t i = 0; i < at; ++i)
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++position;
  return Positions(document, kPartBody)[size_t(position)].properties.at(id);
}

bool PeerRun(const std::string& command, std::string* output = nullptr) {
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return false;
  char buffer[4096];
  std::string out;
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  const int status = pclose(pipe);
  if (output != nullptr) *output = out;
  return status != -1;
}

class HtmlPeers : public Fixture {};

}  // namespace

TEST_F(HtmlPeers, PagesFromEachPeerReadAsTheirPlainText) {
  for (const char* peer : {"pandoc", "libreoffice"}) {
    SCOPED_TRACE(peer);
    const std::string page = ReadWhole(HtmlFixtureFolder() / (std::string("page.") + peer + ".html"));
    ASSERT_FALSE(page.empty());
    auto document = NewDocument();
    xMorvaImportHTML reader;
    ASSERT_EQ(0, reader.ImportHTMLBytes(*document, reinterpret_cast<const uint8_t*>(page.data()),
                                        uint32_t(page.size()), ""));
    const std::string expected = ReadWhole(HtmlFixtureFolder() / (std::string("page.") + peer + ".txt"));
    EXPECT_EQ(Words(expected), Words(BodyUtf8(*document)));
    EXPECT_EQ(1, PropertyAt(*document, "bold words", kPropBold));
    EXPECT_EQ(0, PropertyAt(*document, "Plain words", kPropBold));
    EXPECT_EQ(1, PropertyAt(*document, "italic", kPropItalic));
    // Cells are tab-separated.
    const std::string text = BodyUtf8(*document);
    const size_t alpha = text.find("alpha");
    ASSERT_NE(std::string::npos, alpha);
    const size_t tab = text.find('\t', alpha);
    ASSERT_NE(std::string::npos, tab);
    EXPECT_LT(tab, text.find("beta"));
  }
}

// A document of styled text in several paragraphs, and the page we write
// from it.
static std::string WriteOurPage(xMorvaDocument& document) {
  xMorvaEngine& body = Engine(document, kPartBody);
  Type(body, u"First <paragraph> & more\nbold and italic \u00E9\u20AC\nlast\tline");
  body.SetSelection(25, 29);
  body.SetPropertyValue(kPropBold, 1);
  body.SetSelection(27, 40);
  body.SetPropertyValue(kPropItalic, 1);
  body.SetSelection(0, 5);
  body.SetPropertyValue(kPropSize, 18);
  body.SetPropertyValue(kPropTextColour, 0x0000FF);
  return OurPage(document);
}

TEST_F(HtmlPeers, OurPagesPassTidyAndReadBackInThePeers) {
  if (std::getenv("QV_PEER_TESTS") == nullptr) GTEST_SKIP() << "peer checks run under the ctest label peers";
  auto document = NewDocument();
  const std::string page = WriteOurPage(*document);
  ASSERT_FALSE(page.empty());

  const fs::path folder = fs::temp_directory_path() / ("qv-html-peers-" + std::to_string(getpid()));
  fs::create_directories(folder);
  const fs::path file = folder / "ours.html";
  std::ofstream(file, std::ios::binary) << page;

  std::string report;
  ASSERT_TRUE(PeerRun("tidy -q -e '" + file.string() + "' 2>&1", &report));
  EXPECT_EQ(std::string::npos, report.find("Error:")) << report;

  const std::vector<std::string> ours = Words(BodyUtf8(*document));
  std::string text;
  ASSERT_TRUE(PeerRun("pandoc -f html -t plain --wrap=none '" + file.string() + "'", &text));
  EXPECT_EQ(ours, Words(text));
  ASSERT_TRUE(PeerRun("cd '" + folder.string() + "' && soffice -env:UserInstallation=file://" + folder.string() +
                      "/profile --headless --convert-to txt:Text ours.html >/dev/null 2>&1"));
  std::string office = ReadWhole(folder / "ours.txt");
  if (office.compare(0, 3, "\xEF\xBB\xBF") == 0) office.erase(0, 3);
  EXPECT_EQ(ours, Words(office));

  auto again = NewDocument();
  xMorvaImportHTML reader;
  ASSERT_EQ(0, reader.ImportHTMLBytes(*again, reinterpret_cast<const uint8_t*>(page.data()), uint32_t(page.size()), ""));
  EXPECT_EQ(ours, Words(BodyUtf8(*again)));
  EXPECT_EQ(1, PropertyAt(*again, "bold", kPropBold));
  EXPECT_EQ(1, PropertyAt(*again, "italic", kPropItalic));
  fs::remove_all(folder);
}

// Browsers read our pages as html5lib does: the same words, and no parse
// error but the note that the document type is of HTML 4, which a parser of
// today's HTML takes for an old page.
TEST_F(HtmlPeers, OurPagesParseInHtml5lib) {
  if (std::getenv("QV_PEER_TESTS") == nullptr) GTEST_SKIP() << "peer checks run under the ctest label peers";
  auto document = NewDocument();
  const std::string page = WriteOurPage(*document);
  ASSERT_FALSE(page.empty());
  const fs::path folder = fs::temp_directory_path() / ("qv-html5lib-" + std::to_string(getpid()));
  fs::create_directories(folder);
  const fs::path file = folder / "ours.html";
  std::ofstream(file, std::ios::binary) << page;
  fs::path tool(__FILE__);
  if (tool.is_relative()) tool = fs::read_symlink("/proc/self/exe").parent_path() / tool;
  tool = tool.parent_path().parent_path().parent_path() / "tools" / "html5lib_page_text.py";
  std::string text;
  ASSERT_TRUE(PeerRun("/usr/bin/python3 '" + tool.string() + "' '" + file.string() + "' 2>'" +
                          (folder / "errors").string() + "'",
                      &text));
  EXPECT_EQ(Words(BodyUtf8(*document)), Words(text));
  std::istringstream errors(ReadWhole(folder / "errors"));
  for (std::string line; std::getline(errors, line);)
    EXPECT_EQ("parse-error: unknown-doctype", line) << page;
  fs::remove_all(folder);
}

// AbiWord tells a page from plain text by its document type line (or a
// lower-case "<html"): it reads ours as HTML, its text without the tags.
TEST_F(HtmlPeers, OurPagesReadInAbiWordAsHtml) {
  if (std::getenv("QV_PEER_TESTS") == nullptr) GTEST_SKIP() << "peer checks run under the ctest label peers";
  auto document = NewDocument();
  const std::string page = WriteOurPage(*document);
  ASSERT_FALSE(page.empty());
  const fs::path folder = fs::temp_directory_path() / ("qv-html-abiword-" + std::to_string(getpid()));
  fs::create_directories(folder);
  const fs::path file = folder / "ours.html";
  std::ofstream(file, std::ios::binary) << page;
  ASSERT_TRUE(PeerRun("cd '" + folder.string() + "' && HOME='" + folder.string() +
                      "' abiword --to=txt -o ours.txt ours.html >/dev/null 2>&1"));
  const std::string text = ReadWhole(folder / "ours.txt");
  EXPECT_EQ(std::string::npos, text.find("<P>")) << text;
  EXPECT_EQ(std::string::npos, text.find("<BODY>")) << text;
  EXPECT_EQ(Words(BodyUtf8(*document)), Words(text));
  fs::remove_all(folder);
}

// A list read from a page and written again is a list in the peers:
// AbiWord opens the page (its text holds every item), and LibreOffice and
// pandoc give each of the three items its bullet.
TEST_F(HtmlPeers, OurListsAreListsInThePeers) {
  if (std::getenv("QV_PEER_TESTS") == nullptr) GTEST_SKIP() << "peer checks run under the ctest label peers";
  const std::string list = "<html><body><ul><li>One<li>Two<li>Three</ul><p>After</body></html>";
  auto document = NewDocument();
  xMorvaImportHTML reader;
  ASSERT_EQ(0, reader.ImportHTMLBytes(*document, reinterpret_cast<const uint8_t*>(list.data()), uint32_t(list.size()), ""));
  const std::string page = OurPage(*document);
  ASSERT_FALSE(page.empty());

  const fs::path folder = fs::temp_directory_path() / ("qv-html-lists-" + std::to_string(getpid()));
  fs::create_directories(folder);
  std::ofstream(folder / "list.html", std::ios::binary) << page;
  auto count = [](const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
    return n;
  };
  const std::vector<std::string> words = {"One", "Two", "Three", "After"};

  ASSERT_TRUE(PeerRun("cd '" + folder.string() + "' && HOME='" + folder.string() +
                      "' abiword --to=txt -o list.txt list.html >/dev/null 2>&1"));
  EXPECT_EQ(words, Words(ReadWhole(folder / "list.txt"))) << page;

  std::string text;
  ASSERT_TRUE(PeerRun("pandoc -f html -t plain --wrap=none '" + (folder / "list.html").string() + "'", &text));
  EXPECT_EQ(words, Words(text));
  EXPECT_EQ(3u, count("\n" + text, "\n-   ")) << text;

  ASSERT_TRUE(PeerRun("cd '" + folder.string() + "' && soffice -env:UserInstallation=file://" + folder.string() +
                      "/profile --headless --convert-to txt:Text list.html >/dev/null 2>&1"));
  const std::string office = ReadWhole(folder / "list.txt");
  EXPECT_EQ(3u, count(office, "\xE2\x80\xA2")) << office;  // a bullet before each item
  fs::remove_all(folder);
}

namespace {

// The list items of a peer's plain text: each line that starts, after its
// indent, with `marker` and a blank, as its indent and its first word.
std::vector<std::string> ItemLines(const std::string& text, const std::string& marker) {
  std::vector<std::string> items;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    const size_t indent = line.find_first_not_of(' ');
    if (indent == std::string::npos || line.compare(indent, marker.size(), marker) != 0) continue;
    const std::vector<std::string> words = Words(line.substr(indent + marker.size()));
    items.push_back(std::to_string(indent) + " " + (words.empty() ? "" : words[0]));
  }
  return items;
}

}  // namespace

// A list inside a list is a list inside an item of ours: AbiWord opens the
// page with every item's words (a list in a DIR made it refuse the page),
// and pandoc and LibreOffice show each item at its level.
TEST_F(HtmlPeers, OurNestedListsOpenInEveryPeerAtTheirLevels) {
  if (std::getenv("QV_PEER_TESTS") == nullptr) GTEST_SKIP() << "peer checks run under the ctest label peers";
  auto document = NewDocument();
  xMorvaEngine& body = Engine(*document, kPartBody);
  struct Item {
    const char16_t* text;
    int32_t level;
    int32_t bullet;
  };
  const Item items[] = {{u"Before", 0, 0}, {u"one", 1, 108}, {u"two", 2, 111}, {u"three", 3, 109},
                        {u"four", 2, 108}, {u"five", 1, 111}, {u"After", 0, 0}};
  int32_t start = 0;
  for (const Item& item : items) {
    const std::u16string text(item.text);
    Type(body, text + (item.level == 0 && start != 0 ? u"" : u"\n"));
    body.SetSelection(start, start + int32_t(text.size()));
    body.SetPropertyValue(kPropLeftIndent, item.level * 37);
    body.SetPropertyValue(kPropBullet, item.bullet);
    body.SetSelection(body.GetLength(), body.GetLength());
    start += int32_t(text.size()) + 1;
  }
  const std::string page = OurPage(*document);
  ASSERT_FALSE(page.empty());

  const fs::path folder = fs::temp_directory_path() / ("qv-html-nested-" + std::to_string(getpid()));
  fs::create_directories(folder);
  std::ofstream(folder / "nested.html", std::ios::binary) << page;
  const std::vector<std::string> words = {"Before", "one", "two", "three", "four", "five", "After"};

  ASSERT_TRUE(PeerRun("cd '" + folder.string() + "' && HOME='" + folder.string() +
                      "' abiword --to=txt -o nested.txt nested.html >/dev/null 2>&1"));
  EXPECT_EQ(words, Words(ReadWhole(folder / "nested.txt"))) << page;

  std::string text;
  ASSERT_TRUE(PeerRun("pandoc -f html -t plain --wrap=none '" + (folder / "nested.html").string() + "'", &text));
  EXPECT_EQ(words, Words(text));
  EXPECT_EQ((std::vector<std::string>{"0 one", "4 two", "8 three", "4 four", "0 five"}), ItemLines(text, "-   "))
      << text;

  ASSERT_TRUE(PeerRun("cd '" + folder.string() + "' && soffice -env:UserInstallation=file://" + folder.string() +
                      "/profile --headless --convert-to txt:Text nested.html >/dev/null 2>&1"));
  std::string office = ReadWhole(folder / "nested.txt");
  // LibreOffice marks its levels with bullets of its own, one for each.
  std::vector<std::string> levels;
  for (const char* bullet : {"\xE2\x80\xA2 ", "\xE2\x97\xA6 ", "\xE2\x96\xAA "})
    for (const std::string& item : ItemLines(office, bullet)) levels.push_back(item);
  std::sort(levels.begin(), levels.end());
  EXPECT_EQ((std::vector<std::string>{"12 three", "4 five", "4 one", "8 four", "8 two"}), levels) << office;
  fs::remove_all(folder);
}

// pandoc puts a link without text before each line of a code block, an
// anchor to the line: the lines read as the code alone, as LibreOffice and
// browsers show them, and the empty link of a paragraph shows nothing
// either. LibreOffice's page of the same text, which leaves the links out,
// reads to the same words.
TEST_F(HtmlPeers, CodeBlocksFromEachPeerReadWithoutTheirAnchors) {
  for (const char* peer : {"pandoc", "libreoffice"}) {
    SCOPED_TRACE(peer);
    const std::string page = ReadWhole(HtmlFixtureFolder() / (std::string("codeblock.") + peer + ".html"));
    ASSERT_FALSE(page.empty());
    auto document = NewDocument();
    xMorvaImportHTML reader;
    ASSERT_EQ(0, reader.ImportHTMLBytes(*document, reinterpret_cast<const uint8_t*>(page.data()),
                                        uint32_t(page.size()), ""));
    const std::string text = BodyUtf8(*document);
    const std::string expected = ReadWhole(HtmlFixtureFolder() / (std::string("codeblock.") + peer + ".txt"));
    EXPECT_EQ(Words(expected), Words(text)) << text;
    EXPECT_EQ(std::string::npos, text.find("cb1")) << text;
    EXPECT_EQ(std::string::npos, text.find("example.org")) << text;
    // pandoc's lines keep their indent.
    if (std::string(peer) == "pandoc") {
      EXPECT_NE(std::string::npos, text.find("\ndef f():\n    return 1\n")) << text;
    }
  }
}

// The same with pandoc run here on a code block of its source language:
// the page it writes opens without the anchors' addresses, and our page of
// that document reads in pandoc to the same words.
TEST_F(HtmlPeers, PandocsCodeBlocksOpenWithoutTheirAnchors) {
  if (std::getenv("QV_PEER_TESTS") == nullptr) GTEST_SKIP() << "peer checks run under the ctest label peers";
  const fs::path folder = fs::temp_directory_path() / ("qv-html-code-" + std::to_string(getpid()));
  fs::create_directories(folder);
  std::ofstream(folder / "code.md", std::ios::binary) << "```python\ndef f():\n    return 1\n```\n\nx [](https://e.org/) y\n";
  std::string page;
  ASSERT_TRUE(PeerRun("pandoc -f markdown -t html '" + (folder / "code.md").string() + "'", &page));
  ASSERT_NE(std::string::npos, page.find("href=\"#cb1-1\"")) << page;
  auto document = NewDocument();
  xMorvaImportHTML reader;
  ASSERT_EQ(0, reader.ImportHTMLBytes(*document, reinterpret_cast<const uint8_t*>(page.data()), uint32_t(page.size()), ""));
  const std::string text = BodyUtf8(*document);
  EXPECT_EQ(0u, text.find("def f():\n    return 1\n")) << text;
  EXPECT_EQ(std::string::npos, text.find("cb1")) << text;
  EXPECT_EQ(std::string::npos, text.find("e.org")) << text;

  std::ofstream(folder / "ours.html", std::ios::binary) << OurPage(*document);
  std::string plain;
  ASSERT_TRUE(PeerRun("pandoc -f html -t plain --wrap=none '" + (folder / "ours.html").string() + "'", &plain));
  EXPECT_EQ(Words(text), Words(plain)) << plain;
  EXPECT_EQ(std::string::npos, plain.find("e.org")) << plain;
  fs::remove_all(folder);
}

// Our page of 24-point lines that wrap, in a paragraph, among smaller words
// and in a list, in headless Chromium: a script in the copy it opens writes
// the box each line's type takes (the font size high, in the middle of the
// text's box); none stands over another line's, and a double-spaced item's
// lines are twice its type apart. The picture of the page is kept in the
// build tree (html-peers/chromium.png) for a person to look at.
TEST_F(HtmlPeers, ChromiumShowsNoLineOfOurPagesOverAnother) {
  if (std::getenv("QV_PEER_TESTS") == nullptr)
    GTEST_SKIP() << "peer checks run under the ctest label peers";
  const std::string source =
      "<p><font size=6>A heading of twenty-four points, long enough to wrap over lines</font>"
      "<p style=\"line-height: 1.5\">Words of twelve points with <font size=6>LARGE ONES</font> "
      "among them, one and a half lines apart.<ul><li>First item<li><font size=6>An item of "
      "twenty-four points that wraps over lines</font><li><ul><li>Deeper</ul><li style=\"line-"
      "height: 2\"><font size=5>A double-spaced item of eighteen points that wraps</font></ul>";
  auto document = NewDocument();
  xMorvaImportHTML reader;
  ASSERT_EQ(0, reader.ImportHTMLBytes(*document, reinterpret_cast<const uint8_t*>(source.data()),
                                      uint32_t(source.size()), ""));
  const std::string page = OurPage(*document);
  ASSERT_NE(std::string::npos, page.find("</BODY>"));
  const fs::path folder = fs::current_path() / "html-peers";
  fs::remove_all(folder);
  fs::create_directories(folder / "profile");
  std::ofstream(folder / "ours.html", std::ios::binary) << page;
  std::ofstream(folder / "measured.html", std::ios::binary)
      << page.substr(0, page.find("</BODY>")) << R"(<SCRIPT>
var boxes = [], range = document.createRange();
var texts = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
for (var node; (node = texts.nextNode());) {
  var size = parseFloat(getComputedStyle(node.parentElement).fontSize);
  range.selectNodeContents(node);
  for (var r of range.getClientRects())
    boxes.push([r.left, r.right, r.top + (r.height - size) / 2, r.bottom - (r.height - size) / 2].join(' '));
}
document.body.appendChild(document.createElement('PRE')).textContent = '[' + boxes.join('\n') + ']';
</SCRIPT></BODY></HTML>)";
  const std::string chromium =
      "chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
      "--disable-background-networking --disable-component-update --disable-sync "
      "--user-data-dir='" +
      (folder / "profile").string() + "' --window-size=480,900 ";
  std::string dom;
  ASSERT_TRUE(PeerRun(
      chromium + "--dump-dom 'file://" + (folder / "measured.html").string() + "' 2>/dev/null",
      &dom));
  const size_t start = dom.find("<pre>[");
  ASSERT_NE(std::string::npos, start) << "chromium (tools/install-deps.sh) wrote no boxes: " << dom;
  std::istringstream lines(dom.substr(start + 6, dom.find("]</pre>") - start - 6));
  std::vector<std::array<double, 4>> boxes;  // left, right, top, bottom
  for (std::array<double, 4> b; lines >> b[0] >> b[1] >> b[2] >> b[3];) boxes.push_back(b);
  ASSERT_TRUE(lines.eof()) << dom;
  std::vector<double> doubled;  // the tops of the 24-pixel type's lines
  for (size_t i = 0; i < boxes.size(); ++i) {
    if (std::abs(boxes[i][3] - boxes[i][2] - 24) < 0.5) doubled.push_back(boxes[i][2]);
    for (size_t j = i + 1; j < boxes.size(); ++j)
      EXPECT_TRUE(std::min(boxes[i][1], boxes[j][1]) - std::max(boxes[i][0], boxes[j][0]) <= 1 ||
                  std::min(boxes[i][3], boxes[j][3]) - std::max(boxes[i][2], boxes[j][2]) <= 1)
          << "lines " << i << " and " << j << " stand over each other:\n"
          << dom.substr(start);
  }
  ASSERT_EQ(2u, doubled.size()) << dom.substr(start);
  EXPECT_NEAR(48, doubled[1] - doubled[0], 1);
  PeerRun(chromium + "--screenshot='" + (folder / "chromium.png").string() + "' 'file://" +
          (folder / "ours.html").string() + "' >/dev/null 2>&1");
}
