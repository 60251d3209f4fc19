// Command values from the selection, the colour tables, the status texts,
// the allowed-command table and the two lock groups.
#include "area/xMorvaBarState.h"

#include <gtest/gtest.h>

#include "area/tests/AreaTestSupport.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaStyleSheet.h"
#include "document/xMorvaText.h"
#include "framework/core/containers/VArray.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "views/VCommand.h"

namespace {

using areatest::AreaTest;

TEST(BarColours, EachTableMapsItsColoursAndAnyOtherToItsLastItem) {
  struct Row {
    int32_t colour;
    int32_t a, b, c;
  };
  const Row rows[] = {
      {-1, 613, 628, 632},       {0x000000, 602, 626, 633}, {0x0000FF, 603, 627, 634},
      {0x0099FF, 604, 627, 635}, {0x00E6FF, 605, 627, 636}, {0x19CC00, 606, 627, 637},
      {0xFF9933, 607, 627, 638}, {0xFF00CC, 608, 627, 639}, {0xFFFFFF, 609, 616, 640},
      {0xCCCCCC, 610, 623, 641}, {0x999999, 611, 624, 642}, {0x666666, 612, 625, 643},
      {0xB3B3FF, 613, 617, 644}, {0xA6D9FF, 613, 618, 644}, {0xCCFFFF, 613, 619, 644},
      {0xB3FFB3, 613, 620, 644}, {0xFFE6B3, 613, 621, 644}, {0xFFC0FF, 613, 622, 644},
      {0x123456, 613, 627, 644},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ColourItemA(row.colour), row.a) << std::hex << row.colour;
    EXPECT_EQ(ColourItemB(row.colour), row.b) << std::hex << row.colour;
    EXPECT_EQ(ColourItemC(row.colour), row.c) << std::hex << row.colour;
  }
  // The shifted tables of commands 685, 645 and 671.
  EXPECT_EQ(ColourItemA(0x0000FF, 84), 687);
  EXPECT_EQ(ColourItemC(-1, 14), 646);
  EXPECT_EQ(ColourItemB(0xFFC0FF, 56), 678);
}

class BarStateTest : public AreaTest {
 protected:
  BarStateTest() : area(NewOffscreenArea()) {}
  int32_t Value(int32_t id) { return area->VFrame::GetCommandLong(id); }
  xMorvaTextInterface& Text() { return *area->GetDocument()->GetCurrentPart(); }

  xMorvaPlugIn* area;
};

TEST_F(BarStateTest, TextColoursChooseTheirItems) {
  Text().SetPropertyValue(kPropTextColour, 0x0000FF);
  UpdateBarState(*area, true);
  EXPECT_EQ(Value(601), 603);
  Text().SetPropertyValue(kPropTextColour, 0x010203);
  UpdateBarState(*area, true);
  EXPECT_EQ(Value(601), 613);
}

TEST_F(BarStateTest, LineSpacingAndAlignmentChooseTheirItems) {
  struct Row {
    int32_t spacing;
    int32_t item;
  };
  for (const Row& row : {Row{10, 721}, Row{15, 722}, Row{20, 723}, Row{12, 724}}) {
    Text().SetPropertyValue(33, row.spacing);
    UpdateBarState(*area, true);
    EXPECT_EQ(Value(720), row.item) << row.spacing;
  }
  Text().SetPropertyValue(32, 2);
  UpdateBarState(*area, true);
  EXPECT_EQ(Value(710), 713);
}

// The bars' alignment buttons each show their own command: on for the
// selection's alignment only, all off when the selection mixes them.
TEST_F(BarStateTest, TheAlignmentButtonsFollowTheSelectionsAlignment) {
  for (int32_t alignment = 0; alignment <= 3; ++alignment) {
    Text().SetPropertyValue(32, alignment);
    UpdateBarState(*area, true);
    for (int32_t id = 711; id <= 714; ++id)
      EXPECT_EQ(Value(id), id == 711 + alignment ? 1 : 0) << alignment << " " << id;
  }
}

