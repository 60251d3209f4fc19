// Macintosh styled text: the 'styl' record read in either byte order and
// against bad counts and offsets, written to its layout from a document's
// runs, read back into a document, and the clipboard filters that use it.
#include <gtest/gtest.h>

#include "area/files/xMorvaFileFormats.h"
#include "document/xMorvaProperties.h"
#include "framework/system/environment/VClipboard.h"
#include "interchange/tests/TextTestSupport.h"
#include "interchange/text/xMorvaClipboardFilters.h"
#include "interchange/text/xMorvaMacStyledText.h"
#include "platform/bytes/ByteSpanReader.h"
#include "platform/toolbox/TbxScrap.h"

namespace {

using namespace texttest;

// A 'styl' record built field by field in one byte order.
struct StyleRecord {
  bool big = false;
  Bytes bytes;
  StyleRecord& U16(uint16_t v) {
    if (big) {
      bytes.push_back(uint8_t(v >> 8));
      bytes.push_back(uint8_t(v));
    } else {
      bytes.push_back(uint8_t(v));
      bytes.push_back(uint8_t(v >> 8));
    }
    return *this;
  }
  StyleRecord& U32(uint32_t v) {
    return big ? U16(uint16_t(v >> 16)).U16(uint16_t(v)) : U16(uint16_t(v)).U16(uint16_t(v >> 16));
  }
  StyleRecord& Run(uint32_t start, uint8_t face, uint16_t size, uint16_t red = 0,
                   uint16_t green = 0, uint16_t blue = 0, uint16_t font = 0) {
    U32(start).U16(12).U16(9).U16(font);
    bytes.push_back(face);
    bytes.push_back(0);
    return U16(size).U16(red).U16(green).U16(blue);
  }
};

StyleRecord Record(bool big, uint16_t count) {
  StyleRecord r;
  r.big = big;
  r.U16(count);
  return r;
}

TEST(StyleRuns, ReadsEitherByteOrderAndBoundsBadCountsAndOffsets) {
  struct Row {
    const char* name;
    Bytes record;
    uint32_t textLength;
    int32_t code;
    std::vector<uint32_t> starts;
  };
  const Row rows[] = {
      {"empty record", {}, 4, 1015, {}},
      {"one byte", {1}, 4, 1015, {}},
      {"no runs", Record(false, 0).bytes, 4, 0, {}},
      {"little-endian", Record(false, 2).Run(0, 1, 12).Run(2, 0, 12).bytes, 4, 0, {0, 2}},
      {"big-endian", Record(true, 2).Run(0, 1, 12).Run(3, 0, 12).bytes, 4, 0, {0, 3}},
      {"count past the record", Record(false, 2).Run(0, 1, 12).bytes, 4, 1015, {}},
      {"count far past the record", Record(false, 0xFFFF).Run(0, 1, 12).bytes, 4, 1015, {}},
      {"offset past the text", Record(false, 2).Run(0, 1, 12).Run(900, 0, 12).bytes, 4, 0, {0, 4}},
      {"offsets going back",
       Record(false, 3).Run(3, 1, 12).Run(1, 0, 12).Run(4, 0, 12).bytes,
       4,
       0,
       {3, 3, 4}},
      {"bytes after the runs", Record(false, 1).Run(0, 1, 12).U16(77).bytes, 4, 0, {0}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<xMorvaStyleRun> runs(3);
    EXPECT_EQ(ReadStyleRuns(row.record.data(), row.record.size(), row.textLength, runs), row.code);
    std::vector<uint32_t> starts;
    for (const xMorvaStyleRun& run : runs) starts.push_back(run.start);
    EXPECT_EQ(starts, row.starts);
  }
  const Bytes big = Record(true, 1).Run(0, kStyleFaceItalic, 18, 0xFF00, 0x8000, 0x0100, 3).bytes;
  std::vector<xMorvaStyleRun> runs;
  ASSERT_EQ(ReadStyleRuns(big.data(), big.size(), 9, runs), 0);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].lineHeight, 12);
  EXPECT_EQ(runs[0].ascent, 9);
  EXPECT_EQ(runs[0].font, 3);
  EXPECT_EQ(runs[0].face, kStyleFaceItalic);
  EXPECT_EQ(runs[0].size, 18);
  EXPECT_EQ(runs[0].red, 0xFF00);
  EXPECT_EQ(runs[0].green, 0x8000);
  EXPECT_EQ(runs[0].blue, 0x0100);
}

