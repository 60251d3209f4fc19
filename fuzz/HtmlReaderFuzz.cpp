// Fuzz target of the HTML reader. The first byte chooses whether the page is
// read through a stream or from memory; a page read through a stream comes
// after leading spaces that put the fuzzed bytes across the end of the
// reader's first window, and must give the same stored document as the same
// page read from memory. The answer is always 0; the body is
// whole items with a true position count and font indexes inside the font
// table; a page without markup, references or bytes above 127 gives its
// visible characters in order, whitespace collapsed.
#include <memory>
#include <string>
#include <vector>

#include "document/xMorvaDocument.h"
#include "document/xMorvaProperties.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/streams/VMemoryStream.h"
#include "fuzz/DocumentFuzzSupport.h"
#include "fuzz/FuzzSupport.h"
#include "interchange/html/xMorvaImportHTML.h"

namespace {

using fuzzdoc::CheckPart;
using fuzzdoc::StartDocumentServices;

// The reader's window when it reads from a stream.
constexpr size_t kReadWindow = 64 * 1024;

// The element streams of every part, as stored.
std::vector<std::vector<uint8_t>> StoredParts(xMorvaDocument& document) {
  std::vector<std::vector<uint8_t>> parts;
  for (int16_t part = 0; part < kPartCount; ++part) {
    auto* engine = static_cast<xMorvaEngine*>(document.GetPart(part));
    std::vector<uint8_t> bytes;
    if (engine != nullptr && engine->GetStreamSize() != 0) {
      const uint8_t* stream = engine->LockStream();
      bytes.assign(stream, stream + engine->GetStreamSize());
      engine->UnlockStream();
    }
    parts.push_back(std::move(bytes));
  }
  return parts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  StartDocumentServices();
  FuzzInput input(data, size);
  const uint8_t choice = input.TakeByte();
  auto document = std::make_unique<xMorvaDocument>(nullptr);
  document->Reset(false);
  xMorvaImportHTML reader;
  int32_t code = 0;
  if ((choice & 1) != 0) {
    // Spaces at the start of a page show nothing.
    std::string page(kReadWindow - (choice >> 1), ' ');
    page.append(reinterpret_cast<const char*>(input.Rest()), input.RestSize());
    VMemoryStream stream(page.data(), uint32_t(page.size()));
    if (stream.OpenRead() != 0) __builtin_trap();
    code = reader.ImportHTMLDocument(*document, stream, "");
    stream.CloseRead();
    auto inMemory = std::make_unique<xMorvaDocument>(nullptr);
    inMemory->Reset(false);
    xMorvaImportHTML again;
    if (again.ImportHTMLBytes(*inMemory, reinterpret_cast<const uint8_t*>(page.data()), uint32_t(page.size()), "") != 0 ||
        StoredParts(*inMemory) != StoredParts(*document))
      __builtin_trap();
  } else {
    code = reader.ImportHTMLBytes(*document, input.Rest(), uint32_t(input.RestSize()), "");
  }
  if (code != 0) __builtin_trap();
  const std::vector<uint16_t> units = CheckPart(*document, kPartBody);

  bool plain = true;
  std::vector<uint16_t> visible;
  for (size_t i = 0; i < input.RestSize(); ++i) {
    const uint8_t c = input.Rest()[i];
    if (c == '<' || c == '&' || c >= 128) plain = false;
    if (c > 32 && c < 128) visible.push_back(c);
  }
  if (plain) {
    std::vector<uint16_t> shown;
    for (uint16_t unit : units)
      if (unit != ' ') shown.push_back(unit);
    if (shown != visible) __builtin_trap();
  }
  return 0;
}
