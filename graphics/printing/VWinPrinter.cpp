// The Windows printer binding of the print settings, its dialogs, its stored
// device mode and its print job.
#include "graphics/printing/VWinPrinter.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/ByteSwap.h"
#include "framework/core/streams/VStream.h"
#include "graphics/VCharWidthCache.h"
#include "graphics/VScaledPort.h"
#include "platform/gdi/WinGdi.h"
#include "platform/print/WinPrint.h"

namespace {

// A device mode held in a movable block, locked for the life of the guard.
class DevModeLock {
 public:
  explicit DevModeLock(HGLOBAL block)
      : fBlock(block), fMode(block ? static_cast<DEVMODEA*>(GlobalLock(block)) : nullptr) {}
  ~DevModeLock() {
    if (fMode != nullptr) GlobalUnlock(fBlock);
  }
  DevModeLock(const DevModeLock&) = delete;
  DevModeLock& operator=(const DevModeLock&) = delete;
  DEVMODEA* get() const { return fMode; }
  DEVMODEA* operator->() const { return fMode; }
  explicit operator bool() const { return fMode != nullptr; }

 private:
  HGLOBAL fBlock;
  DEVMODEA* fMode;
};

constexpr int kSystemFont = 13;
constexpr DWORD kPageSetupFlags = 0x0A;  // margins given, in hundredths of millimetres
constexpr DWORD kPrintFlags = 0x40104;   // a DC back, no selection, copies in the mode

// Tenths of a millimetre of a length at a scale, for the device mode.
int16_t Tenths(int32_t length, int16_t scale) {
  const int32_t s = scale > 0 ? scale : 100;
  return int16_t(std::clamp<int64_t>(int64_t(length) * 10 / s, INT16_MIN, INT16_MAX));
}

// A paper of the user's own size in the device mode: its sides upright,
// as the printer turns the paper by the orientation; the record holds
// them as the paper lies.
void PutOwnPaper(DEVMODEA& mode, const VPrintRecord& record) {
  const bool across = record.landscape != 0;
  mode.dmFields |= DM_PAPERLENGTH | DM_PAPERWIDTH;
  mode.dmPaperWidth = Tenths(across ? record.paperHeight : record.paperWidth, record.scale);
  mode.dmPaperLength = Tenths(across ? record.paperWidth : record.paperHeight, record.scale);
}

// A length word of a stored device mode, byte-reversed when it was written
// on a machine of the other order (its top byte is then not 0).
uint32_t LengthWord(VStream& stream) {
  uint32_t length = stream.GetULong();
  if ((length & 0xFF000000u) != 0) Swap32(&length);
  return length;
}

// The fields a stored device mode gives the held one, when both have them.
struct CopiedField {
  uint32_t flag;
  size_t offset;
  size_t size;
};
constexpr CopiedField kCopiedFields[] = {
    {DM_ORIENTATION, offsetof(DEVMODEA, dmOrientation), 2},
    {DM_PAPERSIZE, offsetof(DEVMODEA, dmPaperSize), 2},
    {DM_PAPERLENGTH, offsetof(DEVMODEA, dmPaperLength), 2},
    {DM_PAPERWIDTH, offsetof(DEVMODEA, dmPaperWidth), 2},
    {DM_SCALE, offsetof(DEVMODEA, dmScale), 2},
    {DM_COPIES, offsetof(DEVMODEA, dmCopies), 2},
    {DM_DEFAULTSOURCE, offsetof(DEVMODEA, dmDefaultSource), 2},
    {DM_PRINTQUALITY, offsetof(DEVMODEA, dmPrintQuality), 2},
    {DM_COLOR, offsetof(DEVMODEA, dmColor), 2},
    {DM_DUPLEX, offsetof(DEVMODEA, dmDuplex), 2},
    {DM_YRESOLUTION, offsetof(DEVMODEA, dmYResolution), 2},
    {DM_TTOPTION, offsetof(DEVMODEA, dmTTOption), 2},
    {DM_COLLATE, offsetof(DEVMODEA, dmCollate), 2},
    {DM_FORMNAME, offsetof(DEVMODEA, dmFormName), 32},
    {DM_ICMMETHOD, offsetof(DEVMODEA, dmICMMethod), 4},
    {DM_ICMINTENT, offsetof(DEVMODEA, dmICMIntent), 4},
    {DM_MEDIATYPE, offsetof(DEVMODEA, dmMediaType), 4},
    {DM_DITHERTYPE, offsetof(DEVMODEA, dmDitherType), 4},
};

}  // namespace

