// VHostCallbackBridge: the host bridge of the framework core served over the
// host callback. Start-up installs it once the host context exists; stop
// removes it before the context goes.
#pragma once

#include "framework/core/host/VHostBridge.h"

class VHostCallbackBridge : public VHostBridge {
 public:
  // Through the current package; 0 while there is none.
  uint8_t SwapResource(uint8_t direction, uint32_t type, uint32_t size, void* data) override;
  int16_t HostGetFieldType(uint16_t table, uint16_t field, uint8_t flag) override;
  bool HostGetFieldBlob(uint16_t table, uint16_t field, uint8_t flag, uint32_t& handle,
                        uint32_t& claimedLength) override;
  bool HostSetFieldBlob(uint16_t table, uint16_t field, uint8_t flag, uint32_t handle,
                        uint32_t length) override;
  void HostGetDisplayRoutines(VDisplayRoutines& routines) override;
  void HostGetCenturyPivot(int32_t& pivotYear, int32_t& century) override;
  void HostValueToText(uint32_t valueType, int32_t format, int32_t value, VString& destination) override;
  int32_t HostTextToValue(uint32_t valueType, const VString& text) override;
  void HostShowMessage(const uint8_t* text) override;
  uint8_t HostCall362(int16_t eventMask, VHostEventRecord& record) override;
  int16_t HostCall361(int16_t eventMask, VHostEventRecord& record, int32_t option) override;
  int32_t HostGetValue164() override;
  // The frame's box and the place are not read yet (frames and points come
  // with the view framework and the graphics); the host gets an empty box.
  int32_t HostOpenWindowAt(const VString& text, VFrame* frame, const VPoint* place) override;
};
