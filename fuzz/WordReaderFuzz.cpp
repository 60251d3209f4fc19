// Fuzz target of the Word reader over a whole compound file. The text pass
// answers one of its codes, and a body it reads holds no marker, no line
// feed and no more characters than the file has bytes. The whole import
// then runs into a document holding "keep": it answers the same codes,
// leaves "keep" as it was when it fails, and every part it fills is whole.
// A document read is written as Word and read back twice: the second trip
// reads what the first read, every band, the page, the facing and title
// page flags and every part.
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "document/xMorvaDocParams.h"
#include "document/xMorvaDocument.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "fuzz/DocumentFuzzSupport.h"
#include "fuzz/FuzzSupport.h"
#include "interchange/word/xMorvaExportWord.h"
#include "interchange/word/xMorvaImportWord.h"

namespace {

bool KnownCode(int32_t code) {
  return code == 0 || code == kWordNotWord || code == kWordNoMemory || code == kWordUnreadable ||
         code == kWordFastSaved;
}

// The document written as Word and read into a new one.
std::unique_ptr<xMorvaDocument> Trip(xMorvaDocument& from) {
  VMemHandle handle = gMemoryMgr->NewEmptyHandle();
  {
    VHandleStream file(handle);
    xMorvaExportWord writer;
    if (writer.ExportWordDocument(&from, &file) != 0) std::abort();
    file.CloseWrite(0);
  }
  auto to = std::make_unique<xMorvaDocument>(nullptr);
  to->Reset(false);
  {
    VHandleStream file(handle);
    xMorvaImportWord reader;
    if (reader.ImportWordDocument(to.get(), &file) != 0) std::abort();
    file.CloseRead();
  }
  gMemoryMgr->DisposeHandle(handle);
  return to;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  fuzzdoc::StartDocumentServices();
  if (size == 0) return 0;
  VMemHandle handle = gMemoryMgr->NewHandleFromData(data, uint32_t(size));
  std::u16string body;
  int32_t code;
  {
    VHandleStream file(handle);
    xMorvaImportWord reader;
    code = reader.ReadWordText(file, body);
    file.CloseRead();
  }
  if (!KnownCode(code)) std::abort();
  if (code != 0 && !body.empty()) std::abort();
  if (body.size() > size) std::abort();
  for (char16_t c : body)
    if (c == 0x13 || c == 0x14 || c == 0x15 || c == 0x01 || c == 0x07 || c == u'\n') std::abort();

  auto document = std::make_unique<xMorvaDocument>(nullptr);
  document->Reset(false);
  auto& kept = *static_cast<xMorvaEngine*>(document->GetPart(kPartBody));
  for (char16_t c : {u'k', u'e', u'e', u'p'}) kept.TypeCharacter(c);
  const std::vector<uint16_t> before = fuzzdoc::CheckPart(*document, kPartBody);
  int32_t imported;
  {
    VHandleStream file(handle);
    xMorvaImportWord reader;
    imported = reader.ImportWordDocument(document.get(), &file);
    file.CloseRead();
  }
  gMemoryMgr->DisposeHandle(handle);
  if (!KnownCode(imported)) std::abort();
  // The text pass and the import read the same structures.
  if ((imported == 0) != (code == 0)) std::abort();
  if (imported != 0 && fuzzdoc::CheckPart(*document, kPartBody) != before) std::abort();
  for (int16_t part = 0; part < kPartCount; ++part) fuzzdoc::CheckPart(*document, part);
  if (imported != 0) return 0;
  const auto first = Trip(*document);
  const auto second = Trip(*first);
  const xMorvaDocParams& one = first->GetParams();
  const xMorvaDocParams& two = second->GetParams();
  for (bool firstPage : {false, true})
    if (!(one.GetBands(firstPage) == two.GetBands(firstPage))) std::abort();
  if (one.GetPageWidth() != two.GetPageWidth() || one.GetPageHeight() != two.GetPageHeight() ||
      one.GetDifferentLeftRight() != two.GetDifferentLeftRight() ||
      one.GetDifferentFirstPage() != two.GetDifferentFirstPage())
    std::abort();
  for (int16_t part = 0; part < kPartCount; ++part)
    if (fuzzdoc::CheckPart(*first, part) != fuzzdoc::CheckPart(*second, part)) std::abort();
  return 0;
}
