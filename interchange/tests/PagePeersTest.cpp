// Documents that LibreOffice, AbiWord and pandoc made from our own sources
// (tools/make_page_peer_fixtures.py, committed with what LibreOffice reads
// of each) read, printed and exported, and compared with LibreOffice:
// every paragraph's facts, the printed page, and what LibreOffice reads of
// our Word, RTF and HTML. Every difference is named by file, paragraph and
// fact; the differences known today are listed in the fixtures' table
// mismatches.txt, and a check fails when a difference appears that the
// table lacks or a listed one is gone. LibreOffice's readings of our
// exports and the pictures of page 1 are kept in the build tree
// (page-peers/), so a run converts only what changed.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "document/DocumentUnits.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaTabs.h"
#include "engine/xMorvaElementStream.h"
#include "engine/tests/FontCacheRelease.h"
#include "graphics/VGraphicsStart.h"
#include "graphics/printing/VPrintSettings.h"
#include "interchange/html/xMorvaExportHTML.h"
#include "interchange/html/xMorvaImportHTML.h"
#include "interchange/rtf/xMorvaExportRTF.h"
#include "interchange/rtf/xMorvaImportRTF.h"
#include "interchange/tests/OleTestSupport.h"
#include "interchange/tests/PeerTestSupport.h"
#include "interchange/tests/PrintTestSupport.h"
#include "interchange/tests/RtfTestSupport.h"
#include "interchange/tests/TextTestSupport.h"
#include "interchange/word/xMorvaExportWord.h"
#include "interchange/word/xMorvaImportWord.h"
#include "platform/print/WinPrint.h"

namespace fs = std::filesystem;

namespace pagepeers {

fs::path SourceFolder() {
  fs::path source(__FILE__);
  if (source.is_relative()) source = fs::read_symlink("/proc/self/exe").parent_path() / source;
  return source.parent_path();
}
fs::path Fixtures() { return SourceFolder() / "fixtures" / "pages"; }
fs::path Tools() { return SourceFolder().parent_path().parent_path() / "tools"; }
// The build tree's cache of peer readings (the tests run in the build tree).
fs::path Cache() { return fs::current_path() / "page-peers"; }

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

std::string Python() { return peertest::HasProgram("python3") ? "python3" : "/usr/bin/python3"; }

// The fixture documents, in name order.
std::vector<std::string> FixtureNames() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(Fixtures())) {
    const std::string name = entry.path().filename().string();
    if (fs::exists(Fixtures() / (name + ".facts"))) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// One paragraph's facts by name.
using Facts = std::map<std::string, std::string>;

std::vector<Facts> ParseFacts(const std::string& text) {
  std::vector<Facts> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    Facts facts;
    std::istringstream fields(line);
    std::string field;
    std::getline(fields, field, '\t');  // the paragraph's number
    while (std::getline(fields, field, '\t')) {
      const size_t eq = field.find('=');
      if (eq != std::string::npos) facts[field.substr(0, eq)] = field.substr(eq + 1);
    }
    if (!facts.empty()) out.push_back(std::move(facts));
  }
  return out;
}

// The first 24 characters with white space collapsed, as the peer's facts
// give a paragraph's text.
std::string Opening(const std::u32string& text) {
  std::u32string collapsed;
  bool space = false;
  for (char32_t c : text) {
    if (c == U' ' || c == U'\t' || c == 0xA0) {
      space = !collapsed.empty();
      continue;
    }
    if (space) collapsed += U' ';
    space = false;
    collapsed += c;
  }
  std::u16string units;
  for (size_t i = 0; i < collapsed.size() && i < 24; ++i) units += char16_t(collapsed[i]);
  return texttest::Utf8(units);
}

// A document colour (red in the low byte, blue in the high) as RRGGBB.
std::string Hex(int32_t colour) {
  if (colour < 0) return "none";
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "%02X%02X%02X", unsigned(colour) & 0xFFu, (unsigned(colour) >> 8) & 0xFFu,
                (unsigned(colour) >> 16) & 0xFFu);
  return buffer;
}

// Every body paragraph of the document that holds text, with the facts
// of its first character and of the paragraph, lengths in pixels.
std::vector<Facts> OurFacts(xMorvaDocument& document) {
  auto& body = *static_cast<xMorvaEngine*>(document.GetPart(kPartBody));
  struct Paragraph {
    int32_t start;
    std::u32string text;
  };
  std::vector<Paragraph> paragraphs{{0, {}}};
  {
    const uint32_t size = body.GetStreamSize();
    const uint8_t* stream = body.LockStream();
    int32_t position = 0;
    for (uint32_t at = 0; at < size;) {
      const StreamItem item = ReadStreamItem(stream + at, size - at);
      if (item.kind == StreamItem::kUnit) {
        ++position;
        if (item.unit == 13) {
          paragraphs.push_back({position, {}});
        } else {
          paragraphs.back().text += char32_t(item.unit);
        }
      } else if (item.kind == StreamItem::kElement) {
        ++position;
        if (item.unit == xMorvaElementCode::Tab) paragraphs.back().text += U' ';
        // A soft hyphen is the character U+00AD in the peer's text; a break
        // holds the end of its paragraph.
        if (item.unit == xMorvaElementCode::SoftHyphen) paragraphs.back().text += U'\u00AD';
        if (IsBreakCode(item.unit)) paragraphs.push_back({position, {}});
      }
      at += item.size;
    }
    body.UnlockStream();
  }
  std::vector<Facts> out;
  for (const Paragraph& paragraph : paragraphs) {
    const std::string text = Opening(paragraph.text);
    if (text.empty()) continue;
    body.SetSelection(paragraph.start, paragraph.start + 1);
    auto value = [&](uint16_t id) { return body.GetPropertyValue(id); };
    Facts facts;
    facts["text"] = text;
    static const char* const kAlign[] = {"left", "centre", "right", "justify"};
    const int32_t align = value(kPropAlignment);
    facts["align"] = align >= 0 && align < 4 ? kAlign[align] : std::to_string(align);
    facts["left"] = std::to_string(value(kPropLeftIndent));
    facts["right"] = std::to_string(value(kPropRightIndent));
    facts["first"] = std::to_string(value(kPropFirstLineIndent));
    // The document holds no spacing before and after a paragraph of its own.
    facts["before"] = "0";
    facts["after"] = "0";
    facts["line"] = std::to_string(value(kPropInterline) * 10);
    std::string tabs;
    const xMorvaTabs& stops = body.GetCurrentTabs();
    for (int32_t i = 0; i < stops.Count(); ++i) {
      const uint32_t stop = stops.StopAt(i);
      static const char kKinds[] = "?lcrd";
      const uint8_t kind = TabStopKind(stop);
      const uint8_t leader = TabStopLeader(stop);
      if (!tabs.empty()) tabs += ' ';
      tabs += std::to_string(TabStopPosition(stop)) + ":" + (kind <= 4 ? kKinds[kind] : '?') + ":" +
              (leader == 0 || leader == ' ' ? std::string("0") : std::string(1, char(leader)));
    }
    facts["tabs"] = tabs.empty() ? "none" : tabs;
    VStr<255> name;
    bool known = false;
    std::string font;
    if (document.FontNameForIndex(value(kPropFont), name, known)) {
      char buffer[256] = {};
      name.GetCText(buffer, sizeof buffer, kCharSetAnsi);
      font = buffer;
    }
    facts["font"] = font;
    facts["size"] = std::to_string(value(kPropSize));
    facts["bold"] = value(kPropBold) != 0 ? "1" : "0";
    facts["italic"] = value(kPropItalic) != 0 ? "1" : "0";
    facts["underline"] = value(kPropUnderline) != 0 ? "1" : "0";
    facts["colour"] = Hex(value(kPropTextColour));
    facts["highlight"] = Hex(value(kPropBackColour));
    out.push_back(std::move(facts));
  }
  body.SetSelection(0, 0);
  return out;
}

