// The picture services over the platform's picture library.
#include "graphics/pictures/VQuickTimePictures.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "framework/core/streams/ByteSwap.h"
#include "platform/bytes/ByteSpanReader.h"
#include "graphics/pictures/VPictPictureData.h"
#include "graphics/pictures/VPictureKinds.h"
#include "graphics/pictures/VPictureReader.h"
#include "graphics/pictures/VPictureShape.h"
#include "platform/toolbox/TbxHandleLocker.h"
#include "platform/toolbox/TbxHandles.h"
#include "platform/win32/WinFileDialogs.h"
#include "platform/win32/WinProcess.h"
#include "platform/quicktime/QtPictures.h"

namespace {

constexpr uint32_t kVersionForImport = 0x03000000;
// A call made while the library is not started: what the library answers
// when it cannot be loaded.
constexpr int32_t kLibraryNotLoaded = -2095;
constexpr uint32_t kPictHeaderSize = 10;
constexpr size_t kTextLimit = 255;

// Two kinds that exist only as sources of an import.
constexpr int32_t kImportKindPNG = 107;
constexpr int32_t kImportKindPhotoshop = 108;

uint32_t gQuickTimeVersion = 0;

int32_t ImportError(int32_t libraryError) {
  if (libraryError == kQtNoErr) return 0;
  return libraryError == kQtNoMemory ? kImportNoMemory : kImportFailed;
}

// The 10-byte header between big-endian and this machine's order (the same
// swap either way).
void SwapHeader(std::vector<uint8_t>& pict) {
  if (pict.size() >= kPictHeaderSize) SwapArray16(pict.data(), kPictHeaderSize / 2);
}

}  // namespace

uint32_t HasQuickTime() { return gQuickTimeVersion; }

namespace {

// Whether the command line asks that the picture library not start: "-s"
// from its second character up to the first double quote, or to the end
// of a line without one.
bool CommandLineRefusesPictures() {
  const char* line = GetCommandLineA();
  if (line == nullptr || line[0] == '\0') return false;
  for (const char* p = line + 1; *p != '\0' && *p != '"'; ++p) {
    if (p[0] == '-' && p[1] == 's') return true;
  }
  return false;
}

}  // namespace

uint32_t StartQuickTime() {
  // "-s" keeps the library off, but only on Windows 5.1, where it was a
  // remedy for that system.
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  const bool windows51 =
      GetVersionExA(&version) != 0 && version.dwMajorVersion == 5 && version.dwMinorVersion == 1;
  gQuickTimeVersion = CommandLineRefusesPictures() && windows51 ? 0 : kQtVersion;
  return gQuickTimeVersion;
}

void StopQuickTime() { gQuickTimeVersion = 0; }

int32_t CodecQualityStep(int32_t quality) {
  if (quality >= 1024) return 1024;
  if (quality == 1023) return 1023;
  if (quality >= 768) return 768;
  if (quality >= 512) return 512;
  if (quality >= 256) return 256;
  return 0;
}

uint32_t PictureKindFromMacType(int32_t kind) {
  switch (kind) {
    case kPictureKindPICT: return QtFourChar("PICT");
    case kPictureKindBMP: return QtFourChar("BMPf");
    case kPictureKindGIF: return QtFourChar("GIFf");
    case kPictureKindJPEG: return QtFourChar("JPEG");
    case kPictureKindTIFF: return QtFourChar("TIFF");
    case kImportKindPNG: return QtFourChar("PNGf");
    case kImportKindPhotoshop: return QtFourChar("8BPS");
    default: return 0;
  }
}

std::vector<uint8_t> ImportPictureData(const void* bytes, uint32_t size, uint32_t fileType,
                                       int32_t& error) {
  std::vector<uint8_t> pict;
  if (gQuickTimeVersion < kVersionForImport || bytes == nullptr) {
    error = kImportFailed;
    return pict;
  }
  error = ImportError(QtImportData(static_cast<const uint8_t*>(bytes), size, fileType, pict));
  if (error != 0) pict.clear();
  return pict;
}

std::vector<uint8_t> ReadPictureFile(const std::string& path, int32_t& error) {
  std::vector<uint8_t> pict;
  error = ImportError(gQuickTimeVersion == 0 ? kLibraryNotLoaded : QtImportFile(path, pict));
  if (error != 0) {
    pict.clear();
    return pict;
  }
  SwapHeader(pict);
  return pict;
}

int32_t ExportPictureFile(const std::string& path, const VPictPictureData& picture,
                          uint32_t fileType, bool askSettings, bool askFile,
                          std::string* newPath) {
  (void)askSettings;
  if (gQuickTimeVersion == 0) return kLibraryNotLoaded;
  // The picture goes to the library with its header big-endian.
  std::vector<uint8_t> pict = picture.StoredBytes();
  if (pict.size() < kPictHeaderSize) return kQtNoMemory;
  std::string chosen = path;
  if (askFile) {
    // The user chooses the file; the format stays the one asked for.
    char file[kTextLimit + 1] = {};
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.lpstrFilter = "Pictures\0*.*\0\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file;
    dialog.nMaxFile = sizeof file;
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_EXPLORER;
    if (!GetSaveFileNameA(&dialog)) return kExportCancelled;
    chosen = file;
  }
  if (chosen.empty() || chosen.size() > kTextLimit) return kQtFileNotFound;
  const int32_t err = QtExportFile(pict.data(), pict.size(), fileType, chosen);
  if (err == kQtNoErr && newPath != nullptr) *newPath = chosen;
  return err;
}

