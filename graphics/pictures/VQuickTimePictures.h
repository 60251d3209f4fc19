// The picture import and export services: pictures of other formats read
// into PICTs, PICTs written to files of other formats, the list of importers
// and exporters, all through the platform's picture library. Started once at
// module start; without the library every operation gives nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/VObject.h"

class VPictPictureData;
class VPictureShape;

// The picture library's version, 0 while it is not started.
uint32_t HasQuickTime();
// Starts the library and answers its version.
uint32_t StartQuickTime();
// Forgets the library: every operation is inert again.
void StopQuickTime();

// A requested quality turned into one of the codec's quality steps: 1024
// and more lossless (1024), 1023 maximum, 768 high, 512 normal, 256 low,
// below 256 minimum (0).
int32_t CodecQualityStep(int32_t quality);

// The Macintosh file type whose importer reads a picture kind; 0 for a kind
// that cannot be imported.
uint32_t PictureKindFromMacType(int32_t kind);

// Error words of the imports: 0, 100 (no memory) and 600 (any other
// failure).
constexpr int32_t kImportNoMemory = 100;
constexpr int32_t kImportFailed = 600;
// The answer of an export whose file the user did not choose.
constexpr int32_t kExportCancelled = -128;

// Data of a Macintosh file type imported into a PICT (whole picture, header
// big-endian); empty with `error` 100 or 600 on failure. Nothing below
// version 3.
std::vector<uint8_t> ImportPictureData(const void* bytes, uint32_t size, uint32_t fileType,
                                       int32_t& error);
// A picture file read into a PICT whose header is in this machine's order;
// empty with `error` 100 or 600 on failure.
std::vector<uint8_t> ReadPictureFile(const std::string& path, int32_t& error);

// The PICT value written to the file at `path` in the format of `fileType`;
// the library's error code (0 on success, -108 when the picture cannot be
// had). With `askFile` the user chooses the file through the save chooser
// (`path` is then not used); a cancelled choice answers kExportCancelled
// and writes nothing. `askSettings` would show the exporter's settings; the
// library's exporters have none. `newPath`, when given, receives the file
// written. A path of more than 255 characters answers -43.
int32_t ExportPictureFile(const std::string& path, const VPictPictureData& picture,
                          uint32_t fileType, bool askSettings, bool askFile,
                          std::string* newPath);

// One installed importer or exporter.
class VQTComponentInfo : public VObject {
 public:
  uint32_t fType = 0;
  uint32_t fSubtype = 0;
  std::string fName;  // at most 255 characters
  std::string fInfo;  // at most 255 characters
  uint32_t fFileType = 0;
  uint32_t fCreator = 0;
  uint32_t fExtension = 0;
};

// The importers ('grip') or exporters ('grex') installed; empty below
// version 3 or for another type.
std::vector<std::unique_ptr<VQTComponentInfo>> ListGraphicsComponents(uint32_t componentType);

// How a picture is compressed: the codec's type, the codec (0 for any), the
// colour depth and the requested quality (turned into a quality step).
struct VQTCompressionRecord {
  uint32_t codecType = 0;
  uint32_t codec = 0;
  int16_t depth = 0;
  int32_t quality = 0;
};

// The picture file at `source` compressed into a PICT file at `target` (the
// same file allowed). With `extractJpeg`, the JPEG data are then pulled out
// of the target into a file of their own, named with the extension "jpg".
// The library's error; -43 when the JPEG data cannot be extracted, the
// target then left as the library wrote it. `showProgress` asks for the
// progress window, which this library does not show.
int32_t CompressPictureFile(const std::string& source, const std::string& target,
                            const VQTCompressionRecord& compression, bool showProgress,
                            bool extractJpeg);
// A picture file turned into a JPEG file named after `target` with the
// extension "jpg".
int32_t ConvertPictureFileToJpeg(const std::string& source, const std::string& target,
                                 int32_t quality, bool showProgress);
// The JPEG data of the compressed-data opcode of the PICT file at `path`
// written over the file, which is then renamed with the extension "jpg"
// (its name is put in `jpegPath`). -43 when the file holds no such JPEG:
// it is then left as it was.
int32_t ExtractJpegFromPictFile(const std::string& path, std::string* jpegPath);

// The picture of `source` compressed with the record's codec and quality
// step; on success `target` keeps the compressed QuickTime picture (its
// former picture deleted). A picture of another kind is first turned into a
// QuickTime picture. The library's error; the shapes are unchanged on
// failure.
int32_t CompressPicture(const VPictureShape& source, VPictureShape& target,
                        const VQTCompressionRecord& compression);

// A picture file chosen by the user through the open chooser; empty when
// the choice is cancelled.
std::string ChoosePictureFile();
