// A recording host's form for tests of dialogs that move between pages:
// it keeps the page, the tab control's value and the objects hidden or
// disabled, and plays scripted steps of the host's modal loop.
#pragma once

#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "boundary/HostServiceSelectors.h"
#include "host/dialog/VDialQv.h"
#include "host/tests/HostTestSupport.h"
#include "platform/toolbox/TbxWindows.h"

namespace formtest {

// A form as far as the dialogs change it: its page, its tab control's value
// and which objects are hidden or disabled. Steps play as the host's
// modal loop gives them: "accept", "cancel" or an object clicked.
class PagedForm {
 public:
  PagedForm() {
    host.answer = [this](int32_t selector, HostParamBlock& b) { Answer(selector, b); };
  }
  ~PagedForm() {
    for (auto* window : windows) Tbx::DisposeWindow(window);
  }
  bool Hidden(const char* name) const { return hidden.count(name) != 0 && hidden.at(name); }
  bool Disabled(const char* name) const { return disabled.count(name) != 0 && disabled.at(name); }

  hosttest::RecordingHost host;
  // The dialog of the form in front, as the host keeps it; null once its
  // form has gone.
  VDialQv* dialog = nullptr;
  std::vector<VDialQv*> running;
  int16_t page = 1;
  int32_t tab = 1;
  std::map<std::string, bool> hidden, disabled;
  std::deque<std::string> steps;
  // Run at each step, before the step is answered.
  std::function<void()> onStep;
  std::vector<Tbx::WindowRef> windows;

 private:
  int32_t exhausted = 0;
  void Answer(int32_t selector, HostParamBlock& b) {
    const std::string name(reinterpret_cast<const char*>(b.text2));
    switch (selector) {
      case kFormSelNew: b.param1 = 300; break;
      case kFormSelSetOwner:
        running.push_back(reinterpret_cast<VDialQv*>(b.param2));
        dialog = running.back();
        break;
      case kFormSelClose:
      case kFormSelRelease:
        // The form's dialog is done with; the one it ran over takes its place.
        if (!running.empty()) running.pop_back();
        dialog = running.empty() ? nullptr : running.back();
        break;
      case kFormSelOpen: b.error = 0; break;
      case kFormSelGetWindow: {
        const Tbx::Rect bounds{0, 0, 100, 100};
        windows.push_back(Tbx::NewCWindow(nullptr, &bounds, nullptr, false, 0, Tbx::kInFront, false, 0));
        b.param2 = reinterpret_cast<uintptr_t>(windows.back());
        break;
      }
      case kFormSelGetPage: b.param2 = static_cast<uint16_t>(page); break;
      case kFormSelSelectPage:
        page = static_cast<int16_t>(b.param2);
        tab = page;
        break;
      case kFormSelGetLong: b.longValue = static_cast<uint32_t>(tab); break;
      case kFormSelShowObject: hidden[name] = b.param2 == 0; break;
      case kFormSelEnable: disabled[name] = b.flag == 0; break;
      case kFormSelStep: {
        if (onStep) onStep();
        const bool none = steps.empty();
        const std::string step = none ? "cancel" : steps.front();
        if (!none) steps.pop_front();
        if (none && ++exhausted > 20) {
          // A dialog that cannot be left: the test fails instead of hanging.
          ADD_FAILURE() << "the form keeps running on page " << page;
          if (dialog != nullptr) dialog->CancelDialog();
          return;
        }
        // OK and Cancel come with their button's name, as a host reports
        // the button that ends a form.
        const std::string object = step == "accept" ? "vOK" : step == "cancel" ? "vCancel" : step;
        if (step == "accept" || step == "cancel") {
          b.flag2 = 1;
          b.flag = step == "cancel" ? 1 : 0;
        }
        b.text2[0] = static_cast<uint8_t>(object.size());
        std::memcpy(b.text2 + 1, object.data(), object.size());
        break;
      }
      default: break;
    }
  }
};

}  // namespace formtest
