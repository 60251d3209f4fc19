// Documents written as HTML pages: paragraphs, styles, font runs, indents,
// escaping, links, pictures in the images folder, and the page read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <unistd.h>

#include "area/view/xMorvaHyperlink.h"
#include "document/xMorvaProperties.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaPictureElement.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/tests/IntlTestTables.h"
#include "framework/core/values/VPictureMaker.h"
#include "graphics/VMetafilePort.h"
#include "graphics/pictures/VEmfPictureData.h"
#include "graphics/pictures/VQuickTimePictures.h"
#include "interchange/html/xMorvaExportHTML.h"
#include "interchange/html/xMorvaImportHTML.h"
#include "interchange/tests/LinkTestSupport.h"

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
    const std::string single = " STYLE=\"margin-top: 0in; margin-bottom: 0in; line-height: 1.0\"";
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
  // Gives the range [from, to) the property. It may part the halves of
  // U+1F600 as a stored document may; a selection cannot, so the low half
  // stands in as U+E000 meanwhile.
  void Mark(xMorvaEngine& body, int32_t from, int32_t to, uint16_t id, int32_t value) {
    const auto swap = [&body](char16_t unit, char16_t by) {
      uint8_t* s = body.LockStream();
      for (uint32_t at = 0; at < body.GetStreamSize(); at += ReadStreamItem(s + at, body.GetStreamSize() - at).size)
        if (StreamUnit(s + at) == unit) PutStreamUnit(s + at, by);
      body.UnlockStream();
    };
    swap(0xDE00, 0xE000);
    body.SetSelection(from, to);
    body.SetPropertyValue(id, value);
    body.SetSelection(body.GetLength(), body.GetLength());
    swap(0xE000, 0xDE00);
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
  EXPECT_NE(std::string::npos, page.find("</TITLE>\r\n</HEAD>\r\n<BODY>\r\n<P STYLE=\"margin-top: "
                                         "0in; margin-bottom: 0in; line-height: "
                                         "1.0\">ab</P>\r\n</BODY>\r\n</HTML>\r\n"));
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

// Text in capitals is written in capitals, a stretch of characters in the
// look already written as much as a character alone.
TEST_F(ExportHTML, CapitalsAreWrittenInCapitals) {
  FakeIntlMgr intl;
  AddTestTables(intl, 0, false);
  ASSERT_EQ(intl.LoadTables(kLanguageUSEnglish), 0);
  VIntlMgr* const previous = std::exchange(gIntlMgr, &intl);
  auto document = TimesDocument();
  xMorvaEngine& body = Engine(*document, kPartBody);
  Type(body, u"abc de<f");
  Mark(body, 1, 7, kPropLetterCase, 1);
  EXPECT_EQ("<P>aBC DE&lt;f</P>", BodyOf(Page(*document)));
  gIntlMgr = previous;
}

// A link is an A around its text as the document holds it, its looks and
// its pictures inside; a method link is its text alone. Read back and
// written again three times, the page stays as it was.
TEST_F(ExportHTML, LinksWriteEscapedTargets) {
  ASSERT_NE(0u, StartQuickTime());
  VInstalledService<const VPictureMaker> pictures(&kPictureValueMaker);
  const char* target = "http://x/?a=1&b=\"2\"";
  const std::string img = "<IMG WIDTH=20 HEIGHT=10 SRC=\"./images/page001.jpg\">";
  struct Case {
    std::function<void(xMorvaEngine&)> make;
    std::string body;
  };
  const Case cases[] = {
      {[&](xMorvaEngine& b) { MakeLink(b, target, "T<"), MakeLink(b, target, "T<", -1, -1, xMorvaHyperlink::kMethod); },
       "<P><A HREF=\"http://x/?a=1&amp;b=&quot;2&quot;\">T&lt;</A>T&lt;</P>"},
      {[&](xMorvaEngine& b) { TypeLinkedCities(b, "https://k.ua/"); },
       "<P>See <A HREF=\"https://k.ua/\">Kyiv " + img + " <I>and</I> Odesa</A>.</P>"},
      {[&](xMorvaEngine& b) { InsertPicture(b), MakeLink(b, "https://p.ua/", "", 0, 1); },
       "<P><A HREF=\"https://p.ua/\">" + img + "</A></P>"},
      {[&](xMorvaEngine& b) { Type(b, u"xy"), MakeLink(b, "https://e.ua/", "", 1, 1); },
       "<P>x<A HREF=\"https://e.ua/\"></A>y</P>"},
  };
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("qv-links-" + std::to_string(getpid()));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    std::filesystem::create_directories(folder);
    auto document = TimesDocument();
    c.make(Engine(*document, kPartBody));
    for (int trip = 0; trip < 3; ++trip) {
      const std::string page = Page(*document, (folder / "page.html").string());
      EXPECT_EQ(c.body, BodyOf(page)) << "trip " << trip;
      document = NewDocument();
      xMorvaImportHTML reader;
      ASSERT_EQ(0, reader.ImportHTMLBytes(*document, reinterpret_cast<const uint8_t*>(page.data()),
                                          uint32_t(page.size()), folder.string()));
    }
    std::filesystem::remove_all(folder);
  }
  StopQuickTime();
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
  const std::string single = "STYLE=\"margin-top: 0in; margin-bottom: 0in; line-height: 1.0\">";
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
      {kPropInterline, 15, "<P STYLE=\"margin-top: 0in; margin-bottom: 0in; line-height: 1.5\">"},
      {kPropInterline, 20, "<P STYLE=\"margin-top: 0in; margin-bottom: 0in; line-height: 2.0\">"},
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
    uint16_t id;  // bold, or the font Arial
    int32_t from;
    int32_t to;
    const char* body;
  };
  const Case cases[] = {
      {u"x\U0001F600y", kPropBold, 2, 3, "<P>x&#128512;y</P>"},
      {u"x\U0001F600zy", kPropBold, 2, 4, "<P>x&#128512;<B>z</B>y</P>"},
      {u"x\U0001F600y", kPropBold, 1, 2, "<P>x<B>&#128512;</B>y</P>"},
      {u"x\U0001F600y", kPropBold, 0, 0, "<P>x&#128512;y</P>"},
      {u"x\xD83D\ny", kPropBold, 0, 0, "<P>x&#65533;</P><P>y</P>"},
      {u"x\xDE00y", kPropBold, 0, 0, "<P>x&#65533;y</P>"},
      // Halves in runs of two fonts.
      {u"x\U0001F600y", kPropFont, 2, 4, "<P>x&#128512;<FONT FACE=\"Arial\">y</FONT></P>"},
      {u"x\U0001F600y", kPropFont, 0, 2, "<P><FONT FACE=\"Arial\">x&#128512;</FONT>y</P>"},
  };
  VStr<63> arial;
  arial.SetCText("Arial", kCharSetAnsi);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    auto document = TimesDocument();
    xMorvaEngine& body = Engine(*document, kPartBody);
    Type(body, c.text);
    if (c.to > c.from) Mark(body, c.from, c.to, c.id, c.id == kPropFont ? document->FontIndexForName(arial) : 1);
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
      {u"a\nb\nc", 3, 108, 0, "<UL><LI TYPE=\"disc\">a</LI><LI TYPE=\"disc\">b</LI></UL><P>c</P>"},
      {u"a\nb", 3, 108, 0, "<UL><LI TYPE=\"disc\">a</LI><LI TYPE=\"disc\">b</LI></UL>"},
      {u"a\nb", 1, 108, 0, "<UL><LI TYPE=\"disc\">a</LI></UL><P>b</P>"},
      {u"a\nb", 1, 109, 0, "<UL><LI TYPE=\"circle\">a</LI></UL><P>b</P>"},
      {u"a\nb", 1, 111, 0, "<UL><LI TYPE=\"square\">a</LI></UL><P>b</P>"},
      {u"a\nb", 1, 108, 37, "<UL><LI TYPE=\"disc\">a</LI></UL><DIR><P>b</P></DIR>"},
      // A list never stands in a DIR: a level with no item holds the
      // deeper list in an item without a bullet.
      {u"a\nb", 1, 108, 74,
       "<UL><LI STYLE=\"list-style-type: none\"><UL><LI TYPE=\"disc\">a</LI></UL></LI></UL><DIR><DIR><P>b</P></DIR></DIR>"},
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
  EXPECT_EQ("<UL><LI TYPE=\"disc\"><B>a</B></LI></UL><P>b</P>", BodyOf(Page(*document)));
  // A list has no gap around it, as our paragraphs have none.
  EXPECT_NE(std::string::npos,
            Page(*document).find("<UL STYLE=\"margin-top: 0in; margin-bottom: 0in\"><LI TYPE=\"disc\" STYLE="));
  // A centred item says so in its style: an item has no ALIGN.
  Mark(body, 0, 1, kPropAlignment, 1);
  EXPECT_NE(std::string::npos, Page(*document).find("<LI TYPE=\"disc\" STYLE=\"text-align: center; margin-top: 0in;"));
}

