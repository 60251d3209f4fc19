// The mouse on the selected picture: its handles resize it, a double click
// opens its dialog (after the host's method declined it), a click in a
// picture placed on a page moves it.
#include "document/xMorvaAreaServices.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaDocumentArea.h"
#include "document/xMorvaPagePicturesInterface.h"
#include "document/xMorvaText.h"
#include "document/xMorvaUndo.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "graphics/VPoint.h"
#include "graphics/VShape.h"

namespace {

// What a drag from each handle moves, horizontally and vertically: 0
// nothing, 1 the left and 2 the top edge, 3 the right and 4 the bottom
// edge. The four corners, then the two pairs of side handles.
constexpr int16_t kHandleModes[xMorvaDocument::kPictureHandleCount][2] = {
    {1, 2}, {1, 4}, {3, 2}, {3, 4}, {0, 2}, {0, 4}, {1, 0}, {3, 0}};

// Events offered to the host's method of the area.
constexpr int16_t kEventPictureDoubleClick = 1;
constexpr int16_t kEventPictureDragged = 2;
// The alert of a picture that could not be placed on a page.
constexpr int16_t kAlertPagePictureFailed = 1;
constexpr int16_t kPageViewMode = 0;
constexpr int16_t kContinuousViewMode = 1;

}  // namespace

bool xMorvaDocument::SetPagePictureBox(int32_t picture, const VRect& box) {
  if (!fPagePictures || !fPagePictures->SetBox(picture, box)) return false;
  SetModified();
  if (fArea != nullptr) fArea->DrawSelection();
  return true;
}

bool xMorvaDocument::PutPagePictureState(int16_t picture, const std::vector<uint8_t>* state) {
  if (!fPagePictures || !fStyleSheets || !fPagePictures->PutState(*fStyleSheets, picture, state)) return false;
  SetModified();
  if (fArea != nullptr) fArea->DrawSelection();
  return true;
}

bool xMorvaDocument::PlacePagePicture(uint16_t undoKind, const std::function<bool()>& place) {
  if (fParams.GetViewMode() == kContinuousViewMode) {
    SetViewMode(kPageViewMode);
    Refresh(true, true);
  }
  if (!place()) {
    ShowDocumentAlert(kAlertListOffset, kAlertPagePictureFailed);
    return false;
  }
  SetModified();
  int32_t id = -1;
  std::vector<uint8_t> placed;
  if (fUndo && fCurrent != nullptr && fPagePictures && fStyleSheets &&
      fPagePictures->GetState(*fStyleSheets, -1, id, placed) && id >= 0 && id <= INT16_MAX) {
    fUndo->RecordPagePicture(*fCurrent, undoKind, int16_t(id), nullptr, &placed);
  }
  Refresh(false, false);
  return true;
}

bool xMorvaDocument::DeletePagePicture(int32_t index) {
  if (!fPagePictures || !fStyleSheets) return false;
  if (index == -1 ? !fPagePictures->HasSelection() : index < 0 || index >= fPagePictures->GetCount())
    return false;
  // The picture as it was, kept before it goes: undo puts it back with its
  // data under the same id, and the steps before it that name that id find
  // it again.
  int32_t id = -1;
  std::vector<uint8_t> gone;
  const bool kept = fUndo && fCurrent != nullptr && fPagePictures->GetState(*fStyleSheets, index, id, gone) &&
                    id >= 0 && id <= INT16_MAX;
  fPagePictures->DeleteSelected(*fStyleSheets, index);
  SetModified();
  if (kept) fUndo->RecordPagePicture(*fCurrent, kUndoDelete, int16_t(id), &gone, nullptr);
  return true;
}

// The selected page picture's box changed by `change` is one undo step of
// the current part: the step holds the box before and after it.
template <typename Change>
void xMorvaDocument::ChangePagePicture(uint16_t value, Change change) {
  int32_t id = -1;
  VRect before;
  const bool known = fPagePictures && fPagePictures->GetSelectedBox(id, before);
  change();
  SetModified();
  int32_t now = -1;
  VRect after;
  if (!known || fUndo == nullptr || fCurrent == nullptr ||
      !fPagePictures->GetSelectedBox(now, after) || now != id || after == before)
    return;
  fUndo->BeginStep(*fCurrent, kUndoPictureSize, value);
  fUndo->RecordPagePictureBox(id, before, after);
  fUndo->EndStep();
}

void xMorvaDocument::SetPictureHandles(const VRect& picture, const VRect* handles, int32_t count) {
  fPictureBox = picture;
  for (int32_t i = 0; i < kPictureHandleCount; ++i) {
    fPictureHandles[i] = handles != nullptr && i < count ? handles[i] : VRect();
  }
}

bool xMorvaDocument::HandlePictureClick(const VPoint& point, bool doubleClick, bool controlKey) {
  if (fArea == nullptr || fCurrent == nullptr) return false;
  const bool pagePicture = fArea->IsPagePictureSelected() && !controlKey;
  const bool textPicture = fCurrent->IsPictureSelected();
  if (!pagePicture && !textPicture) return false;
  if (fInfos.GetLocked() || fArea->IsLocked()) return false;

  for (int32_t i = 0; i < kPictureHandleCount; ++i) {
    const VRect& handle = fPictureHandles[i];
    if (handle.IsEmpty() || !handle.Contains(point)) continue;
    const int32_t height = fPictureBox.GetHeight();
    const double ratio = height > 0 ? double(fPictureBox.GetWidth()) / height : 1.0;
    VRect box = fPictureBox;
    if (fArea->TrackPictureResize(ratio, point, kHandleModes[i][0], kHandleModes[i][1], box)) {
      // A selected page picture is the one the handles belong to.
      if (pagePicture) {
        ChangePagePicture(0, [&] { fArea->SetPagePictureBox(box); });
        // The edit menu learns of the new step too.
        Refresh(false, false);
      } else {
        BeginChange();
        fCurrent->SetSelectedPictureSize(box.GetWidth(), box.GetHeight());
        EndChange();
        Refresh(false, false);
      }
    }
    fArea->CallEventCallback(kEventPictureDragged, 0);
    return true;
  }

  if (fPictureBox.IsEmpty() || !fPictureBox.Contains(point)) return false;
  if (doubleClick) {
    if (fArea->CallEventCallback(kEventPictureDoubleClick, 0)) return true;
    if (pagePicture) {
      if (fArea->EditPagePicture()) {
        SetModified();
        fArea->DrawSelection();
      }
    } else if (fArea->EditTextPicture()) {
      NotifyHostModal(true);
      BeginChange();
      fArea->ApplyTextPictureEdit();
      EndChange();
      Refresh(false, false);
    } else {
      NotifyHostModal(false);
    }
    return true;
  }
  if (!pagePicture) return false;
  VPoint origin;
  if (fArea->TrackPagePictureMove(point, origin)) {
    ChangePagePicture(kUndoValuePictureMoved, [&] { fArea->SetPagePictureOrigin(origin); });
    Refresh(false, false);
  }
  fArea->CallEventCallback(kEventPictureDragged, 0);
  return true;
}
