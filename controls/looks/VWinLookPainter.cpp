// The Windows look: system colours, system fonts, system scroll-bar sizes,
// and images for check boxes, radio buttons and scroll arrows.
#include "controls/looks/VWinLookPainter.h"

#include <cstring>

#include "controls/looks/LookElements.h"
#include "framework/core/strings/VString.h"
#include "framework/system/environment/VSystemServices.h"
#include "graphics/VIconShape.h"
#include "graphics/VPort.h"
#include "platform/gdi/WinGdi.h"
#include "platform/win32/WinSysColors.h"
#include "platform/win32/WinSystemParameters.h"
#include "platform/win32/WinWindowState.h"

namespace {

constexpr int32_t kSystemVersionNT4 = 4;
constexpr int32_t kSystemVersionXP = 7;
constexpr int kWinFirstCheckSlot = 4;
constexpr int kWinFirstRadioSlot = 13;

const char* const kWinImageNames[VWinLookPainter::kImageCount] = {
    "ArrowLeft",
    "ArrowRight",
    "ArrowTop",
    "ArrowBottom",
    "WinCheckNormal",
    "WinCheckChecked",
    "WinCheckMixed",
    "WinCheckPushedNormal",
    "WinCheckPushedChecked",
    "WinCheckPushedMixed",
    "WinCheckDisabledNormal",
    "WinCheckDisabledChecked",
    "WinCheckDisabledMixed",
    "WinRadioNormal",
    "WinRadioChecked",
    "WinRadioMixed",
    "WinRadioPushedNormal",
    "WinRadioPushedChecked",
    "WinRadioPushedMixed",
    "WinRadioDisabledNormal",
    "WinRadioDisabledChecked",
    "WinRadioDisabledMixed",
};

// A system font: the face of the logical font, its height in points on the
// device context (a screen-compatible memory context stands in for none),
// bold above weight 500.
void SystemFontOf(HDC dc, const LOGFONTA& font, VString& name, int16_t& size, uint8_t& bold,
                  uint8_t& italic) {
  const size_t length = strnlen(font.lfFaceName, LF_FACESIZE);
  name.SetChars(font.lfFaceName, 0, static_cast<int32_t>(length), kCharSetAnsi);
  HDC measured = dc != nullptr ? dc : CreateCompatibleDC(nullptr);
  const int32_t height = font.lfHeight < 0 ? -font.lfHeight : font.lfHeight;
  size = static_cast<int16_t>(MulDiv(height, 72, GetDeviceCaps(measured, LOGPIXELSY)));
  if (measured != dc) DeleteDC(measured);
  bold = font.lfWeight > 500 ? 1 : 0;
  italic = font.lfItalic != 0 ? 1 : 0;
}

}  // namespace

VWinLookPainter::~VWinLookPainter() = default;

VIconShape* VWinLookPainter::Image(int slot) {
  return fImages.Get(slot, kWinImageNames[slot]);
}

// ---- Colours, fonts, metrics.

COLORREF VWinLookPainter::GetColor(int32_t index) {
  if (index >= 0 && index <= 16) return looks::SharedLookColor(index);
  int system = -1;
  switch (index) {
    case 17:
    case 18: system = COLOR_3DFACE; break;
    case 19: system = COLOR_3DLIGHT; break;
    case 20: system = COLOR_3DHILIGHT; break;
    case 21: system = COLOR_3DSHADOW; break;
    case 22: system = COLOR_3DDKSHADOW; break;
    case 23: system = COLOR_SCROLLBAR; break;
    case 24: system = COLOR_CAPTIONTEXT; break;
    case 25: system = COLOR_WINDOWTEXT; break;
    case 26: system = COLOR_BTNTEXT; break;
    case 27: system = COLOR_WINDOW; break;
    case 28:
    case 32: system = COLOR_HIGHLIGHTTEXT; break;
    case 29: system = COLOR_GRAYTEXT; break;
    case 30:
    case 34: system = COLOR_HIGHLIGHT; break;
    case 31:
      system =
          VSystemServices::GetSystemVersion() == kSystemVersionNT4 ? COLOR_MENUTEXT : COLOR_BTNTEXT;
      break;
    case 33:
      system = VSystemServices::GetSystemVersion() == kSystemVersionXP ? COLOR_3DFACE : COLOR_MENU;
      break;
    case 35: system = COLOR_INFOTEXT; break;
    case 36: system = COLOR_INFOBK; break;
    default: return 0xFFFFFFFF;
  }
  return GetSysColor(system);
}

bool VWinLookPainter::GetFont(HDC dc, int32_t kind, VString& name, int16_t& size, uint8_t& bold,
                              uint8_t& italic) {
  if (kind == 6 || kind == 7) {
    const char* face = kind == 6 ? "Times New Roman" : "Arial";
    name.SetChars(face, 0, static_cast<int32_t>(std::strlen(face)), kCharSetAnsi);
    size = 10;
    bold = 0;
    italic = 0;
    return true;
  }
  if (kind < 0 || kind > 5) return false;
  if (kind == 4) {
    LOGFONTA font;
    if (!SystemParametersInfoA(SPI_GETICONTITLELOGFONT, sizeof font, &font, 0)) return false;
    SystemFontOf(dc, font, name, size, bold, italic);
    return true;
  }
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return false;
  SystemFontOf(dc, kind == 5 ? metrics.lfMessageFont : metrics.lfMenuFont, name, size, bold,
               italic);
  return true;
}

int32_t VWinLookPainter::GetMetric(int32_t id) {
  switch (id) {
    case 0: return 1;
    case 1: return GetSystemMetrics(SM_CXHSCROLL);
    case 2: return GetSystemMetrics(SM_CXVSCROLL);
    case 3: return GetSystemMetrics(SM_CXHTHUMB);
    case 5:
    case 6: return GetMetric(2);
    default: return 0;
  }
}

// ---- Elements.

bool VWinLookPainter::DrawElement(VPort& port, int32_t kind, int32_t state, int32_t x, int32_t y,
                                  int32_t w, int32_t h, const VString* text, int32_t) {
  using namespace looks;
  ResetDrawingState(port);
  const LookCall call{*this, port, kind, state, x, y, w, h, text};
  switch (kind) {
    case kRadioButton:
    case kCheckBox: {
      const int first = kind == kCheckBox ? kWinFirstCheckSlot : kWinFirstRadioSlot;
      DrawImageCheck(call, Image(first + CheckImageSlot(state)));
      break;
    }
    case kArrowLeft:
    case kArrowRight:
    case kArrowUp:
    case kArrowDown:
    case kDropDownButton: {
      int32_t bx, by, bw, bh;
      DrawArrowButtonFrame(call, &bx, &by, &bw, &bh);
      if (state != kNormal && state != kPressed && state != kDisabled) break;
      // The down arrow serves the drop-down button too.
      VIconShape* image = Image((kind == kDropDownButton ? kArrowDown : kind) - kArrowLeft);
      image->SetPosition(bx + FloorHalf(bw) - FloorHalf(image->GetWidth()),
                         by + FloorHalf(bh) - FloorHalf(image->GetHeight()));
      port.DrawIcon(*image, state == kDisabled ? 2 : 0);
      break;
    }
    default: DrawWinElement(call); break;
  }
  return true;
}
