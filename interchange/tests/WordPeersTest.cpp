// The Word 97 files we write, read by the programs people use for them:
// python3-olefile and exiftool (the stream tree and the property sets),
// antiword, catdoc, wvText and LibreOffice (the text, the page and the
// headers and footers).
// They run under the ctest label "peers".
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>

#include "document/DocumentUnits.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaStyleSheet.h"
#include "document/xMorvaTabs.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "interchange/tests/PeerTestSupport.h"
#include "interchange/tests/WordExportTestSupport.h"
#include "interchange/word/xMorvaImportWord.h"

using namespace rtftest;
namespace fs = std::filesystem;

// Named, so that its helpers do not meet the other peer tests' in a batch.
namespace wordpeers {

using peertest::HasProgram;
using peertest::Output;
using peertest::ReadFile;

// The words of a text, one space between them.
std::string Words(const std::string& text) {
  std::istringstream in(text);
  std::string word, out;
  while (in >> word) out += (out.empty() ? "" : " ") + word;
  return out;
}

class WordPeers : public Fixture {
 protected:
  void SetUp() override {
    if (std::getenv("QV_PEER_TESTS") == nullptr) GTEST_SKIP() << "peer checks run under the ctest label peers";
    folder = fs::temp_directory_path() / ("qv-word-peers-" + std::to_string(getpid()));
    fs::create_directories(folder);
  }
  void TearDown() override {
    std::error_code ignored;
    if (!folder.empty()) fs::remove_all(folder, ignored);
  }

  // Styled text in three paragraphs, a header and a footer, the document
  // informations, an A5 page with margins of its own: ours.doc.
  fs::path WriteOurs() {
    document = NewDocument();
    xMorvaEngine& body = Engine(*document, kPartBody);
    Type(body, u"Our first paragraph with bold words.\nSecond paragraph: caf\u00e9 \u20ac end.\nThird\tafter a tab.");
    body.SetSelection(25, 29);
    body.SetPropertyValue(kPropBold, 1);
    Type(Engine(*document, kPartHeader), u"Our header line");
    Type(Engine(*document, kPartFooter), u"Our footer line");
    xMorvaDocParams& params = document->Params();
    params.SetPageSize(TwipsToPixels(8391), TwipsToPixels(11906));
    params.SetLeftMargin(TwipsToPixels(1417));
    params.SetRightMargin(TwipsToPixels(850));
    document->Infos().Title().SetAnsiCText("Our title");
    document->Infos().Subject().SetAnsiCText("Our subject");
    document->Infos().Author().SetAnsiCText("Our author");
    document->Infos().Company().SetAnsiCText("Our company");
    const wordtest::Bytes bytes = wordtest::ExportWordBytes(*document);
    const fs::path path = folder / "ours.doc";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
  }

  std::string Soffice(const std::string& arguments) {
    return "soffice -env:UserInstallation=file://" + (folder / "profile").string() + " --headless " + arguments +
           " --outdir " + folder.string() + " >/dev/null 2>&1";
  }

