// The rulers and the tab selector: the scale in each unit, snapping, the
// markers' drags applied to the document (indents, tab stops, margins,
// header and footer edges), the grayed markers, the cursors, and the
// presses that must change nothing.
#include "area/view/xMorvaRuler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "area/tests/AreaTestSupport.h"
#include "area/view/xMorvaDragger.h"
#include "area/view/xMorvaFrame.h"
#include "area/view/xMorvaTabSelector.h"
#include "area/view/xMorvaVerticalRuler.h"
#include "document/DocumentUnits.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaTabs.h"
#include "document/xMorvaText.h"
#include "document/xMorvaUndo.h"
#include "engine/xMorvaEngine.h"
#include "graphics/VDIBPort.h"
#include "platform/win32/WinInput.h"
#include "views/VEvent.h"
#include "views/VPaneView.h"

namespace {

using areatest::AreaTest;

// A pixel of a 32-bit canvas.
uint32_t Pixel(const VDIBPort& canvas, int32_t x, int32_t y) {
  return static_cast<const uint32_t*>(
      canvas.GetBits())[size_t(y) * size_t(canvas.GetWidth()) + size_t(x)];
}

// ---- The scale

std::vector<int32_t> Offsets(const std::vector<xMorvaScaleMark>& marks, int32_t upTo) {
  std::vector<int32_t> out;
  for (const xMorvaScaleMark& m : marks) {
    if (m.offset <= upTo) out.push_back(m.offset);
  }
  return out;
}

TEST(RulerScale, CentimetresAt72DpiTickAt7And14And21AndNumberOneAt28) {
  std::vector<xMorvaScaleMark> marks;
  xMorvaRuler::ListScale(kUnitCentimetres, 72, 200, marks);
  EXPECT_EQ(Offsets(marks, 28), (std::vector<int32_t>{0, 7, 14, 21, 28}));
  ASSERT_GE(marks.size(), 5u);
  EXPECT_TRUE(marks[0].numbered);
  EXPECT_EQ(marks[0].number, 0);
  EXPECT_TRUE(marks[2].middle);
  EXPECT_FALSE(marks[1].middle);
  EXPECT_TRUE(marks[4].numbered);
  EXPECT_EQ(marks[4].number, 1);
  // The last mark lies within the length.
  EXPECT_LE(marks.back().offset, 200);
}

TEST(RulerScale, InchesTickEveryEighthWithTheHalfLonger) {
  std::vector<xMorvaScaleMark> marks;
  xMorvaRuler::ListScale(kUnitInches, 72, 80, marks);
  EXPECT_EQ(Offsets(marks, 72), (std::vector<int32_t>{0, 9, 18, 27, 36, 45, 54, 63, 72}));
  EXPECT_TRUE(marks[4].middle);
  EXPECT_EQ(marks[8].number, 1);
}

TEST(RulerScale, PixelsAreNumberedEveryFiftyWithoutAMiddleMark) {
  std::vector<xMorvaScaleMark> marks;
  xMorvaRuler::ListScale(kUnitPoints, 72, 120, marks);
  EXPECT_EQ(Offsets(marks, 100),
            (std::vector<int32_t>{0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
  for (const xMorvaScaleMark& m : marks) {
    EXPECT_FALSE(m.middle);
    if (m.numbered) {
      EXPECT_EQ(m.number % 50, 0);
    }
  }
  EXPECT_EQ(marks[5].number, 50);
  EXPECT_EQ(marks[10].number, 100);
}

TEST(RulerScale, NothingForAnUnknownUnitOrNoLength) {
  std::vector<xMorvaScaleMark> marks{{}};
  xMorvaRuler::ListScale(3, 72, 100, marks);
  EXPECT_TRUE(marks.empty());
  xMorvaRuler::ListScale(kUnitCentimetres, 72, 0, marks);
  EXPECT_TRUE(marks.empty());
  xMorvaRuler::ListScale(-1, 72, 100, marks);
  EXPECT_TRUE(marks.empty());
}

// ---- Snapping

TEST(RulerSnap, ToAQuarterCentimetreAnEighthInchOrTenPixels) {
  struct Row {
    int32_t unit, dpi, value, snapped;
  };
  const Row rows[] = {
      {kUnitCentimetres, 72, 10, 7},   // a quarter centimetre
      {kUnitCentimetres, 72, 13, 14},  // half a centimetre
      {kUnitCentimetres, 72, 0, 0},
      {kUnitCentimetres, 72, 28, 28},
      {kUnitInches, 72, 5, 9},
      {kUnitInches, 72, 4, 0},
      {kUnitInches, 72, 3, 0},
      {kUnitInches, 96, 100, 96},
      {kUnitPoints, 72, 14, 10},
      {kUnitPoints, 72, 15, 20},
      {kUnitPoints, 72, -7, 0},  // integer division truncates toward zero
      {7, 72, 13, 13},           // an unknown unit keeps the value
  };
  for (const Row& r : rows) {
    EXPECT_EQ(xMorvaRulerDragger::SnapToUnit(r.value, r.unit, r.dpi), r.snapped)
        << r.unit << " " << r.dpi << " " << r.value;
  }
}

// ---- Picture outlines

xMorvaResizeOutline Outline(int16_t h, int16_t v, const VRect& box, double ratio,
                            int32_t maxW = 1000, int32_t maxH = 1000) {
  xMorvaResizeOutline o;
  o.horizontalHandle = h;
  o.verticalHandle = v;
  o.maximumWidth = maxW;
  o.maximumHeight = maxH;
  o.ratio = ratio;
  o.Start(box, int32_t(h == 1 ? box.GetLeft() : box.GetRight()),
          int32_t(v == 2 ? box.GetTop() : box.GetBottom()));
  return o;
}

TEST(PictureResize, EachHandleKeepsEightPixelsAndTheLimits) {
  struct Row {
    int16_t h, v;
    int32_t dx, dy;
    int32_t left, top, width, height;
  };
  const VRect box(100, 100, 60, 40);
  const Row rows[] = {
      {3, 4, 20, 10, 100, 100, 80, 50},       // right and bottom grow
      {3, 4, -500, -500, 100, 100, 8, 8},     // never below 8
      {1, 2, -10, -5, 90, 95, 70, 45},        // left and top move out
      {1, 2, 500, 500, 152, 132, 8, 8},       // the far edges stay
      {3, 0, 2000, 2000, 100, 100, 200, 40},  // width to its limit; height fixed
      {0, 4, 50, 2000, 100, 100, 60, 150},    // height to its limit; width fixed
      {1, 0, -2000, 0, -40, 100, 200, 40},    // the left edge stops at the limit
  };
  for (const Row& r : rows) {
    xMorvaResizeOutline o = Outline(r.h, r.v, box, 1.5, 200, 150);
    o.Step(r.dx, r.dy, false);
    EXPECT_EQ(o.left, r.left) << r.h << r.v << " " << r.dx;
    EXPECT_EQ(o.top, r.top) << r.h << r.v << " " << r.dx;
    EXPECT_EQ(o.width, r.width) << r.h << r.v << " " << r.dx;
    EXPECT_EQ(o.height, r.height) << r.h << r.v << " " << r.dx;
  }
}

TEST(PictureResize, ShiftKeepsTheProportions) {
  xMorvaResizeOutline o = Outline(3, 4, VRect(0, 0, 40, 20), 2.0);
  o.Step(60, 80, true);  // dragged to 100 x 100
  EXPECT_EQ(o.width, 100);
  EXPECT_EQ(o.height, 50);
  o.Step(-80, 0, true);  // 20 x 100: the width rules
  EXPECT_EQ(o.width, 20);
  EXPECT_EQ(o.height, 10);
}

TEST(PictureResize, AThinPictureNeverReachesZeroWithShift) {
  // 200 x 8: proportions of 25. Made 8 wide, its kept height would be 0.
  xMorvaResizeOutline o = Outline(3, 4, VRect(0, 0, 200, 8), 25.0);
  o.Step(-500, 0, true);
  EXPECT_EQ(o.width, 8);
  EXPECT_EQ(o.height, 8);
  // And from the left, the right edge stays.
  xMorvaResizeOutline left = Outline(1, 0, VRect(10, 0, 200, 8), 25.0);
  left.Step(500, 0, true);
  EXPECT_GE(left.height, 8);
  EXPECT_EQ(left.left + left.width, 210);
}

TEST(PictureResize, ABoxWithoutHeightHasSquareProportions) {
  xMorvaResizeOutline o = Outline(3, 4, VRect(0, 0, 40, 0), 0.0);
  EXPECT_EQ(o.ratio, 1.0);
  o.Step(20, 100, true);
  EXPECT_EQ(o.width, 60);
  EXPECT_EQ(o.height, 60);
}

// ---- The rulers of an area

class RulerTest : public AreaTest {
 protected:
  void SetUp() override {
    area = NewFormArea();
    document = area->GetDocument();
    frame = area->GetFrames().front();
    document->Params().SetViewMode(0);
    document->Params().SetViewFlag(2, 1);
    document->ShowRulers(true, true);
    // Wide enough to show the whole page: no drag below leaves the view.
    area->GetPaneView()->ResizeTo(1000, 500, 0);
    area->GetPaneView()->Layout(1);
    hRuler = frame->GetHRuler();
    vRuler = frame->GetVRuler();
    selector = frame->GetTabSelector();
    ASSERT_NE(hRuler, nullptr);
    ASSERT_NE(vRuler, nullptr);
    ASSERT_NE(selector, nullptr);
  }
  void TearDown() override {
    UnloadHeadlessInput();
    ResetHeadlessInput();
  }

  // Presses `ruler` at its point `from`, moves the mouse through `path`
  // (points of the ruler) and lets the button go; with `control` the
  // Control key is held throughout.
  void Drag(xMorvaRuler* ruler, VPoint from, std::vector<VPoint> path, bool control = false,
            int16_t clicks = 1) {
    int32_t ox = 0, oy = 0;
    ruler->GetOrigin(ox, oy);
    std::vector<HeadlessInputEntry> entries;
    ULONGLONG t = 1000;
    auto add = [&](const VPoint& p, bool down) {
      HeadlessInputEntry e{};
      e.time = t;
      t += 20;
      e.cursor = POINT{ox + p.GetX(), oy + p.GetY()};
      e.buttons = down ? HEADLESS_LEFT_BUTTON : 0;
      if (control) e.keys[0] = VK_CONTROL;
      entries.push_back(e);
    };
    add(from, true);
    for (const VPoint& p : path) add(p, true);
    add(path.empty() ? from : path.back(), false);
    ASSERT_TRUE(LoadHeadlessInput(entries.data(), entries.size(), 1000));
    VEvent event(from.GetX(), from.GetY(), 1, false, false, control, false, false, clicks, 0);
    EXPECT_TRUE(ruler->MouseDown(event));
    UnloadHeadlessInput();
    ResetHeadlessInput();
  }
  xMorvaTextInterface* Text() { return document->GetCurrentPart(); }
  int32_t ColumnLeft() {
    xMorvaHRulerGeometry g;
    hRuler->GetGeometry(g);
    return g.columnLeft;
  }

  xMorvaPlugIn* area = nullptr;
  xMorvaDocument* document = nullptr;
  xMorvaFrame* frame = nullptr;
  xMorvaHRuler* hRuler = nullptr;
  xMorvaVRuler* vRuler = nullptr;
  xMorvaTabSelector* selector = nullptr;
};

TEST_F(RulerTest, TheViewPutsTheRulersAroundItself) {
  VPaneView* pane = area->GetPaneView();
  EXPECT_EQ(pane->GetView(VPaneView::kTop), hRuler);
  EXPECT_EQ(pane->GetView(VPaneView::kLeft), vRuler);
  EXPECT_EQ(pane->GetView(VPaneView::kTopLeft), selector);
  EXPECT_EQ(hRuler->GetHeight(), xMorvaRuler::kThickness);
  EXPECT_EQ(vRuler->GetWidth(), xMorvaRuler::kThickness);
  EXPECT_TRUE(hRuler->IsShown());
  EXPECT_TRUE(vRuler->IsShown());
  // A continuous view has no vertical ruler.
  document->SetViewMode(1);
  EXPECT_TRUE(hRuler->IsShown());
  EXPECT_FALSE(vRuler->IsShown());
  // The selector stands in the corner beside the ruler all the same.
  EXPECT_TRUE(selector->IsShown());
  EXPECT_EQ(selector->GetWidth(), xMorvaRuler::kThickness);
  int32_t sx = 0, sy = 0, hx = 0, hy = 0;
  selector->GetOrigin(sx, sy);
  hRuler->GetOrigin(hx, hy);
  EXPECT_EQ(hx, sx + xMorvaRuler::kThickness);
  document->ShowRulers(false, true);
  EXPECT_FALSE(hRuler->IsShown());
  EXPECT_FALSE(selector->IsShown());
}

TEST_F(RulerTest, GeometryFollowsTheMarginsAndTheScroll) {
  const xMorvaDocParams& p = document->GetParams();
  xMorvaHRulerGeometry g;
  hRuler->GetGeometry(g);
  EXPECT_EQ(g.origin, frame->TextInset());
  EXPECT_EQ(g.textLeft, g.origin + p.TextLeft(0));
  EXPECT_EQ(g.textWidth, p.ColumnWidth(true));
  EXPECT_EQ(g.columnLeft, g.textLeft);
  EXPECT_EQ(g.columnWidth, g.textWidth);
  // A dragged margin stands in for the document's.
  hRuler->SetDragKind(xMorvaRuler::kDragLeftMargin);
  hRuler->SetDragValue(p.GetLeftMargin() + 30);
  xMorvaHRulerGeometry dragged;
  hRuler->GetGeometry(dragged);
  EXPECT_EQ(dragged.textLeft, g.textLeft + 30);
  EXPECT_EQ(dragged.textWidth, g.textWidth - 30);
  hRuler->SetDragKind(0);
}

TEST_F(RulerTest, TheScaleIsDrawnFromTheColumnsLeftEdge) {
  document->Params().SetDisplayUnit(kUnitPoints);
  VDIBPort canvas(hRuler->GetWidth(), hRuler->GetHeight(), 32);
  hRuler->DrawContent(canvas);
  const int32_t left = ColumnLeft();
  // Marks every ten pixels, from 11 to 12 across; nothing between them.
  const uint32_t mark = Pixel(canvas, left + 10, 11);
  const uint32_t between = Pixel(canvas, left + 15, 11);
  EXPECT_NE(mark, between);
  EXPECT_EQ(Pixel(canvas, left + 20, 11), mark);
  EXPECT_NE(Pixel(canvas, left + 20, 14), mark);
}

TEST_F(RulerTest, DraggingTheLeftIndentSnapsAndIsOneUndoableChange) {
  const int32_t left = ColumnLeft();
  // The lower part of the left indent's picture: the first line goes along.
  Drag(hRuler, VPoint(left, 18), {VPoint(left + 20, 18), VPoint(left + 40, 18)});
  const int32_t expected = xMorvaRulerDragger::SnapToUnit(
      40, document->GetParams().GetDisplayUnit(), GetScreenResolution());
  EXPECT_EQ(Text()->GetPropertyValue(kPropLeftIndent), expected);
  EXPECT_EQ(Text()->GetPropertyValue(kPropFirstLineIndent), 0);
  EXPECT_EQ(hRuler->GetDragKind(), 0);
  ASSERT_NE(document->GetUndo(), nullptr);
  document->GetUndo()->Commit();
  EXPECT_TRUE(document->GetUndo()->CanUndo());
  document->Undo();
  EXPECT_EQ(Text()->GetPropertyValue(kPropLeftIndent), 0);
}

TEST_F(RulerTest, TheUpperLeftIndentKeepsTheFirstLineInPlace) {
  const int32_t left = ColumnLeft();
  Drag(hRuler, VPoint(left, 13), {VPoint(left + 40, 13)}, true);
  EXPECT_EQ(Text()->GetPropertyValue(kPropLeftIndent), 40);
  // Control held: no snapping; the first line stays where it was.
  EXPECT_EQ(Text()->GetPropertyValue(kPropFirstLineIndent), -40);
}

// A drag is one undo step, whatever it sets and over however many
// paragraphs: one undo gives back every indent it changed, one redo all
// of them again.
TEST_F(RulerTest, EveryDragIsUndoneByOneUndoAndRedoneByOneRedo) {
  enum Marker { kLeftLower, kLeftUpper, kFirstLine, kRightIndent, kTabStop };
  struct Row {
    const char* what;
    Marker marker;
    int32_t dx;
    bool all;  // over all the paragraphs, else the first
  };
  const Row rows[] = {
      {"the left indent, the first line going along", kLeftLower, 40, false},
      {"the left indent, the first line kept in place", kLeftUpper, 40, false},
      {"the left indent of a thousand paragraphs, the first lines kept", kLeftUpper, -10, true},
      {"the first line", kFirstLine, 20, true},
      {"the right indent", kRightIndent, -30, true},
      {"a tab stop moved", kTabStop, 25, true},
  };
  document->BeginChange();
  for (int i = 1; i < 1000; ++i) ASSERT_EQ(Text()->InsertParagraphEndWithUndo(), 0);
  Text()->SetSelection(0, Text()->GetLength());
  ASSERT_EQ(Text()->SetPropertyWithUndo(kPropLeftIndent, 15), 0);
  ASSERT_EQ(Text()->SetPropertyWithUndo(kPropFirstLineIndent, 30), 0);
  ASSERT_EQ(Text()->SetPropertyValue(kPropTabs, int32_t(MakeTabStop(200, 0, kTabLeft))), 0);
  document->EndChange();
  const uint16_t ids[] = {kPropLeftIndent, kPropFirstLineIndent, kPropRightIndent, kPropTabs};
  auto indents = [&]() {
    std::vector<int32_t> out;
    const auto* engine = static_cast<const xMorvaEngine*>(Text());
    for (uint16_t id : ids) {
      out.push_back(id == kPropTabs ? int32_t(Text()->GetCurrentTabs().StopAt(0)) : Text()->GetPropertyValue(id));
      out.push_back(engine->GetPropertiesStates().GetState(id));
    }
    return out;
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Text()->SetSelection(0, row.all ? Text()->GetLength() : 0);
    document->GetUndo()->Commit();
    const std::vector<int32_t> before = indents();
    xMorvaHRulerGeometry g;
    hRuler->GetGeometry(g);
    VRect left, first, right;
    hRuler->GetIndentBoxes(g, left, first, right);
    const VRect& box = row.marker == kFirstLine ? first : row.marker == kRightIndent ? right : left;
    VPoint from(box.GetLeft() + box.GetWidth() / 2, box.GetTop() + 1);
    if (row.marker == kLeftLower) from = VPoint(from.GetX(), 18);
    if (row.marker == kLeftUpper) from = VPoint(from.GetX(), 13);
    if (row.marker == kTabStop) from = VPoint(g.columnLeft + 200, 5);
    Drag(hRuler, from, {VPoint(from.GetX() + row.dx, from.GetY())}, true);
    const std::vector<int32_t> after = indents();
    ASSERT_NE(after, before);
    document->Undo();
    EXPECT_EQ(indents(), before);
    document->Redo();
    EXPECT_EQ(indents(), after);
  }
}

TEST_F(RulerTest, AClickOnTheEmptyBandMakesAStopOfTheSelectorsKind) {
  const int32_t left = ColumnLeft();
  EXPECT_EQ(selector->GetCurrentKind(), 1);
  Drag(hRuler, VPoint(left + 100, 5), {}, true);
  ASSERT_EQ(Text()->GetCurrentTabs().Count(), 1);
  EXPECT_EQ(Text()->GetCurrentTabs().StopAt(0), MakeTabStop(100, 0, kTabLeft));
  // The selector's menu command chooses the kind of the next one.
  area->RunCommand(1033);
  EXPECT_EQ(selector->GetCurrentKind(), 3);
  Drag(hRuler, VPoint(left + 200, 5), {}, true);
  ASSERT_EQ(Text()->GetCurrentTabs().Count(), 2);
  EXPECT_EQ(Text()->GetCurrentTabs().StopAt(1), MakeTabStop(200, 0, kTabRight));
}

TEST_F(RulerTest, AStopPulled21PixelsOffGoesAndOneBroughtBackStays) {
  const int32_t left = ColumnLeft();
  Drag(hRuler, VPoint(left + 100, 5), {}, true);
  ASSERT_EQ(Text()->GetCurrentTabs().Count(), 1);
  // Back to 20 pixels off: it stays, moved.
  Drag(hRuler, VPoint(left + 102, 5), {VPoint(left + 102, 26), VPoint(left + 150, 25)}, true);
  ASSERT_EQ(Text()->GetCurrentTabs().Count(), 1);
  EXPECT_EQ(TabStopPosition(Text()->GetCurrentTabs().StopAt(0)), 148);
  // 21 pixels below the press: gone.
  Drag(hRuler, VPoint(left + 148, 5), {VPoint(left + 148, 26)}, true);
  EXPECT_EQ(Text()->GetCurrentTabs().Count(), 0);
  // A new stop pulled off is never made.
  Drag(hRuler, VPoint(left + 60, 5), {VPoint(left + 60, 40)}, true);
  EXPECT_EQ(Text()->GetCurrentTabs().Count(), 0);
}

TEST_F(RulerTest, BadPressesChangeNothing) {
  int32_t left = ColumnLeft();
  // A paragraph with 256 stops takes no new one.
  xMorvaTabs full;
  for (int16_t i = 0; i < xMorvaTabs::kCapacity; ++i)
    full.AddStop(MakeTabStop(int16_t(1000 + i), 0, kTabLeft));
  document->BeginChange();
  ASSERT_EQ(Text()->SetTabsWithUndo(full), 0);
  document->EndChange();
  ASSERT_EQ(Text()->GetCurrentTabs().Count(), 256);
  Drag(hRuler, VPoint(left + 30, 5), {}, true);
  EXPECT_EQ(Text()->GetCurrentTabs().Count(), 256);
  EXPECT_FALSE(Text()->GetCurrentTabs().Contains(MakeTabStop(30, 0, kTabLeft)));

  // A read-only document: the press is swallowed.
  document->Infos().SetLocked(1);
  Drag(hRuler, VPoint(left, 18), {VPoint(left + 50, 18)}, true);
  EXPECT_EQ(Text()->GetPropertyValue(kPropLeftIndent), 0);
  document->Infos().SetLocked(0);

  // A hidden ruler takes no presses.
  document->ShowRulers(false, true);
  Drag(hRuler, VPoint(left, 18), {VPoint(left + 50, 18)}, true);
  EXPECT_EQ(Text()->GetPropertyValue(kPropLeftIndent), 0);
  document->ShowRulers(true, true);
  left = ColumnLeft();

  // Dragged far past the limits and off the window: held to the range.
  int32_t minimum = 0, maximum = 0;
  document->GetLeftIndentRangeOfSelection(minimum, maximum);
  Drag(hRuler, VPoint(left, 18), {VPoint(left + 5000, 300), VPoint(left + 90000, -4000)}, true);
  EXPECT_EQ(Text()->GetPropertyValue(kPropLeftIndent), maximum);
  Drag(hRuler, VPoint(left + maximum, 18), {VPoint(-5000, 18)}, true);
  EXPECT_EQ(Text()->GetPropertyValue(kPropLeftIndent), minimum);
}

TEST_F(RulerTest, MarginDragsChangeTheDocumentsParameters) {
  const int32_t before = document->GetParams().GetLeftMargin();
  xMorvaHRulerGeometry g;
  hRuler->GetGeometry(g);
  Drag(hRuler, VPoint(g.textLeft, 8), {VPoint(g.textLeft + 17, 8)}, true);
  EXPECT_EQ(document->GetParams().GetLeftMargin(), before + 17);
  EXPECT_TRUE(document->IsModified());
  const int32_t right = document->GetParams().GetRightMargin();
  hRuler->GetGeometry(g);
  Drag(hRuler, VPoint(g.textLeft + g.textWidth, 8), {VPoint(g.textLeft + g.textWidth - 12, 8)},
       true);
  EXPECT_EQ(document->GetParams().GetRightMargin(), right + 12);
  // Cursors over the edges, none elsewhere.
  hRuler->GetGeometry(g);
  EXPECT_EQ(hRuler->CursorIdAt(g.textLeft + 3, 10), xMorvaRuler::kCursorResizeAcross);
  EXPECT_EQ(hRuler->CursorIdAt(g.textLeft + 4, 10), 0);
  EXPECT_EQ(hRuler->CursorIdAt(g.textLeft, 18), 0);
  // Continuous view: no margins to drag, no cursor.
  document->SetViewMode(1);
  hRuler->GetGeometry(g);
  EXPECT_EQ(hRuler->CursorIdAt(g.textLeft, 10), 0);
}

TEST_F(RulerTest, AMixedSelectionGraysTheIndentMarkers) {
  // Two paragraphs, the second indented; the selection over both.
  for (char16_t c : std::u16string(u"ab")) document->TypeCharacter(c);
  document->BeginChange();
  Text()->InsertParagraphEndWithUndo();
  document->EndChange();
  for (char16_t c : std::u16string(u"cd")) document->TypeCharacter(c);
  document->GetUndo()->Commit();
  document->BeginChange();
  Text()->SetPropertyWithUndo(kPropLeftIndent, 40);
  document->EndChange();
  const int32_t left = ColumnLeft();
  // The left indent's picture: its box's bottom row is solid, black when
  // the indent is the same over the selection, grey when it is not.
  auto markerInk = [&]() {
    VDIBPort canvas(hRuler->GetWidth(), hRuler->GetHeight(), 32);
    hRuler->DrawContent(canvas);
    return Pixel(canvas, left + Text()->GetPropertyValue(kPropLeftIndent), 21) & 0xFFFFFF;
  };
  EXPECT_EQ(markerInk(), 0x000000u);
  Text()->SetSelection(0, Text()->GetLength());
  ASSERT_EQ(
      static_cast<const xMorvaEngine*>(Text())->GetPropertiesStates().GetState(kPropLeftIndent), 0);
  EXPECT_EQ(markerInk(), 0x808080u);
}

TEST_F(RulerTest, EitherEdgeOfAColumnGapDragsHalfTheSpacing) {
  document->Params().SetColumns(2);
  document->Params().SetColumnSpacing(40);
  xMorvaHRulerGeometry g;
  hRuler->GetGeometry(g);
  const int64_t shared = int64_t(g.textWidth) - g.spacing;
  const int32_t secondLeft = int32_t(g.textLeft + shared / 2 + g.spacing);
  EXPECT_EQ(hRuler->CursorIdAt(secondLeft, 10), xMorvaRuler::kCursorResizeAcross);
  // The gap's right edge pulled right by 10: the spacing grows by 20.
  Drag(hRuler, VPoint(secondLeft, 8), {VPoint(secondLeft + 10, 8)}, true);
  EXPECT_EQ(document->GetParams().GetColumnSpacing(), 60);
  // Its left edge pulled right by 5: it shrinks by 10.
  hRuler->GetGeometry(g);
  const int32_t gapLeft = int32_t(g.textLeft + (int64_t(g.textWidth) - g.spacing) / 2);
  Drag(hRuler, VPoint(gapLeft, 8), {VPoint(gapLeft + 5, 8)}, true);
  EXPECT_EQ(document->GetParams().GetColumnSpacing(), 50);
}

TEST_F(RulerTest, TheVerticalRulerMovesTheCurrentPartsEdges) {
  xMorvaVRulerGeometry g;
  vRuler->GetGeometry(g);
  const xMorvaPageBands before = document->GetParams().GetBands(false);
  EXPECT_EQ(g.textTop, g.pageTop + before.topMargin);
  EXPECT_EQ(vRuler->CursorIdAt(10, g.textTop + 3), xMorvaRuler::kCursorResizeUpDown);
  EXPECT_EQ(vRuler->CursorIdAt(18, g.textTop), 0);
  Drag(vRuler, VPoint(10, g.textTop), {VPoint(10, g.textTop + 9)}, true);
  EXPECT_EQ(document->GetParams().GetBands(false).topMargin, before.topMargin + 9);
  // With the header current the upper edge is the header's top, and the
  // body's margin stays.
  document->SelectHeaderForPage(0);
  ASSERT_TRUE(document->IsHeaderCurrent());
  EXPECT_EQ(vRuler->EdgeKind(true), xMorvaRuler::kDragHeaderTop);
  vRuler->GetGeometry(g);
  const int32_t margin = document->GetParams().GetBands(false).topMargin;
  const int32_t headerTop = document->GetParams().GetBands(false).headerTop;
  Drag(vRuler, VPoint(10, g.textTop), {VPoint(10, g.textTop + 2)}, true);
  EXPECT_EQ(document->GetParams().GetBands(false).topMargin, margin);
  int32_t minimum = 0, maximum = 0;
  document->GetHeaderTopRange(false, minimum, maximum);
  EXPECT_EQ(document->GetParams().GetBands(false).headerTop,
            std::clamp(headerTop + 2, minimum, maximum));
}

TEST_F(RulerTest, TheTabSelectorsCommandsAndItsBorder) {
  EXPECT_EQ(xMorvaTabSelector::KindOfCommand(1031), 1);
  EXPECT_EQ(xMorvaTabSelector::KindOfCommand(1035), 5);
  EXPECT_EQ(xMorvaTabSelector::KindOfCommand(1030), 0);
  EXPECT_EQ(xMorvaTabSelector::KindOfCommand(1036), 0);
  // Through the document's command execution, as the menu's items run.
  EXPECT_TRUE(document->DoCommand(1035));
  EXPECT_EQ(selector->GetCurrentKind(), 5);
  selector->SetCurrentKind(0);
  selector->SetCurrentKind(6);
  EXPECT_EQ(selector->GetCurrentKind(), 5);
  // The outer border answers no press.
  VEvent border(2, 2, 1, false, false, false, false, false, 1, 0);
  EXPECT_TRUE(selector->MouseDown(border));
  EXPECT_EQ(selector->GetCurrentKind(), 5);
}

}  // namespace