// The style sheet list of the bars: its choices are the document's style
// sheets, and choosing one applies it (command 1000).
TEST_F(BarStateTest, TheStyleSheetListOffersAndAppliesTheDocumentsSheets) {
  xMorvaDocument& document = *area->GetDocument();
  VMemoryResourceFile* store = document.GetStyleSheetStore();
  ASSERT_NE(store, nullptr);
  xMorvaStyleSheet sheet;
  VStr<31> name;
  name.SetCText("Heading", kCharSetMac);
  int16_t id = 0;
  ASSERT_TRUE(sheet.SaveNew(document, *store, name, id));
  document.UpdateStyleSheetMenu();
  VCommand* list = area->FindCommand(1000);
  ASSERT_NE(list, nullptr);
  ASSERT_NE(list->GetChoiceList(), nullptr);
  EXPECT_EQ(list->GetChoiceList()->Count(), document.StyleSheetCount());
  const int32_t place = document.StyleSheetIndex(id);
  ASSERT_GT(place, 0);
  VStr<255> listed;
  document.GetStyleSheetName(id, listed, true);
  area->SetCommandString(1000, listed, 1);
  EXPECT_EQ(area->GetCommandChoice(1000), place);
  EXPECT_NE(Text().GetPropertyValue(kPropStyleSheet), id);
  EXPECT_TRUE(document.DoCommand(1000));
  EXPECT_EQ(Text().GetPropertyValue(kPropStyleSheet), id);
  // A name no sheet has applies nothing.
  name.SetCText("None such", kCharSetMac);
  area->SetCommandString(1000, name, 1);
  EXPECT_EQ(area->GetCommandChoice(1000), 0);
  EXPECT_TRUE(document.DoCommand(1000));
  EXPECT_EQ(Text().GetPropertyValue(kPropStyleSheet), id);
}

TEST_F(BarStateTest, StylesOfTheSelectionSetTheirCommands) {
  Text().SetPropertyValue(kPropBold, 1);
  Text().SetPropertyValue(5, 2);  // subscript
  Text().SetPropertyValue(4, 3);  // underline kind 3
  UpdateBarState(*area, true);
  EXPECT_EQ(Value(502), 1);
  EXPECT_EQ(Value(501), 0);
  EXPECT_EQ(Value(506), 0);
  EXPECT_EQ(Value(507), 1);
  EXPECT_EQ(Value(520), 524);
  EXPECT_EQ(Value(530), 2);
}

TEST_F(BarStateTest, TheStatusLineShowsPageAndPosition) {
  UpdateStatusLine(*area, true);
  VStr<255> page;
  area->VFrame::GetCommandString(page, 1003);
  EXPECT_EQ(page.CompareCText("Page 1\t1/1", kCharSetMac, true), 0);
  VStr<255> position;
  area->VFrame::GetCommandString(position, 1004);
  EXPECT_EQ(position.CompareCText("Line 1, Col. 1", kCharSetMac, true), 0);
  VStr<255> title;
  area->GetCommandTitle(title, 804);
  EXPECT_GT(title.GetLength(), 0);
}

TEST_F(BarStateTest, AForbiddenCommandStaysDisabledWhenTheLockIsLifted) {
  SetCommandAllowed(*area, 751, false);
  EXPECT_FALSE(area->IsCommandEnabled(751));
  SetEditingLocked(*area, true);
  EXPECT_FALSE(area->IsCommandEnabled(752));
  SetEditingLocked(*area, false);
  EXPECT_FALSE(area->IsCommandEnabled(751));
  EXPECT_TRUE(area->IsCommandEnabled(752));
  SetCommandAllowed(*area, 751, true);
  EXPECT_TRUE(area->IsCommandEnabled(751));
}

TEST_F(BarStateTest, TheLocksSwitchTheirOwnGroupsOnly) {
  SetAreaLocked(*area, true);
  EXPECT_TRUE(area->IsAreaLocked());
  for (int32_t id : {101, 102, 110, 301, 320, 334, 801}) EXPECT_FALSE(area->IsCommandEnabled(id)) << id;
  for (int32_t id : {502, 1000, 103}) EXPECT_TRUE(area->IsCommandEnabled(id)) << id;
  SetEditingLocked(*area, true);
  for (int32_t id : {105, 210, 502, 601, 702, 1000, 1028}) EXPECT_FALSE(area->IsCommandEnabled(id)) << id;
  SetAreaLocked(*area, false);
  for (int32_t id : {101, 301, 801}) EXPECT_TRUE(area->IsCommandEnabled(id)) << id;
  EXPECT_FALSE(area->IsCommandEnabled(502));
}

TEST_F(BarStateTest, RequestsBetweenIdleEventsRefreshOnce) {
  const int32_t before = area->CountBarRefreshes();
  UpdateBarState(*area, false);
  UpdateBarState(*area, false);
  area->ServeRefreshes(5000);
  UpdateBarState(*area, false);  // before the deadline: pushes it back
  area->ServeRefreshes(5001);
  area->ServeRefreshes(5002);
  EXPECT_EQ(area->CountBarRefreshes(), before);
  area->ServeRefreshes(5003);
  area->ServeRefreshes(5004);
  area->ServeRefreshes(6000);
  EXPECT_EQ(area->CountBarRefreshes(), before + 1);
}

}  // namespace
