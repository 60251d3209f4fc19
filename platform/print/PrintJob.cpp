// Print jobs of the headless stand-in: a printer DC with a job has its
// recorder write each page's calls onto a cairo PDF page as vectors. What PDF
// cannot say (raster operations other than copying, inversion, patterned and
// dashed ink, turned text, bitmaps) is taken from the page pixels, once the
// call has drawn, and placed as an image at that point of the page's order,
// so the page looks as its pixels do while text stays text.
//
// A page has pixels only where such a call needs them. The job keeps the
// page's vector calls with the DC's state at each; when a raster call comes,
// the part of the page it may touch gets pixels (white, then those calls
// drawn into it by the rasteriser in their order), and from then on every
// call draws there too. A page of text and shapes alone makes no pixels. A
// job that writes each page's pixels as a PNG draws the whole page instead.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SIZES_H

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/bytes/Utf8Put.h"
#include "platform/gdi/GdiInternal.h"
#include "platform/gdi/GdiSnapshot.h"
#include "platform/gdi/GdiText.h"
#include "platform/gdi/fonts/GdiFontInstance.h"
#include "platform/gdi/fonts/GdiFontLibrary.h"
#include "platform/gdi/fonts/GdiTextShaper.h"
#include "platform/print/CairoLibrary.h"
#include "platform/print/WinPrint.h"
#include "platform/win32/WinFiles.h"

using GdiFonts::FaceFile;
using GdiFonts::FontInstance;

namespace {

std::mutex gJobMutex;
std::optional<std::string> gOutputPath;
std::optional<std::string> gPngPrefix;
int gFailNext = 0;
int gNextJobId = 1;
std::atomic<int64_t> gPagePixels{0};
// cairo's functions, set by the first job that starts: nothing of cairo runs
// before a job, and every job's calls come after its start.
const CairoFunctions* gCairo = nullptr;

constexpr int kFailStartDoc = 1;
constexpr int kFailStartPage = 2;
// The output's disk is full from the job's start, once its first page is
// written, or when the document is finished.
constexpr int kDiskFullAtStart = 3;
constexpr int kDiskFullAfterFirstPage = 4;
constexpr int kDiskFullAtEnd = 5;

// Ternary raster operations that copy their source or pattern.
constexpr DWORD kPatCopy = 0x00F00021;
constexpr DWORD kBlackness = 0x00000042;
constexpr DWORD kWhiteness = 0x00FF0062;

class PdfRecorder;

// The whole page, for calls whose reach is not cheap to bound.
constexpr RECT kWholePage{INT32_MIN / 2, INT32_MIN / 2, INT32_MAX / 2, INT32_MAX / 2};

RECT Union(const RECT& a, const RECT& b) {
  return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

bool IsEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

// A drawing call of the page that went into the PDF as vectors, with the
// DC's state when it was made, so that the rasteriser can draw it again
// wherever the page comes to need pixels. It holds the objects it draws with
// (a pen or brush deleted meanwhile goes when the page ends), and a copy of
// the region it fills.
struct PageCall {
  PageCall(GdiDC& dc, GdiOp op) : op(op), state(dc.state) {
    for (GdiObject* object : Objects()) GdiUse(object);
  }
  PageCall(const PageCall&) = delete;
  PageCall& operator=(const PageCall&) = delete;
  ~PageCall() {
    for (GdiObject* object : Objects()) GdiUnuse(object);
    GdiUnuse(brush);
    if (region != nullptr) DeleteObject(region);
  }
  std::array<GdiObject*, 5> Objects() const {
    return {state.pen, state.brush, state.font, state.bitmap, state.palette};
  }

  GdiOp op;
  GdiDcState state;
  // Shapes: their arguments. Text: the reference point (0, 1), the
  // alignment (2), the options (3), the rectangle (4 to 7) and whether there
  // is one (8), and whether the characters are UTF-16 units (9).
  int32_t args[10] = {};
  std::vector<POINT> points;  // polygon points; text: the advances, in x
  std::vector<uint8_t> text;
  int32_t count = 0;          // characters of text
  HRGN region = nullptr;      // FillRgn and PaintRgn
  GdiBrush* brush = nullptr;  // FillRgn's
};

// Draws a kept call on the DC with the rasteriser; the DC's recorder must be
// out of the way.
void DrawPageCall(GdiDC& dc, const PageCall& call) {
  HDC h = static_cast<HDC>(dc.handle);
  const int32_t* a = call.args;
  switch (call.op) {
    case GdiOp::Rectangle:
      Rectangle(h, a[0], a[1], a[2], a[3]);
      break;
    case GdiOp::Ellipse:
      Ellipse(h, a[0], a[1], a[2], a[3]);
      break;
    case GdiOp::Polygon:
      Polygon(h, call.points.data(), int(call.points.size()));
      break;
    case GdiOp::Polyline:
      Polyline(h, call.points.data(), int(call.points.size()));
      break;
    case GdiOp::LineTo:
      LineTo(h, a[0], a[1]);
      break;
    case GdiOp::PatBlt:
      PatBlt(h, a[0], a[1], a[2], a[3], static_cast<DWORD>(a[4]));
      break;
    case GdiOp::PaintRgn:
      PaintRgn(h, call.region);
      break;
    case GdiOp::FillRgn:
      if (call.brush != nullptr) FillRgn(h, call.region, static_cast<HBRUSH>(call.brush->handle));
      break;
    case GdiOp::TextOut: {
      std::vector<INT> advances(call.points.size());
      for (size_t i = 0; i < advances.size(); ++i) advances[i] = call.points[i].x;
      const RECT rect{a[4], a[5], a[6], a[7]};
      GdiDrawTextRun(h, a[0], a[1], static_cast<UINT>(a[2]), static_cast<UINT>(a[3]),
                     a[8] != 0 ? &rect : nullptr, call.text.data(), a[9] != 0, call.count,
                     advances.data());
      break;
    }
    default:
      break;
  }
}

// The FreeType size object cairo draws a face through. cairo remembers for
// each FreeType face the scale it last set on the face's active size and
// sets a size again only when it is asked for another scale; that memory
// lives as long as any cairo face made from the FreeType face, which its
// cache of scaled fonts keeps past the job that made it. So one size serves
// every job for as long as cairo keeps such a face: a size made afresh for
// a later job would never be scaled, and the glyphs cairo first met in that
// job would measure empty, their ink box too small for the clip cairo then
// narrows to it, so that they are cut off the page.
struct CairoSize {
  FT_Face face = nullptr;
  FT_Size size = nullptr;
  ~CairoSize();
};

// The sizes by face, under the font library's lock.
std::map<FT_Face, std::weak_ptr<CairoSize>>& CairoSizes() {
  static auto* sizes = new std::map<FT_Face, std::weak_ptr<CairoSize>>();
  return *sizes;
}

CairoSize::~CairoSize() {
  std::lock_guard<std::recursive_mutex> lock(GdiFonts::FontLibrary::Get()->Mutex());
  FT_Done_Size(size);
  auto it = CairoSizes().find(face);
  if (it != CairoSizes().end() && it->second.expired()) CairoSizes().erase(it);
}

// cairo's size of a face, made when cairo has none; null when FreeType
// cannot make one. Called under the font library's lock.
std::shared_ptr<CairoSize> CairoSizeOf(FT_Face face) {
  std::weak_ptr<CairoSize>& slot = CairoSizes()[face];
  std::shared_ptr<CairoSize> made = slot.lock();
  if (made) return made;
  FT_Size size = nullptr;
  if (FT_New_Size(face, &size) != 0) {
    CairoSizes().erase(face);
    return nullptr;
  }
  made = std::make_shared<CairoSize>();
  made->face = face;
  made->size = size;
  slot = made;
  return made;
}

// What a cairo font face holds of ours while cairo keeps it; the size goes
// before the face file it was made for.
struct CairoFaceHold {
  std::shared_ptr<FaceFile> file;
  std::shared_ptr<CairoSize> size;
};
cairo_user_data_key_t kHoldKey;

void ReleaseHold(void* data) {
  std::lock_guard<std::recursive_mutex> lock(GdiFonts::FontLibrary::Get()->Mutex());
  delete static_cast<CairoFaceHold*>(data);
}

// One running job: its PDF surface and the page being written. The PDF
// goes into a hidden file beside the output path and takes that path only
// when the whole document is written and on the disk, so a job that fails
// midway (a full disk, a page refused) leaves no damaged file there and an
// older file of that name stays as it was.
struct PrintJob {
  int id = 0;
  std::string path;
  std::string temporary;
  HANDLE file = INVALID_HANDLE_VALUE;
  // A write of the output failed: the job cannot succeed any more.
  bool writeFailed = false;
  // The job is being given up: what cairo still writes goes nowhere.
  bool discarding = false;
  bool finishing = false;
  int diskFull = 0;  // a simulated full disk: one of kDiskFull…, or 0
  cairo_surface_t* surface = nullptr;
  cairo_t* cr = nullptr;
  double scale = 1.0;  // points per device pixel
  int32_t offsetX = 0, offsetY = 0;
  bool pageOpen = false;
  int pages = 0;
  // The font faces the pages use, plain and emboldened by cairo; cairo
  // reads their files again when the document is finished.
  std::map<std::pair<FaceFile*, bool>, std::pair<std::shared_ptr<FaceFile>, cairo_font_face_t*>> faces;
  // A device box drawn by our rasteriser that the page takes as an image.
  std::optional<RECT> pendingRaster;
  // Whether the page's pixels are made only where raster calls need them,
  // the page's vector calls kept for that, and the box the pixels' memory
  // covers (empty before the page has any).
  bool pixelsOnDemand = true;
  std::deque<PageCall> calls;
  RECT pixelBox{0, 0, 0, 0};
  // cairo's size object of each face the job uses, made active before
  // cairo uses it.
  std::vector<std::shared_ptr<CairoSize>> sizes;

  void ActivateCairoSizes() {
    for (const std::shared_ptr<CairoSize>& made : sizes) {
      FT_Activate_Size(made->size);
      FT_Set_Transform(made->face, nullptr, nullptr);
    }
  }

  ~PrintJob() {
    discarding = true;
    if (cr != nullptr) gCairo->destroy(cr);
    if (surface != nullptr) gCairo->surface_destroy(surface);
    for (auto& face : faces) gCairo->font_face_destroy(face.second.second);
    // A job that did not put its file in place removes it.
    if (file != INVALID_HANDLE_VALUE) {
      CloseHandle(file);
      DeleteFileA(temporary.c_str());
    }
  }

  bool DiskFull() const {
    return diskFull == kDiskFullAtStart || (diskFull == kDiskFullAfterFirstPage && pages >= 1) ||
           (diskFull == kDiskFullAtEnd && finishing);
  }

  // Whether everything the job wrote so far reached its file.
  bool Sound() const { return !writeFailed && gCairo->surface_status(surface) == CAIRO_STATUS_SUCCESS; }

  // cairo's output: every byte written to the file, or the job fails.
  static cairo_status_t Write(void* closure, const unsigned char* data, unsigned int length) {
    PrintJob& job = *static_cast<PrintJob*>(closure);
    if (job.discarding) return CAIRO_STATUS_SUCCESS;
    if (job.writeFailed) return CAIRO_STATUS_WRITE_ERROR;
    DWORD written = 0;
    if (job.DiskFull() || !WriteFile(job.file, data, length, &written, nullptr)) {
      job.writeFailed = true;
      return CAIRO_STATUS_WRITE_ERROR;
    }
    return CAIRO_STATUS_SUCCESS;
  }

  // The written file on the disk under the output path, as a save puts a
  // document in place: the protection of the file it replaces (or of a new
  // file) given before the flush, then the one replace step; false, and the
  // file gone, when any of it failed.
  bool PutInPlace() {
    bool ok = !writeFailed && TakeProtectionOfA(file, path.c_str()) && FlushFileBuffers(file);
    ok = CloseHandle(file) && ok;
    file = INVALID_HANDLE_VALUE;
    ok = ok && PutFileInPlaceA(temporary.c_str(), path.c_str());
    if (!ok) DeleteFileA(temporary.c_str());
    return ok;
  }
};

// The tag of the hidden file a job writes beside its PDF.
constexpr char kPrintCopyTag[] = ".~qvprint";

// A hidden file of the job's own beside the output path, open for writing
// (the copy a save makes, which first removes those killed jobs left);
// false when none can be made there.
bool MakeTemporary(PrintJob& job) {
  std::vector<char> name(job.path.size() + sizeof kPrintCopyTag + 16);
  job.file = CreateCopyBesideA(job.path.c_str(), kPrintCopyTag, name.data(), DWORD(name.size()));
  if (job.file == INVALID_HANDLE_VALUE) return false;
  job.temporary = name.data();
  return true;
}

void SetColor(cairo_t* cr, COLORREF color) {
  gCairo->set_source_rgb(cr, GetRValue(color) / 255.0, GetGValue(color) / 255.0,
                       GetBValue(color) / 255.0);
}

// The current path becomes the clip, its edges where the path has them.
// The page draws without antialiasing, under which cairo would round a
// clip's edges to whole points, up to half a point inside the device
// pixels that bound it: a band as tall as its line would lose the edges of
// its ink.
void ClipToPath(cairo_t* cr) {
  gCairo->set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
  gCairo->clip(cr);
  gCairo->set_antialias(cr, CAIRO_ANTIALIAS_NONE);
}

RECT Ordered(int32_t l, int32_t t, int32_t r, int32_t b) {
  return RECT{std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b)};
}

RECT DeviceBox(GdiDC& dc, int32_t l, int32_t t, int32_t r, int32_t b) {
  const POINT a = GdiToDevice(dc, POINT{l, t});
  const POINT c = GdiToDevice(dc, POINT{r, b});
  return Ordered(a.x, a.y, c.x, c.y);
}

// The recorder of a printer DC with a job.
class PdfRecorder : public GdiRecorder {
 public:
  explicit PdfRecorder(std::unique_ptr<PrintJob> job) : fJob(std::move(job)) {}
  // A DC deleted while its job runs ends the job without a file.
  ~PdfRecorder() override {
    if (fJob) Abort();
  }

