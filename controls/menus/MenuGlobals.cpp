// The menu code's globals: the item registry and the shared mark bitmap and
// icons. The main window's menu procedure lives with the window menu bar.
#include "controls/menus/MenuGlobals.h"

#include <memory>

#include "controls/menus/VMenuItem.h"
#include "controls/menus/VMenuItemRef.h"
#include "framework/system/environment/VSystemServices.h"
#include "framework/system/resources/VResourceFile.h"
#include "graphics/VIconShape.h"
#include "platform/gdi/WinGdi.h"

namespace {

HBITMAP gMixedMark = nullptr;
std::unique_ptr<VIconShape> gCheckIcon;
std::unique_ptr<VIconShape> gMixedIcon;

// Rows of two bytes (16-bit aligned); a 0 bit draws: a bar two rows high at
// the bottom, in the right five columns.
constexpr uint8_t kMixedMarkBits[14] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                        0xFF, 0xFF, 0xFF, 0xE0, 0xFF, 0xE0, 0xFF};

}  // namespace

void InitMenuGlobals() { RemoveAllMenuItemRefs(); }

void FreeMenuGlobals() {
  RemoveAllMenuItemRefs();
  if (gMixedMark != nullptr) {
    DeleteObject(gMixedMark);
    gMixedMark = nullptr;
  }
  gCheckIcon.reset();
  gMixedIcon.reset();
}

VIconShape* GetMenuMarkIcon(int16_t mark) {
  if (mark != kMenuMarkCheck && mark != kMenuMarkMixed) return nullptr;
  std::unique_ptr<VIconShape>& icon = mark == kMenuMarkCheck ? gCheckIcon : gMixedIcon;
  if (icon == nullptr) {
    // The icon shape looks in the host's and the module's files after this one.
    VResourceFile* file =
        gSystemServices != nullptr ? gSystemServices->GetModuleResourceFile() : nullptr;
    icon = std::make_unique<VIconShape>(file, mark == kMenuMarkCheck ? "WinCheck" : "WinMixed");
    if (icon->GetData() == 0) icon.reset();
  }
  return icon.get();
}

HBITMAP GetMixedMarkBitmap() {
  if (gMixedMark == nullptr) gMixedMark = CreateBitmap(8, 7, 1, 1, kMixedMarkBits);
  return gMixedMark;
}