VWinPrinter::VWinPrinter() { SetDefaults(); }

VWinPrinter::VWinPrinter(VStream* stream, int16_t* error) {
  SetDefaults();
  const int16_t result = ReadFromStream(stream, 0);
  if (error != nullptr) *error = result;
}

VWinPrinter::~VWinPrinter() {
  AbortJob();
  ReleaseInfoDC();
  FreeDevice();
}

void VWinPrinter::FreeDevice() {
  if (fDevMode != nullptr) GlobalFree(fDevMode);
  if (fDevNames != nullptr) GlobalFree(fDevNames);
  fDevMode = fDevNames = nullptr;
}

void VWinPrinter::ReleaseInfoDC() {
  if (fInfoDC == nullptr) return;
  if (fInfoDCFont != nullptr) SelectObject(fInfoDC, fInfoDCFont);
  // The widths measured on this device go with it.
  ForgetFontCacheDevice(fInfoDC);
  DeleteDC(fInfoDC);
  fInfoDC = nullptr;
  fInfoDCFont = nullptr;
}

void VWinPrinter::GetDefaultPrinter(std::string& device, std::string& driver) {
  char entry[256] = {};
  GetProfileStringA("windows", "device", "", entry, 255);
  const std::string text(entry);
  const size_t first = text.find(',');
  device = text.substr(0, first);
  driver.clear();
  if (first != std::string::npos) {
    const size_t second = text.find(',', first + 1);
    driver = text.substr(first + 1, second == std::string::npos ? std::string::npos
                                                                : second - first - 1);
  }
}

HDC VWinPrinter::GetInfoDC() {
  if (fInfoDC == nullptr && fDevMode != nullptr) {
    DevModeLock mode(fDevMode);
    fInfoDC = CreateDCA(fDriver.c_str(), fDevice.c_str(), nullptr, mode.get());
    if (fInfoDC != nullptr) fInfoDCFont = SelectObject(fInfoDC, GetStockObject(kSystemFont));
  }
  return fInfoDC;
}

bool VWinPrinter::RegisterPort(VPort* port) {
  const bool changed = port != fRegisteredPort;
  fRegisteredPort = port;
  return changed;
}

void VWinPrinter::ValidateDevMode() {
  if (fDevMode == nullptr || !BeginUse(1)) return;
  {
    DevModeLock mode(fDevMode);
    HANDLE printer = nullptr;
    if (mode && OpenPrinterA(mode->dmDeviceName, &printer, nullptr)) {
      DocumentPropertiesA(nullptr, printer, mode->dmDeviceName, mode.get(), mode.get(),
                          DM_IN_BUFFER | DM_OUT_BUFFER);
      ClosePrinter(printer);
    }
  }
  EndUse();
}

void VWinPrinter::PrepareDevMode(DEVMODEA& mode, uint32_t fields) const {
  mode.dmFields |= fields;
  mode.dmPaperSize = int16_t(fRecord.paperCode);
  mode.dmScale = fRecord.scale;
  mode.dmOrientation = fRecord.landscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
  if (fields & DM_COPIES) mode.dmCopies = int16_t(fCopies);
  if (fRecord.paperCode == 0) PutOwnPaper(mode, fRecord);
}

