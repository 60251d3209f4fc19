// The own document file: its frame byte by byte, every part read back equal,
// the same bytes when written again, the preview in front, the other byte
// order, repairs, and every truncation and corruption refused without harm.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "area/tests/DocumentFileSupport.h"
#include "document/xMorvaLayoutInterface.h"
#include "engine/xMorvaElementStream.h"
#include "graphics/GraphicsGlobals.h"
#include "graphics/VDIBPort.h"
#include "platform/bytes/ByteOrder.h"
#include "graphics/printing/VWinPrinter.h"
#include "platform/win32/WinCommonDialogs.h"

namespace {

using namespace documentfile;

constexpr uint32_t kBodyHeaderSize = 21;

// Where the frame's fields are in a file written without preview.
struct Frame {
  uint32_t headerLength = 0;
  uint32_t storeLength = 0;
  size_t bodyAt = 0;
};

Frame FrameOf(const Bytes& bytes, size_t at = 0) {
  Frame frame;
  frame.headerLength = LoadLE32(&bytes[at + 4]);
  frame.storeLength = LoadLE32(&bytes[at + 12 + kBodyHeaderSize]);
  frame.bodyAt = at + 12 + frame.headerLength;
  return frame;
}

// The file with its store changed by `edit`, the frame's lengths following.
template <typename Edit>
Bytes WithStore(const Bytes& file, Edit&& edit) {
  const Frame frame = FrameOf(file);
  const size_t storeAt = 12 + kBodyHeaderSize + 4;
  VMemHandle handle = gMemoryMgr->NewHandle(frame.storeLength, 0);
  std::memcpy(gMemoryMgr->LockHandle(handle), &file[storeAt], frame.storeLength);
  gMemoryMgr->UnlockHandle(handle);
  {
    VMemoryResourceFile store(handle, 0);
    edit(store);
    store.UpdateFile();
  }
  const uint32_t size = gMemoryMgr->GetHandleSize(handle);
  const auto* data = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(handle));
  Bytes bytes(file.begin(), file.begin() + long(storeAt));
  StoreLE32(&bytes[4], kBodyHeaderSize + 4 + size);
  StoreLE32(&bytes[8], kBodyHeaderSize + 4 + size);
  StoreLE32(&bytes[storeAt - 4], size);
  bytes.insert(bytes.end(), data, data + size);
  bytes.insert(bytes.end(), file.begin() + long(frame.bodyAt), file.end());
  gMemoryMgr->UnlockHandle(handle);
  gMemoryMgr->DisposeHandle(handle);
  return bytes;
}

class DocumentFile : public Fixture {};

TEST_F(DocumentFile, WritesTheFrameAroundHeaderStoreAndBody) {
  auto document = NewDocument();
  FillDocument(*document);
  const Bytes bytes = Write(*document);
  ASSERT_GT(bytes.size(), 40u);
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 4), (Bytes{0, 0, 0x8E, 0x8F}));
  const Frame frame = FrameOf(bytes);
  EXPECT_EQ(LoadLE32(&bytes[8]), frame.headerLength);
  EXPECT_EQ(frame.headerLength, kBodyHeaderSize + 4 + frame.storeLength);
  EXPECT_EQ(LoadLE32(&bytes[12]), FourCC("wENG"));
  // The store is the framework's container, written little-endian.
  EXPECT_EQ(LoadLE32(&bytes[12 + kBodyHeaderSize + 4]), kMemResMagic);
  // The body stream follows to the end, with no trailer.
  EXPECT_EQ(Bytes(bytes.begin() + long(frame.bodyAt), bytes.end()), StreamOf(*document, kPartBody));
  // The informations' modification stamp is where the comparisons look
  // past it.
  EXPECT_NE(WithoutStamp(bytes), bytes);
  // No text stays in the store once written.
  EXPECT_EQ(document->GetStyleSheetStore()->CountResources(FourCC("wENG")), 0);
}

