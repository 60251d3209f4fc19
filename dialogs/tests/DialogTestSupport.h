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
#include "platform/toolbox/TbxHandles.h"
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

// A host form as maps of what the dialog sets in its objects, by name:
// longs, reals, texts (typed or given as a handle), list items, shown and
// enabled states. With `foldCase` names are matched without regard to
// case, as the host matches them, and kept in lower case. A test's form
// answers further selectors by overriding Answer and calling this one.
class FormValues {
 public:
  explicit FormValues(bool foldCase = false) : fFoldCase(foldCase) {
    host.answer = [this](int32_t selector, HostParamBlock& b) { Answer(selector, b); };
  }
  virtual ~FormValues() = default;
  FormValues(const FormValues&) = delete;
  FormValues& operator=(const FormValues&) = delete;

  static std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
  }

  hosttest::RecordingHost host;
  std::map<std::string, int32_t> longs;
  // The first value the dialog set in each object.
  std::map<std::string, int32_t> firstSet;
  std::map<std::string, double> reals;
  std::map<std::string, std::string> texts;
  std::map<std::string, std::vector<std::string>> items;
  std::map<std::string, bool> shown, enabled;

 protected:
  std::string Name(const std::string& name) const { return fFoldCase ? Lower(name) : name; }
  virtual void Answer(int32_t selector, HostParamBlock& b) {
    const std::string name = Name(reinterpret_cast<const char*>(b.text2));
    switch (selector) {
      case kFormSelNew: b.param1 = 7; break;
      case kFormSelSetLong:
        longs[name] = int32_t(b.longValue);
        firstSet.emplace(name, int32_t(b.longValue));
        break;
      case kFormSelGetLong: b.longValue = uint32_t(longs[name]); break;
      case kFormSelSetReal: reals[name] = b.realValue; break;
      case kFormSelGetReal: b.realValue = reals[name]; break;
      case kFormSelSetText: texts[name].assign(reinterpret_cast<const char*>(b.text + 1), b.text[0]); break;
      case kFormSelGetText: {
        const std::string& text = texts[name];
        b.text[0] = uint8_t(text.size());
        std::copy(text.begin(), text.end(), b.text + 1);
        break;
      }
      case kFormSelSetTextHandle: {
        std::string& text = texts[name];
        text.clear();
        const auto handle = static_cast<uint32_t>(b.handle);
        if (handle != 0) {
          text.assign(static_cast<const char*>(Tbx::HLock(handle)), size_t(Tbx::GetHandleSize(handle)));
          Tbx::HUnlock(handle);
          Tbx::DisposeHandle(handle);
        }
        break;
      }
      case kFormSelClearList: items[name].clear(); break;
      case kFormSelSetListText: {
        const auto index = static_cast<int16_t>(b.param2);
        std::vector<std::string>& list = items[name];
        if (index < 1) break;
        if (list.size() < size_t(index)) list.resize(size_t(index));
        list[size_t(index) - 1].assign(reinterpret_cast<const char*>(b.text + 1), b.text[0]);
        break;
      }
      case kFormSelShowObject: shown[name] = b.param2 != 0; break;
      case kFormSelEnable: enabled[name] = b.flag != 0; break;
      default: break;
    }
  }

 private:
  bool fFoldCase;
};

// A form that runs modally: it opens in a window of its own and plays the
// user's steps in order: "accept", "cancel", "OBJECT=N" (a long set, then
// the object's event), "OBJECT~R" (a real typed, then the event) or
// "OBJECT:TEXT" (a text typed, then the event). An empty queue cancels.
// Names are matched without regard to case.
class StepForm : public FormValues {
 public:
  StepForm() : FormValues(true) {}
  ~StepForm() override {
    for (auto* window : fWindows) Tbx::DisposeWindow(window);
  }

  std::deque<std::string> steps;

 protected:
  void Answer(int32_t selector, HostParamBlock& b) override {
    switch (selector) {
      case kFormSelNew: b.param1 = ++fNext; break;
      case kFormSelOpen: b.error = 0; break;
      case kFormSelGetWindow: {
        const Tbx::Rect bounds{0, 0, 100, 100};
        fWindows.push_back(Tbx::NewCWindow(nullptr, &bounds, nullptr, false, 0, Tbx::kInFront, false, 0));
        b.param2 = reinterpret_cast<uintptr_t>(fWindows.back());
        break;
      }
      case kFormSelStep: Step(b); break;
      default: FormValues::Answer(selector, b); break;
    }
  }

 private:
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
      if (step[cut] == '=') longs[Name(object)] = std::stoi(value);
      if (step[cut] == '~') reals[Name(object)] = std::stod(value);
      if (step[cut] == ':') texts[Name(object)] = value;
    }
    b.text2[0] = uint8_t(object.size());
    std::copy(object.begin(), object.end(), b.text2 + 1);
  }
  std::vector<Tbx::WindowRef> fWindows;
  uint32_t fNext = 100;
};
