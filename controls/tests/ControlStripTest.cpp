// A strip of each control kind in its states, drawn through the look of a
// port of kind 2 (the Windows look) and of kind 3 (the third look), and
// compared with the references in tests/data; QV_REGENERATE_REFERENCES=1
// rewrites them. The caret is held steady so that the focused field draws
// the same every time.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "controls/controls/VCheckBox.h"
#include "controls/controls/VEditField.h"
#include "controls/controls/VPushButton.h"
#include "controls/looks/LookPainterMaker.h"
#include "controls/tests/ControlTestSupport.h"
#include "controls/text/VTextEditFrame.h"
#include "graphics/VIconShape.h"
#include "platform/gdi/GdiSnapshot.h"
#include "platform/gdi/WinGdi.h"

namespace {

constexpr int32_t kCellW = 80, kCellH = 28, kColumns = 7, kRows = 5;

class StripBox : public VCheckBox {
 public:
  StripBox(VFrame* parent, bool radio) : VCheckBox(parent), fRadio(radio) {
    fElementKind = radio ? kElementRadioButton : kElementCheckBox;
  }
  bool StaysOnWhenClicked() const override { return fRadio; }
  bool fRadio;
};

// Columns: the value 0, 1 and 2, the same disabled, then unbound.
struct Column {
  int32_t value;
  bool enabled;
  bool bound;
};
constexpr Column kColumnsOf[kColumns] = {{0, true, true},  {1, true, true},  {2, true, true},
                                         {0, false, true}, {1, false, true}, {2, false, true},
                                         {0, true, false}};

class ControlStrips : public ControlTest, public testing::WithParamInterface<int> {
 protected:
  void SetUp() override {
    VLookPainterMakerService::Install(&kLookPainterMaker);
    ControlTest::SetUp();
    Tbx::TESetCaretBlinking(false);
  }
  void TearDown() override {
    Tbx::TESetCaretBlinking(true);
    ControlTest::TearDown();
    VLookPainterMakerService::Remove(&kLookPainterMaker);
  }
  // A control bound (or not) to a fresh command with the column's state.
  template <typename Control>
  void Place(VPort& port, Control* c, int32_t row, int32_t col, int32_t id) {
    const Column& k = kColumnsOf[col];
    VCommand* command = host_->Add(id);
    command->SetLong(nullptr, k.value, 0);
    command->SetEnabled(k.enabled, 0);
    c->ResizeTo(kCellW - 8, kCellH - 8, 0);
    if (k.bound) c->AttachCommand(id);
    port.PushOrigin(col * kCellW + 4, row * kCellH + 4);
    c->DrawContent(port);
    port.PopOrigin();
  }
  void Draw(VPort& port, int16_t look) {
    port.SetLook(look);
    port.SetFillPatternIndex(6);
    port.SetFillColor(RGB(250, 250, 250));
    port.PaintRect(0, 0, port.GetWidth(), port.GetHeight());
    int32_t id = 1000;
    VStr<255> go;
    go.SetCText("Go", kCharSetMac);
    for (int32_t col = 0; col < kColumns; ++col) {
      auto* b = new VPushButton(host_);
      b->SetTitle(go);
      Place(port, b, 0, col, id++);
      auto* icon = new VPushButton(host_, &port, new VIconShape(nullptr, int16_t(9300)), go, 0);
      Place(port, icon, 1, col, id++);
      auto* box = new StripBox(host_, false);
      box->SetTitle(go);
      Place(port, box, 2, col, id++);
      auto* radio = new StripBox(host_, true);
      radio->SetTitle(go);
      Place(port, radio, 3, col, id++);
    }
    // Edit fields: unfocused, disabled, unbound, neutral, focused with all
    // selected, focused with the caret at the end.
    for (int32_t col = 0; col < 6; ++col) {
      VCommand* command = host_->Add(id);
      VStr<255> text;
      text.SetCText("12.5", kCharSetMac);
      command->SetString(nullptr, text, 0);
      command->SetEnabled(col != 1, 0);
      auto* field = new VEditField(host_);
      field->MoveTo(col * kCellW + 4, 4 * kCellH + 4, 0);
      field->ResizeTo(kCellW - 8, kCellH - 8, 0);
      if (col != 2) field->AttachCommand(id);
      ++id;
      if (col == 3) field->SetDisplayMode(1);
      if (col >= 4) {
        ASSERT_TRUE(field->RequestFocus());
        if (col == 5) field->GetTextFrame()->SetSelection(4, 4);
      }
      port.PushOrigin(col * kCellW + 4, 4 * kCellH + 4);
      field->DrawContent(port);
      if (VTextEditFrame* frame = field->GetTextFrame()) {
        port.PushOrigin(2, 2);
        frame->DrawContent(port);
        port.PopOrigin();
      }
      port.PopOrigin();
      field->LoseFocus(nullptr);
    }
  }
};

TEST_P(ControlStrips, MatchTheirReferences) {
  LookResources resources;
  ASSERT_TRUE(resources.IsOpen());
  const int16_t look = GetParam() == 0 ? 2 : 3;
  const std::string name = GetParam() == 0 ? "control-strip-windows" : "control-strip-third";
  LookCanvas canvas(kColumns * kCellW, kRows * kCellH);
  Draw(canvas.port(), look);
  ExpectMatchesReference(canvas, "look-sheets", name);
}

INSTANTIATE_TEST_SUITE_P(TwoLooks, ControlStrips, testing::Values(0, 1));

}  // namespace