  PrintJob& Job() { return *fJob; }

  void Record(GdiDC& dc, const GdiCall& call) override {
    FlushRaster(dc);
    if (!fJob->pageOpen) return;
    if (call.op == GdiOp::TextOut) {
      RecordText(dc, call);
    } else if (!Vector(dc, call)) {
      MarkRaster(dc, AffectedBox(dc, call));
    } else if (fJob->pixelsOnDemand) {
      Keep(dc, call);
    }
  }

  // A new page (and the end of one): no pixels, no calls kept. The page's
  // pixels are made on demand unless each page is written as a PNG too.
  void BeginPage(GdiDC& dc, bool pixelsOnDemand) {
    if (dc.surface && !dc.pagePixelsOnDemand) {
      gPagePixels += int64_t{dc.surface->width} * dc.surface->height;
    }
    fJob->calls.clear();
    fJob->pixelBox = RECT{0, 0, 0, 0};
    fJob->pixelsOnDemand = pixelsOnDemand;
    dc.pagePixelsOnDemand = pixelsOnDemand;
    dc.system = GdiRegion();
    dc.surface.reset();
  }

  // Pixels for the whole page, as a page written as a PNG shows them, or
  // read back while it is drawn.
  void MakeWholePage(GdiDC& dc) { MakePixels(dc, kWholePage); }
  void NeedPagePixels(GdiDC& dc) override {
    if (fJob) MakeWholePage(dc);
  }

