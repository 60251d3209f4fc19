// The host's message boxes run on the stand-in host's forms: each answers
// what the script clicked.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/core/strings/VUniString.h"
#include "host/callback/HostCallback.h"
#include "host/context/VHostContext.h"
#include "host/dialog/VMessageDialogs.h"
#include "qvhost/QvHost.h"

namespace {

// The host with its forms, and the host context the dialogs run in.
struct BoxHost {
  BoxHost() : loaded(host.LoadForms(QVHOST_HOST_RESOURCES, &error)), context(&record) { gHostContext = &context; }
  ~BoxHost() {
    gHostContext = nullptr;
    SetHostCallback(previous);
  }
  QvHost host{QvHostConfig{}};
  std::string error;
  bool loaded;
  HostCallback previous = GetHostCallback();
  HostStartupRecord record{0, {}, &QvHost::Callback, 0};
  VHostContext context;
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
                        {"xp_Confirm", {{"cancel", "bCancel", ""}}, false},
                        {"xp_Confirm", {{"accept", "bOK", ""}}, true},
                        {"xp_Ask", {{"set", "vAnswer", "Morva"}, {"accept", "bOK", ""}}, true},
                        {"xp_Ask", {{"set", "vAnswer", "x"}, {"cancel", "bCancel", ""}}, false},
                        {"xp_Alert", {}, false}};  // an exhausted script cancels
  for (const Case& c : cases) {
    BoxHost h;
    ASSERT_TRUE(h.loaded);
    h.host.Forms().Script(c.form, c.actions);
    const std::string form = c.form;
    std::unique_ptr<VDialQv> box;
    if (form == "xp_Ask") {
      box = std::make_unique<VAskDialog>(nullptr);
    } else if (form == "xp_Alert") {
      box = std::make_unique<VAlertDialog>(nullptr);
    } else {
      box = std::make_unique<VConfirmDialog>(nullptr);
    }
    EXPECT_EQ(box->RunDialog(0), c.accepted) << c.form;
    ASSERT_NE(h.host.Forms().LastClosed(), nullptr);
    EXPECT_EQ(h.host.Forms().LastClosed()->name, c.form);
  }
}
