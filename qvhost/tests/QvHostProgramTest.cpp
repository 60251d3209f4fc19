// The qvhost program as a user runs it: a script that reads whole exits 0;
// a line it cannot read, a number that does not fit its field, a print
// with no module running and answers nobody asked for each stop it with an
// error naming the line and a non-zero exit.
#include "qvhost/QvHostProgram.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// A form with an area that has the focus, on a started module.
const char kSetUp[] =
    "start -1\n"
    "form main 40 60 300 200\n"
    "area letter create form at main 10 10 200 100\n"
    "click 100 100\n";

class QvHostProgram : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/qvhost-program.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(folder); }
  // Runs the program on `script` with `extra` arguments before it.
  int Run(const std::string& script, std::vector<std::string> extra = {}) {
    const std::string path = folder + "/script.qvs";
    std::ofstream(path, std::ios::binary) << script;
    extra.push_back(path);
    out.str({});
    err.str({});
    QvHostConfig defaults;
    defaults.modulePath = QVHOST_MODULE_PATH;
    defaults.moduleResourcePath = QVHOST_MODULE_RESOURCES;
    defaults.hostResourcePath = QVHOST_HOST_RESOURCES;
    return RunQvHostProgram(defaults, extra, out, err);
  }
  std::string folder;
  std::ostringstream out, err;
};

TEST_F(QvHostProgram, AScriptThatReadsWholeExitsZero) {
  EXPECT_EQ(Run(std::string(kSetUp) + "type \"a\\nb\"\nexpect event letter message 301\nstop\n"), 0) << err.str();
  EXPECT_EQ(err.str(), "");
  // The escape typed a Return between the two letters.
  EXPECT_NE(out.str().find("message 9229 "), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("7 lines, 0 expectations failed"), std::string::npos);
}