  // The page's last image, then the page itself.
  void FinishPage(GdiDC& dc) {
    FlushRaster(dc);
    std::lock_guard<std::recursive_mutex> lock(GdiFonts::FontLibrary::Get()->Mutex());
    fJob->ActivateCairoSizes();
    gCairo->show_page(fJob->cr);
    fJob->pageOpen = false;
    ++fJob->pages;
  }

  // The document's end: written whole, it takes the output path.
  bool Finish() {
    std::lock_guard<std::recursive_mutex> lock(GdiFonts::FontLibrary::Get()->Mutex());
    fJob->ActivateCairoSizes();
    fJob->finishing = true;
    gCairo->surface_finish(fJob->surface);
    const bool ok = fJob->Sound() && fJob->PutInPlace();
    fJob.reset();
    return ok;
  }

  // The job given up: nothing of it stays.
  void Abort() {
    if (!fJob) return;
    std::lock_guard<std::recursive_mutex> lock(GdiFonts::FontLibrary::Get()->Mutex());
    fJob->ActivateCairoSizes();
    fJob->discarding = true;
    gCairo->surface_finish(fJob->surface);
    fJob.reset();
  }

 private:
  // ---- Raster areas.
  // The box joins the area the page takes as an image at the next call,
  // and that area gets its pixels before the call draws.
  void MarkRaster(GdiDC& dc, const std::optional<RECT>& box) {
    if (!box) return;
    RECT& pending = fJob->pendingRaster.emplace(
        fJob->pendingRaster ? Union(*fJob->pendingRaster, *box) : *box);
    MakePixels(dc, pending);
  }

  // Keeps a vector call for drawing the page's pixels later.
  void Keep(GdiDC& dc, const GdiCall& call) {
    switch (call.op) {
      case GdiOp::Rectangle:
      case GdiOp::Ellipse:
      case GdiOp::LineTo:
      case GdiOp::PatBlt:
        break;
      case GdiOp::Polygon:
      case GdiOp::Polyline:
        if (call.points == nullptr || call.count < 2) return;
        break;
      case GdiOp::PaintRgn:
      case GdiOp::FillRgn:
        if (GdiRegionFromHandle(static_cast<HRGN>(call.object)) == nullptr) return;
        break;
      default:
        return;  // state changes: each kept call has the state it was made in
    }
    PageCall& kept = fJob->calls.emplace_back(dc, call.op);
    std::copy(std::begin(call.args), std::end(call.args), kept.args);
    if (call.op == GdiOp::Polygon || call.op == GdiOp::Polyline) {
      kept.points.assign(call.points, call.points + call.count);
    }
    if (call.op == GdiOp::PaintRgn || call.op == GdiOp::FillRgn) {
      kept.region = CreateRectRgn(0, 0, 0, 0);
      CombineRgn(kept.region, static_cast<HRGN>(call.object), nullptr, RGN_COPY);
    }
    if (call.op == GdiOp::FillRgn) {
      kept.brush = GdiBrushFromHandle(
          reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(static_cast<uint32_t>(call.args[0]))));
      GdiUse(kept.brush);
    }
  }

  // Gives the page pixels in the box (cut to the page): white, with the
  // page's vector calls so far drawn into what had none, each in the state
  // it was made in. Raster calls need no drawing again: each drew only
  // inside a box that had its pixels by then.
  void MakePixels(GdiDC& dc, RECT box) {
    if (!fJob->pixelsOnDemand) return;
    box = RECT{std::max<int32_t>(box.left, 0), std::max<int32_t>(box.top, 0),
               std::min<int32_t>(box.right, dc.caps.horzRes),
               std::min<int32_t>(box.bottom, dc.caps.vertRes)};
    if (IsEmpty(box)) return;
    const GdiRegion missing = GdiRegion::Combine(GdiRegion(box), dc.system, RGN_DIFF);
    if (missing.IsEmpty()) return;
    if (!GrowPixels(dc, box)) return;
    const GdiDcState now = dc.state;
    const GdiRegion had = dc.system;
    std::unique_ptr<GdiRecorder> self = std::move(dc.recorder);
    dc.system = missing;
    for (const PageCall& call : fJob->calls) {
      dc.state = call.state;
      // A run that stays clear of the new pixels costs no glyphs.
      if (call.op == GdiOp::TextOut && !missing.Intersects(Reach(dc, call, *InstanceOf(dc)))) {
        continue;
      }
      DrawPageCall(dc, call);
    }
    dc.state = now;
    dc.recorder = std::move(self);
    dc.system = GdiRegion::Combine(had, missing, RGN_OR);
  }

  // Widens the page's pixel memory to cover the box, white where it is new;
  // false when memory runs out. The page keeps its size; only the rows and
  // columns of the box have memory, which drawing (kept inside the DC's
  // `system`) never leaves.
  bool GrowPixels(GdiDC& dc, const RECT& box) {
    const RECT have = fJob->pixelBox;
    const RECT want = IsEmpty(have) ? box : Union(have, box);
    if (!IsEmpty(have) && want.left == have.left && want.top == have.top &&
        want.right == have.right && want.bottom == have.bottom) {
      return true;
    }
    const int32_t width = want.right - want.left, height = want.bottom - want.top;
    const size_t pixels = size_t(width) * size_t(height);
    std::shared_ptr<uint32_t[]> memory(new (std::nothrow) uint32_t[pixels]);
    if (!memory) return false;
    std::fill_n(memory.get(), pixels, 0x00FFFFFFu);  // white, the fourth byte 0
    const ptrdiff_t stride = ptrdiff_t{width} * 4;
    auto* first = reinterpret_cast<uint8_t*>(memory.get());
    if (!IsEmpty(have) && dc.surface) {
      for (int32_t y = have.top; y < have.bottom; ++y) {
        std::memcpy(first + ptrdiff_t(y - want.top) * stride + ptrdiff_t(have.left - want.left) * 4,
                    dc.surface->Row(y) + ptrdiff_t{have.left} * 4,
                    size_t(have.right - have.left) * 4);
      }
    }
    if (!dc.surface) dc.surface = std::make_shared<GdiSurface>();
    GdiSurface& page = *dc.surface;
    page.width = dc.caps.horzRes;
    page.height = dc.caps.vertRes;
    page.bitsPerPixel = 32;
    page.stride = stride;
    // Row 0 of the page lies before the memory when the box starts below it,
    // as a window DC's view of the screen does.
    page.bits = reinterpret_cast<uint8_t*>(
        reinterpret_cast<uintptr_t>(first) -
        static_cast<uintptr_t>(ptrdiff_t{want.top} * stride + ptrdiff_t{want.left} * 4));
    page.storage = memory;
    gPagePixels += int64_t{width} * height -
                   (IsEmpty(have) ? 0 : int64_t{have.right - have.left} * (have.bottom - have.top));
    fJob->pixelBox = want;
    return true;
  }

