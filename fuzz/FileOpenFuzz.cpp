// Fuzz target of opening a file the way the open commands do: the input
// becomes a file that is opened into a document holding "keep", with every
// reader of the import layer registered, once when its type says nothing
// (read by its content) and once under each type a user may give a file
// by its name (Word, RTF, HTML). The open answers one of its codes; a file
// it refuses leaves "keep" as it was, and every part it fills is whole. A
// file that is no text (by the open's one text test) opens under the RTF or
// HTML type only when it begins as an RTF file (a page is a text), and
// never opens by its content alone unless it is a document; typed as
// UTF-16, it opens only when it is a UTF-16 text. The RTF reader
// reads nothing that does not open as RTF, and a file read as text reads
// the same by every type.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "area/files/xMorvaOpenSave.h"
#include "document/xMorvaDocument.h"
#include "engine/xMorvaEngine.h"
#include "framework/system/files/VFile.h"
#include "fuzz/DocumentFuzzSupport.h"
#include "fuzz/FuzzSupport.h"
#include "interchange/html/xMorvaHtmlFormats.h"
#include "interchange/older/xMorvaOlderFormats.h"
#include "interchange/rtf/xMorvaRtfFormats.h"
#include "interchange/text/xMorvaTextFormats.h"
#include "interchange/word/xMorvaWordFormats.h"

namespace {

bool KnownCode(int32_t code) {
  for (int32_t known : {0, 1015, 1032, 1041, 1095, 1096, 1097, 1100})
    if (code == known) return true;
  return false;
}

// One file for every input, in a folder of its own, made once and removed
// when the program ends.
class InputFolder {
 public:
  InputFolder() {
    char pattern[] = "/tmp/qvfileopenXXXXXX";
    if (mkdtemp(pattern) != nullptr) fFolder = pattern;
  }
  ~InputFolder() {
    if (fFolder.empty()) return;
    std::remove(Path().c_str());
    rmdir(fFolder.c_str());
  }
  InputFolder(const InputFolder&) = delete;
  InputFolder& operator=(const InputFolder&) = delete;
  std::string Path() const { return fFolder.empty() ? std::string() : fFolder + "/input"; }

 private:
  std::string fFolder;
};

// Whether the input is a text as the open tells one for the RTF and HTML
// readers, or opens as a file of theirs (behind blanks): what such a type
// may open.
bool MayOpenAs(uint32_t type, const uint8_t* data, size_t size) {
  if (size < 2) return true;
  size_t at = 0;
  while (at < size && (data[at] == ' ' || data[at] == '\t' || data[at] == '\r' || data[at] == '\n' ||
                       data[at] == '\f' || data[at] == 0xEF || data[at] == 0xBB || data[at] == 0xBF))
    ++at;
  if (type == FourCC("RTF ") && size - at >= 5 && std::memcmp(data + at, "{\\rtf", 5) == 0)
    return true;
  return IsTextSample(data, uint32_t(size < 4096 ? size : 4096), false);
}

// Whether the input opens as RTF: "{\\rtf" behind blanks and a UTF-8 mark.
bool OpensAsRtf(const uint8_t* data, size_t size) {
  size_t at = size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF ? 3 : 0;
  while (at < size && (data[at] == ' ' || data[at] == '\t' || data[at] == '\r' || data[at] == '\n' || data[at] == '\f'))
    ++at;
  return size - at >= 5 && std::memcmp(data + at, "{\\rtf", 5) == 0;
}

const std::string& InputPath() {
  static const InputFolder folder;
  static const std::string path = folder.Path();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  fuzzdoc::StartDocumentServices();
  static const bool installed = [] {
    InstallTextFormats();
    InstallRtfFormats();
    InstallHtmlFormats();
    InstallOlderFormats();
    InstallWordFormats();
    return true;
  }();
  (void)installed;
  const std::string& path = InputPath();
  if (path.empty()) return 0;
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return 0;
  const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
  if (std::fclose(file) != 0 || !written) return 0;

  // The units of the first road that read the file as text: every other
  // road that reads it as text reads the same.
  std::vector<uint16_t> asText;
  bool readAsText = false;
  for (uint32_t given : {0u, FourCC("DOC8"), FourCC("RTF "), FourCC("HTML"), kTypeTextUnicode}) {
    auto document = std::make_unique<xMorvaDocument>(nullptr);
    document->Reset(false);
    auto& body = *static_cast<xMorvaEngine*>(document->GetPart(kPartBody));
    for (char16_t c : {u'k', u'e', u'e', u'p'}) body.TypeCharacter(c);
    const std::vector<uint16_t> before = fuzzdoc::CheckPart(*document, kPartBody);
    xMorvaKeptFile kept;
    uint32_t type = given;
    const int32_t code =
        OpenDocumentFile(*document, kept, std::make_unique<VFile>(path.c_str()), type, nullptr);
    if (!KnownCode(code)) std::abort();
    const bool opened = code == 0 || code == 1097 || code == 1100;
    if (opened != (kept.Get() != nullptr)) std::abort();
    if (!opened && fuzzdoc::CheckPart(*document, kPartBody) != before) std::abort();
    // What the reader of a named type read, it read as its own or as text.
    if (opened && (type == FourCC("RTF ") || type == FourCC("HTML")) && given != 0 &&
        !MayOpenAs(type, data, size))
      std::abort();
    // What was read as text by its content alone is a text.
    const uint32_t sample = uint32_t(size < 4096 ? size : 4096);
    if (opened && given == 0 && (type == kTypeTextWindows || type == kTypeTextUnicode) &&
        !IsTextSample(data, sample, type == kTypeTextUnicode))
      std::abort();
    // What was read as UTF-16 because its type says so (a document is
    // still known by its content) is a UTF-16 text in the order it was read
    // in; without a mark it may be an 8-bit text too, read otherwise by the
    // other roads.
    const bool marked =
        size >= 2 && ((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF));
    if (opened && given == kTypeTextUnicode && type == kTypeTextUnicode &&
        !IsTextSample(data, sample, true))
      std::abort();
    // The RTF reader reads what opens as RTF and nothing else (a text is
    // read as text, and whatever else is refused).
    if (opened && type == FourCC("RTF ") && !OpensAsRtf(data, size)) std::abort();
    if (opened && (type == kTypeTextWindows || type == kTypeTextUnicode) &&
        (given != kTypeTextUnicode || marked)) {
      const std::vector<uint16_t> units = fuzzdoc::CheckPart(*document, kPartBody);
      if (readAsText && units != asText) std::abort();
      asText = units;
      readAsText = true;
    }
    for (int16_t part = 0; part < kPartCount; ++part) fuzzdoc::CheckPart(*document, part);
  }
  return 0;
}
