// Reference pictures of a toolbar strip with every kind of the toolbar
// controls, and of an open drop-down's list, in the Windows look and the
// third look. A drawing that changes shows as a picture that differs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "controls/looks/LookPainterMaker.h"
#include "controls/tests/ControlTestSupport.h"
#include "controls/toolbars/VChoosers.h"
#include "controls/toolbars/VDropDownList.h"
#include "controls/toolbars/VDropDownListView.h"
#include "controls/toolbars/VMenuButton.h"
#include "controls/toolbars/VStaticControls.h"
#include "controls/toolbars/VToolBarSeparator.h"
#include "framework/core/containers/VStringArray.h"
#include "platform/gdi/GdiSnapshot.h"
#include "platform/gdi/WinGdi.h"
#include "platform/win32/WinInput.h"

namespace {

constexpr int32_t kStripW = 420;
constexpr int32_t kStripH = 120;

VStr<255> StripText(const char* text) {
  VStr<255> s;
  s.SetCText(text, kCharSetMac);
  return s;
}

class ToolbarStrips : public ControlTest, public testing::WithParamInterface<int> {
 protected:
  void SetUp() override {
    VLookPainterMakerService::Install(&kLookPainterMaker);
    ControlTest::SetUp();
    SetHeadlessKeyToggled(VK_CAPITAL, true);
  }
  void TearDown() override {
    SetHeadlessKeyToggled(VK_CAPITAL, false);
    ControlTest::TearDown();
    VLookPainterMakerService::Remove(&kLookPainterMaker);
  }
  // Draws the control at (x, y), w x h, on the canvas.
  void Place(VPort& port, VFrame& c, int32_t x, int32_t y, int32_t w, int32_t h) {
    c.ResizeTo(w, h, 0);
    port.PushOrigin(x, y);
    c.DrawContent(port);
    port.PopOrigin();
  }
  void Draw(VPort& port, int16_t look) {
    port.SetLook(look);
    port.SetFillPatternIndex(6);
    port.SetFillColor(RGB(250, 250, 250));
    port.PaintRect(0, 0, port.GetWidth(), port.GetHeight());
    StoredResourceFile file;
    host_->Add(600)->SetString(nullptr, StripText("Page 3\tLine 12"), 0);
    StoredBytes textBytes;
    textBytes.I32(600).I32(0).I32(0).I32(120).I32(20).U16(0).U16(50);
    file.Add(kResTypeStaticText, 1, textBytes.bytes);
    VToolBarSeparator line(host_, true);
    Place(port, line, 128, 4, 8, 20);
    VMenuButton menu(host_);
    menu.SetTitle(StripText("Insert"));
    host_->Add(601)->SetLong(nullptr, 0, 0);
    menu.AttachCommand(601);
    Place(port, menu, 140, 4, 60, 20);
    VMenuButton pressed(host_);
    pressed.SetTitle(StripText("Format"));
    host_->Add(602)->SetLong(nullptr, kStatePressed, 0);
    pressed.AttachCommand(602);
    Place(port, pressed, 204, 4, 60, 20);
    // Choosers: an RGB colour, a named colour, the mixed sample, a line.
    VCommand* red = host_->Add(603);
    red->SetLong(nullptr, 0x0000FF, 0);
    VColorChooser colour(host_);
    colour.AttachCommand(603);
    Place(port, colour, 270, 4, 30, 20);
    VCommand* none = host_->Add(604);
    VPatternChooser mixed(host_);
    mixed.AttachCommand(604);
    (void)none;
    Place(port, mixed, 304, 4, 30, 20);
    host_->Add(605)->SetLong(nullptr, 3, 0);
    VLineChooser width(host_);
    width.AttachCommand(605);
    Place(port, width, 338, 4, 30, 20);
    // The lock-key indicators, Caps Lock on and Num Lock off.
    StoredBytes lockBytes;
    lockBytes.I32(kLockKeyCaps).I32(0).I32(0).I32(40).I32(20).U16(0).Title("CAPS");
    file.Add(kResTypeLockIndicator, 1, lockBytes.bytes);
    StoredBytes numBytes;
    numBytes.I32(kLockKeyNum).I32(0).I32(0).I32(40).I32(20).U16(0).Title("NUM");
    file.Add(kResTypeLockIndicator, 2, numBytes.bytes);
    VResourceFile* opened = file.Open();
    VStaticText text(host_, nullptr, opened, 1, 0);
    Place(port, text, 4, 4, 120, 20);
    VIconList lock(host_, nullptr, opened, 1, 0);
    Place(port, lock, 372, 4, 40, 20);
    VIconList num(host_, nullptr, opened, 2, 0);
    Place(port, num, 372, 32, 40, 20);
    // Drop-down lists: closed with a value, disabled, neutral.
    VCommand* size = host_->Add(606);
    auto* sizes = new VStringArray;
    for (const char* s : {"8", "10", "12", "14", "18", "24"}) sizes->AppendString(StripText(s), false);
    sizes->SetCurrent(3);
    size->SetChoiceList(sizes, false);
    size->SetString(nullptr, StripText("12"), 0);
    VDropDownList list(host_);
    list.AttachCommand(606);
    Place(port, list, 4, 32, 80, 20);
    VCommand* off = host_->Add(607);
    off->SetString(nullptr, StripText("Arial"), 0);
    off->SetEnabled(false, 0);
    VDropDownList disabled(host_);
    disabled.AttachCommand(607);
    Place(port, disabled, 88, 32, 80, 20);
    VDropDownList neutral(host_);
    neutral.SetDisplayMode(1);
    Place(port, neutral, 172, 32, 80, 16);
    // The open pop-up's list under the first drop-down, the third row
    // current.
    VDropDownListView rows(host_, nullptr, sizes, 17, false);
    Place(port, rows, 6, 54, 76, 51);
  }
};

TEST_P(ToolbarStrips, MatchTheirReferences) {
  LookResources resources;
  ASSERT_TRUE(resources.IsOpen());
  const int16_t look = GetParam() == 0 ? 2 : 3;
  const std::string name = GetParam() == 0 ? "toolbar-strip-windows" : "toolbar-strip-third";
  LookCanvas canvas(kStripW, kStripH);
  Draw(canvas.port(), look);
  ExpectMatchesReference(canvas, "look-sheets", name);
}

INSTANTIATE_TEST_SUITE_P(TwoLooks, ToolbarStrips, testing::Values(0, 1));

}  // namespace
