// The handle word and its ownership, shared by the picture values that hold
// one handle.
#include "graphics/pictures/VHandlePictureData.h"

bool VHandlePictureData::HasData() const { return fHandle != 0; }

uint32_t VHandlePictureData::GetHandle() const { return fHandle; }

uint32_t VHandlePictureData::DetachHandle() {
  const uint32_t handle = fHandle;
  fHandle = 0;
  fOwns = 0;
  return handle;
}

void VHandlePictureData::SetHandle(uint32_t handle, bool owns) {
  if (handle == fHandle && handle != 0) {
    fOwns = owns ? 1 : 0;
    return;
  }
  LetGo();
  fHandle = handle;
  fOwns = handle != 0 && owns ? 1 : 0;
}

void VHandlePictureData::LetGo() {
  if (fHandle != 0 && fOwns != 0) DisposeHeld(fHandle);
  fHandle = 0;
  fOwns = 0;
}
