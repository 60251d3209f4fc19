// The text fields' start and stop. The rich-edit control library is loaded
// once and its handle kept; the offscreen worlds cached for drawing are
// given back at shut-down.
#include "controls/fields/TextFieldLayer.h"

#include <cstdint>

#include "controls/text/VTextEditFrame.h"
#include "host/lifecycle/ModuleLifeCycle.h"
#include "platform/toolbox/TbxTextEdit.h"
#include "platform/win32/WinLibrary.h"
#include "platform/win32/WinOle.h"

namespace {

// Process-wide, zero at load.
uint8_t gRichEditAvailable = 0;
HMODULE gRichEditLibrary = nullptr;
void* gModuleInstance = nullptr;
Tbx::GWorldPtr gTextEditViewWorld = nullptr;

}  // namespace

void StartMacTextFields() {}

void LoadRichEditLibrary() {
  // Loaded at most once while the module runs.
  if (gRichEditLibrary != nullptr) return;
  gRichEditAvailable = 0;
  // OLE's answer does not matter: a nested start is as good as a first.
  OleInitialize(nullptr);
  gModuleInstance = GetModuleInstance();
  gRichEditLibrary = LoadLibraryA("riched20.dll");
  if (gRichEditLibrary != nullptr) gRichEditAvailable = 1;
}

void StopMacTextFields() {
  if (gTextEditViewWorld != nullptr) Tbx::DisposeGWorld(gTextEditViewWorld);
  gTextEditViewWorld = nullptr;
}

void UnloadRichEditLibrary() {
  if (gRichEditAvailable != 0) FreeLibrary(gRichEditLibrary);
  // Both are forgotten: a start after this stop in the same process must
  // load the library again rather than use the freed handle.
  gRichEditLibrary = nullptr;
  gRichEditAvailable = 0;
}

bool IsRichEditAvailable() { return gRichEditAvailable != 0; }

void* GetRichEditOwnerInstance() { return gModuleInstance; }

void StartTextEditFrames() {}

void StopTextEditFrames() { VTextEditFrame::DisposeSharedWorld(); }

void DisposeTextFieldOffscreen() {
  StopMacTextFields();
  // The frames' world goes too, so that nothing drawn by the module outlives
  // its stop.
  StopTextEditFrames();
}

Tbx::GrafPort* GetTextEditViewWorld() { return gTextEditViewWorld; }

void SetTextEditViewWorld(Tbx::GrafPort* world) {
  if (gTextEditViewWorld != nullptr && gTextEditViewWorld != world) Tbx::DisposeGWorld(gTextEditViewWorld);
  gTextEditViewWorld = world;
}
