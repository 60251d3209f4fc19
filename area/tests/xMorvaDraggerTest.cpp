// The drags of the text view: a ruler marker's steps (snapping, Control,
// limits, a tab stop pulled across the ruler), and the picture drags run
// by the area from the document's handles: a resize with Shift and the
// move of a picture on a page.
#include "area/xMorvaDragger.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "area/tests/AreaTestSupport.h"
#include "area/xMorvaFrame.h"
#include "area/xMorvaPicturesInPage.h"
#include "area/xMorvaRuler.h"
#include "document/DocumentUnits.h"
#include "document/xMorvaDocParams.h"
#include "framework/core/values/VPictureMaker.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "graphics/VMetafilePort.h"
#include "graphics/VPoint.h"
#include "graphics/pictures/VEmfPictureData.h"
#include "platform/win32/WinInput.h"
#include "views/VEvent.h"
#include "views/VPaneView.h"

namespace {

using areatest::AreaTest;

class DraggerTest : public AreaTest {
 protected:
  DraggerTest() : fMaker(&fMakerObject), fPictureValues(&kPictureValueMaker) {}
  void SetUp() override {
    area = NewFormArea();
    document = area->GetDocument();
    frame = area->GetFrames().front();
    document->Params().SetViewMode(0);
    area->GetPaneView()->ResizeTo(1000, 600, 0);
    area->GetPaneView()->Layout(1);
  }
  void TearDown() override {
    UnloadHeadlessInput();
    ResetHeadlessInput();
  }
  // The mouse pressed at `from` (frame coordinates), moved by each step and
  // let go; with `shift` Shift is held.
  void Script(const VPoint& from, const std::vector<VPoint>& steps, bool shift) {
    int32_t ox = 0, oy = 0;
    frame->GetOrigin(ox, oy);
    std::vector<HeadlessInputEntry> entries;
    ULONGLONG t = 1000;
    VPoint at(from.GetX() - frame->GetScrollX(), from.GetY() - frame->GetScrollY());
    auto add = [&](bool down) {
      HeadlessInputEntry e{};
      e.time = t;
      t += 20;
      e.cursor = POINT{ox + at.GetX(), oy + at.GetY()};
      e.buttons = down ? HEADLESS_LEFT_BUTTON : 0;
      if (shift) e.keys[0] = VK_SHIFT;
      entries.push_back(e);
    };
    add(true);
    for (const VPoint& step : steps) {
      at.Offset(step.GetX(), step.GetY());
      add(true);
    }
    add(false);
    ASSERT_TRUE(LoadHeadlessInput(entries.data(), entries.size(), 1000));
  }
  xMorvaPicturesInPage* Pictures() {
    return static_cast<xMorvaPicturesInPage*>(document->GetPagePictures());
  }
  // A picture of 40 x 30 on page 0 at (50, 60), selected.
  void AddPagePicture() {
    VMetafilePort recorder(nullptr, 0, 0, 40, 30);
    recorder.PaintRect(0, 0, 40, 30);
    std::unique_ptr<VEmfPictureData> picture(recorder.EndAsPictureData());
    xMorvaPagePicture entry;
    entry.page = 0;
    entry.left = 50;
    entry.top = 60;
    entry.resourceId = 300;
    ASSERT_EQ(Pictures()->AddPicture(*document->GetStyleSheetStore(), *picture, entry), 0);
    Pictures()->SetSelection(Pictures()->GetCount() - 1);
  }
  // The selected page picture's box in frame coordinates.
  VRect PageBox() {
    const xMorvaPagePicture& e = Pictures()->GetEntry(Pictures()->GetSelection());
    return VRect(e.left + frame->TextInset(), 4 + e.top, e.shownWidth, e.shownHeight);
  }

  xMorvaPlugIn* area = nullptr;
  xMorvaDocument* document = nullptr;
  xMorvaFrame* frame = nullptr;

