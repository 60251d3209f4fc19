// The toolbar dialogs against a recording host that keeps a form's page,
// tab value and shown objects: the design dialog's moves between its tab
// pages, sub-pages and icon picker, and where OK and Cancel end it; the
// user dialog's check list and its run for the dock.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "boundary/HostServiceSelectors.h"
#include "controls/bars/VToolBarsDesignDialog.h"
#include "controls/bars/VToolBarsUserDialog.h"
#include "framework/core/containers/VBooleanArray.h"
#include "controls/tests/PagedFormSupport.h"
#include "framework/core/containers/VStringArray.h"
#include "host/tests/HostTestSupport.h"
#include "views/VListView.h"
#include "views/VPlugIn.h"
#include "views/VShortcut.h"

namespace {

using formtest::PagedForm;
using hosttest::Str;
using hosttest::Text;

VToolBarsDesignDialog* NewDesign(const std::vector<uint8_t>* configuration = nullptr) {
  return new VToolBarsDesignDialog(nullptr, configuration, Text("Qv Morva"));
}

TEST(VToolBarsDesignDialog, ItemsMoveBetweenPagesAsEachPageSays) {
  struct Row {
    int16_t page;
    const char* object;
    int16_t pageAfter;
    bool tabsHidden;
  };
  const Row rows[] = {
      {3, "vNewEdit", 8, true},     {3, "vNewCombo", 9, true},     {3, "VNEWBUTTON", 10, true},
      {3, "vNewMenu", 11, true},    {3, "vNewMessage", 12, true},  {3, "vNewWitness", 13, true},
      {3, "vIconPick", 3, false},   {1, "vNewEdit", 1, false},     {6, "vIconPick", 14, true},
      {7, "vIconPick", 14, true},   {5, "vIconPick", 5, false},    {8, "vOK", 3, false},
      {9, "vCancel", 3, false},     {12, "vOK", 3, false},         {13, "vCancel", 3, false},
      {10, "vOK", 3, false},        {11, "vCancel", 3, false},     {10, "vIconPick", 14, true},
      {11, "vIconPick", 14, true},  {8, "vIconPick", 8, false},    {3, "vOk", 3, false},
      {2, "vRevert", 2, false},     {4, "vDefault", 4, false},
  };
  for (const Row& r : rows) {
    PagedForm form;
    std::unique_ptr<VToolBarsDesignDialog> dialog(NewDesign());
    form.page = r.page;
    dialog->ItemHit(Text(r.object), r.page);
    EXPECT_EQ(form.page, r.pageAfter) << r.object << " on " << r.page;
    for (const char* tabObject : {"vTabSubject", "vRevert", "vDefault"})
      EXPECT_EQ(form.Hidden(tabObject), r.tabsHidden) << r.object << " on " << r.page << ": " << tabObject;
  }
}

TEST(VToolBarsDesignDialog, TheTabsChooseOnlyTabPages) {
  for (int32_t value : {-1, 0, 1, 4, 7, 8, 14, 300}) {
    PagedForm form;
    std::unique_ptr<VToolBarsDesignDialog> dialog(NewDesign());
    form.page = 2;
    form.tab = value;
    dialog->ItemHit(Text("vTabSubject"), 2);
    // A host that moved to the page the value names is brought back.
    form.page = static_cast<int16_t>(value);
    dialog->ItemHit(Text("vTabSubject"), static_cast<int16_t>(value));
    EXPECT_EQ(form.page, value >= 1 && value <= 7 ? value : 2) << value;
  }
}

TEST(VToolBarsDesignDialog, OkAndCancelEndItOnlyFromATabPage) {
  PagedForm form;
  std::unique_ptr<VToolBarsDesignDialog> dialog(NewDesign());
  for (int16_t page = 1; page <= 14; ++page) {
    EXPECT_EQ(dialog->CanAccept(Text("vOK"), page), page <= 7) << page;
    EXPECT_EQ(dialog->CanCancel(Text("vCancel"), page), page <= 7) << page;
  }
  // A whole run: a sub-page's OK and Cancel go back to page 3, and only the
  // OK given there ends the dialog.
  form.page = 3;
  form.steps = {"vNewButton", "cancel", "vNewMenu", "accept", "accept"};
  EXPECT_TRUE(dialog->RunDialog(0));
  EXPECT_EQ(form.page, 3);
  EXPECT_TRUE(form.steps.empty());
  EXPECT_TRUE(form.Disabled("vNewCheck"));
  EXPECT_TRUE(form.Disabled("vNewRadio"));
  EXPECT_FALSE(form.Disabled("vNewButton"));
}

TEST(VToolBarsDesignDialog, TheIconPickerReturnsToThePageItWasOpenedFrom) {
  PagedForm form;
  std::unique_ptr<VToolBarsDesignDialog> dialog(NewDesign());
  // From tab page 6: the chosen icon is kept on OK; the tabs come back.
  form.page = 6;
  dialog->ItemHit(Text("vIconPick"), 6);
  EXPECT_EQ(form.page, 14);
  EXPECT_TRUE(dialog->HandleMessage(nullptr, VToolBarsDesignDialog::kMsgIconChosen, 1207));
  EXPECT_TRUE(dialog->HandleMessage(nullptr, 55, 3));  // every message is answered
  dialog->ItemHit(Text("vOK"), 14);
  EXPECT_EQ(form.page, 6);
  EXPECT_FALSE(form.Hidden("vTabSubject"));
  EXPECT_EQ(dialog->GetChosenIcon(), 1207);
  EXPECT_EQ(dialog->GetChosenIconPage(), 6);
  // From the button sub-page: Cancel drops the icon reported meanwhile and
  // goes back to the sub-page, still without tabs.
  form.page = 10;
  dialog->ItemHit(Text("vIconPick"), 10);
  EXPECT_EQ(dialog->GetReturnPage(), 10);
  dialog->HandleMessage(nullptr, VToolBarsDesignDialog::kMsgIconChosen, 99);
  dialog->ItemHit(Text("vCancel"), 14);
  EXPECT_EQ(form.page, 10);
  EXPECT_TRUE(form.Hidden("vTabSubject"));
  EXPECT_EQ(dialog->GetChosenIcon(), 1207);
  // Other objects of the picker do nothing.
  form.page = 14;
  dialog->ItemHit(Text("vIcons"), 14);
  EXPECT_EQ(form.page, 14);
}

class UserDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* t : {"Format", "Standard", "Status"}) titles_.AppendString(Text(t), false);
    for (bool s : {true, false, true}) shown_.AppendBoolean(s ? 1 : 0, false);
  }
  VStringArray titles_;
  VBooleanArray shown_;
};

