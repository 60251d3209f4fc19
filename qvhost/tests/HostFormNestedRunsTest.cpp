// Forms run inside the run of another form, as a dialog opens its
// sub-dialogs: each takes the next script queued for its own name; and a
// form's objects are one object whatever the case of the name used.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/core/strings/VUniString.h"
#include "host/callback/HostCallback.h"
#include "host/context/VHostContext.h"
#include "host/dialog/VDialQv.h"
#include "qvhost/QvHost.h"

// A named namespace: the test files share unity batches.
namespace nested_runs_test {

// The stand-in host with its forms, in this process.
class NestedHost {
 public:
  NestedHost() : host(QvHostConfig{}) {
    std::string error;
    loaded = host.LoadForms(QVHOST_HOST_RESOURCES, &error);
    previous = GetHostCallback();
    record.callback = &QvHost::Callback;
    context = new VHostContext(&record);
    gHostContext = context;
  }
  ~NestedHost() {
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

// A form that runs a form of `inner` when its "butNone" is hit, and sets
// an object by a name in another case when it opens.
class Outer : public VDialQv {
 public:
  Outer(const char* form, const char* inner) : VDialQv(nullptr, form), fInner(inner) {}
  bool AfterOpen() override {
    HostFormSetLong("CHKLEFT", 1);
    return true;
  }
  void ItemHit(const VString& name, int16_t) override {
    char text[64] = {};
    name.GetCText(text, sizeof text, kCharSetAnsi);
    if (std::string(text) != "butNone") return;
    VDialQv inner(nullptr, fInner);
    innerAccepted = inner.RunDialog(0);
  }
  const char* fInner;
  bool innerAccepted = false;
};

using Actions = std::vector<HostForms::Action>;

TEST(HostFormNestedRuns, ASubFormTakesTheNextScriptForItsNameAndAFirstFormTheNextScript) {
  NestedHost h;
  ASSERT_TRUE(h.loaded);
  // The caller's script, then one for a later run of another form, then
  // the sub-form's: the sub-form skips the one not for it.
  h.host.Forms().Script("mvBorders", Actions{{"click", "butNone", ""}, {"expect", "chkleft", "value", "1"},
                                             {"accept", "butOK", ""}});
  h.host.Forms().Script("mvParagraphs", Actions{{"cancel", "butCancel", ""}});
  h.host.Forms().Script("mvInterlineSize", Actions{{"accept", "butOK", ""}});
  Outer outer("mvBorders", "mvInterlineSize");
  EXPECT_TRUE(outer.RunDialog(0));
  EXPECT_TRUE(outer.innerAccepted);
  EXPECT_TRUE(h.host.Forms().Failures().empty()) << h.host.Forms().Failures().front();
  const std::vector<HostForms::Check> checks = h.host.Forms().TakeChecks();
  ASSERT_EQ(checks.size(), 1u);
  EXPECT_TRUE(checks[0].holds) << checks[0].what;
  // The script left waiting is the later run's.
  VDialQv later(nullptr, "mvParagraphs");
  EXPECT_FALSE(later.RunDialog(0));
  EXPECT_TRUE(h.host.Forms().Failures().empty()) << h.host.Forms().Failures().front();

  // A first form still takes the next script, whichever form it is for; a
  // sub-form with no script of its own does too.
  h.host.Forms().Script("mvInterlineSize", Actions{{"accept", "butOK", ""}});
  VDialQv first(nullptr, "mvParagraphs");
  EXPECT_FALSE(first.RunDialog(0));
  ASSERT_FALSE(h.host.Forms().Failures().empty());
  EXPECT_NE(h.host.Forms().Failures()[0].find("unexpected form mvParagraphs"), std::string::npos);
  const size_t failed = h.host.Forms().Failures().size();
  h.host.Forms().Script("mvBorders", Actions{{"click", "butNone", ""}, {"accept", "butOK", ""}});
  h.host.Forms().Script("mvParagraphs", Actions{{"accept", "butOK", ""}});
  Outer lost("mvBorders", "mvInterlineSize");
  lost.RunDialog(0);
  EXPECT_FALSE(lost.innerAccepted);
  ASSERT_GT(h.host.Forms().Failures().size(), failed);
  EXPECT_NE(h.host.Forms().Failures()[failed].find("unexpected form mvInterlineSize"), std::string::npos);
}

}  // namespace nested_runs_test
