// What drawn menus look like under the pinned fonts: an owner-drawn menu in
// the second look, and the colour and pattern grids, normal and small, each
// with a current value and a highlighted cell. Written beside the test run
// (menu-images/ under the working folder) and compared with the references
// in tests/data; QV_REGENERATE_REFERENCES=1 rewrites the references.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "controls/looks/LookPainterMaker.h"
#include "controls/menus/MenuGlobals.h"
#include "controls/menus/VGridMenu.h"
#include "controls/menus/VMenu.h"
#include "controls/menus/VMenuItem.h"
#include "controls/tests/ControlTestSupport.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/system/environment/VSystemServices.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "graphics/VIconShape.h"

namespace {

VStr<255> Str(const char* text) {
  VStr<255> s;
  s.SetCText(text, kCharSetMac);
  return s;
}

class MenuImages : public ControlTest, public testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    VLookPainterMakerService::Install(&kLookPainterMaker);
    ControlTest::SetUp();
    InitMenuGlobals();
    module_.reset(VMacResourceFile::OpenExact(QV_RESOURCE_FILE, 0));
    saved_ = gSystemServices;
    gSystemServices = &services_;
    services_.SetModuleResourceFile(module_.get());
  }
  void TearDown() override {
    gSystemServices = saved_;
    FreeMenuGlobals();
    ControlTest::TearDown();
    module_.reset();
    VLookPainterMakerService::Remove(&kLookPainterMaker);
  }
  // Draws the image named `name` into a new canvas.
  std::unique_ptr<LookCanvas> Draw(const std::string& name);

  std::unique_ptr<VMacResourceFile> module_;
  VSystemServices services_;
  VSystemServices* saved_ = nullptr;
};

std::unique_ptr<LookCanvas> MenuImages::Draw(const std::string& name) {
  const bool small = name.find("small") != std::string::npos;
  int32_t width = 0;
  int32_t height = 1000;
  VDIBPort measuring(10, 10, 32);
  if (name == "owner-drawn-menu") {
    for (int32_t id : {70, 71, 72, 73}) host_->Add(id, "");
    host_->Add(10);
    host_->FindCommand(72)->SetEnabled(false, 0);
    // "Ruler" is the group's current member: it shows the check mark.
    VCommand* group = host_->Add(74, "", true);
    host_->FindCommand(71)->SetGroupCommand(group);
    group->AddMember(host_->FindCommand(71));
    group->SetLong(nullptr, 71, 0);
    VMenu menu(host_, nullptr, 10, nullptr, 0);
    menu.SetLook(2);
    new VTextMenuItem(&menu, 70, Str("Paragraph"), new VIconShape(module_.get(), 9016));
    new VTextMenuItem(&menu, 71, Str("Ruler"), nullptr);
    new VSeparatorMenuItem(&menu);
    new VTextMenuItem(&menu, 72, Str("Disabled"), nullptr);
    new VTextMenuItem(&menu, 73, Str("Styles"), nullptr);
    menu.Measure(&measuring, width, height);
    auto canvas = std::make_unique<LookCanvas>(menu.GetWidth(), height);
    canvas->port().SetLook(2);
    menu.Draw(&canvas->port(), menu.GetWidth(), height);
    // The fourth row highlighted, as the pointer over it shows it.
    int32_t chosen = 0;
    int32_t left = 0, top = 0, w = 0, h = 0;
    menu.GetItemBounds(5, left, top, w, h);
    menu.TrackHilite(&canvas->port(), menu.GetWidth(), height, 10, top + 2, 0, chosen);
    return canvas;
  }
  if (name.rfind("colour", 0) == 0) {
    VCommand* command = host_->Add(50, "Colour");
    auto* list = new VStringArray();
    for (const char* text : {"Automatic", "None"}) list->AppendObject(new VStr<255>(Str(text)), false);
    command->SetChoiceList(list, false);
    VColorMenu menu(host_, nullptr, 50);
    menu.SetSmallFont(small);
    menu.Realize(nullptr, true, false);
    EXPECT_TRUE(menu.HasPalette());
    menu.Measure(&measuring, width, height);
    menu.ChooseItem(100);
    auto canvas = std::make_unique<LookCanvas>(width, height);
    menu.DrawFrame(&canvas->port(), width, height);
    menu.Draw(&canvas->port(), width, height);
    int32_t chosen = 0;
    int32_t left = 0, top = 0, w = 0, h = 0;
    menu.GetItemBounds(37, left, top, w, h);
    menu.TrackHilite(&canvas->port(), width, height, left + 3, top + 3, -1, chosen);
    EXPECT_EQ(chosen, 37);
    menu.Unrealize(true);
    return canvas;
  }
  host_->Add(51, "Pattern");
  VPatternMenu menu(host_, nullptr, 51);
  menu.SetSmallFont(small);
  menu.Realize(nullptr, true, false);
  EXPECT_TRUE(menu.HasPatterns());
  menu.Measure(&measuring, width, height);
  menu.ChooseItem(8);
  auto canvas = std::make_unique<LookCanvas>(width, height);
  menu.DrawFrame(&canvas->port(), width, height);
  menu.Draw(&canvas->port(), width, height);
  int32_t chosen = 0;
  const int32_t cellWidth = small ? 17 : 26;
  const int32_t cellHeight = small ? 13 : 18;
  menu.TrackHilite(&canvas->port(), width, height, 2 * cellWidth + 3, 2 * cellHeight + 3, -1, chosen);
  EXPECT_EQ(chosen, 15);
  menu.Unrealize(true);
  return canvas;
}

TEST_P(MenuImages, MatchTheirReferences) {
  ASSERT_NE(module_, nullptr);
  std::unique_ptr<LookCanvas> canvas = Draw(GetParam());
  ExpectMatchesReference(*canvas, "menu-images", GetParam());
}

INSTANTIATE_TEST_SUITE_P(Menus, MenuImages,
                         testing::Values("owner-drawn-menu", "colour-menu", "colour-menu-small",
                                         "pattern-menu", "pattern-menu-small"),
                         [](const testing::TestParamInfo<const char*>& info) {
                           std::string name = info.param;
                           for (char& c : name) c = c == '-' ? '_' : c;
                           return name;
                         });

}  // namespace
