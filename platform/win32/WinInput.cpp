// The key-state table, the cursor, the intervals, keyboard layouts and input
// contexts of the headless stand-in.
#include "platform/win32/WinInput.h"

#include <cstring>
#include <map>
#include <mutex>

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
};

std::mutex gInputMutex;
InputState gInput;

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

}  // namespace

SHORT GetAsyncKeyState(int virtualKey) {
  std::lock_guard<std::mutex> lock(gInputMutex);
  if (!ValidKey(virtualKey)) return 0;
  return IsDown(gInput, virtualKey) ? static_cast<SHORT>(0x8000) : 0;
}

SHORT GetKeyState(int virtualKey) {
  std::lock_guard<std::mutex> lock(gInputMutex);
  if (!ValidKey(virtualKey)) return 0;
  uint16_t state = IsDown(gInput, virtualKey) ? 0x8000 : 0;
  if (gInput.keys[virtualKey] & 0x01) state |= 0x0001;
  return static_cast<SHORT>(state);
}

BOOL GetKeyboardState(BYTE* state) {
  if (state == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
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
}

bool WinInputPump() { return false; }
void WinForgetInInput(uintptr_t) {}
