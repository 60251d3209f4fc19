// Documents written as HTML pages: paragraphs, styles, font runs, indents,
// escaping, links, pictures in the images folder, and the page read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "area/view/xMorvaHyperlink.h"
#include "document/xMorvaProperties.h"
#include "engine/xMorvaPictureElement.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/values/VPictureMaker.h"
#include "graphics/VMetafilePort.h"
#include "graphics/pictures/VEmfPictureData.h"
#include "graphics/pictures/VQuickTimePictures.h"
#include "interchange/html/xMorvaExportHTML.h"
#include "interchange/html/xMorvaImportHTML.h"
#include "interchange/tests/RtfTestSupport.h"

using namespace rtftest;

namespace {

class ExportHTML : public Fixture {
 protected:
  // A document whose body types in the page's default font, which the
  // page names in no FONT tag.
  std::unique_ptr<xMorvaDocument> TimesDocument() {
    auto document = NewDocument();
    VStr<63> times;
    times.SetCText("Times New Roman", kCharSetAnsi);
    Engine(*document, kPartBody).SetPropertyValue(kPropFont, document->FontIndexForName(times));
    return document;
  }
  std::string Page(xMorvaDocument& document, const std::string& output = "") {
    VMemHandle handle = 0;
    VHandleStream stream(handle);
    EXPECT_EQ(0, stream.OpenWrite());
    xMorvaExportHTML writer;
    EXPECT_TRUE(writer.ExportHTMLDocument(document, stream, output));
    stream.CloseWrite(1);
    std::string out;
    const uint32_t size = handle != 0 ? gMemoryMgr->GetHandleSize(handle) : 0;
    if (size != 0) {
      out.assign(static_cast<const char*>(gMemoryMgr->LockHandle(handle)), size);
      gMemoryMgr->UnlockHandle(handle);
    }
    if (handle != 0) gMemoryMgr->DisposeHandle(handle);
    return out;
  }
  // The page's body between <BODY> and </BODY>, line ends removed, with
  // the style every single-spaced paragraph and every list carries left
  // out (the styles themselves are checked on their own).
  std::string BodyOf(const std::string& page) {
    std::string body = RawBodyOf(page);
    const std::string single = " STYLE=\"margin-top: 0in; margin-bottom: 0in; line-height: 100%\"";
    for (size_t at; (at = body.find(single)) != std::string::npos;) body.erase(at, single.size());
    const std::string list = " STYLE=\"margin-top: 0in; margin-bottom: 0in\"";
    for (size_t at; (at = body.find("<UL" + list)) != std::string::npos;) body.erase(at + 3, list.size());
    return body;
  }
  std::string RawBodyOf(const std::string& page) {
    const size_t start = page.find("<BODY>\r\n");
    const size_t end = page.find("</BODY>");
    EXPECT_NE(std::string::npos, start);
    std::string body = page.substr(start + 8, end - start - 8);
    std::string out;
    for (char c : body)
      if (c != '\r' && c != '\n') out += c;
    return out;
  }
  // Types `text` and gives the range [from, to) the property.
  void Mark(xMorvaEngine& body, int32_t from, int32_t to, uint16_t id, int32_t value) {
    body.SetSelection(from, to);
    body.SetPropertyValue(id, value);
    body.SetSelection(body.GetLength(), body.GetLength());
  }
};

}  // namespace

TEST_F(ExportHTML, PageHeadAndPlainParagraph) {
  auto document = TimesDocument();
  Type(Engine(*document, kPartBody), u"ab");
  const std::string page = Page(*document);
  // A document type line first, by which other programs know a page.
  EXPECT_EQ(0u, page.find("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\r\n"
                          "<HTML>\r\n<HEAD>\r\n<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; "
                          "charset=windows-1252\">\r\n<META NAME=\"Generator\" CONTENT=\""));
  EXPECT_NE(std::string::npos, page.find("</TITLE>\r\n</HEAD>\r\n<BODY>\r\n<P STYLE=\"margin-top: 0in; margin-bottom: 0in; line-height: "
                                         "100%\">ab</P>\r\n</BODY>\r\n</HTML>\r\n"));
  EXPECT_EQ(std::string::npos, page.find("<FONT"));
}

