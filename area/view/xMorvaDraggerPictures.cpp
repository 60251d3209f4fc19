// The area's side of the picture drags: the resize of the selected picture
// and the move of the selected picture on a page are tracked in the active
// text view, and the result is given to the picture.
#include <algorithm>
#include <memory>

#include "area/view/xMorvaDragger.h"
#include "area/view/xMorvaFrame.h"
#include "area/view/xMorvaPicturesInPage.h"
#include "area/view/xMorvaRulerLook.h"
#include "area/xMorvaDialogCommands.h"
#include "area/xMorvaPlugIn.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaDocument.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaPictureElement.h"
#include "framework/core/memory/VHandleLocker.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/system/environment/VSystemServices.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "graphics/VPoint.h"
#include "host/context/VHostRef.h"
#include "views/VEvent.h"

using xMorvaRulerLook::kPageGap;

xMorvaFrame* xMorvaPlugIn::TrackingFrame() const {
  if (fActiveFrame != nullptr) return fActiveFrame;
  return fFrames.empty() ? nullptr : fFrames.front();
}

xMorvaPicturesInPage* xMorvaPlugIn::GetPagePictureList() const {
  return fDocument ? dynamic_cast<xMorvaPicturesInPage*>(fDocument->GetPagePictures()) : nullptr;
}

bool xMorvaPlugIn::IsPagePictureSelected() {
  xMorvaPicturesInPage* pictures = GetPagePictureList();
  return pictures != nullptr && pictures->HasSelection();
}

// The pictures on the pages edit the selected one in the dialog the area
// runs.
bool xMorvaPlugIn::EditPagePicture() {
  xMorvaPicturesInPage* pictures = GetPagePictureList();
  xMorvaDialogs* dialogs = xMorvaDialogSlot::Get();
  if (pictures == nullptr || !fDocument || dialogs == nullptr) return false;
  return pictures->EditSelected(*fDocument, [&](xMorvaPagePicture& entry, VHostRef* expression, bool& changed) {
    return dialogs->RunEditPictureInPage(*this, *fDocument, entry, expression, changed);
  });
}

// The edit dialog of the picture selected in the text, on its header
// words and, for the result of a host expression, on that expression. On
// OK what it chose waits for ApplyTextPictureEdit, which the document runs
// inside one change.
bool xMorvaPlugIn::EditTextPicture() {
  fEditedExpression.clear();
  auto* text = fDocument ? dynamic_cast<xMorvaEngine*>(fDocument->GetCurrentPart()) : nullptr;
  xMorvaDialogs* dialogs = xMorvaDialogSlot::Get();
  if (text == nullptr || dialogs == nullptr) return false;
  uint32_t words[6];
  if (text->GetSelectedPictureHeader(words) != 0) return false;
  xMorvaPictureHeader header;
  header.FromWords(words);
  std::unique_ptr<VHostRef> reference;
  if (const VMemHandle stored = text->GetHostExpressionAtSelection()) {
    const uint32_t size = gMemoryMgr->GetHandleSize(stored);
    {
      VHandleLocker lock(stored);
      if (lock) reference = std::make_unique<VHostRef>(lock.As<uint8_t>(), size);
    }
    gMemoryMgr->DisposeHandle(stored);
  }
  bool expressionChanged = false;
  if (!dialogs->RunEditPicture(*this, *fDocument, header, reference.get(), expressionChanged)) return false;
  if (expressionChanged && reference) {
    const VMemHandle edited = reference->ToHandle();
    if (edited == 0) return false;
    {
      VHandleLocker lock(edited);
      if (lock) {
        const uint8_t* bytes = lock.As<uint8_t>();
        fEditedExpression.assign(bytes, bytes + gMemoryMgr->GetHandleSize(edited));
      }
    }
    gMemoryMgr->DisposeHandle(edited);
    if (fEditedExpression.empty()) return false;
  }
  header.ToWords(fEditedPicture);
  return true;
}

void xMorvaPlugIn::ApplyTextPictureEdit() {
  auto* text = fDocument ? dynamic_cast<xMorvaEngine*>(fDocument->GetCurrentPart()) : nullptr;
  if (text == nullptr) return;
  // A new expression replaces the expression element, its picture made
  // anew in the chosen drawing mode, at the chosen size only when the size
  // is to be kept; otherwise the settings go to the picture. Either is one
  // undo step. An expression the host cannot evaluate leaves the element.
  if (!fEditedExpression.empty()) {
    xMorvaPictureHeader placement;
    placement.FromWords(fEditedPicture);
    if (placement.flag == 0) placement.shownWidth = placement.shownHeight = -1;
    text->InsertHostExpressionWithUndo(fEditedExpression.data(), uint32_t(fEditedExpression.size()), nullptr,
                                       &placement);
    fEditedExpression.clear();
  } else {
    text->SetSelectedPictureHeader(fEditedPicture);
  }
}

bool xMorvaPlugIn::IsLocked() { return fInterfaceLock != 0; }

