// The cursor object over the Toolbox library's cursor calls.
#include "framework/system/environment/VCursor.h"

#include "framework/system/environment/VSystemServices.h"
#include "framework/system/resources/VResourceFile.h"
#include "platform/toolbox/TbxCursor.h"

VCursor* gCursor = nullptr;

namespace {

constexpr uint32_t kCursorResourceType = FourCC("CURS");

// The id shown for the start-up id.
constexpr int32_t kStartShownAs = 4;

}  // namespace

VCursor::VCursor(VResourceFile* resources) : fResources(resources) { Apply(); }

VCursor::~VCursor() { ReleaseHandle(); }

void VCursor::ReleaseHandle() {
  if (fHandle != 0 && fHandleFile != nullptr) fHandleFile->ReleaseResource(fHandle);
  fHandle = 0;
  fHandleFile = nullptr;
}

VResourceFile* VCursor::Resources() const {
  if (fResources != nullptr) return fResources;
  return gSystemServices != nullptr ? gSystemServices->GetModuleResourceFile() : nullptr;
}

void VCursor::SetId(int32_t id) {
  if (id == fId) return;
  fId = id;
  if (id != kCursorUnchanged) Apply();
}

void VCursor::Apply() {
  ReleaseHandle();
  if (fId == kCursorArrow) {
    Tbx::InitCursor();
    return;
  }
  if (fId == kCursorStart) fId = kStartShownAs;

  bool shown = false;
  // Compared without sign, so that negative ids other than -2 are resource
  // ids.
  if (static_cast<uint32_t>(fId) >= 1 && static_cast<uint32_t>(fId) <= 4) {
    fHandle = Tbx::GetCursor(static_cast<int16_t>(fId));
    if (fHandle != 0) {
      // A record that is not whole is not shown.
      const void* record = Tbx::GetHandleSize(fHandle) >= Tbx::kCursorRecordSize ? Tbx::HLock(fHandle) : nullptr;
      if (record != nullptr) {
        Tbx::SetCursor(static_cast<const Tbx::Cursor*>(record));
        Tbx::HUnlock(fHandle);
        shown = true;
      }
    }
  } else if (VResourceFile* file = Resources(); file != nullptr) {
    fHandle = file->GetResource(kCursorResourceType, static_cast<int16_t>(fId), nullptr);
    if (fHandle != 0) {
      fHandleFile = file;
      // A resource too short to hold a cursor record shows the arrow.
      if (file->GetResourceSize(fHandle) >= static_cast<uint32_t>(Tbx::kCursorRecordSize)) {
        const void* record = file->LockResource(fHandle);
        if (record != nullptr) {
          Tbx::SetCursor(static_cast<const Tbx::Cursor*>(record));
          file->UnlockResource(fHandle);
          shown = true;
        }
      }
    }
  }
  if (!shown) Tbx::InitCursor();
}

void VCursor::Show(uint8_t show) {
  if (show != 0) {
    Tbx::ShowCursor();
  } else {
    Tbx::HideCursor();
  }
}

int32_t VCursor::GetResizeCursor(int32_t direction) {
  switch (direction) {
    case 1: return kCursorResizeAll;
    case 2:
    case 3: return kCursorResizeVertical;
    case 4:
    case 5: return kCursorResizeHorizontal;
    case 6:
    case 9: return kCursorResizeFalling;
    case 7:
    case 8: return kCursorResizeRising;
    default: return 0;
  }
}

void VCursor::ToggleResizeCursor() {
  if (fId == kCursorResizeFalling) {
    SetId(kCursorResizeRising);
  } else if (fId == kCursorResizeRising) {
    SetId(kCursorResizeFalling);
  }
}

void VCursor::Obscure() { Tbx::ToolboxCall697(); }
