// The virtual screens and the system metrics. The placement, stacking and
// activation calls of WinWindowState.h live with the window table
// (WinWindows.cpp).
#include "platform/win32/WinWindowState.h"

#include <mutex>
#include <vector>

namespace {

constexpr int kMaxScreens = 16;
constexpr int kMenuBarHeight = 19;
constexpr int kCaptionHeight = 18;
constexpr int kScrollBarThickness = 16;
constexpr int kMenuCheckSize = 13;

std::mutex gScreensMutex;
std::vector<RECT> gScreens{RECT{0, 0, 1024, 768}};

bool ValidScreen(const RECT& r) { return r.right > r.left && r.bottom > r.top; }

}  // namespace

void WinResetScreens() {
  std::lock_guard<std::mutex> lock(gScreensMutex);
  gScreens.assign(1, RECT{0, 0, 1024, 768});
}

int GetSystemMetrics(int index) {
  std::lock_guard<std::mutex> lock(gScreensMutex);
  const RECT& main = gScreens.front();
  switch (index) {
    case SM_CXSCREEN:
      return main.right - main.left;
    case SM_CYSCREEN:
      return main.bottom - main.top;
    case SM_CYCAPTION:
      return kCaptionHeight;
    case SM_CXBORDER:
    case SM_CYBORDER:
      return 1;
    case SM_CYMENU:
      return kMenuBarHeight;
    case SM_CXMENUCHECK:
      return kMenuCheckSize;
    case SM_CMONITORS:
      return static_cast<int>(gScreens.size());
    case SM_CXVSCROLL:
    case SM_CXHSCROLL:
    case SM_CXHTHUMB:
      return kScrollBarThickness;
    default:
      return 0;
  }
}

BOOL SetHeadlessScreens(const RECT* screens, int count) {
  if (screens == nullptr || count < 1 || count > kMaxScreens) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  for (int i = 0; i < count; ++i) {
    if (!ValidScreen(screens[i])) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE_;
    }
  }
  std::lock_guard<std::mutex> lock(gScreensMutex);
  gScreens.assign(screens, screens + count);
  return TRUE_;
}

int GetHeadlessScreens(RECT* screens, int capacity) {
  std::lock_guard<std::mutex> lock(gScreensMutex);
  const int count = static_cast<int>(gScreens.size());
  if (screens != nullptr) {
    for (int i = 0; i < count && i < capacity; ++i) screens[i] = gScreens[i];
  }
  return count;
}
