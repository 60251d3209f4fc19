// Plain text through the editing area's open and export: the text formats
// in the table of formats, files told by content, and the text types
// written to files with their type record.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "area/files/xMorvaFileFormats.h"
#include "area/files/xMorvaOpenSave.h"
#include "bench/ReferenceDocument.h"
#include "document/DocumentUnits.h"
#include "document/xMorvaDocParams.h"
#include "engine/xMorvaDocumentLayout.h"
#include "engine/xMorvaLines.h"
#include "framework/core/streams/VMemoryStream.h"
#include "framework/core/values/VPictureMaker.h"
#include "framework/system/files/VFile.h"
#include "framework/system/tests/FilesTestSupport.h"
#include "graphics/pictures/VPictureData.h"
#include "graphics/pictures/VQuickTimePictures.h"
#include "interchange/html/xMorvaHtmlFormats.h"
#include "interchange/older/xMorvaOlderFormats.h"
#include "interchange/rtf/xMorvaRtfFormats.h"
#include "interchange/tests/TextTestSupport.h"
#include "interchange/text/xMorvaTextFormats.h"
#include "interchange/word/xMorvaWordFormats.h"

namespace {

using namespace texttest;
namespace fs = std::filesystem;

class TextFiles : public TextDocumentTest {
 protected:
  void SetUp() override {
    TextDocumentTest::SetUp();
    char pattern[] = "/tmp/qvtextfilesXXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
    InstallTextFormats();
  }
  void TearDown() override {
    RemoveTextFormats();
    std::error_code ec;
    fs::remove_all(dir, ec);
    TextDocumentTest::TearDown();
  }
  std::string P(const std::string& name) const { return dir + "/" + name; }
  int32_t Open(const std::string& name, uint32_t& type) {
    return OpenDocumentFile(document, kept, std::make_unique<VFile>(P(name).c_str()), type,
                            nullptr);
  }

