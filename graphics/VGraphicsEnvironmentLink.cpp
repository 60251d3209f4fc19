// The system environment's link to rectangles and look painters.
#include "graphics/VGraphicsEnvironmentLink.h"

#include "framework/system/environment/VEnvironmentLinks.h"
#include "graphics/VLookPainter.h"
#include "graphics/VShape.h"
#include "graphics/pictures/VQuickTimePictures.h"
#include "platform/toolbox/TbxEnvironment.h"

namespace {

class GraphicsEnvironmentLink final : public VEnvironmentGraphics {
 public:
  void SetRectPosition(VRect& rect, int32_t x, int32_t y) override { rect.SetPosition(x, y); }
  void SetRectSize(VRect& rect, int32_t width, int32_t height) override {
    rect.SetSize(width, height);
  }
  void GetRectSize(const VRect& rect, int32_t& width, int32_t& height) override {
    width = rect.GetWidth();
    height = rect.GetHeight();
  }
  void RectToMacRect(const VRect& rect, Tbx::Rect& out) override {
    VMacRect mac{};
    rect.ToMacRect(mac);
    out = Tbx::Rect{mac.top, mac.left, mac.bottom, mac.right};
  }
  VLookPainter* GetLookPainter(int32_t index) override {
    if (index < 0 || index >= kLookPainterCount) return nullptr;
    return gLookPainters[index];
  }
  // True once the picture import and export library has started.
  bool PictureLibraryStarted() override { return HasQuickTime() != 0; }
};

GraphicsEnvironmentLink sLink;

}  // namespace

VEnvironmentGraphics* GraphicsEnvironmentLink() { return &sLink; }
