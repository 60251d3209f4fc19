// The picture services over the platform's picture library.
#include "graphics/pictures/VQuickTimePictures.h"

#include "framework/core/streams/ByteSwap.h"
#include "graphics/pictures/VPictPictureData.h"
#include "platform/quicktime/QtPictures.h"

namespace {

constexpr uint32_t kVersionForImport = 0x03000000;
// A call made while the library is not started: what the library answers
// when it cannot be loaded.
constexpr int32_t kLibraryNotLoaded = -2095;
constexpr uint32_t kPictHeaderSize = 10;
constexpr size_t kTextLimit = 255;

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

uint32_t StartQuickTime() {
  gQuickTimeVersion = kQtVersion;
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
    case 1: return QtFourChar("PICT");
    case 100: return QtFourChar("BMPf");
    case 101: return QtFourChar("GIFf");
    case 103: return QtFourChar("JPEG");
    case 104: return QtFourChar("TIFF");
    case 107: return QtFourChar("PNGf");
    case 108: return QtFourChar("8BPS");
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
  if (askFile) return kExportCancelled;
  if (path.empty() || path.size() > kTextLimit) return kQtFileNotFound;
  const int32_t err = QtExportFile(pict.data(), pict.size(), fileType, path);
  if (err == kQtNoErr && newPath != nullptr) *newPath = path;
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