int32_t TwipsAsPixels(const std::string& twips) {
  return int32_t(std::lround(std::atof(twips.c_str()) * GetScreenResolution() / 1440.0));
}

// Which unit our side's lengths are in: pixels when the facts are our
// document's own, twips when they are LibreOffice's reading of our export.
enum class Lengths { kPixels, kTwips };

bool NearPixels(const std::string& ours, int32_t pixels, Lengths unit) {
  const int32_t mine = unit == Lengths::kTwips ? TwipsAsPixels(ours) : std::atoi(ours.c_str());
  return std::abs(mine - pixels) <= 1;
}

// Whether our fact equals the peer's (peer lengths in twips, ours in
// `unit`: equal to the nearest pixel).
bool SameFact(const std::string& fact, const std::string& ours, const std::string& peer, Lengths unit) {
  if (fact == "left" || fact == "right" || fact == "first" || fact == "before" || fact == "after")
    return NearPixels(ours, TwipsAsPixels(peer), unit);
  if (fact == "line") {
    if (peer.rfind("exact ", 0) == 0 || peer.rfind("least ", 0) == 0) return false;
    return std::abs(std::atoi(ours.c_str()) - std::atoi(peer.c_str())) <= 1;
  }
  if (fact == "tabs") {
    if (peer == "none" || ours == "none") return peer == ours;
    std::istringstream a(ours), b(peer);
    std::string x, y;
    while (true) {
      const bool moreA = bool(a >> x);
      const bool moreB = bool(b >> y);
      if (moreA != moreB) return false;
      if (!moreA) return true;
      const size_t xa = x.find(':'), ya = y.find(':');
      if (xa == std::string::npos || ya == std::string::npos) return false;
      if (x.substr(xa) != y.substr(ya)) return false;
      if (!NearPixels(x.substr(0, xa), TwipsAsPixels(y.substr(0, ya)), unit)) return false;
    }
  }
  if (fact == "font") {
    std::string p = peer, o = ours;
    std::transform(p.begin(), p.end(), p.begin(), ::tolower);
    std::transform(o.begin(), o.end(), o.begin(), ::tolower);
    return p == o;
  }
  return ours == peer;
}

// The differences of one run: key (one line of the table, without the
// values) to what each side had.
using Mismatches = std::map<std::string, std::string>;

// Pairs our paragraphs with the peer's by their text (the longest common
// run of equal openings), so that a paragraph one side lacks shifts
// nothing: it is named once, and every pair is compared fact by fact. The
// peer's paragraph number names a pair.
void CompareFacts(const std::string& prefix, const std::vector<Facts>& ours,
                  const std::vector<Facts>& peer, Mismatches& mismatches, Lengths unit = Lengths::kPixels) {
  const size_t n = ours.size(), m = peer.size();
  std::vector<std::vector<int>> common(n + 1, std::vector<int>(m + 1, 0));
  auto text = [](const Facts& facts) {
    auto it = facts.find("text");
    return it != facts.end() ? it->second : std::string();
  };
  for (size_t i = n; i-- > 0;)
    for (size_t j = m; j-- > 0;)
      common[i][j] = text(ours[i]) == text(peer[j]) ? common[i + 1][j + 1] + 1
                                                    : std::max(common[i + 1][j], common[i][j + 1]);
  size_t i = 0, j = 0;
  auto compare = [&](size_t a, size_t b) {
    for (const auto& [fact, value] : peer[b]) {
      if (fact == "text") continue;
      auto mine = ours[a].find(fact);
      const std::string our = mine != ours[a].end() ? mine->second : "";
      if (!SameFact(fact, our, value, unit))
        mismatches[prefix + "\t" + std::to_string(b + 1) + "\t" + fact] = "ours " + our + ", LibreOffice " + value;
    }
  };
  while (i < n || j < m) {
    if (i < n && j < m && text(ours[i]) == text(peer[j])) {
      compare(i++, j++);
    } else if (i < n && j < m && common[i + 1][j + 1] == common[i][j]) {
      // Two paragraphs whose texts differ, where pairing them loses
      // nothing of the common run.
      mismatches[prefix + "\t" + std::to_string(j + 1) + "\ttext"] = "ours " + text(ours[i]) + ", LibreOffice " + text(peer[j]);
      compare(i++, j++);
    } else if (j < m && (i == n || common[i][j + 1] == common[i][j])) {
      mismatches[prefix + "\t" + std::to_string(j + 1) + "\tmissing"] = "LibreOffice " + text(peer[j]);
      ++j;
    } else {
      mismatches[prefix + "\tours " + std::to_string(i + 1) + "\textra"] = "ours " + text(ours[i]);
      ++i;
    }
  }
}

// The table's keys of one kind (its first field), and the lines of the
// table file whole.
std::set<std::string> TableKeys(const std::string& kind) {
  std::set<std::string> keys;
  std::istringstream in(peertest::ReadFile(Fixtures() / "mismatches.txt"));
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    // The values after " | " only tell the reader what differed.
    const std::string key = line.substr(0, line.find(" | "));
    if (key.rfind(kind + "\t", 0) == 0) keys.insert(key);
  }
  return keys;
}

// Compares a run's differences of one kind with the table: the table's
// lines for the run are written to the cache, and every difference that
// appeared or is gone is reported.
void ExpectTable(const std::string& kind, const Mismatches& found) {
  std::set<std::string> keys;
  std::ofstream now(Cache() / ("mismatches." + kind + ".txt"));
  for (const auto& [key, values] : found) {
    keys.insert(kind + "\t" + key);
    now << kind << "\t" << key << " | " << values << "\n";
  }
  const std::set<std::string> table = TableKeys(kind);
  std::string appeared, gone;
  for (const std::string& key : keys)
    if (!table.count(key)) appeared += "  " + key + " | " + found.at(key.substr(kind.size() + 1)) + "\n";
  for (const std::string& key : table)
    if (!keys.count(key)) gone += "  " + key + "\n";
  EXPECT_TRUE(appeared.empty()) << "differences the table lacks (" << kind << "):\n" << appeared;
  EXPECT_TRUE(gone.empty()) << "differences the table lists that are gone (" << kind
                            << "): take them out of the table\n" << gone;
}

class PagePeers : public texttest::TextDocumentTest {
 protected:
  void SetUp() override {
    if (std::getenv("QV_PEER_TESTS") == nullptr) GTEST_SKIP() << "peer checks run under the ctest label peers";
    fs::create_directories(Cache());
    // Text is measured with the fonts it is drawn in, as in a started
    // module; the font cache goes when the program ends.
    static const bool started = (InitGraphics(), true);
    (void)started;
  }
  void TearDown() override {
    fresh.reset();
    ResetHeadlessPrinting();
  }
  std::unique_ptr<xMorvaDocument> fresh;

