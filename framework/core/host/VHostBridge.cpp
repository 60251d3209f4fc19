// The neutral answers of the host bridge's calls.
#include "framework/core/host/VHostBridge.h"

// The neutral answers of a host that has nothing to give.
int16_t VHostBridge::HostGetFieldType(uint16_t, uint16_t, uint8_t) { return -1; }

bool VHostBridge::HostGetFieldBlob(uint16_t, uint16_t, uint8_t, uint32_t& handle, uint32_t& claimedLength) {
  handle = 0;
  claimedLength = 0;
  return false;
}

bool VHostBridge::HostSetFieldBlob(uint16_t, uint16_t, uint8_t, uint32_t, uint32_t) { return false; }
void VHostBridge::HostGetDisplayRoutines(VDisplayRoutines&) {}

void VHostBridge::HostGetCenturyPivot(int32_t& pivotYear, int32_t& century) {
  pivotYear = 0;
  century = 0;
}

void VHostBridge::HostValueToText(uint32_t, int32_t, int32_t, VString&) {}
int32_t VHostBridge::HostTextToValue(uint32_t, const VString&) { return 0; }
void VHostBridge::HostShowMessage(const uint8_t*) {}
uint8_t VHostBridge::HostCall362(int16_t, VHostEventRecord&) { return 0; }
int16_t VHostBridge::HostCall361(int16_t, VHostEventRecord&, int32_t) { return 0; }
int32_t VHostBridge::HostGetValue164() { return 0; }
int32_t VHostBridge::HostOpenWindowAt(const VString&, VFrame*, const VPoint*) { return 0; }