class StyledText : public TextDocumentTest {
 protected:
  // Writes the body (or its selection) as 'TEXT' and 'styl'.
  void Export(bool selectionOnly, Bytes& text, Bytes& styles) {
    VMemHandle textHandle = 0, styleHandle = 0;
    VHandleStream textStream(textHandle), styleStream(styleHandle);
    ASSERT_EQ(textStream.OpenWrite(), 0);
    ASSERT_EQ(styleStream.OpenWrite(), 0);
    xMorvaExportMacStyledText writer;
    EXPECT_TRUE(writer.ExportStyledText(document, Body(), textStream, styleStream, selectionOnly));
    textStream.CloseWrite(1);
    styleStream.CloseWrite(1);
    text = HandleBytes(textHandle);
    styles = HandleBytes(styleHandle);
    gMemoryMgr->DisposeHandle(textHandle);
    gMemoryMgr->DisposeHandle(styleHandle);
  }
  int32_t Import(xMorvaDocument& into, const Bytes& text, const Bytes& styles, bool insert) {
    VMemoryStream textStream(text.data(), uint32_t(text.size()));
    VMemoryStream styleStream(styles.data(), uint32_t(styles.size()));
    EXPECT_EQ(textStream.OpenRead(), 0);
    EXPECT_EQ(styleStream.OpenRead(), 0);
    xMorvaImportMacStyledText reader;
    return reader.ImportStyledText(into, textStream, styleStream, insert);
  }
  // The property at position `at` of the body.
  int32_t PropertyAt(int32_t at, uint16_t id) {
    Body().SetSelection(at, at + 1);
    return Body().GetPropertyValue(id);
  }
};

TEST_F(StyledText, TheRecordHoldsOneRunPerChangeOfStyle) {
  Type(u"ab");
  Body().SetPropertyValue(kPropBold, 1);
  Body().SetPropertyValue(kPropTextColour, 0x0080FF);
  Type(u"c\u00E9");
  Bytes text, styles;
  Export(false, text, styles);
  EXPECT_EQ(text, (Bytes{'a', 'b', 'c', 0x8E}));
  ASSERT_EQ(styles.size(), 2 + 2 * kStyleRunSize);
  ByteSpanReader reader(styles.data(), styles.size(), ByteSpanReader::Order::kLittle);
  EXPECT_EQ(reader.U16(), 2);
  const int32_t size = PropertyAt(0, kPropSize);
  const uint32_t expectedStarts[] = {0, 2};
  const uint8_t expectedFaces[] = {0, kStyleFaceBold};
  const uint16_t expectedRed[] = {0, 0xFF00};
  const uint16_t expectedGreen[] = {0, 0x8000};
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(reader.U32(), expectedStarts[i]);
    EXPECT_GT(reader.U16(), 0);  // line height
    EXPECT_GT(reader.U16(), 0);  // ascent
    reader.U16();                // font number
    EXPECT_EQ(reader.U8(), expectedFaces[i]);
    EXPECT_EQ(reader.U8(), 0);
    EXPECT_EQ(reader.U16(), size);
    EXPECT_EQ(reader.U16(), expectedRed[i]);
    EXPECT_EQ(reader.U16(), expectedGreen[i]);
    EXPECT_EQ(reader.U16(), 0);
  }
  EXPECT_FALSE(reader.Failed());

  // The selection alone starts with the style in effect at its start.
  Body().SetSelection(3, 4);
  Export(true, text, styles);
  EXPECT_EQ(text, (Bytes{0x8E}));
  ASSERT_EQ(styles.size(), 2 + kStyleRunSize);
  EXPECT_EQ(styles[2 + 10], kStyleFaceBold);
}

// A character beyond the Basic Multilingual Plane is one character on the
// clipboard's Macintosh text too.
TEST_F(StyledText, ASurrogatePairIsOneQuestionMark) {
  Type(u"a\U0001D11Eb");
  Bytes text, styles;
  Export(false, text, styles);
  EXPECT_EQ(text, (Bytes{'a', '?', 'b'}));
}

