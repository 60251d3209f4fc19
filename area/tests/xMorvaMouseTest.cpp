// The mouse in a text area, by kind of press: single, double and triple
// clicks, Shift-clicks, margin clicks, selection drags (by character and
// by line, with scrolling), the click methods' offers, Control-clicks that
// insert a host field, and the presses that must change nothing. Over
// texts whose characters are more than one unit, every road that sets a
// caret or a selection (presses, drags, Home and End, the word commands,
// undo, redo and paste) stops at cluster edges.
#include "area/view/xMorvaMouse.h"

#include <gtest/gtest.h>

#include "area/tests/ClusterTexts.h"
#include "area/tests/TextInputSupport.h"
#include "area/view/xMorvaHyperlink.h"
#include "area/xMorvaDocumentAreaServices.h"
#include <cstring>
#include <tuple>

#include "boundary/HostSelectors.h"
#include "boundary/HostServiceSelectors.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaUndo.h"
#include "engine/xMorvaTextTransferEngine.h"
#include "framework/system/environment/VClipboard.h"
#include "platform/toolbox/TbxScrap.h"
#include "views/VEvent.h"

namespace {

using areatest::PString;
using Pair = std::pair<int32_t, int32_t>;

class MouseTest : public areatest::TextInputTest {
 protected:
  // A point on the left half of the character at `position`, content
  // coordinates of the frame.
  std::pair<int32_t, int32_t> PointOf(int32_t position) {
    const auto keep = Sel();
    Text()->SetSelection(position, position);
    int32_t x = 0, y = 0, top = 0, height = 0;
    document->GetCaretGeometry(x, y, top, height);
    Text()->SetSelection(keep.first, keep.second);
    return {x + frame->TextInset() + 1, top + height / 2};
  }
  void Press(int32_t x, int32_t y, int16_t clicks = 1, bool shift = false, bool control = false) {
    VEvent event(x, y, 0, false, control, false, false, shift, clicks, 0);
    xMorvaMouse::HandleMouse(*frame, event, control);
  }
  void ClickAt(int32_t position, int16_t clicks = 1, bool shift = false, bool control = false) {
    const auto p = PointOf(position);
    Press(p.first, p.second, clicks, shift, control);
  }
  // The text replaced by `text`, unit by unit as typed, and read back.
  void Load(const std::u16string& text) {
    Select(0, Text()->GetLength());
    for (const char16_t unit : text) document->TypeCharacter(unit);
    document->GetUndo()->Commit();
  }
  std::u16string Units() const {
    std::u16string out;
    uint8_t* bytes = Text()->LockStream();
    for (uint32_t at = 0; at < Text()->GetStreamSize();) {
      const StreamItem item = ReadStreamItem(bytes + at, Text()->GetStreamSize() - at);
      if (item.kind == StreamItem::kUnit) out.push_back(item.unit);
      at += item.size;
    }
    Text()->UnlockStream();
    return out;
  }
  // The click methods of kinds 1 to 3 answer `consume`.
  void WatchClicks(int32_t consume) {
    for (int16_t kind : {int16_t(1), int16_t(2), int16_t(3)}) {
      PString name("OnClick");
      Run(58, area->GetReference(), {&kind, name.bytes});
    }
    package->answer = consume;
    package->calls.clear();
  }
  // (kind, code) of each click method call.
  std::vector<Pair> Offers() const {
    std::vector<Pair> out;
    for (const auto& call : package->calls) {
      const size_t n = call.numbers.size();
      if (n >= 2) out.push_back({call.numbers[n - 2], call.numbers[n - 1]});
    }
    return out;
  }
};

// ---- Clicks.

TEST_F(MouseTest, AClickPutsTheCaretWhereItLandsAndCollapsesASelection) {
  Type("hello world");
  ClickAt(6);
  EXPECT_EQ(Sel(), Pair(6, 6));
  ClickAt(2);
  EXPECT_EQ(Sel(), Pair(2, 2));
  // Inside a selection: collapsed there.
  Select(1, 9);
  ClickAt(4);
  EXPECT_EQ(Sel(), Pair(4, 4));
}

TEST_F(MouseTest, ShiftClickExtendsFromTheFixedEnd) {
  Type("hello world");
  Select(3, 5);
  ClickAt(8, 1, true);
  EXPECT_EQ(Sel(), Pair(3, 8));
  EXPECT_FALSE(document->IsSelectionBackward());
  ClickAt(1, 1, true);
  EXPECT_EQ(Sel(), Pair(1, 3));
  EXPECT_TRUE(document->IsSelectionBackward());
  // Backward: the end is fixed.
  ClickAt(9, 1, true);
  EXPECT_EQ(Sel(), Pair(3, 9));
}

TEST_F(MouseTest, DoubleAndTripleClicksSelectTheWordAndTheParagraph) {
  Type("one two three\nnext");
  WatchClicks(0);
  ClickAt(5, 2);
  EXPECT_EQ(Sel(), Pair(4, 8));  // the word and its space
  ClickAt(5, 3);
  EXPECT_EQ(Sel(), Pair(0, 14));
  EXPECT_EQ(Offers(), (std::vector<Pair>{{1, 0}, {3, 0}}));
}

TEST_F(MouseTest, AConsumedClickDoesNothingMore) {
  Type("one two three");
  Caret(0);
  WatchClicks(1);
  ClickAt(5, 2);
  ClickAt(5, 3);
  EXPECT_EQ(Sel(), Pair(0, 0));
  EXPECT_EQ(Offers(), (std::vector<Pair>{{1, 0}, {3, 0}}));
  // A plain click that moves the caret is offered after it moved.
  ClickAt(5);
  EXPECT_EQ(Sel(), Pair(5, 5));
  // Clicking where the caret already is offers code 0 and keeps it.
  package->calls.clear();
  ClickAt(5);
  EXPECT_EQ(Offers(), (std::vector<Pair>{{2, 0}}));
}

// ---- The margin.

class MarginTest : public MouseTest {
 protected:
  void SetUp() override {
    MouseTest::SetUp();
    std::string text;
    for (int i = 0; i < 50; ++i) text += "word ";
    Type(text + "\nend");
    ASSERT_GE(LineOf(200), 2);
  }
  // A point left of the line holding `position`.
  std::pair<int32_t, int32_t> MarginOf(int32_t position) {
    auto p = PointOf(position);
    xMorvaLineLocation where;
    const auto keep = Sel();
    Text()->SetSelection(position, position);
    document->LocateOffset(Text()->GetSelStartOffset(), where);
    Text()->SetSelection(keep.first, keep.second);
    return {where.left + frame->TextInset() - 6, p.second};
  }
  int32_t LineStart(int32_t line) {
    for (int32_t p = 0; p <= Text()->GetLength(); ++p)
      if (LineOf(p) == line) return p;
    return -1;
  }
};

TEST_F(MarginTest, AMarginClickSelectsTheLineAndADoubleOneTheParagraph) {
  const int32_t two = LineStart(1);
  const int32_t three = LineStart(2);
  const auto m = MarginOf(two + 3);
  xMorvaTextHit hit;
  ASSERT_TRUE(xMorvaMouse::HitTest(*document, m.first - frame->TextInset(), m.second, false, hit));
  EXPECT_TRUE(hit.inMargin);
  EXPECT_EQ(hit.lineStart, two);
  EXPECT_EQ(hit.lineLength, three - two);
  Press(m.first, m.second);
  EXPECT_EQ(Sel(), Pair(two, three));
  // The second press of a double click lands in the line the first one
  // selected, and still means the paragraph.
  Press(m.first, m.second, 2);
  EXPECT_EQ(Sel(), Pair(0, 251));
}

TEST_F(MarginTest, DraggingUpInTheMarginSelectsWholeLines) {
  const int32_t one = LineStart(0);
  const int32_t four = LineStart(3);
  const auto from = MarginOf(LineStart(2) + 1);
  const auto to = MarginOf(one + 1);
  xMorvaTextHit hit;
  ASSERT_TRUE(xMorvaMouse::HitTest(*document, from.first - frame->TextInset(), from.second, false, hit));
  VEvent event(from.first, from.second, 0, false, false, false, false, false, 1, 0);
  xMorvaSelectionDragger dragger(*frame, event, from.first, from.second, hit.position, hit.offset,
                                 hit.position + hit.lineLength, hit.lineEndOffset, hit);
  dragger.Step(to.first - from.first, to.second - from.second);
  int32_t anchor = 0, current = 0;
  dragger.GetResult(anchor, current);
  EXPECT_EQ(current, one);
  EXPECT_EQ(anchor, four);
}

// ---- Drags.

TEST_F(MouseTest, ADragSelectsFromThePressToTheMouseAndRedrawsOnlyChanges) {
  Type("hello wide world");
  const auto from = PointOf(2);
  const auto to = PointOf(11);
  xMorvaTextHit hit;
  ASSERT_TRUE(xMorvaMouse::HitTest(*document, from.first - frame->TextInset(), from.second, false, hit));
  EXPECT_EQ(hit.position, 2);
  VEvent event(from.first, from.second, 0, false, false, false, false, false, 1, 0);
  xMorvaSelectionDragger dragger(*frame, event, from.first, from.second, 2, hit.offset, 2, hit.offset, hit);
  int32_t anchor = 0, current = 0;
  dragger.Step(to.first - from.first, 0);
  dragger.GetResult(anchor, current);
  EXPECT_EQ(Pair(anchor, current), Pair(2, 11));
  // The text's selection waits for the drag's end; only the view shows it.
  EXPECT_EQ(Sel(), Pair(16, 16));
  const int32_t redraws = dragger.GetRedraws();
  dragger.Step(0, 0);
  EXPECT_EQ(dragger.GetRedraws(), redraws);
  // Back past the press: the moving end lies before the anchor.
  dragger.Step(-(to.first - from.first) - 8, 0);
  dragger.GetResult(anchor, current);
  EXPECT_EQ(anchor, 2);
  EXPECT_LT(current, 2);
  EXPECT_EQ(dragger.GetRedraws(), redraws + 1);
}

TEST_F(MouseTest, AutoScrollMovesTheViewAndTheMouseWithIt) {
  for (int i = 0; i < 60; ++i) Type("line\n");
  Caret(0);
  frame->ScrollTo(0, 0, false, 0);
  const auto from = PointOf(1);
  xMorvaTextHit hit;
  ASSERT_TRUE(xMorvaMouse::HitTest(*document, from.first - frame->TextInset(), from.second, false, hit));
  VEvent event(from.first, from.second, 0, false, false, false, false, false, 1, 0);
  xMorvaSelectionDragger dragger(*frame, event, from.first, from.second, 1, hit.offset, 1, hit.offset, hit);
  VPort* port = frame->GetPort();
  ASSERT_NE(port, nullptr);
  dragger.AutoScroll(*port, 0, 40);
  EXPECT_EQ(frame->GetScrollY(), 40);
  int32_t anchor = 0, current = 0;
  dragger.GetResult(anchor, current);
  EXPECT_EQ(anchor, 1);
  EXPECT_GT(current, 5);  // the same window point now shows later lines
}

// ---- Control-click.

class ControlClickTest : public MouseTest {
 protected:
  void SetUp() override {
    MouseTest::SetUp();
    host.answer = [this](int32_t selector, HostParamBlock& block) {
      if (selector == kHostSelRoomLeft) block.param2 = HostWord(methodRoom);
      if (selector == kHostSelFieldAtPoint || selector == kHostSelFieldAtPointInTable) {
        ++asked;
        block.table = uint16_t(chosenTable);
        block.field = 3;
      }
      if (selector == kHostSelGetField) {
        // The field holds "Zed".
        block.error = 0;
        block.param1 = HostWord(kHostAlpha);
        block.text2[0] = 3;
        std::memcpy(block.text2 + 1, "Zed", 3);
      }
    };
    Type("ab");
  }
  int32_t chosenTable = 2;
  int32_t asked = 0;
  // The host evaluates the references it is asked about.
  xMorvaEngineHostServices fEngineHost;
  VInstalledService<xMorvaEngineHost> fInstalled{&fEngineHost};
};

TEST_F(ControlClickTest, InsertsTheChosenFieldAtTheClick) {
  ClickAt(1, 1, false, true);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(Text()->FindElement(xMorvaElementCode::ExprQv, true, false), 1);
  EXPECT_EQ(Plain(), "a#b");
  // One step undoes it.
  document->Undo();
  EXPECT_EQ(Plain(), "ab");
}

TEST_F(ControlClickTest, InsertsNothingWhenTheChooserOrTheDocumentSaysNo) {
  struct Row {
    const char* what;
    int32_t table;
    uint8_t locked;
    bool areaLocked;
    int32_t asks;
  };
  const Row rows[] = {
      {"no table chosen", 0, 0, false, 1},
      {"a negative table", -1, 0, false, 1},
      {"a read-only document", 2, 1, false, 0},
      {"a locked area", 2, 0, true, 0},
  };
  for (const Row& row : rows) {
    chosenTable = row.table;
    asked = 0;
    document->Infos().SetLocked(row.locked);
    area->StoreAreaLock(row.areaLocked);
    Caret(0);
    ClickAt(1, 1, false, true);
    EXPECT_EQ(asked, row.asks) << row.what;
    EXPECT_EQ(Plain(), "ab") << row.what;
    EXPECT_EQ(Sel(), Pair(1, 1)) << row.what;  // the caret moves all the same
  }
}

TEST_F(ControlClickTest, AClickOnAnElementSelectsItAndTheSecondPressIsItsOwn) {
  ClickAt(1, 1, false, true);
  ASSERT_EQ(Plain(), "a#b");
  WatchClicks(0);
  // On the element's left half: the position before it, widened over it.
  ClickAt(1);
  EXPECT_EQ(Sel(), Pair(1, 2));
  // The second press of a double click lands on the element the first one
  // selected: the element's own double click, consumed here.
  package->answer = 1;
  ClickAt(1, 2);
  EXPECT_EQ(Sel(), Pair(1, 2));
  EXPECT_EQ(Offers(), (std::vector<Pair>{{2, 1}, {1, 1}}));
  EXPECT_EQ(Plain(), "a#b");
}

// ---- Links.

// The link dialog, counted with the title of the link it was given, and
// cancelled.
class CountingLinkEditor : public xMorvaHyperlinkEditor {
 public:
  bool RunHyperlinkDialog(xMorvaPlugIn&, xMorvaHyperlink& values) override {
    ++runs;
    titles.push_back(values.GetTitle().GetLength());
    return false;
  }
  int32_t runs = 0;
  std::vector<int32_t> titles;
};

// A click on a link follows it; a double click follows it with its first
// press and opens the link's dialog with its second, on either half of the
// link and whether or not the link was selected before. A press inside a
// selection only collapses it, on a link too, and follows nothing.
TEST_F(MouseTest, AClickFollowsALinkAndADoubleClickOpensItsDialog) {
  Type("ab");
  Caret(1);
  VStr<255> method, title;
  method.SetAnsiCText("OnLink");
  title.SetAnsiCText("Site");
  xMorvaHyperlink link(xMorvaHyperlink::kMethod, true, method, title, 42);
  ASSERT_EQ(Text()->InsertHyperlink(link, false), 0);
  ASSERT_EQ(Text()->FindElement(xMorvaElementCode::Hyperlink, true, false), 1);
  CountingLinkEditor editor;
  VInstalledService<xMorvaHyperlinkEditor> installed{&editor};
  WatchClicks(0);
  // The link's left half, and its right half (just before the next
  // character's pen).
  const auto left = PointOf(1);
  const auto right = std::make_pair(PointOf(2).first - 2, left.second);
  const struct {
    const char* what;
    std::pair<int32_t, int32_t> point;
    Pair before;  // the selection before the press
    int32_t follows;  // by a press
  } rows[] = {
      {"left half", left, {0, 0}, 1},
      {"right half", right, {0, 0}, 1},
      {"right half, the link selected", right, {1, 2}, 0},
      {"left half, the text selected", left, {0, 3}, 0},
  };
  for (const auto& row : rows) {
    Text()->SetSelection(row.before.first, row.before.second);
    const int32_t follows = host.Count(kHostSelFindRoutine);
    Press(row.point.first, row.point.second);
    EXPECT_EQ(host.Count(kHostSelFindRoutine), follows + row.follows) << row.what;
    EXPECT_EQ(editor.runs, 0) << row.what;

    Text()->SetSelection(row.before.first, row.before.second);
    Press(row.point.first, row.point.second);
    Press(row.point.first, row.point.second, 2);
    EXPECT_EQ(host.Count(kHostSelFindRoutine), follows + 2 * row.follows) << row.what;
    EXPECT_EQ(editor.runs, 1) << row.what;
    EXPECT_EQ(editor.titles, std::vector<int32_t>{4}) << row.what;  // the link's own values
    EXPECT_EQ(Sel(), Pair(1, 2)) << row.what;
    editor.runs = 0;
    editor.titles.clear();
  }
  EXPECT_EQ(Plain(), "a#b");
}

TEST_F(MouseTest, ATripleClickThatLandsInTheHeaderIsAFirstClickThere) {
  Type("body text\nmore");
  document->SetViewMode(0);  // pages, with their bands
  document->ShowHeader(true);
  Caret(2);
  const xMorvaDocParams& params = document->GetParams();
  // Pages stand 4 pixels below the view's top.
  const int32_t x = frame->TextInset() + params.GetLeftMargin() + 10;
  const int32_t y = 4 + (params.HeaderTop(0) + params.HeaderBottom(0)) / 2;
  WatchClicks(0);
  Press(x, y, 3);
  EXPECT_NE(document->GetCurrentPartNumber(), kPartBody);
  EXPECT_EQ(Sel().first, Sel().second);
  for (const Pair& offer : Offers()) EXPECT_NE(offer.first, 3);
}

// ---- Characters of more than one unit.

// Over each cluster text, a press at every pixel of its line puts the
// caret on the nearer edge of the cluster under the pointer; a Shift-press
// from the end and a drag from the start end there too; a double press
// selects the word at that edge, whole clusters, and a triple press the
// paragraph. Lines break, and Home and End stop, at cluster edges.
TEST_F(MouseTest, EveryPressAndDragStopsAtTheNearerClusterEdge) {
  for (const std::u16string& text : clustertest::kTexts) {
    SCOPED_TRACE(std::string(text.begin(), text.end()));
    Load(text);
    ASSERT_EQ(Units(), text);
    const int32_t length = int32_t(text.size());
    const std::vector<int32_t> edges = clustertest::ClusterEdges(text);
    std::vector<int32_t> xs;
    for (const int32_t edge : edges) xs.push_back(PointOf(edge).first - 1);
    const int32_t y = PointOf(0).second;
    xMorvaTextHit hit;
    ASSERT_TRUE(xMorvaMouse::HitTest(*document, xs.front() + 1 - frame->TextInset(), y, false, hit));
    for (int32_t x = xs.front(); x <= xs.back() + 2; ++x) {
      const size_t after = size_t(std::upper_bound(xs.begin(), xs.end(), x) - xs.begin());
      int32_t want = after == 0 ? 0 : length;
      if (after > 0 && after < xs.size()) {
        const int32_t twice = xs[after - 1] + xs[after];
        if (std::abs(2 * x - twice) <= 1) continue;  // the middle: either edge
        want = edges[2 * x < twice ? after - 1 : after];
      }
      Press(x, y);
      EXPECT_EQ(Sel(), Pair(want, want)) << "x " << x;
      Caret(length);
      Press(x, y, 1, true);
      EXPECT_EQ(Sel(), Pair(want, length)) << "shift x " << x;
      VEvent press(xs.front() + 1, y, 0, false, false, false, false, false, 1, 0);
      xMorvaSelectionDragger drag(*frame, press, xs.front() + 1, y, 0, hit.offset, 0, hit.offset, hit);
      drag.Step(x - xs.front() - 1, 0);
      int32_t anchor = -1, current = -1;
      drag.GetResult(anchor, current);
      EXPECT_EQ(Pair(anchor, current), Pair(0, want)) << "drag to x " << x;
    }
    for (size_t i = 0; i + 1 < edges.size(); ++i) {
      Caret(edges[i]);
      const Pair word(Text()->GetWordStart(), Text()->GetWordEnd());
      Caret(length);
      Press(xs[i] + 1, y);
      Press(xs[i] + 1, y, 2);
      EXPECT_EQ(Sel(), word) << "double at " << edges[i];
      Press(xs[i] + 1, y, 3);
      EXPECT_EQ(Sel(), Pair(0, length)) << "triple at " << edges[i];
    }
    // Twenty copies without their spaces, one word the pane must break:
    // every line starts at a cluster edge, and Home and End stop at edges.
    std::u16string lines;
    for (int i = 0; i < 20; ++i)
      std::copy_if(text.begin(), text.end(), std::back_inserter(lines), [](char16_t c) { return c != u' '; });
    Load(lines);
    ASSERT_GT(LineOf(int32_t(lines.size())), 0);
    uint32_t lineStart = 0;
    int32_t before = 0;
    for (int32_t line = 0; line >= 0; line = document->GetLayout()->StepLine(kPartBody, line, false, lineStart, before))
      EXPECT_TRUE(clustertest::IsEdge(lines, before)) << "line " << line << " at " << before;
    for (int32_t at = 0; at <= int32_t(lines.size()); ++at) {
      for (const int16_t key : {kKeyHome, kKeyEnd}) {
        Caret(at);
        TextInputTest::Press(key);
        EXPECT_TRUE(clustertest::IsEdge(lines, Sel().first)) << "key " << key << " from " << at;
      }
    }
  }
}

// A letter typed with its combining marks, and a joiner, stand as the
// character they show: the caret after each cluster of a text stands where
// it stands after the same character of the text it looks as, and a press
// there puts the caret at that cluster's edge. Each row: a text and the
// text it looks as, cluster for character.
TEST_F(MouseTest, TheCaretAfterEachClusterStandsAsAfterTheCharacterItShows) {
  const struct {
    std::u16string text;
    std::u16string looksAs;
  } rows[] = {
      {u"Ha\u0300 No\u0323\u0302i: pho\u031B\u0309 bo\u0300, ca\u0300 phe\u0302, Vie\u0323\u0302t",
       u"H\u00E0 N\u1ED9i: ph\u1EDF b\u00F2, c\u00E0 ph\u00EA, Vi\u1EC7t"},
      {u"cafe\u0301, nai\u0308ve", u"caf\u00E9, na\u00EFve"},
      {u"a\u200Db \u0645\u06CC\u200C\u062E\u0648", u"ab \u0645\u06CC\u062E\u0648"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.looksAs.begin(), row.looksAs.end()));
    Load(row.looksAs);
    std::vector<int32_t> shown;
    for (int32_t at = 0; at <= int32_t(row.looksAs.size()); ++at) shown.push_back(PointOf(at).first);
    Load(row.text);
    const std::vector<int32_t> edges = clustertest::ClusterEdges(row.text);
    ASSERT_EQ(edges.size(), shown.size());
    for (size_t i = 0; i < edges.size(); ++i) {
      EXPECT_EQ(PointOf(edges[i]).first, shown[i]) << "edge " << edges[i];
      if (i == 0 || i + 1 == edges.size()) continue;
      Press(shown[i] - 1, PointOf(0).second);
      EXPECT_EQ(Sel(), Pair(edges[i], edges[i])) << "press at edge " << edges[i];
    }
  }
}