TEST_F(UserDialog, TheCheckListAreaShowsAndEditsTheShownStates) {
  PagedForm form;
  VToolBarsUserDialog dialog(titles_, shown_);
  EXPECT_TRUE(dialog.BeforeOpen());
  EXPECT_EQ(form.host.Count(kFormSelDrawCallback), 1);
  EXPECT_EQ(dialog.CreateUserArea(Text("vOther"), nullptr), nullptr);
  std::unique_ptr<VObject> area(dialog.CreateUserArea(Text("VCHECKLIST"), nullptr));
  ASSERT_NE(dynamic_cast<VPlugIn*>(area.get()), nullptr);
  VCheckListView* list = dialog.GetCheckList();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->GetColumnArray(1), &shown_);
  EXPECT_EQ(list->GetColumnArray(2), &titles_);
  list->SelectRow(2);
  EXPECT_EQ(list->HandleCheckKeyCode(kKeySpace), 0);
  EXPECT_TRUE(shown_.GetBoolean(2));
  EXPECT_TRUE(shown_.GetBoolean(1));
  dialog.Closing();
  EXPECT_EQ(dialog.GetCheckList(), nullptr);
}

TEST(ToolBarsUserDialogRun, OkHandsBackTheChecksCancelNothingAndASecondRequestIsRefused) {
  for (const char* end : {"accept", "cancel"}) {
    PagedForm form;
    std::vector<VToolBarChoice> choices(3);
    choices[0].id = 12001;
    choices[0].title.SetAnsiCText("Format");
    choices[0].shown = true;
    choices[1].id = 12002;  // no title: listed by its id
    choices[2].id = 12003;
    choices[2].title.SetAnsiCText("Status");
    std::unique_ptr<VObject> area;
    std::vector<std::string> listed;
    bool secondAnswer = true;
    // The user, on the form's check list: the first bar hidden, the second
    // shown; meanwhile the dock asks again.
    form.onStep = [&] {
      auto* user = dynamic_cast<VToolBarsUserDialog*>(form.dialog);
      if (user == nullptr || area != nullptr) return;
      area.reset(user->CreateUserArea(Text("vCheckList"), nullptr));
      VCheckListView* list = user->GetCheckList();
      ASSERT_NE(list, nullptr);
      auto* titles = dynamic_cast<VStringArray*>(list->GetColumnArray(2));
      ASSERT_NE(titles, nullptr);
      for (int32_t i = 1; i <= titles->Count(); ++i) listed.push_back(Str(*titles->GetAt(i)));
      for (int32_t row : {1, 2}) {
        list->SelectRow(row);
        list->HandleCheckKeyCode(kKeySpace);
      }
      std::vector<VToolBarChoice> other(1);
      secondAnswer = kToolBarsUserDialogRunner.run(other);
    };
    form.steps = {end};
    const bool accepted = kToolBarsUserDialogRunner.run(choices);
    EXPECT_EQ(accepted, std::string(end) == "accept");
    EXPECT_EQ(listed, (std::vector<std::string>{"Format", "12002", "Status"}));
    EXPECT_FALSE(secondAnswer);
    EXPECT_EQ(choices[0].shown, !accepted) << end;
    EXPECT_EQ(choices[1].shown, accepted) << end;
    EXPECT_FALSE(choices[2].shown) << end;
  }
  // Once the dialog is down, the next request runs it again.
  PagedForm form;
  std::vector<VToolBarChoice> none;
  form.steps = {"accept"};
  EXPECT_TRUE(RunToolBarsUserDialog(none));
}

}  // namespace