TEST_F(StyledText, RunsBecomeTheStyleOfTheirText) {
  const Bytes styles = Record(true, 2)
                           .Run(1, kStyleFaceBold | kStyleFaceUnderline, 14, 0xFF00, 0, 0)
                           .Run(3, kStyleFaceItalic | kStyleFaceSubscript, 0, 0, 0, 0x8000)
                           .bytes;
  ASSERT_EQ(Import(document, B("abcdef"), styles, false), 0);
  EXPECT_EQ(BodyText(), u"abcdef");
  // Text before the first run takes its style.
  const int32_t positions[] = {0, 2, 3, 5};
  const int32_t bold[] = {1, 1, 0, 0};
  const int32_t vertical[] = {0, 0, 2, 2};
  const int32_t colour[] = {0x0000FF, 0x0000FF, 0x800000, 0x800000};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(positions[i]);
    EXPECT_EQ(PropertyAt(positions[i], kPropBold), bold[i]);
    EXPECT_EQ(PropertyAt(positions[i], kPropItalic), 1 - bold[i]);
    EXPECT_EQ(PropertyAt(positions[i], kPropUnderline), bold[i]);
    EXPECT_EQ(PropertyAt(positions[i], kPropVerticalPosition), vertical[i]);
    EXPECT_EQ(PropertyAt(positions[i], kPropTextColour), colour[i]);
    // A size of 0 leaves the one before in place.
    EXPECT_EQ(PropertyAt(positions[i], kPropSize), 14);
  }
}

TEST_F(StyledText, APasteWithoutRunsKeepsItsText) {
  document.SetAreaSetting(2, 1, nullptr);  // undo on
  Type(u"xy");
  Body().SetSelection(1, 1);
  EXPECT_EQ(Import(document, B("new\nline"), Record(false, 0).bytes, true), 0);
  EXPECT_EQ(BodyText(), u"xnew\rliney");
  EXPECT_EQ(Body().GetSelStart(), 1);
  EXPECT_EQ(Body().GetSelEnd(), 9);
  document.Undo();
  EXPECT_EQ(BodyText(), u"xy");
}

TEST_F(StyledText, ADamagedRecordChangesNothing) {
  Type(u"keep");
  EXPECT_EQ(Import(document, B("abc"), Record(false, 3).Run(0, 1, 12).bytes, true), 1015);
  EXPECT_EQ(BodyText(), u"keep");
}

TEST_F(StyledText, StylesSurviveARoundTrip) {
  Type(u"a");
  Body().SetPropertyValue(kPropVerticalPosition, 1);
  Body().SetPropertyValue(kPropShadow, 1);
  Type(u"b");
  Body().SetPropertyValue(kPropVerticalPosition, 2);
  Body().SetPropertyValue(kPropSize, 20);
  Body().SetPropertyValue(kPropUnderline, 1);
  Type(u"c\td");
  Bytes text, styles;
  Export(false, text, styles);
  xMorvaDocument copy(nullptr);
  ASSERT_EQ(Import(copy, text, styles, false), 0);
  auto& body = *static_cast<xMorvaEngine*>(copy.GetPart(kPartBody));
  VStrInHandle plain;
  body.WritePlainText(plain, false, false);
  EXPECT_EQ(plain.GetLength(), 5);
  const uint16_t ids[] = {kPropVerticalPosition, kPropShadow, kPropSize, kPropUnderline, kPropBold};
  for (int32_t at = 0; at < 5; ++at) {
    for (uint16_t id : ids) {
      SCOPED_TRACE(std::to_string(at) + " id " + std::to_string(id));
      const int32_t expected = PropertyAt(at, id);
      body.SetSelection(at, at + 1);
      EXPECT_EQ(body.GetPropertyValue(id), expected);
    }
  }
}

// The 'RTF ' flavour goes to whatever reader and writer of that type the
// table of formats holds.
int sRtfReads = 0;
int sRtfWrites = 0;
int32_t FakeRtfRead(xMorvaDocument&, VStream&, uint32_t type, bool atSelection, VString*) {
  ++sRtfReads;
  return type == FourCC("RTF ") && atSelection ? 0 : 1032;
}
bool FakeRtfWrite(xMorvaDocument&, VStream& stream, uint32_t, bool selectionOnly) {
  ++sRtfWrites;
  return selectionOnly && stream.PutData("{\\rtf1}", 7) == 0;
}

