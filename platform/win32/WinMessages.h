// Messages of the headless windows: one queue for the process, window
// procedures called directly by SendMessageA, and WM_PAINT made up for a
// window with an update region when nothing else is queued.
#pragma once

#include "platform/win32/WinWindows.h"

constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_ENABLE = 0x000A;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_ACTIVATEAPP = 0x001C;
constexpr UINT WM_NCDESTROY = 0x0082;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_CAPTURECHANGED = 0x0215;
constexpr UINT WM_USER = 0x0400;

constexpr WPARAM WA_INACTIVE = 0;
constexpr WPARAM WA_ACTIVE = 1;
// Key flags of the mouse messages' wParam.
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};

constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

// Queues a message for a live window (null: a message for the thread, which
// DispatchMessageA does not deliver). FALSE for a dead window.
QV_PLATFORM_API BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
QV_PLATFORM_API void PostQuitMessage(int exitCode);
// Calls the window's procedure (DefWindowProcA without one) and answers its
// result; 0 with ERROR_INVALID_HANDLE for a dead window. Calls nested deeper
// than 256 are refused the same way with ERROR_STACK_OVERFLOW, so two
// procedures sending to each other cannot overflow the stack.
QV_PLATFORM_API LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
constexpr DWORD ERROR_STACK_OVERFLOW = 1001;
constexpr DWORD ERROR_NOT_ENOUGH_QUOTA = 1816;
// The first queued message for the window or its children (null: any), with
// its code in [first, last] (both 0: any). When none is queued: WM_PAINT for
// a shown window with an update region; otherwise the scripted input takes
// one step (WinInput.h) and may queue more. Peek answers FALSE when there is
// nothing; Get answers FALSE for WM_QUIT and also when the queue, the update
// regions and the input script are all exhausted, so no loop can hang.
QV_PLATFORM_API BOOL PeekMessageA(MSG* msg, HWND window, UINT first, UINT last, UINT remove);
QV_PLATFORM_API BOOL GetMessageA(MSG* msg, HWND window, UINT first, UINT last);
// Sends the message to its window's procedure; 0 for a thread message or a
// dead window.
QV_PLATFORM_API LRESULT DispatchMessageA(const MSG* msg);
// A WM_KEYDOWN of a key that types a character (a letter, a digit, space,
// Return, Backspace, Tab or Escape, with Shift, Caps Lock and Control as the
// US layout takes them) puts its WM_CHAR at the head of the queue, for the
// same window; TRUE then, FALSE for any other message.
QV_PLATFORM_API BOOL TranslateMessage(const MSG* msg);
// Calls `procedure` (DefWindowProcA when null).
QV_PLATFORM_API LRESULT CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam,
                                        LPARAM lParam);
// WM_PAINT validates the update region; WM_CLOSE destroys the window;
// WM_SETTEXT sets the text from lParam; everything else answers 0.
QV_PLATFORM_API LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Empties the queue and forgets a posted quit (set by tests).
QV_PLATFORM_API void ResetHeadlessMessages();
