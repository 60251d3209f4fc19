// The common dialogs of the headless stand-in. No dialog is shown: the colour
// picker's answer comes from a provider that the stand-in host or a test
// sets (without one the user cancels), and the page set-up dialog answers the
// default printer when asked for it.
#pragma once

#include "platform/gdi/WinGdiTypes.h"
#include "platform/win32/WinMemory.h"

using LPARAM = intptr_t;

// ---- Colour picker.
constexpr DWORD CC_RGBINIT = 0x00000001;
constexpr DWORD CC_FULLOPEN = 0x00000002;

struct CHOOSECOLORA {
  DWORD lStructSize;
  HWND hwndOwner;
  HWND hInstance;
  COLORREF rgbResult;
  COLORREF* lpCustColors;  // 16 colours
  DWORD Flags;
  LPARAM lCustData;
  void* lpfnHook;
  const char* lpTemplateName;
};

// True when the user confirmed a colour (left in rgbResult; the provider may
// also change the custom colours), false when cancelled or when the record is
// not well formed (size, custom colours).
QV_PLATFORM_API BOOL ChooseColorA(CHOOSECOLORA* dialog);

// The provider sees the record as the module filled it and answers as the
// user would: true to confirm.
using HeadlessColorProvider = BOOL (*)(CHOOSECOLORA* dialog, void* context);
// Null removes the provider: every dialog is then cancelled.
QV_PLATFORM_API void SetHeadlessColorProvider(HeadlessColorProvider provider, void* context);

// ---- Page set-up: the default printer, and the dialog answered by a
// provider.
constexpr DWORD PSD_MARGINS = 0x00000002;
constexpr DWORD PSD_INTHOUSANDTHSOFINCHES = 0x00000004;
constexpr DWORD PSD_INHUNDREDTHSOFMILLIMETERS = 0x00000008;
constexpr DWORD PSD_RETURNDEFAULT = 0x00000400;

struct PAGESETUPDLGA {
  DWORD lStructSize;
  HWND hwndOwner;
  HGLOBAL hDevMode;
  HGLOBAL hDevNames;
  DWORD Flags;
  POINT ptPaperSize;
  RECT rtMinMargin;
  RECT rtMargin;
  void* hInstance;
  LPARAM lCustData;
  void* lpfnPageSetupHook;
  void* lpfnPagePaintHook;
  const char* lpPageSetupTemplateName;
  HGLOBAL hPageSetupTemplate;
};

// The names of a printer: offsets, in bytes from the start of the record, of
// the driver, device and output texts that follow it.
struct DEVNAMES {
  WORD wDriverOffset;
  WORD wDeviceOffset;
  WORD wOutputOffset;
  WORD wDefault;
};
constexpr WORD DN_DEFAULTPRN = 0x0001;

// The size of the device-mode record handed out (its first 32 bytes the
// device name, its size at offset 36).
constexpr SIZE_T kDevModeSize = 156;

// With PSD_RETURNDEFAULT (and no device blocks given): new moveable blocks
// with the default printer's device mode and names, which the caller frees;
// false when there is no default printer. Any other use is the dialog: its
// provider answers as the user would (true to confirm), seeing the record
// with device blocks for the default printer when none were given; without a
// provider the user cancels. The user chooses the paper and its orientation
// in the device mode and the margins in rtMargin; a confirmed dialog gives
// back the device mode as the printer takes it (a paper it does not know
// falls back to its own) and, in ptPaperSize, that paper's size as it lies
// (across when turned) at the device mode's scale, in the unit the flags
// name (thousandths of an inch, else hundredths of a millimetre).
QV_PLATFORM_API BOOL PageSetupDlgA(PAGESETUPDLGA* dialog);
using HeadlessPageSetupProvider = BOOL (*)(PAGESETUPDLGA* dialog, void* context);
QV_PLATFORM_API void SetHeadlessPageSetupProvider(HeadlessPageSetupProvider provider,
                                                  void* context);
// The default printer's device name into `device` (at most size - 1
// characters and a zero); false when there is none.
QV_PLATFORM_API BOOL GetHeadlessDefaultPrinter(char* device, DWORD size);
// New moveable blocks with a printer's device mode and names; null when the
// memory cannot be had.
QV_PLATFORM_API HGLOBAL NewHeadlessDevMode(const char* device);
QV_PLATFORM_API HGLOBAL NewHeadlessDevNames(const char* device);

// The default printer's device name (the printer the GDI stand-in knows from
// the start unless set); null: there is no default printer.
QV_PLATFORM_API void SetHeadlessDefaultPrinter(const char* device);
// No colour provider and the GDI stand-in's own default printer again.
QV_PLATFORM_API void ResetHeadlessDialogs();
