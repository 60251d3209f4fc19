// The scripted runs of host forms as the dialogs' scripts use them: clicks
// with a count, expectations of an object's state, objects out of reach,
// and the script lines that say so.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "framework/core/strings/VUniString.h"
#include "host/callback/HostCallback.h"
#include "host/context/VHostContext.h"
#include "host/dialog/VDialQv.h"
#include "host/package/VPlugInObject.h"
#include "platform/gdi/GdiSnapshot.h"
#include "platform/gdi/WinGdi.h"
#include "platform/toolbox/TbxWindows.h"
#include "qvhost/QvHost.h"
#include "qvhost/ScriptRunner.h"

namespace {

// The stand-in host with its forms, in this process, for a dialog of the
// test's own.
class FormHost {
 public:
  FormHost() : host(QvHostConfig{}) {
    std::string error;
    loaded = host.LoadForms(QVHOST_HOST_RESOURCES, &error);
    previous = GetHostCallback();
    record.callback = &QvHost::Callback;
    context = new VHostContext(&record);
    gHostContext = context;
  }
  ~FormHost() {
    gHostContext = nullptr;
    delete context;
    SetHostCallback(previous);
  }
  QvHost host;
  bool loaded = false;
  HostStartupRecord record{};
  VHostContext* context = nullptr;
  HostCallback previous = nullptr;
};

// Disables the title, hides the bold box, gives the size a format, makes
// the character area a user area and counts the clicks it hears.
class StateDialog : public VDialQv {
 public:
  StateDialog() : VDialQv(nullptr, "mvTestForm") {}
  bool AfterOpen() override {
    HostFormEnableObject("vTitle", false);
    HostFormShowObject("chkBold", false);
    VStr<255> format;
    format.SetAnsiCText("###0.0 cm");
    HostFormSetFormat("vSize", format);
    HostFormSetCheckFlag("chkBold", 1);
    HostFormSetDrawCallback("usrChar", 0, false);
    return true;
  }
  void OnEvent4(const VString&, int16_t, int32_t x, int32_t y, bool, bool, bool) override {
    clicks.push_back(std::to_string(x) + "," + std::to_string(y));
  }
  std::vector<std::string> clicks;
};

using Actions = std::vector<HostForms::Action>;

HostForms::Action Act(const char* kind, const char* object, const char* value = "", const char* expected = "",
                      int32_t count = 1) {
  return HostForms::Action{kind, object, value, expected, count};
}

TEST(HostFormScripts, ExpectationsSeeTheFormAsTheModuleLeftIt) {
  FormHost h;
  ASSERT_TRUE(h.loaded);
  h.host.Forms().Script("mvTestForm", Actions{Act("expect", "vTitle", "enabled", "no"),
                                              Act("expect", "chkBold", "visible", "no"),
                                              Act("expect", "vSize", "format", "###0.0 cm"),
                                              Act("expect", "vSize", "real", "12.5"),
                                              Act("expect", "radUnit", "items", "cm|in"),
                                              Act("expect", "chkBold", "value", "1"),
                                              Act("expect", "picLogo", "picture", "none"),
                                              Act("expect", "noSuchObject", "value", "0"),
                                              Act("click", "usrChar", "5 6", "", 2),
                                              Act("cancel", "")});
  StateDialog dialog;
  EXPECT_FALSE(dialog.RunDialog(0));
  const std::vector<HostForms::Check> checks = h.host.Forms().TakeChecks();
  ASSERT_EQ(checks.size(), 8u);
  for (size_t i = 0; i < 5; ++i) EXPECT_TRUE(checks[i].holds) << checks[i].what;
  // The third state allowed is no value of the box: it stays unchecked.
  EXPECT_FALSE(checks[5].holds);
  EXPECT_NE(checks[5].what.find("(got \"0\")"), std::string::npos) << checks[5].what;
  EXPECT_TRUE(checks[6].holds) << checks[6].what;
  EXPECT_FALSE(checks[7].holds);
  // A double click is two presses at the object's point.
  EXPECT_EQ(dialog.clicks, (std::vector<std::string>{"305,146", "305,146"}));
  EXPECT_TRUE(h.host.Forms().Failures().empty());
  const HostForms::Form* closed = h.host.Forms().LastClosed();
  ASSERT_NE(closed, nullptr);
  bool userArea = false;
  for (const HostForms::Object& object : closed->objects) userArea |= object.name == "usrChar" && object.drawn;
  EXPECT_TRUE(userArea);
}

// What a user area of the module heard, in order, and how many of its
// objects were deleted.
struct AreaLog {
  std::vector<std::string> events;
  int32_t deleted = 0;
};

// A user area's object: it writes itself into the slot when created, notes
// each event (points relative to its rectangle, with their time) and paints
// its rectangle red on an update.
class RecordingArea : public VObject, public VPlugInObject {
 public:
  explicit RecordingArea(AreaLog& log) : fLog(log) {}
  ~RecordingArea() override { ++fLog.deleted; }
  void HandleEvent(void** params) override {
    const auto* event = static_cast<const HostEventRecord*>(params[0]);
    const auto* rect = static_cast<const int16_t*>(params[1]);
    const auto* name = static_cast<const uint8_t*>(params[2]);
    auto** slot = static_cast<VPlugInObject**>(params[3]);
    std::string line = std::to_string(event->what);
    if (event->what == 16) {
      *slot = this;
      line += " " + std::string(reinterpret_cast<const char*>(name + 1), name[0]);
    }
    if (event->what == 1 || event->what == 2) {
      line += " " + std::to_string(event->whereH - rect[1]) + "," + std::to_string(event->whereV - rect[0]) + " t" +
              std::to_string(event->when);
    }
    if (event->what == 3) line += " " + std::string(1, static_cast<char>(event->message & 0xFF));
    if (event->what == 6) {
      Tbx::GrafPtr port = nullptr;
      Tbx::GetPort(&port);
      HDC dc = Tbx::GetPortHDC(port);
      HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
      // Wider than the area: the host clips the drawing to it.
      HGDIOBJ old = SelectObject(dc, red);
      PatBlt(dc, 0, 0, 1000, 1000, PATCOPY);
      SelectObject(dc, old);
      DeleteObject(red);
    }
    fLog.events.push_back(line);
  }

