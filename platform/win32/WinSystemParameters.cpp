// The classic scheme's system fonts: every one is MS Sans Serif of 11
// pixels (8 points at 96 dots an inch), the captions bold; the sizes beside
// them are those of the window stand-ins' frames and scroll bars.
#include "platform/win32/WinSystemParameters.h"

#include <cstdint>
#include <cstring>

#include "platform/win32/WinWindowState.h"

namespace {

LOGFONTA ClassicSystemFont(LONG weight) {
  LOGFONTA font{};
  font.lfHeight = -11;
  font.lfWeight = weight;
  font.lfCharSet = 0;  // ANSI
  std::strncpy(font.lfFaceName, "MS Sans Serif", LF_FACESIZE - 1);
  return font;
}

constexpr LONG kNormalWeight = 400;
constexpr LONG kBoldWeight = 700;

}  // namespace

BOOL SystemParametersInfoA(UINT action, UINT param, void* record, UINT) {
  if (record == nullptr) return FALSE_;
  if (action == SPI_GETICONTITLELOGFONT) {
    const LOGFONTA font = ClassicSystemFont(kNormalWeight);
    std::memcpy(record, &font, sizeof font);
    return TRUE_;
  }
  if (action != SPI_GETNONCLIENTMETRICS) return FALSE_;
  auto* metrics = static_cast<NONCLIENTMETRICSA*>(record);
  if (metrics->cbSize != sizeof(NONCLIENTMETRICSA) || param != sizeof(NONCLIENTMETRICSA)) {
    return FALSE_;
  }
  NONCLIENTMETRICSA m{};
  m.cbSize = sizeof m;
  m.iBorderWidth = 1;
  m.iScrollWidth = GetSystemMetrics(SM_CXVSCROLL);
  m.iScrollHeight = GetSystemMetrics(SM_CXHSCROLL);
  m.iCaptionWidth = GetSystemMetrics(SM_CYCAPTION);
  m.iCaptionHeight = GetSystemMetrics(SM_CYCAPTION);
  m.lfCaptionFont = ClassicSystemFont(kBoldWeight);
  m.iSmCaptionWidth = 12;
  m.iSmCaptionHeight = 15;
  m.lfSmCaptionFont = ClassicSystemFont(kBoldWeight);
  m.iMenuWidth = GetSystemMetrics(SM_CYMENU);
  m.iMenuHeight = GetSystemMetrics(SM_CYMENU);
  m.lfMenuFont = ClassicSystemFont(kNormalWeight);
  m.lfStatusFont = ClassicSystemFont(kNormalWeight);
  m.lfMessageFont = ClassicSystemFont(kNormalWeight);
  *metrics = m;
  return TRUE_;
}

int MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  const int64_t product = int64_t{number} * numerator;
  int64_t quotient = product / denominator;
  const int64_t rest = product % denominator;
  // Half or more of the divisor left over rounds away from zero.
  const int64_t twice = rest < 0 ? -2 * rest : 2 * rest;
  const int64_t divisor = denominator < 0 ? -int64_t{denominator} : denominator;
  if (twice >= divisor) quotient += (product < 0) != (denominator < 0) ? -1 : 1;
  if (quotient < INT32_MIN || quotient > INT32_MAX) return -1;
  return static_cast<int>(quotient);
}
