// The picture import and export library: each format read into pixels and
// written from them; a PICT is made of pixels by the PICT writer and turned
// into pixels by playing it into a bitmap.
#include "platform/quicktime/QtPictures.h"

#include <jpeglib.h>
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/bytes/ByteAppend.h"
#include "platform/bytes/ByteSpanReader.h"
#include "platform/gdi/GdiTopDownBitmap.h"
#include "platform/gdi/WinGdi.h"
#include "platform/gdi/pict/PictInterpreter.h"
#include "platform/gdi/pict/PictPixels.h"
#include "platform/gdi/pict/PictWriter.h"

namespace {

// Pictures wider or taller than this are refused, as are those of more
// pixels than kMaxPixels: a damaged header cannot ask for gigabytes.
constexpr int32_t kMaxSide = 16384;
constexpr uint64_t kMaxPixels = 64ull * 1024 * 1024;
constexpr size_t kPictFileHeader = 512;
constexpr size_t kPictHeader = 10;
constexpr int kDefaultJpegQuality = 85;

bool SizeAllowed(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide &&
         uint64_t(width) * uint64_t(height) <= kMaxPixels;
}

struct Format {
  uint32_t fileType;
  const char* name;
  const char* extension;
};
constexpr Format kFormats[] = {
    {kQtTypeJpeg, "JPEG", "jpg "},
    {kQtTypePng, "PNG", "png "},
    {kQtTypeBmp, "BMP", "bmp "},
    {kQtTypePict, "PICT", "pct "},
};

bool Known(uint32_t fileType) {
  for (const Format& f : kFormats) {
    if (f.fileType == fileType) return true;
  }
  return false;
}

// The PICT without its 512-byte file header when it has one: a picture
// whose own header (size, frame) does not make sense at the start but does
// after 512 bytes.
// The frame of a picture at `p`, after its size word; empty when the
// header is not all there.
pict::Rect16 PictFrame(const uint8_t* p, size_t size) {
  if (size < kPictHeader + 2) return pict::Rect16();
  pict::Reader r(p + 2, p + size);
  return pict::ReadRect(r);
}

bool PictFrameSound(const uint8_t* p, size_t size) {
  const pict::Rect16 frame = PictFrame(p, size);
  return frame.Width() > 0 && frame.Height() > 0;
}

size_t PictStart(const uint8_t* bytes, size_t size) {
  if (!PictFrameSound(bytes, size) && size > kPictFileHeader &&
      PictFrameSound(bytes + kPictFileHeader, size - kPictFileHeader)) {
    return kPictFileHeader;
  }
  return 0;
}

uint32_t DetectType(const uint8_t* p, size_t size) {
  if (size >= 3 && p[0] == 0xFF && p[1] == 0xD8 && p[2] == 0xFF) return kQtTypeJpeg;
  if (size >= 8 && std::memcmp(p, "\x89PNG\r\n\x1A\n", 8) == 0) return kQtTypePng;
  if (size >= 2 && p[0] == 'B' && p[1] == 'M') return kQtTypeBmp;
  if (size >= kPictFileHeader + kPictHeader) return kQtTypePict;
  return 0;
}

int32_t ReadRaster(const uint8_t* bytes, size_t size, uint32_t fileType, QtRaster& raster) {
  if (fileType == kQtTypeJpeg) return QtReadJpeg(bytes, size, raster);
  if (fileType == kQtTypePng) return QtReadPng(bytes, size, raster);
  if (fileType == kQtTypeBmp) return QtReadBmp(bytes, size, raster);
  if (fileType == kQtTypePict) return QtReadPict(bytes, size, raster);
  return kQtNoHandler;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace

std::vector<QtComponent> QtListComponents(uint32_t type) {
  std::vector<QtComponent> list;
  if (type != kQtImporter && type != kQtExporter) return list;
  for (const Format& f : kFormats) {
    QtComponent c;
    c.type = type;
    c.subtype = f.fileType;
    c.name = f.name;
    c.info = std::string(f.name) + (type == kQtImporter ? " importer" : " exporter");
    c.fileType = f.fileType;
    c.creator = QtFourChar("ogle");
    c.extension = (uint32_t(uint8_t(f.extension[0])) << 24) |
                  (uint32_t(uint8_t(f.extension[1])) << 16) |
                  (uint32_t(uint8_t(f.extension[2])) << 8) | uint32_t(uint8_t(f.extension[3]));
    list.push_back(c);
  }
  return list;
}

int32_t QtReadBmp(const uint8_t* bytes, size_t size, QtRaster& raster) {
  raster = QtRaster();
  if (bytes == nullptr || size < 14 + 40 || bytes[0] != 'B' || bytes[1] != 'M') return kQtBadImage;
  // The file header and the 40 bytes of the info header are there.
  ByteSpanReader r(bytes, size, ByteSpanReader::Order::kLittle);
  r.Skip(10);
  const uint32_t pixelOffset = r.U32();
  const uint32_t headerSize = r.U32();
  if (headerSize < 40 || headerSize > size - 14) return kQtBadImage;
  const int32_t width = r.I32();
  const int32_t rawHeight = r.I32();
  r.Skip(2);  // planes
  const uint32_t bitCount = r.U16();
  const uint32_t compression = r.U32();
  r.Skip(12);  // image size, resolutions
  uint32_t colorCount = r.U32();
  const bool topDown = rawHeight < 0;
  const int64_t height = topDown ? -int64_t(rawHeight) : int64_t(rawHeight);
  if (!SizeAllowed(width, height) || compression != 0) return kQtBadImage;
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32) {
    return kQtBadImage;
  }
  // The colour table follows the header; indexed depths need one.
  const size_t tableAt = 14 + size_t(headerSize);
  if (bitCount <= 8) {
    const uint32_t most = 1u << bitCount;
    if (colorCount == 0 || colorCount > most) colorCount = most;
  } else {
    colorCount = 0;
  }
  if (size - tableAt < size_t(colorCount) * 4) return kQtBadImage;
  const size_t stride = ((size_t(width) * bitCount + 31) / 32) * 4;
  if (pixelOffset < tableAt + size_t(colorCount) * 4 || pixelOffset > size ||
      (size - pixelOffset) / stride < size_t(height)) {
    return kQtBadImage;
  }
  raster.width = width;
  raster.height = int32_t(height);
  raster.pixels.assign(size_t(width) * size_t(height) * 4, 0);
  for (int64_t y = 0; y < height; ++y) {
    const int64_t sourceRow = topDown ? y : height - 1 - y;
    const uint8_t* row = bytes + pixelOffset + size_t(sourceRow) * stride;
    uint8_t* out = raster.pixels.data() + size_t(y) * size_t(width) * 4;
    for (int32_t x = 0; x < width; ++x, out += 4) {
      if (bitCount >= 24) {
        const uint8_t* p = row + size_t(x) * (bitCount / 8);
        out[0] = p[0];
        out[1] = p[1];
        out[2] = p[2];
        continue;
      }
      const size_t bit = size_t(x) * bitCount;
      const uint32_t index =
          (row[bit / 8] >> (8 - bitCount - bit % 8)) & ((1u << bitCount) - 1);
      // An index past the table is drawn black.
      if (index < colorCount) std::memcpy(out, bytes + tableAt + size_t(index) * 4, 3);
    }
  }
  return kQtNoErr;
}

std::vector<uint8_t> QtWriteBmp(const QtRaster& raster) {
  std::vector<uint8_t> out;
  if (!SizeAllowed(raster.width, raster.height) ||
      raster.pixels.size() != size_t(raster.width) * size_t(raster.height) * 4) {
    return out;
  }
  const size_t stride = ((size_t(raster.width) * 24 + 31) / 32) * 4;
  const size_t imageSize = stride * size_t(raster.height);
  out.reserve(54 + imageSize);
  out.push_back('B');
  out.push_back('M');
  AppendLE32(out, uint32_t(54 + imageSize));
  AppendLE32(out, 0);
  AppendLE32(out, 54);
  AppendLE32(out, 40);
  AppendLE32(out, uint32_t(raster.width));
  AppendLE32(out, uint32_t(raster.height));
  AppendLE16(out, 1);
  AppendLE16(out, 24);
  AppendLE32(out, 0);
  AppendLE32(out, uint32_t(imageSize));
  AppendLE32(out, 2835);  // 72 dots an inch
  AppendLE32(out, 2835);
  AppendLE32(out, 0);
  AppendLE32(out, 0);
  for (int32_t y = raster.height - 1; y >= 0; --y) {
    const uint8_t* row = raster.pixels.data() + size_t(y) * size_t(raster.width) * 4;
    for (int32_t x = 0; x < raster.width; ++x) out.insert(out.end(), row + 4 * x, row + 4 * x + 3);
    out.resize(out.size() + (stride - size_t(raster.width) * 3), 0);
  }
  return out;
}

int32_t QtReadJpeg(const uint8_t* bytes, size_t size, QtRaster& raster) {
  raster = QtRaster();
  // A JPEG starts with its start-of-image marker; anything else is refused
  // before the decoder sees it.
  if (bytes == nullptr || size < 3 || bytes[0] != 0xFF || bytes[1] != 0xD8 || bytes[2] != 0xFF) {
    return kQtBadImage;
  }
  pict::Image image;
  if (!pict::DecodeJpeg(bytes, size, &image) || !SizeAllowed(image.width, image.height)) {
    return kQtBadImage;
  }
  raster.width = image.width;
  raster.height = image.height;
  raster.pixels.resize(image.pixels.size() * 4);
  for (size_t i = 0; i < image.pixels.size(); ++i) {
    const uint32_t v = image.pixels[i];
    raster.pixels[4 * i] = uint8_t(v);
    raster.pixels[4 * i + 1] = uint8_t(v >> 8);
    raster.pixels[4 * i + 2] = uint8_t(v >> 16);
  }
  return kQtNoErr;
}

namespace {

struct JpegWriteError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};
void JpegWriteFail(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegWriteError*>(info->err)->jump, 1);
}

}  // namespace