  // Reads the fixture into a new document as the open command's readers do.
  int32_t Open(const std::string& name, const fs::path& folder = Fixtures()) {
    fresh = std::make_unique<xMorvaDocument>(nullptr);
    xMorvaDocument& document = *fresh;
    const std::string bytes = peertest::ReadFile(folder / name);
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    int32_t code = -1;
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".doc") == 0) {
      oletest::MemoryFile memory(std::vector<uint8_t>(bytes.begin(), bytes.end()));
      xMorvaImportWord reader;
      code = reader.ImportWordDocument(&document, &memory.Stream());
    } else if (name.size() > 5 && name.compare(name.size() - 5, 5, ".html") == 0) {
      xMorvaImportHTML reader;
      code = reader.ImportHTMLBytes(document, data, uint32_t(bytes.size()), Fixtures().string());
    } else {
      xMorvaImportRTF reader;
      code = reader.ImportRtfBytes(document, data, uint32_t(bytes.size()), false);
    }
    document.UpdateReferencePrinter();
    return code;
  }

};

// What the page tool reads of a PDF: the size, the page count and page 1's
// line openings.
struct Page {
  int32_t width = 0;
  int32_t height = 0;
  int32_t pages = 0;
  std::vector<std::string> words;
};

Page ParsePage(const std::string& text) {
  Page page;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("size ", 0) == 0) {
      std::istringstream(line.substr(5)) >> page.width >> page.height;
    } else if (line.rfind("pages ", 0) == 0) {
      page.pages = std::atoi(line.c_str() + 6);
    } else if (!line.empty()) {
      page.words.push_back(line);
    }
  }
  return page;
}

void ComparePages(const std::string& name, const Page& ours, const Page& peer, Mismatches& mismatches) {
  if (std::abs(ours.width - peer.width) > 1 || std::abs(ours.height - peer.height) > 1)
    mismatches[name + "\tsize"] = "ours " + std::to_string(ours.width) + "x" + std::to_string(ours.height) +
                                  ", LibreOffice " + std::to_string(peer.width) + "x" + std::to_string(peer.height);
  if (std::abs(ours.pages - peer.pages) > peer.pages * 3 / 100)
    mismatches[name + "\tpages"] = "ours " + std::to_string(ours.pages) + ", LibreOffice " + std::to_string(peer.pages);
  // Lines in order with the same first word: the longest common run, so
  // that one line more or less on either side shifts nothing.
  const size_t n = ours.words.size(), m = peer.words.size();
  std::vector<std::vector<size_t>> common(n + 1, std::vector<size_t>(m + 1, 0));
  for (size_t i = n; i-- > 0;)
    for (size_t j = m; j-- > 0;)
      common[i][j] = ours.words[i] == peer.words[j] ? common[i + 1][j + 1] + 1
                                                    : std::max(common[i + 1][j], common[i][j + 1]);
  const size_t same = common[0][0];
  if (peer.words.empty() || same * 100 < peer.words.size() * 80)
    mismatches[name + "\tlines"] = std::to_string(same) + " of LibreOffice's " + std::to_string(peer.words.size()) +
                                   " line openings";
}

// A file's bytes, stored only when they changed: the answer says whether
// they did (the cached readings of it are then stale).
bool StoreIfChanged(const fs::path& path, const std::vector<uint8_t>& bytes) {
  if (fs::exists(path) && peertest::ReadFile(path) == std::string(bytes.begin(), bytes.end())) return false;
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return true;
}

// LibreOffice's flat XML of the files, into `folder`, one run of soffice.
void ConvertToFlatXml(const std::vector<fs::path>& files, const std::string& filter, const fs::path& folder) {
  if (files.empty()) return;
  std::string command = "soffice -env:UserInstallation=file://" + (Cache() / "profile").string() +
                        " --headless --infilter='" + filter + "' --convert-to fodt --outdir " + Quoted(folder);
  for (const fs::path& file : files) command += " " + Quoted(file);
  command += " >/dev/null 2>&1";
  EXPECT_EQ(0, std::system(command.c_str())) << command;
}


TEST_F(PagePeers, EveryParagraphReadsAsLibreOfficeReadsIt) {
  Mismatches mismatches;
  for (const std::string& name : FixtureNames()) {
    SCOPED_TRACE(name);
    ASSERT_EQ(0, Open(name));
    CompareFacts(name, OurFacts(*fresh), ParseFacts(peertest::ReadFile(Fixtures() / (name + ".facts"))), mismatches);
  }
  ExpectTable("import", mismatches);
}

TEST_F(PagePeers, PrintedPagesMatchLibreOfficesPdf) {
  Mismatches mismatches;
  const fs::path pictures = Cache() / "pictures";
  fs::create_directories(pictures);
  for (const std::string& name : FixtureNames()) {
    SCOPED_TRACE(name);
    // HTML has no page of its own.
    if (name.find(".html") != std::string::npos) continue;
    ASSERT_EQ(0, Open(name));
    const fs::path pdf = Cache() / (name + ".ours.pdf");
    ASSERT_GT(printtest::PrintDocument(*fresh, pdf), 0);
    const std::string read = peertest::Output(Python() + " " + Quoted(Tools() / "page_facts.py") + " page " + Quoted(pdf));
    ASSERT_FALSE(read.empty()) << pdf;
    ComparePages(name, ParsePage(read), ParsePage(peertest::ReadFile(Fixtures() / (name + ".page"))), mismatches);
  }
  ExpectTable("print", mismatches);
  // Page 1 of a few, ours on the left and LibreOffice's on the right, for
  // a person to look at.
  for (const std::string name : {"headings.doc", "paragraphs.lo.rtf", "columns2.doc", "columns3.abiword.rtf",
                                 "sections.abiword.rtf", "sections.lo.rtf", "pagebreaks.abiword.rtf",
                                 "pagebreaks.lo.rtf"}) {
    const fs::path theirs = pictures / (name + ".lo.pdf");
    if (!fs::exists(theirs) || fs::last_write_time(theirs) < fs::last_write_time(Fixtures() / name)) {
      const fs::path folder = pictures / "lo";
      fs::create_directories(folder);
      const fs::path copy = folder / ("f" + fs::path(name).extension().string());
      fs::copy_file(Fixtures() / name, copy, fs::copy_options::overwrite_existing);
      const std::string filter = copy.extension() == ".doc" ? "MS Word 97" : "Rich Text Format";
      const std::string command = "soffice -env:UserInstallation=file://" + (Cache() / "profile").string() +
                                  " --headless --infilter='" + filter + "' --convert-to pdf --outdir " +
                                  Quoted(folder) + " " + Quoted(copy) + " >/dev/null 2>&1";
      ASSERT_EQ(0, std::system(command.c_str()));
      fs::rename(folder / "f.pdf", theirs);
    }
    const fs::path png = pictures / (name + ".png");
    const std::string command = Python() + " " + Quoted(Tools() / "page_facts.py") + " picture " +
                                Quoted(Cache() / (name + ".ours.pdf")) + " " + Quoted(theirs) + " " + Quoted(png);
    EXPECT_EQ(0, std::system(command.c_str())) << command;
    EXPECT_TRUE(fs::exists(png)) << png;
  }
}