  // The device box a call may change; none for calls that draw nothing.
  static std::optional<RECT> AffectedBox(GdiDC& dc, const GdiCall& call) {
    const int32_t* a = call.args;
    switch (call.op) {
      case GdiOp::PatBlt:
      case GdiOp::BitBlt:
      case GdiOp::StretchBlt:
      case GdiOp::TransparentBlt:
      case GdiOp::SetDIBitsToDevice:
      case GdiOp::StretchDIBits:
        return DeviceBox(dc, a[0], a[1], a[0] + a[2], a[1] + a[3]);
      case GdiOp::Rectangle:
      case GdiOp::Ellipse:
      case GdiOp::RoundRect:
      case GdiOp::Arc:
      case GdiOp::Chord:
      case GdiOp::Pie:
      case GdiOp::InvertRect: {
        RECT r = DeviceBox(dc, a[0], a[1], a[2], a[3]);
        const int32_t pen = dc.state.pen ? dc.state.pen->width : 1;
        return RECT{r.left - pen, r.top - pen, r.right + pen, r.bottom + pen};
      }
      case GdiOp::SetPixel: {
        const POINT p = GdiToDevice(dc, POINT{a[0], a[1]});
        return RECT{p.x, p.y, p.x + 1, p.y + 1};
      }
      case GdiOp::LineTo:
      case GdiOp::Polyline:
      case GdiOp::Polygon: {
        // The points' box, widened by the pen.
        std::vector<POINT> points;
        if (call.op == GdiOp::LineTo) {
          points = {dc.state.position, POINT{a[0], a[1]}};
        } else if (call.points != nullptr) {
          points.assign(call.points, call.points + std::max(call.count, 0));
        }
        if (points.empty()) return std::nullopt;
        const int32_t pen = dc.state.pen ? std::max(dc.state.pen->width, 1) : 1;
        RECT box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
        for (const POINT& p : points) {
          const POINT d = GdiToDevice(dc, p);
          box = RECT{std::min(box.left, d.x), std::min(box.top, d.y), std::max(box.right, d.x),
                     std::max(box.bottom, d.y)};
        }
        return RECT{box.left - pen, box.top - pen, box.right + pen + 1, box.bottom + pen + 1};
      }
      case GdiOp::FillRgn:
      case GdiOp::FrameRgn:
      case GdiOp::PaintRgn:
      case GdiOp::InvertRgn: {
        // The region's box, where the mapping only moves it; frames lie
        // inside the region.
        GdiRegionObject* region = GdiRegionFromHandle(static_cast<HRGN>(call.object));
        if (region == nullptr || dc.state.mapMode != MM_TEXT) return kWholePage;
        RECT r = region->region.Bounds();
        const POINT origin = GdiToDevice(dc, POINT{0, 0});
        return RECT{r.left + origin.x - 1, r.top + origin.y - 1, r.right + origin.x + 1,
                    r.bottom + origin.y + 1};
      }
      case GdiOp::TextOut:
      case GdiOp::ExtFloodFill:
        // Their reach is not cheap to bound exactly: the whole page.
        return kWholePage;
      default:
        return std::nullopt;
    }
  }

  // Places the page pixels of the pending box as an image.
  void FlushRaster(GdiDC& dc) {
    if (!fJob->pendingRaster) return;
    RECT r = *fJob->pendingRaster;
    fJob->pendingRaster.reset();
    GdiSurface* page = dc.Target();
    if (page == nullptr) return;
    r.left = std::max<int32_t>(r.left, 0);
    r.top = std::max<int32_t>(r.top, 0);
    r.right = std::min<int32_t>(r.right, page->width);
    r.bottom = std::min<int32_t>(r.bottom, page->height);
    if (fJob->pixelsOnDemand) {
      // Only the part with pixels (all of it, unless memory ran out).
      const RECT& have = fJob->pixelBox;
      r = RECT{std::max(r.left, have.left), std::max(r.top, have.top),
               std::min(r.right, have.right), std::min(r.bottom, have.bottom)};
    }
    if (r.right <= r.left || r.bottom <= r.top) return;
    const int w = r.right - r.left, h = r.bottom - r.top;
    cairo_surface_t* image = gCairo->image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    if (gCairo->surface_status(image) != CAIRO_STATUS_SUCCESS) {
      gCairo->surface_destroy(image);
      return;
    }
    gCairo->surface_flush(image);
    uint8_t* data = gCairo->image_surface_get_data(image);
    const int stride = gCairo->image_surface_get_stride(image);
    for (int y = 0; y < h; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(data + ptrdiff_t(y) * stride);
      for (int x = 0; x < w; ++x) {
        const COLORREF c = page->ToColor(page->Get(r.left + x, r.top + y));
        row[x] = (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c);
      }
    }
    gCairo->surface_mark_dirty(image);
    cairo_t* cr = fJob->cr;
    gCairo->save(cr);
    gCairo->set_source_surface(cr, image, r.left, r.top);
    // Pixels stay pixels: no smoothing between them.
    gCairo->pattern_set_filter(gCairo->get_source(cr), CAIRO_FILTER_NEAREST);
    gCairo->rectangle(cr, r.left, r.top, w, h);
    gCairo->fill(cr);
    gCairo->restore(cr);
    gCairo->surface_destroy(image);
  }

  // ---- Vectors. False when the call needs the page pixels instead.
  bool Vector(GdiDC& dc, const GdiCall& call) {
    switch (call.op) {
      case GdiOp::Rectangle:
      case GdiOp::Ellipse:
      case GdiOp::Polygon:
      case GdiOp::Polyline:
      case GdiOp::LineTo:
      case GdiOp::PaintRgn:
      case GdiOp::FillRgn:
      case GdiOp::PatBlt:
        break;
      case GdiOp::RoundRect:
      case GdiOp::Arc:
      case GdiOp::Chord:
      case GdiOp::Pie:
      case GdiOp::SetPixel:
      case GdiOp::ExtFloodFill:
      case GdiOp::InvertRect:
      case GdiOp::InvertRgn:
      case GdiOp::FrameRgn:
      case GdiOp::BitBlt:
      case GdiOp::StretchBlt:
      case GdiOp::TransparentBlt:
      case GdiOp::SetDIBitsToDevice:
      case GdiOp::StretchDIBits:
        return false;
      default:
        return true;  // state changes: the DC keeps them
    }
    // Only the plain mapping and plain copying ink have vector forms.
    if (dc.state.mapMode != MM_TEXT || dc.state.rop2 != R2_COPYPEN) return false;
    cairo_t* cr = fJob->cr;
    gCairo->save(cr);
    ApplyClip(dc);
    const bool done = Draw(dc, call);
    gCairo->restore(cr);
    return done;
  }