  const std::string kBody =
      "Our first paragraph with bold words. Second paragraph: café € end. Third after a tab.";
  fs::path folder;
  std::unique_ptr<xMorvaDocument> document;
};


TEST_F(WordPeers, OlefileReadsTheStreamTreeAndProperties) {
  const fs::path ours = WriteOurs();
  const std::string script =
      "import olefile,sys\n"
      "f=olefile.OleFileIO(sys.argv[1])\n"
      "for e in sorted('/'.join(p) for p in f.listdir(streams=True,storages=True)): print(repr(e))\n"
      "for p in f.listdir(): f.openstream(p).read()\n"
      "m=f.get_metadata()\n"
      "print(m.title.decode('mac_roman'),'|',m.subject.decode('mac_roman'),'|',m.author.decode('mac_roman'),'|',"
      "m.company.decode('mac_roman'),'|',m.codepage,'|',m.creating_application.decode('mac_roman'))\n";
  std::ofstream(folder / "tree.py") << script;
  const std::string out = Output("/usr/bin/python3 " + (folder / "tree.py").string() + " " + ours.string());
  EXPECT_EQ(
      "'\\x01CompObj'\n'\\x05DocumentSummaryInformation'\n'\\x05SummaryInformation'\n'0Table'\n'ObjectPool'\n"
      "'WordDocument'\n"
      "Our title | Our subject | Our author | Our company | 10000 | Qv Morva\n",
      out);
}

TEST_F(WordPeers, AntiwordReadsTheText) {
  if (!HasProgram("antiword")) GTEST_SKIP() << "antiword is not installed";
  const fs::path ours = WriteOurs();
  const std::string text = Output("antiword -m UTF-8.txt -w 0 " + ours.string());
  EXPECT_EQ(kBody, Words(text)) << text;
}

TEST_F(WordPeers, CatdocReadsTheText) {
  if (!HasProgram("catdoc")) GTEST_SKIP() << "catdoc is not installed";
  const fs::path ours = WriteOurs();
  const std::string text = Output("catdoc -d utf-8 -w " + ours.string());
  // catdoc reads the whole text, the header stories after the body.
  EXPECT_EQ(kBody + " Our header line Our footer line", Words(text)) << text;
}

TEST_F(WordPeers, WvTextReadsTheText) {
  if (!HasProgram("wvText")) GTEST_SKIP() << "wvText is not installed (Debian package wv)";
  const fs::path ours = WriteOurs();
  const fs::path text = folder / "ours-wv.txt";
  // Without a browser to dump its HTML, wvText writes the text itself and
  // says so on its output.
  ASSERT_EQ(0, std::system(("wvText " + ours.string() + " " + text.string() + " >/dev/null 2>&1").c_str()));
  // Like catdoc, it reads the header stories after the body.
  EXPECT_EQ(kBody + " Our header line Our footer line", Words(ReadFile(text))) << ReadFile(text);
}

TEST_F(WordPeers, ExiftoolReadsTheDocumentInformations) {
  if (!HasProgram("exiftool")) GTEST_SKIP() << "exiftool is not installed (Debian package libimage-exiftool-perl)";
  const fs::path ours = WriteOurs();
  const std::string out =
      Output("exiftool -s3 -charset utf8 -Title -Subject -Author -Company -Software " + ours.string());
  EXPECT_EQ("Our title\nOur subject\nOur author\nOur company\nQv Morva\n", out);
}

TEST_F(WordPeers, LibreOfficeReadsTheTextPageAndHeaders) {
  if (!HasProgram("soffice") || !HasProgram("pdftotext") || !HasProgram("pdfinfo"))
    GTEST_SKIP() << "soffice or poppler is not installed";
  const fs::path ours = WriteOurs();
  ASSERT_EQ(0, std::system(Soffice("--convert-to \"txt:Text (encoded):UTF8\" " + ours.string()).c_str()));
  std::string txt = ReadFile(folder / "ours.txt");
  if (txt.rfind("\xEF\xBB\xBF", 0) == 0) txt.erase(0, 3);
  EXPECT_EQ(kBody, Words(txt));
  ASSERT_EQ(0, std::system(Soffice("--convert-to pdf " + ours.string()).c_str()));
  const fs::path pdf = folder / "ours.pdf";
  const std::string info = Output("pdfinfo " + pdf.string());
  std::smatch size;
  ASSERT_TRUE(std::regex_search(info, size, std::regex("Page size: +([0-9.]+) x ([0-9.]+) pts"))) << info;
  // A5 in points, within a pixel's rounding.
  EXPECT_NEAR(8391 / 20.0, std::stod(size[1]), 1.5);
  EXPECT_NEAR(11906 / 20.0, std::stod(size[2]), 1.5);
  const std::string text = Output("pdftotext -layout " + pdf.string() + " -");
  EXPECT_NE(std::string::npos, text.find("Our header line")) << text;
  EXPECT_NE(std::string::npos, text.find("Our footer line")) << text;
  // The left margin: where the first word starts.
  const std::string boxes = Output("pdftotext -bbox " + pdf.string() + " -");
  std::smatch word;
  ASSERT_TRUE(std::regex_search(boxes, word, std::regex("xMin=\"([0-9.]+)\"[^>]*>first<"))) << boxes;
  std::smatch our;
  ASSERT_TRUE(std::regex_search(boxes, our, std::regex("xMin=\"([0-9.]+)\"[^>]*>Our</word>\\s*<word[^>]*>first<")));
  EXPECT_NEAR(1417 / 20.0, std::stod(our[1]), 1.5);
}

// AbiWord reads our file's text and property sets without a complaint on
// its error output (its property-set reader says CRITICAL when a set is
// laid out apart from [MS-OLEPS]), with and without document
// informations.
TEST_F(WordPeers, AbiWordReadsWithoutComplaint) {
  if (!HasProgram("abiword")) GTEST_SKIP() << "abiword is not installed";
  for (bool informations : {true, false}) {
    SCOPED_TRACE(informations);
    const fs::path ours = WriteOurs();
    if (!informations) {
      document->Infos().Title().SetAnsiCText("");
      document->Infos().Subject().SetAnsiCText("");
      document->Infos().Author().SetAnsiCText("");
      document->Infos().Company().SetAnsiCText("");
      const wordtest::Bytes bytes = wordtest::ExportWordBytes(*document);
      std::ofstream(ours, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    const fs::path text = folder / "ours-abiword.txt";
    const std::string errors = Output("abiword --to=txt -o " + text.string() + " " + ours.string() + " 2>&1");
    EXPECT_EQ(std::string::npos, errors.find("CRITICAL")) << errors;
    // The body, then the header and footer stories.
    EXPECT_EQ(0u, Words(ReadFile(text)).find(kBody)) << errors << ReadFile(text);
  }
}

// LibreOffice reads our Word files of its own look fixtures (headings,
// indents, alignments, exact colours, highlights, a character style, page
// and column breaks, sections) with the facts it reads from its own: each
// paragraph's and its first text's properties in its flat XML, lengths to
// the pixel. Space before and after and line spacing are left out: the
// document keeps them as the interline of the paragraph before. A line
// break ends our paragraph, so theirs is matched up to it.
TEST_F(WordPeers, LibreOfficeReadsOurLookAsItsOwn) {
  if (!HasProgram("soffice")) GTEST_SKIP() << "soffice is not installed";
  fs::path here(__FILE__);
  if (here.is_relative()) here = fs::read_symlink("/proc/self/exe").parent_path() / here;
  const fs::path script = here.parent_path().parent_path().parent_path() / "tools" / "fodt_facts.py";
  for (const std::string name : {"look", "breaks", "sections"}) {
    SCOPED_TRACE(name);
    const fs::path fixture = here.parent_path() / "fixtures" / "word" / "look" / (name + ".doc");
    fs::copy_file(fixture, folder / ("theirs-" + name + ".doc"));
    std::ifstream in(fixture, std::ios::binary);
    const wordtest::Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    document = NewDocument();
    oletest::MemoryFile memory(bytes);
    xMorvaImportWord reader;
    ASSERT_EQ(0, reader.ImportWordDocument(document.get(), &memory.Stream()));
    const wordtest::Bytes ours = wordtest::ExportWordBytes(*document);
    std::ofstream(folder / ("ours-" + name + ".doc"), std::ios::binary)
        .write(reinterpret_cast<const char*>(ours.data()), std::streamsize(ours.size()));
    ASSERT_EQ(0, std::system(Soffice("--convert-to fodt " + (folder / ("theirs-" + name + ".doc")).string() + " " +
                                     (folder / ("ours-" + name + ".doc")).string()).c_str()));
    // Each paragraph's facts by its first characters.
    auto facts = [&](const std::string& which) {
      std::map<std::string, std::string> out;
      std::istringstream lines(Output("/usr/bin/python3 " + script.string() + " " +
                                      (folder / (which + "-" + name + ".fodt")).string()));
      for (std::string line; std::getline(lines, line);) {
        const size_t tab = line.find('\t');
        out[line.substr(0, std::min(tab, line.find("\\n")))] = line.substr(tab + 1);
      }
      return out;
    };
    const std::map<std::string, std::string> theirs = facts("theirs"), mine = facts("ours");
    EXPECT_GE(theirs.size(), 4u);
    for (const auto& [key, value] : theirs) {
      SCOPED_TRACE(key);
      const auto found = mine.find(key);
      ASSERT_NE(found, mine.end());
      // A column break in a page of one column is a page break: ours has
      // the file's columns only when the import reads them.
      if (value.find("break=column") != std::string::npos && document->GetParams().GetColumns() < 2) {
        EXPECT_EQ(std::regex_replace(value, std::regex("break=column"), "break=page"), found->second);
        continue;
      }
      EXPECT_EQ(value, found->second);
    }
  }
}

// LibreOffice's letter with paragraph styles named in Greek and Cyrillic,
// opened and written again as our Word file and our RTF: LibreOffice reads
// every name whole from both, and from our Word file a title and subject
// that Mac OS Roman cannot carry (the property sets take UTF-16 for them),
// and a character sheet's size though it equals Normal's.
TEST_F(WordPeers, LibreOfficeReadsOurStyleNamesInEveryScript) {
  if (!HasProgram("soffice")) GTEST_SKIP() << "soffice is not installed";
  fs::path here(__FILE__);
  if (here.is_relative()) here = fs::read_symlink("/proc/self/exe").parent_path() / here;
  std::ifstream in(here.parent_path() / "fixtures" / "word" / "stories" / "greekstyles.doc", std::ios::binary);
  const wordtest::Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  document = NewDocument();
  oletest::MemoryFile memory(bytes);
  xMorvaImportWord reader;
  ASSERT_EQ(0, reader.ImportWordDocument(document.get(), &memory.Stream()));
  for (VString* text : {&document->Infos().Title(), &document->Infos().Subject()}) text->SetUniCText(u"Лист Ω");
  xMorvaStyleSheet emph;  // Normal as a character sheet, and bold
  ASSERT_TRUE(emph.Load(*document, *document->GetStyleSheetStore(), kDefaultStyleSheetId));
  emph.paragraphSheet = 0;
  emph.properties.SetProperty(kPropBold, 1);
  VStr<16> emphName;
  emphName.SetAnsiCText("Emph");
  int16_t emphId = 0;
  ASSERT_TRUE(emph.SaveNew(*document, *document->GetStyleSheetStore(), emphName, emphId));
  const wordtest::Bytes doc = wordtest::ExportWordBytes(*document);
  std::ofstream(folder / "names.doc", std::ios::binary) << std::string(doc.begin(), doc.end());
  std::ofstream(folder / "names-rtf.rtf", std::ios::binary) << rtftest::Export(*document);
  ASSERT_EQ(0, std::system(Soffice("--convert-to fodt " + (folder / "names.doc").string() + " " +
                                   (folder / "names-rtf.rtf").string()).c_str()));
  for (const char* file : {"names.fodt", "names-rtf.fodt"}) {
    const std::string fodt = ReadFile(folder / file);
    for (const char* name : {"Επιστολή", "Υπογραφή", "Лист 2026"})
      EXPECT_NE(std::string::npos, fodt.find("name=\"" + std::string(name) + "\"")) << file << " " << name;
  }
  const std::string meta = ReadFile(folder / "names.fodt");
  const size_t emphAt = std::min(meta.find("style:name=\"Emph\""), meta.size());
  const std::string emphStyle = meta.substr(emphAt, meta.find("</style:style>", emphAt) - emphAt);
  const std::string size = "fo:font-size=\"" + std::to_string(emph.properties.GetProperty(kPropSize)) + "pt\"";
  for (const std::string& wanted : {size, std::string("fo:font-weight=\"bold\"")})
    EXPECT_NE(std::string::npos, emphStyle.find(wanted)) << emphStyle;
  EXPECT_NE(std::string::npos, meta.find("<dc:title>Лист Ω</dc:title>")) << meta;
  EXPECT_NE(std::string::npos, meta.find("<dc:subject>Лист Ω</dc:subject>")) << meta;
}

// The looks of the text, sampled in the HTML LibreOffice makes of our file.
TEST_F(WordPeers, LibreOfficeHtmlKeepsTheLooks) {
  if (!HasProgram("soffice")) GTEST_SKIP() << "soffice is not installed";
  document = NewDocument();
  xMorvaEngine& body = Engine(*document, kPartBody);
  Type(body, u"Bold Italic Under Large Mono Red\nCentred and indented\tTabbed\nBoxed");
  auto set = [&](int32_t from, int32_t to, uint16_t id, int32_t value) {
    body.SetSelection(from, to);
    ASSERT_EQ(0, body.SetPropertyValue(id, value));
  };
  set(0, 4, kPropBold, 1);
  set(5, 11, kPropItalic, 1);
  set(12, 17, kPropUnderline, 1);
  set(18, 23, kPropSize, 24);
  VStr<255> mono;
  mono.SetAnsiCText("Liberation Mono");
  set(24, 28, kPropFont, document->FontIndexForName(mono));
  set(29, 32, kPropTextColour, 0x0000FF);
  set(33, 33, kPropAlignment, 1);
  set(33, 33, kPropLeftIndent, TwipsToPixels(1440));
  set(33, 33, kPropTabs, int32_t(MakeTabStop(int16_t(TwipsToPixels(4320)), 0, kTabLeft)));
  set(61, 61, kPropTopBorder, 1);
  set(61, 61, kPropBottomBorder, 1);
  const wordtest::Bytes bytes = wordtest::ExportWordBytes(*document);
  const fs::path ours = folder / "looks.doc";
  std::ofstream(ours, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  ASSERT_EQ(0, std::system(Soffice("--convert-to html " + ours.string()).c_str()));
  const std::string html = ReadFile(folder / "looks.html");
  auto near = [&](const std::string& word, const std::string& look) {
    // The word as text, outside any tag, and what its paragraph opened.
    size_t at = 0;
    while ((at = html.find(word, at)) != std::string::npos) {
      const size_t open = html.rfind('<', at), close = html.rfind('>', at);
      if (close != std::string::npos && (open == std::string::npos || close > open)) break;
      ++at;
    }
    if (at == std::string::npos) return false;
    const size_t from = html.rfind("<p", at);
    return from != std::string::npos && html.substr(from, at - from).find(look) != std::string::npos;
  };
  EXPECT_TRUE(near("Bold", "<b>")) << html;
  EXPECT_TRUE(near("Italic", "<i>")) << html;
  EXPECT_TRUE(near("Under", "<u>")) << html;
  EXPECT_TRUE(near("Large", "font-size: 24pt")) << html;
  EXPECT_TRUE(near("Mono", "Liberation Mono")) << html;
  EXPECT_TRUE(near("Red", "#ff0000")) << html;
  EXPECT_TRUE(near("Centred", "center")) << html;
  EXPECT_TRUE(near("Centred", "margin-left: 1in")) << html;
  EXPECT_TRUE(near("Boxed", "border-top")) << html;
  EXPECT_FALSE(near("Bold", "center")) << html;
}

}  // namespace wordpeers