void VWinPrinter::SetDefaults() {
  FreeDevice();
  fBound = 0;
  fRegisteredPort = nullptr;
  GetDefaultPrinter(fDevice, fDriver);
  if (!fDevice.empty()) {
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ACCESS_USE};
    if (OpenPrinterA(fDevice.c_str(), &printer, &defaults)) {
      const LONG size = DocumentPropertiesA(nullptr, printer, fDevice.c_str(), nullptr, nullptr, 0);
      if (size >= LONG(sizeof(DEVMODEA))) {
        fDevMode = GlobalAlloc(0x42, SIZE_T(size));
        bool filled = false;
        if (fDevMode != nullptr) {
          DevModeLock mode(fDevMode);
          filled = mode && DocumentPropertiesA(nullptr, printer, fDevice.c_str(), mode.get(),
                                               nullptr, DM_OUT_BUFFER) == IDOK_;
        }
        if (filled) {
          fBound = 1;
        } else if (fDevMode != nullptr) {
          GlobalFree(fDevMode);
          fDevMode = nullptr;
        }
      }
      ClosePrinter(printer);
    }
  }
  VPrintSettings::SetDefaults();
}

void VWinPrinter::SyncWithPrinter() {
  if (fDevMode != nullptr) {
    if (!fBound) {
      // The record rules: the device mode follows it.
      if (BeginUse(1)) {
        {
          DevModeLock mode(fDevMode);
          if (mode) {
            if (mode->dmFields & DM_ORIENTATION)
              mode->dmOrientation = fRecord.landscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
            if (mode->dmFields & DM_SCALE) mode->dmScale = fRecord.scale;
            if (mode->dmFields & DM_PAPERSIZE) {
              mode->dmPaperSize = int16_t(fRecord.paperCode);
              if (fRecord.paperCode == 0) PutOwnPaper(*mode.get(), fRecord);
            }
          }
        }
        ValidateDevMode();
        EndUse();
      }
    } else {
      // The printer rules: its paper and margins come in.
      DevModeLock mode(fDevMode);
      if (mode) {
        std::string device = fDevice;
        if (fDevNames != nullptr) {
          const auto* names = static_cast<const char*>(GlobalLock(fDevNames));
          if (names != nullptr) {
            DEVNAMES head;
            std::memcpy(&head, names, sizeof head);
            const SIZE_T size = GlobalSize(fDevNames);
            if (head.wDeviceOffset < size) {
              device.assign(names + head.wDeviceOffset,
                            strnlen(names + head.wDeviceOffset, size - head.wDeviceOffset));
            }
            GlobalUnlock(fDevNames);
          }
        }
        fCopies = mode->dmCopies;
        HDC info = CreateICA("winspool", device.c_str(), nullptr, mode.get());
        if (info != nullptr) {
          fRecord.landscape = mode->dmOrientation == DMORIENT_LANDSCAPE ? 1 : 0;
          fRecord.paperCode = uint16_t(mode->dmPaperSize);
          if (fRecord.paperCode >= 1 && fRecord.paperCode <= 68) {
            DevModePaperToPaperSize(fRecord.paperCode, fRecord.paperWidth, fRecord.paperHeight);
            if (fRecord.landscape) std::swap(fRecord.paperWidth, fRecord.paperHeight);
          } else {
            fRecord.paperWidth = mode->dmPaperWidth * 10;
            fRecord.paperHeight = mode->dmPaperLength * 10;
            if (fRecord.landscape) std::swap(fRecord.paperWidth, fRecord.paperHeight);
          }
          const int resX = std::max(1, GetDeviceCaps(info, LOGPIXELSX));
          const int resY = std::max(1, GetDeviceCaps(info, LOGPIXELSY));
          fRecord.resolutionX = uint16_t(resX);
          fRecord.resolutionY = uint16_t(resY);
          fRecord.minLeft = GetDeviceCaps(info, PHYSICALOFFSETX) * 2540 / resX;
          fRecord.minTop = GetDeviceCaps(info, PHYSICALOFFSETY) * 2540 / resY;
          fRecord.minRight = fRecord.paperWidth - fRecord.minLeft -
                             int32_t(int64_t(GetDeviceCaps(info, HORZRES)) * 2540 / resX);
          fRecord.minBottom = fRecord.paperHeight - fRecord.minTop -
                              int32_t(int64_t(GetDeviceCaps(info, VERTRES)) * 2540 / resY);
          fRecord.scale = (mode->dmFields & DM_SCALE) ? mode->dmScale : 100;
          if (fRecord.scale != 100) {
            const double factor = fRecord.scale / 100.0;
            for (int32_t* v : {&fRecord.paperWidth, &fRecord.paperHeight, &fRecord.minLeft,
                               &fRecord.minTop, &fRecord.minRight, &fRecord.minBottom}) {
              *v = int32_t(*v * factor);
            }
          }
          DeleteDC(info);
        }
      }
    }
  }
  ReleaseInfoDC();
  VPrintSettings::SyncWithPrinter();
}