// The word at a caret (a double press, command 59 of kind 6, command 100)
// is the word table's, stretched so that a cluster belongs wholly to the
// word of its first unit; a cluster whose first unit is in no word is in
// none. Command 59 leaves out the space cluster a word ends with.
TEST_F(MouseTest, AWordAtACaretIsTheWordTablesWithItsClustersWhole) {
  const struct {
    std::u16string text;
    int32_t caret;
    Pair word;
    int32_t end59;
  } rows[] = {
      {u"\u2764\uFE0Fx", 0, {0, 2}, 2},   // a character of no word and its selector
      {u"\u2764\uFE0Fx", 2, {2, 3}, 3},   // the selector is no word's
      {u" \u0301a", 0, {0, 2}, 0},        // a space with a mark: no word
      {u" \u0301a", 2, {2, 3}, 3},
      {u"\u200Dab", 0, {0, 1}, 1},        // a joiner at the start: in no word
      {u"\u200Dab", 1, {1, 3}, 3},
      {u"a\u0301b c", 0, {0, 4}, 3},
      {u"a\u0301b c", 2, {0, 4}, 3},
      {u"a\u0301b c", 4, {4, 5}, 5},
      {u"a \u0301b", 0, {0, 3}, 1},       // the word's space has a mark
      {u"\U0001F44D\U0001F3FD ok", 0, {0, 4}, 4},  // an emoji of no word: itself
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.text.begin(), row.text.end()) + " at " + std::to_string(row.caret));
    Load(row.text);
    Caret(row.caret);
    EXPECT_EQ(Pair(Text()->GetWordStart(), Text()->GetWordEnd()), row.word);
    int32_t start = -1, end = -1;
    int16_t space = -1;
    Run(100, area->GetReference(), {&start, &end, &space});
    EXPECT_EQ(Pair(start, end), row.word);
    int16_t kind = 6;
    int32_t a = 0, b = 0;
    Run(59, area->GetReference(), {&kind, &a, &b});
    EXPECT_EQ(Sel(), Pair(row.word.first, row.end59));
    // A press lands on the caret but beside a cluster of no width (a lone
    // joiner).
    Caret(int32_t(row.text.size()));
    ClickAt(row.caret);
    if (Sel().first != row.caret) continue;
    ClickAt(row.caret, 2);
    EXPECT_EQ(Sel(), row.word);
  }
}