  std::string dir;
  xMorvaKeptFile kept;
};

TEST_F(TextFiles, FilesOfNoKnownTypeAreReadAsTextByTheirContent) {
  struct Row {
    const char* name;
    std::string bytes;
    uint32_t type;
    uint32_t typeAfter;
    std::u16string text;
  };
  const Row rows[] = {
      {"untyped Linux text", "one\ntwo\n", 0, kTypeTextWindows, u"one\rtwo\r"},
      {"one byte", "x", 0, kTypeTextWindows, u"x"},
      {"0 bytes", "", 0, kTypeTextWindows, u""},
      {"Windows text with a big-endian mark", std::string("\xFE\xFF\0h\0i", 6), kTypeTextWindows,
       kTypeTextUnicode, u"hi"},
      {"Macintosh text with a little-endian mark", std::string("\xFF\xFEh\0", 4), kTypeTextMac,
       kTypeTextUnicode, u"h"},
      {"Macintosh text", "caf\x8E\r", kTypeTextMac, kTypeTextMac, u"caf\u00E9\r"},
      {"TEXT is Windows text", "caf\xE9", kTypeMacText, kTypeTextWindows, u"caf\u00E9"},
      {"a tag other than html is text", "<htmlish>", 0, kTypeTextWindows, u"<htmlish>"},
      // This platform's own text is UTF-8: bytes that are valid UTF-8 with
      // multi-byte sequences in them are UTF-8 for every 8-bit type but the
      // Macintosh one; other bytes keep the type's character set.
      {"untyped UTF-8", "caf\xC3\xA9 \xCE\xB1\xE4\xB8\xAD\xF0\x9F\x98\x80\n", 0, kTypeTextWindows,
       u"caf\u00E9 \u03B1\u4E2D\U0001F600\r"},
      {"untyped, not UTF-8", "caf\xE9 x", 0, kTypeTextWindows, u"caf\u00E9 x"},
      {"untyped UTF-8 with its mark", "\xEF\xBB\xBF" "ok", 0, kTypeTextWindows, u"ok"},
      {"Windows text with the UTF-8 mark", "\xEF\xBB\xBF\xC3\xA9", kTypeTextWindows, kTypeTextWindows, u"\u00E9"},
      {"Windows text in UTF-8", "gr\xC3\xBC\xC3\x9F" "e", kTypeTextWindows, kTypeTextWindows, u"gr\u00FC\u00DFe"},
      {"TEXT in UTF-8", "gr\xC3\xBC\xC3\x9F" "e", kTypeMacText, kTypeTextWindows, u"gr\u00FC\u00DFe"},
      {"any file in UTF-8", "gr\xC3\xBC\xC3\x9F" "e", kTypeAnyFile, kTypeTextWindows, u"gr\u00FC\u00DFe"},
  };
  int n = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string name = "f" + std::to_string(n++);
    files_test::WriteAll(P(name), row.bytes);
    uint32_t type = row.type;
    EXPECT_EQ(Open(name, type), 0);
    EXPECT_EQ(type, row.typeAfter);
    EXPECT_EQ(BodyText(), row.text);
    // A text file is kept, but not as a place to save the document to.
    EXPECT_NE(kept.Get(), nullptr);
    EXPECT_FALSE(kept.IsOwn());
    EXPECT_TRUE(document.IsModified());
  }
  // A Macintosh file keeps its character set even when its bytes would
  // read as UTF-8.
  files_test::WriteAll(P("typed"), "\xC3\xA9");
  uint32_t type = kTypeTextMac;
  EXPECT_EQ(Open("typed", type), 0);
  const uint8_t bytes[] = {0xC3, 0xA9};
  EXPECT_EQ(BodyText(), DecodePlainText(bytes, sizeof bytes, kTextEncodingMac));
  EXPECT_NE(BodyText(), u"\u00E9");
  // A .txt file opened with no type reads as UTF-8 as the same bytes under
  // another name do.
  for (const char* name : {"plain8.txt", "plain8.dat"}) {
    SCOPED_TRACE(name);
    files_test::WriteAll(P(name), "gr\xC3\xBC\xC3\x9F" "e");
    type = 0;
    EXPECT_EQ(Open(name, type), 0);
    EXPECT_EQ(BodyText(), u"gr\u00FC\u00DFe");
  }
}

TEST_F(TextFiles, TextIsExportedWithItsTypeRecord) {
  Type(u"caf\u00E9\nend");
  ASSERT_EQ(
      ExportDocumentFile(document, kept,
                         std::make_unique<VFile>(P("out.txt").c_str(), kTypeMacText, kOwnCreator),
                         kTypeTextUnicode),
      0);
  const std::string expected(
      "\xFF\xFE"
      "c\0a\0f\0\xE9\0\r\0e\0n\0d\0",
      18);
  EXPECT_EQ(files_test::ReadAll(P("out.txt")), expected);
  VFile written(P("out.txt").c_str());
  EXPECT_EQ(StoredFileType(written), kTypeMacText);
  uint32_t type = 0;
  Type(u"more");
  EXPECT_EQ(Open("out.txt", type), 0);
  EXPECT_EQ(type, kTypeTextUnicode);
  EXPECT_EQ(BodyText(), u"caf\u00E9\rend");
}

// RTF registered beside the text formats: a document exported as RTF opens
// again by its content, its text equal and laid out in pages.
TEST_F(TextFiles, RtfIsExportedAndOpenedByItsContent) {
  InstallRtfFormats();
  Type(u"Title\nA paragraph of RTF.");
  ASSERT_EQ(ExportDocumentFile(document, kept, std::make_unique<VFile>(P("out.rtf").c_str()), kTypeRtfFile), 0);
  EXPECT_EQ(files_test::ReadAll(P("out.rtf")).rfind("{\\rtf1", 0), 0u);
  Type(u"changed");
  uint32_t type = 0;
  EXPECT_EQ(Open("out.rtf", type), 0);
  EXPECT_EQ(type, kTypeRtfFile);
  EXPECT_EQ(BodyText(), u"Title\rA paragraph of RTF.");
  EXPECT_GE(document.GetBodyPageCount(), 1);
  RemoveRtfFormats();
}

