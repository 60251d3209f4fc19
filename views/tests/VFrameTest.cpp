// Frames and views placed in a headless window: coordinates, the update
// region after each invalidation mode, pixels drawn at once, visible regions,
// drawing and hit order, scrolling, drops, the input method and what happens
// to frames outside a window, with dead windows and odd parents.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/core/strings/VUniString.h"
#include "views/VDragTypeList.h"
#include "views/VEvent.h"
#include "views/VFrameServices.h"
#include "views/VWindowView.h"
#include "views/tests/HeadlessWindowTest.h"
#include "graphics/VPort.h"
#include "graphics/VRegion.h"
#include "platform/gdi/WinGdi.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinPaint.h"
#include "platform/win32/WinWindowState.h"
#include "platform/win32/WinWindows.h"

namespace {

std::vector<std::string> gLog;

// A frame that paints itself in one colour and logs what reaches it.
class Probe : public VView {
 public:
  Probe(VFrame* parent, const char* name, int32_t x, int32_t y, int32_t w, int32_t h,
        COLORREF color = RGB(255, 0, 0), bool handles = false)
      : VView(parent), fName(name), fColor(color), fHandles(handles) {
    MoveTo(x, y, 0);
    ResizeTo(w, h, 0);
  }
  ~Probe() override { gLog.push_back("delete " + fName); }
  void DrawContent(VPort& port) override {
    gLog.push_back("draw " + fName);
    port.SetFillColor(fColor);
    port.PaintRect(0, 0, GetWidth(), GetHeight());
  }
  bool MouseDown(VEvent& e) override {
    gLog.push_back("down " + fName + " " + std::to_string(e.GetX()) + "," +
                   std::to_string(e.GetY()));
    return fHandles;
  }
  void Close() override {
    gLog.push_back("close " + fName);
    VView::Close();
  }
  int32_t HandleKey(VEvent&) override {
    gLog.push_back("key " + fName);
    return fKeyAnswer;
  }
  VDragTypeList* GetDragTypes() const override { return fTypes; }
  std::string fName;
  COLORREF fColor;
  bool fHandles;
  int32_t fKeyAnswer = 1;
  VDragTypeList* fTypes = nullptr;
};

class Frames : public HeadlessWindowTest {
 protected:
  Frames() : HeadlessWindowTest(200, 100) {}
  void SetUp() override {
    gLog.clear();
    HeadlessWindowTest::SetUp();
    ValidateRect(window_, nullptr);
  }
};

TEST_F(Frames, OriginsFollowMovesDownTheTreeAndScreenAddsTheWindowPlace) {
  auto* outer = new Probe(root_, "outer", 10, 20, 100, 60);
  auto* inner = new Probe(outer, "inner", 5, 6, 10, 10);
  int32_t x = 0, y = 0;
  inner->GetOrigin(x, y);
  EXPECT_EQ(x, 15);
  EXPECT_EQ(y, 26);
  outer->MoveTo(30, 40, 0);
  inner->GetOrigin(x, y);
  EXPECT_EQ(x, 35);
  EXPECT_EQ(y, 46);
  SetHeadlessWindowOrigin(window_, 100, 50);
  inner->LocalToScreen(x, y);
  POINT client{0, 0};
  ClientToScreen(window_, &client);
  EXPECT_EQ(x, client.x + 35);
  EXPECT_EQ(y, client.y + 46);
  // A frame without a parent has its origin at (0, 0) wherever it is moved.
  VFrame lone(nullptr, nullptr);
  lone.MoveTo(7, 9, 2);
  lone.GetOrigin(x, y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
}

TEST_F(Frames, EachInvalidationModeReachesTheUpdateRegionAsItShould) {
  struct Case {
    int16_t mode;
    bool invalid;
    bool drawn;
  };
  const Case cases[] = {{0, false, false}, {1, true, false}, {2, false, true}, {3, true, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    auto* f = new Probe(root_, "f", 20, 10, 30, 20, RGB(0, 0, 255));
    ValidateRect(window_, nullptr);
    InvalidateRect(window_, nullptr, FALSE_);  // mode 2 must validate what it drew
    if (c.mode != 2) ValidateRect(window_, nullptr);
    gLog.clear();
    f->Invalidate(c.mode);
    EXPECT_EQ(Invalid(25, 15), c.invalid);
    EXPECT_FALSE(Invalid(5, 5) && c.mode != 2);
    EXPECT_EQ(Pixel(25, 15) == RGB(0, 0, 255), c.drawn);
    EXPECT_EQ(root_->GetPortUses(), 0);
    f->Close();
    delete f;
    HDC dc = GetDC(window_);
    PatBlt(dc, 0, 0, 200, 100, WHITENESS);
    ReleaseDC(window_, dc);
  }
}

TEST_F(Frames, ImmediateDrawingLeavesTheSiblingAboveAlone) {
  auto* below = new Probe(root_, "below", 10, 10, 60, 40, RGB(255, 0, 0));
  auto* above = new Probe(root_, "above", 40, 20, 60, 40, RGB(0, 255, 0));
  above->Invalidate(2);
  below->Invalidate(2);
  EXPECT_EQ(Pixel(20, 20), RGB(255, 0, 0));
  EXPECT_EQ(Pixel(50, 30), RGB(0, 255, 0));  // covered part kept the upper frame
  VRegion visible;
  below->GetVisibleRegion(visible);
  EXPECT_FALSE(PtInRegion(visible.GetHandle(), 50, 30));
  EXPECT_TRUE(PtInRegion(visible.GetHandle(), 20, 20));
  // Hidden siblings cover nothing.
  above->SetVisible(false);
  below->GetVisibleRegion(visible);
  EXPECT_TRUE(PtInRegion(visible.GetHandle(), 50, 30));
}

TEST_F(Frames, ATransparentFrameDrawnAtOnceShowsItsParentUnderIt) {
  auto* parent = new Probe(root_, "parent", 20, 10, 100, 60, RGB(0, 0, 255));
  struct Glass : VFrame {
    using VFrame::VFrame;
    void DrawContent(VPort&) override {}
  };
  const int32_t rect[4] = {10, 10, 30, 20};
  auto* glass = new Glass(parent, rect);
  glass->SetDrawsParentBehind(true);
  gLog.clear();
  glass->Invalidate(2);
  EXPECT_EQ(gLog, (std::vector<std::string>{"draw parent"}));
  EXPECT_EQ(Pixel(35, 25), RGB(0, 0, 255));      // inside the glass
  EXPECT_EQ(Pixel(25, 15), RGB(255, 255, 255));  // the parent outside it is not copied
  EXPECT_EQ(root_->GetPortUses(), 0);
}

TEST_F(Frames, DrawingRunsInListOrderAndClicksTheOtherWay) {
  auto* a = new Probe(root_, "a", 0, 0, 50, 50);
  auto* b = new Probe(root_, "b", 10, 10, 50, 50);
  auto* hidden = new Probe(root_, "hidden", 0, 0, 100, 100);
  hidden->SetVisible(false);
  auto* flat = new Probe(root_, "flat", 0, 0, 100, 100);
  flat->SetClickable(false);
  flat->SetVisible(false);
  root_->FindFrameAt(VPoint(0, 0));
  VPort* port = root_->GetPort();
  ASSERT_NE(port, nullptr);
  gLog.clear();
  root_->Draw(*port);
  root_->FlushWindow();
  EXPECT_EQ(gLog, (std::vector<std::string>{"draw a", "draw b"}));
  flat->SetVisible(true);
  gLog.clear();
  VEvent click(20, 25, 0, false, false, false, false, false, 1, 0);
  EXPECT_FALSE(root_->DispatchMouse(click));
  // Each try sees the point in its own coordinates; the point is put back.
  EXPECT_EQ(gLog, (std::vector<std::string>{"down b 10,15", "down a 20,25"}));
  EXPECT_EQ(click.GetX(), 20);
  a->fHandles = true;
  b->fHandles = true;
  gLog.clear();
  EXPECT_TRUE(root_->DispatchMouse(click));
  EXPECT_EQ(gLog, (std::vector<std::string>{"down b 10,15"}));
  EXPECT_EQ(root_->FindFrameAt(VPoint(5, 5)), flat);
  EXPECT_EQ(root_->FindClickTarget(VPoint(15, 15), true), b);
  EXPECT_EQ(root_->FindFrameAt(VPoint(500, 5)), nullptr);
}

TEST_F(Frames, ScrollingTooFarAsksForTheWholeFrame) {
  auto* f = new Probe(root_, "f", 10, 10, 40, 30);
  struct Case {
    int32_t dx, dy;
    RECT box;
  };
  const Case cases[] = {{40, 0, {0, 0, 40, 30}},
                        {0, -30, {0, 0, 40, 30}},
                        {5, 0, {0, 0, 5, 30}},
                        {0, -4, {0, 26, 40, 30}}};
  for (const Case& c : cases) {
    VRegion r;
    f->ScrollPixels(c.dx, c.dy, r);
    RECT box{};
    GetRgnBox(r.GetHandle(), &box);
    EXPECT_EQ(box.left, c.box.left);
    EXPECT_EQ(box.top, c.box.top);
    EXPECT_EQ(box.right, c.box.right);
    EXPECT_EQ(box.bottom, c.box.bottom);
  }
}

TEST_F(Frames, DropsAreTestedAgainstTheInsetBox) {
  auto* f = new Probe(root_, "f", 10, 10, 40, 30);
  VDragTypeList types;
  VStr<32> name;
  name.SetCText("TEXT", kCharSetAnsi);
  EXPECT_EQ(f->AcceptsDragAt(VPoint(5, 5), &types, ~0u), nullptr);  // no types
  types.AddType(true, true, name);
  types.SetInsets(4, 3, 8, 6);
  types.SetMask(1);
  f->fTypes = &types;
  VDragTypeList dragged;
  dragged.AddType(true, true, name);
  struct Case {
    int32_t x, y;
    bool in;
  };
  const Case cases[] = {{-4, -3, true}, {-5, 0, false}, {0, -4, false}, {43, 0, true},
                        {44, 0, false}, {0, 32, true},  {0, 33, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.x * 100 + c.y);
    EXPECT_EQ(f->AcceptsDragAt(VPoint(c.x, c.y), &dragged, ~0u) == f, c.in);
  }
  f->fTypes = nullptr;
}

TEST_F(Frames, LooksInheritTitlesRedrawAndCornersCountTwoPixels) {
  auto* outer = new Probe(root_, "outer", 0, 0, 200, 100);
  auto* inner = new Probe(outer, "inner", 0, 0, 10, 10);
  outer->SetLookIndex(3);
  inner->SetLookIndex(-5);
  EXPECT_EQ(inner->GetEffectiveLookIndex(), 3);
  inner->SetLookIndex(-1);
  EXPECT_EQ(inner->GetEffectiveLookIndex(), -1);
  ValidateRect(window_, nullptr);
  inner->SetTitle("Titre");
  ASSERT_NE(inner->GetTitle(), nullptr);
  EXPECT_EQ(inner->GetTitle()->GetLength(), 5);
  EXPECT_TRUE(Invalid(5, 5));
  inner->SetTitle(static_cast<const char*>(nullptr));
  EXPECT_EQ(inner->GetTitle()->GetLength(), 0);
  root_->SetGrowBox(true);
  inner->MoveTo(188, 88, 0);
  inner->ResizeTo(10, 10, 0);
  EXPECT_TRUE(inner->IsAtWindowCorner());  // 2 pixels short
  inner->MoveTo(187, 88, 0);
  EXPECT_FALSE(inner->IsAtWindowCorner());  // 3 pixels short
  root_->SetGrowBox(false);
  inner->MoveTo(190, 90, 0);
  EXPECT_FALSE(inner->IsAtWindowCorner());
}

TEST_F(Frames, ClosingGoesFrontToBackAndDeletingAViewTakesItsFrames) {
  auto* v = new Probe(root_, "v", 0, 0, 100, 100);
  auto* a = new Probe(v, "a", 0, 0, 10, 10);
  new Probe(a, "a1", 0, 0, 5, 5);
  new Probe(v, "b", 0, 0, 10, 10);
  v->Close();
  EXPECT_EQ(gLog, (std::vector<std::string>{"close v", "close a", "close a1", "delete a1",
                                            "delete a", "close b", "delete b"}));
  EXPECT_TRUE(v->GetSubFrames().empty());
  EXPECT_TRUE(v->IsClosing());
  // Without Close the frames still go, and the view is gone from its parent.
  new Probe(v, "c", 0, 0, 10, 10);
  gLog.clear();
  delete v;
  EXPECT_EQ(gLog, (std::vector<std::string>{"delete v", "close c", "delete c"}));
  EXPECT_TRUE(root_->GetSubFrames().empty());
}

TEST_F(Frames, ClonesKeepTheSubFramesInOrder) {
  auto* v = new Probe(root_, "v", 5, 6, 100, 80);
  auto* a = new VFrame(v, nullptr);
  a->MoveTo(1, 2, 0);
  auto* b = new VFrame(v, nullptr);
  b->MoveTo(3, 4, 0);
  b->SetTitle("b");
  b->SetEnabled(true);
  auto* copy = static_cast<VView*>(v->VView::Clone(root_, 0));
  ASSERT_EQ(copy->GetSubFrames().size(), 2u);
  int32_t x = 0, y = 0;
  copy->GetSubFrames()[1]->GetPosition(x, y);
  EXPECT_EQ(x, 3);
  EXPECT_EQ(y, 4);
  EXPECT_EQ(copy->GetSubFrames()[1]->GetTitle()->GetLength(), 1);
  EXPECT_TRUE(copy->GetSubFrames()[1]->IsEnabled());
  EXPECT_EQ(copy->GetSubFrames()[0]->GetParent(), copy);
  EXPECT_EQ(copy->GetWidth(), 100);
  // A copy made inside its own source holds the source's frames once.
  auto* inside = static_cast<VView*>(v->VView::Clone(v, 0));
  EXPECT_EQ(inside->GetSubFrames().size(), 2u);
}

TEST_F(Frames, ParentsThatWouldMakeALoopAreRefused) {
  auto* v = new Probe(root_, "v", 0, 0, 50, 50);
  auto* child = new Probe(v, "child", 0, 0, 10, 10);
  v->SetParent(child);
  EXPECT_EQ(v->GetParent(), root_);
  v->SetParent(v);
  EXPECT_EQ(v->GetParent(), root_);
  child->SetParent(root_);
  EXPECT_EQ(root_->GetSubFrames().back(), child);
  EXPECT_TRUE(v->GetSubFrames().empty());
  // The same frame added twice stays once; a view never holds itself or
  // its parent.
  root_->AddSubView(child);
  EXPECT_EQ(root_->GetSubFrames().size(), 2u);
  v->AddSubView(v);
  v->AddSubView(root_);
  EXPECT_TRUE(v->GetSubFrames().empty());
}

TEST_F(Frames, OutsideAWindowNothingIsDrawnOrFound) {
  VView lone(nullptr);
  auto* f = new VFrame(&lone, nullptr);
  f->Invalidate(2);
  EXPECT_EQ(f->GetPort(), nullptr);
  EXPECT_EQ(f->GetWindowHandle(), nullptr);
  EXPECT_EQ(f->GetFocusFrame(), nullptr);
  EXPECT_EQ(f->GetFocusManager(), nullptr);
  EXPECT_FALSE(f->RequestFocus());
  EXPECT_EQ(f->FindCommand(5), nullptr);
  EXPECT_EQ(f->GetCommandLong(5), 0);
  EXPECT_FALSE(f->IsEnabled());
  VStr<32> t;
  t.SetCText("x", kCharSetAnsi);
  f->GetCommandTitle(t, 5);
  EXPECT_EQ(t.GetLength(), 0);
}

TEST_F(Frames, ADeadWindowTakesNoDrawing) {
  auto* f = new Probe(root_, "f", 0, 0, 20, 20);
  DestroyWindow(window_);
  gLog.clear();
  f->Invalidate(2);
  f->Invalidate(1);
  EXPECT_TRUE(gLog.empty());
  EXPECT_EQ(f->GetWindowHandle(), nullptr);
  EXPECT_EQ(root_->GetPort(), nullptr);
}

TEST_F(Frames, APortIsLentOnceUntilTheFlush) {
  auto* v = new Probe(root_, "v", 10, 20, 50, 50);
  auto* f = new Probe(v, "f", 3, 4, 5, 5);
  VPort* p1 = f->GetPort();
  ASSERT_NE(p1, nullptr);
  EXPECT_EQ(p1->GetOriginX(), 13);
  EXPECT_EQ(f->GetPort(), nullptr);  // still lent out
  EXPECT_EQ(root_->GetPortUses(), 1);
  // Drawing at once finds no port and marks the frame invalid instead.
  ValidateRect(window_, nullptr);
  f->Invalidate(2);
  EXPECT_TRUE(Invalid(14, 25));
  f->FlushWindow();
  EXPECT_EQ(root_->GetPortUses(), 0);
  f->FlushWindow();  // a flush too many changes nothing
  EXPECT_EQ(root_->GetPortUses(), 0);
  VPort* p2 = f->GetPort();
  ASSERT_NE(p2, nullptr);
  EXPECT_EQ(p2->GetOriginX(), 13);
  f->FlushWindow();
}

TEST_F(Frames, TheInputMethodIsToldTheFontAndPlaceAndCompleted) {
  auto* f = new Probe(root_, "f", 10, 20, 50, 50);
  VStr<64> face;
  face.SetCText("A face name longer than thirty-two bytes", kCharSetAnsi);
  f->SetCompositionPlace(face, 12, true, false, 5, 7);
  HeadlessImeRecord r{};
  ASSERT_TRUE(GetHeadlessImeRecord(window_, &r));
  LOGFONTA font;
  std::memcpy(&font, r.font, sizeof font);
  EXPECT_EQ(font.lfHeight, -16);  // 12 points at 96 pixels per inch
  EXPECT_EQ(font.lfWeight, 700);
  EXPECT_EQ(font.lfCharSet, 1);
  EXPECT_EQ(std::string(font.lfFaceName),
            std::string("A face name longer than thirty-").substr(0, 31));
  EXPECT_EQ(r.form.dwStyle, CFS_POINT);
  EXPECT_EQ(r.form.ptCurrentPos.x, 10 + 5 - 1);
  EXPECT_EQ(r.form.ptCurrentPos.y, 27);
  // A closed context is not moved or completed; an open one is.
  f->MoveTo(20, 20, 0);
  f->LoseFocus(nullptr);
  ASSERT_TRUE(GetHeadlessImeRecord(window_, &r));
  EXPECT_EQ(r.formCalls, 1u);
  EXPECT_EQ(r.completions, 0u);
  ImmSetOpenStatus(ImmGetContext(window_), TRUE_);
  f->MoveTo(30, 20, 0);
  f->LoseFocus(nullptr);
  ASSERT_TRUE(GetHeadlessImeRecord(window_, &r));
  EXPECT_EQ(r.formCalls, 2u);
  EXPECT_EQ(r.form.ptCurrentPos.x, 30 + 5 - 1);
  EXPECT_EQ(r.completions, 1u);
}

TEST_F(Frames, KeysFollowTheNextKeyLinksWhileNotHandled) {
  auto* a = new Probe(root_, "a", 0, 0, 5, 5);
  auto* b = new Probe(root_, "b", 0, 0, 5, 5);
  auto* c = new Probe(root_, "c", 0, 0, 5, 5);
  a->SetNextKeyFrame(b);
  b->SetNextKeyFrame(c);
  c->SetNextKeyFrame(b);  // a loop ends after one round
  VEvent key;
  gLog.clear();
  EXPECT_EQ(a->DispatchKey(key), 1);
  EXPECT_EQ(gLog, (std::vector<std::string>{"key a", "key b", "key c"}));
  b->fKeyAnswer = 0;
  gLog.clear();
  EXPECT_EQ(a->DispatchKey(key), 0);
  EXPECT_EQ(gLog, (std::vector<std::string>{"key a", "key b"}));
}

TEST_F(Frames, TheWalkerGoesDepthFirstAndBothWays) {
  auto* v = new Probe(root_, "v", 0, 0, 100, 100);
  auto* a = new Probe(v, "a", 0, 0, 10, 10);
  auto* a1 = new Probe(a, "a1", 0, 0, 5, 5);
  auto* b = new Probe(v, "b", 0, 0, 10, 10);
  struct NoViewsWithChildren : VViewWalker {
    using VViewWalker::VViewWalker;
    bool Accept(VFrame* f) override { return static_cast<Probe*>(f)->fName != "a"; }
  };
  struct Case {
    bool descend;
    bool filter;
    std::vector<VFrame*> order;
  };
  const Case cases[] = {{true, false, {a, a1, b}}, {false, false, {a, b}}, {true, true, {a1, b}}};
  for (const Case& c : cases) {
    NoViewsWithChildren filtered(v, c.descend);
    VViewWalker plain(v, c.descend);
    VViewWalker& w = c.filter ? filtered : plain;
    std::vector<VFrame*> forward;
    for (VFrame* f = w.First(); f != nullptr; f = w.Next()) forward.push_back(f);
    EXPECT_EQ(forward, c.order);
    std::vector<VFrame*> backward;
    for (VFrame* f = w.Last(); f != nullptr; f = w.Previous()) backward.insert(backward.begin(), f);
    EXPECT_EQ(backward, c.order);
  }
}

}  // namespace