std::vector<std::unique_ptr<VQTComponentInfo>> ListGraphicsComponents(uint32_t componentType) {
  std::vector<std::unique_ptr<VQTComponentInfo>> list;
  if (gQuickTimeVersion < kVersionForImport) return list;
  for (const QtComponent& c : QtListComponents(componentType)) {
    auto info = std::make_unique<VQTComponentInfo>();
    info->fType = c.type;
    info->fSubtype = c.subtype;
    info->fName = c.name.substr(0, kTextLimit);
    info->fInfo = c.info.substr(0, kTextLimit);
    info->fFileType = c.fileType;
    info->fCreator = c.creator;
    info->fExtension = c.extension;
    list.push_back(std::move(info));
  }
  return list;
}

namespace {

constexpr int32_t kStreamError = -43;
// Bytes between the opcode's length word and the image description's end
// region where the JPEG data may begin.
constexpr uint32_t kCompressedDataLead = 82;

}  // namespace

int32_t ExtractJpegFromPictFile(const std::string& path, std::string* jpegPath) {
  std::vector<uint8_t> bytes;
  {
    std::ifstream in(path, std::ios::binary);
    if (!in) return kStreamError;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) return kStreamError;
  }
  if (bytes.size() > 0x7FFFFFFF) return kStreamError;
  const int32_t at = FindPictOpcodeInBytes(bytes.data(), uint32_t(bytes.size()), true, 0x8200);
  if (at < 0 || bytes.size() - size_t(at) < 6) return kStreamError;
  // The opcode's data, bounded by the file: the JPEG is looked for byte by
  // byte (its start-of-image marker and the first byte of the next marker)
  // and runs to the end of the data.
  const size_t dataStart = size_t(at) + 6;
  ByteSpanReader lengthWord(bytes.data() + size_t(at) + 2, 4, ByteSpanReader::Order::kBig);
  const size_t dataLength = lengthWord.U32();
  if (dataLength > bytes.size() - dataStart || dataLength < kCompressedDataLead) return kStreamError;
  const size_t dataEnd = dataStart + dataLength;
  size_t jpeg = dataEnd;
  for (size_t i = dataStart + kCompressedDataLead; i + 3 <= dataEnd; ++i) {
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xD8 && bytes[i + 2] == 0xFF) {
      jpeg = i;
      break;
    }
  }
  if (jpeg == dataEnd) return kStreamError;
  // The new name: the extension (after the last '.' of the file's name)
  // replaced by "jpg", or added when there is none.
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  const std::string renamed =
      (dot != std::string::npos && (slash == std::string::npos || dot > slash) ? path.substr(0, dot)
                                                                                : path) +
      ".jpg";
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return kStreamError;
    out.write(reinterpret_cast<const char*>(&bytes[jpeg]), std::streamsize(dataEnd - jpeg));
    if (!out.good()) return kStreamError;
  }
  if (renamed != path && std::rename(path.c_str(), renamed.c_str()) != 0) return kStreamError;
  if (jpegPath != nullptr) *jpegPath = renamed;
  return 0;
}

int32_t CompressPictureFile(const std::string& source, const std::string& target,
                            const VQTCompressionRecord& compression, bool showProgress,
                            bool extractJpeg) {
  (void)showProgress;
  if (gQuickTimeVersion == 0) return kLibraryNotLoaded;
  const int32_t step = CodecQualityStep(compression.quality);
  const int32_t err = QtCompressPictureFile(source, target, compression.codecType, step);
  if (err != kQtNoErr || !extractJpeg) return err;
  return ExtractJpegFromPictFile(target, nullptr);
}

int32_t ConvertPictureFileToJpeg(const std::string& source, const std::string& target,
                                 int32_t quality, bool showProgress) {
  VQTCompressionRecord compression;
  compression.codecType = QtFourChar("jpeg");
  compression.quality = quality;
  return CompressPictureFile(source, target, compression, showProgress, true);
}

int32_t CompressPicture(const VPictureShape& source, VPictureShape& target,
                        const VQTCompressionRecord& compression) {
  if (gQuickTimeVersion == 0) return kLibraryNotLoaded;
  const VPictureData* picture = source.GetPicture();
  if (picture == nullptr || !picture->HasData()) return kQtBadImage;
  // The source as a QuickTime picture (header big-endian): its own handle,
  // or a temporary value made from it.
  std::unique_ptr<VQTPictureData> temporary;
  uint32_t handle = picture->GetHandle();
  if (picture->GetPictureKind() != kPictureKindQuickTime) {
    temporary = std::make_unique<VQTPictureData>();
    temporary->SetFromPicture(*picture);
    handle = temporary->GetHandle();
  }
  std::vector<uint8_t> bytes;
  if (handle != 0) {
    const int32_t size = Tbx::GetHandleSize(handle);
    const Tbx::HandleLocker lock(handle);
    const auto* data = lock.As<const uint8_t>();
    if (data != nullptr && size > 0) bytes.assign(data, data + size);
  }
  if (bytes.empty()) return kQtNoMemory;
  std::vector<uint8_t> compressed;
  const int32_t err = QtCompressPicture(bytes.data(), bytes.size(), compression.codecType,
                                        CodecQualityStep(compression.quality), compressed);
  if (err != kQtNoErr) return err;
  auto result = std::make_unique<VQTPictureData>(compressed.data(), uint32_t(compressed.size()));
  if (!result->HasData()) return kQtNoMemory;
  target.SetPicture(result.release());
  return kQtNoErr;
}

std::string ChoosePictureFile() {
  char file[kTextLimit + 1] = {};
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.lpstrFilter = "Pictures\0*.jpg;*.jpeg;*.png;*.bmp;*.pct;*.pict\0\0";
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file;
  dialog.nMaxFile = sizeof file;
  dialog.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
  if (!GetOpenFileNameA(&dialog)) return std::string();
  return file;
}
