// List and check-list views in a scroll container: column widths, the
// deferred size, rows drawn by look element and state, clicks, keys and the
// messages they send, and the bad inputs: no columns, row height 0, a click
// below the last row.
#include <string>
#include <vector>

#include "framework/core/containers/VBooleanArray.h"
#include "framework/core/containers/VNumericArrays.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/strings/VUniString.h"
#include "views/VListView.h"
#include "views/VScrollContainer.h"
#include "views/VShortcut.h"
#include "views/tests/PaneTestSupport.h"

namespace {

constexpr int32_t kSelect = 7001;
constexpr int32_t kConfirm = 7002;

// Notes the list's messages as "code:column", the column counted from 1
// (0 for none).
class Owner : public VScrollContainer {
 public:
  Owner(VFrame* parent, bool horizontal) : VScrollContainer(parent, true, horizontal) {}
  bool NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) override {
    if (message != kSelect && message != kConfirm) {
      return VScrollContainer::NotifyParent(sender, message, parameter);
    }
    auto* list = dynamic_cast<VListView*>(sender);
    int32_t column = 0;
    for (int32_t n = 1; list != nullptr && n <= list->GetColumnCount(); ++n) {
      if (reinterpret_cast<intptr_t>(list->GetColumnArray(n)) == parameter) column = n;
    }
    log.push_back(std::to_string(message) + ":" + std::to_string(column));
    return true;
  }
  std::vector<std::string> log;
};

class Lists : public PaneTest {
 protected:
  // A container 216 x 100 with a vertical bar: the list is 200 x 100.
  template <class L>
  L* Make(bool horizontal = false) {
    owner_ = new Owner(root_, horizontal);
    owner_->ResizeTo(216, 100, 0);
    auto* list = new L(owner_, kSelect, kConfirm);
    owner_->SetContentView(list, true);
    return list;
  }
  void FillNames(int n) {
    for (int i = 1; i <= n; ++i) {
      const std::u16string s = u"name " + std::u16string(1, static_cast<char16_t>(u'A' + i % 26));
      VStr<255> text;
      text.SetUniChars(s.data(), 0, static_cast<int32_t>(s.size()));
      names_.AppendString(text, false);
      checks_.AppendBoolean(i % 2, false);
      numbers_.AppendLong(i * 10, false);
    }
  }
  static VEvent Click(int32_t x, int32_t y, int16_t clicks = 1) {
    return VEvent(x, y, 0, false, false, false, false, false, clicks, 0);
  }
  static VEvent Key(int16_t code) {
    return VEvent(0, 0, 0, false, false, false, false, false, 0, static_cast<uint16_t>(code));
  }
  COLORREF At(VListView* list, int32_t x, int32_t y) {
    owner_->Invalidate(2);
    int32_t ox = 0, oy = 0;
    list->GetOrigin(ox, oy);
    return Pixel(ox + x, oy + y);
  }
  Owner* owner_ = nullptr;
  VStringArray names_;
  VBooleanArray checks_;
  VLongArray numbers_;
};

TEST_F(Lists, StretchColumnsShareTheSpareWidth) {
  const struct {
    int32_t w1, w2;
    bool s1, s2;
    int32_t view;
    int32_t want1, want2;
  } cases[] = {
      {30, 40, true, true, 100, 42, 58},    {20, 180, false, true, 300, 20, 280},
      {50, 100, true, true, 300, 100, 200}, {50, 100, true, false, 300, 100, 100},
      {60, 40, true, true, 100, 60, 40},    {0, 0, true, true, 80, 0, 80},
  };
  for (const auto& c : cases) {
    auto* list = Make<VListView>();
    list->BeginUpdate();
    list->AddColumn(&names_, c.w1, c.s1);
    list->AddColumn(&numbers_, c.w2, c.s2);
    owner_->ResizeTo(c.view + 16, 100, 0);
    list->EndUpdate();
    EXPECT_EQ((std::pair{list->GetColumnWidth(1), list->GetColumnWidth(2)}),
              (std::pair{c.want1, c.want2}))
        << c.w1 << " " << c.w2 << " in " << c.view;
    delete owner_;
  }
}