std::vector<uint8_t> QtWriteJpeg(const QtRaster& raster, int quality) {
  std::vector<uint8_t> out;
  if (!SizeAllowed(raster.width, raster.height) ||
      raster.pixels.size() != size_t(raster.width) * size_t(raster.height) * 4) {
    return out;
  }
  jpeg_compress_struct info{};
  JpegWriteError error{};
  unsigned char* buffer = nullptr;
  unsigned long length = 0;
  std::vector<uint8_t> line(size_t(raster.width) * 3);
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = JpegWriteFail;
  if (setjmp(error.jump) != 0) {
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return {};
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, &buffer, &length);
  info.image_width = JDIMENSION(raster.width);
  info.image_height = JDIMENSION(raster.height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality < 1 ? 1 : quality > 100 ? 100 : quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    const uint8_t* row = raster.pixels.data() + size_t(info.next_scanline) * size_t(raster.width) * 4;
    for (int32_t x = 0; x < raster.width; ++x) {
      line[3 * x] = row[4 * x + 2];
      line[3 * x + 1] = row[4 * x + 1];
      line[3 * x + 2] = row[4 * x];
    }
    JSAMPROW rows[1] = {line.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  out.assign(buffer, buffer + length);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return out;
}

int32_t QtReadPng(const uint8_t* bytes, size_t size, QtRaster& raster) {
  raster = QtRaster();
  if (bytes == nullptr || size < 8) return kQtBadImage;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_memory(&image, bytes, size) == 0) return kQtBadImage;
  if (!SizeAllowed(image.width, image.height)) {
    png_image_free(&image);
    return kQtBadImage;
  }
  // Transparent pixels are laid on white, as a picture shows them.
  image.format = PNG_FORMAT_BGR;
  png_color white{255, 255, 255};
  std::vector<uint8_t> rgb(size_t(image.width) * size_t(image.height) * 3);
  if (png_image_finish_read(&image, &white, rgb.data(), 0, nullptr) == 0) {
    png_image_free(&image);
    return kQtBadImage;
  }
  raster.width = int32_t(image.width);
  raster.height = int32_t(image.height);
  raster.pixels.assign(rgb.size() / 3 * 4, 0);
  for (size_t i = 0; i < rgb.size() / 3; ++i) std::memcpy(&raster.pixels[4 * i], &rgb[3 * i], 3);
  return kQtNoErr;
}

std::vector<uint8_t> QtWritePng(const QtRaster& raster) {
  std::vector<uint8_t> out;
  if (!SizeAllowed(raster.width, raster.height) ||
      raster.pixels.size() != size_t(raster.width) * size_t(raster.height) * 4) {
    return out;
  }
  std::vector<uint8_t> rgb(size_t(raster.width) * size_t(raster.height) * 3);
  for (size_t i = 0; i < rgb.size() / 3; ++i) std::memcpy(&rgb[3 * i], &raster.pixels[4 * i], 3);
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(raster.width);
  image.height = png_uint_32(raster.height);
  image.format = PNG_FORMAT_BGR;
  png_alloc_size_t length = 0;
  if (png_image_write_to_memory(&image, nullptr, &length, 0, rgb.data(), 0, nullptr) == 0) {
    return out;
  }
  out.resize(length);
  if (png_image_write_to_memory(&image, out.data(), &length, 0, rgb.data(), 0, nullptr) == 0) {
    return {};
  }
  out.resize(length);
  return out;
}

int32_t QtReadPict(const uint8_t* bytes, size_t size, QtRaster& raster) {
  raster = QtRaster();
  if (bytes == nullptr) return kQtBadImage;
  const size_t start = PictStart(bytes, size);
  bytes += start;
  size -= start;
  const pict::Rect16 frame = PictFrame(bytes, size);
  const int32_t width = frame.Width();
  const int32_t height = frame.Height();
  if (size > 0x7FFFFFFF || !SizeAllowed(width, height)) return kQtBadImage;
  HDC dc = CreateCompatibleDC(nullptr);
  if (dc == nullptr) return kQtNoMemory;
  void* bits = nullptr;
  HBITMAP bitmap = CreateTopDownBitmap32(dc, width, height, &bits);
  if (bitmap == nullptr || bits == nullptr) {
    DeleteDC(dc);
    return kQtNoMemory;
  }
  const size_t byteCount = size_t(width) * size_t(height) * 4;
  std::memset(bits, 0xFF, byteCount);
  HGDIOBJ old = SelectObject(dc, bitmap);
  const RECT rect{0, 0, width, height};
  const bool played = PlayPict(dc, bytes, uint32_t(size), &rect);
  if (played) {
    raster.width = width;
    raster.height = height;
    raster.pixels.assign(static_cast<const uint8_t*>(bits), static_cast<const uint8_t*>(bits) + byteCount);
  }
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return played ? kQtNoErr : kQtBadImage;
}

std::vector<uint8_t> QtWritePict(const QtRaster& raster) {
  if (!SizeAllowed(raster.width, raster.height) ||
      raster.pixels.size() != size_t(raster.width) * size_t(raster.height) * 4) {
    return {};
  }
  return PictFromDIB(raster.width, raster.height, 32, raster.pixels.data(), raster.width * 4,
                     nullptr, 0);
}

int32_t QtImportData(const uint8_t* bytes, size_t size, uint32_t fileType,
                     std::vector<uint8_t>& pict) {
  pict.clear();
  if (!Known(fileType)) return kQtNoHandler;
  if (fileType == kQtTypePict) {
    // A PICT stays as it is, without its file header; it must at least play.
    if (bytes == nullptr) return kQtBadImage;
    const size_t start = PictStart(bytes, size);
    QtRaster check;
    const int32_t err = QtReadPict(bytes + start, size - start, check);
    if (err != kQtNoErr) return err;
    pict.assign(bytes + start, bytes + size);
    return kQtNoErr;
  }
  QtRaster raster;
  const int32_t err = ReadRaster(bytes, size, fileType, raster);
  if (err != kQtNoErr) return err;
  pict = QtWritePict(raster);
  return pict.empty() ? kQtNoMemory : kQtNoErr;
}

int32_t QtImportFile(const std::string& path, std::vector<uint8_t>& pict) {
  pict.clear();
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, bytes)) return kQtFileNotFound;
  const uint32_t type = DetectType(bytes.data(), bytes.size());
  if (type == 0) return kQtNoHandler;
  return QtImportData(bytes.data(), bytes.size(), type, pict);
}

