// HTML pages read into a document: paragraphs and whitespace, character
// references, properties through nested tags, lists, tables, links,
// images beside the page, encodings, and hostile input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "area/view/xMorvaHyperlink.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaTabs.h"
#include "engine/tests/EngineTestSupport.h"
#include "framework/core/streams/VMemoryStream.h"
#include "graphics/pictures/VQuickTimePictures.h"
#include "interchange/html/HTMLEntities.h"
#include "interchange/html/xMorvaImportHTML.h"
#include "interchange/tests/RtfTestSupport.h"

using namespace rtftest;

namespace {

class ImportHTML : public Fixture {
 protected:
  int32_t Read(xMorvaDocument& document, const std::string& html, const std::string& folder = "") {
    xMorvaImportHTML reader;
    return reader.ImportHTMLBytes(document, reinterpret_cast<const uint8_t*>(html.data()), uint32_t(html.size()),
                                  folder);
  }
  std::string Text(const std::string& html, const std::string& folder = "") {
    auto document = NewDocument();
    EXPECT_EQ(0, Read(*document, html, folder));
    return TextOf(*document, kPartBody);
  }
};

int32_t HtmlAt(xMorvaDocument& document, size_t position, uint16_t id) {
  const auto positions = Positions(document, kPartBody);
  EXPECT_LT(position, positions.size());
  return position < positions.size() ? positions[position].properties.at(id) : -999;
}

// A 1 x 1 PNG.
const unsigned char kHtmlTestPng[] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48,
                              0x44, 0x52, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00,
                              0x00, 0x1F, 0x15, 0xC4, 0x89, 0x00, 0x00, 0x00, 0x0A, 0x49, 0x44, 0x41, 0x54, 0x78,
                              0x9C, 0x63, 0x00, 0x01, 0x00, 0x00, 0x05, 0x00, 0x01, 0x0D, 0x0A, 0x2D, 0xB4, 0x00,
                              0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};

class HtmlPageFolder {
 public:
  HtmlPageFolder() {
    fPath = std::filesystem::temp_directory_path() / ("qv-html-" + std::to_string(getpid()));
    std::filesystem::create_directories(fPath / "page" / "img");
  }
  ~HtmlPageFolder() { std::filesystem::remove_all(fPath); }
  void Write(const std::string& name, const void* bytes, size_t size) const {
    std::ofstream(fPath / name, std::ios::binary).write(static_cast<const char*>(bytes), std::streamsize(size));
  }
  std::string Page() const { return (fPath / "page").string(); }

 private:
  std::filesystem::path fPath;
};

}  // namespace

TEST_F(ImportHTML, BlocksBreaksAndWhitespace) {
  struct Case {
    const char* html;
    const char* text;
  };
  const Case cases[] = {
      // Breaks at the start and consecutive breaks collapse; a closed block
      // leaves an empty spacing paragraph.
      {"<p>a</p><p>b</p>", "a\n\nb\n\n"},
      {"a<br><br>b", "a\nb"},
      {"x   y", "x y"},
      {"<pre>x   y</pre>", "x   y"},
      {"<pre>a\nb</pre>", "a\nb"},
      {"<h1>T</h1>x", "T\n\nx"},
      {"<title>T</title><body>x</body>", "x"},
      {"x<script>y</script>z", "xz"},
      {"<head><title>T</title></head><p>x", "x"},
      {"<table><tr><td>a<td>b<tr><td>c<td>d</table>", "a\tb\nc\td\n\n"},
      {"<ol><li>x<li>y</ol>", "\t1.\tx\n\t2.\ty\n\n"},
      {"<ol type=a><li>x<li value=4>y</ol>", "\ta.\tx\n\td.\ty\n\n"},
      // A numbered item's label and its text wrapped in a paragraph or a
      // block are one paragraph.
      {"<ol><li><p>x</p><li>\n<p>y</p></ol>", "\t1.\tx\n\n\t2.\ty\n\n"},
      {"<ol><li><div><h2>x</h2></div></ol>", "\t1.\tx\n\n"},
      {"<ol><li><p></p><li>y</ol>", "\t1.\t\n\n\t2.\ty\n\n"},
      {"<ul><li>x</ul>", "x\n\n"},
      {"<dl><dt>t<dd>d</dl>", "t\nd\n\n"},
      {"a<!-- <b>hidden</b> -->b", "ab"},
      {"<!DOCTYPE html><p>a", "a"},
      {"a < b", "a < b"},
      // Runs of plain text: whitespace of every kind collapses to one
      // space across the run, and a reference, a tag or a byte above 127
      // ends the run without losing a byte around it.
      {"one\t\r\n two  three", "one two three"},
      {"a&amp;b&lt;c <b>d</b>  e\xE9" "f g", "a&b<c d e<00E9>f g"},
      {"x \n<b> y</b>", "x y"},
      {"<pre>a  b\tc</pre>d  e", "a  b cd e"},
      {"<title>t  u</title>v   w", "v w"},
      {"~!\x7F#z", "~!\x7F#z"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.html);
    EXPECT_EQ(c.text, Text(c.html));
  }
}