// Comparisons blank the stamp in the informations record itself, wherever
// else the bytes of its head stand: here in a header text whose characters
// are those bytes, which the store holds before the informations; with and
// without a preview in front.
TEST_F(DocumentFile, TheStampIsBlankedWhereTheInformationsHoldIt) {
  const uint8_t head[] = {'F', 'N', 'I', 'w', '0', '1', '0', '0'};
  for (bool preview : {false, true}) {
    SCOPED_TRACE(preview ? "with a preview" : "without a preview");
    auto document = NewDocument();
    FillDocument(*document);
    xMorvaEngine& header = Engine(*document, kPartHeader);
    for (char16_t c : std::u16string(u"\u4E46\u7749\u3130\u3030 and the text that follows it"))
      header.TypeCharacter(c);
    const Bytes bytes = Write(*document, preview);
    const size_t informations = documentstamp::InformationsAt(bytes);
    ASSERT_LT(informations + 28, bytes.size());
    EXPECT_EQ(Bytes(bytes.begin() + long(informations), bytes.begin() + long(informations) + 8),
              Bytes(std::begin(head), std::end(head)));
    const size_t first = size_t(std::search(bytes.begin(), bytes.end(), std::begin(head), std::end(head)) - bytes.begin());
    ASSERT_LT(first, informations) << "the header's characters stand first";
    auto read = NewDocument();
    ASSERT_EQ(Read(*read, WithoutStamp(bytes)), 0);
    EXPECT_EQ(read->Infos().GetModificationTime(), 0);
    EXPECT_EQ(read->Infos().GetModificationDate().year, 0);
    EXPECT_EQ(StreamOf(*read, kPartHeader), StreamOf(*document, kPartHeader));
  }
}

TEST_F(DocumentFile, ReadsBackEveryPartAndWritesTheSameBytesAgain) {
  struct Row {
    bool preview;
    bool blank;
  } rows[] = {{false, true}, {true, true}, {true, false}};
  for (const Row& row : rows) {
    auto document = NewDocument();
    FillDocument(*document);
    const Bytes first = Write(*document, row.preview, row.blank);
    auto read = NewDocument();
    ASSERT_EQ(Read(*read, first), 0) << row.preview << row.blank;
    for (int16_t part = 0; part < kPartCount; ++part) {
      EXPECT_EQ(StreamOf(*read, part), StreamOf(*document, part)) << "part " << part;
    }
    EXPECT_EQ(read->StyleSheetIds(), document->StyleSheetIds());
    EXPECT_EQ(read->GetFontCount(), document->GetFontCount());
    EXPECT_EQ(read->Infos().GetCreationTime(), 123456);
    auto* pictures = static_cast<xMorvaPicturesInPage*>(read->GetPagePictures());
    ASSERT_EQ(pictures->GetCount(), 2);
    EXPECT_EQ(pictures->GetEntry(0).shownWidth, 34);
    EXPECT_EQ(pictures->GetEntry(0).keepsSize, 1);
    EXPECT_EQ(pictures->GetEntry(1).isReference, 1);
    EXPECT_TRUE(read->GetStyleSheetStore()->HasResource(kTypeHostReference, pictures->GetEntry(1).resourceId));
    // Without preview the bytes are the same again; the preview is drawn
    // anew each time, so there the document behind it is compared.
    const Bytes second = Write(*read, row.preview, row.blank);
    if (!row.preview) {
      EXPECT_EQ(WithoutStamp(second), WithoutStamp(first));
    } else {
      EXPECT_EQ(Bytes(second.end() - 6, second.end()), Bytes(6, 0));
      auto again = NewDocument();
      EXPECT_EQ(Read(*again, second), 0);
      EXPECT_EQ(WithoutStamp(Write(*again)), WithoutStamp(Write(*read)));
    }
  }
}

