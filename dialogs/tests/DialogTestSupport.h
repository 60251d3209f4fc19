// What the dialogs' tests share: the comparison of a drawn canvas with a
// reference picture in dialogs/tests/data.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <deque>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "boundary/HostServiceSelectors.h"
#include "host/tests/HostTestSupport.h"
#include "platform/toolbox/TbxWindows.h"

#include "controls/looks/LookPainterMaker.h"
#include "controls/tests/LookTestSupport.h"

// The graphics started with the module's look painters, as the module
// starts them, for as long as the object lives.
class DialogGraphics {
 public:
  DialogGraphics() = default;
  DialogGraphics(const DialogGraphics&) = delete;
  DialogGraphics& operator=(const DialogGraphics&) = delete;

 private:
  struct Painters {
    Painters() { VLookPainterMakerService::Install(&kLookPainterMaker); }
    ~Painters() { VLookPainterMakerService::Remove(&kLookPainterMaker); }
  };
  // The painters' maker first, so that the graphics start with it and stop
  // before it goes.
  Painters fPainters;
  GraphicsSession fSession;
};

// Writes what the canvas shows to dialogs/NAME.png under the working folder
// and compares it, pixel for pixel, with the reference NAME.png in the data
// folder beside this file; QV_REGENERATE_REFERENCES=1 rewrites the
// reference instead.
inline void ExpectDialogReference(LookCanvas& canvas, const std::string& name) {
  ExpectMatchesReference(canvas, "dialogs", name, std::filesystem::path(__FILE__).parent_path() / "data");
}

// A host form that keeps the longs, reals, texts and enabled states the
// dialog sets, by object name without regard to case (as the host matches
// names), and plays the user's steps in order: "accept", "cancel",
// "OBJECT=N" (a long set, then the object's event), "OBJECT~R" (a real
// typed, then the event) or "OBJECT:TEXT" (a text typed, then the event).
// An empty queue cancels.
class StepForm {
 public:
  StepForm() {
    host.answer = [this](int32_t selector, HostParamBlock& b) { Answer(selector, b); };
  }
  ~StepForm() {
    for (auto* window : windows) Tbx::DisposeWindow(window);
  }
  StepForm(const StepForm&) = delete;
  StepForm& operator=(const StepForm&) = delete;

  static std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
  }

  hosttest::RecordingHost host;
  std::deque<std::string> steps;
  std::map<std::string, int32_t> longs;
  // The first value the dialog set in each object.
  std::map<std::string, int32_t> firstSet;
  std::map<std::string, double> reals;
  std::map<std::string, std::string> texts;
  std::map<std::string, bool> enabled;

 private:
  void Answer(int32_t selector, HostParamBlock& b) {
    const std::string object = Lower(reinterpret_cast<const char*>(b.text2));
    switch (selector) {
      case kFormSelNew: b.param1 = ++fNext; break;
      case kFormSelOpen: b.error = 0; break;
      case kFormSelGetWindow: {
        const Tbx::Rect bounds{0, 0, 100, 100};
        windows.push_back(Tbx::NewCWindow(nullptr, &bounds, nullptr, false, 0, Tbx::kInFront, false, 0));
        b.param2 = reinterpret_cast<uintptr_t>(windows.back());
        break;
      }
      case kFormSelSetLong:
        longs[object] = int32_t(b.longValue);
        firstSet.emplace(object, int32_t(b.longValue));
        break;
      case kFormSelGetLong: b.longValue = uint32_t(longs[object]); break;
      case kFormSelSetReal: reals[object] = b.realValue; break;
      case kFormSelGetReal: b.realValue = reals[object]; break;
      case kFormSelSetText: texts[object] = std::string(reinterpret_cast<const char*>(b.text) + 1, b.text[0]); break;
      case kFormSelGetText: {
        const std::string& text = texts[object];
        b.text[0] = uint8_t(text.size());
        std::copy(text.begin(), text.end(), b.text + 1);
        break;
      }
      case kFormSelEnable: enabled[object] = b.flag != 0; break;
      case kFormSelStep: Step(b); break;
      default: break;
    }
  }
  void Step(HostParamBlock& b) {
    const std::string step = steps.empty() ? "cancel" : steps.front();
    if (!steps.empty()) steps.pop_front();
    if (step == "accept" || step == "cancel") {
      b.flag2 = 1;
      b.flag = step == "cancel" ? 1 : 0;
      return;
    }
    const size_t cut = step.find_first_of("=~:");
    const std::string object = step.substr(0, cut);
    if (cut != std::string::npos) {
      const std::string value = step.substr(cut + 1);
      if (step[cut] == '=') longs[Lower(object)] = std::stoi(value);
      if (step[cut] == '~') reals[Lower(object)] = std::stod(value);
      if (step[cut] == ':') texts[Lower(object)] = value;
    }
    b.text2[0] = uint8_t(object.size());
    std::copy(object.begin(), object.end(), b.text2 + 1);
  }
  std::vector<Tbx::WindowRef> windows;
  uint32_t fNext = 100;
};
