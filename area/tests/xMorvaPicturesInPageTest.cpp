// The pictures on a document's pages: which pages they stand on, the stored
// form 'wPIX' byte by byte, its bad inputs, the picture data in the store,
// the mouse's hit, move and resize, deletion and drawing.
#include "area/view/xMorvaPicturesInPage.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "document/DocumentUnits.h"
#include "document/xMorvaDocument.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/values/VPictureMaker.h"
#include "graphics/VCharWidthCache.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "graphics/VDIBPort.h"
#include "graphics/VMetafilePort.h"
#include "graphics/pictures/VEmfPictureData.h"
#include "host/context/VHostRef.h"
#include "platform/bytes/ByteOrder.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A red picture of the size, as a value.
std::unique_ptr<VEmfPictureData> RedPicture(int32_t w, int32_t h) {
  VMetafilePort recorder(nullptr, 0, 0, w, h);
  recorder.SetFillColor(RGB(255, 0, 0));
  recorder.PaintRect(0, 0, w, h);
  return std::unique_ptr<VEmfPictureData>(recorder.EndAsPictureData());
}

xMorvaPagePicture Entry(int32_t page, int32_t left, int32_t top, int32_t w, int32_t h) {
  xMorvaPagePicture entry;
  entry.page = page;
  entry.left = left;
  entry.top = top;
  entry.naturalWidth = entry.shownWidth = w;
  entry.naturalHeight = entry.shownHeight = h;
  entry.resourceId = 300;
  return entry;
}

// A 'wPIX' written by a big-endian machine, or of another version.
Bytes StoredPictures(uint32_t version, const std::vector<std::vector<int32_t>>& entries, bool bigEndian) {
  Bytes bytes;
  auto put32 = [&](uint32_t v) {
    uint8_t b[4];
    bigEndian ? StoreBE32(b, v) : StoreLE32(b, v);
    bytes.insert(bytes.end(), b, b + 4);
  };
  auto put16 = [&](uint16_t v) {
    uint8_t b[2];
    bigEndian ? StoreBE16(b, v) : StoreLE16(b, v);
    bytes.insert(bytes.end(), b, b + 2);
  };
  put32(kTypePagePictures);
  put32(version);
  put32(uint32_t(entries.size()));
  for (const auto& e : entries) {
    for (int i = 0; i < 7; ++i) put32(uint32_t(e[size_t(i)]));
    bytes.push_back(uint8_t(e[7]));
    bytes.push_back(uint8_t(e[8]));
    put16(uint16_t(e[9]));
    put16(uint16_t(e[10]));
    if (version == FourCC("B101")) bytes.push_back(uint8_t(e[11]));
  }
  return bytes;
}

class PagePictures : public ::testing::Test {
 protected:
  PagePictures() : fEngine(&fServices), fMaker(&fMakerObject), fPictureValues(&kPictureValueMaker) {
    document = std::make_unique<xMorvaDocument>(nullptr);
    document->Reset(false);
    pictures = static_cast<xMorvaPicturesInPage*>(document->GetPagePictures());
  }
  ~PagePictures() override {
    document.reset();
    // Composing the document's lines filled the graphics' font cache.
    FreeFontCache();
  }
  VMemoryResourceFile& Store() { return *document->GetStyleSheetStore(); }

  xMorvaDocumentEngineServices fServices;
  VInstalledService<xMorvaEngineServices> fEngine;
  xMorvaPicturesInPageMaker fMakerObject;
  VInstalledService<xMorvaPagePicturesMaker> fMaker;
  VInstalledService<const VPictureMaker> fPictureValues;
  std::unique_ptr<xMorvaDocument> document;
  xMorvaPicturesInPage* pictures = nullptr;
};

