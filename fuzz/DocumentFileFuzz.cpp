// Fuzz target of the own document file. Any bytes are read into a document
// that already holds text: the answer is one of the reader's codes; bytes
// that are not the format leave the document as it was; a document read
// (whole or repaired) writes, with its informations record, and what it
// writes reads back and writes the same bytes again (the modification
// stamp aside); every sheet read has a name, and no two of the names the
// forms show of its sheets are the same.
#include <memory>
#include <vector>

#include "area/files/xMorvaDocumentFile.h"
#include "area/view/xMorvaPicturesInPage.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaStyleSheet.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/containers/VStringArray.h"
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

// The names the whole-name records beside the sheets give: the forms'
// names are all different, case aside.
void CheckSheetNames(xMorvaDocument& document) {
  VStringArray forms;
  document.FillStyleSheetFormList(forms);
  if (forms.Count() != document.StyleSheetCount()) __builtin_trap();
  for (int32_t i = 1; i <= forms.Count(); ++i) {
    for (int32_t j = i + 1; j <= forms.Count(); ++j) {
      if (SameStyleSheetName(*forms.GetAt(i), *forms.GetAt(j))) __builtin_trap();
    }
  }
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
  CheckSheetNames(*document);
  const std::vector<uint8_t> written = Write(*document);
  // Every file written holds its informations, stamp and all.
  if (documentstamp::InformationsAt(written) == SIZE_MAX) __builtin_trap();
  auto again = std::make_unique<xMorvaDocument>(nullptr);
  again->Reset(false);
  if (Read(*again, written.data(), written.size()) != 0) __builtin_trap();
  if (WithoutStamp(Write(*again)) != WithoutStamp(written)) __builtin_trap();
  return 0;
}
