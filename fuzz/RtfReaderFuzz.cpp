// Fuzz target of the RTF reader. The first byte chooses: bit 0 the bytes are
// pasted into a document holding "keep" with "ee" selected, else they are
// opened as a file; bit 1 a file is read through a stream, in windows,
// rather than from memory. The answer is 0 or 1015; every part read is whole items
// with a true position count and font indexes inside the font table; a
// failed paste leaves the text as it was; a document opened is written as
// RTF, and that reads back to the same body text; written and read once
// more, it keeps the footer's band and the bottom margin.
#include <memory>
#include <vector>

#include "document/xMorvaDocParams.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaUndo.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/streams/VMemoryStream.h"
#include "fuzz/DocumentFuzzSupport.h"
#include "fuzz/FuzzSupport.h"
#include "interchange/rtf/xMorvaExportRTF.h"
#include "interchange/rtf/xMorvaImportRTF.h"

namespace {

using fuzzdoc::CheckPart;
using fuzzdoc::StartDocumentServices;

xMorvaEngine& Part(xMorvaDocument& document, int16_t part) {
  return *static_cast<xMorvaEngine*>(document.GetPart(part));
}

std::vector<uint8_t> Export(xMorvaDocument& document) {
  VMemHandle handle = 0;
  VHandleStream stream(handle);
  if (stream.OpenWrite() != 0) __builtin_trap();
  xMorvaExportRTF writer;
  if (!writer.ExportRtf(document, stream, false)) __builtin_trap();
  stream.CloseWrite(1);
  std::vector<uint8_t> bytes;
  const uint32_t size = handle != 0 ? gMemoryMgr->GetHandleSize(handle) : 0;
  if (size != 0) {
    const auto* data = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(handle));
    bytes.assign(data, data + size);
    gMemoryMgr->UnlockHandle(handle);
  }
  if (handle != 0) gMemoryMgr->DisposeHandle(handle);
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  StartDocumentServices();
  FuzzInput input(data, size);
  const uint8_t choice = input.TakeByte();
  const bool paste = (choice & 1) != 0;
  auto document = std::make_unique<xMorvaDocument>(nullptr);
  document->Reset(false);
  xMorvaImportRTF reader;
  if (paste) {
    document->GetUndo()->Resume();
    xMorvaEngine& body = Part(*document, kPartBody);
    for (char16_t c : {u'k', u'e', u'e', u'p'}) body.TypeCharacter(c);
    body.SetSelection(1, 3);
    const std::vector<uint16_t> before = CheckPart(*document, kPartBody);
    const int32_t code = reader.ImportRtfBytes(*document, input.Rest(), uint32_t(input.RestSize()), true);
    if (code != 0 && code != 1015) __builtin_trap();
    const std::vector<uint16_t> after = CheckPart(*document, kPartBody);
    if (code != 0 && after != before) __builtin_trap();
    return 0;
  }
  int32_t code = 0;
  if ((choice & 2) != 0) {
    VMemoryStream stream(input.Rest(), uint32_t(input.RestSize()));
    if (stream.OpenRead() != 0) __builtin_trap();
    code = reader.ImportRtf(*document, stream, false);
    stream.CloseRead();
  } else {
    code = reader.ImportRtfBytes(*document, input.Rest(), uint32_t(input.RestSize()), false);
  }
  if (code != 0 && code != 1015) __builtin_trap();
  for (int16_t part = 0; part < kPartCount; ++part) CheckPart(*document, part);
  const std::vector<uint8_t> written = Export(*document);
  auto again = std::make_unique<xMorvaDocument>(nullptr);
  again->Reset(false);
  xMorvaImportRTF second;
  if (second.ImportRtfBytes(*again, written.data(), uint32_t(written.size()), false) != 0) __builtin_trap();
  if (CheckPart(*again, kPartBody) != CheckPart(*document, kPartBody)) __builtin_trap();
  // What the first trip read, a second reads again: the footer's band and
  // the bottom margin of both kinds of page, so the \footery written is
  // the same too.
  const std::vector<uint8_t> rewritten = Export(*again);
  auto third = std::make_unique<xMorvaDocument>(nullptr);
  third->Reset(false);
  xMorvaImportRTF last;
  if (last.ImportRtfBytes(*third, rewritten.data(), uint32_t(rewritten.size()), false) != 0) __builtin_trap();
  for (bool firstPage : {false, true}) {
    const xMorvaPageBands& one = again->GetParams().GetBands(firstPage);
    const xMorvaPageBands& two = third->GetParams().GetBands(firstPage);
    if (one.footerTop != two.footerTop || one.footerBottom != two.footerBottom ||
        one.bottomMargin != two.bottomMargin)
      __builtin_trap();
  }
  return 0;
}
