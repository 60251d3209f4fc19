// The pop-up tracking loop's window procedures.
#include "views/VPopUpWindowProcs.h"

#include "framework/core/intl/VIntlMgr.h"
#include "views/VShortcut.h"
#include "platform/win32/WinMessages.h"

VPopUpKeyTarget* gPopUpKeyTarget = nullptr;
WNDPROC gReplacedOwnerProc = nullptr;
WNDPROC gReplacedPopUpProc = nullptr;
uint8_t gPopUpButtonDown = 0;
uint8_t gPopUpPainted = 0;

namespace {

constexpr UINT kWmNcLButtonDown = 0x00A1;
constexpr UINT kWmNcLButtonUp = 0x00A2;
constexpr UINT kWmNcRButtonDown = 0x00A4;
constexpr UINT kWmNcRButtonUp = 0x00A5;
constexpr UINT kWmNcMButtonDown = 0x00A7;
constexpr UINT kWmNcMButtonUp = 0x00A8;
constexpr UINT kWmDeadChar = 0x0103;
constexpr UINT kWmSysKeyDown = 0x0104;
constexpr UINT kWmSysKeyUp = 0x0105;
constexpr UINT kWmMButtonDown = 0x0207;
constexpr UINT kWmMButtonUp = 0x0208;
// A key message of the input method, translated as WM_KEYDOWN is.
constexpr UINT kWmImeKey = 0x0280;

// Makes the keystroke, hands it to the target and lets it go after the
// call. Nothing without a target.
void HandOver(char16_t character, int16_t keyCode) {
  if (gPopUpKeyTarget == nullptr) return;
  auto* key = new VShortcut(character, keyCode, false, false, false);
  gPopUpKeyTarget->HandleKey(*key);
  delete key;
}

char16_t FromWindowsByte(uint8_t byte) {
  return gIntlMgr != nullptr ? gIntlMgr->WinCharToUni(byte) : byte;
}

}  // namespace

int16_t PopUpKeyCode(WPARAM virtualKey) {
  switch (virtualKey) {
    case 13: return kKeyReturn;
    case 27: return kKeyEscape;
    case 33: return kKeyPageUp;
    case 34: return kKeyPageDown;
    case 35: return kKeyEnd;
    case 36: return kKeyHome;
    case 37: return kKeyLeft;
    case 38: return kKeyUp;
    case 39: return kKeyRight;
    case 40: return kKeyDown;
    case 43: return kKeyEnter;
    default: return 0;
  }
}

LRESULT AppActivateWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // Another application coming to the front closes the pop-up: Escape to
  // the target, when there is one; the message goes on either way.
  if (message == WM_ACTIVATEAPP) HandOver(0, kKeyEscape);
  return CallWindowProcA(gReplacedOwnerProc, window, message, wParam, lParam);
}

LRESULT ChildControlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATE:
      if ((wParam & 0xFFFF) == WA_INACTIVE) HandOver(0, kKeyEscape);
      break;
    case WM_PAINT: gPopUpPainted = 1; break;
    case kWmNcLButtonDown:
    case kWmNcRButtonDown:
    case kWmNcMButtonDown:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case kWmMButtonDown:
      // The click stays away from the native control; the loop sees it
      // through the flag.
      gPopUpButtonDown = 1;
      return 0;
    case kWmNcLButtonUp:
    case kWmNcRButtonUp:
    case kWmNcMButtonUp:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case kWmMButtonUp: gPopUpButtonDown = 0; break;
    case WM_KEYDOWN:
    case kWmImeKey: {
      const int16_t code = PopUpKeyCode(wParam);
      if (code == 0 || gPopUpKeyTarget == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);
      HandOver(0, code);
      return 0;
    }
    case WM_KEYUP:
    case kWmSysKeyDown:
    case kWmSysKeyUp: return DefWindowProcA(window, message, wParam, lParam);
    case WM_CHAR:
      if (gPopUpKeyTarget != nullptr)
        HandOver(FromWindowsByte(static_cast<uint8_t>(wParam & 0xFF)), 0);
      return 0;
    case kWmDeadChar:
    default: break;
  }
  return CallWindowProcA(gReplacedPopUpProc, window, message, wParam, lParam);
}