  void ApplyClip(GdiDC& dc) {
    if (!dc.state.clip) return;
    cairo_t* cr = fJob->cr;
    gCairo->new_path(cr);
    for (const RECT& r : dc.state.clip->Rects()) {
      gCairo->rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
    ClipToPath(cr);
  }

  // The solid colour of a brush; none for a null brush, false for brushes
  // PDF paints differently (hatches, patterns).
  static bool BrushColor(const GdiBrushData* brush, std::optional<COLORREF>& color) {
    color.reset();
    if (brush == nullptr || brush->style == BS_NULL) return true;
    if (brush->style != BS_SOLID) return false;
    color = brush->color;
    return true;
  }

  static bool PenOf(GdiDC& dc, std::optional<COLORREF>& color, double& width) {
    color.reset();
    GdiPen* pen = dc.state.pen;
    if (pen == nullptr || pen->Style() == PS_NULL) return true;
    if (pen->Style() != PS_SOLID && pen->Style() != PS_INSIDEFRAME) return false;
    if (pen->brush.style != BS_SOLID) return false;
    color = pen->brush.color;
    width = std::max(1, pen->width);
    return true;
  }

  // Fills the current path with `fill` and strokes it with `line`, each when
  // given, and clears it.
  static void PaintPath(cairo_t* cr, const std::optional<COLORREF>& fill,
                        const std::optional<COLORREF>& line) {
    if (fill) {
      SetColor(cr, *fill);
      gCairo->fill_preserve(cr);
    }
    if (line) {
      SetColor(cr, *line);
      gCairo->stroke(cr);
    }
    gCairo->new_path(cr);
  }

  bool Draw(GdiDC& dc, const GdiCall& call) {
    cairo_t* cr = fJob->cr;
    const int32_t* a = call.args;
    std::optional<COLORREF> fill, line;
    double width = 1;
    switch (call.op) {
      case GdiOp::PatBlt: {
        const RECT r = DeviceBox(dc, a[0], a[1], a[0] + a[2], a[1] + a[3]);
        const DWORD rop = static_cast<DWORD>(a[4]);
        if (rop == kBlackness) {
          fill = RGB(0, 0, 0);
        } else if (rop == kWhiteness) {
          fill = RGB(255, 255, 255);
        } else if (rop != kPatCopy || !BrushColor(dc.state.brush ? &dc.state.brush->data : nullptr, fill)) {
          return false;
        }
        if (fill) {
          SetColor(cr, *fill);
          gCairo->rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
          gCairo->fill(cr);
        }
        return true;
      }
      case GdiOp::FillRgn:
      case GdiOp::PaintRgn: {
        GdiRegionObject* region = GdiRegionFromHandle(static_cast<HRGN>(call.object));
        const GdiBrushData* brush = nullptr;
        if (call.op == GdiOp::FillRgn) {
          GdiBrush* b = GdiBrushFromHandle(
              reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(static_cast<uint32_t>(a[0]))));
          brush = b ? &b->data : nullptr;
        } else if (dc.state.brush) {
          brush = &dc.state.brush->data;
        }
        if (region == nullptr || !BrushColor(brush, fill)) return false;
        if (!fill) return true;
        const POINT origin = GdiToDevice(dc, POINT{0, 0});
        gCairo->new_path(cr);
        for (const RECT& r : region->region.Rects()) {
          gCairo->rectangle(cr, r.left + origin.x, r.top + origin.y, r.right - r.left,
                          r.bottom - r.top);
        }
        SetColor(cr, *fill);
        gCairo->fill(cr);
        return true;
      }
      default:
        break;
    }

    if (!PenOf(dc, line, width)) return false;
    const bool closed = call.op == GdiOp::Rectangle || call.op == GdiOp::Ellipse ||
                        call.op == GdiOp::Polygon;
    if (closed && !BrushColor(dc.state.brush ? &dc.state.brush->data : nullptr, fill)) return false;
    gCairo->set_line_width(cr, width);
    gCairo->set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    gCairo->set_line_join(cr, CAIRO_LINE_JOIN_MITER);

    switch (call.op) {
      case GdiOp::Rectangle: {
        RECT r = DeviceBox(dc, a[0], a[1], a[2], a[3]);
        // Without a pen the fill stops one pixel short of the right and
        // bottom edges, as the rasteriser's does.
        if (!line) {
          r.right -= 1;
          r.bottom -= 1;
        }
        if (fill && r.right > r.left && r.bottom > r.top) {
          SetColor(cr, *fill);
          gCairo->rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
          gCairo->fill(cr);
        }
        if (line) {
          const double inset = width / 2;
          SetColor(cr, *line);
          gCairo->rectangle(cr, r.left + inset, r.top + inset, r.right - r.left - width,
                          r.bottom - r.top - width);
          gCairo->stroke(cr);
        }
        return true;
      }
      case GdiOp::Ellipse: {
        RECT r = DeviceBox(dc, a[0], a[1], a[2], a[3]);
        if (!line) {
          r.right -= 1;
          r.bottom -= 1;
        }
        const double inset = line ? width / 2 : 0;
        const double cx = (r.left + r.right) / 2.0, cy = (r.top + r.bottom) / 2.0;
        const double rx = (r.right - r.left) / 2.0 - inset, ry = (r.bottom - r.top) / 2.0 - inset;
        if (rx <= 0 || ry <= 0) return true;
        gCairo->save(cr);
        gCairo->translate(cr, cx, cy);
        gCairo->scale(cr, rx, ry);
        gCairo->new_path(cr);
        gCairo->arc(cr, 0, 0, 1, 0, 2 * M_PI);
        gCairo->restore(cr);
        PaintPath(cr, fill, line);
        return true;
      }
      case GdiOp::Polygon:
      case GdiOp::Polyline: {
        if (call.points == nullptr || call.count < 2) return true;
        gCairo->new_path(cr);
        for (int32_t i = 0; i < call.count; ++i) {
          const POINT p = GdiToDevice(dc, call.points[i]);
          // Lines run through pixel centres.
          if (i == 0)
            gCairo->move_to(cr, p.x + 0.5, p.y + 0.5);
          else
            gCairo->line_to(cr, p.x + 0.5, p.y + 0.5);
        }
        if (call.op != GdiOp::Polygon) {
          PaintPath(cr, std::nullopt, line);
          return true;
        }
        gCairo->close_path(cr);
        if (fill) {
          gCairo->set_fill_rule(cr, dc.state.polyFillMode == WINDING ? CAIRO_FILL_RULE_WINDING
                                                                   : CAIRO_FILL_RULE_EVEN_ODD);
        }
        PaintPath(cr, fill, line);
        return true;
      }
      case GdiOp::LineTo: {
        if (!line) return true;
        const POINT from = GdiToDevice(dc, dc.state.position);
        const POINT to = GdiToDevice(dc, POINT{a[0], a[1]});
        SetColor(cr, *line);
        gCairo->move_to(cr, from.x + 0.5, from.y + 0.5);
        gCairo->line_to(cr, to.x + 0.5, to.y + 0.5);
        gCairo->stroke(cr);
        return true;
      }
      default:
        return false;
    }
  }

  // The cairo face of a font file, plain or with the bold the file lacks
  // synthesised by cairo, which emboldens each outline (FreeType's
  // embolden) and embeds the glyphs so made as an outline font.
  cairo_font_face_t* FaceOf(const std::shared_ptr<FaceFile>& file, bool emboldened) {
    auto it = fJob->faces.find({file.get(), emboldened});
    if (it != fJob->faces.end()) return it->second.second;
    // cairo sizes the face it draws with through a size object of its own,
    // made active before each of its uses; our text code activates its own
    // sizes again before each of its. One size serves both of a file's
    // faces. The face file stays open as long as cairo keeps the face.
    std::lock_guard<std::recursive_mutex> lock(GdiFonts::FontLibrary::Get()->Mutex());
    FT_Face ftFace = file->Face();
    std::shared_ptr<CairoSize> size = CairoSizeOf(ftFace);
    if (!size) return nullptr;
    // cairo shares a face among the requests for one FreeType face with
    // the same load flags, so the emboldened face asks for other flags
    // (unhinted outlines, which suit vectors) and is never the plain one.
    cairo_font_face_t* face =
        gCairo->ft_font_face_create_for_ft_face(ftFace, emboldened ? FT_LOAD_NO_HINTING : 0);
    auto* hold = new CairoFaceHold{file, size};
    if (gCairo->font_face_set_user_data(face, &kHoldKey, hold, &ReleaseHold) != CAIRO_STATUS_SUCCESS) {
      ReleaseHold(hold);
      gCairo->font_face_destroy(face);
      return nullptr;
    }
    if (emboldened) gCairo->ft_font_face_set_synthesize(face, CAIRO_FT_SYNTHESIZE_BOLD);
    if (std::find(fJob->sizes.begin(), fJob->sizes.end(), size) == fJob->sizes.end()) fJob->sizes.push_back(size);
    fJob->faces[{file.get(), emboldened}] = {file, face};
    return face;
  }

  static std::shared_ptr<FontInstance> InstanceOf(GdiDC& dc) {
    GdiFont* font = dc.state.font;
    if (font == nullptr) return FontInstance::Realize(LOGFONTA{});
    if (!font->realization) font->realization = FontInstance::Realize(font->logFont);
    return std::static_pointer_cast<FontInstance>(font->realization);
  }

