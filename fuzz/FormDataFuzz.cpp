// Fuzz target of the form data check (the bytes a host hands a plug-in with
// its form object, in either byte order): the first byte chooses whether
// the data reaches an output object through a form record or the
// document manager alone; the rest is the data.
#include "boundary/HostRecords.h"
#include "boundary/HostSelectors.h"
#include "views/VPlugInDocMgr.h"
#include "views/VPlugInKinds.h"
#include "fuzz/FuzzSupport.h"

namespace {

class Manager : public VPlugInDocMgr {
 public:
  uint32_t GetSignature() override { return FourCC("XMOR"); }
  uint32_t GetVersion() override { return 0x067000F1; }
};

class Output : public VOutputPlugIn {
 public:
  using VOutputPlugIn::VOutputPlugIn;
  VPlugInDocMgr* NewDocMgr() override { return new Manager(); }
  void SetData(const void* data, uint32_t size) override {
    // Accepted data is read whole, as a leaf would.
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (uint32_t i = 0; i < size; ++i) sum += bytes[i];
  }
  uint32_t sum = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  if (size == 0) return 0;
  const bool throughRecord = (data[0] & 1) != 0;
  ++data;
  --size;
  Manager manager;
  (void)manager.AcceptsFormData(data, size);
  if (!throughRecord) return 0;
  HostAreaRecord area{};
  area.version = 0x606;
  area.data = HostAddress(data);
  area.dataSize = static_cast<uint32_t>(size);
  HostEventRecord record{};
  record.what = kAreaEventCreateFromRecord;
  record.message = HostAddress(&area);
  void* cell = nullptr;
  void* params[kAreaEventParamCount] = {&record, nullptr, nullptr, &cell};
  Output output(nullptr, params);
  output.DrawOutput(params);
  return 0;
}
