// The text view of an editing area: its inset, its scrolling to the caret
// and by the wheel, typing through it, the edit menu's states and titles,
// the cursor over the selection, its clone on a pane split, and what it
// draws.
#include "area/view/xMorvaFrame.h"

#include <gtest/gtest.h>

#include <string>

#include "area/tests/AreaTestSupport.h"
#include "document/xMorvaText.h"
#include "document/xMorvaUndo.h"
#include "graphics/VDIBPort.h"
#include "views/VEvent.h"
#include "views/VPaneView.h"
#include "views/VShortcut.h"

namespace {

using areatest::AreaTest;

TEST(FrameInset, CentresThePageOnlyInPageView) {
  struct Row {
    int16_t mode;
    int32_t width, page, inset;
  };
  const Row rows[] = {
      {0, 300, 600, 4},   // narrower than the page: the edge only
      {0, 608, 600, 4},   // exactly the page and its edges
      {0, 610, 600, 5},   // two pixels more: one on each side
      {0, 611, 600, 5},   // integer halves
      {0, 708, 600, 54},  // centred
      {1, 708, 600, 0},   // continuous view
      {2, 708, 600, 0},   // any view other than pages
  };
  for (const Row& r : rows) {
    EXPECT_EQ(xMorvaFrame::TextInsetFor(r.mode, r.width, r.page), r.inset) << r.mode << " " << r.width;
  }
}

class TextViewTest : public AreaTest {
 protected:
  // A form area whose frame is `width` x `height`.
  // The pane lays the frame out inside its scroll bars.
  xMorvaFrame* MakeFrame(int32_t width = 300, int32_t height = 200) {
    area = NewFormArea();
    document = area->GetDocument();
    EXPECT_EQ(area->GetFrames().size(), 1u);
    xMorvaFrame* frame = area->GetFrames().front();
    area->GetPaneView()->ResizeTo(width, height, 0);
    return frame;
  }
  void Type(xMorvaFrame* frame, const std::string& text) {
    for (char c : text) {
      const VShortcut key(c == '\n' ? char16_t(0) : char16_t(c), c == '\n' ? kKeyReturn : int16_t(c), false,
                          false, false);
      EXPECT_EQ(frame->KeyDown(key), 0) << c;
    }
  }
  xMorvaPlugIn* area = nullptr;
  xMorvaDocument* document = nullptr;
};

TEST_F(TextViewTest, TheAreaMakesOneActiveFrameAsItsPanesContent) {
  xMorvaFrame* frame = MakeFrame();
  EXPECT_EQ(area->GetActiveFrame(), frame);
  EXPECT_EQ(area->GetPaneView()->GetContentView(), frame);
  EXPECT_EQ(frame->GetDocument(), document);
  EXPECT_EQ(frame->GetKind(), 0x584D4F52u);
  EXPECT_EQ(frame->GetCursorId(), xMorvaFrame::kCursorText);
  EXPECT_EQ(area->GetPaneView()->GetMinimumWidth(), 80);
  EXPECT_EQ(area->GetPaneView()->GetMinimumHeight(), 80);
  EXPECT_TRUE(frame->HandlesEditCommands());
  // The document's content size reached the frame.
  int32_t width = 0, height = 0;
  document->GetContentSize(width, height);
  EXPECT_EQ(frame->GetContentWidth(), width);
  EXPECT_EQ(frame->GetContentHeight(), height);
}

TEST_F(TextViewTest, TheWheelScrolls48PixelsAStep) {
  xMorvaFrame* frame = MakeFrame();
  frame->SetContentSize(2000, 5000, false, 0);
  frame->ScrollTo(0, 1000, false, 0);
  struct Row {
    int16_t count;
    int32_t y;
  };
  for (const Row& r : {Row{1, 952}, Row{-2, 1048}, Row{0, 1048}}) {
    VEvent wheel(0, 0, 0, false, false, false, false, false, 0, static_cast<uint16_t>(r.count));
    frame->MouseWheel(wheel);
    EXPECT_EQ(frame->GetScrollY(), r.y) << r.count;
  }
}

TEST_F(TextViewTest, ScrollToShowBringsTheCaretLineIntoView) {
  xMorvaFrame* frame = MakeFrame(300, 200);
  frame->SetContentSize(3000, 5000, false, 0);
  const int32_t inset = frame->TextInset();
  const int32_t w = frame->GetWidth();
  const int32_t h = frame->GetHeight();
  ASSERT_GT(w, 200);
  ASSERT_GT(h, 100);
  struct Row {
    int32_t fromX, fromY, x, y, height, toX, toY;
  };
  const Row rows[] = {
      {0, 0, 10, 10, 15, 0, 0},                              // in view: nothing
      {0, 0, 10, 400, 15, 0, 400 + 15 + 5 - h},              // below: 5 pixels under it
      {0, 1000, 10, 900, 15, 0, 900 + 15 - h},               // above: lands at the bottom edge
      {500, 0, 100, 10, 15, 100 + inset - 20, 0},            // left of the view
      {0, 0, 700, 10, 15, 700 + inset + 20 - w, 0},          // right of the view
  };
  for (const Row& r : rows) {
    frame->ScrollTo(r.fromX, r.fromY, false, 0);
    frame->ScrollToShow(r.x, r.y, r.height);
    EXPECT_EQ(frame->GetScrollX(), r.toX) << r.x << "," << r.y;
    EXPECT_EQ(frame->GetScrollY(), r.toY) << r.x << "," << r.y;
  }
  // A hidden frame does not move.
  frame->ScrollTo(0, 0, false, 0);
  frame->SetVisible(false);
  frame->ScrollToShow(10, 400, 15);
  EXPECT_EQ(frame->GetScrollY(), 0);
  frame->SetVisible(true);
  frame->ScrollTo(40, 60, false, 0);
  frame->ScrollToOrigin();
  EXPECT_EQ(frame->GetScrollX(), 0);
  EXPECT_EQ(frame->GetScrollY(), 0);
}

TEST_F(TextViewTest, KeysTypeIntoTheDocumentAndAHiddenFrameLeavesItAlone) {
  xMorvaFrame* frame = MakeFrame();
  xMorvaTextInterface* text = document->GetCurrentPart();
  ASSERT_NE(text, nullptr);
  Type(frame, "Dear\nSir");
  EXPECT_EQ(text->GetSelStart(), 8);
  EXPECT_FALSE(text->HasSelection());
  // Control characters and command keys are not the text's.
  EXPECT_EQ(frame->KeyDown(VShortcut(char16_t(7), 7, false, false, false)), kKeyNotHandled);
  EXPECT_EQ(frame->KeyDown(VShortcut(char16_t('b'), 'B', true, false, false)), kKeyNotHandled);
  // A hidden frame answers "not handled" without touching the document.
  const uint32_t size = text->GetStreamSize();
  frame->SetVisible(false);
  VEvent key;
  EXPECT_EQ(frame->HandleKey(key), kKeyNotHandled);
  EXPECT_EQ(text->GetStreamSize(), size);
  // A locked area takes the key and changes nothing.
  frame->SetVisible(true);
  area->StoreAreaLock(true);
  EXPECT_EQ(frame->KeyDown(VShortcut(char16_t('x'), 'X', false, false, false)), 0);
  EXPECT_EQ(text->GetStreamSize(), size);
}

TEST_F(TextViewTest, EditStateFollowsTheUndoTheSelectionAndTheProtection) {
  xMorvaFrame* frame = MakeFrame();
  EXPECT_EQ(frame->UpdateEditCommands(), xMorvaFrame::kEditPaste);
  Type(frame, "abc");
  document->GetUndo()->Commit();
  const int32_t typed = frame->UpdateEditCommands();
  EXPECT_EQ(typed, xMorvaFrame::kEditPaste | xMorvaFrame::kEditUndo | xMorvaFrame::kEditSelectAll);
  document->GetCurrentPart()->SetSelection(0, 2);
  const int32_t all = xMorvaFrame::kEditPaste | xMorvaFrame::kEditUndo | xMorvaFrame::kEditSelectAll |
                      xMorvaFrame::kEditCut | xMorvaFrame::kEditCopy | xMorvaFrame::kEditClear;
  EXPECT_EQ(frame->UpdateEditCommands(), all);
  // Each allowed byte of commands 1 to 7 guards its own bit.
  struct Row {
    int32_t command, bit;
  };
  for (const Row& r : {Row{1, xMorvaFrame::kEditUndo}, Row{3, xMorvaFrame::kEditCut}, Row{4, xMorvaFrame::kEditCopy},
                       Row{5, xMorvaFrame::kEditPaste}, Row{6, xMorvaFrame::kEditClear},
                       Row{7, xMorvaFrame::kEditSelectAll}}) {
    area->SetAllowedByte(r.command, false);
    EXPECT_EQ(frame->UpdateEditCommands(), all & ~r.bit) << r.command;
    area->SetAllowedByte(r.command, true);
  }
  // Protected, by the area's lock or the document's: copy and select all.
  area->StoreAreaLock(true);
  EXPECT_EQ(frame->UpdateEditCommands(), xMorvaFrame::kEditCopy | xMorvaFrame::kEditSelectAll);
  area->StoreAreaLock(false);
  document->Infos().SetLocked(1);
  EXPECT_EQ(frame->UpdateEditCommands(), xMorvaFrame::kEditCopy | xMorvaFrame::kEditSelectAll);
}

TEST_F(TextViewTest, UndoAndRedoTitlesNameTheStep) {
  xMorvaFrame* frame = MakeFrame();
  VStr<255> title;
  auto text = [&](bool redo) {
    title.SetEmpty(false);
    if (redo) {
      frame->GetRedoTitle(title);
    } else {
      frame->GetUndoTitle(title);
    }
    char buffer[256] = {};
    title.GetCText(buffer, sizeof buffer, kCharSetMac);
    return std::string(buffer);
  };
  EXPECT_EQ(text(false), "Can't Undo");
  EXPECT_EQ(text(true), "Can't Redo");
  Type(frame, "abc");
  document->GetUndo()->Commit();
  EXPECT_EQ(text(false), "Undo Typing");
  while (document->GetUndo()->CanUndo()) document->Undo();
  EXPECT_EQ(text(true), "Redo Typing");
  EXPECT_EQ(text(false), "Can't Undo");
}

TEST_F(TextViewTest, OverTheSelectionTheCursorIsTheArrow) {
  xMorvaFrame* frame = MakeFrame(400, 200);
  Type(frame, "Hello world");
  int32_t x = 0, y = 0, top = 0, height = 0;
  document->GetCaretGeometry(x, y, top, height);
  const int32_t inset = frame->TextInset();
  // Outside a selection: the text beam.
  EXPECT_EQ(frame->CursorIdAt(inset + x - 20, top + height / 2), xMorvaFrame::kCursorText);
  document->GetCurrentPart()->SetSelection(0, 11);
  EXPECT_EQ(frame->CursorIdAt(inset + x - 20, top + height / 2), xMorvaFrame::kCursorArrow);
}

TEST_F(TextViewTest, APaneSplitClonesTheFrameForTheSameDocument) {
  xMorvaFrame* frame = MakeFrame(300, 400);
  VPaneView* pane = area->GetPaneView();
  frame->SetContentSize(1000, 3000, false, 0);
  frame->ScrollTo(0, 120, false, 0);
  ASSERT_TRUE(pane->Split(VPaneView::kStacked, 200));
  ASSERT_EQ(area->GetFrames().size(), 2u);
  auto* copy = dynamic_cast<xMorvaFrame*>(pane->GetSecondChild()->GetContentView());
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy, frame);
  EXPECT_EQ(copy->GetDocument(), document);
  EXPECT_EQ(copy->GetArea(), area);
  EXPECT_EQ(copy->GetContentHeight(), 3000);
  // The document's content size reaches both.
  document->UpdateFrameContentSize();
  EXPECT_EQ(copy->GetContentHeight(), frame->GetContentHeight());
  // Joining the panes again leaves one frame.
  pane->Unsplit(false);
  EXPECT_EQ(area->GetFrames().size(), 1u);
}

