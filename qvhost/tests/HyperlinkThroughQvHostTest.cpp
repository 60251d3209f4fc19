// The commands of special elements, pictures, the stored form, counts and
// informations through the module in the stand-in host (their script), and
// a hyperlink's address handed to the host in-process: the host notes the
// address it was asked to open.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "area/tests/HostPictureSupport.h"
#include "area/view/xMorvaHyperlink.h"
#include "host/callback/HostCallback.h"
#include "qvhost/QvHost.h"
#include "qvhost/tests/ScriptTestSupport.h"

namespace {

TEST(HyperlinkHost, TheHostNotesTheAddressOfAFollowedLink) {
  QvHost host{QvHostConfig{}};
  const HostCallback previous = GetHostCallback();
  SetHostCallback(&QvHost::Callback);
  VStr<255> url;
  url.SetAnsiCText("http://example.org/a?b=1");
  xMorvaHyperlink::OpenURL(url);
  url.SetAnsiCText("");
  xMorvaHyperlink::OpenURL(url);
  SetHostCallback(previous);
  EXPECT_EQ(2, host.CountCalls(-264));
  std::vector<std::string> noted;
  for (const auto& call : host.Log())
    if (call.selector == -264) noted.push_back(call.text);
  ASSERT_EQ(2u, noted.size());
  EXPECT_EQ("open URL http://example.org/a?b=1", noted[0]);
  EXPECT_EQ("open URL ", noted[1]);
}

class ElementCommandsScript : public ScriptTest {};

TEST_F(ElementCommandsScript, RunsWithEveryExpectationHeld) {
  {
    const tablecommands::Bytes picture = tablecommands::HostPictureBytes(40, 30);
    std::ofstream out(folder + "pic.pict", std::ios::binary);
    out.write(reinterpret_cast<const char*>(picture.data()), std::streamsize(picture.size()));
  }
  std::ifstream in(QVHOST_ELEMENT_COMMANDS_SCRIPT);
  std::stringstream script;
  script << in.rdbuf();
  // The script's files are in the folder it runs in.
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  const ScriptRunner::Outcome outcome = Run(script.str());
  std::filesystem::current_path(previous);
  EXPECT_EQ(outcome.error, "") << out.str();
  EXPECT_EQ(outcome.failures, 0) << out.str();
  EXPECT_GT(outcome.lines, 150);
  // What the commands handed out: the page and the pictures as Macintosh
  // pictures of their sizes.
  auto frame = [&](const std::string& name) {
    std::ifstream file(folder + name, std::ios::binary);
    const tablecommands::Bytes bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return tablecommands::PictFrame(bytes);
  };
  EXPECT_EQ(frame("selected.pict"), std::make_pair(40, 30));
  EXPECT_GT(frame("page.pict").first, 500);
}

}  // namespace
