// xMorvaMain: the word processor's package. It makes the editing areas and
// their placeholders for routine 1 and sends host-language commands to
// their executors: numbers below 95 to the low-command executor, 100 to 172
// to the command table. The executors arrive with the editing area; until
// then a command reaches them and does nothing.
#pragma once

#include <cstdint>

#include "host/package/VPackage.h"

class xMorvaMain : public VPackage {
 public:
  // The first and last command of the command table, and the end of the
  // low commands.
  static constexpr int32_t kFirstTableCommand = 100;
  static constexpr int32_t kLastTableCommand = 172;
  static constexpr int32_t kLowCommandEnd = 95;
  // The area's resource id answered for routine 1.
  static constexpr int16_t kAreaResourceId = 12137;
  // Offsets from the resource base: the alert list, and its item shown when
  // the host deleted offscreen areas.
  static constexpr int32_t kAlertListOffset = 6;
  static constexpr int16_t kAlertOffscreenDeleted = 16;

  explicit xMorvaMain(HostStartupRecord* params);

  // Initialises the package's fields once; a second call changes nothing.
  bool Init() override;
  void ExecuteCommand(int32_t selector, void* params, void* result) override;
  VPlugInObject* NewPlugIn(int32_t routine, void* params) override;
  VPlugInObject* NewDesignPlugIn(int32_t routine, void* params) override;
  VPlugInObject* NewOutputPlugIn(int32_t routine, void* params) override;
  VPlugInObject* NewPrintingPlugIn(int32_t routine, void* params) override;
  int16_t GetAreaResourceId(int32_t routine) override;
  void OffscreenPlugInsDeleted(int32_t count) override;
  // The word processor's own resource types in the other byte order.
  uint8_t SwapResource(uint8_t direction, uint32_t type, uint32_t size, void* data) override;

  bool IsInitialized() const { return fInitialized != 0; }

 protected:
  // The executor of the low commands (below 95), and that of the command
  // table (100 to 172); `params` is the host's array of parameter pointers.
  virtual void ExecuteLowCommand(int32_t selector, void** params, void* result);
  virtual void ExecuteTableCommand(int32_t selector, void** params, void* result);

 private:
  static bool IsEditingRoutine(int32_t routine);

  uint8_t fInitialized = 0;
};