// A reader run for a whole document leaves its lines to the one that runs
// it (the open composes once after it); its text is there at once and the
// lines follow at the first question. A row a format.
TEST_F(TextFiles, ReadersOfAWholeDocumentLeaveItsLayingOutToTheOpen) {
  InstallRtfFormats();
  InstallHtmlFormats();
  const struct {
    uint32_t type;
    std::string bytes;
  } rows[] = {
      {kTypeRtfFile, "{\\rtf1\\ansi One\\par Two\\par}"},
      {kTypeHtmlFile, "<HTML><body><p>One</p><p>Two</p></body></HTML>"},
  };
  for (const auto& row : rows) {
    const xMorvaFormatReader read = xMorvaFileFormats::FindReader(row.type);
    ASSERT_NE(read, nullptr);
    VMemoryStream stream(row.bytes.data(), uint32_t(row.bytes.size()));
    ASSERT_EQ(stream.OpenRead(), 0);
    EXPECT_EQ(read(document, stream, row.type, false, nullptr), 0);
    stream.CloseRead();
    auto* layout = dynamic_cast<xMorvaDocumentLayout*>(document.GetLayout());
    ASSERT_NE(layout, nullptr);
    EXPECT_TRUE(layout->GetLines(xMorvaDocumentLayout::kBody)->HasPendingChange()) << row.bytes;
    EXPECT_EQ(BodyText().substr(0, 3), u"One") << row.bytes;
    EXPECT_NE(BodyText().find(u"Two"), std::u16string::npos) << row.bytes;
    EXPECT_GE(layout->GetLineCount(kPartBody), 2) << row.bytes;
    EXPECT_FALSE(layout->GetLines(xMorvaDocumentLayout::kBody)->HasPendingChange()) << row.bytes;
  }
  RemoveHtmlFormats();
  RemoveRtfFormats();
}

// An HTML page opens by its content, and its images are found beside the
// file, not beside the program.
TEST_F(TextFiles, HtmlOpensByContentWithImagesBesideThePage) {
  static const unsigned char png[] = {
      0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00,
      0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00, 0x00, 0x1F, 0x15, 0xC4, 0x89, 0x00,
      0x00, 0x00, 0x0A, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9C, 0x63, 0x00, 0x01, 0x00, 0x00, 0x05, 0x00, 0x01,
      0x0D, 0x0A, 0x2D, 0xB4, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};
  ASSERT_NE(0u, StartQuickTime());
  VInstalledService<const VPictureMaker> pictures(&kPictureValueMaker);
  InstallHtmlFormats();
  files_test::WriteAll(P("pic.png"), std::string(reinterpret_cast<const char*>(png), sizeof png));
  files_test::WriteAll(P("page"), "<HTML><body><p>One <b>two</b><img src=pic.png></p><p>three</body></HTML>");
  uint32_t type = 0;
  EXPECT_EQ(Open("page", type), 0);
  EXPECT_EQ(type, kTypeHtmlFile);
  // The picture is one position that the plain text leaves out.
  EXPECT_EQ(BodyText(), u"One two\r\rthree");
  EXPECT_EQ(Body().GetLength(), int32_t(BodyText().size()) + 1);
  EXPECT_EQ(OpeningFileFolder(), "");
  // Exported again, the page's picture goes to the images folder beside
  // the file written, named after it.
  ASSERT_EQ(ExportDocumentFile(document, kept, std::make_unique<VFile>(P("out").c_str()), kTypeHtmlFile), 0);
  EXPECT_EQ(WritingFilePath(), "");
  const std::string page = files_test::ReadAll(P("out"));
  EXPECT_EQ(page.rfind("<!DOCTYPE HTML PUBLIC", 0), 0u);
  // Which is how a page is told by its content when it opens again.
  EXPECT_EQ(SniffFileType(reinterpret_cast<const uint8_t*>(page.data()), page.size()), kTypeHtmlFile);
  EXPECT_NE(page.find("SRC=\"./images/out001.jpg\""), std::string::npos) << page;
  EXPECT_TRUE(fs::exists(P("images/out001.jpg")));
  RemoveHtmlFormats();
  StopQuickTime();
}