TEST_F(PagePeers, OurExportsReadBackAsTheFixturesRead) {
  struct Format {
    const char* suffix;
    const char* filter;
    std::function<std::vector<uint8_t>(xMorvaDocument&, const fs::path&)> write;
  };
  const Format formats[] = {
      {"doc", "MS Word 97",
       [](xMorvaDocument& document, const fs::path&) {
         oletest::MemoryFile memory;
         xMorvaExportWord writer;
         EXPECT_EQ(0, writer.ExportWordDocument(&document, &memory.Stream()));
         return memory.Contents();
       }},
      {"rtf", "Rich Text Format",
       [](xMorvaDocument& document, const fs::path&) {
         return texttest::Written([&](VStream& stream) {
           xMorvaExportRTF writer;
           return writer.ExportRtf(document, stream, false);
         });
       }},
      {"html", "HTML (StarWriter)",
       [](xMorvaDocument& document, const fs::path& path) {
         return texttest::Written([&](VStream& stream) {
           xMorvaExportHTML writer;
           return writer.ExportHTMLDocument(document, stream, path.string());
         });
       }},
  };
  const fs::path folder = Cache() / "exports";
  fs::create_directories(folder);
  std::map<std::string, std::vector<fs::path>> stale;  // by format
  std::vector<std::pair<std::string, fs::path>> exports;  // fixture, export
  for (const std::string& name : FixtureNames()) {
    SCOPED_TRACE(name);
    ASSERT_EQ(0, Open(name));
    std::string stem = name;
    std::replace(stem.begin(), stem.end(), '.', '_');
    for (const Format& format : formats) {
      const fs::path path = folder / (stem + "-" + format.suffix + "." + format.suffix);
      const bool changed = StoreIfChanged(path, format.write(*fresh, path));
      const fs::path flat = folder / "fodt" / (stem + "-" + format.suffix + ".fodt");
      if (changed || !fs::exists(flat)) stale[format.filter].push_back(path);
      exports.emplace_back(name, path);
    }
  }
  for (const auto& [filter, files] : stale) ConvertToFlatXml(files, filter, folder / "fodt");

  Mismatches mismatches;
  Mismatches complaints;
  for (const auto& [name, path] : exports) {
    const std::string label = name + ">" + path.extension().string().substr(1);
    const fs::path flat = folder / "fodt" / (path.stem().string() + ".fodt");
    const std::string read = peertest::Output(Python() + " " + Quoted(Tools() / "page_facts.py") + " facts " + Quoted(flat));
    // LibreOffice gives the lengths of its reading in twips, as it gives the fixture's.
    CompareFacts(label, ParseFacts(read), ParseFacts(peertest::ReadFile(Fixtures() / (name + ".facts"))), mismatches,
                 Lengths::kTwips);
    // AbiWord reads our Word files without complaint and our HTML as HTML
    // (its text holds no tags); its answers are kept beside the export.
    if (path.extension() == ".rtf") continue;
    const fs::path text = fs::path(path.string() + ".abiword.txt");
    const fs::path log = fs::path(path.string() + ".abiword.log");
    if (!fs::exists(log) || fs::last_write_time(log) < fs::last_write_time(path)) {
      const std::string command = "abiword --to=txt -o " + Quoted(text) + " " + Quoted(path) + " >" + Quoted(log) +
                                  " 2>&1; echo exit $? >>" + Quoted(log);
      std::system(command.c_str());
    }
    const std::string said = peertest::ReadFile(log);
    if (said.find("CRITICAL") != std::string::npos || said.find("exit 0") == std::string::npos)
      complaints[label + "\tcomplaint"] = said.find("CRITICAL") != std::string::npos
                                              ? said.substr(said.find("CRITICAL"), said.find('\n', said.find("CRITICAL")) - said.find("CRITICAL"))
                                              : said;
    if (path.extension() == ".html") {
      const std::string shown = peertest::ReadFile(text);
      if (shown.find("<html") != std::string::npos || shown.find("<HTML") != std::string::npos ||
          shown.find("<p") != std::string::npos || shown.empty())
        complaints[label + "\tnot html"] = "AbiWord shows the tags";
    }
  }
  ExpectTable("export", mismatches);
  ExpectTable("abiword", complaints);
}

// A printed line: its page, the left and upper edge of its first word in
// points and the word.
struct PrintedLine {
  int page = 0;
  double x = 0, y = 0;
  std::string word;
};

// The lines of a fixture's table of LibreOffice's printed lines.
std::vector<PrintedLine> ParseLines(const std::string& text) {
  std::vector<PrintedLine> lines;
  std::istringstream in(text);
  PrintedLine line;
  while (in >> line.page >> line.x >> line.y >> line.word) lines.push_back(line);
  return lines;
}