void VWinPrinter::BindToPrinter() {
  fBound = 1;
  SyncWithPrinter();
}

void VWinPrinter::Reset() {
  fBound = 0;
  VPrintSettings::Reset();
}

// ---- Dialogs.

bool VWinPrinter::PageSetupDialog() {
  if (fPrinting || !BeginUse(1)) return false;
  PAGESETUPDLGA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hDevMode = fDevMode;
  dialog.hDevNames = fDevNames;
  dialog.Flags = kPageSetupFlags;
  const double scale = fRecord.scale / 100.0;
  auto scaled = [&](int32_t v) { return fRecord.scale != 100 ? int32_t(v * scale) : v; };
  dialog.ptPaperSize = POINT{scaled(fRecord.paperWidth), scaled(fRecord.paperHeight)};
  dialog.rtMargin = RECT{scaled(fRecord.marginLeft), scaled(fRecord.marginTop),
                         scaled(fRecord.marginRight), scaled(fRecord.marginBottom)};
  if (fDevMode != nullptr) {
    DevModeLock mode(fDevMode);
    if (mode) {
      mode->dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_SCALE;
      PrepareDevMode(*mode.get(), 0);
    }
  }
  const bool confirmed = PageSetupDlgA(&dialog) != FALSE_;
  // The dialog may have made or replaced the blocks: they are ours now.
  fDevMode = dialog.hDevMode;
  fDevNames = dialog.hDevNames;
  if (confirmed) {
    fBound = 1;
    SyncWithPrinter();
    const double factor = fRecord.scale > 0 ? 100.0 / fRecord.scale : 1.0;
    fRecord.paperWidth = int32_t(dialog.ptPaperSize.x * factor);
    fRecord.paperHeight = int32_t(dialog.ptPaperSize.y * factor);
    fRecord.marginLeft = std::max(int32_t(dialog.rtMargin.left * factor), fRecord.minLeft);
    fRecord.marginTop = std::max(int32_t(dialog.rtMargin.top * factor), fRecord.minTop);
    fRecord.marginRight = std::max(int32_t(dialog.rtMargin.right * factor), fRecord.minRight);
    fRecord.marginBottom = std::max(int32_t(dialog.rtMargin.bottom * factor), fRecord.minBottom);
  }
  EndUse();
  return confirmed;
}

bool VWinPrinter::PrintDialog(HWND owner) {
  if (fPrinting || !BeginUse(1)) return false;
  PRINTDLGA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.hDevMode = fDevMode;
  dialog.hDevNames = fDevNames;
  dialog.Flags = kPrintFlags;
  dialog.nFromPage = WORD(std::clamp(fFirstPage, 0, 0xFFFF));
  dialog.nToPage = WORD(std::clamp(fLastPage, 0, 0xFFFF));
  dialog.nMinPage = 1;
  dialog.nMaxPage = WORD(std::clamp(fHighestPage, 0, 0xFFFF));
  dialog.nCopies = WORD(std::clamp(fCopies, 0, 0xFFFF));
  if (fDevMode != nullptr) {
    DevModeLock mode(fDevMode);
    if (mode) {
      mode->dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_SCALE | DM_COPIES;
      PrepareDevMode(*mode.get(), DM_COPIES);
    }
  }
  const bool confirmed = PrintDlgA(&dialog) != FALSE_;
  fDevMode = dialog.hDevMode;
  fDevNames = dialog.hDevNames;
  if (confirmed) {
    fBound = 1;
    SyncWithPrinter();
    fFirstPage = dialog.nFromPage;
    fLastPage = dialog.nToPage;
    if (fPrinterDC != nullptr && fPrinterDC != dialog.hDC) DeleteDC(fPrinterDC);
    fPrinterDC = dialog.hDC;
  }
  EndUse();
  return confirmed;
}

