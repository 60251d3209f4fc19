// Bitmaps of every depth written as PICTs and read back: the opcode walk
// finds their pixel-map opcode, and the interpreter draws the same pixels
// as the bitmap itself; PICT values draw through their cached metafile.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "framework/core/strings/VUniString.h"
#include "framework/core/streams/VMemoryStream.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "graphics/VDIBPort.h"
#include "graphics/VPort.h"
#include "platform/gdi/pict/PictWriter.h"
#include "graphics/pictures/VEmfPictureData.h"
#include "graphics/pictures/VPictPictureData.h"
#include "graphics/pictures/VPictureReader.h"
#include "graphics/pictures/VPictureShape.h"
#include "graphics/tests/GraphicsTestSupport.h"
#include "platform/gdi/pict/PictInterpreter.h"

using Bytes = std::vector<uint8_t>;

namespace {

// Fills the section's rows with bytes that vary by position.
void Scribble(VDIBPort& port) {
  DIBSECTION section;
  ASSERT_EQ(GetObject(port.GetSection(), sizeof section, &section), int(sizeof section));
  auto* bits = static_cast<uint8_t*>(port.GetBits());
  const int32_t stride = section.dsBm.bmWidthBytes;
  for (int32_t y = 0; y < port.GetHeight(); ++y)
    for (int32_t i = 0; i < stride; ++i)
      bits[y * stride + i] = static_cast<uint8_t>(i * 37 + y * 11 + (i * y) % 7);
}

}  // namespace

TEST(PictRoundTrip, EveryDepthDrawsBackTheSamePixels) {
  for (const int16_t depth : {1, 4, 8, 16, 24, 32}) {
    for (const int32_t width : {3, 13, 90}) {
      const int32_t height = 5;
      VDIBPort port(width, height, depth);
      ASSERT_NE(port.GetSection(), nullptr) << depth;
      Scribble(port);
      Canvas direct(width, height);
      BitBlt(direct.dc(), 0, 0, width, height, port.GetCurrentDC(), 0, 0, SRCCOPY);

      std::unique_ptr<VPictPictureData> pict(port.ToPictPicture());
      ASSERT_NE(pict, nullptr) << depth;
      EXPECT_EQ(pict->GetWidth(), width);
      EXPECT_EQ(pict->GetHeight(), height);
      const Bytes stored = pict->StoredBytes();
      // Size word: the whole picture's low 16 bits.
      EXPECT_EQ((stored[0] << 8) | stored[1], int(stored.size() & 0xFFFF));
      const uint16_t expectedOp = depth <= 8 ? 0x0098 : 0x009A;
      const int32_t at = FindPictOpcodeInBytes(stored.data(), uint32_t(stored.size()), false,
                                               expectedOp);
      EXPECT_GT(at, 10) << depth << " " << width;
      // The walk stops at the pixel map: the end is not found past it.
      EXPECT_EQ(FindPictOpcodeInBytes(stored.data(), uint32_t(stored.size()), false, 0x00FF), -1);

      Canvas played(width, height);
      const RECT rect{0, 0, width, height};
      ASSERT_TRUE(PlayPict(played.dc(), stored.data(), uint32_t(stored.size()), &rect))
          << depth << " " << width;
      EXPECT_EQ(played.Pixels(), direct.Pixels()) << depth << " " << width;

      // Through the value's cached metafile, as pictures are drawn.
      Canvas drawn(width, height);
      VPort drawer(drawn.dc());
      VPictureShape shape(pict.release());
      drawer.DrawPictureShape(shape);
      EXPECT_EQ(drawn.Pixels(), direct.Pixels()) << depth << " " << width;
    }
  }
}

TEST(PictRoundTrip, TwoBitPixelsGoThroughTheirColourTable) {
  // Two rows of 9 pixels (3 bytes each, 4 in the DIB): values 0 1 2 3 ...
  const RGBQUAD colors[4] = {{255, 255, 255, 0}, {0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}};
  const uint8_t rows[8] = {0x1B, 0x1B, 0x40, 0, 0xE4, 0xE4, 0x80, 0};
  const Bytes pict = PictFromDIB(9, 2, 2, rows, 4, colors, 4);
  ASSERT_FALSE(pict.empty());
  Canvas played(9, 2);
  const RECT rect{0, 0, 9, 2};
  ASSERT_TRUE(PlayPict(played.dc(), pict.data(), uint32_t(pict.size()), &rect));
  const COLORREF byValue[4] = {RGB(255, 255, 255), RGB(255, 0, 0), RGB(0, 255, 0),
                               RGB(0, 0, 255)};
  for (int32_t x = 0; x < 9; ++x) {
    EXPECT_EQ(played.Pixel(x, 0), byValue[x == 8 ? 1 : x % 4]) << x;
    EXPECT_EQ(played.Pixel(x, 1), byValue[x == 8 ? 2 : 3 - x % 4]) << x;
  }
}

