// The PICT writer of bitmaps.
#include "platform/gdi/pict/PictWriter.h"

#include "platform/toolbox/TbxBits.h"

namespace {

class BigEndianOut {
 public:
  void U8(uint32_t v) { fBytes.push_back(static_cast<uint8_t>(v)); }
  void U16(uint32_t v) {
    U8(v >> 8);
    U8(v);
  }
  void U32(uint32_t v) {
    U16(v >> 16);
    U16(v);
  }
  void Bytes(const uint8_t* p, size_t n) { fBytes.insert(fBytes.end(), p, p + n); }
  void Rect(int32_t top, int32_t left, int32_t bottom, int32_t right) {
    U16(static_cast<uint16_t>(top));
    U16(static_cast<uint16_t>(left));
    U16(static_cast<uint16_t>(bottom));
    U16(static_cast<uint16_t>(right));
  }
  void Pad() {
    if (fBytes.size() & 1) U8(0);
  }
  std::vector<uint8_t> fBytes;
};

// One row in the PICT's packing: rows shorter than 8 bytes unpacked;
// otherwise a byte count (one byte up to 250 bytes a row, else two) and the
// PackBits data.
// rowBytes is the map's, which decides the packing; the row holds `size`
// bytes of data.
void PutRow(BigEndianOut& out, std::vector<uint8_t>& row, int32_t rowBytes, int32_t size) {
  if (rowBytes < 8) {
    out.Bytes(row.data(), static_cast<size_t>(size));
    return;
  }
  std::vector<uint8_t> packed(static_cast<size_t>(size) + size / 127 + 2);
  uint8_t* src = row.data();
  uint8_t* dst = packed.data();
  Tbx::PackBits(&src, &dst, static_cast<int16_t>(size));
  const size_t count = static_cast<size_t>(dst - packed.data());
  if (rowBytes > 250) {
    out.U16(static_cast<uint32_t>(count));
  } else {
    out.U8(static_cast<uint32_t>(count));
  }
  out.Bytes(packed.data(), count);
}

void PutPixMap(BigEndianOut& out, int32_t rowBytes, int32_t width, int32_t height,
               uint32_t packType, uint32_t pixelType, uint32_t pixelSize, uint32_t cmpCount,
               uint32_t cmpSize) {
  out.U16(static_cast<uint32_t>(rowBytes) | 0x8000u);
  out.Rect(0, 0, height, width);
  out.U16(0);  // version
  out.U16(packType);
  out.U32(0);  // pack size
  out.U32(0x00480000);
  out.U32(0x00480000);
  out.U16(pixelType);
  out.U16(pixelSize);
  out.U16(cmpCount);
  out.U16(cmpSize);
  out.U32(0);  // plane bytes
  out.U32(0);  // colour table
  out.U32(0);  // reserved
}

}  // namespace

std::vector<uint8_t> PictFromDIB(int32_t width, int32_t height, int16_t depth,
                                 const uint8_t* rows, int32_t stride, const RGBQUAD* colors,
                                 uint32_t colorCount) {
  if (rows == nullptr || width <= 0 || height <= 0 || width > 0x3FFF || height > 0x7FFF)
    return {};
  const bool indexed = depth == 1 || depth == 2 || depth == 4 || depth == 8;
  if (!indexed && depth != 16 && depth != 24 && depth != 32) return {};
  BigEndianOut out;
  out.U16(0);
  out.Rect(0, 0, height, width);
  out.U16(0x0011);
  out.U16(0x02FF);
  out.U16(0x0C00);
  out.U16(0xFFFF);
  out.U16(0xFFFF);
  out.U32(0);
  out.U32(0);
  out.U32(static_cast<uint32_t>(width) << 16);
  out.U32(static_cast<uint32_t>(height) << 16);
  out.U32(0);
  out.U16(0x0001);
  out.U16(10);
  out.Rect(0, 0, height, width);

  std::vector<uint8_t> row;
  if (indexed) {
    const int32_t rowBytes = (width * depth + 15) / 16 * 2;
    out.U16(0x0098);
    PutPixMap(out, rowBytes, width, height, 0, 0, static_cast<uint32_t>(depth), 1,
              static_cast<uint32_t>(depth));
    const uint32_t entries = 1u << depth;
    out.U32(0);  // seed
    out.U16(0);  // flags
    out.U16(entries - 1);
    for (uint32_t i = 0; i < entries; ++i) {
      const RGBQUAD c = colors != nullptr && i < colorCount ? colors[i] : RGBQUAD{0, 0, 0, 0};
      out.U16(i);
      out.U16(c.rgbRed * 0x101u);
      out.U16(c.rgbGreen * 0x101u);
      out.U16(c.rgbBlue * 0x101u);
    }
    out.Rect(0, 0, height, width);
    out.Rect(0, 0, height, width);
    out.U16(0);
    const int32_t used = (width * depth + 7) / 8;
    for (int32_t y = 0; y < height; ++y) {
      row.assign(static_cast<size_t>(rowBytes), 0);
      const uint8_t* src = rows + static_cast<size_t>(y) * static_cast<size_t>(stride);
      std::copy(src, src + used, row.begin());
      PutRow(out, row, rowBytes, rowBytes);
    }
  } else if (depth == 16) {
    const int32_t rowBytes = width * 2;
    out.U16(0x009A);
    out.U32(0x000000FF);
    // Rows of 16-bit pixels are kept unpacked (pack type 1), each pixel
    // big-endian.
    PutPixMap(out, rowBytes, width, height, 1, 16, 16, 3, 5);
    out.Rect(0, 0, height, width);
    out.Rect(0, 0, height, width);
    out.U16(0);
    for (int32_t y = 0; y < height; ++y) {
      const uint8_t* src = rows + static_cast<size_t>(y) * static_cast<size_t>(stride);
      for (int32_t x = 0; x < width; ++x) {
        out.U8(src[2 * x + 1] & 0x7F);
        out.U8(src[2 * x]);
      }
    }
  } else {
    const int32_t rowBytes = width * 4;
    const int32_t bytesPerPixel = depth / 8;
    out.U16(0x009A);
    out.U32(0x000000FF);
    // Pack type 4: each row is the red, green and blue planes, packed.
    PutPixMap(out, rowBytes, width, height, 4, 16, 32, 3, 8);
    out.Rect(0, 0, height, width);
    out.Rect(0, 0, height, width);
    out.U16(0);
    for (int32_t y = 0; y < height; ++y) {
      const uint8_t* src = rows + static_cast<size_t>(y) * static_cast<size_t>(stride);
      row.assign(static_cast<size_t>(width) * 3, 0);
      for (int32_t x = 0; x < width; ++x) {
        const uint8_t* p = src + static_cast<size_t>(x) * bytesPerPixel;
        row[static_cast<size_t>(x)] = p[2];
        row[static_cast<size_t>(width + x)] = p[1];
        row[static_cast<size_t>(2 * width + x)] = p[0];
      }
      PutRow(out, row, rowBytes, width * 3);
    }
  }
  out.Pad();
  out.U16(0x00FF);
  const size_t total = out.fBytes.size();
  out.fBytes[0] = static_cast<uint8_t>(total >> 8);
  out.fBytes[1] = static_cast<uint8_t>(total);
  return out.fBytes;
}
