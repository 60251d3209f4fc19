// Printing in the headless stand-in: the spooler's printer handles and
// device modes, the print dialog (answered by a provider that the stand-in
// host or a test sets; cancelled without one), the default printer of the
// system profile, and print jobs. A job's printer DC records the page's
// calls and writes them into the job's PDF file as vectors (text as text in
// the embedded fonts, lines, shapes and regions as paths), and the parts of
// the page that need a raster operation PDF has no operator for, and every
// bitmap, as images of the page's pixels, which the page has only there.
#pragma once

#include "platform/gdi/WinGdiTypes.h"
#include "platform/win32/WinCommonDialogs.h"
#include "platform/win32/WinMemory.h"

using HANDLE = void*;

// The device mode: 156 bytes, little-endian, in the layout of the public
// part of the printer's device record.
struct DEVMODEA {
  char dmDeviceName[32];
  uint16_t dmSpecVersion;
  uint16_t dmDriverVersion;
  uint16_t dmSize;
  uint16_t dmDriverExtra;
  uint32_t dmFields;
  int16_t dmOrientation;
  int16_t dmPaperSize;
  int16_t dmPaperLength;  // tenths of a millimetre
  int16_t dmPaperWidth;
  int16_t dmScale;
  int16_t dmCopies;
  int16_t dmDefaultSource;
  int16_t dmPrintQuality;
  int16_t dmColor;
  int16_t dmDuplex;
  int16_t dmYResolution;
  int16_t dmTTOption;
  int16_t dmCollate;
  char dmFormName[32];
  uint16_t dmLogPixels;
  uint32_t dmBitsPerPel;
  uint32_t dmPelsWidth;
  uint32_t dmPelsHeight;
  uint32_t dmNup;
  uint32_t dmDisplayFrequency;
  uint32_t dmICMMethod;
  uint32_t dmICMIntent;
  uint32_t dmMediaType;
  uint32_t dmDitherType;
  uint32_t dmReserved1;
  uint32_t dmReserved2;
  uint32_t dmPanningWidth;
  uint32_t dmPanningHeight;
};
static_assert(sizeof(DEVMODEA) == 156, "the device mode is 156 bytes");

// Fields of dmFields.
constexpr uint32_t DM_ORIENTATION = 0x00000001;
constexpr uint32_t DM_PAPERSIZE = 0x00000002;
constexpr uint32_t DM_PAPERLENGTH = 0x00000004;
constexpr uint32_t DM_PAPERWIDTH = 0x00000008;
constexpr uint32_t DM_SCALE = 0x00000010;
constexpr uint32_t DM_COPIES = 0x00000100;
constexpr uint32_t DM_DEFAULTSOURCE = 0x00000200;
constexpr uint32_t DM_PRINTQUALITY = 0x00000400;
constexpr uint32_t DM_COLOR = 0x00000800;
constexpr uint32_t DM_DUPLEX = 0x00001000;
constexpr uint32_t DM_YRESOLUTION = 0x00002000;
constexpr uint32_t DM_TTOPTION = 0x00004000;
constexpr uint32_t DM_COLLATE = 0x00008000;
constexpr uint32_t DM_FORMNAME = 0x00010000;
constexpr uint32_t DM_ICMMETHOD = 0x00800000;
constexpr uint32_t DM_ICMINTENT = 0x01000000;
constexpr uint32_t DM_MEDIATYPE = 0x02000000;
constexpr uint32_t DM_DITHERTYPE = 0x04000000;
constexpr int16_t DMORIENT_PORTRAIT = 1;
constexpr int16_t DMORIENT_LANDSCAPE = 2;

// DocumentPropertiesA modes; 0 asks for the size of the device mode.
constexpr DWORD DM_OUT_BUFFER = 2;
constexpr DWORD DM_IN_BUFFER = 8;
constexpr int IDOK_ = 1;

struct PRINTER_DEFAULTSA {
  char* pDatatype;
  DEVMODEA* pDevMode;
  DWORD DesiredAccess;
};
constexpr DWORD PRINTER_ACCESS_USE = 0x00000008;