  // A run goes into the PDF as text in the plain mapping and mix, in a face
  // cairo can embed as it is; otherwise the page shows its pixels.
  void RecordText(GdiDC& dc, const GdiCall& call) {
    PageCall& run = fJob->calls.emplace_back(dc, GdiOp::TextOut);
    const UINT align = dc.state.textAlign;
    const POINT reference =
        (align & TA_UPDATECP) ? dc.state.position : POINT{call.args[0], call.args[1]};
    run.args[0] = reference.x;
    run.args[1] = reference.y;
    run.args[2] = static_cast<int32_t>(align & ~UINT(TA_UPDATECP));
    run.args[3] = call.args[2];
    std::copy(call.args + 3, call.args + 7, run.args + 4);
    run.args[8] = call.args[7];
    run.args[9] = call.args[8];
    run.count = std::max(call.count, 0);
    run.points.assign(size_t(run.count), POINT{0, 0});
    for (int32_t i = 0; i < run.count && call.points != nullptr; ++i) {
      run.points[size_t(i)].x = call.points[i].x;
    }
    if (call.data != nullptr) {
      const auto* bytes = static_cast<const uint8_t*>(call.data);
      run.text.assign(bytes, bytes + call.size);
    }
    const std::shared_ptr<FontInstance> instance = InstanceOf(dc);
    const bool embeddable = instance && instance->File() && instance->SizeHandle() != nullptr &&
                            !instance->IsRotated();
    bool shown = false;
    if (embeddable && dc.state.mapMode == MM_TEXT && dc.state.rop2 == R2_COPYPEN) {
      // cairo's state is saved only around a clip. Unclipped, the font and
      // matrix the run sets stay for the next run, which sets them again
      // unchanged, so that cairo keeps its scaled font instead of finding it
      // again for every run; every drawing call sets its own colour.
      const bool clipped = dc.state.clip || (run.args[8] != 0 && (UINT(run.args[3]) & ETO_CLIPPED));
      if (clipped) {
        gCairo->save(fJob->cr);
        ApplyClip(dc);
      }
      shown = Text(dc, run, *instance);
      if (clipped) gCairo->restore(fJob->cr);
      // The fonts are not held past the run.
      for (Piece& piece : fPieces) piece.font.reset();
      fOthers.clear();
    }
    if (!shown) {
      // The run as the pixels show it.
      MarkRaster(dc, kWholePage);
      DrawTextPixels(dc, run);
      fJob->calls.pop_back();
    } else if (!fJob->pixelsOnDemand) {
      DrawTextPixels(dc, run);
      fJob->calls.pop_back();
    } else if (dc.surface && dc.system.Intersects(Reach(dc, run, *instance))) {
      // Kept, and drawn now where the page has pixels already.
      DrawTextPixels(dc, run);
    }
  }

  // The page pixels get the run (a recorder alone draws no text).
  static void DrawTextPixels(GdiDC& dc, const PageCall& run) {
    std::unique_ptr<GdiRecorder> self = std::move(dc.recorder);
    DrawPageCall(dc, run);
    dc.recorder = std::move(self);
  }

  // A device box the run's pixels stay inside: its length either way of the
  // reference point, two character boxes around, and its rectangle.
  static RECT Reach(GdiDC& dc, const PageCall& run, const FontInstance& font) {
    int64_t total = 0;
    for (const POINT& step : run.points) total += std::abs(int64_t{step.x});
    const TEXTMETRICA& tm = font.Metrics();
    const int64_t pad = 2 * (int64_t{std::abs(tm.tmHeight)} + std::abs(tm.tmMaxCharWidth)) + 2;
    const POINT at = GdiToDevice(dc, POINT{run.args[0], run.args[1]});
    auto clamp = [](int64_t v) {
      return int32_t(std::clamp<int64_t>(v, INT32_MIN / 2, INT32_MAX / 2));
    };
    RECT box{clamp(at.x - total - pad), clamp(at.y - pad), clamp(at.x + total + pad),
             clamp(at.y + pad)};
    if (run.args[8] != 0) {
      box = Union(box, DeviceBox(dc, run.args[4], run.args[5], run.args[6], run.args[7]));
    }
    return box;
  }

  // The run onto the PDF page; false when the face cannot be given to cairo.
  bool Text(GdiDC& dc, const PageCall& run, FontInstance& font) {
    FontInstance* instance = &font;
    const bool wide = run.args[9] != 0;
    const int32_t count = run.count;
    const UINT options = static_cast<UINT>(run.args[3]);
    const UINT align = static_cast<UINT>(run.args[2]);
    const POINT reference{run.args[0], run.args[1]};
    const RECT rect{run.args[4], run.args[5], run.args[6], run.args[7]};
    const bool hasRect = run.args[8] != 0;
    const std::vector<POINT>& advances = run.points;  // each character's in x
    const void* data = run.text.data();

    std::u16string& units = fUnits;
    if (wide) {
      units.assign(static_cast<const char16_t*>(data), size_t(count));
    } else {
      units = instance->UnitsFromAnsi(static_cast<const char*>(data), count);
    }
    int64_t total = 0;
    for (const POINT& advance : advances) total += advance.x;
    const TEXTMETRICA& tm = instance->Metrics();
    const POINT device = GdiToDevice(dc, reference);
    double along = 0;
    if ((align & TA_CENTER) == TA_CENTER)
      along = -double(total / 2);
    else if ((align & TA_CENTER) == TA_RIGHT)
      along = -double(total);
    double across = tm.tmAscent;
    if ((align & TA_BASELINE) == TA_BASELINE)
      across = 0;
    else if ((align & TA_BASELINE) == TA_BOTTOM)
      across = -tm.tmDescent;
    const double x0 = std::round(device.x + along);
    const double y0 = device.y + across;

    // The glyphs in pieces of one font each (fPieces[0, pieceCount)).
    size_t pieceCount = 0;
    std::vector<int64_t>& offsets = fOffsets;
    offsets.assign(units.size() + 1, 0);
    for (size_t i = 0; i < units.size(); ++i)
      offsets[i + 1] = offsets[i] + (i < advances.size() ? advances[i].x : 0);
    if (GdiFonts::RunNeedsShaping(*instance, units.data(), units.size())) {
      if (!ShapedPieces(*instance, units, offsets, x0, y0, &pieceCount)) return false;
    } else if (!UnshapedPieces(*instance, units, offsets, x0, y0, &pieceCount)) {
      return false;
    }

    cairo_t* cr = fJob->cr;
    if (hasRect && (options & ETO_CLIPPED)) {
      const RECT clip = DeviceBox(dc, rect.left, rect.top, rect.right, rect.bottom);
      gCairo->rectangle(cr, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top);
      ClipToPath(cr);
    }
    if (hasRect && (options & ETO_OPAQUE)) {
      const RECT box = DeviceBox(dc, rect.left, rect.top, rect.right, rect.bottom);
      SetColor(cr, dc.state.bkColor);
      gCairo->rectangle(cr, box.left, box.top, box.right - box.left, box.bottom - box.top);
      gCairo->fill(cr);
    }
    if (dc.state.bkMode == OPAQUE && total > 0) {
      SetColor(cr, dc.state.bkColor);
      gCairo->rectangle(cr, x0, std::round(y0 - tm.tmAscent), double(total),
                      tm.tmAscent + tm.tmDescent);
      gCairo->fill(cr);
    }

    SetColor(cr, dc.state.textColor);
    for (size_t p = 0; p < pieceCount; ++p) {
      const Piece& piece = fPieces[p];
      const FontInstance& drawing = piece.font ? *piece.font : *instance;
      cairo_font_face_t* cairoFace = FaceOf(drawing.File(), drawing.SynthesisedBold());
      if (cairoFace == nullptr) return false;
      FT_Size size = drawing.SizeHandle();
      FT_Face face = drawing.File()->Face();
      const double emX = double(size->metrics.x_scale) * face->units_per_EM / 65536.0 / 64.0;
      const double emY = double(size->metrics.y_scale) * face->units_per_EM / 65536.0 / 64.0;
      gCairo->set_font_face(cr, cairoFace);
      // A synthesised italic is the upright outline slanted as the screen
      // slants it: the font matrix moves each point right by the slant
      // times its height above the baseline (cairo's font space points down).
      const double slant = drawing.SynthesisedItalic() ? GdiFonts::kSyntheticSlant : 0.0;
      cairo_matrix_t matrix;
      gCairo->matrix_init(&matrix, emX, 0, -slant * emY, emY, 0, 0);
      gCairo->set_font_matrix(cr, &matrix);
      std::lock_guard<std::recursive_mutex> lock(GdiFonts::FontLibrary::Get()->Mutex());
      fJob->ActivateCairoSizes();
      gCairo->show_text_glyphs(cr, piece.utf8.data(), int(piece.utf8.size()), piece.glyphs.data(),
                             int(piece.glyphs.size()), piece.clusters.data(), int(piece.clusters.size()),
                             cairo_text_cluster_flags_t(0));
    }
    const LOGFONTA& logFont = instance->LogFont();
    for (int pass = 0; pass < 2; ++pass) {
      const bool on = pass == 0 ? logFont.lfUnderline : logFont.lfStrikeOut;
      if (!on || total <= 0) continue;
      const int top = pass == 0 ? instance->UnderlineTop() : instance->StrikeTop();
      const int thick = pass == 0 ? instance->UnderlineThickness() : instance->StrikeThickness();
      gCairo->rectangle(cr, x0, std::round(y0) + top, double(total), thick);
      gCairo->fill(cr);
    }
    return true;
  }

