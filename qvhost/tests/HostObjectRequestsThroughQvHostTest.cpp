// The host requests that move the package's data, answered in-process by
// the stand-in host: bytes kept and handed back under the fourth start-up
// flag.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "boundary/HostServiceSelectors.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VUniString.h"
#include "host/callback/HostCallback.h"
#include "host/context/HostCalls.h"
#include "host/context/VHostContext.h"
#include "platform/toolbox/TbxHandles.h"
#include "qvhost/QvHost.h"
#include "host/tests/HostTestSupport.h"

namespace {

QvHostConfig WithFourthFlag(bool on) {
  QvHostConfig config;
  config.flags[3] = on;
  config.pivotYear = 30;
  config.century = 19;
  return config;
}

class HostObjectRequests : public testing::Test {
 protected:
  void SetUp() override { previous = GetHostCallback(); }
  void TearDown() override {
    gHostContext = nullptr;
    delete context;
    SetHostCallback(previous);
  }
  // The module's context of a host with or without the fourth flag.
  QvHost& Start(bool fourthFlag) {
    host = std::make_unique<QvHost>(WithFourthFlag(fourthFlag));
    record.callback = &QvHost::Callback;
    context = new VHostContext(&record);
    gHostContext = context;
    return *host;
  }
  std::vector<std::string> Logged(int32_t selector) const {
    std::vector<std::string> texts;
    for (const QvHost::LoggedCall& call : host->Log())
      if (call.selector == selector) texts.push_back(call.text);
    return texts;
  }

  std::unique_ptr<QvHost> host;
  HostStartupRecord record{};
  VHostContext* context = nullptr;
  HostCallback previous = nullptr;
};

std::vector<uint8_t> BytesOf(VMemHandle handle) {
  std::vector<uint8_t> bytes(gMemoryMgr->GetHandleSize(handle));
  if (!bytes.empty()) {
    std::memcpy(bytes.data(), gMemoryMgr->LockHandle(handle), bytes.size());
    gMemoryMgr->UnlockHandle(handle);
  }
  return bytes;
}

// Written with -103 and read back with -102: the same bytes, in a handle of
// the module's memory manager; a key the host has nothing for gives none.
TEST_F(HostObjectRequests, PackageDataGoesToTheHostAndComesBack) {
  QvHost& qv = Start(true);
  const std::vector<uint8_t> data = {1, 2, 3, 0, 0xFE, 'q', 'v'};
  const Tbx::Handle sent = Tbx::NewHandle(int32_t(data.size()));
  std::memcpy(Tbx::HLock(sent), data.data(), data.size());
  Tbx::HUnlock(sent);
  EXPECT_TRUE(HostSetBlob103(7, -2, sent, 5));
  EXPECT_EQ(Tbx::GetHandleSize(sent), int32_t(data.size()));  // still the caller's
  Tbx::DisposeHandle(sent);
  ASSERT_EQ(qv.packageData.size(), 1u);
  EXPECT_EQ(qv.packageData.begin()->second, data);

  const VMemHandle back = HostGetBlob102(7, -2);
  ASSERT_NE(back, 0u);
  EXPECT_EQ(BytesOf(back), data);
  gMemoryMgr->DisposeHandle(back);
  EXPECT_EQ(HostGetBlob102(7, 3), 0u);
  EXPECT_EQ(Logged(kHostSelGetPackageData), (std::vector<std::string>{"package data 0 7 -2", "no package data 0 7 3"}));
  EXPECT_FALSE(HostSetBlob103(7, 3, 0, 0));
}

TEST_F(HostObjectRequests, PackageDataIsNotAskedForWithoutTheFourthFlag) {
  QvHost& qv = Start(false);
  qv.packageData[{0, 7, -2}] = {9};
  EXPECT_EQ(HostGetBlob102(7, -2), 0u);
  EXPECT_FALSE(HostSetBlob103(7, -2, 0, 0));
  EXPECT_EQ(qv.CountCalls(kHostSelGetPackageData) + qv.CountCalls(kHostSelSetPackageData), 0);
}

}  // namespace
