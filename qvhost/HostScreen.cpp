// The stand-in host's windows, its user's input on the virtual clock, and
// the area events both make.
#include "qvhost/HostScreen.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

#include "platform/gdi/WinGdi.h"
#include "platform/toolbox/TbxEnvironment.h"
#include "platform/toolbox/TbxPorts.h"
#include "platform/toolbox/TbxRegions.h"
#include "platform/toolbox/TbxWindows.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinMessages.h"
#include "platform/win32/WinPaint.h"
#include "platform/win32/WinTime.h"
#include "platform/win32/WinWindowState.h"
#include "platform/win32/WinWindows.h"
#include "qvhost/QvHost.h"

namespace {

// Event codes of the record.
constexpr uint16_t kIdle = 0, kMouseDown = 1, kMouseUp = 2, kKeyDown = 3, kKeyUp = 4, kUpdate = 6;
constexpr uint16_t kMouseMoved = 18, kActivate = 21, kDeactivate = 22, kWheel = 39;
// Modifier bits of the record.
constexpr uint16_t kCommand = 0x100, kShift = 0x200, kOption = 0x800, kControl = 0x1000;
// Milliseconds of one tick, rounded up, so that each step is a tick later.
constexpr uint64_t kTick = 17;

// The Macintosh key codes of the US layout, with the character each types
// unshifted and shifted, and the virtual key that stands for it here.
struct KeyInfo {
  uint8_t code;
  int virtualKey;
};
const std::map<char, KeyInfo>& CharacterKeys() {
  static const std::map<char, KeyInfo> keys = [] {
    std::map<char, KeyInfo> k;
    const char* letters = "asdfhgzxcv";
    for (int i = 0; i < 10; ++i) k[letters[i]] = {static_cast<uint8_t>(i), letters[i] - 'a' + 'A'};
    const std::pair<char, uint8_t> rest[] = {
        {'b', 0x0B}, {'q', 0x0C}, {'w', 0x0D}, {'e', 0x0E}, {'r', 0x0F}, {'y', 0x10}, {'t', 0x11},
        {'o', 0x1F}, {'u', 0x20}, {'i', 0x22}, {'p', 0x23}, {'l', 0x25}, {'j', 0x26}, {'k', 0x28},
        {'n', 0x2D}, {'m', 0x2E}};
    for (auto [c, code] : rest) k[c] = {code, c - 'a' + 'A'};
    const std::pair<char, uint8_t> digits[] = {{'1', 0x12}, {'2', 0x13}, {'3', 0x14}, {'4', 0x15}, {'6', 0x16},
                                               {'5', 0x17}, {'9', 0x19}, {'7', 0x1A}, {'8', 0x1C}, {'0', 0x1D}};
    for (auto [c, code] : digits) k[c] = {code, c};
    const struct {
      char c;
      uint8_t code;
      int vk;
    } marks[] = {{'=', 0x18, 0xBB}, {'-', 0x1B, 0xBD},  {']', 0x1E, 0xDD}, {'[', 0x21, 0xDB},
                 {'\'', 0x27, 0xDE}, {';', 0x29, 0xBA}, {'\\', 0x2A, 0xDC}, {',', 0x2B, 0xBC},
                 {'/', 0x2C, 0xBF}, {'.', 0x2F, 0xBE},  {'`', 0x32, 0xC0},  {' ', 0x31, VK_SPACE}};
    for (const auto& m : marks) k[m.c] = {m.code, m.vk};
    return k;
  }();
  return keys;
}

// The unshifted character of a shifted one (US layout); 0 for none.
char Unshifted(char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
  static const char shifted[] = "!@#$%^&*()_+{}|:\"<>?~";
  static const char plain[] = "1234567890-=[]\\;',./`";
  const char* at = std::strchr(shifted, c);
  return at != nullptr && c != 0 ? plain[at - shifted] : 0;
}

struct NamedKey {
  const char* name;
  uint8_t code;
  uint8_t character;
  int virtualKey;
};
constexpr NamedKey kNamedKeys[] = {
    {"return", 0x24, 0x0D, VK_RETURN}, {"tab", 0x30, 0x09, VK_TAB},      {"space", 0x31, ' ', VK_SPACE},
    {"delete", 0x33, 0x08, VK_BACK},   {"escape", 0x35, 0x1B, VK_ESCAPE}, {"enter", 0x4C, 0x03, VK_RETURN},
    {"home", 0x73, 0x01, 0x24},        {"pageup", 0x74, 0x0B, 0x21},      {"forwarddelete", 0x75, 0x7F, 0x2E},
    {"end", 0x77, 0x04, 0x23},         {"pagedown", 0x79, 0x0C, 0x22},    {"left", 0x7B, 0x1C, 0x25},
    {"right", 0x7C, 0x1D, 0x27},       {"down", 0x7D, 0x1F, 0x28},        {"up", 0x7E, 0x1E, 0x26},
};

HeadlessInputEntry Entry(uint64_t time, POINT cursor, UINT buttons, uint16_t modifiers, int virtualKey = 0) {
  HeadlessInputEntry e{};
  e.time = time;
  e.cursor = cursor;
  e.buttons = buttons;
  int n = 0;
  auto add = [&](int vk) {
    if (vk != 0 && n < 7 && std::find(e.keys, e.keys + n, static_cast<BYTE>(vk)) == e.keys + n)
      e.keys[n++] = static_cast<BYTE>(vk);
  };
  if ((modifiers & (kCommand | kControl)) != 0) add(VK_CONTROL);
  if ((modifiers & kShift) != 0) add(VK_SHIFT);
  if ((modifiers & kOption) != 0) add(VK_MENU);
  add(virtualKey);
  return e;
}

// Whether a rectangle lies in the window manager's plane (-32000 to 32000
// each way) with a positive size. Added in 64 bits, so no script number can
// wrap it into the plane.
bool InPlane(int64_t x, int64_t y, int64_t width, int64_t height) {
  return width > 0 && height > 0 && x >= -32000 && y >= -32000 && x + width <= 32000 && y + height <= 32000;
}

// A coordinate for a 16-bit field of an event record, held to its range.
int16_t Clamp16(int64_t value) { return static_cast<int16_t>(std::clamp<int64_t>(value, INT16_MIN, INT16_MAX)); }

// The form's background: what the host shows where no area draws.
constexpr COLORREF kFormBackground = RGB(255, 255, 255);

}  // namespace