 private:
  AreaLog& fLog;
};

// A dialog whose user area "usrChar" is served by a RecordingArea.
class AreaDialog : public VDialQv {
 public:
  explicit AreaDialog(AreaLog& log) : VDialQv(nullptr, "mvTestForm"), fLog(log) {}
  bool BeforeOpen() override {
    HostFormSetDrawCallback("usrChar", 0, false);
    return true;
  }
  VObject* CreateUserArea(const VString& name, void*) override {
    VStr<255> expected;
    expected.SetAnsiCText("usrChar");
    if (name.Compare(expected, true) != 0) return nullptr;
    auto* area = new RecordingArea(fLog);
    AddUserAreaObject(area);
    return area;
  }
  void OnEvent4(const VString&, int16_t, int32_t, int32_t, bool, bool, bool) override { ++formClicks; }
  int32_t formClicks = 0;

 private:
  AreaLog& fLog;
};

// The colour of a pixel of a PNG file, as 0xRRGGBB; -1 when unreadable.
int64_t PixelOf(const std::string& path, int32_t x, int32_t y) {
  HBITMAP bitmap = GdiReadPng(path.c_str());
  if (bitmap == nullptr) return -1;
  DIBSECTION section{};
  int64_t colour = -1;
  if (GetObjectA(bitmap, sizeof section, &section) == static_cast<int>(sizeof section)) {
    const auto* bits = static_cast<const uint32_t*>(section.dsBm.bmBits);
    colour = bits[y * section.dsBm.bmWidth + x] & 0xFFFFFF;
  }
  DeleteObject(bitmap);
  return colour;
}

TEST(HostFormScripts, AUserAreaHearsItsClicksKeysAndUpdatesAndClosesWithTheForm) {
  FormHost h;
  ASSERT_TRUE(h.loaded);
  const std::string picture = (std::filesystem::current_path() / "user-area-form.png").string();
  h.host.Forms().Script("mvTestForm", Actions{Act("click", "usrChar", "5 6", "", 2),
                                              Act("click", "usrChar", "7 8"),
                                              Act("key", "usrChar", "x"),
                                              Act("snapshot", "", picture.c_str()),
                                              Act("cancel", "")});
  AreaLog log;
  {
    AreaDialog dialog(log);
    EXPECT_FALSE(dialog.RunDialog(0));
    // The area took the clicks: the form heard none of them.
    EXPECT_EQ(dialog.formClicks, 0);
  }
  // The presses of a double click a tick apart, the next click far later.
  const std::vector<std::string> expected{
      "16 usrChar", "1 5,6 t65657", "2 5,6 t65658", "1 5,6 t65659", "2 5,6 t65660",
      "1 7,8 t65781", "2 7,8 t65782", "3 x", "4", "6", "17"};
  EXPECT_EQ(log.events, expected);
  EXPECT_EQ(log.deleted, 1);
  EXPECT_TRUE(h.host.Forms().Failures().empty());
  // The area's drawing fills its rectangle (300, 140, 64 x 64) and no more.
  EXPECT_EQ(PixelOf(picture, 300, 140), 0xFF0000);
  EXPECT_EQ(PixelOf(picture, 363, 203), 0xFF0000);
  EXPECT_EQ(PixelOf(picture, 364, 203), 0xFFFFFF);
  EXPECT_EQ(PixelOf(picture, 299, 139), 0xFFFFFF);
  std::filesystem::remove(picture);
}

TEST(HostFormScripts, ActingOnAnObjectOutOfReachFailsAndCancels) {
  struct Case {
    HostForms::Action action;
    const char* failure;
  };
  const Case cases[] = {
      {Act("set", "vTitle", "Report"), "mvTestForm: set on disabled object vTitle"},
      {Act("click", "vTitle"), "mvTestForm: click on disabled object vTitle"},
      {Act("select", "chkBold", "1"), "mvTestForm: select on hidden object chkBold"},
      {Act("accept", "chkBold"), "mvTestForm: accept on hidden object chkBold"},
  };
  for (const Case& c : cases) {
    FormHost h;
    // The accept after the action is never reached: the run is cancelled.
    h.host.Forms().Script("mvTestForm", Actions{c.action, Act("accept", "butOK")});
    StateDialog dialog;
    EXPECT_FALSE(dialog.RunDialog(0)) << c.failure;
    ASSERT_EQ(h.host.Forms().Failures().size(), 1u) << c.failure;
    EXPECT_EQ(h.host.Forms().Failures()[0], c.failure);
  }
}

// A tab dialog whose position field the module makes not enterable (no
// stop is selected) and whose second page holds a field of its own.
class PagedDialog : public VDialQv {
 public:
  PagedDialog() : VDialQv(nullptr, "mvPagedForm") {}
  bool AfterOpen() override {
    HostFormSetEnterable("vPosition", false);
    return true;
  }
};

TEST(HostFormScripts, TypingIntoAFieldNotEnterableOrActingOffThePageShownFails) {
  struct Case {
    Actions actions;
    const char* failure;  // empty: the run goes through and is accepted
  };
  const Case cases[] = {
      {{Act("set", "vPosition", "7"), Act("accept", "butOK")}, "mvPagedForm: set on not enterable object vPosition"},
      {{Act("key", "vPosition", "7"), Act("accept", "butOK")}, "mvPagedForm: key on not enterable object vPosition"},
      {{Act("click", "vOther"), Act("accept", "butOK")}, "mvPagedForm: click on object vOther of page 2, not shown"},
      {{Act("set", "vOther", "x"), Act("accept", "butOK")}, "mvPagedForm: set on object vOther of page 2, not shown"},
      {{Act("accept", "vOther")}, "mvPagedForm: accept on object vOther of page 2, not shown"},
      // A field not enterable can still be clicked; the page shown first
      // puts its objects in reach.
      {{Act("click", "vPosition"), Act("accept", "butOK")}, ""},
      {{Act("select", "vTabs", "2"), Act("set", "vOther", "x"), Act("accept", "butOK")}, ""},
  };
  for (const Case& c : cases) {
    FormHost h;
    std::string error;
    ASSERT_TRUE(h.host.Forms().Define("mvPagedForm",
                                      "size 300 200\n"
                                      "object vTabs tab 0 0 300 30 value 1 items \"One|Two\"\n"
                                      "object vPosition entry 10 40 80 20 text \"\"\n"
                                      "object vOther entry 10 70 80 20 text \"\" page 2\n"
                                      "object butOK button 200 160 80 24\n",
                                      &error))
        << error;
    h.host.Forms().Script("mvPagedForm", c.actions);
    PagedDialog dialog;
    EXPECT_EQ(dialog.RunDialog(0), *c.failure == 0) << c.failure;
    // The transcript tells the state the module set.
    const auto& log = h.host.Log();
    EXPECT_NE(std::find_if(log.begin(), log.end(),
                           [](const QvHost::LoggedCall& call) {
                             return call.text == "mvPagedForm.vPosition: not enterable";
                           }),
              log.end());
    if (*c.failure == 0) {
      EXPECT_TRUE(h.host.Forms().Failures().empty()) << h.host.Forms().Failures().front();
      continue;
    }
    ASSERT_EQ(h.host.Forms().Failures().size(), 1u) << c.failure;
    EXPECT_EQ(h.host.Forms().Failures()[0], c.failure);
  }
}

TEST(HostFormScripts, TheNewLinesAreReadStrictly) {
  struct Case {
    const char* line;
    const char* error;  // empty: read
  };
  const Case cases[] = {
      {"form mvTestForm click usrChar \"5 6\" count 2", ""},
      {"form mvTestForm click usrChar \"5 6\" count 4", "count 4 does not fit: 1 to 3"},
      {"form mvTestForm set vSize 12 count 2", "only a click takes a count"},
      {"form mvTestForm expect vSize value \"12\"", ""},
      {"form mvTestForm expect vSize colour \"12\"",
       "form NAME expect OBJECT value|real|text|items|enabled|visible|format|picture \"VALUE\""},
      {"form mvTestForm expect vSize value", "form NAME expect OBJECT value|real|text|items|enabled|visible|format|picture \"VALUE\""},
      {"form mvTestForm snapshot \"f.png\"", ""},
      {"form mvTestForm snapshot f.png", "form NAME snapshot \"f.png\""},
      {"choose color 0x1000000", "a colour is 0xRRGGBB"},
      {"choose color red", "colour needs a number, not red"},
      {"expect beeps", "expect beeps N"},
  };
  for (const Case& c : cases) {
    QvHost host(QvHostConfig{});
    std::string error;
    ASSERT_TRUE(host.LoadForms(QVHOST_HOST_RESOURCES, &error));
    std::ostringstream out;
    ScriptRunner runner(host, out);
    const ScriptRunner::Outcome outcome = runner.Run(std::string(c.line) + "\n");
    if (*c.error == 0) {
      EXPECT_TRUE(outcome.error.empty() || outcome.error.rfind("end: ", 0) == 0) << c.line << ": " << outcome.error;
    } else {
      EXPECT_NE(outcome.error.find(c.error), std::string::npos) << c.line << ": " << outcome.error;
    }
  }
}

}  // namespace
