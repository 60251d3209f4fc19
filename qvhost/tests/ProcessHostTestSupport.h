// The fixture of the tests whose windows run in processes of the stand-in
// host: headless input and windows reset, the frame and graphics services
// installed, the host answering the module's calls through a host context,
// and the host's processes run until none is left.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/system/environment/VEnvironmentLinks.h"
#include "views/VFrameServices.h"
#include "graphics/VGraphicsEnvironmentLink.h"
#include "host/callback/HostCallback.h"
#include "host/context/HostProcesses.h"
#include "host/context/VHostContext.h"
#include "platform/toolbox/TbxWindows.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinWindowState.h"
#include "qvhost/QvHost.h"

class ProcessHostTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetHeadlessInput();
    ResetHeadlessWindowState();
    Tbx::ClearMainWindowRecord();
    VFrameAreaService::Install(&kFrameAreaProc);
    VFrameWindowService::Install(&kFrameWindowProc);
    VEnvironmentGraphicsService::Install(GraphicsEnvironmentLink());
    host = std::make_unique<QvHost>(QvHostConfig{});
    previous = GetHostCallback();
    record.callback = &QvHost::Callback;
    context = new VHostContext(&record);
    gHostContext = context;
  }
  void TearDown() override {
    gHostContext = nullptr;
    delete context;
    SetHostCallback(previous);
    host.reset();
    VEnvironmentGraphicsService::Remove(GraphicsEnvironmentLink());
    VFrameWindowService::Remove(&kFrameWindowProc);
    VFrameAreaService::Remove(&kFrameAreaProc);
  }
  // Yields from the main process until no process is left (at most `turns`).
  int RunProcesses(int turns = 200) {
    int used = 0;
    while (used < turns && host->Processes().CountLive() > 0) {
      HostWait(-1);
      ++used;
    }
    return used;
  }
  // The texts the host logged for the calls of one selector, in order.
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
