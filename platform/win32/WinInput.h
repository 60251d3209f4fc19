// Keyboard and mouse of the headless stand-in: a key-state table, the cursor
// position, the double-click and caret intervals, keyboard layouts and the
// input method's conversion mode. The stand-in host's event delivery and the
// tests set the state; the module reads it through the Win32 calls.
#pragma once

#include <cstddef>

#include "platform/gdi/WinGdiTypes.h"

using SHORT = int16_t;
using ULONGLONG = uint64_t;

// Virtual keys the module asks about.
constexpr int VK_LBUTTON = 0x01;
constexpr int VK_RBUTTON = 0x02;
constexpr int VK_CANCEL = 0x03;
constexpr int VK_MBUTTON = 0x04;
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_CLEAR = 0x0C;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;
constexpr int VK_PAUSE = 0x13;
constexpr int VK_CAPITAL = 0x14;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_NUMLOCK = 0x90;
constexpr int VK_SCROLL = 0x91;
constexpr int VK_LSHIFT = 0xA0;
constexpr int VK_RSHIFT = 0xA1;
constexpr int VK_LCONTROL = 0xA2;
constexpr int VK_RCONTROL = 0xA3;
constexpr int VK_LMENU = 0xA4;
constexpr int VK_RMENU = 0xA5;

// Key state: the high bit (a negative answer) while the key is down.
// GetKeyState also reports the toggle (Caps Lock, Num Lock) in bit 0. The
// generic Shift, Control and Alt keys are down while either side is.
QV_PLATFORM_API SHORT GetAsyncKeyState(int virtualKey);
QV_PLATFORM_API SHORT GetKeyState(int virtualKey);
// 256 bytes, one per virtual key: 0x80 down, 0x01 toggled.
QV_PLATFORM_API BOOL GetKeyboardState(BYTE* state);

// The cursor in screen coordinates.
QV_PLATFORM_API BOOL GetCursorPos(POINT* point);
QV_PLATFORM_API BOOL SetCursorPos(int x, int y);

// The double-click interval in milliseconds (500 unless set) and the caret
// blink interval (530 unless set).
QV_PLATFORM_API UINT GetDoubleClickTime();
QV_PLATFORM_API BOOL SetDoubleClickTime(UINT milliseconds);
QV_PLATFORM_API UINT GetCaretBlinkTime();
QV_PLATFORM_API BOOL SetCaretBlinkTime(UINT milliseconds);

// Keyboard layouts, named by eight hexadecimal digits (the low word the
// language). Loading one with KLF_ACTIVATE makes it the active layout; text
// that is not a layout name loads nothing.
struct HKL__;
using HKL = HKL__*;
constexpr UINT KLF_ACTIVATE = 0x00000001;
constexpr UINT KLF_SUBSTITUTE_OK = 0x00000002;
constexpr UINT KLF_REPLACELANG = 0x00000010;
QV_PLATFORM_API HKL LoadKeyboardLayoutA(const char* name, UINT flags);
QV_PLATFORM_API HKL GetKeyboardLayout(DWORD thread);

// The input method: one input context per window, whose conversion and
// sentence modes are kept.
struct HIMC__;
using HIMC = HIMC__*;
constexpr DWORD IME_CMODE_NATIVE = 0x0001;
constexpr DWORD IME_CMODE_FULLSHAPE = 0x0008;
QV_PLATFORM_API HIMC ImmGetContext(HWND window);
QV_PLATFORM_API BOOL ImmReleaseContext(HWND window, HIMC context);
QV_PLATFORM_API BOOL ImmSetConversionStatus(HIMC context, DWORD conversion, DWORD sentence);
QV_PLATFORM_API BOOL ImmGetConversionStatus(HIMC context, DWORD* conversion, DWORD* sentence);
// Whether the context is open (composing); a new context is closed.
QV_PLATFORM_API BOOL ImmGetOpenStatus(HIMC context);
QV_PLATFORM_API BOOL ImmSetOpenStatus(HIMC context, BOOL open);
// The composition font (the 60-byte LOGFONTA) and the composition window's
// place; only the point style is kept.
struct LOGFONTA;
constexpr DWORD CFS_DEFAULT = 0x0000;
constexpr DWORD CFS_RECT = 0x0001;
constexpr DWORD CFS_POINT = 0x0002;
struct COMPOSITIONFORM {
  DWORD dwStyle;
  POINT ptCurrentPos;
  RECT rcArea;
};
QV_PLATFORM_API BOOL ImmSetCompositionFontA(HIMC context, const LOGFONTA* font);
QV_PLATFORM_API BOOL ImmSetCompositionWindow(HIMC context, const COMPOSITIONFORM* form);
// Only NI_COMPOSITIONSTR with CPS_COMPLETE (or CPS_CANCEL) is answered: the
// composition ends.
constexpr DWORD NI_COMPOSITIONSTR = 0x0015;
constexpr DWORD CPS_COMPLETE = 0x0001;
constexpr DWORD CPS_CANCEL = 0x0004;
QV_PLATFORM_API BOOL ImmNotifyIME(HIMC context, DWORD action, DWORD index, DWORD value);

