// The window table: the tree of headless windows, their attributes, their
// placement and stacking, destruction, and the focus, capture and activation.
#include "platform/win32/WinWindows.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <unordered_map>

#include "platform/gdi/GdiInternal.h"
#include "platform/gdi/GdiPaint.h"
#include "platform/win32/WinMessages.h"
#include "platform/win32/WinWindowState.h"
#include "platform/win32/WinWindowTable.h"

void WinResetScreens();

namespace {

// The largest client area: 16384 pixels a side.
constexpr LONG kMaxClientSide = 16384;
// Screen positions are held within this distance of (0, 0).
constexpr int64_t kMaxPosition = int64_t{1} << 28;
// A chain of parents longer than this is taken as a cycle.
constexpr int kMaxDepth = 256;
// The screen shows white where no window is, and window frames in grey.
constexpr uint32_t kDesktopPixel = 0xFFFFFF;
constexpr uint32_t kClientPixel = 0xFFFFFF;
constexpr uint32_t kFramePixel = 0x808080;

struct Table {
  std::unordered_map<uintptr_t, WinWindowEntry> windows;
  std::vector<uintptr_t> top;  // top-level windows, the top first
  uintptr_t next = 0x10000;
  uintptr_t foreground = 0;
  uintptr_t active = 0;
  uintptr_t focus = 0;
  uintptr_t capture = 0;
};

Table& T() {
  static Table* table = new Table;  // outlives every static destructor
  return *table;
}

bool Live(uintptr_t key) { return key != 0 && T().windows.count(key) != 0; }

std::vector<uintptr_t>& Siblings(uintptr_t key) {
  WinWindowEntry* e = WinEntryOf(key);
  if (e != nullptr && e->parent != 0) {
    if (WinWindowEntry* p = WinEntryOf(e->parent)) return p->children;
  }
  return T().top;
}

void Unlink(uintptr_t key) {
  auto& list = Siblings(key);
  list.erase(std::remove(list.begin(), list.end(), key), list.end());
}

RECT ClientScreenRect(uintptr_t key) {
  const WinWindowEntry* e = WinEntryOf(key);
  POINT o = WinScreenOrigin(key);
  return RECT{o.x, o.y, o.x + (e ? e->width : 0), o.y + (e ? e->height : 0)};
}

RECT WindowScreenRect(uintptr_t key) {
  const WinWindowEntry* e = WinEntryOf(key);
  RECT r = ClientScreenRect(key);
  if (e != nullptr) {
    r.left -= e->frame.left;
    r.top -= e->frame.top;
    r.right += e->frame.right;
    r.bottom += e->frame.bottom;
  }
  return r;
}

bool ShownSelf(uintptr_t key) {
  const WinWindowEntry* e = WinEntryOf(key);
  return e != nullptr && e->shown && !e->destroying;
}

GdiRegion ScreenBounds() {
  std::shared_ptr<GdiSurface> s = GdiScreenSurface();
  return s ? GdiRegion(RECT{0, 0, s->width, s->height}) : GdiRegion();
}

void FillScreen(const GdiRegion& region, uint32_t pixel) {
  std::shared_ptr<GdiSurface> s = GdiScreenSurface();
  if (!s) return;
  GdiRegion r = GdiRegion::Combine(region, ScreenBounds(), RGN_AND);
  for (const RECT& rc : r.Rects()) {
    for (int32_t y = rc.top; y < rc.bottom; ++y)
      GdiFillColorBytes(s->Row(y) + 4 * ptrdiff_t{rc.left}, pixel, rc.right - rc.left, s->bitsPerPixel);
  }
}

uintptr_t TopLevelOf(uintptr_t key) {
  for (int depth = 0; depth < kMaxDepth; ++depth) {
    const WinWindowEntry* e = WinEntryOf(key);
    if (e == nullptr || e->parent == 0) return key;
    key = e->parent;
  }
  return key;
}

// The window and its descendants, the parent before its children. With
// `skipDying`, a descendant whose destruction has begun is left to that
// destruction, with its own descendants.
void Subtree(uintptr_t key, std::vector<uintptr_t>* out, bool skipDying = false) {
  out->push_back(key);
  if (const WinWindowEntry* e = WinEntryOf(key)) {
    std::vector<uintptr_t> children = e->children;
    for (uintptr_t c : children) {
      const WinWindowEntry* child = WinEntryOf(c);
      if (child != nullptr && !(skipDying && child->destroying)) Subtree(c, out, skipDying);
    }
  }
}

LRESULT Notify(uintptr_t key, UINT message, WPARAM w, LPARAM l) {
  return key != 0 ? SendMessageA(WinHandle(key), message, w, l) : 0;
}

}  // namespace