TEST_F(TextViewTest, DrawsTheDocumentPageWithItsInset) {
  xMorvaFrame* frame = MakeFrame(376, 176);
  Type(frame, "Qv Morva\nA second paragraph of text.");
  document->SetViewMode(0);
  frame->ScrollTo(0, 0, false, 0);
  frame->ResizeTo(360, 160, 0);
  ASSERT_EQ(frame->TextInset(), 4);
  VDIBPort canvas(360, 160, 32);
  frame->DrawContent(canvas);
  const auto* bits = static_cast<const uint32_t*>(canvas.GetBits());
  auto at = [&](int32_t x, int32_t y) { return bits[y * 360 + x] & 0xFFFFFF; };
  // Grey left of the page, the paper's background right of its edge.
  const uint32_t paper = at(300, 150);
  EXPECT_NE(at(1, 80), paper);
  EXPECT_EQ(at(4 + 2, 150), paper);
  // Ink on the first line, between the left margin and the frame's edge.
  const int32_t left = 4 + document->GetParams().TextLeft(0);
  int32_t x = 0, y = 0, top = 0, height = 0;
  document->GetCurrentPart()->SetSelection(0, 0);
  document->GetCaretGeometry(x, y, top, height);
  int32_t ink = 0;
  for (int32_t row = top; row < top + height && row < 160; ++row) {
    for (int32_t column = left; column < 360; ++column) ink += at(column, row) != paper;
  }
  EXPECT_GT(ink, 20);
  // A view scrolled past the first page's top shows the same page lower.
  frame->SetContentSize(2000, 4000, false, 0);
  frame->ScrollTo(0, 10, false, 0);
  VDIBPort scrolled(360, 160, 32);
  scrolled.PushOrigin(0, -10);
  frame->DrawContent(scrolled);
  scrolled.PopOrigin();
  const auto* moved = static_cast<const uint32_t*>(scrolled.GetBits());
  EXPECT_EQ(moved[(top + height / 2 - 10) * 360 + left + 3] & 0xFFFFFF, at(left + 3, top + height / 2));
}