TEST_F(ExportHTML, StylesOpenAndCloseWithTheirRuns) {
  auto document = TimesDocument();
  xMorvaEngine& body = Engine(*document, kPartBody);
  Type(body, u"abc\nde");
  Mark(body, 1, 2, kPropBold, 1);
  Mark(body, 5, 6, kPropBold, 1);
  Mark(body, 4, 5, kPropItalic, 1);
  EXPECT_EQ("<P>a<B>b</B>c</P><P><I>d</I><B>e</B></P>", BodyOf(Page(*document)));
  // Tags close in the reverse order of their opening.
  Mark(body, 0, 3, kPropItalic, 1);
  EXPECT_EQ("<P><I>a<B>b</B>c</I></P><P><I>d</I><B>e</B></P>", BodyOf(Page(*document)));
  Mark(body, 1, 2, kPropItalic, 0);
  Mark(body, 1, 3, kPropBold, 1);
  EXPECT_EQ("<P><I>a</I><B>b<I>c</I></B></P><P><I>d</I><B>e</B></P>", BodyOf(Page(*document)));
}

TEST_F(ExportHTML, SuperscriptSubscriptUnderlineAndStrike) {
  auto document = TimesDocument();
  xMorvaEngine& body = Engine(*document, kPartBody);
  Type(body, u"abcd");
  Mark(body, 0, 1, kPropVerticalPosition, 1);
  Mark(body, 1, 2, kPropVerticalPosition, 2);
  Mark(body, 2, 3, kPropUnderline, 2);
  Mark(body, 3, 4, kPropStrikeOut, 1);
  EXPECT_EQ("<P><SUP>a</SUP><SUB>b</SUB><U>c</U><STRIKE>d</STRIKE></P>", BodyOf(Page(*document)));
}

TEST_F(ExportHTML, IndentsNestDirectoryLevels) {
  auto document = TimesDocument();
  xMorvaEngine& body = Engine(*document, kPartBody);
  Type(body, u"a\nb\nc");
  body.SetSelection(0, 0);
  body.SetPropertyValue(kPropLeftIndent, 74);
  body.SetSelection(2, 2);
  body.SetPropertyValue(kPropLeftIndent, 37);
  EXPECT_EQ("<DIR><DIR><P>a</P></DIR><P>b</P></DIR><P>c</P>", BodyOf(Page(*document)));
  // Levels still open at the end are closed.
  body.SetSelection(4, 4);
  body.SetPropertyValue(kPropLeftIndent, 40);
  EXPECT_EQ("<DIR><DIR><P>a</P></DIR><P>b</P><P>c</P></DIR>", BodyOf(Page(*document)));
}

TEST_F(ExportHTML, FontRunsAndBackground) {
  auto document = TimesDocument();
  xMorvaEngine& body = Engine(*document, kPartBody);
  Type(body, u"abcd");
  VStr<63> arial;
  arial.SetCText("Arial", kCharSetAnsi);
  const int32_t font = document->FontIndexForName(arial);
  Mark(body, 0, 1, kPropFont, font);
  Mark(body, 0, 1, kPropSize, 18);
  Mark(body, 0, 1, kPropTextColour, 0x0000FF);
  Mark(body, 1, 2, kPropSize, 13);
  Mark(body, 2, 3, kPropBackColour, 0x00FF00);
  Mark(body, 2, 3, kPropBold, 1);
  VStr<63> times;
  times.SetCText("Times New Roman", kCharSetAnsi);
  Mark(body, 3, 4, kPropFont, document->FontIndexForName(times));
  EXPECT_EQ("<P><FONT FACE=\"Arial\" SIZE=5 COLOR=\"#ff0000\">a</FONT><FONT SIZE=4>b</FONT>"
            "<SPAN STYLE='BACKGROUND:#00ff00' ><B>c</B></SPAN>d</P>",
            BodyOf(Page(*document)));
}

TEST_F(ExportHTML, TextIsEscapedOneReferencePerCharacter) {
  auto document = TimesDocument();
  xMorvaEngine& body = Engine(*document, kPartBody);
  Type(body, u"<a&b>\u00E9\t\U0001F600");
  body.TypeCharacter(0xD800);
  body.TypeCharacter(u'z');
  EXPECT_EQ("<P>&lt;a&amp;b&gt;&#233; &#128512;&#65533;z</P>", BodyOf(Page(*document)));
}