// True with a handle for a printer the stand-in knows by name.
QV_PLATFORM_API BOOL OpenPrinterA(const char* name, HANDLE* printer, PRINTER_DEFAULTSA* defaults);
QV_PLATFORM_API BOOL ClosePrinter(HANDLE printer);
// Mode 0: the size of the device mode (156). DM_OUT_BUFFER: the printer's
// device mode into `out`, with DM_IN_BUFFER the fields of `in` merged and
// checked first (an unknown paper, orientation or scale falls back to the
// printer's). Answers IDOK_, or -1 for a bad handle or a missing buffer.
QV_PLATFORM_API LONG DocumentPropertiesA(HWND owner, HANDLE printer, const char* device,
                                         DEVMODEA* out, const DEVMODEA* in, DWORD mode);

// ---- The system profile: the "device" entry of the "windows" section is
// "device,driver,port" of the default printer.
QV_PLATFORM_API DWORD GetProfileStringA(const char* section, const char* key,
                                        const char* defaultValue, char* out, DWORD size);

// ---- The print dialog.
constexpr DWORD PD_NOSELECTION = 0x00000004;
constexpr DWORD PD_RETURNDC = 0x00000100;
constexpr DWORD PD_USEDEVMODECOPIESANDCOLLATE = 0x00040000;

struct PRINTDLGA {
  DWORD lStructSize;
  HWND hwndOwner;
  HGLOBAL hDevMode;
  HGLOBAL hDevNames;
  HDC hDC;
  DWORD Flags;
  WORD nFromPage;
  WORD nToPage;
  WORD nMinPage;
  WORD nMaxPage;
  WORD nCopies;
  void* hInstance;
  LPARAM lCustData;
  void* lpfnPrintHook;
  void* lpfnSetupHook;
  const char* lpPrintTemplateName;
  const char* lpSetupTemplateName;
  HGLOBAL hPrintTemplate;
  HGLOBAL hSetupTemplate;
};

// The provider sees the record as the module filled it (the device mode
// blocks made for the default printer when none were given) and answers as
// the user would: true to print. With PD_RETURNDC the dialog then makes the
// printer DC.
using HeadlessPrintProvider = BOOL (*)(PRINTDLGA* dialog, void* context);
QV_PLATFORM_API void SetHeadlessPrintProvider(HeadlessPrintProvider provider, void* context);
QV_PLATFORM_API BOOL PrintDlgA(PRINTDLGA* dialog);


// ---- Print jobs.
struct DOCINFOA {
  int cbSize;
  const char* lpszDocName;
  const char* lpszOutput;  // the PDF file; null: the headless output name
  const char* lpszDatatype;
  DWORD fwType;
};

// A positive job id, or 0 (SP_ERROR-like failure) when the DC is no printer
// DC, a job runs on it, or the PDF file cannot be made.
// The PDF is written beside its path under a hidden name and put in its
// place only by an EndDoc that wrote it whole; a job that fails or is
// aborted leaves no file, and an older file at the path as it was.
QV_PLATFORM_API int StartDocA(HDC dc, const DOCINFOA* info);
QV_PLATFORM_API int StartPage(HDC dc);
// 0 when the page could not be written (the disk is full).
QV_PLATFORM_API int EndPage(HDC dc);
// 0 when the document could not be written whole; its file is then gone.
QV_PLATFORM_API int EndDoc(HDC dc);
// Ends the job and removes its file.
QV_PLATFORM_API int AbortDoc(HDC dc);

// Where a job without an output name writes its PDF (null: "<document
// name>.pdf" in the working folder).
QV_PLATFORM_API void SetHeadlessPrintOutput(const char* path);
// When set, every finished page is also written as "<prefix><n>.png" (n from
// 1), its pixels as the page shows them.
QV_PLATFORM_API void SetHeadlessPrintPagePng(const char* prefix);
// How many page pixels print jobs have made since the last reset. A job
// makes a page's pixels only where a call asks for a raster operation that
// the PDF has no operator for (and each whole page when pages are written
// as PNG files too), so a job of text and plain shapes makes none.
QV_PLATFORM_API int64_t HeadlessPrintPagePixels();
// Makes the next StartDocA (1) or StartPage (2) fail, once; or gives the
// next job's output a full disk from its start (3), once its first page is
// written (4), or when the document is finished (5); 0 clears.
QV_PLATFORM_API void SetHeadlessPrintFailure(int which);
// Providers, output names, failures and the pixel count back to none.
QV_PLATFORM_API void ResetHeadlessPrinting();