  // The glyphs of a run drawn a character at a time, in pieces of one font
  // each (fPieces[0, *count)); false when a font cannot be given to cairo.
  bool UnshapedPieces(FontInstance& font, const std::u16string& units, const std::vector<int64_t>& offsets,
                      double x0, double y0, size_t* count) {
    fIndices.resize(units.size());
    fFonts.resize(units.size());
    font.ShownGlyphs(units.data(), units.size(), fIndices.data(), fFonts.data(), &fOthers);
    if (!OthersEmbeddable()) return false;
    for (size_t i = 0; i < units.size(); ++i) {
      // A high surrogate shows nothing: its character goes with the low half.
      if (fFonts[i] == FontInstance::kNoGlyph) continue;
      const char32_t code = GdiFonts::RunCharacterAt(units.data(), units.size(), i);
      Piece& piece = PieceOfFont(fFonts[i], count);
      piece.glyphs.push_back(cairo_glyph_t{fIndices[i], std::round(x0 + double(offsets[i])), std::round(y0)});
      // The text as text: each glyph with the character it shows, which in
      // a symbol font is the symbol its code is drawn as, not the letter of
      // the code (a Wingdings "l" is the disc it shows).
      const FontInstance& shower = fFonts[i] == FontInstance::kThisFont ? font : *fOthers[size_t(fFonts[i])];
      const size_t before = piece.utf8.size();
      PutShownUtf8(piece.utf8, shower.ShownCharacter(code));
      piece.clusters.push_back(cairo_text_cluster_t{int(piece.utf8.size() - before), 1});
    }
    return true;
  }

  // The glyphs of a shaped run in pieces of one font each, each cluster
  // of glyphs with the text of its units.
  bool ShapedPieces(FontInstance& font, const std::u16string& units, const std::vector<int64_t>& offsets,
                    double x0, double y0, size_t* count) {
    std::vector<int32_t>& advances = fAdvances;
    advances.resize(units.size());
    for (size_t i = 0; i < units.size(); ++i) advances[i] = int32_t(offsets[i + 1] - offsets[i]);
    GdiFonts::ShapeRun(font, units.data(), units.size(), advances.data(), &fPlaced, &fOthers);
    if (!OthersEmbeddable()) return false;
    for (size_t k = 0; k < fPlaced.size();) {
      // A cluster's glyphs: those of one first unit and font. They go with
      // the text of its units: up to the next cluster's first unit (the
      // characters that show nothing with them), the first cluster's from
      // the run's start.
      const GdiFonts::PlacedGlyph& g = fPlaced[k];
      size_t end = k + 1;
      while (end < fPlaced.size() && fPlaced[end].unit == g.unit && fPlaced[end].font == g.font) ++end;
      size_t next = units.size();
      for (size_t j = end; j < fPlaced.size(); ++j) {
        if (fPlaced[j].unit != g.unit) {
          next = fPlaced[j].unit;
          break;
        }
      }
      const size_t from = k == 0 ? 0 : g.unit;
      Piece& piece = PieceOfFont(g.font, count);
      FontInstance& by = g.font == FontInstance::kThisFont ? font : *fOthers[size_t(g.font)];
      const auto put = [&](size_t j) {
        piece.glyphs.push_back(cairo_glyph_t{fPlaced[j].index, std::round(x0 + fPlaced[j].x), std::round(y0 + fPlaced[j].y)});
      };
      size_t carriers = 1;
      if (end == k + 1) {
        put(k);  // a glyph alone, as most clusters are, carries their text
      } else {
        carriers = TextOrder(by, k, end);
        for (size_t j : fOrder) put(j);
      }
      const size_t before = piece.utf8.size();
      PutUnitsUtf8(piece.utf8, units, from, next);
      piece.clusters.push_back(cairo_text_cluster_t{int(piece.utf8.size() - before), int(carriers)});
      if (carriers < end - k) piece.clusters.push_back(cairo_text_cluster_t{0, int(end - k - carriers)});
      k = end;
    }
    return true;
  }

  // The order in which the glyphs [k, end) of a cluster are written into
  // fOrder, and how many of the first carry the cluster's text: a reader
  // places the text from where the first of them starts to where the last
  // ends, so the glyph that starts first goes first and the one that ends
  // last goes last. Where one glyph does both (a letter with marks over or
  // under it) it carries the text alone, and the marks none.
  size_t TextOrder(FontInstance& by, size_t k, size_t end) {
    size_t first = k, last = k;
    double firstX = 0, lastX = 0;
    for (size_t j = k; j < end; ++j) {
      const double x = fPlaced[j].x, ends = x + by.GlyphAdvance(fPlaced[j].index);
      if (j == k || x < firstX) {
        first = j;
        firstX = x;
      }
      if (j == k || ends > lastX) {
        last = j;
        lastX = ends;
      }
    }
    fOrder.assign(1, first);
    for (size_t j = k; j < end; ++j) {
      if (j != first && j != last) fOrder.push_back(j);
    }
    if (last != first) fOrder.push_back(last);
    return last == first ? 1 : end - k;
  }

  // The text of units [from, to) as the PDF holds it.
  static void PutUnitsUtf8(std::string& utf8, const std::u16string& units, size_t from, size_t to) {
    for (size_t i = from; i < to && i < units.size(); ++i) {
      const char32_t code = GdiFonts::RunCharacterAt(units.data(), units.size(), i);
      if (code == 0 && units[i] != 0) continue;
      PutShownUtf8(utf8, code);
    }
  }

  bool OthersEmbeddable() const {
    for (const std::shared_ptr<FontInstance>& other : fOthers) {
      if (!other->File() || other->SizeHandle() == nullptr || other->IsRotated()) return false;
    }
    return true;
  }

  // The glyphs of a run in pieces of one font each: the face's own, the
  // fallback fonts that draw the characters it lacks, and the font whose
  // missing-glyph mark shows a character no font has where the face's own
  // mark is blank. Kept from run to run, so that their buffers are made once.
  struct Piece {
    std::shared_ptr<FontInstance> font;  // null: the run's own font
    int fontIndex = FontInstance::kThisFont;
    std::vector<cairo_glyph_t> glyphs;
    std::string utf8;
    std::vector<cairo_text_cluster_t> clusters;

    void Begin(int index, std::shared_ptr<FontInstance> by) {
      fontIndex = index;
      font = std::move(by);
      glyphs.clear();
      utf8.clear();
      clusters.clear();
    }
  };

  // The piece the next glyph of `font` (kThisFont or an index into
  // fOthers) goes into: the last of the *count made, or a new one when
  // that one's font is another.
  Piece& PieceOfFont(int font, size_t* count) {
    if (*count == 0 || fPieces[*count - 1].fontIndex != font) {
      if (*count == fPieces.size()) fPieces.emplace_back();
      fPieces[*count].Begin(font, font == FontInstance::kThisFont ? nullptr : fOthers[size_t(font)]);
      ++*count;
    }
    return fPieces[*count - 1];
  }

  // A character as the PDF's text holds it: half a surrogate pair alone is
  // no character.
  static void PutShownUtf8(std::string& utf8, char32_t code) {
    PutUtf8(utf8, code >= 0xD800 && code < 0xE000 ? 0xFFFD : code);
  }

