// Colour icons: the 'cicn' reader on whole, short and damaged data, icons
// found in a resource file by id and by name, copies, the exact pixels of
// the four transforms, the grow box, and the icon recorded as a picture.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "graphics/VDIBPort.h"
#include "graphics/VIconShape.h"
#include "graphics/VLookPainter.h"
#include "graphics/VPort.h"
#include "graphics/pictures/VPictPictureData.h"
#include "graphics/pictures/VPictureShape.h"
#include "graphics/tests/GraphicsTestSupport.h"
#include "platform/gdi/pict/PictInterpreter.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);

void Put16(std::vector<uint8_t>& b, int32_t v) {
  b.push_back(uint8_t(v >> 8));
  b.push_back(uint8_t(v));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
  Put16(b, int32_t(v >> 16));
  Put16(b, int32_t(v & 0xFFFF));
}
void PutBitMap(std::vector<uint8_t>& b, int32_t rowBytes, int32_t bottom) {
  Put32(b, 0);
  Put16(b, rowBytes);
  for (int32_t edge : {0, 0, bottom, 4}) Put16(b, edge);
}

// A 4 x 4 icon: the mask covers the two left columns, the one-bit image is
// the top row, and the colour pixels (1 bit, entry 1 red) are red where the
// mask is.
std::vector<uint8_t> IconBytes(int32_t maskBottom = 4, int16_t lastColor = 1) {
  std::vector<uint8_t> b;
  Put32(b, 0);
  Put16(b, 0x8000 | 1);
  for (int32_t edge : {0, 0, 4, 4}) Put16(b, edge);
  Put16(b, 0);                              // version
  Put16(b, 0);                              // pack type
  for (int i = 0; i < 3; ++i) Put32(b, 0);  // pack size, resolutions
  Put16(b, 0);                              // indexed
  Put16(b, 1);                              // pixel size
  Put16(b, 1);                              // components
  Put16(b, 1);                              // component size
  for (int i = 0; i < 3; ++i) Put32(b, 0);
  PutBitMap(b, 2, maskBottom);
  PutBitMap(b, 2, 4);
  Put32(b, 0);
  for (int32_t r = 0; r < 4; ++r) Put16(b, 0xC000);               // mask
  for (int32_t r = 0; r < 4; ++r) Put16(b, r == 0 ? 0xF000 : 0);  // image
  Put32(b, 0);
  Put16(b, 0);
  Put16(b, lastColor);
  Put16(b, 0);
  Put16(b, 0xFFFF);
  Put16(b, 0xFFFF);
  Put16(b, 0xFFFF);
  Put16(b, 1);
  Put16(b, 0xFFFF);
  Put16(b, 0);
  Put16(b, 0);
  for (int32_t r = 0; r < 4; ++r) b.push_back(0xC0);  // pixels
  return b;
}

VMemHandle HandleOf(const std::vector<uint8_t>& bytes) {
  return gMemoryMgr->NewHandleFromData(bytes.data(), uint32_t(bytes.size()));
}

// Colours 0 white, 10 black, 18 blue and 21 green, so that every transform
// shows.
class IconPainter : public VLookPainter {
 public:
  bool DrawElement(VPort&, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, const VString*,
                   int32_t) override {
    return false;
  }
  COLORREF GetColor(int32_t index) override {
    return index == 0 ? kWhite : index == 18 ? kBlue : index == 21 ? kGreen : RGB(0, 0, 0);
  }
  bool GetFont(HDC, int32_t, VString&, int16_t&, uint8_t&, uint8_t&) override { return false; }
  int32_t GetMetric(int32_t) override { return 0; }
};

class IconDrawing : public ::testing::Test {
 protected:
  void SetUp() override {
    fSaved = gLookPainters[2];
    gLookPainters[2] = &fPainter;
  }
  void TearDown() override { gLookPainters[2] = fSaved; }

  // The 6 x 6 pixels from (1, 1) as rows of W white, B blue, R red, G green.
  static std::string Picture(const Canvas& c) {
    std::string out;
    for (int32_t y = 1; y < 7; ++y) {
      for (int32_t x = 1; x < 7; ++x) {
        const COLORREF p = c.Pixel(x, y);
        out += p == kWhite ? 'W' : p == kBlue ? 'B' : p == kRed ? 'R' : p == kGreen ? 'G' : '?';
      }
      out += '\n';
    }
    return out;
  }

  IconPainter fPainter;
  VLookPainter* fSaved = nullptr;
};

}  // namespace