struct HostScreen::Form {
  std::string name;
  Tbx::WindowRef window = nullptr;
  // What a WM_PAINT found to draw, kept for the form's next update events
  // (in its content's coordinates); null while nothing waits.
  HRGN kept = nullptr;
};

namespace {

// The screens whose windows answer WM_PAINT, by window.
std::map<HWND, HostScreen*>& PaintedWindows() {
  static std::map<HWND, HostScreen*> windows;
  return windows;
}

}  // namespace

// A loop of the module that dispatches the host's WM_PAINT (a pop-up's or a
// tracking loop) must not lose what the host has to draw: the main window
// draws its menu bar at once, and a form keeps the region for the update
// events it sends its areas at the end of the line, as its own event loop
// would.
namespace {

LRESULT HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    auto it = PaintedWindows().find(window);
    if (it != PaintedWindows().end()) {
      it->second->Painted(window);
      return 0;
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

void HostScreen::Painted(void* native) {
  HWND window = static_cast<HWND>(native);
  if (window == static_cast<HWND>(fMain)) {
    PaintMain();
    return;
  }
  for (Form* form : fForms) {
    if (Tbx::GetNativeWindow(form->window) != window) continue;
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    if (GetUpdateRgn(window, region, 0) > NULLREGION) {
      if (form->kept == nullptr) form->kept = CreateRectRgn(0, 0, 0, 0);
      CombineRgn(form->kept, form->kept, region, RGN_OR);
    }
    DeleteObject(region);
    break;
  }
  // Whatever is not the host's to draw is done with.
  ValidateRect(window, nullptr);
}

void HostScreen::HandPaintTo(void* window) {
  HWND native = static_cast<HWND>(window);
  if (native == nullptr) return;
  PaintedWindows()[native] = this;
  SetWindowLongPtrA(native, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&HostWindowProc));
}

void HostScreen::ForgetPaint(void* window) {
  HWND native = static_cast<HWND>(window);
  auto it = PaintedWindows().find(native);
  if (it != PaintedWindows().end() && it->second == this) PaintedWindows().erase(it);
}

HostScreen::HostScreen(QvHost& host) : fHost(host) {}

HostScreen::~HostScreen() {
  for (Form* form : fForms) {
    ForgetPaint(Tbx::GetNativeWindow(form->window));
    if (form->kept != nullptr) DeleteObject(form->kept);
    Tbx::DisposeWindow(form->window);
    delete form;
  }
  if (fMain != nullptr) {
    ForgetPaint(fMain);
    DestroyWindow(static_cast<HWND>(fMain));
    Tbx::ClearMainWindowRecord();
  }
  if (fClockLoaded) ResetHeadlessInput();
}

HostScreen::Form* HostScreen::FindForm(const std::string& name) {
  for (Form* form : fForms)
    if (form->name == name) return form;
  return nullptr;
}

const HostScreen::Form* HostScreen::FindForm(const std::string& name) const {
  for (const Form* form : fForms)
    if (form->name == name) return form;
  return nullptr;
}

bool HostScreen::HasForm(const std::string& name) const { return FindForm(name) != nullptr; }

bool HostScreen::EnsureMainWindow() {
  if (fMain != nullptr) return true;
  RECT screen{0, 0, 1024, 768};
  GetHeadlessScreens(&screen, 1);
  HWND main = CreateHeadlessWindow(screen.right - screen.left, screen.bottom - screen.top);
  if (main == nullptr) return false;
  SetHeadlessWindowOrigin(main, screen.left, screen.top);
  SetWindowTextA(main, "Qvbase");
  fMain = main;
  HandPaintTo(main);
  PaintMain();
  Tbx::SetMainWindowRecord(&fHost, main);
  return true;
}

void HostScreen::PaintMain() {
  HWND main = static_cast<HWND>(fMain);
  RECT box{0, 0, 0, 0};
  if (main == nullptr || !GetUpdateRect(main, &box, 0)) return;
  // The menu bar, a light band with a line under it, over the white the
  // exposure left.
  RECT client{0, 0, 0, 0};
  GetClientRect(main, &client);
  const int width = client.right;
  if (HDC dc = GetDC(main)) {
    HBRUSH light = CreateSolidBrush(RGB(238, 238, 238));
    HBRUSH dark = CreateSolidBrush(RGB(0, 0, 0));
    HGDIOBJ previous = SelectObject(dc, light);
    PatBlt(dc, 0, 0, width, kMenuBarHeight - 1, PATCOPY);
    SelectObject(dc, dark);
    PatBlt(dc, 0, kMenuBarHeight - 1, width, 1, PATCOPY);
    SelectObject(dc, previous);
    DeleteObject(light);
    DeleteObject(dark);
    ReleaseDC(main, dc);
  }
  ValidateRect(main, nullptr);
}

std::string HostScreen::AddForm(const std::string& name, int32_t x, int32_t y, int32_t width, int32_t height) {
  if (HasForm(name)) return "form " + name + " exists";
  if (!InPlane(x, y, width, height)) return "form NAME X Y W H needs a positive size within -32000 to 32000";
  if (!EnsureMainWindow()) return "cannot make the main window";
  if (!fClockLoaded) Play({});
  uint8_t title[256];
  title[0] = static_cast<uint8_t>(std::min<size_t>(name.size(), 255));
  std::memcpy(title + 1, name.data(), title[0]);
  const Tbx::Rect bounds{static_cast<int16_t>(y), static_cast<int16_t>(x), static_cast<int16_t>(y + height),
                         static_cast<int16_t>(x + width)};
  Tbx::WindowRef window =
      Tbx::NewCWindow(nullptr, &bounds, title, true, Tbx::documentProc, Tbx::kInFront, true, 0);
  if (window == nullptr) return "cannot make the form window";
  Tbx::SelectWindow(window);
  fForms.push_back(new Form{name, window});
  HandPaintTo(Tbx::GetNativeWindow(window));
  DrawSizeBox(*fForms.back());
  return {};
}

void HostScreen::DrawSizeBox(const Form& form) {
  HWND native = Tbx::GetNativeWindow(form.window);
  RECT client{0, 0, 0, 0};
  GetClientRect(native, &client);
  if (client.right < kSizeBox || client.bottom < kSizeBox) return;
  HDC dc = GetDC(native);
  if (dc == nullptr) return;
  // A grey square with a dark edge on its top and left, and three
  // diagonal ridges towards the corner: the grip a user would drag.
  const int left = client.right - kSizeBox, top = client.bottom - kSizeBox;
  HBRUSH face = CreateSolidBrush(RGB(238, 238, 238));
  HGDIOBJ previousBrush = SelectObject(dc, face);
  PatBlt(dc, left, top, kSizeBox, kSizeBox, PATCOPY);
  SelectObject(dc, previousBrush);
  DeleteObject(face);
  HPEN edge = CreatePen(PS_SOLID, 1, RGB(128, 128, 128));
  HGDIOBJ previous = SelectObject(dc, edge);
  MoveToEx(dc, left, client.bottom, nullptr);
  LineTo(dc, left, top);
  LineTo(dc, client.right, top);
  for (int k = 4; k <= 12; k += 4) {
    MoveToEx(dc, client.right - k, client.bottom - 1, nullptr);
    LineTo(dc, client.right, client.bottom - 1 - k);
  }
  SelectObject(dc, previous);
  DeleteObject(edge);
  ReleaseDC(native, dc);
}

void HostScreen::EraseUncovered(void* window, const RECT& old, const RECT& now) {
  HWND native = static_cast<HWND>(window);
  HRGN uncovered = CreateRectRgnIndirect(&old);
  HRGN covered = CreateRectRgnIndirect(&now);
  const int kind = CombineRgn(uncovered, uncovered, covered, RGN_DIFF);
  DeleteObject(covered);
  if (kind > NULLREGION) {
    if (HDC dc = GetDC(native)) {
      HBRUSH background = CreateSolidBrush(kFormBackground);
      FillRgn(dc, uncovered, background);
      DeleteObject(background);
      ReleaseDC(native, dc);
    }
    RECT client{0, 0, 0, 0};
    GetClientRect(native, &client);
    const RECT box{client.right - kSizeBox, client.bottom - kSizeBox, client.right, client.bottom};
    for (const Form* form : fForms)
      if (Tbx::GetNativeWindow(form->window) == native && RectInRegion(uncovered, &box)) DrawSizeBox(*form);
  }
  DeleteObject(uncovered);
}

std::string HostScreen::PlaceArea(const std::string& area, const std::string& form, int32_t x, int32_t y,
                                  int32_t width, int32_t height) {
  Form* f = FindForm(form);
  if (f == nullptr) return "no form " + form;
  if (!InPlane(x, y, width, height)) return "the area needs a positive size within -32000 to 32000";
  if (FindFormArea(area) != fAreas.end()) return "area " + area + " exists";
  QvHost::Area& a = fHost.MakeArea(area);
  a.port = Tbx::GetWindowPort(f->window);
  a.rect[0] = static_cast<int16_t>(y);
  a.rect[1] = static_cast<int16_t>(x);
  a.rect[2] = static_cast<int16_t>(y + height);
  a.rect[3] = static_cast<int16_t>(x + width);
  a.objectName[0] = static_cast<uint8_t>(std::min<size_t>(area.size(), 255));
  std::memcpy(a.objectName + 1, area.data(), a.objectName[0]);
  fAreas.push_back({area, &a});
  // A new area has everything to draw.
  const RECT r{x, y, x + width, y + height};
  InvalidateRect(Tbx::GetNativeWindow(f->window), &r, 0);
  return {};
}

std::string HostScreen::MoveArea(const std::string& name, int32_t x, int32_t y, int32_t width, int32_t height) {
  QvHost::Area* a = fHost.FindArea(name);
  if (a == nullptr || a->port == nullptr) return "no area " + name + " in a form";
  if (!InPlane(x, y, width, height)) return "the area needs a positive size within -32000 to 32000";
  Tbx::WindowRef window = Tbx::GetWindowFromPort(static_cast<Tbx::CGrafPtr>(a->port));
  HWND native = Tbx::GetNativeWindow(window);
  const RECT old{a->rect[1], a->rect[0], a->rect[3], a->rect[2]};
  InvalidateRect(native, &old, 0);
  a->rect[0] = static_cast<int16_t>(y);
  a->rect[1] = static_cast<int16_t>(x);
  a->rect[2] = static_cast<int16_t>(y + height);
  a->rect[3] = static_cast<int16_t>(x + width);
  const RECT now{x, y, x + width, y + height};
  InvalidateRect(native, &now, 0);
  // What the area no longer covers shows the form again, as the host
  // redraws its form's background there; an area beneath gets its update.
  EraseUncovered(native, old, now);
  fHost.AreaEvent(a->routine, name, 25, 0, 0);
  return {};
}

void HostScreen::PlayPress(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  Play({Entry(0, POINT{x1, y1}, fButtons | HEADLESS_LEFT_BUTTON, 0),
        Entry(10, POINT{x2, y2}, fButtons | HEADLESS_LEFT_BUTTON, 0),
        Entry(20, POINT{x2, y2}, fButtons & ~HEADLESS_LEFT_BUTTON, 0)});
  Reach(0);
}

bool HostScreen::IsForm(const void* window) const {
  for (const Form* f : fForms) {
    if (f->window == window) return true;
  }
  return false;
}

std::vector<HostScreen::FormArea>::const_iterator HostScreen::FindFormArea(const std::string& name) const {
  return std::find_if(fAreas.begin(), fAreas.end(), [&](const FormArea& each) { return each.name == name; });
}

void HostScreen::ForgetArea(const std::string& name) {
  const auto it = FindFormArea(name);
  if (it == fAreas.end()) return;
  fAreas.erase(it);
  if (fFocus == name) fFocus.clear();
  if (fPressed == name) fPressed.clear();
}

uint64_t HostScreen::Clock() const { return GetTickCount64(); }

void HostScreen::Play(std::vector<HeadlessInputEntry> entries) {
  // The clock never goes back: a line starts after whatever the module's
  // polls have reached.
  if (fClockLoaded && Clock() >= fLineStart) fLineStart = Clock() + 1;
  if (entries.empty()) entries.push_back(Entry(0, fCursor, fButtons, 0));
  // The line's last state holds past the next line's start, so that the
  // timeline's end (buttons up, Escape pressed) comes only to a loop that
  // keeps polling.
  HeadlessInputEntry hold = entries.back();
  hold.time = std::max<uint64_t>(hold.time, kTick) + kTick + 1;
  entries.push_back(hold);
  for (HeadlessInputEntry& e : entries) e.time += fLineStart;
  // The clock starts a step before the line, so that its first entry
  // applies on the way to the line's start.
  LoadHeadlessInput(entries.data(), entries.size(), fLineStart - 1);
  fClockLoaded = true;
  fCursor = entries.back().cursor;
  fButtons = entries.back().buttons;
}

void HostScreen::Reach(uint64_t offset) {
  const uint64_t now = Clock();
  if (fLineStart + offset > now) AdvanceHeadlessClock(fLineStart + offset - now);
}

void HostScreen::EndLine() {
  // The next line starts at the tick after the clock's.
  const uint64_t next = (Ticks(Clock()) + 1) * 1000ull;
  fLineStart = std::max(fLineStart + kTick, (next + 59) / 60);
  if (fLineStart > Clock()) AdvanceHeadlessClock(fLineStart - Clock());
}

std::string HostScreen::AreaAt(int32_t x, int32_t y, int16_t* h, int16_t* v) const {
  // A point beyond the 16-bit plane lies in no window.
  if (x != Clamp16(x) || y != Clamp16(y)) return {};
  Tbx::WindowRef window = nullptr;
  const int16_t part = Tbx::FindWindow(Tbx::Point{static_cast<int16_t>(y), static_cast<int16_t>(x)}, &window);
  if (window == nullptr || part != Tbx::inContent) return {};
  int32_t left = 0, top = 0;
  Tbx::GetWindowBounds(window, &left, &top, nullptr, nullptr);
  *h = Clamp16(int64_t{x} - left);
  *v = Clamp16(int64_t{y} - top);
  // The area made last lies on top.
  for (auto it = fAreas.rbegin(); it != fAreas.rend(); ++it) {
    const QvHost::Area* area = it->area;
    if (area->port != Tbx::GetWindowPort(window)) continue;
    if (*h >= area->rect[1] && *h < area->rect[3] && *v >= area->rect[0] && *v < area->rect[2]) return it->name;
  }
  return {};
}

void HostScreen::Send(const std::string& name, uint16_t code, uintptr_t message, uint16_t modifiers,
                      uint32_t when, int16_t h, int16_t v) {
  QvHost::Area* area = fHost.FindArea(name);
  if (area == nullptr) return;
  HostEventRecord record{};
  record.what = code;
  record.message = message;
  record.when = when;
  record.whereH = h;
  record.whereV = v;
  record.modifiers = modifiers;
  // An update the screen sends to draw what a line left invalid answers
  // nothing: the answer a script checks stays that of the area's last
  // input event.
  struct KeptAnswer {
    QvHost::Area& area;
    bool keep;
    HostEventRecord answer;
    uint16_t code;
    ~KeptAnswer() {
      if (!keep) return;
      area.answer = answer;
      area.answerCode = code;
    }
  } kept{*area, code == kUpdate, area->answer, area->answerCode};
  if (fQuietKeys) {
    fHost.SendAreaRecord(*area, record);
    return;
  }
  // The transcript shows what each area was sent, the update's clip too.
  std::string note = "event " + std::to_string(code) + " to " + name + " at " + std::to_string(h) + "," +
                     std::to_string(v) + " message " + std::to_string(code == kUpdate ? 0 : message) +
                     " modifiers " + std::to_string(modifiers) + " when " + std::to_string(when);
  if (code == kUpdate) {
    Tbx::RgnHandle clip = Tbx::NewRgn();
    Tbx::GetPortClipRegion(static_cast<Tbx::CGrafPtr>(area->port), clip);
    Tbx::Rect box{0, 0, 0, 0};
    Tbx::GetRegionBounds(clip, &box);
    Tbx::DisposeRgn(clip);
    note += " clip " + std::to_string(box.left) + "," + std::to_string(box.top) + "," + std::to_string(box.right) +
            "," + std::to_string(box.bottom);
  }
  fHost.Note(note);
  fHost.SendAreaRecord(*area, record);
  // And what the area answered in the record, for an input event.
  if (code != kUpdate) {
    const HostEventRecord& answer = area->event;
    fHost.Note(name + " answered event " + std::to_string(code) + " with message " + std::to_string(answer.message) +
               (answer.modifiers != modifiers ? " modifiers " + std::to_string(answer.modifiers) : "") +
               (answer.when != when ? " when " + std::to_string(answer.when) : ""));
  }
}

namespace {

// A main-window point in the content of the area's form.
void ToForm(const QvHost::Area& area, int32_t x, int32_t y, int16_t* h, int16_t* v) {
  int32_t left = 0, top = 0;
  Tbx::GetWindowBounds(Tbx::GetWindowFromPort(static_cast<Tbx::CGrafPtr>(area.port)), &left, &top, nullptr,
                       nullptr);
  *h = Clamp16(int64_t{x} - left);
  *v = Clamp16(int64_t{y} - top);
}

}  // namespace

std::string HostScreen::Mouse(const std::string& what, int32_t x, int32_t y, uint16_t modifiers) {
  UINT buttons = fButtons;
  if (what == "down") buttons |= HEADLESS_LEFT_BUTTON;
  if (what == "up") buttons &= ~HEADLESS_LEFT_BUTTON;
  Play({Entry(0, POINT{x, y}, buttons, modifiers)});
  Reach(0);
  int16_t h = 0, v = 0;
  std::string target = AreaAt(x, y, &h, &v);
  if (what != "down" && !fPressed.empty()) {
    // A held button's events stay with the area it went down in.
    target = fPressed;
    if (QvHost::Area* area = fHost.FindArea(target)) ToForm(*area, x, y, &h, &v);
  }
  const uint32_t when = Ticks(Clock());
  if (what == "down") {
    fPressed = target;
    if (!target.empty()) fFocus = target;
    Send(target, kMouseDown, 0, modifiers, when, h, v);
  } else if (what == "up") {
    fPressed.clear();
    Send(target, kMouseUp, 0, static_cast<uint16_t>(modifiers | 0x80), when, h, v);
  } else {
    Send(target, kMouseMoved, 0, modifiers, when, h, v);
  }
  if (target.empty()) fHost.Note("mouse " + what + " outside the areas");
  EndLine();
  return {};
}

std::string HostScreen::Click(int32_t x, int32_t y, int32_t count, uint16_t modifiers) {
  if (count < 1 || count > 10) return "click count 1 to 10";
  std::vector<HeadlessInputEntry> entries;
  for (int32_t i = 0; i < count; ++i) {
    entries.push_back(Entry(2 * i, POINT{x, y}, fButtons | HEADLESS_LEFT_BUTTON, modifiers));
    entries.push_back(Entry(2 * i + 1, POINT{x, y}, fButtons & ~HEADLESS_LEFT_BUTTON, modifiers));
  }
  entries.push_back(Entry(2 * count, POINT{x, y}, fButtons & ~HEADLESS_LEFT_BUTTON, 0));
  Play(std::move(entries));
  int16_t h = 0, v = 0;
  const std::string target = AreaAt(x, y, &h, &v);
  if (target.empty()) fHost.Note("click outside the areas");
  if (!target.empty()) fFocus = target;
  for (int32_t i = 0; i < count; ++i) {
    Reach(2 * i);
    Send(target, kMouseDown, 0, modifiers, Ticks(Clock()), h, v);
    Reach(2 * i + 1);
    Send(target, kMouseUp, 0, static_cast<uint16_t>(modifiers | 0x80), Ticks(Clock()), h, v);
  }
  fPressed.clear();
  EndLine();
  return {};
}

std::string HostScreen::Drag(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t steps, uint16_t modifiers) {
  if (steps < 1 || steps > 1000) return "drag steps 1 to 1000";
  std::vector<HeadlessInputEntry> entries;
  std::vector<POINT> points;
  // Interpolated in 64 bits: the distance times the step need not fit 32.
  auto between = [&](int64_t from, int64_t to, int32_t k) {
    return static_cast<LONG>(from + (to - from) * k / steps);
  };
  for (int32_t k = 0; k <= steps; ++k) points.push_back(POINT{between(x1, x2, k), between(y1, y2, k)});
  for (int32_t k = 0; k <= steps; ++k)
    entries.push_back(Entry(k, points[k], fButtons | HEADLESS_LEFT_BUTTON, modifiers));
  entries.push_back(Entry(steps + 1, points.back(), fButtons & ~HEADLESS_LEFT_BUTTON, modifiers));
  entries.push_back(Entry(steps + 2, points.back(), fButtons & ~HEADLESS_LEFT_BUTTON, 0));
  Play(std::move(entries));
  int16_t h = 0, v = 0;
  const std::string target = AreaAt(x1, y1, &h, &v);
  if (target.empty()) {
    fHost.Note("drag outside the areas");
    EndLine();
    return {};
  }
  fFocus = target;
  const QvHost::Area& area = *fHost.FindArea(target);
  Reach(0);
  Send(target, kMouseDown, 0, modifiers, Ticks(Clock()), h, v);
  for (int32_t k = 1; k <= steps; ++k) {
    Reach(k);
    ToForm(area, points[k].x, points[k].y, &h, &v);
    Send(target, kMouseMoved, 0, modifiers, Ticks(Clock()), h, v);
  }
  Reach(steps + 1);
  Send(target, kMouseUp, 0, static_cast<uint16_t>(modifiers | 0x80), Ticks(Clock()), h, v);
  EndLine();
  return {};
}

std::string HostScreen::KeyEvents(uint8_t keyCode, uint8_t character, int virtualKey, uint16_t modifiers) {
  Play({Entry(0, fCursor, fButtons, modifiers, virtualKey), Entry(1, fCursor, fButtons, 0)});
  if (fFocus.empty()) {
    if (!fQuietKeys) fHost.Note("key with no area in focus");
    return {};
  }
  QvHost::Area& area = *fHost.FindArea(fFocus);
  int16_t h = 0, v = 0;
  ToForm(area, fCursor.x, fCursor.y, &h, &v);
  const uintptr_t message = (uintptr_t{keyCode} << 8) | character;
  Reach(0);
  Send(fFocus, kKeyDown, message, modifiers, Ticks(Clock()), h, v);
  // The key-down's answer is the one a script checks: its key-up only
  // ends the press.
  const std::string focus = fFocus;
  const HostEventRecord downAnswer = area.answer;
  Reach(1);
  Send(fFocus, kKeyUp, message, modifiers, Ticks(Clock()), h, v);
  if (QvHost::Area* still = fHost.FindArea(focus)) {
    still->answer = downAnswer;
    still->answerCode = kKeyDown;
  }
  return {};
}

bool HostScreen::KeyFor(char c, int* virtualKey, uint16_t* modifiers) {
  *modifiers = 0;
  if (const char plain = Unshifted(c)) {
    *modifiers = kShift;
    c = plain;
  }
  auto it = CharacterKeys().find(c);
  if (it == CharacterKeys().end()) return false;
  *virtualKey = it->second.virtualKey;
  return true;
}

std::string HostScreen::QueueListChoice(const std::string& text) {
  if (text.empty()) return "list choose needs a text";
  for (const char c : text) {
    int key = 0;
    uint16_t modifiers = 0;
    if (!KeyFor(c, &key, &modifiers)) return std::string("no key types \"") + c + "\"";
  }
  fListChoices.push_back(text);
  return {};
}

void HostScreen::TrackingBegins() {
  if (fListChoices.empty()) return;
  // Only a pop-up window of the module's own in front takes the choice.
  Tbx::WindowRef front = Tbx::FrontWindow();
  if (front == nullptr || IsForm(front) || Tbx::GetWindowPort(front) == nullptr) return;
  if (front->procID != Tbx::plainDBox) return;
  const std::string text = fListChoices.front();
  fListChoices.erase(fListChoices.begin());
  fHost.Note("list choose \"" + text + "\"");
  // The button comes up where it is; each character a tick apart (the
  // list searches for what is typed quickly), then Return.
  const UINT buttons = fButtons & ~HEADLESS_LEFT_BUTTON;
  std::vector<HeadlessInputEntry> entries;
  uint64_t t = 0;
  entries.push_back(Entry(t++, fCursor, buttons, 0));
  for (const char c : text) {
    int key = 0;
    uint16_t modifiers = 0;
    KeyFor(c, &key, &modifiers);
    entries.push_back(Entry(t * kTick, fCursor, buttons, modifiers, key));
    entries.push_back(Entry(t * kTick + 1, fCursor, buttons, 0));
    ++t;
  }
  entries.push_back(Entry(t * kTick, fCursor, buttons, 0, VK_RETURN));
  entries.push_back(Entry(t * kTick + 1, fCursor, buttons, 0));
  Play(std::move(entries));
}

std::string HostScreen::Key(const std::string& key, bool character, uint16_t modifiers) {
  std::string error;
  if (character) {
    if (key.size() != 1) return "key \"c\" takes one character";
    char c = key[0];
    if (const char plain = Unshifted(c)) {
      modifiers |= kShift;
      c = plain;
    }
    auto it = CharacterKeys().find(c);
    if (it == CharacterKeys().end()) return "no key types \"" + key + "\"";
    error = KeyEvents(it->second.code, static_cast<uint8_t>(key[0]), it->second.virtualKey, modifiers);
  } else {
    const NamedKey* named = nullptr;
    for (const NamedKey& k : kNamedKeys)
      if (key == k.name) named = &k;
    if (named == nullptr) return "unknown key " + key;
    error = KeyEvents(named->code, named->character, named->virtualKey, modifiers);
  }
  EndLine();
  return error;
}

std::string HostScreen::Type(const std::string& text) {
  for (const char c : text) {
    if (c != '\n' && c != '\t' && (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E))
      return "type takes printable ASCII, \\n and \\t";
  }
  // A long text is typed key by key as a short one, but the transcript
  // tells it once: its events per key would make it hundreds of times the
  // text's size.
  fQuietKeys = text.size() > kLoggedKeys;
  std::string error;
  for (const char c : text) {
    if (c == '\n') {
      error = Key("return", false, 0);
    } else if (c == '\t') {
      error = Key("tab", false, 0);
    } else {
      error = Key(std::string(1, c), true, 0);
    }
    if (!error.empty()) break;
  }
  if (fQuietKeys && error.empty()) {
    QvHost::Area* area = fFocus.empty() ? nullptr : fHost.FindArea(fFocus);
    fHost.Note(area == nullptr ? "keys with no area in focus"
                               : std::to_string(text.size()) + " keys to " + fFocus +
                                     " (events 3 and 4 each); the last key-down answered message " +
                                     std::to_string(area->answer.message));
  }
  fQuietKeys = false;
  return error;
}

std::string HostScreen::Lock(const std::string& key, bool on) {
  if (key != "caps" && key != "num") return "lock caps|num on|off";
  SetHeadlessKeyToggled(key == "caps" ? VK_CAPITAL : VK_NUMLOCK, on);
  return {};
}

std::string HostScreen::Idle(int32_t count) {
  if (count < 1 || count > 100000) return "idle 1 to 100000";
  for (int32_t i = 0; i < count; ++i) {
    Play({});
    Reach(0);
    for (const FormArea& each : fAreas) {
      int16_t h = 0, v = 0;
      ToForm(*each.area, fCursor.x, fCursor.y, &h, &v);
      Send(each.name, kIdle, 0, 0, Ticks(Clock()), h, v);
    }
    EndLine();
  }
  return {};
}

std::string HostScreen::Wheel(int32_t x, int32_t y, int16_t count) {
  Play({Entry(0, POINT{x, y}, fButtons, 0)});
  Reach(0);
  int16_t h = 0, v = 0;
  const std::string target = AreaAt(x, y, &h, &v);
  if (target.empty()) {
    fHost.Note("wheel outside the areas");
  } else {
    // The count goes in the message's low word, as a signed 16-bit number.
    Send(target, kWheel, static_cast<uint16_t>(count), 0, Ticks(Clock()), h, v);
  }
  EndLine();
  return {};
}

std::string HostScreen::Update(const std::string& name) {
  if (!name.empty() && FindForm(name) == nullptr) return "no form " + name;
  for (Form* form : fForms)
    if (name.empty() || form->name == name) InvalidateRect(Tbx::GetNativeWindow(form->window), nullptr, 0);
  return {};
}

std::string HostScreen::Activate(const std::string& name, bool on) {
  Form* form = FindForm(name);
  const bool isArea = FindFormArea(name) != fAreas.end();
  if (form == nullptr && !isArea) return "no form or area " + name;
  Play({});
  Reach(0);
  // Every area of a form hears of its window's activation.
  auto tellForm = [&](Form* f, uint16_t code) {
    for (const FormArea& each : fAreas)
      if (each.area->port == Tbx::GetWindowPort(f->window)) Send(each.name, code, 0, 0, 1, 0, 0);
  };
  if (form != nullptr) {
    Form* previous = FindForm(fActiveForm);
    if (on) {
      // The form active before goes behind first.
      if (previous != nullptr && previous != form) tellForm(previous, kDeactivate);
      Tbx::SelectWindow(form->window);
      fActiveForm = name;
    } else if (previous == form) {
      fActiveForm.clear();
    }
    tellForm(form, on ? kActivate : kDeactivate);
  } else {
    if (on) fFocus = name;
    if (!on && fFocus == name) fFocus.clear();
    Send(name, on ? kActivate : kDeactivate, 0, 0, 0, 0, 0);
  }
  EndLine();
  return {};
}

std::string HostScreen::Snapshot(const std::string& target, const std::string& path) {
  HWND window = nullptr;
  if (target != "screen") {
    const Form* form = FindForm(target);
    if (form == nullptr) return "no form " + target;
    window = Tbx::GetNativeWindow(form->window);
  }
  if (!WriteHeadlessWindowPng(window, path.c_str())) return "cannot write " + path;
  return {};
}

namespace {

// The rectangles of a region, joined into a Toolbox region.
Tbx::RgnHandle ToolboxRegion(HRGN region) {
  Tbx::RgnHandle out = Tbx::NewRgn();
  const DWORD size = GetRegionData(region, 0, nullptr);
  if (size < sizeof(RGNDATAHEADER)) return out;
  std::vector<char> bytes(size);
  auto* data = reinterpret_cast<RGNDATA*>(bytes.data());
  if (GetRegionData(region, size, data) != size) return out;
  const DWORD count = std::min<DWORD>(data->rdh.nCount, (size - sizeof(RGNDATAHEADER)) / sizeof(RECT));
  Tbx::RgnHandle piece = Tbx::NewRgn();
  for (DWORD i = 0; i < count; ++i) {
    RECT r;
    std::memcpy(&r, data->Buffer + i * sizeof(RECT), sizeof(RECT));
    Tbx::SetRectRgn(piece, static_cast<int16_t>(r.left), static_cast<int16_t>(r.top),
                    static_cast<int16_t>(r.right), static_cast<int16_t>(r.bottom));
    Tbx::UnionRgn(out, piece, out);
  }
  Tbx::DisposeRgn(piece);
  return out;
}

}  // namespace

void HostScreen::DeliverUpdates() {
  PaintMain();
  for (Form* form : fForms) {
    // A form without areas keeps its update region for the areas to come.
    Tbx::CGrafPtr port = Tbx::GetWindowPort(form->window);
    const bool hasAreas =
        std::any_of(fAreas.begin(), fAreas.end(), [&](const FormArea& each) { return each.area->port == port; });
    if (!hasAreas) continue;
    HWND native = Tbx::GetNativeWindow(form->window);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    GetUpdateRgn(native, region, 0);
    if (form->kept != nullptr) {
      CombineRgn(region, region, form->kept, RGN_OR);
      DeleteObject(form->kept);
      form->kept = nullptr;
    }
    RECT any{0, 0, 0, 0};
    if (GetRgnBox(region, &any) <= NULLREGION) {
      DeleteObject(region);
      continue;
    }
    // Valid before the areas draw: what they invalidate meanwhile waits
    // for the next line.
    ValidateRgn(native, region);
    Tbx::RgnHandle clip = ToolboxRegion(region);
    Tbx::RgnHandle saved = Tbx::NewRgn();
    Tbx::GetPortClipRegion(port, saved);
    for (const FormArea& each : fAreas) {
      const QvHost::Area* area = each.area;
      if (area->port != port) continue;
      const RECT r{area->rect[1], area->rect[0], area->rect[3], area->rect[2]};
      if (!RectInRegion(region, &r)) continue;
      Tbx::SetPortClipRegion(port, clip);
      Send(each.name, kUpdate, reinterpret_cast<uintptr_t>(form->window), 0, 0, 0, 0);
      Tbx::SetPortClipRegion(port, saved);
    }
    // The window's size box lies over its content: drawn after the areas.
    RECT client{0, 0, 0, 0};
    GetClientRect(native, &client);
    const RECT box{client.right - kSizeBox, client.bottom - kSizeBox, client.right, client.bottom};
    if (RectInRegion(region, &box)) DrawSizeBox(*form);
    Tbx::DisposeRgn(saved);
    Tbx::DisposeRgn(clip);
    DeleteObject(region);
  }
}

bool HostScreen::NextUpdate(HostEventRecord& record, bool take) {
  for (Form* form : fForms) {
    HWND native = Tbx::GetNativeWindow(form->window);
    RECT box;
    if (!GetUpdateRect(native, &box, 0) && form->kept == nullptr) continue;
    record = HostEventRecord{};
    record.what = kUpdate;
    record.message = reinterpret_cast<uintptr_t>(form->window);
    record.when = Ticks(Clock());
    if (take) {
      ValidateRect(native, nullptr);
      if (form->kept != nullptr) DeleteObject(form->kept);
      form->kept = nullptr;
    }
    return true;
  }
  return false;
}