TEST_F(QvHostProgram, EveryLineItCannotReadStopsItWithTheLineAndAnError) {
  const std::string kPageSetupForm =
      "page setup [paper NAME | paper W H] [upright|across] [margins L T R B] | page setup cancel";
  const std::string text300 = "command 5 text \"" + std::string(300, 'x') + "\"";
  const struct {
    std::string script;
    std::string error;  // what the program reports, after the script's path
  } cases[] = {
      {"fly away\n", "line 1: unknown verb fly"},
      {"set flag 1\n", "line 1: unknown setting flag"},
      {"set version 0x100000000\n", "line 1: version 0x100000000 does not fit: 0 to 4294967295"},
      {"set flags 1 0 0 0 2\n", "line 1: flag 2 does not fit: 0 to 1"},
      {"start -1 -1\n", "line 1: trailing word -1 (start [SELECTOR])"},
      {"package -205 1 2\n", "line 1: package SELECTOR [VALUE | A B C]"},
      {"package -205 1 65536 3\n", "line 1: B 65536 does not fit: 0 to 65535"},
      {std::string(kSetUp) + "click 100 100 cuont 2\n",
       "line 5: unknown option cuont (the line takes count, modifiers)"},
      {std::string(kSetUp) + "area letter 1 mesage 3\n",
       "line 5: unknown option mesage (the line takes routine, message, modifiers, when)"},
      {std::string(kSetUp) + "area letter 65542\n", "line 5: CODE 65542 does not fit: 0 to 65535"},
      {std::string(kSetUp) + "area letter 1 modifiers -1\n", "line 5: modifiers -1 does not fit: 0 to 65535"},
      {std::string(kSetUp) + "idle 2 3\n", "line 5: trailing word 3 (idle [N])"},
      {std::string(kSetUp) + "expect slot set now\n", "line 5: trailing word now (expect slot set|zero)"},
      {std::string(kSetUp) + "expect event letter message 112 twice\n",
       "line 5: trailing word twice (expect event NAME message|when|modifiers VALUE)"},
      {std::string(kSetUp) + "click 1e3 100\n", "line 5: X needs a number, not 1e3"},
      {std::string(kSetUp) + "drag 100 100 to 40000 100\n", "line 5: X 40000 does not fit: -32768 to 32767"},
      {std::string(kSetUp) + "queue 3 h 40000\n", "line 5: h 40000 does not fit: -32768 to 32767"},
      {std::string(kSetUp) + "command 5 long 99999999999999999999\n",
       "line 5: long 99999999999999999999 does not fit: -2147483648 to 2147483647"},
      {std::string(kSetUp) + "command 5 real 1.5x\n", "line 5: real needs a number, not 1.5x"},
      {std::string(kSetUp) + text300 + "\n", "line 5: a text argument holds 255 characters, not 300"},
      {std::string(kSetUp) + "type \"a\\qb\"\n", "line 5: unknown escape \\q in a text"},
      {std::string(kSetUp) + "value 1 1 number abc\n", "line 5: value needs a number, not abc"},
      {std::string(kSetUp) + "form other 10 10 4294967396 100\n",
       "line 5: W 4294967396 does not fit: -2147483648 to 2147483647"},
      // Sizes that overflowed a 32-bit sum and so passed the plane's bounds.
      {std::string(kSetUp) + "form other 10 10 2147483647 100\n",
       "line 5: form NAME X Y W H needs a positive size within -32000 to 32000"},
      {std::string(kSetUp) + "area big create form at main 10 10 2147483647 5\n",
       "line 5: the area needs a positive size within -32000 to 32000"},
      {std::string(kSetUp) + "area letter move 0 0 5 2147483647\n",
       "line 5: the area needs a positive size within -32000 to 32000"},
      {"print letter \"page.pdf\"\n", "line 1: print before start"},
      {"start\nstop\nprint letter \"page.pdf\"\n", "line 3: print after stop"},
      {std::string(kSetUp) + "choose cancel\n", "end: 1 choose answer(s) never asked for"},
      {std::string(kSetUp) + "confirm yes\nconfirm no\n", "end: 2 confirm answer(s) never asked for"},
      {std::string(kSetUp) + "choose field 1 2\n", "end: 1 choose answer(s) never asked for"},
      {std::string(kSetUp) + "choose field 70000 2\n", "line 5: TABLE 70000 does not fit: 0 to 65535"},
      {std::string(kSetUp) + "choose field 1\n", "line 5: choose field TABLE FIELD"},
      {std::string(kSetUp) + "wheel 100 100 32768\n", "line 5: COUNT 32768 does not fit: -32768 to 32767"},
      {std::string(kSetUp) + "wheel 100 100\n", "line 5: wheel X Y COUNT"},
      {"menu choose 0\n", "line 1: item 0 does not fit: 1 to 32767"},
      {"menu hover 5\n", "line 1: menu hover X Y"},
      {"menu cancel now\n", "line 1: trailing word now (menu cancel)"},
      {"menu open\n", "line 1: menu choose \"text\"|N | hover X Y | cancel | snapshot \"f.png\""},
      {"menu snapshot f.png\n", "line 1: menu snapshot \"f.png\""},
      {"menu snapshot\n", "line 1: menu snapshot \"f.png\""},
      {"expect menu item 1 bold\n", "line 1: expect menu item N checked|mixed|disabled|text \"text\""},
      {"expect menu item x checked\n", "line 1: N needs a number, not x"},
      {"page layout\n", "line 1: " + kPageSetupForm},
      {"page setup paper A9\n",
       "line 1: unknown paper A9 (letter, tabloid, ledger, legal, statement, executive, a3, a4, a5, b4, b5, "
       "or W H in millimetres)"},
      {"page setup paper -5 100\n", "line 1: W -5 is out of range: 0 to 3000 mm"},
      {"page setup margins 10 10 10\n", "line 1: margins L T R B"},
      {"page setup across upright\n", "line 1: unexpected upright (" + kPageSetupForm + ")"},
      {"page setup cancel now\n", "line 1: unexpected cancel (" + kPageSetupForm + ")"},
      {"expect pdf \"a.pdf\" paper 210\n", "line 1: expect pdf \"file.pdf\" paper W H"},
      {"list choose 3\n", "line 1: list choose \"text\""},
      {"list open \"Arial\"\n", "line 1: list choose \"text\""},
      {"list choose \"Arial\" now\n", "line 1: trailing word now (list choose \"text\")"},
      {"list choose \"\"\n", "line 1: list choose needs a text"},
      {"list choose \"a\\tb\"\n", "line 1: no key types \"\t\""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Run(c.script), 1) << c.error;
    EXPECT_NE(err.str().find("script.qvs: " + c.error + "\n"), std::string::npos)
        << "expected " << c.error << "\ngot " << err.str();
  }
}

TEST_F(QvHostProgram, AFolderThatIsNotThereIsRefused) {
  EXPECT_EQ(Run("start\n", {"--folder", folder + "/missing"}), 1);
  EXPECT_EQ(err.str(), "qvhost: the folder " + folder + "/missing/ does not exist\n");
  EXPECT_EQ(Run("start\nexpect file \"Qv Morva Prefs\"\n", {"--folder", folder}), 0) << err.str() << out.str();
  EXPECT_EQ(Run("start\n", {"--flder", folder}), 2);
  EXPECT_NE(err.str().find("usage: qvhost"), std::string::npos);
}

}  // namespace
