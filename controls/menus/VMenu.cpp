// VMenu: the least pop-up menu.
#include "controls/menus/VMenu.h"

void VMenu::Track(int32_t, int32_t) {}

namespace {

VPopUpMenu* MakePopUpMenu(VFrame* frame, VPort* port, int32_t menuId, int16_t item) {
  return new VMenu(frame, port, menuId, item);
}

}  // namespace

const VPopUpMenuMaker kPopUpMenuMaker{&MakePopUpMenu};
