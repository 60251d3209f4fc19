// The Toolbox emulation's picture recording.
#include "platform/toolbox/TbxPictures.h"

#include <cstring>
#include <mutex>
#include <vector>

#include "platform/gdi/GdiTopDownBitmap.h"
#include "platform/gdi/WinGdi.h"

namespace Tbx {

namespace {

// The picture being recorded: its handle and frame, and a memory device
// context over a white 32-bit top-down bitmap of the frame's size.
struct OpenPictureState {
  Handle handle = 0;
  Rect frame{};
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ previous = nullptr;
  uint32_t* pixels = nullptr;
};

std::mutex gPictureMutex;
OpenPictureState gPicture;

int32_t Width(const Rect& r) { return int32_t{r.right} - r.left; }
int32_t Height(const Rect& r) { return int32_t{r.bottom} - r.top; }

void ReleaseCanvas(OpenPictureState& state) {
  if (state.dc != nullptr) {
    if (state.previous != nullptr) SelectObject(state.dc, state.previous);
    DeleteDC(state.dc);
  }
  if (state.bitmap != nullptr) DeleteObject(state.bitmap);
  state = OpenPictureState{};
}

void PutWord(std::vector<uint8_t>& out, int32_t v) {
  out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
  out.push_back(static_cast<uint8_t>(v & 0xFF));
}

void PutWords(std::vector<uint8_t>& out, std::initializer_list<int32_t> words) {
  for (int32_t w : words) PutWord(out, w);
}

// The whole PICT of the drawn pixels.
std::vector<uint8_t> PictOf(const OpenPictureState& state) {
  const Rect& f = state.frame;
  const int32_t w = Width(f);
  const int32_t h = Height(f);
  std::vector<uint8_t> out;
  PutWords(out, {0, f.top, f.left, f.bottom, f.right});
  // Version 2, with the header of version -1 (the frame in fixed point).
  PutWords(out, {0x0011, 0x02FF, 0x0C00, 0xFFFF, 0xFFFF, f.left, 0, f.top, 0, f.right, 0, f.bottom,
                 0, 0, 0});
  // The clip: the frame.
  PutWords(out, {0x0001, 10, f.top, f.left, f.bottom, f.right});
  // DirectBitsRect: base address, pixel map (row bytes, bounds, version,
  // pack type 1, pack size, 72 dpi, 16-bit RGB direct, 32 bits a pixel, 3
  // components of 8 bits, no plane bytes, table or reserve), source and
  // destination rectangles, copy mode; then the rows, 0 R G B a pixel.
  PutWords(out, {0x009A, 0, 0xFF});
  // The map's bounds, and so the source, start at (0, 0); the destination
  // is the frame.
  PutWords(
      out,
      {(w * 4) | 0x8000, 0, 0, h, w, 0, 1, 0, 0, 0x48, 0, 0x48, 0, 16, 32, 3, 8, 0, 0, 0, 0, 0, 0});
  PutWords(out, {0, 0, h, w, f.top, f.left, f.bottom, f.right, 0});
  out.reserve(out.size() + static_cast<size_t>(w) * h * 4 + 4);
  for (int32_t i = 0; i < w * h; ++i) {
    const uint32_t px = state.pixels[i];
    out.push_back(0);
    out.push_back(static_cast<uint8_t>(px >> 16));
    out.push_back(static_cast<uint8_t>(px >> 8));
    out.push_back(static_cast<uint8_t>(px));
  }
  if (out.size() & 1) out.push_back(0);
  PutWord(out, 0x00FF);
  // The size word keeps the low 16 bits.
  out[0] = static_cast<uint8_t>((out.size() >> 8) & 0xFF);
  out[1] = static_cast<uint8_t>(out.size() & 0xFF);
  return out;
}

}  // namespace

Handle OpenPicture(const Rect* frame) {
  std::lock_guard<std::mutex> lock(gPictureMutex);
  if (frame == nullptr || gPicture.handle != 0) return 0;
  const int32_t w = Width(*frame);
  const int32_t h = Height(*frame);
  if (w <= 0 || h <= 0 || w > kPictureMaxWidth) return 0;
  OpenPictureState state;
  state.frame = *frame;
  state.dc = CreateCompatibleDC(nullptr);
  void* bits = nullptr;
  state.bitmap = state.dc != nullptr ? CreateTopDownBitmap32(state.dc, w, h, &bits) : nullptr;
  state.pixels = static_cast<uint32_t*>(bits);
  state.handle = state.pixels != nullptr ? NewHandle(0) : 0;
  if (state.handle == 0) {
    ReleaseCanvas(state);
    return 0;
  }
  state.previous = SelectObject(state.dc, state.bitmap);
  for (int32_t i = 0; i < w * h; ++i) state.pixels[i] = 0xFFFFFF;
  gPicture = state;
  return gPicture.handle;
}

bool PlayMetafileIntoPicture(HENHMETAFILE metafile, const Rect* frame) {
  std::lock_guard<std::mutex> lock(gPictureMutex);
  if (gPicture.handle == 0 || metafile == nullptr || frame == nullptr) return false;
  const RECT rect{frame->left - gPicture.frame.left, frame->top - gPicture.frame.top,
                  frame->right - gPicture.frame.left, frame->bottom - gPicture.frame.top};
  return PlayEnhMetaFile(gPicture.dc, metafile, &rect) != 0;
}

bool IsPictureOpen() {
  std::lock_guard<std::mutex> lock(gPictureMutex);
  return gPicture.handle != 0;
}

void ClosePicture() {
  std::lock_guard<std::mutex> lock(gPictureMutex);
  if (gPicture.handle == 0) return;
  GdiFlush();
  const std::vector<uint8_t> pict = PictOf(gPicture);
  const Handle handle = gPicture.handle;
  ReleaseCanvas(gPicture);
  if (pict.size() > INT32_MAX) return;
  SetHandleSize(handle, static_cast<int32_t>(pict.size()));
  if (MemError() != noErr || GetHandleSize(handle) != static_cast<int32_t>(pict.size())) return;
  std::memcpy(HLock(handle), pict.data(), pict.size());
  HUnlock(handle);
}

}  // namespace Tbx
