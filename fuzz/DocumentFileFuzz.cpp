// Fuzz target of the own document file. Any bytes are read into a document
// that already holds text: the answer is one of the reader's codes; bytes
// that are not the format leave the document as it was; a document read
// (whole or repaired) writes, with its informations record, and what it
// writes reads back and writes the same bytes again (the modification
// stamp aside).
#include <memory>
#include <vector>

#include "area/files/xMorvaDocumentFile.h"
#include "area/view/xMorvaPicturesInPage.h"
#include "document/xMorvaDocument.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/streams/VMemoryStream.h"
#include "framework/core/values/VPictureMaker.h"
#include "fuzz/FuzzSupport.h"
#include "graphics/pictures/VPictureData.h"
#include "testsupport/DocumentStamp.h"

namespace {

void StartDocumentServices() {
  static xMorvaDocumentEngineServices engine;
  static xMorvaPicturesInPageMaker pictures;
  static bool started = false;
  if (started) return;
  started = true;
  VService<xMorvaEngineServices>::Install(&engine);
  VService<xMorvaPagePicturesMaker>::Install(&pictures);
  VService<const VPictureMaker>::Install(&kPictureValueMaker);
}

// Every write stamps the informations with the time of writing; two writes
// are compared with that stamp zeroed where the informations record holds it.
using documentstamp::WithoutStamp;

std::vector<uint8_t> Write(xMorvaDocument& document) {
  bool ok = false;
  std::vector<uint8_t> bytes =
      WrittenBytes([&](VStream& stream) { return WriteDocument(document, stream, false, true); }, false, &ok);
  if (!ok) __builtin_trap();
  return bytes;
}

int32_t Read(xMorvaDocument& document, const uint8_t* data, size_t size) {
  VMemoryStream stream(data, uint32_t(size));
  if (stream.OpenRead() != 0) return -1;
  const int32_t code = ReadDocument(document, stream, false);
  stream.CloseRead();
  return code;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  StartDocumentServices();
  auto document = std::make_unique<xMorvaDocument>(nullptr);
  document->Reset(false);
  static_cast<xMorvaEngine*>(document->GetPart(kPartBody))->TypeCharacter(u'k');
  const std::vector<uint8_t> before = Write(*document);
  const int32_t code = Read(*document, data, size);
  if (code != 0 && code != kErrorNotThisFormat && code != kErrorDamagedData && code != kErrorRepairedData) {
    __builtin_trap();
  }
  if (code == kErrorNotThisFormat && WithoutStamp(Write(*document)) != WithoutStamp(before)) __builtin_trap();
  if (code != 0 && code != kErrorRepairedData) return 0;
  const std::vector<uint8_t> written = Write(*document);
  // Every file written holds its informations, stamp and all.
  if (documentstamp::InformationsAt(written) == SIZE_MAX) __builtin_trap();
  auto again = std::make_unique<xMorvaDocument>(nullptr);
  again->Reset(false);
  if (Read(*again, written.data(), written.size()) != 0) __builtin_trap();
  if (WithoutStamp(Write(*again)) != WithoutStamp(written)) __builtin_trap();
  return 0;
}
