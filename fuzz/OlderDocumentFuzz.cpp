// Fuzz target of the older format's reader. The answer is 0, 1015 or 1032;
// on 1032 the document holding "keep" is as it was; every part read is whole items with a true position count and font
// indexes inside the font table.
#include <memory>
#include <vector>

#include "document/xMorvaDocument.h"
#include "document/xMorvaProperties.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "fuzz/DocumentFuzzSupport.h"
#include "fuzz/FuzzSupport.h"
#include "interchange/older/xMorvaV2import.h"

namespace {

using fuzzdoc::CheckPart;
using fuzzdoc::StartDocumentServices;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  StartDocumentServices();
  auto document = std::make_unique<xMorvaDocument>(nullptr);
  document->Reset(false);
  auto& body = *static_cast<xMorvaEngine*>(document->GetPart(kPartBody));
  for (char16_t c : {u'k', u'e', u'e', u'p'}) body.TypeCharacter(c);
  const std::vector<uint16_t> before = CheckPart(*document, kPartBody);
  xMorvaV2import reader;
  const int32_t code = reader.ImportV2Bytes(*document, data, uint32_t(size), true);
  if (code != 0 && code != kErrorV2Damaged && code != kErrorV2NotFound) __builtin_trap();
  if (code == kErrorV2NotFound && CheckPart(*document, kPartBody) != before) __builtin_trap();
  for (int16_t part = 0; part < kPartCount; ++part) CheckPart(*document, part);
  return 0;
}
