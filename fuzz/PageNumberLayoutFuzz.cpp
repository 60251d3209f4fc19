// Fuzz target of the layout of page numbers in a header or footer line: the
// input is the line's element stream (as a document stored it), in a block
// of its own size; its tabs are reset and its page numbers laid out for the
// page the first byte chooses, never touching a byte outside the block.
#include <cstring>
#include <memory>

#include "document/xMorvaDocument.h"
#include "document/xMorvaLineMeasure.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "fuzz/FuzzSupport.h"

namespace {

class FixedWidths : public xMorvaLineMeasure {
 public:
  void ResetRunState() override {}
  void ApplyProperty(uint16_t, int32_t) override {}
  double MeasureCharWidth(char16_t unit) override { return 4 + (unit & 7); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  static xMorvaDocumentEngineServices engines;
  static VInstalledService<xMorvaEngineServices> installed(&engines);
  static xMorvaDocument* document = new xMorvaDocument(nullptr);
  FuzzInput input(data, size);
  const int32_t page = input.TakeByte();
  const size_t length = input.RestSize();
  std::unique_ptr<uint8_t[]> line(new uint8_t[length == 0 ? 1 : length]);
  if (length != 0) std::memcpy(line.get(), input.Rest(), length);
  FixedWidths measure;
  xMorvaDocument::ResetTabElements(line.get(), line.get() + length);
  document->AdjustTabsForPageNumbers(measure, page, line.get(), line.get() + length);
  return 0;
}