TEST(PagePictureOnPage, FollowsThePageTheBindingAndTheFirstPageFlag) {
  struct Row {
    int32_t page;
    uint8_t notOnFirst;
    int32_t at;
    bool bindingLeft;
    bool on;
  } rows[] = {
      {kPageEvery, 0, 0, true, true},      {kPageEvery, 1, 0, true, false},
      {kPageEvery, 1, 3, false, true},     {kPageEveryLeft, 0, 2, true, true},
      {kPageEveryLeft, 0, 2, false, false}, {kPageEveryRight, 0, 1, false, true},
      {kPageEveryRight, 0, 1, true, false}, {kPageEveryRight, 1, 0, false, false},
      {2, 0, 2, true, true},                {2, 1, 2, false, true},
      {2, 0, 3, true, false},               {0, 1, 0, true, true},
  };
  for (const Row& row : rows) {
    xMorvaPagePicture entry;
    entry.page = row.page;
    entry.notOnFirstPage = row.notOnFirst;
    EXPECT_EQ(xMorvaPicturesInPage::IsOnPage(entry, row.at, row.bindingLeft), row.on)
        << "page " << row.page << " at " << row.at;
  }
}

TEST(PagePictureRecord, IsWrittenLittleEndianAsB101InTwips) {
  xMorvaPagePicture entry = Entry(-2, 96, 48, 192, 144);
  entry.shownWidth = 96;
  entry.behindText = 1;
  entry.notOnFirstPage = 1;
  entry.displayMode = 7;
  entry.isReference = 1;
  const Bytes bytes = xMorvaPicturesInPage::FormatPagePictures({entry});
  ASSERT_EQ(bytes.size(), 12u + 35u);
  EXPECT_EQ(LoadLE32(&bytes[0]), kTypePagePictures);
  EXPECT_EQ(Bytes(bytes.begin() + 4, bytes.begin() + 8), (Bytes{'1', '0', '1', 'B'}));
  EXPECT_EQ(LoadLE32(&bytes[8]), 1u);
  const int32_t lengths[] = {96, 48, 192, 144, 96, 144};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(int32_t(LoadLE32(&bytes[12 + 4 * size_t(i)])), PixelsToTwips(lengths[i]));
  EXPECT_EQ(int32_t(LoadLE32(&bytes[36])), -2);
  EXPECT_EQ(bytes[40], 1);  // behind text
  EXPECT_EQ(bytes[41], 1);  // not on the first page
  EXPECT_EQ(LoadLE16(&bytes[42]), 7);
  EXPECT_EQ(LoadLE16(&bytes[44]), 300);
  EXPECT_EQ(bytes[46], 1);
}

TEST(PagePictureRecord, ReadsBackToTheSameBytes) {
  std::vector<xMorvaPagePicture> entries = {Entry(0, 10, 20, 30, 40), Entry(-1, 0, 0, 8, 8)};
  entries[1].shownWidth = 16;
  entries[1].keepsSize = 1;
  entries[1].resourceId = 301;
  const Bytes first = xMorvaPicturesInPage::FormatPagePictures(entries);
  std::vector<xMorvaPagePicture> read;
  ASSERT_TRUE(xMorvaPicturesInPage::ParsePagePictures(first.data(), uint32_t(first.size()), read));
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[1].shownWidth, 16);
  EXPECT_EQ(xMorvaPicturesInPage::FormatPagePictures(read), first);
}

TEST(PagePictureRecord, KeepsAResizedShownSizeAndTakesB100AsItWas) {
  const int32_t t = PixelsToTwips(40);
  const int32_t u = PixelsToTwips(20);
  struct Row {
    uint32_t version;
    bool bigEndian;
    int32_t shownWidth;
    uint16_t mode;
    bool keeps;
  } rows[] = {
      {FourCC("B101"), false, u, 3, true},  // resized: kept
      {FourCC("B101"), false, t, 3, false},
      {FourCC("B101"), true, u, 3, true},   // the other byte order
      {FourCC("B100"), false, u, 4, false}, // shown size follows the natural one
      {FourCC("B100"), true, u, 4, false},
  };
  for (const Row& row : rows) {
    const Bytes bytes = StoredPictures(row.version, {{t, t, t, t, row.shownWidth, t, 5, 1, 0, 3, 12, 0}}, row.bigEndian);
    std::vector<xMorvaPagePicture> read;
    ASSERT_TRUE(xMorvaPicturesInPage::ParsePagePictures(bytes.data(), uint32_t(bytes.size()), read));
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].keepsSize != 0, row.keeps);
    EXPECT_EQ(read[0].shownWidth, row.keeps ? 20 : 40);
    EXPECT_EQ(read[0].displayMode, row.mode);
    EXPECT_EQ(read[0].page, 5);
    EXPECT_EQ(read[0].resourceId, 12);
    EXPECT_EQ(read[0].behindText, 1);
  }
}

