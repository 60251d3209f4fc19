// Fuzz target of the dock description reader ('XDOK' bytes in native
// order): the description read, then the same bytes rewritten from a dock
// holding two bars, as the saved layout does.
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "views/VDockView.h"
#include "fuzz/FuzzSupport.h"

namespace {

class FuzzBar : public VDockBar {
 public:
  FuzzBar(VFrame* parent, int16_t id) : VDockBar(parent) {
    SetResourceId(id);
    ResizeTo(40, 20, 0);
  }
  void GetFloatingSize(int32_t& w, int32_t& h) override { w = h = 20; }
  int32_t GetDockedLength(bool) override { return 40; }
  int32_t GetDockedThickness(bool) override { return 20; }
  void SetDockSide(int16_t) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  VDockDescription description;
  ReadDockDescription(data, size, description);
  const VMemHandle block = gMemoryMgr->NewHandleClear(0, 0);
  if (block == 0) return 0;
  {
    VMemoryResourceFile memory(block, 1);
    memory.AddResource(FourCC("XDOK"), 1, nullptr, data, static_cast<uint32_t>(size));
    VDockView dock(nullptr);
    dock.ResizeTo(200, 100, 0);
    dock.DockBar(new FuzzBar(&dock, description.menuBarId), kDockTop, kDockNoPosition,
                 kDockNoPosition, true);
    dock.DockBar(new FuzzBar(&dock, 9), kDockLeft, kDockNoPosition, kDockNoPosition, true);
    dock.WriteDockLayout(memory, 1);
  }
  gMemoryMgr->DisposeHandle(block);
  return 0;
}
