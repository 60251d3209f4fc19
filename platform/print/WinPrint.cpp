// The spooler's printer handles and device modes, the system profile's
// default printer and the print dialog of the headless stand-in.
#include "platform/print/WinPrint.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <set>
#include <string>

#include "platform/gdi/WinGdi.h"
#include "platform/print/PrinterPaper.h"

namespace {

std::mutex gPrintMutex;
HeadlessPrintProvider gPrintProvider = nullptr;
void* gPrintContext = nullptr;

struct PrinterHandle {
  std::string name;
};
std::set<PrinterHandle*>& OpenPrinters() {
  static auto* printers = new std::set<PrinterHandle*>;
  return *printers;
}

PrinterHandle* FindPrinter(HANDLE handle) {
  std::lock_guard<std::mutex> lock(gPrintMutex);
  auto* printer = static_cast<PrinterHandle*>(handle);
  return OpenPrinters().count(printer) != 0 ? printer : nullptr;
}

// The printer's resolution, 0 when the stand-in does not know it.
int PrinterResolution(const char* name) {
  HDC info = CreateICA(nullptr, name, nullptr, nullptr);
  if (info == nullptr) return 0;
  const int dpi = GetDeviceCaps(info, LOGPIXELSY);
  DeleteDC(info);
  return dpi;
}

// Paper codes the printer takes: those with a size of their own, and 0 with
// the lengths given.
bool KnownPaper(int16_t code) {
  int32_t width = 0, height = 0;
  return PrinterPaperSize(code, width, height);
}

void DefaultDevMode(const char* name, int dpi, DEVMODEA& mode) {
  std::memset(&mode, 0, sizeof mode);
  std::strncpy(mode.dmDeviceName, name, sizeof mode.dmDeviceName - 1);
  mode.dmSpecVersion = 0x0401;
  mode.dmSize = sizeof(DEVMODEA);
  mode.dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_SCALE | DM_COPIES | DM_PRINTQUALITY |
                  DM_YRESOLUTION | DM_COLLATE;
  mode.dmOrientation = DMORIENT_PORTRAIT;
  mode.dmPaperSize = 1;  // Letter
  mode.dmScale = 100;
  mode.dmCopies = 1;
  mode.dmPrintQuality = int16_t(dpi);
  mode.dmYResolution = int16_t(dpi);
  mode.dmCollate = 0;
}

// The fields of `in` that the printer takes, checked.
void MergeDevMode(const DEVMODEA& in, DEVMODEA& mode) {
  const uint32_t f = in.dmFields;
  if ((f & DM_ORIENTATION) &&
      (in.dmOrientation == DMORIENT_PORTRAIT || in.dmOrientation == DMORIENT_LANDSCAPE)) {
    mode.dmOrientation = in.dmOrientation;
  }
  if ((f & DM_PAPERSIZE) && KnownPaper(in.dmPaperSize)) mode.dmPaperSize = in.dmPaperSize;
  if ((f & DM_PAPERSIZE) && in.dmPaperSize == 0 && (f & DM_PAPERLENGTH) && (f & DM_PAPERWIDTH) &&
      in.dmPaperLength > 0 && in.dmPaperWidth > 0) {
    mode.dmPaperSize = 0;
    mode.dmPaperLength = in.dmPaperLength;
    mode.dmPaperWidth = in.dmPaperWidth;
    mode.dmFields |= DM_PAPERLENGTH | DM_PAPERWIDTH;
  }
  if ((f & DM_SCALE) && in.dmScale >= 1 && in.dmScale <= 1000) mode.dmScale = in.dmScale;
  if ((f & DM_COPIES) && in.dmCopies >= 1) mode.dmCopies = in.dmCopies;
  if (f & DM_COLLATE) mode.dmCollate = in.dmCollate != 0 ? 1 : 0;
}

}  // namespace

