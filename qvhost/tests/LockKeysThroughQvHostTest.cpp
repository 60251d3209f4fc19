// The script line that sets the lock keys: Caps Lock and Num Lock stay as
// the line left them, a wrong key or state is refused, and no event goes
// to an area.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

#include "platform/win32/WinInput.h"
#include "qvhost/QvHost.h"
#include "qvhost/ScriptRunner.h"

namespace {

QvHostConfig LockKeysConfig() {
  QvHostConfig config;
  config.modulePath = QVHOST_MODULE_PATH;
  config.moduleResourcePath = QVHOST_MODULE_RESOURCES;
  config.hostResourcePath = QVHOST_HOST_RESOURCES;
  return config;
}

class LockKeys : public testing::Test {
 protected:
  void SetUp() override {
    host = std::make_unique<QvHost>(LockKeysConfig());
    std::string error;
    ASSERT_TRUE(host->Load(&error)) << error;
  }
  void TearDown() override {
    SetHeadlessKeyToggled(VK_CAPITAL, false);
    SetHeadlessKeyToggled(VK_NUMLOCK, false);
  }
  ScriptRunner::Outcome Run(const std::string& script) {
    out.str({});
    ScriptRunner runner(*host, out);
    return runner.Run(script);
  }
  std::unique_ptr<QvHost> host;
  std::ostringstream out;
};

bool LockToggled(int key) { return (GetKeyState(key) & 1) != 0; }

}  // namespace

TEST_F(LockKeys, EachLineTogglesItsKeyAndTheStateStays) {
  ASSERT_TRUE(Run("lock caps on\n").ok()) << out.str();
  EXPECT_TRUE(LockToggled(VK_CAPITAL));
  EXPECT_FALSE(LockToggled(VK_NUMLOCK));
  ASSERT_TRUE(Run("lock num on\nidle\n").ok()) << out.str();
  EXPECT_TRUE(LockToggled(VK_CAPITAL));
  EXPECT_TRUE(LockToggled(VK_NUMLOCK));
  ASSERT_TRUE(Run("lock caps off\n").ok()) << out.str();
  EXPECT_FALSE(LockToggled(VK_CAPITAL));
  EXPECT_TRUE(LockToggled(VK_NUMLOCK));
}

TEST_F(LockKeys, AWrongKeyOrStateIsRefused) {
  for (const char* line : {"lock shift on\n", "lock caps maybe\n", "lock caps\n", "lock caps on now\n"}) {
    EXPECT_FALSE(Run(line).ok()) << line;
    EXPECT_NE(out.str().find("lock caps|num on|off"), std::string::npos) << line << out.str();
  }
  EXPECT_FALSE(LockToggled(VK_CAPITAL));
}