// The lines pdftotext -bbox-layout reads of a PDF.
std::vector<PrintedLine> PrintedLines(const fs::path& pdf) {
  const std::string boxes = peertest::Output("pdftotext -bbox-layout " + Quoted(pdf) + " -");
  std::vector<PrintedLine> lines;
  const std::regex word("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"[^>]*>([^<]*)</word>");
  int page = 0;
  for (size_t at = 0; (at = boxes.find('<', at)) != std::string::npos; ++at) {
    if (boxes.compare(at, 6, "<page ") == 0) ++page;
    if (boxes.compare(at, 6, "<line ") != 0) continue;
    std::smatch first;
    const std::string rest = boxes.substr(at, boxes.find("</line>", at) - at);
    if (std::regex_search(rest, first, word))
      lines.push_back({page, std::stod(first[1]), std::stod(first[2]), first[3]});
  }
  return lines;
}

// LibreOffice's Word files of pages with narrow margins and no header, with
// mirrored margins and a binding, and with a binding and a footer after an
// even-page start: each page's first line of text and its footer print
// where LibreOffice prints them, and every other line that opens with a
// word one of ours opens with begins at the same left edge (the lines may
// break elsewhere).
TEST_F(PagePeers, WordPageSettingsPrintWhereLibreOfficePrintsThem) {
  const fs::path look = SourceFolder() / "fixtures" / "word" / "look";
  for (const std::string name : {"margins", "mirrored", "gutterfooter"}) {
    SCOPED_TRACE(name);
    ASSERT_EQ(0, Open(name + ".doc", look));
    const fs::path pdf = Cache() / (name + ".look.pdf");
    ASSERT_GT(printtest::PrintDocument(*fresh, pdf), 0);
    const std::vector<PrintedLine> ours = PrintedLines(pdf);
    const std::vector<PrintedLine> theirs = ParseLines(peertest::ReadFile(look / (name + ".lines.txt")));
    ASSERT_FALSE(theirs.empty());
    for (size_t i = 0; i < theirs.size(); ++i) {
      const PrintedLine& peer = theirs[i];
      SCOPED_TRACE("page " + std::to_string(peer.page) + ", " + peer.word);
      const bool placed = i == 0 || theirs[i - 1].page != peer.page || peer.word == "Footer";
      // Ours on that page opening with the word, the nearest one.
      const PrintedLine* same = nullptr;
      for (const PrintedLine& line : ours)
        if (line.page == peer.page && line.word == peer.word &&
            (same == nullptr || std::abs(line.y - peer.y) < std::abs(same->y - peer.y)))
          same = &line;
      if (same == nullptr) {
        EXPECT_FALSE(placed) << "no line of ours opens with the word";
        continue;
      }
      EXPECT_NEAR(peer.x, same->x, 1.5);
      if (placed) {
        EXPECT_NEAR(peer.y, same->y, 2.5);
      }
    }
  }
}

// LibreOffice's Word file of our stories fixture with its top margin set
// to 600 twips, above which its headers start (at 720 twips): each page's
// header and the first line of its body print where LibreOffice prints
// them. Page 1 of both is kept as a picture for a person to look at.
TEST_F(PagePeers, AWordHeaderAboveASmallTopMarginPrintsWhereLibreOfficePrintsIt) {
  const fs::path folder = Cache() / "smalltop";
  fs::create_directories(folder);
  const std::string file =
      peertest::WithTopMargin(peertest::ReadFile(SourceFolder() / "fixtures" / "word" / "stories" / "stories.doc"), 600);
  ASSERT_FALSE(file.empty());
  const fs::path doc = folder / "smalltop.doc";
  const fs::path theirs = folder / "smalltop.pdf";
  if (StoreIfChanged(doc, std::vector<uint8_t>(file.begin(), file.end())) || !fs::exists(theirs)) {
    const std::string command = "soffice -env:UserInstallation=file://" + (Cache() / "profile").string() +
                                " --headless --convert-to pdf --outdir " + Quoted(folder) + " " + Quoted(doc) +
                                " >/dev/null 2>&1";
    ASSERT_EQ(0, std::system(command.c_str()));
  }
  ASSERT_EQ(0, Open("smalltop.doc", folder));
  const fs::path ours = folder / "smalltop.ours.pdf";
  ASSERT_GT(printtest::PrintDocument(*fresh, ours), 0);
  const std::vector<PrintedLine> mine = PrintedLines(ours);
  const std::vector<PrintedLine> peer = PrintedLines(theirs);
  for (int page : {1, 2, 3}) {
    // The page's first two lines: its header, then the body's first line.
    auto opening = [&](const std::vector<PrintedLine>& lines) {
      std::vector<PrintedLine> two;
      for (const PrintedLine& line : lines)
        if (line.page == page && two.size() < 2) two.push_back(line);
      return two;
    };
    const std::vector<PrintedLine> a = opening(mine), b = opening(peer);
    ASSERT_EQ(2u, b.size()) << "page " << page;
    ASSERT_EQ(2u, a.size()) << "page " << page;
    for (size_t i = 0; i < 2; ++i) {
      SCOPED_TRACE("page " + std::to_string(page) + (i == 0 ? ", header " : ", body ") + b[i].word);
      EXPECT_EQ(b[i].word, a[i].word);
      EXPECT_NEAR(b[i].x, a[i].x, 1.5);
      EXPECT_NEAR(b[i].y, a[i].y, 2.5);
    }
  }
  const fs::path png = folder / "smalltop.png";
  const std::string command = Python() + " " + Quoted(Tools() / "page_facts.py") + " picture " + Quoted(ours) + " " +
                              Quoted(theirs) + " " + Quoted(png);
  EXPECT_EQ(0, std::system(command.c_str())) << command;
  EXPECT_TRUE(fs::exists(png)) << png;
}

// Our Word files of two pages bound on the left or on the right of every
// page, or mirrored with a right-hand first page: LibreOffice prints each
// page's first line where we print it. (A mirrored left-hand first page
// goes out as an even-page start, which LibreOffice passes over: it takes
// a page's side from its number.)
TEST_F(PagePeers, LibreOfficePrintsOurWordBindingWhereWeDo) {
  struct Row {
    const char* name;
    uint8_t alternate;
    int8_t bindingLeft;
  };
  const Row rows[] = {{"bound-left", 0, 1}, {"bound-right", 0, 0}, {"mirrored-right", 1, 1}};
  const fs::path look = SourceFolder() / "fixtures" / "word" / "look";
  const fs::path folder = Cache() / "binding";
  fs::create_directories(folder);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_EQ(0, Open("mirrored.doc", look));
    xMorvaDocParams& params = fresh->Params();
    params.SetAlternateBinding(row.alternate);
    params.SetBindingLeft(row.bindingLeft);
    fresh->UpdateReferencePrinter();
    const fs::path ours = folder / (std::string(row.name) + ".ours.pdf");
    ASSERT_GT(printtest::PrintDocument(*fresh, ours), 0);
    oletest::MemoryFile memory;
    xMorvaExportWord writer;
    ASSERT_EQ(0, writer.ExportWordDocument(fresh.get(), &memory.Stream()));
    const fs::path doc = folder / (std::string(row.name) + ".doc");
    const std::vector<uint8_t> bytes = memory.Contents();
    StoreIfChanged(doc, bytes);
    const std::string command = "soffice -env:UserInstallation=file://" + (Cache() / "profile").string() +
                                " --headless --convert-to pdf --outdir " + Quoted(folder) + " " + Quoted(doc) +
                                " >/dev/null 2>&1";
    ASSERT_EQ(0, std::system(command.c_str()));
    const std::vector<PrintedLine> theirs = PrintedLines(folder / (std::string(row.name) + ".pdf"));
    const std::vector<PrintedLine> mine = PrintedLines(ours);
    for (int page : {1, 2}) {
      SCOPED_TRACE("page " + std::to_string(page));
      auto first = [&](const std::vector<PrintedLine>& lines) {
        auto at = std::find_if(lines.begin(), lines.end(), [&](const PrintedLine& l) { return l.page == page; });
        return at == lines.end() ? PrintedLine{} : *at;
      };
      ASSERT_FALSE(first(theirs).word.empty());
      EXPECT_EQ(first(mine).word, first(theirs).word);
      EXPECT_NEAR(first(mine).x, first(theirs).x, 1.5);
    }
  }
}

// The lowest printed line of a page: the top and bottom of its box and its
// first word; an empty word when the page has no line.
struct LowestLine {
  double top = 0, bottom = 0;
  std::string word;
  double left = 0, right = 0;
};
// The topmost printed line of a page (the first in the PDF's order when
// two stand level) and the lowest: their boxes and first words.
std::pair<LowestLine, LowestLine> TopAndBottomLines(const fs::path& pdf, int page) {
  const std::string boxes = peertest::Output("pdftotext -bbox-layout " + Quoted(pdf) + " -");
  const std::regex line("<line xMin=\"([0-9.]+)\" yMin=\"([0-9.-]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.-]+)\">");
  const std::regex word(">([^<]*)</word>");
  LowestLine top, bottom;
  top.top = 1e9;
  int at = 0;
  for (size_t i = 0; (i = boxes.find('<', i)) != std::string::npos; ++i) {
    if (boxes.compare(i, 6, "<page ") == 0) ++at;
    if (at != page || boxes.compare(i, 6, "<line ") != 0) continue;
    const std::string rest = boxes.substr(i, boxes.find("</line>", i) - i);
    std::smatch box, first;
    if (!std::regex_search(rest, box, line) || !std::regex_search(rest, first, word)) continue;
    const LowestLine found{std::stod(box[2]), std::stod(box[4]), first[1], std::stod(box[1]), std::stod(box[3])};
    if (found.top < top.top) top = found;
    if (found.bottom > bottom.bottom) bottom = found;
  }
  return {top, bottom};
}

