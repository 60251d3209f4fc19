// Plain text files: decoding in the three encodings with and without a
// byte-order mark, line ends of every convention, the four file types
// written byte for byte, and round trips through a document.
#include <gtest/gtest.h>

#include "document/xMorvaUndo.h"
#include "interchange/tests/TextTestSupport.h"
#include "interchange/text/xMorvaPlainText.h"

namespace {

using namespace texttest;

TEST_F(WithTextTables, PlainTextDecodesEveryEncodingAndBadInputWithoutLosingText) {
  struct Row {
    const char* name;
    Bytes bytes;
    int32_t encoding;
    std::u16string text;
  };
  const Row rows[] = {
      {"one byte", B("A"), kTextEncodingWindows, u"A"},
      {"one byte of UTF-16", B("A"), kTextEncodingUtf16, u""},
      {"odd-length UTF-16 drops the last byte", {'A', 0, 'B'}, kTextEncodingUtf16, u"A"},
      {"a little-endian mark alone", {0xFF, 0xFE}, kTextEncodingUtf16, u""},
      {"a big-endian mark alone", {0xFE, 0xFF}, kTextEncodingUtf16, u""},
      {"little-endian with its mark",
       {0xFF, 0xFE, 'A', 0, 0xE9, 0},
       kTextEncodingUtf16,
       u"A\u00E9"},
      {"little-endian without a mark", {'A', 0, 0x3A, 0x04}, kTextEncodingUtf16, u"A\u043A"},
      {"big-endian by its mark",
       {0xFE, 0xFF, 0, 'A', 0x04, 0x3A, 0, 10},
       kTextEncodingUtf16,
       u"A\u043A\r"},
      {"mixed line ends", B("a\r\nb\nc\rd\n\ne"), kTextEncodingWindows, u"a\rb\rc\rd\r\re"},
      {"CR then CR LF", B("a\r\r\nb"), kTextEncodingWindows, u"a\r\rb"},
      {"UTF-16 line ends", {'a', 0, 13, 0, 10, 0, 10, 0, 'b', 0}, kTextEncodingUtf16, u"a\r\rb"},
      {"NULs stay for the engine to drop",
       {'a', 0, 'b'},
       kTextEncodingWindows,
       std::u16string(u"a\0b", 3)},
      {"Macintosh set", {'c', 0x8E}, kTextEncodingMac, u"c\u00E9"},
      {"Windows set", {'c', 0xE9}, kTextEncodingWindows, u"c\u00E9"},
      {"nothing", {}, kTextEncodingWindows, u""},
      {"UTF-8 without its mark", B("\xC3\xA9\xF0\x9D\x84\x9E"), kTextEncodingUtf8, u"\u00E9\U0001D11E"},
      {"UTF-8 loses its mark", B("\xEF\xBB\xBF" "a\n"), kTextEncodingUtf8, u"a\r"},
      {"a bad UTF-8 byte is a replacement mark", B("a\xFF" "b"), kTextEncodingUtf8, u"a\uFFFDb"},
      {"untyped UTF-8", B("\xD0\xBA\xE2\x80\x91"), kTextEncodingUntyped, u"\u043A\u2011"},
      {"untyped and not UTF-8", B("\xE9" "A"), kTextEncodingUntyped, u"\u00E9A"},
      {"untyped ASCII", B("ab"), kTextEncodingUntyped, u"ab"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(DecodePlainText(row.bytes.data(), row.bytes.size(), row.encoding), row.text);
  }
}

class PlainTextDocument : public TextDocumentTest {
 protected:
  int32_t Import(const Bytes& bytes, int32_t encoding, bool insert) {
    VMemoryStream stream(bytes.data(), uint32_t(bytes.size()));
    EXPECT_EQ(stream.OpenRead(), 0);
    xMorvaImportTEXT reader;
    const int32_t code = reader.ImportText(document, stream, encoding, insert);
    stream.CloseRead();
    return code;
  }
  Bytes Export(uint32_t type) {
    return Written([&](VStream& stream) {
      xMorvaExportTEXT writer;
      return writer.ExportText(document, stream, type);
    });
  }
  // "Café", a tab element, "ok", a paragraph end, "x".
  void TypeSample() {
    Type(u"Caf\u00E9");
    Body().InsertTab();
    Type(u"ok\nx");
  }
};

TEST(PlainTextEncoding, TheUtf8MarkAndUtf8BytesChooseUtf8) {
  struct Row {
    const char* name;
    std::string bytes;
    int32_t asked;
    int32_t chosen;
  };
  const Row rows[] = {
      {"Windows with the mark", "\xEF\xBB\xBFx", kTextEncodingWindows, kTextEncodingUtf8},
      {"Macintosh with the mark", "\xEF\xBB\xBF", kTextEncodingMac, kTextEncodingUtf8},
      {"half a mark", "\xEF\xBB", kTextEncodingWindows, kTextEncodingWindows},
      {"typed Windows UTF-8 bytes", "\xC3\xA9", kTextEncodingWindows, kTextEncodingUtf8},
      {"typed Windows UTF-8 words", "gr\xC3\xBC\xC3\x9F" "e", kTextEncodingWindows, kTextEncodingUtf8},
      {"typed Windows bytes", "gr\xFC\xDF" "e", kTextEncodingWindows, kTextEncodingWindows},
      {"typed Windows ASCII", "abc", kTextEncodingWindows, kTextEncodingWindows},
      {"typed Macintosh UTF-8 bytes", "\xC3\xA9", kTextEncodingMac, kTextEncodingMac},
      {"untyped UTF-8 bytes", "\xC3\xA9", kTextEncodingUntyped, kTextEncodingUtf8},
      {"untyped ASCII", "abc", kTextEncodingUntyped, kTextEncodingWindows},
      {"untyped, a sequence cut short", "a\xE2\x80", kTextEncodingUntyped, kTextEncodingWindows},
      {"untyped, an overlong form", "\xC0\xAF", kTextEncodingUntyped, kTextEncodingWindows},
      {"untyped, an encoded surrogate", "\xED\xA0\x80", kTextEncodingUntyped, kTextEncodingWindows},
      {"untyped nothing", "", kTextEncodingUntyped, kTextEncodingWindows},
      {"UTF-16 stays", "\xEF\xBB\xBF\x00", kTextEncodingUtf16, kTextEncodingUtf16},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(PlainTextEncodingOf(reinterpret_cast<const uint8_t*>(row.bytes.data()), row.bytes.size(), row.asked),
              row.chosen);
  }
}

TEST_F(PlainTextDocument, ALoneLineFeedEndsAParagraphAndControlsGo) {
  Type(u"old text");
  EXPECT_EQ(Import(B(std::string("one\ntwo\r\nthr\0ee\x01\n", 17)), kTextEncodingWindows, false),
            0);
  EXPECT_EQ(BodyText(), u"one\rtwo\rthree\r");
  EXPECT_EQ(Body().GetSelStart(), 0);
  EXPECT_EQ(Body().GetSelEnd(), 0);
}

TEST_F(PlainTextDocument, LongTextConvertsWholeAcrossItsPieces) {
  std::string text;
  std::u16string expected;
  for (int i = 0; i < 40000; ++i) {
    const char c = i % 97 == 96 ? '\n' : i % 7 == 6 ? '\t' : char('a' + i % 26);
    text.push_back(c);
    expected.push_back(c == '\n' ? u'\r' : char16_t(c));
  }
  EXPECT_EQ(Import(B(text), kTextEncodingWindows, false), 0);
  EXPECT_EQ(Body().GetLength(), 40000);
  EXPECT_EQ(BodyText(), expected);
}

TEST_F(PlainTextDocument, InsertedTextReplacesTheSelectionInOneUndoStep) {
  document.SetAreaSetting(2, 1, nullptr);  // undo on
  Type(u"abc");
  Body().SetSelection(1, 2);
  EXPECT_EQ(Import({0xFF, 0xFE, 'X', 0, 10, 0, 'Y', 0}, kTextEncodingUtf16, true), 0);
  EXPECT_EQ(BodyText(), u"aX\rYc");
  EXPECT_EQ(Body().GetSelStart(), 4);
  document.Undo();
  EXPECT_EQ(BodyText(), u"abc");
}

TEST_F(PlainTextDocument, EachFileTypeIsWrittenByteForByte) {
  TypeSample();
  const Bytes unicode = {0xFF, 0xFE, 'C', 0, 'a', 0, 'f', 0, 0xE9, 0,
                         9,    0,    'o', 0, 'k', 0, 13,  0, 'x',  0};
  EXPECT_EQ(Export(kTypeTextMac), B("Caf\x8E\tok\rx"));
  EXPECT_EQ(Export(kTypeTextWindows), B("Caf\xE9\tok\r\nx"));
  EXPECT_EQ(Export(kTypeTextWindowsCR), B("Caf\xE9\tok\rx"));
  EXPECT_EQ(Export(kTypeTextUnicode), unicode);
}

TEST_F(PlainTextDocument, EveryFileTypeReadsBackAsItWasWritten) {
  TypeSample();
  const std::u16string text = BodyText();
  // Each type carries the sample whole; Greek and an emoji only UTF-16
  // does, which the save asks its question by.
  const struct {
    uint32_t type;
    int32_t encoding;
    bool carriesGreek;
  } kinds[] = {{kTypeTextMac, kTextEncodingMac, false},
               {kTypeTextWindows, kTextEncodingWindows, false},
               {kTypeTextWindowsCR, kTextEncodingWindows, false},
               {kTypeTextUnicode, kTextEncodingUtf16, true}};
  for (const auto& kind : kinds) {
    SCOPED_TRACE(kind.type);
    EXPECT_TRUE(xMorvaExportTEXT::CarriesEveryCharacter(document, kind.type));
    const Bytes bytes = Export(kind.type);
    Type(u"changed");
    EXPECT_EQ(Import(bytes, kind.encoding, false), 0);
    EXPECT_EQ(BodyText(), text);
    EXPECT_EQ(Export(kind.type), bytes);
  }
  Type(u"\u0395\u03BB \U0001F600");
  for (const auto& kind : kinds)
    EXPECT_EQ(xMorvaExportTEXT::CarriesEveryCharacter(document, kind.type), kind.carriesGreek) << kind.type;
}

}  // namespace

namespace {

// A character beyond the Basic Multilingual Plane is one character in an
// 8-bit file too: one question mark where the character set has none, and
// both halves in UTF-16 and UTF-8 files.
TEST_F(PlainTextDocument, ASurrogatePairIsOneCharacterInEveryFileType) {
  Type(u"a\U0001D11Eb");
  EXPECT_EQ(Export(kTypeTextWindows), B("a?b"));
  EXPECT_EQ(Export(kTypeTextMac), B("a?b"));
  EXPECT_EQ(Export(kTypeTextUnicode), (Bytes{0xFF, 0xFE, 'a', 0, 0x34, 0xD8, 0x1E, 0xDD, 'b', 0}));
  EXPECT_EQ(Import(B("a\xF0\x9D\x84\x9E" "b"), kTextEncodingUntyped, false), 0);
  EXPECT_EQ(BodyText(), u"a\U0001D11Eb");
}

}  // namespace
