// The shared frame of the dialogs against a recording host: the order of a
// run's hooks for each way a run can go, sub-dialogs hiding their caller,
// the drop-down choice and lengths in the document's unit.
#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <memory>
#include <string>

#include "boundary/HostServiceSelectors.h"
#include "dialogs/xMorvaDialog.h"
#include "document/DocumentUnits.h"
#include "document/xMorvaDocParams.h"
#include "host/tests/HostTestSupport.h"
#include "platform/toolbox/TbxWindows.h"

namespace {

using hosttest::RecordingHost;
using hosttest::SeenCall;

// A host whose forms open (unless refused), each with a window of its own,
// and whose steps play `steps`: "accept", "cancel" or an object's name
// clicked. An empty queue cancels.
class FormHost {
 public:
  FormHost() {
    host.answer = [this](int32_t selector, HostParamBlock& b) { Answer(selector, b); };
  }
  ~FormHost() {
    for (auto* window : windows) Tbx::DisposeWindow(window);
  }
  void Answer(int32_t selector, HostParamBlock& b) {
    switch (selector) {
      case kFormSelNew: b.param1 = ++next; break;
      case kFormSelOpen:
        b.param1 = refuseOpen ? 0 : b.param1;
        b.error = refuseOpen ? -1 : 0;
        break;
      case kFormSelGetWindow: {
        const Tbx::Rect bounds{0, 0, 100, 100};
        windows.push_back(Tbx::NewCWindow(nullptr, &bounds, nullptr, false, 0, Tbx::kInFront, false, 0));
        b.param2 = reinterpret_cast<uintptr_t>(windows.back());
        break;
      }
      case kFormSelStep: {
        const std::string step = steps.empty() ? "cancel" : steps.front();
        if (!steps.empty()) steps.pop_front();
        if (step == "accept" || step == "cancel") {
          b.flag2 = 1;
          b.flag = step == "cancel" ? 1 : 0;
        } else {
          b.text2[0] = static_cast<uint8_t>(step.size());
          std::copy(step.begin(), step.end(), b.text2 + 1);
        }
        break;
      }
      case kFormSelGetReal: b.realValue = real; break;
      default: break;
    }
  }
  RecordingHost host;
  std::deque<std::string> steps;
  std::vector<Tbx::WindowRef> windows;
  uint32_t next = 100;
  bool refuseOpen = false;
  double real = 0;
};

// Notes each hook; answers as told.
class HookDialog : public xMorvaDialog {
 public:
  explicit HookDialog(std::string& log, const char* form = "mvHooks") : xMorvaDialog(nullptr, form), fLog(log) {}
  bool BeforeOpen() override { return Note("before", before); }
  bool AfterOpen() override { return Note("after", after); }
  void ItemHit(const VString&, int16_t) override { Note("hit", true); }
  bool CanAccept(const VString&, int16_t) override { return Note("ok", accepts-- > 0); }
  bool CanCancel(const VString&, int16_t) override { return Note("cancel", true); }
  bool ReadValues() override { return Note("read", true); }
  void Closing() override { Note("closing", true); }
  bool before = true, after = true;
  int32_t accepts = 1;