int32_t QtExportData(const uint8_t* pict, size_t size, uint32_t fileType,
                     std::vector<uint8_t>& out) {
  out.clear();
  if (!Known(fileType)) return kQtNoHandler;
  QtRaster raster;
  const int32_t err = QtReadPict(pict, size, raster);
  if (err != kQtNoErr) return err;
  if (fileType == kQtTypePict) {
    // The PICT file form: 512 bytes of zeros before the picture.
    const size_t start = PictStart(pict, size);
    out.assign(kPictFileHeader, 0);
    out.insert(out.end(), pict + start, pict + size);
    return kQtNoErr;
  }
  if (fileType == kQtTypeJpeg) out = QtWriteJpeg(raster, kDefaultJpegQuality);
  if (fileType == kQtTypePng) out = QtWritePng(raster);
  if (fileType == kQtTypeBmp) out = QtWriteBmp(raster);
  return out.empty() ? kQtNoMemory : kQtNoErr;
}

int32_t QtExportFile(const uint8_t* pict, size_t size, uint32_t fileType, const std::string& path) {
  std::vector<uint8_t> out;
  const int32_t err = QtExportData(pict, size, fileType, out);
  if (err != kQtNoErr) return err;
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return kQtFileNotFound;
  file.write(reinterpret_cast<const char*>(out.data()), std::streamsize(out.size()));
  return file.good() ? kQtNoErr : kQtIoErr;
}