TEST_F(Lists, CheckListNameColumnFollowsTheView) {
  auto* list = Make<VCheckListView>();
  FillNames(3);
  list->SetColumns(&checks_, &names_);
  EXPECT_EQ(list->GetColumnWidth(1), 20);
  EXPECT_EQ(list->GetColumnWidth(2), 180);
  owner_->ResizeTo(316, 100, 1);
  EXPECT_EQ(list->GetColumnWidth(2), 280);
  EXPECT_EQ(list->GetContentHeight(), 3 * 14);
}

TEST_F(Lists, WithAHorizontalBarTheContentIsAsWideAsTheColumns) {
  auto* list = Make<VListView>(true);
  FillNames(40);
  list->AddColumn(&names_, 150, true);
  list->AddColumn(&numbers_, 120, false);
  EXPECT_EQ(list->GetContentWidth(), 270);
  EXPECT_EQ(list->GetContentHeight(), 40 * 14);
  EXPECT_EQ(owner_->GetVerticalBar()->GetMaximum(), 40 * 14 - list->GetHeight());
}

TEST_F(Lists, UpdatesAreDeferredToTheLastEnd) {
  auto* list = Make<VListView>();
  FillNames(10);
  list->BeginUpdate();
  list->BeginUpdate();
  list->AddColumn(&names_, 100, false);
  list->SetRowHeight(20);
  EXPECT_EQ(list->GetContentHeight(), 0);
  list->EndUpdate();
  EXPECT_EQ(list->GetContentHeight(), 0);
  list->EndUpdate();
  EXPECT_EQ(list->GetContentHeight(), 200);
  // An unmatched end does not lock the list.
  list->EndUpdate();
  list->SetRowHeight(10);
  EXPECT_EQ(list->GetContentHeight(), 100);
}

TEST_F(Lists, RowHeightsBelowOneBecomeOne) {
  auto* list = Make<VListView>();
  FillNames(30);
  list->AddColumn(&names_, 100, false);
  for (int32_t h : {0, -5}) {
    list->SetRowHeight(h);
    EXPECT_EQ(list->GetRowHeight(), 1);
    EXPECT_EQ(list->GetContentHeight(), 30);
    VEvent click = Click(10, 12);
    list->MouseDown(click);
    EXPECT_EQ(names_.GetCurrent(), 13);
    owner_->Invalidate(2);
  }
}

TEST_F(Lists, ClicksSelectRowsAndTellTheOwner) {
  auto* list = Make<VListView>();
  FillNames(5);
  const struct {
    int32_t x, y;
    int16_t clicks;
    int32_t row;
    std::vector<std::string> log;
  } cases[] = {
      {10, 20, 1, 2, {"7001:1"}},  {10, 27, 1, 2, {}},         {150, 27, 1, 2, {}},
      {150, 40, 1, 3, {"7001:2"}}, {10, 40, 2, 3, {"7002:2"}}, {10, 99, 1, 5, {"7001:1"}},
      {199, 1, 1, 1, {"7001:0"}},  {30, 15, 1, 2, {"7001:1"}},
  };
  list->AddColumn(&names_, 100, false);
  list->AddColumn(&numbers_, 50, false);
  for (const auto& c : cases) {
    owner_->log.clear();
    VEvent click = Click(c.x, c.y, c.clicks);
    EXPECT_TRUE(list->MouseDown(click));
    EXPECT_EQ(names_.GetCurrent(), c.row) << c.x << "," << c.y;
    EXPECT_EQ(numbers_.GetCurrent(), c.row);
    EXPECT_EQ(owner_->log, c.log) << c.x << "," << c.y;
  }
}

TEST_F(Lists, KeysMoveTheRowAndConfirm) {
  auto* list = Make<VListView>();
  FillNames(3);
  list->AddColumn(&names_, 100, false);
  const struct {
    int32_t from;
    int16_t key;
    int32_t answer, row;
    std::vector<std::string> log;
  } cases[] = {
      {1, kKeyDown, 0, 2, {"7001:1"}},
      {3, kKeyDown, 0, 3, {}},
      {1, kKeyUp, 0, 1, {}},
      {2, kKeyUp, 0, 1, {"7001:1"}},
      {2, kKeyReturn, 0, 2, {"7002:1"}},
      {2, kKeyEnter, 0, 2, {"7002:1"}},
      {2, kKeySpace, 1, 2, {}},
      {2, kKeyLeft, 1, 2, {}},
  };
  for (const auto& c : cases) {
    list->SelectRow(c.from);
    owner_->log.clear();
    VEvent key = Key(c.key);
    EXPECT_EQ(list->HandleKey(key), c.answer) << c.key;
    EXPECT_EQ(names_.GetCurrent(), c.row) << c.key;
    EXPECT_EQ(owner_->log, c.log) << c.key;
  }
  // Without a confirm message Return is passed on.
  auto* quiet = new VListView(owner_, 0, 0);
  quiet->AddColumn(&names_, 100, false);
  VEvent ret = Key(kKeyReturn);
  EXPECT_EQ(quiet->HandleKey(ret), 1);
  VEvent down = Key(kKeyDown);
  EXPECT_EQ(quiet->HandleKey(down), 0);
  EXPECT_TRUE(owner_->log.empty());
}