// Backspace, Delete and a typed letter at every cluster edge, undone and
// redone: the units come back exactly and both ends of the selection stand
// at cluster edges. A text pasted at every edge (another cluster text, and
// one that starts with a mark, which Unicode joins to the cluster before
// it) gives the two texts' units side by side, the caret after them on an
// edge of the result; undo and redo give back each text.
TEST_F(MouseTest, UndoRedoAndPasteAtEveryClusterEdgeKeepClustersWhole) {
  const auto onEdges = [&](const std::u16string& text) {
    return clustertest::IsEdge(text, Sel().first) && clustertest::IsEdge(text, Sel().second);
  };
  // The edit made `after` of `before`; undo and redo give each back, the
  // selection on its edges.
  const auto undoRedo = [&](const std::u16string& before, const std::u16string& after) {
    document->GetUndo()->Commit();
    ASSERT_EQ(Units(), after);
    document->Undo();
    EXPECT_EQ(Units(), before);
    EXPECT_TRUE(onEdges(before)) << "undone";
    document->Redo();
    EXPECT_EQ(Units(), after);
    EXPECT_TRUE(onEdges(after)) << "redone";
  };
  // The clipboard and the text engine's side of a paste, for this test.
  struct Clipboard {
    Clipboard() { gClipboard = &clipboard; }
    ~Clipboard() {
      gClipboard = nullptr;
      Tbx::ZeroScrap();
    }
    VClipboard clipboard;
    xMorvaTextTransferEngine engine;
    VInstalledService<xMorvaTextTransferServices> transfer{&engine};
  } scoped;
  const size_t count = std::size(clustertest::kTexts);
  for (size_t t = 0; t < count; ++t) {
    const std::u16string& text = clustertest::kTexts[t];
    SCOPED_TRACE(std::string(text.begin(), text.end()));
    const std::vector<int32_t> edges = clustertest::ClusterEdges(text);
    for (size_t i = 0; i + 1 < edges.size(); ++i) {
      const std::u16string without = text.substr(0, size_t(edges[i])) + text.substr(size_t(edges[i + 1]));
      const std::u16string typed = text.substr(0, size_t(edges[i])) + u"x" + text.substr(size_t(edges[i]));
      const std::tuple<int32_t, int16_t, std::u16string> edits[] = {
          {edges[i + 1], kKeyBackspace, without}, {edges[i], kKeyDelete, without}, {edges[i], 'x', typed}};
      for (const auto& [caret, key, after] : edits) {
        SCOPED_TRACE("key " + std::to_string(key) + " at " + std::to_string(caret));
        Load(text);
        Caret(caret);
        TextInputTest::Press(key, 0, key == 'x' ? u'x' : 0);
        undoRedo(text, after);
      }
    }
    for (const std::u16string& pasted :
         {clustertest::kTexts[(t + 1) % count], std::u16string(u"\u0301x"), std::u16string(u"\U0001F468\u200D")}) {
      Load(pasted);
      Select(0, int32_t(pasted.size()));
      document->CopySelection();
      for (const int32_t edge : edges) {
        SCOPED_TRACE("paste at " + std::to_string(edge));
        Load(text);
        Caret(edge);
        document->PasteClipboard();
        // The caret after the pasted text, at the end of the cluster its
        // last unit joins.
        const std::u16string joined = text.substr(0, size_t(edge)) + pasted + text.substr(size_t(edge));
        const std::vector<int32_t> joinedEdges = clustertest::ClusterEdges(joined);
        const int32_t end = *std::lower_bound(joinedEdges.begin(), joinedEdges.end(), edge + int32_t(pasted.size()));
        EXPECT_EQ(Sel(), Pair(end, end));
        undoRedo(text, joined);
      }
    }
  }
}