TEST_F(ExportHTML, LinksWriteEscapedTargets) {
  auto document = TimesDocument();
  xMorvaEngine& body = Engine(*document, kPartBody);
  VStrInHandle target, title;
  target.SetCText("http://x/?a=1&b=\"2\"", kCharSetAnsi);
  title.SetCText("T<", kCharSetAnsi);
  xMorvaHyperlink link(xMorvaHyperlink::kURL, true, target, title);
  ASSERT_EQ(0, body.InsertHyperlink(link, false));
  xMorvaHyperlink method(xMorvaHyperlink::kMethod, true, target, title);
  ASSERT_EQ(0, body.InsertHyperlink(method, false));
  EXPECT_EQ("<P><A HREF=\"http://x/?a=1&amp;b=&quot;2&quot;\">T&lt;</A>T&lt;</P>", BodyOf(Page(*document)));
}

TEST_F(ExportHTML, HtmlExpressionsGoOutAsTheyStand) {
  auto document = TimesDocument();
  xMorvaEngine& body = Engine(*document, kPartBody);
  VStrInHandle expression;
  expression.SetCText("<HR>", kCharSetAnsi);
  ASSERT_EQ(0, body.InsertHTMLExpression(xMorvaElementCode::HTMLExpression, expression, false));
  EXPECT_EQ("<P><HR></P>", BodyOf(Page(*document)));
}

TEST_F(ExportHTML, PicturesGoToTheImagesFolder) {
  ASSERT_NE(0u, StartQuickTime());
  VInstalledService<const VPictureMaker> pictures(&kPictureValueMaker);
  auto document = TimesDocument();
  xMorvaEngine& body = Engine(*document, kPartBody);
  VMetafilePort recorder(nullptr, 0, 0, 24, 16);
  recorder.PaintRect(0, 0, 24, 16);
  std::unique_ptr<VEmfPictureData> picture(recorder.EndAsPictureData());
  ASSERT_NE(nullptr, picture);
  for (int i = 0; i < 3; ++i) {
    const VMemHandle element = gMemoryMgr->NewHandle(0, 0);
    ASSERT_TRUE(MakePictureElement(*picture, element, 20 + i, 10, -1, 0));
    ASSERT_EQ(0, body.InsertHandle(element, 1));
    body.SetSelection(body.GetSelEnd(), body.GetSelEnd());
    gMemoryMgr->DisposeHandle(element);
  }
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("qv-export-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const std::string page = BodyOf(Page(*document, (folder / "page.html").string()));
  EXPECT_NE(std::string::npos, page.find("<IMG WIDTH=22 HEIGHT=10 SRC=\"./images/page003.jpg\">")) << page;
  for (const char* name : {"page001.jpg", "page002.jpg", "page003.jpg"}) {
    const std::filesystem::path file = folder / "images" / name;
    ASSERT_TRUE(std::filesystem::exists(file)) << name;
    FILE* in = std::fopen(file.c_str(), "rb");
    unsigned char head[3] = {};
    ASSERT_EQ(3u, std::fread(head, 1, 3, in));
    std::fclose(in);
    EXPECT_EQ(0xFF, head[0]);
    EXPECT_EQ(0xD8, head[1]);
  }
  // Without a file no picture is written at all.
  EXPECT_EQ("<P></P>", BodyOf(Page(*document)));
  std::filesystem::remove_all(folder);
  StopQuickTime();
}

TEST_F(ExportHTML, PagesReadBackToTheSameTextAndStyles) {
  auto document = TimesDocument();
  xMorvaEngine& body = Engine(*document, kPartBody);
  Type(body, u"Plain <and> bold & italic\nsecond \u00E9 line");
  Mark(body, 13, 17, kPropBold, 1);
  Mark(body, 20, 26, kPropItalic, 1);
  Mark(body, 27, 33, kPropUnderline, 1);
  const std::string page = Page(*document);
  auto again = NewDocument();
  xMorvaImportHTML reader;
  ASSERT_EQ(0, reader.ImportHTMLBytes(*again, reinterpret_cast<const uint8_t*>(page.data()), uint32_t(page.size()), ""));
  // Each paragraph comes back followed by its spacing paragraph.
  EXPECT_EQ("Plain <and> bold & italic\n\nsecond <00E9> line\n\n", TextOf(*again, kPartBody));
  // The characters keep their styles; paragraph ends are left out.
  auto styled = [](xMorvaDocument& d) {
    std::vector<std::array<int32_t, 4>> out;
    for (const Position& p : Positions(d, kPartBody))
      if (p.unit != 13)
        out.push_back({p.unit, p.properties.at(kPropBold), p.properties.at(kPropItalic),
                       p.properties.at(kPropUnderline)});
    return out;
  };
  EXPECT_EQ(styled(*document), styled(*again));
}

// Every paragraph says its alignment (but left, the page's own), that it
// has no gap before or after it, and its line spacing.
TEST_F(ExportHTML, ParagraphsKeepTheirAlignmentAndLineSpacing) {
  const std::string single = "STYLE=\"margin-top: 0in; margin-bottom: 0in; line-height: 100%\">";
  struct Case {
    uint16_t id;
    int32_t value;
    std::string paragraph;
  };
  const Case cases[] = {
      {kPropAlignment, 0, "<P " + single},
      {kPropAlignment, 1, "<P ALIGN=\"CENTER\" " + single},
      {kPropAlignment, 2, "<P ALIGN=\"RIGHT\" " + single},
      {kPropAlignment, 3, "<P ALIGN=\"JUSTIFY\" " + single},
      {kPropInterline, 10, "<P " + single},
      {kPropInterline, 15, "<P STYLE=\"margin-top: 0in; margin-bottom: 0in; line-height: 150%\">"},
      {kPropInterline, 20, "<P STYLE=\"margin-top: 0in; margin-bottom: 0in; line-height: 200%\">"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.id) + "=" + std::to_string(c.value));
    auto document = TimesDocument();
    xMorvaEngine& body = Engine(*document, kPartBody);
    Type(body, u"ab\ncd");
    Mark(body, 0, 1, c.id, c.value);
    EXPECT_EQ(c.paragraph + "ab</P><P " + single + "cd</P>", RawBodyOf(Page(*document)));
  }
}