LowestLine LowestLineOf(const fs::path& pdf, int page) { return TopAndBottomLines(pdf, page).second; }

// A footer prints whole on the paper, its last line ending at least 12
// points above the page's lower edge, and one that its band places higher
// stays there. Our Word file of a three-line footer under a bottom margin
// too small for it (the footer's band reaching 14 points above the edge),
// and one whose margin holds it: its last line ends where LibreOffice ends
// the same file's. Page 1 of the first is kept as a picture.
TEST_F(PagePeers, AFooterEndsOnThePaperWhereLibreOfficeEndsIt) {
  const fs::path folder = Cache() / "footers";
  fs::create_directories(folder);
  struct Row {
    const char* name;
    int32_t bottom, footer;  // points: the bottom margin, the footer's upper edge above the lower edge
  };
  for (const Row& row : {Row{"footer-low", 28, 14}, Row{"footer-high", 71, 34}}) {
    SCOPED_TRACE(row.name);
    xMorvaDocument made(nullptr);
    made.Params().SetPageSize(TwipsToPixels(11906), TwipsToPixels(16838));
    rtftest::Type(rtftest::Engine(made, kPartBody), u"A letter of one line.");
    rtftest::Type(rtftest::Engine(made, kPartFooter), u"Foot one\nFoot two\nFoot three");
    xMorvaPageBands& bands = made.Params().GetBands(false);
    bands.bottomMargin = PointsToPixels(row.bottom);
    bands.footerTop = PointsToPixels(row.footer);
    bands.footerBottom = 0;
    made.Params().GetBands(true) = bands;
    oletest::MemoryFile memory;
    xMorvaExportWord writer;
    ASSERT_EQ(0, writer.ExportWordDocument(&made, &memory.Stream()));
    const fs::path doc = folder / (std::string(row.name) + ".doc");
    const fs::path theirs = folder / (std::string(row.name) + ".pdf");
    if (StoreIfChanged(doc, memory.Contents()) || !fs::exists(theirs)) {
      const std::string command = "soffice -env:UserInstallation=file://" + (Cache() / "profile").string() +
                                  " --headless --convert-to pdf --outdir " + Quoted(folder) + " " + Quoted(doc) +
                                  " >/dev/null 2>&1";
      ASSERT_EQ(0, std::system(command.c_str()));
    }
    ASSERT_EQ(0, Open(std::string(row.name) + ".doc", folder));
    const fs::path ours = folder / (std::string(row.name) + ".ours.pdf");
    ASSERT_GT(printtest::PrintDocument(*fresh, ours), 0);
    const LowestLine mine = LowestLineOf(ours, 1), peer = LowestLineOf(theirs, 1);
    ASSERT_EQ("Foot", peer.word);
    EXPECT_EQ("Foot", mine.word);
    EXPECT_NEAR(peer.bottom, mine.bottom, 2.5);
    EXPECT_LE(mine.bottom, 842 - 11.0);
    if (std::string(row.name) == "footer-low") {
      const std::string command = Python() + " " + Quoted(Tools() / "page_facts.py") + " picture " + Quoted(ours) +
                                  " " + Quoted(theirs) + " " + Quoted(folder / "footer-low.png");
      EXPECT_EQ(0, std::system(command.c_str())) << command;
    }
  }
}

// LibreOffice's RTF and Word files of a letter with a footer of one line
// and of three lines at 720 twips: the footer's last line prints where
// LibreOffice prints it, in the fixture and in our RTF and Word file of
// it, which LibreOffice prints. AbiWord prints the footer of our RTF of
// LibreOffice's Word file of a report whose footer stands 1635 twips
// above the page's lower edge on every page. Page 1 of each is kept as a
// picture, ours beside LibreOffice's.
TEST_F(PagePeers, AFooterEndsAtItsDistanceWhereLibreOfficeEndsIt) {
  const fs::path fixtures = SourceFolder() / "fixtures" / "footers";
  const fs::path folder = Cache() / "footer-distance";
  fs::remove_all(folder);
  fs::create_directories(folder);
  std::vector<std::string> names;
  for (const std::string stem : {"footer1", "footer3"})
    for (const std::string kind : {".lo.rtf", ".doc"}) names.push_back(stem + kind);
  names.push_back("headerfooter.doc");
  std::string files;
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    fs::copy_file(fixtures / name, folder / name);
    ASSERT_EQ(0, Open(name, fixtures));
    ASSERT_GT(printtest::PrintDocument(*fresh, folder / (name + "-print.pdf")), 0);
    oletest::MemoryFile memory;
    xMorvaExportWord writer;
    ASSERT_EQ(0, writer.ExportWordDocument(fresh.get(), &memory.Stream()));
    StoreIfChanged(folder / (name + "-ours-doc.doc"), memory.Contents());
    StoreIfChanged(folder / (name + "-ours-rtf.rtf"), texttest::Written([&](VStream& stream) {
                     xMorvaExportRTF rtf;
                     return rtf.ExportRtf(*fresh, stream, false);
                   }));
    for (const char* file : {"", "-ours-doc.doc", "-ours-rtf.rtf"}) files += " " + Quoted(folder / (name + file));
  }
  const std::string command = "soffice -env:UserInstallation=file://" + (Cache() / "profile").string() +
                              " --headless --convert-to pdf --outdir " + Quoted(folder) + files + " >/dev/null 2>&1";
  ASSERT_EQ(0, std::system(command.c_str())) << command;
  auto near = [](const LowestLine& peer, const LowestLine& line) {
    EXPECT_EQ(peer.word, line.word);
    EXPECT_NEAR(peer.left, line.left, 2.5);
    EXPECT_NEAR(peer.right, line.right, 2.5);
    EXPECT_NEAR(peer.top, line.top, 2.5);
    EXPECT_NEAR(peer.bottom, line.bottom, 2.5);
  };
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const fs::path theirs = folder / (fs::path(name).stem().string() + ".pdf");
    const LowestLine peer = LowestLineOf(theirs, 1);
    if (name.rfind("footer", 0) == 0) {
      ASSERT_EQ("Footer", peer.word);
      near(peer, LowestLineOf(folder / (name + "-print.pdf"), 1));
      for (const std::string ours : {"-ours-doc", "-ours-rtf"}) {
        SCOPED_TRACE("LibreOffice prints our file " + ours);
        near(peer, LowestLineOf(folder / (name + ours + ".pdf"), 1));
      }
    }
    const std::string picture = Python() + " " + Quoted(Tools() / "page_facts.py") + " picture " +
                                Quoted(folder / (name + "-print.pdf")) + " " + Quoted(theirs) + " " +
                                Quoted(folder / (name + ".png"));
    EXPECT_EQ(0, std::system(picture.c_str())) << picture;
  }
  if (!peertest::HasProgram("abiword")) GTEST_SKIP() << "AbiWord is not installed";
  const fs::path abiword = folder / "headerfooter.abiword.pdf";
  const std::string convert = "abiword --to=pdf -o " + Quoted(abiword) + " " +
                              Quoted(folder / "headerfooter.doc-ours-rtf.rtf") + " >/dev/null 2>&1";
  ASSERT_EQ(0, std::system(convert.c_str())) << convert;
  for (int page : {1, 2, 3}) {
    SCOPED_TRACE("AbiWord, page " + std::to_string(page));
    EXPECT_EQ("Page", LowestLineOf(abiword, page).word);
  }
}