TEST_F(DocumentFile, ThePreviewIsTheFirstPageOrABlankOne) {
  auto document = NewDocument();
  FillDocument(*document);
  const Bytes blank = Write(*document, true, true);
  const Bytes page = Write(*document, true, false);
  const size_t plain = Write(*document).size();
  // The preview stands in front, its first word its size; the trailer ends
  // the file.
  for (const Bytes* file : {&blank, &page}) {
    const size_t preview = file->size() - plain - 6;
    EXPECT_EQ(LoadLE16(file->data()), uint16_t(preview & 0xFFFF));
    EXPECT_EQ(Bytes(file->begin() + long(preview), file->begin() + long(preview) + 4), (Bytes{0, 0, 0x8E, 0x8F}));
  }
  // The drawn page holds more than the blank one.
  EXPECT_GT(page.size(), blank.size());
}

TEST_F(DocumentFile, FindsTheSignatureBehindAPreviewOfAnySize) {
  auto document = NewDocument();
  FillDocument(*document);
  const Bytes plain = Write(*document);
  // A preview of that size whose first word is its size modulo 65536, and
  // the trailer behind the body.
  for (uint32_t size : {3000u, 70000u, 65536u + 2u}) {
    Bytes bytes(size, 0x55);
    StoreLE16(bytes.data(), uint16_t(size & 0xFFFF));
    bytes.insert(bytes.end(), plain.begin(), plain.end());
    bytes.insert(bytes.end(), 6, 0);
    auto read = NewDocument();
    EXPECT_EQ(Read(*read, bytes), 0) << size;
    EXPECT_EQ(StreamOf(*read, kPartBody), StreamOf(*document, kPartBody)) << size;
  }
}

TEST_F(DocumentFile, ReadsAFileOfTheOtherByteOrder) {
  auto document = NewDocument();
  FillDocument(*document);
  const Bytes plain = Write(*document);
  const Frame frame = FrameOf(plain);
  // The frame and the body as a big-endian machine writes them; the store
  // carries its own order in its magic.
  VMemHandle handle = 0;
  VHandleStream engineBytes(handle);
  ASSERT_EQ(engineBytes.OpenWrite(), 0);
  ASSERT_TRUE(Engine(*document, kPartBody).WriteResource(engineBytes, true));
  engineBytes.CloseWrite(1);
  const auto* data = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(handle));
  const Bytes swappedBody(data, data + gMemoryMgr->GetHandleSize(handle));
  gMemoryMgr->UnlockHandle(handle);
  gMemoryMgr->DisposeHandle(handle);

  Bytes bytes = {0, 0, 0x8F, 0x8E};
  uint8_t word[4];
  StoreBE32(word, frame.headerLength);
  bytes.insert(bytes.end(), word, word + 4);
  bytes.insert(bytes.end(), word, word + 4);
  bytes.insert(bytes.end(), swappedBody.begin(), swappedBody.begin() + kBodyHeaderSize);
  StoreBE32(word, frame.storeLength);
  bytes.insert(bytes.end(), word, word + 4);
  const auto store = plain.begin() + long(12 + kBodyHeaderSize + 4);
  bytes.insert(bytes.end(), store, store + frame.storeLength);
  bytes.insert(bytes.end(), swappedBody.begin() + kBodyHeaderSize, swappedBody.end());

  auto read = NewDocument();
  EXPECT_EQ(Read(*read, bytes), 0);
  EXPECT_EQ(StreamOf(*read, kPartBody), StreamOf(*document, kPartBody));
  EXPECT_EQ(WithoutStamp(Write(*read)), WithoutStamp(plain));
}

