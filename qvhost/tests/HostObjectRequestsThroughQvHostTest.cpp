// The host requests that move the package's data and drive host objects,
// answered in-process by the stand-in host: bytes kept and handed back
// under the fourth start-up flag, a host object opened, set, asked and
// released by its handle, the string conversion's two numbers, and the
// compiled data of a reference given back.
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
#include "host/context/HostRequests.h"
#include "host/context/VHostContext.h"
#include "host/context/VHostRef.h"
#include "host/context/VHostRequest.h"
#include "platform/toolbox/TbxHandles.h"
#include "qvhost/QvHost.h"
#include "host/tests/HostTestSupport.h"

namespace {

using hosttest::Text;

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

TEST_F(HostObjectRequests, AHostObjectIsOpenedSetAskedAndReleased) {
  QvHost& qv = Start(false);
  {
    VHostRequest request(12);
    EXPECT_FALSE(request.Show(true));  // no handle yet: not asked
    EXPECT_EQ(qv.CountCalls(kHostSelObjectSet530), 0);
    ASSERT_TRUE(request.Open());
    const uint32_t handle = request.GetHandle();
    ASSERT_EQ(qv.hostObjects.count(handle), 1u);
    const QvHost::HostObject& object = qv.hostObjects.at(handle);
    EXPECT_EQ(object.number, 12);

    EXPECT_TRUE(request.Show(true));
    EXPECT_TRUE(object.shown);
    EXPECT_TRUE(request.Show(false));
    EXPECT_FALSE(object.shown);
    EXPECT_TRUE(request.SetTitle(Text("Merging 3 of 40")));
    EXPECT_EQ(object.title, "Merging 3 of 40");
    EXPECT_TRUE(request.SetRepeat(true));
    EXPECT_TRUE(object.repeat);
    EXPECT_TRUE(request.SetState(4));
    EXPECT_EQ(object.stateBit, 16u);
    EXPECT_TRUE(request.Call520());
    EXPECT_TRUE(request.Call522());
    EXPECT_TRUE(request.Call526());
    EXPECT_TRUE(request.Call527());
    EXPECT_EQ(object.requests.at(kHostSelObjectSet530), 5);
    for (int32_t selector : {kHostSelObjectCall520, kHostSelObjectCall522, kHostSelObjectCall526,
                             kHostSelObjectCall527})
      EXPECT_EQ(object.requests.at(selector), 1) << selector;
  }
  // Going away gives the handle back.
  EXPECT_TRUE(qv.hostObjects.empty());
  EXPECT_EQ(qv.CountCalls(kHostSelObjectRelease521), 1);
}

TEST_F(HostObjectRequests, StringConversionGivesTheHostsTwoNumbers) {
  Start(false);
  int32_t a = -1, b = -1;
  HostStringConversion531(a, b);
  EXPECT_EQ(a, 30);
  EXPECT_EQ(b, 19);
}

// The compiled data goes back to the host, which disposes of it; the
// reference keeps none and a second release asks nothing.
TEST_F(HostObjectRequests, AReferenceGivesItsCompiledDataBack) {
  QvHost& qv = Start(false);
  VHostRef reference(Text("1+2"));
  ASSERT_NE(reference.GetReferenceData(), 0u);
  reference.ReleaseHostData();
  EXPECT_EQ(reference.GetReferenceData(), 0u);
  reference.ReleaseHostData();
  EXPECT_EQ(qv.CountCalls(kHostSelReleaseExpression), 1);
}

}  // namespace