TEST(PagePictureRecord, RefusesBadInputs) {
  const Bytes good = xMorvaPicturesInPage::FormatPagePictures({Entry(0, 1, 2, 3, 4)});
  auto with = [&](size_t at, std::initializer_list<uint8_t> patch) {
    Bytes b = good;
    std::copy(patch.begin(), patch.end(), b.begin() + long(at));
    return b;
  };
  struct Row {
    const char* what;
    Bytes bytes;
  } rows[] = {
      {"version B102", with(4, {'2', '0', '1', 'B'})},
      {"unknown tag", with(0, {'x', 'P', 'I', 'X'})},
      {"count 2^31", with(8, {0, 0, 0, 0x80})},
      {"count one more", with(8, {2, 0, 0, 0})},
      {"empty", Bytes{}},
      {"header only, short", Bytes(good.begin(), good.begin() + 11)},
  };
  for (const Row& row : rows) {
    std::vector<xMorvaPagePicture> read(3);
    EXPECT_FALSE(xMorvaPicturesInPage::ParsePagePictures(row.bytes.data(), uint32_t(row.bytes.size()), read))
        << row.what;
    EXPECT_TRUE(read.empty()) << row.what;
  }
}

TEST(PagePictureRecord, EveryShorterPrefixIsRefused) {
  const Bytes good = xMorvaPicturesInPage::FormatPagePictures({Entry(0, 1, 2, 3, 4), Entry(1, 5, 6, 7, 8)});
  for (size_t n = 0; n < good.size(); ++n) {
    std::vector<xMorvaPagePicture> read;
    EXPECT_FALSE(xMorvaPicturesInPage::ParsePagePictures(good.data(), uint32_t(n), read)) << n;
  }
}

TEST_F(PagePictures, AStoreWithoutTheRecordHoldsNone) {
  ASSERT_NE(pictures, nullptr);
  pictures->Append(Store(), Entry(0, 0, 0, 10, 10));
  Store().RemoveResource(kTypePagePictures, 0);
  EXPECT_TRUE(pictures->ReadPagePictures(Store()));
  EXPECT_EQ(pictures->GetCount(), 0);
}

TEST_F(PagePictures, StoreTheirDataAndLoseItWhenDeleted) {
  auto picture = RedPicture(30, 20);
  ASSERT_EQ(pictures->AddPicture(Store(), *picture, Entry(0, 5, 5, 0, 0)), 0);
  ASSERT_EQ(pictures->GetCount(), 1);
  const xMorvaPagePicture& entry = pictures->GetEntry(0);
  EXPECT_EQ(entry.naturalWidth, 30);
  EXPECT_EQ(entry.shownHeight, 20);
  EXPECT_TRUE(Store().HasResource(kTypePictureValue, entry.resourceId));
  const int16_t id = entry.resourceId;

  pictures->SetSelection(0);
  std::unique_ptr<VPictureData> copy(pictures->GetSelectedPicture(Store()));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->GetWidth(), 30);
  int32_t w = 0, h = 0;
  EXPECT_TRUE(pictures->GetSelectedNaturalSize(w, h));
  EXPECT_EQ(h, 20);

  pictures->DeleteSelected(Store(), -1);
  EXPECT_EQ(pictures->GetCount(), 0);
  EXPECT_FALSE(pictures->HasSelection());
  EXPECT_FALSE(Store().HasResource(kTypePictureValue, id));
}

TEST_F(PagePictures, RefuseAnEntryWithoutDataAndAReferencePictureWithoutReference) {
  xMorvaPagePicture entry = Entry(0, 0, 0, 1, 1);
  entry.resourceId = -1;
  EXPECT_EQ(pictures->Append(Store(), entry), kErrorPagePictureMemory);
  EXPECT_EQ(pictures->AddReferencePicture(Store(), nullptr, nullptr, entry), kErrorPagePictureMemory);
  EXPECT_EQ(pictures->GetCount(), 0);
}