TEST_F(ImportHTML, CharacterReferences) {
  struct Case {
    const char* html;
    const char* text;
  };
  const Case cases[] = {
      {"&Eacute;&eacute;", "<00C9><00E9>"},
      {"&#233;", "<00E9>"},
      {"&#x41;&#X6a;", "Aj"},
      {"AT&T ok", "AT&T ok"},
      {"a & b", "a & b"},
      {"&nosuch;", "&nosuch;"},
      {"&#12a;", "&#12a;"},
      {"&verylongname;", "&verylongname;"},
      {"&#99999999;", "<FFFD>"},
      {"&#55357;", "<FFFD>"},
      {"&#0;", "<FFFD>"},
      {"&#128512;", "<D83D><DE00>"},
      {"&lt;&gt;&amp;&quot;", "<>&\""},
      {"x&", "x&"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.html);
    EXPECT_EQ(c.text, Text(c.html));
  }
}

TEST_F(ImportHTML, BytesAbove127FollowTheDeclaredEncoding) {
  EXPECT_EQ("<00E9>", Text("\xE9"));
  EXPECT_EQ("<00E9><20AC>", Text("\xEF\xBB\xBF\xC3\xA9\xE2\x82\xAC"));
  EXPECT_EQ("<00E9>", Text("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">\xC3\xA9"));
  EXPECT_EQ("<00E9>", Text("<meta charset=\"utf-8\">\xC3\xA9"));
  // A byte that starts no whole sequence is read as Windows text.
  EXPECT_EQ("<00E9>x", Text("<meta charset=utf-8>\xE9x"));
}

TEST_F(ImportHTML, NestedTagsRestoreTheirProperties) {
  auto document = NewDocument();
  ASSERT_EQ(0, Read(*document, "a<b>b<i>c</i></b><u>d</u><s>e</s><sup>f</sup><sub>g</sub>h"));
  ASSERT_EQ("abcdefgh", TextOf(*document, kPartBody));
  EXPECT_EQ(0, HtmlAt(*document, 0, kPropBold));
  EXPECT_EQ(1, HtmlAt(*document, 1, kPropBold));
  EXPECT_EQ(0, HtmlAt(*document, 1, kPropItalic));
  EXPECT_EQ(1, HtmlAt(*document, 2, kPropItalic));
  EXPECT_EQ(1, HtmlAt(*document, 2, kPropBold));
  EXPECT_EQ(0, HtmlAt(*document, 3, kPropBold));
  EXPECT_EQ(1, HtmlAt(*document, 3, kPropUnderline));
  EXPECT_EQ(1, HtmlAt(*document, 4, kPropStrikeOut));
  EXPECT_EQ(1, HtmlAt(*document, 5, kPropVerticalPosition));
  EXPECT_EQ(2, HtmlAt(*document, 6, kPropVerticalPosition));
  EXPECT_EQ(0, HtmlAt(*document, 7, kPropVerticalPosition));
  EXPECT_EQ(12, HtmlAt(*document, 7, kPropSize));
  EXPECT_EQ("Times New Roman", FontName(*document, HtmlAt(*document, 0, kPropFont)));
}

TEST_F(ImportHTML, FontAttributes) {
  auto document = NewDocument();
  ASSERT_EQ(0, Read(*document,
                    "<font size=+2>a</font><font size=9>b</font><font size=-1>c</font>"
                    "<font color=#FF0000>d</font><font color=nosuch>e</font><font color=navy>f</font>"
                    "<font face=\"Arial, Helvetica\">g</font>h</font></font>i<small>j</small><tt>k</tt>"
                    "<font face=\"Courier  \t  New,Arial\" color=\"#00ff00\">l</font>"));
  ASSERT_EQ("abcdefghijkl", TextOf(*document, kPartBody));
  EXPECT_EQ(18, HtmlAt(*document, 0, kPropSize));
  EXPECT_EQ(36, HtmlAt(*document, 1, kPropSize));
  EXPECT_EQ(10, HtmlAt(*document, 2, kPropSize));
  EXPECT_EQ(0x0000FF, HtmlAt(*document, 3, kPropTextColour));
  EXPECT_EQ(0, HtmlAt(*document, 4, kPropTextColour));
  EXPECT_EQ(0x800000, HtmlAt(*document, 5, kPropTextColour));
  EXPECT_EQ("Arial", FontName(*document, HtmlAt(*document, 6, kPropFont)));
  // Closing tags without their opening ones change nothing.
  EXPECT_EQ("Times New Roman", FontName(*document, HtmlAt(*document, 8, kPropFont)));
  EXPECT_EQ(12, HtmlAt(*document, 8, kPropSize));
  EXPECT_EQ(10, HtmlAt(*document, 9, kPropSize));
  EXPECT_EQ("Courier New", FontName(*document, HtmlAt(*document, 10, kPropFont)));
  // A quoted value keeps a run of spaces inside it as one.
  EXPECT_EQ("Courier New", FontName(*document, HtmlAt(*document, 11, kPropFont)));
  EXPECT_EQ(0x00FF00, HtmlAt(*document, 11, kPropTextColour));
}

TEST_F(ImportHTML, ParagraphPropertiesAndLists) {
  auto document = NewDocument();
  ASSERT_EQ(0, Read(*document, "<p align=center>c</p><blockquote>q</blockquote><ul><li>u</ul><ol><li>n</ol>"));
  const auto positions = Positions(*document, kPartBody);
  ASSERT_EQ("c\n\nq\n\nu\n\n\t1.\tn\n\n", TextOf(*document, kPartBody));
  EXPECT_EQ(1, HtmlAt(*document, 0, kPropAlignment));
  EXPECT_EQ(0, HtmlAt(*document, 3, kPropAlignment));
  const int32_t unit = document->GetParams().FromDisplayUnit(1);
  EXPECT_EQ(unit, HtmlAt(*document, 3, kPropLeftIndent));
  EXPECT_EQ(unit, HtmlAt(*document, 3, kPropRightIndent));
  xMorvaEngine& body = Engine(*document, kPartBody);
  body.SetSelection(6, 6);
  EXPECT_EQ(108, body.GetPropertyValue(kPropBullet));
  EXPECT_EQ(unit, HtmlAt(*document, 6, kPropLeftIndent));
  // The numbered item hangs out by one and a half units, its number right
  // aligned half a unit before the text.
  EXPECT_EQ(document->GetParams().FromDisplayUnit(-1.5), HtmlAt(*document, 9, kPropFirstLineIndent));
  ASSERT_EQ(1u, positions[9].tabs.size());
  EXPECT_EQ(kTabRight, TabStopKind(positions[9].tabs[0]));
  EXPECT_EQ(document->GetParams().FromDisplayUnit(0.5), TabStopPosition(positions[9].tabs[0]));
  body.SetSelection(9, 9);
  EXPECT_EQ(0, body.GetPropertyValue(kPropBullet));
}

// Character properties set before a paragraph takes its own properties
// reach the paragraph's text, a long run typed at once and a short one alike.
TEST_F(ImportHTML, CharacterPropertiesOutlastTheParagraphsOwn) {
  auto document = NewDocument();
  const std::string longRun = "Bold and centred, a run of forty letters";
  ASSERT_EQ(0, Read(*document, "<b><p align=center>" + longRun + "</p></b><i><div align=right>it</div></i><p>plain"));
  ASSERT_EQ(longRun + "\n\nit\n\nplain", TextOf(*document, kPartBody));
  const size_t it = longRun.size() + 2, plain = it + 4;
  for (const size_t at : {size_t(0), longRun.size() - 1}) {
    EXPECT_EQ(1, HtmlAt(*document, at, kPropBold));
    EXPECT_EQ(0, HtmlAt(*document, at, kPropItalic));
    EXPECT_EQ(1, HtmlAt(*document, at, kPropAlignment));
  }
  EXPECT_EQ(0, HtmlAt(*document, it, kPropBold));
  EXPECT_EQ(1, HtmlAt(*document, it + 1, kPropItalic));
  EXPECT_EQ(2, HtmlAt(*document, it, kPropAlignment));
  EXPECT_EQ(0, HtmlAt(*document, plain, kPropItalic));
  EXPECT_EQ(0, HtmlAt(*document, plain + 4, kPropAlignment));
}

TEST_F(ImportHTML, LinksBecomeHyperlinkElements) {
  auto document = NewDocument();
  ASSERT_EQ(0, Read(*document, "x<a href=\"http://Example.org/A\">t<b>u</b></a><a name=n>y</a>"));
  const auto positions = Positions(*document, kPartBody);
  ASSERT_EQ(3u, positions.size());
  EXPECT_EQ(u'x', positions[0].unit);
  EXPECT_EQ(char16_t(31), positions[1].unit);
  EXPECT_EQ(u'y', positions[2].unit);
  xMorvaEngine& body = Engine(*document, kPartBody);
  body.SetSelection(1, 2);
  xMorvaHyperlink link;
  ASSERT_TRUE(body.GetHyperlinkAtSelection(link));
  EXPECT_EQ(xMorvaHyperlink::kURL, link.GetKind());
  char text[64] = {};
  link.GetTarget().GetCText(text, sizeof text, 1);
  EXPECT_STREQ("http://Example.org/A", text);
  link.GetTitle().GetCText(text, sizeof text, 1);
  EXPECT_STREQ("tu", text);
}

TEST_F(ImportHTML, ImagesAreReadFromBesideThePage) {
  ASSERT_NE(0u, StartQuickTime());
  HtmlPageFolder folder;
  folder.Write("page/pic.png", kHtmlTestPng, sizeof kHtmlTestPng);
  folder.Write("page/img/in.png", kHtmlTestPng, sizeof kHtmlTestPng);
  folder.Write("up.png", kHtmlTestPng, sizeof kHtmlTestPng);
  folder.Write("page/bad.png", "not a picture", 13);
  struct Case {
    std::string html;
    const char* text;
  };
  const Case cases[] = {
      {"a<img src=pic.png>b", "a\x1f" "b"},
      {"<img src=\"img/in.png\" width=20 height=10>", "\x1f"},
      {"<img src=img\\in.png>", "\x1f"},
      {"<img src=../up.png>", "\x1f"},
      {"<img src=missing.png>", ""},
      {"<img src=bad.png>", ""},
      {"<img src=" + folder.Page() + "/pic.png>", ""},
      {"<img src=http://example.org/pic.png>", ""},
      {"<img src=" + std::string(290, 'x') + "/pic.png>", ""},
      {"<img>", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.html);
    EXPECT_EQ(c.text, Text(c.html, folder.Page()));
  }
  auto document = NewDocument();
  ASSERT_EQ(0, Read(*document, "<img src=pic.png width=20 height=10>", folder.Page()));
  xMorvaEngine& body = Engine(*document, kPartBody);
  body.SetSelection(0, 1);
  int32_t width = 0, height = 0, own = 0, ownHeight = 0;
  body.GetSelectedPictureSize(&width, &height, &own, &ownHeight);
  EXPECT_EQ(20, width);
  EXPECT_EQ(10, height);
  EXPECT_EQ(1, own);
  // Without a folder no image is read.
  EXPECT_EQ("", Text("<img src=pic.png>"));
  StopQuickTime();
}

TEST_F(ImportHTML, HostileInputImportsWhatItCan) {
  std::string nestedBold;
  for (int i = 0; i < 100000; ++i) nestedBold += "<b>";
  std::string nestedQuotes;
  for (int i = 0; i < 100000; ++i) nestedQuotes += "<blockquote>";
  struct Case {
    std::string html;
    std::string text;
  };
  const Case cases[] = {
      {"a<b", "a"},
      {"a<!-- never closed", "a"},
      {"a<script>never closed", "a"},
      {"a</SCRIPT>b", "ab"},
      {"a</select>b</option>c", "abc"},
      {"a<SCRIPT>x</Script>b", "ab"},
      {"a<" + std::string(64, 'q') + " x=y>b", "ab"},
      {"a<p title=\"" + std::string(1 << 20, 'v') + "\">b", "a\n\nb"},
      {"a<p title=" + std::string(1 << 20, 'v') + ">b", "a\n\nb"},
      {nestedBold + "x", "x"},
      {nestedQuotes + "x", "x"},
      // A link never closed is no link; its text stays, as a browser shows it.
      {"<a href=u>never closed", "never closed"},
      {"<div title=header><a href=u>head</div>body</a>", "body"},
      // Stray closing tags change no property; a closing block before any
      // text still ends an (empty) paragraph.
      {"</a></b></font></li></td>x", "x"},
      {"</ol></table>x", "\n\nx"},
      {std::string("a\0b\x01" "c", 5), "abc"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.html.substr(0, 40));
    EXPECT_EQ(c.text, Text(c.html));
  }
}

TEST_F(ImportHTML, ReadsFromAStreamAndResetsTheDocument) {
  auto document = NewDocument();
  Type(Engine(*document, kPartBody), u"old");
  const std::string html = "<p>new";
  VMemoryStream stream(html.data(), uint32_t(html.size()));
  ASSERT_EQ(0, stream.OpenRead());
  xMorvaImportHTML reader;
  ASSERT_EQ(0, reader.ImportHTMLDocument(*document, stream, ""));
  EXPECT_EQ("new", TextOf(*document, kPartBody));
}

namespace {

// The element stream of every part, as stored.
std::vector<Bytes> PartStreams(xMorvaDocument& document) {
  std::vector<Bytes> parts;
  for (int16_t part = 0; part < kPartCount; ++part) {
    auto* engine = static_cast<xMorvaEngine*>(document.GetPart(part));
    parts.push_back(engine != nullptr ? StreamBytes(*engine) : Bytes());
  }
  return parts;
}

// A stream that may say it is longer than it is, as a file cut short while
// it is read would, and that notes the largest read asked of it.
class StreamEndingEarly : public VMemoryStream {
 public:
  StreamEndingEarly(const void* block, uint32_t length, uint32_t claimed)
      : VMemoryStream(block, length), fClaimed(claimed) {}
  uint32_t GetSize() override { return fClaimed; }
  int16_t ReadBytes(void* data, uint32_t& length) override {
    largestRead = std::max(largestRead, length);
    return VMemoryStream::ReadBytes(data, length);
  }
  uint32_t largestRead = 0;

 private:
  uint32_t fClaimed;
};

}  // namespace

// A page read from a stream is read a window at a time: tags, comments,
// references, UTF-8 sequences and skipped elements cut by a window's end
// read as they do from bytes in memory, to the same stored bytes.
TEST_F(ImportHTML, AStreamReadInWindowsGivesTheSameDocumentAsTheBytes) {
  const size_t window = 64 * 1024;
  const std::string tail =
      "<!-- a comment --><b>bold</b> &amp; &#x263A; &eacute;\xC3\xA9\xE2\x82\xAC "
      "<script>if (a < b) x();</script><FONT SIZE=5 COLOR=\"#ff0000\">big</FONT>< p>"
      "<p align=center>centred<br>line</p><ul><li>item</ul>&notanentity; &#12345678;"
      "<font face=\"Courier   New\" color=\"#00ff00\">mono  spaced\ttext\nhere</font>";
  struct Case {
    std::string name;
    std::string page;
    uint32_t skipped;  // bytes before the page in its stream
    uint32_t claimed;  // extra bytes the stream says it has
  };
  std::vector<Case> cases;
  for (size_t cut = 0; cut < tail.size(); cut += 7) {
    const std::string filler = "<p>" + std::string(window - 3 - cut, 'x');
    cases.push_back({"cut " + std::to_string(cut), filler + tail, 0, 0});
    cases.push_back({"utf-8 cut " + std::to_string(cut), "\xEF\xBB\xBF" + filler.substr(3) + tail, 0, 0});
  }
  std::string many;
  while (many.size() < 2 * window + 100) many += tail + "\n";
  cases.push_back({"many windows", many, 0, 0});
  cases.push_back({"after other bytes", many, 1000, 0});
  cases.push_back({"ends early", many, 0, 3000});
  cases.push_back({"short page", "<p>a<b>b", 0, 0});
  cases.push_back({"empty", "", 0, 0});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto fromBytes = NewDocument();
    ASSERT_EQ(0, Read(*fromBytes, c.page));
    const std::string stored = std::string(c.skipped, '<') + c.page;
    StreamEndingEarly stream(stored.data(), uint32_t(stored.size()), uint32_t(stored.size()) + c.claimed);
    ASSERT_EQ(0, stream.OpenRead());
    ASSERT_EQ(0, stream.SetPosition(c.skipped));
    auto fromStream = NewDocument();
    xMorvaImportHTML reader;
    ASSERT_EQ(0, reader.ImportHTMLDocument(*fromStream, stream, ""));
    EXPECT_EQ(Engine(*fromStream, kPartBody).GetLength(), Engine(*fromBytes, kPartBody).GetLength());
    EXPECT_TRUE(PartStreams(*fromStream) == PartStreams(*fromBytes));
    EXPECT_EQ(stream.GetPosition(), stored.size());
    // The page is never held whole.
    EXPECT_LE(stream.largestRead, window);
  }
}

TEST(HTMLColors, ParseAndEncode) {
  EXPECT_EQ(0x0000FF, ParseHTMLColor("#ff0000"));
  EXPECT_EQ(0x0000FF, ParseHTMLColor("#FF0000"));
  EXPECT_EQ(0x00000F, ParseHTMLColor("#0f0g00"));
  EXPECT_EQ(0xD3D3D3, ParseHTMLColor("lightgrey"));
  EXPECT_EQ(0, ParseHTMLColor("lightgray"));
  EXPECT_EQ(0x32CD9A, ParseHTMLColor("yellowgreen"));
  EXPECT_EQ(0, ParseHTMLColor("Red"));
  EXPECT_EQ("red", EncodeHtmlColor(0x0000FF, false));
  EXPECT_EQ("\"aqua\"", EncodeHtmlColor(0xFFFF00, true));
  EXPECT_EQ("#123456", EncodeHtmlColor(0x563412, false));
  for (const HTMLColor& colour : HTMLColorTable)
    EXPECT_EQ(colour.blue << 16 | colour.green << 8 | colour.red, ParseHTMLColor(EncodeHtmlColor(
                                                                     ParseHTMLColor(colour.name), false)))
        << colour.name;
}

// A page's header and footer blocks, as LibreOffice writes them, go into
// the document's header and footer, without the empty lines the body's
// paragraphs leave; other blocks stay in the body.
TEST_F(ImportHTML, HeaderAndFooterBlocksFillTheirParts) {
  struct Case {
    const char* html;
    const char* body;
    const char* header;
    const char* footer;
  };
  const Case cases[] = {
      {"<div title=\"header\"><p align=center>Head <b>one</b></p></div><p>Body</p>"
       "<div title=\"footer\"><p>Foot</p><p>two</p></div>",
       "Body\n\n", "Head one", "Foot\n\ntwo"},
      {"<p>a</p><div title=\"header\">H</div>b", "a\n\nb", "H", ""},
      {"<div title=\"footer\"><div>F</div></div><div>x</div>", "x\n\n", "", "F"},
      {"<div title=\"other\">x</div>y", "x\n\ny", "", ""},
      {"<div title=\"header\"></div>z", "z", "", ""},
      // LibreOffice's page numbers show as the text they hold, not as page
      // number elements.
      {"<p>x</p><div title=\"footer\"><p>Page <sdfield type=PAGE subtype=RANDOM format=PAGE>3</sdfield> of "
       "<sdfield type=DOCSTAT subtype=PAGE format=PAGE>7</sdfield></p></div>",
       "x\n\n", "", "Page 3 of 7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.html);
    auto document = NewDocument();
    ASSERT_EQ(0, Read(*document, c.html));
    EXPECT_EQ(c.body, TextOf(*document, kPartBody));
    EXPECT_EQ(c.header, TextOf(*document, kPartHeader));
    EXPECT_EQ(c.footer, TextOf(*document, kPartFooter));
  }
  // The header keeps its own look.
  auto document = NewDocument();
  ASSERT_EQ(0, Read(*document, "<div title=\"header\"><p align=center><b>H</b></p></div><p>b</p>"));
  const auto positions = Positions(*document, kPartHeader);
  ASSERT_FALSE(positions.empty());
  EXPECT_EQ(1, positions[0].properties.at(kPropBold));
  EXPECT_EQ(1, positions[0].properties.at(kPropAlignment));
  EXPECT_EQ(0, Positions(*document, kPartBody)[0].properties.at(kPropBold));
}

namespace {

// Each paragraph of the body that has text: its text, indent level (whole
// display units), bullet and alignment.
std::vector<std::string> ItemFacts(xMorvaDocument& document) {
  std::vector<std::string> facts;
  const int32_t unit = document.GetParams().FromDisplayUnit(1);
  std::string text;
  const auto positions = Positions(document, kPartBody);
  for (size_t i = 0; i < positions.size(); ++i) {
    if (positions[i].unit != 13) text += char(positions[i].unit);
    if (positions[i].unit != 13 && i + 1 < positions.size()) continue;
    if (!text.empty()) {
      const auto& p = positions[i].properties;
      facts.push_back(text + " " + std::to_string((p.at(kPropLeftIndent) + unit / 2) / unit) + " " +
                      std::to_string(p.at(kPropBullet)) + " " + std::to_string(p.at(kPropAlignment)));
    }
    text.clear();
  }
  return facts;
}

}  // namespace

// An item's type and alignment are its own: the next item takes the
// list's; a list inside an item is a level deeper and starts and ends
// without the empty paragraph around a list.
TEST_F(ImportHTML, ListItemsKeepTheirOwnBulletAlignmentAndLevel) {
  struct Case {
    const char* html;
    const char* text;
    std::vector<std::string> facts;  // text, level, bullet, alignment
  };
  const Case cases[] = {
      {"<ul><li type=square>sq<li>di<li TYPE=\"circle\">ci<li>d2</ul>", "sq\ndi\nci\nd2\n\n",
       {"sq 1 111 0", "di 1 108 0", "ci 1 109 0", "d2 1 108 0"}},
      {"<ul type=square><li>a<li type=disc>b<li>c</ul>", "a\nb\nc\n\n", {"a 1 111 0", "b 1 108 0", "c 1 111 0"}},
      {"<ol><li type=a>x<li>y</ol>", "\ta.\tx\n\t2.\ty\n\n", {"\ta.\tx 1 0 0", "\t2.\ty 1 0 0"}},
      {"<ul><li style=\"text-align: center\">c<li STYLE=\"text-align:right; margin-top: 0in\">r"
       "<li style=\"margin-top: 0in; TEXT-ALIGN : justify\">j<li>l<li style=\"text-align: centre\">x</ul>",
       "c\nr\nj\nl\nx\n\n", {"c 1 108 1", "r 1 108 2", "j 1 108 3", "l 1 108 0", "x 1 108 0"}},
      {"<div align=center><ul><li>x<li style=\"text-align: left\">y<li>z</ul></div>", "x\ny\nz\n\n",
       {"x 1 108 1", "y 1 108 0", "z 1 108 1"}},
      {"<ul><li>a<ul><li type=square>b<ul><li>c</ul></ul><li>d</ul><p>e", "a\nb\nc\nd\n\ne",
       {"a 1 108 0", "b 2 111 0", "c 3 108 0", "d 1 108 0", "e 0 0 0"}},
      {"<ul><li>a<ul><li>b</li></ul></li><li>c</li></ul>", "a\nb\nc\n\n", {"a 1 108 0", "b 2 108 0", "c 1 108 0"}},
      // A level with no item of its own holds the deeper list.
      {"<ul><li style=\"list-style-type: none\"><ul><li>b</ul></ul>", "b\n", {"b 2 108 0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.html);
    auto document = NewDocument();
    ASSERT_EQ(0, Read(*document, c.html));
    EXPECT_EQ(c.text, TextOf(*document, kPartBody));
    EXPECT_EQ(c.facts, ItemFacts(*document));
  }
}

// Attribute values read their character references, and bytes above 127,
// as the page's text does: what the writer escapes comes back as it was.
TEST_F(ImportHTML, AttributeValuesReadTheirCharacterReferences) {
  struct Case {
    const char* html;
    const char16_t* target;
    const char16_t* face;  // null: the page's font
  };
  const Case cases[] = {
      {"<a href=\"x?a=1&amp;b=2\">t</a>", u"x?a=1&b=2", nullptr},
      {"<a href=\"&lt;&gt;&quot;&#233;&#x41;&#128512;\">t</a>", u"<>\"\u00E9A\U0001F600", nullptr},
      {"<a href=\"a&b=1&zz;c&\">t</a>", u"a&b=1&zz;c&", nullptr},
      {"<a href=x&amp;y>t</a>", u"x&y", nullptr},
      {"<a href=\"caf\xE9\">t</a>", u"caf\u00E9", nullptr},
      {"<meta charset=utf-8><a href=\"caf\xC3\xA9\">t</a>", u"caf\u00E9", nullptr},
      {"<font face=\"A&lt;B&gt; &amp; C\">t</font><a href=\"u\">l</a>", u"u", u"A<B> & C"},
      {"<font face=\"&#193;rial, serif\">t</font><a href=\"u\">l</a>", u"u", u"\u00C1rial"},
      // Single quotes quote a value as double quotes do; each holds the other.
      {"<a href='x?a=1&amp;b=2'>t</a>", u"x?a=1&b=2", nullptr},
      {"<a href='say \"hi\"'>t</a>", u"say \"hi\"", nullptr},
      {"<a href=\"it's\">t</a>", u"it's", nullptr},
      {"<font face='Odd Face'>t</font><a href=u>l</a>", u"u", u"Odd Face"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.html);
    auto document = NewDocument();
    ASSERT_EQ(0, Read(*document, c.html));
    xMorvaEngine& body = Engine(*document, kPartBody);
    const auto positions = Positions(*document, kPartBody);
    const auto at = std::find_if(positions.begin(), positions.end(), [](const Position& p) { return p.unit == 31; });
    ASSERT_NE(positions.end(), at);
    body.SetSelection(int32_t(at - positions.begin()), int32_t(at - positions.begin()) + 1);
    xMorvaHyperlink link;
    ASSERT_TRUE(body.GetHyperlinkAtSelection(link));
    std::u16string target;
    for (int32_t i = 1; i <= link.GetTarget().GetLength(); ++i) target += link.GetTarget().GetCharAt(i);
    EXPECT_EQ(std::u16string(c.target), target);
    if (c.face != nullptr) {
      VStr<255> name;
      bool known = false;
      document->FontNameForIndex(positions[0].properties.at(kPropFont), name, known);
      std::u16string face;
      for (int32_t i = 1; i <= name.GetLength(); ++i) face += name.GetCharAt(i);
      EXPECT_EQ(std::u16string(c.face), face);
    }
  }
  // A block's title reads its references too.
  auto document = NewDocument();
  ASSERT_EQ(0, Read(*document, "<div title=\"&#104;eader\">H</div>b"));
  EXPECT_EQ("H", TextOf(*document, kPartHeader));
}

// A ">" inside a quoted value is part of the value, with or without a
// space before it, wherever the window of a page read from a stream ends:
// the tag ends at the ">" after the closing quote.
TEST_F(ImportHTML, AQuotedValueEndsOnlyAtItsClosingQuote) {
  const size_t window = 64 * 1024;
  const char* const tags[] = {"<i title=\"a >b\">", "<i title=\"a>b\">", "<i title=\"a > b\" class=c>",
                              "<i title=\"a  >\">", "<i title=\">\">", "<i title='a >b'>"};
  for (const char* tag : tags) {
    // The ">" inside the quotes at every place from 8 bytes before the
    // window's end to 8 after it.
    const size_t inside = std::string(tag).find('>');
    for (size_t place = window - 8; place <= window + 8; ++place) {
      SCOPED_TRACE(std::string(tag) + " at " + std::to_string(place));
      const size_t fill = place - inside - 3;
      const std::string page = "<p>" + std::string(fill, 'x') + tag + "y</i>z";
      ASSERT_EQ(place, page.find('>', 3 + fill));
      // The body's length and its last units, and whether they are italic
      // (the body is too long to walk unit by unit in every row).
      auto ends = [&](xMorvaDocument& document) {
        xMorvaEngine& body = Engine(document, kPartBody);
        VStrInHandle text;
        body.WritePlainText(text, false, false);
        std::string end = std::to_string(text.GetLength()) + " ";
        for (int32_t i = std::max(1, text.GetLength() - 2); i <= text.GetLength(); ++i) {
          body.SetSelection(i - 1, i);
          end += char(text.GetCharAt(i));
          end += body.GetPropertyValue(kPropItalic) != 0 ? "/" : "";
        }
        return end;
      };
      const std::string expected = std::to_string(fill + 2) + " xy/z";
      auto fromBytes = NewDocument();
      ASSERT_EQ(0, Read(*fromBytes, page));
      EXPECT_EQ(expected, ends(*fromBytes));
      VMemoryStream stream(page.data(), uint32_t(page.size()));
      ASSERT_EQ(0, stream.OpenRead());
      auto fromStream = NewDocument();
      xMorvaImportHTML reader;
      ASSERT_EQ(0, reader.ImportHTMLDocument(*fromStream, stream, ""));
      EXPECT_EQ(expected, ends(*fromStream));
    }
  }
}

namespace {

// Each paragraph of the body, empty ones too, as its text and its bullet
// (or the property `id`: "text|value"): a link shows as [title|target];
// the last paragraph only when it holds anything.
std::vector<std::string> ParagraphsOf(xMorvaDocument& document, uint16_t id = kPropBullet) {
  std::vector<std::string> paragraphs;
  xMorvaEngine& body = Engine(document, kPartBody);
  const auto positions = Positions(document, kPartBody);
  std::string text;
  auto ascii = [](const VString& s) {
    char bytes[256] = {};
    s.GetCText(bytes, sizeof bytes, kCharSetAnsi);
    return std::string(bytes);
  };
  for (size_t i = 0; i < positions.size(); ++i) {
    const char16_t unit = positions[i].unit;
    if (unit == 31) {
      body.SetSelection(int32_t(i), int32_t(i) + 1);
      xMorvaHyperlink link;
      text += body.GetHyperlinkAtSelection(link) ? "[" + ascii(link.GetTitle()) + "|" + ascii(link.GetTarget()) + "]"
                                                 : "?";
    } else if (unit != 13) {
      text += unit < 128 ? char(unit) : '?';
    }
    if (unit == 13 || (i + 1 == positions.size() && !text.empty())) {
      paragraphs.push_back(text + "|" + std::to_string(positions[i].properties.at(id)));
      text.clear();
    }
  }
  return paragraphs;
}

}  // namespace

// An empty item (or one of blanks) is an item of its own, whatever ends
// it: its bullet stays on its own empty paragraph and never passes to the
// text after it. A block that opens in it is its text, and a list that
// opens in it takes its paragraph for its first item.
TEST_F(ImportHTML, AnEmptyItemKeepsItsBulletToItself) {
  struct Case {
    const char* html;
    std::vector<std::string> paragraphs;
  };
  const Case cases[] = {
      {"<UL><LI></LI></UL><P>abc</P>", {"|108", "|0", "abc|0", "|0"}},
      {"<UL><LI>x</LI><LI> </LI></UL>", {"x|108", "|108", "|0"}},
      {"<ul><li>x<li> <li>\n</ul>", {"x|108", "|108", "|108", "|0"}},
      {"<ul><li><li>b</ul>", {"|108", "b|108", "|0"}},
      {"<ul><li></ul>x", {"|108", "|0", "x|0"}},
      {"<ul><li><br>x</ul>", {"|108", "x|0", "|0"}},
      {"<ul><li><p>t</p></ul>", {"t|108", "|0"}},
      {"<ul><li><div>t</div></ul>", {"t|108", "|0"}},
      // An empty item with a bullet keeps its paragraph when a list opens
      // in it, as pandoc and a browser keep its bullet; one without a
      // bullet only holds the list.
      {"<ul><li><ul><li>b</ul></ul>x", {"|108", "b|108", "x|0"}},
      {"<UL><LI TYPE=\"disc\"><UL><LI>b</LI></UL></LI></UL>", {"|108", "b|108"}},
      {"<UL><LI></LI><LI><UL><LI>b</LI></UL></LI></UL>", {"|108", "|108", "b|108"}},
      {"<UL><LI></LI></UL><UL><LI><UL><LI>b</LI></UL></LI></UL>", {"|108", "|0", "|108", "b|108"}},
      {"<ul><li style=\"list-style-type: none\"><ul><li>b</ul></ul>", {"b|108"}},
      {"<ol><li></ol>x", {"\t1.\t|0", "|0", "x|0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.html);
    auto document = NewDocument();
    ASSERT_EQ(0, Read(*document, c.html));
    EXPECT_EQ(c.paragraphs, ParagraphsOf(*document));
  }
}

// A paragraph's or an item's own style gives its line spacing: a factor,
// a percentage or "normal", not a length nor another property's; it holds
// to the paragraph's end (a block opening ends it too), the item's for the
// item's text, and the spacing paragraph after a block is single.
TEST_F(ImportHTML, ParagraphsAndItemsReadTheirLineSpacing) {
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"<p style=\"line-height: 1.5\">a<br>b</p><p>c", {"a|15", "b|15", "|10", "c|10"}},
      {"<P STYLE=\"margin-top: 0in; LINE-HEIGHT:200%\">a<p style=\"line-height: normal\">b",
       {"a|20", "|10", "b|10"}},
      {"<p style=\"line-height: 0.21in\">a<p style=\"mso-line-height-rule: 2; line-height: 50\">b",
       {"a|10", "|10", "b|100"}},
      {"<p style=\"line-height: 2\">a<ul><li style=\"line-height: 0.8\">b<li>c</ul>",
       {"a|20", "|10", "b|8", "c|10", "|10"}},
  };
  for (const auto& [html, paragraphs] : cases) {
    SCOPED_TRACE(html);
    auto document = NewDocument();
    ASSERT_EQ(0, Read(*document, html));
    EXPECT_EQ(paragraphs, ParagraphsOf(*document, kPropInterline));
  }
}

// A link's title is its text as the page has it: a link without text
// (pandoc puts one before each line of a code block) shows nothing, and
// the text around it reads as the page's writer meant.
TEST_F(ImportHTML, ALinkShowsItsTextAndNothingWithoutText) {
  struct Case {
    const char* html;
    std::vector<std::string> paragraphs;
  };
  const Case cases[] = {
      {"x <a href=\"https://e.org/\"></a> y", {"x [|https://e.org/]y|0"}},
      {"<a href=u>t</a>", {"[t|u]|0"}},
      {"<a href=u><b></b></a>z", {"[|u]z|0"}},
      {"<a name=n></a>z", {"z|0"}},
      {"<pre><span id=\"cb1-1\"><a href=\"#cb1-1\" aria-hidden=\"true\" tabindex=\"-1\"></a>def f():</span>\n"
       "<span id=\"cb1-2\"><a href=\"#cb1-2\" aria-hidden=\"true\" tabindex=\"-1\"></a>    return 1</span></pre>",
       {"[|#cb1-1]def f():|0", "[|#cb1-2]    return 1|0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.html);
    auto document = NewDocument();
    ASSERT_EQ(0, Read(*document, c.html));
    EXPECT_EQ(c.paragraphs, ParagraphsOf(*document));
  }
}
