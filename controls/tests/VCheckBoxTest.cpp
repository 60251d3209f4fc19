// Check boxes and radio items from 'XCHK': the click cycles, pressed
// states, releases outside, sizes and the disabled drawing states.
#include "controls/controls/VCheckBox.h"

#include <gtest/gtest.h>

#include "controls/controls/ControlTemplates.h"
#include "controls/tests/ControlTestSupport.h"

namespace {

// The two derived kinds, as the toolbar makes them.
class CheckItem : public VCheckBox {
 public:
  CheckItem(VFrame* parent, bool radio) : VCheckBox(parent), fRadio(radio) {
    fElementKind = radio ? kElementRadioButton : kElementCheckBox;
  }
  CheckItem(VFrame* parent, VPort* port, VResourceFile* file, int16_t id, int32_t command)
      : VCheckBox(parent, port, file, id, command) {}
  bool StaysOnWhenClicked() const override { return fRadio; }
  bool fRadio = false;
};

std::vector<uint8_t> CheckBytes(int32_t command, int32_t w, int32_t h, const std::string& title,
                                uint8_t flags) {
  StoredBytes b;
  b.I32(command).I32(7).I32(8).I32(w).I32(h).Title(title).U16(0).U8(flags);
  return b.bytes;
}

class CheckBox : public ControlTest {
 protected:
  CheckItem* Make(int32_t command, bool radio, bool threeState) {
    auto* c = new CheckItem(host_, radio);
    c->MoveTo(10, 10, 0);
    c->ResizeTo(60, 20, 0);
    c->SetThreeState(threeState);
    c->AttachCommand(command);
    return c;
  }
};

}  // namespace

// Values after each of four clicks inside, from 0.
TEST_F(CheckBox, ClickCycles) {
  struct Row {
    const char* what;
    bool radio;
    bool threeState;
    std::vector<int32_t> values;
  };
  const std::vector<Row> rows = {
      {"check box", false, false, {1, 0, 1, 0}},
      {"three-state check box", false, true, {1, 2, 0, 1}},
      {"radio item", true, false, {1, 1, 1, 1}},
      {"three-state radio item", true, true, {1, 2, 0, 1}},
  };
  VCommand* c = host_->Add(200);
  for (const Row& r : rows) {
    CheckItem* box = Make(200, r.radio, r.threeState);
    c->SetLong(nullptr, 0, 0);
    host_->sent.clear();
    std::vector<int32_t> values;
    size_t changes = 0;
    int32_t before = 0;
    for (int i = 0; i < 4; ++i) {
      Click(*box, {{5, 5}});
      values.push_back(c->GetLong());
      changes += values.back() != before ? 1 : 0;
      before = values.back();
    }
    EXPECT_EQ(values, r.values) << r.what;
    EXPECT_EQ(host_->sent.size(), changes) << r.what << ": sent only on a change";
    delete box;
  }
}

TEST_F(CheckBox, ReleaseOutsideSendsNothing) {
  VCommand* c = host_->Add(200);
  CheckItem* box = Make(200, false, false);
  Click(*box, {{5, 5}, {200, 150}});
  EXPECT_EQ(c->GetLong(), 0);
  EXPECT_TRUE(host_->sent.empty());
  EXPECT_EQ(box->GetToolTipState(), kTipDone);
}

TEST_F(CheckBox, OddValueCountsAsOffWhenClicked) {
  VCommand* c = host_->Add(200);
  CheckItem* box = Make(200, false, true);
  c->SetLong(nullptr, 3, 0);
  box->Invalidate(2);
  Click(*box, {{5, 5}});
  EXPECT_EQ(c->GetLong(), 1);
}

TEST_F(CheckBox, DisabledOrUnboundIgnoresClicks) {
  VCommand* c = host_->Add(200);
  c->SetEnabled(false, 0);
  CheckItem* box = Make(200, false, false);
  Click(*box, {{5, 5}});
  CheckItem* unbound = Make(0, false, false);
  Click(*unbound, {{5, 5}});
  EXPECT_EQ(c->GetLong(), 0);
  EXPECT_TRUE(host_->sent.empty());
}

TEST_F(CheckBox, TimelineEndingMidPressCommitsAtTheLastPoint) {
  VCommand* c = host_->Add(200);
  CheckItem* box = Make(200, false, false);
  Script(*box, {{5, 5, true}});
  VEvent e;
  box->MouseDown(e);
  EXPECT_EQ(c->GetLong(), 1);
}

TEST_F(CheckBox, SizesFromTemplates) {
  LookCanvas canvas(10, 10);
  StoredResourceFile file;
  canvas.port().UseStandardFont(2);
  VStr<255> title;
  title.SetCText("Wrap lines", kCharSetMac);
  const auto measured = static_cast<int32_t>(canvas.port().MeasureString(title) + 24.0f);
  struct Row {
    const char* what;
    std::vector<uint8_t> bytes;
    int32_t w, h;
    int32_t x;
  };
  const std::vector<Row> rows = {
      {"empty title keeps the width", CheckBytes(0, 33, 0, "", 0), 33, 20, 7},
      {"width 0 becomes 120", CheckBytes(0, 0, 15, "", 0), 120, 15, 7},
      {"a title widens", CheckBytes(0, 10, 0, "Wrap lines", 0), std::max(10, measured), 20, 7},
      {"a wide template stays", CheckBytes(0, 400, 0, "Wrap lines", 0), 400, 20, 7},
      {"54 bytes are missing", std::vector<uint8_t>(54, 0), 120, 20, 0},
  };
  int16_t id = 10;
  for (const Row& r : rows) file.Add(kResTypeCheckBox, id++, r.bytes);
  file.Add(kResTypeCheckBox, 20, CheckBytes(0, 0, 0, "", kCheckThreeState));
  VResourceFile* f = file.Open();
  id = 10;
  for (const Row& r : rows) {
    CheckItem box(host_, &canvas.port(), f, id++, 0);
    EXPECT_EQ(box.GetWidth(), r.w) << r.what;
    EXPECT_EQ(box.GetHeight(), r.h) << r.what;
    int32_t x = 0, y = 0;
    box.GetPosition(x, y);
    EXPECT_EQ(x, r.x) << r.what;
    EXPECT_FALSE(box.IsThreeState()) << r.what;
  }
  CheckItem three(host_, &canvas.port(), f, 20, 0);
  EXPECT_TRUE(three.IsThreeState());
  EXPECT_TRUE(three.DrawsParentBehind());
  CheckItem missing(host_, &canvas.port(), f, 99, 0);
  EXPECT_EQ(missing.GetWidth(), 120);
  EXPECT_EQ(missing.GetHeight(), 20);
}
