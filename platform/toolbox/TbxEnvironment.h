// The Toolbox emulation library's environment queries that the framework
// makes: Gestalt, the double-click and caret intervals, the random numbers,
// the beep, font numbers and names, the screen devices with the rectangle
// calls they need, and the library's system objects.
#pragma once

#include <cstdint>

#include "platform/Export.h"
#include "platform/gdi/WinGdiTypes.h"
#include "platform/toolbox/TbxHandles.h"

namespace Tbx {

constexpr OSErr gestaltUndefSelectorErr = -5551;

// The system version selector 'sysv'. The emulation answers it with the
// platform family code that the framework classifies Windows versions by;
// this platform stands in for the newest family, 7 (NT 5.1 and later).
constexpr uint32_t gestaltSystemVersion = 0x73797376;  // 'sysv'

// Answers the value of `selector` in *response; gestaltUndefSelectorErr
// (response left alone) for a selector the emulation does not know.
QV_PLATFORM_API OSErr Gestalt(uint32_t selector, int32_t* response);

// ---- Intervals in ticks of 1/60 second, from the system's settings in
// milliseconds (GetDoubleClickTime, GetCaretBlinkTime).
QV_PLATFORM_API uint32_t GetDblTime();
QV_PLATFORM_API uint32_t GetCaretBlinkTime();

// ---- Random numbers: -32767 to 32767 from the seed, which each call moves
// on (seed x 16807 modulo 2^31 - 1).
QV_PLATFORM_API int16_t Random();
QV_PLATFORM_API void SetRandomSeed(int32_t seed);
QV_PLATFORM_API int32_t GetRandomSeed();

// ---- The beep, counted so that the stand-in host and tests can see it.
QV_PLATFORM_API void SysBeep(int16_t duration);
QV_PLATFORM_API int32_t CountBeeps();

// ---- The emulation told that the picture library is not there (0), once
// at start; counted, with the last value, so that tests can see it.
QV_PLATFORM_API void EmulatorCall3028(int32_t value);
QV_PLATFORM_API int32_t CountEmulatorCall3028(int32_t* lastValue);

// ---- Fonts by number: 0 is the system font (MS Sans Serif); the families
// the system lists are numbered from 1 in the order it lists them. Names are
// length-prefixed texts and compare without regard to case.
// An unknown name gives 0.
QV_PLATFORM_API void GetFNum(const uint8_t* name, int16_t* familyId);
// An unknown number gives the empty text.
QV_PLATFORM_API void GetFontName(int16_t familyId, uint8_t* name);

// ---- Rectangles and points of 16-bit coordinates. The right and bottom
// edges lie outside.
struct Rect {
  int16_t top;
  int16_t left;
  int16_t bottom;
  int16_t right;
};
struct Point {
  int16_t v;
  int16_t h;
};
QV_PLATFORM_API bool PtInRect(Point point, const Rect* rect);
// The overlap of two rectangles into *result (which may be either source);
// false, with an all-zero result, when they do not overlap.
QV_PLATFORM_API bool SectRect(const Rect* a, const Rect* b, Rect* result);

// ---- Screen devices, one per screen of the system (main screen first), as
// handles whose block holds the device record. The records are made afresh
// when the list of screens changes; the handles stay the emulation's.
using GDHandle = Handle;
struct GDevice {
  GDHandle gdNextGD;  // the next device of the list, 0 after the last
  Rect gdRect;        // the screen's rectangle
  uint16_t gdFlags;   // bit 15 screenActive, bit 11 mainScreen
  uint16_t gdReserved;
};
constexpr int16_t screenActive = 15;
constexpr int16_t mainScreen = 11;
QV_PLATFORM_API GDHandle GetMainDevice();
QV_PLATFORM_API GDHandle GetDeviceList();
QV_PLATFORM_API GDHandle GetNextDevice(GDHandle device);
QV_PLATFORM_API bool TestDeviceAttribute(GDHandle device, int16_t attribute);
// The device's rectangle; false for a handle that is not a device.
QV_PLATFORM_API bool GetDeviceRect(GDHandle device, Rect* rect);

// ---- The library's system objects. Object 158 is the host's main-window
// record: its third word the host's instance, its fourth the host's main
// window (native widths here); null until the host has given one.
struct MainWindowRecord {
  uint32_t reserved1;
  uint32_t reserved2;
  void* instance;
  HWND window;
};
constexpr int32_t kSystemObjectMainWindow = 158;
QV_PLATFORM_API void* EmulatorGetSystemObject(int32_t group, int32_t selector, int32_t option);
// Set by the stand-in host (null: no record).
QV_PLATFORM_API void SetMainWindowRecord(void* instance, HWND window);
QV_PLATFORM_API void ClearMainWindowRecord();

}  // namespace Tbx