// Pages as they are commonly written, with a document type or a lower-case
// tag first, open as pages and not as their markup in text.
TEST_F(TextFiles, CommonPagesOpenAsHtmlByTheirContent) {
  InstallHtmlFormats();
  const char* pages[] = {
      "<!DOCTYPE html>\n<html><body><p>One</p><p>two</p></body></html>",
      "<!doctype html><title>t</title><p>One<p>two",
      "<html lang=\"en\"><body><p>One</p><p>two</p></body></html>",
  };
  int n = 0;
  for (const char* page : pages) {
    SCOPED_TRACE(page);
    const std::string name = "page" + std::to_string(n++);
    files_test::WriteAll(P(name), page);
    uint32_t type = 0;
    EXPECT_EQ(Open(name, type), 0);
    EXPECT_EQ(type, kTypeHtmlFile);
    const std::u16string text = BodyText();
    EXPECT_EQ(text.find(u'<'), std::u16string::npos) << n;
    EXPECT_NE(text.find(u"One\r\rtwo"), std::u16string::npos) << n;
  }
  RemoveHtmlFormats();
}

// A document of the older format opens by its content. The little-endian
// letter's header and footer have no stored height: on every page its text
// starts at the printable area's edges (36 and 22 points).
TEST_F(TextFiles, OlderDocumentsOpenByTheirContent) {
  InstallOlderFormats();
  fs::path fixture(__FILE__);
  if (fixture.is_relative()) fixture = fs::read_symlink("/proc/self/exe").parent_path() / fixture;
  fs::copy_file(fixture.parent_path() / "fixtures" / "older" / "letter.le.qmv", P("old"));
  uint32_t type = 0;
  EXPECT_EQ(Open("old", type), 0);
  EXPECT_EQ(type, kTypeOlderDocument);
  EXPECT_EQ(BodyText().substr(0, 11), u"Hello\tworld");
  for (const bool first : {true, false}) {
    EXPECT_EQ(document.GetParams().GetBands(first).topMargin, 36 * GetScreenResolution() / 72)
        << first;
    EXPECT_EQ(document.GetParams().GetBands(first).bottomMargin, 22 * GetScreenResolution() / 72)
        << first;
  }
  RemoveOlderFormats();
}

// A text file reads as the same text by every road: opened with no type
// (the chooser's all-files filter takes the type its name maps to) or given
// the type of its name (command 48), RTF, HTML, Word, 'TEXT' or 'WANY', a
// text that holds no mark-up is read as text by its content: UTF-8 with or
// without its mark as UTF-8, Windows bytes as Windows text, UTF-16 by its
// mark, its lines as paragraphs, its braces and backslashes as they stand.
// A page that starts with its text is still a page.
TEST_F(TextFiles, ATextFileReadsTheSameByEveryRoad) {
  files_test::ScopedTypeMap map;
  map.Row("RTF ", "RTF ").Row("HTML", "HTML").Row("DOC8", "DOC ").Row("TEXT", "TXT ");
  InstallRtfFormats();
  InstallHtmlFormats();
  InstallWordFormats();
  const std::u16string text = u"\u00C9t\u00E9 {x} C:\\temp\rcaf\u00E9";
  std::string utf16("\xFF\xFE", 2);
  for (char16_t c : text) utf16 += std::string{char(c), char(c >> 8)};
  const std::string files[] = {"\xC3\x89t\xC3\xA9 {x} C:\\temp\r\ncaf\xC3\xA9",
                               "\xEF\xBB\xBF\xC3\x89t\xC3\xA9 {x} C:\\temp\ncaf\xC3\xA9",
                               "\xC9t\xE9 {x} C:\\temp\r\ncaf\xE9", utf16};
  const std::pair<const char*, uint32_t> roads[] = {
      {"t.rtf", 0},          {"t.html", 0},          {"t.doc", 0},         {"t.txt", 0},
      {"t", 0},              {"t", kTypeRtfFile},    {"t", kTypeHtmlFile}, {"t", FourCC("DOC8")},
      {"t", kTypeMacText},   {"t.rtf", kTypeAnyFile}};
  for (const std::string& bytes : files) {
    for (const auto& [name, given] : roads) {
      SCOPED_TRACE(bytes + " named " + name + " given " + std::to_string(given));
      files_test::WriteAll(P(name), bytes);
      uint32_t type = given;
      ASSERT_EQ(Open(name, type), 0);
      EXPECT_EQ(type, bytes == utf16 ? kTypeTextUnicode : kTypeTextWindows);
      EXPECT_EQ(BodyText(), text);
      fs::remove(P(name));
    }
  }
  files_test::WriteAll(P("page.html"), "Caf\xC3\xA9 <b>bold</b>");
  uint32_t type = 0;
  ASSERT_EQ(Open("page.html", type), 0);
  EXPECT_EQ(type, kTypeHtmlFile);
  RemoveWordFormats();
  RemoveHtmlFormats();
  RemoveRtfFormats();
}

