// The system environment's link to events, shortcuts and window views.
#include "views/VViewsEnvironmentLink.h"

#include "framework/system/environment/VEnvironmentLinks.h"
#include "views/VEvent.h"
#include "views/VShortcut.h"
#include "views/VWindowView.h"

namespace {

class ViewsEnvironmentLink final : public VEnvironmentViews {
 public:
  void GetClickFacts(const VEvent& event, bool& buttonUp, int32_t& x, int32_t& y,
                     uint32_t& when) override {
    buttonUp = event.IsButtonUp();
    event.Get(x, y);
    when = event.GetWhen();
  }
  VShortcut* NewShortcut(const VHostEventRecord& record) override {
    return new VShortcut(record);
  }
  void GetBorderWidths(const VWindowView& window, int16_t& left, int16_t& top, int16_t& right,
                       int16_t& bottom) override {
    window.GetFrameInsets(left, top, right, bottom);
  }
};

ViewsEnvironmentLink sLink;

}  // namespace

VEnvironmentViews* ViewsEnvironmentLink() { return &sLink; }