// Layout writes a page number's digits into the stored text; reading puts
// the placeholders back without calling the document repaired, so a saved
// document with page numbers opens without the repair question.
// The printer takes the page's paper, whatever paper the print record
// read with it names: the page's own, none (settings that never met a
// printer, stored where none was installed) or another (the page set
// without page setup); the page and its margins stay the file's.
TEST_F(DocumentFile, ThePageTakesThePaperOfItsPrintRecord) {
  // Hundredths of a millimetre as a paper gives its page in screen pixels.
  auto pixels = [](int32_t hundredths) { return int32_t(int64_t(hundredths) * gScreenLogPixelsX / 2540); };
  // The file with the print record of `printer` in place of its own.
  auto withRecord = [](const Bytes& file, VPrintSettings& printer) {
    VMemHandle handle = 0;
    VHandleStream out(handle);
    EXPECT_EQ(out.OpenWrite(), 0);
    EXPECT_TRUE(xMorvaDocument::WritePrintRecordTo(out, printer));
    out.CloseWrite(1);
    Bytes record(gMemoryMgr->GetHandleSize(handle));
    std::memcpy(record.data(), gMemoryMgr->LockHandle(handle), record.size());
    gMemoryMgr->UnlockHandle(handle);
    gMemoryMgr->DisposeHandle(handle);
    return WithStore(file, [&](VMemoryResourceFile& store) {
      store.ReplaceResource(FourCC("wPRT"), 0, record.data(), uint32_t(record.size()));
    });
  };
  // An A5 page with a left margin of 17 mm, and a page of no paper's
  // size (700 x 900 pixels on a screen of 96 an inch).
  auto document = NewDocument();
  document->Params().SetPageSize(pixels(14800), pixels(21000));
  document->Params().SetLeftMargin(pixels(1700));
  const Bytes file = Write(*document);
  document->Params().SetPageSize(pixels(18521), pixels(23813));
  const Bytes unnamed = Write(*document);
  // Settings of no printer: no paper code, no size.
  SetHeadlessDefaultPrinter(nullptr);
  auto none = std::make_unique<VWinPrinter>();
  ResetHeadlessDialogs();
  // The default printer's settings, on its own paper (Letter).
  VWinPrinter letter;
  const struct {
    const char* what;
    Bytes bytes;
    int32_t width, height;
    uint16_t paper;
  } rows[] = {
      {"the page's own record", file, 14800, 21000, 11},
      {"a record naming no paper", withRecord(file, *none), 14800, 21000, 11},
      {"a record of another paper", withRecord(file, letter), 14800, 21000, 11},
      {"a page of no paper", unnamed, 18521, 23813, 0},
  };
  for (const auto& row : rows) {
    // Read, saved and read again: three trips.
    Bytes bytes = row.bytes;
    for (int trip = 1; trip <= 3; ++trip) {
      auto read = NewDocument();  // its printer's paper is Letter
      ASSERT_EQ(Read(*read, bytes), 0) << row.what;
      EXPECT_EQ(read->GetParams().GetPageWidth(), pixels(row.width)) << row.what << trip;
      EXPECT_EQ(read->GetParams().GetPageHeight(), pixels(row.height)) << row.what << trip;
      EXPECT_EQ(read->GetParams().GetLeftMargin(), pixels(1700)) << row.what << trip;
      EXPECT_EQ(read->GetPrinter()->GetPaperCode(), row.paper) << row.what << trip;
      bytes = Write(*read);
    }
  }
}

TEST_F(DocumentFile, LaidOutPageNumbersReadBackWithoutARepair) {
  auto document = NewDocument();
  Type(Engine(*document, kPartBody), "Page ");
  Engine(*document, kPartBody).InsertPageNumberField(0);
  Type(Engine(*document, kPartFooter), "Footer ");
  Engine(*document, kPartFooter).InsertPageNumberField(0);
  if (xMorvaLayoutInterface* layout = document->GetLayout()) layout->ComposeAll();
  const Bytes bytes = Write(*document);
  const std::string digit("1\0", 2);
  ASSERT_NE(std::search(bytes.begin(), bytes.end(), digit.begin(), digit.end()), bytes.end());
  auto read = NewDocument();
  EXPECT_EQ(Read(*read, bytes), 0);
}

TEST_F(DocumentFile, ABodyNamingUnknownSheetsOrFontsIsRepaired) {
  struct Row {
    uint16_t id;
    uint32_t value;
  } rows[] = {{kPropFont, 40}, {kPropStyleSheet, 999}};
  for (const Row& row : rows) {
    auto document = NewDocument();
    FillDocument(*document);
    Engine(*document, kPartBody).InsertPropertyRecord(0, row.id, row.value);
    auto read = NewDocument();
    EXPECT_EQ(Read(*read, Write(*document)), kErrorRepairedData) << row.id;
    // The repaired document is usable and writes what it holds.
    EXPECT_FALSE(Write(*read).empty());
  }
}

