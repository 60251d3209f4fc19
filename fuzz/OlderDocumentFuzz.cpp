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
#include "fuzz/FuzzSupport.h"
#include "interchange/older/xMorvaV2import.h"

namespace {

void StartDocumentServices() {
  static xMorvaDocumentEngineServices engine;
  static bool started = false;
  if (started) return;
  started = true;
  VService<xMorvaEngineServices>::Install(&engine);
}

std::vector<uint16_t> CheckPart(xMorvaDocument& document, int16_t part) {
  auto& engine = *static_cast<xMorvaEngine*>(document.GetPart(part));
  std::vector<uint16_t> units;
  const uint32_t size = engine.GetStreamSize();
  const uint8_t* stream = size != 0 ? engine.LockStream() : nullptr;
  for (uint32_t at = 0; at < size;) {
    const StreamItem item = ReadStreamItem(stream + at, size - at);
    if (item.size == 0 || item.size > size - at) __builtin_trap();
    if (item.kind == StreamItem::kRecord) {
      if (item.size != kRecordSize) __builtin_trap();
      if (item.unit == kPropFont && (int32_t(item.value) < 1 || int32_t(item.value) > document.GetFontCount()))
        __builtin_trap();
    } else {
      if (item.kind == StreamItem::kElement && item.size != kElementHeadSize + uint64_t(StreamLong(stream + at + 4)))
        __builtin_trap();
      units.push_back(item.unit);
    }
    at += item.size;
  }
  if (stream != nullptr) engine.UnlockStream();
  if (int32_t(units.size()) != engine.GetLength()) __builtin_trap();
  return units;
}

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
