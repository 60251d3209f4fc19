// The host's message boxes run on the stand-in host's forms: each answers
// what the script clicked, and the answer typed into an Ask box is read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/core/strings/VUniString.h"
#include "host/callback/HostCallback.h"
#include "host/context/VHostContext.h"
#include "host/dialog/VMessageDialogs.h"
#include "qvhost/QvHost.h"

namespace {

std::string Str(const VString& s) {
  std::string out;
  for (int32_t i = 1; i <= s.GetLength(); ++i) out += static_cast<char>(s.GetCharAt(i));
  return out;
}

class BoxHost {
 public:
  BoxHost() : host(QvHostConfig{}) {
    std::string error;
    loaded = host.LoadForms(QVHOST_HOST_RESOURCES, &error);
    previous = GetHostCallback();
    record.callback = &QvHost::Callback;
    context = new VHostContext(&record);
    gHostContext = context;
  }
  ~BoxHost() {
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

// An Ask box that keeps the answer typed in when accepted.
class AskForName : public VAskDialog {
 public:
  AskForName() : VAskDialog(nullptr) {}
  bool ReadValues() override {
    HostFormGetText("vAnswer", answer);
    return true;
  }
  VStr<255> answer;
};

using Actions = std::vector<HostForms::Action>;

}  // namespace

TEST(MessageBoxesThroughQvHost, EachBoxAnswersWhatWasClicked) {
  struct Case {
    const char* form;
    Actions actions;
    bool accepted;
  };
  const Case cases[] = {{"xp_Alert", {{"accept", "bOK", ""}}, true},
                        {"xp_Confirm", {{"accept", "bOK", ""}}, true},
                        {"xp_Confirm", {{"cancel", "bCancel", ""}}, false},
                        {"xp_Ask", {{"cancel", "bCancel", ""}}, false},
                        {"xp_Alert", {}, false}};  // an exhausted script cancels
  for (const Case& c : cases) {
    BoxHost h;
    ASSERT_TRUE(h.loaded);
    h.host.Forms().Script(c.form, c.actions);
    const std::string form = c.form;
    bool accepted = false;
    if (form == "xp_Alert") {
      VAlertDialog box(nullptr);
      accepted = box.RunDialog(0);
    } else if (form == "xp_Confirm") {
      VConfirmDialog box(nullptr);
      accepted = box.RunDialog(0);
    } else {
      VAskDialog box(nullptr);
      accepted = box.RunDialog(0);
    }
    EXPECT_EQ(accepted, c.accepted) << c.form;
    // The box opened on its own form.
    ASSERT_NE(h.host.Forms().LastClosed(), nullptr);
    EXPECT_EQ(h.host.Forms().LastClosed()->name, c.form);
  }
}

TEST(MessageBoxesThroughQvHost, AnAskBoxGivesTheAnswerTyped) {
  BoxHost h;
  ASSERT_TRUE(h.loaded);
  h.host.Forms().Script("xp_Ask", Actions{{"set", "vAnswer", "Morva"}, {"accept", "bOK", ""}});
  AskForName box;
  EXPECT_TRUE(box.RunDialog(0));
  EXPECT_EQ(Str(box.answer), "Morva");
}