// A paragraph record in the middle of its paragraph is repaired on
// reading; the document saved after that reads without a repair, rather
// than asking the repair question at every open.
TEST_F(DocumentFile, ADocumentSavedAfterARepairReadsWithoutOne) {
  auto document = NewDocument();
  Type(Engine(*document, kPartBody), "ab");
  // [align 2] a [align 0] b: the second record stands mid-paragraph.
  Engine(*document, kPartBody).InsertPropertyRecord(0, kPropAlignment, 2);
  Engine(*document, kPartBody).InsertPropertyRecord(10, kPropAlignment, 0);
  const Bytes stored = Write(*document);
  auto read = NewDocument();
  ASSERT_EQ(Read(*read, stored), kErrorRepairedData);
  EXPECT_EQ(Engine(*read, kPartBody).GetPropertyValue(kPropAlignment), 2);
  const Bytes saved = Write(*read);
  auto again = NewDocument();
  EXPECT_EQ(Read(*again, saved), 0);
  EXPECT_EQ(WithoutStamp(Write(*again)), WithoutStamp(saved));
}

TEST_F(DocumentFile, RefusesBadInputsWithoutHarm) {
  auto document = NewDocument();
  FillDocument(*document, 1);
  const Bytes good = Write(*document);
  auto patched = [&](size_t at, uint32_t value) {
    Bytes b = good;
    StoreLE32(&b[at], value);
    return b;
  };
  auto without = [&](uint32_t type, int16_t id) {
    return WithStore(good, [&](VMemoryResourceFile& store) { store.RemoveResource(type, id); });
  };
  struct Row {
    const char* what;
    Bytes bytes;
    int32_t code;
    bool untouched;
  } rows[] = {
      {"empty", Bytes{}, kErrorNotThisFormat, true},
      {"random bytes", Bytes{0x13, 0x57, 0x9b, 0xdf, 0x24, 0x68, 0xac, 0xe0, 1, 2, 3}, kErrorNotThisFormat, true},
      {"header length 7", patched(4, 7), kErrorDamagedData, true},
      {"header length past the end", patched(4, uint32_t(good.size())), kErrorDamagedData, true},
      {"store length past the end", patched(12 + kBodyHeaderSize, uint32_t(good.size())), kErrorDamagedData, true},
      {"store length 2^32-1", patched(12 + kBodyHeaderSize, 0xFFFFFFFF), kErrorDamagedData, true},
      {"body header tag", patched(12, FourCC("xENG")), kErrorDamagedData, false},
      {"store without texts", patched(12 + kBodyHeaderSize + 4 + 8, 0), kErrorDamagedData, false},
      {"'wENG' 0 missing", without(FourCC("wENG"), 0), kErrorDamagedData, false},
      {"'wENG' 5 missing", without(FourCC("wENG"), 5), kErrorDamagedData, false},
      {"'wPRM' missing", without(FourCC("wPRM"), 0), kErrorDamagedData, false},
      {"'wPIX' of version B102", WithStore(good, [](VMemoryResourceFile& store) {
         Bytes record = xMorvaPicturesInPage::FormatPagePictures({});
         record[4] = '2';
         store.ReplaceResource(kTypePagePictures, 0, record.data(), uint32_t(record.size()));
       }), kErrorDamagedData, false},
  };
  for (const Row& row : rows) {
    auto read = NewDocument();
    FillDocument(*read, 2);
    const Bytes before = Write(*read);
    EXPECT_EQ(Read(*read, row.bytes), row.code) << row.what;
    if (row.untouched) {
      EXPECT_EQ(WithoutStamp(Write(*read)), WithoutStamp(before)) << row.what;
    }
  }
}