TEST_F(Lists, WithoutColumnsOnlyTheBackgroundShows) {
  auto* list = Make<VListView>();
  VEvent click = Click(10, 10, 2);
  EXPECT_TRUE(list->MouseDown(click));
  for (int16_t k : {kKeyDown, kKeyReturn, kKeySpace}) {
    VEvent key = Key(k);
    EXPECT_EQ(list->HandleKey(key), 1);
  }
  EXPECT_TRUE(owner_->log.empty());
  EXPECT_EQ(list->GetColumnArray(1), nullptr);
  EXPECT_EQ(At(list, 100, 50), RGB(27, 200, 200));
}

TEST_F(Lists, SelectingARowScrollsItIntoView) {
  auto* list = Make<VListView>();
  FillNames(30);
  list->AddColumn(&names_, 100, false);
  const struct {
    int32_t row, scroll;
  } cases[] = {{1, 0}, {7, 0}, {8, 12}, {20, 180}, {10, 126}, {30, 320}, {40, 320}};
  for (const auto& c : cases) {
    list->SelectRow(c.row);
    EXPECT_EQ(list->GetScrollY(), c.scroll) << c.row;
  }
}

TEST_F(Lists, RowsAreDrawnByElementAndState) {
  auto* list = Make<VCheckListView>();
  FillNames(4);
  list->SetColumns(&checks_, &names_);
  list->SelectRow(2);
  const struct {
    int32_t x, y;
    COLORREF color;
  } cases[] = {
      {5, 7, RGB(13 * 9, 101, 90)},   // row 1 checked
      {5, 21, RGB(13 * 9, 100, 90)},  // row 2 not
      {50, 7, RGB(27, 100, 90)},      // row 1 name
      {50, 21, RGB(27, 0, 90)},       // row 2 name, selected
      {50, 60, RGB(27, 200, 200)},    // below the last row
      {5, 60, RGB(27, 200, 200)},
  };
  for (const auto& c : cases) EXPECT_EQ(At(list, c.x, c.y), c.color) << c.x << "," << c.y;
  // Number columns show their elements as text cells.
  auto* numbers = Make<VListView>();
  numbers->AddColumn(&numbers_, 80, false);
  EXPECT_EQ(At(numbers, 40, 7), RGB(27, 100, 90));
}

TEST_F(Lists, CheckBoxesToggleByClickAndSpace) {
  auto* list = Make<VCheckListView>();
  FillNames(3);
  list->SetColumns(&checks_, &names_);
  const struct {
    bool key;
    int32_t x, y;
    std::vector<bool> checks;
    std::vector<std::string> log;
  } cases[] = {
      {false, 5, 3, {false, false, true}, {"7001:1"}},
      {false, 5, 3, {true, false, true}, {"7001:1"}},
      {false, 50, 17, {true, false, true}, {"7001:2"}},
      {true, 0, 0, {true, true, true}, {"7001:1"}},
      {false, 5, 90, {true, true, true}, {"7001:1"}},
  };
  for (const auto& c : cases) {
    owner_->log.clear();
    if (c.key) {
      VEvent space = Key(kKeySpace);
      EXPECT_EQ(list->HandleKey(space), 0);
    } else {
      VEvent click = Click(c.x, c.y);
      list->MouseDown(click);
    }
    std::vector<bool> got;
    for (int32_t i = 1; i <= 3; ++i) got.push_back(checks_.GetBoolean(i));
    EXPECT_EQ(got, c.checks) << c.x << "," << c.y;
    EXPECT_EQ(owner_->log, c.log) << c.x << "," << c.y;
  }
}

}  // namespace
