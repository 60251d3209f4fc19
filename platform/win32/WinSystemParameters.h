// The user's interface settings that the look painters read: the system
// fonts of menus, captions, messages and icon titles (a fixed classic scheme
// over the pinned fonts), and MulDiv, which turns their heights into points.
#pragma once

#include "platform/Export.h"
#include "platform/gdi/WinGdi.h"
#include "platform/win32/WinTypes.h"

constexpr UINT SPI_GETICONTITLELOGFONT = 31;
constexpr UINT SPI_GETNONCLIENTMETRICS = 41;

// 340 bytes: five sizes, the caption font, two sizes, the small caption
// font, two sizes, then the menu, status and message fonts.
struct NONCLIENTMETRICSA {
  UINT cbSize;
  int iBorderWidth;
  int iScrollWidth;
  int iScrollHeight;
  int iCaptionWidth;
  int iCaptionHeight;
  LOGFONTA lfCaptionFont;
  int iSmCaptionWidth;
  int iSmCaptionHeight;
  LOGFONTA lfSmCaptionFont;
  int iMenuWidth;
  int iMenuHeight;
  LOGFONTA lfMenuFont;
  LOGFONTA lfStatusFont;
  LOGFONTA lfMessageFont;
};
static_assert(sizeof(NONCLIENTMETRICSA) == 340);

// SPI_GETNONCLIENTMETRICS fills a NONCLIENTMETRICSA whose cbSize the caller
// set to 340 (and `param` to the same); SPI_GETICONTITLELOGFONT fills a
// LOGFONTA. FALSE for a null record, a wrong size or another action; the
// record is then left as it was. `winIni` is not used.
QV_PLATFORM_API BOOL SystemParametersInfoA(UINT action, UINT param, void* record, UINT winIni);

// number x numerator / denominator, rounded half away from zero, computed
// in 64 bits; -1 when the denominator is 0 or the result leaves 32 bits.
QV_PLATFORM_API int MulDiv(int number, int numerator, int denominator);