TEST_F(PagePictures, AreHitTopmostFirstOnTheirPage) {
  const int32_t pageHeight = document->GetParams().GetPageHeight();
  pictures->Append(Store(), Entry(0, 10, 10, 50, 50));
  pictures->Append(Store(), Entry(0, 40, 40, 50, 50));
  pictures->Append(Store(), Entry(1, 10, 10, 20, 20));
  struct Row {
    int32_t x, y;
    bool hit;
    int32_t selected;
  } rows[] = {
      {45, 4 + 45, true, 1},                       // the overlap: the later one
      {10, 4 + 10, true, 0},                       // the edges count
      {60, 4 + 60, true, 1},
      {100, 4 + 100, false, -1},
      {15, 4 + pageHeight + 4 + 15, true, 2},      // the second page
      {45, 4 + pageHeight + 4 + 45, false, -1},
      {10, 2, false, -1},                          // the gap above the first page
  };
  for (const Row& row : rows) {
    EXPECT_EQ(pictures->HitTest(*document, row.x, row.y, true), row.hit) << row.x << "," << row.y;
    EXPECT_EQ(pictures->GetSelection(), row.selected) << row.x << "," << row.y;
  }
}

TEST_F(PagePictures, MoveAndResizeWithinTheirBounds) {
  pictures->Append(Store(), Entry(0, 10, 10, 40, 30));
  pictures->SetSelection(0);
  const VRect bounds(0, 0, 200, 100);
  struct Row {
    int kind;  // 0 move, 1 resize, 2 resize from a handle
    int32_t a, b, c, d;
    int32_t left, top, width, height;
  } rows[] = {
      {0, 5, 5, 0, 0, 15, 15, 40, 30},
      {0, -100, -100, 0, 0, 0, 0, 40, 30},
      {0, 500, 500, 0, 0, 160, 70, 40, 30},
      {1, -100, -100, 0, 0, 160, 70, 8, 8},      // at least 8 pixels
      {1, 100, 100, 0, 0, 160, 70, 40, 30},      // cut at the bounds' edges
      {2, -170, -80, 30, 20, 0, 0, 40, 30},      // before the left edge: grows by the distance
      {2, 10, 10, 300, 300, 0, 0, 200, 100},     // past the right edge
      {2, 20, 30, 50, 40, 20, 30, 50, 40},
  };
  for (const Row& row : rows) {
    if (row.kind == 0) pictures->MoveSelected(bounds, row.a, row.b);
    if (row.kind == 1) pictures->ResizeSelected(bounds, row.a, row.b);
    if (row.kind == 2) pictures->ResizeSelectedFromHandle(bounds, row.a, row.b, row.c, row.d);
    const xMorvaPagePicture& e = pictures->GetEntry(0);
    EXPECT_EQ((std::vector<int32_t>{e.left, e.top, e.shownWidth, e.shownHeight}),
              (std::vector<int32_t>{row.left, row.top, row.width, row.height}))
        << "row kind " << row.kind << " " << row.a << "," << row.b;
  }
  EXPECT_EQ(pictures->GetEntry(0).keepsSize, 1);
}

TEST_F(PagePictures, DeletingKeepsTheSelectionOnItsPicture) {
  for (int i = 0; i < 3; ++i) pictures->Append(Store(), Entry(i, 0, 0, 9, 9));
  pictures->SetSelection(2);
  pictures->DeleteSelected(Store(), 0);
  EXPECT_EQ(pictures->GetSelection(), 1);
  EXPECT_EQ(pictures->GetEntry(1).page, 2);
  pictures->DeleteSelected(Store(), 1);
  pictures->DeleteSelected(Store(), 0);
  EXPECT_EQ(pictures->GetCount(), 0);
  EXPECT_FALSE(pictures->HasSelection());
}

