// Test support for the system environment: a pinned locale, clean input and
// window state around each test, and a value that holds a date and a time.
#pragma once

#include <gtest/gtest.h>

#include "framework/core/values/VValue.h"
#include "framework/system/environment/VSystemServices.h"
#include "platform/toolbox/TbxEnvironment.h"
#include "platform/win32/WinCommonDialogs.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinLocale.h"
#include "platform/win32/WinTime.h"
#include "platform/win32/WinWindowState.h"

// Every stand-in the environment reads starts from its defaults, the locale
// is the "C" locale, and no main-window record is given.
class EnvironmentTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetHeadlessInput();
    ResetHeadlessWindowState();
    ResetHeadlessDialogs();
    Tbx::ClearMainWindowRecord();
    ASSERT_TRUE(SetHeadlessLocale("C.UTF-8"));
  }
  void TearDown() override {
    delete services_;
    services_ = nullptr;
    ReleaseHeadlessTickCount();
    SetHeadlessLocale(nullptr);
    ResetHeadlessInput();
    ResetHeadlessWindowState();
    ResetHeadlessDialogs();
    Tbx::ClearMainWindowRecord();
  }
  VSystemServices& Services() {
    if (services_ == nullptr) services_ = new VSystemServices();
    return *services_;
  }
  VSystemServices* services_ = nullptr;
};

// A value that keeps one date and one time, as the date and time values do.
class DateTimeValue : public VValue {
 public:
  VValue* Clone() const override { return new DateTimeValue(*this); }
  bool IsSingle() const override { return true; }
  int32_t GetKind() const override { return 6; }
  int32_t Compare(const VValue&, int32_t, int32_t) const override { return 0; }
  VDateRec& GetDate(VDateRec& date, int32_t) const override {
    date = fDate;
    return date;
  }
  void SetDate(const VDateRec& date, int32_t) override { fDate = date; }
  int32_t GetTime(int32_t) const override { return fSeconds; }
  void SetTime(int32_t seconds, int32_t) override { fSeconds = seconds; }

  VDateRec fDate;
  int32_t fSeconds = 0;
};