// ---- The print job.

void VWinPrinter::PreparePage() {
  SetMapMode(fPrinterDC, MM_TEXT);
  SetViewportOrgEx(fPrinterDC, 0, 0, nullptr);
}

VPort* VWinPrinter::BeginDocument(const std::string& name) {
  if (fPrinting || !BeginUse(1)) return nullptr;
  if (fDevMode != nullptr && fPrinterDC == nullptr) {
    DevModeLock mode(fDevMode);
    fPrinterDC = CreateDCA(fDriver.c_str(), fDevice.c_str(), nullptr, mode.get());
  }
  if (fPrinterDC == nullptr) {
    EndUse();
    return nullptr;
  }
  const std::string title = name.substr(0, 250);
  DOCINFOA info{20, title.c_str(), nullptr, nullptr, 0};
  const bool started = StartDocA(fPrinterDC, &info) > 0;
  const bool paged = started && StartPage(fPrinterDC) > 0;
  if (!paged) {
    // A job that cannot start leaves nothing behind.
    if (started) AbortDoc(fPrinterDC);
    DeleteDC(fPrinterDC);
    fPrinterDC = nullptr;
    EndUse();
    return nullptr;
  }
  PreparePage();
  HDC screen = CreateCompatibleDC(nullptr);
  const int screenX = screen ? std::max(1, GetDeviceCaps(screen, LOGPIXELSX)) : 96;
  const int screenY = screen ? std::max(1, GetDeviceCaps(screen, LOGPIXELSY)) : 96;
  if (screen != nullptr) DeleteDC(screen);
  fRatioX = double(GetDeviceCaps(fPrinterDC, LOGPIXELSX)) / screenX;
  fRatioY = double(GetDeviceCaps(fPrinterDC, LOGPIXELSY)) / screenY;
  fPrinting = 1;
  fJobFailed = false;
  fPageCount = fLastPage + 1 - fFirstPage;
  fCurrentPage = 1;
  fPort.reset(new VScaledPort(fPrinterDC, fRatioX, fRatioY));
  // Drawing at 0, 0 lands on the paper's corner, not the printable area's.
  fPort->PushOrigin(int32_t(-GetDeviceCaps(fPrinterDC, PHYSICALOFFSETX) / fRatioX),
                    int32_t(-GetDeviceCaps(fPrinterDC, PHYSICALOFFSETY) / fRatioY));
  return fPort.get();
}

bool VWinPrinter::NextPage() {
  if (!fPrinting || fUseCount == 0 || fPrinterDC == nullptr || !fPort) return false;
  fPort->DetachDC();
  const bool ended = EndPage(fPrinterDC) > 0;
  ++fCurrentPage;
  fJobFailed = fJobFailed || !ended;
  if (!ended || fCurrentPage > fPageCount) return ended;
  const bool started = StartPage(fPrinterDC) > 0;
  fJobFailed = fJobFailed || !started;
  if (started) {
    const double zoomX = fPort->GetZoomX();
    const double zoomY = fPort->GetZoomY();
    PreparePage();
    fPort->AttachDC(fPrinterDC);
    fPort->SetZoom(zoomX, zoomY);
    fPort->PushOrigin(int32_t(-GetDeviceCaps(fPrinterDC, PHYSICALOFFSETX) / fRatioX),
                      int32_t(-GetDeviceCaps(fPrinterDC, PHYSICALOFFSETY) / fRatioY));
  }
  return started;
}

bool VWinPrinter::EndDocument() {
  if (!fPrinting || fUseCount == 0 || fPrinterDC == nullptr || !fPort) return false;
  bool ok = !fJobFailed;
  if (ok && fCurrentPage <= fPageCount) ok = EndPage(fPrinterDC) > 0;
  fPageCount = 0;
  fCurrentPage = 0;
  fPrinting = 0;
  fJobFailed = false;
  // A job that failed somewhere is given up rather than ended, so that no
  // part of it prints as if it were the whole.
  if (ok) {
    ok = EndDoc(fPrinterDC) > 0;
  } else {
    AbortDoc(fPrinterDC);
  }
  fPort.reset();
  DeleteDC(fPrinterDC);
  fPrinterDC = nullptr;
  EndUse();
  return ok;
}