bool xMorvaPlugIn::TrackPictureResize(double ratio, const VPoint& point, int16_t horizontalMode,
                                      int16_t verticalMode, VRect& box) {
  xMorvaFrame* view = TrackingFrame();
  if (view == nullptr || !fDocument) return false;
  // Frame coordinates are the view's content; the drag works in what the
  // view shows.
  const int32_t scrollX = view->GetScrollX();
  const int32_t scrollY = view->GetScrollY();
  const VRect shown(box.GetLeft() - scrollX, box.GetTop() - scrollY, box.GetWidth(),
                    box.GetHeight());
  VEvent start(point.GetX() - scrollX, point.GetY() - scrollY, VSystemServices::TickCount60(),
               false, false, VSystemServices::IsControlDown(), false,
               VSystemServices::IsShiftDown(), 1, 0);
  const xMorvaDocParams& params = fDocument->GetParams();
  // A picture in the text fits the column and the page's text; one on a
  // page fits the page.
  const bool onPage = IsPagePictureSelected();
  const int32_t maximumWidth = onPage ? params.GetPageWidth() : params.ColumnWidth(false);
  const int32_t maximumHeight =
      onPage ? params.GetPageHeight() : params.TextHeight(fDocument->GetCaretPage());
  xMorvaPictResizeDragger dragger(view, ratio, start, horizontalMode, verticalMode, shown,
                                  maximumWidth, maximumHeight);
  dragger.Track();
  int32_t x = 0, y = 0, width = 0, height = 0;
  dragger.GetResult(0, 0, x, y, width, height);
  const VRect result(x, y, width, height);
  if (result == box) return false;
  box = result;
  return true;
}

bool xMorvaPlugIn::TrackPagePictureMove(const VPoint& point, VPoint& origin) {
  xMorvaFrame* view = TrackingFrame();
  if (view == nullptr || !fDocument || !IsPagePictureSelected()) return false;
  // The selected picture as it stands on the page under the press.
  xMorvaPicturesInPage* pictures = GetPagePictureList();
  const xMorvaPagePicture& entry = pictures->GetEntry(pictures->GetSelection());
  const int64_t step = int64_t(fDocument->GetParams().GetPageHeight()) + kPageGap;
  const int64_t page =
      step > kPageGap ? std::max<int64_t>((int64_t(point.GetY()) - kPageGap) / step, 0) : 0;
  const VRect box(entry.left + view->TextInset(), int32_t(kPageGap + page * step + entry.top),
                  entry.shownWidth, entry.shownHeight);
  const int32_t scrollX = view->GetScrollX();
  const int32_t scrollY = view->GetScrollY();
  const VRect shown(box.GetLeft() - scrollX, box.GetTop() - scrollY, box.GetWidth(),
                    box.GetHeight());
  VEvent start(point.GetX() - scrollX, point.GetY() - scrollY, VSystemServices::TickCount60(),
               false, false, false, false, false, 1, 0);
  xMorvaPagePictDragger dragger(view, start, shown);
  dragger.Track();
  int32_t x = 0, y = 0;
  dragger.GetResult(0, 0, x, y);
  if (x == box.GetLeft() && y == box.GetTop()) return false;
  origin.Set(x, y);
  return true;
}

bool xMorvaPlugIn::PagePlace(int32_t x, int32_t y, int32_t& pageX, int32_t& pageY,
                             VRect& bounds) const {
  if (!fDocument) return false;
  const xMorvaDocParams& params = fDocument->GetParams();
  const int64_t step = int64_t(params.GetPageHeight()) + kPageGap;
  if (step <= kPageGap) return false;
  const int64_t page = std::max<int64_t>((int64_t(y) - kPageGap) / step, 0);
  xMorvaFrame* view = TrackingFrame();
  pageX = x - (view != nullptr ? view->TextInset() : 0);
  pageY = int32_t(int64_t(y) - kPageGap - page * step);
  bounds = VRect(0, 0, params.GetPageWidth(), params.GetPageHeight());
  return true;
}

void xMorvaPlugIn::SetPagePictureBox(const VRect& box) {
  xMorvaPicturesInPage* pictures = GetPagePictureList();
  int32_t x = 0, y = 0;
  VRect bounds;
  if (pictures == nullptr || !pictures->HasSelection() ||
      !PagePlace(box.GetLeft(), box.GetTop(), x, y, bounds))
    return;
  const xMorvaPagePicture& entry = pictures->GetEntry(pictures->GetSelection());
  pictures->ResizeSelectedFromHandle(bounds, x - entry.left, y - entry.top, box.GetWidth(),
                                     box.GetHeight());
}

void xMorvaPlugIn::SetPagePictureOrigin(const VPoint& origin) {
  xMorvaPicturesInPage* pictures = GetPagePictureList();
  int32_t x = 0, y = 0;
  VRect bounds;
  if (pictures == nullptr || !pictures->HasSelection() ||
      !PagePlace(origin.GetX(), origin.GetY(), x, y, bounds))
    return;
  const xMorvaPagePicture& entry = pictures->GetEntry(pictures->GetSelection());
  pictures->MoveSelected(bounds, x - entry.left, y - entry.top);
}