namespace {

// One paragraph of a test document: its text, indent level (37 pixels a
// level), bullet and alignment.
struct Para {
  std::u16string text;
  int32_t level;
  int32_t bullet;
  int32_t align;
};

// Types the paragraphs into the body and gives each its properties.
void TypeParagraphs(xMorvaEngine& body, const std::vector<Para>& paragraphs) {
  int32_t start = body.GetLength();
  for (size_t i = 0; i < paragraphs.size(); ++i) {
    const Para& p = paragraphs[i];
    Type(body, i + 1 < paragraphs.size() ? p.text + u"\n" : p.text);
    const int32_t end = start + int32_t(p.text.size());
    for (const auto& [id, value] : {std::pair<uint16_t, int32_t>{kPropLeftIndent, p.level * 37},
                                    {kPropBullet, p.bullet}, {kPropAlignment, p.align}}) {
      body.SetSelection(start, end);
      body.SetPropertyValue(id, value);
    }
    body.SetSelection(body.GetLength(), body.GetLength());
    start = end + 1;
  }
}

}  // namespace

// A list inside a list stands in an item of the list around it, as HTML
// 4.01 allows (a list in a DIR, which it does not allow, makes AbiWord
// refuse the page); every item says its bullet, and an item's alignment is
// in its style.
TEST_F(ExportHTML, NestedListsStandInTheItemsOfTheirList) {
  const std::string d = "<LI TYPE=\"disc\">", s = "<LI TYPE=\"square\">", c = "<LI TYPE=\"circle\">";
  const std::string none = "<LI STYLE=\"list-style-type: none\">";
  struct Case {
    std::vector<Para> paragraphs;
    std::string body;
  };
  const Case cases[] = {
      {{{u"a", 1, 108, 0}, {u"b", 2, 108, 0}, {u"c", 1, 108, 0}},
       "<UL>" + d + "a<UL>" + d + "b</LI></UL></LI>" + d + "c</LI></UL>"},
      {{{u"a", 1, 108, 0}, {u"b", 2, 111, 0}, {u"c", 3, 109, 0}, {u"p", 0, 0, 0}},
       "<UL>" + d + "a<UL>" + s + "b<UL>" + c + "c</LI></UL></LI></UL></LI></UL><P>p</P>"},
      {{{u"a", 1, 111, 0}, {u"b", 1, 108, 0}, {u"c", 1, 109, 0}},
       "<UL>" + s + "a</LI>" + d + "b</LI>" + c + "c</LI></UL>"},
      {{{u"a", 1, 108, 0}, {u"b", 3, 108, 0}, {u"c", 2, 108, 0}},
       "<UL>" + d + "a<UL>" + none + "<UL>" + d + "b</LI></UL></LI>" + d + "c</LI></UL></LI></UL>"},
      {{{u"p", 1, 0, 0}, {u"a", 2, 108, 0}, {u"q", 1, 0, 0}},
       "<DIR><P>p</P></DIR><UL>" + none + "<UL>" + d + "a</LI></UL></LI></UL><DIR><P>q</P></DIR>"},
      {{{u"a", 1, 108, 1}, {u"b", 2, 108, 2}, {u"c", 1, 108, 3}, {u"d", 1, 108, 0}},
       "<UL><LI TYPE=\"disc\" STYLE=\"text-align: center;\">a<UL><LI TYPE=\"disc\" STYLE=\"text-align: right;\">b</LI>"
       "</UL></LI><LI TYPE=\"disc\" STYLE=\"text-align: justify;\">c</LI>" + d + "d</LI></UL>"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.body);
    auto document = TimesDocument();
    TypeParagraphs(Engine(*document, kPartBody), k.paragraphs);
    std::string body = BodyOf(Page(*document));
    const std::string rest = " margin-top: 0in; margin-bottom: 0in; line-height: 1.0";
    for (size_t at; (at = body.find(rest)) != std::string::npos;) body.erase(at, rest.size());
    EXPECT_EQ(k.body, body);
    EXPECT_EQ(std::string::npos, body.find("<DIR><UL>"));
  }
}