void VWinPrinter::AbortJob() {
  if (!fPrinting) {
    if (fPrinterDC != nullptr) DeleteDC(fPrinterDC);
    fPrinterDC = nullptr;
    return;
  }
  fPort.reset();
  if (fPrinterDC != nullptr) {
    AbortDoc(fPrinterDC);
    DeleteDC(fPrinterDC);
  }
  fPrinterDC = nullptr;
  fPrinting = 0;
  fPageCount = fCurrentPage = 0;
  if (fUseCount > 0) EndUse();
}

// ---- The stored device mode.

int16_t VWinPrinter::ReadFromStream(VStream* stream, uint8_t flag) {
  const int16_t error = VPrintSettings::ReadFromStream(stream, flag);
  // Unbound, the stored paper went into the device mode; the printer's
  // resolution, minimum margins and the paper it actually takes come back.
  if (error == kPrintNotBound && !fBound && fDevMode != nullptr) BindToPrinter();
  return error;
}

int16_t VWinPrinter::ReadSubRecord(VStream& stream, uint32_t tag, uint32_t version,
                                   uint8_t flag) {
  if (tag != kTagWPRI) return VPrintSettings::ReadSubRecord(stream, tag, version, flag);
  uint32_t length = stream.GetULong();
  if (version == 1) length = LengthWord(stream);
  if (stream.GetStatus() != 0) return stream.GetStatus();
  // Every length is held to what the record still has.
  if (!stream.HasRemaining(length)) return stream.GetStatus();
  if (length < kStoredDevModeSize) {
    // Too short to be a device mode: passed over, and the paper read so far
    // stays.
    stream.Skip(int32_t(length));
  } else {
    std::string stored(length, '\0');
    uint32_t read = length;
    if (stream.ReadData(stored.data(), read) != 0 || read != length) return stream.GetStatus();
    if (fDevMode != nullptr && BeginUse(1)) {
      {
        DevModeLock held(fDevMode);
        if (held) {
          DEVMODEA from;
          std::memcpy(&from, stored.data(), sizeof from);
          auto* to = reinterpret_cast<uint8_t*>(held.get());
          const auto* source = reinterpret_cast<const uint8_t*>(&from);
          // A custom paper (code 0) brings its lengths along even to a
          // device mode that has no length fields switched on yet, as the
          // record's own custom paper does; the driver then checks them.
          const uint32_t lengths = DM_PAPERLENGTH | DM_PAPERWIDTH;
          const bool customPaper = (from.dmFields & DM_PAPERSIZE) &&
                                   (held->dmFields & DM_PAPERSIZE) && from.dmPaperSize == 0 &&
                                   (from.dmFields & lengths) == lengths;
          if (customPaper) held->dmFields |= lengths;
          for (const CopiedField& field : kCopiedFields) {
            if ((from.dmFields & field.flag) && (held->dmFields & field.flag)) {
              std::memcpy(to + field.offset, source + field.offset, field.size);
            }
          }
        }
      }
      ValidateDevMode();
      EndUse();
    }
    BindToPrinter();
  }
  if (version == 1) {
    const uint32_t extra = LengthWord(stream);
    if (stream.GetStatus() != 0) return stream.GetStatus();
    if (!stream.HasRemaining(extra)) return stream.GetStatus();
    stream.Skip(int32_t(extra));
  }
  return stream.GetStatus();
}

void VWinPrinter::WriteSubRecords(VStream& stream) {
  VPrintSettings::WriteSubRecords(stream);
  if (fDevMode == nullptr) return;
  stream.PutLong(int32_t(kTagWPRI));
  stream.PutLong(int32_t(kStoredDevModeSize));
  DevModeLock mode(fDevMode);
  if (mode && GlobalSize(fDevMode) >= kStoredDevModeSize) {
    stream.PutData(mode.get(), kStoredDevModeSize);
  } else {
    const uint8_t zeros[kStoredDevModeSize] = {};
    stream.PutData(zeros, kStoredDevModeSize);
  }
}