// AbiWord's RTF of a paper whose source gives no top or bottom margin and
// no header or footer distance, which AbiWord then leaves out too (it
// gives the left and right margins): it opens with RTF's own margins,
// those LibreOffice prints it with: LibreOffice prints it as it prints its
// own RTF of the source, which names them (top and bottom 1440 twips,
// header and footer 720), and we open that one with the same page; our
// body's first line prints where LibreOffice prints it. AbiWord prints our
// RTF of it as it prints its own.
TEST_F(PagePeers, AnAbiWordPaperWithoutMarginWordsOpensWithLibreOfficesMargins) {
  const std::string name = "plainpage.abiword.rtf";
  const std::string rtf = peertest::ReadFile(Fixtures() / name);
  for (const char* word : {"\\margt", "\\margb", "\\headery", "\\footery"})
    ASSERT_EQ(std::string::npos, rtf.find(word)) << word;
  const fs::path folder = Cache() / "plainpage";
  fs::create_directories(folder);
  bool changed = false;
  for (const std::string& file : {name, std::string("plainpage.lo.rtf")}) {
    const std::string bytes = peertest::ReadFile(Fixtures() / file);
    changed = StoreIfChanged(folder / file, std::vector<uint8_t>(bytes.begin(), bytes.end())) || changed;
  }
  const fs::path theirs = folder / "plainpage.abiword.pdf", theirOwn = folder / "plainpage.lo.pdf";
  if (changed || !fs::exists(theirs) || !fs::exists(theirOwn)) {
    const std::string command = "soffice -env:UserInstallation=file://" + (Cache() / "profile").string() +
                                " --headless --convert-to pdf --outdir " + Quoted(folder) + " " +
                                Quoted(folder / name) + " " + Quoted(folder / "plainpage.lo.rtf") + " >/dev/null 2>&1";
    ASSERT_EQ(0, std::system(command.c_str())) << command;
  }
  const auto [peerTop, peerBottom] = TopAndBottomLines(theirs, 1);
  const auto [ownTop, ownBottom] = TopAndBottomLines(theirOwn, 1);
  ASSERT_EQ("Harbour", peerTop.word);
  ASSERT_EQ("Footline", peerBottom.word);
  EXPECT_NEAR(ownTop.top, peerTop.top, 1.0);
  EXPECT_NEAR(ownBottom.bottom, peerBottom.bottom, 1.0);
  const std::vector<PrintedLine> peer = PrintedLines(theirs), peerOwn = PrintedLines(theirOwn);
  auto body = [](const std::vector<PrintedLine>& lines) {
    auto at = std::find_if(lines.begin(), lines.end(), [](const PrintedLine& l) { return l.word == "Timber"; });
    return at == lines.end() ? PrintedLine{} : *at;
  };
  ASSERT_EQ("Timber", body(peer).word);
  EXPECT_NEAR(body(peerOwn).y, body(peer).y, 1.0);

  ASSERT_EQ(0, Open("plainpage.lo.rtf"));
  const xMorvaPageBands named = fresh->GetParams().GetBands(false);
  ASSERT_EQ(0, Open(name));
  const xMorvaDocParams& params = fresh->GetParams();
  EXPECT_TRUE(named == params.GetBands(false));
  EXPECT_EQ(TwipsToPixels(1440), params.GetBands(false).topMargin);
  EXPECT_EQ(TwipsToPixels(1440), params.GetBands(false).bottomMargin);
  EXPECT_EQ(TwipsToPixels(720), params.GetBands(false).headerTop);
  EXPECT_NEAR(PixelsToTwips(params.GetLeftMargin()) / 20.0, body(peer).x, 1.0);

  // Page 1 of our print beside LibreOffice's, for a person to look at.
  const fs::path ours = folder / "plainpage.ours.pdf";
  ASSERT_EQ(1, printtest::PrintDocument(*fresh, ours));
  EXPECT_NEAR(body(peer).y, body(PrintedLines(ours)).y, 1.0) << "the body below the top margin";
  const std::string picture = Python() + " " + Quoted(Tools() / "page_facts.py") + " picture " + Quoted(ours) + " " +
                              Quoted(theirs) + " " + Quoted(folder / "plainpage.png");
  EXPECT_EQ(0, std::system(picture.c_str())) << picture;

  if (!peertest::HasProgram("abiword")) GTEST_SKIP() << "AbiWord is not installed";
  StoreIfChanged(folder / "plainpage.ours.rtf", texttest::Written([&](VStream& stream) {
                   xMorvaExportRTF writer;
                   return writer.ExportRtf(*fresh, stream, false);
                 }));
  for (const std::string file : {"plainpage.abiword", "plainpage.ours"}) {
    const std::string convert = "abiword --to=pdf -o " + Quoted(folder / (file + ".by-abiword.pdf")) + " " +
                                Quoted(folder / (file + ".rtf")) + " >/dev/null 2>&1";
    ASSERT_EQ(0, std::system(convert.c_str())) << convert;
  }
  const auto [abiTop, abiBottom] = TopAndBottomLines(folder / "plainpage.abiword.by-abiword.pdf", 1);
  const auto [ourTop, ourBottom] = TopAndBottomLines(folder / "plainpage.ours.by-abiword.pdf", 1);
  SCOPED_TRACE("AbiWord prints our RTF");
  EXPECT_EQ(abiTop.word, ourTop.word);
  EXPECT_EQ(abiBottom.word, ourBottom.word);
  EXPECT_NEAR(abiTop.top, ourTop.top, 1.0);
  EXPECT_NEAR(abiTop.left, ourTop.left, 1.0);
  EXPECT_NEAR(abiBottom.bottom, ourBottom.bottom, 1.0);
}

