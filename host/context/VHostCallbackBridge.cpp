// Each call of the framework core's host bridge goes to its host service.
#include "host/context/VHostCallbackBridge.h"

#include "host/context/HostServices.h"
#include "host/package/VPackage.h"

uint8_t VHostCallbackBridge::SwapResource(uint8_t direction, uint32_t type, uint32_t size, void* data) {
  return gCurrentPackage != nullptr ? gCurrentPackage->SwapResource(direction, type, size, data) : 0;
}

int16_t VHostCallbackBridge::HostGetFieldType(uint16_t table, uint16_t field, uint8_t flag) {
  return ::HostGetFieldType(table, field, flag != 0);
}

bool VHostCallbackBridge::HostGetFieldBlob(uint16_t table, uint16_t field, uint8_t flag, uint32_t& handle,
                                           uint32_t& claimedLength) {
  return ::HostGetFieldBlob(table, field, flag != 0, handle, claimedLength);
}

bool VHostCallbackBridge::HostSetFieldBlob(uint16_t table, uint16_t field, uint8_t flag, uint32_t handle,
                                           uint32_t length) {
  return ::HostSetFieldBlob(table, field, flag != 0, handle, length);
}

void VHostCallbackBridge::HostGetDisplayRoutines(VDisplayRoutines& routines) {
  ::HostGetDisplayRoutines(routines);
}

void VHostCallbackBridge::HostGetCenturyPivot(int32_t& pivotYear, int32_t& century) {
  ::HostGetCenturyPivot(pivotYear, century);
}

void VHostCallbackBridge::HostValueToText(uint32_t valueType, int32_t format, int32_t value,
                                          VString& destination) {
  ::HostValueToText(valueType, format, value, destination);
}

int32_t VHostCallbackBridge::HostTextToValue(uint32_t valueType, const VString& text) {
  return ::HostTextToValue(valueType, text);
}

void VHostCallbackBridge::HostShowMessage(const uint8_t* text) { ::HostShowMessage(text); }

uint8_t VHostCallbackBridge::HostCall362(int16_t eventMask, VHostEventRecord& record) {
  return ::HostCall362(eventMask, record);
}

int16_t VHostCallbackBridge::HostCall361(int16_t eventMask, VHostEventRecord& record, int32_t option) {
  return ::HostCall361(eventMask, record, option);
}

int32_t VHostCallbackBridge::HostGetValue164() { return ::HostGetValue164(); }

int32_t VHostCallbackBridge::HostOpenWindowAt(const VString& text, VFrame*, const VPoint*) {
  static constexpr int16_t kNoBox[4] = {0, 0, 0, 0};
  ::HostOpenWindowAt(text, kNoBox, nullptr);
  return 0;
}