TEST_F(DocumentFile, AStoreWithoutPagePicturesOrTheirDataStillReads) {
  auto document = NewDocument();
  FillDocument(*document, 1);
  const Bytes good = Write(*document);
  auto read = NewDocument();
  ASSERT_EQ(Read(*read, WithStore(good, [](VMemoryResourceFile& store) { store.RemoveResource(kTypePagePictures, 0); })), 0);
  EXPECT_EQ(read->GetPagePictures()->GetCount(), 0);
  EXPECT_EQ(StreamOf(*read, kPartBody), StreamOf(*document, kPartBody));

  // A picture whose data is missing, or is no picture, stays in the list
  // and is drawn as nothing.
  const Bytes broken = WithStore(good, [](VMemoryResourceFile& store) {
    const int16_t id = store.GetIndResourceId(kTypePictureValue, 1);
    const uint8_t notAPicture[] = {2, 1, 0, 0, 0};
    store.ReplaceResource(kTypePictureValue, id, notAPicture, sizeof notAPicture);
  });
  ASSERT_EQ(Read(*read, broken), 0);
  auto* pictures = static_cast<xMorvaPicturesInPage*>(read->GetPagePictures());
  ASSERT_EQ(pictures->GetCount(), 2);
  VDIBPort canvas(120, 120, 32);
  canvas.EraseRect(0, 0, 120, 120);
  pictures->DrawPictures(*read, canvas, 0, 0, 1, true, true);
  const auto* bits = static_cast<const uint32_t*>(canvas.GetBits());
  for (int32_t i = 0; i < 120 * 120; ++i) ASSERT_EQ(bits[i] & 0xFFFFFF, 0xFFFFFFu) << i;
  pictures->SetSelection(0);
  EXPECT_EQ(std::unique_ptr<VPictureData>(pictures->GetSelectedPicture(*read->GetStyleSheetStore())), nullptr);
}

TEST_F(DocumentFile, EveryTruncationIsRefusedOrReadsAShorterBody) {
  auto document = NewDocument();
  FillDocument(*document, 2);
  const Bytes body = StreamOf(*document, kPartBody);
  struct Row {
    bool preview;
  } rows[] = {{false}, {true}};
  for (const Row& row : rows) {
    const Bytes good = Write(*document, row.preview, true);
    const size_t bodyAt = good.size() - body.size() - (row.preview ? 6 : 0);
    auto read = NewDocument();
    for (size_t n = 0; n < good.size(); ++n) {
      const Bytes prefix(good.begin(), good.begin() + long(n));
      const int32_t code = Read(*read, prefix);
      // The body header counts the body's positions: a cut in the body is
      // read as far as it goes and called repaired; any other cut is
      // refused.
      if (n >= bodyAt) {
        ASSERT_EQ(code, kErrorRepairedData) << "prefix " << n;
        const Bytes shorter = StreamOf(*read, kPartBody);
        EXPECT_TRUE(std::equal(shorter.begin(), shorter.end(), body.begin())) << "prefix " << n;
        EXPECT_GE(shorter.size() + 16, std::min(n - bodyAt, body.size())) << "prefix " << n;
      } else {
        EXPECT_TRUE(code == kErrorNotThisFormat || code == kErrorDamagedData) << "prefix " << n << " answered " << code;
      }
    }
    EXPECT_EQ(Read(*read, good), 0);
  }
}

}  // namespace

namespace {

// The stops of `text`'s paragraph `k` (a text of short paragraphs "p"):
// every position from `from` below `to` a `step` apart, the kinds and
// leaders taking turns.
void SetStops(xMorvaEngine& text, int32_t k, int32_t from, int32_t to, int32_t step) {
  text.SetSelection(2 * k, 2 * k);
  xMorvaTabs tabs;
  for (int32_t p = from; p < to; p += step)
    tabs.AddStop(MakeTabStop(int16_t(p), p % 3 == 0 ? '.' : 0, uint8_t(1 + p % 4)));
  ASSERT_EQ(text.SetTabs(tabs), 0);
}

// The tab records of a stored element stream: their 32-bit values.
std::vector<uint32_t> TabRecords(const uint8_t* s, size_t size) {
  std::vector<uint32_t> values;
  for (size_t at = 0; at < size;) {
    const StreamItem item = ReadStreamItem(s + at, uint32_t(size - at));
    if (item.kind == StreamItem::kRecord && item.unit == kPropTabs) values.push_back(item.value);
    at += item.size;
  }
  return values;
}

}  // namespace