TEST_F(TextViewTest, AScrollByTheContainerMovesAndDrawsWhatItUncovers) {
  xMorvaFrame* frame = MakeFrame(376, 176);
  Type(frame, "Scrolled text");
  document->SetViewMode(0);
  frame->SetContentSize(2000, 4000, false, 0);
  frame->ScrollTo(0, 0, false, 0);
  frame->ResizeTo(360, 160, 0);
  VDIBPort canvas(frame->GetWidth(), frame->GetHeight(), 32);
  struct Row {
    int32_t dx, dy, x, y;
  };
  for (const Row& r : {Row{0, 30, 0, 30}, Row{12, -10, 12, 20}, Row{0, 0, 12, 20}}) {
    canvas.PushOrigin(-(frame->GetScrollX() + r.dx), -(frame->GetScrollY() + r.dy));
    frame->ScrollBy(&canvas, r.dx, r.dy);
    canvas.PopOrigin();
    EXPECT_EQ(frame->GetScrollX(), r.x);
    EXPECT_EQ(frame->GetScrollY(), r.y);
  }
  // Drawn: the frame counts as drawn and asks for its redraw after the
  // scroll; the page reached the canvas.
  EXPECT_TRUE(frame->IsDrawnMarkSet());
  EXPECT_TRUE(frame->IsRedrawPending());
  const auto* bits = static_cast<const uint32_t*>(canvas.GetBits());
  const uint32_t corner = bits[0] & 0xFFFFFF;
  int32_t differing = 0;
  for (int32_t i = 0; i < frame->GetWidth() * frame->GetHeight(); ++i) differing += (bits[i] & 0xFFFFFF) != corner;
  EXPECT_GT(differing, 100);
  // A full draw clears the request.
  frame->DrawContent(canvas);
  EXPECT_FALSE(frame->IsRedrawPending());
}

}  // namespace
