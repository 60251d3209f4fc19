// The colour picker and the default-printer query of the headless stand-in.
#include "platform/win32/WinCommonDialogs.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "platform/gdi/GdiInternal.h"
#include "platform/print/PrinterPaper.h"
#include "platform/print/WinPrint.h"

namespace {

std::mutex gDialogMutex;
HeadlessColorProvider gColorProvider = nullptr;
void* gColorContext = nullptr;
HeadlessPageSetupProvider gPageSetupProvider = nullptr;
void* gPageSetupContext = nullptr;
// Unset: the GDI stand-in's default printer; set to nothing: none.
std::optional<std::optional<std::string>> gDefaultPrinter;

std::optional<std::string> DefaultPrinter() {
  if (gDefaultPrinter) return *gDefaultPrinter;
  return std::string(kGdiDefaultPrinterName);
}

// The stand-in's printers are reached through the spooler's driver name and
// print to a port of their own.
constexpr const char* kDriverName = "winspool";
constexpr const char* kOutputName = "QV:";

HGLOBAL NewDevMode(const std::string& device) {
  HGLOBAL block = GlobalAlloc(GHND, kDevModeSize);
  if (block == nullptr) return nullptr;
  auto* bytes = static_cast<uint8_t*>(GlobalLock(block));
  std::memcpy(bytes, device.data(), std::min<size_t>(device.size(), 31));
  const WORD size = static_cast<WORD>(kDevModeSize);
  std::memcpy(bytes + 36, &size, sizeof size);
  // The printer's own settings when it knows them.
  DocumentPropertiesA(nullptr, nullptr, device.c_str(), reinterpret_cast<DEVMODEA*>(bytes),
                      nullptr, DM_OUT_BUFFER);
  GlobalUnlock(block);
  return block;
}

HGLOBAL NewDevNames(const std::string& device) {
  const size_t driver = std::strlen(kDriverName) + 1;
  const size_t name = device.size() + 1;
  const size_t output = std::strlen(kOutputName) + 1;
  const size_t total = sizeof(DEVNAMES) + driver + name + output;
  HGLOBAL block = GlobalAlloc(GHND, total);
  if (block == nullptr) return nullptr;
  auto* bytes = static_cast<uint8_t*>(GlobalLock(block));
  DEVNAMES names;
  names.wDriverOffset = static_cast<WORD>(sizeof(DEVNAMES));
  names.wDeviceOffset = static_cast<WORD>(names.wDriverOffset + driver);
  names.wOutputOffset = static_cast<WORD>(names.wDeviceOffset + name);
  names.wDefault = DN_DEFAULTPRN;
  std::memcpy(bytes, &names, sizeof names);
  std::memcpy(bytes + names.wDriverOffset, kDriverName, driver);
  std::memcpy(bytes + names.wDeviceOffset, device.c_str(), name);
  std::memcpy(bytes + names.wOutputOffset, kOutputName, output);
  GlobalUnlock(block);
  return block;
}

// What a confirmed page set-up gives back: the device mode as its printer
// takes it, and the size of its paper as it lies, in the dialog's unit.
void AnswerChosenPaper(PAGESETUPDLGA& dialog) {
  if (dialog.hDevMode == nullptr) return;
  auto* mode = static_cast<DEVMODEA*>(GlobalLock(dialog.hDevMode));
  if (mode == nullptr) return;
  char device[sizeof mode->dmDeviceName + 1] = {};
  std::memcpy(device, mode->dmDeviceName, sizeof mode->dmDeviceName);
  DocumentPropertiesA(nullptr, nullptr, device, mode, mode, DM_IN_BUFFER | DM_OUT_BUFFER);
  int32_t width = 0, height = 0;  // hundredths of a millimetre
  if (!PrinterPaperSize(mode->dmPaperSize, width, height) && (mode->dmFields & DM_PAPERWIDTH) &&
      (mode->dmFields & DM_PAPERLENGTH)) {
    width = int32_t(mode->dmPaperWidth) * 10;
    height = int32_t(mode->dmPaperLength) * 10;
  }
  const bool across = (mode->dmFields & DM_ORIENTATION) && mode->dmOrientation == DMORIENT_LANDSCAPE;
  const int32_t scale = (mode->dmFields & DM_SCALE) && mode->dmScale > 0 ? mode->dmScale : 100;
  GlobalUnlock(dialog.hDevMode);
  if (width <= 0 || height <= 0) return;
  if (across) std::swap(width, height);
  auto inUnit = [&](int32_t length) {
    const int64_t scaled = int64_t(length) * scale / 100;
    return LONG(dialog.Flags & PSD_INTHOUSANDTHSOFINCHES ? scaled * 1000 / 2540 : scaled);
  };
  dialog.ptPaperSize = POINT{inUnit(width), inUnit(height)};
}

}  // namespace