TEST(VColorIcon, ReadsEverySectionWithinTheBytes) {
  const std::vector<uint8_t> bytes = IconBytes();
  VColorIconParts parts;
  ASSERT_TRUE(ReadColorIcon(bytes.data(), uint32_t(bytes.size()), &parts));
  EXPECT_EQ(parts.mask.baseAddr, bytes.data() + 82);
  EXPECT_EQ(parts.mask.dataSize, 8u);
  EXPECT_EQ(parts.image.baseAddr, bytes.data() + 90);
  EXPECT_EQ(parts.pixMap.baseAddr, bytes.data() + 98 + 24);
  EXPECT_EQ(parts.pixMap.dataSize, 4u);
  ASSERT_EQ(parts.pixMap.colorCount, 2);
  EXPECT_EQ(parts.colors[1].red, 0xFFFF);
  EXPECT_EQ(parts.colors[1].blue, 0);

  // Every shorter length misses a section.
  for (size_t n = 0; n < bytes.size(); ++n) {
    EXPECT_FALSE(ReadColorIcon(bytes.data(), uint32_t(n), &parts)) << n;
  }
  const std::vector<uint8_t> upsideDown = IconBytes(-1);
  EXPECT_FALSE(ReadColorIcon(upsideDown.data(), uint32_t(upsideDown.size()), &parts));
  const std::vector<uint8_t> badTable = IconBytes(4, -2);
  EXPECT_FALSE(ReadColorIcon(badTable.data(), uint32_t(badTable.size()), &parts));
  // A colour table counted far beyond the bytes that follow it.
  const std::vector<uint8_t> hugeTable = IconBytes(4, 0x7FFF);
  EXPECT_FALSE(ReadColorIcon(hugeTable.data(), uint32_t(hugeTable.size()), &parts));
  EXPECT_TRUE(parts.colors.empty());
}

TEST(VIconShape, FoundByIdOrNameInTheGivenFile) {
  VMemoryResourceFile file(VMemHandle(0), 1);
  const std::vector<uint8_t> bytes = IconBytes();
  VStr<40> name;
  name.SetAnsiCText("Tool");
  ASSERT_EQ(file.AddResource(kResTypeColorIcon, 200, &name, bytes.data(), uint32_t(bytes.size())),
            200);

  VIconShape byId(&file, int16_t(200));
  EXPECT_NE(byId.GetData(), 0u);
  EXPECT_EQ(VRect(byId.GetLeft(), byId.GetTop(), byId.GetWidth(), byId.GetHeight()),
            VRect(0, 0, 4, 4));
  EXPECT_EQ(gMemoryMgr->GetHandleSize(byId.GetData()), bytes.size());

  VMemoryResourceFile again(VMemHandle(0), 1);
  again.AddResource(kResTypeColorIcon, 200, &name, bytes.data(), uint32_t(bytes.size()));
  VIconShape byName(&again, "Tool");
  EXPECT_EQ(byName.GetId(), 200);
  EXPECT_NE(byName.GetData(), 0u);

  VIconShape missingName(&again, "Nothing");
  EXPECT_EQ(missingName.GetId(), -1);
  EXPECT_EQ(missingName.GetData(), 0u);
  EXPECT_TRUE(missingName.IsEmpty());
  VIconShape missingId(&again, int16_t(7));
  EXPECT_EQ(missingId.GetId(), 7);
  EXPECT_EQ(missingId.GetData(), 0u);

  byId.SetPosition(5, 6);
  const VIconShape copy(byId);
  EXPECT_EQ(VRect(copy.GetLeft(), copy.GetTop(), copy.GetWidth(), copy.GetHeight()),
            VRect(0, 0, 4, 4));
  EXPECT_NE(copy.GetData(), byId.GetData());
  EXPECT_EQ(gMemoryMgr->GetHandleSize(copy.GetData()), bytes.size());
  EXPECT_FALSE(copy.HasBitmaps());
}

TEST_F(IconDrawing, TransformsDrawMaskColoursOrTheOneBitImage) {
  const struct {
    int16_t transform;
    const char* expected;
  } cases[] = {
      // The colours through the mask.
      {0, "RRBBBB\nRRBBBB\nRRBBBB\nRRBBBB\nBBBBBB\nBBBBBB\n"},
      // Disabled: the image in look colour 21.
      {1, "GGGGBB\nBBBBBB\nBBBBBB\nBBBBBB\nBBBBBB\nBBBBBB\n"},
      // Offline: a white shadow one unit right and down beneath it.
      {2, "GGGGBB\nBWWWWB\nBBBBBB\nBBBBBB\nBBBBBB\nBBBBBB\n"},
      {3, "WWWWBB\nBBBBBB\nBBBBBB\nBBBBBB\nBBBBBB\nBBBBBB\n"},
  };
  for (const auto& c : cases) {
    Canvas canvas(10, 10, kBlue);
    VPort port(canvas.dc());
    VIconShape icon(HandleOf(IconBytes()), 1);
    icon.SetPosition(1, 1);
    port.DrawIcon(icon, c.transform);
    EXPECT_EQ(Picture(canvas), c.expected) << c.transform;
    // Nothing outside the box and its shadow changed.
    EXPECT_EQ(canvas.CountAll(kBlue) - canvas.Count(kBlue, 1, 1, 6, 6), 100 - 36);
  }
}