// The benchmarks' reference document (three pages: mixed character runs,
// paragraph settings, tab stops set and taken away, a host expression and a
// picture, a footer with page numbers) saved in every format this module
// writes and opened again, three times over: every open answers 0, never
// 1097, and so does the own file of what each open read. A format that
// cannot carry a part leaves it out without a repair. Its paragraphs stay.
TEST_F(TextFiles, TheReferenceDocumentOpensUnrepairedFromEveryFormat) {
  InstallRtfFormats();
  InstallHtmlFormats();
  InstallWordFormats();
  VInstalledService<const VPictureMaker> pictures(&kPictureValueMaker);
  const ReferenceDocument reference = MakeReferenceDocument(3);
  // HTML reads a paragraph as itself and the blank line after it.
  const struct {
    const char* name;
    uint32_t type;
    int32_t paragraphsPerParagraph = 1;
  } rows[] = {{"ref.qmv", kTypeOwnDocument},      {"ref.rtf", kTypeRtfFile},         {"ref.html", kTypeHtmlFile, 2},
              {"ref.doc", FourCC("DOC8")},        {"ref.mac.txt", kTypeTextMac},     {"ref.txt", kTypeTextWindows},
              {"ref.cr.txt", kTypeTextWindowsCR}, {"ref.u.txt", kTypeTextUnicode}};
  auto paragraphs = [this] {
    const std::u16string text = BodyText();
    return std::count(text.begin(), text.end(), u'\r');
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    document.Reset(false);
    for (const auto& [part, bytes] : {std::pair{kPartBody, &reference.stream}, {kPartFooter, &reference.footer}}) {
      auto& engine = *static_cast<xMorvaEngine*>(document.GetPart(part));
      ASSERT_EQ(engine.InsertBytes(0u, bytes->data(), uint32_t(bytes->size())), 0);
      engine.SetLength(int32_t(engine.RecountPositions()));
    }
    for (int trip = 1; trip <= 3; ++trip) {
      SCOPED_TRACE(trip);
      for (const auto& [name, type] : {std::pair{row.name, row.type}, {"own.qmv", kTypeOwnDocument}}) {
        ASSERT_EQ(ExportDocumentFile(document, kept, std::make_unique<VFile>(P(name).c_str()), type), 0) << name;
        uint32_t opened = type;
        ASSERT_EQ(Open(name, opened), 0) << name;
        EXPECT_EQ(paragraphs(), reference.paragraphs * row.paragraphsPerParagraph) << name;
      }
    }
    if (row.type == kTypeOwnDocument) {
      EXPECT_EQ(Body().GetLength(), reference.positions);
    }
  }
  RemoveWordFormats();
  RemoveHtmlFormats();
  RemoveRtfFormats();
}

}  // namespace