// Our Word and RTF files of a page fitted to a paper: LibreOffice prints
// each on the paper's own size, as we print it: Letter and Legal (their
// exact sizes, not a custom paper a fraction of a millimetre off), and
// Ledger, A4 and a paper of the user's own size turned across (the page's
// width and height as the file gives them).
TEST_F(PagePeers, LibreOfficePrintsOurFilesOnTheirPaper) {
  struct Row {
    const char* name;
    int32_t width, height;  // hundredths of a millimetre, as the page lies
    bool across;
    double within;  // points: a named paper is exact (our print a fraction off), one of the user's own whole pixels
  };
  const Row rows[] = {{"letter", 21590, 27940, false, 0.25}, {"legal", 21590, 35560, false, 0.25},
                      {"ledger-across", 27940, 43180, true, 0.25}, {"a4-across", 29700, 21000, true, 0.25},
                      {"own-across", 10000, 20000, true, 1.0}};
  const fs::path folder = Cache() / "papers";
  fs::create_directories(folder);
  auto pixels = [](int32_t hundredths) {
    return int32_t((hundredths + 50) / 100 * 0.1 / 2.54 * GetScreenResolution());
  };
  auto size = [](const fs::path& pdf) {
    const std::string info = peertest::Output("pdfinfo " + Quoted(pdf) + " 2>/dev/null");
    const size_t at = info.find("Page size:");
    double width = 0, height = 0;
    if (at != std::string::npos) std::sscanf(info.c_str() + at + 10, " %lf x %lf", &width, &height);
    return std::pair{width, height};
  };
  std::string files;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    xMorvaDocument made(nullptr);
    // As the page setup gives a paper, and the page takes it.
    made.GetPrinter()->TakePaperOfPage(row.width, row.height, row.across, 2000, 2000, 2000, 2000);
    made.FitPageToPaper(false, true);
    ASSERT_EQ(pixels(row.width), made.GetParams().GetPageWidth());
    ASSERT_EQ(pixels(row.height), made.GetParams().GetPageHeight());
    rtftest::Type(rtftest::Engine(made, kPartBody), u"A page of its own paper.");
    ASSERT_GT(printtest::PrintDocument(made, folder / (std::string(row.name) + ".ours.pdf")), 0);
    oletest::MemoryFile memory;
    xMorvaExportWord writer;
    ASSERT_EQ(0, writer.ExportWordDocument(&made, &memory.Stream()));
    StoreIfChanged(folder / (std::string(row.name) + "-doc.doc"), memory.Contents());
    StoreIfChanged(folder / (std::string(row.name) + "-rtf.rtf"), texttest::Written([&](VStream& stream) {
                     xMorvaExportRTF rtf;
                     return rtf.ExportRtf(made, stream, false);
                   }));
    files += " " + Quoted(folder / (std::string(row.name) + "-doc.doc")) + " " +
             Quoted(folder / (std::string(row.name) + "-rtf.rtf"));
  }
  const std::string command = "soffice -env:UserInstallation=file://" + (Cache() / "profile").string() +
                              " --headless --convert-to pdf --outdir " + Quoted(folder) + files + " >/dev/null 2>&1";
  ASSERT_EQ(0, std::system(command.c_str())) << command;
  for (const Row& row : rows) {
    const double width = row.width * 72.0 / 2540, height = row.height * 72.0 / 2540;
    for (const std::string pdf : {".ours.pdf", "-doc.pdf", "-rtf.pdf"}) {
      SCOPED_TRACE(row.name + pdf);
      const auto [w, h] = size(folder / (row.name + pdf));
      EXPECT_NEAR(width, w, row.within);
      EXPECT_NEAR(height, h, row.within);
    }
  }
}


// A two-page letter whose footer is "Foot PAGE of NUMPAGES", saved as
// Word alone, after RTF, after HTML, after Word and after printing it:
// LibreOffice prints each Word file's two pages with the footer the
// letter showed, "Foot 1 of 2" (our Word files hold a page number as the
// text it shows), never with "0000", the widest text the footer's measure
// composes it with. AbiWord prints the Word file saved after Word the
// same.
TEST_F(PagePeers, AWordFileSavedAfterAnotherSaveHoldsTheFootersNumbers) {
  const fs::path folder = Cache() / "page-numbers";
  fs::remove_all(folder);
  fs::create_directories(folder);
  std::ofstream(folder / "letter.rtf")
      << "{\\rtf1{\\footer Foot {\\field{\\*\\fldinst PAGE}{\\fldrslt 1}} of "
         "{\\field{\\*\\fldinst NUMPAGES}{\\fldrslt 2}}\\par}Page one.\\page Page two.\\par}";
  struct Row {
    const char* name;
    std::function<void(xMorvaDocument&, const fs::path&)> before;
  };
  const Row rows[] = {
      {"alone", [](xMorvaDocument&, const fs::path&) {}},
      {"after-rtf",
       [](xMorvaDocument& document, const fs::path&) {
         texttest::Written([&](VStream& stream) {
           xMorvaExportRTF writer;
           return writer.ExportRtf(document, stream, false);
         });
       }},
      {"after-html",
       [](xMorvaDocument& document, const fs::path& path) {
         texttest::Written([&](VStream& stream) {
           xMorvaExportHTML writer;
           return writer.ExportHTMLDocument(document, stream, path.string());
         });
       }},
      {"after-doc",
       [](xMorvaDocument& document, const fs::path&) {
         oletest::MemoryFile memory;
         xMorvaExportWord writer;
         EXPECT_EQ(0, writer.ExportWordDocument(&document, &memory.Stream()));
       }},
      {"after-print",
       [](xMorvaDocument& document, const fs::path& path) {
         EXPECT_EQ(2, printtest::PrintDocument(document, fs::path(path).replace_extension(".ours.pdf")));
       }},
  };
  std::string files;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_EQ(0, Open("letter.rtf", folder));
    row.before(*fresh, folder / (std::string(row.name) + ".html"));
    oletest::MemoryFile memory;
    xMorvaExportWord writer;
    ASSERT_EQ(0, writer.ExportWordDocument(fresh.get(), &memory.Stream()));
    StoreIfChanged(folder / (std::string(row.name) + ".doc"), memory.Contents());
    files += " " + Quoted(folder / (std::string(row.name) + ".doc"));
  }
  const std::string command = "soffice -env:UserInstallation=file://" + (Cache() / "profile").string() +
                              " --headless --convert-to pdf --outdir " + Quoted(folder) + files + " >/dev/null 2>&1";
  ASSERT_EQ(0, std::system(command.c_str())) << command;
  auto expectPages = [](const fs::path& pdf) {
    const std::string text = peertest::Output("pdftotext -layout " + Quoted(pdf) + " - 2>/dev/null");
    std::vector<std::string> pages;
    std::istringstream in(text);
    for (std::string page; std::getline(in, page, '\f');)
      if (page.find_first_not_of(" \n") != std::string::npos) pages.push_back(page);
    ASSERT_EQ(2u, pages.size()) << text;
    for (size_t p = 0; p < pages.size(); ++p) {
      SCOPED_TRACE("page " + std::to_string(p + 1));
      EXPECT_NE(std::string::npos, pages[p].find(p == 0 ? "Page one." : "Page two.")) << pages[p];
      EXPECT_NE(std::string::npos, pages[p].find("Foot 1 of 2")) << pages[p];
      EXPECT_EQ(std::string::npos, pages[p].find("0000")) << pages[p];
    }
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string("LibreOffice prints ") + row.name + ".doc");
    expectPages(folder / (std::string(row.name) + ".pdf"));
  }
  if (!peertest::HasProgram("abiword")) GTEST_SKIP() << "AbiWord is not installed";
  const fs::path abiword = folder / "after-doc.abiword.pdf";
  const std::string convert =
      "abiword --to=pdf -o " + Quoted(abiword) + " " + Quoted(folder / "after-doc.doc") + " >/dev/null 2>&1";
  ASSERT_EQ(0, std::system(convert.c_str())) << convert;
  SCOPED_TRACE("AbiWord prints after-doc.doc");
  expectPages(abiword);
}

}  // namespace pagepeers