TEST_F(IconDrawing, ShortOrMissingIconDrawsNothing) {
  const std::vector<uint8_t> bytes = IconBytes();
  Canvas canvas(10, 10, kBlue);
  VPort port(canvas.dc());
  for (size_t n : {size_t(0), size_t(81), size_t(100), bytes.size() - 1}) {
    VIconShape icon(HandleOf(std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(n))), 1);
    port.DrawIcon(icon, 0);
    port.DrawIcon(icon, 2);
    EXPECT_FALSE(icon.HasBitmaps()) << n;
  }
  VIconShape none(VMemHandle(0), 1);
  port.DrawIcon(none, 0);
  EXPECT_EQ(canvas.CountAll(kBlue), 100);
}

TEST_F(IconDrawing, ScaledPortStretchesTheIcon) {
  Canvas canvas(12, 12, kBlue);
  VPort port(canvas.dc());
  port.PushScale(2.0, 2.0);
  VIconShape icon(HandleOf(IconBytes()), 1);
  port.DrawIcon(icon, 0);
  EXPECT_EQ(canvas.Count(kRed, 0, 0, 4, 8), 32);
  EXPECT_EQ(canvas.CountAll(kRed), 32);
}

TEST_F(IconDrawing, GrowBoxPaintsItsSquareInLookColour18) {
  Canvas canvas(24, 24, kWhite);
  VPort port(canvas.dc());
  port.DrawGrowBox(3, 4);
  EXPECT_EQ(canvas.Count(kBlue, 3, 4, 16, 16), 256);
  EXPECT_EQ(canvas.CountAll(kBlue), 256);
}

TEST_F(IconDrawing, IconRecordedAsAPictureOfItsSize) {
  VIconShape icon(HandleOf(IconBytes()), 1);
  icon.SetPosition(7, 9);
  std::unique_ptr<VPictureShape> picture(icon.ToPictureShape());
  ASSERT_NE(picture, nullptr);
  EXPECT_NE(picture->GetPicture(), nullptr);
  EXPECT_EQ(icon.GetLeft(), 7);
  EXPECT_EQ(icon.GetTop(), 9);

  VIconShape none(VMemHandle(0), 1);
  EXPECT_EQ(none.ToPictureShape(), nullptr);
}

TEST(VDIBPortIcon, IconBecomesAPictureOfItsPixelsOnWhite) {
  const uint8_t maskRows[8] = {0x3F, 0, 0x3F, 0, 0x3F, 0, 0x3F, 0};
  uint32_t colors[16];
  for (int i = 0; i < 16; ++i) colors[i] = (i % 4) < 2 ? 0xFF0000u : 0u;
  HBITMAP mask = CreateBitmap(4, 4, 1, 1, maskRows);
  HBITMAP color = CreateBitmap(4, 4, 1, 32, colors);
  ICONINFO info{TRUE_, 0, 0, mask, color};
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(mask);
  DeleteObject(color);
  ASSERT_NE(icon, nullptr);

  VDIBPort port(4, 4, 32);
  const uint32_t handle = port.IconToPicture(icon);
  ASSERT_NE(handle, 0u);
  VPictPictureData picture;
  picture.SetHandle(handle, true);
  const std::vector<uint8_t> stored = picture.StoredBytes();
  Canvas played(4, 4, kBlue);
  const RECT rect{0, 0, 4, 4};
  ASSERT_TRUE(PlayPict(played.dc(), stored.data(), uint32_t(stored.size()), &rect));
  EXPECT_EQ(played.Count(kRed, 0, 0, 2, 4), 8);
  EXPECT_EQ(played.Count(kWhite, 2, 0, 2, 4), 8);

  // A destroyed icon, and icons without colours or of two sizes, are refused.
  DestroyIcon(icon);
  VDIBPort other(4, 4, 32);
  EXPECT_EQ(other.IconToPicture(icon), 0u);
  EXPECT_FALSE(DestroyIcon(icon));
  HBITMAP wide = CreateBitmap(5, 4, 1, 32, nullptr);
  ICONINFO noColor{TRUE_, 0, 0, wide, nullptr};
  ICONINFO twoSizes{TRUE_, 0, 0, CreateBitmap(4, 4, 1, 1, nullptr), wide};
  EXPECT_EQ(CreateIconIndirect(&noColor), nullptr);
  EXPECT_EQ(CreateIconIndirect(&twoSizes), nullptr);
  DeleteObject(twoSizes.hbmMask);
  DeleteObject(wide);
}
