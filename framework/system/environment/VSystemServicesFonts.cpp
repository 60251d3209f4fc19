// The system environment's font lists: the families of the screen and of the
// default printer, with a copy of each family's record in the font records.
#include <cstring>

#include "framework/core/containers/VStringArray.h"
#include "framework/system/environment/VFontRecords.h"
#include "framework/system/environment/VSystemServices.h"
#include "platform/gdi/GdiFont.h"
#include "platform/toolbox/TbxEnvironment.h"
#include "platform/win32/WinCommonDialogs.h"
#include "platform/win32/WinWindowState.h"

namespace {

struct Pass {
  VSystemServices* services;
  bool printer;
};

// The three texts of a DEVNAMES block, each checked to end inside it.
bool DeviceTexts(const uint8_t* names, SIZE_T size, const char*& driver, const char*& device,
                 const char*& output) {
  if (names == nullptr || size < sizeof(DEVNAMES)) return false;
  DEVNAMES header;
  std::memcpy(&header, names, sizeof header);
  auto text = [&](WORD offset, const char*& out) {
    if (offset >= size || std::memchr(names + offset, 0, size - offset) == nullptr) return false;
    out = reinterpret_cast<const char*>(names + offset);
    return true;
  };
  return text(header.wDriverOffset, driver) && text(header.wDeviceOffset, device) &&
         text(header.wOutputOffset, output);
}

}  // namespace

void VSystemServices::LoadFontLists() {
  // The callback always asks to go on.
  const FONTENUMPROCA callback = [](const LOGFONTA* font, const TEXTMETRICA*, DWORD,
                                    LPARAM data) -> int {
    auto* pass = reinterpret_cast<Pass*>(data);
    if (font != nullptr) pass->services->AddFontFamily(font, pass->printer);
    return 1;
  };

  // The screen, on a device context of the top window.
  HWND top = GetTopWindow(nullptr);
  if (HDC screen = GetDC(top)) {
    Pass pass{this, false};
    EnumFontFamiliesA(screen, nullptr, callback, reinterpret_cast<LPARAM>(&pass));
    ReleaseDC(top, screen);
  }

  // The default printer, when there is one.
  PAGESETUPDLGA setup{};
  setup.lStructSize = sizeof setup;
  setup.Flags = PSD_RETURNDEFAULT;
  if (PageSetupDlgA(&setup)) {
    const void* mode = GlobalLock(setup.hDevMode);
    const auto* names = static_cast<const uint8_t*>(GlobalLock(setup.hDevNames));
    const char* driver = nullptr;
    const char* device = nullptr;
    const char* output = nullptr;
    if (DeviceTexts(names, GlobalSize(setup.hDevNames), driver, device, output)) {
      if (HDC printer = CreateICA(driver, device, output, static_cast<const DEVMODEA*>(mode))) {
        Pass pass{this, true};
        EnumFontFamiliesA(printer, nullptr, callback, reinterpret_cast<LPARAM>(&pass));
        DeleteDC(printer);
      }
    }
    GlobalUnlock(setup.hDevMode);
    GlobalUnlock(setup.hDevNames);
    GlobalFree(setup.hDevMode);
    GlobalFree(setup.hDevNames);
  }

  fAllFonts->Sort(false);
  fScalableFonts->Sort(false);
}

void VSystemServices::AddFontFamily(const void* record, bool printerPass) {
  ENUMLOGFONTA font;
  std::memcpy(&font, record, sizeof font);
  // The face name need not end inside its 32 bytes.
  char face[LF_FACESIZE + 1] = {};
  std::memcpy(face, font.elfLogFont.lfFaceName, LF_FACESIZE);
  VStr<LF_FACESIZE> name;
  name.SetAnsiCText(face);
  // The printer's pass adds only what the screen lacks.
  if (printerPass && fAllFonts->Find(name) > 0) return;
  AddFontRecord(font);
  if (font.elfLogFont.lfOutPrecision >= 2) {
    fScalableFonts->AppendObject(static_cast<VString*>(name.Clone()), false);
  }
  fAllFonts->AppendObject(static_cast<VString*>(name.Clone()), false);
}

VStringArray* VSystemServices::GetFontList(bool all) const {
  return all ? fAllFonts.get() : fScalableFonts.get();
}

int16_t VSystemServices::GetFontNumber(const VString& name) {
  uint8_t pascal[256];
  name.GetPText(pascal, 255, 0);
  int16_t number = 0;
  Tbx::GetFNum(pascal, &number);
  return number;
}

void VSystemServices::GetFontName(int16_t number, VString& out) {
  uint8_t pascal[256];
  Tbx::GetFontName(number, pascal);
  out.SetMacPText(pascal);
}
