// The message queue, sending and dispatching, and the default window
// procedure.
#include "platform/win32/WinMessages.h"

#include <deque>

#include "platform/win32/WinInput.h"
#include "platform/win32/WinPaint.h"
#include "platform/win32/WinTime.h"
#include "platform/win32/WinWindowTable.h"

bool WinInputPump();
POINT WinPeekCursor();
SHORT WinPeekKeyState(int virtualKey);

namespace {

// Deeper nesting of SendMessageA than this is refused.
constexpr int kMaxSendDepth = 256;

// A queue holds at most this many posted messages, as a thread's queue does
// by default; further posts fail. Input that nobody reads (keys typed while
// no loop takes messages) so stays bounded instead of growing with the script.
constexpr size_t kMaxPosted = 10000;

struct Queue {
  std::deque<MSG> messages;
};

Queue& Q() {
  static Queue* queue = new Queue;
  return *queue;
}

thread_local int tSendDepth = 0;

bool Matches(const MSG& m, HWND window, UINT first, UINT last) {
  if (window != nullptr && m.hwnd != window && !IsChild(window, m.hwnd)) return false;
  if (first == 0 && last == 0) return true;
  return m.message >= first && m.message <= last;
}

MSG Make(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // The cursor is read without a poll step: queuing does not move the clock.
  return MSG{window, message, wParam, lParam, GetTickCount(), WinPeekCursor()};
}

// A window with an update region for a WM_PAINT that matches the filter.
HWND PaintCandidate(HWND window) {
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  for (uintptr_t key : WinAllWindows()) {
    WinWindowEntry* e = WinEntryOf(key);
    if (e == nullptr || e->update.IsEmpty() || !WinIsVisible(key)) continue;
    if (window != nullptr && WinHandle(key) != window && !IsChild(window, WinHandle(key))) continue;
    return WinHandle(key);
  }
  return nullptr;
}

}  // namespace

void WinForgetInQueue(uintptr_t key) {
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  auto& q = Q().messages;
  for (auto it = q.begin(); it != q.end();) {
    it = WinKey(it->hwnd) == key ? q.erase(it) : it + 1;
  }
}

// Goes through the posted messages, oldest first, without a poll step or a
// paint: `classify` answers 0 to keep a message, 1 to drop it and 2 to stop
// (keeping it and every later one). For the emulation's FlushEvents.
void WinRemoveQueued(int (*classify)(UINT message, void* context), void* context) {
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  auto& q = Q().messages;
  for (auto it = q.begin(); it != q.end();) {
    const int verdict = classify(it->message, context);
    if (verdict == 2) break;
    it = verdict == 1 ? q.erase(it) : it + 1;
  }
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  if (window != nullptr && WinEntry(window) == nullptr) return FALSE_;
  // The quit request is a state of the queue, not a message that counts.
  if (message != WM_QUIT && Q().messages.size() >= kMaxPosted) {
    SetLastError(ERROR_NOT_ENOUGH_QUOTA);
    return FALSE_;
  }
  Q().messages.push_back(Make(window, message, wParam, lParam));
  return TRUE_;
}

void PostQuitMessage(int exitCode) {
  PostMessageA(nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0);
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC procedure = nullptr;
  {
    std::lock_guard<std::recursive_mutex> lock(WinTableLock());
    WinWindowEntry* e = WinEntry(window, true);
    if (e == nullptr) return 0;
    procedure = e->procedure;
  }
  if (tSendDepth >= kMaxSendDepth) {
    SetLastError(ERROR_STACK_OVERFLOW);
    return 0;
  }
  ++tSendDepth;
  LRESULT result = CallWindowProcA(procedure, window, message, wParam, lParam);
  --tSendDepth;
  return result;
}

BOOL PeekMessageA(MSG* msg, HWND window, UINT first, UINT last, UINT remove) {
  if (msg == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  // Queued messages first; then paint; then one step of the input script,
  // which may queue input messages.
  for (int round = 0; round < 2; ++round) {
    {
      std::lock_guard<std::recursive_mutex> lock(WinTableLock());
      auto& q = Q().messages;
      for (auto it = q.begin(); it != q.end(); ++it) {
        if (!Matches(*it, window, first, last)) continue;
        *msg = *it;
        if (remove & PM_REMOVE) q.erase(it);
        return TRUE_;
      }
    }
    if (first == 0 && last == 0 ? true : (WM_PAINT >= first && WM_PAINT <= last)) {
      if (HWND target = PaintCandidate(window)) {
        *msg = Make(target, WM_PAINT, 0, 0);
        return TRUE_;
      }
    }
    if (round == 0 && !WinInputPump()) break;
  }
  return FALSE_;
}

BOOL GetMessageA(MSG* msg, HWND window, UINT first, UINT last) {
  if (msg == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  // The input script takes a step for each empty look; when it has nothing
  // more either, the loop is told to quit.
  for (int tries = 0; tries < 1 << 20; ++tries) {
    if (PeekMessageA(msg, window, first, last, PM_REMOVE)) return msg->message != WM_QUIT;
    if (!WinInputPump()) break;
  }
  *msg = Make(nullptr, WM_QUIT, 0, 0);
  return FALSE_;
}

LRESULT DispatchMessageA(const MSG* msg) {
  if (msg == nullptr || msg->hwnd == nullptr) return 0;
  return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL TranslateMessage(const MSG* msg) {
  if (msg == nullptr || msg->message != WM_KEYDOWN || msg->hwnd == nullptr) return FALSE_;
  const int key = static_cast<int>(msg->wParam);
  const bool shift = WinPeekKeyState(VK_SHIFT) < 0;
  const bool control = WinPeekKeyState(VK_CONTROL) < 0;
  const bool capsLock = (WinPeekKeyState(VK_CAPITAL) & 1) != 0;
  int typed = -1;
  if (key >= 'A' && key <= 'Z') {
    if (control) typed = key - 'A' + 1;
    else typed = shift != capsLock ? key : key - 'A' + 'a';
  } else if (key >= '0' && key <= '9' && !control) {
    static constexpr char kShiftedDigits[] = ")!@#$%^&*(";
    typed = shift ? kShiftedDigits[key - '0'] : key;
  } else {
    switch (key) {
      case VK_SPACE: typed = ' '; break;
      case VK_RETURN: typed = '\r'; break;
      case VK_BACK: typed = '\b'; break;
      case VK_TAB: typed = '\t'; break;
      case VK_ESCAPE: typed = 0x1B; break;
      default: break;
    }
  }
  if (typed < 0) return FALSE_;
  // The character comes next, ahead of anything queued after its key.
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  if (WinEntry(msg->hwnd) == nullptr) return FALSE_;
  Q().messages.push_front(Make(msg->hwnd, WM_CHAR, static_cast<WPARAM>(typed), msg->lParam));
  return TRUE_;
}

LRESULT CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam,
                        LPARAM lParam) {
  if (procedure == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  return procedure(window, message, wParam, lParam);
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: ValidateRect(window, nullptr); return 0;
    case WM_CLOSE: DestroyWindow(window); return 0;
    case WM_SETTEXT: return SetWindowTextA(window, reinterpret_cast<const char*>(lParam));
    default: return 0;
  }
}

void ResetHeadlessMessages() {
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  Q().messages.clear();
}
