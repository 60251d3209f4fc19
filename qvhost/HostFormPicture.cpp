// Draws a host form as the stand-in host shows it in a snapshot: a white
// ground and one box per shown object of the page (objects of page 0 are on
// every page); a disabled object's box is grey.
#include "qvhost/HostFormPicture.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/gdi/GdiSnapshot.h"
#include "platform/gdi/WinGdi.h"
#include "platform/gdi/pict/PictInterpreter.h"

namespace {

// A memory device context over a 32-bit bitmap of the form's size, with
// every object it selected released at the end.
class Canvas {
 public:
  Canvas(int32_t width, int32_t height) {
    fDC = CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    fBitmap = fDC != nullptr ? CreateDIBSection(fDC, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    if (fBitmap != nullptr) fOldBitmap = SelectObject(fDC, fBitmap);
    LOGFONTA font{};
    font.lfHeight = -11;
    std::snprintf(font.lfFaceName, sizeof font.lfFaceName, "%s", "Arial");
    fFont = CreateFontIndirectA(&font);
    if (fFont != nullptr && fBitmap != nullptr) fOldFont = SelectObject(fDC, fFont);
  }
  ~Canvas() {
    if (fOldFont != nullptr) SelectObject(fDC, fOldFont);
    if (fOldBitmap != nullptr) SelectObject(fDC, fOldBitmap);
    if (fFont != nullptr) DeleteObject(fFont);
    if (fBitmap != nullptr) DeleteObject(fBitmap);
    if (fDC != nullptr) DeleteDC(fDC);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  HDC dc() const { return fBitmap != nullptr ? fDC : nullptr; }

 private:
  HDC fDC = nullptr;
  HBITMAP fBitmap = nullptr;
  HGDIOBJ fOldBitmap = nullptr;
  HFONT fFont = nullptr;
  HGDIOBJ fOldFont = nullptr;
};

// Paints the rectangle with a solid colour.
void Fill(HDC dc, const RECT& r, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  HGDIOBJ old = SelectObject(dc, brush);
  PatBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, PATCOPY);
  SelectObject(dc, old);
  DeleteObject(brush);
}

// A one-pixel frame just inside the rectangle.
void Frame(HDC dc, const RECT& r, COLORREF colour) {
  Fill(dc, RECT{r.left, r.top, r.right, r.top + 1}, colour);
  Fill(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, colour);
  Fill(dc, RECT{r.left, r.top, r.left + 1, r.bottom}, colour);
  Fill(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, colour);
}

void Text(HDC dc, int32_t x, int32_t y, const std::string& text, COLORREF colour) {
  SetTextColor(dc, colour);
  TextOutA(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

// What the box shows: the name, and the value as the kind holds it.
std::string Caption(const HostForms::Object& object) {
  const std::string& kind = object.kind;
  if (kind == "check" || kind == "radio") {
    const char* mark = object.value == 0 ? "[ ] " : object.value == 1 ? "[x] " : "[-] ";
    return mark + object.name;
  }
  if (kind == "entry") return object.name + ": " + object.text;
  if (kind == "list" || kind == "popup" || kind == "tab") {
    std::string shown = "-";
    if (object.value >= 1 && static_cast<size_t>(object.value) <= object.items.size())
      shown = object.items[static_cast<size_t>(object.value) - 1];
    return object.name + ": " + shown + " (" + std::to_string(object.value) + "/" +
           std::to_string(object.items.size()) + ")";
  }
  return object.name;
}

// A picture object shows its picture at the picture's own size from the
// box's top-left corner, cut to the box, as a picture shown truncated.
void PlayPicture(HDC dc, const std::vector<uint8_t>& pict, const RECT& box) {
  // The frame of the picture's header: a size word, then top, left,
  // bottom and right, big-endian.
  if (pict.size() < 10) return;
  auto word = [&](size_t at) { return static_cast<int16_t>((pict[at] << 8) | pict[at + 1]); };
  const int32_t width = word(8) - word(4);
  const int32_t height = word(6) - word(2);
  if (width <= 0 || height <= 0) return;
  const RECT frame{box.left, box.top, box.left + width, box.top + height};
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, box.left, box.top, box.right, box.bottom);
  PlayPict(dc, pict.data(), static_cast<uint32_t>(pict.size()), &frame);
  RestoreDC(dc, saved);
}

}  // namespace

std::string WriteFormPicture(const HostForms::Form& form, int16_t page, const std::string& path,
                             const UserAreaPainter& paintUserArea) {
  Canvas canvas(form.width, form.height);
  HDC dc = canvas.dc();
  if (dc == nullptr) return "cannot draw form " + form.name;
  Fill(dc, RECT{0, 0, form.width, form.height}, RGB(255, 255, 255));
  SetBkMode(dc, TRANSPARENT);
  for (const HostForms::Object& object : form.objects) {
    if (!object.visible || (object.page != 0 && object.page != page)) continue;
    const RECT box{object.rect[1], object.rect[0], object.rect[3], object.rect[2]};
    const COLORREF ink = object.enabled ? RGB(0, 0, 0) : RGB(160, 160, 160);
    // The module's drawing of a user area stands alone, without our frame.
    if (object.kind == "user" && paintUserArea && paintUserArea(object, dc)) {
      SetBkMode(dc, TRANSPARENT);
      continue;
    }
    if (object.kind == "picture" && !object.picture.empty()) {
      PlayPicture(dc, object.picture, box);
    } else {
      Text(dc, box.left + 3, box.top + 3, Caption(object), ink);
    }
    Frame(dc, box, ink);
  }
  if (!GdiWritePng(dc, path.c_str())) return "cannot write " + path;
  return {};
}