// Every stop from 0 to 2,249 pixels, in the body and in a header, reads back
// from the own format where it was set, with its neighbours a pixel away in
// the same paragraph or taken away in the next, at resolutions that are and are not
// multiples of 72, and again after a second save. The stored texts keep
// each stop in points; the table beside them holds, in twips, exactly the
// positions that their points do not give back.
TEST_F(DocumentFile, EveryTabStopReadsBackWhereItWasSet) {
  constexpr int32_t kStops = 2250;
  constexpr int32_t kPerParagraph = 250;
  for (int32_t dpi : {96, 120, 144, 100}) {
    const int32_t saved = gScreenLogPixelsX;
    gScreenLogPixelsX = dpi;
    auto document = NewDocument();
    for (int16_t part : {kPartBody, kPartHeader}) {
      xMorvaEngine& text = Engine(*document, part);
      // A paragraph for each block of positions, every one of them (stops
      // a pixel apart share their points), then two for the even and the
      // odd ones of each block (the stops of the paragraph before are
      // taken away, each on its own).
      const int32_t blocks = kStops / kPerParagraph;
      for (int32_t k = 0; k < 3 * blocks; ++k) Type(text, k == 0 ? "p" : "\np");
      for (int32_t k = 0; k < blocks; ++k) {
        SetStops(text, 3 * k, k * kPerParagraph, (k + 1) * kPerParagraph, 1);
        SetStops(text, 3 * k + 1, k * kPerParagraph, (k + 1) * kPerParagraph, 2);
        SetStops(text, 3 * k + 2, k * kPerParagraph + 1, (k + 1) * kPerParagraph, 2);
      }
    }
    const Bytes file = Write(*document);
    auto read = NewDocument();
    ASSERT_EQ(Read(*read, file), 0) << dpi;
    auto again = NewDocument();
    ASSERT_EQ(Read(*again, Write(*read)), 0) << dpi;
    for (int16_t part : {kPartBody, kPartHeader}) {
      EXPECT_EQ(StreamOf(*read, part), StreamOf(*document, part)) << dpi << " part " << part;
      EXPECT_EQ(StreamOf(*again, part), StreamOf(*document, part)) << dpi << " part " << part;
    }
    // The stored body: each stop in points, leader and kind as they are.
    const Frame frame = FrameOf(file);
    const std::vector<uint32_t> stored = TabRecords(&file[frame.bodyAt], file.size() - frame.bodyAt);
    const std::vector<uint32_t> set = TabRecords(StreamOf(*document, kPartBody).data(),
                                                 StreamOf(*document, kPartBody).size());
    ASSERT_EQ(stored.size(), set.size()) << dpi;
    int32_t inexact = 0;
    for (size_t i = 0; i < set.size(); ++i) {
      const int32_t pixels = TabStopPosition(set[i]);
      const int16_t points = int16_t(std::lround(pixels * 72.0 / dpi));
      EXPECT_EQ(stored[i], (set[i] & 0xFFFF0000u) | uint16_t(points)) << dpi << " stop " << pixels;
      if (std::lround(points * dpi / 72.0) != pixels) ++inexact;
    }
    // Beside them, the table: an entry at least for each position the
    // points do not give back, and none at all where every position comes
    // back.
    Bytes table;
    WithStore(file, [&](VMemoryResourceFile& store) {
      uint8_t owned = 0;
      VResourceRef ref = store.GetResource(FourCC("wTBX"), 0, &owned);
      if (ref == 0) return;
      const auto* data = static_cast<const uint8_t*>(store.LockResource(ref));
      table.assign(data, data + store.GetResourceSize(ref));
      store.UnlockResource(ref);
      if (owned) store.ReleaseResource(ref);
    });
    if (inexact == 0) {
      EXPECT_TRUE(table.empty()) << dpi;
    } else {
      ASSERT_GE(table.size(), 12u + 8u * uint32_t(inexact)) << dpi;
      EXPECT_EQ(Bytes(table.begin(), table.begin() + 8), Bytes({'X', 'B', 'T', 'w', '0', '0', '1', '0'})) << dpi;
      EXPECT_EQ(table.size(), 12u + 8u * LoadLE32(&table[8])) << dpi;
    }
    // The store of a document read or written keeps no table.
    EXPECT_FALSE(read->GetStyleSheetStore()->HasResource(FourCC("wTBX"), 0)) << dpi;
    EXPECT_FALSE(document->GetStyleSheetStore()->HasResource(FourCC("wTBX"), 0)) << dpi;
    gScreenLogPixelsX = saved;
  }
}