// ---- Presses that change nothing.

TEST_F(MouseTest, AHiddenFrameIgnoresPresses) {
  Type("hello");
  Caret(0);
  const auto p = PointOf(3);
  frame->SetVisible(false);
  Press(p.first, p.second);
  EXPECT_EQ(Sel(), Pair(0, 0));
}

TEST_F(MouseTest, PressesFarOutsideTheTextStayWithinIt) {
  Type("hello\nworld");
  const std::pair<int32_t, int32_t> points[] = {{-32768, -32768}, {32767, 32767}, {-5, 20000}, {30000, -3}};
  for (const auto& p : points) {
    Press(p.first, p.second);
    EXPECT_GE(Sel().first, 0);
    EXPECT_LE(Sel().second, Text()->GetLength());
    EXPECT_EQ(Plain(), "hello\nworld");
  }
}

TEST_F(MouseTest, WheelCountsAtTheLimitsScrollWithinTheContent) {
  for (int i = 0; i < 40; ++i) Type("line\n");
  for (int count : {32767, -32767, -32768}) {
    VEvent wheel(10, 10, 0, false, false, false, false, false, 0, uint16_t(int16_t(count)));
    frame->MouseWheel(wheel);
    EXPECT_GE(frame->GetScrollY(), 0) << count;
    EXPECT_LE(frame->GetScrollY(), frame->GetContentHeight()) << count;
  }
}

}  // namespace