 private:
  xMorvaPicturesInPageMaker fMakerObject;
  VInstalledService<xMorvaPagePicturesMaker> fMaker;
  VInstalledService<const VPictureMaker> fPictureValues;
};

TEST_F(DraggerTest, ARulerMarkerSnapsUnlessControlIsDownAndKeepsToItsLimits) {
  xMorvaHRuler* ruler = frame->GetHRuler();
  ASSERT_NE(ruler, nullptr);
  document->Params().SetDisplayUnit(kUnitPoints);
  const VEvent press(100, 5, 1, false, false, false, false, false, 1, 0);
  xMorvaRulerDragger dragger(frame, press, ruler, xMorvaRuler::kDragLeftMargin, true, 23, true,
                             kUnitPoints, 100, 0, 200);
  // The start snaps at once, and the marker moves with it.
  EXPECT_EQ(dragger.GetValue(), 20);
  EXPECT_EQ(dragger.GetMarkerPosition(), 97);
  EXPECT_EQ(ruler->GetDragKind(), xMorvaRuler::kDragLeftMargin);
  EXPECT_EQ(ruler->GetDragValue(), 20);
  dragger.Move(4, 0, false);  // raw 27
  EXPECT_EQ(dragger.GetValue(), 30);
  dragger.Move(4, 0, true);  // raw 31, not snapped
  EXPECT_EQ(dragger.GetValue(), 31);
  dragger.Move(0, 0, false);  // Control let go: snapped again
  EXPECT_EQ(dragger.GetValue(), 30);
  dragger.Move(5000, 0, false);
  EXPECT_EQ(dragger.GetValue(), 200);
  dragger.Move(-90000, 0, false);
  EXPECT_EQ(dragger.GetValue(), 0);
  EXPECT_EQ(ruler->GetDragValue(), 0);
}

TEST_F(DraggerTest, AMarkerMeasuredFromTheFarEdgeGrowsAsTheMouseGoesBack) {
  xMorvaHRuler* ruler = frame->GetHRuler();
  const VEvent press(300, 15, 1, false, false, true, false, false, 1, 0);
  xMorvaRulerDragger dragger(frame, press, ruler, xMorvaRuler::kDragRightIndent, true, 10, false,
                             kUnitPoints, 300, 0, 100);
  dragger.Move(-25, 0, true);
  EXPECT_EQ(dragger.GetValue(), 35);
  EXPECT_EQ(dragger.GetMarkerPosition(), 275);
}

TEST_F(DraggerTest, ATabStopPulled21PixelsAcrossIsHiddenAndComesBackAt20) {
  xMorvaHRuler* ruler = frame->GetHRuler();
  const VEvent press(100, 5, 1, false, false, true, false, false, 1, 0);
  xMorvaRulerDragger dragger(frame, press, ruler, xMorvaRuler::kDragTab, true, 50, true,
                             kUnitPoints, 100, 0, 500);
  dragger.Move(0, 20, true);
  EXPECT_TRUE(dragger.IsVisible());
  dragger.Move(0, 1, true);
  EXPECT_FALSE(dragger.IsVisible());
  EXPECT_TRUE(ruler->IsTabHidden());
  dragger.Move(0, -1, true);
  EXPECT_TRUE(dragger.IsVisible());
  EXPECT_FALSE(ruler->IsTabHidden());
  dragger.Move(0, -41, true);  // as far above
  EXPECT_FALSE(dragger.IsVisible());
  // Only tab stops leave the ruler.
  xMorvaRulerDragger margin(frame, press, ruler, xMorvaRuler::kDragLeftMargin, true, 50, true,
                            kUnitPoints, 100, 0, 500);
  margin.Move(0, 60, true);
  EXPECT_TRUE(margin.IsVisible());
}

TEST_F(DraggerTest, AResizeWithShiftKeepsThePicturesProportions) {
  // A picture of ratio 2.0 dragged by its lower right corner to 100 x 100.
  VRect box(100, 100, 40, 20);
  Script(VPoint(140, 120), {VPoint(30, 40), VPoint(30, 40)}, true);
  EXPECT_TRUE(area->TrackPictureResize(2.0, VPoint(140, 120), 3, 4, box));
  EXPECT_EQ(box, VRect(100, 100, 100, 50));
}

TEST_F(DraggerTest, AResizeThatChangesNothingIsNoChange) {
  VRect box(100, 100, 40, 20);
  Script(VPoint(140, 120), {}, false);
  EXPECT_FALSE(area->TrackPictureResize(2.0, VPoint(140, 120), 3, 4, box));
  EXPECT_EQ(box, VRect(100, 100, 40, 20));
}

TEST_F(DraggerTest, APagePictureMovesWithTheMouseThroughTheDocument) {
  AddPagePicture();
  ASSERT_TRUE(area->IsPagePictureSelected());
  const VRect box = PageBox();
  const VRect none[xMorvaDocument::kPictureHandleCount];
  document->SetPictureHandles(box, none, xMorvaDocument::kPictureHandleCount);
  const VPoint inside(box.GetLeft() + 10, box.GetTop() + 10);
  Script(inside, {VPoint(15, 10), VPoint(10, 5)}, false);
  EXPECT_TRUE(document->HandlePictureClick(inside, false, false));
  const xMorvaPagePicture& e = Pictures()->GetEntry(Pictures()->GetSelection());
  EXPECT_EQ(e.left, 75);
  EXPECT_EQ(e.top, 75);
  EXPECT_TRUE(document->IsModified());
}

TEST_F(DraggerTest, APagePictureResizedFromItsCornerHandle) {
  AddPagePicture();
  const VRect box = PageBox();
  VRect handles[xMorvaDocument::kPictureHandleCount];
  // The fourth handle is the lower right corner.
  handles[3] = VRect(int32_t(box.GetRight()) - 3, int32_t(box.GetBottom()) - 3, 6, 6);
  document->SetPictureHandles(box, handles, xMorvaDocument::kPictureHandleCount);
  const VPoint corner(int32_t(box.GetRight()), int32_t(box.GetBottom()));
  Script(corner, {VPoint(20, 10)}, false);
  EXPECT_TRUE(document->HandlePictureClick(corner, false, false));
  const xMorvaPagePicture& e = Pictures()->GetEntry(Pictures()->GetSelection());
  EXPECT_EQ(e.left, 50);
  EXPECT_EQ(e.top, 60);
  EXPECT_EQ(e.shownWidth, 60);
  EXPECT_EQ(e.shownHeight, 40);
  // Down to nothing: held at 8 pixels.
  const VRect now = PageBox();
  const VPoint corner2(int32_t(now.GetRight()), int32_t(now.GetBottom()));
  handles[3] = VRect(corner2.GetX() - 3, corner2.GetY() - 3, 6, 6);
  document->SetPictureHandles(now, handles, xMorvaDocument::kPictureHandleCount);
  Script(corner2, {VPoint(-400, -400)}, false);
  EXPECT_TRUE(document->HandlePictureClick(corner2, false, false));
  EXPECT_EQ(Pictures()->GetEntry(Pictures()->GetSelection()).shownWidth, 8);
  EXPECT_EQ(Pictures()->GetEntry(Pictures()->GetSelection()).shownHeight, 8);
}

TEST_F(DraggerTest, ALockedAreaTakesNoPictureDrag) {
  AddPagePicture();
  const VRect box = PageBox();
  const VRect none[xMorvaDocument::kPictureHandleCount];
  document->SetPictureHandles(box, none, xMorvaDocument::kPictureHandleCount);
  area->StoreAreaLock(true);
  const VPoint inside(box.GetLeft() + 10, box.GetTop() + 10);
  Script(inside, {VPoint(15, 10)}, false);
  EXPECT_FALSE(document->HandlePictureClick(inside, false, false));
  EXPECT_EQ(Pictures()->GetEntry(Pictures()->GetSelection()).left, 50);
}

}  // namespace
