// Icons of the GDI stand-in: an icon keeps its own copies of a mask and a
// colour bitmap and is drawn by two blits; the set of live icons refuses
// stale or forged handles.
#include <mutex>
#include <set>

#include "platform/gdi/GdiPaint.h"

struct HICON__ {
  HBITMAP mask = nullptr;
  HBITMAP color = nullptr;
  int width = 0;
  int height = 0;
};

namespace {

struct IconTable {
  std::mutex mutex;
  std::set<HICON> live;
};

IconTable& Icons() {
  static IconTable table;
  return table;
}

bool IsLiveIcon(HICON icon) {
  std::lock_guard<std::mutex> lock(Icons().mutex);
  return Icons().live.count(icon) != 0;
}

// A copy of a bitmap: monochrome stays monochrome, anything else becomes a
// device colour bitmap.
HBITMAP CopyOf(HBITMAP source, const BITMAP& bm) {
  HDC screen = GetDC(nullptr);
  HBITMAP copy = bm.bmBitsPixel == 1 ? CreateBitmap(bm.bmWidth, bm.bmHeight, 1, 1, nullptr)
                                     : CreateCompatibleBitmap(screen, bm.bmWidth, bm.bmHeight);
  HDC from = CreateCompatibleDC(screen);
  HDC to = CreateCompatibleDC(screen);
  bool copied = false;
  if (copy != nullptr && from != nullptr && to != nullptr) {
    HGDIOBJ fromOld = SelectObject(from, source);
    HGDIOBJ toOld = SelectObject(to, copy);
    copied = fromOld != nullptr && toOld != nullptr &&
             BitBlt(to, 0, 0, bm.bmWidth, bm.bmHeight, from, 0, 0, SRCCOPY);
    if (fromOld != nullptr) SelectObject(from, fromOld);
    if (toOld != nullptr) SelectObject(to, toOld);
  }
  if (from != nullptr) DeleteDC(from);
  if (to != nullptr) DeleteDC(to);
  ReleaseDC(nullptr, screen);
  if (!copied && copy != nullptr) {
    DeleteObject(copy);
    copy = nullptr;
  }
  return copy;
}

// The mask (black text, white back, so its bits stay as they are) and the
// colours, stretched from the icon's size to (w, h).
void PutIcon(HDC dc, int x, int y, int w, int h, HICON icon, UINT flags) {
  HDC source = CreateCompatibleDC(dc);
  if (source == nullptr) return;
  const COLORREF text = SetTextColor(dc, RGB(0, 0, 0));
  const COLORREF back = SetBkColor(dc, RGB(255, 255, 255));
  HGDIOBJ old = SelectObject(source, icon->mask);
  if (flags & DI_MASK) {
    StretchBlt(dc, x, y, w, h, source, 0, 0, icon->width, icon->height, SRCAND);
  }
  if (flags & DI_IMAGE) {
    SelectObject(source, icon->color);
    StretchBlt(dc, x, y, w, h, source, 0, 0, icon->width, icon->height,
               (flags & DI_MASK) ? SRCINVERT : SRCCOPY);
  }
  SelectObject(source, old);
  SetTextColor(dc, text);
  SetBkColor(dc, back);
  DeleteDC(source);
}

}  // namespace

HICON CreateIconIndirect(const ICONINFO* info) {
  BITMAP mask{};
  BITMAP color{};
  if (info == nullptr || info->hbmColor == nullptr ||
      GetObject(info->hbmMask, sizeof mask, &mask) == 0 ||
      GetObject(info->hbmColor, sizeof color, &color) == 0 || mask.bmWidth != color.bmWidth ||
      mask.bmHeight != color.bmHeight) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto* icon = new HICON__;
  icon->width = color.bmWidth;
  icon->height = color.bmHeight;
  icon->mask = CopyOf(info->hbmMask, mask);
  icon->color = CopyOf(info->hbmColor, color);
  if (icon->mask == nullptr || icon->color == nullptr) {
    if (icon->mask != nullptr) DeleteObject(icon->mask);
    if (icon->color != nullptr) DeleteObject(icon->color);
    delete icon;
    return nullptr;
  }
  std::lock_guard<std::mutex> lock(Icons().mutex);
  Icons().live.insert(icon);
  return icon;
}

BOOL DestroyIcon(HICON icon) {
  {
    std::lock_guard<std::mutex> lock(Icons().mutex);
    if (Icons().live.erase(icon) == 0) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE_;
    }
  }
  DeleteObject(icon->mask);
  DeleteObject(icon->color);
  delete icon;
  return TRUE_;
}

BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int cx, int cy, UINT, HBRUSH flickerFree,
                UINT flags) {
  if (!IsLiveIcon(icon)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE_;
  }
  if (dc == nullptr || (flags & DI_NORMAL) == 0) return FALSE_;
  const int w = cx != 0 ? cx : icon->width;
  const int h = cy != 0 ? cy : icon->height;
  if (flickerFree == nullptr) {
    PutIcon(dc, x, y, w, h, icon, flags);
    return TRUE_;
  }
  // Drawn off the device on the brush's ground, then copied in one blit.
  HDC work = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, w, h);
  BOOL done = FALSE_;
  if (work != nullptr && bitmap != nullptr) {
    HGDIOBJ oldBitmap = SelectObject(work, bitmap);
    HGDIOBJ oldBrush = SelectObject(work, flickerFree);
    PatBlt(work, 0, 0, w, h, PATCOPY);
    SelectObject(work, oldBrush);
    PutIcon(work, 0, 0, w, h, icon, flags);
    done = BitBlt(dc, x, y, w, h, work, 0, 0, SRCCOPY);
    SelectObject(work, oldBitmap);
  }
  if (bitmap != nullptr) DeleteObject(bitmap);
  if (work != nullptr) DeleteDC(work);
  return done;
}
