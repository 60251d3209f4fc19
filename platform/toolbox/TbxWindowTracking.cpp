// Tracking of the menu bar.
#include "platform/toolbox/TbxWindowTracking.h"

#include "platform/toolbox/TbxMenus.h"
#include "platform/win32/WinInput.h"

namespace Tbx {

namespace {

// A scripted button comes up by itself when the script runs out; without a
// script a button held down would hold a loop for ever, so the polls are
// bounded.
constexpr int32_t kMaxPolls = 1 << 20;

// Polls until the left button is up.
void TrackUntilUp() {
  for (int32_t polls = 0; polls < kMaxPolls; ++polls) {
    if (GetAsyncKeyState(VK_LBUTTON) >= 0) break;
  }
}

}  // namespace

int32_t MenuSelect(Point) {
  TrackUntilUp();
  return SelectFromMenuBar();
}

void HiliteMenu(int16_t) {}

}  // namespace Tbx