TEST_F(StyledText, TheRtfFlavourUsesTheRegisteredFormat) {
  xMorvaClipboardFilters filters;
  EXPECT_FALSE(filters.ReadsRtf());
  EXPECT_FALSE(filters.WritesRtf());
  const xMorvaFileFormat table[] = {{FourCC("RTF "), &FakeRtfRead, &FakeRtfWrite}};
  ASSERT_TRUE(xMorvaFileFormats::Register(table, 1));
  EXPECT_TRUE(filters.ReadsRtf() && filters.WritesRtf() && filters.ReadsStyles() &&
              filters.WritesStyles());
  bool written = false;
  EXPECT_EQ(Written([&](VStream& s) { return filters.ExportRtf(document, s, true); }, &written),
            B("{\\rtf1}"));
  EXPECT_TRUE(written);
  VMemoryStream in("{\\rtf1}", 7);
  in.OpenRead();
  EXPECT_TRUE(filters.ImportRtf(document, in, true));
  EXPECT_EQ(sRtfReads, 1);
  EXPECT_EQ(sRtfWrites, 1);
  xMorvaFileFormats::Unregister(table);
  EXPECT_FALSE(filters.ImportRtf(document, in, true));
  EXPECT_EQ(sRtfReads, 1);
}

// The document's clipboard with the real filters: a copy puts 'TEXT' and
// its 'styl', and 'TEXT' with a big-endian 'styl' from another program
// pastes with its styles, the caret after it.
class StyledClipboard : public StyledText {
 protected:
  StyledClipboard() {
    Tbx::ZeroScrap();
    gClipboard = &clipboard;
  }
  ~StyledClipboard() override {
    gClipboard = nullptr;
    Tbx::ZeroScrap();
  }
  static Bytes Scrap(uint32_t type) {
    int32_t offset = 0;
    const int32_t size = Tbx::GetScrap(0, type, &offset);
    if (size <= 0) return {};
    const uint32_t handle = Tbx::NewHandle(size);
    Tbx::GetScrap(handle, type, &offset);
    const auto* data = static_cast<const uint8_t*>(Tbx::HLock(handle));
    Bytes bytes(data, data + size);
    Tbx::HUnlock(handle);
    Tbx::DisposeHandle(handle);
    return bytes;
  }

  VClipboard clipboard;
  xMorvaClipboardFilters filters;
  VInstalledService<xMorvaInterchangeServices> installedFilters{&filters};
};

TEST_F(StyledClipboard, CopyPutsTheTextWithItsStylesAndPasteTakesThem) {
  Type(u"ab");
  Body().SetPropertyValue(kPropItalic, 1);
  Type(u"cd");
  Body().SetSelection(1, 4);
  document.CopySelection();
  EXPECT_EQ(Scrap(FourCC("TEXT")), B("bcd"));
  const Bytes styles = Scrap(FourCC("styl"));
  std::vector<xMorvaStyleRun> runs;
  ASSERT_EQ(ReadStyleRuns(styles.data(), styles.size(), 3, runs), 0);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[1].start, 1u);
  EXPECT_EQ(runs[1].face, kStyleFaceItalic);

  Tbx::ZeroScrap();
  const Bytes foreign = Record(true, 1).Run(0, kStyleFaceBold, 14).bytes;
  Tbx::PutScrap(3, FourCC("TEXT"), "xyz");
  Tbx::PutScrap(int32_t(foreign.size()), FourCC("styl"), foreign.data());
  Body().SetSelection(4, 4);
  document.PasteClipboard();
  EXPECT_EQ(BodyText(), u"abcdxyz");
  EXPECT_EQ(Body().GetSelStart(), 7);
  EXPECT_EQ(Body().GetSelEnd(), 7);
  EXPECT_EQ(PropertyAt(5, kPropBold), 1);
  EXPECT_EQ(PropertyAt(5, kPropSize), 14);
  EXPECT_EQ(PropertyAt(2, kPropBold), 0);
}

}  // namespace
