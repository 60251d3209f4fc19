// The drags of the text view: a ruler marker's steps (snapping, Control,
// limits, a tab stop pulled across the ruler), and the picture drags run
// by the area from the document's handles: a resize with Shift and the
// move of a picture on a page.
#include "area/view/xMorvaDragger.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "area/tests/AreaTestSupport.h"
#include "area/view/xMorvaFrame.h"
#include "area/view/xMorvaMouse.h"
#include "area/view/xMorvaPicturesInPage.h"
#include "area/view/xMorvaRuler.h"
#include "document/DocumentUnits.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaUndo.h"
#include "engine/xMorvaDocumentDrawing.h"
#include "engine/xMorvaDocumentLayout.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaPictureElement.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VString.h"
#include "framework/core/values/VPictureMaker.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "graphics/VDIBPort.h"
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

  // A press of the mouse at (x, y) in the frame's content, as the view
  // hands it over.
  void Press(int32_t x, int32_t y) {
    VEvent event(x, y, 0, false, false, false, false, false, 1, 0);
    xMorvaMouse::HandleMouse(*frame, event, false);
  }
  std::string UndoTitle() {
    VStr<255> title;
    frame->GetUndoTitle(title);
    char buffer[256] = {};
    title.GetCText(buffer, sizeof buffer, kCharSetMac);
    return buffer;
  }
  VRect Entry() {
    const xMorvaPagePicture& e = Pictures()->GetEntry(0);
    return VRect(e.left, e.top, e.shownWidth, e.shownHeight);
  }
  // A picture of 40 x 30 in the text at the caret, selected and drawn with
  // its handles.
  void AddTextPicture() {
    VMetafilePort recorder(nullptr, 0, 0, 40, 30);
    recorder.PaintRect(0, 0, 40, 30);
    std::unique_ptr<VEmfPictureData> picture(recorder.EndAsPictureData());
    const VMemHandle element = gMemoryMgr->NewHandle(0, 0);
    ASSERT_TRUE(MakePictureElement(*picture, element, -1, -1, -1, 0));
    ASSERT_EQ(document->InsertUnits(element, 1, true), 0);
    gMemoryMgr->DisposeHandle(element);
    // A first press gives the view the focus, whose selection shows the
    // handles.
    Press(600, 300);
    ASSERT_TRUE(frame->IsFocused());
    Body().SetSelection(0, 1);
    ASSERT_TRUE(Body().IsPictureSelected());
    Draw();
  }
  void Draw() {
    VDIBPort canvas(1000, 600, 32);
    frame->DrawContent(canvas);
  }
  xMorvaEngine& Body() { return *static_cast<xMorvaEngine*>(document->GetCurrentPart()); }
  std::pair<int32_t, int32_t> TextPictureSize() {
    int32_t w = 0, h = 0, ow = 0, oh = 0;
    Body().GetSelectedPictureSize(&w, &h, &ow, &oh);
    return {w, h};
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

// ---- Picture drags started by a press, each undone in one step.

TEST_F(DraggerTest, APressOnAPagePictureSelectsItAndTheNextMovesItInOneUndoStep) {
  AddPagePicture();
  const VRect box = PageBox();
  Pictures()->Deselect();
  const VPoint inside(box.GetLeft() + 10, box.GetTop() + 10);
  // The first press only selects it.
  Script(inside, {VPoint(15, 10)}, false);
  Press(inside.GetX(), inside.GetY());
  ASSERT_TRUE(area->IsPagePictureSelected());
  EXPECT_EQ(Entry(), VRect(50, 60, 40, 30));
  // The second one drags it.
  Script(inside, {VPoint(15, 10), VPoint(10, 5)}, false);
  Press(inside.GetX(), inside.GetY());
  EXPECT_EQ(Entry(), VRect(75, 75, 40, 30));
  EXPECT_EQ(UndoTitle(), "Undo Move Picture");

  document->GetUndo()->Undo();
  EXPECT_EQ(Entry(), VRect(50, 60, 40, 30));
  EXPECT_FALSE(document->GetUndo()->CanUndo());
  document->GetUndo()->Redo();
  EXPECT_EQ(Entry(), VRect(75, 75, 40, 30));
  EXPECT_FALSE(document->GetUndo()->CanRedo());

  // Cut after the move: one undo puts it back where it was moved to, the
  // next moves it back; redo takes both steps again.
  const int16_t id = Pictures()->GetEntry(0).resourceId;
  document->DoCommand(3);
  EXPECT_EQ(Pictures()->GetCount(), 0);
  EXPECT_EQ(UndoTitle(), "Undo Clear");
  document->GetUndo()->Undo();
  ASSERT_EQ(Pictures()->GetCount(), 1);
  EXPECT_EQ(Pictures()->GetEntry(0).resourceId, id);
  EXPECT_EQ(Entry(), VRect(75, 75, 40, 30));
  document->GetUndo()->Undo();
  EXPECT_EQ(Entry(), VRect(50, 60, 40, 30));
  EXPECT_FALSE(document->GetUndo()->CanUndo());
  document->GetUndo()->Redo();
  document->GetUndo()->Redo();
  EXPECT_EQ(Pictures()->GetCount(), 0);
  EXPECT_FALSE(document->GetUndo()->CanRedo());
}

TEST_F(DraggerTest, ACornerHandleOfAPagePictureResizesItInOneUndoStep) {
  AddPagePicture();
  const VRect box = PageBox();
  // Inside the lower right corner's handle.
  const VPoint corner(int32_t(box.GetRight()) - 2, int32_t(box.GetBottom()) - 2);
  Script(corner, {VPoint(20, 10)}, false);
  Press(corner.GetX(), corner.GetY());
  // The edge goes where the mouse goes: 2 pixels inside the corner.
  EXPECT_EQ(Entry(), VRect(50, 60, 58, 38));
  EXPECT_EQ(UndoTitle(), "Undo Picture Size");
  // The upper left one with Shift keeps the proportions of 58 x 38 and
  // the lower right corner where it is.
  const VRect now = PageBox();
  const VPoint upperLeft(now.GetLeft() + 1, now.GetTop() + 1);
  Script(upperLeft, {VPoint(30, 0)}, true);
  Press(upperLeft.GetX(), upperLeft.GetY());
  EXPECT_EQ(Entry(), VRect(81, 81, 27, 17));

  document->GetUndo()->Undo();
  EXPECT_EQ(Entry(), VRect(50, 60, 58, 38));
  document->GetUndo()->Undo();
  EXPECT_EQ(Entry(), VRect(50, 60, 40, 30));
  // A press on a page the picture is not on starts nothing.
  const int32_t otherPage = 4 + document->GetParams().GetPageHeight() + 4 + 70;
  Script(VPoint(box.GetLeft() + 10, otherPage), {VPoint(15, 10)}, false);
  Press(box.GetLeft() + 10, otherPage);
  EXPECT_EQ(Entry(), VRect(50, 60, 40, 30));
}

TEST_F(DraggerTest, AHandleOfAPictureInTheTextResizesItInOneUndoStep) {
  AddTextPicture();
  ASSERT_EQ(TextPictureSize(), std::make_pair(40, 30));
  auto* layout = dynamic_cast<xMorvaDocumentLayout*>(document->GetLayout());
  ASSERT_NE(layout, nullptr);
  const VRect box = layout->GetDrawing()->GetPictureFrame();
  ASSERT_EQ(box.GetWidth(), 40);
  // The lower right corner pulled out by (20, 10).
  const VPoint corner(int32_t(box.GetRight()), int32_t(box.GetBottom()));
  Script(corner, {VPoint(20, 10)}, false);
  Press(corner.GetX(), corner.GetY());
  EXPECT_EQ(TextPictureSize(), std::make_pair(60, 40));
  EXPECT_EQ(UndoTitle(), "Undo Picture Size");
  // The right edge's middle handle: only the width follows the mouse.
  Draw();
  const VRect now = layout->GetDrawing()->GetPictureFrame();
  const VPoint right(int32_t(now.GetRight()), now.GetTop() + now.GetHeight() / 2);
  Script(right, {VPoint(30, 12)}, false);
  Press(right.GetX(), right.GetY());
  EXPECT_EQ(TextPictureSize(), std::make_pair(90, 40));

  document->GetUndo()->Undo();
  EXPECT_EQ(TextPictureSize(), std::make_pair(60, 40));
  document->GetUndo()->Undo();
  EXPECT_EQ(TextPictureSize(), std::make_pair(40, 30));
  EXPECT_EQ(UndoTitle(), "Undo Paste");
  // A press inside the picture but on no handle is a text click.
  Body().SetSelection(0, 1);
  Draw();
  Script(VPoint(box.GetLeft() + 20, box.GetTop() + 15), {VPoint(10, 0)}, false);
  Press(box.GetLeft() + 20, box.GetTop() + 15);
  EXPECT_EQ(TextPictureSize(), std::make_pair(40, 30));
}

TEST_F(DraggerTest, WithControlAPressReachesPastTheSelectedPagePicture) {
  AddTextPicture();
  auto* layout = dynamic_cast<xMorvaDocumentLayout*>(document->GetLayout());
  ASSERT_NE(layout, nullptr);
  const VRect box = layout->GetDrawing()->GetPictureFrame();
  AddPagePicture();
  ASSERT_TRUE(area->IsPagePictureSelected());
  // The text picture's lower right corner, with Control held: its handles
  // are the ones the press is tested against.
  const VPoint corner(int32_t(box.GetRight()), int32_t(box.GetBottom()));
  Script(corner, {VPoint(20, 10)}, false);
  xMorvaMouse::NotePictureHandles(*frame, *document, corner.GetY(), true);
  EXPECT_TRUE(document->HandlePictureClick(corner, false, true));
  EXPECT_EQ(TextPictureSize(), std::make_pair(60, 40));
  EXPECT_EQ(Entry(), VRect(50, 60, 40, 30));
}

}  // namespace