// ---------------------------------------------------------------------------
// The table, for the library's own code

std::recursive_mutex& WinTableLock() {
  static std::recursive_mutex* mutex = new std::recursive_mutex;
  return *mutex;
}

WinWindowEntry* WinEntryOf(uintptr_t key) {
  auto it = T().windows.find(key);
  return it == T().windows.end() ? nullptr : &it->second;
}

WinWindowEntry* WinEntry(HWND window, bool dying) {
  WinWindowEntry* e = WinEntryOf(WinKey(window));
  if (e == nullptr || (e->destroying && !dying)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return e;
}

std::vector<uintptr_t> WinAllWindows() {
  std::vector<uintptr_t> all;
  for (const auto& [key, e] : T().windows) all.push_back(key);
  return all;
}

POINT WinScreenOrigin(uintptr_t key) {
  int64_t x = 0, y = 0;
  for (int depth = 0; key != 0 && depth < kMaxDepth; ++depth) {
    const WinWindowEntry* e = WinEntryOf(key);
    if (e == nullptr) break;
    x += e->origin.x;
    y += e->origin.y;
    key = e->parent;
  }
  // Far enough from the 32-bit limits that adding a size and a frame stays
  // inside them.
  return POINT{static_cast<LONG>(std::clamp<int64_t>(x, -kMaxPosition, kMaxPosition)),
               static_cast<LONG>(std::clamp<int64_t>(y, -kMaxPosition, kMaxPosition))};
}

bool WinIsVisible(uintptr_t key) {
  if (!Live(key)) return false;
  for (int depth = 0; key != 0 && depth < kMaxDepth; ++depth) {
    if (!ShownSelf(key)) return false;
    key = WinEntryOf(key)->parent;
  }
  return true;
}

GdiRegion WinVisibleFrame(uintptr_t key) {
  if (!WinIsVisible(key)) return GdiRegion();
  GdiRegion r = GdiRegion::Combine(GdiRegion(WindowScreenRect(key)), ScreenBounds(), RGN_AND);
  uintptr_t k = key;
  for (int depth = 0; depth < kMaxDepth && !r.IsEmpty(); ++depth) {
    // Siblings above this level of the chain cover it.
    for (uintptr_t s : Siblings(k)) {
      if (s == k) break;
      if (ShownSelf(s)) r = GdiRegion::Combine(r, GdiRegion(WindowScreenRect(s)), RGN_DIFF);
    }
    uintptr_t parent = WinEntryOf(k)->parent;
    if (parent == 0) break;
    r = GdiRegion::Combine(r, GdiRegion(ClientScreenRect(parent)), RGN_AND);
    k = parent;
  }
  return r;
}

GdiRegion WinVisibleClient(uintptr_t key) {
  GdiRegion r = GdiRegion::Combine(WinVisibleFrame(key), GdiRegion(ClientScreenRect(key)), RGN_AND);
  if (const WinWindowEntry* e = WinEntryOf(key)) {
    for (uintptr_t c : e->children) {
      if (ShownSelf(c)) r = GdiRegion::Combine(r, GdiRegion(WindowScreenRect(c)), RGN_DIFF);
    }
  }
  return r;
}

WinExposure WinTakeExposure() {
  WinExposure x;
  GdiRegion covered;
  for (const auto& [key, e] : T().windows) {
    x.before[key] = {WinVisibleFrame(key), WinVisibleClient(key)};
    if (e.parent == 0) covered = GdiRegion::Combine(covered, x.before[key].first, RGN_OR);
  }
  x.desktop = GdiRegion::Combine(ScreenBounds(), covered, RGN_DIFF);
  return x;
}

namespace {
std::atomic<uint64_t> gGeneration{1};
}  // namespace

uint64_t WinPlacementGeneration() { return gGeneration.load(); }

void WinApplyExposure(const WinExposure& before, uintptr_t moved, POINT delta) {
  gGeneration.fetch_add(1);
  std::shared_ptr<GdiSurface> screen = GdiScreenSurface();
  if (!screen) return;
  std::vector<uintptr_t> carried;
  if (moved != 0 && Live(moved)) Subtree(moved, &carried);
  auto inCarried = [&](uintptr_t k) {
    return std::find(carried.begin(), carried.end(), k) != carried.end();
  };
  // The pixels that travel with the moved windows, copied out first.
  std::shared_ptr<GdiSurface> old;
  if (!carried.empty() && (delta.x != 0 || delta.y != 0)) old = GdiCopySurface(*screen);

  GdiRegion covered;
  for (auto& [key, e] : T().windows) {
    GdiRegion frame = WinVisibleFrame(key);
    GdiRegion client = WinVisibleClient(key);
    if (e.parent == 0) covered = GdiRegion::Combine(covered, frame, RGN_OR);
    GdiRegion prevFrame, prevClient;
    if (auto it = before.before.find(key); it != before.before.end()) {
      prevFrame = it->second.first;
      prevClient = it->second.second;
    }
    if (inCarried(key)) {
      prevFrame.Offset(delta.x, delta.y);
      prevClient.Offset(delta.x, delta.y);
      // The frame goes along with the content (children copy the same pixels).
      GdiRegion keep = GdiRegion::Combine(frame, prevFrame, RGN_AND);
      if (old) {
        for (const RECT& rc : keep.Rects()) {
          for (int32_t y = rc.top; y < rc.bottom; ++y) {
            GdiCopyColorBytes(screen->Row(y) + 4 * ptrdiff_t{rc.left},
                              old->Row(y - delta.y) + 4 * (ptrdiff_t{rc.left} - delta.x), rc.right - rc.left,
                              screen->bitsPerPixel);
          }
        }
      }
    }
    GdiRegion fresh = GdiRegion::Combine(client, prevClient, RGN_DIFF);
    FillScreen(fresh, kClientPixel);
    RECT clientRect = ClientScreenRect(key);
    GdiRegion border = GdiRegion::Combine(frame, GdiRegion(clientRect), RGN_DIFF);
    GdiRegion prevBorder = GdiRegion::Combine(prevFrame, prevClient, RGN_DIFF);
    FillScreen(GdiRegion::Combine(border, prevBorder, RGN_DIFF), kFramePixel);
    if (!fresh.IsEmpty()) {
      fresh.Offset(-clientRect.left, -clientRect.top);
      e.update = GdiRegion::Combine(e.update, fresh, RGN_OR);
    }
  }
  GdiRegion desktop = GdiRegion::Combine(ScreenBounds(), covered, RGN_DIFF);
  FillScreen(GdiRegion::Combine(desktop, before.desktop, RGN_DIFF), kDesktopPixel);
}

bool WinGetClientView(HWND window, WinClientView* view, GdiRegion* visible) {
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  const WinWindowEntry* e = WinEntryOf(WinKey(window));
  if (e == nullptr) return false;
  RECT r = ClientScreenRect(WinKey(window));
  if (view != nullptr) *view = WinClientView{POINT{r.left, r.top}, e->width, e->height};
  if (visible != nullptr) {
    *visible = WinVisibleClient(WinKey(window));
    visible->Offset(-r.left, -r.top);
  }
  return true;
}

// ---------------------------------------------------------------------------
// Making and destroying windows

HWND CreateHeadlessWindow(LONG width, LONG height) {
  if (width <= 0 || height <= 0 || width > kMaxClientSide || height > kMaxClientSide) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  WinExposure before = WinTakeExposure();
  uintptr_t key = T().next;
  T().next += 0x10;
  WinWindowEntry& e = T().windows[key];
  e.width = width;
  e.height = height;
  e.style = WS_VISIBLE;
  T().top.insert(T().top.begin(), key);
  WinApplyExposure(before);
  return WinHandle(key);
}

BOOL DestroyWindow(HWND window) {
  std::vector<uintptr_t> doomed;
  {
    std::lock_guard<std::recursive_mutex> lock(WinTableLock());
    WinWindowEntry* e = WinEntry(window, true);
    if (e == nullptr) return FALSE_;
    if (e->destroying) return TRUE_;  // from its own procedure, or a child's
    Subtree(WinKey(window), &doomed, true);
    for (uintptr_t k : doomed) WinEntryOf(k)->destroying = true;
    Table& t = T();
    auto gone = [&](uintptr_t k) {
      return std::find(doomed.begin(), doomed.end(), k) != doomed.end();
    };
    if (gone(t.capture)) t.capture = 0;
    if (gone(t.focus)) t.focus = 0;
    if (gone(t.active)) t.active = 0;
    if (gone(t.foreground)) t.foreground = 0;
  }
  // The procedures see their windows while they are told; the parent first.
  for (uintptr_t k : doomed) Notify(k, WM_DESTROY, 0, 0);
  for (auto it = doomed.rbegin(); it != doomed.rend(); ++it) Notify(*it, WM_NCDESTROY, 0, 0);
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  // A procedure told may have destroyed some of them (or an ancestor) itself.
  doomed.erase(std::remove_if(doomed.begin(), doomed.end(), [](uintptr_t k) { return !Live(k); }),
               doomed.end());
  // Pixels and update regions of the others are recomputed as if the
  // doomed windows were still shown before.
  WinExposure before;
  for (uintptr_t k : doomed) WinEntryOf(k)->destroying = false;
  before = WinTakeExposure();
  for (uintptr_t k : doomed) WinEntryOf(k)->destroying = true;
  Unlink(WinKey(window));
  for (uintptr_t k : doomed) {
    T().windows.erase(k);
    WinForgetInQueue(k);
  }
  WinApplyExposure(before);
  return TRUE_;
}

BOOL IsWindow(HWND window) {
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  return Live(WinKey(window)) ? TRUE_ : FALSE_;
}

BOOL GetClientRect(HWND window, RECT* rect) {
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  WinWindowEntry* e = WinEntry(window, true);
  if (e == nullptr || rect == nullptr) {
    if (e != nullptr) SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  *rect = {0, 0, e->width, e->height};
  return TRUE_;
}

// ---------------------------------------------------------------------------
// Placement

namespace {

// Moves and sizes the client area, carrying its pixels; answers false for a
// dead window.
bool Place(HWND window, POINT origin, LONG width, LONG height, bool repaint) {
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  WinWindowEntry* e = WinEntry(window);
  if (e == nullptr) return false;
  WinExposure before = WinTakeExposure();
  origin.x = static_cast<LONG>(std::clamp<int64_t>(origin.x, -kMaxPosition, kMaxPosition));
  origin.y = static_cast<LONG>(std::clamp<int64_t>(origin.y, -kMaxPosition, kMaxPosition));
  POINT delta{origin.x - e->origin.x, origin.y - e->origin.y};
  e->origin = origin;
  e->width = std::clamp<LONG>(width, 0, kMaxClientSide);
  e->height = std::clamp<LONG>(height, 0, kMaxClientSide);
  if (repaint) {
    // The whole new area counts as uncovered.
    before.before.erase(WinKey(window));
  }
  WinApplyExposure(before, WinKey(window), delta);
  return true;
}

}  // namespace

BOOL SetHeadlessWindowOrigin(HWND window, LONG x, LONG y) {
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  WinWindowEntry* e = WinEntry(window);
  if (e == nullptr) return FALSE_;
  return Place(window, POINT{x, y}, e->width, e->height, false) ? TRUE_ : FALSE_;
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint) {
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  WinWindowEntry* e = WinEntry(window);
  if (e == nullptr) return FALSE_;
  const RECT f = e->frame;
  const LONG w = static_cast<LONG>(std::max<int64_t>(0, int64_t{width} - f.left - f.right));
  const LONG h = static_cast<LONG>(std::max<int64_t>(0, int64_t{height} - f.top - f.bottom));
  const POINT origin{
      static_cast<LONG>(std::clamp<int64_t>(int64_t{x} + f.left, -kMaxPosition, kMaxPosition)),
      static_cast<LONG>(std::clamp<int64_t>(int64_t{y} + f.top, -kMaxPosition, kMaxPosition))};
  return Place(window, origin, w, h, repaint != 0) ? TRUE_ : FALSE_;
}

BOOL SetHeadlessWindowFrame(HWND window, LONG left, LONG top, LONG right, LONG bottom) {
  if (left < 0 || top < 0 || right < 0 || bottom < 0 || left > kMaxClientSide ||
      top > kMaxClientSide || right > kMaxClientSide || bottom > kMaxClientSide) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  WinWindowEntry* e = WinEntry(window);
  if (e == nullptr) return FALSE_;
  WinExposure before = WinTakeExposure();
  e->frame = RECT{left, top, right, bottom};
  WinApplyExposure(before);
  return TRUE_;
}

HWND GetParent(HWND window) {
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  WinWindowEntry* e = WinEntry(window, true);
  return e != nullptr ? WinHandle(e->parent) : nullptr;
}

HWND SetParent(HWND window, HWND parent) {
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  WinWindowEntry* e = WinEntry(window);
  if (e == nullptr) return nullptr;
  if (parent != nullptr) {
    if (WinEntry(parent) == nullptr) return nullptr;
    // Refuse a cycle: the window may not be an ancestor of its new parent.
    uintptr_t up = WinKey(parent);
    for (int depth = 0; up != 0 && depth < kMaxDepth; ++depth) {
      if (up == WinKey(window)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
      }
      up = WinEntryOf(up)->parent;
    }
  }
  WinExposure before = WinTakeExposure();
  const uintptr_t previous = e->parent;
  Unlink(WinKey(window));
  e->parent = WinKey(parent);
  Siblings(WinKey(window)).insert(Siblings(WinKey(window)).begin(), WinKey(window));
  if (parent != nullptr) {
    e->style |= WS_CHILD;
  } else {
    e->style &= ~WS_CHILD;
  }
  WinApplyExposure(before);
  return WinHandle(previous);
}

BOOL GetWindowRect(HWND window, RECT* rect) {
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  if (WinEntry(window, true) == nullptr) return FALSE_;
  if (rect == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  *rect = WindowScreenRect(WinKey(window));
  return TRUE_;
}

int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count) {
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  if ((from != nullptr && !Live(WinKey(from))) || (to != nullptr && !Live(WinKey(to)))) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  POINT a = from != nullptr ? WinScreenOrigin(WinKey(from)) : POINT{0, 0};
  POINT b = to != nullptr ? WinScreenOrigin(WinKey(to)) : POINT{0, 0};
  const LONG dx = a.x - b.x;
  const LONG dy = a.y - b.y;
  if (points != nullptr) {
    for (UINT i = 0; i < count; ++i) {
      points[i].x += dx;
      points[i].y += dy;
    }
  }
  SetLastError(ERROR_SUCCESS);
  return static_cast<int>((static_cast<uint32_t>(dx) & 0xFFFF) |
                          ((static_cast<uint32_t>(dy) & 0xFFFF) << 16));
}

BOOL ClientToScreen(HWND window, POINT* point) {
  if (point == nullptr || window == nullptr || !IsWindow(window)) return FALSE_;
  MapWindowPoints(window, nullptr, point, 1);
  return TRUE_;
}

BOOL ScreenToClient(HWND window, POINT* point) {
  if (point == nullptr || window == nullptr || !IsWindow(window)) return FALSE_;
  MapWindowPoints(nullptr, window, point, 1);
  return TRUE_;
}

BOOL ShowWindow(HWND window, int command) {
  bool was = false;
  const bool show = command != SW_HIDE;
  {
    std::lock_guard<std::recursive_mutex> lock(WinTableLock());
    WinWindowEntry* e = WinEntry(window);
    if (e == nullptr) return FALSE_;
    was = e->shown;
    if (was == show) return was ? TRUE_ : FALSE_;
    WinExposure before = WinTakeExposure();
    e->shown = show;
    e->style = show ? (e->style | WS_VISIBLE) : (e->style & ~WS_VISIBLE);
    WinApplyExposure(before);
  }
  SendMessageA(window, WM_SHOWWINDOW, show ? 1 : 0, 0);
  if (!show) {
    // A hidden window cannot keep the focus or the capture.
    HWND focus = GetFocus();
    if (focus != nullptr && (focus == window || IsChild(window, focus))) SetFocus(nullptr);
    HWND capture = GetCapture();
    if (capture != nullptr && (capture == window || IsChild(window, capture))) ReleaseCapture();
  }
  return was ? TRUE_ : FALSE_;
}

BOOL IsWindowVisible(HWND window) {
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  return WinIsVisible(WinKey(window)) ? TRUE_ : FALSE_;
}

HWND GetTopWindow(HWND parent) {
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  if (parent == nullptr) return T().top.empty() ? nullptr : WinHandle(T().top.front());
  WinWindowEntry* e = WinEntry(parent, true);
  if (e == nullptr || e->children.empty()) return nullptr;
  return WinHandle(e->children.front());
}

BOOL BringWindowToTop(HWND window) {
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  if (WinEntry(window) == nullptr) return FALSE_;
  WinExposure before = WinTakeExposure();
  auto& list = Siblings(WinKey(window));
  list.erase(std::remove(list.begin(), list.end(), WinKey(window)), list.end());
  list.insert(list.begin(), WinKey(window));
  WinApplyExposure(before);
  return TRUE_;
}

HWND GetWindow(HWND window, UINT relation) {
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  WinWindowEntry* e = WinEntry(window, true);
  if (e == nullptr) return nullptr;
  if (relation == GW_CHILD) return e->children.empty() ? nullptr : WinHandle(e->children.front());
  const auto& list = Siblings(WinKey(window));
  auto it = std::find(list.begin(), list.end(), WinKey(window));
  switch (relation) {
    case GW_HWNDFIRST: return WinHandle(list.front());
    case GW_HWNDLAST: return WinHandle(list.back());
    case GW_HWNDNEXT: return it + 1 < list.end() ? WinHandle(*(it + 1)) : nullptr;
    case GW_HWNDPREV: return it != list.begin() ? WinHandle(*(it - 1)) : nullptr;
    default: SetLastError(ERROR_INVALID_PARAMETER); return nullptr;
  }
}

BOOL IsChild(HWND parent, HWND window) {
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  if (!Live(WinKey(parent))) return FALSE_;
  uintptr_t k = WinKey(window);
  for (int depth = 0; Live(k) && depth < kMaxDepth; ++depth) {
    k = WinEntryOf(k)->parent;
    if (k == WinKey(parent)) return TRUE_;
  }
  return FALSE_;
}

HWND ChildWindowFromPoint(HWND parent, POINT point) {
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  WinWindowEntry* e = WinEntry(parent);
  if (e == nullptr) return nullptr;
  if (point.x < 0 || point.y < 0 || point.x >= e->width || point.y >= e->height) return nullptr;
  POINT o = WinScreenOrigin(WinKey(parent));
  for (uintptr_t c : e->children) {
    RECT r = WindowScreenRect(c);
    LONG x = point.x + o.x, y = point.y + o.y;
    if (ShownSelf(c) && x >= r.left && x < r.right && y >= r.top && y < r.bottom) {
      return WinHandle(c);
    }
  }
  return parent;
}

HWND WindowFromPoint(POINT point) {
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  const std::vector<uintptr_t>* list = &T().top;
  uintptr_t found = 0;
  for (int depth = 0; depth < kMaxDepth; ++depth) {
    uintptr_t hit = 0;
    for (uintptr_t k : *list) {
      RECT r = WindowScreenRect(k);
      if (ShownSelf(k) && point.x >= r.left && point.x < r.right && point.y >= r.top &&
          point.y < r.bottom) {
        hit = k;
        break;
      }
    }
    if (hit == 0) break;
    found = hit;
    list = &WinEntryOf(hit)->children;
  }
  return WinHandle(found);
}

// ---------------------------------------------------------------------------
// Attributes

LONG_PTR GetWindowLongPtrA(HWND window, int index) {
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  WinWindowEntry* e = WinEntry(window, true);
  if (e == nullptr) return 0;
  switch (index) {
    case GWL_WNDPROC: return reinterpret_cast<LONG_PTR>(e->procedure);
    case GWL_ID: return e->id;
    case GWL_STYLE: return e->style;
    case GWL_EXSTYLE: return e->exStyle;
    case GWL_USERDATA: return e->userData;
    default: SetLastError(ERROR_INVALID_PARAMETER); return 0;
  }
}

LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  WinWindowEntry* e = WinEntry(window, true);
  if (e == nullptr) return 0;
  LONG_PTR previous = 0;
  switch (index) {
    case GWL_WNDPROC:
      previous = reinterpret_cast<LONG_PTR>(e->procedure);
      e->procedure = reinterpret_cast<WNDPROC>(value);
      break;
    case GWL_ID:
      previous = e->id;
      e->id = value;
      break;
    case GWL_STYLE:
      previous = e->style;
      e->style = static_cast<LONG>(value);
      break;
    case GWL_EXSTYLE:
      previous = e->exStyle;
      e->exStyle = static_cast<LONG>(value);
      break;
    case GWL_USERDATA:
      previous = e->userData;
      e->userData = value;
      break;
    default: SetLastError(ERROR_INVALID_PARAMETER); return 0;
  }
  SetLastError(ERROR_SUCCESS);
  return previous;
}

LONG GetWindowLongA(HWND window, int index) {
  return static_cast<LONG>(GetWindowLongPtrA(window, index));
}

LONG SetWindowLongA(HWND window, int index, LONG value) {
  // A procedure address does not fit 32 bits: only the pointer-sized call sets it.
  if (index == GWL_WNDPROC) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return static_cast<LONG>(SetWindowLongPtrA(window, index, value));
}

int GetWindowTextA(HWND window, char* text, int capacity) {
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  WinWindowEntry* e = WinEntry(window, true);
  if (e == nullptr || text == nullptr || capacity <= 0) {
    if (e != nullptr) SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const size_t n = std::min(e->text.size(), static_cast<size_t>(capacity - 1));
  std::memcpy(text, e->text.data(), n);
  text[n] = '\0';
  return static_cast<int>(n);
}

int GetWindowTextLengthA(HWND window) {
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  WinWindowEntry* e = WinEntry(window, true);
  return e != nullptr ? static_cast<int>(e->text.size()) : 0;
}

BOOL SetWindowTextA(HWND window, const char* text) {
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  WinWindowEntry* e = WinEntry(window, true);
  if (e == nullptr) return FALSE_;
  e->text = text != nullptr ? text : "";
  return TRUE_;
}

BOOL EnableWindow(HWND window, BOOL enable) {
  bool wasDisabled = false;
  {
    std::lock_guard<std::recursive_mutex> lock(WinTableLock());
    WinWindowEntry* e = WinEntry(window);
    if (e == nullptr) return FALSE_;
    wasDisabled = !e->enabled;
    if (wasDisabled == !enable) return wasDisabled ? TRUE_ : FALSE_;
    e->enabled = enable != 0;
    e->style = enable ? (e->style & ~WS_DISABLED) : (e->style | WS_DISABLED);
  }
  if (!enable && GetFocus() == window) SetFocus(nullptr);
  SendMessageA(window, WM_ENABLE, enable ? 1 : 0, 0);
  return wasDisabled ? TRUE_ : FALSE_;
}

BOOL IsWindowEnabled(HWND window) {
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  WinWindowEntry* e = WinEntry(window);
  return e != nullptr && e->enabled ? TRUE_ : FALSE_;
}

// ---------------------------------------------------------------------------
// Foreground, activation, focus and capture

HWND GetForegroundWindow() {
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  return WinHandle(T().foreground);
}

BOOL SetForegroundWindow(HWND window) {
  {
    std::lock_guard<std::recursive_mutex> lock(WinTableLock());
    if (WinEntry(window) == nullptr) return FALSE_;
    T().foreground = TopLevelOf(WinKey(window));
  }
  BringWindowToTop(WinHandle(TopLevelOf(WinKey(window))));
  SetActiveWindow(window);
  return TRUE_;
}

HWND GetActiveWindow() {
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  return WinHandle(T().active);
}

HWND SetActiveWindow(HWND window) {
  uintptr_t previous = 0;
  uintptr_t next = 0;
  {
    std::lock_guard<std::recursive_mutex> lock(WinTableLock());
    if (window != nullptr && WinEntry(window) == nullptr) return nullptr;
    previous = T().active;
    next = window != nullptr ? TopLevelOf(WinKey(window)) : 0;
    if (previous == next) return WinHandle(previous);
    T().active = next;
  }
  if (previous != 0) {
    Notify(previous, WM_ACTIVATE, WA_INACTIVE, static_cast<LPARAM>(next));
    if (next == 0) Notify(previous, WM_ACTIVATEAPP, FALSE_, 0);
  }
  if (next != 0) {
    if (previous == 0) Notify(next, WM_ACTIVATEAPP, TRUE_, 0);
    Notify(next, WM_ACTIVATE, WA_ACTIVE, static_cast<LPARAM>(previous));
  }
  return WinHandle(previous);
}

HWND GetFocus() {
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  return WinHandle(T().focus);
}

HWND SetFocus(HWND window) {
  uintptr_t previous = 0;
  {
    std::lock_guard<std::recursive_mutex> lock(WinTableLock());
    if (window != nullptr) {
      WinWindowEntry* e = WinEntry(window);
      if (e == nullptr) return nullptr;
      if (!e->enabled) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
      }
    }
    previous = T().focus;
    if (previous == WinKey(window)) return WinHandle(previous);
    T().focus = WinKey(window);
  }
  if (window != nullptr) SetActiveWindow(window);
  Notify(previous, WM_KILLFOCUS, WinKey(window), 0);
  if (window != nullptr && GetFocus() == window) {
    SendMessageA(window, WM_SETFOCUS, previous, 0);
  }
  return WinHandle(previous);
}

HWND GetCapture() {
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  return WinHandle(T().capture);
}

HWND SetCapture(HWND window) {
  uintptr_t previous = 0;
  {
    std::lock_guard<std::recursive_mutex> lock(WinTableLock());
    if (WinEntry(window) == nullptr) return nullptr;
    previous = T().capture;
    T().capture = WinKey(window);
  }
  if (previous != 0 && previous != WinKey(window)) {
    Notify(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(window));
  }
  return WinHandle(previous);
}

BOOL ReleaseCapture() {
  uintptr_t previous = 0;
  {
    std::lock_guard<std::recursive_mutex> lock(WinTableLock());
    previous = T().capture;
    T().capture = 0;
  }
  Notify(previous, WM_CAPTURECHANGED, 0, 0);
  return TRUE_;
}

void ResetHeadlessWindowState() {
  std::lock_guard<std::recursive_mutex> lock(WinTableLock());
  WinExposure before = WinTakeExposure();
  Table& t = T();
  t.top.clear();
  for (auto& [key, e] : t.windows) {
    e.parent = 0;
    e.children.clear();
    e.origin = POINT{0, 0};
    e.frame = RECT{0, 0, 0, 0};
    e.shown = true;
    e.style = (e.style | WS_VISIBLE) & ~WS_CHILD;
    t.top.push_back(key);
  }
  std::sort(t.top.rbegin(), t.top.rend());  // the newest on top
  t.foreground = t.active = t.focus = t.capture = 0;
  WinResetScreens();
  WinApplyExposure(before);
}