 private:
  bool Note(const char* hook, bool answer) {
    fLog += std::string(fLog.empty() ? "" : " ") + hook;
    return answer;
  }
  std::string& fLog;
};

TEST(xMorvaDialog, RunKeepsTheOrderOfItsHooksForEachOutcome) {
  struct Case {
    const char* name;
    bool before, after, refuseOpen;
    int32_t accepts;
    std::deque<std::string> steps;
    const char* hooks;
    bool accepted;
  };
  const Case cases[] = {
      {"accepted", true, true, false, 1, {"vSize", "accept"}, "before after hit ok read closing", true},
      {"cancelled", true, true, false, 1, {"cancel"}, "before after cancel closing", false},
      {"refused before opening", false, true, false, 1, {"accept"}, "before closing", false},
      {"closed after opening", true, false, false, 1, {"accept"}, "before after closing", false},
      {"a refused accept keeps it open", true, true, false, 0, {"accept", "cancel"},
       "before after ok cancel closing", false},
      {"the host refuses the form", true, true, true, 1, {"accept"}, "before closing", false},
  };
  for (const Case& c : cases) {
    FormHost form;
    form.steps = c.steps;
    form.refuseOpen = c.refuseOpen;
    std::string log;
    HookDialog dialog(log);
    dialog.before = c.before;
    dialog.after = c.after;
    dialog.accepts = c.accepts;
    EXPECT_EQ(dialog.Run(), c.accepted) << c.name;
    EXPECT_EQ(log, c.hooks) << c.name;
    // A refused dialog never asks the host for its form.
    EXPECT_EQ(form.host.Count(kFormSelOpen), c.before ? 1 : 0) << c.name;
  }
}

// A sub-dialog that looks whether its caller's window shows while it runs.
class SubDialog : public HookDialog {
 public:
  SubDialog(std::string& log, VDialQv& caller) : HookDialog(log, "mvSub"), fCaller(caller) {}
  bool BeforeOpen() override {
    callerShown = Tbx::IsWindowVisible(fCaller.GetWindow());
    return HookDialog::BeforeOpen();
  }
  bool callerShown = true;

 private:
  VDialQv& fCaller;
};

class CallerDialog : public HookDialog {
 public:
  using HookDialog::HookDialog;
  void ItemHit(const VString&, int16_t) override {
    std::string subLog;
    SubDialog sub(subLog, *this);
    subAccepted = RunSubDialog(sub);
    subSawCallerShown = sub.callerShown;
    shownAfter = Tbx::IsWindowVisible(GetWindow());
  }
  bool subAccepted = false, subSawCallerShown = true, shownAfter = false;
};

TEST(xMorvaDialog, ASubDialogRunsWhileItsCallerIsHidden) {
  FormHost form;
  form.steps = {"butBullet", "accept", "accept"};
  std::string log;
  CallerDialog caller(log);
  EXPECT_TRUE(caller.Run());
  EXPECT_TRUE(caller.subAccepted);
  EXPECT_FALSE(caller.subSawCallerShown);
  EXPECT_TRUE(caller.shownAfter);
}

TEST(xMorvaDialog, ADropDownAtItemZeroOrPastItsItemsKeepsTheCurrentValue) {
  struct Case {
    int32_t item, count, current, chosen;
  };
  const Case cases[] = {
      {0, 4, 2, 2},   // nothing chosen
      {-1, 4, 2, 2},  // no item at all
      {5, 4, 2, 2},   // past the list
      {1, 4, 2, 0},   // the first item: value 0
      {4, 4, 2, 3},   // the last item
  };
  for (const Case& c : cases)
    EXPECT_EQ(DropDownChoice(c.item, c.count, c.current), c.chosen) << c.item << " of " << c.count;
}

TEST(xMorvaDialog, ALengthTypedInCentimetresIsStoredAsThePixelsOfItsTenthTruncated) {
  FormHost form;
  xMorvaDocParams params;
  params.SetDisplayUnit(0);
  std::string log;
  HookDialog dialog(log);
  form.real = 1.26;
  const int32_t pixels = dialog.ReadLength("vIndent", params);
  const double resolution = GetScreenResolution();
  EXPECT_EQ(pixels, static_cast<int32_t>(1.3 * resolution / 2.54));
  // Shown back, the length reads as the tenth it was stored from.
  dialog.ShowLength("vIndent", params, pixels);
  const SeenCall* set = nullptr;
  for (const SeenCall& call : form.host.calls)
    if (call.selector == kFormSelSetReal) set = &call;
  ASSERT_NE(set, nullptr);
  EXPECT_DOUBLE_EQ(set->block.realValue, 1.3);
  EXPECT_EQ(form.host.Count(kFormSelSetFormat), 1);
}

}  // namespace
