#include "views/VIconFrame.h"

#include "framework/system/environment/VSystemServices.h"
#include "graphics/VIconShape.h"
#include "graphics/VPort.h"

VIconFrame::VIconFrame(VFrame* parent, VIconShape* icon)
    : VFrame(parent, nullptr), fIcon(icon), fOwned(0) {}

VIconFrame::VIconFrame(VFrame* parent, int16_t iconId) : VFrame(parent, nullptr), fOwned(1) {
  VResourceFile* file =
      gSystemServices != nullptr ? gSystemServices->GetModuleResourceFile() : nullptr;
  fIcon = new VIconShape(file, iconId);
}

VIconFrame::~VIconFrame() {
  if (fOwned != 0) delete fIcon;
  fIcon = nullptr;
}

void VIconFrame::DrawContent(VPort& port) {
  port.EraseRect(0, 0, GetWidth(), GetHeight());
  if (fIcon == nullptr) return;
  fIcon->SetPosition((GetWidth() - fIcon->GetWidth()) / 2, (GetHeight() - fIcon->GetHeight()) / 2);
  port.DrawIcon(*fIcon, 0);
}