// What the module told a window's input context, for tests to read: the
// last composition font and form and how often a composition was completed.
struct HeadlessImeRecord {
  BOOL open;
  BOOL hasFont;
  BYTE font[60];  // the LOGFONTA as it was given
  BOOL hasForm;
  COMPOSITIONFORM form;
  UINT completions;
  UINT fontCalls;
  UINT formCalls;
};
// FALSE when the window has no input context.
QV_PLATFORM_API BOOL GetHeadlessImeRecord(HWND window, HeadlessImeRecord* record);

// ---- Set by the stand-in host's event delivery and by tests.
// A key (or mouse button) goes down or up.
QV_PLATFORM_API void SetHeadlessKeyDown(int virtualKey, bool down);
// A toggle key's toggle (Caps Lock, Num Lock, Scroll Lock) goes on or off.
QV_PLATFORM_API void SetHeadlessKeyToggled(int virtualKey, bool on);
// Every key up and untoggled, the cursor at (0, 0), the intervals, the
// active keyboard layout and the input contexts back to their defaults; an
// input script is unloaded.
QV_PLATFORM_API void ResetHeadlessInput();

// ---- Scripted input on a virtual clock.
// One entry of an input script: from `time` (milliseconds of the virtual
// clock) on, the cursor is at `cursor` (screen coordinates), the buttons in
// `buttons` (bit 0 left, bit 1 right) are down and so are the virtual keys
// listed in `keys` (a 0 ends the list); every other button and key is up.
struct HeadlessInputEntry {
  ULONGLONG time;
  POINT cursor;
  UINT buttons;
  BYTE keys[8];
};
constexpr UINT HEADLESS_LEFT_BUTTON = 0x1;
constexpr UINT HEADLESS_RIGHT_BUTTON = 0x2;

// Loads a script and starts the virtual clock at `start`: until it is
// unloaded, GetTickCount and GetTickCount64 read that clock, and every read
// of the cursor, a key or a button (GetCursorPos, GetAsyncKeyState,
// GetKeyState, GetKeyboardState) first advances it by one poll step of
// 1 ms. An entry applies when the clock reaches its time: the cursor, buttons
// and keys change, and WM_MOUSEMOVE, WM_LBUTTONDOWN ... WM_RBUTTONUP go to the
// capture window or else the window under the cursor, WM_KEYDOWN and
// WM_KEYUP to the focus window or else the active one. When the last entry
// has applied, the next step lets every button up and presses Escape, and
// the step after releases it: a loop that polls for a button or Escape ends.
// An empty message queue lets the clock jump to the next entry. Entries
// whose times go backwards are refused (ERROR_INVALID_PARAMETER) and the
// script already loaded stays.
QV_PLATFORM_API BOOL LoadHeadlessInput(const HeadlessInputEntry* entries, size_t count,
                                       ULONGLONG start);
// Back to the real clock; the keys, buttons and cursor stay as they are.
QV_PLATFORM_API void UnloadHeadlessInput();
// Moves the virtual clock ahead (idle time), applying the entries it
// reaches; FALSE when no script is loaded.
QV_PLATFORM_API BOOL AdvanceHeadlessClock(ULONGLONG milliseconds);
// Whether a script is loaded and has not run out (Escape released).
QV_PLATFORM_API BOOL HeadlessInputPending();