// A damaged table of exact positions is passed over whole: the file still
// opens, and its stops read by their points. The table in the other byte
// order is taken as it stands; an entry that no longer reads as its points
// is passed over alone.
TEST_F(DocumentFile, ADamagedTableOfExactStopsReadsByThePoints) {
  const int32_t saved = gScreenLogPixelsX;
  gScreenLogPixelsX = 96;
  auto document = NewDocument();
  xMorvaEngine& body = Engine(*document, kPartBody);
  Type(body, "p");
  SetStops(body, 0, 150, 152, 1);  // 150 and 151 pixels, both stored as 113 points
  const Bytes good = Write(*document);
  Bytes table;
  WithStore(good, [&](VMemoryResourceFile& store) {
    uint8_t owned = 0;
    VResourceRef ref = store.GetResource(FourCC("wTBX"), 0, &owned);
    ASSERT_NE(ref, VResourceRef(0));
    const auto* data = static_cast<const uint8_t*>(store.LockResource(ref));
    table.assign(data, data + store.GetResourceSize(ref));
    store.UnlockResource(ref);
    if (owned) store.ReleaseResource(ref);
  });
  ASSERT_EQ(table.size(), 12u + 2 * 8u);
  // The table in big-endian order: every field reversed where it stands.
  Bytes reversed = table;
  for (size_t at : {0, 4, 8, 16, 24}) StoreBE32(&reversed[at], LoadLE32(&table[at]));
  for (size_t at : {12, 14, 20, 22}) StoreBE16(&reversed[at], LoadLE16(&table[at]));
  const auto edited = [&](auto change) {
    Bytes bytes = table;
    change(bytes);
    return bytes;
  };
  struct Row {
    const char* what;
    Bytes table;
    std::vector<int16_t> stops;
  };
  const Row rows[] = {
      {"as written", table, {150, 151}},
      {"big-endian", reversed, {150, 151}},
      {"cut in its last entry", Bytes(table.begin(), table.end() - 3), {151, 151}},
      {"cut in its head", Bytes(table.begin(), table.begin() + 6), {151, 151}},
      {"another tag", edited([](Bytes& b) { b[0] = 'Y'; }), {151, 151}},
      {"another version", edited([](Bytes& b) { b[7] = '9'; }), {151, 151}},
      {"a count beyond its entries", edited([](Bytes& b) { StoreLE32(&b[8], 3); }), {151, 151}},
      {"a negative count", edited([](Bytes& b) { StoreLE32(&b[8], 0xFFFFFFFFu); }), {151, 151}},
      {"an entry of other points", edited([](Bytes& b) { StoreLE32(&b[16], 1500); }), {151, 151}},
  };
  for (const Row& row : rows) {
    const Bytes file = WithStore(good, [&](VMemoryResourceFile& store) {
      store.ReplaceResource(FourCC("wTBX"), 0, row.table.data(), uint32_t(row.table.size()));
    });
    auto read = NewDocument();
    ASSERT_EQ(Read(*read, file), 0) << row.what;
    std::vector<int16_t> stops;
    for (uint32_t value : TabRecords(StreamOf(*read, kPartBody).data(), StreamOf(*read, kPartBody).size()))
      stops.push_back(TabStopPosition(value));
    EXPECT_EQ(stops, row.stops) << row.what;
  }
  gScreenLogPixelsX = saved;
}
