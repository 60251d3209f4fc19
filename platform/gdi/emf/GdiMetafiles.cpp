// The metafile calls: recording DCs made and closed, metafiles kept by
// handle as their stored bytes (never changed once made), the bits in and
// out, and playing.
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "platform/gdi/GdiInternal.h"
#include "platform/gdi/WinGdiMetafile.h"
#include "platform/gdi/emf/GdiEmfPlayer.h"
#include "platform/gdi/emf/GdiEmfRecorder.h"
#include "platform/gdi/emf/GdiMetaBytes.h"
#include "platform/gdi/emf/GdiMetafileTable.h"
#include "platform/gdi/emf/GdiWmfPlayer.h"
#include "platform/gdi/emf/GdiWmfRecorder.h"

namespace {

// A description longer than this is taken to lack its final zero.
constexpr size_t kMaxDescription = 0x10000;

BOOL Refuse(DWORD error) {
  SetLastError(error);
  return FALSE_;
}

// The two strings and the final zero of a description, as UTF-16 with their
// terminators; its bytes are Windows-1252 text, whose letters below 0x80 and
// from 0xA0 are the same code points.
std::u16string Description(LPCSTR text) {
  std::u16string out;
  if (!text) return out;
  size_t n = 0;
  while (n + 1 < kMaxDescription && !(text[n] == '\0' && n > 0 && text[n - 1] == '\0')) ++n;
  for (size_t i = 0; i <= n; ++i) out.push_back(static_cast<uint8_t>(text[i]));
  return out;
}

HENHMETAFILE NewEnhanced(std::vector<uint8_t> bytes) {
  return reinterpret_cast<HENHMETAFILE>(GdiMetafileTable::Insert(std::move(bytes), true));
}

HMETAFILE NewWindows(std::vector<uint8_t> bytes) {
  return reinterpret_cast<HMETAFILE>(GdiMetafileTable::Insert(std::move(bytes), false));
}

GdiMetafileTable::Bytes Enhanced(HENHMETAFILE h) { return GdiMetafileTable::Find(h, true); }
GdiMetafileTable::Bytes Windows(HMETAFILE h) { return GdiMetafileTable::Find(h, false); }

UINT CopyBits(const std::vector<uint8_t>& bytes, UINT size, void* buffer) {
  if (bytes.size() > UINT32_MAX) return 0;
  if (!buffer) return static_cast<UINT>(bytes.size());
  if (size < bytes.size()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::memcpy(buffer, bytes.data(), bytes.size());
  return static_cast<UINT>(bytes.size());
}

// Starts an enhanced-metafile recording; the recorder is given back so that
// the caller can close it.
HDC StartRecording(HDC reference, const RECT* frame, std::u16string description,
                   GdiEmfRecorder** recorder) {
  if (reference && !GdiDcFromHandle(reference)) return nullptr;
  auto owned = std::make_unique<GdiEmfRecorder>(frame, std::move(description));
  GdiEmfRecorder* raw = owned.get();
  HDC dc = GdiCreateRecordingDC(reference, std::move(owned));
  GdiDC* d = dc ? GdiDcFromHandle(dc) : nullptr;
  if (!d) return nullptr;
  raw->Begin(d->caps);
  if (recorder) *recorder = raw;
  return dc;
}

HENHMETAFILE FinishRecording(HDC dc, GdiEmfRecorder* recorder) {
  std::vector<uint8_t> bytes;
  bool ok = recorder->Finish(&bytes);
  DeleteDC(dc);
  if (!ok) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  return NewEnhanced(std::move(bytes));
}

}  // namespace

// ---------------------------------------------------------------------------
// Enhanced metafiles

HDC CreateEnhMetaFileA(HDC reference, LPCSTR file, const RECT* frame, LPCSTR description) {
  if (file) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  try {
    return StartRecording(reference, frame, Description(description), nullptr);
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
}

HENHMETAFILE CloseEnhMetaFile(HDC dc) {
  GdiDC* d = GdiDcFromHandle(dc);
  auto* recorder = d ? dynamic_cast<GdiEmfRecorder*>(d->recorder.get()) : nullptr;
  if (!recorder) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  try {
    return FinishRecording(dc, recorder);
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
}

BOOL DeleteEnhMetaFile(HENHMETAFILE metafile) {
  return GdiMetafileTable::Remove(metafile, true) ? TRUE_ : Refuse(ERROR_INVALID_HANDLE);
}

HENHMETAFILE CopyEnhMetaFileA(HENHMETAFILE metafile, LPCSTR file) {
  if (file) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  GdiMetafileTable::Bytes bytes = Enhanced(metafile);
  if (!bytes) return nullptr;
  // The bytes never change once made, so the copy shares them.
  return reinterpret_cast<HENHMETAFILE>(GdiMetafileTable::Insert(bytes, true));
}

UINT GetEnhMetaFileBits(HENHMETAFILE metafile, UINT size, BYTE* buffer) {
  GdiMetafileTable::Bytes bytes = Enhanced(metafile);
  return bytes ? CopyBits(*bytes, size, buffer) : 0;
}

HENHMETAFILE SetEnhMetaFileBits(UINT size, const BYTE* bytes) {
  if (!bytes || !GdiCheckEmf(bytes, size)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  // The metafile is its nBytes; anything after it is not kept.
  GdiByteReader r(bytes, size);
  r.Seek(48);
  uint32_t total = r.U32();
  try {
    return NewEnhanced(std::vector<uint8_t>(bytes, bytes + total));
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
}

UINT GetEnhMetaFileHeader(HENHMETAFILE metafile, UINT size, ENHMETAHEADER* header) {
  GdiMetafileTable::Bytes bytes = Enhanced(metafile);
  if (!bytes) return 0;
  if (!header) return sizeof(ENHMETAHEADER);
  // Read field by field; a header of an older, shorter form leaves the
  // fields it lacks 0.
  GdiByteReader r(bytes->data(), bytes->size());
  ENHMETAHEADER h{};
  h.iType = r.U32();
  h.nSize = r.U32();
  GdiByteReader f(bytes->data(), std::min<size_t>(h.nSize, bytes->size()));
  f.Skip(8);
  h.rclBounds = f.Rect();
  h.rclFrame = f.Rect();
  h.dSignature = f.U32();
  h.nVersion = f.U32();
  h.nBytes = f.U32();
  h.nRecords = f.U32();
  h.nHandles = f.U16();
  h.sReserved = f.U16();
  h.nDescription = f.U32();
  h.offDescription = f.U32();
  h.nPalEntries = f.U32();
  h.szlDevice = {f.I32(), f.I32()};
  h.szlMillimeters = {f.I32(), f.I32()};
  uint32_t pixelFormat = f.U32();
  uint32_t pixelOffset = f.U32();
  uint32_t openGl = f.U32();
  if (!f.Failed()) {
    h.cbPixelFormat = pixelFormat;
    h.offPixelFormat = pixelOffset;
    h.bOpenGL = openGl;
    SIZE micrometres{f.I32(), f.I32()};
    if (!f.Failed()) h.szlMicrometers = micrometres;
  }
  UINT n = std::min<UINT>(size, sizeof(ENHMETAHEADER));
  std::memcpy(header, &h, n);
  return n;
}

BOOL PlayEnhMetaFile(HDC dc, HENHMETAFILE metafile, const RECT* rect) {
  if (!GdiDcFromHandle(dc)) return FALSE_;
  GdiMetafileTable::Bytes bytes = Enhanced(metafile);
  if (!bytes) return FALSE_;
  if (!rect) return Refuse(ERROR_INVALID_PARAMETER);
  if (!GdiPlayEmf(dc, bytes->data(), bytes->size(), *rect)) {
    return Refuse(ERROR_INVALID_PARAMETER);
  }
  return TRUE_;
}

// ---------------------------------------------------------------------------
// Windows metafiles

HMETAFILE SetMetaFileBitsEx(UINT size, const BYTE* bytes) {
  size_t length = 0;
  if (!bytes || !GdiCheckWmf(bytes, size, &length)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  try {
    return NewWindows(std::vector<uint8_t>(bytes, bytes + length));
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
}

UINT GetMetaFileBitsEx(HMETAFILE metafile, UINT size, LPVOID buffer) {
  GdiMetafileTable::Bytes bytes = Windows(metafile);
  return bytes ? CopyBits(*bytes, size, buffer) : 0;
}

BOOL DeleteMetaFile(HMETAFILE metafile) {
  return GdiMetafileTable::Remove(metafile, false) ? TRUE_ : Refuse(ERROR_INVALID_HANDLE);
}

BOOL PlayMetaFile(HDC dc, HMETAFILE metafile) {
  if (!GdiDcFromHandle(dc)) return FALSE_;
  GdiMetafileTable::Bytes bytes = Windows(metafile);
  if (!bytes) return FALSE_;
  return GdiPlayWmf(dc, bytes->data(), bytes->size()) ? TRUE_ : Refuse(ERROR_INVALID_PARAMETER);
}

HENHMETAFILE SetWinMetaFileBits(UINT size, const BYTE* bytes, HDC reference,
                                const METAFILEPICT* picture) {
  size_t length = 0;
  if (!bytes || !GdiCheckWmf(bytes, size, &length)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  try {
    // The picture's size is worked out in pixels of the reference device.
    HDC device = reference ? reference : CreateICA("DISPLAY", nullptr, nullptr, nullptr);
    if (!device) return nullptr;
    GdiWmfPicture plan = GdiPlanWmfPicture(bytes, length, device, picture);
    if (!reference) DeleteDC(device);
    GdiEmfRecorder* recorder = nullptr;
    HDC dc = StartRecording(reference, plan.hasFrame ? &plan.frame : nullptr, {}, &recorder);
    if (!dc) return nullptr;
    if (plan.anisotropic) {
      SetMapMode(dc, MM_ANISOTROPIC);
      SetViewportOrgEx(dc, 0, 0, nullptr);
      SetViewportExtEx(dc, plan.viewport.cx, plan.viewport.cy, nullptr);
      SetWindowOrgEx(dc, plan.windowOrigin.x, plan.windowOrigin.y, nullptr);
      SetWindowExtEx(dc, plan.window.cx, plan.window.cy, nullptr);
    }
    if (!GdiPlayWmf(dc, bytes, length)) {
      DeleteDC(dc);
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    return FinishRecording(dc, recorder);
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
}

UINT GetWinMetaFileBits(HENHMETAFILE metafile, UINT size, BYTE* buffer, INT mapMode,
                        HDC reference) {
  GdiMetafileTable::Bytes bytes = Enhanced(metafile);
  if (!bytes) return 0;
  if ((mapMode != MM_ANISOTROPIC && mapMode != MM_TEXT) ||
      (reference && !GdiDcFromHandle(reference))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  try {
    std::vector<uint8_t> out;
    // Fails for records that are not well formed (or when memory runs out).
    if (!GdiEmfToWmf(bytes->data(), bytes->size(), reference, mapMode == MM_ANISOTROPIC, &out)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    return CopyBits(out, size, buffer);
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
}