TEST(PictRoundTrip, DirectPixelsArePackedAsThePictFormatHasThem) {
  // One row of two 32-bit pixels: planes red, green, blue, each PackBits.
  const uint8_t row[8] = {0x10, 0x20, 0x30, 0, 0x40, 0x50, 0x60, 0};
  const Bytes pict = PictFromDIB(2, 1, 32, row, 8, nullptr, 0);
  ASSERT_FALSE(pict.empty());
  // Row bytes 8 | 0x8000, pixel type 16, size 32, 3 components of 8.
  const Bytes pixMap = {0x80, 0x08, 0, 0, 0, 0, 0, 1, 0, 2, 0, 0, 0, 4};
  const auto found = std::search(pict.begin(), pict.end(), pixMap.begin(), pixMap.end());
  ASSERT_NE(found, pict.end());
  // The packed row: count 7, literal of 6 bytes R R G G B B.
  const Bytes packed = {7, 5, 0x30, 0x60, 0x20, 0x50, 0x10, 0x40};
  EXPECT_NE(std::search(pict.begin(), pict.end(), packed.begin(), packed.end()), pict.end());
  // 16-bit pixels go big-endian, unpacked.
  const uint8_t row16[4] = {0x1F, 0x7C, 0xE0, 0x83};
  const Bytes pict16 = PictFromDIB(2, 1, 16, row16, 4, nullptr, 0);
  const Bytes words = {0x7C, 0x1F, 0x03, 0xE0};
  EXPECT_NE(std::search(pict16.begin(), pict16.end(), words.begin(), words.end()), pict16.end());
  // Depths without a PICT form and empty sizes give nothing.
  EXPECT_TRUE(PictFromDIB(2, 1, 12, row, 8, nullptr, 0).empty());
  EXPECT_TRUE(PictFromDIB(0, 1, 32, row, 8, nullptr, 0).empty());
}

TEST(PictRoundTrip, ReplacingThePictureDropsItsCachedMetafile) {
  VDIBPort port(4, 4, 32);
  port.SetFillColor(RGB(255, 0, 0));
  port.PaintRect(0, 0, 4, 4);
  std::unique_ptr<VPictPictureData> pict(port.ToPictPicture());
  ASSERT_NE(pict, nullptr);
  // Its size is its bytes, and the metafile made to draw it once made.
  const uint32_t own = pict->DataSize();
  EXPECT_EQ(own, pict->StoredBytes().size());
  VEmfPictureData* first = pict->MetafileForDrawing();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(pict->DataSize(), own + first->DataSize());
  EXPECT_GT(first->DataSize(), 0u);
  EXPECT_EQ(pict->GetCachedMetafile(), first);
  EXPECT_EQ(pict->MetafileForDrawing(), first);
  const Bytes bytes = pict->StoredBytes();
  Bytes native = bytes;
  for (size_t i = 0; i < 10; i += 2) std::swap(native[i], native[i + 1]);
  pict->SetFromData(native.data(), uint32_t(native.size()));
  EXPECT_EQ(pict->GetCachedMetafile(), nullptr);
  ASSERT_NE(pict->MetafileForDrawing(), nullptr);
  EXPECT_EQ(pict->MetafileForDrawing()->GetWidth(), 4);
}

TEST(PictRoundTrip, PictureShapesFromResourcesAndValues) {
  VDIBPort port(6, 3, 32);
  port.SetFillColor(RGB(0, 0, 255));
  port.PaintRect(0, 0, 6, 3);
  std::unique_ptr<VPictPictureData> pict(port.ToPictPicture());
  ASSERT_NE(pict, nullptr);
  const Bytes stored = pict->StoredBytes();
  VMemoryResourceFile file(VMemHandle(0), 1);
  VStr<32> name;
  name.SetChars("Blue", 0, 4, kCharSetAnsi);
  ASSERT_EQ(file.AddResource(FourCC("PICT"), 200, &name, stored.data(), uint32_t(stored.size())), 200);

  for (int byName = 0; byName < 2; ++byName) {
    VPictureShape shape(file, 200, byName ? &name : nullptr);
    ASSERT_NE(shape.GetPicture(), nullptr) << byName;
    EXPECT_EQ(shape.GetWidth(), 6);
    EXPECT_EQ(shape.GetHeight(), 3);
    EXPECT_EQ(static_cast<VPictPictureData*>(shape.GetPicture())->StoredBytes(), stored);
    Canvas canvas(8, 8);
    VPort drawer(canvas.dc());
    drawer.DrawPictureShape(shape);
    EXPECT_EQ(canvas.CountAll(RGB(0, 0, 255)), 18);
  }
  VStr<32> missing;
  missing.SetChars("None", 0, 4, kCharSetAnsi);
  EXPECT_EQ(VPictureShape(file, 201, nullptr).GetPicture(), nullptr);
  EXPECT_EQ(VPictureShape(file, 200, &missing).GetPicture(), nullptr);

  VPictureShape empty(new VPictPictureData);
  EXPECT_EQ(empty.GetWidth(), 0);
  EXPECT_EQ(empty.GetHeight(), 0);
  VPictureShape fromBytes(stored.data(), uint32_t(stored.size()), kPictureKindBMP);
  EXPECT_EQ(fromBytes.GetPicture(), nullptr);
}
