// Pixel data of PICT bits opcodes, and JPEG decoding through libjpeg.
#include "platform/gdi/pict/PictPixels.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include "platform/gdi/pict/PackBitsReader.h"

namespace pict {

Rect16 ReadRect(Reader& r) {
  Rect16 rect;
  rect.top = r.S16();
  rect.left = r.S16();
  rect.bottom = r.S16();
  rect.right = r.S16();
  return rect;
}

namespace {

// Pictures wider or taller than this are not drawn.
constexpr int32_t kMaxSide = 16384;

struct MapFields {
  uint32_t rowBytes = 0;
  bool isPixMap = false;
  Rect16 bounds;
  int16_t packType = 0;
  int16_t pixelType = 0;
  int16_t pixelSize = 1;
  int16_t cmpCount = 1;
  uint32_t colors[256] = {};
};

void ReadColorTable(Reader& r, MapFields* map) {
  r.Skip(4);  // seed
  const uint16_t flags = r.U16();
  const uint16_t last = r.U16();
  for (uint32_t i = 0; i <= last && !r.Failed(); ++i) {
    const uint16_t value = r.U16();
    const uint32_t red = r.U16() >> 8;
    const uint32_t green = r.U16() >> 8;
    const uint32_t blue = r.U16() >> 8;
    // A device table lists its entries in order; otherwise each entry
    // names its pixel value, and values beyond the table are passed over.
    const uint32_t index = (flags & 0x8000) != 0 ? i : value;
    if (index < 256) map->colors[index] = (red << 16) | (green << 8) | blue;
  }
}

bool SkipRegion(Reader& r) {
  const uint16_t size = r.U16();
  return size >= 10 && r.Skip(size - 2u);
}

// The next row of packed data behind its byte count.
bool PackedRow(Reader& r, uint32_t rowBytes, bool words, uint8_t* row, size_t size, bool* ok) {
  const uint32_t count = rowBytes > 250 ? r.U16() : r.U8();
  if (r.Failed() || !r.Has(count)) {
    r.Fail();
    return false;
  }
  const uint8_t* src = r.At();
  const size_t used = words ? qv_packbits::UnpackWordRow(src, src + count, row, size)
                            : qv_packbits::UnpackRow(src, src + count, row, size);
  if (used == 0) *ok = false;
  r.Skip(count);
  return true;
}

uint32_t Widen555(uint32_t v) {
  const uint32_t r5 = (v >> 10) & 31;
  const uint32_t g5 = (v >> 5) & 31;
  const uint32_t b5 = v & 31;
  return (((r5 << 3) | (r5 >> 2)) << 16) | (((g5 << 3) | (g5 >> 2)) << 8) | ((b5 << 3) | (b5 >> 2));
}

}  // namespace

bool ReadBitsOp(Reader& r, uint16_t opcode, uint32_t fg, uint32_t bg, bool align, BitsOp* op) {
  const bool direct = opcode == 0x9A || opcode == 0x9B;
  const bool packed = opcode == 0x98 || opcode == 0x99 || direct;
  op->hasMaskRegion = opcode == 0x91 || opcode == 0x99 || opcode == 0x9B;
  op->drawable = false;
  MapFields map;
  if (direct) r.Skip(4);  // base address
  const uint16_t rowWord = r.U16();
  map.rowBytes = rowWord & 0x7FFFu;
  map.isPixMap = direct || (rowWord & 0x8000) != 0;
  map.bounds = ReadRect(r);
  if (map.isPixMap) {
    r.Skip(2);  // version
    map.packType = r.S16();
    r.Skip(4 + 8);  // pack size, resolutions
    map.pixelType = r.S16();
    map.pixelSize = r.S16();
    map.cmpCount = r.S16();
    r.Skip(2 + 4 + 4 + 4);  // component size, plane bytes, table, reserved
    if (!direct) ReadColorTable(r, &map);
  } else {
    map.colors[0] = bg;
    map.colors[1] = fg;
  }
  op->src = ReadRect(r);
  // The source rectangle is in the map's coordinates; the image starts at
  // the map's top-left corner, so the rectangle is taken relative to it
  // (held in 16 bits: what falls outside is outside the image anyway).
  const auto relative = [](int16_t v, int16_t origin) {
    return static_cast<int16_t>(std::clamp<int32_t>(int32_t{v} - origin, INT16_MIN, INT16_MAX));
  };
  op->src.left = relative(op->src.left, map.bounds.left);
  op->src.right = relative(op->src.right, map.bounds.left);
  op->src.top = relative(op->src.top, map.bounds.top);
  op->src.bottom = relative(op->src.bottom, map.bounds.top);
  op->dst = ReadRect(r);
  op->mode = r.S16();
  if (op->hasMaskRegion) SkipRegion(r);
  if (r.Failed()) return false;

  const int32_t width = map.bounds.Width();
  const int32_t height = map.bounds.Height();
  bool ok = width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide;
  const int32_t depth = map.pixelSize;
  const bool indexed = !map.isPixMap || map.pixelType == 0;
  if (indexed && depth != 1 && depth != 2 && depth != 4 && depth != 8) ok = false;
  if (!indexed && (map.pixelType != 16 || (depth != 16 && depth != 32))) ok = false;
  int32_t pack = map.packType;
  if (!packed || map.rowBytes < 8) {
    pack = 1;
  } else if (indexed) {
    pack = 0;  // packed rows of bytes
  } else if (pack == 0) {
    pack = depth == 16 ? 3 : 4;
  }
  if (!indexed && ((pack == 2 && depth != 32) || (pack == 3 && depth != 16) ||
                   (pack == 4 && depth != 32) || pack < 1 || pack > 4))
    ok = false;
  const int32_t planes = map.cmpCount == 4 ? 4 : 3;
  size_t rowSize = 0;
  if (width > 0) {
    switch (pack) {
      case 2: rowSize = static_cast<size_t>(width) * 3; break;
      case 3: rowSize = static_cast<size_t>(width) * 2; break;
      case 4: rowSize = static_cast<size_t>(width) * planes; break;
      default: rowSize = (static_cast<size_t>(width) * static_cast<size_t>(depth) + 7) / 8; break;
    }
  }
  // Unpacked rows lie rowBytes apart (pack 2: three bytes a pixel).
  const size_t stride = pack == 2 ? rowSize : map.rowBytes;
  if ((pack == 1 || pack == 2) && rowSize > stride) ok = false;
  if (height < 0) {
    // Bottom above top: the rows that follow cannot be measured.
    r.Fail();
    return false;
  }
  if (ok) {
    op->image.width = width;
    op->image.height = height;
    op->image.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  }
  // Packed rows of indexed and 16-bit maps hold the whole row bytes.
  const size_t unpackSize = (pack == 0 || pack == 3) ? std::max<size_t>(rowSize, map.rowBytes) : rowSize;
  std::vector<uint8_t> row(ok ? std::max(rowSize, unpackSize) : 0);
  for (int32_t y = 0; y < height; ++y) {
    if (pack == 1 || pack == 2) {
      if (!r.Has(stride)) return r.Fail(), false;
      if (ok) std::copy(r.At(), r.At() + rowSize, row.begin());
      r.Skip(stride);
    } else if (ok) {
      if (!PackedRow(r, map.rowBytes, pack == 3, row.data(), unpackSize, &ok)) return false;
    } else {
      // The map cannot be shown: its rows are passed over by their counts.
      const uint32_t count = map.rowBytes > 250 ? r.U16() : r.U8();
      if (!r.Skip(count)) return false;
      continue;
    }
    if (!ok) continue;
    uint32_t* out = &op->image.pixels[static_cast<size_t>(y) * static_cast<size_t>(width)];
    for (int32_t x = 0; x < width; ++x) {
      if (indexed) {
        const int32_t bit = x * depth;
        const int32_t shift = 8 - depth - (bit & 7);
        const uint32_t index = (row[static_cast<size_t>(bit >> 3)] >> shift) & ((1u << depth) - 1);
        out[x] = map.colors[index];
      } else if (depth == 16) {
        out[x] = Widen555((uint32_t{row[2 * static_cast<size_t>(x)]} << 8) |
                          row[2 * static_cast<size_t>(x) + 1]);
      } else if (pack == 1) {
        const uint8_t* p = &row[4 * static_cast<size_t>(x)];
        out[x] = (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
      } else if (pack == 2) {
        const uint8_t* p = &row[3 * static_cast<size_t>(x)];
        out[x] = (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
      } else {
        const size_t first = planes == 4 ? static_cast<size_t>(width) : 0;
        const size_t w = static_cast<size_t>(width);
        out[x] = (uint32_t{row[first + static_cast<size_t>(x)]} << 16) |
                 (uint32_t{row[first + w + static_cast<size_t>(x)]} << 8) |
                 row[first + 2 * w + static_cast<size_t>(x)];
      }
    }
  }
  if (align) r.Align();
  op->drawable = ok;
  return !r.Failed();
}

namespace {

struct JpegError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

void JpegFail(j_common_ptr info) {
  auto* error = reinterpret_cast<JpegError*>(info->err);
  std::longjmp(error->jump, 1);
}

void JpegQuiet(j_common_ptr, int) {}

}  // namespace

bool DecodeJpeg(const uint8_t* bytes, size_t size, Image* image) {
  if (bytes == nullptr || size < 4 || size > 0x7FFFFFFF) return false;
  jpeg_decompress_struct info{};
  JpegError error{};
  std::vector<uint8_t> line;
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = JpegFail;
  error.manager.emit_message = JpegQuiet;
  if (setjmp(error.jump) != 0) {
    jpeg_destroy_decompress(&info);
    image->pixels.clear();
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, const_cast<unsigned char*>(bytes), static_cast<unsigned long>(size));
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  info.out_color_space = JCS_RGB;
  if (info.image_width == 0 || info.image_height == 0 || info.image_width > kMaxSide ||
      info.image_height > kMaxSide) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_start_decompress(&info);
  image->width = static_cast<int32_t>(info.output_width);
  image->height = static_cast<int32_t>(info.output_height);
  image->pixels.assign(static_cast<size_t>(image->width) * static_cast<size_t>(image->height), 0);
  line.resize(static_cast<size_t>(info.output_width) * static_cast<size_t>(info.output_components));
  while (info.output_scanline < info.output_height) {
    JSAMPROW rows[1] = {line.data()};
    const uint32_t y = info.output_scanline;
    if (jpeg_read_scanlines(&info, rows, 1) != 1) break;
    for (uint32_t x = 0; x < info.output_width; ++x) {
      const uint8_t* p = &line[static_cast<size_t>(x) * static_cast<size_t>(info.output_components)];
      const uint32_t v = info.output_components >= 3
                             ? (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2]
                             : (uint32_t{p[0]} << 16) | (uint32_t{p[0]} << 8) | p[0];
      image->pixels[static_cast<size_t>(y) * info.output_width + x] = v;
    }
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

}  // namespace pict
