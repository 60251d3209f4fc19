// Our own small picture import and export library, standing in for the
// picture services of the platform: JPEG, PNG, BMP and PICT pictures read
// into PICTs and PICTs written out in those formats. Importers and exporters
// are known by their Macintosh file type.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Export.h"

// The library's version word: 4.0, so that every operation is available.
constexpr uint32_t kQtVersion = 0x04000000;

// Results of the library (0 on success).
constexpr int32_t kQtNoErr = 0;
constexpr int32_t kQtFileNotFound = -43;
constexpr int32_t kQtIoErr = -36;
constexpr int32_t kQtNoMemory = -108;
constexpr int32_t kQtNoHandler = -2048;  // no importer or exporter for the file type
constexpr int32_t kQtBadImage = -8969;   // the data are not a picture of the type

constexpr uint32_t QtFourChar(const char (&s)[5]) {
  return (uint32_t(uint8_t(s[0])) << 24) | (uint32_t(uint8_t(s[1])) << 16) |
         (uint32_t(uint8_t(s[2])) << 8) | uint32_t(uint8_t(s[3]));
}
constexpr uint32_t kQtTypeJpeg = QtFourChar("JPEG");
constexpr uint32_t kQtTypePng = QtFourChar("PNGf");
constexpr uint32_t kQtTypeBmp = QtFourChar("BMPf");
constexpr uint32_t kQtTypePict = QtFourChar("PICT");
constexpr uint32_t kQtImporter = QtFourChar("grip");
constexpr uint32_t kQtExporter = QtFourChar("grex");

// A picture as pixels: top row first, 4 bytes a pixel (blue, green, red,
// unused), width * 4 bytes a row.
struct QtRaster {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> pixels;
};

// One importer or exporter the library holds.
struct QtComponent {
  uint32_t type = 0;     // kQtImporter or kQtExporter
  uint32_t subtype = 0;  // the file type it reads or writes
  std::string name;
  std::string info;
  uint32_t fileType = 0;
  uint32_t creator = 0;
  uint32_t extension = 0;  // four characters, padded with spaces
};

// Every component of a type (importers or exporters); none for another type.
QV_PLATFORM_API std::vector<QtComponent> QtListComponents(uint32_t type);

// Data of a file type read into a PICT (whole picture, header big-endian, no
// 512-byte file header). PICT data may come with or without the file header.
QV_PLATFORM_API int32_t QtImportData(const uint8_t* bytes, size_t size, uint32_t fileType,
                                     std::vector<uint8_t>& pict);
// A file read into a PICT, its type known from its first bytes (a PICT file
// is anything else of at least 522 bytes).
QV_PLATFORM_API int32_t QtImportFile(const std::string& path, std::vector<uint8_t>& pict);
// A PICT (header big-endian) written to a file of the type.
QV_PLATFORM_API int32_t QtExportFile(const uint8_t* pict, size_t size, uint32_t fileType,
                                     const std::string& path);
// The same, into memory.
QV_PLATFORM_API int32_t QtExportData(const uint8_t* pict, size_t size, uint32_t fileType,
                                     std::vector<uint8_t>& out);

// The readers and writers of each format, for the library and its tests.
QV_PLATFORM_API int32_t QtReadBmp(const uint8_t* bytes, size_t size, QtRaster& raster);
QV_PLATFORM_API int32_t QtReadJpeg(const uint8_t* bytes, size_t size, QtRaster& raster);
QV_PLATFORM_API int32_t QtReadPng(const uint8_t* bytes, size_t size, QtRaster& raster);
QV_PLATFORM_API int32_t QtReadPict(const uint8_t* bytes, size_t size, QtRaster& raster);
QV_PLATFORM_API std::vector<uint8_t> QtWriteBmp(const QtRaster& raster);
QV_PLATFORM_API std::vector<uint8_t> QtWriteJpeg(const QtRaster& raster, int quality);
QV_PLATFORM_API std::vector<uint8_t> QtWritePng(const QtRaster& raster);
QV_PLATFORM_API std::vector<uint8_t> QtWritePict(const QtRaster& raster);

// A picture file compressed with a codec into a PICT file (512-byte file
// header, then a picture holding the compressed data in one opcode 0x8200).
// Only the 'jpeg' codec is known; `quality` is a codec quality step (0 to
// 1024). The target may be the source itself.
QV_PLATFORM_API int32_t QtCompressPictureFile(const std::string& source, const std::string& target,
                                              uint32_t codecType, int32_t quality);
// A PICT (header big-endian) compressed the same way into a PICT in memory.
QV_PLATFORM_API int32_t QtCompressPicture(const uint8_t* pict, size_t size, uint32_t codecType,
                                          int32_t quality, std::vector<uint8_t>& out);