namespace {

// What a user sees of a document: each paragraph that has text or a bullet
// (every paragraph ended by a paragraph end, with `emptyToo`), with its
// indent level, bullet, alignment and a line spacing but single, a link
// shown as [title|target], a run in another font than the page's as
// {font|text}, a unit above 127 as <XXXX>.
std::vector<std::string> Facts(xMorvaDocument& document, bool emptyToo = false) {
  std::vector<std::string> facts;
  std::string text;
  int32_t font = -1;
  xMorvaEngine& body = Engine(document, kPartBody);
  const auto positions = Positions(document, kPartBody);
  auto utf8 = [](const VString& s) {
    char bytes[512] = {};
    s.GetCText(bytes, sizeof bytes, kCharSetAnsi);
    return std::string(bytes);
  };
  VStr<63> times;
  times.SetCText("Times New Roman", kCharSetAnsi);
  const int32_t timesIndex = document.FontIndexForName(times);
  for (size_t i = 0; i <= positions.size(); ++i) {
    const bool end = i == positions.size() || positions[i].unit == 13;
    const int32_t runFont = end ? -1 : positions[i].properties.at(kPropFont);
    if (runFont != font && font != -1 && font != timesIndex) text += "}";
    if (end) {
      if (!text.empty() ||
          (i < positions.size() && (emptyToo || positions[i].properties.at(kPropBullet) != 0))) {
        const auto& p = positions[text.empty() ? i : i - 1].properties;
        const int32_t spacing = p.at(kPropInterline);
        facts.push_back(text + " level " + std::to_string(p.at(kPropLeftIndent) / 37) + " bullet " +
                        std::to_string(p.at(kPropBullet)) + " align " +
                        std::to_string(p.at(kPropAlignment)) +
                        (spacing != 10 ? " spacing " + std::to_string(spacing) : ""));
      }
      text.clear();
      font = -1;
      continue;
    }
    if (runFont != font && runFont != timesIndex) {
      VStr<255> name;
      bool known = false;
      document.FontNameForIndex(runFont, name, known);
      text += "{" + utf8(name) + "|";
    }
    font = runFont;
    if (positions[i].unit == 31) {
      body.SetSelection(int32_t(i), int32_t(i) + 1);
      xMorvaHyperlink link;
      if (body.GetHyperlinkAtSelection(link)) text += "[" + utf8(link.GetTitle()) + "|" + utf8(link.GetTarget()) + "]";
    } else if (positions[i].unit < 128) {
      text += char(positions[i].unit);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "<%04X>", unsigned(positions[i].unit));
      text += hex;
    }
  }
  return facts;
}

}  // namespace