// A justified paragraph of ours is justified when our reader takes the
// page back.
TEST_F(ExportHTML, JustifiedParagraphsReadBackJustified) {
  auto document = TimesDocument();
  xMorvaEngine& body = Engine(*document, kPartBody);
  Type(body, u"ab\ncd");
  Mark(body, 0, 1, kPropAlignment, 3);
  const std::string page = Page(*document);
  auto again = NewDocument();
  xMorvaImportHTML reader;
  ASSERT_EQ(0, reader.ImportHTMLBytes(*again, reinterpret_cast<const uint8_t*>(page.data()), uint32_t(page.size()), ""));
  ASSERT_EQ("ab\n\ncd\n\n", TextOf(*again, kPartBody));
  const auto positions = Positions(*again, kPartBody);
  EXPECT_EQ(3, positions[0].properties.at(kPropAlignment));
  EXPECT_EQ(0, positions[4].properties.at(kPropAlignment));
}

// A character beyond the Basic Multilingual Plane is one character
// reference, written whole in the look of its first half, even where its
// halves differ in look (a tag would fall between them); half a pair
// alone is U+FFFD.
TEST_F(ExportHTML, CharactersBeyondTheBmpAreWrittenWhole) {
  struct Case {
    const char16_t* text;
    int32_t boldFrom;
    int32_t boldTo;
    const char* body;
  };
  const Case cases[] = {
      {u"x\U0001F600y", 2, 3, "<P>x&#128512;y</P>"},
      {u"x\U0001F600zy", 2, 4, "<P>x&#128512;<B>z</B>y</P>"},
      {u"x\U0001F600y", 1, 2, "<P>x<B>&#128512;</B>y</P>"},
      {u"x\U0001F600y", 0, 0, "<P>x&#128512;y</P>"},
      {u"x\xD83D\ny", 0, 0, "<P>x&#65533;</P><P>y</P>"},
      {u"x\xDE00y", 0, 0, "<P>x&#65533;y</P>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    auto document = TimesDocument();
    xMorvaEngine& body = Engine(*document, kPartBody);
    Type(body, c.text);
    if (c.boldTo > c.boldFrom) Mark(body, c.boldFrom, c.boldTo, kPropBold, 1);
    EXPECT_EQ(c.body, BodyOf(Page(*document)));
  }
}

// Each bulleted paragraph is an item of its own inside its list, never
// inside a P; the list takes one level of the items' indent, and a new
// indent starts a new list.
TEST_F(ExportHTML, BulletedParagraphsAreItemsOfTheirList) {
  struct Case {
    const char16_t* text;
    int32_t listTo;
    int32_t bullet;
    int32_t indent;
    const char* body;
  };
  const Case cases[] = {
      {u"a\nb\nc", 3, 108, 0, "<UL><LI>a</LI><LI>b</LI></UL><P>c</P>"},
      {u"a\nb", 3, 108, 0, "<UL><LI>a</LI><LI>b</LI></UL>"},
      {u"a\nb", 1, 108, 0, "<UL><LI>a</LI></UL><P>b</P>"},
      {u"a\nb", 1, 109, 0, "<UL><LI TYPE=\"circle\">a</LI></UL><P>b</P>"},
      {u"a\nb", 1, 111, 0, "<UL><LI TYPE=\"square\">a</LI></UL><P>b</P>"},
      {u"a\nb", 1, 108, 37, "<UL><LI>a</LI></UL><DIR><P>b</P></DIR>"},
      {u"a\nb", 1, 108, 74, "<DIR><UL><LI>a</LI></UL><DIR><P>b</P></DIR></DIR>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    auto document = TimesDocument();
    xMorvaEngine& body = Engine(*document, kPartBody);
    Type(body, c.text);
    if (c.indent != 0) Mark(body, 0, body.GetLength(), kPropLeftIndent, c.indent);
    Mark(body, 0, c.listTo, kPropBullet, c.bullet);
    EXPECT_EQ(c.body, BodyOf(Page(*document)));
  }
  // The styles of an item close before it does.
  auto document = TimesDocument();
  xMorvaEngine& body = Engine(*document, kPartBody);
  Type(body, u"a\nb");
  Mark(body, 0, 1, kPropBullet, 108);
  Mark(body, 0, 1, kPropBold, 1);
  EXPECT_EQ("<UL><LI><B>a</B></LI></UL><P>b</P>", BodyOf(Page(*document)));
  // A list has no gap around it, as our paragraphs have none.
  EXPECT_NE(std::string::npos, Page(*document).find("<UL STYLE=\"margin-top: 0in; margin-bottom: 0in\"><LI STYLE="));
  // A centred item says so in its style: an item has no ALIGN.
  Mark(body, 0, 1, kPropAlignment, 1);
  EXPECT_NE(std::string::npos, Page(*document).find("<LI STYLE=\"text-align: center; margin-top: 0in;"));
}

// A list read from a page, written and read again, keeps a bullet on
// every item.
TEST_F(ExportHTML, ListsReadBackWithEveryItem) {
  const std::string list = "<html><body><ul><li>One<li>Two<li>Three</ul>After</body></html>";
  auto document = NewDocument();
  xMorvaImportHTML reader;
  ASSERT_EQ(0, reader.ImportHTMLBytes(*document, reinterpret_cast<const uint8_t*>(list.data()), uint32_t(list.size()), ""));
  const std::string page = Page(*document);
  auto again = NewDocument();
  ASSERT_EQ(0, reader.ImportHTMLBytes(*again, reinterpret_cast<const uint8_t*>(page.data()), uint32_t(page.size()), ""));
  // Each paragraph's text, after "*" when it has a bullet.
  auto paragraphs = [](xMorvaDocument& d) {
    std::vector<std::string> out(1);
    for (const Position& p : Positions(d, kPartBody)) {
      if (out.back().empty() && p.properties.at(kPropBullet) != 0) out.back() = "*";
      if (p.unit == 13)
        out.emplace_back();
      else
        out.back() += char(p.unit);
    }
    return out;
  };
  const std::vector<std::string> read = paragraphs(*document);
  for (const char* item : {"*One", "*Two", "*Three"})
    EXPECT_NE(read.end(), std::find(read.begin(), read.end(), item)) << item;
  // The page ends its last paragraph with its spacing paragraph.
  const std::vector<std::string> back = paragraphs(*again);
  ASSERT_GE(back.size(), read.size());
  EXPECT_EQ(read, std::vector<std::string>(back.begin(), back.begin() + long(read.size())));
}

// Every soft hyphen is written, wherever the lines end, and read back as
// one.
TEST_F(ExportHTML, SoftHyphensAreWrittenAndReadBack) {
  auto document = TimesDocument();
  xMorvaEngine& body = Engine(*document, kPartBody);
  Type(body, u"Donau");
  body.InsertSoftHyphen();
  body.SetSelection(body.GetLength(), body.GetLength());
  Type(body, u"dampf");
  body.InsertSoftHyphen();
  body.SetSelection(body.GetLength(), body.GetLength());
  Type(body, u"schiff");
  const std::string page = Page(*document);
  EXPECT_EQ("<P>Donau&shy;dampf&shy;schiff</P>", BodyOf(page));
  auto again = NewDocument();
  xMorvaImportHTML reader;
  ASSERT_EQ(0, reader.ImportHTMLBytes(*again, reinterpret_cast<const uint8_t*>(page.data()), uint32_t(page.size()), ""));
  EXPECT_EQ("Donau\x1f" "dampf\x1f" "schiff\n\n", TextOf(*again, kPartBody));
}