BOOL OpenPrinterA(const char* name, HANDLE* printer, PRINTER_DEFAULTSA*) {
  if (printer == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  *printer = nullptr;
  if (name == nullptr || PrinterResolution(name) <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  auto* handle = new PrinterHandle{name};
  std::lock_guard<std::mutex> lock(gPrintMutex);
  OpenPrinters().insert(handle);
  *printer = handle;
  return TRUE_;
}

BOOL ClosePrinter(HANDLE printer) {
  std::lock_guard<std::mutex> lock(gPrintMutex);
  auto* handle = static_cast<PrinterHandle*>(printer);
  if (OpenPrinters().erase(handle) == 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE_;
  }
  delete handle;
  return TRUE_;
}

LONG DocumentPropertiesA(HWND, HANDLE printer, const char* device, DEVMODEA* out,
                         const DEVMODEA* in, DWORD mode) {
  std::string name;
  if (printer != nullptr) {
    PrinterHandle* handle = FindPrinter(printer);
    if (handle == nullptr) {
      SetLastError(ERROR_INVALID_HANDLE);
      return -1;
    }
    name = handle->name;
  } else if (device != nullptr) {
    name = device;
  }
  const int dpi = PrinterResolution(name.c_str());
  if (dpi <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  if (mode == 0) return LONG(sizeof(DEVMODEA));
  if (!(mode & DM_OUT_BUFFER) || out == nullptr || ((mode & DM_IN_BUFFER) && in == nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  DEVMODEA merged;
  DefaultDevMode(name.c_str(), dpi, merged);
  if (mode & DM_IN_BUFFER) MergeDevMode(*in, merged);
  std::memcpy(out, &merged, sizeof merged);
  return IDOK_;
}

DWORD GetProfileStringA(const char* section, const char* key, const char* defaultValue, char* out,
                        DWORD size) {
  if (out == nullptr || size == 0) return 0;
  std::string value = defaultValue != nullptr ? defaultValue : "";
  char device[256] = {};
  if (section != nullptr && key != nullptr && strcasecmp(section, "windows") == 0 &&
      strcasecmp(key, "device") == 0 && GetHeadlessDefaultPrinter(device, sizeof device)) {
    value = std::string(device) + ",winspool,QV:";
  }
  const size_t n = std::min<size_t>(value.size(), size - 1);
  std::memcpy(out, value.data(), n);
  out[n] = 0;
  return DWORD(n);
}

void SetHeadlessPrintProvider(HeadlessPrintProvider provider, void* context) {
  std::lock_guard<std::mutex> lock(gPrintMutex);
  gPrintProvider = provider;
  gPrintContext = context;
}

BOOL PrintDlgA(PRINTDLGA* dialog) {
  if (dialog == nullptr || dialog->lStructSize != sizeof(PRINTDLGA)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  HeadlessPrintProvider provider;
  void* context;
  {
    std::lock_guard<std::mutex> lock(gPrintMutex);
    provider = gPrintProvider;
    context = gPrintContext;
  }
  if (provider == nullptr) return FALSE_;
  char device[256] = {};
  const bool hasDefault = GetHeadlessDefaultPrinter(device, sizeof device);
  if (hasDefault && dialog->hDevMode == nullptr) dialog->hDevMode = NewHeadlessDevMode(device);
  if (hasDefault && dialog->hDevNames == nullptr) dialog->hDevNames = NewHeadlessDevNames(device);
  if (!provider(dialog, context)) return FALSE_;
  if (dialog->Flags & PD_RETURNDC) {
    // The printer named by the device mode, with its settings.
    auto* mode = dialog->hDevMode != nullptr ? static_cast<DEVMODEA*>(GlobalLock(dialog->hDevMode))
                                             : nullptr;
    dialog->hDC = CreateDCA("winspool", mode != nullptr ? mode->dmDeviceName : device, nullptr,
                            mode);
    if (mode != nullptr) GlobalUnlock(dialog->hDevMode);
    if (dialog->hDC == nullptr) return FALSE_;
  }
  return TRUE_;
}