// A page of nested lists, mixed bullets, aligned items, an empty item
// before a deeper one, line spacings, a link whose target holds "&" and
// ">" and a font whose name holds "<" and ">", written, read and written
// again: after the first trip each trip gives the same bytes and the same
// document, and the first keeps what the user wrote.
TEST_F(ExportHTML, ARoundTripIsAFixedPointAfterTheFirst) {
  auto document = TimesDocument();
  xMorvaEngine& body = Engine(*document, kPartBody);
  TypeParagraphs(body, {{u"Before", 0, 0, 0},
                        {u"", 1, 108, 0},
                        {u"b", 2, 108, 0},
                        {u"one", 1, 108, 0},
                        {u"two", 2, 111, 0},
                        {u"three", 3, 109, 0},
                        {u"four", 2, 108, 1},
                        {u"five", 1, 111, 2},
                        {u"six", 1, 108, 3},
                        {u"seven", 1, 108, 0},
                        {u"After ", 0, 0, 1}});
  Mark(body, 0, 7, kPropInterline, 15);
  Mark(body, 10, 14, kPropInterline, 20);
  Mark(body, 14, 18, kPropInterline, 8);
  VStrInHandle target, title;
  target.SetCText("http://x.org/?a=1&b=2>3&amp;", kCharSetAnsi);
  title.SetCText("go & see", kCharSetAnsi);
  xMorvaHyperlink link(xMorvaHyperlink::kURL, true, target, title);
  ASSERT_EQ(0, body.InsertHyperlink(link, false));
  body.SetSelection(body.GetLength(), body.GetLength());
  Type(body, u" in");
  VStr<63> face;
  face.SetCText("Odd <Face> & Co", kCharSetAnsi);
  Mark(body, body.GetLength() - 2, body.GetLength(), kPropFont, document->FontIndexForName(face));
  const std::vector<std::string> wrote = Facts(*document);
  ASSERT_EQ(11u, wrote.size());
  EXPECT_EQ("Before level 0 bullet 0 align 0 spacing 15", wrote[0]);
  EXPECT_EQ(" level 1 bullet 108 align 0", wrote[1]);
  EXPECT_EQ("one level 1 bullet 108 align 0 spacing 20", wrote[3]);
  EXPECT_EQ("two level 2 bullet 111 align 0 spacing 8", wrote[4]);
  EXPECT_EQ("After [go & see|http://x.org/?a=1&b=2>3&amp;] {Odd <Face> & Co|in} level 0 bullet 0 align 1", wrote[10]);

  std::vector<std::string> pages;
  std::vector<std::vector<Position>> read;
  xMorvaDocument* from = document.get();
  std::vector<std::unique_ptr<xMorvaDocument>> trips;
  for (int trip = 0; trip < 3; ++trip) {
    pages.push_back(Page(*from));
    trips.push_back(NewDocument());
    xMorvaImportHTML reader;
    ASSERT_EQ(0, reader.ImportHTMLBytes(*trips.back(), reinterpret_cast<const uint8_t*>(pages.back().data()),
                                        uint32_t(pages.back().size()), ""));
    from = trips.back().get();
    read.push_back(Positions(*from, kPartBody));
    EXPECT_EQ(wrote, Facts(*from)) << "trip " << trip + 1 << "\n" << pages.back();
  }
  EXPECT_EQ(pages[1], pages[2]);
  EXPECT_EQ(pages[0], pages[1]);
  // The page as a hand would write it, with "&" and ">" as they stand in
  // the quoted target, reads as the same document.
  std::string byHand = pages[0];
  const std::string escaped = "http://x.org/?a=1&amp;b=2&gt;3&amp;amp;";
  ASSERT_NE(std::string::npos, byHand.find(escaped));
  byHand.replace(byHand.find(escaped), escaped.size(), "http://x.org/?a=1&b=2>3&amp;amp;");
  auto handRead = NewDocument();
  xMorvaImportHTML reader;
  ASSERT_EQ(0, reader.ImportHTMLBytes(*handRead, reinterpret_cast<const uint8_t*>(byHand.data()),
                                      uint32_t(byHand.size()), ""));
  EXPECT_EQ(wrote, Facts(*handRead));
  ASSERT_EQ(read[1].size(), read[2].size());
  for (size_t i = 0; i < read[1].size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(read[1][i].unit, read[2][i].unit);
    EXPECT_EQ(read[1][i].properties, read[2][i].properties);
    EXPECT_EQ(read[1][i].tabs, read[2][i].tabs);
  }
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

// A bulleted paragraph without text is an empty item of its list, the
// document's last paragraph too; an empty paragraph without a bullet is
// left out, as before.
TEST_F(ExportHTML, EmptyBulletedParagraphsAreEmptyItems) {
  struct Case {
    const char16_t* text;
    int32_t listFrom;  // the bulleted range, -1 for none
    int32_t listTo;
    const char* body;
  };
  const Case cases[] = {
      {u"a\n\nb", 2, 2, "<P>a</P><UL><LI TYPE=\"disc\"></LI></UL><P>b</P>"},
      {u"a\n", 2, 2, "<P>a</P><UL><LI TYPE=\"disc\"></LI></UL>"},
      {u"x\n\n\ny", 0, 4, "<UL><LI TYPE=\"disc\">x</LI><LI TYPE=\"disc\"></LI><LI TYPE=\"disc\"></LI></UL><P>y</P>"},
      {u"\nb", 0, 0, "<UL><LI TYPE=\"disc\"></LI></UL><P>b</P>"},
      {u"a\n\nb", -1, -1, "<P>a</P><P>b</P>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    auto document = TimesDocument();
    xMorvaEngine& body = Engine(*document, kPartBody);
    Type(body, c.text);
    if (c.listFrom >= 0) Mark(body, c.listFrom, c.listTo, kPropBullet, 108);
    EXPECT_EQ(c.body, BodyOf(Page(*document)));
  }
}

// A page with an empty item, blank last items and a link without text, and
// a character beyond the Basic Multilingual Plane whose halves stand in
// runs of two fonts, written and read three times: after the first trip
// each trip gives the same page and the same document, and the first keeps
// what the user wrote: the empty items are items, the text after them is
// not, the link shows nothing, and the character is whole.
TEST_F(ExportHTML, EmptyItemsEmptyLinksAndSplitPairsReachAFixedPointAtOnce) {
  const std::string start = "<P>Before</P><UL><LI></LI></UL><P>abc</P><P>x <A HREF=\"https://e.org/\"></A> y</P>"
                            "<UL><LI>one</LI><LI> </LI><LI> </LI></UL>";
  auto document = NewDocument();
  xMorvaImportHTML reader;
  ASSERT_EQ(0, reader.ImportHTMLBytes(*document, reinterpret_cast<const uint8_t*>(start.data()),
                                      uint32_t(start.size()), ""));
  xMorvaEngine& body = Engine(*document, kPartBody);
  body.SetSelection(body.GetLength(), body.GetLength());
  Type(body, u"x\U0001F600y");
  VStr<63> arial;
  arial.SetCText("Arial", kCharSetAnsi);
  // The second half and the letter after it in another font.
  Mark(body, body.GetLength() - 2, body.GetLength(), kPropFont, document->FontIndexForName(arial));
  ASSERT_EQ("x<D83D>{Arial|<DE00>y} level 0 bullet 0 align 0", Facts(*document).back());

  std::vector<std::string> pages;
  std::vector<std::unique_ptr<xMorvaDocument>> trips;
  xMorvaDocument* from = document.get();
  for (int trip = 0; trip < 3; ++trip) {
    pages.push_back(Page(*from));
    trips.push_back(NewDocument());
    ASSERT_EQ(0, reader.ImportHTMLBytes(*trips.back(), reinterpret_cast<const uint8_t*>(pages.back().data()),
                                        uint32_t(pages.back().size()), ""));
    from = trips.back().get();
  }
  const std::vector<std::string> kept = {
      "Before level 0 bullet 0 align 0", " level 0 bullet 0 align 0",
      " level 1 bullet 108 align 0",     " level 1 bullet 0 align 0",
      "abc level 0 bullet 0 align 0",    " level 0 bullet 0 align 0",
      "x [|https://e.org/]y level 0 bullet 0 align 0", " level 0 bullet 0 align 0",
      "one level 1 bullet 108 align 0",  " level 1 bullet 108 align 0",
      " level 1 bullet 108 align 0",     " level 1 bullet 0 align 0",
      "x<D83D><DE00>{Arial|y} level 0 bullet 0 align 0", " level 0 bullet 0 align 0"};
  EXPECT_EQ(kept, Facts(*trips[0], true)) << pages[0];
  EXPECT_EQ(pages[0], pages[1]);
  EXPECT_EQ(pages[1], pages[2]);
  for (int trip = 1; trip < 3; ++trip) {
    SCOPED_TRACE(trip + 1);
    const auto before = Positions(*trips[0], kPartBody);
    const auto after = Positions(*trips[size_t(trip)], kPartBody);
    ASSERT_EQ(before.size(), after.size());
    for (size_t i = 0; i < before.size(); ++i) {
      EXPECT_EQ(before[i].unit, after[i].unit) << i;
      EXPECT_EQ(before[i].properties, after[i].properties) << i;
    }
  }
}
