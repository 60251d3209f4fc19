// The print preview: the dialog's page fields and buttons, the page
// recorded as a picture and drawn at the zoom, and the drag of a page
// larger than its area.
#include "dialogs/xMorvaPrintPreviewDialog.h"

#include <algorithm>
#include <limits>

#include "area/printing/xMorvaPrintCommands.h"
#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "dialogs/xMorvaFormObjectName.h"
#include "document/xMorvaDocument.h"
#include "graphics/VMetafilePort.h"
#include "graphics/VPort.h"
#include "graphics/VReferencePrinter.h"
#include "graphics/pictures/VPictureShape.h"
#include "graphics/printing/VPrintSettings.h"
#include "views/VEvent.h"
#include "views/VPlugIn.h"

namespace {

constexpr const char* kPreviewArea = "usrPreview";
constexpr const char* kCurrentField = "p1";
constexpr const char* kLastField = "p2";
constexpr const char* kZoomList = "ddZoom";
constexpr const char* kZoomListFill = "ddzoom";
constexpr const char* kPageHolder = "pageholder";
constexpr const char* kPrevious = "butPrevious";
constexpr const char* kNext = "butNext";
constexpr const char* kPrint = "butPrint";
// The zoom percentages, 'STR#' base+25; item 5 is 100 %, the zoom a new
// displayer starts with.
constexpr int16_t kZoomListOffset = 25;
constexpr int32_t kStartZoomItem = 5;
// The page picture is stretched to the box it is given.
constexpr int16_t kStretchedPlacement = 5;
// The page's frame: look colour 10, solid pattern, one pixel, copy mode.
constexpr int32_t kFrameColourIndex = 10;
constexpr int32_t kFramePatternIndex = 6;

int32_t ToInt32(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

// One side's offset: centred when the page fits, else moved so that no gap
// shows at the far end and then none at the near end.
int32_t ClampOffset(int32_t offset, int32_t frame, int32_t page) {
  const int64_t f = frame, p = page, o = offset;
  if (f > p) return ToInt32((f - p) / 2);
  if (p + o < f) return ToInt32(f - p);
  if (o > 0) return 0;
  return offset;
}

}  // namespace

// ---- Page displayer.

xMorvaPageDisplayer::xMorvaPageDisplayer(VFrame* parent, xMorvaDocument* document, int32_t index)
    : VFrame(parent, nullptr), fDocument(document) {
  SetClickable(true);
  SetPage(index);
}

xMorvaPageDisplayer::~xMorvaPageDisplayer() = default;

void xMorvaPageDisplayer::SetPage(int32_t index) {
  fPicture.reset();
  if (fDocument == nullptr) return;
  const xMorvaDocParams& params = fDocument->GetParams();
  const int32_t width = params.GetPageWidth();
  const int32_t height = params.GetPageHeight();
  VMetafilePort port(nullptr, 0, 0, width, height);
  if (!port.IsRecording()) return;
  // A document laid out against the printer measures its text with the
  // printer's widths while the page is recorded.
  VReferencePrinter* reference = nullptr;
  if (params.GetPrinterMetrics() != 0)
    reference = dynamic_cast<VReferencePrinter*>(fDocument->GetPrinter());
  if (reference != nullptr) port.SetReferencePrinter(reference);
  port.EraseRect(0, 0, width, height);
  xMorvaPrinting::PrintPages(*fDocument, port, index);
  if (reference != nullptr) port.SetReferencePrinter(nullptr);
  fPicture.reset(port.EndAsPictureShape());
  if (fPicture) fPicture->SetPlacement(kStretchedPlacement);
}

bool xMorvaPageDisplayer::SetZoom(int32_t percent) {
  if (percent < kMinZoom || percent > kMaxZoom) return false;
  fZoom = percent;
  return true;
}

int32_t xMorvaPageDisplayer::ZoomedWidth() const {
  if (fDocument == nullptr) return 0;
  return ToInt32(int64_t{fDocument->GetParams().GetPageWidth()} * fZoom / 100);
}

int32_t xMorvaPageDisplayer::ZoomedHeight() const {
  if (fDocument == nullptr) return 0;
  return ToInt32(int64_t{fDocument->GetParams().GetPageHeight()} * fZoom / 100);
}

bool xMorvaPageDisplayer::IsLargerThanFrame() const {
  return fPicture != nullptr && (ZoomedWidth() > GetWidth() || ZoomedHeight() > GetHeight());
}

void xMorvaPageDisplayer::MoveBy(int32_t dx, int32_t dy) {
  fOffsetX = ToInt32(int64_t{fOffsetX} + dx);
  fOffsetY = ToInt32(int64_t{fOffsetY} + dy);
}

void xMorvaPageDisplayer::ClampOffsets() {
  fOffsetX = ClampOffset(fOffsetX, GetWidth(), ZoomedWidth());
  fOffsetY = ClampOffset(fOffsetY, GetHeight(), ZoomedHeight());
}

void xMorvaPageDisplayer::DrawContent(VPort& port) {
  const int32_t whole[4] = {0, 0, GetWidth(), GetHeight()};
  DrawLookElement(port, 0, 0, whole, 0);
  if (!fPicture) return;
  const int32_t pw = ZoomedWidth();
  const int32_t ph = ZoomedHeight();
  ClampOffsets();
  const int32_t x = fOffsetX, y = fOffsetY;
  fPicture->SetPosition(x, y);
  fPicture->SetSize(pw, ph);
  port.DrawPictureShape(*fPicture);
  port.SetPenColorIndex(kFrameColourIndex);
  port.SetPenMode(0);
  port.SetPenPatternIndex(kFramePatternIndex);
  port.SetPenWidth(1);
  port.FrameRect(x, y, pw, ph);
  // The page's shadow along its right and bottom edges.
  port.DrawLine(x + pw, y + 1, x + pw, y + ph);
  port.DrawLine(x + 1, y + ph, x + pw, y + ph);
}

int32_t xMorvaPageDisplayer::GetCursorId() const { return IsLargerThanFrame() ? kDragCursor : 0; }

int32_t xMorvaPageDisplayer::GetCursorIdAt(VEvent&) { return GetCursorId(); }

bool xMorvaPageDisplayer::MouseDown(VEvent& event) {
  if (!IsLargerThanFrame()) return true;
  xMorvaPreviewDragger dragger(this, event);
  dragger.Track();
  return true;
}

// ---- Dragger.

xMorvaPreviewDragger::xMorvaPreviewDragger(xMorvaPageDisplayer* displayer, const VEvent& event)
    : VDragger(displayer, event), fDisplayer(displayer) {}

xMorvaPreviewDragger::~xMorvaPreviewDragger() {
  if (fDisplayer != nullptr) fDisplayer->FlushWindow();
}

void xMorvaPreviewDragger::TrackMove(VPort&, VFrame*, VFrame*, int32_t dx, int32_t dy) {
  if (fDisplayer == nullptr || (dx == 0 && dy == 0)) return;
  fDisplayer->MoveBy(dx, dy);
  VPort* port = fDisplayer->GetPort();
  if (port == nullptr) return;
  fDisplayer->Draw(*port);
  // The flush hands the port back with its origins popped.
  fDisplayer->FlushWindow();
}

// ---- Dialog.

xMorvaPrintPreviewDialog::xMorvaPrintPreviewDialog(xMorvaPlugIn* area, xMorvaDocument* document)
    : xMorvaDialog(area, "mvPrintPreview"), fDocument(document) {
  SetWindowKind(5, true, false, 1);
}

int32_t xMorvaPrintPreviewDialog::FirstPage() const {
  return fDocument != nullptr ? fDocument->GetParams().GetFirstPageNumber() : 1;
}

int32_t xMorvaPrintPreviewDialog::LastPage() const {
  const int32_t count =
      fDocument != nullptr ? std::max<int32_t>(1, fDocument->GetBodyPageCount()) : 1;
  return ToInt32(int64_t{FirstPage()} + count - 1);
}

int32_t xMorvaPrintPreviewDialog::ZoomOfText(const char* text) {
  if (text == nullptr) return 0;
  while (*text == ' ') ++text;
  int64_t value = 0;
  bool digits = false;
  for (; *text >= '0' && *text <= '9'; ++text) {
    digits = true;
    value = value * 10 + (*text - '0');
    // Anything past the largest zoom is refused whatever follows.
    if (value > xMorvaPageDisplayer::kMaxZoom) return 0;
  }
  if (!digits || value < xMorvaPageDisplayer::kMinZoom) return 0;
  return static_cast<int32_t>(value);
}

bool xMorvaPrintPreviewDialog::BeforeOpen() {
  fCurrentPage = FirstPage();
  HostFormSetDrawCallback(kPreviewArea, 0, false);
  HostFormSetLong(kCurrentField, fCurrentPage);
  HostFormSetLong(kLastField, LastPage());
  FillFromList(kZoomListFill, kZoomListOffset);
  return true;
}

bool xMorvaPrintPreviewDialog::AfterOpen() {
  SetItemNumber(kZoomList, kStartZoomItem);
  UpdatePageFields();
  return true;
}

VObject* xMorvaPrintPreviewDialog::CreateUserArea(const VString& objectName, void* areaCall) {
  if (!IsFormObject(objectName, kPreviewArea)) return nullptr;
  VPackage* package = GetArea() != nullptr ? GetArea()->GetMorvaPackage() : nullptr;
  auto* view = new VPlugIn(package, this, objectName, static_cast<void**>(areaCall));
  fDisplayer = new xMorvaPageDisplayer(view, fDocument, fCurrentPage - FirstPage());
  view->SetContentView(fDisplayer);
  return view;
}

void xMorvaPrintPreviewDialog::Closing() { fDisplayer = nullptr; }

void xMorvaPrintPreviewDialog::UpdatePageFields() {
  HostFormSetLong(kCurrentField, fCurrentPage);
  HostFormRedrawObject(kPageHolder);
  HostFormEnableObject(kPrevious, fCurrentPage > FirstPage());
  HostFormEnableObject(kNext, fCurrentPage < LastPage());
}

void xMorvaPrintPreviewDialog::ShowPage() {
  UpdatePageFields();
  if (fDisplayer == nullptr) return;
  fDisplayer->SetPage(fCurrentPage - FirstPage());
  fDisplayer->Invalidate(1);
}

void xMorvaPrintPreviewDialog::ItemHit(const VString& objectName, int16_t) {
  if (IsFormObject(objectName, kZoomList)) {
    const int32_t item = GetItemNumber(kZoomList);
    if (item < 1) return;
    VStr<255> text;
    HostFormGetListText(kZoomList, static_cast<int16_t>(item), text);
    char buffer[256] = {};
    text.GetCText(buffer, sizeof buffer, kCharSetAnsi);
    // An item that is no percentage from 1 to 1,000 keeps the zoom shown.
    if (fDisplayer != nullptr && fDisplayer->SetZoom(ZoomOfText(buffer))) fDisplayer->Invalidate(1);
  } else if (IsFormObject(objectName, kPrevious)) {
    if (fCurrentPage <= FirstPage()) return;
    --fCurrentPage;
    ShowPage();
  } else if (IsFormObject(objectName, kNext)) {
    if (fCurrentPage >= LastPage()) return;
    ++fCurrentPage;
    ShowPage();
  } else if (IsFormObject(objectName, kPrint)) {
    // The page shown, numbered from 1 whatever the first page number: the
    // print dialog offers it as the range, and the user may still change
    // the range or the paper, or cancel.
    if (GetArea() == nullptr) return;
    const int32_t page = fCurrentPage - FirstPage() + 1;
    xMorvaPrinting::PrintCommand(*GetArea(), true, page, page);
  }
}

bool RunPrintPreviewDialog(xMorvaPlugIn& area) {
  xMorvaPrintPreviewDialog dialog(&area, area.GetDocument());
  return dialog.Run();
}
