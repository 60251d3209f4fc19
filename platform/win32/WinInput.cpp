// The key-state table, the cursor, the intervals, keyboard layouts and input
// contexts of the headless stand-in.
#include "platform/win32/WinInput.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

#include "platform/gdi/WinGdi.h"
#include "platform/win32/WinMessages.h"
#include "platform/win32/WinWindowState.h"

namespace {

constexpr UINT kDefaultDoubleClick = 500;
constexpr UINT kDefaultCaretBlink = 530;
// A layout id is eight hexadecimal digits; the stand-in's own layout is
// United States English.
constexpr uintptr_t kDefaultLayout = 0x04090409;

struct InputState {
  BYTE keys[256] = {};
  POINT cursor{0, 0};
  UINT doubleClick = kDefaultDoubleClick;
  UINT caretBlink = kDefaultCaretBlink;
  uintptr_t layout = kDefaultLayout;
  // Input contexts by window, with their conversion and sentence modes.
  std::map<uintptr_t, std::pair<DWORD, DWORD>> contexts;
  // What each context was told, by window.
  std::map<uintptr_t, HeadlessImeRecord> ime;
};

// A loaded input script and its virtual clock.
struct Script {
  bool loaded = false;
  std::vector<HeadlessInputEntry> entries;
  size_t next = 0;     // the first entry not yet applied
  uint64_t clock = 0;
  // After the last entry: 0 not yet, 1 buttons up and Escape down, 2 Escape
  // released again (the script has run out).
  int tail = 0;
};

// A change of the input state, told to the windows once the state's lock is
// let go.
struct Change {
  enum Kind { Move, Button, Key } kind;
  int key = 0;  // the button's or key's virtual key
  bool down = false;
  POINT cursor{0, 0};
  WPARAM flags = 0;  // the mouse messages' button and modifier flags after it
};

std::mutex gInputMutex;
InputState gInput;
Script gScript;

bool ValidKey(int virtualKey) { return virtualKey >= 0 && virtualKey < 256; }

// The generic modifier keys stand for either of their sides.
bool IsDown(const InputState& s, int virtualKey) {
  auto down = [&](int k) { return (s.keys[k] & 0x80) != 0; };
  switch (virtualKey) {
    case VK_SHIFT:
      return down(VK_SHIFT) || down(VK_LSHIFT) || down(VK_RSHIFT);
    case VK_CONTROL:
      return down(VK_CONTROL) || down(VK_LCONTROL) || down(VK_RCONTROL);
    case VK_MENU:
      return down(VK_MENU) || down(VK_LMENU) || down(VK_RMENU);
    default:
      return down(virtualKey);
  }
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

WPARAM MouseFlags(const InputState& s) {
  WPARAM flags = 0;
  if (IsDown(s, VK_LBUTTON)) flags |= MK_LBUTTON;
  if (IsDown(s, VK_RBUTTON)) flags |= MK_RBUTTON;
  if (IsDown(s, VK_SHIFT)) flags |= MK_SHIFT;
  if (IsDown(s, VK_CONTROL)) flags |= MK_CONTROL;
  return flags;
}

void SetKey(InputState& s, int key, bool down, std::vector<Change>* changes) {
  const bool was = (s.keys[key] & 0x80) != 0;
  if (was == down) return;
  s.keys[key] = static_cast<BYTE>(down ? (s.keys[key] | 0x80) : (s.keys[key] & ~0x80));
  const bool button = key == VK_LBUTTON || key == VK_RBUTTON;
  changes->push_back(
      Change{button ? Change::Button : Change::Key, key, down, s.cursor, MouseFlags(s)});
}

void Apply(const HeadlessInputEntry& e, std::vector<Change>* changes) {
  if (e.cursor.x != gInput.cursor.x || e.cursor.y != gInput.cursor.y) {
    gInput.cursor = e.cursor;
    changes->push_back(Change{Change::Move, 0, false, e.cursor, MouseFlags(gInput)});
  }
  SetKey(gInput, VK_LBUTTON, (e.buttons & HEADLESS_LEFT_BUTTON) != 0, changes);
  SetKey(gInput, VK_RBUTTON, (e.buttons & HEADLESS_RIGHT_BUTTON) != 0, changes);
  bool listed[256] = {};
  for (BYTE k : e.keys) {
    if (k == 0) break;
    listed[k] = true;
  }
  for (int k = 0; k < 256; ++k) {
    if (k != VK_LBUTTON && k != VK_RBUTTON) SetKey(gInput, k, listed[k], changes);
  }
}

// Applies the entries the clock has reached; after the last one, one more
// step lets the buttons up and presses Escape, the next releases Escape.
void Reach(std::vector<Change>* changes) {
  bool applied = false;
  while (gScript.next < gScript.entries.size() &&
         gScript.entries[gScript.next].time <= gScript.clock) {
    Apply(gScript.entries[gScript.next++], changes);
    applied = true;
  }
  if (applied || gScript.next < gScript.entries.size()) return;
  if (gScript.tail == 0) {
    SetKey(gInput, VK_LBUTTON, false, changes);
    SetKey(gInput, VK_RBUTTON, false, changes);
    SetKey(gInput, VK_ESCAPE, true, changes);
    gScript.tail = 1;
  } else if (gScript.tail == 1) {
    SetKey(gInput, VK_ESCAPE, false, changes);
    gScript.tail = 2;
  }
}

LPARAM PackPoint(POINT p) {
  return static_cast<LPARAM>((static_cast<uint32_t>(p.x) & 0xFFFF) |
                             ((static_cast<uint32_t>(p.y) & 0xFFFF) << 16));
}

// Posts the messages of the changes: mouse messages to the capture window
// or the window under the cursor, key messages to the focus window or the
// active one.
void Tell(const std::vector<Change>& changes) {
  for (const Change& c : changes) {
    if (c.kind == Change::Key) {
      HWND target = GetFocus();
      if (target == nullptr) target = GetActiveWindow();
      if (target == nullptr) continue;
      PostMessageA(target, c.down ? WM_KEYDOWN : WM_KEYUP, static_cast<WPARAM>(c.key),
                   c.down ? 1 : static_cast<LPARAM>(0xC0000001u));
      continue;
    }
    HWND target = GetCapture();
    if (target == nullptr) target = WindowFromPoint(c.cursor);
    if (target == nullptr) continue;
    POINT local = c.cursor;
    ScreenToClient(target, &local);
    UINT message = WM_MOUSEMOVE;
    if (c.kind == Change::Button) {
      if (c.key == VK_LBUTTON) message = c.down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
      if (c.key == VK_RBUTTON) message = c.down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    }
    PostMessageA(target, message, c.flags, PackPoint(local));
  }
}

// One poll step of a loaded script: the clock advances by 1 ms first.
void Poll() {
  std::vector<Change> changes;
  {
    std::lock_guard<std::mutex> lock(gInputMutex);
    if (!gScript.loaded) return;
    gScript.clock += 1;
    Reach(&changes);
  }
  Tell(changes);
}

}  // namespace

bool WinVirtualClock(uint64_t* now) {
  std::lock_guard<std::mutex> lock(gInputMutex);
  if (!gScript.loaded) return false;
  *now = gScript.clock;
  return true;
}

POINT WinPeekCursor() {
  std::lock_guard<std::mutex> lock(gInputMutex);
  return gInput.cursor;
}

// A key's state as GetKeyState answers it, without a poll step.
SHORT WinPeekKeyState(int virtualKey) {
  std::lock_guard<std::mutex> lock(gInputMutex);
  if (!ValidKey(virtualKey)) return 0;
  uint16_t state = IsDown(gInput, virtualKey) ? 0x8000 : 0;
  if (gInput.keys[virtualKey] & 0x01) state |= 0x0001;
  return static_cast<SHORT>(state);
}


// An empty message queue: the clock jumps to the next entry, or takes the
// steps after the last one. False when nothing more will come.
bool WinInputPump() {
  std::vector<Change> changes;
  {
    std::lock_guard<std::mutex> lock(gInputMutex);
    if (!gScript.loaded || gScript.tail == 2) return false;
    if (gScript.next < gScript.entries.size()) {
      gScript.clock = std::max(gScript.clock, gScript.entries[gScript.next].time);
    } else {
      gScript.clock += 1;
    }
    Reach(&changes);
  }
  Tell(changes);
  return true;
}

BOOL LoadHeadlessInput(const HeadlessInputEntry* entries, size_t count, ULONGLONG start) {
  if (entries == nullptr && count != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  for (size_t i = 1; i < count; ++i) {
    if (entries[i].time < entries[i - 1].time) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE_;
    }
  }
  std::lock_guard<std::mutex> lock(gInputMutex);
  gScript = Script{};
  gScript.loaded = true;
  gScript.entries.assign(entries, entries + count);
  gScript.clock = start;
  return TRUE_;
}

void UnloadHeadlessInput() {
  std::lock_guard<std::mutex> lock(gInputMutex);
  gScript = Script{};
}

BOOL AdvanceHeadlessClock(ULONGLONG milliseconds) {
  std::vector<Change> changes;
  {
    std::lock_guard<std::mutex> lock(gInputMutex);
    if (!gScript.loaded) return FALSE_;
    gScript.clock += milliseconds;
    Reach(&changes);
  }
  Tell(changes);
  return TRUE_;
}

BOOL HeadlessInputPending() {
  std::lock_guard<std::mutex> lock(gInputMutex);
  return gScript.loaded && gScript.tail < 2 ? TRUE_ : FALSE_;
}

SHORT GetAsyncKeyState(int virtualKey) {
  Poll();
  std::lock_guard<std::mutex> lock(gInputMutex);
  if (!ValidKey(virtualKey)) return 0;
  return IsDown(gInput, virtualKey) ? static_cast<SHORT>(0x8000) : 0;
}

SHORT GetKeyState(int virtualKey) {
  Poll();
  return WinPeekKeyState(virtualKey);
}

BOOL GetKeyboardState(BYTE* state) {
  if (state == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  Poll();
  std::lock_guard<std::mutex> lock(gInputMutex);
  for (int k = 0; k < 256; ++k) {
    state[k] = static_cast<BYTE>((gInput.keys[k] & 0x01) | (IsDown(gInput, k) ? 0x80 : 0));
  }
  return TRUE_;
}

BOOL GetCursorPos(POINT* point) {
  if (point == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  Poll();
  std::lock_guard<std::mutex> lock(gInputMutex);
  *point = gInput.cursor;
  return TRUE_;
}

BOOL SetCursorPos(int x, int y) {
  std::lock_guard<std::mutex> lock(gInputMutex);
  gInput.cursor = POINT{x, y};
  return TRUE_;
}

UINT GetDoubleClickTime() {
  std::lock_guard<std::mutex> lock(gInputMutex);
  return gInput.doubleClick;
}

BOOL SetDoubleClickTime(UINT milliseconds) {
  std::lock_guard<std::mutex> lock(gInputMutex);
  // Windows takes 0 for its default.
  gInput.doubleClick = milliseconds == 0 ? kDefaultDoubleClick : milliseconds;
  return TRUE_;
}

UINT GetCaretBlinkTime() {
  std::lock_guard<std::mutex> lock(gInputMutex);
  return gInput.caretBlink;
}

BOOL SetCaretBlinkTime(UINT milliseconds) {
  std::lock_guard<std::mutex> lock(gInputMutex);
  gInput.caretBlink = milliseconds;
  return TRUE_;
}

HKL LoadKeyboardLayoutA(const char* name, UINT flags) {
  if (name == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  // Exactly eight hexadecimal digits with a language in the low word.
  uintptr_t id = 0;
  size_t length = strnlen(name, 9);
  if (length != 8) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  for (size_t i = 0; i < 8; ++i) {
    int digit = HexDigit(name[i]);
    if (digit < 0) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    id = (id << 4) | static_cast<uintptr_t>(digit);
  }
  if ((id & 0xFFFF) == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::lock_guard<std::mutex> lock(gInputMutex);
  if (flags & KLF_ACTIVATE) gInput.layout = id;
  return reinterpret_cast<HKL>(id);
}

HKL GetKeyboardLayout(DWORD) {
  std::lock_guard<std::mutex> lock(gInputMutex);
  return reinterpret_cast<HKL>(gInput.layout);
}

HIMC ImmGetContext(HWND window) {
  if (window == nullptr) return nullptr;
  std::lock_guard<std::mutex> lock(gInputMutex);
  auto key = reinterpret_cast<uintptr_t>(window);
  gInput.contexts.emplace(key, std::make_pair(DWORD{0}, DWORD{0}));
  gInput.ime.emplace(key, HeadlessImeRecord{});
  // The context of a window is named by the window.
  return reinterpret_cast<HIMC>(key);
}

BOOL ImmReleaseContext(HWND window, HIMC context) {
  return window != nullptr && reinterpret_cast<uintptr_t>(window) ==
                                  reinterpret_cast<uintptr_t>(context)
             ? TRUE_
             : FALSE_;
}

BOOL ImmSetConversionStatus(HIMC context, DWORD conversion, DWORD sentence) {
  std::lock_guard<std::mutex> lock(gInputMutex);
  auto it = gInput.contexts.find(reinterpret_cast<uintptr_t>(context));
  if (it == gInput.contexts.end()) return FALSE_;
  it->second = std::make_pair(conversion, sentence);
  return TRUE_;
}

BOOL ImmGetConversionStatus(HIMC context, DWORD* conversion, DWORD* sentence) {
  std::lock_guard<std::mutex> lock(gInputMutex);
  auto it = gInput.contexts.find(reinterpret_cast<uintptr_t>(context));
  if (it == gInput.contexts.end()) return FALSE_;
  if (conversion != nullptr) *conversion = it->second.first;
  if (sentence != nullptr) *sentence = it->second.second;
  return TRUE_;
}

namespace {
// The record of a context, or null when the context is unknown.
static_assert(sizeof(HeadlessImeRecord::font) == sizeof(LOGFONTA));
HeadlessImeRecord* ImeOf(HIMC context) {
  auto it = gInput.ime.find(reinterpret_cast<uintptr_t>(context));
  return it == gInput.ime.end() ? nullptr : &it->second;
}
}  // namespace

BOOL ImmGetOpenStatus(HIMC context) {
  std::lock_guard<std::mutex> lock(gInputMutex);
  HeadlessImeRecord* r = ImeOf(context);
  return r != nullptr && r->open ? TRUE_ : FALSE_;
}

BOOL ImmSetOpenStatus(HIMC context, BOOL open) {
  std::lock_guard<std::mutex> lock(gInputMutex);
  HeadlessImeRecord* r = ImeOf(context);
  if (r == nullptr) return FALSE_;
  r->open = open ? TRUE_ : FALSE_;
  return TRUE_;
}

BOOL ImmSetCompositionFontA(HIMC context, const LOGFONTA* font) {
  std::lock_guard<std::mutex> lock(gInputMutex);
  HeadlessImeRecord* r = ImeOf(context);
  if (r == nullptr || font == nullptr) return FALSE_;
  std::memcpy(r->font, font, sizeof r->font);
  r->hasFont = TRUE_;
  ++r->fontCalls;
  return TRUE_;
}

BOOL ImmSetCompositionWindow(HIMC context, const COMPOSITIONFORM* form) {
  std::lock_guard<std::mutex> lock(gInputMutex);
  HeadlessImeRecord* r = ImeOf(context);
  if (r == nullptr || form == nullptr) return FALSE_;
  r->form = *form;
  r->hasForm = TRUE_;
  ++r->formCalls;
  return TRUE_;
}

BOOL ImmNotifyIME(HIMC context, DWORD action, DWORD index, DWORD) {
  std::lock_guard<std::mutex> lock(gInputMutex);
  HeadlessImeRecord* r = ImeOf(context);
  if (r == nullptr || action != NI_COMPOSITIONSTR) return FALSE_;
  if (index != CPS_COMPLETE && index != CPS_CANCEL) return FALSE_;
  if (index == CPS_COMPLETE) ++r->completions;
  return TRUE_;
}

BOOL GetHeadlessImeRecord(HWND window, HeadlessImeRecord* record) {
  std::lock_guard<std::mutex> lock(gInputMutex);
  auto it = gInput.ime.find(reinterpret_cast<uintptr_t>(window));
  if (it == gInput.ime.end() || record == nullptr) return FALSE_;
  *record = it->second;
  return TRUE_;
}

void SetHeadlessKeyDown(int virtualKey, bool down) {
  if (!ValidKey(virtualKey)) return;
  std::lock_guard<std::mutex> lock(gInputMutex);
  BYTE& key = gInput.keys[virtualKey];
  key = static_cast<BYTE>(down ? (key | 0x80) : (key & ~0x80));
}

void SetHeadlessKeyToggled(int virtualKey, bool on) {
  if (!ValidKey(virtualKey)) return;
  std::lock_guard<std::mutex> lock(gInputMutex);
  BYTE& key = gInput.keys[virtualKey];
  key = static_cast<BYTE>(on ? (key | 0x01) : (key & ~0x01));
}

void ResetHeadlessInput() {
  std::lock_guard<std::mutex> lock(gInputMutex);
  gInput = InputState{};
  gScript = Script{};
}