TEST_F(PagePictures, DrawTheirLayerOnTheirPagesAndNothingForMissingData) {
  auto picture = RedPicture(20, 20);
  xMorvaPagePicture entry = Entry(kPageEvery, 10, 10, 0, 0);
  entry.notOnFirstPage = 1;
  ASSERT_EQ(pictures->AddPicture(Store(), *picture, entry), 0);
  xMorvaPagePicture missing = Entry(kPageEvery, 40, 10, 20, 20);
  missing.resourceId = 999;  // no such data: drawn as nothing
  pictures->Append(Store(), missing);
  struct Row {
    int32_t page;
    bool behind;
    bool red;
  } rows[] = {{0, false, false}, {1, false, true}, {1, true, false}, {5, false, true}};
  for (const Row& row : rows) {
    VDIBPort canvas(80, 40, 32);
    canvas.EraseRect(0, 0, 80, 40);
    pictures->DrawPictures(*document, canvas, 0, 0, row.page, row.behind, true);
    const auto* bits = static_cast<const uint32_t*>(canvas.GetBits());
    EXPECT_EQ((bits[20 * 80 + 20] & 0xFFFFFF) == 0x0000FF || (bits[20 * 80 + 20] & 0xFFFFFF) == 0xFF0000, row.red)
        << "page " << row.page;
    EXPECT_EQ(bits[20 * 80 + 50] & 0xFFFFFF, 0xFFFFFFu) << "page " << row.page;
  }
}

}  // namespace

namespace {

// The page as it prints: the pictures stand on it, at their place from the
// page's corner.
TEST_F(PagePictures, StandOnThePrintedPage) {
  auto picture = RedPicture(20, 20);
  struct Row {
    int32_t page;
    uint8_t behind;
    bool drawn;
  } rows[] = {{0, 1, true}, {0, 0, true}, {1, 0, false}, {kPageEvery, 1, true}, {kPageEveryRight, 0, false}};
  for (const Row& row : rows) {
    pictures->Clear();
    xMorvaPagePicture entry = Entry(row.page, 200, 300, 0, 0);
    entry.behindText = row.behind;
    ASSERT_EQ(pictures->AddPicture(Store(), *picture, entry), 0);
    const int32_t w = document->GetParams().GetPageWidth();
    const int32_t h = document->GetParams().GetPageHeight();
    VDIBPort canvas(w, h, 32);
    canvas.EraseRect(0, 0, w, h);
    document->DrawPageForPrinting(canvas, 0, 0, 0);
    const uint32_t pixel = static_cast<const uint32_t*>(canvas.GetBits())[310 * w + 210] & 0xFFFFFF;
    EXPECT_EQ(pixel != 0xFFFFFF, row.drawn) << "page " << row.page << " behind " << int(row.behind);
  }
}

}  // namespace

namespace {

TEST_F(PagePictures, ASelectedOneIsWhatCutAndClearTake) {
  auto picture = RedPicture(10, 10);
  for (int32_t command : {3, 6}) {
    ASSERT_EQ(pictures->AddPicture(Store(), *picture, Entry(0, 1, 1, 0, 0)), 0);
    ASSERT_EQ(pictures->AddPicture(Store(), *picture, Entry(0, 50, 50, 0, 0)), 0);
    const int16_t id = pictures->GetEntry(1).resourceId;
    pictures->SetSelection(1);
    EXPECT_TRUE(document->DoCommand(command));
    EXPECT_EQ(pictures->GetCount(), 1) << command;
    EXPECT_FALSE(pictures->HasSelection());
    EXPECT_FALSE(Store().HasResource(kTypePictureValue, id));
    EXPECT_TRUE(document->IsModified());
    // Without a selection the text's selection is what goes.
    EXPECT_TRUE(document->DoCommand(command));
    EXPECT_EQ(pictures->GetCount(), 1) << command;
    pictures->Clear();
  }
}

}  // namespace

namespace {

// Without a host the reference gives no value: freezing keeps the picture
// as the reference it is rather than lose it.
TEST_F(PagePictures, AReferenceWithoutAValueIsNotFrozenAway) {
  auto picture = RedPicture(10, 10);
  VHostRef reference(int16_t(1), int16_t(1), false);
  ASSERT_EQ(pictures->AddReferencePicture(Store(), picture.get(), &reference, Entry(0, 0, 0, 0, 0)), 0);
  const int16_t id = pictures->GetEntry(0).resourceId;
  document->FreezeComputedElements();
  EXPECT_EQ(pictures->GetEntry(0).isReference, 1);
  EXPECT_TRUE(Store().HasResource(kTypeHostReference, id));
  pictures->RebuildPictures(Store());
  EXPECT_EQ(pictures->GetCount(), 1);
  EXPECT_EQ(pictures->GetEntry(0).naturalWidth, 10);
}

}  // namespace