BOOL ChooseColorA(CHOOSECOLORA* dialog) {
  if (dialog == nullptr || dialog->lStructSize != sizeof(CHOOSECOLORA) ||
      dialog->lpCustColors == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  HeadlessColorProvider provider;
  void* context;
  {
    std::lock_guard<std::mutex> lock(gDialogMutex);
    provider = gColorProvider;
    context = gColorContext;
  }
  if (provider == nullptr) return FALSE_;
  return provider(dialog, context) ? TRUE_ : FALSE_;
}

void SetHeadlessColorProvider(HeadlessColorProvider provider, void* context) {
  std::lock_guard<std::mutex> lock(gDialogMutex);
  gColorProvider = provider;
  gColorContext = context;
}

BOOL PageSetupDlgA(PAGESETUPDLGA* dialog) {
  if (dialog == nullptr || dialog->lStructSize != sizeof(PAGESETUPDLGA)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  std::optional<std::string> device;
  HeadlessPageSetupProvider provider;
  void* context;
  {
    std::lock_guard<std::mutex> lock(gDialogMutex);
    device = DefaultPrinter();
    provider = gPageSetupProvider;
    context = gPageSetupContext;
  }
  if (!(dialog->Flags & PSD_RETURNDEFAULT)) {
    // The dialog itself: the provider answers; the record carries device
    // blocks for the default printer when it came without.
    if (provider == nullptr) return FALSE_;
    if (device && dialog->hDevMode == nullptr) dialog->hDevMode = NewDevMode(*device);
    if (device && dialog->hDevNames == nullptr) dialog->hDevNames = NewDevNames(*device);
    if (!provider(dialog, context)) return FALSE_;
    AnswerChosenPaper(*dialog);
    return TRUE_;
  }
  // Windows refuses the default query when device blocks are passed in.
  if (dialog->hDevMode != nullptr || dialog->hDevNames != nullptr) return FALSE_;
  if (!device) return FALSE_;
  HGLOBAL mode = NewDevMode(*device);
  HGLOBAL names = NewDevNames(*device);
  if (mode == nullptr || names == nullptr) {
    if (mode != nullptr) GlobalFree(mode);
    if (names != nullptr) GlobalFree(names);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE_;
  }
  dialog->hDevMode = mode;
  dialog->hDevNames = names;
  return TRUE_;
}

void SetHeadlessDefaultPrinter(const char* device) {
  std::lock_guard<std::mutex> lock(gDialogMutex);
  if (device == nullptr) {
    gDefaultPrinter = std::optional<std::string>();
  } else {
    gDefaultPrinter = std::optional<std::string>(std::string(device));
  }
}

void SetHeadlessPageSetupProvider(HeadlessPageSetupProvider provider, void* context) {
  std::lock_guard<std::mutex> lock(gDialogMutex);
  gPageSetupProvider = provider;
  gPageSetupContext = context;
}

BOOL GetHeadlessDefaultPrinter(char* device, DWORD size) {
  std::optional<std::string> name;
  {
    std::lock_guard<std::mutex> lock(gDialogMutex);
    name = DefaultPrinter();
  }
  if (!name || device == nullptr || size == 0) return FALSE_;
  const size_t n = std::min<size_t>(name->size(), size - 1);
  std::memcpy(device, name->data(), n);
  device[n] = 0;
  return TRUE_;
}

HGLOBAL NewHeadlessDevMode(const char* device) { return device ? NewDevMode(device) : nullptr; }
HGLOBAL NewHeadlessDevNames(const char* device) { return device ? NewDevNames(device) : nullptr; }

void ResetHeadlessDialogs() {
  std::lock_guard<std::mutex> lock(gDialogMutex);
  gColorProvider = nullptr;
  gColorContext = nullptr;
  gPageSetupProvider = nullptr;
  gPageSetupContext = nullptr;
  gDefaultPrinter.reset();
}
