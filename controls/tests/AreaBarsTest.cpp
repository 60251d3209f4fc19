// The editing area's bars as the module's resource file describes them:
// read back through the dock's description, built by the installed bar
// makers, and drawn with their gauge in each look and floating, compared
// with reference pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "controls/bars/DockBarMakers.h"
#include "controls/bars/VMenuBar.h"
#include "controls/bars/VToolBar.h"
#include "controls/bars/VToolBarItem.h"
#include "controls/controls/VPushButton.h"
#include "controls/looks/LookPainterMaker.h"
#include "controls/menus/VMenu.h"
#include "controls/menus/VMenuItem.h"
#include "controls/tests/ControlTestSupport.h"
#include "controls/toolbars/VDropDownList.h"
#include "controls/toolbars/VMenuButton.h"
#include "controls/toolbars/VStaticControls.h"
#include "graphics/VIconShape.h"
#include "views/VDockView.h"

namespace {

constexpr int16_t kAreaDock = 12001;

// Draws a frame and the shown frames inside it, each at its place.
void DrawTree(VPort& port, VFrame& frame) {
  frame.DrawContent(port);
  if (!frame.IsView()) return;
  for (VFrame* f : static_cast<VView&>(frame).GetSubFrames()) {
    if (!f->IsShown()) continue;
    int32_t x = 0, y = 0;
    f->GetPosition(x, y);
    port.PushOrigin(x, y);
    DrawTree(port, *f);
    port.PopOrigin();
  }
}

class AreaBars : public ControlTest, public testing::WithParamInterface<int> {
 protected:
  void SetUp() override {
    VLookPainterMakerService::Install(&kLookPainterMaker);
    VDockBarService::Install(&kDockBarMakers);
    ControlTest::SetUp();
    for (int32_t id : {20, 1030, 1031, 1032, 1036}) host_->Add(id);
    resources_ = std::make_unique<LookResources>();
    // Opened as the framework opens a file: read in native order.
    file_.reset(VMacResourceFile::OpenExact(QV_RESOURCE_FILE, 0));
    ASSERT_NE(file_, nullptr);
    host_->ResizeTo(300, 200, 0);
    dock_ = new VDockView(host_);
    dock_->ResizeTo(300, 200, 0);
  }
  void TearDown() override {
    delete dock_;
    file_.reset();
    resources_.reset();
    ControlTest::TearDown();
    VDockBarService::Remove(&kDockBarMakers);
    VLookPainterMakerService::Remove(&kLookPainterMaker);
  }
  // Every bar shown, as the toolbar dialog would.
  void ShowEveryBar() {
    for (int16_t side = kDockFloating; side <= kDockBottom; ++side) {
      for (VDockBar* bar : dock_->GetBars(side)) {
        bar->SetVisible(true);
        bar->SetDisplayed(true);
      }
    }
    dock_->GetToolBar()->SetVisible(true);
    dock_->Relayout();
  }
  std::unique_ptr<LookResources> resources_;
  std::unique_ptr<VMacResourceFile> file_;
  VDockView* dock_ = nullptr;
};

TEST_F(AreaBars, TheAreasDescriptionBuildsItsBarsHidden) {
  dock_->LoadDockDescription(nullptr, file_.get(), kAreaDock);
  auto* menuBar = dynamic_cast<VMenuBar*>(dock_->GetDockBar());
  ASSERT_NE(menuBar, nullptr);
  EXPECT_EQ(dock_->GetBarSide(menuBar), kDockTop);
  EXPECT_TRUE(menuBar->IsFullWidth());
  ASSERT_NE(menuBar->GetCloseButton(), nullptr);
  EXPECT_EQ(menuBar->GetCloseButton()->GetCommandId(), kMenuBarCloseCommand);
  EXPECT_EQ(menuBar->GetFirstString().GetLength(), 5);   // "Menus"
  EXPECT_EQ(menuBar->GetSecondString().GetLength(), 8);  // "Qv Morva"
  // Grip, close button and four menu buttons.
  EXPECT_EQ(menuBar->GetSubFrames().size(), 6u);

  auto* format = dynamic_cast<VToolBarItem*>(dock_->FindBar(12005));
  auto* standard = dynamic_cast<VToolBarItem*>(dock_->FindBar(12002));
  ASSERT_NE(format, nullptr);
  ASSERT_NE(standard, nullptr);
  EXPECT_EQ(format->GetSubFrames().size(), 8u);     // grip, 3 lists, separator, 3 buttons
  EXPECT_EQ(standard->GetSubFrames().size(), 17u);  // grip, 12 buttons, 3 separators, colour menu
  EXPECT_TRUE(format->HasGrip());

  auto* status = dynamic_cast<VToolBar*>(dock_->GetToolBar());
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(status->GetLeftItems().size(), 2u);  // the page, the line and column
  EXPECT_EQ(status->GetRightItems().size(), 2u);

  // Nothing is shown until the user shows it: the text keeps the area.
  for (VDockBar* bar : {static_cast<VDockBar*>(menuBar), static_cast<VDockBar*>(format),
                        static_cast<VDockBar*>(standard)}) {
    EXPECT_FALSE(bar->IsDisplayed());
    EXPECT_FALSE(bar->IsVisible());
  }
  EXPECT_FALSE(status->IsVisible());
  EXPECT_EQ(dock_->GetTopMargin(), 0);
  EXPECT_EQ(dock_->GetBottomMargin(), 0);

  ShowEveryBar();
  // The menu bar spans the top; the standard bar and the format bar follow
  // in rows below it.
  EXPECT_EQ(menuBar->GetWidth(), 300);
  int32_t x = 0, y = 0;
  standard->GetPosition(x, y);
  EXPECT_EQ(y, menuBar->GetHeight());
  format->GetPosition(x, y);
  EXPECT_EQ(y, menuBar->GetHeight() + standard->GetHeight());
  EXPECT_EQ(dock_->GetTopMargin(),
            menuBar->GetHeight() + standard->GetHeight() + format->GetHeight());
  EXPECT_EQ(dock_->GetBottomMargin(), status->GetHeight());
}

// The controls of the two toolbars, in item order after the grip: the kind
// made and the command bound. Lists, alignment buttons (a group on 710) and
// the colour menu offer the area's own formatting commands.
TEST_F(AreaBars, TheToolbarsOfferTheAreasCommands) {
  for (int32_t id : {1, 2, 3, 4, 5, 101, 102, 103, 501, 502, 503, 1000, 1001, 1002, 1033}) host_->Add(id);
  host_->Add(710, "", true);
  for (int32_t id = 711; id <= 714; ++id) host_->Add(id);
  // Built while the area lends its port, as an area builds them.
  LookCanvas measuring(10, 10);
  VPort* port = &measuring.port();
  dock_->LoadDockDescription(nullptr, file_.get(), kAreaDock, port);
  struct Row {
    int16_t bar;
    std::vector<int32_t> commands;  // 0: a separator
  };
  for (const Row& row : {Row{12005, {1000, 1002, 1001, 0, 502, 503, 501}},
                         Row{12002, {101, 102, 103, 0, 3, 4, 5, 0, 1, 2, 0, 711, 712, 713, 714, 1033}}}) {
    auto* bar = dynamic_cast<VToolBarItem*>(dock_->FindBar(row.bar));
    ASSERT_NE(bar, nullptr) << row.bar;
    const auto& frames = bar->GetSubFrames();
    ASSERT_EQ(frames.size(), row.commands.size() + 1) << row.bar;
    for (size_t i = 0; i < row.commands.size(); ++i) {
      auto* control = dynamic_cast<VControl*>(frames[i + 1]);
      if (row.commands[i] == 0) {
        EXPECT_EQ(control, nullptr) << row.bar << " item " << i;
        continue;
      }
      ASSERT_NE(control, nullptr) << row.bar << " item " << i;
      EXPECT_EQ(control->GetCommandId(), row.commands[i]) << row.bar << " item " << i;
      if (auto* button = dynamic_cast<VPushButton*>(control)) {
        // A button with an icon shows it; one with a title is wider than
        // the title alone.
        const VString* title = button->GetTitle();
        if (title == nullptr || title->GetLength() == 0) {
          ASSERT_NE(button->GetIcon(), nullptr) << row.commands[i];
          EXPECT_GE(button->GetWidth(), button->GetIcon()->GetWidth() + 4);
        } else {
          port->UseStandardFont(2);
          EXPECT_GE(button->GetWidth(), static_cast<int32_t>(port->MeasureString(*title)) + 16) << row.commands[i];
        }
        EXPECT_EQ(button->GetGroupCommandId(), row.commands[i] >= 711 && row.commands[i] <= 714 ? 710 : 0);
      }
    }
  }
  auto* sizes = dynamic_cast<VDropDownList*>(dock_->FindBar(12005)->GetSubFrames()[3]);
  ASSERT_NE(sizes, nullptr);
  EXPECT_TRUE(sizes->IsEditable());
  auto* colour = dynamic_cast<VMenuButton*>(dock_->FindBar(12002)->GetSubFrames()[16]);
  ASSERT_NE(colour, nullptr);
  ASSERT_NE(colour->GetMenu(), nullptr);
  EXPECT_EQ(colour->GetMenu()->CountItems(), 12);
}

TEST_F(AreaBars, TheToolbarsContextMenusHideDockAndOpenTheDialog) {
  for (int32_t id : {kMsgHideBar, kMsgDockAgain, 33}) host_->Add(id);
  struct Row {
    int16_t menu;
    std::vector<int32_t> commands;
  };
  for (const Row& row : {Row{kFloatingBarMenuId, {kMsgDockAgain, kMsgHideBar}},
                         Row{kDockedBarMenuId, {kMsgHideBar, 33}}}) {
    VMenu menu(host_, nullptr, 0, file_.get(), row.menu);
    ASSERT_EQ(menu.CountItems(), static_cast<int32_t>(row.commands.size())) << row.menu;
    for (size_t i = 0; i < row.commands.size(); ++i)
      EXPECT_EQ(menu.GetItem(int32_t(i) + 1)->GetCommandId(), row.commands[i]) << row.menu;
  }
}

TEST_P(AreaBars, ShowTheirBarsAndGaugeLikeTheirReferences) {
  ASSERT_TRUE(resources_->IsOpen());
  static const char* const kNames[] = {"area-bars-mac", "area-bars-windows", "area-bars-third"};
  const int16_t look = static_cast<int16_t>(GetParam() + 1);
  dock_->SetLookIndex(look);
  LookCanvas canvas(300, 200);
  canvas.port().SetLook(look);
  dock_->LoadDockDescription(nullptr, file_.get(), kAreaDock, &canvas.port());
  ShowEveryBar();
  auto* status = dynamic_cast<VToolBar*>(dock_->GetToolBar());
  ASSERT_NE(status, nullptr);
  status->ShowProgress(file_.get(), 0, 0, 1000);
  status->AdvanceProgress(400);
  canvas.Clear();
  DrawTree(canvas.port(), *dock_);
  ExpectMatchesReference(canvas, "look-sheets", kNames[GetParam()]);
}

INSTANTIATE_TEST_SUITE_P(EveryLook, AreaBars, testing::Values(0, 1, 2));

TEST_F(AreaBars, AFloatingToolbarLooksLikeItsReference) {
  LookCanvas measuring(10, 10);
  measuring.port().SetLook(2);
  dock_->LoadDockDescription(nullptr, file_.get(), kAreaDock, &measuring.port());
  auto* standard = dynamic_cast<VToolBarItem*>(dock_->FindBar(12002));
  ASSERT_NE(standard, nullptr);
  standard->SetVisible(true);
  standard->SetDockSide(kDockFloating);
  int32_t w = 0, h = 0;
  standard->FloatingSize(w, h);
  EXPECT_EQ(standard->GetWidth(), w);
  EXPECT_EQ(standard->GetHeight(), h);
  LookCanvas canvas(w, h);
  canvas.port().SetLook(2);
  DrawTree(canvas.port(), *standard);
  ExpectMatchesReference(canvas, "look-sheets", "floating-toolbar");
}

// The status bar's page text (command 1003, its columns a column step
// apart) shows the page and the count whole up to 9,999 pages, as the
// references drawn at 375 and 9,999 pages in an area of 400 pixels show.
TEST_F(AreaBars, TheStatusShowsThePageAndTheCountWhole) {
  VCommand* command = host_->Add(1003);
  dock_->ResizeTo(400, 60, 0);
  LookCanvas measuring(10, 10);
  dock_->LoadDockDescription(nullptr, file_.get(), kAreaDock, &measuring.port());
  ShowEveryBar();
  auto* status = dynamic_cast<VToolBar*>(dock_->GetToolBar());
  auto* page = dynamic_cast<VStaticText*>(status->GetLeftItems().at(0));
  ASSERT_TRUE(page != nullptr && page->GetCommandId() == 1003);
  LookCanvas bar(status->GetWidth(), status->GetHeight());
  VStr<255> text;
  auto width = [&](const std::string& field) {
    text.SetCText(field.c_str(), kCharSetMac);
    bar.port().UseStandardFont(1);
    return bar.port().MeasureString(text);
  };
  for (const std::string n : {"3", "375", "9999"}) {
    EXPECT_LT(5 + width("Page " + n), page->GetColumnStep());
    EXPECT_LT(page->GetColumnStep() + 5 + width(n + "/" + n), page->GetWidth());
    width("Page " + n + "\t" + n + "/" + n);
    command->SetString(nullptr, text, 0);
    DrawTree(bar.port(), *status);
    if (n != "3") ExpectMatchesReference(bar, "look-sheets", "status-" + n + "-pages");
  }
}

// A narrow area's status bar leaves out whole the fields that do not fit,
// the page last, and is the same whether the area was made at its width or
// sized to it from a wider or a narrower one: each is drawn like the
// reference of its width, and no field lies over another.
TEST_F(AreaBars, TheStatusLeavesOutWholeTheFieldsThatDoNotFit) {
  VCommand* page = host_->Add(1003);
  VCommand* position = host_->Add(1004);
  struct Row {
    int32_t width;
    size_t shown;  // fields shown: the page, the locks, the line and column
  };
  for (const Row& row : {Row{250, 3}, Row{280, 3}, Row{320, 3}, Row{345, 4}}) {
    for (const int32_t from : {row.width, 400, 200}) {
      SCOPED_TRACE(testing::Message() << row.width << " from " << from);
      delete dock_;
      dock_ = new VDockView(host_);
      dock_->ResizeTo(from, 60, 0);
      LookCanvas measuring(10, 10);
      dock_->LoadDockDescription(nullptr, file_.get(), kAreaDock, &measuring.port());
      ShowEveryBar();
      dock_->ResizeTo(row.width, 60, 0);
      auto* status = dynamic_cast<VToolBar*>(dock_->GetToolBar());
      ASSERT_NE(status, nullptr);
      ASSERT_EQ(status->GetWidth(), row.width);
      VStr<255> text;
      text.SetCText("Page 1\t1/1", kCharSetMac);
      page->SetString(nullptr, text, 0);
      text.SetCText("Line 1, Col. 1", kCharSetMac);
      position->SetString(nullptr, text, 0);
      std::vector<const VFrame*> fields(status->GetLeftItems().begin(), status->GetLeftItems().end());
      fields.insert(fields.end(), status->GetRightItems().begin(), status->GetRightItems().end());
      EXPECT_TRUE(fields.front()->IsShown());  // the page
      EXPECT_EQ(static_cast<size_t>(std::count_if(fields.begin(), fields.end(),
                                                  [](const VFrame* f) { return f->IsShown(); })),
                row.shown);
      ExpectShownApart(fields, row.width);
      LookCanvas bar(status->GetWidth(), status->GetHeight());
      DrawTree(bar.port(), *status);
      ExpectMatchesReference(bar, "look-sheets", "status-" + std::to_string(row.width) + "-wide");
    }
  }
}

}  // namespace