namespace {

void PutRect(std::vector<uint8_t>& out, int32_t width, int32_t height) {
  AppendBE16(out, 0);
  AppendBE16(out, 0);
  AppendBE16(out, uint32_t(height));
  AppendBE16(out, uint32_t(width));
}

// The JPEG quality of a codec quality step.
int JpegQualityOfStep(int32_t step) {
  if (step >= 1024) return 100;
  if (step >= 1023) return 95;
  if (step >= 768) return 90;
  if (step >= 512) return 75;
  if (step >= 256) return 50;
  return 25;
}

// A version 2 PICT of the frame whose one drawing opcode is 0x8200 holding
// the JPEG: a matrix of identity, no matte or mask, an image description of
// 86 bytes and the data.
std::vector<uint8_t> CompressedPict(int32_t width, int32_t height, const std::vector<uint8_t>& jpeg) {
  std::vector<uint8_t> p;
  AppendBE16(p, 0);  // size, set below when it fits
  PutRect(p, width, height);
  AppendBE16(p, 0x0011);
  AppendBE16(p, 0x02FF);
  AppendBE16(p, 0x0C00);  // header: version -2, 72 dots an inch
  AppendBE16(p, 0xFFFE);
  AppendBE16(p, 0);
  AppendBE32(p, 0x00480000);
  AppendBE32(p, 0x00480000);
  PutRect(p, width, height);
  AppendBE32(p, 0);
  AppendBE16(p, 0x0001);  // clip: the frame
  AppendBE16(p, 10);
  PutRect(p, width, height);
  AppendBE16(p, 0x8200);
  std::vector<uint8_t> d;
  AppendBE16(d, 0);  // version
  const uint32_t matrix[9] = {0x10000, 0, 0, 0, 0x10000, 0, 0, 0, 0x40000000};
  for (uint32_t m : matrix) AppendBE32(d, m);
  AppendBE32(d, 0);  // matte size
  PutRect(d, 0, 0);
  AppendBE16(d, 0);  // mode
  PutRect(d, width, height);
  AppendBE32(d, 0);  // accuracy
  AppendBE32(d, 0);  // mask size
  AppendBE32(d, 86);
  AppendBE32(d, QtFourChar("jpeg"));
  d.resize(d.size() + 16, 0);      // reserved, index, version, vendor
  AppendBE32(d, 0);                // temporal quality
  AppendBE32(d, 0x200);            // spatial quality
  AppendBE16(d, uint32_t(width));
  AppendBE16(d, uint32_t(height));
  AppendBE32(d, 0x00480000);
  AppendBE32(d, 0x00480000);
  AppendBE32(d, uint32_t(jpeg.size()));  // data size, 44 bytes in
  AppendBE16(d, 1);                      // frame count
  d.resize(d.size() + 32, 0);         // name
  AppendBE16(d, 24);                  // depth
  AppendBE16(d, 0xFFFF);              // no colour table
  d.insert(d.end(), jpeg.begin(), jpeg.end());
  AppendBE32(p, uint32_t(d.size()));
  p.insert(p.end(), d.begin(), d.end());
  if (p.size() % 2 != 0) p.push_back(0);
  AppendBE16(p, 0x00FF);
  if (p.size() <= 0xFFFF) {
    p[0] = uint8_t(p.size() >> 8);
    p[1] = uint8_t(p.size());
  }
  return p;
}

}  // namespace