  std::unique_ptr<PrintJob> fJob;
  std::vector<Piece> fPieces;
  std::u16string fUnits;
  std::vector<int64_t> fOffsets;
  // The run's glyphs and the fonts they come from, as ShownGlyphs gives them.
  std::vector<uint32_t> fIndices;
  std::vector<int> fFonts;
  std::vector<std::shared_ptr<FontInstance>> fOthers;
  std::vector<GdiFonts::PlacedGlyph> fPlaced;
  std::vector<int32_t> fAdvances;
  // A cluster's glyphs in the order they are written.
  std::vector<size_t> fOrder;
};

PdfRecorder* JobRecorder(GdiDC* dc) {
  return dc != nullptr ? dynamic_cast<PdfRecorder*>(dc->recorder.get()) : nullptr;
}

bool PagesAsPng() {
  std::lock_guard<std::mutex> lock(gJobMutex);
  return gPngPrefix.has_value();
}

// A DC whose job has ended draws its pages into whole pixels again.
void EndPixelsOnDemand(GdiDC& dc) {
  dc.pagePixelsOnDemand = false;
  dc.system = GdiRegion();
  dc.surface.reset();
}

bool TakeFailure(int which) {
  std::lock_guard<std::mutex> lock(gJobMutex);
  if (gFailNext != which) return false;
  gFailNext = 0;
  return true;
}

// The simulated full disk the next job meets, or 0.
int TakeDiskFull() {
  std::lock_guard<std::mutex> lock(gJobMutex);
  if (gFailNext < kDiskFullAtStart || gFailNext > kDiskFullAtEnd) return 0;
  return std::exchange(gFailNext, 0);
}

void OpenPage(PrintJob& job) {
  cairo_t* cr = job.cr;
  gCairo->identity_matrix(cr);
  gCairo->scale(cr, job.scale, job.scale);
  // Device pixels start at the printable area's corner.
  gCairo->translate(cr, job.offsetX, job.offsetY);
  gCairo->set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  job.pageOpen = true;
}

}  // namespace

int StartDocA(HDC handle, const DOCINFOA* info) {
  GdiDC* dc = GdiDcFromHandle(handle);
  if (dc == nullptr || dc->dcKind != GdiDcKind::Printer || dc->recorder) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (TakeFailure(kFailStartDoc)) return 0;
  std::string path;
  {
    std::lock_guard<std::mutex> lock(gJobMutex);
    if (info != nullptr && info->lpszOutput != nullptr && info->lpszOutput[0] != 0) {
      path = info->lpszOutput;
    } else if (gOutputPath) {
      path = *gOutputPath;
    } else {
      const char* name = info != nullptr && info->lpszDocName != nullptr && info->lpszDocName[0]
                             ? info->lpszDocName
                             : "document";
      path = std::string(name) + ".pdf";
    }
  }
  {
    std::lock_guard<std::mutex> lock(gJobMutex);
    if (gCairo == nullptr) gCairo = LoadCairo();
    if (gCairo == nullptr) return 0;
  }
  auto job = std::make_unique<PrintJob>();
  const GdiDeviceCaps& caps = dc->caps;
  const int dpi = caps.logPixelsX > 0 ? caps.logPixelsX : 300;
  job->scale = 72.0 / dpi;
  job->offsetX = caps.physicalOffsetX;
  job->offsetY = caps.physicalOffsetY;
  const int width = caps.physicalWidth > 0 ? caps.physicalWidth : caps.horzRes;
  const int height = caps.physicalHeight > 0 ? caps.physicalHeight : caps.vertRes;
  // Printed through a symbolic link, the PDF replaces the file the link
  // names and the link stays, as a document saved through one does.
  const DWORD needed = GetLinkTargetPathA(path.c_str(), 0, nullptr);
  if (needed == 0) return 0;
  job->path.resize(needed);
  const DWORD length = GetLinkTargetPathA(path.c_str(), needed, job->path.data());
  if (length == 0 || length >= needed) return 0;
  job->path.resize(length);
  job->diskFull = TakeDiskFull();
  if (!MakeTemporary(*job)) return 0;
  PrintJob* self = job.get();
  job->surface = gCairo->pdf_surface_create_for_stream(&PrintJob::Write, self, width * job->scale,
                                                       height * job->scale);
  if (!job->Sound()) return 0;
  if (info != nullptr && info->lpszDocName != nullptr) {
    gCairo->pdf_surface_set_metadata(job->surface, CAIRO_PDF_METADATA_TITLE, info->lpszDocName);
  }
  job->cr = gCairo->create(job->surface);
  {
    std::lock_guard<std::mutex> lock(gJobMutex);
    job->id = gNextJobId++;
  }
  const int id = job->id;
  auto recorder = std::make_unique<PdfRecorder>(std::move(job));
  // A fresh page, without pixels until they are needed.
  recorder->BeginPage(*dc, !PagesAsPng());
  dc->recorder = std::move(recorder);
  return id;
}

int StartPage(HDC handle) {
  GdiDC* dc = GdiDcFromHandle(handle);
  PdfRecorder* recorder = JobRecorder(dc);
  if (recorder == nullptr || recorder->Job().pageOpen) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (TakeFailure(kFailStartPage)) return 0;
  OpenPage(recorder->Job());
  recorder->BeginPage(*dc, !PagesAsPng());
  return 1;
}

int EndPage(HDC handle) {
  GdiDC* dc = GdiDcFromHandle(handle);
  PdfRecorder* recorder = JobRecorder(dc);
  if (recorder == nullptr || !recorder->Job().pageOpen) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  recorder->FinishPage(*dc);
  if (!recorder->Job().Sound()) {
    // The page did not reach the file (a full disk): the job cannot end well.
    recorder->BeginPage(*dc, !PagesAsPng());
    return 0;
  }
  std::optional<std::string> prefix;
  {
    std::lock_guard<std::mutex> lock(gJobMutex);
    prefix = gPngPrefix;
  }
  if (prefix) {
    recorder->MakeWholePage(*dc);
    dc->Target();  // an untouched page is written white
    GdiWritePng(handle, (*prefix + std::to_string(recorder->Job().pages) + ".png").c_str());
  }
  recorder->BeginPage(*dc, !PagesAsPng());
  return 1;
}

int EndDoc(HDC handle) {
  GdiDC* dc = GdiDcFromHandle(handle);
  PdfRecorder* recorder = JobRecorder(dc);
  if (recorder == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (recorder->Job().pageOpen && EndPage(handle) <= 0) {
    recorder->Abort();
    dc->recorder.reset();
    EndPixelsOnDemand(*dc);
    return 0;
  }
  const bool ok = recorder->Finish();
  dc->recorder.reset();
  EndPixelsOnDemand(*dc);
  return ok ? 1 : 0;
}

int AbortDoc(HDC handle) {
  GdiDC* dc = GdiDcFromHandle(handle);
  PdfRecorder* recorder = JobRecorder(dc);
  if (recorder == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  recorder->Abort();
  dc->recorder.reset();
  EndPixelsOnDemand(*dc);
  return 1;
}

void SetHeadlessPrintOutput(const char* path) {
  std::lock_guard<std::mutex> lock(gJobMutex);
  gOutputPath = path != nullptr ? std::optional<std::string>(path) : std::nullopt;
}

void SetHeadlessPrintPagePng(const char* prefix) {
  std::lock_guard<std::mutex> lock(gJobMutex);
  gPngPrefix = prefix != nullptr ? std::optional<std::string>(prefix) : std::nullopt;
}

void SetHeadlessPrintFailure(int which) {
  std::lock_guard<std::mutex> lock(gJobMutex);
  gFailNext = which;
}

int64_t HeadlessPrintPagePixels() { return gPagePixels; }

void ResetHeadlessPrinting() {
  {
    std::lock_guard<std::mutex> lock(gJobMutex);
    gOutputPath.reset();
    gPngPrefix.reset();
    gFailNext = 0;
  }
  gPagePixels = 0;
  SetHeadlessPrintProvider(nullptr, nullptr);
}
