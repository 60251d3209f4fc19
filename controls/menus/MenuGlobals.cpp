// The menu code's globals. The main window's menu procedure arrives with the
// window menu bar; until then its start and stop have nothing to do.
#include "controls/menus/MenuGlobals.h"

#include "controls/menus/VMenuItemRef.h"
#include "platform/gdi/WinGdi.h"

namespace {

HBITMAP gMixedMark = nullptr;

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
}

HBITMAP GetMixedMarkBitmap() {
  if (gMixedMark == nullptr) gMixedMark = CreateBitmap(8, 7, 1, 1, kMixedMarkBits);
  return gMixedMark;
}

void InstallMenuWindowProc() {}
void RemoveMenuWindowProc() {}