int32_t QtCompressPicture(const uint8_t* pict, size_t size, uint32_t codecType, int32_t quality,
                          std::vector<uint8_t>& out) {
  out.clear();
  if (codecType != QtFourChar("jpeg")) return kQtNoHandler;
  QtRaster raster;
  const int32_t err = QtReadPict(pict, size, raster);
  if (err != kQtNoErr) return err;
  const std::vector<uint8_t> jpeg = QtWriteJpeg(raster, JpegQualityOfStep(quality));
  if (jpeg.empty()) return kQtNoMemory;
  out = CompressedPict(raster.width, raster.height, jpeg);
  return kQtNoErr;
}

int32_t QtCompressPictureFile(const std::string& source, const std::string& target,
                              uint32_t codecType, int32_t quality) {
  if (codecType != QtFourChar("jpeg")) return kQtNoHandler;
  std::vector<uint8_t> pict;
  int32_t err = QtImportFile(source, pict);
  if (err != kQtNoErr) return err;
  std::vector<uint8_t> compressed;
  err = QtCompressPicture(pict.data(), pict.size(), codecType, quality, compressed);
  if (err != kQtNoErr) return err;
  std::vector<uint8_t> file(kPictFileHeader, 0);
  file.insert(file.end(), compressed.begin(), compressed.end());
  std::ofstream out(target, std::ios::binary | std::ios::trunc);
  if (!out) return kQtFileNotFound;
  out.write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
  return out.good() ? kQtNoErr : kQtIoErr;
}
